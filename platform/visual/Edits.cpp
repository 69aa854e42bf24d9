#include "platform/visual/Edits.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QStyle>

#include "platform/visual/ImgList.h"
#include "platform/visual/PainterSurface.h"
#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

QLineEdit* LineEditOf(const TControl* c) { return static_cast<QLineEdit*>(c->Widget()); }

bool StillOwns(QWidget* w, const TControl* c) {
  TWidgetBridge* b = TWidgetBridge::Of(w);
  return b != nullptr && b->Control() == c;
}

// The right button of a buttoned edit: a child of the edit's widget that
// draws its image and reports clicks made inside it.
class TEditButtonWidget : public QWidget {
 public:
  TEditButtonWidget(QWidget* parent, TButtonedEdit* edit) : QWidget(parent), fEdit(edit) {
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::NoFocus);
  }
  void Detach() { fEdit = nullptr; }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (fEdit == nullptr || fEdit->Images() == nullptr) return;
    TImageList* images = fEdit->Images();
    QPainter painter(this);
    TCanvasOnPainter on(fCanvas, &painter, TSize{width(), height()});
    const Int32 x = (width() - images->Width()) / 2;
    const Int32 y = (height() - images->Height()) / 2;
    images->Draw(fCanvas, x, y, fEdit->RightButton().ImageIndex(), fEdit->RightButton().Enabled() && fEdit->Enabled());
  }
  void mousePressEvent(QMouseEvent* e) override {
    fPressed = e->button() == Qt::LeftButton;
    e->accept();
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    const bool click = fPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    fPressed = false;
    e->accept();
    if (click && fEdit != nullptr) fEdit->ClickRightButton();
  }

 private:
  TButtonedEdit* fEdit;
  TCanvas fCanvas;
  bool fPressed = false;
};

TEditButtonWidget* ButtonWidgetOf(const TControl* c) {
  QWidget* w = c->Widget();
  return w != nullptr ? w->findChild<TEditButtonWidget*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

Int32 FrameWidthOf(QWidget* w) { return w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w); }

}  // namespace

// ---------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* owner) : TCustomEdit(owner, &MakeBridged<QLineEdit>) {}

TCustomEdit::TCustomEdit(TComponent* owner, TWidgetFactory factory) : TWinControl(owner, factory) {
  QLineEdit* e = LineEditOf(this);
  QObject::connect(e, &QLineEdit::textChanged, e, [this, e](const QString&) {
    if (StillOwns(e, this)) Change();
  });
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(0, 0, 121, 21);
  ApplyAlignment();
}

TCustomEdit::~TCustomEdit() { Destroying(); }

String TCustomEdit::GetText() const {
  QLineEdit* e = LineEditOf(this);
  return e != nullptr ? FromQString(e->text()) : String();
}

void TCustomEdit::SetText(const String& s) {
  QLineEdit* e = LineEditOf(this);
  if (e == nullptr) return;
  const QString q = ToQString(s);
  if (q == e->text()) return;
  e->setText(q);
}

void TCustomEdit::SetReadOnly(bool r) {
  fReadOnly = r;
  if (QLineEdit* e = LineEditOf(this)) e->setReadOnly(r);
}

void TCustomEdit::SetAlignment(TAlignment a) {
  if (a == fAlignment) return;
  fAlignment = a;
  ApplyAlignment();
}

void TCustomEdit::ApplyAlignment() {
  QLineEdit* e = LineEditOf(this);
  if (e == nullptr) return;
  // Qt's left and right are logical: the widget's right-to-left layout
  // already swaps them, as right-to-left alignment asks.
  Qt::Alignment h = fAlignment == taCenter ? Qt::AlignHCenter : fAlignment == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
  e->setAlignment(h | Qt::AlignVCenter);
}

void TCustomEdit::SetMaxLength(Int32 n) {
  fMaxLength = n < 0 ? 0 : n;
  if (QLineEdit* e = LineEditOf(this)) e->setMaxLength(fMaxLength == 0 ? 32767 : fMaxLength);
}

