// Sending against the real database, web, file and mail servers of the test auction house,
// judged by what they received: the general log, the stored rows, the files, the FTP log and
// the mails.

#include "support/temp_dir.h"
#include "upload/send.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <stdexcept>

#include <gtest/gtest.h>

#include "catalogue/reference.h"
#include "db/connection.h"
#include "ports/progress.h"
#include "store/data_packet.h"
#include "store/description_frames.h"
#include "store/table.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/delay_proxy.h"
#include "support/scripted_dialogs.h"
#include "text/cp1252.h"
#include "upload/listed_rows.h"
#include "upload/listing_rows.h"

namespace tellvaro::upload {
namespace {

namespace fs = std::filesystem;
using namespace tellvaro::test;

struct Recorder : ScriptedDialogs, ports::Progress {
  std::vector<std::string> progress;
  void start(std::size_t n) override { progress.push_back("start " + std::to_string(n)); }
  void advance(std::size_t) override { progress.push_back("advance"); }
  void finish() override { progress.push_back("finish"); }
};

std::string single(const std::string& sql) {
  auto rows = admin_query(sql);
  return rows.empty() || rows[0].empty() || !rows[0][0] ? "<NULL>" : *rows[0][0];
}

// Fee rows whose auction does not exist: what a half-done send leaves behind.
std::string orphan_fees() {
  return single(
      "select count(*) from tv_auktionshaus.accountpos where auction_id not in "
      "(select id from tv_auktionshaus.auctions)");
}

class SendTest : public AuctionHouseTest {
 protected:
  void SetUp() override {
    AuctionHouseTest::SetUp();
    folder_ = fs::temp_directory_path() / ("tellvaro-send-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    std::ofstream(folder_ / "zwei.jpg", std::ios::binary) << std::string("\xFF\xD8zwei\r\n", 8);
    std::ofstream(folder_ / "drei.gif", std::ios::binary) << "GIF89a drei";
    ASSERT_TRUE(test::connect_app(db_)) << db_.last_error();
    fees_ = catalogue::load_features(db_);
    payments_ = catalogue::load_payments(db_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  void add_article(const std::string& name, const std::string& days = "7",
                   const std::string& bild2 = "zwei.jpg", const std::string& bild3 = "") {
    uploads_.append();
    uploads_.set_text(store::F::Artikelname, name);
    uploads_.set_text(store::F::Auktionsdauer, days);
    uploads_.set_text(store::F::Fettschrift, "True");
    uploads_.set_text(store::F::Gebuehr, "0.6");
    uploads_.set_text(store::F::Bild1, "fehlt.jpg");  // named, but no such file
    uploads_.set_text(store::F::Bild2, bild2);
    uploads_.set_text(store::F::Bild3, bild3);
    uploads_.post();
  }

  static std::string web_ok() { return std::string("http://") + host() + "/"; }

  Sender sender(session::ServiceConfig config = service_config(), std::string web = web_ok(),
                ListedRows* listed = nullptr, session::SessionUser seller = active_seller()) {
    return Sender(SendSetup{db_,
                            uploads_,
                            rows_,
                            rec_,
                            protocol_,
                            &rec_,
                            [this] { ++views_shown_; },
                            std::move(config),
                            std::move(seller),
                            std::move(web),
                            folder_.string() + "/",
                            {1500, 3000, 3000},
                            listed});
  }

  // "Alle Artikel senden" of the upload table through the run itself, so `events` hears what a
  // window hears.
  SendOutcome send_all_with(SendEvents& events) {
    std::vector<store::Record> shown;
    for (std::size_t i = 0; i < uploads_.count(); ++i) shown.push_back(uploads_.row(i));
    auto job = prepare_send(shown, std::nullopt, true, nullptr, rec_, protocol_);
    if (!job) throw std::runtime_error("nichts zu senden");
    return run_send(
        *job,
        {service_config(), active_seller(), web_ok(), folder_.string() + "/", {1500, 3000, 3000}},
        db_, rows_, nullptr, events);
  }

  fs::path folder_;
  db::Connection db_;
  store::Table uploads_;
  catalogue::FeatureFees fees_;
  catalogue::PaymentNames payments_;
  AuctionHouseRows rows_{db_, fees_, payments_};
  Recorder rec_;
  Protocol protocol_;
  int views_shown_ = 0;
};

// Against a server in its default strict mode: the fee rows' empty ids, the empty prices and the
// empty second category go in as the statements were written.
TEST_F(SendTest, OneArticleWritesItsRowsInOneTransactionStoresItsPicturesAndMailsTheProtocol) {
  add_article("Erstes");
  add_article(
      "Gr\xC3\xBC\xC3\x9F"
      "e aus K\xC3\xB6ln",
      "10", "zwei.jpg", "drei.gif");
  uploads_.move_to(1);
  auto log = general_log_mark();
  auto ftp_log = ftp_log_mark();
  auto smtp_log = smtp_log_mark();
  Sender s = sender();
  ASSERT_TRUE(s.send_marked()) << (rec_.shown.empty() ? "" : rec_.shown.back());

  EXPECT_EQ(views_shown_, 1);
  EXPECT_TRUE(rec_.shown.empty());
  // numbers: rows 1 to 4 raised, the sent article under the old value.
  EXPECT_EQ(single("select group_concat(value order by id) from tv_auktionshaus.numbers"),
            "1001,1001,1001,1001");
  auto auction = admin_query(
      "select id, user, title, date_format(starts, '%Y.%m.%d %k:%i:%s'), "
      "date_format(ends, '%Y.%m.%d %H:%i:%s'), pict_url, pict_url2, pict_url3 "
      "from tv_auktionshaus.auctions where id=1000");
  ASSERT_EQ(auction.size(), 1u);
  EXPECT_EQ(*auction[0][2], "Grüße aus Köln");
  const std::string start = *auction[0][3], end = *auction[0][4];
  EXPECT_EQ(auction[0][5], "");  // Bild1 names no file
  EXPECT_EQ(auction[0][6], "1000_2.jpg");
  EXPECT_EQ(auction[0][7], "1000_3.jpg");
  EXPECT_EQ(single("select group_concat(description, ' ', value order by id) from "
                   "tv_auktionshaus.accountpos where auction_id=1000"),
            "Hervorhebung: Fettschrift 0.50,Upload 2. Bild 0.10,Upload 3. Bild 0.20");

  // The end is ten days after the start; both texts follow the server's clock.
  std::smatch m;
  ASSERT_TRUE(
      std::regex_match(end, m, std::regex(R"((\d{4})\.(\d\d)\.(\d\d) (\d\d):(\d\d):(\d\d))")));
  const std::string local_end = std::string(m[3]) + "." + std::string(m[2]) + "." +
                                std::string(m[1]) + " " + std::string(m[4]) + ":" +
                                std::string(m[5]) + ":" + std::string(m[6]);
  std::vector<std::string> expected = {"1 - Artikel zum Upload gefunden",
                                       " ",
                                       " ",
                                       " ",
                                       "Neuer Artikel",
                                       "Auktions-Nr: 1000",
                                       "Artikelname: Grüße aus Köln",
                                       " ",
                                       "ends1: " + local_end,
                                       "ends2: " + end,
                                       "0.60 Euro: Gesamt Uploadkosten",
                                       std::string(62, '-'),
                                       "0.50 Euro: Hervorhebung: Fettschrift",
                                       "0.10 Euro: Upload 2. Bild",
                                       "0.20 Euro: Upload 3. Bild",
                                       " ",
                                       "Auktionsstart: " + start,
                                       "Auktionsende: " + end,
                                       " ",
                                       "Sende Bild 2: zwei.jpg",
                                       "Sende Bild 3: drei.gif",
                                       " ",
                                       " ",
                                       " ",
                                       "Artikel wurde eingestellt.",
                                       " ",
                                       " ",
                                       " "};
  EXPECT_EQ(protocol_.lines(), expected);
  EXPECT_EQ(s.protocol_lines(), expected);

  // The statements in order: the columns' lengths read; the number, checked as free, in a short
  // transaction of its own; then fee rows and auction row in one, each followed by the server's
  // warnings, committed after the pictures.
  std::vector<std::string> q = queries_since(log);
  ASSERT_EQ(q.size(), 16u);
  EXPECT_EQ(q[0].rfind("select table_name, column_name, character_maximum_length", 0), 0u) << q[0];
  EXPECT_EQ(q[1], "start transaction");
  EXPECT_EQ(q[2], "select * from numbers where id=1 for update");
  EXPECT_EQ(q[3], "select id from auctions where id='1000'");
  EXPECT_EQ(q[4], "update numbers set value='1001' where (id<5)");
  EXPECT_EQ(q[5], "commit");
  EXPECT_EQ(q[6], "start transaction");
  for (std::size_t i = 7; i < 13; i += 2) {
    EXPECT_EQ(q[i].rfind("insert into accountpos", 0), 0u);
    EXPECT_EQ(q[i + 1], "show warnings");
  }
  EXPECT_EQ(q[13].rfind("insert into auctions", 0), 0u);
  EXPECT_EQ(q[14], "show warnings");
  EXPECT_EQ(q[15], "commit");

  // The pictures byte for byte under the slot's name, whatever the local type.
  EXPECT_EQ(read_file(fs::path(ftp_root()) / "1000_2.jpg"), std::string("\xFF\xD8zwei\r\n", 8));
  EXPECT_EQ(read_file(fs::path(ftp_root()) / "1000_3.jpg"), "GIF89a drei");
  EXPECT_FALSE(fs::exists(fs::path(ftp_root()) / "1000.jpg"));
  std::vector<std::string> cmds = ftp_commands_since(ftp_log);
  auto has = [&](const std::string& c) {
    return std::find(cmds.begin(), cmds.end(), c) != cmds.end();
  };
  EXPECT_TRUE(has("CWD /"));
  EXPECT_TRUE(has("STOR //1000_2.jpg"));
  EXPECT_TRUE(has("STOR //1000_3.jpg"));
  EXPECT_TRUE(has("QUIT"));
  // Encrypted before any password: the file server's login after AUTH TLS, the mail server's
  // AUTH after STARTTLS.
  ASSERT_GE(cmds.size(), 2u);
  EXPECT_EQ(cmds[0], "AUTH TLS");
  EXPECT_EQ(cmds[1], "USER tvftp");
  const auto verbs = smtp_commands_since(smtp_log);
  const auto starttls = std::find(verbs.begin(), verbs.end(), "STARTTLS");
  const auto auth = std::find(verbs.begin(), verbs.end(), "AUTH LOGIN");
  EXPECT_LT(starttls, auth);
  EXPECT_NE(auth, verbs.end());

  // Two mails, one connection: to the seller, then to the administrator, the same body.
  std::vector<Mail> mails = test::mails();
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[0].rcpt_to, std::vector<std::string>{kSellerEmail});
  EXPECT_EQ(mails[1].rcpt_to, std::vector<std::string>{kMailAdmin});
  std::string body;
  for (const auto& l : expected) body += text::utf8_to_cp1252(l) + "\r\n";
  for (const Mail& mail : mails) {
    EXPECT_EQ(mail.mail_from, kMailSender);
    EXPECT_NE(mail.data.find("\r\nSubject: Artikel Uploadprotokol: User: haendler\r\n"),
              std::string::npos);
    EXPECT_EQ(mail.data.substr(mail.data.find("\r\n\r\n") + 4), body);
  }
  EXPECT_EQ(s.counts().ftp_connections, 1);
  EXPECT_EQ(s.counts().smtp_connections, 1);

  // The upload table keeps the article; sending it again gives the next number.
  EXPECT_EQ(uploads_.count(), 2u);
  ASSERT_TRUE(s.send_marked());
  EXPECT_EQ(single("select title from tv_auktionshaus.auctions where id=1001"), "Grüße aus Köln");
  EXPECT_EQ(protocol_.lines()[5], "Auktions-Nr: 1001");
}

TEST_F(SendTest, AllArticlesGoOverOneConnectionPerServiceWithOneMailPair) {
  add_article("Eins");
  add_article("Zwei", "3", "");
  add_article("Zwei", "3", "");
  uploads_.move_to(2);
  auto ftp_log = ftp_log_mark();
  Sender s = sender();
  ASSERT_TRUE(s.send_all()) << (rec_.shown.empty() ? "" : rec_.shown.back());

  EXPECT_EQ(single("select group_concat(id order by id) from tv_auktionshaus.auctions "
                   "where id>=1000"),
            "1000,1001,1002");
  EXPECT_EQ(single("select group_concat(title order by id) from tv_auktionshaus.auctions "
                   "where id>=1000"),
            "Eins,Zwei,Zwei");
  EXPECT_EQ(orphan_fees(), "0");
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.accountpos"), "4");
  EXPECT_EQ(protocol_.lines()[0], "3 - Artikel zum Upload gefunden");
  std::vector<std::string> heads, numbers;
  for (const auto& l : protocol_.lines()) {
    if (l == "Neuer Artikel") heads.push_back(l);
    if (l.rfind("Auktions-Nr: ", 0) == 0) numbers.push_back(l);
    EXPECT_NE(l.rfind("ends", 0), 0u) << l;
  }
  EXPECT_EQ(heads.size(), 3u);
  EXPECT_EQ(numbers, (std::vector<std::string>{"Auktions-Nr: 1000", "Auktions-Nr: 1001",
                                               "Auktions-Nr: 1002"}));
  std::vector<std::string> tail(protocol_.lines().end() - 7, protocol_.lines().end());
  EXPECT_EQ(tail, (std::vector<std::string>{" ", " ", " ", "Alle Artikel wurden eingestellt.", " ",
                                            " ", " "}));
  EXPECT_EQ(rec_.progress,
            (std::vector<std::string>{"start 3", "advance", "advance", "advance", "finish"}));

  std::vector<std::string> cmds = ftp_commands_since(ftp_log);
  EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "USER tvftp"), 1);
  EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "STOR //1000_2.jpg"), 1);
  EXPECT_EQ(mails().size(), 2u);
  EXPECT_EQ(s.counts().ftp_connections, 1);
  EXPECT_EQ(s.counts().smtp_connections, 1);
  EXPECT_EQ(s.counts().http_requests, 3);
  EXPECT_EQ(s.counts().http_connections, 1);
  EXPECT_EQ(uploads_.count(), 3u);
}

