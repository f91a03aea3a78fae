// The import view against the test auction house: the counts in the captions, a run with its
// progress bar and what is disabled meanwhile, the grid afterwards, and the two transfers.

#include <QCheckBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "app/auction_house_case.h"
#include "app/auction_house_window.h"
#include "app/editor/article_editor.h"
#include "app/import_commands.h"
#include "app/record_navigator.h"
#include "app/status_progress.h"
#include "app/table_grid.h"
#include "app/view_article.h"

using namespace tellvaro;
using namespace tellvaro::test;

class ImportDbTest : public AuctionHouseCase {
  Q_OBJECT

 private slots:
  void viewCountsImportsWithProgressAndTransfers();
};

void ImportDbTest::viewCountsImportsWithProgressAndTransfers() {
  for (int i = 0; i < 4; ++i)
    admin_exec("insert into tv_auktionshaus.auctions (id, user, closed, title) values (" +
               std::to_string(1100 + i) + ", 42, 1, 'alt')");
  write_file(ftp_root() + "/990.jpg", "JPEG-Bytes");
  Fixture f;
  MainWindow& w = f.open(service_config(), active_seller());
  app::ImportView* view = w.importView();

  w.menus().imports->trigger();
  verify_only(w, MainWindow::View::Imports);
  // Counted off the window's thread.
  QTRY_COMPARE(view->currentBox()->text(), u("2 Aktuelle Artikel importieren"));
  QCOMPARE(view->expiredBox()->text(), u("5 Abgelaufene Artikel importieren"));
  QVERIFY(view->currentBox()->isChecked());
  QVERIFY(!view->expiredBox()->isChecked());

  // The window as it looks while the run goes on.
  struct Seen {
    bool taken = false, button = true, navigator = true, remove = true, bar = false;
    bool closed = true;
    int maximum = 0;
  } seen;
  // Taken when the progress bar appears, while the run goes on.
  struct OnShow : QObject {
    std::function<void()> look;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Show) look();
      return false;
    }
  } on_show;
  on_show.look = [&] {
    seen.taken = true;
    seen.button = view->importButton()->isEnabled();
    seen.navigator = view->navigator()->isEnabled();
    seen.remove = view->removeAllAction()->isEnabled();
    seen.bar = f.ws->busy();
    seen.maximum = w.statusProgress()->bar()->maximum();
    seen.closed = w.close();            // asks whether to stop; the script says no
    w.importCommands()->runImport();  // a second press while running starts nothing
  };
  w.statusProgress()->bar()->installEventFilter(&on_show);
  // In stored order the run's last record comes last, away from where the cursor starts.
  f.store().imports.sort(store::SortKind::Stored);
  view->importButton()->click();
  QTRY_VERIFY_WITH_TIMEOUT(!f.ws->busy(), 60000);
  QCOMPARE(f.dialogs.shown,
           std::vector<std::string>{"Es werden gerade Artikel importiert. Nach der laufenden "
                                    "Auktion anhalten und das Programm beenden?"});
  f.dialogs.shown.clear();
  QVERIFY(seen.taken);
  QVERIFY(!seen.button);
  QVERIFY(!seen.navigator);
  QVERIFY(!seen.remove);
  QVERIFY(seen.bar);
  QCOMPARE(seen.maximum, 2);
  QVERIFY(!seen.closed);

  QCOMPARE(view->grid()->model()->rowCount(), 2);
  // The grid stands on the last record the run brought, as after a walk through them.
  QCOMPARE(f.store().imports.position(), std::optional<std::size_t>(1));
  QVERIFY(!w.statusProgress()->bar()->isVisible());
  QCOMPARE(w.statusProgress()->bar()->value(), 2);
  QVERIFY(view->importButton()->isEnabled());
  QVERIFY(view->grid()->isEnabled());
  QVERIFY(!f.ws->busy());
  QCOMPARE(read_file(f.ws->picture_folder() + "990.jpg"), std::string("JPEG-Bytes"));
  // The picture the run left out, in sight of the import view and in the status list.
  const QString left_out = QString::fromUtf8(
      "Bild \"990_2.jpg\" der Auktion 990 nicht übernommen: Auf dem Bildserver nicht gefunden.");
  QListWidget* notes = view->notesList();
  QVERIFY(notes->isVisible());
  QCOMPARE(notes->count(), 1);
  QCOMPARE(notes->item(0)->text(), left_out);
  QListWidget* status = w.articleView()->editor()->connectionStatusList();
  QCOMPARE(status->item(status->count() - 1)->text(), left_out);
  // The captions show the counts of the view's opening, not of the run.
  QCOMPARE(view->currentBox()->text(), u("2 Aktuelle Artikel importieren"));

  // Both transfers, no question asked; the article table's own hook works out the fee.
  const int before = int(f.store().articles.count());
  auto& articles = f.store().articles;
  view->transferAllAction()->trigger();
  // Where a walk through them ends: the import grid on its last record, the editor on the last
  // new article; one more goes to the editor, too.
  QCOMPARE(f.store().imports.position(), std::optional<std::size_t>(1));
  QCOMPARE(articles.key(*articles.position()), articles.stored_keys().back());
  view->transferOneAction()->trigger();
  QCOMPARE(articles.key(*articles.position()), articles.stored_keys().back());
  QCOMPARE(int(f.store().articles.count()), before + 3);
  QCOMPARE(int(f.store().imports.count()), 2);
  QVERIFY(f.dialogs.shown.empty());
  for (std::size_t i = 0; i < f.store().articles.count(); ++i) {
    const store::Record& r = f.store().articles.row(i);
    if (store::at(r, store::F::Artikelname) != store::Value::text("Winterreifen 205/55 R16"))
      continue;
    // Fettschrift, Textmarker, Top-Kategorie, a subtitle, a minimum price: never nothing.
    QVERIFY(store::at(r, store::F::Gebuehr).as_amount().value_or(0) > 0);
  }
}

QTEST_MAIN(ImportDbTest)
#include "import_db_test.moc"
