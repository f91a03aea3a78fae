#include "store/field.h"

#include <gtest/gtest.h>

#include "text/error.h"

namespace tellvaro::store {
namespace {

TEST(Fields, TableHoldsTheArticleFieldsInFileOrder) {
  const auto& f = article_fields();
  ASSERT_EQ(f.size(), 81u);
  struct Expected {
    std::size_t index;
    std::string_view name;
    Kind kind;
    int width;
  };
  const Expected cases[] = {
      {0, "Anzeigenart", Kind::Text, 50},
      {4, "Gebühr", Kind::Amount, 9},
      {5, "Artikelname", Kind::Text, 50},
      {8, "Einheiten", Kind::Text, 7},
      {10, "FSK 18", Kind::Text, 10},
      {11, "html_desc_1", Kind::SmallInt, 0},
      {12, "Beschreibung", Kind::Memo, 50},
      {15, "Kategorie 2", Kind::Text, 256},
      {17, "Kategorie Nummer 2", Kind::Text, 11},
      {22, "Kategorie5", Kind::Text, 128},
      {30, "Preisvorschlag-Minimum", Kind::Amount, 9},
      {33, "Top-Kategorie", Kind::Flag, 0},
      {45, "Bild12", Kind::Text, 30},
      {52, "shipping", Kind::Text, 1},
      {59, "Versandpreis_3", Kind::Amount, 9},
      {61, "p1", Kind::Flag, 0},
      {75, "p15", Kind::Flag, 0},
      {77, "Info_2", Kind::Memo, 50},
      {80, "Editiert", Kind::Text, 30},
  };
  for (const auto& e : cases) {
    EXPECT_EQ(f[e.index].name, e.name) << e.index;
    EXPECT_EQ(f[e.index].kind, e.kind) << e.name;
    EXPECT_EQ(f[e.index].width, e.width) << e.name;
  }
  int counts[5] = {};
  for (const auto& field : f) ++counts[static_cast<int>(field.kind)];
  EXPECT_EQ(counts[static_cast<int>(Kind::Text)], 50);
  EXPECT_EQ(counts[static_cast<int>(Kind::Amount)], 8);
  EXPECT_EQ(counts[static_cast<int>(Kind::SmallInt)], 1);
  EXPECT_EQ(counts[static_cast<int>(Kind::Flag)], 19);
  EXPECT_EQ(counts[static_cast<int>(Kind::Memo)], 3);
}

TEST(Fields, LookupIsExactAndCaseSensitive) {
  EXPECT_EQ(field_index("Gebühr"), 4u);
  EXPECT_EQ(field_index("Kategorie Nummer"), 16u);
  EXPECT_FALSE(field_index("artikelname"));
  EXPECT_FALSE(field_index("Gebuehr"));
  EXPECT_THROW(field_at("Preis"), Error);
}

TEST(ValueText, ReadsEachKind) {
  const auto& f = article_fields();
  const Field& amount = f[field_at("Startpreis")];
  const std::pair<Value, std::string> cases[] = {
      {Value::amount(12.5), "12.5"},
      {Value::amount(3), "3"},
      {Value::amount(0.99), "0.99"},
      {Value::amount(0.1 + 0.2), "0.3"},
      {Value::small_int(-7), "-7"},
      {Value::flag(true), "True"},
      {Value::flag(false), "False"},
      {Value::text("Uhr"), "Uhr"},
      {Value(), ""},
  };
  for (const auto& [v, text] : cases) EXPECT_EQ(to_text(v, amount), text);
}

TEST(ValueText, WritesEachKind) {
  const auto& f = article_fields();
  const Field& name = f[field_at("Artikelname")];
  const Field& price = f[field_at("Startpreis")];
  const Field& html = f[field_at("html_desc_1")];
  const Field& bold = f[field_at("Fettschrift")];
  const Field& memo = f[field_at("Beschreibung")];

  EXPECT_EQ(from_text("Taschenuhr", name), Value::text("Taschenuhr"));
  EXPECT_EQ(from_text("", name), Value::text(""));  // the empty text stays a text
  EXPECT_EQ(from_text("12.50", price), Value::amount(12.5));
  EXPECT_EQ(from_text("", price), Value());
  EXPECT_EQ(from_text("  ", price), Value());
  EXPECT_EQ(from_text("1", html), Value::small_int(1));
  EXPECT_EQ(from_text("", html), Value());
  for (const char* t : {"True", "TRUE", "true", " tRuE "})
    EXPECT_EQ(from_text(t, bold), Value::flag(true)) << t;
  for (const char* t : {"False", "FALSE", "false"})
    EXPECT_EQ(from_text(t, bold), Value::flag(false)) << t;
  EXPECT_EQ(from_text("", bold), Value());
  const std::string long_memo(5000, 'x');
  EXPECT_EQ(from_text(long_memo, memo), Value::text(long_memo));
}

TEST(ValueText, RefusesWhatIsNoNumberOrFlagNamingTheField) {
  const auto& f = article_fields();
  const std::pair<const char*, const char*> cases[] = {
      {"Startpreis", "12,50"},  {"Startpreis", "abc"}, {"html_desc_1", "1.5"},
      {"html_desc_1", "40000"}, {"Fettschrift", "ja"}, {"Fettschrift", "1"},
  };
  for (auto [field, text] : cases) {
    try {
      from_text(text, f[field_at(field)]);
      ADD_FAILURE() << field << " took " << text;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(field), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
    }
  }
}

TEST(ValueText, TextIsCutToItsWidthInCharacters) {
  const auto& f = article_fields();
  const Field& name = f[field_at("Artikelname")];   // 50
  const Field& shipping = f[field_at("shipping")];  // 1
  const Field& memo = f[field_at("Beschreibung")];
  const std::string sixty(60, 'a');
  EXPECT_EQ(*from_text(sixty, name).as_string(), std::string(50, 'a'));
  // Umlauts count as one character each, not as their two UTF-8 bytes.
  std::string umlauts;
  for (int i = 0; i < 60; ++i) umlauts += "ä";
  std::string fifty;
  for (int i = 0; i < 50; ++i) fifty += "ä";
  EXPECT_EQ(*from_text(umlauts, name).as_string(), fifty);
  EXPECT_EQ(*fit(Value::text(umlauts), name).as_string(), fifty);
  EXPECT_EQ(*fit(Value::text("→中"), shipping).as_string(), "→");
  EXPECT_EQ(fit(Value::text(umlauts), memo), Value::text(umlauts));
  EXPECT_EQ(fit(Value::amount(1), name), Value::amount(1));
}

TEST(ValueText, AccessorsByKind) {
  EXPECT_EQ(Value::small_int(3).as_amount(), 3.0);
  EXPECT_EQ(Value::amount(2.5).as_amount(), 2.5);
  EXPECT_FALSE(Value::amount(2.5).as_small_int());
  EXPECT_FALSE(Value::text("1").as_amount());
  EXPECT_EQ(Value::flag(true).as_flag(), true);
  EXPECT_TRUE(Value().is_null());
  EXPECT_NE(Value(), Value::text(""));  // null is not the empty text
  EXPECT_EQ(empty_record().size(), kFieldCount);
}

}  // namespace
}  // namespace tellvaro::store
