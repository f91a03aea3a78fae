#include "workspace/bulk_edit.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "store/description_frames.h"
#include "text/ascii.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::workspace {
namespace {

using store::Record;
using store::Table;
using store::Value;

const std::array<std::string, catalogue::kPaymentSlots>& payment_fallbacks() {
  static const auto names = [] {
    std::array<std::string, catalogue::kPaymentSlots> n;
    for (std::size_t i = 0; i < n.size(); ++i) n[i] = "Zahlungsweise " + text::format_int(i + 1);
    return n;
  }();
  return names;
}

const BulkField* find_field(store::F field) {
  for (const auto& f : bulk_fields()) {
    if (f.field == field) return &f;
  }
  return nullptr;
}

// "„abc“"
std::string quoted(std::string_view s) { return "\xE2\x80\x9E" + std::string(s) + "\xE2\x80\x9C"; }

bool whole_number_above_zero(std::string_view s) {
  if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  return s.find_first_not_of('0') != std::string_view::npos;
}

std::string signed_text(double v, bool money) {
  const std::string body =
      money ? text::format_money(std::fabs(v)) : text::format_number(std::fabs(v));
  return (v < 0 ? "-" : "+") + body;
}

std::string articles_text(std::size_t n) { return text::format_int(n) + " Artikel"; }

std::string article_name(const Record& r) {
  constexpr std::size_t name = store::index_of(store::F::Artikelname);
  const std::string* s = r.size() > name ? r[name].as_string() : nullptr;
  return s && !s->empty() ? quoted(*s) : std::string("(ohne Namen)");
}

// How a value reads in the preview: flags as ja/nein, who pays shipping by its caption, nothing
// as "(leer)". Without a field: a category's path.
std::string shown(const Value& v, const BulkField* f) {
  if (!f) {
    const std::string* text = v.as_string();
    return text && !text->empty() ? *text : "(leer)";
  }
  const store::Field& field = store::field_of(f->field);
  if (f->kind == BulkKind::Flag) {
    auto b = v.as_flag();
    return b && *b ? "ja" : "nein";
  }
  const std::string text = store::to_text(v, field);
  if (text.empty()) return "(leer)";
  if (f->kind == BulkKind::Shipping) {
    for (const auto& item : catalogue::radio_items(f->field)) {
      if (item.stored == text) return std::string(item.caption);
    }
  }
  return text;
}

// Values that read alike group alike; a key is cheaper than the text (an amount's shortest
// decimal form costs a formatting run per article).
std::string group_key(const Value& v, const BulkField* f) {
  if (f && f->kind == BulkKind::Flag) return v.as_flag().value_or(false) ? "1" : "0";
  if (const std::string* s = v.as_string()) return "t" + *s;
  if (auto d = v.as_amount()) {
    std::string key = "n";
    key.append(reinterpret_cast<const char*>(&*d), sizeof(double));
    return key;
  }
  return "t";  // nothing reads as the empty text
}

// One choice of the change, as the plan works it out for each article.
struct Choice {
  Choice(std::string caption, std::string target, const BulkField* field)
      : caption(std::move(caption)), target(std::move(target)), field(field) {}
  std::string caption;
  std::string target;      // what the preview names after "->"
  const BulkField* field;  // none for a category
  // The old values replaced, in the order first met, and how many articles held each.
  std::vector<std::pair<Value, std::size_t>> olds;
  std::unordered_map<std::string, std::size_t> old_at;
  std::size_t changed = 0;

