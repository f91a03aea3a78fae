#include "text/date.h"

#include <array>
#include <chrono>
#include <cstdio>

#include "text/error.h"

namespace tellvaro::text {
namespace {

using namespace std::chrono;

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Two or four digits at a 1-based position, or -1.
int digits_at(std::string_view s, std::size_t pos, std::size_t count) {
  int v = 0;
  for (std::size_t i = pos - 1; i < pos - 1 + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

DateTime from_seconds(sys_seconds s) {
  auto days = floor<std::chrono::days>(s);
  year_month_day ymd(days);
  hh_mm_ss hms(s - days);
  return {int(ymd.year()),          int(unsigned(ymd.month())), int(unsigned(ymd.day())),
          int(hms.hours().count()), int(hms.minutes().count()), int(hms.seconds().count())};
}

sys_seconds to_seconds(const DateTime& t) {
  sys_days d = year_month_day(year(t.year), month(unsigned(t.month)), day(unsigned(t.day)));
  return d + hours(t.hour) + minutes(t.minute) + seconds(t.second);
}

}  // namespace

DateTime parse_http_date(std::string_view header) {
  auto fail = [&]() -> DateTime {
    throw Error("Die Uhrzeit des Webservers hat nicht die erwartete Form: \"" +
                std::string(header) + "\"");
  };
  // Positions 1 to 25 hold "Www, dd Mmm yyyy hh:mm:ss"; the separators must stand where the
  // fields are expected, or the numbers were read from the wrong places.
  if (header.size() < 25 || header[3] != ',' || header[4] != ' ' || header[7] != ' ' ||
      header[11] != ' ' || header[16] != ' ' || header[19] != ':' || header[22] != ':')
    return fail();
  DateTime t;
  t.day = digits_at(header, 6, 2);
  t.year = digits_at(header, 13, 4);
  t.hour = digits_at(header, 18, 2);
  t.minute = digits_at(header, 21, 2);
  t.second = digits_at(header, 24, 2);
  t.month = 0;
  for (std::size_t i = 0; i < kMonths.size(); ++i)
    if (header.substr(8, 3) == kMonths[i]) t.month = int(i) + 1;
  if (t.month == 0 || t.day < 1 || t.year < 0 || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
      t.minute > 59 || t.second < 0 || t.second > 59)
    return fail();
  if (!year_month_day(year(t.year), month(unsigned(t.month)), day(unsigned(t.day))).ok())
    return fail();
  return t;
}

DateTime add_hours(const DateTime& t, long h) { return from_seconds(to_seconds(t) + hours(h)); }

DateTime add_days(const DateTime& t, long d) {
  return from_seconds(to_seconds(t) + std::chrono::days(d));
}

namespace {
// `format` takes the six numbers in the order given.
std::string printed(const char* format, int a, int b, int c, int d, int e, int f) {
  char buf[48];
  std::snprintf(buf, sizeof buf, format, a, b, c, d, e, f);
  return buf;
}
}  // namespace

std::string auction_start_text(const DateTime& t) {
  return printed("%04d.%02d.%02d %d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string auction_end_text(const DateTime& t) {
  return printed("%04d.%02d.%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                 t.second);
}

std::string local_date_time_text(const DateTime& t) {
  return printed("%02d.%02d.%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour, t.minute,
                 t.second);
}

std::string file_name_stamp(const DateTime& t) {
  return printed("%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour, t.minute,
                 t.second);
}

}  // namespace tellvaro::text
