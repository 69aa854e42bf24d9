#include "core/My_string_functions_numbers.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <limits>

#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_splitting.h"
#include "core/Redodidu.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

inline Int32 Len(const String& s) { return static_cast<Int32>(s.size()); }
inline bool IsDigitChar(Char c) { return c >= u'0' && c <= u'9'; }
inline bool EndsWithChar(const String& s, Char c) { return !s.empty() && s.back() == c; }

// A piece joins the notation after a "," when the notation so far ends with a
// digit.
void AppendPiece(String& result, const String& piece) {
  if (!result.empty() && IsDigitChar(result.back())) result += u',';
  result += piece;
}

// Decimal digits of a buffer as a number; false when empty or beyond Int32.
bool DigitsToInt(const String& digits, Int64& out) {
  if (digits.empty()) return false;
  Int64 v = 0;
  for (Char c : digits) {
    if (!IsDigitChar(c)) return false;
    v = v * 10 + (c - u'0');
    if (v > std::numeric_limits<Int32>::max()) return false;
  }
  out = v;
  return true;
}

// Reads the notation for both expanders: onNumber receives every number in
// the order written. The digit buffer collects digits; "," hands it over; "-"
// takes the buffer as a run's first number and the digits right after it as
// the run's last. onBuffer receives a buffer handed over by "," or at the end
// (possibly empty), onRun a run (first, last) whose last number is valid.
template <class OnBuffer, class OnRun>
void WalkNotation(const String& text, OnBuffer onBuffer, OnRun onRun) {
  String buffer;
  const Int32 n = Len(text);
  Int32 i = 0;
  while (i < n) {
    const Char c = text[static_cast<size_t>(i)];
    if (IsDigitChar(c)) {
      buffer += c;
    } else if (c == u',') {
      onBuffer(buffer, true);
      buffer.clear();
    } else if (c == u'-') {
      Int64 first = 0;
      if (!DigitsToInt(buffer, first)) first = 0;
      buffer.clear();
      String lastDigits;
      while (i + 1 < n && IsDigitChar(text[static_cast<size_t>(i + 1)])) {
        lastDigits += text[static_cast<size_t>(i + 1)];
        ++i;
      }
      Int64 last = 0;
      if (DigitsToInt(lastDigits, last)) onRun(first, last);
    }
    ++i;
  }
  onBuffer(buffer, false);
}

// The number of values a run names, 0 for a descending one.
Int64 RunLength(Int64 first, Int64 last) { return last < first ? 0 : last - first + 1; }

String MonthTwoDigits(int m) {
  String s;
  s += static_cast<Char>(u'0' + m / 10);
  s += static_cast<Char>(u'0' + m % 10);
  return s;
}

Char UpperChar(Char c) { return AnsiUpperChar(c); }

// A letter by its code point: both halves of a surrogate pair answer for it.
bool IsLetterAt(const String& s, size_t i) { return u_isalpha(static_cast<UChar32>(CodePointOfUnitAt(s, i))) != 0; }

// Strictly between y - y/10000 and y + y/10000.
bool Near(Double x, Double y) { return x > y - y / 10000.0 && x < y + y / 10000.0; }

}  // namespace

// ---- number lists ---------------------------------------------------------------

String HumanAbbreviatedNumberListString(const TStrings* list) {
  String result;
  if (list == nullptr) return result;
  // A run stays open while the result ends with "-"; it is closed by the next
  // number that does not continue it, or after the last number. Values are
  // written in decimal from the number read, never as the line's own text, so
  // that nothing but digits goes into the notation.
  bool havePrevious = false;
  Int64 previous = 0;
  Int64 runStart = 0;
  const Int32 count = list->Count();
  for (Int32 i = 0; i < count; ++i) {
    Int32 n = 0;
    if (!TryStrToInt(list->Get(i), n)) continue;
    if (havePrevious && n == previous + 1) {
      if (!EndsWithChar(result, u'-')) {
        runStart = previous;
        result += u'-';
      }
    } else if (EndsWithChar(result, u'-')) {
      if (previous - runStart == 1) result.back() = u',';
      AppendPiece(result, IntToStr(previous) + u"," + IntToStr(n));
    } else {
      AppendPiece(result, IntToStr(n));
    }
    previous = n;
    havePrevious = true;
  }
  if (EndsWithChar(result, u'-')) {
    if (previous - runStart == 1) result.back() = u',';
    AppendPiece(result, IntToStr(previous));
  }
  return result;
}

String HumanAbbreviatedNumberListString(const std::vector<Int32>& values, Int32 offset) {
  auto list = TArrayOfIntegersToStringlist(values, offset);
  return HumanAbbreviatedNumberListString(list.get());
}

