#include "services/Modify_source_texts_basics.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/Basic_processes.h"
#include "core/My_string_functions_splitting.h"
#include "core/UnitCounter.h"
#include "core/Unicode_string_conversion.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"
#include "services/File_utils_textfiles.h"
#include "services/Registry_utils.h"

namespace sk {

namespace {

constinit TUnitCounter Modify_source_texts_basics_counter;

// The whole file, and its stamp from before its first byte was read: a
// source text is written back only while it still stands as it was read.
// Only a regular file is a source text: a FIFO opened to be read would wait
// for a writer.
bool ReadAllBytes(const String& filename, TBytes& bytes, TFileStamp& read) {
  const std::string path = StringToSystemName(filename);
  if (path.empty() || FileSeamAsk(fsoOpen, path) != 0) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  THandleStream stream(fd);
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) {
    read = FileStampOf(st);
    const Int64 size = stream.Size();
    ok = size >= 0 && static_cast<UInt64>(size) <= bytes.max_size();
    if (ok) {
      bytes.resize(static_cast<size_t>(size));
      ok = size == 0 || stream.Read(bytes.data(), size) == size;
    }
  }
  ::close(fd);
  return ok;
}

// What stands at a backup's name: nothing, a usable backup, or something else
// that cannot serve as one.  Only a regular file reached without a link, with
// no other name, that belongs to the process's user (or to the source's
// owner) and is not the source itself counts as the backup already made:
// anything else at the name (a folder, a link, a file of another user planted
// in a shared folder, another name of some other file) holds no copy of this
// source that its user could count on.
enum class BackupState { none, usable, unusable };

BackupState BackupAt(const std::string& backup, const struct stat& source) {
  // O_PATH with O_NOFOLLOW opens a link itself, not what it points to.
  const int fd = ::open(backup.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? BackupState::none : BackupState::unusable;
  struct stat st {};
  const bool own = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
                   (st.st_uid == ::geteuid() || st.st_uid == source.st_uid) &&
                   !(st.st_dev == source.st_dev && st.st_ino == source.st_ino);
  ::close(fd);
  return own ? BackupState::usable : BackupState::unusable;
}

// Makes the backup of a source text unless it exists: the copy appears under
// its name only once it is complete, and never replaces a file.  True only
// when a regular file other than the source is at the backup's name
// afterwards: a source already named as its own backup is refused.
bool MakeBackupOnce(const String& filename) {
  const std::string source = StringToSystemName(filename);
  struct stat src {};
  if (source.empty() || ::stat(source.c_str(), &src) != 0 || !S_ISREG(src.st_mode)) return false;
  const String backup = SourceTextBackupName(filename);
  const std::string backupPath = StringToSystemName(backup);
  switch (BackupAt(backupPath, src)) {
    case BackupState::usable: return true;
    case BackupState::unusable: return false;
    case BackupState::none: break;
  }
  TBytes bytes;
  TFileStamp read;
  if (!ReadAllBytes(filename, bytes, read)) return false;
  // The backup is as private, and as shared, as its source: its mode, group,
  // ACL and attributes; made by a privileged process, it is the source's
  // owner's, whose own edits must go on finding it theirs.
  const int held = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (held < 0) return false;
  const TFilePermissions like{static_cast<Cardinal>(src.st_mode & 07777), static_cast<Cardinal>(src.st_gid), held,
                              true};
  const Int32 r = CreateFileWithContent(backup, bytes.data(), bytes.size(), &like);
  ::close(held);
  if (r == 0) return true;
  // Another process may have made it meanwhile; it counts only as a backup.
  return r == EEXIST && BackupAt(backupPath, src) == BackupState::usable;
}

// How a text file's characters are stored.
enum class TextForm { utf16le, utf16be, utf8, single_byte, multi_byte };

// A text file decoded as far as a range of its UTF-16 units needs: the
// units from base on (up to the range's end, or the whole text of an 8-bit
// file in a multi-byte code page) and, for each, the byte offset of its
// character (both units of a surrogate pair share it). Only the range is kept,
// so that a change of a few characters of a large file holds little more than
// the file's bytes.
struct DecodedText {
  TextForm form = TextForm::utf8;
  size_t bomLength = 0;
  size_t base = 0;        // the unit index of text[0]
  size_t totalUnits = 0;  // units of the file up to the range's end at most
  String text;
  std::vector<size_t> offsets;
};

// The code point of the UTF-8 sequence at b[i] and its length in bytes; a
// byte that begins no whole sequence is one U+FFFD.
Cardinal Utf8At(const TBytes& b, size_t i, size_t& len) {
  const Byte c = b[i];
  len = 1;
  Cardinal cp = c;
  if (c >= 0xF0) len = 4, cp = c & 0x07;
  else if (c >= 0xE0) len = 3, cp = c & 0x0F;
  else if (c >= 0xC0) len = 2, cp = c & 0x1F;
  else if (c >= 0x80) len = 1, cp = 0xFFFD;
  if (i + len > b.size()) len = 1, cp = 0xFFFD;
  for (size_t k = 1; k < len; ++k) {
    if ((b[i + k] & 0xC0) != 0x80) {
      len = 1;
      return 0xFFFD;
    }
    cp = cp << 6 | (b[i + k] & 0x3F);
  }
  return cp;
}

// The units [from, to) of a UTF-8 text whose first byte is b[start]; walks
// only as far as to.
void DecodeUtf8(const TBytes& b, size_t start, size_t from, size_t to, DecodedText& d) {
  TTimedYield yield;
  size_t u = 0;
  auto keep = [&](Char c, size_t at) {
    if (u >= from && u < to) {
      d.text += c;
      d.offsets.push_back(at);
    }
    ++u;
  };
  for (size_t i = start; i < b.size() && u < to;) {
    yield.Tick();
    size_t len = 1;
    const Cardinal cp = Utf8At(b, i, len);
    if (cp >= 0x10000) {
      keep(static_cast<Char>(0xD800 + ((cp - 0x10000) >> 10)), i);
      keep(static_cast<Char>(0xDC00 + ((cp - 0x10000) & 0x3FF)), i);
    } else {
      keep(static_cast<Char>(cp), i);
    }
    i += len;
  }
  d.totalUnits = u;
}

TextForm FormOf(const TBytes& b, size_t& bomLength) {
  bomLength = 0;
  if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
    bomLength = 2;
    return TextForm::utf16le;
  }
  if (b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
    bomLength = 2;
    return TextForm::utf16be;
  }
  if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
    bomLength = 3;
    return TextForm::utf8;
  }
  if (IsUTF8Valid(b)) return TextForm::utf8;
  return TEncoding::ANSI()->IsSingleByte() ? TextForm::single_byte : TextForm::multi_byte;
}

