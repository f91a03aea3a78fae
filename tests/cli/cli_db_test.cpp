// tellvaro-cli run as a process against the test auction house, the way a nightly script runs
// it: exit codes, what reached the database, the file server and the mail server, and what was
// left in the data folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

#include "catalogue/reference.h"
#include "db/connection.h"
#include "media/exif.h"
#include "ports/progress.h"
#include "store/csv.h"
#include "store/data_packet.h"
#include "store/description_frames.h"
#include "store/folder_lock.h"
#include "store/table.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "upload/listed_rows.h"
#include "upload/listing_rows.h"
#include "upload/protocol.h"
#include "upload/send.h"

namespace tellvaro::cli {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempDir;
using test::write_file;

struct Finished {
  int code = -1;
  std::string out, err;
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
  return n;
}

class CliTest : public test::AuctionHouseTest {
 protected:
  void SetUp() override {
    AuctionHouseTest::SetUp();
    // A copy beside its own data folder, as an unpacked program keeps it: each test its own.
    program_ = dir_ / "tellvaro-cli";
    fs::copy_file(TELLVARO_CLI_PROGRAM, program_);
    password_file_ = dir_ / "passwort";
    password("geheim\n", 0600);
    fs::create_directories(dir_ / "export");
  }

  void password(const std::string& text, mode_t mode) {
    write_file(password_file_, text);
    ::chmod(password_file_.c_str(), mode);
  }

  // The seller's login by password file, then the command's own arguments.
  std::vector<std::string> as_seller(std::vector<std::string> args) {
    for (const char* a : {"--benutzer", "haendler", "--passwort-datei"}) args.emplace_back(a);
    args.push_back(password_file_);
    return args;
  }

  // Starts the program with nothing on standard input, no display and only `env`.
  pid_t start(const std::vector<std::string>& args, std::vector<std::string> env = {}) {
    env.push_back("PATH=/usr/bin:/bin");
    env.push_back("HOME=" + dir_.folder());
    env.push_back("LANG=de_DE.UTF-8");
    env.push_back("TZ=Europe/Berlin");
    std::vector<char*> argv{program_.data()};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string out = dir_ / "out.txt", err = dir_ / "err.txt";
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (ignore_hangup_) ::signal(SIGHUP, SIG_IGN);  // as nohup starts a program
      const int in = ::open("/dev/null", O_RDONLY);
      const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(in, 0);
      ::dup2(o, 1);
      ::dup2(e, 2);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    return pid;
  }

  Finished wait_for(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    Finished f;
    f.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    f.out = read_file(dir_ / "out.txt");
    f.err = read_file(dir_ / "err.txt");
    all_output_ += f.out + f.err;
    return f;
  }

  bool ignore_hangup_ = false;

  Finished run(const std::vector<std::string>& args, std::vector<std::string> env = {}) {
    return wait_for(start(args, std::move(env)));
  }

  std::string csv(const std::string& name, const std::string& rows) {
    const std::string path = dir_ / ("export/" + name);
    write_file(path,
               "Artikelname;Kategorie Nummer;Auktionsdauer;location_zip;location;Startpreis;p1;"
               "Fettschrift;Beschreibung;Bild1\r\n" +
                   rows);
    return path;
  }

  std::size_t upload_rows() {
    store::Table t;
    store::load_table(t, dir_ / "files/db/upload_db.xml");
    return t.count();
  }

  std::size_t auctions_from(int first) {
    return test::admin_query("select id from auctions where id >= " + std::to_string(first)).size();
  }

  // Nothing the seller's password or a service password would show up as.
  void expect_no_secret(const std::string& where, const std::string& text) {
    for (const std::string& secret : {std::string("geheim"), test::sql_password(),
                                      test::ftp_password(), test::mail_password()}) {
      EXPECT_FALSE(contains(text, secret)) << where << " shows a password";
    }
  }

