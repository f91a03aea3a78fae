// The clients against the real web, file and mail servers of the test auction house, judged by
// what those servers logged and stored.

#include "net/net.h"

#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include <gtest/gtest.h>

#include "net/curl_call.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/temp_dir.h"
#include "text/error.h"

namespace tellvaro::net {
namespace {

namespace fs = std::filesystem;
using namespace tellvaro::test;

std::string web_url() { return std::string("http://") + host() + "/"; }

// The message of the Error `f` throws, or "<kein Fehler>".
template <class F>
std::string error_of(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "<kein Fehler>";
}

class NetTest : public AuctionHouseTest {
 protected:
  void SetUp() override {
    AuctionHouseTest::SetUp();
    dir_ = fs::temp_directory_path() / ("tellvaro-net-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(NetTest, HeadRequestsGiveTheDateHeaderOverOneConnection) {
  WebClock clock(web_url());
  for (int i = 0; i < 3; ++i) {
    std::string date = clock.date();
    EXPECT_TRUE(std::regex_match(
        date, std::regex(R"([A-Z][a-z]{2}, \d\d [A-Z][a-z]{2} \d{4} \d\d:\d\d:\d\d GMT)")))
        << date;
  }
  EXPECT_EQ(clock.connections_opened(), 1);
  EXPECT_FALSE(http_date(web_url()).empty());
}

TEST_F(NetTest, WebServerDownOrSilentIsAnErrorWithinTheTimeLimits) {
  // Nothing listens on port 81 of the test address.
  std::string down = std::string("http://") + host() + ":81/";
  EXPECT_EQ(
      error_of([&] { http_date(down); }),
      "Webserver " + down + ": Abfrage der Uhrzeit fehlgeschlagen: keine Verbindung zum Server.");
  Frozen frozen("http");
  ASSERT_TRUE(frozen.ok());
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(error_of([&] {
              http_date(web_url(), {500, 1000, 1000});
            }),
            "Webserver " + web_url() +
                ": Abfrage der Uhrzeit fehlgeschlagen: Zeitüberschreitung, der Server antwortet "
                "nicht.");
  // Far below the defaults; the exact figure is the machine's business.
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(4));
}

TEST_F(NetTest, FtpSessionStoresManyFilesOverOneLoginWithExactCommands) {
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7 % 256);  // CR, LF, NUL
  write_file(dir_ / "a.jpg", bytes);
  write_file(dir_ / "b.gif", "GIF89a\r\n\x1a");

  auto mark = ftp_log_mark();
  FtpSession ftp(ftp_account());
  ftp.open();
  ftp.store((dir_ / "a.jpg").string(), "//41.jpg");
  ftp.store((dir_ / "b.gif").string(), "//41_2.jpg");
  ftp.store((dir_ / "b.gif").string(), "//41.jpg");  // replaces
  ftp.store((dir_ / "a.jpg").string(), "//42_3.jpg");
  EXPECT_EQ(ftp.size("41_2.jpg"), std::optional<std::uint64_t>(9));
  EXPECT_EQ(ftp.size("fehlt.jpg"), std::nullopt);
  ftp.retrieve("42_3.jpg", (dir_ / "back.jpg").string());
  ftp.close();
  EXPECT_FALSE(ftp.is_open());
  EXPECT_EQ(ftp.connections_opened(), 1);

  EXPECT_EQ(read_file(fs::path(ftp_root()) / "41.jpg"), "GIF89a\r\n\x1a");
  EXPECT_EQ(read_file(fs::path(ftp_root()) / "41_2.jpg"), "GIF89a\r\n\x1a");
  EXPECT_EQ(read_file(fs::path(ftp_root()) / "42_3.jpg"), bytes);
  EXPECT_EQ(read_file(dir_ / "back.jpg"), bytes);

