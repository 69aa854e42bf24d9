// The update commit: the batch of changes made between BeginUpdate and
// EndUpdate is written into the archive in place, from the first entry that
// must move on; the old bytes from there to the end are kept aside first, so
// that a failed, cancelled or aborted commit copies them back and leaves the
// archive byte for byte as it was, with the live table equal to the snapshot.
//
// An archive file of one volume keeps them in its journal (ZAJournal.h),
// on the disk before the archive's first byte changes, so that a process
// killed part-way, or a machine that loses power, leaves what the next open
// puts back. The update holds the archive's exclusive lock from before it
// reads the directory until the journal is gone.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "core/Basic_processes.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/ZipReader.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"
#include "zip/ZAJournal.h"
#include "zip/ZAUtils.h"

namespace sk {

namespace {

constexpr Int64 kCommitCopyBuffer = 1048576;

// Ticks of the host's yield for copying up to a buffer of n bytes: one per
// 64 KiB.
size_t CopyTicks(Int64 n) { return static_cast<size_t>(std::min(n, kCommitCopyBuffer) / 65536 + 1); }

constexpr Cardinal kDataDescriptorSignature = 0x08074B50;

Int64 LocalOffsetOf(const TDirItem& item) {
  return item.CentralDir.relOffsetLH == 0xFFFFFFFFu ? static_cast<Int64>(item.Zip64ExtInfo.relOffsetLH)
                                                    : static_cast<Int64>(item.CentralDir.relOffsetLH);
}

UInt64 CompSizeOf(const TDirItem& item) {
  return item.CentralDir.compSize == 0xFFFFFFFFu ? item.Zip64ExtInfo.compSize : item.CentralDir.compSize;
}

bool IsFolderEntry(const TDirItem& item) { return (item.CentralDir.externalAttr & 0x10) != 0; }

// Whether the operation changes only the central directory or the name.
bool KeepsData(TZAProcessOperation op) { return op == poRename || op == poChangeAttr || op == poChangeComment; }

// Removes every block with the identifier.
void DropExtra(TDirItem& item, Word id) {
  std::erase_if(item.ExtraFields, [id](const TZAExtraFieldDataBlock& b) { return b.headerID == id; });
}

}  // namespace

// What one commit holds while it runs.
struct TZABaseArchiver::TZACommit {
  TZAProcessOperation operation = poDelete;
  Int64 restorePoint = 0;
  // The old archive from the restore point to its end: in the journal
  // beside an archive file of one volume; otherwise in memory when small,
  // else in a scratch file that has no name and cannot be left behind.
  std::unique_ptr<TStream> tail;
  TTemporaryFileStream* tailFile = nullptr;
  THandleStream* journal = nullptr;
  String journalName;
  // Where the tail starts in its stream (the journal's header comes first).
  Int64 tailBase = 0;
  // A commit from the archive's first byte writes the whole new archive
  // beside the old one and puts it in the old one's place: the old file,
  // untouched, is the tail.
  std::unique_ptr<TFileReplaceStream> replacement;
  TStream* original = nullptr;
  bool journalGone = false;  // deleted: the new archive is the one that stays
  Int64 tailSize = 0;
  bool touched = false;  // the archive has been cut at the restore point
  TZAAction action = fxaIgnore;
  bool cancel = false;  // set by the volume writer when a progress handler cancels
  std::unique_ptr<TMemoryStream> pending;
  // The directory manager's state before the commit.
  TZAZipCentralDirEnd end;
  TZAZip64CentralDirEnd end64;
  TZAZip64CentralDirEndLocator locator;
  Int64 dirOffset = 0;
  bool zip64 = false;
  TZAVolumeNumberInfo volume;
};

// ---------------------------------------------------------------------------
// Update brackets

void TZABaseArchiver::BeginUpdate() {
  if (FSpanningMode != smNone && FUpdated) throw EZAException(62, this);
  if (FUpdateCount == 0) {
    if (!FActive) OpenArchive();
    if ((FileOpenMode & 0xFF03) == 0 && !IsCustomStream && !FInMemory) throw EZAException(32, this);
    TZADirArray& live = *DMHandle->CDir;
    for (Int32 i = 0; i < live.Count(); ++i) live.FItems[static_cast<size_t>(i)].Modified = false;
    // The update builds on the archive as it is on the disk: under the
    // exclusive lock, after an update another process left half-done was
    // put back, with the directory read again when another process changed
    // it since.
    if (Journalled()) {
      LockArchive(true);
      try {
        RecoverJournal(true);
        RefreshDirectory();
      } catch (...) {
        UnlockArchive();
        throw;
      }
    }
    DMHandle->RBCDir->Assign(live);
    fSnapshotComment = DMHandle->ArchiveComment;
  }
  ++FUpdateCount;
}

void TZABaseArchiver::EndUpdate() {
  if (FUpdateCount == 1) {
    FUpdated = true;
    ForceUpdate();
    if (FSpanningMode != smNone && FileOpenMode == fmCreate) FileOpenMode = fmOpenReadWrite | fmShareDenyWrite;
  } else if (FUpdateCount > 1) {
    --FUpdateCount;
  }
}

void TZABaseArchiver::CancelUpdate() {
  if (FUpdateCount <= 0) return;
  FUpdateCount = 0;
  if (fLockHeld == 2) UnlockArchive();
  // The pending changes go with the batch: entries that were never written
  // must not stay in the table, where a later commit would look for their
  // old records.
  if (DMHandle) {
    DMHandle->CDir->Assign(*DMHandle->RBCDir);
    DMHandle->ArchiveComment = fSnapshotComment;
  }
}

// ---------------------------------------------------------------------------
// The commit

Int32 TZABaseArchiver::CommitFirstChangedIndex() const {
  const TZADirArray& live = *DMHandle->CDir;
  const TZADirArray& snap = *DMHandle->RBCDir;
  const Int32 n = std::min(live.Count(), snap.Count());
  for (Int32 i = 0; i < n; ++i) {
    const TDirItem& l = live.FItems[static_cast<size_t>(i)];
    if (l.Modified || l.Name != snap.FItems[static_cast<size_t>(i)].Name) return i;
  }
  return n;
}

void TZABaseArchiver::ForceUpdate() {
  if (FUpdateCount <= 0) return;
  FUpdateCount = 0;
  // The update's lock goes with the commit, whichever way it ends.
  struct TUnlockAtEnd {
    TZABaseArchiver* self;
    ~TUnlockAtEnd() {
      if (self->fLockHeld == 2) self->UnlockArchive();
    }
  } unlockAtEnd{this};
  FProcessedFileNo = 0;
  FProcessedFileCount = 0;
  FProcessedFilesTotalSize = 0;
  FProcessedFilesSize = 0;
  FProgressCancel = false;
  FProgressEnabled = true;
  if (!FActive || !DMHandle || FCompressedStream == nullptr) return;

  TZADirArray& live = *DMHandle->CDir;
  TZADirArray& snap = *DMHandle->RBCDir;
  TZACommit c;
  bool first = true;
  for (Int32 i = 0; i < live.Count(); ++i) {
    const TDirItem& it = live.FItems[static_cast<size_t>(i)];
    if (!it.Modified) continue;
    FProcessedFilesTotalSize +=
        it.CentralDir.unCompSize == 0xFFFFFFFFu ? static_cast<Int64>(it.Zip64ExtInfo.uncompSize) : it.CentralDir.unCompSize;
    ++FProcessedFileCount;
    if (first) c.operation = it.Operation;
    first = false;
  }

  c.end = DMHandle->CentralDirEnd;
  c.end64 = DMHandle->Zip64CentralDirEnd;
  c.locator = DMHandle->Zip64CentralDirEndLocator;
  c.dirOffset = DMHandle->CentralDirOffset;
  c.zip64 = DMHandle->FZip64;
  c.volume = FVolumeNumberInfo;

  bool cancel = false;
  try {
    DoOnOverallProgress(0, c.operation, ppStart, cancel);
  } catch (...) {
    CommitRollback(c);
    throw;
  }
  if (cancel) {
    CommitRollback(c);
    return;
  }

  // The restore point: the lowest local header among the entries that must
  // move, and never past the old directory. Directory order need not be file
  // order: an unchanged entry before the first changed index whose data lie
  // behind the restore point must move too, so the index goes back to it.
  const Int64 archiveSize = FCompressedStream->Size();
  Int64 dirStart = snap.Count() > 0 ? DMHandle->CentralDirOffset : DMHandle->StubSize;
  dirStart = std::clamp<Int64>(dirStart, 0, archiveSize);
  Int32 firstChanged = CommitFirstChangedIndex();
  Int64 rp = dirStart;
  for (bool moved = true; moved;) {
    moved = false;
    rp = dirStart;
    for (Int32 i = firstChanged; i < snap.Count(); ++i)
      rp = std::min(rp, std::clamp<Int64>(LocalOffsetOf(snap.FItems[static_cast<size_t>(i)]), 0, archiveSize));
    for (Int32 i = 0; i < firstChanged; ++i) {
      if (LocalOffsetOf(live.FItems[static_cast<size_t>(i)]) >= rp) {
        firstChanged = i;
        moved = true;
        break;
      }
    }
  }
  c.restorePoint = rp;

  const bool journalled = Journalled();
  bool aborted = false;
  try {
    // The old bytes from the restore point to the end, old directory
    // included, go aside before anything is written.
    c.tailSize = archiveSize - rp;
    // A file with more than one name is changed in place, so that every
    // name keeps seeing one archive: a whole-file replace would give only
    // this name the new one.
    bool linked = false;
    if (journalled) {
      struct stat st {};
      if (::fstat(static_cast<THandleStream*>(FCompressedStream)->Handle(), &st) != 0) throw EZAException(46, this);
      linked = st.st_nlink > 1;
    }
    // In place from the first byte, nothing before the restore point would
    // bind the journal to this archive: refused.
    if (linked && rp == 0) throw EZAException(77, {FFileName}, this);
    if (journalled && rp == 0) {
      // Nothing before the restore point: the old archive has no state a
      // journal could be bound to, and stays whole until the new one takes
      // its place.
      c.replacement = std::make_unique<TFileReplaceStream>(SystemNameToString(fArchivePath));
      if (!c.replacement->Ok()) throw EZAException(74, {FFileName, c.replacement->ErrorText()}, this);
      c.original = FCompressedStream;
      c.tail = std::make_unique<THandleStream>(static_cast<THandleStream*>(FCompressedStream)->Handle());
      FCompressedStream = c.replacement.get();
      SyncDirManagerStream();
    } else if (journalled) {
      PointToJournal();
      std::unique_ptr<THandleStream> journal = CreateJournal(rp, archiveSize);
      c.journalName = fJournalName;
      c.journal = journal.get();
      c.tail = std::move(journal);
      c.tailBase = ZAJournalHeaderSize;
    } else if (c.tailSize > kCommitCopyBuffer) {
      auto file = std::make_unique<TTemporaryFileStream>(FTempDir, u"FC");
      if (!file->Ok())
        throw EZAException(19, {FTempDir.empty() ? GetTempDirectory() : FTempDir}, this);
      c.tailFile = file.get();
      c.tail = std::move(file);
    } else {
      c.tail = std::make_unique<TMemoryStream>();
    }
    if (!journalled) {
      TBytes buffer(static_cast<size_t>(std::max<Int64>(1, std::min(kCommitCopyBuffer, c.tailSize))));
      FCompressedStream->Seek(rp, soBeginning);
      // The copy yields to the host; the archive is put back from it whole,
      // so a Stop is honoured only when it is done.
      TTimedYield copyYield;
      for (Int64 done = 0; done < c.tailSize;) {
        const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), c.tailSize - done);
        copyYield.Tick(CopyTicks(n));
        FCompressedStream->ReadBuffer(buffer.data(), n);
        c.tail->WriteBuffer(buffer.data(), n);
        done += n;
      }
      if (copyYield.Stopped()) FProgressCancel = true;
    }

