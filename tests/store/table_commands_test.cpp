#include "store/table_commands.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/scripted_dialogs.h"
#include "store/article_store.h"
#include "store/data_packet.h"
#include "store/files.h"
#include "support/temp_dir.h"
#include "text/error.h"

namespace tellvaro::store {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::read_file;
using test::TempDir;
using test::write_file;

Record named(std::string name) {
  Record r = empty_record();
  at(r, F::Artikelname) = Value::text(std::move(name));
  return r;
}

Names shown(const Table& t) {
  Names out;
  for (std::size_t r = 0; r < t.count(); ++r) {
    const auto* s = t.row(r)[index_of(F::Artikelname)].as_string();
    out.push_back(s ? *s : "");
  }
  return out;
}

// A record as its field texts, so a difference reads well.
Names texts(const Record& r) {
  Names out;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    out.push_back(std::string(article_fields()[i].name) + "=" + to_text(r[i], article_fields()[i]));
  }
  return out;
}

Names in_file(const std::string& path) {
  Table t;
  load_table(t, path);
  return shown(t);
}

class TableFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    make_files(dir.folder());
    store.articles.replace_all({named("alt")});
  }
  std::string path(std::string_view relative) const { return data_path(dir.folder(), relative); }

  TempDir dir;
  ArticleStore store;
  test::ScriptedDialogs dialogs;
};

TEST_F(TableFiles, OpenKeepsEveryReplacedTableAsDatedBackup) {
  Table other;
  other.replace_all({named("fremd 1"), named("fremd 2")});
  save_table(other, dir / "andere.xml");
  // Typed since the last save and not yet posted: exactly what the backup is for.
  store.articles.append();
  store.articles.set(F::Artikelname, Value::text("neu getippt"));

  dialogs.files = {dir / "andere.xml"};
  const auto status = open_article_file(store.articles, dir.folder(), dialogs);
  ASSERT_TRUE(status);
  ASSERT_EQ(dialogs.file_dialogs.size(), 1u);
  EXPECT_EQ(dialogs.file_dialogs[0].first, path("files/db"));
  EXPECT_EQ(dialogs.file_dialogs[0].second,
            "All (*.xml);;XML DATABASE (*.xml);;"
            "Sicherungen der Artikel-Tabelle (artikel_db_sicherung*.xml)");
  EXPECT_EQ(shown(store.articles), (Names{"fremd 1", "fremd 2"}));
  Names backups = article_backups(dir.folder());
  ASSERT_EQ(backups.size(), 1u);
  const std::string first = backups[0];
  EXPECT_EQ(*status, "Die bisherige Artikel-Tabelle wurde in " + first + " gesichert.");
  EXPECT_EQ(in_file(first), (Names{"alt", "neu getippt"}));
  EXPECT_EQ(fs::path(first).parent_path(), fs::path(path("files/db")));
  // The standard file is only written by the next save.
  EXPECT_EQ(read_file(path(kArticleFile)), empty_table_bytes());

  // A second open in a row (within the same second, as here, too), then the close's save:
  // the table of the first open and the original are both still there.
  dialogs.files = {path(kArticleFile)};
  const auto second_status = open_article_file(store.articles, dir.folder(), dialogs);
  ASSERT_TRUE(second_status);
  EXPECT_EQ(shown(store.articles), Names{});
  save_standard_files(store, dir.folder());
  backups = article_backups(dir.folder());
  ASSERT_EQ(backups.size(), 2u);
  EXPECT_EQ(backups[1], first);
  EXPECT_EQ(*second_status, "Die bisherige Artikel-Tabelle wurde in " + backups[0] + " gesichert.");
  EXPECT_EQ(in_file(backups[0]), (Names{"fremd 1", "fremd 2"}));
  EXPECT_EQ(in_file(first), (Names{"alt", "neu getippt"}));
  for (const auto& entry : fs::directory_iterator(path("files/db"))) {
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }
}

