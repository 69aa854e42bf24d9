#include "platform/visual/Graphics_shaping.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QRawFont>
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

// What a character's width depends on.
enum TWidthKind : uint8_t {
  wk_own,      // its own glyph, whatever its neighbours
  wk_in_font,  // its own glyph when the font has it; else a fallback font
               // picked by the script of its neighbours
  wk_joined,   // may change with the characters beside it
  wk_far,      // may change with a cut anywhere in the text: a regional
               // indicator pairs with the one before it from the start of
               // their run, and the direction embeddings and isolates turn
               // everything up to their end
};

// A character's kind, and its script when it has one of its own (a mark
// takes the script of its base).
struct TCharInfo {
  TWidthKind kind;
  UScriptCode anchor;  // USCRIPT_COMMON when none
};

TWidthKind KindOf(UChar32 c) {
  if (c == u'\t') return wk_own;      // to the next tab stop, never back
  if (c == 0xFFFC) return wk_joined;  // an inline object's place, not a glyph
  if ((c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069)) return wk_far;
  if (u_hasBinaryProperty(c, UCHAR_REGIONAL_INDICATOR)) return wk_far;
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
    case U_PARAGRAPH_SEPARATOR: return wk_joined;
    default: break;
  }
  if (u_getIntPropertyValue(c, UCHAR_JOINING_TYPE) != U_JT_NON_JOINING) return wk_joined;
  switch (u_charDirection(c)) {
    case U_RIGHT_TO_LEFT:
    case U_RIGHT_TO_LEFT_ARABIC:
    case U_ARABIC_NUMBER: return wk_joined;
    default: break;
  }
  if (u_hasBinaryProperty(c, UCHAR_EMOJI_MODIFIER)) return wk_joined;
  switch (u_getIntPropertyValue(c, UCHAR_HANGUL_SYLLABLE_TYPE)) {
    case U_HST_LEADING_JAMO:
    case U_HST_VOWEL_JAMO:
    case U_HST_TRAILING_JAMO: return wk_joined;
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
    case USCRIPT_HANGUL: return U_SUCCESS(status) ? wk_own : wk_joined;
    case USCRIPT_COMMON: return U_SUCCESS(status) ? wk_in_font : wk_joined;
    default: return wk_joined;
  }
}

UScriptCode AnchorOf(UChar32 c) {
  switch (u_charType(c)) {
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_COMBINING_SPACING_MARK: return USCRIPT_COMMON;
    default: break;
  }
  UErrorCode status = U_ZERO_ERROR;
  const UScriptCode script = uscript_getScript(c, &status);
  if (U_FAILURE(status) || script == USCRIPT_INHERITED || script == USCRIPT_UNKNOWN) return USCRIPT_COMMON;
  return script;
}

// The characters of the Basic Multilingual Plane, worked out on first sight:
// 0 not yet, else 1 + kind + 8 × script.
std::array<std::atomic<uint16_t>, 0x10000> gBmpInfo{};

TCharInfo InfoOf(UChar32 c) {
  if (c > 0xFFFF) return {KindOf(c), AnchorOf(c)};
  std::atomic<uint16_t>& slot = gBmpInfo[static_cast<size_t>(c)];
  uint16_t v = slot.load(std::memory_order_relaxed);
  if (v == 0) {
    v = static_cast<uint16_t>(1 + KindOf(c) + 8 * AnchorOf(c));
    slot.store(v, std::memory_order_relaxed);
  }
  return {static_cast<TWidthKind>((v - 1) % 8), static_cast<UScriptCode>((v - 1) / 8)};
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

bool IsHigh(Char c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }

UChar32 Joined(Char high, Char low) { return 0x10000 + ((static_cast<UChar32>(high) - 0xD800) << 10) + (low - 0xDC00); }

bool IsOpener(UChar32 c) { return (c >= 0x202A && c <= 0x202E && c != 0x202C) || (c >= 0x2066 && c <= 0x2068); }
bool IsIsolateOpener(UChar32 c) { return c >= 0x2066 && c <= 0x2068; }

// How many lacking characters a run may hold, or units an indicator run or
// an embedding, before a cut inside it counts as a reach rather than slack.
constexpr size_t kShortRun = 4;
constexpr size_t kShortSpan = 16;

Int32 EmOf(const QFont& font) {
  const QFontMetrics m(font);
  return std::max(m.maxWidth(), m.height());
}

}  // namespace

