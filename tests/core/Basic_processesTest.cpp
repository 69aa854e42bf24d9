// The yield routine, the default text colours and the shell-result messages.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "core/Basic_processes.h"
#include "core/CoreTestSupport.h"
#include "core/Global_vars.h"
#include "platform/runtime/Dialogs.h"

namespace sk {
namespace {

struct ShownBox {
  String text;
  String caption;
  Cardinal flags;
};

// Records every message box asked for while it lives.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder() {
    fPrevious = SetMessageBoxHandler([this](const String& text, const String& caption, Cardinal flags) {
      shown.push_back({text, caption, flags});
      return IDOK;
    });
  }
  ~MessageBoxRecorder() { SetMessageBoxHandler(fPrevious); }
  std::vector<ShownBox> shown;

 private:
  TMessageBoxHandler fPrevious;
};

TEST(Basic_processesYield, CallsTheHookOnlyWhenInstalled) {
  int calls = 0;
  MyYieldProcess();  // no hook: nothing happens
  Global_YieldProcessProc = [&calls] { ++calls; };
  MyYieldProcess();
  MyYieldProcess();
  EXPECT_EQ(calls, 2);
  Global_YieldProcessProc = nullptr;
  MyYieldProcess();
  EXPECT_EQ(calls, 2);
}

TEST(Basic_processesYield, YikesChangesNothing) {
  global_panic_state = panic_no_panic;
  Yikes();
  Yikes(-7);
  EXPECT_EQ(global_panic_state, panic_no_panic);
}

TEST(Basic_processesFont, DefaultColoursAreWindowColoursWithoutStyles) {
  const TColourFontRec rec = GetDefaultExtraFontRec();
  EXPECT_EQ(rec.BrushColour, 0xFFFFFF);
  EXPECT_EQ(rec.FontColour, 0);
  EXPECT_EQ(rec.typeface, 0);
}

