#include "zip/ZAJournal.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/runtime/Strings.h"
#include "zip/ZARecords.h"
#include "zip/ZAUtils.h"

namespace sk {

namespace {

constexpr Int64 kCopyBuffer = 1048576;
constexpr UInt64 kMaxOffset = static_cast<UInt64>(std::numeric_limits<Int64>::max() / 4);

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
  return Utf8ToString(ZipJournalFileName(StringToUtf8(archivePath)));
}

String ZAJournalFileNameOf(const String& archiveName) {
  return Utf8ToString(ZipJournalFileNameOf(StringToUtf8(archiveName)));
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
  for (Int64 done = 0; done < tailSize;) {
    const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), tailSize - done);
    archive->ReadBuffer(buffer.data(), n);
    crc = ZACRC32Update(crc, buffer.data(), n);
    journal->WriteBuffer(buffer.data(), n);
    done += n;
  }
  crc = ZACRC32Update(crc, record + 8, 24) ^ 0xFFFFFFFFu;
  PutLE32(record + 32, crc);
  journal->WriteBuffer(record, ZAJournalRecordSize);
}

bool ZAReadJournalHeader(TStream* journal, TZAJournalRecord& record) {
  if (journal->Size() < ZAJournalHeaderSize) return false;
  Byte head[ZAJournalHeaderSize];
  journal->Seek(0, soBeginning);
  journal->ReadBuffer(head, ZAJournalHeaderSize);
  if (std::memcmp(head, ZipJournalHeaderSignature, 8) != 0 ||
      GetLE32(head + 52) != (ZACRC32Update(0xFFFFFFFFu, head, 52) ^ 0xFFFFFFFFu))
    return false;
  const UInt64 original = GetLE64(head + 24);
  const UInt64 restorePoint = GetLE64(head + 32);
  const UInt64 checkedFrom = GetLE64(head + 40);
  if (original > kMaxOffset || restorePoint > original || checkedFrom > restorePoint ||
      restorePoint - checkedFrom > static_cast<UInt64>(ZipJournalCheckedBytes))
    return false;
  record.identity = {GetLE64(head + 8), GetLE64(head + 16)};
  record.originalSize = static_cast<Int64>(original);
  record.restorePoint = static_cast<Int64>(restorePoint);
  record.tailSize = record.originalSize - record.restorePoint;
  record.checkedFrom = static_cast<Int64>(checkedFrom);
  record.checkedCrc = GetLE32(head + 48);
  return true;
}

bool ZAReadJournal(TStream* journal, TZAJournalRecord& record) {
  if (!ZAReadJournalHeader(journal, record)) return false;
  const Int64 size = journal->Size();
  if (size != ZAJournalHeaderSize + record.tailSize + ZAJournalRecordSize) return false;
  Byte raw[ZAJournalRecordSize];
  journal->Seek(size - ZAJournalRecordSize, soBeginning);
  journal->ReadBuffer(raw, ZAJournalRecordSize);
  if (std::memcmp(raw, ZipJournalRecordSignature, 8) != 0 ||
      GetLE64(raw + 8) != static_cast<UInt64>(record.originalSize) ||
      GetLE64(raw + 16) != static_cast<UInt64>(record.restorePoint) ||
      GetLE64(raw + 24) != static_cast<UInt64>(record.tailSize))
    return false;
  journal->Seek(0, soBeginning);
  Cardinal crc = CrcOf(journal, ZAJournalHeaderSize + record.tailSize, 0xFFFFFFFFu);
  crc = ZACRC32Update(crc, raw + 8, 24) ^ 0xFFFFFFFFu;
  return crc == GetLE32(raw + 32);
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
  if (!ZAReadJournalHeader(journal, record)) return jrNotJournal;
  // Bound to this file, as it is now: the same device and inode, and the
  // bytes before the restore point as the update found them. A commit from
  // the first byte never writes a journal (it replaces the whole file), so
  // a journal with nothing before its restore point binds to nothing.
  if (record.identity.device != identity.device || record.identity.inode != identity.inode ||
      record.restorePoint == 0 || record.restorePoint > archive->Size() ||
      CheckedCrc(archive, record.checkedFrom, record.restorePoint) != record.checkedCrc)
    return jrForeign;
  return ZAReadJournal(journal, record) ? jrComplete : jrIncomplete;
}

TZAJournalOutcome ZARollBackFromJournal(TStream* journal, TStream* archive, const TZAJournalIdentity& identity) {
  TZAJournalRecord record;
  const TZAJournalOutcome outcome = ZACheckJournal(journal, archive, identity, record);
  if (outcome == jrComplete) ZARestoreTail(journal, archive, record.restorePoint, record.tailSize);
  return outcome;
}

}  // namespace sk
