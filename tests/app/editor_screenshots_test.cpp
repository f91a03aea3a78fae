// Pictures of the seven editor pages with a demo article, for the documentation. Writes them only
// when TELLVARO_SCREENSHOTS names a folder, e.g.
//   TELLVARO_SCREENSHOTS=docs/screenshots QT_QPA_PLATFORM=offscreen ./editor_screenshots_test
// With the test auction house running, the reference lists and a category browse come from it.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <algorithm>
#include <cmath>

#include "app/editor/description_page.h"
#include "app/editor_fixture.h"
#include "app/web_engine.h"
#include "db/connection.h"
#include "media/image.h"
#include "support/temp_dir.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/web_view.h"

using tellvaro::test::EditorFixture;
using namespace tellvaro;

namespace {

// A demo photo: a dark tyre on a light floor, lit from one side; `turn` varies the view.
std::string tyre_photo(double turn) {
  media::Image image;
  image.width = 640;
  image.height = 480;
  image.rgb.resize(640 * 480 * 3);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      const double dx = (x - 320 - 60 * turn) / (1.0 - 0.3 * turn), dy = y - 240;
      const double r = std::sqrt(dx * dx + dy * dy);
      const double light = 0.75 + 0.25 * std::cos(std::atan2(dy, dx) - 0.8);
      double v[3] = {205 - y * 0.1, 200 - y * 0.1, 190 - y * 0.12};  // floor
      if (r < 200 && r >= 110) {                                     // rubber with tread
        const double tread = (static_cast<int>(std::atan2(dy, dx) * 40) % 2) ? 38 : 30;
        v[0] = v[1] = v[2] = tread * light;
      } else if (r < 110) {  // steel rim
        const double rim = (r > 95 || (r < 30 && r > 20)) ? 120 : 165;
        v[0] = rim * light, v[1] = rim * light, v[2] = (rim + 10) * light;
      }
      std::uint8_t* p = image.row(y) + x * 3;
      for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(std::clamp(v[c], 0.0, 255.0));
    }
  }
  return media::encode_jpeg(image, 85);
}

}  // namespace

class EditorScreenshots : public QObject {
  Q_OBJECT

 private slots:
  void grabPages();
};

