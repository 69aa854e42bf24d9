#include "zip/ZAArchiver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <mutex>

#include "core/UnitCounter.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/FormatSettings.h"
#include "platform/runtime/OSError.h"
#include "zip/ZAConst.h"
#include "zip/ZAExcept.h"
#include "zip/ZAJournal.h"
#include "zip/ZAUtils.h"

namespace sk {

namespace {

constinit TUnitCounter ZAArchiver_counter;

// What lies at a journal's name is evidence, not a command. It is opened
// only when it may be the journal of the archive file described by archive
// (open as archiveFd, when known, so that its access list is seen), by the
// platform's rule (ZipReader.h): a regular file with one name that no one
// can write who cannot write the archive. -1 otherwise, errno ENOENT when
// nothing is there.
int OpenJournalCandidate(const std::string& path, const struct stat& archive, int archiveFd = -1) {
  return ZipOpenJournalCandidate(path, archive, archiveFd);
}

TZAJournalIdentity IdentityOf(const struct stat& archive) {
  return {static_cast<UInt64>(archive.st_dev), static_cast<UInt64>(archive.st_ino)};
}

// The engine's one lock, made when the unit starts and deleted when it stops,
// and how deep this thread holds it (a question lets go of every level).
constinit std::recursive_mutex* gEngineLock = nullptr;
constinit thread_local Int32 tEngineLockDepth = 0;

constexpr Int64 kCopyBufferSize = 1048576;

// Copies the whole of source, from its start, to the end of dest.
void CopyWhole(TStream* source, TStream* dest) {
  source->Seek(0, soBeginning);
  const Int64 size = source->Size();
  TBytes buffer(static_cast<size_t>(std::min<Int64>(kCopyBufferSize, std::max<Int64>(size, 1))));
  for (Int64 done = 0; done < size;) {
    const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), size - done);
    source->ReadBuffer(buffer.data(), n);
    dest->WriteBuffer(buffer.data(), n);
    done += n;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

TZABaseArchiver::TZABaseArchiver(TObject*)
    : FFileMasks(std::make_unique<TStringList>()),
      FExclusionMasks(std::make_unique<TStringList>()),
      FNoCompressionMasks(std::make_unique<TStringList>()) {
  isZIPFormat = false;
  FOpenCorruptedArchives = true;
  FSpanningMode = smNone;
  SetCompressionLevel(za_clFastest);
}

TZABaseArchiver::~TZABaseArchiver() {
  try {
    CloseArchive();
  } catch (...) {
    // A destructor reports nothing; what it could not write stays unwritten.
  }
}

TZipArchiver::TZipArchiver(TObject* owner) : TZABaseArchiver(owner) {
  isZIPFormat = true;
  FZip64Mode = zmDisabled;
  // The base constructor set the level before this class's method rule was
  // in place: the method of new entries is set again by this class's rule.
  SetCompMethod();
}

void TZipArchiver::SetPassword(const AnsiString& password) { FPassword = password; }

void TZipArchiver::SetCompMethod() { FCompressionMethod = FCompressionMode != 0 ? 8 : 0; }

// ---------------------------------------------------------------------------
// Properties

void TZABaseArchiver::SetActive(bool value) {
  if (value == FActive) return;
  if (value)
    OpenArchive();
  else
    CloseArchive();
}

AnsiString TZABaseArchiver::GetFileComment() const {
  return FActive && DMHandle ? DMHandle->ArchiveComment : AnsiString();
}

void TZABaseArchiver::SetFileComment(const AnsiString& comment) {
  CheckInactive();
  CheckModifySpanning();
  // Outside an update, the directory of an archive file is rewritten as an
  // update of its own: under the lock, on the directory as it is on the
  // disk, through the journal.
  if (!GetInUpdate() && FSpanningMode == smNone && Journalled()) {
    BeginUpdate();
    DMHandle->ArchiveComment = comment;
    EndUpdate();
    return;
  }
  DMHandle->ArchiveComment = comment;
  if (!GetInUpdate() && FSpanningMode == smNone) DMHandle->SaveDir(false);
}

void TZABaseArchiver::SetFileMasks(const TStrings& masks) { FFileMasks->Assign(masks); }
void TZABaseArchiver::SetExclusionMasks(const TStrings& masks) { FExclusionMasks->Assign(masks); }
void TZABaseArchiver::SetNoCompressionMasks(const TStrings& masks) { FNoCompressionMasks->Assign(masks); }

bool TZABaseArchiver::GetEncrypted() const {
  bool encrypted = !FPassword.empty();
  if (FActive && DMHandle && DMHandle->CDir->Count() > 0) encrypted = DMHandle->IsEncrypted();
  return encrypted;
}

bool TZABaseArchiver::GetExists() const { return ZAFileExists(FFileName); }

Int64 TZABaseArchiver::GetArchiveSize() const {
  CheckInactive();
  return FCompressedStream != nullptr ? FCompressedStream->Size() : 0;
}

Int32 TZABaseArchiver::GetFileCount() const {
  CheckInactive();
  // Every entry matches "*.*" when folders are searched too; the folders are
  // the entries whose attributes carry the directory bit.
  const TZADirArray& dir = *DMHandle->CDir;
  Int32 folders = 0;
  for (Int32 i = 0; i < dir.Count(); ++i)
    if ((dir.FItems[static_cast<size_t>(i)].CentralDir.externalAttr & 0x10) != 0) ++folders;
  return dir.Count() - folders;
}

void TZABaseArchiver::SetCompressionLevel(TZACompressionLevel level) {
  FCompressionLevel = level;
  FCompressionMode = static_cast<Byte>(CompressionLevelToMode(level));
  SetCompMethod();
}

void TZABaseArchiver::SetCompressionMode(Byte mode) {
  if (mode > 9) throw EZAException(5, this);
  FCompressionMode = mode;
  FCompressionLevel = CompressionModeToLevel(mode);
  SetCompMethod();
}

void TZABaseArchiver::SetPassword(const AnsiString& password) { FPassword = password; }

void TZABaseArchiver::SetCompMethod() { FCompressionMethod = 0xFFFF; }

String TZABaseArchiver::GetCurrentVersionText() const {
  // The invariant settings give "." whatever the user's locale; the
  // process's own settings are not touched.
  return Format(u"%.2f", {ZAEngineVersion}, TFormatSettings::Invariant()) + u" " + internalCurrentVersionText;
}

void TZABaseArchiver::SetSpanningMode(TZASpanningMode mode) {
  if (FActive) throw Exception(u"Cannot set spanning mode on open archive");
  FSpanningMode = mode;
}

void TZABaseArchiver::SetInMemory(bool value) {
  if (value == FInMemory) return;
  if (!FActive) {
    FInMemory = value;
    return;
  }
  if (FInMemory) {
    // Leaving memory: the file gets the whole image in one replace, so a
    // failed write keeps the old file and leaves the archive open in memory.
    if (FFileName.empty()) throw EZAException(29, this);
    // A new archive that nothing was written into gets its (empty)
    // directory first, as closing it would give it.
    if (DMHandle && FCompressedStream->Size() <= DMHandle->StubSize) DMHandle->SaveDir(true);
    // The file is replaced under its exclusive lock, as an update writes:
    // never while another process writes it, and, when the archive was read
    // from it, only while it is still that file as it was read (another
    // process's change since would be lost): else error 71, nothing changed.
    ResolveArchivePath();
    const bool readFrom = fMemorySeen.Remembered() && fMemoryPath == fArchivePath;
    struct stat named {};
    const bool exists = ::stat(fArchivePath.c_str(), &named) == 0;
    auto release = [this]() {
      UnlockArchive();
      fLockFile.reset();
    };
    try {
      if (readFrom && !exists) throw EZAException(71, {FFileName}, this);
      if (exists) {
        OpenLockFile();
        LockArchive(true);
        RecoverJournal(true);
        if (readFrom && fMemorySeen.Changed(fLockFile->Handle())) throw EZAException(71, {FFileName}, this);
      }
      TFileReplaceStream file(FFileName);
      bool written = file.Ok();
      if (written) {
        try {
          CopyWhole(FCompressedStream, &file);
        } catch (const EStreamError&) {
          written = false;
        } catch (const EWriteError&) {
          written = false;
        }
      }
      if (!written || !file.Commit()) throw EZAException(19, {FFileName}, this);
    } catch (...) {
      release();
      throw;
    }
    CloseArchive();
    FInMemory = false;
    OpenArchive();
  } else {
    // Entering memory: the archive's bytes are loaded into memory and the
    // archive opened again from there, so that it shows what it held. A
    // file of its own is read under the shared lock, and its state then is
    // remembered for the way back.
    auto image = std::make_unique<TMemoryStream>();
    std::unique_ptr<THandleStream> readLock;
    const std::string readPath = fArchivePath;
    if (Journalled() && FUpdateCount == 0) {
      LockArchive(false);
      try {
        RecoverJournalForRead();
        CopyWhole(FCompressedStream, image.get());
      } catch (...) {
        UnlockArchive();
        throw;
      }
      // The descriptor the lock is held on outlives the close, so that the
      // state is taken before another process may write.
      readLock = std::move(fLockFile);
    } else {
      CopyWhole(FCompressedStream, image.get());
    }
    CloseArchive();
    FInMemory = true;
    IsCustomStream = false;
    FUpdated = false;
    FileOpenMode = fmOpenReadWrite | fmShareDenyWrite;
    fOwnedStream = std::move(image);
    FCompressedStream = fOwnedStream.get();
    try {
      DMHandle = std::make_unique<TZADirManager>(FCompressedStream, false, this);
      DMHandle->LoadDir();
    } catch (...) {
      DMHandle.reset();
      FreeArchiveStream();
      throw;
    }
    if (readLock != nullptr) {
      if (fMemorySeen.Remember(readLock->Handle(), DMHandle->CentralDirOffset)) fMemoryPath = readPath;
      UnlockFileHandle(readLock->Handle());
    }
    FActive = true;
    DoAfterOpen();
  }
}

Int32 TZABaseArchiver::ShareModeToInt(TZAFileShareMode mode) {
  switch (mode) {
    case smShareCompat: return 0;
    case smShareExclusive: return 0x10;
    case smShareDenyWrite: return 0x20;
    case smShareDenyRead: return 0x30;
    case smShareDenyNone: return 0x40;
  }
  return 0;
}

void TZABaseArchiver::Lock() {
  if (gEngineLock == nullptr) throw Exception(u"The zip engine's lock is used before the engine was started");
  gEngineLock->lock();
  ++tEngineLockDepth;
}

void TZABaseArchiver::Unlock() {
  if (gEngineLock == nullptr || tEngineLockDepth <= 0) return;
  --tEngineLockDepth;
  gEngineLock->unlock();
}

// ---------------------------------------------------------------------------
// Questions to a person

bool TZABaseArchiver::PendingChanges() const {
  if (!DMHandle || FUpdateCount <= 0) return false;
  const TZADirArray& live = *DMHandle->CDir;
  const TZADirArray& snap = *DMHandle->RBCDir;
  if (live.Count() != snap.Count() || DMHandle->ArchiveComment != fSnapshotComment) return true;
  for (Int32 i = 0; i < live.Count(); ++i) {
    const TDirItem& item = live.FItems[static_cast<size_t>(i)];
    if (item.Modified || item.Name != snap.FItems[static_cast<size_t>(i)].Name) return true;
  }
  return false;
}

void TZABaseArchiver::AskUnlocked(const std::function<void()>& ask) {
  // Another thread may use the engine meanwhile, and another process the
  // archive: the engine's lock goes at every level this thread holds, and
  // the archive's lock goes where nothing of the archive is half-written
  // (a read, or an update bracket before its commit). During a commit or
  // a merge the archive is torn until the holder ends, and another process
  // would put it back or read it half-written: the lock stays there.
  const Int32 depth = tEngineLockDepth;
  for (Int32 i = 0; i < depth; ++i) Unlock();
  const Int32 held = fLockHeld;
  const bool release = fLockFile != nullptr && (held == 1 || (held == 2 && FUpdateCount > 0));
  if (release) UnlockArchive();
  std::exception_ptr failure;
  try {
    ask();
  } catch (...) {
    failure = std::current_exception();
  }
  for (Int32 i = 0; i < depth; ++i) Lock();
  if (release) {
    try {
      RetakeAfterAsking(held == 2);
    } catch (...) {
      // The handler's own failure is the one reported.
      if (!failure) throw;
    }
  }
  if (failure) std::rethrow_exception(failure);
}

void TZABaseArchiver::RetakeAfterAsking(bool exclusive) {
  // Without the lock the operation cannot go on: it ends, whatever entry
  // it was at.
  try {
    LockArchive(exclusive);
  } catch (const EZAException& e) {
    throw EZAOperationEnded(e);
  }
  if (!FActive || !DMHandle || !Journalled()) return;
  if (exclusive) {
    // The update's changes were made on the directory as it was: when
    // another process changed the archive meanwhile they are dropped and
    // the update fails, changing nothing.
    try {
      const bool recovered = RecoverJournal(true) == jfRecovered;
      if (recovered || DirectoryChanged()) throw EZAException(71, {FFileName}, this);
    } catch (const EZAException& e) {
      throw EZAOperationEnded(e);
    }
    return;
  }
  // A read goes on in the directory as it is now: the entries keep their
  // tags by name, and the reads under way find their entries again.
  try {
    RecoverJournalForRead();
    if (DirectoryChanged()) ReloadDirectory();
  } catch (const EZAException& e) {
    throw EZAOperationEnded(e);
  }
}

// ---------------------------------------------------------------------------
// The archive file's lock between processes, its journal and the directory
// as last seen

void TZABaseArchiver::LockArchive(bool exclusive) {
  if (fLockFile == nullptr || fLockHeld >= (exclusive ? 2 : 1)) return;
  // Another process may put a new file in the archive's place (a commit from
  // the first byte replaces the whole file) while this one waits for the old
  // file's lock: the file at the name is opened and waited for in turn, for
  // as long as the wait allows. The lock of a file no longer at the name is
  // never kept: an update would go into a file that nobody sees again.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<Int32>(FLockWait, 0));
  bool recovered = false;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (!LockFileHandle(fLockFile->Handle(), exclusive, static_cast<Int32>(std::max<Int64>(left, 0)))) {
      const Int32 error = errno;
      // The wait ran out: the other process reads (only an update is kept
      // out by readers) or changes the archive.
      if (error == EWOULDBLOCK)
        throw EZAException(exclusive && ZipLockHeldOnlyForReading(fLockFile->Handle()) ? 81 : 71, {FFileName}, this);
      // A file system without locks (a share without a lock service): a
      // read goes on unlocked, an update fails with the system's reason.
      if (!exclusive && (error == ENOLCK || error == EOPNOTSUPP)) return;
      throw EOSError(error, u"Cannot lock the archive \"" + FFileName + u"\": " + SysErrorMessage(error));
    }
    fLockHeld = exclusive ? 2 : 1;
    struct stat held {}, named {}, opened {};
    if (::fstat(fLockFile->Handle(), &held) != 0) {
      const Int32 error = errno;
      UnlockArchive();
      throw EOSError(error, u"Cannot lock the archive \"" + FFileName + u"\": " + SysErrorMessage(error));
    }
    // (An archive in memory stays there: only the lock follows the file.)
    const bool owned = !FInMemory && FCompressedStream != nullptr && FCompressedStream == fOwnedStream.get();
    // The archive is read through a descriptor of the same file (a volume of
    // a multi-volume archive is another file).
    auto* stream = owned && FSpanningMode == smNone ? dynamic_cast<THandleStream*>(FCompressedStream) : nullptr;
    const bool gone = ::stat(fArchivePath.c_str(), &named) != 0 && errno == ENOENT;
    const bool atName = !gone && named.st_dev == held.st_dev && named.st_ino == held.st_ino;
    const bool readSame = stream == nullptr || (::fstat(stream->Handle(), &opened) == 0 &&
                                                opened.st_dev == held.st_dev && opened.st_ino == held.st_ino);
    // A set of volumes is read only whole: not while a list of moves says
    // that a set is half moved in under its names (a maker's move-in holds
    // the file at the archive's name; one it left when killed is finished
    // first), checked as it is opened and at every read.
    const bool set = FActive ? FSpanningMode == smSplitting : !exclusive;
    if (atName && readSame && !(set && TZANewFileSet::MoveInPending(FFileName))) break;
    UnlockArchive();
    // The archive was deleted while this process waited.
    if (gone) throw EZAException(12, {FFileName}, this);
    if (atName && readSame) {
      if (recovered) throw EZAException(71, {FFileName}, this);
      recovered = true;
      const auto rest =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      TZANewFileSet::Recover(FFileName, static_cast<Int32>(std::max<Int64>(rest, 0)));
      continue;
    }
    if (std::chrono::steady_clock::now() >= deadline) throw EZAException(71, {FFileName}, this);
    OpenLockFile();
    if (owned) ReopenArchiveFile();
  }
  FindJournal();
  // Under the exclusive lock no update of this archive is writing: the
  // hidden copies that a killed one left beside the archive and its journal
  // go (a copy that a live writer holds, locked, stays). Once per open: the
  // folder is listed for it.
  if (exclusive && !fSiblingsSwept) {
    fSiblingsSwept = true;
    // Only beside the archive's own name: a journal named by the file's
    // attribute may lie in a folder that whoever may write the archive
    // chose, and nothing there is listed or removed.
    RemoveStaleTemporarySiblings(fArchivePath);
    RemoveStaleTemporarySiblings(ZipJournalFileName(fArchivePath));
  }
}

void TZABaseArchiver::FindJournal() {
  // An update made through another name of a file with more than one link
  // writes its journal beside that name, and names it in an extended
  // attribute of the file, which every name shares.
  bool stale = false;
  const std::string name = ZipJournalNameFor(fLockFile->Handle(), fArchivePath, &stale);
  // What it named is gone (rolled back, or never written).
  if (stale && fLockHeld == 2) ::fremovexattr(fLockFile->Handle(), ZAJournalPointerName);
  fJournalName = SystemNameToString(name);
}

void TZABaseArchiver::ReopenArchiveFile() {
  // The mode the archive was opened with, except that a file made anew is
  // not cut again. The new file is opened before the old stream goes, so
  // that a failure leaves the archiver as it was.
  const String name = SystemNameToString(fArchivePath);
  auto file = std::make_unique<TFileStream>(
      name, FileOpenMode == fmCreate ? Word(fmOpenReadWrite | fmShareDenyWrite) : FileOpenMode);
  FreeArchiveStream();
  IsCustomStream = false;
  fOwnedStream = std::move(file);
  FCompressedStream = fOwnedStream.get();
  VolumeFileName = name;
  fFreeSpaceVolume = -2;
  SyncDirManagerStream();
  fSeenSize = -1;
}

TOwnedHandleStream::~TOwnedHandleStream() {
  if (fHandle >= 0) ::close(fHandle);
}

void TZABaseArchiver::UnlockArchive() {
  if (fLockFile != nullptr && fLockHeld != 0) UnlockFileHandle(fLockFile->Handle());
  fLockHeld = 0;
}

void TZABaseArchiver::OpenLockFile() {
  // Opened for writing where the process may, so that a journal can be
  // rolled back through this very descriptor. A file that does not open
  // leaves the descriptor held before.
  const String name = SystemNameToString(fArchivePath);
  std::unique_ptr<THandleStream> file;
  try {
    file = std::make_unique<TFileStream>(name, fmOpenReadWrite);
  } catch (const EStreamError&) {
    file = std::make_unique<TFileStream>(name, fmOpenRead);
  }
  UnlockArchive();
  fLockFile = std::move(file);
}

void TZABaseArchiver::ResolveArchivePath() {
  const std::string given = StringToSystemName(FFileName);
  char* resolved = ::realpath(given.c_str(), nullptr);
  fArchivePath = resolved != nullptr ? std::string(resolved) : given;
  std::free(resolved);
  fJournalName = SystemNameToString(ZipJournalFileName(fArchivePath));
  fSiblingsSwept = false;
}

bool TZABaseArchiver::Journalled() const {
  return fLockFile != nullptr && FSpanningMode == smNone && !FInMemory && !IsCustomStream &&
         dynamic_cast<THandleStream*>(FCompressedStream) != nullptr;
}

TZABaseArchiver::TJournalFound TZABaseArchiver::RecoverJournal(bool forUpdate) {
  if (fLockFile == nullptr) return jfNone;
  const String& name = fJournalName;
  const std::string path = StringToSystemName(name);
  // Only a possible journal of this archive file that is also bound to the
  // archive as it is now is applied or deleted.
  auto refuse = [&]() {
    if (forUpdate) throw EZAException(72, {name}, this);
    return jfRefused;
  };
  struct stat archive {};
  if (::fstat(fLockFile->Handle(), &archive) != 0) return refuse();
  const int fd = OpenJournalCandidate(path, archive, fLockFile->Handle());
  if (fd < 0) return errno == ENOENT ? jfNone : refuse();
  TOwnedHandleStream journal(fd);
  TZAJournalRecord record;
  TZAJournalOutcome outcome = jrNotJournal;
  try {
    outcome = ZACheckJournal(&journal, fLockFile.get(), IdentityOf(archive), record);
    if (outcome == jrComplete) {
      // Put back through the descriptor the lock is held on (opened for
      // writing when the process may write the archive).
      if ((::fcntl(fLockFile->Handle(), F_GETFL) & O_ACCMODE) != O_RDWR) throw EZAException(70, {name}, this);
      ZARestoreTail(&journal, fLockFile.get(), record.restorePoint, record.tailSize);
      if (!FlushFileHandle(fLockFile->Handle())) throw EZAException(70, {name}, this);
    }
  } catch (const EZAException&) {
    throw;
  } catch (const Exception&) {
    throw EZAException(70, {name}, this);
  }
  if (outcome == jrNotJournal || outcome == jrForeign) return refuse();
  // This archive's journal that is not whole was damaged after it was
  // written: the archive may be torn, and no one can put it back. The
  // journal stays as the evidence of it.
  if (outcome == jrDamaged) throw EZAException(73, {name}, this);
  // The archive is as it was before the update. The journal that was checked
  // goes, never what its name reaches by then. One that cannot go does no
  // harm to a read: putting the same bytes back changes nothing. But an
  // update that left it would have it put back the old bytes over its own
  // once its changes leave the bytes before the restore point as they are.
  fSeenSize = -1;
  if (ZADeleteOpenFile(name, journal.Handle()))
    FlushFolderOf(path);
  else if (forUpdate)
    throw EZAException(80, {name}, this);
  return jfRecovered;
}

void TZABaseArchiver::RecoverJournalForRead() {
  if (fLockFile == nullptr) return;
  // A look under the shared lock: only this archive's complete journal needs
  // the exclusive one (to put the archive back), and only a damaged one
  // stops the read. Whatever else lies at the name costs a reader nothing.
  struct stat archive {};
  if (::fstat(fLockFile->Handle(), &archive) != 0) return;
  TZAJournalOutcome outcome = jrNotJournal;
  {
    const int fd = OpenJournalCandidate(StringToSystemName(fJournalName), archive, fLockFile->Handle());
    if (fd < 0) return;
    TOwnedHandleStream journal(fd);
    TZAJournalRecord record;
    try {
      outcome = ZACheckJournal(&journal, fLockFile.get(), IdentityOf(archive), record);
    } catch (const Exception&) {
      throw EZAException(70, {fJournalName}, this);
    }
    // A complete journal whose old bytes the archive holds already changes
    // nothing: an update killed before it touched the archive left it, or an
    // open put the archive back but could not remove it. No update is under
    // way while the shared lock is held: it goes where this process may
    // remove it, and stays otherwise; the read goes on.
    if (outcome == jrApplied && fLockHeld >= 1 && ZADeleteOpenFile(fJournalName, journal.Handle()))
      FlushFolderOf(StringToSystemName(fJournalName));
  }
  if (outcome == jrDamaged) throw EZAException(73, {fJournalName}, this);
  if (outcome != jrComplete) return;
  const Int32 held = fLockHeld;
  if (held == 2) {
    RecoverJournal(false);
    return;
  }
  // Another process may have put it back meanwhile: the journal is looked
  // at again under the exclusive lock.
  LockArchive(true);
  auto backToShared = [&]() {
    if (held == 1 && LockFileHandle(fLockFile->Handle(), false, FLockWait)) fLockHeld = 1;
  };
  try {
    RecoverJournal(false);
  } catch (...) {
    backToShared();
    throw;
  }
  backToShared();
}

void TZABaseArchiver::DeleteStaleJournal() {
  if (fLockFile == nullptr) return;
  const std::string path = StringToSystemName(fJournalName);
  struct stat archive {};
  if (::fstat(fLockFile->Handle(), &archive) != 0) return;
  const int fd = OpenJournalCandidate(path, archive, fLockFile->Handle());
  if (fd < 0) return;
  TOwnedHandleStream journal(fd);
  bool ours = false;
  TZAJournalRecord record;
  try {
    const TZAJournalIdentity identity = IdentityOf(archive);
    ours = ZAReadJournalHeader(&journal, record) && record.identity.device == identity.device &&
           record.identity.inode == identity.inode;
  } catch (const Exception&) {
    ours = false;
  }
  // A journal of this file could put old bytes into the new archive: it
  // goes (and its folder entry reaches the disk) before the file is cut, or
  // the file is not cut.
  if (!ours) return;
  if (!ZADeleteOpenFile(fJournalName, journal.Handle())) throw EZAException(80, {fJournalName}, this);
  if (!FlushFolderOf(path)) throw EZAException(46, this);
}

std::unique_ptr<THandleStream> TZABaseArchiver::CreateJournal(Int64 restorePoint, Int64 size) {
  // The journal, with the archive's permissions (it holds its bytes), is
  // written whole beside the archive and only then takes its name, on the
  // disk with its folder entry before the archive is touched: a process
  // killed while writing it leaves nothing at the name that the next open
  // would have to refuse.
  const int handle = static_cast<THandleStream*>(FCompressedStream)->Handle();
  struct stat st {};
  if (::fstat(handle, &st) != 0) throw EZAException(46, this);
  auto journal = std::make_unique<TNewFileStream>(fJournalName);
  if (!journal->Ok()) throw EZAException(19, {fJournalName}, this);
  const int fd = journal->Handle();
  // The archive's owner's where the process may give it (an update by the
  // system's administrator), and the archive's group where the process is
  // one of it. An access list the folder hands its new files goes: the
  // journal may be written by no one who may not write the archive.
  if (st.st_uid != ::geteuid() && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Left to the process: it may write the archive, so the next open trusts it.
  }
  if (::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
    // Not one of the archive's group: the journal's group gets nothing below.
  }
  if (::fremovexattr(fd, "system.posix_acl_access") != 0) {
    // None there, or a file system without access lists.
  }
  struct stat own {};
  if (::fstat(fd, &own) != 0) throw EZAException(19, {fJournalName}, this);
  // The group gets what it has on the archive (an access list there may
  // give it less than the mode's group bits say).
  Cardinal mode = (st.st_mode & 0606) | (ZipGroupPermissions(handle, st) & 0060);
  if (own.st_gid != st.st_gid) mode &= ~Cardinal{0070};
  if (::fchmod(fd, mode) != 0 || ::fstat(fd, &own) != 0) throw EZAException(19, {fJournalName}, this);
  // The journal is of use only when the next open trusts it (it has one
  // name once published): a process that may write the archive, but not as
  // its owner or one of its group, would leave a torn archive no one could
  // put back, so it does not begin.
  own.st_nlink = 1;
  if (!ZipJournalTrusted(own, fd, st, handle)) throw EZAException(75, {FFileName}, this);
  ZAWriteJournal(FCompressedStream, journal.get(), restorePoint, size, IdentityOf(st));
  if (!journal->Publish()) {
    // A journal already at the name is not this process's to replace.
    if (errno == EEXIST) throw EZAException(19, {fJournalName}, this);
    throw EZAException(46, this);
  }
  if (!FlushFolderOf(StringToSystemName(fJournalName))) {
    // Published but not known to last: taken back, the archive untouched.
    if (ZADeleteOpenFile(fJournalName, fd)) FlushFolderOf(StringToSystemName(fJournalName));
    throw EZAException(46, this);
  }
  return journal;
}

bool TZABaseArchiver::RefreshForRead() {
  if (!Journalled() || !DMHandle || GetInUpdate()) return false;
  // An update another process left half-done is put back first; a damaged
  // journal stops the read.
  RecoverJournalForRead();
  if (!DirectoryChanged()) return false;
  ReloadDirectory();
  return true;
}

void TZABaseArchiver::RememberDirectory() {
  fSeenSize = -1;
  fSeen.Forget();
  if (!Journalled() || !DMHandle) return;
  // The directory and the end records behind it, which every commit writes
  // anew, are the bytes checked where the file's status could miss a write.
  const int handle = static_cast<THandleStream*>(FCompressedStream)->Handle();
  if (fSeen.Remember(handle, DMHandle->CentralDirOffset)) fSeenSize = fSeen.Stamp().Size;
}

bool TZABaseArchiver::DirectoryChanged() {
  const Int64 size = FCompressedStream->Size();
  // A new archive that nothing was written into has no directory to read.
  if (size == 0 && DMHandle->CDir->Count() == 0) return false;
  auto* file = dynamic_cast<THandleStream*>(FCompressedStream);
  if (fSeenSize < 0 || file == nullptr) return true;
  // Any change of the file moves its size or change time; the directory is
  // read again then, whatever part of the file changed.
  return fSeen.Changed(file->Handle());
}

void TZABaseArchiver::ReloadDirectory() {
  // Another process changed the archive: its directory is read again, and
  // must be whole (a rebuild from a read that failed half-way would drop
  // entries from the next commit).
  const bool corrupted = FOpenCorruptedArchives;
  FOpenCorruptedArchives = false;
  // The entries a caller tagged are the ones of their names in the new
  // directory (where they still are): their positions may have moved.
  std::vector<String> tagged;
  std::vector<String> names;
  const TZADirArray& dir = *DMHandle->CDir;
  for (Int32 i = 0; i < dir.Count(); ++i) {
    names.push_back(dir.FItems[static_cast<size_t>(i)].Name);
    if (dir.FItems[static_cast<size_t>(i)].Tagged) tagged.push_back(dir.FItems[static_cast<size_t>(i)].Name);
  }
  try {
    DMHandle->LoadDir();
  } catch (...) {
    FOpenCorruptedArchives = corrupted;
    fSeenSize = -1;
    throw;
  }
  FOpenCorruptedArchives = corrupted;
  // An index the caller holds names the same entry as before only where no
  // entry moved (entries added at the end move none).
  const TZADirArray& now = *DMHandle->CDir;
  for (size_t i = 0; i < names.size() && i < static_cast<size_t>(now.Count()) && !fIndexesMoved; ++i)
    fIndexesMoved = names[i] != now.FItems[i].Name;
  for (const String& name : tagged) {
    const Int32 index = ZAFindEntryExact(*DMHandle->CDir, name);
    if (index >= 0) DMHandle->CDir->FItems[static_cast<size_t>(index)].Tagged = true;
  }
  ++fDirectoryReads;
  RememberDirectory();
}

void TZABaseArchiver::RefreshDirectory() {
  if (!Journalled() || !DMHandle) return;
  if (DirectoryChanged()) ReloadDirectory();
}

// ---------------------------------------------------------------------------
// Guards

void TZABaseArchiver::CheckInactive() const {
  if (!FActive) throw EZAException(13, this);
}

void TZABaseArchiver::CheckInUpdate() const {
  if (GetInUpdate()) throw EZAException(26, this);
}

void TZABaseArchiver::CheckModifySpanning() const {
  if (!GetInUpdate() && DMHandle && DMHandle->CDir->Count() > 0 && FSpanningMode != smNone)
    throw EZAException(52, this);
}

// ---------------------------------------------------------------------------
// Opening and closing

void TZABaseArchiver::OpenArchive() {
  if (!FInMemory && ZAExtractFileName(FFileName).empty()) throw EZAException(9, this);
  Word mode = fmCreate;
  // A split set whose last volume a killed process had still to move in is
  // made whole before its name is looked at.
  if (!FInMemory) TZANewFileSet::Recover(FFileName, FLockWait);
  if (!FInMemory && ZAFileExists(FFileName)) {
    try {
      TFileStream probe(FFileName, fmOpenReadWrite | fmShareDenyWrite);
      mode = fmOpenReadWrite | fmShareDenyWrite;
    } catch (const EStreamError&) {
      mode = fmOpenRead | fmShareDenyNone;
    }
  }
  OpenArchive(mode);
}

void TZABaseArchiver::OpenArchive(Word mode) {
  if (!FInMemory && ZAExtractFileName(FFileName).empty()) throw EZAException(10, this);
  if (mode != fmCreate) {
    if (FInMemory) throw EZAException(28, this);
    TZANewFileSet::Recover(FFileName, FLockWait);
    if (!ZAFileExists(FFileName) && FSpanningMode != smSpanning && !IsRemovableDrive(FFileName))
      throw EZAException(12, {FFileName}, this);
  }
  CloseArchive();
  IsCustomStream = false;
  FileOpenMode = mode;
  FUpdated = false;
  InternalOpenArchive();
}

void TZABaseArchiver::OpenArchive(TStream* stream, bool create) {
  if (FSpanningMode != smNone) throw EZAException(51, this);
  CloseArchive();
  IsCustomStream = true;
  FCompressedStream = stream;
  try {
    if (create) {
      stream->SetSize(0);
      stream->Seek(0, soBeginning);
    }
    DMHandle = std::make_unique<TZADirManager>(stream, create, this);
    if (create)
      DMHandle->SaveDir(true);
    else
      DMHandle->LoadDir();
  } catch (...) {
    DMHandle.reset();
    FreeArchiveStream();
    throw;
  }
  FActive = true;
  DoAfterOpen();
}

void TZABaseArchiver::InternalOpenArchive() {
  UnlockArchive();
  fLockFile.reset();
  fSeenSize = -1;
  fIndexesMoved = false;
  ResolveArchivePath();
  // The descriptor that carries the lock, on the archive's file when there
  // is one: the journal is checked against it and rolled back through it.
  // An archive file that cannot be opened for it fails the open.
  auto openLockFile = [this]() {
    if (!FInMemory && ZAFileExists(FFileName)) OpenLockFile();
  };
  try {
    if (FileOpenMode == fmCreate || FInMemory) {
      if (FInMemory) {
        fOwnedStream = std::make_unique<TMemoryStream>();
        FCompressedStream = fOwnedStream.get();
      } else {
        // An archive made anew over an old file: not while another process
        // reads or changes it, and a journal this file's update left goes
        // before the file is cut (it would put old bytes into the new one).
        const bool single = FSpanningMode == smNone;
        if (single) {
          openLockFile();
          LockArchive(true);
          DeleteStaleJournal();
        }
        TZAVolumeNumberInfo first;
        first.SetFirstVolume(true);
        OpenVolume(first);
        if (single && fLockFile == nullptr) {
          ResolveArchivePath();
          openLockFile();
        }
      }
      DMHandle = std::make_unique<TZADirManager>(FCompressedStream, true, this);
    } else {
      // The directory is read under the shared lock, after the archive was
      // put back from a journal an update left behind.
      openLockFile();
      LockArchive(false);
      RecoverJournalForRead();
      // What killed writers of sets left in the archive's folder goes (what
      // the next open of a set needs stays).
      TZANewFileSet::SweepDeadSets(FFileName);
      FSpanningMode = smNone;
      FVolumeNumberInfo.Init();
      const bool found = ZALowerCase(ZAExtractFileExt(FFileName)).find(u".exe") != String::npos ? OpenSFXArchive()
                                                                                                : OpenPlainArchive();
      if (!found && !FOpenCorruptedArchives) throw EZAException(48, this);
      // The archive read is the file the lock is held on.
      if (fLockFile != nullptr && FSpanningMode == smNone) {
        struct stat held {}, opened {};
        auto* handle = dynamic_cast<THandleStream*>(FCompressedStream);
        if (handle != nullptr && ::fstat(fLockFile->Handle(), &held) == 0 && ::fstat(handle->Handle(), &opened) == 0 &&
            (held.st_dev != opened.st_dev || held.st_ino != opened.st_ino))
          throw EZAException(71, {FFileName}, this);
      }
      DMHandle->LoadDir();
    }
    RememberDirectory();
    UnlockArchive();
  } catch (...) {
    UnlockArchive();
    fLockFile.reset();
    DMHandle.reset();
    FreeArchiveStream();
    DiscardNewVolumes();
    throw;
  }
  FActive = true;
  DoAfterOpen();
}

void TZABaseArchiver::CloseArchive() {
  // Pending changes are committed; a commit that fails has put the archive
  // back, and its error is reported once the archive is closed.
  std::exception_ptr failure;
  if (FActive && FUpdateCount > 0) {
    try {
      ForceUpdate();
    } catch (...) {
      failure = std::current_exception();
    }
  }
  FUpdateCount = 0;
  if (FActive) {
    // A new archive that nothing was written into still gets its (empty)
    // directory, so that the file it leaves is an archive.
    if (DMHandle && FCompressedStream != nullptr && FCompressedStream->Size() <= DMHandle->StubSize)
      DMHandle->SaveDir(true);
    FActive = false;
  }
  FreeArchiveStream();
  // New volumes not moved in by now never will be: they go, and so does the
  // lock that keeps other makers of the archive waiting.
  DiscardNewVolumes();
  DMHandle.reset();
  UnlockArchive();
  fLockFile.reset();
  fSeenSize = -1;
  fMemorySeen.Forget();
  fMemoryPath.clear();
  if (failure) std::rethrow_exception(failure);
}

void TZABaseArchiver::FreeArchiveStream() {
  if (!IsCustomStream) fOwnedStream.reset();
  FCompressedStream = nullptr;
  SyncDirManagerStream();
}

void TZABaseArchiver::SyncDirManagerStream() {
  // The directory manager reads and writes the current volume's stream.
  if (DMHandle && !DMHandle->FIsCustomStream) DMHandle->FCompressedStream = FCompressedStream;
}

void TZABaseArchiver::DoAfterOpen() {
  if (AfterOpen) AfterOpen(this);
}

// ---------------------------------------------------------------------------
// Unit

void ZAArchiver_initialization() {
  if (ZAArchiver_counter.Initialization()) gEngineLock = new std::recursive_mutex();
}

void ZAArchiver_Finalization() {
  if (ZAArchiver_counter.Finalization()) {
    delete gEngineLock;
    gEngineLock = nullptr;
  }
}

}  // namespace sk