  TempDir dir_;
  std::string program_;
  std::string password_file_;
  std::string all_output_;
};

TEST_F(CliTest, BadCallsEndWithCodeTwoBeforeAnyLogin) {
  const std::size_t mark = test::general_log_mark();
  const Finished help = run({"--hilfe"});
  EXPECT_EQ(help.code, 0);
  EXPECT_TRUE(contains(help.out, "Rückgabewerte")) << help.out;

  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> env;
    std::string says;
  };
  password("geheim\n", 0644);
  const Case cases[] = {
      {{"senden"}, {}, "braucht eine CSV-Datei"},
      {{"rechnungen", "--benutzer", "haendler", "--passwort=geheim"},
       {},
       "nicht auf der Befehlszeile"},
      // No password at all: no terminal to ask on.
      {{"rechnungen", "--benutzer", "haendler"}, {}, "Kein Passwort"},
      // A password file others may read is refused even when the environment holds one.
      {{"rechnungen", "--benutzer", "haendler", "--passwort-datei", password_file_},
       {"TELLVARO_PASSWORT=geheim"},
       "chmod 600"},
  };
  for (const Case& c : cases) {
    const Finished f = run(c.args, c.env);
    EXPECT_EQ(f.code, 2) << c.says << "\n" << f.err;
    EXPECT_TRUE(contains(f.err, c.says)) << f.err;
    EXPECT_TRUE(f.out.empty()) << f.out;
  }
  EXPECT_TRUE(test::general_log_entries_since(mark).empty()) << "a bad call reached the server";
  expect_no_secret("output", all_output_);
}

TEST_F(CliTest, LoginFailuresEndWithCodeThree) {
  password("falsch\n", 0600);
  const Finished wrong = run(as_seller({"rechnungen"}));
  EXPECT_EQ(wrong.code, 3) << wrong.err;
  EXPECT_TRUE(contains(wrong.err, "Falsche Einloggdaten.")) << wrong.err;

  const Finished suspended =
      run({"rechnungen", "--benutzer", "gesperrt"}, {"TELLVARO_PASSWORT=geheim"});
  EXPECT_EQ(suspended.code, 3) << suspended.err;
  EXPECT_TRUE(contains(suspended.err, "Ihr Konto ist für den Verkauf gesperrt.")) << suspended.err;

  // The right password from the environment.
  const Finished good = run({"rechnungen", "--benutzer", "haendler"}, {"TELLVARO_PASSWORT=geheim"});
  EXPECT_EQ(good.code, 0) << good.err;
  EXPECT_TRUE(contains(good.out, "Für Ihr Konto sind keine Gebühren gebucht.")) << good.out;
  expect_no_secret("output", all_output_);
}

// A site whose description column is TEXT (64 KB): the check names the text the send would stop
// at, with its length and the limit, before anything is sent.
TEST_F(CliTest, ACheckNamesATextLongerThanItsColumnOnThisServer) {
  struct Restore {
    ~Restore() {
      try {
        test::admin_exec("alter table tv_auktionshaus.auctions modify description MEDIUMTEXT NULL");
      } catch (...) {
      }
    }
  } restore;
  test::admin_exec("alter table tv_auktionshaus.auctions modify description TEXT NULL");
  const std::string file = csv("lang.csv", "Lampe;1111;7;10115;Berlin;5;True;;" +
                                               std::string(70000, 'x') + ";\r\n");
  const Finished f = run(as_seller({"pruefen", file}));
  EXPECT_EQ(f.code, 1) << f.err;
  EXPECT_TRUE(contains(f.out, "Zeile 2: \"Lampe\" unvollständig: Der Artikel \"Lampe\" hat Texte, "
                              "die das Auktionshaus nur gekürzt speichern würde:\nBeschreibung: "
                              "70000 Zeichen, das Auktionshaus speichert höchstens 65535 Zeichen"))
      << f.out;
}

