#include "services/Html_utils.h"

#include <algorithm>

#include "core/Basic_consts.h"
#include "core/Basic_processes.h"
#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_tabfields.h"
#include "core/UnitCounter.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

constinit TUnitCounter Html_utils_counter;

const String kDefaultEntityLines[] = {u"&gt; 62", u"&lt; 60"};

}  // namespace

// ---------------------------------------------------------------------------
// TEntityRecList.

void TEntityRecList::Clear() {
  fItems.clear();
  Changed();
}

void TEntityRecList::AddIfFormatOK(const String& line) {
  std::vector<String> pieces = StringToStringArray(u"\t", line, true);
  if (pieces.size() < 2) pieces = StringToStringArray(u" ", line, true);
  if (pieces.size() < 2 || pieces[0].empty() || pieces[0][0] != u'&') return;
  THTMLEntity_rec rec;
  rec.HTML = pieces[0];
  const String& ch = pieces[1];
  Int32 code = 0;
  if (ch.empty()) rec.char_num = 0;
  else if (TryStrToInt(ch, code) && ch[0] >= u'0' && ch[0] <= u'9') rec.char_num = code;
  // A character written as itself is taken whole: both halves of a
  // surrogate pair make one code point.
  else rec.char_num = static_cast<Integer>(CodePointOfUnitAt(ch, 0));
  fItems.push_back(std::make_unique<TEntityRecHolder>(rec));
  Changed();
}

bool TEntityRecList::LoadedFromFile(const String& filename) {
  Clear();
  if (!FileExists(filename)) return false;
  TUTF8Stringlist lines;
  try {
    TFileStream stream(filename, fmOpenRead | fmShareDenyNone);
    lines.LoadFromStream(&stream);
  } catch (const Exception&) {
    return false;
  }
  for (Int32 i = 0; i < lines.Count(); ++i) AddIfFormatOK(lines[i]);
  return true;
}

void TEntityRecList::LoadUpDefaults() {
  for (const String& line : kDefaultEntityLines) AddIfFormatOK(line);
}

THTMLEntity_rec TEntityRecList::GetEntityRecs(Int32 i) const {
  if (i < 0 || i >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {i}));
  return fItems[static_cast<size_t>(i)]->data;
}

void TEntityRecList::SetEntityRecs(Int32 i, const THTMLEntity_rec& rec) {
  if (i < 0 || i >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {i}));
  fItems[static_cast<size_t>(i)]->data = rec;
  Changed();
}

void TEntityRecList::BuildLookups() const {
  fByChar.clear();
  fByText.clear();
  fLongest = 0;
  fFirstUnits.clear();
  for (const auto& item : fItems) {
    const THTMLEntity_rec& e = item->data;
    // A code that no text can hold (0, negative, a surrogate half, beyond
    // U+10FFFF) converts nothing.
    if (e.char_num <= 0 || e.char_num > 0x10FFFF || (e.char_num >= 0xD800 && e.char_num <= 0xDFFF)) continue;
    const auto c = static_cast<char32_t>(e.char_num);
    fByChar.emplace(c, e.HTML);
    if (e.HTML.empty()) continue;
    fByText.emplace(e.HTML, c);
    if (fFirstUnits.find(e.HTML[0]) == String::npos) fFirstUnits += e.HTML[0];
    fLongest = std::max(fLongest, e.HTML.size());
  }
  fLookupsValid = true;
}

const String* TEntityRecList::EntityOfChar(char32_t c) const {
  if (!fLookupsValid) BuildLookups();
  const auto it = fByChar.find(c);
  return it == fByChar.end() || it->second.empty() ? nullptr : &it->second;
}

