// Pages "Bilder" and "Beschreibung": the questions in their order, the previews, the two views
// and what the browser engine renders.

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <filesystem>

#include "app/editor/description_page.h"
#include "app/editor/pictures_page.h"
#include "app/editor_fixture.h"
#include "app/web_engine.h"
#include "media/pictures.h"
#include "support/pictures.h"
#include "support/temp_dir.h"
#include "support/web_view.h"
#include "support/widgets.h"

using tellvaro::test::EditorFixture;
using namespace tellvaro;
using Answer = ports::Answer;
using test::run_js;
using Texts = std::vector<std::string>;

namespace {

void write(const std::string& path, const std::string& bytes) {
  test::write_file(path, bytes);
}

std::string jpeg(int w, int h) { return media::testing::make_jpeg(w, h); }


}  // namespace

class MediaPagesTest : public QObject {
  Q_OBJECT

 public slots:
  // Where the desktop would open an address of an unknown kind.
  void openedOnTheDesktop(const QUrl& url) { desktop_opened_.push_back(url); }

 private slots:
  void init();
  void cleanup();
  void pictureQuestionsInOrderAndPreviews();
  void previewsFollowTheRecord();
  void longNameShortenedWithAStatusLine();
  void descriptionViewsAndButtons();
  void previewShowsLoadedFileAtOnce();
  void descriptionScriptsCannotReadFiles();
  void clickedLinksOpenNothing();
  void previewRunsNothingAndAsksNoServer();

 private:
  std::vector<QUrl> desktop_opened_;
  QPushButton* button(const QString& text, std::optional<store::F> field = {}) {
    return test::button<QPushButton>(*f->editor, text, field);
  }

  app::PicturesPage* pictures() { return f->editor->findChild<app::PicturesPage*>(); }
  app::DescriptionPage* description() { return f->editor->findChild<app::DescriptionPage*>(); }

  std::unique_ptr<test::TempDir> dir;
  std::unique_ptr<EditorFixture> f;
  std::string folder, offered;
};

void MediaPagesTest::init() {
  dir = std::make_unique<test::TempDir>();
  offered = *dir / "auswahl/";
  std::filesystem::create_directories(offered);
  f = std::make_unique<EditorFixture>();
  folder = f->picture_folder();
  f->add_article({{store::F::Artikelname, "Lampe"}});
  f->open();
  f->editor->refreshAll();
}

void MediaPagesTest::cleanup() {
  f.reset();
  dir.reset();
}

void MediaPagesTest::pictureQuestionsInOrderAndPreviews() {
  f->editor->setCurrentWidget(pictures());
  QLabel* preview = pictures()->preview(1);
  QVERIFY(preview->isHidden());

  // b.jpg is another picture already there and a large b.jpeg is chosen: shrunk, it goes beside
  // it.
  write(folder + "b.jpg", jpeg(8, 8));
  std::string big = jpeg(400, 200);
  big.resize(1'200'000, '\0');
  write(offered + "b.jpeg", big);
  f->dialogs.files = {offered + "b.jpeg"};
  f->dialogs.answers = {Answer::Yes};
  button("Neue Datei", store::F::Bild1)->click();
  QCOMPARE(f->dialogs.shown, (Texts{std::string(media::kAskShrink)}));
  QCOMPARE(f->articles.text(store::F::Bild1), std::string("b~2.jpg"));
  QVERIFY(preview->isVisible());
  QCOMPARE(preview->pixmap().size(), QSize(177, 89));  // 400 x 200 fitted, centred

  // A small picture is never enlarged.
  write(offered + "klein.jpg", jpeg(20, 10));
  f->dialogs.files = {offered + "klein.jpg"};
  button("Neue Datei", store::F::Bild2)->click();
  QCOMPARE(pictures()->preview(2)->pixmap().size(), QSize(20, 10));
  QVERIFY(pictures()->preview(2)->isVisible());

  // Delete: Cancel keeps it, Yes removes file, name and preview.
  f->dialogs.shown.clear();
  f->dialogs.answers = {Answer::Cancel, Answer::Yes};
  button(QString::fromUtf8("Datei löschen"), store::F::Bild1)->click();
  QVERIFY(preview->isVisible());
  button(QString::fromUtf8("Datei löschen"), store::F::Bild1)->click();
  QCOMPARE(f->dialogs.shown, (Texts{"Datei löschen?", "Datei löschen?"}));
  QVERIFY(preview->isHidden());
  QCOMPARE(f->articles.text(store::F::Bild1), std::string());
  QVERIFY(!std::filesystem::exists(folder + "b~2.jpg"));
  QVERIFY(std::filesystem::exists(folder + "b.jpg"));  // the other picture stays

  // A damaged file is refused with its message and changes nothing.
  write(offered + "kaputt.jpg", jpeg(30, 30).substr(0, 200));
  f->dialogs.shown.clear();
  f->dialogs.files = {offered + "kaputt.jpg"};
  button("Neue Datei", store::F::Bild3)->click();
  QCOMPARE(f->dialogs.shown.size(), std::size_t(1));
  QVERIFY(f->dialogs.shown[0].find("kaputt.jpg") != std::string::npos);
  QVERIFY(pictures()->preview(3)->isHidden());
  QCOMPARE(f->articles.text(store::F::Bild3), std::string());
}

