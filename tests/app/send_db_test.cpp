// The two send buttons against the test auction house: the protocol view while and after a
// send runs, what is disabled meanwhile, and the progress bar of a run of all articles.

#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <memory>

#include "app/auction_house_case.h"
#include "app/auction_house_window.h"
#include "app/record_navigator.h"
#include "app/send_commands.h"
#include "app/status_progress.h"
#include "app/table_grid.h"
#include "app/view_protocol.h"
#include "support/auction_house.h"
#include "support/delay_proxy.h"
#include "upload/listed_rows.h"

using namespace tellvaro;
using namespace tellvaro::test;

namespace {

std::vector<store::Record> articles(int n) {
  std::vector<store::Record> out;
  for (int i = 0; i < n; ++i) {
    auto r = store::empty_record();
    auto set = [&](store::F f, const std::string& v) {
      store::at(r, f) = store::from_text(v, store::field_of(f));
    };
    set(store::F::Artikelname, "Artikel " + std::to_string(i + 1));
    set(store::F::Auktionsdauer, "7");
    set(store::F::Fettschrift, "True");
    set(store::F::Gebuehr, "0.6");
    set(store::F::Bild2, "bild.jpg");
    out.push_back(std::move(r));
  }
  return out;
}

QStringList lines(MainWindow& w) { return w.protocolView()->lines(); }

// What the window looked like at one pause of a running send.
struct Seen {
  bool taken = false;
  bool send_one = true, send_all = true, navigator = true, remove = true, bar = false;
  bool closed = true;
  int lines = 0;
  int second_clicks_sent = 0;
};

}  // namespace

class SendDbTest : public AuctionHouseCase {
  Q_OBJECT

 private slots:
  void sendAllShowsLinesProgressAndDisablesTheButtons();
  void sendMarkedAndAFailedSend();
  void theWindowKeepsWorkingDuringASlowSend();
  void closingDuringASendStopsAfterTheCurrentArticle();
  void aDemoArticleIsSentWithItsAmounts();
};

namespace {

struct Window {
  Fixture f;
  MainWindow* w = nullptr;
  explicit Window(int count, session::ServiceConfig config = service_config()) {
    f.put(store::kUploadFile, articles(count));
    write_file(f.path(store::kPictureFolder) + "bild.jpg", "JPEG-Bytes");
    session::Deployment d = test_deployment();
    d.web_url = std::string("http://") + host() + "/";
    w = &f.open(config, active_seller(), d);
    w->showView(MainWindow::View::Uploads);
  }
};

// The database 2 x `one_way` away: every statement of the window and of the send waits. The
// proxy needs the database's port, so it listens on a loopback address of its own.
std::unique_ptr<DelayProxy> slow_database(std::chrono::milliseconds one_way) {
  const std::string h = host();
  const std::string far = "127.0." + h.substr(h.rfind('.') + 1) + ".2";
  return std::make_unique<DelayProxy>(far, kSqlPort, h, kSqlPort, one_way);
}

std::string count_of(const std::string& sql) { return admin_query(sql)[0][0].value_or("NULL"); }

// Looks at the window while the send runs, once it shows `lines` protocol lines.
void watch(MainWindow& w, Seen& seen, int after_lines) {
  auto* timer = new QTimer(&w);
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, &w, [&w, &seen, after_lines, timer] {
    if (seen.taken || lines(w).size() < after_lines) return;
    seen.taken = true;
    timer->stop();
    auto* view = w.uploadView();
    seen.send_one = view->sendOneButton()->isEnabled();
    seen.send_all = view->sendAllButton()->isEnabled();
    seen.navigator = view->navigator()->isEnabled();
    seen.remove =
        view->removeAllAction()->isEnabled() || w.articleView()->transferAllAction()->isEnabled();
    seen.bar = w.statusProgress()->bar()->isVisible();
    seen.lines = int(lines(w).size());
    seen.closed = w.close();
    // A second click while the first send runs starts nothing.
    w.sendCommands()->sendAll();
  });
  timer->start();
}

}  // namespace

