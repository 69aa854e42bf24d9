// Which characters of a text may change width when a cut takes other
// characters out of it, and the search that the text fitters build on it:
// they try shorter and shorter candidates of a text and take the first that
// fits, and find that candidate by halving wherever a shorter candidate
// cannot be the wider, measuring only a few candidates.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "platform/runtime/RtlTypes.h"

class QFont;

namespace sk {

// How the candidates of a fitter keep the text: its head alone, or a fixed
// tail after it (end, word and path ellipses: [0, head) and [tail, size) with
// tail fixed), or a head and a tail that both shrink (a cut in the middle).
enum TCutKind : uint8_t { ck_keep_head, ck_keep_ends };

// What a fitter must know of a text to compare its candidates, each of which
// keeps [0, head) and [tail, size) of it.
//
// A cut changes the width of the characters beside it, and of a few whose
// width depends on text further away:
// - Joined: a character shaped with its neighbours (joining scripts, right
//   to left text, the complex scripts, combining marks, format characters
//   such as the soft hyphen and ZWJ, variation selectors, emoji modifiers,
//   conjoining Hangul letters, controls, private-use and unassigned code
//   points, half a surrogate pair, the object replacement character,
//   regional indicators and the direction embeddings and isolates). A cut
//   changes only the characters beside it, so a candidate is never wider
//   than a longer one by more than slack (0 for a text without them).
// - By their neighbours: a character of no script of its own (punctuation,
//   symbols, blanks) that the font lacks is drawn from a fallback font
//   chosen by the script of the text around it: of the nearest character
//   before it that has a script of its own, or, with none before it, of the
//   nearest after it. A head never loses the character that settles a kept
//   character's script, except for those before the first character with a
//   script of its own: their font changes only between candidates that keep
//   a character of a script of its own and those that keep none, or keep
//   none before the cut (Regime), and candidates of different regimes are
//   not compared. When the middle is cut, the run of such characters that
//   opens the tail (or closes a head without a script of its own) takes its
//   script from the other side of the cut: a short run only widens the slack
//   by what its characters can change, a long one is a reach.
// - Reaching: a run of regional indicators pairs from its start, and an
//   embedding or isolate turns everything up to its end; when the tail
//   starts (or, for the embeddings, the head ends) inside a long one, the
//   rest of it changes. The candidates whose cut falls in such a reach
//   (Holds) are measured on their own; a cut anywhere else leaves them as
//   they are, so a reach costs only the candidates cut inside it.
// The rest keep their width (the letters of Latin, Greek, Cyrillic, Han,
// kana, Bopomofo and Hangul syllables, and characters of no script that the
// font holds); their widths still meet through kerning and ligatures, taken
// to be smaller than the characters they adjust, as in every text font.
struct TShapedSpan {
  // Cut positions, as half-open ranges (from, to], whose candidates change
  // beyond the cut: heads ending in headReach, tails starting in tailReach.
  struct TReach {
    size_t from, to;
  };
  std::vector<TReach> headReach;
  std::vector<TReach> tailReach;
  size_t anchor;      // start of the first character with a script of its own (size when none)
  size_t anchorEnd;   // end of the last one (0 when none)
  bool byNeighbours;  // holds characters whose font the script around them settles
  Int32 slack;

  // The candidate keeping [0, head) and [tail, size) is cut inside a reach.
  bool Holds(size_t head, size_t tail) const { return In(headReach, head) || In(tailReach, tail); }
  // Candidates of the same regime draw every character from the same font.
  int Regime(size_t head, size_t tail) const {
    if (!byNeighbours) return 0;
    return head > anchor ? 2 : tail < anchorEnd ? 1 : 0;
  }

