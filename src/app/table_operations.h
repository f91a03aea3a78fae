#pragma once

// The user's operations on whole tables, wired to the widgets that start them: the file menu
// (open, save, save under), the column titles of the three grids, the name filter, and the
// grids' and navigators' copy and delete. The rules live in the core; this only gathers input
// and shows the outcome.

#include <QObject>
#include <functional>
#include <string>

class QAction;
class QStatusBar;

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::store {
struct ArticleStore;
class GridSorting;
class Table;
enum class Grid;
}  // namespace tellvaro::store

namespace tellvaro::app {

class ArticleView;
class ImportView;
class TableGrid;
class UploadView;

class TableOperations : public QObject {
  Q_OBJECT

 public:
  struct Context {
    store::ArticleStore* store = nullptr;
    store::GridSorting* sorting = nullptr;
    ports::Dialogs* dialogs = nullptr;
    std::string program_folder;
    ArticleView* articles = nullptr;
    UploadView* uploads = nullptr;
    ImportView* imports = nullptr;
    QStatusBar* status = nullptr;  // where "Öffnen" says where the old table went
    // True while a send or an import walks its table: it must not be sorted, saved or shrunk.
    std::function<bool()> busy;
  };
  TableOperations(Context context, QObject* parent = nullptr);

  void connectFileMenu(QAction* open, QAction* save, QAction* save_as);
  // Shows the sort state in the grids' titles and the sort label.
  void showSorting();

 private:
  void open();
  void save();
  void saveAs();
  void titleClicked(store::Grid grid, TableGrid* view, int column);
  void filter();
  // Hands over what the user typed into the article editor and has not left yet.
  bool settleEditor();
  void connectGrid(store::Grid grid, TableGrid* view);
  void guarded(const std::function<void()>& action);
  bool busy() const { return c_.busy && c_.busy(); }

  Context c_;
};

}  // namespace tellvaro::app
