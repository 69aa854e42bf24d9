#include "ui/My_spinedit.h"

#include "core/UnitCounter.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/Forms.h"

namespace sk {

TMySpinEdit::TMySpinEdit(TComponent* owner) : TSpinEdit(owner) {}

TMySpinEdit::~TMySpinEdit() { Destroying(); }

Double TMySpinEdit::CheckFloatValue(Double v) const {
  if (fMaxFloat == fMinFloat) return v;
  if (v < fMinFloat) return fMinFloat;
  if (v > fMaxFloat) return fMaxFloat;
  return v;
}

Double TMySpinEdit::GetFloatValue() const {
  Double v = 0;
  return TryStrToFloat(Trim(GetText()), v) ? v : fMinFloat;
}

void TMySpinEdit::SetFloatValue(Double v) {
  fFloatValue = CheckFloatValue(v);
  SetText(FloatToStrF(fFloatValue, ffFixed, 15, fPrecision));
}

void TMySpinEdit::SetPrecision(Int32 p) {
  if (fPrecision == 0 && p >= 1) fFloatValue = Value();
  fPrecision = p;
}

void TMySpinEdit::Step(Int32 sign) {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  if (fPrecision == 0)
    SetValue(CheckValue(static_cast<Int64>(Value()) + static_cast<Int64>(sign) * Increment()));
  else
    SetFloatValue(GetFloatValue() + sign * fFloatIncrement);
}

void TMySpinEdit::ShowValue() {
  if (fPrecision == 0) {
    TSpinEdit::ShowValue();
    return;
  }
  Double v = 0;
  const bool number = TryStrToFloat(Trim(GetText()), v);
  if (!number || CheckFloatValue(v) != v) SetFloatValue(number ? v : fMinFloat);
}

void TMySpinEdit::UpClick(TObject* Sender) {
  (void)Sender;
  Step(1);
}

void TMySpinEdit::DownClick(TObject* Sender) {
  (void)Sender;
  Step(-1);
}

SK_COUNTER_ONLY_UNIT(My_spinedit)

}  // namespace sk
