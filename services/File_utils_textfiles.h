// Whole text files: encodings by byte-order mark, reading, writing, converting
// and inserting text, a string list that splits on CR, LF or CR LF, and a
// checksum of a file's bytes.  Every rewrite of a user's file goes through a
// whole-file replacement, so a failure never leaves it half-written.
#pragma once

#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

enum TTextFileType : uint8_t { tf_UTF16LE, tf_UTF16BE, tf_UTF8, tf_Ansi, tf_ASCII };

// A TUTF8Stringlist whose text setter takes CR, LF and CR LF each as one line
// break (and a NUL as the end of the text), and which notes whether the file
// it loaded began with the UTF-8 signature.
class TPossiblyDodgyTextStringlist : public TUTF8Stringlist {
 public:
  TPossiblyDodgyTextStringlist() = default;

  using TUTF8Stringlist::LoadFromFile;
  // Raises the file-open error for a file that cannot be opened.
  void LoadFromFile(const String& fileName) override;
  void SetTextStr(const String& text) override;

  bool SignedUTF8 = false;
};

// A file stream that can add up its own bytes.
class TMyCheckSumFileStream : public TFileStream {
 public:
  using TFileStream::TFileStream;
  // The sum of every byte of the file as an unsigned 32-bit number (wrapping);
  // the position is left where it was.  A read that fails raises EReadError
  // rather than giving the sum of part of the file.
  Cardinal CheckSum();
};

// False below 4 bytes; true when the first unit is FEFF or FFFE; otherwise
// true when at least half of the bytes at odd offsets are 0 and at most a
// tenth of those at even offsets (UTF-16 little-endian text of mostly Latin
// letters looks like that).
bool StringIsInUnicode(const Char* p, Int32 byteCount);
// StringIsInUnicode over the whole file; false for an empty file.  Raises the
// file-open error for a file that cannot be opened.
bool TextFileInUnicode(const String& fileName);
// nil when the file does not exist; else UTF-8, UTF-16LE or UTF-16BE by the
// file's byte-order mark, UTF-8 when it has none (whatever its bytes).
TEncoding* GetEncodingOfAFile(const String& fileName);
// The whole file decoded by its mark (EncodedStringFromBytes), with the
// encoding and the mark's length; "" (nil, 0) when it cannot be read.
String GetTextOfAFile(const String& fileName, TEncoding*& encoding, Int32& preambleLength);
// The text through a TUTF8Stringlist, lines joined with CR LF, trimmed of
// blanks and control characters at both ends; "" when the file does not exist.
String TextOfTextFile(const String& fileName);
// The text through a TPossiblyDodgyTextStringlist, each line followed by CR
// LF; "" when the file does not exist.
String TextFileContents(const String& fileName);
// FF FE and the text's UTF-16 units as the whole file; false (and nothing
// written) for an empty text or when the file cannot be written.
bool SavedTextAsStream(const String& text, const String& fileName);
// The text as the only line of a UTF-16LE file with its mark.
bool SaveRecordOfLastfilenameIn(const String& text, const String& fileName);
// A zero-terminated text in the code page, as UTF-16; "" for nil.
String ConvertedFromANSI(const AnsiChar* p, Word codePage);
// Rewrites a file that is not UTF-16LE as UTF-16LE with its mark: bytes behind
// a UTF-8 or UTF-16BE mark, valid UTF-8, or else text in the code page.  Line
// ends are kept and the last-write time stays.  False when the file does not
// exist (or cannot be rewritten).
bool ConvertTextFileToUnicode(const String& fileName, Cardinal codePage);
// Insert text before the character at the 1-based position (before the first
// below 1, after the last beyond the end; a position between the halves of a
// surrogate pair is before that pair), keeping every other byte of the
// file: its mark, its line ends and its encoding (UTF-16 either way, UTF-8,
// or 8-bit text in the process's ANSI code page when the bytes are not
// UTF-8).  With makeBackup the file is first copied to its backup name (see
// CopyFileToBackup); when that copy fails the file is left alone.  False on
// any failure.
// InsertIntoFileA takes 8-bit text in the ANSI code page (put into an 8-bit
// file byte for byte); InsertIntoFileW takes UTF-16.
bool InsertIntoFileA(const String& fileName, const AnsiString& text, bool makeBackup, Cardinal position);
bool InsertIntoFileW(const String& fileName, const String& text, bool makeBackup, Cardinal position);
// The bytes of a text file with text inserted as InsertIntoFileW does
// (ansiText, when given, as InsertIntoFileA does).
TBytes TextFileBytesWithInsertion(const TBytes& file, const String& text, const AnsiString* ansiText,
                                  Cardinal position);
// 0 when the file (or its drive) does not exist; else the sum of its bytes.
Cardinal CheckSumOfAFile(const String& fileName);

}  // namespace sk