void SendDbTest::sendAllShowsLinesProgressAndDisablesTheButtons() {
  Window win(3);
  MainWindow& w = *win.w;
  Seen seen;
  watch(w, seen, 8);
  w.uploadView()->sendAllButton()->click();
  QTRY_VERIFY_WITH_TIMEOUT(!win.f.ws->busy(), 60000);

  QVERIFY(seen.taken);
  QVERIFY(!seen.send_one);
  QVERIFY(!seen.send_all);
  QVERIFY(!seen.navigator);
  QVERIFY(!seen.remove);
  QVERIFY(seen.bar);
  QVERIFY(!seen.closed);
  QVERIFY(seen.lines >= 8);

  // Closing asked whether to stop; the script said no.
  QCOMPARE(win.f.dialogs.shown,
           std::vector<std::string>{"Es werden gerade Artikel gesendet. Nach dem laufenden "
                                    "Artikel anhalten und das Programm beenden?"});
  win.f.dialogs.shown.clear();
  QCOMPARE(w.currentView(), MainWindow::View::Protocol);
  QStringList got = lines(w);
  QCOMPARE(got.first(), u("3 - Artikel zum Upload gefunden"));
  QCOMPARE(got.mid(got.size() - 4),
           QStringList({u("Alle Artikel wurden eingestellt."), u(" "), u(" "), u(" ")}));
  QCOMPARE(got.count(u("Neuer Artikel")), 3);
  // Exactly three auctions: the second click started nothing.
  QCOMPARE(admin_query("select count(*) from tv_auktionshaus.auctions where id>=1000")[0][0],
           std::optional<std::string>("3"));
  QCOMPARE(mails().size(), std::size_t(2));
  // The view follows the newest line; afterwards everything is back.
  auto* bar = w.protocolView()->list()->verticalScrollBar();
  QCOMPARE(bar->value(), bar->maximum());
  QVERIFY(!w.statusProgress()->bar()->isVisible());
  QCOMPARE(w.statusProgress()->bar()->value(), 3);
  QVERIFY(w.uploadView()->sendOneButton()->isEnabled());
  QVERIFY(w.uploadView()->sendAllButton()->isEnabled());
  QVERIFY(w.uploadView()->removeAllAction()->isEnabled());
  QVERIFY(!win.f.ws->busy());
  QCOMPARE(int(win.f.store().uploads.count()), 3);

  // The grid marks what was listed, with the number; sending again asks first (here: nothing).
  QAbstractItemModel* model = w.uploadView()->grid()->model();
  QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QString::fromUtf8("1 \u2714 1000"));
  QVERIFY(model->headerData(2, Qt::Vertical, Qt::ToolTipRole)
              .toString()
              .endsWith(u(" als Auktion 1002")));
  w.uploadView()->sendAllButton()->click();
  QCOMPARE(win.f.dialogs.shown.size(), std::size_t(1));
  QVERIFY(win.f.dialogs.shown[0].rfind("3 von 3 Artikeln wurden bereits eingestellt", 0) == 0);
  QCOMPARE(admin_query("select count(*) from tv_auktionshaus.auctions where id>=1000")[0][0],
           std::optional<std::string>("3"));
}

void SendDbTest::sendMarkedAndAFailedSend() {
  session::ServiceConfig bad = service_config();
  bad.ftp_password += "x";
  {
    Window win(2, bad);
    MainWindow& w = *win.w;
    w.uploadView()->sendOneButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!win.f.ws->busy(), 60000);
    QCOMPARE(win.f.dialogs.shown.size(), std::size_t(1));
    QVERIFY(win.f.dialogs.shown[0].rfind("FTP-Server", 0) == 0);
    QVERIFY(lines(w).last().startsWith(u("Fehler: FTP-Server")));
    QVERIFY(w.uploadView()->sendOneButton()->isEnabled());
    QVERIFY(!win.f.ws->busy());
  }
  Window win(2);
  MainWindow& w = *win.w;
  win.f.store().uploads.move_to(1);
  w.uploadView()->sendOneButton()->click();
  QTRY_VERIFY_WITH_TIMEOUT(!win.f.ws->busy(), 60000);
  QVERIFY2(win.f.dialogs.shown.empty(),
           win.f.dialogs.shown.empty() ? "" : win.f.dialogs.shown[0].c_str());
  QStringList got = lines(w);
  QCOMPARE(got.mid(0, 7),
           QStringList({u("1 - Artikel zum Upload gefunden"), u(" "), u(" "), u(" "),
                        u("Neuer Artikel"), u("Auktions-Nr: 1000"), u("Artikelname: Artikel 2")}));
  QVERIFY(got.contains(u("Sende Bild 2: bild.jpg")));
  QCOMPARE(got.last(), u(" "));
  QCOMPARE(got[got.size() - 4], u("Artikel wurde eingestellt."));
  QVERIFY(!w.statusProgress()->bar()->isVisible());
}

