#include "platform/visual/Graphics.h"

#include <QtCore/QBuffer>
#include <QtCore/QByteArray>
#include <unicode/ubidi.h>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QGlyphRun>
#include <QtGui/QRawFont>
#include <QtGui/QTextLayout>
#include <QtGui/QGuiApplication>
#include <QtGui/QIcon>
#include <QtGui/QImage>
#include <QtGui/QImageReader>
#include <QtGui/QPainter>
#include <QtGui/QPixmap>
#include <QtGui/QRegion>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/runtime/Streams.h"
#include "platform/visual/QtConvert.h"
#include "platform/visual/QtFiles.h"
#include "platform/visual/Screen.h"

namespace sk {

namespace {

// a * b / c rounded half away from zero.
Int32 MulDivRound(Int32 a, Int32 b, Int32 c) {
  if (c == 0) return -1;
  long long p = static_cast<long long>(a) * b;
  long long q = c;
  if (q < 0) {
    p = -p;
    q = -q;
  }
  return static_cast<Int32>(p >= 0 ? (p + q / 2) / q : -((-p + q / 2) / q));
}

const String kEllipsis = u"...";

QPainter::CompositionMode PenComposition(TPenMode mode) {
  switch (mode) {
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmMergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    default: return QPainter::CompositionMode_SourceOver;
  }
}

QPainter::CompositionMode CopyComposition(TCopyMode mode) {
  switch (mode) {
    case cmSrcInvert: return QPainter::RasterOp_SourceXorDestination;
    case cmSrcAnd: return QPainter::RasterOp_SourceAndDestination;
    case cmSrcPaint: return QPainter::RasterOp_SourceOrDestination;
    case cmNotSrcCopy: return QPainter::RasterOp_NotSource;
    case cmSrcErase: return QPainter::RasterOp_SourceAndNotDestination;
    case cmNotSrcErase: return QPainter::RasterOp_NotSourceAndNotDestination;
    case cmMergePaint: return QPainter::RasterOp_NotSourceOrDestination;
    case cmDstInvert: return QPainter::RasterOp_NotDestination;
    default: return QPainter::CompositionMode_Source;
  }
}

Qt::BrushStyle QtBrushStyle(TBrushStyle s) {
  switch (s) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::BDiagPattern;  // rising to the right, like "/"
    case bsBDiagonal: return Qt::FDiagPattern;  // falling to the right, like "\"
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
  }
}

Qt::PenStyle QtPenStyle(TPenStyle s) {
  switch (s) {
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    default: return Qt::SolidLine;
  }
}

String DefaultFontName() {
  if (HasGuiApplication()) {
    const QString family = QGuiApplication::font().family();
    if (!family.isEmpty()) return FromQString(family);
  }
  return u"DejaVu Sans";
}

Int32 DefaultFontPoints() {
  if (HasGuiApplication()) {
    const int pt = QGuiApplication::font().pointSize();
    if (pt > 0 && pt < 200) return pt;
  }
  return 9;
}

// The text with the dialog-prefix rule applied: "&&" becomes "&", a lone "&"
// goes (it only underlines the next character).
String WithoutPrefixes(const String& s) {
  String r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&') {
      if (i + 1 < s.size() && s[i + 1] == u'&') {
        r += u'&';
        ++i;
      }
      continue;
    }
    r += s[i];
  }
  return r;
}

}  // namespace

String ExpandTabs(const String& s) {
  String r;
  for (Char c : s) {
    if (c == u'\t') {
      const size_t pad = 8 - (r.size() % 8);
      r.append(pad, u' ');
    } else {
      r += c;
    }
  }
  return r;
}

namespace {

Int32 Advance(const QFontMetrics& m, const String& s) {
  gTextUnitsLaidOut.fetch_add(s.size(), std::memory_order_relaxed);
  return m.horizontalAdvance(QStringView16(s));
}

void DrawTextAt(QPainter* p, const QPoint& at, const String& s) {
  gTextUnitsLaidOut.fetch_add(s.size(), std::memory_order_relaxed);
  p->drawText(at, QStringView16(s));
}

bool IsHighSurrogate(Char c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }

// True when position i of s falls between the two halves of a surrogate pair.
bool SplitsAPair(const String& s, size_t i) {
  return i > 0 && i < s.size() && IsLowSurrogate(s[i]) && IsHighSurrogate(s[i - 1]);
}

// Position i moved back to the start of the character it falls in.
size_t CharStart(const String& s, size_t i) { return SplitsAPair(s, i) ? i - 1 : i; }

// The number of units of the character that ends at position i / starts at i.
size_t CharBefore(const String& s, size_t i) { return i >= 2 && SplitsAPair(s, i - 1) ? 2 : 1; }
size_t CharAfter(const String& s, size_t i) { return SplitsAPair(s, i + 1) ? 2 : 1; }

// The ellipses try their candidates from the longest and take the first that
// fits. The candidates are found by FirstFitting (Graphics_shaping.h), which
// measures one by one only those cut inside a reach, and searches the rest.
// Each measurer keeps the last width it measured, as candidates of a
// surrogate pair's two halves are the same text. Candidates are measured
// through TPieceWidths, which shapes each run of emoji or of characters the
// font lacks once rather than once per candidate.

Int64 Measured(TPieceWidths& widths, const String& s) {
  gFitMeasurements.fetch_add(1, std::memory_order_relaxed);
  return widths.Width(s);
}

// The length of a head of s (top) from which on every head, with the
// ellipsis or without, and the whole text are too wide for width, found by
// measuring a head a little longer than width can show, lengthened until it
// is wider than width by more than a cut can change; top is npos when no head
// short of the whole text is that wide. Only about as much of the text as can
// be shown is read, however long it is. Where a head with the ellipsis
// reaches width is guessed from the head's width (guess; npos without one).
struct THeadsTooWide {
  size_t top;
  size_t guess;
  Int64 floor;  // no more than the width of the text or of any head from top on, and above width
};

// How many of the first units of a text, of which len units are w wide,
// may fit in width with the ellipsis, by the width they take on average.
size_t ShownOf(const QFontMetrics& m, size_t len, Int64 w, Int32 width) {
  const Int32 rest = std::max(0, width - Advance(m, kEllipsis));
  return static_cast<size_t>(static_cast<double>(len) * rest / static_cast<double>(std::max<Int64>(w, 1)));
}

THeadsTooWide HeadsTooWideFrom(const QFontMetrics& m, const QFont& font, TPieceWidths& widths, const String& s,
                               Int32 width) {
  const size_t n = s.size();
  const auto room = static_cast<size_t>(std::max(width, 1));
  size_t len = 16 + room / static_cast<size_t>(std::max(1, m.averageCharWidth()));
  while (len < n) {
    const size_t head = CharStart(s, len);
    // The characters just after the head count too: the cut is beside them.
    const TShapedSpan span = ShapedSpan(font, s.substr(0, std::min(n, head + 8)), ck_keep_head);
    const bool settled = head > span.anchor || !span.byNeighbours;
    const Int64 w = settled ? Measured(widths, s.substr(0, head)) : 0;
    if (settled && w > static_cast<Int64>(width) + span.slack) return {head, ShownOf(m, head, w, width), w - span.slack};
    // Long enough, by the width of what was measured, to hold the slack too.
    const auto wanted = static_cast<double>(head) * 1.5 * static_cast<double>(static_cast<Int64>(width) + span.slack + 1) /
                        static_cast<double>(std::max<Int64>(w, 1));
    len = std::max(2 * len, static_cast<size_t>(std::clamp(wanted, 0.0, 1e15)));
  }
  return {String::npos, String::npos, 0};
}

// The heads of s that the end and word ellipses try: those short of top
// (HeadsTooWideFrom; top is s's length when no shorter head is too wide).
// Nothing when s fits whole (fits is then true) or, with longer (s is only
// the start of the text), when that start cannot tell.
template <class Layout>
std::optional<THeadsTooWide> HeadsToTry(const QFontMetrics& m, const QFont& font, TPieceWidths& widths, const String& s,
                                        Int32 width, bool longer, bool& fits, Layout& layout) {
  THeadsTooWide bound = HeadsTooWideFrom(m, font, widths, s, width);
  fits = false;
  if (bound.top == String::npos) {
    if (longer) return std::nullopt;
    // A text measured whole is laid out instead: the floors of its heads
    // come from that layout if it does not fit.
    std::optional<Int64> whole = widths.InPieces(s);
    if (!whole) {
      gFitMeasurements.fetch_add(1, std::memory_order_relaxed);
      whole = layout.Whole();
    }
    if (!whole) whole = Measured(widths, s);
    fits = *whole <= width;
    if (fits) return std::nullopt;
    // Where the heads reach width is guessed from the whole text's width,
    // as from a head's.
    bound = {s.size(), ShownOf(m, s.size(), *whole, width), 0};
  }
  return bound;
}

// No more than the widths of the heads of a text with the ellipsis, from one
// shaping of the text: the width the head's characters take there, less
// those before the cut that it can reshape (the blanks that end the head and
// the word before them, at most eight of its characters), plus the ellipsis,
// less a pixel of rounding and one of kerning; for a cut in the middle, the
// same on both sides of it. A cut among or just after the marks over a
// letter is bounded to the 1/64 pixel (Graphics_shaping.h tells why such
// cuts are common near the limit). The text is shaped only when a floor is
// first asked for.
class THeadFloor {
 public:
  THeadFloor(const QFont& font, const String& text, Int32 ellipsis)
      : fFont(font), fText(text), fEllipsis(ellipsis) {}

  Int64 operator()(size_t head) {
    // A cut among the marks over a letter of a script that does not join,
    // or just after the last of them or the blanks after them, leaves the
    // letter's own glyph and what is before it as they were, and a mark
    // takes no room from its letter: at least what they take there, with the
    // letter and each blank no narrower than alone, and the ellipsis no
    // narrower than beside the character before it alone (where the two may
    // kern) or alone.
    size_t stackEnd = head;
    while (stackEnd > 0 && fText[stackEnd - 1] == u' ') --stackEnd;
    const size_t base = MarkedLetter(stackEnd);
    if (base != String::npos && StartsCluster(base)) {
      const std::optional<double> before = Head(base), with = Head(base + 1);
      const std::optional<double> stack = stackEnd < head ? Head(stackEnd) : 0.0, all = stackEnd < head ? Head(head) : 0.0;
      if (before && with && stack && all) {
        const TLetter& letter = Letter(fText[base]);
        double least = *before + std::min(*with - *before, letter.advance) + letter.ellipsis;
        if (stackEnd < head) {
          const TLetter& blank = Letter(u' ');
          least += std::min(*all - *stack, static_cast<double>(head - stackEnd) * blank.advance) - letter.ellipsis +
                   blank.ellipsis;
        }
        // Qt rounds the advances' sum to the nearest pixel; the advances the
        // font gives a glyph apart may be a little above those it shapes with.
        return static_cast<Int64>(std::ceil(least - 0.5 - kApartAdvanceError));
      }
    }
    const size_t back = Back(head);
    if (back == 0) return kAlwaysFits;
    const std::optional<double> taken = Head(back);
    return taken ? static_cast<Int64>(std::floor(*taken)) + fEllipsis - 2 : kAlwaysFits;
  }

  // The same for a candidate that keeps [0, head) and [tail, size): the
  // blanks that open the tail and the letters of the word after them may
  // change too, and each side of the ellipsis may kern with it.
  Int64 Ends(size_t head, size_t tail) {
    size_t back = Back(head);
    const size_t n = fText.size();
    size_t on = tail;
    while (on < n && fText[on] == u' ') ++on;
    const size_t word = on;
    while (on < n && on - word < 8 && fText[on] != u' ') ++on;
    if (SplitsAPair(fText, on)) ++on;
    // The layout hands over the whole of a cluster for a range that meets
    // it: a side counted from inside a cluster would count its letter, which
    // may lie in the cut (a tail that starts among the marks over a letter
    // cut away), or its marks beyond the head. Each side is counted from
    // the edge of a cluster on its far side of the cut.
    while (back > 0 && !StartsCluster(back)) back = CharStart(fText, back - 1);
    while (on < n && !StartsCluster(on)) on += CharAfter(fText, on);
    if (back == 0 && on == n) return kAlwaysFits;
    std::optional<double> taken;
    if (LeftToRightLine()) {
      // On a line of one direction the two sides take what the cursor
      // crosses over them: the glyphs' own advances would count a mark that
      // a font draws with an advance of its own but places over its letter.
      const QTextLine line = fLayout->lineAt(0);
      taken = line.cursorToX(static_cast<int>(back)) + line.horizontalAdvance() - line.cursorToX(static_cast<int>(on));
    } else {
      taken = Taken({0, back}, {on, n});
    }
    return taken ? static_cast<Int64>(std::floor(*taken)) + fEllipsis - 3 : kAlwaysFits;
  }

  // The text's width as QFontMetrics gives it (the advances of its one line,
  // rounded as Qt rounds them), from the layout the floors come from;
  // nothing when the text does not lay out on one line.
  std::optional<Int64> Whole() {
    Layout();
    if (fLayout->lineCount() != 1) return std::nullopt;
    const QTextLine line = fLayout->lineAt(0);
    if (static_cast<size_t>(line.textLength()) != fText.size()) return std::nullopt;
    return (std::llround(line.horizontalAdvance() * 64) + 32) >> 6;
  }

 private:
  static constexpr double kApartAdvanceError = 2.0 / 64;

  void Layout() {
    if (fLayout) return;
    fLayout.emplace(QString(reinterpret_cast<const QChar*>(fText.data()), static_cast<qsizetype>(fText.size())),
                    fFont);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    fLayout->setTextOption(option);
    // Else the glyphs are let go after the layout and shaped anew when
    // first asked for.
    fLayout->setCacheEnabled(true);
    fLayout->beginLayout();
    fLayout->createLine();
    fLayout->endLayout();
  }