  void count(const Value& old) {
    ++changed;
    auto [it, fresh] = old_at.emplace(group_key(old, field), olds.size());
    if (fresh) olds.emplace_back(old, 0);
    ++olds[it->second].second;
  }
  std::string line() const {
    if (changed == 0) return caption + ": keine Änderung (" + target + ")";
    // Texts that read alike (12.5 and 12.50 do not occur: amounts are numbers) join here.
    std::vector<std::pair<std::string, std::size_t>> sorted;
    for (const auto& [value, n] : olds) {
      std::string text = shown(value, field);
      auto same = std::find_if(sorted.begin(), sorted.end(),
                               [&](const auto& s) { return s.first == text; });
      if (same == sorted.end()) {
        sorted.emplace_back(std::move(text), n);
      } else {
        same->second += n;
      }
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::string out = caption + ": ";
    for (std::size_t i = 0; i < sorted.size(); ++i) {
      if (i) out += ", ";
      out += sorted[i].first + " (" + articles_text(sorted[i].second) + ")";
    }
    return out + " -> " + target;
  }
};

// Whether two values read the same: a flag without a value is off, a text without one is empty.
bool same(const Value& a, const Value& b, const BulkField& f) {
  switch (f.kind) {
    case BulkKind::Flag:
      return a.as_flag().value_or(false) == b.as_flag().value_or(false);
    case BulkKind::Amount:
      return a.as_amount() == b.as_amount();
    default: {
      static const std::string none;
      const std::string* x = a.as_string();
      const std::string* y = b.as_string();
      return (x ? *x : none) == (y ? *y : none);
    }
  }
}

// The value a checked field change gives: nothing for an amount change of an article without
// that price (there is nothing to raise).
std::optional<Value> changed_value(const BulkFieldChange& c, const BulkField& f, const Value& old) {
  const store::Field& field = store::field_of(f.field);
  const std::string_view typed = text::trim_blanks(c.text);
  switch (c.way) {
    case BulkWay::Value:
      switch (f.kind) {
        case BulkKind::Amount: {
          if (typed.empty()) return Value();
          return Value::amount(round_cents(text::parse_typed_number(typed)));
        }
        case BulkKind::Flag:
          return std::nullopt;  // refused by the check
        case BulkKind::Duration:
        case BulkKind::Count:
        case BulkKind::Shipping:
          return Value::text(std::string(typed));
        case BulkKind::Choice:
          return store::from_text(c.text, field);
      }
      return std::nullopt;
    case BulkWay::On:
    case BulkWay::Off:
      return Value::flag(c.way == BulkWay::On);
    case BulkWay::Amount:
    case BulkWay::Percent: {
      auto was = old.as_amount();
      if (!was) return std::nullopt;
      const double by = text::parse_typed_number(typed);
      const double now = c.way == BulkWay::Amount ? *was + by : *was * (1 + by / 100);
      return Value::amount(round_cents(std::max(0.0, now)));
    }
  }
  return std::nullopt;
}

std::string target_text(const BulkFieldChange& c, const BulkField& f) {
  const std::string_view typed = text::trim_blanks(c.text);
  switch (c.way) {
    case BulkWay::Amount:
      return signed_text(text::parse_typed_number(typed), true);
    case BulkWay::Percent:
      return signed_text(text::parse_typed_number(typed), false) + " %";
    case BulkWay::Value:
    case BulkWay::On:
    case BulkWay::Off:
      break;
  }
  return shown(*changed_value(c, f, Value()), &f);
}

std::unordered_map<Table::Key, std::size_t> stored_ids(const Table& t) {
  std::unordered_map<Table::Key, std::size_t> at;
  const auto& keys = t.stored_keys();
  at.reserve(keys.size());
  for (std::size_t id = 0; id < keys.size(); ++id) at.emplace(keys[id], id);
  return at;
}

}  // namespace

const std::vector<BulkField>& bulk_fields() {
  static const std::vector<BulkField> fields = [] {
    using K = BulkKind;
    using G = BulkGroup;
    using store::F;
    std::vector<BulkField> f = {
        {F::Startpreis, "Startpreis", K::Amount, G::Prices},
        {F::Sofortkauf, "Sofort-Kaufen Preis", K::Amount, G::Prices},
        {F::Mindestpreis, "Mindestpreis", K::Amount, G::Prices},
        {F::Auktionsdauer, "Auktionsdauer", K::Duration, G::Article},
        {F::Wiedereinstellen, "Wiedereinstellen", K::Choice, G::Article},
        {F::Anzeigenart, "Anzeigenart", K::Choice, G::Article},
        {F::Zustand, "Zustand der Ware", K::Choice, G::Article},
        {F::Anzahl, "Anzahl", K::Count, G::Article},
        {F::shipping, "Versandkosten", K::Shipping, G::Shipping},
        {F::international, "Internationaler Versand", K::Flag, G::Shipping},
        {F::Versand_1, "Versandart 1", K::Choice, G::Shipping},
        {F::Versandpreis_1, "Preis Versandart 1", K::Amount, G::Shipping},
        {F::Versand_2, "Versandart 2", K::Choice, G::Shipping},
        {F::Versandpreis_2, "Preis Versandart 2", K::Amount, G::Shipping},
        {F::Versand_3, "Versandart 3", K::Choice, G::Shipping},
        {F::Versandpreis_3, "Preis Versandart 3", K::Amount, G::Shipping},
    };
    for (std::size_t i = 0; i < catalogue::kPaymentSlots; ++i) {
      f.push_back({store::payment_flag(static_cast<int>(i) + 1), payment_fallbacks()[i], K::Flag,
                   G::Payments});
    }
    f.push_back({F::Fettschrift, "Fettschrift", K::Flag, G::Highlights});
    f.push_back({F::Textmarker, "Textmarker", K::Flag, G::Highlights});
    f.push_back({F::Top_Kategorie, "Top-Kategorie", K::Flag, G::Highlights});
    f.push_back({F::location, "Ort", K::Choice, G::Location});
    f.push_back({F::location_zip, "PLZ", K::Choice, G::Location});
    f.push_back({F::country, "Land", K::Choice, G::Location});
    return f;
  }();
  return fields;
}

double round_cents(double amount) {
  const double cents = amount * 100;
  const double fraction = std::fabs(cents - std::trunc(cents));
  // Near a half the binary value may lie on either side of it: the money pattern rounds the
  // decimal text, so 2.675 (stored as 2.67499...) gives 2.68 as a person reckons it. Elsewhere
  // plain rounding gives the same at a fraction of the cost.
  if (std::fabs(fraction - 0.5) < 1e-6 || !std::isfinite(cents)) {
    return text::parse_number(text::format_money(amount));
  }
  return std::round(cents) / 100;
}

std::vector<std::string> check_bulk_change(const BulkChange& change) {
  std::vector<std::string> errors;
  std::set<store::F> seen;
  for (const auto& c : change.fields) {
    const BulkField* f = find_field(c.field);
    if (!f) {
      errors.push_back("Das Feld " + quoted(store::name_of(c.field)) +
                       " kann nicht gesammelt geändert werden.");
      continue;
    }
    const std::string caption(f->caption);
    if (!seen.insert(c.field).second) {
      errors.push_back(caption + " ist mehrfach gewählt.");
      continue;
    }
    const std::string_view typed = text::trim_blanks(c.text);
    const bool switched = c.way == BulkWay::On || c.way == BulkWay::Off;
    if (f->kind == BulkKind::Flag || switched) {
      if (f->kind != BulkKind::Flag) {
        errors.push_back(caption + " kann nur auf einen Wert gesetzt werden.");
      } else if (!switched) {
        errors.push_back(caption + " kann nur an- oder ausgeschaltet werden.");
      }
      continue;
    }
    if (c.way != BulkWay::Value) {
      if (f->kind != BulkKind::Amount) {
        errors.push_back(caption + " kann nur auf einen Wert gesetzt werden.");
      } else if (typed.empty()) {
        errors.push_back(caption + ": Bitte angeben, um wie viel sich der Preis ändert.");
      } else if (!text::try_parse_typed_number(typed)) {
        errors.push_back(caption + ": " + quoted(c.text) +
                         " ist keine Zahl (zum Beispiel 1.50, 1,50 oder -10).");
      }
      continue;
    }
    const store::Field& field = store::field_of(f->field);
    switch (f->kind) {
      case BulkKind::Amount: {
        if (typed.empty()) break;  // the price is cleared
        auto v = text::try_parse_typed_number(typed);
        if (!v) {
          errors.push_back(caption + ": " + quoted(c.text) +
                           " ist kein Betrag (zum Beispiel 12.50 oder 12,50).");
        } else if (*v < 0) {
          errors.push_back(caption + ": Ein Betrag unter 0 ist nicht möglich.");
        } else if (*v >= 1e9) {
          errors.push_back(caption + ": " + quoted(c.text) + " ist zu groß.");
        }
        break;
      }
      case BulkKind::Duration:
        if (!whole_number_above_zero(typed) || typed.size() > 5) {
          errors.push_back(caption + ": " + quoted(c.text) +
                           " ist keine Zahl von Tagen (zum Beispiel 7).");
        }
        break;
      case BulkKind::Count:
        if (!typed.empty() && (!whole_number_above_zero(typed) ||
                               typed.size() > static_cast<std::size_t>(field.width))) {
          errors.push_back(caption + ": " + quoted(c.text) + " ist keine ganze Zahl über 0.");
        }
        break;
      case BulkKind::Shipping:
        if (typed != "1" && typed != "2") {
          errors.push_back(caption + ": " + quoted(c.text) +
                           " ist keine der beiden Möglichkeiten.");
        }
        break;
      case BulkKind::Flag:
        break;
      case BulkKind::Choice: {
        const std::size_t chars = text::char_count(c.text);
        if (chars > static_cast<std::size_t>(field.width)) {
          errors.push_back(caption + ": Höchstens " + text::format_int(field.width) +
                           " Zeichen, eingegeben sind " + text::format_int(chars) + ".");
        }
        break;
      }
    }
  }
  if (change.frame && !change.frame->empty()) {
    if (std::string why = store::frame_name_problem(*change.frame); !why.empty())
      errors.push_back("Vorlage: " + why);
  }
  std::set<catalogue::Slot> slots;
  for (const auto& c : change.categories) {
    const std::string caption = c.slot == catalogue::Slot::Second ? "Kategorie 2" : "Kategorie 1";
    if (c.slot == catalogue::Slot::None) {
      errors.push_back("Kategorie: Bitte Kat 1 oder Kat 2 wählen.");
    } else if (!slots.insert(c.slot).second) {
      errors.push_back(caption + " ist mehrfach gewählt.");
    } else if (c.match.cat_id.empty() || c.match.names.empty()) {
      errors.push_back(caption + ": Bitte eine Kategorie suchen oder auswählen.");
    } else if (!c.match.leaf) {
      errors.push_back(caption + ": " + quoted(c.match.path()) +
                       " hat Unterkategorien und kann nicht gewählt werden.");
    }
  }
  return errors;
}

BulkTargets bulk_targets(const Table& articles, const std::vector<std::size_t>& selected) {
  BulkTargets t;
  std::set<std::size_t> rows(selected.begin(), selected.end());
  std::erase_if(rows, [&](std::size_t r) { return articles.key(r) == 0; });
  if (rows.size() >= 2) {
    for (auto r : rows) t.keys.push_back(articles.key(r));
    return t;
  }
  for (std::size_t r = 0; r < articles.count(); ++r) {
    if (auto k = articles.key(r)) t.keys.push_back(k);
  }
  if (t.keys.empty()) {
    t.refusal = "Die Artikel-Tabelle zeigt keinen Artikel, der bearbeitet werden kann.";
  } else if (t.keys.size() == 1) {
    t.question =
        "Es ist kein zweiter Artikel markiert. Soll der eine angezeigte Artikel "
        "bearbeitet werden?";
  } else {
    t.question = "Es ist höchstens ein Artikel markiert. Sollen alle " +
                 text::format_int(t.keys.size()) + " angezeigten Artikel bearbeitet werden?";
  }
  return t;
}

std::string BulkPreview::summary() const {
  return articles_text(articles) + ", " + text::format_int(fields) +
         (fields == 1 ? " Feld" : " Felder");
}

BulkEditor::Planned BulkEditor::plan(const std::vector<Table::Key>& keys,
                                     const BulkChange& change) const {
  Planned p;
  if (!check_bulk_change(change).empty()) return p;

  struct FieldStep {
    const BulkFieldChange* change;
    const BulkField* field;
    std::size_t index;
  };
  std::vector<FieldStep> steps;
  std::vector<Choice> choices;
  for (const auto& c : change.fields) {
    const BulkField* f = find_field(c.field);
    steps.push_back({&c, f, store::index_of(f->field)});
    std::string caption(f->caption);
    for (std::size_t i = 0; i < catalogue::kPaymentSlots; ++i) {
      if (f->field == store::payment_flag(static_cast<int>(i) + 1) && !payments_.name[i].empty()) {
        caption = payments_.name[i];
      }
    }
    choices.emplace_back(caption, target_text(c, *f), f);
  }
  struct CategoryStep {
    std::vector<std::pair<std::size_t, Value>> writes;
    std::size_t path;  // the slot's path field, whose old text the preview names
  };
  std::vector<CategoryStep> categories;
  for (const auto& c : change.categories) {
    const auto names = catalogue::browse_names(c.match);
    CategoryStep step;
    for (auto& [field, text] : catalogue::stored_category(names, c.match.cat_id, c.slot)) {
      step.writes.emplace_back(store::index_of(field),
                               store::fit(Value::text(std::move(text)), store::field_of(field)));
    }
    step.path = store::index_of(c.slot == catalogue::Slot::Second ? store::F::Kategorie_2
                                                                  : store::F::Kategorie);
    categories.push_back(std::move(step));
    choices.emplace_back(c.slot == catalogue::Slot::Second ? "Kategorie 2" : "Kategorie 1",
                         catalogue::category_path(names), nullptr);
  }

  constexpr std::size_t kDescription = store::index_of(store::F::Beschreibung);
  const auto frame_of = [](const Value& description) {
    const std::string* d = description.as_string();
    return Value::text(
        (d ? store::frame_of(*d) : std::nullopt).value_or(std::string(store::kNoFrame)));
  };
  if (change.frame)
    choices.emplace_back(
        "Vorlage", change.frame->empty() ? std::string(store::kNoFrame) : *change.frame, nullptr);

  const auto at = stored_ids(articles_);
  std::unordered_set<Table::Key> done;
  for (Table::Key key : keys) {
    auto found = at.find(key);
    if (found == at.end() || !done.insert(key).second) continue;
    const Record& before = articles_.stored()[found->second];
    Table::Patch now{key, {}}, was{key, {}};
    auto write = [&](std::size_t field, Value v) {
      for (auto& [f, value] : now.values) {
        if (f == field) {
          value = std::move(v);
          return;
        }
      }
      now.values.emplace_back(field, std::move(v));
      was.values.emplace_back(field, before[field]);
    };
    bool any = false;
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const auto& s = steps[i];
      const Value& old = before[s.index];
      auto value = changed_value(*s.change, *s.field, old);
      if (!value || same(old, *value, *s.field)) continue;
      write(s.index, std::move(*value));
      choices[i].count(old);
      any = true;
    }
    for (const auto& c : categories) {
      for (const auto& [field, value] : c.writes) write(field, value);
    }
    auto after = [&](std::size_t field) -> const Value& {
      for (const auto& [f, value] : now.values) {
        if (f == field) return value;
      }
      return before[field];
    };
    for (std::size_t i = 0; i < categories.size(); ++i) {
      // Each choice owns its path and number; the level names are the last one's, as after two
      // browses.
      const auto& writes = categories[i].writes;
      const std::size_t owned = i + 1 == categories.size() ? writes.size() : 2;
      bool differs = false;
      for (std::size_t w = 0; w < owned && w < writes.size(); ++w) {
        const std::size_t field = writes[w].first;
        const auto& f = store::article_fields()[field];
        differs |= store::to_text(before[field], f) != store::to_text(after(field), f);
      }
      if (!differs) continue;
      choices[steps.size() + i].count(before[categories[i].path]);
      any = true;
    }
    if (change.frame) {
      const Value& old = before[kDescription];
      const std::string* text = old.as_string();
      std::string framed = store::with_frame(text ? *text : std::string(), *change.frame);
      if (!(text ? *text == framed : framed.empty())) {
        write(kDescription, Value::text(std::move(framed)));
        choices.back().count(frame_of(old));
        any = true;
      }
    }
    if (!any) continue;
    p.after.push_back(std::move(now));
    p.before.push_back(std::move(was));
  }
  p.preview.articles = p.after.size();
  for (const auto& c : choices) {
    if (c.changed) ++p.preview.fields;
    p.preview.lines.push_back(c.line());
  }
  return p;
}