void SendDbTest::theWindowKeepsWorkingDuringASlowSend() {
  auto proxy = slow_database(std::chrono::milliseconds(10));
  session::ServiceConfig config = service_config();
  config.sql_host = proxy->host();
  Window win(20, config);
  MainWindow& w = *win.w;
  QPushButton* send_all = w.uploadView()->sendAllButton();

  // Started before the run: it must go on firing while the run is under way, and the window
  // must take the seller's reading and switching meanwhile.
  int ticks_while_busy = 0, article_steps_with_ticks = 0, ticks_at_last_step = -1;
  int disabled_clicks = 0;
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout, &w, [&] {
    if (!win.f.ws->busy()) return;
    ++ticks_while_busy;
    w.showView(ticks_while_busy % 2 ? MainWindow::View::Protocol : MainWindow::View::Uploads);
    w.protocolView()->list()->verticalScrollBar()->setValue(0);
    if (!send_all->isEnabled() && disabled_clicks < 3) {
      // A click on the disabled command is not kept for later either.
      QTest::mouseClick(send_all, Qt::LeftButton);
      ++disabled_clicks;
    }
  });
  QObject::connect(w.statusProgress()->bar(), &QProgressBar::valueChanged, &w, [&](int done) {
    if (done == 0) return;
    if (ticks_while_busy > ticks_at_last_step) ++article_steps_with_ticks;
    ticks_at_last_step = ticks_while_busy;
  });
  ticker.start();
  send_all->click();
  QVERIFY(win.f.ws->busy());
  QTRY_VERIFY_WITH_TIMEOUT(!win.f.ws->busy(), 110000);
  ticker.stop();

  QVERIFY2(win.f.dialogs.shown.empty(),
           win.f.dialogs.shown.empty() ? "" : win.f.dialogs.shown[0].c_str());
  QCOMPARE(disabled_clicks, 3);
  // The timer fired between every two articles, not only when the run paused.
  QCOMPARE(article_steps_with_ticks, 20);
  QCOMPARE(count_of("select count(*) from tv_auktionshaus.auctions where id>=1000"),
           std::string("20"));
  QCOMPARE(lines(w).count(u("Neuer Artikel")), 20);
  QVERIFY(send_all->isEnabled());
  // Nothing of the clicks arrives late: with every queued event delivered, no second run and no
  // question about a second run.
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  QVERIFY(!win.f.ws->busy());
  QVERIFY(win.f.dialogs.shown.empty());
  QCOMPARE(count_of("select count(*) from tv_auktionshaus.auctions where id>=1000"),
           std::string("20"));
  QCOMPARE(mails().size(), std::size_t(2));
}

