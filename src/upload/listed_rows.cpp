#include "upload/listed_rows.h"

#include <openssl/evp.h>

#include <array>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <map>
#include <system_error>

#include "store/file_io.h"
#include "text/date.h"
#include "text/error.h"
#include "text/number.h"
#include "upload/auction_row.h"
#include "upload/transfer.h"

namespace tellvaro::upload {
namespace {

constexpr std::string_view kHeader = "Tellvaro eingestellte Artikel 1";

// One line per listing: digest, seconds, number, title, separated by tabs.
std::string line_of(const Listing& l) {
  std::string title = l.title;
  for (char& c : title) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return l.digest + '\t' + text::format_int(l.when) + '\t' + l.auction_number + '\t' + title;
}

std::optional<Listing> parse_line(std::string_view line) {
  std::array<std::string_view, 4> parts;
  for (std::size_t i = 0; i < 3; ++i) {
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    parts[i] = line.substr(0, tab);
    line.remove_prefix(tab + 1);
  }
  parts[3] = line;
  Listing l;
  if (parts[0].size() != 64 || parts[0].find_first_not_of("0123456789abcdef") != std::string::npos)
    return std::nullopt;
  auto [end, ec] = std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), l.when);
  if (ec != std::errc() || end != parts[1].data() + parts[1].size()) return std::nullopt;
  if (parts[2].empty()) return std::nullopt;
  l.digest = parts[0];
  l.auction_number = parts[2];
  l.title = parts[3];
  return l;
}

}  // namespace

std::string row_digest(const store::Record& row) {
  std::string bytes;
  for (store::F field : copied_fields()) {
    const std::string value = field_text(row, field);
    bytes += store::name_of(field);
    bytes += '\0';
    bytes += text::format_int(value.size());
    bytes += '\0';
    bytes += value;
  }
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1)
    throw Error("Prüfsumme des Artikels konnte nicht berechnet werden.");
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0xF];
  }
  return hex;
}

std::string listing_time_text(std::int64_t when) {
  const std::time_t t = static_cast<std::time_t>(when);
  std::tm tm{};
  if (!::localtime_r(&t, &tm)) return text::format_int(when);
  return text::local_date_time_text(
      {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec});
}

ListedRows::ListedRows(std::string path) : path_(std::move(path)) {}

void ListedRows::load() {
  listings_.clear();
  unread_.clear();
  if (path_.empty()) return;
  std::error_code ec;
  if (!std::filesystem::exists(path_, ec)) {
    changed_.notify();
    return;
  }
  const std::string bytes = store::detail::read_whole_file(path_);
  std::size_t start = 0;
  bool first = true;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first && line == kHeader) {
      first = false;
      continue;
    }
    first = false;
    if (line.empty()) continue;
    if (auto l = parse_line(line)) {
      listings_.push_back(std::move(*l));
    } else {
      unread_.emplace_back(line);
    }
  }
  changed_.notify();
}

void ListedRows::write() const {
  if (path_.empty()) return;
  store::detail::replace_file(path_, [this](store::detail::FileWriter& out) {
    out.write(std::string(kHeader) + "\n");
    for (const std::string& line : unread_) out.write(line + "\n");
    for (const Listing& l : listings_) out.write(line_of(l) + "\n");
  });
}

void ListedRows::add(const store::Record& row, std::string auction_number, std::int64_t when) {
  listings_.push_back(
      {row_digest(row), when, std::move(auction_number), field_text(row, store::F::Artikelname)});
  changed_.notify();
  write();
}

void ListedRows::forget(const std::string& auction_number) {
  for (auto it = listings_.rbegin(); it != listings_.rend(); ++it) {
    if (it->auction_number != auction_number) continue;
    listings_.erase(std::next(it).base());
    changed_.notify();
    write();
    return;
  }
}

std::unique_ptr<ListedRows> ListedRows::copy() const {
  auto other = std::make_unique<ListedRows>(path_);
  other->listings_ = listings_;
  other->unread_ = unread_;
  return other;
}

void ListedRows::take_listings(std::vector<Listing> listings) {
  listings_ = std::move(listings);
  changed_.notify();
}

std::vector<std::optional<Listing>> ListedRows::match(
    const std::vector<store::Record>& rows) const {
  std::map<std::string, std::vector<const Listing*>> by_digest;
  for (const Listing& l : listings_) by_digest[l.digest].push_back(&l);
  std::map<std::string, std::size_t> seen;
  std::vector<std::optional<Listing>> out;
  out.reserve(rows.size());
  for (const store::Record& row : rows) {
    const std::string d = row_digest(row);
    const std::size_t k = seen[d]++;
    auto it = by_digest.find(d);
    if (it != by_digest.end() && k < it->second.size()) {
      out.emplace_back(*it->second[k]);
    } else {
      out.emplace_back(std::nullopt);
    }
  }
  return out;
}

}  // namespace tellvaro::upload
