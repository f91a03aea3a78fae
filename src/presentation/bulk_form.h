#pragma once

// The form of "Ausgewählte Artikel bearbeiten...": which fields it offers in which box, what
// each control lists, what the seller has ticked, typed and chosen, and what that asks of the
// core. The dialog lays out the controls, hands every change of them here and shows what this
// says; the change itself is stored by the core.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/reference.h"
#include "workspace/bulk_edit.h"

namespace tellvaro::presentation {

// A flag's box has three states: grey leaves the flag as it is, ticked sets it, empty clears it.
enum class FlagChoice { Keep, Set, Clear };

inline constexpr std::string_view kBulkFlagHint =
    "Grau: bleibt wie es ist. Angehakt: wird gesetzt. Leer: wird entfernt.";
inline constexpr std::string_view kBulkNoPayments =
    "Keine Zahlungsweisen aus dem Auktionshaus gelesen.";
inline constexpr std::string_view kBulkAmountExample = "z. B. 12.50";

// "Sammelbearbeitung: 3 Artikel geändert. Rückgängig mit Strg+Z in der Tabelle."
std::string bulk_applied_status(std::size_t changed);

class BulkForm {
 public:
  // For `articles` articles; the payment names read at start caption the payment boxes, and
  // only the boxes the auction house named are offered. `durations` are the editor's list.
  BulkForm(std::size_t articles, const catalogue::PaymentNames& payments,
           std::vector<std::string> durations);

  struct Group {
    std::string title;
    std::vector<const workspace::BulkField*> fields;
  };
  // The boxes in the order shown, each with its fields in the core's order.
  const std::vector<Group>& groups() const { return groups_; }
  // What a field is called beside its control: a payment box by its payment name.
  std::string caption(const workspace::BulkField& field) const;

  // What a value control offers: a free text, a list to pick from, or a list whose entries can
  // also be typed over.
  enum class Entry { Text, Pick, PickOrType };
  struct Item {
    std::string caption;
    std::string stored;  // what picking it stores
  };
  Entry entry(const workspace::BulkField& field) const;
  std::vector<Item> items(const workspace::BulkField& field) const;

  // The kinds of change a price offers, in the order shown.
  struct Way {
    workspace::BulkWay way;
    std::string_view caption;
  };
  static const std::vector<Way>& ways();

  // --- what the seller does ---
  void tick(store::F field, bool on);
  // Typing or picking a value, or choosing a kind of change, ticks the field.
  void type(store::F field, std::string text);
  void choose_way(store::F field, workspace::BulkWay way);
  void set_flag(store::F field, FlagChoice choice);
  bool ticked(store::F field) const;

  // A category found by the search, for Kat 1 or Kat 2: ticks that slot. The text to show
  // beside it comes back.
  std::string take_category(catalogue::Slot slot, const catalogue::CategoryMatch& match);
  void tick_category(catalogue::Slot slot, bool on);
  bool category_ticked(catalogue::Slot slot) const;

  // What the controls ask for, in the core's order of the fields.
  workspace::BulkChange change() const;

  // The line above the preview and the preview itself. Before any field is ticked the line
  // already names how many articles the change is for.
  struct Preview {
    std::string summary;
    std::vector<std::string> lines;
  };
  Preview preview(const workspace::BulkEditor& editor,
                  const std::vector<store::Table::Key>& keys) const;

  // What "Übernehmen" meets before it stores anything: an error to show (`error`), a note, or
  // nothing when the change can go ahead.
  struct Refusal {
    bool error = false;
    std::string text;
  };
  std::optional<Refusal> refusal() const;

 private:
  struct State {
    bool ticked = false;
    std::string text;
    workspace::BulkWay way = workspace::BulkWay::Value;
    FlagChoice flag = FlagChoice::Keep;
  };
  struct CategoryState {
    bool ticked = false;
    std::optional<catalogue::CategoryMatch> match;
  };

  std::size_t articles_;
  catalogue::PaymentNames payments_;
  std::vector<std::string> durations_;
  std::vector<Group> groups_;
  std::map<store::F, State> fields_;
  CategoryState categories_[2];
};

}  // namespace tellvaro::presentation
