#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "media/exif.h"
#include "media/pictures.h"
#include "media/shrink.h"
#include "support/pictures.h"
#include "store/table.h"
#include "support/temp_dir.h"
#include "support/scripted_dialogs.h"
#include "text/error.h"
#include "upload/fee_booking.h"

using namespace tellvaro;
using namespace tellvaro::media;
using namespace tellvaro::media::testing;
using test::read_file;
using test::write_file;
using Answer = ports::Answer;

namespace {

class Pictures : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(root / "bilder");
    std::filesystem::create_directory(root / "auswahl");
    folder = root / "bilder/";
    articles.append();
    articles.set_text(store::F::Artikelname, "Lampe");
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
    return attach_picture(articles, slot, folder, dialogs,
                          [this](const std::string& line) { notes.push_back(line); });
  }

  std::vector<std::string> folder_files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir root;
  std::string folder;
  store::Table articles;
  test::ScriptedDialogs dialogs;
  std::vector<std::string> notes;
};

using Names = std::vector<std::string>;

enum Corner { TopLeft, TopRight, BottomLeft, BottomRight };

// Grey, with a red square in one corner and a green one in another.
Image marked(int width, int height, Corner red, Corner green) {
  Image image;
  image.width = width;
  image.height = height;
  image.rgb.assign(std::size_t(width) * height * 3, 128);
  const auto paint = [&](Corner c, std::uint8_t r, std::uint8_t g) {
    const int x0 = c == TopRight || c == BottomRight ? width - 12 : 0;
    const int y0 = c == BottomLeft || c == BottomRight ? height - 12 : 0;
    for (int y = y0; y < y0 + 12; ++y) {
      for (int x = x0; x < x0 + 12; ++x) {
        std::uint8_t* p = image.row(y) + x * 3;
        p[0] = r, p[1] = g, p[2] = 0;
      }
    }
  };
  paint(red, 230, 0);
  paint(green, 0, 200);
  return image;
}

// Red in the top left corner, green in the top right, of a picture as shown.
void expect_upright(const Image& image) {
  const std::uint8_t* tl = image.row(4) + 4 * 3;
  const std::uint8_t* tr = image.row(4) + (image.width - 5) * 3;
  EXPECT_TRUE(tl[0] > 170 && tl[1] < 80) << "top left " << int(tl[0]) << "," << int(tl[1]);
  EXPECT_TRUE(tr[0] < 80 && tr[1] > 150) << "top right " << int(tr[0]) << "," << int(tr[1]);
}

// What ImageMagick's EXIF reader finds in a file: its "exif:Name=value" lines.
std::string exif_as_read_by_imagemagick(const std::string& path) {
  const std::string command = "identify -format '%[EXIF:*]' '" + path + "' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string out;
  char buffer[4096];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
  return out;
}

}  // namespace

TEST_F(Pictures, LimitBoundary) {
  const std::string exact = padded(make_jpeg(64, 48), 1000000);
  EXPECT_EQ(attach(1, offer("genau.jpg", exact)), AttachOutcome::Stored);
  EXPECT_EQ(dialogs.shown, Names{});
  EXPECT_EQ(read_file(folder + "genau.jpg"), exact);  // copied unchanged
  EXPECT_EQ(articles.text(store::F::Bild1), "genau.jpg");
  EXPECT_EQ(articles.state(), store::EditState::Browse);

  // One byte more: the shrink question; declined, the slot stays empty and nothing is copied.
  EXPECT_EQ(attach(2, offer("mehr.jpg", padded(make_jpeg(64, 48), 1000001)), {Answer::No}),
            AttachOutcome::LeftEmpty);
  EXPECT_EQ(dialogs.shown, Names{std::string(kAskShrink)});
  EXPECT_EQ(articles.text(store::F::Bild2), "");
  EXPECT_EQ(folder_files(), Names{"genau.jpg"});
}

TEST_F(Pictures, LargeBitmapBecomesJpegOfItsShrunkName) {
  const Image image = make_image(1024, 1024);  // 3 MB as a bitmap
  const std::string bmp = make_bmp(image);
  ASSERT_GT(bmp.size(), 3'000'000u);
  EXPECT_EQ(attach(1, offer("Foto.BMP", bmp), {Answer::Yes}), AttachOutcome::Stored);
  EXPECT_EQ(dialogs.shown, Names{std::string(kAskShrink)});
  EXPECT_EQ(articles.text(store::F::Bild1), "Foto.jpg");
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
    EXPECT_EQ(articles.text(store::F::Bild2), "");
  }
  EXPECT_EQ(folder_files(), Names{});
}

