#pragma once

// The seven pages right of the article grid, bound to the current article of the article table.

#include <QTabWidget>
#include <string>

class QLabel;
class QListWidget;

namespace tellvaro::store {
class Table;
}
namespace tellvaro::db {
class Connection;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class ArticleEditor : public QTabWidget {
  Q_OBJECT

 public:
  // What the editor paints or reads outside its own pages; owned by the main window.
  struct Context {
    store::Table* articles = nullptr;
    store::Table* uploads = nullptr;
    db::Connection* db = nullptr;
    ports::Dialogs* dialogs = nullptr;
    QLabel* fee_total = nullptr;       // right of "Artikel Uploadkosten:"
    QLabel* panel_articles = nullptr;  // status panel 1
    QLabel* panel_uploads = nullptr;   // status panel 2
    QLabel* panel_total = nullptr;     // status panel 3
    std::string picture_folder;        // ends with "/"
  };

  explicit ArticleEditor(Context context, QWidget* parent = nullptr);

  // The connection status list on page "Gebüren".
  QListWidget* connectionStatusList() const { return status_list_; }

  // Main window creation, after the connection lines: durations, fees, payments. A fee that is
  // no number throws tellvaro::Error (the rest of start-up is skipped by the caller).
  void loadReferenceLists();

  // Main window creation: pictures, upload counters and total, description preview.
  void refreshAll();

  // The upload counters and total in the status bar.
  void updateUploadTotals();

 private:
  Context context_;
  QListWidget* status_list_ = nullptr;
};

}  // namespace tellvaro::app
