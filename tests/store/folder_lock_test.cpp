#include "store/folder_lock.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tellvaro::store {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::write_file;

// Every file below the folder with its size and modification time.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> snapshot(
    const std::string& dir) {
  std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> out;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    out[e.path().string()] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
  }
  return out;
}

TEST(FolderLock, SecondHolderIsRefusedWithTheMessageAndChangesNoFile) {
  TempDir dir;
  FolderLock first(dir.folder());
  ASSERT_TRUE(first.held()) << first.error();
  write_file(dir / "artikel_db.xml", "<x/>");
  const auto before = snapshot(dir.folder());

  {
    FolderLock second(dir.folder());
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(second.held_elsewhere());
    EXPECT_EQ(second.error(), kAlreadyRunning);
  }
  EXPECT_EQ(snapshot(dir.folder()), before);
  EXPECT_TRUE(first.held());
}

TEST(FolderLock, MissingFolderIsCreatedAndAReleasedLockCanBeTakenAgain) {
  TempDir dir;
  const std::string folder = dir / "neu/tellvaro/";
  {
    FolderLock lock(folder);
    ASSERT_TRUE(lock.held()) << lock.error();
  }
  FolderLock again(folder);
  EXPECT_TRUE(again.held()) << again.error();
}

TEST(FolderLock, LockOfAKilledRunDoesNotBlock) {
  TempDir dir;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FolderLock lock(dir.folder());
    char c = lock.held() ? 'y' : 'n';
    (void)!::write(ready[1], &c, 1);
    for (;;) ::pause();
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  {
    FolderLock while_running(dir.folder());
    EXPECT_TRUE(while_running.held_elsewhere());
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);

  FolderLock after(dir.folder());
  EXPECT_TRUE(after.held()) << after.error();
}

TEST(FolderLock, UnusableFolderIsAnErrorNotAForeignRun) {
  TempDir dir;
  write_file(dir / "datei", "x");  // a file where the folder should be
  FolderLock lock(dir / "datei");
  EXPECT_FALSE(lock.held());
  EXPECT_FALSE(lock.held_elsewhere());
  EXPECT_FALSE(lock.error().empty());
}

}  // namespace
}  // namespace tellvaro::store
