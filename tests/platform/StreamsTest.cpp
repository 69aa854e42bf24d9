#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/runtime/Streams.h"
#include "TestSupport.h"

namespace sk {

namespace {

class TempDir : public ScratchFolder {
 public:
  TempDir() : ScratchFolder("sk_streams") {}
};

}  // namespace

TEST(StreamsMemory, WritingGrowsAndReadingStopsAtTheEnd) {
  TMemoryStream ms;
  EXPECT_EQ(ms.Write("abcdef", 6), 6);
  EXPECT_EQ(ms.Size(), 6);
  EXPECT_EQ(ms.Position(), 6);
  ms.SetPosition(4);
  char buf[10] = {};
  EXPECT_EQ(ms.Read(buf, 10), 2);  // a short read reports what it got
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(ms.Read(buf, 10), 0);
}

TEST(StreamsMemory, SeekingPastTheEndThenWritingFillsTheGapWithZeros) {
  TMemoryStream ms;
  ms.Write("ab", 2);
  EXPECT_EQ(ms.Seek(3, soEnd), 5);
  char buf[4];
  EXPECT_EQ(ms.Read(buf, 4), 0);  // nothing to read beyond the end
  EXPECT_EQ(ms.Size(), 2);        // seeking alone does not grow
  ms.Write("z", 1);
  EXPECT_EQ(ms.ToBytes(), B({'a', 'b', 0, 0, 0, 'z'}));
}

TEST(StreamsMemory, SeekingBeforeTheStartStaysAtTheStart) {
  TMemoryStream ms;
  ms.Write("abc", 3);
  EXPECT_EQ(ms.Seek(-10, soCurrent), 0);
  EXPECT_EQ(ms.Seek(-1, soEnd), 2);
  char c = 0;
  EXPECT_EQ(ms.Read(&c, 1), 1);
  EXPECT_EQ(c, 'c');
}

TEST(StreamsMemory, SetSizeShrinksAndGrowsWithZeros) {
  TMemoryStream ms;
  ms.Write("abcdef", 6);
  ms.SetSize(3);
  EXPECT_EQ(ms.Position(), 3);  // moved back to the new end
  ms.SetSize(5);
  EXPECT_EQ(ms.ToBytes(), B({'a', 'b', 'c', 0, 0}));
  ms.Clear();
  EXPECT_EQ(ms.Size(), 0);
  EXPECT_EQ(ms.Position(), 0);
}

TEST(StreamsMemory, ManySmallWritesKeepEveryByte) {
  TMemoryStream ms;
  for (int i = 0; i < 100000; ++i) {
    Byte b = static_cast<Byte>(i * 7);
    ms.WriteBuffer(&b, 1);
  }
  ASSERT_EQ(ms.Size(), 100000);
  const Byte* p = ms.Bytes();
  for (int i = 0; i < 100000; i += 9973) EXPECT_EQ(p[i], static_cast<Byte>(i * 7));
}

TEST(StreamsMemory, AppendingItsOwnBytesSurvivesTheGrowth) {
  TMemoryStream ms;
  ms.Write("abcd", 4);
  // The block is reallocated to make room while the bytes are taken from it.
  for (int i = 0; i < 12; ++i) ms.WriteBuffer(ms.Bytes(), ms.Size());
  ASSERT_EQ(ms.Size(), 4 << 12);
  for (Int64 i = 0; i < ms.Size(); i += 997) EXPECT_EQ(ms.Bytes()[i], "abcd"[i % 4]) << i;
  ms.SetPosition(1);  // overlapping copy inside the block
  ms.WriteBuffer(ms.Bytes(), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ms.Bytes()), 5), "aabca");
}

TEST(StreamsExact, ReadBufferRaisesOnAShortRead) {
  TBytesStream bs(B({1, 2, 3}));
  Byte buf[4];
  try {
    bs.ReadBuffer(buf, 4);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Stream read error");
  }
}

TEST(StreamsExact, LittleEndianValuesHaveTheirBytesInOrder) {
  TMemoryStream ms;
  ms.WriteValue<Int32>(0x01020304);
  ms.WriteValue<Word>(0xA1B2);
  ms.WriteValue<Double>(1.0);
  EXPECT_EQ(ms.ToBytes(), B({4, 3, 2, 1, 0xB2, 0xA1, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  ms.SetPosition(0);
  EXPECT_EQ(ms.ReadValue<Int32>(), 0x01020304);
  EXPECT_EQ(ms.ReadValue<Word>(), 0xA1B2);
  EXPECT_EQ(ms.ReadValue<Double>(), 1.0);
  Int32 v = 77;
  EXPECT_FALSE(ms.TryReadValue(v));
  EXPECT_EQ(v, 77);
  EXPECT_THROW(ms.ReadValue<Byte>(), EReadError);
}

TEST(StreamsExact, RemainingIsZeroPastTheEnd) {
  TBytesStream bs(B({1, 2, 3, 4}));
  bs.SetPosition(1);
  EXPECT_EQ(bs.Remaining(), 3);
  bs.SetPosition(10);
  EXPECT_EQ(bs.Remaining(), 0);
}

TEST(StreamsCopy, CountZeroCopiesTheWholeSourceFromItsStart) {
  TBytesStream src(B({1, 2, 3, 4, 5}));
  src.SetPosition(3);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&src, 0), 5);
  EXPECT_EQ(dst.ToBytes(), B({1, 2, 3, 4, 5}));
}

TEST(StreamsCopy, CountCopiesFromThePositionAndFailsWhenTheSourceIsShort) {
  TBytesStream src(B({1, 2, 3, 4, 5}));
  src.SetPosition(1);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&src, 3), 3);
  EXPECT_EQ(dst.ToBytes(), B({2, 3, 4}));
  EXPECT_THROW(dst.CopyFrom(&src, 5), EReadError);
}

