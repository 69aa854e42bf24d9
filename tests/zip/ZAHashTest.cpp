// The hash registry: what it refuses, how it finds descriptors, the SHA-1
// descriptor record, and hashing files through a descriptor.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <string>

#include "HashTestSupport.h"
#include "TestSupport.h"
#include "zip/ZAHash.h"
#include "zip/ZAsha1.h"

namespace sk {
namespace {

TEST(ZAHashDescriptor, SHA1RecordFieldsAndLayout) {
  EXPECT_EQ(offsetof(THashDesc, HInit), 12u);
  EXPECT_EQ(offsetof(THashDesc, HAlgNum), 36u);
  EXPECT_EQ(offsetof(THashDesc, HName), 40u);
  EXPECT_EQ(offsetof(THashDesc, HPtrOID), 60u);
  EXPECT_EQ(offsetof(THashDesc, HLenOID), 68u);
  EXPECT_EQ(offsetof(THashDesc, HReserved), 70u);

  const PHashDesc d = SHA1_Descriptor();
  EXPECT_EQ(d->HSig, 0x3D7A);
  EXPECT_EQ(d->HDSize, 96);
  EXPECT_EQ(d->HDVersion, 0x10003);
  EXPECT_EQ(d->HBlockLen, 64);
  EXPECT_EQ(d->HDigestlen, 20);
  EXPECT_EQ(d->HAlgNum, _SHA1);
  EXPECT_EQ(d->HAlgNum, 3);
  EXPECT_EQ(HashNameToString(d->HName), "SHA1");
  ASSERT_EQ(d->HLenOID, 6);
  const Int32 oid[6] = {1, 3, 14, 3, 2, 26};
  for (int i = 0; i < 6; ++i) EXPECT_EQ((*d->HPtrOID)[static_cast<size_t>(i)], oid[i]) << i;
  for (Byte b : d->HReserved) EXPECT_EQ(b, 0);
  EXPECT_EQ(reinterpret_cast<const void*>(d->HInit), reinterpret_cast<const void*>(&SHA1Init));
  EXPECT_EQ(reinterpret_cast<const void*>(d->HFinal), reinterpret_cast<const void*>(&SHA1FinalEx));
  EXPECT_EQ(reinterpret_cast<const void*>(d->HUpdateXL), reinterpret_cast<const void*>(&SHA1UpdateXL));
}

TEST(ZAHashRegistry, SHA1FoundByIdentityAndByNameInAnyCase) {
  StartHashRegistry();
  EXPECT_EQ(FindHash_by_ID(_SHA1), SHA1_Descriptor());
  EXPECT_EQ(FindHash_by_ID(_MD5), nullptr);
  EXPECT_EQ(FindHash_by_ID(_Whirlpool), nullptr);
  EXPECT_EQ(FindHash_by_ID(static_cast<THashAlgorithm>(9)), nullptr);
  EXPECT_EQ(FindHash_by_ID(static_cast<THashAlgorithm>(255)), nullptr);
  for (const char* name : {"SHA1", "sha1", "Sha1"}) EXPECT_EQ(FindHash_by_Name(name), SHA1_Descriptor()) << name;
  for (const char* name : {"SHA-1", "SHA", "", "SHA1 ", "SHA1XXXXXXXXXXXXXXXXXXXX", "MD5"})
    EXPECT_EQ(FindHash_by_Name(name), nullptr) << name;
}

TEST(ZAHashRegistry, RefusesDescriptorsThatFailTheChecks) {
  StartHashRegistry();
  static THashDesc bad[5];
  for (auto& d : bad) d = *SHA1_Descriptor();
  bad[0].HSig = 0x3D7B;
  bad[1].HDVersion = 0x10002;
  bad[2].HDSize = 95;
  bad[3].HAlgNum = _MD5;  // registered for SHA-1 but describing another algorithm
  bad[4].HName = MakeHashName("BAD");
  for (int i = 0; i < 4; ++i) {
    RegisterHash(_SHA1, &bad[i]);
    EXPECT_EQ(FindHash_by_ID(_SHA1), SHA1_Descriptor()) << i;
  }
  RegisterHash(_SHA1, nullptr);
  EXPECT_EQ(FindHash_by_ID(_SHA1), SHA1_Descriptor());
  RegisterHash(_MD4, &bad[4]);  // right slot for its HAlgNum only
  EXPECT_EQ(FindHash_by_ID(_MD4), nullptr);
  EXPECT_EQ(FindHash_by_Name("BAD"), nullptr);
  RegisterHash(static_cast<THashAlgorithm>(9), &bad[4]);
  EXPECT_EQ(FindHash_by_ID(static_cast<THashAlgorithm>(9)), nullptr);
}

TEST(ZAHashRegistry, LaterRegistrationReplacesAndLookupsCheckTheRecordEachTime) {
  StartHashRegistry();
  // Static, as the registry keeps its address; set afresh on every run (the
  // run below spoils it).
  static THashDesc other;
  other = *SHA1_Descriptor();
  other.HAlgNum = _MD4;
  other.HName = MakeHashName("sha1");  // same name in a slot searched earlier
  RegisterHash(_MD4, &other);
  EXPECT_EQ(FindHash_by_ID(_MD4), &other);
  EXPECT_EQ(FindHash_by_Name("SHA1"), &other);  // slots are searched in order
  // A record spoilt after registering is no longer found.
  other.HSig = 0;
  EXPECT_EQ(FindHash_by_ID(_MD4), nullptr);
  EXPECT_EQ(FindHash_by_Name("SHA1"), SHA1_Descriptor());

  static THashDesc replacement = *SHA1_Descriptor();
  RegisterHash(_SHA1, &replacement);
  EXPECT_EQ(FindHash_by_ID(_SHA1), &replacement);
  RegisterHash(_SHA1, SHA1_Descriptor());
  EXPECT_EQ(FindHash_by_ID(_SHA1), SHA1_Descriptor());
}

TEST(ZAHashGeneric, ThroughTheDescriptorAndNothingWithoutOne) {
  const PHashDesc sha1 = SHA1_Descriptor();
  THashDigest d{};
  HashFull(sha1, d, "abc", 3);
  EXPECT_EQ(ToHex(d, 20), "a9993e364706816aba3e25717850c26c9cd0d89d");
  THashContext c;
  sha1->HInit(c);
  HashUpdate(sha1, c, "a", 1);
  HashUpdate(sha1, c, "bc", 2);
  THashDigest d2{};
  sha1->HFinal(c, d2);
  EXPECT_EQ(d2, d);

  THashDesc bad = *sha1;
  bad.HSig = 1;
  THashDigest untouched;
  untouched.fill(0x5A);
  THashDigest e = untouched;
  HashFullXL(&bad, e, "abc", 3);
  HashFullXL(nullptr, e, "abc", 3);
  EXPECT_EQ(e, untouched);
}

int OpenFileCount() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

class ZAHashFile : public ScratchFolderTest {
 protected:
  ZAHashFile() : ScratchFolderTest("zahashfile") {}
};

TEST_F(ZAHashFile, DigestOfEveryLengthAroundTheBufferSize) {
  Byte buf[64];
  for (size_t len : {0, 1, 63, 64, 65, 128, 129, 1000}) {
    std::string content(len, '\0');
    for (size_t i = 0; i < len; ++i) content[i] = static_cast<char>(i * 7 + len);
    WriteRaw("f", content);
    THashDigest expected{};
    HashFullXL(SHA1_Descriptor(), expected, content.data(), static_cast<Int32>(len));
    for (Int64 bsize : {Int64{1}, Int64{7}, Int64{64}}) {
      THashDigest d{};
      Word err = 77;
      HashFile(File("f"), SHA1_Descriptor(), d, buf, bsize, err);
      EXPECT_EQ(err, 0);
      EXPECT_EQ(d, expected) << len << " through " << bsize;
    }
    // Without a buffer of its own the routine reads through one of its own.
    THashDigest d{};
    Word err = 77;
    HashFile(File("f"), SHA1_Descriptor(), d, nullptr, 0, err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(d, expected) << len;
  }
}

TEST_F(ZAHashFile, ErrorCodesAndEveryFileClosed) {
  WriteRaw("f", "content");
  Byte buf[16];
  const int before = OpenFileCount();
  const struct {
    String name;
    Word err;
  } cases[] = {
      {File("missing"), 2},
      {File("no-folder/f"), 2},
      {File("f/under-a-file"), 3},
      {Utf8ToString(fDir), 5},  // a folder is not a file to read
  };
  for (const auto& c : cases) {
    THashDigest d{};
    Word err = 0;
    HashFile(c.name, SHA1_Descriptor(), d, buf, sizeof buf, err);
    EXPECT_EQ(err, c.err) << StringToUtf8(c.name);
  }
  if (::geteuid() != 0) {  // the superuser reads any file
    ::chmod(Path("f").c_str(), 0);
    THashDigest d{};
    Word err = 0;
    HashFile(File("f"), SHA1_Descriptor(), d, buf, sizeof buf, err);
    EXPECT_EQ(err, 5);
  }
  THashDigest d{};
  Word err = 0;
  HashFile(File("f"), SHA1_Descriptor(), d, buf, sizeof buf, err);
  EXPECT_EQ(OpenFileCount(), before);
}

TEST_F(ZAHashFile, WithoutAValidDescriptorReports204AndTouchesNothing) {
  WriteRaw("f", "content");
  THashDesc bad = *SHA1_Descriptor();
  bad.HSig = 0;
  Byte buf[16];
  for (PHashDesc p : {static_cast<PHashDesc>(nullptr), static_cast<PHashDesc>(&bad)}) {
    THashDigest d;
    d.fill(0x33);
    Word err = 0;
    HashFile(File("f"), p, d, buf, sizeof buf, err);
    EXPECT_EQ(err, 204);
    for (Byte b : d) EXPECT_EQ(b, 0x33);
  }
}

}  // namespace
}  // namespace sk