// The folder is shared by every article of every table: a name taken by other bytes never
// loses its file. The same bytes use the file that is there; other bytes, copied or shrunk, get
// a further name no file has, and the note says so. No question is asked.
TEST_F(Pictures, ANameTakenByOtherBytesGetsAFurtherNameTheSameBytesUseTheFile) {
  const std::string first = make_jpeg(8, 8);
  write_file(folder + "IMG_0001.jpg", first);  // another article's photo
  const std::string second = make_jpeg(16, 8);
  EXPECT_EQ(attach(1, offer("IMG_0001.jpg", second)), AttachOutcome::Stored);
  EXPECT_EQ(articles.text(store::F::Bild1), "IMG_0001~2.jpg");
  EXPECT_EQ(read_file(folder + "IMG_0001.jpg"), first);
  EXPECT_EQ(read_file(folder + "IMG_0001~2.jpg"), second);
  EXPECT_EQ(notes, Names{"Bild 1 gespeichert als \"IMG_0001~2.jpg\": im Bilderordner gibt es "
                         "schon ein anderes Bild \"IMG_0001.jpg\"."});
  EXPECT_TRUE(dialogs.shown.empty());

  // The same bytes again, for another slot: the file that is there, nothing new.
  notes.clear();
  EXPECT_EQ(attach(2, offer("IMG_0001.jpg", first)), AttachOutcome::Stored);
  EXPECT_EQ(articles.text(store::F::Bild2), "IMG_0001.jpg");
  EXPECT_EQ(folder_files(), (Names{"IMG_0001.jpg", "IMG_0001~2.jpg"}));
  EXPECT_TRUE(notes.empty());

  // Shrunk: b.jpg is another picture, so the shrunk one goes beside it.
  write_file(folder + "b.jpg", make_jpeg(8, 8));
  const std::string bmp = padded(make_bmp(make_image(200, 100)), 2'000'000);
  EXPECT_EQ(attach(3, offer("b.bmp", bmp), {Answer::Yes}), AttachOutcome::Stored);
  EXPECT_EQ(dialogs.shown, (Names{std::string(kAskShrink)}));
  EXPECT_EQ(articles.text(store::F::Bild3), "b~2.jpg");
  EXPECT_EQ(decode_jpeg(read_file(folder + "b.jpg")).size(), (Size{8, 8}));
  EXPECT_EQ(decode_jpeg(read_file(folder + "b~2.jpg")).size(), (Size{200, 100}));
}

TEST_F(Pictures, NewNameDeletesTheSlotsOldFile) {
  attach(1, offer("alt.jpg", make_jpeg(8, 8)));
  ASSERT_EQ(folder_files(), Names{"alt.jpg"});
  attach(1, offer("neu.jpg", make_jpeg(9, 9)));
  EXPECT_EQ(folder_files(), Names{"neu.jpg"});
  EXPECT_EQ(articles.text(store::F::Bild1), "neu.jpg");
}

// "Artikel aus einer Datei importieren" takes a picture named by path as the command line does:
// copied into the folder by the attach rules (location removed), the field naming that file,
// never the path cut to the field's width; a bare name of a file in the folder stays as it is;
// one that cannot be taken leaves its slot empty and is named.
TEST_F(Pictures, ACsvImportAttachesPicturesNamedByPathAsTheCommandLineDoes) {
  const std::string photo = read_file(TELLVARO_MEDIA_DATA "/phone-gps.jpg");
  const std::string path = offer("Lampe-im-Garten.jpg", photo);
  ASSERT_GT(path.size(), 30u);
  write_file(folder + "da.jpg", make_jpeg(8, 8));
  const std::string csv = root / "auswahl/artikel.csv";
  write_file(csv, "Artikelname;Bild1;Bild2\r\nGartenlampe;" + path +
                      ";da.jpg\r\nTischlampe;fehlt/nirgends.jpg;\r\n");
  store::Table imported;
  const store::CsvImport result = import_articles_with_pictures(imported, csv, folder);
  ASSERT_EQ(imported.count(), 2u);
  std::string stripped = photo;
  ASSERT_TRUE(remove_location(stripped));
  ASSERT_TRUE(store::at(imported.row(0), store::F::Bild1).as_string());
  EXPECT_EQ(*store::at(imported.row(0), store::F::Bild1).as_string(), "Lampe-im-Garten.jpg");
  EXPECT_EQ(*store::at(imported.row(0), store::F::Bild2).as_string(), "da.jpg");
  EXPECT_TRUE(read_file(folder + "Lampe-im-Garten.jpg") == stripped);
  EXPECT_FALSE(store::at(imported.row(1), store::F::Bild1).as_string());
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_EQ(result.problems[0].rfind("Zeile 3, Bild 1 (fehlt/nirgends.jpg): ", 0), 0u)
      << result.problems[0];
  EXPECT_EQ(folder_files(), (Names{"Lampe-im-Garten.jpg", "da.jpg"}));
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
               {"leer.gif", ""}};
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
    EXPECT_EQ(articles.text(store::F::Bild1), "alt.jpg");
    EXPECT_EQ(articles.state(), store::EditState::Browse);
  }
  // A chosen file that is not there.
  EXPECT_THROW(attach(1, root / "auswahl/fehlt.jpg"), Error);
  EXPECT_EQ(articles.text(store::F::Bild1), "alt.jpg");
}