TEST_F(CliTest, CheckNamesEachRowAndWritesNothing) {
  const std::string file = csv("pruefen.csv",
                               "Sommerreifen;1111;7;10115;Berlin;12.5;True;True;Vier Reifen.;\r\n"
                               "Winterreifen;1112;;10115;Berlin;20;True;;Vier Reifen.;\r\n"
                               "Felgen;1111;7;10115;Berlin;zwölf;True;;Vier Felgen.;\r\n"
                               "Schneeketten;1111;7;10115;Berlin;5;True;;Ein Paar.;fehlt.jpg\r\n");
  const std::size_t mark = test::general_log_mark();
  const Finished f = run(as_seller({"pruefen", file}));
  EXPECT_EQ(f.code, 1) << f.err;
  EXPECT_TRUE(contains(f.out, "Zeile 2: \"Sommerreifen\" vollständig, Gebühr 0.50 €")) << f.out;
  EXPECT_TRUE(
      contains(f.out, "Zeile 3: \"Winterreifen\" unvollständig: Bitte die Auktionsdauer angeben."))
      << f.out;
  EXPECT_TRUE(contains(f.out, "nicht lesbar: Zeile 4, Spalte 6 (Startpreis)")) << f.out;
  EXPECT_TRUE(contains(f.out, "Zeile 5: \"Schneeketten\" unvollständig: Bild 1 (fehlt.jpg)"))
      << f.out;
  EXPECT_TRUE(contains(f.out, "1 vollständig, 2 unvollständig, 1 nicht lesbar")) << f.out;

  for (const std::string& q : test::queries_since(mark)) {
    EXPECT_EQ(q.rfind("select", 0), 0u) << "more than a look: " << q;
  }
  EXPECT_EQ(upload_rows(), 0u);
  EXPECT_TRUE(fs::is_empty(dir_ / "files/bilder"));
  EXPECT_FALSE(fs::exists(dir_ / "files/db/eingestellt.txt"));

  // All complete: code 0.
  const Finished good = run(
      as_seller({"pruefen",
                 csv("gut.csv", "Sommerreifen;1111;7;10115;Berlin;12.5;True;;Vier Reifen.;\r\n")}));
  EXPECT_EQ(good.code, 0) << good.out << good.err;
  // A file that is no article file at all: code 2.
  write_file(dir_ / "export/kaputt.csv", "Name;Preis\r\nx;1\r\n");
  const Finished bad = run(as_seller({"pruefen", dir_ / "export/kaputt.csv"}));
  EXPECT_EQ(bad.code, 2) << bad.out;
  EXPECT_TRUE(contains(bad.err, "\"Name\" ist kein Feld eines Artikels")) << bad.err;
}

