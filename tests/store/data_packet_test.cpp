#include "store/data_packet.h"

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "store/table.h"
#include "support/temp_dir.h"
#include "text/error.h"

namespace tellvaro::store {
namespace {

using test::read_file;
using test::TempDir;
using test::write_file;

using Fields = std::initializer_list<std::pair<F, Value>>;

Record rec(Fields fields) {
  Record r = empty_record();
  for (const auto& [field, v] : fields) at(r, field) = v;
  return r;
}

constexpr std::string_view kDecl = "<?xml version=\"1.0\" standalone=\"yes\"?>";

// A packet with a hand-made field list and rows.
std::string packet(const std::string& fields, const std::string& rows) {
  return std::string(kDecl) + "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
         "</FIELDS><PARAMS/></METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>\r\n";
}

const std::string kNameField =
    "<FIELD attrname=\"Artikelname\" fieldtype=\"string\" WIDTH=\"50\"/>";
const std::string kPriceField =
    "<FIELD attrname=\"Startpreis\" fieldtype=\"r8\" subtype=\"Money\" WIDTH=\"9\"/>";

// The error text of parsing these bytes, or "" when they parse.
std::string refusal(const std::string& bytes, const std::string& name = "test.xml") {
  try {
    parse_table(bytes, name);
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

TEST(Template, ExactBytes) {
  const std::string& t = empty_table_bytes();
  const std::string head =
      std::string(kDecl) +
      "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
      "<FIELD attrname=\"Anzeigenart\" fieldtype=\"string\" WIDTH=\"50\"/>"
      "<FIELD attrname=\"Artikelstatus\" fieldtype=\"string\" WIDTH=\"128\"/>"
      "<FIELD attrname=\"Artikelgruppe\" fieldtype=\"string\" WIDTH=\"128\"/>"
      "<FIELD attrname=\"Artikelnummer\" fieldtype=\"string\" WIDTH=\"128\"/>"
      "<FIELD attrname=\"Geb\xFChr\" fieldtype=\"r8\" subtype=\"Money\" WIDTH=\"9\"/>"
      "<FIELD attrname=\"Artikelname\" fieldtype=\"string\" WIDTH=\"50\"/>";
  const std::string tail =
      "<FIELD attrname=\"Editiert\" fieldtype=\"string\" WIDTH=\"30\"/>"
      "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>\r\n";
  EXPECT_EQ(t.substr(0, head.size()), head);
  ASSERT_GE(t.size(), tail.size());
  EXPECT_EQ(t.substr(t.size() - tail.size()), tail);
  for (const char* element : {
           "<FIELD attrname=\"FSK 18\" fieldtype=\"string\" WIDTH=\"10\"/>"
           "<FIELD attrname=\"html_desc_1\" fieldtype=\"i2\"/>"
           "<FIELD attrname=\"Beschreibung\" fieldtype=\"bin.hex\" WIDTH=\"50\" SUBTYPE=\"Text\"/>",
           "<FIELD attrname=\"Top-Kategorie\" fieldtype=\"boolean\" />",
           "<FIELD attrname=\"Kategorie Nummer 2\" fieldtype=\"string\" WIDTH=\"11\"/>",
           "<FIELD attrname=\"shipping\" fieldtype=\"string\" WIDTH=\"1\"/>",
       }) {
    EXPECT_NE(t.find(element), std::string::npos) << element;
  }
  std::size_t fields = 0;
  for (auto at = t.find("<FIELD "); at != std::string::npos; at = t.find("<FIELD ", at + 1)) {
    ++fields;
  }
  EXPECT_EQ(fields, 81u);
  EXPECT_EQ(t.find('\n'), t.size() - 1);  // one line
  EXPECT_EQ(format_table({}), t);
}

TEST(Template, LoadsEmptyAndSavesTheSameBytes) {
  TempDir dir;
  write_file(dir / "t.xml", empty_table_bytes());
  Table table;
  table.replace_all({empty_record()});
  load_table(table, dir / "t.xml");
  EXPECT_EQ(table.count(), 0u);
  save_table(table, dir / "u.xml");
  EXPECT_EQ(read_file(dir / "u.xml"), empty_table_bytes());
}

TEST(RoundTrip, EveryKindSurvivesExactly) {
  std::string fifty_umlauts;
  for (int i = 0; i < 50; ++i) fifty_umlauts += "ü";
  const std::string html =
      "<html>\r\n<body class=\"neu\" title='x'>\r\n\t<p>Tom &amp; Jerry & Co. > 3 < 4</p>\n"
      "\t<p>Preis: 5 €, Grüße → 中 ½</p>\r\n</body>\r\n</html>\n";
  const std::vector<Record> records = {
      rec({{F::Anzeigenart, Value::text("Auktion")},
           {F::Gebuehr, Value::amount(1.25)},
           {F::Artikelname, Value::text(fifty_umlauts)},
           {F::FSK_18, Value::text("nein")},
           {F::html_desc_1, Value::small_int(1)},
           {F::Beschreibung, Value::text(html)},
           {F::Kategorie_2, Value::text("Uhren > Taschenuhren")},
           {F::Kategorie_Nummer, Value::text("1234")},
           {F::Kategorie_Nummer_2, Value::text("")},
           {F::Startpreis, Value::amount(0.99)},
           {F::Sofortkauf, Value::amount(1234567.5)},
           {F::Fettschrift, Value::flag(true)},
           {F::p15, Value::flag(false)},
           {F::Info_1, Value::text(std::string("\x01 Steuer\0zeichen\x7F", 17))},
           {F::Editiert, Value::text("„Zitat“ – Ž")}}),
      rec({{F::Artikelname, Value::text("Nur ein Feld")}}),
      empty_record(),
  };
  const std::string bytes = format_table(records);
  EXPECT_EQ(parse_table(bytes, "t.xml"), records);

  const std::string row = bytes.substr(bytes.find("<ROW "));
  for (const char* piece : {
           "<ROW Anzeigenart=\"Auktion\" Geb\xFChr=\"1.25\" Artikelname=\"\xFC\xFC",
           " FSK 18=\"nein\" html_desc_1=\"1\" Beschreibung=\"&lt;html&gt;&#13;&#10;&lt;body "
           "class=&quot;neu&quot; title='x'&gt;&#13;&#10;&#9;&lt;p&gt;Tom &amp;amp; Jerry &amp; "
           "Co. &gt; 3 &lt; 4&lt;/p&gt;&#10;&#9;&lt;p&gt;Preis: 5 \x80, Gr\xFC\xDF"
           "e &#8594; "
           "&#20013; \xBD",
           " Kategorie 2=\"Uhren &gt; Taschenuhren\" Kategorie Nummer=\"1234\" "
           "Kategorie Nummer 2=\"\" Startpreis=\"0.99\" Sofortkauf=\"1234567.5\" "
           "Fettschrift=\"TRUE\" p15=\"FALSE\" Info_1=\"&#1; Steuer&#0;zeichen\x7F\" "
           "Editiert=\"\x84Zitat\x93 \x96 \x8E\"/>",
           "<ROW Artikelname=\"Nur ein Feld\"/><ROW/></ROWDATA></DATAPACKET>\r\n",
       }) {
    EXPECT_NE(row.find(piece), std::string::npos) << piece;
  }
}

TEST(RoundTrip, ThroughFilesLongTextIsCut) {
  TempDir dir;
  Table table;
  table.append();
  table.set(F::Artikelname, Value::text(std::string(60, 'n')));
  table.set(F::Gebuehr, Value::amount(0.3));
  table.post();
  save_table(table, dir / "a.xml");
  Table back;
  load_table(back, dir / "a.xml");
  ASSERT_EQ(back.count(), 1u);
  EXPECT_EQ(back.text(F::Artikelname), std::string(50, 'n'));
  EXPECT_EQ(back.text(F::Gebuehr), "0.3");
  EXPECT_TRUE(back.get(F::Startpreis).is_null());
  EXPECT_EQ(read_file(dir / "a.xml"), format_table(back.stored()));
}

TEST(Reader, TakesOtherWritersForms) {
  // Pretty printed, a row state, PARAMS with attributes, single quotes, a raw '>', an end tag,
  // named and hex references, raw line breaks (which XML makes blanks), a comment.
  const std::string bytes =
      "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"
      "<DATAPACKET Version=\"2.0\">\n <METADATA>\n  <FIELDS>\n"
      "   <FIELD attrname=\"Artikelname\" fieldtype=\"string\" WIDTH=\"50\"/>\n"
      "   <FIELD attrname=\"FSK 18\" fieldtype=\"string\" WIDTH=\"10\"/>\n"
      "   <FIELD attrname=\"Geb\xFChr\" fieldtype=\"r8\" SUBTYPE=\"Money\" WIDTH=\"9\"/>\n"
      "   <FIELD attrname=\"Fettschrift\" fieldtype=\"boolean\"/>\n"
      "   <FIELD attrname=\"Beschreibung\" fieldtype=\"bin.hex\" subtype=\"Text\" WIDTH=\"50\"/>\n"
      "  </FIELDS>\n  <PARAMS CHANGE_LOG=\"1 0 4\" LCID=\"1031\"/>\n </METADATA>\n"
      " <ROWDATA>\n"
      "  <ROW RowState=\"4\" Artikelname='Uhr \"Gold\" > Silber' FSK 18 = \"ja\"/>\n"
      "  <!-- a comment -->\n"
      "  <ROW Geb\xFChr=\"2.5E1\" Fettschrift=\"True\" Beschreibung=\"a\r\nb\tc&#x41;&apos;\x80\">"
      "</ROW>\n"
      " </ROWDATA>\n</DATAPACKET>\n";
  const auto records = parse_table(bytes, "fremd.xml");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], rec({{F::Artikelname, Value::text("Uhr \"Gold\" > Silber")},
                             {F::FSK_18, Value::text("ja")}}));
  EXPECT_EQ(records[1], rec({{F::Gebuehr, Value::amount(25)},
                             {F::Fettschrift, Value::flag(true)},
                             {F::Beschreibung, Value::text("a b cA'€")}}));
}

TEST(Reader, HonoursAUtf8Declaration) {
  const std::string bytes =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
      "<FIELD attrname=\"Gebühr\" fieldtype=\"r8\"/>" +
      kNameField +
      "</FIELDS></METADATA><ROWDATA><ROW Gebühr=\"1\" Artikelname=\"Grüße €\"/></ROWDATA>"
      "</DATAPACKET>";
  EXPECT_EQ(parse_table(bytes, "u.xml"),
            (std::vector<Record>{
                rec({{F::Gebuehr, Value::amount(1)}, {F::Artikelname, Value::text("Grüße €")}})}));
}

TEST(Reader, ForeignFieldListsLoadWhenEveryFieldIsAnArticleField) {
  const auto records = parse_table(
      packet(kPriceField + kNameField, "<ROW Startpreis=\"3\" Artikelname=\"Uhr\" Extra=\"x\"/>"),
      "teil.xml");
  EXPECT_EQ(records, (std::vector<Record>{rec({{F::Startpreis, Value::amount(3)},
                                               {F::Artikelname, Value::text("Uhr")}})}));

  // A field not in the file's list is ignored in a row, even when it is an article field.
  EXPECT_EQ(parse_table(packet(kNameField, "<ROW Startpreis=\"3\"/>"), "t.xml"),
            (std::vector<Record>{empty_record()}));

  const std::pair<std::string, std::string> refused[] = {
      {"<FIELD attrname=\"Startpreis\" fieldtype=\"i4\"/>", "'Startpreis'"},
      {"<FIELD attrname=\"Artikelname\" fieldtype=\"r8\"/>", "'Artikelname'"},
      {"<FIELD attrname=\"Beschreibung\" fieldtype=\"bin.hex\" SUBTYPE=\"Binary\"/>",
       "'Beschreibung'"},
      {"<FIELD attrname=\"Lagerort\" fieldtype=\"string\" WIDTH=\"20\"/>", "'Lagerort'"},
      {"<FIELD attrname=\"artikelname\" fieldtype=\"string\" WIDTH=\"50\"/>", "'artikelname'"},
      {kNameField + kNameField, "'Artikelname'"},
  };
  for (const auto& [fields, named] : refused) {
    const std::string why = refusal(packet(fields, ""), "fremd.xml");
    EXPECT_NE(why.find(named), std::string::npos) << why;
    EXPECT_NE(why.find("'fremd.xml'"), std::string::npos) << why;
  }
}

TEST(Reader, RefusesMalformedFilesNamingThem) {
  const std::string good =
      packet(kNameField + kPriceField, "<ROW Artikelname=\"Uhr\" Startpreis=\"1.5\"/>");
  ASSERT_EQ(refusal(good), "");
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"blanks only", " \r\n"},
      {"not XML", "Artikelname;Startpreis\r\nUhr;1.5\r\n"},
      {"binary", std::string("\x89PNG\r\n\x1A\n\0\0\0", 11)},
      {"other XML", "<?xml version=\"1.0\"?><liste><eintrag/></liste>"},
      {"bad number", packet(kPriceField, "<ROW Startpreis=\"1,5\"/>")},
      {"bad flag", packet("<FIELD attrname=\"p1\" fieldtype=\"boolean\" />", "<ROW p1=\"ja\"/>")},
      {"bad small int", packet("<FIELD attrname=\"html_desc_1\" fieldtype=\"i2\"/>",
                               "<ROW html_desc_1=\"70000\"/>")},
      {"ROW outside ROWDATA",
       std::string(kDecl) + "<DATAPACKET><METADATA><FIELDS>" + kNameField +
           "</FIELDS></METADATA><ROW Artikelname=\"x\"/><ROWDATA></ROWDATA></DATAPACKET>"},
      {"ROW in METADATA", std::string(kDecl) + "<DATAPACKET><METADATA><FIELDS>" + kNameField +
                              "</FIELDS><ROW/></METADATA><ROWDATA></ROWDATA></DATAPACKET>"},
      {"no ROWDATA", std::string(kDecl) + "<DATAPACKET><METADATA><FIELDS>" + kNameField +
                         "</FIELDS></METADATA></DATAPACKET>"},
      {"no fields", packet("", "")},
      {"other element in ROWDATA", packet(kNameField, "<ROW/><ZEILE/>")},
      {"text in ROWDATA", packet(kNameField, "<ROW/>Uhr")},
      {"child in ROW", packet(kNameField, "<ROW><X/></ROW>")},
      {"raw < in value", packet(kNameField, "<ROW Artikelname=\"a<b\"/>")},
      {"unknown entity", packet(kNameField, "<ROW Artikelname=\"&nbsp;\"/>")},
      {"bare ampersand", packet(kNameField, "<ROW Artikelname=\"Tom & Jerry\"/>")},
      {"reference to a surrogate", packet(kNameField, "<ROW Artikelname=\"&#xD800;\"/>")},
      {"value without quotes", packet(kNameField, "<ROW Artikelname=Uhr/>")},
      {"attribute without value", packet(kNameField, "<ROW Artikelname/>")},
      {"attributes run together",
       packet(kNameField + kPriceField, "<ROW Artikelname=\"a\"Startpreis=\"1\"/>")},
      {"field twice in a row", packet(kNameField, "<ROW Artikelname=\"a\" Artikelname=\"b\"/>")},
      {"garbage after the end", good + "<ROW/>"},
      {"second document", good + good},
      {"unknown encoding",
       "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + good.substr(kDecl.size())},
      {"mismatched METADATA", std::string(kDecl) + "<DATAPACKET><METADATA><FIELDS>" + kNameField +
                                  "</METADATA><ROWDATA></ROWDATA></DATAPACKET>"},
  };
  for (const auto& [what, bytes] : cases) {
    const std::string why = refusal(bytes, "/pfad/artikel_db.xml");
    EXPECT_NE(why.find("Die Datei '/pfad/artikel_db.xml'"), std::string::npos)
        << what << ": " << why;
  }
}

TEST(Reader, RefusesEveryTruncation) {
  const std::string good = format_table(
      {rec({{F::Artikelname, Value::text("Uhr")}, {F::Beschreibung, Value::text("a\r\nb & c")}}),
       rec({{F::FSK_18, Value::text("ja")}, {F::Startpreis, Value::amount(12.5)}})});
  const std::size_t end = good.rfind('>') + 1;  // the closing CR LF may go
  for (std::size_t cut = 0; cut < end; ++cut) {
    EXPECT_NE(refusal(good.substr(0, cut)), "") << "cut at " << cut;
  }
  EXPECT_EQ(refusal(good.substr(0, end)), "");
}

TEST(LoadTable, ErrorLeavesTheTableAsItWas) {
  TempDir dir;
  Table table;
  table.replace_all(
      {rec({{F::Artikelname, Value::text("B")}}), rec({{F::Artikelname, Value::text("A")}})});
  table.sort(SortKind::AscendingCase, F::Artikelname);
  table.last();
  const auto before = table.stored();
  write_file(dir / "kaputt.xml", packet(kPriceField, "<ROW Startpreis=\"x\"/>"));
  write_file(dir / "fremd.xml", packet("<FIELD attrname=\"Farbe\" fieldtype=\"string\"/>", ""));
  for (const char* name : {"kaputt.xml", "fremd.xml", "fehlt.xml"}) {
    try {
      load_table(table, dir / name);
      ADD_FAILURE() << name;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(dir / name), std::string::npos) << e.what();
    }
    EXPECT_EQ(table.stored(), before);
    EXPECT_EQ(table.position(), 1u);
    EXPECT_EQ(table.text(F::Artikelname), "B");
  }
}

