// Format, FormatFloat, FormatDateTime and FloatToStrF with hostile format
// strings, masks and settings. A bad format raises the conversion error and
// nothing else; every other format gives a text that holds no character the
// format and arguments did not bring (no NUL from a buffer read past its end).
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Format.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

enum Mode : uint8_t { kFormat, kFormatFloat, kFormatDateTime, kFloatToStrF, kModeCount };

Double DoubleOf(Input& in) {
  const uint64_t lo = in.Cardinal();
  const uint64_t bits = lo | (static_cast<uint64_t>(in.Cardinal()) << 32);
  Double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// Settings with separators chosen by the input (NUL and control characters
// included), names and masks of the invariant settings.
TFormatSettings SettingsOf(Input& in) {
  TFormatSettings fs = TFormatSettings::Invariant();
  if (in.Bool()) {
    fs.DecimalSeparator = static_cast<Char>(in.Word());
    fs.ThousandSeparator = static_cast<Char>(in.Word());
    fs.DateSeparator = static_cast<Char>(in.Word());
    fs.TimeSeparator = static_cast<Char>(in.Word());
    fs.CurrencyFormat = in.Byte();
    fs.NegCurrFormat = in.Byte();
    fs.CurrencyDecimals = in.Byte();
  }
  return fs;
}

bool HasNul(const String& s) { return s.find(Char(0)) != String::npos; }

bool SettingsHaveNul(const TFormatSettings& fs) {
  return fs.DecimalSeparator == 0 || fs.ThousandSeparator == 0 || fs.DateSeparator == 0 || fs.TimeSeparator == 0;
}

void DoFormat(const String& fmt, Input& in, const TFormatSettings& fs) {
  // A fixed set of arguments of every kind, in an order the input chooses.
  const String text = u"text";
  const Int32 i = static_cast<Int32>(in.Cardinal());
  const Int64 big = static_cast<Int64>(in.Cardinal()) << 20;
  const Double d = DoubleOf(in);
  std::vector<TVarRec> args;
  const uint8_t order = in.Byte();
  for (int k = 0; k < 6; ++k) {
    switch ((order + k) % 6) {
      case 0: args.emplace_back(i); break;
      case 1: args.emplace_back(big); break;
      case 2: args.emplace_back(d); break;
      case 3: args.emplace_back(text); break;
      case 4: args.emplace_back(u'c'); break;
      default: args.emplace_back(static_cast<const void*>(nullptr)); break;
    }
  }
  const size_t count = in.Byte() % 7;
  try {
    const String r = FormatArgs(fmt, args.data(), count, fs);
    if (!HasNul(fmt) && !SettingsHaveNul(fs)) SK_FUZZ_CHECK(!HasNul(r));
  } catch (const EConvertError&) {
    // a bad format, or arguments that do not fit it
  }
}

void DoFormatFloat(const String& mask, Double v, const TFormatSettings& fs) {
  const String r = FormatFloat(mask, v, fs);
  if (!HasNul(mask) && !SettingsHaveNul(fs)) SK_FUZZ_CHECK(!HasNul(r));
}

void DoFormatDateTime(const String& mask, Double v, const TFormatSettings& fs) {
  try {
    const String r = FormatDateTime(mask, v, fs);
    if (!HasNul(mask) && !SettingsHaveNul(fs)) SK_FUZZ_CHECK(!HasNul(r));
  } catch (const EConvertError&) {
    // a value outside the dates that can be shown
  }
}

void DoFloatToStrF(Double v, uint8_t kind, Int32 precision, Int32 digits, const TFormatSettings& fs) {
  const String r = FloatToStrF(v, static_cast<TFloatFormat>(kind % 5), precision, digits, fs);
  if (!SettingsHaveNul(fs)) SK_FUZZ_CHECK(!HasNul(r));
  // A finite value written in full reads back as the value, when the
  // decimal separator is a plain one.
  if (std::isfinite(v) && fs.DecimalSeparator == u'.' && kind % 5 == ffExponent && precision >= 17) {
    Double back = 0;
    SK_FUZZ_CHECK(TryStrToFloat(FloatToStrF(v, ffExponent, 17, 3, fs), back, fs) && back == v);
  }
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  auto add = [&](uint8_t mode, const TBytes& choices, const String& s) {
    TBytes b{mode};
    b.insert(b.end(), choices.begin(), choices.end());
    const std::string u = StringToUtf8(s);
    b.insert(b.end(), u.begin(), u.end());
    seeds.Add(b);
  };
  const TBytes plain{0};                                   // invariant settings
  const TBytes value{0x1F, 0x85, 0xEB, 0x51, 0xB8, 0x1E, 0x09, 0x40};  // 3.14
  TBytes formatChoices = plain;
  formatChoices.insert(formatChoices.end(), {0x2A, 0, 0, 0, 0x10, 0, 0, 0});
  formatChoices.insert(formatChoices.end(), value.begin(), value.end());
  formatChoices.insert(formatChoices.end(), {0, 6});
  add(kFormat, formatChoices, u"%d %x %5.2f %-8s|%*d %1:s %e %g %n %m %p %%");
  TBytes floatChoices = plain;
  floatChoices.insert(floatChoices.end(), value.begin(), value.end());
  add(kFormatFloat, floatChoices, u"#,##0.00;(#,##0.00);\"zero\"");
  add(kFormatFloat, floatChoices, u"0.000E+00");
  TBytes dateChoices = plain;
  const Double date = 45000.75;
  TBytes dateBytes(8);
  std::memcpy(dateBytes.data(), &date, 8);
  dateChoices.insert(dateChoices.end(), dateBytes.begin(), dateBytes.end());
  add(kFormatDateTime, dateChoices, u"dddd d mmmm yyyy hh:nn:ss.zzz am/pm 'quoted' c");
  TBytes toStr{0, ffNumber, 17, 0, 0, 0, 2, 0, 0, 0};
  toStr.insert(toStr.end(), value.begin(), value.end());
  add(kFloatToStrF, toStr, u"");
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  const TFormatSettings fs = SettingsOf(in);
  switch (mode) {
    case kFormat: {
      const TBytes argBytes = in.Bytes(18);
      Input args(argBytes.data(), argBytes.size());
      DoFormat(in.RestText(false), args, fs);
      break;
    }
    case kFormatFloat: {
      const Double v = DoubleOf(in);
      DoFormatFloat(in.RestText(false), v, fs);
      break;
    }
    case kFormatDateTime: {
      const Double v = DoubleOf(in);
      DoFormatDateTime(in.RestText(false), v, fs);
      break;
    }
    case kFloatToStrF: {
      const uint8_t kind = in.Byte();
      const Int32 precision = static_cast<Int32>(in.Cardinal());
      const Int32 digits = static_cast<Int32>(in.Cardinal());
      DoFloatToStrF(DoubleOf(in), kind, precision, digits, fs);
      break;
    }
    default: break;
  }
  return 0;
}
