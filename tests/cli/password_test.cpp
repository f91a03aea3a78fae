// Where the password may come from, and the file that is refused.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/password.h"
#include "support/temp_dir.h"
#include "text/error.h"

namespace tellvaro::cli {
namespace {

using test::TempDir;
using test::write_file;

TEST(CliPassword, AFileOnlyItsOwnerMayReadGivesItsFirstLine) {
  TempDir dir;
  struct Case {
    std::string bytes;
    std::string password;
  };
  for (const Case& c : {Case{"geheim\n", "geheim"}, Case{"geheim\r\nzweite", "geheim"},
                        Case{"mit Leer zeichen ", "mit Leer zeichen "}, Case{"", ""},
                        Case{"Schlüssel€", "Schlüssel€"}}) {
    write_file(dir / "p", c.bytes);
    ::chmod((dir / "p").c_str(), 0600);
    EXPECT_EQ(read_password_file(dir / "p"), c.password);
    ::chmod((dir / "p").c_str(), 0400);
    EXPECT_EQ(read_password_file(dir / "p"), c.password);
  }
}

TEST(CliPassword, AFileOthersMayReadOrWriteIsRefusedWithoutShowingIt) {
  TempDir dir;
  write_file(dir / "p", "Geheim-123\n");
  for (mode_t mode : {0644, 0640, 0604, 0620, 0602, 0666}) {
    ::chmod((dir / "p").c_str(), mode);
    try {
      read_password_file(dir / "p");
      ADD_FAILURE() << "mode " << std::oct << mode << " was accepted";
    } catch (const Error& e) {
      const std::string m = e.what();
      EXPECT_NE(m.find("chmod 600"), std::string::npos) << m;
      EXPECT_EQ(m.find("Geheim-123"), std::string::npos) << m;
    }
  }
  // Not a file at all, or none.
  EXPECT_THROW(read_password_file(dir.folder()), Error);
  EXPECT_THROW(read_password_file(dir / "fehlt"), Error);
}

TEST(CliPassword, AFileOfAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the file away";
  TempDir dir;
  write_file(dir / "p", "geheim\n");
  ::chmod((dir / "p").c_str(), 0600);
  ASSERT_EQ(::chown((dir / "p").c_str(), 65534, 65534), 0);
  try {
    read_password_file(dir / "p");
    ADD_FAILURE() << "accepted";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("gehört nicht"), std::string::npos) << e.what();
  }
}

TEST(CliPassword, TheFileComesBeforeTheEnvironmentAndAPromptOnlyOnATerminal) {
  TempDir dir;
  write_file(dir / "p", "aus-datei\n");
  ::chmod((dir / "p").c_str(), 0600);
  int prompts = 0;
  auto prompt = [&]() -> std::optional<std::string> {
    ++prompts;
    return "getippt";
  };
  std::string error;
  auto from_file = find_password({dir / "p", true}, "aus-umgebung", error, prompt);
  ASSERT_TRUE(from_file);
  EXPECT_EQ(from_file->text, "aus-datei");
  auto from_env = find_password({"", true}, "aus-umgebung", error, prompt);
  ASSERT_TRUE(from_env);
  EXPECT_EQ(from_env->text, "aus-umgebung");
  EXPECT_FALSE(from_env->prompted);
  auto typed = find_password({"", true}, nullptr, error, prompt);
  ASSERT_TRUE(typed);
  EXPECT_EQ(typed->text, "getippt");
  EXPECT_TRUE(typed->prompted);
  EXPECT_EQ(prompts, 1);

  auto none = find_password({"", false}, nullptr, error, prompt);
  EXPECT_FALSE(none);
  EXPECT_EQ(prompts, 1);
  EXPECT_NE(error.find("TELLVARO_PASSWORT"), std::string::npos) << error;
}

}  // namespace
}  // namespace tellvaro::cli
