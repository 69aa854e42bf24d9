#include "platform/runtime/Format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace sk {

namespace {

// ---------------------------------------------------------------------------
// Decimal digits of a double.  value = 0.d1 d2 ... dn x 10^exp, digits without
// trailing zeros; zero has n = 0.  The digits start as the shortest text that
// reads back as the same double, so 0.1 is "1" with exp 0 and 0.285 is
// "285" with exp 0; every rounding below works on these decimal digits and
// rounds halves away from zero.
// ---------------------------------------------------------------------------
struct TDecimal {
  char d[32];
  int n = 0;
  int exp = 0;
  bool neg = false;
  bool nan = false;
  bool inf = false;

  bool IsZero() const { return n == 0; }
  void StripZeros() {
    while (n > 0 && d[n - 1] == '0') --n;
    if (n == 0) exp = 0;
  }
  char Digit(int i) const { return (i >= 0 && i < n) ? d[i] : '0'; }
};

TDecimal ToDecimal(Double v) {
  TDecimal r;
  if (std::isnan(v)) {
    r.nan = true;
    return r;
  }
  r.neg = std::signbit(v);
  if (std::isinf(v)) {
    r.inf = true;
    return r;
  }
  if (v == 0) {
    r.neg = false;
    return r;
  }
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
  const char* p = buf;
  const char* end = res.ptr;
  // "d[.ddd]e[+-]xx"
  while (p < end && *p != 'e') {
    if (*p != '.' && r.n < static_cast<int>(sizeof r.d)) r.d[r.n++] = *p;
    ++p;
  }
  int e = 0;
  if (p < end) {
    ++p;
    std::from_chars(*p == '+' ? p + 1 : p, end, e);
  }
  r.exp = e + 1;
  r.StripZeros();
  return r;
}

// Keeps `keep` leading digits, rounding half away from zero.
void RoundDigits(TDecimal& x, int keep) {
  if (x.n <= keep || x.IsZero()) return;
  if (keep < 0) {
    x.n = 0;
    x.exp = 0;
    return;
  }
  const bool up = x.d[keep] >= '5';
  x.n = keep;
  if (up) {
    int i = keep - 1;
    while (i >= 0 && x.d[i] == '9') {
      x.d[i] = '0';
      --i;
    }
    if (i >= 0) {
      ++x.d[i];
    } else {
      // 999 -> 1000: one digit "1" one place higher.
      x.d[0] = '1';
      x.n = 1;
      ++x.exp;
    }
  }
  x.StripZeros();
}

void RoundSignificant(TDecimal& x, int precision) { RoundDigits(x, precision); }

void RoundDecimals(TDecimal& x, int decimals) {
  if (x.IsZero()) return;
  const int keep = x.exp + decimals;
  if (keep < 0) {
    x.n = 0;
    x.exp = 0;
    return;
  }
  if (keep == 0) {
    // Only the first digit decides: 0.5 -> 1, 0.4 -> 0.
    if (x.d[0] >= '5') {
      x.d[0] = '1';
      x.n = 1;
      ++x.exp;
    } else {
      x.n = 0;
      x.exp = 0;
    }
    return;
  }
  RoundDigits(x, keep);
}

String SpecialText(const TDecimal& x) {
  if (x.nan) return u"NAN";
  return x.neg ? String(u"-INF") : String(u"INF");
}

// Integer digits then `decimals` fraction digits; `thousands` (0 = none) is
// put between groups of three integer digits.
void AppendFixed(String& out, const TDecimal& x, int decimals, Char decimalSep, Char thousands) {
  const int intDigits = x.exp > 0 ? x.exp : 1;
  for (int i = 0; i < intDigits; ++i) {
    if (thousands != 0 && i > 0 && (intDigits - i) % 3 == 0) out.push_back(thousands);
    out.push_back(static_cast<Char>(x.exp > 0 ? x.Digit(i) : '0'));
  }
  if (decimals > 0) {
    out.push_back(decimalSep);
    for (int i = 0; i < decimals; ++i) out.push_back(static_cast<Char>(x.Digit(x.exp + i)));
  }
}

void AppendExponentDigits(String& out, int e, int minDigits, bool plusSign) {
  if (e < 0) {
    out.push_back(u'-');
    e = -e;
  } else if (plusSign) {
    out.push_back(u'+');
  }
  char buf[12];
  auto res = std::to_chars(buf, buf + sizeof buf, e);
  const int len = static_cast<int>(res.ptr - buf);
  for (int i = len; i < minDigits; ++i) out.push_back(u'0');
  for (const char* p = buf; p < res.ptr; ++p) out.push_back(static_cast<Char>(*p));
}

// d.ddddE+xxx with `precision` significant digits.
String ExponentText(TDecimal x, int precision, int expDigits, Char decimalSep) {
  if (x.nan || x.inf) return SpecialText(x);
  RoundSignificant(x, precision);
  String out;
  if (x.neg && !x.IsZero()) out.push_back(u'-');
  out.push_back(static_cast<Char>(x.Digit(0)));
  if (precision > 1) {
    out.push_back(decimalSep);
    for (int i = 1; i < precision; ++i) out.push_back(static_cast<Char>(x.Digit(i)));
  }
  out.push_back(u'E');
  AppendExponentDigits(out, x.IsZero() ? 0 : x.exp - 1, expDigits, true);
  return out;
}

// Shortest of fixed and scientific with `precision` significant digits.
String GeneralText(TDecimal x, int precision, int expDigits, Char decimalSep) {
  if (x.nan || x.inf) return SpecialText(x);
  RoundSignificant(x, precision);
  String out;
  if (x.IsZero()) return u"0";
  if (x.neg) out.push_back(u'-');
  if (x.exp > precision || x.exp < -3) {
    out.push_back(static_cast<Char>(x.d[0]));
    if (x.n > 1) {
      out.push_back(decimalSep);
      for (int i = 1; i < x.n; ++i) out.push_back(static_cast<Char>(x.d[i]));
    }
    out.push_back(u'E');
    AppendExponentDigits(out, x.exp - 1, expDigits, false);
    return out;
  }
  const int decimals = x.n > x.exp ? x.n - x.exp : 0;
  AppendFixed(out, x, decimals, decimalSep, 0);
  return out;
}

// Fixed-point text with `decimals` decimals; more than `precision` integer
// digits switch to the general scientific form, as the runtime does.
String FixedText(TDecimal x, int precision, int decimals, Char decimalSep, Char thousands) {
  if (x.nan || x.inf) return SpecialText(x);
  if (x.exp > precision) return GeneralText(x, precision, 0, decimalSep);
  // Round once, at whichever limit cuts first: rounding to the significant
  // digits and then again to the decimals would round 0.4445 up to 0.45.
  if (x.exp + decimals < precision)
    RoundDecimals(x, decimals);
  else
    RoundSignificant(x, precision);
  String out;
  if (x.neg && !x.IsZero()) out.push_back(u'-');
  AppendFixed(out, x, decimals, decimalSep, thousands);
  return out;
}

String CurrencyText(TDecimal x, int precision, int decimals, const TFormatSettings& fs) {
  if (x.nan || x.inf) return SpecialText(x);
  const bool neg = x.neg;
  x.neg = false;
  const String num = FixedText(x, precision, decimals, fs.DecimalSeparator, fs.ThousandSeparator);
  const bool isZero = num.find_first_of(u"123456789") == String::npos;
  const String& c = fs.CurrencyString;
  if (!neg || isZero) {
    switch (fs.CurrencyFormat) {
      case 1: return num + c;
      case 2: return c + u" " + num;
      case 3: return num + u" " + c;
      default: return c + num;
    }
  }
  switch (fs.NegCurrFormat) {
    case 1: return u"-" + c + num;
    case 2: return c + u"-" + num;
    case 3: return c + num + u"-";
    case 4: return u"(" + num + c + u")";
    case 5: return u"-" + num + c;
    case 6: return num + u"-" + c;
    case 7: return num + c + u"-";
    case 8: return u"-" + num + u" " + c;
    case 9: return u"-" + c + u" " + num;
    case 10: return num + u" " + c + u"-";
    case 11: return c + u" " + num + u"-";
    case 12: return c + u" -" + num;
    case 13: return num + u"- " + c;
    case 14: return u"(" + c + u" " + num + u")";
    case 15: return u"(" + num + u" " + c + u")";
    default: return u"(" + c + num + u")";
  }
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// ---------------------------------------------------------------------------
// Format
// ---------------------------------------------------------------------------
constexpr Int32 kMaxFieldWidth = 1 << 20;

[[noreturn]] void RaiseFormat(const String& fmt) {
  throw EConvertError(u"Format '" + fmt + u"' invalid or incompatible with argument");
}

bool IntegerArg(const TVarRec& a, bool& neg, UInt64& mag, int& bits) {
  switch (a.VType) {
    case TVarRec::vtInteger:
      neg = a.VInteger < 0;
      mag = neg ? UInt64(0) - static_cast<UInt64>(static_cast<Int64>(a.VInteger)) : static_cast<UInt64>(a.VInteger);
      bits = 32;
      return true;
    case TVarRec::vtUInt:
      neg = false;
      mag = a.VUInt;
      bits = 32;
      return true;
    case TVarRec::vtInt64:
      neg = a.VInt64 < 0;
      mag = neg ? UInt64(0) - static_cast<UInt64>(a.VInt64) : static_cast<UInt64>(a.VInt64);
      bits = 64;
      return true;
    case TVarRec::vtUInt64:
      neg = false;
      mag = a.VUInt64;
      bits = 64;
      return true;
    default:
      return false;
  }
}

// Two's-complement bit pattern of an integer argument, in its own width.
UInt64 BitPattern(bool neg, UInt64 mag, int bits) {
  UInt64 v = neg ? UInt64(0) - mag : mag;
  if (bits == 32) v &= 0xFFFFFFFFull;
  return v;
}

void AppendUnsigned(String& out, UInt64 v, int base, int minDigits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char buf[24];
  int n = 0;
  do {
    buf[n++] = kDigits[v % static_cast<unsigned>(base)];
    v /= static_cast<unsigned>(base);
  } while (v != 0);
  for (int i = n; i < minDigits; ++i) out.push_back(u'0');
  while (n > 0) out.push_back(static_cast<Char>(buf[--n]));
}

bool FloatArg(const TVarRec& a, Double& v) {
  switch (a.VType) {
    case TVarRec::vtExtended: v = a.VExtended; return true;
    // Integers are accepted for the floating-point types too, so that a
    // count can be shown with "%.0n" without a cast at every caller.
    case TVarRec::vtInteger: v = a.VInteger; return true;
    case TVarRec::vtUInt: v = a.VUInt; return true;
    case TVarRec::vtInt64: v = static_cast<Double>(a.VInt64); return true;
    case TVarRec::vtUInt64: v = static_cast<Double>(a.VUInt64); return true;
    default: return false;
  }
}

void AppendUtf8(String& out, const char* p) {
  if (p != nullptr) out += Utf8ToString(p, std::strlen(p));
}

}  // namespace

String FormatArgs(const String& fmt, const TVarRec* args, size_t count,
                  const TFormatSettings& fs) {
  String out;
  out.reserve(fmt.size() + 8 * count);
  const size_t n = fmt.size();
  size_t argIndex = 0;
  String field;  // text of one conversion before padding

  auto nextArg = [&]() -> const TVarRec& {
    if (argIndex >= count || args == nullptr) RaiseFormat(fmt);
    return args[argIndex++];
  };
  // A number in the format, or '*' taking an integer argument; -1 when absent.
  auto readNumber = [&](size_t& i) -> Int32 {
    if (i < n && fmt[i] == u'*') {
      ++i;
      const TVarRec& a = nextArg();
      bool neg;
      UInt64 mag;
      int bits;
      if (!IntegerArg(a, neg, mag, bits)) RaiseFormat(fmt);
      if (neg) return 0;
      if (mag > static_cast<UInt64>(kMaxFieldWidth)) RaiseFormat(fmt);
      return static_cast<Int32>(mag);
    }
    if (i >= n || fmt[i] < u'0' || fmt[i] > u'9') return -1;
    Int64 v = 0;
    while (i < n && fmt[i] >= u'0' && fmt[i] <= u'9') {
      v = v * 10 + (fmt[i] - u'0');
      if (v > kMaxFieldWidth) RaiseFormat(fmt);
      ++i;
    }
    return static_cast<Int32>(v);
  };

  size_t i = 0;
  while (i < n) {
    const size_t pct = fmt.find(u'%', i);
    if (pct == String::npos) {
      out.append(fmt, i, String::npos);
      break;
    }
    out.append(fmt, i, pct - i);
    i = pct + 1;
    if (i >= n) RaiseFormat(fmt);
    if (fmt[i] == u'%') {
      out.push_back(u'%');
      ++i;
      continue;
    }
    // %[index:][-][width][.prec]type
    Int32 width = readNumber(i);
    if (i < n && fmt[i] == u':') {
      if (width < 0) RaiseFormat(fmt);
      argIndex = static_cast<size_t>(width);
      width = -1;
      ++i;
    }
    bool left = false;
    if (width < 0) {
      if (i < n && fmt[i] == u'-') {
        left = true;
        ++i;
      }
      width = readNumber(i);
    }
    Int32 prec = -1;
    if (i < n && fmt[i] == u'.') {
      ++i;
      prec = readNumber(i);
      if (prec < 0) prec = 0;  // "%.n" and "%0.n": no decimals
    }
    if (i >= n) RaiseFormat(fmt);
    const Char type = fmt[i] >= u'a' && fmt[i] <= u'z' ? static_cast<Char>(fmt[i] - 32) : fmt[i];
    ++i;
    field.clear();
    const TVarRec& a = nextArg();
    switch (type) {
      case u'D':
      case u'U':
      case u'X': {
        bool neg;
        UInt64 mag;
        int bits;
        if (!IntegerArg(a, neg, mag, bits)) RaiseFormat(fmt);
        const int minDigits = prec < 0 ? 0 : prec;
        if (type == u'D') {
          if (neg) field.push_back(u'-');
          AppendUnsigned(field, mag, 10, minDigits);
        } else {
          AppendUnsigned(field, BitPattern(neg, mag, bits), type == u'X' ? 16 : 10, minDigits);
        }
        break;
      }
      case u'E':
      case u'F':
      case u'G':
      case u'N':
      case u'M': {
        Double v;
        if (!FloatArg(a, v)) RaiseFormat(fmt);
        const TDecimal x = ToDecimal(v);
        if (type == u'E') {
          field = ExponentText(x, prec < 0 ? 15 : Clamp(prec, 1, 17), 3, fs.DecimalSeparator);
        } else if (type == u'G') {
          field = GeneralText(x, prec < 0 ? 15 : Clamp(prec, 1, 17), 0, fs.DecimalSeparator);
        } else if (type == u'M') {
          field = CurrencyText(x, 18, prec < 0 ? Clamp(fs.CurrencyDecimals, 0, 18) : Clamp(prec, 0, 18), fs);
        } else {
          field = FixedText(x, 18, prec < 0 ? 2 : Clamp(prec, 0, 18), fs.DecimalSeparator,
                            type == u'N' ? fs.ThousandSeparator : Char(0));
        }
        break;
      }
      case u'S': {
        switch (a.VType) {
          case TVarRec::vtUnicodeString:
            if (a.VUnicodeString != nullptr) field = *a.VUnicodeString;
            break;
          case TVarRec::vtPWideChar:
            if (a.VPWideChar != nullptr) field = a.VPWideChar;
            break;
          case TVarRec::vtPChar: AppendUtf8(field, a.VPChar); break;
          case TVarRec::vtChar: field.push_back(a.VChar); break;
          default: RaiseFormat(fmt);
        }
        if (prec >= 0 && field.size() > static_cast<size_t>(prec)) field.resize(static_cast<size_t>(prec));
        break;
      }
      case u'P': {
        const void* p;
        switch (a.VType) {
          case TVarRec::vtPointer: p = a.VPointer; break;
          case TVarRec::vtPWideChar: p = a.VPWideChar; break;
          case TVarRec::vtPChar: p = a.VPChar; break;
          default: RaiseFormat(fmt);
        }
        AppendUnsigned(field, static_cast<UInt64>(reinterpret_cast<std::uintptr_t>(p)), 16,
                       static_cast<int>(sizeof(void*) * 2));
        break;
      }
      default:
        RaiseFormat(fmt);
    }
    const size_t w = width < 0 ? 0 : static_cast<size_t>(width);
    if (field.size() >= w) {
      out += field;
    } else if (left) {
      out += field;
      out.append(w - field.size(), u' ');
    } else {
      out.append(w - field.size(), u' ');
      out += field;
    }
  }
  return out;
}

String Format(const String& fmt, std::initializer_list<TVarRec> args) {
  return FormatArgs(fmt, args.begin(), args.size(), FormatSettings);
}

String Format(const String& fmt, std::initializer_list<TVarRec> args,
              const TFormatSettings& settings) {
  return FormatArgs(fmt, args.begin(), args.size(), settings);
}

// ---------------------------------------------------------------------------
// FloatToStr / FloatToStrF
// ---------------------------------------------------------------------------
String FloatToStr(Double v) { return FloatToStr(v, FormatSettings); }

String FloatToStr(Double v, const TFormatSettings& settings) {
  return GeneralText(ToDecimal(v), 15, 0, settings.DecimalSeparator);
}

String FloatToStrF(Double v, TFloatFormat fmt, Int32 precision, Int32 digits) {
  return FloatToStrF(v, fmt, precision, digits, FormatSettings);
}

String FloatToStrF(Double v, TFloatFormat fmt, Int32 precision, Int32 digits,
                   const TFormatSettings& fs) {
  const TDecimal x = ToDecimal(v);
  const int p = Clamp(precision, 1, 18);
  const int sig = Clamp(precision, 1, 17);
  switch (fmt) {
    case ffExponent: return ExponentText(x, sig, Clamp(digits, 0, 4), fs.DecimalSeparator);
    case ffFixed: return FixedText(x, p, Clamp(digits, 0, 18), fs.DecimalSeparator, 0);
    case ffNumber: return FixedText(x, p, Clamp(digits, 0, 18), fs.DecimalSeparator, fs.ThousandSeparator);
    case ffCurrency: return CurrencyText(x, p, Clamp(digits, 0, 18), fs);
    case ffGeneral:
    default: return GeneralText(x, sig, Clamp(digits, 0, 4), fs.DecimalSeparator);
  }
}

// ---------------------------------------------------------------------------
// FormatFloat
// ---------------------------------------------------------------------------
namespace {

// One section of a display mask, as scanned before formatting.
struct TMaskSection {
  const Char* begin = nullptr;
  const Char* end = nullptr;
  int intPlaces = 0;       // '0' and '#' before the decimal point
  int intZeroFrom = -1;    // index (among integer places) of the first '0'
  int fracPlaces = 0;      // placeholders after the decimal point
  int fracZeros = 0;       // fraction digits always shown (up to the last '0')
  bool hasPoint = false;
  bool thousands = false;
  bool scientific = false;
  int expDigits = 0;
  bool Empty() const { return begin == end; }
};

// Splits the mask into up to three sections at ';' outside quotes.
int SplitSections(const String& mask, TMaskSection (&sec)[3]) {
  const Char* p = mask.data();
  const Char* end = p + mask.size();
  int count = 0;
  sec[0].begin = p;
  Char quote = 0;
  for (; p < end; ++p) {
    if (quote != 0) {
      if (*p == quote) quote = 0;
    } else if (*p == u'"' || *p == u'\'') {
      quote = *p;
    } else if (*p == u';') {
      sec[count].end = p;
      if (count == 2) return 3;  // a fourth section is ignored
      ++count;
      sec[count].begin = p + 1;
    }
  }
  sec[count].end = end;
  return count + 1;
}

bool IsExpMarker(const Char* p, const Char* end) {
  return (*p == u'E' || *p == u'e') && p + 1 < end && (p[1] == u'+' || p[1] == u'-');
}

void ScanSection(TMaskSection& s) {
  Char quote = 0;
  for (const Char* p = s.begin; p < s.end; ++p) {
    const Char c = *p;
    if (quote != 0) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == u'"' || c == u'\'') {
      quote = c;
    } else if (c == u'0' || c == u'#') {
      if (s.hasPoint) {
        ++s.fracPlaces;
        if (c == u'0') s.fracZeros = s.fracPlaces;
      } else {
        if (c == u'0' && s.intZeroFrom < 0) s.intZeroFrom = s.intPlaces;
        ++s.intPlaces;
      }
    } else if (c == u'.') {
      s.hasPoint = true;
    } else if (c == u',') {
      if (!s.hasPoint) s.thousands = true;
    } else if (IsExpMarker(p, s.end)) {
      s.scientific = true;
      p += 2;
      while (p < s.end && *p == u'0') {
        ++s.expDigits;
        ++p;
      }
      --p;
      // Placeholders after the exponent belong to it, not to the number.
      break;
    }
  }
}

// Rounds x as the section shows it: to its decimal places, or to its
// significant digits in scientific form.
TDecimal RoundForSection(TDecimal x, const TMaskSection& s) {
  if (s.scientific) {
    RoundSignificant(x, s.intPlaces + s.fracPlaces > 0 ? s.intPlaces + s.fracPlaces : 1);
  } else {
    RoundDecimals(x, s.fracPlaces);
  }
  return x;
}

String ApplySection(const TDecimal& x, const TMaskSection& s, const TFormatSettings& fs,
                    bool minusSign) {
  // Digits to write: the integer digits (at least the mask's '0' places) and
  // the fraction digits; in scientific form the mantissa has as many integer
  // digits as the mask has integer places.
  String intDigits;
  String fracDigits;
  int exponent = 0;
  if (s.scientific) {
    const int ip = s.intPlaces;
    exponent = x.IsZero() ? 0 : x.exp - ip;
    for (int i = 0; i < ip; ++i) intDigits.push_back(static_cast<Char>(x.Digit(i)));
    for (int i = 0; i < s.fracPlaces; ++i) fracDigits.push_back(static_cast<Char>(x.Digit(ip + i)));
  } else {
    for (int i = 0; i < x.exp; ++i) intDigits.push_back(static_cast<Char>(x.Digit(i)));
    for (int i = 0; i < s.fracPlaces; ++i) fracDigits.push_back(static_cast<Char>(x.Digit(x.exp + i)));
  }
  // Strip leading zeros, then pad to the mask's minimum integer digits.
  size_t lead = 0;
  while (lead < intDigits.size() && intDigits[lead] == u'0') ++lead;
  intDigits.erase(0, lead);
  const int minInt = s.intZeroFrom < 0 ? 0 : s.intPlaces - s.intZeroFrom;
  if (static_cast<int>(intDigits.size()) < minInt)
    intDigits.insert(0, static_cast<size_t>(minInt) - intDigits.size(), u'0');
  // Fraction digits shown: up to the last non-zero one, at least fracZeros.
  int fracShown = static_cast<int>(fracDigits.size());
  while (fracShown > s.fracZeros && fracDigits[static_cast<size_t>(fracShown) - 1] == u'0') --fracShown;

  String out;
  if (minusSign) out.push_back(u'-');
  const int intCount = static_cast<int>(intDigits.size());
  int intPlace = 0;  // integer placeholders met so far
  int fracPlace = 0;
  bool afterPoint = false;
  const Char thousands = s.thousands ? fs.ThousandSeparator : Char(0);
  auto putInt = [&](int from, int to) {  // digits [from, to) of intDigits
    for (int k = from; k < to; ++k) {
      out.push_back(intDigits[static_cast<size_t>(k)]);
      const int rest = intCount - k - 1;
      if (thousands != 0 && rest > 0 && rest % 3 == 0) out.push_back(thousands);
    }
  };
  Char quote = 0;
  // The scan stops at the exponent: placeholders, points and commas after its
  // digits take no part in the number, so they write nothing either.
  bool afterExponent = false;
  for (const Char* p = s.begin; p < s.end; ++p) {
    const Char c = *p;
    if (quote != 0) {
      if (c == quote) quote = 0;
      else out.push_back(c);
      continue;
    }
    if (c == u'"' || c == u'\'') {
      quote = c;
    } else if (afterExponent && (c == u'0' || c == u'#' || c == u'.' || c == u',')) {
      continue;
    } else if (c == u'0' || c == u'#') {
      if (!afterPoint) {
        // Placeholder k of intPlaces stands for digit (intCount - intPlaces + k);
        // the first one also takes any digits beyond the mask's places.
        const int first = intCount - s.intPlaces + intPlace;
        if (intPlace == 0) putInt(0, first + 1 > 0 ? first + 1 : 0);
        else if (first >= 0) putInt(first, first + 1);
        ++intPlace;
      } else {
        if (fracPlace < fracShown) {
          if (fracPlace == 0) out.push_back(fs.DecimalSeparator);
          out.push_back(fracDigits[static_cast<size_t>(fracPlace)]);
        }
        ++fracPlace;
      }
    } else if (c == u'.') {
      if (!afterPoint) {
        if (s.intPlaces == 0) putInt(0, intCount);
        afterPoint = true;
      }
    } else if (c == u',') {
      // grouping was decided by the scan
    } else if (s.scientific && IsExpMarker(p, s.end)) {
      out.push_back(c);
      const bool plus = p[1] == u'+';
      p += 2;
      int zeros = 0;
      while (p < s.end && *p == u'0') {
        ++zeros;
        ++p;
      }
      --p;
      AppendExponentDigits(out, exponent, zeros, plus);
      afterExponent = true;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

String FormatFloat(const String& mask, Double v) { return FormatFloat(mask, v, FormatSettings); }

String FormatFloat(const String& mask, Double v, const TFormatSettings& fs) {
  const TDecimal x = ToDecimal(v);
  if (x.nan || x.inf) return SpecialText(x);
  if (mask.empty()) return GeneralText(x, 15, 0, fs.DecimalSeparator);
  TMaskSection sec[3];
  const int count = SplitSections(mask, sec);
  for (int k = 0; k < count; ++k) ScanSection(sec[k]);

  TDecimal rounded = RoundForSection(x, sec[0]);
  if (rounded.IsZero()) {
    if (count >= 3 && !sec[2].Empty()) return ApplySection(rounded, sec[2], fs, false);
    return ApplySection(rounded, sec[0], fs, false);
  }
  if (x.neg) {
    if (count >= 2 && !sec[1].Empty()) {
      TDecimal r = RoundForSection(x, sec[1]);
      r.neg = false;
      return ApplySection(r, sec[1], fs, false);
    }
    rounded.neg = false;
    return ApplySection(rounded, sec[0], fs, true);
  }
  return ApplySection(rounded, sec[0], fs, false);
}

// ---------------------------------------------------------------------------
// StrToFloat
// ---------------------------------------------------------------------------
bool TryStrToFloat(const String& s, Double& out, const TFormatSettings& fs) {
  // Copy the number into an ASCII buffer with '.' as the point, then let the
  // exact, locale-free from_chars read it.
  size_t i = 0;
  size_t n = s.size();
  while (i < n && s[i] <= u' ') ++i;
  while (n > i && s[n - 1] <= u' ') --n;
  if (i >= n || n - i > 400) return false;
  char buf[408];
  size_t k = 0;
  if (s[i] == u'+' || s[i] == u'-') {
    if (s[i] == u'-') buf[k++] = '-';
    ++i;
  }
  bool digits = false;
  bool point = false;
  for (; i < n; ++i) {
    const Char c = s[i];
    if (c >= u'0' && c <= u'9') {
      buf[k++] = static_cast<char>(c);
      digits = true;
    } else if (c == fs.DecimalSeparator && !point) {
      buf[k++] = '.';
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return false;
  if (i < n) {
    if (s[i] != u'E' && s[i] != u'e') return false;
    buf[k++] = 'e';
    ++i;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
      if (s[i] == u'-') buf[k++] = '-';
      ++i;
    }
    bool expDigits = false;
    for (; i < n; ++i) {
      const Char c = s[i];
      if (c < u'0' || c > u'9') return false;
      buf[k++] = static_cast<char>(c);
      expDigits = true;
    }
    if (!expDigits) return false;
  }
  double v = 0;
  const auto res = std::from_chars(buf, buf + k, v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; overflow fails. Which of the two it is follows
    // from the decimal order of the first significant digit, not from the
    // exponent's sign alone: "1" and 350 zeros "e-1" still overflows.
    size_t m = 0;
    while (m < k && buf[m] != 'e') ++m;
    Int64 digitNo = 0, pointDigit = -1, firstDigit = -1;
    for (size_t j = 0; j < m; ++j) {
      if (buf[j] == '.') {
        pointDigit = digitNo;
      } else if (buf[j] >= '0' && buf[j] <= '9') {
        if (firstDigit < 0 && buf[j] != '0') firstDigit = digitNo;
        ++digitNo;
      }
    }
    if (pointDigit < 0) pointDigit = digitNo;
    if (firstDigit >= 0) {
      // Saturating read of the exponent: its digits may be many.
      Int64 e = 0;
      size_t j = m + 1;
      const bool negExp = j < k && buf[j] == '-';
      if (negExp) ++j;
      for (; j < k; ++j) e = std::min<Int64>(e * 10 + (buf[j] - '0'), 1000000);
      // The power of ten of the first significant digit.
      const Int64 order = (pointDigit - firstDigit - 1) + (negExp ? -e : e);
      if (order > 0) return false;
    }
    v = buf[0] == '-' ? -0.0 : 0.0;
  } else if (res.ec != std::errc() || res.ptr != buf + k || !std::isfinite(v)) {
    return false;
  }
  out = v;
  return true;
}

bool TryStrToFloat(const String& s, Double& out) { return TryStrToFloat(s, out, FormatSettings); }

bool TryStrToFloat(const String& s, Single& out, const TFormatSettings& fs) {
  Double d;
  if (!TryStrToFloat(s, d, fs)) return false;
  if (std::fabs(d) > static_cast<Double>(std::numeric_limits<Single>::max())) return false;
  out = static_cast<Single>(d);
  return true;
}

bool TryStrToFloat(const String& s, Single& out) { return TryStrToFloat(s, out, FormatSettings); }

Double StrToFloat(const String& s, const TFormatSettings& fs) {
  Double d;
  if (!TryStrToFloat(s, d, fs)) throw EConvertError(u"'" + s + u"' is not a valid floating point value");
  return d;
}

Double StrToFloat(const String& s) { return StrToFloat(s, FormatSettings); }

Double StrToFloatDef(const String& s, Double def, const TFormatSettings& fs) {
  Double d;
  return TryStrToFloat(s, d, fs) ? d : def;
}

Double StrToFloatDef(const String& s, Double def) { return StrToFloatDef(s, def, FormatSettings); }

}  // namespace sk
