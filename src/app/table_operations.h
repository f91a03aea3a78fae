#pragma once

// Owns the article table commands of the three grids and the sort state they share: the column
// titles, the name filter, and the grids' and navigators' copy and delete. The rules live in
// the core; this only gathers input and shows the outcome. While a run is busy, the upload and
// import tables it walks are neither sorted nor shrunk from here.

#include <QObject>
#include <functional>
#include <memory>

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::presentation {
class GridSorting;
enum class Grid;
}  // namespace tellvaro::presentation
namespace tellvaro::workspace {
class Workspace;
}

namespace tellvaro::app {

class ArticleView;
class ImportView;
class TableGrid;
class UploadView;

class TableOperations : public QObject {
  Q_OBJECT

 public:
  struct Views {
    ArticleView& articles;
    UploadView& uploads;
    ImportView& imports;
  };
  TableOperations(workspace::Workspace& workspace, Views views, ports::Dialogs& dialogs,
                  QObject* parent = nullptr);
  ~TableOperations() override;

  // The order at program start, shown in the grids' titles and the sort label.
  void startSorting();
  presentation::GridSorting& sorting() { return *sorting_; }

 private:
  void showSorting();
  void titleClicked(presentation::Grid grid, TableGrid* view, int column);
  void filter();
  // Hands over what the user typed into the article editor and has not left yet.
  bool settleEditor();
  void connectGrid(presentation::Grid grid, TableGrid* view);
  void guarded(const std::function<void()>& action);
  bool busy() const;

  workspace::Workspace& workspace_;
  Views views_;
  ports::Dialogs& dialogs_;
  std::unique_ptr<presentation::GridSorting> sorting_;
};

}  // namespace tellvaro::app
