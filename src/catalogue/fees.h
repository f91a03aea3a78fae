#pragma once

// The fee of the current article, which of its features are charged, and the upload table's count
// and total.

#include <array>
#include <string>

#include "catalogue/reference.h"
#include "store/field.h"

namespace tellvaro::store {
class Table;
}

namespace tellvaro::catalogue {

struct FeeMarks {
  double total = 0;                       // ArticleFeeTotal
  std::array<bool, kFeatureCount> red{};  // per Feature: charged with a fee above 0
  bool total_red = false;
  // What the three feature check boxes show.
  bool fettschrift = false, textmarker = false, top_kategorie = false;
};

FeeMarks compute_fees(const FeatureFees& fees, const store::Record& article);
// The current record of `articles` (its edit buffer while editing).
FeeMarks compute_fees(const FeatureFees& fees, const store::Table& articles);

struct UploadTotals {
  std::size_t count = 0;
  double total = 0;  // a record without `Gebühr` counts 0
};
// The count and the sum of `Gebühr` of the records the table shows; the cursor stays put.
UploadTotals sum_upload_fees(const store::Table& uploads);
// The status bar's count: a pending edit is posted first and the cursor ends on the last record.
UploadTotals upload_totals(store::Table& uploads);

}  // namespace tellvaro::catalogue
