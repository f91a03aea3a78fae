#pragma once

// Texts the main window shows that follow the data: the status bar's panels, the import
// view's check boxes, the mark beside an upload row that was listed before, the editor's fees
// and category lists, the dates and months of the seller's fees.

#include <cstddef>
#include <string>
#include <string_view>

namespace tellvaro::upload {
struct Listing;
}
namespace tellvaro::catalogue {
struct CategoryEntry;
enum class Slot;
}  // namespace tellvaro::catalogue

namespace tellvaro::presentation {

// The first three status bar panels before anything is counted.
inline constexpr std::string_view kArticlesPanel = "Artikel in Artikel-Tabelle:";
inline constexpr std::string_view kUploadsPanel = "Artikel in Upload-Tabelle:";
inline constexpr std::string_view kUploadTotalPanel = "Upload-Gesamtpreis:";

std::string articles_panel(std::size_t count);  // "Artikel in Artikel-Tabelle: 3"
std::string uploads_panel(std::size_t count);   // "Artikel in Upload-Tabelle: 3"
std::string upload_total_panel(double total);   // "Upload-Gesamtpreis: 0.6"

// "2 Aktuelle Artikel importieren", "5 Abgelaufene Artikel importieren"
std::string current_import_caption(std::size_t count);
std::string expired_import_caption(std::size_t count);

// Beside the row number of an upload row that was listed: "✔ 1234", and as its tool tip
// "Eingestellt am 10.12.2026 20:31:05 als Auktion 1234" (local time).
struct RowMark {
  std::string mark;
  std::string tip;
};
RowMark listed_row_mark(const upload::Listing& listing);

// Beside a feature's control and as the article's total: "( 0.50 € )".
std::string fee_label(double fee);
// The colour of a fee that is charged (above 0): RGB 221, 0, 0.
inline constexpr unsigned kChargedFeeColour = 0xDD0000;

// An entry of a category list: its name, with " -->" (top level) or " ->" (the lists below)
// when it has sub-categories.
std::string category_entry_label(const catalogue::CategoryEntry& entry, bool top_level);
// The slot chooser's captions "Kat 1" and "Kat 2"; anything else chooses no slot.
catalogue::Slot category_slot(std::string_view caption);

// "Meine Rechnungen": a fee row's date "2026-12-10 14:05:09" as "10.12.2026 14:05:09" (any other
// form as it is), and a month's caption "Dezember 2026" ("ohne Datum" where the rows have none).
std::string fee_row_date(std::string_view server_date);
std::string fee_month_caption(std::string_view month);

}  // namespace tellvaro::presentation
