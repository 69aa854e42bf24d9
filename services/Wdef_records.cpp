#include "services/Wdef_records.h"

#include <algorithm>
#include <vector>

#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/My_file_extensionsu.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_notation.h"
#include "core/Qm_specific_consts.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/StdCtrls.h"
#include "services/Logging_utilities.h"
#include "services/Qm_essentials.h"
#include "services/User_and_system_utils.h"
#include "services/Wdef_definitions.h"
#include "services/Wdef_hooks.h"

namespace sk {

namespace {

const String kSearchWordPosition = u"(search_word_position ";
const String kLength = u" length ";

// The run of digits at index i of s, its first character taken whatever it
// is; -1 when it does not read as a number.
Int32 NumberAt(const String& s, size_t i) {
  if (i >= s.size()) return -1;
  size_t j = i + 1;
  while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') ++j;
  Int32 n = -1;
  if (!TryStrToInt(s.substr(i, j - i), n)) return -1;
  return n;
}

// The pieces of s between blanks. A blank inside a tag (from a "<" to the
// next ">", as in <w pos="NN1">) is part of its word; a "<" with no ">"
// after it opens no tag.
std::vector<String> SplitAtBlanks(const String& s) {
  std::vector<String> pieces;
  size_t from = 0;
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == u'<') {
      const size_t close = s.find(u'>', i + 1);
      if (close != String::npos) {
        i = close + 1;
        continue;
      }
    } else if (s[i] == u' ') {
      pieces.push_back(s.substr(from, i - from));
      from = i + 1;
    }
    ++i;
  }
  pieces.push_back(s.substr(from));
  return pieces;
}

// One word of a concordance line: word sections, and with markup the tags
// taken apart from the word. Every character outside the tags is kept in
// order and split as the same token without its tags would be, so that
// "don't<VB>" keeps its apostrophe in the word and "(hello<UH>)," both of its
// closing marks; the tags are kept whole, one after the other.
TConcStringTag PieceToConcStringTag(const String& piece) {
  TConcStringTag r;
  if (piece.find(u'<') == String::npos) {
    r.wordsections = StringToConcWordSections(piece);
    return r;
  }
  String outside;
  bool inTag = false;
  for (Char c : piece) {
    if (inTag) {
      r.tag += c;
      if (c == u'>') inTag = false;
    } else if (c == u'<') {
      inTag = true;
      r.tag += c;
    } else {
      outside += c;
    }
  }
  r.wordsections = StringToConcWordSections(outside);
  return r;
}

TConcordance_span SpanStep(Int32 from, Int32 step) {
  return static_cast<TConcordance_span>(std::clamp<Int32>(from + step, span_L50, span_R51));
}

bool IsWordEdge(Char c) {
  switch (c) {
    case u' ':
    case u'<':
    case u'>':
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000: return true;
    default: return (c >= 0x09 && c <= 0x0D) || (c >= 0x2000 && c <= 0x200A);
  }
}

Char WildcardOfCode(Char code) {
  for (const TTagWildcardPair& pair : tag_wildcards_converters)
    if (pair[replacement_char] == code) return pair[original_char];
  return code;
}

template <size_t N>
void CopyCut(const String& s, std::array<Char, N>& dest) {
  dest.fill(u'\0');
  std::copy_n(s.begin(), std::min(s.size(), N - 1), dest.begin());
}

template <size_t N>
String UpToZero(const std::array<Char, N>& a) {
  return String(a.begin(), std::find(a.begin(), a.end(), u'\0'));
}

void PutLE32(TBytes& b, Int32 v) {
  const auto u = static_cast<uint32_t>(v);
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<Byte>(u >> (8 * k)));
}

constexpr TQM_Extensions kIndexExts[] = {ext_index_types, ext_index_tokens, ext_index_stats};
// Items kept from a history file, and items a box shows before the oldest goes.
constexpr Int32 kHistoryKept = 25;
constexpr Int32 kHistoryOnScreen = 20;

