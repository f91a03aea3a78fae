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
using bench::cpu_ms;
using bench::median;
using bench::NoDialogs;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kArticles = 10000;
constexpr std::size_t kAppended = 1000;
constexpr int kRuns = 11;

// What reached the grid during one step.
struct Seen {
  int resets = 0, inserts = 0, paints = 0;
};

class GridWatch : public QObject {
 public:
  GridWatch(app::TableGrid& grid) {
    grid.viewport()->installEventFilter(this);
    QObject::connect(grid.model(), &QAbstractItemModel::modelReset, this,
                     [this] { ++seen.resets; });
    QObject::connect(grid.model(), &QAbstractItemModel::rowsInserted, this,
                     [this] { ++seen.inserts; });
  }
  Seen seen;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++seen.paints;
    return false;
  }
};

// Lets the view react and paint: the grid's repaint is part of what a step costs.
void settle() {
  QApplication::sendPostedEvents();
  QApplication::processEvents();
}

// Runs `step(i)` kRuns times, each with `prepare(i)` before it (not timed), and prints the
// median time and the most of each count seen in one run.
void measure(const char* what, GridWatch& watch, const std::function<void(int)>& prepare,
             const std::function<void(int)>& step) {
  std::vector<double> cpu, wall;
  Seen most;
  for (int i = 0; i < kRuns; ++i) {
    prepare(i);
    settle();
    watch.seen = {};
    const double c0 = cpu_ms();
    const auto t0 = Clock::now();
    step(i);
    settle();
    wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    cpu.push_back(cpu_ms() - c0);
    most.resets = std::max(most.resets, watch.seen.resets);
    most.inserts = std::max(most.inserts, watch.seen.inserts);
    most.paints = std::max(most.paints, watch.seen.paints);
  }
  std::printf(
      "%-44s median %7.1f ms CPU (worst %7.1f), %7.1f ms wall; resets %d, row-insert "
      "signals %d, grid paints %d\n",
      what, median(cpu), *std::max_element(cpu.begin(), cpu.end()), median(wall), most.resets,
      most.inserts, most.paints);
}

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
  measure("1,000 appends in one batch", watch, restore, [&](int) {
    const store::Table::Batch batch(table);
    append_all();
  });
  measure("1,000 appends without a batch", watch, restore, [&](int) { append_all(); });

  table.replace_all(base);
  settle();
  // Far jumps, so each move scrolls the grid to another page.
  measure(
      "cursor move", watch, [](int) {},
      [&](int i) { table.move_to((static_cast<std::size_t>(i) * 3571) % kArticles); });
  return 0;
}
