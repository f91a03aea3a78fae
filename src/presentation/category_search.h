#pragma once

// The category search beside the category browser and in the bulk change: what was typed, when
// to ask the server, what it found and which of it can be taken. The window shows the rows and
// the note, runs the pause and hands the request to whatever asks the server; the answer comes
// back here by its number, so a slow answer to an older text never replaces a newer one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/category_search.h"

namespace tellvaro::presentation {

// The note below the results before anything was found: beside the browser, where a result goes
// into the slot chosen above, and in the bulk change.
inline constexpr std::string_view kBrowserSearchHint =
    "Mindestens drei Zeichen eingeben. Doppelklick oder Eingabetaste übernimmt eine Kategorie "
    "ohne Unterkategorien für die gewählte Kat 1 / Kat 2.";
inline constexpr std::string_view kBulkSearchHint =
    "Mindestens drei Zeichen eingeben. Doppelklick oder Eingabetaste übernimmt eine Kategorie "
    "ohne Unterkategorien.";

class CategorySearch {
 public:
  // Searching at every keystroke would ask the server for every letter typed.
  static constexpr int kPauseMs = 300;

  // `hint` is the note while nothing was found yet.
  explicit CategorySearch(std::string_view hint);

  struct Request {
    std::uint64_t id = 0;
    std::string text;
  };

  // The text changed: true when the pause is to start (again), false when a pause already
  // running is to stop: the results already answer this text, or it has been asked for.
  bool edited(std::string_view text);
  // The pause ended: what to ask the server, if anything. A text too short empties the results
  // at once; while a run holds the tables (`busy`) nothing is asked and the note says so.
  std::optional<Request> pause_ended(bool busy);
  // The answer to request `id`. False (and nothing changed) for an answer a newer request
  // supersedes.
  bool found(std::uint64_t id, std::vector<catalogue::CategoryMatch> matches);
  // The request `id` failed with `message`: the note shows it, the next pause tries again.
  bool failed(std::uint64_t id, std::string message);

  struct Row {
    std::string text;  // the whole path
    std::string tip;
    bool selectable = false;  // only a category without sub-categories can be taken
  };
  const std::vector<Row>& rows() const { return rows_; }
  const std::string& note() const { return note_; }
  // Whether a question is out whose answer is still to come.
  bool waiting() const { return waiting_ != 0; }

  // The first row that can be taken; -1 when none.
  int first_selectable() const;
  // The category at `row`, when it can be taken.
  std::optional<catalogue::CategoryMatch> take(int row) const;

 private:
  void show(std::vector<catalogue::CategoryMatch> matches);
  void clear();

  std::string hint_;
  std::string text_;      // as typed last
  std::string answered_;  // the text the rows answer (or the one asked for)
  std::uint64_t next_id_ = 0;
  std::uint64_t waiting_ = 0;  // the request whose answer counts; 0 when none is out
  std::vector<catalogue::CategoryMatch> matches_;
  std::vector<Row> rows_;
  std::string note_;
};

}  // namespace tellvaro::presentation