    c.touched = c.replacement == nullptr;
    FCompressedStream->Seek(rp, soBeginning);
    FCompressedStream->SetSize(rp);
    if (FSpanningMode != smNone) FVolumeNumberInfo.SetFirstVolume(true);
    if (FSpanningMode == smSpanning && IsFloppyDrive(FFileName)) c.pending = std::make_unique<TMemoryStream>();

    Int32 i = firstChanged;
    TTimedYield yield;
    while (i < live.Count() && !FProgressCancel) {
      // A Stop from the host cancels the commit: the archive goes back.
      if (yield.Tick()) {
        FProgressCancel = true;
        break;
      }
      c.action = fxaIgnore;
      const TDirItem& it = live.FItems[static_cast<size_t>(i)];
      if (it.Modified && !KeepsData(it.Operation)) {
        const Int64 at = FCompressedStream->Position();
        const bool written = CommitWriteEntry(i, c);
        if (!written && FSpanningMode == smNone && !FProgressCancel) {
          // What the failed entry left behind goes.
          FCompressedStream->Seek(at, soBeginning);
          FCompressedStream->SetSize(at);
        }
        if (c.action == fxaRetry) continue;
        if (c.action == fxaAbort) break;
        if (written) {
          ++FProcessedFileNo;
          ++i;
          continue;
        }
        if (FProgressCancel) break;
        // A new entry that failed is dropped; a changed one keeps its old data.
        const TDirItem& failed = live.FItems[static_cast<size_t>(i)];
        const String oldName = failed.Operation == poRename ? failed.OldName : failed.Name;
        if (failed.Operation == poAdd || ZAFindEntryExact(snap, oldName) < 0) {
          live.DeleteItem(i);
          continue;
        }
        CommitCopyEntry(i, c);
        ++i;
      } else {
        CommitCopyEntry(i, c);
        ++FProcessedFileNo;
        ++i;
      }
    }
    aborted = c.action == fxaAbort || c.cancel;

