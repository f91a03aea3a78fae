// The main window against the test auction house: the connection lines of a good start, and a
// reference list that breaks start-up without breaking the window.

#include "app/auction_house_case.h"
#include "app/main_window_fixture.h"
#include "support/accounts.h"
#include "support/auction_house.h"

using namespace tellvaro;
using namespace tellvaro::test;

namespace {

session::ServiceConfig test_config() {
  session::ServiceConfig c;
  c.sql_host = host();
  c.sql_user = kAppUser;
  c.sql_password = sql_password();
  c.sql_database = kAuctionDatabase;
  c.tls = tls_policy();
  return c;
}

}  // namespace

class MainWindowDbTest : public AuctionHouseCase {
  Q_OBJECT

 private slots:
  void creationAgainstAuctionHouse();
  void referenceErrorEndsStartButWindowStays();
};

void MainWindowDbTest::creationAgainstAuctionHouse() {
  Fixture f;
  auto& w = f.open(test_config());
  QCOMPARE(f.statusLines().mid(0, 2), QStringList({u("Verbindung zu Server aufgebaut"),
                                                   u("Verbindung zu Daten-Bank hergestellt")}));
  QVERIFY(f.ws->db().connected());
  QVERIFY(w.close());
  QVERIFY(!f.ws->db().connected());
}

void MainWindowDbTest::referenceErrorEndsStartButWindowStays() {
  admin_exec("UPDATE features SET value = 'viel' WHERE description = 'Fettschrift'");
  Fixture f;
  f.put(store::kArticleFile, named({"Apfel"}));
  auto& w = f.open(test_config());
  // The fee that is no number is reported once; everything before it stands.
  QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
  QVERIFY2(f.dialogs.shown[0].find("viel") != std::string::npos, f.dialogs.shown[0].c_str());
  QCOMPARE(f.statusLines().mid(0, 2), QStringList({u("Verbindung zu Server aufgebaut"),
                                                   u("Verbindung zu Daten-Bank hergestellt")}));
  QCOMPARE(w.articleView()->sortLabel()->text(), u("Sortiert nach: Artikelname"));
  w.menus().uploads->trigger();
  verify_only(w, MainWindow::View::Uploads);
  QVERIFY(w.close());
  QCOMPARE(f.login.closes, 1);
}

QTEST_MAIN(MainWindowDbTest)
#include "main_window_db_test.moc"