TEST_F(CliTest, SendListsEveryArticleOnceWithItsPicturesAndMailsTheProtocol) {
  // A phone photo on its side with its GPS position, outside the data folder: once by an absolute
  // path, once relative to the CSV file.
  const std::string photo = read_file(TELLVARO_MEDIA_DATA "/phone-gps.jpg");
  write_file(dir_ / "export/handy.jpg", photo);
  fs::create_directories(dir_ / "fotos");
  write_file(dir_ / "fotos/garten.jpg", photo);
  const std::string file =
      csv("nacht.csv",
          "Sommerreifen;1111;7;10115;Berlin;12.5;True;True;Vier Reifen.;handy.jpg\r\n"
          "Rasenmäher;4;3;10115;Berlin;30;True;;Benzin, 46 cm.;" +
              dir_ / "fotos/garten.jpg" + "\r\n");

  const std::size_t mark = test::general_log_mark();
  const Finished f = run(as_seller({"senden", file}));
  ASSERT_EQ(f.code, 0) << f.out << f.err;
  EXPECT_TRUE(contains(f.out, "2 - Artikel zum Upload gefunden")) << f.out;
  EXPECT_TRUE(contains(f.out, "Auktions-Nr: 1000")) << f.out;
  EXPECT_TRUE(contains(f.out, "Auktions-Nr: 1001")) << f.out;
  EXPECT_TRUE(contains(f.out, "Alle Artikel wurden eingestellt.")) << f.out;
  EXPECT_TRUE(contains(f.out, "Bild 1: Ortsangaben (GPS) aus \"handy.jpg\" entfernt.")) << f.out;

  const auto rows = test::admin_query(
      "select id, title, user from auctions where id >= 1000 "
      "order by id");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][1], "Sommerreifen");
  EXPECT_EQ(rows[1][1], "Rasenmäher");
  EXPECT_EQ(rows[1][2], "42");
  EXPECT_EQ(test::admin_query("select id from accountpos").size(), 1u);  // Fettschrift

  // The pictures as the editor stores them: in the picture folder without the position, and
  // those bytes on the file server.
  for (const char* name : {"handy.jpg", "garten.jpg"}) {
    std::string stored = read_file(dir_ / ("files/bilder/" + std::string(name)));
    ASSERT_FALSE(stored.empty()) << name;
    EXPECT_EQ(media::exif_orientation(stored), 6) << name;
    EXPECT_FALSE(media::remove_location(stored)) << name << " still holds GPS";
  }
  // Compared as flags: a failure must not print a picture byte by byte.
  EXPECT_TRUE(read_file(test::ftp_root() + "/1000.jpg") ==
              read_file(dir_ / "files/bilder/handy.jpg"));
  EXPECT_TRUE(read_file(test::ftp_root() + "/1001.jpg") ==
              read_file(dir_ / "files/bilder/garten.jpg"));
  EXPECT_TRUE(read_file(dir_ / "export/handy.jpg") == photo) << "source changed";

  const auto mails = test::mails();
  ASSERT_EQ(mails.size(), 2u);
  for (const auto& m : mails) {
    EXPECT_TRUE(contains(m.data, "Subject: Artikel Uploadprotokol: User: haendler"));
    EXPECT_TRUE(contains(m.data, "Auktions-Nr: 1001"));
    expect_no_secret("mail", m.data);
  }
  // The upload table holds them, and the memory of listed rows knows them.
  EXPECT_EQ(upload_rows(), 2u);
  EXPECT_EQ(count_of(read_file(dir_ / "files/db/eingestellt.txt"), "\t100"), 2u);
  const std::string log = test::general_log_since(mark);
  EXPECT_FALSE(contains(log, "geheim"));

  // The next night's export names the same articles: nothing is listed twice.
  test::clear_mail();
  const Finished again = run(as_seller({"senden", file, "--erneut=nie"}));
  EXPECT_EQ(again.code, 0) << again.out << again.err;
  EXPECT_TRUE(contains(again.out, "Es wurde nichts gesendet")) << again.out;
  EXPECT_EQ(auctions_from(1000), 2u);
  EXPECT_TRUE(test::mails().empty());
  EXPECT_EQ(upload_rows(), 2u) << "the upload table grows by every night's export";

  // The fees of the night, as "Meine Rechnungen" shows them.
  const Finished fees = run(as_seller({"rechnungen"}));
  EXPECT_EQ(fees.code, 0) << fees.err;
  EXPECT_TRUE(contains(fees.out, "Auktion 1000")) << fees.out;
  EXPECT_TRUE(contains(fees.out, "Gesamt: 0.50 €")) << fees.out;
  const Finished fees_csv = run(as_seller({"rechnungen", "--csv"}));
  EXPECT_EQ(fees_csv.code, 0);
  EXPECT_TRUE(contains(fees_csv.out, "Datum;Auktion;Titel;Beschreibung;Betrag\r\n"))
      << fees_csv.out;
  EXPECT_TRUE(contains(fees_csv.out, ";1000;Sommerreifen;")) << fees_csv.out;
  expect_no_secret("output", all_output_);
}

TEST_F(CliTest, AnIncompleteArticleStopsTheWholeSendUnlessOnlyCompleteOnesAreWanted) {
  const std::string file = csv("teils.csv",
                               "Sommerreifen;1111;7;10115;Berlin;12.5;True;;Vier Reifen.;\r\n"
                               "Winterreifen;1112;7;;Berlin;20;True;;Vier Reifen.;\r\n");
  const std::size_t mark = test::ftp_log_mark();
  const Finished refused = run(as_seller({"senden", file}));
  EXPECT_EQ(refused.code, 2) << refused.out;
  EXPECT_TRUE(contains(refused.err, "Bitte zu Artikelstandort die PLZ angeben.")) << refused.err;
  EXPECT_TRUE(contains(refused.err, "--nur-vollstaendige")) << refused.err;
  EXPECT_EQ(auctions_from(1000), 0u);
  EXPECT_EQ(upload_rows(), 0u);
  EXPECT_TRUE(test::ftp_commands_since(mark).empty());

  const Finished partly = run(as_seller({"senden", file, "--nur-vollstaendige"}));
  EXPECT_EQ(partly.code, 1) << partly.out << partly.err;
  EXPECT_EQ(auctions_from(1000), 1u);
  EXPECT_EQ(upload_rows(), 1u);
}

