#pragma once

// What core flows need from the user interface. The app implements these with message boxes,
// file dialogs and processEvents; tests pass scripted versions that record every text.

#include <optional>
#include <string>

namespace tellvaro::ports {

enum class Answer { Yes, No, Cancel };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void inform(const std::string& text) = 0;  // plain OK box
  virtual void error(const std::string& text) = 0;   // the general error report
  virtual Answer ask_yes_no(const std::string& text) = 0;
  virtual Answer ask_yes_cancel(const std::string& text) = 0;
  // A file to open or save; absent when the user cancels. `filter` in Qt's form
  // ("All (*.xml);;XML DATABASE (*.xml)"), empty for none.
  virtual std::optional<std::string> open_file(const std::string& start_folder,
                                               const std::string& filter) = 0;
  virtual std::optional<std::string> save_file(const std::string& start_folder,
                                               const std::string& filter) = 0;
};

// Lets pending window messages run, so a long run keeps the window painting.
class Pump {
 public:
  virtual ~Pump() = default;
  virtual void pump() = 0;
};

}  // namespace tellvaro::ports
