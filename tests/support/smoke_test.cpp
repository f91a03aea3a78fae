// Proves that the test auction house is made of real servers with the accounts, data and
// behaviour the program relies on. Uses the C client library and libcurl directly.

#include <curl/curl.h>
#include <mysql.h>
#include <openssl/evp.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "support/auction_house.h"

namespace tellvaro::test {
namespace {

namespace fs = std::filesystem;

struct MysqlCloser {
  void operator()(MYSQL* m) const { mysql_close(m); }
};
using Mysql = std::unique_ptr<MYSQL, MysqlCloser>;

// Connects over TCP to the test host, with TLS and the server's certificate checked against the
// instance's CA unless `clear` is set; returns the connection or the error number.
Mysql connect_tcp(const char* user, const std::string& password, const char* db, unsigned* err,
                  bool clear = false) {
  Mysql m(mysql_init(nullptr));
  mysql_options(m.get(), MYSQL_SET_CHARSET_NAME, "latin1");
  if (!clear) {
    my_bool verify = 1;
    mysql_optionsv(m.get(), MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
    mysql_optionsv(m.get(), MYSQL_OPT_SSL_CA, tls_ca_file().c_str());
  }
  if (!mysql_real_connect(m.get(), host(), user, password.c_str(), db, kSqlPort, nullptr, 0)) {
    *err = mysql_errno(m.get());
    return nullptr;
  }
  *err = 0;
  return m;
}

std::string single_value(MYSQL* m, const std::string& sql) {
  if (mysql_query(m, sql.c_str()) != 0) return "<" + std::string(mysql_error(m)) + ">";
  MYSQL_RES* res = mysql_store_result(m);
  if (!res) return "<kein Ergebnis>";
  MYSQL_ROW row = mysql_fetch_row(res);
  std::string v = row && row[0] ? row[0] : "<NULL>";
  mysql_free_result(res);
  return v;
}

class SmokeTest : public AuctionHouseTest {};

TEST_F(SmokeTest, AppAccountWorksOverTcpAndTheGeneralLogShowsItsStatements) {
  unsigned err = 0;
  auto mark = general_log_mark();
  Mysql app = connect_tcp(kAppUser, sql_password(), kAuctionDatabase, &err);
  ASSERT_TRUE(app) << "errno " << err;
  EXPECT_EQ(single_value(app.get(), "select * from numbers where id=1"), "1");
  EXPECT_EQ(single_value(app.get(), "select value from numbers where id=1"), kAuctionCounter);

  auto queries = queries_since(mark);
  EXPECT_NE(std::find(queries.begin(), queries.end(), "select value from numbers where id=1"),
            queries.end());
  bool connect_seen = false;
  for (const auto& e : general_log_entries_since(mark))
    if (e.command == "Connect" &&
        e.text.rfind("tv_seller_app@127.0.0.1 on tv_auktionshaus", 0) == 0)
      connect_seen = true;
  EXPECT_TRUE(connect_seen) << general_log_since(mark);

  // What the program does not have: DELETE, and the password without its prefix.
  EXPECT_NE(mysql_query(app.get(), "delete from numbers"), 0);
  EXPECT_FALSE(connect_tcp(kAppUser, kStoredSqlPassword, kAuctionDatabase, &err));
  EXPECT_EQ(err, 1045u);

  // Encrypted, as the server demands: a clear-text login is refused whatever the password.
  EXPECT_NE(single_value(app.get(), "show session status like 'Ssl_cipher'"), "");
  EXPECT_FALSE(connect_tcp(kAppUser, sql_password(), kAuctionDatabase, &err, true));
  EXPECT_EQ(err, 1045u);
}

TEST_F(SmokeTest, DirectoryAccountReadsTheConfigurationRecordOnly) {
  unsigned err = 0;
  Mysql dir = connect_tcp(kDirectoryUser, directory_password(), kDirectoryDatabase, &err);
  ASSERT_TRUE(dir) << "errno " << err;
  EXPECT_EQ(single_value(dir.get(),
                         "select sql_host from qm_software where (programm='QM Tellvaro' and "
                         "programm_version='2.0.0.1' and kunde='Demo-Auktionshaus')"),
            host());
  EXPECT_NE(mysql_query(dir.get(), "update qm_software set kunde='x'"), 0);
  EXPECT_FALSE(connect_tcp(kDirectoryUser, directory_password(), kAuctionDatabase, &err));
}

// The server is as strict as a real one by default; a session without the strict flags (what
// the program sets) takes the program's inserts.
TEST_F(SmokeTest, StrictServerTakesTheProgramsInsertsInItsSessionModeAndKeepsWindows1252) {
  unsigned err = 0;
  Mysql app = connect_tcp(kAppUser, sql_password(), kAuctionDatabase, &err);
  ASSERT_TRUE(app) << "errno " << err;
  // '' into the id columns, a date text with dots and an hour without leading zero, \n escapes.
  const char* fee_row =
      "insert into accountpos (id, re_nr, date, user_id, auction_id, "
      "auction_title, description, value, closed) values('','','2006.12.04 "
      "9:05:09','42','1000','Gr\xFC\xDF"
      "e','Untertitel','0.35','0')";
  EXPECT_NE(mysql_query(app.get(), fee_row), 0);
  EXPECT_EQ(mysql_errno(app.get()), 1366u) << mysql_error(app.get());
  ASSERT_EQ(mysql_query(app.get(),
                        "SET SESSION sql_mode = TRIM(BOTH ',' FROM REPLACE(REPLACE(CONCAT(',', "
                        "@@GLOBAL.sql_mode, ','), ',STRICT_TRANS_TABLES,', ','), "
                        "',STRICT_ALL_TABLES,', ','))"),
            0)
      << mysql_error(app.get());
  ASSERT_EQ(mysql_query(app.get(), fee_row), 0) << mysql_error(app.get());
  ASSERT_EQ(mysql_query(app.get(),
                        "insert into auctions (id, user, title, starts, ends, payment, closed) "
                        "values('1000','42','\x80 Preis','2006.12.04 9:05:09','2006.12.11 "
                        "09:05:09','\xDC"
                        "berweisung \\n',0)"),
            0)
      << mysql_error(app.get());

  auto rows = admin_query(
      "select id, re_nr, date, hex(auction_title), value from tv_auktionshaus.accountpos");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "1");
  EXPECT_EQ(rows[0][1], "");
  EXPECT_EQ(rows[0][2], "2006-12-04 09:05:09");
  EXPECT_EQ(rows[0][3], "4772FCDF65");
  EXPECT_EQ(rows[0][4], "0.35");
  rows = admin_query(
      "select hex(title), starts, ends, hex(payment) from tv_auktionshaus.auctions "
      "where id=1000");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "80205072656973");
  EXPECT_EQ(rows[0][1], "2006-12-04 09:05:09");
  EXPECT_EQ(rows[0][2], "2006-12-11 09:05:09");
  EXPECT_EQ(rows[0][3], "DC62657277656973756E67200A");
}

TEST_F(SmokeTest, TestDataIsTheDocumentedSetAndResetRestoresIt) {
  // The stored hash is the salted MD5 the program computes.
  const std::string salted =
      "Schl\xFC"
      "sselst\xE4rke von 256 bit" +
      std::string(kSellerPassword);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned len = 0;
  ASSERT_EQ(EVP_Digest(salted.data(), salted.size(), digest, &len, EVP_md5(), nullptr), 1);
  std::string hex;
  for (unsigned i = 0; i < len; ++i) {
    static const char* digits = "0123456789abcdef";
    hex += digits[digest[i] >> 4];
    hex += digits[digest[i] & 15];
  }
  EXPECT_EQ(hex, kSellerPasswordHash);

  auto users = admin_query(
      "select id, nick, password, suspended, name from tv_auktionshaus.users "
      "order by id");
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0], (Row{kSellerId, kSellerNick, hex, "0", kSellerName}));
  EXPECT_EQ(users[1], (Row{kSuspendedId, kSuspendedNick, hex, "1", "Gerd Gesperrt"}));

  admin_exec("update tv_auktionshaus.numbers set value='5'; delete from tv_auktionshaus.users");
  reset_data();
  EXPECT_EQ(admin_query("select count(*) from tv_auktionshaus.users")[0][0], "2");
  EXPECT_EQ(
      admin_query("select group_concat(value order by id) from tv_auktionshaus.numbers")[0][0],
      "1000,1000,1000,1000");
  EXPECT_EQ(
      admin_query("select group_concat(days order by days) from tv_auktionshaus.durations")[0][0],
      "1,3,5,7,10,14,21,30");
}