void TCustomEdit::SelectAll() {
  if (QLineEdit* e = LineEditOf(this)) e->selectAll();
}

String TCustomEdit::SelText() const {
  if (QLineEdit* e = LineEditOf(this)) return FromQString(e->selectedText());
  return String();
}

void TCustomEdit::SetPasswordChar(Char c) {
  fPasswordChar = c;
  QLineEdit* e = LineEditOf(this);
  if (e == nullptr) return;
  e->setEchoMode(c == 0 ? QLineEdit::Normal : QLineEdit::Password);
  // The style's own mask character is replaced by the one asked for.
  e->setStyleSheet(c == 0 ? QString() : QStringLiteral("QLineEdit { lineedit-password-character: %1; }").arg(int(c)));
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::BiDiModeChanged() {
  TWinControl::BiDiModeChanged();
  ApplyAlignment();
}

// ---------------------------------------------------------------------------

void TEditButton::SetVisible(bool v) {
  if (v == fVisible) return;
  fVisible = v;
  fEdit.ButtonChanged();
}

void TEditButton::SetEnabled(bool e) {
  if (e == fEnabled) return;
  fEnabled = e;
  fEdit.ButtonChanged();
}

void TEditButton::SetImageIndex(Int32 i) {
  if (i == fImageIndex) return;
  fImageIndex = i;
  fEdit.ButtonChanged();
}

void TEditButton::SetHint(const String& h) {
  fHint = h;
  fEdit.ButtonChanged();
}

TButtonedEdit::TButtonedEdit(TComponent* owner) : TCustomEdit(owner), fRightButton(*this) {
  auto* b = new TEditButtonWidget(Widget(), this);
  b->hide();
}

TButtonedEdit::~TButtonedEdit() {
  Destroying();
  if (TEditButtonWidget* b = ButtonWidgetOf(this)) b->Detach();
  SetImages(nullptr);
}

void TButtonedEdit::SetImages(TImageList* images) {
  if (images == fImages) return;
  if (fImages != nullptr) RemoveFreeNotification(fImages);
  fImages = images;
  if (fImages != nullptr) FreeNotification(fImages);
  ButtonChanged();
}

void TButtonedEdit::Notification(TComponent* component, TOperation operation) {
  TCustomEdit::Notification(component, operation);
  if (operation == opRemove && component == fImages) {
    fImages = nullptr;
    if (!InState(csDestroying)) ButtonChanged();
  }
}

TRect TButtonedEdit::RightButtonRect() const {
  QWidget* w = Widget();
  if (w == nullptr || !fRightButton.Visible()) return TRect{};
  const Int32 fw = FrameWidthOf(w);
  const Int32 bw = (fImages != nullptr ? fImages->Width() : 14) + 4;
  return TRect{Width() - fw - bw, fw, Width() - fw, Height() - fw};
}

void TButtonedEdit::ButtonChanged() {
  TEditButtonWidget* b = ButtonWidgetOf(this);
  QLineEdit* e = LineEditOf(this);
  if (b == nullptr || e == nullptr) return;
  const TRect r = RightButtonRect();
  if (r.Right <= r.Left) {
    b->hide();
    e->setTextMargins(0, 0, 0, 0);
    return;
  }
  b->setGeometry(ToQRect(r));
  b->setToolTip(ToQToolTip(fRightButton.Hint()));
  b->show();
  b->update();
  e->setTextMargins(0, 0, r.Right - r.Left, 0);
}

void TButtonedEdit::Resize() {
  TCustomEdit::Resize();
  ButtonChanged();
}

void TButtonedEdit::ClickRightButton() {
  if (!Enabled() || !fRightButton.Visible() || !fRightButton.Enabled()) return;
  if (OnRightButtonClick) OnRightButtonClick(this);
}

}  // namespace sk
