// Files, folders and drives on POSIX.
//
// Paths are used as given (UTF-16 converted to UTF-8).  The routines that take
// a path apart (ExtractFileName, ExtractFilePath, ExtractFileDir,
// ExtractFileExt, ChangeFileExt, the trailing-delimiter routines) accept both
// '/' and '\' as delimiters, because stored names may come from Windows.  A
// path's "drive" is the mount point that holds it.  Failures are reported by
// result (false, -1, empty), never by exceptions.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <vector>

#include "platform/runtime/RtlTypes.h"

namespace sk {

inline constexpr Char PathDelim = u'/';
inline constexpr const char16_t DriveDelim[] = u"";
inline constexpr Char PathSep = u':';

// ---- file attributes (as search records report them) -----------------------
inline constexpr Int32 faReadOnly = 0x00000001;
inline constexpr Int32 faHidden = 0x00000002;  // the name begins with '.'
inline constexpr Int32 faSysFile = 0x00000004;  // not a regular file or folder (device, socket, pipe)
inline constexpr Int32 faVolumeID = 0x00000008;
inline constexpr Int32 faDirectory = 0x00000010;
inline constexpr Int32 faArchive = 0x00000020;
inline constexpr Int32 faNormal = 0x00000080;  // a regular file with no other attribute
inline constexpr Int32 faSymLink = 0x00000400;  // the entry is a symbolic link (its target decides the rest)
inline constexpr Int32 faAnyFile = 0x000001FF;

// ---- tests and simple operations ---------------------------------------------
// FileExists: a file that is not a folder; DirectoryExists: a folder.
// Symbolic links are followed.
bool FileExists(const String& fileName);
bool DirectoryExists(const String& dir);
// Creates the folder and every missing parent; true when the folder exists
// afterwards.  An empty name gives false.
bool ForceDirectories(const String& dir);
bool CreateDir(const String& dir);
// Removes an empty folder.
bool RemoveDir(const String& dir);
// Deletes a file (not a folder).
bool DeleteFile(const String& fileName);
// Renames or moves a file or folder; a file also moves to another file
// system (copied, then deleted), a folder only within one.  Fails when the new
// name already exists, rather than replacing it.
bool RenameFile(const String& oldName, const String& newName);
// Copies a file with its permissions, group, ACL, extended attributes and
// last-write time, as GiveLikenessOf (FileReplace.h) gives them.  With
// failIfExists an existing target is left alone and the answer is false;
// otherwise the target is replaced only once the copy is complete and on the
// disk.  A target that is the source itself (by name or through a link) is
// refused.
bool CopyFile(const String& source, const String& target, bool failIfExists);
// A file as it stood when its bytes were read: which file (device and inode)
// and its state (size, modification and status-change times, to the
// nanosecond).  Every write moves the status-change time, which no caller can
// set back, so a file that still shows its stamp still holds the bytes read;
// one appended to, or rewritten in place at the same size, does not.
struct TFileStamp {
  UInt64 Dev = 0;
  UInt64 Ino = 0;
  Int64 Size = 0;
  Int64 MTimeSec = 0, MTimeNsec = 0;
  Int64 CTimeSec = 0, CTimeNsec = 0;
  bool operator==(const TFileStamp&) const = default;
};
TFileStamp FileStampOf(const struct ::stat& st);
// Removing one name of a file that has others moves the file's status-change
// time: once the library has removed one itself, a stamp of another name
// taken as the file stood then (was) takes its state since (now).
inline void CarryStamp(TFileStamp& stamp, const TFileStamp& was, const TFileStamp& now) {
  if (stamp == was) stamp = now;
}
// True when the name holds the stamped file, unchanged (errno EBUSY when
// not); a link at the name is followed only when asked.
bool FileStillAsStamped(const String& fileName, const TFileStamp& stamp, bool followLink = false);
// CopyFile over (or onto) a backup's name.  A privileged process gives the
// backup of another user's file to that user (who may read the source
// anyway), so that their own saves that keep a backup can replace it later;
// whoever owned a file that stood at the name never gets it.  When copied is
// given it receives the source's stamp from before its first byte was read.
bool CopyFileToBackup(const String& source, const String& backup, TFileStamp* copied = nullptr);
// Moves a file; an existing target makes it fail.  Across file systems, when
// allowCopy is set, the file is copied (keeping its owner where the process
// may give it, as well as what a copy keeps), the copy and its folder are
// flushed to the disk, and only then is the source deleted (a link: the
// bytes of its file are copied under its name, the link goes and its file
// stays).
bool MoveFile(const String& source, const String& target, bool allowCopy = false);
// Size of a file in bytes; -1 when it does not exist or is a folder.
Int64 FileSizeByName(const String& fileName);
// Last-write time of a file or folder, local time.
bool FileAge(const String& fileName, TDateTime& fileDateTime);
// Sets the last-write time (local time); 0 on success, else the system error.
Int32 FileSetDate(const String& fileName, TDateTime dateTime);

// ---- names ---------------------------------------------------------------------
bool IsPathDelimiter(const String& s, Int32 index1);
String ExtractFileName(const String& fileName);
// The folder part with its trailing delimiter ("" when there is none).
String ExtractFilePath(const String& fileName);
// The folder part without its trailing delimiter, except for a root ("/").
String ExtractFileDir(const String& fileName);
// From the last '.' after the last delimiter, the dot included; "" if none.
String ExtractFileExt(const String& fileName);
// The mount point that holds an absolute path; "" for a relative one.
String ExtractFileDrive(const String& fileName);
String ChangeFileExt(const String& fileName, const String& extension);
String ChangeFilePath(const String& fileName, const String& path);
String IncludeTrailingPathDelimiter(const String& s);
String ExcludeTrailingPathDelimiter(const String& s);
// An absolute name with "." and ".." resolved textually (links are not
// followed); "" for an empty name.
String ExpandFileName(const String& fileName);
String GetCurrentDir();
bool SetCurrentDir(const String& dir);

// ---- masks and searches ------------------------------------------------------
// '*' matches any run of characters, '?' exactly one; "*.*" matches every
// name.  Letters compare without regard to case, as the library's masks were
// written for a file system that ignores case.
bool MatchesMask(const String& name, const String& mask);

struct TSearchState;

struct TSearchRec {
  TDateTime TimeStamp = 0;       // last write, local time
  TDateTime LastAccessTime = 0;  // last access, local time
  Int64 Size = 0;
  Int32 Attr = 0;
  String Name;  // the entry's name without its folder
  Int32 ExcludeAttr = 0;
  std::shared_ptr<TSearchState> FindHandle;
};

// Searches the folder of pathWithMask for names matching its last part.
// Files are always found; folders only when attr has faDirectory (then "."
// and ".." come too), hidden entries only with faHidden, system entries only
// with faSysFile.  Entries come in ordinal order of their names.  Answers 0
// and fills rec for the first entry; non-zero when there is none.
Int32 FindFirst(const String& pathWithMask, Int32 attr, TSearchRec& rec);
Int32 FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

// ---- drives, i.e. mount points ------------------------------------------------
inline constexpr Cardinal DRIVE_UNKNOWN = 0;
inline constexpr Cardinal DRIVE_NO_ROOT_DIR = 1;
inline constexpr Cardinal DRIVE_REMOVABLE = 2;
inline constexpr Cardinal DRIVE_FIXED = 3;
inline constexpr Cardinal DRIVE_REMOTE = 4;
inline constexpr Cardinal DRIVE_CDROM = 5;
inline constexpr Cardinal DRIVE_RAMDISK = 6;

// One mounted file system, as the mount table and the block devices describe it.
struct TMountInfo {
  String MountPoint;  // where it is mounted ("/", "/media/usb")
  String Source;      // the device or network source ("/dev/sdb1", "server:/export", "//host/share")
  String FileSystem;  // the file-system type ("ext4", "vfat", "nfs", ...)
  String Label;       // the file system's label; "" when it has none
  String UUID;        // the file system's UUID as the system names it; "" when unknown
  bool Removable = false;  // on a block device that the system marks removable
  bool Network = false;    // a file system reached over the network
};

// Every mount of the process in mount order; a mount point that was mounted
// over appears once, with the file system now visible there.
std::vector<TMountInfo> GetMountTable();
// The mount that holds the path, links resolved (the nearest existing
// ancestor stands for a path that does not exist yet); false for a relative or
// empty path.
bool GetMountOf(const String& path, TMountInfo& info);
// The same from the text of the path alone ("." and ".." resolved, links not
// followed): the path is never touched, so a network path is recognised
// without waking its server.
bool GetMountOfName(const String& path, TMountInfo& info);
// Where the mount table is read from: the process's mount information, the
// block-device folder (for the removable flag) and the disk-name folder (for
// labels and UUIDs).  Empty strings restore the system's own.
void SetMountTableSources(const String& mountInfoFile, const String& sysBlockFolder, const String& devDiskFolder);

// The mount point that holds the path (the nearest existing ancestor is used
// for a path that does not exist yet); "" for a relative or empty path.
String MountPointOf(const String& path);
// Kind of the file system that holds the path: DRIVE_REMOTE for a network
// file system, DRIVE_REMOVABLE for a removable device (or a memory-card file
// system mounted under /media, /run/media or /mnt), DRIVE_CDROM, DRIVE_RAMDISK
// for memory file systems, else DRIVE_FIXED; DRIVE_NO_ROOT_DIR when the path
// has no existing ancestor.
Cardinal GetDriveTypeW(const String& path);
// Free bytes for the caller / total bytes of the file system that holds the
// path; -1 when it cannot be asked.
Int64 DiskFree(const String& path);
Int64 DiskSize(const String& path);
bool GetDiskFreeSpaceEx(const String& path, Int64& freeBytesAvailable, Int64& totalBytes, Int64& totalFreeBytes);

// ---- the program -------------------------------------------------------------------
// The full name of the running program (/proc/self/exe); "" when unknown.
String ProgramFileName();

// ---- per-user folders -----------------------------------------------------------
// $TMPDIR or /tmp, with a trailing delimiter.
String GetTempDirectory();
// $HOME (or the password entry's home), without a trailing delimiter.
String GetHomePath();
// The XDG documents folder ($XDG_CONFIG_HOME/user-dirs.dirs), else ~/Documents.
String GetDocumentsPath();
// $XDG_CONFIG_HOME when absolute, else ~/.config.
String GetAppDataPath();
// Creates a new empty file dir/prefix<unique>.tmp and answers its name; ""
// when it cannot be created.  An empty dir means GetTempDirectory().
String GetTempFileName(const String& dir, const String& prefix);

}  // namespace sk
