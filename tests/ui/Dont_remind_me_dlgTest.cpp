// The message dialog core: silent mode, the owner-less plain dialog, the
// chosen defaults, marker files (their names, content, sharing and absence),
// the check box's layout, the timed close, the Help handler, the owner's
// hold on the dialog, and the hook at the entry.
#include <gtest/gtest.h>

#include <QtGui/QCloseEvent>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractScrollArea>
#include <QtWidgets/QScrollBar>
#include <filesystem>
#include <fstream>

#include "UiTestSupport.h"
#include "core/Generalruntime2const.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/StringList.h"
#include "platform/visual/StandardControls.h"
#include "ui/Dont_remind_me_dlg.h"

namespace sk {
namespace {

class Dont_remind_me_dlg : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    fOwner = std::make_unique<TForm>(nullptr);
    fOwner->SetBounds(100, 80, 700, 500);
  }
  void TearDown() override {
    fOwner.reset();
    MessageTest::TearDown();
  }
  // The full overload with the owner form and Global_TimedOut.
  Int32 Ask(const String& text, TMsgDlgButtons buttons, TMsgDlgBtn def, Int32 seconds = 0, bool box = false,
            const String& caption = String()) {
    return FormCentredMessageDlg(fOwner.get(), Global_TimedOut, caption, text, mtConfirmation, buttons, 42, nullptr,
                                 def, seconds, box);
  }
  bool HasMarker(const String& text) { return FileExists(DontRemindMarkerFilename(text)); }
  std::unique_ptr<TForm> fOwner;
};

TEST_F(Dont_remind_me_dlg, SilentModeAnswersZeroAndTouchesNothing) {
  Global_run_without_error_messages = true;
  for (bool flag : {false, true}) {
    Global_TimedOut = flag;
    EXPECT_EQ(Ask(u"Silent question?", mbYesNo, mbYes, 3, true), 0);
    EXPECT_EQ(Global_TimedOut, flag);
  }
  // Even a message whose marker exists is not looked at.
  WriteFileBytes(StringToUtf8(DontRemindMarkerFilename(u"Silent question?")), "x");
  Global_TimedOut = true;
  EXPECT_EQ(Ask(u"Silent question?", mbYesNo, mbYes, 0, true), 0);
  EXPECT_TRUE(Global_TimedOut);
}

TEST_F(Dont_remind_me_dlg, WithoutAnOwnerThePlainDialogIgnoresCaptionSecondsAndBox) {
  std::string caption;
  bool hasBox = true;
  ScopedModalHook hook([&](TForm& f) {
    caption = StringToUtf8(f.Caption());
    hasBox = FindNamedComponent(f, DontRemindCheckBoxName) != nullptr;
    ProcessEventsFor(30);  // far longer than one second of short ticks: nothing closes it
    PressButton(f, u"No");
  });
  Global_TimedOut = true;
  EXPECT_EQ(FormCentredMessageDlg(nullptr, Global_TimedOut, u"My caption", u"Plain?", mtConfirmation, mbYesNo, 0,
                                  nullptr, mbYes, 1, true),
            mrNo);
  EXPECT_EQ(caption, "Confirm");
  EXPECT_FALSE(hasBox);
  EXPECT_TRUE(Global_TimedOut);
}

TEST_F(Dont_remind_me_dlg, WithoutADefaultItIsOKElseYesElseRetry) {
  struct Case {
    TMsgDlgButtons buttons;
    const char16_t* expected;
  } cases[] = {{mbOKCancel, u"OK"}, {mbYesNo, u"Yes"}, {mbAbortRetryIgnore, u"Retry"}, {{mbCancel, mbIgnore}, nullptr}};
  for (const Case& c : cases) {
    String byDefault;
    ScopedModalHook hook([&](TForm& f) {
      for (Int32 i = 0; i < f.ComponentCount(); ++i)
        if (auto* b = dynamic_cast<TButton*>(f.Components(i)); b != nullptr && b->Default()) byDefault = b->Name();
      f.SetModalResult(mrCancel);
    });
    bool timedOut = false;
    FormCentredMessageDlg(fOwner.get(), timedOut, u"Which?", mtConfirmation, c.buttons, 0, nullptr, 0, false);
    EXPECT_EQ(byDefault, c.expected ? String(c.expected) : String()) << c.buttons.bits;
  }
}