TEST_F(Pictures, FailedCopyIsReportedAndNamesNoMissingFile) {
  const std::string source = offer("neu.jpg", make_jpeg(8, 8));
  folder = root / "gibt-es-nicht/";
  EXPECT_EQ(attach(1, source), AttachOutcome::CopyFailed);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].find("konnte nicht angelegt werden"), std::string::npos);
  EXPECT_EQ(articles.text(store::F::Bild1), "");
  EXPECT_EQ(articles.state(), store::EditState::Browse);
}

TEST_F(Pictures, DeletionRules) {
  attach(1, offer("da.jpg", make_jpeg(8, 8)));
  articles.set_text(store::F::Bild2, "fehlt.jpg");
  articles.post();

  EXPECT_EQ(delete_picture(articles, 1, folder, dialogs), DeleteOutcome::Cancelled);  // No
  EXPECT_EQ(folder_files(), Names{"da.jpg"});
  dialogs.answers = {Answer::Cancel};
  EXPECT_EQ(delete_picture(articles, 1, folder, dialogs), DeleteOutcome::Cancelled);
  EXPECT_EQ(dialogs.shown, (Names{"Datei löschen?", "Datei löschen?"}));

  dialogs.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
  EXPECT_EQ(delete_picture(articles, 1, folder, dialogs), DeleteOutcome::Deleted);
  EXPECT_EQ(articles.text(store::F::Bild1), "");
  EXPECT_EQ(folder_files(), Names{});
  // A name whose file is missing stays; an empty slot is asked about and left alone.
  EXPECT_EQ(delete_picture(articles, 2, folder, dialogs), DeleteOutcome::NothingToDelete);
  EXPECT_EQ(articles.text(store::F::Bild2), "fehlt.jpg");
  EXPECT_EQ(delete_picture(articles, 3, folder, dialogs), DeleteOutcome::NothingToDelete);
  EXPECT_EQ(dialogs.shown.size(), 5u);
  EXPECT_EQ(articles.state(), store::EditState::Browse);
}

TEST_F(Pictures, NamesNeverReachOutsideTheFolder) {
  write_file(root / "geheim.jpg", make_jpeg(8, 8));
  articles.set_text(store::F::Bild1, "../geheim.jpg");
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

TEST_F(Pictures, EveryOrientationStandsUprightShrunkAndPreviewed) {
  // Where the stored pixels hold the corners that stand top left and top right when upright.
  struct Case {
    int orientation;
    Corner red, green;
  } cases[] = {{1, TopLeft, TopRight},       {2, TopRight, TopLeft},
               {3, BottomRight, BottomLeft}, {4, BottomLeft, BottomRight},
               {5, TopLeft, BottomLeft},     {6, BottomLeft, TopLeft},
               {7, BottomRight, TopRight},   {8, TopRight, BottomRight}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.orientation);
    const bool turned = c.orientation >= 5;
    const Size upright = turned ? Size{40, 64} : Size{64, 40};
    const std::string jpeg = with_exif(encode_jpeg(marked(64, 40, c.red, c.green), 95),
                                       make_exif(c.orientation % 2 == 0, c.orientation, false));
    // As it is in the folder (imported, or copied small): the preview stands upright.
    const std::string copied = "kopie" + std::to_string(c.orientation) + ".jpg";
    write_file(folder + copied, jpeg);
    const auto preview = preview_image(folder, copied);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->size(), upright);
    expect_upright(*preview);
    // Shrunk: stored upright, without the tag.
    const std::string name = "foto" + std::to_string(c.orientation) + ".jpg";
    ASSERT_EQ(attach(1, offer(name, padded(jpeg, 1'200'000)), {Answer::Yes}),
              AttachOutcome::Stored);
    const std::string stored = read_file(folder + name);
    EXPECT_EQ(exif_orientation(stored), 1);
    EXPECT_EQ(stored.find("Exif"), std::string::npos);
    const Image shrunk = decode_jpeg(stored);
    EXPECT_EQ(shrunk.size(), upright);
    expect_upright(shrunk);
    expect_upright(*preview_image(folder, name));
  }
}

