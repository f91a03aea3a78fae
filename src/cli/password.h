#pragma once

// Where tellvaro-cli takes the seller's password from. Never the command line: every user of the
// machine can read a program's arguments.

#include <functional>
#include <optional>
#include <string>

namespace tellvaro::cli {

inline constexpr const char* kPasswordVariable = "TELLVARO_PASSWORT";

// The first line of a file that only its owner, the user running the program, may read or
// write: a regular file, no rights for group or others. Throws tellvaro::Error otherwise, with
// a German message naming the file and what to do (never its content).
std::string read_password_file(const std::string& path);

// Reads a line from the terminal without showing what is typed; the prompt goes to standard
// error. Absent when standard input is no terminal or the input ended.
std::optional<std::string> prompt_password(const std::string& prompt);

struct PasswordSource {
  std::string password_file;  // --passwort-datei, empty for none
  bool terminal = false;      // standard input is a terminal: a prompt may be shown
};

// The password by the rules of the help text, and whether it may be asked again (a prompt).
// Absent with `error` set when there is none; a file that is refused throws tellvaro::Error.
struct Password {
  std::string text;
  bool prompted = false;
};
std::optional<Password> find_password(const PasswordSource& source, const char* environment_value,
                                      std::string& error,
                                      const std::function<std::optional<std::string>()>& prompt);

}  // namespace tellvaro::cli