TEST_F(Dont_remind_me_dlg, AMessageWithAMarkerIsNotShownAndAnswersItsDefault) {
  const String text = u"Remembered message";
  const String marker = DontRemindMarkerFilename(text);
  EXPECT_EQ(marker, Global_user_ReadWrite_folder + u"/Remembered message.QMDontTellMeAgain");
  WriteFileBytes(StringToUtf8(marker), "");
  const struct {
    TMsgDlgBtn def;
    Int32 result;
  } cases[] = {{mbYes, 6},   {mbNo, 7},     {mbOK, 1},       {mbCancel, 2},      {mbAbort, 3},  {mbRetry, 4},
               {mbIgnore, 5}, {mbAll, 6},   {mbNoToAll, 7}, {mbYesToAll, 6},   {mbHelp, 9},   {mbClose, 8}};
  for (const auto& c : cases) {
    Global_TimedOut = true;
    EXPECT_EQ(Ask(text, mbYesNoCancel, c.def, 5, true), c.result) << c.def;
    EXPECT_FALSE(Global_TimedOut);
  }
  // Without the check box the marker is not looked at.
  PressingHook pressing(u"Yes");
  ScopedModalHook hook(pressing.Hook());
  EXPECT_EQ(Ask(text, mbYesNo, mbNo, 0, false), mrYes);
  EXPECT_EQ(pressing.Shown(), 1);
}

TEST_F(Dont_remind_me_dlg, TheTickedBoxWritesTheMarkerAndTextsAlikeIn50CharactersShareIt) {
  const String first = u"This message is long enough that only its first fifty characters count, A";
  const String second = u"This message is long enough that only its first fifty characters count, B";
  ScopedModalHook hook([](TForm& f) {
    auto* box = dynamic_cast<TCheckBox*>(FindNamedComponent(f, DontRemindCheckBoxName));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->Caption(), u"Never show this again");
    box->SetChecked(true);
    PressButton(f, u"OK");
  });
  EXPECT_EQ(Ask(first, {mbOK}, mbOK, 0, true), mrOk);
  ASSERT_TRUE(HasMarker(first));
  EXPECT_EQ(DontRemindMarkerFilename(first), DontRemindMarkerFilename(second));
  TStringList lines;
  lines.LoadFromFile(DontRemindMarkerFilename(first));
  ASSERT_EQ(lines.Count(), 1);
  EXPECT_EQ(lines.Strings(0), DateToStr(Date()));
  // The second is not shown (the guard would fail the test if it were).
  ScopedModalHook none(&UnexpectedModalForm);
  EXPECT_EQ(Ask(second, mbOKCancel, mbCancel, 0, true), mrCancel);
}

TEST_F(Dont_remind_me_dlg, MarkerNamesTakeThePartAfterTheLastDelimiterWithinTheFirst50Characters) {
  EXPECT_EQ(DontRemindMarkerFilename(u"Couldn't save /home/user/results/list.lst in that folder, so the rest"),
            Global_user_ReadWrite_folder + u"/ list.lst in that .QMDontTellMeAgain");
  EXPECT_EQ(DontRemindMarkerFilename(u"Ask: \"why?\" <now>"),
            Global_user_ReadWrite_folder + u"/Ask   why    now .QMDontTellMeAgain");
  EXPECT_EQ(DontRemindMarkerFilename(u""), u"");
  Global_user_ReadWrite_folder = u"";
  EXPECT_EQ(DontRemindMarkerFilename(u"text"), u"");
  EXPECT_FALSE(DontRemindMarkerExists(u"text"));
}

