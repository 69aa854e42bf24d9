#include "services/My_filestreamu.h"

#include <cstring>

#include "core/Generalruntime1const.h"
#include "core/UnitCounter.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/ZipReader.h"
#include "services/User_and_system_utils.h"

namespace sk {

namespace {

[[noreturn]] void RaiseFileReadError(Int32 count, const char16_t* where) {
  throw Exception(Format(LoadResString(&_QMFileReadError), {count, where}));
}

size_t WideLength(const Char* p) {
  if (p == nullptr) return 0;
  size_t n = 0;
  while (p[n] != 0) ++n;
  return n;
}

// A new text of count units read from the stream (count checked by the caller).
TOwnedPWideChar ReadUnits(TStream* stream, Int32 count) {
  String s(static_cast<size_t>(count), u'\0');
  stream->ReadBuffer(s.data(), static_cast<Int64>(count) * 2);
  return TOwnedPWideChar(s);
}

// Writes bytes and answers whether all of them went.
bool WriteAllOf(TStream* stream, const void* p, Int64 n) { return n == 0 || stream->Write(p, n) == n; }

// Extracts one member (numbered from 0) into the current folder under the
// last element of its name; nothing when that would replace a file. The
// member's stated size is charged to the read's budget before anything is
// inflated (the reader stops at that size), so EZipException refuses a
// member that would take the read past its bounds.
void ExtractMemberToCurrentFolder(TZipFile& zip, Int32 index, TZipInflateBudget& budget) {
  const String name = ExtractFileName(zip.FileName(index));
  if (name.empty() || name == u"." || name == u"..") return;  // a folder entry, or no name
  const String target = IncludeTrailingPathDelimiter(GetCurrentDir()) + name;
  const Int64 stated = zip.FileInfo(index).UncompressedSize;
  if (stated < 0) throw EZipException(u"The archive inflates to more than may be read from one file");
  budget.Spend(static_cast<size_t>(stated));
  TBytes bytes;
  zip.Read(index, bytes);
  if (CreateFileWithContent(target, bytes.data(), bytes.size()) != 0) return;  // taken, or not writable
}

}  // namespace

TOwnedPWideChar ReadUnknownLengthPointer(TStream* stream) { return ReadUnknownLengthPointerMaxSize(stream, 50000); }

TOwnedPWideChar ReadUnknownLengthPointerMaxSize(TStream* stream, Int32 maximum) {
  temp_pointer_chars_allocated = stream->ReadValue<Int32>();
  const Int32 count = temp_pointer_chars_allocated;
  if (count < 0 || count > maximum) RaiseFileReadError(count, u"ReadUnknownLengthPointer");
  if (count < 1) return TOwnedPWideChar(String());
  if (static_cast<Int64>(count) * 2 > stream->Remaining()) throw EReadError(u"Stream read error");
  return ReadUnits(stream, count);
}

bool WriteUnknownLengthPointer(TStream* stream, const Char* p) {
  return WriteKnownLengthPointer(stream, p, static_cast<Int32>(WideLength(p)));
}

bool WriteKnownLengthPointer(TStream* stream, const Char* p, Int32 count) {
  if (stream == nullptr) return false;
  const Int32 stored = count;  // written little-endian on every host we build for
  if (!WriteAllOf(stream, &stored, 4)) return false;
  if (count >= 1) {
    if (p == nullptr) return false;
    return WriteAllOf(stream, p, static_cast<Int64>(count) * 2);
  }
  return true;
}

void StreamWritePchar(TStream* stream, const Char* p) {
  const size_t n = WideLength(p);
  stream->WriteValue<Int32>(static_cast<Int32>(n));
  if (n > 0) stream->WriteBuffer(p, static_cast<Int64>(n) * 2);
}

TOwnedPWideChar StreamReadPchar(TStream* stream) {
  const Int32 count = stream->ReadValue<Int32>();
  if (count < 0 || static_cast<Int64>(count) * 2 > stream->Remaining()) RaiseFileReadError(count, u"StreamReadPchar");
  return ReadUnits(stream, count);
}

bool StreamWritePAnsichar(TStream* stream, const AnsiChar* p) {
  if (stream == nullptr) return false;
  const size_t n = p == nullptr ? 0 : std::strlen(p);
  if (n > 65535) return false;
  stream->WriteValue<Word>(static_cast<Word>(n));
  if (n > 0) stream->WriteBuffer(p, static_cast<Int64>(n));
  return true;
}

std::unique_ptr<AnsiChar[]> StreamReadPAnsichar(TStream* stream) {
  const Word count = stream->ReadValue<Word>();
  if (static_cast<Int64>(count) > stream->Remaining()) throw EReadError(u"Stream read error");
  auto r = std::make_unique<AnsiChar[]>(static_cast<size_t>(count) + 1);
  if (count > 0) stream->ReadBuffer(r.get(), count);
  r[count] = '\0';
  return r;
}

String ContentsOfFileWithinZipFile(const String& zipFileName, Int32 memberNumber) {
  try {
    TZipFile zip;
    zip.Open(zipFileName, zmRead);
    TZipInflateBudget budget(zip.ArchiveSize());
    if (memberNumber >= 1 && memberNumber <= zip.FileCount())
      ExtractMemberToCurrentFolder(zip, memberNumber - 1, budget);
  } catch (const std::exception&) {
    // A missing or damaged archive gives nothing, as every call does.
  }
  return String();
}

String ContentsOfFileWithinZipFile(const String& /*zipFileName*/) { return String(); }

String OpenedAZipFileToTempDir(const String& zipFileName, Int32 memberNumber) {
  const String result = IncludeTrailingPathDelimiter(GetLocalAppRoamingQMarkFolder()) + u"tempzip.txt";
  try {
    TZipFile zip;
    zip.Open(zipFileName, zmRead);
    TZipInflateBudget budget(zip.ArchiveSize());
    if (memberNumber >= 1 && memberNumber <= zip.FileCount()) {
      // A member refused (past the bounds, or damaged) leaves no mark file.
      ExtractMemberToCurrentFolder(zip, memberNumber - 1, budget);
      static const Byte mark[2] = {0xFF, 0xFE};
      ReplaceFileContent(result, mark, sizeof mark);
    }
  } catch (const std::exception&) {
  }
  return result;
}

SK_COUNTER_ONLY_UNIT(My_filestreamu)

}  // namespace sk
