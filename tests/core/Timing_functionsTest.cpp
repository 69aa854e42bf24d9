// The waiting loops: when they yield, when they stop and what they answer.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "core/Global_vars.h"
#include "core/Timing_functions.h"

namespace sk {
namespace {

// Installs a yield hook for the life of the object and removes it afterwards.
class HookGuard {
 public:
  explicit HookGuard(TYieldProcessProc hook) { Global_YieldProcessProc = std::move(hook); }
  ~HookGuard() { Global_YieldProcessProc = nullptr; }
};

TEST(Timing_functionsWait, FalseFlagReturnsAtOnceWithoutYielding) {
  int yields = 0;
  HookGuard guard([&yields] { ++yields; });
  bool flag = false;
  EXPECT_FALSE(WaitTillUntrue(flag, 10));
  EXPECT_FALSE(WaitTillUntrue(TBoolFunct([] { return false; }), 10));
  EXPECT_EQ(yields, 0);
}

TEST(Timing_functionsWait, NegativeSecondsEndAfterOnePassOfFourYields) {
  int yields = 0;
  HookGuard guard([&yields] { ++yields; });
  bool flag = true;
  EXPECT_TRUE(WaitTillUntrue(flag, -1));
  EXPECT_EQ(yields, 4);
  EXPECT_TRUE(flag);
}

TEST(Timing_functionsWait, HookThatDropsTheFlagEndsTheWaitAtTheEndOfThatPass) {
  int yields = 0;
  bool flag = true;
  HookGuard guard([&] {
    if (++yields == 6) flag = false;
  });
  EXPECT_FALSE(WaitTillUntrue(flag, 30));
  EXPECT_EQ(yields, 8);  // the pass in which the flag dropped is finished
}

TEST(Timing_functionsWait, FunctionIsAskedAtTheStartAndAfterEachPass) {
  int yields = 0;
  int asked = 0;
  HookGuard guard([&yields] { ++yields; });
  const TBoolFunct stillBusy = [&] {
    ++asked;
    return yields < 12;  // true at the start and after passes 1 and 2
  };
  EXPECT_FALSE(WaitTillUntrue(stillBusy, 30));
  EXPECT_EQ(yields, 12);
  EXPECT_EQ(asked, 4);
}

TEST(Timing_functionsWait, EmptyFunctionCountsAsFalse) {
  int yields = 0;
  HookGuard guard([&yields] { ++yields; });
  EXPECT_FALSE(WaitTillUntrue(TBoolFunct(), 30));
  EXPECT_EQ(yields, 0);
}

TEST(Timing_functionsWait, ZeroSecondsRunOutOnceAFullSecondHasPassed) {
  int yields = 0;
  HookGuard guard([&yields] { ++yields; });
  bool flag = true;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitTillUntrue(flag, 0));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_GT(yields, 4);
  EXPECT_EQ(yields % 4, 0);
}

TEST(Timing_functionsWait, WithoutAHookTheWaitSleepsInsteadOfSpinning) {
  ASSERT_FALSE(static_cast<bool>(Global_YieldProcessProc));
  bool flag = true;
  const std::clock_t cpuStart = std::clock();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitTillUntrue(flag, 0));
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  EXPECT_GE(wall, 1.0);
  // A busy loop would use about as much processor time as wall time.
  EXPECT_LT(cpu, wall / 2);
}

TEST(Timing_functionsWaitForNSeconds, NegativeCountMakesOnePass) {
  int yields = 0;
  HookGuard guard([&yields] { ++yields; });
  WaitForNSeconds(-3);
  EXPECT_EQ(yields, 4);
}

TEST(Timing_functionsWaitForNSeconds, ZeroWaitsMoreThanNoWholeSecond) {
  int yields = 0;
  HookGuard guard([&yields] { ++yields; });
  const auto start = std::chrono::steady_clock::now();
  WaitForNSeconds(0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(yields % 4, 0);
}

}  // namespace
}  // namespace sk
