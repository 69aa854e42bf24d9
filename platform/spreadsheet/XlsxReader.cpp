#include "platform/spreadsheet/XlsxReader.h"

#include <expat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <string_view>

#include "platform/runtime/ZipReader.h"
#include "platform/spreadsheet/XlsWorkbook.h"

namespace sk {

namespace {

// Longest text node taken (a cell holds at most 32,767 characters; escapes
// and several runs may make the XML longer than the text).
constexpr size_t kMaxTextBytes = 1 << 20;
// Expat takes its input in pieces no larger than an int can count.
constexpr size_t kParsePiece = 1 << 20;
// While less than this is open at a piece's end, the next piece is parsed as
// it comes.
constexpr size_t kShortPiece = 1 << 16;
constexpr char kNsSep = '\x01';
// Longest run of a part in which expat reports nothing (one tag, comment or
// instruction); text is reported as it comes, so this bounds no cell, and no
// tag of a sheet comes near it.
constexpr Int64 kMaxTokenBytes = Int64{4} << 20;

class EXlsxCorrupt : public std::exception {};

[[noreturn]] void Corrupt() { throw EXlsxCorrupt(); }

// The local part of an element or attribute name that expat gave as
// "namespace<sep>local".
std::string_view Local(const char* name) {
  std::string_view n(name);
  const size_t p = n.rfind(kNsSep);
  return p == std::string_view::npos ? n : n.substr(p + 1);
}

bool HasNamespace(const char* name) { return std::strchr(name, kNsSep) != nullptr; }

// The value of the attribute with this local name and no namespace.
const char* Attr(const char** atts, std::string_view local) {
  for (; atts[0] != nullptr; atts += 2)
    if (!HasNamespace(atts[0]) && Local(atts[0]) == local) return atts[1];
  return nullptr;
}

// The value of the attribute with this local name in some namespace (r:id).
const char* NsAttr(const char** atts, std::string_view local) {
  for (; atts[0] != nullptr; atts += 2)
    if (HasNamespace(atts[0]) && Local(atts[0]) == local) return atts[1];
  return nullptr;
}

class TXmlHandler {
 public:
  virtual ~TXmlHandler() = default;
  virtual void Start(std::string_view name, const char** atts) = 0;
  virtual void End(std::string_view name) = 0;
  virtual void Text(const char*, int) {}
};

struct TParseState {
  XML_Parser Parser;
  TXmlHandler* Handler;
  bool Failed = false;
  Int64 LastEvent = 0;  // offset in the part of the last thing expat reported
};

void Reached(TParseState* st) { st->LastEvent = static_cast<Int64>(XML_GetCurrentByteIndex(st->Parser)); }

void Abort(TParseState* st) {
  if (!st->Failed) {
    st->Failed = true;
    XML_StopParser(st->Parser, XML_FALSE);
  }
}

void XMLCALL OnStart(void* ud, const XML_Char* name, const XML_Char** atts) {
  auto* st = static_cast<TParseState*>(ud);
  if (st->Failed) return;
  Reached(st);
  try {
    st->Handler->Start(Local(name), atts);
  } catch (...) {
    Abort(st);
  }
}

void XMLCALL OnEnd(void* ud, const XML_Char* name) {
  auto* st = static_cast<TParseState*>(ud);
  if (st->Failed) return;
  Reached(st);
  try {
    st->Handler->End(Local(name));
  } catch (...) {
    Abort(st);
  }
}

void XMLCALL OnText(void* ud, const XML_Char* s, int len) {
  auto* st = static_cast<TParseState*>(ud);
  if (st->Failed) return;
  Reached(st);
  try {
    st->Handler->Text(s, len);
  } catch (...) {
    Abort(st);
  }
}

// A document type declaration may declare entities that expand beyond any
// bound; no part of an .xlsx file needs one.
void XMLCALL OnDoctype(void* ud, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  Abort(static_cast<TParseState*>(ud));
}

// Whatever else the part holds (comments, processing instructions, blanks
// outside the root) shows that the parse moves on.
void XMLCALL OnOther(void* ud, const XML_Char*, int) { Reached(static_cast<TParseState*>(ud)); }

void XMLCALL OnEntityDecl(void* ud, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
                          const XML_Char*, const XML_Char*) {
  Abort(static_cast<TParseState*>(ud));
}

// One expat parser over a part that arrives in pieces.
class TXmlParser {
 public:
  explicit TXmlParser(TXmlHandler& handler) : fParser(XML_ParserCreateNS(nullptr, kNsSep)) {
    if (fParser == nullptr) throw std::bad_alloc();
    fState = TParseState{fParser, &handler};
    XML_SetUserData(fParser, &fState);
    XML_SetElementHandler(fParser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(fParser, OnText);
    XML_SetStartDoctypeDeclHandler(fParser, OnDoctype);
    XML_SetEntityDeclHandler(fParser, OnEntityDecl);
    XML_SetParamEntityParsing(fParser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetDefaultHandlerExpand(fParser, OnOther);
#if XML_MAJOR_VERSION > 2 || (XML_MAJOR_VERSION == 2 && XML_MINOR_VERSION >= 6)
    // A parser that put off a long token until more input came would report
    // nothing for longer than the token itself.
    XML_SetReparseDeferralEnabled(fParser, XML_FALSE);
#endif
  }
  ~TXmlParser() { XML_ParserFree(fParser); }
  TXmlParser(const TXmlParser&) = delete;
  TXmlParser& operator=(const TXmlParser&) = delete;

  void Feed(const Byte* data, size_t size) {
    while (size > 0) {
      const Int64 open = Open();
      if (fHeld.empty() && open < static_cast<Int64>(kShortPiece)) {
        const size_t n = std::min(kParsePiece, size);
        Parse(data, n);
        data += n;
        size -= n;
        continue;
      }
      // Expat scans a token still open at a piece's end again from its start
      // with the next piece: the next piece is held back until it is at
      // least as long as what is open, so that each byte is scanned a
      // bounded number of times however long the token runs.
      const size_t want = static_cast<size_t>(open);
      const size_t take = std::min(size, want > fHeld.size() ? want - fHeld.size() : size_t{0});
      fHeld.insert(fHeld.end(), data, data + take);
      data += take;
      size -= take;
      if (fHeld.size() >= want) ParseHeld();
    }
  }

  void Finish() {
    ParseHeld();
    Parse(nullptr, 0, true);
  }

 private:
  // Bytes given to expat that it still holds open (an unfinished token).
  Int64 Open() const { return fFed - fState.LastEvent; }

  void ParseHeld() {
    if (fHeld.empty()) return;
    Parse(fHeld.data(), fHeld.size());
    fHeld.clear();
  }

  void Parse(const Byte* data, size_t size, bool last = false) {
    xls_XmlScanBytes.fetch_add(Open() + static_cast<Int64>(size), std::memory_order_relaxed);
    if (XML_Parse(fParser, reinterpret_cast<const char*>(data), static_cast<int>(size), last) != XML_STATUS_OK ||
        fState.Failed)
      Corrupt();
    fFed += static_cast<Int64>(size);
    // Between calls expat's position is the start of what it holds open.
    fState.LastEvent = std::max(fState.LastEvent, static_cast<Int64>(XML_GetCurrentByteIndex(fParser)));
    // Expat keeps an unfinished token (a tag, a comment) until its end
    // arrives: one that runs on past any the format needs is refused
    // before it takes memory without bound.
    if (Open() > kMaxTokenBytes) Corrupt();
  }

  XML_Parser fParser;
  TParseState fState{nullptr, nullptr};
  Int64 fFed = 0;
  std::vector<Byte> fHeld;
};

// ---- text helpers --------------------------------------------------------------

void AppendText(std::string& to, const char* s, int len) {
  if (to.size() + static_cast<size_t>(len) > kMaxTextBytes) Corrupt();
  to.append(s, static_cast<size_t>(len));
}

Int32 HexValue(Char c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Text as stored, with "_xHHHH_" escapes turned back into their characters.
String Unescape(const std::string& utf8) {
  String s = Utf8ToString(utf8);
  if (s.find(u"_x") == String::npos) return s;
  String out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'_' && i + 7 <= s.size() && s[i + 1] == u'x' && s[i + 6] == u'_') {
      Int32 v = 0;
      bool hex = true;
      for (size_t k = i + 2; k < i + 6; ++k) {
        const Int32 d = HexValue(s[k]);
        hex = hex && d >= 0;
        v = v * 16 + std::max(d, 0);
      }
      if (hex) {
        out += static_cast<Char>(v);
        i += 6;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

bool ParseUInt(std::string_view s, UInt64& out) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
  if (s.empty()) return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseDouble(std::string_view s, double& out) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
  if (s.empty()) return false;
  if (s.front() == '+') s.remove_prefix(1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  if (r.ptr != s.data() + s.size()) return false;
  if (r.ec == std::errc::result_out_of_range) {
    // Writers round to 15 or 16 digits, which can put the largest numbers
    // just past the range and the smallest just under it: those read as
    // the nearest number there is.
    const size_t e = s.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-';
    const double magnitude = tiny ? 0.0 : std::numeric_limits<double>::max();
    out = s.front() == '-' ? -magnitude : magnitude;
    return true;
  }
  return r.ec == std::errc() && std::isfinite(out);
}

// "B12" into column 2 and row 12; either part may be missing (0).
bool ParseCellRef(std::string_view ref, Int32& row, Int32& col) {
  size_t i = 0;
  Int64 c = 0, r = 0;
  if (i < ref.size() && ref[i] == '$') ++i;
  while (i < ref.size() && ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z'))) {
    c = c * 26 + ((ref[i] & 0x1F));
    if (c > xls_MaxCol) return false;
    ++i;
  }
  while (i < ref.size() && ref[i] == '$') ++i;
  const size_t digits = i;
  while (i < ref.size() && ref[i] >= '0' && ref[i] <= '9') {
    r = r * 10 + (ref[i] - '0');
    if (r > xls_MaxRow) return false;
    ++i;
  }
  if (i != ref.size() || (c == 0 && digits == i)) return false;
  row = static_cast<Int32>(r);
  col = static_cast<Int32>(c);
  return true;
}

// ---- rich text -----------------------------------------------------------------

// Collects the text of <si> and <is> elements: plain <t>, or runs <r> with
// their fonts <rPr>; phonetic guides (<rPh>) are not part of the text.
class TRichCollector {
 public:
  void Begin() {
    fText.clear();
    fRich = TRichString();
    fInRun = fInRunProps = fInT = false;
    fPhonetic = 0;
  }

  // True when the element belongs to the string.
  bool Start(std::string_view name, const char** atts) {
    if (name == "rPh") {
      ++fPhonetic;
      return true;
    }
    if (fPhonetic > 0) return true;
    if (name == "r") {
      Flush();
      fInRun = true;
      fRunFont = TFlxFont();
      fRunHasProps = false;
    } else if (name == "rPr" && fInRun) {
      fInRunProps = true;
      fRunHasProps = true;
    } else if (fInRunProps) {
      RunProperty(name, atts);
    } else if (name == "t") {
      fInT = true;
    } else {
      return false;
    }
    return true;
  }

  void End(std::string_view name) {
    if (name == "rPh") {
      if (fPhonetic > 0) --fPhonetic;
      return;
    }
    if (fPhonetic > 0) return;
    if (name == "t") {
      fInT = false;
    } else if (name == "rPr") {
      fInRunProps = false;
    } else if (name == "r" && fInRun) {
      Flush();
      fInRun = false;
    }
  }

  void Text(const char* s, int len) {
    if (fInT && fPhonetic == 0) AppendText(fText, s, len);
  }

  TRichString Finish() {
    Flush();
    // Runs that all look like the cell add nothing.
    bool any = false;
    for (const TRTFRun& r : fRich.Runs) any = any || !(r.Font == TFlxFont());
    if (!any) fRich.Runs.clear();
    return std::move(fRich);
  }

 private:
  void Flush() {
    if (fText.empty()) return;
    const String part = Unescape(fText);
    fText.clear();
    if (fRich.Value.size() + part.size() > kMaxTextBytes) Corrupt();
    // Text in the cell's font continues the text before it; any other font
    // starts a run.
    const TFlxFont font = fInRun && fRunHasProps ? fRunFont : TFlxFont();
    const bool newRun = fRich.Runs.empty() ? !(font == TFlxFont()) : !(fRich.Runs.back().Font == font);
    if (newRun) fRich.Runs.push_back(TRTFRun{static_cast<Int32>(fRich.Value.size()), font});
    fRich.Value += part;
  }

  static bool On(const char** atts) {
    const char* v = Attr(atts, "val");
    return v == nullptr || !(std::strcmp(v, "0") == 0 || std::strcmp(v, "false") == 0);
  }

  void RunProperty(std::string_view name, const char** atts) {
    if (name == "b") {
      if (On(atts)) fRunFont.Style |= flx_Bold;
    } else if (name == "i") {
      if (On(atts)) fRunFont.Style |= flx_Italic;
    } else if (name == "strike") {
      if (On(atts)) fRunFont.Style |= flx_StrikeOut;
    } else if (name == "u") {
      const char* v = Attr(atts, "val");
      if (v == nullptr || std::strcmp(v, "none") != 0) fRunFont.Style |= flx_Underline;
    } else if (name == "sz") {
      double pts;
      const char* v = Attr(atts, "val");
      if (v != nullptr && ParseDouble(v, pts) && pts > 0 && pts < 1000) fRunFont.Size20 = static_cast<Int32>(std::lround(pts * 20));
    } else if (name == "rFont") {
      const char* v = Attr(atts, "val");
      if (v != nullptr && std::strlen(v) < 256) fRunFont.Name = Utf8ToString(std::string(v));
    } else if (name == "color") {
      const char* v = Attr(atts, "rgb");
      UInt64 argb = 0;
      if (v != nullptr && std::strlen(v) == 8 &&
          std::from_chars(v, v + 8, argb, 16).ptr == v + 8) {
        const Cardinal r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
        fRunFont.Color = TExcelColor::FromColor(static_cast<TColor>(r | (g << 8) | (b << 16)));
      }
    }
  }

  std::string fText;
  TRichString fRich;
  TFlxFont fRunFont;
  bool fInRun = false, fInRunProps = false, fInT = false, fRunHasProps = false;
  Int32 fPhonetic = 0;
};

// ---- the parts -----------------------------------------------------------------

struct TRelationship {
  std::string Type;
  std::string Target;
};

class TRelsHandler : public TXmlHandler {
 public:
  std::map<std::string, TRelationship> Rels;
  void Start(std::string_view name, const char** atts) override {
    if (name != "Relationship") return;
    const char* id = Attr(atts, "Id");
    const char* type = Attr(atts, "Type");
    const char* target = Attr(atts, "Target");
    if (id != nullptr && target != nullptr) Rels[id] = TRelationship{type != nullptr ? type : "", target};
  }
  void End(std::string_view) override {}
};

struct TSheetEntry {
  std::string Name;
  std::string RelId;
};

class TWorkbookHandler : public TXmlHandler {
 public:
  std::vector<TSheetEntry> Sheets;
  // Serial numbers count days from 1904-01-01 rather than from 1900.
  bool Date1904 = false;
  void Start(std::string_view name, const char** atts) override {
    if (name == "workbookPr") {
      const char* d = Attr(atts, "date1904");
      Date1904 = d != nullptr && (std::strcmp(d, "1") == 0 || std::strcmp(d, "true") == 0);
    }
    if (name == "sheets") fInSheets = true;
    if (name != "sheet" || !fInSheets) return;
    if (Sheets.size() >= static_cast<size_t>(xls_MaxSheets)) Corrupt();
    const char* n = Attr(atts, "name");
    const char* id = NsAttr(atts, "id");
    if (id == nullptr) Corrupt();
    Sheets.push_back(TSheetEntry{n != nullptr ? n : "", id});
  }
  void End(std::string_view name) override {
    if (name == "sheets") fInSheets = false;
  }

 private:
  bool fInSheets = false;
};

class TSharedStringsHandler : public TXmlHandler {
 public:
  std::vector<TRichString> Strings;
  void Start(std::string_view name, const char** atts) override {
    if (name == "si") {
      fIn = true;
      fCollector.Begin();
    } else if (fIn) {
      fCollector.Start(name, atts);
    }
  }
  void End(std::string_view name) override {
    if (!fIn) return;
    if (name == "si") {
      fIn = false;
      Strings.push_back(fCollector.Finish());
    } else {
      fCollector.End(name);
    }
  }
  void Text(const char* s, int len) override {
    if (fIn) fCollector.Text(s, len);
  }

 private:
  bool fIn = false;
  TRichCollector fCollector;
};

// Whether a number format shows a date, a time or both: the built-in
// formats by number, a format of the file's own by its first section's
// letters outside quotes, escapes and bracketed colours or conditions
// ("m" is minutes beside "h" or "s", else the month).
Byte ShownAsOfFormat(UInt64 id, const std::string* code) {
  if (code == nullptr) {
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 36) || (id >= 50 && id <= 58)) return xls_ShownAsDate;
    if ((id >= 18 && id <= 21) || id == 45 || id == 47) return xls_ShownAsTime;
    if (id == 46) return xls_ShownAsElapsed;  // [h]:mm:ss
    if (id == 22) return xls_ShownAsDateTime;
    return xls_ShownAsNumber;
  }
  bool date = false, time = false, month = false, elapsed = false;
  for (size_t i = 0; i < code->size(); ++i) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>((*code)[i])));
    if (c == ';') break;
    if (c == '"') {
      const size_t close = code->find('"', i + 1);
      if (close == std::string::npos) break;
      i = close;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;
    } else if (c == '[') {
      // [h], [mm] and [ss] are elapsed times; other brackets are colours,
      // conditions and locales.
      const size_t close = code->find(']', i + 1);
      if (close == std::string::npos) break;
      const char k = static_cast<char>(std::tolower(static_cast<unsigned char>((*code)[i + 1])));
      if (k == 'h' || k == 'm' || k == 's') elapsed = true;
      i = close;
    } else if (c == 'd' || c == 'y') {
      date = true;
    } else if (c == 'h' || c == 's') {
      time = true;
    } else if (c == 'm') {
      month = true;
    }
  }
  if (month && !time && !elapsed) date = true;
  if (elapsed && !date) return xls_ShownAsElapsed;
  time = time || elapsed;
  return date ? (time ? xls_ShownAsDateTime : xls_ShownAsDate) : (time ? xls_ShownAsTime : xls_ShownAsNumber);
}

// The number formats of the cell formats (styles part): what each cell
// format, by its index, shows a number as.
class TStylesHandler : public TXmlHandler {
 public:
  std::vector<Byte> ShownAs;
  void Start(std::string_view name, const char** atts) override {
    if (name == "numFmt") {
      const char* id = Attr(atts, "numFmtId");
      const char* code = Attr(atts, "formatCode");
      UInt64 v = 0;
      if (id != nullptr && code != nullptr && ParseUInt(id, v) && std::strlen(code) < 1024) fCodes[v] = code;
    } else if (name == "cellXfs") {
      fInXfs = true;
    } else if (name == "xf" && fInXfs) {
      if (ShownAs.size() >= 65536) Corrupt();
      const char* id = Attr(atts, "numFmtId");
      UInt64 v = 0;
      if (id == nullptr || !ParseUInt(id, v)) v = 0;
      const auto code = fCodes.find(v);
      ShownAs.push_back(ShownAsOfFormat(v, code == fCodes.end() ? nullptr : &code->second));
    }
  }
  void End(std::string_view name) override {
    if (name == "cellXfs") fInXfs = false;
  }

