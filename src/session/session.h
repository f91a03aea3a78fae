#pragma once

// The login: service configuration from the directory database, the user check against the
// auction house, and what the login window does next.

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "net/net.h"
#include "tellvaro/version.h"

namespace tellvaro::db {
class Connection;
}

namespace tellvaro::session {

struct ServiceConfig {
  std::string description;
  std::string sql_host, sql_user, sql_password, sql_database;  // password with its prefix
  std::string ftp_host, ftp_user, ftp_password;                // password with its prefix
  std::string mail_host, mail_user, mail_password;             // password with its prefix
  std::string mail_sender, mail_admin;
  // From the deployment, not the record: how every connection of the run uses TLS.
  net::TlsPolicy tls{};
};

// The file and mail servers the configuration names, with its TLS policy: the one place the
// send, the import and the command line take them from.
net::Endpoint ftp_endpoint(const ServiceConfig& config);
net::Endpoint mail_endpoint(const ServiceConfig& config);

struct SessionUser {
  std::string id, nick, name, password, suspended, email, zip, city, country;
};

// The values a build is tied to (cmake/Deployment.cmake); tests point them elsewhere.
struct Deployment {
  std::string customer;
  std::string directory_host, directory_user, directory_database;
  std::string directory_password;  // the three pieces joined
  std::string sql_prefix, ftp_prefix, mail_prefix;
  std::string web_url, maker_url;
  net::TlsPolicy tls{};  // for the directory, and handed on to the service configuration
  static Deployment built_in();
};

inline constexpr std::string_view kProduct = "QM Tellvaro";
using tellvaro::kVersion;
inline constexpr std::string_view kApplicationTitle = "Quillmar Tellvaro";

// "Quillmar - Tellvaro v.: <version> - <customer>"
std::string window_caption(const Deployment& d);

// Lower-case hex MD5 over the Windows-1252 bytes of the salt followed by the password.
std::string password_hash(std::string_view password);

// Opens `db` on the auction house named by `config` (the one place for its connect parameters)
// and reports the two status lines: the server ("Verbindung zu Server aufgebaut" or "Keine
// Internet Verbindung"), then the database. True when both succeeded.
bool open_auction_house(db::Connection& db, const ServiceConfig& config,
                        const std::function<void(const std::string&)>& status);

enum class LoginOutcome {
  OpenMainWindow,  // success: the data folder is complete; hide the login, open the main window
  TryAgain,        // the window stays for another try (a status line may say why, or nothing)
  ShowAndStay,     // a message box with `message`, then the window stays (data folder failed)
  ShowAndEnd,      // a message box with `message`, then the login window closes: the program ends
};

struct LoginResult {
  LoginOutcome outcome;
  std::string message;
};

class Login {
 public:
  // `status` receives each status-list line; `clear_status` empties the list (step 1).
  struct Status {
    std::function<void()> clear;
    std::function<void(const std::string&)> add;
  };

  Login(Deployment deployment, std::string program_folder);

  // One press of "Einloggen".
  LoginResult run(std::string_view user_name, std::string_view password, const Status& status);

  const ServiceConfig& config() const { return config_; }
  const SessionUser& user() const { return user_; }
  const std::string& typed_password_hash() const { return hash_; }
  int failed_attempts() const { return failed_attempts_; }
  const Deployment& deployment() const { return deployment_; }

 private:
  Deployment deployment_;
  std::string program_folder_;
  ServiceConfig config_;
  SessionUser user_;
  std::string hash_;
  int failed_attempts_ = 0;
};

}  // namespace tellvaro::session
