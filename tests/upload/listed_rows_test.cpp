// The memory of listed upload rows: how a row is recognised, and its file.

#include "upload/listed_rows.h"

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "store/data_packet.h"
#include "store/table.h"
#include "support/temp_dir.h"
#include "text/error.h"
#include "upload/article_fixture.h"

namespace tellvaro::upload {
namespace {

using namespace fixture;
using test::read_file;
using test::TempDir;
using test::write_file;

std::vector<std::string> numbers(const std::vector<std::optional<Listing>>& m) {
  std::vector<std::string> out;
  for (const auto& l : m) out.push_back(l ? l->auction_number : "-");
  return out;
}

TEST(ListedRows, ARowIsKnownByWhatIsSentAndEqualRowsCountByOccurrence) {
  const store::Record a = complete_article("Vase");
  const store::Record b = complete_article("Lampe");
  ListedRows memory;
  memory.add(a, "1000", 1);

  store::Record edited = a;
  store::at(edited, store::F::Startpreis) = amount(2);
  store::Record outside = a;  // a field the send never reads and a transfer never copies
  store::at(outside, store::F::Artikelnummer) = t("A-17");
  EXPECT_EQ(numbers(memory.match({b, edited, outside})),
            (std::vector<std::string>{"-", "-", "1000"}));

  // Two equal rows, one listing: the first of them counts, in whatever order they stand.
  EXPECT_EQ(numbers(memory.match({a, b, a})), (std::vector<std::string>{"1000", "-", "-"}));
  memory.add(a, "1001", 2);
  EXPECT_EQ(numbers(memory.match({a, b, a})), (std::vector<std::string>{"1000", "-", "1001"}));
}

TEST(ListedRows, SurvivesASaveOfTheTableAReloadAndASort) {
  TempDir dir;
  store::Table uploads;
  uploads.replace_all(
      {complete_article("Vase"), complete_article("Lampe"), complete_article("Uhr")});
  ListedRows memory(dir / "eingestellt.txt");
  memory.add(uploads.row(1), "1000", 1765400000);

  store::save_table(uploads, dir / "upload.xml");
  store::Table again;
  store::load_table(again, dir / "upload.xml");
  again.sort(store::SortKind::Descending, store::F::Artikelname);
  ListedRows reread(dir / "eingestellt.txt");
  reread.load();
  std::vector<store::Record> rows;
  for (std::size_t i = 0; i < again.count(); ++i) rows.push_back(again.row(i));
  auto m = reread.match(rows);
  ASSERT_EQ(m.size(), 3u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const bool lamp =
        store::to_text(rows[i][store::index_of(store::F::Artikelname)],
                       store::article_fields()[store::index_of(store::F::Artikelname)]) == "Lampe";
    EXPECT_EQ(m[i].has_value(), lamp) << i;
  }
  ASSERT_EQ(reread.listings().size(), 1u);
  EXPECT_EQ(reread.listings()[0].when, 1765400000);
  EXPECT_EQ(reread.listings()[0].title, "Lampe");
}

TEST(ListedRows, LinesItCannotReadAreKeptAndAFailedWriteLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir / "eingestellt.txt";
  write_file(path, "Tellvaro eingestellte Artikel 1\nkaputt\n\n");
  ListedRows memory(path);
  memory.load();
  EXPECT_TRUE(memory.listings().empty());
  memory.add(complete_article("Tab\tim Namen"), "1000", 5);
  const std::string written = read_file(path);
  EXPECT_NE(written.find("\nkaputt\n"), std::string::npos) << written;
  EXPECT_NE(written.find("\t5\t1000\tTab im Namen\n"), std::string::npos) << written;

  // A full disk: the error names the file, the old file stays whole, no temporary file stays.
  struct rlimit old_limit {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  auto old_handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = written.size() + 10;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string why;
  try {
    memory.add(complete_article("Zweiter Artikel mit langem Namen"), "1001", 6);
  } catch (const Error& e) {
    why = e.what();
  }
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_NE(why.find(path), std::string::npos) << why;
  EXPECT_EQ(read_file(path), written);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / ""),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace tellvaro::upload
