#include "presentation/description_frames.h"

#include <gtest/gtest.h>

#include "store/description_frames.h"
#include "support/temp_dir.h"

namespace tellvaro::presentation {
namespace {

TEST(FrameChoice, NoneTheFramesAndAMissingOneKeptVisible) {
  const std::vector<std::string> names = {"AGB", "Shop"};
  EXPECT_EQ(frame_choice(names, "Text"),
            (FrameChoice{{"(keine Vorlage)", "AGB", "Shop"}, {"", "AGB", "Shop"}, 0}));
  EXPECT_EQ(frame_choice(names, store::with_frame("Text", "Shop")).current, 2);
  EXPECT_EQ(frame_choice(names, store::with_frame("Text", "Alt")),
            (FrameChoice{
                {"(keine Vorlage)", "AGB", "Shop", "Alt (fehlt)"}, {"", "AGB", "Shop", "Alt"}, 3}));
  EXPECT_EQ(frame_choice({}, ""), (FrameChoice{{"(keine Vorlage)"}, {""}, 0}));
}

TEST(FrameCommands, WhatTheChosenFrameAndTheTypedNameAllow) {
  struct Case {
    std::optional<std::string> chosen;
    std::string name;
    FrameCommands expected;
  } cases[] = {
      {std::nullopt, "", {false, false, false}}, {std::nullopt, "Neu", {true, false, false}},
      {"Shop", "Shop", {true, false, true}},     {"Shop", "Shop 2027", {true, true, true}},
      {"Shop", "a/b", {false, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(frame_commands(c.chosen, c.name), c.expected);
  }
}

TEST(FrameTexts, QuestionsAndMessages) {
  EXPECT_EQ(delete_frame_question("Shop", 0).text, "Die Vorlage \"Shop\" löschen?");
  EXPECT_EQ(delete_frame_question("Shop", 3).text,
            "Die Vorlage \"Shop\" löschen?\n\n3 Artikel verwenden sie; sie können erst wieder "
            "übertragen und gesendet werden, wenn auf der Seite \"Beschreibung\" eine andere "
            "Vorlage oder keine gewählt ist.");
  EXPECT_EQ(renamed_frame_message("A", "B", 1),
            "Die Vorlage \"A\" heißt jetzt \"B\". 1 Artikel verwendet sie weiter.");
}

// The page's preview is what is sent; a frame that cannot be used shows why, and the seller's
// own text, never the raw marker.
TEST(FramePreviews, WhatIsSentOrWhyNot) {
  test::TempDir root;
  store::FrameFolder frames(root.folder());
  frames.save("Shop", "<i>{Artikelname}</i>{Beschreibung}");
  store::Record a = store::empty_record();
  store::at(a, store::F::Artikelname) = store::Value::text("Vase");
  store::at(a, store::F::Beschreibung) = store::Value::text(store::with_frame("<b>x</b>", "Shop"));
  EXPECT_EQ(description_preview(frames, a), "<i>Vase</i><b>x</b>");
  store::at(a, store::F::Beschreibung) = store::Value::text(store::with_frame("<b>x</b>", "Weg"));
  const std::string missing = description_preview(frames, a);
  EXPECT_NE(missing.find("Die Vorlage \"Weg\" der Beschreibung fehlt"), std::string::npos);
  EXPECT_EQ(missing.substr(missing.size() - 8), "<b>x</b>");
  EXPECT_EQ(missing.find("<!--Vorlage"), std::string::npos);

  EXPECT_EQ(frame_preview("<i>{Artikelname}</i>{Beschreibung}", &a), "<i>Vase</i><b>x</b>");
  EXPECT_EQ(frame_preview("{Artikelname}", nullptr).rfind("<div", 0), 0u);
}

}  // namespace
}  // namespace tellvaro::presentation
