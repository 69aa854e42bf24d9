// Numbers in text: classifying a text as a number, digits-only copies, numbers
// in brackets and their tabbed form, counting occurrences, short forms of
// large numbers, and the formatting of a computed value by a display record
// (integer, float with decimals, per cent, per thousand or per million words).
//
// Which texts read as an integer or a floating-point number follows the
// platform's conversions with the process's format settings (the user's
// locale). Numbers are written with Global_StringToDateTimeFormat, whose
// thousands separator SetThousandsSeparator changes for the whole process.
#pragma once

#include "core/Basic_types.h"

namespace sk {

// The kinds IsANumber answers.
inline constexpr Int32 number_kind_integer = 0;
inline constexpr Int32 number_kind_float = 1;
inline constexpr Int32 number_kind_not_a_number = 3;
inline constexpr Int32 number_kind_empty = 4;

// The value of computed_value that marks a value not computed.
inline constexpr Double number_not_computed = -999997.0;

// 0 when s reads as an integer, 1 when it reads as a floating-point number,
// 4 when it is empty. Otherwise its characters decide: a digit sets 0, "." or
// "%" sets 1, "," changes nothing, and any other character gives 3 at once;
// the answer is the kind after the last character.
Int32 IsANumber(const String& s);
// Kind 0: the integer value of s; kind 1: its floating-point value rounded to
// the nearest integer (halves to even). -1 for any other kind, and for a text
// that is classed as a number but does not read as one ("1,234", "12%") or
// whose value does not fit an Int32.
Int32 NumberedStringValue(const String& s);
// s itself when it reads as an integer, else only its characters "0" to "9".
String DigitsOnlyOf(const String& s);
// i: the position of the first open (0 when absent); s: the text between it
// and the next close after it ('' when there is none).
TStringAndIntegerRec ExtractFromWithinBrackets(Char open, Char close, const String& s);
// "word (12)" becomes "word " TAB "12" (the bracketed text by
// NumberedStringValue); s unchanged when there is no text between "(" and ")".
String BracketedNumberToTabbedNumber(const String& s);
// The pieces of s between "," (trimmed); each piece holding a TAB becomes
// "before (after)"; pieces without a TAB are dropped; the rest are joined
// with ",".
String TabbedNumbersToBracketedNumbers(const String& s);
// The leading run of digits and "." of s read as a number with "." as the
// decimal point, whatever the locale; true when the run is not empty and
// reads as a number. value is left alone otherwise.
bool ConvertedFromPcPtwPmw(const String& s, Double& value);
// The number of non-overlapping occurrences of sub in s (0 for an empty sub).
Int32 Occurrences(const String& sub, const String& s);
// Sets the thousands separator of Global_StringToDateTimeFormat.
void SetThousandsSeparator(Char c);
// x divided by 1000 while above 1000, with "%.0n", "%.1nK", "%.1nM", "%.1nG"
// or "%.1nYikes" by the number of divisions.
String EasiestNRepresentationOfLargeNumber(Single x);
// computed_value formatted as the record's number_freedom and
// number_preference say, with decimals decimal places and, when thousands is
// set, thousands separators.
String FormattedWithDecimals(const TNumberDisplayAndSinglesRec& rec, Int32 decimals, bool thousands);
// "??" when computed_value is number_not_computed; '' when it is below
// threshold; otherwise FormattedWithDecimals, with "~" after it when
// show_as_approximate is set.
String NumberDisplayAndSinglesRecToStr(const TNumberDisplayAndSinglesRec& rec, Double threshold, Int32 decimals,
                                       bool thousands);

}  // namespace sk
