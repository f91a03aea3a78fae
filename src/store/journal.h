#pragma once

// The recovery journal: while the window runs, every change to the three tables is appended to a
// journal beside its table file within about a second (a record posted, added, rewritten or
// deleted, a table replaced), and so is the record being typed. The table files themselves are
// written only by a save, as before. A start after a crash, a kill or a power cut finds the
// journals and can put the tables back as they were; a clean end removes them.
//
// One journal per table ("files/db/artikel_db.journal" beside "artikel_db.xml"), one entry per
// line, each line closed by a checksum, so a line torn by a kill is recognised and dropped alone.
// The first line names the table file the entries apply to (size, time, inode) and the keys its
// records had, so entries name records by key; a journal whose table file changed since is never
// applied.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ports/signal.h"
#include "store/article_store.h"
#include "store/table.h"

namespace tellvaro::store {

// The journal beside a table file: "files/db/artikel_db.xml" -> "files/db/artikel_db.journal".
std::string journal_path(std::string_view table_path);

// Writes journal files on a thread of its own, so the window never waits for the disk: appends
// are collected and written with one flush to disk about every half second.
class JournalWriter {
 public:
  JournalWriter();
  ~JournalWriter();  // writes what is queued, then stops
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  void append(const std::string& path, std::string bytes);
  void replace(const std::string& path, std::string bytes);  // the whole file anew, atomically
  void remove(const std::string& path);
  // Returns once everything queued before the call is on disk.
  void sync();
  // The first failure since the last call ("" when none); the journal goes on trying.
  std::string take_error();

 private:
  struct Op {
    enum class Kind { Append, Replace, Remove } kind;
    std::string path;
    std::string bytes;
  };
  void run();
  void write(std::vector<Op>& ops);

  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::vector<Op> queue_;
  std::uint64_t queued_ = 0, written_ = 0;
  bool stop_ = false;
  int syncs_ = 0;  // callers waiting in sync()
  std::string error_;
  std::thread thread_;
};

// One table's journal. Listens to the table's stored changes from the moment it exists.
class TableJournal {
 public:
  // Starts as after rebase(true): the table is taken to hold its file now.
  TableJournal(Table& table, std::string table_path, JournalWriter& writer);
  TableJournal(const TableJournal&) = delete;
  TableJournal& operator=(const TableJournal&) = delete;

  // The table holds exactly its file now (loaded or saved): the journal starts afresh and its
  // file goes. With `keep_file` the old file stays until the first new entry replaces it (a
  // recovery that is about to write the same changes again).
  void rebase(bool keep_file = false);
  // Writes down the record being typed when it changed since the last call, or that the edit
  // ended. The window calls this every second.
  void note_edit();
  // Removes the journal's file (a clean end, after the table was saved).
  void end();
  // While held, entries are gathered and written in one step by release(): a recovery writes
  // what it restored as one whole, so a kill in the middle leaves the earlier journal in place.
  void hold() { holding_ = true; }
  void release();
  const std::string& path() const { return path_; }
  // Runs before a stored change is written down: the records being typed in the other tables go
  // first, so a copy of typed text never reaches the journal before the text it copies.
  void before_each_change(std::function<void()> f) { before_change_ = std::move(f); }

 private:
  void on_stored(const Table::StoredChange& change);
  void put(std::string line);

  Table& table_;
  std::string table_path_;
  std::string path_;
  JournalWriter& writer_;
  std::string base_keys_;  // the keys of the file's records, as ranges
  std::string header_;     // written before the first entry after a rebase
  bool fresh_ = true;      // nothing written since the rebase
  std::string last_edit_;  // the edit line written last, "" when none is open
  std::function<void()> before_change_;
  bool holding_ = false;
  std::string held_;
  ports::Subscription subscription_;
};

// What a start finds of the journals of a run that did not end cleanly.
struct FoundJournals {
  struct Table {
    std::string caption;        // "Artikel-Tabelle"
    std::string journal;        // path
    std::size_t changes = 0;    // entries that would come back
    bool file_changed = false;  // the table file is not the one the journal was written against
    bool unreadable = false;    // damaged in the middle or no journal of ours
  };
  std::vector<Table> tables;     // those with a journal file
  std::int64_t last_change = 0;  // seconds since 1970 of the newest journal write
  // Anything to offer: some journal holds changes or cannot be read.
  bool worth_asking() const;
};
FoundJournals find_journals(std::string_view program_folder);

// "Tellvaro wurde nicht ordnungsgemäß beendet. Die nicht gespeicherten Änderungen vom
// 11.12.2026 10:52:13 wiederherstellen?", with what does not fit said below it.
std::string recovery_question(const FoundJournals& found);
inline constexpr std::string_view kRestoreButton = "Wiederherstellen";
inline constexpr std::string_view kDiscardButton = "Verwerfen";

struct Recovery {
  std::size_t changes = 0;            // entries applied, an open edit included
  std::vector<std::string> messages;  // journals not applied, and why (German)
};
// Applies each readable journal that fits its table file to the tables as loaded from the files
// (call it right after loading them, with the journals rebased with `keep_file`): the changes
// are stored again through the tables (and so journaled anew), a record that was being typed
// comes back in editing. A journal that does not fit or cannot be read is kept as a copy and
// named in the messages.
Recovery restore_journals(ArticleStore& store, std::string_view program_folder);

// "12 nicht gespeicherte Änderungen wiederhergestellt." for the status line.
std::string recovered_text(std::size_t changes);

// Keeps each journal as a dated copy beside it (the newest five per table) and removes it.
void discard_journals(std::string_view program_folder, std::int64_t now);

// The three journals of a running window over its tables, and their writer.
class RecoveryJournal {
 public:
  RecoveryJournal(ArticleStore& store, std::string_view program_folder);
  // After loading or saving: every journal starts afresh (see TableJournal::rebase).
  void rebase_all(bool keep_files = false);
  TableJournal& journal_of(const Table& table);
  // Every second: the records being typed.
  void note_edits();
  void hold_all();
  void release_all();
  // A clean end: the journals go (once the tables are saved).
  void end();
  // Everything written down so far is on disk when this returns (tests, benchmarks).
  void sync() { writer_.sync(); }
  std::string take_error() { return writer_.take_error(); }

 private:
  JournalWriter writer_;
  std::vector<std::unique_ptr<TableJournal>> journals_;
  std::vector<const Table*> tables_;
};

}  // namespace tellvaro::store
