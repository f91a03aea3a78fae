#pragma once

#include <stdexcept>
#include <string>

namespace tellvaro {

// An unexpected failure of a user action (file I/O, a text that is no number, a failed network
// step). The message is German and meant for the user; the app shows it in a message box.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tellvaro