  std::vector<std::string> commands = ftp_commands_since(mark);
  auto count = [&](std::string_view c) { return count_of(commands, c); };
  EXPECT_EQ(count("USER tvftp"), 1);
  EXPECT_EQ(count("CWD /"), 1);
  EXPECT_EQ(count("STOR //41.jpg"), 2);
  EXPECT_EQ(count("STOR //41_2.jpg"), 1);
  EXPECT_EQ(count("SIZE 41_2.jpg"), 1);
  EXPECT_EQ(count("RETR 42_3.jpg"), 1);
  EXPECT_EQ(count("QUIT"), 1);
  // Encrypted before the login, so the data connections are encrypted and passive: one EPSV
  // for each of the five transfers, no PORT.
  ASSERT_GE(commands.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 4),
            (std::vector<std::string>{"AUTH TLS", "USER tvftp", "PASS ******", "PBSZ 0"}));
  EXPECT_EQ(count("PROT P"), 1);
  EXPECT_EQ(count("EPSV"), 5);
  for (const std::string& c : commands) {
    EXPECT_NE(c.rfind("PORT", 0), 0u);
    EXPECT_TRUE(c == "CWD /" || c.rfind("CWD", 0) != 0) << c;
  }
  // CWD / straight after the login, before any transfer.
  auto cwd = std::find(commands.begin(), commands.end(), "CWD /");
  auto stor = std::find(commands.begin(), commands.end(), "STOR //41.jpg");
  EXPECT_LT(cwd, stor);
}

TEST_F(NetTest, FtpRefusalsNameTheServerAndItsReply) {
  write_file(dir_ / "a.jpg", "x");
  Endpoint wrong = ftp_account();
  wrong.password += "x";
  FtpSession refused(wrong);
  std::string message = error_of([&] { refused.open(); });
  EXPECT_EQ(message, std::string("FTP-Server ") + host() +
                         ": Anmeldung fehlgeschlagen: Anmeldung abgelehnt. Antwort des Servers: "
                         "530 Login incorrect.");
  EXPECT_EQ(message.find(wrong.password), std::string::npos);
  EXPECT_FALSE(refused.is_open());

  FtpSession ftp(ftp_account());
  ftp.open();
  message = error_of([&] { ftp.store((dir_ / "a.jpg").string(), "//kein/ordner.jpg"); });
  EXPECT_EQ(message.rfind(std::string("FTP-Server ") + host() +
                              ": Speichern von //kein/ordner.jpg fehlgeschlagen: ",
                          0),
            0u)
      << message;
  EXPECT_NE(message.find("Antwort des Servers: 55"), std::string::npos) << message;
  EXPECT_EQ(error_of([&] { ftp.store((dir_ / "fehlt.jpg").string(), "//1.jpg"); }),
            std::string("FTP-Server ") + host() +
                ": Speichern von //1.jpg fehlgeschlagen: Die Datei \"" +
                (dir_ / "fehlt.jpg").string() + "\" kann nicht gelesen werden.");
  EXPECT_THROW(ftp.store((dir_ / "a.jpg").string(), "//1.jpg\r\nDELE 41.jpg"), Error);
  EXPECT_THROW(ftp.size("x\r\nDELE 41.jpg"), Error);
  EXPECT_THROW(ftp.retrieve("fehlt.jpg", (dir_ / "f.jpg").string()), Error);
  EXPECT_FALSE(fs::exists(dir_ / "f.jpg"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1);  // a.jpg, no temporary file
  // The session still works after refusals.
  ftp.store((dir_ / "a.jpg").string(), "//1.jpg");
  EXPECT_EQ(read_file(fs::path(ftp_root()) / "1.jpg"), "x");

  FtpSession down({host(), 2121, kFtpUser, ftp_password()});
  EXPECT_EQ(error_of([&] { down.open(); }),
            std::string("FTP-Server ") + host() +
                ": Anmeldung fehlgeschlagen: keine Verbindung zum Server.");
}

TEST_F(NetTest, FtpFetchTellsMissingEmptyAndTooLargeFromRetrAlone) {
  write_file(fs::path(ftp_root()) / "p.jpg", std::string(5000, 'p'));
  write_file(fs::path(ftp_root()) / "leer.jpg", "");
  using F = FtpSession::Fetched;
  const std::string local = (dir_ / "p.jpg").string();
  auto mark = ftp_log_mark();
  FtpSession ftp(ftp_account());
  ftp.open();
  const struct {
    const char* name;
    std::uint64_t max;
    F outcome;
    std::uint64_t bytes;
  } cases[] = {
      {"fehlt.jpg", 5000, F::Missing, 0},
      {"leer.jpg", 5000, F::Empty, 0},
      {"p.jpg", 4999, F::TooLarge, 5000},  // refused from the announcement
      {"p.jpg", 5000, F::Stored, 5000},
  };
  for (const auto& c : cases) {
    const FtpSession::FetchResult got = ftp.fetch(c.name, local, {c.max, 30000, 50});
    EXPECT_EQ(got.outcome, c.outcome) << c.name << " " << c.max;
    EXPECT_EQ(got.bytes, c.bytes) << c.name << " " << c.max;
    if (c.outcome != F::Stored) {
      EXPECT_TRUE(fs::is_empty(dir_)) << c.name;  // not even a temporary file
    }
  }
  EXPECT_EQ(read_file(local), std::string(5000, 'p'));
  EXPECT_EQ(fs::status(local).permissions() & fs::perms::others_read, fs::perms::others_read);
  // One login for the missing and the empty file, a fresh one after the refused transfer.
  EXPECT_EQ(ftp.connections_opened(), 2);
  const auto commands = ftp_commands_since(mark);
  for (const std::string& c : commands) EXPECT_NE(c.rfind("SIZE", 0), 0u) << c;
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "RETR p.jpg"), 2);
}

