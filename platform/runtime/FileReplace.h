// Whole-file writes that never leave a file half-written.
//
// A replacement is written to an unnamed temporary file in the target's own
// folder (a hidden named one where the file system has no unnamed files),
// given the target's permissions, owner, ACL and extended attributes (as the
// target has them when the content is complete), flushed to the disk, and
// renamed over the target in one step, after which the folder is flushed
// too.  Until the rename the target keeps every byte it had, whether the
// writer fails, hits a file-size limit or is killed.  A target that is a
// symbolic link has the file it points to replaced, or created when missing,
// so the link stays.  A new file gets the permissions the process's umask
// allows.
//
// A target is replaced only when the process could have written it in place:
// an existing file it may not write (a read-only, append-only or immutable
// one, say) is refused, and so is a file whose state cannot be looked at (any
// error but "no such file").  The owner is always kept: a file of another
// user is refused rather than replaced by a copy that would belong to the
// process (only a privileged process can give a file away).  The group is
// kept where the process may give it; where it has no right to, the
// replacement's group gets no more access than everyone has, and a file with
// an extended ACL (whose "group::" entry is about its group) is refused; any
// other failure to give the group, or to carry an attribute over, fails the
// save.  A copy of another file (GivePermissions) is the exception: it is
// the process's own file unless the target's owner is its source's.  A
// refusal leaves the target untouched.
#pragma once

#include <functional>
#include <string>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

// A stream on the replacement of one file.  Nothing reaches the target until
// Commit succeeds; destroying the stream without a commit discards what was
// written.  When the temporary file cannot be made, Ok() is false and every
// write fails.
class TFileReplaceStream : public THandleStream {
 public:
  explicit TFileReplaceStream(const String& fileName);
  ~TFileReplaceStream() override;
  TFileReplaceStream(const TFileReplaceStream&) = delete;
  TFileReplaceStream& operator=(const TFileReplaceStream&) = delete;

  bool Ok() const { return fHandle >= 0 && !fFailed; }
  Int64 Write(const void* buffer, Int64 count) override;
  // Puts the content in place of the target; false (target untouched) when any
  // write failed or the content could not be flushed or renamed.
  bool Commit();
  // The system error of the first failure (0 while none).
  Int32 LastError() const { return fError; }
  // Why the first failure happened, in words for the user.
  String ErrorText() const;
  // The replacement gets this mode and group instead of the target's (a copy
  // that takes its source's), and the extended attributes (the ACL among
  // them, as GiveLikenessOf gives them to a copy) of the file open as
  // attributesFd when one is given.  Such a copy is a new file of the
  // process's own put at the name: the target's owner keeps it only when
  // that owner is also the source's (open as attributesFd), so that content
  // never passes to a user who could not read it where it came from.
  void GivePermissions(Cardinal mode, Cardinal gid, int attributesFd = -1);
  // The copy is a backup of the file open as attributesFd (given to
  // GivePermissions): a privileged process gives it to that file's owner,
  // who may read the source anyway, so that the owner's own saves that keep
  // a backup can replace it later.  A user whose file stood at the name
  // never gets it.
  void GiveToSourceOwner() { fToSourceOwner = true; }

 private:
  void Fail(Int32 error);
  void Discard();

  std::string fTarget;     // the file whose content is replaced (links resolved)
  std::string fBase;       // its name in its folder
  int fDir = -1;           // its folder, where the replacement is made and renamed
  std::string fTempName;   // set only for a named temporary file (in fDir)
  bool fFailed = false;
  bool fCommitted = false;
  bool fTargetExisted = false;
  bool fPermissionsGiven = false;
  bool fOtherOwner = false;  // refused: the owner could not be kept
  Int32 fError = 0;
  Cardinal fMode = 0;
  Cardinal fUid = 0;
  Cardinal fGid = 0;
  int fAttributesFrom = -1;  // the copy's source, whose attributes it takes
  bool fSourceKnown = false;  // fSourceUid holds the owner of that source
  Cardinal fSourceUid = 0;
  bool fToSourceOwner = false;  // see GiveToSourceOwner
};

