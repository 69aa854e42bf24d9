#include "platform/visual/StandardControls.h"

#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <algorithm>

#include "platform/visual/PainterSurface.h"
#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

bool StillOwns(QWidget* w, const TControl* c) {
  TWidgetBridge* b = TWidgetBridge::Of(w);
  return b != nullptr && b->Control() == c;
}

// A push button that lets its control draw over it.
class TButtonWidget : public TBridgedWidget<QPushButton> {
 public:
  explicit TButtonWidget(TControl* control) : TBridgedWidget<QPushButton>(control) {}

 protected:
  void paintEvent(QPaintEvent* e) override {
    TBridgedWidget<QPushButton>::paintEvent(e);
    if (auto* b = dynamic_cast<TButton*>(Control())) {
      Depth depth(*this);
      QPainter painter(this);
      b->PaintOver(&painter, TSize{width(), height()});
    }
  }
};

// A check box whose user clicks go through its control's Toggle.
class TCheckBoxWidget : public TBridgedWidget<QCheckBox> {
 public:
  explicit TCheckBoxWidget(TControl* control) : TBridgedWidget<QCheckBox>(control) {}

 protected:
  void nextCheckState() override {
    if (auto* c = dynamic_cast<TCheckBox*>(Control())) {
      Depth depth(*this);
      c->Toggle();
    }
  }
};

}  // namespace

// ---------------------------------------------------------------------------

TButton::TButton(TComponent* owner) : TWinControl(owner, [](TControl* c) -> QWidget* { return new TButtonWidget(c); }) {
  auto* b = static_cast<QPushButton*>(Widget());
  b->setAutoDefault(false);
  QObject::connect(b, &QPushButton::clicked, b, [this, b] {
    if (StillOwns(b, this)) Perform(CN_COMMAND, UInt64(BN_CLICKED) << 16, 0);
  });
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

TButton::~TButton() { Destroying(); }

void TButton::SetDefault(bool d) {
  fDefault = d;
  if (auto* b = static_cast<QPushButton*>(Widget())) b->setDefault(d);
}

void TButton::Click() {
  if (fModalResult != mrNone)
    if (TForm* form = GetParentForm(this)) form->SetModalResult(fModalResult);
  TWinControl::Click();
}

void TButton::SetText(const String& s) {
  TWinControl::SetText(s);
  if (auto* b = static_cast<QPushButton*>(Widget())) b->setText(ToQString(s));
}

void TButton::WndProc(TMessage& message) {
  auto* b = static_cast<QPushButton*>(Widget());
  switch (message.Msg) {
    case CN_COMMAND:
      if (((message.WParam >> 16) & 0xFFFF) == BN_CLICKED) Click();
      return;
    case BM_SETCHECK:
      if (b != nullptr && fPushLike) b->setChecked(message.WParam == BST_CHECKED);
      return;
    case BM_GETCHECK:
      message.Result = Down() ? BST_CHECKED : BST_UNCHECKED;
      return;
    default: TWinControl::WndProc(message);
  }
}

void TButton::SetPushLike(bool p) {
  fPushLike = p;
  if (auto* b = static_cast<QPushButton*>(Widget())) b->setCheckable(p);
}

bool TButton::Down() const {
  auto* b = static_cast<QPushButton*>(Widget());
  return b != nullptr && fPushLike && b->isChecked();
}

void TButton::PaintOver(QPainter* painter, TSize extent) {
  if (!fOverlayCanvas) fOverlayCanvas = std::make_unique<TCanvas>();
  TCanvasOnPainter on(*fOverlayCanvas, painter, extent);
  fOverlayCanvas->Font().Assign(Font());
  fOverlayCanvas->Brush().SetStyle(bsClear);
  PaintOverlay(*fOverlayCanvas);
}

// ---------------------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner, [](TControl* c) -> QWidget* { return new TCheckBoxWidget(c); }) {
  auto* box = static_cast<QCheckBox*>(Widget());
  QObject::connect(box, &QCheckBox::stateChanged, box, [this, box](int state) {
    if (StillOwns(box, this)) StateFromWidget(state);
  });
  SetTabStop(true);
  SetBounds(0, 0, 97, 17);
}

TCheckBox::~TCheckBox() { Destroying(); }

void TCheckBox::StateFromWidget(int qtState) {
  const TCheckBoxState s = qtState == Qt::Checked ? cbChecked : qtState == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
  if (s == fState) return;
  fState = s;
  Click();
}

