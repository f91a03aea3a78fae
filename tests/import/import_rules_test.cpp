// The import's rules without servers: codes read backwards, payments, the picture decisions and
// the names that must never become local files, the row mapping, and the transfer back.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "db/connection.h"
#include "import/auction_import.h"
#include "import/transfer_back.h"
#include "store/table.h"
#include "text/error.h"

namespace tellvaro::importer {
namespace {

namespace fs = std::filesystem;
using store::empty_record;
using store::Record;
using store::Table;
using store::Value;

catalogue::PaymentNames four_payments() {
  catalogue::PaymentNames names;
  names.name[0] = "Überweisung";
  names.name[1] = "Barzahlung bei Abholung";
  names.name[2] = "Nachnahme";
  names.name[3] = "PayPal";
  names.shown = 4;
  return names;
}

TEST(ImportCodes, EachTableReadBackwardsWithoutFallback) {
  struct Case {
    const char* column;
    const char* code;
    std::optional<std::string_view> text;
  };
  const Case cases[] = {
      {"zustand", "7", "Neu"},
      {"zustand", "1", "Neuwertig"},
      {"zustand", "0", "Siehe Beschreibung"},
      {"zustand", "8", std::nullopt},
      {"masseinheit", "L", "L - Liter"},
      {"masseinheit", "l", std::nullopt},  // case counts
      {"masseinheit", "0", "keine Angabe"},
      {"qm_wiedereinstellen", "99", "Bis verkauft"},
      {"qm_wiedereinstellen", "5", std::nullopt},
      {"auction_type", "5", "Power Auktion"},
      {"auction_type", "", std::nullopt},  // the send's fallback is not read back
      {"sprache", "1", "International / unabhängig"},
      {"sprache", "7", std::nullopt},
      {"buy_now_show", "2", "Stehen lassen"},
      {"qm_minimum_preis_zeigen", "1", "Mindestpreis"},
      {"qm_fsk18_artikel", "1", "ja"},
      {"qm_preis_vorschlag", "0", "nein"},
      {"fett", "1", "True"},
      {"international", "0", "False"},
      {"topkat", "2", std::nullopt},
      {"zustand", " 7", std::nullopt},  // the whole text, exactly
      {"title", "1", std::nullopt},     // no table for this column
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decode(c.column, c.code), c.text) << c.column << " " << c.code;
  }
}

TEST(ImportPayment, SubstringsSetTrueOnlyAndEmptyNamesNeverMatch) {
  auto flags = [](std::string_view payment, const catalogue::PaymentNames& names) {
    Record r = empty_record();
    apply_payment(r, payment, names);
    std::string out;
    for (int i = 1; i <= 15; ++i) {
      const Value& v = store::at(r, store::payment_flag(i));
      out += v.is_null() ? '-' : (*v.as_flag() ? 'T' : 'F');
    }
    return out;
  };
  const auto four = four_payments();
  EXPECT_EQ(flags("Überweisung \nPayPal \n", four), "T--T-----------");
  EXPECT_EQ(flags("", four), "---------------");
  EXPECT_EQ(flags("paypal \n", four), "---------------");  // case counts
  // Slots 5..15 are empty: they never match, not even the empty payment text.
  EXPECT_EQ(flags("Überweisung \nBarzahlung bei Abholung \nNachnahme \nPayPal \n", four),
            "TTTT-----------");

  // A short name inside a longer one matches wherever the longer one stands.
  catalogue::PaymentNames nested;
  nested.name[0] = "Barzahlung";
  nested.name[1] = "Barzahlung bei Abholung";
  EXPECT_EQ(flags("Barzahlung bei Abholung \n", nested), "TT-------------");
  EXPECT_EQ(flags("Barzahlung \n", nested), "T--------------");
}

TEST(ImportPictures, WhatTheServerHoldsDecidesAndSaysWhy) {
  using K = ServerPicture::Kind;
  const struct {
    ServerPicture picture;
    std::optional<std::string> why;
  } cases[] = {
      {{K::Present, 1}, std::nullopt},
      {{K::Missing, 0}, "Auf dem Bildserver nicht gefunden."},
      {{K::Empty, 0}, "Die Datei auf dem Bildserver ist leer."},
      {{K::TooLarge, kMaxPictureBytes + 1},
       "mit 16777217 Bytes größer als erlaubt (16777216 Bytes)."},
      {{K::TooLarge, 0}, "größer als erlaubt (16777216 Bytes)."},  // the server named no size
  };
  for (const auto& c : cases) EXPECT_EQ(left_out(c.picture), c.why) << c.picture.bytes;
}

TEST(ImportPictures, HostileNamesNeverBecomeFiles) {
  const char* hostile[] = {
      "../x.jpg",  "..\\x.jpg", "a/b.jpg",  "/etc/passwd", "C:\\x.jpg",
      "C:x.jpg",   "..",        ".",        "x..jpg",      "bild\r\nDELE a",
      "tab\t.jpg", "\x7f.jpg",  "ordner\\", "a:b",         "ein_sehr_langer_bildname_ueber_30.jpg",
  };
  for (const char* name : hostile) {
    EXPECT_TRUE(unusable_picture_name(name).has_value()) << name;
  }
  EXPECT_TRUE(unusable_picture_name(std::string("a\0b.jpg", 7)).has_value());
  for (const char* name : {"990.jpg", "990_2.jpg", "Münze.jpg", "bild mit blank.JPG",
                           "genau_dreissig_zeichen_lang.jp"}) {
    EXPECT_EQ(unusable_picture_name(name), std::nullopt) << name;
  }
}

// The server's side of the picture rule, recorded.
class RecordingSource : public PictureSource {
 public:
  std::map<std::string, std::uint64_t> files;  // name -> size
  std::vector<std::string> asked, fetched;     // SIZE, RETR