  // Whether the text lays out as one line of left-to-right runs only: no
  // character of a right-to-left script or an Arabic number, no direction
  // control, and no character beyond the Basic Multilingual Plane.
  bool LeftToRightLine() {
    if (fLeftToRight) return *fLeftToRight;
    bool ltr = true;
    for (const Char c : fText) {
      if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
        ltr = false;
        break;
      }
      switch (u_charDirection(c)) {
        case U_LEFT_TO_RIGHT:
        case U_EUROPEAN_NUMBER:
        case U_EUROPEAN_NUMBER_SEPARATOR:
        case U_EUROPEAN_NUMBER_TERMINATOR:
        case U_COMMON_NUMBER_SEPARATOR:
        case U_WHITE_SPACE_NEUTRAL:
        case U_OTHER_NEUTRAL:
        case U_DIR_NON_SPACING_MARK:
        case U_BOUNDARY_NEUTRAL: break;
        default: ltr = false;
      }
      if (!ltr) break;
    }
    if (ltr) {
      Layout();
      ltr = fLayout->lineCount() == 1 && static_cast<size_t>(fLayout->lineAt(0).textLength()) == fText.size();
    }
    fLeftToRight = ltr;
    return ltr;
  }

  // Blanks that end the head may go with the cut (at the end of a line or
  // of a direction run), and so may the letters of the word before it.
  size_t Back(size_t head) const {
    size_t back = head;
    while (back > 0 && fText[back - 1] == u' ') --back;
    const size_t word = back;
    while (back > 0 && word - back < 8 && fText[back - 1] != u' ') --back;
    return CharStart(fText, back);
  }

  // What the glyphs of the characters before end cover, asked of the layout
  // once for each end. The floors asked for lie near one another: what the
  // characters before a blank a little before end cover is kept, merged,
  // and only the glyphs from that blank on are asked for again.
  std::optional<double> Head(size_t end) {
    const auto known = fHeads.find(end);
    if (known != fHeads.end()) return known->second;
    const size_t anchor = Anchor(end);
    std::optional<double> taken;
    if (anchor == 0) {
      taken = Taken({0, end}, {0, 0});
    } else {
      auto kept = fKept.find(anchor);
      if (kept == fKept.end()) {
        std::vector<std::pair<double, double>> stretches;
        if (!Cover(0, anchor, stretches)) stretches.assign(1, {0, -1});
        Merge(stretches);
        kept = fKept.emplace(anchor, std::move(stretches)).first;
      }
      fCovered = kept->second;
      if (!(fCovered.size() == 1 && fCovered[0].second < fCovered[0].first) && Cover(anchor, end, fCovered))
        taken = Merge(fCovered);
    }
    fHeads.emplace(end, taken);
    return taken;
  }

  // A blank some way before end, where no cluster spans the cut, shared by
  // nearby ends; 0 when none is near.
  size_t Anchor(size_t end) const {
    constexpr size_t kNear = 64, kStep = 32, kFar = 256;
    if (end < kNear + kStep) return 0;
    const size_t from = end - kNear - end % kStep;
    for (size_t i = from; i > 0 && from - i < kFar; --i)
      if (fText[i] == u' ' && fText[i - 1] == u' ') continue;
      else if (fText[i] == u' ') return i;
    return 0;
  }

  // True when the glyphs of the character at i are none of those of the
  // character before it: no ligature or cluster holds both. The layout hands
  // over the whole of a cluster for a range that ends inside it.
  bool StartsCluster(size_t i) {
    if (i == 0) return true;
    const auto known = fStarts.find(i);
    if (known != fStarts.end()) return known->second;
    const std::vector<std::pair<quint32, double>> before = GlyphsOf(i - 1), at = GlyphsOf(i);
    const bool starts = std::none_of(at.begin(), at.end(), [&](const auto& glyph) {
      return std::find(before.begin(), before.end(), glyph) != before.end();
    });
    fStarts.emplace(i, starts);
    return starts;
  }

  // The glyphs the layout hands over for the character at i, and where they stand.
  std::vector<std::pair<quint32, double>> GlyphsOf(size_t i) {
    Layout();
    std::vector<std::pair<quint32, double>> found;
    for (const QGlyphRun& run : fLayout->glyphRuns(static_cast<int>(i), 1)) {
      const QList<QPointF> at = run.positions();
      const QList<quint32> glyphs = run.glyphIndexes();
      for (qsizetype g = 0; g < glyphs.size() && g < at.size(); ++g) found.emplace_back(glyphs[g], at[g].x());
    }
    return found;
  }

  static bool IsMark(Char c) {
    const int8_t type = u_charType(c);
    return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK;
  }

  // The letter under the nonspacing marks that a cut at head falls among or
  // just after (before what follows them), when it is a Latin, Greek or
  // Cyrillic letter; else npos.
  size_t MarkedLetter(size_t head) const {
    if (head >= fText.size() || head == 0 || !(IsMark(fText[head]) || IsMark(fText[head - 1])))
      return String::npos;
    size_t b = head;
    while (b > 0 && IsMark(fText[b - 1])) --b;
    if (b == 0) return String::npos;
    const Char c = fText[--b];
    if (IsHighSurrogate(c) || IsLowSurrogate(c) || !u_isalpha(c)) return String::npos;
    UErrorCode status = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(c, &status);
    if (U_FAILURE(status) || (script != USCRIPT_LATIN && script != USCRIPT_GREEK && script != USCRIPT_CYRILLIC))
      return String::npos;
    return b;
  }

  // A letter's advance alone (0 when the font lacks it), and what the
  // ellipsis takes after it: no more than alone, nor than beside the letter.
  struct TLetter {
    double advance, ellipsis;
  };
  const TLetter& Letter(Char c) {
    if (fLetters == nullptr) {
      // Kept for each font from one fit to the next, as the cells of a grid
      // share their font; a thread that meets many fonts keeps only the
      // first few.
      thread_local std::unordered_map<QString, std::unordered_map<Char, TLetter>> fonts;
      const QString key = fFont.key();
      auto known = fonts.find(key);
      if (known == fonts.end() && fonts.size() < 64) known = fonts.emplace(key, std::unordered_map<Char, TLetter>{}).first;
      fLetters = known == fonts.end() ? &fOwnLetters : &known->second;
    }
    const auto known = fLetters->find(c);
    if (known != fLetters->end()) return known->second;
    if (!fRaw) fRaw = QRawFont::fromFont(fFont);
    const QFontMetricsF m(fFont);
    const QString alone{QChar(c)};
    const QString ellipsis = QString::fromUtf16(kEllipsis.data(), static_cast<qsizetype>(kEllipsis.size()));
    const QList<quint32> glyphs = fRaw->glyphIndexesForString(alone);
    TLetter letter{0, m.horizontalAdvance(ellipsis)};
    if (glyphs.size() == 1 && glyphs[0] != 0) {
      letter.advance = std::max(0.0, m.horizontalAdvance(alone));
      letter.ellipsis = std::min(letter.ellipsis, m.horizontalAdvance(alone + ellipsis) - letter.advance);
    } else {
      letter.ellipsis = std::min<double>(letter.ellipsis, fEllipsis - 1);
    }
    return fLetters->emplace(c, letter).first->second;
  }

  // The pixels of the line that the glyphs of the characters of the two
  // ranges cover, in one shaping of the whole text; nothing when that cannot
  // be told.
  std::optional<double> Taken(std::pair<size_t, size_t> first, std::pair<size_t, size_t> second) {
    fCovered.clear();
    for (const auto& [from, to] : {first, second})
      if (!Cover(from, to, fCovered)) return std::nullopt;
    return Merge(fCovered);
  }

  // The stretches of the line that the glyphs of the characters of [from,
  // to) cover, added to covered; false when that cannot be told.
  bool Cover(size_t from, size_t to, std::vector<std::pair<double, double>>& covered) {
    if (to <= from) return true;
    Layout();
    // Runs of one font are handed over together, whatever lies between them.
    for (const QGlyphRun& run : fLayout->glyphRuns(static_cast<int>(from), static_cast<int>(to - from))) {
      const QList<QPointF> at = run.positions();
      const QList<quint32> glyphs = run.glyphIndexes();
      if (glyphs.size() != at.size()) return false;
      const std::unordered_map<quint32, double>& advance = Advances(run.rawFont(), glyphs);
      for (qsizetype g = 0; g < at.size(); ++g) {
        const auto a = advance.find(glyphs[g]);
        if (a == advance.end()) return false;
        // A glyph of no advance (a mark over its letter) covers nothing.
        if (a->second > 0) covered.emplace_back(at[g].x(), at[g].x() + a->second);
      }
    }
    return true;
  }

  // The stretches merged into those they overlap, and their total length.
  static double Merge(std::vector<std::pair<double, double>>& covered) {
    if (!std::is_sorted(covered.begin(), covered.end())) std::sort(covered.begin(), covered.end());
    double taken = 0;
    size_t kept = 0;
    for (const auto& [from, to] : covered) {
      if (kept > 0 && from <= covered[kept - 1].second) {
        if (to <= covered[kept - 1].second) continue;
        taken += to - covered[kept - 1].second;
        covered[kept - 1].second = to;
      } else {
        taken += to - from;
        covered[kept++] = {from, to};
      }
    }
    covered.resize(kept);
    return taken;
  }

  // The advances of glyphs of font, each asked of the font once: a font of
  // colour bitmaps decodes a glyph's image each time its advance is asked.
  const std::unordered_map<quint32, double>& Advances(const QRawFont& font, const QList<quint32>& glyphs) {
    auto known = std::find_if(fAdvances.begin(), fAdvances.end(), [&](const auto& f) { return f.first == font; });
    if (known == fAdvances.end()) known = fAdvances.insert(fAdvances.end(), {font, {}});
    std::unordered_map<quint32, double>& advance = known->second;
    QList<quint32> fresh;
    for (const quint32 g : glyphs)
      if (advance.emplace(g, 0.0).second) fresh.push_back(g);
    if (!fresh.isEmpty()) {
      const QList<QPointF> a = font.advancesForGlyphIndexes(fresh);
      for (qsizetype i = 0; i < fresh.size(); ++i)
        if (i < a.size())
          advance[fresh[i]] = a[i].x();
        else
          advance.erase(fresh[i]);
    }
    return advance;
  }

  const QFont& fFont;
  const String& fText;
  Int32 fEllipsis;
  std::optional<QTextLayout> fLayout;
  std::vector<std::pair<QRawFont, std::unordered_map<quint32, double>>> fAdvances;
  std::vector<std::pair<double, double>> fCovered;
  std::optional<QRawFont> fRaw;
  std::unordered_map<Char, TLetter>* fLetters = nullptr;
  std::unordered_map<Char, TLetter> fOwnLetters;
  std::unordered_map<size_t, std::optional<double>> fHeads;
  std::unordered_map<size_t, std::vector<std::pair<double, double>>> fKept;
  std::unordered_map<size_t, bool> fStarts;
  std::optional<bool> fLeftToRight;
};

// The longest head of s that fits in width together with the ellipsis: the
// head loses a character at a time from its end (a surrogate pair goes
// whole) until it fits or is empty. With longer, s is only the start of the
// text: nothing is answered when that start cannot tell. laidOut, when
// given, is the floors of s a caller has already had s laid out for.
std::optional<String> EndElided(const QFontMetrics& m, const QFont& font, const String& s, Int32 width,
                                bool longer = false, THeadFloor* laidOut = nullptr) {
  bool fits = false;
  TPieceWidths widths(font);
  const Int32 ellipsis = Advance(m, kEllipsis);
  THeadFloor own(font, s, ellipsis);
  THeadFloor& whole = laidOut != nullptr ? *laidOut : own;
  const std::optional<THeadsTooWide> heads = HeadsToTry(m, font, widths, s, width, longer, fits, whole);
  if (!heads) return fits ? std::optional<String>(s) : std::nullopt;
  const THeadsTooWide bound = *heads;
  // Candidate k keeps the head up to top - k, moved back to a character's
  // start; the heads from top on are too wide already.
  const size_t top = bound.top;
  const String t = s.substr(0, top);
  const TShapedSpan span = ShapedSpan(font, t, ck_keep_head);
  auto head = [&](size_t k) { return CharStart(t, top - k); };
  size_t lastHead = top + 1;
  Int64 lastWidth = 0;
  auto measured = [&](size_t k) -> Int64 {
    const size_t h = head(k);
    if (h == 0) return kAlwaysFits;
    if (h != lastHead) {
      lastHead = h;
      lastWidth = widths.Width(t.substr(0, h) + kEllipsis);
    }
    return lastWidth;
  };
  const size_t guess = bound.guess < top ? top - bound.guess : String::npos;
  THeadFloor shorter(font, t, ellipsis);
  THeadFloor& floor = top == s.size() ? whole : shorter;
  const size_t k = FirstFitting(
      top + 1, width, span.slack, measured, [&](size_t k) { return span.Holds(head(k), top); },
      [&](size_t k) { return span.Regime(head(k), top); }, guess, [&](size_t k) { return floor(head(k)); });
  return t.substr(0, head(k)) + kEllipsis;
}

