// The yield routine, the default text colours and the shell-result messages.
#include <gtest/gtest.h>

#include <vector>

#include "core/Basic_processes.h"
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

}  // namespace
}  // namespace sk
