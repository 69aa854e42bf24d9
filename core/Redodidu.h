// Small system helpers used across the suite: locale-aware case mapping, path
// normalisation, locale queries, the last system error as text, a low-disk-space
// question, Boolean words, dropping typed-ahead input, drive tests, file
// attributes as letters, a money-style number format and a string list that is
// given a locale.
//
// Drives: this platform has no drive letters. A path's drive is the mount point
// that holds it, so the routines that take a path (Fixed_Drive,
// ProceedIfLittleDiskSpace) answer for that mount point. The letter tests
// (ValidDrive, ValidDriveW) know one drive, C, standing for the root file
// system.
#pragma once

#include <functional>

#include "core/Basic_types.h"
#include "platform/runtime/FormatSettings.h"
#include "platform/runtime/StringList.h"

namespace sk {

// A drive number counted from A (0 = A, 25 = Z).
using drive_limits = Byte;
inline constexpr drive_limits drive_limits_min = 0;
inline constexpr drive_limits drive_limits_max = 25;

// Characters that introduce a hexadecimal number ("#x41", "#$41", "#h41") and
// the hexadecimal digits, as the readable search-string notation uses them.
inline constexpr Char HexSignalStr[] = u"Xx$Hh";
inline constexpr Char HexCharactersStr[] = u"0123456789ABCDEFabcdef";

// The platform's string list, made for one locale. The identifier is not kept.
class TLanguageStringlist : public TStringList {
 public:
  explicit TLanguageStringlist(Cardinal lcid);
};

// ---- case mapping ---------------------------------------------------------------
// Linguistic lower/upper casing for the locale (Turkish and Azeri map i and I
// to their dotted and dotless partners). One UTF-16 unit maps to one, so the
// length never changes (ß stays ß in upper case). The argument is not changed.
String Lowercase(Cardinal lcid, const String& s);
String Uppercase(Cardinal lcid, const String& s);
// The same in place over a zero-terminated buffer; answers the number of units
// mapped including the terminator, 0 on failure (null buffer, unknown locale).
Int32 LowercaseIt(Cardinal lcid, Char* p);
Int32 UppercaseIt(Cardinal lcid, Char* p);
// Casing without a locale (the invariant Unicode simple mapping).
String Lowercase(const String& s);
String Uppercase(const String& s);

// ---- paths and drives -----------------------------------------------------------
// s itself when it has 3 characters or fewer (a root comes back unchanged);
// otherwise the absolute form of s without a trailing path delimiter. A name in
// Windows form (drive letter and colon, or starting with two backslashes) is
// not a path of this system: it only loses its trailing delimiter.
String NormalisedPath(const String& s);
// The same for a zero-terminated text; the result goes into buffer, which is
// zero-filled first and receives at most 260 units. Answers buffer.data().
Char* NormalisedPathW(maxpathwidechar& buffer, const Char* p);
// True when s contains "*" or "?".
bool FileNameHasWildCards(const String& s);
// True when s names a folder (links are followed).
bool sIsADirectory(const String& s);
// The letter (either case) must be a drive the system reports and its size must
// be obtainable.
bool ValidDrive(AnsiChar c);
bool ValidDriveW(Char c);
// True when the file system that holds the path is a fixed (local) one.
bool Fixed_Drive(const String& path);
// True when the file system that holds path has at least bytesNeeded bytes free,
// or when that cannot be asked; otherwise asks the user (OK / Cancel) whether to
// go on. An empty path gives false.
bool ProceedIfLittleDiskSpace(const String& path, Int64 bytesNeeded);
// The letters of the set attributes in the order r (read-only), a (archive),
// s (system), h (hidden), d (directory); empty when none is set.
String AttributesToStr(Word attributes);

// ---- locale and system ------------------------------------------------------------
// True when the locale measures in metric units (or when that cannot be read).
bool UserDefaultMeasurements(Cardinal lcid);
// The text of the last system error of the calling thread; empty when the
// system has no text for it.
String GetLastErrorString();
// True for "0" to "9" only.
bool IsOrdinaryNumberChar(Char c);
// The message-table words for true and false.
String BooleanToStr(bool b);
// True when s is the message-table word for true, or the English "true", either
// compared without regard to ASCII case; anything else is false.
bool StrToBoolean(const String& s);
// Today as a whole day number (days since 30 December 1899).
Int32 TodayAsLongint();
// value with thousands separators and always two decimals ("####,.00"), in the
// given settings; "*" when it cannot be formatted.
String RealToDecStr(Double value, const TFormatSettings& settings);
// Doubles the ampersands of a caption text so that none reads as a shortcut
// marker; a pair at the end of the text stays a pair.
String DoubleAnyAmpersands(const String& s);

// ---- typed-ahead input -------------------------------------------------------------
// Window message ranges of keyboard and mouse input.
inline constexpr Cardinal WM_KEYFIRST = 256;
inline constexpr Cardinal WM_KEYLAST = 265;
inline constexpr Cardinal WM_MOUSEFIRST = 512;
inline constexpr Cardinal WM_MOUSELAST = 526;

// Removes every pending message of the window whose number lies in
// [firstMessage, lastMessage]. The visual layer installs it; without one there
// is no queue and nothing to remove.
using TInputFlushHandler = std::function<void(void* window, Cardinal firstMessage, Cardinal lastMessage)>;
// Installs the handler (an empty one removes it) and answers the previous one.
TInputFlushHandler SetInputFlushHandler(TInputFlushHandler handler);

// Sets key to 0 and drops every pending keyboard message of the window.
void ClearKeyboardBuffer(void* window, Word& key);
// Drops every pending mouse message of the window.
void ClearMouseBuffer(void* window);

// The locale's default ANSI code page; the process ANSI code page when the
// locale gives none.
namespace Redodidu {
Cardinal LCIDToCodePage(Cardinal lcid);
}  // namespace Redodidu

// Unit start: copies the user default locale's format settings into
// Global_StringToDateTimeFormat (once per process). No stop work.
void Redodidu_initialization();
void Redodidu_Finalization();

}  // namespace sk
