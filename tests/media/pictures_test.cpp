#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/scripted_dialogs.h"
#include "media/pictures.h"
#include "media/test_pictures.h"
#include "store/table.h"
#include "store/temp_dir.h"
#include "text/error.h"

using namespace tellvaro;
using namespace tellvaro::media;
using namespace tellvaro::media::testing;
using store::testing::read_file;
using store::testing::write_file;
using Answer = ports::Answer;

namespace {

class Pictures : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(root / "bilder");
    std::filesystem::create_directory(root / "auswahl");
    folder = root / "bilder/";
    articles.append();
    articles.set_text("Artikelname", "Lampe");
    articles.post();
  }

  // A file in the folder the user picks from.
  std::string offer(const std::string& name, const std::string& bytes) {
    const std::string path = root / ("auswahl/" + name);
    write_file(path, bytes);
    return path;
  }

  AttachOutcome attach(int slot, const std::string& path, std::vector<Answer> answers = {}) {
    dialogs.files.push_back(path);
    dialogs.answers.assign(answers.begin(), answers.end());
    return attach_picture(articles, slot, folder, dialogs);
  }

  std::vector<std::string> folder_files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  store::testing::TempDir root;
  std::string folder;
  store::Table articles;
  test::ScriptedDialogs dialogs;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(Pictures, LimitBoundary) {
  const std::string exact = padded(make_jpeg(64, 48), 1000000);
  EXPECT_EQ(attach(1, offer("genau.jpg", exact)), AttachOutcome::Stored);
  EXPECT_EQ(dialogs.shown, Names{});
  EXPECT_EQ(read_file(folder + "genau.jpg"), exact);  // copied unchanged
  EXPECT_EQ(articles.text("Bild1"), "genau.jpg");
  EXPECT_EQ(articles.state(), store::EditState::Browse);

  // One byte more: the shrink question; declined, the slot stays empty and nothing is copied.
  EXPECT_EQ(attach(2, offer("mehr.jpg", padded(make_jpeg(64, 48), 1000001)), {Answer::No}),
            AttachOutcome::LeftEmpty);
  EXPECT_EQ(dialogs.shown, Names{std::string(kAskShrink)});
  EXPECT_EQ(articles.text("Bild2"), "");
  EXPECT_EQ(folder_files(), Names{"genau.jpg"});
}

TEST_F(Pictures, LargeBitmapBecomesJpegOfItsShrunkName) {
  const Image image = make_image(1024, 1024);  // 3 MB as a bitmap
  const std::string bmp = make_bmp(image);
  ASSERT_GT(bmp.size(), 3'000'000u);
  EXPECT_EQ(attach(1, offer("Foto.BMP", bmp), {Answer::Yes}), AttachOutcome::Stored);
  EXPECT_EQ(dialogs.shown, Names{std::string(kAskShrink)});
  EXPECT_EQ(articles.text("Bild1"), "Foto.jpg");
  EXPECT_EQ(folder_files(), Names{"Foto.jpg"});
  const std::string jpeg = read_file(folder + "Foto.jpg");
  EXPECT_LE(jpeg.size(), kSizeLimit);
  EXPECT_EQ(decode_jpeg(jpeg).size(), (Size{1024, 1024}));  // the first pass keeps the size
  ASSERT_TRUE(preview_image(folder, "Foto.jpg"));
  EXPECT_EQ(preview_image(folder, "Foto.jpg")->size(), (Size{146, 146}));
}

TEST_F(Pictures, TooLargeWithoutShrinkIsRefused) {
  // A GIF and a kind we cannot shrink: the information, the slot empty, nothing copied.
  for (const char* name : {"gross.gif", "gross.png"}) {
    dialogs.shown.clear();
    EXPECT_EQ(attach(2, offer(name, padded(make_gif(8, 8), 2'000'000))), AttachOutcome::LeftEmpty);
    EXPECT_EQ(dialogs.shown, Names{std::string(kTooLargeNoShrink)}) << name;
    EXPECT_EQ(articles.text("Bild2"), "");
  }
  EXPECT_EQ(folder_files(), Names{});
}

TEST_F(Pictures, ReplaceQuestionComesBeforeTheShrinkQuestion) {
  write_file(folder + "b.jpg", make_jpeg(8, 8));
  const std::string bmp = padded(make_bmp(make_image(200, 100)), 2'000'000);
  EXPECT_EQ(attach(3, offer("b.bmp", bmp), {Answer::Yes, Answer::Yes}), AttachOutcome::Stored);
  EXPECT_EQ(dialogs.shown, (Names{std::string(kAskReplace), std::string(kAskShrink)}));
  EXPECT_EQ(articles.text("Bild3"), "b.jpg");
  EXPECT_EQ(decode_jpeg(read_file(folder + "b.jpg")).size(), (Size{200, 100}));
}

TEST_F(Pictures, NewNameDeletesTheSlotsOldFileReplaceKeepsIt) {
  attach(1, offer("alt.jpg", make_jpeg(8, 8)));
  ASSERT_EQ(folder_files(), Names{"alt.jpg"});
  attach(1, offer("neu.jpg", make_jpeg(9, 9)));
  EXPECT_EQ(folder_files(), Names{"neu.jpg"});
  EXPECT_EQ(articles.text("Bild1"), "neu.jpg");

  // Another a.jpg for a slot that shows a.jpg: replaced on Yes, left on No.
  write_file(folder + "a.jpg", make_jpeg(8, 8));
  const std::string other = make_jpeg(16, 8);
  EXPECT_EQ(attach(1, offer("a.jpg", other), {Answer::No}), AttachOutcome::Cancelled);
  EXPECT_EQ(articles.text("Bild1"), "neu.jpg");
  EXPECT_EQ(articles.state(), store::EditState::Browse);
  EXPECT_EQ(attach(1, offer("a.jpg", other), {Answer::Yes}), AttachOutcome::Stored);
  EXPECT_EQ(read_file(folder + "a.jpg"), other);
  EXPECT_EQ(articles.text("Bild1"), "a.jpg");
  EXPECT_EQ(folder_files(), (Names{"a.jpg", "neu.jpg"}));  // the old file stays in this case
}