void SendDbTest::closingDuringASendStopsAfterTheCurrentArticle() {
  auto proxy = slow_database(std::chrono::milliseconds(10));
  session::ServiceConfig config = service_config();
  config.sql_host = proxy->host();
  Window win(6, config);
  MainWindow& w = *win.w;
  const std::string memory = win.f.path(store::kListedFile);

  bool asked = false;
  bool closed_at_once = true;
  QObject::connect(w.statusProgress()->bar(), &QProgressBar::valueChanged, &w, [&](int done) {
    if (done != 2 || asked) return;
    asked = true;
    win.f.dialogs.answers = {ports::Answer::Yes};
    closed_at_once = w.close();
  });
  w.uploadView()->sendAllButton()->click();
  QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 60000);
  QVERIFY(asked);
  QVERIFY(!closed_at_once);  // the window waited for the article under way
  QVERIFY(!win.f.ws->busy());
  QCOMPARE(win.f.dialogs.shown,
           std::vector<std::string>{"Es werden gerade Artikel gesendet. Nach dem laufenden "
                                    "Artikel anhalten und das Programm beenden?"});

  // Stopped between two articles: what is listed is whole, what is not left no trace.
  const int listed =
      std::stoi(count_of("select count(*) from tv_auktionshaus.auctions where id>=1000"));
  QVERIFY2(listed >= 2 && listed < 6, std::to_string(listed).c_str());
  QCOMPARE(count_of("select count(*) from tv_auktionshaus.accountpos where auction_id not in "
                    "(select id from tv_auktionshaus.auctions)"),
           std::string("0"));
  QCOMPARE(count_of("select count(distinct auction_id) from tv_auktionshaus.accountpos"),
           std::to_string(listed));
  QCOMPARE(count_of("select min(value) from tv_auktionshaus.numbers"),
           std::to_string(1000 + listed));
  QCOMPARE(count_of("select count(*) from information_schema.innodb_trx"), std::string("0"));
  upload::ListedRows remembered(memory);
  remembered.load();
  QCOMPARE(int(remembered.listings().size()), listed);
  // The receipt of what was listed went out, naming what was not.
  const std::vector<Mail> sent = mails();
  QCOMPARE(sent.size(), std::size_t(2));
  QVERIFY(sent[0].data.find("Nicht eingestellt: " + std::to_string(6 - listed) + " von 6") !=
          std::string::npos);
  QCOMPARE(lines(w).count(u("Neuer Artikel")), listed);
  QVERIFY(
      lines(w).contains(u("Der Versand wurde auf Wunsch nach dem laufenden Artikel "
                          "angehalten.")));
  // The close sequence ran: the tables were saved.
  store::Table saved;
  store::load_table(saved, win.f.path(store::kUploadFile));
  QCOMPARE(saved.count(), std::size_t(6));
}

// On a German desktop the amounts reach the auction row and the fee rows as numbers with a point
// (a locale-bound text sent "1,2" for 120, which a lenient server stores as 1.00).
void SendDbTest::aDemoArticleIsSentWithItsAmounts() {
  Fixture f;
  write_file(f.path(store::kUploadFile), read_file(TELLVARO_DEMO_ARTICLES));
  session::Deployment d = test_deployment();
  d.web_url = std::string("http://") + host() + "/";
  MainWindow& w = f.open(service_config(), active_seller(), d);
  w.showView(MainWindow::View::Uploads);
  f.store().uploads.first();
  w.uploadView()->sendOneButton()->click();
  QTRY_VERIFY_WITH_TIMEOUT(!f.ws->busy(), 60000);
  QVERIFY2(f.dialogs.shown.empty(), f.dialogs.shown.empty() ? "" : f.dialogs.shown[0].c_str());
  const auto row = admin_query(
      "select minimum_bid, buynow, qm_versandkosten_1 from tv_auktionshaus.auctions "
      "where id=1000");
  QCOMPARE(row.size(), std::size_t(1));
  QCOMPARE(row[0][0], std::optional<std::string>("120.00"));
  QCOMPARE(row[0][1], std::optional<std::string>("180.00"));
  QCOMPARE(row[0][2], std::optional<std::string>("16.99"));
  // Fettschrift and Untertitel, at the test house's fees.
  const auto fees =
      admin_query("select description, value from tv_auktionshaus.accountpos order by id");
  QCOMPARE(fees.size(), std::size_t(2));
  QCOMPARE(fees[0][1], std::optional<std::string>("0.50"));
  QCOMPARE(fees[1][1], std::optional<std::string>("0.35"));
}

QTEST_MAIN(SendDbTest)
#include "send_db_test.moc"
