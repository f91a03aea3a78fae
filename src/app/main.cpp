#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <memory>

#include "app/login_window.h"
#include "app/program_start.h"
#include "app/qt_dialogs.h"
#include "app/web_engine.h"
#include "session/session.h"
#include "store/files.h"
#include "store/folder_lock.h"
#include "workspace/workspace.h"

using namespace tellvaro;

int main(int argc, char** argv) {
  // The program reads no arguments; Qt gets the program name only.
  int qt_argc = argc > 0 ? 1 : 0;
  app::prepare_web_engine();
  QApplication app(qt_argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(session::kApplicationTitle));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tellvaro/logo.png")));

  // Qt's own dialog texts (file dialogs, context menus of edits) in German.
  QTranslator qt_texts;
  if (qt_texts.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                    QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_texts);
  }

  // Held for the whole run: a second run on the same folder would write back stale tables.
  const std::string data_root = store::data_root();
  const store::FolderLock folder_lock(data_root);
  if (!folder_lock.held()) {
    QMessageBox::critical(nullptr, QString::fromUtf8(session::kApplicationTitle),
                          QString::fromStdString(folder_lock.error()));
    return 1;
  }

  app::QtDialogs dialogs;
  // What the run works on; it outlives the main window, which the login window below holds.
  std::unique_ptr<workspace::Workspace> workspace;
  // Beside the program when it may write there, else in the user's data folder; chosen once.
  app::LoginWindow login(session::Deployment::built_in(), data_root, dialogs,
                         app::main_window_preparation(dialogs, workspace));
  login.show();
  return QApplication::exec();
}
