// Pictures of the seven editor pages with a demo article, for the documentation. Writes them only
// when TELLVARO_SCREENSHOTS names a folder, e.g.
//   TELLVARO_SCREENSHOTS=docs/screenshots QT_QPA_PLATFORM=offscreen ./editor_screenshots_test
// With the test auction house running, the reference lists and a category browse come from it.

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/editor_fixture.h"
#include "db/connection.h"
#include "support/auction_house.h"

using tellvaro::test::EditorFixture;
using namespace tellvaro;

class EditorScreenshots : public QObject {
  Q_OBJECT

 private slots:
  void grabPages();
};

void EditorScreenshots::grabPages() {
  QString folder = qEnvironmentVariable("TELLVARO_SCREENSHOTS");
  if (folder.isEmpty()) QSKIP("TELLVARO_SCREENSHOTS not set");
  QVERIFY(QDir().mkpath(folder));

  db::Connection db;
  bool live = test::auction_house_running();
  if (live) {
    test::reset_data();
    db.set_params(
        {test::host(), 3306, test::kAppUser, test::sql_password(), test::kAuctionDatabase, true});
    live = db.connect() && db.select_database(test::kAuctionDatabase);
  }
  EditorFixture f;
  f.add_article({{"Anzeigenart", "Auktion"},
                 {"Artikelname", "Winterreifen 205/55 R16 auf Stahlfelgen"},
                 {"Untertitel", "Satz mit vier Reifen, kaum gefahren"},
                 {"Sprache", "Deutschland / Deutsch"},
                 {"FSK 18", "nein"},
                 {"Zustand", "Leichte Gebrauchsspuren"},
                 {"Anzahl", "1"},
                 {"Einheiten", "4"},
                 {"Masseinheit", "keine Angabe"},
                 {"Auktionsdauer", "7"},
                 {"Wiedereinstellen", "1 x"},
                 {"Kategorie", "Auto & Motorrad > Autoteile > Reifen > Winterreifen"},
                 {"Kategorie Nummer", "1112"},
                 {"Kategorie 2", "Auto & Motorrad > Autoteile > Zubehör"},
                 {"Kategorie Nummer 2", "112"},
                 {"Artikelstatus", "bereit"},
                 {"Artikelgruppe", "Reifen"},
                 {"Artikelnummer", "WR-2026-17"},
                 {"Startpreis", "120"},
                 {"Sofortkauf", "220"},
                 {"Verhalten", "Ausblenden"},
                 {"Mindestpreis", "150"},
                 {"minimum_preis_zeigen", "nicht erreicht"},
                 {"Preisvorschlag", "ja"},
                 {"Preisvorschlag-Minimum", "180"},
                 {"Fettschrift", "True"},
                 {"location", "Leipzig"},
                 {"location_zip", "04109"},
                 {"country", "Deutschland"},
                 {"shipping", "1"},
                 {"international", "False"},
                 {"Versand_1", "DHL Packet (Inland)"},
                 {"Versandpreis_1", "14.9"},
                 {"Versand_2", "Abholung Vorort möglich"},
                 {"Versandpreis_2", "0"},
                 {"Bild1", "1001.jpg"},
                 {"Bild2", "1001_2.jpg"},
                 {"html_desc_1", "1"},
                 {"Beschreibung",
                  "<h2>Winterreifen 205/55 R16</h2>\n<p>Vier Reifen auf Stahlfelgen, Profil "
                  "6&nbsp;mm, DOT 2024.</p>\n<ul>\n  <li>Lastindex 91</li>\n  <li>Geschwindigkeit "
                  "H</li>\n</ul>"},
                 {"p1", "True"},
                 {"p4", "True"},
                 {"Info_1", "Reifen stehen im Keller, Regal 3."},
                 {"Info_2", "Käufer nach Abholtermin fragen."},
                 {"Mitglied", "haendler"},
                 {"Erstellt", "01.12.2026"},
                 {"Editiert", "09.12.2026"}});
  f.open(live ? &db : nullptr);
  f.editor->resize(720, 640);
  if (live) {
    f.editor->loadReferenceLists();
  } else {
    catalogue::FeatureFees fees;
    fees.fee = {0.5, 0.75, 1.25, 0.1, 0.2, 0.35, 2};
    f.editor->setFeatureFees(fees);
    catalogue::PaymentNames names;
    const char* shown[] = {"Überweisung", "Barzahlung bei Abholung", "Nachnahme", "PayPal"};
    for (std::size_t i = 0; i < 4; ++i) names.name[i] = shown[i];
    names.shown = 4;
    f.editor->setPaymentNames(names);
  }
  f.editor->connectionStatusList()->addItems(
      {"Verbindung zu Server aufgebaut", "Verbindung zu Daten-Bank hergestellt"});

  const char* files[] = {"artikel",   "beschreibung", "bilder", "kategorie",
                         "bezahlung", "gebueren",     "infos"};
  for (int page = 0; page < f.editor->count(); ++page) {
    f.editor->setCurrentIndex(page);
    if (live && page == 3) {
      // A browse in progress: three levels open.
      for (auto* b : f.editor->findChildren<QPushButton*>()) {
        if (b->text() == QString::fromUtf8("Kategorie ändern")) b->click();
      }
      auto* chooser = f.find<QComboBox>("Kategorie Ebene 1");
      int top = chooser->findText("Sammeln -->");
      chooser->setCurrentIndex(top);
      emit chooser->activated(top);
      for (auto [level, name] : {std::pair{2, "Münzen ->"}, std::pair{3, "Deutschland ->"}}) {
        auto* list = f.find<QListWidget>(QString("Kategorie Ebene %1").arg(level));
        auto found = list->findItems(QString::fromUtf8(name), Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        list->setCurrentItem(found[0]);  // chooses like the keyboard does
      }
    }
    QCoreApplication::processEvents();
    QString path = QDir(folder).filePath(QString("editor-%1.png").arg(files[page]));
    QVERIFY2(f.editor->grab().save(path), qPrintable(path));
  }
}

QTEST_MAIN(EditorScreenshots)
#include "editor_screenshots_test.moc"
