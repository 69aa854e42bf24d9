// Components and controls: ownership and names, parents and alignment,
// inherited fonts and reading direction, mouse and keyboard events, messages,
// self-painting controls checked pixel by pixel, labels, timers, image lists,
// typed-ahead input and the system colours.
#include <gtest/gtest.h>

#include <stdexcept>

#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPalette>
#include <QtGui/QScreen>
#include <QtGui/QTextDocument>
#include <QtWidgets/QLabel>
#include <QtWidgets/QToolTip>
#include <string>
#include <vector>

#include "VisualTestSupport.h"
#include "platform/visual/Controls.h"
#include "platform/visual/Edits.h"
#include "platform/visual/Forms.h"
#include "platform/visual/ImgList.h"
#include "platform/visual/Screen.h"
#include "platform/visual/StandardControls.h"
#include "platform/visual/Timers.h"

namespace sk {
namespace {

// A component that records the notifications it receives and its own end.
class Recorder : public TComponent {
 public:
  Recorder(TComponent* owner, std::vector<std::string>* log, std::string name)
      : TComponent(owner), fLog(log), fTag(std::move(name)) {}
  ~Recorder() override {
    Destroying();
    if (fLog) fLog->push_back("free " + fTag);
  }

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (fLog && op == opRemove) fLog->push_back(fTag + " told of " + StringToUtf8(c->Name()));
  }

 private:
  std::vector<std::string>* fLog;
  std::string fTag;
};

TEST(TComponentOwnership, OwnersFreeWhatTheyOwnLastFirst) {
  std::vector<std::string> log;
  auto* root = new Recorder(nullptr, &log, "root");
  auto* a = new Recorder(root, &log, "a");
  auto* b = new Recorder(root, &log, "b");
  new Recorder(a, &log, "a1");
  a->SetName(u"A");
  b->SetName(u"B");
  EXPECT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(b->ComponentIndex(), 1);
  // Freeing an owned component takes it out of its owner's list, and the
  // owner is told.
  delete b;
  EXPECT_EQ(log, (std::vector<std::string>{"free b", "root told of B"}));
  EXPECT_EQ(root->ComponentCount(), 1);
  EXPECT_EQ(root->FindComponent(u"b"), nullptr);
  new Recorder(root, &log, "c");
  log.clear();
  delete root;
  EXPECT_EQ(log, (std::vector<std::string>{"free root", "free c", "free a", "free a1"}));
}

TEST(TComponentOwnership, NamesAreIdentifiersUniqueWithoutRegardToCase) {
  TComponent owner(nullptr);
  auto* x = new TComponent(&owner);
  auto* y = new TComponent(&owner);
  x->SetName(u"Yes");
  EXPECT_EQ(owner.FindComponent(u"YES"), x);
  EXPECT_THROW(y->SetName(u"yes"), EComponentError);
  EXPECT_THROW(y->SetName(u"1st"), EComponentError);
  EXPECT_THROW(y->SetName(u"No way"), EComponentError);
  y->SetName(u"_No2");
  EXPECT_EQ(y->Name(), u"_No2");
  // Moving a component to an owner that holds its name is refused.
  TComponent other(nullptr);
  auto* z = new TComponent(&other);
  z->SetName(u"yES");
  EXPECT_THROW(owner.InsertComponent(z), EComponentError);
  EXPECT_EQ(z->Owner(), &other);
  EXPECT_THROW(owner.Components(5), EListError);
}

TEST(TComponentOwnership, FreeNotificationTellsTheOtherSideEitherWay) {
  std::vector<std::string> log;
  auto* watcher = new Recorder(nullptr, &log, "watcher");
  auto* watched = new Recorder(nullptr, &log, "watched");
  watched->SetName(u"Watched");
  watcher->FreeNotification(watched);
  delete watched;
  EXPECT_EQ(log, (std::vector<std::string>{"free watched", "watcher told of Watched"}));
  delete watcher;
}

class Panel : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int resizes = 0;
  int painted = 0;
  TColor fill = clNone;
  bool throws = false;  // Paint fails after it has drawn, as a faulty host handler does
  std::vector<TMessage> messages;
  void WndProc(TMessage& m) override {
    messages.push_back(m);
    m.Result = static_cast<Int64>(m.Msg) + 1;
  }

