#include "platform/visual/SpinEdits.h"

#include <QtWidgets/QAbstractSpinBox>
#include <QtWidgets/QDoubleSpinBox>
#include <QtWidgets/QLineEdit>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/Forms.h"
#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

template <class T>
T* ControlOf(QWidget* w) {
  TWidgetBridge* b = TWidgetBridge::Of(w);
  return b != nullptr ? dynamic_cast<T*>(b->Control()) : nullptr;
}

Qt::Alignment AlignmentOf(TAlignment a) {
  // Qt's left and right are logical: a right-to-left widget swaps them.
  const Qt::Alignment h = a == taCenter ? Qt::AlignHCenter : a == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
  return h | Qt::AlignVCenter;
}

// The spin edit's widget: Qt's spin box frame and buttons over free text;
// every step goes to the control, which decides what it means.
class TSpinWidget : public TBridgedWidget<QAbstractSpinBox> {
 public:
  explicit TSpinWidget(TControl* control) : TBridgedWidget<QAbstractSpinBox>(control) {
    QObject::connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString&) {
      if (auto* s = ControlOf<TSpinEdit>(this)) s->WidgetTextChanged();
    });
  }
  QLineEdit* Edit() const { return lineEdit(); }
  void stepBy(int steps) override {
    if (auto* s = ControlOf<TSpinEdit>(this)) s->WidgetStepped(steps);
  }
  QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }

 protected:
  StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

TSpinWidget* SpinOf(const TControl* c) { return static_cast<TSpinWidget*>(c->Widget()); }

QDoubleSpinBox* NumberOf(const TControl* c) { return static_cast<QDoubleSpinBox*>(c->Widget()); }

}  // namespace

TSpinEdit::TSpinEdit(TComponent* owner) : TWinControl(owner, [](TControl* c) -> QWidget* { return new TSpinWidget(c); }) {
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(0, 0, 121, 22);
  ApplyAlignment();
}

TSpinEdit::~TSpinEdit() { Destroying(); }

String TSpinEdit::GetText() const {
  TSpinWidget* w = SpinOf(this);
  return w != nullptr ? FromQString(w->Edit()->text()) : String();
}

void TSpinEdit::SetText(const String& s) {
  if (TSpinWidget* w = SpinOf(this)) w->Edit()->setText(ToQString(s));
}

Int32 TSpinEdit::Value() const {
  const String t = Trim(GetText());
  Int32 v = 0;
  if (TryStrToInt(t, v)) return CheckValue(v);
  // A run of digits too long for 32 bits, perhaps signed: beyond either end.
  const size_t digits = !t.empty() && (t[0] == u'-' || t[0] == u'+') ? 1 : 0;
  if (t.size() > digits && std::all_of(t.begin() + static_cast<std::ptrdiff_t>(digits), t.end(),
                                       [](Char c) { return c >= u'0' && c <= u'9'; }))
    return CheckValue(t[0] == u'-' ? INT64_MIN : INT64_MAX);
  return CheckValue(fMinValue);
}

void TSpinEdit::ShowValue() {
  const String shown = IntToStr(Value());
  if (GetText() != shown) SetText(shown);
}

void TSpinEdit::DoExit() {
  ShowValue();
  TWinControl::DoExit();
}

void TSpinEdit::SetValue(Int32 v) { SetText(IntToStr(CheckValue(v))); }

Int32 TSpinEdit::CheckValue(Int64 v) const {
  if (fMaxValue == fMinValue) return static_cast<Int32>(std::clamp<Int64>(v, INT32_MIN, INT32_MAX));
  if (v < fMinValue) return fMinValue;
  if (v > fMaxValue) return fMaxValue;
  return static_cast<Int32>(v);
}

void TSpinEdit::SetReadOnly(bool r) {
  fReadOnly = r;
  if (TSpinWidget* w = SpinOf(this)) w->Edit()->setReadOnly(r);
}

void TSpinEdit::SetAlignment(TAlignment a) {
  fAlignment = a;
  ApplyAlignment();
}