TEST_F(SendTest, AnEmptyUploadTableOnlyShowsTheMessage) {
  auto log = general_log_mark();
  auto ftp_log = ftp_log_mark();
  Sender s = sender();
  EXPECT_FALSE(s.send_marked());
  EXPECT_FALSE(s.send_all());
  EXPECT_EQ(rec_.shown, (std::vector<std::string>{"Kein Artikel zum Upload gefunden.",
                                                  "Keine Artikel zum Upload gefunden."}));
  EXPECT_TRUE(protocol_.lines().empty());
  EXPECT_TRUE(queries_since(log).empty());
  EXPECT_TRUE(ftp_commands_since(ftp_log).empty());
  EXPECT_EQ(views_shown_, 0);
}

// Each fault stops the send at its step with a message, leaves no fee row without its auction,
// and the next send works.
TEST_F(SendTest, FaultsStopTheSendCleanlyAndTheNextSendWorks) {
  struct Fault {
    const char* name;
    std::function<void(session::ServiceConfig&, std::string& web, store::Table& uploads)> make;
    const char* message_start;
    bool fees_reached;  // the article's transaction had begun
  };
  const std::string web_ok = std::string("http://") + host() + "/";
  std::vector<Fault> faults = {
      {"numbers not a number",
       [](auto&, auto&, auto&) { admin_exec("update tv_auktionshaus.numbers set value='abc'"); },
       "Die Auktionsnummer \"abc\" in der Tabelle numbers ist keine ganze Zahl.", false},
      {"numbers empty",
       [](auto&, auto&, auto&) { admin_exec("delete from tv_auktionshaus.numbers"); },
       "Die Tabelle numbers enthält keine Auktionsnummer", false},
      {"duration",
       [](auto&, auto&, store::Table& t) { t.set_text(store::F::Auktionsdauer, "sieben"); },
       "Die Auktionsdauer \"sieben\" ist keine ganze Zahl von Tagen.", false},
      {"web server down",
       [](auto&, std::string& web, auto&) { web = std::string("http://") + host() + ":81/"; },
       "Webserver", false},
      {"ftp login refused", [](session::ServiceConfig& c, auto&, auto&) { c.ftp_password += "x"; },
       "FTP-Server", false},
      {"ftp store refused",
       [](auto&, auto&, auto&) { fs::create_directories(fs::path(ftp_root()) / "1000_2.jpg"); },
       "FTP-Server", true},
      {"number taken",
       [](auto&, auto&, auto&) {
         admin_exec("insert into tv_auktionshaus.auctions (id, title) values (1000, 'belegt')");
       },
       "Die Auktionsnummer 1000 ist im Auktionshaus schon vergeben", false},
      {"smtp login refused",
       [](session::ServiceConfig& c, auto&, auto&) { c.mail_password += "x"; }, "Mailserver",
       false},
      {"smtp recipient refused",
       [](session::ServiceConfig& c, auto&, auto&) { c.mail_admin = "kein@"; }, "Mailserver",
       false},
  };
  for (const Fault& f : faults) {
    SCOPED_TRACE(f.name);
    reset_data();
    clear_ftp();
    clear_mail();
    uploads_.replace_all({});
    add_article("Fehlerfall");
    rec_ = Recorder();
    session::ServiceConfig config = service_config();
    std::string web = web_ok;
    f.make(config, web, uploads_);
    if (uploads_.state() != store::EditState::Browse) uploads_.post();

    Sender failing = sender(config, web);
    EXPECT_FALSE(failing.send_marked());
    ASSERT_EQ(rec_.shown.size(), 1u);
    EXPECT_EQ(rec_.shown[0].rfind(f.message_start, 0), 0u) << rec_.shown[0];
    EXPECT_EQ(rec_.shown[0].find("!Bilder26"), std::string::npos);
    EXPECT_EQ(rec_.shown[0].find("!Post26"), std::string::npos);
    ASSERT_GE(protocol_.lines().size(), 1u);
    // The protocol says what failed and never claims the article was listed by a failed step.
    const bool after_listing = std::find(protocol_.lines().begin(), protocol_.lines().end(),
                                         "Artikel wurde eingestellt.") != protocol_.lines().end();
    EXPECT_EQ(after_listing, std::string(f.message_start) == "Mailserver");
    EXPECT_EQ(protocol_.lines().back().rfind(
                  after_listing || !f.fees_reached ? "Fehler: " : "Der Artikel", 0),
              0u)
        << protocol_.lines().back();
    EXPECT_EQ(orphan_fees(), "0");
    if (f.fees_reached) {
      EXPECT_EQ(single("select count(*) from tv_auktionshaus.auctions where id>=1000"), "0");
    }

    // Mended: the next send with everything in order goes through.
    reset_data();
    fs::remove_all(fs::path(ftp_root()) / "1000_2.jpg");
    uploads_.set_text(store::F::Auktionsdauer, "7");
    uploads_.post();
    rec_ = Recorder();
    Sender next = sender();
    EXPECT_TRUE(next.send_marked()) << (rec_.shown.empty() ? "" : rec_.shown.back());
    EXPECT_EQ(single("select count(*) from tv_auktionshaus.auctions where id=1000"), "1");
  }
}

