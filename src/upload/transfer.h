#pragma once

// The completeness check and the copy of checked articles into the upload table, for one
// article and for all articles the article table shows. The articles come as records: nothing
// here moves a cursor; the new upload records keep their places without becoming current.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/field.h"
#include "store/table.h"

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::store {
class FrameFolder;
}

namespace tellvaro::upload {

class ColumnLimits;

struct Gap {
  std::string message;  // "Bitte Artikelnamen eingeben."
  store::F field;       // the value missing (the first payment flag for "no payment")
};

// The first of the eight checks that fails, or nothing for a complete article. With `frames`,
// a description whose frame is missing or broken is a gap too, naming the frame.
std::optional<Gap> find_gap(const store::Record& article,
                            const store::FrameFolder* frames = nullptr);

// The fields a transfer copies, in copy order (57); every other field of the copy is null.
const std::array<store::F, 57>& copied_fields();
store::Record upload_copy(const store::Record& article);

// "Sollen 3 Artikel in die Upload-Tabelle übertragen werden ?"
std::string transfer_question(std::size_t count);
// "Artikel:" + name + " ist unvolständig !!!"
std::string incomplete_line(std::string_view name);
// The closing message of the all-articles run, CR LF line breaks included.
std::string transfer_summary(std::size_t transferred, std::size_t incomplete);

using AddLine = std::function<void(const std::string& line)>;

// `copied` runs after the copies and before the closing message, when at least one record was
// copied, with the keys of the new upload records in the order copied (the window refreshes
// the upload counters there and may show the new rows).
using Copied = std::function<void(const std::vector<store::Table::Key>& added)>;

// One article (the record the seller looks at; an empty record when there is none).
// Incomplete: shows the gap's message and returns the field to bring forward. Complete: adds
// the copy to `uploads` and confirms.
struct OneTransfer {
  bool copied = false;
  std::optional<store::F> missing;  // set when incomplete: the field to bring forward
};
// `limits` (the auction house's column lengths, when known) adds a warning for a text the send
// would stop at as too long, as for characters it cannot store.
OneTransfer transfer_one(const store::Record& article, store::Table& uploads,
                         ports::Dialogs& dialogs, const Copied& copied = {},
                         const ColumnLimits* limits = nullptr,
                         const store::FrameFolder* frames = nullptr);

// All articles as the article table shows them, in that order: asks first, checks each
// silently, lists the incomplete ones in the protocol, copies the others, and shows the
// summary.
struct AllTransfer {
  bool asked_yes = false;
  std::size_t transferred = 0;
  std::size_t incomplete = 0;
  std::size_t unstorable = 0;  // transferred, but holding characters or texts the send stops at
};
AllTransfer transfer_all(const std::vector<store::Record>& articles, store::Table& uploads,
                         ports::Dialogs& dialogs, const AddLine& protocol,
                         const Copied& copied = {}, const ColumnLimits* limits = nullptr,
                         const store::FrameFolder* frames = nullptr);

}  // namespace tellvaro::upload
