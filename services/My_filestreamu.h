// Zero-terminated strings in streams, and two routines that take one member
// out of a zip archive.
//
// Wide strings: an Int32 count of UTF-16 units, then the units, no terminator
// (the layout of the stored string).  8-bit strings: a UInt16 count of bytes,
// then the bytes.  All little-endian.  The readers check each count against
// their limit and against the bytes the stream still holds before they
// allocate anything.
#pragma once

#include <memory>

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

// The count read by the last ReadUnknownLengthPointerMaxSize.
inline constinit Int32 temp_pointer_chars_allocated = 0;

// ReadUnknownLengthPointerMaxSize with a maximum of 50000.
TOwnedPWideChar ReadUnknownLengthPointer(TStream* stream);
// A new zero-terminated text of the stored count of units.  A count below 0
// or above maximum raises Exception "file read error (<count>) :
// ReadUnknownLengthPointer"; a count beyond the stream's bytes raises
// EReadError; a missing count raises EReadError.
TOwnedPWideChar ReadUnknownLengthPointerMaxSize(TStream* stream, Int32 maximum);
// WriteKnownLengthPointer with p's length (0 for nil).
bool WriteUnknownLengthPointer(TStream* stream, const Char* p);
// The count, then (for a count of at least 1) count units from p; true when
// every byte asked for was written.
bool WriteKnownLengthPointer(TStream* stream, const Char* p, Int32 count);
// The length and the units of p (nil counts as empty); a short write raises
// EWriteError.
void StreamWritePchar(TStream* stream, const Char* p);
// A new text of the stored count of units.  A negative count, or one beyond
// the bytes the stream holds, raises Exception "file read error (<count>) :
// StreamReadPchar" before anything is allocated.
TOwnedPWideChar StreamReadPchar(TStream* stream);
// The length as UInt16, then the bytes of p (nil counts as empty); a text of
// more than 65,535 bytes is refused (false) and nothing is written.
bool StreamWritePAnsichar(TStream* stream, const AnsiChar* p);
// A new zero-terminated 8-bit text of the stored count of bytes; a count
// beyond the bytes the stream holds raises EReadError.
std::unique_ptr<AnsiChar[]> StreamReadPAnsichar(TStream* stream);

// Extracts member number memberNumber (from 1) of the archive into the
// current folder, under the last element of its name and never over an
// existing file; gives "" (tools get nothing from it but the file).
String ContentsOfFileWithinZipFile(const String& zipFileName, Int32 memberNumber);
String ContentsOfFileWithinZipFile(const String& zipFileName);
// "tempzip.txt" in the roaming product folder; when the member number lies
// between 1 and the archive's member count, extracts that member as above and
// writes an empty UTF-16LE file (its mark only) under that name.
String OpenedAZipFileToTempDir(const String& zipFileName, Int32 memberNumber);

void My_filestreamu_initialization();
void My_filestreamu_Finalization();

}  // namespace sk
