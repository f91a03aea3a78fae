#pragma once

// The three picture slots of an article (fields Bild1 to Bild3) and the picture folder they
// name files in: attaching a file (copied, or shrunk to the size limit), deleting it, and the
// pixels for the previews. The folder is shared by every article of every table.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/image.h"
#include "media/picture_rules.h"
#include "store/csv.h"
#include "store/field.h"

namespace tellvaro::store {
class Table;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::media {

// folder + name, when `name` can only mean a file directly in the folder: not empty, no path
// separator, not "." or "..". A field holding "../x" names no picture (it comes from files and
// imports, and must never lead a deletion or an upload outside the folder).
std::optional<std::string> picture_path(std::string_view folder, std::string_view name);

// The picture file named `name` is in the folder (a regular file).
bool picture_exists(std::string_view folder, std::string_view name);

// The file of slot `slot` (1 to 3) of the table's current record, when it is in the folder.
std::optional<std::string> slot_picture(const store::Table& table, std::string_view folder,
                                        int slot);

// The file dialog's entries, in the dialogs' filter form.
inline constexpr std::string_view kPictureFilter =
    "All (*.jpg *.jpeg *.bmp *.gif);;JPEG Image File (*.jpg);;JPEG Image File (*.jpeg);;"
    "Bitmaps (*.bmp);;GIF (*.gif)";

// The texts of the questions and messages (two lines where there are two).
inline constexpr std::string_view kAskShrink =
    "Diese Datei ist zu groß !\nSoll diese Datei automatisch verkleinert werden?";
inline constexpr std::string_view kTooLargeNoShrink =
    "Diese Datei ist zu groß !\nVerkleinern Sie die Datei oder verwenden Sie eine .JPG oder "
    ".BMP Datei.";
inline constexpr std::string_view kCannotShrink =
    "Diese Datei lässt sich nicht klein genug verkleinern !\nAuch die kleinste Stufe bleibt "
    "über 1000000 Bytes. Verwenden Sie eine andere Datei.";
inline constexpr std::string_view kAskDelete = "Datei löschen?";

enum class AttachOutcome {
  Cancelled,   // no file chosen: nothing changed
  Stored,      // the slot names the new file
  LeftEmpty,   // too large and not shrunk (declined, GIF, other kind, or not small enough)
  CopyFailed,  // reported; the slot names no file that is not there
};

// A line for the status list.
using StatusNote = std::function<void(const std::string& line)>;

// "Neue Datei" for slot 1 to 3 of the current article. A file that cannot be read, or that is
// no readable picture, throws tellvaro::Error before anything changes. Pictures are told apart
// by their content, whatever their name says. A file of the folder is never replaced: a name
// taken by the same bytes is used as it is, one taken by other bytes or too long for the field
// is stored under a further name ("~2") no file has, and `note` says so. A JPEG shrunk is turned upright; one
// copied loses its location (GPS) data and nothing else, and `note` says so.
AttachOutcome attach_picture(
    store::Table& articles, int slot, const std::string& folder, ports::Dialogs& dialogs,
    const StatusNote& note = [](const std::string&) {});

// A picture named by path in a file of articles (a shop's CSV export), attached to slot 1 to 3
// of the table's current record by the rules above without asking: a picture above the limit
// is shrunk. Empty when it was stored, else why not, in German.
std::optional<std::string> attach_picture_file(
    store::Table& articles, int slot, const std::string& path, const std::string& folder,
    const StatusNote& note = [](const std::string&) {});

// The picture cells of a row of such a file (Bild1 to Bild3 as written, uncut) that name a
// picture by path rather than a file already in the picture folder under the name its field
// holds: their slots are emptied in `article`, so a path cut to the field's width never names
// a file, and each comes back with its slot and the path, relative ones taken from `csv_folder`.
std::vector<std::pair<int, std::string>> pictures_by_path(
    store::Record& article, const std::array<std::string, 3>& cells,
    const std::string& picture_folder, const std::string& csv_folder);

// "Artikel aus einer Datei importieren": the file's articles appended to the table as
// store::import_articles_csv appends them, each picture named by path attached into
// `picture_folder` as tellvaro-cli attaches it. A picture the rules refuse leaves its slot
// empty and is named among the result's problems. Throws tellvaro::Error for an unreadable file.
store::CsvImport import_articles_with_pictures(store::Table& articles, const std::string& path,
                                               const std::string& picture_folder);

enum class DeleteOutcome { Cancelled, Deleted, NothingToDelete };

// "Datei löschen" for slot 1 to 3: asks, then deletes the file and empties the field when the
// file is there; a name whose file is missing stays. A file that cannot be deleted throws
// tellvaro::Error and changes nothing.
DeleteOutcome delete_picture(store::Table& articles, int slot, const std::string& folder,
                             ports::Dialogs& dialogs);

// The preview's pixels of a file in the folder, upright and fitted into `box`; absent when there
// is no such file or it is no readable picture (the preview is then hidden, without a message).
std::optional<Image> preview_image(std::string_view folder, std::string_view name,
                                   Size box = {kPreviewWidth, kPreviewHeight});

}  // namespace tellvaro::media
