// The archiver's operations on single entries and on tagged sets of them:
// filling an entry, marking it for update or deletion, extracting it, the
// search under FindFirst and FindNext, the mask matchers, tagging and the
// loop that deletes, updates, extracts or tests the tagged entries.
//
// Extraction never writes outside its target folder: a stored name that is
// absolute, has a drive or server prefix or a ".." element ("/" and "\" both
// separate) is refused. The path below the target folder is walked and made
// through descriptors, one folder at a time relative to the one before and
// never through a link, so no other process can redirect it by swapping a
// folder for a link while the walk runs. The file is written under a
// temporary name in its own folder and moved over its name only when the
// entry has extracted and checked: a file that is replaced keeps its old
// content until then, and a link at the target is replaced, never written
// through.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>
#include <unordered_set>

#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "platform/runtime/DateUtils.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"
#include "zip/ZAUtils.h"
#include "zip/ZAUtils_paths.h"

namespace sk {

namespace {

// Extracted files wait for their names in batches of at most this many files
// or bytes: a batch costs two flushes of the disk, and a process killed
// meanwhile leaves at most one batch of hidden temporary files behind.
constexpr size_t kExtractBatchFiles = 128;
constexpr Int64 kExtractBatchBytes = 32 << 20;

String ToSlashes(String s) {
  std::replace(s.begin(), s.end(), u'\\', u'/');
  return s;
}

String FolderPart(const String& s) {
  const size_t p = s.find_last_of(u"/\\");
  return p == String::npos ? String() : s.substr(0, p + 1);
}

String NamePart(const String& s) {
  const size_t p = s.find_last_of(u"/\\");
  return p == String::npos ? s : s.substr(p + 1);
}

bool IsSeparator(Char c) { return c == u'/' || c == u'\\'; }

// Whether a name from an archive would lead out of the folder it is
// extracted into: absolute, a drive or server prefix, or a ".." element.
bool IsUnsafeStoredName(const String& name) {
  if (name.empty()) return true;
  if (IsSeparator(name[0])) return true;
  if (name.size() >= 2 && name[1] == u':') return true;
  size_t from = 0;
  while (from <= name.size()) {
    size_t to = from;
    while (to < name.size() && !IsSeparator(name[to])) ++to;
    if (name.compare(from, to - from, u"..") == 0 && to - from == 2) return true;
    from = to + 1;
  }
  return name.find(u'\0') != String::npos;
}

// A descriptor closed when it goes out of scope.
struct TFolderHandle {
  int fd = -1;
  TFolderHandle() = default;
  explicit TFolderHandle(int f) : fd(f) {}
  TFolderHandle(const TFolderHandle&) = delete;
  TFolderHandle& operator=(const TFolderHandle&) = delete;
  ~TFolderHandle() {
    if (fd >= 0) ::close(fd);
  }
};

// Opens a folder that the host named (links on its path are the host's
// choice and are followed); -1 when it cannot.
int OpenHostFolder(const String& folder) {
  const String path = folder.empty() ? String(u".") : folder;
  return ::open(StringToSystemName(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

Int32 ZAFindEntryExact(const TZADirArray& dir, const String& name) {
  Int32 index = -1;
  if (!dir.FileExists(name, index)) return -1;
  if (dir.FItems[static_cast<size_t>(index)].Name == name) return index;
  return -1;
}

Cardinal ZADateTimeToDos(TDateTime value) {
  Word y = 1980, mo = 1, d = 1, h = 0, mi = 0, s = 0, ms = 0;
  if (value > -693594 && value < 2958466) DecodeDateTime(value, y, mo, d, h, mi, s, ms);
  if (y < 1980) {
    y = 1980, mo = 1, d = 1, h = 0, mi = 0, s = 0;
  } else if (y > 2107) {
    y = 2107, mo = 12, d = 31, h = 23, mi = 59, s = 58;
  }
  const Cardinal date = static_cast<Cardinal>(((y - 1980) << 9) | (mo << 5) | d);
  const Cardinal time = static_cast<Cardinal>((h << 11) | (mi << 5) | (s / 2));
  return (date << 16) | time;
}

TDateTime ZADosToDateTime(Cardinal value) {
  const Word date = static_cast<Word>(value >> 16);
  const Word time = static_cast<Word>(value);
  TDateTime result = 0;
  if (!TryEncodeDateTime(static_cast<Word>((date >> 9) + 1980), static_cast<Word>((date >> 5) & 15),
                         static_cast<Word>(date & 31), static_cast<Word>(time >> 11),
                         static_cast<Word>((time >> 5) & 63), static_cast<Word>((time & 31) * 2), 0, result))
    return 0;
  return result;
}

// ---------------------------------------------------------------------------
// Single entries

void TZABaseArchiver::FillDirItem(Int32 index, const String& fileName, bool isFile, Int32 attributes,
                                  TDateTime date) {
  TDirItem& item = *DMHandle->CDir->GetItemPtr(index);
  String name;
  bool folder;
  if (isFile) {
    name = GetStoredName(fileName, FCurrentDir, FOptions.FStorePath, FCurrentDir);
    folder = ZADirectoryExists(fileName);
  } else {
    name = fileName;
    if (!name.empty() && name.back() == u'\\') name.pop_back();
    name = ToSlashes(name);
    folder = (attributes & faDirectory) != 0;
  }
  if (name.empty()) return;

  Cardinal dos;
  Int32 attr;
  if (isFile) {
    TDateTime age = 0;
    dos = ZADateTimeToDos(ZAFileAge(fileName, age) ? age : Now());
    const Int32 a = ZAFileGetAttr(fileName);
    attr = a >= 0 ? a : faArchive;
    if (folder && name.back() != u'/') name += u'/';
  } else {
    dos = ZADateTimeToDos(date);
    attr = attributes;
  }

  item.Name = name;
  item.Modified = true;
  item.Password = FPassword;
  item.SrcFileName = isFile ? fileName : String();
  item.CompressionMode = folder ? 0 : FCompressionMode;
  item.CompressionMethod = FCompressionMethod;
  TZAZipCentralDir& cd = item.CentralDir;
  cd = TZAZipCentralDir();
  const bool secondForm = !isZIPFormat || (DMHandle->CentralDirEnd.signature == ZA2CentralDirEndSignature);
  cd.signature = secondForm ? ZA2CentralDirSignature : ZipCentralDirSignature;
  cd.versionMadeBy = FOptions.FOEMFileNames ? 20 : 0x0B14;
  cd.extractVersion = secondForm ? 0x4114 : cd.versionMadeBy;
  cd.genPurposeFlag = FPassword.empty() ? 0 : ZAFlagEncrypted;
  cd.compMethod = FCompressionMethod;
  cd.lastModTime = static_cast<Word>(dos);
  cd.lastModDate = static_cast<Word>(dos >> 16);
  cd.crc32 = 0xFFFFFFFFu;
  cd.nameLength = static_cast<Word>(std::min<size_t>(name.size(), 0xFFFF));
  cd.externalAttr = static_cast<Cardinal>(attr);
  if (folder) {
    cd.compMethod = 0;
    cd.crc32 = 0;
    cd.genPurposeFlag = 2;
    item.CompressionMethod = 0;
    item.Password.clear();
  }
}

void TZABaseArchiver::CheckIndexCurrent(Int32 index) {
  // The caller found the index before another process moved the entries
  // (it has looked none up since the directory was read again): it may name
  // another entry now, so nothing is changed.
  if (fIndexesMoved && !fIndexesOwn && index >= 0) throw EZAException(71, {FFileName}, this);
}

void TZABaseArchiver::UpdateItem(Int32 index, const String& fileName) {
  if (!DMHandle || index < 0 || index >= DMHandle->CDir->Count()) throw EZAException(24, this);
  if (!GetInUpdate()) throw EZAException(25, this);
  CheckIndexCurrent(index);
  FillDirItem(index, fileName, true, 0, 0);
  DMHandle->CDir->FItemNamesList->Update(index, ZALowerCase(DMHandle->CDir->FItems[static_cast<size_t>(index)].Name));
  DMHandle->CDir->FItems[static_cast<size_t>(index)].Operation = poUpdate;
}

void TZABaseArchiver::DeleteItem(Int32 index) {
  if (!DMHandle || index < 0 || index >= DMHandle->CDir->Count()) throw EZAException(21, this);
  if (!GetInUpdate()) throw EZAException(22, this);
  CheckIndexCurrent(index);
  DMHandle->CDir->DeleteItem(index);
}

void TZABaseArchiver::PositionAtLocalHeader(const TDirItem& item) {
  const TZAZipCentralDir& cd = item.CentralDir;
  if (FSpanningMode != smNone) {
    TZAVolumeNumberInfo volume;
    Int64 start = cd.diskNumberStart;
    if (cd.diskNumberStart == 0xFFFF) start = DMHandle->FZip64 ? item.Zip64ExtInfo.diskNumberStart : 0;
    Int64 last = DMHandle->CentralDirEnd.diskNumber;
    if (last == 0xFFFF) last = DMHandle->FZip64 ? Int64(DMHandle->Zip64CentralDirEndLocator.totalNumberOfDisks) - 1 : 0;
    volume.FLastVolumeNumber = static_cast<Int32>(std::clamp<Int64>(last, -1, std::numeric_limits<Int32>::max()));
    volume.SetVolumeNumber(static_cast<Int32>(std::min<Int64>(start, std::numeric_limits<Int32>::max())));
    if (volume.FVolumeNumber == volume.FLastVolumeNumber) volume.FVolumeKind = vnkLast;
    OpenVolume(volume);
  }
  const Int64 offset = cd.relOffsetLH == 0xFFFFFFFFu ? static_cast<Int64>(item.Zip64ExtInfo.relOffsetLH)
                                                     : static_cast<Int64>(cd.relOffsetLH);
  if (offset < 0 || offset > FCompressedStream->Size() - TZAZipFileHeader::Size) throw EZAException(8, this);
  FCompressedStream->Seek(offset, soBeginning);
}

void TZABaseArchiver::ExtractItem(Int32 index, TStream* dest, Int32 count, Int64 offset) {
  if (!DMHandle || index < 0 || index >= DMHandle->CDir->Count()) throw EZAException(16, this);
  // Another process's update is not read half-written, nor its archive
  // through the directory of the one before: the entry is found again by
  // its name when the directory was read anew.
  const String name = DMHandle->CDir->FItems[static_cast<size_t>(index)].Name;
  TZAReadLock readLock(*this);
  if (readLock.refreshed) {
    index = ZAFindEntryExact(*DMHandle->CDir, name);
    if (index < 0) throw EZAException(71, {FFileName}, this);
  }
  for (;;) {
    TDirItem& item = DMHandle->CDir->FItems[static_cast<size_t>(index)];
    PositionAtLocalHeader(item);
    fEntryMoved = false;
    const bool extracted = InternalDecompressFile(FCompressedStream, dest, item, count, offset);
    if (fEntryMoved) {
      // The directory was read again while a password was asked for, before
      // anything was written: the entry of that name is extracted instead.
      fEntryMoved = false;
      index = ZAFindEntryExact(*DMHandle->CDir, name);
      if (index < 0) throw EZAException(71, {FFileName}, this);
      continue;
    }
    // What could not be written is a write error (a full disk named as
    // one), whatever the entry's own state: never taken for a damaged entry.
    if (!extracted && fCodecWriteFailed) {
      const auto* file = dynamic_cast<const TZAFolderFileStream*>(dest);
      const Int32 error = file != nullptr ? file->LastError() : 0;
      throw EZAException(error == ENOSPC || error == EDQUOT ? 65 : 46, this);
    }
    if (!extracted && !FProgressCancel && !FExtractCorruptedFiles && !FSkipFile) throw EZAException(8, this);
    return;
  }
}

// ---------------------------------------------------------------------------
// Search and masks

bool TZABaseArchiver::CheckAttributesMatch(Int32 entryAttr, Int32 searchAttr) {
  constexpr Int32 special = faHidden | faSysFile | faVolumeID | faDirectory;
  return (entryAttr & special & ~searchAttr) == 0;
}

bool TZABaseArchiver::IsInternalFileMatchMask(const String& name, const String& mask) const {
  if (mask.empty()) return false;
  // "*.*" becomes a lone star, which every name matches.
  if (mask == u"*" || mask == u"*.*") return true;
  String m = mask;
  String n = name;
  const size_t star = m.find(u"*.*");
  if (star != String::npos) m.replace(star, 3, u"*");
  const bool dotEnd = mask.back() == u'.';
  if (!m.empty() && m.back() == u'.') m.pop_back();
  if (!n.empty() && n.back() == u'.') n.pop_back();
  if (!WIsStrMatchPattern(ToSlashes(n), ToSlashes(m), true)) return false;
  if (dotEnd) {
    const String base = NamePart(name);
    const size_t dot = base.rfind(u'.');
    const String ext = dot == String::npos ? String() : base.substr(dot);
    return ext.empty() || ext == u".";
  }
  return true;
}

bool TZABaseArchiver::IsItemMatches(Int32 index, const TZAArchiveItem& f) const {
  return EntryMatches(DMHandle->CDir->FItems[static_cast<size_t>(index)].Name, f, String(f.Handle.CFindMask.data()));
}

bool TZABaseArchiver::EntryMatches(const String& entry, const TZAArchiveItem& f, const String& mask) const {
  if (f.Handle.UseProperties) {
    bool matched = false;
    for (Int32 i = 0; i < FFileMasks->Count() && !matched; ++i)
      matched = IsInternalFileMatchMask(entry, FFileMasks->Get(i));
    if (!matched) return false;
    for (Int32 i = 0; i < FExclusionMasks->Count(); ++i)
      if (IsInternalFileMatchMask(entry, FExclusionMasks->Get(i))) return false;
    return true;
  }
  // The name loses one trailing separator; most names have none and are
  // matched as they are.
  String cut;
  const bool trailing = !entry.empty() && IsSeparator(entry.back());
  if (trailing) cut.assign(entry, 0, entry.size() - 1);
  const String& name = trailing ? cut : entry;
  bool matched = IsInternalFileMatchMask(name, mask) || IsInternalFileMatchMask(NamePart(name), mask);
  if (matched && !f.Handle.ExclusionMask.empty() &&
      (IsInternalFileMatchMask(name, f.Handle.ExclusionMask) ||
       IsInternalFileMatchMask(NamePart(name), f.Handle.ExclusionMask)))
    matched = false;
  return matched;
}

bool TZABaseArchiver::InternalFind(TZAArchiveItem& f) {
  if (!DMHandle) return false;
  TZADirArray& dir = *DMHandle->CDir;
  const String mask(f.Handle.CFindMask.data());
  Int32 found = -1;
  if (!f.Handle.UseProperties && !f.Handle.FWildCards && !FOptions.FRecurse) {
    // One entry: the one of exactly that name, else the first whose whole
    // name the matcher takes for the mask (the index gives the candidates).
    Int32 index = ZAFindEntryExact(dir, mask);
    if (index < 0) {
      const String key = dir.MatchKey(mask);
      for (Int32 i = dir.NextMatchCandidate(key, 0); i >= 0 && i < dir.Count() && index < 0;
           i = dir.NextMatchCandidate(key, i + 1)) {
        ++fEntriesSearched;
        String whole = dir.FItems[static_cast<size_t>(i)].Name;
        if (!whole.empty() && IsSeparator(whole.back())) whole.pop_back();
        if (IsInternalFileMatchMask(whole, mask)) index = i;
      }
    }
    if (index >= 0 && index >= f.Handle.ItemNo) found = index;
  } else if (!f.Handle.UseProperties && !f.Handle.FWildCards) {
    // A name without wildcards in every folder: only the entries whose whole
    // name or last part has the mask's key can match, in the order of the
    // table, so each is tested in turn as the walk below would reach it.
    const String key = dir.MatchKey(mask);
    for (Int32 i = dir.NextMatchCandidate(key, std::max(0, f.Handle.ItemNo)); i >= 0 && i < dir.Count();
         i = dir.NextMatchCandidate(key, i + 1)) {
      ++fEntriesSearched;
      const TDirItem& it = dir.FItems[static_cast<size_t>(i)];
      if (!EntryMatches(it.Name, f, mask)) continue;
      if (!CheckAttributesMatch(static_cast<Int32>(it.CentralDir.externalAttr), f.Handle.FFindAttr)) continue;
      found = i;
      break;
    }
  } else {
    // The mask's folder counts only without Recurse: each FindNext would
    // otherwise map its case again for nothing.
    const bool sameFolder = !FOptions.FRecurse && !f.Handle.UseProperties;
    const String maskFolder = sameFolder ? ToSlashes(FolderPart(mask)) : String();
    for (Int32 i = std::max(0, f.Handle.ItemNo); i < dir.Count(); ++i) {
      ++fEntriesSearched;
      const TDirItem& it = dir.FItems[static_cast<size_t>(i)];
      if (sameFolder) {
        String n = it.Name;
        if (!n.empty() && n.back() == u'/') n.pop_back();
        if (!WSameTextIgnoringCase(FolderPart(n), maskFolder)) continue;
      }
      if (!EntryMatches(it.Name, f, mask)) continue;
      if (!CheckAttributesMatch(static_cast<Int32>(it.CentralDir.externalAttr), f.Handle.FFindAttr)) continue;
      found = i;
      break;
    }
  }
  if (found < 0) return false;
  f.Handle.ItemNo = found;
  const TDirItem& it = dir.FItems[static_cast<size_t>(found)];
  // The name shown with "\\" separators and without one trailing separator:
  // its folder part, and the rest. The item's texts take them in place, so
  // that a walk over every entry reuses their buffers.
  const String& stored = it.Name;
  size_t end = stored.size();
  if (end > 0 && IsSeparator(stored[end - 1])) --end;
  const size_t cut = end == 0 ? String::npos : stored.find_last_of(u"/\\", end - 1);
  const size_t folderEnd = cut == String::npos ? 0 : cut + 1;
  f.FileName.assign(stored, folderEnd, end - folderEnd);
  f.StoredPath.assign(stored, 0, folderEnd);
  std::replace(f.StoredPath.begin(), f.StoredPath.end(), u'/', u'\\');
  const TZAZipCentralDir& cd = it.CentralDir;
  f.CompressedSize = static_cast<Int64>(cd.compSize == 0xFFFFFFFFu ? it.Zip64ExtInfo.compSize : cd.compSize);
  f.UncompressedSize = static_cast<Int64>(cd.unCompSize == 0xFFFFFFFFu ? it.Zip64ExtInfo.uncompSize : cd.unCompSize);
  f.CompressionRate = f.UncompressedSize <= 0
                          ? 100.0
                          : std::max(0.0, (1.0 - static_cast<Double>(f.CompressedSize) /
                                                     static_cast<Double>(f.UncompressedSize)) * 100.0);
  f.Encrypted = (cd.genPurposeFlag & ZAFlagEncrypted) != 0;
  f.LastModFileDate = cd.lastModDate;
  f.LastModFileTime = cd.lastModTime;
  f.CRC = static_cast<Int32>(cd.crc32);
  f.ExternalFileAttributes = cd.externalAttr;
  f.Comment = it.Comment;
  return true;
}

String TZABaseArchiver::GetFullMask(const String& mask, const String& baseDir, bool& bareName) const {
  if (mask.empty()) return String();
  const String expanded = ZAExcludeTrailingBackslash(ExpandToBaseDir(String(), baseDir, FCurrentDir));
  const String base = expanded + u"/";
  const String m = mask;
  if (m.size() >= 2 && IsSeparator(m[0]) && IsSeparator(m[1])) {
    bareName = false;
    return m;
  }
  if (m.size() == 1 && IsSeparator(m[0])) {
    bareName = false;
    return expanded;
  }
  // On this system a name that begins with "/" is a full path already; one
  // that begins with "\" is taken from the base folder.
  if (m[0] == u'/') {
    bareName = false;
    return m;
  }
  if (m[0] == u'\\') {
    bareName = false;
    return base + ToSlashes(m.substr(1));
  }
  if (m.size() >= 2 && m[0] == u'.' && IsSeparator(m[1])) {
    bareName = false;
    return base + ToSlashes(m.substr(2));
  }
  if (m.find(u':') != String::npos) {
    bareName = false;
    return m;
  }
  if (m.find(u"..\\") != String::npos || m.find(u"../") != String::npos) {
    bareName = false;
    return ExpandToBaseDir(ToSlashes(m), baseDir, FCurrentDir);
  }
  bareName = FolderPart(m).empty();
  return base + ToSlashes(m);
}

bool TZABaseArchiver::IsExternalFileMatchMask(const String& fileName, const String& mask, bool isFolder) {
  if (mask == u"*.*") return true;
  String name = ToSlashes(fileName);
  String m = ToSlashes(mask);
  if (isFolder) {
    if (name.empty() || name.back() != u'/') name += u'/';
    if (!m.empty() && m.back() != u'*' && m.back() != u'/') m += u'/';
  }
  bool bare = false;
  String full;
  if (m.find(u':') != String::npos) {
    full = m;
  } else {
    full = GetFullMask(m, FBaseDir, bare);
  }
  if (bare) {
    const String cur = ZAIncludeTrailingBackslash(FCurrentDir);
    String tested = name.compare(0, cur.size(), cur) == 0 ? name.substr(cur.size()) : name;
    if (m.find(u'/') == String::npos) {
      String t = tested;
      if (!t.empty() && t.back() == u'/') t.pop_back();
      tested = NamePart(t);
      if (isFolder) tested += u'/';
    }
    const String fm = NamePart(isFolder && !full.empty() && full.back() == u'/' ? full.substr(0, full.size() - 1)
                                                                                  : full) +
                      (isFolder && !full.empty() && full.back() == u'/' ? u"/" : u"");
    return WIsStrMatchPattern(tested, fm, true) || WIsStrMatchPattern(tested, m, true);
  }
  const String nameFolder = ZALowerCase(FolderPart(name));
  const String maskFolder = ZALowerCase(FolderPart(full));
  if (nameFolder == maskFolder) return WIsStrMatchPattern(name, full, true);
  if (NamePart(full) == u"*.*" || NamePart(full) == u"*")
    return nameFolder.compare(0, maskFolder.size(), maskFolder) == 0;
  return false;
}

void TZABaseArchiver::TagFiles() {
  TZADirArray& dir = *DMHandle->CDir;
  dir.ClearTags();
  TZAArchiveItem f;
  for (bool ok = FindFirst(f); ok; ok = FindNext(f)) dir.FItems[static_cast<size_t>(f.Handle.ItemNo)].Tagged = true;
}

void TZABaseArchiver::TagFiles(const String& mask, Int32 attributes, const String& exclusionMask) {
  TZADirArray& dir = *DMHandle->CDir;
  dir.ClearTags();
  TZAArchiveItem f;
  for (bool ok = FindFirst(mask, f, attributes, exclusionMask); ok; ok = FindNext(f))
    dir.FItems[static_cast<size_t>(f.Handle.ItemNo)].Tagged = true;
}

// ---------------------------------------------------------------------------
// Processing tagged entries

void TZABaseArchiver::ProcessTaggedFiles(TZAProcessOperation operation, Int32 index) {
  Lock();
  struct TUnlock {
    TZABaseArchiver* a;
    ~TUnlock() { a->Unlock(); }
  } unlock{this};
  TZADirArray& dir = *DMHandle->CDir;
  const bool reading = operation == poExtract || operation == poTest;
  // A run that reads holds the shared lock throughout, on the directory as
  // it is on the disk: read again first when another process changed the
  // archive (the tagged entries stay tagged by their names, and the one
  // entry asked for is found again by its name).
  std::optional<TZAReadLock> readLock;
  if (reading) {
    const String asked =
        index >= 0 && index < dir.Count() ? dir.FItems[static_cast<size_t>(index)].Name : String();
    readLock.emplace(*this);
    if (readLock->refreshed && index >= 0) {
      index = ZAFindEntryExact(dir, asked);
      if (index < 0) throw EZAException(71, {FFileName}, this);
    }
  }
  // An entry asked for by its index is changed only when the index still
  // names the entry the caller found; the entries walked are found here.
  if (!reading) CheckIndexCurrent(index);
  const bool ownBefore = fIndexesOwn;
  fIndexesOwn = true;
  struct TOwnIndexes {
    bool& own;
    bool before;
    ~TOwnIndexes() { own = before; }
  } ownIndexes{fIndexesOwn, ownBefore};
  FProcessedFileNo = 0;
  FProcessedFileCount = 0;
  if (index >= 0) {
    FProcessedFileCount = 1;
  } else {
    for (Int32 i = 0; i < dir.Count(); ++i)
      if (dir.FItems[static_cast<size_t>(i)].Tagged) ++FProcessedFileCount;
  }
  FProgressCancel = false;
  FProgressEnabled = true;
  // Extracted files take their names a batch at a time; whatever way the
  // run ends, the files written whole take theirs (an exception only leaves
  // the failures unreported).
  std::optional<TZAFileBatch> batch;
  if (operation == poExtract) batch.emplace(FOptions.FFlushBuffers);
  struct TBatchScope {
    TZABaseArchiver* a;
    TZAFileBatch* before;
    ~TBatchScope() {
      if (a->fExtractBatch != before) {
        if (a->fExtractBatch != nullptr) a->fExtractBatch->Publish();
        a->fExtractBatch = before;
      }
    }
  } batchScope{this, fExtractBatch};
  if (batch) {
    fExtractBatch = &*batch;
    fExtractAborted = false;
  }
  // Deletions are marked during the walk and made at once after it: one by
  // one, each would move every later entry.
  std::vector<bool> doomed;
  if (operation == poDelete) doomed.assign(static_cast<size_t>(dir.Count()), false);
  if (reading) DoOnOverallProgress(0, operation, ppStart, FProgressCancel);
  TTimedYield yield;

  TZAAction action = fxaIgnore;
  Int32 i = index >= 0 ? index : 0;
  // A question lets other processes change the archive, after which a read
  // goes on in the directory read again (an update ends, see AskUnlocked):
  // the entry at hand is found again by its name, and the walk starts over,
  // passing the entries done.
  std::unordered_set<String> done;
  Cardinal reads = fDirectoryReads;
  bool restart = false;
  auto moved = [&]() { return reads != fDirectoryReads; };
  auto findAgain = [&](const String& entryName) {
    reads = fDirectoryReads;
    restart = true;
    i = ZAFindEntryExact(dir, entryName);
    return i >= 0;
  };
  while (!FProgressCancel && i < dir.Count()) {
    // A Stop from the host ends the run as a cancel does.
    if (yield.Tick()) {
      FProgressCancel = true;
      break;
    }
    const TDirItem& at = dir.FItems[static_cast<size_t>(i)];
    if (!at.Tagged || (!done.empty() && done.count(at.Name) != 0)) {
      if (index >= 0) break;
      ++i;
      continue;
    }
    dir.FItems[static_cast<size_t>(i)].Operation = operation;
    const String entryName = dir.FItems[static_cast<size_t>(i)].Name;
    bool gone = false;
    do {
      action = fxaIgnore;
      String display = entryName;
      std::replace(display.begin(), display.end(), u'/', u'\\');
      bool confirm = true;
      DoOnConfirmProcessFile(display, operation, confirm);
      if (!confirm) break;
      if (moved() && !findAgain(entryName)) {
        gone = true;
        break;
      }
      if (FCurrentDir.empty()) FCurrentDir = ZAGetCurrentDir();
      const String target = ZAIncludeTrailingBackslash(!FBaseDir.empty() ? FBaseDir : FCurrentDir);
      if (reading) {
        DoOnFileProgress(entryName, 0, operation, ppStart, FProgressCancel);
        if (FProgressCancel) break;
      }
      // A file that waits in the batch is reported done when it takes its
      // name (PublishExtracted), not before.
      const size_t added = batch ? batch->Added() : 0;
      try {
        switch (operation) {
          case poDelete:
            // DeleteItem's checks; the entry goes with the others at the end.
            if (!GetInUpdate()) throw EZAException(22, this);
            CheckIndexCurrent(i);
            if (static_cast<size_t>(i) >= doomed.size()) doomed.resize(static_cast<size_t>(dir.Count()), false);
            doomed[static_cast<size_t>(i)] = true;
            break;
          case poUpdate: UpdateTaggedFile(i, entryName, target); break;
          case poExtract: ExtractTaggedFile(i, entryName, target); break;
          case poTest: TestTaggedFile(i, entryName); break;
          default: break;
        }
        if (reading && !(batch && batch->Added() > added)) {
          bool endCancel = false;
          DoOnFileProgress(entryName, 100, operation, ppEnd, endCancel);
          if (endCancel) FProgressCancel = true;
        }
        if (!FProgressCancel) ++FProcessedFileNo;
      } catch (const EZAOperationEnded&) {
        throw;
      } catch (const EZAException& e) {
        DoOnProcessFileFailure(display, operation, e.NativeError, e.ErrorCode, e.Message(), action);
      }
      if (moved() && !findAgain(entryName)) {
        gone = true;
        break;
      }
    } while (action == fxaRetry);
    if (batch && (batch->Count() >= kExtractBatchFiles || batch->Bytes() >= kExtractBatchBytes)) PublishExtracted();
    if (fExtractAborted) action = fxaAbort;
    if (action == fxaAbort || FProgressCancel) break;
    if (index >= 0) break;
    if (!gone) done.insert(entryName);
    if (moved()) {
      reads = fDirectoryReads;
      restart = true;
    }
    if (restart) {
      restart = false;
      DeleteMarkedItems(doomed);
      i = 0;
      continue;
    }
    ++i;
  }
  DeleteMarkedItems(doomed);
  if (batch) {
    PublishExtracted();
    if (fExtractAborted) action = fxaAbort;
  }
  if (reading) {
    bool endCancel = false;
    DoOnOverallProgress(100, operation, ppEnd, endCancel);
  }
  if (action == fxaAbort || FProgressCancel) {
    // The batch ends, and nothing of it is left to be committed later.
    if (GetInUpdate()) dir.Assign(*DMHandle->RBCDir);
    CancelUpdate();
  }
}

void TZABaseArchiver::DeleteMarkedItems(std::vector<bool>& doomed) {
  if (std::find(doomed.begin(), doomed.end(), true) == doomed.end()) return;
  DMHandle->CDir->DeleteItems(doomed);
  doomed.assign(static_cast<size_t>(DMHandle->CDir->Count()), false);
}

void TZABaseArchiver::PublishExtracted() {
  if (fExtractBatch == nullptr) return;
  std::vector<String> published;
  const std::vector<TZAFileBatch::TFailure> failures = fExtractBatch->Publish(&published);
  for (const String& entry : published) {
    bool cancel = false;
    DoOnFileProgress(entry, 100, poExtract, ppEnd, cancel);
    if (cancel) FProgressCancel = true;
  }
  for (const TZAFileBatch::TFailure& f : failures) {
    const EZAException e(19, {f.target}, this);
    String display = f.entry;
    std::replace(display.begin(), display.end(), u'/', u'\\');
    TZAAction action = fxaIgnore;
    DoOnProcessFileFailure(display, poExtract, e.NativeError, e.ErrorCode, e.Message(), action);
    if (action == fxaAbort) fExtractAborted = true;
  }
}

void TZABaseArchiver::DeleteTaggedFile(Int32 index) { DeleteItem(index); }

void TZABaseArchiver::UpdateTaggedFile(Int32 index, const String& name, const String& baseDir) {
  const TDirItem& item = DMHandle->CDir->FItems[static_cast<size_t>(index)];
  if ((item.CentralDir.externalAttr & faDirectory) != 0 || (!name.empty() && name.back() == u'/')) return;
  const String disk = ExpandToBaseDir(name, baseDir, FCurrentDir);
  if (!ZAFileExists(disk)) return;
  if (!FOptions.FReplaceReadOnly && (item.CentralDir.externalAttr & faReadOnly) != 0) return;
  const Cardinal entryTime = (Cardinal(item.CentralDir.lastModDate) << 16) | item.CentralDir.lastModTime;
  TDateTime age = 0;
  const Cardinal fileTime = ZAFileAge(disk, age) ? ZADateTimeToDos(age) : 0;
  bool update = false;
  switch (FOptions.FOverwriteMode) {
    case omPrompt: {
      String dest = name;
      update = true;
      DoOnConfirmOverwrite(disk, dest, update);
      break;
    }
    case omAlways: update = true; break;
    case omNever: update = false; break;
    case omIfNewer: update = entryTime < fileTime; break;
    case omIfOlder: update = entryTime > fileTime; break;
  }
  if (!update) return;
  const String saved = FCurrentDir;
  FCurrentDir = ZAExcludeTrailingBackslash(ExpandToBaseDir(String(), baseDir, saved));
  try {
    UpdateItem(index, disk);
  } catch (...) {
    FCurrentDir = saved;
    throw;
  }
  FCurrentDir = saved;
}

void TZABaseArchiver::ExtractTaggedFile(Int32 index, const String& name, const String& folder) {
  const TDirItem* item = &DMHandle->CDir->FItems[static_cast<size_t>(index)];
  const Cardinal reads = fDirectoryReads;
  // After a question the directory may have been read again: the entry is
  // the one of its name now.
  auto current = [&]() {
    if (reads == fDirectoryReads) return;
    index = ZAFindEntryExact(*DMHandle->CDir, name);
    if (index < 0) throw EZAException(71, {FFileName}, this);
    item = &DMHandle->CDir->FItems[static_cast<size_t>(index)];
  };
  Cardinal attr = item->CentralDir.externalAttr;
  String stored = name;
  String given = name;
  DoOnExtractFile(given, attr, item->Comment);
  // A target that a handler set is the host's decision and is used as given;
  // a name from the archive is checked.
  const bool fromHandler = ToSlashes(given) != ToSlashes(stored);
  String target;
  String leaf;          // the file's name in its folder
  TFolderHandle where;  // the folder it goes into
  const bool isFolder = (attr & faDirectory) != 0 || (!name.empty() && name.back() == u'/');
  if (fromHandler) {
    target = ToSlashes(given);
    if (target.empty() || target[0] != u'/') target = ZAIncludeTrailingBackslash(folder) + target;
    if (FOptions.FCreateDirs && !ZAForceDirectories(ZAExtractFilePath(target)))
      throw EZAException(20, {ZAExtractFilePath(target)}, this);
    if (isFolder) return;
    leaf = NamePart(target);
    where.fd = OpenHostFolder(FolderPart(target));
    if (where.fd < 0) throw EZAException(19, {target}, this);
  } else {
    if (IsUnsafeStoredName(stored)) throw EZAException(19, {stored}, this);
    String rel = ToSlashes(stored);
    if (!FOptions.FCreateDirs) {
      String r = rel;
      if (!r.empty() && r.back() == u'/') r.pop_back();
      rel = NamePart(r);
      if (isFolder) return;
      where.fd = OpenHostFolder(ZAExcludeTrailingBackslash(folder));
      if (where.fd < 0) throw EZAException(19, {ZAIncludeTrailingBackslash(folder) + rel}, this);
    } else {
      const String folders = isFolder ? rel : FolderPart(rel);
      // The target folder itself is the host's choice; below it nothing
      // from the archive may pass through a link.
      TFolderHandle base;
      if (ZAForceDirectories(ZAExcludeTrailingBackslash(folder)))
        base.fd = OpenHostFolder(ZAExcludeTrailingBackslash(folder));
      if (base.fd >= 0) where.fd = ZAOpenFoldersBelow(base.fd, folders);
      if (where.fd < 0) throw EZAException(20, {ZAIncludeTrailingBackslash(folder) + folders}, this);
    }
    target = ZAIncludeTrailingBackslash(folder) + rel;
    leaf = NamePart(rel);
  }
  if (isFolder) return;

  // A file of this name still waiting for it goes first: this entry must
  // find it there, as it would have without the wait.
  if (fExtractBatch != nullptr && fExtractBatch->Holds(where.fd, leaf)) PublishExtracted();
  struct stat st;
  const bool present = ZAStatInFolder(where.fd, leaf, st);
  if (present && S_ISDIR(st.st_mode)) throw EZAException(19, {target}, this);
  // The overwrite rule holds for whatever stands at the name (a link, a
  // dangling one too, or a pipe is kept or asked about as a file is), its
  // own time taken for its age.
  if (present) {
    if (S_ISREG(st.st_mode) && !FOptions.FReplaceReadOnly && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
      return;
    const Cardinal fileTime = ZADateTimeToDos(ZALocalDateTimeOf(st.st_mtim));
    const Cardinal entryTime = (Cardinal(item->CentralDir.lastModDate) << 16) | item->CentralDir.lastModTime;
    bool replace = true;
    const String asked = target;
    switch (FOptions.FOverwriteMode) {
      case omPrompt:
        DoOnConfirmOverwrite(name, target, replace);
        current();
        break;
      case omAlways: break;
      case omNever: replace = false; break;
      case omIfNewer: replace = fileTime < entryTime; break;
      case omIfOlder: replace = fileTime > entryTime; break;
    }
    if (!replace) return;
    if (target != asked) {
      // The handler chose another target: the host's decision, used as given.
      target = ToSlashes(target);
      leaf = NamePart(target);
      TFolderHandle chosen(OpenHostFolder(FolderPart(target)));
      if (chosen.fd < 0) throw EZAException(19, {target}, this);
      std::swap(where.fd, chosen.fd);
      if (ZAStatInFolder(where.fd, leaf, st) && S_ISDIR(st.st_mode)) throw EZAException(19, {target}, this);
    }
  }
  // What is replaced (a link among them) is replaced by the extracted file,
  // never written through; a file keeps its old content until the entry
  // checks.
  if (fExtractBatch != nullptr && fExtractBatch->Holds(where.fd, leaf)) PublishExtracted();
  if (fExtractBatch != nullptr) fExtractBatch->SweepFolderOnce(where.fd);
  auto out = std::make_unique<TZAFolderFileStream>(where.fd, leaf);
  if (!out->Ok()) throw EZAException(19, {target}, this);
  FSkipFile = false;
  ExtractItem(index, out.get(), 0, 0);
  if (FSkipFile || FProgressCancel) return;
  current();
  // Only read-only comes from an archive: no executable or set-id bit.
  const bool readOnly = FOptions.FSetAttributes && (attr & faReadOnly) != 0;
  const TDateTime modified =
      ZADosToDateTime((Cardinal(item->CentralDir.lastModDate) << 16) | item->CentralDir.lastModTime);
  if (fExtractBatch == nullptr) {
    if (!out->Commit(modified, readOnly)) throw EZAException(19, {target}, this);
    return;
  }
  if (!out->Seal(modified, readOnly)) throw EZAException(19, {target}, this);
  fExtractBatch->Add(std::move(out), target, name);
}

void TZABaseArchiver::TestTaggedFile(Int32 index, const String& name) {
  const TDirItem& item = DMHandle->CDir->FItems[static_cast<size_t>(index)];
  if ((item.CentralDir.externalAttr & faDirectory) != 0 || (!name.empty() && name.back() == u'/')) return;
  TNullStream sink;
  ExtractItem(index, &sink, 0, 0);
}

}  // namespace sk
