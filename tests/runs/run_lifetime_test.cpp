// A run's object destroyed while its thread works (the window quitting, a test ending): the
// destructor waits for the thread before any member goes, so the job never writes into freed
// memory. Under AddressSanitizer a write after the members went fails the test.

#include <QCoreApplication>
#include <chrono>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "run_fixture.h"

namespace tellvaro::runs {
namespace {

using namespace tellvaro::test;

class RunLifetime : public RunTest {
 protected:
  // Waits until the run's session has sent a statement that contains `text`.
  static bool reached(std::size_t mark, const std::string& text) {
    for (int i = 0; i < 400; ++i) {
      for (const std::string& q : queries_since(mark))
        if (q.find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
  }
};

TEST_F(RunLifetime, ASendRunDestroyedMidSendWaitsForItsThread) {
  const upload::SendJob job = two_articles({0, 1});
  const auto fees = catalogue::load_features(db_);
  const auto payments = catalogue::load_payments(db_);
  auto run = std::make_unique<SendRun>();
  const auto mark = general_log_mark();
  {
    // The web server's clock holds the first article while the run is destroyed.
    const Frozen frozen("http");
    ASSERT_TRUE(run->start(send_request(job, send_services(), db_, fees, payments, nullptr)));
    ASSERT_TRUE(reached(mark, "from numbers"));
    run.reset();
  }
  // Ended within the article it was in: nothing listed without its rows.
  EXPECT_TRUE(admin_query("select id from tv_auktionshaus.auctions where id>=1000").empty());
}

TEST_F(RunLifetime, AnImportRunDestroyedMidImportWaitsForItsThread) {
  ImportRequest request = import_everything();
  auto run = std::make_unique<ImportRun>();
  const auto mark = general_log_mark();
  {
    // The file server holds the pictures while the run is destroyed.
    const Frozen frozen("ftp");
    ASSERT_TRUE(run->start(std::move(request)));
    ASSERT_TRUE(reached(mark, "from auctions"));
    run.reset();
  }
  SUCCEED();
}

}  // namespace
}  // namespace tellvaro::runs
