#include "cli/console.h"

#include <signal.h>
#include <unistd.h>

#include <iostream>

#include "media/pictures.h"
#include "text/number.h"

namespace tellvaro::cli {
namespace {

volatile sig_atomic_t g_stop = 0;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
// What each stop signal did before: it comes back at the first one, so a second ends the
// program as it would have, and when the run is over.
struct sigaction g_before[3] = {};
bool g_taken[3] = {};

extern "C" void ask_to_stop(int signal_number) {
  g_stop = 1;
  for (int i = 0; i < 3; ++i)
    if (kStopSignals[i] == signal_number) ::sigaction(signal_number, &g_before[i], nullptr);
}

}  // namespace

ConsoleDialogs::ConsoleDialogs(Again again, std::ostream& out, std::ostream& err, AskLine ask)
    : again_(again), out_(out), err_(err), ask_(std::move(ask)) {}

void ConsoleDialogs::inform(const std::string& text) { out_ << text << '\n' << std::flush; }

void ConsoleDialogs::error(const std::string& text) {
  ++errors_;
  err_ << "Fehler: " << text << '\n' << std::flush;
}

ports::Answer ConsoleDialogs::ask_yes_no(const std::string& text) {
  switch (again_) {
    case Again::Always:
      out_ << text << " Ja (--erneut=immer)\n" << std::flush;
      return ports::Answer::Yes;
    case Again::Never:
      out_ << text << " Nein (--erneut=nie)\n" << std::flush;
      return ports::Answer::No;
    case Again::Ask:
      break;
  }
  if (ask_) {
    if (auto line = ask_(text + " [j/N] ")) {
      if (*line == "j" || *line == "J" || *line == "ja" || *line == "Ja") return ports::Answer::Yes;
    }
  }
  return ports::Answer::No;
}

ports::Answer ConsoleDialogs::ask_yes_cancel(const std::string& text) {
  return ask_yes_no(text) == ports::Answer::Yes ? ports::Answer::Yes : ports::Answer::Cancel;
}

std::size_t ConsoleDialogs::choose(const std::string& text,
                                   const std::vector<std::string>& buttons) {
  if (buttons.empty()) return 0;
  const std::size_t harmless = buttons.size() - 1;
  // The send's buttons: [only the others,] all, nothing.
  std::optional<std::size_t> pick;
  if (again_ == Again::Always && buttons.size() >= 2) pick = buttons.size() - 2;
  if (again_ == Again::Never) pick = buttons.size() == 3 ? 0 : harmless;
  if (pick) {
    out_ << text << '\n'
         << buttons[*pick] << (again_ == Again::Always ? " (--erneut=immer)" : " (--erneut=nie)")
         << '\n'
         << std::flush;
    return *pick;
  }
  if (ask_) {
    std::string prompt = text + "\n";
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      prompt += "  " + text::format_int(i + 1) + ") " + buttons[i] + "\n";
    }
    prompt += "Auswahl [" + text::format_int(buttons.size()) + "]: ";
    if (auto line = ask_(prompt)) {
      for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (*line == text::format_int(i + 1)) return i;
      }
    }
    return harmless;
  }
  // Nobody to ask: as --erneut=nie.
  const std::size_t fallback = buttons.size() == 3 ? 0 : harmless;
  out_ << text << '\n' << buttons[fallback] << " (ohne --erneut wie nie)\n" << std::flush;
  return fallback;
}

std::optional<std::string> ask_on_terminal(const std::string& prompt) {
  if (!::isatty(STDIN_FILENO)) return std::nullopt;
  std::cerr << prompt << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  return line;
}

ConsoleProgress::ConsoleProgress(std::FILE* stream)
    : stream_(stream), terminal_(::isatty(::fileno(stream)) != 0) {}

void ConsoleProgress::start(std::size_t count) {
  count_ = count;
  done_ = 0;
  draw();
}

void ConsoleProgress::advance(std::size_t steps) {
  done_ += steps;
  draw();
}

void ConsoleProgress::finish() {
  if (terminal_ && shown_) {
    std::fputs("\r\033[K", stream_);
    std::fflush(stream_);
  }
  shown_ = false;
}

void ConsoleProgress::hide() {
  if (terminal_ && shown_) {
    std::fputs("\r\033[K", stream_);
    std::fflush(stream_);
  }
}

void ConsoleProgress::show() {
  if (shown_) draw();
}

void ConsoleProgress::draw() {
  if (!terminal_) return;
  std::fprintf(stream_, "\r\033[KArtikel %zu von %zu", done_, count_);
  std::fflush(stream_);
  shown_ = true;
}

}  // namespace tellvaro::cli

namespace tellvaro::cli {

void ConsoleSendEvents::protocol_line(const std::string& line) {
  progress_.hide();
  out_ << line << '\n' << std::flush;
  progress_.show();
}

bool ConsoleSendEvents::stop_requested() { return StopOnSignal::requested(); }

StopOnSignal::StopOnSignal() {
  g_stop = 0;
  struct sigaction on = {};
  on.sa_handler = ask_to_stop;
  // A read or write the signal comes in the middle of goes on; the run stops between articles.
  on.sa_flags = SA_RESTART;
  ::sigemptyset(&on.sa_mask);
  for (int i = 0; i < 3; ++i) {
    g_taken[i] = false;
    if (::sigaction(kStopSignals[i], nullptr, &g_before[i]) != 0) continue;
    // Ignored by whoever started us (nohup, a job runner): it stays ignored.
    if (g_before[i].sa_handler == SIG_IGN) continue;
    g_taken[i] = ::sigaction(kStopSignals[i], &on, nullptr) == 0;
  }
}

StopOnSignal::~StopOnSignal() {
  for (int i = 0; i < 3; ++i)
    if (g_taken[i]) ::sigaction(kStopSignals[i], &g_before[i], nullptr);
}

bool StopOnSignal::requested() { return g_stop != 0; }

}  // namespace tellvaro::cli
