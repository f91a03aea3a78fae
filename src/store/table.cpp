#include "store/table.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "store/detail.h"
#include "store/filter.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::store {
namespace {

const Record& no_record() {
  static const Record r = empty_record();
  return r;
}

const Value& no_value() {
  static const Value v;
  return v;
}

// Every field of the table, each value converted to its field's type; throws when one does not
// fit.
Record fitted(Record values) {
  Record out = empty_record();
  for (std::size_t i = 0; i < kFieldCount && i < values.size(); ++i) {
    out[i] = detail::coerce(std::move(values[i]), article_fields()[i]);
  }
  return out;
}

}  // namespace

Table::Table() = default;

std::size_t Table::count() const { return view_.size() + (state_ == EditState::Insert ? 1 : 0); }

const Record& Table::row(std::size_t index) const {
  if (state_ != EditState::Browse && cursor_ && index == *cursor_) return buffer_;
  if (index < view_.size()) return records_[view_[index]];
  return no_record();
}

std::optional<std::size_t> Table::position() const { return count() == 0 ? std::nullopt : cursor_; }

std::optional<std::size_t> Table::current_id() const {
  if (!cursor_ || *cursor_ >= view_.size()) return std::nullopt;
  return view_[*cursor_];
}

// --- cursor ---

void Table::go_to(std::size_t pos) {
  at_end_ = false;
  if (view_.empty()) {
    cursor_.reset();
    return;
  }
  pos = std::min(pos, view_.size() - 1);
  if (cursor_ == pos) return;
  cursor_ = pos;
  notify_data(std::nullopt);
}

void Table::first() {
  post_if_changed();
  go_to(0);
}

void Table::last() {
  post_if_changed();
  go_to(view_.empty() ? 0 : view_.size() - 1);
}

void Table::next() {
  post_if_changed();
  if (cursor_ && *cursor_ + 1 < view_.size()) {
    go_to(*cursor_ + 1);
  } else {
    at_end_ = true;
  }
}

void Table::prior() {
  post_if_changed();
  if (cursor_ && *cursor_ > 0) go_to(*cursor_ - 1);
  at_end_ = false;
}

void Table::move_to(std::size_t index) {
  if (count() == 0 || cursor_ == index) return;
  const std::optional<std::size_t> target =
      index < view_.size() ? std::optional(view_[index]) : std::nullopt;
  post_if_changed();
  if (target) {
    auto it = std::find(view_.begin(), view_.end(), *target);
    if (it != view_.end()) index = static_cast<std::size_t>(it - view_.begin());
  }
  go_to(index);
}

void Table::move_to_key(Key key) {
  if (auto row = row_of(key)) move_to(*row);
}

bool Table::at_end() const { return at_end_ || count() == 0; }

// --- edit state ---

void Table::edit() {
  if (state_ != EditState::Browse) return;
  if (view_.empty()) {
    append();
    return;
  }
  buffer_ = records_[view_[*cursor_]];
  state_ = EditState::Edit;
  notify_state();
}

void Table::append() {
  post_if_changed();
  insert_from_ = current_id();
  buffer_ = empty_record();
  state_ = EditState::Insert;
  cursor_ = view_.size();
  at_end_ = false;
  notify_rows({RowChange::Kind::Inserted, view_.size(), 1, 0}, true);
  notify_state();
  notify_data(std::nullopt);
}

void Table::post() { commit(true); }

void Table::post_if_changed() { commit(false); }