// Two programs sending at the same moment never share an auction number.
TEST_F(SendTest, TwoProcessesSendingAtOnceGetDistinctNumbers) {
  for (int i = 0; i < 50; ++i) add_article("Artikel " + std::to_string(i), "7", "");
  db_.close();
  pid_t children[2];
  for (pid_t& child : children) {
    child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      bool ok = test::connect_app(db_);
      if (ok) {
        Sender s = sender();
        ok = s.send_all();
      }
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(single("select count(distinct id) from tv_auktionshaus.auctions where id>=1000"),
            "100");
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.accountpos"), "100");
  EXPECT_EQ(orphan_fees(), "0");
  EXPECT_EQ(single("select value from tv_auktionshaus.numbers where id=1"), "1100");
  EXPECT_EQ(mails().size(), 4u);
}

// A send-all the file server breaks off at the fourth of ten articles: the message, the protocol
// and the one mail pair name the three listed and the seven not; after a restart (tables and
// memory read back, the grid sorted) the next run asks and lists only the seven, nothing twice.
TEST_F(SendTest, ARunThatBreaksOffNamesWhatWasListedAndTheNextSendsOnlyTheOthers) {
  const std::string memory = (folder_ / "eingestellt.txt").string();
  for (int i = 1; i <= 10; ++i) add_article("Artikel " + std::to_string(i));
  fs::create_directories(fs::path(ftp_root()) / "1003_2.jpg");
  {
    ListedRows listed(memory);
    listed.load();
    EXPECT_FALSE(sender(service_config(), web_ok(), &listed).send_all());
  }
  std::vector<std::string> summary = {"Eingestellt: 3 von 10 Artikeln", "Auktion 1000: Artikel 1",
                                      "Auktion 1001: Artikel 2", "Auktion 1002: Artikel 3",
                                      "Nicht eingestellt: 7 von 10 Artikeln"};
  for (int i = 4; i <= 10; ++i) summary.push_back("Artikel " + std::to_string(i));
  std::string joined;
  for (const auto& line : summary) joined += "\n" + line;
  ASSERT_EQ(rec_.shown.size(), 1u);
  EXPECT_EQ(rec_.shown[0].rfind("FTP-Server", 0), 0u) << rec_.shown[0];
  EXPECT_NE(rec_.shown[0].find(joined + "\n\nDas Upload-Protokoll der eingestellten Artikel "
                                        "wurde per E-Mail versendet."),
            std::string::npos)
      << rec_.shown[0];
  const auto& lines = protocol_.lines();
  EXPECT_NE(std::search(lines.begin(), lines.end(), summary.begin(), summary.end()), lines.end());
  EXPECT_EQ(single("select group_concat(id order by id) from tv_auktionshaus.auctions "
                   "where id>=1000"),
            "1000,1001,1002");
  EXPECT_EQ(orphan_fees(), "0");
  std::vector<Mail> sent = mails();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].rcpt_to, std::vector<std::string>{kSellerEmail});
  EXPECT_EQ(sent[1].rcpt_to, std::vector<std::string>{kMailAdmin});
  EXPECT_NE(sent[1].data.find("\r\nAuktion 1002: Artikel 3\r\nNicht eingestellt: 7 von 10"),
            std::string::npos);

  // Restart: the upload table from its file in another order, the memory from its own.
  const std::string table = (folder_ / "upload_db.xml").string();
  store::save_table(uploads_, table);
  uploads_.replace_all({});
  store::load_table(uploads_, table);
  uploads_.sort(store::SortKind::Descending, store::F::Artikelname);
  fs::remove_all(fs::path(ftp_root()) / "1003_2.jpg");
  clear_mail();
  rec_ = Recorder();
  rec_.choices = {0};  // only the others
  {
    ListedRows listed(memory);
    listed.load();
    EXPECT_TRUE(sender(service_config(), web_ok(), &listed).send_all())
        << (rec_.shown.empty() ? "" : rec_.shown.back());
  }
  EXPECT_EQ(rec_.shown, std::vector<std::string>{
                            "3 von 10 Artikeln wurden bereits eingestellt (in der Upload-Tabelle "
                            "markiert). Welche Artikel sollen gesendet werden?"});
  EXPECT_EQ(protocol_.lines()[0], "7 - Artikel zum Upload gefunden");
  EXPECT_EQ(single("select concat(count(*), ' ', count(distinct title)) from "
                   "tv_auktionshaus.auctions where id>=1000"),
            "10 10");
  EXPECT_EQ(mails().size(), 2u);

  // Everything listed: a run answered "nothing" sends nothing; one article asks on its own.
  ListedRows listed(memory);
  listed.load();
  rec_ = Recorder();
  auto log = general_log_mark();
  EXPECT_FALSE(sender(service_config(), web_ok(), &listed).send_all());
  EXPECT_EQ(rec_.shown, std::vector<std::string>{"10 von 10 Artikeln wurden bereits eingestellt "
                                                 "(in der Upload-Tabelle markiert). Noch einmal "
                                                 "einstellen?"});
  uploads_.move_to(3);
  rec_ = Recorder();
  EXPECT_FALSE(sender(service_config(), web_ok(), &listed).send_marked());
  ASSERT_EQ(rec_.shown.size(), 1u);
  EXPECT_TRUE(std::regex_match(rec_.shown[0],
                               std::regex(R"(Dieser Artikel wurde am \d\d\.\d\d\.\d{4} )"
                                          R"(\d\d:\d\d:\d\d als Auktion 10\d\d eingestellt\. )"
                                          R"(Noch einmal einstellen\?)")))
      << rec_.shown[0];
  EXPECT_TRUE(queries_since(log).empty());
  // On purpose: the same article once more.
  rec_ = Recorder();
  rec_.answers = {ports::Answer::Yes};
  EXPECT_TRUE(sender(service_config(), web_ok(), &listed).send_marked());
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.auctions where id>=1000"), "11");
  EXPECT_EQ(listed.listings().size(), 11u);
}

