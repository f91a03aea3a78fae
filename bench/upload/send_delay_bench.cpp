// "Alle Artikel senden" of 20 articles with three 200 kB pictures each, once straight to the
// test auction house and once through delaying proxies in front of the database, the FTP
// control and data connections and the web server (15 ms each way, a 30 ms round trip): per
// article the round trips by service and the time, and the longest the window's event loop
// waited while the send ran on its own thread, as the window runs it. Prints figures; judges
// nothing.
//
// Everything is encrypted, as the test instance requires: the database session, FTP with its
// passive data connections (one proxy in front of each of the instance's passive ports; they
// resume the control connection's TLS session), the clock over HTTPS. The mails go straight to
// the mail server; they leave once per run, after the articles.
//
// The send speaks FTP on port 21, so its proxy needs a loopback address of its own:
// TELLVARO_PROXY_HOST, else 127.0.<last part of the test host>.1 (127.0.43.1 for 127.0.0.43),
// which the test instance's certificate names beside its own address (as does ...2).

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>

#include "catalogue/reference.h"
#include "db/connection.h"
#include "runs/send_run.h"
#include "send_articles.h"
#include "store/table.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/delay_proxy.h"
#include "support/event_loop_wait.h"
#include "support/scripted_dialogs.h"
#include "upload/send.h"

namespace {

using namespace tellvaro;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kArticles = 20;
constexpr auto kOneWay = 15ms;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string proxy_host() {
  if (const char* h = std::getenv("TELLVARO_PROXY_HOST"); h && *h) return h;
  const std::string test_host = test::host();
  return "127.0." + test_host.substr(test_host.rfind('.') + 1) + ".1";
}

// The proxies in front of the services, or none for the straight run.
struct Route {
  std::unique_ptr<test::DelayProxy> db, ftp, web;
  std::vector<std::unique_ptr<test::DelayProxy>> data;  // the FTP server's passive ports
};

struct Mark {
  Clock::time_point at;
  long db = 0, ftp = 0, data = 0, web = 0;
};

// Takes a mark at the run's start and after each article, as the window hears of them, and
// times the longest stretch in which the window's event loop could not run.
class Watch : public QObject {
 public:
  explicit Watch(const Route& r) : route_(r) {}

  void begin() {
    first = mark();
    wait_.begin();
  }
  void article_done() { marks.push_back(mark()); }
  void end() {
    wait_.end();
    longest_wait = wait_.longest();
    last = mark();
  }

  Mark first, last;
  std::vector<Mark> marks;  // start, then one after each article
  Clock::duration longest_wait{};

  Mark mark() const {
    long data = 0;
    for (const auto& p : route_.data) data += trips(p);
    return {Clock::now(), trips(route_.db), trips(route_.ftp), data, trips(route_.web)};
  }

 private:
  static long trips(const std::unique_ptr<test::DelayProxy>& p) { return p ? p->round_trips() : 0; }

