#include "upload/protocol.h"

#include <gtest/gtest.h>

namespace tellvaro::upload {
namespace {

TEST(Protocol, ListenersHearEachLineAndTheClearing) {
  Protocol p;
  std::vector<std::string> heard;
  auto sub = p.on_change([&](const Protocol::Change& c) {
    if (c.kind == Protocol::Change::Kind::Cleared) {
      heard.push_back("cleared");
    } else {
      heard.push_back(std::to_string(c.first) + ":" + p.lines()[c.first]);
    }
  });
  p.add("Artikel 1 gesendet");
  p.add("Bild übertragen");
  EXPECT_EQ(p.text(), "Artikel 1 gesendet\r\nBild übertragen\r\n");
  p.clear();
  p.clear();  // nothing left: nobody is told
  sub.reset();
  p.add("ungehört");
  EXPECT_EQ(heard,
            (std::vector<std::string>{"0:Artikel 1 gesendet", "1:Bild übertragen", "cleared"}));
  EXPECT_EQ(p.lines(), std::vector<std::string>{"ungehört"});
}

}  // namespace
}  // namespace tellvaro::upload
