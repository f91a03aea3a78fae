#pragma once

// What the grid benchmarks share: dialogs that answer nothing and print errors, the figures
// each run is measured by, and a watch on what reaches a grid during a step.

#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/table_grid.h"
#include "ports/dialogs.h"

namespace tellvaro::bench {

class NoDialogs : public ports::Dialogs {
 public:
  void inform(const std::string&) override {}
  void error(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  ports::Answer ask_yes_no(const std::string&) override { return ports::Answer::No; }
  ports::Answer ask_yes_cancel(const std::string&) override { return ports::Answer::Cancel; }
  std::size_t choose(const std::string&, const std::vector<std::string>& buttons) override {
    return buttons.empty() ? 0 : buttons.size() - 1;
  }
  std::optional<std::string> open_file(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> save_file(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

// Processor time of this thread: the machine may be shared, and waiting for a turn on it is
// not the program's cost. Wall-clock time is printed beside it.
inline double cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// What reached the grid during one step.
struct Seen {
  int resets = 0, layouts = 0, changes = 0, inserts = 0, paints = 0;
};

class GridWatch : public QObject {
 public:
  explicit GridWatch(app::TableGrid& grid) {
    grid.viewport()->installEventFilter(this);
    auto* model = grid.model();
    QObject::connect(model, &QAbstractItemModel::modelReset, this, [this] { ++seen.resets; });
    QObject::connect(model, &QAbstractItemModel::layoutChanged, this, [this] { ++seen.layouts; });
    QObject::connect(model, &QAbstractItemModel::dataChanged, this, [this] { ++seen.changes; });
    QObject::connect(model, &QAbstractItemModel::rowsInserted, this, [this] { ++seen.inserts; });
  }
  Seen seen;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++seen.paints;
    return false;
  }
};

// Lets the view react and paint: the grid's repaint is part of what a step costs.
inline void settle() {
  QApplication::sendPostedEvents();
  QApplication::processEvents();
}

// Runs `step(i)` `runs` times, each with `prepare(i)` before it (not timed), and prints the
// median time and the most of each count seen in one run.
inline void measure(const char* what, int runs, GridWatch& watch,
                    const std::function<void(int)>& prepare, const std::function<void(int)>& step) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> cpu, wall;
  Seen most;
  for (int i = 0; i < runs; ++i) {
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
    most.layouts = std::max(most.layouts, watch.seen.layouts);
    most.changes = std::max(most.changes, watch.seen.changes);
    most.inserts = std::max(most.inserts, watch.seen.inserts);
    most.paints = std::max(most.paints, watch.seen.paints);
  }
  std::printf(
      "%-40s median %7.1f ms CPU (worst %7.1f), %7.1f ms wall; model resets %d, layout changes "
      "%d, data-changed signals %d, row-insert signals %d, grid paints %d\n",
      what, median(cpu), *std::max_element(cpu.begin(), cpu.end()), median(wall), most.resets,
      most.layouts, most.changes, most.inserts, most.paints);
}

}  // namespace tellvaro::bench
