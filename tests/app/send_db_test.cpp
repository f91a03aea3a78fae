// The two send buttons against the test auction house: the protocol view while and after a
// send runs, what is disabled meanwhile, and the progress bar of a run of all articles.

#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <filesystem>

#include "app/auction_house_case.h"
#include "app/auction_house_window.h"
#include "app/record_navigator.h"
#include "app/send_controller.h"
#include "app/status_progress.h"
#include "app/table_grid.h"
#include "app/view_protocol.h"
#include "support/auction_house.h"

using namespace tellvaro;
using namespace tellvaro::test;

namespace {

std::vector<store::Record> articles(int n) {
  std::vector<store::Record> out;
  for (int i = 0; i < n; ++i) {
    auto r = store::empty_record();
    auto set = [&](const char* f, const std::string& v) {
      r[store::field_at(f)] = store::from_text(v, store::article_fields()[store::field_at(f)]);
    };
    set("Artikelname", "Artikel " + std::to_string(i + 1));
    set("Auktionsdauer", "7");
    set("Fettschrift", "True");
    set("Gebühr", "0.6");
    set("Bild2", "bild.jpg");
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

// Looks at the window from inside the send's first pause after `lines` protocol lines.
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
    w.sendController()->sendAll();
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

  QVERIFY(seen.taken);
  QVERIFY(!seen.send_one);
  QVERIFY(!seen.send_all);
  QVERIFY(!seen.navigator);
  QVERIFY(!seen.remove);
  QVERIFY(seen.bar);
  QVERIFY(!seen.closed);
  QVERIFY(seen.lines >= 8);

  QVERIFY2(win.f.dialogs.shown.empty(),
           win.f.dialogs.shown.empty() ? "" : win.f.dialogs.shown[0].c_str());
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

QTEST_MAIN(SendDbTest)
#include "send_db_test.moc"