// The byte offset of each UTF-16 unit of a text decoded from bytes in the
// ANSI code page, up to the first count units at least, found by decoding the
// bytes of one character at a time; empty when the characters cannot be
// matched to the bytes one by one (a stateful code page, or bytes that decode
// to nothing or to several characters at once).
std::vector<size_t> MultiByteOffsets(const TBytes& b, const String& text, size_t count) {
  TEncoding* ansi = TEncoding::ANSI();
  std::vector<size_t> offsets;
  offsets.reserve(text.size());
  size_t at = 0;
  for (size_t i = 0; i < text.size() && i < count;) {
    const size_t units = i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 &&
                                 text[i + 1] <= 0xDFFF
                             ? 2
                             : 1;
    size_t len = 0;
    if (at < b.size() && b[at] < 0x80 && units == 1 && text[i] == b[at]) {
      len = 1;
    } else {
      for (size_t k = 1; k <= 4 && at + k <= b.size() && len == 0; ++k)
        if (ansi->GetString(b.data() + at, k) == text.substr(i, units)) len = k;
    }
    if (len == 0) return {};
    for (size_t u = 0; u < units; ++u) offsets.push_back(at);
    at += len;
    i += units;
  }
  if (offsets.size() == text.size() && at != b.size()) return {};
  return offsets;
}

