#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tellvaro::test {

// A fresh folder below /tmp for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    std::string t = (std::filesystem::temp_directory_path() / "tellvaro-test-XXXXXX").string();
    path_ = ::mkdtemp(t.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  // The folder, ending with "/" as the program folder does.
  std::string folder() const { return path_ + "/"; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace tellvaro::test
