#include "store/table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "store/detail.h"
#include "text/error.h"

namespace tellvaro::store {
namespace {

using Fields = std::initializer_list<std::pair<F, Value>>;

Record rec(Fields fields) {
  Record r = empty_record();
  for (const auto& [field, v] : fields) at(r, field) = v;
  return r;
}

Record named(std::string_view name) {
  return rec({{F::Artikelname, Value::text(std::string(name))}});
}

// The shown rows by one field, as text.
std::vector<std::string> shown(const Table& t, F field = F::Artikelname) {
  std::vector<std::string> out;
  const std::size_t i = index_of(field);
  for (std::size_t r = 0; r < t.count(); ++r)
    out.push_back(to_text(t.row(r)[i], article_fields()[i]));
  return out;
}

using Names = std::vector<std::string>;

class TableTest : public ::testing::Test {
 protected:
  void fill(std::initializer_list<std::string_view> names) {
    std::vector<Record> records;
    for (auto n : names) records.push_back(named(n));
    t.replace_all(std::move(records));
  }
  // Every observer call, in order.
  void watch() {
    subs.push_back(t.on_data_change([this](std::optional<std::size_t> f) {
      log.push_back(f ? "data:" + std::string(article_fields()[*f].name) : "data");
    }));
    subs.push_back(t.on_rows_change([this](const Table::RowChange&) { log.push_back("layout"); }));
    subs.push_back(t.on_state_change([this] { log.push_back("state"); }));
    subs.push_back(t.on_before_post([this] { log.push_back("before-post"); }));
  }
  Table t;
  std::vector<std::string> log;
  std::vector<ports::Subscription> subs;
};

TEST_F(TableTest, EmptyTableShowsNothing) {
  EXPECT_EQ(t.count(), 0u);
  EXPECT_TRUE(t.empty());
  EXPECT_FALSE(t.position());
  EXPECT_TRUE(t.at_end());
  EXPECT_TRUE(t.get(F::Artikelname).is_null());
  EXPECT_EQ(t.text(F::Startpreis), "");
  EXPECT_EQ(t.values(), empty_record());
  t.first();
  t.next();
  t.remove();  // nothing to delete, nothing breaks
  EXPECT_EQ(t.count(), 0u);
}

TEST_F(TableTest, CursorMoves) {
  fill({"A", "B", "C"});
  EXPECT_EQ(t.position(), 0u);
  EXPECT_FALSE(t.at_end());
  t.next();
  EXPECT_EQ(t.text(F::Artikelname), "B");
  t.last();
  EXPECT_EQ(t.position(), 2u);
  EXPECT_FALSE(t.at_end());
  t.next();  // past the last record: stays, reports the end
  EXPECT_EQ(t.position(), 2u);
  EXPECT_TRUE(t.at_end());
  t.prior();
  EXPECT_FALSE(t.at_end());
  EXPECT_EQ(t.text(F::Artikelname), "B");
  t.first();
  t.prior();
  EXPECT_EQ(t.position(), 0u);
  t.move_to(2);
  EXPECT_EQ(t.text(F::Artikelname), "C");
  t.move_to(99);  // past the end: the last record
  EXPECT_EQ(t.position(), 2u);
}

TEST_F(TableTest, EditPostAndCancel) {
  fill({"A", "B"});
  t.set(F::Artikelname, Value::text("A2"));
  EXPECT_EQ(t.state(), EditState::Edit);
  EXPECT_EQ(t.text(F::Artikelname), "A2");
  EXPECT_EQ(*t.row(0)[index_of(F::Artikelname)].as_string(), "A2");      // the grid sees the edit
  EXPECT_EQ(*t.stored()[0][index_of(F::Artikelname)].as_string(), "A");  // not stored yet
  t.cancel();
  EXPECT_EQ(t.state(), EditState::Browse);
  EXPECT_EQ(t.text(F::Artikelname), "A");

  t.set_text(F::Startpreis, "12.50");
  t.post();
  EXPECT_EQ(t.state(), EditState::Browse);
  EXPECT_EQ(t.stored()[0][index_of(F::Startpreis)], Value::amount(12.5));
}

TEST_F(TableTest, ExplicitPostRunsTheHookEvenUnchanged) {
  fill({"A", "B"});
  t.set(F::Gebuehr, Value::amount(9));  // a stale fee, as read from a file
  t.post();
  auto fee = t.on_before_post([this] { t.set(F::Gebuehr, Value::amount(0.5)); });
  watch();
  t.edit();
  t.post();  // nothing written: the hook still brings the fee up to date
  EXPECT_EQ(t.state(), EditState::Browse);
  EXPECT_EQ(std::count(log.begin(), log.end(), "before-post"), 1);
  EXPECT_EQ(t.stored()[0][index_of(F::Gebuehr)], Value::amount(0.5));

  // Settling an edit (cursor move, save) still drops one that changed nothing.
  log.clear();
  t.edit();
  t.set(F::Artikelname, Value::text("X"));
  t.set(F::Artikelname, Value::text("A"));  // changed back
  t.post_if_changed();
  EXPECT_EQ(t.state(), EditState::Browse);
  t.edit();
  t.next();
  EXPECT_EQ(std::count(log.begin(), log.end(), "before-post"), 0);
}

TEST_F(TableTest, InsertStatesAndTheirEnd) {
  fill({"A", "B", "C"});
  t.move_to(1);
  t.append();
  EXPECT_EQ(t.state(), EditState::Insert);
  EXPECT_EQ(t.count(), 4u);
  EXPECT_EQ(t.position(), 3u);  // shown at the end until posted
  EXPECT_TRUE(t.get(F::Artikelname).is_null());
  t.cancel();  // back on the record current before the insert
  EXPECT_EQ(t.count(), 3u);
  EXPECT_EQ(t.text(F::Artikelname), "B");

  t.append();
  t.first();  // an untouched insert disappears when the cursor moves
  EXPECT_EQ(t.count(), 3u);
  EXPECT_EQ(t.stored().size(), 3u);

  t.append();
  t.set(F::Artikelname, Value::text("D"));
  t.first();  // a written insert is posted by the move
  EXPECT_EQ(t.stored().size(), 4u);
  EXPECT_EQ(t.text(F::Artikelname), "A");

  t.append();
  t.post();  // an explicit post stores even an empty record
  EXPECT_EQ(t.stored().size(), 5u);
  EXPECT_EQ(t.stored().back(), empty_record());
}

TEST_F(TableTest, EditOrSetOnAnEmptyTableInserts) {
  t.edit();
  EXPECT_EQ(t.state(), EditState::Insert);
  t.post();
  EXPECT_EQ(t.count(), 1u);  // one empty article

  Table u;
  u.set(F::Artikelname, Value::text("Uhr"));
  EXPECT_EQ(u.state(), EditState::Insert);
  u.post();
  EXPECT_EQ(u.text(F::Artikelname), "Uhr");
}

TEST_F(TableTest, ObserversInOrderAndBeforePostMayWrite) {
  fill({"A"});
  auto fee = t.on_before_post([this] {
    EXPECT_NE(t.state(), EditState::Browse);  // the record is not stored yet
    t.set(F::Gebuehr, Value::amount(0.5));
  });
  watch();
  t.set(F::Artikelname, Value::text("B"));
  t.post();
  const std::vector<std::string> expected = {
      "state", "data:Artikelname", "data:Gebühr", "before-post", "state", "data"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(t.stored()[0][index_of(F::Gebuehr)], Value::amount(0.5));

  log.clear();
  t.append();
  t.set(F::Artikelname, Value::text("C"));
  t.post();
  const std::vector<std::string> insert = {"layout",           "state",       "data",
                                           "data:Artikelname", "data:Gebühr", "before-post",
                                           "layout",           "state",       "data"};
  EXPECT_EQ(log, insert);

  log.clear();
  t.first();
  EXPECT_EQ(log, std::vector<std::string>{"data"});
}

TEST_F(TableTest, BeforePostThatThrowsKeepsTheEdit) {
  fill({"A"});
  auto refuse = t.on_before_post([] { throw Error("Gebühr unbekannt"); });
  t.set(F::Artikelname, Value::text("B"));
  EXPECT_THROW(t.post(), Error);
  EXPECT_EQ(t.state(), EditState::Edit);
  EXPECT_EQ(t.text(F::Artikelname), "B");
  EXPECT_EQ(*t.stored()[0][index_of(F::Artikelname)].as_string(), "A");
}

TEST_F(TableTest, WritesAreFittedOrRefused) {
  fill({"A"});
  t.set(F::Artikelname, Value::text(std::string(60, 'x')));
  EXPECT_EQ(t.text(F::Artikelname), std::string(50, 'x'));
  t.cancel();
  EXPECT_THROW(t.set_text(F::Startpreis, "zwölf"), Error);
  EXPECT_EQ(t.state(), EditState::Browse);  // nothing changed
  EXPECT_THROW(t.set(F::Startpreis, Value::text("zwölf")), Error);
  EXPECT_EQ(t.state(), EditState::Browse);
  EXPECT_THROW(t.set(kFieldCount, Value::amount(1)), Error);  // no such field
  t.set(F::Startpreis, Value::text("7.5"));  // a text for a number is parsed
  EXPECT_EQ(t.get(F::Startpreis), Value::amount(7.5));
  t.set(F::Anzahl, Value::amount(3));  // a number for a text becomes its text
  EXPECT_EQ(t.get(F::Anzahl), Value::text("3"));
}

TEST_F(TableTest, CopyThroughValues) {
  fill({"Uhr"});
  t.set(F::Bild1, Value::text("a.jpg"));
  t.set(F::Startpreis, Value::amount(5));
  t.post();
  Record v = t.values();
  t.append();
  t.set_values(v);
  t.set(F::Bild1, Value());
  t.post();
  ASSERT_EQ(t.stored().size(), 2u);
  EXPECT_EQ(t.position(), 1u);
  EXPECT_EQ(t.get(F::Startpreis), Value::amount(5));
  EXPECT_TRUE(t.get(F::Bild1).is_null());
  EXPECT_EQ(t.stored()[0][index_of(F::Bild1)], Value::text("a.jpg"));
}

TEST(CompareGerman, DictionaryOrder) {
  // Each pair: a sorts before b, in both comparisons.
  const std::pair<const char*, const char*> before[] = {
      {"Apfel", "Äpfel"},  {"Äpfel", "Apfelsaft"}, {"Äpfel", "Zebra"},    {"Masse", "Maße"},
      {"Maße", "Masseur"}, {"Öl", "Pfeffer"},      {"ohne", "Öl"},        {"", "a"},
      {"uhr", "Uhrwerk"},  {"Élan", "Ende"},       {"Strasse", "Straße"},
  };
  for (auto [a, b] : before) {
    for (bool nocase : {true, false}) {
      EXPECT_LT(compare_german(a, b, nocase), 0) << a << " < " << b;
      EXPECT_GT(compare_german(b, a, nocase), 0) << b << " > " << a;
    }
  }
  // Letter case: equal without regard to it, lower before upper with regard to it.
  EXPECT_EQ(compare_german("uhr", "Uhr", true), 0);
  EXPECT_LT(compare_german("uhr", "Uhr", false), 0);
  EXPECT_LT(compare_german("Uhr", "uhrwerk", false), 0);  // case only breaks ties
  EXPECT_EQ(compare_german("Straße", "Straße", false), 0);
}

TEST_F(TableTest, SortOrders) {
  std::vector<Record> records;
  for (auto n : {"Zebra", "apfel", "Äpfel", "Apfel", "", "Birne"}) records.push_back(named(n));
  records.push_back(empty_record());  // null
  t.replace_all(records);
  t.sort(SortKind::AscendingNoCase, F::Artikelname);
  EXPECT_EQ(shown(t), (Names{"", "", "apfel", "Apfel", "Äpfel", "Birne", "Zebra"}));
  EXPECT_EQ(t.sort_field(), "Artikelname");
  t.sort(SortKind::AscendingCase, F::Artikelname);
  EXPECT_EQ(shown(t), (Names{"", "", "apfel", "Apfel", "Äpfel", "Birne", "Zebra"}));
  t.sort(SortKind::Descending, F::Artikelname);
  EXPECT_EQ(shown(t), (Names{"Zebra", "Birne", "Äpfel", "Apfel", "apfel", "", ""}));
  t.sort(SortKind::Stored);
  EXPECT_EQ(shown(t), (Names{"Zebra", "apfel", "Äpfel", "Apfel", "", "Birne", ""}));
  EXPECT_THROW(t.sort(SortKind::AscendingCase), Error);  // an order needs a field
}

TEST_F(TableTest, SortCaseOnlyBreaksTiesAndTiesKeepStoredOrder) {
  std::vector<Record> records = {
      rec({{F::Artikelname, Value::text("Uhr")}, {F::Artikelnummer, Value::text("1")}}),
      rec({{F::Artikelname, Value::text("uhr")}, {F::Artikelnummer, Value::text("2")}}),
      rec({{F::Artikelname, Value::text("Uhr")}, {F::Artikelnummer, Value::text("3")}}),
      rec({{F::Artikelname, Value::text("uhr")}, {F::Artikelnummer, Value::text("4")}}),
  };
  t.replace_all(records);
  t.sort(SortKind::AscendingNoCase, F::Artikelname);
  EXPECT_EQ(shown(t, F::Artikelnummer), (Names{"1", "2", "3", "4"}));
  t.sort(SortKind::AscendingCase, F::Artikelname);
  EXPECT_EQ(shown(t, F::Artikelnummer), (Names{"2", "4", "1", "3"}));
  t.sort(SortKind::Descending, F::Artikelname);
  EXPECT_EQ(shown(t, F::Artikelnummer), (Names{"1", "3", "2", "4"}));
}

TEST_F(TableTest, SortsNumbersAndFlagsByValue) {
  std::vector<Record> records;
  for (double p : {10.0, 9.5, 100.0}) records.push_back(rec({{F::Startpreis, Value::amount(p)}}));
  records.push_back(empty_record());
  t.replace_all(records);
  t.sort(SortKind::AscendingNoCase, F::Startpreis);
  EXPECT_EQ(shown(t, F::Startpreis), (Names{"", "9.5", "10", "100"}));
  t.sort(SortKind::Descending, F::Startpreis);
  EXPECT_EQ(shown(t, F::Startpreis), (Names{"100", "10", "9.5", ""}));

  t.replace_all({rec({{F::p1, Value::flag(true)}}), rec({{F::p1, Value::flag(false)}})});
  t.sort(SortKind::AscendingCase, F::p1);
  EXPECT_EQ(shown(t, F::p1), (Names{"False", "True"}));
}

// Sorting goes by keys made once per record; they must order exactly as comparing does.
TEST(SortKeys, OrderAsComparingDoes) {
  const std::vector<Value> texts = {
      Value(),          Value::text(""),         Value::text("a"),    Value::text("A"),
      Value::text("ä"), Value::text("Ä"),        Value::text("ab"),   Value::text("Äb"),
      Value::text("ß"), Value::text("ss"),       Value::text("SS"),   Value::text("st"),
      Value::text("Œ"), Value::text("oe"),       Value::text("Æon"),  Value::text("aeon"),
      Value::text(" "), Value::text("a b"),      Value::text("a-b"),  Value::text("Zß"),
      Value::text("z"), Value::text("\xc2\xa0"), Value::text("日本"), Value::text("Uhr 1"),
  };
  const std::vector<Value> numbers = {Value(),
                                      Value::amount(-1),
                                      Value::amount(0),
                                      Value::amount(2.5),
                                      Value::small_int(2),
                                      Value::amount(1e9)};
  const std::vector<Value> flags = {Value(), Value::flag(false), Value::flag(true)};
  auto sign = [](int c) { return (c > 0) - (c < 0); };
  for (const auto* list : {&texts, &numbers, &flags}) {
    std::vector<const Value*> values;
    for (const auto& v : *list) values.push_back(&v);
    for (bool ignore_case : {true, false}) {
      const auto keys = detail::sort_keys(values, ignore_case);
      ASSERT_TRUE(keys);
      for (std::size_t a = 0; a < values.size(); ++a) {
        for (std::size_t b = 0; b < values.size(); ++b) {
          EXPECT_EQ(sign((*keys)[a].compare((*keys)[b])),
                    sign(detail::compare_values(*values[a], *values[b], ignore_case)))
              << a << " " << b << " ignore_case " << ignore_case;
        }
      }
    }
  }
  // Mixed kinds have no keys; the table then falls back to comparing.
  const Value text = Value::text("1"), number = Value::amount(1);
  EXPECT_FALSE(detail::sort_keys({&text, &number}, true));
}

TEST_F(TableTest, CursorStaysOnItsRecordAcrossSorts) {
  fill({"C", "A", "B"});
  t.move_to(0);  // C
  t.sort(SortKind::AscendingCase, F::Artikelname);
  EXPECT_EQ(t.position(), 2u);
  EXPECT_EQ(t.text(F::Artikelname), "C");
}

TEST_F(TableTest, PostedRecordTakesItsPlaceAndTheCursorFollows) {
  fill({"B", "D", "F"});
  t.sort(SortKind::AscendingCase, F::Artikelname);
  watch();
  t.move_to(2);
  t.set(F::Artikelname, Value::text("A"));
  log.clear();
  t.post();
  EXPECT_EQ(shown(t), (Names{"A", "B", "D"}));
  EXPECT_EQ(t.position(), 0u);
  EXPECT_EQ(t.text(F::Artikelname), "A");
  EXPECT_EQ(log, (std::vector<std::string>{"before-post", "layout", "state", "data"}));

  t.append();
  t.set(F::Artikelname, Value::text("C"));
  t.post();
  EXPECT_EQ(shown(t), (Names{"A", "B", "C", "D"}));
  EXPECT_EQ(t.position(), 2u);

  // A record left in place announces no new layout.
  log.clear();
  t.set(F::Untertitel, Value::text("neu"));
  t.post();
  EXPECT_EQ(std::count(log.begin(), log.end(), "layout"), 0);
}

TEST_F(TableTest, MoveToNamesTheRowAsShownBeforeThePost) {
  fill({"B", "D", "F"});
  t.sort(SortKind::AscendingCase, F::Artikelname);
  t.set(F::Artikelname, Value::text("E"));  // B becomes E and moves behind D
  t.move_to(1);                             // the user clicked D
  EXPECT_EQ(t.text(F::Artikelname), "D");
  EXPECT_EQ(shown(t), (Names{"D", "E", "F"}));
}

TEST_F(TableTest, FilterExpressionQuoting) {
  EXPECT_EQ(Table::like_expression(F::Artikelname, "Uhr"), "[Artikelname] like '%Uhr%'");
  EXPECT_EQ(Table::like_expression(F::Artikelname, "O'Neill"), "[Artikelname] like '%O''Neill%'");
  EXPECT_EQ(Table::like_expression(F::Artikelname, ""), "[Artikelname] like '%%'");
}

TEST_F(TableTest, FilterShowsMatchesWithLetterCase) {
  fill({"Taschenuhr", "Uhrwerk", "Wanduhr", "Sofa", "O'Neill Jacke"});
  t.sort(SortKind::AscendingCase, F::Artikelname);
  watch();
  t.set_filter(Table::like_expression(F::Artikelname, "uhr"));
  EXPECT_EQ(t.count(), 5u);  // stored, not yet switched on
  t.set_filtered(true);
  EXPECT_EQ(shown(t), (Names{"Taschenuhr", "Wanduhr"}));
  EXPECT_EQ(std::count(log.begin(), log.end(), "layout"), 1);
  t.set_filter(Table::like_expression(F::Artikelname, "Uhr"));
  EXPECT_EQ(shown(t), (Names{"Uhrwerk"}));
  t.set_filter(Table::like_expression(F::Artikelname, "O'Neill"));
  EXPECT_EQ(shown(t), (Names{"O'Neill Jacke"}));
  t.set_filter(Table::like_expression(F::Artikelname, ""));
  EXPECT_EQ(t.count(), 5u);
  t.set_filter(Table::like_expression(F::Artikelname, "Uhr"));
  t.set_filtered(false);
  EXPECT_EQ(t.count(), 5u);
  EXPECT_EQ(t.filter(), "[Artikelname] like '%Uhr%'");  // the expression stays stored
}

TEST_F(TableTest, FilterWildcardsAndNonTextFields) {
  std::vector<Record> records = {
      rec({{F::Artikelname, Value::text("Uhr")},
           {F::Startpreis, Value::amount(12.5)},
           {F::p1, Value::flag(true)}}),
      rec({{F::Artikelname, Value::text("Ühr")}, {F::Startpreis, Value::amount(3)}}),
      rec({{F::Artikelname, Value::text("U-Boot")}}),
  };
  t.replace_all(records);
  t.set_filtered(true);
  const std::pair<const char*, Names> cases[] = {
      {"[Artikelname] like '_hr'", {"Uhr", "Ühr"}},  // _ is one character, umlaut included
      {"[Artikelname] like 'U%'", {"Uhr", "U-Boot"}},
      {"[Artikelname] like '%o%t'", {"U-Boot"}},
      {"[Artikelname] like 'Uhr'", {"Uhr"}},
      {"[Artikelname] like 'uhr'", {}},
      {"[Startpreis] like '%2.5%'", {"Uhr"}},
      {"[Startpreis] like '%%'", {"Uhr", "Ühr", "U-Boot"}},
      {"[p1] like '%True%'", {"Uhr"}},
      {"  [Artikelname]   LIKE   '%Boot%'  ", {"U-Boot"}},
  };
  for (const auto& [expr, names] : cases) {
    t.set_filter(expr);
    EXPECT_EQ(shown(t), names) << expr;
  }
}

TEST_F(TableTest, UnreadableFilterIsRefusedAndChangesNothing) {
  fill({"Uhr", "Sofa"});
  t.set_filtered(true);
  t.set_filter("[Artikelname] like '%Uhr%'");
  for (const char* bad : {"Artikelname like 'x'", "[Artikelname] = 'x'", "[Artikelname] like 'x",
                          "[Preis] like '%x%'", "[Artikelname] like 'x' or 1", "[] like '%%'"}) {
    EXPECT_THROW(t.set_filter(bad), Error) << bad;
  }
  EXPECT_EQ(t.filter(), "[Artikelname] like '%Uhr%'");
  EXPECT_EQ(shown(t), (Names{"Uhr"}));
}

TEST_F(TableTest, PostedRecordOutsideTheFilterDisappears) {
  fill({"Uhr A", "Uhr B"});
  t.set_filter("[Artikelname] like '%Uhr%'");
  t.set_filtered(true);
  t.set(F::Artikelname, Value::text("Sofa"));
  t.post();
  EXPECT_EQ(shown(t), (Names{"Uhr B"}));
  EXPECT_EQ(t.position(), 0u);
  EXPECT_EQ(t.stored().size(), 2u);
}

TEST_F(TableTest, RemoveKeepsTheCursorIndex) {
  fill({"A", "B", "C"});
  t.move_to(1);
  t.remove();
  EXPECT_EQ(shown(t), (Names{"A", "C"}));
  EXPECT_EQ(t.position(), 1u);
  t.remove();  // the last one: the cursor moves to the new last
  EXPECT_EQ(t.position(), 0u);
  EXPECT_EQ(t.text(F::Artikelname), "A");
  t.set(F::Artikelname, Value::text("X"));
  t.remove();  // a record in editing is deleted, its edit dropped
  EXPECT_EQ(t.state(), EditState::Browse);
  EXPECT_EQ(t.count(), 0u);
  EXPECT_FALSE(t.position());

  fill({"A"});
  t.append();
  t.set(F::Artikelname, Value::text("neu"));
  t.remove();  // a pending insert is only cancelled
  EXPECT_EQ(shown(t), (Names{"A"}));
}

// The records kept before the first deleted one stay whole (they were once moved onto themselves,
// which emptied them).
TEST_F(TableTest, RemoveAllShownDeletesOnlyWhatTheFilterShows) {
  fill({"Bank", "Uhr 1", "Sofa", "Uhr 2", "Tisch"});
  t.set_filter("[Artikelname] like '%Uhr%'");
  t.set_filtered(true);
  watch();
  t.remove_all_shown();
  EXPECT_EQ(t.count(), 0u);
  EXPECT_EQ(log, (std::vector<std::string>{"layout", "data"}));
  t.set_filtered(false);
  EXPECT_EQ(shown(t), (Names{"Bank", "Sofa", "Tisch"}));
  t.remove_all_shown();
  EXPECT_TRUE(t.stored().empty());
}

TEST_F(TableTest, ReplaceAllDropsAPendingEditAndStartsAtTheFirstInOrder) {
  fill({"A"});
  t.sort(SortKind::Descending, F::Artikelname);
  t.set(F::Artikelname, Value::text("changed"));
  watch();
  fill({"B", "C", "A"});
  EXPECT_EQ(t.state(), EditState::Browse);
  EXPECT_EQ(t.position(), 0u);
  EXPECT_EQ(t.text(F::Artikelname), "C");
  EXPECT_EQ(log, (std::vector<std::string>{"layout", "state", "data"}));
}

// A grid's copy of the names, kept only by the row events and the current row's data events:
// if the events are right, it always equals what the table shows.
struct Mirror {
  explicit Mirror(Table& t) : t(t) {
    subs.push_back(t.on_rows_change([this](const Table::RowChange& c) { apply(c); }));
    subs.push_back(t.on_data_change([this](std::optional<std::size_t>) {
      if (auto p = this->t.position(); p && *p < rows.size()) rows[*p] = name(*p);
    }));
    rows = shown(t);
  }
  std::string name(std::size_t row) const {
    return to_text(t.row(row)[index_of(F::Artikelname)],
                   article_fields()[index_of(F::Artikelname)]);
  }
  void apply(const Table::RowChange& c) {
    using K = Table::RowChange::Kind;
    kinds.push_back(c.kind);
    switch (c.kind) {
      case K::Inserted:
        for (std::size_t i = 0; i < c.count; ++i) {
          rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(c.first + i), name(c.first + i));
        }
        break;
      case K::Removed:
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(c.first),
                   rows.begin() + static_cast<std::ptrdiff_t>(c.first + c.count));
        break;
      case K::Moved: {
        std::string moved = rows[c.first];
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(c.first));
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(c.to), moved);
        break;
      }
      case K::Changed:
        for (std::size_t i = c.first; i < c.first + c.count; ++i) rows[i] = name(i);
        break;
      case K::Reset:
        rows = shown(t);
        break;
    }
  }
  Table& t;
  Names rows;
  std::vector<Table::RowChange::Kind> kinds;
  std::vector<ports::Subscription> subs;
};

