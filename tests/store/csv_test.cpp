#include "store/csv.h"

#include <gtest/gtest.h>

#include "store/table.h"
#include "support/temp_dir.h"
#include "text/error.h"

namespace tellvaro::store {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

std::string field_text(const Record& r, F field) { return to_text(at(r, field), field_of(field)); }

struct ReadCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> names;  // `Artikelname` of each record read
  std::vector<std::size_t> skipped;
  std::string problem;  // a piece of the first problem, empty for none
};

TEST(CsvRead, Cases) {
  const ReadCase cases[] = {
      {"semicolon, UTF-8 with BOM",
       "\xEF\xBB\xBF"
       "Artikelname;Startpreis\r\nZündkerze;1.5\r\nÖlfilter;\r\n",
       {"Zündkerze", "Ölfilter"},
       {},
       ""},
      {"comma, no BOM, LF", "Artikelname,Startpreis\nA,1\nB,2", {"A", "B"}, {}, ""},
      {"Windows-1252",
       "Artikelname;Geb\xFChr\r\nZ\xFCndkerze \x80;0.5\r\n",
       {"Zündkerze €"},
       {},
       ""},
      {"quotes, separators and line breaks inside",
       "Artikelname;Beschreibung;Startpreis\r\n"
       "\"Reifen \"\"Winter\"\"; 4 Stück\";\"Zeile 1\r\nZeile 2\nZeile 3\";1\r\n"
       "B;x;zwei\r\n",
       {"Reifen \"Winter\"; 4 Stück"},
       {5},
       "Zeile 5, Spalte 3 (Startpreis)"},
      {"bad number leaves the row out whole",
       "Artikelname;Startpreis;Anzahl\nA;1,50;3\nB;2;4\n",
       {"B"},
       {2},
       "Zeile 2, Spalte 2 (Startpreis)"},
      {"bad flag and a bad small integer",
       "Artikelname;Fettschrift;html_desc_1\nA;ja;1\nB;true;70000\nC;FALSE;0\n",
       {"C"},
       {2, 3},
       "Zeile 2, Spalte 2 (Fettschrift)"},
      {"text after a closing quote",
       "Artikelname;Anzahl\n\"A\"x;1\nB;2\n",
       {"B"},
       {2},
       "Zeile 2, Spalte 1"},
      {"value beyond the header", "Artikelname\nA;verloren\nB;\n", {"B"}, {2}, "Zeile 2, Spalte 2"},
      {"empty lines and header blanks", "\n Artikelname ;Anzahl\n\nA;1\n\n", {"A"}, {}, ""},
      {"header only", "Artikelname;Anzahl\r\n", {}, {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CsvImport got = read_articles_csv(c.bytes);
    std::vector<std::string> names;
    for (const auto& r : got.records) names.push_back(field_text(r, F::Artikelname));
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(got.skipped_lines, c.skipped);
    if (c.problem.empty()) {
      EXPECT_TRUE(got.problems.empty());
    } else {
      ASSERT_FALSE(got.problems.empty());
      EXPECT_NE(got.problems[0].find(c.problem), std::string::npos) << got.problems[0];
    }
  }
}

TEST(CsvRead, ValuesFollowTheRecordsTextRules) {
  CsvImport got = read_articles_csv(
      "Artikelname;Startpreis;html_desc_1;Fettschrift;Einheiten;Beschreibung\n"
      "Ein sehr langer Artikelname, der weit über fünfzig Zeichen hinausgeht;12.50;1;TRUE;"
      "123456789;\n");
  ASSERT_EQ(got.records.size(), 1u);
  const Record& r = got.records[0];
  EXPECT_EQ(field_text(r, F::Artikelname), "Ein sehr langer Artikelname, der weit über fünfzig");
  EXPECT_EQ(at(r, F::Startpreis), Value::amount(12.5));
  EXPECT_EQ(at(r, F::html_desc_1), Value::small_int(1));
  EXPECT_EQ(at(r, F::Fettschrift), Value::flag(true));
  EXPECT_EQ(field_text(r, F::Einheiten), "1234567");
  EXPECT_TRUE(at(r, F::Beschreibung).is_null());  // an empty cell is no value
  EXPECT_TRUE(at(r, F::Mindestpreis).is_null());  // a field without column too
}

TEST(CsvRead, UnreadableFilesSayWhy) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "leer"},
      {"\xEF\xBB\xBF", "leer"},
      {"\n\r\n", "leer"},
      {"Artikelname;Preis\nA;1\n", "Zeile 1, Spalte 2: \"Preis\" ist kein Feld"},
      {"Artikelname;Anzahl;Artikelname\nA;1;B\n", "Zeile 1, Spalte 3"},
      {"Artikelname\nA\n\"B\nC\n", "Zeile 3: ein Anführungszeichen"},
      {std::string("\xFF\xFE"
                   "A\0r\0",
                   6),
       "UTF-16"},
      {std::string("Artikelname\nA\0B\n", 15), "Null-Bytes"},
      {"\xEF\xBB\xBF"
       "Artikelname\nZ\xFC"
       "ndkerze\n",
       "kein UTF-8"},
  };
  for (const auto& [bytes, message] : cases) {
    SCOPED_TRACE(message);
    try {
      (void)read_articles_csv(bytes);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  }
}