void MediaPagesTest::previewsFollowTheRecord() {
  write(folder + "eins.jpg", jpeg(300, 300));
  f->add_article({{store::F::Artikelname, "Tisch"},
                  {store::F::Bild1, "eins.jpg"},
                  {store::F::Bild2, "fehlt.jpg"}});
  f->editor->setCurrentWidget(pictures());
  f->articles.last();
  QVERIFY(pictures()->preview(1)->isVisible());
  QCOMPARE(pictures()->preview(1)->pixmap().size(), QSize(146, 146));
  QVERIFY(pictures()->preview(2)->isHidden());  // named, but not in the folder
  f->articles.first();
  QVERIFY(pictures()->preview(1)->isHidden());
}

void MediaPagesTest::longNameShortenedWithAStatusLine() {
  f->editor->setCurrentWidget(pictures());
  const std::string name = "WhatsApp Image 2024-05-12 at 14.30.15.jpeg";
  write(offered + name, jpeg(60, 40));
  f->dialogs.files = {offered + name};
  button("Neue Datei", store::F::Bild2)->click();
  QCOMPARE(f->articles.text(store::F::Bild2), std::string("WhatsApp Image 2024-05-12.jpeg"));
  QVERIFY(pictures()->preview(2)->isVisible());
  QListWidget* status = f->editor->connectionStatusList();
  QVERIFY(status->count() > 0);
  QVERIFY(status->item(status->count() - 1)
              ->text()
              .startsWith(
                  QString::fromUtf8("Bild 2 gespeichert als \"WhatsApp Image 2024-05-12.jpeg\"")));
}

