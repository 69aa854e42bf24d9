// Compression maps, CRC-32, the traditional cipher, wildcards, stored names
// and the file-system wrappers.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TestSupport.h"
#include "platform/runtime/DateUtils.h"
#include "zip/ZAConst.h"
#include "zip/ZAUtils.h"

namespace sk {
namespace {

TEST(ZAUtilsMaps, ModesLevelsBuffersAndHeaders) {
  struct Case {
    Int32 mode;
    TZACompressionLevel level;
    Int32 buffer;
    Word header;  // first byte low
  };
  const Case cases[] = {
      {0, za_clNone, 1048576, 0xDA78},    {1, za_clFastest, 524288, 0x0178}, {2, za_clFastest, 524288, 0x0178},
      {3, za_clFastest, 524288, 0x5E78},  {4, za_clNormal, 1048576, 0x5E78}, {5, za_clNormal, 1048576, 0x9C78},
      {6, za_clNormal, 1048576, 0x9C78},  {7, za_clMax, 1572864, 0xDA78},    {8, za_clMax, 1572864, 0xDA78},
      {9, za_clMax, 1572864, 0xDA78},     {10, za_clNone, 1048576, 0},       {-1, za_clNone, 1048576, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompressionModeToLevel(c.mode), c.level) << c.mode;
    EXPECT_EQ(CompressionModeToBufferSize(c.mode), c.buffer) << c.mode;
    EXPECT_EQ(CompressionModeToZLibHeader(c.mode), c.header) << c.mode;
  }
  EXPECT_EQ(CompressionLevelToMode(za_clNone), 0);
  EXPECT_EQ(CompressionLevelToMode(za_clFastest), 1);
  EXPECT_EQ(CompressionLevelToMode(za_clNormal), 6);
  EXPECT_EQ(CompressionLevelToMode(za_clMax), 9);
}

TEST(ZAUtilsCrc32, KnownAnswers) {
  const std::string check = "123456789";
  // The caller starts with all ones and inverts the result.
  EXPECT_EQ(~ZACRC32Update(0xFFFFFFFFu, check.data(), 9), 0xCBF43926u);
  EXPECT_EQ(ZACRC32Update(0xFFFFFFFFu, nullptr, 0), 0xFFFFFFFFu);
  // No inversion of its own: one step is the table rule.
  const Byte a = 'a';
  EXPECT_EQ(ZACRC32Update(0, &a, 1), (0u >> 8) ^ CRC32_TABLE[(0u ^ a) & 0xFF]);
  EXPECT_EQ(ZACRC32Update(0x12345678u, &a, 1), (0x12345678u >> 8) ^ CRC32_TABLE[(0x12345678u ^ a) & 0xFF]);
  // In pieces as in one go.
  Cardinal crc = 0xFFFFFFFFu;
  ZACRC32UpdateVar(crc, check.data(), 4);
  ZACRC32UpdateVar(crc, check.data() + 4, 5);
  EXPECT_EQ(~crc, 0xCBF43926u);
}

TEST(ZAUtilsTraditionalCipher, KnownAnswers) {
  TZipKey keys{};
  ZipEncryptKeyInit("password", keys);
  EXPECT_EQ(keys[0], 0xEA9B4E4D);
  EXPECT_EQ(keys[1], 0xBA789085);
  EXPECT_EQ(keys[2], 0x5FF8707D);

  // Twelve header bytes 0..11 and "hello" under "password".
  const TBytes cipher = B({0xEE, 0x10, 0xED, 0x77, 0x53, 0x93, 0x6E, 0x6B, 0x5C, 0x66, 0x14, 0xF7, 0xAC, 0x57,
                           0x1B, 0x4C, 0x02});
  TBytes plain = B({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 'h', 'e', 'l', 'l', 'o'});

  TBytes buf = plain;
  ZipEncryptKeyInit("password", keys);
  ZipEncryptBuffer(static_cast<Int64>(buf.size()), 0, buf.data(), keys);
  EXPECT_EQ(buf, cipher);

  TZipKeyHeader header{};
  std::copy(cipher.begin(), cipher.begin() + 12, header.begin());
  ZipKeyInit("password", keys, header);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(header[static_cast<size_t>(i)], i);
  TBytes rest(cipher.begin() + 12, cipher.end());
  ZipDecryptBuffer(rest.data(), static_cast<Int64>(rest.size()), keys);
  EXPECT_EQ(std::string(rest.begin(), rest.end()), "hello");

  // Byte by byte, and from a start index.
  ZipEncryptKeyInit("password", keys);
  for (size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(ZipEncryptByte(plain[i], keys), cipher[i]);
  TBytes shifted = B({0xAA, 0xBB});
  shifted.insert(shifted.end(), plain.begin(), plain.end());
  ZipEncryptKeyInit("password", keys);
  ZipEncryptBuffer(static_cast<Int64>(plain.size()), 2, shifted.data(), keys);
  EXPECT_EQ(shifted[0], 0xAA);
  EXPECT_EQ(TBytes(shifted.begin() + 2, shifted.end()), cipher);
  // Keys stay 32-bit values.
  for (Int64 k : keys) EXPECT_TRUE(k >= 0 && k <= 0xFFFFFFFFLL);
}

TEST(ZAUtilsWildcards, Patterns) {
  struct Case {
    const char* text;
    const char* pattern;
    bool ignoreCase;
    bool match;
  };
  const Case cases[] = {
      {"readme", "*.*", false, true},   {"a.txt", "*.TXT", true, true},  {"a.txt", "*.TXT", false, false},
      {"ab", "a?", false, true},        {"a", "a?", false, false},       {"a", "a*", false, true},
      {"a", "a**", false, false},       {"ab", "a**", false, true},      {"", "*", false, true},
      {"", "", false, true},            {"a", "", false, false},         {"", "?", false, false},
      {"abc", "*c", false, true},       {"abc", "*b", false, false},     {"abcbc", "*bc", false, true},
      {"x.tar.gz", "*.gz", false, true}, {"x.tar.gz", "*.tar", false, false},
      {"report", "r*p*t", false, true}, {"ab", "abc", false, false},     {"abc", "ab", false, false},
      {"a?c", "a?c", false, true},      {"AbC", "abc", true, true},      {"AbC", "a?C", false, false}, {"abC", "a?C", false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsStrMatchPattern(c.text, c.pattern, c.ignoreCase), c.match) << c.text << " " << c.pattern;
    EXPECT_EQ(WIsStrMatchPattern(S(c.text), S(c.pattern), c.ignoreCase), c.match) << c.text << " " << c.pattern;
  }
}

TEST(ZAUtilsWildcards, WideCharactersAndManyStars) {
  EXPECT_TRUE(WIsStrMatchPattern(u"ÉTÉ.txt", u"été.*", true));
  EXPECT_FALSE(WIsStrMatchPattern(u"ÉTÉ.txt", u"été.*", false));
  EXPECT_TRUE(WIsStrMatchPattern(u"日本.txt", u"??.txt", false));
  // Many stars against a long text that does not match ends quickly.
  const String text(3000, u'a');
  const String pattern = String(40, u'*') + u"b";
  EXPECT_FALSE(WIsStrMatchPattern(text, pattern, false));
  EXPECT_FALSE(IsStrMatchPattern(std::string(3000, 'a'), std::string(40, '*') + "b", false));
  EXPECT_TRUE(IsStrMatchPattern(std::string(3000, 'a') + "b", std::string(40, '*') + "b", false));
}

TEST(ZAUtilsStoredName, LinuxPaths) {
  struct Case {
    const char16_t* file;
    const char16_t* base;
    TZAStorePathMode mode;
    const char16_t* stored;
  };
  const Case cases[] = {
      {u"/data/sub/file.txt", u"/data", spRelativePath, u"sub/file.txt"},
      {u"/data/sub/file.txt", u"/data/", spRelativePath, u"sub/file.txt"},
      {u"/other/file.txt", u"/data", spRelativePath, u"other/file.txt"},
      {u"/data/sub/file.txt", u"/data", spNoPath, u"file.txt"},
      {u"/data/sub/file.txt", u"/data", spFullPath, u"data/sub/file.txt"},
      {u"/data/sub/file.txt", u"/data", spFullPathWithDrive, u"data/sub/file.txt"},
      {u"sub/file.txt", u"/data", spRelativePath, u"sub/file.txt"},
      {u"sub/../x/file.txt", u"/data", spRelativePath, u"x/file.txt"},
      {u"/data/sub/folder/", u"/data", spRelativePath, u"sub/folder"},
      {u"/data/a:b.txt", u"/data", spRelativePath, u"a:b.txt"},  // a colon is part of a Linux name
      {u"//server/share/dir/f.txt", u"/data", spFullPath, u"share/dir/f.txt"},
      {u"sub\\file.txt", u"/data", spRelativePath, u"sub/file.txt"},
      // Names handed in from Windows keep their meaning.
      {u"D:\\data\\sub\\file.txt", u"D:\\data", spRelativePath, u"sub/file.txt"},
      {u"D:\\other\\file.txt", u"D:\\data", spRelativePath, u"other/file.txt"},
      {u"D:\\data\\sub\\file.txt", u"D:\\data", spNoPath, u"file.txt"},
      {u"\\\\server\\share\\dir\\f.txt", u"D:\\data", spFullPath, u"share/dir/f.txt"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetStoredName(c.file, c.base, c.mode, u"/tmp"), c.stored) << StringToUtf8(c.file);
}

TEST(ZAUtilsStoredName, BaseFolderFromCurrentDirectory) {
  EXPECT_EQ(ZABaseFolder(u"", u"/work/cur"), u"/work/cur/");
  EXPECT_EQ(ZABaseFolder(u"rel", u"/work/cur"), u"/work/cur/rel/");
  EXPECT_EQ(ExpandToBaseDir(u"f.txt", u"", u"/work/cur"), u"/work/cur/f.txt");
  EXPECT_EQ(ExpandToBaseDir(u"/abs/./f.txt", u"/base", u"/work/cur"), u"/abs/f.txt");
  EXPECT_EQ(ExpandToBaseDir(u"", u"/base", u"/work/cur"), u"/base/");
  EXPECT_EQ(ExpandToBaseDir(u"C:\\x\\f", u"/base", u"/cur"), u"C:/x/f");
  EXPECT_EQ(GetStoredName(u"f.txt", u"", spRelativePath, u"/work/cur"), u"f.txt");
}

class ZAUtilsFiles : public ScratchFolderTest {
 protected:
  ZAUtilsFiles() : ScratchFolderTest("zautils") {}
};

TEST_F(ZAUtilsFiles, DelTreeIfNoFiles) {
  namespace fs = std::filesystem;
  fs::create_directories(Path("empty/a/b"));
  fs::create_directories(Path("empty/c"));
  EXPECT_TRUE(DelTreeIfNoFiles(File("empty")));
  EXPECT_FALSE(fs::exists(Path("empty")));

  fs::create_directories(Path("full/a/b"));
  fs::create_directories(Path("full/c"));
  WriteRaw("full/a/b/keep.txt", "x");
  EXPECT_FALSE(DelTreeIfNoFiles(File("full")));
  EXPECT_TRUE(fs::exists(Path("full/a/b/keep.txt")));

  // A link to a folder elsewhere is not walked: nothing behind it is removed.
  fs::create_directories(Path("outside/inner"));
  fs::create_directories(Path("linked"));
  fs::create_directory_symlink(Path("outside"), Path("linked/to_outside"));
  EXPECT_FALSE(DelTreeIfNoFiles(File("linked")));
  EXPECT_TRUE(fs::exists(Path("outside/inner")));
  EXPECT_TRUE(DelTreeIfNoFiles(File("missing")));
}

TEST_F(ZAUtilsFiles, AFileInAHeldFolderReplacesItsNameOnlyOnCommit) {
  namespace fs = std::filesystem;
  fs::create_directories(Path("d/sub"));
  WriteRaw("victim", "victim");
  WriteRaw("d/old", "old");
  ::chmod(Path("d/old").c_str(), 0640);
  fs::create_symlink(Path("victim"), Path("d/link"));
  const std::string longName(255, 'n');
  const int dir = ::open(Path("d").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(dir, 0);
  const TDateTime when = EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 0);
  struct Case {
    std::string name;
    bool commit, readOnly;
    std::string content;  // afterwards; empty when the name holds no file
    unsigned mode;        // afterwards, 0 when not checked
  };
  for (const Case& c : {Case{"old", false, false, "old", 0640}, Case{"old", true, false, "new", 0640},
                        Case{"link", true, false, "new", 0}, Case{longName, true, true, "new", 0},
                        Case{"fresh", false, false, "", 0}}) {
    SCOPED_TRACE(c.name.substr(0, 10));
    {
      TZAFolderFileStream out(dir, Utf8ToString(c.name));
      ASSERT_TRUE(out.Ok());
      out.WriteBuffer("new", 3);
      if (c.commit) {
        EXPECT_TRUE(out.Commit(when, c.readOnly));
      }
    }
    struct stat st;
    if (c.content.empty()) {
      EXPECT_NE(::lstat(Path("d/" + c.name).c_str(), &st), 0);
      continue;
    }
    ASSERT_EQ(::lstat(Path("d/" + c.name).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(ReadRaw("d/" + c.name), c.content);
    if (c.mode != 0) {
      EXPECT_EQ(st.st_mode & 07777, c.mode);
    }
    if (c.readOnly) {
      EXPECT_EQ(st.st_mode & 0222, 0u);
    }
    if (c.commit) {
      TDateTime age = 0;
      ASSERT_TRUE(FileAge(File("d/" + c.name), age));
      EXPECT_NEAR(age, when, 1.0 / 86400);
    }
  }
  EXPECT_EQ(ReadRaw("victim"), "victim");
  // A folder at the name is refused; no temporary file stays anywhere.
  EXPECT_FALSE(TZAFolderFileStream(dir, u"sub").Ok());
  size_t entries = 0;
  for (const auto& e : fs::directory_iterator(Path("d"))) entries += e.path().filename().string()[0] == '.';
  EXPECT_EQ(entries, 0u);
  ::close(dir);
}

TEST_F(ZAUtilsFiles, AttributesAndWrappers) {
  WriteRaw("f.txt", "abc");
  WriteRaw(".hidden", "");
  std::filesystem::create_directory(Path("d"));
  EXPECT_EQ(ZAFileGetAttr(File("f.txt")), faArchive);
  EXPECT_EQ(ZAFileGetAttr(File(".hidden")), faArchive | faHidden);
  EXPECT_EQ(ZAFileGetAttr(File("d")), faDirectory);
  EXPECT_EQ(ZAFileGetAttr(File("none")), -1);
  // A dangling link exists but its attributes cannot be read: the system-file attribute.
  std::filesystem::create_symlink(Path("nowhere"), Path("dangling"));
  EXPECT_EQ(ZAFileGetAttr(File("dangling")), faSysFile);

  EXPECT_TRUE(ZAFileSetAttr(File("f.txt"), faReadOnly));
  EXPECT_EQ(ZAFileGetAttr(File("f.txt")), faArchive | faReadOnly);
  EXPECT_TRUE(ZAFileSetAttr(File("f.txt"), faArchive));
  EXPECT_EQ(ZAFileGetAttr(File("f.txt")), faArchive);
  EXPECT_FALSE(ZAFileSetAttr(File("none"), 0));
  // A link is not followed: the file it points to keeps its permissions.
  std::filesystem::create_symlink(Path("f.txt"), Path("to_f"));
  EXPECT_FALSE(ZAFileSetAttr(File("to_f"), faReadOnly));
  EXPECT_EQ(ZAFileGetAttr(File("f.txt")), faArchive);

  EXPECT_EQ(ZAByteLength(u"abc"), 6);
  EXPECT_EQ(ZAStringReplace(u"a/b/c", u"/", u"\\"), u"a\\b\\c");
  EXPECT_EQ(ZAStringReplace(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(ZAStringReplace(u"abc", u"", u"x"), u"abc");
  EXPECT_EQ(ZAExtractRelativePath(u"/data/base/x.zip", u"/data/other/f.txt"), u"../other/f.txt");
  EXPECT_EQ(ZAExtractRelativePath(u"/data/", u"/data/sub/f.txt"), u"sub/f.txt");
  EXPECT_TRUE(ZACopyFile(File("f.txt"), File("g.txt"), true));
  EXPECT_FALSE(ZACopyFile(File("f.txt"), File("g.txt"), true));
  EXPECT_TRUE(ZARenameFile(File("g.txt"), File("h.txt")));
  EXPECT_TRUE(ZAFileExists(File("h.txt")));
  EXPECT_TRUE(ZADeleteFile(File("h.txt")));
  EXPECT_FALSE(ZAFileExists(File("h.txt")));
  EXPECT_FALSE(IsFloppyDrive(u"A:\\"));
  EXPECT_FALSE(IsRemovableDrive(File("f.txt")));
}

}  // namespace
}  // namespace sk
