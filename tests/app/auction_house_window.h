#pragma once

// A main window logged in as the test data's seller against the test auction house.

#include "app/main_window_fixture.h"
#include "support/auction_house.h"

// The service configuration that the test auction house's directory record holds, passwords
// with their prefixes.
inline tellvaro::session::ServiceConfig auction_house_config() {
  using namespace tellvaro::test;
  tellvaro::session::ServiceConfig c;
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
  return c;
}

inline tellvaro::session::SessionUser auction_house_seller() {
  using namespace tellvaro::test;
  tellvaro::session::SessionUser seller;
  seller.id = kSellerId;
  seller.nick = kSellerNick;
  seller.email = kSellerEmail;
  return seller;
}
