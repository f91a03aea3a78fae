#include "session/session.h"

#include <openssl/evp.h>

#include <array>
#include <exception>
#include <optional>
#include <utility>

#include "db/connection.h"
#include "store/files.h"
#include "text/cp1252.h"
#include "text/error.h"

namespace tellvaro::session {
namespace {

constexpr std::string_view kSalt = "Schlüsselstärke von 256 bit";
constexpr unsigned kPort = 3306;

constexpr std::string_view kNoInternet = "Keine Internet Verbindung";
constexpr std::string_view kNoDatabase = "Datenbank nicht verfügbar";
constexpr std::string_view kServerUp = "Verbindung zu Server aufgebaut";
constexpr std::string_view kDatabaseUp = "Verbindung zu Daten-Bank hergestellt";
constexpr std::string_view kWrongLogin = "Falsche Einloggdaten.";

constexpr std::string_view kNoConnection = "Keine Verbindung zum Internet.";
constexpr std::string_view kThreeTimesWrong = "Die Einloggdaten wurden drei mal falsch eingegeben.";
constexpr std::string_view kSuspended = "Ihr Konto ist für den Verkauf gesperrt.";

LoginResult end_with(std::string_view message) {
  return {LoginOutcome::ShowAndEnd, std::string(message)};
}

}  // namespace

std::string window_caption(const Deployment& d) {
  return "Quillmar - Tellvaro v.: " + std::string(kVersion) + " - " + d.customer;
}

std::string password_hash(std::string_view password) {
  std::string bytes = text::utf8_to_cp1252(kSalt) + text::utf8_to_cp1252(password);
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_md5(), nullptr) != 1) {
    throw Error("Das Passwort konnte nicht verschlüsselt werden.");
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 0x0f];
  }
  return out;
}

net::Endpoint ftp_endpoint(const ServiceConfig& config) {
  return {config.ftp_host, 21, config.ftp_user, config.ftp_password, config.tls};
}

net::Endpoint mail_endpoint(const ServiceConfig& config) {
  return {config.mail_host, 25, config.mail_user, config.mail_password, config.tls};
}

bool open_auction_house(db::Connection& db, const ServiceConfig& config,
                        const std::function<void(const std::string&)>& status) {
  auto add = [&](std::string_view line) {
    if (status) status(std::string(line));
  };
  db.set_params({.host = config.sql_host,
                 .port = kPort,
                 .user = config.sql_user,
                 .password = config.sql_password,
                 .database = config.sql_database,
                 .compress = true,
                 .tls = config.tls});
  const bool server = db.connect();
  add(server ? kServerUp : kNoInternet);
  if (!db.tls_problem().empty()) add(db.tls_problem());
  const bool database = db.select_database(config.sql_database);
  add(database ? kDatabaseUp : kNoDatabase);
  return server && database;
}

Login::Login(Deployment deployment, std::string program_folder)
    : deployment_(std::move(deployment)), program_folder_(std::move(program_folder)) {}

LoginResult Login::run(std::string_view user_name, std::string_view password,
                       const Status& status) {
  auto add = [&](std::string_view line) {
    if (status.add) status.add(std::string(line));
  };
  if (status.clear) status.clear();

  // Directory database: two tries, then give up.
  {
    db::Connection directory;
    directory.set_params({.host = deployment_.directory_host,
                          .port = kPort,
                          .user = deployment_.directory_user,
                          .password = deployment_.directory_password,
                          .database = deployment_.directory_database,
                          .compress = true,
                          .label = "Verzeichnisserver",
                          .tls = deployment_.tls});
    if (!directory.connect()) {
      add(kNoInternet);
      if (!directory.tls_problem().empty()) add(directory.tls_problem());
    }
    if (!directory.select_database(deployment_.directory_database)) add(kNoDatabase);
    if (!directory.connect() || !directory.select_database(deployment_.directory_database)) {
      return end_with(kNoConnection);
    }

    std::string sql = "select * from qm_software where (programm=" + directory.quoted(kProduct) +
                      " and programm_version=" + directory.quoted(kVersion) +
                      " and kunde=" + directory.quoted(deployment_.customer) + ")";
    std::optional<db::Result> result = directory.query(sql);
    // Without a configuration record there is nothing to connect to: the same dead end as an
    // unreachable directory.
    if (!result || result->row_count() == 0) return end_with(kNoConnection);
    result->first();
    config_ = ServiceConfig{
        .description = result->text("beschreibung"),
        .sql_host = result->text("sql_host"),
        .sql_user = result->text("sql_user"),
        .sql_password = deployment_.sql_prefix + result->text("sql_password"),
        .sql_database = result->text("sql_daten_bank"),
        .ftp_host = result->text("ftp_host"),
        .ftp_user = result->text("ftp_login_nick"),
        .ftp_password = deployment_.ftp_prefix + result->text("ftp_passwort"),
        .mail_host = result->text("mail_host"),
        .mail_user = result->text("mail_user"),
        .mail_password = deployment_.mail_prefix + result->text("mail_passwort"),
        .mail_sender = result->text("mail_sender"),
        .mail_admin = result->text("mail_admin"),
        .tls = deployment_.tls,
    };
    directory.close();
  }

  // Auction house: connection failures only show as lines; the lookup below then fails.
  db::Connection house;
  open_auction_house(house, config_, [&](const std::string& line) { add(line); });

  hash_ = password_hash(password);
  // The typed name goes through the quoting like every other value: a quote in it must not
  // turn the condition into one that matches every user.
  std::string sql = "select * from users where (nick=" + house.quoted(user_name) +
                    " and password=" + house.quoted(hash_) + ");";
  std::optional<db::Result> users = house.query(sql);
  if (!users || users->row_count() != 1) {
    if (failed_attempts_ < 2) {
      ++failed_attempts_;
      add(kWrongLogin);
      return {LoginOutcome::TryAgain, {}};
    }
    ++failed_attempts_;
    return end_with(kThreeTimesWrong);
  }

  users->first();
  user_ = SessionUser{
      .id = users->text("id"),
      .nick = users->text("nick"),
      .name = users->text("name"),
      .password = users->text("password"),
      .suspended = users->text("suspended"),
      .email = users->text("email"),
      .zip = users->text("zip"),
      .city = users->text("city"),
      .country = users->text("country"),
  };
  house.close();

  if (user_.suspended == "1") return end_with(kSuspended);
  if (user_.suspended != "0") return {LoginOutcome::TryAgain, {}};

  try {
    if (store::data_folder_incomplete(program_folder_)) store::make_files(program_folder_);
  } catch (const Error& e) {
    return {LoginOutcome::ShowAndStay, e.what()};
  } catch (const std::exception&) {
    return {LoginOutcome::ShowAndStay,
            "Der Datenordner im Programmordner konnte nicht angelegt werden."};
  }
  return {LoginOutcome::OpenMainWindow, {}};
}

}  // namespace tellvaro::session
