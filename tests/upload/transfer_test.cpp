#include "upload/transfer.h"

#include <gtest/gtest.h>

#include "article_fixture.h"
#include "store/description_frames.h"
#include "store/table.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "upload/auction_row.h"
#include "upload/column_limits.h"

namespace tellvaro::upload {
namespace {

using namespace fixture;
using store::Value;

TEST(CompletenessCheck, TheFirstFailingCheckDecides) {
  struct Case {
    const char* name;
    Fields change;
    std::optional<std::string_view> message;
    store::F field;  // the value to bring forward
  };
  const Case cases[] = {
      {"complete", {}, std::nullopt, store::F::Artikelname},
      {"no name and no category",
       {{store::F::Artikelname, Value()}, {store::F::Kategorie_Nummer, t("")}},
       "Bitte Artikelnamen eingeben.",
       store::F::Artikelname},
      {"no category",
       {{store::F::Kategorie_Nummer, Value()}},
       "Bitte eine Kategorie Nummer auswählen.",
       store::F::Kategorie_Nummer},
      {"no duration",
       {{store::F::Auktionsdauer, t("")}},
       "Bitte die Auktionsdauer angeben.",
       store::F::Auktionsdauer},
      {"no postcode",
       {{store::F::location_zip, Value()}},
       "Bitte zu Artikelstandort die PLZ angeben.",
       store::F::location_zip},
      {"no town",
       {{store::F::location, Value()}},
       "Bitte zu Artikelstandort den Ort angeben.",
       store::F::location},
      {"no start price",
       {{store::F::Startpreis, Value()}},
       "Bitte den Startpreis angeben.",
       store::F::Startpreis},
      {"start price 0 is a price",
       {{store::F::Startpreis, amount(0)}},
       std::nullopt,
       store::F::Artikelname},
      {"payments all false or null",
       {{store::F::p1, flag(false)}, {store::F::p2, flag(false)}},
       "Bitte die Bezahlart auswählen.",
       store::F::p1},
      {"no payment and no description: only the payment",
       {{store::F::p1, Value()}, {store::F::Beschreibung, Value()}},
       "Bitte die Bezahlart auswählen.",
       store::F::p1},
      {"only p15",
       {{store::F::p1, Value()}, {store::F::p15, flag(true)}},
       std::nullopt,
       store::F::Artikelname},
      {"no description",
       {{store::F::Beschreibung, t("")}},
       "Bitte die Artikel-Beschreibung eigeben.",
       store::F::Beschreibung},
      {"unchecked fields may be empty",
       {{store::F::Kategorie_2, Value()},
        {store::F::Zustand, Value()},
        {store::F::Anzahl, Value()}},
       std::nullopt,
       store::F::Artikelname},
  };
  for (const auto& c : cases) {
    store::Record a = complete_article();
    for (const auto& [field, value] : c.change) store::at(a, field) = value;
    auto gap = find_gap(a);
    if (!c.message) {
      EXPECT_FALSE(gap) << c.name;
      continue;
    }
    ASSERT_TRUE(gap) << c.name;
    EXPECT_EQ(gap->message, *c.message) << c.name;
    EXPECT_EQ(gap->field, c.field) << c.name;
  }
}

TEST(UploadCopy, CopiesTheListedFieldsAndLeavesTheRestNull) {
  store::Record a = reference_article();
  for (auto name :
       {store::F::Artikelgruppe, store::F::Artikelnummer, store::F::Kategorie1, store::F::Bild4,
        store::F::Bild12, store::F::duration, store::F::payment, store::F::Info_1, store::F::Info_2,
        store::F::Mitglied, store::F::Erstellt, store::F::Editiert}) {
    store::at(a, name) = t("x");
  }
  store::at(a, store::F::Sofortkauf) = Value();  // null stays null
  const store::Record copy = upload_copy(a);
  std::size_t copied = 0;
  for (std::size_t i = 0; i < store::kFieldCount; ++i) {
    const auto name = store::article_fields()[i].name;
    const auto id = static_cast<store::F>(i);
    const bool listed =
        std::find(copied_fields().begin(), copied_fields().end(), id) != copied_fields().end();
    if (listed) {
      ++copied;
      EXPECT_EQ(copy[i], a[i]) << name;
    } else {
      EXPECT_TRUE(copy[i].is_null()) << name;
    }
  }
  EXPECT_EQ(copied, 57u);  // every listed name is a field, none twice
}

struct Tables {
  store::Table articles, uploads;
  tellvaro::test::ScriptedDialogs dialogs;
  std::vector<std::string> protocol;
  AddLine sink = [this](const std::string& line) { protocol.push_back(line); };