TEST_F(TableTest, RowEventsNameTheRowsThatCameWentOrMoved) {
  using K = Table::RowChange::Kind;
  fill({"D", "B", "F"});
  t.sort(SortKind::AscendingNoCase, F::Artikelname);
  Mirror m(t);
  auto step = [&](const char* what, auto action, std::vector<K> kinds) {
    m.kinds.clear();
    action();
    EXPECT_EQ(m.rows, shown(t)) << what;
    EXPECT_EQ(m.kinds, kinds) << what;
  };
  step("append", [&] { t.append(); }, {K::Inserted});
  step("post the insert into its place",
       [&] {
         t.set(F::Artikelname, Value::text("A"));
         t.post();
       },
       {K::Moved});
  step("rename moves the row",
       [&] {
         t.move_to(1);
         t.set(F::Artikelname, Value::text("E"));
         t.post();
       },
       {K::Moved});
  step("rename in place",
       [&] {
         t.set(F::Artikelname, Value::text("E2"));
         t.post();
       },
       {});
  step("cancelled insert goes",
       [&] {
         t.append();
         t.cancel();
       },
       {K::Inserted, K::Removed});
  step("remove",
       [&] {
         t.move_to(0);
         t.remove();
       },
       {K::Removed});
  t.set_filter("[Artikelname] like '%E%'");
  step("filter", [&] { t.set_filtered(true); }, {K::Reset});
  step("edit out of the filter",
       [&] {
         t.set(F::Artikelname, Value::text("X"));
         t.post();
       },
       {K::Removed});
  step("remove all shown",
       [&] {
         t.set_filtered(false);
         t.remove_all_shown();
       },
       {K::Reset, K::Removed});
  EXPECT_TRUE(t.empty());
}

