#pragma once

// What the grid benchmarks share: dialogs that answer nothing and print errors, and the
// figures each run is measured by.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

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

}  // namespace tellvaro::bench
