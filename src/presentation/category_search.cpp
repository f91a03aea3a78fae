#include "presentation/category_search.h"

#include <utility>

#include "text/number.h"

namespace tellvaro::presentation {

CategorySearch::CategorySearch(std::string_view hint) : hint_(hint), note_(hint_) {}

bool CategorySearch::edited(std::string_view text) {
  text_ = std::string(text);
  return text_ != answered_;
}

std::optional<CategorySearch::Request> CategorySearch::pause_ended(bool busy) {
  if (!catalogue::searchable(text_)) {
    clear();
    answered_ = text_;
    waiting_ = 0;
    return std::nullopt;
  }
  if (busy) {
    clear();
    note_ = "Während des Sendens oder Importierens wird nicht gesucht.";
    answered_.clear();
    waiting_ = 0;
    return std::nullopt;
  }
  answered_ = text_;
  waiting_ = ++next_id_;
  return Request{waiting_, text_};
}

bool CategorySearch::found(std::uint64_t id, std::vector<catalogue::CategoryMatch> matches) {
  if (id == 0 || id != waiting_) return false;
  waiting_ = 0;
  show(std::move(matches));
  return true;
}

bool CategorySearch::failed(std::uint64_t id, std::string message) {
  if (id == 0 || id != waiting_) return false;
  waiting_ = 0;
  clear();
  // Beside the edit rather than in a box: the next pause in typing tries again.
  note_ = std::move(message);
  answered_.clear();
  return true;
}

void CategorySearch::clear() {
  matches_.clear();
  rows_.clear();
  note_ = hint_;
}

void CategorySearch::show(std::vector<catalogue::CategoryMatch> matches) {
  matches_ = std::move(matches);
  rows_.clear();
  for (const auto& m : matches_) {
    Row row{m.path(), m.path(), m.leaf};
    if (!m.leaf) row.tip += "\nHat Unterkategorien und kann nicht gewählt werden.";
    rows_.push_back(std::move(row));
  }
  if (matches_.empty()) {
    note_ = "Keine Kategorie gefunden.";
  } else if (matches_.size() >= catalogue::kSearchMaxMatches) {
    note_ = "Die ersten " + text::format_int(catalogue::kSearchMaxMatches) +
            " Treffer; ein längerer Suchtext findet genauer.";
  } else {
    note_.clear();
  }
}

int CategorySearch::first_selectable() const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].selectable) return static_cast<int>(i);
  }
  return -1;
}

std::optional<catalogue::CategoryMatch> CategorySearch::take(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= matches_.size()) return std::nullopt;
  const auto& m = matches_[static_cast<std::size_t>(row)];
  if (!m.leaf) return std::nullopt;
  return m;
}

}  // namespace tellvaro::presentation
