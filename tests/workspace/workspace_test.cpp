// The workspace without any window: the fee rule on every post, the busy state, the tables'
// files, and the one connection with its reference lists against the real auction house.

#include "workspace/workspace.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "store/files.h"
#include "support/accounts.h"
#include "support/auction_house.h"
#include "text/error.h"

namespace tellvaro::workspace {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
  TempFolder() {
    path = fs::temp_directory_path() /
           ("tellvaro-ws-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::create_directories(path);
  }
  ~TempFolder() { fs::remove_all(path); }
  std::string folder() const { return path.string() + "/"; }
  fs::path path;
  static inline int counter = 0;
};

session::ServiceConfig house_config() {
  session::ServiceConfig c;
  c.sql_host = test::host();
  c.sql_user = test::kAppUser;
  c.sql_password = test::sql_password();
  c.sql_database = test::kAuctionDatabase;
  c.tls = test::tls_policy();
  return c;
}

TEST(Workspace, EveryPostStoresTheFeeWithoutAnyWindow) {
  TempFolder dir;
  Workspace w({}, {}, {}, dir.folder());
  catalogue::FeatureFees fees;
  fees.fee[static_cast<std::size_t>(catalogue::Feature::Fettschrift)] = 0.5;
  fees.fee[static_cast<std::size_t>(catalogue::Feature::Untertitel)] = 0.25;
  w.set_feature_fees(fees);
  auto& articles = w.articles();
  // A listener that writes while posting (as the editor's controls do) is seen by the rule.
  auto late = articles.on_before_post(
      [&] { articles.set(store::F::Untertitel, store::Value::text("neu")); });
  articles.append();
  articles.set(store::F::Fettschrift, store::Value::flag(true));
  articles.post();
  EXPECT_EQ(articles.get(store::F::Gebuehr), store::Value::amount(0.75));
  // A whole record set at once (a copy, a transfer back) gets its fee computed as well.
  late.reset();
  auto copy = articles.values();
  store::at(copy, store::F::Fettschrift) = store::Value::flag(false);
  store::at(copy, store::F::Untertitel) = store::Value::text("");
  store::at(copy, store::F::Gebuehr) = store::Value::amount(9);
  articles.append();
  articles.set_values(copy);
  articles.post();
  EXPECT_EQ(articles.get(store::F::Gebuehr), store::Value::amount(0));
  // The other tables keep the fee they are given.
  w.uploads().append();
  w.uploads().set(store::F::Gebuehr, store::Value::amount(3));
  w.uploads().post();
  EXPECT_EQ(w.uploads().get(store::F::Gebuehr), store::Value::amount(3));
}

TEST(Workspace, BusyWhileAnyRunLastsAndListenersHearTheEdges) {
  Workspace w({}, {}, {}, "/tmp/");
  std::vector<bool> heard;
  auto sub = w.on_busy_change([&](bool busy) { heard.push_back(busy); });
  EXPECT_FALSE(w.busy());
  try {
    Workspace::Run send(w);
    EXPECT_TRUE(w.busy());
    { Workspace::Run nested(w); }
    EXPECT_TRUE(w.busy());
    throw Error("Abbruch");
  } catch (const Error&) {
  }
  EXPECT_FALSE(w.busy());
  EXPECT_EQ(heard, (std::vector<bool>{true, false}));
}

TEST(Workspace, UnreadableTableFileIsKeptAndNamedWhileTheOthersLoad) {
  TempFolder dir;
  store::make_files(dir.folder());
  const std::string uploads = store::data_path(dir.folder(), store::kUploadFile);
  { std::ofstream(uploads, std::ios::trunc) << "<kein XML"; }
  Workspace w({}, {}, {}, dir.folder());
  auto messages = w.load_tables();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(uploads + ".unlesbar"), std::string::npos) << messages[0];
  EXPECT_TRUE(fs::exists(uploads + ".unlesbar"));
  EXPECT_EQ(w.picture_folder(), dir.folder() + "files/bilder/");
}

class WorkspaceHouse : public test::AuctionHouseTest {};

TEST_F(WorkspaceHouse, ConnectsLikeTheLoginAndReadsTheListsOnce) {
  Workspace w({}, house_config(), {}, "/tmp/");
  int changes = 0;
  auto sub = w.on_reference_lists([&] { ++changes; });
  std::vector<std::string> lines;
  ASSERT_TRUE(w.connect([&](const std::string& l) { lines.push_back(l); }));
  EXPECT_EQ(lines, (std::vector<std::string>{"Verbindung zu Server aufgebaut",
                                             "Verbindung zu Daten-Bank hergestellt"}));
  const auto mark = test::general_log_mark();
  w.load_reference_lists();
  EXPECT_EQ(test::queries_since(mark),
            (std::vector<std::string>{"select * from durations order by days",
                                      "select * from features order by id",
                                      "select * from payments order by id"}));
  EXPECT_FALSE(w.durations().empty());
  EXPECT_GT(w.payment_names().shown, 0u);
  EXPECT_EQ(changes, 3);

  Workspace offline(
      {},
      [] {
        auto c = house_config();
        c.sql_host = "127.0.0.99";
        return c;
      }(),
      {}, "/tmp/");
  lines.clear();
  EXPECT_FALSE(offline.connect([&](const std::string& l) { lines.push_back(l); }));
  EXPECT_EQ(lines,
            (std::vector<std::string>{"Keine Internet Verbindung", "Datenbank nicht verfügbar"}));
}

}  // namespace
}  // namespace tellvaro::workspace
