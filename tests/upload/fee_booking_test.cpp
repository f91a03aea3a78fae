#include "upload/fee_booking.h"

#include <gtest/gtest.h>

#include "article_fixture.h"
#include "db/connection.h"
#include "support/temp_dir.h"

namespace tellvaro::upload {
namespace {

using namespace fixture;
using catalogue::Feature;
using store::Value;

const catalogue::FeatureFees kFees{{0.5, 0.75, 1.25, 0.1, 0.2, 0.35, 2}};

class FeeBookingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto name : {"a.jpg", "b.jpg", "c.jpg"}) test::write_file(dir / name, "jpg");
  }
  FeeRows book(const store::Record& a, const catalogue::FeatureFees& fees = kFees) {
    const ArticleContext c{"41", "2006.12.04 9:05:09", "2006.12.14 09:05:09",
                           "42", dir.folder(),         {}};
    return book_fees(quoting, a, c, fees);
  }
  std::string dir_name() const {
    return std::filesystem::path(dir / "x").parent_path().filename().string();
  }
  static std::vector<std::string> statements(const FeeRows& b) {
    std::vector<std::string> out;
    for (const auto& f : b.fees) out.push_back(f.statement);
    return out;
  }
  // The head lines, then one line per booked fee.
  static std::vector<std::string> lines(const FeeRows& b) {
    std::vector<std::string> out = b.head_lines;
    for (const auto& f : b.fees) out.push_back(f.line);
    return out;
  }
  // Only the lines of the booked fees.
  static std::vector<std::string> charged(const FeeRows& b) {
    std::vector<std::string> out;
    for (const auto& f : b.fees) out.push_back(f.line);
    return out;
  }
  test::TempDir dir;
  db::Connection quoting;
};

TEST_F(FeeBookingTest, AllSevenInOrderWithStatementsAndLines) {
  auto booking = book(article({{store::F::Gebuehr, amount(5.35)},
                               {store::F::Artikelname, t("Reifen")},
                               {store::F::Mindestpreis, amount(0.01)},
                               {store::F::Untertitel, t(" ")},
                               {store::F::Bild3, t("c.jpg")},
                               {store::F::Bild2, t("b.jpg")},
                               {store::F::Bild1, t("a.jpg")},
                               {store::F::Top_Kategorie, flag(true)},
                               {store::F::Textmarker, flag(true)},
                               {store::F::Fettschrift, flag(true)}}));
  const std::string head =
      "insert into accountpos (id, re_nr, date, user_id, auction_id, "
      "auction_title, description, value, closed) values('','',"
      "'2006.12.04 9:05:09','42','41','Reifen',";
  EXPECT_EQ(statements(booking), (std::vector<std::string>{
                                     head + "'Hervorhebung: Fettschrift','0.5','0')",
                                     head + "'Hervorhebung: Textmarker','0.75','0')",
                                     head + "'Hervorhebung: Top-Kategorie','1.25','0')",
                                     head + "'Upload 2. Bild','0.1','0')",
                                     head + "'Upload 3. Bild','0.2','0')",
                                     head + "'Untertitel','0.35','0')",
                                     head + "'Mindestpreis','2','0')",
                                 }));
  EXPECT_EQ(lines(booking), (std::vector<std::string>{
                                "5.35 Euro: Gesamt Uploadkosten",
                                std::string(62, '-'),
                                "0.50 Euro: Hervorhebung: Fettschrift",
                                "0.75 Euro: Hervorhebung: Textmarker",
                                "1.25 Euro: Hervorhebung: Top-Kategorie",
                                "0.10 Euro: Upload 2. Bild",
                                "0.20 Euro: Upload 3. Bild",
                                "0.35 Euro: Untertitel ",
                                "2.00 Euro: Mindestpreis ",
                            }));
}

TEST_F(FeeBookingTest, WhatIsCharged) {
  struct Case {
    const char* name;
    Fields fields;
    std::vector<std::string> charged;
  };
  const Case cases[] = {
      {"nothing", {}, {}},
      {"the first picture is free", {{store::F::Bild1, t("a.jpg")}}, {}},
      {"second picture deleted from the folder", {{store::F::Bild2, t("weg.jpg")}}, {}},
      {"second picture without a first",
       {{store::F::Bild2, t("b.jpg")}},
       {"0.10 Euro: Upload 2. Bild"}},
      {"a folder is no picture", {{store::F::Bild3, t(".")}}, {}},
      {"a path leaving the folder", {{store::F::Bild2, t("../" + dir_name() + "/b.jpg")}}, {}},
      {"an absolute path", {{store::F::Bild3, t(dir / "c.jpg")}}, {}},
      {"minimum price 0", {{store::F::Mindestpreis, amount(0)}}, {}},
      {"minimum price null", {{store::F::Mindestpreis, Value()}}, {}},
      {"minimum price 0.01",
       {{store::F::Mindestpreis, amount(0.01)}},
       {"2.00 Euro: Mindestpreis "}},
      {"flags false",
       {{store::F::Fettschrift, flag(false)}, {store::F::Textmarker, flag(false)}},
       {}},
      {"empty subtitle", {{store::F::Untertitel, t("")}}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(charged(book(article(c.fields))), c.charged) << c.name;
  }
}

TEST_F(FeeBookingTest, FeesOfZeroBookNothingButTheHeadStays) {
  auto a = article({{store::F::Fettschrift, flag(true)},
                    {store::F::Untertitel, t("Neu")},
                    {store::F::Bild2, t("b.jpg")}});
  auto none = book(a, catalogue::FeatureFees{});
  EXPECT_TRUE(none.fees.empty());
  EXPECT_EQ(lines(none),
            (std::vector<std::string>{"0.00 Euro: Gesamt Uploadkosten", std::string(62, '-')}));

  catalogue::FeatureFees some{};
  some.fee[static_cast<std::size_t>(Feature::Untertitel)] = 0.25;
  some.fee[static_cast<std::size_t>(Feature::Fettschrift)] = -1;
  EXPECT_EQ(charged(book(a, some)), std::vector<std::string>{"0.25 Euro: Untertitel "});
}

TEST_F(FeeBookingTest, TheTotalLineShowsGebuehrEvenWhenItDiffersFromTheItems) {
  auto booking = book(article({{store::F::Gebuehr, amount(0.3)}, {store::F::Bild2, t("weg.jpg")}}));
  EXPECT_TRUE(booking.fees.empty());
  EXPECT_EQ(booking.head_lines.front(), "0.30 Euro: Gesamt Uploadkosten");
}

TEST_F(FeeBookingTest, TheTitleIsQuoted) {
  auto booking = book(article(
      {{store::F::Artikelname, t("O'Neill \\ ' or '1'='1")}, {store::F::Fettschrift, flag(true)}}));
  ASSERT_EQ(booking.fees.size(), 1u);
  EXPECT_NE(booking.fees[0].statement.find("'O\\'Neill \\\\ \\' or \\'1\\'=\\'1'"),
            std::string::npos);
}

}  // namespace
}  // namespace tellvaro::upload
