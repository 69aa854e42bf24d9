// The rich edit's lines: inserting lines at the end, at the top and in the
// middle keeps every line, empty ones included, from an empty document on.
#include <gtest/gtest.h>

#include <vector>

#include "VisualTestSupport.h"
#include "platform/visual/RichEdit.h"

namespace sk {
namespace {

TEST(RichEditLines, EachInsertedLineIsALineEmptyOrNot) {
  TestApplication();
  struct Insert {
    Int32 at;  // -1: at the end (the line count)
    String text;
  };
  struct Case {
    const char* what;
    std::vector<Insert> inserts;
    String expected;
    Int32 lines;
  } cases[] = {
      {"one line", {{-1, u"a"}}, u"a", 1},
      {"blank lines first", {{-1, u""}, {-1, u""}, {-1, u"x"}}, u"\r\n\r\nx", 3},
      {"blank lines only", {{-1, u""}, {-1, u""}, {-1, u""}}, u"\r\n\r\n", 3},
      {"a blank line last", {{-1, u"a"}, {-1, u""}}, u"a\r\n", 2},
      {"at the top of a blank line", {{-1, u""}, {0, u"t"}}, u"t\r\n", 2},
      {"at the top of an empty document", {{0, u""}, {0, u""}, {0, u"t"}}, u"t\r\n\r\n", 3},
      {"in the middle", {{-1, u"a"}, {-1, u"c"}, {1, u""}}, u"a\r\n\r\nc", 3},
  };
  for (const Case& c : cases) {
    for (bool clearFirst : {false, true}) {
      TRichEdit r;
      if (clearFirst) {
        r.SetText(u"old");
        r.Clear();
      }
      for (const Insert& i : c.inserts) r.InsertLine(i.at < 0 ? r.LineCount() : i.at, i.text, TRichCharFormat{});
      EXPECT_EQ(r.Text(), c.expected) << c.what;
      EXPECT_EQ(r.LineCount(), c.lines) << c.what;
    }
  }
}

}  // namespace
}  // namespace sk
