#include "upload/auction_row.h"

#include <gtest/gtest.h>

#include "article_fixture.h"
#include "db/connection.h"
#include "support/temp_dir.h"

namespace tellvaro::upload {
namespace {

using namespace fixture;
using store::Value;

catalogue::PaymentNames payments() {
  catalogue::PaymentNames n;
  n.name[0] = "Überweisung";
  n.name[1] = "Barzahlung bei Abholung";
  n.name[3] = "PayPal";
  n.name[4] = "Nachnahme";
  return n;
}

ArticleContext send41() {
  return {"41", "2006.12.04 9:05:09", "2006.12.14 09:05:09", "42", "", {"41.jpg", "", ""}};
}

std::string value_of(const std::vector<ColumnValue>& row, std::string_view column) {
  for (const auto& c : row) {
    if (c.column == column) return c.value;
  }
  ADD_FAILURE() << "no column " << column;
  return {};
}

TEST(PaymentText, TickedSlotsInOrderEachWithBlankAndLineFeed) {
  struct Case {
    const char* name;
    Fields ticks;
    std::string text;
  };
  const Case cases[] = {
      {"none", {}, ""},
      {"p2 and p5",
       {{store::F::p5, flag(true)}, {store::F::p2, flag(true)}, {store::F::p3, flag(false)}},
       "Barzahlung bei Abholung \nNachnahme \n"},
      {"a ticked slot without a name", {{store::F::p3, flag(true)}}, " \n"},
      {"p15", {{store::F::p15, flag(true)}}, " \n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(payment_text(article(c.ticks), payments()), c.text) << c.name;
  }
  catalogue::PaymentNames first_empty = payments();
  first_empty.name[0].clear();
  EXPECT_EQ(payment_text(article({{store::F::p1, flag(true)}}), first_empty), " \n");
  // Quoting turns the line feed into the statement's backslash-n.
  db::Connection quoting;
  EXPECT_EQ(quoting.quoted(payment_text(article({{store::F::p2, flag(true)}}), payments())),
            "'Barzahlung bei Abholung \\n'");
}

TEST(PhotoFlagAndPictureNames, FromTheFieldsNotTheFiles) {
  EXPECT_EQ(photo_flag(article({})), "0");
  EXPECT_EQ(photo_flag(article({{store::F::Bild1, t("")}, {store::F::Bild2, Value()}})), "0");
  EXPECT_EQ(photo_flag(article({{store::F::Bild1, t("geloescht.jpg")}})), "1");
  EXPECT_EQ(photo_flag(article({{store::F::Bild3, t("c.jpg")}})), "1");
  EXPECT_EQ(picture_name("41", 1), "41.jpg");
  EXPECT_EQ(picture_name("41", 2), "41_2.jpg");
  EXPECT_EQ(picture_name("41", 3), "41_3.jpg");

  // A picture named but not sent: the flag is set, the names stay empty.
  ArticleContext send = send41();
  send.picture_names = {};
  auto row = auction_row(article({{store::F::Bild1, t("weg.jpg")}}), send, payments());
  EXPECT_EQ(value_of(row, "photo_uploaded"), "1");
  EXPECT_EQ(value_of(row, "pict_url"), "");
  EXPECT_EQ(value_of(row, "pict_url2"), "");
  EXPECT_EQ(value_of(row, "pict_url3"), "");
}

TEST(AuctionRow, ValuesAsText) {
  auto row = auction_row(article({{store::F::Beschreibung, t("Omas 'gute' Vase")},
                                  {store::F::Artikelname, t("Omas 'gute' Vase")},
                                  {store::F::Startpreis, amount(12.50)},
                                  {store::F::Versandpreis_1, amount(3)},
                                  {store::F::html_desc_1, store::Value::small_int(0)},
                                  {store::F::Zustand, t("Neu")}}),
                         send41(), payments());
  ASSERT_EQ(row.size(), 48u);
  EXPECT_EQ(value_of(row, "description"), "Omas \u00b4gute\u00b4 Vase");
  EXPECT_EQ(value_of(row, "title"), "Omas 'gute' Vase");
  EXPECT_EQ(value_of(row, "minimum_bid"), "12.5");
  EXPECT_EQ(value_of(row, "qm_versandkosten_1"), "3");
  EXPECT_EQ(value_of(row, "buynow"), "");
  EXPECT_EQ(value_of(row, "html_desc_1"), "0");
  EXPECT_EQ(value_of(row, "zustand"), "7");
  std::vector<std::string_view> bare;
  for (const auto& c : row) {
    if (!c.quoted) bare.push_back(c.column);
  }
  EXPECT_EQ(bare, (std::vector<std::string_view>{"current_bid", "closed", "suspended"}));
}

TEST(AuctionRow, TheReferenceArticlesStatementWhole) {
  db::Connection quoting;
  const std::string expected = test::read_file(std::string(TELLVARO_UPLOAD_TEST_DATA) +
                                                         "/reference_auction_insert.sql");
  ASSERT_FALSE(expected.empty());
  // The file ends with a line feed for the editor's sake; the statement does not.
  EXPECT_EQ(auction_insert(quoting, reference_article(), send41(), payments()) + "\n", expected);
}

TEST(AuctionRow, HostileTextsCannotLeaveTheirQuotes) {
  db::Connection quoting;
  const std::string hostile = "x' or '1'='1\\";
  auto statement = auction_insert(quoting,
                                  article({{store::F::Artikelname, t(hostile)},
                                           {store::F::location, t(hostile)},
                                           {store::F::Versand_1, t(hostile)}}),
                                  send41(), payments());
  EXPECT_EQ(statement.find(hostile), std::string::npos);
  EXPECT_NE(statement.find("'x\\' or \\'1\\'=\\'1\\\\'"), std::string::npos);
}

}  // namespace
}  // namespace tellvaro::upload