TEST(StreamsCopy, LargeCopiesGoThroughInPieces) {
  TBytes big(3 * 1024 * 1024 + 17);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<Byte>(i % 251);
  TBytesStream src(big);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&src, 0), static_cast<Int64>(big.size()));
  EXPECT_EQ(dst.ToBytes(), big);
}

TEST(StreamsMemory, LoadFromStreamTakesTheWholeSourceAndRewinds) {
  TBytesStream src(B({9, 8, 7}));
  src.SetPosition(2);
  TMemoryStream ms;
  ms.Write("old", 3);
  ms.LoadFromStream(&src);
  EXPECT_EQ(ms.ToBytes(), B({9, 8, 7}));
  EXPECT_EQ(ms.Position(), 0);
  TMemoryStream out;
  ms.SetPosition(2);
  ms.SaveToStream(&out);  // the whole content, whatever the position
  EXPECT_EQ(out.ToBytes(), B({9, 8, 7}));
}

TEST(StreamsFile, CreateWriteReopenAndRead) {
  TempDir dir;
  const String name = dir.File("data.bin");
  {
    TFileStream f(name, fmCreate);
    f.WriteValue<Int32>(42);
    f.WriteBuffer("xyz", 3);
    EXPECT_EQ(f.Size(), 7);
  }
  TFileStream f(name, fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(f.Size(), 7);
  EXPECT_EQ(f.ReadValue<Int32>(), 42);
  char buf[8] = {};
  EXPECT_EQ(f.Read(buf, 8), 3);
  EXPECT_EQ(std::string(buf, 3), "xyz");
  EXPECT_EQ(f.Write("no", 2), 0);  // opened for reading only
}

TEST(StreamsFile, ReadWriteChangesInPlaceAndCreateTruncates) {
  TempDir dir;
  const String name = dir.File("rw.bin");
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("abcdef", 6);
  }
  {
    TFileStream f(name, fmOpenReadWrite);
    f.Seek(2, soBeginning);
    f.WriteBuffer("XY", 2);
    f.SetSize(5);
  }
  EXPECT_EQ(ReadFileBytes(dir.Path("rw.bin")), "abXYe");
  {
    TFileStream f(name, fmCreate);
  }
  EXPECT_EQ(ReadFileBytes(dir.Path("rw.bin")), "");
}

TEST(StreamsFile, FailuresRaiseWithTheFileName) {
  TempDir dir;
  const String missing = dir.File("missing.bin");
  try {
    TFileStream f(missing, fmOpenRead);
    FAIL() << "no exception";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind(u"Cannot open file \"" + missing + u"\". ", 0), 0u);
  }
  const String inMissingFolder = dir.File("no/such/folder.bin");
  try {
    TFileStream f(inMissingFolder, fmCreate);
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message().rfind(u"Cannot create file \"" + inMissingFolder + u"\". ", 0), 0u);
  }
  EXPECT_THROW(TFileStream(dir.File(""), fmOpenRead), EFOpenError);  // a folder is no file
  EXPECT_THROW(TFileStream(String(), fmOpenRead), EFOpenError);
}

TEST(StreamsFile, ExclusiveCreateRefusesAnExistingFile) {
  TempDir dir;
  const String name = dir.File("x.bin");
  { TFileStream f(name, fmCreate | fmExclusive); }
  EXPECT_THROW(TFileStream(name, fmCreate | fmExclusive), EFCreateError);
}

TEST(StreamsFile, NonAsciiNamesAreUsedAsUtf8) {
  TempDir dir;
  const String name = dir.File("\xC3\xA9t\xC3\xA9_\xE4\xB8\xAD.txt");
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("ok", 2);
  }
  EXPECT_EQ(ReadFileBytes(dir.Path("\xC3\xA9t\xC3\xA9_\xE4\xB8\xAD.txt")), "ok");
  TMemoryStream ms;
  ms.LoadFromFile(name);
  EXPECT_EQ(ms.Size(), 2);
}

}  // namespace sk
