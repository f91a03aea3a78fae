#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QPointer>
#include <QStackedWidget>
#include <QStatusBar>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/accessible.h"
#include "app/editor/article_editor.h"
#include "app/error_report.h"
#include "app/import_controller.h"
#include "app/send_controller.h"
#include "app/status_progress.h"
#include "app/table_grid.h"
#include "app/table_model.h"
#include "app/table_operations.h"
#include "app/transfer_commands.h"
#include "app/view_article.h"
#include "app/view_import.h"
#include "app/view_protocol.h"
#include "app/view_upload.h"
#include "db/connection.h"
#include "ports/dialogs.h"
#include "store/article_store.h"
#include "store/data_packet.h"
#include "store/files.h"
#include "store/sorting.h"

namespace tellvaro::app {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

constexpr unsigned kDatabasePort = 3306;

// A table file that cannot be read would be overwritten with an empty table by the next save;
// keep its bytes beside it first. Returns the copy's path, or nothing when no copy was made.
std::optional<std::string> keep_unreadable(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  for (int n = 1; n < 100; ++n) {
    std::string copy = path + ".unlesbar" + (n == 1 ? "" : "-" + std::to_string(n));
    if (fs::exists(copy, ec)) continue;
    if (fs::copy_file(path, copy, ec)) return copy;
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

struct MainWindow::Impl {
  session::ServiceConfig config;
  session::SessionUser user;
  session::Deployment deployment;
  std::string program_folder;
  std::string picture_folder;
  ports::Dialogs& dialogs;
  QPointer<QWidget> login_window;

  store::ArticleStore store;
  db::Connection db;
  store::GridSorting sorting{
      store,
      {start_sort_column(article_grid_columns()), start_sort_column(upload_grid_columns()),
       start_sort_column(import_grid_columns())}};
  TableOperations* operations = nullptr;

  Menus menus;
  QStackedWidget* stack = nullptr;
  ArticleView* article_view = nullptr;
  UploadView* upload_view = nullptr;
  ProtocolView* protocol_view = nullptr;
  ImportView* import_view = nullptr;
  QLabel* panels[4] = {};
  SendController* send = nullptr;
  ImportController* import = nullptr;
  StatusProgress* progress = nullptr;
  bool busy = false;

  Impl(session::ServiceConfig c, session::SessionUser u, session::Deployment d, std::string f,
       ports::Dialogs& dl, QWidget* login)
      : config(std::move(c)),
        user(std::move(u)),
        deployment(std::move(d)),
        program_folder(std::move(f)),
        picture_folder(store::data_path(program_folder, store::kPictureFolder)),
        dialogs(dl),
        login_window(login) {}

  void loadTable(store::Table& table, std::string_view relative);
  void startSort();
  void connectDatabase();
};

MainWindow::MainWindow(session::ServiceConfig config, session::SessionUser user,
                       session::Deployment deployment, std::string program_folder,
                       ports::Dialogs& dialogs, QWidget* login_window, QWidget* parent)
    : QMainWindow(parent),
      impl_(std::make_unique<Impl>(std::move(config), std::move(user), std::move(deployment),
                                   std::move(program_folder), dialogs, login_window)) {
  auto& d = *impl_;
  resize(1114, 780);

  // Status bar first: the editor keeps the first three panels up to date.
  constexpr int kPanelWidths[4] = {200, 200, 200, 50};
  const char* kPanelTexts[4] = {
      "Artikel in Artikel-Tabelle:", "Artikel in Upload-Tabelle:", "Upload-Gesamtpreis:", ""};
  for (int i = 0; i < 4; ++i) {
    auto* panel = new QLabel(u(kPanelTexts[i]));
    panel->setFixedWidth(kPanelWidths[i]);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The count panels are heard as they read; the fourth only ever holds the progress bar.
    if (i < 3) {
      name_by_value(panel);
    } else {
      panel->setAccessibleName(u("Statusfeld 4"));
    }
    statusBar()->addWidget(panel);
    d.panels[i] = panel;
  }

  ArticleEditor::Context context;
  context.articles = &d.store.articles;
  context.uploads = &d.store.uploads;
  context.db = &d.db;
  context.dialogs = &d.dialogs;
  context.panel_articles = d.panels[0];
  context.panel_uploads = d.panels[1];
  context.panel_total = d.panels[2];
  context.picture_folder = d.picture_folder;

  d.stack = new QStackedWidget(this);
  d.article_view = new ArticleView(std::move(context));
  d.upload_view = new UploadView(d.store.uploads, d.dialogs);
  d.protocol_view = new ProtocolView;
  d.import_view = new ImportView(d.store.imports, d.dialogs);
  for (QWidget* view :
       {static_cast<QWidget*>(d.article_view), static_cast<QWidget*>(d.upload_view),
        static_cast<QWidget*>(d.protocol_view), static_cast<QWidget*>(d.import_view)}) {
    d.stack->addWidget(view);
  }
  setCentralWidget(d.stack);
  d.progress = new StatusProgress(d.panels[3]);
  d.send = new SendController(*this, d.deployment.web_url);

  new TransferCommands({d.article_view, &d.store.articles, &d.store.uploads, &d.dialogs,
                        [list = d.protocol_view->list()](const std::string& line) {
                          list->addItem(QString::fromStdString(line));
                        }},
                       this);

  // Menus. A menu title's shortcut opens that menu.
  auto add_menu = [this](const char* title, QKeySequence key) {
    QMenu* menu = menuBar()->addMenu(u(title));
    menu->menuAction()->setShortcut(key);
    connect(menu->menuAction(), &QAction::triggered, this,
            [this, menu] { menuBar()->setActiveAction(menu->menuAction()); });
    return menu;
  };
  auto add_item = [](QMenu* menu, const char* caption, QKeySequence key = {}) {
    QAction* action = menu->addAction(u(caption));
    action->setShortcut(key);
    return action;
  };
  auto& m = d.menus;
  m.file = add_menu("&Datei", QKeySequence(Qt::CTRL | Qt::Key_D));
  m.open = add_item(m.file, "Ö&ffnen", QKeySequence(Qt::CTRL | Qt::Key_F));
  m.save = add_item(m.file, "&Speichern", QKeySequence(Qt::CTRL | Qt::Key_S));
  m.save_as = add_item(m.file, "Speichern &unter", QKeySequence(Qt::CTRL | Qt::Key_U));
  m.file->addSeparator();
  m.quit = add_item(m.file, "&Beenden", QKeySequence(Qt::CTRL | Qt::Key_Q));

  m.article = add_menu("&Artikel", QKeySequence(Qt::Key_F1));
  m.articles = add_item(m.article, "&Artikel-Tabelle", QKeySequence(Qt::Key_F2));
  m.uploads = add_item(m.article, "&Upload-Tabelle", QKeySequence(Qt::Key_F3));
  m.imports = add_item(m.article, "&Importieren", QKeySequence(Qt::Key_F4));
  m.protocol = add_item(m.article, "Upload-&Protokoll", QKeySequence(Qt::Key_F5));
  m.import_mine = add_item(m.article, "Meine Artikel aus dem Auktionshaus importieren");
  m.import_file = add_item(m.article, "Artikel aus einer Datei importieren");

  m.user = add_menu("&Benutzer", QKeySequence(Qt::CTRL | Qt::Key_B));
  m.my_data = add_item(m.user, "Meine Daten");
  m.my_bills = add_item(m.user, "Meine Rechnungen");
  m.my_messages = add_item(m.user, "Meine Nachrichten");

  auto* views = new QActionGroup(this);
  views->setExclusive(true);
  const std::pair<QAction*, View> view_items[] = {{m.articles, View::Articles},
                                                  {m.uploads, View::Uploads},
                                                  {m.imports, View::Imports},
                                                  {m.protocol, View::Protocol}};
  for (auto [action, view] : view_items) {
    action->setCheckable(true);
    views->addAction(action);
    connect(action, &QAction::triggered, this, [this, view = view] { showView(view); });
  }
  connect(m.quit, &QAction::triggered, this, &QWidget::close);
  // After the view switch above, so the counts come with the view.
  d.import = new ImportController(*this);

  TableOperations::Context ops;
  ops.store = &d.store;
  ops.sorting = &d.sorting;
  ops.dialogs = &d.dialogs;
  ops.program_folder = d.program_folder;
  ops.articles = d.article_view;
  ops.uploads = d.upload_view;
  ops.imports = d.import_view;
  ops.status = statusBar();
  ops.busy = [this] { return busy(); };
  d.operations = new TableOperations(std::move(ops), this);
  d.operations->connectFileMenu(m.open, m.save, m.save_as);
}

MainWindow::~MainWindow() {
  // The views read the tables; they go before the tables do.
  delete impl_->stack;
}

void MainWindow::start() {
  auto& d = *impl_;
  move(0, 0);
  // Number texts of the core never use the locale; this covers what Qt itself formats.
  QLocale numbers = QLocale::c();
  numbers.setNumberOptions(QLocale::OmitGroupSeparator);
  QLocale::setDefault(numbers);

  showView(View::Articles);
  d.loadTable(d.store.articles, store::kArticleFile);
  d.loadTable(d.store.uploads, store::kUploadFile);
  d.loadTable(d.store.imports, store::kImportFile);
  setWindowTitle(QString::fromStdString(session::window_caption(d.deployment)));
  run_guarded(d.dialogs, [&] { d.article_view->editor()->refreshAll(); });
  run_guarded(d.dialogs, [&] { d.startSort(); });
  d.connectDatabase();
  // Without a connection the status list already says so; a failed read on a live one is shown.
  if (d.db.connected()) {
    run_guarded(d.dialogs, [&] { d.article_view->editor()->loadReferenceLists(); });
  }
}

void MainWindow::Impl::loadTable(store::Table& table, std::string_view relative) {
  const auto path = store::data_path(program_folder, relative);
  try {
    store::load_table(table, path);
  } catch (...) {
    std::string text = current_error_text();
    if (auto copy = keep_unreadable(path)) {
      text += "\n\nDie Datei wurde unverändert als " + *copy + " aufbewahrt.";
    }
    dialogs.error(text);
  }
}

void MainWindow::Impl::startSort() {
  sorting.start();
  operations->showSorting();
}

void MainWindow::Impl::connectDatabase() {
  db::ConnectParams params;
  params.host = config.sql_host;
  params.port = kDatabasePort;
  params.user = config.sql_user;
  params.password = config.sql_password;
  params.database = config.sql_database;
  params.compress = true;
  db.set_params(std::move(params));
  auto* list = article_view->editor()->connectionStatusList();
  db.on_notice([list = QPointer<QListWidget>(list)](const std::string& line) {
    if (list) list->addItem(QString::fromStdString(line));
  });
  list->addItem(db.connect() ? u("Verbindung zu Server aufgebaut")
                             : u("Keine Internet Verbindung"));
  list->addItem(db.select_database(config.sql_database) ? u("Verbindung zu Daten-Bank hergestellt")
                                                        : u("Datenbank nicht verfügbar"));
}

void MainWindow::showView(View view) {
  auto& d = *impl_;
  switch (view) {
    case View::Articles:
      d.stack->setCurrentWidget(d.article_view);
      d.menus.articles->setChecked(true);
      break;
    case View::Uploads:
      d.stack->setCurrentWidget(d.upload_view);
      d.menus.uploads->setChecked(true);
      break;
    case View::Protocol:
      d.stack->setCurrentWidget(d.protocol_view);
      d.menus.protocol->setChecked(true);
      break;
    case View::Imports:
      d.stack->setCurrentWidget(d.import_view);
      d.menus.imports->setChecked(true);
      break;
  }
}

MainWindow::View MainWindow::currentView() const {
  auto* w = impl_->stack->currentWidget();
  if (w == impl_->upload_view) return View::Uploads;
  if (w == impl_->protocol_view) return View::Protocol;
  if (w == impl_->import_view) return View::Imports;
  return View::Articles;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  auto& d = *impl_;
  // Saving and closing the connection under a running send would pull the tables and the
  // database from under it; the send ends in seconds.
  if (d.busy) {
    event->ignore();
    return;
  }
  // A record still in edit is posted by the save; nothing typed is dropped.
  if (!run_guarded(d.dialogs, [&] {
        d.article_view->editor()->commitPendingEdits();
        d.store.save_all(d.program_folder);
      })) {
    event->ignore();
    return;
  }
  d.db.close();
  event->accept();
  if (d.login_window) d.login_window->close();
}

const MainWindow::Menus& MainWindow::menus() const { return impl_->menus; }
ArticleView* MainWindow::articleView() const { return impl_->article_view; }
UploadView* MainWindow::uploadView() const { return impl_->upload_view; }
ProtocolView* MainWindow::protocolView() const { return impl_->protocol_view; }
ImportView* MainWindow::importView() const { return impl_->import_view; }
QLabel* MainWindow::statusPanel(int index) const {
  return index >= 0 && index < 4 ? impl_->panels[index] : nullptr;
}
SendController* MainWindow::sendController() const { return impl_->send; }
ImportController* MainWindow::importController() const { return impl_->import; }
StatusProgress* MainWindow::statusProgress() const { return impl_->progress; }
void MainWindow::setBusy(bool busy) { impl_->busy = busy; }
bool MainWindow::busy() const { return impl_->busy; }
store::ArticleStore& MainWindow::store() { return impl_->store; }
db::Connection& MainWindow::connection() { return impl_->db; }
store::GridSorting& MainWindow::sorting() { return impl_->sorting; }
ports::Dialogs& MainWindow::dialogs() { return impl_->dialogs; }
const std::string& MainWindow::programFolder() const { return impl_->program_folder; }
const std::string& MainWindow::pictureFolder() const { return impl_->picture_folder; }
const session::ServiceConfig& MainWindow::config() const { return impl_->config; }
const session::SessionUser& MainWindow::user() const { return impl_->user; }

}  // namespace tellvaro::app
