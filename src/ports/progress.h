#pragma once

// How a long run (send all, import) shows how far it got: the app draws a progress bar in the
// status bar, tests record the calls.

#include <cstddef>

namespace tellvaro::ports {

class Progress {
 public:
  virtual ~Progress() = default;
  // A run of `count` steps begins; nothing is done yet.
  virtual void start(std::size_t count) = 0;
  // `steps` more are done.
  virtual void advance(std::size_t steps = 1) = 0;
  // The run is over (also when it stopped early); the display goes away.
  virtual void finish() = 0;
};

// For a caller that shows no progress.
class NoProgress : public Progress {
 public:
  void start(std::size_t) override {}
  void advance(std::size_t) override {}
  void finish() override {}
};

// Starts on construction and finishes on destruction, so a run that throws still clears the
// display.
class ProgressRun {
 public:
  ProgressRun(Progress& progress, std::size_t count) : progress_(progress) {
    progress_.start(count);
  }
  ~ProgressRun() { progress_.finish(); }
  ProgressRun(const ProgressRun&) = delete;
  ProgressRun& operator=(const ProgressRun&) = delete;
  void advance(std::size_t steps = 1) { progress_.advance(steps); }

 private:
  Progress& progress_;
};

}  // namespace tellvaro::ports
