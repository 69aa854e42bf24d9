#include "platform/visual/Forms.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>
#include <QtGui/QCursor>
#include <QtGui/QGuiApplication>
#include <QtGui/QIcon>
#include <QtGui/QScreen>
#include <QtGui/QWindow>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <algorithm>
#include <set>

#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"
#include "platform/visual/Screen.h"
#include "platform/visual/StandardControls.h"

namespace sk {

namespace {

TModalHook& ModalHook() {
  static TModalHook hook;
  return hook;
}

TMessageBeepHandler& BeepHandler() {
  static TMessageBeepHandler handler;
  return handler;
}

QWidget* MakeFormWidget(TControl* control) {
  QWidget* w = MakeBridged<QWidget>(control);
  w->setWindowFlags(Qt::Window);
  return w;
}

TRect ScreenRect() {
  if (QScreen* s = QGuiApplication::primaryScreen()) return FromQRect(s->geometry());
  return TRect{0, 0, 800, 600};
}

TControl* ControlOfWidget(QWidget* w) {
  for (; w != nullptr; w = w->parentWidget())
    if (TWidgetBridge* b = TWidgetBridge::Of(w)) return b->Control();
  return nullptr;
}

// Every button on the control and the controls it holds, in placing order.
void CollectButtons(TControl* c, std::vector<TButton*>& out) {
  if (auto* b = dynamic_cast<TButton*>(c)) out.push_back(b);
  if (auto* wc = dynamic_cast<TWinControl*>(c))
    for (Int32 i = 0; i < wc->ControlCount(); ++i) CollectButtons(wc->Controls(i), out);
}

}  // namespace

// ---------------------------------------------------------------------------

TForm::TForm(TComponent* owner) : TCustomControl(owner, &MakeFormWidget) {
  TControl::SetVisible(false);
  SetParentFont(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
  Screen().fForms.push_back(this);
}

TForm::~TForm() {
  Destroying();
  auto& forms = Screen().fForms;
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  if (Application().fMainForm == this) Application().fMainForm = nullptr;
  if (fModalLoop != nullptr) fModalLoop->exit(mrCancel);
  fModalLoop = nullptr;
}

void TForm::ApplyGeometry() {
  if (QWidget* w = Widget()) w->setGeometry(Left(), Top(), Width(), Height());
}

void TForm::SetText(const String& s) {
  TCustomControl::SetText(s);
  if (QWidget* w = Widget()) w->setWindowTitle(ToQString(s));
}

void TForm::SetVisible(bool v) {
  if (v == Visible()) return;
  QWidget* w = Widget();
  if (v) {
    if (!fPlaced) {
      PlaceByPosition();
      fPlaced = true;
    }
    if (w != nullptr && fIcon && !fIcon->QtIcon().isNull()) w->setWindowIcon(fIcon->QtIcon());
    TCustomControl::SetVisible(true);
    // The offscreen platform (tests, hosts without a display) has no window
    // stacking to raise in.
    if (w != nullptr && QGuiApplication::platformName() != QLatin1String("offscreen")) {
      w->raise();
      w->activateWindow();
    }
    if (fActiveControl != nullptr && fActiveControl->CanFocus()) fActiveControl->SetFocus();
    DoShow();
  } else {
    TCustomControl::SetVisible(false);
    DoHide();
  }
}

void TForm::Show() { SetVisible(true); }

void TForm::SetBorderStyle(TFormBorderStyle s) {
  if (s == fBorderStyle) return;
  fBorderStyle = s;
  QWidget* w = Widget();
  if (w == nullptr) return;
  Qt::WindowFlags flags = Qt::Window;
  switch (s) {
    case bsNone: flags |= Qt::FramelessWindowHint; break;
    case bsDialog: flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    case bsToolWindow:
    case bsSizeToolWin: flags = Qt::Tool; break;
    default: break;
  }
  const bool shown = w->isVisible();
  w->setWindowFlags(flags);
  ApplyGeometry();
  if (shown) w->show();
}

void TForm::SetWindowState(TWindowState s) {
  fWindowState = s;
  if (QWidget* w = Widget())
    w->setWindowState(s == wsMinimized ? Qt::WindowMinimized : s == wsMaximized ? Qt::WindowMaximized : Qt::WindowNoState);
}

void TForm::SetActiveControl(TWinControl* c) {
  if (fActiveControl != nullptr) RemoveFreeNotification(fActiveControl);
  fActiveControl = c;
  if (c != nullptr) {
    FreeNotification(c);
    if (Visible() && c->CanFocus()) c->SetFocus();
  }
}

void TForm::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == opRemove && component == fActiveControl) fActiveControl = nullptr;
}

