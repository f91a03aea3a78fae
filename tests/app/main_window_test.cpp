// The main window driven in-process: creation, menus, views, grids and the close sequence, with
// a program folder of its own and a database address where nothing listens.

#include <unistd.h>

#include <QAccessible>
#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <filesystem>

#include "app/main_window_fixture.h"
#include "app/record_navigator.h"
#include "app/table_grid.h"
#include "app/table_model.h"
#include "presentation/grid_columns.h"
#include "store/article_store.h"

using namespace tellvaro;
using namespace tellvaro::test;
namespace fs = std::filesystem;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void creationWithoutDatabase();
  void menus();
  void menuShortcutsOpenMenus();
  void viewSwitching();
  void statusPanels();
  void gridColumns();
  void accessibleNames();
  void startSort();
  void gridFollowsCursorAndEdits();
  void closeSavesAllThree_data();
  void closeSavesAllThree();
  void failedSaveKeepsRunning();
  void unreadableFileIsReportedAndKept();
  void emptyProgramFolder();
  void otherWorkingDirectory();
  void demoArticlesShowAndSaveExactly();
  void unsavedWorkComesBackAfterACrash();
};

void MainWindowTest::creationWithoutDatabase() {
  Fixture f;
  auto& w = f.open();
  QCOMPARE(w.windowTitle(), u("Quillmar - Tellvaro v.: 2.0.0.1 - Testhaus"));
  QCOMPARE(w.size(), QSize(1114, 780));
  QCOMPARE(w.pos(), QPoint(0, 0));
  QCOMPARE(f.statusLines(),
           QStringList({u("Keine Internet Verbindung"), u("Datenbank nicht verfügbar")}));
  QVERIFY(f.dialogs.shown.empty());
  QVERIFY(!f.ws->db().connected());
  QCOMPARE(f.ws->picture_folder(), f.folder + "files/bilder/");
  QCOMPARE(f.ws->program_folder(), f.folder);
  verify_only(w, MainWindow::View::Articles);
  // Still usable: switching views and closing work.
  w.menus().uploads->trigger();
  verify_only(w, MainWindow::View::Uploads);
  QVERIFY(w.close());
}

void MainWindowTest::menus() {
  Fixture f;
  auto& w = f.open();
  const auto& m = w.menus();

  QStringList titles;
  for (auto* a : w.menuBar()->actions()) titles << a->text();
  QCOMPARE(titles, QStringList({u("&Datei"), u("&Artikel"), u("&Benutzer")}));
  QCOMPARE(m.file->menuAction()->shortcut(), QKeySequence(u("Ctrl+D")));
  QCOMPARE(m.article->menuAction()->shortcut(), QKeySequence(u("F1")));
  QCOMPARE(m.user->menuAction()->shortcut(), QKeySequence(u("Ctrl+B")));

  QCOMPARE(captions(m.file), QStringList({u("Ö&ffnen"), u("&Speichern"), u("Speichern &unter"),
                                          u("-"), u("&Beenden")}));
  QCOMPARE(
      captions(m.article),
      QStringList({u("&Artikel-Tabelle"), u("&Upload-Tabelle"), u("&Importieren"),
                   u("Upload-&Protokoll"), u("Meine Artikel aus dem Auktionshaus importieren"),
                   u("Artikel aus einer Datei importieren"), u("Artikel in eine Datei exportieren"),
                   u("-"), u("Ausgewählte Artikel bearbeiten..."),
                   u("Rückgängig: Sammelbearbeitung"), u("-"), u("Vorlagen...")}));
  QCOMPARE(captions(m.user),
           QStringList({u("Meine Daten"), u("Meine Rechnungen"), u("Meine Nachrichten")}));

  const std::pair<QAction*, const char*> keys[] = {
      {m.open, "Ctrl+F"},  {m.save, "Ctrl+S"},  {m.save_as, "Ctrl+U"},
      {m.quit, "Ctrl+Q"},  {m.articles, "F2"},  {m.uploads, "F3"},
      {m.imports, "F4"},   {m.protocol, "F5"},  {m.import_mine, ""},
      {m.import_file, ""}, {m.export_file, ""}, {m.my_data, ""},
      {m.my_bills, ""},    {m.my_messages, ""}, {m.bulk_edit, "Ctrl+Shift+E"},
      {m.bulk_undo, ""}};
  for (auto [action, key] : keys) QCOMPARE(action->shortcut(), QKeySequence(u(key)));

  // Only the four view items carry a check mark.
  for (auto* menu : {m.file, m.article, m.user}) {
    for (auto* a : menu->actions()) {
      const bool view = a == m.articles || a == m.uploads || a == m.imports || a == m.protocol;
      QCOMPARE(a->isCheckable(), view);
    }
  }

  // What a screen reader is told: the caption as shown, the mnemonic marker dropped.
  auto* bar = QAccessible::queryAccessibleInterface(w.menuBar());
  QVERIFY(bar);
  QStringList bar_names;
  for (int i = 0; i < bar->childCount(); ++i) bar_names << bar->child(i)->text(QAccessible::Name);
  QCOMPARE(bar_names, QStringList({u("Datei"), u("Artikel"), u("Benutzer")}));
  auto* file = QAccessible::queryAccessibleInterface(m.file);
  QVERIFY(file);
  QStringList file_names;
  for (int i = 0; i < file->childCount(); ++i) {
    if (!file->child(i)->text(QAccessible::Name).isEmpty()) {
      file_names << file->child(i)->text(QAccessible::Name);
    }
  }
  QCOMPARE(file_names,
           QStringList({u("Öffnen"), u("Speichern"), u("Speichern unter"), u("Beenden")}));
}