    if (c.pending && !FProgressCancel && !aborted && c.pending->Size() > 0)
      WriteBufferToStream(c.pending->Memory(), c.pending->Size(), FCompressedStream, FVolumeNumberInfo, -1, nullptr);
    c.pending.reset();

    if (!FProgressCancel && !aborted) {
      DMHandle->SaveDir(true, FCompressedStream);
      // The new archive must be on the disk before the old bytes are let go
      // and before move sources are deleted.
      bool moves = false;
      for (Int32 i = 0; i < live.Count() && !moves; ++i)
        moves = live.FItems[static_cast<size_t>(i)].Modified && live.FItems[static_cast<size_t>(i)].Operation == poMove;
      if (c.replacement != nullptr) {
        // The new archive takes the old one's place in one step; the lock
        // and the archive are then opened on the new file.
        // The new file is locked before it gets the name, through a second
        // descriptor of it that stays as the lock's.
        const int lock = ::fcntl(c.replacement->Handle(), F_DUPFD_CLOEXEC, 0);
        if (lock < 0) throw EZAException(46, this);
        auto newLock = std::make_unique<TOwnedHandleStream>(lock);
        if (!LockFileHandle(lock, true, 0) || !c.replacement->Commit()) throw EZAException(46, this);
        FCompressedStream = c.original;
        c.original = nullptr;
        c.replacement.reset();
        c.tail.reset();
        // The old file's lock goes with its descriptor; another process
        // waiting for it finds the new file in its place.
        fLockFile = std::move(newLock);
        fLockHeld = 2;
        ReopenArchiveFile();
      } else if (FOptions.FFlushBuffers || moves || journalled) {
        if (auto* handle = dynamic_cast<THandleStream*>(FCompressedStream);
            handle != nullptr && !FlushFileHandle(handle->Handle()))
          throw EZAException(46, this);
      }
      // Deleting the journal is the moment the new archive replaces the old
      // one; until its folder entry is on the disk a power loss still puts
      // the old one back, so a failure here rolls back (from the journal's
      // descriptor, which outlives its name).
      if (c.journal != nullptr) {
        if (!ZADeleteOpenFile(c.journalName, c.journal->Handle())) throw EZAException(27, {c.journalName}, this);
        c.journalGone = true;
        if (!FlushFolderOf(StringToSystemName(c.journalName))) throw EZAException(46, this);
        DropJournalPointer();
      }
    }
  } catch (...) {
    c.pending.reset();
    CommitRollback(c);
    throw;
  }

  if (FProgressCancel || aborted) {
    CommitRollback(c);
    return;
  }
  c.tail.reset();
  c.tailFile = nullptr;
  c.journal = nullptr;
  RememberDirectory();

  // Moves: the sources go only now that the archive holding them is complete,
  // last entry first: a folder is added before what it holds, and goes only
  // once that is gone.
  // A Stop leaves the sources not yet deleted where they are.
  TTimedYield moveYield;
  // The stamps of the files read, by which file they are: made at the first
  // removal of a name of a file that has another.
  std::map<std::pair<UInt64, UInt64>, std::vector<TFileStamp*>> names;
  for (Int32 i = live.Count() - 1; i >= 0 && !moveYield.Tick(); --i) {
    TDirItem& it = live.FItems[static_cast<size_t>(i)];
    if (!it.Modified || it.Operation != poMove) continue;
    // A source whose data did not go in (its failure was reported) stays.
    if (!it.SrcRead) continue;
    do {
      c.action = fxaIgnore;
      try {
        // Only the file or folder that was read goes, removed through its
        // folder's descriptor: another put at the name since (or reached
        // through a link swapped in on the way), or the file itself written
        // to since its read, is not what the archive holds, and stays.
        if (!IsFolderEntry(it)) {
          const TFileStamp was = it.SrcStamp;
          TFileStamp left;
          if (!ZADeleteFileAs(it.SrcFileName, was, &left)) throw EZAException(27, {it.SrcFileName}, this);
          // Another name of the same file, still to go, is checked against
          // the file as this removal left it.
          if (!(left == was)) {
            if (names.empty())
              for (TDirItem& other : live.FItems)
                if (other.SrcRead) names[{other.SrcStamp.Dev, other.SrcStamp.Ino}].push_back(&other.SrcStamp);
            for (TFileStamp* other : names[{was.Dev, was.Ino}]) CarryStamp(*other, was, left);
          }
        } else if (!ZADelTreeIfNoFilesAs(it.SrcFileName, it.SrcStamp.Dev, it.SrcStamp.Ino)) {
          throw EZAException(60, {it.SrcFileName}, this);
        }
      } catch (const EZAException& e) {
        DoOnProcessFileFailure(it.SrcFileName, c.operation, e.NativeError, e.ErrorCode, e.Message(), c.action);
      }
    } while (c.action == fxaRetry);
    if (c.action == fxaAbort) break;
  }
  for (Int32 i = 0; i < live.Count(); ++i) live.FItems[static_cast<size_t>(i)].Modified = false;
  fSnapshotComment = DMHandle->ArchiveComment;

  bool endCancel = false;
  DoOnOverallProgress(100, c.operation, ppEnd, endCancel);
}

