#include <gtest/gtest.h>

#include "batch/progress_line.h"

namespace zelvo {
namespace {

TEST(ProgressLine, ClockTurnsToHoursPastTheHour) {
  EXPECT_EQ(ClockText(0), "0:00");
  EXPECT_EQ(ClockText(59.6), "1:00");
  EXPECT_EQ(ClockText(75), "1:15");
  EXPECT_EQ(ClockText(3599), "59:59");
  EXPECT_EQ(ClockText(3725), "1:02:05");
  EXPECT_EQ(ClockText(-3), "0:00");
}

TEST(ProgressLine, WhatIsLeftFollowsThePartDone) {
  const std::string bar = "[" + std::string(16, '#') + std::string(24, ' ') + "]";
  // 12 s for 42 %: 58 % take 16.6 s more.
  EXPECT_EQ(ProgressLine(4200, 10000, 12.0), bar + "  42%  0:12 elapsed, 0:17 left");
  EXPECT_EQ(ProgressLine(0, 10000, 3.0), "[" + std::string(40, ' ') + "]   0%  0:03 elapsed")
      << "nothing done tells nothing of what is left";
  EXPECT_EQ(ProgressLine(10000, 10000, 28.0), "[" + std::string(40, '#') + "] 100%  0:28 elapsed, 0:00 left");
  EXPECT_EQ(ProgressLine(12000, 10000, 28.0), ProgressLine(10000, 10000, 28.0));
  EXPECT_EQ(ProgressLine(99, 10000, 0.5).substr(0, 47), "[" + std::string(40, ' ') + "]   0%");
}

}  // namespace
}  // namespace zelvo
