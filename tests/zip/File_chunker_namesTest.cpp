// Chunk sets of files whose names hold a byte 0x5C (a backslash, the second
// byte of many Shift-JIS characters), made by one process and restored by
// another; sets an older make wrote; and the neighbours that take a file's
// name from a stored one or the other way round.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "ArchiverTestSupport.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/ZipReader.h"
#include "zip/File_chunker.h"
#include "zip/ZAArchiver.h"
#include "zip/Zip_utils.h"

namespace sk {
namespace {

const std::string kSource = "\x83\x5C\x81[\x83X.bin";  // ソース.bin in Shift-JIS

class File_chunkerNames : public ScratchFolderTest {
 protected:
  File_chunkerNames() : ScratchFolderTest("chunker_names") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
  }
  String Sys(const std::string& relative) const { return SystemNameToString(Path(relative)); }
  std::set<std::string> Names(const std::string& folder) const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(Path(folder))) names.insert(e.path().filename().string());
    return names;
  }
  std::string FirstChunk(const std::string& set) const {
    for (const std::string& n : Names(set))
      if (n.rfind("chunk 1 of ", 0) == 0) return set + "/" + n;
    return set + "/none";
  }
  bool Restore(const std::string& set, const std::string& out) {
    std::filesystem::create_directories(Path(out));
    TFileChunker c;
    c.SetSourcename(Sys(FirstChunk(set)));
    c.SetDirRestoring(Sys(out));
    c.SetDirWorking(Sys(out));
    return c.RestoreAllChunks();
  }
};

// Each set is made in a folder whose name ends in 表 (0x95 0x5C); the last row
// restores into such a folder.
TEST_F(File_chunkerNames, ASetComesBackUnderItsSourcesBytes) {
  const struct {
    std::string source, out;
    bool zipToo, relative;
  } cases[] = {
      {kSource, "o1", false, false},       {"\x95\x5C.bin", "o2", false, false},  // 表.bin
      {"\x8F\x5C.bin", "o2", false, false},  // 十.bin, beside 表.bin
      {"a\\b.bin", "o3", false, false},    {"a\\b.bin", "o4", false, true},
      {kSource, "o5", true, false},        {kSource, "o6", true, true},
      {"plain.bin", "o7", false, false},   {"\xE3\x82\xBD.bin", "\x95\x5C", false, false},  // ソ.bin in UTF-8
  };
  std::map<std::string, std::set<std::string>> expected;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.source + " " + c.out);
    const std::string set = "set" + std::to_string(i) + "\x95\x5C";
    std::string content(700, '\0');
    for (size_t k = 0; k < content.size(); ++k) content[k] = static_cast<char>((k * k * 31 + i * 7 + k / 3) & 0xFF);
    std::filesystem::create_directories(Path(set));
    WriteRaw(c.source, content);
    const int made = EndOf(InChild([&] {
      if (c.relative && !SetCurrentDir(File(""))) return 2;
      TFileChunker maker;
      maker.SetSourcename(c.relative ? SystemNameToString(c.source) : Sys(c.source));
      maker.SetDirCreating(Sys(set));
      maker.SetDirWorking(Sys(set));
      maker.SetChunkSize(300);
      maker.SetZipToo(c.zipToo);
      return maker.MakeChunkFiles() > 1 ? 0 : 1;
    }));
    EXPECT_EQ(made, 0);
    if (made != 0) continue;
    // The header holds the name given, a backslash in it as U+DC5C.
    TFileStream first(Sys(FirstChunk(set)), fmOpenRead);
    TChunkSetHeader h;
    EXPECT_TRUE(ReadChunkSetHeader(&first, h));
    EXPECT_EQ(h.SourceName, StringReplace(SystemNameToString(c.relative ? c.source : Path(c.source)), u"\\",
                                          String(1, 0xDC5C), rfReplaceAll));
    EXPECT_TRUE(Restore(set, c.out));
    EXPECT_TRUE(ReadRaw(c.out + "/" + c.source) == content);
    expected[c.out].insert(c.source);
  }
  for (const auto& [out, names] : expected) EXPECT_EQ(Names(out), names) << out;
}

// An older make stored the backslash as it is: part of the name in a name of
// this system (a full path, or bytes that are not UTF-8), a separator in
// any other, as in names from Windows.
TEST_F(File_chunkerNames, ASetAnOlderMakeWroteRestoresAsItDidWhereThatWasRight) {
  const struct {
    String stored;
    std::string restored;
  } cases[] = {{SystemNameToString("/home/u/" + kSource), kSource},
               {SystemNameToString("\x95\\.bin"), "\x95\\.bin"},
               {u"/home/u/a\\b.bin", "a\\b.bin"},
               {u"C:\\data\\r.bin", "r.bin"},
               {u"data\\r.bin", "r.bin"}};
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].restored);
    const std::string set = "old" + std::to_string(i), out = "out" + std::to_string(i);
    std::filesystem::create_directories(Path(set));
    TMemoryStream chunk;
    TChunkSetHeader h;
    h.SourceName = cases[i].stored;
    h.ChunkSize = 1000;
    h.Count = 1;
    WriteChunkSetHeader(&chunk, h);
    const Int32 number = 0, sum = 'x' + 'y';
    chunk.WriteBuffer(&number, 4);
    chunk.WriteBuffer("xy", 2);
    chunk.WriteBuffer(&sum, 4);
    chunk.SaveToFile(File(set + "/chunk 1 of 1.tmp"));
    EXPECT_TRUE(Restore(set, out));
    EXPECT_EQ(Names(out), std::set<std::string>{cases[i].restored});
  }
}

// A file added to the platform's archive by its name (a Shift-JIS one has no
// UTF-8 form and is refused), the member written out by the glue, and a
// self-extracting copy made under a name with the byte.
TEST_F(File_chunkerNames, TheNeighboursKeepTheBytesOfTheName) {
  WriteRaw("a\\b.txt", "content");
  WriteRaw(kSource, "content");
  WriteRaw("stub", "MZ");
  TZipFile writer;
  writer.Open(File("platform.zip"), zmWrite);
  writer.Add(File("a\\b.txt"), String());
  EXPECT_ANY_THROW(writer.Add(Sys(kSource), String()));
  writer.Close();
  TZipFile reader;
  reader.Open(File("platform.zip"), zmRead);
  ASSERT_EQ(reader.FileCount(), 1);
  String member;
  EXPECT_TRUE(SaveAFileWithinZipfile(File("platform.zip") + u"/" + reader.FileName(0), File("saved"), member).OK);
  reader.Close();
  TZipArchiver zip;
  zip.FFileName = File("platform.zip");
  zip.FSFXStub = File("stub");
  std::filesystem::create_directories(Path("sfx"));
  zip.MakeSFX(Sys("sfx/" + kSource));
  const struct {
    std::string folder, name, content;
  } cases[] = {{"saved", "a\\b.txt", "content"}, {"sfx", kSource, "MZ"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(Names(c.folder), std::set<std::string>{c.name});
    EXPECT_NE(ReadRaw(c.folder + "/" + c.name).find(c.content), std::string::npos);
  }
}

}  // namespace
}  // namespace sk
