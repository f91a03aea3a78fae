#pragma once

// The command line of tellvaro-cli: which command, its file and options, and the help text.
// Reading it decides nothing about the auction house; a bad call is refused before any login.

#include <optional>
#include <string>
#include <vector>

namespace tellvaro::cli {

// What the program tells the calling script.
enum ExitCode : int {
  kDone = 0,     // everything done
  kPartly = 1,   // done in part: some articles refused or failed
  kBadCall = 2,  // bad call, bad input or the data folder in use: nothing sent
  kNoLogin = 3,  // login or connection failed
};

enum class Command { Help, Version, Check, Send, Import, Fees };

// The answer to "send again?" for articles listed before.
enum class Again {
  Ask,     // ask on the terminal; without one, as Never
  Never,   // only the others
  Always,  // all of them once more
};

struct Options {
  Command command = Command::Help;
  std::string user;            // --benutzer
  std::string password_file;   // --passwort-datei
  std::string file;            // the CSV file of pruefen and senden
  bool only_complete = false;  // --nur-vollstaendige
  Again again = Again::Ask;    // --erneut
  bool current = false;        // --aktuelle
  bool expired = false;        // --abgelaufene
  std::string output;          // --ausgabe; empty: standard output
  bool csv = false;            // rechnungen --csv
};

struct ParsedCall {
  std::optional<Options> options;  // absent: `error` says what is wrong
  std::string error;
};

// The arguments after the program name.
ParsedCall parse_call(const std::vector<std::string>& args);

// The German help: commands, options, where the password comes from, exit codes.
std::string help_text();

}  // namespace tellvaro::cli