void Table::commit(bool explicit_post) {
  if (state_ == EditState::Browse || posting_) return;
  const bool inserting = state_ == EditState::Insert;
  const bool changed = inserting ? buffer_ != empty_record() : buffer_ != records_[view_[*cursor_]];
  if (!changed && !explicit_post) {
    cancel();
    return;
  }
  posting_ = true;
  try {
    before_post_from_controls_.notify();
    before_post_.notify();
    if (post_rule_ && state_ != EditState::Browse) post_rule_(buffer_);
  } catch (...) {
    posting_ = false;
    throw;
  }
  posting_ = false;
  if (state_ == EditState::Browse) return;  // a hook cancelled the edit

  const std::size_t old_pos = *cursor_;
  std::size_t id;
  if (inserting) {
    id = records_.size();
    records_.push_back(std::move(buffer_));
    keys_.push_back(next_key_++);
    revisions_.push_back(next_revision_++);
    notify_stored(StoredChange::Kind::Put, keys_[id], nullptr, &records_[id]);
  } else {
    id = view_[old_pos];
    // A post that stored nothing new is no change to the record.
    if (records_[id] != buffer_) {
      revisions_[id] = next_revision_++;
      notify_stored(StoredChange::Kind::Put, keys_[id], &records_[id], &buffer_);
    }
    records_[id] = std::move(buffer_);
    view_.erase(view_.begin() + static_cast<std::ptrdiff_t>(old_pos));
  }
  buffer_.clear();
  state_ = EditState::Browse;
  insert_from_.reset();
  std::size_t pos = old_pos;
  if (shows(id)) {
    pos = place(id);
  } else if (!view_.empty()) {
    pos = std::min(old_pos, view_.size() - 1);
  }
  cursor_ = view_.empty() ? std::nullopt : std::optional(pos);
  // A row edited inside a batch may no longer be current when the batch ends: views re-read.
  if (!inserting && batch_.depth > 0) {
    batch_.rows = true;
    batch_.only_appends = false;
  }
  if (!shows(id)) {
    notify_rows({RowChange::Kind::Removed, old_pos, 1, 0}, inserting);
  } else if (inserting || pos != old_pos) {
    notify_rows({RowChange::Kind::Moved, old_pos, 0, pos}, inserting);
  }
  notify_state();
  notify_data(std::nullopt);
}

void Table::cancel() {
  if (state_ == EditState::Browse) return;
  const bool inserting = state_ == EditState::Insert;
  buffer_.clear();
  state_ = EditState::Browse;
  if (inserting) {
    std::optional<std::size_t> pos;
    if (insert_from_) {
      auto it = std::find(view_.begin(), view_.end(), *insert_from_);
      if (it != view_.end()) pos = static_cast<std::size_t>(it - view_.begin());
    }
    if (!pos && !view_.empty()) pos = view_.size() - 1;
    cursor_ = pos;
    insert_from_.reset();
    notify_rows({RowChange::Kind::Removed, view_.size(), 1, 0}, true);
  }
  notify_state();
  notify_data(std::nullopt);
}

// --- fields ---

const Value& Table::get(std::size_t field) const {
  if (field >= kFieldCount || count() == 0) return no_value();
  return row(*cursor_)[field];
}

std::string Table::text(F field) const { return to_text(get(field), field_of(field)); }

void Table::set(std::size_t field, Value v) {
  if (field >= kFieldCount) throw Error("Unbekanntes Feld Nr. " + text::format_int(field) + ".");
  Value fitted = detail::coerce(std::move(v), article_fields()[field]);
  if (state_ == EditState::Browse) edit();
  buffer_[field] = std::move(fitted);
  notify_data(field);
}

void Table::set_text(F field, std::string_view text) {
  set(field, from_typed_text(text, field_of(field)));
}

Record Table::values() const { return count() == 0 ? empty_record() : row(*cursor_); }

std::vector<Record> Table::shown() const {
  std::vector<Record> out;
  out.reserve(count());
  for (std::size_t i = 0; i < count(); ++i) out.push_back(row(i));
  return out;
}

void Table::set_values(const Record& values) {
  Record record = fitted(values);
  if (state_ == EditState::Browse) edit();
  buffer_ = std::move(record);
  notify_data(std::nullopt);
}

// --- deleting and replacing ---

