// Locale-independent string routines with the runtime's conventions:
// positions are 1-based, 0 means "not found", and out-of-range indexes are
// clamped rather than reported.  Locale-aware case mapping and collation live
// in Locale.h; everything here is ordinal or ASCII-only unless stated.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Substring from a 1-based index; index < 1 counts from 1, past the end or a
// count <= 0 gives the empty string.
String Copy(const String& s, Int32 index1, Int32 count);
String Copy(const String& s, Int32 index1);

// 1-based position of the first occurrence of sub in s, 0 when absent or when
// sub is empty.  PosEx starts looking at the 1-based offset.
Int32 Pos(const String& sub, const String& s);
Int32 PosEx(const String& sub, const String& s, Int32 offset = 1);

// Removes count characters from the 1-based index (nothing when out of range).
void Delete(String& s, Int32 index1, Int32 count);
// Inserts sub before the 1-based index (clamped to 1 .. length + 1).
void Insert(const String& sub, String& s, Int32 index1);

using TReplaceFlags = uint8_t;
constexpr TReplaceFlags rfReplaceAll = 1;
constexpr TReplaceFlags rfIgnoreCase = 2;

// rfIgnoreCase compares with a one-to-one simple upper-case mapping of each
// UTF-16 unit, so positions in the original text stay valid.
String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags);

// Remove every character <= U+0020 (controls included) from the ends.
String Trim(const String& s);
String TrimLeft(const String& s);
String TrimRight(const String& s);

// ASCII-only case mapping.
String UpperCase(const String& s);
String LowerCase(const String& s);
Char UpCase(Char c);
Char LowCase(Char c);

// ASCII case-insensitive / ordinal comparisons; result < 0, 0, > 0.
bool SameText(const String& a, const String& b);
bool SameStr(const String& a, const String& b);
Int32 CompareText(const String& a, const String& b);
Int32 CompareStr(const String& a, const String& b);

String IntToStr(Int64 value);
String UIntToStr(UInt64 value);
// Upper-case hexadecimal, left-padded with zeros to at least `digits` digits.
// Negative values are shown in two's complement (16 digits).
String IntToHex(Int64 value, Int32 digits);
// The value of a hexadecimal digit (0-9, A-F, a-f); -1 for any other character.
Int32 HexDigitValue(Char c);

// Integer parsing: leading blanks allowed, optional sign, '$' / '0x' / 'x'
// hexadecimal prefix, no trailing characters, overflow fails.
Int32 StrToInt(const String& s);  // EConvertError "'%s' is not a valid integer value"
Int32 StrToIntDef(const String& s, Int32 def);
bool TryStrToInt(const String& s, Int32& out);
Int64 StrToInt64(const String& s);
Int64 StrToInt64Def(const String& s, Int64 def);
bool TryStrToInt64(const String& s, Int64& out);

String StringOfChar(Char c, Int32 count);
// Encloses in single quotes, doubling embedded quotes.
String QuotedStr(const String& s);
String AnsiQuotedStr(const String& s, Char quote);
// Removes enclosing quotes and undoubles embedded ones; text that does not
// start with the quote comes back unchanged.
String AnsiDequotedStr(const String& s, Char quote);
// Extracts a quoted string starting at 1-based `index1`; advances index1
// past the closing quote.  Returns the empty string when s[index1] is not
// the quote character.
String AnsiExtractQuotedStr(const String& s, Int32& index1, Char quote);

// 1-based position of the last character of s that is in delimiters, 0 if none.
Int32 LastDelimiter(const String& delimiters, const String& s);
bool IsDelimiter(const String& delimiters, const String& s, Int32 index1);

bool StartsStr(const String& sub, const String& s);
bool EndsStr(const String& sub, const String& s);
bool ContainsStr(const String& s, const String& sub);
bool StartsText(const String& sub, const String& s);
bool EndsText(const String& sub, const String& s);
bool ContainsText(const String& s, const String& sub);

String ReverseString(const String& s);
String DupeString(const String& s, Int32 n);
String LeftStr(const String& s, Int32 n);
String RightStr(const String& s, Int32 n);
String MidStr(const String& s, Int32 index1, Int32 n);

// Turns every CR, LF, CR LF and LF CR into CR LF.
String AdjustLineBreaks(const String& s);

bool CharInSet(Char c, std::initializer_list<Char> set);
bool IsWhiteSpaceOrControl(Char c);

// "True"/"False", or "-1"/"0" when useBoolStrs is false.
String BoolToStr(bool b, bool useBoolStrs = false);
// Accepts "true"/"false" (any ASCII case) and numbers (non-zero is true).
bool StrToBool(const String& s);  // EConvertError "'%s' is not a valid boolean value"
bool StrToBoolDef(const String& s, bool def);
bool TryStrToBool(const String& s, bool& out);

}  // namespace sk