void TZABaseArchiver::CommitRollback(TZACommit& c) {
  DMHandle->CDir->Assign(*DMHandle->RBCDir);
  DMHandle->ArchiveComment = fSnapshotComment;
  DMHandle->CentralDirEnd = c.end;
  DMHandle->Zip64CentralDirEnd = c.end64;
  DMHandle->Zip64CentralDirEndLocator = c.locator;
  DMHandle->CentralDirOffset = c.dirOffset;
  DMHandle->FZip64 = c.zip64;
  FVolumeNumberInfo = c.volume;
  // The new volumes of a split archive go; an old set under their names was
  // never touched.
  DiscardNewVolumes();
  // A journal whose archive was never touched (or was put back) goes,
  // removed through its own descriptor, before the tail that holds it; should
  // it stay, its bytes are the archive's own and putting them back changes
  // nothing.
  auto dropJournal = [this, &c]() {
    if (c.journal != nullptr && (c.journalGone || ZADeleteOpenFile(c.journalName, c.journal->Handle()))) {
      if (!c.journalGone) FlushFolderOf(StringToSystemName(c.journalName));
      DropJournalPointer();
    }
    c.journal = nullptr;
    c.tail.reset();
  };
  if (c.replacement != nullptr) {
    // The old archive was never touched: what was written beside it goes.
    FCompressedStream = c.original;
    c.original = nullptr;
    c.replacement.reset();
    SyncDirManagerStream();
  }
  if (!c.touched || FCompressedStream == nullptr) {
    dropJournal();
    return;
  }
  c.touched = false;
  try {
    c.tail->Seek(c.tailBase, soBeginning);
    ZARestoreTailFrom(c.tail.get(), FCompressedStream, c.restorePoint, c.tailSize);
    if (auto* handle = dynamic_cast<THandleStream*>(FCompressedStream);
        handle != nullptr && (FOptions.FFlushBuffers || c.journal != nullptr) && !FlushFileHandle(handle->Handle()) &&
        c.journal != nullptr)
      throw EZAException(46, this);
  } catch (...) {
    // The old bytes stay where the user can reach them and the next open
    // finds them: in the journal, which stays; a file tail gets a name, a
    // tail held in memory (or a journal already deleted) is written to a
    // named file first.
    String kept;
    if (c.journal != nullptr && !c.journalGone) {
      kept = c.journalName;
    } else if (c.tailFile != nullptr) {
      kept = c.tailFile->KeepAs();
    } else {
      TTemporaryFileStream file(FTempDir, u"FC");
      if (file.Ok()) {
        try {
          c.tail->Seek(c.tailBase, soBeginning);
          TBytes buffer(static_cast<size_t>(std::max<Int64>(1, std::min(kCommitCopyBuffer, c.tailSize))));
          for (Int64 done = 0; done < c.tailSize;) {
            const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), c.tailSize - done);
            c.tail->ReadBuffer(buffer.data(), n);
            file.WriteBuffer(buffer.data(), n);
            done += n;
          }
          kept = file.KeepAs();
        } catch (const Exception&) {
        }
      }
    }
    c.tail.reset();
    c.journal = nullptr;
    throw EZAException(68, {kept}, this);
  }
  c.tailFile = nullptr;
  dropJournal();
}

