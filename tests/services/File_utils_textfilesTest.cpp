// Whole text files: encodings, reading, writing, converting, insertion that
// keeps every other byte, backups, checksums and the line-splitting list.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "ServicesTestSupport.h"
#include "core/Unicode_string_conversion.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileUtils.h"
#include "services/File_utils.h"

namespace sk {
namespace {

std::string W(const std::string& ascii) {
  std::string r;
  for (char c : ascii) {
    r.push_back(c);
    r.push_back('\0');
  }
  return r;
}

class File_utils_textfiles : public ScratchFolderTest {
 protected:
  File_utils_textfiles() : ScratchFolderTest("sk_text") {}
};

TEST(File_utils_textfilesList, DodgyLineBreaks) {
  struct Case {
    String text;
    std::vector<String> lines;
  };
  const Case cases[] = {
      {u"a\rb\nc\r\nd", {u"a", u"b", u"c", u"d"}},
      {u"a\r\n", {u"a"}},
      {u"\r\n", {u""}},
      {u"", {}},
      {u"a\n\rb", {u"a", u"", u"b"}},  // LF then CR: an empty line between
      {String(u"a\nb\0c\nd", 7), {u"a", u"b"}},  // NUL ends the text
      {u"\r\r", {u"", u""}},
  };
  for (const Case& c : cases) {
    TPossiblyDodgyTextStringlist list;
    list.SetTextStr(c.text);
    EXPECT_EQ(Lines(list), c.lines);
  }
  TPossiblyDodgyTextStringlist other;
  other.SetLineBreak(u"||");
  other.SetTextStr(String(u"a||b\rc||||d\0x", 13));
  EXPECT_EQ(Lines(other), (std::vector<String>{u"a", u"b\rc", u"", u"d"}));
  EXPECT_FALSE(other.SignedUTF8);
}

TEST_F(File_utils_textfiles, DodgyListLoadsFiles) {
  WriteRaw("sig.txt", "\xEF\xBB\xBF" "a\rb");
  WriteRaw("le.txt", "\xFF\xFE" + W("x\ny"));
  WriteRaw("two.txt", "\xEF\xBB");
  TPossiblyDodgyTextStringlist list;
  list.LoadFromFile(File("sig.txt"));
  EXPECT_TRUE(list.SignedUTF8);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"b"}));
  list.LoadFromFile(File("le.txt"));
  EXPECT_FALSE(list.SignedUTF8);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"x", u"y"}));
  list.SignedUTF8 = true;
  list.LoadFromFile(File("two.txt"));  // two bytes: the flag keeps its value
  EXPECT_TRUE(list.SignedUTF8);
  EXPECT_THROW(list.LoadFromFile(File("missing.txt")), EFOpenError);
  EXPECT_EQ(TextFileContents(File("sig.txt")), u"a\r\nb\r\n");
  EXPECT_EQ(TextFileContents(File("missing.txt")), u"");
}

TEST(File_utils_textfilesUnicode, StatisticalTest) {
  const Char le[] = u"\xFEFF";
  EXPECT_FALSE(StringIsInUnicode(le, 3));  // too short, mark or not
  EXPECT_FALSE(StringIsInUnicode(nullptr, 10));
  const Char marked[] = {0xFFFE, 0x4100, 0};
  EXPECT_TRUE(StringIsInUnicode(marked, 4));
  const Char latin[] = u"Hello world";
  EXPECT_TRUE(StringIsInUnicode(latin, 22));
  const std::string eightBit = "Hello world, plain bytes";
  EXPECT_FALSE(StringIsInUnicode(reinterpret_cast<const Char*>(eightBit.data()), 24));
  const Char zeros[] = {0, 0, 0, 0};
  EXPECT_FALSE(StringIsInUnicode(zeros, 8));  // even bytes all 0: not text
}

