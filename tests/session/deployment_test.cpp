// Built against a deployment header made from hostile values (tests/session/CMakeLists.txt).
#include <gtest/gtest.h>

#include "session/session.h"

using tellvaro::session::Deployment;

TEST(Deployment, ValuesWithQuotesAndBackslashesArriveUnchanged) {
  const Deployment d = Deployment::built_in();
  EXPECT_EQ(d.customer, "Kunde \"Nord\" \\ Süd");
  EXPECT_EQ(d.directory_password, "a\"bc\\d\\\"; int x = 1; //");
  EXPECT_EQ(d.sql_prefix, "q\"\\?");
  EXPECT_EQ(d.ftp_prefix, "?\?=\\");
  EXPECT_EQ(d.mail_prefix, "\\x41");
  EXPECT_EQ(d.directory_user, "tv_directory");
}