// A scratch file that has no name: made in a folder (the system's temporary
// folder when empty) and gone when the stream is destroyed, whatever ends the
// process, so that it never stays behind. KeepAs gives it a name after all
// (a fresh one beginning with prefix, in its folder) for when its content must
// outlive the stream. When the file cannot be made, Ok() is false and every
// read and write fails.
class TTemporaryFileStream : public THandleStream {
 public:
  TTemporaryFileStream(const String& folder, const String& prefix);
  ~TTemporaryFileStream() override;
  TTemporaryFileStream(const TTemporaryFileStream&) = delete;
  TTemporaryFileStream& operator=(const TTemporaryFileStream&) = delete;

  bool Ok() const { return fHandle >= 0; }
  // The system error when the file could not be made.
  Int32 LastError() const { return fError; }
  // Links the file under a fresh name and answers it; empty when that fails.
  String KeepAs();

 private:
  std::string fFolder;
  std::string fPrefix;
  Int32 fError = 0;
};

// The longest name a folder entry may have, in bytes.
inline constexpr size_t kMaxNameBytes = 255;

// The name of a file's temporary sibling: prefix, the file's name, suffix.
// A file name too long for the whole to fit the limit of a name is cut (at a
// character boundary), so a file with a long name can still be replaced.
std::string TemporarySiblingName(const std::string& prefix, const std::string& base, const std::string& suffix);

// A fresh name for a hidden temporary sibling of the file named base (its
// name without the folder), with the mark by which RemoveStaleTemporarySiblings
// knows the library's own: ".<base>.sk-<random><check>.tmp".
std::string MarkedTemporarySiblingName(const std::string& base);
// The same mark with a fixed tag (six characters of 0-9 and a-z) in place of
// the random ones and ".keep" in place of ".tmp", for a hidden file of the
// library's that must be found again by its name after its writer is gone
// (what the next open needs to finish a killed writer's work):
// ".<base>.sk-<tag><check>.keep". No sweep takes it; the one that reads it
// removes it.
std::string FixedMarkedTemporarySiblingName(const std::string& base, const std::string& tag);

// Creates the file `name` in the folder open as dirFd (never through a link,
// never over a file there: -1 with errno EEXIST when the name is taken),
// locked from its first moment: made unnamed, locked, then linked under the
// name where the file system allows, so that no sweep ever finds it unlocked
// while its writer lives. The descriptor is open for reading and writing and
// holds the lock until it is closed.
int CreateLockedFile(int dirFd, const std::string& name, unsigned mode);

// The files of a set written aside together (the volumes of a split archive,
// the chunks of a chunk set) share one lock: a marked temporary sibling of
// the set's anchor (MarkedTemporarySiblingName), held locked by the set's
// writer while any of them waits. Member `index` of the set whose lock file
// is lockName is ".<base>.sk-<random><check>-<index>.tmp", with the lock's
// random characters. A member may wait for a move that a killed writer's
// list still names: only the sweeps that know of such lists (RemoveStale-
// SetMembers once its anchor's list was dealt with, RemoveStaleTemporariesIn
// and RemoveStaleSetMembersIn) take members; RemoveStaleTemporarySiblings
// passes them by.
std::string MarkedSetMemberName(const std::string& base, const std::string& lockName, Cardinal index);

// Removes the members, beside the anchor at path, of the sets of that anchor
// whose writer is gone: their lock file missing, or one this call can lock.
// Only regular files of the process's user go. A caller runs it once what a
// killed set's list named has been moved in or given up. Answers how many
// were removed.
Int32 RemoveStaleSetMembers(const std::string& path);

