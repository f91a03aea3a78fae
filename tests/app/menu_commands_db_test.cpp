// The menu items beyond views and files, and the category search, in the real main window
// against the test auction house.

#include <QLineEdit>
#include <QTableWidget>
#include <filesystem>

#include "app/account_windows.h"
#include "app/auction_house_case.h"
#include "app/auction_house_window.h"
#include "app/editor/category_page.h"
#include "app/account_commands.h"
#include "support/auction_house.h"

using namespace tellvaro;
using namespace tellvaro::test;

namespace {

struct Window {
  Fixture f;
  MainWindow* w = nullptr;
  explicit Window(const std::vector<store::Record>& articles = {}) {
    f.put(store::kArticleFile, articles);
    session::SessionUser seller = active_seller();
    seller.name = "Hans Händler";
    seller.password = kSellerPasswordHash;
    seller.city = "Köln";
    session::Deployment d = test_deployment();
    d.web_url = std::string("http://") + host() + "/";
    w = &f.open(service_config(), seller, d);
  }
  std::string shown() const {
    std::string all;
    for (const auto& s : f.dialogs.shown) all += s + "\n";
    return all;
  }
};

}  // namespace

class MenuCommandsDbTest : public AuctionHouseCase {
  Q_OBJECT

 private slots:
  void importMineShowsTheImportView();
  void articlesFromAndToAFile();
  void myDataShowsTheLoginsDataWithoutThePassword();
  void myBillsListsTheFeeRowsOrSaysWhyNot();
  void myMessagesIsDisabledWithAReason();
  void directTransferChecksCopiesAndSends();
  void categorySearchFillsTheChosenSlot();
};

void MenuCommandsDbTest::importMineShowsTheImportView() {
  Window win;
  win.w->menus().import_mine->trigger();
  verify_only(*win.w, MainWindow::View::Imports);
}

void MenuCommandsDbTest::articlesFromAndToAFile() {
  Window win(named({"Schon da"}));
  auto& w = *win.w;
  const auto& m = w.menus();
  const QStringList items = captions(m.article);
  QCOMPARE(items.indexOf(u("Artikel in eine Datei exportieren")),
           items.indexOf(u("Artikel aus einer Datei importieren")) + 1);

  const std::string in = win.f.folder + "in.csv";
  write_file(in,
             "Artikelname;Fettschrift;Startpreis\r\n"
             "\"Zündkerze; 4er\";True;2.5\r\nKaputt;True;zwei\r\n");
  win.f.dialogs.files.push_back(in);
  m.import_file->trigger();
  QCOMPARE(names_shown(win.f.store().articles),
           (std::vector<std::string>{"Schon da", "Zündkerze; 4er"}));
  // Posted through the window's fee rule: bold type costs 0.50.
  QCOMPARE(win.f.store().articles.row(1)[store::index_of(store::F::Gebuehr)],
           store::Value::amount(0.5));
  QVERIFY2(win.shown().find("1 Artikel wurde importiert.") != std::string::npos,
           win.shown().c_str());
  QVERIFY(win.shown().find("Zeile 3, Spalte 3 (Startpreis)") != std::string::npos);

  win.f.dialogs.shown.clear();
  win.f.dialogs.files.push_back(std::nullopt);  // cancelled: nothing happens
  m.import_file->trigger();
  QVERIFY(win.f.dialogs.shown.empty());

  const std::string out = win.f.folder + "out.csv";
  win.f.dialogs.files.push_back(win.f.folder + "out");  // typed without extension
  m.export_file->trigger();
  const std::string bytes = read_file(out);
  QVERIFY(
      bytes.starts_with("\xEF\xBB\xBF"
                        "Anzeigenart;"));
  QVERIFY(bytes.find("\"Zündkerze; 4er\"") != std::string::npos);
  QVERIFY(win.shown().find("2 Artikel wurden in die Datei") != std::string::npos);

  // An unreadable file adds nothing and says why.
  win.f.dialogs.shown.clear();
  write_file(in, "Artikelname;Preis\r\nA;1\r\n");
  win.f.dialogs.files.push_back(in);
  m.import_file->trigger();
  QCOMPARE(win.f.store().articles.count(), std::size_t(2));
  QVERIFY2(win.shown().find("\"Preis\" ist kein Feld") != std::string::npos, win.shown().c_str());
}

void MenuCommandsDbTest::myDataShowsTheLoginsDataWithoutThePassword() {
  Window win;
  win.w->menus().my_data->trigger();
  auto* data = win.w->accountCommands()->sellerDataWindow();
  QVERIFY(data && data->isVisible());
  QCOMPARE(data->windowTitle(), u("Meine Daten"));
  QLineEdit* mail = data->valueEdit(u("E-Mail:"));
  QVERIFY(mail && mail->isReadOnly());
  QCOMPARE(mail->text(), u(kSellerEmail));
  QCOMPARE(mail->accessibleName(), u("E-Mail"));
  QCOMPARE(mail->accessibleDescription(), u("users.email"));
  QCOMPARE(data->valueEdit(u("Ort:"))->text(), u("Köln"));
  for (auto* edit : data->findChildren<QLineEdit*>()) {
    QVERIFY(!edit->text().contains(u(kSellerPasswordHash)));
  }
  // A second call brings the same window forward.
  win.w->menus().my_data->trigger();
  QCOMPARE(win.w->accountCommands()->sellerDataWindow(), data);
}

