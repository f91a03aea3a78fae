#pragma once

// The import view: navigator, what to import, "Importieren" and the import grid.

#include "app/view_grid.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tellvaro::app {

class ImportView : public GridView {
  Q_OBJECT

 public:
  ImportView(store::Table& imports, ports::Dialogs& dialogs, QWidget* parent = nullptr);

  QCheckBox* currentBox() const { return current_; }
  QCheckBox* expiredBox() const { return expired_; }
  QPushButton* importButton() const { return import_; }

  // Why pictures of the last run were left out; hidden while there is nothing to say.
  QListWidget* notesList() const { return notes_; }
  void clearNotes();
  void addNote(const QString& line);

  QAction* transferOneAction() const { return transfer_one_; }
  QAction* transferAllAction() const { return transfer_all_; }
  QAction* removeAllAction() const { return remove_all_; }

 private:
  QCheckBox* current_ = nullptr;
  QCheckBox* expired_ = nullptr;
  QPushButton* import_ = nullptr;
  QLabel* notes_caption_ = nullptr;
  QListWidget* notes_ = nullptr;
  QAction* transfer_one_ = nullptr;
  QAction* transfer_all_ = nullptr;
  QAction* remove_all_ = nullptr;
};

}  // namespace tellvaro::app
