#pragma once

// The user-interface ports of the core for a program without a window: questions answered by
// the options (or on the terminal), messages as lines, progress as one line on standard error.

#include <cstdio>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/options.h"
#include "ports/dialogs.h"
#include "ports/progress.h"
#include "upload/send.h"

namespace tellvaro::cli {

// Answers the send's questions by --erneut, or on the terminal when it was not given; every
// message goes to `out` (information) or `err` (errors), and errors are counted.
class ConsoleDialogs : public ports::Dialogs {
 public:
  // `ask` reads one answer line from the terminal; absent when there is none.
  using AskLine = std::function<std::optional<std::string>(const std::string& prompt)>;
  ConsoleDialogs(Again again, std::ostream& out, std::ostream& err, AskLine ask = {});

  void inform(const std::string& text) override;
  void error(const std::string& text) override;
  ports::Answer ask_yes_no(const std::string& text) override;
  ports::Answer ask_yes_cancel(const std::string& text) override;
  std::size_t choose(const std::string& text, const std::vector<std::string>& buttons) override;
  std::optional<std::string> open_file(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> save_file(const std::string&, const std::string&) override {
    return std::nullopt;
  }

  int errors() const { return errors_; }

 private:
  Again again_;
  std::ostream& out_;
  std::ostream& err_;
  AskLine ask_;
  int errors_ = 0;
};

// "Artikel 2 von 5" on standard error, rewritten in place; only when it is a terminal.
class ConsoleProgress : public ports::Progress {
 public:
  explicit ConsoleProgress(std::FILE* stream);
  void start(std::size_t count) override;
  void advance(std::size_t steps) override;
  void finish() override;
  // Around a line written to the same terminal (the protocol): the progress line goes away
  // first and comes back below it.
  void hide();
  void show();

 private:
  void draw();
  std::FILE* stream_;
  bool terminal_;
  std::size_t count_ = 0, done_ = 0;
  bool shown_ = false;
};

// A send's events on the console: its protocol lines on `out` as they come, its progress on the
// progress line, and a stop asked for by a signal (below) between two articles.
class ConsoleSendEvents : public upload::SendEvents {
 public:
  ConsoleSendEvents(std::ostream& out, ConsoleProgress& progress)
      : out_(out), progress_(progress) {}
  void protocol_line(const std::string& line) override;
  void progress_started(std::size_t count) override { progress_.start(count); }
  void progress_advanced() override { progress_.advance(1); }
  void progress_finished() override { progress_.finish(); }
  bool stop_requested() override;

 private:
  std::ostream& out_;
  ConsoleProgress& progress_;
};

// While it lives, Ctrl-C, SIGTERM and a hang-up ask a run to stop after the article (or auction)
// at hand, so a nightly job ended by its time limit still mails what it listed; a second one
// ends the program at once.
class StopOnSignal {
 public:
  StopOnSignal();
  ~StopOnSignal();
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;
  static bool requested();
};

// One answer line typed on the terminal, the prompt on standard error; absent without one.
std::optional<std::string> ask_on_terminal(const std::string& prompt);

}  // namespace tellvaro::cli
