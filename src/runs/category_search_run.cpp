#include "runs/category_search_run.h"

#include <QMetaType>

#include "text/number.h"

namespace tellvaro::runs {

namespace {

// What the search's connection was opened for; another login or database opens it again.
std::string opened_for(const db::ConnectParams& params, const std::string& database) {
  return params.host + '\n' + text::format_int(params.port) + '\n' + params.user + '\n' + database;
}

}  // namespace

CategorySearchRun::CategorySearchRun(const db::Connection& window_db, QObject* parent)
    : QObject(parent), window_db_(window_db) {
  qRegisterMetaType<std::vector<catalogue::CategoryMatch>>();
  connect(&run_, &BackgroundRun::finished, this, &CategorySearchRun::answered);
}

CategorySearchRun::~CategorySearchRun() = default;

CategorySearchRun::Question CategorySearchRun::question(std::uint64_t id,
                                                        const std::string& text) const {
  Question q;
  q.id = id;
  q.text = text;
  q.params = window_db_.params();
  q.database = window_db_.database();
  q.connect = window_db_.connected() || window_db_.session_lost();
  return q;
}

void CategorySearchRun::search(std::uint64_t id, const std::string& text) {
  Question q = question(id, text);
  if (run_.running()) {
    next_ = std::move(q);  // an older waiting question is not asked any more
    return;
  }
  ask(std::move(q));
}

void CategorySearchRun::prepare() {
  if (run_.running() || prepared_) return;
  prepared_ = true;
  Question q = question(0, {});
  q.open_only = true;
  ask(std::move(q));
}

void CategorySearchRun::ask(Question question) {
  asked_ = std::move(question);
  matches_.clear();
  error_.reset();
  run_.start([this] {
    try {
      const std::string target = opened_for(asked_.params, asked_.database);
      if (target != opened_for_ || !db_.connected()) {
        db_.close();
        db_.set_params(asked_.params);
        opened_for_ = target;
        if (asked_.connect && db_.connect() && !asked_.database.empty()) {
          db_.select_database(asked_.database);
        }
      }
      if (!asked_.open_only) matches_ = catalogue::search_categories(db_, asked_.text);
    } catch (const Error& e) {
      error_ = e.what();
    }
  });
}

void CategorySearchRun::answered() {
  const Question done = std::move(asked_);
  if (done.open_only) {
    // A connection that could not be opened is tried again, and named, at the first question.
  } else if (error_) {
    emit failed(done.id, QString::fromStdString(*error_));
  } else {
    emit found(done.id, matches_);
  }
  if (next_) {
    Question q = std::move(*next_);
    next_.reset();
    ask(std::move(q));
  }
}

}  // namespace tellvaro::runs
