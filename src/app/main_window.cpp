#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>

#include "app/accessible.h"
#include "app/account_commands.h"
#include "app/bulk_edit_commands.h"
#include "app/editor/article_editor.h"
#include "app/editor/pictures_page.h"
#include "app/editor/category_page.h"
#include "app/editor_session.h"
#include "app/error_report.h"
#include "app/file_commands.h"
#include "app/frames_window.h"
#include "app/grid_commands.h"
#include "app/import_commands.h"
#include "app/record_navigator.h"
#include "app/send_commands.h"
#include "app/status_progress.h"
#include "app/table_grid.h"
#include "app/transfer_commands.h"
#include "app/view_article.h"
#include "app/view_import.h"
#include "app/view_protocol.h"
#include "app/view_upload.h"
#include "ports/dialogs.h"
#include "ports/signal.h"
#include "presentation/confirmations.h"
#include "presentation/labels.h"
#include "presentation/run_gate.h"
#include "session/session.h"
#include "workspace/workspace.h"

namespace tellvaro::app {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

}  // namespace

struct MainWindow::Impl {
  workspace::Workspace& workspace;
  ports::Dialogs& dialogs;
  QPointer<QWidget> login_window;

  Menus menus;
  QStackedWidget* stack = nullptr;
  ArticleView* article_view = nullptr;
  UploadView* upload_view = nullptr;
  ProtocolView* protocol_view = nullptr;
  ImportView* import_view = nullptr;
  QLabel* panels[4] = {};
  StatusProgress* progress = nullptr;
  SendCommands* send = nullptr;
  ImportCommands* import = nullptr;
  GridCommands* operations = nullptr;
  TransferCommands* transfers = nullptr;
  FileCommands* files = nullptr;
  AccountCommands* account = nullptr;
  std::unique_ptr<EditorSession> editor_session;
  BulkEditCommands* bulk = nullptr;
  // What may run while a send or an import works, and the controls that follow it.
  presentation::RunGate gate;
  std::vector<std::pair<presentation::Command, QObject*>> gated;
  QPointer<FramesWindow> frames;
  ports::Subscription busy_change;
  ports::Subscription gate_change;
  ports::Subscription connection_notice;
  presentation::CloseDuringRun closing;

  Impl(workspace::Workspace& w, ports::Dialogs& dl, QWidget* login)
      : workspace(w), dialogs(dl), login_window(login) {}
};