// The run killed (SIGKILL) at points all through it, right after an article's commit among
// them: every auction the house holds is in the memory's file, and a next run that sends only
// the others lists nothing twice.
TEST_F(SendTest, ARunKilledAnywhereNeverForgetsALiveListing) {
  for (int i = 1; i <= 4; ++i) add_article("Artikel " + std::to_string(i), "7", "");
  const std::string memory = (folder_ / "eingestellt.txt").string();
  db_.close();
  struct KillPoint {
    int line;     // killed when the protocol has this many lines (0: never)
    int advance;  // killed when this article is done, after its commit (0: never)
  };
  for (const KillPoint k : {KillPoint{3, 0}, {6, 0}, {12, 0}, {21, 0}, {33, 0}, {0, 2}}) {
    SCOPED_TRACE(std::to_string(k.line) + "/" + std::to_string(k.advance));
    reset_data();
    fs::remove(memory);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      struct Killer : ports::Progress {
        KillPoint at;
        int advances = 0;
        void start(std::size_t) override {}
        void advance(std::size_t) override {
          if (++advances == at.advance) raise(SIGKILL);
        }
        void finish() override {}
      } killer;
      killer.at = k;
      auto kill_at_line = protocol_.on_change([&](const Protocol::Change&) {
        if (static_cast<int>(protocol_.size()) == k.line) raise(SIGKILL);
      });
      ListedRows listed(memory);
      if (test::connect_app(db_)) {
        Sender s(SendSetup{db_,
                           uploads_,
                           rows_,
                           rec_,
                           protocol_,
                           &killer,
                           {},
                           service_config(),
                           active_seller(),
                           std::string("http://") + host() + "/",
                           folder_.string() + "/",
                           {1500, 3000, 3000},
                           &listed});
        s.send_all();
      }
      _exit(3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

    ListedRows listed(memory);
    listed.load();
    std::set<std::string> remembered;
    for (const Listing& l : listed.listings()) remembered.insert(l.auction_number);
    auto live = admin_query("select id from tv_auktionshaus.auctions where id>=1000");
    for (const auto& row : live) EXPECT_EQ(remembered.count(*row[0]), 1u) << *row[0];
    // At most the article whose commit was under way is remembered without its auction.
    EXPECT_LE(remembered.size(), live.size() + 1);
    if (k.advance) {
      EXPECT_EQ(live.size(), 2u);
    }
  }

  // After the last of them: only the others go, and nothing is listed twice.
  ASSERT_TRUE(test::connect_app(db_));
  ListedRows listed(memory);
  listed.load();
  rec_ = Recorder();
  rec_.choices = {0};
  EXPECT_TRUE(sender(service_config(), web_ok(), &listed).send_all());
  EXPECT_EQ(single("select concat(count(*), ' ', count(distinct title)) from "
                   "tv_auktionshaus.auctions where id>=1000"),
            "4 4");
}

// The connection lost right after the article's commit reached the server, its answer never
// back: the listing is live, so it counts as listed in the protocol, the closing
// message, the mail and the memory, and the run goes on. When the auction house cannot even be
// asked afterwards, the article is named as unsure and stays remembered, never "not listed".
TEST_F(SendTest, ALostCommitAnswerCountsALiveListingAsListedAndAnUnanswerableCheckAsUnsure) {
  const std::string memory = (folder_ / "eingestellt.txt").string();
  for (bool reachable : {true, false}) {
    SCOPED_TRACE(reachable);
    reset_data();
    clear_mail();
    fs::remove(memory);
    uploads_.replace_all({});
    for (int i = 1; i <= 3; ++i) add_article("Artikel " + std::to_string(i), "7", "");
    DelayProxy proxy(host(), 0, host(), kSqlPort, std::chrono::milliseconds(0));
    db::ConnectParams params = app_account();
    params.host = proxy.host();
    params.port = static_cast<unsigned>(proxy.port());
    db_.set_params(params);
    ASSERT_TRUE(db_.connect() && db_.select_database(kAuctionDatabase)) << db_.last_error();
    // The session is encrypted, so its bytes tell nothing: the server's log tells when the
    // text that ends with the article's commit has reached it, and its answer is the one lost.
    const std::size_t log = general_log_mark();
    proxy.cut_answer_when(
        [log] {
          for (const LogEntry& e : general_log_entries_since(log))
            if (e.command == "Query" && e.text.ends_with("commit")) return true;
          return false;
        },
        !reachable);
    rec_ = Recorder();
    ListedRows listed(memory);
    const bool ok = sender(service_config(), web_ok(), &listed).send_all();
    ASSERT_TRUE(proxy.cut());
    const auto& lines = protocol_.lines();
    const auto has = [&](const std::string& start) {
      return std::any_of(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.rfind(start, 0) == 0; });
    };
    EXPECT_FALSE(has("Der Artikel wurde nicht eingestellt"));
    EXPECT_EQ(single("select count(*) from tv_auktionshaus.auctions where id=1000"), "1");
    ListedRows stored(memory);
    stored.load();
    std::vector<std::string> remembered;
    for (const Listing& l : stored.listings()) remembered.push_back(l.auction_number);
    std::vector<Mail> sent = mails();
    ASSERT_EQ(sent.size(), 2u);
    if (reachable) {
      EXPECT_TRUE(ok) << (rec_.shown.empty() ? "" : rec_.shown.back());
      EXPECT_TRUE(rec_.shown.empty());
      EXPECT_TRUE(has("Die Bestätigung des Abschlusses ging verloren ("));
      EXPECT_NE(std::find(lines.begin(), lines.end(), "Alle Artikel wurden eingestellt."),
                lines.end());
      EXPECT_EQ(remembered, (std::vector<std::string>{"1000", "1001", "1002"}));
      EXPECT_NE(sent[0].data.find("Auktion 1000 ist im Auktionshaus eingetragen und gilt als "
                                  "eingestellt."),
                std::string::npos);
    } else {
      EXPECT_FALSE(ok);
      ASSERT_EQ(rec_.shown.size(), 1u);
      const std::vector<std::string> summary = {
          "Eingestellt: 0 von 3 Artikeln", "Ungewiss (bitte im Auktionshaus prüfen): 1 von 3 Artikeln",
          "Auktion 1000: Artikel 1", "Nicht eingestellt: 2 von 3 Artikeln", "Artikel 2",
          "Artikel 3"};
      EXPECT_NE(std::search(lines.begin(), lines.end(), summary.begin(), summary.end()),
                lines.end());
      EXPECT_NE(rec_.shown[0].find("Ob Auktion 1000 eingestellt wurde, ist unbekannt"),
                std::string::npos)
          << rec_.shown[0];
      EXPECT_EQ(remembered, std::vector<std::string>{"1000"});
      EXPECT_NE(sent[0].data.find("\r\nAuktion 1000: Artikel 1\r\nNicht eingestellt: 2 von 3"),
                std::string::npos);
    }
  }
}

