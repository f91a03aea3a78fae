// Changing many articles at once, without any window: each way of changing a field, the checks,
// the preview texts, the category as the browser stores it, the fee rule, and the undo.

#include "workspace/bulk_edit.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "db/connection.h"
#include "store/description_frames.h"
#include "support/temp_dir.h"
#include "text/error.h"
#include "workspace/workspace.h"

namespace tellvaro::workspace {
namespace {

using store::F;
using store::Record;
using store::Table;
using store::Value;

Record article(std::initializer_list<std::pair<F, Value>> fields) {
  Record r = store::empty_record();
  for (const auto& [field, v] : fields) store::at(r, field) = v;
  return r;
}

std::vector<Table::Key> all_keys(const Table& t) {
  std::vector<Table::Key> keys;
  for (std::size_t r = 0; r < t.count(); ++r) keys.push_back(t.key(r));
  return keys;
}

BulkChange one(F field, BulkWay way, std::string text) {
  return {{{field, way, std::move(text)}}, {}};
}

const Value kNull;

struct WayCase {
  F field;
  BulkWay way;
  const char* typed;
  Value before;
  Value after;  // the same as before: the article does not count as changed
};

TEST(BulkEdit, EachWayOfChangingAField) {
  using W = BulkWay;
  const WayCase cases[] = {
      {F::Startpreis, W::Value, "12.345", Value::amount(10), Value::amount(12.35)},
      {F::Startpreis, W::Value, " 7 ", kNull, Value::amount(7)},
      {F::Mindestpreis, W::Value, "2.675", Value::amount(1), Value::amount(2.68)},
      {F::Mindestpreis, W::Value, "", Value::amount(5), kNull},  // emptied
      {F::Startpreis, W::Amount, "+1.5", Value::amount(10), Value::amount(11.5)},
      {F::Startpreis, W::Amount, "-0.004", Value::amount(10), Value::amount(10)},
      {F::Sofortkauf, W::Amount, "-15", Value::amount(10), Value::amount(0)},  // floor at 0
      {F::Sofortkauf, W::Percent, "10", Value::amount(19.99), Value::amount(21.99)},
      {F::Sofortkauf, W::Percent, "-33.333", Value::amount(3), Value::amount(2)},
      {F::Sofortkauf, W::Percent, "-150", Value::amount(3), Value::amount(0)},
      {F::Versandpreis_1, W::Amount, "1", kNull, kNull},  // no price to raise
      {F::Versandpreis_2, W::Percent, "5", Value::amount(0), Value::amount(0)},
      {F::Auktionsdauer, W::Value, " 10", Value::text("7"), Value::text("10")},
      {F::Anzahl, W::Value, "", Value::text("3"), Value::text("")},
      {F::Anzahl, W::Value, "", kNull, kNull},  // empty and nothing read alike
      {F::Wiedereinstellen, W::Value, "Bis verkauft", kNull, Value::text("Bis verkauft")},
      {F::location, W::Value, "München", Value::text("Köln"), Value::text("München")},
      {F::shipping, W::Value, "2", Value::text("1"), Value::text("2")},
      {F::international, W::On, "", Value::flag(false), Value::flag(true)},
      {F::p3, W::On, "", kNull, Value::flag(true)},
      {F::p3, W::Off, "", kNull, kNull},  // a flag without a value is off already
      {F::p15, W::Off, "", Value::flag(true), Value::flag(false)},
      {F::Top_Kategorie, W::On, "", Value::flag(true), Value::flag(true)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(store::name_of(c.field)) + " '" + c.typed + "'");
    Table t;
    t.replace_all({article({{c.field, c.before}, {F::Artikelname, Value::text("A")}})});
    BulkEditor bulk(t);
    const auto change = one(c.field, c.way, c.typed);
    ASSERT_EQ(check_bulk_change(change), std::vector<std::string>{});
    const bool changes = !(c.after == c.before);
    EXPECT_EQ(bulk.preview(all_keys(t), change).articles, changes ? 1u : 0u);
    EXPECT_EQ(bulk.apply(all_keys(t), change), changes ? 1u : 0u);
    EXPECT_EQ(store::at(t.stored()[0], c.field), c.after);
    EXPECT_EQ(bulk.can_undo(), changes);
  }
}

TEST(BulkEdit, RefusedValuesAreNamedAndChangeNothing) {
  using W = BulkWay;
  struct Refused {
    BulkChange change;
    std::string message;
  };
  catalogue::CategoryMatch branch{"1", "Auto", false, {"Auto"}};
  const Refused cases[] = {
      {one(F::Startpreis, W::Value, "abc"),
       "Startpreis: „abc“ ist kein Betrag (zum Beispiel 12.50 oder 12,50)."},
      {one(F::Startpreis, W::Value, "1.299,00"),
       "Startpreis: „1.299,00“ ist kein Betrag (zum Beispiel 12.50 oder 12,50)."},
      {one(F::Sofortkauf, W::Value, "-0.01"),
       "Sofort-Kaufen Preis: Ein Betrag unter 0 ist nicht möglich."},
      {one(F::Mindestpreis, W::Amount, " "),
       "Mindestpreis: Bitte angeben, um wie viel sich der Preis ändert."},
      {one(F::Versandpreis_3, W::Percent, "10%"),
       "Preis Versandart 3: „10%“ ist keine Zahl (zum Beispiel 1.50, 1,50 oder -10)."},
      {one(F::Auktionsdauer, W::Percent, "10"),
       "Auktionsdauer kann nur auf einen Wert gesetzt werden."},
      {one(F::Anzahl, W::On, ""), "Anzahl kann nur auf einen Wert gesetzt werden."},
      {one(F::Fettschrift, W::Value, "True"),
       "Fettschrift kann nur an- oder ausgeschaltet werden."},
      {one(F::Auktionsdauer, W::Value, "zehn"),
       "Auktionsdauer: „zehn“ ist keine Zahl von Tagen (zum Beispiel 7)."},
      {one(F::Auktionsdauer, W::Value, ""),
       "Auktionsdauer: „“ ist keine Zahl von Tagen (zum Beispiel 7)."},
      {one(F::Anzahl, W::Value, "0"), "Anzahl: „0“ ist keine ganze Zahl über 0."},
      {one(F::Anzahl, W::Value, "12345678"), "Anzahl: „12345678“ ist keine ganze Zahl über 0."},
      {one(F::shipping, W::Value, "3"), "Versandkosten: „3“ ist keine der beiden Möglichkeiten."},
      {one(F::location, W::Value, std::string(129, 'x')),
       "Ort: Höchstens 128 Zeichen, eingegeben sind 129."},
      {one(F::location_zip, W::Value, "ÄÖÜäöüßÄÖÜäöüßÄÖÜ"),
       "PLZ: Höchstens 16 Zeichen, eingegeben sind 17."},
      {one(F::Beschreibung, W::Value, "x"),
       "Das Feld „Beschreibung“ kann nicht gesammelt geändert werden."},
      {{{}, {{catalogue::Slot::First, branch}}},
       "Kategorie 1: „Auto“ hat Unterkategorien und kann nicht gewählt werden."},
      {{{}, {{catalogue::Slot::Second, {}}}},
       "Kategorie 2: Bitte eine Kategorie suchen oder auswählen."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(check_bulk_change(c.change), std::vector<std::string>{c.message});
    Table t;
    t.replace_all(
        {article({{F::Startpreis, Value::amount(5)}, {F::Auktionsdauer, Value::text("7")}})});
    const auto stored = t.stored();
    BulkEditor bulk(t);
    try {
      bulk.apply(all_keys(t), c.change);
      ADD_FAILURE() << "applied";
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), c.message);
    }
    EXPECT_EQ(t.stored(), stored);
    EXPECT_FALSE(bulk.can_undo());
  }
  // Every refusal at once, one line each.
  BulkChange both = one(F::Startpreis, W::Value, "x");
  both.fields.push_back({F::Startpreis, W::Amount, "1"});
  both.fields.push_back({F::Anzahl, W::Value, "x"});
  EXPECT_EQ(check_bulk_change(both).size(), 3u);
}

// 14 articles: 12 chosen (9 with 7 days, 3 with 5), 2 left alone.
class BulkPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<Record> records;
    for (int i = 0; i < 14; ++i) {
      records.push_back(article({{F::Artikelname, Value::text("Artikel " + std::to_string(i))},
                                 {F::Auktionsdauer, Value::text(i % 4 == 3 ? "5" : "7")},
                                 {F::Startpreis, Value::amount(i < 6 ? 10 : 12.5)}}));
    }
    t.replace_all(std::move(records));
    keys = all_keys(t);
    keys.resize(12);
    catalogue::PaymentNames names;
    names.name[0] = "Überweisung";
    names.shown = 1;
    bulk.set_payment_names(names);
  }
  Table t;
  BulkEditor bulk{t};
  std::vector<Table::Key> keys;
};