  std::optional<std::uint64_t> size(const std::string& name) override {
    asked.push_back(name);
    auto it = files.find(name);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  ServerPicture fetch(const std::string& name, const std::string& local) override {
    using K = ServerPicture::Kind;
    fetched.push_back(name);
    auto it = files.find(name);
    if (it == files.end()) return {K::Missing, 0};
    if (it->second == 0) return {K::Empty, 0};
    if (it->second > kMaxPictureBytes) return {K::TooLarge, it->second};
    std::ofstream(local, std::ios::binary) << std::string(it->second, 'x');
    return {K::Present, it->second};
  }
};

class ImportRow : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("tellvaro-import-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Fills one record from `row`; returns the notes.
  std::vector<std::string> fill(std::map<std::string, std::string> row,
                                const catalogue::PaymentNames& names = four_payments()) {
    Record record = empty_record();
    std::vector<std::string> notes;
    fill_record(
        record,
        [&](std::string_view column) -> std::optional<std::string> {
          auto it = row.find(std::string(column));
          if (it == row.end()) return std::nullopt;
          return it->second;
        },
        names, source_, folder_.string() + "/", [&](const std::string& l) { notes.push_back(l); });
    table_.append();
    table_.set_values(record);
    table_.post();
    return notes;
  }

  fs::path folder_;
  Table table_;
  RecordingSource source_;
};

TEST_F(ImportRow, ColumnsBecomeFieldsThroughTheirRules) {
  fill({{"id", "990"},
        {"auction_type", "2"},
        {"title", "Winterreifen 205/55 R16"},
        {"sprache", "3"},
        {"masseinheit", "l"},
        {"html_desc_1", "1"},
        {"qm_fsk18_artikel", "0"},
        {"qm_preis_vorschlag", "1"},
        {"description", "Händler´s Lager"},
        {"category", "1112"},
        {"minimum_bid", "120.00"},
        {"buynow", ""},
        {"quantity", "4"},
        {"buy_now_show", "3"},
        {"qm_minimum_preis_zeigen", "0"},
        {"qm_wiedereinstellen", "99"},
        {"zustand", "8"},
        {"international", "1"},
        {"marker", "0"},
        {"payment", "PayPal \n"}});
  EXPECT_EQ(table_.text(store::F::Anzeigenart), "Sofortkauf");
  EXPECT_EQ(table_.text(store::F::Artikelname), "Winterreifen 205/55 R16");
  EXPECT_EQ(table_.text(store::F::Sprache), "Deutschland / Deutsch");
  EXPECT_TRUE(table_.get(store::F::Masseinheit).is_null());
  EXPECT_EQ(table_.get(store::F::html_desc_1), Value::small_int(1));
  EXPECT_EQ(table_.text(store::F::FSK_18), "nein");
  EXPECT_EQ(table_.text(store::F::Preisvorschlag), "ja");
  EXPECT_EQ(table_.text(store::F::Beschreibung), "Händler´s Lager");  // copied unchanged
  EXPECT_EQ(table_.text(store::F::Kategorie_Nummer), "1112");
  EXPECT_TRUE(table_.get(store::F::Kategorie).is_null());
  EXPECT_EQ(table_.get(store::F::Startpreis), Value::amount(120));
  EXPECT_TRUE(table_.get(store::F::Sofortkauf).is_null());  // empty amount: null
  EXPECT_EQ(table_.text(store::F::Anzahl), "4");
  EXPECT_TRUE(table_.get(store::F::Verhalten).is_null());
  EXPECT_EQ(table_.text(store::F::minimum_preis_zeigen), "nicht erreicht");
  EXPECT_EQ(table_.text(store::F::Wiedereinstellen), "Bis verkauft");
  EXPECT_TRUE(table_.get(store::F::Zustand).is_null());
  EXPECT_EQ(table_.get(store::F::international), Value::flag(true));
  EXPECT_EQ(table_.get(store::F::Textmarker), Value::flag(false));
  EXPECT_TRUE(table_.get(store::F::Fettschrift).is_null());  // NULL column
  EXPECT_EQ(table_.get(store::F::p4), Value::flag(true));
  EXPECT_TRUE(table_.get(store::F::p1).is_null());
  for (store::F f : {store::F::Gebuehr, store::F::duration, store::F::payment, store::F::Bild4,
                     store::F::Artikelstatus, store::F::Info_1, store::F::Mitglied,
                     store::F::Erstellt, store::F::Kategorie_2}) {
    EXPECT_TRUE(table_.get(f).is_null()) << store::name_of(f);
  }
}

TEST_F(ImportRow, PicturesFollowTheRuleAndHostileNamesAreNotedNotFetched) {
  source_.files = {
      {"1.jpg", 10}, {"2.jpg", 5}, {"leer.jpg", 0}, {"riesig.jpg", kMaxPictureBytes + 1}};
  std::ofstream(folder_ / "2.jpg") << "lokal";  // present: kept as it is
  std::ofstream(folder_ / "nur_lokal.jpg") << "x";

  auto notes =
      fill({{"id", "7"}, {"pict_url", "1.jpg"}, {"pict_url2", "2.jpg"}, {"pict_url3", "leer.jpg"}});
  EXPECT_EQ(table_.text(store::F::Bild1), "1.jpg");
  EXPECT_EQ(table_.text(store::F::Bild2), "2.jpg");
  EXPECT_TRUE(table_.get(store::F::Bild3).is_null());
  // Only the local picture is asked about; the others are fetched straight away.
  EXPECT_EQ(source_.asked, std::vector<std::string>{"2.jpg"});
  EXPECT_EQ(source_.fetched, (std::vector<std::string>{"1.jpg", "leer.jpg"}));
  EXPECT_FALSE(fs::exists(folder_ / "leer.jpg"));
  EXPECT_EQ(fs::file_size(folder_ / "1.jpg"), 10u);
  EXPECT_EQ(fs::file_size(folder_ / "2.jpg"), 5u);  // "lokal" untouched
  EXPECT_EQ(notes, std::vector<std::string>{"Bild \"leer.jpg\" der Auktion 7 nicht übernommen: "
                                            "Die Datei auf dem Bildserver ist leer."});

  source_.asked.clear();
  source_.fetched.clear();
  notes = fill({{"id", "8"},
                {"pict_url", "nur_lokal.jpg"},
                {"pict_url2", "../../boese.jpg"},
                {"pict_url3", "riesig.jpg"}});
  EXPECT_TRUE(table_.get(store::F::Bild1).is_null());  // local, but not on the server
  EXPECT_TRUE(table_.get(store::F::Bild2).is_null());
  EXPECT_TRUE(table_.get(store::F::Bild3).is_null());
  EXPECT_EQ(source_.asked, std::vector<std::string>{"nur_lokal.jpg"});
  EXPECT_EQ(source_.fetched, std::vector<std::string>{"riesig.jpg"});
  EXPECT_FALSE(fs::exists(folder_ / "riesig.jpg"));
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0],
            "Bild \"nur_lokal.jpg\" der Auktion 8 nicht übernommen: Auf dem Bildserver nicht "
            "gefunden.");
  EXPECT_EQ(notes[1],
            "Bild \"../../boese.jpg\" der Auktion 8 nicht übernommen: Der Name enthält einen "
            "Pfadtrenner.");
  EXPECT_EQ(notes[2],
            "Bild \"riesig.jpg\" der Auktion 8 nicht übernommen: mit 16777217 Bytes größer als "
            "erlaubt (16777216 Bytes).");

