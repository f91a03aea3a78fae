#include "import/auction_import.h"

#include <filesystem>
#include <memory>

#include "db/connection.h"
#include "ports/progress.h"
#include "store/field.h"
#include "store/table.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"
#include "upload/codes.h"

namespace tellvaro::importer {
namespace {

namespace fs = std::filesystem;

enum class Rule { Text, Code, Picture, Payment };

using store::F;

struct Mapping {
  std::string_view column;
  std::optional<F> field;  // for the payment: none, it fills p1..p15
  Rule rule;
};

// The order in which the fields are filled.
constexpr Mapping kMapping[] = {
    {"auction_type", F::Anzeigenart, Rule::Code},
    {"title", F::Artikelname, Rule::Text},
    {"qm_untertitel", F::Untertitel, Rule::Text},
    {"sprache", F::Sprache, Rule::Code},
    {"einheiten", F::Einheiten, Rule::Text},
    {"masseinheit", F::Masseinheit, Rule::Code},
    {"html_desc_1", F::html_desc_1, Rule::Text},
    {"qm_fsk18_artikel", F::FSK_18, Rule::Code},
    {"qm_preis_vorschlag", F::Preisvorschlag, Rule::Code},
    {"qm_preis_vorschlag_minimum", F::Preisvorschlag_Minimum, Rule::Text},
    {"description", F::Beschreibung, Rule::Text},
    {"category", F::Kategorie_Nummer, Rule::Text},
    {"category_2", F::Kategorie_Nummer_2, Rule::Text},
    {"duration", F::Auktionsdauer, Rule::Text},
    {"qm_wiedereinstellen", F::Wiedereinstellen, Rule::Code},
    {"zustand", F::Zustand, Rule::Code},
    {"location_zip", F::location_zip, Rule::Text},
    {"location", F::location, Rule::Text},
    {"country", F::country, Rule::Text},
    {"minimum_bid", F::Startpreis, Rule::Text},
    {"buynow", F::Sofortkauf, Rule::Text},
    {"quantity", F::Anzahl, Rule::Text},
    {"buy_now_show", F::Verhalten, Rule::Code},
    {"qm_minimum_preis", F::Mindestpreis, Rule::Text},
    {"qm_minimum_preis_zeigen", F::minimum_preis_zeigen, Rule::Code},
    {"shipping", F::shipping, Rule::Text},
    {"qm_versandart_1", F::Versand_1, Rule::Text},
    {"qm_versandart_2", F::Versand_2, Rule::Text},
    {"qm_versandart_3", F::Versand_3, Rule::Text},
    {"qm_versandkosten_1", F::Versandpreis_1, Rule::Text},
    {"qm_versandkosten_2", F::Versandpreis_2, Rule::Text},
    {"qm_versandkosten_3", F::Versandpreis_3, Rule::Text},
    {"international", F::international, Rule::Code},
    {"fett", F::Fettschrift, Rule::Code},
    {"marker", F::Textmarker, Rule::Code},
    {"topkat", F::Top_Kategorie, Rule::Code},
    {"pict_url", F::Bild1, Rule::Picture},
    {"pict_url2", F::Bild2, Rule::Picture},
    {"pict_url3", F::Bild3, Rule::Picture},
    {"payment", std::nullopt, Rule::Payment},
};

std::string selection_statement(const db::Connection& db, std::string_view user_id) {
  return "select * from auctions where user=" + db.quoted(user_id);
}

std::size_t row_count(db::Connection& db, const std::string& sql) {
  auto result = db.query(sql);
  if (!result) throw Error("Die Auktionen konnten nicht gelesen werden: " + db.last_error());
  return result->row_count();
}

// Picture rule for one column.
// A field of a record being filled "as text", as a table's set_text() writes it.
void put_text(store::Record& record, F field, std::string_view text) {
  store::at(record, field) = store::from_text(text, store::field_of(field));
}

// A picture already in the folder: the server's size alone decides whether it is taken.
ServerPicture asked(PictureSource& pictures, const std::string& name) {
  const std::optional<std::uint64_t> size = pictures.size(name);
  if (!size) return {ServerPicture::Kind::Missing, 0};
  if (*size == 0) return {ServerPicture::Kind::Empty, 0};
  if (*size > kMaxPictureBytes) return {ServerPicture::Kind::TooLarge, *size};
  return {ServerPicture::Kind::Present, *size};
}

void apply_picture(store::Record& record, F field, const std::string& name, PictureSource& pictures,
                   const std::string& folder, const Notes& notes, const std::string& auction) {
  auto note = [&](const std::string& why) {
    if (notes) notes("Bild \"" + name + "\" der Auktion " + auction + " nicht übernommen: " + why);
  };
  // Nothing on the server can have an empty name; asking would only cost a round trip.
  if (name.empty()) return;
  if (auto why = unusable_picture_name(name)) {
    note(*why);
    return;
  }
  const std::string local = folder + name;
  std::error_code ec;
  const ServerPicture found = fs::exists(fs::symlink_status(local, ec))
                                  ? asked(pictures, name)
                                  : pictures.fetch(name, local);
  if (auto why = left_out(found)) {
    note(*why);
    return;
  }
  put_text(record, field, name);
}

// The file server of one run: one login for all of its pictures.
class FtpPictures : public PictureSource {
 public:
  FtpPictures(net::Endpoint endpoint, net::Timeouts timeouts)
      : session_(std::move(endpoint), timeouts) {}

