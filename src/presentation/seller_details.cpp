#include "presentation/seller_details.h"

namespace tellvaro::presentation {

std::vector<SellerDetail> seller_details(const session::SessionUser& user) {
  return {{"Name:", user.name, "users.name"},     {"Benutzername:", user.nick, "users.nick"},
          {"E-Mail:", user.email, "users.email"}, {"PLZ:", user.zip, "users.zip"},
          {"Ort:", user.city, "users.city"},      {"Land:", user.country, "users.country"}};
}

}  // namespace tellvaro::presentation
