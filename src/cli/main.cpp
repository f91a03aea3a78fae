// tellvaro-cli: the listing tool's second front end, for scripts and nightly jobs. No window,
// no display; the same core as the window.

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/options.h"
#include "session/session.h"
#include "text/error.h"

using namespace tellvaro;

int main(int argc, char** argv) {
  // The seller's locale, as the window takes it: terminal texts follow it, number texts never do.
  std::setlocale(LC_ALL, "");
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const cli::ParsedCall call = cli::parse_call(args);
  if (!call.options) {
    std::cerr << call.error << '\n';
    return cli::kBadCall;
  }
  const cli::Options& o = *call.options;
  if (o.command == cli::Command::Help) {
    std::cout << cli::help_text();
    return cli::kDone;
  }
  if (o.command == cli::Command::Version) {
    std::cout << "tellvaro-cli " << session::kVersion << '\n';
    return cli::kDone;
  }
  try {
    return cli::run_command(o, session::Deployment::built_in(), std::cout, std::cerr);
  } catch (const std::exception& e) {
    // Whatever the core did not expect still ends with a message and a code, never an abort.
    std::cerr << "Fehler: " << e.what() << '\n';
    return cli::kBadCall;
  }
}