 protected:
  void Resize() override {
    ++resizes;
    TCustomControl::Resize();
  }
  void Paint() override {
    ++painted;
    if (fill == clNone) return;
    Canvas().Brush().SetColor(fill);
    Canvas().FillRect(Rect(2, 2, 6, 5));
    Canvas().Pen().SetColor(0);
    Canvas().MoveTo(0, 0);
    Canvas().LineTo(4, 0);
    if (throws) throw std::runtime_error("paint failed");
  }
};

TEST(TControlTree, ParentsHoldTheirControlsAndFreeThem) {
  TestApplication();
  TForm form(nullptr);
  auto* panel = new Panel(&form);
  panel->SetParent(&form);
  auto* button = new TButton(nullptr);  // owned by nobody, freed with its parent
  button->SetParent(panel);
  EXPECT_EQ(form.ControlCount(), 1);
  EXPECT_EQ(panel->Controls(0), button);
  EXPECT_TRUE(form.ContainsControl(button));
  EXPECT_EQ(GetParentForm(button), &form);
  EXPECT_EQ(button->Widget()->parentWidget(), panel->Widget());
  EXPECT_THROW(panel->SetParent(panel), EInvalidOperation);
  auto* other = new TButton(&form);
  other->SetParent(panel);
  EXPECT_THROW(panel->SetParent(static_cast<TWinControl*>(other)), EInvalidOperation);
  delete other;
  EXPECT_EQ(panel->ControlCount(), 1);
  // Freeing the panel frees the button placed on it.
  delete panel;
  EXPECT_EQ(form.ControlCount(), 0);
  EXPECT_EQ(form.ComponentCount(), 0);
}

TEST(TControlTree, AlignedControlsShareTheClientAreaInOrder) {
  TestApplication();
  TForm form(nullptr);
  form.SetClientWidth(200);
  form.SetClientHeight(100);
  auto make = [&](TAlign a, int w, int h) {
    auto* c = new Panel(&form);
    c->SetBounds(0, 0, w, h);
    c->SetAlign(a);
    c->SetParent(&form);
    return c;
  };
  Panel* top = make(alTop, 10, 20);
  Panel* bottom = make(alBottom, 10, 15);
  Panel* left = make(alLeft, 30, 10);
  Panel* client = make(alClient, 1, 1);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 200, 20));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 85, 200, 100));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 20, 30, 85));
  EXPECT_EQ(client->BoundsRect(), Rect(30, 20, 200, 85));
  form.SetClientWidth(300);
  EXPECT_EQ(client->BoundsRect(), Rect(30, 20, 300, 85));
  top->Hide();
  EXPECT_EQ(left->BoundsRect(), Rect(0, 0, 30, 85));
  const int before = client->resizes;
  client->SetBounds(client->Left(), client->Top(), client->Width(), client->Height());
  EXPECT_EQ(client->resizes, before);
}

TEST(TControlTree, FontColourAndReadingDirectionFollowTheParentUntilSet) {
  TestApplication();
  TForm form(nullptr);
  auto* panel = new Panel(&form);
  panel->SetParent(&form);
  form.Font().SetSize(14);
  EXPECT_EQ(panel->Font().Size(), 14);
  EXPECT_TRUE(panel->ParentFont());
  panel->Font().SetStyle(static_cast<TFontStyles>(1u << fsItalic));
  EXPECT_FALSE(panel->ParentFont());
  form.Font().SetSize(8);
  EXPECT_EQ(panel->Font().Size(), 14);
  panel->SetParentFont(true);
  EXPECT_EQ(panel->Font().Size(), 8);
  EXPECT_EQ(panel->Widget()->font().pixelSize(), 11);

  auto* label = new TLabel(&form);
  label->SetParent(&form);
  form.SetColor(0x123456);
  EXPECT_EQ(label->Color(), 0x123456);
  label->SetColor(0x654321);
  form.SetColor(0x111111);
  EXPECT_EQ(label->Color(), 0x654321);

  form.SetBiDiMode(bdRightToLeft);
  EXPECT_TRUE(label->UseRightToLeftAlignment());
  EXPECT_TRUE(label->UseRightToLeftReading());
  label->SetBiDiMode(bdRightToLeftReadingOnly);
  EXPECT_FALSE(label->UseRightToLeftAlignment());
  EXPECT_TRUE(label->UseRightToLeftReading());
  EXPECT_TRUE(label->DrawTextFlags() & DT_RTLREADING);
}

