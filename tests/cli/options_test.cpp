// The command line: what a script may write and what it is told when it writes it wrong.

#include <gtest/gtest.h>

#include "cli/options.h"

namespace tellvaro::cli {
namespace {

using Args = std::vector<std::string>;

TEST(CliOptions, CallsThatAreRead) {
  auto send = parse_call({"senden", "a.csv", "--benutzer", "haendler", "--nur-vollstaendige",
                          "--erneut=nie", "--passwort-datei=/p"});
  ASSERT_TRUE(send.options) << send.error;
  EXPECT_EQ(send.options->command, Command::Send);
  EXPECT_EQ(send.options->file, "a.csv");
  EXPECT_EQ(send.options->user, "haendler");
  EXPECT_EQ(send.options->password_file, "/p");
  EXPECT_TRUE(send.options->only_complete);
  EXPECT_EQ(send.options->again, Again::Never);

  // Neither kind of auction named: both.
  auto import = parse_call({"importieren", "--benutzer=h", "--ausgabe", "x.csv"});
  ASSERT_TRUE(import.options) << import.error;
  EXPECT_TRUE(import.options->current && import.options->expired);
  EXPECT_EQ(import.options->output, "x.csv");
  auto only_current = parse_call({"importieren", "--benutzer=h", "--aktuelle"});
  ASSERT_TRUE(only_current.options);
  EXPECT_FALSE(only_current.options->expired);

  // A file name that starts with a dash, after "--".
  auto dashed = parse_call({"pruefen", "--benutzer", "h", "--", "-export.csv"});
  ASSERT_TRUE(dashed.options) << dashed.error;
  EXPECT_EQ(dashed.options->file, "-export.csv");

  for (const Args& help :
       {Args{"--hilfe"}, Args{"-h"}, Args{"--help"}, Args{"senden", "--hilfe"}}) {
    auto h = parse_call(help);
    ASSERT_TRUE(h.options);
    EXPECT_EQ(h.options->command, Command::Help);
  }
}

TEST(CliOptions, BadCallsAreRefusedWithTheReason) {
  struct Case {
    Args args;
    std::string says;
  };
  const Case cases[] = {
      {{}, "Kein Befehl"},
      {{"verkaufen", "--benutzer", "h"}, "Unbekannter Befehl: verkaufen"},
      {{"senden", "--benutzer", "h"}, "braucht eine CSV-Datei"},
      {{"pruefen", "a.csv"}, "--benutzer"},
      {{"pruefen", "a.csv", "b.csv", "--benutzer", "h"}, "Zu viele Angaben"},
      {{"senden", "a.csv", "--benutzer", "h", "--erneut=manchmal"}, "\"nie\" und \"immer\""},
      {{"senden", "a.csv", "--benutzer"}, "braucht einen Wert"},
      {{"rechnungen", "--benutzer", "h", "--aktuelle"}, "gehört zum Befehl importieren"},
      {{"pruefen", "a.csv", "--benutzer", "h", "--nur-vollstaendige"}, "gehört zum Befehl senden"},
      {{"importieren", "--benutzer", "h", "--csv"}, "gehört zum Befehl rechnungen"},
      {{"rechnungen", "--benutzer", "h", "--schnell"}, "Unbekannte Option: --schnell"},
      {{"rechnungen", "--benutzer", "h", "--csv=ja"}, "Unbekannte Option"},
  };
  for (const Case& c : cases) {
    auto parsed = parse_call(c.args);
    EXPECT_FALSE(parsed.options) << c.says;
    EXPECT_NE(parsed.error.find(c.says), std::string::npos) << parsed.error;
    EXPECT_NE(parsed.error.find("tellvaro-cli --hilfe"), std::string::npos);
  }
}

TEST(CliOptions, APasswordOnTheCommandLineIsRefusedWithoutRepeatingIt) {
  for (const Args& args : {Args{"rechnungen", "--benutzer", "h", "--passwort", "Geheim-123"},
                           Args{"rechnungen", "--benutzer", "h", "--passwort=Geheim-123"},
                           Args{"rechnungen", "--benutzer", "h", "--password=Geheim-123"},
                           Args{"rechnungen", "--benutzer", "h", "-p", "Geheim-123"}}) {
    auto parsed = parse_call(args);
    EXPECT_FALSE(parsed.options);
    EXPECT_NE(parsed.error.find("TELLVARO_PASSWORT"), std::string::npos) << parsed.error;
    EXPECT_EQ(parsed.error.find("Geheim-123"), std::string::npos) << parsed.error;
  }
}

TEST(CliOptions, HelpNamesEveryCommandAndExitCode) {
  const std::string help = help_text();
  for (const char* word : {"pruefen", "senden", "importieren", "rechnungen", "--passwort-datei",
                           "TELLVARO_PASSWORT", "--erneut=nie|immer", "0  erledigt", "1  teilweise",
                           "2  falscher Aufruf", "3  Anmeldung"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace tellvaro::cli