void EditorScreenshots::grabPages() {
  QString folder = qEnvironmentVariable("TELLVARO_SCREENSHOTS");
  if (folder.isEmpty()) QSKIP("TELLVARO_SCREENSHOTS not set");
  QVERIFY(QDir().mkpath(folder));

  bool live = test::auction_house_running();
  session::ServiceConfig config;
  if (live) {
    test::reset_data();
    config.sql_host = test::host();
    config.sql_user = test::kAppUser;
    config.sql_password = test::sql_password();
    config.sql_database = test::kAuctionDatabase;
    config.tls = test::tls_policy();
  }
  EditorFixture f(config);
  live = live && f.connect();
  // The article's three pictures in the workspace's picture folder.
  const char* names[] = {"1001.jpg", "1001_2.jpg", "1001_3.jpg"};
  for (int i = 0; i < 3; ++i) {
    test::write_file(f.picture_folder() + names[i], tyre_photo(i * 0.5));
  }
  f.add_article({{store::F::Anzeigenart, "Auktion"},
                 {store::F::Artikelname, "Winterreifen 205/55 R16 auf Stahlfelgen"},
                 {store::F::Untertitel, "Satz mit vier Reifen, kaum gefahren"},
                 {store::F::Sprache, "Deutschland / Deutsch"},
                 {store::F::FSK_18, "nein"},
                 {store::F::Zustand, "Leichte Gebrauchsspuren"},
                 {store::F::Anzahl, "1"},
                 {store::F::Einheiten, "4"},
                 {store::F::Masseinheit, "keine Angabe"},
                 {store::F::Auktionsdauer, "7"},
                 {store::F::Wiedereinstellen, "1 x"},
                 {store::F::Kategorie, "Auto & Motorrad > Autoteile > Reifen > Winterreifen"},
                 {store::F::Kategorie_Nummer, "1112"},
                 {store::F::Kategorie_2, "Auto & Motorrad > Autoteile > Zubehör"},
                 {store::F::Kategorie_Nummer_2, "112"},
                 {store::F::Artikelstatus, "bereit"},
                 {store::F::Artikelgruppe, "Reifen"},
                 {store::F::Artikelnummer, "WR-2026-17"},
                 {store::F::Startpreis, "120"},
                 {store::F::Sofortkauf, "220"},
                 {store::F::Verhalten, "Ausblenden"},
                 {store::F::Mindestpreis, "150"},
                 {store::F::minimum_preis_zeigen, "nicht erreicht"},
                 {store::F::Preisvorschlag, "ja"},
                 {store::F::Preisvorschlag_Minimum, "180"},
                 {store::F::Fettschrift, "True"},
                 {store::F::location, "Leipzig"},
                 {store::F::location_zip, "04109"},
                 {store::F::country, "Deutschland"},
                 {store::F::shipping, "1"},
                 {store::F::international, "False"},
                 {store::F::Versand_1, "DHL Packet (Inland)"},
                 {store::F::Versandpreis_1, "14.9"},
                 {store::F::Versand_2, "Abholung Vorort möglich"},
                 {store::F::Versandpreis_2, "0"},
                 {store::F::Bild1, "1001.jpg"},
                 {store::F::Bild2, "1001_2.jpg"},
                 {store::F::Bild3, "1001_3.jpg"},
                 {store::F::html_desc_1, "1"},
                 {store::F::Beschreibung,
                  "<style>\n  h2 { color: #1d4f91; border-bottom: 2px solid #1d4f91; }\n"
                  "  table { border-collapse: collapse; }\n"
                  "  td, th { border: 1px solid #aab; padding: 4px 10px; }\n"
                  "  tr:nth-child(even) td { background: #eef2f8; }\n</style>\n"
                  "<h2>Winterreifen 205/55 R16</h2>\n<p>Vier Reifen auf Stahlfelgen, kaum "
                  "gefahren.</p>\n<table>\n  <tr><th>Merkmal</th><th>Wert</th></tr>\n"
                  "  <tr><td>Profil</td><td>6&nbsp;mm</td></tr>\n"
                  "  <tr><td>DOT</td><td>2024</td></tr>\n"
                  "  <tr><td>Lastindex</td><td>91</td></tr>\n"
                  "  <tr><td>Geschwindigkeit</td><td>H</td></tr>\n</table>"},
                 {store::F::p1, "True"},
                 {store::F::p4, "True"},
                 {store::F::Info_1, "Reifen stehen im Keller, Regal 3."},
                 {store::F::Info_2, "Käufer nach Abholtermin fragen."},
                 {store::F::Mitglied, "haendler"},
                 {store::F::Erstellt, "01.12.2026"},
                 {store::F::Editiert, "09.12.2026"}});
  f.open();
  f.editor->resize(720, 640);
  if (live) {
    f.ws.load_reference_lists();
  } else {
    catalogue::FeatureFees fees;
    fees.fee = {0.5, 0.75, 1.25, 0.1, 0.2, 0.35, 2};
    f.ws.set_feature_fees(fees);
    catalogue::PaymentNames names;
    const char* shown[] = {"Überweisung", "Barzahlung bei Abholung", "Nachnahme", "PayPal"};
    for (std::size_t i = 0; i < 4; ++i) names.name[i] = shown[i];
    names.shown = 4;
    f.ws.set_payment_names(names);
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
      auto* chooser = f.named<QComboBox>("Kategorie Ebene 1");
      int top = chooser->findText("Sammeln -->");
      chooser->setCurrentIndex(top);
      emit chooser->activated(top);
      for (auto [level, name] : {std::pair{2, "Münzen ->"}, std::pair{3, "Deutschland ->"}}) {
        auto* list = f.named<QListWidget>(QString("Kategorie Ebene %1").arg(level));
        auto found = list->findItems(QString::fromUtf8(name), Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        list->setCurrentItem(found[0]);  // chooses like the keyboard does
      }
    }
    QCoreApplication::processEvents();
    QString path = QDir(folder).filePath(QString("editor-%1.png").arg(files[page]));
    QVERIFY2(f.editor->grab().save(path), qPrintable(path));
  }

  // The description once more, rendered by the browser preview.
  auto* description = f.editor->findChild<app::DescriptionPage*>();
  f.editor->setCurrentWidget(description);
  description->showPreview();
  QSignalSpy loaded(description->browser(), &QWebEngineView::loadFinished);
  QVERIFY(loaded.wait(20000));
  QVERIFY(test::wait_until_painted(description->browser()));
  QString path = QDir(folder).filePath("editor-beschreibung-vorschau.png");
  QVERIFY2(f.editor->grab().save(path), qPrintable(path));
}

int main(int argc, char** argv) {
  app::prepare_web_engine();
  QApplication app(argc, argv);
  EditorScreenshots test;
  return QTest::qExec(&test, argc, argv);
}

#include "editor_screenshots_test.moc"
