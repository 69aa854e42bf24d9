// The archiver component: compression settings, guards, the version text, the
// engine's lock, opening and closing, the comment and the switch between file
// and memory.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "ArchiverTestSupport.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"
#include "platform/runtime/FormatSettings.h"
#include "zip/ZAConst.h"

namespace sk {
namespace {

class ZAArchiver : public ScratchFolderTest {
 protected:
  ZAArchiver() : ScratchFolderTest("sk_archiver") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
  }
};

TEST_F(ZAArchiver, ANewZipArchiverWritesDeflate) {
  TZipArchiver zip;
  EXPECT_TRUE(zip.isZIPFormat);
  EXPECT_EQ(zip.CompressionLevel(), za_clFastest);
  EXPECT_EQ(zip.CompressionMode(), 1);
  EXPECT_EQ(zip.CompressionMethod(), 8);
  EXPECT_EQ(zip.Zip64Mode(), zmDisabled);
  EXPECT_TRUE(zip.FOpenCorruptedArchives);
  TZABaseArchiver base;
  EXPECT_FALSE(base.isZIPFormat);
  EXPECT_EQ(base.CompressionMethod(), 0xFFFF);
  EXPECT_EQ(base.FZip64Mode, zmAuto);
}

TEST_F(ZAArchiver, CompressionModeAndLevelFollowEachOther) {
  TZipArchiver zip;
  const struct {
    Byte mode;
    TZACompressionLevel level;
    Word method;
  } modes[] = {{0, za_clNone, 0},   {1, za_clFastest, 8}, {3, za_clFastest, 8}, {4, za_clNormal, 8},
               {6, za_clNormal, 8}, {7, za_clMax, 8},     {9, za_clMax, 8}};
  for (const auto& m : modes) {
    zip.SetCompressionMode(m.mode);
    EXPECT_EQ(zip.CompressionLevel(), m.level) << int(m.mode);
    EXPECT_EQ(zip.CompressionMethod(), m.method) << int(m.mode);
  }
  zip.SetCompressionMode(6);
  EXPECT_EQ(EngineErrorOf([&] { zip.SetCompressionMode(10); }), 5);
  EXPECT_EQ(zip.CompressionMode(), 6);
  EXPECT_EQ(zip.CompressionLevel(), za_clNormal);

  zip.SetCompressionLevel(za_clNormal);
  EXPECT_EQ(zip.CompressionMode(), 6);
  zip.SetCompressionLevel(za_clFastest);
  EXPECT_EQ(zip.CompressionMode(), 1);
  zip.SetCompressionLevel(za_clMax);
  EXPECT_EQ(zip.CompressionMode(), 9);
  zip.SetCompressionLevel(za_clNone);
  EXPECT_EQ(zip.CompressionMode(), 0);
  EXPECT_EQ(zip.CompressionMethod(), 0);
}

TEST_F(ZAArchiver, VersionTextUsesADotWhateverTheLocale) {
  TZipArchiver zip;
  const TFormatSettings saved = FormatSettings;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(zip.GetCurrentVersionText(), u"6.94 ");
  internalCurrentVersionText = u"(suite)";
  EXPECT_EQ(zip.GetCurrentVersionText(), u"6.94 (suite)");
  internalCurrentVersionText.clear();
  EXPECT_EQ(FormatSettings.DecimalSeparator, u',');
  FormatSettings = saved;
  zip.SetCurrentVersionText(u"ignored");
  EXPECT_EQ(zip.GetCurrentVersionText(), u"6.94 ");
}

TEST_F(ZAArchiver, ShareModesAsFileFlags) {
  EXPECT_EQ(TZABaseArchiver::ShareModeToInt(smShareCompat), 0);
  EXPECT_EQ(TZABaseArchiver::ShareModeToInt(smShareExclusive), 0x10);
  EXPECT_EQ(TZABaseArchiver::ShareModeToInt(smShareDenyWrite), 0x20);
  EXPECT_EQ(TZABaseArchiver::ShareModeToInt(smShareDenyRead), 0x30);
  EXPECT_EQ(TZABaseArchiver::ShareModeToInt(smShareDenyNone), 0x40);
}

TEST_F(ZAArchiver, TheLockIsRecursiveAndShared) {
  TZipArchiver a, b;
  a.Lock();
  a.Lock();
  b.Lock();  // the same process-wide lock, held by this thread
  b.Unlock();
  a.Unlock();
  a.Unlock();
}

TEST_F(ZAArchiver, GuardsOfAClosedArchive) {
  TZipArchiver zip;
  EXPECT_EQ(EngineErrorOf([&] { zip.CheckInactive(); }), 13);
  EXPECT_EQ(EngineErrorOf([&] { zip.GetArchiveSize(); }), 13);
  EXPECT_EQ(EngineErrorOf([&] { zip.GetFileCount(); }), 13);
  EXPECT_EQ(EngineErrorOf([&] { zip.SetFileComment("c"); }), 13);
  EXPECT_EQ(zip.GetFileComment(), "");
  zip.FUpdateCount = 1;
  EXPECT_TRUE(zip.GetInUpdate());
  EXPECT_EQ(EngineErrorOf([&] { zip.CheckInUpdate(); }), 26);
  zip.FUpdateCount = 0;
  EXPECT_EQ(EngineErrorOf([&] { zip.CheckInUpdate(); }), -1);
}

TEST_F(ZAArchiver, SpanningModeCannotChangeOnAnOpenArchive) {
  TZipArchiver zip;
  zip.SetSpanningMode(smSplitting);
  zip.SetSpanningMode(smNone);
  zip.FFileName = File("a.zip");
  zip.SetActive(true);
  try {
    zip.SetSpanningMode(smSplitting);
    ADD_FAILURE() << "no exception";
  } catch (const EZAException&) {
    ADD_FAILURE() << "an engine error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Cannot set spanning mode on open archive");
  }
  EXPECT_EQ(zip.SpanningMode(), smNone);
}

