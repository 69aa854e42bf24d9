// The archiver component: the state it holds (settings, masks, progress, the
// open archive's stream and directory), its property rules and guards, the
// engine's one lock, the events with their default prompts, the volumes of
// spanned and split archives, and the entry codec that turns a source stream
// into an entry's stored data and back.
//
// Theme files: ZAArchiver.cpp (properties, guards, lock, opening and
// closing), ZAArchiver_events.cpp (the event dispatchers),
// ZAArchiver_volumes.cpp (volumes), ZAArchiver_codec.cpp (the entry codec),
// ZAArchiver_commit.cpp (update brackets and the commit),
// ZAArchiver_entries.cpp (entry operations, search, masks, tagged entries),
// ZAArchiver_public.cpp (adding, extracting, renaming and the like, and the
// auxiliary streams), ZAArchiver_whole.cpp (stubs, validity, merging and the
// listing helpers);
// ZAArchiver_prompts.h and ZAArchiver_volumes.h hold the hooks of the
// dialogs and of the disks.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/Streams.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/ZipReader_changes.h"
#include "platform/runtime/ZipReader.h"
#include "zip/ZAArchiver_prompts.h"
#include "zip/ZAArchiver_volumes.h"
#include "zip/ZACryptoTransform.h"
#include "zip/ZADirManager.h"
#include "zip/ZAExcept.h"
#include "zip/ZATypes.h"

namespace sk {

class TZAFileBatch;
class TTimedYield;

// An engine error that ends the whole operation, not only the entry it came
// up at: after a question to a person the archive's lock could not be taken
// again, or an update's archive was changed by another process while the
// question was open. The loops that pass an entry's error to the failure
// event let this one through.
class EZAOperationEnded : public EZAException {
 public:
  explicit EZAOperationEnded(const EZAException& e) : EZAException(e) {}
};

// The version of the engine, as CurrentVersion shows it.
inline constexpr Double ZAEngineVersion = 6.94;

class TZABaseArchiver : public TZAArchiverLink {
 public:
  explicit TZABaseArchiver(TObject* owner = nullptr);
  // Closes the archive.
  ~TZABaseArchiver() override;
  TZABaseArchiver(const TZABaseArchiver&) = delete;
  TZABaseArchiver& operator=(const TZABaseArchiver&) = delete;

  // ---- properties -----------------------------------------------------------
  bool GetInUpdate() const { return FUpdateCount > 0; }
  bool GetActive() const { return FActive; }
  // true opens the archive, false closes it (nothing when unchanged).
  void SetActive(bool value);
  // The archive comment when open, else empty.
  AnsiString GetFileComment() const;
  // Engine errors 13 (closed) and 52 (a spanned archive outside an update);
  // outside an update on a single-volume archive the directory is written at
  // once.
  void SetFileComment(const AnsiString& comment);
  void SetFileMasks(const TStrings& masks);
  void SetExclusionMasks(const TStrings& masks);
  void SetNoCompressionMasks(const TStrings& masks);
  TStrings& FileMasks() { return *FFileMasks; }
  TStrings& ExclusionMasks() { return *FExclusionMasks; }
  TStrings& NoCompressionMasks() { return *FNoCompressionMasks; }
  bool GetEncrypted() const;
  bool GetExists() const;
  // Engine error 13 when closed.
  Int64 GetArchiveSize() const;
  // The entries that are not folders; engine error 13 when closed.
  Int32 GetFileCount() const;
  void SetCompressionLevel(TZACompressionLevel level);
  // Engine error 5 for a mode above 9 (nothing changes).
  void SetCompressionMode(Byte mode);
  TZACompressionLevel CompressionLevel() const { return FCompressionLevel; }
  Byte CompressionMode() const { return FCompressionMode; }
  Word CompressionMethod() const { return FCompressionMethod; }
  virtual void SetPassword(const AnsiString& password);
  const AnsiString& Password() const { return FPassword; }
  virtual void SetCompMethod();
  // "6.94", a blank and internalCurrentVersionText, with "." whatever the locale.
  String GetCurrentVersionText() const;
  void SetCurrentVersionText(const String&) {}
  // Raises Exception "Cannot set spanning mode on open archive" when open.
  void SetSpanningMode(TZASpanningMode mode);
  TZASpanningMode SpanningMode() const { return FSpanningMode; }
  bool InMemory() const { return FInMemory; }
  // Switches an open archive between its file and memory (see the .cpp).
  void SetInMemory(bool value);
  static Int32 ShareModeToInt(TZAFileShareMode mode);
  // The engine's process-wide lock (recursive), made when the unit starts.
  void Lock();
  void Unlock();
  // Runs ask, a question to a person (a dialog, or a handler that may show
  // one), with no lock held: the engine's lock, at every level this thread
  // holds it, and the archive's lock between processes, unless the archive
  // is half-written without it (a commit or a merge under way), are let go
  // and taken again afterwards at the same levels. Meanwhile another process
  // may have changed the archive: a read goes on in the directory read
  // again (see ReloadDirectory), an update fails with engine error 71 and
  // its batch is dropped by the caller. Those failures, and a lock that
  // cannot be taken again (71, 81), come as EZAOperationEnded.
  void AskUnlocked(const std::function<void()>& ask);
  // Whether the update bracket holds changes not yet committed.
  bool PendingChanges() const;