  void open() { session_.open(); }
  long connections() const { return session_.connections_opened(); }

  std::optional<std::uint64_t> size(const std::string& name) override {
    return session_.size(name);
  }
  ServerPicture fetch(const std::string& name, const std::string& local_path) override {
    using net::FtpSession;
    // Generous for a slow line (50 kB/s), but a server that trickles cannot hold the run for
    // ever.
    const FtpSession::FetchResult got =
        session_.fetch(name, local_path, {kMaxPictureBytes, 30000, 50});
    switch (got.outcome) {
      case FtpSession::Fetched::Stored:
        return {ServerPicture::Kind::Present, got.bytes};
      case FtpSession::Fetched::Missing:
        return {ServerPicture::Kind::Missing, 0};
      case FtpSession::Fetched::Empty:
        return {ServerPicture::Kind::Empty, 0};
      case FtpSession::Fetched::TooLarge:
        break;
    }
    return {ServerPicture::Kind::TooLarge, got.bytes};
  }

 private:
  net::FtpSession session_;
};

}  // namespace

std::string count_statement(const db::Connection& db, std::string_view user_id, bool expired) {
  return "select * from auctions where (user=" + db.quoted(user_id) +
         " and closed=" + (expired ? "1" : "0") + ") ";
}

std::optional<std::string> import_statement(const db::Connection& db, std::string_view user_id,
                                            Selection selection) {
  if (selection.current && selection.expired) return selection_statement(db, user_id);
  if (selection.current) return selection_statement(db, user_id) + " and closed=0";
  if (selection.expired) return selection_statement(db, user_id) + " and closed=1";
  return std::nullopt;
}

Counts count_auctions(db::Connection& db, std::string_view user_id) {
  Counts c;
  c.current = row_count(db, count_statement(db, user_id, false));
  c.expired = row_count(db, count_statement(db, user_id, true));
  return c;
}

std::optional<std::string_view> decode(std::string_view column, std::string_view code) {
  const upload::CodeTable* table = upload::code_table_for_column(column);
  if (!table) return std::nullopt;
  return table->decode(code);
}

void apply_payment(store::Record& record, std::string_view payment,
                   const catalogue::PaymentNames& names) {
  for (std::size_t i = 0; i < catalogue::kPaymentSlots; ++i) {
    const std::string& name = names.name[i];
    if (name.empty() || payment.find(name) == std::string_view::npos) continue;
    store::at(record, store::payment_flag(static_cast<int>(i) + 1)) = store::Value::flag(true);
  }
}

std::optional<std::string> unusable_picture_name(std::string_view name) {
  if (name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos)
    return "Der Name enthält einen Pfadtrenner.";
  if (name.find("..") != std::string_view::npos) return "Der Name enthält \"..\".";
  // "C:bild.jpg" names a drive on the seller's Windows machine; a colon has no place in a name.
  if (name.find(':') != std::string_view::npos)
    return "Der Name enthält einen Laufwerksbuchstaben oder Doppelpunkt.";
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7f) return "Der Name enthält ein Steuerzeichen.";
  }
  if (name == ".") return "Der Name bezeichnet den Bilderordner selbst.";
  const auto width = static_cast<std::size_t>(store::field_of(F::Bild1).width);
  if (text::char_count(name) > width)
    return "Der Name ist länger als " + text::format_int(width) + " Zeichen.";
  return std::nullopt;
}

