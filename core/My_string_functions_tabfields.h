// Tabbed lines and line lists: field accessors for lines whose fields are
// separated by TAB (U+0009), comparers that sort a string list on the n-th
// field as text, date, integer or floating-point number, routines that filter,
// prefix, convert, split and trim lists of lines, the custom sort that orders
// lines by a user-given sequence of keys, the string list that reports its
// progress while it takes in a large text, and line breaks in running text.
//
// Field 0 of a line is the text before its first TAB; field n (n >= 1) is the
// text after the n-th TAB up to the next TAB or the end of the line.
// Positions are 1-based.
//
// The tab-field comparers read global_reversed_sort in the opposite sense to
// the string-list comparers: they order descending while it is clear and
// ascending while it is set. The file-name comparer orders ascending while it
// is clear. SetSortDescendingAndSort sets the flag before it sorts.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_stringlists.h"

namespace sk {

class TStrings;
class TStringList;

// ---- field access ------------------------------------------------------------------------

// The text before the first c / after the first c; '' when c is absent.
String PreXCharOf(Char c, const String& s);
String AfterXCharOf(Char c, const String& s);
// Field 0: the text before the first TAB; '' when the line has no TAB.
String PreTabPart(const String& line);
// Field n; '' when n < 1 or the line has fewer than n TABs.
String AfterTabPart(const String& line, Int32 n);
// Field n read as a date and time with Global_StringToDateTimeFormat; the
// current date and time when it cannot be read.
TDateTime AfterTabDateOf(const String& line, Int32 n);
// Field n as a single-precision number (the user's format settings); -1.0
// when it cannot be read.
Single AfterTabFloatOf(const String& line, Int32 n);
// The digits of field n (DigitsOnlyOf) as an Int32; -1 when they cannot be
// read (none, or too many).
Int32 AfterTabIntegerOf(const String& line, Int32 n);
// a, then a TAB when a is not empty, then b.
String AddWithTab(const String& a, const String& b);
// The pre-tab part / the file name (after the last "/" or "\") of it.
String PreTabPathAndFilenameOf(const String& line);
String PreTabFilenameOf(const String& line);
// Index of the first line whose pre-tab part equals name exactly; -1 when
// none (or list is nil).
Int32 IndexOfPreTabFnameOnly(const TStrings* list, const String& name);
// The first field that holds "." and names a path: it holds ":\" or "\\" (a
// Windows path) or begins with "/" (an absolute path here); '' when none.
String FilenameInTabbedString(const String& line);
// Over all lines: the line followed by Format(format, [its number]), with
// nothing between lines; '' for nil.
String StringListAsStringWithIntegersFormattedAs(const TStringlistWithALongint* list, const String& format);

// ---- comparers for CustomSort ------------------------------------------------------------

// The upper-cased PreTabFilenameOf of lines i and j, ordinal: ascending, or
// descending while global_reversed_sort is set.
Int32 StringListCompareStringsFilenamePreTab(TStringList* list, Int32 i, Int32 j);
// Field 1 to 4 compared as text (ordinal), dates (CompareDates), integers
// (AfterTabIntegerOf, CompareLongints) or single-precision numbers
// (AfterTabFloatOf, CompareSingles): descending while global_reversed_sort is
// clear, ascending while it is set.
Int32 StringListCompareStringsStrAfter1Tab(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsStrAfter2Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsStrAfter3Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsStrAfter4Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsDateAfter1Tab(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsDateAfter2Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsDateAfter3Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsDateAfter4Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsIntegerAfter1Tab(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsIntegerAfter2Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsIntegerAfter3Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsIntegerAfter4Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsFloatAfter1Tab(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsFloatAfter2Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsFloatAfter3Tabs(TStringList* list, Int32 i, Int32 j);
Int32 StringListCompareStringsFloatAfter4Tabs(TStringList* list, Int32 i, Int32 j);

// Sets global_reversed_sort := descending and sorts list with compare. Nothing
// for a nil list or comparer.
void SetSortDescendingAndSort(bool descending, TStringList* list, TStringListSortCompare compare);

// ---- line lists ---------------------------------------------------------------------------

using TLineCondition = std::function<bool(const String& line)>;
using TListLineCondition = std::function<bool(TStrings* list, const String& line, Int32 index)>;
// A caller's verdict on one line: keep it as it is, keep a converted text, or
// leave it out.
using TLineConverter = std::function<TConvertedStringAnd2BooleansRec(const String& line)>;
// Progress in percent; the callback may clear the caller's go-on flag.
using TLinePercentProgress = std::function<void(Int32 percent)>;
// The number of lines taken in so far.
using TTellCountEvent = std::function<void(Int32 n)>;

// From the last line to the first, deletes each line that meets condition.
// A nil list or condition is left alone. On a platform string list the
// lines that meet the condition are judged first and taken out together,
// each kept line with its object; the second form, whose condition sees the
// list, deletes line by line.
void StringListRemoveLinesMeetingCondition(TStrings* list, const TLineCondition& condition);
void StringListRemoveLinesMeetingCondition(TStrings* list, const TListLineCondition& condition);
// Adds n copies of c followed by line.
void StringListAddLineWithCharsAtLineStart(TStrings* list, const String& line, Char c, Int32 n);
// Puts n copies of c before every non-empty line.
void StringListInsertCharsAtLineStart(TStrings* list, Char c, Int32 n);
// A new list: for each line, convert gives a verdict; a line with chuck set is
// left out, otherwise converted is added when convert_it is set, else the
// line as it was. The caller owns the list (empty for nil arguments).
std::unique_ptr<TUTF8Stringlist> StringListRemovingAnyLines(const TStrings* list, const TLineConverter& convert);

// The pieces of text between separators: the text is trimmed and every CR LF
// becomes ";" first; each piece (trimmed when trimEach) is kept even when
// empty, a piece after a separator loses a leading LF, and an empty text gives
// one empty piece.
std::vector<String> StringToStringArray(const String& separator, const String& text, bool trimEach);
// The same pieces in a new list the caller owns.
std::unique_ptr<TUTF8Stringlist> StringToStringlist(const String& text, const String& separator, bool trimEach);

// Trims every line in place. A line that loses characters and is not empty
// becomes the trimmed text followed by one space. An empty (or blank) line is
// deleted; with keepSingleEmpty a run of them shrinks to one empty line. The
// walk stops when goOn is cleared (by onProgress, which gets index * 100 div
// Count for each line changed or blank).
void TrimAStringlist(TStrings* list, bool keepSingleEmpty, const TLinePercentProgress& onProgress, bool& goOn);
void TrimAStringlist(TStrings* list);
void TrimAStringlist(TStrings* list, const TLinePercentProgress& onProgress, bool& goOn);

// The passages of chunkLength characters (trimmed, longer than 100) that occur
// again later in text, each with long0 = its number of later occurrences
// (overlapping ones included) and long1 = the position of its first later
// occurrence. Passages are told apart by their exact text, so the list is
// case-sensitive. Once the list holds maxDistinct passages of which
// maxDistinct occur more than once, no further occurrences are sought. With
// two or more passages the list is sorted on long0 and passages below
// minFrequency are dropped. The caller owns the list. The work grows with
// the text's length, not with its length times the number of chunks.
std::unique_ptr<TStringListWith2LongintRec> RepeatedXCharChunks(Int32 chunkLength, Int32 minFrequency,
                                                                Int32 maxDistinct, const String& text,
                                                                const TLinePercentProgress& onProgress);

// ---- custom sort ----------------------------------------------------------------------------

// The keys of keyList (comma-separated, CommaSeparatedStrings), each with its
// rank in keyList, sorted longest first (equal lengths by CrudeStringComparison).
// The caller owns the list.
std::unique_ptr<TStringlistWithALongint> CustomSortPreparedStringlist(const String& keyList);
// line with every occurrence of each key (in list order) replaced, character
// by character, by the character whose code is 64 + the key's rank, so that
// ordinal order of normalised lines follows the key order. Characters already
// replaced by an earlier (longer) key are not replaced again.
String NormalisedLineForCustomSort(const String& line, const TStringlistWithALongint* keys);
// A new list of the lines of lines in custom order, each with its index in
// lines; lines that normalise alike keep their order. The caller owns it.
std::unique_ptr<TStringlistWithALongint> CustomLinesSorted(const TStrings* lines, const TStringlistWithALongint* keys);

// ---- a list that reports progress while taking in text ------------------------------------------

class TNotifyStringlist : public TUTF8Stringlist {
 public:
  explicit TNotifyStringlist(TTellCountEvent onTellContagem);

  // Clears the list and adds the text's lines (with the CR LF line break a
  // line ends at CR, LF or CR LF; otherwise at each line-break string),
  // calling OnTellContagem every 256 lines and once at the end.
  void SetTextStr(const String& text) override;

  TTellCountEvent OnTellContagem;
};

// ---- running text ---------------------------------------------------------------------------------

// True when a line ended by CR LF is more than 120 characters long (measured
// from position 1, or from the position after the previous CR); the text after
// the last CR LF is not measured.
bool IsFlowingText(const String& text);
// text unchanged when it is flowing; otherwise every character up to U+0020
// followed by one line-break character becomes a space, followed by two
// becomes a space too (so words either side stay apart), and followed by
// three or more becomes CR LF CR LF; the last character is never counted as
// a following line break.
String FlowingTextWithLineBreaksHandled(const String& text);
// Every line ended by CR LF that holds only characters up to U+0020 is
// emptied (its CR LF stays).
String RemovedEmptyLinesOf(const String& text);
// Removes the spaces (U+0020) at the start of every line that follows a CR
// LF; a space that is the last character of the text stays.
String StrippedSpacesAtLineStarts(const String& text);

}  // namespace sk