TShapedSpan ShapedSpan(const QFont& font, const String& text, TCutKind kind) {
  const size_t n = text.size();
  TShapedSpan span{{}, {}, n, 0, false, 0};
  const bool ends = kind == ck_keep_ends;
  TFontCover cover(font);
  bool joined = false;
  // The characters of a script of their own: the script of the first, where
  // a character of another script first follows (change), and the start of
  // the last one before it (lastSettled).
  UScriptCode script = USCRIPT_COMMON;
  size_t change = n, lastSettled = 0;
  // Runs of characters without a script of their own that hold characters
  // the font lacks: where the run starts (after the start of the character
  // with a script before it, or 0), its last lacking character's end, and
  // how many it holds.
  struct TRun {
    size_t settledAt, lastEnd, lacking;
    bool leading;
  };
  std::vector<TRun> runs;
  size_t lastScripted = 0;  // start of the last character with a script of its own
  bool inRun = false;
  // Regional indicator runs and the embeddings and isolates still open.
  size_t riStart = n;
  struct TOpen {
    size_t at;
    bool isolate;
  };
  std::vector<TOpen> open;
  // A short embedding only turns the few characters in it; a short run of
  // indicators pairs them anew, each pair at most a glyph wider or narrower.
  size_t pairing = 0;
  auto reach = [&](std::vector<TShapedSpan::TReach>& to, size_t from, size_t end, bool indicators) {
    if (end > from + kShortSpan)
      to.push_back({from, end});
    else if (indicators)
      pairing = std::max(pairing, (end - from) / 2);
  };
  for (size_t i = 0; i < n;) {
    const bool pair = IsHigh(text[i]) && i + 1 < n && IsLow(text[i + 1]);
    const UChar32 c = pair ? Joined(text[i], text[i + 1]) : text[i];
    const size_t next = i + (pair ? 2 : 1);
    const TCharInfo info = InfoOf(c);
    const bool ri = info.kind == wk_far && !IsOpener(c) && !(c == 0x202C || c == 0x2069);
    if (ends && riStart < i && !ri) {
      reach(span.tailReach, riStart, i, true);
      riStart = n;
    }
    switch (info.kind) {
      case wk_far:
        joined = true;
        if (ends) {
          if (ri) {
            if (riStart == n) riStart = i;
          } else if (IsOpener(c)) {
            open.push_back({i, IsIsolateOpener(c)});
          } else if (c == 0x2069) {
            // PDI closes the last isolate and the embeddings opened in it.
            while (!open.empty()) {
              const TOpen o = open.back();
              open.pop_back();
              reach(span.headReach, o.at, i, false);
              reach(span.tailReach, o.at, i, false);
              if (o.isolate) break;
            }
          } else if (!open.empty() && !open.back().isolate) {
            // PDF closes the last embedding, none outside the isolate it is in.
            reach(span.headReach, open.back().at, i, false);
            reach(span.tailReach, open.back().at, i, false);
            open.pop_back();
          }
        }
        break;
      case wk_joined: joined = true; break;
      case wk_in_font:
        if (!cover.Has(c)) {
          if (!inRun) {
            runs.push_back({span.anchor == n ? 0 : lastScripted, next, 0, span.anchor == n});
            inRun = true;
          }
          runs.back().lastEnd = next;
          ++runs.back().lacking;
        }
        break;
      default: break;
    }
    if (info.anchor != USCRIPT_COMMON) {
      inRun = false;
      lastScripted = i;
      if (span.anchor == n) {
        span.anchor = i;
        script = info.anchor;
      }
      if (change == n) {
        if (info.anchor == script)
          lastSettled = i;
        else
          change = i;
      }
      span.anchorEnd = next;
    }
    i = next;
  }
  if (ends) {
    if (riStart < n) reach(span.tailReach, riStart, n, true);
    for (const TOpen& o : open) {
      reach(span.headReach, o.at, n, false);
      reach(span.tailReach, o.at, n, false);
    }
  }
  const Int32 em = EmOf(font);
  // A run of lacking characters: each may come from another fallback font
  // when the character that settles its script is cut away.
  Int32 headRun = 0, tailRun = 0;
  for (const TRun& r : runs) {
    span.byNeighbours = true;
    if (!ends || change == n) continue;
    if (r.leading) {
      if (r.lacking > kShortRun)
        span.headReach.push_back({0, span.anchor});
      else
        headRun = std::max(headRun, static_cast<Int32>(r.lacking) * 2 * em);
    } else if (r.lastEnd > lastSettled) {
      if (r.lacking > kShortRun)
        span.tailReach.push_back({r.settledAt, r.lastEnd});
      else
        tailRun = std::max(tailRun, static_cast<Int32>(r.lacking) * 2 * em);
    }
  }
  span.slack = (joined ? JoinedSlack(font) : 0) + static_cast<Int32>(pairing) * em + headRun + tailRun;
  return span;
}