TIcon& TForm::Icon() {
  if (!fIcon) fIcon = std::make_unique<TIcon>();
  return *fIcon;
}

void TForm::PlaceByPosition() {
  TRect around;
  switch (fPosition) {
    case poScreenCenter:
    case poDesktopCenter: around = ScreenRect(); break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TForm* centre = fPosition == poOwnerFormCenter ? dynamic_cast<TForm*>(Owner()) : nullptr;
      if (centre == nullptr || centre == this) centre = Application().MainForm();
      around = centre != nullptr && centre != this ? centre->BoundsRect() : ScreenRect();
      break;
    }
    default: return;
  }
  // Kept on the screen: a form centred on one near the screen's edge is
  // moved in, and one larger than the screen starts at its top left.
  const TRect screen = ScreenRect();
  const Int32 left = around.Left + (around.Right - around.Left - Width()) / 2;
  const Int32 top = around.Top + (around.Bottom - around.Top - Height()) / 2;
  SetBounds(std::max(screen.Left, std::min(left, screen.Right - Width())),
            std::max(screen.Top, std::min(top, screen.Bottom - Height())), Width(), Height());
}

TModalResult TForm::ShowModal() {
  if (Visible() || Modal()) throw EInvalidOperation(u"Cannot make a visible window modal");
  QWidget* w = Widget();
  if (w == nullptr) throw EInvalidOperation(u"The form's window is gone");
  fModalResult = mrNone;
  PlaceByPosition();
  fPlaced = true;
  w->setWindowModality(Qt::ApplicationModal);
  if (auto* owner = dynamic_cast<TForm*>(Owner()); owner != nullptr && owner->Widget() != nullptr) {
    w->winId();
    if (w->windowHandle() != nullptr && owner->Widget()->windowHandle() != nullptr)
      w->windowHandle()->setTransientParent(owner->Widget()->windowHandle());
  }
  // The form may be freed while its loop runs (its owner going, say): the
  // widget then goes too, or lets go of the form.
  TWidgetBridge* bridge = TWidgetBridge::Of(w);
  QPointer<QWidget> guard(w);
  auto alive = [&guard, bridge, this] { return guard && bridge != nullptr && bridge->Control() == this; };
  // Every way out (an exception from any handler that runs while the form is
  // shown included, which still reaches the caller) leaves the form modeless:
  // the loop, which lives on this frame, forgotten, the modal level restored,
  // the form hidden. A second failure while hiding on the way out of the
  // first is dropped, so that the first one is the one the caller sees.
  bool counted = false;
  auto finish = [&] {
    if (counted) {
      --Application().fModalLevel;
      counted = false;
    }
    if (!alive()) {
      if (guard) guard->setWindowModality(Qt::NonModal);
      return false;
    }
    fModalLoop = nullptr;
    SetVisible(false);
    if (guard) guard->setWindowModality(Qt::NonModal);
    return true;
  };
  struct OnUnwind {
    decltype(finish)& f;
    bool armed = true;
    ~OnUnwind() {
      if (!armed) return;
      try {
        f();
      } catch (...) {
      }
    }
  } onUnwind{finish};
  SetVisible(true);
  TModalResult result = fModalResult;
  if (alive() && fModalResult == mrNone) {
    QEventLoop loop;
    fModalLoop = &loop;
    ++Application().fModalLevel;
    counted = true;
    QTimer::singleShot(0, &loop, [this, &loop] {
      if (fModalLoop == &loop && fModalResult == mrNone && ModalHook()) {
        const TModalHook hook = ModalHook();
        hook(*this);
      }
    });
    loop.exec();
    --Application().fModalLevel;
    counted = false;
    if (!alive()) {
      onUnwind.armed = false;
      if (guard) guard->setWindowModality(Qt::NonModal);
      return mrCancel;
    }
    fModalLoop = nullptr;
    result = fModalResult;
  }
  onUnwind.armed = false;
  finish();
  return result;
}

void TForm::SetModalResult(TModalResult r) {
  fModalResult = r;
  if (r == mrNone || fModalLoop == nullptr) return;
  if (!CloseQuery()) {
    fModalResult = mrNone;
    return;
  }
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) {
    fModalResult = mrNone;
    return;
  }
  fModalLoop->quit();
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  if (Modal()) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  switch (action) {
    case caHide: SetVisible(false); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

void TForm::WindowCloseRequested() { Close(); }

void TForm::Release() {
  QWidget* w = Widget();
  if (w == nullptr) return;
  TWidgetBridge* bridge = TWidgetBridge::Of(w);
  QPointer<QWidget> guard(w);
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [guard, bridge, this] {
        if (guard && bridge != nullptr && bridge->Control() == this) delete this;
      },
      Qt::QueuedConnection);
}

void TForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TForm::Paint() {
  if (OnPaint) OnPaint(this);
}

bool TForm::DialogKey(Word key, TShiftState shift) {
  (void)shift;
  if (key != VK_RETURN && key != VK_ESCAPE) return false;
  std::vector<TButton*> buttons;
  CollectButtons(this, buttons);
  if (key == VK_RETURN) {
    if (auto* focused = dynamic_cast<TButton*>(ControlOfWidget(QApplication::focusWidget()));
        focused != nullptr && GetParentForm(focused) == this) {
      focused->Click();
      return true;
    }
    for (TButton* b : buttons)
      if (b->Default() && b->Visible() && b->Enabled()) {
        b->Click();
        return true;
      }
    return false;
  }
  for (TButton* b : buttons)
    if (b->Cancel() && b->Visible() && b->Enabled()) {
      b->Click();
      return true;
    }
  return false;
}

// ---------------------------------------------------------------------------

TModalHook SetModalHook(TModalHook hook) {
  TModalHook previous = std::move(ModalHook());
  ModalHook() = std::move(hook);
  return previous;
}

TComponent* FindNamedComponent(TComponent& root, const String& name) {
  std::vector<TComponent*> queue{&root};
  std::set<TComponent*> seen{&root};
  for (size_t k = 0; k < queue.size(); ++k) {
    TComponent* c = queue[k];
    if (c != &root) {
      const String& n = c->Name();
      if (n.size() == name.size()) {
        bool same = true;
        for (size_t i = 0; i < n.size() && same; ++i) {
          Char x = n[i], y = name[i];
          if (x >= u'a' && x <= u'z') x = static_cast<Char>(x - 32);
          if (y >= u'a' && y <= u'z') y = static_cast<Char>(y - 32);
          same = x == y;
        }
        if (same && !n.empty()) return c;
      }
    }
    for (Int32 i = 0; i < c->ComponentCount(); ++i)
      if (seen.insert(c->Components(i)).second) queue.push_back(c->Components(i));
    if (auto* wc = dynamic_cast<TWinControl*>(c))
      for (Int32 i = 0; i < wc->ControlCount(); ++i)
        if (seen.insert(wc->Controls(i)).second) queue.push_back(wc->Controls(i));
  }
  return nullptr;
}

bool PressButton(TForm& form, const String& name) {
  auto* b = dynamic_cast<TButton*>(FindNamedComponent(form, name));
  if (b == nullptr) return false;
  b->Click();
  return true;
}

// ---------------------------------------------------------------------------

void TApplication::ProcessMessages() {
  if (ApplicationExists()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

TIcon& TApplication::Icon() {
  if (!fIcon) fIcon = std::make_unique<TIcon>();
  return *fIcon;
}

String TApplication::Title() const {
  if (!fTitle.empty() || QCoreApplication::instance() == nullptr) return fTitle;
  return FromQString(QCoreApplication::applicationName());
}

void TApplication::SetTitle(const String& title) { fTitle = title; }

TApplication& Application() {
  static TApplication app;
  return app;
}

void TScreen::SetCursor(TCursor c) {
  if (c == fCursor) return;
  if (!ApplicationExists()) {
    fCursor = c;
    return;
  }
  if (fCursor != crDefault) QGuiApplication::restoreOverrideCursor();
  fCursor = c;
  if (c != crDefault) QGuiApplication::setOverrideCursor(QCursor(CursorShapeOf(c)));
}

Int32 TScreen::PixelsPerInch() const { return ScreenPixelsPerInch(); }

Int32 TScreen::Width() const { return ApplicationExists() ? ScreenRect().Right - ScreenRect().Left : 0; }

Int32 TScreen::Height() const { return ApplicationExists() ? ScreenRect().Bottom - ScreenRect().Top : 0; }

TForm* TScreen::ActiveForm() const {
  if (!ApplicationExists()) return nullptr;
  return dynamic_cast<TForm*>(ControlOfWidget(QApplication::activeWindow()));
}

TForm* TScreen::Forms(Int32 index) const {
  if (index < 0 || index >= FormCount()) RaiseListIndexError(index);
  return fForms[static_cast<size_t>(index)];
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

TMessageBeepHandler SetMessageBeepHandler(TMessageBeepHandler handler) {
  TMessageBeepHandler previous = std::move(BeepHandler());
  BeepHandler() = std::move(handler);
  return previous;
}

bool MessageBeep(Cardinal type) {
  if (BeepHandler()) {
    BeepHandler()(type);
    return true;
  }
  if (!ApplicationExists()) return false;
  QApplication::beep();
  return true;
}

}  // namespace sk