size_t TEntityRecList::EntityAt(const String& s, size_t i, char32_t& c) const {
  if (!fLookupsValid) BuildLookups();
  if (i >= s.size() || fFirstUnits.find(s[i]) == String::npos) return 0;
  for (size_t len = std::min(fLongest, s.size() - i); len > 0; --len) {
    const auto it = fByText.find(s.substr(i, len));
    if (it != fByText.end()) {
      c = it->second;
      return len;
    }
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Text.

String MyHTMLEscape(const String& s) {
  String r;
  r.reserve(s.size());
  for (Char c : s) {
    switch (c) {
      case u'<': r += u"&lt;"; break;
      case u'>': r += u"&gt;"; break;
      case u'&': r += u"&amp;"; break;
      case u'"': r += u"&quot;"; break;
      default:
        if (c == u'\\' || (c >= 160 && c <= 255)) r += u"&#" + IntToStr(c) + u";";
        else r += c;
    }
  }
  return r;
}

namespace {

void AppendCodePoint(String& r, char32_t c) {
  if (c < 0x10000) {
    r += static_cast<Char>(c);
  } else {
    r += static_cast<Char>(0xD800 + ((c - 0x10000) >> 10));
    r += static_cast<Char>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

// Each character of s with an entity in the list as that entity; with
// markupToo, a "&", "<" or ">" that the list has no entity for as the
// standard one.
String CharactersAsEntities(const String& s, bool markupToo) {
  const TEntityRecList* list = HTMLEntityList.get();
  String r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const char32_t c = CodePointOfUnitAt(s, i);
    const size_t units = c >= 0x10000 ? 2 : 1;
    const String* entity = list != nullptr ? list->EntityOfChar(c) : nullptr;
    if (entity != nullptr) r += *entity;
    else if (markupToo && c == u'&') r += u"&amp;";
    else if (markupToo && c == u'<') r += u"&lt;";
    else if (markupToo && c == u'>') r += u"&gt;";
    else r.append(s, i, units);
    i += units;
  }
  return r;
}

}  // namespace

String ReadableStringToHTMLString(const String& s) {
  if (s.empty() || !HTMLEntityList) return s;
  return CharactersAsEntities(s, false);
}

String HTMLStringToReadableString(const String& s) {
  if (s.empty() || !HTMLEntityList) return s;
  String r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t c = 0;
    const size_t len = HTMLEntityList->EntityAt(s, i, c);
    if (len > 0) {
      AppendCodePoint(r, c);
      i += len;
    } else {
      r += s[i++];
    }
  }
  return r;
}

String TPaintWordChunkToHTML(const TPaintWordChunk& chunk) {
  const TColourFontRec plain = GetDefaultExtraFontRec();
  const TColourFontRec& own = chunk.colourAndFont;
  String styleOn, styleOff;
  static constexpr struct {
    TFontStyle style;
    const char16_t* letter;
  } kStyles[] = {{fsBold, u"b"}, {fsItalic, u"i"}, {fsUnderline, u"u"}, {fsStrikeOut, u"s"}};
  if (own.typeface != plain.typeface) {
    for (const auto& st : kStyles) {
      if ((own.typeface & (1u << st.style)) == 0) continue;
      styleOn += String(u"<") + st.letter + u">";
      styleOff = String(u"</") + st.letter + u">" + styleOff;
    }
  }
  String fontOn, fontOff;
  if (own.FontColour != plain.FontColour) {
    fontOn = Format(u"<font color = \"%s\">", {ColorToHexRGB(own.FontColour)});
    fontOff = u"</font>";
  }
  const String text = StringReplace(CharactersAsEntities(chunk.w, true), u" ", u"&nbsp;", rfReplaceAll);
  return Format(u"%s%s%s%s%s", {styleOn, fontOn, text, fontOff, styleOff});
}

String HTMLTagsGreyedOut(const String& s, TColor colour) {
  const TColor rgb = ColorToRGB(colour);
  const String hex = Format(u"%.2x%.2x%.2x", {rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF});
  String r;
  size_t from = 0;
  TTimedYield yield;
  for (;;) {
    const size_t open = s.find(u'<', from);
    if (open == String::npos) break;
    const size_t close = s.find(u'>', open + 1);
    if (close == String::npos) break;
    yield.Tick(close - from + 1);
    r += s.substr(from, open - from);
    // The tag's text is shown, not read as markup: a "<", "&" or '"' in it
    // is written as its entity, so that it shows as itself.
    String shown;
    for (size_t k = open + 1; k < close; ++k) {
      if (s[k] == u'<')
        shown += u"&lt;";
      else if (s[k] == u'&')
        shown += u"&amp;";
      else if (s[k] == u'"')
        shown += u"&quot;";
      else
        shown += s[k];
    }
    r += Format(u"<font color = \"#%s\">&lt;%s&gt;</font>", {hex, shown});
    from = close + 1;
  }
  return r + s.substr(from);
}

String HTMLSwitchOn(THTMLtag_action action) { return String(u"<") + html_tags[action] + u">"; }

String HTMLSwitchOff(THTMLtag_action action) { return String(u"</") + html_tags[action] + u">"; }

String StrippedOfW(const String& on, const String& off, const String& s) {
  if (on.empty() || off.empty()) return s;
  // The first on and the first off after it are cut out with what lies
  // between, again and again. The result is built in one pass: out holds
  // what is kept so far (with no on in it), and the text being stripped is
  // out followed by s from i on. A cut may join the end of out and the text
  // after the cut into a new on; any other on lies wholly in s.
  const size_t m = on.size();
  String out;
  out.reserve(s.size());
  size_t i = 0;
  for (;;) {
    // Where the on starts: in the tail of out (inOut > 0 of its units there)
    // or at q in s.
    size_t inOut = 0;
    const size_t first = out.size() >= m ? out.size() - m + 1 : 0;
    for (size_t p = first; p < out.size() && inOut == 0; ++p) {
      const size_t n = out.size() - p;
      if (s.size() - i >= m - n && out.compare(p, n, on, 0, n) == 0 && s.compare(i, m - n, on, n, m - n) == 0) inOut = n;
    }
    size_t q = i;
    if (inOut == 0) {
      q = s.find(on, i);
      if (q == String::npos) break;
    }
    // The off is looked for after the whole on.
    const size_t onEnd = inOut > 0 ? i + (m - inOut) : q + m;
    const size_t b = s.find(off, onEnd);
    if (b == String::npos) break;
    if (inOut > 0)
      out.resize(out.size() - inOut);
    else
      out.append(s, i, q - i);
    i = b + off.size();
  }
  out.append(s, i, String::npos);
  return out;
}

String StrippedOfHTMLComments(const String& s) { return StrippedOfW(HTML_comment_on, HTML_comment_off, s); }

AnsiString StrippedOfHTMLComments(const AnsiString& s) {
  TEncoding* ansi = TEncoding::ANSI();
  const String wide = ansi->GetString(reinterpret_cast<const Byte*>(s.data()), s.size());
  const TBytes bytes = ansi->GetBytes(StrippedOfHTMLComments(wide));
  return AnsiString(bytes.begin(), bytes.end());
}

// ---------------------------------------------------------------------------
// Unit start and stop.

void Html_utils_initialization() {
  if (!Html_utils_counter.Initialization()) return;
  HTMLEntityList = std::make_unique<TEntityRecList>();
  HTMLEntityList->LoadUpDefaults();
}

void Html_utils_Finalization() {
  if (!Html_utils_counter.Finalization()) return;
  HTMLEntityList.reset();
}

}  // namespace sk
