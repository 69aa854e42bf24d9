// Whole-archive operations of the archiver: a stub put in front of an
// archive, the validity test, and the listing helpers of the zip form.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

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
    if (std::filesystem::equivalent(StringToUtf8(FFileName), StringToUtf8(otherName), ec) && !ec)
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
      FlushFolderOf(StringToUtf8(fJournalName));
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
    TZAZipCentralDir& cd = item.CentralDir;
    const UInt64 from = cd.relOffsetLH == 0xFFFFFFFFu ? item.Zip64ExtInfo.relOffsetLH : cd.relOffsetLH;
    const UInt64 to = static_cast<UInt64>(static_cast<Int64>(from) + shift);
    if (to >= 0xFFFFFFFFull) {
      item.bHugeFile = true;
      cd.relOffsetLH = 0xFFFFFFFFu;
      item.Zip64ExtInfo.relOffsetLH = to;
    } else {
      cd.relOffsetLH = static_cast<Cardinal>(to);
    }
  }
  try {
    DMHandle->SaveDir(true);
    // The merged archive is on the disk before its journal goes.
    if (journal != nullptr) {
      if (!FlushFileHandle(static_cast<THandleStream*>(dest)->Handle())) throw EZAException(46, this);
      if (!ZADeleteOpenFile(fJournalName, journal->Handle())) throw EZAException(27, {fJournalName}, this);
      journal.reset();
      FlushFolderOf(StringToUtf8(fJournalName));
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

void TZABaseArchiver::RepairArchive(const String& newName) {
  if (FActive) throw EZAException(37, this);
  const bool inPlace = newName.empty();
  const String target = newName;
  // A repair in place is built in a file without a name in the archive's
  // folder, made there exclusively: nothing another user puts in the folder
  // (a link at a name it would take) is written through or deleted, and
  // nothing is left behind whatever ends the repair.
  std::unique_ptr<TTemporaryFileStream> scratch;
  if (inPlace) {
    // The archive must be writable, since it is to be replaced.
    { TFileStream probe(FFileName, fmOpenReadWrite | fmShareExclusive); }
    const String folder = ExtractFileDir(ExpandFileName(FFileName));
    scratch = std::make_unique<TTemporaryFileStream>(folder, u"repair");
    if (!scratch->Ok()) throw EZAException(36, {folder}, this);
  }
  // A named target takes the place of what the name held, and is then made
  // exclusively (a link or a file put at the name meanwhile is refused) and
  // written only through its own descriptor: a failed repair deletes only
  // that file, never one put at the name since.
  std::unique_ptr<TFileStream> out;
  struct stat made {};
  if (!inPlace) {
    DeleteFile(target);
    try {
      out = std::make_unique<TFileStream>(target, fmCreate | fmExclusive);
    } catch (const Exception&) {
      throw EZAException(36, {target}, this);
    }
    if (::fstat(out->Handle(), &made) != 0) {
      ZADeleteOpenFile(target, out->Handle());
      throw EZAException(36, {target}, this);
    }
  }

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
    if (inPlace)
      fixed.OpenArchive(scratch.get(), true);
    else
      fixed.OpenArchive(out.get(), true);
    TRestore restore{*this, oldCorrupted, oldExtractCorrupted};
    FOpenCorruptedArchives = true;
    OpenArchive(fmOpenRead | fmShareDenyNone);
    // The entries are read under the archive's lock, held to the end (the
    // exclusive one when the archive is replaced, so that no other process's
    // change falls between the read and the replacement), from the
    // directory read again under it.
    if (Journalled()) {
      LockArchive(inPlace);
      RecoverJournalForRead();
      if (DirectoryChanged()) {
        DMHandle->LoadDir();
        RememberDirectory();
      }
    }
    FExtractCorruptedFiles = true;
    TMemoryStream temp;
    const Int32 count = DMHandle->CDir->Count();
    for (Int32 i = 0; i < count; ++i) {
      const TDirItem item = DMHandle->CDir->GetItem(i);
      const TZAZipCentralDir& cd = item.CentralDir;
      if (item.Name.empty()) continue;
      if ((cd.externalAttr & 0x10) != 0) {
        fixed.AddFromBuffer(item.Name, nullptr, 0, cd.externalAttr, Now());
        continue;
      }
      temp.Clear();
      try {
        // Checked extraction: an entry whose data are damaged is left out.
        FExtractCorruptedFiles = false;
        ExtractItem(i, &temp, 0, 0);
      } catch (const EZAException&) {
        FExtractCorruptedFiles = true;
        continue;
      }
      FExtractCorruptedFiles = true;
      fixed.SetPassword(FPassword);
      fixed.FZACryptoAlgorithm = FZACryptoAlgorithm;
      fixed.FCompressionAlgorithm = FCompressionAlgorithm;
      fixed.FCompressionMode = FCompressionMode;
      fixed.FCompressionMethod = FCompressionMethod;
      // The attributes go onto the entry just added, found by its index and
      // never through a name search, which would take "*" and "?" in a name
      // as a mask and cannot take a name of 260 characters or more.
      fixed.BeginUpdate();
      try {
        TZADirArray& dir = *fixed.DMHandle->CDir;
        const Int32 before = dir.Count();
        fixed.AddFromStream(item.Name, &temp, true, 0, temp.Size(), 0x20, 0);
        const Int32 added = dir.Count() > before ? dir.Count() - 1 : ZAFindEntryExact(dir, item.Name);
        if (added >= 0) {
          TZAZipCentralDir& made = dir.FItems[static_cast<size_t>(added)].CentralDir;
          made.externalAttr = cd.externalAttr;
          made.internalAttr = cd.internalAttr;
        }
      } catch (...) {
        fixed.CancelUpdate();
        throw;
      }
      fixed.EndUpdate();
    }
    fixed.CloseArchive();
    if (inPlace) {
      // The damaged archive is replaced in one step, and only by a whole
      // copy, while its lock is still held.
      bool replaced = false;
      {
        TFileReplaceStream out(FFileName);
        if (out.Ok()) {
          try {
            scratch->SetPosition(0);
            out.CopyFrom(scratch.get(), scratch->Size());
            replaced = out.Commit();
          } catch (const Exception&) {
            replaced = false;
          }
        }
      }
      if (!replaced) throw EZAException(36, {FFileName}, this);
    }
  } catch (...) {
    // A repair that fails leaves no half-built archive behind.
    if (out != nullptr) ZADeleteFileAs(target, made.st_dev, made.st_ino);
    throw;
  }
}

}  // namespace sk
