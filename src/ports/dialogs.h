#pragma once

// What core flows need from the user interface. The app implements these with message boxes
// and file dialogs; tests pass scripted versions that record every text.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tellvaro::ports {

enum class Answer { Yes, No, Cancel };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void inform(const std::string& text) = 0;  // plain OK box
  virtual void error(const std::string& text) = 0;   // the general error report
  virtual Answer ask_yes_no(const std::string& text) = 0;
  virtual Answer ask_yes_cancel(const std::string& text) = 0;
  // A question with buttons of its own captions; the index of the one pressed. Closing the box
  // counts as the last button, so that one must be the harmless answer.
  virtual std::size_t choose(const std::string& text, const std::vector<std::string>& buttons) = 0;
  // A file to open or save; absent when the user cancels. `filter` in Qt's form
  // ("All (*.xml);;XML DATABASE (*.xml)"), empty for none.
  virtual std::optional<std::string> open_file(const std::string& start_folder,
                                               const std::string& filter) = 0;
  virtual std::optional<std::string> save_file(const std::string& start_folder,
                                               const std::string& filter) = 0;
};

}  // namespace tellvaro::ports
