#include "catalogue/fees.h"

#include "store/table.h"

namespace tellvaro::catalogue {
namespace {

const store::Value& value(const store::Record& r, store::F field) {
  static const store::Value none;
  return store::index_of(field) < r.size() ? store::at(r, field) : none;
}

bool is_true(const store::Record& r, store::F field) {
  auto flag = value(r, field).as_flag();
  return flag && *flag;
}

bool has_text(const store::Record& r, store::F field) {
  return !store::to_text(value(r, field), store::field_of(field)).empty();
}

}  // namespace

FeeMarks compute_fees(const FeatureFees& fees, const store::Table& articles) {
  const auto pos = articles.position();
  if (!pos) return compute_fees(fees, store::empty_record());
  return compute_fees(fees, articles.row(*pos));
}

FeeMarks compute_fees(const FeatureFees& fees, const store::Record& article) {
  FeeMarks marks;
  auto charge = [&](Feature f, bool used) {
    if (!used) return;
    marks.total += fees[f];
    marks.red[static_cast<std::size_t>(f)] = fees[f] > 0;
  };
  marks.fettschrift = is_true(article, store::F::Fettschrift);
  marks.textmarker = is_true(article, store::F::Textmarker);
  marks.top_kategorie = is_true(article, store::F::Top_Kategorie);
  charge(Feature::Fettschrift, marks.fettschrift);
  charge(Feature::Textmarker, marks.textmarker);
  charge(Feature::TopKategorie, marks.top_kategorie);
  charge(Feature::Untertitel, has_text(article, store::F::Untertitel));
  auto minimum = value(article, store::F::Mindestpreis).as_amount();
  charge(Feature::Mindestpreis, minimum && *minimum > 0);
  charge(Feature::UploadBild2, has_text(article, store::F::Bild2));
  charge(Feature::UploadBild3, has_text(article, store::F::Bild3));
  marks.total_red = marks.total > 0;
  return marks;
}

UploadTotals sum_upload_fees(const store::Table& uploads) {
  constexpr std::size_t fee = store::index_of(store::F::Gebuehr);
  UploadTotals totals;
  totals.count = uploads.count();
  for (std::size_t i = 0; i < totals.count; ++i) {
    totals.total += uploads.row(i)[fee].as_amount().value_or(0);
  }
  return totals;
}

UploadTotals upload_totals(store::Table& uploads) {
  uploads.last();
  return sum_upload_fees(uploads);
}

}  // namespace tellvaro::catalogue
