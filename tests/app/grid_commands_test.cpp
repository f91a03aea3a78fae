// The table operations through the real main window: the file menu, title clicks, the name
// filter, copy and delete, with every question answered by the scripted dialogs. The rules
// themselves are tested in the core; here what matters is that each widget reaches them and
// shows their outcome.

#include <QAccessible>
#include <QCheckBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <filesystem>

#include "app/editor/category_page.h"
#include "app/import_commands.h"
#include "app/main_window_fixture.h"
#include "app/record_navigator.h"
#include "app/send_commands.h"
#include "app/table_grid.h"
#include "app/table_model.h"
#include "store/table_commands.h"

using namespace tellvaro;
using namespace tellvaro::test;
using Names = std::vector<std::string>;

namespace {

QString title(app::TableGrid* grid, int column) {
  return grid->model()->headerData(column, Qt::Horizontal).toString();
}

QStringList bold_titles(app::TableGrid* grid) {
  QStringList out;
  auto* model = grid->model();
  for (int i = 0; i < model->columnCount(); ++i) {
    if (model->headerData(i, Qt::Horizontal, Qt::FontRole).value<QFont>().bold()) {
      out << title(grid, i);
    }
  }
  return out;
}

// A real mouse click on a column title.
void click_title(app::TableGrid* grid, const char* name) {
  auto* header = grid->horizontalHeader();
  for (int i = 0; i < grid->model()->columnCount(); ++i) {
    if (title(grid, i) != u(name)) continue;
    grid->scrollTo(grid->model()->index(0, i));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(i) + header->sectionSize(i) / 2,
                             header->height() / 2));
    return;
  }
  QFAIL(name);
}

Names column_shown(app::TableGrid* grid, int column) {
  Names out;
  for (int r = 0; r < grid->model()->rowCount(); ++r) {
    out.push_back(grid->model()->index(r, column).data().toString().toStdString());
  }
  return out;
}

std::vector<store::Record> priced(std::initializer_list<std::pair<const char*, double>> items) {
  std::vector<store::Record> out;
  for (auto [name, price] : items) {
    auto r = store::empty_record();
    store::at(r, store::F::Artikelname) = store::Value::text(name);
    store::at(r, store::F::Startpreis) = store::Value::amount(price);
    out.push_back(std::move(r));
  }
  return out;
}

Names names_in(const std::string& path) {
  store::Table t;
  store::load_table(t, path);
  return names_shown(t);
}

}  // namespace

class GridCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void openKeepsTheReplacedTable();
  void saveAndSaveUnder();
  void saveThatFailsKeepsTheTable();
  void titleClicks();
  void nameFilter();
  void nameFilterThroughAccessibleInterfaces();
  void copy();
  void deleteQuestions();
  void busyRunHoldsOffWhatWouldDisturbIt();
};

void GridCommandsTest::openKeepsTheReplacedTable() {
  Fixture f;
  f.put(store::kArticleFile, named({"gespeichert"}));
  write_file(f.folder + "andere.xml", store::format_table(named({"fremd 2", "fremd 1"})));
  auto& w = f.open();
  auto& articles = f.store().articles;
  // Typed since the last save: the open must not lose it.
  articles.last();
  articles.set(store::F::Artikelname, store::Value::text("neu getippt"));

  f.dialogs.files = {f.folder + "andere.xml"};
  w.menus().open->trigger();
  QCOMPARE(f.dialogs.shown, std::vector<std::string>{});
  QCOMPARE(f.dialogs.file_dialogs.at(0).first, f.path("files/db"));
  QCOMPARE(f.dialogs.file_dialogs.at(0).second, std::string(store::kOpenFileTypes));
  // Shown in the current order through the grid.
  QCOMPARE(column_shown(w.articleView()->grid(), 3), (Names{"fremd 1", "fremd 2"}));
  const std::vector<std::string> backups = store::article_backups(f.folder);
  QCOMPARE(backups.size(), std::size_t(1));
  const std::string backup = backups[0];
  QCOMPARE(names_in(backup), Names{"neu getippt"});
  QVERIFY(w.statusBar()->currentMessage().contains(QString::fromStdString(backup)));

  // The standard file gets the opened content only with the next save.
  QCOMPARE(names_in(f.path(store::kArticleFile)), Names{"gespeichert"});
  w.menus().save->trigger();
  QCOMPARE(names_in(f.path(store::kArticleFile)), (Names{"fremd 2", "fremd 1"}));

  // A file that is no table: reported, the table and the backup as they were.
  write_file(f.folder + "kaputt.xml", "<DATAPACKET>");
  f.dialogs.files = {f.folder + "kaputt.xml"};
  w.menus().open->trigger();
  QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
  QVERIFY(f.dialogs.shown[0].find("kaputt.xml") != std::string::npos);
  QCOMPARE(names_shown(articles), (Names{"fremd 1", "fremd 2"}));
  QCOMPARE(names_in(backup), Names{"neu getippt"});

  // Cancelled: nothing happens.
  w.menus().open->trigger();
  QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
  QCOMPARE(names_shown(articles), (Names{"fremd 1", "fremd 2"}));
}

