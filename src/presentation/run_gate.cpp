#include "presentation/run_gate.h"

namespace tellvaro::presentation {

bool allowed_during_run(Command command) {
  switch (command) {
    // The article table is never walked by a run; "Öffnen" replaces only it.
    case Command::ChangeArticles:
    case Command::BulkEdit:
    case Command::OpenFile:
    case Command::SellerData:
      return true;
    // One run at a time; the others share the connection, or change a table a run walks, or
    // write a file a run writes too (the memory of listings, the pictures).
    case Command::Send:
    case Command::Import:
    case Command::CountImports:
    case Command::TransferToUploads:
    case Command::TransferBack:
    case Command::ChangeUploads:
    case Command::ChangeImports:
    case Command::BrowseCategories:
    case Command::EditPictures:
    case Command::SaveFiles:
    case Command::ImportFile:
    case Command::ExportFile:
    case Command::FeeStatement:
      return false;
  }
  return false;
}

void RunGate::set_busy(bool busy) {
  if (busy_ == busy) return;
  busy_ = busy;
  changed_.notify();
}

bool RunGate::allows(Command command) const { return !busy_ || allowed_during_run(command); }

std::string RunGate::refusal(Command command) const {
  return allows(command) ? std::string() : std::string(kWaitForRun);
}

}  // namespace tellvaro::presentation