// Started under nohup, the send does not stop at a hang-up: the signal stays ignored.
TEST_F(CliTest, AHangUpUnderNohupLeavesTheSendRunning) {
  const std::string file = csv("zwei.csv",
                               "Erster;1111;7;10115;Berlin;1;True;;Eins.;\r\n"
                               "Zweiter;1111;7;10115;Berlin;2;True;;Zwei.;\r\n");
  const std::size_t mark = test::general_log_mark();
  ignore_hangup_ = true;
  pid_t pid = 0;
  {
    const test::Frozen frozen("http");
    pid = start(as_seller({"senden", file}));
    bool first_begun = false;
    for (int i = 0; i < 400 && !first_begun; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
      for (const std::string& q : test::queries_since(mark)) {
        if (contains(q, "from numbers")) first_begun = true;
      }
    }
    ASSERT_TRUE(first_begun);
    ::kill(pid, SIGHUP);
  }
  ignore_hangup_ = false;
  const Finished f = wait_for(pid);
  EXPECT_EQ(f.code, 0) << f.out << f.err;
  EXPECT_EQ(auctions_from(1000), 2u);
  EXPECT_FALSE(contains(f.out, "angehalten")) << f.out;
}

// A nightly job ended by its time limit (SIGTERM) stops after the article at hand and still mails
// the receipt of what it listed.
TEST_F(CliTest, ASignalStopsTheSendAfterTheArticleAtHand) {
  const std::string file = csv("drei.csv",
                               "Erster;1111;7;10115;Berlin;1;True;;Eins.;\r\n"
                               "Zweiter;1111;7;10115;Berlin;2;True;;Zwei.;\r\n"
                               "Dritter;1111;7;10115;Berlin;3;True;;Drei.;\r\n");
  const std::size_t mark = test::general_log_mark();
  pid_t pid = 0;
  {
    // The web server's clock holds the first article while the signal comes.
    const test::Frozen frozen("http");
    pid = start(as_seller({"senden", file}));
    bool first_begun = false;
    for (int i = 0; i < 400 && !first_begun; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
      for (const std::string& q : test::queries_since(mark)) {
        if (contains(q, "from numbers")) first_begun = true;
      }
    }
    ASSERT_TRUE(first_begun);
    ::kill(pid, SIGTERM);
  }
  const Finished f = wait_for(pid);
  EXPECT_EQ(f.code, 1) << f.out << f.err;
  EXPECT_EQ(auctions_from(1000), 1u);
  EXPECT_TRUE(contains(f.out, "nach dem laufenden Artikel angehalten")) << f.out;
  EXPECT_TRUE(contains(f.out, "Auktion 1000: Erster")) << f.out;
  ASSERT_EQ(test::mails().size(), 2u);
  EXPECT_TRUE(contains(test::mails()[0].data, "Auktions-Nr: 1000"));
}

TEST_F(CliTest, TwoPhotosOfTheSameNameNeverBecomeOnePicture) {
  // Two cameras, one name: the first camera's photo is in the picture folder already (an article
  // of the table shows it). The second camera's, sent through the command line, goes beside it
  // under a further name; the first one's again uses the file that is there.
  fs::create_directories(dir_ / "export/kamera1");
  fs::create_directories(dir_ / "export/kamera2");
  const std::string photo = read_file(TELLVARO_MEDIA_DATA "/phone-gps.jpg");
  const std::string other = read_file(TELLVARO_MEDIA_DATA "/edited-xmp-gps.jpg");
  std::string first = photo, second = other;
  ASSERT_TRUE(media::remove_location(first));
  ASSERT_TRUE(media::remove_location(second));
  write_file(dir_ / "export/kamera1/IMG_0001.jpg", photo);
  write_file(dir_ / "export/kamera2/IMG_0001.jpg", other);
  fs::create_directories(dir_ / "files/bilder");
  write_file(dir_ / "files/bilder/IMG_0001.jpg", first);
  const std::string file = csv("kameras.csv",
                               "Winterreifen;1112;7;10115;Berlin;20;True;;Vier.;"
                               "kamera2/IMG_0001.jpg\r\n"
                               "Sommerreifen;1111;7;10115;Berlin;12.5;True;;Vier.;"
                               "kamera1/IMG_0001.jpg\r\n");
  const Finished f = run(as_seller({"senden", file}));
  ASSERT_EQ(f.code, 0) << f.out << f.err;
  EXPECT_TRUE(contains(f.out, "Bild 1 gespeichert als \"IMG_0001~2.jpg\"")) << f.out;
  EXPECT_TRUE(read_file(dir_ / "files/bilder/IMG_0001.jpg") == first);
  EXPECT_TRUE(read_file(dir_ / "files/bilder/IMG_0001~2.jpg") == second);
  EXPECT_TRUE(read_file(test::ftp_root() + "/1000.jpg") == second);
  EXPECT_TRUE(read_file(test::ftp_root() + "/1001.jpg") == first);
}