  // ---- the archive file's lock between processes ----------------------------
  // An archive opened from a file (one volume, not in memory) is locked
  // against other processes: shared while it is opened or read, exclusive
  // from the start of an update until its journal is gone. A lock held by
  // another process is waited for up to FLockWait milliseconds; then the
  // operation fails with engine error 71. Nothing happens for other archives.
  void LockArchive(bool exclusive);
  void UnlockArchive();
  // Whether this archiver holds the lock (and how).
  bool ArchiveLocked() const { return fLockHeld != 0; }
  bool ArchiveLockedExclusive() const { return fLockHeld == 2; }
  // Under the shared lock, before a read outside an update: puts back an
  // update another process left half-done, and reads the directory again
  // when another process changed the archive. True when it was read again.
  bool RefreshForRead();
  Int32 FLockWait = 5000;

  // ---- guards ---------------------------------------------------------------
  void CheckInactive() const;        // 13 when closed
  void CheckInUpdate() const;        // 26 inside an update
  void CheckModifySpanning() const;  // 52 on a spanned archive outside an update

  // ---- opening and closing --------------------------------------------------
  // By FileName: created when missing or in memory, else opened for writing
  // when the file allows it, read-only otherwise. Engine error 9 without a name.
  void OpenArchive();
  // With a file mode (fmCreate creates). Engine errors 10 (no name), 12 (a
  // missing file), 28 (an in-memory archive opened with another mode), 48 (no
  // end record when corrupted archives are refused).
  void OpenArchive(Word mode);
  // On the caller's stream, which stays the caller's; create empties it and
  // writes an empty directory. Engine error 51 when spanning is set.
  void OpenArchive(TStream* stream, bool create);
  // Closes the archive; a new archive that holds nothing gets its empty
  // directory written.
  void CloseArchive();

  // ---- update brackets and the commit ---------------------------------------
  // Opens a bracket; the outermost takes a snapshot of the entry table.
  // Engine errors 62 (a multi-volume archive already committed), 32 (an
  // archive opened read-only).
  void BeginUpdate();
  // Closes a bracket; the outermost commits.
  void EndUpdate();
  // Drops every bracket without committing; the entry table and the archive
  // comment go back to the snapshot.
  void CancelUpdate();
  // Writes the pending changes into the archive. A failure, a cancel or an
  // abort leaves the archive byte for byte as it was and the entry table
  // equal to the snapshot; failures are raised again after that.
  void ForceUpdate();

  // ---- entry operations -----------------------------------------------------
  // Fills live entry index for a new or updated entry, from a file on disk
  // (isFile) or from a name with the given attributes and date.
  void FillDirItem(Int32 index, const String& fileName, bool isFile, Int32 attributes, TDateTime date);
  // Engine errors 24 (index), 25 (no update bracket), 71 (another process
  // moved the entries since the caller last looked one up).
  void UpdateItem(Int32 index, const String& fileName);
  // Engine errors 21 (index), 22 (no update bracket), 71 (as UpdateItem).
  void DeleteItem(Int32 index);
  // Engine errors 16 (index), 8 (the entry does not extract and check).
  void ExtractItem(Int32 index, TStream* dest, Int32 count, Int64 offset);
  static bool CheckAttributesMatch(Int32 entryAttr, Int32 searchAttr);
  bool IsItemMatches(Int32 index, const TZAArchiveItem& f) const;
  bool InternalFind(TZAArchiveItem& f);
  bool IsInternalFileMatchMask(const String& name, const String& mask) const;
  bool IsExternalFileMatchMask(const String& fileName, const String& mask, bool isFolder);
  String GetFullMask(const String& mask, const String& baseDir, bool& bareName) const;
  void TagFiles();
  void TagFiles(const String& mask, Int32 attributes, const String& exclusionMask);
  void ProcessTaggedFiles(TZAProcessOperation operation, Int32 index = -1);
  void DeleteTaggedFile(Int32 index);
  void UpdateTaggedFile(Int32 index, const String& name, const String& baseDir);
  void ExtractTaggedFile(Int32 index, const String& name, const String& folder);
  void TestTaggedFile(Int32 index, const String& name);

