#include "presentation/editor_pages.h"

namespace tellvaro::presentation {

std::string_view caption_of(EditorPage page) {
  for (const auto& tab : kEditorTabs) {
    if (tab.page == page) return tab.caption;
  }
  return {};
}

EditorPage page_showing(store::F field) {
  using store::F;
  switch (field) {
    case F::Kategorie:
    case F::Kategorie_2:
    case F::Kategorie_Nummer:
    case F::Kategorie_Nummer_2:
      return EditorPage::Category;
    case F::Beschreibung:
      return EditorPage::Description;
    default:
      break;
  }
  for (int n = 1; n <= 15; ++n) {
    if (field == store::payment_flag(n)) return EditorPage::Payment;
  }
  for (int n = 1; n <= 12; ++n) {
    if (field == store::picture_field(n)) return EditorPage::Pictures;
  }
  for (int n = 1; n <= 5; ++n) {
    if (field == store::category_level(n)) return EditorPage::Category;
  }
  return EditorPage::Article;
}

}  // namespace tellvaro::presentation
