#include "app/error_report.h"

#include <exception>

#include "ports/dialogs.h"
#include "text/error.h"

namespace tellvaro::app {

std::string current_error_text() {
  try {
    throw;
  } catch (const tellvaro::Error& e) {
    return e.what();
  } catch (const std::exception& e) {
    // Not one of ours: its text may be English or technical, so say plainly what happened.
    return std::string("Unerwarteter Fehler: ") + e.what();
  } catch (...) {
    return "Unerwarteter Fehler.";
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