QMouseEvent Mouse(QEvent::Type t, int x, int y, Qt::MouseButton b = Qt::LeftButton,
                  Qt::MouseButtons held = Qt::LeftButton) {
  return QMouseEvent(t, QPointF(x, y), QPointF(x, y), b, held, Qt::ShiftModifier);
}

TEST(TControlEvents, PressAndReleaseInsideMakeAClick) {
  TestApplication();
  TForm form(nullptr);
  auto* panel = new Panel(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 50, 50);
  std::vector<std::string> log;
  panel->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, Int32 x, Int32 y) {
    log.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y) +
                  ((s & ShiftBit(ssShift)) ? " shift" : "") + ((s & ShiftBit(ssDouble)) ? " double" : ""));
  };
  panel->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, Int32 x, Int32 y) {
    log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  };
  panel->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, panel);
    log.push_back("click");
  };
  panel->OnDblClick = [&](TObject*) { log.push_back("dblclick"); };
  QWidget* w = panel->Widget();
  auto send = [&](QMouseEvent e) { QApplication::sendEvent(w, &e); };
  send(Mouse(QEvent::MouseButtonPress, 5, 6));
  send(Mouse(QEvent::MouseButtonRelease, 7, 8, Qt::LeftButton, Qt::NoButton));
  send(Mouse(QEvent::MouseButtonPress, 5, 6));
  send(Mouse(QEvent::MouseButtonRelease, 70, 8, Qt::LeftButton, Qt::NoButton));  // outside: no click
  send(Mouse(QEvent::MouseButtonPress, 1, 1, Qt::RightButton, Qt::RightButton));
  send(Mouse(QEvent::MouseButtonRelease, 1, 1, Qt::RightButton, Qt::NoButton));  // right: no click
  send(Mouse(QEvent::MouseButtonDblClick, 2, 3));
  EXPECT_EQ(log, (std::vector<std::string>{"down 0 5,6 shift", "up 7,8", "click", "down 0 5,6 shift", "up 70,8",
                                           "down 1 1,1 shift", "up 1,1", "dblclick", "down 0 2,3 shift double"}));
}

