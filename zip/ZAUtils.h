// The zip engine's helper routines: the fixed maps between compression modes,
// levels, working buffers and zlib header bytes, CRC-32, the traditional
// encryption of the zip format and the engine's wildcard matchers.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "zip/ZATypes.h"
// The unit's other theme: drives, folders, stored names and file wrappers.
#include "zip/ZAUtils_paths.h"

namespace sk {

// ---------------------------------------------------------------------------
// Compression maps. The archiver's compression mode is 0 to 9; other modes
// take the row "other" (level za_clNone, 1 MiB buffer, no header bytes).

TZACompressionLevel CompressionModeToLevel(Int32 mode);
Int32 CompressionLevelToMode(TZACompressionLevel level);
// The size of the working buffer of a mode in bytes.
Int32 CompressionModeToBufferSize(Int32 mode);
// The two bytes of the zlib stream header for a mode, first byte in the low
// byte (mode 1 gives 0x78 0x01, i.e. 0x0178); 0 for a mode outside 0 to 9.
Word CompressionModeToZLibHeader(Int32 mode);

// ---------------------------------------------------------------------------
// CRC-32 of the zip format. The running value is neither inverted on entry
// nor on exit: a caller starts with 0xFFFFFFFF and inverts the result.

Cardinal ZACRC32Update(Cardinal crc, const void* buffer, Int64 count);
void ZACRC32UpdateVar(Cardinal& crc, const void* buffer, Int64 count);

// ---------------------------------------------------------------------------
// Traditional encryption. Key values are kept to 32 bits after every update.

// Sets the three keys and updates them with every password byte.
void ZipEncryptKeyInit(const AnsiString& password, TZipKey& keys);
// As ZipEncryptKeyInit, then decrypts the 12 header bytes in place.
void ZipKeyInit(const AnsiString& password, TZipKey& keys, TZipKeyHeader& header);
// The byte encrypted; the keys are updated with the plain byte.
Byte ZipEncryptByte(Byte b, TZipKey& keys);
// Encrypts count bytes of buffer in place from startIndex.
void ZipEncryptBuffer(Int64 count, Int64 startIndex, Byte* buffer, TZipKey& keys);
// Decrypts count bytes in place from the buffer's start.
void ZipDecryptBuffer(Byte* buffer, Int64 count, TZipKey& keys);

// ---------------------------------------------------------------------------
// Wildcard matching: "*" any run of characters, "?" one character. The
// pattern "*.*" matches everything, also names without a dot. A "*" matches
// from the current character up to the last one, so a pattern that still
// holds more than a lone "*" when the text is used up fails ("a" matches
// "a*" but not "a**").

// On 8-bit text: characters compare exactly, or both lowercased (ASCII
// letters) when case is ignored.
bool IsStrMatchPattern(const AnsiString& text, const AnsiString& pattern, bool ignoreCase);
// On UTF-16 text: characters compare with the user locale's comparison, both
// upper-cased when case is ignored.
bool WIsStrMatchPattern(const String& text, const String& pattern, bool ignoreCase);
// Whether two texts are equal as WIsStrMatchPattern compares them with case
// ignored (unit by unit; "*" and "?" are characters like any other).
bool WSameTextIgnoringCase(const String& a, const String& b);
// The text with every occurrence of oldText, found as WSameTextIgnoringCase
// compares, replaced by newText, left to right without overlaps; replaced
// counts them.
String WReplaceTextIgnoringCase(const String& text, const String& oldText, const String& newText, Int32& replaced);

// Unit start and stop (the unit has no work of its own).
void ZAUtils_initialization();
void ZAUtils_Finalization();

}  // namespace sk
