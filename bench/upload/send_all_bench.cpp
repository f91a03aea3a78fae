// "Alle Artikel senden" of 100 articles with three 200 kB pictures each against the test
// auction house: time per article and connections per service, beside the floor of the same
// statements, files, HEAD requests and mails sent by the plain command-line clients (mariadb,
// curl). Prints figures; judges nothing.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "catalogue/reference.h"
#include "db/connection.h"
#include "send_articles.h"
#include "store/table.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/scripted_dialogs.h"
#include "text/cp1252.h"
#include "upload/send.h"

namespace {

using namespace tellvaro;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kArticles = 100;
using bench::kPictureBytes;

struct Quiet : test::ScriptedDialogs {};

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Runs a shell command with `input` on its standard input (how the passwords reach the clients:
// never in a file or on a command line) and returns its wall time; exits on failure.
double timed(const std::string& command, const std::string& input = {}) {
  auto t0 = Clock::now();
  FILE* p = popen(command.c_str(), "w");
  if (p && !input.empty()) std::fwrite(input.data(), 1, input.size(), p);
  if (!p || pclose(p) != 0) {
    std::cerr << "Befehl fehlgeschlagen: " << command << "\n";
    std::exit(1);
  }
  return seconds_since(t0);
}

void write(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

}  // namespace

int main() {
  test::require_auction_house();
  test::reset_data();
  test::clear_ftp();
  test::clear_mail();
  const fs::path dir =
      fs::temp_directory_path() / ("tellvaro-send-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  bench::write_pictures(dir);

  db::Connection db;
  if (!test::connect_app(db)) {
    std::cerr << "Datenbank nicht erreichbar: " << db.last_error() << "\n";
    return 1;
  }
  store::Table uploads;
  bench::fill_uploads(uploads, kArticles);

  const std::string web = std::string("http://") + test::host() + "/";

  Quiet quiet;
  upload::Protocol protocol;
  // The rows keep references: the fees and payments must outlive them.
  const catalogue::FeatureFees fees = catalogue::load_features(db);
  const catalogue::PaymentNames payments = catalogue::load_payments(db);
  upload::AuctionHouseRows rows(db, fees, payments);
  upload::Sender sender({db,
                         uploads,
                         rows,
                         quiet,
                         protocol,
                         nullptr,
                         {},
                         test::service_config(),
                         test::active_seller(),
                         web,
                         dir.string() + "/",
                         {}});
  auto mark = test::general_log_mark();
  auto t0 = Clock::now();
  bool ok = sender.send_all();
  double run = seconds_since(t0);
  if (!ok) {
    std::cerr << "Senden fehlgeschlagen: " << (quiet.shown.empty() ? "" : quiet.shown.back())
              << "\n";
    return 1;
  }
  std::vector<std::string> statements = test::queries_since(mark);
  const auto& c = sender.counts();

  // The floor: the same statements through one mariadb process, the same 300 files and 100 HEAD
  // requests through one curl process each, the two mails through curl.
  test::reset_data();
  test::clear_ftp();
  test::clear_mail();
  // The session mode the program sets, or the strict server refuses '' for a number column.
  std::string sql = std::string(db::kSessionModeStatement) + ";\n";
  for (const auto& s : statements) sql += s + ";\n";
  write(dir / "statements.sql", sql);
  std::string ftp_cfg =
      "user = \"" + std::string(test::kFtpUser) + ":" + test::ftp_password() + "\"\n";
  std::string http_cfg;
  for (int i = 0; i < kArticles; ++i) {
    const std::string n = std::to_string(1000 + i);
    for (auto [file, suffix] :
         {std::pair{"eins.jpg", ".jpg"}, {"zwei.jpg", "_2.jpg"}, {"drei.jpg", "_3.jpg"}}) {
      ftp_cfg += "upload-file = \"" + (dir / file).string() + "\"\nurl = \"ftp://" + test::host() +
                 "///" + n + suffix + "\"\n";
    }
    http_cfg += "url = \"" + web + "\"\noutput = \"/dev/null\"\n";
  }
  std::string mail = "From: " + std::string(test::kMailSender) + "\r\nSubject: Protokoll\r\n\r\n";
  for (const auto& line : sender.protocol_lines()) mail += text::utf8_to_cp1252(line) + "\r\n";
  write(dir / "mail.txt", mail);
  const std::string mail_cfg =
      "user = \"" + std::string(test::kMailUser) + ":" + test::mail_password() + "\"\n";

  const std::string d = dir.string();
  setenv("MYSQL_PWD", test::sql_password().c_str(), 1);
  double sql_s = timed("mariadb --no-defaults -h " + std::string(test::host()) + " -u " +
                       test::kAppUser + " --default-character-set=latin1 " +
                       test::kAuctionDatabase + " < " + d + "/statements.sql > /dev/null");
  unsetenv("MYSQL_PWD");
  double http_s = timed("curl -s -I -K -", http_cfg);
  double ftp_s = timed("curl -s --ftp-port - --disable-eprt --ftp-method nocwd -K -", ftp_cfg);
  double mail_s = 0;
  for (const char* to : {test::kSellerEmail, test::kMailAdmin}) {
    mail_s += timed("curl -s -K - --login-options AUTH=LOGIN smtp://" + std::string(test::host()) +
                        ":25 --mail-from " + test::kMailSender + " --mail-rcpt " + to + " -T " + d +
                        "/mail.txt",
                    mail_cfg);
  }
  double floor = sql_s + http_s + ftp_s + mail_s;
  fs::remove_all(dir);
  test::reset_data();
  test::clear_ftp();
  test::clear_mail();

  std::printf("Alle Artikel senden: %d Artikel, je 3 Bilder zu %zu kB, %zu Anweisungen\n",
              kArticles, kPictureBytes / 1024, statements.size());
  std::printf("  Tellvaro:        %8.1f ms gesamt, %6.2f ms je Artikel\n", run * 1000,
              run * 1000 / kArticles);
  std::printf(
      "  Verbindungen:    FTP %ld, SMTP %ld, HTTP %ld (für %ld HEAD-Anfragen, eine je Artikel)\n",
      c.ftp_connections, c.smtp_connections, c.http_connections, c.http_requests);
  std::printf(
      "  Untergrenze:     %8.1f ms gesamt, %6.2f ms je Artikel "
      "(mariadb %.1f ms, curl HTTP %.1f ms, curl FTP %.1f ms, curl SMTP %.1f ms)\n",
      floor * 1000, floor * 1000 / kArticles, sql_s * 1000, http_s * 1000, ftp_s * 1000,
      mail_s * 1000);
  return 0;
}
