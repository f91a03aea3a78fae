#pragma once

// What the tests of the runs share: a Qt event loop's application object, the window's
// connection to the test auction house, a picture folder, and the send and import they start.

#include <QCoreApplication>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "catalogue/reference.h"
#include "runs/import_run.h"
#include "runs/send_run.h"
#include "store/table.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/temp_dir.h"

namespace tellvaro::runs {

class RunTest : public test::AuctionHouseTest {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "runs_db_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) static QCoreApplication app(argc, argv);
  }
  void SetUp() override {
    AuctionHouseTest::SetUp();
    ASSERT_TRUE(test::connect_app(db_)) << db_.last_error();
  }

  // "Alle Artikel senden" of two complete articles, shown in the grid's rows `rows`.
  upload::SendJob two_articles(std::vector<std::size_t> rows) const {
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
    job.rows = std::move(rows);
    return job;
  }
  upload::SendServices send_services() const {
    return {test::service_config(), test::active_seller(),
            std::string("http://") + test::host() + "/", folder_.folder(), timeouts_};
  }
  // "Importieren" of the seller's current and expired auctions.
  ImportRequest import_everything() {
    ImportRequest request;
    request.selection = {true, true};
    connect_like(request, db_);
    request.ftp = test::ftp_account();
    request.timeouts = timeouts_;
    request.user_id = test::kSellerId;
    request.picture_folder = folder_.folder();
    request.payments = catalogue::load_payments(db_);
    return request;
  }

  db::Connection db_;
  test::TempDir folder_;
  const net::Timeouts timeouts_{1000, 1500, 1500};
};

}  // namespace tellvaro::runs
