#pragma once

// The test auction house's accounts in the program's own types, for tests and benchmarks that
// link the layers these types belong to. Header only: the support library links none of them.

#include <string>

#include "db/connection.h"
#include "net/net.h"
#include "session/session.h"
#include "support/auction_house.h"

namespace tellvaro::test {

// What the test build's deployment sets: TLS required, the instance's own CA trusted.
inline net::TlsPolicy tls_policy() { return {true, tls_ca_file()}; }

// The seller program's account on the auction house database.
inline db::ConnectParams app_account() {
  db::ConnectParams p{host(), 3306, kAppUser, sql_password(), kAuctionDatabase, true};
  p.tls = tls_policy();
  return p;
}

// Connects `db` with that account and selects the auction house database; on false,
// db.last_error() says why.
inline bool connect_app(db::Connection& db) {
  db.set_params(app_account());
  return db.connect() && db.select_database(kAuctionDatabase);
}

inline net::Endpoint ftp_account() { return {host(), 0, kFtpUser, ftp_password(), tls_policy()}; }
inline net::Endpoint mail_account() {
  return {host(), 0, kMailUser, mail_password(), tls_policy()};
}

// The service configuration the directory record holds, passwords with their prefixes.
inline session::ServiceConfig service_config() {
  session::ServiceConfig c;
  c.sql_host = c.ftp_host = c.mail_host = host();
  c.sql_user = kAppUser;
  c.sql_password = sql_password();
  c.sql_database = kAuctionDatabase;
  c.ftp_user = kFtpUser;
  c.ftp_password = ftp_password();
  c.mail_user = kMailUser;
  c.mail_password = mail_password();
  c.mail_sender = kMailSender;
  c.mail_admin = kMailAdmin;
  c.tls = tls_policy();
  return c;
}

// The test data's active seller, as the login leaves it.
inline session::SessionUser active_seller() {
  session::SessionUser u;
  u.id = kSellerId;
  u.nick = kSellerNick;
  u.email = kSellerEmail;
  return u;
}

}  // namespace tellvaro::test
