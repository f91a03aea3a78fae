#pragma once

// Page "Beschreibung": the description as text or rendered by a browser engine. The browser
// view is made the first time the preview is shown, so start-up stays fast and sellers who
// never look at it never start the engine.

#include <QWidget>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;
class QStackedWidget;
class QWebEngineView;

namespace tellvaro::store {
class FrameFolder;
class Table;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class FieldBinder;
struct EditorControls;

class DescriptionPage : public QWidget {
  Q_OBJECT

 public:
  DescriptionPage(FieldBinder& binder, EditorControls& controls, store::Table& articles,
                  ports::Dialogs* dialogs, store::FrameFolder& frames, QWidget* parent = nullptr);

  // The description changed: rendered now when the preview is on screen, else on its next show;
  // the frame shown as the record names it.
  void refreshPreview();
  // The frames were changed, added, renamed or deleted.
  void refreshFrames();
  // "Vorlage:" above the text: the frame of the current article.
  QComboBox* frameChoice() const { return frame_choice_; }

  void showText();
  void showPreview();
  bool previewShown() const;

  QPushButton* textButton() const { return text_button_; }
  QPushButton* previewButton() const { return preview_button_; }
  // Null until the preview was shown once.
  QWebEngineView* browser() const { return browser_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void openFile();
  void render();
  void showFrame();
  void chooseFrame(int index);

  store::Table& articles_;
  ports::Dialogs* dialogs_;
  store::FrameFolder& frames_;
  FieldBinder& binder_;
  QComboBox* frame_choice_ = nullptr;
  std::vector<std::string> frame_names_;
  std::vector<std::string> frame_items_;  // the frame each item of the drop-down sets
  QStackedWidget* stack_ = nullptr;
  QWidget* text_ = nullptr;
  QWebEngineView* browser_ = nullptr;
  QPushButton* text_button_ = nullptr;
  QPushButton* preview_button_ = nullptr;
  bool stale_ = true;
};

}  // namespace tellvaro::app