TEST_F(TableFiles, OpenKeepsTheLastFiveBackupsAndLeavesOtherFiles) {
  const std::string bytes = empty_table_bytes();
  // The last was written while the clock ran ahead: newer by name than the one written now.
  const Names older = {"artikel_db_sicherung_2024-01-01_08-00-00.xml",
                       "artikel_db_sicherung_2024-01-01_08-00-00_2.xml",
                       "artikel_db_sicherung_2024-01-01_08-00-00_10.xml",
                       "artikel_db_sicherung_2025-06-30_23-59-59.xml",
                       "artikel_db_sicherung_2099-01-01_00-00-00.xml"};
  const Names others = {"artikel_db_sicherung.xml",  // the single backup of earlier versions
                        "artikel_db_sicherung_kaputt.xml", "artikel_db_sicherung_2024-01-01.xml",
                        "artikel_db_sicherung_2024-01-01_08-00-00_x.xml", "eigene.xml"};
  for (const auto& name : older) write_file(path("files/db/" + name), bytes);
  for (const auto& name : others) write_file(path("files/db/" + name), bytes);

  dialogs.files = {path(kArticleFile)};
  ASSERT_TRUE(open_article_file(store.articles, dir.folder(), dialogs));
  const Names backups = article_backups(dir.folder());
  ASSERT_EQ(backups.size(), 5u);
  Names kept;
  for (const auto& b : backups) kept.push_back(fs::path(b).filename().string());
  // The one just written whatever its date; of the older ones the four newest by date and
  // counter (10 after 2).
  EXPECT_EQ(in_file(backups[1]), Names{"alt"});
  EXPECT_EQ(kept[0], older[4]);
  EXPECT_EQ(Names(kept.begin() + 2, kept.end()), (Names{older[3], older[2], older[1]}));
  EXPECT_FALSE(fs::exists(path("files/db/" + older[0])));
  for (const auto& name : others) EXPECT_TRUE(fs::exists(path("files/db/" + name))) << name;
}

TEST_F(TableFiles, OpenThatFailsChangesNothing) {
  write_file(dir / "kaputt.xml", "<DATAPACKET Version=\"2.0\"><METADATA>");
  fs::create_directory(dir / "ordner.xml");
  Table other;
  other.replace_all({named("fremd")});
  save_table(other, dir / "andere.xml");
  struct Case {
    const char* what;
    std::optional<std::string> chosen;
    bool backup_blocked;
    bool throws;
  };
  const Case cases[] = {
      {"cancelled", std::nullopt, false, false},
      {"missing file", dir / "fehlt.xml", false, true},
      {"malformed file", dir / "kaputt.xml", false, true},
      {"a folder", dir / "ordner.xml", false, true},
      {"backup cannot be written", dir / "andere.xml", true, true},
  };
  const std::string tables = path("files/db");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // No folder to write the backup into: a file stands in its place.
    if (c.backup_blocked) {
      fs::rename(tables, dir / "db.weg");
      write_file(tables, "kein Ordner");
    }
    dialogs.files = {c.chosen};
    if (c.throws) {
      EXPECT_THROW(open_article_file(store.articles, dir.folder(), dialogs), Error);
    } else {
      EXPECT_FALSE(open_article_file(store.articles, dir.folder(), dialogs));
    }
    if (c.backup_blocked) {
      fs::remove(tables);
      fs::rename(dir / "db.weg", tables);
    }
    EXPECT_EQ(shown(store.articles), Names{"alt"});
    EXPECT_EQ(article_backups(dir.folder()), Names{});
  }
}

TEST_F(TableFiles, SaveWritesArticleAndUploadTablesOnly) {
  store.uploads.replace_all({named("hoch")});
  store.imports.replace_all({named("geholt")});
  save_standard_files(store, dir.folder());
  EXPECT_EQ(in_file(path(kArticleFile)), Names{"alt"});
  EXPECT_EQ(in_file(path(kUploadFile)), Names{"hoch"});
  EXPECT_EQ(read_file(path(kImportFile)), empty_table_bytes());
}

