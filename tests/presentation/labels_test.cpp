#include "presentation/labels.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "catalogue/categories.h"
#include "upload/listed_rows.h"

namespace tellvaro::presentation {
namespace {

TEST(Labels, StatusPanelsAndImportCaptions) {
  struct Case {
    std::size_t count;
    const char* articles;
    const char* current;
  };
  const Case cases[] = {
      {0, "Artikel in Artikel-Tabelle: 0", "0 Aktuelle Artikel importieren"},
      {1, "Artikel in Artikel-Tabelle: 1", "1 Aktuelle Artikel importieren"},
      {12345, "Artikel in Artikel-Tabelle: 12345", "12345 Aktuelle Artikel importieren"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(articles_panel(c.count), c.articles);
    EXPECT_EQ(current_import_caption(c.count), c.current);
  }
  EXPECT_EQ(uploads_panel(2), "Artikel in Upload-Tabelle: 2");
  EXPECT_EQ(expired_import_caption(5), "5 Abgelaufene Artikel importieren");
  // The captions before counting are the counted texts without their number.
  EXPECT_EQ(articles_panel(7), std::string(kArticlesPanel) + " 7");
  EXPECT_EQ(uploads_panel(7), std::string(kUploadsPanel) + " 7");
  EXPECT_EQ(upload_total_panel(7), std::string(kUploadTotalPanel) + " 7");
}

TEST(Labels, UploadTotalInItsShortestDecimal) {
  struct Case {
    double total;
    const char* text;
  };
  const Case cases[] = {
      {0, "Upload-Gesamtpreis: 0"},
      {0.1 + 0.2 + 0.3, "Upload-Gesamtpreis: 0.6"},  // summed fees carry binary noise
      {0.05, "Upload-Gesamtpreis: 0.05"},
      {12, "Upload-Gesamtpreis: 12"},
      {1234.5, "Upload-Gesamtpreis: 1234.5"},  // no grouping, a point whatever the locale
  };
  for (const auto& c : cases) EXPECT_EQ(upload_total_panel(c.total), c.text) << c.total;
}

TEST(Labels, ListedRowMarkNamesNumberAndLocalTime) {
  const char* tz = std::getenv("TZ");
  const std::string saved = tz ? tz : "";
  ::setenv("TZ", "Europe/Berlin", 1);
  ::tzset();
  upload::Listing listing;
  listing.auction_number = "100234";
  listing.when = 1796931065;  // 2026-12-10 19:31:05 UTC
  const RowMark mark = listed_row_mark(listing);
  EXPECT_EQ(mark.mark, "\u2714 100234");
  EXPECT_EQ(mark.tip, "Eingestellt am 10.12.2026 20:31:05 als Auktion 100234");
  if (tz) {
    ::setenv("TZ", saved.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

TEST(Labels, FeeInCentsWithThePointAndTheEuroSign) {
  struct Case {
    double fee;
    const char* text;
  };
  const Case cases[] = {
      {0, "( 0.00 € )"},    {0.5, "( 0.50 € )"},
      {0.75, "( 0.75 € )"}, {0.1 + 0.2, "( 0.30 € )"},  // a summed total carries binary noise
      {12, "( 12.00 € )"},  {1234.5, "( 1234.50 € )"},  // no grouping, a point whatever the locale
  };
  for (const auto& c : cases) EXPECT_EQ(fee_label(c.fee), c.text) << c.fee;
}

TEST(Labels, CategoryEntriesMarkTheOnesWithSubCategories) {
  struct Case {
    bool has_children;
    bool top_level;
    const char* text;
  };
  const Case cases[] = {
      {false, true, "Bücher"},
      {false, false, "Bücher"},
      {true, true, "Bücher -->"},
      {true, false, "Bücher ->"},
  };
  for (const auto& c : cases) {
    catalogue::CategoryEntry entry{"6", "0", "Bücher", c.has_children};
    EXPECT_EQ(category_entry_label(entry, c.top_level), c.text) << c.text;
  }
}

TEST(Labels, FeeDatesAndMonthsInGerman) {
  struct Case {
    const char* server;
    const char* date;
    const char* month;  // of the first seven characters, as the statement sums them
  };
  const Case cases[] = {
      {"2026-12-10 14:05:09", "10.12.2026 14:05:09", "Dezember 2026"},
      {"2026-01-31", "31.01.2026", "Januar 2026"},
      {"2026-03-01 00:00:00", "01.03.2026 00:00:00", "März 2026"},
      {"", "", "ohne Datum"},
      {"2026-13-01 10:00:00", "01.13.2026 10:00:00", "ohne Datum"},  // shown as the server says
      {"2026-00-01", "01.00.2026", "ohne Datum"},
      {"10.12.2026", "10.12.2026", "ohne Datum"},  // another form stays as it is
      {"2026-12", "2026-12", "Dezember 2026"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fee_row_date(c.server), c.date) << c.server;
    EXPECT_EQ(fee_month_caption(std::string(c.server).substr(0, 7)), c.month) << c.server;
  }
}

TEST(Labels, SlotChooserCaptions) {
  EXPECT_EQ(category_slot("Kat 1"), catalogue::Slot::First);
  EXPECT_EQ(category_slot("Kat 2"), catalogue::Slot::Second);
  for (const char* other : {"", "Kat 3", "kat 1", "Kat 1 "}) {
    EXPECT_EQ(category_slot(other), catalogue::Slot::None) << other;
  }
}

}  // namespace
}  // namespace tellvaro::presentation