TEST_F(NetTest, FtpSilentServerTimesOut) {
  FtpSession ftp(ftp_account(), {500, 1000, 1000});
  Frozen frozen("ftp");
  ASSERT_TRUE(frozen.ok());
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_NE(error_of([&] { ftp.open(); }).find("Zeitüberschreitung"), std::string::npos);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(4));
}

TEST_F(NetTest, SmtpSendsSeveralMessagesOverOneLoginInWindows1252) {
  MailMessage m{kMailSender,
                kSellerEmail,
                "Artikel Uploadprotokol: User: Jürgen",
                {"1 - Artikel zum Upload gefunden", " ", "Größe: 5 €", ".", "a\nb", ""}};
  SmtpClient smtp(mail_account());
  smtp.send(m);
  m.to = kMailAdmin;
  smtp.send(m);
  smtp.close();
  EXPECT_EQ(smtp.connections_opened(), 1);

  std::vector<Mail> got = mails();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].mail_from, kMailSender);
  EXPECT_EQ(got[0].rcpt_to, std::vector<std::string>{kSellerEmail});
  EXPECT_EQ(got[1].rcpt_to, std::vector<std::string>{kMailAdmin});
  EXPECT_EQ(got[0].login, kMailUser);
  for (const Mail& mail : got) {
    std::size_t split = mail.data.find("\r\n\r\n");
    ASSERT_NE(split, std::string::npos);
    std::string head = mail.data.substr(0, split + 2);
    EXPECT_NE(head.find("From: upload@auktionshaus.example\r\n"), std::string::npos);
    EXPECT_NE(
        head.find("Subject: =?windows-1252?Q?Artikel_Uploadprotokol=3A_User=3A_J=FCrgen?=\r\n"),
        std::string::npos)
        << head;
    EXPECT_NE(head.find("Content-Type: text/plain; charset=windows-1252\r\n"), std::string::npos);
    EXPECT_NE(head.find("Content-Transfer-Encoding: 8bit\r\n"), std::string::npos);
    EXPECT_EQ(mail.data.substr(split + 4),
              "1 - Artikel zum Upload gefunden\r\n \r\nGr\xF6\xDF"
              "e: 5 \x80\r\n.\r\na\r\nb\r\n\r\n");
  }
  EXPECT_NE(got[0].data.find("To: haendler@beispiel.example\r\n"), std::string::npos);
  EXPECT_NE(got[1].data.find("To: admin@auktionshaus.example\r\n"), std::string::npos);
}

