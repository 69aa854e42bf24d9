#include "core/My_string_functions_tags.h"

#include <algorithm>
#include <string_view>

#include "core/Basic_processes.h"
#include "core/My_string_functions_markup.h"
#include "core/My_string_functions_words.h"
#include "core/Unicode_string_conversion.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"
#include "platform/runtime/ZipReader.h"

namespace sk {
namespace {

constexpr size_t npos = String::npos;

// A colour from its hexadecimal digits; false when there are none, when a
// character is not a hexadecimal digit or when the value needs more than 32 bits.
bool HexColour(const String& digits, Int32& colour) {
  if (digits.empty() || digits.size() > 8) return false;
  uint32_t v = 0;
  for (Char c : digits) {
    const int d = HexDigitValue(c);
    if (d < 0) return false;
    v = v * 16u + static_cast<uint32_t>(d);
  }
  colour = static_cast<Int32>(v);
  return true;
}

void AppendCodePoint(String& out, uint32_t cp) {
  if (cp <= 0xFFFF) {
    out += static_cast<Char>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<Char>(0xD800 + (cp >> 10));
    out += static_cast<Char>(0xDC00 + (cp & 0x3FF));
  }
}

// The text of an XML run with its character entities decoded: the five named
// ones and decimal and hexadecimal character references. Anything else that
// begins with "&" stays as written.
String DecodedXmlText(const String& s) {
  if (s.find(u'&') == npos) return s;
  String out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const Char c = s[i];
    if (c != u'&') {
      out += c;
      ++i;
      continue;
    }
    // Entities are short; a far-off ";" belongs to something else. The ";"
    // is only looked for that far, so that a text of many "&" without one
    // costs its length, not its length squared.
    const size_t semi = std::u16string_view(s).substr(0, std::min(s.size(), i + 13)).find(u';', i + 1);
    if (semi == npos) {
      out += c;
      ++i;
      continue;
    }
    const String name = s.substr(i + 1, semi - i - 1);
    bool done = true;
    if (name == u"amp") {
      out += u'&';
    } else if (name == u"lt") {
      out += u'<';
    } else if (name == u"gt") {
      out += u'>';
    } else if (name == u"quot") {
      out += u'"';
    } else if (name == u"apos") {
      out += u'\'';
    } else if (name.size() >= 2 && name[0] == u'#') {
      const bool hex = name[1] == u'x' || name[1] == u'X';
      const size_t first = hex ? 2 : 1;
      uint32_t cp = 0;
      bool ok = first < name.size();
      for (size_t k = first; k < name.size() && ok; ++k) {
        const int d = hex ? HexDigitValue(name[k]) : (name[k] >= u'0' && name[k] <= u'9' ? name[k] - u'0' : -1);
        if (d < 0) {
          ok = false;
          break;
        }
        cp = cp * (hex ? 16u : 10u) + static_cast<uint32_t>(d);
        if (cp > 0x10FFFF) ok = false;
      }
      if (ok && !(cp >= 0xD800 && cp <= 0xDFFF))
        AppendCodePoint(out, cp);
      else
        done = false;
    } else {
      done = false;
    }
    if (done) {
      i = semi + 1;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

// Whether the element name that starts at pos (length len, e.g. "<w:p") is
// whole there: the next character is a space or ">", or the text ends.
bool WholeTagNameAt(const String& x, size_t pos, size_t len, size_t limit) {
  const size_t next = pos + len;
  if (next >= limit) return true;
  return x[next] == u' ' || x[next] == u'>';
}

// The first occurrence of what at or after from that ends by limit; the
// search never reads past limit, so that looking inside one paragraph costs
// that paragraph's length, not the rest of the document's.
size_t FindBefore(const String& x, std::u16string_view what, size_t from, size_t limit) {
  if (limit > x.size()) limit = x.size();
  if (from >= limit) return npos;
  return std::u16string_view(x).substr(0, limit).find(what, from);
}

// The next whole occurrence of the element name at or after from, before limit.
size_t FindWholeTagName(const String& x, const String& name, size_t from, size_t limit) {
  while (from < limit) {
    const size_t p = FindBefore(x, name, from, limit);
    if (p == npos) return npos;
    if (WholeTagNameAt(x, p, name.size(), limit)) return p;
    from = p + 1;
  }
  return npos;
}

// The runs of one paragraph, x[from .. limit), joined.
String ParagraphText(const String& x, size_t from, size_t limit) {
  static const String kRun = u"<w:t";
  static const String kRunEnd = u"</w:t>";
  String text;
  TTimedYield yield;
  for (;;) {
    yield.Tick();
    const size_t r = FindWholeTagName(x, kRun, from, limit);
    if (r == npos) break;
    const size_t gt = FindBefore(x, u">", r + kRun.size(), limit);
    if (gt == npos) break;
    from = gt + 1;
    // A self-closing run holds no text.
    if (x[gt - 1] == u'/') continue;
    const size_t end = FindBefore(x, kRunEnd, gt + 1, limit);
    // No closing tag up to the paragraph's end: no later run of the paragraph
    // has one either, so stop rather than search the same stretch per run.
    if (end == npos) break;
    text += DecodedXmlText(x.substr(gt + 1, end - gt - 1));
    from = end + kRunEnd.size();
  }
  return text;
}

// The running text of a document part that arrives in pieces, the same as
// if the whole part were taken at once. Two stages work as the text comes:
// the first gives alternate content way to its fallback, the second takes
// each paragraph's runs once its closing tag (or the end) has come. Each
// holds only what it has not yet decided: an element or a paragraph whose
// end has not come. Every search remembers how far it has looked, so that
// no stretch is searched again as more text comes.
class TDocumentTextReader {
 public:
  void Add(const String& units) {
    fIn.Units.append(units);
    Fallbacks(false);
    Paragraphs(false);
  }

  String Finish() {
    Fallbacks(true);
    Paragraphs(true);
    return std::move(fText);
  }

 private:
  // A text held from an absolute position on, its front dropped once it is
  // no longer needed.
  struct THeld {
    String Units;
    size_t Base = 0;
    size_t End() const { return Base + Units.size(); }
    Char At(size_t p) const { return Units[p - Base]; }
    // The first what starting at or after from that ends by limit.
    size_t Find(std::u16string_view what, size_t from, size_t limit) const {
      if (from >= limit) return npos;
      const size_t r = std::u16string_view(Units).substr(0, limit - Base).find(what, from - Base);
      return r == npos ? npos : r + Base;
    }
    void DropBefore(size_t p) {
      if (p - Base > 4096 && p - Base > Units.size() / 2) {
        Units.erase(0, p - Base);
        Base = p;
      }
    }
  };

  // The first what at or after from that ends by limit, where no what starts
  // in [from, Pos) unless Found (then one starts at Pos).
  struct TSearch {
    size_t Pos = 0;
    bool Found = false;
    size_t Next(const THeld& x, std::u16string_view what, size_t from, size_t limit) {
      if (Found && Pos >= from) return Pos + what.size() <= limit ? Pos : npos;
      if (Found || Pos < from) Pos = from;
      Found = false;
      const size_t r = x.Find(what, Pos, limit);
      if (r != npos) {
        Pos = r;
        Found = true;
        return r;
      }
      if (limit >= what.size() && limit - what.size() + 1 > Pos) Pos = limit - what.size() + 1;
      return npos;
    }
  };

  // Alternate content: the text from "<mc:AlternateContent>" up to its
  // closing tag gives way to the text from "<mc:Fallback>" up to the
  // fallback's closing tag, when both come in order before that closing
  // tag; otherwise the element is passed over and the next is looked for
  // one character after its opening tag. An element whose closing tag never
  // comes leaves the rest as it is.
  void Fallbacks(bool last) {
    static constexpr std::u16string_view kOpen = u"<mc:AlternateContent>";
    static constexpr std::u16string_view kClose = u"</mc:AlternateContent>";
    static constexpr std::u16string_view kFallback = u"<mc:Fallback>";
    static constexpr std::u16string_view kFallbackEnd = u"</mc:Fallback>";
    for (;;) {
      if (!fHaveOpen) {
        const size_t a = fInFrom >= fIn.End() ? npos : fIn.Find(kOpen, fInFrom, fIn.End());
        if (a == npos) {
          // No opening tag starts before the last few units: what lies
          // before them goes on.
          const size_t keep = last ? 0 : kOpen.size() - 1;
          const size_t safe = fIn.End() > fInFrom + keep ? fIn.End() - keep : fInFrom;
          fInFrom = std::max(fInFrom, safe);
          PassOn(fInFrom);
          return;
        }
        PassOn(a);
        fA = a;
        fHaveOpen = true;
      }
      const size_t after = fA + kOpen.size();
      const size_t b = fClose.Next(fIn, kClose, after, fIn.End());
      if (b == npos) {
        if (!last) return;
        // No closing tag comes after this element, nor after any later one:
        // the rest stays as it is.
        fHaveOpen = false;
        fInFrom = fIn.End();
        PassOn(fInFrom);
        return;
      }
      const size_t f = fFallback.Next(fIn, kFallback, after, b);
      const size_t g = f == npos ? npos : fFallbackEnd.Next(fIn, kFallbackEnd, f + kFallback.size(), b);
      fHaveOpen = false;
      if (g == npos) {
        fInFrom = fA + 1;
        continue;
      }
      fMid.Units.append(fIn.Units, f - fIn.Base, g - f);
      fOut = b;
      fInFrom = b;
    }
  }

  // Hands the first stage's text up to p to the second.
  void PassOn(size_t p) {
    if (p > fOut) {
      fMid.Units.append(fIn.Units, fOut - fIn.Base, p - fOut);
      fOut = p;
    }
    fIn.DropBefore(fOut);
  }

  // Paragraphs: each "<w:p" that is a whole tag name up to its ">"; a
  // self-closing one is skipped; any other holds the text up to the next
  // "</w:p>" (or the end), whose runs give one line.
  void Paragraphs(bool last) {
    static constexpr std::u16string_view kPara = u"<w:p";
    static constexpr std::u16string_view kParaEnd = u"</w:p>";
    while (!fDone) {
      switch (fStage) {
        case kSeekParagraph: {
          fYield.Tick();
          const size_t p = fParaFrom >= fMid.End() ? npos : fMid.Find(kPara, fParaFrom, fMid.End());
          if (p == npos) {
            if (last) {
              fDone = true;
            } else {
              fParaFrom = std::max(fParaFrom, fMid.End() >= kPara.size() ? fMid.End() - kPara.size() + 1 : 0);
              fMid.DropBefore(fParaFrom);
            }
            return;
          }
          const size_t next = p + kPara.size();
          if (next >= fMid.End() && !last) {
            fParaFrom = p;
            fMid.DropBefore(p);
            return;
          }
          if (next < fMid.End() && fMid.At(next) != u' ' && fMid.At(next) != u'>') {
            fParaFrom = p + 1;
            continue;
          }
          fPara = p;
          fGtFrom = next;
          fStage = kSeekGt;
          break;
        }
        case kSeekGt: {
          const size_t gt = fGtFrom >= fMid.End() ? npos : fMid.Find(u">", fGtFrom, fMid.End());
          if (gt == npos) {
            fGtFrom = std::max(fGtFrom, fMid.End());
            fDone = last;
            return;
          }
          if (fMid.At(gt - 1) == u'/') {
            fParaFrom = gt + 1;
            fStage = kSeekParagraph;
            continue;
          }
          fGt = gt;
          fEndFrom = gt + 1;
          fStage = kSeekEnd;
          break;
        }
        case kSeekEnd: {
          size_t end = fEndFrom >= fMid.End() ? npos : fMid.Find(kParaEnd, fEndFrom, fMid.End());
          if (end == npos) {
            if (!last) {
              fEndFrom = std::max(fEndFrom, fMid.End() >= kParaEnd.size() ? fMid.End() - kParaEnd.size() + 1 : 0);
              return;
            }
            end = fMid.End();
          }
          fText += ParagraphText(fMid.Units, fGt + 1 - fMid.Base, end - fMid.Base);
          fText += u"\r\n";
          fParaFrom = end == fMid.End() ? end : end + kParaEnd.size();
          fStage = kSeekParagraph;
          fMid.DropBefore(fParaFrom);
          break;
        }
      }
    }
  }

  // First stage: the part as it comes.
  THeld fIn;
  size_t fOut = 0;     // fIn's text before this is handed on
  size_t fInFrom = 0;  // where the next opening tag is looked for
  bool fHaveOpen = false;
  size_t fA = 0;  // the opening tag being decided
  TSearch fClose, fFallback, fFallbackEnd;
  // Second stage: the text with alternate content replaced.
  THeld fMid;
  enum : uint8_t { kSeekParagraph, kSeekGt, kSeekEnd } fStage = kSeekParagraph;
  size_t fParaFrom = 0, fPara = 0, fGtFrom = 0, fGt = 0, fEndFrom = 0;
  bool fDone = false;
  String fText;
  TTimedYield fYield;
};

Int32 LastSlash(const String& path) {
  const size_t p = path.find_last_of(u"/\\");
  return p == npos ? -1 : static_cast<Int32>(p);
}

}  // namespace

String SameTagButSwitchedOff(const String& tag) {
  if (tag.empty()) return tag;
  if (tag[0] == u'<') return u"</" + tag.substr(1);
  return u"/" + tag;
}

String TagOnNumbered(const String& tag, Int32 n) {
  if (tag.empty() || tag.back() != u'>') return tag;
  String s = tag;
  s.insert(s.size() - 1, u" \"" + IntToStr(n) + u"\"");
  return s;
}

bool IsAHeading(const String& line, const String& endMarker) {
  if (!endMarker.empty()) return EndsStr(endMarker, line);
  size_t n = line.size();
  while (n > 0 && (line[n - 1] == u')' || line[n - 1] == u']' || line[n - 1] == u'}')) --n;
  if (n == 0) return false;
  return !IsPotentialSentenceTerminator(line[n - 1]);
}

String SimpleTagValue(const String& tag, const String& text, bool& found) {
  const String open = u"<" + tag + u">";
  const String close = u"</" + tag + u">";
  found = false;
  const size_t a = text.find(open);
  const size_t b = text.find(close);
  if (a == npos || b == npos || b < a + open.size()) return String();
  found = true;
  return text.substr(a + open.size(), b - a - open.size());
}

String TrimmedSimpleTagValue(const String& tag, const String& text, bool& found) {
  return Trim(SimpleTagValue(tag, text, found));
}

String GetHeaderValueWithinFile(const String& fileName, const String& tag) {
  if (!FileExists(fileName)) return String();
  TUTF8Stringlist list;
  list.LoadFromFile(fileName);
  const String text = list.Text();
  const String name = UNAngle_Bracketed(tag);
  const String open = Angle_Bracketed(name);
  const String close = HTMLSwitchedOff(name);
  const size_t a = text.find(open);
  if (a == npos) return String();
  const size_t b = text.find(close, a + open.size());
  if (b == npos) return String();
  return Trim(text.substr(a + open.size(), b - a - open.size()));
}

std::unique_ptr<TStringlistWithALongint> StringWithHexColourWordsToStringlist(const String& text) {
  // A colour has at most 8 hexadecimal digits, so its ">" is looked for only
  // that far: a "<#" without one is text, and no search runs on through the
  // rest of a long text for every "<#".
  constexpr size_t kMaxMarkLength = 2 + 8 + 1;
  auto list = std::make_unique<TStringlistWithALongint>();
  size_t pos = 0;     // start of the text not yet added
  size_t search = 0;  // where the next colour word is looked for
  for (;;) {
    const size_t m = text.find(u"<#", search);
    if (m == npos) break;
    const size_t gt = FindBefore(text, u">", m + 2, m + kMaxMarkLength);
    Int32 colour = 0;
    if (gt == npos || !HexColour(text.substr(m + 2, gt - m - 2), colour)) {
      // Not a colour: the characters stay part of the text.
      search = m + 1;
      continue;
    }
    list->AddOne(text.substr(pos, m - pos), 0);
    // The coloured word runs up to and including the next space; without a
    // space, up to the next colour word or the end of the text.
    const size_t wordStart = gt + 1;
    const size_t nextMark = text.find(u"<#", wordStart);
    const size_t space = FindBefore(text, u" ", wordStart, nextMark);
    const size_t wordEnd = space != npos ? space + 1 : (nextMark == npos ? text.size() : nextMark);
    list->AddOne(text.substr(wordStart, wordEnd - wordStart), colour);
    pos = wordEnd;
    search = wordEnd;
  }
  list->AddOne(text.substr(pos), 0);
  return list;
}

String DOCXFileText(const String& fileName) {
  if (!FileExists(fileName)) return String();
  try {
    TZipFile zip;
    zip.Open(fileName, zmRead);
    const Int32 count = zip.FileCount();
    Int32 index = -1;
    for (Int32 i = 0; i < count && index < 0; ++i) {
      const String name = zip.FileName(i);
      const Int32 slash = LastSlash(name);
      if (SameText(name.substr(static_cast<size_t>(slash + 1)), u"document.xml")) index = i;
    }
    if (index < 0) return String();
    // The part is read as it is inflated, within the bounds of one read of
    // an archive; its UTF-8 is decoded piece by piece, a character cut by a
    // piece's end carried over to the next.
    TZipInflateBudget budget(zip.ArchiveSize());
    TDocumentTextReader reader;
    std::string bytes;
    String units;
    zip.ReadInPieces(index, [&](const Byte* data, size_t size) {
      budget.Spend(size);
      bytes.append(reinterpret_cast<const char*>(data), size);
      const size_t whole = Utf8WholeSequencesLength(bytes.data(), bytes.size());
      units.clear();
      AppendUtf8ToString(units, bytes.data(), whole);
      bytes.erase(0, whole);
      reader.Add(units);
    });
    zip.Close();
    units.clear();
    AppendUtf8ToString(units, bytes.data(), bytes.size());
    reader.Add(units);
    return reader.Finish();
  } catch (const EZipException&) {
    // A damaged or foreign file, or one that inflates past the bounds, has
    // no text to give.
    return String();
  }
}

String BothSlashesExtractFilepath(const String& path) {
  const Int32 p = LastSlash(path);
  if (p < 0) return path;
  return path.substr(0, static_cast<size_t>(p));
}

String BothSlashesExtractFilename(const String& path) {
  const Int32 p = LastSlash(path);
  if (p < 0) return path;
  return path.substr(static_cast<size_t>(p + 1));
}

void EnsureFileHasExtension(String& fileName, const String& ext) {
  if (ExtractFileExt(fileName).empty()) fileName += ext;
}

String FilenameWithInsertion(const String& fileName, const String& insertion, bool beforeExtension) {
  if (!beforeExtension) return fileName + insertion;
  const String ext = ExtractFileExt(fileName);
  return fileName.substr(0, fileName.size() - ext.size()) + insertion + ext;
}

}  // namespace sk
