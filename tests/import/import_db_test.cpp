// The import against the real database and file server of the test auction house, judged by
// what those servers logged and by the records and files it left.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "db/connection.h"
#include "import/auction_import.h"
#include "import/transfer_back.h"
#include "store/field.h"
#include "store/table.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "text/error.h"

namespace tellvaro::importer {
namespace {

namespace fs = std::filesystem;
using namespace tellvaro::test;
using store::Table;
using store::Value;

// Every field that holds a value, with its kind, in field order: one line per field, so a
// failure's diff names the fields that differ.
std::string described(const store::Record& r) {
  std::string out;
  for (std::size_t i = 0; i < r.size(); ++i) {
    const Value& v = r[i];
    if (v.is_null()) continue;
    std::string line(store::article_fields()[i].name);
    if (const std::string* t = v.as_string())
      line += " text \"" + *t + "\"";
    else if (auto f = v.as_flag())
      line += *f ? " flag True" : " flag False";
    else if (auto n = v.as_small_int())
      line += " int " + std::to_string(*n);
    else
      line += " amount " + store::to_text(v, store::article_fields()[i]);
    out += line + "\n";
  }
  return out;
}

// An auction of seller 42 with only the columns given; the others are NULL.
void add_auction(int id, const std::string& closed, const std::string& title,
                 const std::string& more_columns = "", const std::string& more_values = "") {
  admin_exec("insert into tv_auktionshaus.auctions (id, user, closed, title" + more_columns +
             ") values (" + std::to_string(id) + ", 42, " + closed + ", '" + title + "'" +
             more_values + ")");
}

class ImportDbTest : public AuctionHouseTest {
 protected:
  void SetUp() override {
    AuctionHouseTest::SetUp();
    ASSERT_TRUE(test::connect_app(db_)) << db_.last_error();
    base_ = fs::temp_directory_path() / ("tellvaro-import-db-" + std::to_string(getpid()));
    fs::remove_all(base_);
    fs::create_directories(base_ / "bilder");
  }
  void TearDown() override { fs::remove_all(base_); }

  Services services() {
    Services s{db_, ftp_account(), {}, kSellerId, (base_ / "bilder").string() + "/", {}};
    s.payments.name[0] = "Überweisung";
    s.payments.name[1] = "Barzahlung bei Abholung";
    s.payments.name[2] = "Nachnahme";
    s.payments.name[3] = "PayPal";
    s.payments.shown = 4;
    return s;
  }

  std::vector<std::string> titles() const {
    std::vector<std::string> out;
    for (const auto& r : imports_.stored())
      out.push_back(*store::at(r, store::F::Artikelname).as_string());
    return out;
  }

  db::Connection db_;
  fs::path base_;
  Table imports_;
};

TEST_F(ImportDbTest, CaptionsCountCurrentAndExpiredAuctions) {
  for (int i = 0; i < 4; ++i) add_auction(1000 + i, "1", "alt");
  auto mark = general_log_mark();
  Counts c = count_auctions(db_, kSellerId);
  EXPECT_EQ(c.current, 2u);
  EXPECT_EQ(c.expired, 5u);
  // The server drops the statements' trailing blank before it logs them.
  EXPECT_EQ(queries_since(mark),
            (std::vector<std::string>{"select * from auctions where (user='42' and closed=0)",
                                      "select * from auctions where (user='42' and closed=1)"}));
  admin_exec("delete from tv_auktionshaus.auctions where user=42 and closed=0");
  EXPECT_EQ(count_auctions(db_, kSellerId).current, 0u);
}

TEST_F(ImportDbTest, TheBoxesChooseTheRowsAndNothingHappensWithoutRows) {
  add_auction(1001, "2", "geschlossen 2");  // neither current nor expired
  struct Case {
    Selection selection;
    std::vector<std::string> titles;
  };
  const Case cases[] = {
      {{true, false}, {"Winterreifen 205/55 R16", "Notebook 15 Zoll"}},
      {{false, true}, {"2-Euro-Gedenkmünze 2006"}},
      {{true, true},
       {"Winterreifen 205/55 R16", "Notebook 15 Zoll", "2-Euro-Gedenkmünze 2006", "geschlossen 2"}},
  };
  for (const Case& c : cases) {
    imports_.replace_all({});
    run_import(services(), c.selection, imports_);
    auto got = titles();
    std::sort(got.begin(), got.end());
    auto want = c.titles;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want) << c.selection.current << c.selection.expired;
  }