TEST_F(File_utils_textfiles, EncodingsAndTexts) {
  WriteRaw("be.txt", "\xFE\xFF\0a");
  WriteRaw("le.txt", "\xFF\xFE" + W("  text\r\n\t"));
  WriteRaw("u8.txt", "\xEF\xBB\xBF" "caf\xC3\xA9");
  WriteRaw("raw.txt", "caf\xE9 \xFF");  // not UTF-8
  WriteRaw("empty.txt", "");
  EXPECT_EQ(GetEncodingOfAFile(File("be.txt")), TEncoding::BigEndianUnicode());
  EXPECT_EQ(GetEncodingOfAFile(File("le.txt")), TEncoding::Unicode());
  EXPECT_EQ(GetEncodingOfAFile(File("u8.txt")), TEncoding::UTF8());
  EXPECT_EQ(GetEncodingOfAFile(File("raw.txt")), TEncoding::UTF8());
  EXPECT_EQ(GetEncodingOfAFile(File("missing")), nullptr);
  TEncoding* enc = nullptr;
  Int32 mark = -1;
  EXPECT_EQ(GetTextOfAFile(File("u8.txt"), enc, mark), u"caf\u00E9");
  EXPECT_EQ(mark, 3);
  EXPECT_EQ(GetTextOfAFile(File("missing"), enc, mark), u"");
  EXPECT_EQ(enc, nullptr);
  EXPECT_EQ(TextOfTextFile(File("le.txt")), u"text");
  EXPECT_EQ(TextOfTextFile(File("missing")), u"");
  EXPECT_TRUE(TextFileInUnicode(File("le.txt")));
  EXPECT_FALSE(TextFileInUnicode(File("raw.txt")));
  EXPECT_FALSE(TextFileInUnicode(File("empty.txt")));
  EXPECT_THROW(TextFileInUnicode(File("missing")), EFOpenError);
}

TEST_F(File_utils_textfiles, WritingTextFiles) {
  WriteRaw("keep.txt", "old");
  EXPECT_FALSE(SavedTextAsStream(u"", File("keep.txt")));
  EXPECT_EQ(ReadRaw("keep.txt"), "old");
  EXPECT_TRUE(SavedTextAsStream(u"ab", File("keep.txt")));
  EXPECT_EQ(ReadRaw("keep.txt"), "\xFF\xFE" + W("ab"));
  EXPECT_FALSE(SavedTextAsStream(u"ab", File("no/folder.txt")));
  EXPECT_TRUE(SaveRecordOfLastfilenameIn(u"/x/last.txt", File("last.txt")));
  EXPECT_EQ(ReadRaw("last.txt"), "\xFF\xFE" + W("/x/last.txt\r\n"));
  EXPECT_EQ(ConvertedFromANSI("caf\xE9", 1252), u"caf\u00E9");
  EXPECT_EQ(ConvertedFromANSI("\xE0", 1251), u"\u0430");
  EXPECT_EQ(ConvertedFromANSI(nullptr, 1252), u"");
}

TEST_F(File_utils_textfiles, ConvertingKeepsTheDateAndTheLineEnds) {
  WriteRaw("cp.txt", "a\xE9\nb\r\n");
  WriteRaw("u8.txt", "\xEF\xBB\xBFx\xC3\xA9\r");
  WriteRaw("le.txt", "\xFF\xFE" + W("same"));
  for (const char* n : {"cp.txt", "u8.txt", "le.txt"}) ASSERT_TRUE(SetFileDate(File(n), 1, 2, 2003));
  const TDateTime before = GetFileAge(File("cp.txt"));
  EXPECT_TRUE(ConvertTextFileToUnicode(File("cp.txt"), 1252));
  EXPECT_EQ(ReadRaw("cp.txt"), std::string("\xFF\xFE" "a\0\xE9\0\n\0b\0\r\0\n\0", 14));
  EXPECT_DOUBLE_EQ(GetFileAge(File("cp.txt")), before);
  EXPECT_TRUE(ConvertTextFileToUnicode(File("u8.txt"), 1252));
  EXPECT_EQ(ReadRaw("u8.txt"), std::string("\xFF\xFE" "x\0\xE9\0\r\0", 8));
  EXPECT_DOUBLE_EQ(GetFileAge(File("u8.txt")), before);
  EXPECT_TRUE(ConvertTextFileToUnicode(File("le.txt"), 1252));
  EXPECT_EQ(ReadRaw("le.txt"), "\xFF\xFE" + W("same"));
  EXPECT_DOUBLE_EQ(GetFileAge(File("le.txt")), before);
  EXPECT_FALSE(ConvertTextFileToUnicode(File("missing.txt"), 1252));
}