// The file decoded for the units [from, to) (see DecodedText).
DecodedText Decode(const TBytes& b, size_t from, size_t to) {
  DecodedText d;
  d.form = FormOf(b, d.bomLength);
  if (d.form == TextForm::single_byte) {
    // One byte, one unit, in a single-byte code page: only the range is read.
    const size_t end = std::min(to, b.size());
    d.base = std::min(from, end);
    d.text = TEncoding::ANSI()->GetString(b.data() + d.base, end - d.base);
    if (d.text.size() == end - d.base) {
      d.totalUnits = b.size();
      for (size_t i = d.base; i < end; ++i) d.offsets.push_back(i);
      return d;
    }
    d.form = TextForm::multi_byte;
    d.base = 0;
  }
  switch (d.form) {
    case TextForm::utf16le:
    case TextForm::utf16be: {
      d.totalUnits = (b.size() - d.bomLength) / 2;
      d.base = std::min(from, d.totalUnits);
      for (size_t u = d.base; u < std::min(to, d.totalUnits); ++u) {
        const size_t i = d.bomLength + 2 * u;
        d.text += static_cast<Char>(d.form == TextForm::utf16le ? b[i] | b[i + 1] << 8 : b[i] << 8 | b[i + 1]);
        d.offsets.push_back(i);
      }
      break;
    }
    case TextForm::utf8:
      d.base = from;
      DecodeUtf8(b, d.bomLength, from, to, d);
      d.base = std::min(from, d.totalUnits);
      break;
    case TextForm::single_byte:
    case TextForm::multi_byte:
      // The characters are matched to their bytes later, as far as needed.
      d.text = TEncoding::ANSI()->GetString(b);
      d.totalUnits = d.text.size();
      break;
  }
  return d;
}

TBytes Utf8Of(Char c) {
  if (c >= 0xD800 && c <= 0xDFFF) c = u'?';  // half a pair cannot stand alone
  const std::string s = StringToUtf8(String(1, c));
  return TBytes(s.begin(), s.end());
}

// The file's bytes with the blanks at the given text positions replaced by ch,
// every other byte as it was; false when that cannot be done (an 8-bit text
// whose characters cannot be told apart byte by byte, or a ch the code page
// cannot hold without changing what the other bytes read as).
bool WithBlanksReplaced(TBytes& b, const DecodedText& d, const std::vector<size_t>& positions, Char ch,
                        TBytes& r) {
  r.clear();
  const TBytes c8 = d.form == TextForm::utf8 ? Utf8Of(ch) : TBytes{};
  switch (d.form) {
    case TextForm::utf16le:
    case TextForm::utf16be:
      // Changed in place: the file's bytes become the result.
      r = std::move(b);
      for (size_t p : positions) {
        const size_t o = d.offsets[p - d.base];
        r[o] = static_cast<Byte>(d.form == TextForm::utf16le ? ch & 0xFF : ch >> 8);
        r[o + 1] = static_cast<Byte>(d.form == TextForm::utf16le ? ch >> 8 : ch & 0xFF);
      }
      return true;
    case TextForm::single_byte: {
      r = std::move(b);
      const TBytes c = TEncoding::ANSI()->GetBytes(String(1, ch));
      for (size_t p : positions) r[d.offsets[p - d.base]] = c.empty() ? Byte{'?'} : c[0];
      return true;
    }
    case TextForm::utf8:
      if (c8.size() == 1) {
        // A blank is one byte in UTF-8: one byte for one, in place.
        r = std::move(b);
        for (size_t p : positions) r[d.offsets[p - d.base]] = c8[0];
        return true;
      }
      [[fallthrough]];
    case TextForm::multi_byte: {
      // Each blank's bytes give way to ch's bytes; the bytes between them are
      // copied as they are.
      const bool utf8 = d.form == TextForm::utf8;
      // An 8-bit text's characters are found only as far as the last blank.
      if (positions.empty()) {
        r = b;
        return true;
      }
      std::vector<size_t> found;
      if (!utf8) {
        found = MultiByteOffsets(b, d.text, positions.back() + 2);
        if (found.size() < std::min(positions.back() + 2, d.text.size())) return false;
      }
      const std::vector<size_t>& offsets = utf8 ? d.offsets : found;
      const size_t base = utf8 ? d.base : 0;
      const TBytes c = utf8 ? c8 : TEncoding::ANSI()->GetBytes(String(1, ch));
      if (c.empty()) return false;
      size_t from = 0;
      for (size_t p : positions) {
        const size_t o = offsets[p - base];
        const size_t end = p - base + 1 < offsets.size() ? offsets[p - base + 1] : b.size();
        r.insert(r.end(), b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(o));
        r.insert(r.end(), c.begin(), c.end());
        from = utf8 ? o + 1 : end;
      }
      r.insert(r.end(), b.begin() + static_cast<std::ptrdiff_t>(from), b.end());
      if (utf8) return true;
      // The new bytes must read as the text with only those blanks changed:
      // else ch's bytes would join with their neighbours into other characters.
      String want = d.text;
      for (size_t p : positions) want[p] = ch;
      return TEncoding::ANSI()->GetString(r) == want;
    }
  }
  return false;
}

