#include "platform/visual/StandardControls.h"

#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <algorithm>

#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

bool StillOwns(QWidget* w, const TControl* c) {
  TWidgetBridge* b = TWidgetBridge::Of(w);
  return b != nullptr && b->Control() == c;
}

}  // namespace

// ---------------------------------------------------------------------------

TButton::TButton(TComponent* owner) : TWinControl(owner, &MakeBridged<QPushButton>) {
  auto* b = static_cast<QPushButton*>(Widget());
  b->setAutoDefault(false);
  QObject::connect(b, &QPushButton::clicked, b, [this, b] {
    if (StillOwns(b, this)) Click();
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

// ---------------------------------------------------------------------------

TEdit::TEdit(TComponent* owner) : TWinControl(owner, &MakeBridged<QLineEdit>) {
  SetTabStop(true);
  SetBounds(0, 0, 121, 21);
}

TEdit::~TEdit() { Destroying(); }

String TEdit::GetText() const {
  if (auto* e = static_cast<QLineEdit*>(Widget())) return FromQString(e->text());
  return TWinControl::GetText();
}

void TEdit::SetText(const String& s) {
  TWinControl::SetText(s);
  if (auto* e = static_cast<QLineEdit*>(Widget())) e->setText(ToQString(s));
}

void TEdit::SetMaxLength(Int32 n) {
  fMaxLength = std::max(0, n);
  // Qt's own limit stands for "none".
  if (auto* e = static_cast<QLineEdit*>(Widget())) e->setMaxLength(fMaxLength == 0 ? 32767 : fMaxLength);
}

void TEdit::SetPasswordChar(Char c) {
  fPasswordChar = c;
  auto* e = static_cast<QLineEdit*>(Widget());
  if (e == nullptr) return;
  e->setEchoMode(c == 0 ? QLineEdit::Normal : QLineEdit::Password);
  // The style's own mask character is replaced by the one asked for.
  e->setStyleSheet(c == 0 ? QString() : QStringLiteral("QLineEdit { lineedit-password-character: %1; }").arg(int(c)));
}

void TEdit::SelectAll() {
  if (auto* e = static_cast<QLineEdit*>(Widget())) e->selectAll();
}

String TEdit::SelText() const {
  if (auto* e = static_cast<QLineEdit*>(Widget())) return FromQString(e->selectedText());
  return String();
}

// ---------------------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner, &MakeBridged<QCheckBox>) {
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
