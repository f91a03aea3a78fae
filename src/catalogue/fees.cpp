#include "catalogue/fees.h"

#include "store/table.h"
#include "text/number.h"

namespace tellvaro::catalogue {
namespace {

bool is_true(const store::Table& t, store::F field) {
  auto flag = t.get(field).as_flag();
  return flag && *flag;
}

bool has_text(const store::Table& t, store::F field) { return !t.text(field).empty(); }

}  // namespace

FeeMarks compute_fees(const FeatureFees& fees, const store::Table& articles) {
  FeeMarks marks;
  auto charge = [&](Feature f, bool used) {
    if (!used) return;
    marks.total += fees[f];
    marks.red[static_cast<std::size_t>(f)] = fees[f] > 0;
  };
  marks.fettschrift = is_true(articles, store::F::Fettschrift);
  marks.textmarker = is_true(articles, store::F::Textmarker);
  marks.top_kategorie = is_true(articles, store::F::Top_Kategorie);
  charge(Feature::Fettschrift, marks.fettschrift);
  charge(Feature::Textmarker, marks.textmarker);
  charge(Feature::TopKategorie, marks.top_kategorie);
  charge(Feature::Untertitel, has_text(articles, store::F::Untertitel));
  auto minimum = articles.get(store::F::Mindestpreis).as_amount();
  charge(Feature::Mindestpreis, minimum && *minimum > 0);
  charge(Feature::UploadBild2, has_text(articles, store::F::Bild2));
  charge(Feature::UploadBild3, has_text(articles, store::F::Bild3));
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

std::string articles_panel(std::size_t count) {
  return "Artikel in Artikel-Tabelle: " + std::to_string(count);
}

std::string uploads_panel(std::size_t count) {
  return "Artikel in Upload-Tabelle: " + std::to_string(count);
}

std::string upload_total_panel(double total) {
  return "Upload-Gesamtpreis: " + text::format_number(total);
}

}  // namespace tellvaro::catalogue