void TSpinEdit::ApplyAlignment() {
  if (TSpinWidget* w = SpinOf(this)) w->setAlignment(AlignmentOf(fAlignment));
}

void TSpinEdit::BiDiModeChanged() {
  TWinControl::BiDiModeChanged();
  ApplyAlignment();
}

void TSpinEdit::WidgetStepped(int steps) {
  for (int i = 0; i < std::abs(steps); ++i) {
    if (steps > 0)
      UpClick(this);
    else
      DownClick(this);
  }
}

void TSpinEdit::UpClick(TObject* Sender) {
  (void)Sender;
  if (fReadOnly)
    MessageBeep(0);
  else
    SetValue(CheckValue(static_cast<Int64>(Value()) + fIncrement));
}

void TSpinEdit::DownClick(TObject* Sender) {
  (void)Sender;
  if (fReadOnly)
    MessageBeep(0);
  else
    SetValue(CheckValue(static_cast<Int64>(Value()) - fIncrement));
}

void TSpinEdit::Change() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------

TNumberBox::TNumberBox(TComponent* owner) : TWinControl(owner, &MakeBridged<QDoubleSpinBox>) {
  QDoubleSpinBox* w = NumberOf(this);
  QObject::connect(w, QOverload<double>::of(&QDoubleSpinBox::valueChanged), w, [this, w](double) {
    if (ControlOf<TNumberBox>(w) == this) WidgetValueChanged();
  });
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(0, 0, 121, 23);
  Apply();
}

TNumberBox::~TNumberBox() { Destroying(); }

void TNumberBox::Apply() {
  QDoubleSpinBox* w = NumberOf(this);
  if (w == nullptr) return;
  fApplying = true;
  const double v = w->value();
  w->setDecimals(fMode == nbmInteger ? 0 : fMode == nbmCurrency ? 2 : fDecimal);
  if (fMinValue == fMaxValue)
    w->setRange(-1e15, 1e15);
  else
    w->setRange(std::min(fMinValue, fMaxValue), std::max(fMinValue, fMaxValue));
  w->setSingleStep(fSmallStep);
  w->setButtonSymbols(fPlacement == nbspNone ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
  w->setAlignment(AlignmentOf(fAlignment));
  w->setValue(v);
  fApplying = false;
}

Double TNumberBox::Value() const {
  QDoubleSpinBox* w = NumberOf(this);
  return w != nullptr ? w->value() : 0;
}

void TNumberBox::SetValue(Double v) {
  if (QDoubleSpinBox* w = NumberOf(this)) w->setValue(v);
}

// Rounded, and held to the 32-bit range (the box itself reaches 1e15).
Int32 TNumberBox::ValueInt() const {
  return static_cast<Int32>(std::llround(std::clamp<Double>(Value(), INT32_MIN, INT32_MAX)));
}

void TNumberBox::SetMinValue(Double v) {
  fMinValue = v;
  Apply();
}

void TNumberBox::SetMaxValue(Double v) {
  fMaxValue = v;
  Apply();
}

void TNumberBox::SetMode(TNumberBoxMode m) {
  fMode = m;
  Apply();
}

void TNumberBox::SetDecimal(Int32 d) {
  fDecimal = d < 0 ? 0 : d;
  Apply();
}

void TNumberBox::SetSmallStep(Double s) {
  fSmallStep = s;
  Apply();
}

void TNumberBox::SetSpinButtonPlacement(TNumberBoxSpinButtonPlacement p) {
  fPlacement = p;
  Apply();
}

void TNumberBox::SetAlignment(TAlignment a) {
  fAlignment = a;
  Apply();
}

String TNumberBox::GetText() const {
  QDoubleSpinBox* w = NumberOf(this);
  return w != nullptr ? FromQString(w->text()) : String();
}

void TNumberBox::BiDiModeChanged() {
  TWinControl::BiDiModeChanged();
  Apply();
}

void TNumberBox::WidgetValueChanged() {
  if (!fApplying && OnChangeValue) OnChangeValue(this);
}

}  // namespace sk
