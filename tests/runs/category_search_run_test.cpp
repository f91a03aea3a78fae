// The category search's questions on a thread of their own: answers by number, only the newest
// of several waiting questions asked, and the object destroyed while a question is out.

#include "runs/category_search_run.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "support/accounts.h"
#include "support/auction_house.h"

namespace tellvaro::runs {
namespace {

using namespace tellvaro::test;

class CategorySearchRunTest : public AuctionHouseTest {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "runs_db_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) static QCoreApplication app(argc, argv);
  }

  // Runs the event loop until `done` or ten seconds have passed.
  template <typename Done>
  static bool until(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
  }

  std::map<quint64, std::vector<std::string>> answers_;  // the paths each answer named
  std::map<quint64, std::string> failures_;
  void listen(CategorySearchRun& run) {
    QObject::connect(&run, &CategorySearchRun::found,
                     [this](quint64 id, const std::vector<catalogue::CategoryMatch>& m) {
                       auto& paths = answers_[id];
                       for (const auto& match : m) paths.push_back(match.path());
                     });
    QObject::connect(&run, &CategorySearchRun::failed, [this](quint64 id, const QString& text) {
      failures_[id] = text.toStdString();
    });
  }
};

TEST_F(CategorySearchRunTest, AnswersByNumberAndAsksOnlyTheNewestWaitingQuestion) {
  db::Connection window;
  ASSERT_TRUE(connect_app(window)) << window.last_error();
  std::vector<std::string> expected;
  for (const auto& m : catalogue::search_categories(window, "reifen")) expected.push_back(m.path());
  ASSERT_FALSE(expected.empty());

  CategorySearchRun run(window);
  listen(run);
  const auto mark = general_log_mark();
  run.search(1, "xyz-nirgends");
  run.search(2, "winter");  // superseded before it was asked
  run.search(3, "reifen");
  ASSERT_TRUE(until([&] { return answers_.size() + failures_.size() >= 2; }));
  EXPECT_TRUE(failures_.empty()) << failures_.begin()->second;
  EXPECT_EQ(answers_[1], std::vector<std::string>{});
  EXPECT_EQ(answers_[3], expected);
  EXPECT_FALSE(answers_.count(2));
  for (const std::string& q : queries_since(mark))
    EXPECT_EQ(q.find("winter"), std::string::npos) << q;

  // The window's connection lost meanwhile changes nothing: the search has its own.
  window.close();
  run.search(4, "reifen");
  ASSERT_TRUE(until([&] { return answers_.count(4) > 0; }));
  EXPECT_EQ(answers_[4], expected);
}

TEST_F(CategorySearchRunTest, OpeningAheadAnswersNothingAndTheQuestionAfterItIsAnswered) {
  db::Connection window;
  ASSERT_TRUE(connect_app(window)) << window.last_error();
  CategorySearchRun run(window);
  listen(run);
  run.prepare();
  run.search(5, "reifen");
  ASSERT_TRUE(until([&] { return answers_.count(5) > 0; }));
  EXPECT_FALSE(answers_.empty() || answers_[5].empty());
  EXPECT_EQ(answers_.size(), 1u);
  EXPECT_TRUE(failures_.empty());
}

TEST_F(CategorySearchRunTest, WithoutTheWindowsConnectionItSaysSoAndDestroyedMidQuestionItWaits) {
  db::Connection never;  // a window that never logged in
  never.set_params(db::ConnectParams{});
  {
    CategorySearchRun run(never);
    listen(run);
    run.search(7, "reifen");
    ASSERT_TRUE(until([&] { return failures_.count(7) > 0; }));
    EXPECT_NE(failures_[7].find("Die Kategoriesuche ist fehlgeschlagen."), std::string::npos)
        << failures_[7];
  }
  db::Connection window;
  ASSERT_TRUE(connect_app(window)) << window.last_error();
  auto run = std::make_unique<CategorySearchRun>(window);
  listen(*run);
  run->search(8, "reifen");
  run.reset();  // with the question out: under AddressSanitizer a late write would fail here
  QCoreApplication::processEvents();
  EXPECT_FALSE(answers_.count(8));
}

}  // namespace
}  // namespace tellvaro::runs
