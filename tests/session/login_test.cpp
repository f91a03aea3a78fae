// The login sequence against the local auction house (scripts/auction-house up --data test).

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "session/session.h"
#include "store/data_packet.h"
#include "support/auction_house.h"
#include "support/temp_dir.h"

namespace tellvaro::session {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using test::read_file;

const std::string kServerUp = "Verbindung zu Server aufgebaut";
const std::string kDatabaseUp = "Verbindung zu Daten-Bank hergestellt";
const std::string kNoInternet = "Keine Internet Verbindung";
const std::string kNoDatabase = "Datenbank nicht verfügbar";
const std::string kWrongLogin = "Falsche Einloggdaten.";
const std::string kGeheimHash = "f24d391be65ec2e13e71ff277ed9b150";

Deployment test_deployment() {
  Deployment d = Deployment::built_in();
  d.directory_host = test::host();
  return d;
}

struct Attempt {
  LoginResult result;
  Lines lines;
};

class LoginTest : public test::AuctionHouseTest {
 protected:
  void SetUp() override {
    test::AuctionHouseTest::SetUp();
    if (HasFatalFailure()) return;
    std::string pattern = (fs::temp_directory_path() / "tellvaro-login-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string program_folder() const { return folder_.string() + "/"; }

  Login make_login(Deployment d = test_deployment()) {
    return Login(std::move(d), program_folder());
  }

  // The status list starts with a stale line so that the clearing at the start shows.
  static Attempt attempt(Login& login, std::string_view user, std::string_view password) {
    Attempt a;
    a.lines = {"vom letzten Versuch"};
    Login::Status status{[&] { a.lines.clear(); },
                         [&](const std::string& line) { a.lines.push_back(line); }};
    a.result = login.run(user, password, status);
    return a;
  }

  bool data_folder_made() const { return fs::exists(folder_ / "files"); }

  fs::path folder_;
};

TEST_F(LoginTest, CorrectLoginFillsConfigAndUserAndMakesTheDataFolder) {
  Login login = make_login();
  auto mark = test::general_log_mark();
  Attempt a = attempt(login, "haendler", "geheim");

  EXPECT_EQ(a.result.outcome, LoginOutcome::OpenMainWindow);
  EXPECT_EQ(a.lines, (Lines{kServerUp, kDatabaseUp}));

  const Deployment d = test_deployment();
  const ServiceConfig& c = login.config();
  EXPECT_EQ(c.description, "Testinstanz des Demo-Auktionshauses");
  EXPECT_EQ(c.sql_host, test::host());
  EXPECT_EQ(c.sql_user, "tv_seller_app");
  EXPECT_EQ(c.sql_password, d.sql_prefix + "Auktion26");
  EXPECT_EQ(c.sql_database, "tv_auktionshaus");
  EXPECT_EQ(c.ftp_host, test::host());
  EXPECT_EQ(c.ftp_user, "tvftp");
  EXPECT_EQ(c.ftp_password, d.ftp_prefix + "Bilder26");
  EXPECT_EQ(c.mail_host, test::host());
  EXPECT_EQ(c.mail_user, "tvmail");
  EXPECT_EQ(c.mail_password, d.mail_prefix + "Post26");
  EXPECT_EQ(c.mail_sender, "upload@auktionshaus.example");
  EXPECT_EQ(c.mail_admin, "admin@auktionshaus.example");

  const SessionUser& u = login.user();
  EXPECT_EQ(u.id, "42");
  EXPECT_EQ(u.nick, "haendler");
  EXPECT_EQ(u.name, "Hans Händler");
  EXPECT_EQ(u.password, kGeheimHash);
  EXPECT_EQ(u.suspended, "0");
  EXPECT_EQ(u.email, "haendler@beispiel.example");
  EXPECT_EQ(u.zip, "10115");
  EXPECT_EQ(u.city, "Berlin");
  EXPECT_EQ(u.country, "Deutschland");
  EXPECT_EQ(login.typed_password_hash(), kGeheimHash);
  EXPECT_EQ(login.failed_attempts(), 0);

  std::string log = test::general_log_since(mark);
  EXPECT_NE(log.find("select * from qm_software where (programm='QM Tellvaro' and "
                     "programm_version='2.0.0.1' and kunde='" +
                     d.customer + "')"),
            std::string::npos)
      << log;
  EXPECT_NE(
      // The server drops a statement's closing ";" before it logs it.
      log.find("select * from users where (nick='haendler' and password='" + kGeheimHash + "')\n"),
      std::string::npos)
      << log;

  // An empty program folder gets the whole layout, each table file holding the empty table.
  for (const char* dir : {"files", "files/bilder", "files/db"}) {
    EXPECT_TRUE(fs::is_directory(folder_ / dir)) << dir;
  }
  for (const char* file :
       {"files/db/artikel_db.xml", "files/db/upload_db.xml", "files/db/import_db.xml"}) {
    EXPECT_EQ(read_file(folder_ / file), store::empty_table_bytes()) << file;
  }
}

TEST_F(LoginTest, ExistingTableFilesAreLeftAlone) {
  fs::create_directories(folder_ / "files/bilder");
  fs::create_directories(folder_ / "files/db");
  std::ofstream(folder_ / "files/db/artikel_db.xml", std::ios::binary) << "meine Artikel";
  std::ofstream(folder_ / "files/db/import_db.xml", std::ios::binary) << "meine Importe";

  Login login = make_login();
  EXPECT_EQ(attempt(login, "haendler", "geheim").result.outcome, LoginOutcome::OpenMainWindow);
  EXPECT_EQ(read_file(folder_ / "files/db/artikel_db.xml"), "meine Artikel");
  EXPECT_EQ(read_file(folder_ / "files/db/import_db.xml"), "meine Importe");
  EXPECT_EQ(read_file(folder_ / "files/db/upload_db.xml"), store::empty_table_bytes());
}

TEST_F(LoginTest, NoDirectoryEndsTheProgram) {
  struct Case {
    const char* what;
    std::function<void(Deployment&)> change;
    Lines lines;
  };
  const Case cases[] = {
      {"server unreachable",
       [](Deployment& d) { d.directory_host = "127.0.0.99"; },
       {kNoInternet, kNoDatabase}},
      {"database not selectable",
       [](Deployment& d) { d.directory_database = "tv_gibt_es_nicht"; },
       {kNoDatabase}},
      {"account refused",
       [](Deployment& d) { d.directory_password = "falsch"; },
       {kNoInternet, kNoDatabase}},
      // No configuration record for this build: nothing to connect to either.
      {"no configuration record",
       [](Deployment& d) { d.customer = "Unbekanntes-Auktionshaus"; },
       {}},
  };
  for (const Case& c : cases) {
    Deployment d = test_deployment();
    c.change(d);
    Login login = make_login(d);
    Attempt a = attempt(login, "haendler", "geheim");
    EXPECT_EQ(a.result.outcome, LoginOutcome::ShowAndEnd) << c.what;
    EXPECT_EQ(a.result.message, "Keine Verbindung zum Internet.") << c.what;
    EXPECT_EQ(a.lines, c.lines) << c.what;
    EXPECT_FALSE(data_folder_made()) << c.what;
  }
}

TEST_F(LoginTest, NoAuctionHouseShowsTheLinesAndStillLooksUpTheUser) {
  struct Case {
    const char* column;
    const char* value;
    Lines lines;
    bool lookup_reaches_server;
  };
  const Case cases[] = {
      {"sql_host", "127.0.0.99", {kNoInternet, kNoDatabase, kWrongLogin}, false},
      {"sql_daten_bank", "tv_gibt_es_nicht", {kServerUp, kNoDatabase, kWrongLogin}, true},
  };
  for (const Case& c : cases) {
    test::reset_data();
    test::admin_exec(std::string("update tv_directory.qm_software set ") + c.column + "='" +
                     c.value + "' where kunde='Demo-Auktionshaus' and programm_version='2.0.0.1'");
    Login login = make_login();
    auto mark = test::general_log_mark();
    Attempt a = attempt(login, "haendler", "geheim");
    EXPECT_EQ(a.result.outcome, LoginOutcome::TryAgain) << c.column;
    EXPECT_EQ(a.lines, c.lines) << c.column;
    EXPECT_EQ(login.failed_attempts(), 1) << c.column;
    if (c.lookup_reaches_server) {
      EXPECT_NE(test::general_log_since(mark).find("select * from users where (nick='haendler'"),
                std::string::npos)
          << c.column;
    }
  }
}

TEST_F(LoginTest, ThirdFailureEndsTheProgram) {
  Login login = make_login();
  for (int i = 1; i <= 2; ++i) {
    Attempt a = attempt(login, "haendler", "falsch");
    EXPECT_EQ(a.result.outcome, LoginOutcome::TryAgain) << i;
    EXPECT_EQ(a.lines, (Lines{kServerUp, kDatabaseUp, kWrongLogin})) << i;
    EXPECT_EQ(login.failed_attempts(), i);
  }
  Attempt third = attempt(login, "niemand", "geheim");
  EXPECT_EQ(third.result.outcome, LoginOutcome::ShowAndEnd);
  EXPECT_EQ(third.result.message, "Die Einloggdaten wurden drei mal falsch eingegeben.");
  EXPECT_EQ(third.lines, (Lines{kServerUp, kDatabaseUp}));
  EXPECT_FALSE(data_folder_made());
}

TEST_F(LoginTest, CorrectLoginAfterTwoFailuresSucceeds) {
  Login login = make_login();
  attempt(login, "haendler", "falsch");
  attempt(login, "niemand", "geheim");
  Attempt a = attempt(login, "haendler", "geheim");
  EXPECT_EQ(a.result.outcome, LoginOutcome::OpenMainWindow);
  EXPECT_EQ(a.lines, (Lines{kServerUp, kDatabaseUp}));
  EXPECT_EQ(login.failed_attempts(), 2);  // never reset during the run
}

TEST_F(LoginTest, SuspendedAccountEndsTheProgram) {
  Login login = make_login();
  Attempt a = attempt(login, "gesperrt", "geheim");
  EXPECT_EQ(a.result.outcome, LoginOutcome::ShowAndEnd);
  EXPECT_EQ(a.result.message, "Ihr Konto ist für den Verkauf gesperrt.");
  EXPECT_EQ(login.user().id, "43");
  EXPECT_FALSE(data_folder_made());
}

TEST_F(LoginTest, UnknownSuspendedValueKeepsTheWindowSilently) {
  for (const char* value : {"'2'", "'0 '", "''", "NULL"}) {
    test::reset_data();
    test::admin_exec(std::string("update tv_auktionshaus.users set suspended=") + value +
                     " where id=42");
    Login login = make_login();
    Attempt a = attempt(login, "haendler", "geheim");
    EXPECT_EQ(a.result.outcome, LoginOutcome::TryAgain) << value;
    EXPECT_TRUE(a.result.message.empty()) << value;
    EXPECT_EQ(a.lines, (Lines{kServerUp, kDatabaseUp})) << value;
    EXPECT_EQ(login.failed_attempts(), 0) << value;
    EXPECT_FALSE(data_folder_made()) << value;
  }
}

TEST_F(LoginTest, TwoUsersWithSameNickAndHashFail) {
  test::admin_exec(
      "insert into tv_auktionshaus.users (id, nick, password, suspended) values "
      "(44, 'haendler', '" +
      kGeheimHash + "', '0')");
  Login login = make_login();
  Attempt a = attempt(login, "haendler", "geheim");
  EXPECT_EQ(a.result.outcome, LoginOutcome::TryAgain);
  EXPECT_EQ(a.lines, (Lines{kServerUp, kDatabaseUp, kWrongLogin}));
}

TEST_F(LoginTest, EmptyPasswordIsHashedAndLookedUp) {
  // The digest of the salt alone, computed independently.
  const std::string empty_hash = "19ceef93d935af3bf20309b928bde703";
  test::admin_exec(
      "insert into tv_auktionshaus.users (id, nick, password, suspended) values "
      "(45, 'ohnepass', '" +
      empty_hash + "', '0')");
  Login login = make_login();
  Attempt a = attempt(login, "ohnepass", "");
  EXPECT_EQ(a.result.outcome, LoginOutcome::OpenMainWindow);
  EXPECT_EQ(login.typed_password_hash(), empty_hash);
  EXPECT_EQ(login.user().id, "45");
}

TEST_F(LoginTest, HostileUserNamesFailAndReachTheServerEscaped) {
  struct Case {
    const char* name;
    const char* in_log;  // the nick as the statement text carries it
  };
  const Case cases[] = {
      {"' or '1'='1", R"('\' or \'1\'=\'1')"},
      {"haendler' -- ", R"('haendler\' -- ')"},
      {"haendler') or ('1'='1", R"('haendler\') or (\'1\'=\'1')"},
      {"haendler\\", R"('haendler\\')"},
      {"\\' or 1=1 #", R"('\\\' or 1=1 #')"},
  };
  // A wrong password: without the escaping, a commented-out password test would match exactly
  // one user and log in.
  const std::string hash = password_hash("falsch");
  for (const Case& c : cases) {
    Login login = make_login();
    auto mark = test::general_log_mark();
    Attempt a = attempt(login, c.name, "falsch");
    EXPECT_EQ(a.result.outcome, LoginOutcome::TryAgain) << c.name;
    EXPECT_EQ(a.lines, (Lines{kServerUp, kDatabaseUp, kWrongLogin})) << c.name;
    EXPECT_NE(test::general_log_since(mark).find(std::string("select * from users where (nick=") +
                                                 c.in_log + " and password='" + hash + "')\n"),
              std::string::npos)
        << c.name;
  }

  // A quote that is part of a real nick is found exactly.
  test::admin_exec(
      "insert into tv_auktionshaus.users (id, nick, password, suspended) values "
      "(46, 'O\\'Brien', '" +
      kGeheimHash + "', '0')");
  Login login = make_login();
  EXPECT_EQ(attempt(login, "O'Brien", "geheim").result.outcome, LoginOutcome::OpenMainWindow);
  EXPECT_EQ(login.user().id, "46");
}

TEST_F(LoginTest, DataFolderThatCannotBeMadeKeepsTheLoginOpen) {
  // A file where the data root should be: no folder can be made below it.
  std::ofstream(folder_ / "files", std::ios::binary) << "kein Ordner";
  Login login = make_login();
  Attempt a = attempt(login, "haendler", "geheim");
  EXPECT_EQ(a.result.outcome, LoginOutcome::ShowAndStay);
  EXPECT_FALSE(a.result.message.empty());
  EXPECT_EQ(read_file(folder_ / "files"), "kein Ordner");

  // Once the obstacle is gone, the next press gets through.
  fs::remove(folder_ / "files");
  EXPECT_EQ(attempt(login, "haendler", "geheim").result.outcome, LoginOutcome::OpenMainWindow);
}

}  // namespace
}  // namespace tellvaro::session
