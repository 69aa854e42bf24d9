// Edits with up and down buttons: the spin edit, whose text is an integer
// moved by its buttons, and the number box, which holds an integer or a
// decimal number.
#pragma once

#include "platform/runtime/TextLayout.h"
#include "platform/visual/Controls.h"

namespace sk {

// A spin edit (121 x 22). Its text is free; Value reads it as an integer.
// The buttons (and the Up and Down keys) call UpClick and DownClick.
class TSpinEdit : public TWinControl {
 public:
  explicit TSpinEdit(TComponent* owner);
  ~TSpinEdit() override;

  String GetText() const override;
  void SetText(const String& s) override;
  // The text as an integer held within the limits (CheckValue): a number
  // too large for 32 bits is held to the nearer limit; MinValue when the
  // text is not a number.
  Int32 Value() const;
  // Shows the value kept within MinValue and MaxValue (unless they are equal).
  void SetValue(Int32 v);
  Int32 Increment() const { return fIncrement; }
  void SetIncrement(Int32 i) { fIncrement = i; }
  Int32 MinValue() const { return fMinValue; }
  void SetMinValue(Int32 v) { fMinValue = v; }
  Int32 MaxValue() const { return fMaxValue; }
  void SetMaxValue(Int32 v) { fMaxValue = v; }
  bool ReadOnly() const { return fReadOnly; }
  void SetReadOnly(bool r);
  TAlignment Alignment() const { return fAlignment; }
  void SetAlignment(TAlignment a);
  // The value kept within the limits (when they are equal, within the 32-bit
  // range only). Takes 64 bits so that a value and a step are added without
  // overflow before they are held to the limits.
  Int32 CheckValue(Int64 v) const;

  TNotifyEvent OnChange;

  // For the visual layer's widget: a button press or key moved the value;
  // the text changed.
  void WidgetStepped(int steps);
  void WidgetTextChanged() { Change(); }

  // What a click on the up and down buttons does: a beep when the edit is
  // read-only, else Value moves by Increment.
  virtual void UpClick(TObject* Sender);
  virtual void DownClick(TObject* Sender);

 protected:
  virtual void Change();
  void BiDiModeChanged() override;
  // Leaving the box shows its value (ShowValue).
  void DoExit() override;
  // Makes the box show Value() when it shows anything else (a number
  // beyond the limits, or no number).
  virtual void ShowValue();

 private:
  void ApplyAlignment();
  Int32 fIncrement = 1;
  Int32 fMinValue = 0;
  Int32 fMaxValue = 0;
  bool fReadOnly = false;
  TAlignment fAlignment = taLeftJustify;
};

// ---------------------------------------------------------------------------

enum TNumberBoxMode : uint8_t { nbmInteger, nbmFloat, nbmCurrency };
enum TNumberBoxSpinButtonPlacement : uint8_t { nbspNone, nbspCompact, nbspInline };

// A number box (121 x 23): a number kept within MinValue and MaxValue (no
// limits while they are equal), shown with Decimal decimals in nbmFloat mode,
// two in nbmCurrency and none in nbmInteger; its buttons move it by
// SmallStep.
class TNumberBox : public TWinControl {
 public:
  explicit TNumberBox(TComponent* owner);
  ~TNumberBox() override;

  Double Value() const;
  void SetValue(Double v);
  Int32 ValueInt() const;
  void SetValueInt(Int32 v) { SetValue(v); }
  Double MinValue() const { return fMinValue; }
  void SetMinValue(Double v);
  Double MaxValue() const { return fMaxValue; }
  void SetMaxValue(Double v);
  TNumberBoxMode Mode() const { return fMode; }
  void SetMode(TNumberBoxMode m);
  Int32 Decimal() const { return fDecimal; }
  void SetDecimal(Int32 d);
  Double SmallStep() const { return fSmallStep; }
  void SetSmallStep(Double s);
  TNumberBoxSpinButtonPlacement SpinButtonPlacement() const { return fPlacement; }
  void SetSpinButtonPlacement(TNumberBoxSpinButtonPlacement p);
  TAlignment Alignment() const { return fAlignment; }
  void SetAlignment(TAlignment a);
  String GetText() const override;

  TNotifyEvent OnChangeValue;

  // For the visual layer's widget.
  void WidgetValueChanged();

 protected:
  void BiDiModeChanged() override;

 private:
  void Apply();
  Double fMinValue = 0;
  Double fMaxValue = 0;
  TNumberBoxMode fMode = nbmInteger;
  Int32 fDecimal = 2;
  Double fSmallStep = 1;
  TNumberBoxSpinButtonPlacement fPlacement = nbspNone;
  TAlignment fAlignment = taLeftJustify;
  bool fApplying = false;
};

}  // namespace sk
