// The category search over a seeded tree of the test auction house.

#include "catalogue/category_search.h"

#include <gtest/gtest.h>

#include "db/connection.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "text/error.h"

namespace tellvaro::catalogue {
namespace {

// Tiefe runs seven levels deep; Waise and Kreis never reach the top; names with an apostrophe,
// a percent sign and an underscore.
constexpr const char* kTree =
    "delete from tv_auktionshaus.categories;"
    "insert into tv_auktionshaus.categories (cat_id, parent_id, cat_name) values"
    " (1,0,'Auto & Motorrad'),(2,1,'Ersatzteile'),(3,2,'Zündkerzen'),(4,2,'ZÜNDSPULEN'),"
    " (5,0,'Kinder''s Welt'),(6,5,'Kinder''s Spielzeug'),(7,0,'100% Baumwolle'),"
    " (8,0,'a_b_c'),"
    " (10,0,'Tiefe'),(11,10,'T2'),(12,11,'T3'),(13,12,'T4'),(14,13,'T5'),(16,14,'T6'),"
    " (17,16,'Tiefste Stufe'),"
    " (30,31,'Waise eins'),(31,30,'Waise zwei'),(40,40,'Kreis')";

class CategorySearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::reset_data();
    test::admin_exec(kTree);
    ASSERT_TRUE(test::connect_app(db)) << db.last_error();
  }
  std::vector<std::string> paths(std::string_view text) {
    std::vector<std::string> out;
    for (const auto& m : search_categories(db, text)) out.push_back(m.path());
    return out;
  }
  db::Connection db;
};

using Paths = std::vector<std::string>;

TEST_F(CategorySearchTest, MatchesWithWholePathsInTwoQuotedStatements) {
  auto mark = test::general_log_mark();
  EXPECT_EQ(paths("zünd"), (Paths{"Auto & Motorrad > Ersatzteile > Zündkerzen",
                                  "Auto & Motorrad > Ersatzteile > ZÜNDSPULEN"}));
  EXPECT_EQ(test::queries_since(mark).size(), 2u);

  mark = test::general_log_mark();
  auto found = search_categories(db, "der's");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].path(), "Kinder's Welt > Kinder's Spielzeug");
  EXPECT_TRUE(found[0].leaf);
  EXPECT_EQ(found[1].path(), "Kinder's Welt");
  EXPECT_FALSE(found[1].leaf);
  auto queries = test::queries_since(mark);
  ASSERT_EQ(queries.size(), 2u);
  EXPECT_NE(queries[0].find("lower('der\\'s')"), std::string::npos) << queries[0];
  EXPECT_NE(queries[1].find("in ('6','5')"), std::string::npos) << queries[1];
}

TEST_F(CategorySearchTest, WhatIsFoundAndWhatNot) {
  const std::pair<const char*, Paths> cases[] = {
      {"tiefste", {"Tiefe > T2 > T3 > T4 > T5 > T6 > Tiefste Stufe"}},
      {"  SPULEN  ", {"Auto & Motorrad > Ersatzteile > ZÜNDSPULEN"}},
      {"00% ", {"100% Baumwolle"}},  // % and _ are no wildcards
      {"a_b", {"a_b_c"}},
      {"%%%", {}},
      {"___", {}},
      {"Waise", {}},  // no way from the top
      {"Kreis", {}},
      {"kerzen und mehr", {}},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(paths(text), expected);
  }
  auto mark = test::general_log_mark();
  EXPECT_TRUE(search_categories(db, " ab ").empty());
  EXPECT_TRUE(search_categories(db, "Zü").empty());
  EXPECT_TRUE(test::queries_since(mark).empty());
}

TEST_F(CategorySearchTest, AtMostFiftyMatches) {
  std::string values;
  for (int i = 0; i < 70; ++i) {
    values += (i ? "," : "") + std::string("(") + std::to_string(100 + i) + ",0,'Viele " +
              std::to_string(i) + "')";
  }
  test::admin_exec("insert into tv_auktionshaus.categories (cat_id, parent_id, cat_name) values " +
                   values);
  EXPECT_EQ(search_categories(db, "viele").size(), kSearchMaxMatches);
}

TEST_F(CategorySearchTest, AFailedReadIsAnError) {
  db.close();
  EXPECT_THROW(search_categories(db, "zünd"), Error);
}

}  // namespace
}  // namespace tellvaro::catalogue