// --- libcurl helpers -------------------------------------------------------------------------

struct CurlCloser {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using Curl = std::unique_ptr<CURL, CurlCloser>;

size_t append(char* data, size_t size, size_t n, void* out) {
  static_cast<std::string*>(out)->append(data, size * n);
  return size * n;
}

struct Source {
  std::string bytes;
  size_t pos = 0;
};

size_t supply(char* buf, size_t size, size_t n, void* in) {
  auto* s = static_cast<Source*>(in);
  size_t k = std::min(size * n, s->bytes.size() - s->pos);
  std::copy_n(s->bytes.data() + s->pos, k, buf);
  s->pos += k;
  return k;
}

// TLS (AUTH TLS) with the instance's CA and passive data connections; `clear`: neither.
Curl ftp_handle(const std::string& password, bool clear = false) {
  Curl c(curl_easy_init());
  curl_easy_setopt(c.get(), CURLOPT_USERNAME, kFtpUser);
  curl_easy_setopt(c.get(), CURLOPT_PASSWORD, password.c_str());
  if (clear) {
    curl_easy_setopt(c.get(), CURLOPT_FTPPORT, "-");
    curl_easy_setopt(c.get(), CURLOPT_FTP_USE_EPRT, 0L);
  } else {
    curl_easy_setopt(c.get(), CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    curl_easy_setopt(c.get(), CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
    curl_easy_setopt(c.get(), CURLOPT_CAINFO, tls_ca_file().c_str());
  }
  curl_easy_setopt(c.get(), CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
  return c;
}

TEST_F(SmokeTest, FtpStoresAndRetrievesOverTlsAndRefusesAClearLogin) {
  const std::string base = std::string("ftp://") + host() + "/";
  Source picture{std::string("\xFF\xD8\xFF\xE0 kein echtes JPEG \r\n\x00\x80 Ende", 28)};

  auto mark = ftp_log_mark();
  Curl up = ftp_handle(ftp_password());
  curl_easy_setopt(up.get(), CURLOPT_URL, (base + "//1000_2.jpg").c_str());
  curl_easy_setopt(up.get(), CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(up.get(), CURLOPT_READFUNCTION, supply);
  curl_easy_setopt(up.get(), CURLOPT_READDATA, &picture);
  ASSERT_EQ(curl_easy_perform(up.get()), CURLE_OK);
  up.reset();  // QUIT

  std::ifstream stored(ftp_root() + "/1000_2.jpg", std::ios::binary);
  std::string on_disk((std::istreambuf_iterator<char>(stored)), std::istreambuf_iterator<char>());
  EXPECT_EQ(on_disk, picture.bytes);

  auto commands = ftp_commands_since(mark);
  auto has = [&](const std::string& prefix) {
    return std::any_of(commands.begin(), commands.end(),
                       [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
  };
  EXPECT_TRUE(has("PASS ******"));
  EXPECT_TRUE(has("EPSV"));
  EXPECT_TRUE(has("STOR //1000_2.jpg"));
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands[0], "AUTH TLS");
  EXPECT_EQ(ftp_log_since(mark).find(ftp_password()), std::string::npos);

  std::string fetched;
  Curl down = ftp_handle(ftp_password());
  curl_easy_setopt(down.get(), CURLOPT_URL, (base + "1000_2.jpg").c_str());
  curl_easy_setopt(down.get(), CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
  curl_easy_setopt(down.get(), CURLOPT_WRITEFUNCTION, append);
  curl_easy_setopt(down.get(), CURLOPT_WRITEDATA, &fetched);
  ASSERT_EQ(curl_easy_perform(down.get()), CURLE_OK);
  EXPECT_EQ(fetched, picture.bytes);

  Curl wrong = ftp_handle(kStoredFtpPassword);
  curl_easy_setopt(wrong.get(), CURLOPT_URL, base.c_str());
  curl_easy_setopt(wrong.get(), CURLOPT_NOBODY, 1L);
  EXPECT_EQ(curl_easy_perform(wrong.get()), CURLE_LOGIN_DENIED);

  // The right password in clear text: refused at USER, before the password is asked for.
  mark = ftp_log_mark();
  Curl clear = ftp_handle(ftp_password(), true);
  curl_easy_setopt(clear.get(), CURLOPT_URL, base.c_str());
  curl_easy_setopt(clear.get(), CURLOPT_NOBODY, 1L);
  EXPECT_EQ(curl_easy_perform(clear.get()), CURLE_LOGIN_DENIED);
  clear.reset();
  commands = ftp_commands_since(mark);
  EXPECT_TRUE(has("USER tvftp"));
  EXPECT_FALSE(has("PASS"));
}

TEST_F(SmokeTest, SmtpWithAuthLoginStoresTheMessageByteExact) {
  const std::string message =
      "From: upload@auktionshaus.example\r\nTo: haendler@beispiel.example\r\n"
      "Subject: Artikel Uploadprotokol: User: haendler\r\n\r\n"
      "1 - Artikel zum Upload gefunden\r\n \r\nPreis 5 \x80, Gr\xFC\xDF"
      "e\r\n";
  auto send = [&](const std::string& password, bool clear = false) {
    Source body{message};
    Curl c(curl_easy_init());
    curl_easy_setopt(c.get(), CURLOPT_URL, (std::string("smtp://") + host() + ":25").c_str());
    if (!clear) {
      curl_easy_setopt(c.get(), CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
      curl_easy_setopt(c.get(), CURLOPT_CAINFO, tls_ca_file().c_str());
    }
    curl_easy_setopt(c.get(), CURLOPT_USERNAME, kMailUser);
    curl_easy_setopt(c.get(), CURLOPT_PASSWORD, password.c_str());
    curl_easy_setopt(c.get(), CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
    curl_easy_setopt(c.get(), CURLOPT_MAIL_FROM, "<upload@auktionshaus.example>");
    curl_slist* rcpt = curl_slist_append(nullptr, "<haendler@beispiel.example>");
    curl_easy_setopt(c.get(), CURLOPT_MAIL_RCPT, rcpt);
    curl_easy_setopt(c.get(), CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c.get(), CURLOPT_READFUNCTION, supply);
    curl_easy_setopt(c.get(), CURLOPT_READDATA, &body);
    CURLcode rc = curl_easy_perform(c.get());
    curl_slist_free_all(rcpt);
    return rc;
  };

  auto mark = smtp_log_mark();
  ASSERT_EQ(send(mail_password()), CURLE_OK);
  EXPECT_EQ(smtp_commands_since(mark),
            (std::vector<std::string>{"EHLO", "STARTTLS", "EHLO", "AUTH LOGIN", "MAIL", "RCPT",
                                      "DATA", "QUIT"}));
  EXPECT_EQ(send(kStoredMailPassword), CURLE_LOGIN_DENIED);
  // Without STARTTLS the server offers no AUTH and takes no message.
  EXPECT_NE(send(mail_password(), true), CURLE_OK);

  auto received = mails();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].data, message);
  EXPECT_EQ(received[0].mail_from, kMailSender);
  EXPECT_EQ(received[0].rcpt_to, std::vector<std::string>{"haendler@beispiel.example"});
  EXPECT_EQ(received[0].login, kMailUser);

  clear_mail();
  EXPECT_TRUE(mails().empty());
}

TEST_F(SmokeTest, HeadRequestCarriesADateHeader) {
  for (const char* scheme : {"http://", "https://"}) {
  std::string headers;
  Curl c(curl_easy_init());
  curl_easy_setopt(c.get(), CURLOPT_URL, (scheme + std::string(host()) + "/").c_str());
  curl_easy_setopt(c.get(), CURLOPT_CAINFO, tls_ca_file().c_str());
  curl_easy_setopt(c.get(), CURLOPT_NOBODY, 1L);
  curl_easy_setopt(c.get(), CURLOPT_HEADERFUNCTION, append);
  curl_easy_setopt(c.get(), CURLOPT_HEADERDATA, &headers);
  ASSERT_EQ(curl_easy_perform(c.get()), CURLE_OK);
  std::smatch m;
  EXPECT_TRUE(std::regex_search(headers, m,
                                std::regex("\r\nDate: [A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} "
                                           "[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} GMT\r\n")))
      << headers;
  }
}

}  // namespace
}  // namespace tellvaro::test
