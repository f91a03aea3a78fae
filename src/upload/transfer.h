#pragma once

// The completeness check and the copy of checked articles from the article table into the
// upload table, for one article and for all articles the article table shows.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/field.h"

namespace tellvaro::ports {
class Dialogs;
}
namespace tellvaro::store {
class Table;
}

namespace tellvaro::upload {

// The editor pages a missing value leads to.
enum class EditorPage { Artikel, Kategorie, Beschreibung, Bezahlung };

struct Gap {
  std::string_view message;  // "Bitte Artikelnamen eingeben."
  EditorPage page;
};

// The first of the eight checks that fails, or nothing for a complete article.
std::optional<Gap> find_gap(const store::Record& article);

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
// copied (the upload counters are refreshed there).
using Copied = std::function<void()>;

// One article: checks the current record of `articles`. Incomplete: shows the gap's message and
// returns the page to bring forward. Complete: appends the copy to `uploads` and confirms.
// The article table's cursor does not move.
struct OneTransfer {
  bool copied = false;
  std::optional<EditorPage> page;  // set when incomplete
};
OneTransfer transfer_current(store::Table& articles, store::Table& uploads, ports::Dialogs& dialogs,
                             const Copied& copied = {});

// All articles the article table shows: asks first, checks each silently, lists the incomplete
// ones in the protocol, copies the others, and shows the summary.
struct AllTransfer {
  bool asked_yes = false;
  std::size_t transferred = 0;
  std::size_t incomplete = 0;
  std::size_t unstorable = 0;  // transferred, but holding characters the send stops at
};
AllTransfer transfer_all(store::Table& articles, store::Table& uploads, ports::Dialogs& dialogs,
                         const AddLine& protocol, const Copied& copied = {});

}  // namespace tellvaro::upload
