#include "zip/ZAJournal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/runtime/FileReplace.h"
#include "platform/runtime/Strings.h"
#include "zip/ZARecords.h"
#include "zip/ZAUtils.h"

namespace sk {

namespace {

constexpr Int64 kCopyBuffer = 1048576;
constexpr char kSignature[8] = {'Z', 'A', 'J', 'R', 'N', 'L', '0', '1'};
constexpr size_t kNameMax = 255;
constexpr char kSuffix[] = "-journal";

void PutLE64At(Byte* p, Int64 v) { PutLE64(p, static_cast<UInt64>(v)); }

// FNV-1a, 64 bits: a short, stable tag of a long name.
UInt64 NameHash(const std::string& s) {
  UInt64 h = 1469598103934665603ull;
  for (unsigned char ch : s) {
    h ^= ch;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

String ZAJournalFileName(const String& archiveName) {
  const std::string path = StringToUtf8(archiveName);
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = path.substr(folder.size());
  if (base.size() + sizeof kSuffix - 1 <= kNameMax) return Utf8ToString(folder + base + kSuffix);
  // Too long a name is cut on a character boundary and tagged with a hash of
  // the whole, so that two long names that share their start keep apart.
  char tag[18];
  std::snprintf(tag, sizeof tag, "-%016llx", static_cast<unsigned long long>(NameHash(base)));
  return Utf8ToString(folder + TemporarySiblingName("", base, tag + std::string(kSuffix)));
}

void ZAWriteJournal(TStream* archive, TStream* journal, Int64 restorePoint, Int64 originalSize) {
  const Int64 tailSize = originalSize - restorePoint;
  Byte record[ZAJournalRecordSize];
  std::memcpy(record, kSignature, sizeof kSignature);
  PutLE64At(record + 8, originalSize);
  PutLE64At(record + 16, restorePoint);
  PutLE64At(record + 24, tailSize);
  Cardinal crc = 0xFFFFFFFFu;
  TBytes buffer(static_cast<size_t>(std::max<Int64>(1, std::min(kCopyBuffer, tailSize))));
  archive->Seek(restorePoint, soBeginning);
  journal->Seek(0, soBeginning);
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

bool ZAReadJournal(TStream* journal, TZAJournalRecord& record) {
  const Int64 size = journal->Size();
  if (size < ZAJournalRecordSize) return false;
  Byte raw[ZAJournalRecordSize];
  journal->Seek(size - ZAJournalRecordSize, soBeginning);
  journal->ReadBuffer(raw, ZAJournalRecordSize);
  if (std::memcmp(raw, kSignature, sizeof kSignature) != 0) return false;
  const UInt64 original = GetLE64(raw + 8);
  const UInt64 restorePoint = GetLE64(raw + 16);
  const UInt64 tail = GetLE64(raw + 24);
  constexpr UInt64 kMax = static_cast<UInt64>(std::numeric_limits<Int64>::max() / 2);
  if (original > kMax || restorePoint > kMax || tail != static_cast<UInt64>(size - ZAJournalRecordSize) ||
      restorePoint + tail != original)
    return false;
  Cardinal crc = 0xFFFFFFFFu;
  TBytes buffer(static_cast<size_t>(std::max<UInt64>(1, std::min<UInt64>(kCopyBuffer, tail))));
  journal->Seek(0, soBeginning);
  for (UInt64 done = 0; done < tail;) {
    const Int64 n = static_cast<Int64>(std::min<UInt64>(buffer.size(), tail - done));
    journal->ReadBuffer(buffer.data(), n);
    crc = ZACRC32Update(crc, buffer.data(), n);
    done += static_cast<UInt64>(n);
  }
  crc = ZACRC32Update(crc, raw + 8, 24) ^ 0xFFFFFFFFu;
  if (crc != GetLE32(raw + 32)) return false;
  record.originalSize = static_cast<Int64>(original);
  record.restorePoint = static_cast<Int64>(restorePoint);
  record.tailSize = static_cast<Int64>(tail);
  return true;
}

void ZARestoreTail(TStream* tail, TStream* archive, Int64 restorePoint, Int64 tailSize) {
  archive->Seek(restorePoint, soBeginning);
  tail->Seek(0, soBeginning);
  TBytes buffer(static_cast<size_t>(std::max<Int64>(1, std::min(kCopyBuffer, tailSize))));
  for (Int64 done = 0; done < tailSize;) {
    const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), tailSize - done);
    tail->ReadBuffer(buffer.data(), n);
    archive->WriteBuffer(buffer.data(), n);
    done += n;
  }
  archive->SetSize(restorePoint + tailSize);
}

TZAJournalOutcome ZARollBackFromJournal(TStream* journal, TStream* archive) {
  TZAJournalRecord record;
  if (!ZAReadJournal(journal, record)) return jrIncomplete;
  // An update never cuts its archive below the restore point.
  if (record.restorePoint > archive->Size()) return jrForeign;
  ZARestoreTail(journal, archive, record.restorePoint, record.tailSize);
  return jrRestored;
}

}  // namespace sk
