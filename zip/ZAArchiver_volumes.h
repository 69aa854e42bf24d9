// What the archiver asks of the system about the disks its volumes go to: the
// free space of a drive and the label of a spanned disk. Both go through
// replaceable hooks, so that a host (or a test) can answer in their place.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

// The bytes free to the caller on the file system that holds the path; -1
// when it cannot be asked.
using TZAFreeDriveSpaceHook = std::function<Int64(const String& path)>;
// Labels the disk that holds the path. Linux file systems are not labelled by
// the archiver: unless a hook is set, the label goes nowhere.
using TZAVolumeLabelHook = std::function<void(const String& path, const String& label)>;

// Install a hook (an empty one restores the default) and answer the previous.
TZAFreeDriveSpaceHook SetZAFreeDriveSpaceHook(TZAFreeDriveSpaceHook hook);
TZAVolumeLabelHook SetZAVolumeLabelHook(TZAVolumeLabelHook hook);

// The free space through the hook, else the file system's (statvfs).
Int64 ZAFreeDriveSpace(const String& path);
void ZASetVolumeLabel(const String& path, const String& label);

// The label of a spanned disk: "pkback# " and the volume number + 1 in three
// digits ("pkback# 003" for volume 2).
String ZASpannedVolumeLabel(Int32 volumeNumber);

// The most times a volume is asked for (or a disk-full prompt answered with a
// retry) before the operation gives up: a handler that neither cancels nor
// names a usable file cannot keep the archiver asking for ever.
inline constexpr Int32 ZAMaxVolumeRequests = 20;

// How long a maker of a set waits, by default, for another process making a
// set of the same names or reading the set it replaces, and a reader of a
// chunk set for a move-in under way (milliseconds), as a second writer of an
// archive does. Process-wide, so that a host (or a test) may set it.
inline Int32 ZANewFileSetWait = 5000;

// New files that replace a set of files together (the volumes of a split
// archive, the chunks of a chunk set). Each is written under a hidden
// temporary name in its own name's folder, and all take their names only
// once every one is whole and on the disk, so that an old set under the same
// names stays as it was through any failure before. A list of the moves,
// written before the first under a hidden marked name beside the anchor
// (ZAMoveListName), lets the next look at the set (Recover) finish a move-in
// that a killed process left part-done. One process at a time makes a set of
// an anchor: the maker holds the lock of the anchor's name (TakeNameLock)
// from before it finishes or sweeps what killed makers left until its files
// are in, and a recovery takes it too. The files wait under the names of set
// members (MarkedSetMemberName) and share one lock file beside the anchor,
// held while any waits; the sweeps of their folder (SweepStale) take them
// once that lock file is gone or unlocked, but never while a list of moves
// of their anchor lies beside them.
// A move-in holds the file at the anchor's name and the one that takes its
// place locked exclusively, and waits a bounded time for the readers of the
// old set, who hold the anchor shared while they read (TZASetReadHold, or an
// archive's own lock): a reader never sees a set half moved in.
// Files not moved in go when the set is discarded or destroyed.
class TZANewFileSet {
 public:
  TZANewFileSet() = default;
  ~TZANewFileSet();
  TZANewFileSet(const TZANewFileSet&) = delete;
  TZANewFileSet& operator=(const TZANewFileSet&) = delete;

  // Begins a set (a set not moved in goes first): the temporaries are named
  // as hidden siblings of anchor; with a list, the list of moves goes to
  // ZAMoveListName(anchor). Takes the lock of the anchor's name, waiting up
  // to waitMs for another maker, and then finishes a killed maker's move-in
  // (Recover) and sweeps the folder (SweepStale). False, with nothing done,
  // when another process held the lock for the whole wait; EFCreateError
  // when it cannot be taken at all.
  bool Start(const String& anchor, bool withList, Int32 waitMs = ZANewFileSetWait);
  bool Empty() const { return fFiles.empty(); }
  // A new file, empty, that takes the name at the move-in. Refused
  // (EFCreateError) when the name holds a link, something other than a
  // regular file, or another user's file: none of them is touched. After a
  // move-in the lock of the anchor's name is taken again (EFCreateError when
  // another maker holds it past the wait).
  std::unique_ptr<THandleStream> Add(const String& name);
  // The last file added takes this name instead.
  void RenameLast(const String& name);
  // The device and inode of the last file added.
  void LastIdentity(UInt64& dev, UInt64& ino) const;
  // Flushes every file to the disk, writes the list, and moves the files in,
  // in the order added, the list going last; then lets the anchor's lock go. On a failure before the first
  // move, raises EWriteError and leaves every old file as it was (the set
  // still to be discarded); once moves began, what is left stays for Recover.
  // A list name that holds anything but a list of the process's own (a file
  // another user put there) is left alone, and the set moves in without one.
  // False, with nothing moved (the set still to be discarded), when readers
  // of the set at the names held it for the whole wait. With holdAnchor
  // (more of the set follows into the same folder, a chunk set whose disk
  // has no room left), the file this set put at the anchor's name stays
  // locked until the last move-in or the discard, so that no reader takes
  // the part for a whole set; on a disk about to be changed nothing of it
  // may stay open.
  bool MoveIn(bool holdAnchor = false);
  // Removes the files not moved in.
  void Discard();
  // Finishes the move-in a killed process left for the set of this anchor.
  // Only a list of the process's own user that the engine wrote for this
  // anchor is read; anything else at its name is left as it is. A file is
  // moved in only while its name still holds what stood there when the list
  // was written; when any name of the set holds something else (a set put
  // back from a copy, say), nothing is moved, the temporaries of the list go,
  // and so does the list.
  // A list whose writer still lives is left to that writer: the lock of the
  // anchor's name is waited for up to waitMs, and without it nothing is done.
  static void Recover(const String& anchor, Int32 waitMs = 0);
  // What killed writers left in the anchor's folder goes: marked temporaries
  // no live process holds, and the members of sets whose writer is gone, but
  // those a list of moves of their anchor keeps (for the next open).
  static void SweepStale(const String& anchor);
  // At an open of the set: the members of sets whose writer is gone in the
  // anchor's folder (but those a list keeps), and the marked temporaries
  // beside the anchor that no live process holds.
  static void SweepDeadSets(const String& anchor);
  // Whether a list of moves of the anchor lies beside it: a move-in under
  // way, or one a killed maker left (the set at the names is then torn).
  // A file at the list's name that this process can read and that is no
  // list does not count.
  static bool MoveInPending(const String& anchor);

