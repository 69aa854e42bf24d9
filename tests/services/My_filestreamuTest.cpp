// Stream strings under their limits, and members taken out of archives.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "ServicesTestSupport.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/ZipReader.h"
#include "services/My_filestreamu.h"

namespace sk {
namespace {

TBytes Counted(Int32 count, size_t units) {
  TBytes b(4 + units * 2, 'a');
  std::memcpy(b.data(), &count, 4);
  for (size_t i = 0; i < units; ++i) b[4 + 2 * i + 1] = 0;
  return b;
}

TEST(My_filestreamu, UnknownLengthPointersUnderTheirLimit) {
  {
    TBytesStream s(Counted(50000, 50000));
    TOwnedPWideChar p = ReadUnknownLengthPointer(&s);
    EXPECT_EQ(p.Length(), 50000u);
    EXPECT_EQ(temp_pointer_chars_allocated, 50000);
  }
  {
    TBytesStream s(Counted(50001, 50001));
    try {
      ReadUnknownLengthPointer(&s);
      FAIL();
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"file read error (50001) : ReadUnknownLengthPointer");
    }
  }
  {
    TBytesStream s(Counted(0, 0));
    TOwnedPWideChar p = ReadUnknownLengthPointer(&s);
    EXPECT_FALSE(p.IsNil());
    EXPECT_EQ(p.ToString(), u"");
  }
  TBytesStream negative(Counted(-1, 0));
  EXPECT_THROW(ReadUnknownLengthPointer(&negative), Exception);
  TBytesStream shortOne(Counted(10, 3));
  EXPECT_THROW(ReadUnknownLengthPointerMaxSize(&shortOne, INT32_MAX), EReadError);  // no huge allocation
  TBytesStream noCount(B({1, 2}));
  EXPECT_THROW(ReadUnknownLengthPointer(&noCount), EReadError);
}

TEST(My_filestreamu, WideStringsRoundTripWithGoldenBytes) {
  TMemoryStream s;
  EXPECT_TRUE(WriteUnknownLengthPointer(&s, u"ab"));
  EXPECT_TRUE(WriteUnknownLengthPointer(&s, nullptr));
  EXPECT_TRUE(WriteKnownLengthPointer(&s, u"xyz", 1));
  StreamWritePchar(&s, u"q");
  EXPECT_EQ(s.ToBytes(), B({2, 0, 0, 0, 'a', 0, 'b', 0, 0, 0, 0, 0, 1, 0, 0, 0, 'x', 0, 1, 0, 0, 0, 'q', 0}));
  s.SetPosition(0);
  EXPECT_EQ(ReadUnknownLengthPointer(&s).ToString(), u"ab");
  EXPECT_EQ(StreamReadPchar(&s).ToString(), u"");
  EXPECT_EQ(ReadUnknownLengthPointerMaxSize(&s, 1).ToString(), u"x");
  EXPECT_EQ(StreamReadPchar(&s).ToString(), u"q");
}

TEST(My_filestreamu, StreamReadPcharRefusesBadCountsBeforeAllocating) {
  struct Case {
    TBytes bytes;
    const char16_t* message;
  };
  const Case cases[] = {
      {Counted(-5, 0), u"file read error (-5) : StreamReadPchar"},
      {Counted(0x7FFFFFFF, 2), u"file read error (2147483647) : StreamReadPchar"},
      {Counted(3, 2), u"file read error (3) : StreamReadPchar"},
  };
  for (const Case& c : cases) {
    TBytesStream s(c.bytes);
    try {
      StreamReadPchar(&s);
      FAIL();
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(My_filestreamu, AnsiStrings) {
  TMemoryStream s;
  EXPECT_TRUE(StreamWritePAnsichar(&s, "hi"));
  EXPECT_TRUE(StreamWritePAnsichar(&s, nullptr));
  const std::string longest(65535, 'x'), tooLong(65536, 'y');
  EXPECT_TRUE(StreamWritePAnsichar(&s, longest.c_str()));
  const Int64 size = s.Size();
  EXPECT_FALSE(StreamWritePAnsichar(&s, tooLong.c_str()));
  EXPECT_EQ(s.Size(), size);  // nothing written
  s.SetPosition(0);
  EXPECT_STREQ(StreamReadPAnsichar(&s).get(), "hi");
  EXPECT_STREQ(StreamReadPAnsichar(&s).get(), "");
  EXPECT_EQ(std::string(StreamReadPAnsichar(&s).get()), longest);
  EXPECT_THROW(StreamReadPAnsichar(&s), EReadError);
  TBytesStream cut(B({5, 0, 'a', 'b'}));
  EXPECT_THROW(StreamReadPAnsichar(&cut), EReadError);
}

class My_filestreamuZip : public ScratchFolderTest {
 protected:
  My_filestreamuZip() : ScratchFolderTest("sk_zipmember") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    fSavedDir = GetCurrentDir();
    ASSERT_EQ(::mkdir(Path("out").c_str(), 0755), 0);
    ASSERT_TRUE(SetCurrentDir(File("out")));
    TZipFile zip;
    zip.Open(File("a.zip"), zmWrite);
    zip.Add(B("first"), u"one.txt");
    zip.Add(B("escaping"), u"../../evil.txt");
    zip.Add(B("deep"), u"sub/dir/two.txt");
    zip.Add(TBytes(), u"folder/");
    zip.Add(TBytes(2u << 20, '\n'), u"big.txt");  // deflates to a few KiB
    zip.Close();
  }
  void TearDown() override {
    SetCurrentDir(fSavedDir);
    ScratchFolderTest::TearDown();
  }
  String fSavedDir;
};

TEST_F(My_filestreamuZip, MembersLandUnderTheirLastNameAndNeverOverAFile) {
  EXPECT_EQ(ContentsOfFileWithinZipFile(File("a.zip"), 1), u"");
  EXPECT_EQ(ReadRaw("out/one.txt"), "first");
  ContentsOfFileWithinZipFile(File("a.zip"), 2);
  EXPECT_EQ(ReadRaw("out/evil.txt"), "escaping");
  EXPECT_FALSE(FileExists(File("evil.txt")));
  ContentsOfFileWithinZipFile(File("a.zip"), 3);
  EXPECT_EQ(ReadRaw("out/two.txt"), "deep");
  ContentsOfFileWithinZipFile(File("a.zip"), 4);  // a folder entry: nothing
  WriteRaw("out/one.txt", "the user's");
  ContentsOfFileWithinZipFile(File("a.zip"), 1);
  EXPECT_EQ(ReadRaw("out/one.txt"), "the user's");
  EXPECT_EQ(ContentsOfFileWithinZipFile(File("a.zip"), 0), u"");
  EXPECT_EQ(ContentsOfFileWithinZipFile(File("a.zip"), 9), u"");
  EXPECT_EQ(ContentsOfFileWithinZipFile(File("missing.zip"), 1), u"");
  WriteRaw("bad.zip", "not a zip at all");
  EXPECT_EQ(ContentsOfFileWithinZipFile(File("bad.zip"), 1), u"");
  EXPECT_EQ(ContentsOfFileWithinZipFile(File("a.zip")), u"");
}

TEST_F(My_filestreamuZip, TempNameInTheRoamingFolder) {
  ScopedEnvVar config("XDG_CONFIG_HOME", Path("cfg").c_str());
  ASSERT_TRUE(ForceDirectories(File("cfg/Quillmark_64_9")));
  const String name = File("cfg/Quillmark_64_9/tempzip.txt");
  EXPECT_EQ(OpenedAZipFileToTempDir(File("a.zip"), 7), name);
  EXPECT_FALSE(FileExists(name));
  EXPECT_EQ(OpenedAZipFileToTempDir(File("a.zip"), 3), name);
  EXPECT_EQ(ReadRaw("cfg/Quillmark_64_9/tempzip.txt"), "\xFF\xFE");
  EXPECT_EQ(ReadRaw("out/two.txt"), "deep");
}

TEST_F(My_filestreamuZip, MembersPastTheInflateBoundsAreRefused) {
  // Within the bounds, past their total, out of proportion to the archive.
  const TZipInflateBounds saved = zip_InflateBounds, cases[] = {saved, {1 << 20, 1 << 20, 0}, {1 << 30, 100, 1 << 20}};
  for (const TZipInflateBounds& bounds : cases) {
    zip_InflateBounds = bounds;
    ContentsOfFileWithinZipFile(File("a.zip"), 5);
    EXPECT_EQ(DeleteFile(File("out/big.txt")), &bounds == cases);
  }
  zip_InflateBounds = saved;
}

}  // namespace
}  // namespace sk