TEST_F(TableTest, BatchOfAppendsIsOneInsertPerRunOfNewRows) {
  using K = Table::RowChange::Kind;
  fill({"B", "D"});
  for (bool sorted : {false, true}) {
    t.sort(sorted ? SortKind::AscendingCase : SortKind::Stored,
           sorted ? std::optional(F::Artikelname) : std::nullopt);
    Mirror m(t);
    watch();
    log.clear();
    {
      Table::Batch batch(t);
      Table::Batch nested(t);
      for (int i = 0; i < 500; ++i) {
        t.append();
        t.set(F::Artikelname, Value::text(i % 2 ? "A" : "C"));  // before B and between B and D
        t.post();
      }
    }
    EXPECT_EQ(m.rows, shown(t));
    // Stored order: one run at the end; sorted: the A run before B and the C run after it.
    const std::vector<K> runs(sorted ? 2 : 1, K::Inserted);
    EXPECT_EQ(m.kinds, runs);
    EXPECT_EQ(std::count(log.begin(), log.end(), "before-post"), 500);
    EXPECT_EQ(std::count(log.begin(), log.end(), "data"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "state"), 1);
    subs.clear();
    fill({"B", "D"});
  }
}

TEST_F(TableTest, BatchWithOtherChangesEndsInOneReset) {
  using K = Table::RowChange::Kind;
  fill({"B", "D"});
  Mirror m(t);
  {
    Table::Batch batch(t);
    t.append();
    t.set(F::Artikelname, Value::text("E"));
    t.post();
    t.first();
    t.remove();
    t.set(F::Artikelname, Value::text("F"));  // an edit of a row that was there before
    t.append();                               // left pending
  }
  EXPECT_EQ(m.kinds, std::vector<K>{K::Reset});
  EXPECT_EQ(m.rows, shown(t));
  EXPECT_EQ(t.state(), EditState::Insert);
}

