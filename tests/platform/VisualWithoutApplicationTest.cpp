// The visual layer in a process without a QApplication (this test program
// never makes one): neutral answers from the screen and clipboard, a clear
// exception from controls and text, message dialogs asked through
// MessageBoxW, task dialogs that cannot be shown, timers that never fire.
#include <gtest/gtest.h>

#include <vector>

#include "platform/runtime/Dialogs.h"
#include "platform/visual/Clipboard.h"
#include "platform/visual/Forms.h"
#include "platform/visual/MessageDialogs.h"
#include "platform/visual/Screen.h"
#include "platform/visual/StandardControls.h"
#include "platform/visual/Timers.h"

namespace sk {
namespace {

struct AskedBox {
  String text, caption;
  Cardinal flags;
};

// Records the boxes asked for and answers with the given button.
class BoxRecorder {
 public:
  explicit BoxRecorder(Int32 answer) {
    fPrevious = SetMessageBoxHandler([this, answer](const String& t, const String& c, Cardinal f) {
      asked.push_back({t, c, f});
      return answer;
    });
  }
  ~BoxRecorder() { SetMessageBoxHandler(fPrevious); }
  std::vector<AskedBox> asked;

 private:
  TMessageBoxHandler fPrevious;
};

TEST(VisualWithoutApplication, ScreenAndClipboardAnswerNeutrally) {
  ASSERT_FALSE(HasGuiApplication());
  EXPECT_EQ(ScreenPixelsPerInch(), 96);
  Cardinal w = 1, h = 1;
  EXPECT_FALSE(MonitorPixelSize(nullptr, w, h));
  EXPECT_EQ(w, 0u);
  EXPECT_FALSE(ClipboardSetText(u"x"));
  EXPECT_EQ(ClipboardText(), u"");
  EXPECT_FALSE(ClipboardHasFormat("text/plain"));
  EXPECT_TRUE(ClipboardData("text/plain").empty());
  EXPECT_EQ(Screen().Width(), 0);
  EXPECT_EQ(Screen().ActiveForm(), nullptr);
}

TEST(VisualWithoutApplication, ControlsAndTextRaiseAClearException) {
  TComponent owner(nullptr);
  try {
    new TButton(&owner);
    FAIL() << "a button was made without an application";
  } catch (const EInvalidOperation& e) {
    EXPECT_NE(e.Message().find(u"QApplication"), String::npos);
  }
  EXPECT_EQ(owner.ComponentCount(), 0);
  EXPECT_THROW(TForm form(nullptr), EInvalidOperation);
  EXPECT_THROW(CreateMessageDialog(u"x", mtWarning, {mbOK}), EInvalidOperation);
  TBitmap b(4, 4);
  b.Canvas().Brush().SetColor(0x0000FF);
  b.Canvas().FillRect(Rect(0, 0, 2, 2));  // shapes draw without an application
  EXPECT_EQ(b.Canvas().Pixel(1, 1), 0x0000FF);
  EXPECT_THROW(b.Canvas().TextExtent(u"text"), EInvalidGraphicOperation);
  EXPECT_THROW(b.Canvas().TextOut(0, 0, u"text"), EInvalidGraphicOperation);
}

TEST(VisualWithoutApplication, MessageDlgAsksThroughMessageBox) {
  struct Case {
    TMsgDlgButtons buttons;
    TMsgDlgType type;
    TMsgDlgBtn byDefault;
    Cardinal flags;
  } cases[] = {
      {{mbYes, mbNo, mbHelp}, mtConfirmation, mbYes, MB_YESNO | MB_ICONQUESTION},
      {{mbYes, mbNo, mbCancel}, mtWarning, mbCancel, MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3},
      {{mbOK, mbCancel}, mtError, mbCancel, MB_OKCANCEL | MB_ICONERROR | MB_DEFBUTTON2},
      {{mbAbort, mbRetry, mbIgnore}, mtInformation, mbRetry, MB_ABORTRETRYIGNORE | MB_ICONINFORMATION | MB_DEFBUTTON2},
      {{mbOK, mbHelp}, mtInformation, mbOK, MB_OK | MB_ICONINFORMATION},
      {{mbCancel}, mtError, mbRetry, MB_OKCANCEL | MB_ICONERROR},
  };
  for (const Case& c : cases) {
    BoxRecorder boxes(IDNO);
    EXPECT_EQ(MessageDlg(u"question", c.type, c.buttons, 77, c.byDefault), IDNO);
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].text, u"question");
    EXPECT_EQ(boxes.asked[0].flags, c.flags) << c.buttons.bits;
    EXPECT_EQ(boxes.asked[0].caption, MsgDlgCaption(c.type));
  }
  // The layer's own box handler answers as nobody would.
  EXPECT_EQ(VisualMessageBox(u"text", u"caption", MB_YESNO), IDNO);
  EXPECT_EQ(VisualMessageBox(u"text", u"caption", MB_OK), IDOK);
}

TEST(VisualWithoutApplication, NothingIsShownAndNoTimerFires) {
  TTaskDialog task(nullptr);
  task.AddButton(u"one");
  EXPECT_FALSE(task.Execute());
  EXPECT_EQ(task.PressedButton(), -1);
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(1);
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  EXPECT_FALSE(timer.Active());
  EXPECT_EQ(ticks, 0);
  EXPECT_FALSE(MessageBeep(0));
  Application().ProcessMessages();
  EXPECT_FALSE(Application().Exists());
}

}  // namespace
}  // namespace sk
