// "Importieren" of 500 auctions with three pictures each against the test auction house, as the
// window runs it (on a thread of its own with a connection opened for the run, the records added
// to the import table on the window's thread) and called directly on this thread with the
// window's connection, in turns, three rounds: time per auction with every picture fetched and
// again with every picture already local (only the size is asked), processor time, the
// connections and FTP commands each run took; then a threaded pair once more, watched: the
// longest the window's event loop waited (the watch costs processor time of its own).
// Then 20 of the auctions once more through delaying proxies (15 ms each way) in front of the
// database and the file server, its passive data ports included, everything encrypted, threaded
// and direct: the round trips per auction by kind. Prints figures; judges nothing.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>

#include "db/connection.h"
#include "import/auction_import.h"
#include "runs/import_run.h"
#include "store/table.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/delay_proxy.h"
#include "support/event_loop_wait.h"
#include "text/error.h"

namespace {

using namespace tellvaro;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kAuctions = 500;
constexpr std::size_t kPictureBytes = 30 * 1024;
constexpr int kRounds = 3;

struct Figures {
  double seconds = 0;
  importer::RunResult result;
  long db_connects = 0;
  std::size_t statements = 0;
  std::size_t ftp_commands = 0;
  double longest_wait_ms = 0;
  std::size_t added = 0;  // records the import table took
  double add_ms = 0;      // how long the table took them, on the window's thread
  double cpu_ms = 0;      // processor time of this program (every thread) during the run
};

double cpu_ms_now() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(u.ru_utime) + ms(u.ru_stime);
}

// One press of "Importieren" as the window runs it: on a thread of its own with a connection
// opened for the run, then the records added to the import table in one batch.
// With `watch`, a timer on this thread notes the longest wait of the loop; its firings cost some
// processor time too, so the runs whose time is compared go unwatched, as in the window.
Figures timed_run(runs::ImportRequest request, store::Table& imports, bool watch = false) {
  Figures f;
  const auto mark = test::general_log_mark();
  const auto ftp_mark = test::ftp_log_mark();
  runs::ImportRun run;
  QEventLoop loop;
  test::EventLoopWait wait;
  QObject::connect(&run, &runs::BackgroundRun::finished, &loop, [&] {
    const auto added_at = Clock::now();
    f.added = importer::add_imported(run.result(), imports).size();
    f.add_ms = std::chrono::duration<double, std::milli>(Clock::now() - added_at).count();
    loop.quit();
  });
  const auto t0 = Clock::now();
  const double cpu0 = cpu_ms_now();
  if (watch) wait.begin();
  if (!run.start(std::move(request))) throw Error("Der Import ließ sich nicht starten.");
  loop.exec();
  if (watch) wait.end();
  f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  f.cpu_ms = cpu_ms_now() - cpu0;
  if (!run.failure().empty()) throw Error(run.failure());
  f.result = run.result();
  if (!f.result.error.empty()) throw Error(f.result.error);
  if (watch) f.longest_wait_ms = std::chrono::duration<double, std::milli>(wait.longest()).count();
  for (const auto& e : test::general_log_entries_since(mark))
    if (e.command == "Connect") ++f.db_connects;
  f.statements = test::queries_since(mark).size();
  f.ftp_commands = test::ftp_commands_since(ftp_mark).size();
  return f;
}

// The same import called straight on this thread with the window's connection, as before the
// import had a thread of its own: the floor the threaded run is measured against.
Figures direct_run(const runs::ImportRequest& request, db::Connection& db, store::Table& imports) {
  Figures f;
  const auto mark = test::general_log_mark();
  const auto ftp_mark = test::ftp_log_mark();
  const importer::Services services{
      db, request.ftp, request.timeouts, request.user_id, request.picture_folder, request.payments};
  const auto t0 = Clock::now();
  const double cpu0 = cpu_ms_now();
  f.result = importer::import_auctions(services, request.selection);
  const auto added_at = Clock::now();
  f.added = importer::add_imported(f.result, imports).size();
  f.add_ms = std::chrono::duration<double, std::milli>(Clock::now() - added_at).count();
  f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  f.cpu_ms = cpu_ms_now() - cpu0;
  if (!f.result.error.empty()) throw Error(f.result.error);
  f.longest_wait_ms = f.seconds * 1000;  // the window's thread did it all
  for (const auto& e : test::general_log_entries_since(mark))
    if (e.command == "Connect") ++f.db_connects;
  f.statements = test::queries_since(mark).size();
  f.ftp_commands = test::ftp_commands_since(ftp_mark).size();
  return f;
}

