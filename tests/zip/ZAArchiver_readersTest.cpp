// Readers that hold an archive open while another process changes it: the
// archiver and the platform's zip reader read every entry whole, or say that
// another process changed it; never that an entry is damaged.
#include <gtest/gtest.h>

#include <vector>

#include "ArchiverTestSupport.h"
#include "ZipTestSupport.h"
#include "platform/runtime/ZipReader.h"

namespace sk {
namespace {

class ZAReaders : public ArchiverScratchTest {
 protected:
  ZAReaders() : ArchiverScratchTest("sk_readers") {}
  static String Name(Int32 i) {
    char n[24];
    std::snprintf(n, sizeof n, "f%05d.txt", i);
    return Utf8ToString(n);
  }
  // Version v of entry i's text: every version of an entry has its size.
  static std::string Text(Int32 i, Int32 v, size_t size) {
    std::string s;
    UInt64 x = static_cast<UInt64>(i) * 2654435761u + static_cast<UInt64>(v) * 40503u + 1;
    while (s.size() < size) {
      x = x * 6364136223846793005ull + 1442695040888963407ull;
      s += "the cat sat on a mat by the door "[(x >> 33) % 33];
    }
    return s;
  }
  void MakeArchive(Int32 entries, size_t size, Byte mode) {
    TZipArchiver zip;
    zip.FFileName = File("a.zip");
    zip.SetCompressionMode(mode);
    zip.OpenArchive(fmCreate);
    zip.BeginUpdate();
    for (Int32 i = 0; i < entries; ++i) zip.AddFromString(Name(i), Utf8ToString(Text(i, 0, size)), 0x20, 40000);
    zip.EndUpdate();
  }
  // Another archiver's update: the entries deleted, then the entries put in
  // (replacing ones of their names) with version v of their text.
  void Update(const std::vector<Int32>& deleted, const std::vector<Int32>& put, Int32 v, size_t size) {
    TZipArchiver writer;
    writer.FFileName = File("a.zip");
    writer.SetCompressionMode(0);
    writer.FOptions.FOverwriteMode = omAlways;
    writer.OpenArchive();
    writer.BeginUpdate();
    for (Int32 i : deleted) writer.DeleteFiles(Name(i), 0x28BF, String());
    for (Int32 i : put) writer.AddFromString(Name(i), Utf8ToString(Text(i, v, size)), 0x20, 40000);
    writer.EndUpdate();
  }
  // What the platform reader gives for member i: its bytes, or "!" and the
  // error's text.
  static std::string Outcome(TZipFile& zip, Int32 i) {
    try {
      TBytes bytes;
      zip.Read(i, bytes);
      return std::string(bytes.begin(), bytes.end());
    } catch (const Exception& e) {
      return "!" + StringToUtf8(e.Message());
    }
  }
};

TEST_F(ZAReaders, AStaleReaderNoticesAChangeAnywhereInALargeDirectory) {
  // 3,000 stored entries: a directory of far more than 64 KiB, and an early
  // entry replaced by one of its size leaves the archive's size as it was.
  constexpr size_t kSize = 100;
  struct Step {
    std::vector<Int32> replaced;                     // by another process, with version v
    Int32 v;
    std::vector<std::pair<Int32, Int32>> expected;  // then read: entry, version
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"an early entry replaced", {{{10}, 1, {{10, 1}, {20, 0}, {2999, 0}}}}},
      {"replaced again right after the reader read it anew",
       {{{10}, 1, {{10, 1}}}, {{10, 20}, 2, {{10, 2}, {20, 2}, {11, 0}}}}},
  };
  MakeArchive(3000, kSize, 0);
  const std::string before = ReadRaw("a.zip");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteRaw("a.zip", before);
    TZipArchiver reader;
    reader.FFileName = File("a.zip");
    reader.OpenArchive(fmOpenRead);
    ASSERT_GT(static_cast<Int64>(before.size()) - reader.DMHandle->CentralDirOffset, 65536);
    for (const Step& step : c.steps) {
      Update({}, step.replaced, step.v, kSize);
      ASSERT_EQ(ReadRaw("a.zip").size(), before.size());
      for (const auto& [entry, v] : step.expected) {
        const Int32 i = entry;
        SCOPED_TRACE(i);
        String text;
        EXPECT_EQ(EngineErrorOf([&] { reader.ExtractToString(Name(i), text); }), -1);
        EXPECT_EQ(StringToUtf8(text), Text(i, v, kSize));
      }
    }
  }
}

TEST_F(ZAReaders, ThePlatformReaderOpenedBeforeAnUpdateKilledPartWayNeverSaysDamaged) {
  // The update moves every entry after the second (through its journal); the
  // kills fall from before it starts to after it ends. Each entry reads
  // whole, or is said to be changed by another process.
  MakeArchive(20, 20000, 6);
  const std::string before = ReadRaw("a.zip");
  const auto update = [&] { Update({1}, {20, 21, 22}, 1, 200000); };
  const auto start = std::chrono::steady_clock::now();
  update();
  const auto took = std::chrono::steady_clock::now() - start;
  constexpr Int32 kKills = 16;
  for (Int32 k = 0; k < kKills; ++k) {
    SCOPED_TRACE(k);
    WriteRaw("a.zip", before);
    ::unlink(Path("a.zip-journal").c_str());
    TZipFile reader;
    reader.Open(File("a.zip"), zmRead);
    RunKilledAfter(took * k / (kKills - 4), update);
    for (Int32 i = 0; i < 20; ++i) {
      const std::string outcome = Outcome(reader, i);
      const bool saysChanged = outcome[0] == '!' && outcome.find("changed by another process") != std::string::npos;
      EXPECT_TRUE(saysChanged || outcome == Text(i, 0, 20000)) << i << outcome.substr(0, 200);
    }
  }
}

}  // namespace
}  // namespace sk
