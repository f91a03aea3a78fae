// A title click and a filter keystroke on an article grid of 10,000 articles, each measured
// with what the grid does about it: the model's signals, the view's reaction and one repaint of
// the visible rows. Runs offscreen; prints one line per figure (median and worst of the runs).

#include <QApplication>
#include <QHeaderView>
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
#include "presentation/grid_sorting.h"
#include "store/article_store.h"

namespace {

using namespace tellvaro;
using bench::cpu_ms;
using bench::median;
using bench::NoDialogs;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kArticles = 10000;
constexpr int kRuns = 21;

struct Times {
  std::vector<double> cpu, wall;
};

// Measures one run of `f`.
void time_one(Times& times, const std::function<void()>& f) {
  const double c0 = cpu_ms();
  const auto t0 = Clock::now();
  f();
  times.wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  times.cpu.push_back(cpu_ms() - c0);
}

void report(const char* what, const Times& t) {
  std::printf("%-50s median %6.1f ms CPU (worst %6.1f), %6.1f ms wall\n", what, median(t.cpu),
              *std::max_element(t.cpu.begin(), t.cpu.end()), median(t.wall));
}

// Runs `step(i)` kRuns times, each followed by the grid's reaction and a repaint.
Times timed(app::TableGrid& grid, const std::function<void(int)>& step) {
  Times times;
  for (int i = 0; i < kRuns; ++i) {
    QApplication::processEvents();
    time_one(times, [&] {
      step(i);
      QApplication::processEvents();
      grid.viewport()->repaint();
    });
  }
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  NoDialogs dialogs;
  store::ArticleStore store;
  store.articles.replace_all(bench::generate_articles(kArticles));

  using presentation::Grid;
  const auto& columns = presentation::columns_of(Grid::Articles);
  auto column_of = [](store::F field) { return presentation::column_of(Grid::Articles, field); };
  // Alternating titles, so every click really reorders.
  const store::F titles[] = {store::F::Startpreis, store::F::Artikelname, store::F::Anzeigenart,
                             store::F::Untertitel};
  {
    // The same steps on a table that no grid shows: the core's share of the figures below.
    store::ArticleStore bare;
    bare.articles.replace_all(store.articles.stored());
    presentation::GridSorting sorting(bare);
    sorting.start();
    Times click, filter;
    const char* texts[] = {"u", "uh", "uhr", "uh", "u", ""};
    for (int i = 0; i < kRuns; ++i) {
      time_one(click, [&] { sorting.click_title(Grid::Articles, column_of(titles[i % 4])); });
    }
    sorting.click_title(Grid::Articles, column_of(store::F::Artikelname));
    for (int i = 0; i < kRuns; ++i) {
      time_one(filter, [&] { sorting.filter(texts[i % 6], true); });
    }
    report("title click, table alone", click);
    report("filter keystroke, table alone", filter);
  }
  auto* model = new app::TableModel(store.articles, columns, true, dialogs);
  app::TableGrid grid(model, QStringLiteral("Artikel-Tabelle"), true);
  grid.resize(900, 700);
  grid.show();
  presentation::GridSorting sorting(store);
  sorting.start();
  store.articles.move_to(kArticles / 2);
  QApplication::processEvents();

  std::printf("%zu articles, article grid %d x %d pixels\n", kArticles, grid.width(),
              grid.height());
  report("title click (sort, model update, repaint)", timed(grid, [&](int i) {
           sorting.click_title(Grid::Articles, column_of(titles[i % 4]));
         }));

  sorting.click_title(Grid::Articles, column_of(store::F::Artikelname));
  // Typing a word letter by letter with "Filter" ticked, then taking it back again.
  const char* texts[] = {"u", "uh", "uhr", "uh", "u", ""};
  report("filter keystroke (filter, model update, repaint)",
         timed(grid, [&](int i) { sorting.filter(texts[i % 6], true); }));
  std::printf("rows shown at the end: %zu\n", store.articles.count());
  return 0;
}
