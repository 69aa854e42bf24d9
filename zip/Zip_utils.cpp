#include "zip/Zip_utils.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "core/Global_vars.h"
#include "core/My_file_extensionsu.h"
#include "core/Qm_global_vars.h"
#include "core/Qm_specific_consts.h"
#include "core/Unicode_string_conversion.h"
#include "core/UnitCounter.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"
#include "zip/ZAUtils_paths.h"

namespace sk {

namespace {

String ZipExtension() { return String(QMExts[ext_zip]); }

constexpr Int32 kAllEntries = 0x1EF;
constexpr Int64 kHeaderSize = static_cast<Int64>(sizeof(TCheckSignature));

// Closes an archiver on every way out of a scope.
struct TArchiverCloser {
  TZABaseArchiver& arc;
  ~TArchiverCloser() {
    try {
      arc.CloseArchive();
    } catch (...) {
    }
  }
};

struct TZipCloser {
  TZipFile& zip;
  ~TZipCloser() {
    try {
      zip.Close();
    } catch (...) {
    }
  }
};

// Reads the saved-results header from the start of the stream and tests it
// against the running tool's signature.
void TestSavedHeader(TMemoryStream& stream, TBoolFilenameAndCheck& result) {
  if (stream.Size() < 1) return;
  stream.SetPosition(0);
  const Int64 got = stream.Read(&result.check, kHeaderSize);
  result.OK = got == kHeaderSize && result.check.signature == CurrentSignature[global_current_tool];
}

// The 1-based position of the separator after the archive part of a member
// path, or 0 when the path has none.
Int32 ZipSeparatorPosition(const String& path) {
  const String lower = LowerCase(path);
  const size_t a = lower.find(u".zip\\");
  const size_t b = lower.find(u".zip/");
  const size_t first = std::min(a, b);
  if (first != String::npos) return static_cast<Int32>(first) + 5;
  const String& marker = global_current_zip_ext_slash;
  if (!marker.empty()) {
    const size_t m = path.find(marker);
    if (m != String::npos) return static_cast<Int32>(m + marker.size());
  }
  return 0;
}

// True when a member's path would stay inside the folder it is saved to: not
// absolute, no drive, no "." or ".." element, no empty name.
bool IsSafeMemberPath(const String& member) {
  if (member.empty() || member.front() == u'/' || member.front() == u'\\') return false;
  if (member.size() >= 2 && member[1] == u':') return false;
  size_t start = 0;
  bool anyName = false;
  while (start <= member.size()) {
    size_t end = member.find_first_of(u"/\\", start);
    if (end == String::npos) end = member.size();
    const String part = member.substr(start, end - start);
    if (part == u"..") return false;
    if (!part.empty() && part != u".") anyName = true;
    start = end + 1;
  }
  return anyName && member.back() != u'/' && member.back() != u'\\';
}

TObject* LineNumberObject(Int32 n) { return reinterpret_cast<TObject*>(static_cast<intptr_t>(n)); }

// Holds a member's stated size to the bounds of one read of an archive before
// anything of it is inflated: reading it whole would otherwise take memory
// and time out of all proportion to the archive. The readers stop at the
// stated size, so what they inflate stays within it. EZipException past the
// bounds.
void CheckStatedSize(Int64 archiveSize, Int64 statedSize) {
  if (statedSize < 0) throw EZipException(u"The archive inflates to more than may be read from one file");
  TZipInflateBudget(archiveSize).Spend(static_cast<size_t>(statedSize));
}

// Reserves room for a member of stated bytes after what the stream holds, so
// that the stream never grows by copying itself while the member comes in.
// The stated size was held to the inflate bounds first, and the room is
// only reserved: none of it is touched before bytes arrive. Without the
// room, the stream grows as usual.
void ReserveForMember(TMemoryStream& stream, Int64 stated) {
  try {
    stream.SetCapacity(stream.Size() + stated);
  } catch (const std::exception&) {
  }
}

// Ends the extraction of a saved-results member whose header is not the
// running tool's.
struct TForeignSavedResults {};

// Takes a saved-results member into a memory stream as it is extracted, and
// tests its header as soon as the header is whole: a member of another tool
// (or none of the suite's) is stopped there, before the rest is inflated.
class TSavedResultsSink : public TStream {
 public:
  explicit TSavedResultsSink(TMemoryStream& into) : fInto(into) {}
  Int64 Read(void*, Int64) override { return 0; }
  Int64 Write(const void* buffer, Int64 count) override {
    const Int64 written = fInto.Write(buffer, count);
    if (!fTested && fInto.Size() >= kHeaderSize) {
      fTested = true;
      Int32 signature = 0;
      std::memcpy(&signature, fInto.Bytes(), sizeof signature);
      if (signature != CurrentSignature[global_current_tool]) throw TForeignSavedResults();
    }
    return written;
  }
  Int64 Seek(Int64 offset, TSeekOrigin origin) override { return fInto.Seek(offset, origin); }
  Int64 Size() override { return fInto.Size(); }