void MediaPagesTest::descriptionViewsAndButtons() {
  app::DescriptionPage* page = description();
  f->editor->setCurrentWidget(page);
  QVERIFY(!page->browser());  // no browser engine until the preview is wanted
  QVERIFY(!page->textButton()->isEnabled());
  QVERIFY(page->previewButton()->isEnabled());

  f->articles.edit();
  f->articles.set_text(store::F::Beschreibung, "<p id='t'>erste</p>");
  f->articles.post();
  QVERIFY(!page->browser());

  QWebEngineView* view = nullptr;
  {
    page->previewButton()->click();
    view = page->browser();
    QVERIFY(view);
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    QVERIFY(loaded.wait(20000));
  }
  QVERIFY(page->textButton()->isEnabled());
  QVERIFY(!page->previewButton()->isEnabled());
  QCOMPARE(run_js(view, "document.getElementById('t').textContent").toString(),
           QStringLiteral("erste"));

  // Hidden again: changes are only remembered, and shown when the preview comes back.
  page->textButton()->click();
  QVERIFY(!page->textButton()->isEnabled());
  QVERIFY(page->previewButton()->isEnabled());
  f->articles.edit();
  f->articles.set_text(store::F::Beschreibung, "<p id='t'>zweite</p>");
  f->articles.post();
  QCOMPARE(run_js(view, "document.getElementById('t').textContent").toString(),
           QStringLiteral("erste"));
  QSignalSpy loaded(view, &QWebEngineView::loadFinished);
  page->previewButton()->click();
  QVERIFY(loaded.wait(20000));
  QCOMPARE(run_js(view, "document.getElementById('t').textContent").toString(),
           QStringLiteral("zweite"));

  // Another record keeps the view chosen.
  f->add_article({{store::F::Beschreibung, "<p id='t'>dritte</p>"}});
  QVERIFY(page->previewShown());
  QTRY_COMPARE_WITH_TIMEOUT(
      run_js(view, "document.getElementById('t') && document.getElementById('t').textContent")
          .toString(),
      QStringLiteral("dritte"), 20000);
}

void MediaPagesTest::previewShowsLoadedFileAtOnce() {
  app::DescriptionPage* page = description();
  f->editor->setCurrentWidget(page);
  page->previewButton()->click();
  QSignalSpy first(page->browser(), &QWebEngineView::loadFinished);
  QVERIFY(first.wait(20000));

  // html_desc_1 "nein" and still rendered: a table styled by CSS.
  f->articles.edit();
  f->articles.set_text(store::F::html_desc_1, "0");
  f->articles.post();
  write(offered + "text.html",
        "<style>td.p { color: rgb(200, 0, 0); border: 2px solid black }</style>\r\n"
        "<table><tr><td class=p id=c>Gr\xC3\xB6\xC3\x9F"
        "e</td></tr></table>\r\n");
  f->dialogs.files = {offered + "text.html"};
  button(QString::fromUtf8("Datei öffnen"))->click();
  QTRY_COMPARE_WITH_TIMEOUT(
      run_js(page->browser(),
             "var c = document.getElementById('c'); c ? c.textContent + ' ' + "
             "getComputedStyle(c).color + ' ' + c.offsetParent.tagName : ''")
          .toString(),
      QString::fromUtf8("Größe rgb(200, 0, 0) TABLE"), 20000);
}

void MediaPagesTest::descriptionScriptsCannotReadFiles() {
  app::DescriptionPage* page = description();
  f->editor->setCurrentWidget(page);
  f->articles.edit();
  f->articles.set_text(store::F::Beschreibung, "<p>x</p>");
  f->articles.post();
  page->previewButton()->click();
  QSignalSpy loaded(page->browser(), &QWebEngineView::loadFinished);
  QVERIFY(loaded.wait(20000));
  const QString read =
      "try { var x = new XMLHttpRequest(); x.open('GET', 'file:///etc/hostname', false); "
      "x.send(); x.responseText.length > 0 ? 'gelesen' : 'leer' } catch (e) { 'verweigert' }";
  QCOMPARE(run_js(page->browser(), read).toString(), QStringLiteral("verweigert"));
}