BulkPreview BulkEditor::preview(const std::vector<Table::Key>& keys,
                                const BulkChange& change) const {
  return plan(keys, change).preview;
}

std::size_t BulkEditor::apply(const std::vector<Table::Key>& keys, const BulkChange& change) {
  if (auto errors = check_bulk_change(change); !errors.empty()) {
    std::string text;
    for (const auto& e : errors) text += (text.empty() ? "" : "\n") + e;
    throw Error(text);
  }
  // What the editor holds unposted belongs to the article before the change is worked out.
  articles_.post_if_changed();
  Planned p = plan(keys, change);
  if (p.after.empty()) return 0;
  constexpr std::size_t fee = store::index_of(store::F::Gebuehr);
  std::vector<Value> fees;
  const auto before_ids = stored_ids(articles_);
  for (const auto& patch : p.after)
    fees.push_back(articles_.stored()[before_ids.at(patch.key)][fee]);
  articles_.rewrite(p.after, true);

  // The fee as the rule left it goes back too; the revision tells a later change.
  Kept kept;
  const auto at = stored_ids(articles_);
  for (std::size_t i = 0; i < p.before.size(); ++i) {
    const std::size_t id = at.at(p.before[i].key);
    const Record& stored = articles_.stored()[id];
    if (stored[fee] != fees[i]) p.before[i].values.emplace_back(fee, fees[i]);
    kept.revisions.push_back(articles_.stored_revisions()[id]);
    kept.names.push_back(article_name(stored));
    kept.before.push_back(std::move(p.before[i]));
  }
  undo_ = std::move(kept);
  return undo_.before.size();
}