TEST_F(CliTest, ImportWritesTheSellersAuctionsAsArticleCsv) {
  const Finished f = run(as_seller({"importieren", "--ausgabe", dir_ / "import.csv"}));
  ASSERT_EQ(f.code, 0) << f.err;
  EXPECT_TRUE(contains(f.err, "3 Auktionen importiert")) << f.err;
  const store::CsvImport all = store::read_articles_csv(read_file(dir_ / "import.csv"));
  EXPECT_EQ(all.records.size(), 3u);
  EXPECT_TRUE(all.problems.empty());

  const Finished current = run(as_seller({"importieren", "--aktuelle"}));
  ASSERT_EQ(current.code, 0) << current.err;
  const store::CsvImport running = store::read_articles_csv(current.out);
  EXPECT_EQ(running.records.size(), 2u);
  // The window's import table is left as it was.
  store::Table imports;
  store::load_table(imports, dir_ / "files/db/import_db.xml");
  EXPECT_EQ(imports.count(), 0u);
}

// The statements, file transfers and mails of the command's send, against those of the window's
// send-all run by the core on the same upload rows.
std::vector<std::string> from_numbers_on(const std::vector<std::string>& queries) {
  std::size_t first = queries.size();
  for (std::size_t i = 0; i < queries.size(); ++i) {
    if (contains(queries[i], "from numbers")) {
      first = i;
      break;
    }
  }
  // The lookup of the auction number opens the send; what comes before is the login's.
  std::vector<std::string> out(queries.begin() + static_cast<long>(first), queries.end());
  return out;
}

std::string without_times(std::string text) {
  static const std::regex times(
      R"(\d{4}[.-]\d{2}[.-]\d{2} \d{1,2}:\d{2}:\d{2}|\d{2}\.\d{2}\.\d{4} \d{2}:\d{2}:\d{2})");
  return std::regex_replace(text, times, "<Zeit>");
}

std::vector<std::string> without_times(std::vector<std::string> lines) {
  for (std::string& line : lines) line = without_times(line);
  return lines;
}

std::vector<std::string> without_ports(const std::vector<std::string>& commands) {
  std::vector<std::string> out;
  for (const std::string& c : commands) {
    if (c.rfind("PORT ", 0) != 0 && c.rfind("EPRT ", 0) != 0) out.push_back(c);
  }
  return out;
}

std::string mail_body(const test::Mail& m) {
  const auto start = m.data.find("\r\n\r\n");
  return without_times(start == std::string::npos ? m.data : m.data.substr(start));
}

