#pragma once

// The data folder below the program folder.

#include <string>
#include <string_view>
#include <vector>

#include "text/date.h"

namespace tellvaro::store {

// The absolute folder of the program file, ending with "/"; never the working directory.
std::string program_folder();

// The folder that holds the data folder, ending with "/": the program folder when the program
// may write there (started from a build or an unpacked folder), otherwise the user's own data
// folder, "$XDG_DATA_HOME/Tellvaro/" or, without an absolute XDG_DATA_HOME, the home folder's
// ".local/share/Tellvaro/". The user's folder is created if missing; should that fail, the login
// reports it when it makes the data folder.
std::string choose_data_root(std::string_view program_folder, const char* xdg_data_home,
                             const char* home);

// choose_data_root for this program and this user's environment.
std::string data_root();

// Joins the program folder and a relative path; a doubled separator between them counts as one
// ("/files/db/x.xml" and "files/db/x.xml" name the same file). Backslashes in `relative` are
// taken as separators ("files\\bilder\\").
std::string data_path(std::string_view folder, std::string_view relative);

// The data folder's parts, relative to the folder that holds it.
inline constexpr std::string_view kDataFolder = "files";
inline constexpr std::string_view kPictureFolder = "files/bilder/";
inline constexpr std::string_view kTableFolder = "files/db";
// The standard files of the article, the upload and the import table.
inline constexpr std::string_view kArticleFile = "files/db/artikel_db.xml";
inline constexpr std::string_view kUploadFile = "files/db/upload_db.xml";
inline constexpr std::string_view kImportFile = "files/db/import_db.xml";
// Which upload rows were listed, when and under which number (not a table file: the data
// folder is complete without it).
inline constexpr std::string_view kListedFile = "files/db/eingestellt.txt";
// What "Öffnen" keeps of the article table it replaces: the last few tables, each named by the
// local date and time it was written ("files/db/artikel_db_sicherung_2026-12-10_20-31-05.xml",
// "..._2.xml" for a second one in the same second). Beside the standard files and .xml named,
// so the open dialog offers them for getting an old table back.
inline constexpr std::string_view kArticleBackupStem = "files/db/artikel_db_sicherung";
// The single "artikel_db_sicherung.xml" of earlier versions is neither replaced nor removed,
// and the open dialog still offers it.
inline constexpr std::size_t kArticleBackupsKept = 5;

// Seconds since 1970 as this machine's clock shows them in its own time zone.
text::DateTime local_time(std::int64_t seconds);
// The clock of this machine in its own time zone.
text::DateTime local_time_now();

// A backup name for a table written at `at` that names no existing file.
std::string new_article_backup_path(std::string_view folder, const text::DateTime& at);
// The dated backups in the folder, newest first (the old single backup is not among them).
std::vector<std::string> article_backups(std::string_view folder);
// Removes the oldest dated backups beyond kArticleBackupsKept; `keep` (the one just written)
// always stays. A backup that cannot be removed is left.
void prune_article_backups(std::string_view folder, const std::string& keep);

// True when a folder or table file of the data folder is missing (checked in the login's order).
bool data_folder_incomplete(std::string_view folder);

// Creates the missing folders one level at a time and writes the empty table into each missing
// table file; existing files are never touched. A folder or file that cannot be created throws
// tellvaro::Error naming it.
void make_files(std::string_view folder);

}  // namespace tellvaro::store
