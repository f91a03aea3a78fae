#pragma once

// The in-memory dataset behind every grid and editor: records in stored order, a visible order
// (sort and filter), a cursor, an edit buffer, and observers. Qt-free.
//
// Observers get a Subscription and stay subscribed while they hold it. Row events name the
// rows as shown, so a grid can insert, remove or move exactly those rows; a Batch collects the
// events of many appends (an import, a transfer) into one.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/signal.h"
#include "store/field.h"

namespace tellvaro::store {

enum class EditState { Browse, Edit, Insert };

// In every order null and the empty text come first (last when descending), amounts go by
// value, flags False before True, texts by compare_german; ties keep the stored order.
enum class SortKind {
  Stored,           // the order of insertion (the stored order)
  AscendingNoCase,  // the sort order named F + "Index"
  Descending,       // the sort order named F + "Index2": AscendingCase reversed
  AscendingCase,    // the sort field: ascending with regard to letter case
};

// German dictionary comparison of two UTF-8 texts: "Äpfel" beside "Apfel", "ß" as "ss".
// With `ignore_case` false, letter case only breaks ties (lower before upper).
int compare_german(std::string_view a, std::string_view b, bool ignore_case);

class Table {
 public:
  // What an observer is told. `field` is set when one field of the current record was written,
  // and absent when the current record as a whole changed (cursor moved, insert, delete, cancel,
  // post, load).
  using DataChange = std::function<void(std::optional<std::size_t> field)>;
  using BeforePost = std::function<void()>;
  // Fills computed fields of a record about to be stored (the article fee).
  using PostRule = std::function<void(Record&)>;
  // A record's name for as long as it is in the table: a sort, a filter, an edit or a save keep
  // it; a delete ends it, and loading a file gives every record a new one. Never 0.
  using Key = std::uint64_t;
  // Which rows (as shown) came, went or moved. Rows are counted in the order as shown, with a
  // pending insert as the row after the last stored one.
  struct RowChange {
    enum class Kind {
      Inserted,  // `count` rows now stand at `first`...
      Removed,   // `count` rows that stood at `first`... are gone
      Moved,     // the row at `first` now stands at `to` (the same row when the posted insert
                 // or edit kept its place)
      Changed,   // rows `first`... (`count` of them, others between them may be unchanged) hold
                 // new values and kept their places
      Reset,     // anything else (load, sort, filter): views must re-read everything
    };
    Kind kind;
    std::size_t first = 0;
    std::size_t count = 0;
    std::size_t to = 0;
  };
  using RowsChange = std::function<void(const RowChange&)>;
  // The edit state changed (navigators enable their buttons by it).
  using StateChange = std::function<void()>;
  // A change to the stored records, as it is stored (what a recovery journal writes down). A
  // sort, a filter, a cursor move or a pending edit is none.
  struct StoredChange {
    enum class Kind {
      Put,       // the record with `key` holds `after` now; `before` is null for a new record
      Removed,   // the record with `key` is gone
      Replaced,  // every record was replaced (a file loaded); keys all new
    };
    Kind kind;
    Key key = 0;
    const Record* before = nullptr;
    const Record* after = nullptr;
  };
  using StoredChanges = std::function<void(const StoredChange&)>;
  // When a data or before-post listener hears, whatever the order it subscribed in. Controls
  // bound to fields hold a copy of the current record: they hear first, so on a data change they
  // show the record before anything that reads them runs, and before a post they write what
  // they hold into the record before anything that reads it runs (the post rule comes last).
  enum class Phase { Controls, Others };

  Table();

  // --- records as shown (through the filter, in the active order) ---
  std::size_t count() const;
  bool empty() const { return count() == 0; }
  const Record& row(std::size_t index) const;   // the edit buffer for the current row in edit
  std::optional<std::size_t> position() const;  // absent when the table shows no record

  // --- cursor; each move first settles a pending edit (post_if_changed). move_to names a row
  // as shown before the move; if posting re-sorts the rows, the cursor still lands on that
  // record. ---
  void first();
  void last();
  void next();
  void prior();
  void move_to(std::size_t index);
  // To the record with this key; nothing happens when the filter hides it or it is gone.
  void move_to_key(Key key);
  bool at_end() const;  // after next() on the last record