void MainWindowTest::menuShortcutsOpenMenus() {
  Fixture f;
  auto& w = f.open();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  const std::pair<QMenu*, QKeySequence> menus[] = {{w.menus().file, QKeySequence(u("Ctrl+D"))},
                                                   {w.menus().article, QKeySequence(u("F1"))},
                                                   {w.menus().user, QKeySequence(u("Ctrl+B"))}};
  for (auto [menu, key] : menus) {
    QVERIFY(!menu->isVisible());
    QTest::keySequence(&w, key);
    QTRY_VERIFY(menu->isVisible());
    menu->close();
    QTRY_VERIFY(!menu->isVisible());
  }
}

void MainWindowTest::viewSwitching() {
  Fixture f;
  auto& w = f.open();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  verify_only(w, MainWindow::View::Articles);

  // By the menu items, in every order that matters: away and back, and each from each.
  for (auto from : kViews) {
    for (auto to : kViews) {
      view_item(w, from)->trigger();
      verify_only(w, from);
      view_item(w, to)->trigger();
      verify_only(w, to);
    }
  }
  // By the shortcuts; a second press of the same key keeps the view.
  const std::pair<Qt::Key, MainWindow::View> keys[] = {{Qt::Key_F3, MainWindow::View::Uploads},
                                                       {Qt::Key_F5, MainWindow::View::Protocol},
                                                       {Qt::Key_F5, MainWindow::View::Protocol},
                                                       {Qt::Key_F4, MainWindow::View::Imports},
                                                       {Qt::Key_F2, MainWindow::View::Articles}};
  for (auto [key, view] : keys) {
    QTest::keyClick(&w, key);
    verify_only(w, view);
  }
}

void MainWindowTest::statusPanels() {
  Fixture f;
  f.put(store::kUploadFile, named({"Zitrone"}));
  const std::pair<const char*, int> panels[] = {{"Artikel in Artikel-Tabelle:", 200},
                                                {"Artikel in Upload-Tabelle:", 200},
                                                {"Upload-Gesamtpreis:", 200},
                                                {"", 50}};
  // The start texts stand until creation counts the tables; then the counts follow them.
  workspace::Workspace ws(test_deployment(), offline_config(), {}, f.folder);
  MainWindow w(ws, f.dialogs, &f.login);
  for (int i = 0; i < 4; ++i) QCOMPARE(w.statusPanel(i)->text(), u(panels[i].first));
  w.start();
  w.show();
  for (int i = 0; i < 4; ++i) {
    QLabel* panel = w.statusPanel(i);
    QVERIFY(panel->isVisible());
    QVERIFY2(i == 3 ? panel->text().isEmpty() : panel->text().startsWith(u(panels[i].first)),
             qPrintable(panel->text()));
    QCOMPARE(panel->width(), panels[i].second);
    if (i < 3) QCOMPARE(panel->accessibleName(), panel->text());  // heard as it reads now
    if (i > 0) QVERIFY(panel->x() > w.statusPanel(i - 1)->x());
  }
  QCOMPARE(w.statusPanel(1)->text(), u("Artikel in Upload-Tabelle: 1"));
  QVERIFY(w.close());
}

