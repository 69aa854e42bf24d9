#include "core/Redodidu.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/Generalruntime1const.h"
#include "core/Global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/RtlMath.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

constinit TUnitCounter Redodidu_counter;

// The drives the system reports, one bit per letter (bit 0 = A). Letters do not
// exist here: C stands for the root file system.
constinit Cardinal gLogicalDrives = 0;

Cardinal GetLogicalDrives() { return Cardinal(1) << 2; }

TInputFlushHandler& InputFlushHandler() {
  static TInputFlushHandler handler;
  return handler;
}

// Maps a zero-terminated buffer in place; the terminator is mapped with it.
Int32 MapInPlace(Cardinal lcid, Cardinal flags, Char* p) {
  if (p == nullptr) return 0;
  const size_t len = std::char_traits<Char>::length(p);
  if (len + 1 > static_cast<size_t>(INT32_MAX)) return 0;
  String mapped(len + 1, Char(0));
  const Int32 n = LCMapStringW(lcid, flags, p, -1, mapped.data(), static_cast<Int32>(mapped.size()));
  // One unit maps to one: never write more than the buffer held.
  if (n <= 0 || static_cast<size_t>(n) > len + 1) return 0;
  std::char_traits<Char>::copy(p, mapped.data(), static_cast<size_t>(n));
  return n;
}

// A name written for Windows: "C:..." or "\\server...".
bool IsWindowsFormName(const String& s) {
  if (s.size() >= 2 && s[1] == u':' &&
      ((s[0] >= u'A' && s[0] <= u'Z') || (s[0] >= u'a' && s[0] <= u'z')))
    return true;
  return s.size() >= 2 && s[0] == u'\\' && s[1] == u'\\';
}

bool ValidDriveLetter(Char c) {
  c = UpCase(c);
  if (c < u'A' || c > u'Z') return false;
  const int bit = c - u'A';
  gLogicalDrives = GetLogicalDrives();
  if ((gLogicalDrives & (Cardinal(1) << bit)) == 0) return false;
  // The drive's size must be obtainable. Nothing here can raise a system dialog,
  // so there is no error mode to suppress. The one drive, C, is the root.
  return DiskSize(u"/") != -1;
}

}  // namespace

TLanguageStringlist::TLanguageStringlist(Cardinal lcid) : TStringList() { (void)lcid; }

// ---- case mapping -----------------------------------------------------------------

String Lowercase(Cardinal lcid, const String& s) {
  if (s.empty()) return s;
  return LCMapString(lcid, LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING, s);
}

String Uppercase(Cardinal lcid, const String& s) {
  if (s.empty()) return s;
  return LCMapString(lcid, LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING, s);
}

Int32 LowercaseIt(Cardinal lcid, Char* p) {
  return MapInPlace(lcid, LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING, p);
}

Int32 UppercaseIt(Cardinal lcid, Char* p) {
  return MapInPlace(lcid, LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING, p);
}

String Lowercase(const String& s) {
  if (s.empty()) return s;
  return LCMapString(LOCALE_INVARIANT, LCMAP_LOWERCASE, s);
}

String Uppercase(const String& s) {
  if (s.empty()) return s;
  return LCMapString(LOCALE_INVARIANT, LCMAP_UPPERCASE, s);
}

// ---- paths and drives -------------------------------------------------------------

String NormalisedPath(const String& s) {
  if (s.size() <= 3) return s;
  if (IsWindowsFormName(s)) {
    String r = s;
    while (r.size() > 3 && (r.back() == u'\\' || r.back() == u'/')) r.pop_back();
    return r;
  }
  String r = ExpandFileName(s);
  if (r.size() > 1) r = ExcludeTrailingPathDelimiter(r);
  return r;
}

Char* NormalisedPathW(maxpathwidechar& buffer, const Char* p) {
  buffer.fill(Char(0));
  if (p == nullptr) return buffer.data();
  const String r = NormalisedPath(String(p));
  const size_t n = std::min(r.size(), buffer.size() - 1);
  std::char_traits<Char>::copy(buffer.data(), r.data(), n);
  return buffer.data();
}

bool FileNameHasWildCards(const String& s) {
  return s.find(u'*') != String::npos || s.find(u'?') != String::npos;
}

bool sIsADirectory(const String& s) { return !s.empty() && DirectoryExists(s); }

bool ValidDrive(AnsiChar c) { return ValidDriveLetter(static_cast<Char>(static_cast<unsigned char>(c))); }