void GridCommandsTest::saveAndSaveUnder() {
  Fixture f;
  auto& w = f.open();
  f.store().articles.replace_all(named({"Uhr"}));
  f.store().uploads.replace_all(named({"Vase"}));
  f.store().imports.replace_all(named({"Krug"}));
  const std::string import_before = read_file(f.path(store::kImportFile));

  w.menus().save->trigger();
  QCOMPARE(names_in(f.path(store::kArticleFile)), Names{"Uhr"});
  QCOMPARE(names_in(f.path(store::kUploadFile)), Names{"Vase"});
  QCOMPARE(read_file(f.path(store::kImportFile)), import_before);

  f.dialogs.files = {f.folder + "test"};
  w.menus().save_as->trigger();
  QCOMPARE(f.dialogs.file_dialogs.at(0), std::make_pair(f.path("files/db"), std::string()));
  QCOMPARE(names_in(f.folder + "test"), Names{"Uhr"});
  QVERIFY(!std::filesystem::exists(f.folder + "test.xml"));
  QCOMPARE(f.dialogs.shown, std::vector<std::string>{});
}

void GridCommandsTest::saveThatFailsKeepsTheTable() {
  Fixture f;
  f.put(store::kArticleFile, named({"Uhr"}));
  auto& w = f.open();
  const std::string blocked = f.folder + "ordner";
  std::filesystem::create_directories(blocked + "/x");
  struct Case {
    QAction* action;
    std::string names;  // what the message must name
  };
  // The standard file made unwritable by a folder in its place; save under into a folder.
  std::filesystem::remove(f.path(store::kArticleFile));
  std::filesystem::create_directories(f.path(store::kArticleFile) + "/x");
  f.dialogs.files = {blocked};
  for (const Case& c :
       {Case{w.menus().save, f.path(store::kArticleFile)}, Case{w.menus().save_as, blocked}}) {
    f.dialogs.shown.clear();
    c.action->trigger();
    QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
    QVERIFY2(f.dialogs.shown[0].find(c.names) != std::string::npos, f.dialogs.shown[0].c_str());
    QCOMPARE(names_shown(f.store().articles), Names{"Uhr"});
  }
}

void GridCommandsTest::titleClicks() {
  Fixture f;
  const auto items = priced({{"Zange", 3}, {"anker", 1}, {"Boje", 2}});
  f.put(store::kArticleFile, items);
  f.put(store::kUploadFile, items);
  auto& w = f.open();
  auto* articles = w.articleView()->grid();
  auto* uploads = w.uploadView()->grid();
  auto* label = w.articleView()->sortLabel();

  f.store().articles.move_to(0);  // anker
  click_title(articles, "Startpreis");
  QCOMPARE(column_shown(articles, 3), (Names{"anker", "Boje", "Zange"}));
  QCOMPARE(label->text(), u("Sortiert nach: Startpreis"));
  QCOMPARE(label->accessibleName(), label->text());
  QCOMPARE(bold_titles(articles), (QStringList{u("Artikelname"), u("Startpreis")}));
  click_title(articles, "Startpreis");  // the article grid stays ascending
  QCOMPARE(column_shown(articles, 3), (Names{"anker", "Boje", "Zange"}));

  w.showView(MainWindow::View::Uploads);
  f.store().uploads.move_to(0);  // Zange, stored first
  click_title(uploads, "Startpreis");
  QCOMPARE(column_shown(uploads, 3), (Names{"anker", "Boje", "Zange"}));
  click_title(uploads, "Startpreis");
  QCOMPARE(column_shown(uploads, 3), (Names{"Zange", "Boje", "anker"}));
  QCOMPARE(bold_titles(uploads), (QStringList{u("Artikelname"), u("Startpreis")}));
  // The current record stays current, in the grid as well.
  QCOMPARE(f.store().uploads.text(store::F::Artikelname), std::string("Zange"));
  QCOMPARE(uploads->currentIndex().row(), 0);
  QCOMPARE(label->text(), u("Sortiert nach: Startpreis"));
  QCOMPARE(w.sorting().marker(), 7);
}