TEST_F(BulkPreviewTest, NamesTheOldValuesEachChoiceReplaces) {
  BulkChange change;
  change.fields = {{F::Auktionsdauer, BulkWay::Value, "10"},
                   {F::p1, BulkWay::On, ""},
                   {F::Startpreis, BulkWay::Amount, "1"},
                   {F::Zustand, BulkWay::Value, ""}};
  const BulkPreview p = bulk.preview(keys, change);
  EXPECT_EQ(p.summary(), "12 Artikel, 3 Felder");
  EXPECT_EQ(p.lines, (std::vector<std::string>{
                         "Auktionsdauer: 7 (9 Artikel), 5 (3 Artikel) -> 10",
                         "Überweisung: nein (12 Artikel) -> ja",
                         "Startpreis: 10 (6 Artikel), 12.5 (6 Artikel) -> +1.00",
                         "Zustand der Ware: keine Änderung ((leer))",
                     }));
  EXPECT_EQ(bulk.preview(keys, one(F::Startpreis, BulkWay::Percent, "-12.5")).lines,
            std::vector<std::string>{"Startpreis: 10 (6 Artikel), 12.5 (6 Artikel) -> -12.5 %"});
  EXPECT_EQ(bulk.preview({keys[0]}, one(F::Auktionsdauer, BulkWay::Value, "10")).summary(),
            "1 Artikel, 1 Feld");
  // The preview stores nothing.
  EXPECT_EQ(store::at(t.stored()[0], store::F::Auktionsdauer), Value::text("7"));
  EXPECT_FALSE(bulk.can_undo());
}