  // ---- public operations ----------------------------------------------------
  void AddFiles();
  void AddFiles(const String& mask, Int32 searchAttr, const String& exclusionMask);
  void MoveFiles();
  void MoveFiles(const String& mask, Int32 searchAttr, const String& exclusionMask);
  void AddFromStream(const String& name, TStream* stream, bool copyToBuffer, Int64 position, Int64 count,
                     Cardinal attributes, TDateTime date);
  void AddFromBuffer(const String& name, const void* buffer, Int64 count, Cardinal attributes, TDateTime date);
  // The text goes in as UTF-8 without a byte-order mark.
  void AddFromString(const String& name, const String& text, Cardinal attributes, TDateTime date);
  void ExtractFiles();
  void ExtractFiles(const String& mask, Int32 searchAttr, const String& exclusionMask);
  void TestFiles();
  void TestFiles(const String& mask, Int32 searchAttr, const String& exclusionMask);
  void DeleteFiles();
  void DeleteFiles(const String& mask, Int32 searchAttr, const String& exclusionMask);
  void UpdateFiles();
  void UpdateFiles(const String& mask, Int32 searchAttr, const String& exclusionMask);
  void ExtractToStream(const String& name, TStream* stream);
  // count bytes from offset into buffer. Engine error 15 for an unknown name,
  // 8 when the entry does not extract.
  void ExtractToBuffer(const String& name, void* buffer, Int64 count, Int64 offset);
  // The entry read as UTF-8.
  void ExtractToString(const String& name, String& text);
  bool FindFirst(TZAArchiveItem& item);
  bool FindFirst(const String& mask, TZAArchiveItem& item, Int32 searchAttr, const String& exclusionMask);
  bool FindNext(TZAArchiveItem& item);
  bool GetFileCendralDirItemNo(const String& name, Int32& index);
  // Engine errors 30 (not found), 69 (the new name is another entry's).
  void RenameFile(const String& oldName, const String& newName);
  void ChangeFilesAttr(const String& mask, Int32 attributes);
  void ChangeFilesIntAttr(const String& mask, Int32 attributes);
  void ChangeFilesComment(const String& mask, const AnsiString& comment);
  bool IsFilePasswordValid(const String& name, const AnsiString& password);

  // ---- whole-archive operations ---------------------------------------------
  // Writes the stub file (FSFXStub) followed by the archive to newName, with
  // the directory's offsets counted from the new file's start. Engine errors
  // 17 (no stub named), 18 (the stub is missing), 49 (a spanned or split
  // archive), 50 (the archive already has a stub), 56 (the copy failed).
  void MakeSFX(const String& newName);
  // Appends the whole source to the end of dest in pieces of 1 MiB, with
  // file and overall progress of poMakeSFX when progress is on; false when a
  // read or a write came up short (a cancel ends the copy with true).
  bool FastFileAppend(TStream* dest, TStream* source, const String& name);
  // Rebuilds the closed archive entry by entry into newName (empty: in place)
  // from what can be read of it, in one update: each entry that extracts is
  // stored anew (stamped with the time of the repair, its attributes and
  // comment kept), folders are kept, an encrypted entry or one of a method
  // the codec does not read is carried over as stored (its password still
  // reads it), damaged entries are left out; the archive comment stays. In
  // place, the archive is read under its shared lock and replaced, under the
  // exclusive one, only by a complete repaired archive and only while it is
  // still what was read. Engine errors 37 (the archive is open), 36 (the
  // target cannot be created), 71 (another process changed the archive
  // meanwhile: it stays as that process left it), 46 (a write failed).
  void RepairArchive(const String& newName);
  // Whether the archive is one: an open archive is; a closed one when its
  // file has an end record, or else when it holds entries that all extract
  // and check. A missing file is not.
  bool IsValidArchiveFile();

