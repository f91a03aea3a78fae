// The category browser over seeded trees of the test auction house: browsing, saving, and taking
// a category the search found as a browse would store it.

#include "presentation/category_browser.h"

#include <gtest/gtest.h>

#include "catalogue/category_search.h"
#include "db/connection.h"
#include "store/table.h"
#include "support/accounts.h"
#include "support/auction_house.h"

namespace tellvaro::presentation {
namespace {

using catalogue::CategoryEntry;
using catalogue::search_categories;
using catalogue::Slot;

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

class CategoryBrowserTest : public ::testing::Test {
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

TEST_F(CategoryBrowserTest, TopLevelWithMarkersAndALeafAtLevelOne) {
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

TEST_F(CategoryBrowserTest, LevelThreeLeafGivesPathAndLevelNames) {
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

TEST_F(CategoryBrowserTest, ChoosingAgainAtLevelTwoEmptiesTheLevelsBelow) {
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

TEST_F(CategoryBrowserTest, SecondSlotLeavesTheFirstCategoryAlone) {
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

TEST_F(CategoryBrowserTest, BelowLevelFiveTheEntriesJoinTheLastList) {
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

TEST_F(CategoryBrowserTest, BrowseLeftWithoutSaveEmptiesTheSlotWhenPosted) {
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

TEST_F(CategoryBrowserTest, SavingTheCategoryTheSlotHoldsStillTakesItsLevelNames) {
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

TEST_F(CategoryBrowserTest, LongNamesAreCutToTheFieldWidths) {
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
TEST_F(CategoryBrowserTest, ACycleReachableFromTheTopStaysUserDriven) {
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

// Tiefe runs seven levels deep; Waise and Kreis never reach the top; names with an apostrophe,
// a percent sign and an underscore.
constexpr const char* kSearchTree =
    "delete from tv_auktionshaus.categories;"
    "insert into tv_auktionshaus.categories (cat_id, parent_id, cat_name) values"
    " (1,0,'Auto & Motorrad'),(2,1,'Ersatzteile'),(3,2,'Zündkerzen'),(4,2,'ZÜNDSPULEN'),"
    " (5,0,'Kinder''s Welt'),(6,5,'Kinder''s Spielzeug'),(7,0,'100% Baumwolle'),"
    " (8,0,'a_b_c'),"
    " (10,0,'Tiefe'),(11,10,'T2'),(12,11,'T3'),(13,12,'T4'),(14,13,'T5'),(16,14,'T6'),"
    " (17,16,'Tiefste Stufe'),"
    " (30,31,'Waise eins'),(31,30,'Waise zwei'),(40,40,'Kreis')";

class SearchTakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::reset_data();
    test::admin_exec(kSearchTree);
    ASSERT_TRUE(test::connect_app(db)) << db.last_error();
  }
  db::Connection db;
};

// Taking a leaf found by the search stores the same fields as browsing to it and saving.
TEST_F(SearchTakeTest, TakingALeafStoresWhatABrowseStores) {
  const store::F fields[] = {
      store::F::Kategorie,          store::F::Kategorie_Nummer, store::F::Kategorie_2,
      store::F::Kategorie_Nummer_2, store::F::Kategorie1,       store::F::Kategorie2,
      store::F::Kategorie3,         store::F::Kategorie4,       store::F::Kategorie5};
  auto stored = [&](store::Table& t) {
    std::vector<std::string> out;
    for (store::F f : fields) out.push_back(t.text(f));
    return out;
  };
  struct Route {
    std::vector<std::string> names;
    Slot slot;
  };
  const Route routes[] = {
      {{"Tiefe", "T2", "T3", "T4", "T5", "T6", "Tiefste Stufe"}, Slot::First},
      {{"Auto & Motorrad", "Ersatzteile", "Zündkerzen"}, Slot::Second},
      {{"100% Baumwolle"}, Slot::First},
  };
  for (const auto& route : routes) {
    SCOPED_TRACE(route.names.back());
    store::Table browsed, searched;
    for (store::Table* t : {&browsed, &searched}) {
      t->append();
      t->set(store::F::Kategorie, store::Value::text("Alt"));
      t->set(store::F::Kategorie_2, store::Value::text("Alt 2"));
      t->post();
    }
    CategoryBrowser browser(db, browsed);
    browser.start(route.slot);
    for (std::size_t level = 1; level <= route.names.size(); ++level) {
      const int list = static_cast<int>(std::min<std::size_t>(level, CategoryBrowser::kLevels));
      const auto& entries = browser.entries(list);
      std::size_t i = 0;
      while (i < entries.size() && entries[i].cat_name != route.names[level - 1]) ++i;
      ASSERT_LT(i, entries.size()) << route.names[level - 1];
      browser.choose(list, i, route.slot);
    }
    ASSERT_TRUE(browser.save_enabled());
    browser.save(route.slot);

    auto found = search_categories(db, route.names.back());
    ASSERT_EQ(found.size(), 1u);
    CategoryBrowser taker(db, searched);
    EXPECT_TRUE(taker.take(found[0], route.slot));
    EXPECT_EQ(stored(searched), stored(browsed));
    EXPECT_EQ(searched.state(), store::EditState::Browse);
  }
}

TEST_F(SearchTakeTest, ACategoryWithSubCategoriesIsNotTaken) {
  store::Table articles;
  articles.append();
  articles.set(store::F::Kategorie, store::Value::text("Alt"));
  articles.post();
  auto found = search_categories(db, "ersatzteile");
  ASSERT_EQ(found.size(), 1u);
  CategoryBrowser browser(db, articles);
  EXPECT_FALSE(browser.take(found[0], Slot::First));
  EXPECT_EQ(articles.text(store::F::Kategorie), "Alt");
  EXPECT_EQ(articles.state(), store::EditState::Browse);
}

}  // namespace
}  // namespace tellvaro::presentation