TEST(LoadTable, LargeRowsAcrossReadBuffers) {
  TempDir dir;
  std::vector<Record> records;
  for (int i = 0; i < 3; ++i) {
    std::string memo(3'000'000 + i, 'a');
    memo[1000] = '&';
    memo[2'500'000] = '"';
    records.push_back(rec(
        {{F::Beschreibung, Value::text(memo)}, {F::Artikelname, Value::text(std::to_string(i))}}));
  }
  write_file(dir / "gross.xml", format_table(records));
  Table table;
  load_table(table, dir / "gross.xml");
  EXPECT_EQ(table.stored(), records);
}

TEST(SaveTable, PostsAPendingEditAndWritesAllRecordsWhateverTheFilter) {
  TempDir dir;
  Table table;
  table.replace_all(
      {rec({{F::Artikelname, Value::text("Uhr")}}), rec({{F::Artikelname, Value::text("Sofa")}})});
  table.sort(SortKind::AscendingCase, F::Artikelname);
  table.set_filter("[Artikelname] like '%Uhr%'");
  table.set_filtered(true);
  table.set(F::Startpreis, Value::amount(4));
  save_table(table, dir / "a.xml");
  EXPECT_EQ(table.state(), EditState::Browse);
  const auto saved = parse_table(read_file(dir / "a.xml"), "a.xml");
  EXPECT_EQ(saved, (std::vector<Record>{rec({{F::Artikelname, Value::text("Uhr")},
                                             {F::Startpreis, Value::amount(4)}}),
                                        rec({{F::Artikelname, Value::text("Sofa")}})}));

  table.append();  // an untouched insert is not saved
  save_table(table, dir / "a.xml");
  EXPECT_EQ(parse_table(read_file(dir / "a.xml"), "a.xml").size(), 2u);
}