TEST_F(Dont_remind_me_dlg, AMissingOrUnwritableFolderOnlyLosesTheMemory) {
  ScopedModalHook hook([](TForm& f) {
    static_cast<TCheckBox*>(FindNamedComponent(f, DontRemindCheckBoxName))->SetChecked(true);
    PressButton(f, u"OK");
  });
  Global_user_ReadWrite_folder = Utf8ToString(Path("missing"));
  EXPECT_EQ(Ask(u"No folder", {mbOK}, mbOK, 0, true), mrOk);
  EXPECT_FALSE(std::filesystem::exists(Path("missing")));
  // A folder that refuses new files, whoever runs the test.
  Global_user_ReadWrite_folder = u"/proc";
  EXPECT_EQ(Ask(u"Read-only folder", {mbOK}, mbOK, 0, true), mrOk);
  EXPECT_FALSE(HasMarker(u"Read-only folder"));
}

TEST_F(Dont_remind_me_dlg, TheCheckBoxSitsLeftAndTheButtonsMoveRightOfIt) {
  auto bare = CreateMessageDialog(u"Layout?", mtConfirmation, mbYesNoCancel, mbYes);
  std::vector<TRect> before;
  for (const char16_t* n : {u"Yes", u"No", u"Cancel"})
    before.push_back(static_cast<TControl*>(bare->FindComponent(n))->BoundsRect());
  ScopedModalHook hook([&](TForm& f) {
    auto* box = static_cast<TCheckBox*>(FindNamedComponent(f, DontRemindCheckBoxName));
    EXPECT_EQ(box->Width(), 150);
    EXPECT_EQ(box->Left(), 8);
    EXPECT_GE(f.Width(), 300);
    int k = 0;
    TControl* last = nullptr;
    for (const char16_t* n : {u"Yes", u"No", u"Cancel"}) {
      auto* b = static_cast<TControl*>(f.FindComponent(n));
      EXPECT_EQ(b->Left(), before[k].Left + 166) << StringToUtf8(n);
      EXPECT_EQ(b->Top(), before[k].Top);
      EXPECT_GE(f.ClientWidth(), b->Left() + b->Width() + 16);
      last = b;
      ++k;
    }
    EXPECT_EQ(box->Top() + box->Height(), last->Top() + last->Height());
    EXPECT_EQ(box->Parent(), &f);
    PressButton(f, u"No");
  });
  EXPECT_EQ(Ask(u"Layout?", mbYesNoCancel, mbYes, 0, true), mrNo);
}

TEST_F(Dont_remind_me_dlg, TheDialogWithItsBoxAsItIsDrawn) {
  ScopedModalHook hook([](TForm& f) {
    auto* box = static_cast<TControl*>(FindNamedComponent(f, DontRemindCheckBoxName));
    const TRect yes = static_cast<TControl*>(f.FindComponent(u"Yes"))->BoundsRect();
    const TRect text = static_cast<TControl*>(f.FindComponent(u"Message"))->BoundsRect();
    const auto failed = ScreenshotChecked(f, "never_show_again_dialog",
                                          {{"check box and its caption", box->BoundsRect(), InkOn(clBtnFace, 30)},
                                           {"message", text, InkOn(clBtnFace, 30)},
                                           {"caption of Yes", yes, InkOn(clBtnFace, 10)},
                                           {"between box and Yes", Rect(box->Left() + box->Width() + 1, yes.Top, yes.Left - 1, yes.Bottom),
                                            AllOf(clBtnFace)}});
    EXPECT_TRUE(failed.empty()) << ::testing::PrintToString(failed);
    PressButton(f, u"No");
  });
  EXPECT_EQ(Ask(u"Keep the changes to the list?", mbYesNo, mbYes, 0, true, u"Changes"), mrNo);
}