  // An empty column is a picture that is not there; the server is not asked about it.
  source_.asked.clear();
  source_.fetched.clear();
  fill({{"id", "9"}, {"pict_url", ""}});
  EXPECT_TRUE(table_.get(store::F::Bild1).is_null());
  EXPECT_TRUE(source_.asked.empty());
  EXPECT_TRUE(source_.fetched.empty());
}

TEST_F(ImportRow, ANumberFieldThatCannotReadItsColumnThrows) {
  Record record = empty_record();
  auto row = [](std::string_view c) -> std::optional<std::string> {
    if (c == "title") return "ok";
    if (c == "minimum_bid") return "zwölf";
    return std::nullopt;
  };
  EXPECT_THROW(fill_record(record, row, four_payments(), source_, folder_.string() + "/", {}),
               Error);
  EXPECT_EQ(store::at(record, store::F::Artikelname),
            Value::text("ok"));  // filled in order up to the fault
}

TEST(ImportStatements, CountsAndChoices) {
  db::Connection db;  // quoting works without a connection
  EXPECT_EQ(count_statement(db, "42", false),
            "select * from auctions where (user='42' and closed=0) ");
  EXPECT_EQ(count_statement(db, "42", true),
            "select * from auctions where (user='42' and closed=1) ");
  EXPECT_EQ(import_statement(db, "42", {true, false}),
            "select * from auctions where user='42' and closed=0");
  EXPECT_EQ(import_statement(db, "42", {false, true}),
            "select * from auctions where user='42' and closed=1");
  EXPECT_EQ(import_statement(db, "42", {true, true}), "select * from auctions where user='42'");
  EXPECT_EQ(import_statement(db, "42", {false, false}), std::nullopt);
}

