#pragma once

// The browser previews as a test sees them (GUI tests with QtWebEngine).

#include <QImage>
#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace tellvaro::test {

// Runs `script` in the program's own world beside the page (the page itself may run no script)
// and returns its value; "<no answer>" after 10 s.
inline QVariant run_js(QWebEngineView* view, const QString& script) {
  QVariant result;
  bool done = false;
  view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
    result = v;
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done; }, 10000)) return QStringLiteral("<no answer>");
  return result;
}

// A page is drawn a moment after it loaded: true once the view shows more than one colour down
// its middle (waits at most 10 s).
inline bool wait_until_painted(QWebEngineView* view) {
  return QTest::qWaitFor(
      [&] {
        const QImage shot = view->grab().toImage();
        const QRgb first = shot.pixel(shot.width() / 2, 10);
        for (int y = 10; y < shot.height(); y += 7) {
          if (shot.pixel(shot.width() / 2, y) != first) return true;
        }
        return false;
      },
      10000);
}

}  // namespace tellvaro::test