// A cut reshapes a cluster or two beside it: no glyph is wider than the
// font's widest, nor a line taller than its height.
Int32 JoinedSlack(const QFont& font) { return 3 * EmOf(font); }

bool HoldsOwnScript(const String& text, size_t from, size_t to) {
  for (size_t i = from; i < to;) {
    const bool pair = IsHigh(text[i]) && i + 1 < to && IsLow(text[i + 1]);
    if (InfoOf(pair ? Joined(text[i], text[i + 1]) : text[i]).anchor != USCRIPT_COMMON) return true;
    i += pair ? 2 : 1;
  }
  return false;
}

bool KeepsWidths(const String& text, size_t from, size_t to) {
  bool base = false;  // a letter that keeps its width is before
  for (size_t i = from; i < to;) {
    const bool pair = IsHigh(text[i]) && i + 1 < to && IsLow(text[i + 1]);
    const UChar32 c = pair ? Joined(text[i], text[i + 1]) : text[i];
    i += pair ? 2 : 1;
    const int8_t type = u_charType(c);
    if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK) {
      if (!base) return false;
    } else if (InfoOf(c).kind == wk_own && c != u'\t') {
      base = true;
    } else {
      return false;
    }
  }
  return true;
}

bool KeepsWidthsBefore(const String& text, size_t from, size_t end) {
  size_t i = end;
  while (i > from) {
    const bool pair = i >= from + 2 && IsLow(text[i - 1]) && IsHigh(text[i - 2]);
    const UChar32 c = pair ? Joined(text[i - 2], text[i - 1]) : text[i - 1];
    i -= pair ? 2 : 1;
    const int8_t type = u_charType(c);
    if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK) continue;
    return InfoOf(c).kind == wk_own && c != u'\t';
  }
  return false;
}

namespace {

// Characters after which Qt picks the font by the character before (the
// joiners and the variation selectors), and characters that never start a
// grapheme cluster.
bool FollowsItsNeighbour(UChar32 c) {
  return c == 0x200C || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF);
}

bool Extends(UChar32 c) {
  if (FollowsItsNeighbour(c) || (c >= 0x1F3FB && c <= 0x1F3FF)) return true;
  switch (u_charType(c)) {
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_COMBINING_SPACING_MARK: return true;
    default: return false;
  }
}

// A character that Qt shapes the same whatever lies beyond the run of one
// font it is in: left to right, of the Latin script or of none, and neither
// a control, a tab nor a format character other than the joiners.
bool ShapesInItsRun(UChar32 c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xFFFC) return false;
  switch (u_charType(c)) {
    case U_UNASSIGNED:
    case U_SURROGATE:
    case U_CONTROL_CHAR:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR: return false;
    case U_FORMAT_CHAR:
      if (c != 0x200C && c != 0x200D) return false;
      break;
    default: break;
  }
  switch (u_charDirection(c)) {
    case U_RIGHT_TO_LEFT:
    case U_RIGHT_TO_LEFT_ARABIC:
    case U_ARABIC_NUMBER:
    case U_LEFT_TO_RIGHT_EMBEDDING:
    case U_LEFT_TO_RIGHT_OVERRIDE:
    case U_RIGHT_TO_LEFT_EMBEDDING:
    case U_RIGHT_TO_LEFT_OVERRIDE:
    case U_POP_DIRECTIONAL_FORMAT:
    case U_LEFT_TO_RIGHT_ISOLATE:
    case U_RIGHT_TO_LEFT_ISOLATE:
    case U_FIRST_STRONG_ISOLATE:
    case U_POP_DIRECTIONAL_ISOLATE: return false;
    default: break;
  }
  UErrorCode status = U_ZERO_ERROR;
  const UScriptCode script = uscript_getScript(c, &status);
  return U_SUCCESS(status) && (script == USCRIPT_LATIN || script == USCRIPT_COMMON || script == USCRIPT_INHERITED);
}

