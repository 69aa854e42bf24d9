#include "zip/ZAJournal.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/Basic_processes.h"
#include "platform/runtime/Strings.h"
#include "zip/ZARecords.h"
#include "zip/ZAUtils.h"

namespace sk {

namespace {

constexpr Int64 kCopyBuffer = 1048576;

void PutLE64At(Byte* p, Int64 v) { PutLE64(p, static_cast<UInt64>(v)); }

// The CRC-32 of count bytes of the stream from its position on, added to crc.
Cardinal CrcOf(TStream* stream, Int64 count, Cardinal crc) {
  TBytes buffer(static_cast<size_t>(std::max<Int64>(1, std::min(kCopyBuffer, count))));
  for (Int64 done = 0; done < count;) {
    const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), count - done);
    stream->ReadBuffer(buffer.data(), n);
    crc = ZACRC32Update(crc, buffer.data(), n);
    done += n;
  }
  return crc;
}

// The checksum of the archive's bytes that a commit from restorePoint never
// changes: the most of ZipJournalCheckedBytes just before it.
Cardinal CheckedCrc(TStream* archive, Int64 from, Int64 restorePoint) {
  archive->Seek(from, soBeginning);
  return CrcOf(archive, restorePoint - from, 0xFFFFFFFFu) ^ 0xFFFFFFFFu;
}

}  // namespace

String ZAJournalFileName(const String& archivePath) {
  return SystemNameToString(ZipJournalFileName(StringToSystemName(archivePath)));
}

String ZAJournalFileNameOf(const String& archiveName) {
  return SystemNameToString(ZipJournalFileNameOf(StringToSystemName(archiveName)));
}

void ZAWriteJournal(TStream* archive, TStream* journal, Int64 restorePoint, Int64 originalSize,
                    const TZAJournalIdentity& identity) {
  const Int64 tailSize = originalSize - restorePoint;
  const Int64 checkedFrom = std::max<Int64>(0, restorePoint - ZipJournalCheckedBytes);
  Byte head[ZAJournalHeaderSize];
  std::memcpy(head, ZipJournalHeaderSignature, 8);
  PutLE64(head + 8, identity.device);
  PutLE64(head + 16, identity.inode);
  PutLE64At(head + 24, originalSize);
  PutLE64At(head + 32, restorePoint);
  PutLE64At(head + 40, checkedFrom);
  PutLE32(head + 48, CheckedCrc(archive, checkedFrom, restorePoint));
  PutLE32(head + 52, ZACRC32Update(0xFFFFFFFFu, head, 52) ^ 0xFFFFFFFFu);
  journal->Seek(0, soBeginning);
  journal->WriteBuffer(head, ZAJournalHeaderSize);

  Byte record[ZAJournalRecordSize];
  std::memcpy(record, ZipJournalRecordSignature, 8);
  PutLE64At(record + 8, originalSize);
  PutLE64At(record + 16, restorePoint);
  PutLE64At(record + 24, tailSize);
  Cardinal crc = ZACRC32Update(0xFFFFFFFFu, head, ZAJournalHeaderSize);
  TBytes buffer(static_cast<size_t>(std::max<Int64>(1, std::min(kCopyBuffer, tailSize))));
  archive->Seek(restorePoint, soBeginning);
  // A large tail yields to the host as it is copied; a Stop is for the
  // commit to honour once the journal is whole.
  TTimedYield yield;
  for (Int64 done = 0; done < tailSize;) {
    const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), tailSize - done);
    yield.Tick(static_cast<size_t>(n / 65536 + 1));
    archive->ReadBuffer(buffer.data(), n);
    crc = ZACRC32Update(crc, buffer.data(), n);
    journal->WriteBuffer(buffer.data(), n);
    done += n;
  }
  crc = ZACRC32Update(crc, record + 8, 24) ^ 0xFFFFFFFFu;
  PutLE32(record + 32, crc);
  journal->WriteBuffer(record, ZAJournalRecordSize);
}

namespace {

// Reads of a stream for the journal checks; a read that fails raises.
TZipReadAt StreamReader(TStream* stream) {
  return [stream](Byte* buffer, size_t count, Int64 offset) {
    stream->Seek(offset, soBeginning);
    stream->ReadBuffer(buffer, static_cast<Int64>(count));
    return true;
  };
}

void Fill(TZAJournalRecord& record, const TZipJournalHeader& header) {
  record.identity = {header.Device, header.Inode};
  record.originalSize = header.OriginalSize;
  record.restorePoint = header.RestorePoint;
  record.tailSize = header.TailSize;
  record.checkedFrom = header.CheckedFrom;
  record.checkedCrc = header.CheckedCrc;
}

}  // namespace

bool ZAReadJournalHeader(TStream* journal, TZAJournalRecord& record) {
  TZipJournalHeader header;
  if (!ZipReadJournalHeader(StreamReader(journal), journal->Size(), header)) return false;
  Fill(record, header);
  return true;
}

bool ZAReadJournal(TStream* journal, TZAJournalRecord& record) {
  TZipJournalHeader header;
  const Int64 size = journal->Size();
  if (!ZipReadJournalHeader(StreamReader(journal), size, header)) return false;
  Fill(record, header);
  return ZipJournalWhole(StreamReader(journal), size, header);
}

void ZARestoreTailFrom(TStream* tail, TStream* archive, Int64 restorePoint, Int64 tailSize) {
  archive->Seek(restorePoint, soBeginning);
  TBytes buffer(static_cast<size_t>(std::max<Int64>(1, std::min(kCopyBuffer, tailSize))));
  for (Int64 done = 0; done < tailSize;) {
    const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), tailSize - done);
    tail->ReadBuffer(buffer.data(), n);
    archive->WriteBuffer(buffer.data(), n);
    done += n;
  }
  archive->SetSize(restorePoint + tailSize);
}

void ZARestoreTail(TStream* journal, TStream* archive, Int64 restorePoint, Int64 tailSize) {
  journal->Seek(ZAJournalHeaderSize, soBeginning);
  ZARestoreTailFrom(journal, archive, restorePoint, tailSize);
}

TZAJournalOutcome ZACheckJournal(TStream* journal, TStream* archive, const TZAJournalIdentity& identity,
                                 TZAJournalRecord& record) {
  TZipJournalHeader header;
  const TZipJournalState state = ZipCheckJournal(StreamReader(journal), journal->Size(), StreamReader(archive),
                                                 archive->Size(), identity.device, identity.inode, header);
  if (state != zjsNotJournal) Fill(record, header);
  switch (state) {
    case zjsNotJournal: return jrNotJournal;
    case zjsForeign: return jrForeign;
    case zjsDamaged: return jrDamaged;
    case zjsComplete: return jrComplete;
    case zjsApplied: return jrApplied;
  }
  return jrNotJournal;
}

TZAJournalOutcome ZARollBackFromJournal(TStream* journal, TStream* archive, const TZAJournalIdentity& identity) {
  TZAJournalRecord record;
  const TZAJournalOutcome outcome = ZACheckJournal(journal, archive, identity, record);
  if (outcome == jrComplete) ZARestoreTail(journal, archive, record.restorePoint, record.tailSize);
  return outcome;
}

}  // namespace sk