void TCheckBox::SetState(TCheckBoxState s) {
  if (s == fState) return;
  auto* box = static_cast<QCheckBox*>(Widget());
  if (box == nullptr) {
    fState = s;
    Click();
    return;
  }
  if (s == cbGrayed) box->setTristate(true);
  box->setCheckState(s == cbChecked ? Qt::Checked : s == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
}

void TCheckBox::SetAllowGrayed(bool a) {
  fAllowGrayed = a;
  if (auto* box = static_cast<QCheckBox*>(Widget())) box->setTristate(a || fState == cbGrayed);
}

void TCheckBox::Toggle() {
  switch (fState) {
    case cbUnchecked: SetState(fAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCheckBox::SetText(const String& s) {
  TWinControl::SetText(s);
  if (auto* box = static_cast<QCheckBox*>(Widget())) box->setText(ToQString(s));
}

// ---------------------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 65, 17);
  SetParentColor(true);
}

TLabel::~TLabel() { Destroying(); }

void TLabel::SetAutoSize(bool a) {
  if (a == fAutoSize) return;
  fAutoSize = a;
  AdjustBounds();
}

void TLabel::SetWordWrap(bool w) {
  if (w == fWordWrap) return;
  fWordWrap = w;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetAlignment(TAlignment a) {
  if (a == fAlignment) return;
  fAlignment = a;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout l) {
  if (l == fLayout) return;
  fLayout = l;
  Invalidate();
}

void TLabel::SetTransparent(bool t) {
  if (t == fTransparent) return;
  fTransparent = t;
  Invalidate();
}

void TLabel::SetBreakWithinWords(bool b) {
  if (b == fBreakWithinWords) return;
  fBreakWithinWords = b;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetShowAccelChar(bool s) {
  if (s == fShowAccelChar) return;
  fShowAccelChar = s;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetFocusControl(TWinControl* c) {
  if (fFocusControl != nullptr) RemoveFreeNotification(fFocusControl);
  fFocusControl = c;
  if (c != nullptr) FreeNotification(c);
}

void TLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == fFocusControl) fFocusControl = nullptr;
}

Cardinal TLabel::DrawTextFlags() const {
  Cardinal flags = DT_EXPANDTABS;
  if (fWordWrap) flags |= DT_WORDBREAK;
  if (fWordWrap && fBreakWithinWords) flags |= DT_BREAKWITHINWORDS;
  TAlignment a = fAlignment;
  if (UseRightToLeftAlignment() && a != taCenter) a = a == taLeftJustify ? taRightJustify : taLeftJustify;
  if (a == taCenter) flags |= DT_CENTER;
  if (a == taRightJustify) flags |= DT_RIGHT;
  if (!fShowAccelChar) flags |= DT_NOPREFIX;
  if (UseRightToLeftReading()) flags |= DT_RTLREADING;
  return flags;
}

void TLabel::AdjustBounds() {
  if (!fAutoSize || InState(csLoading) || InState(csDestroying)) return;
  TCanvas& c = Canvas();
  c.Font().Assign(Font());
  // An empty caption is measured as one blank, so the label keeps a line's height.
  const String text = Caption().empty() ? String(1, u' ') : Caption();
  TRect r{0, 0, fWordWrap ? Width() : 0, 0};
  c.DrawText(text, r, DrawTextFlags() | DT_CALCRECT);
  Int32 x = Left();
  if (fAlignment == taRightJustify && !fWordWrap) x = Left() + Width() - r.Right;
  SetBounds(x, Top(), fWordWrap ? Width() : r.Right, r.Bottom);
}

void TLabel::TextChanged() { AdjustBounds(); }

void TLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
}

void TLabel::Paint() {
  TCanvas& c = Canvas();
  const TRect client = ClientRect();
  if (!fTransparent) {
    c.Brush().SetColor(Color());
    c.Brush().SetStyle(bsSolid);
    c.FillRect(client);
  }
  c.Brush().SetStyle(bsClear);
  TRect r = client;
  const Cardinal flags = DrawTextFlags();
  if (fLayout != tlTop) {
    TRect calc = client;
    c.DrawText(Caption(), calc, flags | DT_CALCRECT);
    const Int32 h = calc.Bottom - calc.Top;
    r.Top = fLayout == tlBottom ? client.Bottom - h : (client.Bottom - h) / 2;
  }
  if (!Enabled()) c.Font().SetColor(clGrayText);
  c.DrawText(Caption(), r, flags);
}

// ---------------------------------------------------------------------------

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
  fPicture.OnChange = [this](TObject*) { Invalidate(); };
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { Destroying(); }

void TImage::SetStretch(bool s) {
  fStretch = s;
  Invalidate();
}

void TImage::SetCenter(bool c) {
  fCenter = c;
  Invalidate();
}

void TImage::SetProportional(bool p) {
  fProportional = p;
  Invalidate();
}

void TImage::Paint() {
  const TGraphic* g = fPicture.Graphic();
  if (g == nullptr || g->Empty()) return;
  Int32 w = g->Width(), h = g->Height();
  const Int32 cw = ClientWidth(), ch = ClientHeight();
  if (fStretch || (fProportional && (w > cw || h > ch))) {
    if (fProportional && w > 0 && h > 0) {
      const double scale = std::min(double(cw) / w, double(ch) / h);
      w = static_cast<Int32>(w * scale);
      h = static_cast<Int32>(h * scale);
    } else {
      w = cw;
      h = ch;
    }
  }
  Int32 x = 0, y = 0;
  if (fCenter) {
    x = (cw - w) / 2;
    y = (ch - h) / 2;
  }
  Canvas().StretchDraw(TRect{x, y, x + w, y + h}, *g);
}

}  // namespace sk
