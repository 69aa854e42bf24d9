// Bytes in a known or detected encoding, ANSI text in a code page and UTF-8
// turned into UTF-16 strings, and decomposed characters folded into
// precomposed ones.
//
// Encodings handed back are the shared ones of TEncoding: callers never free
// them.
#pragma once

#include "platform/runtime/Encoding.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

// Detects the encoding from a byte-order mark (UTF-8, UTF-16LE, UTF-16BE; UTF-8
// when there is none) and decodes the bytes after the mark. encoding and
// bomLength receive what was found (nullptr and 0 for no bytes).
// Bytes without a mark that are not valid UTF-8 are read as ANSI (encoding
// becomes ANSI). Bytes behind a UTF-8 mark stay UTF-8: a byte that is not valid
// there becomes U+FFFD and the rest of the text is kept.
String EncodedStringFromBytes(const TBytes& bytes, TEncoding*& encoding, Int32& bomLength);
// The same for count bytes at p (a mapped file, say), read in place.
String EncodedStringFromBytes(const Byte* p, size_t count, TEncoding*& encoding, Int32& bomLength);
// The same into out, whose room is reused when it already holds as many
// units as the UTF-8 text has bytes (a buffer given back from an earlier
// text), so that a large text decoded again and again is not allocated anew.
void EncodedStringFromBytesInto(String& out, const Byte* p, size_t count, TEncoding*& encoding, Int32& bomLength);
// How many bytes without a mark are looked at for a byte that is not UTF-8
// before room is taken for a UTF-8 text.
inline constexpr size_t kUtf8LookAhead = size_t{64} << 10;
// The same, with bytes without a mark looked at up to notUtf8Within (a
// reader that met a byte that is not UTF-8 there passes where) before any
// room is taken for a UTF-8 text. The result is the same whatever the value.
void EncodedStringFromBytesInto(String& out, const Byte* p, size_t count, TEncoding*& encoding, Int32& bomLength,
                                size_t notUtf8Within);

// EncodedStringFromBytes without the mark length. The other forms take the
// bytes of a UTF-8 string, or of a zero-terminated ANSI string up to its
// terminator (nullptr gives '').
String ConvertedStringToUnicode(const TBytes& bytes, TEncoding*& encoding);
String ConvertedStringToUnicode(const RawByteString& utf8, TEncoding*& encoding);
String ConvertedStringToUnicode(const AnsiChar* p, TEncoding*& encoding);

// Decodes all bytes (no mark is looked for or skipped) with the encoding the
// caller gives; '' for no bytes. Bytes that a code page cannot decode make the
// encoding ANSI and are read as ANSI. UTF-8 and UTF-16 are always kept: bytes
// invalid there become U+FFFD. A null encoding is taken as UTF-8 and set.
String FurtherEncodedStringFromBytes(const TBytes& bytes, TEncoding*& encoding);

// All bytes decoded as UTF-8; a byte-order mark, if present, is decoded as a
// character (U+FEFF).
String ConvertedWordXML_UTF8StringToUnicode(const TBytes& bytes);
String ConvertedWordXML_UTF8StringToUnicode(const RawByteString& bytes);

// length bytes at p in the code page, converted whole; '' for a null pointer
// or a length below 1.
String AnsiConvertedToString(Cardinal codePage, const AnsiChar* p, Int32 length);
// A zero-terminated text in the ANSI code page of the locale.
String AnsiConvertedToString(Cardinal lcid, const AnsiChar* p);
// A zero-terminated text in the process ANSI code page.
String AnsiConvertedToString(const AnsiChar* p);

// When the list has an encoding other than UTF-16LE, passes its text through
// that encoding (characters it cannot hold are replaced) and sets the text
// back; answers true. Otherwise answers false and leaves the list alone. The
// code page takes no part.
bool ConvertedStringlistToUnicode(TStrings* list, Cardinal codePage);

// Letters followed by combining marks folded into precomposed characters where
// such exist. Never raises: a text that cannot be folded comes back unchanged.
String EnsurePrecomposed(const String& s);

// Unit start and stop (the unit has no work of its own).
void Unicode_string_conversion_initialization();
void Unicode_string_conversion_Finalization();

}  // namespace sk
