// What an owner-drawn row is told about its state when it is drawn.
#pragma once

#include <functional>

#include "platform/runtime/RtlTypes.h"

namespace sk {

class TWinControl;

enum TOwnerDrawStateFlag : uint8_t {
  odSelected,
  odGrayed,
  odDisabled,
  odChecked,
  odFocused,
  odDefault,
  odHotLight,
  odInactive,
  odNoAccel,
  odNoFocusRect,
  odReserved1,
  odReserved2,
  odComboBoxEdit
};
// Set of TOwnerDrawStateFlag, bit k for the flag of ordinal k.
using TOwnerDrawState = Word;
inline constexpr TOwnerDrawState OwnerDrawBit(TOwnerDrawStateFlag f) { return static_cast<TOwnerDrawState>(1u << f); }
inline constexpr bool HasOwnerDrawFlag(TOwnerDrawState s, TOwnerDrawStateFlag f) { return (s >> f) & 1u; }

using TDrawItemEvent = std::function<void(TWinControl* Control, Int32 Index, const TRect& Rect, TOwnerDrawState State)>;

}  // namespace sk
