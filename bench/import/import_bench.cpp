// "Importieren" of 500 auctions with three pictures each against the test auction house: time
// per auction with every picture fetched, and again with every picture already local (only the
// size is asked), and the connections each run opened per service. Prints figures; judges
// nothing.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>

#include "db/connection.h"
#include "import/auction_import.h"
#include "store/table.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "text/error.h"

namespace {

using namespace tellvaro;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kAuctions = 500;
constexpr std::size_t kPictureBytes = 30 * 1024;

struct Figures {
  double seconds = 0;
  importer::RunResult result;
  long db_connects = 0;
  std::size_t statements = 0;
  std::size_t ftp_commands = 0;
};

Figures timed_run(const importer::Services& services, store::Table& imports) {
  Figures f;
  const auto mark = test::general_log_mark();
  const auto ftp_mark = test::ftp_log_mark();
  const auto t0 = Clock::now();
  f.result = importer::run_import(services, {true, false}, imports);
  f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  for (const auto& e : test::general_log_entries_since(mark)) {
    if (e.command == "Connect") ++f.db_connects;
    if (e.command == "Query") ++f.statements;
  }
  f.ftp_commands = test::ftp_commands_since(ftp_mark).size();
  return f;
}

void print(const char* what, const Figures& f) {
  std::printf("  %-28s %8.1f ms gesamt, %6.3f ms je Auktion; %zu Datensätze\n", what,
              f.seconds * 1000, f.seconds * 1000 / kAuctions, f.result.imported);
  std::printf(
      "  %-28s FTP %ld (%zu Befehle), Datenbank %ld neu während des Laufs (%zu Anweisungen)\n",
      "  Verbindungen:", f.result.ftp_connections, f.ftp_commands, f.db_connects, f.statements);
}

}  // namespace

int main() {
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
  db::Connection db;
  if (!test::connect_app(db)) {
    std::cerr << "Datenbank nicht erreichbar: " << db.last_error() << "\n";
    return 1;
  }
  importer::Services services{db, test::ftp_account(), {}, test::kSellerId, folder.string() + "/",
                              {}};
  services.payments.name[0] = "Überweisung";
  services.payments.name[3] = "PayPal";

  Figures fetched, local;
  try {
    store::Table imports;
    fetched = timed_run(services, imports);
    local = timed_run(services, imports);
  } catch (const Error& e) {
    std::cerr << "Import fehlgeschlagen: " << e.what() << "\n";
    return 1;
  }
  fs::remove_all(folder);
  test::reset_data();
  test::clear_ftp();

  std::printf("Importieren: %d Auktionen, je 3 Bilder zu %zu kB\n", kAuctions,
              kPictureBytes / 1024);
  print("alle Bilder geladen:", fetched);
  print("alle Bilder schon lokal:", local);
  return 0;
}