  // ---- events ---------------------------------------------------------------
  // The dispatchers: each calls the event's handler, or applies the default
  // (for questions, a dialog through the hooks of ZAArchiver_prompts.h).
  // Volume numbers are counted from 0 here and from 1 by handlers and dialogs.
  virtual void DoOnOverallProgress(Double Progress, TZAProcessOperation Operation, TZAProgressPhase ProgressPhase,
                                   bool& Cancel);
  virtual void DoOnFileProgress(const String& FileName, Double Progress, TZAProcessOperation Operation,
                                TZAProgressPhase ProgressPhase, bool& Cancel);
  virtual void DoOnCopyTempFileProgress(Double Progress, TZAProgressPhase ProgressPhase, bool& Cancel);
  virtual void DoOnConfirmOverwrite(const String& SourceFileName, String& DestFileName, bool& Confirm);
  virtual void DoOnConfirmProcessFile(const String& FileName, TZAProcessOperation Operation, bool& Confirm);
  virtual void DoOnPassword(const String& FileName, AnsiString& NewPassword, bool& SkipFile);
  virtual void DoOnProcessFileFailure(const String& FileName, TZAProcessOperation Operation, Int32 NativeError,
                                      Int32 ErrorCode, const String& ErrorMessage, TZAAction& Action);
  virtual void DoOnRequestBlankVolume(Int32 VolumeNumber, String& VolumeFileName, bool& Cancel);
  virtual void DoOnRequestFirstVolume(String& VolumeFileName, bool& Cancel);
  virtual void DoOnRequestLastVolume(String& VolumeFileName, bool& Cancel);
  virtual void DoOnRequestMiddleVolume(Int32 VolumeNumber, String& VolumeFileName, bool& Cancel);
  virtual void DoOnDiskFull(Int32 VolumeNumber, const String& VolumeFileName, bool& Cancel);
  virtual void DoOnProcessVolumeFailure(TZAProcessOperation Operation, Int32 VolumeNumber, const String& VolumeFileName,
                                        bool& Cancel);
  virtual void DoOnStoreFile(String& FileName, Int32& FileAttr, AnsiString& Comment, const String& OriginalFileName);
  virtual void DoOnExtractFile(String& FileName, Cardinal& FileAttr, const AnsiString& Comment);
  void DoAfterOpen();

  // ---- volumes --------------------------------------------------------------
  // The name of volume volumeNumber (-1: the last) of the archive named
  // archiveName; preferExisting takes the other naming of a spanned volume
  // when only that file exists.
  String MakeDefaultVolumeName(const String& archiveName, Int32 volumeNumber, bool preferExisting) override;
  // The free space of the drive that holds the path (ZAFreeDriveSpace).
  Int64 GetFreeDriveSpace(const String& path) const;
  // Frees the archive stream and opens the named file with the remembered
  // file mode as the new one.
  void ReopenFileStream(const String& fileName);
  void ReopenFileStream(const String& fileName, Word mode) override;
  void CloseCompressedStream() override;
  // Once the directory is written: the new volumes of a split archive take
  // their names (the last the archive's), or the last spanned volume the
  // archive's; the last volume is then the open stream.
  void PlaceLastVolume() override;
  // The new volumes of a split archive that were not moved in go (the stream
  // with them).
  void DiscardNewVolumes();
  // Makes the volume the open one. Engine error 45 when a request is
  // cancelled or keeps naming no usable file.
  void OpenVolume(TZAVolumeNumberInfo& volume) override;
  // Writes count bytes, to pending when given, else to the stream, opening the
  // next volume when the current one is full; reserve more bytes must fit
  // after them on the same volume (-1: no such need). Answers the bytes written.
  Int64 WriteToStream(const void* buffer, Int64 count, TStream*& stream, TZAVolumeNumberInfo& volume, Int32 reserve,
                      TStream* pending);
  // As WriteToStream; engine error 46 when fewer than count bytes were written.
  void WriteBufferToStream(const void* buffer, Int64 count, TStream*& stream, TZAVolumeNumberInfo& volume,
                           Int32 reserve, TStream* pending) override;
  // Copies count bytes of source (-1: the rest of it) across volumes in pieces
  // of up to 1,000,000 bytes, with copy progress when asked; a handler's
  // cancel stops it. Answers the bytes copied.
  Int64 WriteToStream(TStream* source, TStream*& stream, TZAVolumeNumberInfo& volume, bool& cancel, Int64 count,
                      Int32 reserve, TStream* pending, bool withProgress);
  // One write with the disk-full prompt: the handler's retry writes again
  // from the same place; a cancel sets FProgressCancel. False when not written.
  bool WriteToStreamWithOnDiskFull(TStream* stream, const void* buffer, Int64 count);
  // Decides the spanning mode of the archive being opened from its end
  // record (found or not) and the volume files present.
  void DetectSpanning(bool endRecordFound);
  // The two roads of opening an existing archive: a plain one and a
  // self-extracting one (a stub program in front). Each leaves the directory
  // manager over the last volume; true when an end record was found.
  bool OpenPlainArchive();
  bool OpenSFXArchive();

