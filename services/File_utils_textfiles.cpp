#include "services/File_utils_textfiles.h"

#include <fcntl.h>
#include <sys/types.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/Basic_processes.h"
#include "core/My_file_extensionsu.h"
#include "core/Unicode_string_conversion.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/LargeBuffers.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"
#include "services/File_utils_dates.h"
#include "services/File_utils_tests.h"

namespace sk {

namespace {

constexpr char16_t kCRLF[] = u"\r\n";

// The whole file; false when it cannot be opened or a read fails (a failed
// read is never taken for the end of the file). When read is given it
// receives the file's stamp from before its first byte was read.
bool ReadWholeFile(const String& fileName, TBytes& bytes, TFileStamp* read = nullptr) {
  try {
    TFileStream f(fileName, fmOpenRead | fmShareDenyNone);
    struct stat st;
    if (read != nullptr) {
      if (::fstat(f.Handle(), &st) != 0) return false;
      *read = FileStampOf(st);
    }
    bytes.clear();
    std::vector<Byte> chunk(1 << 16);
    for (;;) {
      const Int64 n = f.Read(chunk.data(), static_cast<Int64>(chunk.size()));
      if (n <= 0) break;
      bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + n);
    }
    if (f.LastReadError() != 0) {
      bytes.clear();
      return false;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

TBytes Utf16LEBytes(const String& s, bool withMark) {
  TBytes r;
  r.reserve(s.size() * 2 + 2);
  if (withMark) {
    r.push_back(0xFF);
    r.push_back(0xFE);
  }
  for (Char c : s) {
    r.push_back(static_cast<Byte>(c & 0xFF));
    r.push_back(static_cast<Byte>(c >> 8));
  }
  return r;
}

enum class FileText : uint8_t { Utf16LE, Utf16BE, Utf8, EightBit };

// The encoding of a text file's bytes and the length of its mark.
FileText KindOfTextBytes(const TBytes& b, size_t& mark) {
  mark = 0;
  if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
    mark = 2;
    return FileText::Utf16LE;
  }
  if (b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
    mark = 2;
    return FileText::Utf16BE;
  }
  if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
    mark = 3;
    return FileText::Utf8;
  }
  return IsUTF8Valid(b) ? FileText::Utf8 : FileText::EightBit;
}

// The length of the UTF-8 sequence at p (n bytes left) and the UTF-16 units it
// stands for; a byte that starts no valid sequence counts as one unit.
size_t Utf8SequenceAt(const Byte* p, size_t n, size_t& units) {
  units = 1;
  const Byte b = p[0];
  size_t len = b < 0x80 ? 1 : (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3 : (b >= 0xF0 && b <= 0xF4) ? 4 : 0;
  if (len == 0 || len > n) return 1;
  if (!IsUTF8Valid(p, len)) return 1;
  if (len == 4) units = 2;
  return len;
}

}  // namespace

// ---- TPossiblyDodgyTextStringlist --------------------------------------------

void TPossiblyDodgyTextStringlist::LoadFromFile(const String& fileName) {
  // Read whole first: a read that fails raises instead of loading the part
  // before it.
  TMemoryStream f;
  {
    TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
    f.LoadFromStream(&file);
  }
  if (f.Remaining() > 2) {
    Byte head[3] = {0, 0, 0};
    if (f.Read(head, 3) == 3) SignedUTF8 = head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;
  }
  f.SetPosition(0);
  TUTF8Stringlist::LoadFromStream(&f);
}

void TPossiblyDodgyTextStringlist::SetTextStr(const String& text) {
  TUpdateScope scope(*this);
  Clear();
  const size_t n = text.size();
  size_t p = 0;
  if (LineBreak() == kCRLF) {
    while (p < n && text[p] != 0) {
      const size_t start = p;
      while (p < n && text[p] != u'\r' && text[p] != u'\n' && text[p] != 0) ++p;
      Add(text.substr(start, p - start));
      if (p < n && text[p] == u'\r') ++p;
      if (p < n && text[p] == u'\n') ++p;
    }
    return;
  }
  const String& lb = LineBreak();
  while (p < n && text[p] != 0) {
    size_t end = lb.empty() ? String::npos : text.find(lb, p);
    const size_t nul = text.find(u'\0', p);
    if (nul != String::npos && (end == String::npos || nul < end)) {
      Add(text.substr(p, nul - p));
      return;
    }
    if (end == String::npos) {
      Add(text.substr(p));
      return;
    }
    Add(text.substr(p, end - p));
    p = end + lb.size();
  }
}

// ---- TMyCheckSumFileStream -----------------------------------------------------

Cardinal TMyCheckSumFileStream::CheckSum() {
  const Int64 saved = Position();
  SetPosition(0);
  Cardinal sum = 0;
  std::vector<Byte> chunk(1 << 16);
  for (;;) {
    const Int64 n = Read(chunk.data(), static_cast<Int64>(chunk.size()));
    if (n <= 0) break;
    for (Int64 i = 0; i < n; ++i) sum += chunk[static_cast<size_t>(i)];
  }
  const Int32 error = LastReadError();
  SetPosition(saved);
  // A sum of part of the file would pass for the file's own.
  if (error != 0) throw EReadError(u"Stream read error");
  return sum;
}

// ---- whole files ---------------------------------------------------------------------

bool StringIsInUnicode(const Char* p, Int32 byteCount) {
  if (p == nullptr || byteCount < 4) return false;
  if (p[0] == 0xFEFF || p[0] == 0xFFFE) return true;
  const auto* b = reinterpret_cast<const Byte*>(p);
  Int64 odd = 0, oddZero = 0, even = 0, evenZero = 0;
  for (Int32 i = 0; i < byteCount; ++i) {
    if (i % 2 == 0) {
      ++even;
      if (b[i] == 0) ++evenZero;
    } else {
      ++odd;
      if (b[i] == 0) ++oddZero;
    }
  }
  return oddZero * 2 >= odd && evenZero * 10 <= even;
}

bool TextFileInUnicode(const String& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyNone);
  const Int64 size = f.Size();
  if (size <= 0) return false;
  // Whole units only: a trailing odd byte takes no part.
  std::vector<Char> buf(static_cast<size_t>((size + 1) / 2), 0);
  f.ReadBuffer(buf.data(), size);
  return StringIsInUnicode(buf.data(), static_cast<Int32>(std::min<Int64>(size, INT32_MAX)));
}

TEncoding* GetEncodingOfAFile(const String& fileName) {
  if (!FileExists(fileName)) return nullptr;
  TBytes bytes;
  if (!ReadWholeFile(fileName, bytes)) return nullptr;
  TEncoding* enc = nullptr;
  TEncoding::GetBufferEncoding(bytes, enc, TEncoding::UTF8());
  return enc != nullptr ? enc : TEncoding::UTF8();
}

namespace {

// Reads into [p, p + n) from the open file as far as it goes; false when a
// read fails (a failed read is never taken for the end of the file).
bool ReadUpTo(int handle, Byte* p, size_t n, size_t& got) {
  got = 0;
  while (got < n) {
    if (FileSeamAsk(fsoRead) > 0) return false;
    const ssize_t r = ::read(handle, p + got, n - got);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) break;
    got += static_cast<size_t>(r);
  }
  return true;
}

constexpr size_t kReadPiece = size_t{256} << 10;

// The rest of a regular file decoded in a code page while it is read, after
// its first piece (got bytes at piece, the mark's length among them), so that
// the bytes are never held whole beside the text. True with the text when the
// file holds exactly size bytes; false (text holding no room) when it changed
// size or a read failed (failed set).
bool DecodedInCodePageWhileReading(int handle, size_t size, Byte* piece, size_t got, Int32 mark, TEncoding* in,
                                   String& text, bool& failed) {
  bool done = false;
  {
    TCodePageDecoder decoder(text, in->CodePage(), size - static_cast<size_t>(mark));
    decoder.Add(reinterpret_cast<const char*>(piece) + mark, got - static_cast<size_t>(mark));
    size_t read = got;
    TTimedYield yield;  // a large file takes longer than the host may wait
    while (read < size && got != 0 && !failed) {
      yield.Tick(got);
      failed = !ReadUpTo(handle, piece, std::min(size - read, kReadPiece), got);
      decoder.Add(reinterpret_cast<const char*>(piece), got);
      read += got;
    }
    // One byte more means the file grew: it is read again whole.
    Byte more = 0;
    size_t extra = 0;
    if (!failed && read == size && !ReadUpTo(handle, &more, 1, extra)) failed = true;
    done = decoder.Ok() && !failed && read == size && extra == 0 && decoder.Finish();
  }
  if (!done) String().swap(text);
  return done;
}

// A regular file decoded while it is read, piece by piece through a buffer
// that stays in the processor's cache, so the whole file is never held as
// bytes beside its text: UTF-8 (with or without the mark; behind the mark,
// bytes that are not UTF-8 become U+FFFD as they do when the bytes are
// decoded whole), UTF-16 behind its mark, and a file without a mark whose
// first piece shows a byte that is not UTF-8 in the ANSI code page. True
// with the text when the file holds exactly size bytes; false when anything
// else is met (a byte that is not UTF-8 after the first piece of a file
// without a mark, a file that changed size), and the caller then reads and
// decodes the file whole. Then text holds no room, and notUtf8Within tells
// how far the file's bytes were read before a byte that is not UTF-8 was
// met (size when none was). failed tells a read that failed.
bool DecodedWhileReading(int handle, size_t size, String& text, TEncoding*& encoding, Int32& preambleLength,
                         size_t& notUtf8Within, bool& failed) {
  failed = false;
  notUtf8Within = size;
  std::unique_ptr<Byte[]> piece(new Byte[kReadPiece + 4]);
  size_t got = 0;
  if (!ReadUpTo(handle, piece.get(), std::min(size, kReadPiece), got)) {
    failed = true;
    return false;
  }
  TEncoding* found = nullptr;
  const Int32 mark = TEncoding::GetBufferEncoding(piece.get(), got, found, TEncoding::UTF8());
  const char* chars = reinterpret_cast<const char*>(piece.get());
  // A file in a code page nearly always shows a byte that is not UTF-8 in its
  // first piece: then no room is taken for a UTF-8 text at all, and the file
  // is decoded in the ANSI code page as it is read.
  if (mark == 0 && !IsUTF8Valid(piece.get(), got < size ? Utf8WholeSequencesLength(chars, got) : got)) {
    notUtf8Within = got;
    found = TEncoding::ANSI();
    if (found->CodePage() == CP_UTF8) return false;
  }
  if (found->CodePage() != CP_UTF8) {
    if (!DecodedInCodePageWhileReading(handle, size, piece.get(), got, mark, found, text, failed)) return false;
    encoding = found;
    preambleLength = mark;
    return true;
  }
  text.clear();
  text.reserve(size - static_cast<size_t>(mark));
  // The text never outgrows this room (no more units than bytes), so it
  // stays where it is while it is made ready.
  TLargeBufferPreparation ready(text.data(), text.capacity() * sizeof(Char));
  auto giveBack = [&] {
    ready.ReleaseAfter(SIZE_MAX);
    String().swap(text);
  };
  size_t read = got;
  size_t from = static_cast<size_t>(mark);  // where this piece's text begins
  size_t held = got;                        // bytes in the piece buffer
  TTimedYield yield;  // a large file takes longer than the host may wait
  for (;;) {
    yield.Tick(held);
    const bool last = read >= size || got == 0;
    const size_t whole = last ? held : Utf8WholeSequencesLength(chars, held);
    if (whole > from && !AppendUtf8ToString(text, chars + from, whole - from) && mark == 0) {
      notUtf8Within = read;
      giveBack();
      return false;
    }
    if (last) break;
    // The start of a sequence cut by the piece's end waits for the next piece.
    const size_t carried = held - whole;
    std::memmove(piece.get(), piece.get() + whole, carried);
    from = 0;
    if (!ReadUpTo(handle, piece.get() + carried, std::min(size - read, kReadPiece), got)) {
      failed = true;
      giveBack();
      return false;
    }
    read += got;
    held = carried + got;
  }
  // One byte more means the file grew: it is read again whole.
  Byte more = 0;
  size_t extra = 0;
  if (read == size && !ReadUpTo(handle, &more, 1, extra)) failed = true;
  if (read != size || failed || extra != 0) {
    giveBack();
    return false;
  }
  // The room past the text (two thirds of it for CJK text) is given back
  // rather than kept resident.
  ready.ReleaseAfter((text.size() + 1) * sizeof(Char));
  encoding = found;
  preambleLength = mark;
  return true;
}

// The whole file decoded into text. A regular file is decoded while it is
// read where it can be; any other regular file is read with one read into
// room of its size (not zero-filled first, since every byte is overwritten)
// and decoded from there, in one pass, without a second attempt at UTF-8
// where the first met a byte that is not UTF-8. A read error fails the whole read; a file
// that shrank meanwhile gives what it holds, and one that grew is read again
// whole. Anything else (a pipe, a file the system reports as empty) is read
// whole first. False when the file cannot be opened or read.
bool DecodedWholeFile(const String& fileName, String& text, TEncoding*& encoding, Int32& preambleLength) {
  try {
    TFileStream f(fileName, fmOpenRead | fmShareDenyNone);
    struct stat st {};
    if (::fstat(f.Handle(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
      const auto size = static_cast<size_t>(st.st_size);
      bool failed = false;
      size_t notUtf8Within = size;
      if (DecodedWhileReading(f.Handle(), size, text, encoding, preambleLength, notUtf8Within, failed)) return true;
      if (failed || ::lseek(f.Handle(), 0, SEEK_SET) != 0) return false;
      std::unique_ptr<Byte[]> room(new Byte[size]);
      PrepareLargeBuffer(room.get(), size);
      size_t got = 0;
      if (!ReadUpTo(f.Handle(), room.get(), size, got)) return false;
      Byte more = 0;
      size_t extra = 0;
      if (!ReadUpTo(f.Handle(), &more, 1, extra)) return false;
      if (extra == 0) {
        // The bytes are looked at for UTF-8 again only as far as the first
        // look went, so that bytes changed meanwhile are still decoded as
        // they now are.
        EncodedStringFromBytesInto(text, room.get(), got, encoding, preambleLength, notUtf8Within);
        return true;
      }
    }
  } catch (const std::exception&) {
    return false;
  }
  TBytes bytes;
  if (!ReadWholeFile(fileName, bytes)) return false;
  EncodedStringFromBytesInto(text, bytes.data(), bytes.size(), encoding, preambleLength);
  return true;
}

}  // namespace

String GetTextOfAFile(const String& fileName, TEncoding*& encoding, Int32& preambleLength) {
  encoding = nullptr;
  preambleLength = 0;
  String text;
  if (DecodedWholeFile(fileName, text, encoding, preambleLength)) return text;
  encoding = nullptr;
  preambleLength = 0;
  return String();
}

String TextOfTextFile(const String& fileName) {
  if (!FileExists(fileName)) return String();
  try {
    TUTF8Stringlist list;
    TMemoryStream f;
    {
      TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
      f.LoadFromStream(&file);  // raises when a read fails
    }
    list.LoadFromStream(&f);
    list.SetTrailingLineBreak(false);
    return Trim(list.Text());
  } catch (const std::exception&) {
    return String();
  }
}

String TextFileContents(const String& fileName) {
  if (!FileExists(fileName)) return String();
  try {
    TPossiblyDodgyTextStringlist list;
    list.LoadFromFile(fileName);
    return list.Text();
  } catch (const std::exception&) {
    return String();
  }
}

bool SavedTextAsStream(const String& text, const String& fileName) {
  if (text.empty()) return false;
  return ReplaceFileContent(fileName, Utf16LEBytes(text, true));
}

bool SaveRecordOfLastfilenameIn(const String& text, const String& fileName) {
  return ReplaceFileContent(fileName, Utf16LEBytes(text + kCRLF, true));
}

String ConvertedFromANSI(const AnsiChar* p, Word codePage) {
  if (p == nullptr) return String();
  return CodePageToUnicode(codePage, p, std::char_traits<char>::length(p));
}

bool ConvertTextFileToUnicode(const String& fileName, Cardinal codePage) {
  if (!FileExists(fileName)) return false;
  TDateTime age = 0;
  const bool hadAge = FileAge(fileName, age);
  TBytes bytes;
  if (!ReadWholeFile(fileName, bytes)) return false;
  size_t mark = 0;
  const FileText kind = KindOfTextBytes(bytes, mark);
  bool ok = true;
  if (kind != FileText::Utf16LE) {
    const Byte* body = bytes.data() + mark;
    const size_t n = bytes.size() - mark;
    String text;
    switch (kind) {
      case FileText::Utf16BE:
        text = TEncoding::BigEndianUnicode()->GetString(body, n);
        break;
      case FileText::Utf8:
        text = TEncoding::UTF8()->GetString(body, n);
        break;
      default:
        text = CodePageToUnicode(codePage, reinterpret_cast<const char*>(body), n);
        break;
    }
    ok = ReplaceFileContent(fileName, Utf16LEBytes(text, true));
  }
  if (hadAge) SetFileDate(fileName, age);
  return ok;
}

TBytes TextFileBytesWithInsertion(const TBytes& file, const String& text, const AnsiString* ansiText,
                                  Cardinal position) {
  size_t mark = 0;
  const FileText kind = KindOfTextBytes(file, mark);
  const size_t bodySize = file.size() - mark;
  // Characters before the insertion point (a position below 1 means none).
  const size_t before = position <= 1 ? 0 : static_cast<size_t>(position) - 1;
  size_t offset = mark;
  TBytes inserted;
  // The inserted text in the file's own encoding.
  const String wide = ansiText != nullptr ? CodePageToUnicode(GetACP(), *ansiText) : text;
  switch (kind) {
    case FileText::Utf16LE:
    case FileText::Utf16BE: {
      const bool le = kind == FileText::Utf16LE;
      size_t units = std::min(before, bodySize / 2);
      // Never between the halves of a pair: before the character, as in UTF-8.
      auto unitAt = [&](size_t i) {
        const Byte* p = file.data() + mark + 2 * i;
        return static_cast<Char>(le ? p[0] | (p[1] << 8) : (p[0] << 8) | p[1]);
      };
      if (units > 0 && units < bodySize / 2 && unitAt(units - 1) >= 0xD800 && unitAt(units - 1) <= 0xDBFF &&
          unitAt(units) >= 0xDC00 && unitAt(units) <= 0xDFFF)
        --units;
      offset += 2 * units;
      for (Char c : wide) {
        inserted.push_back(static_cast<Byte>(le ? c & 0xFF : c >> 8));
        inserted.push_back(static_cast<Byte>(le ? c >> 8 : c & 0xFF));
      }
      break;
    }
    case FileText::Utf8: {
      size_t units = 0;
      while (offset < file.size() && units < before) {
        size_t u;
        const size_t len = Utf8SequenceAt(file.data() + offset, file.size() - offset, u);
        if (units + u > before) break;  // never between the halves of a pair
        units += u;
        offset += len;
      }
      const std::string utf8 = StringToUtf8(wide);
      inserted.assign(utf8.begin(), utf8.end());
      break;
    }
    case FileText::EightBit: {
      offset += std::min(before, bodySize);
      const RawByteString eight = ansiText != nullptr ? *ansiText : UnicodeToCodePage(GetACP(), wide);
      inserted.assign(eight.begin(), eight.end());
      break;
    }
  }
  TBytes out;
  out.reserve(file.size() + inserted.size());
  out.insert(out.end(), file.begin(), file.begin() + static_cast<std::ptrdiff_t>(offset));
  out.insert(out.end(), inserted.begin(), inserted.end());
  out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(offset), file.end());
  return out;
}

namespace {

bool InsertIntoFile(const String& fileName, const String& text, const AnsiString* ansiText, bool makeBackup,
                    Cardinal position) {
  try {
    // A file the save would refuse gets no backup either.
    if (!FileExists(fileName) || ReplaceRefusal(fileName) != 0) return false;
    if (makeBackup && !CopyFileToBackup(fileName, ChangeFileExt(fileName, QMExts[ext_bak]))) return false;
    TBytes bytes;
    TFileStamp read;
    if (!ReadWholeFile(fileName, bytes, &read)) return false;
    return ReplaceFileContent(fileName, TextFileBytesWithInsertion(bytes, text, ansiText, position), read);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool InsertIntoFileA(const String& fileName, const AnsiString& text, bool makeBackup, Cardinal position) {
  return InsertIntoFile(fileName, String(), &text, makeBackup, position);
}

bool InsertIntoFileW(const String& fileName, const String& text, bool makeBackup, Cardinal position) {
  return InsertIntoFile(fileName, text, nullptr, makeBackup, position);
}

Cardinal CheckSumOfAFile(const String& fileName) {
  if (!DriveAndFileExist(fileName)) return 0;
  TMyCheckSumFileStream f(fileName, fmOpenRead | fmShareDenyNone);
  return f.CheckSum();
}

}  // namespace sk