MainWindow::MainWindow(workspace::Workspace& workspace, ports::Dialogs& dialogs,
                       QWidget* login_window, QWidget* parent)
    : QMainWindow(parent), impl_(std::make_unique<Impl>(workspace, dialogs, login_window)) {
  auto& d = *impl_;
  resize(1114, 780);

  // Status bar first: the editor keeps the first three panels up to date.
  constexpr int kPanelWidths[4] = {200, 200, 200, 50};
  const std::string_view kPanelTexts[4] = {presentation::kArticlesPanel,
                                           presentation::kUploadsPanel,
                                           presentation::kUploadTotalPanel, ""};
  for (int i = 0; i < 4; ++i) {
    auto* panel = new QLabel(
        QString::fromUtf8(kPanelTexts[i].data(), static_cast<qsizetype>(kPanelTexts[i].size())));
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
  d.progress = new StatusProgress(d.panels[3]);

  d.stack = new QStackedWidget(this);
  d.article_view = new ArticleView({.workspace = &workspace,
                                    .dialogs = &dialogs,
                                    .panel_articles = d.panels[0],
                                    .panel_uploads = d.panels[1],
                                    .panel_total = d.panels[2]});
  d.upload_view = new UploadView(workspace.uploads(), dialogs, &workspace.listed());
  d.protocol_view = new ProtocolView(workspace.protocol());
  d.import_view = new ImportView(workspace.imports(), dialogs);
  for (QWidget* view :
       {static_cast<QWidget*>(d.article_view), static_cast<QWidget*>(d.upload_view),
        static_cast<QWidget*>(d.protocol_view), static_cast<QWidget*>(d.import_view)}) {
    d.stack->addWidget(view);
  }
  setCentralWidget(d.stack);

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
  m.export_file = add_item(m.article, "Artikel in eine Datei exportieren");
  m.article->addSeparator();
  m.bulk_edit = add_item(m.article, "Ausgewählte Artikel bearbeiten...",
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
  // Ctrl+Z is the article grid's (see BulkEditCommands); here it would take every text field's.
  m.bulk_undo = add_item(m.article, "Rückgängig: Sammelbearbeitung");
  m.article->addSeparator();
  m.frames = add_item(m.article, "Vorlagen...");

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

  // The commands. The import's comes after the view switch above, so the counts come with
  // the view.
  ArticleEditor* editor = d.article_view->editor();
  QListWidget* status_list = editor->connectionStatusList();
  auto note = [status_list](const std::string& line) {
    status_list->addItem(QString::fromStdString(line));
  };
  d.busy_change = workspace.on_busy_change([this](bool busy) { impl_->gate.set_busy(busy); });
  d.editor_session = std::make_unique<ArticleEditorSession>(*editor, dialogs);
  EditorSession& session = *d.editor_session;
  d.operations = new GridCommands({.store = workspace.store(),
                                   .gate = d.gate,
                                   .articles = *d.article_view,
                                   .uploads = *d.upload_view,
                                   .imports = *d.import_view,
                                   .editor = session,
                                   .dialogs = dialogs},
                                  this);
  d.send = new SendCommands({.workspace = workspace,
                             .gate = d.gate,
                             .view = *d.upload_view,
                             .dialogs = dialogs,
                             .progress = *d.progress,
                             .show_protocol = [this] { showView(View::Protocol); }},
                            this);
  connect(d.send, &SendCommands::runFinished, this, &MainWindow::closeAfterRun,
          Qt::QueuedConnection);
  d.transfers = new TransferCommands({.workspace = workspace,
                                      .gate = d.gate,
                                      .view = *d.article_view,
                                      .editor = session,
                                      .send = *d.send,
                                      .dialogs = dialogs},
                                     this);
  d.import = new ImportCommands({.workspace = workspace,
                                 .gate = d.gate,
                                 .view = *d.import_view,
                                 .open_view = *m.imports,
                                 .dialogs = dialogs,
                                 .progress = *d.progress,
                                 .note = note},
                                this);
  connect(d.import, &ImportCommands::runFinished, this, &MainWindow::closeAfterRun,
          Qt::QueuedConnection);
  // "Meine Artikel aus dem Auktionshaus importieren" is the import view's own menu item.
  connect(m.import_mine, &QAction::triggered, m.imports, &QAction::trigger);
  d.files = new FileCommands({.workspace = workspace,
                              .gate = d.gate,
                              .editor = session,
                              .dialogs = dialogs,
                              .status = *statusBar(),
                              .open = *m.open,
                              .save = *m.save,
                              .save_as = *m.save_as,
                              .import_file = *m.import_file,
                              .export_file = *m.export_file},
                             this);

  d.connection_notice = workspace.on_connection_notice(note);
  d.account = new AccountCommands({.user = workspace.user(),
                                   .db = workspace.db(),
                                   .gate = d.gate,
                                   .dialogs = dialogs,
                                   .window = *this,
                                   .my_data = *m.my_data,
                                   .my_bills = *m.my_bills,
                                   .my_messages = *m.my_messages},
                                  this);
  d.bulk = new BulkEditCommands(
      {.workspace = workspace,
       .gate = d.gate,
       .grid = *d.article_view->grid(),
       .dialogs = dialogs,
       .window = this,
       .editor = session,
       .show_articles = [this] { showView(View::Articles); },
       .status = [this](const QString& text) { statusBar()->showMessage(text, 15000); },
       .edit = m.bulk_edit,
       .undo = m.bulk_undo},
      this);
  connect(m.frames, &QAction::triggered, this, [this] { openFrames(); });

  bindGate();
}

FramesWindow* MainWindow::openFrames() {
  auto& d = *impl_;
  if (!d.frames) {
    ArticleEditor* editor = d.article_view->editor();
    // The preview fills the frame with the article as typed so far.
    editor->commitPendingEdits();
    d.frames = new FramesWindow({.frames = d.workspace.frames(),
                                 .articles = d.workspace.articles(),
                                 .uploads = d.workspace.uploads(),
                                 .dialogs = d.dialogs,
                                 .changed = [editor] { editor->refreshFrames(); }},
                                this);
    d.frames->setAttribute(Qt::WA_DeleteOnClose);
    d.frames->setWindowModality(Qt::WindowModal);
  }
  d.frames->show();
  d.frames->raise();
  d.frames->activateWindow();
  return d.frames;
}

FramesWindow* MainWindow::framesWindow() const { return impl_->frames; }

MainWindow::~MainWindow() = default;

void MainWindow::start(bool restore_journal, const workspace::Opening* opened) {
  auto& d = *impl_;
  move(0, 0);
  // Number texts of the core never use the locale; this covers what Qt itself formats.
  QLocale numbers = QLocale::c();
  numbers.setNumberOptions(QLocale::OmitGroupSeparator);
  QLocale::setDefault(numbers);

  showView(View::Articles);
  for (const std::string& message : d.workspace.load_tables()) d.dialogs.error(message);
  setWindowTitle(QString::fromStdString(session::window_caption(d.workspace.deployment())));
  ArticleEditor* editor = d.article_view->editor();
  run_guarded(d.dialogs, [&] { editor->refreshAll(); });
  d.operations->startSorting();
  // From here on every change is journaled; a crash costs at most the last two seconds. After
  // the start's sort, which would post a restored edit.
  const store::Recovery recovery = d.workspace.start_journal(restore_journal);
  for (const std::string& message : recovery.messages) d.dialogs.error(message);
  if (recovery.changes > 0) {
    statusBar()->showMessage(QString::fromStdString(store::recovered_text(recovery.changes)));
  }
  auto* journal_timer = new QTimer(this);
  connect(journal_timer, &QTimer::timeout, this, [this] {
    const std::string failed = impl_->workspace.note_journal_edits();
    if (!failed.empty()) statusBar()->showMessage(QString::fromStdString(failed), 15000);
  });
  journal_timer->start(1000);
  QListWidget* status_list = editor->connectionStatusList();
  if (opened) {
    for (const std::string& line : opened->status)
      status_list->addItem(QString::fromStdString(line));
    if (!opened->failure.empty()) d.dialogs.error(opened->failure);
    return;
  }
  d.workspace.connect([status_list](const std::string& line) {
    status_list->addItem(QString::fromStdString(line));
  });
  // Without a connection the status list already says so; a failed read on a live one is shown.
  if (d.workspace.db().connected()) {
    run_guarded(d.dialogs, [&] { d.workspace.load_reference_lists(); });
  }
}

void MainWindow::bindGate() {
  auto& d = *impl_;
  using presentation::Command;
  UploadView* up = d.upload_view;
  ImportView* im = d.import_view;
  ArticleView* art = d.article_view;
  d.gated = {
      {Command::Send, up->sendOneButton()},
      {Command::Send, up->sendAllButton()},
      {Command::ChangeUploads, up->navigator()},
      {Command::ChangeUploads, up->copyAction()},
      {Command::ChangeUploads, up->removeAction()},
      {Command::ChangeUploads, up->removeAllAction()},
      {Command::Import, im->importButton()},
      {Command::ChangeImports, im->navigator()},
      {Command::ChangeImports, im->grid()},
      {Command::ChangeImports, im->removeAllAction()},
      {Command::TransferBack, im->transferOneAction()},
      {Command::TransferBack, im->transferAllAction()},
      {Command::BrowseCategories, art->editor()->categoryPage()},
      {Command::EditPictures, art->editor()->picturesPage()},
      {Command::TransferToUploads, art->transferOneAction()},
      {Command::TransferToUploads, art->transferAllAction()},
      {Command::TransferToUploads, art->directAction()},
      {Command::SaveFiles, d.menus.save},
      {Command::SaveFiles, d.menus.save_as},
      {Command::ImportFile, d.menus.import_file},
      {Command::ExportFile, d.menus.export_file},
      // Renaming a frame rewrites the upload rows that name it.
      {Command::ChangeUploads, d.menus.frames},
  };
  d.gate_change = d.gate.on_change([this] {
    for (auto [command, control] : impl_->gated) {
      const bool on = impl_->gate.allows(command);
      if (auto* widget = qobject_cast<QWidget*>(control)) widget->setEnabled(on);
      if (auto* action = qobject_cast<QAction*>(control)) action->setEnabled(on);
    }
  });
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
  // Saving and closing the connection under a running send or import would pull the tables
  // from under it: the run is asked to stop after its current article, and the window closes
  // once it has.
  using Run = presentation::CloseDuringRun::Run;
  const bool sending = d.send->running();
  const Run run = !d.gate.busy()        ? Run::None
                  : sending             ? Run::Sending
                  : d.import->running() ? Run::Importing
                                        : Run::Other;
  const auto step = d.closing.requested(run);
  if (!step.close_now) {
    event->ignore();
    if (step.question && d.closing.answered(presentation::ask(d.dialogs, *step.question))) {
      if (sending) {
        d.send->stopAfterCurrent();
      } else {
        d.import->stopAfterCurrent();
      }
    }
    return;
  }
  // A record still in edit is posted by the save; nothing typed is dropped.
  if (!d.editor_session->settle() || !run_guarded(d.dialogs, [&] { d.workspace.save_tables(); })) {
    d.closing.close_failed();
    event->ignore();
    return;
  }
  d.workspace.disconnect();
  event->accept();
  if (d.login_window) d.login_window->close();
}

void MainWindow::closeAfterRun() {
  if (impl_->closing.run_ended(impl_->gate.busy())) close();
}

const MainWindow::Menus& MainWindow::menus() const { return impl_->menus; }
ArticleView* MainWindow::articleView() const { return impl_->article_view; }
UploadView* MainWindow::uploadView() const { return impl_->upload_view; }
ProtocolView* MainWindow::protocolView() const { return impl_->protocol_view; }
ImportView* MainWindow::importView() const { return impl_->import_view; }
QLabel* MainWindow::statusPanel(int index) const {
  return index >= 0 && index < 4 ? impl_->panels[index] : nullptr;
}
StatusProgress* MainWindow::statusProgress() const { return impl_->progress; }
SendCommands* MainWindow::sendCommands() const { return impl_->send; }
ImportCommands* MainWindow::importCommands() const { return impl_->import; }
GridCommands* MainWindow::gridCommands() const { return impl_->operations; }
TransferCommands* MainWindow::transferCommands() const { return impl_->transfers; }
FileCommands* MainWindow::fileCommands() const { return impl_->files; }
presentation::GridSorting& MainWindow::sorting() { return impl_->operations->sorting(); }
const presentation::RunGate& MainWindow::runGate() const { return impl_->gate; }
AccountCommands* MainWindow::accountCommands() const { return impl_->account; }
BulkEditCommands* MainWindow::bulkEditCommands() const { return impl_->bulk; }

}  // namespace tellvaro::app
