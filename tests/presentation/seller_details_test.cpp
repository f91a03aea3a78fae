#include "presentation/seller_details.h"

#include <gtest/gtest.h>

#include <set>

namespace tellvaro::presentation {
namespace {

TEST(SellerDetails, EachRowShowsTheColumnItNamesAndNeverThePassword) {
  // Every value is the name of its own column, so a row that shows one column's value under
  // another's name cannot pass.
  session::SessionUser user;
  user.id = "id";
  user.nick = "nick";
  user.name = "name";
  user.password = "password";
  user.suspended = "suspended";
  user.email = "email";
  user.zip = "zip";
  user.city = "city";
  user.country = "country";
  const auto rows = seller_details(user);
  std::set<std::string> captions, shown;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.caption);
    EXPECT_EQ(row.column, "users." + row.value);
    EXPECT_EQ(row.caption.back(), ':');
    EXPECT_TRUE(captions.insert(row.caption).second);
    shown.insert(row.value);
  }
  // What a seller gives the auction house about themselves; not the hash, nor the house's own
  // keys and marks.
  EXPECT_EQ(shown, (std::set<std::string>{"name", "nick", "email", "zip", "city", "country"}));
  EXPECT_EQ(rows.front().caption, "Name:");
}

}  // namespace
}  // namespace tellvaro::presentation
