#include "store/field.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "store/csv.h"
#include "text/cp1252.h"
#include "text/error.h"

namespace tellvaro::store {
namespace {

// The names the program's files carry, read from a stored article table as raw bytes (not with
// our reader), so an id that names the wrong field or a renamed field shows here.
std::vector<std::string> stored_file_field_names() {
  std::ifstream in(TELLVARO_STORED_ARTICLES, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  std::vector<std::string> names;
  const std::string_view tag = "<FIELD attrname=\"";
  for (auto at = bytes.find(tag); at != std::string::npos; at = bytes.find(tag, at)) {
    at += tag.size();
    names.push_back(text::cp1252_to_utf8(bytes.substr(at, bytes.find('"', at) - at)));
  }
  return names;
}

TEST(Fields, IdsNameTheFieldsOfTheStoredFileAndTheCsvHeader) {
  const std::vector<std::string> stored = stored_file_field_names();
  ASSERT_EQ(stored.size(), kFieldCount);
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const F id = static_cast<F>(i);
    EXPECT_EQ(name_of(id), stored[i]) << i;
    // A name given to two ids would find the first one for both.
    EXPECT_EQ(field_index(name_of(id)), i) << stored[i];
  }
  EXPECT_EQ(name_of(F::Gebuehr), "Gebühr");
  EXPECT_EQ(name_of(F::Kategorie_2), "Kategorie 2");
  EXPECT_EQ(name_of(F::Kategorie2), "Kategorie2");

  const std::string csv = write_articles_csv({empty_record()});
  const std::string header = csv.substr(3, csv.find("\r\n") - 3);  // after the byte-order mark
  std::string expected;
  for (const auto& name : stored) expected += (expected.empty() ? "" : ";") + name;
  EXPECT_EQ(header, expected);
}

TEST(Fields, NumberedFieldsCountFromOne) {
  EXPECT_EQ(payment_flag(1), F::p1);
  EXPECT_EQ(payment_flag(15), F::p15);
  EXPECT_EQ(picture_field(12), F::Bild12);
  EXPECT_EQ(category_level(5), F::Kategorie5);
  EXPECT_EQ(shipping_method(3), F::Versand_3);
  EXPECT_EQ(shipping_price(2), F::Versandpreis_2);
  for (auto numbered : {payment_flag, picture_field, category_level, shipping_method}) {
    EXPECT_THROW(numbered(0), Error);
    EXPECT_THROW(numbered(16), Error);
  }
}

TEST(Fields, LookupIsExactAndCaseSensitive) {
  EXPECT_EQ(field_index("Gebühr"), 4u);
  EXPECT_EQ(field_index("Kategorie Nummer"), 16u);
  EXPECT_FALSE(field_index("artikelname"));
  EXPECT_FALSE(field_index("Gebuehr"));
  EXPECT_THROW(field_at("Preis"), Error);
}

TEST(ValueText, ReadsEachKind) {
  const Field& amount = field_of(F::Startpreis);
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
  const Field& name = field_of(F::Artikelname);
  const Field& price = field_of(F::Startpreis);
  const Field& html = field_of(F::html_desc_1);
  const Field& bold = field_of(F::Fettschrift);
  const Field& memo = field_of(F::Beschreibung);

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
  const Field& name = field_of(F::Artikelname);   // 50
  const Field& shipping = field_of(F::shipping);  // 1
  const Field& memo = field_of(F::Beschreibung);
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
