// A bulk change of 3 fields (Auktionsdauer, a payment box, Startpreis +10 %) on all 10,000
// articles of the article grid, sorted by `Artikelname`, through the workspace's fee rule: the
// preview, the change up to the end of the grid's repaint, and its undo. For each: processor
// time, and what reached the grid (model resets, layout changes, data-changed signals, paint
// events). Runs offscreen; prints one line per step (median time, worst counts of the runs).

#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/table_grid.h"
#include "app/table_model.h"
#include "article_generator.h"
#include "grid_bench.h"
#include "workspace/bulk_edit.h"
#include "workspace/workspace.h"

namespace {

using namespace tellvaro;
using bench::GridWatch;
using bench::measure;
using bench::NoDialogs;
using bench::settle;

constexpr std::size_t kArticles = 10000;
constexpr int kRuns = 11;

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  NoDialogs dialogs;
  const std::vector<store::Record> base = bench::generate_articles(kArticles);

  workspace::Workspace ws({}, {}, {}, "/tmp/");
  catalogue::FeatureFees fees;
  fees.fee[static_cast<std::size_t>(catalogue::Feature::Fettschrift)] = 0.5;
  ws.set_feature_fees(fees);
  store::Table& table = ws.articles();
  table.replace_all(base);
  table.sort(store::SortKind::AscendingCase, store::F::Artikelname);
  auto* model = new app::TableModel(table, presentation::columns_of(presentation::Grid::Articles),
                                    true, dialogs);
  app::TableGrid grid(model, QStringLiteral("Artikel-Tabelle"), true);
  grid.resize(900, 700);
  grid.show();
  GridWatch watch(grid);
  std::printf("%zu articles, grid %d x %d pixels, %d runs each\n", kArticles, grid.width(),
              grid.height(), kRuns);

  workspace::BulkEditor bulk(table);
  workspace::BulkChange change;
  change.fields = {{store::F::Auktionsdauer, workspace::BulkWay::Value, "10"},
                   {store::F::p3, workspace::BulkWay::On, ""},
                   {store::F::Startpreis, workspace::BulkWay::Percent, "10"}};
  auto keys = [&] {
    std::vector<store::Table::Key> k;
    for (std::size_t r = 0; r < table.count(); ++r) k.push_back(table.key(r));
    return k;
  };
  auto restore = [&](int) {
    table.replace_all(base);
    table.sort(store::SortKind::AscendingCase, store::F::Artikelname);
    table.move_to(kArticles / 2);
  };

  std::size_t lines = 0;
  measure("preview (3 fields, 10,000 articles)", kRuns, watch, restore,
          [&](int) { lines = bulk.preview(keys(), change).lines.size(); });
  std::size_t changed = 0;
  measure("apply, grid repainted", kRuns, watch, restore,
          [&](int) { changed = bulk.apply(keys(), change); });
  measure(
      "undo, grid repainted", kRuns, watch,
      [&](int) {
        restore(0);
        bulk.apply(keys(), change);
      },
      [&](int) { bulk.undo(); });
  std::printf("(%zu preview lines, %zu articles changed per apply)\n", lines, changed);
  return 0;
}
