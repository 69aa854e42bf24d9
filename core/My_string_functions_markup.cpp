#include "core/My_string_functions_markup.h"

#include <vector>

#include "core/Unicode_string_conversion.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

// Finds the next closing character at or after a position. The positions asked
// for never go down, so the whole text is scanned at most once, however many
// opening characters wait for a closing one.
class TNextCloseFinder {
 public:
  TNextCloseFinder(const String& text, Char close) : fText(text), fClose(close) {}
  // Index of the next closing character at or after from; the text's length
  // when there is none.
  size_t From(size_t from) {
    if (fAt < from) fAt = from;
    const size_t n = fText.size();
    while (fAt < n && fText[fAt] != fClose) ++fAt;
    return fAt;
  }

 private:
  const String& fText;
  Char fClose;
  size_t fAt = 0;
};

// Each run of characters below U+0021 (blanks, tabs, line ends, controls)
// becomes one space.
String RunsBelowBangAsOneSpace(const String& s) {
  String r;
  r.reserve(s.size());
  bool inRun = false;
  for (Char c : s) {
    if (c < 0x21) {
      if (!inRun) r += u' ';
      inRun = true;
    } else {
      r += c;
      inRun = false;
    }
  }
  return r;
}

TBytes ReadWholeFile(const String& fileName) {
  TFileStream fs(fileName, fmOpenRead | fmShareDenyWrite);
  TBytes bytes;
  Byte chunk[65536];
  for (;;) {
    const Int64 got = fs.Read(chunk, sizeof chunk);
    if (got <= 0) break;
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  // A failed read is not the end of the file.
  if (fs.LastReadError() != 0) throw EReadError(u"Stream read error");
  return bytes;
}

bool StartsWithText(const String& s, const Char* prefix) {
  const String p(prefix);
  return s.size() >= p.size() && s.compare(0, p.size(), p) == 0;
}

bool EndsWithText(const String& s, const Char* suffix) {
  const String p(suffix);
  return s.size() >= p.size() && s.compare(s.size() - p.size(), p.size(), p) == 0;
}

Char AsciiUpper(Char c) { return (c >= u'a' && c <= u'z') ? Char(c - 32) : c; }

}  // namespace

String ExtractMarkupDataFromText(const String& text, const String& startMarker, const String& endMarker) {
  if (startMarker.empty() || endMarker.empty()) return String();
  const size_t s = text.find(startMarker);
  if (s == String::npos) return String();
  const size_t e = text.find(endMarker, s);
  if (e == String::npos) return String();
  const size_t dataStart = s + startMarker.size();
  if (e < dataStart) return String();  // the end marker overlaps the start marker
  return text.substr(dataStart, e - dataStart);
}

String WithoutMarkup(const String& text, Char open, Char close, Int32 maxLen) {
  if (maxLen <= 0) return text;
  const size_t n = text.size();
  const size_t limit = static_cast<size_t>(maxLen);
  TNextCloseFinder closes(text, close);
  String r;
  r.reserve(n);
  size_t i = 0;
  while (i < n) {
    if (text[i] == open) {
      // The tag ends at its closing character or, left open, at the text's end.
      const size_t c = closes.From(i + 1);
      if (c - i <= limit) {
        i = c + 1;
        continue;
      }
      // Too long to be a tag: the opening character is ordinary text.
    }
    r += text[i];
    ++i;
  }
  return r;
}

String WithoutMarkup(const String& text, Int32 maxLen) { return WithoutMarkup(text, u'<', u'>', maxLen); }

String BlankedOutMarkup(const String& text, Char open, Char close, Int32 maxLen) {
  if (maxLen < 1) return text;
  const size_t n = text.size();
  const size_t limit = static_cast<size_t>(maxLen);
  TNextCloseFinder closes(text, close);
  String r = text;
  size_t i = 0;
  while (i < n) {
    if (text[i] != open) {
      ++i;
      continue;
    }
    const size_t c = closes.From(i + 1);
    if (c - i <= limit)
      for (size_t k = i + 1; k < c; ++k) r[k] = u' ';
    i = c + 1;
  }
  return r;
}

String MarkupWithoutText(const String& text, Char open, Char close, Int32 maxLen) {
  const size_t n = text.size();
  if (maxLen <= 0 || n == 0) return String();
  const size_t limit = static_cast<size_t>(maxLen);
  TNextCloseFinder closes(text, close);
  String r;
  r.reserve(n);
  for (size_t o = text.find(open); o != String::npos; o = text.find(open, o + 1)) {
    const size_t c = closes.From(o);
    if (c >= n) continue;  // no closing character: nothing for this one
    if (c - o >= limit) continue;
    const size_t len = c - o + 1;
    if (r.size() + len <= n) r.append(text, o, len);
  }
  return r;
}

String MarkupWithoutText(const String& text, Int32 maxLen) { return MarkupWithoutText(text, u'<', u'>', maxLen); }

String MarkupFreeTextFromAFile(const String& fileName, Int32 maxLen) {
  const TBytes bytes = ReadWholeFile(fileName);
  TEncoding* encoding = nullptr;
  Int32 bomLength = 0;
  const String text = EncodedStringFromBytes(bytes, encoding, bomLength);
  return WithoutMarkup(RunsBelowBangAsOneSpace(text), u'<', u'>', maxLen);
}

