#include "store/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tellvaro::store {

FolderLock::FolderLock(std::string_view folder) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(folder), ec);
  const std::string path = (std::filesystem::path(folder) / kLockFileName).string();
  // flock rather than a PID in the file: the kernel drops it with the process, so there is no
  // stale lock to detect, and the file's bytes never change.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error_ = "Die Sperrdatei " + path + " kann nicht geöffnet werden: " + std::strerror(errno);
    return;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) {
      elsewhere_ = true;
      error_ = std::string(kAlreadyRunning);
    } else {
      error_ = "Der Datenordner " + std::string(folder) +
               " kann nicht gesperrt werden: " + std::strerror(err);
    }
    return;
  }
  fd_ = fd;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace tellvaro::store