TEST_F(CliTest, ItsSendIsTheWindowsSendOfTheSameArticles) {
  write_file(dir_ / "export/handy.jpg", read_file(TELLVARO_MEDIA_DATA "/phone-gps.jpg"));
  const std::string file =
      csv("drei.csv",
          "Sommerreifen;1111;7;10115;Berlin;12.5;True;True;Vier Reifen.;handy.jpg\r\n"
          "Rasenmäher;4;3;10115;Berlin;30;True;;Benzin, 46 cm.;\r\n"
          "Gedenkmünze 2 €;311111;10;10115;Berlin;2;True;True;Stempelglanz.;\r\n");
  auto log = test::general_log_mark();
  auto ftp = test::ftp_log_mark();
  const Finished f = run(as_seller({"senden", file}));
  ASSERT_EQ(f.code, 0) << f.out << f.err;
  const auto command_queries = without_times(from_numbers_on(test::queries_since(log)));
  const auto command_ftp = without_ports(test::ftp_commands_since(ftp));
  const auto command_mails = test::mails();
  ASSERT_EQ(command_mails.size(), 2u);
  ASSERT_GE(command_queries.size(), 9u);

  // The same rows as the window holds them after its transfer, sent as the window sends them.
  store::Table uploads;
  store::load_table(uploads, dir_ / "files/db/upload_db.xml");
  ASSERT_EQ(uploads.count(), 3u);
  // Both programs run under de_DE.UTF-8: the window knows each row the command line listed by
  // the same digest, so it would not list it again unasked.
  const std::string listed = read_file(dir_ / "files/db/eingestellt.txt");
  for (std::size_t i = 0; i < uploads.count(); ++i) {
    EXPECT_TRUE(contains(listed, upload::row_digest(uploads.row(i)) + '\t')) << i;
  }
  test::reset_data();
  test::clear_ftp();
  test::clear_mail();
  db::Connection db;
  ASSERT_TRUE(test::connect_app(db)) << db.last_error();
  const catalogue::FeatureFees fees = catalogue::load_features(db);
  const catalogue::PaymentNames payments = catalogue::load_payments(db);
  upload::AuctionHouseRows rows(db, fees, payments);
  test::ScriptedDialogs dialogs;
  upload::Protocol protocol;
  ports::NoProgress progress;
  log = test::general_log_mark();
  ftp = test::ftp_log_mark();
  upload::Sender window({db,
                         uploads,
                         rows,
                         dialogs,
                         protocol,
                         &progress,
                         {},
                         test::service_config(),
                         test::active_seller(),
                         std::string("http://") + test::host() + "/",
                         dir_ / "files/bilder/",
                         {},
                         nullptr});
  ASSERT_TRUE(window.send_all()) << (dialogs.shown.empty() ? "" : dialogs.shown.back());

  EXPECT_EQ(without_times(from_numbers_on(test::queries_since(log))), command_queries);
  EXPECT_EQ(without_ports(test::ftp_commands_since(ftp)), command_ftp);
  const auto window_mails = test::mails();
  ASSERT_EQ(window_mails.size(), command_mails.size());
  for (std::size_t i = 0; i < window_mails.size(); ++i) {
    EXPECT_EQ(window_mails[i].rcpt_to, command_mails[i].rcpt_to);
    EXPECT_EQ(mail_body(window_mails[i]), mail_body(command_mails[i]));
  }
  // Each command line printed is a line of the protocol the window shows.
  for (const std::string& line : protocol.lines()) {
    EXPECT_TRUE(contains(without_times(f.out), without_times(line))) << line;
  }
}

// An article whose description names a frame of the data folder goes out framed, the same bytes
// as the window's send of the same upload row.
TEST_F(CliTest, AFramedDescriptionGoesOutAsTheWindowSendsIt) {
  fs::create_directories(dir_ / "files/vorlagen");
  write_file(dir_ / "files/vorlagen/Shop.html",
             "<h1>{Artikelname}</h1>{Beschreibung}\r\n<p>Ab {Startpreis} EUR. Impressum: Hans "
             "Händler's Laden</p>");
  const std::string file =
      csv("eins.csv",
          "Sommerreifen;1111;7;10115;Berlin;12.5;True;;<!--Vorlage: Shop-->Vier "
          "Reifen, kaum gefahren.;\r\n");
  const std::string expected =
      "<h1>Sommerreifen</h1>Vier Reifen, kaum gefahren.\r\n<p>Ab 12.50 EUR. Impressum: Hans "
      "Händler\xC2\xB4s Laden</p>";
  const auto description = [] {
    const auto rows = test::admin_query("select description from auctions where id >= 1000");
    return rows.size() == 1 && rows[0][0] ? *rows[0][0] : std::string("<keine>");
  };
  const Finished f = run(as_seller({"senden", file}));
  ASSERT_EQ(f.code, 0) << f.out << f.err;
  EXPECT_EQ(description(), expected);

  store::Table uploads;
  store::load_table(uploads, dir_ / "files/db/upload_db.xml");
  ASSERT_EQ(uploads.count(), 1u);
  test::reset_data();
  db::Connection db;
  ASSERT_TRUE(test::connect_app(db)) << db.last_error();
  const catalogue::FeatureFees fees = catalogue::load_features(db);
  const catalogue::PaymentNames payments = catalogue::load_payments(db);
  upload::AuctionHouseRows rows(db, fees, payments);
  test::ScriptedDialogs dialogs;
  upload::Protocol protocol;
  const store::FrameFolder frames(dir_.folder());
  upload::Sender window({db,
                         uploads,
                         rows,
                         dialogs,
                         protocol,
                         nullptr,
                         {},
                         test::service_config(),
                         test::active_seller(),
                         std::string("http://") + test::host() + "/",
                         dir_ / "files/bilder/",
                         {},
                         nullptr,
                         &frames});
  ASSERT_TRUE(window.send_all()) << (dialogs.shown.empty() ? "" : dialogs.shown.back());
  EXPECT_EQ(description(), expected);

  // Without its frame the command line sends nothing and names it.
  fs::remove(dir_ / "files/vorlagen/Shop.html");
  const Finished refused = run(as_seller({"senden", file}));
  EXPECT_NE(refused.code, 0);
  EXPECT_TRUE(contains(refused.err, "Die Vorlage \"Shop\" der Beschreibung fehlt")) << refused.err;
}