// Links in a description, clicked with the mouse, open nothing: a data: or about: page does not
// replace the program's own (its content policy with it), and an address of an unknown kind is
// not handed to the desktop.
void MediaPagesTest::clickedLinksOpenNothing() {
  QDesktopServices::setUrlHandler(QStringLiteral("tellvaro-unbekannt"), this,
                                  "openedOnTheDesktop");
  desktop_opened_.clear();
  app::DescriptionPage* page = description();
  f->editor->setCurrentWidget(page);
  f->articles.edit();
  f->articles.set_text(
      store::F::Beschreibung,
      "<style>a { display: block; height: 40px }</style><p id=t>eigene</p>"
      "<a id=d href='data:text/html,<p id=t>fremde</p>'>d</a>"
      "<a id=a href='about:blank'><span>a</span></a>"
      "<a id=u href='tellvaro-unbekannt:oeffnen'>u</a>");
  f->articles.post();
  page->previewButton()->click();
  QWebEngineView* view = page->browser();
  QSignalSpy loaded(view, &QWebEngineView::loadFinished);
  QVERIFY(loaded.wait(20000));
  for (const char* link : {"d", "a", "u"}) {
    const QString rect =
        QStringLiteral("var r = document.getElementById('%1').getBoundingClientRect(); "
                       "Math.round(r.left + 10) + ',' + Math.round(r.top + r.height / 2)")
            .arg(QLatin1String(link));
    const QStringList at = run_js(view, rect).toString().split(QLatin1Char(','));
    QCOMPARE(at.size(), 2);
    QWidget* surface = view->focusProxy() ? view->focusProxy() : view;
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(at[0].toInt(), at[1].toInt()));
    QTest::qWait(1000);
    QCOMPARE(run_js(view, "document.getElementById('t') ? 'eigene' : 'ersetzt'").toString(),
             QStringLiteral("eigene"));
  }
  QDesktopServices::unsetUrlHandler(QStringLiteral("tellvaro-unbekannt"));
  QVERIFY(desktop_opened_.empty());
}

void MediaPagesTest::previewRunsNothingAndAsksNoServer() {
  // Whoever wrote the description listens here: every connection counts, and is closed at once
  // so that a page that does ask still finishes loading.
  QTcpServer server;
  QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
  int connections = 0;
  connect(&server, &QTcpServer::newConnection, &server, [&] {
    while (QTcpSocket* s = server.nextPendingConnection()) {
      ++connections;
      s->abort();
      s->deleteLater();
    }
  });
  const std::string at = "http://127.0.0.1:" + std::to_string(server.serverPort());
  const std::string html =
      "<!DOCTYPE html><html><head><title>Lampe</title>\r\n"
      "<link rel=stylesheet href='" +
      at +
      "/stil.css'>\r\n"
      "<link rel=preconnect href='" +
      at + "'><link rel=prefetch href='" + at +
      "/vorab'>\r\n"
      "<style>#t { color: rgb(1, 2, 3) }</style></head><body>\r\n"
      "<p id=t>Text</p>\r\n"
      "<script>document.title = 'Skript'; document.getElementById('t').textContent = 'Skript';"
      "new Image().src = '" +
      at +
      "/spion';</script>\r\n"
      "<iframe src='" +
      at +
      "/rahmen'></iframe>\r\n"
      "<img id=bild alt=Bild width=40 height=30 src='" +
      at +
      "/bild.jpg'>\r\n"
      "<div style=\"background-image: url('" +
      at +
      "/muster.png')\">x</div>\r\n"
      "<meta http-equiv=refresh content='0; url=" +
      at +
      "/weiter'>\r\n"
      "</body></html>";

  app::DescriptionPage* page = description();
  f->editor->setCurrentWidget(page);
  f->articles.edit();
  f->articles.set_text(store::F::Beschreibung, html);
  f->articles.post();
  page->previewButton()->click();
  QSignalSpy loaded(page->browser(), &QWebEngineView::loadFinished);
  QVERIFY(loaded.wait(20000));
  // Late requests (the refresh, a lazy frame) get their time too.
  QTest::qWait(1500);

  QCOMPARE(connections, 0);
  QWebEngineView* view = page->browser();
  QCOMPARE(run_js(view, "document.title").toString(), QStringLiteral("Lampe"));
  QCOMPARE(run_js(view,
                  "document.getElementById('t').textContent + ' ' + "
                  "getComputedStyle(document.getElementById('t')).color")
               .toString(),
           QStringLiteral("Text rgb(1, 2, 3)"));
  // The remote picture stays a placeholder.
  QCOMPARE(run_js(view, "document.getElementById('bild').naturalWidth").toInt(), 0);
}

int main(int argc, char** argv) {
  app::prepare_web_engine();
  QApplication app(argc, argv);
  MediaPagesTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "media_pages_test.moc"