// The number of lines a text holds, as a string list splits it (CR LF, LF or
// CR end a line; a final break adds no empty line).
Int32 LineCount(const String& text) {
  Int32 n = 0;
  size_t i = 0;
  while (i < text.size()) {
    const Char c = text[i++];
    if (c == u'\r') {
      if (i < text.size() && text[i] == u'\n') ++i;
      ++n;
    } else if (c == u'\n') {
      ++n;
    } else if (i == text.size()) {
      ++n;
    }
  }
  return n;
}

bool EndsWithLineBreak(const String& text) {
  return !text.empty() && (text.back() == u'\n' || text.back() == u'\r');
}

bool WriteAllAt(int fd, const TBytes& bytes, off_t at) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, at + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Opens the log and holds an exclusive lock on it; -1 when it cannot.
int OpenLockedLog(const std::string& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    int r;
    do r = ::flock(fd, LOCK_EX);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
      ::close(fd);
      return -1;
    }
    // Another process may have replaced the file meanwhile: the lock counts
    // only when it is on the file the name now stands for.
    struct stat byFd {}, byName {};
    if (::fstat(fd, &byFd) == 0 && ::stat(path.c_str(), &byName) == 0 && byFd.st_dev == byName.st_dev &&
        byFd.st_ino == byName.st_ino)
      return fd;
    ::close(fd);
  }
  return -1;
}

// Reads the whole of the open log; false when a read fails.
bool ReadWholeLog(int fd, TBytes& bytes) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < bytes.size()) {
    if (FileSeamAsk(fsoRead) != 0) return false;
    const ssize_t r = ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return false;
    if (r == 0) break;  // the file ended sooner than its size said
    got += static_cast<size_t>(r);
  }
  bytes.resize(got);
  return true;
}