std::optional<std::string> left_out(const ServerPicture& picture) {
  using K = ServerPicture::Kind;
  switch (picture.kind) {
    case K::Missing:
      return "Auf dem Bildserver nicht gefunden.";
    case K::Empty:
      return "Die Datei auf dem Bildserver ist leer.";
    case K::TooLarge:
      if (picture.bytes == 0)
        return "größer als erlaubt (" + text::format_int(kMaxPictureBytes) + " Bytes).";
      return "mit " + text::format_int(picture.bytes) + " Bytes größer als erlaubt (" +
             text::format_int(kMaxPictureBytes) + " Bytes).";
    case K::Present:
      break;
  }
  return std::nullopt;
}

void fill_record(store::Record& record, const Columns& row, const catalogue::PaymentNames& names,
                 PictureSource& pictures, const std::string& picture_folder, const Notes& notes) {
  const std::string auction = row("id").value_or("?");
  for (const Mapping& m : kMapping) {
    const std::optional<std::string> value = row(m.column);
    if (!value) continue;
    switch (m.rule) {
      case Rule::Text:
        put_text(record, *m.field, *value);
        break;
      case Rule::Code:
        if (auto text = decode(m.column, *value)) put_text(record, *m.field, *text);
        break;
      case Rule::Picture:
        apply_picture(record, *m.field, *value, pictures, picture_folder, notes, auction);
        break;
      case Rule::Payment:
        apply_payment(record, *value, names);
        break;
    }
  }
}

RunResult import_auctions(const Services& services, Selection selection, const Hooks& hooks) {
  RunResult out;
  const auto sql = import_statement(services.db, services.user_id, selection);
  if (!sql) return out;
  auto result = services.db.query(*sql);
  if (!result)
    throw Error("Die Auktionen konnten nicht gelesen werden: " + services.db.last_error());
  out.rows = result->row_count();
  if (out.rows == 0) return out;

  ports::NoProgress none;
  ports::ProgressRun progress(hooks.progress ? *hooks.progress : none, out.rows);
  try {
    // The session says QUIT when it goes out of scope, after an error too.
    FtpPictures pictures(services.ftp, services.timeouts);
    try {
      pictures.open();
      const Columns columns = [&](std::string_view column) { return result->value(column); };
      result->first();
      for (std::size_t i = 0; i < out.rows; ++i) {
        if (i > 0 && hooks.stop && hooks.stop()) {
          out.stopped = true;
          break;
        }
        store::Record record = store::empty_record();
        try {
          fill_record(record, columns, services.payments, pictures, services.picture_folder,
                      hooks.note);
        } catch (const Error& e) {
          throw Error("Import der Auktion " + result->value("id").value_or("?") +
                      " abgebrochen: " + e.what());
        }
        out.records.push_back(std::move(record));
        progress.advance();
        result->next();
      }
    } catch (...) {
      out.ftp_connections = pictures.connections();
      throw;
    }
    out.ftp_connections = pictures.connections();
  } catch (const Error& e) {
    out.error = e.what();
  }
  return out;
}

std::vector<store::Table::Key> add_imported(const RunResult& result, store::Table& imports) {
  return imports.add(result.records);
}

RunResult run_import(const Services& services, Selection selection, store::Table& imports,
                     const Hooks& hooks) {
  RunResult out = import_auctions(services, selection, hooks);
  out.imported = add_imported(out, imports).size();
  if (!out.error.empty()) throw Error(out.error);
  return out;
}

}  // namespace tellvaro::importer
