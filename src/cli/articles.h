#pragma once

// The articles of a shop's CSV export as the command checks and sends them: each row read as
// "Artikel aus einer Datei importieren" reads it, its fee worked out by the article table's
// rule, its pictures attached by the editor's rules, and the completeness check of a transfer.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/reference.h"
#include "store/csv.h"
#include "store/field.h"

namespace tellvaro::upload {
class ColumnLimits;
}
namespace tellvaro::store {
class FrameFolder;
}

namespace tellvaro::cli {

struct PreparedArticle {
  std::size_t line = 0;  // of the CSV file, counting from 1
  std::string title;
  // Why it cannot be sent: the first gap of the completeness check, a picture the rules do not
  // take, a text the auction house cannot store. Absent for a complete article.
  std::optional<std::string> problem;
  double fee = 0;                  // Gebühr
  store::Record article;           // pictures named by their file in the attach folder
  std::vector<std::string> notes;  // what the picture rules did (GPS removed, name shortened)
};

struct Folders {
  std::string csv;       // the CSV file's folder: relative picture paths start there
  std::string pictures;  // the picture folder; a bare name already there stays as it is
  std::string attach;    // where pictures given by path are stored
  const store::FrameFolder* frames = nullptr;  // the descriptions' frames
};

// The record of one good CSV row made ready: posted through a table with the fee rule,
// checked, and (when complete) its pictures attached into `folders.attach` by the editor's
// rules: a photo named like a different one already there (two cameras' "IMG_0001.jpg") is
// stored under a further name, never over it.
// `limits`, when the auction house's column lengths are known, makes a text too long for its
// column a problem, as the send would stop there.
PreparedArticle prepare_article(const store::Record& record, const store::CsvSource& source,
                                const catalogue::FeatureFees& fees, const Folders& folders,
                                const upload::ColumnLimits* limits = nullptr);

// The folder part of a path, "." for a bare name.
std::string folder_of(const std::string& path);

}  // namespace tellvaro::cli