// The lock every maker of a set of files anchored at the file at path takes,
// named by that file's name alone, so that two processes making a set of the
// same names (a split archive over one name, chunk sets of one count in one
// folder) never write, move in or recover at once: ".<base>.sk-making<check>.tmp"
// beside it, a regular file of the process's user, locked exclusively. Another
// holder is waited for up to waitMs milliseconds, and a file that left the name
// meanwhile is never kept: the one at the name is waited for in turn. Answers
// the descriptor that holds it, or -1 with errno (EWOULDBLOCK when another
// process held it for the whole wait). On a file system without locks the
// descriptor is answered unlocked.
int TakeNameLock(const std::string& path, Int32 waitMs);
// Gives the lock up: its file goes while it is the one held, then the lock.
void ReleaseNameLock(const std::string& path, int fd);

// What ReplaceRefusal answers for a file whose owner a replacement could not
// keep (TFileReplaceStream then fails with EPERM and says why in words).
inline constexpr Int32 kReplaceWouldChangeOwner = -1;

// Whether a replacement of the file would be refused from the start (by the
// rule above), for a
// caller that must know before it does anything else (makes a backup, say):
// 0 when the file is missing or one the process may replace, else the system
// error or kReplaceWouldChangeOwner.  0 does not promise the save: the disk
// may still be full.
Int32 ReplaceRefusal(const String& fileName);

// The same for a deletion of the name (a link itself, not what it points
// to): 0 when the process may remove it, else the system error: EACCES for a
// folder it may not write, EPERM for another user's file in a sticky folder
// and for an append-only or immutable file or folder.
Int32 DeleteRefusal(const String& fileName);

// Saves a file whole through a replacement stream: write fills it, and only
// when every byte went and reached the disk does it take the file's place.
// An existing file that the process may not write is refused as opening it
// for writing would be.  Raises EFCreateError when the replacement cannot be
// made and EWriteError when writing or putting it in place fails (and passes
// on what write raises); the file is then as it was.
void ReplaceFileWith(const String& fileName, const std::function<void(TStream&)>& write);
// The same for writers that answer whether every write went: false (the file
// as it was) when write answers false or the replacement cannot be put in
// place; EFCreateError as above when it cannot be made.
bool TryReplaceFileWith(const String& fileName, const std::function<bool(TStream&)>& write);

// Carries a file's extended attributes over to another open file: every
// attribute the process can list on the file at fromPath (its POSIX access
// ACL is one of them, "system.posix_acl_access"), so that a copy or a
// replacement protects and shares the content as the original did. An
// attribute the destination already holds with the same value (a label the
// system gave it) is left as it is. 0 when all were carried over (a file with
// none, or on a file system without them, carries nothing), else the system
// error of the first that could not be read or set.
Int32 CopyExtendedAttributes(const std::string& fromPath, int toFd);

// Whether the file at path has a POSIX access ACL with entries beyond its
// mode bits (named users or groups).
bool HasExtendedAcl(const std::string& path);

// Gives a new copy (open as toFd) the likeness of its source (open as
// fromFd): its mode, its group and its extended attributes and access ACL.
// Where the group may not be given it is narrowed as a replacement's is, and
// an extended ACL (whose "group::" entry is about that group) cannot go
// along: a copy is then left without it, which lets in nobody the ACL did
// not, while a move (keepOwner) is refused, as it would lose the file's
// shares.  With keepOwner the owner is kept too, where the process may give
// it.  An attribute the copy's file system cannot hold is left behind,
// unless it is the ACL.  0, or the system error that refuses the copy.
Int32 GiveLikenessOf(int fromFd, int toFd, bool keepOwner);

// Removes the hidden temporary siblings of a file (the names a replacement or
// a new file of it is written under, ".<name>.sk-<random><check>.tmp") that a
// killed process left behind. Only names that carry the library's mark count
// (a fixed infix and two characters that check the random ones), so that a
// file the user named in the same shape is never taken for one. A sibling is
// removed only when it is a regular file of the process's user that no live
// process holds: every temporary file is locked while it is written, and the
// lock goes with its writer. Members of a set (MarkedSetMemberName) and kept
// files (FixedMarkedTemporarySiblingName) are not of its kind and stay.
// Answers how many were removed.
Int32 RemoveStaleTemporarySiblings(const std::string& path);

