#pragma once

// The questions asked before a step that cannot be taken back, as values: a flow says what to
// ask, the window shows it (through ports::Dialogs) and hands the answer back, and the flow
// does what the answer asks. Tested without a window.

#include <optional>
#include <string>

#include "ports/dialogs.h"

namespace tellvaro::store {
class Table;
}

namespace tellvaro::presentation {

// A question answered with Yes or No.
struct Question {
  std::string text;
  bool operator==(const Question&) const = default;
};

// Shows `question` and gives the answer.
ports::Answer ask(ports::Dialogs& dialogs, const Question& question);

// --- deleting records -------------------------------------------------------------------------

enum class Deletion {
  Article,  // "Artikel löschen" in a grid's menu: the current record
  Record,   // a navigator's delete or Ctrl+Del in a grid: the current record
  All,      // "Alle Artikel löschen": every record the table shows
};

// What to ask before `deletion` on `table`; nothing when there is nothing to delete one of.
// "Alle Artikel löschen" is asked even of a table that shows nothing.
std::optional<Question> ask_before(Deletion deletion, const store::Table& table);

// Deletes on Yes; any other answer changes nothing. True when it deleted.
bool delete_on(ports::Answer answer, Deletion deletion, store::Table& table);

// --- closing the window while a run works on the tables ----------------------------------------

// Closing the main window during a send or an import asks whether to stop after the article at
// hand; on Yes the run is asked to stop and the window closes once it has ended.
class CloseDuringRun {
 public:
  enum class Run { None, Sending, Importing, Other };

  struct Step {
    bool close_now = false;            // no run: the close sequence goes ahead
    std::optional<Question> question;  // ask it and hand the answer to `answered`
  };
  // The seller closes the window while `run` is going on. The window stays open unless
  // `close_now`; a close already waiting for the run's end asks nothing again.
  Step requested(Run run);

  // True when the run is to stop after its current article (and the window close then).
  bool answered(ports::Answer answer);

  // A run has ended and nothing is busy any longer: true when the window is to close now.
  bool run_ended(bool still_busy) const { return waiting_ && !still_busy; }

  // The close sequence failed (a table could not be saved): the window stays and a later end
  // of a run closes nothing.
  void close_failed() { waiting_ = false; }

  bool waiting() const { return waiting_; }

 private:
  bool waiting_ = false;
};

}  // namespace tellvaro::presentation