TEST_F(ZAArchiver, ANewArchiveIsAnEmptyZipWhenClosed) {
  {
    TZipArchiver zip;
    zip.FFileName = File("new.zip");
    zip.SetActive(true);
    EXPECT_TRUE(zip.GetActive());
    EXPECT_EQ(zip.GetFileCount(), 0);
  }
  const std::string bytes = ReadRaw("new.zip");
  ASSERT_EQ(bytes.size(), 22u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x05\x06"));
}

TEST_F(ZAArchiver, FileCountLeavesFoldersOut) {
  WriteRaw("three.zip", WriteStoredArchive({{u"a.txt", "aaa"}, {u"sub/", "", 0x10}, {u"sub/b.txt", "bb"}}));
  TZipArchiver zip;
  zip.FFileName = File("three.zip");
  zip.SetActive(true);
  EXPECT_EQ(zip.GetFileCount(), 2);
  EXPECT_EQ(zip.DMHandle->CDir->Count(), 3);
  EXPECT_EQ(zip.GetArchiveSize(), static_cast<Int64>(ReadRaw("three.zip").size()));
}

TEST_F(ZAArchiver, OpeningRefusals) {
  TZipArchiver zip;
  EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(); }), 9);
  EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(fmOpenRead); }), 10);
  zip.FFileName = File("missing.zip");
  EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(fmOpenRead); }), 12);
  zip.SetInMemory(true);
  EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(fmOpenRead); }), 28);
  zip.SetInMemory(false);
  WriteRaw("junk.zip", std::string(100, 'x'));
  zip.FFileName = File("junk.zip");
  zip.FOpenCorruptedArchives = false;
  EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(); }), 48);
  EXPECT_FALSE(zip.GetActive());
  EXPECT_EQ(zip.FCompressedStream, nullptr);
  TMemoryStream custom;
  zip.SetSpanningMode(smSplitting);
  EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(&custom, true); }), 51);
}

