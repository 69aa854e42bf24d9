// Help topics by number from a text file of "name = number" lines.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ui/Help_file_includes.h"

namespace sk {
namespace {

class Help_file_includes : public ScratchFolderTest {
 protected:
  Help_file_includes() : ScratchFolderTest("sk_help") {}
  String Write(const std::string& bytes) {
    WriteRaw("topics.txt", bytes);
    return File("topics.txt");
  }
};

TEST_F(Help_file_includes, TheFirstLineWithTheNumberNamesTheTopic) {
  const struct {
    const char* file;
    Int32 number;
    const char16_t* name;
  } cases[] = {
      {"A = 1200\r\nB = 1300\r\n", 1300, u"B"},
      {"A = 1200\nB = 1300\n", 1200, u"A"},
      {"  Topic_one   =   77xyz\n", 77, u"Topic_one"},          // digits followed by letters
      {"Whole=1300\n", 1300, u"Whole=1300"},                     // no blank before "="
      {"NoEquals 1300\nOther = 1300\n", 1300, u"Other"},         // a line without "=" never matches
      {"First = 5\nSecond = 5\n", 5, u"First"},                  // the first match wins
      {"A = \nB = x5\nC = 5\n", 5, u"C"},                        // no digits: no match
      {"Big = 99999999999\nSmall = 9\n", 9, u"Small"},           // too many digits: no match
      {"A = 1200\n", 1300, u""},
      {"", 1, u""},
      {"\xEF\xBB\xBFMarked = 3\n", 3, u"Marked"},                // a byte-order mark is not part of the name
      {"Tabbed\tname = 8\n", 8, u"Tabbed"},
  };
  for (const auto& c : cases) EXPECT_EQ(NameFromNumber(c.number, Write(c.file)), c.name) << c.file;
}

TEST_F(Help_file_includes, AMissingOrUnreadableFileNamesNothing) {
  EXPECT_EQ(NameFromNumber(1300, File("absent.txt")), u"");
  EXPECT_EQ(NameFromNumber(1300, Utf8ToString(fDir)), u"");  // a folder
  EXPECT_EQ(NameFromNumber(1300, u""), u"");
}

}  // namespace
}  // namespace sk