// A text longer than its column holds on this server is never cut without a word. A site whose
// description column is TEXT (64 KB, where the test house has MEDIUMTEXT): the column's length is
// read from the server, and a 73,511-character description stops the run before anything is
// written, the message naming the article, the field, its length and the limit.
TEST_F(SendTest, ATextLongerThanItsColumnOnThisServerStopsTheSendBeforeAnythingIsWritten) {
  struct Restore {
    ~Restore() {
      try {
        admin_exec("alter table tv_auktionshaus.auctions modify description MEDIUMTEXT NULL");
      } catch (...) {
      }
    }
  } restore;
  admin_exec("alter table tv_auktionshaus.auctions modify description TEXT NULL");
  add_article("Kurz");
  add_article("Lang");
  std::string description = "<p>";
  while (description.size() < 73511 - 4) description += "Ein langer Text. ";
  description.resize(73511 - 4);
  description += "</p>";
  uploads_.move_to(1);
  uploads_.set_text(store::F::Beschreibung, description);
  uploads_.post();
  auto log = general_log_mark();
  auto ftp_log = ftp_log_mark();
  EXPECT_FALSE(sender().send_all());
  ASSERT_EQ(rec_.shown.size(), 1u);
  EXPECT_EQ(rec_.shown[0].rfind("Der Artikel \"Lang\" hat Texte, die das Auktionshaus nur gekürzt "
                                "speichern würde:\nBeschreibung: 73511 Zeichen, das Auktionshaus "
                                "speichert höchstens 65535 Zeichen\n\nEs wurde nichts gesendet.",
                                0),
            0u)
      << rec_.shown[0];
  for (const std::string& q : queries_since(log)) EXPECT_EQ(q.rfind("select", 0), 0u) << q;
  EXPECT_TRUE(ftp_commands_since(ftp_log).empty());
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.auctions where id>=1000"), "0");
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.accountpos"), "0");
  EXPECT_TRUE(mails().empty());
}

// The second guard: a statement of the send that the server answers with a text cut to fit
// (here a title made longer than the one checked, after the check) counts as failed; the
// article's rows are rolled back, no picture moves, and the run says so.
TEST_F(SendTest, AStatementWhoseTextTheServerCutIsRolledBackAndReported) {
  struct Lengthening : ListingRows {
    ListingRows& real;
    explicit Lengthening(ListingRows& r) : real(r) {}
    FeeRows fee_rows(const store::Record& a, const ArticleContext& c) override {
      return real.fee_rows(a, c);
    }
    std::string auction_row(const store::Record& a, const ArticleContext& c) override {
      std::string row = real.auction_row(a, c);
      const std::string title = "'Passt knapp'";
      return row.replace(row.find(title), title.size(), "'" + std::string(300, 'x') + "'");
    }
  } lengthening(rows_);
  add_article("Passt knapp");
  auto ftp_log = ftp_log_mark();
  Sender s(SendSetup{db_,
                     uploads_,
                     lengthening,
                     rec_,
                     protocol_,
                     &rec_,
                     {},
                     service_config(),
                     active_seller(),
                     web_ok(),
                     folder_.string() + "/",
                     {1500, 3000, 3000}});
  EXPECT_FALSE(s.send_marked());
  ASSERT_EQ(rec_.shown.size(), 1u);
  EXPECT_EQ(rec_.shown[0].rfind("Datenbank: Eintrag der Auktion fehlgeschlagen: das Auktionshaus "
                                "hätte einen Text gekürzt (Data truncated for column 'title'",
                                0),
            0u)
      << rec_.shown[0];
  EXPECT_EQ(protocol_.lines().back(),
            "Der Artikel wurde nicht eingestellt, seine Gebühren wurden nicht gebucht.");
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.auctions where id>=1000"), "0");
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.accountpos"), "0");
  for (const std::string& c : ftp_commands_since(ftp_log)) EXPECT_NE(c.rfind("STOR", 0), 0u) << c;
  EXPECT_TRUE(mails().empty());
}