TEST_F(TableTest, KeysFollowTheirRecordsUntilDeletedOrReloaded) {
  fill({"C", "A", "B"});
  const auto key_of = [&](std::string_view name) {
    for (std::size_t r = 0; r < t.count(); ++r) {
      if (t.row(r)[index_of(F::Artikelname)] == Value::text(std::string(name))) return t.key(r);
    }
    return Table::Key{0};
  };
  const Table::Key a = key_of("A"), b = key_of("B"), c = key_of("C");
  EXPECT_NE(a, b);
  EXPECT_NE(0u, a * b * c);
  t.sort(SortKind::AscendingCase, F::Artikelname);
  t.move_to(0);
  t.set(F::Untertitel, Value::text("neu"));
  t.post();
  t.set_filter("[Artikelname] like '%B%'");
  t.set_filtered(true);
  t.set_filtered(false);
  t.move_to(0);  // A
  t.remove();
  t.append();
  t.set(F::Artikelname, Value::text("D"));
  t.post();
  EXPECT_EQ((std::vector<Table::Key>{key_of("B"), key_of("C")}), (std::vector<Table::Key>{b, c}));
  EXPECT_NE(key_of("D"), a);
  EXPECT_EQ(t.stored_keys().size(), t.stored().size());
  t.append();
  EXPECT_EQ(t.key(t.count() - 1), 0u);  // a pending insert has none yet
  t.cancel();
  fill({"B", "C"});
  EXPECT_NE(key_of("B"), b);
}

