#include "store/description_frames.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "text/error.h"

namespace tellvaro::store {
namespace {

constexpr std::string_view kFrame =
    "<div class=\"shop\">{Beschreibung}</div>\r\n"
    "<style>.shop { border: 1px solid #ccc; } p{margin:0}</style>\r\n"
    "<p>{Artikelname} ab {Startpreis} EUR, Versand {Versandpreis_1} EUR ({Versand_1})</p>\r\n"
    "<h3>Impressum</h3><p>Hans Händler, Musterweg 1, 12345 Musterstadt</p>\r\n"
    "<h3>Widerrufsbelehrung</h3><p>Sie haben das Recht, binnen vierzehn Tagen ...</p>";

Record article(std::string description) {
  Record r = empty_record();
  at(r, F::Artikelname) = Value::text("Vase <groß> & \"edel\"");
  at(r, F::Startpreis) = Value::amount(12.5);
  at(r, F::Versandpreis_1) = Value::amount(4.9);
  at(r, F::Versand_1) = Value::text("DHL Paket");
  at(r, F::Fettschrift) = Value::flag(true);
  at(r, F::Beschreibung) = Value::text(std::move(description));
  return r;
}

// Whatever the seller's text holds, choosing and removing a frame gives it back byte for byte,
// and a frame chosen again replaces the first.
TEST(DescriptionFrames, MarkerKeepsTheSellersTextByteForByte) {
  const std::string texts[] = {
      "",
      "Schöne Vase.",
      "\r\nbeginnt mit einer Leerzeile\r\n",
      "<!-- ein Kommentar des Verkäufers -->\r\nText",
      "<!--Vorlage: kaputt--name-->\r\nsieht aus wie eine Markierung, ist aber keine",
      "Apostroph ' und {Artikelname} bleiben \xE2\x82\xAC",
  };
  for (const std::string& own : texts) {
    SCOPED_TRACE(own);
    EXPECT_EQ(frame_of(own), std::nullopt);
    const std::string framed = with_frame(own, "Shop Design");
    EXPECT_EQ(frame_of(framed), "Shop Design");
    EXPECT_EQ(own_text(framed), own);
    const std::string other = with_frame(framed, "Rechtstexte 2027");
    EXPECT_EQ(frame_of(other), "Rechtstexte 2027");
    EXPECT_EQ(with_frame(other, ""), own);
  }
}

TEST(DescriptionFrames, NamesThatCannotNameAFrame) {
  for (std::string_view bad : {"", "  ", " Shop", "Shop.", ".versteckt", "a/b", "a\\b", "x--y",
                               "a>b", "a{b}", "Zeile\nZwei", "a:b", "(keine Vorlage)"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(frame_name_problem(bad).empty());
  }
  for (std::string_view good : {"Shop", "Rechtstexte 2027", "Über-uns_v2", "A"})
    EXPECT_EQ(frame_name_problem(good), "") << good;
  EXPECT_FALSE(frame_name_problem(std::string(61, 'x')).empty());
}

TEST(DescriptionFrames, PlaceholdersNamingNoFieldAreRefused) {
  struct Case {
    std::string_view frame;
    std::string_view problem;  // a part of the message; empty: sound
  } cases[] = {
      {kFrame, ""},
      {"{Beschreibung} {FSK 18} {Preisvorschlag-Minimum} {Gebühr} {p3}", ""},
      {"{Beschreibung} { Unbekannt } {x:1} {} {{Beschreibung}}x", "mehr als einmal"},
      {"{Beschreibung}<p>{Unbekannt}</p>", "den Platzhalter {Unbekannt}, der kein Feld"},
      {"{Beschreibung}{Foo}{Bar}{Foo}", "die Platzhalter {Foo} und {Bar}, die kein Feld"},
      {"{Beschreibung} {artikelname}", "Meinten Sie {Artikelname}?"},
      {"<p>{Artikelname}</p>", "keinen Platzhalter {Beschreibung}"},
      {"<!--Vorlage: Shop-->{Beschreibung}", "nicht mit dem Kommentar"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    const std::string problem = frame_problem(c.frame);
    if (c.problem.empty()) {
      EXPECT_EQ(problem, "");
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
  }
}

TEST(DescriptionFrames, FillPutsInTheSellersTextAndTheFields) {
  const Record a = article(with_frame("<b>Rarität</b> mit {Klammern}\r\n", "Shop"));
  EXPECT_EQ(fill_frame(kFrame, a),
            "<div class=\"shop\"><b>Rarität</b> mit {Klammern}\r\n</div>\r\n"
            "<style>.shop { border: 1px solid #ccc; } p{margin:0}</style>\r\n"
            "<p>Vase &lt;groß&gt; &amp; &quot;edel&quot; ab 12.50 EUR, Versand 4.90 EUR "
            "(DHL Paket)</p>\r\n"
            "<h3>Impressum</h3><p>Hans Händler, Musterweg 1, 12345 Musterstadt</p>\r\n"
            "<h3>Widerrufsbelehrung</h3><p>Sie haben das Recht, binnen vierzehn Tagen ...</p>");
  // Empty fields give nothing, flags read "ja"/"nein".
  EXPECT_EQ(fill_frame("[{Sofortkauf}|{Fettschrift}|{Textmarker}|{Zustand}]{Beschreibung}", a),
            "[|ja||]<b>Rarität</b> mit {Klammern}\r\n");
}

struct FrameFolderTest : ::testing::Test {
  test::TempDir root;
  FrameFolder frames{root.folder()};
  std::string file(std::string_view name) const {
    return root / ("files/vorlagen/" + std::string(name) + ".html");
  }
};

TEST_F(FrameFolderTest, CreateReadRenameRemove) {
  EXPECT_TRUE(frames.names().empty());
  frames.create("Shop", "<p>{Beschreibung}</p>\n<p>Impressum</p>");
  frames.create("agb", "{Beschreibung}");
  EXPECT_EQ(frames.names(), (std::vector<std::string>{"agb", "Shop"}));
  // Stored with the line breaks of every description.
  EXPECT_EQ(test::read_file(file("Shop")), "<p>{Beschreibung}</p>\r\n<p>Impressum</p>");
  EXPECT_EQ(frames.read("Shop"), "<p>{Beschreibung}</p>\r\n<p>Impressum</p>");
  EXPECT_THROW(frames.create("SHOP", "{Beschreibung}"), Error);

  frames.rename("Shop", "Shop 2027");
  EXPECT_EQ(frames.names(), (std::vector<std::string>{"agb", "Shop 2027"}));
  EXPECT_THROW(frames.rename("agb", "shop 2027"), Error);
  frames.rename("agb", "AGB");  // only the letter case
  frames.remove("AGB");
  EXPECT_EQ(frames.names(), (std::vector<std::string>{"Shop 2027"}));
  EXPECT_THROW(frames.remove("AGB"), Error);
}

TEST_F(FrameFolderTest, RefusedSaveKeepsTheOldFrame) {
  frames.save("Shop", "<p>{Beschreibung}</p>");
  try {
    frames.save("Shop", "{Beschreibung} {Unbekannt}");
    FAIL() << "saved";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("{Unbekannt}"), std::string::npos);
  }
  EXPECT_THROW(frames.save("a/b", "{Beschreibung}"), Error);
  EXPECT_EQ(test::read_file(file("Shop")), "<p>{Beschreibung}</p>");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e :
       std::filesystem::directory_iterator(root / "files/vorlagen"))
    ++files;
  EXPECT_EQ(files, 1u);
}

TEST_F(FrameFolderTest, FramedDescriptionOrWhyNot) {
  frames.save("Shop", kFrame);
  const std::string own = "Schöne Vase, kaum benutzt.";
  const auto sent = frames.framed(article(with_frame(own, "Shop")));
  EXPECT_EQ(sent.problem, "");
  EXPECT_EQ(sent.text, fill_frame(kFrame, article(own)));
  EXPECT_EQ(frames.framed(article(own)).text, own);

  const auto missing = frames.framed(article(with_frame(own, "Weg")));
  EXPECT_EQ(missing.text, "");
  EXPECT_NE(missing.problem.find("Die Vorlage \"Weg\" der Beschreibung fehlt"), std::string::npos);

  // Changed by hand with another editor: a placeholder naming no field, or Windows-1252 bytes.
  test::write_file(file("Kaputt"), "{Beschreibung} {Versandkosten}");
  const auto broken = frames.framed(article(with_frame(own, "Kaputt")));
  EXPECT_NE(broken.problem.find("\"Kaputt\" der Beschreibung ist fehlerhaft"), std::string::npos)
      << broken.problem;
  EXPECT_NE(broken.problem.find("{Versandkosten}"), std::string::npos);
  test::write_file(file("Alt"), "{Beschreibung} \xE4\x80");
  EXPECT_EQ(frames.framed(article(with_frame("x", "Alt"))).text, "x ä€");
}

TEST(DescriptionFrames, RenamedFrameDescription) {
  EXPECT_EQ(renamed_frame_description(article(with_frame("x", "A")), "A", "B"),
            with_frame("x", "B"));
  EXPECT_EQ(renamed_frame_description(article(with_frame("x", "C")), "A", "B"), std::nullopt);
  EXPECT_EQ(renamed_frame_description(article("x"), "A", "B"), std::nullopt);
}

}  // namespace
}  // namespace tellvaro::store