 private:
  std::map<UInt64, std::string> fCodes;
  bool fInXfs = false;
};

struct TLoadedCell {
  Int32 Row = 0;
  Int32 Col = 0;
  Byte Kind = cvEmpty;
  Byte ShownAs = xls_ShownAsNumber;
  double Number = 0;
  size_t Text = 0;  // index into the shared strings, or into the sheet's own texts
  bool Shared = false;
};

class TSheetHandler : public TXmlHandler {
 public:
  TSheetHandler(const std::vector<TRichString>& shared, const std::vector<Byte>& shownAs)
      : fShared(shared), fShownAs(shownAs) {}
  std::vector<TLoadedCell> Cells;
  std::vector<TRichString> Texts;  // inline strings and formula texts

  void Start(std::string_view name, const char** atts) override {
    if (fInInline) {
      fCollector.Start(name, atts);
      return;
    }
    if (name == "sheetData") {
      fInData = true;
    } else if (!fInData) {
      return;
    } else if (name == "row") {
      const char* r = Attr(atts, "r");
      UInt64 v = 0;
      if (r != nullptr) {
        if (!ParseUInt(r, v) || v < 1 || v > static_cast<UInt64>(xls_MaxRow)) Corrupt();
        fRow = static_cast<Int32>(v);
      } else {
        if (fRow >= xls_MaxRow) Corrupt();
        ++fRow;
      }
      fCol = 0;
    } else if (name == "c") {
      if (fRow == 0) fRow = 1;  // a cell outside any row element
      const char* r = Attr(atts, "r");
      Int32 row = fRow, col = fCol + 1;
      if (r != nullptr) {
        Int32 rr = 0, cc = 0;
        if (!ParseCellRef(r, rr, cc) || cc == 0) Corrupt();
        col = cc;
        if (rr != 0) row = rr;
      }
      if (col > xls_MaxCol || row < 1 || row > xls_MaxRow) Corrupt();
      fCol = col;
      fCell = TLoadedCell{row, col, cvEmpty, xls_ShownAsNumber, 0, 0, false};
      UInt64 style = 0;
      if (const char* st = Attr(atts, "s"); st != nullptr && ParseUInt(st, style) && style < fShownAs.size())
        fCell.ShownAs = fShownAs[style];
      const char* t = Attr(atts, "t");
      fType = t != nullptr ? t : "n";
      fValue.clear();
      fHasValue = false;
      fInCell = true;
    } else if (fInCell && name == "v") {
      fInV = true;
      fHasValue = true;
    } else if (fInCell && name == "is") {
      fInInline = true;
      fCollector.Begin();
    }
  }

