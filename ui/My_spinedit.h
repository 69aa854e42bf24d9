// A spin edit that also edits decimal numbers: with Precision 0 it is the
// plain integer spin edit; with Precision p >= 1 its buttons move FloatValue
// by FloatIncrement within MinFloatValue and MaxFloatValue (no limits while
// they are equal), shown with p decimals.
#pragma once

#include "platform/visual/SpinEdits.h"

namespace sk {

class TMySpinEdit : public TSpinEdit {
 public:
  explicit TMySpinEdit(TComponent* owner);
  ~TMySpinEdit() override;

  Int32 Precision() const { return fPrecision; }
  // Going from integer mode to decimals starts the float value from the
  // integer value.
  void SetPrecision(Int32 p);
  // The text as a number; MinFloatValue when it is not one.
  Double GetFloatValue() const;
  // Shows CheckFloatValue(v) in fixed notation with Precision decimals.
  void SetFloatValue(Double v);
  Double MaxFloatValue() const { return fMaxFloat; }
  void SetMaxFloat(Double v) { fMaxFloat = v; }
  Double MinFloatValue() const { return fMinFloat; }
  void SetMinFloat(Double v) { fMinFloat = v; }
  Double FloatIncrement() const { return fFloatIncrement; }
  void SetFloatIncrement(Double v) { fFloatIncrement = v; }
  // v kept within the float limits; v itself when they are equal.
  Double CheckFloatValue(Double v) const;

  // A beep when read-only; otherwise the integer value moves by Increment,
  // or with decimals the float value by FloatIncrement.
  void UpClick(TObject* Sender) override;
  void DownClick(TObject* Sender) override;

 protected:
  // Leaving the box: in integer mode the value within the integer limits;
  // with decimals a text that is no number, or a number beyond the float
  // limits, shows the float value held to them.
  void ShowValue() override;

 private:
  void Step(Int32 sign);
  Int32 fPrecision = 0;
  Double fFloatValue = 0;
  Double fMaxFloat = 9999.0;
  Double fMinFloat = -9999.0;
  Double fFloatIncrement = 1.0;
};

// Unit start and stop (the unit has no work of its own).
void My_spinedit_initialization();
void My_spinedit_Finalization();

}  // namespace sk