TEST_F(TableTest, RewriteStoresInPlaceThroughThePostRuleAsOneEvent) {
  using K = Table::RowChange::Kind;
  fill({"A", "B", "C", "D"});
  t.set_post_rule([](Record& r) {
    r[index_of(F::Gebuehr)] =
        Value::amount(r[index_of(F::Fettschrift)] == Value::flag(true) ? 0.5 : 0);
  });
  t.move_to(2);
  t.set(F::Untertitel, Value::text("pending"));
  Mirror m(t);
  watch();
  const auto revisions = t.stored_revisions();
  auto bold = [&](std::size_t row, std::string name) {
    return Table::Patch{t.key(row),
                        {{index_of(F::Artikelname), Value::text(std::move(name))},
                         {index_of(F::Fettschrift), Value::text("true")}}};  // fitted to a flag
  };
  const std::size_t stored =
      t.rewrite({bold(1, "B2"), bold(2, "C2"), {Table::Key{999999}, {}}}, true);
  EXPECT_EQ(stored, 2u);
  EXPECT_EQ(shown(t), (Names{"A", "B2", "C2", "D"}));
  EXPECT_EQ(m.rows, shown(t));
  // The pending edit was posted first, and the patch kept what it had stored.
  EXPECT_EQ(t.text(store::F::Untertitel), "pending");
  EXPECT_EQ(t.state(), EditState::Browse);
  EXPECT_EQ(t.position(), 2u);
  EXPECT_EQ(shown(t, F::Gebuehr), (Names{"", "0.5", "0.5", ""}));
  EXPECT_EQ(shown(t, F::Fettschrift), (Names{"", "True", "True", ""}));
  // Only the written records count as changed.
  const auto& now = t.stored_revisions();
  EXPECT_EQ(now[0], revisions[0]);
  EXPECT_NE(now[1], revisions[1]);
  EXPECT_EQ(now[3], revisions[3]);
  // One Changed for the rows and a data event for the current one.
  EXPECT_EQ(m.kinds, std::vector<K>{K::Changed});
  EXPECT_EQ(std::count(log.begin(), log.end(), "layout"), 1);
  EXPECT_EQ(log.back(), "data");

  // Without the post rule the values are stored exactly as given (an undo).
  m.kinds.clear();
  log.clear();
  t.rewrite({{t.key(0), {{index_of(F::Gebuehr), Value::amount(9)}}}}, false);
  EXPECT_EQ(shown(t, F::Gebuehr), (Names{"9", "0.5", "0.5", ""}));
  EXPECT_EQ(m.kinds, std::vector<K>{K::Changed});
  EXPECT_EQ(log, std::vector<std::string>{"layout"});  // row 0 is not the current one

  // A value that does not fit its field stores nothing at all.
  const auto before = t.stored();
  EXPECT_THROW(t.rewrite({{t.key(0), {{index_of(F::Artikelname), Value::text("Z")}}},
                          {t.key(1), {{index_of(F::Startpreis), Value::text("zwei")}}}},
                         true),
               Error);
  EXPECT_EQ(t.stored(), before);
}

