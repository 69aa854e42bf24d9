// Whole-archive operations of the archiver: a stub put in front of an
// archive, the validity test, and the listing helpers of the zip form.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/Basic_processes.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/OSError.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"
#include "zip/ZAJournal.h"
#include "zip/ZAUtils_paths.h"

namespace sk {

namespace {

constexpr Int64 kCopyBuffer = 1048576;

Int64 LocalOffsetOf(const TDirItem& item) {
  return item.CentralDir.relOffsetLH == 0xFFFFFFFFu ? static_cast<Int64>(item.Zip64ExtInfo.relOffsetLH)
                                                    : static_cast<Int64>(item.CentralDir.relOffsetLH);
}

// Points the entry at its local header's new place: an offset from
// 0xFFFFFFFF on makes it huge, the 32-bit field then all ones.
void SetLocalOffset(TDirItem& item, UInt64 offset) {
  if (offset >= 0xFFFFFFFFull) {
    item.bHugeFile = true;
    item.CentralDir.relOffsetLH = 0xFFFFFFFFu;
    item.Zip64ExtInfo.relOffsetLH = offset;
  } else {
    item.CentralDir.relOffsetLH = static_cast<Cardinal>(offset);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Stubs

bool TZABaseArchiver::FastFileAppend(TStream* dest, TStream* source, const String& name) {
  dest->Seek(0, soEnd);
  const Int64 total = source->Size();
  source->SetPosition(0);
  bool cancel = false;
  if (FProgressEnabled) {
    DoOnFileProgress(name, 0, poMakeSFX, ppStart, cancel);
    DoOnOverallProgress(0, poMakeSFX, ppStart, cancel);
  }
  TBytes buffer(static_cast<size_t>(std::min<Int64>(std::max<Int64>(total, 1), kCopyBuffer)));
  Int64 done = 0;
  while (done < total) {
    FProcessedFilesSize = done;
    FProcessedFilesTotalSize = total;
    if (FProgressEnabled) {
      const Double percent = static_cast<Double>(done) / static_cast<Double>(total) * 100.0;
      DoOnFileProgress(name, percent, poMakeSFX, ppProcess, cancel);
      if (cancel) return true;
      DoOnOverallProgress(percent, poMakeSFX, ppProcess, cancel);
      if (cancel) return true;
    }
    const Int64 want = std::min<Int64>(total - done, static_cast<Int64>(buffer.size()));
    const Int64 got = source->Read(buffer.data(), want);
    if (got != want) return false;
    if (dest->Write(buffer.data(), got) != got) return false;
    done += got;
  }
  if (FProgressEnabled) {
    DoOnFileProgress(name, 100, poMakeSFX, ppEnd, cancel);
    DoOnOverallProgress(100, poMakeSFX, ppEnd, cancel);
  }
  return true;
}

void TZABaseArchiver::MakeSFX(const String& newName) {
  if (FSFXStub.empty()) throw EZAException(17, this);
  if (!FileExists(FSFXStub)) throw EZAException(18, {FSFXStub}, this);
  if (FSpanningMode != smNone) throw EZAException(49, this);
  if (FActive && GetInUpdate()) ForceUpdate();

  TFileStream stub(FSFXStub, fmOpenRead | fmShareDenyNone);
  // The archive's stream and directory: the open ones, or a file of its own.
  std::unique_ptr<TFileStream> ownStream;
  std::unique_ptr<TZASingleVolumeArchiver> ownLink;
  std::unique_ptr<TZADirManager> ownDir;
  TStream* archive = nullptr;
  Int64 stubSize = 0;
  // The open archive is copied under its shared lock, as it is on the disk
  // (another process may have changed it, or put a new file in its place).
  std::optional<TZAReadLock> readLock;
  if (FActive) {
    readLock.emplace(*this);
    archive = FCompressedStream;
    stubSize = DMHandle->StubSize;
  } else {
    ownStream = std::make_unique<TFileStream>(FFileName, fmOpenRead | fmShareDenyNone);
    ownLink = std::make_unique<TZASingleVolumeArchiver>(ownStream.get());
    ownDir = std::make_unique<TZADirManager>(ownStream.get(), false, ownLink.get());
    ownDir->LoadDir();
    stubSize = ownDir->StubSize;
    archive = ownStream.get();
  }
  if (stubSize > 0) throw EZAException(50, this);
  archive->SetPosition(0);

  // The new file is made whole beside its name and takes the name only when
  // complete, so a file already there stays as it was when anything fails.
  // A copy killed between naming its whole temporary file and moving it in
  // left that file beside the name; nothing else looks there, so it goes now.
  {
    std::error_code ec;
    const std::filesystem::path at = std::filesystem::weakly_canonical(StringToSystemName(newName), ec);
    RemoveStaleTemporarySiblings(ec ? StringToSystemName(newName) : at.string());
  }
  TFileReplaceStream target(newName);
  // The new file is a copy of the archive: it takes the archive's
  // permissions, and stays the process's own unless the owner of a file at
  // the name owns the archive too, so that the content never passes to a
  // user who put a file there.
  struct stat st {};
  if (auto* file = dynamic_cast<THandleStream*>(archive); file != nullptr && ::fstat(file->Handle(), &st) == 0)
    target.GivePermissions(st.st_mode & 0777, st.st_gid, file->Handle());
  else
    target.GivePermissions(0600, ::getegid());
  if (!target.Ok())
    throw EFCreateError(u"Cannot create file \"" + newName + u"\". " + target.ErrorText());
  bool ok = true;
  try {
    stub.SetPosition(0);
    target.CopyFrom(&stub, stub.Size());
    const bool progress = FProgressEnabled;
    FProgressEnabled = true;
    ok = FastFileAppend(&target, archive, FFileName);
    FProgressEnabled = progress;
  } catch (const EZAException&) {
    throw;
  } catch (const Exception&) {
    ok = false;
  }
  if (!ok) throw EZAException(56, this);
  {
    // The new file's directory is read (which measures the stub) and written
    // again, so that its offsets count from the file's start.
    TZASingleVolumeArchiver link(&target);
    TZADirManager dm(&target, false, &link);
    dm.LoadDir();
    dm.SaveDir(false);
  }
  if (!target.Commit()) throw EZAException(56, this);
}

// ---------------------------------------------------------------------------
// Validity

bool TZABaseArchiver::IsValidArchiveFile() {
  if (FActive) return true;
  if (!FileExists(FFileName)) return false;
  try {
    {
      TFileStream fs(FFileName, fmOpenRead | fmShareDenyNone);
      TZASingleVolumeArchiver link(&fs);
      TZADirManager dm(&fs, false, &link);
      if (dm.HasCentralDirEnd()) return true;
    }
    // No end record: the archive is valid when its entries, found from
    // their local headers, all extract and check.
    TZipArchiver probe;
    probe.isZIPFormat = isZIPFormat;
    probe.FFileName = FFileName;
    probe.FOpenCorruptedArchives = true;
    probe.OpenArchive(fmOpenRead | fmShareDenyNone);
    // Its entries are checked under its shared lock, held throughout, from
    // the table read again under it when another process changed the file.
    if (probe.Journalled()) {
      probe.LockArchive(false);
      probe.RecoverJournalForRead();
      if (probe.DirectoryChanged()) probe.DMHandle->LoadDir();
    }
    bool valid = probe.DMHandle->CDir->Count() > 0;
    for (Int32 i = 0; valid && i < probe.DMHandle->CDir->Count(); ++i) {
      const TDirItem& it = probe.DMHandle->CDir->FItems[static_cast<size_t>(i)];
      if ((it.CentralDir.externalAttr & 0x10) != 0) continue;
      TNullStream sink;
      probe.ExtractItem(i, &sink, 0, 0);
      // An entry a Stop cut short was not checked.
      if (probe.fCodecStopped) valid = false;
    }
    probe.CloseArchive();
    return valid;
  } catch (const Exception&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// Listing helpers

TDirItem TZipArchiver::GetAZipMainDetail(Int32 index) const {
  if (!DMHandle || index < 0 || index >= DMHandle->CDir->Count()) return TDirItem();
  return DMHandle->CDir->GetItem(index);
}

TZAZipCentralDir TZipArchiver::GetAZipFileSubProperty(Int32 index) const {
  return GetAZipMainDetail(index).CentralDir;
}

TDateTime TZipArchiver::GetADateTime(Int32 index) const {
  const TZAZipCentralDir cd = GetAZipFileSubProperty(index);
  if (cd.lastModDate == 0) return EncodeDate(1980, 1, 1);
  return ZADosToDateTime((Cardinal(cd.lastModDate) << 16) | cd.lastModTime);
}

std::unique_ptr<TStringList> TZipArchiver::SortedListOfShortFilenamesWithin() const {
  auto list = std::make_unique<TStringList>();
  if (!DMHandle) return list;
  for (Int32 i = 0; i < DMHandle->CDir->Count(); ++i) {
    const String& name = DMHandle->CDir->FItems[static_cast<size_t>(i)].Name;
    const size_t p = name.find_last_of(u"/\\");
    const String shortName = p == String::npos ? name : name.substr(p + 1);
    list->Add(shortName + u"\t" + name);
  }
  auto key = [](const String& line) { return line.substr(0, line.find(u'\t')); };
  list->CustomSort([&key](TStringList* l, Int32 a, Int32 b) { return AnsiCompareText(key(l->Get(a)), key(l->Get(b))); });
  return list;
}

}  // namespace sk

namespace sk {

// ---------------------------------------------------------------------------
// Merging

void TZipArchiver::MergeWith(const String& otherName) {
  CheckInactive();
  CheckInUpdate();
  {
    std::error_code ec;
    if (std::filesystem::equivalent(StringToSystemName(FFileName), StringToSystemName(otherName), ec) && !ec)
      throw EZAException(33, {otherName}, this);
  }
  TZipArchiver other;
  other.isZIPFormat = isZIPFormat;
  other.FFileName = otherName;
  other.FOptions.FOverwriteMode = FOptions.FOverwriteMode;
  other.OpenArchive(fmOpenRead | fmShareDenyNone);
  struct TCloser {
    TZipArchiver& a;
    ~TCloser() {
      try {
        a.CloseArchive();
      } catch (...) {
      }
    }
  } closeOther{other};
  // The other archive's data are read under its shared lock, through its
  // directory as it is on the disk.
  TZAReadLock otherLock(other);

  // The merge is an update: under the exclusive lock, on the archive as it
  // is on the disk, with the old directory kept in the journal so that a
  // merge cut short leaves the old archive.
  const bool journalled = Journalled();
  struct TUnlockAtEnd {
    TZipArchiver* self;
    bool held;
    ~TUnlockAtEnd() {
      if (held) self->UnlockArchive();
    }
  } unlockAtEnd{this, false};
  if (journalled) {
    LockArchive(true);
    unlockAtEnd.held = true;
    RecoverJournal(true);
    RefreshDirectory();
  }
  TStream* dest = FCompressedStream;
  TStream* source = other.FCompressedStream;
  const Int64 oldDir = DMHandle->CentralDirOffset;
  const Int64 oldSize = dest->Size();
  std::unique_ptr<THandleStream> journal;
  if (journalled) {
    if (oldDir <= 0 || oldDir > oldSize) throw EZAException(35, this);
    PointToJournal();
    journal = CreateJournal(oldDir, oldSize);
  }
  // Puts the archive back from the journal and lets the journal go; false
  // when that failed (the journal then stays for the next open).
  auto rollBack = [&]() {
    try {
      ZARestoreTail(journal.get(), dest, oldDir, oldSize - oldDir);
      if (!FlushFileHandle(static_cast<THandleStream*>(dest)->Handle())) return false;
    } catch (const Exception&) {
      return false;
    }
    // The journal written goes, through its own descriptor.
    if (ZADeleteOpenFile(fJournalName, journal->Handle())) {
      FlushFolderOf(StringToSystemName(fJournalName));
      DropJournalPointer();
    }
    journal.reset();
    return true;
  };
  // The other's entry data lie between its stub and its directory; they are
  // copied to where this archive's directory began.
  const Int64 otherStub = std::max<Int64>(other.DMHandle->StubSize, 0);
  const Int64 otherDir = other.DMHandle->CentralDirOffset;
  if (otherDir < otherStub || otherDir > source->Size()) throw EZAException(35, this);
  const Int64 total = otherDir - otherStub;
  const Int64 shift = oldDir - otherStub;

  bool cancel = false;
  bool ok = true;
  try {
    dest->Seek(oldDir, soBeginning);
    source->Seek(otherStub, soBeginning);
    if (FProgressEnabled) {
      DoOnFileProgress(otherName, 0, poMerge, ppStart, cancel);
      DoOnOverallProgress(0, poMerge, ppStart, cancel);
    }
    TBytes buffer(static_cast<size_t>(std::min<Int64>(std::max<Int64>(total, 1), kCopyBuffer)));
    Int64 done = 0;
    while (ok && done < total) {
      if (FProgressEnabled) {
        const Double percent = static_cast<Double>(done) / static_cast<Double>(total) * 100.0;
        DoOnFileProgress(otherName, percent, poMerge, ppProcess, cancel);
        if (!cancel) DoOnOverallProgress(percent, poMerge, ppProcess, cancel);
        if (cancel) {
          ok = false;
          break;
        }
      }
      const Int64 want = std::min<Int64>(total - done, static_cast<Int64>(buffer.size()));
      if (source->Read(buffer.data(), want) != want || dest->Write(buffer.data(), want) != want) ok = false;
      done += want;
    }
  } catch (const Exception&) {
    ok = false;
  }
  if (!ok) {
    // The archive is put back as it was: from the journal, or else its data
    // end where its directory began, and the directory is written there
    // again.
    if (journal != nullptr) {
      if (!rollBack()) throw EZAException(70, {fJournalName}, this);
    } else {
      try {
        dest->SetSize(oldDir);
        DMHandle->SaveDir(true);
      } catch (...) {
      }
    }
    throw EZAException(46, this);
  }
  dest->SetSize(oldDir + total);

  TZADirArray& mine = *DMHandle->CDir;
  const TZADirArray& theirs = *other.DMHandle->CDir;
  for (Int32 i = 0; i < mine.Count(); ++i) mine.FItems[static_cast<size_t>(i)].Tagged = false;
  std::vector<Int32> moved;
  for (Int32 j = 0; j < theirs.Count(); ++j) {
    TDirItem item = theirs.FItems[static_cast<size_t>(j)];
    item.Tagged = false;
    const Int32 at = ZAFindEntryExact(mine, item.Name);
    if (at < 0) {
      const Int32 index = mine.Count();
      mine.SetCount(index + 1);
      mine.FItems[static_cast<size_t>(index)] = item;
      mine.FItemNamesList->Add(ZALowerCase(item.Name));
      moved.push_back(index);
      continue;
    }
    const TZAZipCentralDir& have = mine.FItems[static_cast<size_t>(at)].CentralDir;
    const Cardinal haveTime = (Cardinal(have.lastModDate) << 16) | have.lastModTime;
    const Cardinal newTime = (Cardinal(item.CentralDir.lastModDate) << 16) | item.CentralDir.lastModTime;
    bool replace = false;
    switch (FOptions.FOverwriteMode) {
      case omPrompt: {
        String destName = FFileName + u"\\" + item.Name;
        replace = true;
        DoOnConfirmOverwrite(otherName + u"\\" + item.Name, destName, replace);
        break;
      }
      case omAlways: replace = true; break;
      case omNever: replace = false; break;
      case omIfNewer: replace = haveTime < newTime; break;
      case omIfOlder: replace = haveTime > newTime; break;
    }
    if (!replace) continue;
    mine.FItems[static_cast<size_t>(at)] = item;
    moved.push_back(at);
  }
  // The entries taken from the other archive now start shift bytes later.
  for (const Int32 index : moved) {
    TDirItem& item = mine.FItems[static_cast<size_t>(index)];
    SetLocalOffset(item, static_cast<UInt64>(LocalOffsetOf(item) + shift));
  }
  try {
    DMHandle->SaveDir(true);
    // The merged archive is on the disk before its journal goes.
    if (journal != nullptr) {
      if (!FlushFileHandle(static_cast<THandleStream*>(dest)->Handle())) throw EZAException(46, this);
      if (!ZADeleteOpenFile(fJournalName, journal->Handle())) throw EZAException(27, {fJournalName}, this);
      journal.reset();
      FlushFolderOf(StringToSystemName(fJournalName));
      DropJournalPointer();
    }
  } catch (...) {
    if (journal != nullptr) {
      if (!rollBack()) throw EZAException(70, {fJournalName}, this);
      // The table shows the archive put back.
      try {
        ReloadDirectory();
      } catch (...) {
      }
    }
    throw;
  }
  RememberDirectory();
  if (FProgressEnabled) {
    DoOnFileProgress(otherName, 100, poMerge, ppEnd, cancel);
    DoOnOverallProgress(100, poMerge, ppEnd, cancel);
  }
}

}  // namespace sk

namespace sk {

// ---------------------------------------------------------------------------
// Repair

namespace {

constexpr Cardinal kDataDescriptorSignature = 0x08074B50;

// count bytes of a stream from start, seen as a stream of their own: the
// source of one entry that the repair extracted into its scratch file (the
// codec reads its source from position 0 to the end).
class TStreamRange : public TStream {
 public:
  TStreamRange(TStream* stream, Int64 start, Int64 count) : fStream(stream), fStart(start), fCount(count) {}
  Int64 Read(void* buffer, Int64 count) override {
    const Int64 n = std::min(count, fCount - fPosition);
    if (n <= 0) return 0;
    fStream->Seek(fStart + fPosition, soBeginning);
    const Int64 got = fStream->Read(buffer, n);
    if (got > 0) fPosition += got;
    return std::max<Int64>(0, got);
  }
  Int32 LastReadError() const override { return fStream->LastReadError(); }
  Int64 Write(const void*, Int64) override { return 0; }
  Int64 Seek(Int64 offset, TSeekOrigin origin) override {
    const Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? fPosition : fCount;
    fPosition = std::max<Int64>(0, base + offset);
    return fPosition;
  }
  Int64 Size() override { return fCount; }

 private:
  TStream* fStream;
  Int64 fStart;
  Int64 fCount;
  Int64 fPosition = 0;
};

// Writes to a stream and remembers a write that came up short (a full
// disk): an entry that could not be written out is never taken for one
// whose data are damaged.
class TWatchedSink : public TStream {
 public:
  explicit TWatchedSink(TStream* stream) : fStream(stream) {}
  Int64 Read(void* buffer, Int64 count) override { return fStream->Read(buffer, count); }
  Int64 Write(const void* buffer, Int64 count) override {
    const Int64 n = fStream->Write(buffer, count);
    if (n != count) failed = true;
    return n;
  }
  Int64 Seek(Int64 offset, TSeekOrigin origin) override { return fStream->Seek(offset, origin); }
  Int64 Size() override { return fStream->Size(); }
  void SetSize(Int64 size) override { fStream->SetSize(size); }
  bool failed = false;

 private:
  TStream* fStream;
};

// The length of the local record at `at` (header, name, extra field, the
// stored data and, when flag bit 3 is set, the data descriptor as far as it
// is there) when header and data lie whole before limit; -1 otherwise.
Int64 LocalRecordLength(TStream* stream, Int64 at, Int64 limit, UInt64 compSize) {
  if (at < 0 || at > limit - TZAZipFileHeader::Size) return -1;
  Byte head[TZAZipFileHeader::Size];
  stream->Seek(at, soBeginning);
  stream->ReadBuffer(head, TZAZipFileHeader::Size);
  TZAZipFileHeader lh;
  lh.ReadFrom(head);
  if (lh.signature != ZipLocalFileHeaderSignature && lh.signature != ZA2LocalFileHeaderSignature) return -1;
  const Int64 dataAt = at + TZAZipFileHeader::Size + lh.nameLength + lh.extraLength;
  if (dataAt > limit || compSize > static_cast<UInt64>(limit - dataAt)) return -1;
  const Int64 after = dataAt + static_cast<Int64>(compSize);
  Int64 descriptor = 0;
  if ((lh.genPurposeFlag & ZAFlagDataDescriptor) != 0) {
    TBytes extra(lh.extraLength);
    stream->Seek(at + TZAZipFileHeader::Size + lh.nameLength, soBeginning);
    stream->ReadBuffer(extra.data(), lh.extraLength);
    descriptor = Zip64BlockBytes(extra.data(), extra.size()) >= 0 ? 20 : 12;
    if (after + 4 <= limit) {
      Byte sig[4];
      stream->Seek(after, soBeginning);
      stream->ReadBuffer(sig, 4);
      if (GetLE32(sig) == kDataDescriptorSignature) descriptor += 4;
    }
    descriptor = std::min(descriptor, limit - after);
  }
  return after + descriptor - at;
}

// Copies count bytes of source from `from` to the end of dest.
void CopyRange(TStream* source, Int64 from, TStream* dest, Int64 count) {
  TBytes buffer(static_cast<size_t>(std::max<Int64>(1, std::min(kCopyBuffer, count))));
  source->Seek(from, soBeginning);
  dest->Seek(0, soEnd);
  for (Int64 done = 0; done < count;) {
    const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), count - done);
    source->ReadBuffer(buffer.data(), n);
    dest->WriteBuffer(buffer.data(), n);
    done += n;
  }
}

// What the repair does with one entry of the damaged archive.
enum TRepairKind : uint8_t { rkFolder, rkStore, rkRaw };
struct TRepairPlan {
  TRepairKind kind;
  TDirItem item;  // the damaged archive's record of it
  Int64 start;    // rkStore: its bytes in the scratch file; rkRaw: its new local offset
  Int64 count;
};

// A repair that a progress handler cancelled ends with nothing changed.
struct TRepairCancelled {};

}  // namespace

void TZABaseArchiver::RepairArchive(const String& newName) {
  if (FActive) throw EZAException(37, this);
  const bool inPlace = newName.empty();
  // The repaired archive is built in a replacement of its target (without a
  // name in its folder until it is whole) that takes the target's place in
  // one step: the archive itself in place, else the new name. A repair that
  // fails, is stopped or is killed leaves the archive byte for byte as it
  // was, and nothing new at the target's name (what the name held stays).
  if (inPlace) {
    // The archive must be writable, since it is to be replaced.
    TFileStream probe(FFileName, fmOpenReadWrite | fmShareExclusive);
  }
  const String target = inPlace ? FFileName : newName;
  auto replacement = std::make_unique<TFileReplaceStream>(target);
  if (!replacement->Ok()) throw EZAException(36, {target}, this);
  TStream* const repaired = replacement.get();

  const bool oldCorrupted = FOpenCorruptedArchives;
  const bool oldExtractCorrupted = FExtractCorruptedFiles;
  struct TRestore {
    TZABaseArchiver& a;
    bool corrupted;
    bool extract;
    ~TRestore() {
      a.FOpenCorruptedArchives = corrupted;
      a.FExtractCorruptedFiles = extract;
      try {
        a.CloseArchive();
      } catch (...) {
      }
    }
  };
  try {
    TZipArchiver fixed;
    fixed.isZIPFormat = isZIPFormat;
    fixed.OpenArchive(repaired, true);
    TRestore restore{*this, oldCorrupted, oldExtractCorrupted};
    FOpenCorruptedArchives = true;
    OpenArchive(fmOpenRead | fmShareDenyNone);
    // The entries are read under the archive's shared lock, from the
    // directory read again under it, and the archive's state then is
    // remembered: an in-place repair replaces the archive only while it is
    // still what was read. No lock is held while the repaired archive is
    // built.
    TZipChangeWatch seen;
    const bool journalled = Journalled();
    if (journalled) {
      LockArchive(false);
      RecoverJournalForRead();
      if (DirectoryChanged()) {
        DMHandle->LoadDir();
        RememberDirectory();
      }
      if (inPlace) {
        const int handle = static_cast<THandleStream*>(FCompressedStream)->Handle();
        if (!seen.Remember(handle, 0)) throw EZAException(71, {FFileName}, this);
        seen.WaitOutTick(handle);
      }
    }

    // Every entry is kept: a folder as a folder; an entry the codec can
    // read is extracted (and checked: one whose data are damaged is left
    // out) to be stored anew; an encrypted entry, or one stored by a method
    // the codec does not know, is carried over as it is stored, since
    // reading it could only lose it (a password that is missing or wrong
    // gives nothing to store), and the right password still reads it later.
    // A name that several entries share is carried over as stored too, so
    // that no entry replaces another of its name.
    const TZADirArray& dir = *DMHandle->CDir;
    const Int32 count = dir.Count();
    std::unordered_map<String, Int32> uses;
    for (Int32 i = 0; i < count; ++i) ++uses[dir.FItems[static_cast<size_t>(i)].Name];
    TTemporaryFileStream scratch(FTempDir, u"repair");
    if (!scratch.Ok()) throw EZAException(19, {FTempDir.empty() ? GetTempDirectory() : FTempDir}, this);
    TWatchedSink sink(&scratch);
    const Int64 size = FCompressedStream->Size();
    const Int64 limit = DMHandle->CentralDirOffset > 0 ? std::min(size, DMHandle->CentralDirOffset) : size;
    Int64 rawEnd = fixed.DMHandle->CentralDirOffset;
    repaired->SetSize(rawEnd);
    std::vector<TRepairPlan> plan;
    plan.reserve(static_cast<size_t>(count));
    // A Stop from the host ends the repair as a cancel does.
    TTimedYield yield;
    for (Int32 i = 0; i < count; ++i) {
      if (yield.Tick()) throw TRepairCancelled();
      const TDirItem& item = dir.FItems[static_cast<size_t>(i)];
      const TZAZipCentralDir& cd = item.CentralDir;
      if (item.Name.empty()) continue;
      if ((cd.externalAttr & 0x10) != 0) {
        plan.push_back({rkFolder, item, 0, 0});
        continue;
      }
      const Word method = cd.compMethod == 99 ? item.CompressionMethod : cd.compMethod;
      const bool readable = (cd.genPurposeFlag & ZAFlagEncrypted) == 0 && (method == 0 || method == 8);
      if (readable) {
        // Checked extraction.
        const Int64 start = scratch.Size();
        sink.Seek(start, soBeginning);
        bool damaged = false;
        FExtractCorruptedFiles = false;
        try {
          ExtractItem(i, &sink, 0, 0);
        } catch (const EZAException& e) {
          if (e.NativeError != 8 || sink.failed) throw;
          damaged = true;
        }
        FExtractCorruptedFiles = true;
        if (sink.failed) throw EZAException(46, this);
        if (FProgressCancel) throw TRepairCancelled();
        if (damaged) {
          scratch.SetSize(start);
          continue;
        }
        if (uses[item.Name] == 1) {
          plan.push_back({rkStore, item, start, scratch.Size() - start});
          continue;
        }
        scratch.SetSize(start);
      }
      const UInt64 compSize = cd.compSize == 0xFFFFFFFFu ? item.Zip64ExtInfo.compSize : cd.compSize;
      const Int64 from = LocalOffsetOf(item);
      const Int64 length = LocalRecordLength(FCompressedStream, from, limit, compSize);
      if (length < 0) continue;  // not there whole: damaged
      CopyRange(FCompressedStream, from, repaired, length);
      plan.push_back({rkRaw, item, rawEnd, length});
      rawEnd += length;
    }
    if (journalled) UnlockArchive();

    // The entries carried over as stored stand in the new directory first,
    // then the others are stored in one update of the new archive.
    TZADirArray& table = *fixed.DMHandle->CDir;
    Int32 raws = 0;
    for (const TRepairPlan& p : plan) {
      if (p.kind != rkRaw) continue;
      TDirItem item = p.item;
      item.Modified = false;
      item.Tagged = false;
      item.Stream.reset();
      item.OldName.clear();
      item.CentralDir.diskNumberStart = 0;
      item.Zip64ExtInfo.diskNumberStart = 0;
      SetLocalOffset(item, static_cast<UInt64>(p.start));
      table.SetCount(raws + 1);
      table.SetItem(raws, item);
      ++raws;
    }
    if (raws > 0) {
      repaired->SetSize(rawEnd);
      fixed.DMHandle->SaveDir(true);
    }
    // The new archive's update never asks anyone: an entry it cannot write
    // fails the repair.
    Int32 failure = 0;
    fixed.OnProcessFileFailure = [&failure](TObject*, const String&, TZAProcessOperation, Int32 nativeError, Int32,
                                            const String&, TZAAction& action) {
      failure = nativeError;
      action = fxaAbort;
    };
    fixed.FCompressionAlgorithm = FCompressionAlgorithm;
    fixed.FCompressionMode = FCompressionMode;
    fixed.FCompressionMethod = FCompressionMethod;
    std::vector<std::unique_ptr<TStreamRange>> sources;
    fixed.BeginUpdate();
    try {
      fixed.SetFileComment(DMHandle->ArchiveComment);
      for (const TRepairPlan& p : plan) {
        if (yield.Tick()) throw TRepairCancelled();
        if (p.kind == rkRaw) continue;
        const TZAZipCentralDir& cd = p.item.CentralDir;
        const Int32 index = table.Count();
        if (p.kind == rkFolder) {
          fixed.AddFromBuffer(p.item.Name, nullptr, 0, cd.externalAttr, Now());
        } else {
          sources.push_back(std::make_unique<TStreamRange>(&scratch, p.start, p.count));
          fixed.AddFromStream(p.item.Name, sources.back().get(), false, 0, p.count, 0x20, 0);
        }
        // The attributes and the comment go onto the entry just added, found
        // by its index and never through a name search, which would take
        // "*" and "?" in a name as a mask and cannot take a name of 260
        // characters or more.
        if (table.Count() != index + 1) throw EZAException(46, this);
        TDirItem& added = table.FItems[static_cast<size_t>(index)];
        added.CentralDir.externalAttr = cd.externalAttr;
        added.CentralDir.internalAttr = cd.internalAttr;
        added.Comment = p.item.Comment;
      }
    } catch (...) {
      fixed.CancelUpdate();
      throw;
    }
    fixed.EndUpdate();
    if (failure != 0) throw EZAException(failure, this);
    if (fixed.FProgressCancel) throw TRepairCancelled();
    if (table.Count() != static_cast<Int32>(plan.size())) throw EZAException(46, this);
    // The directory lists the entries in their old order.
    bool ordered = true;
    for (size_t k = 0, r = 0; k < plan.size() && ordered; ++k)
      if (plan[k].kind == rkRaw) ordered = r++ == k;
    if (!ordered) {
      std::vector<TDirItem> items(table.FItems.begin(), table.FItems.begin() + table.Count());
      table.Clear();
      table.SetCount(static_cast<Int32>(items.size()));
      size_t nextRaw = 0, nextStored = static_cast<size_t>(raws);
      for (size_t k = 0; k < plan.size(); ++k)
        table.SetItem(static_cast<Int32>(k), items[plan[k].kind == rkRaw ? nextRaw++ : nextStored++]);
      fixed.DMHandle->SaveDir(false);
    }
    fixed.CloseArchive();
    if (inPlace) {
      // The damaged archive is replaced in one step, and only by a whole
      // repaired one, under its exclusive lock, and only while it is the
      // archive that was read.
      if (journalled) {
        LockArchive(true);
        if (seen.Changed(static_cast<THandleStream*>(FCompressedStream)->Handle()))
          throw EZAException(71, {FFileName}, this);
      }
    }
    if (!replacement->Commit()) throw EZAException(36, {target}, this);
  } catch (const TRepairCancelled&) {
    // The replacement, never committed, goes with its stream.
    FProgressCancel = false;
  }
}

}  // namespace sk