bool LoadLines(const String& filename, TUTF8Stringlist& lines) {
  try {
    TFileStream stream(filename, fmOpenRead | fmShareDenyNone);
    lines.LoadFromStream(&stream);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

const TEnumArray<Ttext_stats, const Char*, 5> kKindLetters = {{u"", u"S", u"P", u"H", u"Section"}};

// Characters below U+0020 written as "#<code>".
// Appends count units of s from first (fewer at its end) with each
// character below 32 written as "#" and its code.
void AppendVisibleControls(String& out, const String& s, size_t first, size_t count) {
  const size_t end = first + std::min(count, s.size() - first);
  for (size_t k = first; k < end; ++k) {
    if (s[k] < 0x20)
      out += u'#' + IntToStr(s[k]);
    else
      out += s[k];
  }
}

// Appends v as Format's "%.4d" writes it: at least four digits, zeros first.
void AppendPadded4(String& out, Int32 v) {
  String digits = IntToStr(v);
  const bool negative = !digits.empty() && digits[0] == u'-';
  const size_t n = digits.size() - (negative ? 1 : 0);
  if (n < 4) digits.insert(negative ? 1 : 0, 4 - n, u'0');
  out += digits;
}

}  // namespace

// ---------------------------------------------------------------------------
// Concordance lines.

TConcordDetailedLR Concordance_detailsFromString(const String& s) {
  TConcordDetailedLR r;
  const size_t a = s.find(kSearchWordPosition);
  if (a == String::npos) return r;
  const size_t b = s.find(kLength, a + kSearchWordPosition.size());
  if (b == String::npos) return r;
  const size_t close = s.find(u')', b + kLength.size());
  if (close == String::npos) return r;
  const Int32 n = NumberAt(s, a + kSearchWordPosition.size());
  const Int32 m = NumberAt(s, b + kLength.size());
  if (n < 0 || m < 0) return r;

  const String line = s.substr(close + 1);
  const size_t cut = std::min<size_t>(static_cast<size_t>(n), line.size());
  const std::vector<String> left = SplitAtBlanks(line.substr(0, cut));
  const std::vector<String> right = SplitAtBlanks(line.substr(cut));

  std::vector<TConcordDetailedRec>& l = r[at_left];
  l.resize(left.size());
  size_t slot = l.size();
  Int32 distance = 0;
  for (size_t k = left.size(); k-- > 0;) {
    if (left[k].empty()) continue;
    TConcordDetailedRec& rec = l[--slot];
    rec.ConcStrTag = PieceToConcStringTag(left[k]);
    rec.colloc_info.span = SpanStep(span_Centre, -++distance);
  }

  std::vector<TConcordDetailedRec>& rr = r[at_right];
  rr.resize(right.size());
  slot = 0;
  distance = 0;
  for (const String& piece : right) {
    if (piece.empty()) continue;
    TConcordDetailedRec& rec = rr[slot++];
    rec.ConcStrTag = PieceToConcStringTag(piece);
    rec.colloc_info.span = SpanStep(span_Centre, distance++);
  }
  return r;
}

String OneConcItemAsString(const TConcStringTag& item, const TCollocateInfo& /*info*/,
                           const TGetPreferredTagFormat& getTagFormat, TTagWordPrecedence precedence,
                           bool /*flag*/) {
  String tag;
  if (item.tagnum_2B >= 2 && getTagFormat) tag = getTagFormat(item.tagnum_2B, item.tag).tag;
  const TConcWordSectionsRec& w = item.wordsections;
  const String word = w.pre_str_punct + w.wd_str + w.post_str_punct;
  return precedence == tag_before_word ? tag + word : word + tag;
}

TLeftRightStringArray ConcLineAsLRStringArr(const TConcordDetailedLR& details,
                                            const TGetPreferredTagFormat& getTagFormat,
                                            TTagWordPrecedence precedence) {
  TLeftRightStringArray r;
  if (details[at_left].empty() || details[at_right].empty()) return r;
  for (TLeftOrRight side : {at_left, at_right})
    for (const TConcordDetailedRec& rec : details[side])
      r[side].push_back(OneConcItemAsString(rec.ConcStrTag, rec.colloc_info, getTagFormat, precedence, false));
  return r;
}

TWordSegments_Colours_rec DataStringSegments(const String& /*data*/, const TColourFontRec& /*colours*/) {
  return TWordSegments_Colours_rec{};
}

Int32 EndOfSameWord(Int32 pos, const String& s, bool backwards) {
  const auto len = static_cast<Int32>(s.size());
  if (pos < 1 || pos > len) return -1;
  if (backwards) {
    for (Int32 i = pos - 1; i >= 1; --i)
      if (IsWordEdge(s[static_cast<size_t>(i - 1)])) return i + 1;
  } else {
    for (Int32 i = pos + 1; i <= len; ++i)
      if (IsWordEdge(s[static_cast<size_t>(i - 1)])) return i - 1;
  }
  return -1;
}

TCharacterSectionStats StatsOfACharacter(Int32 pos, const TTextStatsPositions_rec& positions) {
  TCharacterSectionStats r;
  for (Ttext_stats stat : {stats_sentence, stats_paragraph, stats_heading, stats_section}) {
    const std::vector<TStartFinishIntegerRec>& spans = positions.stats_arr[stat];
    r.index[stat] = -1;
    size_t lo = 0;
    size_t hi = spans.size();
    while (lo < hi) {
      const size_t mid = lo + (hi - lo) / 2;
      if (spans[mid].finish < pos) lo = mid + 1;
      else if (spans[mid].start > pos) hi = mid;
      else {
        r.index[stat] = static_cast<Int32>(mid);
        r.offset[stat] = pos - spans[mid].start;
        r.length[stat] = spans[mid].finish - spans[mid].start + 1;
        break;
      }
    }
  }
  return r;
}

// ---------------------------------------------------------------------------
// Text-selection records.

TSelectTextFile_Rec StringToSelectTextFile_Rec(const String& s) {
  TSelectTextFile_Rec rec{};
  const String t = WdefTagWildcardConverted(s);
  if (t.empty()) return rec;
  String start, wilds, end;
  bool afterWildcard = false;
  for (Char c : t) {
    if (c >= 14 && c <= 31) {
      rec.subrec.contains_wildcard = 1;
      wilds += c;
      afterWildcard = true;
    } else if (afterWildcard) {
      end += c;
    } else {
      start += c;
    }
  }
  if (t == LoadResString(&_QM100Chars)) {
    rec.subrec.how = ts_n_chars;
    rec.subrec.nChars = 100;
  } else if (t == u"auto") {
    rec.subrec.how = ts_sentence_end;
  } else {
    rec.subrec.how = ts_string;
  }
  CopyCut(start, rec.seekStart);
  CopyCut(wilds, rec.seek_wilds);
  CopyCut(end, rec.seekEnd);
  rec.subrec.length_of_seek = static_cast<Int32>(UpToZero(rec.seekStart).size());
  return rec;
}

String SelectTextFile_RecToString(const TSelectTextFile_Rec& rec) {
  String r = UpToZero(rec.seekStart);
  for (Char c : UpToZero(rec.seek_wilds)) r += WildcardOfCode(c);
  return r + UpToZero(rec.seekEnd);
}

String EncodedCRLFTAB(const String& s) {
  String r = s;
  for (size_t i = 1; i + 1 < r.size(); ++i) {
    if (r[i - 1] == u'"' || r[i + 1] == u'"') continue;
    switch (r[i]) {
      case u'*': r[i] = 29; break;
      case u'?': r[i] = 28; break;
      case u'#': r[i] = 27; break;
      default: break;
    }
  }
  r = StringReplace(r, LoadResString(&_QMEnter), u"\r\n", rfReplaceAll);
  return StringReplace(r, LoadResString(&_QMTab), u"\t", rfReplaceAll);
}

String EncodedCRLFTABToReadableStr(const String& s) {
  String r = s;
  for (Char& c : r) {
    switch (c) {
      case 29:
      case 25:
      case 24:
      case 26: c = u'*'; break;
      case 28: c = u'?'; break;
      case 27: c = u'#'; break;
      default: break;
    }
  }
  r = StringReplace(r, u"\r\n", LoadResString(&_QMEnter), rfReplaceAll);
  return StringReplace(r, u"\t", LoadResString(&_QMTab), rfReplaceAll);
}

void SetDataRecStringNonApplicable(TGrid_data_rec& data) {
  if (data.cluster_tokens.empty()) data.cluster_tokens.emplace_back();
  String& text = data.cluster_tokens[0].wrd;
  if (data.n_and_disp.computed_value == -999998) {
    text.clear();
  } else {
    text = LoadResString(&_QMNonApplicable);
    data.n_and_disp.computed_value = -999999;
  }
  data.data_type = ddt_string;
  data.NonApplicable = true;
}

String CorrectedPathname(const String& s) {
  String r = Trim(s);
  if (r.size() == 2 && r[1] == u':') return r + u'\\';
  if (r.size() > 2 && r[1] == u':' && r[2] != u'\\' && r[2] != u'/' &&
      r.find_first_of(u"\\/", 2) == String::npos)
    r.insert(2, 1, u'\\');
  return r;
}

// ---------------------------------------------------------------------------
// Colour-and-style texts.

String TColloc_InfoToStr(const TColourFontRec& rec) {
  return u"[][" + ColorToString(rec.FontColour) + u"-" + ColorToString(rec.BrushColour) + u"-" +
         TypeFaceToStr(rec.typeface) + u"][]";
}

TColourFontRec CollocInfoStringToTColourFontRec(const String& s) {
  TColourFontRec r{};
  const size_t open = s.find(u"[][");
  if (open == String::npos) return r;
  const size_t close = s.find(u"][]", open + 3);
  if (close == String::npos) return r;
  const String inner = s.substr(open + 3, close - open - 3);
  std::vector<String> pieces;
  size_t from = 0;
  for (;;) {
    const size_t dash = inner.find(u'-', from);
    pieces.push_back(inner.substr(from, dash == String::npos ? String::npos : dash - from));
    if (dash == String::npos) break;
    from = dash + 1;
  }
  TColor c = 0;
  if (pieces.size() > 0 && TryStringToColor(pieces[0], c)) r.FontColour = c;
  if (pieces.size() > 1 && TryStringToColor(pieces[1], c)) r.BrushColour = c;
  if (pieces.size() > 2)
    for (Char ch : pieces[2])
      if (ch == u'B' || ch == u'I' || ch == u'U' || ch == u'S')
        r.typeface = static_cast<TFontStyles>(r.typeface | 1u << CharToFontStyle(ch));
  return r;
}

// ---------------------------------------------------------------------------
// Index files.

bool TryToBackupIndexFiles(const String& name) {
  if (global_log_level > 0) AddToLogFile(Format(u"Trying to backup index files for %s", {name}));
  bool all = true;
  for (TQM_Extensions e : kIndexExts) {
    const String source = ChangeFileExt(name, QMExts[e]);
    if (!FileExists(source)) continue;
    const String target = ChangeFileExt(name, String(QMExts[e]) + u"_bak");
    if (global_log_level > 0) AddToLogFile(Format(u"Trying to copy %s to %s", {source, target}));
    // Made aside and put in place only once whole and on the disk: a full
    // disk leaves the earlier backup as it was.
    if (!CopyFileToBackup(source, target)) all = false;
  }
  return all;
}

void TryToDeleteIndexFiles(const String& name) {
  for (TQM_Extensions e : kIndexExts) {
    const String file = ChangeFileExt(name, QMExts[e]);
    if (!FileExists(file)) continue;
    if (global_log_level > 0) AddToLogFile(Format(u"Trying to delete %s", {file}));
    DeleteFile(file);
  }
}

// ---------------------------------------------------------------------------
// Combo-box histories and requests between tools.

bool LoadOrSaveComboItems(TComboBox& combo, TLoadOrSave mode, const String& filename) {
  TStringList& items = combo.Items();
  if (mode == ls_loading) {
    if (!FileExists(filename)) return false;
    TUTF8Stringlist lines;
    if (!LoadLines(filename, lines)) return false;
    // The lines beyond those kept go before the box takes the rest in one
    // change (each change of the box's items refills the box).
    while (lines.Count() > kHistoryKept) lines.Delete(lines.Count() - 1);
    items.Assign(lines);
    return true;
  }
  if (FileExists(filename)) {
    TUTF8Stringlist lines;
    if (LoadLines(filename, lines)) {
      // What the box holds, as a sorted list under the box's own comparison,
      // so that each line of the file is looked up by halving; the lines it
      // lacks are appended in one change.
      TStringList held;
      held.SetCaseSensitive(items.CaseSensitive());
      held.SetDuplicates(dupAccept);
      held.SetSorted(true);
      held.AddStrings(items);
      std::vector<String> lacking;
      TTimedYield yield;
      Int32 at = 0;
      for (Int32 i = 0; i < lines.Count(); ++i) {
        yield.Tick();
        const String line = lines[i];
        if (held.Find(line, at)) continue;
        held.Add(line);
        lacking.push_back(line);
      }
      items.AddStrings(lacking);
    }
  } else if (items.Count() == 0) {
    return true;
  }
  TBytes bytes = TEncoding::Unicode()->GetPreamble();
  const TBytes body = TEncoding::Unicode()->GetBytes(items.Text());
  bytes.insert(bytes.end(), body.begin(), body.end());
  return ReplaceFileContent(filename, bytes);
}

void EnsureTextInItems(TComboBox& combo, const String& text) {
  if (Trim(text).empty()) return;
  TStringList& items = combo.Items();
  const Int32 i = items.IndexOf(text);
  if (i < 0) {
    if (items.Count() == kHistoryOnScreen) items.Delete(items.Count() - 1);
    items.Insert(0, text);
  } else if (i > 0) {
    items.Move(i, 0);
  }
}

String CommunicateBetweenToolsFilename(tool_type from, tool_type to) {
  return IncludeTrailingPathDelimiter(GetLocalAppRoamingQMarkFolder()) + Tool_Name(from) + u"_" + Tool_Name(to) +
         QMExts[ext_tell_concord];
}

// ---------------------------------------------------------------------------
// Text-section files.

TBytes TextSectionsBytes(const TTextStatsPositions_rec& sections) {
  TBytes b;
  for (const auto& spans : sections.stats_arr) {
    PutLE32(b, static_cast<Int32>(spans.size()));
    for (const TStartFinishIntegerRec& span : spans) {
      PutLE32(b, span.start);
      PutLE32(b, span.finish);
    }
  }
  PutLE32(b, sentinel_const);
  PutLE32(b, static_cast<Int32>(sections.bufferful_chars.size()));
  for (const TNumberWordAndStat& e : sections.bufferful_chars) {
    // The stored number field is 16 bits: larger numbers are held at its top.
    const auto n = static_cast<uint16_t>(std::clamp<Int32>(e.num_0B, 0, 65535));
    b.push_back(static_cast<Byte>(n));
    b.push_back(static_cast<Byte>(n >> 8));
    b.push_back(static_cast<Byte>(e.stat));
    b.push_back(0);
  }
  return b;
}

bool SaveGlobalTextSections(const String& filename) {
  return ReplaceFileContent(filename, TextSectionsBytes(Global_TextSectionsArr));
}

bool SaveTextBreaksMarked(const String& filename) {
  const String& buf = global_bufStr[wp_whole];
  const TTextStatsPositions_rec& sections = Global_TextSectionsArr;
  // The report's lines, each followed by CR LF, built straight into one text
  // that starts with the byte-order mark, so that one conversion gives the
  // file's bytes. Each span usually gives a line and two marker lines.
  String report(1, u'\uFEFF');
  size_t spans = 0;
  for (Ttext_stats stat : {stats_sentence, stats_paragraph, stats_heading, stats_section})
    spans += sections.stats_arr[stat].size();
  report.reserve(std::min<size_t>(spans, size_t{1} << 22) * 3 * 72);
  bool any = false;  // a line with something in it
  const auto bufLen = static_cast<Int64>(buf.size());
  // Whether a marker is a start or an end is decided by the first span of its
  // kind that starts or finishes at the marker's position (its start tested
  // first). The spans are read once, in order, into a table by position:
  // two bits per kind, "decided" and "start".
  const size_t markers = sections.bufferful_chars.size();
  std::vector<uint8_t> ends(markers, 0);
  for (Ttext_stats stat : {stats_sentence, stats_paragraph, stats_heading, stats_section}) {
    const uint8_t decided = static_cast<uint8_t>(1u << (2 * (stat - 1))), start = static_cast<uint8_t>(decided << 1);
    auto mark = [&](Int64 p, bool isStart) {
      if (p < 0 || static_cast<uint64_t>(p) >= markers) return;
      uint8_t& cell = ends[static_cast<size_t>(p)];
      if (cell & decided) return;
      cell = static_cast<uint8_t>(cell | decided | (isStart ? start : 0));
    };
    for (const TStartFinishIntegerRec& span : sections.stats_arr[stat]) {
      mark(span.start, true);
      mark(span.finish, false);
    }
  }
  for (size_t i = 0; i < markers; ++i) {
    const TNumberWordAndStat& e = sections.bufferful_chars[i];
    if (e.stat == stats_word || static_cast<int>(e.stat) > stats_section) continue;
    const auto pos = static_cast<Int64>(i);
    // A position no span of the kind starts or finishes at counts as a start.
    const uint8_t decided = static_cast<uint8_t>(1u << (2 * (e.stat - 1)));
    const bool isStart = (ends[i] & decided) == 0 || (ends[i] & (decided << 1)) != 0;
    // "%.4d %s%d %s: \"%s\")": the position, the kind's letter and the
    // marker's number, start or end, and the context in quotes.
    AppendPadded4(report, static_cast<Int32>(i));
    report += u' ';
    report += kKindLetters[e.stat];
    report += IntToStr(e.num_0B);
    report += isStart ? u" start: \"" : u" end: \"";
    if (isStart) {
      if (pos + 1 < bufLen) AppendVisibleControls(report, buf, static_cast<size_t>(pos + 1), 50);
    } else if (pos < bufLen) {
      const Int64 from = std::max<Int64>(0, pos - 50);
      AppendVisibleControls(report, buf, static_cast<size_t>(from), static_cast<size_t>(pos - from + 1));
    }
    report += u"\")\r\n";
    any = true;
  }
  report += u"\r\n\r\n";
  for (Ttext_stats stat : {stats_sentence, stats_paragraph, stats_heading, stats_section}) {
    Int32 j = 0;
    for (const TStartFinishIntegerRec& span : sections.stats_arr[stat]) {
      ++j;
      if (span.start < 0 || span.start >= bufLen || span.finish < span.start) continue;
      const Int64 finish = std::min<Int64>(span.finish, bufLen - 1);
      // A span of 80 characters or more shows its first 40 and last 42.
      const auto first = static_cast<size_t>(span.start), len = static_cast<size_t>(finish - span.start + 1);
      String text = len >= 80 ? buf.substr(first, 40) + u"..." + buf.substr(first + len - 42, 42) : buf.substr(first, len);
      std::erase_if(text, [](Char c) { return c == u'\t' || c == u'\r' || c == u'\n'; });
      if (text.empty()) continue;
      // "%.4d (%s): %s"
      AppendPadded4(report, j);
      report += u" (";
      report += kKindLetters[stat];
      report += u"): ";
      report += text;
      report += u"\r\n";
      any = true;
    }
  }
  // Two blank lines alone mean nothing was found.
  if (!any) return true;
  return ReplaceFileContent(filename, TEncoding::UTF8()->GetBytes(report));
}

}  // namespace sk