  // ---- entry codec ----------------------------------------------------------
  // Compresses size bytes of source (from position 0) into dest at its
  // position: encryption header, data, authentication code. Fills the entry's
  // method, CRC and sizes. False when cancelled (also by a Stop from the
  // host, which the codec yields to by time). Engine errors 34 (fewer bytes
  // than size) and 41 (a zip64 entry with zip64 disabled); zlib's errors as
  // ECompressionError.
  bool InternalCompressFile(TStream* source, TStream* dest, TDirItem& item, Int64 size);
  // Extracts the entry whose local header is at the source's position into
  // dest. count 0 and offset 0: the whole entry, with its size and checksum
  // checked; otherwise count bytes (0: the rest) from offset, dest left at the
  // first of them. False on a wrong or skipped password, damaged data, a
  // cancel (also a Stop from the host, which the codec yields to by time) or
  // an unknown method; engine error 55 for Deflate64.
  bool InternalDecompressFile(TStream* source, TStream* dest, TDirItem& item, Int32 count, Int64 offset);
  // A block of bytes of an entry's data done: yields by time; true (with
  // the entry cancelled) when the host asked for a Stop.
  bool CodecStopped(TTimedYield& yield, Int64 bytes);
  // Reads the 12-byte traditional encryption header, sets the keys from the
  // password and answers whether its check byte fits (the time's high byte
  // when flags bit 3 is set, else the CRC's).
  static bool ZipInitPassword(TStream* stream, const AnsiString& password, Word flags, Word lastModTime, Cardinal crc,
                              TZipKey& keys);

  // ---- state ----------------------------------------------------------------
  String FCurrentDir;
  Int32 FUpdateCount = 0;
  bool FActive = false;
  bool IsCustomStream = false;
  Word FileOpenMode = fmOpenRead;
  String FTempDir;
  String FBaseDir;
  std::unique_ptr<TStringList> FFileMasks;
  std::unique_ptr<TStringList> FExclusionMasks;
  std::unique_ptr<TStringList> FNoCompressionMasks;
  bool FInMemory = false;
  Int32 FProcessedFileNo = 0;
  Int32 FProcessedFileCount = 0;
  Int64 FProcessedFilesTotalSize = 0;
  Int64 FProcessedFilesSize = 0;
  bool FProgressCancel = false;
  bool FProgressEnabled = false;
  bool FSkipFile = false;
  bool FExtractCorruptedFiles = false;
  bool FUnicodeFilenames = false;
  Int64 FProgress = 0;
  Int64 FProgressMax = 0;
  bool FNoProgress = false;

  TZAFileProgressEvent OnFileProgress;
  TZAProgressEvent OnOverallProgress;
  TZACopyTempFileProgressEvent OnCopyTempFileProgress;
  TZAConfirmOverwriteEvent OnConfirmOverwrite;
  TZAConfirmProcessFileEvent OnConfirmProcessFile;
  TNotifyEvent AfterOpen;
  TZAOnPasswordEvent OnPassword;
  TZAProcessFileFailureEvent OnProcessFileFailure;
  TZAOnRequestBlankVolumeEvent OnRequestBlankVolume;
  TZAOnRequestFirstVolumeEvent OnRequestFirstVolume;
  TZAOnRequestLastVolumeEvent OnRequestLastVolume;
  TZAOnRequestMiddleVolumeEvent OnRequestMiddleVolume;
  TZAOnDiskFullEvent OnDiskFull;
  TZAProcessVolumeFailureEvent FOnProcessVolumeFailure;  // no published property
  TZAOnStoreFileEvent OnStoreFile;
  TZAOnExtractFileEvent OnExtractFile;

  bool FSuppressPasswordEvent = false;
  bool FUpdated = false;
  std::unique_ptr<TZADirManager> DMHandle;
  // A Stop from the host ended the codec in the middle of an entry (and set
  // FProgressCancel); cleared as each entry's data starts.
  bool fCodecStopped = false;
  // Set when the last decompression could not write what it produced (the
  // destination full or failing), as opposed to an entry that does not check.
  bool fCodecWriteFailed = false;
  // Entries a search by name or mask has tested so far: what a search costs.
  Int64 fEntriesSearched = 0;
  Word FCompressionMethod = 0xFFFF;
  TZACompressionAlgorithm FCompressionAlgorithm = caZLIB;
  TZACryptoAlgorithm FZACryptoAlgorithm = caPkzipClassic;
  Byte FCompressionMode = 0;
  TZACompressionLevel FCompressionLevel = za_clNone;
  AnsiString FPassword;
  TZip64Mode FZip64Mode = zmAuto;