// Each grid shows the columns the presentation names for it, titled with their field names, and
// refuses typing where they say so.
void MainWindowTest::gridColumns() {
  Fixture f;
  auto& w = f.open();
  const std::pair<app::TableGrid*, presentation::Grid> grids[] = {
      {w.articleView()->grid(), presentation::Grid::Articles},
      {w.uploadView()->grid(), presentation::Grid::Uploads},
      {w.importView()->grid(), presentation::Grid::Imports}};
  for (const auto& [grid, which] : grids) {
    const auto& columns = presentation::columns_of(which);
    auto* model = grid->model();
    QCOMPARE(model->columnCount(), static_cast<int>(columns.size()));
    // One record so that cells exist.
    grid->tableModel()->table().append();
    QCOMPARE(model->rowCount(), 1);
    for (int i = 0; i < model->columnCount(); ++i) {
      const QString title = field_text(columns[std::size_t(i)].field);
      QCOMPARE(model->headerData(i, Qt::Horizontal).toString(), title);
      const bool editable = model->flags(model->index(0, i)) & Qt::ItemIsEditable;
      const bool read_only =
          which == presentation::Grid::Uploads || columns[std::size_t(i)].read_only;
      if (editable == read_only) QFAIL(qPrintable(title));
    }
  }
  QCOMPARE(w.articleView()->grid()->selectionMode(), QAbstractItemView::ExtendedSelection);
  QCOMPARE(w.uploadView()->grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
}

void MainWindowTest::accessibleNames() {
  Fixture f;
  auto& w = f.open();
  QCOMPARE(w.articleView()->grid()->accessibleName(), u("Artikel-Tabelle"));
  QCOMPARE(w.uploadView()->grid()->accessibleName(), u("Upload-Tabelle"));
  QCOMPARE(w.importView()->grid()->accessibleName(), u("Import-Tabelle"));
  QCOMPARE(w.protocolView()->list()->accessibleName(), u("Upload-Protokoll"));
  // Value labels are heard by what they show, the fee after its caption.
  QLabel* fee = w.articleView()->feeLabel();
  QCOMPARE(fee->accessibleName(), u("Artikel Uploadkosten ") + fee->text());
  QLabel* sorting = w.articleView()->sortLabel();
  QCOMPARE(sorting->accessibleName(), sorting->text());

  auto* view = w.importView();
  QCOMPARE(view->currentBox()->text(), u("Aktuelle Artikel importieren"));
  QVERIFY(view->currentBox()->isChecked());
  QCOMPARE(view->expiredBox()->text(), u("Abgelaufene Artikel importieren"));
  QVERIFY(!view->expiredBox()->isChecked());
  QCOMPARE(view->importButton()->text(), u("Importieren"));
  QCOMPARE(w.uploadView()->sendOneButton()->text(), u("Markierten Artikel senden"));
  QCOMPARE(w.uploadView()->sendAllButton()->text(), u("Alle Artikel senden"));
  QCOMPARE(w.articleView()->filterBox()->text(), u("Filter"));
  QVERIFY(!w.articleView()->filterBox()->isChecked());

  // Every button and check box is named for a screen reader (Qt's own hidden ones aside).
  for (auto* b : w.findChildren<QAbstractButton*>()) {
    if (b->isHidden()) continue;
    auto* a = QAccessible::queryAccessibleInterface(b);
    QVERIFY(a);
    QVERIFY2(!a->text(QAccessible::Name).isEmpty(),
             qPrintable(QString("%1 %2 in %3")
                            .arg(b->metaObject()->className(), b->text(),
                                 b->parentWidget()->metaObject()->className())));
  }
  using B = app::RecordNavigator::Button;
  const std::pair<B, const char*> article_nav[] = {
      {B::First, "Erster Datensatz"},      {B::Prior, "Vorheriger Datensatz"},
      {B::Next, "Nächster Datensatz"},     {B::Last, "Letzter Datensatz"},
      {B::Insert, "Datensatz einfügen"},   {B::Delete, "Datensatz löschen"},
      {B::Edit, "Datensatz bearbeiten"},   {B::Post, "Datensatz speichern"},
      {B::Cancel, "Bearbeitung abbrechen"}};
  for (auto [b, name] : article_nav) {
    auto* button = w.articleView()->navigator()->button(b);
    QVERIFY(button);
    QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), u(name));
  }
  for (auto* nav : {w.uploadView()->navigator(), w.importView()->navigator()}) {
    for (auto b : {B::First, B::Prior, B::Next, B::Last, B::Delete, B::Post})
      QVERIFY(nav->button(b));
    for (auto b : {B::Insert, B::Edit, B::Cancel}) QVERIFY(!nav->button(b));
  }

  // The context menus with their entries.
  auto entries = [](QWidget* grid) {
    QStringList out;
    for (auto* a : grid->actions()) out << (a->isSeparator() ? u("-") : a->text());
    return out;
  };
  QCOMPARE(
      entries(w.articleView()->grid()),
      QStringList({u("Diesen Artikel in Upload-Tabelle übertragen"),
                   u("Alle Artikel in die Upload-Tabelle übertragen"), u("-"),
                   u("Artikel kopieren"), u("Artikel löschen"), u("Alle Artikel löschen"),
                   u("Zu Auktionshaus direkt übertragen"), u("-"),
                   u("Ausgewählte Artikel bearbeiten..."), u("Rückgängig: Sammelbearbeitung")}));
  QCOMPARE(entries(w.uploadView()->grid()),
           QStringList(
               {u("Artikel kopieren"), u("-"), u("Artikel löschen"), u("Alle Artikel löschen")}));
  QCOMPARE(entries(w.importView()->grid()),
           QStringList({u("Diesen Artikel in Artikel-Tabelle übertragen"),
                        u("Alle Artikel in die Artikel-Tabelle übertragen"), u("-"),
                        u("Alle Artikel löschen")}));
}