void GridCommandsTest::nameFilter() {
  Fixture f;
  f.put(store::kArticleFile, named({"Uhr alt", "Taschenuhr", "O'Neill Jacke", "Uhrkette"}));
  auto& w = f.open();
  auto* view = w.articleView();
  auto* grid = view->grid();

  view->filterBox()->click();
  QCOMPARE(view->sortLabel()->text(), u("Artikelname - [Artikelname] like '%%'"));
  QTest::keyClicks(view->filterEdit(), "Uhr");
  QCOMPARE(column_shown(grid, 3), (Names{"Uhr alt", "Uhrkette"}));
  QCOMPARE(view->sortLabel()->text(), u("Artikelname - [Artikelname] like '%Uhr%'"));
  view->filterBox()->click();
  QCOMPARE(grid->model()->rowCount(), 4);
  QCOMPARE(view->sortLabel()->text(), u("Artikelname - [Artikelname] like '%Uhr%'"));

  view->filterEdit()->clear();
  view->filterBox()->click();
  QTest::keyClicks(view->filterEdit(), "O'N");
  QCOMPARE(column_shown(grid, 3), Names{"O'Neill Jacke"});
  QCOMPARE(view->sortLabel()->text(), u("Artikelname - [Artikelname] like '%O''N%'"));
  QCOMPARE(f.dialogs.shown, std::vector<std::string>{});
}

// What a screen reader or dictation does with the filter: the toggle action and the text set
// through the editable text interface filter as a click and typing do.
void GridCommandsTest::nameFilterThroughAccessibleInterfaces() {
  Fixture f;
  f.put(store::kArticleFile, named({"Uhr alt", "Taschenuhr", "Uhrkette"}));
  auto& w = f.open();
  auto* view = w.articleView();
  auto* box = QAccessible::queryAccessibleInterface(view->filterBox());
  auto* text = QAccessible::queryAccessibleInterface(view->filterEdit());
  QVERIFY(box && box->actionInterface() && text && text->editableTextInterface());

  box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  QVERIFY(view->filterBox()->isChecked());
  QCOMPARE(view->sortLabel()->text(), u("Artikelname - [Artikelname] like '%%'"));
  text->editableTextInterface()->insertText(0, u("Uhr"));
  QCOMPARE(column_shown(view->grid(), 3), (Names{"Uhr alt", "Uhrkette"}));
  QCOMPARE(view->sortLabel()->text(), u("Artikelname - [Artikelname] like '%Uhr%'"));
  text->setText(QAccessible::Value, u("kette"));
  QCOMPARE(column_shown(view->grid(), 3), Names{"Uhrkette"});

  box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  QVERIFY(!view->filterBox()->isChecked());
  QCOMPARE(view->grid()->model()->rowCount(), 3);
  QCOMPARE(f.dialogs.shown, std::vector<std::string>{});
}

void GridCommandsTest::copy() {
  Fixture f;
  auto items = named({"Uhr", "Anker"});
  for (store::F picture : {store::F::Bild1, store::F::Bild2, store::F::Bild3}) {
    store::at(items[0], picture) = store::Value::text("uhr.jpg");
  }
  f.put(store::kArticleFile, items);
  f.put(store::kUploadFile, items);
  auto& w = f.open();

  auto& articles = f.store().articles;
  articles.move_to(1);  // Uhr
  w.articleView()->copyAction()->trigger();
  QCOMPARE(names_shown(articles), (Names{"Anker", "Uhr", "Uhr"}));
  QCOMPARE(articles.position(), std::optional<std::size_t>(2));
  QCOMPARE(w.articleView()->grid()->currentIndex().row(), 2);
  QCOMPARE(articles.text(store::F::Bild1) + articles.text(store::F::Bild2) +
               articles.text(store::F::Bild3),
           std::string());

  auto& uploads = f.store().uploads;
  uploads.move_to(0);  // Uhr, stored order
  w.uploadView()->copyAction()->trigger();
  QCOMPARE(names_shown(uploads), (Names{"Uhr", "Anker", "Uhr"}));
  QCOMPARE(uploads.position(), std::optional<std::size_t>(2));
  QCOMPARE(uploads.values(), uploads.stored()[0]);
  QCOMPARE(f.dialogs.shown, std::vector<std::string>{});
}