 protected:
  // Opens the archive after the checks of the OpenArchive forms.
  void InternalOpenArchive();
  // Frees the stream the archiver opened (a custom stream stays the caller's).
  void FreeArchiveStream();
  // Points the directory manager at the current volume's stream.
  void SyncDirManagerStream();
  // Whether updates of the open archive are locked and journalled: a file of
  // one volume, not in memory, not the caller's stream.
  bool Journalled() const;
  // Under the exclusive lock: when this archive's complete journal lies
  // beside it, puts the archive back from it and deletes it. Engine error
  // 70 when the archive cannot be put back, 73 when the journal is this
  // archive's but damaged; the journal then stays. Anything else at the
  // journal's name is left alone: an update (forUpdate) fails with error 72
  // naming it, a read goes on. An update also fails (80) when the journal,
  // put back, cannot be removed.
  enum TJournalFound : uint8_t { jfNone, jfRecovered, jfRefused };
  TJournalFound RecoverJournal(bool forUpdate);
  // Before a read, under the shared lock: takes the exclusive lock and
  // recovers only for this archive's complete journal; a damaged one fails
  // the read with 73; one the archive matches already goes where it may;
  // anything else is left alone.
  void RecoverJournalForRead();
  // Before an archive is made anew over its file: deletes a journal of that
  // file (one that starts with the journal's header and names the file), or
  // fails with 80 when it cannot.
  void DeleteStaleJournal();
  // Writes the journal of the archive from restorePoint to size and puts it
  // on the disk; engine errors 19 and 46.
  std::unique_ptr<THandleStream> CreateJournal(Int64 restorePoint, Int64 size);
  // Remembers the archive file as last read or written here (under a lock),
  // and reads the directory again when another process may have changed
  // the file since: a change anywhere in it, not only near its end. An
  // unchanged file costs one look at its status, and one read of its
  // directory only while a write may have left the status as it was.
  // Indexes into the table found before a re-read are void after it; the
  // entries tagged then stay tagged by their names. Each re-read counts in
  // fDirectoryReads, by which a caller holding an index or an entry tells
  // that it must find its entry again by name.
  void RememberDirectory();
  void RefreshDirectory();
  bool DirectoryChanged();
  void ReloadDirectory();
  // The archive's file, links resolved, and its journal's name.
  void ResolveArchivePath();
  // Under the lock: the journal's name that this archive file is to be
  // checked against, its own or the one an update through another name of
  // the file left (see ZAJournalPointerName).
  void FindJournal();
  // Before an update writes its journal: the journal's name of this name,
  // and, on a file with more than one name, that name written into the file
  // for every other name to find (engine error 77 where it cannot be).
  void PointToJournal();
  // After the journal is gone: the file names no journal any more.
  void DropJournalPointer();
  bool fJournalPointed = false;
  Cardinal fDirectoryReads = 0;
  // Set by the codec when the directory was read again while it asked for
  // a password: the entry's data may lie elsewhere now, and the extraction
  // starts again from the entry found by its name.
  bool fEntryMoved = false;
  // After a question: the archive's lock taken again (exclusive or
  // shared), and what it protects looked at again (see AskUnlocked).
  void RetakeAfterAsking(bool exclusive);
  // Whether this open has removed the hidden copies killed writers left.
  bool fSiblingsSwept = false;
  void OpenLockFile();
  // Opens the archive's file again (after another file took its place).
  void ReopenArchiveFile();
  std::string fArchivePath;
  String fJournalName;