TEST(CsvRead, EachRecordKnowsItsLineAndItsPictureCellsWhole) {
  const std::string path = "/home/verkauf/Bilder/2026/Dezember/Sommerreifen-vorne-links.jpg";
  const CsvImport r = read_articles_csv(
      "Bild2;Artikelname;Startpreis\r\n"
      "\"" +
      path +
      "\";Erster;1\r\n"
      "x;Kaputt;zwei\r\n"
      "\"zwei\r\nZeilen\";Dritter;3\r\n"
      ";Vierter;4\r\n");
  ASSERT_EQ(r.records.size(), 3u);
  ASSERT_EQ(r.sources.size(), 3u);
  EXPECT_EQ(r.sources[0].line, 2u);
  EXPECT_EQ(r.sources[1].line, 4u);
  EXPECT_EQ(r.sources[2].line, 6u);
  // The field keeps what its width allows; the source keeps the path.
  EXPECT_EQ(field_text(r.records[0], F::Bild2), path.substr(0, 30));
  EXPECT_EQ(r.sources[0].pictures[1], path);
  EXPECT_EQ(r.sources[0].pictures[0], "");
  EXPECT_EQ(r.sources[1].pictures[1], "zwei\r\nZeilen");
  EXPECT_EQ(r.sources[2].pictures[1], "");
}

TEST(CsvRead, SeparatorComesFromTheHeaderOutsideQuotes) {
  EXPECT_EQ(detect_separator("\"a;b;c\",d,e\nx;y;z;w"), ',');
  EXPECT_EQ(detect_separator("a;b,c"), ';');
  EXPECT_EQ(detect_separator("Artikelname"), ';');
}

Record awkward() {
  Record r = empty_record();
  auto set = [&](F f, Value v) { at(r, f) = std::move(v); };
  set(F::Artikelname, Value::text("\"Zündkerze\"; Satz, 4 Stück"));
  set(F::Untertitel, Value::text("  Blanks vorn und hinten  "));
  set(F::Beschreibung, Value::text("<p class=\"x\">Zeile 1</p>\r\nZeile 2\nZeile 3\r;\"\"\r\n"));
  set(F::Zustand, Value::text("€ ß ÄÖÜ 😀 \t Tab"));
  set(F::Kategorie, Value::text("Auto & Motorrad > Ersatzteile > Zündkerzen"));
  set(F::Gebuehr, Value::amount(0.35));
  set(F::Startpreis, Value::amount(1234567.89));
  set(F::Sofortkauf, Value::amount(-0.01));
  set(F::Versandpreis_1, Value::amount(0));
  set(F::html_desc_1, Value::small_int(-32768));
  set(F::Fettschrift, Value::flag(true));
  set(F::p15, Value::flag(false));
  set(F::Info_1, Value::text("="));
  set(F::Editiert, Value::text("\"\""));
  return r;
}

TEST(CsvRoundTrip, AwkwardArticlesComeBackEqual) {
  Record first = awkward();
  Record second = empty_record();
  at(second, F::Artikelname) = Value::text("Nur der Name");
  const std::string bytes = write_articles_csv({first, second});
  ASSERT_TRUE(
      bytes.starts_with("\xEF\xBB\xBF"
                        "Anzeigenart;Artikelstatus;"));
  CsvImport back = read_articles_csv(bytes);
  EXPECT_TRUE(back.problems.empty());
  ASSERT_EQ(back.records.size(), 2u);
  EXPECT_EQ(back.records[0], first);
  EXPECT_EQ(back.records[1], second);
}

