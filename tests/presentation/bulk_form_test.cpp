#include "presentation/bulk_form.h"

#include <gtest/gtest.h>

#include "db/connection.h"
#include "presentation/category_browser.h"
#include "support/articles.h"

namespace tellvaro::presentation {
namespace {

using store::F;
using workspace::BulkWay;

catalogue::PaymentNames two_payments() {
  catalogue::PaymentNames p;
  p.name[0] = "Überweisung";
  p.name[1] = "Nachnahme";
  p.shown = 2;
  return p;
}

std::vector<F> fields_of(const BulkForm& form, std::string_view title) {
  std::vector<F> out;
  for (const auto& g : form.groups())
    if (g.title == title)
      for (const auto* f : g.fields) out.push_back(f->field);
  return out;
}

std::vector<store::Table::Key> all_keys(const store::Table& t) {
  std::vector<store::Table::Key> keys;
  for (std::size_t r = 0; r < t.count(); ++r) keys.push_back(t.key(r));
  return keys;
}

TEST(BulkForm, OffersEveryBulkFieldOnceAndOnlyThePaymentsNamed) {
  const BulkForm form(3, two_payments(), {"7", "10"});
  std::vector<std::string> titles;
  std::size_t offered = 0;
  for (const auto& g : form.groups()) {
    titles.push_back(g.title);
    offered += g.fields.size();
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"Preise", "Artikel", "Versand", "Artikelstandort",
                                              "Hervorhebungen", "Zahlungsweise"}));
  // Every field of the core's list but the payment boxes nobody named.
  EXPECT_EQ(offered, workspace::bulk_fields().size() - catalogue::kPaymentSlots + 2);
  EXPECT_EQ(fields_of(form, "Zahlungsweise"), (std::vector<F>{F::p1, F::p2}));
  EXPECT_EQ(form.caption(*form.groups().back().fields[0]), "Überweisung");

  const BulkForm none(3, {}, {});
  EXPECT_TRUE(fields_of(none, "Zahlungsweise").empty());
}

TEST(BulkForm, WhatEachControlOffers) {
  const BulkForm form(1, {}, {"5", "7"});
  struct Case {
    F field;
    BulkForm::Entry entry;
    std::vector<std::string> stored;  // what its entries store (first two at most)
  };
  using E = BulkForm::Entry;
  const Case cases[] = {
      {F::Startpreis, E::Text, {}},       {F::Anzahl, E::Text, {}},
      {F::location, E::Text, {}},         {F::Auktionsdauer, E::PickOrType, {"5", "7"}},
      {F::shipping, E::Pick, {"1", "2"}},  // who pays: stored as a number, shown by a caption
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(store::name_of(c.field)));
    const workspace::BulkField* field = nullptr;
    for (const auto& f : workspace::bulk_fields())
      if (f.field == c.field) field = &f;
    ASSERT_TRUE(field);
    EXPECT_EQ(form.entry(*field), c.entry);
    std::vector<std::string> stored;
    for (const auto& item : form.items(*field))
      if (stored.size() < 2) stored.push_back(item.stored);
    EXPECT_EQ(stored, c.stored);
  }
  const workspace::BulkField* condition = nullptr;
  for (const auto& f : workspace::bulk_fields())
    if (f.field == F::Zustand) condition = &f;
  EXPECT_EQ(form.entry(*condition), E::PickOrType);
  EXPECT_FALSE(form.items(*condition).empty());
  ASSERT_EQ(BulkForm::ways().size(), 3u);
  EXPECT_EQ(BulkForm::ways()[2].way, BulkWay::Percent);
  EXPECT_EQ(BulkForm::ways()[2].caption, "um Prozent (+/-)");
}

TEST(BulkForm, WhatTheControlsAskFor) {
  BulkForm form(4, two_payments(), {});
  EXPECT_TRUE(form.change().empty());
  // Typing ticks; a kind of change ticks; unticking leaves the text but asks for nothing.
  form.type(F::Auktionsdauer, "10");
  form.choose_way(F::Startpreis, BulkWay::Percent);
  form.type(F::Startpreis, "-5");
  form.type(F::Anzahl, "2");
  form.tick(F::Anzahl, false);
  // Flags by their three states, whatever order they were set in.
  form.set_flag(F::p2, FlagChoice::Clear);
  form.set_flag(F::Fettschrift, FlagChoice::Set);
  form.set_flag(F::Textmarker, FlagChoice::Set);
  form.set_flag(F::Textmarker, FlagChoice::Keep);
  // A field the form does not offer (a payment nobody named) asks for nothing.
  form.set_flag(F::p3, FlagChoice::Set);
  form.type(F::p4, "x");

  const auto c = form.change();
  ASSERT_EQ(c.fields.size(), 4u);
  struct Want {
    F field;
    BulkWay way;
    std::string text;
  };
  const Want want[] = {{F::Startpreis, BulkWay::Percent, "-5"},
                       {F::Auktionsdauer, BulkWay::Value, "10"},
                       {F::p2, BulkWay::Off, ""},
                       {F::Fettschrift, BulkWay::On, ""}};
  for (std::size_t i = 0; i < c.fields.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(c.fields[i].field, want[i].field);
    EXPECT_EQ(c.fields[i].way, want[i].way);
    EXPECT_EQ(c.fields[i].text, want[i].text);
  }
  EXPECT_TRUE(workspace::check_bulk_change(c).empty());

  // A category found for Kat 2, then its tick taken away and given back.
  catalogue::CategoryMatch leaf{"1112", "Winter", true, {"Auto", "Reifen", "Winter"}};
  EXPECT_EQ(form.take_category(catalogue::Slot::Second, leaf), "Auto > Reifen > Winter");
  EXPECT_TRUE(form.category_ticked(catalogue::Slot::Second));
  EXPECT_FALSE(form.category_ticked(catalogue::Slot::First));
  form.tick_category(catalogue::Slot::Second, false);
  EXPECT_TRUE(form.change().categories.empty());
  form.tick_category(catalogue::Slot::Second, true);
  ASSERT_EQ(form.change().categories.size(), 1u);
  EXPECT_EQ(form.change().categories[0].slot, catalogue::Slot::Second);
  EXPECT_EQ(form.change().categories[0].match.cat_id, "1112");
}

