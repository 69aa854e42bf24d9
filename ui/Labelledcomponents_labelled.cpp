#include "ui/Labelledcomponents_labelled.h"

namespace sk {

TPoint LabelPlace(const TRect& bounds, TSize label, TLabelPosition position, Int32 spacing, TLabelPlacementRule rule,
                  TAlignment alignment, bool rightToLeftAlignment) {
  const Int32 width = bounds.Right - bounds.Left;
  const Int32 height = bounds.Bottom - bounds.Top;
  TPoint at;
  switch (position) {
    case lpAbove: at = TPoint{bounds.Left, bounds.Top - label.cy - spacing}; break;
    case lpBelow: at = TPoint{bounds.Left, bounds.Top + height + spacing}; break;
    case lpLeft: at = TPoint{bounds.Left - label.cx - spacing, bounds.Top + (height - label.cy) / 2}; break;
    case lpRight: at = TPoint{bounds.Left + width + spacing, bounds.Top + (height - label.cy) / 2}; break;
  }
  if (rule == lpr_alignment_aware && (position == lpAbove || position == lpBelow)) {
    if (rightToLeftAlignment && alignment != taCenter)
      alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    switch (alignment) {
      case taLeftJustify: at.X = bounds.Left; break;
      case taRightJustify: at.X = bounds.Left + width - label.cx; break;
      case taCenter: at.X = bounds.Left + (width - label.cx) / 2; break;
    }
  }
  return at;
}

}  // namespace sk
