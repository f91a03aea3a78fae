#pragma once

// What "Meine Daten" shows of the seller: one row per value the login read, with the caption a
// person sees and the column of `users` it comes from. The password hash is not among them.

#include <string>
#include <vector>

#include "session/session.h"

namespace tellvaro::presentation {

struct SellerDetail {
  std::string caption;  // "Name:"
  std::string value;
  std::string column;  // "users.name"
};

// In display order.
std::vector<SellerDetail> seller_details(const session::SessionUser& user);

}  // namespace tellvaro::presentation