  // Neither box: no statement at all. No rows: no file server.
  imports_.replace_all({});
  auto mark = general_log_mark();
  auto ftp_mark = ftp_log_mark();
  EXPECT_EQ(run_import(services(), {false, false}, imports_).rows, 0u);
  EXPECT_TRUE(queries_since(mark).empty());
  Services other = services();
  other.user_id = "44";
  RunResult r = run_import(other, {true, true}, imports_);
  EXPECT_EQ(r.rows, 0u);
  EXPECT_EQ(r.ftp_connections, 0);
  EXPECT_EQ(queries_since(mark),
            std::vector<std::string>{"select * from auctions where user='44'"});
  EXPECT_TRUE(ftp_commands_since(ftp_mark).empty());
  EXPECT_EQ(imports_.count(), 0u);
}

TEST_F(ImportDbTest, SeededAuctionDecodesAndPicturesComeOverOneLogin) {
  const std::string picture("\xff\xd8\xff\xe0 JPEG\r\n\0 Bytes", 17);
  write_file(fs::path(ftp_root()) / "990.jpg", picture);
  // 990_2.jpg is named but not on the server.
  auto ftp_mark = ftp_log_mark();
  test::ScriptedProgress progress;
  Hooks hooks;
  hooks.progress = &progress;
  RunResult r = run_import(services(), {true, false}, imports_, hooks);
  EXPECT_EQ(r.imported, 2u);
  EXPECT_EQ(r.ftp_connections, 1);
  EXPECT_EQ(progress.calls,
            (std::vector<std::string>{"start 2", "advance 1", "advance 1", "finish"}));

  // The whole record, so a value that lands in a neighbouring field shows too.
  const std::vector<std::pair<store::F, Value>> expected = {
      {store::F::Anzeigenart, Value::text("Sofortkauf")},
      {store::F::Artikelname, Value::text("Winterreifen 205/55 R16")},
      {store::F::Untertitel, Value::text("Vier Stück, 7 mm Profil")},
      {store::F::Sprache, Value::text("Deutschland / Deutsch")},
      {store::F::Einheiten, Value::text("4")},
      {store::F::Masseinheit, Value::text("kg - Kilogramm")},
      {store::F::FSK_18, Value::text("ja")},
      {store::F::html_desc_1, Value::small_int(1)},
      {store::F::Beschreibung, Value::text("<p>Reifen vom Händler´s Lager.</p>")},
      {store::F::Zustand, Value::text("Neu")},
      {store::F::Kategorie_Nummer, Value::text("1112")},
      {store::F::Kategorie_Nummer_2, Value::text("12")},
      {store::F::Startpreis, Value::amount(120)},
      {store::F::Sofortkauf, Value::amount(200)},
      {store::F::Anzahl, Value::text("4")},
      {store::F::Verhalten, Value::text("Stehen lassen")},
      {store::F::Mindestpreis, Value::amount(150)},
      {store::F::minimum_preis_zeigen, Value::text("Mindestpreis")},
      {store::F::Preisvorschlag, Value::text("ja")},
      {store::F::Preisvorschlag_Minimum, Value::amount(90)},
      {store::F::Fettschrift, Value::flag(true)},
      {store::F::Textmarker, Value::flag(true)},
      {store::F::Top_Kategorie, Value::flag(true)},
      {store::F::Bild1, Value::text("990.jpg")},
      {store::F::Auktionsdauer, Value::text("7")},
      {store::F::Wiedereinstellen, Value::text("Bis verkauft")},
      {store::F::location, Value::text("Berlin")},
      {store::F::location_zip, Value::text("10115")},
      {store::F::country, Value::text("Deutschland")},
      {store::F::shipping, Value::text("2")},
      {store::F::international, Value::flag(true)},
      {store::F::Versand_1, Value::text("DHL Packet (Inland)")},
      {store::F::Versandpreis_1, Value::amount(6.99)},
      {store::F::Versand_2, Value::text("Abholung Vorort möglich")},
      {store::F::Versandpreis_2, Value::amount(0)},
      {store::F::Versand_3, Value::text("UPS Versand (Inland)")},
      {store::F::Versandpreis_3, Value::amount(12.5)},
      {store::F::p1, Value::flag(true)},
      {store::F::p4, Value::flag(true)},
  };
  const auto it = std::find_if(imports_.stored().begin(), imports_.stored().end(), [](auto& r) {
    return store::at(r, store::F::Artikelname) == Value::text("Winterreifen 205/55 R16");
  });
  ASSERT_NE(it, imports_.stored().end());
  store::Record want = store::empty_record();
  for (const auto& [field, value] : expected) store::at(want, field) = value;
  EXPECT_EQ(described(*it), described(want));

  EXPECT_EQ(read_file(base_ / "bilder" / "990.jpg"), picture);
  EXPECT_EQ(std::distance(fs::directory_iterator(base_ / "bilder"), {}), 1);

  auto commands = ftp_commands_since(ftp_mark);
  auto count = [&](std::string_view c) { return count_of(commands, c); };
  EXPECT_EQ(count("USER tvftp"), 1);
  EXPECT_EQ(count("CWD /"), 1);
  // Neither picture is local: each is fetched straight away, RETR's answer telling whether it
  // is there (the missing one: 550, and the session goes on), no SIZE before.
  EXPECT_EQ(count("RETR 990.jpg"), 1);
  EXPECT_EQ(count("RETR 990_2.jpg"), 1);
  for (const std::string& c : commands) EXPECT_NE(c.rfind("SIZE", 0), 0u) << c;
  EXPECT_EQ(count("QUIT"), 1);

  // The same selection again: each auction twice; the local picture is only asked about.
  ftp_mark = ftp_log_mark();
  r = run_import(services(), {true, false}, imports_);
  EXPECT_EQ(imports_.count(), 4u);
  EXPECT_EQ(r.ftp_connections, 1);
  commands = ftp_commands_since(ftp_mark);
  EXPECT_EQ(count("SIZE 990.jpg"), 1);
  EXPECT_EQ(count("RETR 990.jpg"), 0);
  EXPECT_EQ(count("SIZE 990_2.jpg"), 0);
  EXPECT_EQ(count("RETR 990_2.jpg"), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(base_ / "bilder"), {}), 1);
}

