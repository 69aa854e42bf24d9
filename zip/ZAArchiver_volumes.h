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

// New files that replace a set of files together (the volumes of a split
// archive, the chunks of a chunk set). Each is written under a hidden
// temporary name in its own name's folder, and all take their names only
// once every one is whole and on the disk, so that an old set under the same
// names stays as it was through any failure before. A list of the moves,
// written before the first, lets the next look at the set (Recover) finish a
// move-in that a killed process left part-done. Files not moved in go when
// the set is discarded or destroyed; those a killed process left carry the
// library's temporary mark as hidden siblings of the anchor, and go with the
// sweep of its stale temporaries.
class TZANewFileSet {
 public:
  TZANewFileSet() = default;
  ~TZANewFileSet();
  TZANewFileSet(const TZANewFileSet&) = delete;
  TZANewFileSet& operator=(const TZANewFileSet&) = delete;

  // Begins a set (a set not moved in goes first): the temporaries are named
  // as hidden siblings of anchor; listName is where the list of moves goes
  // (empty: none).
  void Start(const String& anchor, const String& listName);
  bool Empty() const { return fFiles.empty(); }
  // A new file, empty, that takes the name at the move-in. Refused
  // (EFCreateError) when the name holds a link, something other than a
  // regular file, or another user's file: none of them is touched.
  std::unique_ptr<THandleStream> Add(const String& name);
  // The last file added takes this name instead.
  void RenameLast(const String& name);
  // The device and inode of the last file added.
  void LastIdentity(UInt64& dev, UInt64& ino) const;
  // Flushes every file to the disk, writes the list, and moves the files in,
  // in the order added, the list going last. On a failure before the first
  // move, raises EWriteError and leaves every old file as it was (the set
  // still to be discarded); once moves began, what is left stays for Recover.
  void MoveIn();
  // Removes the files not moved in.
  void Discard();
  // Finishes the move-in a killed process left: when the list at listName
  // names a last file still under its temporary name, every file it names
  // that is still there is moved in; the list then goes. Only files of the
  // list's own folder that carry the temporary mark and belong to the
  // process's user are moved.
  static void Recover(const String& listName);

 private:
  struct TFile {
    std::string temp;
    std::string name;
    UInt64 dev = 0;
    UInt64 ino = 0;
  };
  std::string fAnchorBase;
  std::string fList;
  std::vector<TFile> fFiles;
};

// Where the list of moves of a split archive's new volumes goes: beside the
// archive, its name followed by "-volumes".
String ZAVolumeListName(const String& archiveName);

}  // namespace sk