// The text cut at its last blank again and again until it fits with the
// ellipsis; a text with no head left that way gets the end ellipsis.
std::optional<String> WordElided(const QFontMetrics& m, const QFont& font, const String& s, Int32 width,
                                 bool longer = false) {
  bool fits = false;
  TPieceWidths widths(font);
  const Int32 ellipsis = Advance(m, kEllipsis);
  THeadFloor whole(font, s, ellipsis);
  const std::optional<THeadsTooWide> heads = HeadsToTry(m, font, widths, s, width, longer, fits, whole);
  if (!heads) return fits ? std::optional<String>(s) : std::nullopt;
  const THeadsTooWide bound = *heads;
  // The heads tried are the text before each blank, from the last blank to
  // the first; a blank at the start leaves no head. Heads from top on are
  // too wide already.
  const size_t top = bound.top;
  const String t = s.substr(0, top);
  std::vector<size_t> blanks;
  size_t guess = String::npos;
  for (size_t i = top; i-- > 1;)
    if (s[i] == u' ') {
      if (guess == String::npos && i <= bound.guess) guess = blanks.size();
      blanks.push_back(i);
    }
  const TShapedSpan span = ShapedSpan(font, t, ck_keep_head);
  THeadFloor shorter(font, t, ellipsis);
  THeadFloor& floor = top == s.size() ? whole : shorter;
  const size_t k = FirstFitting(
      blanks.size(), width, span.slack,
      [&](size_t k) -> Int64 { return widths.Width(t.substr(0, blanks[k]) + kEllipsis); },
      [&](size_t k) { return span.Holds(blanks[k], top); }, [&](size_t k) { return span.Regime(blanks[k], top); },
      guess, [&](size_t k) { return floor(blanks[k]); });
  return k == blanks.size() ? EndElided(m, font, s, width, longer, &whole) : t.substr(0, blanks[k]) + kEllipsis;
}

// Path ellipsis: the text after the last path delimiter stays whole while the
// part before it is cut from its end; without a delimiter the middle goes.
// Characters go whole: a surrogate pair is never cut.
String PathElided(const QFontMetrics& m, const QFont& font, const String& s, Int32 width) {
  TPieceWidths widths(font);
  if (widths.Width(s) <= width) return s;
  const size_t delim = s.find_last_of(u"\\/");
  if (delim == String::npos) {
    // From a split in the middle, the longer side (the head on a tie) loses
    // the character next to the ellipsis until the rest fits or nothing is
    // left, which ends the cutting whether it fits or not. The heads and
    // tails are worked out first. Where every character keeps its font
    // whatever is cut, floors from one shaping pass over most candidates.
    struct Cut {
      size_t head, tail;
    };
    std::vector<Cut> cuts;
    size_t head = CharStart(s, s.size() / 2), tail = head;
    cuts.push_back({head, tail});
    while (head > 0 || tail < s.size()) {
      if (head >= s.size() - tail && head > 0)
        head -= CharBefore(s, head);
      else
        tail += CharAfter(s, tail);
      cuts.push_back({head, tail});
    }
    auto shown = [&](const Cut& c) { return s.substr(0, c.head) + kEllipsis + s.substr(c.tail); };
    const size_t last = cuts.size() - 1;
    const TShapedSpan span = ShapedSpan(font, s, ck_keep_ends);
    THeadFloor floor(font, s, Advance(m, kEllipsis));
    const size_t j = FirstFitting(
        cuts.size(), width, span.slack,
        [&](size_t j) -> Int64 { return j == last ? kAlwaysFits : widths.Width(shown(cuts[j])); },
        [&](size_t j) { return span.Holds(cuts[j].head, cuts[j].tail); },
        [&](size_t j) { return span.Regime(cuts[j].head, cuts[j].tail); }, String::npos,
        [&](size_t j) { return span.byNeighbours || j == last ? kAlwaysFits : floor.Ends(cuts[j].head, cuts[j].tail); });
    return shown(cuts[j]);
  }
  const String tail = s.substr(delim);
  // The fixed tail's leading characters take their script from the head.
  const TShapedSpan span = ShapedSpan(font, s, ck_keep_ends);
  // Candidate k keeps the head up to delim - k, moved back to a character's
  // start, down to no head at all.
  auto head = [&](size_t k) { return CharStart(s, delim - k); };
  size_t lastHead = delim + 1;
  Int64 lastWidth = 0;
  auto measured = [&](size_t k) -> Int64 {
    const size_t h = head(k);
    if (h != lastHead) {
      lastHead = h;
      lastWidth = widths.Width(s.substr(0, h) + kEllipsis + tail);
    }
    return lastWidth;
  };
  const size_t k = FirstFitting(
      delim + 1, width, span.slack, measured, [&](size_t k) { return span.Holds(head(k), delim); },
      [&](size_t k) { return span.Regime(head(k), delim); });
  if (k <= delim) return s.substr(0, head(k)) + kEllipsis + tail;
  return *EndElided(m, font, kEllipsis + tail, width);
}

// A line far wider than the rectangle it is clipped to, drawn without an
// ellipsis and not centred, shows only the end it is aligned to: a head when
// it starts at the visible edge (left-aligned left to right, right-aligned
// right to left), else a tail. That end is drawn alone, so that the cost is
// that of what shows. It is drawn where the same characters of the whole
// line would be, provided that the cut changes nothing that shows:
// - the characters of the window beyond its first strong character (a tail)
//   or before its last one (a head) take the same bidirectional levels alone
//   as in the whole line, unless a direction embedding, isolate or paragraph
//   break is in the window, or a bracket there pairs with one beyond the cut
//   (the settled part then starts after it, or ends before it);
// - a character of the settled part at the paragraph's level has the
//   characters before it on one side and those after it on the other, in
//   the window as in the whole line: what lies beyond it, away from the cut,
//   is placed alike;
// - a cut changes the shapes and the fallback fonts of the characters near
//   it only; a tail is never cut inside a run of regional indicators, which
//   pair from the run's start.
// What is placed alike, less the 32 characters nearest the cut, must fill
// the rectangle. Glyph advances are whole pixels (hinted fonts), so the
// window's characters are placed to the pixel as in the whole line.
bool IsRegionalIndicatorAt(const String& s, size_t i) {
  return i + 1 < s.size() && s[i] == 0xD83C && s[i + 1] >= 0xDDE6 && s[i + 1] <= 0xDDFF;
}

// Direction controls, whose effect reaches across the runs of a line, and
// paragraph breaks.
bool ReachesAcrossRuns(UCharDirection direction) {
  switch (direction) {
    case U_LEFT_TO_RIGHT_EMBEDDING:
    case U_LEFT_TO_RIGHT_OVERRIDE:
    case U_RIGHT_TO_LEFT_EMBEDDING:
    case U_RIGHT_TO_LEFT_OVERRIDE:
    case U_POP_DIRECTIONAL_FORMAT:
    case U_LEFT_TO_RIGHT_ISOLATE:
    case U_RIGHT_TO_LEFT_ISOLATE:
    case U_FIRST_STRONG_ISOLATE:
    case U_POP_DIRECTIONAL_ISOLATE:
    case U_BLOCK_SEPARATOR: return true;
    default: return false;
  }
}

std::optional<String> LineWindow(const QFontMetrics& m, const String& line, Int32 width, bool tail, bool rtl) {
  const size_t n = line.size();
  constexpr size_t kNearCut = 32;
  const auto room = static_cast<size_t>(std::max(width, 1));
  for (size_t len = 2 * kNearCut + 4 * room / static_cast<size_t>(std::max(1, m.averageCharWidth()));
       2 * len < n; len *= 4) {
    size_t from = tail ? n - len : 0, to = tail ? n : len;
    if (tail) {
      from = CharStart(line, from);
      // A run of regional indicators pairs from its start: the cut goes
      // before it (a long run keeps the whole line).
      for (size_t back = 0; from >= 2 && IsRegionalIndicatorAt(line, from - 2) && IsRegionalIndicatorAt(line, from);
           back += 2) {
        if (back > 64) return std::nullopt;
        from -= 2;
      }
    } else {
      to = CharStart(line, to);
    }
    // The settled part, from the window alone: from the first strong
    // character after the last closing bracket whose opener is not in the
    // window (a tail), or up to the last strong character before the first
    // opening bracket whose closer is not in it (a head).
    size_t settledFrom = String::npos, settledTo = 0;
    struct TOpener {
      UChar32 closer;
      size_t strongBefore;  // the end of the last strong character before it
    };
    std::vector<TOpener> open;
    for (size_t i = from; i < to;) {
      UChar32 c = line[i];
      size_t units = 1;
      if (IsHighSurrogate(line[i]) && i + 1 < to && IsLowSurrogate(line[i + 1])) {
        c = 0x10000 + ((static_cast<UChar32>(line[i]) - 0xD800) << 10) + (line[i + 1] - 0xDC00);
        units = 2;
      }
      const UCharDirection direction = u_charDirection(c);
      if (direction == U_LEFT_TO_RIGHT || direction == U_RIGHT_TO_LEFT || direction == U_RIGHT_TO_LEFT_ARABIC) {
        if (settledFrom == String::npos) settledFrom = i - from;
        settledTo = i + units - from;
      } else if (ReachesAcrossRuns(direction)) {
        return std::nullopt;
      }
      const auto bracket = static_cast<UBidiPairedBracketType>(u_getIntPropertyValue(c, UCHAR_BIDI_PAIRED_BRACKET_TYPE));
      if (bracket == U_BPT_OPEN) {
        open.push_back({u_getBidiPairedBracket(c), settledTo});
      } else if (bracket == U_BPT_CLOSE) {
        // Angle brackets have two forms, paired either way.
        auto same = [c](UChar32 o) { return o == c || ((o == 0x232A || o == 0x3009) && (c == 0x232A || c == 0x3009)); };
        auto match = std::find_if(open.rbegin(), open.rend(), [&](const TOpener& o) { return same(o.closer); });
        if (match == open.rend())
          settledFrom = String::npos;
        else
          open.erase(std::prev(match.base()), open.end());
      }
      i += units;
    }
    if (!open.empty()) settledTo = std::min(settledTo, open.front().strongBefore);
    if (tail ? settledFrom == String::npos : settledTo <= kNearCut) continue;
    const String window = line.substr(from, to - from);
    // A character at the paragraph's level in the settled part, as far from
    // the cut as it can be while what lies beyond it fills the rectangle.
    UErrorCode err = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_openSized(static_cast<int32_t>(window.size()), 0, &err);
    const UBiDiLevel base = rtl ? 1 : 0;
    if (U_SUCCESS(err))
      ubidi_setPara(bidi, reinterpret_cast<const UChar*>(window.data()), static_cast<int32_t>(window.size()), base,
                    nullptr, &err);
    const UBiDiLevel* levels = U_SUCCESS(err) ? ubidi_getLevels(bidi, &err) : nullptr;
    std::optional<String> found;
    if (U_SUCCESS(err) && levels != nullptr) {
      if (tail) {
        for (size_t q = std::max(settledFrom, kNearCut); q < window.size() && !found; ++q)
          if (levels[q] == base && !SplitsAPair(window, q)) {
            if (Advance(m, window.substr(q)) > static_cast<Int64>(width) + m.height()) found = window;
            break;
          }
      } else {
        for (size_t q = std::min(settledTo, window.size() - kNearCut); q-- > 0;)
          if (levels[q] == base) {
            if (Advance(m, window.substr(0, CharStart(window, q))) > static_cast<Int64>(width) + m.height())
              found = window;
            break;
          }
      }
    }
    if (bidi != nullptr) ubidi_close(bidi);
    if (found) return found;
  }
  return std::nullopt;
}

// A long line clipped without an ellipsis that LineWindow cannot cut (centred,
// right-aligned, of the other direction than the paragraph, or with both
// directions in view) is measured in pieces and only the pieces that show are
// drawn. The pieces are cut after blanks and between ideographs or kana,
// where shaping never joins its neighbours, inside the runs of one
// direction that the bidirectional algorithm gives the whole line; each
// distinct piece is laid out once, so that a long line costs the layout of
// its distinct words and of what shows. Glyph advances are summed in 64ths
// of a pixel as the painter sums them, so the line's width, and the place of
// each piece in it, come out exactly as when the whole line is laid out;
// each piece shown is drawn at that place, alone, in its run's direction.
struct TLinePieces {
  // The width of a run's pieces before a piece, kept every so many pieces so
  // that drawing starts near what shows.
  struct TMark {
    size_t at;
    Int64 before;
  };
  struct TRun {
    size_t from, to;  // units of the line
    bool rtl;
    Int64 width;  // in 64ths of a pixel
    std::vector<TMark> marks;
    // Where the painter cuts the run into items shaped alone (every so many
    // units from its start), or 0 where such cuts change nothing.
    size_t items;
  };
  std::vector<TRun> runs;  // in visual order
  Int64 width = 0;         // the whole line's, in 64ths of a pixel
  std::unordered_map<std::u16string_view, Int64> pieceWidths;
};

bool IsKanaOrIdeograph(Char c) { return (c >= 0x3041 && c <= 0x30FA) || (c >= 0x4E00 && c <= 0x9FFF); }

// Calls piece(from, to) for each piece of line[from, to) of a run in logical
// order, until it answers false; the pieces are cut where the painter cuts
// the run's items too.
template <typename F>
void ForEachPiece(const String& line, const TLinePieces::TRun& run, size_t from, F piece) {
  size_t cut = from;
  const size_t to = run.to;
  for (size_t i = from + 1; i < to; ++i)
    if ((line[i - 1] == u' ' && line[i] != u' ') || (IsKanaOrIdeograph(line[i - 1]) && IsKanaOrIdeograph(line[i])) ||
        (run.items > 0 && (i - run.from) % run.items == 0)) {
      if (!piece(cut, i)) return;
      cut = i;
    }
  piece(cut, to);
}

// The width of a piece in 64ths of a pixel, laid out the first time it is met.
Int64 PieceWidth(const QFontMetricsF& m, TLinePieces& line, std::u16string_view piece) {
  auto [at, fresh] = line.pieceWidths.try_emplace(piece, 0);
  if (fresh) {
    gTextUnitsLaidOut.fetch_add(piece.size(), std::memory_order_relaxed);
    at->second = std::llround(m.horizontalAdvance(QString::fromRawData(reinterpret_cast<const QChar*>(piece.data()),
                                                                       static_cast<qsizetype>(piece.size()))) *
                              64);
  }
  return at->second;
}

