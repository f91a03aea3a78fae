#pragma once

// Changing many articles of the article table at once, and taking that back. The dialog gathers
// a BulkChange; this checks it, describes what it would do to the chosen articles, stores it in
// one step through the table's post rule (so `Gebühr` follows), and keeps what is needed to
// restore exactly the fields it changed. Nothing here moves the cursor the user looks at.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/categories.h"
#include "catalogue/category_search.h"
#include "catalogue/reference.h"
#include "store/table.h"

namespace tellvaro::workspace {

// The fields a seller changes in bulk, in the order the dialog offers them, with the caption a
// person sees beside each (a payment box's caption is its payment name, read at start).
enum class BulkKind {
  Amount,    // a price: a value, or a change by an amount or a percentage
  Duration,  // `Auktionsdauer`: a whole number of days
  Count,     // `Anzahl`: a whole number above 0, or empty
  Choice,    // a text, chosen from the editor's list or typed
  Shipping,  // who pays: "1" or "2"
  Flag,      // on or off
};
// The box a field sits in on the form.
enum class BulkGroup { Prices, Article, Shipping, Location, Highlights, Payments };
struct BulkField {
  store::F field;
  std::string_view caption;
  BulkKind kind;
  BulkGroup group;
};
const std::vector<BulkField>& bulk_fields();

enum class BulkWay {
  Value,    // the text given, stored as the editor stores it
  Amount,   // add this amount (negative: take it off)
  Percent,  // add this percentage
  On,       // a flag set (the text is not read)
  Off,      // a flag cleared
};

struct BulkFieldChange {
  store::F field;
  BulkWay way = BulkWay::Value;
  std::string text;  // as typed: the value, the amount or the percentage; none for a flag
};

// A category found by the search or reached by browsing, for "Kat 1" or "Kat 2": stored as
// "Speichern" would store it.
struct BulkCategory {
  catalogue::Slot slot = catalogue::Slot::First;
  catalogue::CategoryMatch match;
};

struct BulkChange {
  std::vector<BulkFieldChange> fields;
  std::vector<BulkCategory> categories;
  // The description frame for every article ("" takes it off); the seller's own texts stay.
  // None leaves each article's frame as it is.
  std::optional<std::string> frame = std::nullopt;
  bool empty() const { return fields.empty() && categories.empty() && !frame; }
};

// German messages for what cannot be stored (a text in a price, a price below 0, a text too
// long for its field...); empty when the change can be applied.
std::vector<std::string> check_bulk_change(const BulkChange& change);

// Which articles a bulk change is for: the rows selected, or, when at most one is, every row the
// table shows after the question has been answered Yes.
struct BulkTargets {
  std::vector<store::Table::Key> keys;
  std::string question;  // asked first when not empty
  std::string refusal;   // shown instead when the table shows no article
};
BulkTargets bulk_targets(const store::Table& articles, const std::vector<std::size_t>& selected);

// What a change would do, for the preview.
struct BulkPreview {
  std::size_t articles = 0;  // articles with at least one field changed
  std::size_t fields = 0;    // choices that change at least one article
  // "12 Artikel, 3 Felder"
  std::string summary() const;
  // One per choice, with the old values it replaces and how many articles hold each:
  // "Auktionsdauer: 7 (9 Artikel), 5 (3 Artikel) -> 10".
  std::vector<std::string> lines;
};

class BulkEditor {
 public:
  explicit BulkEditor(store::Table& articles) : articles_(articles) {}

  // Payment names give the payment boxes their captions in the preview.
  void set_payment_names(const catalogue::PaymentNames& names) { payments_ = names; }

  // What the change would do to the articles; checks first (check_bulk_change throws nothing:
  // a refused change gives an empty preview, so ask check_bulk_change before).
  BulkPreview preview(const std::vector<store::Table::Key>& keys, const BulkChange& change) const;

  // Stores the change in one step (a pending edit is settled first) and keeps it for undo,
  // replacing what was kept before. A change check_bulk_change refuses throws tellvaro::Error
  // with its messages and changes nothing. Returns how many articles changed.
  std::size_t apply(const std::vector<store::Table::Key>& keys, const BulkChange& change);

  // Whether a change is kept to take back; it stays kept across saves, not across runs.
  bool can_undo() const { return !undo_.before.empty(); }
  struct UndoOutcome {
    bool done = false;
    std::string message;  // what happened, for the status line or a message box
  };
  // Restores the changed fields of the changed articles, if none of them changed since (or was
  // deleted); otherwise restores nothing and names them.
  UndoOutcome undo();

 private:
  struct Planned {
    // Per article that changes: the new values, and the values they replace.
    std::vector<store::Table::Patch> after, before;
    BulkPreview preview;
  };
  Planned plan(const std::vector<store::Table::Key>& keys, const BulkChange& change) const;

  store::Table& articles_;
  catalogue::PaymentNames payments_;
  struct Kept {
    std::vector<store::Table::Patch> before;  // `Gebühr` included where the rule changed it
    std::vector<std::uint64_t> revisions;     // of the records as the change left them
    std::vector<std::string> names;           // to name an article deleted since
  } undo_;
};

// An amount rounded to cents, halves away from zero (2.675 gives 2.68).
double round_cents(double amount);

}  // namespace tellvaro::workspace
