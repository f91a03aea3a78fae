// The category browser over a seeded tree of the test auction house.

#include "catalogue/categories.h"

#include <gtest/gtest.h>

#include "db/connection.h"
#include "store/table.h"
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
    articles.append();
    articles.set(store::F::Artikelname, store::Value::text("Winterreifen"));
    articles.set(store::F::Kategorie, store::Value::text("Alt"));
    articles.set(store::F::Kategorie_Nummer, store::Value::text("99"));
    articles.post();
    pending = articles.on_before_post([this] { browser.before_post(); });
  }
  std::size_t index_of(int level, const std::string& name) {
    const auto& e = browser.entries(level);
    for (std::size_t i = 0; i < e.size(); ++i) {
      if (e[i].cat_name == name) return i;
    }
    ADD_FAILURE() << name << " not at level " << level;
    return 0;
  }
  void choose(int level, const std::string& name, Slot slot = Slot::First) {
    browser.choose(level, index_of(level, name), slot);
  }
  std::string field(store::F f) { return articles.text(f); }

  db::Connection db;
  store::Table articles;
  CategoryBrowser browser{db, articles};
  ports::Subscription pending;
};

TEST_F(CategoriesTest, TopLevelWithMarkersAndALeafAtLevelOne) {
  browser.start(Slot::First);
  EXPECT_FALSE(browser.change_enabled());
  EXPECT_EQ(field(store::F::Kategorie), "");  // emptied at once
  const auto& top = browser.entries(1);
  ASSERT_EQ(top.size(), 3u);  // orphans and self-parented rows never appear
  EXPECT_EQ(marked(top[0]), "Auto +");
  EXPECT_EQ(marked(top[1]), "Bücher");
  EXPECT_EQ(marked(top[2]), "Tiefe +");
  choose(1, "Bücher");
  EXPECT_TRUE(browser.save_enabled());
  browser.save(Slot::First);
  EXPECT_EQ(field(store::F::Kategorie), "Bücher");
  EXPECT_EQ(field(store::F::Kategorie_Nummer), "6");
  EXPECT_EQ(field(store::F::Kategorie1), "Bücher");
  EXPECT_EQ(field(store::F::Kategorie2), "");
  EXPECT_TRUE(browser.change_enabled());
  EXPECT_FALSE(browser.save_enabled());
  EXPECT_FALSE(browser.level_enabled(1));
  EXPECT_EQ(articles.state(), store::EditState::Browse);
}

TEST_F(CategoriesTest, LevelThreeLeafGivesPathAndLevelNames) {
  browser.start(Slot::First);
  choose(1, "Auto");
  EXPECT_FALSE(browser.save_enabled());
  EXPECT_EQ(marked(browser.entries(2)[0]), "Teile +");
  EXPECT_EQ(marked(browser.entries(2)[1]), "Zubehör");
  choose(2, "Teile");
  choose(3, "Reifen");
  EXPECT_EQ(browser.pending_number(Slot::First), std::optional<std::string>("3"));
  browser.save(Slot::First);
  EXPECT_EQ(field(store::F::Kategorie), "Auto > Teile > Reifen");
  EXPECT_EQ(field(store::F::Kategorie_Nummer), "3");
  EXPECT_EQ(field(store::F::Kategorie3), "Reifen");
  EXPECT_EQ(field(store::F::Kategorie4), "");
  EXPECT_EQ(field(store::F::Kategorie5), "");
}

TEST_F(CategoriesTest, ChoosingAgainAtLevelTwoEmptiesTheLevelsBelow) {
  browser.start(Slot::First);
  choose(1, "Tiefe");
  choose(2, "T2");
  choose(3, "T3");
  choose(4, "T4");
  choose(5, "T5b");
  EXPECT_TRUE(browser.save_enabled());
  choose(2, "T2");
  EXPECT_FALSE(browser.save_enabled());
  EXPECT_TRUE(browser.level_enabled(3));
  EXPECT_FALSE(browser.level_enabled(4));
  EXPECT_TRUE(browser.entries(4).empty());
  EXPECT_EQ(browser.pending_number(Slot::First), std::optional<std::string>(""));
}

TEST_F(CategoriesTest, SecondSlotLeavesTheFirstCategoryAlone) {
  browser.start(Slot::Second);
  EXPECT_EQ(field(store::F::Kategorie), "Alt");
  choose(1, "Auto", Slot::Second);
  choose(2, "Zubehör", Slot::Second);
  browser.save(Slot::Second);
  EXPECT_EQ(field(store::F::Kategorie), "Alt");
  EXPECT_EQ(field(store::F::Kategorie_Nummer), "99");
  EXPECT_EQ(field(store::F::Kategorie_2), "Auto > Zubehör");
  EXPECT_EQ(field(store::F::Kategorie_Nummer_2), "5");
  EXPECT_EQ(field(store::F::Kategorie1), "Auto");
  EXPECT_EQ(field(store::F::Kategorie2), "Zubehör");
}