// At a terminal the seller types his password as in the login window: unseen, and three tries.
TEST_F(CliTest, AtATerminalThePasswordIsTypedUnseenWithThreeTriesAsInTheWindow) {
  struct Case {
    std::vector<std::string> typed;
    int code;
    std::string says;
  };
  const Case cases[] = {
      {{"falsch-1", "geheim"}, 0, "Für Ihr Konto sind keine Gebühren gebucht."},
      {{"falsch-1", "falsch-2", "falsch-3"},
       3,
       "Die Einloggdaten wurden drei mal falsch eingegeben."},
  };
  for (const Case& c : cases) {
    std::string program = program_;
    std::vector<char*> argv{program.data()};
    std::vector<std::string> args = {"rechnungen", "--benutzer", "haendler"};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"PATH=/usr/bin:/bin", "HOME=" + dir_.folder(),
                                    "LANG=de_DE.UTF-8", "TZ=Europe/Berlin"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    // What the terminal shows, read until `part` appears (or the program ends).
    std::string screen;
    auto read_until = [&](const std::string& part, std::size_t from) {
      while (screen.find(part, from) == std::string::npos) {
        pollfd p{terminal, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) return false;
        char buffer[512];
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n <= 0) return false;
        screen.append(buffer, static_cast<std::size_t>(n));
      }
      return true;
    };
    const std::string prompt = "Passwort für haendler: ";
    std::size_t seen = 0;
    for (const std::string& typed : c.typed) {
      ASSERT_TRUE(read_until(prompt, seen)) << screen;
      seen = screen.find(prompt, seen) + prompt.size();
      const std::string line = typed + "\n";
      ASSERT_EQ(::write(terminal, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }
    read_until("\x04 never shown", seen);  // to the end
    ::close(terminal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.code) << screen;
    EXPECT_TRUE(contains(screen, c.says)) << screen;
    EXPECT_EQ(count_of(screen, "Falsche Einloggdaten."), c.typed.size() - 1) << screen;
    for (const std::string& typed : c.typed) {
      EXPECT_FALSE(contains(screen, typed)) << "shown on the terminal: " << typed;
    }
  }
}

TEST_F(CliTest, TheDataFolderIsHeldBothWays) {
  {
    // The window holds the folder: the command refuses.
    const store::FolderLock window(dir_.folder());
    ASSERT_TRUE(window.held());
    const Finished f = run(as_seller({"rechnungen"}));
    EXPECT_EQ(f.code, 2);
    EXPECT_TRUE(contains(f.err, "läuft bereits mit diesem Datenordner")) << f.err;
  }
  // The command holds it while it runs (here: while the database does not answer its login):
  // the window's lock is refused.
  pid_t pid = 0;
  bool refused = false;
  {
    const test::Frozen frozen("mariadb");
    pid = start(as_seller({"rechnungen"}));
    for (int i = 0; i < 200 && !refused; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
      const store::FolderLock window(dir_.folder());
      refused = !window.held() && window.held_elsewhere();
    }
  }
  const Finished f = wait_for(pid);
  EXPECT_TRUE(refused);
  EXPECT_EQ(f.code, 0) << f.err;
  // Once it ended, the folder is free again.
  const store::FolderLock after(dir_.folder());
  EXPECT_TRUE(after.held());
}

}  // namespace
}  // namespace tellvaro::cli