TEST_F(ImportDbTest, PicturesPresentMissingEmptyOrHostile) {
  fs::create_directories(fs::path(ftp_root()) / "sub");
  write_file(fs::path(ftp_root()) / "da.jpg", "vom Server");
  write_file(fs::path(ftp_root()) / "lokal.jpg", "vom Server");
  write_file(fs::path(ftp_root()) / "null.jpg", "");
  write_file(fs::path(ftp_root()) / "boese.jpg", "boese");
  write_file(fs::path(ftp_root()) / "sub" / "x.jpg", "x");
  write_file(base_ / "bilder" / "lokal.jpg", "lokal");
  write_file(base_ / "bilder" / "nur_hier.jpg", "lokal");
  admin_exec("delete from tv_auktionshaus.auctions");
  const std::string cols = ", pict_url, pict_url2, pict_url3";
  add_auction(1, "0", "a", cols, ", 'fehlt.jpg', 'da.jpg', 'lokal.jpg'");
  add_auction(2, "0", "b", cols, ", 'null.jpg', 'nur_hier.jpg', '../boese.jpg'");
  add_auction(3, "0", "c", cols, ", 'sub/x.jpg', 'C:boese.jpg', NULL");

  std::vector<std::string> notes;
  Hooks hooks;
  hooks.note = [&](const std::string& l) { notes.push_back(l); };
  auto ftp_mark = ftp_log_mark();
  run_import(services(), {true, false}, imports_, hooks);
  ASSERT_EQ(imports_.count(), 3u);

  auto pictures = [&](const std::string& title) {
    imports_.first();
    while (imports_.text(store::F::Artikelname) != title) imports_.next();
    return imports_.text(store::F::Bild1) + "|" + imports_.text(store::F::Bild2) + "|" +
           imports_.text(store::F::Bild3);
  };
  EXPECT_EQ(pictures("a"), "|da.jpg|lokal.jpg");
  EXPECT_EQ(pictures("b"), "||");
  EXPECT_EQ(pictures("c"), "||");
  EXPECT_EQ(read_file(base_ / "bilder" / "da.jpg"), "vom Server");
  EXPECT_EQ(read_file(base_ / "bilder" / "lokal.jpg"), "lokal");  // never overwritten
  // Nothing of the missing, empty or refused ones, not even a temporary file.
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(base_ / "bilder"))
    left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"da.jpg", "lokal.jpg", "nur_hier.jpg"}));
  EXPECT_FALSE(fs::exists(base_ / "boese.jpg"));
  EXPECT_EQ(std::distance(fs::directory_iterator(base_), {}), 1);  // only the picture folder

  // Every picture left out, each with its reason.
  ASSERT_EQ(notes.size(), 6u);
  const std::string missing = "nicht übernommen: Auf dem Bildserver nicht gefunden.";
  EXPECT_EQ(notes[0], "Bild \"fehlt.jpg\" der Auktion 1 " + missing);
  EXPECT_EQ(notes[1],
            "Bild \"null.jpg\" der Auktion 2 nicht übernommen: Die Datei auf dem Bildserver ist "
            "leer.");
  EXPECT_EQ(notes[2], "Bild \"nur_hier.jpg\" der Auktion 2 " + missing);
  EXPECT_EQ(notes[3],
            "Bild \"../boese.jpg\" der Auktion 2 nicht übernommen: Der Name enthält "
            "einen Pfadtrenner.");
  EXPECT_NE(notes[4].find("sub/x.jpg"), std::string::npos);
  EXPECT_NE(notes[5].find("C:boese.jpg"), std::string::npos);
  // Hostile names never reach the server; only the pictures already here are asked about, and
  // the one login lasts through the missing and the empty one.
  std::vector<std::string> sizes;
  for (const std::string& c : ftp_commands_since(ftp_mark)) {
    EXPECT_EQ(c.find("boese"), std::string::npos) << c;
    EXPECT_EQ(c.find("sub"), std::string::npos) << c;
    if (c.rfind("SIZE", 0) == 0) sizes.push_back(c);
  }
  EXPECT_EQ(sizes, (std::vector<std::string>{"SIZE lokal.jpg", "SIZE nur_hier.jpg"}));
  const auto commands = ftp_commands_since(ftp_mark);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "USER tvftp"), 1);
}

