#pragma once

// Texts the main window shows that follow the data: the status bar's panels, the import
// view's check boxes, and the mark beside an upload row that was listed before.

#include <cstddef>
#include <string>
#include <string_view>

namespace tellvaro::upload {
struct Listing;
}

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

}  // namespace tellvaro::presentation