// The same for every file of the folder open as dirFd at once: each name
// there that is a hidden marked temporary sibling of some file
// (".<name>.sk-<random><check>.tmp") and that no live process holds, under
// the same rules; and the members (MarkedSetMemberName) of every set there
// whose writer is gone (its lock file missing, or one this call can lock),
// but while a kept file (FixedMarkedTemporarySiblingName: a list of moves
// the next open of a set needs) of their anchor's name lies beside them.
// One listing of the folder, and one more when a set of a writer gone is
// found; answers how many were removed.
Int32 RemoveStaleTemporariesIn(int dirFd);
// The members alone, under the same rules.
Int32 RemoveStaleSetMembersIn(int dirFd);

// Writes all n bytes to the descriptor, going on after short writes and
// interruptions; false (errno set) when the system refuses or writes nothing.
bool WriteAllToFd(int fd, const void* data, size_t n);

// Replaces the whole content of the file (creating it when missing) with the
// bytes; true when the new content is in place.
bool ReplaceFileContent(const String& fileName, const void* data, size_t count);
bool ReplaceFileContent(const String& fileName, const TBytes& bytes);
// The same for a file read and changed in memory: put in place only while the
// file still stands as it was read (asRead), checked as late as the
// replacement allows. A file another program wrote to since stays as that
// program left it (false, errno EBUSY).
bool ReplaceFileContent(const String& fileName, const TBytes& bytes, const TFileStamp& asRead);

// A new file that appears under its name only once it is complete: written
// to a temporary file in the name's folder (unnamed where the file system
// allows), then given the name by Publish, which never replaces a file. A
// process killed before Publish leaves nothing under the name, so whoever
// finds a file there finds a whole one. The stream stays open, and usable,
// after Publish; destroying it unpublished discards what was written.
class TNewFileStream : public THandleStream {
 public:
  explicit TNewFileStream(const String& fileName);
  ~TNewFileStream() override;
  TNewFileStream(const TNewFileStream&) = delete;
  TNewFileStream& operator=(const TNewFileStream&) = delete;

  bool Ok() const { return fHandle >= 0; }
  // Flushes the content to the disk and links it under the name; false
  // (errno EEXIST when the name is taken) leaves the name as it was.
  bool Publish();
  // The system error of the failure to make the temporary file (0 if none).
  Int32 LastError() const { return fError; }

 private:
  std::string fTarget;
  std::string fBase;      // its name in its folder
  int fDir = -1;          // its folder, where the file is made and named
  std::string fTempName;  // empty for an unnamed temporary file (else in fDir)
  bool fPublished = false;
  Int32 fError = 0;
};

// A file's permission bits and group, for a file made in its likeness, and
// the file itself when open (its extended attributes and ACL go too).
struct TFilePermissions {
  Cardinal Mode;
  Cardinal Gid;
  int AttributesFd = -1;
  // The file is a backup of the one open as AttributesFd: a privileged
  // process gives it to that file's owner (see GiveToSourceOwner).
  bool ToSourceOwner = false;
};

// Creates the file holding the bytes from its first moment: the content is
// written to a temporary file that is then linked under the name, so no other
// process ever sees the file empty or part-written.  Never replaces: answers 0
// when the file was created, EEXIST when a file of that name already exists,
// else the system error.  With permissions (a backup's, taken from its
// source) the file has that mode, group and the attributes from its first
// moment, as GiveLikenessOf gives them to a copy.
Int32 CreateFileWithContent(const String& fileName, const void* data, size_t count,
                            const TFilePermissions* permissions = nullptr);

// The text given when a save is refused because the file's owner could not
// be kept.
extern const TResStringRec _SKSaveWouldChangeOwner;  // 60440

}  // namespace sk