TEST_F(ImportDbTest, APictureLargerThanAllowedIsCutOffAndTheRunGoesOn) {
  write_file(fs::path(ftp_root()) / "riesig.jpg", std::string(kMaxPictureBytes + 1, 'r'));
  write_file(fs::path(ftp_root()) / "klein.jpg", "klein");
  admin_exec("delete from tv_auktionshaus.auctions");
  add_auction(1, "0", "a", ", pict_url, pict_url2", ", 'riesig.jpg', 'klein.jpg'");
  std::vector<std::string> notes;
  Hooks hooks;
  hooks.note = [&](const std::string& l) { notes.push_back(l); };
  const auto ftp_mark = ftp_log_mark();
  run_import(services(), {true, false}, imports_, hooks);
  ASSERT_EQ(imports_.count(), 1u);
  imports_.first();
  EXPECT_TRUE(imports_.get(store::F::Bild1).is_null());
  EXPECT_EQ(imports_.text(store::F::Bild2), "klein.jpg");
  EXPECT_EQ(notes, std::vector<std::string>{"Bild \"riesig.jpg\" der Auktion 1 nicht übernommen: "
                                            "mit 16777217 Bytes größer als erlaubt (16777216 "
                                            "Bytes)."});
  // Taken from the server's announcement: nothing of it stays here.
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(base_ / "bilder"))
    left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"klein.jpg"});
  // The broken-off transfer costs a fresh login, which starts from the root again.
  const auto commands = ftp_commands_since(ftp_mark);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "USER tvftp"), 2);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "CWD /"), 2);
}