void Table::remove() {
  if (state_ == EditState::Insert) {
    cancel();
    return;
  }
  if (view_.empty()) return;
  const bool was_editing = state_ == EditState::Edit;
  buffer_.clear();
  state_ = EditState::Browse;
  const std::size_t pos = *cursor_;
  const std::size_t id = view_[pos];
  notify_stored(StoredChange::Kind::Removed, keys_[id]);
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(id));
  keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(id));
  revisions_.erase(revisions_.begin() + static_cast<std::ptrdiff_t>(id));
  view_.erase(view_.begin() + static_cast<std::ptrdiff_t>(pos));
  for (auto& v : view_) {
    if (v > id) --v;
  }
  cursor_ = view_.empty() ? std::nullopt : std::optional(std::min(pos, view_.size() - 1));
  at_end_ = false;
  notify_rows({RowChange::Kind::Removed, pos, 1, 0});
  if (was_editing) notify_state();
  notify_data(std::nullopt);
}

void Table::remove_all_shown() {
  if (state_ == EditState::Insert) cancel();
  const bool was_editing = state_ == EditState::Edit;
  buffer_.clear();
  state_ = EditState::Browse;
  if (view_.empty()) {
    if (was_editing) notify_state();
    return;
  }
  std::vector<bool> gone(records_.size());
  for (auto id : view_) gone[id] = true;
  for (auto id : view_) notify_stored(StoredChange::Kind::Removed, keys_[id]);
  drop_records(gone);
  const std::size_t shown = view_.size();
  view_.clear();
  cursor_.reset();
  at_end_ = false;
  notify_rows({RowChange::Kind::Removed, 0, shown, 0});
  if (was_editing) notify_state();
  notify_data(std::nullopt);
}

void Table::replace_all(std::vector<Record> records) {
  for (auto& r : records) r.resize(kFieldCount);
  const bool was_editing = state_ != EditState::Browse;
  records_ = std::move(records);
  keys_.resize(records_.size());
  for (auto& k : keys_) k = next_key_++;
  revisions_.resize(records_.size());
  for (auto& r : revisions_) r = next_revision_++;
  buffer_.clear();
  state_ = EditState::Browse;
  insert_from_.reset();
  rebuild_view(std::nullopt);
  notify_stored(StoredChange::Kind::Replaced, 0);
  notify_reset();
  if (was_editing) notify_state();
  notify_data(std::nullopt);
}

Table::Key Table::key(std::size_t row) const { return row < view_.size() ? keys_[view_[row]] : 0; }

std::optional<std::size_t> Table::row_of(Key key) const {
  if (key == 0) return std::nullopt;
  for (std::size_t p = 0; p < view_.size(); ++p) {
    if (keys_[view_[p]] == key) return p;
  }
  return std::nullopt;
}

std::vector<Table::Key> Table::add(std::vector<Record> records, bool through_post_rule) {
  post_if_changed();
  for (auto& record : records) {
    record = fitted(std::move(record));
    if (through_post_rule && post_rule_) post_rule_(record);
  }
  std::vector<Key> added;
  added.reserve(records.size());
  const Batch batch(*this);
  for (auto& record : records) {
    const std::size_t id = records_.size();
    records_.push_back(std::move(record));
    keys_.push_back(next_key_);
    added.push_back(next_key_++);
    revisions_.push_back(next_revision_++);
    notify_stored(StoredChange::Kind::Put, keys_[id], nullptr, &records_[id]);
    if (!shows(id)) continue;
    const std::size_t pos = place(id);
    // The cursor stays on its record, which moves down when a new one takes a place above it.
    if (cursor_ && pos <= *cursor_) ++*cursor_;
    notify_rows({RowChange::Kind::Inserted, pos, 1, 0}, true);
  }
  // A table that showed nothing has a current record now.
  if (!cursor_ && !view_.empty()) {
    cursor_ = 0;
    at_end_ = false;
  }
  return added;
}