  const Route& route_;
  test::EventLoopWait wait_;
};

// One run of "Alle Artikel senden" over `route`, on a thread of its own as the window runs it;
// exits when the send fails.
void run(const Route& route, const fs::path& pictures, const std::string& title) {
  test::reset_data();
  test::clear_ftp();
  test::clear_mail();

  db::ConnectParams params = test::app_account();
  if (route.db) {
    params.host = route.db->host();
    params.port = static_cast<unsigned>(route.db->port());
  }
  session::ServiceConfig config = test::service_config();
  std::string web = std::string("https://") + test::host() + "/";
  if (route.ftp) config.ftp_host = route.ftp->host();
  if (route.web)
    web = "https://" + route.web->host() + ":" + std::to_string(route.web->port()) + "/";

  Watch watch(route);
  watch.first = watch.mark();
  // The window's own connection: it reads the lists, the run opens one like it.
  db::Connection db;
  db.set_params(params);
  if (!db.connect() || !db.select_database(test::kAuctionDatabase)) {
    std::cerr << "Datenbank nicht erreichbar: " << db.last_error() << "\n";
    std::exit(1);
  }
  store::Table uploads;
  bench::fill_uploads(uploads, kArticles);
  upload::Protocol protocol;
  test::ScriptedDialogs dialogs;
  const std::vector<store::Record> shown = uploads.shown();
  auto job = upload::prepare_send(shown, uploads.position(), true, nullptr, dialogs, protocol);
  if (!job) std::exit(1);
  runs::SendRun sender;
  QEventLoop loop;
  QObject::connect(&sender, &runs::BackgroundRun::event, &watch, [&](const runs::RunEvent& e) {
    using Kind = runs::RunEvent::Kind;
    if (e.kind == Kind::ProtocolCleared) protocol.clear();
    if (e.kind == Kind::ProtocolLine) protocol.add(e.line.toStdString());
    if (e.kind == Kind::ProgressStarted || e.kind == Kind::ProgressAdvanced) watch.article_done();
  });
  QObject::connect(&sender, &runs::BackgroundRun::finished, &loop, &QEventLoop::quit);

  // The window read its lists at the login, before any send.
  const catalogue::FeatureFees fees = catalogue::load_features(db);
  const catalogue::PaymentNames payments = catalogue::load_payments(db);
  const Mark ready = watch.mark();
  watch.begin();
  watch.first = ready;
  sender.start(runs::send_request(std::move(*job),
                                  {config, test::active_seller(), web, pictures.string() + "/", {}},
                                  db, fees, payments, nullptr));
  loop.exec();
  watch.end();
  const upload::SendOutcome& outcome = sender.outcome();
  if (!outcome.ok) {
    std::cerr << "Senden fehlgeschlagen: " << outcome.error << "\n";
    std::exit(1);
  }

  std::printf("%s\n", title.c_str());
  auto row = [&](const std::string& what, const Mark& a, const Mark& b) {
    if (route.db)
      std::printf("  %-24s DB %3ld  FTP %3ld  FTP-Daten %3ld  HTTPS %2ld  %8.1f ms\n",
                  what.c_str(), b.db - a.db, b.ftp - a.ftp, b.data - a.data, b.web - a.web,
                  ms(b.at - a.at));
    else
      std::printf("  %-24s %8.1f ms\n", what.c_str(), ms(b.at - a.at));
  };
  row("Vorlauf (Verbindung, FTP)", ready, watch.marks.front());
  for (std::size_t k = 1; k < watch.marks.size(); ++k)
    row("Artikel " + std::to_string(k), watch.marks[k - 1], watch.marks[k]);
  row("Abschluss (QUIT, Mails)", watch.marks.back(), watch.last);
  const Mark& a = watch.marks.front();
  const Mark& b = watch.marks.back();
  const double n = static_cast<double>(watch.marks.size() - 1);
  std::printf("  je Artikel im Mittel:  %.1f ms", ms(b.at - a.at) / n);
  if (route.db)
    std::printf(", Rundreisen DB %.1f, FTP %.1f, FTP-Daten %.1f, HTTPS %.1f", (b.db - a.db) / n,
                (b.ftp - a.ftp) / n, (b.data - a.data) / n, (b.web - a.web) / n);
  std::printf("\n  längste Wartezeit des Fensters: %.1f ms (%zu Protokollzeilen)\n",
              ms(watch.longest_wait), protocol.size());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  test::require_auction_house();
  const fs::path dir =
      fs::temp_directory_path() / ("tellvaro-send-delay-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  bench::write_pictures(dir);

  run({}, dir,
      "Alle Artikel senden: " + std::to_string(kArticles) +
          " Artikel, je 3 Bilder zu 200 kB, direkt (Loopback)");

  const std::string far = proxy_host();
  Route delayed;
  try {
    delayed.db = std::make_unique<test::DelayProxy>(far, 0, test::host(), test::kSqlPort, kOneWay);
    delayed.ftp = std::make_unique<test::DelayProxy>(far, 21, test::host(), 21, kOneWay);
    delayed.web = std::make_unique<test::DelayProxy>(far, 0, test::host(), 443, kOneWay);
    for (int port = test::kPassivePorts[0]; port <= test::kPassivePorts[1]; ++port)
      delayed.data.push_back(
          std::make_unique<test::DelayProxy>(far, port, test::host(), port, kOneWay));
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  run(delayed, dir,
      "dasselbe über Proxys mit " + std::to_string(2 * kOneWay.count()) +
          " ms Rundreise vor Datenbank, FTP (Steuer- und Datenverbindungen) und Webserver (" +
          far + ")");

  fs::remove_all(dir);
  test::reset_data();
  test::clear_ftp();
  test::clear_mail();
  return 0;
}