TEST(TControlEvents, AHandlerMayFreeItsOwnControl) {
  TestApplication();
  TForm form(nullptr);
  auto* panel = new Panel(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 50, 50);
  bool clicked = false;
  panel->OnMouseUp = [&](TObject* sender, TMouseButton, TShiftState, Int32, Int32) { delete sender; };
  panel->OnClick = [&](TObject*) { clicked = true; };
  QWidget* w = panel->Widget();
  QMouseEvent down = Mouse(QEvent::MouseButtonPress, 5, 5);
  QApplication::sendEvent(w, &down);
  QMouseEvent up = Mouse(QEvent::MouseButtonRelease, 5, 5, Qt::LeftButton, Qt::NoButton);
  QApplication::sendEvent(w, &up);
  EXPECT_FALSE(clicked);
  EXPECT_EQ(form.ControlCount(), 0);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(TControlEvents, AClickMayFreeTheFormThatHoldsTheButton) {
  TestApplication();
  auto* form = new TForm(nullptr);
  auto* panel = new Panel(form);
  panel->SetParent(form);
  auto* button = new TButton(form);
  button->SetParent(panel);
  bool clicked = false;
  button->OnClick = [&](TObject*) {
    clicked = true;
    delete form;
  };
  QWidget* w = button->Widget();
  QMouseEvent down(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(w, &down);
  QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                 Qt::NoModifier);
  QApplication::sendEvent(w, &up);
  EXPECT_TRUE(clicked);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(TControlEvents, KeysReachTheControlAfterTheFormsPreview) {
  TestApplication();
  TForm form(nullptr);
  auto* panel = new Panel(&form);
  panel->SetParent(&form);
  std::vector<std::string> log;
  form.OnKeyDown = [&](TObject*, Word& key, TShiftState) {
    log.push_back("form " + std::to_string(key));
    if (key == 'X') key = 0;
  };
  panel->OnKeyDown = [&](TObject*, Word& key, TShiftState s) {
    log.push_back("panel " + std::to_string(key) + ((s & ShiftBit(ssCtrl)) ? " ctrl" : ""));
  };
  panel->OnKeyPress = [&](TObject*, Char& c) { log.push_back(std::string("press ") + static_cast<char>(c)); };
  QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
  QApplication::sendEvent(panel->Widget(), &a);
  form.SetKeyPreview(true);
  QKeyEvent x(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
  QApplication::sendEvent(panel->Widget(), &x);
  QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
  QApplication::sendEvent(panel->Widget(), &f1);
  // Keys the panel leaves unused go no further: the form sees only what it
  // previews.
  EXPECT_EQ(log, (std::vector<std::string>{"panel 65 ctrl", "press a", "form 88", "form 112", "panel 112"}));
}

TEST(TControlMessages, SentAtOnceAndPostedThroughTheQueue) {
  TestApplication();
  TForm form(nullptr);
  auto* panel = new Panel(&form);
  EXPECT_EQ(SendMessage(panel, WM_USER + 5000, 7, -3), WM_USER + 5001);
  ASSERT_EQ(panel->messages.size(), 1u);
  EXPECT_EQ(panel->messages[0].WParam, 7u);
  EXPECT_EQ(panel->messages[0].LParam, -3);
  EXPECT_TRUE(PostMessage(panel, WM_USER + 5010, 1, 2));
  EXPECT_EQ(panel->messages.size(), 1u);
  QCoreApplication::processEvents();
  ASSERT_EQ(panel->messages.size(), 2u);
  EXPECT_EQ(panel->messages[1].Msg, WM_USER + 5010);
  // A message whose target goes before it arrives is dropped.
  EXPECT_TRUE(PostMessage(panel, WM_USER + 1, 0, 0));
  delete panel;
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
  EXPECT_EQ(SendMessage(nullptr, WM_USER, 0, 0), 0);
}

TEST(TCustomControlPaint, PaintDrawsOverTheControlsColour) {
  TestApplication();
  TForm form(nullptr);
  auto* panel = new Panel(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 8, 6);
  panel->SetColor(0x00FF00);
  panel->fill = 0x0000FF;
  const QImage img = Rendered(*panel);
  ASSERT_EQ(img.width(), 8);
  EXPECT_GE(panel->painted, 1);
  std::string rows;
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      const TColor c = PixelOf(img, x, y);
      rows += c == 0x00FF00 ? '.' : c == 0x0000FF ? 'r' : c == 0 ? '#' : '?';
    }
    rows += '\n';
  }
  EXPECT_EQ(rows,
            "####....\n"
            "........\n"
            "..rrrr..\n"
            "..rrrr..\n"
            "..rrrr..\n"
            "........\n");
  // Outside Paint the canvas measures but draws nothing.
  EXPECT_FALSE(panel->Canvas().CanDraw());
  EXPECT_GT(panel->Canvas().TextWidth(u"abc"), 0);
}

// A Paint that throws leaves the canvas without the surface of the frame that
// is gone, and the control paints again afterwards.
TEST(TCustomControlPaint, AThrowingPaintLeavesTheCanvasWithoutItsSurface) {
  TestApplication();
  TForm form(nullptr);
  auto* panel = new Panel(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 8, 6);
  panel->SetColor(0x00FF00);
  panel->fill = 0x0000FF;
  panel->throws = true;
  EXPECT_THROW(panel->RoutePaint(nullptr), std::runtime_error);
  EXPECT_EQ(panel->Canvas().Surface(), nullptr);
  EXPECT_GT(panel->Canvas().TextWidth(u"abc"), 0);  // the canvas still measures
  panel->throws = false;
  EXPECT_EQ(PixelOf(Rendered(*panel), 3, 3), 0x0000FF);
  EXPECT_EQ(panel->Canvas().Surface(), nullptr);
}

TEST(TLabelText, AutoSizeTakesTheTextsLinesAndCarriageReturnsBreakThem) {
  TestApplication();
  TForm form(nullptr);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  label->SetCaption(u"first line");
  const Int32 lh = label->Canvas().TextHeight(u"X");
  EXPECT_EQ(label->Height(), lh);
  EXPECT_EQ(label->Width(), label->Canvas().TextWidth(u"first line"));
  label->SetCaption(u"first\rsecond line");
  EXPECT_EQ(label->Caption(), u"first\rsecond line");
  EXPECT_EQ(label->Height(), 2 * lh);
  EXPECT_EQ(label->Width(), label->Canvas().TextWidth(u"second line"));
  label->SetCaption(u"");
  EXPECT_EQ(label->Height(), lh);
  // "&" marks an access key unless ShowAccelChar is off.
  label->SetCaption(u"&Save");
  EXPECT_EQ(label->Width(), label->Canvas().TextWidth(u"Save"));
  label->SetShowAccelChar(false);
  EXPECT_EQ(label->Width(), label->Canvas().TextWidth(u"&Save"));
  // A right-justified label keeps its right edge.
  label->SetBounds(100, 0, label->Width(), label->Height());
  label->SetAlignment(taRightJustify);
  const Int32 right = label->Left() + label->Width();
  label->SetCaption(u"&Save it");
  EXPECT_EQ(label->Left() + label->Width(), right);
}

TEST(TTimerTicks, FiresWhileEnabledAndMayFreeItselfInItsHandler) {
  TestApplication();
  TComponent owner(nullptr);
  auto* timer = new TTimer(&owner);
  timer->SetName(u"Clock");
  EXPECT_EQ(timer->Interval(), 1000u);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_FALSE(timer->Active());  // no handler yet
  int ticks = 0;
  timer->SetInterval(5);
  timer->SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, timer);
    if (++ticks == 3) delete timer;
  });
  EXPECT_TRUE(timer->Active());
  ProcessEventsFor(120);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(owner.ComponentCount(), 0);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  auto* quiet = new TTimer(&owner);
  int quietTicks = 0;
  quiet->SetInterval(5);
  quiet->SetOnTimer([&](TObject*) { ++quietTicks; });
  quiet->SetEnabled(false);
  ProcessEventsFor(40);
  EXPECT_EQ(quietTicks, 0);
}

