// Conversion between UTF-16 and byte code pages, identified by Windows code-page
// numbers (1252, 437, 932, 65001, ...), on ICU converters cached per code page.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/runtime/RtlTypes.h"

namespace sk {

inline constexpr Cardinal CP_ACP = 0;
inline constexpr Cardinal CP_OEMCP = 1;
inline constexpr Cardinal CP_MACCP = 2;
inline constexpr Cardinal CP_THREAD_ACP = 3;
inline constexpr Cardinal CP_UTF16LE = 1200;
inline constexpr Cardinal CP_UTF16BE = 1201;
inline constexpr Cardinal CP_UTF32LE = 12000;
inline constexpr Cardinal CP_UTF32BE = 12001;
inline constexpr Cardinal CP_ASCII = 20127;
inline constexpr Cardinal CP_LATIN1 = 28591;
inline constexpr Cardinal CP_UTF7 = 65000;
inline constexpr Cardinal CP_UTF8 = 65001;

inline constexpr Cardinal MB_PRECOMPOSED = 0x0001;
inline constexpr Cardinal MB_COMPOSITE = 0x0002;
inline constexpr Cardinal MB_USEGLYPHCHARS = 0x0004;
inline constexpr Cardinal MB_ERR_INVALID_CHARS = 0x0008;

inline constexpr Cardinal WC_DISCARDNS = 0x0010;
inline constexpr Cardinal WC_SEPCHARS = 0x0020;
inline constexpr Cardinal WC_DEFAULTCHAR = 0x0040;
inline constexpr Cardinal WC_ERR_INVALID_CHARS = 0x0080;
inline constexpr Cardinal WC_COMPOSITECHECK = 0x0200;
inline constexpr Cardinal WC_NO_BEST_FIT_CHARS = 0x0400;

// Resolves CP_ACP / CP_THREAD_ACP / CP_OEMCP / CP_MACCP to a real code page.
Cardinal ResolveCodePage(Cardinal cp);

// Windows semantics: srcLen -1 means zero-terminated (the terminator is converted
// too); destLen 0 asks for the size needed; returns the units written, or 0 on
// failure (unknown code page, buffer too small, invalid input with
// MB_ERR_INVALID_CHARS). Never writes past destLen.
Int32 MultiByteToWideChar(Cardinal cp, Cardinal flags, const char* src, Int32 srcLen, Char* dest, Int32 destLen);
// Characters the code page cannot hold become defaultChar (or the code page's own
// substitution byte) and set *usedDefaultChar. defaultChar points to one
// character of the code page: one byte, or two when the first is a lead byte
// of a double-byte code page. For UTF-7/UTF-8 defaultChar and usedDefaultChar
// must be null, as on the platform.
Int32 WideCharToMultiByte(Cardinal cp, Cardinal flags, const Char* src, Int32 srcLen, char* dest, Int32 destLen,
                          const char* defaultChar, bool* usedDefaultChar);

// Whole-string conversions. Bytes the code page does not define become U+FFFD;
// characters it cannot hold become its substitution byte and set *lossy.
// The text takes room of about its size (UTF-16 exactly its size); the bytes
// are not held twice over.
String CodePageToUnicode(Cardinal cp, const char* bytes, size_t n);
// The same into out, whose room is reused when it is large enough (a buffer
// given back from an earlier text) and otherwise given back before the
// text's room is taken.
void CodePageToUnicodeInto(String& out, Cardinal cp, const char* bytes, size_t n);

struct TCodePageDecoderState;

// Bytes in a code page decoded into out as they arrive, piece by piece (a
// file read a piece at a time): however the bytes are cut into pieces, the
// text is the one CodePageToUnicodeInto gives for them whole. Room for the
// text of total bytes is taken at the start, as CodePageToUnicodeInto takes
// it, so that the text is written once into room of about its size. out
// must outlive the decoder.
class TCodePageDecoder {
 public:
  TCodePageDecoder(String& out, Cardinal cp, size_t total);
  ~TCodePageDecoder();
  TCodePageDecoder(const TCodePageDecoder&) = delete;
  TCodePageDecoder& operator=(const TCodePageDecoder&) = delete;

  // False for a code page that cannot be decoded (out is then empty).
  bool Ok() const;
  void Add(const char* bytes, size_t n);
  // After the last piece: a character the bytes cut short becomes U+FFFD,
  // and the room the text did not take is given back. False, and out empty,
  // when the decoding failed.
  bool Finish();

 private:
  std::unique_ptr<TCodePageDecoderState> fState;
};
String CodePageToUnicode(Cardinal cp, const RawByteString& bytes);
RawByteString UnicodeToCodePage(Cardinal cp, const String& s, bool* lossy = nullptr);

bool IsValidCodePage(Cardinal cp);
// A readable name for the code page ("windows-1252", "UTF-8", ...); empty when unknown.
String CodePageName(Cardinal cp);
// Text in the OEM code page re-encoded in the ANSI code page, and back.
RawByteString OemToCharA(const RawByteString& oem);
RawByteString CharToOemA(const RawByteString& ansi);

// A name from the system as a person reads it: each run of bytes that are not
// UTF-8 (held as U+DC00 + byte, see SystemNameToString), with the backslashes
// held as NameBackslash among them, is decoded in the ANSI code page, so that
// a Latin-1 folder shows its letters rather than replacement marks. For display only: the name that reaches the file is the
// one given, not this one.
String SystemNameForDisplay(const String& name);

// Largest number of bytes one character takes in the code page (0 when unknown).
Int32 CodePageMaxCharSize(Cardinal cp);

}  // namespace sk