std::size_t Table::rewrite(const std::vector<Patch>& patches, bool through_post_rule) {
  post_if_changed();
  std::unordered_map<Key, std::size_t> at;
  at.reserve(keys_.size());
  for (std::size_t id = 0; id < keys_.size(); ++id) at.emplace(keys_[id], id);

  // Every value is fitted before the first one is stored.
  std::vector<std::pair<std::size_t, std::vector<std::pair<std::size_t, Value>>>> stores;
  stores.reserve(patches.size());
  for (const auto& patch : patches) {
    auto found = at.find(patch.key);
    if (found == at.end()) continue;
    std::vector<std::pair<std::size_t, Value>> fitted;
    fitted.reserve(patch.values.size());
    for (const auto& [field, value] : patch.values) {
      if (field >= kFieldCount)
        throw Error("Unbekanntes Feld Nr. " + text::format_int(field) + ".");
      fitted.emplace_back(field, detail::coerce(value, article_fields()[field]));
    }
    stores.emplace_back(found->second, std::move(fitted));
  }
  if (stores.empty()) return 0;

  const std::optional<std::size_t> current = current_id();
  bool current_changed = false;
  bool order_moved = false;
  for (auto& [id, values] : stores) {
    Record& record = records_[id];
    const Value sorted_by = sort_kind_ != SortKind::Stored ? record[sort_index_] : Value();
    const Value filtered_by = filtered_ && has_like_ ? record[like_field_] : Value();
    const std::optional<Record> before =
        stored_change_.empty() ? std::nullopt : std::optional<Record>(record);
    for (auto& [field, value] : values) record[field] = std::move(value);
    if (through_post_rule && post_rule_) post_rule_(record);
    if (before && *before != record)
      notify_stored(StoredChange::Kind::Put, keys_[id], &*before, &record);
    if (sort_kind_ != SortKind::Stored && record[sort_index_] != sorted_by) order_moved = true;
    if (filtered_ && has_like_ && record[like_field_] != filtered_by) order_moved = true;
    revisions_[id] = next_revision_++;
    if (current == id) current_changed = true;
  }
  if (order_moved) {
    rebuild_view(current);
    notify_reset();
    notify_data(std::nullopt);
    return stores.size();
  }
  std::vector<std::size_t> position(records_.size(), records_.size());
  for (std::size_t p = 0; p < view_.size(); ++p) position[view_[p]] = p;
  std::size_t first = view_.size(), last = 0;
  for (const auto& s : stores) {
    const std::size_t p = position[s.first];
    if (p == records_.size()) continue;
    first = std::min(first, p);
    last = std::max(last, p);
  }
  if (first < view_.size()) notify_rows({RowChange::Kind::Changed, first, last - first + 1, 0});
  if (current_changed) notify_data(std::nullopt);
  return stores.size();
}

void Table::remove_keys(const std::vector<Key>& keys) {
  post_if_changed();
  const std::unordered_set<Key> doomed(keys.begin(), keys.end());
  const std::optional<std::size_t> current = current_id();
  std::optional<Key> current_key;
  if (current) current_key = keys_[*current];
  std::vector<bool> gone(records_.size());
  bool any = false;
  for (std::size_t id = 0; id < records_.size(); ++id) {
    if (!doomed.count(keys_[id])) continue;
    notify_stored(StoredChange::Kind::Removed, keys_[id]);
    gone[id] = any = true;
  }
  if (!any) return;
  drop_records(gone);
  std::optional<std::size_t> keep;
  for (std::size_t id = 0; current_key && id < keys_.size(); ++id) {
    if (keys_[id] == *current_key) keep = id;
  }
  rebuild_view(keep);
  notify_reset();
  notify_data(std::nullopt);
}

void Table::drop_records(const std::vector<bool>& gone) {
  std::size_t kept = 0;
  for (std::size_t id = 0; id < records_.size(); ++id) {
    if (gone[id]) continue;
    // A record moved onto itself would be emptied (a vector moved into itself is left empty).
    if (kept != id) {
      keys_[kept] = keys_[id];
      revisions_[kept] = revisions_[id];
      records_[kept] = std::move(records_[id]);
    }
    ++kept;
  }
  records_.resize(kept);
  keys_.resize(kept);
  revisions_.resize(kept);
}

// --- order and filter ---