// Asked to stop (the window closing): the run ends between two articles, the ones listed are
// whole and mailed, the others untouched, and the caller hears every line it wrote.
TEST_F(SendTest, AStopRequestEndsTheRunBetweenTwoArticles) {
  for (int i = 1; i <= 3; ++i) add_article("Artikel " + std::to_string(i));
  struct StopAfterOne : SendEvents {
    std::vector<std::string> lines;
    std::vector<std::size_t> started;
    void protocol_line(const std::string& line) override { lines.push_back(line); }
    void article_started(std::size_t index) override { started.push_back(index); }
    bool stop_requested() override { return started.size() == 1; }
  } events;
  std::vector<store::Record> shown;
  for (std::size_t i = 0; i < uploads_.count(); ++i) shown.push_back(uploads_.row(i));
  auto job = prepare_send(shown, std::nullopt, true, nullptr, rec_, protocol_);
  ASSERT_TRUE(job);
  ListedRows listed((folder_ / "eingestellt.txt").string());
  const SendOutcome out = run_send(
      *job,
      {service_config(), active_seller(), web_ok(), folder_.string() + "/", {1500, 3000, 3000}},
      db_, rows_, &listed, events);
  EXPECT_FALSE(out.ok);
  EXPECT_TRUE(out.stopped);
  EXPECT_EQ(events.started, std::vector<std::size_t>{0});
  EXPECT_EQ(events.lines, out.lines);
  ASSERT_EQ(out.listed.size(), 1u);
  EXPECT_EQ(listed.listings().size(), 1u);
  EXPECT_EQ(single("select group_concat(title) from tv_auktionshaus.auctions where id>=1000"),
            "Artikel 1");
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.accountpos where auction_id<>1000"), "0");
  EXPECT_EQ(single("select min(value) from tv_auktionshaus.numbers"), "1001");
  EXPECT_EQ(out.error.rfind(std::string(kStoppedLine) + "\n\nEingestellt: 1 von 3 Artikeln", 0), 0u)
      << out.error;
  const std::vector<Mail> sent = mails();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_NE(sent[0].data.find("Nicht eingestellt: 2 von 3 Artikeln\r\nArtikel 2\r\nArtikel 3"),
            std::string::npos);
}

// A counter set back by hand: the number is in use, so nothing moves, on the file server or in
// the database.
TEST_F(SendTest, ANumberAlreadyTakenStopsTheSendBeforeAnyPictureMoves) {
  admin_exec("insert into tv_auktionshaus.auctions (id, user, title) values (1000, 43, 'belegt')");
  std::ofstream(fs::path(ftp_root()) / "1000_2.jpg", std::ios::binary) << "fremdes Bild";
  add_article("Neu");
  auto log = general_log_mark();
  auto ftp_log = ftp_log_mark();
  EXPECT_FALSE(sender().send_marked());
  ASSERT_EQ(rec_.shown.size(), 1u);
  EXPECT_EQ(rec_.shown[0].rfind("Die Auktionsnummer 1000 ist im Auktionshaus schon vergeben", 0),
            0u)
      << rec_.shown[0];
  EXPECT_EQ(read_file(fs::path(ftp_root()) / "1000_2.jpg"), "fremdes Bild");
  for (const std::string& c : ftp_commands_since(ftp_log)) EXPECT_NE(c.rfind("STOR", 0), 0u) << c;
  EXPECT_EQ(single("select group_concat(value) from tv_auktionshaus.numbers"),
            "1000,1000,1000,1000");
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.accountpos"), "0");
  EXPECT_EQ(single("select title from tv_auktionshaus.auctions where id=1000"), "belegt");
  for (const std::string& q : queries_since(log)) {
    EXPECT_NE(q.rfind("insert", 0), 0u) << q;
    EXPECT_NE(q.rfind("update", 0), 0u) << q;
  }
  EXPECT_TRUE(mails().empty());
}

// Taken by another program between the check and the insert: the refused auction row takes the
// article's fee rows back with it.
TEST_F(SendTest, ANumberTakenDuringTheSendTakesTheFeeRowsBack) {
  struct Racing : ListingRows {
    ListingRows& real;
    explicit Racing(ListingRows& r) : real(r) {}
    FeeRows fee_rows(const store::Record& a, const ArticleContext& c) override {
      return real.fee_rows(a, c);
    }
    std::string auction_row(const store::Record& a, const ArticleContext& c) override {
      admin_exec("insert into tv_auktionshaus.auctions (id, user, title) values (" +
                 c.auction_number + ", 43, 'schneller')");
      return real.auction_row(a, c);
    }
  } racing(rows_);
  add_article("Langsam");
  Sender s(SendSetup{db_,
                     uploads_,
                     racing,
                     rec_,
                     protocol_,
                     &rec_,
                     {},
                     service_config(),
                     active_seller(),
                     web_ok(),
                     folder_.string() + "/",
                     {1500, 3000, 3000}});
  EXPECT_FALSE(s.send_marked());
  ASSERT_EQ(rec_.shown.size(), 1u);
  EXPECT_EQ(rec_.shown[0].rfind("Datenbank: Eintrag der Auktion fehlgeschlagen: ", 0), 0u)
      << rec_.shown[0];
  EXPECT_EQ(protocol_.lines().back(),
            "Der Artikel wurde nicht eingestellt, seine Gebühren wurden nicht gebucht.");
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.accountpos"), "0");
  EXPECT_EQ(single("select title from tv_auktionshaus.auctions where id=1000"), "schneller");
}