// A text a spreadsheet would run is written with a leading apostrophe and comes back exactly;
// numbers, negative ones included, stay numbers; an apostrophe of the text itself survives.
TEST(CsvRoundTrip, FormulaTextsAreWrittenInertAndComeBackExactly) {
  struct Case {
    std::string text;
    std::string written;  // the cell in the file
  };
  const Case cases[] = {
      {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
      {"+49 30 1234", "'+49 30 1234"},
      {"-Rabatt", "'-Rabatt"},
      {"@SUMME(A1)", "'@SUMME(A1)"},
      {"\tTab", "'\tTab"},
      {"\rZeile", "\"'\rZeile\""},
      {"'=schon markiert", "''=schon markiert"},
      {"''", "'''"},
      {"'Apostroph", "'Apostroph"},
      {"-12.5", "-12.5"},
      {"-3", "-3"},
      {"+7,25", "+7,25"},
      {"Lampe = hell", "Lampe = hell"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(csv_line({c.text, "x"}), c.written + ";x\r\n");
    Record r = empty_record();
    at(r, F::Artikelname) = Value::text(c.text);
    at(r, F::Beschreibung) = Value::text(c.text);
    CsvImport back = read_articles_csv(write_articles_csv({r}));
    ASSERT_EQ(back.records.size(), 1u) << (back.problems.empty() ? "" : back.problems[0]);
    EXPECT_EQ(back.records[0], r);
  }
  // A negative amount is written as the number it is.
  Record r = empty_record();
  at(r, F::Startpreis) = Value::amount(-2.5);
  EXPECT_NE(write_articles_csv({r}).find(";-2.5;"), std::string::npos);
}

TEST(CsvFiles, ExportNameGetsAnExtensionWhenItHasNone) {
  const std::pair<const char*, const char*> cases[] = {
      {"/home/a/artikel", "/home/a/artikel.csv"},
      {"/home/a/artikel.csv", "/home/a/artikel.csv"},
      {"/home/a/artikel.txt", "/home/a/artikel.txt"},
      {"/home/a.b/artikel", "/home/a.b/artikel.csv"},
      {"/home/a/.artikel", "/home/a/.artikel.csv"},
  };
  for (auto [typed, path] : cases) EXPECT_EQ(with_csv_extension(typed), path) << typed;
}

TEST(CsvFiles, ImportAppendsAndPostsEachGoodRowThroughTheHooks) {
  TempDir dir;
  Table articles;
  articles.set_post_rule([](Record& r) { at(r, F::Gebuehr) = Value::amount(0.5); });
  articles.append();
  articles.set(F::Artikelname, Value::text("Schon da"));
  articles.post();

  write_file(dir / "bad.csv", "Artikelname;Menge\nA;1\n");
  EXPECT_THROW(import_articles_csv(articles, dir / "bad.csv"), Error);
  EXPECT_THROW(import_articles_csv(articles, dir / "fehlt.csv"), Error);
  EXPECT_EQ(articles.count(), 1u);

  write_file(dir / "in.csv", "Artikelname;Startpreis\nA;1\nB;x\nC;3\n");
  CsvImport got = import_articles_csv(articles, dir / "in.csv");
  EXPECT_EQ(got.records.size(), 2u);
  ASSERT_EQ(articles.count(), 3u);
  EXPECT_EQ(articles.state(), EditState::Browse);
  for (std::size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(articles.row(i)[index_of(F::Gebuehr)], Value::amount(0.5));
  }
  EXPECT_EQ(import_summary(got),
            "2 Artikel wurden importiert.\n\nAusgelassene Zeilen: 3\n\n"
            "Zeile 3, Spalte 2 (Startpreis): Feld 'Startpreis': 'x' ist keine gültige Zahl.");

  // A record the table refuses in the middle: the result names the ones stored, not the first two.
  articles.set_post_rule([](Record& r) {
    if (field_text(r, F::Artikelname) == "E") throw Error("E passt nicht.");
  });
  write_file(dir / "refused.csv", "Artikelname\nD\nE\nF\n");
  got = import_articles_csv(articles, dir / "refused.csv");
  ASSERT_EQ(articles.count(), 5u);
  ASSERT_EQ(got.records.size(), 2u);
  ASSERT_EQ(got.sources.size(), 2u);
  EXPECT_EQ(field_text(got.records[0], F::Artikelname), "D");
  EXPECT_EQ(field_text(got.records[1], F::Artikelname), "F");
  EXPECT_EQ(got.sources[1].line, 4u);
  EXPECT_EQ(got.problems.back(), "Ein Artikel wurde nicht gespeichert: E passt nicht.");
}

TEST(CsvFiles, ExportWritesWhatTheFilterShowsAndImportsBackEqual) {
  TempDir dir;
  Table articles;
  for (const char* name : {"Reifen", "Felge", "Winterreifen"}) {
    articles.append();
    articles.set_values(awkward());
    articles.set(F::Artikelname, Value::text(name));
    articles.post();
  }
  articles.set_filter(Table::like_expression(F::Artikelname, "reifen"));
  articles.set_filtered(true);
  ASSERT_EQ(articles.count(), 1u);  // letter case counts: "Winterreifen"
  // An edit not yet posted belongs in the file.
  articles.set(F::Artikelstatus, Value::text("neu"));
  EXPECT_EQ(export_articles_csv(articles, dir / "out.csv"), 1u);

  Table back;
  CsvImport got = import_articles_csv(back, dir / "out.csv");
  ASSERT_EQ(back.count(), 1u);
  EXPECT_EQ(back.row(0), articles.row(0));
  EXPECT_EQ(field_text(back.row(0), F::Artikelstatus), "neu");

  EXPECT_THROW(export_articles_csv(articles, dir / "kein/ordner.csv"), Error);
}

}  // namespace
}  // namespace tellvaro::store