 private:
  struct TZACommit;
  void InternalAddFiles(const TStrings& masks, Int32 searchAttr, const TStrings& exclusions, bool move,
                        bool recurse);
  void ScanMask(const String& mask, Int32 searchAttr, const TStrings& exclusions, bool move, bool recurse);
  void ScanFolder(const String& folder, const String& pattern, Int32 searchAttr, const TStrings& exclusions,
                  bool move, bool recurse, std::vector<std::pair<UInt64, UInt64>>& visited);
  // The yield of the adding run under way (none outside one).
  TTimedYield* fScanYield = nullptr;
  void ProcessFoundFile(const String& fullName, bool isFolder, Int64 size, const TStrings& exclusions, bool move);
  Int32 AddFileInit(const String& sourceName, const String& baseDir, bool fromFile, Int32 attributes,
                    TDateTime date);
  void InternalAddFromStream(const String& name, std::shared_ptr<TStream> stream, bool copyToBuffer, bool destroy,
                             Int64 position, Int64 count, Cardinal attributes, TDateTime date);
  // Tags the entries (tag) and processes them. An update (delete, update)
  // tags inside its bracket, so under the archive's lock and in the
  // directory as it is on the disk, never in one another process has
  // changed since.
  void RunTagged(TZAProcessOperation operation, bool update, const std::function<void()>& tag);
  // Leaves the bracket an operation opened to find and change its entries
  // under the archive's lock, when the operation fails: an inner bracket
  // that nothing was changed in only closes, so the batch around it stays;
  // otherwise the batch ends uncommitted, as CancelUpdate ends it.
  void AbandonBracket(bool changed);
  // Opens a bracket and, inside it, applies change to every entry that mask
  // finds (engine error notFound, with the mask, when none), marking each
  // entry not yet modified as a pending operation; closes the bracket.
  void ChangeFoundEntries(const String& mask, Int32 notFound, TZAProcessOperation operation,
                          const std::function<void(TDirItem&)>& change);
  void PositionAtLocalHeader(const TDirItem& item);
  // IsItemMatches for an entry's name and the search's mask.
  bool EntryMatches(const String& entry, const TZAArchiveItem& f, const String& mask) const;
  // The files a run of extractions has written and that wait for their
  // names (see TZAFileBatch); none outside such a run. PublishExtracted puts
  // them in place and hands each that could not be to the failure event; an
  // abort there ends the run (fExtractAborted).
  TZAFileBatch* fExtractBatch = nullptr;
  bool fExtractAborted = false;
  void PublishExtracted();
  // Removes the entries marked in doomed (a run of deletions) at once.
  void DeleteMarkedItems(std::vector<bool>& doomed);
  // The device and inode of the archive's own file while files are added:
  // it is never added, whatever name reaches it.
  UInt64 fArchiveDev = 0;
  UInt64 fArchiveIno = 0;
  bool fArchiveIdentity = false;
  Int32 CommitFirstChangedIndex() const;
  // Writes entry index anew at the archive's position; false when it was
  // not written (a failure went to the failure event, or a cancel).
  bool CommitWriteEntry(Int32 index, TZACommit& c);
  // Copies entry index's old record from the saved tail.
  void CommitCopyEntry(Int32 index, TZACommit& c);
  void CommitPut(TZACommit& c, const void* buffer, Int64 count);
  // Puts the snapshot table and the old bytes back.
  void CommitRollback(TZACommit& c);
  // The archive comment when the snapshot was taken.
  AnsiString fSnapshotComment;
  // The stream the archiver opened itself (file or memory); FCompressedStream
  // points at it, or at the caller's stream.
  std::unique_ptr<TStream> fOwnedStream;
  // A descriptor of the archive's file that carries the lock between
  // processes; 0 none held, 1 shared, 2 exclusive.
  std::unique_ptr<THandleStream> fLockFile;
  Int32 fLockHeld = 0;
  // The archive file (its status, and its directory's checksum where the
  // status alone could miss a write) as this archiver last saw it;
  // fSeenSize -1 when nothing is remembered.
  Int64 fSeenSize = -1;
  TZipChangeWatch fSeen;
  // The directory was read again, and entries moved to other indexes, since
  // the caller last looked an entry up (an index it holds may name another
  // entry now); fIndexesOwn while the processing of tagged entries passes
  // indexes it found itself.
  bool fIndexesMoved = false;
  bool fIndexesOwn = false;
  // Engine error 71 when index may have been found before entries moved.
  void CheckIndexCurrent(Int32 index);
  // The file (links resolved) an archive taken into memory was read from,
  // and its state then: leaving memory writes over it only while it is
  // still that file in that state.
  std::string fMemoryPath;
  TZipChangeWatch fMemorySeen;
  // Whether the archive is self-extracting: a stub before its first entry.
  bool IsSFXArchiveName(const String& name) const;
  // The end record's disk number (the zip64 one where it holds 0xFFFF).
  Int64 EndRecordDiskNumber();
  // Asks for volumes after an end record was not found, as the plain road does.
  bool OpenLastVolumeLoop();
  // The free space of the volume being written, as its drive answered when
  // first asked, and the stream's size then.
  Int32 fFreeSpaceVolume = -2;
  String fFreeSpaceFile;
  Int64 fFreeSpaceAsked = 0;
  Int64 fFreeSpaceStreamSize = 0;
  // The volumes of a split archive being made, until the set is whole.
  TZANewFileSet fNewVolumes;
};

// The extended attribute that names the journal of an update of an archive
// file with more than one name (see ZipJournalPointerName).
inline constexpr const char* ZAJournalPointerName = ZipJournalPointerName;

// A stream on a descriptor that it closes.
class TOwnedHandleStream : public THandleStream {
 public:
  using THandleStream::THandleStream;
  ~TOwnedHandleStream() override;
  TOwnedHandleStream(const TOwnedHandleStream&) = delete;
  TOwnedHandleStream& operator=(const TOwnedHandleStream&) = delete;
};

// Holds the archive's shared lock for one read (extraction, test) unless a
// lock is held already; lets it go at the end of the scope.
class TZAReadLock {
 public:
  explicit TZAReadLock(TZABaseArchiver& archiver) : fArchiver(archiver) {
    if (!archiver.ArchiveLocked()) {
      archiver.LockArchive(false);
      fTaken = archiver.ArchiveLocked();
      // The directory read at open may be another process's past.
      try {
        refreshed = archiver.RefreshForRead();
      } catch (...) {
        if (fTaken) archiver.UnlockArchive();
        throw;
      }
    }
  }
  bool refreshed = false;
  ~TZAReadLock() {
    if (fTaken) fArchiver.UnlockArchive();
  }
  TZAReadLock(const TZAReadLock&) = delete;
  TZAReadLock& operator=(const TZAReadLock&) = delete;

