#pragma once

// The user-interface ports for tests, core and GUI alike: dialogs that answer from a script
// and record every text shown, and a progress display that records its calls.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ports/dialogs.h"
#include "ports/progress.h"

namespace tellvaro::test {

class ScriptedDialogs : public ports::Dialogs {
 public:
  std::vector<std::string> shown;  // every text, in order
  std::deque<ports::Answer> answers;
  std::deque<std::size_t> choices;  // for choose(); none left: the last button
  std::deque<std::optional<std::string>> files;
  // Start folder and file-type list of every file dialog, in order.
  std::vector<std::pair<std::string, std::string>> file_dialogs;

  // Runs while each text is shown: a real box runs the event loop until it is answered.
  std::function<void()> while_shown;

  void inform(const std::string& text) override { show(text); }
  void error(const std::string& text) override { show(text); }
  ports::Answer ask_yes_no(const std::string& text) override { return next(text); }
  ports::Answer ask_yes_cancel(const std::string& text) override { return next(text); }
  std::size_t choose(const std::string& text, const std::vector<std::string>& buttons) override {
    shown.push_back(text);
    std::size_t pick = buttons.empty() ? 0 : buttons.size() - 1;
    if (!choices.empty()) {
      pick = choices.front();
      choices.pop_front();
    }
    return pick;
  }
  std::optional<std::string> open_file(const std::string& folder,
                                       const std::string& filter) override {
    return next_file(folder, filter);
  }
  std::optional<std::string> save_file(const std::string& folder,
                                       const std::string& filter) override {
    return next_file(folder, filter);
  }

 private:
  void show(const std::string& text) {
    shown.push_back(text);
    if (while_shown) while_shown();
  }
  ports::Answer next(const std::string& text) {
    show(text);
    if (answers.empty()) return ports::Answer::No;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<std::string> next_file(const std::string& folder, const std::string& filter) {
    file_dialogs.emplace_back(folder, filter);
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
  }
};

// Every call as a line: "start 3", "advance 1", "finish".
class ScriptedProgress : public ports::Progress {
 public:
  std::vector<std::string> calls;
  void start(std::size_t count) override { calls.push_back("start " + std::to_string(count)); }
  void advance(std::size_t steps) override { calls.push_back("advance " + std::to_string(steps)); }
  void finish() override { calls.push_back("finish"); }
};

}  // namespace tellvaro::test