BulkEditor::UndoOutcome BulkEditor::undo() {
  UndoOutcome out;
  if (!can_undo()) {
    out.message = "Es gibt keine Sammelbearbeitung, die rückgängig gemacht werden kann.";
    return out;
  }
  articles_.post_if_changed();
  const auto at = stored_ids(articles_);
  std::vector<std::string> changed, gone;
  for (std::size_t i = 0; i < undo_.before.size(); ++i) {
    auto found = at.find(undo_.before[i].key);
    if (found == at.end()) {
      gone.push_back(undo_.names[i]);
    } else if (articles_.stored_revisions()[found->second] != undo_.revisions[i]) {
      changed.push_back(article_name(articles_.stored()[found->second]));
    }
  }
  if (!changed.empty() || !gone.empty()) {
    auto list = [](const std::vector<std::string>& names) {
      constexpr std::size_t kNamed = 10;
      std::string text;
      for (std::size_t i = 0; i < names.size() && i < kNamed; ++i) {
        text += (i ? ", " : "") + names[i];
      }
      if (names.size() > kNamed) {
        text += " und " + text::format_int(names.size() - kNamed) + " weitere";
      }
      return text;
    };
    out.message = "Die Sammelbearbeitung wird nicht rückgängig gemacht, nichts wurde geändert.";
    if (!changed.empty()) out.message += "\nSeitdem geändert: " + list(changed) + ".";
    if (!gone.empty()) out.message += "\nSeitdem gelöscht: " + list(gone) + ".";
    return out;
  }
  // The values as they were, `Gebühr` included: nothing is computed anew.
  const std::size_t restored = articles_.rewrite(undo_.before, false);
  undo_ = {};
  out.done = true;
  out.message = "Sammelbearbeitung rückgängig gemacht: " + articles_text(restored) + ".";
  return out;
}

}  // namespace tellvaro::workspace