TEST_F(Pictures, DamagedExifStillAttaches) {
  std::string tiff = make_exif(false, 6, true);
  tiff[8] = '\x7F';  // 127 entries in a block that holds three
  const std::string broken = with_exif(encode_jpeg(marked(64, 40, TopLeft, TopRight), 95), tiff);
  EXPECT_EQ(attach(1, offer("kaputt-exif.jpg", broken)), AttachOutcome::Stored);
  EXPECT_EQ(articles.text(store::F::Bild1), "kaputt-exif.jpg");
  const auto preview = preview_image(folder, "kaputt-exif.jpg");
  ASSERT_TRUE(preview);
  EXPECT_EQ(preview->size(), (Size{64, 40}));  // no orientation: as stored
  expect_upright(*preview);
  // Too large, shrunk: the same.
  EXPECT_EQ(attach(2, offer("kaputt-gross.jpg", padded(broken, 1'100'000)), {Answer::Yes}),
            AttachOutcome::Stored);
  expect_upright(decode_jpeg(read_file(folder + "kaputt-gross.jpg")));
}

TEST_F(Pictures, CopiedPhoneFotoLosesItsLocationAndNothingElse) {
  const std::string original = read_file(TELLVARO_MEDIA_DATA "/phone-gps.jpg");
  const std::string before = exif_as_read_by_imagemagick(TELLVARO_MEDIA_DATA "/phone-gps.jpg");
  ASSERT_NE(before.find("exif:GPSLatitude="), std::string::npos) << "identify is missing";
  EXPECT_EQ(attach(1, offer("handy.jpg", original)), AttachOutcome::Stored);
  const std::string copied = read_file(folder + "handy.jpg");
  EXPECT_EQ(copied.size(), original.size());
  EXPECT_EQ(scan_data(copied), scan_data(original));
  EXPECT_EQ(notes, Names{"Bild 1: Ortsangaben (GPS) aus \"handy.jpg\" entfernt."});

  // Every EXIF entry but the GPS ones reads as before.
  const std::string after = exif_as_read_by_imagemagick(folder + "handy.jpg");
  std::string want;
  for (std::size_t at = 0; at < before.size();) {
    const std::size_t end = std::min(before.find('\n', at), before.size());
    const std::string line = before.substr(at, end - at + 1);
    if (line.rfind("exif:GPS", 0) != 0) want += line;
    at = end + 1;
  }
  EXPECT_EQ(after, want);
  EXPECT_NE(after.find("exif:Orientation=6"), std::string::npos);

  const auto preview = preview_image(folder, "handy.jpg");
  ASSERT_TRUE(preview);
  EXPECT_EQ(preview->size(), (Size{110, 146}));  // 240 x 320 upright
  expect_upright(*preview);
}