 private:
  TZABaseArchiver& fArchiver;
  bool fTaken = false;
};

// A memory stream that copies from another stream in pieces of at most
// 10,000 bytes.
class THackMemoryStream : public TMemoryStream {
 public:
  // count 0 rewinds the source and copies all of it; exact reads and writes.
  // Answers the count.
  Int64 CopyFrom(TStream* source, Int64 count);
};

// A sink: reads and writes report the whole count and touch nothing; every
// seek answers 0 and the size stays 0.
class TNullStream : public TStream {
 public:
  Int64 Read(void*, Int64 count) override { return count; }
  Int64 Write(const void*, Int64 count) override { return count; }
  Int64 Seek(Int64, TSeekOrigin) override { return 0; }
  Int64 Size() override { return 0; }
  void SetSize(Int64) override {}
};

// The data of the Unicode-name extra block: "NUCX", the name's length in
// UTF-16 units (32-bit), then the units in UTF-16LE.
class TUnicodeExtendedInfo : public TObject {
 public:
  String FName;
  Cardinal FAdditionalSignature = 0;
  void SaveToStream(TStream* stream) const;
  // From the stream's start; false (name unchanged) when the signature is not
  // "NUCX" or the stream holds fewer units than its count says.
  bool LoadFromStream(TStream* stream);
  bool Load(const void* buffer, Int64 size);
};

// The zip-form archiver the suite uses: new entries are deflated (stored at
// mode 0), zip64 is off until set.
class TZipArchiver : public TZABaseArchiver {
 public:
  explicit TZipArchiver(TObject* owner = nullptr);
  ~TZipArchiver() override = default;

  void SetPassword(const AnsiString& password) override;
  void SetCompMethod() override;

  TZip64Mode Zip64Mode() const { return FZip64Mode; }
  void SetZip64Mode(TZip64Mode mode) { FZip64Mode = mode; }
  bool UnicodeFilenames() const { return FUnicodeFilenames; }
  void SetUnicodeFilenames(bool value) { FUnicodeFilenames = value; }
  TZACryptoAlgorithm EncryptionMethod() const { return FZACryptoAlgorithm; }
  void SetEncryptionMethod(TZACryptoAlgorithm algorithm) { FZACryptoAlgorithm = algorithm; }

  // Appends the entries of the other archive (which may carry a stub): its
  // entry data are copied over this archive's directory, its entries join
  // the table by the overwrite mode, and the directory is written behind.
  // Engine errors 13 (closed), 26 (inside an update), 33 (the other archive
  // is this one: nothing changes), 35 (the other's directory does not fit
  // its file), 46 (the copy failed: the archive is put back as it was).
  void MergeWith(const String& otherName);

  // The entry's record, or a record of zeros for an index outside the
  // directory (or a closed archive). The directory's own count bounds the
  // index: the end record's count stops at 0xFFFF.
  TDirItem GetAZipMainDetail(Int32 index) const;
  // The entry's 46-byte central record, or zeros, as GetAZipMainDetail.
  TZAZipCentralDir GetAZipFileSubProperty(Int32 index) const;
  // The entry's DOS date and time as a date-time; a date of 0 gives
  // 1980-01-01.
  TDateTime GetADateTime(Int32 index) const;
  // One line per entry: the name after its last separator, a tab, the whole
  // stored name; sorted by the short name with the locale's comparison that
  // ignores case.
  std::unique_ptr<TStringList> SortedListOfShortFilenamesWithin() const;
};

// The position of the entry whose name is exactly name (names that differ
// only in case are other entries); -1 when none.
Int32 ZAFindEntryExact(const TZADirArray& dir, const String& name);
// The DOS date (high 16 bits) and time (low 16 bits) of a date-time, and back.
Cardinal ZADateTimeToDos(TDateTime value);
TDateTime ZADosToDateTime(Cardinal value);

// Unit start: makes the engine's lock; stop: deletes it.
void ZAArchiver_initialization();
void ZAArchiver_Finalization();

}  // namespace sk
