#pragma once

// The article description (`Beschreibung`) loaded from a text or HTML file.

#include <string>
#include <string_view>

namespace tellvaro::store {
class Table;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::media {

inline constexpr std::string_view kDescriptionFilter = "All (*.txt *.htm *.html)";

// A file's bytes as description text: valid UTF-8 (a byte order mark dropped) is taken as
// UTF-8, anything else as Windows-1252. Lines end at CR LF or LF; a last line without a break
// counts; the lines are joined by CR LF. No bytes give the empty text.
std::string description_text(std::string_view bytes);

// True when the bytes are well-formed UTF-8 (shortest forms, no surrogates).
bool valid_utf8(std::string_view bytes);

// A description is foreign HTML (an import, a supplier's text): the preview shows its markup
// and styles and nothing else. The policy allows inline styles and embedded (data:) images and
// fonts; no script, frame, form target or request to any server.
inline constexpr std::string_view kPreviewPolicy =
    "default-src 'none'; style-src 'unsafe-inline'; img-src data:; font-src data:; "
    "base-uri 'none'; form-action 'none'";

// The document the preview renders: the description with the policy as a meta element in
// front, after a leading doctype so the page keeps its rendering mode.
std::string preview_document(std::string_view description);

// "Datei öffnen": asks for a file, puts the current article into editing, reads the file into
// `Beschreibung` as the seller's own text (a frame chosen stays) and posts. False when no file was
// chosen. A file that cannot be read throws tellvaro::Error; the article then stays in editing with
// its text unchanged.
bool load_description(store::Table& articles, ports::Dialogs& dialogs);

}  // namespace tellvaro::media