bool ValidDriveW(Char c) { return ValidDriveLetter(c); }

bool Fixed_Drive(const String& path) { return GetDriveTypeW(path) == DRIVE_FIXED; }

bool ProceedIfLittleDiskSpace(const String& path, Int64 bytesNeeded) {
  if (path.empty()) return false;
  Int64 freeToCaller = 0, total = 0, totalFree = 0;
  if (!GetDiskFreeSpaceEx(path, freeToCaller, total, totalFree)) return true;
  const Int64 available = std::max(freeToCaller, totalFree);
  if (available >= bytesNeeded) return true;
  const Int64 mb = available / 1048576;
  const String text = Format(LoadResString(&_QMOnlyMbSpaceOnDriveDProceed), {mb, path});
  return MessageBoxW(nullptr, text, LoadResString(&_QMConfirmation), MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

String AttributesToStr(Word attributes) {
  String r;
  if (attributes & 1) r += u'r';
  if (attributes & 32) r += u'a';
  if (attributes & 4) r += u's';
  if (attributes & 2) r += u'h';
  if (attributes & 16) r += u'd';
  return r;
}

// ---- locale and system --------------------------------------------------------------

bool UserDefaultMeasurements(Cardinal lcid) {
  Char buf[4] = {};
  if (GetLocaleInfoW(lcid, LOCALE_IMEASURE, buf, 4) <= 0) return true;
  return String(buf) != u"1";
}

namespace Redodidu {
Cardinal LCIDToCodePage(Cardinal lcid) {
  Char buf[7] = {};
  if (GetLocaleInfoW(lcid, LOCALE_IDEFAULTANSICODEPAGE, buf, 7) > 0) {
    Int32 cp = 0;
    if (TryStrToInt(String(buf), cp) && cp >= 0) return static_cast<Cardinal>(cp);
  }
  return GetACP();
}
}  // namespace Redodidu

String GetLastErrorString() {
  const int code = errno;
  // Only codes the system describes have a text; unknown ones give nothing.
  const char* text = strerrordesc_np(code);
  if (text == nullptr) return String();
  String r = Utf8ToString(std::string(text));
  if (r.size() > 255) r.resize(255);
  return r;
}

bool IsOrdinaryNumberChar(Char c) { return c >= u'0' && c <= u'9'; }

String BooleanToStr(bool b) { return LoadResString(b ? &_QMTrue : &_QMFalse); }

bool StrToBoolean(const String& s) {
  // Settings written under one interface language are read under another: the
  // English word is always understood.
  return SameText(s, LoadResString(&_QMTrue)) || SameText(s, u"true");
}

Int32 TodayAsLongint() { return static_cast<Int32>(Trunc(Date())); }

String RealToDecStr(Double value, const TFormatSettings& settings) {
  try {
    return FormatFloat(u"####,.00", value, settings);
  } catch (const std::exception&) {
    return u"*";
  }
}

String DoubleAnyAmpersands(const String& s) {
  // Works on runs of ampersands: a pair already doubled stays a pair wherever it
  // stands, and an odd ampersand left over in a run is doubled.
  String r;
  r.reserve(s.size() + 4);
  const size_t n = s.size();
  for (size_t i = 0; i < n;) {
    if (s[i] != u'&') {
      r += s[i++];
      continue;
    }
    size_t run = 0;
    while (i < n && s[i] == u'&') {
      ++run;
      ++i;
    }
    r.append(run + (run % 2), u'&');
  }
  return r;
}

// ---- typed-ahead input ----------------------------------------------------------------

TInputFlushHandler SetInputFlushHandler(TInputFlushHandler handler) {
  TInputFlushHandler previous = std::move(InputFlushHandler());
  InputFlushHandler() = std::move(handler);
  return previous;
}

void ClearKeyboardBuffer(void* window, Word& key) {
  key = 0;
  if (InputFlushHandler()) InputFlushHandler()(window, WM_KEYFIRST, WM_KEYLAST);
}

void ClearMouseBuffer(void* window) {
  if (InputFlushHandler()) InputFlushHandler()(window, WM_MOUSEFIRST, WM_MOUSELAST);
}

// ---- unit start and stop ---------------------------------------------------------------

void Redodidu_initialization() {
  if (!Redodidu_counter.Initialization()) return;
  Global_StringToDateTimeFormat = TFormatSettings::Create();
}

void Redodidu_Finalization() { Redodidu_counter.Finalization(); }

}  // namespace sk
