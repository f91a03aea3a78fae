#pragma once

// File access for the store: German reasons for system errors, reading piece by piece, and
// replacing a file so that a failure leaves the old one whole.

#include <functional>
#include <string>
#include <string_view>

namespace tellvaro::store::detail {

// A short German reason for an errno value ("Zugriff verweigert").
std::string reason(int err);

// Writes bytes to an open file, retrying short writes; throws with `reason` on failure.
class FileWriter {
 public:
  explicit FileWriter(int fd) : fd_(fd) {}
  void write(std::string_view bytes);

 private:
  int fd_;
};

// The whole file; throws tellvaro::Error naming `path` when it cannot be opened or read.
std::string read_whole_file(const std::string& path);

// Writes the file through a temporary file beside it (flushed to disk, then renamed over the
// old one). The temporary file gets its name only when it is complete; temporary files that
// earlier saves of `path` left behind are removed first. On any failure the temporary file is
// removed, the old file is untouched, and a tellvaro::Error naming `path` is thrown.
void replace_file(const std::string& path, const std::function<void(FileWriter&)>& produce);

// Creates a file that does not exist yet with these bytes; an existing file is left alone and
// false returned. A failure removes what was created and throws tellvaro::Error naming `path`.
bool create_new_file(const std::string& path, std::string_view bytes);

}  // namespace tellvaro::store::detail