  void add(const store::Record& r) {
    articles.append();
    articles.set_values(r);
    articles.post();
  }
};

TEST(TransferOne, MessagesPagesAndTheCopy) {
  Tables tb;
  tb.add(complete_article("Erster"));
  store::Record second = complete_article("Zweiter");
  store::at(second, store::F::Beschreibung) = Value();
  tb.add(second);

  tb.articles.first();
  auto done = transfer_one(tb.articles.values(), tb.uploads, tb.dialogs);
  EXPECT_TRUE(done.copied);
  EXPECT_FALSE(done.missing);
  EXPECT_EQ(tb.dialogs.shown.back(), "Erster wurde in die Upload-Tabelle übertragen.");
  EXPECT_EQ(tb.articles.position(), 0u);

  // The same article again: one more equal record, which does not become current.
  transfer_one(tb.articles.values(), tb.uploads, tb.dialogs);
  ASSERT_EQ(tb.uploads.count(), 2u);
  EXPECT_EQ(tb.uploads.position(), 0u);
  EXPECT_EQ(tb.uploads.row(0), tb.uploads.row(1));
  EXPECT_EQ(tb.uploads.row(0), upload_copy(complete_article("Erster")));

  tb.articles.next();
  auto refused = transfer_one(tb.articles.values(), tb.uploads, tb.dialogs);
  EXPECT_FALSE(refused.copied);
  EXPECT_EQ(refused.missing, store::F::Beschreibung);
  EXPECT_EQ(tb.dialogs.shown.back(), "Bitte die Artikel-Beschreibung eigeben.");
  EXPECT_EQ(tb.uploads.count(), 2u);
  EXPECT_EQ(tb.articles.count(), 2u);
}

TEST(TransferOne, AnEmptyArticleTableAsksForTheName) {
  Tables tb;
  auto r = transfer_one(tb.articles.values(), tb.uploads, tb.dialogs);
  EXPECT_EQ(r.missing, store::F::Artikelname);
  EXPECT_EQ(tb.dialogs.shown, std::vector<std::string>{"Bitte Artikelnamen eingeben."});
  EXPECT_EQ(tb.uploads.count(), 0u);
}

TEST(TransferOne, AnUnpostedEditIsWhatIsChecked) {
  Tables tb;
  tb.add(complete_article("Alt"));
  tb.articles.set(store::F::Artikelname, t("Neu im Editor"));
  EXPECT_TRUE(transfer_one(tb.articles.values(), tb.uploads, tb.dialogs).copied);
  EXPECT_EQ(tb.uploads.text(store::F::Artikelname), "Neu im Editor");
}

TEST(TransferAll, QuestionProtocolSummaryAndCopies) {
  const std::string one = " Artikel erfolgreich in die Upload-Tabelle übertragen.";
  struct Case {
    const char* name;
    std::vector<bool> complete;
    ports::Answer answer;
    std::size_t copies;
    std::vector<std::string> protocol;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {"5 articles, 2 incomplete",
       {true, false, true, false, true},
       ports::Answer::Yes,
       3,
       {"Artikel:A1 ist unvolständig !!!", "Artikel:A3 ist unvolständig !!!"},
       {"Sollen 5 Artikel in die Upload-Tabelle übertragen werden ?",
        "3" + one +
            "\r\n\r\n2 Artikel sind unvollständig und wurden nicht in die Upload-Tabelle "
            "übertragen.\r\n\r\nEine Liste der unvollständigen Artikel finden Sie im "
            "Upload-Protokoll."}},
      {"all complete",
       {true, true},
       ports::Answer::Yes,
       2,
       {},
       {"Sollen 2 Artikel in die Upload-Tabelle übertragen werden ?", "2" + one}},
      {"empty table",
       {},
       ports::Answer::Yes,
       0,
       {},
       {"Sollen 0 Artikel in die Upload-Tabelle übertragen werden ?", "0" + one}},
      {"answered No",
       {true, false},
       ports::Answer::No,
       0,
       {},
       {"Sollen 2 Artikel in die Upload-Tabelle übertragen werden ?"}},
  };
  for (const auto& c : cases) {
    Tables tb;
    tb.protocol.push_back("älter");
    for (std::size_t i = 0; i < c.complete.size(); ++i) {
      store::Record a = complete_article("A" + std::to_string(i));
      if (!c.complete[i]) store::at(a, store::F::location) = Value();
      tb.add(a);
    }
    tb.dialogs.answers.push_back(c.answer);
    std::vector<std::size_t> shown_when_copied;
    std::vector<store::Table::Key> added;
    auto run = transfer_all(tb.articles.shown(), tb.uploads, tb.dialogs, tb.sink,
                            [&](const std::vector<store::Table::Key>& keys) {
                              shown_when_copied.push_back(tb.dialogs.shown.size());
                              added = keys;
                            });
    // The upload counters are refreshed once, between the question and the summary.
    EXPECT_EQ(shown_when_copied,
              c.copies ? std::vector<std::size_t>{1} : std::vector<std::size_t>{})
        << c.name;
    EXPECT_EQ(run.asked_yes, c.answer == ports::Answer::Yes) << c.name;
    EXPECT_EQ(tb.dialogs.shown, c.shown) << c.name;
    std::vector<std::string> protocol{"älter"};
    protocol.insert(protocol.end(), c.protocol.begin(), c.protocol.end());
    EXPECT_EQ(tb.protocol, protocol) << c.name;
    ASSERT_EQ(tb.uploads.count(), c.copies) << c.name;
    EXPECT_EQ(added, tb.uploads.stored_keys()) << c.name;
    std::size_t k = 0;
    for (std::size_t i = 0; i < c.complete.size() && c.copies; ++i) {
      if (!c.complete[i]) continue;
      EXPECT_EQ(tb.uploads.row(k++)[store::index_of(store::F::Artikelname)],
                t("A" + std::to_string(i)))
          << c.name;
    }
    EXPECT_EQ(tb.articles.count(), c.complete.size()) << c.name;
  }
}

TEST(TransferAll, TheUploadGridHearsOfTheCopiesOnce) {
  Tables tb;
  for (int i = 0; i < 500; ++i) tb.add(complete_article("A" + std::to_string(i)));
  std::vector<store::Table::RowChange> changes;
  auto sub = tb.uploads.on_rows_change([&](const auto& c) { changes.push_back(c); });
  tb.dialogs.answers.push_back(ports::Answer::Yes);
  transfer_all(tb.articles.shown(), tb.uploads, tb.dialogs, tb.sink);
  ASSERT_EQ(tb.uploads.count(), 500u);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].kind, store::Table::RowChange::Kind::Inserted);
  EXPECT_EQ(changes[0].count, 500u);
}

