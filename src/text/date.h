#pragma once

// Calendar date and clock time as plain numbers, and the few text forms the program reads and
// writes: the HTTP `Date` header and the start, end and local display texts of an auction.

#include <string>
#include <string_view>

namespace tellvaro::text {

struct DateTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  bool operator==(const DateTime&) const = default;
};

// Reads "Mon, 04 Dec 2006 08:05:09 GMT" by the fixed positions of RFC 1123 (the weekday and the
// zone are not checked). Any other form, an unknown month name or a date the calendar does not
// have throws tellvaro::Error naming the header.
DateTime parse_http_date(std::string_view header);

// Moves the time on by whole hours or days; the calendar rolls over (leap years included).
DateTime add_hours(const DateTime& t, long hours);
DateTime add_days(const DateTime& t, long days);

// "2006.12.04 9:05:09": the hour without a leading zero.
std::string auction_start_text(const DateTime& t);
// "2006.12.11 09:05:09".
std::string auction_end_text(const DateTime& t);
// "11.12.2006 09:05:09": the German short date with the long time, as a German desktop shows it.
std::string local_date_time_text(const DateTime& t);
// "2006-12-11_09-05-09": sorts by time as text and is a valid file name everywhere.
std::string file_name_stamp(const DateTime& t);

}  // namespace tellvaro::text