void MenuCommandsDbTest::myBillsListsTheFeeRowsOrSaysWhyNot() {
  admin_exec(
      "insert into tv_auktionshaus.accountpos (re_nr, date, user_id, auction_id, auction_title, "
      "description, value, closed) values"
      " ('','2026-12-01 08:05:09',42,990,'Reifen','Fettschrift',0.50,0),"
      " ('','2026-12-09 10:00:00',42,991,'Felge','Untertitel',0.35,0),"
      " ('','2026-11-09 10:00:00',42,992,'Alt','Mindestpreis',2.00,0),"
      " ('','2026-12-09 10:00:00',43,993,'Fremd','Fettschrift',9.99,0)");
  Window win;
  win.w->menus().my_bills->trigger();
  // Read off the window's thread.
  QTRY_VERIFY(win.w->accountCommands()->feeStatementWindow());
  auto* bills = win.w->accountCommands()->feeStatementWindow();
  QVERIFY(bills->isVisible());
  QCOMPARE(bills->windowTitle(), u("Meine Rechnungen"));
  QCOMPARE(bills->rowsTable()->rowCount(), 3);
  QCOMPARE(bills->rowsTable()->item(0, 2)->text(), u("Felge"));
  QCOMPARE(bills->rowsTable()->item(0, 4)->text(), u("0.35"));
  QCOMPARE(bills->monthsTable()->rowCount(), 2);
  QCOMPARE(bills->monthsTable()->item(0, 0)->text(), u("Dezember 2026"));
  QCOMPARE(bills->monthsTable()->item(0, 1)->text(), u("0.85"));
  QCOMPARE(bills->totalLabel()->text(), u("2.85 €"));
  QVERIFY(win.f.dialogs.shown.empty());

  bills->close();
  win.f.ws->disconnect();
  win.w->menus().my_bills->trigger();
  QTRY_VERIFY2(win.shown().find("Die Rechnungen konnten nicht gelesen werden.") != std::string::npos,
               win.shown().c_str());
}

void MenuCommandsDbTest::myMessagesIsDisabledWithAReason() {
  Window win;
  QAction* messages = win.w->menus().my_messages;
  QVERIFY(!messages->isEnabled());
  QCOMPARE(messages->toolTip(), u("Das Auktionshaus bietet diesem Programm keine Nachrichten an."));
  QVERIFY(win.w->menus().user->toolTipsVisible());
}

void MenuCommandsDbTest::directTransferChecksCopiesAndSends() {
  auto incomplete = complete_article("Ohne Beschreibung");
  store::at(incomplete, store::F::Beschreibung) = store::Value();
  Window win({incomplete, complete_article("Sommerreifen")});
  auto& w = *win.w;
  QAction* direct = w.articleView()->directAction();

  win.f.store().articles.first();
  direct->trigger();
  QCOMPARE(win.f.dialogs.shown,
           (std::vector<std::string>{"Bitte die Artikel-Beschreibung eigeben."}));
  QCOMPARE(w.articleView()->editor()->tabText(w.articleView()->editor()->currentIndex()),
           u("Beschreibung"));
  QCOMPARE(win.f.store().uploads.count(), std::size_t(0));
  QCOMPARE(admin_query("select count(*) from tv_auktionshaus.auctions")[0][0].value(),
           std::string("4"));

  win.f.dialogs.shown.clear();
  win.f.store().articles.last();
  direct->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(!win.f.ws->busy(), 60000);  // the send runs on its own thread
  QCOMPARE(win.f.store().uploads.count(), std::size_t(1));
  QVERIFY2(
      win.shown().find("Sommerreifen wurde in die Upload-Tabelle übertragen.") != std::string::npos,
      win.shown().c_str());
  QCOMPARE(w.currentView(), MainWindow::View::Protocol);
  auto rows = admin_query("select title, user from tv_auktionshaus.auctions where id = 1000");
  QCOMPARE(rows.size(), std::size_t(1));
  QCOMPARE(rows[0][0].value(), std::string("Sommerreifen"));
  QCOMPARE(rows[0][1].value(), std::string(kSellerId));
}

void MenuCommandsDbTest::categorySearchFillsTheChosenSlot() {
  Window win(named({"Winterreifen"}));
  auto& w = *win.w;
  auto* page = w.findChild<app::CategoryPage*>();
  QVERIFY(page);
  QCOMPARE(page->searchEdit()->accessibleName(), u("Suchen"));
  auto* results = page->searchResults();

  page->searchEdit()->setText(u("REIFEN"));
  QTRY_COMPARE(results->count(), 3);
  QCOMPARE(results->item(0)->text(), u("Auto & Motorrad > Autoteile > Reifen"));
  QVERIFY(!(results->item(0)->flags() & Qt::ItemIsEnabled));  // has sub-categories
  QCOMPARE(results->item(2)->text(), u("Auto & Motorrad > Autoteile > Reifen > Winterreifen"));

  // By keyboard: Down goes to the first leaf, Down once more, Enter takes it.
  QTest::keyClick(page->searchEdit(), Qt::Key_Down);
  QCOMPARE(results->currentRow(), 1);
  QTest::keyClick(results, Qt::Key_Down);
  QCOMPARE(results->currentRow(), 2);
  QTest::keyClick(results, Qt::Key_Return);
  auto& a = win.f.store().articles;
  QCOMPARE(a.state(), store::EditState::Browse);
  QCOMPARE(a.text(store::F::Kategorie),
           std::string("Auto & Motorrad > Autoteile > Reifen > Winterreifen"));
  QCOMPARE(a.text(store::F::Kategorie_Nummer), std::string("1112"));
  QCOMPARE(a.text(store::F::Kategorie4), std::string("Winterreifen"));
  QCOMPARE(a.text(store::F::Kategorie_2), std::string(""));

  // Too short to search: the list empties after the pause instead of asking the server.
  QCOMPARE(results->count(), 3);
  page->searchEdit()->setText(u("re"));
  QTRY_COMPARE(results->count(), 0);
}

QTEST_MAIN(MenuCommandsDbTest)
#include "menu_commands_db_test.moc"
