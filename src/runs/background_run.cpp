#include "runs/background_run.h"

#include <QThread>

#include "db/connection.h"

namespace tellvaro::runs {

BackgroundRun::BackgroundRun(QObject* parent) : QObject(parent) {
  qRegisterMetaType<tellvaro::runs::RunEvent>();
}

BackgroundRun::~BackgroundRun() { stop_and_wait(); }

void BackgroundRun::stop_and_wait() {
  if (thread_) {
    stop_ = true;
    thread_->wait();
  }
}

bool BackgroundRun::start(std::function<void()> job) {
  if (thread_) return false;
  stop_ = false;
  thread_.reset(QThread::create([job = std::move(job)] {
    // Every run opens its own database connection on this thread.
    const db::ThreadUse mysql;
    job();
  }));
  // Queued: the thread's end is posted after everything the job posted, so the owner hears
  // finished() last.
  connect(thread_.get(), &QThread::finished, this, &BackgroundRun::joined, Qt::QueuedConnection);
  thread_->start();
  return true;
}

void BackgroundRun::joined() {
  if (!thread_) return;
  // Makes what the job wrote visible here before anyone reads its result.
  thread_->wait();
  thread_.reset();
  emit finished();
}

}  // namespace tellvaro::runs
