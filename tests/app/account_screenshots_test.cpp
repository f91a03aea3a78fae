// Pictures of the category search and of the windows "Meine Daten" and "Meine Rechnungen", for
// the documentation. Writes them only when TELLVARO_SCREENSHOTS names a folder, e.g.
//   TELLVARO_SCREENSHOTS=docs/screenshots QT_QPA_PLATFORM=offscreen ./account_screenshots_test
// The search needs the test auction house running.

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "app/account_windows.h"
#include "app/auction_house_window.h"
#include "app/editor/category_page.h"
#include "app/editor_fixture.h"
#include "support/auction_house.h"

using tellvaro::test::EditorFixture;
using namespace tellvaro;

class AccountScreenshots : public QObject {
  Q_OBJECT

 private slots:
  void grabWindows();
};

void AccountScreenshots::grabWindows() {
  QString folder = qEnvironmentVariable("TELLVARO_SCREENSHOTS");
  if (folder.isEmpty()) QSKIP("TELLVARO_SCREENSHOTS not set");
  QVERIFY(QDir().mkpath(folder));

  session::SessionUser seller{
      "42",    "haendler", "Hans Händler", "(nie gezeigt)", "0", "haendler@beispiel.example",
      "04109", "Leipzig",  "Deutschland"};
  app::SellerDataWindow data(seller);
  data.show();
  QCoreApplication::processEvents();
  QVERIFY(data.grab().save(QDir(folder).filePath("meine-daten.png")));

  catalogue::FeeStatement s;
  s.rows = {{"2026-12-09 14:05:09", "1003", "Winterreifen 205/55 R16", "Fettschrift", 50},
            {"2026-12-09 14:05:09", "1003", "Winterreifen 205/55 R16", "Mindestpreis", 200},
            {"2026-12-02 09:12:44", "1002", "Sommerreifen 195/65 R15", "Untertitel", 35},
            {"2026-11-28 18:30:00", "1001", "Münzsammlung Euro 2002", "Upload Bild 2", 10},
            {"2026-11-28 18:30:00", "1001", "Münzsammlung Euro 2002", "Top-Kategorie", 125}};
  s.months = {{"2026-12", 285}, {"2026-11", 135}};
  s.total_cents = 420;
  app::FeeStatementWindow bills(s);
  bills.show();
  QCoreApplication::processEvents();
  QVERIFY(bills.grab().save(QDir(folder).filePath("meine-rechnungen.png")));

  if (!test::auction_house_running()) QSKIP("test auction house not running: no search picture");
  test::reset_data();
  EditorFixture f(test::service_config());
  QVERIFY(f.connect());
  f.add_article({{store::F::Artikelname, "Winterreifen 205/55 R16 auf Stahlfelgen"}});
  f.open();
  f.editor->resize(900, 600);
  auto* page = f.editor->findChild<app::CategoryPage*>();
  f.editor->setCurrentWidget(page);
  page->searchEdit()->setText(QString::fromUtf8("reifen"));
  QTRY_COMPARE(page->searchResults()->count(), 3);
  page->searchResults()->setCurrentRow(2);
  QCoreApplication::processEvents();
  QVERIFY(f.editor->grab().save(QDir(folder).filePath("editor-kategorie-suche.png")));
}

QTEST_MAIN(AccountScreenshots)
#include "account_screenshots_test.moc"