// Characters that make the line's layout depend on more than its pieces in
// their runs: overrides (which turn letters that a piece drawn alone would
// not), tabs (placed by their position), and the separators of blocks, lines
// and paragraphs (which start a paragraph of their own).
bool BreaksPieces(Char c) {
  const UCharDirection direction = u_charDirection(c);
  return direction == U_LEFT_TO_RIGHT_OVERRIDE || direction == U_RIGHT_TO_LEFT_OVERRIDE ||
         direction == U_BLOCK_SEPARATOR || direction == U_SEGMENT_SEPARATOR || c == 0x9C || c == 0x2028 ||
         c == 0x0B || c == 0x0C;
}

// The painter shapes a run of one direction and script in items of at most
// 4096 units from the run's start, each alone. A long run in which no cut
// anywhere changes a glyph (no joining script, mark, format character or
// sequence of surrogates) is cut at blanks only; another is cut where the
// painter cuts it too, when its letters are of one script, which the
// painter's items then follow from the run's start.
constexpr size_t kPainterItemLength = 4096;

bool OfOneScript(const String& line, size_t from, size_t to) {
  UScriptCode one = USCRIPT_COMMON;
  for (size_t i = from; i < to; ++i) {
    if (line[i] < 0x80) continue;
    if (IsHighSurrogate(line[i]) || IsLowSurrogate(line[i])) return false;
    UErrorCode err = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(line[i], &err);
    if (U_FAILURE(err)) return false;
    if (script == USCRIPT_COMMON || script == USCRIPT_INHERITED) continue;
    if (one != USCRIPT_COMMON && script != one) return false;
    one = script;
  }
  return true;
}

bool ShapesAlone(Char c) {
  if (c >= 0x20 && c < 0x250) return c != 0xAD;
  if (IsHighSurrogate(c) || IsLowSurrogate(c)) return false;
  switch (u_charType(c)) {
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_COMBINING_SPACING_MARK:
    case U_FORMAT_CHAR:
    case U_CONTROL_CHAR: return false;
    default: break;
  }
  UErrorCode err = U_ZERO_ERROR;
  switch (uscript_getScript(c, &err)) {
    case USCRIPT_COMMON:
    case USCRIPT_LATIN:
    case USCRIPT_GREEK:
    case USCRIPT_CYRILLIC:
    case USCRIPT_HAN:
    case USCRIPT_HIRAGANA:
    case USCRIPT_KATAKANA: return U_SUCCESS(err);
    default: return false;
  }
}

struct TLevelRun {
  size_t from, to;
  UBiDiLevel level;
};

// The runs of one level of line[from, to) taken alone as a paragraph of the
// given direction, appended in logical order to runs (joined to the last one
// when of its level).
bool AppendLevelRuns(const String& line, size_t from, size_t to, bool rtl, std::vector<TLevelRun>& runs) {
  UErrorCode err = U_ZERO_ERROR;
  UBiDi* bidi = ubidi_openSized(static_cast<int32_t>(to - from), 0, &err);
  if (U_SUCCESS(err))
    ubidi_setPara(bidi, reinterpret_cast<const UChar*>(line.data() + from), static_cast<int32_t>(to - from),
                  rtl ? 1 : 0, nullptr, &err);
  const UBiDiLevel* levels = U_SUCCESS(err) ? ubidi_getLevels(bidi, &err) : nullptr;
  if (U_SUCCESS(err) && levels != nullptr)
    for (size_t i = from; i < to; ++i) {
      if (runs.empty() || runs.back().level != levels[i - from] || runs.back().to != i)
        runs.push_back({i, i + 1, levels[i - from]});
      else
        runs.back().to = i + 1;
    }
  if (bidi != nullptr) ubidi_close(bidi);
  return U_SUCCESS(err) && levels != nullptr;
}

bool IsPairedBracket(Char c, UBidiPairedBracketType type) {
  return c < 0x7F ? (type == U_BPT_OPEN ? c == u'(' || c == u'[' || c == u'{' : c == u')' || c == u']' || c == u'}')
                  : u_getIntPropertyValue(c, UCHAR_BIDI_PAIRED_BRACKET_TYPE) == type;
}

// The runs of one level of a line in visual order. Without right-to-left
// letters or direction controls a left-to-right paragraph is one run, and in
// a right-to-left one everything from the first left-to-right letter to the
// last is one run, unless a bracket pairs across either end: only the ends
// are worked out. Other lines take the levels the bidirectional algorithm
// gives the whole line, whose runs are put in visual order by reversing, from
// the highest level down to the lowest odd one, every sequence of runs at
// that level or above.
std::optional<std::vector<TLevelRun>> VisualRuns(const String& line, bool rtl, bool rightToLeftLetters,
                                                 bool controls) {
  std::vector<TLevelRun> runs;
  if (!rtl && !rightToLeftLetters && !controls) {
    runs.push_back({0, line.size(), 0});
    return runs;
  }
  auto isL = [](Char c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           (c >= 0x80 && !IsHighSurrogate(c) && !IsLowSurrogate(c) && u_charDirection(c) == U_LEFT_TO_RIGHT);
  };
  const auto firstL = std::find_if(line.begin(), line.end(), isL);
  const auto lastL = std::find_if(line.rbegin(), line.rend(), isL);
  const size_t first = static_cast<size_t>(firstL - line.begin());
  const size_t last = line.size() - 1 - static_cast<size_t>(lastL - line.rbegin());
  if (!rightToLeftLetters && !controls && firstL != line.end() && last - first > 2 &&
      std::none_of(line.begin(), firstL, [](Char c) { return IsPairedBracket(c, U_BPT_OPEN); }) &&
      std::none_of(lastL.base(), line.end(), [](Char c) { return IsPairedBracket(c, U_BPT_CLOSE); })) {
    if (!AppendLevelRuns(line, 0, first + 1, true, runs)) return std::nullopt;
    // The first letter's run reaches the last letter, whose run it joins.
    runs.back().to = last;
    if (!AppendLevelRuns(line, last, line.size(), true, runs)) return std::nullopt;
  } else if (!AppendLevelRuns(line, 0, line.size(), rtl, runs)) {
    return std::nullopt;
  }
  UBiDiLevel highest = 0, lowestOdd = UBIDI_MAX_EXPLICIT_LEVEL + 2;
  for (const TLevelRun& run : runs) {
    highest = std::max(highest, run.level);
    if (run.level & 1) lowestOdd = std::min(lowestOdd, run.level);
  }
  for (UBiDiLevel level = highest; level >= lowestOdd && level > 0; --level)
    for (auto at = runs.begin(); at != runs.end();) {
      if (at->level < level) {
        ++at;
        continue;
      }
      const auto end = std::find_if(at, runs.end(), [level](const TLevelRun& r) { return r.level < level; });
      std::reverse(at, end);
      at = end;
    }
  return runs;
}

// Whether a line has characters that keep it from being drawn in pieces
// (BreaksPieces), right-to-left letters, direction controls (embeddings and
// isolates, whose effect reaches across runs), and only characters that
// shape alone.
struct TLineKinds {
  bool breaks = false, rightToLeftLetters = false, controls = false, shapesAlone = true;
};

bool IsRightToLeftLetter(UChar32 c) {
  if (c < 0x590) return false;
  const UCharDirection d = u_charDirection(c);
  return d == U_RIGHT_TO_LEFT || d == U_RIGHT_TO_LEFT_ARABIC || d == U_ARABIC_NUMBER;
}

TLineKinds LineKinds(const String& line) {
  TLineKinds kinds;
  for (size_t i = 0; i < line.size(); ++i) {
    const Char c = line[i];
    if (c >= 0x20 && c < 0x7F) continue;
    // Letters beyond the Basic Multilingual Plane have their own direction.
    if (IsHighSurrogate(c) && i + 1 < line.size() && IsLowSurrogate(line[i + 1]))
      kinds.rightToLeftLetters =
          kinds.rightToLeftLetters ||
          IsRightToLeftLetter(0x10000 + ((static_cast<UChar32>(c) - 0xD800) << 10) + (line[i + 1] - 0xDC00));
    if (BreaksPieces(c)) {
      kinds.breaks = true;
      break;
    }
    kinds.controls = kinds.controls || ReachesAcrossRuns(u_charDirection(c));
    kinds.rightToLeftLetters = kinds.rightToLeftLetters || IsRightToLeftLetter(c);
    kinds.shapesAlone = kinds.shapesAlone && ShapesAlone(c);
  }
  return kinds;
}

std::optional<TLinePieces> LinePieces(const QFont& font, const String& line, bool rtl, const TLineKinds& kinds) {
  if (kinds.breaks) return std::nullopt;
  const std::optional<std::vector<TLevelRun>> runs = VisualRuns(line, rtl, kinds.rightToLeftLetters, kinds.controls);
  if (!runs) return std::nullopt;
  TLinePieces result;
  const QFontMetricsF m(font);
  const std::u16string_view all(line);
  for (const TLevelRun& run : *runs) {
    TLinePieces::TRun r{run.from, run.to, (run.level & 1) != 0, 0, {}, 0};
    if (run.to - run.from > kPainterItemLength && !kinds.shapesAlone &&
        !std::all_of(line.begin() + run.from, line.begin() + run.to, ShapesAlone)) {
      if (!OfOneScript(line, run.from, run.to)) return std::nullopt;
      r.items = kPainterItemLength;
    }
    size_t count = 0;
    ForEachPiece(line, r, run.from, [&](size_t from, size_t to) {
      if (++count % 256 == 0) r.marks.push_back({from, r.width});
      r.width += PieceWidth(m, result, all.substr(from, to - from));
      return true;
    });
    result.width += r.width;
    result.runs.push_back(std::move(r));
  }
  return result;
}

// Draws the pieces of a line laid out from x (in 64ths of a pixel) that fall
// between left and right, with a margin for glyphs that reach beyond their
// advance, each run's shown pieces as one text in the run's direction (a text
// for each of the painter's items they fall in).
void DrawShownPieces(QPainter* p, const QFontMetricsF& m, TLinePieces& line, const String& text, Int64 x,
                     Int32 baseline, Int32 left, Int32 right, Int32 margin) {
  const Int64 from = (static_cast<Int64>(left) - margin) * 64, to = (static_cast<Int64>(right) + margin) * 64;
  const std::u16string_view all(text);
  const Qt::LayoutDirection was = p->layoutDirection();
  for (const TLinePieces::TRun& run : line.runs) {
    if (x < to && x + run.width > from) {
      // Pieces go rightwards in a left-to-right run, leftwards in the other.
      struct TShown {
        size_t from, to;
        Int64 left;
      };
      std::vector<TShown> shown;
      Int64 before = 0;
      // From the last mark whose piece starts before what shows.
      size_t start = run.from;
      for (const TLinePieces::TMark& mark : run.marks) {
        const Int64 at = run.rtl ? x + run.width - mark.before : x + mark.before;
        if (run.rtl ? at < to : at > from) break;
        start = mark.at;
        before = mark.before;
      }
      ForEachPiece(text, run, start, [&](size_t a, size_t b) {
        const Int64 w = PieceWidth(m, line, all.substr(a, b - a));
        const Int64 at = run.rtl ? x + run.width - before - w : x + before;
        before += w;
        if (at < to && at + w > from) {
          if (shown.empty() || (run.items > 0 && (a - run.from) % run.items == 0)) shown.push_back({a, b, at});
          shown.back().to = b;
          if (run.rtl) shown.back().left = at;
        }
        return run.rtl ? at > from : at + w < to;
      });
      p->setLayoutDirection(run.rtl ? Qt::RightToLeft : Qt::LeftToRight);
      for (const TShown& part : shown) {
        const std::u16string_view t = all.substr(part.from, part.to - part.from);
        gTextUnitsLaidOut.fetch_add(t.size(), std::memory_order_relaxed);
        p->drawText(QPointF(static_cast<qreal>(part.left) / 64, baseline),
                    QString::fromRawData(reinterpret_cast<const QChar*>(t.data()), static_cast<qsizetype>(t.size())));
      }
    }
    x += run.width;
  }
  p->setLayoutDirection(was);
}

// Whether a paragraph fits width whole: a long one is known not to from a
// head of it.
bool FitsWhole(const QFontMetrics& m, const QFont& font, TPieceWidths& widths, const String& p, Int32 width) {
  return HeadsTooWideFrom(m, font, widths, p, width).top == String::npos && widths.Width(p) <= width;
}

// Word-wrapped lines, each with whether it is known to fit the width (a line
// of one word may not) and its width where the breaker measured it (-1
// where it did not).
struct TWrappedLines {
  std::vector<String> lines;
  std::vector<uint8_t> fits;
  std::vector<Int32> widths;

  void Add(String line, bool known, Int32 width = -1) {
    lines.push_back(std::move(line));
    fits.push_back(known ? 1 : 0);
    widths.push_back(width);
  }
};