// The article table of a workspace, with its fee rule: Fettschrift costs 0.50.
class BulkWorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    catalogue::FeatureFees fees;
    fees.fee[static_cast<std::size_t>(catalogue::Feature::Fettschrift)] = 0.5;
    w.set_feature_fees(fees);
    std::vector<Record> records;
    for (const char* name : {"Uhr", "Sofa", "Tisch", "Lampe", "Bett"}) {
      // A fee from elsewhere that no post here has computed: undo must bring it back as it was.
      records.push_back(article({{F::Artikelname, Value::text(name)},
                                 {F::Auktionsdauer, Value::text("7")},
                                 {F::Gebuehr, Value::amount(9)}}));
    }
    articles.replace_all(std::move(records));
    articles.sort(store::SortKind::AscendingCase,
                  store::F::Artikelname);  // Bett Lampe Sofa Tisch Uhr
    articles.move_to(2);                   // Sofa
  }
  std::string name(std::size_t row) {
    return *store::at(articles.row(row), store::F::Artikelname).as_string();
  }
  const Value& stored(std::size_t row, F field) { return store::at(articles.row(row), field); }

  Workspace w{{}, {}, {}, "/tmp/"};
  Table& articles = w.articles();
  BulkEditor bulk{articles};
};

TEST_F(BulkWorkspaceTest, AppliedInOneStepThroughTheFeeRuleAndTakenBackExactly) {
  std::vector<Table::RowChange::Kind> events;
  int data_events = 0;
  auto rows = articles.on_rows_change([&](const Table::RowChange& c) { events.push_back(c.kind); });
  auto data = articles.on_data_change([&](std::optional<std::size_t>) { ++data_events; });
  const auto selected = bulk_targets(articles, {1, 3, 2});  // Lampe Sofa Tisch
  ASSERT_TRUE(selected.question.empty());
  const auto before = articles.stored();
  BulkChange change;
  change.fields = {{F::Fettschrift, BulkWay::On, ""}, {F::Auktionsdauer, BulkWay::Value, "10"}};
  EXPECT_EQ(bulk.apply(selected.keys, change), 3u);

  EXPECT_EQ(events, std::vector<Table::RowChange::Kind>{Table::RowChange::Kind::Changed});
  EXPECT_EQ(data_events, 1);  // the current article, Sofa, changed under the editor
  EXPECT_EQ(articles.position(), 2u);
  EXPECT_EQ(name(2), "Sofa");
  EXPECT_EQ(articles.sort_field(), "Artikelname");
  for (std::size_t r = 0; r < articles.count(); ++r) {
    SCOPED_TRACE(name(r));
    const bool chosen = r >= 1 && r <= 3;
    EXPECT_EQ(stored(r, F::Gebuehr), Value::amount(chosen ? 0.5 : 9));
    EXPECT_EQ(stored(r, F::Auktionsdauer), Value::text(chosen ? "10" : "7"));
  }

  // The undo brings back every record exactly, the old fee included.
  events.clear();
  ASSERT_TRUE(bulk.can_undo());
  const auto outcome = bulk.undo();
  EXPECT_TRUE(outcome.done);
  EXPECT_EQ(outcome.message, "Sammelbearbeitung rückgängig gemacht: 3 Artikel.");
  EXPECT_EQ(articles.stored(), before);
  EXPECT_EQ(events, std::vector<Table::RowChange::Kind>{Table::RowChange::Kind::Changed});
  EXPECT_FALSE(bulk.can_undo());
}

