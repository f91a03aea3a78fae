#include "upload/auction_period.h"

#include <gtest/gtest.h>

#include "text/error.h"

namespace tellvaro::upload {
namespace {

TEST(AuctionPeriod, StartsAnHourAfterTheServerClockAndRunsWholeDays) {
  struct Case {
    const char* header;
    const char* days;
    const char* start;
    const char* end;
  };
  for (const Case& c : {
           Case{"Mon, 04 Dec 2006 08:05:09 GMT", "7", "2006.12.04 9:05:09", "2006.12.11 09:05:09"},
           Case{"Sun, 31 Dec 2006 23:30:00 GMT", "10", "2007.01.01 0:30:00", "2007.01.11 00:30:00"},
           // February: the start rolls into March or onto the leap day.
           Case{"Sat, 28 Feb 2026 23:15:00 GMT", "1", "2026.03.01 0:15:00", "2026.03.02 00:15:00"},
           Case{"Wed, 28 Feb 2024 23:15:00 GMT", "1", "2024.02.29 0:15:00", "2024.03.01 00:15:00"},
           Case{"Thu, 29 Feb 2024 12:00:00 GMT", "30", "2024.02.29 13:00:00",
                "2024.03.30 13:00:00"},
           Case{"Tue, 10 Feb 2026 09:00:00 GMT", "21", "2026.02.10 10:00:00",
                "2026.03.03 10:00:00"},
           Case{"Wed, 09 Dec 2026 22:59:59 GMT", " 0 ", "2026.12.09 23:59:59",
                "2026.12.09 23:59:59"},
       }) {
    AuctionPeriod p = auction_period(c.header, c.days);
    EXPECT_EQ(p.start_text, c.start) << c.header;
    EXPECT_EQ(p.end_text, c.end) << c.header;
  }
}

TEST(AuctionPeriod, AMalformedHeaderOrDurationStopsWithAMessage) {
  EXPECT_THROW(auction_period("Mon, 04 Dec 2006 8:05:09 GMT", "7"), Error);
  for (const char* days : {"", "sieben", "7.5", "7 Tage", "-1", "99999999999999999999"}) {
    try {
      auction_period("Mon, 04 Dec 2006 08:05:09 GMT", days);
      ADD_FAILURE() << days;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()),
                "Die Auktionsdauer \"" + std::string(days) + "\" ist keine ganze Zahl von Tagen.");
    }
  }
}

}  // namespace
}  // namespace tellvaro::upload
