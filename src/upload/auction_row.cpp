#include "upload/auction_row.h"

#include "db/connection.h"
#include "store/description_frames.h"
#include "text/cp1252.h"
#include "text/number.h"
#include "upload/codes.h"
#include "upload/fee_booking.h"

namespace tellvaro::upload {
namespace {

bool is_true(const store::Record& article, store::F field) {
  auto flag = store::at(article, field).as_flag();
  return flag && *flag;
}

std::string coded(const store::Record& article, const CodeTable& table) {
  return std::string(table.encode(field_text(article, table.field)));
}

}  // namespace

std::string field_text(const store::Record& article, store::F field) {
  const std::size_t i = store::index_of(field);
  if (i >= article.size()) return {};
  return store::to_text(article[i], store::field_of(field));
}

std::string photo_flag(const store::Record& article) {
  for (auto f : {store::F::Bild1, store::F::Bild2, store::F::Bild3}) {
    if (!field_text(article, f).empty()) return "1";
  }
  return "0";
}

std::string payment_text(const store::Record& article, const catalogue::PaymentNames& names) {
  std::string out;
  for (std::size_t i = 0; i < catalogue::kPaymentSlots; ++i) {
    if (is_true(article, store::payment_flag(static_cast<int>(i) + 1)))
      out += names.name[i] + " \n";
  }
  return out;
}

std::string picture_name(std::string_view auction_number, int slot) {
  std::string name(auction_number);
  if (slot > 1) name += "_" + text::format_int(slot);
  return name + ".jpg";
}

std::optional<store::Record> as_sent(const store::Record& article, const store::FrameFolder* frames,
                                     std::string* problem) {
  const std::string* description = store::at(article, store::F::Beschreibung).as_string();
  if (!frames || !description || !store::frame_of(*description)) return article;
  store::FramedDescription framed = frames->framed(article);
  if (!framed.problem.empty()) {
    if (problem) *problem = std::move(framed.problem);
    return std::nullopt;
  }
  store::Record sent = article;
  store::at(sent, store::F::Beschreibung) = store::Value::text(std::move(framed.text));
  return sent;
}

std::string listing_description(const store::Record& article) {
  const std::string text = field_text(article, store::F::Beschreibung);
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\'') {
      out += "\u00b4";
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<UnstorableText> unstorable_texts(const store::Record& article) {
  using store::F;
  static constexpr F kSentAsTyped[] = {
      F::Artikelname,        F::Untertitel,   F::Einheiten, F::Beschreibung, F::Kategorie_Nummer,
      F::Kategorie_Nummer_2, F::Versand_1,    F::Versand_2, F::Versand_3,    F::Auktionsdauer,
      F::location,           F::location_zip, F::country,   F::shipping,     F::Anzahl};
  std::vector<UnstorableText> out;
  for (F field : kSentAsTyped) {
    auto chars = text::chars_outside_cp1252(field_text(article, field));
    if (!chars.empty()) out.push_back({field, std::move(chars)});
  }
  return out;
}

std::string unstorable_message(const store::Record& article) {
  const auto found = unstorable_texts(article);
  if (found.empty()) return {};
  std::string text = "Der Artikel \"" + field_text(article, store::F::Artikelname) +
                     "\" enthält Zeichen, die das Auktionshaus nicht speichern kann:";
  for (const UnstorableText& f : found) {
    text += "\n" + std::string(store::name_of(f.field)) + ": ";
    for (std::size_t i = 0; i < f.chars.size(); ++i)
      text += (i ? ", \"" : "\"") + f.chars[i] + "\"";
  }
  return text;
}

std::vector<ColumnValue> auction_row(const store::Record& a, const ArticleContext& send,
                                     const catalogue::PaymentNames& names) {
  auto f = [&](store::F field) { return field_text(a, field); };
  return {
      {"id", send.auction_number},
      {"user", send.seller_id},
      {"title", f(store::F::Artikelname)},
      {"qm_untertitel", f(store::F::Untertitel)},
      {"sprache", coded(a, language_codes())},
      {"einheiten", f(store::F::Einheiten)},
      {"masseinheit", coded(a, unit_codes())},
      {"starts", send.start_text},
      {"html_desc_1", f(store::F::html_desc_1)},
      {"description", listing_description(a)},
      {"pict_url", send.picture_names[0]},
      {"category", f(store::F::Kategorie_Nummer)},
      {"category_2", f(store::F::Kategorie_Nummer_2)},
      {"minimum_bid", f(store::F::Startpreis)},
      {"qm_fsk18_artikel", coded(a, fsk18_codes())},
      {"qm_preis_vorschlag", coded(a, price_offer_codes())},
      {"qm_preis_vorschlag_minimum", f(store::F::Preisvorschlag_Minimum)},
      {"qm_minimum_preis", f(store::F::Mindestpreis)},
      {"qm_minimum_preis_zeigen", coded(a, minimum_show_codes())},
      {"qm_versandart_1", f(store::F::Versand_1)},
      {"qm_versandkosten_1", f(store::F::Versandpreis_1)},
      {"qm_versandart_2", f(store::F::Versand_2)},
      {"qm_versandkosten_2", f(store::F::Versandpreis_2)},
      {"qm_versandart_3", f(store::F::Versand_3)},
      {"qm_versandkosten_3", f(store::F::Versandpreis_3)},
      {"auction_type", coded(a, listing_type_codes())},
      {"duration", f(store::F::Auktionsdauer)},
      {"location", f(store::F::location)},
      {"location_zip", f(store::F::location_zip)},
      {"country", f(store::F::country)},
      {"shipping", f(store::F::shipping)},
      {"payment", payment_text(a, names)},
      {"international", coded(a, international_codes())},
      {"ends", send.end_text},
      {"qm_wiedereinstellen", coded(a, relisting_codes())},
      {"current_bid", "0", false},
      {"closed", "0", false},
      {"photo_uploaded", photo_flag(a)},
      {"quantity", f(store::F::Anzahl)},
      {"suspended", "0", false},
      {"fett", coded(a, bold_codes())},
      {"marker", coded(a, marker_codes())},
      {"topkat", coded(a, top_category_codes())},
      {"zustand", coded(a, condition_codes())},
      {"buynow", f(store::F::Sofortkauf)},
      {"buy_now_show", coded(a, buy_now_codes())},
      {"pict_url2", send.picture_names[1]},
      {"pict_url3", send.picture_names[2]},
  };
}

std::string auction_insert(const db::Connection& quoting, const std::vector<ColumnValue>& row) {
  std::string columns;
  std::string values;
  for (const auto& c : row) {
    if (!columns.empty()) {
      columns += ", ";
      values += ',';
    }
    columns += c.column;
    values += c.quoted ? quoting.quoted(c.value) : c.value;
  }
  return "insert into auctions (" + columns + ") values(" + values + ")";
}

std::string auction_insert(const db::Connection& quoting, const store::Record& article,
                           const ArticleContext& send, const catalogue::PaymentNames& names) {
  return auction_insert(quoting, auction_row(article, send, names));
}

}  // namespace tellvaro::upload

namespace tellvaro::upload {

std::string AuctionHouseRows::auction_row(const store::Record& article, const ArticleContext& c) {
  return auction_insert(quoting_, article, c, payments_);
}

FeeRows AuctionHouseRows::fee_rows(const store::Record& article, const ArticleContext& c) {
  return book_fees(quoting_, article, c, fees_);
}

}  // namespace tellvaro::upload