TEST_F(BulkWorkspaceTest, UndoRefusesWhenAnArticleChangedSince) {
  const auto keys = bulk_targets(articles, {0, 1, 2, 3}).keys;  // Bett Lampe Sofa Tisch
  ASSERT_EQ(bulk.apply(keys, one(F::Auktionsdauer, BulkWay::Value, "10")), 4u);
  // Tisch posted without a change: no change. Another field of Sofa, still in edit: the undo
  // settles it first and then sees it. Bett deleted.
  articles.move_to(3);
  articles.edit();
  articles.post();
  articles.move_to(2);
  articles.set(store::F::Untertitel, Value::text("neu"));
  articles.move_to(0);
  articles.remove();
  const auto now = articles.stored();
  const auto outcome = bulk.undo();
  EXPECT_FALSE(outcome.done);
  EXPECT_EQ(outcome.message,
            "Die Sammelbearbeitung wird nicht rückgängig gemacht, nichts wurde geändert.\n"
            "Seitdem geändert: „Sofa“.\nSeitdem gelöscht: „Bett“.");
  EXPECT_EQ(articles.stored(), now);
  EXPECT_TRUE(bulk.can_undo());
  // A later change replaces what was kept: only it can be taken back.
  ASSERT_EQ(bulk.apply({articles.key(0)}, one(F::Anzahl, BulkWay::Value, "2")), 1u);
  EXPECT_TRUE(bulk.undo().done);
  EXPECT_EQ(store::at(articles.row(0), store::F::Anzahl), kNull);
  EXPECT_EQ(store::at(articles.row(0), store::F::Auktionsdauer), Value::text("10"));
}

TEST_F(BulkWorkspaceTest, SortedByTheChangedFieldTheCursorStaysOnItsArticle) {
  std::vector<Table::RowChange::Kind> events;
  auto rows = articles.on_rows_change([&](const Table::RowChange& c) { events.push_back(c.kind); });
  BulkChange change;
  change.fields = {{F::Startpreis, BulkWay::Value, "1"}};
  articles.sort(store::SortKind::AscendingNoCase, store::F::Startpreis);
  articles.move_to(4);
  const std::string current = name(4);
  events.clear();
  ASSERT_EQ(bulk.apply(all_keys(articles), change), 5u);
  EXPECT_EQ(events, std::vector<Table::RowChange::Kind>{Table::RowChange::Kind::Reset});
  EXPECT_EQ(name(*articles.position()), current);
}

