// The whole journey through the real windows against the test auction house: log in, write an
// article, check and transfer it, send it, import the seller's current auctions and take the
// imported article back; what comes back must be what was typed, apart from what the auction
// house stores differently on purpose.

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>
#include <map>

#include "app/auction_house_case.h"
#include "app/auction_house_window.h"
#include "app/login_window.h"
#include "app/program_start.h"
#include "app/send_commands.h"
#include "app/table_grid.h"
#include "support/widgets.h"
#include "upload/transfer.h"

using namespace tellvaro;
using namespace tellvaro::test;

namespace {


}  // namespace

class JourneyDbTest : public AuctionHouseCase {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
  void writeSendImportAndTakeBack();
};

void JourneyDbTest::writeSendImportAndTakeBack() {
  QTemporaryDir folder;
  ScriptedDialogs dialogs;
  session::Deployment deployment = session::Deployment::built_in();
  deployment.directory_host = host();
  deployment.web_url = std::string("http://") + host() + "/";
  // The way of the program's own entry; the workspace outlives the window.
  std::unique_ptr<workspace::Workspace> ws;
  app::LoginWindow login(deployment, folder.path().toStdString() + "/", dialogs,
                         app::main_window_preparation(dialogs, ws));
  login.show();
  named<QLineEdit>(login, u("Benutzer"))->setText(u(kSellerNick));
  QTest::keyClicks(named<QLineEdit>(login, u("Passwort")), u(kSellerPassword));
  QSignalSpy logged_in(&login, &app::LoginWindow::loginEnded);
  button(login, u("Einloggen"))->click();
  QVERIFY(logged_in.wait(20000));
  auto* w = qobject_cast<MainWindow*>(login.mainWindow());
  QVERIFY2(w, dialogs.shown.empty() ? "kein Hauptfenster" : dialogs.shown[0].c_str());
  w->show();

  // --- the article, typed into the editor -------------------------------------------------
  app::ArticleEditor* editor = w->articleView()->editor();
  auto* pages = qobject_cast<QTabWidget*>(static_cast<QWidget*>(editor));
  QVERIFY(pages);
  auto show_page_of = [&](QWidget* control) {
    for (int i = 0; i < pages->count(); ++i) {
      if (pages->widget(i)->isAncestorOf(control)) pages->setCurrentIndex(i);
    }
  };
  auto type = [&](store::F field, const char* text) {
    QWidget* control = bound<QWidget>(*editor, field);
    QVERIFY2(control, store::name_of(field).data());
    show_page_of(control);
    if (auto* combo = qobject_cast<QComboBox*>(control)) control = combo->lineEdit();
    control->setFocus();
    QTest::keyClicks(control, QString::fromUtf8(text));
    editor->commitPendingEdits();
  };
  type(store::F::Artikelname, "Reisekoffer mit Rollen");
  type(store::F::Untertitel, "fast neu");
  type(store::F::Auktionsdauer, "7");
  type(store::F::location_zip, "10115");
  type(store::F::location, "Berlin");
  type(store::F::Startpreis, "12.5");
  type(store::F::Sofortkauf, "40");
  type(store::F::Beschreibung, "Koffer's Rollen laufen, Griff's neu.");
  type(store::F::Versand_1, "DHL Paket");
  type(store::F::Versandpreis_1, "5.99");
  auto* paid = bound<QCheckBox>(*editor, store::F::p1);
  QVERIFY(paid);
  show_page_of(paid);
  paid->click();
  // Category "Bücher" from the browser.
  pages->setCurrentIndex(3);
  button(*editor, u("Kategorie ändern"))->click();
  auto* chooser = named<QComboBox>(*editor, u("Kategorie Ebene 1"));
  QVERIFY(chooser);
  chooser->setCurrentIndex(1);
  emit chooser->activated(1);
  button(*editor, u("Speichern"))->click();
  // The picture as attaching leaves it: the file in the picture folder, its name in Bild1.
  const std::string picture("\xff\xd8\xff\xe0 Koffer\0\r\n", 13);
  write_file(ws->picture_folder() + "koffer.jpg", picture);
  store::Table& articles = ws->store().articles;
  articles.set_text(store::F::Bild1, "koffer.jpg");
  articles.post();
  QCOMPARE(articles.count(), std::size_t(1));
  const store::Record typed = articles.row(0);
  QCOMPARE(store::at(typed, store::F::Kategorie_Nummer), store::Value::text("4"));
  QCOMPARE(store::at(typed, store::F::p1), store::Value::flag(true));

  // --- check, transfer, send ----------------------------------------------------------------
  auto* grid = w->articleView()->grid();
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                     grid->visualRect(grid->model()->index(0, 0)).center());
  QVERIFY2(ws->store().uploads.count() == 1,
           qPrintable(QString::fromStdString(dialogs.shown.empty() ? "" : dialogs.shown.back())));
  dialogs.shown.clear();
  w->showView(MainWindow::View::Uploads);
  w->uploadView()->sendOneButton()->click();
  QTRY_VERIFY_WITH_TIMEOUT(!ws->busy(), 60000);  // the send runs on its own thread
  QVERIFY2(dialogs.shown.empty(), dialogs.shown.empty() ? "" : dialogs.shown[0].c_str());
  QCOMPARE(admin_query("select title from tv_auktionshaus.auctions where id=1000")[0][0],
           std::optional<std::string>("Reisekoffer mit Rollen"));

  // --- import and take back -----------------------------------------------------------------
  std::filesystem::remove(ws->picture_folder() + "1000.jpg");
  w->menus().imports->trigger();
  app::ImportView* view = w->importView();
  QTRY_COMPARE(view->currentBox()->text(), u("3 Aktuelle Artikel importieren"));
  view->importButton()->click();
  QTRY_VERIFY_WITH_TIMEOUT(!ws->busy(), 60000);
  QVERIFY2(dialogs.shown.empty(), dialogs.shown.empty() ? "" : dialogs.shown[0].c_str());
  store::Table& imports = ws->store().imports;
  QCOMPARE(imports.count(), std::size_t(3));
  for (std::size_t i = 0; i < imports.count(); ++i) {
    if (imports.row(i)[store::index_of(store::F::Artikelname)] ==
        store::Value::text("Reisekoffer mit Rollen"))
      imports.move_to(i);
  }
  QCOMPARE(imports.text(store::F::Artikelname), std::string("Reisekoffer mit Rollen"));
  view->transferOneAction()->trigger();
  QCOMPARE(articles.count(), std::size_t(2));
  const store::Record back = articles.stored()[1];

  // What the round trip changes on purpose: the description's apostrophes, the codes of
  // choices left empty (their fallbacks come back as texts), the flags (null goes out as 0),
  // the category path (only the number travels), and the picture's name (the auction number).
  const std::map<store::F, store::Value> changed = {
      {store::F::Beschreibung, store::Value::text("Koffer´s Rollen laufen, Griff´s neu.")},
      {store::F::Anzeigenart, store::Value::text("Auktion")},
      {store::F::Sprache, store::Value::text("International / unabhängig")},
      {store::F::Masseinheit, store::Value::text("keine Angabe")},
      {store::F::Wiedereinstellen, store::Value::text("0 x")},
      {store::F::Zustand, store::Value::text("Siehe Beschreibung")},
      {store::F::Verhalten, store::Value::text("Ausblenden")},
      {store::F::minimum_preis_zeigen, store::Value::text("nicht erreicht")},
      {store::F::FSK_18, store::Value::text("nein")},
      {store::F::Preisvorschlag, store::Value::text("nein")},
      {store::F::Fettschrift, store::Value::flag(false)},
      {store::F::Textmarker, store::Value::flag(false)},
      {store::F::Top_Kategorie, store::Value::flag(false)},
      {store::F::international, store::Value::flag(false)},
      {store::F::Kategorie, store::Value()},
      {store::F::Bild1, store::Value::text("1000.jpg")},
  };
  QStringList differences;
  for (const store::F field : upload::copied_fields()) {
    const std::size_t i = store::index_of(field);
    const std::string key(store::name_of(field));
    const store::Value want = changed.count(field) ? changed.at(field) : typed[i];
    // A field left empty goes out as the empty text; the auction house keeps that as 0 in a
    // number column and as the empty text in a text column.
    const bool empty_stored =
        !changed.count(field) && typed[i].is_null() &&
        (back[i] == store::Value::text("") || back[i] == store::Value::text("0") ||
         back[i] == store::Value::amount(0) || back[i] == store::Value::small_int(0));
    if (back[i] != want && !empty_stored) {
      const auto& f = store::article_fields()[i];
      differences << QString::fromStdString(key + ": '" + store::to_text(typed[i], f) + "' -> '" +
                                            store::to_text(back[i], f) + "'");
    }
  }
  QVERIFY2(differences.isEmpty(), qPrintable(differences.join(u("; "))));
  QCOMPARE(read_file(ws->picture_folder() + "1000.jpg"), picture);
  // The article table's own hook worked the fee out again.
  QCOMPARE(store::at(back, store::F::Gebuehr), store::at(typed, store::F::Gebuehr));
  QVERIFY(dialogs.shown.empty());
  w->close();
}

QTEST_MAIN(JourneyDbTest)
#include "journey_db_test.moc"
