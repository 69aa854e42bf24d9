// String formats of the cipher library: classes that turn raw bytes into text
// (StrTo) and text back into raw bytes (ToStr), identified by a number, and
// their process-wide registry. A format class is used through its class
// reference, the one static instance of the class (formats hold no data).
//
//   identifier  class                  name                      coding
//   1           TStringFormat          "copy Input to Output"    the bytes themselves
//   16          TStringFormat_HEX      "Hexadecimal"             two upper-case digits a byte
//   1016        TStringFormat_HEXL     "Hexadecimal lowercase"   two lower-case digits a byte
//   4196        TStringFormat_MIME64   "MIME Base 64"            RFC 2045 Base64 with '=' padding
//   21845       TStringFormat_UU       "UU Coding"               uuencoded lines
//   22616       TStringFormat_XX       "XX Coding"               xxencoded lines
//
// Identifier 0 means "no format", -1 (and -2) the default format.
//
// Decoders take untrusted text: they skip the line breaks that InsertCR puts
// in (hexadecimal and Base64 also skip blanks and tabs) and refuse anything
// else that is not of the format; IsValid(text, length, true) tells before
// converting, and ToStr gives an empty result for text that is not valid.
// UU and XX text is a series of lines, each a length character (0 to 45
// bytes) followed by the bytes in groups of four characters; lines written by
// StrTo hold 45 bytes and are separated by CR LF.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

inline constexpr Int32 fmtDEFAULT = -1;
inline constexpr Int32 fmtNONE = 0;
inline constexpr Int32 fmtCOPY = 1;
inline constexpr Int32 fmtHEX = 16;
inline constexpr Int32 fmtHEXL = 1016;
inline constexpr Int32 fmtMIME64 = 4196;
inline constexpr Int32 fmtUU = 21845;
inline constexpr Int32 fmtXX = 22616;

// The plain copy format and the base of the others.
class TStringFormat : public TObject {
 public:
  constexpr TStringFormat() = default;
  static const TStringFormat& ClassRef();

  // Format text to raw bytes.
  virtual AnsiString ToStr(const char* value, Int32 length) const;
  // Raw bytes to format text.
  virtual AnsiString StrTo(const char* value, Int32 length) const;
  virtual String Name() const;
  virtual Int32 Format() const { return fmtCOPY; }
  // toStr true: is value text of this format; false: can value be written in it.
  virtual bool IsValid(const void* value, Int32 length, bool toStr) const;
};

using TStringFormatClass = const TStringFormat*;

class TStringFormat_HEX : public TStringFormat {
 public:
  constexpr TStringFormat_HEX() = default;
  static const TStringFormat_HEX& ClassRef();
  AnsiString ToStr(const char* value, Int32 length) const override;
  AnsiString StrTo(const char* value, Int32 length) const override;
  String Name() const override;
  Int32 Format() const override { return fmtHEX; }
  bool IsValid(const void* value, Int32 length, bool toStr) const override;
  // Not provided by the library: raises "Not Implemented 2".
  virtual const char* CharTable() const;
};

class TStringFormat_HEXL : public TStringFormat_HEX {
 public:
  constexpr TStringFormat_HEXL() = default;
  static const TStringFormat_HEXL& ClassRef();
  AnsiString StrTo(const char* value, Int32 length) const override;
  String Name() const override;
  Int32 Format() const override { return fmtHEXL; }
  // Raises "Not implemented 3".
  const char* CharTable() const override;
};

class TStringFormat_MIME64 : public TStringFormat_HEX {
 public:
  constexpr TStringFormat_MIME64() = default;
  static const TStringFormat_MIME64& ClassRef();
  AnsiString ToStr(const char* value, Int32 length) const override;
  AnsiString StrTo(const char* value, Int32 length) const override;
  String Name() const override;
  Int32 Format() const override { return fmtMIME64; }
  bool IsValid(const void* value, Int32 length, bool toStr) const override;
  // Raises "Not Implemented 4".
  const char* CharTable() const override;
};

class TStringFormat_UU : public TStringFormat {
 public:
  constexpr TStringFormat_UU() = default;
  static const TStringFormat_UU& ClassRef();
  AnsiString ToStr(const char* value, Int32 length) const override;
  AnsiString StrTo(const char* value, Int32 length) const override;
  String Name() const override;
  Int32 Format() const override { return fmtUU; }
  bool IsValid(const void* value, Int32 length, bool toStr) const override;
  // Raises "Not implemented 5".
  virtual const char* CharTable() const;

 protected:
  // The 64 characters of the 6-bit values and the one also read as value 0
  // (0 when there is none).
  virtual const char* Alphabet() const;
  virtual char ZeroAlias() const { return ' '; }
};

class TStringFormat_XX : public TStringFormat_UU {
 public:
  constexpr TStringFormat_XX() = default;
  static const TStringFormat_XX& ClassRef();
  String Name() const override;
  Int32 Format() const override { return fmtXX; }
  // Raises "Not implemented 6".
  const char* CharTable() const override;

 protected:
  const char* Alphabet() const override;
  char ZeroAlias() const override { return 0; }
};

// The character-table search of the format classes; not provided by the
// library: raises "Not implemented 1".
Int32 TableFind(char value, const char* table, Int32 length);

// Registers each non-null class whose identifier is not -1: a class with an
// identifier already registered replaces that entry in place, a new one is
// appended. The registry is created by the first registration.
void RegisterStringFormats(const TStringFormatClass* classes, Int32 count);
// The registered class with that identifier (-1 and -2: the default), or null.
TStringFormatClass StringFormat(Int32 format);
Int32 DefaultStringFormat();
// -1 or an unregistered identifier sets 4196.
void SetDefaultStringFormat(Int32 format);
// Adds each registered format's Name with its class as the line's object.
void GetStringFormats(TStrings* strings);

// Raw bytes to format text. Empty for null data, format 0 or length 0; a
// negative length means up to the first zero byte. Raises EStringFormat for an
// unregistered format or data the format cannot hold.
AnsiString StrToFormat(const void* data, Int32 length, Int32 format);
// Format text to raw bytes; the same rules, checking that the text is valid.
AnsiString FormatToStr(const void* text, Int32 length, Int32 format);
// Text of one format to text of another (empty when either is 0).
AnsiString ConvertFormat(const void* text, Int32 length, Int32 fromFormat, Int32 toFormat);
// True for null or empty input, false for an unregistered format, else the
// format's IsValid (text of the format / bytes it can hold).
bool IsValidFormat(const void* text, Int32 length, Int32 format);
bool IsValidString(const void* data, Int32 length, Int32 format);

// Frees the format registry (shut-down).
void FreeStringFormats();

}  // namespace sk
