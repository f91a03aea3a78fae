#pragma once

// What was listed from the upload table: one entry per listing (the row's digest, when, the
// auction number), kept in a file of its own in the data folder, so a send that broke off, a
// restart or a sort never lists the same article twice unasked.
//
// A row is known by a digest of the fields a transfer copies (everything the send reads): a
// sort, a save or a restart keep it, an edit makes it a new article. Equal rows count by
// occurrence: the k-th of several equal rows is listed when k listings of that digest exist.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/signal.h"
#include "store/field.h"

namespace tellvaro::upload {

struct Listing {
  std::string digest;
  std::int64_t when = 0;  // seconds since 1970, UTC
  std::string auction_number;
  std::string title;  // for a person reading the file; not used to recognise the row
};

// Hex SHA-256 over the copied fields' names and texts.
std::string row_digest(const store::Record& row);

// "10.12.2026 20:31:05" in the machine's local time.
std::string listing_time_text(std::int64_t when);

class ListedRows {
 public:
  // `path` empty: nothing is read or written (tests of other parts, a workspace without folder).
  explicit ListedRows(std::string path = {});

  // Reads the file; a missing file is an empty memory. Lines that cannot be read are kept as
  // they are and written back. Throws tellvaro::Error naming the file when it cannot be read.
  void load();
  const std::string& path() const { return path_; }

  // Remembers a listing and writes the file (temporary file, flushed, renamed) before it
  // returns, so a listing that was committed is never forgotten. Throws tellvaro::Error when the
  // file cannot be written; the listing stays remembered in memory then.
  void add(const store::Record& row, std::string auction_number, std::int64_t when);

  // Takes back the last listing under this number (its commit failed).
  void forget(const std::string& auction_number);

  // Per row, in the order given: the listing it counts as, or nothing.
  std::vector<std::optional<Listing>> match(const std::vector<store::Record>& rows) const;

  const std::vector<Listing>& listings() const { return listings_; }

  // A memory of its own on the same file, for a run on another thread; none of the listeners.
  std::unique_ptr<ListedRows> copy() const;
  // What such a copy holds now, taken over in memory (the copy has written the file already).
  void take_listings(std::vector<Listing> listings);

  [[nodiscard]] ports::Subscription on_change(std::function<void()> f) {
    return changed_.connect(std::move(f));
  }

 private:
  void write() const;

  std::string path_;
  std::vector<Listing> listings_;
  std::vector<std::string> unread_;  // lines kept as found
  ports::Signal<> changed_;
};

}  // namespace tellvaro::upload
