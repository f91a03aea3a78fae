#pragma once

// The seven pages of the article editor by what they are, with the caption each tab shows, and
// the page that shows a field: where the editor turns when a transfer finds a value missing.

#include <array>
#include <string_view>

#include "store/field.h"

namespace tellvaro::presentation {

enum class EditorPage { Article, Description, Pictures, Category, Payment, Fees, Infos };

struct EditorTab {
  EditorPage page;
  std::string_view caption;
};
// In tab order.
inline constexpr std::array<EditorTab, 7> kEditorTabs = {{
    {EditorPage::Article, "Artikel"},
    {EditorPage::Description, "Beschreibung"},
    {EditorPage::Pictures, "Bilder"},
    {EditorPage::Category, "Kategorie"},
    {EditorPage::Payment, "Bezahlung"},
    {EditorPage::Fees, "Gebüren"},
    {EditorPage::Infos, "Infos"},
}};

std::string_view caption_of(EditorPage page);

// The page a seller fills `field` in on: the category's fields on "Kategorie", the payment
// flags on "Bezahlung", the description on "Beschreibung", the pictures on "Bilder", the rest of
// what a transfer checks on "Artikel".
EditorPage page_showing(store::F field);

}  // namespace tellvaro::presentation
