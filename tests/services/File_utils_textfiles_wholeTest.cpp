// GetTextOfAFile over every kind of file it meets: the one-read path for
// regular files, the reading path for files the system reports as empty, and
// a read refused by the file layer.
#include <gtest/gtest.h>

#include <cerrno>

#include "ServicesTestSupport.h"
#include "platform/runtime/FileSeam.h"
#include "services/File_utils_textfiles.h"

namespace sk {
namespace {

class File_utils_textfilesWhole : public ScratchFolderTest {
 protected:
  File_utils_textfilesWhole() : ScratchFolderTest("sk_whole") {}
};

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

}  // namespace
}  // namespace sk