// The file's bytes with the marker put in before its byte at the 1-based
// position bytePos (counted after a byte-order mark; before the first byte
// below 1, at the end beyond it; never inside a character: before the
// character that holds that byte), the marker encoded as the file is (UTF-8,
// UTF-16 either way, or 8-bit text in the code page of lcid). False when an
// 8-bit file's code page cannot hold the marker or its characters cannot be
// told apart byte by byte.
bool WithMarkerBeforeByte(const TBytes& b, const String& marker, size_t bytePos, Cardinal lcid, TBytes& out) {
  size_t bom = 0;
  const TextForm form = FormOf(b, bom);
  size_t at = std::min(b.size(), bom + (bytePos <= 1 ? 0 : bytePos - 1));
  TBytes m;
  switch (form) {
    case TextForm::utf8: {
      while (at > bom && at < b.size() && (b[at] & 0xC0) == 0x80) --at;
      const std::string u = StringToUtf8(marker);
      m.assign(u.begin(), u.end());
      break;
    }
    case TextForm::utf16le:
    case TextForm::utf16be: {
      const bool le = form == TextForm::utf16le;
      at = std::min(bom + ((at - bom) & ~static_cast<size_t>(1)), bom + (b.size() - bom) / 2 * 2);
      auto unit = [&](size_t i) { return static_cast<Char>(le ? b[i] | b[i + 1] << 8 : b[i] << 8 | b[i + 1]); };
      if (at >= bom + 2 && at + 1 < b.size() && unit(at - 2) >= 0xD800 && unit(at - 2) <= 0xDBFF &&
          unit(at) >= 0xDC00 && unit(at) <= 0xDFFF)
        at -= 2;
      for (Char c : marker) {
        m.push_back(static_cast<Byte>(le ? c & 0xFF : c >> 8));
        m.push_back(static_cast<Byte>(le ? c >> 8 : c & 0xFF));
      }
      break;
    }
    case TextForm::single_byte:
    case TextForm::multi_byte: {
      const AnsiString a = ConvertedFromStringForLCID(lcid, marker.c_str());
      if (CodePageToUnicode(LCIDToCodePage(lcid), a.data(), a.size()) != marker) return false;
      m.assign(a.begin(), a.end());
      if (form == TextForm::multi_byte && at > 0 && at < b.size()) {
        // The start of the character that holds the byte.
        const String text = TEncoding::ANSI()->GetString(b);
        const std::vector<size_t> offsets = MultiByteOffsets(b, text, text.size());
        if (offsets.size() != text.size()) return false;
        const auto p = std::upper_bound(offsets.begin(), offsets.end(), at);
        at = p == offsets.begin() ? 0 : *(p - 1);
      }
      break;
    }
  }
  out.clear();
  out.reserve(b.size() + m.size());
  out.insert(out.end(), b.begin(), b.begin() + static_cast<std::ptrdiff_t>(at));
  out.insert(out.end(), m.begin(), m.end());
  out.insert(out.end(), b.begin() + static_cast<std::ptrdiff_t>(at), b.end());
  return true;
}

TBytes EncodedAs(const String& s, TEncoding* enc) {
  if (enc == nullptr) enc = TEncoding::Unicode();
  return enc->GetBytes(s);
}

}  // namespace

String NowAsInteger() { return ThenAsInteger(Now()); }

String ThenAsInteger(TDateTime dt) { return FormatDateTime(u"yyyymmddhhnn", dt); }

TDateTime IntegerStrToDayAndTime(const String& s) {
  if (s.size() != 12 || s.find(u' ') != String::npos) return Now();
  const Int32 year = StrToIntDef(s.substr(0, 4), 2006);
  const Int32 month = StrToIntDef(s.substr(4, 2), 1);
  const Int32 day = StrToIntDef(s.substr(6, 2), 1);
  const Int32 hour = StrToIntDef(s.substr(8, 2), 1);
  const Int32 minute = StrToIntDef(s.substr(10, 2), 1);
  TDateTime r = 0;
  if (year < 1 || year > 9999 || month < 0 || day < 0 || hour < 0 || minute < 0 ||
      !TryEncodeDateTime(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day),
                         static_cast<Word>(hour), static_cast<Word>(minute), 0, 0, r))
    return Now();
  return r;
}

TModifySourceTexts StringToModification(const String& s) {
  for (int k = 0; k < TModifySourceTexts_Count; ++k)
    if (s == modification_effected[static_cast<TModifySourceTexts>(k)]) return static_cast<TModifySourceTexts>(k);
  return mst_none;
}