void GridCommandsTest::deleteQuestions() {
  Fixture f;
  f.put(store::kArticleFile, named({"a", "b", "c", "d"}));
  f.put(store::kImportFile, named({"x", "y"}));
  auto& w = f.open();
  auto& articles = f.store().articles;
  auto* delete_button = w.articleView()->navigator()->button(app::RecordNavigator::Button::Delete);

  f.dialogs.answers = {ports::Answer::No, ports::Answer::Yes};
  delete_button->click();
  QCOMPARE(names_shown(articles), (Names{"a", "b", "c", "d"}));
  delete_button->click();
  QCOMPARE(names_shown(articles), (Names{"b", "c", "d"}));

  f.dialogs.answers = {ports::Answer::Yes};
  w.articleView()->grid()->setFocus();
  QTest::keyClick(w.articleView()->grid(), Qt::Key_Delete, Qt::ControlModifier);
  QCOMPARE(names_shown(articles), (Names{"c", "d"}));

  f.dialogs.answers = {ports::Answer::No, ports::Answer::Yes};
  w.articleView()->removeAction()->trigger();
  w.articleView()->removeAction()->trigger();
  QCOMPARE(names_shown(articles), Names{"d"});

  f.dialogs.answers = {ports::Answer::Yes};
  w.importView()->removeAllAction()->trigger();
  QCOMPARE(f.store().imports.count(), std::size_t(0));
  QCOMPARE(names_shown(articles), Names{"d"});

  QCOMPARE(f.dialogs.shown,
           (std::vector<std::string>{"Delete record?", "Delete record?", "Delete record?",
                                     "Artikel löschen?", "Artikel löschen?",
                                     "Sollen alle Artikel gelöscht werden ?"}));
}

void GridCommandsTest::busyRunHoldsOffWhatWouldDisturbIt() {
  Fixture f;
  f.put(store::kArticleFile, named({"b", "a"}));
  f.put(store::kUploadFile, named({"z", "y"}));
  f.put(store::kImportFile, named({"x", "w"}));
  auto& w = f.open();
  f.dialogs.shown.clear();
  app::ArticleView* articles = w.articleView();
  app::UploadView* uploads = w.uploadView();
  app::ImportView* imports = w.importView();
  // The connection's other users, and whatever changes the upload or import table a run walks.
  const std::vector<QWidget*> widgets = {
      uploads->sendOneButton(),          uploads->sendAllButton(), uploads->navigator(),
      imports->importButton(),           imports->navigator(),     imports->grid(),
      articles->editor()->categoryPage()};
  const std::vector<QAction*> actions = {
      uploads->copyAction(),         uploads->removeAction(),       uploads->removeAllAction(),
      imports->transferOneAction(),  imports->transferAllAction(),  imports->removeAllAction(),
      articles->transferOneAction(), articles->transferAllAction(), articles->directAction()};
  const std::string saved = read_file(f.path(store::kArticleFile));
  {
    workspace::Workspace::Run run(*f.ws);
    for (QWidget* x : widgets) QVERIFY2(!x->isEnabled(), qPrintable(x->accessibleName()));
    for (QAction* a : actions) QVERIFY2(!a->isEnabled(), qPrintable(a->text()));
    // No run walks the article table: its own commands stay.
    QVERIFY(articles->copyAction()->isEnabled());
    QVERIFY(articles->navigator()->isEnabled());
    articles->copyAction()->trigger();
    QCOMPARE(f.store().articles.count(), std::size_t(3));

    // The ways around the disabled controls start nothing either: the delete key and a title
    // click on the upload grid, "Speichern", a second send or import, a transfer by double click.
    f.dialogs.answers = {ports::Answer::Yes, ports::Answer::Yes};
    uploads->grid()->setFocus();
    QTest::keyClick(uploads->grid(), Qt::Key_Delete, Qt::ControlModifier);
    click_title(uploads->grid(), "Artikelname");
    w.menus().save->trigger();
    w.sendCommands()->sendAll();
    w.importCommands()->runImport();
    w.importCommands()->transferAll();
    articles->grid()->selectRow(0);
    QTest::mouseDClick(articles->grid()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(names_shown(f.store().uploads), (Names{"z", "y"}));
    QCOMPARE(names_shown(f.store().imports), (Names{"w", "x"}));
    QCOMPARE(f.store().articles.count(), std::size_t(3));
    QCOMPARE(read_file(f.path(store::kArticleFile)), saved);
    QVERIFY(f.ws->protocol().empty());
    QCOMPARE(f.dialogs.shown, std::vector<std::string>{});
  }
  for (QWidget* x : widgets) QVERIFY2(x->isEnabled(), qPrintable(x->accessibleName()));
  for (QAction* a : actions) QVERIFY2(a->isEnabled(), qPrintable(a->text()));
  f.dialogs.answers = {ports::Answer::Yes};
  uploads->grid()->setFocus();
  QTest::keyClick(uploads->grid(), Qt::Key_Delete, Qt::ControlModifier);
  QCOMPARE(f.store().uploads.count(), std::size_t(1));
}

QTEST_MAIN(GridCommandsTest)
#include "grid_commands_test.moc"
