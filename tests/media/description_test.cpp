#include <gtest/gtest.h>

#include "media/description.h"
#include "store/description_frames.h"
#include "store/table.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "text/error.h"

using namespace tellvaro;
using namespace tellvaro::media;

TEST(Description, LinesAndCharacterSets) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string text;
  } cases[] = {
      {"empty file", "", ""},
      {"one line without break", "<b>fett</b>", "<b>fett</b>"},
      {"final break adds no line", "a\nb\n", "a\r\nb"},
      {"CR LF and LF mixed", "a\r\nb\nc\r\n", "a\r\nb\r\nc"},
      {"empty lines kept", "\n\nx\n\n", "\r\n\r\nx\r\n"},
      {"lone CR stays in its line", "a\rb\n", "a\rb"},
      {"UTF-8",
       "Gr\xC3\xB6\xC3\x9F"
       "e \xE2\x82\xAC",
       "Größe €"},
      {"UTF-8 with BOM",
       "\xEF\xBB\xBFM\xC3\xBC"
       "ller\r\n",
       "Müller"},
      {"Windows-1252",
       "Gr\xF6\xDF"
       "e \x80",
       "Größe €"},
      {"mostly UTF-8, one stray byte", "\xC3\xBC \xFC", "Ã¼ ü"},
      {"overlong form is no UTF-8", "\xC0\xAF", "À¯"},
      {"cut-off sequence at the end", "ab\xE2\x82", "abâ‚"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(description_text(c.bytes), c.text) << c.what;
  }
}

TEST(Description, LoadWritesTheFieldAndPosts) {
  test::TempDir dir;
  store::Table articles;
  test::ScriptedDialogs dialogs;
  articles.append();
  articles.set_text(store::F::Beschreibung, "alt");
  articles.post();

  EXPECT_FALSE(load_description(articles, dialogs));  // cancelled
  EXPECT_EQ(articles.text(store::F::Beschreibung), "alt");

  test::write_file(dir / "d.html", "<p>neu</p>\n<p>zwei</p>");
  dialogs.files = {dir / "d.html"};
  EXPECT_TRUE(load_description(articles, dialogs));
  EXPECT_EQ(articles.text(store::F::Beschreibung), "<p>neu</p>\r\n<p>zwei</p>");
  EXPECT_EQ(articles.state(), store::EditState::Browse);

  // The file replaces the seller's own text, not the frame he chose.
  articles.edit();
  articles.set_text(store::F::Beschreibung, store::with_frame("alt", "Shop"));
  articles.post();
  dialogs.files = {dir / "d.html"};
  EXPECT_TRUE(load_description(articles, dialogs));
  EXPECT_EQ(articles.text(store::F::Beschreibung),
            store::with_frame("<p>neu</p>\r\n<p>zwei</p>", "Shop"));

  articles.edit();
  articles.set_text(store::F::Beschreibung, "");
  articles.post();
  test::write_file(dir / "leer.txt", "");
  dialogs.files = {dir / "leer.txt"};
  load_description(articles, dialogs);
  EXPECT_EQ(articles.text(store::F::Beschreibung), "");

  // A file that cannot be opened: reported, the article in editing with its text unchanged.
  articles.set_text(store::F::Beschreibung, "bleibt");
  articles.post();
  dialogs.files = {dir / "fehlt.txt"};
  EXPECT_THROW(load_description(articles, dialogs), Error);
  EXPECT_EQ(articles.text(store::F::Beschreibung), "bleibt");
  EXPECT_EQ(articles.state(), store::EditState::Edit);
}

TEST(Description, PreviewPutsThePolicyFirstButAfterADoctype) {
  const std::string meta = "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
                           std::string(kPreviewPolicy) + "\">";
  struct Case {
    std::string in, out;
  } cases[] = {
      {"", meta},
      {"<p>Text</p>", meta + "<p>Text</p>"},
      // Before a doctype the page would fall back to quirks mode.
      {"<!DOCTYPE html>\r\n<html>", "<!DOCTYPE html>" + meta + "\r\n<html>"},
      {" \r\n<!doctype html><p>", " \r\n<!doctype html>" + meta + "<p>"},
      {"<!DOCTYPE html", meta + "<!DOCTYPE html"},  // no end: nothing to skip
  };
  for (const auto& c : cases) EXPECT_EQ(preview_document(c.in), c.out) << c.in;
}
