#pragma once

// What the main window tests share: a program folder of its own with the complete data folder,
// the window over it, a stand-in for the login window, a complete article, and a few readers.

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "app/editor/article_editor.h"
#include "app/main_window.h"
#include "app/view_article.h"
#include "app/view_import.h"
#include "app/view_protocol.h"
#include "app/view_upload.h"
#include "db/connection.h"
#include "presentation/grid_sorting.h"
#include "store/article_store.h"
#include "store/data_packet.h"
#include "store/files.h"
#include "support/articles.h"
#include "support/widgets.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "workspace/workspace.h"

namespace tellvaro::test {

using app::MainWindow;

inline QString u(const char* s) { return QString::fromUtf8(s); }

// Records whose only field is `Artikelname`.
inline std::vector<store::Record> named(std::initializer_list<const char*> names) {
  std::vector<store::Record> out;
  for (const char* n : names) {
    auto r = store::empty_record();
    store::at(r, store::F::Artikelname) = store::Value::text(n);
    out.push_back(std::move(r));
  }
  return out;
}

inline std::vector<std::string> names_shown(const store::Table& table) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < table.count(); ++i) {
    const auto* s = table.row(i)[store::index_of(store::F::Artikelname)].as_string();
    out.push_back(s ? *s : "");
  }
  return out;
}

// Stands in for the login window: the close sequence must close it.
class LoginStandIn : public QWidget {
 public:
  int closes = 0;

 protected:
  void closeEvent(QCloseEvent* e) override {
    ++closes;
    e->accept();
  }
};

inline session::ServiceConfig offline_config() {
  session::ServiceConfig c;
  c.sql_host = "127.0.0.99";  // nothing listens here
  c.sql_user = "tv_seller_app";
  c.sql_password = "wrong";
  c.sql_database = "tv_auktionshaus";
  return c;
}

inline session::Deployment test_deployment() {
  session::Deployment d;
  d.customer = "Testhaus";
  return d;
}

// A program folder of its own with the complete data folder, the workspace over it (as
// main.cpp makes it after the login), and the window over that.
struct Fixture {
  QTemporaryDir dir;
  std::string folder;
  test::ScriptedDialogs dialogs;
  LoginStandIn login;
  std::unique_ptr<workspace::Workspace> ws;
  std::unique_ptr<MainWindow> window;
  bool restore_journal = false;  // what the start's question about an earlier journal decided

  Fixture() : folder(dir.path().toStdString() + "/") { store::make_files(folder); }

  std::string path(std::string_view relative) const { return store::data_path(folder, relative); }

  void put(std::string_view relative, const std::vector<store::Record>& records) {
    write_file(path(relative), store::format_table(records));
  }

  MainWindow& open(session::ServiceConfig config = offline_config(), session::SessionUser user = {},
                   session::Deployment deployment = test_deployment()) {
    window.reset();
    ws = std::make_unique<workspace::Workspace>(std::move(deployment), std::move(config),
                                                std::move(user), folder);
    window = std::make_unique<MainWindow>(*ws, dialogs, &login);
    window->start(restore_journal);
    window->show();
    return *window;
  }

  store::ArticleStore& store() { return ws->store(); }

  QStringList statusLines() const {
    QStringList out;
    auto* list = window->articleView()->editor()->connectionStatusList();
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  }
};

inline QStringList captions(const QMenu* menu) {
  QStringList out;
  for (auto* a : menu->actions()) out << (a->isSeparator() ? u("-") : a->text());
  return out;
}

inline QWidget* view_widget(MainWindow& w, MainWindow::View v) {
  switch (v) {
    case MainWindow::View::Articles:
      return w.articleView();
    case MainWindow::View::Uploads:
      return w.uploadView();
    case MainWindow::View::Protocol:
      return w.protocolView();
    case MainWindow::View::Imports:
      return w.importView();
  }
  return nullptr;
}

inline QAction* view_item(MainWindow& w, MainWindow::View v) {
  const auto& m = w.menus();
  switch (v) {
    case MainWindow::View::Articles:
      return m.articles;
    case MainWindow::View::Uploads:
      return m.uploads;
    case MainWindow::View::Protocol:
      return m.protocol;
    case MainWindow::View::Imports:
      return m.imports;
  }
  return nullptr;
}

inline constexpr MainWindow::View kViews[] = {MainWindow::View::Articles, MainWindow::View::Uploads,
                                              MainWindow::View::Protocol,
                                              MainWindow::View::Imports};

// Exactly `v` is visible and exactly its item is checked.
inline void verify_only(MainWindow& w, MainWindow::View v) {
  for (auto other : kViews) {
    QCOMPARE(view_widget(w, other)->isVisible(), other == v);
    QCOMPARE(view_item(w, other)->isChecked(), other == v);
  }
  QCOMPARE(w.currentView(), v);
}

}  // namespace tellvaro::test
