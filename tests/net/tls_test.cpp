// TLS to the auction house, judged by what the real servers logged: encrypted before any
// password, certificates that do not fit refused before the login, and the required mode
// refusing a server that offers no TLS.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include "db/connection.h"
#include "net/net.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/delay_proxy.h"
#include "support/temp_dir.h"
#include "text/error.h"

namespace tellvaro::net {
namespace {

namespace fs = std::filesystem;
using namespace tellvaro::test;
using namespace std::chrono_literals;

template <class F>
std::string error_of(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "<kein Fehler>";
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The test instance's address with another third part: loopback, but named by no certificate
// ("127.0.45.3" for 127.0.0.45); `n` picks the fourth part.
std::string other_address(int n) {
  const std::string h = host();
  return "127.0." + h.substr(h.rfind('.') + 1) + "." + std::to_string(n);
}

bool has(const std::vector<std::string>& commands, const std::string& prefix) {
  for (const std::string& c : commands)
    if (c.rfind(prefix, 0) == 0) return true;
  return false;
}

std::size_t app_connects_since(std::size_t mark) {
  std::size_t n = 0;
  for (const LogEntry& e : general_log_entries_since(mark))
    if (e.command == "Connect" && contains(e.text, kAppUser)) ++n;
  return n;
}

class TlsTest : public AuctionHouseTest {
 protected:
  TempDir dir_;
};

TEST_F(TlsTest, EveryServiceIsEncryptedBeforeItsPassword) {
  db::Connection db;
  ASSERT_TRUE(connect_app(db)) << db.last_error();
  auto cipher = db.query("show session status like 'Ssl_cipher'");
  ASSERT_TRUE(cipher);
  EXPECT_NE(cipher->text("Value"), "");

  write_file(dir_ / "a.jpg", "JPEG");
  auto ftp_mark = ftp_log_mark();
  FtpSession ftp(ftp_account());
  ftp.open();
  EXPECT_TRUE(ftp.encrypted());
  ftp.store(dir_ / "a.jpg", "//7.jpg");
  ftp.close();
  const auto commands = ftp_commands_since(ftp_mark);
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands[0], "AUTH TLS");
  EXPECT_EQ(commands[1], "USER tvftp");

  auto smtp_mark = smtp_log_mark();
  SmtpClient smtp(mail_account());
  smtp.send({kMailSender, kSellerEmail, "Test", {"Zeile"}});
  smtp.close();
  const auto verbs = smtp_commands_since(smtp_mark);
  ASSERT_GE(verbs.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(verbs.begin(), verbs.begin() + 4),
            (std::vector<std::string>{"EHLO", "STARTTLS", "EHLO", "AUTH LOGIN"}));
  EXPECT_EQ(mails().size(), 1u);

  WebClock clock(std::string("https://") + host() + "/", {}, tls_policy());
  EXPECT_FALSE(clock.date().empty());
}

// A certificate for another name (the real server reached through an address its certificate
// does not name) and one from a CA nobody here trusts: refused before the login, with the
// service and the reason in German, and nothing of the login on the server's log.
TEST_F(TlsTest, ACertificateThatDoesNotFitIsRefusedBeforeTheLogin) {
  const std::string elsewhere = other_address(3);
  DelayProxy db_proxy(elsewhere, kSqlPort, host(), kSqlPort, 0ms);
  DelayProxy ftp_proxy(elsewhere, kFtpPort, host(), kFtpPort, 0ms);
  DelayProxy smtp_proxy(elsewhere, kSmtpPort, host(), kSmtpPort, 0ms);
  DelayProxy web_proxy(elsewhere, 443, host(), 443, 0ms);
  const TlsPolicy untrusted{false, other_ca_file()};

  struct Case {
    const char* name;
    std::string address;
    TlsPolicy tls;
    const char* reason;
  };
  const Case cases[] = {
      {"anderer Name", elsewhere, tls_policy(), "für einen anderen Servernamen ausgestellt"},
      {"fremde CA", host(), untrusted, "nicht von einer vertrauenswürdigen Stelle"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto log = general_log_mark();
    const auto ftp_mark = ftp_log_mark();
    const auto smtp_mark = smtp_log_mark();

    db::ConnectParams p = app_account();
    p.host = c.address;
    p.tls = c.tls;
    db::Connection db;
    db.set_params(p);
    EXPECT_FALSE(db.connect());
    EXPECT_TRUE(contains(db.tls_problem(), "Auktionshaus " + c.address + ": Das Zertifikat"))
        << db.tls_problem();
    EXPECT_TRUE(contains(db.tls_problem(), c.reason)) << db.tls_problem();
    EXPECT_EQ(db.last_error(), db.tls_problem());
    EXPECT_EQ(app_connects_since(log), 0u);

    Endpoint ftp_end = ftp_account();
    ftp_end.host = c.address;
    ftp_end.tls = c.tls;
    FtpSession ftp(ftp_end);
    const std::string ftp_error = error_of([&] { ftp.open(); });
    EXPECT_TRUE(contains(ftp_error, "FTP-Server " + c.address + ": Anmeldung fehlgeschlagen: "))
        << ftp_error;
    EXPECT_TRUE(contains(ftp_error, c.reason)) << ftp_error;
    const auto commands = ftp_commands_since(ftp_mark);
    EXPECT_TRUE(has(commands, "AUTH TLS"));
    EXPECT_FALSE(has(commands, "USER"));
    EXPECT_FALSE(has(commands, "PASS"));

    Endpoint mail_end = mail_account();
    mail_end.host = c.address;
    mail_end.tls = c.tls;
    SmtpClient smtp(mail_end);
    const std::string mail_error =
        error_of([&] { smtp.send({kMailSender, kSellerEmail, "Test", {"Zeile"}}); });
    EXPECT_TRUE(contains(mail_error, "Mailserver " + c.address)) << mail_error;
    EXPECT_TRUE(contains(mail_error, c.reason)) << mail_error;
    const auto verbs = smtp_commands_since(smtp_mark);
    EXPECT_TRUE(has(verbs, "STARTTLS"));
    EXPECT_FALSE(has(verbs, "AUTH"));
    EXPECT_TRUE(mails().empty());

    WebClock clock("https://" + c.address + "/", {}, c.tls);
    EXPECT_TRUE(contains(error_of([&] { clock.date(); }), c.reason));
  }
  // The password never reached a log, whatever was refused.
  EXPECT_FALSE(contains(ftp_log_since(0), ftp_password()));
}

bool listening(const std::string& address, int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  ::inet_pton(AF_INET, address.c_str(), &to.sin_addr);
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
  ::close(fd);
  return ok;
}

std::string sha256_hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  EVP_Digest(text.data(), text.size(), digest, &n, EVP_sha256(), nullptr);
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < n; ++i) {
    out += hex[digest[i] >> 4];
    out += hex[digest[i] & 15];
  }
  return out;
}

// A server without TLS on an address of its own, started for the test and stopped with it: the
// file and mail servers the local auction house ran before it had TLS (scripts/lib), and a
// MariaDB without TLS that takes any login.
class PlainServer {
 public:
  PlainServer(std::vector<std::string> args, const std::string& address, int port) {
    pid_ = ::fork();
    if (pid_ == 0) {
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    for (int i = 0; i < 400 && !listening(address, port); ++i) std::this_thread::sleep_for(25ms);
  }
  ~PlainServer() {
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 200; ++i) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(25ms);
    }
    ::kill(pid_, SIGKILL);  // a server that hangs in its shutdown must not outlive the test
    ::waitpid(pid_, nullptr, 0);
  }
  PlainServer(const PlainServer&) = delete;
  PlainServer& operator=(const PlainServer&) = delete;