TEST_F(Pictures, DamagedOrHostileFilesChangeNothing) {
  attach(1, offer("alt.jpg", make_jpeg(8, 8)));
  std::string hostile = make_bmp(make_image(2, 2));
  hostile[18] = hostile[22] = '\xA0', hostile[19] = hostile[23] = '\x86';
  hostile[20] = hostile[24] = '\x01';  // 100000 x 100000
  const std::string damaged = make_jpeg(32, 32, 20).substr(0, 300);
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {{"riesig.bmp", hostile},
               {"kaputt.jpg", damaged},
               {"gross-kaputt.jpg", padded(damaged, 1'500'000)},
               {"leer.gif", ""},
               {"falsch.jpg", make_gif(4, 4)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dialogs.shown.clear();
    try {
      attach(1, offer(c.name, c.bytes), {Answer::Yes, Answer::Yes});
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.name), std::string::npos) << e.what();
    }
    EXPECT_EQ(dialogs.shown, Names{});  // refused before any question
    EXPECT_EQ(folder_files(), Names{"alt.jpg"});
    EXPECT_EQ(articles.text("Bild1"), "alt.jpg");
    EXPECT_EQ(articles.state(), store::EditState::Browse);
  }
  // A chosen file that is not there.
  EXPECT_THROW(attach(1, root / "auswahl/fehlt.jpg"), Error);
  EXPECT_EQ(articles.text("Bild1"), "alt.jpg");
}

TEST_F(Pictures, FailedCopyIsReportedAndNamesNoMissingFile) {
  const std::string source = offer("neu.jpg", make_jpeg(8, 8));
  folder = root / "gibt-es-nicht/";
  EXPECT_EQ(attach(1, source), AttachOutcome::CopyFailed);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].find("konnte nicht gespeichert werden"), std::string::npos);
  EXPECT_EQ(articles.text("Bild1"), "");
  EXPECT_EQ(articles.state(), store::EditState::Browse);
}

TEST_F(Pictures, DeletionRules) {
  attach(1, offer("da.jpg", make_jpeg(8, 8)));
  articles.set_text("Bild2", "fehlt.jpg");
  articles.post();

  EXPECT_EQ(delete_picture(articles, 1, folder, dialogs), DeleteOutcome::Cancelled);  // No
  EXPECT_EQ(folder_files(), Names{"da.jpg"});
  dialogs.answers = {Answer::Cancel};
  EXPECT_EQ(delete_picture(articles, 1, folder, dialogs), DeleteOutcome::Cancelled);
  EXPECT_EQ(dialogs.shown, (Names{"Datei löschen?", "Datei löschen?"}));

  dialogs.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
  EXPECT_EQ(delete_picture(articles, 1, folder, dialogs), DeleteOutcome::Deleted);
  EXPECT_EQ(articles.text("Bild1"), "");
  EXPECT_EQ(folder_files(), Names{});
  // A name whose file is missing stays; an empty slot is asked about and left alone.
  EXPECT_EQ(delete_picture(articles, 2, folder, dialogs), DeleteOutcome::NothingToDelete);
  EXPECT_EQ(articles.text("Bild2"), "fehlt.jpg");
  EXPECT_EQ(delete_picture(articles, 3, folder, dialogs), DeleteOutcome::NothingToDelete);
  EXPECT_EQ(dialogs.shown.size(), 5u);
  EXPECT_EQ(articles.state(), store::EditState::Browse);
}

TEST_F(Pictures, NamesNeverReachOutsideTheFolder) {
  write_file(root / "geheim.jpg", make_jpeg(8, 8));
  articles.set_text("Bild1", "../geheim.jpg");
  articles.post();
  for (const char* name : {"../geheim.jpg", "..", ".", "", "a/b.jpg", "..\\geheim.jpg"}) {
    EXPECT_FALSE(picture_exists(folder, name)) << name;
  }
  EXPECT_FALSE(slot_picture(articles, folder, 1));
  dialogs.answers = {Answer::Yes};
  EXPECT_EQ(delete_picture(articles, 1, folder, dialogs), DeleteOutcome::NothingToDelete);
  EXPECT_TRUE(std::filesystem::exists(root / "geheim.jpg"));
  EXPECT_FALSE(preview_image(folder, "../geheim.jpg"));
}

TEST_F(Pictures, SlotPictureForTheUpload) {
  attach(2, offer("zwei.gif", make_gif(4, 4)));
  EXPECT_EQ(slot_picture(articles, folder, 2), folder + "zwei.gif");
  EXPECT_FALSE(slot_picture(articles, folder, 1));
  EXPECT_TRUE(picture_exists(folder, "zwei.gif"));
  EXPECT_EQ(preview_image(folder, "zwei.gif")->size(), (Size{4, 4}));  // never enlarged
  EXPECT_THROW(slot_picture(articles, folder, 4), Error);
}
