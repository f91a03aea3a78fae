#pragma once

// Reading the seller's own auctions back from the auction house into the import table: which
// rows, how each column becomes a field, and which pictures come along from the file server.
// Qt-free; never writes to the auction house.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/reference.h"
#include "net/net.h"
#include "store/field.h"
#include "store/table.h"

namespace tellvaro::db {
class Connection;
}
namespace tellvaro::ports {
class Progress;
}

namespace tellvaro::importer {

// --- which auctions -------------------------------------------------------------------------

// The two check boxes of the import view.
struct Selection {
  bool current = false;  // closed = 0
  bool expired = false;  // closed = 1
};

// The counting statement of the view: "select * from auctions where (user='42' and closed=0) ".
std::string count_statement(const db::Connection& db, std::string_view user_id, bool expired);
// The statement of a run; nothing when neither box is ticked. With both ticked every auction of
// the seller is read, whatever its `closed` value.
std::optional<std::string> import_statement(const db::Connection& db, std::string_view user_id,
                                            Selection selection);

struct Counts {
  std::size_t current = 0;
  std::size_t expired = 0;
};
// Runs both counting statements; a refused statement throws tellvaro::Error.
Counts count_auctions(db::Connection& db, std::string_view user_id);

// --- one auction row into one record --------------------------------------------------------

// A column of the auction row by name, as text; absent for NULL.
using Columns = std::function<std::optional<std::string>(std::string_view column)>;

// The code tables read backwards: the field text of a code, compared exactly. Absent for a
// code outside the table (there is no fallback) and for a column without a table.
std::optional<std::string_view> decode(std::string_view column, std::string_view code);

// Sets p1..p15 to True where the slot's name occurs in the payment text; never sets False, and
// an empty slot never matches.
void apply_payment(store::Record& record, std::string_view payment,
                   const catalogue::PaymentNames& names);

// Why a picture name from the auction house cannot become a file of the picture folder (a path
// separator, "..", a drive letter, a control character, longer than the field can hold);
// nothing for a usable name.
std::optional<std::string> unusable_picture_name(std::string_view name);

// Pictures larger than this are not fetched at all: a hostile server cannot fill the disk.
inline constexpr std::uint64_t kMaxPictureBytes = 16u * 1024u * 1024u;

// What the file server holds under a picture's name, as SIZE or RETR's own answer told it.
struct ServerPicture {
  enum class Kind { Missing, Empty, TooLarge, Present };
  Kind kind = Kind::Missing;
  std::uint64_t bytes = 0;  // its size; for TooLarge 0 when the server did not say
};
// Why a picture is left out (the field stays null), or nothing when it is taken.
std::optional<std::string> left_out(const ServerPicture& picture);

// The file server as the picture rule uses it. A picture already in the folder is only asked
// about (it stays as it is, even if it differs); any other is fetched straight away, and what
// RETR answers tells whether it was there, so it costs no SIZE round trip.
class PictureSource {
 public:
  virtual ~PictureSource() = default;
  // "SIZE name": the size of a 213 reply; absent for any other reply.
  virtual std::optional<std::uint64_t> size(const std::string& name) = 0;
  // "RETR name" into `local_path`, which is not there yet, taking at most kMaxPictureBytes;
  // only a Present picture leaves a file there.
  virtual ServerPicture fetch(const std::string& name, const std::string& local_path) = 0;
};

// Lines that say why a picture was left out (shown to the user, never a secret).
using Notes = std::function<void(const std::string& line)>;

// Fills `record` (fresh: every field null) from one auction row, field by field in the order of
// the mapping. A column text that a number field cannot read throws tellvaro::Error; so does a
// failed fetch.
void fill_record(store::Record& record, const Columns& row, const catalogue::PaymentNames& names,
                 PictureSource& pictures, const std::string& picture_folder, const Notes& notes);

// --- a whole run ----------------------------------------------------------------------------

struct Services {
  db::Connection& db;
  net::Endpoint ftp;  // host, user and password of the file server
  net::Timeouts timeouts{};
  std::string user_id;
  std::string picture_folder;  // ends with "/"
  catalogue::PaymentNames payments;
};

// What the caller sees of a run, on the thread that runs it. Every member may be empty.
struct Hooks {
  // Started once the rows are known, one step per record filled, finished also after an error.
  ports::Progress* progress = nullptr;
  Notes note;
  // Asked before every auction but the first; true ends the run there.
  std::function<bool()> stop;
};

struct RunResult {
  std::size_t rows = 0;                // rows the statement returned
  std::size_t imported = 0;            // records posted
  long ftp_connections = 0;            // control connections the run opened
  std::vector<store::Record> records;  // filled, in the statement's order
  std::string error;                   // the row at which the run broke off, and why
  bool stopped = false;                // on request, between two auctions
};

// The reading part of "Importieren", touching no table: every row becomes a record. A statement
// the server refuses throws tellvaro::Error; an error at a row ends the run there with
// `error` set, the records filled before it kept and the half-filled one dropped.
RunResult import_auctions(const Services& services, Selection selection, const Hooks& hooks = {});
// Stores the records of a run in `imports` as posting each as an insert would, in the run's
// order, without moving the cursor; their keys.
std::vector<store::Table::Key> add_imported(const RunResult& result, store::Table& imports);

// One press of "Importieren" in one call. Nothing happens when neither box is ticked or no row
// matches. Every row is stored in `imports` as by add_imported; an error throws tellvaro::Error
// at that row, the records filled before are stored, the half-filled one is dropped.
RunResult run_import(const Services& services, Selection selection, store::Table& imports,
                     const Hooks& hooks = {});

}  // namespace tellvaro::importer