 private:
  pid_t pid_ = -1;
};

// By default a server that offers no TLS is spoken to in clear text, FTP in active mode as
// before; in the required mode it is refused before any password, naming why.
TEST_F(TlsTest, AServerWithoutTlsWorksByDefaultAndIsRefusedWhenTlsIsRequired) {
  const std::string plain = other_address(4);
  fs::create_directories(dir_ / "ftp");
  fs::create_directories(dir_ / "mail");
  const std::string lib = TELLVARO_SCRIPTS_LIB;
  PlainServer ftp_server({"/usr/bin/python3", lib + "/ftpd.py", "--address", plain, "--port", "21",
                          "--root", dir_ / "ftp", "--user", kFtpUser, "--password-sha256",
                          sha256_hex(ftp_password()), "--log", dir_ / "ftp.log", "--pid-file",
                          dir_ / "ftp.pid"},
                         plain, 21);
  PlainServer smtp_server({"/usr/bin/python3", lib + "/smtpd.py", "--address", plain, "--port",
                           "25", "--mail-dir", dir_ / "mail", "--user", kMailUser,
                           "--password-sha256", sha256_hex(mail_password()), "--log",
                           dir_ / "smtp.log", "--pid-file", dir_ / "smtp.pid"},
                          plain, 25);
  fs::create_directories(dir_ / "db");
  PlainServer db_server({"/usr/sbin/mariadbd", "--no-defaults", "--user=root",
                         "--datadir=" + (dir_ / "db"), "--socket=" + (dir_ / "db.sock"),
                         "--pid-file=" + (dir_ / "db.pid"), "--bind-address=" + plain,
                         "--port=3306", "--skip-grant-tables", "--skip-ssl",
                         "--skip-name-resolve", "--innodb-buffer-pool-size=8M",
                         "--innodb-log-file-size=4M", "--general-log=1",
                         "--general-log-file=" + (dir_ / "general.log"), "--log-output=FILE",
                         "--log-error=" + (dir_ / "db.err")},
                        plain, 3306);
  // A new data folder takes a while on a busy machine; the port opens before the greeting.
  for (int i = 0; i < 1200 && !contains(read_file(dir_ / "db.err"), "ready for connections"); ++i)
    std::this_thread::sleep_for(25ms);
  ASSERT_TRUE(listening(plain, 21) && listening(plain, 25) && listening(plain, 3306));
  write_file(dir_ / "a.jpg", "JPEG");

  for (const bool required : {false, true}) {
    SCOPED_TRACE(required ? "TLS verlangt" : "TLS wenn angeboten");
    const TlsPolicy tls{required, tls_ca_file()};
    const std::size_t ftp_mark = read_file(dir_ / "ftp.log").size();
    const std::size_t smtp_mark = read_file(dir_ / "smtp.log").size();
    const std::size_t db_mark = read_file(dir_ / "general.log").size();

    db::ConnectParams params = app_account();
    params.host = plain;
    params.tls = tls;
    db::Connection db;
    db.set_params(params);
    const bool connected = db.connect();
    const std::string db_log = read_file(dir_ / "general.log").substr(db_mark);

    FtpSession ftp({plain, 21, kFtpUser, ftp_password(), tls});
    FtpSession::FetchResult missing, back;
    const std::string ftp_error = error_of([&] {
      ftp.open();
      ftp.store(dir_ / "a.jpg", "//8.jpg");
      // In active mode too, RETR's answer alone tells a missing file from one that is there.
      missing = ftp.fetch("fehlt.jpg", dir_ / "fehlt.jpg", {100, 30000, 50});
      back = ftp.fetch("8.jpg", dir_ / "zurueck.jpg", {100, 30000, 50});
      ftp.close();
    });
    SmtpClient smtp({plain, 25, kMailUser, mail_password(), tls});
    const std::string mail_error =
        error_of([&] { smtp.send({kMailSender, kSellerEmail, "Test", {"Zeile"}}); });
    smtp.close();
    const std::string ftp_log = read_file(dir_ / "ftp.log").substr(ftp_mark);
    const std::string smtp_log = read_file(dir_ / "smtp.log").substr(smtp_mark);

    if (!required) {
      ASSERT_TRUE(connected) << db.last_error();
      auto cipher = db.query("show session status like 'Ssl_cipher'");
      ASSERT_TRUE(cipher) << db.last_error();
      EXPECT_EQ(cipher->text("Value"), "");
      EXPECT_TRUE(contains(db_log, "Connect\ttv_seller_app@")) << db_log;
      EXPECT_EQ(ftp_error, "<kein Fehler>");
      EXPECT_EQ(read_file(dir_ / "ftp/8.jpg"), "JPEG");
      EXPECT_TRUE(contains(ftp_log, "<- PORT ")) << ftp_log;  // active, as in clear text before
      EXPECT_EQ(missing.outcome, FtpSession::Fetched::Missing);
      EXPECT_FALSE(fs::exists(dir_ / "fehlt.jpg"));
      EXPECT_EQ(back.outcome, FtpSession::Fetched::Stored);
      EXPECT_EQ(read_file(dir_ / "zurueck.jpg"), "JPEG");
      EXPECT_EQ(ftp.connections_opened(), 1);
      EXPECT_EQ(mail_error, "<kein Fehler>");
      EXPECT_TRUE(contains(smtp_log, "Befehl: AUTH LOGIN")) << smtp_log;
    } else {
      EXPECT_FALSE(connected);
      EXPECT_EQ(db.tls_problem(), "Auktionshaus " + plain +
                                      ": Der Server bietet keine Verschlüsselung (TLS) an; ohne "
                                      "sie wird kein Passwort gesendet.");
      EXPECT_FALSE(contains(db_log, "Connect")) << db_log;
      EXPECT_TRUE(contains(ftp_error, "FTP-Server " + plain +
                                          ": Anmeldung fehlgeschlagen: der Server bietet keine "
                                          "Verschlüsselung (TLS) an; ohne sie wird kein "
                                          "Passwort gesendet."))
          << ftp_error;
      EXPECT_FALSE(contains(ftp_log, "<- USER")) << ftp_log;
      EXPECT_FALSE(contains(ftp_log, "<- PASS")) << ftp_log;
      EXPECT_TRUE(contains(mail_error, "Mailserver " + plain)) << mail_error;
      EXPECT_TRUE(contains(mail_error, "der Server bietet keine Verschlüsselung (TLS) an"))
          << mail_error;
      EXPECT_FALSE(contains(smtp_log, "Befehl: AUTH")) << smtp_log;
    }
  }
}

}  // namespace
}  // namespace tellvaro::net
