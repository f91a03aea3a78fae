#include "store/files.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "store/article_store.h"
#include "store/data_packet.h"
#include "support/temp_dir.h"
#include "text/error.h"

namespace tellvaro::store {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::TempDir;
using test::write_file;

TEST(DataPath, JoinsWithOneSeparator) {
  const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
      {{"/opt/tv/", "files/db/artikel_db.xml"}, "/opt/tv/files/db/artikel_db.xml"},
      {{"/opt/tv/", "/files/db/artikel_db.xml"}, "/opt/tv/files/db/artikel_db.xml"},
      {{"/opt/tv", "files/db"}, "/opt/tv/files/db"},
      {{"/opt/tv/", "files\\bilder\\"}, "/opt/tv/files/bilder/"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(data_path(in.first, in.second), out);
}

TEST(ProgramFolder, IsTheFolderOfTheProgramFile) {
  const std::string folder = program_folder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(folder.front(), '/');
  EXPECT_EQ(fs::path(folder + "x").parent_path(), fs::canonical("/proc/self/exe").parent_path());
}

TEST(DataRoot, StaysInAProgramFolderThatCanBeWritten) {
  TempDir dir;
  EXPECT_EQ(choose_data_root(dir.folder(), (dir / "xdg").c_str(), (dir / "home").c_str()),
            dir.folder());
  EXPECT_EQ(choose_data_root(dir / "", nullptr, nullptr), dir.folder());
  EXPECT_FALSE(fs::exists(dir / "xdg"));
}

TEST(DataRoot, OtherwiseTheUsersDataFolder) {
  // A program folder nobody can write to: the installed case (here one that is not there at all;
  // the installed program run as a normal user is tested with the package).
  TempDir dir;
  const std::string program = dir / "usr/bin/";
  const std::string xdg = dir / "xdg";
  const std::string xdg_slash = xdg + "/";
  const std::string home = dir / "home";
  struct Case {
    const char* xdg_data_home;
    const char* home;
    std::string expected;
  } cases[] = {
      {xdg.c_str(), home.c_str(), xdg + "/Tellvaro/"},
      {xdg_slash.c_str(), home.c_str(), xdg + "/Tellvaro/"},
      {nullptr, home.c_str(), home + "/.local/share/Tellvaro/"},
      {"", home.c_str(), home + "/.local/share/Tellvaro/"},
      {"relativ/daten", home.c_str(), home + "/.local/share/Tellvaro/"},  // only absolute counts
  };
  for (const auto& c : cases) {
    const std::string got = choose_data_root(program, c.xdg_data_home, c.home);
    EXPECT_EQ(got, c.expected) << (c.xdg_data_home ? c.xdg_data_home : "(kein XDG_DATA_HOME)");
    // Created with its parents and private to the user, ready for the data folder below it.
    struct stat st {};
    ASSERT_EQ(::stat(got.c_str(), &st), 0) << got;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << got;
    make_files(got);
    EXPECT_FALSE(data_folder_incomplete(got));
  }
  EXPECT_FALSE(fs::exists(program));

  // A folder that cannot be made is left for the login to report by name.
  write_file(dir / "datei", "");
  EXPECT_EQ(choose_data_root(program, (dir / "datei").c_str(), nullptr), dir / "datei/Tellvaro/");
  EXPECT_THROW(make_files(dir / "datei/Tellvaro/"), Error);
}

TEST(MakeFiles, CompletesAnEmptyFolder) {
  TempDir dir;
  EXPECT_TRUE(data_folder_incomplete(dir.folder()));
  make_files(dir.folder());
  EXPECT_FALSE(data_folder_incomplete(dir.folder()));
  EXPECT_TRUE(fs::is_directory(dir / "files/bilder"));
  for (auto f : {kArticleFile, kUploadFile, kImportFile}) {
    EXPECT_EQ(read_file(data_path(dir.folder(), f)), empty_table_bytes()) << f;
  }
  ArticleStore store;
  store.load_all(dir.folder());
  EXPECT_EQ(store.articles.count() + store.uploads.count() + store.imports.count(), 0u);
}

TEST(MakeFiles, CreatesOnlyWhatIsMissing) {
  TempDir dir;
  make_files(dir.folder());
  write_file(data_path(dir.folder(), kArticleFile), "eigener Inhalt");
  write_file(data_path(dir.folder(), kImportFile), "");
  fs::remove(data_path(dir.folder(), kUploadFile));
  EXPECT_TRUE(data_folder_incomplete(dir.folder()));
  make_files(dir.folder());
  EXPECT_EQ(read_file(data_path(dir.folder(), kArticleFile)), "eigener Inhalt");
  EXPECT_EQ(read_file(data_path(dir.folder(), kImportFile)), "");
  EXPECT_EQ(read_file(data_path(dir.folder(), kUploadFile)), empty_table_bytes());
}

TEST(MakeFiles, NamesWhatItCouldNotCreate) {
  TempDir dir;
  // The program folder itself must exist: folders are made one level at a time.
  try {
    make_files(dir / "fehlt/");
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("'" + (dir / "fehlt/files") + "'"), std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(fs::exists(dir / "fehlt"));

  // A file where a folder belongs; the other steps still run.
  write_file(dir / "files", "");
  fs::create_directory(dir / "x");
  try {
    make_files(dir.folder());
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("Der Ordner '" + (dir / "files") + "'"), std::string::npos)
        << e.what();
  }

  // A folder where a table file belongs.
  TempDir other;
  make_files(other.folder());
  fs::remove(data_path(other.folder(), kImportFile));
  fs::create_directory(data_path(other.folder(), kImportFile));
  EXPECT_TRUE(data_folder_incomplete(other.folder()));
  EXPECT_THROW(make_files(other.folder()), Error);
}

TEST(ArticleStore, SavesAndLoadsTheThreeStandardFiles) {
  TempDir dir;
  make_files(dir.folder());
  ArticleStore store;
  store.articles.set(F::Artikelname, Value::text("Artikel"));
  store.articles.post();
  store.uploads.set(F::Artikelname, Value::text("Upload"));
  store.imports.set(F::Artikelname, Value::text("Import"));  // still in editing: posted by save
  store.save_all(dir.folder());

  ArticleStore back;
  back.load_all(dir.folder());
  EXPECT_EQ(back.articles.text(F::Artikelname), "Artikel");
  EXPECT_EQ(back.uploads.text(F::Artikelname), "Upload");
  EXPECT_EQ(back.imports.text(F::Artikelname), "Import");
}

TEST(ArticleStore, OneBadFileDoesNotKeepTheOthersFromLoading) {
  TempDir dir;
  make_files(dir.folder());
  ArticleStore store;
  store.uploads.set(F::Artikelname, Value::text("Upload"));
  store.save_all(dir.folder());
  write_file(data_path(dir.folder(), kArticleFile), "kaputt");
  ArticleStore back;
  back.articles.replace_all({empty_record(), empty_record()});
  try {
    back.load_all(dir.folder());
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("artikel_db.xml"), std::string::npos) << e.what();
  }
  EXPECT_EQ(back.articles.count(), 2u);
  EXPECT_EQ(back.uploads.text(F::Artikelname), "Upload");
}

}  // namespace
}  // namespace tellvaro::store
