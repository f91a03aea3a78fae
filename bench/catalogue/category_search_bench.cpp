// The category search over a tree of about 50,000 categories, six levels deep: a rare name, a
// name so common that the limit cuts the list, and a text nothing contains. Runs against the
// test auction house (scripts/bench starts it).

#include <benchmark/benchmark.h>

#include <stdexcept>

#include "catalogue/category_search.h"
#include "db/connection.h"
#include "support/accounts.h"
#include "support/auction_house.h"

namespace {

using namespace tellvaro;

constexpr int kFanOut[] = {10, 10, 10, 10, 4};  // 10 + 100 + 1,000 + 10,000 + 40,000

db::Connection& connection() {
  static db::Connection db;
  static bool ready = [] {
    test::reset_data();
    test::admin_exec("delete from tv_auktionshaus.categories");
    int next_id = 1;
    std::vector<int> parents{0};
    std::string values;
    auto flush = [&] {
      if (values.empty()) return;
      test::admin_exec(
          "insert into tv_auktionshaus.categories (cat_id, parent_id, cat_name) values " + values);
      values.clear();
    };
    for (int level = 0; level < 5; ++level) {
      std::vector<int> made;
      for (int parent : parents) {
        for (int k = 0; k < kFanOut[level]; ++k) {
          const int id = next_id++;
          // Every 1,500th leaf is a spark plug; the rest have ordinary names.
          std::string name = level == 4 && id % 1500 == 0
                                 ? "Zündkerzen Satz " + std::to_string(id)
                                 : "Kategorie " + std::to_string(level + 1) + "-" +
                                       std::to_string(k) + " Nr. " + std::to_string(id);
          if (!values.empty()) values += ",";
          values += "(" + std::to_string(id) + "," + std::to_string(parent) + ",'" + name + "')";
          made.push_back(id);
          if (values.size() > 1'000'000) flush();
        }
      }
      parents = std::move(made);
    }
    flush();
    return test::connect_app(db);
  }();
  if (!ready) throw std::runtime_error("test auction house not reachable");
  return db;
}

void search(benchmark::State& state, const char* text) {
  auto& db = connection();
  std::size_t found = 0;
  for (auto _ : state) {
    auto matches = catalogue::search_categories(db, text);
    found = matches.size();
    benchmark::DoNotOptimize(matches);
  }
  state.counters["matches"] = static_cast<double>(found);
  state.counters["categories"] = 51110;
}

void BM_SearchRareName(benchmark::State& state) { search(state, "zündkerzen"); }
void BM_SearchCommonNameCutAtFifty(benchmark::State& state) { search(state, "kategorie 5-3"); }
void BM_SearchNothingFound(benchmark::State& state) { search(state, "Vergaser"); }

BENCHMARK(BM_SearchRareName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchCommonNameCutAtFifty)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchNothingFound)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
