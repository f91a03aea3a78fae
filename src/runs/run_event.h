#pragma once

// What a send or an import tells while it runs, in one shape for both: the window (or a
// benchmark) hears them through BackgroundRun::event, queued onto its own thread in the order
// they were told, and finished() after the last of them.

#include <QMetaType>
#include <QString>
#include <string>
#include <vector>

#include "ports/progress.h"
#include "upload/listed_rows.h"

namespace tellvaro::runs {

class BackgroundRun;

struct RunEvent {
  enum class Kind {
    ProgressStarted,   // `count` steps to go
    ProgressAdvanced,  // one step
    ProgressFinished,  // also after an error
    ProtocolCleared,   // the send begins a new protocol
    ProtocolLine,      // `line` for the upload protocol
    ProtocolWanted,    // the protocol is worth looking at now
    Note,              // `line` for the seller: something the run left out
    ArticleStarted,    // the send takes up the upload table's row `count`
    ListingsChanged,   // the memory of listings now holds `listings`
  };
  Kind kind = Kind::Note;
  int count = 0;
  QString line;
  std::vector<upload::Listing> listings;

  static RunEvent of(Kind kind, int count = 0) { return {kind, count, {}, {}}; }
  static RunEvent text(Kind kind, const std::string& line) {
    return {kind, 0, QString::fromStdString(line), {}};
  }
};

// Hands a progress event on to `progress`; false (and nothing done) for any other event. The
// one place where a run's progress reaches a status bar or a console.
bool forward_progress(const RunEvent& event, ports::Progress& progress);

// A run's progress told as events of `run`.
class ProgressEvents : public ports::Progress {
 public:
  explicit ProgressEvents(BackgroundRun& run) : run_(run) {}
  void start(std::size_t count) override;
  void advance(std::size_t steps) override;
  void finish() override;

 private:
  BackgroundRun& run_;
};

}  // namespace tellvaro::runs

Q_DECLARE_METATYPE(tellvaro::runs::RunEvent)