TEST_F(TableTest, RevisionChangesOnlyWithAStoredChange) {
  fill({"A", "B"});
  const auto start = t.stored_revisions();
  t.move_to(0);
  t.edit();
  t.post();  // nothing new
  t.set(F::Artikelname, Value::text("A"));
  t.post();  // the same text again
  EXPECT_EQ(t.stored_revisions(), start);
  t.set(F::Artikelname, Value::text("A2"));
  t.post();
  EXPECT_NE(t.stored_revisions()[0], start[0]);
  EXPECT_EQ(t.stored_revisions()[1], start[1]);
}

TEST_F(TableTest, RewriteThatMovesRowsKeepsTheCursorOnItsRecord) {
  using K = Table::RowChange::Kind;
  fill({"A", "B", "C"});
  t.sort(SortKind::AscendingCase, F::Artikelname);
  t.set_filter("[Artikelname] like '%%'");
  t.set_filtered(true);
  t.move_to(1);  // B
  const Table::Key b = t.key(1);
  Mirror m(t);
  // A goes behind C: the order moves, and the filter still shows it.
  t.rewrite({{t.key(0), {{index_of(F::Artikelname), Value::text("Z")}}}}, false);
  EXPECT_EQ(shown(t), (Names{"B", "C", "Z"}));
  EXPECT_EQ(m.rows, shown(t));
  EXPECT_EQ(m.kinds, std::vector<K>{K::Reset});
  EXPECT_EQ(t.key(*t.position()), b);
  // Inside a batch it is one more change among others.
  m.kinds.clear();
  {
    Table::Batch batch(t);
    t.rewrite({{t.key(1), {{index_of(F::Untertitel), Value::text("x")}}}}, false);
    t.rewrite({{t.key(2), {{index_of(F::Untertitel), Value::text("y")}}}}, false);
  }
  EXPECT_EQ(m.kinds, std::vector<K>{K::Reset});
  EXPECT_EQ(m.rows, shown(t));
}