std::unique_ptr<TUTF8Stringlist> TArrayOfIntegersToStringlist(const std::vector<Int32>& values, Int32 offset) {
  auto list = std::make_unique<TUTF8Stringlist>();
  list->SetCapacity(static_cast<Int32>(values.size()));
  for (Int32 v : values) list->Add(IntToStr(static_cast<Int64>(v) + offset));
  return list;
}

String TarrayIntegerToString(const std::vector<Int32>& values) {
  String result;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) result += u',';
    result += IntToStr(values[i]);
  }
  return result;
}

std::vector<Int32> HumanAbbreviatedNumberListStringAsIntegers(const String& text, Int32 offset) {
  std::vector<Int32> result;
  auto add = [&](Int64 v) { result.push_back(static_cast<Int32>(v - offset)); };
  WalkNotation(
      text,
      [&](const String& buffer, bool) {
        Int64 v = 0;
        if (DigitsToInt(buffer, v) && static_cast<Int64>(result.size()) < MaxNumberListCount) add(v);
      },
      [&](Int64 first, Int64 last) {
        if (static_cast<Int64>(result.size()) + RunLength(first, last) > MaxNumberListCount) return;
        for (Int64 v = first; v <= last; ++v) add(v);
      });
  return result;
}

String HumanAbbreviatedNumberListStringExpanded(const String& text) {
  String result;
  Int64 produced = 0;
  WalkNotation(
      text,
      [&](const String& buffer, bool comma) {
        result += buffer;
        if (comma) result += u',';
        if (!buffer.empty()) ++produced;
      },
      [&](Int64 first, Int64 last) {
        const Int64 length = RunLength(first, last);
        if (produced + length > MaxNumberListCount) return;
        produced += length;
        for (Int64 v = first; v <= last; ++v) {
          if (!result.empty() && IsDigitChar(result.back())) result += u',';
          result += IntToStr(v);
        }
      });
  return result;
}

String ANumberInHumanString(const String& text, Int32 n) {
  // The n-th piece of the expanded notation cut at its commas (the last one
  // when there are fewer), found in one pass without cutting out the others.
  const String expanded = HumanAbbreviatedNumberListStringExpanded(Trim(text));
  const Int64 index = n < 1 ? 0 : static_cast<Int64>(n) - 1;
  size_t start = 0;
  for (Int64 k = 0; k < index; ++k) {
    const size_t comma = expanded.find(u',', start);
    if (comma == String::npos) break;
    start = comma + 1;
  }
  const size_t comma = expanded.find(u',', start);
  const String piece = expanded.substr(start, comma == String::npos ? String::npos : comma - start);
  Int32 v = 0;
  if (!TryStrToInt(piece, v)) return String();
  return piece;
}

String HumanAbbreviatedNumberListStringToMonths(const String& text) {
  String result = text;
  for (int m = 1; m <= 12; ++m) {
    const String two = MonthTwoDigits(m);
    const size_t p = result.find(two);
    if (p == String::npos) continue;
    String name = Global_StringToDateTimeFormat.ShortMonthNames[static_cast<size_t>(m - 1)];
    if (name.empty()) name = TFormatSettings::Invariant().ShortMonthNames[static_cast<size_t>(m - 1)];
    result.replace(p, two.size(), name);
  }
  return result;
}

void ConvertStringToRangeOfBoolean(const String& text, bool zeroBased, std::vector<bool>& flags) {
  std::fill(flags.begin(), flags.end(), false);
  if (flags.empty()) return;
  const Int64 lastIndex = static_cast<Int64>(flags.size()) - 1;
  auto indexOf = [&](Int32 v) -> Int64 {
    Int64 k = zeroBased ? static_cast<Int64>(v) : static_cast<Int64>(v) - 1;
    return std::clamp<Int64>(k, 0, lastIndex);
  };
  auto mark = [&](Int64 from, Int64 to) {
    for (Int64 k = from; k <= to; ++k) flags[static_cast<size_t>(k)] = true;
  };
  size_t start = 0;
  TTimedYield yield;
  for (;;) {
    const size_t comma = text.find(u',', start);
    const String piece =
        Trim(comma == String::npos ? text.substr(start) : text.substr(start, comma - start));
    const size_t dash = piece.find(u'-');
    Int32 a = 0;
    Int32 b = 0;
    if (dash == String::npos) {
      if (TryStrToInt(piece, a)) mark(indexOf(a), indexOf(a));
    } else if (dash > 0) {
      if (TryStrToInt(piece.substr(0, dash), a) && TryStrToInt(piece.substr(dash + 1), b))
        mark(indexOf(a), indexOf(b));
    } else {
      // An open range "-n" marks from index 1 up to n's index.
      if (TryStrToInt(piece.substr(1), b)) mark(std::min<Int64>(1, lastIndex), indexOf(b));
    }
    yield.Tick();
    if (comma == String::npos) break;
    start = comma + 1;
  }
}