void TZABaseArchiver::PointToJournal() {
  const std::string own = ZipJournalFileName(fArchivePath);
  fJournalName = SystemNameToString(own);
  fJournalPointed = false;
  const int handle = static_cast<THandleStream*>(FCompressedStream)->Handle();
  struct stat st {};
  if (::fstat(handle, &st) != 0) throw EZAException(46, this);
  if (st.st_nlink <= 1) return;
  // Every name must find the journal before the archive is touched: the
  // attribute is on the disk before the journal is written. A file system
  // without extended attributes cannot have it: the update is refused.
  if (own.empty() || own[0] != '/' || ::fsetxattr(handle, ZAJournalPointerName, own.data(), own.size(), 0) != 0)
    throw EZAException(77, {FFileName}, this);
  fJournalPointed = true;
  if (!FlushFileHandle(handle)) throw EZAException(46, this);
}

void TZABaseArchiver::DropJournalPointer() {
  if (!fJournalPointed) return;
  fJournalPointed = false;
  // Should it stay, it names nothing, and the next update's lock drops it.
  if (auto* handle = dynamic_cast<THandleStream*>(FCompressedStream); handle != nullptr)
    ::fremovexattr(handle->Handle(), ZAJournalPointerName);
}

// Writes the bytes where the entry goes: the archive, or across volumes.
void TZABaseArchiver::CommitPut(TZACommit& c, const void* buffer, Int64 count) {
  if (count <= 0) return;
  if (FSpanningMode == smNone)
    FCompressedStream->WriteBuffer(buffer, count);
  else
    WriteBufferToStream(buffer, count, FCompressedStream, FVolumeNumberInfo, -1, c.pending.get());
}

