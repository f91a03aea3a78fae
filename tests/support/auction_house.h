// Access to the test instance of the local auction house (scripts/auction-house up --data test):
// its address, its data set, its logs, its file-server folder and its mail folder.
//
// Talks to MariaDB as root through the instance's socket with libmariadb directly, never
// through the program's own database layer, so a fault there cannot hide in the test setup.
// Administrative statements run with sql_log_off: the general log shows only what the code
// under test sent.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tellvaro::test {

// --- the test data set (scripts/sql/test-data.sql) -------------------------------------------

inline constexpr const char* kSellerNick = "haendler";
inline constexpr const char* kSellerPassword = "geheim";
inline constexpr const char* kSellerId = "42";
inline constexpr const char* kSellerName = "Hans Händler";
inline constexpr const char* kSellerEmail = "haendler@beispiel.example";
// MD5 over the Windows-1252 bytes of "Schlüsselstärke von 256 bit" + "geheim", lower-case hex.
inline constexpr const char* kSellerPasswordHash = "f24d391be65ec2e13e71ff277ed9b150";
inline constexpr const char* kSuspendedNick = "gesperrt";
inline constexpr const char* kSuspendedPassword = "geheim";
inline constexpr const char* kSuspendedId = "43";
inline constexpr const char* kAuctionCounter = "1000";  // numbers rows 1 to 4 after a reset

// The configuration record in tv_directory.qm_software.
inline constexpr const char* kProgram = "QM Tellvaro";
inline constexpr const char* kProgramVersion = "2.0.0.1";
inline constexpr const char* kCustomer = "Demo-Auktionshaus";

// --- service accounts ------------------------------------------------------------------------

inline constexpr const char* kDirectoryDatabase = "tv_directory";
inline constexpr const char* kDirectoryUser = "tv_directory";
inline constexpr const char* kAuctionDatabase = "tv_auktionshaus";
inline constexpr const char* kAppUser = "tv_seller_app";
inline constexpr const char* kFtpUser = "tvftp";
inline constexpr const char* kMailUser = "tvmail";
inline constexpr const char* kMailSender = "upload@auktionshaus.example";
inline constexpr const char* kMailAdmin = "admin@auktionshaus.example";
// The password texts as stored in qm_software (without the program's prefixes).
inline constexpr const char* kStoredSqlPassword = "Auktion26";
inline constexpr const char* kStoredFtpPassword = "Bilder26";
inline constexpr const char* kStoredMailPassword = "Post26";

inline constexpr int kSqlPort = 3306;
inline constexpr int kFtpPort = 21;
inline constexpr int kSmtpPort = 25;
inline constexpr int kHttpPort = 80;
// The FTP server's passive data ports (scripts/auction-house), first and last.
inline constexpr int kPassivePorts[2] = {30000, 30019};

// The full passwords the services accept: the build's prefix followed by the stored text (the
// directory password from its three pieces). Secrets: never print them in a test message.
std::string directory_password();
std::string sql_password();
std::string ftp_password();
std::string mail_password();

// --- places ----------------------------------------------------------------------------------

const char* host();              // 127.0.0.43
std::string run_dir();           // $TELLVARO_AH_DIR (else the build's default) + "/test"
std::string ftp_root();          // run_dir() + "/ftp": the FTP login's "/"
std::string mail_dir();          // run_dir() + "/mail": NAME.eml (raw bytes) + NAME.env
std::string general_log_path();  // run_dir() + "/general.log"
std::string ftp_log_path();      // run_dir() + "/ftp.log"
std::string smtp_log_path();     // run_dir() + "/smtp.log"
// The CA that signed the instance's certificates (what the test build trusts), and a CA that
// signed none of them.
std::string tls_ca_file();
std::string other_ca_file();

// --- state -----------------------------------------------------------------------------------

// True when MariaDB (socket and TCP), FTP, SMTP and HTTP of the test instance all answer.
bool auction_house_running();
// Throws std::runtime_error with a message naming the start command when the instance is down.
void require_auction_house();
// What every test against the instance starts from: checks that it runs, then resets the data
// and empties the FTP root and the mail folder. The message to fail with when it is down.
std::optional<std::string> fresh_start();

