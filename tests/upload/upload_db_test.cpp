// The auction row and the fee rows against the real MariaDB: what is stored is what was typed.

#include <gtest/gtest.h>

#include "article_fixture.h"
#include "db/connection.h"
#include "support/temp_dir.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "upload/listing_rows.h"

namespace tellvaro::upload {
namespace {

using namespace fixture;

class UploadDbTest : public tellvaro::test::AuctionHouseTest {
 protected:
  void SetUp() override {
    AuctionHouseTest::SetUp();
    ASSERT_TRUE(test::connect_app(db)) << db.last_error();
  }
  db::Connection db;
};

std::string cell(const std::vector<tellvaro::test::Row>& rows, std::size_t r, std::size_t c) {
  if (r >= rows.size() || c >= rows[r].size() || !rows[r][c]) return "<NULL>";
  return *rows[r][c];
}

TEST_F(UploadDbTest, HostileTextsAreStoredExactlyAsTyped) {
  const std::string title = "O'Neill \\ ' or '1'='1 Äöü €";
  std::string description = "Er sagt: 'Top' \\n \\' \"x\" ä€\n";
  description += std::string(1, '\0') + "nach NUL ";
  while (description.size() < 10 * 1024) description += "Zeile mit Ümlaut und ' \\ € ";
  std::string described = description;
  for (std::size_t p; (p = described.find('\'')) != std::string::npos;) {
    described.replace(p, 1, "\u00b4");
  }

  catalogue::PaymentNames names;
  names.name[0] = "Überweisung";
  names.name[1] = "Bar's \\ Zahlung";
  store::Record a = article({{store::F::Artikelname, t(title)},
                             {store::F::Untertitel, t("Unter'titel\\")},
                             {store::F::Beschreibung, t(description)},
                             {store::F::location, t("Köln' or '1'='1")},
                             {store::F::location_zip, t("5'0\\")},
                             {store::F::country, t("Österreich")},
                             {store::F::Versand_1, t("DHL 'Päckchen' \\")},
                             {store::F::Versandpreis_1, amount(4.5)},
                             {store::F::Startpreis, amount(12.50)},
                             {store::F::Kategorie_Nummer, t("1111")},
                             {store::F::Auktionsdauer, t("7")},
                             {store::F::Zustand, t("Neu")},
                             {store::F::Fettschrift, flag(true)},
                             {store::F::p1, flag(true)},
                             {store::F::p2, flag(true)}});
  const catalogue::FeatureFees fees{{0.5, 0, 0, 0, 0, 0.35, 0}};
  test::TempDir pictures;
  const ArticleContext send{"1000", "2006.12.04 9:05:09", "2006.12.11 09:05:09",
                            "42",   pictures.folder(),    {}};
  AuctionHouseRows rows(db, fees, names);

  const auto mark = tellvaro::test::general_log_mark();
  auto booking = rows.fee_rows(a, send);
  ASSERT_EQ(booking.fees.size(), 2u);
  for (const auto& f : booking.fees) EXPECT_TRUE(db.exec(f.statement)) << db.last_error();
  ASSERT_TRUE(db.exec(rows.auction_row(a, send))) << db.last_error();

  auto row = tellvaro::test::admin_query(
      "select title, qm_untertitel, description, location, location_zip, country, "
      "qm_versandart_1, qm_versandkosten_1, minimum_bid, payment, starts, ends, zustand, fett, "
      "current_bid, closed, suspended, photo_uploaded, user, buynow "
      "from auctions where id=1000");
  ASSERT_EQ(row.size(), 1u);
  const std::vector<std::string> expected = {title,
                                             "Unter'titel\\",
                                             described,
                                             "Köln' or '1'='1",
                                             "5'0\\",
                                             "Österreich",
                                             "DHL 'Päckchen' \\",
                                             "4.50",
                                             "12.50",
                                             "Überweisung \nBar's \\ Zahlung \n",
                                             "2006-12-04 09:05:09",
                                             "2006-12-11 09:05:09",
                                             "7",
                                             "1",
                                             "0.00",
                                             "0",
                                             "0",
                                             "0",
                                             "42",
                                             "0.00"};
  for (std::size_t c = 0; c < expected.size(); ++c) {
    EXPECT_EQ(cell(row, 0, c), expected[c]) << "column " << c;
  }

  auto fee_rows = tellvaro::test::admin_query(
      "select re_nr, date, user_id, auction_id, auction_title, description, value, closed "
      "from accountpos order by id");
  ASSERT_EQ(fee_rows.size(), 2u);
  const std::vector<std::vector<std::string>> expected_fees = {
      {"", "2006-12-04 09:05:09", "42", "1000", title, "Hervorhebung: Fettschrift", "0.50", "0"},
      {"", "2006-12-04 09:05:09", "42", "1000", title, "Untertitel", "0.35", "0"}};
  for (std::size_t r = 0; r < 2; ++r) {
    for (std::size_t c = 0; c < expected_fees[r].size(); ++c) {
      EXPECT_EQ(cell(fee_rows, r, c), expected_fees[r][c]) << "fee row " << r << " column " << c;
    }
  }

  // One insert per row reached the server, and nothing else.
  auto queries = tellvaro::test::queries_since(mark);
  ASSERT_EQ(queries.size(), 3u);
  EXPECT_EQ(queries[0].rfind("insert into accountpos ", 0), 0u);
  EXPECT_EQ(queries[1].rfind("insert into accountpos ", 0), 0u);
  EXPECT_EQ(queries[2].rfind("insert into auctions ", 0), 0u);
}

}  // namespace
}  // namespace tellvaro::upload
