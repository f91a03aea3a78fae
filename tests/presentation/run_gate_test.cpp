#include "presentation/run_gate.h"

#include <gtest/gtest.h>

namespace tellvaro::presentation {
namespace {

struct Case {
  Command command;
  bool during_run;
};

// What a run leaves free: the article table and what touches neither the connection, the tables
// it walks nor the files it writes.
constexpr Case kCases[] = {
    {Command::Send, false},
    {Command::Import, false},
    {Command::CountImports, false},
    {Command::TransferToUploads, false},
    {Command::TransferBack, false},
    {Command::ChangeUploads, false},
    {Command::ChangeImports, false},
    {Command::ChangeArticles, true},
    {Command::BrowseCategories, false},
    {Command::EditPictures, false},
    {Command::OpenFile, true},
    {Command::SaveFiles, false},
    {Command::ImportFile, false},
    {Command::ExportFile, false},
    {Command::FeeStatement, false},
    {Command::SellerData, true},
    {Command::BulkEdit, true},
};

TEST(RunGate, EverythingIsAllowedWithoutARunAndTheTableDecidesDuringOne) {
  RunGate gate;
  for (const Case& c : kCases) {
    SCOPED_TRACE(static_cast<int>(c.command));
    EXPECT_TRUE(gate.allows(c.command));
    EXPECT_EQ(gate.refusal(c.command), "");
  }
  gate.set_busy(true);
  for (const Case& c : kCases) {
    SCOPED_TRACE(static_cast<int>(c.command));
    EXPECT_EQ(gate.allows(c.command), c.during_run);
    EXPECT_EQ(gate.refusal(c.command), c.during_run ? "" : std::string(kWaitForRun));
  }
  gate.set_busy(false);
  for (const Case& c : kCases) EXPECT_TRUE(gate.allows(c.command));
}

TEST(RunGate, ListenersHearEachChangeOnceAndSeeTheNewState) {
  RunGate gate;
  std::vector<bool> heard;
  const auto subscription = gate.on_change([&] { heard.push_back(gate.allows(Command::Send)); });
  gate.set_busy(true);
  gate.set_busy(true);  // no change, nothing heard
  gate.set_busy(false);
  EXPECT_EQ(heard, (std::vector<bool>{false, true}));
}

}  // namespace
}  // namespace tellvaro::presentation
