#pragma once

// The seven pages right of the article grid, bound to the current article of the article table.

#include <QTabWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/editor/editor_pages.h"
#include "catalogue/fees.h"
#include "catalogue/reference.h"
#include "ports/signal.h"

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

class CategoryPage;
class DescriptionPage;
class FieldBinder;
class PicturesPage;

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
  ~ArticleEditor() override;

  // The connection status list on page "Gebüren".
  QListWidget* connectionStatusList() const { return controls_.status_list; }

  // Main window creation, after the connection lines: durations, fees, payments. Fees that are
  // no number are left out; once all lists are loaded they are reported together by throwing
  // tellvaro::Error.
  void loadReferenceLists();

  // Main window creation: pictures, upload counters and total, description preview.
  void refreshAll();

  // The upload counters and total in the status bar.
  void updateUploadTotals();

  // Writes what the user typed into a control and has not left yet; call before posting from
  // outside the editor (navigator buttons that take no focus).
  void commitPendingEdits();

  // The reference lists as read; also the way tests give fees and payments without a database.
  void setFeatureFees(const catalogue::FeatureFees& fees);
  void setPaymentNames(const catalogue::PaymentNames& names);
  const catalogue::FeatureFees& featureFees() const { return fees_; }
  const catalogue::PaymentNames& paymentNames() const { return payments_; }
  const catalogue::FeeMarks& feeMarks() const { return marks_; }

 protected:
  // Hooks the media pages fill in: the description preview and the picture previews.
  virtual void showDescriptionPreview();
  virtual void refreshPictures();

 private:
  void dataChange(std::optional<std::size_t> field);  // after a record or field change
  void beforePost();                                  // before every post
  void refreshFees();
  void refreshPayments();
  void commitOnPageChange();
  void scheduleUploadTotals();
  void showUploadTotals(const catalogue::UploadTotals& totals);

  Context context_;
  std::unique_ptr<db::Connection> own_db_;  // unconnected, when the context brings none
  FieldBinder* binder_ = nullptr;
  CategoryPage* category_page_ = nullptr;
  DescriptionPage* description_page_ = nullptr;
  PicturesPage* pictures_page_ = nullptr;
  EditorControls controls_;
  catalogue::FeatureFees fees_;
  catalogue::PaymentNames payments_;
  catalogue::FeeMarks marks_;
  bool totals_pending_ = false;
  std::vector<ports::Subscription> subscriptions_;  // last: they end first
};

}  // namespace tellvaro::app