TEST_F(TableFiles, SaveThatFailsForOneFileStillSavesTheOther) {
  store.uploads.replace_all({named("hoch")});
  fs::remove(path(kArticleFile));
  fs::create_directories(path(kArticleFile) + "/x");
  try {
    save_standard_files(store, dir.folder());
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(path(kArticleFile)), std::string::npos) << e.what();
  }
  EXPECT_EQ(shown(store.articles), Names{"alt"});
  EXPECT_EQ(in_file(path(kUploadFile)), Names{"hoch"});
}

TEST_F(TableFiles, SaveUnderWritesExactlyTheNameChosen) {
  dialogs.files = {dir / "test"};
  EXPECT_EQ(save_articles_as(store.articles, dir.folder(), dialogs), dir / "test");
  ASSERT_EQ(dialogs.file_dialogs.size(), 1u);
  EXPECT_EQ(dialogs.file_dialogs[0].first, path("files/db"));
  EXPECT_EQ(dialogs.file_dialogs[0].second, "");
  EXPECT_EQ(in_file(dir / "test"), Names{"alt"});
  EXPECT_FALSE(fs::exists(dir / "test.xml"));
  EXPECT_EQ(read_file(path(kArticleFile)), empty_table_bytes());

  dialogs.files = {std::nullopt};
  EXPECT_FALSE(save_articles_as(store.articles, dir.folder(), dialogs));

  dialogs.files = {dir / "fehlt/test"};
  EXPECT_THROW(save_articles_as(store.articles, dir.folder(), dialogs), Error);
  EXPECT_EQ(shown(store.articles), Names{"alt"});
}

TEST(CopyCurrent, ArticleLosesPicturesAndGetsItsFeeAfreshUploadStaysIdentical) {
  Record original = named("Uhr");
  for (F f : {F::Bild1, F::Bild2, F::Bild3})
    at(original, f) = Value::text(std::string(name_of(f)) + ".jpg");
  at(original, F::Gebuehr) = Value::amount(9.99);
  at(original, F::Startpreis) = Value::amount(5);
  const std::vector<Record> records = {named("Zange"), original, named("Anker")};

  for (CopyRule rule : {CopyRule::WithoutPictures, CopyRule::Identical}) {
    SCOPED_TRACE(rule == CopyRule::WithoutPictures ? "article table" : "upload table");
    Table t;
    t.replace_all(records);
    t.sort(SortKind::AscendingCase, F::Artikelname);
    int posts = 0;
    ports::Subscription fee;
    if (rule == CopyRule::WithoutPictures) {
      fee = t.on_before_post([&] {
        ++posts;
        t.set(F::Gebuehr, Value::amount(0.5));
      });
    }
    t.move_to(1);  // Uhr
    copy_current(t, rule);
    EXPECT_EQ(shown(t), (Names{"Anker", "Uhr", "Uhr", "Zange"}));
    EXPECT_EQ(t.position(), 2u);  // the copy, after its original
    EXPECT_EQ(t.state(), EditState::Browse);
    Record expected = original;
    if (rule == CopyRule::WithoutPictures) {
      for (F f : {F::Bild1, F::Bild2, F::Bild3}) at(expected, f) = Value();
      at(expected, F::Gebuehr) = Value::amount(0.5);
      EXPECT_EQ(posts, 1);
    }
    EXPECT_EQ(texts(t.values()), texts(expected));
    t.prior();
    EXPECT_EQ(texts(t.values()), texts(original));
  }

  Table empty;
  copy_current(empty, CopyRule::WithoutPictures);
  EXPECT_EQ(empty.count(), 0u);
}

TEST(CopyCurrent, AFailingFeeLeavesNoHalfCopy) {
  Table t;
  t.replace_all({named("Uhr")});
  auto refuse = t.on_before_post([] { throw Error("Gebühr unbekannt"); });
  EXPECT_THROW(copy_current(t, CopyRule::WithoutPictures), Error);
  EXPECT_EQ(t.state(), EditState::Browse);
  EXPECT_EQ(shown(t), Names{"Uhr"});
}

}  // namespace
}  // namespace tellvaro::store
