// Reference lists read from the test auction house.

#include "catalogue/reference.h"

#include <functional>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "text/error.h"

namespace tellvaro::catalogue {
namespace {

class ReferenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::reset_data();
    ASSERT_TRUE(test::connect_app(db)) << db.last_error();
  }
  void payments(int n) {
    test::admin_exec("delete from tv_auktionshaus.payments");
    for (int i = n; i >= 1; --i) {  // inserted backwards: the order must come from `id`
      test::admin_exec("insert into tv_auktionshaus.payments (id, description) values (" +
                       std::to_string(i) + ", 'Zahlart " + std::to_string(i) + "')");
    }
  }
  db::Connection db;
};

TEST_F(ReferenceTest, SixteenPaymentsShowTheFirstFifteenInIdOrder) {
  payments(16);
  PaymentNames names = load_payments(db);
  EXPECT_EQ(names.shown, 15u);
  EXPECT_EQ(names.name[0], "Zahlart 1");
  EXPECT_EQ(names.name[14], "Zahlart 15");
}

TEST_F(ReferenceTest, ThreePaymentsLeaveTheOtherSlotsEmpty) {
  payments(3);
  PaymentNames names = load_payments(db);
  EXPECT_EQ(names.shown, 3u);
  EXPECT_EQ(names.name[2], "Zahlart 3");
  for (std::size_t i = 3; i < kPaymentSlots; ++i) EXPECT_EQ(names.name[i], "");
}

TEST_F(ReferenceTest, FeaturesMatchExactlyAndTheLastRowWins) {
  test::admin_exec(
      "delete from tv_auktionshaus.features;"
      "insert into tv_auktionshaus.features (id, value, description) values"
      " (1, '1.5', 'fettschrift'), (2, '2.5', 'Textmarker '), (3, '0.5', 'Untertitel'),"
      " (4, ' 12 ', 'Mindestpreis'), (9, '0.75', 'Untertitel'), (10, '9', 'Sonstiges')");
  FeatureFees fees = load_features(db);
  EXPECT_EQ(fees[Feature::Fettschrift], 0);  // letter case differs
  EXPECT_EQ(fees[Feature::Textmarker], 0);   // trailing blank
  EXPECT_EQ(fees[Feature::Untertitel], 0.75);
  EXPECT_EQ(fees[Feature::Mindestpreis], 12);
}

TEST_F(ReferenceTest, AFeeThatIsNoNumberKeepsTheOthers) {
  for (const char* bad : {"'1,50'", "''", "NULL", "'gratis'"}) {
    test::admin_exec(
        "delete from tv_auktionshaus.features;"
        "insert into tv_auktionshaus.features (id, value, description) values"
        " (1, '0.5', 'Fettschrift'), (2, '0.75', 'Textmarker'), (3, " +
        std::string(bad) + ", 'Textmarker'), (4, " + bad +
        ", 'Untertitel'), (5, '2', 'Mindestpreis')");
    std::vector<std::string> bad_rows;
    FeatureFees fees = load_features(db, &bad_rows);
    EXPECT_EQ(fees[Feature::Fettschrift], 0.5) << bad;
    EXPECT_EQ(fees[Feature::Textmarker], 0.75) << bad;  // the bad row after it changes nothing
    EXPECT_EQ(fees[Feature::Untertitel], 0) << bad;
    EXPECT_EQ(fees[Feature::Mindestpreis], 2) << bad;
    ASSERT_EQ(bad_rows.size(), 2u) << bad;
    EXPECT_EQ(bad_rows[1].rfind("Die Gebühr für \"Untertitel\" ist keine Zahl ('", 0), 0u)
        << bad_rows[1];
  }
}

TEST_F(ReferenceTest, DurationsInOrderAndEmptyTable) {
  auto days = load_durations(db);
  ASSERT_FALSE(days.empty());
  EXPECT_EQ(days.front(), "1");
  test::admin_exec("delete from tv_auktionshaus.durations");
  EXPECT_TRUE(load_durations(db).empty());
}

TEST(ReferenceUnreachable, EveryListSaysItCouldNotBeRead) {
  db::Connection down;
  down.set_params({"127.0.0.99", 3306, "tv_seller_app", "x", "tv_auktionshaus", true});
  EXPECT_FALSE(down.connect());
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { (void)load_durations(down); }, "Die Auktionsdauern konnten nicht gelesen werden."},
      {[&] { (void)load_features(down); }, "Die Zusatzoptionen konnten nicht gelesen werden."},
      {[&] { (void)load_payments(down); }, "Die Zahlungsarten konnten nicht gelesen werden."},
  };
  for (const auto& [load, message] : cases) {
    try {
      load();
      ADD_FAILURE() << "no error for: " << message;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(message, 0), 0u) << e.what();
    }
  }
}

TEST(ChoiceLists, ShippingListsAndRadioValues) {
  EXPECT_EQ(choice_items(store::F::Versand_1).size(), 37u);
  EXPECT_EQ(choice_items(store::F::Versand_2).size(), 36u);
  EXPECT_EQ(choice_items(store::F::Versand_2).front(), "Abholung Vorort möglich");
  EXPECT_EQ(choice_items(store::F::Versand_3).back(), "Sonstige  (Ausland)");
  EXPECT_EQ(choice_items(store::F::Zustand)[1], "Neu");
  EXPECT_TRUE(choice_items(store::F::country).empty());
  EXPECT_EQ(radio_items(store::F::shipping)[1].stored, "2");
  EXPECT_EQ(radio_items(store::F::html_desc_1)[0].caption, "ja");
  EXPECT_EQ(radio_items(store::F::html_desc_1)[0].stored, "1");
}

}  // namespace
}  // namespace tellvaro::catalogue