void MainWindowTest::startSort() {
  Fixture f;
  f.put(store::kArticleFile, named({"Zitrone", "banane", "Apfel"}));
  f.put(store::kUploadFile, named({"Zitrone", "banane", "Apfel"}));
  f.put(store::kImportFile, named({"Zitrone", "banane", "Apfel"}));
  auto& w = f.open();
  QVERIFY(f.dialogs.shown.empty());

  // Dictionary order, not byte order (which would put "Zitrone" before "banane").
  const std::vector<std::string> sorted = {"Apfel", "banane", "Zitrone"};
  QCOMPARE(names_shown(f.store().articles), sorted);
  QCOMPARE(f.store().articles.sort_kind(), store::SortKind::AscendingCase);
  QCOMPARE(f.store().articles.sort_field(), std::string("Artikelname"));
  QCOMPARE(names_shown(f.store().imports), sorted);
  QCOMPARE(f.store().imports.sort_field(), std::string("Artikelname"));
  QCOMPARE(names_shown(f.store().uploads),
           (std::vector<std::string>{"Zitrone", "banane", "Apfel"}));
  QCOMPARE(f.store().uploads.sort_kind(), store::SortKind::Stored);
  QCOMPARE(w.articleView()->sortLabel()->text(), u("Sortiert nach: Artikelname"));
  QCOMPARE(w.sorting().marker(), 1);
  QCOMPARE(w.sorting().direction(), std::string());

  // Exactly the Artikelname title is bold: fourth, fourth, third.
  const std::pair<app::TableGrid*, int> grids[] = {
      {w.articleView()->grid(), 3}, {w.uploadView()->grid(), 3}, {w.importView()->grid(), 2}};
  for (auto [grid, bold] : grids) {
    auto* model = grid->model();
    QCOMPARE(model->headerData(bold, Qt::Horizontal).toString(), u("Artikelname"));
    for (int i = 0; i < model->columnCount(); ++i) {
      const bool is_bold = model->headerData(i, Qt::Horizontal, Qt::FontRole).value<QFont>().bold();
      QCOMPARE(is_bold, i == bold);
    }
  }
  // The grid shows what the table holds, in its order.
  auto* model = w.articleView()->grid()->model();
  QCOMPARE(model->rowCount(), 3);
  QCOMPARE(model->index(0, 3).data().toString(), u("Apfel"));
  QCOMPARE(model->index(2, 3).data().toString(), u("Zitrone"));
}

