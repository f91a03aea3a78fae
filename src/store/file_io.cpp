#include "store/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <random>

#include "text/error.h"
#include "text/number.h"

namespace tellvaro::store::detail {
namespace {

struct SaveFailure {
  int err;
};

std::string folder_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr std::string_view kTempMark = ".tmp-";
constexpr std::size_t kTempRandom = 6;  // as mkstemp's XXXXXX

// Temporary files of earlier saves of `path` that died before their rename.
void remove_leftovers(const std::string& path) {
  const std::string prefix = name_of(path) + std::string(kTempMark);
  DIR* dir = ::opendir(folder_of(path).c_str());
  if (!dir) return;
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view name = e->d_name;
    if (name.size() != prefix.size() + kTempRandom || !name.starts_with(prefix)) continue;
    struct stat st {};
    if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
      ::unlinkat(::dirfd(dir), e->d_name, 0);
    }
  }
  ::closedir(dir);
}

std::string random_temp_name(const std::string& path) {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  // One source for every thread: a save on the window's thread and a run's write may meet here.
  static std::mutex guard;
  static std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
  std::string name = path + std::string(kTempMark);
  const std::lock_guard lock(guard);
  for (std::size_t i = 0; i < kTempRandom; ++i) name += kChars[pick(random)];
  return name;
}

// Gives the unnamed file `fd` a temporary name beside `path`; EEXIST means try another name.
int link_unnamed(int fd, std::string& temp, const std::string& path) {
  const std::string self = "/proc/self/fd/" + text::format_int(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = random_temp_name(path);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != EEXIST) break;
  }
  const int err = errno;
  temp.clear();
  return err;
}

mode_t new_file_mode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  // The process's mask is read, never set: setting it, even for a moment, would hold for a
  // file another thread creates meanwhile.
  mode_t mask = 022;
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[128];
    while (std::fgets(line, sizeof line, status)) {
      const std::string_view l(line);
      if (!l.starts_with("Umask:")) continue;
      mode_t value = 0;
      bool digits = false;
      for (char c : l.substr(6)) {
        if (c >= '0' && c <= '7') {
          value = static_cast<mode_t>(value * 8 + static_cast<mode_t>(c - '0'));
          digits = true;
        } else if (digits) {
          break;
        }
      }
      if (digits) mask = value & 0777;
      break;
    }
    std::fclose(status);
  }
  return 0666 & ~mask;
}

}  // namespace

std::string reason(int err) {
  switch (err) {
    case ENOENT:
      return "Datei oder Ordner nicht gefunden";
    case EACCES:
    case EPERM:
      return "Zugriff verweigert";
    case ENOSPC:
      return "Kein Speicherplatz mehr frei";
    case EFBIG:
      return "Die Datei wird zu groß";
    case EDQUOT:
      return "Speicherkontingent erschöpft";
    case EISDIR:
      return "Der Name gehört zu einem Ordner";
    case ENOTDIR:
      return "Ein Teil des Pfades ist kein Ordner";
    case EROFS:
      return "Der Datenträger ist schreibgeschützt";
    case EEXIST:
      return "Der Name ist bereits vergeben";
    case EIO:
      return "Ein-/Ausgabefehler";
    case ENAMETOOLONG:
      return "Der Name ist zu lang";
    case EMFILE:
    case ENFILE:
      return "Zu viele offene Dateien";
    case EBUSY:
    case ETXTBSY:
      return "Die Datei ist belegt";
    case ELOOP:
      return "Zu viele symbolische Verknüpfungen";
    default:
      return "Systemfehler " + text::format_int(err);
  }
}

void FileWriter::write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw SaveFailure{errno};
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void replace_file(const std::string& path, const std::function<void(FileWriter&)>& produce) {
  std::string temp;
  int fd = -1;
  try {
    remove_leftovers(path);
    const mode_t mode = new_file_mode(path);
    // A file without a name while it is written: a save killed midway leaves nothing behind.
    // Where the file system cannot do that, a named temporary file, which the next save removes
    // if it is left over.
    fd = ::open(folder_of(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    const bool unnamed = fd >= 0;
    if (!unnamed) {
      temp = path + std::string(kTempMark) + std::string(kTempRandom, 'X');
      fd = ::mkstemp(temp.data());
      if (fd < 0) {
        temp.clear();
        throw SaveFailure{errno};
      }
    }
    if (::fchmod(fd, mode) != 0) throw SaveFailure{errno};
    FileWriter writer(fd);
    produce(writer);
    if (::fsync(fd) != 0) throw SaveFailure{errno};
    if (unnamed) {
      if (const int err = link_unnamed(fd, temp, path)) throw SaveFailure{err};
    }
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) throw SaveFailure{errno};
    if (::rename(temp.c_str(), path.c_str()) != 0) throw SaveFailure{errno};
    temp.clear();
    // The rename itself reaches the disk only with its folder.
    const int dir = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
  } catch (const SaveFailure& f) {
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
    throw Error("Die Datei '" + path + "' konnte nicht gespeichert werden: " + reason(f.err) + ".");
  } catch (...) {
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
    throw;
  }
}

std::string read_whole_file(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw Error("Die Datei '" + path + "' konnte nicht geöffnet werden: " + reason(errno) + ".");
  }
  std::string bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) bytes.reserve(std::size_t(st.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw Error("Die Datei '" + path + "' konnte nicht gelesen werden: " + reason(err) + ".");
    }
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

bool create_new_file(const std::string& path, std::string_view bytes) {
  // Written without a name first and named only when complete, and only if no file has the name
  // meanwhile: a write that fails or is killed midway leaves nothing under it.
  if (const int unnamed = ::open(folder_of(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
      unnamed >= 0) {
    int err = 0;
    try {
      FileWriter(unnamed).write(bytes);
      if (::fsync(unnamed) != 0) err = errno;
    } catch (const SaveFailure& f) {
      err = f.err;
    }
    if (err == 0) {
      const std::string self = "/proc/self/fd/" + text::format_int(unnamed);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0)
        err = errno;
    }
    ::close(unnamed);
    if (err == EEXIST) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return false;
    }
    if (err != 0)
      throw Error("Die Datei '" + path + "' konnte nicht angelegt werden: " + reason(err) + ".");
    return true;
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return false;
    }
    throw Error("Die Datei '" + path + "' konnte nicht angelegt werden: " + reason(errno) + ".");
  }
  int err = 0;
  try {
    FileWriter(fd).write(bytes);
    if (::fsync(fd) != 0) err = errno;
  } catch (const SaveFailure& f) {
    err = f.err;
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) {
    ::unlink(path.c_str());
    throw Error("Die Datei '" + path + "' konnte nicht angelegt werden: " + reason(err) + ".");
  }
  return true;
}

}  // namespace tellvaro::store::detail
