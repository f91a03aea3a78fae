// The command line's stop signals: taken over only while a run lives, and given back as they
// were.

#include <signal.h>

#include <gtest/gtest.h>

#include "cli/console.h"

namespace tellvaro::cli {
namespace {

extern "C" void earlier_handler(int) {}

struct sigaction current(int s) {
  struct sigaction now = {};
  ::sigaction(s, nullptr, &now);
  return now;
}

// An ignored hang-up stays ignored (nohup), a handler set before comes back afterwards and after
// the first signal, and the run's own handler lets interrupted reads and writes go on.
TEST(StopOnSignal, IgnoredStaysIgnoredTheEarlierDispositionComesBackReadsRestart) {
  struct sigaction earlier = {};
  earlier.sa_handler = earlier_handler;
  ::sigemptyset(&earlier.sa_mask);
  struct sigaction saved_term = {}, saved_hup = {};
  ::sigaction(SIGTERM, &earlier, &saved_term);
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  ::sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGHUP, &ignore, &saved_hup);
  {
    StopOnSignal stop;
    EXPECT_EQ(current(SIGHUP).sa_handler, SIG_IGN);
    const struct sigaction taken = current(SIGTERM);
    EXPECT_NE(taken.sa_handler, earlier_handler);
    EXPECT_NE(taken.sa_flags & SA_RESTART, 0);
    EXPECT_FALSE(StopOnSignal::requested());
    ::raise(SIGHUP);
    EXPECT_FALSE(StopOnSignal::requested());
    ::raise(SIGTERM);
    EXPECT_TRUE(StopOnSignal::requested());
    EXPECT_EQ(current(SIGTERM).sa_handler, earlier_handler);  // a second one: as before
  }
  EXPECT_EQ(current(SIGTERM).sa_handler, earlier_handler);
  EXPECT_EQ(current(SIGHUP).sa_handler, SIG_IGN);
  {
    StopOnSignal again;
    EXPECT_NE(current(SIGTERM).sa_handler, earlier_handler);
  }
  EXPECT_EQ(current(SIGTERM).sa_handler, earlier_handler);
  ::sigaction(SIGTERM, &saved_term, nullptr);
  ::sigaction(SIGHUP, &saved_hup, nullptr);
}

}  // namespace
}  // namespace tellvaro::cli
