// Format, float-to-text and text-to-float conversions with the runtime's rules.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/runtime/FormatSettings.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// One argument of Format: a tagged value that refers to (does not copy) the
// caller's strings, which live until the end of the full expression.
struct TVarRec {
  enum Kind : uint8_t { vtInteger, vtUInt, vtInt64, vtUInt64, vtExtended, vtBoolean, vtChar,
                        vtPWideChar, vtUnicodeString, vtPChar, vtPointer };
  Kind VType;
  union {
    Int32 VInteger;
    Cardinal VUInt;
    Int64 VInt64;
    UInt64 VUInt64;
    Double VExtended;
    bool VBoolean;
    Char VChar;
    const Char* VPWideChar;
    const String* VUnicodeString;
    const char* VPChar;
    const void* VPointer;
  };

  TVarRec(int v) : VType(vtInteger), VInteger(v) {}
  TVarRec(unsigned v) : VType(vtUInt), VUInt(v) {}
  TVarRec(long v) : VType(vtInt64), VInt64(static_cast<Int64>(v)) {}
  TVarRec(unsigned long v) : VType(vtUInt64), VUInt64(static_cast<UInt64>(v)) {}
  TVarRec(long long v) : VType(vtInt64), VInt64(static_cast<Int64>(v)) {}
  TVarRec(unsigned long long v) : VType(vtUInt64), VUInt64(static_cast<UInt64>(v)) {}
  TVarRec(short v) : VType(vtInteger), VInteger(v) {}
  TVarRec(unsigned short v) : VType(vtInteger), VInteger(v) {}
  TVarRec(signed char v) : VType(vtInteger), VInteger(v) {}
  TVarRec(unsigned char v) : VType(vtInteger), VInteger(v) {}
  TVarRec(double v) : VType(vtExtended), VExtended(v) {}
  TVarRec(float v) : VType(vtExtended), VExtended(static_cast<double>(v)) {}
  TVarRec(bool v) : VType(vtBoolean), VBoolean(v) {}
  TVarRec(Char v) : VType(vtChar), VChar(v) {}
  TVarRec(const Char* v) : VType(vtPWideChar), VPWideChar(v) {}
  TVarRec(const String& v) : VType(vtUnicodeString), VUnicodeString(&v) {}
  TVarRec(const char* v) : VType(vtPChar), VPChar(v) {}
  TVarRec(const void* v) : VType(vtPointer), VPointer(v) {}
};

// %[index:][-][width][.prec]type, types d u x e f g n m p s (either case),
// '*' takes width or precision from the arguments, "%%" is a percent sign.
// A bad format or an argument of the wrong type or a missing argument raises
// EConvertError("Format '<fmt>' invalid or incompatible with argument").
String Format(const String& fmt, std::initializer_list<TVarRec> args);
String Format(const String& fmt, std::initializer_list<TVarRec> args,
              const TFormatSettings& settings);
// Same, over an argument array (for callers that build the list at run time).
String FormatArgs(const String& fmt, const TVarRec* args, size_t count,
                  const TFormatSettings& settings);

enum TFloatFormat : uint8_t { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// General format with 15 significant digits: 0.1 -> "0.1", 1e20 -> "1E20".
String FloatToStr(Double v);
String FloatToStr(Double v, const TFormatSettings& settings);

String FloatToStrF(Double v, TFloatFormat fmt, Int32 precision, Int32 digits);
String FloatToStrF(Double v, TFloatFormat fmt, Int32 precision, Int32 digits,
                   const TFormatSettings& settings);

// Display masks: 0 # . , E+ E- e+ e-, "quoted" and 'quoted' literals, up to
// three sections separated by ';' (positive; negative; zero).
String FormatFloat(const String& mask, Double v);
String FormatFloat(const String& mask, Double v, const TFormatSettings& settings);

// Text to number: blanks around, sign, decimal separator of the settings,
// exponent; "INF"/"NAN" are not accepted.
Double StrToFloat(const String& s);  // EConvertError "'%s' is not a valid floating point value"
Double StrToFloat(const String& s, const TFormatSettings& settings);
Double StrToFloatDef(const String& s, Double def);
Double StrToFloatDef(const String& s, Double def, const TFormatSettings& settings);
bool TryStrToFloat(const String& s, Double& out);
bool TryStrToFloat(const String& s, Double& out, const TFormatSettings& settings);
bool TryStrToFloat(const String& s, Single& out);
bool TryStrToFloat(const String& s, Single& out, const TFormatSettings& settings);

}  // namespace sk
