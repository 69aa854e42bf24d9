// Elapsed-time and time-remaining texts, time conversions and stopwatches.
#include <gtest/gtest.h>

#include <limits>

#include "core/Global_vars.h"
#include "core/Timing_functions_timing.h"
#include "platform/runtime/DateUtils.h"

namespace sk {
namespace {

constexpr Double kSecond = 1.0 / 86400.0;

TDateTime HMS(Int32 h, Int32 m, Int32 s) { return (h * 3600.0 + m * 60.0 + s) * kSecond; }

class Timing_functions_timingElapsed : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = Global_StartTime; }
  void TearDown() override { Global_StartTime = saved_; }
  TDateTime saved_ = 0;
};

TEST(Timing_functions_timingRemaining, TextsByMagnitude) {
  EXPECT_EQ(TimeRemainingMessage(HMS(0, 1, 5)), u"~ 1m 5s to go");
  EXPECT_EQ(TimeRemainingMessage(HMS(0, 0, 40)), u"~ 40s to go");
  EXPECT_EQ(TimeRemainingMessage(HMS(0, 2, 0)), u"~ 2m to go");
  EXPECT_EQ(TimeRemainingMessage(HMS(1, 30, 59)), u"~ 1h 30m to go");
  EXPECT_EQ(TimeRemainingMessage(0), u"~ 0s to go");
}

TEST(Timing_functions_timingRemaining, WholeDaysAreKept) {
  EXPECT_EQ(TimeRemainingMessage(HMS(26, 0, 0)), u"~ 26h 0m to go");
  EXPECT_EQ(TimeRemainingMessage(1.0 + HMS(0, 0, 40)), u"~ 24h 0m to go");
}

TEST_F(Timing_functions_timingElapsed, EstimatesFromTheStartTime) {
  Global_StartTime = Now() - HMS(0, 0, 10);
  // Half done after ten seconds: about ten seconds to go.
  const String half = EstimatedTimeRemainingMessage(1, 2);
  EXPECT_TRUE(half == u"~ 10s to go" || half == u"~ 11s to go" || half == u"~ 9s to go") << StringToUtf8(half);
  EXPECT_EQ(EstimatedTimeRemainingMessage(0, 2), u"");  // nothing done yet
  EXPECT_EQ(EstimatedTimeRemainingMessage(2, 2), u"");  // nothing left
  EXPECT_EQ(ComputedTimeRemaining(60, 1, 2, 0), u"");  // threshold not yet passed
  EXPECT_NE(ComputedTimeRemaining(5, 1, 3, 1), u"");
  EXPECT_EQ(ComputedTimeRemaining(5, 5, 4, 1), u"");  // more handled than there was to do
}

TEST_F(Timing_functions_timingElapsed, ElapsedAndRestart) {
  Global_StartTime = Now() - HMS(1, 0, 0);
  EXPECT_NEAR(ElapsedTime(false), HMS(1, 0, 0), 5 * kSecond);
  EXPECT_NEAR(SecondsSinceGlobalStartTime(), 3600, 5);
  EXPECT_NEAR(ElapsedTime(true), HMS(1, 0, 0), 5 * kSecond);
  EXPECT_LT(ElapsedTime(false), 5 * kSecond);
  StartTiming();
  EXPECT_NEAR(Global_StartTime, Now(), 5 * kSecond);
}

TEST(Timing_functions_timingConversions, SecondsAndMilliseconds) {
  // Whole days since t count too.
  EXPECT_NEAR(SecondsElapsedSince(Now() - 1.0 - HMS(0, 0, 10)), 86410, 3);
  EXPECT_EQ(TodaysTimeInSeconds(45000.5), 43200);
  EXPECT_EQ(TodaysTimeInSeconds(45000.0 + HMS(23, 59, 59)), 86399);
  EXPECT_EQ(DateTimeToSeconds(40000.0 + HMS(1, 2, 3)), 3723);
  // The time of day only, also of values outside the calendar's range, and
  // never raising.
  EXPECT_EQ(DateTimeToSeconds(HMS(23, 59, 59)), 86399);
  EXPECT_EQ(DateTimeToSeconds(-2.0 - HMS(6, 0, 0)), 21600);  // 1899-12-28 06:00
  EXPECT_EQ(DateTimeToSeconds(5e6 + HMS(0, 0, 30)), 30);
  EXPECT_EQ(DateTimeToSeconds(1.0 - 1e-10), 0);  // rounds to the next midnight
  EXPECT_EQ(DateTimeToSeconds(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(DateTimeToSeconds(std::numeric_limits<double>::infinity()), 0);
  EXPECT_DOUBLE_EQ(Timing_functions::MillisecondsToDateTime(86400000), 1.0);
  EXPECT_DOUBLE_EQ(Timing_functions::MillisecondsToDateTime(-43200000), -0.5);
  EXPECT_DOUBLE_EQ(MillisecondsToDateTime(3600000), 1.0 / 24);
}

TEST(Timing_functions_timingConversions, WordsPerMinute) {
  EXPECT_FLOAT_EQ(WordsPerMinute(HMS(0, 2, 0), 300), 150.0f);
  EXPECT_EQ(WordsPerMinute(0, 300), 0.0f);
  EXPECT_EQ(WordsPerMinute(-HMS(0, 1, 0), 300), 0.0f);
}

TEST(Timing_functions_timingStopwatch, FirstStartTakesTheSharedReading) {
  TStopWatchRec rec = TStopWatchRec::Create(u"load");
  EXPECT_EQ(rec.name, u"load");
  EXPECT_EQ(rec.initial_Ticks, 0);
  Global_stopwatch.Start();
  while (Global_stopwatch.ElapsedTicks() == 0) {
  }
  rec.Start();
  EXPECT_GT(rec.initial_Ticks, 0);
  EXPECT_TRUE(rec.stopwatch.IsRunning());
  const Int64 first = rec.initial_Ticks;
  rec.Stop();
  EXPECT_FALSE(rec.stopwatch.IsRunning());
  rec.Start();  // later starts leave the first reading alone
  EXPECT_EQ(rec.initial_Ticks, first);
  rec.Stop();
  Global_stopwatch.Stop();
}

TEST(Timing_functions_timingProgram, OwnFileDate) {
  const TDateTime t = Compilation_DateTime();
  EXPECT_GT(t, EncodeDate(2000, 1, 1));
  EXPECT_LE(t, Now() + 1);
  EXPECT_EQ(Compilation_Year().size(), 4u);
}

}  // namespace
}  // namespace sk