TEST(TImageListImages, MaskedImagesLeaveTheirMaskColourUntouched) {
  TestApplication();
  TImageList list(nullptr, 2, 1);
  TBitmap strip(4, 1);
  strip.Canvas().Brush().SetColor(0xFFFFFF);
  strip.Canvas().FillRect(Rect(0, 0, 4, 1));
  strip.Canvas().SetPixel(1, 0, 0x0000FF);
  strip.Canvas().SetPixel(2, 0, 0xFF0000);
  EXPECT_EQ(list.AddMasked(strip, clDefault), 0);  // the bottom-left pixel is the mask colour
  EXPECT_EQ(list.Count(), 2);
  TBitmap target(4, 1);
  target.Canvas().Brush().SetColor(0x00FF00);
  target.Canvas().FillRect(Rect(0, 0, 4, 1));
  list.Draw(target.Canvas(), 0, 0, 0);
  list.Draw(target.Canvas(), 2, 0, 1);
  list.Draw(target.Canvas(), 0, 0, 9);  // outside the list: nothing
  EXPECT_EQ(target.Canvas().Pixel(0, 0), 0x00FF00);
  EXPECT_EQ(target.Canvas().Pixel(1, 0), 0x0000FF);
  EXPECT_EQ(target.Canvas().Pixel(2, 0), 0xFF0000);
  EXPECT_EQ(target.Canvas().Pixel(3, 0), 0x00FF00);
  TBitmap out;
  EXPECT_TRUE(list.GetBitmap(1, out));
  EXPECT_EQ(out.Width(), 2);
  EXPECT_FALSE(list.GetBitmap(2, out));
  EXPECT_THROW(list.Delete(5), EListError);
  list.SetSize(16, 16);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Add(TBitmap(), nullptr), -1);
}

TEST(TypedAheadInput, FlushingDropsTheWindowsWaitingKeys) {
  TestApplication();
  TForm form(nullptr);
  auto* panel = new Panel(&form);
  panel->SetParent(&form);
  auto* other = new Panel(&form);
  other->SetParent(&form);
  int panelKeys = 0, otherKeys = 0;
  panel->OnKeyDown = [&](TObject*, Word&, TShiftState) { ++panelKeys; };
  other->OnKeyDown = [&](TObject*, Word&, TShiftState) { ++otherKeys; };
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::postEvent(panel->Widget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
    QCoreApplication::postEvent(other->Widget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier));
  }
  FlushPendingInput(panel->Handle(), 256, 265);
  QCoreApplication::processEvents();
  EXPECT_EQ(panelKeys, 0);
  EXPECT_EQ(otherKeys, 3);
  // Mouse input of the window stays when only keys are flushed.
  int downs = 0;
  panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Int32, Int32) { ++downs; };
  QCoreApplication::postEvent(panel->Widget(), new QMouseEvent(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1),
                                                               Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  FlushPendingInput(panel->Handle(), 256, 265);
  QCoreApplication::processEvents();
  EXPECT_EQ(downs, 1);
}