 private:
  TMemoryStream& fInto;
  bool fTested = false;
};

// Runs an extraction into a saved-results sink over stream; a member stopped
// at its header leaves just the header in the stream.
template <class Extract>
void ExtractSavedResults(TMemoryStream& stream, Extract&& extract) {
  TSavedResultsSink sink(stream);
  try {
    extract(sink);
  } catch (const TForeignSavedResults&) {
    stream.SetSize(kHeaderSize);
  }
}

}  // namespace

Int64 CheckEntryWithinInflateBounds(TZABaseArchiver& archiver, const String& name) {
  // Extracting goes by name, which may reach another entry of that name than
  // one found by a search or an index: the size checked is that entry's.
  Int32 index = -1;
  const bool recurse = archiver.FOptions.FRecurse;
  archiver.FOptions.FRecurse = false;  // as extracting looks it up
  const bool found = archiver.GetFileCendralDirItemNo(name, index);
  archiver.FOptions.FRecurse = recurse;
  if (!found || index < 0 || index >= archiver.DMHandle->CDir->Count()) throw EZAException(15, {name}, &archiver);
  const TDirItem& entry = archiver.DMHandle->CDir->FItems[static_cast<size_t>(index)];
  const UInt64 stated =
      entry.CentralDir.unCompSize == 0xFFFFFFFFu ? entry.Zip64ExtInfo.uncompSize : entry.CentralDir.unCompSize;
  bool within = stated <= static_cast<UInt64>(std::numeric_limits<Int64>::max());
  try {
    if (within) CheckStatedSize(archiver.GetArchiveSize(), static_cast<Int64>(stated));
  } catch (const EZipException&) {
    within = false;
  }
  if (!within) throw EZAException(78, {name}, &archiver);
  return static_cast<Int64>(stated);
}

// ---------------------------------------------------------------------------
// TMyZip

void TMyZip::ExtractToStream(Int32 index, TStream* stream) {
  const Int64 stated = FileInfo(index).UncompressedSize;
  CheckStatedSize(ArchiveSize(), stated);
  if (auto* memory = dynamic_cast<TMemoryStream*>(stream)) ReserveForMember(*memory, stated);
  // The member goes into the stream a piece at a time as it is inflated: it
  // is never held whole besides.
  ReadInPieces(index, [stream](const Byte* data, size_t size) { stream->WriteBuffer(data, static_cast<Int64>(size)); });
  stream->SetPosition(0);
}

void TMyZip::ExtractToStream(const String& name, TStream* stream) { ExtractToStream(GetFileIndex(name), stream); }

// ---------------------------------------------------------------------------
// Reading members

TBoolFilenameAndCheck GotOneFromZipToMemoryStream(TZipArchiver& archiver, TMemoryStream& stream, Int32 index) {
  TBoolFilenameAndCheck result;
  stream.Clear();
  archiver.OpenArchive(fmOpenRead | fmShareDenyNone);
  {
    TArchiverCloser closer{archiver};
    // The directory's own count bounds the index: the end record's count is
    // capped at 0xFFFF and may be unset after a rebuild.
    const TZADirArray& dir = *archiver.DMHandle->CDir;
    if (index < 0 || index >= dir.Count()) return result;
    result.filename = dir.GetItem(index).Name;
    ReserveForMember(stream, CheckEntryWithinInflateBounds(archiver, result.filename));
    ExtractSavedResults(stream, [&](TStream& sink) { archiver.ExtractToStream(result.filename, &sink); });
  }
  TestSavedHeader(stream, result);
  return result;
}

TBoolFilenameAndCheck GotOneFromZipToMemoryStream(const String& zipFileName, TMyZip& zip, TMemoryStream& stream,
                                                  Int32 index) {
  TBoolFilenameAndCheck result;
  stream.Clear();
  zip.Open(zipFileName, zmRead);
  {
    TZipCloser closer{zip};
    if (index < 0 || index >= zip.FileCount()) return result;
    result.filename = zip.FileName(index);
    const Int64 stated = zip.FileInfo(index).UncompressedSize;
    CheckStatedSize(zip.ArchiveSize(), stated);
    ReserveForMember(stream, stated);
    ExtractSavedResults(stream, [&](TStream& sink) { zip.ExtractToStream(index, &sink); });
  }
  TestSavedHeader(stream, result);
  return result;
}

String TextFromZipfile(const String& zipFileName, const String& member, TEncoding*& encoding) {
  TZipFile zip;
  zip.Open(zipFileName, zmRead);
  TZipCloser closer{zip};
  const Int32 index = zip.IndexOf(member);
  if (index < 0) return String();
  const Int64 stated = zip.FileInfo(index).UncompressedSize;
  CheckStatedSize(zip.ArchiveSize(), stated);
  // One buffer of the stated size, filled as the member is inflated: a
  // buffer grown step by step would leave the steps behind in the heap.
  TBytes bytes;
  try {
    bytes.reserve(static_cast<size_t>(stated));
  } catch (const std::exception&) {
  }
  zip.ReadInPieces(index, [&bytes](const Byte* data, size_t size) { bytes.insert(bytes.end(), data, data + size); });
  return ConvertedStringToUnicode(bytes, encoding);
}

String TextFromZipfile(TZipArchiver& archiver, const String& memberOrMask, Int32 /*unused*/, TEncoding*& encoding,
                       Int32& preambleLength) {
  TZAArchiveItem item;
  if (!archiver.FindFirst(memberOrMask, item, kAllEntries, String())) return String();
  // The engine stops at the entry's stated size, which is checked first.
  const String name = archiver.DMHandle->CDir->GetItem(item.Handle.ItemNo).Name;
  const Int64 stated = CheckEntryWithinInflateBounds(archiver, name);
  String text;
  {
    TMemoryStream ms;
    ReserveForMember(ms, stated);
    archiver.ExtractToStream(name, &ms);
    // Room for the blank that ends the text, so that adding it copies
    // nothing; the room is only reserved, and the member's bytes are let go
    // before it is needed.
    text.reserve(static_cast<size_t>(ms.Size()) + 1);
    EncodedStringFromBytesInto(text, static_cast<const Byte*>(ms.Memory()), static_cast<size_t>(ms.Size()), encoding,
                               preambleLength);
  }
  text.push_back(u' ');
  return text;
}

TStringAndBooleanRec SaveAFileWithinZipfile(const String& memberPath, const String& targetFolder,
                                            String& memberName) {
  TStringAndBooleanRec result;
  const String archive = ZipFileFullFileName(memberPath);
  if (archive.empty() || !FileExists(archive)) return result;
  memberName = memberPath.substr(archive.size() + 1);
  if (!IsSafeMemberPath(memberName)) return result;
  TEncoding* encoding = nullptr;
  const String text = TextFromZipfile(archive, memberName, encoding);
  if (text.empty()) return result;
  String relative = memberName;
  std::replace(relative.begin(), relative.end(), u'\\', u'/');
  const String base = IncludeTrailingPathDelimiter(targetFolder);
  const String target = base + relative;
  // The target folder is the caller's choice and links on its path are
  // followed. The member's folders below it come from the archive: they are
  // made and entered one at a time through descriptors and never through a
  // link, and the file replaces whatever has its name instead of writing
  // through it.
  if (!ForceDirectories(base)) return result;
  const int baseFd = ::open(StringToSystemName(base).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (baseFd < 0) return result;
  const size_t slash = relative.find_last_of(u'/');
  const int dirFd = ZAOpenFoldersBelow(baseFd, slash == String::npos ? String() : relative.substr(0, slash));
  ::close(baseFd);
  if (dirFd < 0) return result;
  const String leaf = relative.substr(slash == String::npos ? 0 : slash + 1);
  struct stat st;
  // A file the process may not write is refused, as opening it for writing would be.
  const bool locked = ZAStatInFolder(dirFd, leaf, st) && S_ISREG(st.st_mode) &&
                      ::faccessat(dirFd, StringToSystemName(leaf).c_str(), W_OK, AT_EACCESS) != 0;
  const Int32 lockedError = errno;
  TZAFolderFileStream out(dirFd, leaf);
  ::close(dirFd);
  if (locked || !out.Ok())
    throw EFCreateError(u"Cannot create file \"" + target + u"\". " +
                        Utf8ToString(std::strerror(locked ? lockedError : out.LastError())));
  TStringList list;
  list.SetText(text);
  list.SaveToStream(&out, encoding);
  if (!out.Commit(0, false))
    throw EWriteError(u"Stream write error. " + Utf8ToString(std::strerror(out.LastError())));
  result.s = target;
  result.OK = true;
  return result;
}

Int32 IndexOfFileWithinZipFile(const String& zipFileName, const String& member) {
  TZipArchiver arc;
  arc.FFileName = zipFileName;
  arc.OpenArchive(fmOpenRead | fmShareDenyNone);
  TArchiverCloser closer{arc};
  TZAArchiveItem item;
  bool more = arc.FindFirst(u"*.*", item, kAllEntries, String());
  while (more) {
    const String name = arc.DMHandle->CDir->GetItem(item.Handle.ItemNo).Name;
    if (SameText(name, member)) return 0;
    more = arc.FindNext(item);
  }
  return -1;
}

Int32 FileCountWithinZip(const String& zipFileName) {
  TZipFile zip;
  zip.Open(zipFileName, zmRead);
  TZipCloser closer{zip};
  return zip.FileCount();
}

std::unique_ptr<TStringList> FilenamesWithinSystemZipfile(const String& zipFileName, bool withPath) {
  auto list = std::make_unique<TStringList>();
  TZipFile zip;
  zip.Open(zipFileName, zmRead);
  TZipCloser closer{zip};
  const String prefix = withPath ? IncludeTrailingPathDelimiter(zipFileName) : String();
  for (const String& name : zip.FileNames()) list->AddObject(prefix + name, LineNumberObject(list->Count() + 1));
  return list;
}

std::unique_ptr<TStringList> FilenamesWithinZipfile(const String& zipFileName, bool withPath) {
  auto list = std::make_unique<TStringList>();
  TZipArchiver arc;
  arc.FFileName = zipFileName;
  arc.OpenArchive(fmOpenRead | fmShareDenyNone);
  TArchiverCloser closer{arc};
  const String prefix = withPath ? IncludeTrailingPathDelimiter(zipFileName) : String();
  TZAArchiveItem item;
  bool more = arc.FindFirst(u"*.*", item, kAllEntries, String());
  while (more) {
    // The stored name whole, as the platform reader lists it.
    const String name = arc.DMHandle->CDir->GetItem(item.Handle.ItemNo).Name;
    list->AddObject(prefix + name, LineNumberObject(list->Count() + 1));
    more = arc.FindNext(item);
  }
  return list;
}

TDateTime DateTimeOfZipItem(Word date, Word time) {
  if (date == 0) return EncodeDate(1980, 1, 1);
  return ZADosToDateTime((Cardinal(date) << 16) | time);
}

bool ZipASeriesOfFilesTo(const TStrings& files, const String& zipFileName, TZAStorePathMode storePath,
                         bool deleteSources) {
  const String target = ExpandFileName(zipFileName);
  const String folder = IncludeTrailingPathDelimiter(ExtractFileDir(target));
  // The new archive is built in a hidden sibling made for it alone (created
  // exclusively: nothing already at the name, a link least of all, is
  // opened), written and read back only through its own descriptor, deleted
  // only as that file and moved over the archive only while its name still
  // holds it.
  std::unique_ptr<TFileStream> out;
  String temp;
  for (Int32 attempt = 0; out == nullptr && attempt < 8; ++attempt) {
    temp = folder + SystemNameToString(MarkedTemporarySiblingName(StringToSystemName(ExtractFileName(target))));
    try {
      out = std::make_unique<TFileStream>(temp, fmCreate | fmExclusive);
    } catch (const EFCreateError&) {
    }
  }
  if (out == nullptr) return false;
  // Locked while it is written, as the library's temporary files are: a
  // sweep of the folder leaves it to this process.
  ::flock(out->Handle(), LOCK_EX | LOCK_NB);
  struct stat made {};
  if (::fstat(out->Handle(), &made) != 0) {
    ZADeleteOpenFile(temp, out->Handle());
    return false;
  }
  // Each file the engine read, by which file it is (device and inode): the
  // entry it went into and the file as it stood before its bytes were read.
  std::multimap<std::pair<UInt64, UInt64>, std::pair<String, TFileStamp>> read;
  // Each line's file, and what of it is in the new archive.
  std::vector<String> sources(static_cast<size_t>(files.Count()));
  std::vector<std::optional<TFileStamp>> stored(static_cast<size_t>(files.Count()));
  try {
    {
      TZipArchiver arc;
      arc.FOptions.FStorePath = storePath;
      arc.FFileName = temp;
      arc.OpenArchive(out.get(), true);
      TArchiverCloser closer{arc};
      arc.FileMasks().Clear();
      for (Int32 i = 0; i < files.Count(); ++i) arc.FileMasks().Add(files.Get(i));
      arc.AddFiles();
      for (const TDirItem& item : arc.DMHandle->CDir->FItems)
        if (item.SrcRead) read.insert({{item.SrcStamp.Dev, item.SrcStamp.Ino}, {item.Name, item.SrcStamp}});
    }
    // Test what the new archive holds before it replaces anything.
    TZipArchiver check;
    check.OpenArchive(out.get(), false);
    TArchiverCloser closer{check};
    for (Int32 i = 0; i < files.Count(); ++i) {
      // The file the line names, however it is spelled (a full path reaches
      // the system as it is, its backslashes part of its names), is matched
      // to what the engine read by which file it is. A source to be deleted
      // is the line's own regular file: not a link's target, nor a folder.
      const String given = files.Get(i);
      sources[static_cast<size_t>(i)] =
          !given.empty() && given[0] == u'/' ? WithNameBackslashes(ExpandFileName(given)) : ZAExpandFileName(given);
      const std::string path = StringToSystemName(sources[static_cast<size_t>(i)]);
      struct stat st {};
      if (deleteSources ? ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) : ::stat(path.c_str(), &st) != 0)
        continue;
      const auto [from, to] = read.equal_range({st.st_dev, st.st_ino});
      for (auto it = from; it != to && !stored[static_cast<size_t>(i)]; ++it)
        if (ZAFindEntryExact(*check.DMHandle->CDir, it->second.first) >= 0) stored[static_cast<size_t>(i)] = it->second.second;
    }
  } catch (...) {
    ZADeleteFileAs(temp, made.st_dev, made.st_ino);
    throw;
  }
  if (!ZAMoveFileOverAs(temp, target, made.st_dev, made.st_ino)) {
    ZADeleteFileAs(temp, made.st_dev, made.st_ino);
    return false;
  }
  bool all = std::find(stored.begin(), stored.end(), std::nullopt) == stored.end();
  if (!all || !deleteSources) return all;
  // The sources go only when every one of them is in the archive and is
  // still, unchanged, the file whose bytes went in: one written to since its
  // read (appended to, or rewritten in place) keeps every source.
  for (Int32 i = 0; i < files.Count(); ++i)
    if (!FileStillAsStamped(sources[static_cast<size_t>(i)], *stored[static_cast<size_t>(i)])) return false;
  // The lines' stamps by which file they are: made at the first removal of
  // a name of a file that has another.
  std::map<std::pair<UInt64, UInt64>, std::vector<TFileStamp*>> names;
  for (Int32 i = 0; i < files.Count(); ++i) {
    // Only the file that was stored goes, as it was read: another put at its
    // name since, or the file written to since, stays, and the answer says
    // not all went. A line that names another name of the same file keeps
    // its check once this name is gone.
    const TFileStamp was = *stored[static_cast<size_t>(i)];
    TFileStamp left;
    if (!ZADeleteFileAs(sources[static_cast<size_t>(i)], was, &left)) all = false;
    if (!(left == was)) {
      if (names.empty())
        for (std::optional<TFileStamp>& line : stored) names[{line->Dev, line->Ino}].push_back(&*line);
      for (TFileStamp* other : names[{was.Dev, was.Ino}]) CarryStamp(*other, was, left);
    }
  }
  return all;
}

// ---------------------------------------------------------------------------
// Names

Int32 ZipFilePlusNumber(const String& filename) {
  const String ext = ExtractFileExt(filename);
  const size_t zipLength = ZipExtension().size();
  if (ext.size() <= zipLength) return -1;
  Int32 number = 0;
  if (!TryStrToInt(ext.substr(zipLength), number)) return -1;
  return number;
}

bool IsAZipFile(const String& filename) {
  const String zipExt = ZipExtension();
  const String ext = ExtractFileExt(filename);
  if (ext.size() < zipExt.size() || !SameText(ext.substr(0, zipExt.size()), zipExt)) return false;
  return ext.size() == zipExt.size() || ZipFilePlusNumber(filename) >= 0;
}

String ZipFileFullFileName(const String& path) {
  const Int32 pos = ZipSeparatorPosition(path);
  if (pos < 1) return String();
  return path.substr(0, static_cast<size_t>(pos - 1));
}

String ZipFileWantedFileNameWithin(const String& path) {
  const Int32 pos = ZipSeparatorPosition(path);
  if (pos < 1) return String();
  return path.substr(static_cast<size_t>(pos));
}

bool IsWithinAZipFile(const String& path) {
  if (FileExists(path) || DirectoryExists(path)) return false;
  if (ZipSeparatorPosition(path) < 1) return false;
  return !DirectoryExists(ZipFileFullFileName(path));
}

SK_COUNTER_ONLY_UNIT(Zip_utils)

}  // namespace sk
