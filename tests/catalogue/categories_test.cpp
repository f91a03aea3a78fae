// The category levels as the test auction house gives them.

#include "catalogue/categories.h"

#include <gtest/gtest.h>

#include "db/connection.h"
#include "support/accounts.h"
#include "support/auction_house.h"

namespace tellvaro::catalogue {
namespace {

// Auto > Teile > Reifen|Felgen, Auto > Zubehör; Bücher is a leaf at level 1; Tiefe runs seven
// levels deep with two entries below level 5.
constexpr const char* kTree =
    "delete from tv_auktionshaus.categories;"
    "insert into tv_auktionshaus.categories (cat_id, parent_id, cat_name) values"
    " (1,0,'Auto'),(2,1,'Teile'),(3,2,'Reifen'),(4,2,'Felgen'),(5,1,'Zubehör'),(6,0,'Bücher'),"
    " (10,0,'Tiefe'),(11,10,'T2'),(12,11,'T3'),(13,12,'T4'),(14,13,'T5'),(15,13,'T5b'),"
    " (16,14,'T6'),(17,16,'T7'),(18,14,'T6b'),"
    " (30,31,'Waise'),(31,30,'Waise2'),(40,40,'Selbst')";

// An entry as name and whether it has sub-categories (" +"), the part the server decides.
std::string marked(const CategoryEntry& e) { return e.cat_name + (e.has_children ? " +" : ""); }

class CategoriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::reset_data();
    test::admin_exec(kTree);
    ASSERT_TRUE(test::connect_app(db)) << db.last_error();
  }

  db::Connection db;
};

TEST_F(CategoriesTest, ALevelCostsAtMostTwoStatementsWithTheSameEntries) {
  std::string values;
  for (int i = 0; i < 60; ++i) {
    values += (i ? "," : "") + std::string("(") + std::to_string(100 + i) + ",1,'Sub " +
              std::to_string(i) + "')";
    if (i % 2 == 0)
      values += ",(" + std::to_string(300 + i) + "," + std::to_string(100 + i) + ",'Blatt')";
  }
  test::admin_exec("insert into tv_auktionshaus.categories (cat_id, parent_id, cat_name) values " +
                   values);

  auto mark = test::general_log_mark();
  auto ours = read_level(db, "1");
  auto statements = test::queries_since(mark);
  ASSERT_EQ(statements.size(), 2u);
  EXPECT_EQ(statements[0], "select * from categories where (parent_id='1') order by cat_name");

  auto theirs = read_level_per_entry(db, "1");
  ASSERT_EQ(ours.size(), theirs.size());
  for (std::size_t i = 0; i < ours.size(); ++i) {
    EXPECT_EQ(ours[i].cat_id, theirs[i].cat_id);
    EXPECT_EQ(marked(ours[i]), marked(theirs[i]));
  }
}

// The markers as the server decides them, on `categories` tables of other auction houses: text
// ids under a case- and accent-insensitive collation, and a number column for `parent_id`. Each
// runs in a database of its own, so the test auction house's table stays as it is.
TEST(CategoryMarkers, TheServerComparesAsForOneEntryAlone) {
  struct Case {
    const char* what;
    const char* table;
    const char* rows;
    std::vector<std::string> top;  // the top level, marked
  };
  const Case cases[] = {
      {"text ids, _ci collation",
       "cat_id varchar(20), parent_id varchar(20), cat_name varchar(50)) default charset=utf8mb4"
       " collate=utf8mb4_general_ci",
       "('abc','0','Fall'),('k1','ABC','Kind'),('pad','0','Blank'),('k2','pad  ','Kind'),"
       "('Müller','0','Umlaut'),('k3','muller','Kind'),('leer ','0','Blatt'),('k4','leer','Kind'),"
       "('7','0','Zahl')",
       {"Blank +", "Blatt +", "Fall +", "Umlaut +", "Zahl"}},
      {"number parent_id",
       "cat_id varchar(20), parent_id int, cat_name varchar(50)) default charset=latin1",
       "('012',0,'Null-Zwölf'),('k1',12,'Kind'),('',0,'Leer'),('7',0,'Sieben')",
       {"Leer +", "Null-Zwölf +", "Sieben"}},
  };
  const std::string scratch = "tv_marker_cases";
  struct DropScratch {
    std::string name;
    ~DropScratch() {
      try {
        test::admin_exec("drop database if exists " + name);
        test::admin_exec("revoke all on " + name + ".* from '" + test::kAppUser + "'@'127.0.0.%'");
      } catch (...) {
      }
    }
  } drop{scratch};
  for (const auto& c : cases) {
    test::admin_exec("drop database if exists " + scratch + "; create database " + scratch +
                     "; create table " + scratch + ".categories (" + c.table + "; insert into " +
                     scratch + ".categories (cat_id, parent_id, cat_name) values " + c.rows +
                     "; grant select on " + scratch + ".* to '" + test::kAppUser + "'@'127.0.0.%'");
    db::Connection db;
    db::ConnectParams params = test::app_account();
    params.database = scratch;
    db.set_params(params);
    ASSERT_TRUE(db.connect()) << c.what;
    ASSERT_TRUE(db.select_database(scratch)) << c.what;

    auto mark = test::general_log_mark();
    auto ours = read_level(db, "0");
    EXPECT_EQ(test::queries_since(mark).size(), 2u) << c.what;
    auto theirs = read_level_per_entry(db, "0");
    std::vector<std::string> shown, alone;
    for (const auto& e : ours) shown.push_back(marked(e));
    for (const auto& e : theirs) alone.push_back(marked(e));
    EXPECT_EQ(shown, alone) << c.what;
    EXPECT_EQ(shown, c.top) << c.what;
  }
}

}  // namespace
}  // namespace tellvaro::catalogue