// Breaks a paragraph at its blanks as a line that takes one word after
// another while the line with the next word (after one blank) fits width
// does: a line ends before the first word with which it is too wide (a word
// wider than width keeps a line of its own), blanks between words count as
// one, and a paragraph that fits whole stays as it is. Each line's end is
// searched for among the words (FirstTooWide), with the guess that the line
// holds as many units as the lines measured so far per pixel, rather than
// measured word after word: a cut after a word whose last letter keeps its
// width leaves no line wider than a longer one, elsewhere by the span's slack
// at most. Lines after maxLines are not worked out; stopped tells whether
// words went on after them.
void WrapParagraph(const QFontMetrics& m, const QFont& font, TPieceWidths& widths, const String& p, Int32 width,
                   size_t maxLines, TWrappedLines& out, bool& stopped) {
  struct TWord {
    size_t from, to;
  };
  std::vector<TWord> words;
  for (size_t i = 0; i < p.size();) {
    if (p[i] == u' ') {
      ++i;
      continue;
    }
    const size_t from = i;
    while (i < p.size() && p[i] != u' ') ++i;
    words.push_back({from, i});
  }
  // Words parted by one blank, none before the first (blanks may end it).
  bool single = !words.empty() && words[0].from == 0;
  for (size_t k = 1; k < words.size() && single; ++k) single = words[k].from == words[k - 1].to + 1;
  if (!single) {
    if (FitsWhole(m, font, widths, p, width)) {
      out.Add(p, true);
      return;
    }
  }
  if (words.empty()) {
    out.Add(String(), false);
    return;
  }
  // The text the lines are cut from: the paragraph itself when its words are
  // parted by single blanks, else its words joined by one blank.
  String joined;
  if (!single) {
    std::vector<TWord> moved;
    for (const TWord& w : words) {
      if (!joined.empty()) joined += u' ';
      moved.push_back({joined.size(), joined.size() + (w.to - w.from)});
      joined.append(p, w.from, w.to - w.from);
    }
    words = std::move(moved);
  }
  const String& t = single ? p : joined;
  const size_t n = words.size();
  // Cuts after a word whose widths may change with what follows, counted up
  // to each word, for the slack between candidates.
  std::vector<uint32_t> loose(n + 1, 0);
  for (size_t k = 0; k < n; ++k) loose[k + 1] = loose[k] + (KeepsWidthsBefore(t, words[k].from, words[k].to) ? 0 : 1);
  const Int32 joinedSlack = JoinedSlack(font);
  double unitsPerPixel = 1.0 / std::max(1, m.averageCharWidth());
  for (size_t s = 0; s < n;) {
    if (out.lines.size() >= maxLines) {
      stopped = s + 1 < n;
      return;
    }
    const size_t a = words[s].from;
    // Candidate k keeps the words from s to k; on the first line of a
    // paragraph that fits whole only with its trailing blanks, one more
    // candidate keeps them too.
    const size_t hi = s == 0 && single && words.back().to < p.size() ? n + 1 : n;
    auto end = [&](size_t k) { return k < n ? words[k].to : t.size(); };
    auto measure = [&](size_t k) -> Int64 {
      const Int64 w = widths.Width(t.substr(a, end(k) - a));
      if (w > 0) unitsPerPixel = static_cast<double>(end(k) - a) / static_cast<double>(w);
      return w;
    };
    auto slack = [&](size_t from, size_t to) -> Int64 {
      from = std::min(from, n);
      to = std::min(to, n);
      return to > from && loose[to] > loose[from] ? joinedSlack : 0;
    };
    // The first candidate of [lo, top) expected beyond width.
    auto guessIn = [&](size_t lo, size_t top) {
      const auto units = static_cast<size_t>(std::clamp(static_cast<double>(width) * unitsPerPixel, 0.0, 1e15));
      size_t k = lo;
      for (size_t step = top - lo; step > 0;) {
        const size_t half = step / 2;
        if (end(k + half) - a <= units) {
          k += half + 1;
          step -= half + 1;
        } else {
          step = half;
        }
      }
      return k;
    };
    // Characters without a script of their own that the font lacks take
    // their font from the first character with one: the candidates before
    // the first word holding one, and those from it on, are searched apart.
    size_t anchor = s;
    while (anchor < n && !HoldsOwnScript(t, words[anchor].from, words[anchor].to)) ++anchor;
    size_t k = hi;
    // Candidate k is the one before it with a blank and word k: where both
    // keep their widths, no narrower than the two measured apart, less a
    // pixel of rounding and one of kerning.
    auto floor = [&](size_t k, Int64 before) -> Int64 {
      if (k >= n || !KeepsWidthsBefore(t, words[k - 1].from, words[k - 1].to) ||
          !KeepsWidths(t, words[k].from, words[k].to))
        return kAlwaysFits;
      return before + widths.Width(t.substr(words[k].from - 1, words[k].to - words[k].from + 1)) - 2;
    };
    auto search = [&](size_t lo, size_t top) {
      // The last candidate expected within width.
      return FirstTooWide(lo, top, width, measure, slack, floor, [&] { return guessIn(lo, top) - 1; });
    };
    if (anchor > s + 1 && anchor < n) {
      k = search(s + 1, anchor);
      if (k == anchor) k = search(anchor, hi);
    } else {
      k = search(s + 1, hi);
    }
    // The whole paragraph may fit where a shorter line is wider than a
    // longer one.
    if (s == 0 && single && k < hi && slack(k, k + 1) > 0 && FitsWhole(m, font, widths, p, width)) {
      out.Add(p, true);
      return;
    }
    const bool several = k > s + 1;
    out.Add(t.substr(a, (several ? end(k - 1) : words[s].to) - a), several);
    s = k;
  }
}

// The boundaries of an ICU break iterator of the kind over text, after 0
// and up to its end, ascending.
std::vector<size_t> BreakPositions(UBreakIteratorType kind, const String& text) {
  std::vector<size_t> at;
  UErrorCode status = U_ZERO_ERROR;
  UBreakIterator* it = ubrk_open(kind, "", reinterpret_cast<const UChar*>(text.data()),
                                 static_cast<int32_t>(text.size()), &status);
  if (U_SUCCESS(status) && it != nullptr) {
    for (int32_t b = ubrk_next(it); b != UBRK_DONE; b = ubrk_next(it)) at.push_back(static_cast<size_t>(b));
  }
  if (it != nullptr) ubrk_close(it);
  // Without an iterator, every unit is a place to break.
  if (at.empty() || at.back() != text.size()) {
    at.clear();
    for (size_t i = 1; i <= text.size(); ++i) at.push_back(i);
  }
  return at;
}

// Breaks a paragraph where its script lets a line break (ICU's line breaks: after blanks, between the characters
// of Chinese and Japanese, between the words of Thai), each line taking as
// much as fits width; a run with no such place within a line's width (a
// path, a long word) is broken between its characters. Blanks at a line's
// end do not count and are not shown; a line holds one character at least.
// A line costs about its own length to find, however far its text runs on
// without a place to break: each line's end is searched for from where the
// line before would put it, and a candidate far beyond a line's length is
// ruled out by a head of the line that is already too wide, not measured.
void WrapParagraphWithinWords(const QFontMetrics& m, const QFont& font, TPieceWidths& widths, const String& p,
                              Int32 width, size_t maxLines, TWrappedLines& out, bool& stopped) {
  const auto blank = [](Char c) { return c == u' ' || c == u'\t' || c == u'\u3000'; };
  const auto trimmedEnd = [&](size_t a, size_t b) {
    while (b > a && blank(p[b - 1])) --b;
    return b;
  };
  // Candidates no longer than about a line, or twice the line before, are
  // measured at once.
  const size_t base = 16 + static_cast<size_t>(std::max(width, 1) / std::max(1, m.averageCharWidth()));
  size_t lastLen = 0;  // units the line before took
  const auto nearLen = [&] { return std::max(base, 2 * lastLen); };
  const Int64 slack = JoinedSlack(font);
  // Where the candidates of a line from a are all too wide: the end of a
  // head of it (its blanks at the end not counted) wider than width by more
  // than a cut can change, so that every candidate ending there or later is
  // wider than width too. Heads from about a line's length on are measured,
  // each at least twice the last; npos when none short of the paragraph's
  // end is that wide.
  const auto tooWideFrom = [&](size_t a) {
    for (size_t len = nearLen(); a + len < p.size();) {
      const size_t head = CharStart(p, a + len);
      const Int64 w = widths.Width(p.substr(a, trimmedEnd(a, head) - a));
      if (w > width + slack) return head;
      // Long enough, by the width of what was measured, to be too wide.
      const double wanted = static_cast<double>(head - a) * 1.5 * static_cast<double>(width + slack + 1) /
                            static_cast<double>(std::max<Int64>(w, 1));
      len = std::max(2 * len, static_cast<size_t>(std::clamp(wanted, 0.0, 1e15)));
    }
    return String::npos;
  };
  size_t lineStart = String::npos, top = String::npos;
  // The widths measured of the line being searched for, by where they end.
  std::vector<std::pair<size_t, Int32>> measured;
  const auto fits = [&](size_t a, size_t b) {
    if (b - a > nearLen()) {
      if (lineStart != a) {
        lineStart = a;
        top = tooWideFrom(a);
      }
      if (b >= top) return false;
    }
    const size_t end = trimmedEnd(a, b);
    const Int32 w = widths.Width(p.substr(a, end - a));
    measured.emplace_back(end, w);
    return w <= width;
  };
  // A long paragraph is known not to fit whole from a head of it.
  if (p.size() > nearLen()) {
    lineStart = 0;
    top = tooWideFrom(0);
  }
  if (top == String::npos) {
    const Int32 w = widths.Width(p);
    if (w <= width) {
      out.Add(p, true, w);
      return;
    }
  }
  // The last of the positions after a that fits (a line's width grows with
  // what it takes), npos when even the first does not: from the last
  // position up to guess, by strides that double towards the longer ones
  // while they fit or towards the shorter ones until one does, then by
  // halving.
  const auto lastFitting = [&](const std::vector<size_t>& at, size_t a, size_t guess) {
    const auto n = std::ssize(at);
    const std::ptrdiff_t first = std::upper_bound(at.begin(), at.end(), a) - at.begin();
    if (first == n) return String::npos;
    const std::ptrdiff_t g = std::max(first, std::upper_bound(at.begin() + first, at.end(), guess) - at.begin() - 1);
    // at[lo] fits (none known when lo is first - 1), at[hi] does not (none
    // known when hi is n).
    std::ptrdiff_t lo = first - 1, hi = n;
    if (fits(a, at[g])) {
      for (std::ptrdiff_t stride = 1, from = lo = g; from + stride < hi; stride *= 2) {
        if (!fits(a, at[from + stride])) {
          hi = from + stride;
          break;
        }
        lo = from += stride;
      }
    } else {
      hi = g;
      for (std::ptrdiff_t stride = 1; hi - stride > lo; stride *= 2) {
        if (fits(a, at[hi - stride])) {
          lo = hi - stride;
          break;
        }
        hi -= stride;
      }
    }
    while (hi - lo > 1) {
      const std::ptrdiff_t mid = lo + (hi - lo) / 2;
      if (fits(a, at[mid]))
        lo = mid;
      else
        hi = mid;
    }
    return lo < first ? String::npos : at[lo];
  };
  const std::vector<size_t> lineBreaks = BreakPositions(UBRK_LINE, p);
  std::vector<size_t> characters;
  size_t s = 0;
  while (s < p.size()) {
    if (out.lines.size() >= maxLines) {
      stopped = true;
      return;
    }
    measured.clear();
    size_t e = lastFitting(lineBreaks, s, s + lastLen);
    if (e == String::npos) {
      if (characters.empty()) characters = BreakPositions(UBRK_CHARACTER, p);
      e = lastFitting(characters, s, s + lastLen);
      if (e == String::npos) e = *std::upper_bound(characters.begin(), characters.end(), s);
    }
    const size_t end = trimmedEnd(s, e);
    const auto w = std::find_if(measured.begin(), measured.end(), [&](const auto& k) { return k.first == end; });
    out.Add(p.substr(s, end - s), true, w == measured.end() ? -1 : w->second);
    lastLen = e - s;
    s = e;
    while (s < p.size() && blank(p[s])) ++s;
  }
}

// The lines of a text: broken at CR LF, CR and LF, and with wordBreak at
// blanks so that each line fits width (WrapParagraph), or with withinWords
// also inside words (WrapParagraphWithinWords). Lines after the first
// maxLines are not worked out; stopped tells whether text went on after them.
TWrappedLines SplitLines(const QFontMetrics& m, const QFont& font, const String& text, bool wordBreak, Int32 width,
                         size_t maxLines, bool& stopped, bool withinWords = false) {
  stopped = false;
  std::vector<String> paragraphs;
  String cur;
  for (size_t i = 0; i < text.size(); ++i) {
    if (paragraphs.size() >= maxLines) {
      stopped = true;
      break;
    }
    const Char c = text[i];
    if (c == u'\r' || c == u'\n') {
      paragraphs.push_back(cur);
      cur.clear();
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      cur += c;
    }
  }
  if (paragraphs.size() < maxLines) paragraphs.push_back(cur);
  TWrappedLines out;
  if (!wordBreak) {
    out.lines = std::move(paragraphs);
    out.fits.assign(out.lines.size(), 0);
    out.widths.assign(out.lines.size(), -1);
    return out;
  }
  TPieceWidths widths(font);
  for (const String& p : paragraphs) {
    if (out.lines.size() >= maxLines) {
      stopped = true;
      break;
    }
    bool cut = false;
    if (withinWords)
      WrapParagraphWithinWords(m, font, widths, p, width, maxLines, out, cut);
    else
      WrapParagraph(m, font, widths, p, width, maxLines, out, cut);
    if (cut) {
      stopped = true;
      break;
    }
  }
  if (out.lines.size() > maxLines) {
    out.lines.resize(maxLines);
    out.fits.resize(maxLines);
    out.widths.resize(maxLines);
  }
  return out;
}

}  // namespace

std::vector<String> WordWrapped(const QFont& font, const String& text, Int32 width, size_t maxLines, bool withinWords,
                                Int32* widest) {
  bool stopped = false;
  const QFontMetrics m(font);
  TWrappedLines wrapped = SplitLines(m, font, text, true, width, maxLines, stopped, withinWords);
  if (widest != nullptr) {
    *widest = 0;
    for (size_t i = 0; i < wrapped.lines.size(); ++i)
      *widest = std::max(*widest, wrapped.widths[i] >= 0 ? wrapped.widths[i] : Advance(m, wrapped.lines[i]));
  }
  return std::move(wrapped.lines);
}

