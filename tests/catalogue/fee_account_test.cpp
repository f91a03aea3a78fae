// "Meine Rechnungen" against the test auction house's `accountpos`.

#include "catalogue/fee_account.h"

#include <gtest/gtest.h>

#include "db/connection.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "text/error.h"

namespace tellvaro::catalogue {
namespace {

class FeeAccountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::reset_data();
    ASSERT_TRUE(test::connect_app(db)) << db.last_error();
  }
  db::Connection db;
};

TEST_F(FeeAccountTest, RowsNewestFirstWithMonthSumsAndTotal) {
  test::admin_exec(
      "insert into tv_auktionshaus.accountpos (id, re_nr, date, user_id, auction_id, "
      "auction_title, description, value, closed) values"
      " (1,'','2026-11-03 09:00:00',42,990,'Reifen','Fettschrift',0.50,0),"
      " (2,'','2026-12-01 08:05:09',42,991,'Kinder''s \"Bär\"','Mindestpreis',2.00,0),"
      " (3,'','2026-12-09 23:59:59',42,991,'Kinder''s \"Bär\"','Untertitel',0.35,1),"
      " (4,'','2026-12-09 10:00:00',43,993,'Fremd','Fettschrift',9.99,0),"
      " (5,'','2026-11-30 12:00:00',42,992,'Gutschrift','Storno',-0.10,0),"
      " (6,'',NULL,42,NULL,NULL,NULL,NULL,0),"
      " (7,'','2025-12-24 18:00:00',42,980,'Alt','Top-Kategorie',0.10,0)");
  auto mark = test::general_log_mark();
  FeeStatement s = read_fee_statement(db, "42");
  auto queries = test::queries_since(mark);
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_NE(queries[0].find("where user_id='42'"), std::string::npos) << queries[0];

  std::vector<std::string> got;
  for (const auto& r : s.rows) {
    got.push_back(r.date + "|" + r.auction + "|" + r.title + "|" + r.description + "|" +
                  money_text(r.cents));
  }
  EXPECT_EQ(got, (std::vector<std::string>{
                     "2026-12-09 23:59:59|991|Kinder's \"Bär\"|Untertitel|0.35",
                     "2026-12-01 08:05:09|991|Kinder's \"Bär\"|Mindestpreis|2.00",
                     "2026-11-30 12:00:00|992|Gutschrift|Storno|-0.10",
                     "2026-11-03 09:00:00|990|Reifen|Fettschrift|0.50",
                     "2025-12-24 18:00:00|980|Alt|Top-Kategorie|0.10",
                     "||||0.00",
                 }));
  std::vector<std::string> months;
  for (const auto& m : s.months) months.push_back(m.month + " " + money_text(m.cents));
  EXPECT_EQ(months,
            (std::vector<std::string>{"2026-12 2.35", "2026-11 0.40", "2025-12 0.10", " 0.00"}));
  EXPECT_EQ(money_text(s.total_cents), "2.85");
}

TEST_F(FeeAccountTest, NoRowsAndAHostileUserId) {
  auto mark = test::general_log_mark();
  FeeStatement s = read_fee_statement(db, "42' or '1'='1");
  EXPECT_TRUE(s.rows.empty());
  EXPECT_TRUE(s.months.empty());
  EXPECT_EQ(s.total_cents, 0);
  auto queries = test::queries_since(mark);
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_NE(queries[0].find("user_id='42\\' or \\'1\\'=\\'1'"), std::string::npos) << queries[0];
}

TEST_F(FeeAccountTest, ADatabaseErrorIsAGermanMessage) {
  db.close();
  try {
    (void)read_fee_statement(db, "42");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("Die Rechnungen konnten nicht gelesen werden."),
              std::string::npos);
  }
}

TEST(MoneyText, Cents) {
  EXPECT_EQ(money_text(0), "0.00");
  EXPECT_EQ(money_text(5), "0.05");
  EXPECT_EQ(money_text(-5), "-0.05");
  EXPECT_EQ(money_text(123456), "1234.56");
}

}  // namespace
}  // namespace tellvaro::catalogue