// A run of all articles: every article's statements in order, and from the second article on
// they reach the server in three round trips (the first one reads the number before it can
// check it: four; the run reads the columns' lengths once before).
TEST_F(SendTest, EachArticleAfterTheFirstTakesThreeRoundTripsWithTheStatementsInTheirOrder) {
  for (int i = 1; i <= 3; ++i) add_article("Artikel " + std::to_string(i));
  auto log = general_log_mark();
  ASSERT_TRUE(sender().send_all()) << (rec_.shown.empty() ? "" : rec_.shown.back());

  std::vector<std::string> expected = {"select table_name, *"};
  for (int n = 1000; n <= 1002; ++n) {
    const std::string number = std::to_string(n), next = std::to_string(n + 1);
    const std::string fee =
        "insert into accountpos (id, re_nr, date, user_id, auction_id, auction_title, "
        "description, value, closed) values('','','*','42','" +
        number + "','Artikel " + std::to_string(n - 999) + "',";
    expected.insert(expected.end(),
                    {"start transaction", "select * from numbers where id=1 for update",
                     "select id from auctions where id='" + number + "'",
                     "update numbers set value='" + next + "' where (id<5)", "commit",
                     "start transaction", fee + "'Hervorhebung: Fettschrift','0.5','0')",
                     "show warnings", fee + "'Upload 2. Bild','0.1','0')", "show warnings",
                     "insert into auctions (*", "show warnings", "commit"});
  }
  // The start times differ, and the auction row is the row tests of its own check.
  std::vector<std::string> q = queries_since(log);
  for (std::string& statement : q) {
    statement = std::regex_replace(statement, std::regex("'[0-9.]+ [0-9:]+'"), "'*'");
    if (statement.rfind("insert into auctions (", 0) == 0) statement = "insert into auctions (*";
    if (statement.rfind("select table_name, ", 0) == 0) statement = "select table_name, *";
  }
  EXPECT_EQ(q, expected);

  std::vector<std::string> trips;
  for (const auto& e : general_log_entries_since(log))
    if (e.command == "Query" && e.text.rfind("SET SESSION sql_mode", 0) != 0)
      trips.push_back(e.text.substr(0, e.text.find(' ')));
  // Each round trip by its first word: the columns' lengths, once; the number read (and
  // checked); checked; the counter raised and committed with the article's start, fee rows and
  // auction row; the commit after the pictures.
  EXPECT_EQ(trips, (std::vector<std::string>{"select",                                    // once
                                             "start", "select", "update", "commit",  // 1000
                                             "start", "update", "commit",            // 1001
                                             "start", "update", "commit"}));         // 1002
}

// Another program's statement, run before the second article of a run; the run's lines.
struct BeforeSecondArticle : SendEvents {
  std::string sql;
  std::vector<std::string> lines;
  void protocol_line(const std::string& line) override { lines.push_back(line); }
  void article_started(std::size_t index) override {
    if (index == 1) admin_exec(sql);
  }
};

// Another program lists between two articles of a run: the number the run reads is the one it
// takes, checked and raised under the lock; the one it expected counts for nothing.
TEST_F(SendTest, AnotherProgramListingBetweenTwoArticlesIsSeenUnderTheLock) {
  struct Case {
    const char* name;
    const char* between;  // run by "another program" before the second article
    const char* listed;
    const char* counter;
    const char* error_start;  // empty: the run goes through
  };
  const Case cases[] = {
      {"counter moved on", "update tv_auktionshaus.numbers set value='2000'", "1000,2000", "2001",
       ""},
      {"expected number taken",
       "insert into tv_auktionshaus.auctions (id, user, title) values (1001, 43, 'fremd')", "1000",
       "1001", "Die Auktionsnummer 1001 ist im Auktionshaus schon vergeben"},
      {"counter moved onto a taken number", "update tv_auktionshaus.numbers set value='990'",
       "1000", "990", "Die Auktionsnummer 990 ist im Auktionshaus schon vergeben"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_data();
    clear_ftp();
    clear_mail();
    uploads_.replace_all({});
    add_article("Artikel 1");
    add_article("Artikel 2");
    BeforeSecondArticle events;
    events.sql = c.between;
    const SendOutcome out = send_all_with(events);
    EXPECT_EQ(out.ok, std::string(c.error_start).empty());
    EXPECT_EQ(out.error.rfind(c.error_start, 0), 0u) << out.error;
    EXPECT_EQ(single("select group_concat(id order by id) from tv_auktionshaus.auctions where "
                     "title like 'Artikel %'"),
              c.listed);
    EXPECT_EQ(single("select concat(min(value), max(value)) from tv_auktionshaus.numbers"),
              std::string(c.counter) + c.counter);
    EXPECT_EQ(orphan_fees(), "0");
    EXPECT_EQ(single("select count(*) from tv_auktionshaus.accountpos"),
              std::string(c.error_start).empty() ? "4" : "2");
  }
}

// A statement the server refuses in the middle of a batch: the article is not listed, nothing of
// it stays, and the message, the protocol and the counter are what one statement at a time
// gave. The faults are the server's own: a mode that makes the fee rows' empty id a real 0 (the
// second row is a duplicate), and the counter's row held by another session past the wait.
TEST_F(SendTest, AStatementRefusedInTheMiddleOfABatchLeavesNothingAndReportsAsEver) {
  const std::string mode = single("select @@GLOBAL.sql_mode");
  const std::string wait = single("select @@GLOBAL.innodb_lock_wait_timeout");
  struct Restore {
    std::string mode, wait;
    ~Restore() {
      try {
        admin_exec("rollback");
        admin_exec("set global sql_mode='" + mode +
                   "'; set global innodb_lock_wait_timeout=" + wait);
      } catch (...) {
      }
    }
  } restore{mode, wait};

  // A fee row refused: the number is taken, its first fee line written, then the failure.
  admin_exec("set global sql_mode='" + mode + ",NO_AUTO_VALUE_ON_ZERO'");
  add_article("Gebühr doppelt");
  auto ftp_log = ftp_log_mark();
  EXPECT_FALSE(sender().send_marked());
  admin_exec("set global sql_mode='" + mode + "'");
  const std::string refused =
      "Datenbank: Buchung der Gebühren fehlgeschlagen: Duplicate entry '0' for key 'PRIMARY'";
  EXPECT_EQ(rec_.shown, std::vector<std::string>{refused});
  const auto& lines = protocol_.lines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
            (std::vector<std::string>{
                "0.60 Euro: Gesamt Uploadkosten", std::string(62, '-'),
                "0.50 Euro: Hervorhebung: Fettschrift", "Fehler: " + refused,
                "Der Artikel wurde nicht eingestellt, seine Gebühren wurden nicht gebucht."}));
  EXPECT_EQ(lines[5], "Auktions-Nr: 1000");
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.accountpos"), "0");
  EXPECT_EQ(single("select count(*) from tv_auktionshaus.auctions where id>=1000"), "0");
  EXPECT_EQ(single("select min(value) from tv_auktionshaus.numbers"), "1001");
  for (const std::string& c : ftp_commands_since(ftp_log)) EXPECT_NE(c.rfind("STOR", 0), 0u) << c;
  EXPECT_TRUE(mails().empty());

  // The counter's row locked by another session while the second article of a run waits for
  // it: the first article stays listed and mailed, the second is named as not listed.
  reset_data();
  clear_mail();
  uploads_.replace_all({});
  add_article("Erster");
  add_article("Zweiter");
  rec_ = Recorder();
  admin_exec("set global innodb_lock_wait_timeout=1");
  BeforeSecondArticle events;
  events.sql = "start transaction; select * from tv_auktionshaus.numbers where id=1 for update";
  const SendOutcome out = send_all_with(events);
  admin_exec("rollback");
  const std::string timeout =
      "Datenbank: Vergabe der Auktionsnummer fehlgeschlagen: Lock wait timeout exceeded; try "
      "restarting transaction";
  EXPECT_EQ(out.error, timeout +
                           "\n\nEingestellt: 1 von 2 Artikeln\nAuktion 1000: Erster\nNicht "
                           "eingestellt: 1 von 2 Artikeln\nZweiter\n\nDas Upload-Protokoll der "
                           "eingestellten Artikel wurde per E-Mail versendet.");
  ASSERT_GE(events.lines.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(events.lines.end() - 7, events.lines.end()),
            (std::vector<std::string>{" ", "Fehler: " + timeout, " ",
                                      "Eingestellt: 1 von 2 Artikeln", "Auktion 1000: Erster",
                                      "Nicht eingestellt: 1 von 2 Artikeln", "Zweiter"}));
  EXPECT_EQ(single("select group_concat(id) from tv_auktionshaus.auctions where id>=1000"), "1000");
  EXPECT_EQ(single("select concat(min(value), max(value)) from tv_auktionshaus.numbers"),
            "10011001");
  EXPECT_EQ(orphan_fees(), "0");
  EXPECT_EQ(mails().size(), 2u);
}

