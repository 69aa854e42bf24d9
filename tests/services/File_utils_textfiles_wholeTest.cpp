// GetTextOfAFile over every kind of file it meets: the one-read path for
// regular files, the reading path for files the system reports as empty, and
// a read refused by the file layer.
#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

#include "ServicesTestSupport.h"
#include "core/CoreTestSupport.h"
#include "core/Unicode_string_conversion.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileSeam.h"
#include "services/File_utils_textfiles.h"

namespace sk {
namespace {

class File_utils_textfilesWhole : public ScratchFolderTest {
 protected:
  File_utils_textfilesWhole() : ScratchFolderTest("sk_whole") {}
};

TEST_F(File_utils_textfilesWhole, AWholeFileTakesAboutItsBytesAndItsText) {
  // A text in the ANSI code page without a mark is looked at once for UTF-8
  // and decoded once, into room of its size: as it is read when its first
  // piece shows it, else beside the file's bytes, the room of the UTF-8
  // attempt given back first. UTF-16 and UTF-8 are decoded as they are read.
  ScopedACP ansi(1252);
  constexpr size_t kMiB = size_t{1} << 20, kSize = 16 * kMiB;
  std::string legacy(kSize, 'a'), lateLegacy(kSize, 'b'), utf16 = "\xFF\xFE";
  const std::string utf8(kSize, 'u');
  for (size_t i = 5; i < kSize; i += 37) legacy[i] = '\xE9';
  lateLegacy[2 * kMiB] = '\xE9';
  utf16.resize(kSize, 'x');
  for (size_t i = 3; i < kSize; i += 2) utf16[i] = '\x04';
  const struct {
    const char* name;
    const std::string* bytes;
    Cardinal codePage;
    size_t units, mostPeak;  // mostPeak: the bytes (when they are held whole) and the text
  } cases[] = {
      {"legacy.txt", &legacy, 1252, kSize, 2 * kSize},
      {"late_legacy.txt", &lateLegacy, 1252, kSize, kSize + 2 * kSize},
      {"utf16.txt", &utf16, CP_UTF16LE, kSize / 2 - 1, kSize},
      {"utf8.txt", &utf8, CP_UTF8, kSize, 2 * kSize},
  };
  struct TRead {
    size_t units, room;
    Cardinal codePage;
  };
  for (const auto& c : cases) {
    WriteRaw(c.name, *c.bytes);
    const TPeakOf<TRead> cost = PeakMemoryInChild<TRead>([&] {
      TEncoding* encoding = nullptr;
      Int32 mark = 0;
      const String text = GetTextOfAFile(File(c.name), encoding, mark);
      return TRead{text.size(), text.capacity(), encoding != nullptr ? encoding->CodePage() : 0};
    });
    if (!cost.measured) GTEST_SKIP() << "the peak resident size cannot be reset here";
    EXPECT_EQ(cost.value.codePage, c.codePage) << c.name;
    EXPECT_EQ(cost.value.units, c.units) << c.name;
    EXPECT_LE(cost.value.room, c.units + c.units / 64) << c.name;
#ifndef SK_UNDER_ASAN  // the address sanitizer keeps freed room resident for a while
    EXPECT_LE(cost.peak, c.mostPeak + c.mostPeak / 16 + 4 * kMiB) << c.name << " peak " << cost.peak / kMiB << " MiB";
#endif
  }
}

// Reading a long file yields to the host as it goes, in each of the ways a
// file is decoded: UTF-8 and UTF-16 while they are read, the ANSI code page
// when the first piece shows it, and after the whole read when a byte that is
// not UTF-8 comes late.
TEST_F(File_utils_textfilesWhole, ALongReadYields) {
  ScopedACP ansi(1252);
  constexpr size_t kSize = size_t{3} << 20;
  std::string utf8(kSize, 'u'), utf16 = "\xFF\xFE", legacy(kSize, 'a'), lateLegacy(kSize, 'b');
  utf16.resize(kSize, 'x');
  legacy[7] = '\xE9';
  lateLegacy[kSize - 5] = '\xE9';
  for (const auto& [name, bytes] : {std::pair{"utf8.txt", &utf8}, std::pair{"utf16.txt", &utf16},
                                    std::pair{"legacy.txt", &legacy}, std::pair{"late.txt", &lateLegacy}}) {
    WriteRaw(name, *bytes);
    EveryCheckYields everyCheck;
    YieldCounter yields;
    TEncoding* encoding = nullptr;
    Int32 mark = 0;
    EXPECT_FALSE(GetTextOfAFile(File(name), encoding, mark).empty()) << name;
    EXPECT_GE(yields.calls, 2) << name;
  }
}

TEST_F(File_utils_textfilesWhole, TextEncodingAndMarkByTheFilesBytes) {
  struct Case {
    const char* name;
    std::string bytes;
    String text;
    TEncoding* encoding;
    Int32 mark;
  };
  std::string large(3 << 20, 'a');
  large += "\xC3\xA9";
  const Case cases[] = {
      {"plain.txt", "caf\xC3\xA9", u"caf\u00E9", TEncoding::UTF8(), 0},
      {"marked.txt", "\xEF\xBB\xBF" "a\xFF" "b", u"a\uFFFD" u"b", TEncoding::UTF8(), 3},
      {"le.txt", std::string("\xFF\xFE" "h\0i\0", 6), u"hi", TEncoding::Unicode(), 2},
      {"be.txt", std::string("\xFE\xFF\0h\0i", 6), u"hi", TEncoding::BigEndianUnicode(), 2},
      {"ansi.txt", "caf\xE9", u"caf\u00E9", TEncoding::ANSI(), 0},
      {"empty.txt", "", u"", nullptr, 0},
      {"large.txt", large, String(3 << 20, u'a') + u"\u00E9", TEncoding::UTF8(), 0},
  };
  for (const Case& c : cases) {
    WriteRaw(c.name, c.bytes);
    TEncoding* encoding = TEncoding::ASCII();
    Int32 mark = -1;
    EXPECT_TRUE(GetTextOfAFile(File(c.name), encoding, mark) == c.text) << c.name;
    EXPECT_EQ(encoding, c.encoding) << c.name;
    EXPECT_EQ(mark, c.mark) << c.name;
  }
}

TEST_F(File_utils_textfilesWhole, AFileTheSystemReportsAsEmptyIsReadAll) {
  TEncoding* encoding = nullptr;
  Int32 mark = -1;
  const String status = GetTextOfAFile(u"/proc/self/status", encoding, mark);
  EXPECT_EQ(status.substr(0, 5), u"Name:");
  EXPECT_EQ(encoding, TEncoding::UTF8());
}

TEST_F(File_utils_textfilesWhole, ARefusedReadGivesNoText) {
  WriteRaw("text.txt", "some text");
  const TFileSeamHook previous =
      SetFileSeamHook([](TFileSeamOp op, const std::string&) { return op == fsoRead ? EIO : 0; });
  TEncoding* encoding = TEncoding::ASCII();
  Int32 mark = -1;
  const String text = GetTextOfAFile(File("text.txt"), encoding, mark);
  SetFileSeamHook(previous);
  EXPECT_EQ(text, u"");
  EXPECT_EQ(encoding, nullptr);
  EXPECT_EQ(mark, 0);
}

TEST_F(File_utils_textfilesWhole, TextReadInPiecesIsTheTextDecodedWhole) {
  // UTF-8 is decoded while it is read, a quarter of a megabyte at a time:
  // characters cut by a piece's end, marks, and bytes that make the file
  // something else after the first piece give what decoding the whole file's
  // bytes gives.
  constexpr size_t kPiece = size_t{256} << 10;
  auto around = [](size_t at, const std::string& what, const std::string& mark = "") {
    std::string bytes = mark + std::string(kPiece + 1000, 'a');
    bytes.replace(at, what.size(), what);
    return bytes;
  };
  const std::string cases[] = {
      around(kPiece - 1, "\xC3\xA9"),
      around(kPiece - 2, "\xE4\xB8\xAD"),
      around(kPiece - 1, "\xE4\xB8\xAD"),
      around(kPiece - 3, "\xF0\x9F\x98\x80"),
      around(kPiece - 1, "\xF0\x9F\x98\x80", "\xEF\xBB\xBF"),
      around(kPiece + 10, "\xE9"),                      // not UTF-8: the code page's text
      around(kPiece + 10, "\xE9", "\xEF\xBB\xBF"),      // marked: a replacement character
      around(kPiece - 1, "\xE4\xB8"),                  // a sequence cut short by the next piece
      around(kPiece - 1, "\xE9"),                      // not UTF-8, met only with the next piece
      around(10, "\xE9"),                              // not UTF-8 from the first piece
      std::string("\xFE\xFF") + std::string(kPiece * 2 + 1, 'A'),  // UTF-16BE ending in half a unit
      around(kPiece - 1, "\xE4\x41", "\xEF\xBB\xBF"),  // marked: bad sequences across a piece's end
      around(kPiece - 2, "\xF0\x9F\x41", "\xEF\xBB\xBF"),
      around(kPiece - 1, "\xE9", "\xEF\xBB\xBF"),
      around(kPiece - 3, "\x80\x80\x80\x80", "\xEF\xBB\xBF"),
      std::string(kPiece * 2, 'b') + "\xC3",              // cut short at the very end
      std::string("\xFF\xFE") + std::string(kPiece + 2, '\0'),  // UTF-16 behind its mark
      std::string(kPiece * 3, 'c'),
  };
  int n = 0;
  for (const std::string& bytes : cases) {
    const std::string name = "piece" + std::to_string(n++) + ".txt";
    WriteRaw(name, bytes);
    TEncoding* wantEncoding = nullptr;
    Int32 wantMark = 0;
    const String want = EncodedStringFromBytes(reinterpret_cast<const Byte*>(bytes.data()), bytes.size(),
                                               wantEncoding, wantMark);
    TEncoding* encoding = nullptr;
    Int32 mark = -1;
    EXPECT_TRUE(GetTextOfAFile(File(name), encoding, mark) == want) << name;
    EXPECT_EQ(encoding, wantEncoding) << name;
    EXPECT_EQ(mark, wantMark) << name;
  }
}

TEST_F(File_utils_textfilesWhole, AReadRefusedAfterTheFirstPieceGivesNoText) {
  WriteRaw("long.txt", std::string(size_t{600} << 10, 'x'));
  for (int refused : {2, 3}) {
    int reads = 0;
    const TFileSeamHook previous = SetFileSeamHook([&](TFileSeamOp op, const std::string&) {
      return op == fsoRead && ++reads == refused ? EIO : 0;
    });
    TEncoding* encoding = TEncoding::ASCII();
    Int32 mark = -1;
    const String text = GetTextOfAFile(File("long.txt"), encoding, mark);
    SetFileSeamHook(previous);
    EXPECT_EQ(text, u"") << refused;
    EXPECT_EQ(encoding, nullptr) << refused;
  }
}

}  // namespace
}  // namespace sk