TEST_F(File_utils_textfiles, InsertionsKeepEveryOtherByte) {
  using namespace std::string_literals;
  ScopedACP acp(1252);
  struct Case {
    std::string file;
    Cardinal position;
    std::string after;
  };
  const Case cases[] = {
      {"ab\ncd\n", 4, "ab\nXYcd\n"},                                          // LF
      {"ab\r\ncd\r\n", 5, "ab\r\nXYcd\r\n"},                                  // CR LF
      {"\xEF\xBB\xBF" "\xC3\xA9\xF0\x9F\x98\x80z\n", 4, "\xEF\xBB\xBF" "\xC3\xA9\xF0\x9F\x98\x80XYz\n"},  // UTF-8, a pair counts two
      {"\xC3\xA9" "b", 2, "\xC3\xA9XYb"},                                     // UTF-8 without a mark
      {"\xFF\xFE" + W("ab\r\n"), 2, "\xFF\xFE" + W("aXYb\r\n")},              // UTF-16LE
      {std::string("\xFE\xFF\0a\0b", 6), 2, std::string("\xFE\xFF\0a\0X\0Y\0b", 10)},  // UTF-16BE
      // Between the halves of a pair: before the character, in either order of bytes.
      {"\xFF\xFE" "a\0" "\x3D\xD8\x00\xDE" "b\0"s, 3, "\xFF\xFE" "a\0X\0Y\0" "\x3D\xD8\x00\xDE" "b\0"s},
      {"\xFE\xFF" "\0a" "\xD8\x3D\xDE\x00" "\0b"s, 3, "\xFE\xFF" "\0a\0X\0Y" "\xD8\x3D\xDE\x00" "\0b"s},
      {"\xFF\xFE" "\x3D\xD8\x00\xDE"s, 2, "\xFF\xFE" "X\0Y\0" "\x3D\xD8\x00\xDE"s},
      // Lone halves are characters of their own.
      {"\xFF\xFE" "\x00\xDE\x3D\xD8"s, 2, "\xFF\xFE" "\x00\xDEX\0Y\0\x3D\xD8"s},
      {"caf\xE9\r\n\x81\x8D", 5, "caf\xE9XY\r\n\x81\x8D"},                   // 8-bit, bytes no code page defines kept
      {"xy", 0, "XYxy"},
      {"xy", 99, "xyXY"},
      {"", 1, "XY"},
  };
  for (const Case& c : cases) {
    WriteRaw("t.txt", c.file);
    ASSERT_TRUE(InsertIntoFileW(File("t.txt"), u"XY", false, c.position)) << c.file;
    EXPECT_EQ(ReadRaw("t.txt"), c.after) << c.file;
  }
  // 8-bit text goes into an 8-bit file byte for byte, into others converted.
  WriteRaw("a.txt", "x\xE9y");
  ASSERT_TRUE(InsertIntoFileA(File("a.txt"), "\xE0\x81", false, 2));
  EXPECT_EQ(ReadRaw("a.txt"), "x\xE0\x81\xE9y");
  WriteRaw("a.txt", "\xFF\xFE" + W("xy"));
  ASSERT_TRUE(InsertIntoFileA(File("a.txt"), "\xE9", false, 2));
  EXPECT_EQ(ReadRaw("a.txt"), std::string("\xFF\xFEx\0\xE9\0y\0", 8));
  // Wide text that an 8-bit file cannot hold is written as the code page can.
  WriteRaw("a.txt", "x\xE9");
  ASSERT_TRUE(InsertIntoFileW(File("a.txt"), u"\u00E9", false, 3));
  EXPECT_EQ(ReadRaw("a.txt"), "x\xE9\xE9");
}