 private:
  static bool In(const std::vector<TReach>& reach, size_t p) {
    for (const TReach& r : reach)
      if (p > r.from && p <= r.to) return true;
    return false;
  }
};

// Exact measurements the fitters have taken, for tests that bound how many
// one fit takes.
inline std::atomic<uint64_t> gFitMeasurements{0};
// Code units the canvases have measured or drawn, for tests that bound how
// much of a long text a cell reads.
inline std::atomic<uint64_t> gTextUnitsLaidOut{0};

// Widths of texts in a font, exactly as QFontMetrics::horizontalAdvance gives
// them, for the fitters that measure many candidates of one text. Qt shapes a
// line in runs of one font: the characters the font has, and those it draws
// from fallback fonts (emoji, flags, marks the font lacks), and adds up the
// runs' unrounded advances. Where the runs meet, a text is cut into pieces
// (a fallback run also between its grapheme clusters), each piece is measured
// once per font and kept, and the pieces' advances are added up and rounded
// as Qt rounds. A colour glyph's advance costs Qt the decoding of its image,
// and a character the font lacks a search of the fallback fonts: each such
// piece is shaped once instead of once per candidate. A text with characters
// whose shaping reaches across pieces (right-to-left or complex scripts,
// direction controls, tabs, controls, format characters other than the
// joiners) is measured whole.
class TPieceWidths {
 public:
  explicit TPieceWidths(const QFont& font);
  ~TPieceWidths();
  TPieceWidths(TPieceWidths&&) noexcept;
  TPieceWidths& operator=(TPieceWidths&&) noexcept;
  TPieceWidths(const TPieceWidths&) = delete;
  TPieceWidths& operator=(const TPieceWidths&) = delete;