// ---------------------------------------------------------------------------

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

TFont::TFont() : fName(DefaultFontName()), fColor(clWindowText) { fHeight = -MulDivRound(DefaultFontPoints(), 96, 72); }

TFont::TFont(const TFont& other) : TGraphicsObject(), fPixelsPerInch(other.fPixelsPerInch) { Assign(other); }

TFont& TFont::operator=(const TFont& other) {
  if (this != &other) Assign(other);
  return *this;
}

TFont::~TFont() = default;

void TFont::Assign(const TFont& source) {
  fName = source.fName;
  // A font taken from a canvas of another resolution (the screen's onto the
  // printer's) keeps its size in points, not its size in dots.
  fHeight = source.fPixelsPerInch == fPixelsPerInch ? source.fHeight
                                                    : MulDivRound(source.fHeight, fPixelsPerInch, source.fPixelsPerInch);
  fStyle = source.fStyle;
  fColor = source.fColor;
  fPitch = source.fPitch;
  fOrientation = source.fOrientation;
  Invalidate();
  Changed();
}

void TFont::Invalidate() {
  fMetrics.reset();
  fQtFont.reset();
}

void TFont::SetName(const String& name) {
  if (name.empty() || name == fName) return;
  fName = name;
  Invalidate();
  Changed();
}

Int32 TFont::Size() const { return -MulDivRound(fHeight, 72, fPixelsPerInch); }

void TFont::SetSize(Int32 points) { SetHeight(-MulDivRound(points, fPixelsPerInch, 72)); }

void TFont::SetPixelsPerInch(Int32 dpi) {
  if (dpi <= 0 || dpi == fPixelsPerInch) return;
  // The size in points stays: the height becomes that of the new resolution.
  fHeight = MulDivRound(fHeight, dpi, fPixelsPerInch);
  fPixelsPerInch = dpi;
  Invalidate();
  Changed();
}

void TFont::SetHeight(Int32 pixels) {
  if (pixels == fHeight) return;
  fHeight = pixels;
  Invalidate();
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == fStyle) return;
  fStyle = style;
  Invalidate();
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == fColor) return;
  fColor = color;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == fPitch) return;
  fPitch = pitch;
  Invalidate();
  Changed();
}

void TFont::SetOrientation(Int32 tenths) {
  if (tenths == fOrientation) return;
  fOrientation = tenths;
  Changed();
}

const QFont& TFont::QtFont() const {
  if (!fQtFont) {
    // Fonts come from the application's font database.
    if (!HasGuiApplication())
      throw EInvalidGraphicOperation(u"Text needs the host's QApplication, and none has been created");
    auto f = std::make_unique<QFont>(ToQString(fName));
    Int32 px = fHeight < 0 ? -fHeight : fHeight;
    if (px <= 0) px = 12;
    f->setPixelSize(px);
    f->setBold(HasStyle(fsBold));
    f->setItalic(HasStyle(fsItalic));
    f->setUnderline(HasStyle(fsUnderline));
    f->setStrikeOut(HasStyle(fsStrikeOut));
    if (fPitch == fpFixed) {
      f->setFixedPitch(true);
      f->setStyleHint(QFont::Monospace);
    }
    f->setKerning(false);
    if (fHeight > 0) {
      // A positive height is the whole cell: scale the character size so that
      // ascent plus descent comes to it.
      const int cell = QFontMetrics(*f).height();
      if (cell > 0 && cell != fHeight) f->setPixelSize(std::max(1, static_cast<int>(std::lround(double(px) * fHeight / cell))));
    }
    fQtFont = std::move(f);
  }
  return *fQtFont;
}

const QFontMetrics& TFont::Metrics() const {
  if (!fMetrics) fMetrics = std::make_unique<QFontMetrics>(QtFont());
  return *fMetrics;
}

void TPen::SetColor(TColor c) {
  if (c == fColor) return;
  fColor = c;
  Changed();
}

void TPen::SetWidth(Int32 w) {
  if (w < 0) w = 0;
  if (w == fWidth) return;
  fWidth = w;
  Changed();
}

void TPen::SetStyle(TPenStyle s) {
  if (s == fStyle) return;
  fStyle = s;
  Changed();
}

void TPen::SetMode(TPenMode m) {
  if (m == fMode) return;
  fMode = m;
  Changed();
}

void TPen::Assign(const TPen& source) {
  fColor = source.fColor;
  fWidth = source.fWidth;
  fStyle = source.fStyle;
  fMode = source.fMode;
  Changed();
}

void TBrush::SetColor(TColor c) {
  if (c == fColor) return;
  fColor = c;
  Changed();
}

void TBrush::SetStyle(TBrushStyle s) {
  if (s == fStyle) return;
  fStyle = s;
  Changed();
}

void TBrush::Assign(const TBrush& source) {
  fColor = source.fColor;
  fStyle = source.fStyle;
  Changed();
}

// ---------------------------------------------------------------------------
// The canvas.

struct TCanvas::ClipState {
  QRegion region;
};

TCanvas::TCanvas() = default;

TCanvas::~TCanvas() = default;

void TCanvas::SetSurface(TCanvasSurface* surface) { fSurface = surface; }

bool TCanvas::CanDraw() const { return fSurface != nullptr && fSurface->Extent().cx > 0 && fSurface->Extent().cy > 0; }

TSize TCanvas::SurfaceExtent() const { return fSurface ? fSurface->Extent() : TSize{}; }

TSize TCanvas::SurfaceSize() const { return SurfaceExtent(); }

QPainter* TCanvas::BeginOp() { return fSurface ? fSurface->Painter() : nullptr; }

QPainter* TCanvas::PreparedPainter(bool withPen, bool withBrush) {
  QPainter* p = BeginOp();
  if (p == nullptr) return nullptr;
  p->setRenderHint(QPainter::Antialiasing, false);
  p->setRenderHint(QPainter::SmoothPixmapTransform, false);
  p->setCompositionMode(PenComposition(fPen.Mode()));
  p->setBackgroundMode(Qt::TransparentMode);
  if (fClip)
    p->setClipRegion(fClip->region);
  else
    p->setClipping(false);
  const TPenMode mode = fPen.Mode();
  if (withPen && fPen.Style() != psClear && mode != pmNop) {
    const TColor c = mode == pmBlack ? TColor(0) : mode == pmWhite ? TColor(0xFFFFFF) : fPen.Color();
    QPen pen(ToQColor(c));
    pen.setStyle(QtPenStyle(fPen.Style()));
    if (fPen.Width() <= 1) {
      // One-pixel lines leave out their end point.
      pen.setWidth(0);
      pen.setCosmetic(true);
      pen.setCapStyle(Qt::FlatCap);
      pen.setJoinStyle(Qt::MiterJoin);
    } else {
      pen.setWidth(fPen.Width());
      pen.setCapStyle(Qt::RoundCap);
      pen.setJoinStyle(Qt::RoundJoin);
    }
    p->setPen(pen);
  } else {
    p->setPen(Qt::NoPen);
  }
  if (withBrush && fBrush.Style() != bsClear && mode != pmNop) {
    const TColor c = mode == pmBlack ? TColor(0) : mode == pmWhite ? TColor(0xFFFFFF) : fBrush.Color();
    p->setBrush(QBrush(ToQColor(c), QtBrushStyle(fBrush.Style())));
  } else {
    p->setBrush(Qt::NoBrush);
  }
  return p;
}

void TCanvas::MoveTo(Int32 x, Int32 y) { fPenPos = TPoint{x, y}; }

void TCanvas::LineTo(Int32 x, Int32 y) {
  if (QPainter* p = PreparedPainter(true, false); p != nullptr && fPen.Mode() != pmNop)
    p->drawLine(QPoint(fPenPos.X, fPenPos.Y), QPoint(x, y));
  fPenPos = TPoint{x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  QPainter* p = PreparedPainter(true, false);
  if (p == nullptr || fPen.Mode() == pmNop) return;
  QPolygon poly;
  for (const TPoint& pt : points) poly << QPoint(pt.X, pt.Y);
  p->drawPolyline(poly);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  QPainter* p = PreparedPainter(true, true);
  if (p == nullptr || fPen.Mode() == pmNop) return;
  QPolygon poly;
  for (const TPoint& pt : points) poly << QPoint(pt.X, pt.Y);
  if (fPen.Style() != psClear && fPen.Width() <= 1) {
    // The outline covers every vertex, the end of each edge included.
    QPen pen = p->pen();
    pen.setCapStyle(Qt::SquareCap);
    p->setPen(pen);
  }
  p->drawPolygon(poly, Qt::OddEvenFill);
}

void TCanvas::Rectangle(Int32 x1, Int32 y1, Int32 x2, Int32 y2) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x2 - x1 < 1 || y2 - y1 < 1) return;
  QPainter* p = PreparedPainter(true, true);
  if (p == nullptr || fPen.Mode() == pmNop) return;
  // With an outline it covers the rectangle's edge pixels; without one the
  // fill stops one pixel short on the right and at the bottom.
  if (fPen.Style() != psClear && fPen.Width() <= 1) {
    QPen pen = p->pen();
    pen.setCapStyle(Qt::SquareCap);
    p->setPen(pen);
  }
  p->drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void TCanvas::RoundRect(Int32 x1, Int32 y1, Int32 x2, Int32 y2, Int32 cornerWidth, Int32 cornerHeight) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x2 - x1 < 1 || y2 - y1 < 1) return;
  QPainter* p = PreparedPainter(true, true);
  if (p == nullptr || fPen.Mode() == pmNop) return;
  p->drawRoundedRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), cornerWidth / 2.0, cornerHeight / 2.0);
}

void TCanvas::Ellipse(Int32 x1, Int32 y1, Int32 x2, Int32 y2) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x2 - x1 < 1 || y2 - y1 < 1) return;
  QPainter* p = PreparedPainter(true, true);
  if (p == nullptr || fPen.Mode() == pmNop) return;
  p->drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void TCanvas::FillRect(const TRect& r) {
  if (fBrush.Style() == bsClear || r.Right <= r.Left || r.Bottom <= r.Top) return;
  QPainter* p = PreparedPainter(false, true);
  if (p == nullptr) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->fillRect(ToQRect(r), QBrush(ToQColor(fBrush.Color()), QtBrushStyle(fBrush.Style())));
}

void TCanvas::FrameRect(const TRect& r) {
  if (fBrush.Style() == bsClear || r.Right <= r.Left || r.Bottom <= r.Top) return;
  QPainter* p = PreparedPainter(false, true);
  if (p == nullptr) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QBrush b(ToQColor(fBrush.Color()), QtBrushStyle(fBrush.Style()));
  const Int32 w = r.Right - r.Left, h = r.Bottom - r.Top;
  p->fillRect(QRect(r.Left, r.Top, w, 1), b);
  p->fillRect(QRect(r.Left, r.Bottom - 1, w, 1), b);
  p->fillRect(QRect(r.Left, r.Top, 1, h), b);
  p->fillRect(QRect(r.Right - 1, r.Top, 1, h), b);
}

void TCanvas::DrawFocusRect(const TRect& r) {
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  QPainter* p = PreparedPainter(false, false);
  if (p == nullptr) return;
  p->setCompositionMode(QPainter::RasterOp_NotDestination);
  p->setPen(QPen(Qt::black, 0));
  // Every other pixel along the frame, starting at the top-left corner.
  QPolygon dots;
  int k = 0;
  auto dot = [&](int x, int y) {
    if ((k++ % 2) == 0) dots << QPoint(x, y);
  };
  for (int x = r.Left; x < r.Right; ++x) dot(x, r.Top);
  for (int y = r.Top + 1; y < r.Bottom; ++y) dot(r.Right - 1, y);
  for (int x = r.Right - 2; x >= r.Left && r.Bottom - 1 > r.Top; --x) dot(x, r.Bottom - 1);
  for (int y = r.Bottom - 2; y > r.Top && r.Right - 1 > r.Left; --y) dot(r.Left, y);
  p->drawPoints(dots);
}

TColor TCanvas::Pixel(Int32 x, Int32 y) {
  QImage* img = fSurface ? fSurface->Pixels() : nullptr;
  if (img == nullptr || !img->valid(x, y)) return clNone;
  return FromQColor(QColor::fromRgb(img->pixel(x, y)));
}

void TCanvas::SetPixel(Int32 x, Int32 y, TColor c) {
  QPainter* p = PreparedPainter(false, false);
  if (p == nullptr) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setPen(QPen(ToQColor(c), 0));
  p->drawPoint(x, y);
}

void TCanvas::PaintText(QPainter* p, Int32 x, Int32 y, Int32 width, Cardinal options, const String& text) {
  const QFontMetrics& m = fFont.Metrics();
  const bool opaque = fBrush.Style() != bsClear && fBkMode == OPAQUE;
  if (opaque) p->fillRect(QRect(x, y, width, m.height()), ToQColor(fBrush.Color()));
  // Blanks on a clear background show nothing unless a line runs through
  // or under them.
  if (!opaque && !fFont.HasStyle(fsUnderline) && !fFont.HasStyle(fsStrikeOut) &&
      std::all_of(text.begin(), text.end(), [](Char c) { return c == u' '; }))
    return;
  p->setPen(ToQColor(fFont.Color()));
  // The painter lays the text out with its own direction as the base
  // direction: right-to-left reading forces it, so that neutral characters
  // take their places as in a right-to-left paragraph.
  // The painter's own direction is put back after, so that what a text
  // shows does not hang on what was drawn before it.
  const bool rtl = (options & ETO_RTLREADING) != 0;
  const Qt::LayoutDirection was = p->layoutDirection();
  if (rtl) p->setLayoutDirection(Qt::RightToLeft);
  DrawTextAt(p, QPoint(x, y + m.ascent()), text);
  if (rtl) p->setLayoutDirection(was);
}

