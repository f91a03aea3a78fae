#pragma once

// Answers the program's questions from a script and records every text shown.

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ports/dialogs.h"

namespace tellvaro::test {

class ScriptedDialogs : public ports::Dialogs {
 public:
  std::vector<std::string> shown;  // every text, in order
  std::deque<ports::Answer> answers;
  std::deque<std::optional<std::string>> files;
  // Start folder and file-type list of every file dialog, in order.
  std::vector<std::pair<std::string, std::string>> file_dialogs;

  void inform(const std::string& text) override { shown.push_back(text); }
  void error(const std::string& text) override { shown.push_back(text); }
  ports::Answer ask_yes_no(const std::string& text) override { return next(text); }
  ports::Answer ask_yes_cancel(const std::string& text) override { return next(text); }
  std::optional<std::string> open_file(const std::string& folder,
                                       const std::string& filter) override {
    return next_file(folder, filter);
  }
  std::optional<std::string> save_file(const std::string& folder,
                                       const std::string& filter) override {
    return next_file(folder, filter);
  }

 private:
  ports::Answer next(const std::string& text) {
    shown.push_back(text);
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

}  // namespace tellvaro::test
