#include "catalogue/fees.h"

#include <gtest/gtest.h>

#include "store/table.h"

namespace tellvaro::catalogue {
namespace {

using store::Value;

FeatureFees fees_of(double fett, double marker, double top, double bild2, double bild3,
                    double untertitel, double mindest) {
  return {{fett, marker, top, bild2, bild3, untertitel, mindest}};
}

std::size_t at(Feature f) { return static_cast<std::size_t>(f); }

TEST(Fees, WhatIsChargedAndWhatIsRed) {
  struct Case {
    const char* name;
    std::vector<std::pair<store::F, Value>> fields;
    FeatureFees fees;
    double total;
    std::vector<Feature> red;
  };
  const FeatureFees some = fees_of(1.0, 0.5, 2.0, 0.3, 0.4, 0.25, 0.75);
  const FeatureFees zero{};
  const Case cases[] = {
      {"nothing", {}, some, 0, {}},
      {"bold, marker, subtitle",
       {{store::F::Fettschrift, Value::flag(true)},
        {store::F::Textmarker, Value::flag(true)},
        {store::F::Untertitel, Value::text("Neu!")}},
       fees_of(1.0, 0.5, 0, 0, 0, 0.25, 0),
       1.75,
       {Feature::Fettschrift, Feature::Textmarker, Feature::Untertitel}},
      {"flags false",
       {{store::F::Fettschrift, Value::flag(false)}, {store::F::Top_Kategorie, Value::flag(false)}},
       some,
       0,
       {}},
      {"top category",
       {{store::F::Top_Kategorie, Value::flag(true)}},
       some,
       2.0,
       {Feature::TopKategorie}},
      {"used features with fee 0 stay black",
       {{store::F::Fettschrift, Value::flag(true)}, {store::F::Bild2, Value::text("a.jpg")}},
       zero,
       0,
       {}},
      {"one blank is a subtitle",
       {{store::F::Untertitel, Value::text(" ")}},
       some,
       0.25,
       {Feature::Untertitel}},
      {"minimum price 0", {{store::F::Mindestpreis, Value::amount(0)}}, some, 0, {}},
      {"minimum price 0.01",
       {{store::F::Mindestpreis, Value::amount(0.01)}},
       some,
       0.75,
       {Feature::Mindestpreis}},
      {"minimum price negative", {{store::F::Mindestpreis, Value::amount(-3)}}, some, 0, {}},
      {"first picture is free", {{store::F::Bild1, Value::text("a.jpg")}}, some, 0, {}},
      {"second picture without first",
       {{store::F::Bild2, Value::text("b.jpg")}},
       some,
       0.3,
       {Feature::UploadBild2}},
      {"third picture",
       {{store::F::Bild3, Value::text("c.jpg")}},
       some,
       0.4,
       {Feature::UploadBild3}},
  };
  for (const auto& c : cases) {
    store::Table t;
    t.append();
    for (const auto& [field, value] : c.fields) t.set(field, value);
    FeeMarks marks = compute_fees(c.fees, t);
    EXPECT_DOUBLE_EQ(marks.total, c.total) << c.name;
    EXPECT_EQ(marks.total_red, c.total > 0) << c.name;
    std::array<bool, kFeatureCount> red{};
    for (Feature f : c.red) red[at(f)] = true;
    EXPECT_EQ(marks.red, red) << c.name;
  }
}

TEST(Fees, CheckBoxesMirrorTheFlagsAndNullCountsAsUnset) {
  store::Table t;
  t.append();
  t.set(store::F::Textmarker, Value::flag(true));
  FeeMarks marks = compute_fees(FeatureFees{}, t);
  EXPECT_FALSE(marks.fettschrift);
  EXPECT_TRUE(marks.textmarker);
  EXPECT_FALSE(marks.top_kategorie);

  store::Table empty;  // no current record at all
  EXPECT_DOUBLE_EQ(compute_fees(fees_of(1, 1, 1, 1, 1, 1, 1), empty).total, 0);
}

TEST(UploadTotals, CountAndShortestTotal) {
  store::Table uploads;
  UploadTotals none = upload_totals(uploads);
  EXPECT_EQ(none.count, 0u);
  EXPECT_EQ(none.total, 0);

  for (double fee : {0.1, 0.2, 0.3}) {
    uploads.append();
    uploads.set(store::F::Gebuehr, Value::amount(fee));
    uploads.post();
  }
  uploads.append();  // a record without a fee counts 0
  uploads.set(store::F::Artikelname, Value::text("ohne Gebühr"));
  uploads.post();
  uploads.first();
  UploadTotals totals = upload_totals(uploads);
  EXPECT_EQ(totals.count, 4u);
  EXPECT_DOUBLE_EQ(totals.total, 0.1 + 0.2 + 0.3);
  EXPECT_EQ(uploads.position(), std::optional<std::size_t>(3));
}

}  // namespace
}  // namespace tellvaro::catalogue