// The frame set for three of five articles in one step: the three go out framed (a change of
// the frame reaches them all), the other two as they were; the preview names the frames
// replaced; the undo gives the seller's texts back byte for byte.
TEST_F(BulkWorkspaceTest, AFrameForSomeArticlesInOneStepAndTakenBack) {
  test::TempDir root;
  store::FrameFolder frames(root.folder());
  frames.save("Shop",
              "<h1>{Artikelname}</h1>{Beschreibung}<p id=v>Versand {Versandpreis_1} EUR</p>");
  for (std::size_t r = 0; r < articles.count(); ++r) {
    articles.move_to(r);
    articles.edit();
    articles.set(F::Beschreibung, Value::text("Eigener Text von " + name(r) + "\r\n"));
    articles.set(F::Versandpreis_1, Value::amount(4.9));
    articles.post();
  }
  articles.move_to(0);
  articles.edit();
  articles.set(F::Beschreibung,
               Value::text(store::with_frame(*stored(0, F::Beschreibung).as_string(), "Alt")));
  articles.post();
  const auto before = articles.stored();
  const auto keys = bulk_targets(articles, {0, 1, 2}).keys;  // Bett (framed "Alt"), Lampe, Sofa
  BulkChange change;
  change.frame = "Shop";
  EXPECT_EQ(
      bulk.preview(keys, change).lines,
      std::vector<std::string>{"Vorlage: (keine Vorlage) (2 Artikel), Alt (1 Artikel) -> Shop"});
  ASSERT_EQ(bulk.apply(keys, change), 3u);

  const auto sent = [&](std::size_t row) { return frames.framed(articles.row(row)).text; };
  for (std::size_t r = 0; r < 3; ++r) {
    EXPECT_EQ(sent(r), "<h1>" + name(r) + "</h1>Eigener Text von " + name(r) +
                           "\r\n<p id=v>Versand 4.90 EUR</p>");
  }
  frames.save("Shop", "<h1>{Artikelname}</h1>{Beschreibung}<p id=v>Versand frei</p>");
  for (std::size_t r = 0; r < 5; ++r) {
    SCOPED_TRACE(name(r));
    if (r < 3) {
      EXPECT_NE(sent(r).find("<p id=v>Versand frei</p>"), std::string::npos);
    } else {
      EXPECT_EQ(sent(r), "Eigener Text von " + name(r) + "\r\n");
    }
  }
  // Taking the frame off again through the same change.
  change.frame = "";
  EXPECT_EQ(bulk.preview(keys, change).lines,
            std::vector<std::string>{"Vorlage: Shop (3 Artikel) -> (keine Vorlage)"});

  ASSERT_TRUE(bulk.undo().done);
  EXPECT_EQ(articles.stored(), before);
}

TEST(BulkTargets, SelectedRowsOrAllShownAfterAsking) {
  Table t;
  std::vector<Record> records;
  for (const char* n : {"Uhr", "Sofa", "Tisch"})
    records.push_back(article({{F::Artikelname, Value::text(n)}}));
  t.replace_all(std::move(records));
  EXPECT_EQ(bulk_targets(t, {2, 0, 2}).keys, (std::vector<Table::Key>{t.key(0), t.key(2)}));
  t.set_filter(Table::like_expression(F::Artikelname, "i"));
  t.set_filtered(true);                                       // Tisch
  t.set_filter(Table::like_expression(F::Artikelname, "h"));  // Uhr Tisch
  for (const std::vector<std::size_t>& one_or_none :
       {std::vector<std::size_t>{1}, std::vector<std::size_t>{}}) {
    const auto all = bulk_targets(t, one_or_none);
    EXPECT_EQ(all.keys, (std::vector<Table::Key>{t.key(0), t.key(1)}));
    EXPECT_EQ(all.question,
              "Es ist höchstens ein Artikel markiert. Sollen alle 2 angezeigten Artikel bearbeitet "
              "werden?");
  }
  t.set_filter(Table::like_expression(F::Artikelname, "nichts"));
  const auto none = bulk_targets(t, {});
  EXPECT_TRUE(none.keys.empty());
  EXPECT_EQ(none.refusal, "Die Artikel-Tabelle zeigt keinen Artikel, der bearbeitet werden kann.");
}

}  // namespace
}  // namespace tellvaro::workspace