TEST(BulkForm, SummaryAndRefusalsBeforeApplying) {
  store::Table articles;
  std::vector<store::Table::Key> keys;
  for (const char* days : {"7", "7", "5"}) {
    articles.append();
    articles.set_text(F::Auktionsdauer, days);
    articles.post();
    keys.push_back(articles.key(articles.count() - 1));
  }
  const workspace::BulkEditor editor(articles);
  BulkForm form(keys.size(), {}, {});
  // From the moment it opens the form names how many articles it is for.
  EXPECT_EQ(form.preview(editor, keys).summary,
            "3 Artikel gewählt, noch kein Feld zum Ändern angehakt.");
  ASSERT_TRUE(form.refusal());
  EXPECT_FALSE(form.refusal()->error);
  EXPECT_EQ(form.refusal()->text, "Es ist noch kein Feld zum Ändern gewählt.");

  form.type(F::Auktionsdauer, "5");
  EXPECT_EQ(form.preview(editor, keys).summary, "2 Artikel, 1 Feld");
  EXPECT_EQ(form.preview(editor, keys).lines,
            std::vector<std::string>{"Auktionsdauer: 7 (2 Artikel) -> 5"});
  EXPECT_FALSE(form.refusal());

  form.type(F::Startpreis, "abc");
  const auto preview = form.preview(editor, keys);
  EXPECT_EQ(preview.summary, "Nicht möglich:");
  EXPECT_EQ(preview.lines,
            std::vector<std::string>{
                "Startpreis: „abc“ ist kein Betrag (zum Beispiel 12.50 oder 12,50)."});
  ASSERT_TRUE(form.refusal());
  EXPECT_TRUE(form.refusal()->error);
  EXPECT_EQ(form.refusal()->text,
            "Die Sammelbearbeitung ist so nicht möglich:\n" + preview.lines[0]);
  EXPECT_EQ(bulk_applied_status(2),
            "Sammelbearbeitung: 2 Artikel geändert. Rückgängig mit Strg+Z in der Tabelle.");
}

// The bulk change stores a category as the browser stores it.
TEST(BulkForm, ACategoryIsStoredAsTheBrowserStoresIt) {
  // Five levels and a leaf below them: the leaf takes the fifth place, as in a browse.
  const catalogue::CategoryMatch deep{
      "17", "T7", true, {"Tiefe", "T2", "T3", "T4", "T5", "T6", "T7"}};
  const catalogue::CategoryMatch shallow{"3", "Reifen", true, {"Auto", "Teile", "Reifen"}};
  const store::Record start = test::article({{F::Artikelname, store::Value::text("Winterreifen")},
                                             {F::Kategorie, store::Value::text("Alt")},
                                             {F::Kategorie_Nummer, store::Value::text("99")},
                                             {F::Kategorie_2, store::Value::text("Alt 2")},
                                             {F::Kategorie5, store::Value::text("alt")}});
  for (auto [first, second] : {std::pair{&deep, &shallow}, std::pair{&shallow, &deep}}) {
    store::Table browsed, bulk_changed;
    browsed.replace_all({start});
    bulk_changed.replace_all({start});
    db::Connection none;
    CategoryBrowser browser(none, browsed);
    ASSERT_TRUE(browser.take(*first, catalogue::Slot::First));
    ASSERT_TRUE(browser.take(*second, catalogue::Slot::Second));

    workspace::BulkEditor bulk(bulk_changed);
    workspace::BulkChange change;
    change.categories = {{catalogue::Slot::First, *first}, {catalogue::Slot::Second, *second}};
    EXPECT_EQ(bulk.apply(all_keys(bulk_changed), change), 1u);
    EXPECT_EQ(bulk_changed.stored(), browsed.stored());
    EXPECT_EQ(bulk.preview(all_keys(bulk_changed), change).lines[0],
              "Kategorie 1: keine Änderung (" +
                  catalogue::category_path(catalogue::browse_names(*first)) + ")");
  }
  store::Table t;
  t.replace_all({start});
  workspace::BulkEditor bulk(t);
  EXPECT_EQ(bulk.preview(all_keys(t), {{}, {{catalogue::Slot::First, shallow}}}).lines,
            std::vector<std::string>{"Kategorie 1: Alt (1 Artikel) -> Auto > Teile > Reifen"});
}

}  // namespace
}  // namespace tellvaro::presentation
