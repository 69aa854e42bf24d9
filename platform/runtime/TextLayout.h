// Layout values that controls and text take: horizontal alignment, the
// direction of writing and the character case an edit control forces.
#pragma once

#include <cstdint>

namespace sk {

// Horizontal alignment of text; the ordinals are those the host passes
// (0 left-justified, 1 right-justified, 2 centred).
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

// Direction of writing: 0 left-to-right, 1 right-to-left.
enum TBiDiMode : uint8_t { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// The character case an edit control turns typed text into.
enum TEditCharCase : uint8_t { ecNormal, ecUpperCase, ecLowerCase };

}  // namespace sk
