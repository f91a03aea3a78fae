// Description frames through the real windows: "Vorlagen..." in the menu "&Artikel" (create,
// refuse, rename, delete), the choice on page "Beschreibung" with its framed preview, and the
// seller's own text given back byte for byte. The rules are tested in the core.
// With TELLVARO_SCREENSHOTS naming a folder it also writes the pictures there, e.g.
//   TELLVARO_SCREENSHOTS=docs/screenshots ./frames_test screenshot

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <filesystem>

#include "app/editor/description_page.h"
#include "app/frames_window.h"
#include "app/main_window_fixture.h"
#include "store/description_frames.h"
#include "support/web_view.h"

using namespace tellvaro;
using namespace tellvaro::test;

namespace {

// What a seller keeps in his own text: markup, an apostrophe, a line break, a no-break space.
const std::string kOwn = "<p>Sch\xC3\xB6ne Vase, kaum benutzt.</p>\r\nIt's \xC2\xA0 blau.";

const char* kFrame =
    "<div style=\"border:1px solid #888;padding:8px\">\n<h2>{Artikelname}</h2>\n{Beschreibung}\n"
    "<p id=\"versand\">Versand mit {Versand_1}: {Versandpreis_1} EUR</p>\n</div>\n"
    "<h3>Impressum</h3><p>Hans H\xC3\xA4ndler, Musterweg 1, 12345 Musterstadt</p>\n"
    "<h3>Widerrufsbelehrung</h3><p>Sie haben das Recht, binnen vierzehn Tagen ohne Angabe von "
    "Gr\xC3\xBCnden diesen Vertrag zu widerrufen.</p>\n";


QString text_of(QWebEngineView* view, const char* id) {
  return run_js(view, QString("var e = document.getElementById('%1'); e ? e.textContent : ''")
                          .arg(QString::fromUtf8(id)))
      .toString();
}

store::Record vase() {
  store::Record r = complete_article("Vase");
  store::at(r, store::F::Beschreibung) = store::Value::text(kOwn);
  store::at(r, store::F::Versand_1) = store::Value::text("DHL");
  store::at(r, store::F::Versandpreis_1) = store::Value::amount(4.9);
  return r;
}

void type_source(app::FramesWindow* frames, const char* html) {
  frames->source()->setPlainText(QString::fromUtf8(html));
}

}  // namespace

class FramesTest : public QObject {
  Q_OBJECT

 private slots:
  void framesWindowAndTheDescriptionPage();
  void screenshot();
};