// A message taller than the 800 x 600 screen, read from the keys alone: Tab
// from the default button reaches its box, which Page Down scrolls by a page,
// Down by a line and Ctrl+End to its end; Return and Escape in the box still
// answer.
TEST_F(Dont_remind_me_dlg, ATallMessageScrollsFromTheKeysAndReturnAndEscapeAnswer) {
  String lists, tip;
  for (int i = 0; i < 300; ++i) {
    lists += u"\r/home/researcher/lists/wordlist_" + IntToStr(i) + u".lst";
    tip += u"Tip line " + IntToStr(i) + u": a word list keeps its settings.\r";
  }
  const struct {
    TMsgDlgType type;
    String text;
    TMsgDlgButtons buttons;
    bool box;
  } cases[] = {{mtWarning, u"These word lists could not be read:" + lists, {mbOK, mbCancel, mbHelp}, false},
               {mtInformation, tip, {mbOK, mbHelp}, true}};
  for (const auto& c : cases) {
    for (const auto& [key, answer] : {std::pair{Qt::Key_Return, mrOk}, std::pair{Qt::Key_Escape, mrCancel}}) {
      ScopedModalHook hook([&, key = key](TForm& f) {
        f.Widget()->activateWindow();
        (void)QTest::qWaitForWindowActive(f.Widget());
        QWidget* box = static_cast<TControl*>(f.FindComponent(u"MessageText"))->Widget();
        EXPECT_EQ(QApplication::focusWidget(), static_cast<TControl*>(f.FindComponent(u"OK"))->Widget());
        for (int tabs = 0; tabs < 5 && QApplication::focusWidget() != box; ++tabs)
          QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), box) << c.box;
        QScrollBar* bar = static_cast<QAbstractScrollArea*>(box)->verticalScrollBar();
        QTest::keyClick(box, Qt::Key_PageDown);
        EXPECT_NEAR(bar->value(), bar->pageStep(), 2) << c.box;
        const int page = bar->value();
        QTest::keyClick(box, Qt::Key_Down);  // a line at once, as the page keys scroll at once
        EXPECT_EQ(bar->value(), page + 1) << c.box;
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(bar->value(), bar->maximum()) << c.box;
        QTest::keyClick(box, key);
        if (f.ModalResult() == mrNone) f.SetModalResult(mrAbort);  // unanswered
      });
      EXPECT_EQ(FormCentredMessageDlg(fOwner.get(), Global_TimedOut, c.text, c.type, c.buttons, 0, nullptr, 0, c.box),
                answer);
    }
  }
}