  void End(std::string_view name) override {
    if (fInInline) {
      if (name == "is") {
        fInInline = false;
        fInlineText = fCollector.Finish();
        fHasInline = true;
      } else {
        fCollector.End(name);
      }
      return;
    }
    if (name == "v") {
      fInV = false;
    } else if (name == "c" && fInCell) {
      fInCell = false;
      FinishCell();
    } else if (name == "sheetData") {
      fInData = false;
    }
  }

  void Text(const char* s, int len) override {
    if (fInInline) {
      fCollector.Text(s, len);
    } else if (fInV) {
      AppendText(fValue, s, len);
    }
  }

 private:
  void FinishCell() {
    const bool hadInline = fHasInline;
    fHasInline = false;
    if (fType == "inlineStr") {
      if (!hadInline) return;
      AddText(std::move(fInlineText));
      return;
    }
    if (!fHasValue) return;  // a cell with a format and no value
    if (fType == "s") {
      UInt64 index = 0;
      if (!ParseUInt(fValue, index) || index >= fShared.size()) Corrupt();
      fCell.Kind = fShared[index].Runs.empty() ? cvString : cvRichString;
      fCell.Text = static_cast<size_t>(index);
      fCell.Shared = true;
      Cells.push_back(fCell);
    } else if (fType == "b") {
      UInt64 v = 0;
      if (!ParseUInt(fValue, v) || v > 1) Corrupt();
      fCell.Kind = cvBoolean;
      fCell.Number = static_cast<double>(v);
      Cells.push_back(fCell);
    } else if (fType == "e") {
      fCell.Kind = cvError;
      fCell.Text = Texts.size();
      Texts.push_back(TRichString(Utf8ToString(fValue)));
      Cells.push_back(fCell);
    } else if (fType == "str" || fType == "d") {
      AddText(TRichString(Unescape(fValue)));
    } else if (fType == "n") {
      if (fValue.empty()) return;
      double v;
      if (!ParseDouble(fValue, v)) Corrupt();
      fCell.Kind = cvNumber;
      fCell.Number = v;
      Cells.push_back(fCell);
    } else {
      Corrupt();
    }
  }

