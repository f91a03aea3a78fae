#pragma once

// The user's commands on a whole table: open, save and save under for the table files, and
// the copy of a record. Qt-free; file choices go through ports::Dialogs, and an
// unexpected failure throws tellvaro::Error with a German message.

#include <optional>
#include <string>
#include <string_view>

#include "store/files.h"

namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::store {

class Table;
struct ArticleStore;

// The file-type list of the open dialog, in the dialogs' form; the last entry shows only the
// backups of the article table.
inline constexpr std::string_view kOpenFileTypes =
    "All (*.xml);;XML DATABASE (*.xml);;"
    "Sicherungen der Artikel-Tabelle (artikel_db_sicherung*.xml)";

// Asks for a table file and loads it into the article table, which keeps its standard file.
// Before the table is replaced its content goes into a new dated backup beside the standard
// file; the oldest beyond the last few are removed.
// Returns the text for the status line, or nothing when the user cancelled. A file that cannot
// be read, or a backup that cannot be written, throws and leaves the table as it was.
std::optional<std::string> open_article_file(Table& articles, std::string_view program_folder,
                                             ports::Dialogs& dialogs);

// Saves the article and the upload table to their standard files. Both are tried; a failure
// throws one error naming every file that failed.
void save_standard_files(ArticleStore& store, std::string_view program_folder);

// Asks for a name and saves the article table under exactly that path (no extension added).
// Returns the path, or nothing when the user cancelled.
std::optional<std::string> save_articles_as(Table& articles, std::string_view program_folder,
                                            ports::Dialogs& dialogs);

enum class CopyRule {
  WithoutPictures,  // the article table: `Bild1` to `Bild3` cleared, posted through its hooks
  Identical,        // the upload table
};
// Appends a copy of the current record and posts it; the copy takes its place in the order
// and becomes current. A table that shows no record is left alone.
void copy_current(Table& table, CopyRule rule);

}  // namespace tellvaro::store