void TCanvas::TextOut(Int32 x, Int32 y, const String& text) {
  const QFontMetrics& m = fFont.Metrics();
  const Int32 w = Advance(m, text);
  const bool right = fTextAlign == TA_RIGHT;
  if (QPainter* p = PreparedPainter(false, false); p != nullptr) {
    p->setFont(fFont.QtFont());
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const bool rotated = fFont.Orientation() % 3600 != 0;
    if (rotated) {
      p->save();
      p->translate(x, y);
      p->rotate(-fFont.Orientation() / 10.0);
    }
    const int ox = rotated ? 0 : x, oy = rotated ? 0 : y;
    PaintText(p, right ? ox - w : ox, oy, w, fTextFlags, text);
    if (rotated) p->restore();
  }
  fPenPos = TPoint{right ? x - w : x + w, y};
}

void TCanvas::ExtTextOut(Int32 x, Int32 y, Cardinal options, const TRect& rect, const String& text, Int32 width) {
  const Int32 w = width >= 0 ? width : Advance(fFont.Metrics(), text);
  const bool right = fTextAlign == TA_RIGHT;
  fPenPos = TPoint{right ? x - w : x + w, y};
  QPainter* p = PreparedPainter(false, false);
  if (p == nullptr) return;
  p->setFont(fFont.QtFont());
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (options & ETO_CLIPPED) {
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top) return;
    p->setClipRect(ToQRect(rect), fClip ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  if ((options & ETO_OPAQUE) && fBrush.Style() != bsClear) p->fillRect(ToQRect(rect), ToQColor(fBrush.Color()));
  // A long text drawn left to right from x shows only a head as far as the
  // clipping lets it: only that head is laid out (LineWindow). A painter of
  // no direction of its own lays the text out right to left when its first
  // letter outside isolates is a right-to-left one, which a head then shares.
  const Cardinal all = options | (fTextFlags & ETO_RTLREADING);
  std::optional<String> window;
  if (!right && !(all & ETO_RTLREADING) && text.size() > 256 && p->layoutDirection() != Qt::RightToLeft &&
      (p->layoutDirection() == Qt::LeftToRight || !QStringView16(text).isRightToLeft())) {
    Int32 visibleRight = ClipRect().Right;
    if (options & ETO_CLIPPED) visibleRight = std::min(visibleRight, rect.Right);
    window = LineWindow(fFont.Metrics(), text, std::max(visibleRight - x, 1), false, false);
  }
  PaintText(p, right ? x - w : x, y, w, all, window ? *window : text);
}

void TCanvas::TextRect(const TRect& r, Int32 x, Int32 y, const String& text) {
  const QFont& font = fFont.QtFont();
  QPainter* p = PreparedPainter(false, false);
  if (p == nullptr) return;
  p->setFont(font);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setClipRect(ToQRect(r), fClip ? Qt::IntersectClip : Qt::ReplaceClip);
  if (fBrush.Style() != bsClear) p->fillRect(ToQRect(r), ToQColor(fBrush.Color()));
  const QFontMetrics& m = fFont.Metrics();
  p->setPen(ToQColor(fFont.Color()));
  DrawTextAt(p, QPoint(x, y + m.ascent()), text);
}

void TCanvas::TextRect(TRect& r, String& text, TTextFormat format) {
  if ((format & (tfEndEllipsis | tfPathEllipsis | tfWordEllipsis)) && (format & tfModifyString)) {
    const QFontMetrics& m = fFont.Metrics();
    const QFont& font = fFont.QtFont();
    const Int32 width = r.Right - r.Left;
    if (format & tfPathEllipsis)
      text = PathElided(m, font, text, width);
    else if (format & tfWordEllipsis)
      text = *WordElided(m, font, text, width);
    else
      text = *EndElided(m, font, text, width);
  }
  DrawText(text, r, format & ~tfModifyString);
}

TSize TCanvas::TextExtent(const String& text) const {
  const QFontMetrics& m = fFont.Metrics();
  return TSize{Advance(m, text), m.height()};
}

Int32 TCanvas::TextWidth(const String& text) const { return Advance(fFont.Metrics(), text); }

Int32 TCanvas::TextWidthUpTo(const String& text, Int32 limit) const {
  const QFontMetrics& m = fFont.Metrics();
  if (limit >= 0) {
    TPieceWidths widths(fFont.QtFont());
    const THeadsTooWide bound = HeadsTooWideFrom(m, fFont.QtFont(), widths, text, limit);
    if (bound.top != String::npos) return static_cast<Int32>(std::min<Int64>(bound.floor, std::numeric_limits<Int32>::max()));
  }
  return Advance(m, text);
}

TShapedSpan TCanvas::ShapedSpan(const String& text) const { return sk::ShapedSpan(fFont.QtFont(), text); }

TPieceWidths TCanvas::PieceWidths() const { return TPieceWidths(fFont.QtFont()); }

Int32 TCanvas::TextHeight(const String& text) const {
  (void)text;
  return fFont.Metrics().height();
}

Int32 TCanvas::DrawText(const String& text, TRect& rect, Cardinal flags) {
  const QFontMetrics& m = fFont.Metrics();
  const QFont& font = fFont.QtFont();
  const Int32 lineHeight = m.height() + ((flags & DT_EXTERNALLEADING) ? m.leading() : 0);
  const Int32 width = rect.Right - rect.Left;
  const bool single = (flags & DT_SINGLELINE) != 0;
  // As in a multi-line edit control, a last line that would show only in
  // part is left out (the first line always stays).
  size_t maxLines = String::npos;
  if (!single && (flags & DT_EDITCONTROL) && !(flags & DT_CALCRECT) && lineHeight > 0)
    maxLines = static_cast<size_t>(std::max<Int32>(1, (rect.Bottom - rect.Top) / lineHeight));
  // Lines cut with the end or word ellipsis show only a head: the text is
  // read only as far as such a head reaches, and further when that start
  // cannot tell where the cut goes.
  const bool heads = (flags & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) && !(flags & DT_PATH_ELLIPSIS) &&
                     (single || maxLines != String::npos);
  size_t take = heads ? std::max<size_t>(1024, 16 * static_cast<size_t>(std::max(width, 1))) : String::npos;
  std::vector<String> lines;
  std::vector<uint8_t> known;  // lines known to fit the width
  std::vector<Int32> measured;  // their widths where the breaker measured them (-1 where not)
  for (bool done = false; !done; take *= 4) {
    bool cutShort = take < text.size();
    String shown = cutShort ? text.substr(0, take) : text;
    if (!(flags & DT_NOPREFIX)) shown = WithoutPrefixes(shown);
    if (flags & DT_EXPANDTABS) shown = ExpandTabs(shown);
    // The last unit read may belong with the next one ("&&", a pair, CR LF).
    if (cutShort) shown.resize(CharStart(shown, shown.size() - std::min<size_t>(shown.size(), 1)));
    lines.clear();
    known.clear();
    measured.clear();
    if (single) {
      String one;
      if (shown.find_first_of(u"\r\n") == String::npos) {
        one = std::move(shown);
      } else {
        one.reserve(shown.size());
        for (Char c : shown)
          if (c != u'\r' && c != u'\n') one += c;
      }
      lines.push_back(std::move(one));
    } else {
      bool stopped = false;
      TWrappedLines wrapped = SplitLines(m, font, shown, (flags & DT_WORDBREAK) != 0, width, maxLines, stopped,
                                         (flags & DT_WORDBREAK) && (flags & DT_BREAKWITHINWORDS));
      lines = std::move(wrapped.lines);
      known = std::move(wrapped.fits);
      measured = std::move(wrapped.widths);
      // Lines that stopped short of what was read are whole; lines broken at
      // blanks that did not may not be.
      if (cutShort && stopped)
        cutShort = false;
      else if (cutShort && (flags & DT_WORDBREAK))
        continue;
    }
    done = true;
    if (!(flags & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS))) break;
    for (size_t i = 0; i < lines.size() && done; ++i) {
      // A line of words that the breaker found within width needs no ellipsis.
      if (i < known.size() && known[i]) continue;
      // Only the last line read can go on past what was read.
      const bool longer = cutShort && i + 1 == lines.size();
      std::optional<String> r;
      if (flags & DT_PATH_ELLIPSIS)
        r = PathElided(m, font, lines[i], width);
      else if (flags & DT_WORD_ELLIPSIS)
        r = WordElided(m, font, lines[i], width, longer);
      else
        r = EndElided(m, font, lines[i], width, longer);
      if (r) {
        lines[i] = std::move(*r);
        if (i < measured.size()) measured[i] = -1;
      } else {
        done = false;
      }
    }
  }
  const Int32 height = lineHeight * static_cast<Int32>(lines.size());
  if (flags & DT_CALCRECT) {
    Int32 widest = 0;
    for (size_t i = 0; i < lines.size(); ++i)
      widest = std::max(widest, i < measured.size() && measured[i] >= 0 ? measured[i] : Advance(m, lines[i]));
    rect.Right = rect.Left + widest;
    rect.Bottom = rect.Top + height;
    return height;
  }
  QPainter* p = PreparedPainter(false, false);
  if (p == nullptr) return height;
  p->setFont(fFont.QtFont());
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (!(flags & DT_NOCLIP)) p->setClipRect(ToQRect(rect), fClip ? Qt::IntersectClip : Qt::ReplaceClip);
  const Qt::LayoutDirection was = p->layoutDirection();
  if (flags & DT_RTLREADING) p->setLayoutDirection(Qt::RightToLeft);
  Int32 y = rect.Top;
  if (single && (flags & DT_VCENTER)) y = rect.Top + (rect.Bottom - rect.Top - lineHeight) / 2;
  if (single && (flags & DT_BOTTOM)) y = rect.Bottom - lineHeight;
  const QColor textColour = ToQColor(fFont.Color());
  const bool opaque = fBrush.Style() != bsClear;
  // A long line clipped without an ellipsis, drawn from the rectangle's
  // left edge, shows only the end it starts with there (LineWindow). Other
  // long clipped lines (centred, right-aligned, or whose shown end LineWindow
  // cannot cut) are measured in pieces, and only the pieces that show are
  // drawn, where the whole line would put them (LinePieces).
  const bool fromRight = (flags & DT_RIGHT) != 0;
  const bool clipped = !(flags & (DT_NOCLIP | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS));
  const bool windows = clipped && !fromRight && !(flags & DT_CENTER);
  const Qt::LayoutDirection direction = p->layoutDirection();
  const size_t longLine = 256 + 8 * static_cast<size_t>(std::max(width, 1) / std::max(1, m.averageCharWidth()));
  for (const String& whole : lines) {
    const bool isLong = clipped && whole.size() > longLine;
    // The painter lays a line out as a paragraph of its own direction or,
    // when it has none, of the direction of the line's first letter outside
    // isolates; a window or the pieces of a long line are laid out as parts
    // of that paragraph.
    const bool rtl =
        direction == Qt::RightToLeft || (clipped && direction != Qt::LeftToRight && QStringView16(whole).isRightToLeft());
    // LineWindow is tried first where it can cut: from the left edge, when a
    // right-to-left paragraph has right-to-left letters.
    const bool windowFirst = windows && (!rtl || !isLong || std::any_of(whole.begin(), whole.end(), [](Char c) {
                               return IsHighSurrogate(c) || IsRightToLeftLetter(c);
                             }));
    std::optional<String> window = windowFirst ? LineWindow(m, whole, width, rtl, rtl) : std::nullopt;
    std::optional<TLinePieces> pieces =
        isLong && !window ? LinePieces(font, whole, rtl, LineKinds(whole)) : std::nullopt;
    if (windows && !windowFirst && !pieces) window = LineWindow(m, whole, width, rtl, rtl);
    const String& line = window ? *window : whole;
    // The line's width places it and its background; a line drawn from the
    // left edge on a clear brush needs none.
    const bool placed = (flags & DT_CENTER) || fromRight || opaque;
    const Int32 lw =
        pieces   ? static_cast<Int32>(std::min<Int64>((pieces->width + 32) >> 6, std::numeric_limits<Int32>::max()))
        : placed ? Advance(m, line)
                 : 0;
    Int32 x = rect.Left;
    if (flags & DT_CENTER)
      x = rect.Left + (width - lw) / 2;
    else if (fromRight)
      x = rect.Right - lw;
    if (opaque) p->fillRect(QRect(x, y, lw, lineHeight), ToQColor(fBrush.Color()));
    p->setPen(textColour);
    if (pieces) {
      DrawShownPieces(p, QFontMetricsF(font), *pieces, whole, static_cast<Int64>(x) * 64, y + m.ascent(), rect.Left,
                      rect.Right, std::max(m.height(), m.maxWidth()));
    } else if (window) {
      p->setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
      DrawTextAt(p, QPoint(x, y + m.ascent()), line);
      p->setLayoutDirection(direction);
    } else {
      DrawTextAt(p, QPoint(x, y + m.ascent()), line);
    }
    y += lineHeight;
  }
  if (flags & DT_RTLREADING) p->setLayoutDirection(was);
  return height;
}

void TCanvas::Draw(Int32 x, Int32 y, const TGraphic& graphic) {
  graphic.Draw(*this, TRect{x, y, x + graphic.Width(), y + graphic.Height()});
}

