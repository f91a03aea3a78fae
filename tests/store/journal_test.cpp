// The recovery journal: what a run that never saved leaves behind, and what a start makes of it.

#include "store/journal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <random>
#include <sstream>
#include <thread>

#include "store/data_packet.h"
#include "store/files.h"
#include "support/temp_dir.h"
#include "text/number.h"

namespace tellvaro::store {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempDir;
using test::write_file;

Record article(const std::string& name, double price) {
  Record r = empty_record();
  at(r, F::Artikelname) = Value::text(name);
  at(r, F::Startpreis) = Value::amount(price);
  at(r, F::Fettschrift) = Value::flag(false);
  return r;
}

// A program folder whose table files hold a few articles, uploads and imports.
struct Folder {
  TempDir dir;
  Folder() {
    make_files(dir.folder());
    write_file(path(kArticleFile),
               format_table({article("Apfel", 1), article("Birne", 2), article("Kirsche", 3)}));
    write_file(path(kUploadFile), format_table({article("Zitrone", 4)}));
    write_file(path(kImportFile), format_table({}));
  }
  std::string folder() const { return dir.folder(); }
  std::string path(std::string_view relative) const { return data_path(dir.folder(), relative); }
};

// What a run sees: its tables, each with its edit state and the record being typed.
struct Seen {
  std::vector<std::vector<Record>> stored;
  std::vector<EditState> states;
  std::vector<Record> editing;
  bool operator==(const Seen&) const = default;
};

Seen seen(ArticleStore& store) {
  Seen s;
  for (auto [table, file] : store.standard_files()) {
    s.stored.push_back(table->stored());
    s.states.push_back(table->state());
    s.editing.push_back(table->state() == EditState::Browse ? Record() : table->values());
  }
  return s;
}

std::uint64_t digest(const Seen& s) {
  std::string bytes;
  for (std::size_t t = 0; t < s.stored.size(); ++t) {
    bytes += format_table(s.stored[t]);
    bytes += text::format_int(int(s.states[t]));
    if (s.states[t] != EditState::Browse) bytes += format_table({s.editing[t]});
  }
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

// A run over the folder: the tables as loaded, with the journal a window starts.
struct Window {
  ArticleStore store;
  std::unique_ptr<RecoveryJournal> journal;
  Recovery recovery;
  Window(const Folder& f, bool restore) {
    store.load_all(f.folder());
    journal = std::make_unique<RecoveryJournal>(store, f.folder());
    if (restore) {
      journal->hold_all();
      recovery = restore_journals(store, f.folder());
      journal->note_edits();
      journal->release_all();
    } else {
      journal->rebase_all();
    }
  }
};

// Every kind of change comes back exactly, as the tables held it, the record being typed in
// editing; a restored run journals what it restored, so a second crash costs nothing either.
TEST(RecoveryJournal, EveryKindOfChangeComesBack) {
  Folder f;
  Seen before_crash;
  {
    Window run(f, false);
    Table& articles = run.store.articles;
    articles.first();
    articles.set_text(F::Artikelname, "Apfel, \"rot\"\tmit\\Tab");
    articles.set(F::Beschreibung, Value::text("Zeile 1\r\nZeile 2 – über €"));
    articles.set(F::Fettschrift, Value::flag(true));
    articles.set(F::Startpreis, Value());
    articles.post();
    articles.next();
    articles.remove();  // Birne
    articles.append();
    articles.set_text(F::Artikelname, "Pflaume");
    articles.set_text(F::Startpreis, "16,99");
    articles.post();
    run.store.uploads.add({article("Pflaume", 16.99), article("Quitte", 0.5)});
    run.store.uploads.rewrite(
        {{run.store.uploads.stored_keys()[0], {{index_of(F::Startpreis), Value::amount(9.5)}}}},
        false);
    run.store.imports.add({article("Mango", 120)});
    run.store.imports.remove_all_shown();
    run.store.imports.add({article("Kiwi", 99999.99)});
    articles.sort(SortKind::Descending, F::Artikelname);  // no change
    // Typed, not posted.
    articles.first();
    articles.set_text(F::Untertitel, "halb getip");
    run.journal->note_edits();
    run.journal->sync();
    before_crash = seen(run.store);
    // The process dies here: nothing is saved, nothing ends the journal.
  }
  ASSERT_TRUE(fs::exists(f.path("files/db/artikel_db.journal")));
  const FoundJournals found = find_journals(f.folder());
  ASSERT_TRUE(found.worth_asking());
  EXPECT_EQ(recovery_question(found).rfind(
                "Tellvaro wurde nicht ordnungsgemäß beendet. Die nicht gespeicherten Änderungen "
                "vom ",
                0),
            0u)
      << recovery_question(found);

  Seen restored;
  {
    Window again(f, true);
    restored = seen(again.store);
    EXPECT_TRUE(again.recovery.messages.empty());
    EXPECT_EQ(again.recovery.changes, 10u);  // 3 for each table and the open edit
    EXPECT_EQ(again.store.articles.state(), EditState::Edit);
    EXPECT_EQ(again.store.articles.text(F::Untertitel), "halb getip");
    again.journal->sync();
  }
  // The sort is no change: the stored order is compared, the shown one is the run's own.
  for (std::size_t t = 0; t < 3; ++t) {
    EXPECT_EQ(format_table(restored.stored[t]), format_table(before_crash.stored[t])) << t;
  }
  EXPECT_EQ(restored.states, before_crash.states);
  EXPECT_TRUE(restored.editing[0] == before_crash.editing[0]);

  // A second crash right after the restore: the same state again.
  Window third(f, true);
  EXPECT_TRUE(seen(third.store).stored == before_crash.stored);
  EXPECT_EQ(third.store.articles.text(F::Untertitel), "halb getip");
}

// A clean end leaves no journal; a run without changes writes none; a save starts afresh.
TEST(RecoveryJournal, ACleanEndAndASaveLeaveNothingToRestore) {
  Folder f;
  {
    Window run(f, false);
    run.journal->note_edits();
    run.journal->sync();
    EXPECT_FALSE(fs::exists(f.path("files/db/artikel_db.journal")));
    run.store.articles.first();
    run.store.articles.set_text(F::Artikelname, "Aprikose");
    run.store.articles.post();
    run.journal->sync();
    EXPECT_TRUE(fs::exists(f.path("files/db/artikel_db.journal")));
    save_table(run.store.articles, f.path(kArticleFile));
    run.journal->journal_of(run.store.articles).rebase();
    run.journal->sync();
    EXPECT_FALSE(fs::exists(f.path("files/db/artikel_db.journal")));
    run.store.uploads.add({article("Feige", 1)});
    run.journal->sync();
    EXPECT_TRUE(find_journals(f.folder()).worth_asking());
    run.store.save_all(f.folder());
    run.journal->end();
  }
  for (const auto& e : fs::directory_iterator(f.path("files/db"))) {
    EXPECT_NE(e.path().extension(), ".journal") << e.path();
  }
}

// Never worse than before: a torn last line is dropped alone, a damaged journal and one whose
// table file was replaced are not applied but kept and named; "Verwerfen" keeps dated copies.
TEST(RecoveryJournal, TornDamagedAndForeignJournalsAreNeverApplied) {
  Folder f;
  const std::string journal = f.path("files/db/artikel_db.journal");
  {
    Window run(f, false);
    run.store.articles.first();
    run.store.articles.set_text(F::Artikelname, "Eins");
    run.store.articles.post();
    run.store.articles.set_text(F::Artikelname, "Zwei");
    run.store.articles.post();
    run.journal->sync();
  }
  const std::string whole = read_file(journal);
  // Torn in the middle of its last line: the first change comes back, the second not.
  write_file(journal, whole.substr(0, whole.size() - 7));
  {
    Window run(f, true);
    EXPECT_EQ(run.recovery.changes, 1u);
    EXPECT_TRUE(run.store.articles.stored()[0] == article("Eins", 1))
        << format_table({run.store.articles.stored()[0]});
    run.journal->sync();
  }
  // Damaged before its end: nothing applied, the bytes kept as a copy and named.
  std::string damaged = whole;
  damaged[damaged.find("Eins")] = 'X';
  write_file(journal, damaged);
  EXPECT_TRUE(find_journals(f.folder()).tables[0].unreadable);
  {
    Window run(f, true);
    EXPECT_EQ(run.recovery.changes, 0u);
    ASSERT_EQ(run.recovery.messages.size(), 1u);
    EXPECT_NE(run.recovery.messages[0].find("nicht lesbar"), std::string::npos);
    EXPECT_EQ(at(run.store.articles.stored()[0], F::Artikelname).as_string()->c_str(),
              std::string("Apfel"));
  }
  // The table file replaced since (another program saved it): said in the question, not applied.
  write_file(journal, whole);
  write_file(f.path(kArticleFile), format_table({article("Neu", 7)}));
  const FoundJournals found = find_journals(f.folder());
  ASSERT_EQ(found.tables.size(), 1u);
  EXPECT_TRUE(found.tables[0].file_changed);
  EXPECT_NE(recovery_question(found).find("Die Datei der Artikel-Tabelle wurde seitdem ersetzt"),
            std::string::npos);
  {
    Window run(f, true);
    EXPECT_EQ(run.recovery.changes, 0u);
    EXPECT_TRUE(run.store.articles.stored() == std::vector<Record>{article("Neu", 7)});
    EXPECT_FALSE(fs::exists(journal));
  }
  // "Verwerfen": dated copies, the newest five.
  for (int i = 0; i < 7; ++i) {
    write_file(journal, whole);
    discard_journals(f.folder(), 1'800'000'000 + i);
  }
  int copies = 0;
  for (const auto& e : fs::directory_iterator(f.path("files/db"))) {
    copies += e.path().filename().string().rfind("artikel_db_verworfen_", 0) == 0;
  }
  EXPECT_EQ(copies, 5);
  EXPECT_FALSE(fs::exists(journal));
}

// One step of the script a killed run works through: posts, inserts, transfers, deletes and
// typing, chosen by a seeded random source.
void step(ArticleStore& store, std::mt19937& rng, int n) {
  Table& a = store.articles;
  switch (rng() % 6) {
    case 0:
      if (!a.empty()) a.move_to(rng() % a.count());
      a.set_text(F::Artikelname, "Artikel " + text::format_int(n));
      a.post();
      break;
    case 1:
      a.append();
      a.set_text(F::Artikelname, "Neu " + text::format_int(n));
      a.set_text(F::Startpreis, text::format_int(n % 97) + ",5");
      a.post();
      break;
    case 2:
      if (!a.empty()) {
        a.move_to(rng() % a.count());
        store.uploads.add({a.values()});
      }
      break;
    case 3:
      if (!a.empty()) {
        a.move_to(rng() % a.count());
        a.remove();
      }
      break;
    case 4:
      if (!store.uploads.empty()) {
        store.uploads.move_to(rng() % store.uploads.count());
        store.uploads.remove();
      }
      break;
    case 5:  // typed, left open
      if (!a.empty()) a.move_to(rng() % a.count());
      a.set_text(F::Untertitel, "getippt " + text::format_int(n));
      break;
  }
}

std::int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Killed at random moments while it works: each start restores the state of the last change at
// least two seconds old, or a newer one; never a torn or mixed state.
TEST(RecoveryJournal, ThirtyKillsEachRestoreAStateOfTheLastTwoSeconds) {
  Folder f;
  const std::string states = f.dir / "states.txt";
  std::mt19937 pick(20261211);
  for (int kill = 0; kill < 30; ++kill) {
    write_file(states, "");
    const int after_ms = 100 + int(pick() % 2400);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Restores what the kill before left, then works on; every state it reaches is logged
      // with the time it began.
      Window run(f, true);
      std::mt19937 rng(kill);
      FILE* log = std::fopen(states.c_str(), "a");
      auto log_state = [&] {
        std::fprintf(log, "%lld\t%llu\n", static_cast<long long>(now_ms()),
                     static_cast<unsigned long long>(digest(seen(run.store))));
        std::fflush(log);
      };
      log_state();
      std::int64_t last_note = now_ms();
      for (int n = 0;; ++n) {
        // A step moves the cursor first, which posts what was typed: a state of its own.
        if (run.store.articles.state() != EditState::Browse) {
          run.store.articles.post_if_changed();
          log_state();
        }
        step(run.store, rng, n);
        // The window notes the record being typed every second.
        if (now_ms() - last_note >= 1000) {
          run.journal->note_edits();
          last_note = now_ms();
        }
        log_state();
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(after_ms));
    const std::int64_t killed_at = now_ms();
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);

    std::vector<std::pair<std::int64_t, std::uint64_t>> went;  // began, digest
    std::istringstream lines(read_file(states));
    long long began = 0;
    unsigned long long state = 0;
    while (lines >> began >> state) went.emplace_back(began, state);
    ASSERT_FALSE(went.empty());

    Window run(f, true);
    const std::uint64_t got = digest(seen(run.store));
    // Allowed: the last state that began at least two seconds before the kill, and every later.
    std::size_t first_allowed = 0;
    for (std::size_t i = 0; i < went.size(); ++i) {
      if (went[i].first <= killed_at - 2000) first_allowed = i;
    }
    std::optional<std::size_t> match;
    for (std::size_t i = 0; i < went.size(); ++i) {
      if (went[i].second == got) match = i;
    }
    EXPECT_TRUE(match && *match >= first_allowed)
        << "Kill " << kill << " nach " << after_ms << " ms: " << went.size()
        << " Zustände, erlaubt ab " << first_allowed << ", wiederhergestellt "
        << (match ? "Zustand " + text::format_int(*match) : std::string("keiner von ihnen"));
    EXPECT_TRUE(run.recovery.messages.empty()) << run.recovery.messages[0];
    run.journal->sync();
  }
}

// A kill while an article is half typed: the typed text comes back, in editing.
TEST(RecoveryJournal, AKillWhileTypingBringsTheTypedTextBack) {
  Folder f;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Window run(f, false);
    run.store.articles.append();
    for (const char* typed : {"H", "Ha", "Hal", "Halb getippt"}) {
      run.store.articles.set_text(F::Artikelname, typed);
    }
    run.journal->note_edits();
    run.journal->sync();
    [[maybe_unused]] auto w = ::write(ready[1], "x", 1);
    for (;;) ::pause();
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  Window run(f, true);
  EXPECT_EQ(run.recovery.changes, 1u);
  EXPECT_EQ(run.store.articles.state(), EditState::Insert);
  EXPECT_EQ(run.store.articles.text(F::Artikelname), "Halb getippt");
  EXPECT_EQ(run.store.articles.stored().size(), 3u);
}

}  // namespace
}  // namespace tellvaro::store
