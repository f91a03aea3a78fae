#include "store/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "store/data_packet.h"
#include "store/file_io.h"
#include "text/error.h"

namespace tellvaro::store {
namespace {

bool is_folder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

constexpr std::string_view kFolders[] = {"files", "files/bilder", "files/db"};

}  // namespace

std::string program_folder() {
  std::string buf(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) {
      throw Error("Der Programmordner kann nicht bestimmt werden: " + detail::reason(errno) + ".");
    }
    if (static_cast<std::size_t>(n) < buf.size()) {
      buf.resize(static_cast<std::size_t>(n));
      break;
    }
    buf.resize(buf.size() * 2);
  }
  return buf.substr(0, buf.find_last_of('/') + 1);
}

std::string data_path(std::string_view folder, std::string_view relative) {
  std::string rel(relative);
  for (char& c : rel) {
    if (c == '\\') c = '/';  // relative paths may be spelled with backslashes
  }
  rel.erase(
      0, rel.find_first_not_of('/') == std::string::npos ? rel.size() : rel.find_first_not_of('/'));
  if (folder.empty()) return rel;
  std::string out(folder);
  if (out.back() != '/') out += '/';
  return out + rel;
}

bool data_folder_incomplete(std::string_view folder) {
  for (auto f : kFolders) {
    if (!is_folder(data_path(folder, f))) return true;
  }
  for (auto f : {kArticleFile, kImportFile, kUploadFile}) {
    if (!is_file(data_path(folder, f))) return true;
  }
  return false;
}

void make_files(std::string_view folder) {
  // Each step is tried whatever the one before it did; the first failure is reported.
  std::optional<Error> failure;
  auto attempt = [&](auto&& step) {
    try {
      step();
    } catch (const Error& e) {
      if (!failure) failure = e;
    }
  };
  for (auto f : kFolders) {
    attempt([&] {
      const std::string path = data_path(folder, f);
      if (is_folder(path)) return;
      if (::mkdir(path.c_str(), 0777) != 0) {
        const int err = errno;
        throw Error(
            "Der Ordner '" + path + "' konnte nicht angelegt werden: " +
            (err == EEXIST ? "Es gibt dort schon eine Datei dieses Namens" : detail::reason(err)) +
            ".");
      }
    });
  }
  for (auto f :
       {"/files/db/artikel_db.xml", "/files/db/upload_db.xml", "/files/db/import_db.xml"}) {
    attempt([&] { detail::create_new_file(data_path(folder, f), empty_table_bytes()); });
  }
  if (failure) throw *failure;
}

}  // namespace tellvaro::store