// ---- numbers to text ----------------------------------------------------------------

String PValueStr(Double p) {
  if (Near(p, 0.05)) {
    p = 0.05;
  } else {
    Double d = 0.1;
    for (int k = 0; k < 10; ++k) {
      if (Near(p, d)) {
        p = d;
        break;
      }
      d /= 10.0;
    }
  }
  TFormatSettings settings = Global_StringToDateTimeFormat;
  if (settings.DecimalSeparator == 0) settings.DecimalSeparator = u'.';
  String s = FloatToStrF(p, ffFixed, 17, 16, settings);
  while (EndsWithChar(s, u'0')) s.pop_back();
  return s;
}

String OrdinalFormatOf(Int32 n) {
  switch (n % 10) {
    case 1:
      return u"%dst";
    case 2:
      return u"%dnd";
    case 3:
      return u"%drd";
    default:
      return u"%dth";
  }
}

String ValueToByteStr(Int64 size) {
  // The thresholds are compared on the exact count; the value shown is the
  // single-precision size scaled down.
  const Double value = static_cast<Single>(size);
  const TFormatSettings& fs = Global_StringToDateTimeFormat;
  if (size < 1048577) return Format(u"%.0n%s", {value, LoadResString(&_QMByte)}, fs);
  if (size <= 8388608)
    return Format(u"%.1n%s", {static_cast<Double>(static_cast<Single>(value / 1024.0)), LoadResString(&_QMKilobyte)},
                  fs);
  if (size <= 8589934592LL)
    return Format(u"%.1n%s",
                  {static_cast<Double>(static_cast<Single>(value / 1048576.0)), LoadResString(&_QMMegabyte)}, fs);
  return Format(u"%.1n%s",
                {static_cast<Double>(static_cast<Single>(value / 1073741824.0)), LoadResString(&_QMGigabyte)}, fs);
}

String WithLeftZeros(Int32 width, Int64 n) {
  String s = IntToStr(n);
  if (Len(s) < width) s.insert(0, static_cast<size_t>(width - Len(s)), u'0');
  return s;
}

String BracedNumberStrToDigitalformat(const String& text) {
  String s = AnsiUpperCase(text);
  if (s.empty()) return s;
  if (s.front() == u'X') s.front() = u'$';
  if (s.back() == u'H') {
    s.pop_back();
    s.insert(0, 1, u'$');
  }
  return s;
}

String ToHexNumStr(const String& text) {
  String result;
  result.reserve(text.size() * 3);
  for (Char c : text) {
    result += IntToHex(c, 2);
    result += u',';
  }
  return result;
}

String FromHexNumStr(const String& text) {
  String result;
  const size_t groups = text.size() / 3;
  result.reserve(groups);
  for (size_t g = 0; g < groups; ++g) {
    const int hi = HexDigitValue(text[g * 3]);
    const int lo = HexDigitValue(text[g * 3 + 1]);
    if (hi < 0 || lo < 0) continue;
    result += static_cast<Char>(hi * 16 + lo);
  }
  return result;
}

String ToNumStr(const String& text) {
  String result;
  result.reserve(text.size() * 4);
  for (Char c : text) result += IntToHex(c, 4);
  return result;
}

String FromNumStr(const String& text) {
  String result;
  const size_t groups = text.size() / 4;
  result.reserve(groups);
  TTimedYield yield;
  for (size_t g = 0; g < groups; ++g) {
    int v = 0;
    bool ok = true;
    for (size_t k = 0; k < 4 && ok; ++k) {
      const int d = HexDigitValue(text[g * 4 + k]);
      if (d < 0) ok = false;
      v = v * 16 + d;
    }
    if (ok) result += static_cast<Char>(v);
    yield.Tick();
  }
  return result;
}

Cardinal ValueOfFirstChars(const String& text) {
  Cardinal v = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const Cardinal c = text[i];
    switch (i) {
      case 0:
        v += c * 1000u;
        break;
      case 1:
        v += c * 10u;
        break;
      case 2:
        v += c * 2u;
        break;
      default:
        v += c;
    }
  }
  return v;
}

Cardinal CheckSumOfABufferful(const Char* buffer) {
  Cardinal sum = 0;
  if (buffer == nullptr) return sum;
  for (const Char* p = buffer; *p != 0; ++p) sum += *p;
  return sum;
}

