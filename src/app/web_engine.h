#pragma once

class QWebEngineView;
class QWidget;

namespace tellvaro::app {

// Call before the QApplication exists (it also sets what the browser engine needs from Qt) and
// again before the first browser view. Chromium refuses to run as root inside its sandbox, so
// only then is the sandbox switched off; for any other user it stays on, whatever the
// environment asks.
void prepare_web_engine();

// A browser view for foreign HTML (a description from an import or a supplier): it renders
// markup and styles, runs no script, loads no frame and sends no request to any server, so a
// description cannot run code or tell anyone that it was looked at. Only the program's own
// loads of `data:` and `about:` addresses go on; a clicked link opens nothing (a script of the
// program's own, in a world apart from the page's, makes every link inert), an address of an
// unknown kind is refused, remote pictures stay empty placeholders.
QWebEngineView* make_sealed_view(QWidget* parent);

}  // namespace tellvaro::app