TEST(SaveTable, FailureKeepsTheOldFileAndTheTable) {
  TempDir dir;
  const std::string path = dir / "artikel_db.xml";
  Table table;
  table.replace_all({rec({{F::Artikelname, Value::text("alt")}})});
  save_table(table, path);
  const std::string old_bytes = read_file(path);

  std::vector<Record> big;
  for (int i = 0; i < 20; ++i) {
    big.push_back(rec({{F::Beschreibung, Value::text(std::string(4000, 'x'))}}));
  }
  table.replace_all(big);

  // A full disk mid-save, simulated by a file size limit.
  struct rlimit old_limit {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 10000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string why;
  try {
    save_table(table, path);
  } catch (const Error& e) {
    why = e.what();
  }
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);

  EXPECT_NE(why.find("'" + path + "' konnte nicht gespeichert werden"), std::string::npos) << why;
  EXPECT_EQ(read_file(path), old_bytes);
  EXPECT_EQ(table.stored(), big);
  std::size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir / "")) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1u);  // no temporary file left behind
}

TEST(SaveTable, UnwritableTargetsAreErrors) {
  TempDir dir;
  std::filesystem::create_directory(dir / "ordner.xml");
  Table table;
  table.replace_all({empty_record()});
  for (const std::string& path : {dir / "ordner.xml", dir / "fehlt/a.xml"}) {
    try {
      save_table(table, path);
      ADD_FAILURE() << path;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("'" + path + "'"), std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir / "ordner.xml"));
  EXPECT_TRUE(std::filesystem::is_empty(dir / "ordner.xml"));
  std::size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir / "")) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1u);
}

}  // namespace
}  // namespace tellvaro::store
