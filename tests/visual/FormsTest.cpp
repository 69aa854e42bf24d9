// Forms: modal loops answered through the modal hook, closed by a timer, by
// Close, by the close box and by the dialog keys; placement on the owner;
// close queries; the application and screen.
#include <gtest/gtest.h>

#include <QtGui/QCloseEvent>
#include <QtGui/QKeyEvent>
#include <stdexcept>

#include "VisualTestSupport.h"
#include "platform/visual/Forms.h"
#include "platform/visual/StandardControls.h"
#include "platform/visual/Timers.h"

namespace sk {
namespace {

// A form with two buttons, "Go" (modal result 6) and "Stop" (2, the cancel
// button), "Go" the default.
TForm* MakeForm(TComponent* owner) {
  auto* form = new TForm(owner);
  form->SetCaption(u"Question");
  form->SetBounds(0, 0, 200, 100);
  auto* go = new TButton(form);
  go->SetName(u"Go");
  go->SetParent(form);
  go->SetModalResult(mrYes);
  go->SetDefault(true);
  auto* stop = new TButton(form);
  stop->SetName(u"Stop");
  stop->SetParent(form);
  stop->SetModalResult(mrCancel);
  stop->SetCancel(true);
  stop->SetLeft(100);
  return form;
}

TEST(TFormModal, TheHookPressesANamedButton) {
  TestApplication();
  std::unique_ptr<TForm> form(MakeForm(nullptr));
  PressingHook pressing(u"go");
  ScopedModalHook hook(pressing.Hook());
  bool clicked = false;
  static_cast<TButton*>(form->FindComponent(u"Go"))->OnClick = [&](TObject*) { clicked = true; };
  EXPECT_EQ(form->ShowModal(), mrYes);
  EXPECT_EQ(pressing.Shown(), 1);
  EXPECT_EQ(pressing.Last(), "\"Question\"");
  EXPECT_TRUE(clicked);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(form->Modal());
  EXPECT_EQ(Application().ModalLevel(), 0);
  // A second time, the same way; a visible form cannot be made modal.
  EXPECT_EQ(form->ShowModal(), mrYes);
  form->Show();
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);
}

TEST(TFormModal, AFormClosedByItsTimerEndsWithCancel) {
  TestApplication();
  std::unique_ptr<TForm> form(MakeForm(nullptr));
  auto* timer = new TTimer(form.get());
  int ticks = 0;
  timer->SetInterval(10);
  timer->SetOnTimer([&](TObject*) {
    if (++ticks == 3) form->Close();
  });
  int shown = 0;
  ScopedModalHook hook(WaitingHook(5000, &shown));
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(ticks, 3);
}

TEST(TFormModal, CloseBoxDialogKeysAndCloseQueries) {
  TestApplication();
  std::unique_ptr<TForm> form(MakeForm(nullptr));
  struct Case {
    const char* what;
    std::function<void(TForm&)> act;
    TModalResult expected;
  } cases[] = {
      {"close box", [](TForm& f) {
         QCloseEvent e;
         QApplication::sendEvent(f.Widget(), &e);
       }, mrCancel},
      {"return", [](TForm& f) {
         QKeyEvent k(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
         QApplication::sendEvent(f.Widget(), &k);
       }, mrYes},
      {"escape", [](TForm& f) {
         QKeyEvent k(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
         QApplication::sendEvent(f.Widget(), &k);
       }, mrCancel},
      {"code", [](TForm& f) { f.SetModalResult(mrRetry); }, mrRetry},
  };
  for (const Case& c : cases) {
    ScopedModalHook hook([&c](TForm& f) { c.act(f); });
    EXPECT_EQ(form->ShowModal(), c.expected) << c.what;
  }
  // A close query that refuses keeps the form open until it agrees.
  int asked = 0;
  form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
  ScopedModalHook hook([](TForm& f) {
    f.SetModalResult(mrOk);
    EXPECT_TRUE(f.Modal());
    EXPECT_EQ(f.ModalResult(), mrNone);
    f.SetModalResult(mrOk);
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(asked, 2);
}

TEST(TFormModal, AResultSetWhileShowingSkipsTheLoopAndTheHook) {
  TestApplication();
  std::unique_ptr<TForm> form(MakeForm(nullptr));
  form->OnShow = [&](TObject*) { form->SetModalResult(mrAbort); };
  int shown = 0;
  ScopedModalHook hook([&](TForm& f) {
    ++shown;
    f.SetModalResult(mrCancel);
  });
  // A result set in OnShow ends ShowModal at once: no loop, no hook.
  EXPECT_EQ(form->ShowModal(), mrAbort);
  EXPECT_EQ(shown, 0);
}

// An exception from any handler run while the form is shown reaches the
// caller of ShowModal, and leaves the form modeless and hidden: it can be
// shown modally again, closed and freed.
TEST(TFormModal, AnExceptionFromAHandlerLeavesTheFormModeless) {
  TestApplication();
  struct Case {
    const char* what;
    bool onShow, hook, click, timer;
  } cases[] = {
      {"the form's OnShow", true, false, false, false},
      {"the modal hook", false, true, false, false},
      {"a button's click", false, false, true, false},
      {"a timer", false, false, false, true},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TForm> form(MakeForm(nullptr));
    bool fail = true;
    auto fault = [&fail](bool armed) {
      if (fail && armed) throw std::runtime_error("handler failed");
    };
    form->OnShow = [&](TObject*) { fault(c.onShow); };
    static_cast<TButton*>(form->FindComponent(u"Go"))->OnClick = [&](TObject*) { fault(c.click); };
    auto* timer = new TTimer(form.get());
    timer->SetInterval(5);
    timer->SetEnabled(c.timer);
    timer->SetOnTimer([&](TObject*) { fault(c.timer); });
    {
      ScopedModalHook hook([&](TForm& f) {
        fault(c.hook);
        if (!c.timer) PressButton(f, u"Go");
      });
      EXPECT_THROW(form->ShowModal(), std::runtime_error) << c.what;
    }
    EXPECT_FALSE(form->Modal()) << c.what;
    EXPECT_FALSE(form->Visible()) << c.what;
    EXPECT_EQ(Application().ModalLevel(), 0) << c.what;
    EXPECT_FALSE(form->Widget()->isVisible()) << c.what;
    EXPECT_EQ(form->Widget()->windowModality(), Qt::NonModal) << c.what;
    fail = false;
    timer->SetEnabled(false);
    PressingHook pressing(u"go");
    ScopedModalHook hook(pressing.Hook());
    EXPECT_EQ(form->ShowModal(), mrYes) << c.what;
    form->Close();
    form->SetModalResult(mrOk);
  }
}

TEST(TFormModal, NestedModalFormsEachMeetTheHook) {
  TestApplication();
  std::unique_ptr<TForm> outer(MakeForm(nullptr));
  std::vector<std::string> seen;
  ScopedModalHook hook([&](TForm& f) {
    seen.push_back(StringToUtf8(f.Caption()));
    if (&f == outer.get()) {
      std::unique_ptr<TForm> inner(MakeForm(outer.get()));
      inner->SetCaption(u"Inner");
      EXPECT_EQ(inner->ShowModal(), mrCancel);
      EXPECT_EQ(Application().ModalLevel(), 1);
      PressButton(f, u"Go");
    } else {
      PressButton(f, u"Stop");
    }
  });
  EXPECT_EQ(outer->ShowModal(), mrYes);
  EXPECT_EQ(seen, (std::vector<std::string>{"Question", "Inner"}));
}

TEST(TFormPlacement, CentredOnTheOwnerFormOrTheScreen) {
  TestApplication();
  TForm owner(nullptr);
  owner.SetBounds(100, 50, 400, 300);
  auto* dlg = new TForm(&owner);
  dlg->SetBounds(0, 0, 200, 100);
  dlg->SetPosition(poOwnerFormCenter);
  dlg->PlaceByPosition();
  EXPECT_EQ(dlg->BoundsRect(), Rect(200, 150, 400, 250));
  dlg->SetPosition(poScreenCenter);
  dlg->PlaceByPosition();
  EXPECT_EQ(dlg->Left(), (Screen().Width() - 200) / 2);
  EXPECT_EQ(dlg->Top(), (Screen().Height() - 100) / 2);
  // Owned by no form: the main form, else the screen.
  TForm lone(nullptr);
  lone.SetBounds(0, 0, 100, 100);
  lone.SetPosition(poOwnerFormCenter);
  Application().SetMainForm(&owner);
  lone.PlaceByPosition();
  EXPECT_EQ(lone.BoundsRect(), Rect(250, 150, 350, 250));
  Application().SetMainForm(nullptr);
  lone.SetPosition(poDesigned);
  lone.SetBounds(7, 8, 100, 100);
  lone.PlaceByPosition();
  EXPECT_EQ(lone.Left(), 7);
}

TEST(TFormClose, ANonModalFormDoesWhatOnCloseAnswers) {
  TestApplication();
  auto* form = MakeForm(nullptr);
  form->Show();
  EXPECT_TRUE(form->Visible());
  TCloseAction answer = caNone;
  form->OnClose = [&](TObject*, TCloseAction& action) { action = answer; };
  form->Close();
  EXPECT_TRUE(form->Visible());
  answer = caHide;
  form->Close();
  EXPECT_FALSE(form->Visible());
  // caFree frees it once the events under way are handled.
  const Int32 before = Screen().FormCount();
  answer = caFree;
  form->Show();
  form->Close();
  EXPECT_EQ(Screen().FormCount(), before);
  QCoreApplication::processEvents();
  EXPECT_EQ(Screen().FormCount(), before - 1);
}

TEST(TFormClose, FreeingTheMainFormForgetsIt) {
  TestApplication();
  auto* form = new TForm(nullptr);
  Application().SetMainForm(form);
  delete form;
  EXPECT_EQ(Application().MainForm(), nullptr);
}

TEST(TScreenCursor, TheScreenCursorOverridesEveryWindowUntilDefault) {
  TestApplication();
  Screen().SetCursor(crHourGlass);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Screen().SetCursor(crHSplit);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::SplitHCursor);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Screen().PixelsPerInch(), 96);
}

}  // namespace
}  // namespace sk