TEST_F(File_utils_textfiles, InsertionBackupsAndFailures) {
  WriteRaw("t.txt", "abc");
  ASSERT_EQ(::chmod(Path("t.txt").c_str(), 0640), 0);
  ASSERT_TRUE(InsertIntoFileW(File("t.txt"), u"-", true, 2));
  EXPECT_EQ(ReadRaw("t.bak"), "abc");
  EXPECT_EQ(ReadRaw("t.txt"), "a-bc");
  struct stat st;
  ASSERT_EQ(::stat(Path("t.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // A backup that cannot be made (a folder holds its name) leaves the file alone.
  ASSERT_EQ(::mkdir(Path("u.bak").c_str(), 0755), 0);
  WriteRaw("u.txt", "abc");
  EXPECT_FALSE(InsertIntoFileW(File("u.txt"), u"-", true, 2));
  EXPECT_EQ(ReadRaw("u.txt"), "abc");
  EXPECT_FALSE(InsertIntoFileW(File("missing.txt"), u"-", false, 1));
  EXPECT_FALSE(FileExists(File("missing.txt")));
}

TEST_F(File_utils_textfiles, AnInsertionStoppedByAFileSizeLimitLeavesTheFile) {
  const std::string original = "\xFF\xFE" + W(std::string(20000, 'o'));
  WriteRaw("big.txt", original);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim = {30000, 30000};
    ::setrlimit(RLIMIT_FSIZE, &lim);
    ::_exit(InsertIntoFileW(File("big.txt"), u"more", false, 5) ? 1 : 0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadRaw("big.txt"), original);
}

// A read failing part-way is an error: the edit answers false and the file
// keeps every byte (a failed read taken for the end would replace the file
// with the part read so far).
TEST_F(File_utils_textfiles, AReadFailingPartWayLeavesTheFile) {
  std::string original = "\xFF\xFE";
  for (int i = 0; original.size() < 200000; ++i) original += W("line " + std::to_string(i) + "\r\n");
  WriteRaw("r.txt", original);
  WriteRaw("u8.txt", std::string(200000, 'u'));
  struct Case {
    const char* name;
    std::function<bool()> edit;
  } cases[] = {
      {"insert", [this] { return InsertIntoFileW(File("r.txt"), u"<m/>", false, 3); }},
      {"convert", [this] { return ConvertTextFileToUnicode(File("u8.txt"), 1252); }},
  };
  for (const Case& c : cases) {
    const std::string file = std::string(c.name) == "insert" ? "r.txt" : "u8.txt";
    const std::string before = ReadRaw(file);
    for (int failAt = 1; failAt <= 4; ++failAt) {
      int reads = 0;
      TFileSeamHook previous = SetFileSeamHook([&reads, failAt](TFileSeamOp op, const std::string&) -> Int32 {
        return op == fsoRead && ++reads == failAt ? EIO : 0;
      });
      const bool ok = c.edit();
      SetFileSeamHook(std::move(previous));
      EXPECT_FALSE(ok) << c.name << ", read " << failAt;
      EXPECT_TRUE(ReadRaw(file) == before) << c.name << ", read " << failAt;
    }
  }
  int reads = 0;
  TFileSeamHook previous = SetFileSeamHook([&reads](TFileSeamOp op, const std::string&) -> Int32 {
    return op == fsoRead && ++reads == 2 ? EIO : 0;
  });
  EXPECT_THROW(CheckSumOfAFile(File("u8.txt")), EReadError);
  reads = 0;
  EXPECT_TRUE(TextOfTextFile(File("u8.txt")).empty());
  reads = 0;
  TPossiblyDodgyTextStringlist list;
  EXPECT_THROW(list.LoadFromFile(File("u8.txt")), EReadError);
  EXPECT_EQ(list.Count(), 0);
  SetFileSeamHook(std::move(previous));
}

// A UTF-8 file is decoded into room of one unit per byte, made ready as it
// is filled; CJK text uses a third of it. The pages of room past the text
// must not stay resident (the room is over the size that is made ready).
TEST_F(File_utils_textfiles, RoomPastADecodedTextIsNotKeptResident) {
  std::string bytes;
  for (int i = 0; bytes.size() < (size_t{15} << 19); ++i) bytes += "\xE4\xB8\x80\xE6\x96\x87\xE5\xAD\x97 ";
  WriteRaw("cjk.txt", bytes);
  const auto residentPastText = [](const String& text) {
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto base = reinterpret_cast<uintptr_t>(text.data());
    const uintptr_t from = (base + (text.size() + 1) * sizeof(Char) + page - 1) & ~(page - 1);
    const uintptr_t to = (base + text.capacity() * sizeof(Char)) & ~(page - 1);
    std::vector<unsigned char> in(to > from ? (to - from) / page : 0);
    if (in.empty() || ::mincore(reinterpret_cast<void*>(from), to - from, in.data()) != 0) return size_t{0};
    return static_cast<size_t>(std::count_if(in.begin(), in.end(), [](unsigned char c) { return (c & 1) != 0; }));
  };
  const struct {
    const char* how;
    std::function<String()> read;
  } cases[] = {
      {"read from the file", [&] {
         TEncoding* enc = nullptr;
         Int32 bom = 0;
         return GetTextOfAFile(File("cjk.txt"), enc, bom);
       }},
      {"decoded from bytes", [&] {
         TEncoding* enc = nullptr;
         Int32 bom = 0;
         return EncodedStringFromBytes(reinterpret_cast<const Byte*>(bytes.data()), bytes.size(), enc, bom);
       }},
  };
  for (const auto& c : cases) {
    const String text = c.read();
    ASSERT_EQ(text.size(), bytes.size() / 10 * 4) << c.how;
    ASSERT_GE(text.capacity(), bytes.size()) << c.how;
    EXPECT_EQ(text.substr(text.size() - 4), u"\u4E00\u6587\u5B57 ") << c.how;
    EXPECT_EQ(residentPastText(text), 0u) << c.how;
  }
}

TEST_F(File_utils_textfiles, Checksums) {
  WriteRaw("c.bin", std::string("\x01\x02\xFF", 3));
  EXPECT_EQ(CheckSumOfAFile(File("c.bin")), 0x102u);
  EXPECT_EQ(CheckSumOfAFile(File("missing")), 0u);
  WriteRaw("big.bin", std::string(100000, '\xFF'));
  EXPECT_EQ(CheckSumOfAFile(File("big.bin")), 25500000u);
  TMyCheckSumFileStream s(File("c.bin"), fmOpenRead);
  s.SetPosition(2);
  EXPECT_EQ(s.CheckSum(), 0x102u);
  EXPECT_EQ(s.Position(), 2);
}

}  // namespace
}  // namespace sk
