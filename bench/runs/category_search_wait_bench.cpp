// How long the window's event loop waits while the category search asks the server, straight
// to the test auction house and through a delaying proxy in front of the database (15 ms each
// way, a 30 ms round trip): once with the question on the window's thread, as the page and the
// bulk change asked it before, and once through the search's own run, as they ask it now: the
// run opens its connection while the seller pauses in typing, and the questions reuse it.
// Prints figures; judges nothing.
//
// The proxy listens on TELLVARO_PROXY_HOST, else 127.0.<last part of the test host>.2, which
// the test instance's certificate names.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "catalogue/category_search.h"
#include "db/connection.h"
#include "presentation/category_search.h"
#include "runs/category_search_run.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/delay_proxy.h"
#include "support/event_loop_wait.h"

namespace {

using namespace tellvaro;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kOneWay = 15ms;
constexpr int kQuestions = 5;
const char* const kTexts[] = {"reifen", "winter", "sommer", "auto", "teile"};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string proxy_host() {
  if (const char* h = std::getenv("TELLVARO_PROXY_HOST"); h && *h) return h;
  const std::string test_host = test::host();
  return "127.0." + test_host.substr(test_host.rfind('.') + 1) + ".2";
}

void window_connection(db::Connection& db, const test::DelayProxy* proxy) {
  db::ConnectParams params = test::app_account();
  if (proxy) {
    params.host = proxy->host();
    params.port = static_cast<unsigned>(proxy->port());
  }
  db.set_params(params);
  if (!db.connect() || !db.select_database(test::kAuctionDatabase)) {
    std::fprintf(stderr, "Keine Verbindung: %s\n", db.last_error().c_str());
    std::exit(1);
  }
}

// The first question apart: through the run it also opens the run's connection.
void print(const char* what, std::vector<double> waits) {
  const double first = waits.front();
  std::sort(waits.begin(), waits.end());
  std::printf("  %-44s erste %7.1f ms, Median %7.1f ms, längste %7.1f ms\n", what, first,
              waits[waits.size() / 2], waits.back());
}

void measure(const char* title, const test::DelayProxy* proxy) {
  std::printf("%s\n", title);
  db::Connection window;
  window_connection(window, proxy);

  // Before: the question on the window's thread, which waits for the whole of it.
  std::vector<double> blocked;
  for (int i = 0; i < kQuestions; ++i) {
    const auto start = Clock::now();
    const auto found = catalogue::search_categories(window, kTexts[i]);
    blocked.push_back(ms(Clock::now() - start));
    (void)found;
  }

  // Now: the question through the search's run; the event loop keeps running meanwhile.
  runs::CategorySearchRun run(window);
  test::EventLoopWait wait;
  std::vector<double> waits, answers;
  double pause_wait = 0;
  quint64 answered = 0;
  QEventLoop loop;
  QObject::connect(&run, &runs::CategorySearchRun::found,
                   [&](quint64 id, const std::vector<catalogue::CategoryMatch>&) {
                     answered = id;
                     loop.quit();
                   });
  QObject::connect(&run, &runs::CategorySearchRun::failed, [&](quint64 id, const QString& m) {
    std::fprintf(stderr, "Suche fehlgeschlagen: %s\n", m.toStdString().c_str());
    answered = id;
    loop.quit();
  });
  for (int i = 0; i < kQuestions; ++i) {
    if (i == 0) {
      // Typing starts: the run opens its connection during the pause before the question.
      wait.begin();
      run.prepare();
      QTimer::singleShot(presentation::CategorySearch::kPauseMs, &loop, &QEventLoop::quit);
      loop.exec();
      wait.end();
      pause_wait = ms(wait.longest());
    }
    const auto start = Clock::now();
    wait.begin();
    run.search(static_cast<std::uint64_t>(i + 1), kTexts[i]);
    if (answered != static_cast<quint64>(i + 1)) loop.exec();
    wait.end();
    answers.push_back(ms(Clock::now() - start));
    waits.push_back(ms(wait.longest()));
  }
  print("vorher, Fenster wartet auf die Suche:", blocked);
  print("jetzt, längste Wartezeit des Fensters:", waits);
  print("jetzt, bis die Treffer da sind:", answers);
  std::printf("  %-44s %7.1f ms\n", "jetzt, längste Wartezeit in der Tipp-Pause:", pause_wait);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  test::require_auction_house();
  test::reset_data();
  measure("Kategoriesuche, direkt (Loopback):", nullptr);
  std::unique_ptr<test::DelayProxy> proxy;
  try {
    proxy =
        std::make_unique<test::DelayProxy>(proxy_host(), 0, test::host(), test::kSqlPort, kOneWay);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Kein Proxy auf %s: %s\n", proxy_host().c_str(), e.what());
    return 1;
  }
  measure("Kategoriesuche, 30 ms Umlaufzeit zur Datenbank:", proxy.get());
  return 0;
}
