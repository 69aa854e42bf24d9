#include "zip/File_chunker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "core/Basic_processes.h"
#include "core/My_filestuffconst.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/Strings.h"
#include "services/File_utils_copying.h"
#include "ui/Qmark_error_dlgs_1.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAUtils_paths.h"
#include "zip/Zip_utils.h"

namespace sk {

namespace {

// Bytes of the first chunk's header besides the name's units.
constexpr Int64 kHeaderFixed = 4 + 1 + 2 + 4 + 4 + 8 + 4;
// Chunk number and checksum.
constexpr Int64 kPerChunk = 8;

template <class T>
void Put(TStream* s, T value) {
  s->WriteBuffer(&value, sizeof value);
}

template <class T>
bool Get(TStream* s, T& value) {
  return s->Read(&value, sizeof value) == static_cast<Int64>(sizeof value);
}

String Msg(const TResStringRec& rec) { return LoadResString(&rec); }

// The drive a prompt names: the mount point of the file system that holds
// the path.
String DriveOf(const String& path) {
  const String mount = MountPointOf(path);
  return mount.empty() ? path : mount;
}

// Whether a stored source name is one this system gave: a full path (which
// begins with "/" here), or a name holding a byte that is not UTF-8 or a
// backslash carried as NameBackslash. Only "/" separates folders in it: a
// backslash is a byte of a name (sets made before kept it as it is).
bool IsSystemName(const String& name) {
  if (!name.empty() && name[0] == u'/') return true;
  for (size_t i = 0; i < name.size(); ++i)
    if (((name[i] >= 0xDC80 && name[i] <= 0xDCFF) || name[i] == NameBackslash) &&
        (i == 0 || name[i - 1] < 0xD800 || name[i - 1] > 0xDBFF))
      return true;
  return false;
}

// The last element of a stored name; empty when it is empty, "." or "..".
// A name from this system is cut at "/" only, and its backslashes become
// NameBackslash, so that the file takes the very bytes of the source's
// name; any other (one from Windows) is cut at either separator.
String SafeLastElement(const String& name) {
  const bool system = IsSystemName(name);
  const size_t p = name.find_last_of(system ? u"/" : u"/\\");
  String last = p == String::npos ? name : name.substr(p + 1);
  if (last == u"." || last == u"..") return String();
  return system ? WithNameBackslashes(std::move(last)) : last;
}

// A folder the host names, from the system: its backslashes are bytes of its
// names (a folder may end in one, as 表 does in Shift-JIS), so only a "/"
// at its end goes.
String SystemFolder(const String& folder) { return ExcludeTrailingPathDelimiter(WithNameBackslashes(folder)); }

}  // namespace

// ---------------------------------------------------------------------------
// Copying with a checksum

Int64 ChecksumCopy(TStream* dest, TStream* source, Int64 count, Int32 bufferSize, Int32& checksum) {
  if (bufferSize < 1) throw ERangeError(u"Buffersize<=0");
  if (count < 1) {
    source->SetPosition(0);
    count = source->Size();
  }
  Cardinal sum = 0;
  if (count > 0) {
    TBytes buffer(static_cast<size_t>(std::min<Int64>(count, bufferSize)));
    Int64 done = 0;
    while (done < count) {
      const Int64 piece = std::min<Int64>(count - done, static_cast<Int64>(buffer.size()));
      source->ReadBuffer(buffer.data(), piece);
      for (Int64 i = 0; i < piece; ++i) sum += buffer[static_cast<size_t>(i)];
      dest->WriteBuffer(buffer.data(), piece);
      done += piece;
    }
  }
  checksum = static_cast<Int32>(sum);
  return count;
}

Int64 TMyFileStream::MyCopyFrom(TStream* source, Int64 count, Int32 bufferSize) {
  return ChecksumCopy(this, source, count, bufferSize, fChecksum);
}

// ---------------------------------------------------------------------------
// The first chunk's header

void WriteChunkSetHeader(TStream* stream, const TChunkSetHeader& h) {
  Put<Int32>(stream, static_cast<Int32>(h.SourceName.size()));
  if (!h.SourceName.empty())
    stream->WriteBuffer(h.SourceName.data(), static_cast<Int64>(h.SourceName.size() * sizeof(Char)));
  Put<Byte>(stream, h.ZipToo ? 1 : 0);
  Put<SmallInt>(stream, h.PackLevel);
  Put<Int32>(stream, h.ChunkSize);
  Put<Int32>(stream, h.Attributes);
  Put<Double>(stream, h.Date);
  Put<Int32>(stream, h.Count);
}

bool ReadChunkSetHeader(TStream* stream, TChunkSetHeader& h) {
  h = TChunkSetHeader();
  Int32 n = 0;
  if (!Get(stream, n) || n < 0) return false;
  const Int64 remaining = stream->Size() - stream->Position();
  if (static_cast<Int64>(n) * 2 > remaining - (kHeaderFixed - 4)) return false;
  h.SourceName.resize(static_cast<size_t>(n));
  if (n > 0) stream->ReadBuffer(h.SourceName.data(), static_cast<Int64>(n) * 2);
  Byte zip = 0;
  if (!Get(stream, zip) || !Get(stream, h.PackLevel) || !Get(stream, h.ChunkSize) || !Get(stream, h.Attributes) ||
      !Get(stream, h.Date) || !Get(stream, h.Count))
    return false;
  h.ZipToo = zip != 0;
  return h.Count >= 1 && h.Count <= TFileChunker::MaxChunks;
}

// ---------------------------------------------------------------------------
// TFileChunker

TFileChunker::TFileChunker(TObject* /*owner*/)
    : fChunks(std::make_unique<TUTF8Stringlist>()),
      fDirCreating(GetCurrentDir()),
      fDirRestoring(GetCurrentDir()),
      fDirWorking(GetCurrentDir()) {}

TFileChunker::~TFileChunker() = default;

Int64 TFileChunker::ChunkOverhead(Int32 index, Int64 nameLength) {
  return kPerChunk + (index == 0 ? kHeaderFixed + 2 * nameLength : 0);
}

Int64 TFileChunker::ChunkCount(Int64 sourceSize, Int32 chunkSize, Int64 nameLength) {
  const Int64 first = chunkSize - ChunkOverhead(0, nameLength);
  const Int64 other = chunkSize - ChunkOverhead(1, nameLength);
  if (first < 1 || other < 1) return 0;
  if (sourceSize <= first) return 1;
  return 1 + (sourceSize - first + other - 1) / other;
}

String TFileChunker::ChunkFileName(const String& folder, Int32 number, Int32 count) {
  return ExcludeTrailingPathDelimiter(folder) + u"/chunk " + IntToStr(number) + u" of " + IntToStr(count) + u".tmp";
}

void TFileChunker::Stop() {
  processing = false;
  MyYieldProcess();
}

bool TFileChunker::fGetNewDisk(Int32 diskNumber, Int64 bytesNeeded, const String& path, bool testRoom) {
  const String drive = DriveOf(path);
  for (;;) {
    if (!FileExists(path) && !DirectoryExists(path)) {
      const Int32 answer = MessageBoxW(nullptr, Msg(_QMInsertDisk) + IntToStr(diskNumber) + Msg(_QMIn) + drive,
                                       Msg(_QMChangeDisk), MB_OKCANCEL | MB_ICONEXCLAMATION);
      if (answer != IDOK) return false;
      continue;
    }
    if (!testRoom) return true;
    const Int64 free = DiskFree(path);
    // A file system that cannot be asked is taken to have room: the write
    // itself then says whether it had.
    if (free < 0 || free >= bytesNeeded) return true;
    // Offering to empty the disk is for a removable disk's top folder only.
    const String folder = ExcludeTrailingPathDelimiter(path);
    const bool removableRoot = GetDriveTypeW(folder) == DRIVE_REMOVABLE &&
                               ExcludeTrailingPathDelimiter(MountPointOf(folder)) == folder;
    if (removableRoot) {
      const Int32 answer =
          MessageBoxW(nullptr, Msg(_QMPressOKToDeleteA) + drive + u"\r" + Msg(_QMOrFormatItYoursel), Msg(_QMNoRoom),
                      MB_OKCANCEL);
      if (answer != IDOK) return false;
      DeleteAllFilesOn(folder, u"*.*", String(), false, false, false);
    } else {
      const Int32 answer = MessageBoxW(nullptr, Msg(_QMNoRoom) + Msg(_QMIn) + drive, Msg(_QMNoRoom), MB_OKCANCEL);
      if (answer != IDOK) return false;
    }
  }
}

std::unique_ptr<TTemporaryFileStream> TFileChunker::ZipSource() {
  // Without a name, nothing another user puts in the folder is written
  // through, and nothing is left behind.
  auto archive = std::make_unique<TTemporaryFileStream>(fDirWorking, u"chunk");
  if (!archive->Ok()) throw Exception(Msg(_QMZipOperationFail) + fDirWorking);
  try {
    fZipper = std::make_unique<TZipArchiver>();
    fZipper->SetZip64Mode(zmAlways);
    fZipper->FOptions.FStorePath = spFullPath;
    fZipper->SetCompressionMode(static_cast<Byte>(std::clamp<SmallInt>(fPackLevel, 0, 9)));
    fZipper->OpenArchive(archive.get(), true);
    fZipper->FileMasks().Clear();
    // The source's name is the system's: a backslash in it is part of it.
    fZipper->FileMasks().Add(WithNameBackslashes(fSourcename));
    fZipper->AddFiles();
    const Int32 stored = fZipper->DMHandle->CDir->Count();
    fZipper->CloseArchive();
    fZipper.reset();
    if (stored < 1) return nullptr;
  } catch (const Exception& e) {
    fZipper.reset();
    throw Exception(Msg(_QMZipOperationFail) + e.Message());
  }
  archive->SetPosition(0);
  return archive;
}

Int32 TFileChunker::MakeChunkFiles() {
  processing = true;
  fDirCreating = SystemFolder(fDirCreating);
  fDirRestoring = SystemFolder(fDirRestoring);
  fDirWorking = SystemFolder(fDirWorking);
  fChunks->Clear();
  if (FileExists(fSourcename)) {
    fAttributos = ZAFileGetAttr(fSourcename);
    if (!FileAge(fSourcename, fDataArquivo)) fDataArquivo = 0;
  }
  // The set is cut from the source itself, or from its archive.
  std::unique_ptr<TTemporaryFileStream> zipped;
  std::unique_ptr<TFileStream> file;
  if (fZiptoo) {
    zipped = ZipSource();
    if (zipped == nullptr) return 0;
  } else {
    file = std::make_unique<TFileStream>(fSourcename, fmOpenRead | fmShareDenyNone);
  }
  TStream& source = zipped != nullptr ? static_cast<TStream&>(*zipped) : *file;

  const Int64 nameLength = static_cast<Int64>(fSourcename.size());
  const Int64 count = ChunkCount(source.Size(), fChunksize, nameLength);
  if (count < 1 || count > MaxChunks) return 0;
  fOut_of = static_cast<Int32>(count);

  // The chunks are written aside and take their names together once the set
  // is whole, so that an old set under the same names stays as it was when
  // this one fails or stops. Those on a disk that is about to be changed take
  // theirs before it goes.
  // One process at a time makes a set of these names: another maker's set
  // is waited for, then refused.
  const String firstName = ChunkFileName(fDirCreating, 1, fOut_of);
  TZANewFileSet made;
  if (!made.Start(firstName, true))
    throw EFCreateError(u"Cannot create file \"" + firstName +
                        u"\". Another process is making files of the same names");
  // Readers of the set at the names are waited for at each move-in, then
  // the make is refused. Between the move-ins of a set that goes in part by
  // part, its first chunk stays locked, so that no reader takes the part
  // moved in for a whole set; but where the disk may be changed, nothing of
  // it stays open.
  const bool disksChange = IsRemovableDrive(fDirCreating);
  auto moveIn = [&](bool whole) {
    if (!made.MoveIn(!whole && !disksChange))
      throw EFCreateError(u"Cannot create file \"" + firstName +
                          u"\". Another process is reading files of the same names");
  };
  Int32 written = 0;
  for (Int32 i = 0; processing && i < fOut_of; ++i) {
    fthis_filenum = i;
    if (!OnNewDiskNeeded || !fWaitForNewDisk) {
      const Int64 free = DiskFree(fDirCreating);
      if (free >= 0 && free < fChunksize) {
        moveIn(false);
        processing = fGetNewDisk(i + 1, fChunksize, fDirCreating, true);
      }
    } else {
      moveIn(false);
      OnNewDiskNeeded(i + 1);
    }
    const String name = ChunkFileName(fDirCreating, i + 1, fOut_of);
    fChunks->Add(name);
    if (i == 0) fFirstFileInSet = name;
    if (!processing) break;

    const Int64 capacity = fChunksize - ChunkOverhead(i, nameLength);
    const Int64 rest = source.Size() - source.Position();
    const Int64 data = std::min(rest, capacity);
    {
      // Never opened through a link or in another user's file put at the
      // name (which would receive the content): anything but an old file of
      // the process's own there makes the creation fail.
      const std::unique_ptr<THandleStream> chunk = made.Add(name);
      if (i == 0) {
        TChunkSetHeader h;
        // A backslash in the name is stored as NameBackslash, the form of a
        // byte of a system name, so that a restore never takes it for a
        // separator.
        h.SourceName = WithNameBackslashes(fSourcename);
        h.ZipToo = fZiptoo;
        h.PackLevel = fPackLevel;
        h.ChunkSize = fChunksize;
        h.Attributes = fAttributos;
        h.Date = fDataArquivo;
        h.Count = fOut_of;
        WriteChunkSetHeader(chunk.get(), h);
      }
      Put<Int32>(chunk.get(), i);
      Int32 checksum = 0;
      if (data > 0) ChecksumCopy(chunk.get(), &source, data, fChunksize, checksum);
      Put<Int32>(chunk.get(), checksum);
    }
    ++written;
    if (OnChunkMade) OnChunkMade(name, i + 1, fOut_of);
    MyYieldProcess();
  }
  if (written == fOut_of) moveIn(true);
  fChunks->Clear();
  if (written != fOut_of) throw Exception(Msg(_QMCopyFailure));
  return written;
}

bool TFileChunker::RestoreInto(TStream* out, std::vector<TChunkRead>& read) {
  read.clear();
  for (Int32 i = 0; i < fOut_of; ++i) {
    if (!processing) return false;
    fthis_filenum = i;
    const String name = fChunks->Get(i);
    if (fWaitForNewDisk && OnNewDiskNeeded)
      OnNewDiskNeeded(i + 1);
    else if (!fGetNewDisk(i + 1, 0, name, false)) {
      processing = false;
      return false;
    }
    MyYieldProcess();
    TFileStream chunk(name, fmOpenRead | fmShareDenyNone);
    // The chunk as it stands before its first byte is read: one written to
    // after this is not what the restored file holds, and is not deleted.
    struct stat st {};
    if (::fstat(chunk.Handle(), &st) != 0) return false;
    Int64 overhead = ChunkOverhead(1, 0);
    if (i == 0) {
      TChunkSetHeader h;
      if (!ReadChunkSetHeader(&chunk, h) || h.Count != fOut_of) return false;
      fSourcename = h.SourceName;
      if (SafeLastElement(h.SourceName) != ExtractFileName(fRestoredName) && !fZiptoo) return false;
      overhead = ChunkOverhead(0, static_cast<Int64>(h.SourceName.size()));
    }
    Int32 number = -1;
    if (!Get(&chunk, number)) return false;
    const Int64 data = chunk.Size() - overhead;
    if (data < 0) return false;
    if (number != i) return false;
    // The chunk is checked whole before any of its bytes reach the output, so
    // that a damaged chunk adds nothing to it.
    const Int32 buffer = static_cast<Int32>(std::clamp<Int64>(data, 1, 1 << 20));
    const Int64 dataStart = chunk.Position();
    Int32 sum = 0;
    TNullStream sink;
    if (data > 0) ChecksumCopy(&sink, &chunk, data, buffer, sum);
    if (!Get(&chunk, ftest_CheckSum) || ftest_CheckSum != sum) return false;
    if (data > 0) {
      chunk.SetPosition(dataStart);
      Int32 again = 0;
      ChecksumCopy(out, &chunk, data, buffer, again);
      if (again != sum) return false;
    }
    if (OnRestoreOne) OnRestoreOne(name, i + 1, fOut_of);
    read.push_back({name, FileStampOf(st)});
  }
  return true;
}

void TFileChunker::DeleteChunks(const std::vector<TChunkRead>& read) {
  if (fDeleteChunksAfterwards)
    for (const TChunkRead& chunk : read) ZADeleteFileAs(chunk.Name, chunk.Stamp);
}

bool TFileChunker::RestoreAllChunks() {
  processing = true;
  fChunks->Clear();
  fDirCreating = SystemFolder(fDirCreating);
  fDirRestoring = SystemFolder(fDirRestoring);
  fDirWorking = SystemFolder(fDirWorking);
  TZANewFileSet::SweepDeadSets(fSourcename);
  if (!FileExists(fSourcename)) return false;
  // The set is read under a hold on its first chunk, so that no other
  // process moves a set in under its names meanwhile; one caught in a
  // move-in past the wait, or torn by a killed maker and not made whole,
  // is not restored (and nothing is written). A first chunk that cannot be
  // opened raises the platform's error below, as a chunk file does.
  TZASetReadHold hold;
  if (!hold.Take(fSourcename, ZANewFileSetWait) && (errno == EWOULDBLOCK || errno == EINVAL)) return false;

  TChunkSetHeader h;
  // The first chunk stays open: the restored file is a copy of the set's
  // content, and takes its permissions from the file that held it.
  TFileStream first(fSourcename, fmOpenRead | fmShareDenyNone);
  if (!hold.Holds(first.Handle()) || !ReadChunkSetHeader(&first, h)) return false;
  const String restoredFile = SafeLastElement(h.SourceName);
  if (restoredFile.empty()) return false;
  fZiptoo = h.ZipToo;
  fPackLevel = h.PackLevel;
  fChunksize = h.ChunkSize;
  fAttributos = h.Attributes;
  fDataArquivo = h.Date;
  fOut_of = h.Count;
  fRestoredName = fDirRestoring + u"/" + restoredFile;
  const String setFolder = ExtractFileDir(fSourcename);
  for (Int32 i = 1; i <= fOut_of; ++i) fChunks->Add(ChunkFileName(setFolder, i, fOut_of));

  // A link at the name that neither the process's user nor the folder's
  // owner made (one put in a shared folder) is never followed, as the system
  // refuses to follow one there.
  auto foreignLink = [this] {
    struct stat link {}, folder {};
    return ::lstat(StringToSystemName(fRestoredName).c_str(), &link) == 0 && S_ISLNK(link.st_mode) &&
           link.st_uid != ::geteuid() &&
           (::stat(StringToSystemName(fDirRestoring).c_str(), &folder) != 0 || link.st_uid != folder.st_uid);
  };
  const bool existed = FileExists(fRestoredName);
  if (existed && (foreignLink() || !CheckedForOverWrite(fRestoredName))) return false;

  // The restored file is a copy of the set's content and takes the first
  // chunk's permissions, with read-only as the set says, and (through its
  // descriptor) the set's date. A file at the name is replaced by one of the
  // process's own (its owner keeps it only when that owner owns the set
  // too), so that a file another user put there never receives the content.
  // A new file is made beside its name and named only when complete, never
  // through a link someone put at the name meanwhile.
  struct stat source {};
  if (::fstat(first.Handle(), &source) != 0) return false;
  const Cardinal mode = ZAModeWithAttr(source.st_mode & 0777, fAttributos);
  std::unique_ptr<TFileReplaceStream> replaced;
  std::unique_ptr<TNewFileStream> made;
  THandleStream* out = nullptr;
  if (existed) {
    replaced = std::make_unique<TFileReplaceStream>(fRestoredName);
    replaced->GivePermissions(mode, source.st_gid, first.Handle());
    if (!replaced->Ok() || foreignLink()) return false;
    out = replaced.get();
  } else {
    made = std::make_unique<TNewFileStream>(fRestoredName);
    struct stat own {};
    // Group rights go only to the chunk's own group.
    if (!made->Ok() || ::fstat(made->Handle(), &own) != 0 ||
        ::fchmod(made->Handle(), own.st_gid == source.st_gid ? mode : mode & ~070u) != 0)
      return false;
    out = made.get();
  }

  // Chunks are deleted only once the whole set came back and the restored
  // file is in place.
  std::vector<TChunkRead> read;
  if (fZiptoo) {
    // The set holds an archive of one entry: it is gathered in a scratch
    // file and its entry becomes the restored file.
    TTemporaryFileStream archive(fDirWorking, u"chunk");
    if (!archive.Ok() || !RestoreInto(&archive, read)) return false;
    TZipArchiver zip;
    zip.OpenArchive(&archive, false);
    if (zip.DMHandle->CDir->Count() != 1) {
      zip.CloseArchive();
      return false;
    }
    const String entry = zip.DMHandle->CDir->GetItem(0).Name;
    // An entry that would inflate out of proportion to the set is refused
    // before anything of it is written.
    CheckEntryWithinInflateBounds(zip, entry);
    zip.ExtractToStream(entry, out);
    zip.CloseArchive();
  } else if (!RestoreInto(out, read)) {
    // The old file stays until every chunk passed; a new one keeps what
    // came before the fault.
    if (made != nullptr) made->Publish();
    return false;
  }
  if (fDataArquivo != 0) FileSetDate(Utf8ToString("/proc/self/fd/" + std::to_string(out->Handle())), fDataArquivo);
  if (!(replaced != nullptr ? replaced->Commit() : made->Publish())) return false;
  DeleteChunks(read);
  return true;
}

SK_COUNTER_ONLY_UNIT(File_chunker)

}  // namespace sk
