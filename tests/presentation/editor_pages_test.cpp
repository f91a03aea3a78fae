#include "presentation/editor_pages.h"

#include <gtest/gtest.h>

#include <set>

namespace tellvaro::presentation {
namespace {

using store::F;

TEST(EditorPages, EachPageHasOneTabAndAMissingValueLeadsToThePageThatShowsIt) {
  std::set<EditorPage> pages;
  std::set<std::string_view> captions;
  for (const auto& tab : kEditorTabs) {
    EXPECT_TRUE(pages.insert(tab.page).second);
    EXPECT_TRUE(captions.insert(tab.caption).second);
    EXPECT_EQ(caption_of(tab.page), tab.caption);
  }
  struct Case {
    F missing;
    std::string_view tab;
  };
  const Case cases[] = {
      {F::Artikelname, "Artikel"},
      {F::Auktionsdauer, "Artikel"},
      {F::location_zip, "Artikel"},
      {F::location, "Artikel"},
      {F::Startpreis, "Artikel"},
      {F::Kategorie_Nummer, "Kategorie"},
      {F::Kategorie_2, "Kategorie"},
      {F::Kategorie5, "Kategorie"},
      {F::p1, "Bezahlung"},
      {F::p15, "Bezahlung"},
      {F::Beschreibung, "Beschreibung"},
      {F::Bild12, "Bilder"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(caption_of(page_showing(c.missing)), c.tab) << store::name_of(c.missing);
  }
}

}  // namespace
}  // namespace tellvaro::presentation
