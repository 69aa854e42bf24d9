// Positions and search helpers of the text library: finding a substring under
// word-boundary flags and context words, the nearer of two finds, rich-edit
// character positions against plain-text positions, copying a text while
// replacing hits, drawing a random sample of lines, measuring text, a few
// small texts, and routines on zero-terminated wide buffers and byte arrays
// (counting, byte swapping, checksums, the byte-order-mark test, appending raw
// UTF-16 to a file of characters).
//
// Positions are 1-based. Routines on zero-terminated buffers accept nullptr
// and never read past the terminating zero.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/Basic_types.h"

namespace sk {

class T1LongintList;
class TInsertedTextPositionList;
class TStringList;
class TStrings;

// ---- finding ------------------------------------------------------------------------

// The first position at or after start (below 1 reads as 1) where sub occurs
// and, when flags hold msLeftBounded / msRightBounded, is bounded on that side
// (BoundedAtLeft / BoundedAtRight). -1 when sub or text is empty or there is
// no such position. Case-sensitive.
Int32 PosStrFoundIn(const String& sub, const String& text, TMSSearchFlags flags, Int32 start);

// The positions of word in text, each find searched from one after the
// previous one, that meet the boundary flags of wordFlags and the context
// tests: a right context must be found (under contextFlags) no later than
// span + 1 characters after the find's position, and a left context must be
// found from span characters before the find up to before it. A context
// that is empty sets no condition; a position is kept only when every context
// that is set is found. A new list the caller owns; empty when word or text
// is empty. Linear in the text: each context is searched once per stretch of
// text, not once per find.
std::unique_ptr<T1LongintList> CharacterPositionsWordFoundIn(const String& word, const String& leftContext,
                                                             const String& rightContext, const String& text,
                                                             Int32 span, TMSSearchFlags wordFlags,
                                                             TMSSearchFlags contextFlags);
// The same positions grown in one plain integer list (positions is cleared
// first), for callers that only read them: no holder per hit.
void CharacterPositionsWordFoundIn(const String& word, const String& leftContext, const String& rightContext,
                                   const String& text, Int32 span, TMSSearchFlags wordFlags,
                                   TMSSearchFlags contextFlags, std::vector<Int32>& positions);

// The first position at or after start where sub occurs as a whole word
// (IsWholeWord on the characters before and after it); 0 when none.
Int32 WholeWordPositionOfXinText(Int32 start, const String& sub, const String& text);

// Both positive: the smaller; one of them 0: the other; otherwise 0.
Int32 NearerOfTwo(Int32 a, Int32 b);
// NearerOfTwo of the positions (PosEx, 0 when absent) of a and of b in text
// from start.
Int32 PosExNearer(const String& text, const String& a, const String& b, Int32 start);
// On zero-terminated text: the nearer (lower address) of the finds of a and
// b in p; nullptr when p is nullptr or neither is found (an empty or nil
// substring is never found).
const Char* StrPosNearerW(const Char* p, const Char* a, const Char* b);
// The first position at or after start (below 1 reads as 1) holding c; 0 when
// start is beyond the text or there is none.
Int32 StrScanIndex(const String& s, Char c, Int32 start);

// ---- rich-edit positions ---------------------------------------------------------------

// The 1-based positions of every CR in text, ascending; hasCR tells whether
// there is any.
std::vector<Int32> ComputedRichedParaStarts(bool& hasCR, const String& text);
// pos unchanged when hasCR is false; otherwise pos minus the number of entries
// of paraStarts (ascending, as ComputedRichedParaStarts makes them) that are
// not greater than pos: the position in a text whose line breaks count as one
// character.
Int32 RichedCharPosWindowsConverted(Int32 pos, bool hasCR, const std::vector<Int32>& paraStarts);
Int32 RichedCharPosWindowsConverted(Int32 pos, const TRichedformat_rec& format);

// ---- copies and samples ------------------------------------------------------------------

// A copy of text in which the occurrence of oldStr at each hit of hits is
// replaced by newStr (an empty oldStr inserts newStr at each hit). With
// at_left a hit is the position of the occurrence's first character, with
// at_right the position just after it. The hits are checked before anything
// is written: they must lie in the text, in ascending order and without
// overlapping one another; otherwise (and for nil or empty hits) the text
// comes back unchanged. Yields to the host by time (TTimedYield) as it goes.
String CopyStringsReplacing(const String& text, const String& oldStr, const String& newStr,
                            const TInsertedTextPositionList* hits, TLeftOrRight side);

// Clears target and fills it with n distinct lines of source drawn at random
// from the preferred region (top, middle or bottom quarter, or anywhere), then
// sorts target. target stays empty when source has no more than n lines (or
// either list is nil). The draws end once n lines are taken, after 1001 draws
// outside the region, or after 1001 draws in a row of lines already taken, so
// a region with fewer than n distinct lines keeps what was drawn. Lines are
// distinct by their exact text. Yields to the host by time (TTimedYield) as it goes.
void CopyRandomSampleFromStringlistAtoB(const TStrings* source, TStringList* target, Int32 n,
                                        TSamplePreference preference);

// ---- measuring and small texts -------------------------------------------------------------

// Width and height of a measured text, in device units.
struct TTextExtentRec {
  Int32 cx = 0;
  Int32 cy = 0;
};

// Something to measure text on (what a device context does for these
// routines): answers false when it cannot measure. The visual layer supplies
// one for its canvases; the text library itself holds no fonts.
using TTextMeasureProc = std::function<bool(const String& s, TTextExtentRec& extent)>;

// The extent of s as dc measures it; both 0 when dc is unset or fails.
TTextExtentRec TextSizeOfString(const TTextMeasureProc& dc, const String& s);
// Its width; 0 when dc is unset or fails.
Int32 TextWidthOfString(const TTextMeasureProc& dc, const String& s);

// The items joined with separator (AddToListWithSeparatorIfNeeded, so empty
// items at the front leave no separator).
String StrSeparatedWithChar(const std::vector<String>& items, Char separator);
// Every character of s followed by one space.
String InterspersedWithSpaces(const String& s);
// U+2191 (upwards arrow) for true, U+2193 (downwards arrow) for false.
String AscendingSymbol(bool ascending);
// The message texts "Yes" or "No".
String YesorNo(bool b);
// The current date and time as "yyyy_mm_dd_hh_nn".
String NowForFilename();
// n as one UTF-16 unit when n < $10000, else "?".
Char WideCharFromCardinal(Cardinal n);
String WideStringFromCardinal(Cardinal n);

// Part of the interface of the class-array builders; they change nothing.
void SetZeroWidthJoinersToDefined(const Char* p, std::vector<Word>& classes);
void SetZeroWidthNonJoinersToDefinedAlpha(const Char* p, std::vector<Word>& classes);

// ---- wide buffers and byte arrays -----------------------------------------------------------

// The number of CR units among the first n units of p (stopping early at a
// terminating zero); 0 for nullptr.
Int32 Chr13sInPChar(const Char* p, Int32 n);
// In the zero-terminated text p, every c1 becomes c2. Nothing happens for
// nullptr, when c1 equals c2 or when c1 is 0. unused plays no part.
void ReplaceChar1ByChar2(Char* p, Char c1, Char c2, Int32 unused);
// Swaps the two bytes of every unit of the zero-terminated text p in place.
void StrSwapByteOrder(Char* p);
// The unsigned 32-bit (wrapping) sum of the units of the zero-terminated text
// p (0 for nullptr) / of the bytes of an array.
Cardinal My4Checksum(const Char* p);
Cardinal My4Checksum(const TBytes& bytes);
// The first unit of p is U+FEFF or U+FFFE; false for nullptr.
bool UnicodeSigned(const Char* p);
// The number of leading bytes in which a and b agree, stopping at the end of
// either. unused plays no part.
Int32 HowFarEqualContentsA(const TBytes& a, const TBytes& b, Int32 unused);
// Appends the raw UTF-16LE units of text to a file of characters: a new file
// begins with FF FE; an existing one is appended to at its last whole unit.
// Nothing is added between texts. An empty file name does nothing. A file
// that cannot be opened, created or written raises the stream error
// (EFOpenError, EFCreateError, EWriteError) to the caller.
void AddToFileOfChar(const String& fileName, const String& text);

}  // namespace sk
