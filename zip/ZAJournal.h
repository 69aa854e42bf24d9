// The rollback journal of an archive update. Before an update changes the
// first byte of an archive file, the bytes it will overwrite (from the
// restore point to the end) go into a journal file beside the archive: a
// header that binds it to that archive file (its device and inode, and a
// checksum of bytes before the restore point, which the update never
// changes), the tail bytes, then a closing record with a checksum. A journal
// whose record checks out can put the archive back as it was, whatever state
// the update left it in. The engine writes a journal whole before it gives it
// its name, so a process killed while writing one leaves nothing at the
// name: a journal bound to the archive whose record does not check out was
// damaged since, and the archive beside it may be torn; it is kept, and the
// archive is neither read nor updated while it is there. A complete journal
// whose old bytes the archive holds already (put back by a process that
// could not remove it, in a folder where only a file's owner may) changes
// nothing: reads go on beside it, and an update, which must not leave it
// to put back its own changes later, removes it first or does not begin.
// Whatever is removed is the very file that was checked (ZADeleteOpenFile),
// never what a link swapped into its path reaches. A journal that is
// not bound to the archive as it is now was written for another file: it is
// neither applied nor deleted. What may be taken for a journal at all (who
// may have written it) and how one is checked are decided in the platform
// layer (ZipReader.h), whose reader applies the same rules.
//
// The layout is described in platform/runtime/ZipReader.h, whose reader
// refuses an archive with a complete journal beside it.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/ZipReader.h"

namespace sk {

inline constexpr Int64 ZAJournalHeaderSize = ZipJournalHeaderSize;
inline constexpr Int64 ZAJournalRecordSize = ZipJournalRecordSize;

// The archive file a journal is written for.
struct TZAJournalIdentity {
  UInt64 device = 0;
  UInt64 inode = 0;
};

struct TZAJournalRecord {
  TZAJournalIdentity identity;
  Int64 originalSize = 0;
  Int64 restorePoint = 0;
  Int64 tailSize = 0;
  Int64 checkedFrom = 0;   // the archive's bytes from here to the restore point
  Cardinal checkedCrc = 0;  // have this CRC-32
};

// The journal's name for an archive path, as given: the path with
// "-journal" appended, shortened to fit the limit of a name.
String ZAJournalFileName(const String& archivePath);
// The journal's name of the file an archive name reaches, links resolved.
String ZAJournalFileNameOf(const String& archiveName);

// Writes the header, copies the archive from restorePoint to originalSize
// into the journal after it, then writes the record. Stream errors
// propagate.
void ZAWriteJournal(TStream* archive, TStream* journal, Int64 restorePoint, Int64 originalSize,
                    const TZAJournalIdentity& identity);

// Whether the journal starts with a whole header; fills what the header
// holds. Stream errors propagate.
bool ZAReadJournalHeader(TStream* journal, TZAJournalRecord& record);

// Reads the header and the record at the journal's end and checks them
// against each other, the journal's length and the checksum; false when the
// journal is not whole. Stream errors propagate.
bool ZAReadJournal(TStream* journal, TZAJournalRecord& record);

// Writes tailSize bytes of the journal's tail over the archive at
// restorePoint, then cuts the archive to restorePoint + tailSize. The old
// bytes go over what is there before the file is cut, so a disk that
// filled up needs no new room. Stream errors propagate.
void ZARestoreTail(TStream* journal, TStream* archive, Int64 restorePoint, Int64 tailSize);

// Copies tailSize bytes of a tail kept elsewhere (from its start) over the
// archive at restorePoint and cuts the archive after them.
void ZARestoreTailFrom(TStream* tail, TStream* archive, Int64 restorePoint, Int64 tailSize);

// What a file found at the journal's name is to the archive.
enum TZAJournalOutcome : uint8_t {
  jrNotJournal,  // it does not start with a journal's header: not ours, left alone
  jrForeign,     // a journal of another file, or of this one before it changed
  jrDamaged,     // this archive's journal, but not whole: kept, the archive may be torn
  jrComplete,    // this archive's complete journal: it puts the archive back
  jrApplied,     // this archive's complete journal whose old bytes the
                 // archive holds already: putting it back changes nothing
};

// Checks the journal against the archive as it is now (its identity, its
// length and the checksum of the bytes before the restore point; for a
// complete journal, whether the archive holds its tail already). Stream
// errors propagate.
TZAJournalOutcome ZACheckJournal(TStream* journal, TStream* archive, const TZAJournalIdentity& identity,
                                 TZAJournalRecord& record);

// Checks the journal and, when it is this archive's complete journal, puts
// the archive back from it (not yet flushed). Stream errors propagate.
TZAJournalOutcome ZARollBackFromJournal(TStream* journal, TStream* archive, const TZAJournalIdentity& identity);

}  // namespace sk
