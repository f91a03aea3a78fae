#pragma once

// An article editor over a workspace of its own (tables in memory, a program folder in a
// temporary folder, the given service configuration), shown offscreen, with scripted dialogs.

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "app/editor/article_editor.h"
#include "store/table.h"
#include "support/scripted_dialogs.h"
#include "support/widgets.h"
#include "workspace/workspace.h"

namespace tellvaro::test {

struct EditorFixture {
  QTemporaryDir dir;
  workspace::Workspace ws;
  store::Table& articles;
  store::Table& uploads;
  ScriptedDialogs dialogs;
  QLabel fee_total, panel_articles, panel_uploads, panel_total;
  std::unique_ptr<app::ArticleEditor> editor;

  explicit EditorFixture(session::ServiceConfig config = {})
      : ws({}, std::move(config), {}, dir.path().toStdString() + "/"),
        articles(ws.articles()),
        uploads(ws.uploads()) {
    std::filesystem::create_directories(ws.picture_folder());
  }

  // The picture folder of the workspace; it exists.
  const std::string& picture_folder() const { return ws.picture_folder(); }

  // Connects the workspace the way the main window does.
  bool connect() { return ws.connect(nullptr); }

  void open() {
    app::ArticleEditor::Dependencies context;
    context.workspace = &ws;
    context.dialogs = &dialogs;
    context.fee_total = &fee_total;
    context.panel_articles = &panel_articles;
    context.panel_uploads = &panel_uploads;
    context.panel_total = &panel_total;
    editor = std::make_unique<app::ArticleEditor>(context);
    editor->resize(700, 600);
    editor->show();
  }

  ~EditorFixture() { editor.reset(); }

  // The control bound to `field`; one bound to none by its accessible name or object name.
  template <class W>
  W* find(store::F field) const {
    return bound<W>(*editor, field);
  }
  template <class W>
  W* named(const QString& name) const {
    return test::named<W>(*editor, name);
  }

  void add_article(std::initializer_list<std::pair<store::F, const char*>> fields) {
    articles.append();
    for (const auto& [field, text] : fields) articles.set_text(field, text);
    articles.post();
  }
};

}  // namespace tellvaro::test
