#include <gtest/gtest.h>

#include "session/session.h"

namespace tellvaro::session {
namespace {

TEST(SellerDetails, WhatTheLoginReadExceptThePassword) {
  SessionUser u{
      "42",         "haendler",           "Hans Händler", "f24d391be65ec2e13e71ff277ed9b150",
      "0",          "h@beispiel.example", "12345",        "Köln",
      "Deutschland"};
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(seller_details(u), (Pairs{{"Name:", "Hans Händler"},
                                      {"Benutzername:", "haendler"},
                                      {"E-Mail:", "h@beispiel.example"},
                                      {"PLZ:", "12345"},
                                      {"Ort:", "Köln"},
                                      {"Land:", "Deutschland"}}));
}

}  // namespace
}  // namespace tellvaro::session