String LogParameters(const String& text, const String& separator, Int32 n) {
  if (n < 1 || separator.empty()) return n == 1 && separator.empty() ? text : String();
  size_t from = 0;
  for (Int32 field = 1;; ++field) {
    const size_t p = text.find(separator, from);
    if (field == n) return text.substr(from, p == String::npos ? String::npos : p - from);
    if (p == String::npos) return String();
    from = p + separator.size();
  }
}

String WithStartAndCloseMarkers(const String& s) {
  String r = s;
  if (r.empty() || r.front() != u'<') r = u"<ut_" + r;
  if (r.back() != u'>') r += u"/>";
  return r;
}

String SourceTextBackupName(const String& filename) { return ChangeFileExt(filename, source_text_backup_ext); }

bool EnsureBackup(const String& filename, TUTF8Stringlist& done) {
  if (filename.empty()) return false;
  if (done.IndexOf(filename) >= 0) return true;
  if (!MakeBackupOnce(filename)) return false;
  done.Add(filename);
  return true;
}

Int32 InsertedIntoSourceText(const String& filename, String& text, Int32 bytePos, Cardinal lcid, bool isUnicode) {
  text = WithStartAndCloseMarkers(text);
  if (bytePos < 0) return 0;
  if (isUnicode) {
    // A file the save would refuse gets no backup either.
    if (ReplaceRefusal(filename) != 0 || !MakeBackupOnce(filename)) return 0;
    return InsertIntoFileW(filename, text, false, static_cast<Cardinal>(bytePos / 2)) ? static_cast<Int32>(text.size())
                                                                                      : 0;
  }
  TBytes bytes;
  TFileStamp read;
  if (!ReadAllBytes(filename, bytes, read)) return 0;
  TBytes out;
  if (!WithMarkerBeforeByte(bytes, text, static_cast<size_t>(bytePos), lcid, out)) return 0;
  bytes = TBytes();
  if (ReplaceRefusal(filename) != 0 || !MakeBackupOnce(filename)) return 0;
  return ReplaceFileContent(filename, out, read) ? static_cast<Int32>(text.size()) : 0;
}

String AlterFileW(const String& filename, Char ch, Int32 start, Int32 len) {
  TBytes bytes;
  TFileStamp read;
  if (!ReadAllBytes(filename, bytes, read))
    throw EFOpenError(Format(u"Cannot open file \"%s\". %s", {filename, u"The file cannot be read"}));
  const Int64 first = std::max<Int64>(start, 1);
  const Int64 wantedLast = static_cast<Int64>(start) + len - 1;
  if (first > wantedLast) return String();
  // Only the range is decoded (with the unit after it, which tells a pair's
  // halves apart).
  DecodedText d = Decode(bytes, static_cast<size_t>(first - 1), static_cast<size_t>(wantedLast) + 1);
  const Int64 last = std::min<Int64>(wantedLast, static_cast<Int64>(d.totalUnits));
  if (first > last) return String();
  const String answer =
      d.text.substr(static_cast<size_t>(first - 1) - d.base, static_cast<size_t>(last - first + 1));

  std::vector<size_t> blanks;
  bool inTag = false;
  for (Int64 p = first; p <= last; ++p) {
    const Char c = d.text[static_cast<size_t>(p - 1) - d.base];
    if (c == u'<') inTag = true;
    else if (c == u'>') inTag = false;
    else if (c == u' ' && !inTag) blanks.push_back(static_cast<size_t>(p - 1));
  }
  if (blanks.empty() || ch == u' ') return answer;
  TBytes altered;
  if (!WithBlanksReplaced(bytes, d, blanks, ch, altered))
    throw EFCreateError(Format(u"Cannot create file \"%s\". %s",
                               {filename, u"The blanks cannot be changed without changing other characters"}));
  // A file the save would refuse gets no backup either.
  if (ReplaceRefusal(filename) != 0)
    throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {filename, u"The file cannot be written"}));
  if (!MakeBackupOnce(filename))
    throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {SourceTextBackupName(filename), u"The backup cannot be made"}));
  if (!ReplaceFileContent(filename, altered, read))
    throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {filename, u"The file cannot be written"}));
  return answer;
}