TEST_F(CategoriesTest, BelowLevelFiveTheEntriesJoinTheLastList) {
  browser.start(Slot::First);
  for (auto [level, name] : {std::pair{1, "Tiefe"}, {2, "T2"}, {3, "T3"}, {4, "T4"}, {5, "T5"}}) {
    choose(level, name);
  }
  ASSERT_EQ(browser.entries(5).size(), 4u);  // T5, T5b, then T6, T6b
  EXPECT_EQ(marked(browser.entries(5)[2]), "T6 +");
  choose(5, "T6");
  ASSERT_EQ(browser.entries(5).size(), 5u);
  choose(5, "T7");
  EXPECT_TRUE(browser.save_enabled());
  browser.save(Slot::First);
  EXPECT_EQ(field(store::F::Kategorie), "Tiefe > T2 > T3 > T4 > T7");
  EXPECT_EQ(field(store::F::Kategorie_Nummer), "17");
}

TEST_F(CategoriesTest, BrowseLeftWithoutSaveEmptiesTheSlotWhenPosted) {
  articles.set(store::F::Kategorie1, store::Value::text("Alt"));
  articles.post();
  browser.start(Slot::First);
  choose(1, "Auto");
  choose(2, "Zubehör");  // a leaf, never saved
  articles.post();
  for (store::F name : {store::F::Kategorie, store::F::Kategorie_Nummer, store::F::Kategorie1,
                        store::F::Kategorie2}) {
    EXPECT_EQ(field(name), "") << store::name_of(name);
  }
  EXPECT_TRUE(browser.change_enabled());
}

TEST_F(CategoriesTest, SavingTheCategoryTheSlotHoldsStillTakesItsLevelNames) {
  articles.set(store::F::Kategorie_2, store::Value::text("Bücher"));
  articles.set(store::F::Kategorie_Nummer_2, store::Value::text("6"));
  articles.set(store::F::Kategorie1, store::Value::text("Auto"));  // of an earlier "Kat 1" browse
  articles.set(store::F::Kategorie2, store::Value::text("Teile"));
  articles.post();
  browser.start(Slot::Second);
  choose(1, "Bücher", Slot::Second);
  browser.save(Slot::Second);
  EXPECT_EQ(articles.state(), store::EditState::Browse);
  EXPECT_EQ(field(store::F::Kategorie_2), "Bücher");
  EXPECT_EQ(field(store::F::Kategorie1), "Bücher");
  EXPECT_EQ(field(store::F::Kategorie2), "");
}

TEST_F(CategoriesTest, LongNamesAreCutToTheFieldWidths) {
  std::string long_name(255, 'x');  // as long as the server's column holds
  test::admin_exec(
      "insert into tv_auktionshaus.categories (cat_id, parent_id, cat_name) values"
      " (50, 0, '" +
      long_name + "')");
  browser.start(Slot::First);
  choose(1, std::string(255, 'x'));
  browser.save(Slot::First);
  EXPECT_EQ(field(store::F::Kategorie), std::string(255, 'x'));
  EXPECT_EQ(field(store::F::Kategorie1), std::string(128, 'x'));
}

// A table without a key on `cat_id` can hold a cycle that is reachable from the top. Each
// level is read on a click, so walking round it only ever costs the clicks the user makes.
TEST_F(CategoriesTest, ACycleReachableFromTheTopStaysUserDriven) {
  // The guard first: a failing change must not leave the table without its key.
  struct Restore {
    ~Restore() {
      try {
        test::reset_data();
        auto key = test::admin_query(
            "select count(*) from information_schema.statistics where table_schema="
            "'tv_auktionshaus' and table_name='categories' and index_name='PRIMARY'");
        if (key.at(0).at(0) == std::optional<std::string>("0")) {
          test::admin_exec(
              "alter table tv_auktionshaus.categories"
              " modify cat_id int not null auto_increment primary key");
        }
      } catch (const std::exception& e) {
        ADD_FAILURE() << "categories not restored: " << e.what();
      }
    }
  } restore;
  test::admin_exec(
      "alter table tv_auktionshaus.categories modify cat_id int not null, drop primary key;"
      "insert into tv_auktionshaus.categories (cat_id, parent_id, cat_name) values"
      " (60,0,'Ring'),(61,60,'Ring-Kind'),(60,61,'Ring-Enkel')");
  browser.start(Slot::First);
  choose(1, "Ring");
  choose(2, "Ring-Kind");
  choose(3, "Ring-Enkel");
  choose(4, "Ring-Kind");
  choose(5, "Ring-Enkel");
  for (int i = 0; i < 5; ++i) browser.choose(5, browser.entries(5).size() - 1, Slot::First);
  EXPECT_EQ(browser.entries(5).size(), 7u);  // one entry more per click, never more
  EXPECT_FALSE(browser.save_enabled());
}

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
