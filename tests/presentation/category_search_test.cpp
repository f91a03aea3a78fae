#include "presentation/category_search.h"

#include <gtest/gtest.h>

namespace tellvaro::presentation {
namespace {

catalogue::CategoryMatch match(std::string id, std::vector<std::string> names, bool leaf) {
  catalogue::CategoryMatch m;
  m.cat_id = std::move(id);
  m.cat_name = names.back();
  m.names = std::move(names);
  m.leaf = leaf;
  return m;
}

std::vector<catalogue::CategoryMatch> tyres() {
  return {match("111", {"Auto", "Reifen"}, false),
          match("1112", {"Auto", "Reifen", "Winter"}, true)};
}

TEST(CategorySearch, TypingPausesAndAsksOnlyForWhatIsNotAnswered) {
  // Each step types a text; then the pause runs out (or not) and the answer comes.
  struct Step {
    const char* typed;
    bool pause;        // edited() starts the pause
    bool asks;         // the pause's end asks the server
    std::size_t rows;  // after the answer
  };
  const Step steps[] = {
      {"", false, false, 0},     // nothing typed yet, nothing to do
      {"re", true, false, 0},    // too short: emptied without asking
      {"rei", true, true, 2},    // three characters are enough
      {"rei", false, false, 2},  // the same text again: the results answer it
      {"reif", true, true, 2},   //
      {"  r ", true, false, 0},  // blanks around do not count
      {"ab", true, false, 0},    //
      {"ab", false, false, 0},   // the emptied list answers a short text too
  };
  CategorySearch search(kBulkSearchHint);
  for (const auto& s : steps) {
    SCOPED_TRACE(s.typed);
    EXPECT_EQ(search.edited(s.typed), s.pause);
    if (!s.pause) continue;
    auto request = search.pause_ended(false);
    ASSERT_EQ(request.has_value(), s.asks);
    if (request) {
      EXPECT_EQ(request->text, s.typed);
      EXPECT_TRUE(search.waiting());
      EXPECT_TRUE(search.found(request->id, tyres()));
    }
    EXPECT_FALSE(search.waiting());
    EXPECT_EQ(search.rows().size(), s.rows);
    if (!s.rows) {
      EXPECT_EQ(search.note(), kBulkSearchHint);
    }
  }
}

TEST(CategorySearch, ANewerQuestionSupersedesAnOlderAnswer) {
  CategorySearch search(kBrowserSearchHint);
  search.edited("reifen");
  const auto first = search.pause_ended(false);
  search.edited("winter");
  const auto second = search.pause_ended(false);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->id, second->id);
  // The older answer comes late, or fails late: neither is shown.
  EXPECT_FALSE(search.found(first->id, tyres()));
  EXPECT_FALSE(search.failed(first->id, "weg"));
  EXPECT_TRUE(search.rows().empty());
  EXPECT_EQ(search.note(), kBrowserSearchHint);
  EXPECT_TRUE(search.waiting());
  EXPECT_TRUE(search.found(second->id, {match("1112", {"Auto", "Reifen", "Winter"}, true)}));
  EXPECT_EQ(search.rows().size(), 1u);
  // An answer comes once; a repeat of it changes nothing.
  EXPECT_FALSE(search.found(second->id, {}));
  EXPECT_EQ(search.rows().size(), 1u);

  // Typing back to the text asked for while its answer is out stops the pause and keeps the
  // answer that is coming.
  search.edited("sommer");
  const auto third = search.pause_ended(false);
  ASSERT_TRUE(third);
  EXPECT_TRUE(search.edited("sommerx"));
  EXPECT_FALSE(search.edited("sommer"));
  EXPECT_TRUE(search.found(third->id, {}));
  EXPECT_EQ(search.note(), "Keine Kategorie gefunden.");
}

TEST(CategorySearch, RowsNotesAndWhatCanBeTaken) {
  CategorySearch search(kBrowserSearchHint);
  search.edited("reifen");
  auto request = search.pause_ended(false);
  ASSERT_TRUE(request);
  ASSERT_TRUE(search.found(request->id, tyres()));
  ASSERT_EQ(search.rows().size(), 2u);
  EXPECT_EQ(search.rows()[0].text, "Auto > Reifen");
  EXPECT_FALSE(search.rows()[0].selectable);
  EXPECT_EQ(search.rows()[0].tip,
            "Auto > Reifen\nHat Unterkategorien und kann nicht gewählt werden.");
  EXPECT_EQ(search.rows()[1].tip, "Auto > Reifen > Winter");
  EXPECT_EQ(search.note(), "");
  EXPECT_EQ(search.first_selectable(), 1);
  // Only a category without sub-categories, and only a row that is there.
  for (int row : {-1, 0, 2}) EXPECT_FALSE(search.take(row)) << row;
  ASSERT_TRUE(search.take(1));
  EXPECT_EQ(search.take(1)->cat_id, "1112");

  // As many as a search gives: a longer text finds better.
  search.edited("auto");
  request = search.pause_ended(false);
  std::vector<catalogue::CategoryMatch> many(catalogue::kSearchMaxMatches,
                                             match("1", {"Auto"}, false));
  ASSERT_TRUE(search.found(request->id, many));
  EXPECT_EQ(search.note(), "Die ersten 50 Treffer; ein längerer Suchtext findet genauer.");
  EXPECT_EQ(search.first_selectable(), -1);

  // A failure empties the list and names itself; the same text is asked again next time.
  search.edited("autos");
  request = search.pause_ended(false);
  ASSERT_TRUE(search.failed(request->id, "Die Kategoriesuche ist fehlgeschlagen. weg"));
  EXPECT_TRUE(search.rows().empty());
  EXPECT_EQ(search.note(), "Die Kategoriesuche ist fehlgeschlagen. weg");
  EXPECT_TRUE(search.edited("autos"));
  EXPECT_TRUE(search.pause_ended(false));
}

TEST(CategorySearch, NothingIsAskedWhileARunHoldsTheTables) {
  CategorySearch search(kBulkSearchHint);
  search.edited("reifen");
  auto request = search.pause_ended(false);
  ASSERT_TRUE(search.found(request->id, tyres()));
  search.edited("winter");
  EXPECT_FALSE(search.pause_ended(true));
  EXPECT_TRUE(search.rows().empty());
  EXPECT_EQ(search.note(), "Während des Sendens oder Importierens wird nicht gesucht.");
  // Once the run is over the same text is asked for.
  EXPECT_TRUE(search.edited("winter"));
  EXPECT_TRUE(search.pause_ended(false));
}

}  // namespace
}  // namespace tellvaro::presentation