TEST(Basic_processesCheckExec, SuccessShowsNothingAndReturnsTheCode) {
  MessageBoxRecorder boxes;
  EXPECT_EQ(CheckExec(42, u"tool.exe"), 42u);
  EXPECT_EQ(CheckExec(32, u"tool.exe"), 32u);
  // Codes beyond 32 bits are successes too, not wrapped into small codes.
  EXPECT_EQ(CheckExec(0x100000000ull, u"tool.exe"), 0x100000000ull);
  EXPECT_EQ(CheckExec(0x100000008ull, u"tool.exe"), 0x100000008ull);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(Basic_processesCheckExec, TextForEachClassOfFailure) {
  struct Case {
    UInt64 code;
    String text;
  };
  const String name = u"/data/corpus/notes.txt";
  const std::vector<Case> cases = {
      {0, u"Not enough memory to run /data/corpus/notes.txt"},
      {8, u"Not enough memory to run /data/corpus/notes.txt"},
      {2, u"Can't access /data/corpus/notes.txt"},
      {3, u"Can't access /data/corpus/notes.txt"},
      {5, u"Can't access /data/corpus/notes.txt"},
      {16, u"/data/corpus/notes.txt already running"},
      {26, u"Sharing problem: /data/corpus/notes.txt"},
      {27, u"Can't handle files ending \".txt\""},
      {31, u"Can't handle files ending \".txt\""},
      {1, u"Can't communicate with /data/corpus/notes.txt"},
      {4, u"Can't communicate with /data/corpus/notes.txt"},
      {30, u"Can't communicate with /data/corpus/notes.txt"},
  };
  for (const auto& c : cases) {
    MessageBoxRecorder boxes;
    EXPECT_EQ(CheckExec(c.code, name), c.code);
    ASSERT_EQ(boxes.shown.size(), 1u) << c.code;
    EXPECT_EQ(boxes.shown[0].text, c.text) << c.code;
    EXPECT_TRUE(boxes.shown[0].caption.empty()) << c.code;
    EXPECT_EQ(boxes.shown[0].flags, MB_OK) << c.code;
  }
}

TEST(Basic_processesCheckExec, ExtensionIsTakenFromTheNameOnly) {
  MessageBoxRecorder boxes;
  CheckExec(31, u"report.xyz");
  CheckExec(31, u"/some.folder/readme");   // the dot belongs to a folder
  CheckExec(31, u"C:\\old.dir\\archive.tar.gz");
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_EQ(boxes.shown[0].text, u"Can't handle files ending \".xyz\"");
  EXPECT_EQ(boxes.shown[1].text, u"Can't handle files ending \"\"");
  EXPECT_EQ(boxes.shown[2].text, u"Can't handle files ending \".gz\"");
}

// ---- yielding by time ----------------------------------------------------------------

class Basic_processesTimedYield : public ::testing::Test {
 protected:
  void TearDown() override {
    Global_YieldProcessProc = nullptr;
    global_panic_state = panic_no_panic;
  }
};

// Work that takes a little while per tick, as a loop over a text does.
void SomeWork(volatile unsigned& sink) {
  for (unsigned k = 0; k < 40; ++k) sink = sink * 31 + k;
}

// A host hook counting calls sees a long loop yield a few times per second of
// work: about every 20 ms, not once per tick.
TEST_F(Basic_processesTimedYield, ALongLoopYieldsAFewTimesPerSecondOfWork) {
  YieldCounter yields;
  volatile unsigned sink = 0;
  TTimedYield yield;
  const auto start = std::chrono::steady_clock::now();
  long ticks = 0;
  while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(150)) {
    for (int k = 0; k < 1000; ++k, ++ticks) {
      SomeWork(sink);
      yield.Tick();
    }
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_GT(ticks, 10000);
  EXPECT_GE(yields.calls, static_cast<int>(ms.count() / 40));  // at least one per 40 ms of work
  EXPECT_LE(yields.calls, yields.AtMostByTime());
  EXPECT_EQ(static_cast<int>(yield.Yields()), yields.calls);
  EXPECT_FALSE(yield.Stopped());
}

// A Stop set from the hook ends the loop at that yield: Tick reports it at
// once, and keeps reporting it.
TEST_F(Basic_processesTimedYield, AStopSetFromTheHookEndsTheLoop) {
  int calls = 0;
  Global_YieldProcessProc = [&] {
    if (++calls == 2) global_panic_state = panic_stop_asap;
  };
  TTimedYield yield;
  volatile unsigned sink = 0;
  long ticksAfterStop = -1;
  const auto start = std::chrono::steady_clock::now();
  for (long t = 0; std::chrono::steady_clock::now() - start < std::chrono::seconds(5); ++t) {
    SomeWork(sink);
    if (yield.Tick()) {
      ticksAfterStop = 0;
      break;
    }
  }
  EXPECT_EQ(calls, 2);  // it ended at the yield that saw the Stop
  EXPECT_EQ(ticksAfterStop, 0);
  EXPECT_TRUE(yield.Stopped());
  EXPECT_TRUE(yield.Tick());
  EXPECT_EQ(calls, 2);
}

// Short loops never call the host; every long loop does at least once, even
// right after another loop yielded; with no hook nothing is called at all.
TEST_F(Basic_processesTimedYield, ShortLoopsNeverLongLoopsAtLeastOnce) {
  struct Case {
    int ticks;
    int loops;
    int atLeast;  // calls of the hook over all the loops
    int atMost;
  };
  const Case cases[] = {
      {15, 1000, 0, 0},    // below the first check point: never
      {3000, 5, 5, 5 + 2},  // long: once each, whatever the time since the last yield
  };
  for (const Case& c : cases) {
    YieldCounter yields;
    for (int l = 0; l < c.loops; ++l) {
      TTimedYield yield;
      for (int t = 0; t < c.ticks; ++t) yield.Tick();
    }
    EXPECT_GE(yields.calls, c.atLeast) << c.ticks;
    EXPECT_LE(yields.calls, c.atMost + yields.AtMostByTime()) << c.ticks;
  }
  TTimedYield noHook;
  for (int t = 0; t < 5000; ++t) EXPECT_FALSE(noHook.Tick());
  // Runs of ticks taken together count as many ticks.
  YieldCounter yields;
  TTimedYield runs;
  runs.Tick(15);
  EXPECT_EQ(yields.calls, 0);
  for (int k = 0; k < 30; ++k) runs.Tick(100);
  EXPECT_GE(yields.calls, 1);
}

}  // namespace
}  // namespace sk
