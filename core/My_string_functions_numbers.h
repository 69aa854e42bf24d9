// Numbers as the short texts the suite shows and reads back: the compact
// notation for lists of numbers, p-values, byte sizes, ordinals, fixed-width
// and hexadecimal code strings, and the labels of a few shared enumerations.
//
// Number-list notation: decimal numbers separated by ","; a run of three or
// more consecutive numbers is written first "-" last ('1-3,5,7-9'). Reading
// ignores every character other than the digits, "," and "-". An offset
// shifts values between their stored and their shown form (shown = stored +
// offset), so that 0-based indexes can be shown 1-based.
#pragma once

#include <memory>
#include <vector>

#include "core/Basic_types.h"

namespace sk {

class TStrings;
class TUTF8Stringlist;

// The most numbers that expanding a notation produces: a run that would take
// the count past it is refused and names nothing, so that a typed '1-2000000000'
// cannot exhaust memory.
inline constexpr Int32 MaxNumberListCount = 1 << 20;

// ---- number lists ---------------------------------------------------------------

// The notation of the integer lines of a list, in list order (not sorted
// first); lines that are not integers are skipped.
String HumanAbbreviatedNumberListString(const TStrings* list);
// The notation of an array, each value shown as value + offset.
String HumanAbbreviatedNumberListString(const std::vector<Int32>& values, Int32 offset);
// A new list with the decimal text of value + offset per element, in order.
std::unique_ptr<TUTF8Stringlist> TArrayOfIntegersToStringlist(const std::vector<Int32>& values, Int32 offset);
// The decimal values joined with "," (no abbreviation); '' for no values.
String TarrayIntegerToString(const std::vector<Int32>& values);
// Every number the notation names, in the order written (runs expanded,
// duplicates kept), each stored as number - offset.
std::vector<Int32> HumanAbbreviatedNumberListStringAsIntegers(const String& text, Int32 offset);
// The notation with every run written out ('2-4' gives '2,3,4'; a descending
// run names nothing).
String HumanAbbreviatedNumberListStringExpanded(const String& text);
// The n-th number (from 1; 1 or less gives the first) of the trimmed,
// expanded notation; the last one when there are fewer; '' when that piece is
// not an integer.
String ANumberInHumanString(const String& text, Int32 n);
// For each month m from 1 to 12, the first "%.2d" form of m in the text
// replaced by the short month name m of Global_StringToDateTimeFormat.
String HumanAbbreviatedNumberListStringToMonths(const String& text);
// Sets every flag false, then true for each index that the comma-separated
// text names ('2, 4-5'; '-3' names 1 up to 3's index). The index of v is v
// when zeroBased, else v - 1, clamped to the array. Yields to the host by time (TTimedYield) as it goes.
void ConvertStringToRangeOfBoolean(const String& text, bool zeroBased, std::vector<bool>& flags);

// ---- numbers to text ----------------------------------------------------------------

// A probability as text: values within 1/10000 of 0.05 or of a power of ten
// from 0.1 to 1e-10 become that value exactly; written in fixed point with
// the decimal separator of Global_StringToDateTimeFormat, trailing zeros
// removed ('0.05', '1.').
String PValueStr(Double p);
// "%dst", "%dnd", "%drd" or "%dth" by n mod 10 (no exception for the teens;
// negative numbers take "%dth").
String OrdinalFormatOf(Int32 n);
// A byte count as '512bytes', '1,024.0Kb', '12.5Mb' or '9.0Gb'.
String ValueToByteStr(Int64 size);
// The decimal text of n padded on the left with "0" to width characters
// (the zeros go in front of a minus sign; longer texts are not cut).
String WithLeftZeros(Int32 width, Int64 n);
// Upper-cased; a leading "X" becomes "$"; then a trailing "H" is dropped and
// "$" put in front ('x1f' and '1fh' give '$1F').
String BracedNumberStrToDigitalformat(const String& text);
// Each character as at least two upper-case hexadecimal digits and ","
// ('AB' gives '41,42,').
String ToHexNumStr(const String& text);
// The inverse for one-byte codes: groups of three characters, the first two
// read as hexadecimal; a group that is not hexadecimal is skipped.
String FromHexNumStr(const String& text);
// Each character as exactly four upper-case hexadecimal digits.
String ToNumStr(const String& text);
// Groups of four hexadecimal digits, one character each; a group that is not
// hexadecimal is skipped; a remainder is ignored. Yields to the host by time (TTimedYield) as it goes.
String FromNumStr(const String& text);
// first character x 1000 + second x 10 + third x 2 + each further one x 1
// (wrapping); 0 for ''.
Cardinal ValueOfFirstChars(const String& text);
// The wrapping sum of the code units before the terminating zero; 0 for nullptr.
Cardinal CheckSumOfABufferful(const Char* buffer);
// The same over a buffer that may lack a terminator: stops at the first zero
// or at the end of the buffer.
Cardinal CheckSumOfABufferful(const std::vector<Char>& buffer);
// The integer written right after the first "[" (the text's last character
// never belongs to it); 0 when there is no "[" or no integer after it.
Int32 IntegerInsideSquareBrackets(const String& text);
// Position of the first "0" to "9" at or after max(start, 1); -1 when none.
Int32 PositionOfNumberInString(const String& text, Int32 start);
// Everything after the first "="; '' when there is none.
String ValueString(const String& text);
// A white bullet (U+25E6) below 8, a check mark (U+2713) from 8 on.
String BadgeString(Int32 n);
// All but the last visible characters shown as "*", except "." characters.
String PassWordFormatted(const String& text, Int32 visible);

// ---- labels -----------------------------------------------------------------------------

// 'L50' ... 'L1', 'Centre', 'R1' ... 'R50' (span_R51 and anything else give
// 'Centre').
String ConcordanceSpanStr(TConcordance_span span);
// 'full path', 'no path', 'last folder', 'last 2 folders'.
String FilenameView_strs(TFilenameView view);
// The text unchanged, upper-cased, title-cased or lower-cased.
String OutputConvertedStr(TOutput_results_case outputCase, const String& text);
// OutputConvertedStr on the tag and the word of every element, in place.
void OutputConvertStringTagArray(TOutput_results_case outputCase, std::vector<TStringTag>& tags);
// The text lower-cased with the first letter of each word upper-cased (of
// the first word only with firstWordOnly). A letter counts as a word's first
// only at the start of the text or after a character below U+0021, so
// '(word' stays lower case.
String TitleCasedString(const String& text, bool firstWordOnly);
// The first x characters (with "…" when addEllipsis) when the text is
// longer than x; otherwise the whole text.
String FirstXCharactersOfString(const String& text, Int32 x, bool addEllipsis);
// The last path component of lines 0 to min(Count - 1, maxIndex), joined
// with "+".
String FolderNamesAsText(const TStrings* folders, Int32 maxIndex);

}  // namespace sk
