#pragma once

// Message boxes and file dialogs of the real program.

#include "ports/dialogs.h"

class QWidget;

namespace tellvaro::app {

class QtDialogs : public ports::Dialogs {
 public:
  void inform(const std::string& text) override;
  void error(const std::string& text) override;
  ports::Answer ask_yes_no(const std::string& text) override;
  ports::Answer ask_yes_cancel(const std::string& text) override;
  std::size_t choose(const std::string& text, const std::vector<std::string>& buttons) override;
  std::optional<std::string> open_file(const std::string& start_folder,
                                       const std::string& filter) override;
  std::optional<std::string> save_file(const std::string& start_folder,
                                       const std::string& filter) override;
};

}  // namespace tellvaro::app
