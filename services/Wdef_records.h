// The suite's text records: concordance lines as text, colour-and-style texts,
// text-selection records, typed search texts with line breaks and tabs, and
// the small files the tools keep beside their data (index-file backups, combo
// histories, requests between tools, text-section exports).
//
// Text-sections file (SaveGlobalTextSections), little-endian, no header: for
// each Ttext_stats kind in order the Int32 count of its spans and the spans as
// Int32 start, Int32 finish; Int32 sentinel_const (6789); Int32 count of
// bufferful_chars; that many elements of 4 bytes: UInt16 number (held to
// 65,535), one byte kind, one zero byte.
#pragma once

#include <array>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

class TComboBox;

// Both sides of a concordance line: at_left the words left of the search
// word, at_right the search word and the words right of it.
using TConcordDetailedLR = TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2>;

// Parses "(search_word_position N length M)" followed by the line; the search
// word begins N characters after the ")". Two empty arrays when the marker is
// missing or malformed.
TConcordDetailedLR Concordance_detailsFromString(const String& s);
// One text per word of each side; both sides empty unless both have words.
TLeftRightStringArray ConcLineAsLRStringArr(const TConcordDetailedLR& details,
                                            const TGetPreferredTagFormat& getTagFormat,
                                            TTagWordPrecedence precedence);
// The word with its punctuation and its tag (the tag text comes from
// getTagFormat for tag numbers of 2 and above); flag has no effect.
String OneConcItemAsString(const TConcStringTag& item, const TCollocateInfo& info,
                           const TGetPreferredTagFormat& getTagFormat, TTagWordPrecedence precedence, bool flag);

// A colour-and-style record as "[][" font colour "-" brush colour "-" style
// letters "][]" (colours by their "cl" names, else "$" and eight hexadecimal
// digits) and back; a text without the brackets, or with colours that do not
// read, gives zero fields.
String TColloc_InfoToStr(const TColourFontRec& rec);
TColourFontRec CollocInfoStringToTColourFontRec(const String& s);

// An empty segments record.
TWordSegments_Colours_rec DataStringSegments(const String& data, const TColourFontRec& colours);

// 1-based positions. Forwards: the position before the first blank, "<",
// ">" or white-space character after pos; backwards: the position after the
// first such character before pos. -1 when none is found or pos is at the
// edge of s.
Int32 EndOfSameWord(Int32 pos, const String& s, bool backwards);

// For the sentence, paragraph, heading and section spans (0-based, both ends
// included, ascending): the index of the span that holds pos (-1 when none),
// pos's offset in it and the span's length; zero for the word entry.
struct TCharacterSectionStats {
  TTextStatsIntegerArray index;
  TTextStatsIntegerArray offset;
  TTextStatsIntegerArray length;
};
TCharacterSectionStats StatsOfACharacter(Int32 pos, const TTextStatsPositions_rec& positions);

// A text-selection text to its record (tag wildcards converted) and back.
TSelectTextFile_Rec StringToSelectTextFile_Rec(const String& s);
String SelectTextFile_RecToString(const TSelectTextFile_Rec& rec);

// A typed search text to its internal form ("*", "?", "#" inside the text and
// away from double quotes become 29, 28, 27; "<Enter>" CR LF; "<Tab>" TAB) and
// back.
String EncodedCRLFTAB(const String& s);
String EncodedCRLFTABToReadableStr(const String& s);

// Marks a cell as not applicable: its text (the word of its first cluster
// token) becomes "n/a" and computed_value -999999, or is cleared when
// computed_value is -999998.
void SetDataRecStringNonApplicable(TGrid_data_rec& data);

// s trimmed; a bare drive name ("C:") gets a trailing "\", a drive-relative
// name ("C:x") gets "\" after the colon.
String CorrectedPathname(const String& s);

// Copies each index file of a word list (".types", ".tokens", ".stats") over
// its backup (the extension followed by "_bak") / deletes each; files that do
// not exist are passed over. Each backup is built aside and replaces the
// earlier one only when whole (CopyFileToBackup); false when any backup could
// not be made (a full disk, say), that file's earlier backup then left as it
// was. Deleting ignores failures.
bool TryToBackupIndexFiles(const String& name);
void TryToDeleteIndexFiles(const String& name);

// The history of a combo box. Loading takes the file's lines (UTF-8 unless a
// byte-order mark says otherwise) and keeps the first 25; saving adds the
// file's lines the box lacks and writes the items as UTF-16LE with its mark
// (a missing file is written only when there are items). False when the file
// could not be read or written.
bool LoadOrSaveComboItems(TComboBox& combo, TLoadOrSave mode, const String& filename);
// Puts a text that is not blank at the top of the items: moved there when it
// is one of them, otherwise inserted (the last item going first when there
// are 20).
void EnsureTextInItems(TComboBox& combo, const String& text);
// The file through which one tool hands another a request, in the suite's
// roaming folder: "<from>_<to>.tell_concord".
String CommunicateBetweenToolsFilename(tool_type from, tool_type to);

// Writes Global_TextSectionsArr as the text-sections file; false when it could
// not be written.
bool SaveGlobalTextSections(const String& filename);
// The bytes of the text-sections file for a record.
TBytes TextSectionsBytes(const TTextStatsPositions_rec& sections);
// Writes the report of the text breaks of the current buffer; nothing when
// there is nothing to report. False when it could not be written.
bool SaveTextBreaksMarked(const String& filename);

}  // namespace sk