void print(const char* what, const Figures& f, int auctions = kAuctions) {
  std::printf("  %-28s %8.1f ms, %6.2f ms je Auktion, Rechenzeit %6.0f ms; %zu Datensätze\n", what,
              f.seconds * 1000, f.seconds * 1000 / auctions, f.cpu_ms, f.added);
}

void print_details(const char* what, const Figures& f) {
  std::printf(
      "  %s: Verbindungen FTP %ld (%zu Befehle), Datenbank %ld neu für den Lauf (%zu "
      "Anweisungen); längste Wartezeit des Fensters %.1f ms; Datensätze in die Tabelle "
      "%.2f ms\n",
      what, f.result.ftp_connections, f.ftp_commands, f.db_connects, f.statements,
      f.longest_wait_ms, f.add_ms);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The same import, of `auctions` auctions with every picture fetched, through delaying proxies
// on 127.0.N.2 (named by the test instance's certificate): round trips per auction by kind, on
// the run's thread (its connection opened through the proxy counted) and called directly with
// a connection opened before.
void distant_run(runs::ImportRequest request, const fs::path& folder, int auctions) {
  using namespace std::chrono_literals;
  constexpr auto kOneWay = 15ms;
  const std::string h = test::host();
  const std::string far = "127.0." + h.substr(h.rfind('.') + 1) + ".2";
  test::DelayProxy db(far, 0, h, test::kSqlPort, kOneWay);
  test::DelayProxy ftp(far, 0, h, test::kFtpPort, kOneWay);
  std::vector<std::unique_ptr<test::DelayProxy>> data;
  for (int port = test::kPassivePorts[0]; port <= test::kPassivePorts[1]; ++port)
    data.push_back(std::make_unique<test::DelayProxy>(far, port, h, port, kOneWay));
  request.params.host = far;
  request.params.port = static_cast<unsigned>(db.port());
  request.ftp.host = far;
  request.ftp.port = ftp.port();
  struct Trips {
    long db = 0, ftp = 0, data = 0;
  };
  auto trips = [&] {
    Trips t{db.round_trips(), ftp.round_trips(), 0};
    for (const auto& p : data) t.data += p->round_trips();
    return t;
  };
  db::Connection far_db;
  far_db.set_params(request.params);
  if (!far_db.connect() || !far_db.select_database(request.database))
    throw Error("Datenbank durch den Proxy nicht erreichbar: " + far_db.last_error());

  std::printf("durch Proxys mit %d ms Rundreise (%s), %d Auktionen, alle Bilder geladen:\n",
              static_cast<int>(2 * kOneWay.count()), far.c_str(), auctions);
  const double n = auctions;
  for (bool threaded : {true, false}) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    store::Table imports;
    const Trips before = trips();
    const Figures f = threaded ? timed_run(request, imports) : direct_run(request, far_db, imports);
    const Trips after = trips();
    print(threaded ? "eigener Thread:" : "direkt:", f, auctions);
    std::printf(
        "    Rundreisen je Auktion: Datenbank %.2f, FTP %.2f, FTP-Daten %.2f (je Bild FTP "
        "%.2f, FTP-Daten %.2f)\n",
        (after.db - before.db) / n, (after.ftp - before.ftp) / n, (after.data - before.data) / n,
        (after.ftp - before.ftp) / (3 * n), (after.data - before.data) / (3 * n));
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  test::require_auction_house();
  test::reset_data();
  test::clear_ftp();
  test::admin_exec("delete from tv_auktionshaus.auctions");
  std::mt19937 rng(7);
  std::string sql;
  for (int i = 0; i < kAuctions; ++i) {
    const std::string id = std::to_string(5000 + i);
    for (const char* suffix : {".jpg", "_2.jpg", "_3.jpg"}) {
      std::string bytes(kPictureBytes, '\0');
      for (char& c : bytes) c = static_cast<char>(rng());
      std::ofstream(fs::path(test::ftp_root()) / (id + suffix), std::ios::binary) << bytes;
    }
    sql += std::string(sql.empty() ? "" : ",") + "(" + id + ", 42, 0, 'Artikel " + id +
           "', 'Untertitel', 3, '1', 'kg', 1, '<p>Beschreibung</p>', 1112, 0, 12.50, 1, 0, 0, 0, "
           "0, 'DHL', 4.99, 1, 7, 'Berlin', '10115', 'Deutschland', 1, 'Überweisung \\nPayPal "
           "\\n', 0, 0, 1, 0, 0, 7, 0, 1, '" +
           id + ".jpg', '" + id + "_2.jpg', '" + id + "_3.jpg')";
  }
  test::admin_exec(
      "insert into tv_auktionshaus.auctions (id, user, closed, title, qm_untertitel, sprache, "
      "einheiten, masseinheit, html_desc_1, description, category, category_2, minimum_bid, "
      "qm_fsk18_artikel, qm_preis_vorschlag, qm_preis_vorschlag_minimum, qm_minimum_preis, "
      "qm_minimum_preis_zeigen, qm_versandart_1, qm_versandkosten_1, auction_type, duration, "
      "location, location_zip, country, shipping, payment, international, qm_wiedereinstellen, "
      "quantity, fett, marker, zustand, buynow, buy_now_show, pict_url, pict_url2, pict_url3) "
      "values " +
      sql);

  const fs::path folder =
      fs::temp_directory_path() / ("tellvaro-import-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  // The window's connection: the run opens one like it.
  db::Connection db;
  if (!test::connect_app(db)) {
    std::cerr << "Datenbank nicht erreichbar: " << db.last_error() << "\n";
    return 1;
  }
  runs::ImportRequest request;
  request.selection = {true, false};
  runs::connect_like(request, db);
  request.ftp = test::ftp_account();
  request.user_id = test::kSellerId;
  request.picture_folder = folder.string() + "/";
  request.payments.name[0] = "Überweisung";
  request.payments.name[3] = "PayPal";

  std::printf(
      "Importieren: %d Auktionen, je 3 Bilder zu %zu kB; %d Runden, abwechselnd direkt "
      "und auf eigenem Thread\n",
      kAuctions, kPictureBytes / 1024, kRounds);
  std::vector<double> fetched_ratio, local_ratio;
  try {
    for (int round = 1; round <= kRounds; ++round) {
      Figures runs[2][2];  // [threaded][local]
      for (int threaded : {0, 1}) {
        store::Table imports;
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (int local : {0, 1})
          runs[threaded][local] =
              threaded ? timed_run(request, imports) : direct_run(request, db, imports);
      }
      std::printf("Runde %d:\n", round);
      print("direkt, geladen:", runs[0][0]);
      print("direkt, lokal:", runs[0][1]);
      print("Thread, geladen:", runs[1][0]);
      print("Thread, lokal:", runs[1][1]);
      if (round == kRounds) {
        // Once more on the thread, watched: how long the window's loop waited at most.
        Figures watched[2];
        store::Table imports;
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (int local : {0, 1}) watched[local] = timed_run(request, imports, true);
        print("Thread beobachtet, geladen:", watched[0]);
        print("Thread beobachtet, lokal:", watched[1]);
        print_details("Thread beobachtet, geladen", watched[0]);
        print_details("Thread beobachtet, lokal", watched[1]);
      }
      std::fflush(stdout);
      fetched_ratio.push_back(runs[1][0].seconds / runs[0][0].seconds);
      local_ratio.push_back(runs[1][1].seconds / runs[0][1].seconds);
    }
  } catch (const Error& e) {
    std::cerr << "Import fehlgeschlagen: " << e.what() << "\n";
    return 1;
  }
  std::printf("Thread gegen direkt (Median der Runden): geladen %+.1f %%, lokal %+.1f %%\n",
              (median(fetched_ratio) - 1) * 100, (median(local_ratio) - 1) * 100);
  std::fflush(stdout);

  constexpr int kDistant = 20;
  test::admin_exec("delete from tv_auktionshaus.auctions where id >= " +
                   std::to_string(5000 + kDistant));
  try {
    distant_run(request, folder, kDistant);
  } catch (const Error& e) {
    std::cerr << "Import fehlgeschlagen: " << e.what() << "\n";
    return 1;
  }
  fs::remove_all(folder);
  test::reset_data();
  test::clear_ftp();
  return 0;
}
