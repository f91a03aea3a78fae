#include "upload/auction_period.h"

#include <charconv>

#include "text/error.h"
#include "text/number.h"

namespace tellvaro::upload {

AuctionPeriod auction_period(std::string_view date_header, std::string_view duration_days) {
  text::DateTime server = text::parse_http_date(date_header);
  std::string_view d = text::trim_blanks(duration_days);
  long days = 0;
  auto [end, ec] = std::from_chars(d.data(), d.data() + d.size(), days);
  // A year of days at most: the durations offered are a few weeks, and a larger number would
  // only push the end out of the calendar.
  if (d.empty() || ec != std::errc() || end != d.data() + d.size() || days < 0 || days > 366)
    throw Error("Die Auktionsdauer \"" + std::string(duration_days) +
                "\" ist keine ganze Zahl von Tagen.");
  AuctionPeriod p;
  p.start = text::add_hours(server, 1);
  p.end = text::add_days(p.start, days);
  p.start_text = text::auction_start_text(p.start);
  p.end_text = text::auction_end_text(p.end);
  return p;
}

}  // namespace tellvaro::upload
