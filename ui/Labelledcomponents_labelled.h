// Controls that carry their own caption label, which follows them around:
// the label sits on the control's parent, above, below, left or right of the
// control, LabelSpacing pixels away.
#pragma once

#include "platform/visual/BoundLabels.h"
#include "platform/visual/ComboBoxes.h"
#include "platform/visual/SpinEdits.h"
#include "platform/visual/StandardControls.h"
#include "ui/Labelledcomponents_edits.h"
#include "ui/My_spinedit.h"

namespace sk {

// The label of a labelled control.
class TMyBoundLabel : public TBoundLabel {
 public:
  explicit TMyBoundLabel(TComponent* owner) : TBoundLabel(owner) {}
};

// How a label is placed beside its control.
enum TLabelPlacementRule : uint8_t {
  lpr_plain,             // above and below start at the control's left edge
  lpr_alignment_aware    // above and below follow the control's text alignment
};

// The label's top-left corner for a control with the given bounds, a label of
// the given size, position and spacing. The alignment-aware rule takes the
// control's text alignment, left and right swapped under right-to-left
// alignment.
TPoint LabelPlace(const TRect& bounds, TSize label, TLabelPosition position, Int32 spacing, TLabelPlacementRule rule,
                  TAlignment alignment, bool rightToLeftAlignment);

// A control of class Base with its label. BiDiToBaseFirst: a change of
// reading direction reaches the base control before the label takes it
// (otherwise only the label takes it).
template <class Base, TLabelPlacementRule Rule, bool BiDiToBaseFirst>
class TLabelledControl : public Base {
 public:
  template <class... Args>
  explicit TLabelledControl(TComponent* owner, Args... args) : Base(owner, args...) {
    SetupInternalLabel();
  }
  ~TLabelledControl() override { this->Destroying(); }

  // The label; nullptr once it is freed.
  TMyBoundLabel* LabelRotulo() const { return FLabel; }
  TLabelPosition LabelPosition() const { return FLabelPosition; }
  void SetLabelPosition(TLabelPosition position) {
    FLabelPosition = position;
    PlaceLabel();
  }
  Int32 LabelSpacing() const { return FLabelSpacing; }
  void SetLabelSpacing(Int32 spacing) {
    FLabelSpacing = spacing;
    PlaceLabel();
  }
  // Places the label again (after its caption changed, for instance).
  void PlaceLabel() {
    if (FLabel == nullptr) return;
    TAlignment alignment = taLeftJustify;
    if constexpr (Rule == lpr_alignment_aware) alignment = this->Alignment();
    const TPoint at = LabelPlace(this->BoundsRect(), TSize{FLabel->Width(), FLabel->Height()}, FLabelPosition,
                                 FLabelSpacing, Rule, alignment, this->UseRightToLeftAlignment());
    FLabel->SetBounds(at.X, at.Y, FLabel->Width(), FLabel->Height());
  }

  void SetBounds(Int32 left, Int32 top, Int32 width, Int32 height) override {
    Base::SetBounds(left, top, width, height);
    PlaceLabel();
  }
  void SetParent(TWinControl* parent) override {
    Base::SetParent(parent);
    if (FLabel == nullptr) return;
    FLabel->SetParent(parent);
    FLabel->SetVisible(true);
    PlaceLabel();
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    Base::Notification(component, operation);
    if (operation == opRemove && component == FLabel) FLabel = nullptr;
  }
  void EnabledChanged() override {
    Base::EnabledChanged();
    if (FLabel != nullptr) FLabel->SetEnabled(this->Enabled());
  }
  void VisibleChanged() override {
    Base::VisibleChanged();
    if (FLabel != nullptr) FLabel->SetVisible(this->Visible());
  }
  void BiDiModeChanged() override {
    if constexpr (BiDiToBaseFirst) Base::BiDiModeChanged();
    if (FLabel != nullptr) FLabel->SetBiDiMode(this->BiDiMode());
    PlaceLabel();
  }

 private:
  void SetupInternalLabel() {
    if (FLabel != nullptr) return;
    FLabel = new TMyBoundLabel(this);
    this->FreeNotification(FLabel);
    FLabel->SetFocusControl(this);
  }

  TMyBoundLabel* FLabel = nullptr;
  TLabelPosition FLabelPosition = lpAbove;
  Int32 FLabelSpacing = 3;
};

class TLabelledCombo : public TLabelledControl<TComboBox, lpr_plain, false> {
 public:
  using TLabelledControl::TLabelledControl;
};

class TLabelledButton : public TLabelledControl<TButton, lpr_plain, true> {
 public:
  using TLabelledControl::TLabelledControl;
};

class TLabelledFolderNameEdit : public TLabelledControl<TFoldernameEdit, lpr_alignment_aware, true> {
 public:
  using TLabelledControl::TLabelledControl;
};

class TLabelledFileNameEdit : public TLabelledControl<TFilenameEdit, lpr_alignment_aware, true> {
 public:
  using TLabelledControl::TLabelledControl;
};

// A number box whose spin buttons are placed compact.
class TLabelledNumberBox : public TLabelledControl<TNumberBox, lpr_alignment_aware, true> {
 public:
  explicit TLabelledNumberBox(TComponent* owner) : TLabelledControl(owner) { SetSpinButtonPlacement(nbspCompact); }
};

class TLabelledSpinEdit : public TLabelledControl<TMySpinEdit, lpr_alignment_aware, true> {
 public:
  using TLabelledControl::TLabelledControl;
};

}  // namespace sk