TEST(TransferBack, CopiesTheListedFieldsAsTypedValuesAndLeavesTheImportTable) {
  Table imports, articles;
  int fee_posts = 0;
  articles.set_post_rule([&](store::Record& r) {
    ++fee_posts;
    store::at(r, store::F::Gebuehr) = Value::amount(1.25);
  });
  for (const char* name : {"B", "C", "A"}) {
    imports.append();
    imports.set(store::F::Artikelname, Value::text(name));
    imports.set(store::F::Startpreis, Value::amount(2.5));
    imports.set(store::F::Gebuehr, Value::amount(99));
    imports.set(store::F::Bild4, Value::text("4.jpg"));  // not copied
    imports.set(store::F::Info_1, Value::text("frei"));  // not copied
    imports.set(store::F::p2, Value::flag(true));
    imports.post();
  }
  imports.sort(store::SortKind::AscendingNoCase, store::F::Artikelname);
  const auto before = imports.stored();

  imports.move_to(1);  // "B"
  transfer_back({imports.values()}, articles);
  transfer_back({imports.values()}, articles);  // nothing prevents duplicates
  const auto added = transfer_back(imports.shown(), articles);

  EXPECT_EQ(imports.stored(), before);
  ASSERT_EQ(articles.count(), 5u);
  EXPECT_EQ(added, (std::vector<Table::Key>(articles.stored_keys().begin() + 2,
                                            articles.stored_keys().end())));
  EXPECT_EQ(articles.position(), 0u);  // the first new article, and no other, became current
  std::vector<std::string> names;
  for (std::size_t i = 0; i < articles.count(); ++i) {
    const store::Record& r = articles.row(i);
    names.push_back(*store::at(r, store::F::Artikelname).as_string());
    EXPECT_EQ(store::at(r, store::F::Startpreis), Value::amount(2.5));
    EXPECT_EQ(store::at(r, store::F::Gebuehr), Value::amount(1.25));  // the hook's, not the copy's
    EXPECT_EQ(store::at(r, store::F::p2), Value::flag(true));
    EXPECT_TRUE(store::at(r, store::F::p1).is_null());  // not False
    EXPECT_TRUE(store::at(r, store::F::Bild4).is_null());
    EXPECT_TRUE(store::at(r, store::F::Info_1).is_null());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"B", "B", "A", "B", "C"}));
  EXPECT_EQ(fee_posts, 5);

  Table empty;
  EXPECT_TRUE(transfer_back(empty.shown(), articles).empty());
  EXPECT_EQ(articles.count(), 5u);
  transfer_back({empty.values()}, articles);  // one article without imported values
  EXPECT_EQ(articles.count(), 6u);
}

}  // namespace
}  // namespace tellvaro::importer
