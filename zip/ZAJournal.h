// The rollback journal of an archive update. Before an update changes the
// first byte of an archive file, the bytes it will overwrite (from the
// restore point to the end) go into a journal file beside the archive,
// followed by a record of the archive's old length, the restore point and a
// checksum. A journal whose record checks out can put the archive back as it
// was, whatever state the update left it in; one that does not was never
// finished, so the archive was never touched.
//
// Journal layout: the tail bytes, then the 36-byte record: the signature
// "ZAJRNL01", the old length, the restore point and the tail length (64-bit
// little-endian each), and the CRC-32 of the tail and those three numbers.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

inline constexpr Int64 ZAJournalRecordSize = 36;

struct TZAJournalRecord {
  Int64 originalSize = 0;
  Int64 restorePoint = 0;
  Int64 tailSize = 0;
};

// The journal's name: the archive's with "-journal" appended, so that any
// process finds it. Where that would pass the 255-byte limit of a name, the
// archive's name is shortened and a hash of the whole name keeps it apart
// from other archives'.
String ZAJournalFileName(const String& archiveName);

// Copies the archive from restorePoint to originalSize into the journal from
// its position 0, then writes the record. Stream errors propagate.
void ZAWriteJournal(TStream* archive, TStream* journal, Int64 restorePoint, Int64 originalSize);

// Reads the record at the journal's end and checks it against the journal's
// length and the checksum of its tail; false when the journal is
// incomplete. Stream errors propagate.
bool ZAReadJournal(TStream* journal, TZAJournalRecord& record);

// Writes tailSize bytes of tail, from its start, over the archive at
// restorePoint, then cuts the archive to restorePoint + tailSize. The old
// bytes go over what is there before the file is cut, so a disk that
// filled up needs no new room. Stream errors propagate.
void ZARestoreTail(TStream* tail, TStream* archive, Int64 restorePoint, Int64 tailSize);

// What a journal found at an open does to its archive.
enum TZAJournalOutcome : uint8_t {
  jrIncomplete,  // the journal was never finished: the archive was not touched
  jrRestored,    // the archive holds its old bytes again (not yet flushed)
  jrForeign,     // its restore point lies past the archive's end: it is not this archive's journal
};

// Reads the journal and, when it is complete and fits the archive, puts the
// archive back from it. Stream errors propagate.
TZAJournalOutcome ZARollBackFromJournal(TStream* journal, TStream* archive);

}  // namespace sk
