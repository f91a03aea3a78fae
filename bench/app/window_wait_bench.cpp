// How long the window cannot paint or take a click while it waits for the auction house: the
// login (up to a main window that is connected and has read its lists), a category search on the
// page "Kategorie", the counts of the import view and "Meine Rechnungen", each with the database
// behind a delaying proxy (15 ms each way, a 30 ms round trip) and once straight. Prints the
// longest wait of the window's event loop and the time until the result was on screen; judges
// nothing.
//
// The login speaks to the database on port 3306, so the proxy needs a loopback address of its
// own: TELLVARO_PROXY_HOST, else 127.0.<last part of the test host>.1, which the test instance's
// certificate names. The directory record points the auction house there for the run.

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/account_commands.h"
#include "app/account_windows.h"
#include "app/editor/article_editor.h"
#include "app/editor/category_page.h"
#include "app/login_window.h"
#include "app/main_window.h"
#include "app/program_start.h"
#include "app/view_article.h"
#include "app/view_import.h"
#include "session/session.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/delay_proxy.h"
#include "support/event_loop_wait.h"
#include "support/scripted_dialogs.h"
#include "workspace/workspace.h"

namespace {

using namespace tellvaro;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

double ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

std::string proxy_host() {
  if (const char* h = std::getenv("TELLVARO_PROXY_HOST"); h && *h) return h;
  const std::string test_host = test::host();
  return "127.0." + test_host.substr(test_host.rfind('.') + 1) + ".1";
}

// Runs `act`, then lets the event loop run until `done` holds (at most 20 s); prints the longest
// stretch in which the loop could not run, and the time until `done`.
void measure(const char* what, const std::function<void()>& act,
             const std::function<bool()>& done) {
  test::EventLoopWait wait;
  QElapsedTimer clock;
  wait.begin();
  clock.start();
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(1);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done() || clock.elapsed() > 20000) loop.quit();
  });
  poll.start();
  act();
  if (!done()) loop.exec();
  const qint64 took = clock.elapsed();
  wait.end();
  std::printf("  %-28s längste Wartezeit des Fensters %7.1f ms, Ergebnis nach %6lld ms%s\n", what,
              ms(wait.longest()), static_cast<long long>(took), done() ? "" : " (ABGEBROCHEN)");
  std::fflush(stdout);
}

template <class W>
W* named(QWidget& window, const char* accessible_name) {
  for (W* w : window.findChildren<W*>())
    if (w->accessibleName() == QString::fromUtf8(accessible_name)) return w;
  return nullptr;
}

void run(const std::string& database_host, const char* title) {
  test::reset_data();
  // The directory sends the program to the auction house behind the proxy.
  test::admin_exec("update tv_directory.qm_software set sql_host='" + database_host + "'");
  const fs::path folder =
      fs::temp_directory_path() / ("tellvaro-window-wait-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);

  test::ScriptedDialogs dialogs;
  std::unique_ptr<workspace::Workspace> ws;
  session::Deployment deployment = session::Deployment::built_in();
  deployment.directory_host = database_host;
  deployment.tls = test::tls_policy();
  // The program's own way from the login to the main window.
  app::LoginWindow login(deployment, folder.string() + "/", dialogs,
                         app::main_window_preparation(dialogs, ws));
  login.show();
  const auto main = [&login] { return qobject_cast<app::MainWindow*>(login.mainWindow()); };
  named<QLineEdit>(login, "Benutzer")->setText(QString::fromUtf8(test::kSellerNick));
  named<QLineEdit>(login, "Passwort")->setText(QStringLiteral("geheim"));

  std::printf("%s\n", title);
  measure(
      "Einloggen", [&] { named<QPushButton>(login, "Einloggen")->click(); },
      [&] {
        return main() && ws && ws->db().connected() && !ws->durations().empty() &&
               main()->isVisible();
      });
  app::MainWindow* main_window = main();
  if (!main_window || !ws->db().connected()) {
    std::fprintf(stderr, "Einloggen fehlgeschlagen\n");
    for (const auto& s : dialogs.shown) std::fprintf(stderr, "  %s\n", s.c_str());
    std::exit(1);
  }

  app::CategoryPage* page = main_window->articleView()->editor()->categoryPage();
  measure(
      "Kategoriesuche", [&] { page->searchEdit()->setText(QString::fromUtf8("Münzen")); },
      [&] { return page->searchResults()->count() > 0; });

  QCheckBox* current = main_window->importView()->currentBox();
  current->setText(QStringLiteral("?"));
  measure(
      "Zahlen der Importansicht", [&] { main_window->menus().imports->trigger(); },
      [&] { return current->text() != QStringLiteral("?"); });

  measure(
      "Meine Rechnungen", [&] { main_window->menus().my_bills->trigger(); },
      [&] {
        auto* w = main_window->accountCommands()->feeStatementWindow();
        return w && w->isVisible();
      });

  ws->disconnect();
  main_window->hide();
  login.close();
  fs::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  test::require_auction_house();
  run(test::host(), "Direkt zum Auktionshaus:");
  {
    test::DelayProxy proxy(proxy_host(), 3306, test::host(), 3306, 15ms);
    run(proxy.host(), "Über einen Proxy mit 30 ms Rundreise:");
  }
  test::reset_data();
  return 0;
}