  void AddText(TRichString text) {
    fCell.Kind = text.Runs.empty() ? cvString : cvRichString;
    fCell.Text = Texts.size();
    Texts.push_back(std::move(text));
    Cells.push_back(fCell);
  }

  const std::vector<TRichString>& fShared;
  const std::vector<Byte>& fShownAs;
  bool fInData = false, fInCell = false, fInV = false, fInInline = false, fHasValue = false, fHasInline = false;
  Int32 fRow = 0, fCol = 0;
  TLoadedCell fCell;
  std::string fType;
  std::string fValue;
  TRichCollector fCollector;
  TRichString fInlineText;
};

// ---- paths ---------------------------------------------------------------------

// A relationship's target as a member name: relative to the folder of the
// part that names it, or from the archive's root when it starts with "/".
bool ResolveTarget(const std::string& baseFolder, const std::string& target, std::string& member) {
  std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : baseFolder + target;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string part = path.substr(start, slash - start);
    if (part == "..") {
      if (parts.empty()) return false;
      parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  member.clear();
  for (const std::string& p : parts) member += (member.empty() ? "" : "/") + p;
  return !member.empty();
}

std::string FolderOf(const std::string& member) {
  const size_t slash = member.rfind('/');
  return slash == std::string::npos ? std::string() : member.substr(0, slash + 1);
}

bool EndsWith(const std::string& s, std::string_view tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class TPackage {
 public:
  TPackage(const String& fileName, const TXlsReadProgress& progress) : fProgress(progress) {
    fZip.Open(fileName, zmRead);
    fBudget = TZipInflateBudget(fZip.ArchiveSize());
  }

  bool Has(const std::string& member) const { return fZip.IndexOf(Utf8ToString(member)) >= 0; }

  void Parse(const std::string& member, TXmlHandler& handler) {
    const Int32 index = fZip.IndexOf(Utf8ToString(member));
    if (index < 0) Corrupt();
    if (fZip.FileInfo(index).UncompressedSize > xls_MaxMemberBytes) Corrupt();
    // The part is parsed as it is inflated: only a piece of it is held at a
    // time, whatever its size.
    TXmlParser parser(handler);
    fZip.ReadInPieces(index, [&](const Byte* data, size_t size) {
      fBudget.Spend(size);
      parser.Feed(data, size);
      Progress(size);
    });
    parser.Finish();
  }

  // Cell texts may repeat a shared string any number of times: what the
  // cells hold in all is kept in proportion to the XML read, so a small file
  // cannot make a workbook (or a text of it) of any size.
  // Reports work done to the caller, who may stop the read.
  void Progress(size_t work) {
    if (fProgress && fProgress(work)) throw EXlsxCorrupt();
  }

  void Spend(size_t textUnits) {
    fTextBytes += static_cast<Int64>(textUnits) * 2;
    if (fTextBytes > fBudget.Spent() * 16 + (Int64{64} << 20)) Corrupt();
  }

 private:
  TZipFile fZip;
  TXlsReadProgress fProgress;
  // What the parts read inflate to, in all.
  TZipInflateBudget fBudget{0};
  Int64 fTextBytes = 0;
};

// A serial number of a date or time cell as a date-time (days from
// 1899-12-30): the 1904 system counts 1,462 days fewer, and the 1900 system
// counts a 29 February 1900 that was not, so that its days before March are
// one day behind.
double DateTimeOfSerial(double serial, bool date1904) {
  if (date1904) return serial + 1462;
  return serial >= 1 && serial < 60 ? serial + 1 : serial;
}

std::unique_ptr<TXlsSheet> BuildSheet(TPackage& pkg, const std::string& name, TSheetHandler& h,
                                      const std::vector<TRichString>& shared, bool date1904) {
  auto sheet = std::make_unique<TXlsSheet>();
  sheet->Name = Utf8ToString(name);
  std::vector<TLoadedCell>& cells = h.Cells;
  // Cells in row and column order; of two cells at one place the later wins.
  const auto before = [](const TLoadedCell& a, const TLoadedCell& b) {
    return a.Row != b.Row ? a.Row < b.Row : a.Col < b.Col;
  };
  // Sheets hold their cells in order nearly always: then nothing is sorted.
  if (!std::is_sorted(cells.begin(), cells.end(), before)) std::stable_sort(cells.begin(), cells.end(), before);
  pkg.Progress(cells.size());
  auto kept = [&](size_t i) {
    return i + 1 == cells.size() || cells[i + 1].Row != cells[i].Row || cells[i + 1].Col != cells[i].Col;
  };
  // What the texts will take is counted before any is copied.
  for (size_t i = 0; i < cells.size(); ++i) {
    const TLoadedCell& c = cells[i];
    if (kept(i) && c.Kind != cvNumber && c.Kind != cvBoolean)
      pkg.Spend((c.Shared ? shared[c.Text] : h.Texts[c.Text]).Value.size());
  }
  for (size_t i = 0; i < cells.size(); ++i) {
    if ((i & 0xFFF) == 0xFFF) pkg.Progress(0x1000);
    if (!kept(i)) continue;
    const TLoadedCell& c = cells[i];
    if (c.Kind == cvNumber) {
      if (c.ShownAs == xls_ShownAsNumber) {
        sheet->SetNumber(c.Row, c.Col, c.Number);
      } else {
        // An elapsed time is a count of days, not a day of a calendar.
        sheet->SetNumber(c.Row, c.Col,
                         c.ShownAs == xls_ShownAsElapsed ? c.Number : DateTimeOfSerial(c.Number, date1904));
        sheet->SetShownAs(c.Row, c.Col, c.ShownAs);
      }
      continue;
    }
    if (c.Kind == cvBoolean) {
      sheet->SetBoolean(c.Row, c.Col, c.Number != 0);
      continue;
    }
    const TRichString& text = c.Shared ? shared[c.Text] : h.Texts[c.Text];
    switch (c.Kind) {
      case cvString: sheet->SetString(c.Row, c.Col, text.Value); break;
      case cvRichString: sheet->SetRichString(c.Row, c.Col, text); break;
      case cvError: sheet->SetError(c.Row, c.Col, text.Value); break;
      default: break;
    }
  }
  return sheet;
}

void Read(const String& fileName, std::vector<std::unique_ptr<TXlsSheet>>& sheets,
          const TXlsReadProgress& progress) {
  TPackage pkg(fileName, progress);

  std::string workbookPart = "xl/workbook.xml";
  if (pkg.Has("_rels/.rels")) {
    TRelsHandler root;
    pkg.Parse("_rels/.rels", root);
    for (const auto& [id, rel] : root.Rels)
      if (EndsWith(rel.Type, "/officeDocument") && !ResolveTarget("", rel.Target, workbookPart)) Corrupt();
  }
  const std::string folder = FolderOf(workbookPart);
  TWorkbookHandler book;
  pkg.Parse(workbookPart, book);
  TRelsHandler rels;
  const std::string relsPart = folder + "_rels/" + workbookPart.substr(folder.size()) + ".rels";
  pkg.Parse(relsPart, rels);

  TSharedStringsHandler shared;
  for (const auto& [id, rel] : rels.Rels)
    if (EndsWith(rel.Type, "/sharedStrings")) {
      std::string member;
      if (!ResolveTarget(folder, rel.Target, member)) Corrupt();
      if (pkg.Has(member)) pkg.Parse(member, shared);
    }

  TStylesHandler styles;
  for (const auto& [id, rel] : rels.Rels)
    if (EndsWith(rel.Type, "/styles")) {
      std::string member;
      if (!ResolveTarget(folder, rel.Target, member)) Corrupt();
      if (pkg.Has(member)) pkg.Parse(member, styles);
    }

  for (const TSheetEntry& entry : book.Sheets) {
    auto rel = rels.Rels.find(entry.RelId);
    std::string member;
    if (rel == rels.Rels.end() || !ResolveTarget(folder, rel->second.Target, member)) Corrupt();
    TSheetHandler h(shared.Strings, styles.ShownAs);
    pkg.Parse(member, h);
    sheets.push_back(BuildSheet(pkg, entry.Name, h, shared.Strings, book.Date1904));
  }
}

}  // namespace

bool ReadXlsx(const String& fileName, std::vector<std::unique_ptr<TXlsSheet>>& sheets,
              const TXlsReadProgress& progress) {
  sheets.clear();
  try {
    Read(fileName, sheets, progress);
    return true;
  } catch (...) {
    // Whatever the file did wrong, the caller gets no workbook.
    sheets.clear();
    return false;
  }
}

}  // namespace sk