// Characters Windows-1252 lacks would reach the auction house as "?": the article is stopped
// before the first statement, one article or all, with the field and the characters named.
TEST_F(SendTest, TextsTheAuctionHouseCannotHoldStopTheSendBeforeTheFirstStatement) {
  add_article("Vase");
  add_article(
      "\xC5\x81\xC3\xB3"
      "d\xC5\xBA Vase");  // Łódź
  uploads_.set_text(store::F::Untertitel,
                    "Gr\xC3\xBC\xC3\x9F"
                    "e \xE2\x9C\x93");  // Grüße ✓
  uploads_.post();
  auto log = general_log_mark();
  auto ftp_log = ftp_log_mark();
  for (bool all : {false, true}) {
    SCOPED_TRACE(all);
    rec_ = Recorder();
    uploads_.move_to(1);
    Sender s = sender();
    EXPECT_FALSE(all ? s.send_all() : s.send_marked());
    ASSERT_EQ(rec_.shown.size(), 1u);
    EXPECT_EQ(rec_.shown[0].rfind("Der Artikel \"\xC5\x81\xC3\xB3"
                                  "d\xC5\xBA Vase\" enthält "
                                  "Zeichen, die das Auktionshaus nicht speichern kann:\n"
                                  "Artikelname: \"\xC5\x81\", \"\xC5\xBA\"\n"
                                  "Untertitel: \"\xE2\x9C\x93\"\n\nEs wurde nichts gesendet.",
                                  0),
              0u)
        << rec_.shown[0];
  }
  EXPECT_TRUE(queries_since(log).empty());
  EXPECT_TRUE(ftp_commands_since(ftp_log).empty());
  EXPECT_TRUE(mails().empty());
  EXPECT_EQ(views_shown_, 0);
}

// Nobody to mail: the protocol and the closing message say so; one missing address is named in
// the copy the other one gets.
TEST_F(SendTest, ASendWithoutARecipientSaysSo) {
  add_article("Ohne Empfänger");
  const std::string none =
      "Das Upload-Protokoll wurde nicht per E-Mail versendet: weder der Verkäufer noch der "
      "Administrator des Auktionshauses hat eine E-Mail-Adresse.";
  auto config = service_config();
  config.mail_admin = "";
  auto seller = active_seller();
  seller.email = " ";
  EXPECT_TRUE(sender(config, web_ok(), nullptr, seller).send_marked());
  EXPECT_EQ(rec_.shown, std::vector<std::string>{none});
  EXPECT_EQ(protocol_.lines().back(), none);
  EXPECT_TRUE(mails().empty());

  rec_ = Recorder();
  EXPECT_TRUE(sender(service_config(), web_ok(), nullptr, seller).send_marked());
  EXPECT_TRUE(rec_.shown.empty());
  std::vector<Mail> sent = mails();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].rcpt_to, std::vector<std::string>{kMailAdmin});
  EXPECT_NE(sent[0].data.find(text::utf8_to_cp1252("\r\nDer Verkäufer hat keine E-Mail-Adresse; "
                                                   "das Upload-Protokoll geht nur an den "
                                                   "Administrator.\r\n")),
            std::string::npos);
}

// A framed description goes out as the preview shows it: the frame filled with the article's
// values, then the apostrophe rule; the memory of listings knows the row as the upload table
// holds it. A frame that is missing, or holds what the auction house cannot store, stops the
// send before the first statement.
TEST_F(SendTest, AFramedDescriptionIsSentFilledInAndCheckedLikeAnyText) {
  store::FrameFolder frames(folder_.string() + "/");
  frames.save("Shop",
              "<h1>{Artikelname}</h1>{Beschreibung}\n<p>Versand: {Versandpreis_1} EUR "
              "({Versand_1})</p><p>Händler's Widerrufsbelehrung</p>");
  add_article("Vase");
  uploads_.edit();
  uploads_.set_text(store::F::Beschreibung, store::with_frame("It's <b>blue</b>", "Shop"));
  uploads_.set_text(store::F::Versandpreis_1, "4.9");
  uploads_.set_text(store::F::Versand_1, "DHL");
  uploads_.post();
  const std::string memory = (folder_ / "eingestellt.txt").string();
  const auto send = [&](ListedRows* listed) {
    return Sender(SendSetup{db_,
                            uploads_,
                            rows_,
                            rec_,
                            protocol_,
                            &rec_,
                            [] {},
                            service_config(),
                            active_seller(),
                            web_ok(),
                            folder_.string() + "/",
                            {1500, 3000, 3000},
                            listed,
                            &frames})
        .send_marked();
  };
  {
    ListedRows listed(memory);
    ASSERT_TRUE(send(&listed)) << (rec_.shown.empty() ? "" : rec_.shown[0]);
  }
  EXPECT_EQ(single("select description from tv_auktionshaus.auctions where id=1000"),
            "<h1>Vase</h1>It\xC2\xB4s <b>blue</b>\r\n<p>Versand: 4.90 EUR (DHL)</p>"
            "<p>Händler\xC2\xB4s Widerrufsbelehrung</p>");
  {
    ListedRows listed(memory);
    listed.load();
    rec_ = Recorder();
    EXPECT_FALSE(send(&listed));
    ASSERT_EQ(rec_.shown.size(), 1u);
    EXPECT_NE(rec_.shown[0].find("als Auktion 1000 eingestellt. Noch einmal"), std::string::npos);
  }

  auto log = general_log_mark();
  struct Case {
    std::string frame, html, message;
  } cases[] = {
      {"Weg", "", "Vase: Die Vorlage \"Weg\" der Beschreibung fehlt"},
      {"Kaputt", "{Beschreibung}{Versandkosten}",
       "Vase: Die Vorlage \"Kaputt\" der Beschreibung ist fehlerhaft: Die Vorlage enthält den "
       "Platzhalter {Versandkosten}"},
      {"Haken", "{Beschreibung} \xE2\x9C\x93", "Beschreibung: \"\xE2\x9C\x93\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    if (!c.html.empty()) test::write_file(frames.folder() + c.frame + ".html", c.html);
    uploads_.edit();
    uploads_.set_text(store::F::Beschreibung, store::with_frame("Text", c.frame));
    uploads_.post();
    rec_ = Recorder();
    EXPECT_FALSE(send(nullptr));
    ASSERT_EQ(rec_.shown.size(), 1u);
    EXPECT_NE(rec_.shown[0].find(c.message), std::string::npos) << rec_.shown[0];
    EXPECT_NE(rec_.shown[0].find("Es wurde nichts gesendet."), std::string::npos);
  }
  EXPECT_TRUE(queries_since(log).empty());
}

}  // namespace
}  // namespace tellvaro::upload