String WithoutCaseSensitiveSearchMarkers(const String& s) {
  if (!StartsWithText(s, u"==") || !EndsWithText(s, u"==")) return s;
  if (s.size() <= 4) return String();
  return s.substr(2, s.size() - 4);
}

String AttributeNOfTagStr(const String& tag, Int32 n) {
  if (n < 0 || tag.empty()) return String();
  size_t start = 0;
  for (Int32 piece = 0;; ++piece) {
    const size_t sp = tag.find(u' ', start);
    if (piece == n) {
      if (sp == String::npos) {
        // The last piece already ends with ">"; a tag without attributes also
        // already begins with "<", which is not doubled.
        const String last = tag.substr(start);
        return last.empty() ? String() : Angle_Bracketed(last);
      }
      return Angle_Bracketed(tag.substr(start, sp - start + 1));
    }
    if (sp == String::npos) return String();
    start = sp + 1;
  }
}

// ---- bracketing -----------------------------------------------------------------------

String BracketedWith(const String& s, Char open, Char close) {
  String r;
  r.reserve(s.size() + 2);
  if (s.empty() || s.front() != open) r += open;
  r += s;
  if (s.empty() || s.back() != close) r += close;
  return r;
}

String UNBracketedWith(const String& s, Char open, Char close) {
  if (s.empty()) return s;
  size_t first = 0, last = s.size();
  if (s.front() == open) first = 1;
  if (s.back() == close && last > first) --last;
  return s.substr(first, last - first);
}

bool IsBracketed(const String& s, Char open, Char close) {
  return !s.empty() && s.front() == open && s.back() == close;
}

String Angle_Bracketed(const String& s) { return BracketedWith(s, u'<', u'>'); }
String UNAngle_Bracketed(const String& s) { return UNBracketedWith(s, u'<', u'>'); }
String Round_Bracketed(const String& s) { return BracketedWith(s, u'(', u')'); }
bool IsAngleBracketed(const String& s) { return IsBracketed(s, u'<', u'>'); }
bool IsRoundBracketed(const String& s) { return IsBracketed(s, u'(', u')'); }

// ---- HTML -------------------------------------------------------------------------------

String AnyAngleBracketsToHTML(const String& s) {
  String r = StringReplace(s, u"<", u"&lt;", rfReplaceAll);
  return StringReplace(r, u">", u"&gt;", rfReplaceAll);
}

String ChangeAngleBracketsToHTML(const String& s) {
  // Works on the original text and records which brackets become entities, as
  // if each replacement were made in place: a replaced tag's "&lt;" takes four
  // units and the search goes on seven units after it, and a ">" already
  // turned into "&gt;" closes no later tag.
  const size_t n = s.size();
  std::vector<uint8_t> replaced(n, 0);
  TNextCloseFinder closes(s, u'>');
  size_t lastReplacedClose = 0;
  bool anyReplaced = false;
  size_t from = 0;
  for (;;) {
    const size_t p = s.find(u'<', from);
    if (p == String::npos) break;
    from = p + 1;
    const size_t after = anyReplaced && lastReplacedClose > p ? lastReplacedClose + 1 : p + 1;
    const size_t q = closes.From(after);
    if (q >= n) continue;
    // A replaced ">" inside the span makes it longer than any bold tag.
    const bool clean = !(anyReplaced && lastReplacedClose > p);
    if (clean) {
      const bool boldOff = q == p + 3 && s[p + 1] == u'/' && AsciiUpper(s[p + 2]) == u'B';
      const bool boldOn = q == p + 2 && AsciiUpper(s[p + 1]) == u'B';
      if (boldOff || boldOn) continue;
    }
    replaced[p] = 1;
    replaced[q] = 1;
    lastReplacedClose = q;
    anyReplaced = true;
    // The search resumes seven units after the start of "&lt;".
    size_t width = 4;
    size_t j = p + 1;
    while (width < 7 && j < n) {
      width += replaced[j] ? 4 : 1;
      ++j;
    }
    from = j;
  }
  if (!anyReplaced) return s;
  String r;
  r.reserve(n + 16);
  for (size_t j = 0; j < n; ++j) {
    if (!replaced[j])
      r += s[j];
    else
      r += s[j] == u'<' ? u"&lt;" : u"&gt;";
  }
  return r;
}

String ChangeHTMLToAngleBrackets(const String& s) {
  String r = StringReplace(s, u"&lt;", u"<", rfReplaceAll);
  return StringReplace(r, u"&gt;", u">", rfReplaceAll);
}

String Emboldened(const String& s) { return u"<B>" + s + u"</B>"; }

String HTMLBolded(const String& s) { return u"<B>" + s + u"</B>"; }

String HTMLSwitchedOff(const String& name) { return Angle_Bracketed(u"/" + name); }

String StrippedHTMLBold(const String& s) {
  String r = StringReplace(s, u"<B>", u"", rfReplaceAll);
  return StringReplace(r, u"</B>", u"", rfReplaceAll);
}

String StrippedHTML(const String& s) { return ChangeHTMLToAngleBrackets(StrippedHTMLBold(s)); }

String StrippedHTMLBoldAtEnds(const String& s) {
  String r = s;
  if (StartsWithText(r, u"<B>")) r.erase(0, 3);
  if (EndsWithText(r, u"</B>")) r.erase(r.size() - 4);
  return r;
}

bool IsHTMLBoldAtEnds(const String& s) { return StartsWithText(s, u"<B>") && EndsWithText(s, u"</B>"); }

}  // namespace sk