void TCanvas::StretchDraw(const TRect& r, const TGraphic& graphic) { graphic.Draw(*this, r); }

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
  if (dest.Right <= dest.Left || dest.Bottom <= dest.Top) return;
  if (fCopyMode == cmBlackness || fCopyMode == cmWhiteness) {
    if (QPainter* p = PreparedPainter(false, false)) {
      p->setCompositionMode(QPainter::CompositionMode_Source);
      p->fillRect(ToQRect(dest), fCopyMode == cmBlackness ? Qt::black : Qt::white);
    }
    return;
  }
  if (fCopyMode == cmDstInvert) {
    if (QPainter* p = PreparedPainter(false, false)) {
      p->setCompositionMode(QPainter::RasterOp_NotDestination);
      p->fillRect(ToQRect(dest), Qt::black);
    }
    return;
  }
  QImage* pixels = source.fSurface ? source.fSurface->Pixels() : nullptr;
  if (pixels == nullptr || pixels->isNull()) return;
  // Copied first: the source may be this canvas.
  const QImage part = pixels->copy(ToQRect(sourceRect));
  QPainter* p = PreparedPainter(false, false);
  if (p == nullptr) return;
  p->setCompositionMode(CopyComposition(fCopyMode));
  p->drawImage(ToQRect(dest), part);
}

TRect TCanvas::ClipRect() const {
  if (fClip) return FromQRect(fClip->region.boundingRect());
  const TSize s = SurfaceSize();
  return TRect{0, 0, s.cx, s.cy};
}

bool TCanvas::HasClipRegion() const { return fClip != nullptr; }

void TCanvas::SetClipRect(const TRect& r) {
  fClip = std::make_unique<ClipState>();
  fClip->region = QRegion(ToQRect(r));
}

void TCanvas::IntersectClipRect(const TRect& r) {
  if (!fClip) {
    const TSize s = SurfaceSize();
    SetClipRect(TRect{0, 0, s.cx, s.cy});
  }
  fClip->region = fClip->region.intersected(ToQRect(r));
}

void TCanvas::ExcludeClipRect(const TRect& r) {
  if (!fClip) {
    const TSize s = SurfaceSize();
    SetClipRect(TRect{0, 0, s.cx, s.cy});
  }
  fClip->region = fClip->region.subtracted(QRegion(ToQRect(r)));
}

void TCanvas::RemoveClipRegion() { fClip.reset(); }

// ---------------------------------------------------------------------------
// Graphics.

void TGraphic::SetTransparent(bool t) {
  if (t == fTransparent) return;
  fTransparent = t;
  Changed();
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

// The bitmap's image as a canvas surface: a painter is begun on the image
// when something is drawn and ended before the pixels are read or resized.
class TBitmap::TSurface : public TCanvasSurface {
 public:
  explicit TSurface(TBitmap* owner) : fOwner(owner) {}
  ~TSurface() override { End(); }
  QPainter* Painter() override {
    if (!fPainter) {
      QImage& img = *fOwner->fImage;
      if (img.isNull()) return nullptr;
      fPainter = std::make_unique<QPainter>();
      if (!fPainter->begin(&img)) {
        fPainter.reset();
        return nullptr;
      }
    }
    return fPainter.get();
  }
  QImage* Pixels() override {
    End();
    return fOwner->fImage.get();
  }
  TSize Extent() const override { return TSize{fOwner->fImage->width(), fOwner->fImage->height()}; }
  void End() {
    if (fPainter) {
      fPainter->end();
      fPainter.reset();
    }
  }

 private:
  TBitmap* fOwner;
  std::unique_ptr<QPainter> fPainter;
};

TBitmap::TBitmap() : fImage(std::make_unique<QImage>()), fSurface(std::make_unique<TSurface>(this)) {}

TBitmap::TBitmap(Int32 width, Int32 height) : TBitmap() { SetSize(width, height); }

TBitmap::TBitmap(const TBitmap& other) : TBitmap() { Assign(other); }

TBitmap& TBitmap::operator=(const TBitmap& other) {
  if (this != &other) Assign(other);
  return *this;
}

TBitmap::~TBitmap() {
  fCanvas.reset();
  fSurface.reset();
}

void TBitmap::Flush() const { fSurface->End(); }

void TBitmap::Assign(const TBitmap& source) {
  if (this == &source) return;
  Flush();
  *fImage = source.Image().copy();
  fPixelFormat = source.fPixelFormat;
  fTransparent = source.fTransparent;
  fTransparentMode = source.fTransparentMode;
  fTransparentColor = source.fTransparentColor;
  Changed();
}

Int32 TBitmap::Width() const { return fImage->width(); }

Int32 TBitmap::Height() const { return fImage->height(); }

void TBitmap::SetWidth(Int32 w) { SetSize(w, Height()); }

void TBitmap::SetHeight(Int32 h) { SetSize(Width(), h); }

void TBitmap::SetSize(Int32 w, Int32 h) {
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (w == Width() && h == Height()) return;
  Flush();
  const bool alpha = fPixelFormat == pf32bit;
  QImage next;
  if (w > 0 && h > 0) {
    next = QImage(w, h, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (next.isNull()) throw EInvalidGraphicOperation(u"Out of memory for a bitmap of that size");
    next.fill(alpha ? QColor(0, 0, 0, 0) : QColor(0, 0, 0));
    if (!fImage->isNull()) {
      QPainter p(&next);
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(0, 0, *fImage);
    }
  }
  *fImage = std::move(next);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat f) {
  if (f == fPixelFormat) return;
  Flush();
  fPixelFormat = f;
  if (!fImage->isNull())
    *fImage = fImage->convertToFormat(f == pf32bit ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (fTransparentMode == tmFixed) return fTransparentColor;
  const QImage& img = Image();
  if (img.isNull()) return 0;
  return FromQColor(QColor::fromRgb(img.pixel(0, img.height() - 1)));
}

void TBitmap::SetTransparentColor(TColor c) {
  fTransparentColor = c;
  fTransparentMode = tmFixed;
  Changed();
}

TCanvas& TBitmap::Canvas() {
  if (!fCanvas) {
    fCanvas = std::make_unique<TCanvas>();
    fCanvas->SetSurface(fSurface.get());
  }
  return *fCanvas;
}

const QImage& TBitmap::Image() const {
  Flush();
  return *fImage;
}

QImage& TBitmap::Image() {
  Flush();
  return *fImage;
}

void TBitmap::SetImage(const QImage& image) {
  Flush();
  const bool alpha = image.hasAlphaChannel();
  *fImage = image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  fPixelFormat = alpha ? pf32bit : pf24bit;
  Changed();
}

QImage TBitmap::DrawableImage() const {
  const QImage& img = Image();
  if (!fTransparent || img.isNull()) return img.copy();
  QImage masked = img.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = ToQColor(TransparentColor()).rgb() & 0xFFFFFF;
  for (int y = 0; y < masked.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
    for (int x = 0; x < masked.width(); ++x)
      if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
  }
  return masked;
}

void TBitmap::Draw(TCanvas& canvas, const TRect& r) const {
  if (Empty()) return;
  const QImage img = DrawableImage();
  QPainter* p = canvas.PreparedPainter(false, false);
  if (p == nullptr) return;
  p->setCompositionMode(fTransparent ? QPainter::CompositionMode_SourceOver : CopyComposition(canvas.CopyMode()));
  p->drawImage(ToQRect(r), img);
}

// Pictures are read and written through the library's files, which reach a
// name that is not UTF-8; Qt gets the bytes, with the extension as a hint
// of their format.
constexpr Int64 kMaxPictureFileBytes = Int64(1) << 30;

// The format of a picture's bytes as their content says, as Qt finds it for a
// file it opens itself; the extension's only when the content does not tell
// (a picture whose name says another format still reads).
QByteArray PictureFormatOf(const QByteArray& bytes, const String& fileName) {
  QBuffer buffer(const_cast<QByteArray*>(&bytes));
  buffer.open(QIODevice::ReadOnly);
  const QByteArray format = QImageReader::imageFormat(&buffer);
  return format.isEmpty() ? ImageFormatOfName(fileName) : format;
}

void TBitmap::LoadFromFile(const String& fileName) {
  QByteArray bytes;
  QImage img;
  if (!ReadFileForQt(fileName, bytes, kMaxPictureFileBytes) ||
      !img.loadFromData(bytes, PictureFormatOf(bytes, fileName).constData()))
    throw EInvalidGraphic(u"Cannot read the picture " + fileName);
  SetImage(img);
}

void TBitmap::SaveToFile(const String& fileName) const {
  // A name without an extension is written as a bitmap file.
  QByteArray format = ImageFormatOfName(fileName);
  if (format.isEmpty()) format = "bmp";
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (Empty() || !Image().save(&buffer, format.constData()) || !SaveFileForQt(fileName, bytes))
    throw EInvalidGraphic(u"Cannot write the picture " + fileName);
}

void TBitmap::LoadFromStream(TStream& stream) {
  const Int64 n = stream.Remaining();
  if (n <= 0 || n > (Int64(1) << 30)) throw EInvalidGraphic(u"No picture in the stream");
  QByteArray bytes(static_cast<qsizetype>(n), '\0');
  stream.ReadBuffer(bytes.data(), n);
  QImage img;
  if (!img.loadFromData(bytes)) throw EInvalidGraphic(u"The stream holds no readable picture");
  SetImage(img);
}

void TBitmap::SaveToStream(TStream& stream) const {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (Empty() || !Image().save(&buffer, "PNG")) throw EInvalidGraphic(u"Cannot write an empty picture");
  stream.WriteBuffer(bytes.constData(), bytes.size());
}

std::unique_ptr<TGraphic> TBitmap::Clone() const { return std::make_unique<TBitmap>(*this); }

// ---------------------------------------------------------------------------

TIcon::TIcon() : fIcon(std::make_unique<QIcon>()) {}

TIcon::TIcon(const TIcon& other) : TGraphic(), fIcon(std::make_unique<QIcon>(*other.fIcon)) {}

TIcon& TIcon::operator=(const TIcon& other) {
  if (this != &other) {
    *fIcon = *other.fIcon;
    Changed();
  }
  return *this;
}

TIcon::~TIcon() = default;

Int32 TIcon::Width() const {
  const auto sizes = fIcon->availableSizes();
  return sizes.isEmpty() ? 0 : sizes.last().width();
}

Int32 TIcon::Height() const {
  const auto sizes = fIcon->availableSizes();
  return sizes.isEmpty() ? 0 : sizes.last().height();
}

QImage TIcon::ImageAt(Int32 size) const {
  if (fIcon->isNull() || !HasGuiApplication()) return QImage();
  if (size <= 0) size = std::max(Width(), Height());
  if (size <= 0) return QImage();
  return fIcon->pixmap(QSize(size, size)).toImage();
}

void TIcon::Draw(TCanvas& canvas, const TRect& r) const {
  QPainter* p = canvas.PreparedPainter(false, false);
  if (p == nullptr || fIcon->isNull()) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QImage img = ImageAt(std::max(r.Right - r.Left, r.Bottom - r.Top));
  if (!img.isNull()) p->drawImage(ToQRect(r), img);
}

void TIcon::LoadFromFile(const String& fileName) {
  // Every image of the file (an icon file holds several sizes).
  QByteArray bytes;
  QIcon icon;
  if (ReadFileForQt(fileName, bytes, kMaxPictureFileBytes)) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, PictureFormatOf(bytes, fileName));
    const int count = std::clamp(reader.imageCount(), 1, 256);
    for (int i = 0; i < count; ++i) {
      if (i > 0 && !reader.jumpToImage(i)) break;
      const QImage img = reader.read();
      if (img.isNull()) break;
      icon.addPixmap(QPixmap::fromImage(img));
    }
  }
  if (icon.isNull() || icon.availableSizes().isEmpty()) throw EInvalidGraphic(u"Cannot read the icon " + fileName);
  *fIcon = icon;
  Changed();
}

void TIcon::SaveToFile(const String& fileName) const {
  const QImage img = ImageAt(0);
  QByteArray format = ImageFormatOfName(fileName);
  if (format.isEmpty()) format = "png";
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (img.isNull() || !img.save(&buffer, format.constData()) || !SaveFileForQt(fileName, bytes))
    throw EInvalidGraphic(u"Cannot write the icon " + fileName);
}

void TIcon::LoadFromStream(TStream& stream) {
  TBitmap bmp;
  bmp.LoadFromStream(stream);
  SetQtIcon(QIcon(QPixmap::fromImage(bmp.Image())));
}

void TIcon::SaveToStream(TStream& stream) const {
  TBitmap bmp;
  bmp.SetImage(ImageAt(0));
  bmp.SaveToStream(stream);
}

std::unique_ptr<TGraphic> TIcon::Clone() const { return std::make_unique<TIcon>(*this); }

const QIcon& TIcon::QtIcon() const { return *fIcon; }

void TIcon::SetQtIcon(const QIcon& icon) {
  *fIcon = icon;
  Changed();
}

// ---------------------------------------------------------------------------

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  fGraphic = graphic ? graphic->Clone() : nullptr;
  Changed();
}

TBitmap& TPicture::Bitmap() {
  auto* b = dynamic_cast<TBitmap*>(fGraphic.get());
  if (b == nullptr) {
    fGraphic = std::make_unique<TBitmap>();
    b = static_cast<TBitmap*>(fGraphic.get());
    Changed();
  }
  return *b;
}

TIcon& TPicture::Icon() {
  auto* i = dynamic_cast<TIcon*>(fGraphic.get());
  if (i == nullptr) {
    fGraphic = std::make_unique<TIcon>();
    i = static_cast<TIcon*>(fGraphic.get());
    Changed();
  }
  return *i;
}

void TPicture::Assign(const TPicture& source) {
  if (this == &source) return;
  SetGraphic(source.fGraphic.get());
}

void TPicture::LoadFromFile(const String& fileName) {
  const QString name = ToQString(fileName).toLower();
  if (name.endsWith(u".ico")) {
    auto icon = std::make_unique<TIcon>();
    icon->LoadFromFile(fileName);
    fGraphic = std::move(icon);
  } else {
    auto bmp = std::make_unique<TBitmap>();
    bmp->LoadFromFile(fileName);
    fGraphic = std::move(bmp);
  }
  Changed();
}

}  // namespace sk