 private:
  struct TFile {
    std::string temp;
    std::string name;
    UInt64 dev = 0;
    UInt64 ino = 0;
  };
  // Takes the set's lock (its lock file beside the anchor) when not held.
  void HoldLock();
  // Gives the lock up and removes its file.
  void ReleaseLock();
  // Takes the lock of the anchor's name when not held: false when another
  // process held it for the whole wait; EFCreateError when it cannot be taken.
  bool HoldAnchorLock(Int32 waitMs);
  void ReleaseAnchorLock();
  // Recover, with the anchor's lock held.
  static void RecoverHeld(const std::string& anchorPath);
  // Locks the file at the anchor's name (waiting for its readers) and the
  // set's own file for that name; false when readers held the first for
  // the whole wait.
  bool HoldAnchorFiles();
  void ReleaseAnchorFiles(bool keepNew);
  std::string fAnchor;
  int fAnchorLockFd = -1;
  Int32 fWait = ZANewFileSetWait;
  bool fWithList = false;
  std::vector<TFile> fFiles;
  std::string fLockName;  // the lock file's name beside the anchor
  int fLockFd = -1;
  UInt64 fLockDev = 0;
  UInt64 fLockIno = 0;
  Cardinal fNext = 0;  // the index of the next member
  int fOldAnchorFd = -1;  // the file at the anchor's name, during a move-in
  int fNewAnchorFd = -1;  // the set's file for that name, until the set is in
};

// A reader's hold on a set of files anchored at a file (a chunk set's first
// chunk): the file at the anchor's name, open and locked shared for as long
// as the hold lives, so that no maker moves another set in under the names
// meanwhile (see TZANewFileSet). Nothing is created or changed: a reader
// needs no right to the set's folder.
class TZASetReadHold {
 public:
  TZASetReadHold() = default;
  ~TZASetReadHold() { Release(); }
  TZASetReadHold(const TZASetReadHold&) = delete;
  TZASetReadHold& operator=(const TZASetReadHold&) = delete;

  // Holds the set at the anchor as it is now, waiting up to waitMs for a
  // move-in under way; a move-in a killed maker left is finished first
  // (Recover). False (errno EWOULDBLOCK) when a move-in went on for the
  // whole wait or a torn set could not be made whole, and with the system's
  // error when the anchor cannot be opened or is no regular file.
  bool Take(const String& anchor, Int32 waitMs);
  // Whether the file open as fd is the one held.
  bool Holds(int fd) const;
  void Release();

 private:
  int fFd = -1;
};

// A list of moves as it is kept on the disk: the anchor's name in its folder
// binds it to its set; for each move, the temporary and the name (full
// paths), the new file's identity, and the identity of what stood at the name
// when the list was written (when anything did).
struct TZAMoveList {
  // A file as a later look tells it apart from any other put at its name:
  // device, inode, size and modification time (nanoseconds).
  struct TIdentity {
    UInt64 dev = 0;
    UInt64 ino = 0;
    UInt64 size = 0;
    UInt64 mtime = 0;
    bool operator==(const TIdentity&) const = default;
  };
  struct TMove {
    std::string temp;
    std::string name;
    TIdentity made;
    bool oldPresent = false;
    TIdentity old;
  };
  std::string anchorBase;
  std::vector<TMove> moves;
};
std::string ZAFormatMoveList(const TZAMoveList& list);
// False for bytes that are not a whole list of the form ZAFormatMoveList writes.
bool ZAParseMoveList(const std::string& bytes, TZAMoveList& list);

// Where the list of moves of a set anchored at a file goes: a hidden sibling
// of it, marked as the library's temporaries are, under a fixed name.
String ZAMoveListName(const String& anchor);
// The list of a split archive's new volumes.
String ZAVolumeListName(const String& archiveName);

}  // namespace sk