TEST_F(ZAArchiver, AReadOnlyFileOpensForReading) {
  WriteRaw("ro.zip", WriteStoredArchive({{u"a.txt", "aaa"}}));
  ::chmod(Path("ro.zip").c_str(), 0444);
  if (::access(Path("ro.zip").c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights over every file";
  TZipArchiver zip;
  zip.FFileName = File("ro.zip");
  zip.SetActive(true);
  EXPECT_EQ(zip.FileOpenMode, fmOpenRead | fmShareDenyNone);
  EXPECT_EQ(zip.GetFileCount(), 1);
}

TEST_F(ZAArchiver, CommentIsWrittenAtOnceOutsideAnUpdate) {
  WriteRaw("c.zip", WriteStoredArchive({{u"a.txt", "aaa"}}));
  {
    TZipArchiver zip;
    zip.FFileName = File("c.zip");
    zip.SetActive(true);
    zip.SetFileComment("hello");
    EXPECT_EQ(zip.GetFileComment(), "hello");
  }
  TZipArchiver again;
  again.FFileName = File("c.zip");
  again.SetActive(true);
  EXPECT_EQ(again.GetFileComment(), "hello");
  EXPECT_EQ(again.GetFileCount(), 1);
}

TEST_F(ZAArchiver, CustomStreamsStayTheCallers) {
  TMemoryStream stream;
  {
    TZipArchiver zip;
    int opened = 0;
    zip.AfterOpen = [&](TObject* sender) {
      EXPECT_EQ(sender, &zip);
      ++opened;
    };
    zip.OpenArchive(&stream, true);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(stream.Size(), 22);
    zip.CloseArchive();
    EXPECT_FALSE(zip.GetActive());
  }
  EXPECT_EQ(stream.Size(), 22) << "the stream outlives the archiver";
}

TEST_F(ZAArchiver, EncryptedFromThePasswordOrFromTheEntries) {
  TZipArchiver zip;
  EXPECT_FALSE(zip.GetEncrypted());
  zip.SetPassword("pw");
  EXPECT_TRUE(zip.GetEncrypted());
  WriteRaw("plain.zip", WriteStoredArchive({{u"a.txt", "aaa"}}));
  zip.FFileName = File("plain.zip");
  zip.SetActive(true);
  EXPECT_FALSE(zip.GetEncrypted()) << "the entries say";
}

TEST_F(ZAArchiver, LeavingMemoryWithoutANameKeepsTheArchiveInMemory) {
  TZipArchiver zip;
  zip.SetInMemory(true);
  zip.SetActive(true);
  EXPECT_EQ(EngineErrorOf([&] { zip.SetInMemory(false); }), 29);
  EXPECT_TRUE(zip.InMemory());
  EXPECT_TRUE(zip.GetActive());
  EXPECT_NE(dynamic_cast<TMemoryStream*>(zip.FCompressedStream), nullptr);
}

// Leaving memory writes the image back only over the file it was read from,
// unchanged: another process's change since stays, and the archive stays in
// memory.
TEST_F(ZAArchiver, MemoryRoundTripKeepsTheArchive) {
  const std::string original = WriteStoredArchive({{u"a.txt", "aaa"}, {u"b.txt", "bbbb"}});
  for (const bool meanwhile : {false, true}) {
    SCOPED_TRACE(meanwhile);
    WriteRaw("m.zip", original);
    TZipArchiver zip;
    zip.FFileName = File("m.zip");
    zip.SetActive(true);
    zip.SetInMemory(true);
    EXPECT_TRUE(zip.GetActive());
    EXPECT_EQ(zip.GetFileCount(), 2) << "entering memory shows what the archive holds";
    zip.AddFromString(u"mine.txt", u"in memory", 0x20, 40000);
    if (meanwhile) Through(File("m.zip"), [](TZipArchiver& z) { z.AddFromString(u"o.txt", u"theirs", 0x20, 40000); });
    const std::string onDisk = ReadRaw("m.zip");
    EXPECT_EQ(EngineErrorOf([&] { zip.SetInMemory(false); }), meanwhile ? 71 : -1);
    EXPECT_EQ(zip.InMemory(), meanwhile);
    EXPECT_TRUE(zip.GetActive());
    EXPECT_EQ(zip.GetFileCount(), 3);
    EXPECT_EQ(ReadRaw("m.zip") == onDisk, meanwhile);
  }
}

TEST_F(ZAArchiver, AFailedWriteOnLeavingMemoryKeepsTheOldFileAndTheMemory) {
  WriteRaw("m.zip", "old bytes");
  TZipArchiver zip;
  zip.SetInMemory(true);
  zip.FFileName = File("m.zip");
  zip.SetActive(true);
  {
    // Files may grow to 10 bytes only: the 22-byte image cannot be written.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Int32 error = EngineErrorOf([&] { zip.SetInMemory(false); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(error, 19);
  }
  EXPECT_EQ(ReadRaw("m.zip"), "old bytes");
  EXPECT_TRUE(zip.InMemory());
  EXPECT_TRUE(zip.GetActive());
  EXPECT_EQ(zip.GetFileCount(), 0);
  zip.SetInMemory(false);
  EXPECT_EQ(ReadRaw("m.zip").size(), 22u);
}

}  // namespace
}  // namespace sk
