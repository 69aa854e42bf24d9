// Volumes of spanned and split archives: their names, opening them for
// reading and writing, writing across them, and recognising a multi-volume
// archive when it is opened.
#include "zip/ZAArchiver_volumes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/OSError.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"
#include "zip/ZAUtils.h"

namespace sk {

namespace {

TZAFreeDriveSpaceHook& FreeSpaceHook() {
  static TZAFreeDriveSpaceHook hook;
  return hook;
}

TZAVolumeLabelHook& LabelHook() {
  static TZAVolumeLabelHook hook;
  return hook;
}

// A record needs no room of its own after the bytes written.
constexpr Int32 kNoReserve = -1;
// The least free space a new volume must offer.
constexpr Int64 kMinVolumeFree = 65536;
constexpr Int64 kCopyPiece = 1000000;
constexpr Int64 kPendingCopyBuffer = 1048576;

// A new volume's file, closed by the destructor.
class TZAVolumeFileStream : public THandleStream {
 public:
  explicit TZAVolumeFileStream(int fd) : THandleStream(fd) {}
  ~TZAVolumeFileStream() override { ::close(fHandle); }
  TZAVolumeFileStream(const TZAVolumeFileStream&) = delete;
  TZAVolumeFileStream& operator=(const TZAVolumeFileStream&) = delete;
};

// Creates a volume, empty. Volume names are predictable in the archive's
// folder, so the name is opened without following a link (a link there is
// refused, its target untouched), and a file already there is emptied only
// when it is a regular file of the process's own user; another user's is
// refused before a byte of it changes. Raises EFCreateError as a file
// stream made with fmCreate does.
std::unique_ptr<TStream> CreateVolumeStream(const String& name) {
  const std::string path = StringToUtf8(name);
  int err = 0;
  int fd = -1;
  if (path.empty()) {
    err = ENOENT;
  } else if (const Int32 fault = FileSeamAsk(fsoCreate, path); fault != 0) {
    err = fault > 0 ? fault : EIO;
  } else {
    do {
      fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) err = errno;
  }
  if (fd >= 0) {
    struct stat st;
    if (::fstat(fd, &st) != 0)
      err = errno;
    else if (!S_ISREG(st.st_mode))
      err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    else if (st.st_uid != ::geteuid())
      err = EPERM;
    else if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
      err = errno;
    if (err != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  if (fd < 0) throw EFCreateError(u"Cannot create file \"" + name + u"\". " + SysErrorMessage(err));
  return std::make_unique<TZAVolumeFileStream>(fd);
}

}  // namespace

TZAFreeDriveSpaceHook SetZAFreeDriveSpaceHook(TZAFreeDriveSpaceHook hook) {
  TZAFreeDriveSpaceHook previous = std::move(FreeSpaceHook());
  FreeSpaceHook() = std::move(hook);
  return previous;
}

TZAVolumeLabelHook SetZAVolumeLabelHook(TZAVolumeLabelHook hook) {
  TZAVolumeLabelHook previous = std::move(LabelHook());
  LabelHook() = std::move(hook);
  return previous;
}

Int64 ZAFreeDriveSpace(const String& path) { return FreeSpaceHook() ? FreeSpaceHook()(path) : DiskFree(path); }

void ZASetVolumeLabel(const String& path, const String& label) {
  if (LabelHook()) LabelHook()(path, label);
}

String ZASpannedVolumeLabel(Int32 volumeNumber) { return Format(u"pkback# %.3d", {volumeNumber + 1}); }

// ---------------------------------------------------------------------------
// Names

bool TZABaseArchiver::IsSFXArchiveName(const String& name) const {
  return (DMHandle && DMHandle->StubSize != 0) || !FSFXStub.empty() ||
         ZALowerCase(ZAExtractFileExt(name)).find(u".exe") != String::npos;
}

String TZABaseArchiver::MakeDefaultVolumeName(const String& archiveName, Int32 volumeNumber, bool preferExisting) {
  String name = archiveName;
  const String folder = ZAExtractFilePath(name);
  const String ext = ZAExtractFileExt(name);
  String base = ZAExtractFileName(name);
  base.resize(base.size() - ext.size());
  const bool sfx = IsSFXArchiveName(name);
  const bool zipForm = FCompressionMethod < 0xFC;
  const bool advanced = FSpanningOptions.FAdvancedNaming;
  const String numbered = Format(u"_%.3u", {static_cast<Cardinal>(volumeNumber + 1)});

  if (FSpanningMode == smSplitting) {
    String suffix;
    if (volumeNumber == -1) {
      if (!sfx) return name;
      suffix = zipForm ? u".ZIP" : u".ZA";
    } else if (volumeNumber == 0 && sfx) {
      suffix = u".exe";
    } else if (!advanced) {
      suffix = String(zipForm ? u".Z" : u".F") + Format(u"%.2d", {volumeNumber + 1});
    } else {
      suffix = numbered + ext;
    }
    name = folder + base + suffix;
    // Sets made by other tools on Linux name their volumes in lower case
    // (arc.z01): when reading, a missing name is tried that way too.
    if (FileOpenMode != fmCreate && !ZAFileExists(name)) {
      const String lower = folder + base + ZALowerCase(suffix);
      if (ZAFileExists(lower)) name = lower;
    }
    return name;
  }
  if (FSpanningMode == smSpanning) {
    if (volumeNumber == -1) return name;
    const String e = sfx ? String(u".exe") : ext;
    const String plain = folder + base + e;
    const String withNumber = folder + base + numbered + e;
    name = advanced ? withNumber : plain;
    if (preferExisting && !ZAFileExists(name)) {
      const String other = advanced ? plain : withNumber;
      if (ZAFileExists(other)) name = other;
    }
  }
  return name;
}

Int64 TZABaseArchiver::GetFreeDriveSpace(const String& path) const { return ZAFreeDriveSpace(path); }

// ---------------------------------------------------------------------------
// Opening volumes

void TZABaseArchiver::ReopenFileStream(const String& fileName) { ReopenFileStream(fileName, FileOpenMode); }

void TZABaseArchiver::ReopenFileStream(const String& fileName, Word mode) {
  FreeArchiveStream();
  IsCustomStream = false;
  // A new volume of a spanned or split archive never follows a link at its name.
  if (mode == fmCreate && FSpanningMode != smNone)
    fOwnedStream = CreateVolumeStream(fileName);
  else
    fOwnedStream = std::make_unique<TFileStream>(fileName, mode);
  FCompressedStream = fOwnedStream.get();
  VolumeFileName = fileName;
  fFreeSpaceVolume = -2;  // a new volume: its drive is asked afresh
  SyncDirManagerStream();
}

void TZABaseArchiver::CloseCompressedStream() { FreeArchiveStream(); }

void TZABaseArchiver::OpenVolume(TZAVolumeNumberInfo& volume) {
  auto record = [this, &volume]() {
    FVolumeNumberInfo.FVolumeNumber = volume.FVolumeNumber;
    FVolumeNumberInfo.FVolumeKind = volume.FVolumeKind;
    if (volume.FLastVolumeNumber != -1) FVolumeNumberInfo.FLastVolumeNumber = volume.FLastVolumeNumber;
  };

  if (FSpanningMode == smNone) {
    if (FCompressedStream == nullptr) ReopenFileStream(FFileName);
    record();
    return;
  }

  if (FileOpenMode == fmCreate) {
    FreeArchiveStream();
    const Int64 required = FSpanningOptions.GetVolumeSize(volume);
    String name;
    for (Int32 ask = 0;; ++ask) {
      if (ask >= ZAMaxVolumeRequests) throw EZAException(45, this);
      name = FFileName;
      bool cancel = false;
      DoOnRequestBlankVolume(volume.FVolumeNumber, name, cancel);
      if (cancel) throw EZAException(45, this);
      const Int64 free = GetFreeDriveSpace(name);
      if (free > kMinVolumeFree && (required < 1 || FSpanningMode != smSpanning || required <= free)) break;
      DoOnDiskFull(volume.FVolumeNumber, name, cancel);
      if (cancel) throw EZAException(45, this);
    }
    ReopenFileStream(name, fmCreate);
    if (FSpanningMode == smSpanning) ZASetVolumeLabel(name, ZASpannedVolumeLabel(std::max(volume.FVolumeNumber, 0)));
    record();
    return;
  }

  if (FCompressedStream != nullptr && volume.IsEqualTo(FVolumeNumberInfo)) return;
  String name;
  for (Int32 ask = 0;; ++ask) {
    if (ask >= ZAMaxVolumeRequests) throw EZAException(45, this);
    name = FFileName;
    bool cancel = true;
    if (volume.GetLastVolume())
      DoOnRequestLastVolume(name, cancel);
    else if (volume.GetFirstVolume())
      DoOnRequestFirstVolume(name, cancel);
    else
      DoOnRequestMiddleVolume(volume.FVolumeNumber, name, cancel);
    if (cancel) throw EZAException(45, this);
    if (ZAFileExists(name)) break;
  }
  ReopenFileStream(name);
  record();
}

// ---------------------------------------------------------------------------
// Writing across volumes

Int64 TZABaseArchiver::WriteToStream(const void* buffer, Int64 count, TStream*& stream, TZAVolumeNumberInfo& volume,
                                     Int32 reserve, TStream* pending) {
  const auto* bytes = static_cast<const Byte*>(buffer);
  if (FSpanningMode == smNone) return count > 0 ? stream->Write(bytes, count) : 0;
  if (count < 0) return 0;

  Int64 written = 0;
  bool freshVolume = false;
  // Nothing to write but room to keep: the next volume is begun when the
  // reserve does not fit on this one.
  bool roomOnly = count == 0 && reserve > 0;
  while (written < count || roomOnly) {
    const Int64 pendingSize = pending != nullptr ? pending->Size() : 0;
    // The drive is asked once per volume; what was written since is taken
    // off its answer.
    if (fFreeSpaceVolume != volume.FVolumeNumber || fFreeSpaceFile != VolumeFileName) {
      fFreeSpaceVolume = volume.FVolumeNumber;
      fFreeSpaceFile = VolumeFileName;
      fFreeSpaceAsked = GetFreeDriveSpace(VolumeFileName);
      fFreeSpaceStreamSize = stream->Size();
    }
    Int64 free = fFreeSpaceAsked - (stream->Size() - fFreeSpaceStreamSize) - pendingSize;
    const Int64 limit = FSpanningOptions.GetVolumeSize(volume);
    if (limit != -1) free = std::min(free, limit - stream->Size() - pendingSize);
    if (free < 0) break;
    const Int64 rest = count - written;
    Int64 wroteNow = 0;
    if (roomOnly) {
      if (reserve <= free || freshVolume) break;
    } else if (reserve == kNoReserve || rest + reserve <= free) {
      const Int64 n = std::min(rest, free);
      if (n > 0) {
        TStream* target = pending != nullptr ? pending : stream;
        wroteNow = target->Write(bytes + written, n);
        written += wroteNow;
        if (wroteNow < n) break;  // the system refused the rest
      }
    }
    if (!roomOnly && written >= count) break;
    // Nothing fits even on a volume just begun: more volumes would not help.
    if (freshVolume && wroteNow == 0) break;
    if (pending != nullptr && pending->Size() > 0) {
      pending->Seek(0, soBeginning);
      stream->Seek(0, soEnd);
      TBytes copy(static_cast<size_t>(std::min<Int64>(kPendingCopyBuffer, pending->Size())));
      for (Int64 left = pending->Size(); left > 0;) {
        const Int64 n = std::min<Int64>(left, static_cast<Int64>(copy.size()));
        pending->ReadBuffer(copy.data(), n);
        stream->WriteBuffer(copy.data(), n);
        left -= n;
      }
      pending->SetSize(0);
    }
    if (FSpanningMode == smSpanning) {
      if (auto* file = dynamic_cast<THandleStream*>(stream)) ::fsync(file->Handle());
    }
    volume.SetVolumeNumber(volume.FVolumeNumber + 1);
    OpenVolume(volume);
    stream = FCompressedStream;
    freshVolume = true;
  }
  return written;
}

void TZABaseArchiver::WriteBufferToStream(const void* buffer, Int64 count, TStream*& stream,
                                          TZAVolumeNumberInfo& volume, Int32 reserve, TStream* pending) {
  if (WriteToStream(buffer, count, stream, volume, reserve, pending) < count) throw EZAException(46, this);
}

Int64 TZABaseArchiver::WriteToStream(TStream* source, TStream*& stream, TZAVolumeNumberInfo& volume, bool& cancel,
                                     Int64 count, Int32 reserve, TStream* pending, bool withProgress) {
  const Int64 total = count == -1 ? std::max<Int64>(source->Size() - source->Position(), 0) : count;
  if (withProgress) {
    DoOnCopyTempFileProgress(0, ppStart, cancel);
    if (cancel) return 0;
  }
  TBytes buffer(static_cast<size_t>(std::clamp<Int64>(total, 1, kCopyPiece)));
  Int64 done = 0;
  while (done < total) {
    const Int64 n = std::min<Int64>(kCopyPiece, total - done);
    source->ReadBuffer(buffer.data(), n);
    WriteBufferToStream(buffer.data(), n, stream, volume, reserve, pending);
    done += n;
    if (withProgress) {
      DoOnCopyTempFileProgress(static_cast<Double>(done) / static_cast<Double>(total) * 100.0, ppProcess, cancel);
      if (cancel) return done;
    }
  }
  if (withProgress) DoOnCopyTempFileProgress(100, ppEnd, cancel);
  return done;
}

bool TZABaseArchiver::WriteToStreamWithOnDiskFull(TStream* stream, const void* buffer, Int64 count) {
  const Int64 at = stream->Position();
  for (Int32 attempt = 0;; ++attempt) {
    errno = 0;
    if (stream->Write(buffer, count) == count) return true;
    // A failure other than a full disk is the system's to report: asking
    // for room would not mend it.
    const Int32 error = errno;
    if (error > 0 && error != ENOSPC && error != EDQUOT)
      throw EZAException(76, {FFileName, SysErrorMessage(error)}, this);
    if (attempt + 1 >= ZAMaxVolumeRequests) return false;
    bool cancel = true;
    DoOnDiskFull(-1, FFileName, cancel);
    if (cancel) {
      FProgressCancel = true;
      return false;
    }
    stream->Seek(at, soBeginning);
  }
}

// ---------------------------------------------------------------------------
// Recognising a multi-volume archive

Int64 TZABaseArchiver::EndRecordDiskNumber() {
  const Word disk = DMHandle->CentralDirEnd.diskNumber;
  if (disk != 0xFFFF) return disk;
  // A zip64 archive may keep the number in its locator, just before the record.
  TZAZipCentralDirEnd rec;
  Int64 at = -1;
  if (!DMHandle->GetCentralDirEnd(rec, at, CentralDirEndSignatureOf(isZIPFormat)) ||
      at < TZAZip64CentralDirEndLocator::Size)
    return disk;
  Byte loc[TZAZip64CentralDirEndLocator::Size];
  TStream* s = DMHandle->FCompressedStream;
  const Int64 saved = s->Position();
  s->Seek(at - TZAZip64CentralDirEndLocator::Size, soBeginning);
  const bool read = s->Read(loc, sizeof loc) == static_cast<Int64>(sizeof loc);
  s->Seek(saved, soBeginning);
  if (!read || GetLE32(loc) != Zip64CentralDirEndLocatorSignature) return disk;
  TZAZip64CentralDirEndLocator locator;
  locator.ReadFrom(loc);
  return locator.totalNumberOfDisks > 0 ? Int64(locator.totalNumberOfDisks) - 1 : 0;
}

void TZABaseArchiver::DetectSpanning(bool endRecordFound) {
  if (!endRecordFound) {
    FSpanningMode = IsRemovableDrive(FFileName) ? smSpanning : smNone;
    return;
  }
  const Int64 disk = EndRecordDiskNumber();
  if (disk == 0) {
    FSpanningMode = smNone;
    return;
  }
  const Int32 previous = static_cast<Int32>(std::min<Int64>(disk - 1, 0x7FFFFFFE));
  FSpanningMode = smSplitting;
  if (ZAFileExists(MakeDefaultVolumeName(FFileName, previous, true))) return;
  FSpanningOptions.FAdvancedNaming = !FSpanningOptions.FAdvancedNaming;
  if (ZAFileExists(MakeDefaultVolumeName(FFileName, previous, true))) return;
  FSpanningOptions.FAdvancedNaming = !FSpanningOptions.FAdvancedNaming;
  if (ZALowerCase(FFileName).find(u".exe") != String::npos)
    FSpanningMode = smNone;
  else
    FSpanningMode = smSpanning;  // the disk number is not 0 here
}

bool TZABaseArchiver::OpenLastVolumeLoop() {
  bool found = false;
  for (Int32 pass = 0; pass < ZAMaxVolumeRequests; ++pass) {
    DMHandle.reset();
    FVolumeNumberInfo.Init();
    if (!ZAFileExists(FFileName) && IsRemovableDrive(FFileName)) FSpanningMode = smSpanning;
    TZAVolumeNumberInfo last;
    last.SetLastVolume(true);
    OpenVolume(last);
    DMHandle = std::make_unique<TZADirManager>(FCompressedStream, false, this);
    found = DMHandle->HasCentralDirEnd();
    DetectSpanning(found);
    if (found || FSpanningMode == smNone) break;
  }
  return found;
}

namespace {

// Holds OpenCorruptedArchives false while the end record is searched for.
class TCorruptedArchivesOff {
 public:
  explicit TCorruptedArchivesOff(bool& flag) : fFlag(flag), fSaved(flag) { flag = false; }
  ~TCorruptedArchivesOff() { fFlag = fSaved; }
  TCorruptedArchivesOff(const TCorruptedArchivesOff&) = delete;
  TCorruptedArchivesOff& operator=(const TCorruptedArchivesOff&) = delete;

 private:
  bool& fFlag;
  bool fSaved;
};

}  // namespace

bool TZABaseArchiver::OpenPlainArchive() {
  TCorruptedArchivesOff off(FOpenCorruptedArchives);
  return OpenLastVolumeLoop();
}

bool TZABaseArchiver::OpenSFXArchive() {
  TCorruptedArchivesOff off(FOpenCorruptedArchives);
  TZAVolumeNumberInfo last;
  last.SetLastVolume(true);
  OpenVolume(last);
  DMHandle = std::make_unique<TZADirManager>(FCompressedStream, false, this);
  if (DMHandle->HasCentralDirEnd()) {
    DetectSpanning(true);
    return true;
  }
  // A split self-extracting archive keeps its directory in the last volume
  // beside the stub program.
  FSpanningMode = smSplitting;
  if (ZAFileExists(MakeDefaultVolumeName(FFileName, -1, false))) {
    FVolumeNumberInfo.Init();
    OpenVolume(last);
  }
  FSpanningMode = smNone;
  return OpenLastVolumeLoop();
}

}  // namespace sk
