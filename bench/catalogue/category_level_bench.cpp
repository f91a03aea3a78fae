// Filling one category level of 300 entries: one query per entry for its marker, against one
// grouped query for all markers. Runs against the test auction house (scripts/bench starts it).

#include <benchmark/benchmark.h>

#include <iostream>

#include "catalogue/categories.h"
#include "db/connection.h"
#include "support/accounts.h"
#include "support/auction_house.h"

namespace {

using namespace tellvaro;

db::Connection& connection() {
  static db::Connection db;
  static bool ready = [] {
    test::reset_data();
    std::string values;
    for (int i = 0; i < 300; ++i) {
      values += (i ? "," : "") + std::string("(") + std::to_string(5000 + i) + ",4999,'Eintrag " +
                std::to_string(i) + "')";
      if (i % 3 == 0)
        values += ",(" + std::to_string(9000 + i) + "," + std::to_string(5000 + i) + ",'Kind')";
    }
    test::admin_exec(
        "insert into tv_auktionshaus.categories (cat_id, parent_id, cat_name) values " + values);
    db.set_params(test::app_account());
    return db.connect() && db.select_database("tv_auktionshaus");
  }();
  if (!ready) throw std::runtime_error("test auction house not reachable");
  return db;
}

void BM_LevelOneQueryPerEntry(benchmark::State& state) {
  auto& db = connection();
  for (auto _ : state) benchmark::DoNotOptimize(catalogue::read_level_per_entry(db, "4999"));
  state.counters["statements"] = 301;
}

void BM_LevelGroupedMarkers(benchmark::State& state) {
  auto& db = connection();
  for (auto _ : state) benchmark::DoNotOptimize(catalogue::read_level(db, "4999"));
  state.counters["statements"] = 2;
}

BENCHMARK(BM_LevelOneQueryPerEntry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LevelGroupedMarkers)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
