// What a grid of 10,000 articles does when rows arrive or the cursor moves: 1,000 appends
// inside one batch (as an import or a transfer makes them), the same appends one by one, and a
// cursor move. For each: processor time up to the end of the repaint, and what reached the
// view (model resets, row-insert signals, paint events of the grid). Runs offscreen; prints one
// line per step (median time, worst counts of the runs).

#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include "app/table_grid.h"
#include "app/table_model.h"
#include "article_generator.h"
#include "grid_bench.h"
#include "store/table.h"

namespace {

using namespace tellvaro;
using bench::GridWatch;
using bench::measure;
using bench::NoDialogs;
using bench::settle;

constexpr std::size_t kArticles = 10000;
constexpr std::size_t kAppended = 1000;
constexpr int kRuns = 11;

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  NoDialogs dialogs;
  const std::vector<store::Record> base = bench::generate_articles(kArticles);
  const std::vector<store::Record> more = bench::generate_articles(kAppended);

  // The upload grid's case: a table in stored order, new rows at the end.
  store::Table table;
  table.replace_all(base);
  auto* model = new app::TableModel(table, presentation::columns_of(presentation::Grid::Uploads),
                                    false, dialogs);
  app::TableGrid grid(model, QStringLiteral("Upload-Tabelle"), false);
  grid.resize(900, 700);
  grid.show();
  GridWatch watch(grid);
  std::printf("%zu articles, grid %d x %d pixels, %d runs each\n", kArticles, grid.width(),
              grid.height(), kRuns);

  auto restore = [&](int) {
    table.replace_all(base);
    table.move_to(kArticles / 2);
  };
  auto append_all = [&] {
    for (const auto& record : more) {
      table.append();
      table.set_values(record);
      table.post();
    }
  };
  measure("1,000 appends in one batch", kRuns, watch, restore, [&](int) {
    const store::Table::Batch batch(table);
    append_all();
  });
  measure("1,000 appends without a batch", kRuns, watch, restore, [&](int) { append_all(); });

  table.replace_all(base);
  settle();
  // Far jumps, so each move scrolls the grid to another page.
  measure(
      "cursor move", kRuns, watch, [](int) {},
      [&](int i) { table.move_to((static_cast<std::size_t>(i) * 3571) % kArticles); });
  return 0;
}