void MainWindowTest::gridFollowsCursorAndEdits() {
  Fixture f;
  auto prices = named({"Apfel", "Birne", "Kirsche"});
  prices[0][store::index_of(store::F::Startpreis)] = store::Value::amount(1.5);
  f.put(store::kArticleFile, prices);
  auto& w = f.open();
  auto& table = f.store().articles;
  auto* grid = w.articleView()->grid();
  auto* model = grid->model();
  const int name = 3, price = 8, fee = 2;
  QCOMPARE(model->headerData(price, Qt::Horizontal).toString(), u("Startpreis"));

  // Cursor to grid and back.
  QCOMPARE(grid->currentIndex().row(), 0);
  table.last();
  QCOMPARE(grid->currentIndex().row(), 2);
  grid->setCurrentIndex(model->index(1, name));
  QCOMPARE(table.position(), std::optional<std::size_t>(1));

  // Typing into a cell writes the field of that row.
  QVERIFY(model->setData(model->index(0, price), u("12.50")));
  QCOMPARE(table.position(), std::optional<std::size_t>(0));
  QCOMPARE(table.get(store::F::Startpreis).as_amount(), std::optional<double>(12.5));
  QCOMPARE(model->index(0, price).data().toString(), u("12.5"));
  // A text that is no number is reported and the value stays.
  QVERIFY(!model->setData(model->index(0, price), u("zwölf")));
  QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
  QCOMPARE(table.get(store::F::Startpreis).as_amount(), std::optional<double>(12.5));
  // A read-only column refuses.
  QVERIFY(!model->setData(model->index(0, fee), u("3")));
  QVERIFY(table.get(store::F::Gebuehr).is_null());
  // Leaving the row posts the edit.
  grid->setCurrentIndex(model->index(2, name));
  QCOMPARE(table.state(), store::EditState::Browse);
  QCOMPARE(model->index(0, price).data().toString(), u("12.5"));
}

void MainWindowTest::closeSavesAllThree_data() {
  QTest::addColumn<bool>("by_menu");
  QTest::newRow("Beenden") << true;
  QTest::newRow("close box") << false;
}

void MainWindowTest::closeSavesAllThree() {
  QFETCH(bool, by_menu);
  Fixture f;
  f.put(store::kArticleFile, named({"Apfel", "Birne"}));
  f.put(store::kUploadFile, named({"Zitrone"}));
  f.put(store::kImportFile, named({"Kiwi", "Mango"}));
  auto& w = f.open();
  QVERIFY(f.ws->db().connected() == false);

  // A pending edit in the article grid is not lost.
  auto* model = w.articleView()->grid()->model();
  QVERIFY(model->setData(model->index(1, 3), u("Birnen")));
  QCOMPARE(f.store().articles.state(), store::EditState::Edit);
  f.store().imports.remove();

  if (by_menu) {
    w.menus().quit->trigger();
  } else {
    QVERIFY(w.close());
  }
  QVERIFY(!w.isVisible());
  QCOMPARE(f.login.closes, 1);
  QVERIFY(f.dialogs.shown.empty());

  const std::pair<std::string_view, store::Table*> files[] = {
      {store::kArticleFile, &f.store().articles},
      {store::kUploadFile, &f.store().uploads},
      {store::kImportFile, &f.store().imports}};
  for (auto [relative, table] : files) {
    QCOMPARE(read_file(f.path(relative)), store::format_table(table->stored()));
  }
  auto names_in = [&](std::string_view relative) {
    store::Table t;
    store::load_table(t, f.path(relative));
    t.sort(store::SortKind::AscendingCase, store::F::Artikelname);
    return names_shown(t);
  };
  QCOMPARE(names_in(store::kArticleFile), (std::vector<std::string>{"Apfel", "Birnen"}));
  QCOMPARE(names_in(store::kUploadFile), (std::vector<std::string>{"Zitrone"}));
  QCOMPARE(names_in(store::kImportFile), (std::vector<std::string>{"Mango"}));
}

