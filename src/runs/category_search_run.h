#pragma once

// The category search's questions to the server, off the window's thread: one connection of its
// own, opened like the window's at the first question and kept for the next. One question at a
// time; a question asked while another is out waits, and only the newest waiting one is asked.

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/category_search.h"
#include "db/connection.h"
#include "runs/background_run.h"

namespace tellvaro::runs {

class CategorySearchRun : public QObject {
  Q_OBJECT

 public:
  // `window_db` gives the settings the search's connection opens with, read at each question.
  explicit CategorySearchRun(const db::Connection& window_db, QObject* parent = nullptr);
  // Waits for a question still out (at most one statement pair).
  ~CategorySearchRun() override;

  // Asks for the categories matching `text`; the answer names `id`.
  void search(std::uint64_t id, const std::string& text);
  // Opens the connection ahead of the first question (while the seller is still typing), so
  // the first answer costs no more than the later ones. Nothing is reported.
  void prepare();

 signals:
  void found(quint64 id, const std::vector<tellvaro::catalogue::CategoryMatch>& matches);
  void failed(quint64 id, const QString& message);

 private:
  struct Question {
    std::uint64_t id = 0;
    std::string text;
    db::ConnectParams params;
    std::string database;
    bool connect = false;
    bool open_only = false;  // prepare(): no question, no answer
  };
  Question question(std::uint64_t id, const std::string& text) const;
  void ask(Question question);
  void answered();

  const db::Connection& window_db_;
  // Touched only by the job while one runs.
  db::Connection db_;
  std::string opened_for_;  // the server and database db_ was opened for
  Question asked_;
  std::vector<catalogue::CategoryMatch> matches_;
  std::optional<std::string> error_;
  std::optional<Question> next_;
  bool prepared_ = false;
  BackgroundRun run_;  // last: it goes first and waits for the job that uses the members above
};

}  // namespace tellvaro::runs
