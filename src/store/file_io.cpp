#include "store/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "text/error.h"

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

mode_t new_file_mode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
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
      return "Systemfehler " + std::to_string(err);
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
  std::string temp = path + ".tmp-XXXXXX";
  int fd = -1;
  try {
    const mode_t mode = new_file_mode(path);
    fd = ::mkstemp(temp.data());
    if (fd < 0) {
      temp.clear();
      throw SaveFailure{errno};
    }
    if (::fchmod(fd, mode) != 0) throw SaveFailure{errno};
    FileWriter writer(fd);
    produce(writer);
    if (::fsync(fd) != 0) throw SaveFailure{errno};
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