TEST_F(TableTest, AddStoresRecordsInTheirPlacesThroughTheRuleAndLeavesTheCursor) {
  using K = Table::RowChange::Kind;
  fill({"B", "D", "F"});
  t.sort(SortKind::AscendingCase, F::Artikelname);
  t.set_post_rule([](Record& r) {
    at(r, F::Gebuehr) = Value::amount(at(r, F::Fettschrift) == Value::flag(true) ? 0.5 : 0);
  });
  t.move_to(1);  // D
  const Table::Key d = t.key(1);
  t.set(F::Untertitel, Value::text("pending"));
  Mirror m(t);
  watch();
  Record bold = named("A");
  at(bold, F::Fettschrift) = Value::text("true");  // fitted to a flag
  const auto added = t.add({named("E"), bold, named("C")});
  EXPECT_EQ(shown(t), (Names{"A", "B", "C", "D", "E", "F"}));
  EXPECT_EQ(m.rows, shown(t));
  // The pending edit was posted first; the cursor stays on its record, now further down.
  EXPECT_EQ(t.state(), EditState::Browse);
  EXPECT_EQ(t.key(*t.position()), d);
  EXPECT_EQ(t.text(F::Untertitel), "pending");
  ASSERT_EQ(added.size(), 3u);
  EXPECT_EQ(t.row_of(added[0]), 4u);
  EXPECT_EQ(t.row_of(added[1]), 0u);
  EXPECT_EQ(t.row_of(added[2]), 2u);
  EXPECT_EQ(shown(t, F::Gebuehr), (Names{"0.5", "", "0", "0", "0", ""}));
  // The rows as they came, one data event, and no before-post but the pending edit's.
  EXPECT_EQ(m.kinds, (std::vector<K>{K::Inserted, K::Inserted, K::Inserted}));
  EXPECT_EQ(std::count(log.begin(), log.end(), "before-post"), 1);
  EXPECT_EQ(log.back(), "data");

  // Hidden by the filter: stored, but no row; a table that showed nothing gets a current record.
  t.set_filter("[Artikelname] like '%Z%'");
  t.set_filtered(true);
  ASSERT_TRUE(t.empty());
  const auto more = t.add({named("Zoo"), named("Bar")});
  EXPECT_EQ(shown(t), Names{"Zoo"});
  EXPECT_EQ(t.position(), 0u);
  EXPECT_FALSE(t.row_of(more[1]));
  EXPECT_EQ(t.stored().size(), 8u);

  // A value that does not fit stores nothing at all.
  const auto before = t.stored();
  EXPECT_THROW(t.add({named("Zebra"), rec({{F::Startpreis, Value::text("zwei")}})}), Error);
  EXPECT_EQ(t.stored(), before);
}

