#pragma once

// One program per data folder: the tables are read at start and written back at the close, so
// a second run on the same folder would overwrite what the first one saved.

#include <string>
#include <string_view>

namespace tellvaro::store {

// The German message a second start shows before it ends. The other run may be a window or
// tellvaro-cli working for a script.
inline constexpr std::string_view kAlreadyRunning =
    "Tellvaro läuft bereits mit diesem Datenordner, im Fenster oder als tellvaro-cli. Bitte "
    "arbeiten Sie im geöffneten Fenster weiter oder warten Sie, bis der Befehl beendet ist.";

// An exclusive lock on a data folder, held until the object goes. The kernel releases it when the
// holding process ends in any way, so a crashed or killed run never leaves the folder blocked.
class FolderLock {
 public:
  // Tries once, without waiting. The folder is created when missing (the run would create it
  // anyway); the lock file inside it is created once and never written.
  explicit FolderLock(std::string_view folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // True when this run holds the folder; false when another run does, or the lock file could
  // not be opened (then error() says why).
  bool held() const { return fd_ >= 0; }
  bool held_elsewhere() const { return elsewhere_; }
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  bool elsewhere_ = false;
  std::string error_;
};

// The lock file's name inside the data folder.
inline constexpr std::string_view kLockFileName = ".tellvaro.lock";

}  // namespace tellvaro::store
