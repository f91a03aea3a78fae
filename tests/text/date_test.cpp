#include "text/date.h"

#include <gtest/gtest.h>

#include "text/error.h"

namespace tellvaro::text {
namespace {

TEST(HttpDate, ReadsTheFieldsByPosition) {
  EXPECT_EQ(parse_http_date("Mon, 04 Dec 2006 08:05:09 GMT"), (DateTime{2006, 12, 4, 8, 5, 9}));
  EXPECT_EQ(parse_http_date("Thu, 29 Feb 2024 23:59:59 GMT"), (DateTime{2024, 2, 29, 23, 59, 59}));
  // Weekday and zone are not the clock's business.
  EXPECT_EQ(parse_http_date("Xyz, 01 Jan 2027 00:00:00"), (DateTime{2027, 1, 1, 0, 0, 0}));
}

TEST(HttpDate, RefusesEveryOtherForm) {
  for (const char* header : {
           "",
           "Mon, 04 Dec 2006 08:05",          // cut short
           "Sunday, 06-Nov-94 08:49:37 GMT",  // RFC 850
           "Sun Nov  6 08:49:37 1994",        // asctime
           "Mon, 04 dec 2006 08:05:09 GMT",   // month names are case-sensitive
           "Mon, 04 Dez 2006 08:05:09 GMT",   // German month name
           "Mon,  4 Dec 2006 08:05:09 GMT",   // day without its zero
           "Mon, 4 Dec 2006 08:05:09 GMT",    // fields off their positions
           "Mon, 29 Feb 2023 08:05:09 GMT",   // not a leap year
           "Mon, 31 Apr 2026 08:05:09 GMT",   // no such day
           "Mon, 00 Dec 2006 08:05:09 GMT",   //
           "Mon, 04 Dec 2006 24:05:09 GMT",   // no such hour
           "Mon, 04 Dec 2006 08:60:09 GMT",   //
           "Mon, 04 Dec 2006 08:05:9x GMT",   //
           "Mon, 04 Dec 20O6 08:05:09 GMT",   // letter O for a zero
       }) {
    EXPECT_THROW(parse_http_date(header), Error) << header;
  }
  try {
    parse_http_date("gestern");
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Die Uhrzeit des Webservers hat nicht die erwartete Form: \"gestern\"");
  }
}

TEST(DateTexts, StartEndAndLocalForms) {
  DateTime t{2006, 12, 4, 9, 5, 9};
  EXPECT_EQ(auction_start_text(t), "2006.12.04 9:05:09");
  EXPECT_EQ(auction_end_text(t), "2006.12.04 09:05:09");
  EXPECT_EQ(local_date_time_text(t), "04.12.2006 09:05:09");
  DateTime midnight{2007, 1, 1, 0, 30, 0};
  EXPECT_EQ(auction_start_text(midnight), "2007.01.01 0:30:00");
  EXPECT_EQ(auction_end_text(midnight), "2007.01.01 00:30:00");
  EXPECT_EQ(auction_start_text({2026, 12, 10, 23, 0, 0}), "2026.12.10 23:00:00");
}

}  // namespace
}  // namespace tellvaro::text
