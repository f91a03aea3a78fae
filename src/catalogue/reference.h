#pragma once

// The auction house's reference lists (read once at main window start) and the editor's fixed
// choice lists.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "store/field.h"

namespace tellvaro::db {
class Connection;
}

namespace tellvaro::catalogue {

enum class Feature {
  Fettschrift,
  Textmarker,
  TopKategorie,
  UploadBild2,
  UploadBild3,
  Untertitel,
  Mindestpreis
};
inline constexpr std::size_t kFeatureCount = 7;
// The `description` texts that name the features in `features`, in Feature order.
inline constexpr std::array<std::string_view, kFeatureCount> kFeatureNames = {
    "Fettschrift",   "Textmarker", "Top-Kategorie", "Upload Bild 2",
    "Upload Bild 3", "Untertitel", "Mindestpreis"};

struct FeatureFees {
  std::array<double, kFeatureCount> fee{};  // euro; 0 until read
  double operator[](Feature f) const { return fee[static_cast<std::size_t>(f)]; }
};

inline constexpr std::size_t kPaymentSlots = 15;
struct PaymentNames {
  std::array<std::string, kPaymentSlots> name;  // slot i+1 belongs to field p(i+1)
  std::size_t shown = 0;                        // check boxes 1..shown are visible
};

// "select * from durations order by days": the `days` texts in the order returned. Empty when
// the database cannot be reached.
std::vector<std::string> load_durations(db::Connection& db);
// "select * from features order by id": exact, case-sensitive match of `description`; the last
// row of a name wins. A row whose `value` is no number changes nothing: the fees read before and
// after it are kept, and the row's German message goes to `bad_rows`.
FeatureFees load_features(db::Connection& db, std::vector<std::string>* bad_rows = nullptr);
// "select * from payments order by id": the first fifteen rows.
PaymentNames load_payments(db::Connection& db);

// Items of an editable drop-down of the editor, in order (empty for a field without one).
// `Auktionsdauer` takes the duration choices instead.
const std::vector<std::string_view>& choice_items(store::F field);

struct RadioItem {
  std::string_view caption;
  std::string_view stored;  // "as text" of the stored value
};
// The radio groups: `FSK 18`, `Preisvorschlag`, `shipping`, `html_desc_1`.
const std::vector<RadioItem>& radio_items(store::F field);

}  // namespace tellvaro::catalogue