TEST(SystemColours, ThemeRolesAndCaptionGradientsComeFromThePalette) {
  QApplication* app = TestApplication();
  const QPalette saved = QApplication::palette();
  QPalette p = saved;
  p.setColor(QPalette::Base, QColor(200, 100, 0));
  p.setColor(QPalette::Text, QColor(1, 2, 3));
  p.setColor(QPalette::Highlight, QColor(0, 100, 200));
  p.setColor(QPalette::HighlightedText, QColor(9, 8, 7));
  p.setColor(QPalette::Button, QColor(50, 60, 70));
  p.setColor(QPalette::Dark, QColor(11, 22, 33));
  WatchSystemColors();
  QApplication::setPalette(p);
  QCoreApplication::processEvents();
  EXPECT_EQ(ColorToRGB(clWindow), 0x0064C8);
  EXPECT_EQ(ColorToRGB(clWindowText), 0x030201);
  EXPECT_EQ(ColorToRGB(clHighlight), 0xC86400);
  EXPECT_EQ(ColorToRGB(clHighlightText), 0x070809);
  EXPECT_EQ(ColorToRGB(clBtnFace), 0x463C32);
  EXPECT_EQ(ColorToRGB(clBtnShadow), 0x21160B);
  EXPECT_EQ(ColorToRGB(clGradientActiveCaption), 0x646464);  // (100, 100, 100)
  EXPECT_EQ(ColorToRGB(clGradientInactiveCaption), 0x463C32);
  QApplication::setPalette(saved);
  QCoreApplication::processEvents();
  ResetSysColors();
  (void)app;
}

TEST(MessageBeepSound, TheHandlerIsReplaceable) {
  std::vector<Cardinal> beeps;
  TMessageBeepHandler previous = SetMessageBeepHandler([&](Cardinal type) { beeps.push_back(type); });
  EXPECT_TRUE(MessageBeep(0));
  EXPECT_TRUE(MessageBeep(0x30));
  SetMessageBeepHandler(previous);
  EXPECT_EQ(beeps, (std::vector<Cardinal>{0, 0x30}));
}

// A hint's tool tip shows the hint as it is, also a hint that looks like
// markup, and within the screen, also a long one: on a control and on an
// edit's right button.
TEST(ControlHints, TheToolTipShowsTheHintAsItIs) {
  TestApplication();
  TForm form(nullptr);
  auto* button = new TButton(&form);
  button->SetParent(&form);
  button->SetShowHint(true);
  auto* edit = new TButtonedEdit(&form);
  edit->SetParent(&form);
  edit->RightButton().SetVisible(true);
  form.Widget()->show();
  // The hint as the tip's label draws it; a tip wider than the screen fails.
  auto shown = [](QWidget* w) {
    QToolTip::showText(w->mapToGlobal(QPoint(1, 1)), w->toolTip(), w);
    QLabel* tip = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->inherits("QTipLabel") && top->isVisible()) tip = static_cast<QLabel*>(top);
    if (tip == nullptr) return String(u"(no tip)");
    EXPECT_LE(tip->width(), tip->screen()->geometry().width());
    QTextDocument doc;
    Qt::mightBeRichText(tip->text()) ? doc.setHtml(tip->text()) : doc.setPlainText(tip->text());
    return FromQString(doc.toPlainText());
  };
  String lines;
  for (int i = 0; i < 12; ++i) lines += u" A word list of the run is read again before it is sorted.";
  for (const String& hint : {String(u"Back"), String(u"<s> marks a sentence"), String(u"Tags such as <head> are skipped"),
                             String(u"<p>first  line\nA &amp; B"), u"Tags such as <head> are skipped." + lines + u"\nLast."}) {
    button->SetHint(hint);
    edit->RightButton().SetHint(hint);
    EXPECT_EQ(shown(button->Widget()), hint);
    EXPECT_EQ(shown(edit->Widget()->findChildren<QWidget*>().back()), hint);
  }
  QToolTip::hideText();
}

}  // namespace
}  // namespace sk
