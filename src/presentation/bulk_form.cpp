#include "presentation/bulk_form.h"

#include "catalogue/categories.h"
#include "text/number.h"

namespace tellvaro::presentation {
namespace {

using workspace::BulkField;
using workspace::BulkGroup;
using workspace::BulkKind;
using workspace::BulkWay;

int slot_index(catalogue::Slot slot) { return slot == catalogue::Slot::Second ? 1 : 0; }

std::string articles_text(std::size_t n) { return text::format_int(n) + " Artikel"; }

}  // namespace

std::string bulk_applied_status(std::size_t changed) {
  return "Sammelbearbeitung: " + articles_text(changed) +
         " geändert. Rückgängig mit Strg+Z in der Tabelle.";
}

BulkForm::BulkForm(std::size_t articles, const catalogue::PaymentNames& payments,
                   std::vector<std::string> durations)
    : articles_(articles), payments_(payments), durations_(std::move(durations)) {
  const std::pair<BulkGroup, const char*> boxes[] = {
      {BulkGroup::Prices, "Preise"},
      {BulkGroup::Article, "Artikel"},
      {BulkGroup::Shipping, "Versand"},
      {BulkGroup::Location, "Artikelstandort"},
      {BulkGroup::Highlights, "Hervorhebungen"},
      {BulkGroup::Payments, "Zahlungsweise"},
  };
  for (const auto& [group, title] : boxes) {
    Group g{title, {}};
    for (const auto& f : workspace::bulk_fields()) {
      if (f.group != group) continue;
      if (group == BulkGroup::Payments) {
        // Only the payment boxes the auction house named, as on the editor's page.
        bool named = false;
        for (std::size_t i = 0; i < catalogue::kPaymentSlots && i < payments_.shown; ++i) {
          if (f.field == store::payment_flag(static_cast<int>(i) + 1)) named = true;
        }
        if (!named) continue;
      }
      g.fields.push_back(&f);
      fields_[f.field] = {};
    }
    groups_.push_back(std::move(g));
  }
}

std::string BulkForm::caption(const BulkField& field) const {
  for (std::size_t i = 0; i < catalogue::kPaymentSlots; ++i) {
    if (field.field == store::payment_flag(static_cast<int>(i) + 1)) return payments_.name[i];
  }
  return std::string(field.caption);
}

BulkForm::Entry BulkForm::entry(const BulkField& field) const {
  switch (field.kind) {
    case BulkKind::Duration:
      return Entry::PickOrType;
    case BulkKind::Shipping:
      return Entry::Pick;
    case BulkKind::Choice:
      // Ort, PLZ and Land have no list: a free text.
      return catalogue::choice_items(field.field).empty() ? Entry::Text : Entry::PickOrType;
    case BulkKind::Amount:
    case BulkKind::Count:
    case BulkKind::Flag:
      break;
  }
  return Entry::Text;
}

std::vector<BulkForm::Item> BulkForm::items(const BulkField& field) const {
  std::vector<Item> out;
  switch (field.kind) {
    case BulkKind::Duration:
      for (const auto& d : durations_) out.push_back({d, d});
      break;
    case BulkKind::Shipping:
      for (const auto& item : catalogue::radio_items(field.field))
        out.push_back({std::string(item.caption), std::string(item.stored)});
      break;
    case BulkKind::Choice:
      for (auto item : catalogue::choice_items(field.field))
        out.push_back({std::string(item), std::string(item)});
      break;
    case BulkKind::Amount:
    case BulkKind::Count:
    case BulkKind::Flag:
      break;
  }
  return out;
}

const std::vector<BulkForm::Way>& BulkForm::ways() {
  static const std::vector<Way> ways = {
      {BulkWay::Value, "auf Wert"},
      {BulkWay::Amount, "um Betrag (+/-)"},
      {BulkWay::Percent, "um Prozent (+/-)"},
  };
  return ways;
}

void BulkForm::tick(store::F field, bool on) {
  if (auto it = fields_.find(field); it != fields_.end()) it->second.ticked = on;
}

void BulkForm::type(store::F field, std::string text) {
  if (auto it = fields_.find(field); it != fields_.end()) {
    it->second.text = std::move(text);
    it->second.ticked = true;
  }
}

void BulkForm::choose_way(store::F field, BulkWay way) {
  if (auto it = fields_.find(field); it != fields_.end()) {
    it->second.way = way;
    it->second.ticked = true;
  }
}

void BulkForm::set_flag(store::F field, FlagChoice choice) {
  if (auto it = fields_.find(field); it != fields_.end()) it->second.flag = choice;
}

bool BulkForm::ticked(store::F field) const {
  auto it = fields_.find(field);
  return it != fields_.end() && it->second.ticked;
}

std::string BulkForm::take_category(catalogue::Slot slot, const catalogue::CategoryMatch& match) {
  auto& c = categories_[slot_index(slot)];
  c.match = match;
  c.ticked = true;
  return catalogue::category_path(catalogue::browse_names(match));
}

void BulkForm::tick_category(catalogue::Slot slot, bool on) {
  categories_[slot_index(slot)].ticked = on;
}

bool BulkForm::category_ticked(catalogue::Slot slot) const {
  return categories_[slot_index(slot)].ticked;
}

workspace::BulkChange BulkForm::change() const {
  workspace::BulkChange c;
  for (const auto& f : workspace::bulk_fields()) {
    auto it = fields_.find(f.field);
    if (it == fields_.end()) continue;
    const State& s = it->second;
    if (f.kind == BulkKind::Flag) {
      if (s.flag == FlagChoice::Keep) continue;
      c.fields.push_back({f.field, s.flag == FlagChoice::Set ? BulkWay::On : BulkWay::Off, {}});
      continue;
    }
    if (!s.ticked) continue;
    c.fields.push_back({f.field, f.kind == BulkKind::Amount ? s.way : BulkWay::Value, s.text});
  }
  for (int i = 0; i < 2; ++i) {
    const auto& r = categories_[i];
    if (!r.ticked) continue;
    c.categories.push_back({i == 0 ? catalogue::Slot::First : catalogue::Slot::Second,
                            r.match.value_or(catalogue::CategoryMatch{})});
  }
  return c;
}

BulkForm::Preview BulkForm::preview(const workspace::BulkEditor& editor,
                                    const std::vector<store::Table::Key>& keys) const {
  Preview p;
  const auto c = change();
  const auto errors = workspace::check_bulk_change(c);
  if (!errors.empty()) {
    p.summary = "Nicht möglich:";
    p.lines = errors;
  } else if (c.empty()) {
    p.summary = articles_text(articles_) + " gewählt, noch kein Feld zum Ändern angehakt.";
  } else {
    const auto preview = editor.preview(keys, c);
    p.summary = preview.summary();
    p.lines = preview.lines;
  }
  return p;
}

std::optional<BulkForm::Refusal> BulkForm::refusal() const {
  const auto c = change();
  const auto errors = workspace::check_bulk_change(c);
  if (!errors.empty()) {
    std::string text = "Die Sammelbearbeitung ist so nicht möglich:";
    for (const auto& e : errors) text += "\n" + e;
    return Refusal{true, text};
  }
  if (c.empty()) return Refusal{false, "Es ist noch kein Feld zum Ändern gewählt."};
  return std::nullopt;
}

}  // namespace tellvaro::presentation
