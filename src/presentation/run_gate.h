#pragma once

// What the seller may do while a send or an import works on its own thread: one table that the
// window's controls and the controllers' guards both read. A run walks the upload or import
// table and holds the one auction-house connection between its steps, and it writes the memory
// of listings and the pictures; whatever would change those tables, use the connection or write
// files waits until it has ended. The articles themselves stay free to edit.

#include <functional>
#include <string>
#include <string_view>

#include "ports/signal.h"

namespace tellvaro::presentation {

enum class Command {
  Send,               // "Markierten Artikel senden", "Alle Artikel senden"
  Import,             // "Importieren"
  CountImports,       // the counts in the import view's captions
  TransferToUploads,  // the article grid's transfers, "direkt übertragen" included
  TransferBack,       // the import grid's transfers into the article table
  ChangeUploads,      // copy, delete, the navigator and the sort of the upload grid
  ChangeImports,      // delete, the navigator, the grid and the sort of the import grid
  ChangeArticles,     // typing, copying, deleting, sorting and filtering articles
  BrowseCategories,   // page "Kategorie" and the category search beside it
  EditPictures,       // page "Bilder"
  OpenFile,           // "Öffnen": replaces the article table only
  SaveFiles,          // "Speichern", "Speichern unter"
  ImportFile,         // "Artikel aus einer Datei importieren" (copies pictures)
  ExportFile,         // "Artikel in eine Datei exportieren"
  FeeStatement,       // "Meine Rechnungen"
  SellerData,         // "Meine Daten"
  BulkEdit,           // "Ausgewählte Artikel bearbeiten...", its undo
};

// What a command refused during a run says when it says why.
inline constexpr std::string_view kWaitForRun =
    "Bitte warten, bis das Senden oder der Import beendet ist.";

class RunGate {
 public:
  // Whether a run works (the workspace's busy state).
  bool busy() const { return busy_; }
  // Tells the listeners when the state changes.
  void set_busy(bool busy);

  bool allows(Command command) const;
  // kWaitForRun while `command` is refused, else "".
  std::string refusal(Command command) const;

  // Called after each change of the state; the window enables its controls from here.
  [[nodiscard]] ports::Subscription on_change(std::function<void()> f) {
    return changed_.connect(std::move(f));
  }

 private:
  bool busy_ = false;
  ports::Signal<> changed_;
};

// The rule itself: whether `command` may run while a send or an import works.
bool allowed_during_run(Command command);

}  // namespace tellvaro::presentation