void MainWindowTest::failedSaveKeepsRunning() {
  Fixture f;
  f.put(store::kArticleFile, named({"Apfel"}));
  f.put(store::kUploadFile, named({"Zitrone"}));
  const auto article_before = read_file(f.path(store::kArticleFile));
  auto& w = f.open();
  f.store().articles.set_text(store::F::Artikelname, "Apfelmus");

  // The upload file cannot be replaced: a folder stands in its place (root ignores modes).
  fs::remove(f.path(store::kUploadFile));
  fs::create_directory(f.path(store::kUploadFile));
  fs::create_directory(f.path(store::kUploadFile) + "/drin");

  w.menus().quit->trigger();
  QVERIFY(w.isVisible());
  QCOMPARE(f.login.closes, 0);
  QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
  QVERIFY2(QString::fromStdString(f.dialogs.shown[0]).contains(u("upload_db.xml")),
           f.dialogs.shown[0].c_str());
  // The steps after the failed save did not run; the article file was saved before it.
  QVERIFY(read_file(f.path(store::kArticleFile)) != article_before);
  QCOMPARE(read_file(f.path(store::kImportFile)), store::empty_table_bytes());

  // The close box fails the same way and the window stays.
  QVERIFY(!w.close());
  QVERIFY(w.isVisible());
  QCOMPARE(f.dialogs.shown.size(), std::size_t(2));

  // Once the obstacle is gone, the next close goes through.
  fs::remove_all(f.path(store::kUploadFile));
  QVERIFY(w.close());
  QCOMPARE(f.login.closes, 1);
  QCOMPARE(read_file(f.path(store::kUploadFile)), store::format_table(named({"Zitrone"})));
}

void MainWindowTest::unreadableFileIsReportedAndKept() {
  Fixture f;
  const std::string broken = "<?xml version=\"1.0\"?><DATAPACKET><ROWDATA><ROW";
  write_file(f.path(store::kArticleFile), broken);
  f.put(store::kUploadFile, named({"Zitrone"}));
  auto& w = f.open();

  QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
  const auto copy = f.path(store::kArticleFile) + ".unlesbar";
  QVERIFY2(QString::fromStdString(f.dialogs.shown[0]).contains(QString::fromStdString(copy)),
           f.dialogs.shown[0].c_str());
  QCOMPARE(read_file(copy), broken);
  // Creation went on: an empty article table, the others loaded, caption and lines there.
  QCOMPARE(f.store().articles.count(), std::size_t(0));
  QCOMPARE(f.store().uploads.count(), std::size_t(1));
  QCOMPARE(w.windowTitle(), u("Quillmar - Tellvaro v.: 2.0.0.1 - Testhaus"));
  QCOMPARE(f.statusLines().size(), 2);
  QVERIFY(w.close());
  QCOMPARE(read_file(copy), broken);
}

void MainWindowTest::emptyProgramFolder() {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/";
  store::make_files(folder);
  for (auto relative : {store::kArticleFile, store::kUploadFile, store::kImportFile}) {
    QCOMPARE(read_file(store::data_path(folder, relative)), store::empty_table_bytes());
  }
  QVERIFY(fs::is_directory(folder + "files/bilder"));

  test::ScriptedDialogs dialogs;
  LoginStandIn login;
  workspace::Workspace ws(test_deployment(), offline_config(), {}, folder);
  MainWindow w(ws, dialogs, &login);
  w.start();
  w.show();
  QVERIFY(dialogs.shown.empty());
  for (auto* table : {&ws.articles(), &ws.uploads(), &ws.imports()}) {
    QCOMPARE(table->count(), std::size_t(0));
  }
  QCOMPARE(w.articleView()->grid()->model()->rowCount(), 0);
  QVERIFY(w.close());
  for (auto relative : {store::kArticleFile, store::kUploadFile, store::kImportFile}) {
    QCOMPARE(read_file(store::data_path(folder, relative)), store::format_table({}));
  }
}

void MainWindowTest::otherWorkingDirectory() {
  Fixture f;
  f.put(store::kArticleFile, named({"Apfel"}));
  QTemporaryDir elsewhere;
  const auto before = fs::current_path();
  QVERIFY(::chdir(elsewhere.path().toLocal8Bit().constData()) == 0);
  auto& w = f.open();
  QCOMPARE(f.store().articles.count(), std::size_t(1));
  f.store().articles.set_text(store::F::Artikelname, "Apfelkuchen");
  QVERIFY(w.close());
  fs::current_path(before);
  QVERIFY(fs::is_empty(elsewhere.path().toStdString()));
  QVERIFY(read_file(f.path(store::kArticleFile)).find("Apfelkuchen") != std::string::npos);
}