  // --- edit state ---
  EditState state() const { return state_; }
  // Puts the current record into editing; on an empty table inserts a new record instead.
  void edit();
  // A new empty record, current and in insert state (shown at the end until posted).
  void append();
  // Stores the edit: runs the before-post hook, then the record takes its place in the order.
  // The hook runs even when nothing was written, so what it derives (the fee) is brought up to
  // date by every explicit post. Nothing to do in browse state. An insert is stored even when
  // nothing was written (an empty article is a record, too). A before-post hook that throws
  // stops the post; the record stays in editing.
  void post();
  // What a cursor move, a sort, a filter change and a save do with a pending edit: post it when
  // it changed something, cancel it otherwise (an untouched insert disappears).
  void post_if_changed();
  // Drops the edit; an insert disappears and the record current before it is current again.
  void cancel();

  // --- fields of the current record ---
  const Value& get(std::size_t field) const;  // null when the table shows no record
  const Value& get(F field) const { return get(index_of(field)); }
  std::string text(F field) const;  // "as text"
  // Writes a field; puts the record into editing first (insert on an empty table). Text is cut
  // to the field's width. Fires the data-change observers with the field.
  void set(std::size_t field, Value v);
  void set(F field, Value v) { set(index_of(field), std::move(v)); }
  // Writes what a seller typed (from_typed_text); a text that is no number throws
  // tellvaro::Error and changes nothing.
  void set_text(F field, std::string_view text);

  // The current record's values as a whole, and setting them all at once (copy, transfers).
  Record values() const;
  // Copies of the records as shown, in the order shown (a pending edit as it stands).
  std::vector<Record> shown() const;
  void set_values(const Record& values);

  // Deletes the current record (a pending insert is just cancelled); the cursor stays at the
  // same position, or moves to the new last record.
  void remove();
  // Deletes every record that the filter lets through.
  void remove_all_shown();

  // Replaces all records (loading a file); browse state, cursor on the first record.
  void replace_all(std::vector<Record> records);
  // All records in stored order, filter ignored, a pending edit not included.
  const std::vector<Record>& stored() const { return records_; }
  // Their keys, in the same order.
  const std::vector<Key>& stored_keys() const { return keys_; }
  // The key of a row as shown; 0 for a pending insert or a row that is not there.
  Key key(std::size_t row) const;
  // The row as shown of the record with this key; absent when the filter hides it or no record
  // has the key.
  std::optional<std::size_t> row_of(Key key) const;
  // Per stored record, a number that changes whenever a change to it is stored (a post that
  // changed it, a rewrite) and never comes back: equal numbers mean nothing came in between.
  const std::vector<std::uint64_t>& stored_revisions() const { return revisions_; }

  // Stores new records as posting an insert would (fitted to their fields, through the post
  // rule, each in its place in the order) without moving the cursor; a pending edit is settled
  // first. The before-post listeners belong to the record being edited and do not run.
  // Observers hear as after a batch of appends: the rows that appear, then one data event (the
  // current record stays the same, or becomes the first one on a table that showed nothing).
  // Every record is fitted and goes through the rule before the first one is stored (a value
  // that does not fit throws with the table untouched). Returns the new records' keys, in the
  // given order.
  // `through_post_rule` false stores the records as given (a recovery puts back what was stored).
  std::vector<Key> add(std::vector<Record> records, bool through_post_rule = true);
  // Deletes the records with these keys, shown or not (keys that name no record are passed
  // over); a pending edit is settled first, the cursor stays on its record if it is kept.
  void remove_keys(const std::vector<Key>& keys);

  // New values for some fields of the record with this key.
  struct Patch {
    Key key = 0;
    std::vector<std::pair<std::size_t, Value>> values;  // field index, value
  };
  // Writes the patches into their records in one step: a pending edit is settled first,
  // `through_post_rule` runs the post rule on each patched record (the before-post listeners
  // belong to the record being edited and do not run; the rule must not throw here), and
  // observers hear once: one Changed event, or a Reset when the order or the filter's choice
  // moved rows. The cursor stays on its record. Values are fitted to their fields before any is
  // stored (a value that does not fit throws with the table untouched); keys that name no record
  // are passed over. Returns how many records were written.
  std::size_t rewrite(const std::vector<Patch>& patches, bool through_post_rule);

  // --- order ---
  void sort(SortKind kind, std::optional<F> field = std::nullopt);
  SortKind sort_kind() const { return sort_kind_; }
  // The sort field's name; empty before the first sort by a field.
  const std::string& sort_field() const { return sort_field_; }