TEST(TransferAll, OnlyTheArticlesTheFilterShows) {
  Tables tb;
  for (auto name : {"Reifen vorn", "Felge", "Reifen hinten"}) tb.add(complete_article(name));
  tb.articles.set_filter(store::Table::like_expression(store::F::Artikelname, "Reifen"));
  tb.articles.set_filtered(true);
  tb.dialogs.answers.push_back(ports::Answer::Yes);
  transfer_all(tb.articles.shown(), tb.uploads, tb.dialogs, tb.sink);
  EXPECT_EQ(tb.dialogs.shown.front(), "Sollen 2 Artikel in die Upload-Tabelle übertragen werden ?");
  ASSERT_EQ(tb.uploads.count(), 2u);
}

// Characters the auction house cannot store: the copy is made as typed (the tables keep them),
// and the seller is warned then, not only when the send stops the article.
TEST(Transfer, TextsTheAuctionHouseCannotHoldAreNamedAtTransfer) {
  Tables tb;
  tb.add(
      complete_article("\xC5\x81\xC3\xB3"
                       "d\xC5\xBA Vase"));  // Łódź
  tb.add(complete_article("Vase"));
  tb.articles.first();
  EXPECT_TRUE(transfer_one(tb.articles.values(), tb.uploads, tb.dialogs).copied);
  EXPECT_EQ(tb.dialogs.shown.back(),
            "\xC5\x81\xC3\xB3"
            "d\xC5\xBA Vase wurde in die Upload-Tabelle übertragen.\r\n\r\n"
            "Der Artikel \"\xC5\x81\xC3\xB3"
            "d\xC5\xBA Vase\" enthält Zeichen, die das "
            "Auktionshaus nicht speichern kann:\nArtikelname: \"\xC5\x81\", \"\xC5\xBA\"\n"
            "So kann der Artikel nicht gesendet werden; bitte ersetzen Sie diese Zeichen im "
            "Artikel und übertragen Sie ihn neu.");
  EXPECT_EQ(tb.uploads.text(store::F::Artikelname),
            "\xC5\x81\xC3\xB3"
            "d\xC5\xBA Vase");

  tb.dialogs.answers = {ports::Answer::Yes};
  auto all = transfer_all(tb.articles.shown(), tb.uploads, tb.dialogs, tb.sink);
  const auto& protocol = tb.protocol;
  EXPECT_EQ(all.transferred, 2u);
  EXPECT_EQ(all.unstorable, 1u);
  ASSERT_EQ(protocol.size(), 1u);
  EXPECT_NE(protocol[0].find("Artikelname: \"\xC5\x81\", \"\xC5\xBA\""), std::string::npos);
  EXPECT_NE(tb.dialogs.shown.back().find("\r\n\r\n1 übertragener Artikel enthält Zeichen"),
            std::string::npos)
      << tb.dialogs.shown.back();
}

}  // namespace
}  // namespace tellvaro::upload