// Empties every table and loads the test data set again (scripts/sql/clear.sql and
// test-data.sql, the same files scripts/auction-house loads). Leaves files and mails alone.
void reset_data();
// Empties the FTP root and the mail folder.
void clear_ftp();
void clear_mail();

// --- administration (root through the socket, connection charset utf8mb4) --------------------

using Row = std::vector<std::optional<std::string>>;  // NULL is std::nullopt

// Runs one or more statements separated by ";". Throws std::runtime_error on the first error.
void admin_exec(const std::string& sql);
// Runs the statements and returns the rows of the last result set (texts in UTF-8).
std::vector<Row> admin_query(const std::string& sql);
// Ends the session with this connection id as an administrator would and returns once the server
// no longer lists it: its client then finds the session closed at its next statement.
void kill_session(const std::string& id);
// Returns once the server no longer lists the session (it ended it: an idle limit, a kill);
// throws after `seconds`.
void wait_until_session_ends(const std::string& id, int seconds);

// --- logs ------------------------------------------------------------------------------------

// Byte offsets into the general log: take a mark, act, then read what reached the server.
// The text is the raw log, bytes exactly as sent (Windows-1252 for the program's statements).
std::size_t general_log_mark();
std::string general_log_since(std::size_t mark);

struct LogEntry {
  long thread = 0;
  std::string command;  // Connect, Query, Quit, Init DB, ...
  std::string text;     // the statement for Query, the account for Connect
};
std::vector<LogEntry> general_log_entries_since(std::size_t mark);
// Only the statement texts of the Query entries, in order, without the SQL-mode statement each
// session of the program sends first after its Connect (general_log_entries_since keeps it). A
// batch, several statements the server got as one text (one Query entry), is given statement by
// statement.
std::vector<std::string> queries_since(std::size_t mark);

// The same for the FTP server's log; ftp_commands_since gives each command line as received
// ("USER tvftp", "PASS ******", "CWD /", "STOR //41.jpg"), in order.
std::size_t ftp_log_mark();
std::string ftp_log_since(std::size_t mark);
std::vector<std::string> ftp_commands_since(std::size_t mark);
// How often `command` stands among `commands`, word for word.
long count_of(const std::vector<std::string>& commands, std::string_view command);
// The mail server's log: each command as received, cut to its verb ("EHLO", "STARTTLS",
// "AUTH LOGIN"), never a login's data.
std::size_t smtp_log_mark();
std::vector<std::string> smtp_commands_since(std::size_t mark);

// --- mail ------------------------------------------------------------------------------------

struct Mail {
  std::string file;                  // path of the .eml file
  std::string mail_from;             // envelope sender
  std::vector<std::string> rcpt_to;  // envelope recipients
  std::string login;                 // the AUTH login used
  std::string data;                  // the message bytes as received (CR LF line ends)
};
// Every received message, oldest first.
std::vector<Mail> mails();

// --- faults ---------------------------------------------------------------------------------

// Holds one server of the test instance ("mariadb", "ftp", "smtp", "http") stopped (SIGSTOP),
// with its worker processes, until destroyed: the kernel still takes connections, but nothing
// answers, the way a hung server behaves.
class Frozen {
 public:
  explicit Frozen(const std::string& service);
  ~Frozen();
  Frozen(const Frozen&) = delete;
  Frozen& operator=(const Frozen&) = delete;
  bool ok() const { return !pids_.empty(); }

 private:
  std::vector<int> pids_;
};

// --- gtest -----------------------------------------------------------------------------------

// Fixture for tests against the auction house: checks that it runs, then resets the data,
// empties the FTP root and the mail folder before every test.
class AuctionHouseTest : public ::testing::Test {
 protected:
  void SetUp() override;
};

// For a test main: ::testing::AddGlobalTestEnvironment(new AuctionHouseEnvironment) fails the
// whole run at once, with the start command, when the instance is down.
class AuctionHouseEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
};

}  // namespace tellvaro::test