  // --- filter: "[F] like '%T%'" with '' for a quote inside; letter case counts; a non-text
  // field is matched by its text. An expression that cannot be read throws tellvaro::Error. ---
  static std::string like_expression(std::string_view field, std::string_view text);
  static std::string like_expression(F field, std::string_view text) {
    return like_expression(name_of(field), text);
  }
  void set_filter(std::string expression);
  const std::string& filter() const { return filter_; }
  void set_filtered(bool on);
  bool filtered() const { return filtered_; }

  // --- observers (any number, while the subscription is held; within a phase in the order
  // added, which nobody may rely on) ---
  [[nodiscard]] ports::Subscription on_data_change(DataChange f, Phase phase = Phase::Others);
  [[nodiscard]] ports::Subscription on_before_post(BeforePost f, Phase phase = Phase::Others);
  [[nodiscard]] ports::Subscription on_rows_change(RowsChange f);
  [[nodiscard]] ports::Subscription on_state_change(StateChange f);
  [[nodiscard]] ports::Subscription on_stored_change(StoredChanges f);
  // The rule that fills computed fields of a record being posted (the article fee). It runs
  // after every before-post listener, so it sees what they wrote; one per table.
  void set_post_rule(PostRule rule) { post_rule_ = std::move(rule); }

  // While a Batch lives, row, data and state events are held back; when the last one ends,
  // observers hear once: appends that only added rows come as one Inserted event per run of
  // adjacent new rows (one for a table in stored order), anything else as one Reset; then one
  // state event if the state changed and one data event. Before-post hooks run as usual.
  class Batch {
   public:
    explicit Batch(Table& table) : table_(table) { table_.begin_batch(); }
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    Table& table_;
  };

 private:
  // implementation detail, free to change
  void commit(bool explicit_post);
  std::optional<std::size_t> current_id() const;
  bool shows(std::size_t id) const;
  bool less(std::size_t a, std::size_t b) const;
  std::size_t place(std::size_t id);
  // `order_kept`: only the filter changed, so the rows shown are still in order.
  void rebuild_view(std::optional<std::size_t> keep_id, bool order_kept = false);
  // Drops the records marked in `gone` (by id), keeping the others in their order.
  void drop_records(const std::vector<bool>& gone);
  void order_view();
  void go_to(std::size_t pos);
  void notify_data(std::optional<std::size_t> field);
  // `own_insert` marks the events of a pending insert (its appearing, posting or cancelling),
  // which a batch may still report as plain inserts.
  void notify_rows(const RowChange& change, bool own_insert = false);
  void notify_reset();
  void notify_state();
  void notify_stored(StoredChange::Kind kind, Key key, const Record* before = nullptr,
                     const Record* after = nullptr);
  void begin_batch();
  void end_batch();

  std::vector<Record> records_;  // stored order
  std::vector<Key> keys_;        // one per record
  Key next_key_ = 1;
  std::vector<std::uint64_t> revisions_;  // one per record
  std::uint64_t next_revision_ = 1;
  std::vector<std::size_t> view_;      // indices into records_, as shown
  std::optional<std::size_t> cursor_;  // index into view_; view_.size() for a pending insert
  bool at_end_ = false;
  EditState state_ = EditState::Browse;
  Record buffer_;
  std::optional<std::size_t> insert_from_;  // record current before a pending insert
  bool posting_ = false;
  SortKind sort_kind_ = SortKind::Stored;
  std::size_t sort_index_ = 0;
  std::string sort_field_;
  std::string filter_;
  bool filtered_ = false;
  bool has_like_ = false;
  std::size_t like_field_ = 0;
  std::string like_pattern_;
  ports::Signal<std::optional<std::size_t>> data_to_controls_, data_change_;
  ports::Signal<> before_post_from_controls_, before_post_;
  PostRule post_rule_;
  ports::Signal<const RowChange&> rows_change_;
  ports::Signal<> state_change_;
  ports::Signal<const StoredChange&> stored_change_;
  struct BatchState {
    int depth = 0;
    std::size_t records = 0;  // stored records when it began: ids from here on are new
    std::size_t shown = 0;    // rows shown when it began
    bool rows = false, data = false, state = false;
    bool only_appends = true;
  } batch_;
};

}  // namespace tellvaro::store
