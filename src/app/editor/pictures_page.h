#pragma once

// Page "Bilder": the three picture slots with their buttons and previews.

#include <QWidget>
#include <array>
#include <string>

class QLabel;

namespace tellvaro::store {
class Table;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class FieldBinder;
struct EditorControls;

class PicturesPage : public QWidget {
  Q_OBJECT

 public:
  PicturesPage(FieldBinder& binder, EditorControls& controls, store::Table& articles,
               ports::Dialogs* dialogs, std::string picture_folder, QWidget* parent = nullptr);

  // Shows each slot's picture from the folder, or hides its preview when there is none.
  void refresh();

  QLabel* preview(int slot) const { return slots_[static_cast<std::size_t>(slot - 1)].preview; }

 private:
  struct Slot {
    QLabel* preview = nullptr;
    std::string shown_key;  // file, size and time of what the preview shows
  };
  void attach(int slot);
  void remove(int slot);

  EditorControls& controls_;  // its status list takes the notes of an attach
  store::Table& articles_;
  ports::Dialogs* dialogs_;
  std::string folder_;
  std::array<Slot, 3> slots_;
};

}  // namespace tellvaro::app
