// Replacing a file when the saving process dies midway.

#include "store/file_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "support/temp_dir.h"

namespace tellvaro::store {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

std::set<std::string> names_in(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir / "")) {
    names.insert(e.path().filename().string());
  }
  return names;
}

// A save killed while it writes leaves the old file whole and nothing beside it; leftovers of
// earlier kills (older versions named their temporary file at once) go with the next save.
TEST(ReplaceFile, AKilledSaveLeavesNothingBehind) {
  TempDir dir;
  const std::string path = dir / "artikel_db.xml";
  write_file(path, "alt");
  for (int kill = 0; kill < 3; ++kill) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      detail::replace_file(path, [](detail::FileWriter& out) {
        out.write(std::string(1 << 20, 'x'));
        ::raise(SIGKILL);
      });
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
  }
  EXPECT_EQ(read_file(path), "alt");
  EXPECT_EQ(names_in(dir), std::set<std::string>{"artikel_db.xml"});

  const std::set<std::string> others = {"artikel_db.xml.tmp-ab", "upload_db.xml.tmp-Ab12Cd",
                                        "artikel_db.xml.tmp-Ab12Cd.bak"};
  for (const auto& name : others) write_file(dir / name, "fremd");
  write_file(dir / "artikel_db.xml.tmp-Ab12Cd", "rest");
  write_file(dir / "artikel_db.xml.tmp-x9Y8z7", "rest");
  detail::replace_file(path, [](detail::FileWriter& out) { out.write("neu"); });
  EXPECT_EQ(read_file(path), "neu");
  std::set<std::string> expected = others;
  expected.insert("artikel_db.xml");
  EXPECT_EQ(names_in(dir), expected);
}

}  // namespace
}  // namespace tellvaro::store
