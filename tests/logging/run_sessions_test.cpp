#include "logging/run_sessions.h"

#include <cmath>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

TEST(RunSessions, ANumberNotFollowingWithinTheIntervalBeginsASession) {
    EXPECT_FALSE(starts_session(65535, 1, 0.85));  // the count starts again, the run goes on
    EXPECT_FALSE(starts_session(100, 114, 12.5));  // frames lost while the link was down
    EXPECT_FALSE(starts_session(100, 106, NAN));   // no interval: only a number behind counts
    EXPECT_TRUE(starts_session(500, 3, NAN));
}

}  // namespace
}  // namespace stillmon