bool Table::less(std::size_t a, std::size_t b) const {
  if (sort_kind_ == SortKind::Stored) return a < b;
  int c = detail::compare_values(records_[a][sort_index_], records_[b][sort_index_],
                                 sort_kind_ == SortKind::AscendingNoCase);
  if (sort_kind_ == SortKind::Descending) c = -c;
  return c != 0 ? c < 0 : a < b;
}

bool Table::shows(std::size_t id) const {
  if (!filtered_ || !has_like_) return true;
  const Value& v = records_[id][like_field_];
  if (const std::string* s = v.as_string()) return detail::like_match(*s, like_pattern_);
  return detail::like_match(to_text(v, article_fields()[like_field_]), like_pattern_);
}

std::size_t Table::place(std::size_t id) {
  auto it = std::lower_bound(view_.begin(), view_.end(), id,
                             [this](std::size_t a, std::size_t b) { return less(a, b); });
  const auto placed = view_.insert(it, id);
  return static_cast<std::size_t>(placed - view_.begin());
}

void Table::rebuild_view(std::optional<std::size_t> keep_id, bool order_kept) {
  std::vector<std::size_t> shown;
  for (std::size_t id = 0; id < records_.size(); ++id) {
    if (shows(id)) shown.push_back(id);
  }
  // Typing into the filter mostly narrows it: when no record comes back into view, the rows
  // still shown keep their order and nothing needs sorting.
  bool narrowed = false;
  if (order_kept && sort_kind_ != SortKind::Stored && shown.size() <= view_.size()) {
    std::vector<bool> was_shown(records_.size());
    for (auto id : view_) was_shown[id] = true;
    narrowed =
        std::all_of(shown.begin(), shown.end(), [&](std::size_t id) { return was_shown[id]; });
  }
  if (narrowed) {
    std::erase_if(view_, [this](std::size_t id) { return !shows(id); });
  } else {
    view_ = std::move(shown);
    order_view();
  }
  at_end_ = false;
  cursor_.reset();
  if (view_.empty()) return;
  cursor_ = 0;
  if (keep_id) {
    auto it = std::find(view_.begin(), view_.end(), *keep_id);
    if (it != view_.end()) cursor_ = static_cast<std::size_t>(it - view_.begin());
  }
}

void Table::order_view() {
  if (sort_kind_ == SortKind::Stored) return;  // the rows are in stored order already
  std::vector<const Value*> values;
  values.reserve(view_.size());
  for (auto id : view_) values.push_back(&records_[id][sort_index_]);
  const auto keys = detail::sort_keys(values, sort_kind_ == SortKind::AscendingNoCase);
  if (!keys) {
    // A merge sort stays in bounds even if a hand-made record breaks the order's rules.
    std::stable_sort(view_.begin(), view_.end(),
                     [this](std::size_t a, std::size_t b) { return less(a, b); });
    return;
  }
  const bool down = sort_kind_ == SortKind::Descending;
  std::vector<std::size_t> at(view_.size());
  for (std::size_t i = 0; i < at.size(); ++i) at[i] = i;
  std::sort(at.begin(), at.end(), [&](std::size_t a, std::size_t b) {
    const int c = (*keys)[a].compare((*keys)[b]);
    if (c != 0) return down ? c > 0 : c < 0;
    return view_[a] < view_[b];  // ties keep the stored order
  });
  std::vector<std::size_t> ordered(view_.size());
  for (std::size_t i = 0; i < at.size(); ++i) ordered[i] = view_[at[i]];
  view_ = std::move(ordered);
}

void Table::sort(SortKind kind, std::optional<F> field) {
  if (kind != SortKind::Stored && !field) throw Error("Sortierung ohne Feld.");
  post_if_changed();
  sort_kind_ = kind;
  sort_index_ = field ? index_of(*field) : 0;
  sort_field_ = field ? std::string(name_of(*field)) : std::string();
  rebuild_view(current_id());
  notify_reset();
  notify_data(std::nullopt);
}

std::string Table::like_expression(std::string_view field, std::string_view text) {
  std::string e = "[" + std::string(field) + "] like '%";
  for (char c : text) {
    if (c == '\'') e += '\'';
    e += c;
  }
  return e + "%'";
}

