#include "support/auction_house.h"

#include <arpa/inet.h>
#include <mysql.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tellvaro/deployment.h"

namespace tellvaro::test {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path, std::size_t from = 0) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  in.seekg(0, std::ios::end);
  auto size = static_cast<std::size_t>(in.tellg());
  // A log that shrank (new instance) is read from its start.
  if (from > size) from = 0;
  in.seekg(static_cast<std::streamoff>(from));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t file_size_or_zero(const fs::path& path) {
  std::error_code ec;
  auto size = fs::file_size(path, ec);
  return ec ? 0 : static_cast<std::size_t>(size);
}

std::string socket_path() { return run_dir() + "/mysql.sock"; }

std::string down_message() {
  return std::string("Das Test-Auktionshaus (") + host() + ", " + run_dir() +
         ") läuft nicht. Starten mit: scripts/auction-house up --data test";
}

bool tcp_open(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  ::inet_pton(AF_INET, host(), &addr.sin_addr);
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return ok;
}

// One root connection per process, reopened when the server went away (a restart between tests).
class Admin {
 public:
  ~Admin() { close(); }

  void run(const std::string& sql, std::vector<Row>* rows) {
    std::lock_guard<std::mutex> lock(mutex_);
    ensure_connected();
    if (mysql_real_query(conn_, sql.data(), sql.size()) != 0) fail(sql);
    int status = 0;
    do {
      MYSQL_RES* res = mysql_store_result(conn_);
      if (res) {
        if (rows) {
          rows->clear();
          unsigned n = mysql_num_fields(res);
          while (MYSQL_ROW r = mysql_fetch_row(res)) {
            unsigned long* len = mysql_fetch_lengths(res);
            Row row;
            for (unsigned i = 0; i < n; ++i) {
              if (r[i])
                row.emplace_back(std::string(r[i], len[i]));
              else
                row.emplace_back(std::nullopt);
            }
            rows->push_back(std::move(row));
          }
        }
        mysql_free_result(res);
      } else if (mysql_field_count(conn_) != 0) {
        fail(sql);
      }
      status = mysql_next_result(conn_);
      if (status > 0) fail(sql);
    } while (status == 0);
  }

