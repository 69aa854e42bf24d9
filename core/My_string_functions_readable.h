// Search strings between the form a user types (character codes written out)
// and the working form, the display names of the kinds of results list, the
// exclusion masks of moved folders, whole text files read and appended, line
// ends made CR LF, and two word lists compared for similarity.
#pragma once

#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"

namespace sk {

class TStrings;
class TStringlistWithALongint;

// ---- search strings ----------------------------------------------------------------

// Every valid character-code notation replaced by its character:
// "{CHR(" number ")}" (any letter case; decimal, "X41" or "41H" hexadecimal)
// and "#" followed by decimal digits, or by signal characters ("Xx$Hh") and
// hexadecimal digits with an optional ";". Code points above U+FFFF become
// surrogate pairs. Notations that do not convert stay; the first "#" that
// does not convert ends the "#" step. A "#" made by a braced code is a
// literal ("{CHR(35)}65" gives '#65'); one made by a "#" code is read again.
String QMFormattedReadableStringToWorkString(const String& text);
// Every character whose code is below limit written as "{CHR(" + decimal code
// + ")}", and so is every "#" that would otherwise be read back as a code and
// every "{" that starts "{CHR(": reading the result gives the text again.
String QMFormattedWorkStringToReadableString(const String& text, Int32 limit);

// ---- list-kind names -----------------------------------------------------------------

// The display name of a kind of results list ('Key word list', 'Keywords
// Database', 'Concordance Timeline List'); '' for the kinds without one.
String ListTypeAsString(TQuillmarkList kind);
String ListTypeAsStringCase(TQuillmarkList kind, TOutput_results_case outputCase);
// "KWDB" for kinds made by the key-words tool, else "Concordance".
String ToolMakingTimeline(TQuillmarkList kind);

// ---- masks ----------------------------------------------------------------------------

// The mask cut at each ";", each piece trimmed; '' gives one empty piece.
std::vector<String> MaskToMaskArray(const String& mask);
// The two masks that match the folders that moved files go to: any folder
// named "moved", and any folder whose name begins "moved-".
std::vector<String> StandardFilterMoveExcludeFoldersArr();
// The same two masks joined by ";".
String StandardFilterMoveExcludeFoldersMask();

// ---- files and line ends ---------------------------------------------------------------

// The whole text of the file as the library's string list loads it (encoding
// from its byte-order mark), lines joined by CR LF with one after the last;
// '' when the file does not exist.
String GetTextFromFile(const String& fileName);
// Appends the list's text (lines joined by CR LF) to the file in UTF-16LE; a
// new file starts with FF FE. Nothing for an empty file name or no list.
// Input/output errors reach the caller.
void UnicodeAppendToTextFile(const String& fileName, const TStrings* lines);
// Every lone LF and every CR not followed by LF written as CR LF (a CR that
// ends the text stays alone); fixes receives the number of line ends
// completed. Yields to the host by time (TTimedYield) as it goes.
String UnixStringToWindowsStringW(Int32& fixes, const String& text);
AnsiString UnixStringToWindowsString(Int32& fixes, const AnsiString& text);

// ---- word lists -------------------------------------------------------------------------

// Compares two word lists (one word per line with its frequency): words in
// one list only and the frequency differences, as counts and as percentages;
// similar_enough when either percentage is within its threshold. lastWord
// receives the last word found in one list only (unchanged when none). Empty
// lists give 0 per cent.
TTypeAndTokenAndSinglesDifferences TypeAndTokenDifferences2SimpleWordLists(const TStringlistWithALongint* listA,
                                                                          const TStringlistWithALongint* listB,
                                                                          Single typeThreshold,
                                                                          Single tokenThreshold, String& lastWord);

}  // namespace sk