// Where a dialog opens its focus and what Return, Escape and Space answer
// there, for the button sets of the callers and the defaults they ask for
// (none, one present, one absent): its default button, else its first, in a
// short message and one taller than the 800 x 600 screen, with the check box
// and without; Tab goes round, through the box of a tall message.
TEST_F(Dont_remind_me_dlg, TheFocusOpensOnTheDefaultElseTheFirstButtonAndTheKeysAnswerThere) {
  String tall;
  for (int i = 0; i < 300; ++i) tall += u"Line " + IntToStr(i) + u" of a message taller than the screen.\r";
  const int kNone = -1;  // the overload that asks for no default
  const struct {
    TMsgDlgButtons buttons;
    int asked;
    TMsgDlgBtn opens;
  } rows[] = {// no default asked: OK, else Yes, else Retry; else the first button
              {{mbOK}, kNone, mbOK}, {mbOKCancel, kNone, mbOK}, {mbYesNo, kNone, mbYes}, {mbYesNoCancel, kNone, mbYes},
              {mbAbortRetryIgnore, kNone, mbRetry}, {{mbRetry, mbCancel}, kNone, mbRetry},
              {{mbYes, mbNo, mbNoToAll, mbYesToAll, mbHelp}, kNone, mbYes}, {mbAbortIgnore, kNone, mbAbort},
              {{mbClose}, kNone, mbClose}, {{mbNo, mbCancel}, kNone, mbNo},
              // a default asked: one of the buttons, else the first button
              {mbYesNo, mbNo, mbNo}, {{mbOK, mbCancel, mbHelp}, mbCancel, mbCancel},
              {{mbCancel, mbYesToAll, mbHelp}, mbYesToAll, mbYesToAll}, {{mbCancel}, mbRetry, mbCancel},
              {mbYesNo, mbOK, mbYes}};
  for (const auto& r : rows)
    for (const String& text : {String(u"Short?"), tall})
      for (bool box : {false, true})
        for (const auto key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space}) {
          SCOPED_TRACE(::testing::Message() << r.buttons.bits << " asked " << r.asked << " tall " << (text == tall)
                                            << " box " << box << " key " << key);
          ScopedModalHook hook([&](TForm& f) {
            f.Widget()->activateWindow();
            (void)QTest::qWaitForWindowActive(f.Widget());
            QWidget* opened = QApplication::focusWidget();
            EXPECT_EQ(opened, static_cast<TControl*>(f.FindComponent(MsgDlgButtonName(r.opens)))->Widget());
            auto* scrolling = static_cast<TControl*>(f.FindComponent(u"MessageText"));
            bool reached = false;
            for (int tabs = 0; tabs < 10 && (tabs == 0 || QApplication::focusWidget() != opened); ++tabs) {
              QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
              reached = reached || (scrolling != nullptr && QApplication::focusWidget() == scrolling->Widget());
            }
            EXPECT_EQ(QApplication::focusWidget(), opened);
            EXPECT_EQ(reached, text == tall);
            QTest::keyClick(QApplication::focusWidget(), key);
            if (f.ModalResult() == mrNone) f.SetModalResult(99);  // unanswered
          });
          EXPECT_EQ(r.asked == kNone ? FormCentredMessageDlg(fOwner.get(), Global_TimedOut, text, mtConfirmation,
                                                             r.buttons, 0, nullptr, 0, box)
                                     : FormCentredMessageDlg(fOwner.get(), Global_TimedOut, text, mtConfirmation,
                                                             r.buttons, 0, nullptr, TMsgDlgBtn(r.asked), 0, box),
                    key == Qt::Key_Escape ? mrCancel : MsgDlgButtonResult(r.opens));
        }
}

TEST_F(Dont_remind_me_dlg, NobodyAnsweringForTenSecondsClosesTheDialogAsTimedOut) {
  int shown = 0;
  ScopedModalHook hook(WaitingHook(5000, &shown));
  Global_TimedOut = false;
  EXPECT_EQ(Ask(u"Anyone?", mbYesNo, mbYes, 10, true), mrCancel);
  EXPECT_TRUE(Global_TimedOut);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(HasMarker(u"Anyone?"));
  // An answered dialog with seconds is not timed out; its own flag is used.
  ScopedModalHook press([](TForm& f) { PressButton(f, u"Yes"); });
  bool mine = true;
  EXPECT_EQ(FormCentredMessageDlg(fOwner.get(), mine, u"Quick?", mtConfirmation, mbYesNo, 0, nullptr, 10, false), mrYes);
  EXPECT_FALSE(mine);
  EXPECT_TRUE(Global_TimedOut);
}

TEST_F(Dont_remind_me_dlg, TheWrapperCountsTicksAndQuitsOnce) {
  TForm dialog(nullptr);
  TWrapper w(&dialog, u"text", 3, false);
  ASSERT_NE(w.FTimer, nullptr);
  EXPECT_EQ(w.FTimer->Owner(), &dialog);
  EXPECT_EQ(w.FTimer->Interval(), DontRemind_TickMilliseconds);
  w.HandleTimer(nullptr);
  w.HandleTimer(nullptr);
  EXPECT_EQ(w.seconds, 2);
  EXPECT_EQ(w.QuitReason, q_ordinary_close);
  w.HandleTimer(nullptr);
  EXPECT_EQ(w.QuitReason, q_timed_out);
  EXPECT_EQ(w.seconds, 0);
  EXPECT_EQ(w.FTimer, nullptr);
  EXPECT_EQ(dialog.ComponentCount(), 0);
  TWrapper none(&dialog, u"text", 0, true);
  EXPECT_EQ(none.FTimer, nullptr);
  EXPECT_EQ(none.QuitReason, q_ordinary_close);
}

