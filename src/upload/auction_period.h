#pragma once

// When a sent auction starts and ends, taken from the auction house's clock: the web server's
// `Date` header plus one fixed hour (the house's local time, no daylight-saving rule), running
// for the article's duration in whole days.

#include <string>
#include <string_view>

#include "text/date.h"

namespace tellvaro::upload {

struct AuctionPeriod {
  text::DateTime start, end;
  std::string start_text;  // "2006.12.04 9:05:09": `starts`, the fee rows' `date`, the protocol
  std::string end_text;    // "2006.12.11 09:05:09": `ends` and the protocol
};

// Throws tellvaro::Error for a header of another form or a duration that is no whole number.
AuctionPeriod auction_period(std::string_view date_header, std::string_view duration_days);

}  // namespace tellvaro::upload
