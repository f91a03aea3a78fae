#include <gtest/gtest.h>

#include "session/session.h"

namespace tellvaro::session {
namespace {

// Expected digests computed once with python3 hashlib over the cp1252 bytes of
// "Schlüsselstärke von 256 bit" followed by the password.
TEST(PasswordHash, SaltFirstCp1252LowerHex) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "19ceef93d935af3bf20309b928bde703"},  // the salt alone
      {"geheim", "f24d391be65ec2e13e71ff277ed9b150"},
      {"Passwort", "58383bd1d92743452000e9bd8dec027b"},
      {"Grüße€", "903783a72a1ba5871f4484f055c860d0"},  // ü ß € as single cp1252 bytes
  };
  for (auto [password, hash] : cases) EXPECT_EQ(password_hash(password), hash) << password;
}

TEST(WindowCaption, VersionAndCustomer) {
  Deployment d;
  d.customer = "Auktionshaus Süd";
  EXPECT_EQ(window_caption(d), "Quillmar - Tellvaro v.: 2.0.0.1 - Auktionshaus Süd");
}

}  // namespace
}  // namespace tellvaro::session
