#include "app/error_report.h"

#include <exception>

#include "ports/dialogs.h"
#include "presentation/messages.h"
#include "text/error.h"

namespace tellvaro::app {

std::string current_error_text() {
  try {
    throw;
  } catch (const tellvaro::Error& e) {
    return e.what();
  } catch (const std::exception& e) {
    return presentation::unexpected_error_message(e.what());
  } catch (...) {
    return presentation::unexpected_error_message(std::nullopt);
  }
}

bool run_guarded(ports::Dialogs& dialogs, const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (...) {
    dialogs.error(current_error_text());
  }
  return false;
}

}  // namespace tellvaro::app