  bool try_connect() {
    std::lock_guard<std::mutex> lock(mutex_);
    try {
      ensure_connected();
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }

 private:
  void ensure_connected() {
    if (conn_ && mysql_ping(conn_) == 0) return;
    close();
    conn_ = mysql_init(nullptr);
    if (!conn_) throw std::runtime_error("mysql_init fehlgeschlagen");
    mysql_options(conn_, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    unsigned timeout = 5;
    mysql_options(conn_, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    if (!mysql_real_connect(conn_, "localhost", "root", nullptr, nullptr, 0, socket_path().c_str(),
                            CLIENT_MULTI_STATEMENTS)) {
      std::string why = mysql_error(conn_);
      close();
      throw std::runtime_error(down_message() + " (" + why + ")");
    }
    const char off[] = "SET SESSION sql_log_off = 1";
    if (mysql_real_query(conn_, off, sizeof off - 1) != 0) fail(off);
  }

  [[noreturn]] void fail(const std::string& sql) {
    std::string why = mysql_error(conn_);
    // Drop the connection: a half-consumed multi-statement result leaves it unusable.
    close();
    throw std::runtime_error("SQL-Fehler: " + why + "\nin: " + sql.substr(0, 300));
  }

  void close() {
    if (conn_) mysql_close(conn_);
    conn_ = nullptr;
  }

  std::mutex mutex_;
  MYSQL* conn_ = nullptr;
};

Admin& admin() {
  static Admin instance;
  return instance;
}

const std::string& test_data_sql() {
  static const std::string sql = [] {
    const fs::path dir = TELLVARO_SQL_DIR;
    std::string clear = read_file(dir / "clear.sql");
    std::string data = read_file(dir / "test-data.sql");
    if (clear.empty() || data.empty())
      throw std::runtime_error("Testdaten fehlen unter " + dir.string());
    return "SET @ah_host = '" + std::string(host()) + "';\n" + clear + "\n" + data;
  }();
  return sql;
}

void clear_folder(const fs::path& dir) {
  std::error_code ec;
  if (!fs::exists(dir, ec)) return;
  for (const auto& entry : fs::directory_iterator(dir)) fs::remove_all(entry.path());
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// A general-log entry line: optional "YYMMDD HH:MM:SS", a tab, blanks, the thread id, a blank,
// the command, a tab, the argument. Anything else continues the previous entry's text.
bool parse_entry(const std::string& line, LogEntry& e) {
  std::size_t tab = line.find('\t');
  if (tab == std::string::npos) return false;
  std::size_t p = tab;
  while (p < line.size() && (line[p] == '\t' || line[p] == ' ')) ++p;
  std::size_t digits = p;
  while (p < line.size() && line[p] >= '0' && line[p] <= '9') ++p;
  if (p == digits || p >= line.size() || line[p] != ' ') return false;
  std::size_t cmd_tab = line.find('\t', p + 1);
  if (cmd_tab == std::string::npos) return false;
  std::string command = line.substr(p + 1, cmd_tab - p - 1);
  if (command.empty() ||
      command.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz _") !=
          std::string::npos)
    return false;
  e.thread = std::stol(line.substr(digits, p - digits));
  e.command = command;
  e.text = line.substr(cmd_tab + 1);
  return true;
}

// The statements of one Query entry: a batch reaches the log as one text, its statements
// separated by ";" outside quoted values and names (where a backslash or a doubled quote keeps
// the quote open).
std::vector<std::string> statements_of(const std::string& text) {
  std::vector<std::string> out;
  std::string current;
  char quote = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!quote && c == ';') {
      out.push_back(std::move(current));
      current.clear();
      while (i + 1 < text.size() && std::isspace(static_cast<unsigned char>(text[i + 1]))) ++i;
      continue;
    }
    current += c;
    if (!quote) {
      if (c == '\'' || c == '"' || c == '`') quote = c;
    } else if (c == '\\' && quote != '`' && i + 1 < text.size()) {
      current += text[++i];
    } else if (c == quote) {
      if (i + 1 < text.size() && text[i + 1] == quote)
        current += text[++i];
      else
        quote = 0;
    }
  }
  if (!current.empty() || out.empty()) out.push_back(std::move(current));
  return out;
}

}  // namespace

// --- accounts --------------------------------------------------------------------------------

std::string directory_password() {
  return std::string(deployment::kDirectoryPassword1) + deployment::kDirectoryPassword2 +
         deployment::kDirectoryPassword3;
}
std::string sql_password() {
  return std::string(deployment::kSqlPasswordPrefix) + kStoredSqlPassword;
}
std::string ftp_password() {
  return std::string(deployment::kFtpPasswordPrefix) + kStoredFtpPassword;
}
std::string mail_password() {
  return std::string(deployment::kMailPasswordPrefix) + kStoredMailPassword;
}

// --- places ----------------------------------------------------------------------------------

const char* host() { return TELLVARO_TEST_HOST; }

std::string run_dir() {
  const char* env = std::getenv("TELLVARO_AH_DIR");
  std::string base = (env && *env) ? env : TELLVARO_AH_DIR;
  return base + "/test";
}
std::string ftp_root() { return run_dir() + "/ftp"; }
std::string mail_dir() { return run_dir() + "/mail"; }
std::string general_log_path() { return run_dir() + "/general.log"; }
std::string ftp_log_path() { return run_dir() + "/ftp.log"; }
std::string smtp_log_path() { return run_dir() + "/smtp.log"; }
std::string tls_ca_file() { return run_dir() + "/../tls/ca.crt"; }
std::string other_ca_file() { return run_dir() + "/../tls/other-ca.crt"; }

// --- state -----------------------------------------------------------------------------------

bool auction_house_running() {
  return tcp_open(kSqlPort) && tcp_open(kFtpPort) && tcp_open(kSmtpPort) && tcp_open(kHttpPort) &&
         admin().try_connect();
}

void require_auction_house() {
  static bool seen_running = false;
  if (seen_running) return;
  if (!auction_house_running()) throw std::runtime_error(down_message());
  seen_running = true;
}

std::optional<std::string> fresh_start() {
  try {
    require_auction_house();
    reset_data();
    clear_ftp();
    clear_mail();
  } catch (const std::exception& e) {
    return e.what();
  }
  return std::nullopt;
}

void reset_data() { admin().run(test_data_sql(), nullptr); }

void clear_ftp() { clear_folder(ftp_root()); }
void clear_mail() { clear_folder(mail_dir()); }

// --- administration --------------------------------------------------------------------------

void admin_exec(const std::string& sql) { admin().run(sql, nullptr); }

std::vector<Row> admin_query(const std::string& sql) {
  std::vector<Row> rows;
  admin().run(sql, &rows);
  return rows;
}

void wait_until_session_ends(const std::string& id, int seconds) {
  const std::string listed = "select count(*) from information_schema.processlist where id=" + id;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (admin_query(listed).at(0).at(0) != "0") {
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("Sitzung " + id + " endet nicht");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void kill_session(const std::string& id) {
  admin_exec("kill " + id);
  // The server ends the killed session on its own thread, a moment after the kill returns.
  wait_until_session_ends(id, 10);
}

// --- logs ------------------------------------------------------------------------------------

std::size_t general_log_mark() { return file_size_or_zero(general_log_path()); }

std::string general_log_since(std::size_t mark) { return read_file(general_log_path(), mark); }

std::vector<LogEntry> general_log_entries_since(std::size_t mark) {
  std::vector<LogEntry> entries;
  for (const auto& line : lines_of(general_log_since(mark))) {
    LogEntry e;
    if (parse_entry(line, e))
      entries.push_back(std::move(e));
    else if (!entries.empty())
      entries.back().text += "\n" + line;
  }
  return entries;
}

std::vector<std::string> queries_since(std::size_t mark) {
  std::vector<std::string> out;
  std::set<long> just_connected;
  for (auto& e : general_log_entries_since(mark)) {
    if (e.command == "Connect") {
      just_connected.insert(e.thread);
      continue;
    }
    const bool first = just_connected.erase(e.thread) > 0;
    if (e.command != "Query") continue;
    // Every session of the program opens with its SQL mode; tests look at what follows.
    if (first && e.text.rfind("SET SESSION sql_mode", 0) == 0) continue;
    for (std::string& statement : statements_of(e.text)) out.push_back(std::move(statement));
  }
  return out;
}

std::size_t ftp_log_mark() { return file_size_or_zero(ftp_log_path()); }

std::string ftp_log_since(std::size_t mark) { return read_file(ftp_log_path(), mark); }

// vsftpd writes `... FTP command: Client "127.0.0.1", "USER tvftp"` (the password as
// "PASS <password>"); pyftpdlib, the file server of older run folders, `... [...] <- USER tvftp`.
std::vector<std::string> ftp_commands_since(std::size_t mark) {
  static const std::string vsftpd = "FTP command: Client \"";
  std::vector<std::string> out;
  for (const auto& line : lines_of(ftp_log_since(mark))) {
    auto p = line.find(vsftpd);
    if (p != std::string::npos) {
      auto open = line.find("\", \"", p + vsftpd.size());
      if (open == std::string::npos || line.back() != '"') continue;
      std::string command = line.substr(open + 4, line.size() - open - 5);
      if (command.rfind("PASS ", 0) == 0) command = "PASS ******";
      out.push_back(command);
      continue;
    }
    p = line.find("] <- ");
    if (p != std::string::npos) out.push_back(line.substr(p + 5));
  }
  return out;
}

long count_of(const std::vector<std::string>& commands, std::string_view command) {
  return static_cast<long>(std::count(commands.begin(), commands.end(), command));
}

std::size_t smtp_log_mark() { return file_size_or_zero(smtp_log_path()); }

std::vector<std::string> smtp_commands_since(std::size_t mark) {
  static const std::string tag = " Befehl: ";
  std::vector<std::string> out;
  for (const auto& line : lines_of(read_file(smtp_log_path(), mark))) {
    auto p = line.find(tag);
    if (p != std::string::npos) out.push_back(line.substr(p + tag.size()));
  }
  return out;
}

// --- mail ------------------------------------------------------------------------------------

std::vector<Mail> mails() {
  std::vector<fs::path> files;
  std::error_code ec;
  if (fs::exists(mail_dir(), ec)) {
    for (const auto& entry : fs::directory_iterator(mail_dir()))
      if (entry.path().extension() == ".eml") files.push_back(entry.path());
  }
  // Names start with the arrival time in nanoseconds and a counter: name order is arrival order.
  std::sort(files.begin(), files.end());
  std::vector<Mail> out;
  for (const auto& f : files) {
    Mail m;
    m.file = f.string();
    m.data = read_file(f);
    fs::path env = f;
    env.replace_extension(".env");
    for (const auto& line : lines_of(read_file(env))) {
      auto angle = [&](std::size_t from) {
        auto end = line.rfind('>');
        return end == std::string::npos || end < from ? std::string()
                                                      : line.substr(from, end - from);
      };
      if (line.rfind("MAIL FROM:<", 0) == 0)
        m.mail_from = angle(11);
      else if (line.rfind("RCPT TO:<", 0) == 0)
        m.rcpt_to.push_back(angle(9));
      else if (line.rfind("AUTH:", 0) == 0)
        m.login = line.substr(5);
    }
    out.push_back(std::move(m));
  }
  return out;
}

// --- gtest -----------------------------------------------------------------------------------

void AuctionHouseTest::SetUp() {
  if (auto down = fresh_start()) GTEST_FAIL() << *down;
}

void AuctionHouseEnvironment::SetUp() {
  try {
    require_auction_house();
  } catch (const std::exception& e) {
    GTEST_FAIL() << e.what();
  }
}

Frozen::Frozen(const std::string& service) {
  pid_t main = 0;
  std::ifstream(run_dir() + "/" + service + ".pid") >> main;
  if (main <= 0) return;
  // Every descendant, not only the children: vsftpd serves a login from a grandchild.
  std::vector<std::pair<int, int>> parent_of;  // pid, parent
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
    std::ifstream in(entry.path() / "stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    std::string state;
    int parent = 0;
    if (rest >> state >> parent) parent_of.emplace_back(std::stoi(name), parent);
  }
  pids_.push_back(main);
  for (std::size_t i = 0; i < pids_.size(); ++i)
    for (const auto& [pid, parent] : parent_of)
      if (parent == pids_[i]) pids_.push_back(pid);
  for (int p : pids_) kill(p, SIGSTOP);
  // kill() returns before every thread has stopped; a request sent at once could still be
  // answered. Wait until each thread shows as stopped (T), a second at most.
  const auto state_of = [](const std::filesystem::path& stat_file) {
    std::ifstream in(stat_file);
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() ? 'X' : stat[close + 2];
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  for (int p : pids_) {
    std::error_code ec;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(p) + "/task", ec)) {
      while (std::chrono::steady_clock::now() < deadline) {
        const char state = state_of(task.path() / "stat");
        if (state == 'T' || state == 't' || state == 'X' || state == 'Z') break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
  }
}

Frozen::~Frozen() {
  for (int p : pids_) kill(p, SIGCONT);
}

}  // namespace tellvaro::test
