#pragma once

// The longest time an event loop could not run its events during a run: a timer due every two
// milliseconds notes the longest gap between two of its firings, the time in which a window
// could neither paint nor take a click (two milliseconds at least). Not a timer that fires
// whenever the loop is free: that keeps a processor busy, which the run being measured and its
// servers then lack (on two cores it made a threaded import look half again slower than the
// same import called directly).

#include <QObject>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace tellvaro::test {

class EventLoopWait : public QObject {
 public:
  using Clock = std::chrono::steady_clock;

  EventLoopWait() {
    ticker_.setInterval(2);
    ticker_.setTimerType(Qt::PreciseTimer);
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
