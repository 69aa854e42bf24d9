#include "display/Language_utils.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Language_utils)

namespace {

struct TDarkAndLight {
  TColor dark;
  TColor light;
};

// Dark green, dark blue, purple, maroon and navy (as TColor values, red in
// the low byte), each on white or a warm
// off-white.
constexpr TDarkAndLight kPairs[5] = {
    {0x006400, 0xFFFFFF}, {0x8B0000, 0xF0FBFF}, {0x800080, 0xFFFFFF}, {0x000080, 0xF0FBFF}, {0x800000, 0xFFFFFF},
};

}  // namespace

TMyCanvasColourRec SearchFoundColoursFromNumber(Int32 n) {
  const TDarkAndLight& pair = kPairs[n < 0 ? 4 : n % 5];
  TMyCanvasColourRec r{};
  r.arr[tsc_window] = pair.dark;
  r.arr[tsc_windowtext] = pair.light;
  r.arr[tsc_highlight] = pair.light;
  r.arr[tsc_highlighttext] = pair.dark;
  return r;
}

TMyCanvasColourRecAndTypeface SearchFoundColoursAndFontStyleFromNumber(Int32 n) {
  TMyCanvasColourRecAndTypeface r{};
  r.colourset = SearchFoundColoursFromNumber(n);
  r.typeface = static_cast<TFontStyles>(1u << fsBold);
  return r;
}

}  // namespace sk