TEST_F(Dont_remind_me_dlg, HelpCallsTheHandlerWithTheContextStoredAndTheDialogStays) {
  Global_MessageHelpCtx = 0;
  int helped = 0;
  TNotifyEvent handler = [&](TObject* sender) {
    ++helped;
    EXPECT_EQ(static_cast<TComponent*>(dynamic_cast<TComponent*>(sender))->Name(), u"Help");
    EXPECT_EQ(Global_MessageHelpCtx, 4850);
  };
  ScopedModalHook hook([](TForm& f) {
    PressButton(f, u"Help");
    EXPECT_TRUE(f.Modal());
    PressButton(f, u"OK");
  });
  EXPECT_EQ(FormCentredMessageDlg(fOwner.get(), Global_TimedOut, u"Helpful", mtWarning, {mbOK, mbHelp}, 4850, handler,
                                  0, false),
            mrOk);
  EXPECT_EQ(helped, 1);
}

TEST_F(Dont_remind_me_dlg, TheOwnerHoldsTheCentredDialogWhileItIsShown) {
  ScopedModalHook hook([&](TForm& f) {
    EXPECT_EQ(f.Owner(), fOwner.get());
    EXPECT_EQ(f.Left(), 100 + (700 - f.Width()) / 2);
    EXPECT_EQ(f.Top(), 80 + (500 - f.Height()) / 2);
    EXPECT_EQ(f.Caption(), u"Given caption");
    QCloseEvent e;
    QApplication::sendEvent(f.Widget(), &e);
  });
  Global_TimedOut = true;
  EXPECT_EQ(Ask(u"Centred?", mbYesNo, mbYes, 0, false, u"Given caption"), mrCancel);
  EXPECT_FALSE(Global_TimedOut);
  EXPECT_EQ(fOwner->ComponentCount(), 0);
}

TEST_F(Dont_remind_me_dlg, AnOwnerFreedDuringTheLoopTakesTheDialogWithIt) {
  ScopedModalHook hook([&](TForm&) { fOwner.reset(); });
  TForm* owner = fOwner.get();
  EXPECT_EQ(FormCentredMessageDlg(owner, Global_TimedOut, u"Gone?", mtWarning, {mbOK}, 0, nullptr, 0, false), mrCancel);
  EXPECT_EQ(fOwner, nullptr);
}

TEST_F(Dont_remind_me_dlg, TheEntryHookSeesTheRequestAndMayAnswerIt) {
  std::vector<TFormCentredRequest> seen;
  TFormCentredHook previous = SetFormCentredMessageDlgHook([&](const TFormCentredRequest& r) -> std::optional<Int32> {
    seen.push_back(r);
    if (r.text == u"pass") return std::nullopt;
    *r.timedOut = true;
    return 6;
  });
  Global_TimedOut = false;
  EXPECT_EQ(FormCentredMessageDlg(fOwner.get(), Global_TimedOut, u"cap", u"answer", mtWarning, mbYesNo, 7, nullptr,
                                  mbNo, 3, true),
            6);
  EXPECT_TRUE(Global_TimedOut);
  Global_run_without_error_messages = true;
  EXPECT_EQ(FormCentredMessageDlg(fOwner.get(), Global_TimedOut, u"pass", mtError, mbAbortRetryIgnore, 0, nullptr, 0,
                                  false),
            0);
  SetFormCentredMessageDlgHook(previous);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].caption, u"cap");
  EXPECT_EQ(seen[0].type, mtWarning);
  EXPECT_EQ(seen[0].buttons, mbYesNo);
  EXPECT_EQ(seen[0].helpCtx, 7);
  EXPECT_EQ(seen[0].defaultButton, mbNo);
  EXPECT_EQ(seen[0].seconds, 3);
  EXPECT_TRUE(seen[0].withDontShow);
  EXPECT_EQ(seen[1].defaultButton, mbRetry);
  EXPECT_EQ(seen[1].caption, u"");
}

}  // namespace
}  // namespace sk
