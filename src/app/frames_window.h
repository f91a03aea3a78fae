#pragma once

// "Vorlagen..." (menu "&Artikel"): the description frames of the data folder, listed, created,
// renamed, edited as HTML source beside a browser preview, and deleted. The preview fills the
// frame with the article the editor shows.

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWebEngineView;

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::store {
class FrameFolder;
class Table;
}  // namespace tellvaro::store

namespace tellvaro::app {

class FramesWindow : public QDialog {
  Q_OBJECT

 public:
  struct Dependencies {
    store::FrameFolder& frames;
    store::Table& articles;  // its current article fills the preview; articles name frames
    store::Table& uploads;   // rows waiting to be sent name frames too
    ports::Dialogs& dialogs;
    std::function<void()> changed;  // a frame was saved, renamed or deleted
  };
  explicit FramesWindow(Dependencies dependencies, QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  QLineEdit* nameEdit() const { return name_; }
  QPlainTextEdit* source() const { return source_; }
  QWebEngineView* preview() const { return preview_; }
  QPushButton* newButton() const { return new_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* renameButton() const { return rename_; }
  QPushButton* removeButton() const { return remove_; }

  // The frame chosen in the list, none while a new one is written.
  const std::optional<std::string>& chosen() const { return chosen_; }
  // Renders the preview now (it follows typing after a short pause).
  void renderPreview();

 protected:
  void reject() override;

 private:
  void reload(const std::optional<std::string>& choose);
  void choose(int row);
  void startNew();
  void save();
  void rename();
  void remove();
  bool mayDiscard();
  void updateCommands();

  Dependencies d_;
  QListWidget* list_ = nullptr;
  QLineEdit* name_ = nullptr;
  QPlainTextEdit* source_ = nullptr;
  QWebEngineView* preview_ = nullptr;
  QPushButton* new_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* rename_ = nullptr;
  QPushButton* remove_ = nullptr;
  QTimer* pause_ = nullptr;
  std::optional<std::string> chosen_;
  bool dirty_ = false;
  bool loading_ = false;
};

}  // namespace tellvaro::app
