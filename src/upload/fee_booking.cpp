#include "upload/fee_booking.h"

#include <system_error>

#include "db/connection.h"
#include "text/number.h"
#include "upload/auction_row.h"

namespace tellvaro::upload {
namespace {

using catalogue::Feature;

struct ItemText {
  Feature feature;
  std::string_view description;
  std::string_view protocol;  // after the amount
};

// Two protocol texts end with a blank; the mail and the screen show them so.
constexpr ItemText kItems[] = {
    {Feature::Fettschrift, "Hervorhebung: Fettschrift", " Euro: Hervorhebung: Fettschrift"},
    {Feature::Textmarker, "Hervorhebung: Textmarker", " Euro: Hervorhebung: Textmarker"},
    {Feature::TopKategorie, "Hervorhebung: Top-Kategorie", " Euro: Hervorhebung: Top-Kategorie"},
    {Feature::UploadBild2, "Upload 2. Bild", " Euro: Upload 2. Bild"},
    {Feature::UploadBild3, "Upload 3. Bild", " Euro: Upload 3. Bild"},
    {Feature::Untertitel, "Untertitel", " Euro: Untertitel "},
    {Feature::Mindestpreis, "Mindestpreis", " Euro: Mindestpreis "},
};

bool is_true(const store::Record& article, store::F field) {
  auto flag = store::at(article, field).as_flag();
  return flag && *flag;
}

bool used(Feature f, const store::Record& a, const std::filesystem::path& folder) {
  switch (f) {
    case Feature::Fettschrift:
      return is_true(a, store::F::Fettschrift);
    case Feature::Textmarker:
      return is_true(a, store::F::Textmarker);
    case Feature::TopKategorie:
      return is_true(a, store::F::Top_Kategorie);
    case Feature::UploadBild2:
      return picture_file_exists(folder, field_text(a, store::F::Bild2));
    case Feature::UploadBild3:
      return picture_file_exists(folder, field_text(a, store::F::Bild3));
    case Feature::Untertitel:
      return !field_text(a, store::F::Untertitel).empty();
    case Feature::Mindestpreis: {
      auto minimum = store::at(a, store::F::Mindestpreis).as_amount();
      return minimum && *minimum > 0;
    }
  }
  return false;
}

}  // namespace

bool picture_file_exists(const std::filesystem::path& folder, std::string_view name) {
  // A picture is a file of the folder itself; a path in the field (from a table file written
  // elsewhere) must not reach a file outside it.
  if (name.empty() || name.find_first_of("/\\") != std::string_view::npos) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(folder / std::filesystem::path(name), ec);
}

FeeRows book_fees(const db::Connection& quoting, const store::Record& article,
                  const ArticleContext& send, const catalogue::FeatureFees& fees) {
  const std::filesystem::path picture_folder(send.picture_folder);
  FeeRows booking;
  const double total = store::at(article, store::F::Gebuehr).as_amount().value_or(0);
  booking.head_lines.push_back(text::format_money(total) + " Euro: Gesamt Uploadkosten");
  booking.head_lines.push_back(std::string(62, '-'));

  const std::string common =
      quoting.quoted("") + "," + quoting.quoted("") + "," + quoting.quoted(send.start_text) + "," +
      quoting.quoted(send.seller_id) + "," + quoting.quoted(send.auction_number) + "," +
      quoting.quoted(field_text(article, store::F::Artikelname)) + ",";
  for (const auto& item : kItems) {
    const double fee = fees[item.feature];
    if (!(fee > 0) || !used(item.feature, article, picture_folder)) continue;
    BookedFee booked;
    booked.statement =
        "insert into accountpos (id, re_nr, date, user_id, auction_id, auction_title, "
        "description, value, closed) values(" +
        common + quoting.quoted(item.description) + "," + quoting.quoted(text::format_number(fee)) +
        "," + quoting.quoted("0") + ")";
    booked.line = text::format_money(fee) + std::string(item.protocol);
    booking.fees.push_back(std::move(booked));
  }
  return booking;
}

}  // namespace tellvaro::upload
