// A run's object destroyed while its thread works (the window quitting, a test ending): the
// destructor waits for the thread before any member goes, so the job never writes into freed
// memory. Under AddressSanitizer a write after the members went fails the test.

#include <QCoreApplication>
#include <chrono>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "catalogue/reference.h"
#include "runs/import_run.h"
#include "runs/send_run.h"
#include "store/table.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/temp_dir.h"

namespace tellvaro::runs {
namespace {

using namespace tellvaro::test;

class RunLifetime : public AuctionHouseTest {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "runs_db_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) static QCoreApplication app(argc, argv);
  }
  void SetUp() override {
    AuctionHouseTest::SetUp();
    ASSERT_TRUE(connect_app(db_)) << db_.last_error();
  }

  // Waits until the run's session has sent a statement that contains `text`.
  static bool reached(std::size_t mark, const std::string& text) {
    for (int i = 0; i < 400; ++i) {
      for (const std::string& q : queries_since(mark))
        if (q.find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
  }

  db::Connection db_;
  TempDir folder_;
  const net::Timeouts timeouts_{1000, 1500, 1500};
};

TEST_F(RunLifetime, ASendRunDestroyedMidSendWaitsForItsThread) {
  store::Table uploads;
  for (const char* name : {"Erster", "Zweiter"}) {
    uploads.append();
    uploads.set_text(store::F::Artikelname, name);
    uploads.set_text(store::F::Auktionsdauer, "7");
    uploads.post();
  }
  upload::SendJob job;
  job.all = true;
  job.articles = uploads.shown();
  job.rows = {0, 1};
  const upload::SendServices services{service_config(), active_seller(),
                                      std::string("http://") + host() + "/",
                                      folder_.folder(), timeouts_};
  const auto fees = catalogue::load_features(db_);
  const auto payments = catalogue::load_payments(db_);
  auto run = std::make_unique<SendRun>();
  const auto mark = general_log_mark();
  {
    // The web server's clock holds the first article while the run is destroyed.
    const Frozen frozen("http");
    ASSERT_TRUE(run->start(send_request(job, services, db_, fees, payments, nullptr)));
    ASSERT_TRUE(reached(mark, "from numbers"));
    run.reset();
  }
  // Ended within the article it was in: nothing listed without its rows.
  EXPECT_TRUE(admin_query("select id from tv_auktionshaus.auctions where id>=1000").empty());
}

TEST_F(RunLifetime, AnImportRunDestroyedMidImportWaitsForItsThread) {
  ImportRequest request;
  request.selection = {true, true};
  connect_like(request, db_);
  request.ftp = ftp_account();
  request.timeouts = timeouts_;
  request.user_id = "42";
  request.picture_folder = folder_.folder();
  request.payments = catalogue::load_payments(db_);
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
