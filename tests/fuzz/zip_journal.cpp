// Fuzz target: the rollback journal an open finds beside an archive. The
// input is the journal; the archive is a few hundred bytes. A journal that
// is applied, or found applied already, is bound to that archive (its
// identity and the bytes before its restore point) and leaves the archive at
// the length its record gives, holding its tail from the restore point; any
// other leaves the archive untouched.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/runtime/Streams.h"
#include "support/FuzzSupport.h"
#include "zip/ZAJournal.h"

using namespace sk;

namespace {

std::string Archive() {
  std::string a(400, '\0');
  for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<char>(i * 31 + 7);
  return a;
}

constexpr TZAJournalIdentity kIdentity{0x801, 4242};

TBytes JournalOf(const std::string& archive, Int64 restorePoint, TZAJournalIdentity identity = kIdentity) {
  TBytesStream source(TBytes(archive.begin(), archive.end()));
  TBytesStream out{TBytes()};
  ZAWriteJournal(&source, &out, restorePoint, static_cast<Int64>(archive.size()), identity);
  return TBytes(out.Bytes(), out.Bytes() + out.Size());
}

// Journals written by the writer itself: a tail from the start, from the
// middle, an empty tail, one of a longer archive, one of another file and
// one of the archive with other bytes before its restore point.
void WriteSeeds(fuzz::Seeds& seeds) {
  const std::string a = Archive();
  seeds.Add(JournalOf(a, 0));
  seeds.Add(JournalOf(a, 250));
  seeds.Add(JournalOf(a, static_cast<Int64>(a.size())));
  seeds.Add(JournalOf(a + std::string(100, 'x'), 380));
  seeds.Add(JournalOf(a, 120, {0x801, 4243}));
  std::string changed = a;
  changed[100] ^= 1;
  seeds.Add(JournalOf(changed, 120));
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string original = Archive();
  TBytesStream journal(TBytes(data, data + size));
  TBytesStream archive(TBytes(original.begin(), original.end()));
  TZAJournalRecord record;
  const bool complete = ZAReadJournal(&journal, record);
  const TZAJournalOutcome outcome = ZARollBackFromJournal(&journal, &archive, kIdentity);
  const std::string after(reinterpret_cast<const char*>(archive.Bytes()), static_cast<size_t>(archive.Size()));
  // A journal whose tail the archive holds already leaves it as it was.
  if (outcome == jrApplied) SK_FUZZ_CHECK(after == original);
  if (outcome == jrComplete || outcome == jrApplied) {
    SK_FUZZ_CHECK(complete);
    SK_FUZZ_CHECK(record.identity.device == kIdentity.device && record.identity.inode == kIdentity.inode);
    SK_FUZZ_CHECK(record.restorePoint > 0 && record.restorePoint <= static_cast<Int64>(original.size()));
    SK_FUZZ_CHECK(record.restorePoint - record.checkedFrom <= ZipJournalCheckedBytes);
    SK_FUZZ_CHECK(archive.Size() == record.originalSize);
    SK_FUZZ_CHECK(record.tailSize + ZAJournalHeaderSize + ZAJournalRecordSize == static_cast<Int64>(size));
    SK_FUZZ_CHECK(after.compare(0, static_cast<size_t>(record.restorePoint), original, 0,
                                static_cast<size_t>(record.restorePoint)) == 0);
    SK_FUZZ_CHECK(after.compare(static_cast<size_t>(record.restorePoint), std::string::npos,
                                reinterpret_cast<const char*>(data) + ZAJournalHeaderSize,
                                static_cast<size_t>(record.tailSize)) == 0);
  } else {
    SK_FUZZ_CHECK(after == original);
  }
  return 0;
}