void FramesTest::framesWindowAndTheDescriptionPage() {
  Fixture f;
  f.put(store::kArticleFile, {vase()});
  auto& w = f.open();
  QVERIFY(captions(w.menus().article).contains(u("Vorlagen...")));
  w.menus().frames->trigger();
  app::FramesWindow* frames = w.framesWindow();
  QVERIFY(frames);
  QCOMPARE(frames->windowTitle(), u("Vorlagen"));
  QCOMPARE(frames->list()->count(), 0);
  QVERIFY(!frames->chosen());
  QVERIFY(!frames->saveButton()->isEnabled());  // no name yet

  // A placeholder naming no field is refused, and nothing is written.
  frames->nameEdit()->setText(u("Shop"));
  type_source(frames, "{Beschreibung}<p>{Unbekannt}</p>");
  frames->saveButton()->click();
  QVERIFY(!f.dialogs.shown.empty());
  QVERIFY(f.dialogs.shown.back().find("{Unbekannt}, der kein Feld des Artikels nennt") !=
          std::string::npos);
  QCOMPARE(frames->list()->count(), 0);
  QVERIFY(!std::filesystem::exists(f.path("files/vorlagen/Shop.html")));

  type_source(frames, kFrame);
  frames->saveButton()->click();
  QCOMPARE(frames->list()->count(), 1);
  QCOMPARE(frames->list()->currentItem()->text(), u("Shop"));
  QCOMPARE(frames->chosen(), std::optional<std::string>("Shop"));
  QVERIFY(std::filesystem::exists(f.path("files/vorlagen/Shop.html")));
  // The preview beside the source fills the frame with the article the editor shows.
  {
    QSignalSpy loaded(frames->preview(), &QWebEngineView::loadFinished);
    frames->renderPreview();
    QVERIFY(loaded.wait(20000));
    QCOMPARE(text_of(frames->preview(), "versand"), u("Versand mit DHL: 4.90 EUR"));
  }

  // Page "Beschreibung" offers it; the text view keeps showing the seller's own text.
  auto* editor = w.articleView()->editor();
  app::DescriptionPage* page = editor->descriptionPage();
  editor->setCurrentWidget(page);
  QComboBox* choice = page->frameChoice();
  QCOMPARE(choice->count(), 2);
  QCOMPARE(choice->itemText(0), u("(keine Vorlage)"));
  QCOMPARE(choice->accessibleName(), u("Vorlage"));
  QVERIFY(choice->accessibleDescription().isEmpty());  // the text is the control of the field
  emit choice->activated(1);
  store::Table& articles = f.store().articles;
  QCOMPARE(articles.text(store::F::Beschreibung), store::with_frame(kOwn, "Shop"));
  auto* own = page->findChild<QPlainTextEdit*>();
  QVERIFY(own->toPlainText().startsWith(QString::fromUtf8("<p>Sch\xC3\xB6ne Vase")));
  QVERIFY(!own->toPlainText().contains(u("Vorlage")));

  // The preview shows what will be sent.
  page->previewButton()->click();
  {
    QSignalSpy loaded(page->browser(), &QWebEngineView::loadFinished);
    QVERIFY(loaded.wait(20000));
  }
  QCOMPARE(text_of(page->browser(), "versand"), u("Versand mit DHL: 4.90 EUR"));

  // The frame's shipping line changed once: the preview follows.
  std::string changed = kFrame;
  changed.replace(changed.find("Versand mit"), 11, "Versand per");
  type_source(frames, changed.c_str());
  frames->saveButton()->click();
  QTRY_COMPARE_WITH_TIMEOUT(text_of(page->browser(), "versand"), u("Versand per DHL: 4.90 EUR"),
                            20000);

  // Renamed: the article follows and says so.
  frames->nameEdit()->setText(u("Shop 2027"));
  QVERIFY(frames->renameButton()->isEnabled());
  frames->renameButton()->click();
  QCOMPARE(f.dialogs.shown.back(), std::string("Die Vorlage \"Shop\" heißt jetzt \"Shop 2027\". "
                                               "1 Artikel verwendet sie weiter."));
  QCOMPARE(articles.text(store::F::Beschreibung), store::with_frame(kOwn, "Shop 2027"));
  QCOMPARE(choice->currentText(), u("Shop 2027"));

  // Deleted after the question: the article keeps naming it, shown as missing.
  f.dialogs.answers = {ports::Answer::Yes};
  frames->removeButton()->click();
  QVERIFY(f.dialogs.shown.back().find("1 Artikel verwenden sie") != std::string::npos ||
          f.dialogs.shown.back().find("1 Artikel verwendet sie") != std::string::npos);
  QCOMPARE(frames->list()->count(), 0);
  QCOMPARE(choice->currentText(), u("Shop 2027 (fehlt)"));

  // No frame: the seller's own text, byte for byte.
  emit choice->activated(0);
  QCOMPARE(articles.text(store::F::Beschreibung), kOwn);
  articles.post();
  w.menus().save->trigger();
  store::Table saved;
  store::load_table(saved, f.path(store::kArticleFile));
  QCOMPARE(saved.text(store::F::Beschreibung), kOwn);
  frames->close();
}

// The pictures for the README: the frames window and the framed preview.
void FramesTest::screenshot() {
  const QByteArray folder = qgetenv("TELLVARO_SCREENSHOTS");
  if (folder.isEmpty()) QSKIP("TELLVARO_SCREENSHOTS names no folder");
  Fixture f;
  f.put(store::kArticleFile, {vase()});
  auto& w = f.open();
  w.resize(1114, 780);
  f.ws->frames().save("Shop", kFrame);
  f.ws->frames().save("Rechtstexte", "{Beschreibung}\n<h3>Impressum</h3><p>...</p>");
  w.articleView()->editor()->refreshFrames();
  app::FramesWindow* frames = w.openFrames();
  frames->resize(1100, 620);
  QSignalSpy loaded(frames->preview(), &QWebEngineView::loadFinished);
  frames->list()->setCurrentRow(1);
  QVERIFY(loaded.count() > 0 || loaded.wait(20000));
  QVERIFY(test::wait_until_painted(frames->preview()));
  QDir().mkpath(QString::fromUtf8(folder));
  QVERIFY(frames->grab().save(QString::fromUtf8(folder) + "/vorlagen.png"));
  frames->close();

  auto* editor = w.articleView()->editor();
  app::DescriptionPage* page = editor->descriptionPage();
  editor->setCurrentWidget(page);
  emit page->frameChoice()->activated(2);
  page->previewButton()->click();
  QSignalSpy shown(page->browser(), &QWebEngineView::loadFinished);
  QVERIFY(shown.wait(20000));
  QVERIFY(test::wait_until_painted(page->browser()));
  QVERIFY(w.grab().save(QString::fromUtf8(folder) + "/editor-beschreibung-vorlage.png"));
}

QTEST_MAIN(FramesTest)
#include "frames_test.moc"