namespace tellvaro::upload {
namespace {

// Where the auction house's column lengths are known (the window's connection), a text the send
// would stop at as too long is named at the transfer already; the copy is made all the same.
TEST(Transfer, TextsLongerThanTheirColumnsAreNamedAtTransferWhereTheLimitsAreKnown) {
  ColumnLimits limits;
  limits.set("auctions", "description", {65535, 65535, "latin1"});
  limits.set("auctions", "title", {40, 160, "utf8mb4"});
  Tables tb;
  store::Record a = complete_article("Lampe");
  store::at(a, store::F::Beschreibung) = store::Value::text(std::string(73511, 'x'));
  tb.add(a);
  tb.add(complete_article("Ein Titel mit mehr als vierzig Zeichen, zu lang"));
  tb.articles.first();
  EXPECT_TRUE(transfer_one(tb.articles.values(), tb.uploads, tb.dialogs, {}, &limits).copied);
  EXPECT_EQ(tb.dialogs.shown.back(),
            "Lampe wurde in die Upload-Tabelle übertragen.\r\n\r\nDer Artikel \"Lampe\" hat "
            "Texte, die das Auktionshaus nur gekürzt speichern würde:\nBeschreibung: 73511 "
            "Zeichen, das Auktionshaus speichert höchstens 65535 Zeichen\nSo kann der Artikel "
            "nicht gesendet werden; bitte kürzen Sie diese Texte im Artikel und übertragen Sie "
            "ihn neu.");

  tb.dialogs.answers = {ports::Answer::Yes};
  const auto all = transfer_all(tb.articles.shown(), tb.uploads, tb.dialogs, tb.sink, {}, &limits);
  EXPECT_EQ(all.transferred, 2u);
  EXPECT_EQ(all.unstorable, 2u);
  ASSERT_EQ(tb.protocol.size(), 2u);
  EXPECT_NE(tb.protocol[1].find("Artikelname: 47 Zeichen, das Auktionshaus speichert höchstens 40"),
            std::string::npos)
      << tb.protocol[1];
}

// The completeness check names a frame that is missing or broken; a frame's texts count among
// what the auction house could not store. The copy keeps the marker, not the filled frame.
TEST(Transfer, AFrameThatIsMissingOrBrokenIsAGap) {
  tellvaro::test::TempDir root;
  store::FrameFolder frames(root.folder());
  frames.save("Shop", "{Beschreibung}<p>Impressum</p>");
  frames.save("Haken", "{Beschreibung} \xE2\x9C\x93");
  test::write_file(frames.folder() + "Kaputt.html", "{Beschreibung}{Versandkosten}");
  const auto framed = [](const char* name, const char* frame) {
    store::Record r = complete_article(name);
    store::at(r, store::F::Beschreibung) = Value::text(store::with_frame("Eigener Text", frame));
    return r;
  };
  Tables tb;
  tb.add(framed("Gerahmt", "Shop"));
  tb.add(framed("Ohne Vorlage", "Weg"));
  tb.add(framed("Kaputte Vorlage", "Kaputt"));
  tb.add(framed("Mit Haken", "Haken"));

  tb.articles.move_to(1);
  auto refused = transfer_one(tb.articles.values(), tb.uploads, tb.dialogs, {}, nullptr, &frames);
  EXPECT_EQ(refused.missing, store::F::Beschreibung);
  EXPECT_EQ(tb.dialogs.shown.back().rfind("Die Vorlage \"Weg\" der Beschreibung fehlt", 0), 0u)
      << tb.dialogs.shown.back();
  EXPECT_EQ(find_gap(tb.articles.values()), std::nullopt);  // a caller that knows no frames

  tb.dialogs.answers = {ports::Answer::Yes};
  const auto all =
      transfer_all(tb.articles.shown(), tb.uploads, tb.dialogs, tb.sink, {}, nullptr, &frames);
  EXPECT_EQ(all.transferred, 2u);
  EXPECT_EQ(all.incomplete, 2u);
  EXPECT_EQ(all.unstorable, 1u);
  ASSERT_EQ(tb.protocol.size(), 5u);
  EXPECT_EQ(tb.protocol[0], "Artikel:Ohne Vorlage ist unvolständig !!!");
  EXPECT_EQ(tb.protocol[1].rfind("Die Vorlage \"Weg\" der Beschreibung fehlt", 0), 0u);
  EXPECT_EQ(tb.protocol[2], "Artikel:Kaputte Vorlage ist unvolständig !!!");
  EXPECT_NE(tb.protocol[3].find("{Versandkosten}"), std::string::npos) << tb.protocol[3];
  EXPECT_NE(tb.protocol[4].find("Beschreibung: \"\xE2\x9C\x93\""), std::string::npos)
      << tb.protocol[4];
  ASSERT_EQ(tb.uploads.count(), 2u);
  EXPECT_EQ(store::frame_of(
                tb.uploads.row(0)[store::index_of(store::F::Beschreibung)].as_string()->c_str()),
            "Shop");
}

}  // namespace
}  // namespace tellvaro::upload