  Int32 Width(const String& text);
  // The width from pieces, or nothing when the text would be measured whole.
  std::optional<Int32> InPieces(const String& text);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> fImpl;
};

// The span of text in font, for candidates that keep the text as kind says.
TShapedSpan ShapedSpan(const QFont& font, const String& text, TCutKind kind = ck_keep_ends);

// How much a cut can widen the joined characters beside it in font (the slack
// of a span with any).
Int32 JoinedSlack(const QFont& font);

// The lines of text word-wrapped to width in font, as the canvas draws them
// with DT_WORDBREAK (at most maxLines of them), or withinWords with
// DT_WORDBREAK and DT_BREAKWITHINWORDS; widest, when given, receives the
// width of the widest of them, as DT_CALCRECT gives it.
std::vector<String> WordWrapped(const QFont& font, const String& text, Int32 width,
                                size_t maxLines = std::numeric_limits<size_t>::max(), bool withinWords = false,
                                Int32* widest = nullptr);

// The text with each tab turned into the blanks up to the next multiple of
// eight units, as the canvas draws it with DT_EXPANDTABS.
String ExpandTabs(const String& s);

// Whether text[from, to) holds a character of a script of its own.
bool HoldsOwnScript(const String& text, size_t from, size_t to);

// Whether the characters of text[from, end) keep their widths whatever is
// cut after end: the character before end is a letter that keeps its width
// (of the scripts above), alone or under nonspacing marks, so that a cut
// there takes nothing from a cluster and joins nothing that could reshape.
bool KeepsWidthsBefore(const String& text, size_t from, size_t end);

// Whether every character of text[from, to) keeps its width whatever lies
// beside the range: letters of the scripts above, alone or under nonspacing
// marks.
bool KeepsWidths(const String& text, size_t from, size_t to);

namespace shaping_detail {

// The first candidate in [lo, hi) within limit, or hi, where no candidate is
// wider than one before it by more than slack. A candidate wider than limit
// + slack rules out itself and all before it. Such a barrier, and a candidate
// within limit + slack after it, are looked for outward from guess (where the
// caller expects the first fit, measuring a few candidates beside it when the
// guess is good) or else from the short end (the short candidates are cheap to
// measure, and a long text usually ends short), then by halving between them;
// the candidates after the barrier that are within limit + slack but not
// within limit are measured in order. A candidate that floor (no more than
// its width) already puts beyond limit + slack, or beyond limit in that last
// pass, is not measured.
// With floors from one shaping, the candidates are mostly told apart without
// measuring: from guess towards the longer ones until a floor is beyond
// limit + slack (that candidate and all before it are too wide), then in
// order, measuring only those whose floor is within limit. Past a few hundred
// floors or a few measurements the search goes on as FirstWithin does.
template <class Width, class Floor>
size_t FirstWithin(size_t lo, size_t hi, Int64 limit, Int64 slack, Width& width, size_t guess, Floor& floor);

template <class Width, class Floor>
size_t FirstByFloors(size_t lo, size_t hi, Int64 limit, Int64 slack, Width& width, size_t guess, Floor& floor) {
  if (guess < lo || guess >= hi) return FirstWithin(lo, hi, limit, slack, width, guess, floor);
  size_t start = lo;
  size_t walked = 0;
  for (size_t k = guess + 1; k-- > lo;) {
    if (floor(k) > limit + slack) {
      start = k + 1;
      break;
    }
    if (++walked > 512) return FirstWithin(lo, hi, limit, slack, width, guess, floor);
  }
  size_t measured = 0;
  for (size_t k = start; k < hi; ++k) {
    if (floor(k) > limit) continue;
    if (++measured > 6) return FirstWithin(k, hi, limit, slack, width, k, floor);
    if (width(k) <= limit) return k;
  }
  return hi;
}

template <class Width, class Floor>
size_t FirstWithin(size_t lo, size_t hi, Int64 limit, Int64 slack, Width& width, size_t guess, Floor& floor) {
  const Int64 reach = limit + slack;  // limit stays far from the ends of Int64
  // A candidate's width, or reach + 1 when its floor is already beyond reach
  // (a barrier all the same, found without measuring it).
  auto within = [&](size_t k) -> Int64 { return floor(k) > reach ? reach + 1 : width(k); };
  size_t out = lo;  // candidates before out are too wide
  size_t ok = hi;   // a candidate within reach (hi: none found yet)
  Int64 okWidth = 0;
  if (guess < lo || guess >= hi) guess = hi - 1;
  const Int64 w = within(guess);
  if (w > reach) {
    out = guess + 1;
    for (size_t step = 1; guess + step < hi; step *= 2) {
      const size_t k = guess + step;
      const Int64 wk = within(k);
      if (wk <= reach) {
        ok = k;
        okWidth = wk;
        break;
      }
      out = k + 1;
    }
  } else {
    ok = guess;
    okWidth = w;
    for (size_t step = 1; step <= guess - lo; step *= 2) {
      const size_t k = guess - step;
      const Int64 wk = within(k);
      if (wk > reach) {
        out = k + 1;
        break;
      }
      ok = k;
      okWidth = wk;
    }
  }
  while (out < ok) {
    const size_t mid = out + (ok - out) / 2;
    const Int64 wm = within(mid);
    if (wm > reach) {
      out = mid + 1;
    } else {
      ok = mid;
      okWidth = wm;
    }
  }
  if (ok == hi) return hi;
  if (okWidth <= limit) return ok;
  for (size_t k = ok + 1; k < hi; ++k)
    if (floor(k) <= limit && width(k) <= limit) return k;
  return hi;
}

}  // namespace shaping_detail

// The first of count candidates, tried in order, whose width (width(k)) is
// within limit, or count when none is; each candidate holds only characters
// that the one before it holds. holds(k): candidate k is cut inside a reach
// (measured on its own); regime(k): its regime. The candidates between them
// are searched block by block, from guess in its block (where the caller
// expects the first fit; count when it has no guess), passing over the
// candidates near the limit that floor(k), no more than width(k), puts
// beyond it. A width of kAlwaysFits makes a candidate fit whatever the limit.
inline constexpr Int64 kAlwaysFits = std::numeric_limits<Int64>::min();

template <class Width, class Holds, class Regime, class Floor>
size_t FirstFitting(size_t count, Int64 limit, Int32 slack, Width width, Holds holds, Regime regime, size_t guess,
                    Floor floor, bool floors = true) {
  auto measured = [&width](size_t k) -> Int64 {
    gFitMeasurements.fetch_add(1, std::memory_order_relaxed);
    return width(k);
  };
  size_t k = 0;
  while (k < count) {
    if (holds(k)) {
      if (measured(k) <= limit) return k;
      ++k;
      continue;
    }
    const int r = regime(k);
    size_t hi = k + 1;
    while (hi < count && !holds(hi) && regime(hi) == r) ++hi;
    const size_t found = floors && slack > 0
                             ? shaping_detail::FirstByFloors(k, hi, limit, slack, measured, guess, floor)
                             : shaping_detail::FirstWithin(k, hi, limit, slack, measured, guess, floor);
    if (found < hi) return found;
    k = hi;
  }
  return count;
}

template <class Width, class Holds, class Regime>
size_t FirstFitting(size_t count, Int64 limit, Int32 slack, Width width, Holds holds, Regime regime,
                    size_t guess = std::numeric_limits<size_t>::max()) {
  return FirstFitting(count, limit, slack, width, holds, regime, guess, [](size_t) { return kAlwaysFits; }, false);
}

// The first of the candidates [lo, hi), tried in order, whose width (width(k))
// is beyond limit, or hi when none is; each candidate holds the one before it
// and more. slack(from, to) is the most by which a candidate in [from, to) can
// be wider than a longer one. A candidate within limit less the slack of those
// before it shows them all within limit too; one beyond limit is an upper end.
// floor(k, w) is no more than the width of candidate k when the one before it
// is w wide (kAlwaysFits when that tells nothing); a candidate whose floor is
// beyond limit is not measured.
// The search measures the candidate that guess() gives (where the caller
// expects the last candidate within limit, from what it has measured so far)
// and the one after it, and once more from what guess() gives after that,
// then their neighbours outward, then halves between the candidates known to
// fit and those not; what is left, the candidates that fit by less than the
// slack, is measured in order. Where slack is 0, the floors are close and the
// guess is good, one candidate is measured.
template <class Width, class Slack, class Floor, class Guess>
size_t FirstTooWide(size_t lo, size_t hi, Int64 limit, Width width, Slack slack, Floor floor, Guess guess) {
  if (lo >= hi) return hi;
  struct TKnown {
    size_t k;
    Int64 w;
  };
  std::vector<TKnown> known;
  auto find = [&](size_t k) -> const TKnown* {
    for (const TKnown& m : known)
      if (m.k == k) return &m;
    return nullptr;
  };
  auto measured = [&](size_t k) -> Int64 {
    if (const TKnown* m = find(k)) return m->w;
    if (k > lo)
      if (const TKnown* before = find(k - 1)) {
        const Int64 f = floor(k, before->w);
        if (f != kAlwaysFits && f > limit) {
          known.push_back({k, f});
          return f;
        }
      }
    gFitMeasurements.fetch_add(1, std::memory_order_relaxed);
    const Int64 w = width(k);
    known.push_back({k, w});
    return w;
  };
  size_t fits = lo;     // the candidates before fits are within limit
  size_t tooWide = hi;  // a candidate beyond limit (hi: none found)
  size_t unsure = hi;   // the first candidate found beyond limit or fitting alone
  auto probe = [&](size_t k) {
    const Int64 w = measured(k);
    if (w > limit) {
      tooWide = std::min(tooWide, k);
      unsure = std::min(unsure, k);
    } else if (k < unsure && w <= limit - slack(fits, k)) {
      fits = std::max(fits, k + 1);
    } else {
      unsure = std::min(unsure, k);
    }
  };
  // Guided: the candidate guess() gives, between those shown to fit and the
  // first not, and the one after it when it fits with all before it, a few
  // times over as the guess learns from what is measured.
  size_t k = std::clamp<size_t>(guess(), lo, hi - 1);
  probe(k);
  for (int round = 0; round < 4; ++round) {
    const size_t top = std::min(unsure, tooWide);
    if (fits >= top) break;
    const size_t at = std::clamp<size_t>(guess(), fits, top - 1);
    if (find(at) != nullptr && (fits <= at || at + 1 >= hi || find(at + 1) != nullptr)) break;
    k = at;
    probe(k);
    if (fits > k && k + 1 < hi) probe(++k);
  }
  // Longer while every candidate so far fits.
  for (size_t step = 1; fits > k && k + 1 < hi; step *= 2) {
    k = std::min(hi - 1, k + step);
    probe(k);
  }
  // Shorter from the first candidate not shown to fit: outward while none is
  // shown to fit with all before it, then halving.
  bool outward = true;
  for (size_t step = 1; fits < std::min(unsure, tooWide);) {
    const size_t top = std::min(unsure, tooWide);
    if (outward && step < top - fits) {
      k = top - step;
      step *= 2;
    } else {
      outward = false;
      k = fits + (top - fits) / 2;
    }
    const size_t before = fits;
    probe(k);
    if (fits != before) outward = false;
  }
  for (k = fits; k < tooWide; ++k)
    if (measured(k) > limit) return k;
  return tooWide;
}

}  // namespace sk