// Bound controls hold a copy of the current record: they hear of a change before anyone else,
// and write what they hold before anyone reads the record to be posted, whenever they
// subscribed.
TEST_F(TableTest, ControlsHearFirstWhateverTheOrderOfSubscribing) {
  fill({"A"});
  std::vector<std::string> heard;
  auto other = t.on_data_change([&](std::optional<std::size_t>) { heard.push_back("other"); });
  auto other_post =
      t.on_before_post([&] { heard.push_back("other before post: " + t.text(F::Untertitel)); });
  auto control = t.on_data_change([&](std::optional<std::size_t>) { heard.push_back("control"); },
                                  Table::Phase::Controls);
  auto control_post = t.on_before_post(
      [&] {
        heard.push_back("control before post");
        t.set(F::Untertitel, Value::text("held"));
      },
      Table::Phase::Controls);
  t.set(F::Artikelname, Value::text("B"));
  t.post();
  EXPECT_EQ(heard,
            (std::vector<std::string>{"control", "other", "control before post", "control", "other",
                                      "other before post: held", "control", "other"}));
  heard.clear();
  {
    Table::Batch batch(t);
    t.append();
    t.remove();
  }
  EXPECT_EQ(heard, (std::vector<std::string>{"control", "other"}));
}

TEST_F(TableTest, ListenersEndWithTheirSubscription) {
  fill({"A", "B"});
  int calls = 0;
  {
    auto sub = t.on_data_change([&](std::optional<std::size_t>) { ++calls; });
    t.next();
    EXPECT_EQ(calls, 1);
  }
  t.first();
  EXPECT_EQ(calls, 1);
  // A listener may end another one (and itself) while an event runs.
  ports::Subscription second;
  auto first = t.on_data_change([&](std::optional<std::size_t>) {
    ++calls;
    second.reset();
  });
  second = t.on_data_change([&](std::optional<std::size_t>) { calls += 100; });
  t.next();
  EXPECT_EQ(calls, 2);
  // The table may go first; its subscriptions then end without harm.
  auto orphan = std::make_unique<Table>();
  auto sub = orphan->on_state_change([] {});
  orphan.reset();
  sub.reset();
}

}  // namespace
}  // namespace tellvaro::store