// The demo's sample articles on a German desktop: the amounts show as the file has them, the fee
// labels with a decimal point, and saving writes the file back byte for byte (a locale-bound
// number text wrote "1,2" for 120 and read it back as 1.2).
void MainWindowTest::demoArticlesShowAndSaveExactly() {
  Fixture f;
  const std::string demo = read_file(TELLVARO_DEMO_ARTICLES);
  write_file(f.path(store::kArticleFile), demo);
  auto& w = f.open();
  catalogue::FeatureFees fees;
  fees.fee = {1.0, 0.5, 0.0, 0.3, 0.0, 0.25, 12};
  f.ws->set_feature_fees(fees);
  app::ArticleEditor* editor = w.articleView()->editor();
  auto shown = [&](store::F field) {
    auto* e = bound<QLineEdit>(*editor, field);
    return e ? e->text() : u("?");
  };
  QCOMPARE(shown(store::F::Startpreis), u("120"));
  QCOMPARE(shown(store::F::Sofortkauf), u("180"));
  QCOMPARE(shown(store::F::Versandpreis_1), u("16.99"));
  auto* label = editor->findChild<QLabel*>(u("Gebühr Textmarker"));
  QVERIFY(label);
  QCOMPARE(label->text(), u("( 0.50 € )"));

  w.menus().save->trigger();
  QVERIFY(f.dialogs.shown.empty());
  QCOMPARE(read_file(f.path(store::kArticleFile)), demo);
}

// A run that ends without closing (a crash, a kill) leaves its unsaved work in the journal; the
// next start asks, "Wiederherstellen" brings the article being typed back in editing, a clean end
// leaves no journal, and "Verwerfen" starts from the files with the journal kept as a copy.
void MainWindowTest::unsavedWorkComesBackAfterACrash() {
  namespace fs = std::filesystem;
  Fixture f;
  f.put(store::kArticleFile, named({"Apfel", "Birne"}));
  const std::string journal = f.path("files/db/artikel_db.journal");
  auto crash_while_typing = [&](const char* typed) {
    MainWindow& w = f.open();
    auto* name = bound<QLineEdit>(*w.articleView()->editor(), store::F::Artikelname);
    QVERIFY(name);
    name->selectAll();
    name->insert(u(typed));
    f.ws->note_journal_edits();
    f.ws->journal()->sync();
    f.window.reset();  // gone without a close: nothing saved
  };

  crash_while_typing("Aprikose");
  QVERIFY(fs::exists(journal));
  f.dialogs.choices = {0};
  QVERIFY(workspace::ask_about_earlier_journal(f.dialogs, f.folder));
  QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
  QVERIFY2(f.dialogs.shown[0].rfind("Tellvaro wurde nicht ordnungsgemäß beendet. Die nicht "
                                    "gespeicherten Änderungen vom ",
                                    0) == 0,
           f.dialogs.shown[0].c_str());
  QVERIFY(f.dialogs.shown[0].ends_with(" wiederherstellen?"));
  f.restore_journal = true;
  MainWindow& w = f.open();
  QCOMPARE(f.store().articles.state(), store::EditState::Edit);
  QCOMPARE(f.store().articles.text(store::F::Artikelname), std::string("Aprikose"));
  QCOMPARE(w.statusBar()->currentMessage(), u("1 nicht gespeicherte Änderung wiederhergestellt."));
  QVERIFY(w.close());
  QVERIFY(!fs::exists(journal));
  QVERIFY(read_file(f.path(store::kArticleFile)).find("Aprikose") != std::string::npos);

  crash_while_typing("Pfirsich");
  f.dialogs.shown.clear();
  f.dialogs.choices = {1};
  QVERIFY(!workspace::ask_about_earlier_journal(f.dialogs, f.folder));
  QCOMPARE(f.dialogs.shown.size(), std::size_t(1));
  QVERIFY(!fs::exists(journal));
  int copies = 0;
  for (const auto& e : fs::directory_iterator(f.path("files/db"))) {
    copies += e.path().filename().string().rfind("artikel_db_verworfen_", 0) == 0;
  }
  QCOMPARE(copies, 1);
  f.restore_journal = false;
  f.open();
  QCOMPARE(f.store().articles.state(), store::EditState::Browse);
  QCOMPARE(names_shown(f.store().articles), (std::vector<std::string>{"Aprikose", "Birne"}));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
