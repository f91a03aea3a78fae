#pragma once

// One long job on a thread of its own. The job runs plain core calls; what it reports reaches
// the owner's thread through queued signals (its own, or those of the classes built on this),
// and finished() comes last, after every signal the job sent.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

#include "runs/run_event.h"

class QThread;

namespace tellvaro::runs {

class BackgroundRun : public QObject {
  Q_OBJECT

 public:
  explicit BackgroundRun(QObject* parent = nullptr);
  // Asks the job to stop and waits for its thread: nothing of it outlives the owner.
  ~BackgroundRun() override;

  // Starts `job` on a new thread; false (and nothing started) while one still runs.
  bool start(std::function<void()> job);
  bool running() const { return thread_ != nullptr; }

  // Asks the job to stop at its next safe point (it reads stopRequested()).
  void requestStop() { stop_ = true; }
  bool stopRequested() const { return stop_; }

  // From the job's thread: tells `e` to the owner's thread, where event() delivers it.
  void tell(RunEvent e) { emit event(e); }

 signals:
  // What the job told, queued onto the owner's thread in the order it was told.
  void event(const tellvaro::runs::RunEvent& e);
  // On the owner's thread, once the job has returned and its thread is gone.
  void finished();

 protected:
  // Asks the job to stop and waits until its thread has ended. A class built on this calls it
  // first in its destructor: the job writes into that class's members, which go before this
  // base's destructor runs.
  void stop_and_wait();

 private:
  void joined();

  std::unique_ptr<QThread> thread_;
  std::atomic<bool> stop_ = false;
};

}  // namespace tellvaro::runs
