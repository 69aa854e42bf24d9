#include "platform/visual/Graphics_shaping.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <QtGui/QFont>
#include <QtGui/QRawFont>
#include <array>
#include <atomic>
#include <optional>

namespace sk {

namespace {

// What a character's width depends on.
enum TWidthKind : uint8_t {
  wk_unknown,  // not worked out yet (the cache's zero)
  wk_own,      // its own glyph, whatever its neighbours
  wk_in_font,  // its own glyph when the font has it; else a fallback font
               // picked by the script of its neighbours
  wk_shaped,   // may change with its neighbours
};

TWidthKind KindOf(UChar32 c) {
  if (c == u'\t') return wk_own;      // to the next tab stop, never back
  if (c == 0xFFFC) return wk_shaped;  // an inline object's place, not a glyph
  switch (u_charType(c)) {
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_COMBINING_SPACING_MARK:
    case U_FORMAT_CHAR:
    case U_CONTROL_CHAR:
    case U_SURROGATE:
    case U_PRIVATE_USE_CHAR:
    case U_UNASSIGNED:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR: return wk_shaped;
    default: break;
  }
  if (u_getIntPropertyValue(c, UCHAR_JOINING_TYPE) != U_JT_NON_JOINING) return wk_shaped;
  switch (u_charDirection(c)) {
    case U_RIGHT_TO_LEFT:
    case U_RIGHT_TO_LEFT_ARABIC:
    case U_ARABIC_NUMBER: return wk_shaped;
    default: break;
  }
  if (u_hasBinaryProperty(c, UCHAR_EMOJI_MODIFIER) || u_hasBinaryProperty(c, UCHAR_REGIONAL_INDICATOR))
    return wk_shaped;
  switch (u_getIntPropertyValue(c, UCHAR_HANGUL_SYLLABLE_TYPE)) {
    case U_HST_LEADING_JAMO:
    case U_HST_VOWEL_JAMO:
    case U_HST_TRAILING_JAMO: return wk_shaped;
    default: break;
  }
  UErrorCode status = U_ZERO_ERROR;
  switch (uscript_getScript(c, &status)) {
    case USCRIPT_LATIN:
    case USCRIPT_GREEK:
    case USCRIPT_CYRILLIC:
    case USCRIPT_HAN:
    case USCRIPT_HIRAGANA:
    case USCRIPT_KATAKANA:
    case USCRIPT_BOPOMOFO:
    case USCRIPT_HANGUL: return U_SUCCESS(status) ? wk_own : wk_shaped;
    case USCRIPT_COMMON: return U_SUCCESS(status) ? wk_in_font : wk_shaped;
    default: return wk_shaped;
  }
}

// The kinds of the Basic Multilingual Plane, worked out on first sight.
std::array<std::atomic<uint8_t>, 0x10000> gBmpKinds{};

TWidthKind CachedKindOf(UChar32 c) {
  if (c > 0xFFFF) return KindOf(c);
  std::atomic<uint8_t>& slot = gBmpKinds[static_cast<size_t>(c)];
  auto kind = static_cast<TWidthKind>(slot.load(std::memory_order_relaxed));
  if (kind == wk_unknown) {
    kind = KindOf(c);
    slot.store(kind, std::memory_order_relaxed);
  }
  return kind;
}

// Which characters without a script the font draws itself: Qt draws a
// character from the font when the font has it, and looks for a fallback font
// only when it does not.
class TFontCover {
 public:
  explicit TFontCover(const QFont& font) : fFont(font) {}

  bool Has(UChar32 c) {
    if (c < 0x80) {
      int8_t& known = fAscii[static_cast<size_t>(c)];
      if (known == 0) known = Raw().supportsCharacter(static_cast<uint>(c)) ? 1 : -1;
      return known > 0;
    }
    return Raw().supportsCharacter(static_cast<uint>(c));
  }

 private:
  const QRawFont& Raw() {
    if (!fRaw) fRaw = QRawFont::fromFont(fFont);
    return *fRaw;
  }

  const QFont& fFont;
  std::optional<QRawFont> fRaw;
  std::array<int8_t, 0x80> fAscii{};
};

bool IsShaped(UChar32 c, TFontCover& cover) {
  switch (CachedKindOf(c)) {
    case wk_own: return false;
    case wk_in_font: return !cover.Has(c);
    default: return true;
  }
}

bool IsHigh(Char c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }

UChar32 Joined(Char high, Char low) { return 0x10000 + ((static_cast<UChar32>(high) - 0xD800) << 10) + (low - 0xDC00); }

}  // namespace

TShapedSpan ShapedSpan(const QFont& font, const String& text) {
  TShapedSpan span{text.size(), 0};
  TFontCover cover(font);
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const bool pair = IsHigh(text[i]) && i + 1 < n && IsLow(text[i + 1]);
    if (IsShaped(pair ? Joined(text[i], text[i + 1]) : text[i], cover)) {
      span.first = i;
      break;
    }
    i += pair ? 2 : 1;
  }
  if (span.first == n) return span;
  for (size_t i = n; i > span.first;) {
    const bool pair = IsLow(text[i - 1]) && i >= 2 && IsHigh(text[i - 2]);
    if (IsShaped(pair ? Joined(text[i - 2], text[i - 1]) : text[i - 1], cover)) {
      span.end = i;
      break;
    }
    i -= pair ? 2 : 1;
  }
  return span;
}

}  // namespace sk
