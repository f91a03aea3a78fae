#pragma once

// The data folder below the program folder.

#include <string>
#include <string_view>

namespace tellvaro::store {

// The absolute folder of the program file, ending with "/"; never the working directory.
std::string program_folder();

// Joins the program folder and a relative path; a doubled separator between them counts as one
// ("/files/db/x.xml" and "files/db/x.xml" name the same file). Backslashes in `relative` are
// taken as separators ("files\\bilder\\").
std::string data_path(std::string_view folder, std::string_view relative);

inline constexpr std::string_view kArticleFile = "files/db/artikel_db.xml";
inline constexpr std::string_view kUploadFile = "files/db/upload_db.xml";
inline constexpr std::string_view kImportFile = "files/db/import_db.xml";
inline constexpr std::string_view kPictureFolder = "files/bilder/";

// True when a folder or table file of the data folder is missing (checked in the login's order).
bool data_folder_incomplete(std::string_view folder);

// Creates the missing folders one level at a time and writes the empty table into each missing
// table file; existing files are never touched. A folder or file that cannot be created throws
// tellvaro::Error naming it.
void make_files(std::string_view folder);

}  // namespace tellvaro::store
