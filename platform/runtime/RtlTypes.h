// Basic scalar and string types shared by every layer of the library.
// Text is UTF-16 throughout: String holds UTF-16 code units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sk {

using Char = char16_t;
using String = std::u16string;

// Marks a process-wide variable that holds Strings. Process-wide variables are
// constant-initialised so that no code runs before Initialize. GCC evaluates
// String's default constructor at compile time and constinit holds every such
// variable to that. Clang cannot evaluate that constructor with GCC's standard
// library (it will not switch the string's inline buffer on in a constant
// expression), so under Clang such a variable gets the same initial value at
// load time from its default constructor, which writes only the variable's own
// bytes and calls nothing else. Texts other than empty are set by start routines.
#if defined(__clang__)
#define SK_CONSTINIT_TEXT
#else
#define SK_CONSTINIT_TEXT constinit
#endif
using AnsiChar = char;
using AnsiString = std::string;   // bytes in some code page
using RawByteString = std::string;

using Int8 = int8_t;
using ShortInt = int8_t;
using Byte = uint8_t;
using SmallInt = int16_t;
using Word = uint16_t;
using Int32 = int32_t;
using Integer = int32_t;
using Longint = int32_t;
using Cardinal = uint32_t;
using LongWord = uint32_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using NativeInt = std::intptr_t;
using NativeUInt = std::uintptr_t;
using Single = float;
using Double = double;
using Extended = double;
using Boolean = bool;
using Pointer = void*;

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;
// 32-bit colour value, red in the low byte.
using TColor = int32_t;

using TBytes = std::vector<Byte>;

// One-byte set of font styles: bit 0 bold, 1 italic, 2 underline, 3 strike-out.
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = uint8_t;

struct TPoint {
  Int32 X = 0;
  Int32 Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TRect {
  Int32 Left = 0;
  Int32 Top = 0;
  Int32 Right = 0;
  Int32 Bottom = 0;
  Int32 Width() const { return Right - Left; }
  Int32 Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

inline TRect Rect(Int32 l, Int32 t, Int32 r, Int32 b) { return TRect{l, t, r, b}; }
inline TPoint Point(Int32 x, Int32 y) { return TPoint{x, y}; }

// Root of the library's object hierarchy: anything that a list or a string-list
// line may own is a TObject, so it can be deleted through a base pointer.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// The runtime's exception: carries a message text (UTF-16).
class Exception : public std::exception {
 public:
  Exception() = default;
  explicit Exception(String msg);
  const String& Message() const { return fMessage; }
  void SetMessage(String msg);
  const char* what() const noexcept override { return fWhat.c_str(); }

 private:
  String fMessage;
  std::string fWhat;  // UTF-8 copy for what()
};

// Raised by index checks and by readers that meet corrupt data.
class EListError : public Exception { using Exception::Exception; };
class EStringListError : public Exception { using Exception::Exception; };
class EConvertError : public Exception { using Exception::Exception; };
class EReadError : public Exception { using Exception::Exception; };
class EWriteError : public Exception { using Exception::Exception; };
class EStreamError : public Exception { using Exception::Exception; };
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };
class EEncodingError : public Exception { using Exception::Exception; };
class EArgumentException : public Exception { using Exception::Exception; };
class EArgumentOutOfRangeException : public EArgumentException { using EArgumentException::EArgumentException; };
class EAssertionFailed : public Exception { using Exception::Exception; };
class ERangeError : public Exception { using Exception::Exception; };

// Raises the index error of the list classes: EListError
// "List index out of bounds (<index>)".
[[noreturn]] void RaiseListIndexError(Int32 index);

// Raises EAssertionFailed for a failed assertion: the message, then the
// source's name and line in the form "<message> (<source>, line <line>)".
[[noreturn]] void RaiseAssertionFailed(const String& message, const char* sourceName, Int32 line);

// UTF-8 <-> UTF-16 without any locale (invalid input becomes U+FFFD, one
// for each maximal ill-formed part). With valid given, it tells whether the
// bytes were well-formed UTF-8 (nothing replaced): one pass both decodes and
// validates.
String Utf8ToString(const std::string& s);
String Utf8ToString(const char* p, size_t n);
String Utf8ToString(const char* p, size_t n, bool* valid);
// The same into out, whose room is reused: a string that holds at least n
// units already (one given back from an earlier text) is decoded into in
// place, without a new allocation.
void Utf8ToStringInto(String& out, const char* p, size_t n, bool* valid = nullptr);
// Appends the units of the UTF-8 bytes [p, p + n) to out; false when anything
// was replaced. Pieces of a well-formed text cut where
// Utf8WholeSequencesLength cuts are decoded as the whole text would be.
bool AppendUtf8ToString(String& out, const char* p, size_t n);
// The length of the longest start of [p, p + n) that does not end inside a
// UTF-8 sequence: a lead byte among the last three whose sequence the bytes
// do not complete is left out, with the continuation bytes after it.
size_t Utf8WholeSequencesLength(const char* p, size_t n);
std::string StringToUtf8(const String& s);

// Names from the system (files, folders, links, the working folder) are
// bytes, mostly UTF-8 but not always: names made on other systems or copied
// from older ones hold single bytes of a code page. SystemNameToString keeps
// every byte: a valid UTF-8 sequence gives its character, a byte that is not
// part of one (0x80 to 0xFF) gives the lone unit U+DC00 + byte, which no
// valid UTF-8 text decodes to. StringToSystemName turns such units back into
// their bytes, so that the name reaches the same file at the system call.
String SystemNameToString(const char* p, size_t n);
inline String SystemNameToString(const std::string& s) { return SystemNameToString(s.data(), s.size()); }
std::string StringToSystemName(const String& s);

// A backslash (byte 0x5C) that is part of a name, where "\" would otherwise
// be read as a folder separator (as path routines read it for names from
// Windows): carried as U+DC5C, the form of a byte of a system name, which no
// routine takes for a separator and StringToSystemName turns back into 0x5C.
// Shift-JIS puts the byte second in many characters, and any Linux name may
// hold it.
inline constexpr Char NameBackslash = 0xDC5C;
// The name with every backslash in it carried as NameBackslash: for a name
// the system gave, or a path that only "/" separates.
String WithNameBackslashes(String name);

// Convenience for literals in code: u"..." is already a String; this turns
// a narrow ASCII/UTF-8 literal into one.
inline String S(const char* utf8) { return Utf8ToString(std::string(utf8)); }

}  // namespace sk