TEST_F(NetTest, SmtpRefusalsNameTheServerAndItsReply) {
  MailMessage m{kMailSender, kSellerEmail, "Betreff", {"x"}};
  Endpoint wrong = mail_account();
  wrong.password += "x";
  SmtpClient refused(wrong);
  std::string message = error_of([&] { refused.send(m); });
  EXPECT_EQ(message.rfind(std::string("Mailserver ") + host() +
                              ": Senden der Mail an haendler@beispiel.example fehlgeschlagen: "
                              "Anmeldung abgelehnt. Antwort des Servers: 535",
                          0),
            0u)
      << message;
  EXPECT_EQ(message.find(wrong.password), std::string::npos);

  SmtpClient smtp(mail_account());
  m.to = "kein@";
  message = error_of([&] { smtp.send(m); });
  EXPECT_NE(message.find("Antwort des Servers: 5"), std::string::npos) << message;
  for (const char* bad : {"", "a@b.example\r\nRCPT TO:<x@y.example>", "<a@b.example>"}) {
    m.to = bad;
    EXPECT_THROW(smtp.send(m), Error) << bad;
  }
  m.to = kSellerEmail;
  smtp.send(m);
  EXPECT_EQ(mails().size(), 1u);

  SmtpClient down({host(), 2525, kMailUser, mail_password()});
  EXPECT_EQ(error_of([&] { down.send(m); }),
            std::string("Mailserver ") + host() +
                ": Senden der Mail an haendler@beispiel.example fehlgeschlagen: keine Verbindung "
                "zum Server.");
}

TEST(MailBytes, SubjectAndHeadersCannotBeBrokenIntoNewHeaders) {
  MailMessage m{"a@b.example", "c@d.example\r\nBcc: e@f.example", "Hallo\r\nBcc: g@h.example", {}};
  std::string bytes = mail_bytes(m, "Thu, 10 Dec 2026 13:45:00 +0000", "<1@b.example>");
  EXPECT_EQ(bytes,
            "Date: Thu, 10 Dec 2026 13:45:00 +0000\r\n"
            "From: a@b.example\r\n"
            "To: c@d.example  Bcc: e@f.example\r\n"
            "Subject: Hallo  Bcc: g@h.example\r\n"
            "Message-ID: <1@b.example>\r\n"
            "MIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=windows-1252\r\n"
            "Content-Transfer-Encoding: 8bit\r\n"
            "\r\n");
}

// Qt puts the user's locale in force at start; under an 8-bit one the C library counts umlaut
// bytes as letters, and they must still be encoded in a header and a file name on the wire.
TEST(WireEncoding, UmlautsEncodedUnderALatin1Locale) {
  const fs::path dir = fs::temp_directory_path() / ("tellvaro-locale-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string build = "localedef -i de_DE -f ISO-8859-1 '" +
                            (dir / "de_DE.ISO-8859-1").string() + "' >/dev/null 2>&1";
  if (std::system(build.c_str()) != 0) {
    fs::remove_all(dir);
    GTEST_SKIP() << "localedef oder die Quelle de_DE fehlt";
  }
  const std::string before = std::setlocale(LC_CTYPE, nullptr);
  ::setenv("LOCPATH", dir.c_str(), 1);
  ASSERT_NE(std::setlocale(LC_CTYPE, "de_DE.ISO-8859-1"), nullptr);
  ASSERT_TRUE(std::isalnum(0xE4));  // the locale is in force

  const std::string mail =
      mail_bytes({"a@b.example", "c@d.example", "J\xC3\xBCrgen", {}}, "Thu, 10 Dec 2026", "<1@b>");
  const std::string path = detail::url_path("b\xE4r.jpg", "FTP");

  std::setlocale(LC_CTYPE, before.c_str());
  ::unsetenv("LOCPATH");
  fs::remove_all(dir);
  EXPECT_NE(mail.find("Subject: =?windows-1252?Q?J=FCrgen?=\r\n"), std::string::npos) << mail;
  EXPECT_EQ(path, "b%E4r.jpg");
}

}  // namespace
}  // namespace tellvaro::net
