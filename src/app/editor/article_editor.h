#pragma once

// The seven pages right of the article grid, bound to the current article of the article table.

#include <QTabWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/editor/editor_pages.h"
#include "catalogue/fees.h"
#include "catalogue/reference.h"
#include "ports/signal.h"
#include "presentation/editor_pages.h"

class QLabel;
class QListWidget;

namespace tellvaro::workspace {
class Workspace;
}
namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class CategoryPage;
class DescriptionPage;
class FieldBinder;
class PicturesPage;

class ArticleEditor : public QTabWidget {
  Q_OBJECT

 public:
  // What the editor paints or reads outside its own pages. The workspace brings the tables,
  // the connection, the picture folder and the reference lists.
  struct Dependencies {
    workspace::Workspace* workspace = nullptr;
    ports::Dialogs* dialogs = nullptr;
    QLabel* fee_total = nullptr;       // right of "Artikel Uploadkosten:"
    QLabel* panel_articles = nullptr;  // status panel 1
    QLabel* panel_uploads = nullptr;   // status panel 2
    QLabel* panel_total = nullptr;     // status panel 3
  };

  explicit ArticleEditor(Dependencies dependencies, QWidget* parent = nullptr);
  ~ArticleEditor() override;

  // The page "Kategorie" with the category browser, which shares the workspace's connection.
  CategoryPage* categoryPage() const { return category_page_; }
  PicturesPage* picturesPage() const { return pictures_page_; }

  // Brings `page` forward; its tab, whatever it is captioned.
  void showPage(presentation::EditorPage page);
  QWidget* page(presentation::EditorPage page) const;

  // The connection status list on page "Gebüren".
  QListWidget* connectionStatusList() const { return controls_.status_list; }

  // Main window creation: pictures, upload counters and total, description preview.
  void refreshAll();

  // The description frames changed (the frames window): the page's choice and preview.
  void refreshFrames();
  DescriptionPage* descriptionPage() const { return description_page_; }

  // The upload counters and total in the status bar.
  void updateUploadTotals();

  // Writes what the user typed into a control and has not left yet; call before posting from
  // outside the editor (navigator buttons that take no focus).
  void commitPendingEdits();

  const catalogue::FeeMarks& feeMarks() const { return marks_; }

 protected:
  // Hooks the media pages fill in: the description preview and the picture previews.
  virtual void showDescriptionPreview();
  virtual void refreshPictures();

 private:
  void dataChange(std::optional<std::size_t> field);  // after a record or field change
  void beforePost();                                  // before every post
  void showReferenceLists();
  void refreshFees();
  void refreshPayments();
  void commitOnPageChange();
  void scheduleUploadTotals();
  void showUploadTotals(const catalogue::UploadTotals& totals);

  Dependencies d_;
  workspace::Workspace& workspace_;
  FieldBinder* binder_ = nullptr;
  CategoryPage* category_page_ = nullptr;
  DescriptionPage* description_page_ = nullptr;
  PicturesPage* pictures_page_ = nullptr;
  EditorControls controls_;
  std::array<QWidget*, presentation::kEditorTabs.size()> pages_{};  // by page id
  std::vector<std::string> durations_shown_;
  catalogue::FeeMarks marks_;
  bool totals_pending_ = false;
  std::vector<ports::Subscription> subscriptions_;  // last: they end first
};

}  // namespace tellvaro::app
