#include "runs/run_event.h"

#include "runs/background_run.h"

namespace tellvaro::runs {

bool forward_progress(const RunEvent& event, ports::Progress& progress) {
  switch (event.kind) {
    case RunEvent::Kind::ProgressStarted:
      progress.start(static_cast<std::size_t>(event.count));
      return true;
    case RunEvent::Kind::ProgressAdvanced:
      progress.advance();
      return true;
    case RunEvent::Kind::ProgressFinished:
      progress.finish();
      return true;
    default:
      return false;
  }
}

void ProgressEvents::start(std::size_t count) {
  run_.tell(RunEvent::of(RunEvent::Kind::ProgressStarted, static_cast<int>(count)));
}

void ProgressEvents::advance(std::size_t steps) {
  for (std::size_t i = 0; i < steps; ++i) run_.tell(RunEvent::of(RunEvent::Kind::ProgressAdvanced));
}

void ProgressEvents::finish() { run_.tell(RunEvent::of(RunEvent::Kind::ProgressFinished)); }

}  // namespace tellvaro::runs
