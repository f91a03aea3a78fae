// What the recovery journal costs the window: 1,000 posts of an edit into a table of 10,000
// generated articles, without and with the journal; the longest a single post (or the second's
// note of the record being typed) keeps the window's thread; the journal of a day's work (5,000
// posts) on disk, and how long a start takes to restore it. Prints one line per figure.

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "article_generator.h"
#include "store/article_store.h"
#include "store/data_packet.h"
#include "store/files.h"
#include "store/journal.h"
#include "text/number.h"

using namespace tellvaro;
using Clock = std::chrono::steady_clock;

namespace {

struct Figures {
  double mean_ms = 0, longest_ms = 0;
};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// `posts` edits of two fields each at random rows; with a journal, its second's note of the
// record being typed every 50 posts (a seller posting twenty times a second).
Figures post_edits(store::ArticleStore& s, store::RecoveryJournal* journal, int posts) {
  std::mt19937 rng(7);
  store::Table& t = s.articles;
  Figures f;
  Clock::duration total{};
  for (int i = 0; i < posts; ++i) {
    const auto start = Clock::now();
    t.move_to(rng() % t.count());
    t.set_text(store::F::Untertitel, "Neu eingestellt " + text::format_int(i));
    t.set_text(store::F::Startpreis, text::format_int(i % 500) + ",99");
    t.post();
    if (journal && i % 50 == 0) {
      t.set_text(store::F::Artikelname, "halb getippt " + text::format_int(i));
      journal->note_edits();
      t.cancel();
    }
    const auto took = Clock::now() - start;
    total += took;
    f.longest_ms = std::max(f.longest_ms, ms(took));
  }
  f.mean_ms = ms(total) / posts;
  return f;
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "tellvaro-journal-bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string folder = dir.string() + "/";
  store::make_files(folder);
  {
    store::Table t;
    t.replace_all(bench::generate_articles(10000));
    store::save_table(t, store::data_path(folder, store::kArticleFile));
  }
  {
    store::ArticleStore s;
    s.load_all(folder);
    post_edits(s, nullptr, 200);  // warm: both runs start from the same caches
    const Figures plain = post_edits(s, nullptr, 1000);
    std::printf("1,000 posts into 10,000 articles, no journal: %.3f ms per post, longest %.2f ms\n",
                plain.mean_ms, plain.longest_ms);
  }
  {
    store::ArticleStore s;
    s.load_all(folder);
    store::RecoveryJournal journal(s, folder);
    post_edits(s, &journal, 200);
    const Figures with = post_edits(s, &journal, 1000);
    journal.sync();
    std::printf(
        "1,000 posts into 10,000 articles, journal on: %.3f ms per post, longest %.2f ms "
        "(a post or a note of the record being typed)\n",
        with.mean_ms, with.longest_ms);
    journal.end();
  }
  {
    store::ArticleStore s;
    s.load_all(folder);
    store::RecoveryJournal journal(s, folder);
    post_edits(s, &journal, 5000);
    journal.sync();
    const auto bytes =
        fs::file_size(store::journal_path(store::data_path(folder, store::kArticleFile)));
    std::printf("journal of a day's work (5,000 posts): %.2f MB\n", bytes / 1e6);
  }
  {
    store::ArticleStore s;
    s.load_all(folder);
    store::RecoveryJournal journal(s, folder);
    const auto start = Clock::now();
    journal.hold_all();
    const store::Recovery r = store::restore_journals(s, folder);
    journal.note_edits();
    journal.release_all();
    const auto took = Clock::now() - start;
    journal.sync();
    std::printf("restoring it at the next start: %zu changes in %.1f ms\n", r.changes, ms(took));
    journal.end();
  }
  fs::remove_all(dir);
}
