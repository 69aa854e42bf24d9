// The archiver's public operations: adding files from disk and data from
// memory, processing entries by masks, extracting into memory, the search,
// renaming, attributes, comments and the password test; and the auxiliary
// streams and the Unicode-name block.
#include <sys/stat.h>

#include <algorithm>
#include <limits>
#include <unordered_set>

#include "core/Basic_processes.h"
#include "platform/runtime/DateUtils.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"
#include "zip/ZAUtils.h"

namespace sk {

namespace {
constexpr Cardinal kUnicodeSignature = 0x5843554E;  // "NUCX"
}  // namespace

Int64 THackMemoryStream::CopyFrom(TStream* source, Int64 count) {
  if (source == nullptr) return 0;
  if (count == 0) {
    source->Seek(0, soBeginning);
    count = source->Size();
  }
  if (count <= 0) return 0;
  TBytes buffer(static_cast<size_t>(std::min<Int64>(count, 10000)));
  for (Int64 left = count; left > 0;) {
    const Int64 n = std::min<Int64>(left, static_cast<Int64>(buffer.size()));
    source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return count;
}

void TUnicodeExtendedInfo::SaveToStream(TStream* stream) const {
  stream->WriteValue<Cardinal>(kUnicodeSignature);
  stream->WriteValue<Int32>(static_cast<Int32>(FName.size()));
  for (Char ch : FName) stream->WriteValue<Word>(static_cast<Word>(ch));
}

bool TUnicodeExtendedInfo::LoadFromStream(TStream* stream) {
  stream->Seek(0, soBeginning);
  Cardinal signature = 0;
  if (!stream->TryReadValue(signature)) return false;
  FAdditionalSignature = signature;
  if (signature != kUnicodeSignature) return false;
  Int32 count = 0;
  if (!stream->TryReadValue(count) || count < 0 || Int64(count) * 2 > stream->Remaining()) return false;
  String name(static_cast<size_t>(count), u'\0');
  for (Char& ch : name) ch = static_cast<Char>(stream->ReadValue<Word>());
  FName = std::move(name);
  return true;
}

bool TUnicodeExtendedInfo::Load(const void* buffer, Int64 size) {
  TMemoryStream stream;
  if (size > 0) stream.WriteBuffer(buffer, size);
  return LoadFromStream(&stream);
}


// ---------------------------------------------------------------------------
// The archiver's public operations

namespace {

bool HasWildcards(const String& s) { return s.find_first_of(u"*?") != String::npos; }

String ToSlashes(String s) {
  std::replace(s.begin(), s.end(), u'\\', u'/');
  return s;
}

// Device and inode of a path (links followed); false when it cannot be read.
bool IdentityOf(const String& path, UInt64& dev, UInt64& ino) {
  struct stat st;
  if (::stat(StringToSystemName(path).c_str(), &st) != 0) return false;
  dev = static_cast<UInt64>(st.st_dev);
  ino = static_cast<UInt64>(st.st_ino);
  return true;
}

// Runs the archiver's lock for one scope.
class TEngineLock {
 public:
  explicit TEngineLock(TZABaseArchiver* a) : fA(a) { fA->Lock(); }
  ~TEngineLock() { fA->Unlock(); }
  TEngineLock(const TEngineLock&) = delete;
  TEngineLock& operator=(const TEngineLock&) = delete;

 private:
  TZABaseArchiver* fA;
};

}  // namespace

// ---- adding from disk --------------------------------------------------------

void TZABaseArchiver::AddFiles() {
  TStringList exclusions;
  exclusions.Assign(*FExclusionMasks);
  exclusions.Add(ZAExpandFileName(FFileName));
  InternalAddFiles(*FFileMasks, FOptions.FSearchAttr, exclusions, false, FOptions.FRecurse);
}

void TZABaseArchiver::AddFiles(const String& mask, Int32 searchAttr, const String& exclusionMask) {
  TStringList masks;
  masks.Add(mask);
  TStringList exclusions;
  if (!exclusionMask.empty()) exclusions.Add(exclusionMask);
  exclusions.Add(ZAExpandFileName(FFileName));
  if (!VolumeFileName.empty() && VolumeFileName != FFileName) exclusions.Add(VolumeFileName);
  InternalAddFiles(masks, searchAttr, exclusions, false, FOptions.FRecurse);
}

void TZABaseArchiver::MoveFiles() {
  InternalAddFiles(*FFileMasks, FOptions.FSearchAttr, *FExclusionMasks, true, FOptions.FRecurse);
}

void TZABaseArchiver::MoveFiles(const String& mask, Int32 searchAttr, const String& exclusionMask) {
  TStringList masks;
  masks.Add(mask);
  TStringList exclusions;
  if (!exclusionMask.empty()) exclusions.Add(exclusionMask);
  InternalAddFiles(masks, searchAttr, exclusions, true, FOptions.FRecurse);
}

void TZABaseArchiver::InternalAddFiles(const TStrings& masks, Int32 searchAttr, const TStrings& exclusions,
                                       bool move, bool recurse) {
  CheckInactive();
  CheckModifySpanning();
  TEngineLock lock(this);
  // Names are resolved against the base folder; the process's current folder
  // is never changed.
  const String saved = FCurrentDir;
  FCurrentDir = ZAExcludeTrailingBackslash(ExpandToBaseDir(String(), FBaseDir, saved));
  // The archive itself is never added, whatever name reaches it.
  fArchiveIdentity = !FInMemory && !IsCustomStream && IdentityOf(FFileName, fArchiveDev, fArchiveIno);
  // The scan yields to the host as it goes; a Stop ends the batch
  // uncommitted, as a cancel does.
  TTimedYield yield;
  fScanYield = &yield;
  struct TYieldScope {
    TTimedYield*& at;
    ~TYieldScope() { at = nullptr; }
  } yieldScope{fScanYield};
  try {
    BeginUpdate();
    try {
      for (Int32 i = 0; i < masks.Count() && !yield.Stopped(); ++i)
        ScanMask(masks.Get(i), searchAttr, exclusions, move, recurse);
    } catch (...) {
      DMHandle->CDir->Assign(*DMHandle->RBCDir);
      CancelUpdate();
      throw;
    }
    if (yield.Stopped()) {
      DMHandle->CDir->Assign(*DMHandle->RBCDir);
      CancelUpdate();
    } else {
      EndUpdate();
    }
  } catch (...) {
    FCurrentDir = saved;
    throw;
  }
  FCurrentDir = saved;
}

void TZABaseArchiver::ScanMask(const String& mask, Int32 searchAttr, const TStrings& exclusions, bool move,
                               bool recurse) {
  bool bare = false;
  // A backslash left in the full mask came with a full path, whose bytes go
  // to the system as they are: it is part of a name there.
  const String full = WithNameBackslashes(GetFullMask(mask, FBaseDir, bare));
  if (full.empty()) return;
  std::vector<std::pair<UInt64, UInt64>> visited;
  if (!HasWildcards(full)) {
    String path = full;
    if (path.size() > 1 && path.back() == u'/') path.pop_back();
    const Int32 attr = ZAFileGetAttr(path);
    if (attr < 0 || (attr & faSysFile) != 0) return;
    if ((attr & faDirectory) != 0) {
      // A folder named alone: the folder and, with recursion, what it holds.
      if ((searchAttr & faDirectory) != 0) ProcessFoundFile(path + u"/", true, 0, exclusions, move);
      if (recurse) ScanFolder(path + u"/", u"*", searchAttr, exclusions, move, recurse, visited);
      return;
    }
    ProcessFoundFile(path, false, FileSizeByName(path), exclusions, move);
    return;
  }
  const size_t slash = full.rfind(u'/');
  const String folder = slash == String::npos ? ZAIncludeTrailingBackslash(FCurrentDir) : full.substr(0, slash + 1);
  const String pattern = slash == String::npos ? full : full.substr(slash + 1);
  ScanFolder(folder, pattern, searchAttr, exclusions, move, recurse, visited);
}

void TZABaseArchiver::ScanFolder(const String& folder, const String& pattern, Int32 searchAttr,
                                 const TStrings& exclusions, bool move, bool recurse,
                                 std::vector<std::pair<UInt64, UInt64>>& visited) {
  UInt64 dev = 0, ino = 0;
  if (!IdentityOf(folder, dev, ino)) return;
  // A folder reached twice (through links) is entered once.
  if (std::find(visited.begin(), visited.end(), std::make_pair(dev, ino)) != visited.end()) return;
  visited.emplace_back(dev, ino);

  std::vector<String> subfolders;
  TSearchRec rec;
  for (Int32 r = ZAFindFirst(folder + u"*", faAnyFile, rec); r == 0; r = ZAFindNext(rec)) {
    if (fScanYield != nullptr && fScanYield->Tick()) break;
    if (rec.Name == u"." || rec.Name == u"..") continue;
    const String full = folder + rec.Name;
    if ((rec.Attr & faDirectory) != 0) {
      if ((searchAttr & faDirectory) != 0 && WIsStrMatchPattern(rec.Name, pattern, true))
        ProcessFoundFile(full + u"/", true, 0, exclusions, move);
      if (recurse) subfolders.push_back(full + u"/");
      continue;
    }
    // Regular files only: a pipe or a device would never end.
    if ((rec.Attr & faSysFile) != 0) continue;
    if (!WIsStrMatchPattern(rec.Name, pattern, true)) continue;
    const Int32 wanted = searchAttr & ~faDirectory;
    const Int32 attr = rec.Attr & ~faSymLink;
    if ((attr & wanted) == 0 && !(attr == 0 && (wanted & 0x27) == 0x27) && (attr & ~faArchive) != 0 &&
        (wanted & faArchive) == 0)
      continue;
    if ((attr & (faHidden | faSysFile)) & ~wanted) continue;
    ProcessFoundFile(full, false, rec.Size, exclusions, move);
  }
  ZAFindClose(rec);
  if (fScanYield != nullptr && fScanYield->Stopped()) return;
  for (const String& sub : subfolders) {
    bool excluded = false;
    for (Int32 i = 0; i < exclusions.Count() && !excluded; ++i)
      excluded = IsExternalFileMatchMask(sub, exclusions.Get(i), true);
    if (!excluded) ScanFolder(sub, pattern, searchAttr, exclusions, move, recurse, visited);
  }
}

void TZABaseArchiver::ProcessFoundFile(const String& fullName, bool isFolder, Int64 size, const TStrings& exclusions,
                                       bool move) {
  for (Int32 i = 0; i < exclusions.Count(); ++i)
    if (IsExternalFileMatchMask(fullName, exclusions.Get(i), isFolder)) return;
  if (fArchiveIdentity && !isFolder) {
    UInt64 dev = 0, ino = 0;
    if (IdentityOf(fullName, dev, ino) && dev == fArchiveDev && ino == fArchiveIno) return;
  }
  bool confirm = true;
  DoOnConfirmProcessFile(fullName, move ? poMove : poAdd, confirm);
  if (!confirm) return;
  String source = fullName;
  if (isFolder && source.size() > 1 && source.back() == u'/') source.pop_back();
  const Int32 index = AddFileInit(source, FCurrentDir, true, 0, 0);
  if (index < 0) return;
  TDirItem& item = DMHandle->CDir->FItems[static_cast<size_t>(index)];
  if (move) item.Operation = poMove;
  for (Int32 i = 0; i < FNoCompressionMasks->Count(); ++i) {
    if (IsInternalFileMatchMask(item.Name, FNoCompressionMasks->Get(i))) {
      item.CompressionMode = 0;
      item.CompressionMethod = FCompressionMethod == 0 || FCompressionMethod == 8 ? 0 : 0xFF;
      break;
    }
  }
  if (size < 0xFFFFFFFFLL && FZip64Mode != zmAlways) {
    item.CentralDir.unCompSize = static_cast<Cardinal>(size);
  } else {
    item.bHugeFile = true;
    item.CentralDir.unCompSize = 0xFFFFFFFFu;
    item.Zip64ExtInfo.uncompSize = static_cast<UInt64>(size);
  }
}

Int32 TZABaseArchiver::AddFileInit(const String& sourceName, const String& baseDir, bool fromFile, Int32 attributes,
                                   TDateTime date) {
  TZADirArray& dir = *DMHandle->CDir;
  String stored;
  Int32 attr;
  if (fromFile) {
    stored = GetStoredName(sourceName, baseDir, FOptions.FStorePath, FCurrentDir);
    if (ZADirectoryExists(sourceName) && (stored.empty() || stored.back() != u'/')) stored += u'/';
    const Int32 a = ZAFileGetAttr(sourceName);
    attr = a >= 0 ? a : faArchive;
  } else {
    stored = sourceName;
    if (!stored.empty() && stored.back() == u'\\') stored.pop_back();
    stored = ToSlashes(stored);
    attr = attributes;
  }
  AnsiString comment;
  DoOnStoreFile(stored, attr, comment, sourceName);
  if (stored.empty()) return -1;

  // Names that differ only in case are different files on this system.
  Int32 index = ZAFindEntryExact(dir, stored);
  if (index < 0) {
    index = dir.Count();
    dir.SetCount(index + 1);
    TDirItem fresh;
    fresh.Name = stored;
    fresh.Operation = poAdd;
    dir.FItems[static_cast<size_t>(index)] = fresh;
    dir.FItemNamesList->Add(ZALowerCase(stored));
  } else {
    TDirItem& it = dir.FItems[static_cast<size_t>(index)];
    const Cardinal entryTime = (Cardinal(it.CentralDir.lastModDate) << 16) | it.CentralDir.lastModTime;
    TDateTime age = date;
    if (fromFile && !ZAFileAge(sourceName, age)) age = Now();
    const Cardinal newTime = ZADateTimeToDos(age);
    bool replace = false;
    switch (FOptions.FOverwriteMode) {
      case omPrompt: {
        String dest = stored;
        replace = true;
        DoOnConfirmOverwrite(sourceName, dest, replace);
        break;
      }
      case omAlways: replace = true; break;
      case omNever: break;
      case omIfNewer: replace = entryTime < newTime; break;
      case omIfOlder: replace = entryTime > newTime; break;
    }
    if (!replace) return -1;
    it.Modified = true;
    it.SrcFileName = fromFile ? sourceName : String();
    it.Operation = poUpdate;
  }
  FillDirItem(index, fromFile ? sourceName : stored, fromFile, attr, date);
  TDirItem& item = dir.FItems[static_cast<size_t>(index)];
  item.Name = stored;
  dir.SetItemName(index, stored);
  item.CentralDir.nameLength = static_cast<Word>(std::min<size_t>(stored.size(), 0xFFFF));
  item.CentralDir.externalAttr = static_cast<Cardinal>(attr);
  if ((attr & faDirectory) != 0) {
    item.CentralDir.compMethod = 0;
    item.CentralDir.crc32 = 0;
    item.CompressionMethod = 0;
    item.CompressionMode = 0;
    item.Password.clear();
    item.CentralDir.genPurposeFlag = 2;
  }
  item.Comment = comment;
  item.CentralDir.commentLength = static_cast<Word>(std::min<size_t>(comment.size(), 0xFFFF));
  item.UseOldRijndael = false;
  item.ExtraFields.clear();
  return index;
}

// ---- adding from memory --------------------------------------------------------

namespace {

// A read-only view of another stream from a fixed 64-bit offset to its end,
// seen as a stream of its own that starts at 0. Each read leaves the other
// stream's position where it was, so its owner sees no change. Holding the
// stream keeps it as long as the view (a stream the caller owns is held
// without being freed).
class TStreamWindow : public TStream {
 public:
  TStreamWindow(std::shared_ptr<TStream> stream, Int64 start)
      : fStream(std::move(stream)), fStart(std::max<Int64>(0, start)) {}
  Int64 Read(void* buffer, Int64 count) override {
    const Int64 n = std::min(count, Size() - fPosition);
    if (n <= 0) return 0;
    const Int64 saved = fStream->Position();
    fStream->Seek(fStart + fPosition, soBeginning);
    Int64 got = 0;
    try {
      got = fStream->Read(buffer, n);
    } catch (...) {
      fStream->Seek(saved, soBeginning);
      throw;
    }
    fStream->Seek(saved, soBeginning);
    if (got > 0) fPosition += got;
    return std::max<Int64>(0, got);
  }
  Int64 Write(const void*, Int64) override { return 0; }
  Int64 Seek(Int64 offset, TSeekOrigin origin) override {
    const Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? fPosition : Size();
    fPosition = std::max<Int64>(0, base + offset);
    return fPosition;
  }
  Int64 Size() override { return std::max<Int64>(0, fStream->Size() - fStart); }

 private:
  std::shared_ptr<TStream> fStream;
  Int64 fStart;
  Int64 fPosition = 0;
};

}  // namespace

void TZABaseArchiver::InternalAddFromStream(const String& name, std::shared_ptr<TStream> stream, bool copyToBuffer,
                                            bool destroy, Int64 position, Int64 count, Cardinal attributes,
                                            TDateTime date) {
  CheckInactive();
  CheckModifySpanning();
  FProgressEnabled = false;
  BeginUpdate();
  try {
    const Int32 index = AddFileInit(name, String(), false, static_cast<Int32>(attributes), date);
    if (index >= 0) {
      TDirItem& item = DMHandle->CDir->FItems[static_cast<size_t>(index)];
      item.CentralDir.externalAttr = attributes;
      const Cardinal dos = ZADateTimeToDos(date == 0 ? Now() : date);
      item.CentralDir.lastModTime = static_cast<Word>(dos);
      item.CentralDir.lastModDate = static_cast<Word>(dos >> 16);
      if (copyToBuffer) {
        auto copy = std::make_shared<THackMemoryStream>();
        const Int64 saved = stream->Position();
        stream->Seek(position, soBeginning);
        const Int64 n = std::max<Int64>(0, std::min(count, stream->Size() - position));
        if (n > 0) copy->CopyFrom(stream.get(), n);
        stream->Seek(saved, soBeginning);
        item.Stream = copy;
        item.Position = 0;
        item.bDestroyStream = true;
      } else if (position != 0) {
        // The entry reads the caller's stream from the given position on:
        // through a window that starts there, since the codec rewinds its
        // source to 0 and the entry's own position field is 32-bit.
        item.Stream = std::make_shared<TStreamWindow>(stream, position);
        item.Position = 0;
        item.bDestroyStream = destroy;
      } else {
        item.Stream = stream;
        item.Position = 0;
        item.bDestroyStream = destroy;
      }
      const Int64 size = item.Stream->Size();
      if (size < 0xFFFFFFFFLL && FZip64Mode != zmAlways) {
        item.CentralDir.unCompSize = static_cast<Cardinal>(size);
      } else {
        item.bHugeFile = true;
        item.CentralDir.unCompSize = 0xFFFFFFFFu;
        item.Zip64ExtInfo.uncompSize = static_cast<UInt64>(size);
      }
    }
  } catch (...) {
    DMHandle->CDir->Assign(*DMHandle->RBCDir);
    CancelUpdate();
    throw;
  }
  EndUpdate();
}

void TZABaseArchiver::AddFromStream(const String& name, TStream* stream, bool copyToBuffer, Int64 position,
                                    Int64 count, Cardinal attributes, TDateTime date) {
  // The caller keeps the stream: the entry holds it without owning it.
  InternalAddFromStream(name, std::shared_ptr<TStream>(stream, [](TStream*) {}), copyToBuffer, false, position,
                        count, attributes, date);
}

void TZABaseArchiver::AddFromBuffer(const String& name, const void* buffer, Int64 count, Cardinal attributes,
                                    TDateTime date) {
  auto stream = std::make_shared<TMemoryStream>();
  if (count > 0) stream->WriteBuffer(buffer, count);
  InternalAddFromStream(name, stream, false, true, 0, stream->Size(), attributes, date);
}

void TZABaseArchiver::AddFromString(const String& name, const String& text, Cardinal attributes, TDateTime date) {
  const std::string utf8 = StringToUtf8(text);
  AddFromBuffer(name, utf8.data(), static_cast<Int64>(utf8.size()), attributes, date);
}

// ---- processing by masks ------------------------------------------------------

void TZABaseArchiver::RunTagged(TZAProcessOperation operation, bool update, const std::function<void()>& tag) {
  if (!update) {
    tag();
    ProcessTaggedFiles(operation);
    return;
  }
  BeginUpdate();
  try {
    tag();
    ProcessTaggedFiles(operation);
  } catch (...) {
    DMHandle->CDir->Assign(*DMHandle->RBCDir);
    CancelUpdate();
    throw;
  }
  EndUpdate();
}

void TZABaseArchiver::ExtractFiles() {
  CheckInactive();
  CheckInUpdate();
  TZAReadLock readLock(*this);
  RunTagged(poExtract, false, [this] { TagFiles(); });
}

void TZABaseArchiver::ExtractFiles(const String& mask, Int32 searchAttr, const String& exclusionMask) {
  CheckInactive();
  CheckInUpdate();
  // One directory for the whole run: read again first when another process
  // changed the archive, and kept so under the shared lock.
  TZAReadLock readLock(*this);
  if (!FOptions.FRecurse && !HasWildcards(mask) && exclusionMask.empty() && searchAttr == 0x28BF) {
    TZAArchiveItem f;
    if (!FindFirst(mask, f, searchAttr, exclusionMask)) return;
    DMHandle->CDir->ClearTags();
    DMHandle->CDir->FItems[static_cast<size_t>(f.Handle.ItemNo)].Tagged = true;
    ProcessTaggedFiles(poExtract, f.Handle.ItemNo);
    return;
  }
  RunTagged(poExtract, false, [&] { TagFiles(mask, searchAttr, exclusionMask); });
}

void TZABaseArchiver::TestFiles() {
  CheckInactive();
  CheckInUpdate();
  TZAReadLock readLock(*this);
  RunTagged(poTest, false, [this] { TagFiles(); });
}

void TZABaseArchiver::TestFiles(const String& mask, Int32 searchAttr, const String& exclusionMask) {
  CheckInactive();
  CheckInUpdate();
  TZAReadLock readLock(*this);
  RunTagged(poTest, false, [&] { TagFiles(mask, searchAttr, exclusionMask); });
}

void TZABaseArchiver::DeleteFiles() {
  CheckInactive();
  CheckModifySpanning();
  RunTagged(poDelete, true, [this] { TagFiles(); });
}

void TZABaseArchiver::DeleteFiles(const String& mask, Int32 searchAttr, const String& exclusionMask) {
  CheckInactive();
  CheckModifySpanning();
  RunTagged(poDelete, true, [&] { TagFiles(mask, searchAttr, exclusionMask); });
}

void TZABaseArchiver::UpdateFiles() {
  CheckInactive();
  CheckModifySpanning();
  RunTagged(poUpdate, true, [this] { TagFiles(); });
}

void TZABaseArchiver::UpdateFiles(const String& mask, Int32 searchAttr, const String& exclusionMask) {
  CheckInactive();
  CheckModifySpanning();
  RunTagged(poUpdate, true, [&] { TagFiles(mask, searchAttr, exclusionMask); });
}

// ---- extracting into memory -----------------------------------------------------

void TZABaseArchiver::ExtractToStream(const String& name, TStream* stream) {
  CheckInactive();
  CheckInUpdate();
  TZAReadLock readLock(*this);
  FProgressEnabled = true;
  const bool recurse = FOptions.FRecurse;
  FOptions.FRecurse = false;
  try {
    FProcessedFileNo = 0;
    bool cancel = false;
    DoOnOverallProgress(0, poExtract, ppStart, cancel);
    Int32 index = -1;
    if (!GetFileCendralDirItemNo(name, index)) throw EZAException(15, {name}, this);
    FProcessedFileCount = 1;
    // (A password asked for may have the directory read again, and the
    // entry move.)
    const String entryName = DMHandle->CDir->FItems[static_cast<size_t>(index)].Name;
    ExtractItem(index, stream, 0, 0);
    // A Stop leaves part of the entry in the stream: never taken for all of it.
    if (fCodecStopped) throw EZAException(8, this);
    DoOnFileProgress(entryName, 100, poExtract, ppEnd, cancel);
    DoOnOverallProgress(100, poExtract, ppEnd, cancel);
  } catch (...) {
    FOptions.FRecurse = recurse;
    throw;
  }
  FOptions.FRecurse = recurse;
}

void TZABaseArchiver::ExtractToBuffer(const String& name, void* buffer, Int64 count, Int64 offset) {
  CheckInactive();
  CheckInUpdate();
  if (count < 0 || offset < 0 || count > std::numeric_limits<Int32>::max()) throw EZAException(8, this);
  TZAReadLock readLock(*this);
  const bool recurse = FOptions.FRecurse;
  FOptions.FRecurse = false;
  Int32 index = -1;
  const bool found = GetFileCendralDirItemNo(name, index);
  FOptions.FRecurse = recurse;
  if (!found) throw EZAException(15, {name}, this);
  FProgressEnabled = false;
  // The memory stream holds no more than the range asked for, and the codec
  // stops at the size the entry was checked against.
  TMemoryStream memory;
  ExtractItem(index, &memory, static_cast<Int32>(count), offset);
  if (fCodecStopped) throw EZAException(8, this);
  if (offset == 0) memory.Seek(0, soBeginning);
  if (memory.Remaining() < count) throw EZAException(8, this);
  memory.ReadBuffer(buffer, count);
}

void TZABaseArchiver::ExtractToString(const String& name, String& text) {
  CheckInactive();
  CheckInUpdate();
  TZAReadLock readLock(*this);
  const bool recurse = FOptions.FRecurse;
  FOptions.FRecurse = false;
  Int32 index = -1;
  const bool found = GetFileCendralDirItemNo(name, index);
  FOptions.FRecurse = recurse;
  if (!found) throw EZAException(15, {name}, this);
  FProgressEnabled = false;
  TMemoryStream memory;
  ExtractItem(index, &memory, 0, 0);
  if (fCodecStopped) throw EZAException(8, this);
  text = Utf8ToString(std::string(reinterpret_cast<const char*>(memory.Bytes()), static_cast<size_t>(memory.Size())));
}

// ---- search ---------------------------------------------------------------------

bool TZABaseArchiver::FindFirst(TZAArchiveItem& item) {
  CheckInactive();
  // A lookup gives indexes into the table as it is now.
  fIndexesMoved = false;
  item.Handle = TInternalSearchRec();
  item.Handle.UseProperties = true;
  item.Handle.FWildCards = true;
  item.Handle.FFindAttr = FOptions.FSearchAttr;
  item.Handle.ItemNo = 0;
  return InternalFind(item);
}

bool TZABaseArchiver::FindFirst(const String& mask, TZAArchiveItem& item, Int32 searchAttr,
                                const String& exclusionMask) {
  CheckInactive();
  fIndexesMoved = false;
  String m = mask;
  if (FOptions.FStorePath != spFullPathWithDrive && m.size() >= 2 && m[1] == u':') m = m.substr(2);
  m = ToSlashes(m);
  item.Handle = TInternalSearchRec();
  // A mask that does not fit the search record finds nothing.
  if (m.size() >= item.Handle.CFindMask.size()) return false;
  std::copy(m.begin(), m.end(), item.Handle.CFindMask.begin());
  item.Handle.ExclusionMask = ToSlashes(exclusionMask);
  item.Handle.UseProperties = false;
  item.Handle.FWildCards = HasWildcards(m);
  item.Handle.FFindAttr = searchAttr;
  item.Handle.ItemNo = 0;
  return InternalFind(item);
}

bool TZABaseArchiver::FindNext(TZAArchiveItem& item) {
  CheckInactive();
  ++item.Handle.ItemNo;
  return InternalFind(item);
}

bool TZABaseArchiver::GetFileCendralDirItemNo(const String& name, Int32& index) {
  fIndexesMoved = false;
  index = ZAFindEntryExact(*DMHandle->CDir, ToSlashes(name));
  if (index >= 0) return true;
  // Otherwise the entry the search finds: the one a rename or a change of
  // the same name reaches.
  TZAArchiveItem f;
  if (!FindFirst(name, f, 0x28BF, String())) return false;
  index = f.Handle.ItemNo;
  return true;
}

// ---- renaming and attributes ----------------------------------------------------

// The operations that change entries found by name or mask open their
// bracket first and find the entries inside it: under the archive's lock, in
// the directory as another process may have left it. Entries found before
// the lock may have moved or gone.

void TZABaseArchiver::AbandonBracket(bool changed) {
  if (!changed && FUpdateCount > 1) {
    --FUpdateCount;
    return;
  }
  CancelUpdate();
}

void TZABaseArchiver::RenameFile(const String& oldName, const String& newName) {
  CheckInactive();
  BeginUpdate();
  TZADirArray& dir = *DMHandle->CDir;
  const String oldArg = ToSlashes(oldName);
  const String newArg = ToSlashes(newName);
  // The entries to rename: the one found and, for a folder, all below it,
  // each with its new name.
  std::vector<Int32> targets;
  std::vector<String> newNamesOf;
  bool changed = false;
  try {
    TZAArchiveItem f;
    if (!FindFirst(oldName, f, 0x28BF, String())) throw EZAException(30, {oldName}, this);
    // The entry found takes its name with every occurrence of the old name
    // replaced, the occurrences found as the search compares names (case
    // ignored), so that what the search finds is what is renamed. An entry
    // found that holds no occurrence (the old name has wildcards, say) would
    // stay as it is: refused as a name that matches nothing is.
    const TDirItem& found = dir.FItems[static_cast<size_t>(f.Handle.ItemNo)];
    Int32 occurrences = 0;
    String foundTo = WReplaceTextIgnoringCase(found.Name, oldArg, newArg, occurrences);
    if (occurrences == 0 || foundTo.empty()) throw EZAException(30, {oldName}, this);
    const bool folder =
        (found.CentralDir.externalAttr & faDirectory) != 0 || (!found.Name.empty() && found.Name.back() == u'/');
    if (folder && found.Name.back() == u'/' && foundTo.back() != u'/') foundTo += u'/';
    targets.push_back(f.Handle.ItemNo);
    newNamesOf.push_back(foundTo);
    if (folder) {
      // The entries below a folder take its new name in place of its old.
      String prefix = found.Name;
      if (prefix.back() != u'/') prefix += u'/';
      String newPrefix = foundTo;
      if (newPrefix.back() != u'/') newPrefix += u'/';
      for (Int32 i = 0; i < dir.Count(); ++i) {
        const String& name = dir.FItems[static_cast<size_t>(i)].Name;
        if (i != f.Handle.ItemNo && name.starts_with(prefix)) {
          targets.push_back(i);
          newNamesOf.push_back(newPrefix + name.substr(prefix.size()));
        }
      }
    }
    // A rename that would give two entries one name is refused before
    // anything changes: a new name that an entry left as it is has, or that
    // two renamed entries would share.
    // The entries of a new name are found through the name index, so that
    // a rename costs what it renames, not what the archive holds.
    const std::unordered_set<Int32> isTarget(targets.begin(), targets.end());
    std::unordered_set<String> newNames;
    for (const String& to : newNamesOf) {
      if (!newNames.insert(to).second) throw EZAException(69, {to}, this);
      for (Int32 p : dir.FItemNamesList->IndexesOf(to))
        if (p >= 0 && p < dir.Count() && isTarget.count(p) == 0 && dir.FItems[static_cast<size_t>(p)].Name == to)
          throw EZAException(69, {to}, this);
    }
    for (size_t k = 0; k < targets.size(); ++k) {
      const Int32 t = targets[k];
      TDirItem& item = dir.FItems[static_cast<size_t>(t)];
      changed = true;
      if (!(item.Modified && item.Operation == poRename)) item.OldName = item.Name;
      const String& to = newNamesOf[k];
      dir.SetItemName(t, to);
      item.Name = to;
      item.CentralDir.nameLength = static_cast<Word>(std::min<size_t>(to.size(), 0xFFFF));
      if (!item.Modified || item.Operation == poChangeAttr || item.Operation == poChangeComment) {
        item.Modified = true;
        item.Operation = poRename;
      }
      // A name whose bytes are not UTF-8 is stored as those bytes, and the
      // Unicode-name block gives it back as it was.
      const bool needsBlock = EntryNameHasSystemBytes(to) &&
                              std::none_of(item.ExtraFields.begin(), item.ExtraFields.end(), [](const auto& b) {
                                return b.headerID == UnicodeExtraFieldHeaderID;
                              });
      if (needsBlock) {
        TZAExtraFieldDataBlock block;
        block.headerID = UnicodeExtraFieldHeaderID;
        item.ExtraFields.push_back(block);
      }
      for (auto& block : item.ExtraFields) {
        if (block.headerID != UnicodeExtraFieldHeaderID) continue;
        TUnicodeExtendedInfo info;
        info.FName = to;
        TMemoryStream data;
        info.SaveToStream(&data);
        block.pData = data.ToBytes();
        block.dataSize = static_cast<Word>(block.pData.size());
      }
    }
  } catch (...) {
    AbandonBracket(changed);
    throw;
  }
  EndUpdate();
}

void TZABaseArchiver::ChangeFoundEntries(const String& mask, Int32 notFound, TZAProcessOperation operation,
                                         const std::function<void(TDirItem&)>& change) {
  BeginUpdate();
  bool changed = false;
  try {
    TZAArchiveItem f;
    if (!FindFirst(mask, f, 0x28BF, String())) throw EZAException(notFound, {mask}, this);
    for (bool ok = true; ok; ok = FindNext(f)) {
      TDirItem& item = DMHandle->CDir->FItems[static_cast<size_t>(f.Handle.ItemNo)];
      changed = true;
      change(item);
      if (!item.Modified) {
        item.Modified = true;
        item.Operation = operation;
      }
    }
  } catch (...) {
    AbandonBracket(changed);
    throw;
  }
  EndUpdate();
}

void TZABaseArchiver::ChangeFilesAttr(const String& mask, Int32 attributes) {
  CheckInactive();
  ChangeFoundEntries(mask, 31, poChangeAttr, [attributes](TDirItem& item) {
    item.CentralDir.externalAttr =
        static_cast<Cardinal>(attributes) | (item.CentralDir.externalAttr & static_cast<Cardinal>(faDirectory));
  });
}

void TZABaseArchiver::ChangeFilesIntAttr(const String& mask, Int32 attributes) {
  CheckInactive();
  ChangeFoundEntries(mask, 38, poChangeAttr,
                     [attributes](TDirItem& item) { item.CentralDir.internalAttr = static_cast<Word>(attributes); });
}

void TZABaseArchiver::ChangeFilesComment(const String& mask, const AnsiString& comment) {
  CheckInactive();
  ChangeFoundEntries(mask, 31, poChangeComment, [&comment](TDirItem& item) {
    item.Comment = comment;
    item.CentralDir.commentLength = static_cast<Word>(std::min<size_t>(comment.size(), 0xFFFF));
  });
}

bool TZABaseArchiver::IsFilePasswordValid(const String& name, const AnsiString& password) {
  CheckInactive();
  // The entry is found and read under the shared lock, in the directory as
  // it is on the disk.
  TZAReadLock readLock(*this);
  TZAArchiveItem f;
  if (!FindFirst(name, f, 0x28BF, String())) throw EZAException(42, {name}, this);
  TDirItem& item = DMHandle->CDir->FItems[static_cast<size_t>(f.Handle.ItemNo)];
  if ((item.CentralDir.genPurposeFlag & ZAFlagEncrypted) == 0) return true;
  const AnsiString savedPassword = FPassword;
  const bool savedSuppress = FSuppressPasswordEvent;
  const bool savedEnabled = FProgressEnabled;
  FPassword = password;
  FSuppressPasswordEvent = true;
  FProgressEnabled = false;
  bool valid = false;
  fCodecStopped = false;
  try {
    // The answer is what the test found: the whole entry decrypted and checked.
    PositionAtLocalHeader(item);
    TNullStream sink;
    valid = InternalDecompressFile(FCompressedStream, &sink, item, 0, 0);
  } catch (const EZAException&) {
    valid = false;
  } catch (const EStreamError&) {
    valid = false;
  } catch (...) {
    FPassword = savedPassword;
    FSuppressPasswordEvent = savedSuppress;
    FProgressEnabled = savedEnabled;
    throw;
  }
  FPassword = savedPassword;
  FSuppressPasswordEvent = savedSuppress;
  FProgressEnabled = savedEnabled;
  // A test cut short by a Stop says nothing of the password.
  if (fCodecStopped) throw EZAException(8, this);
  return valid;
}

}  // namespace sk
