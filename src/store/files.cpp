#include "store/files.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <tuple>

#include "store/data_packet.h"
#include "store/file_io.h"
#include "text/error.h"
#include "text/number.h"

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

// In creation order. Without the picture folder's closing "/", for messages naming it.
constexpr std::string_view kFolders[] = {
    kDataFolder, kPictureFolder.substr(0, kPictureFolder.size() - 1), kTableFolder};

// Creates `path` and any missing parents, private to the user as the base folders of user data
// are; failures are left for make_files to report with the folder's name.
void make_private_folders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
  }
  ::mkdir(path.c_str(), 0700);
}

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

std::string choose_data_root(std::string_view program_folder, const char* xdg_data_home,
                             const char* home) {
  std::string folder(program_folder);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  if (!folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0) return folder;

  std::string base;
  if (xdg_data_home != nullptr && xdg_data_home[0] == '/') {
    base = xdg_data_home;
  } else {
    std::string home_folder = home != nullptr ? home : "";
    if (home_folder.empty()) {
      if (const passwd* pw = ::getpwuid(::geteuid()); pw != nullptr && pw->pw_dir != nullptr) {
        home_folder = pw->pw_dir;
      }
    }
    if (home_folder.empty()) return folder;  // nowhere better; the login will say why it fails
    base = home_folder + "/.local/share";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  const std::string out = base + "/Tellvaro/";
  make_private_folders(out.substr(0, out.size() - 1));
  return out;
}

std::string data_root() {
  return choose_data_root(program_folder(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
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
  for (auto f : {kArticleFile, kUploadFile, kImportFile}) {
    attempt([&] { detail::create_new_file(data_path(folder, f), empty_table_bytes()); });
  }
  if (failure) throw *failure;
}

namespace {

// The date, time and counter of a dated backup's file name; nothing for any other name.
std::optional<std::tuple<std::string, int>> backup_stamp(std::string_view name) {
  const std::string_view stem = kArticleBackupStem.substr(kArticleBackupStem.rfind('/') + 1);
  if (name.size() < stem.size() + 24 || name.substr(0, stem.size()) != stem ||
      name.substr(name.size() - 4) != ".xml") {
    return std::nullopt;
  }
  name.remove_prefix(stem.size());
  name.remove_suffix(4);
  // "_YYYY-MM-DD_HH-MM-SS", then "_N" for a later one in the same second.
  constexpr std::string_view shape = "_0000-00-00_00-00-00";
  if (name.size() < shape.size()) return std::nullopt;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const bool digit = name[i] >= '0' && name[i] <= '9';
    if (shape[i] == '0' ? !digit : name[i] != shape[i]) return std::nullopt;
  }
  std::string stamp(name.substr(1, shape.size() - 1));
  std::string_view rest = name.substr(shape.size());
  int counter = 1;
  if (!rest.empty()) {
    if (rest[0] != '_' || rest.size() < 2 || rest.size() > 6) return std::nullopt;
    counter = 0;
    for (char c : rest.substr(1)) {
      if (c < '0' || c > '9') return std::nullopt;
      counter = counter * 10 + (c - '0');
    }
  }
  return std::tuple{stamp, counter};
}

}  // namespace

text::DateTime local_time(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  ::localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

text::DateTime local_time_now() { return local_time(std::time(nullptr)); }

std::string new_article_backup_path(std::string_view folder, const text::DateTime& at) {
  const std::string base = data_path(folder, kArticleBackupStem) + "_" + text::file_name_stamp(at);
  std::string path = base + ".xml";
  std::error_code ec;
  for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(path, ec)); ++n) {
    path = base + "_" + text::format_int(n) + ".xml";
  }
  return path;
}

std::vector<std::string> article_backups(std::string_view folder) {
  std::vector<std::pair<std::tuple<std::string, int>, std::string>> found;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(data_path(folder, kTableFolder), ec)) {
    if (!entry.is_regular_file(ec)) continue;
    if (auto stamp = backup_stamp(entry.path().filename().string())) {
      found.emplace_back(std::move(*stamp), entry.path().string());
    }
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });
  std::vector<std::string> out;
  for (auto& f : found) out.push_back(std::move(f.second));
  return out;
}

void prune_article_backups(std::string_view folder, const std::string& keep) {
  const auto keep_name = std::filesystem::path(keep).filename();
  std::size_t kept = 1;  // `keep` itself
  for (const std::string& path : article_backups(folder)) {
    if (std::filesystem::path(path).filename() == keep_name) continue;
    if (kept < kArticleBackupsKept) {
      ++kept;
      continue;
    }
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
}

}  // namespace tellvaro::store