void Table::set_filter(std::string expression) {
  detail::LikeFilter like;
  const bool has_like = !expression.empty();
  if (has_like) like = detail::parse_like(expression);
  post_if_changed();
  filter_ = std::move(expression);
  has_like_ = has_like;
  like_field_ = like.field;
  like_pattern_ = std::move(like.pattern);
  if (!filtered_) return;
  rebuild_view(current_id(), true);
  notify_reset();
  notify_data(std::nullopt);
}

void Table::set_filtered(bool on) {
  if (on == filtered_) return;
  post_if_changed();
  filtered_ = on;
  rebuild_view(current_id(), true);
  notify_reset();
  notify_data(std::nullopt);
}

// --- observers ---

ports::Subscription Table::on_data_change(DataChange f, Phase phase) {
  return (phase == Phase::Controls ? data_to_controls_ : data_change_).connect(std::move(f));
}
ports::Subscription Table::on_before_post(BeforePost f, Phase phase) {
  return (phase == Phase::Controls ? before_post_from_controls_ : before_post_)
      .connect(std::move(f));
}
ports::Subscription Table::on_rows_change(RowsChange f) {
  return rows_change_.connect(std::move(f));
}
ports::Subscription Table::on_stored_change(StoredChanges f) {
  return stored_change_.connect(std::move(f));
}

void Table::notify_stored(StoredChange::Kind kind, Key key, const Record* before,
                          const Record* after) {
  if (!stored_change_.empty()) stored_change_.notify({kind, key, before, after});
}

ports::Subscription Table::on_state_change(StateChange f) {
  return state_change_.connect(std::move(f));
}

void Table::notify_data(std::optional<std::size_t> field) {
  if (batch_.depth > 0) {
    batch_.data = true;
    return;
  }
  data_to_controls_.notify(field);
  data_change_.notify(field);
}

void Table::notify_rows(const RowChange& change, bool own_insert) {
  if (batch_.depth > 0) {
    batch_.rows = true;
    if (!own_insert) batch_.only_appends = false;
    return;
  }
  rows_change_.notify(change);
}

void Table::notify_reset() { notify_rows({RowChange::Kind::Reset, 0, 0, 0}); }

void Table::notify_state() {
  if (batch_.depth > 0) {
    batch_.state = true;
    return;
  }
  state_change_.notify();
}

void Table::begin_batch() {
  if (batch_.depth++ > 0) return;
  batch_ = BatchState{.depth = 1, .records = records_.size(), .shown = count()};
  // A pending insert from before would be posted or dropped inside: no plain append then.
  if (state_ == EditState::Insert) batch_.only_appends = false;
}

void Table::end_batch() {
  if (batch_.depth == 0 || --batch_.depth > 0) return;
  const BatchState done = batch_;
  if (done.rows) {
    // The new rows as shown: records stored since the batch began, and a pending insert.
    std::vector<std::size_t> rows;
    if (done.only_appends) {
      for (std::size_t p = 0; p < view_.size(); ++p) {
        if (view_[p] >= done.records) rows.push_back(p);
      }
      if (state_ == EditState::Insert) rows.push_back(view_.size());
    }
    if (!done.only_appends || rows.size() + done.shown != count()) {
      rows_change_.notify({RowChange::Kind::Reset, 0, 0, 0});
    } else {
      // Ascending runs: each one's rows are where they end up once the runs before it are in.
      for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i + 1;
        while (j < rows.size() && rows[j] == rows[j - 1] + 1) ++j;
        rows_change_.notify({RowChange::Kind::Inserted, rows[i], j - i, 0});
        i = j;
      }
    }
  }
  if (done.state) state_change_.notify();
  if (done.data || done.rows) {
    data_to_controls_.notify(std::nullopt);
    data_change_.notify(std::nullopt);
  }
}

Table::Batch::~Batch() {
  try {
    table_.end_batch();
  } catch (...) {
    // An observer that throws must not end the program from a destructor; the views re-read
    // on their next event.
  }
}

}  // namespace tellvaro::store