Cardinal CheckSumOfABufferful(const std::vector<Char>& buffer) {
  Cardinal sum = 0;
  for (Char c : buffer) {
    if (c == 0) break;
    sum += c;
  }
  return sum;
}

Int32 IntegerInsideSquareBrackets(const String& text) {
  const size_t open = text.find(u'[');
  if (open == String::npos) return 0;
  String digits;
  // The text's last character never belongs to the number.
  for (size_t i = open + 1; i + 1 < text.size() && IsOrdinaryNumberChar(text[i]); ++i) digits += text[i];
  Int32 v = 0;
  if (!TryStrToInt(digits, v)) return 0;
  return v;
}

Int32 PositionOfNumberInString(const String& text, Int32 start) {
  for (Int64 i = std::max(start, 1); i <= Len(text); ++i)
    if (IsDigitChar(text[static_cast<size_t>(i - 1)])) return static_cast<Int32>(i);
  return -1;
}

String ValueString(const String& text) {
  const size_t eq = text.find(u'=');
  if (eq == String::npos) return String();
  return text.substr(eq + 1);
}

String BadgeString(Int32 n) { return n < 8 ? String(u"\u25E6") : String(u"\u2713"); }

String PassWordFormatted(const String& text, Int32 visible) {
  String result = text;
  const Int64 hidden = std::clamp<Int64>(static_cast<Int64>(Len(text)) - visible, 0, Len(text));
  for (Int64 i = 0; i < hidden; ++i)
    if (result[static_cast<size_t>(i)] != u'.') result[static_cast<size_t>(i)] = u'*';
  return result;
}

// ---- labels -----------------------------------------------------------------------------

String ConcordanceSpanStr(TConcordance_span span) {
  const int ord = static_cast<int>(span);
  if (ord < static_cast<int>(span_Centre)) return LoadResString(&_QML) + IntToStr(50 - ord);
  if (ord > static_cast<int>(span_Centre) && ord <= static_cast<int>(span_R50))
    return LoadResString(&_QMR) + IntToStr(ord - 50);
  return LoadResString(&_QMCentre);
}

String FilenameView_strs(TFilenameView view) {
  switch (view) {
    case fnv_no_path:
      return LoadResString(&_QMFilenameViewNoPath);
    case fnv_1_folder:
      return LoadResString(&_QMFilenameView1Folder);
    case fnv_2_folders:
      return LoadResString(&_QMFilenameView2Folders);
    default:
      return LoadResString(&_QMFilenameViewFullPath);
  }
}

String OutputConvertedStr(TOutput_results_case outputCase, const String& text) {
  switch (outputCase) {
    case upper_case_output:
      return AnsiUpperCase(text);
    case title_case_output:
      return TitleCasedString(text, false);
    case lower_case_output:
      return AnsiLowerCase(text);
    default:
      return text;
  }
}

void OutputConvertStringTagArray(TOutput_results_case outputCase, std::vector<TStringTag>& tags) {
  for (TStringTag& t : tags) {
    t.tag = OutputConvertedStr(outputCase, t.tag);
    t.wrd = OutputConvertedStr(outputCase, t.wrd);
  }
}

String TitleCasedString(const String& text, bool firstWordOnly) {
  String result = AnsiLowerCase(text);
  const size_t n = text.size();
  size_t pos = 0;
  while (pos < n) {
    size_t letter = pos;
    while (letter < n && !IsLetterAt(text, letter)) ++letter;
    if (letter >= n) break;
    if (letter == 0 || text[letter - 1] < 0x21) result[letter] = UpperChar(result[letter]);
    if (firstWordOnly) break;
    size_t next = letter + 1;
    while (next < n && text[next] >= 0x21) ++next;
    // Go on only while the blank lies before the text's last character.
    if (next + 1 >= n) break;
    pos = next;
  }
  return result;
}

String FirstXCharactersOfString(const String& text, Int32 x, bool addEllipsis) {
  if (x < 0 || Len(text) <= x) return text;
  String s = text.substr(0, static_cast<size_t>(x));
  if (addEllipsis) s += u'\u2026';
  return s;
}

String FolderNamesAsText(const TStrings* folders, Int32 maxIndex) {
  String result;
  if (folders == nullptr) return result;
  const Int32 last = std::min(folders->Count() - 1, maxIndex);
  for (Int32 i = 0; i <= last; ++i) {
    // The trailing delimiter goes first, so that a folder written with one
    // still gives its own name.
    String line = folders->Get(i);
    while (line.size() > 1 && (line.back() == u'/' || line.back() == u'\\')) line.pop_back();
    result = AddToListWithSeparatorIfNeeded(result, ExtractFileName(line), u"+");
  }
  return result;
}

}  // namespace sk
