// Damaged archives: every cut, bit flips and inflated counts and lengths end
// in a load, an engine error or the stream's read error; never in a crash, a
// hang or a huge allocation (under the sanitizers every allocation made while
// a damaged archive is loaded is watched, and none may pass 16 MiB).
#include <gtest/gtest.h>

#include <atomic>

#include "ZipTestSupport.h"

#if defined(__SANITIZE_ADDRESS__)
#define SK_ZIP_TESTS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SK_ZIP_TESTS_ASAN 1
#endif
#endif

#ifdef SK_ZIP_TESTS_ASAN
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                                         void (*free_hook)(const volatile void*));
#endif

namespace sk {
namespace {

// The largest allocation made while a cap is in force.
std::atomic<bool> gWatching{false};
std::atomic<size_t> gLargest{0};

#ifdef SK_ZIP_TESTS_ASAN
void OnMalloc(const volatile void*, size_t size) {
  if (!gWatching.load(std::memory_order_relaxed)) return;
  size_t seen = gLargest.load(std::memory_order_relaxed);
  while (size > seen && !gLargest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
}
void OnFree(const volatile void*) {}
#endif

// For one test: no single allocation may pass the cap (checked under the
// sanitizers, where the allocator reports every allocation).
class TAllocationCap {
 public:
  explicit TAllocationCap(size_t cap) : fCap(cap) {
#ifdef SK_ZIP_TESTS_ASAN
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(&OnMalloc, &OnFree) != 0;
    (void)installed;
#endif
    gLargest = 0;
    gWatching = true;
  }
  ~TAllocationCap() {
    gWatching = false;
    EXPECT_LE(gLargest.load(), fCap);
  }
  TAllocationCap(const TAllocationCap&) = delete;
  TAllocationCap& operator=(const TAllocationCap&) = delete;

 private:
  size_t fCap;
};

constexpr size_t kCap = 16u << 20;

// A small archive with every kind of record: names with and without bit 11,
// a folder, a Unicode-name block, an AES block, a zip64 block, comments, a
// data-descriptor entry and zip64 end records.
std::string Sample() {
  TRawEntry a{DefaultCentral(), "a.txt", "", "entry comment", "hello"};
  TRawEntry folder{DefaultCentral(), "dir/"};
  folder.cd.externalAttr = 0x10;
  TRawEntry uni{DefaultCentral(), "u.txt"};
  uni.extra = Block(UnicodeExtraFieldHeaderID, "NUCX" + LE32(2) + LE16(0x00FC) + LE16('x'));
  uni.data = "unicode";
  TRawEntry aes{DefaultCentral(), "aes"};
  aes.cd.genPurposeFlag = ZAFlagEncrypted | ZAFlagUTF8Name;
  aes.extra = Block(AesExtraFieldHeaderID, LE16(2) + "AE" + "\x03" + LE16(0));
  TRawEntry z64{DefaultCentral(), "z64"};
  z64.data = "zip64 data";
  z64.keepSizes = true;
  z64.cd.crc32 = Crc32Of(z64.data);
  z64.cd.compSize = z64.cd.unCompSize = 0xFFFFFFFF;
  z64.extra = Block(Zip64ExtraFieldHeaderID, LE64(10) + LE64(10));
  z64.localExtra = Block(Zip64ExtraFieldHeaderID, LE64(10) + LE64(10));
  TRawEntry dd{DefaultCentral(), "dd"};
  dd.cd.genPurposeFlag = ZAFlagDataDescriptor;
  dd.data = "described";
  return WithZip64EndRecords(WriteRawArchive({a, folder, uni, aes, z64, dd}));
}

void ExpectSound(const TLoadOutcome& r, const std::string& what) {
  if (r.loaded) return;
  // 79: an entry leaves its sizes to a zip64 block that is not there.
  const bool known =
      r.readError || r.engineError == 35 || r.engineError == 40 || r.engineError == 57 || r.engineError == 79;
  EXPECT_TRUE(known) << what << ": engine error " << r.engineError;
}

TEST(ZADirManagerDamage, SampleLoads) {
  TLoadedArchive a(Sample());
  a.Load();
  ASSERT_EQ(a.Count(), 6);
  EXPECT_EQ(a.Item(2).Name, u"üx");
  EXPECT_EQ(a.Item(3).ZAEncryptionAlgorithm, caAES_256);
  EXPECT_EQ(a.Item(4).Zip64ExtInfo.compSize, 10u);
  EXPECT_TRUE(a.Dir().FZip64);
}

TEST(ZADirManagerDamage, CutsAtEveryLength) {
  TAllocationCap cap(kCap);
  const std::string archive = Sample();
  for (size_t n = 0; n <= archive.size(); ++n) {
    const std::string cut = archive.substr(0, n);
    ExpectSound(LoadBytes(cut, false), "cut " + std::to_string(n));
    ExpectSound(LoadBytes(cut, true), "cut " + std::to_string(n) + " corrupted allowed");
  }
}

TEST(ZADirManagerDamage, BitsFlippedInEveryByteOfTheDirectory) {
  TAllocationCap cap(kCap);
  const std::string archive = Sample();
  const size_t from = archive.find("PK\x01\x02");
  for (size_t i = from; i < archive.size(); ++i) {
    for (int bit : {0, 3, 7}) {  // the low bit, the middle, the top
      std::string flipped = archive;
      flipped[i] = static_cast<char>(flipped[i] ^ (1 << bit));
      ExpectSound(LoadBytes(flipped, false), "flip " + std::to_string(i) + "." + std::to_string(bit));
      ExpectSound(LoadBytes(flipped, true), "flip " + std::to_string(i) + "." + std::to_string(bit));
    }
  }
}

TEST(ZADirManagerDamage, EveryByteOfTheLocalHeadersSetHigh) {
  TAllocationCap cap(kCap);
  // Without a directory the rebuild reads every local header.
  const std::string archive = Sample();
  const std::string locals = archive.substr(0, archive.find("PK\x01\x02"));
  for (size_t i = 0; i < locals.size(); ++i) {
    for (int v : {0x00, 0x7F, 0xFF}) {
      std::string changed = locals;
      changed[i] = static_cast<char>(v);
      ExpectSound(LoadBytes(changed, false), "local byte " + std::to_string(i));
    }
  }
}

TEST(ZADirManagerDamage, InflatedCountsAndSizes) {
  TAllocationCap cap(kCap);
  const std::string plain = WriteStoredArchive({{u"a", "1"}, {u"b", "22"}, {u"c", "333"}});
  const std::string z64 = WithZip64EndRecords(plain);
  const size_t end = plain.size() - 22;
  const size_t zrec = z64.size() - 98;
  const size_t loc = z64.size() - 42;
  struct Patch {
    const std::string* base;
    size_t at;
    std::string bytes;
    const char* what;
  };
  const Patch patches[] = {
      {&plain, end + 8, LE16(0xFFFE) + LE16(0xFFFE), "16-bit counts"},
      {&plain, end + 8, LE16(0xFFFF) + LE16(0xFFFF), "16-bit counts of all ones without zip64"},
      {&plain, end + 12, LE32(0xFFFFFFF0), "directory size"},
      {&plain, end + 12, LE32(46), "directory size too small for the count"},
      {&plain, end + 16, LE32(0xFFFFFFF0), "directory offset"},
      {&plain, end + 20, LE16(0xFFFF), "comment length"},
      {&z64, zrec + 24, LE64(0xFFFFFFFFFFFFull) + LE64(0xFFFFFFFFFFFFull), "zip64 counts"},
      {&z64, zrec + 32, LE64(1ull << 62), "zip64 count of the directory"},
      {&z64, zrec + 40, LE64(0xFFFFFFFFFFFFFFF0ull), "zip64 directory size"},
      {&z64, zrec + 48, LE64(0x7FFFFFFFFFFFFFFFull), "zip64 directory offset"},
      {&z64, loc + 8, LE64(0xFFFFFFFFFFFFFFF0ull), "locator offset"},
      {&z64, loc + 16, LE32(0xFFFFFFFF), "number of disks"},
      {&plain, plain.find("PK\x01\x02") + 28, LE16(0xFFFF), "name length"},
      {&plain, plain.find("PK\x01\x02") + 30, LE16(0xFFFF), "extra length"},
      {&plain, plain.find("PK\x01\x02") + 32, LE16(0xFFFF), "comment length of an entry"},
      {&plain, plain.find("PK\x01\x02") + 20, LE32(0xFFFFFFFF) + LE32(0xFFFFFFFF), "sizes of all ones without a block"},
      {&plain, 26, LE16(0xFFFF) + LE16(0xFFFF), "local name and extra lengths"},
      {&plain, 18, LE32(0xFFFFFFFF), "local compressed size"},
  };
  for (const Patch& p : patches) {
    std::string bytes = *p.base;
    bytes.replace(p.at, p.bytes.size(), p.bytes);
    const TLoadOutcome strict = LoadBytes(bytes, false);
    ExpectSound(strict, p.what);
    const TLoadOutcome lenient = LoadBytes(bytes, true);
    ExpectSound(lenient, p.what);
    // Either way nothing is invented: at most the three entries that are there.
    if (strict.loaded) {
      EXPECT_LE(strict.count, 3) << p.what;
    }
    if (lenient.loaded) {
      EXPECT_LE(lenient.count, 3) << p.what;
    }
  }
}

TEST(ZADirManagerDamage, DamagedDirectoryIsAnErrorOrARebuild) {
  TAllocationCap cap(kCap);
  const std::string plain = WriteStoredArchive({{u"a", "1"}, {u"b", "22"}, {u"c", "333"}});
  std::string bad = plain;
  bad.replace(bad.find("PK\x01\x02", bad.find("PK\x01\x02") + 1), 4, "XXXX");  // second central record
  const TLoadOutcome strict = LoadBytes(bad, false);
  EXPECT_EQ(strict.engineError, 57);
  const TLoadOutcome lenient = LoadBytes(bad, true);
  EXPECT_TRUE(lenient.loaded);
  EXPECT_EQ(lenient.count, 3);  // rebuilt from the local headers

  // Entries larger than the whole archive.
  std::string sizes = plain;
  sizes.replace(sizes.find("PK\x01\x02") + 20, 4, LE32(0x70000000));
  EXPECT_EQ(LoadBytes(sizes, false).engineError, 57);
  EXPECT_TRUE(LoadBytes(sizes, true).loaded);
}

}  // namespace
}  // namespace sk