// Advances as Qt keeps them: 64ths of a pixel.
Int64 ToFixed(qreal advance) { return std::llround(advance * 64); }

// The advances of pieces, per font (by its key); cleared whole when it grows
// large.
struct TPieceCache {
  std::unordered_map<String, std::unordered_map<String, Int64>> fonts;
  size_t entries = 0;
};
constexpr size_t kMostPieces = size_t{1} << 16;
constexpr size_t kLongestMeasuredInPieces = 4000;  // Qt cuts longer runs itself

}  // namespace

struct TPieceWidths::TImpl {
  explicit TImpl(const QFont& f)
      : font(f), key(f.key().toStdU16String()), metrics(font), exact(font), cover(font) {}
  QFont font;
  String key;
  QFontMetrics metrics;
  QFontMetricsF exact;
  TFontCover cover;
  std::vector<size_t> cuts;

  Int32 Whole(const String& text) {
    gTextUnitsLaidOut.fetch_add(text.size(), std::memory_order_relaxed);
    return metrics.horizontalAdvance(QStringView16(text));
  }

  Int64 Piece(const String& text, size_t from, size_t to) {
    static thread_local TPieceCache cache;
    if (cache.entries > kMostPieces) {
      cache.fonts.clear();
      cache.entries = 0;
    }
    std::unordered_map<String, Int64>& known = cache.fonts[key];
    String piece = text.substr(from, to - from);
    const auto it = known.find(piece);
    if (it != known.end()) return it->second;
    gTextUnitsLaidOut.fetch_add(piece.size(), std::memory_order_relaxed);
    const Int64 advance = ToFixed(exact.horizontalAdvance(QStringView16(piece)));
    known.emplace(std::move(piece), advance);
    ++cache.entries;
    return advance;
  }
};

TPieceWidths::TPieceWidths(const QFont& font) : fImpl(std::make_unique<TImpl>(font)) {}
TPieceWidths::~TPieceWidths() = default;
TPieceWidths::TPieceWidths(TPieceWidths&&) noexcept = default;
TPieceWidths& TPieceWidths::operator=(TPieceWidths&&) noexcept = default;

Int32 TPieceWidths::Width(const String& text) {
  const std::optional<Int32> pieces = InPieces(text);
  return pieces ? *pieces : fImpl->Whole(text);
}

std::optional<Int32> TPieceWidths::InPieces(const String& text) {
  TImpl& d = *fImpl;
  const size_t n = text.size();
  if (n == 0) return 0;
  if (n > kLongestMeasuredInPieces) return std::nullopt;
  // The places where a run of one font meets another (the font's own
  // characters, or those it lacks), and between the grapheme clusters of a
  // run of lacking ones. A joiner or selector takes its font from the
  // character before it, so no cut follows one.
  std::vector<size_t>& cuts = d.cuts;
  cuts.clear();
  bool lacking = false, prevHas = true, prevFollows = false, prevRI = false;
  size_t riRun = 0;
  for (size_t i = 0; i < n;) {
    const bool pair = IsHigh(text[i]) && i + 1 < n && IsLow(text[i + 1]);
    const UChar32 c = pair ? Joined(text[i], text[i + 1]) : text[i];
    if (!ShapesInItsRun(c)) return std::nullopt;
    const bool has = FollowsItsNeighbour(c) ? prevHas : d.cover.Has(c);
    const bool ri = u_hasBinaryProperty(c, UCHAR_REGIONAL_INDICATOR);
    riRun = ri ? (prevRI ? riRun + 1 : 1) : 0;
    const bool startsCluster = !Extends(c) && !(ri && riRun % 2 == 0);
    if (i > 0 && !prevFollows && startsCluster && (has != prevHas || !has)) cuts.push_back(i);
    lacking = lacking || !has;
    prevHas = has;
    prevFollows = FollowsItsNeighbour(c);
    prevRI = ri;
    i += pair ? 2 : 1;
  }
  if (!lacking) return std::nullopt;
  Int64 sum = 0;
  size_t from = 0;
  for (const size_t cut : cuts) {
    sum += d.Piece(text, from, cut);
    from = cut;
  }
  sum += d.Piece(text, from, n);
  // Rounded as Qt rounds its advances: halves up.
  return static_cast<Int32>((sum + 32) >> 6);
}

}  // namespace sk