TEST_F(ImportDbTest, AFetchBrokenOffLeavesNoFileAndTheNextRunFetchesItWhole) {
  admin_exec("delete from tv_auktionshaus.auctions");
  add_auction(1, "0", "vorher");
  add_auction(2, "0", "gross", ", pict_url", ", 'gross.jpg'");
  std::string big(kMaxPictureBytes, 'b');
  write_file(fs::path(ftp_root()) / "gross.jpg", big);
  const fs::path folder = base_ / "bilder";

  Services s = services();
  s.timeouts = {500, 1000, 1000};
  // The server stops answering as soon as the fetch has begun (its temporary file exists).
  std::atomic<bool> done{false};
  std::unique_ptr<Frozen> frozen;
  std::thread watch([&] {
    while (!done) {
      if (!fs::is_empty(folder)) {
        frozen = std::make_unique<Frozen>("ftp");
        return;
      }
    }
  });
  std::string message;
  try {
    run_import(s, {true, false}, imports_);
  } catch (const Error& e) {
    message = e.what();
  }
  done = true;
  watch.join();
  ASSERT_TRUE(frozen && frozen->ok());
  frozen.reset();
  EXPECT_EQ(message.rfind("Import der Auktion 2 abgebrochen: FTP-Server ", 0), 0u) << message;
  EXPECT_TRUE(fs::is_empty(folder));  // no truncated picture that would count as present
  EXPECT_EQ(titles(), std::vector<std::string>{"vorher"});  // the row before stays

  imports_.replace_all({});
  run_import(services(), {true, false}, imports_);
  EXPECT_EQ(imports_.count(), 2u);
  EXPECT_EQ(fs::file_size(folder / "gross.jpg"), big.size());
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
}

TEST_F(ImportDbTest, FileServerRefusingTheLoginAddsNothing) {
  Services s = services();
  s.ftp.password += "x";
  try {
    run_import(s, {true, true}, imports_);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).find(s.ftp.password), std::string::npos);
  }
  EXPECT_EQ(imports_.count(), 0u);
}

TEST_F(ImportDbTest, ImportedRecordsGoOverToTheArticleTableInTheImportOrder) {
  run_import(services(), {true, true}, imports_);
  imports_.sort(store::SortKind::Descending, store::F::Artikelname);
  Table articles;
  articles.set_post_rule(
      [](store::Record& r) { store::at(r, store::F::Gebuehr) = Value::amount(0.35); });
  EXPECT_EQ(transfer_back(imports_.shown(), articles).size(), 3u);
  imports_.first();
  transfer_back({imports_.values()}, articles);
  ASSERT_EQ(articles.count(), 4u);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < 4; ++i) {
    const store::Record& r = articles.row(i);
    names.push_back(*store::at(r, store::F::Artikelname).as_string());
    EXPECT_EQ(store::at(r, store::F::Gebuehr), Value::amount(0.35));
    EXPECT_TRUE(store::at(r, store::F::Kategorie).is_null());
    EXPECT_FALSE(store::at(r, store::F::Kategorie_Nummer).is_null());
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"Winterreifen 205/55 R16", "Notebook 15 Zoll",
                                      "2-Euro-Gedenkmünze 2006", "Winterreifen 205/55 R16"}));
  EXPECT_EQ(imports_.count(), 3u);
}

}  // namespace
}  // namespace tellvaro::importer