bool TZABaseArchiver::CommitWriteEntry(Int32 index, TZACommit& c) {
  TZADirArray& live = *DMHandle->CDir;
  TDirItem& item = live.FItems[static_cast<size_t>(index)];
  SetCompMethod();
  const String displayName = item.Operation == poMove ? item.SrcFileName : item.Name;
  bool cancel = false;
  DoOnFileProgress(displayName, 0, item.Operation, ppStart, cancel);
  if (cancel) {
    FProgressCancel = true;
    return false;
  }

  // The source, released on every way out.
  std::unique_ptr<TFileStream> file;
  TStream* source = nullptr;
  Int64 size = 0;
  Int64 savedPosition = 0;
  std::unique_ptr<TTemporaryFileStream> spill;
  auto cleanUp = [&]() {
    if (item.Stream) {
      if (item.bDestroyStream) {
        item.Stream.reset();
      } else {
        try {
          item.Stream->Seek(savedPosition, soBeginning);
        } catch (const Exception&) {
        }
      }
    }
    file.reset();
    spill.reset();
  };

  item.SrcRead = false;
  struct stat opened {};
  bool seen = false;
  // Bytes of the entry went into the volumes: a failure from then on leaves
  // the set with a part of a record, and ends the commit.
  bool intoVolumes = false;
  try {
    Word flags = item.CentralDir.genPurposeFlag;
    const RawByteString nameBytes = EncodeEntryName(item.Name, flags);
    if (nameBytes.size() > 0xFFFF) throw EZAException(61, {item.Name}, this);
    item.CentralDir.genPurposeFlag = flags;
    item.bHugeFile = false;

    if (item.Stream) {
      source = item.Stream.get();
      size = source->Size();
      savedPosition = source->Position();
      source->Seek(item.Position, soBeginning);
    } else if (!IsFolderEntry(item)) {
      const std::string path = StringToSystemName(item.SrcFileName);
      // A name the system refuses for its length: an element over 255
      // bytes or a path over 4,095.
      bool tooLong = path.size() > 4095;
      for (size_t from = 0; !tooLong && from <= path.size();) {
        const size_t slash = path.find('/', from);
        const size_t to = slash == std::string::npos ? path.size() : slash;
        if (to - from > 255) tooLong = true;
        from = to + 1;
      }
      if (tooLong) throw EZAException(61, {item.SrcFileName}, this);
      // Only a regular file is read: a pipe or a device would never end.
      const Int32 attr = ZAFileGetAttr(item.SrcFileName);
      if (attr < 0 || (attr & (faSysFile | faDirectory)) != 0) throw EZAException(33, {item.SrcFileName}, this);
      try {
        file = std::make_unique<TFileStream>(item.SrcFileName, fmOpenRead | ShareModeToInt(FOptions.FShareMode));
      } catch (const EStreamError&) {
        throw EZAException(33, {item.SrcFileName}, this);
      }
      if (::fstat(file->Handle(), &opened) != 0) throw EZAException(33, {item.SrcFileName}, this);
      seen = true;
      source = file.get();
      size = source->Size();
    } else if (!item.SrcFileName.empty()) {
      // A folder: which one it is, for a move that removes it afterwards.
      seen = ::lstat(StringToSystemName(item.SrcFileName).c_str(), &opened) == 0 && S_ISDIR(opened.st_mode);
    }

    // Nothing to compress is stored; decided before any header names a method.
    if (source != nullptr && size == 0) item.CompressionMethod = 0;
    const bool aesEntry = !item.Password.empty() && isZIPFormat && AESKeyBitsOf(FZACryptoAlgorithm) > 0;

    // Zip64 is decided before the local header is written, so that the room
    // for its block is there whenever the block is written: by the source
    // size and the most the stored data can take (deflate's worst case plus
    // the encryption overhead).
    const Int64 offset = FSpanningMode == smNone ? FCompressedStream->Position() : 0;
    const UInt64 worst = static_cast<UInt64>(size) + (static_cast<UInt64>(size) >> 10) + 4096;
    const bool localZip64 = source != nullptr && (static_cast<UInt64>(size) >= 0xFFFFFFFFu ||
                                                  worst >= 0xFFFFFFFFu || FZip64Mode == zmAlways);
    const bool offsetZip64 = offset >= 0xFFFFFFFFLL || FZip64Mode == zmAlways;
    if ((localZip64 || offsetZip64) && FZip64Mode == zmDisabled) throw EZAException(43, {item.SrcFileName}, this);

    const bool secondForm = !isZIPFormat;
    TZAZipFileHeader lh;
    lh.signature = secondForm ? ZA2LocalFileHeaderSignature : ZipLocalFileHeaderSignature;
    Word version;
    if (localZip64 || offsetZip64)
      version = secondForm ? 0x412D : 45;
    else
      version = secondForm ? 0x4114 : (FOptions.FOEMFileNames ? 20 : 0x0B14);
    lh.extractVersion = version;
    item.CentralDir.versionMadeBy = version;
    item.CentralDir.extractVersion = version;
    lh.genPurposeFlag = item.CentralDir.genPurposeFlag;
    lh.compMethod = aesEntry ? 99 : item.CompressionMethod;
    item.CentralDir.compMethod = item.CompressionMethod;
    lh.lastModTime = item.CentralDir.lastModTime;
    lh.lastModDate = item.CentralDir.lastModDate;
    lh.crc32 = item.CentralDir.crc32;
    lh.compSize = 0;
    lh.unCompSize = localZip64 ? 0xFFFFFFFFu : static_cast<Cardinal>(source != nullptr ? size : 0);
    lh.nameLength = static_cast<Word>(nameBytes.size());

    // The extra blocks: zip64 room, the Unicode name, the AES block.
    DropExtra(item, UnicodeExtraFieldHeaderID);
    DropExtra(item, 0x9901);
    TBytes extra;
    if (localZip64) extra.resize(20, 0);
    auto append = [&](const TZAExtraFieldDataBlock& block) {
      const size_t at = extra.size();
      extra.resize(at + 4 + block.pData.size());
      PutLE16(extra.data() + at, block.headerID);
      PutLE16(extra.data() + at + 2, static_cast<Word>(block.pData.size()));
      std::copy(block.pData.begin(), block.pData.end(), extra.begin() + static_cast<std::ptrdiff_t>(at + 4));
      item.ExtraFields.push_back(block);
    };
    if (FUnicodeFilenames || EntryNameHasSystemBytes(item.Name)) {
      TUnicodeExtendedInfo info;
      info.FName = item.Name;
      TMemoryStream data;
      info.SaveToStream(&data);
      TZAExtraFieldDataBlock block;
      block.headerID = UnicodeExtraFieldHeaderID;
      block.pData = data.ToBytes();
      block.dataSize = static_cast<Word>(block.pData.size());
      append(block);
    }
    if (aesEntry) {
      auto aes = TAESCryptoTransform::CreateAESEncryption(AESKeyBitsOf(FZACryptoAlgorithm), 2, item.CompressionMethod);
      TZAExtraFieldDataBlock block = aes->GetExtraFieldData();
      block.dataSize = static_cast<Word>(block.pData.size());
      append(block);
    }
    if (extra.size() > 0xFFFF) throw EZAException(46, this);
    lh.extraLength = static_cast<Word>(extra.size());

    // The target: the archive, or a scratch file that takes the whole local
    // record before it goes into the volumes.
    TStream* target = FCompressedStream;
    if (FSpanningMode != smNone) {
      spill = std::make_unique<TTemporaryFileStream>(FTempDir, u"FC");
      if (!spill->Ok()) throw EZAException(19, {FTempDir}, this);
      target = spill.get();
    }
    const Int64 headerAt = target->Position();
    Byte head[TZAZipFileHeader::Size];
    lh.WriteTo(head);
    target->WriteBuffer(head, TZAZipFileHeader::Size);
    target->WriteBuffer(nameBytes.data(), static_cast<Int64>(nameBytes.size()));
    target->WriteBuffer(extra.data(), static_cast<Int64>(extra.size()));

    bool compressed = true;
    if (source != nullptr) compressed = InternalCompressFile(source, target, item, size);
    if (!compressed || FProgressCancel) {
      cleanUp();
      FProgressCancel = true;
      return false;
    }
    if (source != nullptr) {
      lh.crc32 = item.CentralDir.crc32;
      lh.compMethod = item.CentralDir.compMethod;
      const UInt64 compSize = CompSizeOf(item);
      lh.compSize = localZip64 ? 0xFFFFFFFFu : static_cast<Cardinal>(compSize);
      const Int64 end = target->Position();
      target->Seek(headerAt, soBeginning);
      lh.WriteTo(head);
      target->WriteBuffer(head, TZAZipFileHeader::Size);
      if (localZip64) {
        Byte block[20];
        PutLE16(block, Zip64ExtraFieldHeaderID);
        PutLE16(block + 2, 16);
        PutLE64(block + 4, static_cast<UInt64>(size));
        PutLE64(block + 12, compSize);
        target->Seek(headerAt + TZAZipFileHeader::Size + static_cast<Int64>(nameBytes.size()), soBeginning);
        target->WriteBuffer(block, sizeof block);
      }
      target->Seek(end, soBeginning);
    } else {
      // A folder: no data.
      item.CentralDir.compSize = 0;
      item.CentralDir.unCompSize = 0;
      item.CentralDir.crc32 = 0;
      item.CentralDir.compMethod = 0;
      item.CompressionMethod = 0;
    }

    Int64 localOffset = offset;
    if (FSpanningMode != smNone) {
      spill->Seek(0, soBeginning);
      const Int64 headerPart = TZAZipFileHeader::Size + static_cast<Int64>(nameBytes.size() + extra.size());
      intoVolumes = true;
      WriteToStream(spill.get(), FCompressedStream, FVolumeNumberInfo, c.cancel, headerPart, 0, c.pending.get(),
                    false);
      item.CentralDir.diskNumberStart = static_cast<Word>(std::clamp<Int32>(FVolumeNumberInfo.FVolumeNumber, 0, 0xFFFF));
      localOffset = FCompressedStream->Position() - headerPart;
      if (!c.cancel)
        WriteToStream(spill.get(), FCompressedStream, FVolumeNumberInfo, c.cancel, -1, -1, c.pending.get(), true);
    } else {
      item.CentralDir.diskNumberStart = 0;
    }
    if (localOffset >= 0xFFFFFFFFLL || FZip64Mode == zmAlways) {
      item.CentralDir.relOffsetLH = 0xFFFFFFFFu;
      item.Zip64ExtInfo.relOffsetLH = static_cast<UInt64>(localOffset);
      item.bHugeFile = true;
    } else {
      item.CentralDir.relOffsetLH = static_cast<Cardinal>(localOffset);
    }
    item.CentralDir.extraLength = 0;
    item.CentralDir.nameLength = static_cast<Word>(nameBytes.size());
  } catch (const EZAException& e) {
    cleanUp();
    if (FCompressedStream == nullptr || intoVolumes) throw;
    DoOnProcessFileFailure(item.Operation == poUpdate ? item.Name : item.SrcFileName, item.Operation, e.NativeError,
                           e.ErrorCode, e.Message(), c.action);
    return false;
  } catch (...) {
    cleanUp();
    throw;
  }
  if (seen) {
    item.SrcRead = true;
    item.SrcStamp = FileStampOf(opened);
  }
  cleanUp();
  bool endCancel = false;
  DoOnFileProgress(displayName, 100, item.Operation, ppEnd, endCancel);
  if (c.cancel) {
    c.action = fxaAbort;
    return false;
  }
  return true;
}

