#pragma once

// Page "Beschreibung": the description as text or rendered by a browser engine. The browser
// view is made the first time the preview is shown, so start-up stays fast and sellers who
// never look at it never start the engine.

#include <QWidget>

class QPushButton;
class QStackedWidget;
class QWebEngineView;

namespace tellvaro::store {
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
                  ports::Dialogs* dialogs, QWidget* parent = nullptr);

  // The description changed: rendered now when the preview is on screen, else on its next show.
  void refreshPreview();

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

  store::Table& articles_;
  ports::Dialogs* dialogs_;
  QStackedWidget* stack_ = nullptr;
  QWidget* text_ = nullptr;
  QWebEngineView* browser_ = nullptr;
  QPushButton* text_button_ = nullptr;
  QPushButton* preview_button_ = nullptr;
  bool stale_ = true;
};

}  // namespace tellvaro::app
