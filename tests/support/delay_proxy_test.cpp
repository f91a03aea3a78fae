// The delaying proxy in front of the test auction house's real servers, spoken to by the
// program's own clients: what passes arrives whole, late, and is counted in round trips.

#include "support/delay_proxy.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "db/connection.h"
#include "net/net.h"
#include "support/accounts.h"
#include "support/auction_house.h"

namespace tellvaro::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kOneWay = 20ms;

TEST_F(AuctionHouseTest, DatabaseThroughTheProxyCountsOneRoundTripPerStatementAndHoldsEach) {
  DelayProxy proxy(host(), 0, host(), kSqlPort, kOneWay);
  db::ConnectParams p = app_account();
  p.port = static_cast<unsigned>(proxy.port());
  db::Connection db;
  db.set_params(p);
  ASSERT_TRUE(db.connect() && db.select_database(kAuctionDatabase)) << db.last_error();
  EXPECT_EQ(proxy.connections(), 1);

  // An answer of many chunks is one round trip and arrives byte for byte.
  const long before = proxy.round_trips();
  const auto t0 = Clock::now();
  auto big = db.query("select repeat('x', 300000) as a, 'ä€' as b");
  const auto took = Clock::now() - t0;
  ASSERT_TRUE(big) << db.last_error();
  EXPECT_EQ(big->value("a"), std::string(300000, 'x'));
  EXPECT_EQ(proxy.round_trips() - before, 1);
  EXPECT_GE(took, 2 * kOneWay);  // held both ways, not a bound on speed

  for (int i = 0; i < 3; ++i) ASSERT_TRUE(db.query("select 1")) << db.last_error();
  EXPECT_EQ(proxy.round_trips() - before, 4);
}

TEST_F(AuctionHouseTest, FtpWorksWithOnlyTheControlConnectionThroughTheProxy) {
  DelayProxy proxy(host(), 0, host(), 21, kOneWay);
  const fs::path local = fs::temp_directory_path() / ("tv-proxy-" + std::to_string(getpid()));
  std::string bytes(200000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  std::ofstream(local, std::ios::binary) << bytes;

  net::Endpoint e = ftp_account();
  e.port = proxy.port();
  net::FtpSession ftp(e);
  ftp.open();
  ftp.store(local.string(), "/durch.jpg");
  EXPECT_EQ(ftp.size("/durch.jpg"), bytes.size());
  ftp.close();
  fs::remove(local);

  std::ifstream in(fs::path(ftp_root()) / "durch.jpg", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
  // The passive data connection goes to the address of the control connection, the proxy's
  // own, and from there to the server's port on that address: around the proxy.
  EXPECT_EQ(proxy.connections(), 1);
  EXPECT_GE(proxy.round_trips(), 5);  // login, CWD, EPSV, STOR, SIZE at least
}

TEST_F(AuctionHouseTest, HttpRequestsOverOneKeptConnectionAreOneRoundTripEach) {
  DelayProxy proxy(host(), 0, host(), 80, kOneWay);
  net::WebClock clock("http://" + std::string(host()) + ":" + std::to_string(proxy.port()) + "/");
  EXPECT_FALSE(clock.date().empty());
  EXPECT_FALSE(clock.date().empty());
  EXPECT_EQ(proxy.round_trips(), 2);
  EXPECT_EQ(proxy.connections(), clock.connections_opened());
}

TEST(DelayProxy, ATargetThatRefusesIsAClosedConnectionAndAnAddressInUseThrows) {
  // Port 9 on the loopback: nothing listens there.
  DelayProxy proxy(host(), 0, host(), 9, kOneWay);
  net::FtpSession ftp({host(), proxy.port(), "x", "y"}, {1000, 1000, 1000});
  EXPECT_ANY_THROW(ftp.open());
  EXPECT_EQ(proxy.connections(), 0);
  EXPECT_THROW(DelayProxy(host(), proxy.port(), host(), 9, kOneWay), std::runtime_error);
}

}  // namespace
}  // namespace tellvaro::test
