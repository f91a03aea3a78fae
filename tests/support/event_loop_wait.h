#pragma once

// The longest time an event loop could not run its events during a run: a timer that fires
// whenever the loop is free notes the longest gap between two of its firings, the time in which
// a window could neither paint nor take a click.

#include <QObject>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace tellvaro::test {

class EventLoopWait : public QObject {
 public:
  using Clock = std::chrono::steady_clock;

  EventLoopWait() {
    ticker_.setInterval(0);
    connect(&ticker_, &QTimer::timeout, this, [this] { gap(); });
  }

  void begin() {
    longest_ = {};
    last_ = Clock::now();
    ticker_.start();
  }
  void end() {
    gap();
    ticker_.stop();
  }
  Clock::duration longest() const { return longest_; }

 private:
  void gap() {
    const auto now = Clock::now();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }

  QTimer ticker_;
  Clock::time_point last_;
  Clock::duration longest_{};
};

}  // namespace tellvaro::test