void TZABaseArchiver::CommitCopyEntry(Int32 index, TZACommit& c) {
  TZADirArray& live = *DMHandle->CDir;
  const TZADirArray& snap = *DMHandle->RBCDir;
  TDirItem* item = &live.FItems[static_cast<size_t>(index)];
  const bool renamed = item->Modified && item->Operation == poRename;
  Int32 old = ZAFindEntryExact(snap, renamed ? item->OldName : item->Name);
  // An entry renamed while another change was pending keeps its old name too.
  if (old < 0 && !item->OldName.empty()) old = ZAFindEntryExact(snap, item->OldName);
  if (old < 0) throw EZAException(7, this);
  const TDirItem& was = snap.FItems[static_cast<size_t>(old)];
  if (item->Modified && item->Operation == poUpdate) {
    live.SetItem(index, was);
    item = &live.FItems[static_cast<size_t>(index)];
  }

  // The old record, read from the tail: its local header's own name and
  // extra lengths, the stored data, and a data descriptor when bit 3 is set.
  const Int64 at = LocalOffsetOf(was) - c.restorePoint;
  const UInt64 compSize = CompSizeOf(was);
  if (at < 0 || at > c.tailSize - TZAZipFileHeader::Size) throw EZAException(57, this);
  Byte head[TZAZipFileHeader::Size];
  c.tail->Seek(c.tailBase + at, soBeginning);
  c.tail->ReadBuffer(head, TZAZipFileHeader::Size);
  TZAZipFileHeader lh;
  lh.ReadFrom(head);
  if (lh.signature != ZipLocalFileHeaderSignature && lh.signature != ZA2LocalFileHeaderSignature)
    throw EZAException(57, this);
  const Int64 varLength = Int64(lh.nameLength) + lh.extraLength;
  if (varLength > c.tailSize - at - TZAZipFileHeader::Size ||
      compSize > static_cast<UInt64>(c.tailSize - at - TZAZipFileHeader::Size - varLength))
    throw EZAException(57, this);
  TBytes oldExtra(lh.extraLength);
  c.tail->Seek(c.tailBase + at + TZAZipFileHeader::Size + lh.nameLength, soBeginning);
  c.tail->ReadBuffer(oldExtra.data(), lh.extraLength);
  const Int64 dataAt = at + TZAZipFileHeader::Size + varLength;
  Int64 dataLength = static_cast<Int64>(compSize);
  if ((lh.genPurposeFlag & ZAFlagDataDescriptor) != 0) {
    bool zip64 = false;
    for (size_t p = 0; p + 4 <= oldExtra.size();) {
      const Word id = GetLE16(oldExtra.data() + p);
      const Word len = GetLE16(oldExtra.data() + p + 2);
      if (id == Zip64ExtraFieldHeaderID) zip64 = true;
      p += 4 + len;
    }
    Int64 descriptor = zip64 ? 20 : 12;
    const Int64 after = dataAt + dataLength;
    if (after + 4 <= c.tailSize) {
      Byte sig[4];
      c.tail->Seek(c.tailBase + after, soBeginning);
      c.tail->ReadBuffer(sig, 4);
      if (GetLE32(sig) == kDataDescriptorSignature) descriptor += 4;
    }
    dataLength = std::min<Int64>(dataLength + descriptor, c.tailSize - dataAt);
  }

  const Int64 newOffset = FCompressedStream->Position();
  if (renamed) {
    // A new local record around the old data: the new name, the old zip64
    // block when there was one, and the live entry's other blocks.
    Word flags = item->CentralDir.genPurposeFlag;
    const RawByteString nameBytes = EncodeEntryName(item->Name, flags);
    item->CentralDir.genPurposeFlag = flags;
    TBytes extra;
    for (size_t p = 0; p + 4 <= oldExtra.size();) {
      const Word id = GetLE16(oldExtra.data() + p);
      const size_t len = std::min<size_t>(GetLE16(oldExtra.data() + p + 2), oldExtra.size() - p - 4);
      if (id == Zip64ExtraFieldHeaderID) extra.insert(extra.end(), oldExtra.begin() + p, oldExtra.begin() + p + 4 + len);
      p += 4 + len;
    }
    for (const auto& block : item->ExtraFields) {
      const size_t o = extra.size();
      extra.resize(o + 4 + block.pData.size());
      PutLE16(extra.data() + o, block.headerID);
      PutLE16(extra.data() + o + 2, static_cast<Word>(block.pData.size()));
      std::copy(block.pData.begin(), block.pData.end(), extra.begin() + static_cast<std::ptrdiff_t>(o + 4));
    }
    if (nameBytes.size() > 0xFFFF || extra.size() > 0xFFFF) throw EZAException(61, {item->Name}, this);
    lh.nameLength = static_cast<Word>(nameBytes.size());
    lh.extraLength = static_cast<Word>(extra.size());
    lh.genPurposeFlag = static_cast<Word>((lh.genPurposeFlag & ~ZAFlagUTF8Name) | (flags & ZAFlagUTF8Name));
    lh.WriteTo(head);
    CommitPut(c, head, TZAZipFileHeader::Size);
    CommitPut(c, nameBytes.data(), static_cast<Int64>(nameBytes.size()));
    CommitPut(c, extra.data(), static_cast<Int64>(extra.size()));
  } else {
    CommitPut(c, head, TZAZipFileHeader::Size);
    TBytes rest(static_cast<size_t>(varLength));
    c.tail->Seek(c.tailBase + at + TZAZipFileHeader::Size, soBeginning);
    c.tail->ReadBuffer(rest.data(), varLength);
    CommitPut(c, rest.data(), varLength);
  }
  TBytes buffer(static_cast<size_t>(std::max<Int64>(1, std::min(kCommitCopyBuffer, dataLength))));
  c.tail->Seek(c.tailBase + dataAt, soBeginning);
  // A large entry yields as it is copied; a Stop cancels the commit, which
  // puts the archive back.
  TTimedYield yield;
  for (Int64 done = 0; done < dataLength;) {
    if (yield.Tick(CopyTicks(dataLength - done))) {
      FProgressCancel = true;
      return;
    }
    const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), dataLength - done);
    c.tail->ReadBuffer(buffer.data(), n);
    CommitPut(c, buffer.data(), n);
    done += n;
  }

  const bool wasZip64Offset = was.CentralDir.relOffsetLH == 0xFFFFFFFFu;
  if (newOffset >= 0xFFFFFFFFLL || FZip64Mode == zmAlways || wasZip64Offset) {
    item->CentralDir.relOffsetLH = 0xFFFFFFFFu;
    item->Zip64ExtInfo.relOffsetLH = static_cast<UInt64>(newOffset);
    item->bHugeFile = true;
  } else {
    item->CentralDir.relOffsetLH = static_cast<Cardinal>(newOffset);
  }
}

}  // namespace sk