TEST_F(Pictures, LongNamesAreShortenedToFitTheField) {
  const std::string whatsapp = "WhatsApp Image 2024-05-12 at 14.30.15.jpeg";  // 42 characters
  const std::string first = make_jpeg(30, 20), second = make_jpeg(20, 30);
  EXPECT_EQ(attach(1, offer(whatsapp, first)), AttachOutcome::Stored);
  EXPECT_EQ(articles.text(store::F::Bild1), "WhatsApp Image 2024-05-12.jpeg");
  EXPECT_EQ(read_file(folder + "WhatsApp Image 2024-05-12.jpeg"), first);
  EXPECT_EQ(notes, Names{"Bild 1 gespeichert als \"WhatsApp Image 2024-05-12.jpeg\": \"" +
                         whatsapp + "\" ist länger als die 30 Zeichen des Feldes."});

  // Another picture of that name for slot 2: its shortened form is taken, so it gets a new one;
  // no question, and the first file stays as it is.
  std::filesystem::create_directory(root / "andere");
  const std::string other = root / ("andere/" + whatsapp);
  write_file(other, second);
  dialogs.shown.clear();
  EXPECT_EQ(attach(2, other), AttachOutcome::Stored);
  EXPECT_EQ(dialogs.shown, Names{});
  EXPECT_EQ(articles.text(store::F::Bild2), "WhatsApp Image 2024-05~2.jpeg");
  EXPECT_EQ(read_file(folder + "WhatsApp Image 2024-05-12.jpeg"), first);
  EXPECT_EQ(read_file(folder + "WhatsApp Image 2024-05~2.jpeg"), second);

  // Shrunk, a long bitmap name: the shrunk name, shortened.
  const std::string scan = "Scan vom Dachboden mit Opas alter Kamera.bmp";
  EXPECT_EQ(attach(3, offer(scan, make_bmp(make_image(700, 500))), {Answer::Yes}),
            AttachOutcome::Stored);
  EXPECT_EQ(articles.text(store::F::Bild3), "Scan vom Dachboden mit Opa.jpg");
  EXPECT_LE(std::filesystem::file_size(folder + "Scan vom Dachboden mit Opa.jpg"), kSizeLimit);

  // Every field names a file that is there: previews, fees and the send's pictures see all three.
  for (int slot = 1; slot <= 3; ++slot) {
    const std::string name = articles.text(store::picture_field(slot));
    EXPECT_LE(name.size(), 30u);
    EXPECT_TRUE(preview_image(folder, name)) << name;
    EXPECT_TRUE(upload::picture_file_exists(folder, name)) << name;
  }
  EXPECT_EQ(folder_files(),
            (Names{"Scan vom Dachboden mit Opa.jpg", "WhatsApp Image 2024-05-12.jpeg",
                   "WhatsApp Image 2024-05~2.jpeg"}));

  // The same long file again for slot 1: its old file goes first, so the name is free again.
  EXPECT_EQ(attach(1, offer(whatsapp, second)), AttachOutcome::Stored);
  EXPECT_EQ(articles.text(store::F::Bild1), "WhatsApp Image 2024-05-12.jpeg");
  EXPECT_EQ(read_file(folder + "WhatsApp Image 2024-05-12.jpeg"), second);
}

TEST_F(Pictures, JpegAboveFiftyMegapixelsIsShrunk) {
  const std::string big = make_big_jpeg(13416, 8944);  // 120 megapixels
  EXPECT_EQ(
      attach(1, offer("kamera.jpg", padded(big, std::max<std::size_t>(big.size(), 1'500'000))),
             {Answer::Yes}),
      AttachOutcome::Stored);
  const std::string stored = read_file(folder + "kamera.jpg");
  EXPECT_LE(stored.size(), kSizeLimit);
  // Decoded at half its sides; the passes start from there.
  const auto passes = pass_sizes({6708, 4472});
  EXPECT_NE(std::find(passes.begin(), passes.end(), decode_jpeg(stored).size()), passes.end());
}

TEST_F(Pictures, KindGoesByContentNotByName) {
  // A GIF named .jpg (the send names every picture .jpg) and a JPEG named .gif: both preview.
  write_file(folder + "41.jpg", make_gif(30, 20));
  write_file(folder + "42.gif", make_jpeg(20, 30));
  ASSERT_TRUE(preview_image(folder, "41.jpg"));
  EXPECT_EQ(preview_image(folder, "41.jpg")->size(), (Size{30, 20}));
  ASSERT_TRUE(preview_image(folder, "42.gif"));
  EXPECT_EQ(preview_image(folder, "42.gif")->size(), (Size{20, 30}));

  // Attached: a GIF named .jpg is copied; a large JPEG named .gif may be shrunk; a large GIF
  // named .jpg may not.
  EXPECT_EQ(attach(1, offer("falsch.jpg", make_gif(4, 4))), AttachOutcome::Stored);
  EXPECT_EQ(articles.text(store::F::Bild1), "falsch.jpg");
  EXPECT_EQ(attach(2, offer("foto.gif", padded(make_jpeg(40, 30), 1'100'000)), {Answer::Yes}),
            AttachOutcome::Stored);
  EXPECT_EQ(articles.text(store::F::Bild2), "foto.jpg");
  dialogs.shown.clear();
  EXPECT_EQ(attach(3, offer("animation.jpg", padded(make_gif(8, 8), 1'100'000))),
            AttachOutcome::LeftEmpty);
  EXPECT_EQ(dialogs.shown, Names{std::string(kTooLargeNoShrink)});

  // A picture's name with bytes of no picture kind is refused before anything changes.
  try {
    attach(3, offer("kein-bild.jpg", "\x89PNG\r\n\x1a\n and more"));
    ADD_FAILURE() << "accepted";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("kein JPEG-, GIF- oder Bitmap-Bild"), std::string::npos)
        << e.what();
  }
}