AnsiString AlterFileA(const String& filename, AnsiChar ch, Int32 start, Int32 len) {
  TEncoding* ansi = TEncoding::ANSI();
  const Byte b = static_cast<Byte>(ch);
  const String wide = ansi->GetString(&b, 1);
  const String answer = AlterFileW(filename, wide.empty() ? u'?' : wide[0], start, len);
  const TBytes out = ansi->GetBytes(answer);
  return AnsiString(out.begin(), out.end());
}

String LogDateReference(const String& s1, const String& s2, const String& s3, const String& s4, const String& s5,
                        Int32 n, TModifySourceTexts kind) {
  const String logName = modify_source_texts_logfullfilename;
  int fd = -1;
  off_t end = 0;
  TBytes old;
  if (!logName.empty()) {
    // The marker's number comes from the log's lines: a log that cannot be
    // opened or read whole would hand out a number already in it.
    fd = OpenLockedLog(StringToSystemName(logName));
    if (fd < 0 || !ReadWholeLog(fd, old)) {
      if (fd >= 0) ::close(fd);
      return String();
    }
    end = static_cast<off_t>(old.size());
  }
  TEncoding* enc = nullptr;
  Int32 bomLength = 0;
  const String existing = old.empty() ? String() : EncodedStringFromBytes(old, enc, bomLength);
  const Int32 k = LineCount(existing) + 1;

  String marker;
  String user;
  if (!s3.empty()) {
    marker = WithStartAndCloseMarkers(s3 + IntToStr(k));
    user = s3;
  } else {
    marker = WithStartAndCloseMarkers(u"_" + IntToStr(k));
    user = Registry_Current_User();
  }
  String line = user + u'\t' + s4 + u'\t' + s2 + u'\t' + marker + u'\t' + modification_effected[kind] + u'\t' +
                IntToStr(n) + u'\t';
  if (kind == mst_set) line += u"\t\t" + WithStartAndCloseMarkers(s1);
  else if (kind == mst_search_word) line += s1 + u'\t' + s5 + u'\t';
  line += u"\t\r\n";

  if (fd >= 0) {
    TBytes add;
    if (end == 0) {
      // A new log: UTF-16LE with its mark.
      enc = TEncoding::Unicode();
      add = enc->GetPreamble();
    } else if (!EndsWithLineBreak(existing)) {
      line = u"\r\n" + line;
    }
    // A log made elsewhere in UTF-8 or an 8-bit code page has no form for a
    // byte of a name that is not UTF-8 (held as U+DC00 + byte, a lone
    // surrogate, which UTF-8 alone of the Unicode forms cannot hold):
    // written, two such names would read as one, so the line is refused and
    // no marker answered.
    bool lossy = false;
    if (enc != nullptr && enc->CodePage() != CP_UTF16LE && enc->CodePage() != CP_UTF16BE)
      UnicodeToCodePage(CP_UTF8, line, &lossy);
    if (lossy) {
      ::close(fd);  // also releases the lock
      return String();
    }
    const TBytes body = EncodedAs(line, enc);
    add.insert(add.end(), body.begin(), body.end());
    // One append after what is there; a write cut short is taken back, so the
    // log never keeps half a line.
    if (!WriteAllAt(fd, add, end)) {
      int r;
      do r = ::ftruncate(fd, end);
      while (r != 0 && errno == EINTR);
      ::close(fd);  // also releases the lock
      return String();  // a marker not in the log would be handed out again
    }
    ::close(fd);  // also releases the lock
  }
  return marker;
}

void Modify_source_texts_basics_initialization() { Modify_source_texts_basics_counter.Initialization(); }

void Modify_source_texts_basics_Finalization() {
  if (Modify_source_texts_basics_counter.Finalization()) String().swap(modify_source_texts_logfullfilename);
}

}  // namespace sk
