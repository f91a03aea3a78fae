// What a send, an import and a short read tell their owner, through the one event shape: in the
// order they happened, and finished() after the last of them, so an owner that reads the
// outcome at finished() has heard everything.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run_fixture.h"
#include "runs/database_read.h"
#include "upload/listed_rows.h"

namespace tellvaro::runs {
namespace {

using namespace tellvaro::test;
using Kind = RunEvent::Kind;

// Everything a run tells, then "finished", then whatever would still arrive after it.
class Heard : public QObject {
 public:
  explicit Heard(BackgroundRun& run) {
    connect(&run, &BackgroundRun::event, this, [this](const RunEvent& e) { events.push_back(e); });
    connect(&run, &BackgroundRun::finished, this, [this] {
      finished_after = events.size();
      // One more round of the loop: anything posted late would arrive in it.
      QTimer::singleShot(0, &loop, &QEventLoop::quit);
    });
  }
  void wait() {
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
  }
  std::vector<Kind> kinds() const {
    std::vector<Kind> k;
    for (const RunEvent& e : events) k.push_back(e.kind);
    return k;
  }
  std::size_t count(Kind kind) const {
    std::size_t n = 0;
    for (const RunEvent& e : events) n += e.kind == kind;
    return n;
  }

  std::vector<RunEvent> events;
  std::size_t finished_after = static_cast<std::size_t>(-1);
  QEventLoop loop;
};

using RunEvents = RunTest;

TEST_F(RunEvents, ASendTellsItsStepsInOrderAndFinishedLast) {
  const upload::SendJob job = two_articles({5, 7});  // as the grid showed them
  const upload::ListedRows memory(folder_.folder() + "gelistet");
  SendRun run;
  Heard heard(run);
  ASSERT_TRUE(run.start(send_request(job, send_services(), db_, catalogue::load_features(db_),
                                     catalogue::load_payments(db_), &memory)));
  heard.wait();
  ASSERT_TRUE(run.outcome().ok) << run.outcome().error;

  EXPECT_EQ(heard.finished_after, heard.events.size()) << "an event arrived after finished()";
  const auto kinds = heard.kinds();
  ASSERT_FALSE(kinds.empty());
  EXPECT_EQ(kinds.front(), Kind::ProtocolCleared);
  EXPECT_EQ(heard.count(Kind::ProgressStarted), 1u);
  EXPECT_EQ(heard.count(Kind::ProgressAdvanced), 2u);
  EXPECT_EQ(heard.count(Kind::ProgressFinished), 1u);
  EXPECT_GT(heard.count(Kind::ProtocolLine), 0u);
  // Each article's row as the grid showed it, in the order sent; the memory follows each.
  std::vector<int> rows;
  std::size_t last_listings = 0;
  for (const RunEvent& e : heard.events) {
    if (e.kind == Kind::ArticleStarted) rows.push_back(e.count);
    if (e.kind == Kind::ListingsChanged) last_listings = e.listings.size();
  }
  EXPECT_EQ(rows, (std::vector<int>{5, 7}));
  EXPECT_EQ(last_listings, 2u);
  // The progress ends before the run does, and only after its last step.
  const auto finished = std::find(kinds.begin(), kinds.end(), Kind::ProgressFinished);
  const auto last_step = std::find(kinds.rbegin(), kinds.rend(), Kind::ProgressAdvanced);
  EXPECT_LT(last_step.base() - kinds.begin(), finished - kinds.begin() + 1);
}

TEST_F(RunEvents, AnImportTellsProgressAndNotesAndFinishedLast) {
  ImportRequest request = import_everything();
  ImportRun run;
  Heard heard(run);
  ASSERT_TRUE(run.start(std::move(request)));
  heard.wait();
  ASSERT_TRUE(run.failure().empty()) << run.failure();

  EXPECT_EQ(heard.finished_after, heard.events.size()) << "an event arrived after finished()";
  const auto kinds = heard.kinds();
  ASSERT_FALSE(kinds.empty());
  EXPECT_EQ(kinds.front(), Kind::ProgressStarted);
  EXPECT_EQ(kinds.back(), Kind::ProgressFinished);
  EXPECT_EQ(heard.count(Kind::ProgressAdvanced), run.result().records.size());
  // The test data names pictures the file server does not hold: each is a note.
  EXPECT_GT(heard.count(Kind::Note), 0u);
  for (const RunEvent& e : heard.events) {
    if (e.kind == Kind::Note) {
      EXPECT_FALSE(e.line.isEmpty());
    }
  }
}

TEST_F(RunEvents, AReadRunsOnAConnectionOfItsOwnAndFailsAsTheWindowsWould) {
  DatabaseRead read;
  std::string seen;
  {
    Heard heard(read);
    ASSERT_TRUE(read.start(db_, [&](db::Connection& db) {
      seen = db.fetch("select nick from users where id=42").text("nick");
    }));
    heard.wait();
    EXPECT_EQ(heard.finished_after, 0u);
  }
  EXPECT_EQ(read.failure(), "");
  EXPECT_EQ(seen, kSellerNick);

  // The window's connection closed: the read has none either, and says what failed.
  db_.close();
  {
    Heard heard(read);
    ASSERT_TRUE(read.start(db_, [](db::Connection& db) { db.fetch("select 1", "Probe"); }));
    heard.wait();
  }
  EXPECT_NE(read.failure().find("Probe"), std::string::npos) << read.failure();
}

}  // namespace
}  // namespace tellvaro::runs
