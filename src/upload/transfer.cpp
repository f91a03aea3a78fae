#include "upload/transfer.h"

#include "ports/dialogs.h"
#include "store/table.h"
#include "upload/auction_row.h"

namespace tellvaro::upload {
namespace {

bool any_payment(const store::Record& article) {
  for (int i = 1; i <= 15; ++i) {
    auto flag = article[store::field_at("p" + std::to_string(i))].as_flag();
    if (flag && *flag) return true;
  }
  return false;
}

// The send would stop such an article; the seller hears of it while he can still mend it.
std::string unstorable_warning(const store::Record& article) {
  const std::string found = unstorable_message(article);
  if (found.empty()) return {};
  return found +
         "\nSo kann der Artikel nicht gesendet werden; bitte ersetzen Sie diese Zeichen im "
         "Artikel und übertragen Sie ihn neu.";
}

void append_copy(store::Table& uploads, const store::Record& article) {
  uploads.append();
  uploads.set_values(upload_copy(article));
  uploads.post();
}

}  // namespace

std::optional<Gap> find_gap(const store::Record& a) {
  struct Check {
    std::string_view field;
    Gap gap;
  };
  static constexpr Check kTextChecks[] = {
      {"Artikelname", {"Bitte Artikelnamen eingeben.", EditorPage::Artikel}},
      {"Kategorie Nummer", {"Bitte eine Kategorie Nummer auswählen.", EditorPage::Kategorie}},
      {"Auktionsdauer", {"Bitte die Auktionsdauer angeben.", EditorPage::Artikel}},
      {"location_zip", {"Bitte zu Artikelstandort die PLZ angeben.", EditorPage::Artikel}},
      {"location", {"Bitte zu Artikelstandort den Ort angeben.", EditorPage::Artikel}},
      {"Startpreis", {"Bitte den Startpreis angeben.", EditorPage::Artikel}},
  };
  for (const auto& check : kTextChecks) {
    if (field_text(a, check.field).empty()) return check.gap;
  }
  if (!any_payment(a)) return Gap{"Bitte die Bezahlart auswählen.", EditorPage::Bezahlung};
  if (field_text(a, "Beschreibung").empty()) {
    return Gap{"Bitte die Artikel-Beschreibung eigeben.", EditorPage::Beschreibung};
  }
  return std::nullopt;
}

const std::array<std::string_view, 57>& copied_fields() {
  static constexpr std::array<std::string_view, 57> kFields = {
      "Anzeigenart",
      "Artikelname",
      "Untertitel",
      "Sprache",
      "Einheiten",
      "Masseinheit",
      "FSK 18",
      "html_desc_1",
      "Beschreibung",
      "Kategorie",
      "Kategorie 2",
      "Kategorie Nummer",
      "Kategorie Nummer 2",
      "Auktionsdauer",
      "Wiedereinstellen",
      "Zustand",
      "location_zip",
      "location",
      "country",
      "Startpreis",
      "Sofortkauf",
      "Anzahl",
      "Verhalten",
      "Mindestpreis",
      "minimum_preis_zeigen",
      "Preisvorschlag",
      "Preisvorschlag-Minimum",
      "shipping",
      "Versand_1",
      "Versand_2",
      "Versand_3",
      "Versandpreis_1",
      "Versandpreis_2",
      "Versandpreis_3",
      "international",
      "Fettschrift",
      "Textmarker",
      "Top-Kategorie",
      "Gebühr",
      "Bild1",
      "Bild2",
      "Bild3",
      "p1",
      "p2",
      "p3",
      "p4",
      "p5",
      "p6",
      "p7",
      "p8",
      "p9",
      "p10",
      "p11",
      "p12",
      "p13",
      "p14",
      "p15",
  };
  return kFields;
}

store::Record upload_copy(const store::Record& article) {
  store::Record copy = store::empty_record();
  for (auto name : copied_fields()) {
    const std::size_t i = store::field_at(name);
    if (i < article.size()) copy[i] = article[i];
  }
  return copy;
}

std::string transfer_question(std::size_t count) {
  return "Sollen " + std::to_string(count) + " Artikel in die Upload-Tabelle übertragen werden ?";
}

std::string incomplete_line(std::string_view name) {
  return "Artikel:" + std::string(name) + " ist unvolständig !!!";
}

std::string transfer_summary(std::size_t transferred, std::size_t incomplete) {
  std::string text =
      std::to_string(transferred) + " Artikel erfolgreich in die Upload-Tabelle übertragen.";
  if (incomplete > 0) {
    text += "\r\n\r\n" + std::to_string(incomplete) +
            " Artikel sind unvollständig und wurden nicht in die Upload-Tabelle übertragen."
            "\r\n\r\nEine Liste der unvollständigen Artikel finden Sie im Upload-Protokoll.";
  }
  return text;
}

OneTransfer transfer_current(store::Table& articles, store::Table& uploads, ports::Dialogs& dialogs,
                             const Copied& copied) {
  const store::Record article = articles.values();
  OneTransfer result;
  if (auto gap = find_gap(article)) {
    dialogs.inform(std::string(gap->message));
    result.page = gap->page;
    return result;
  }
  append_copy(uploads, article);
  result.copied = true;
  if (copied) copied();
  std::string text =
      field_text(article, "Artikelname") + " wurde in die Upload-Tabelle übertragen.";
  if (const std::string warning = unstorable_warning(article); !warning.empty())
    text += "\r\n\r\n" + warning;
  dialogs.inform(text);
  return result;
}

AllTransfer transfer_all(store::Table& articles, store::Table& uploads, ports::Dialogs& dialogs,
                         const AddLine& protocol, const Copied& copied) {
  AllTransfer result;
  // Settle an edit first: posting it may move the record or take it out of the filter.
  articles.post_if_changed();
  const std::size_t count = articles.count();
  if (dialogs.ask_yes_no(transfer_question(count)) != ports::Answer::Yes) return result;
  result.asked_yes = true;
  {
    // One notification per table for the whole run, so the grids repaint once.
    store::Table::Batch article_batch(articles), upload_batch(uploads);
    articles.first();
    for (std::size_t i = 0; i < count && !articles.at_end(); ++i) {
      const store::Record article = articles.values();
      if (find_gap(article)) {
        ++result.incomplete;
        if (protocol) protocol(incomplete_line(field_text(article, "Artikelname")));
      } else {
        ++result.transferred;
        append_copy(uploads, article);
        if (std::string found = unstorable_message(article); !found.empty()) {
          ++result.unstorable;
          for (char& c : found)
            if (c == '\n') c = ' ';
          if (protocol) protocol(found);
        }
      }
      articles.next();
    }
  }
  if (result.transferred > 0 && copied) copied();
  std::string summary = transfer_summary(result.transferred, result.incomplete);
  if (result.unstorable > 0) {
    summary += "\r\n\r\n" + std::to_string(result.unstorable) +
               (result.unstorable == 1
                    ? " übertragener Artikel enthält Zeichen, die das Auktionshaus nicht speichern "
                      "kann, und kann so nicht gesendet werden."
                    : " übertragene Artikel enthalten Zeichen, die das Auktionshaus nicht "
                      "speichern kann, und können so nicht gesendet werden.") +
               " Die Liste finden Sie im Upload-Protokoll.";
  }
  dialogs.inform(summary);
  return result;
}

}  // namespace tellvaro::upload
