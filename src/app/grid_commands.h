#pragma once

// Owns the article table commands of the three grids and the sort state they share: the column
// titles, the name filter, and the grids' and navigators' copy and delete. The rules live in
// the core and the presentation layer; this only gathers input and shows the outcome. While a
// run is busy, the upload and import tables it walks are neither sorted nor shrunk from here.

#include <QObject>
#include <functional>
#include <memory>

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::presentation {
class GridSorting;
class RunGate;
enum class Deletion;
}  // namespace tellvaro::presentation
namespace tellvaro::store {
struct ArticleStore;
class Table;
}  // namespace tellvaro::store

namespace tellvaro::app {

class ArticleView;
class EditorSession;
class GridView;
class ImportView;
class UploadView;

class GridCommands : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    store::ArticleStore& store;  // the three tables
    const presentation::RunGate& gate;
    ArticleView& articles;
    UploadView& uploads;
    ImportView& imports;
    EditorSession& editor;
    ports::Dialogs& dialogs;
  };
  explicit GridCommands(Dependencies dependencies, QObject* parent = nullptr);
  ~GridCommands() override;

  // The order at program start, shown in the grids' titles and the sort label.
  void startSorting();
  presentation::GridSorting& sorting() { return *sorting_; }

 private:
  void showSorting();
  void titleClicked(GridView& view, int column);
  void filter();
  void remove(store::Table& table, presentation::Deletion deletion);
  void guarded(const std::function<void()>& action);
  // Whether the gate lets the grid of `table` change now.
  bool changeable(const store::Table& table) const;

  Dependencies d_;
  std::unique_ptr<presentation::GridSorting> sorting_;
};

}  // namespace tellvaro::app
