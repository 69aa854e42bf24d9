// Noticing that another process changed an archive file that is open here,
// without reading it when nothing changed. Both the zip engine and the zip
// reader (TZipFile) go by these rules.
//
// A writer changes the file under its exclusive lock; a reader looks at the
// file under the shared one. What the file's status says (its device and
// inode, size, change and modification times) is taken then, with no write
// under way. A later write moves the change time, unless it lands in the
// same tick of the file system's clock as the write the status shows: such
// a status is "racy", and a racy status is trusted only together with a
// checksum of the archive's directory (or not at all, when no directory
// range is given). On a file system whose clock is another machine's
// (network file systems), every status counts as racy.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// What an open file's status says of its bytes.
struct TZipFileStamp {
  UInt64 Device = 0;
  UInt64 Inode = 0;
  Int64 Size = -1;  // -1: nothing taken
  Int64 ModifiedNs = 0;
  Int64 ChangedNs = 0;
  // A later write could leave the status as it is.
  bool Racy = true;
};

// Takes the status of the open file fd; false when the system refuses.
// Take it while no writer can change the file.
bool ZipTakeFileStamp(int fd, TZipFileStamp& stamp);
// As above, told whether the file system's clock is another machine's.
bool ZipTakeFileStamp(int fd, TZipFileStamp& stamp, bool remoteClock);

// Whether two stamps show the same file in the same state (raciness aside).
bool ZipSameFileState(const TZipFileStamp& a, const TZipFileStamp& b);

// A 64-bit checksum (CRC-32 and Adler-32) of count bytes of fd from offset
// from; false when they cannot all be read.
bool ZipChecksumRange(int fd, Int64 from, Int64 count, UInt64& sum);

// The state of an archive file as a reader last saw it.
class TZipChangeWatch {
 public:
  // Remembers the file fd as it is now, its directory running from
  // directoryFrom to the file's end (-1: not known). The directory is read
  // (once) only when the status is racy. Call while no writer can change the
  // file; false when nothing could be remembered.
  bool Remember(int fd, Int64 directoryFrom);
  // For a caller that holds the file's lock (so that no writer can write
  // meanwhile): when the status remembered is racy only because the clock
  // has not yet passed its tick, and that tick is short (a few
  // milliseconds), waits for the clock, so that the status alone tells of
  // the next write.
  void WaitOutTick(int fd);
  void Forget() { fStamp = TZipFileStamp(); }
  bool Remembered() const { return fStamp.Size >= 0; }
  const TZipFileStamp& Stamp() const { return fStamp; }

  // Whether the file fd may have changed since it was remembered (true when
  // nothing is remembered). Reads nothing when the status is as remembered
  // and not racy; reads the directory once when it is racy, and trusts the
  // status from then on when it no longer is. Call while no writer can
  // change the file.
  bool Changed(int fd);

 private:
  TZipFileStamp fStamp;
  Int64 fFrom = -1;
  bool fSummed = false;
  UInt64 fSum = 0;
  bool fRemoteClock = false;
};

}  // namespace sk
