// The shared log: golden bytes, tags, the queue of lines that arrive during a
// write, failures switching logging off, and many processes appending at once.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <map>

#include "ServicesTestSupport.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "platform/runtime/Strings.h"
#include "services/Logging_utilities.h"

namespace sk {
namespace {

// The UTF-16LE bytes of an ASCII text.
std::string W(const std::string& s) {
  std::string r;
  for (char c : s) {
    r.push_back(c);
    r.push_back('\0');
  }
  return r;
}

const std::string kMark = "\xFF\xFE";

class Logging_utilities : public ScratchFolderTest {
 protected:
  Logging_utilities() : ScratchFolderTest("sk_log") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    Logging_utilities_initialization();
    fSavedTool = global_current_tool;
    global_current_tool = tt_concord;
    global_log_level = 1;
    SetLogFilename(File("shared.log"));
  }
  void TearDown() override {
    global_log_level = 0;
    busy_logging = false;
    Logging_utilities_Finalization();
    SetLogFilename(u"");
    global_current_tool = fSavedTool;
    ScratchFolderTest::TearDown();
  }
  tool_type fSavedTool = tt_shell;
};

TEST_F(Logging_utilities, GoldenBytesOfANewLogAndLaterWrites) {
  AddToLogFile(u"first");
  AddToLogFile(u"no break", false);
  AddToLogFile(u" same line");
  EXPECT_EQ(ReadRaw("shared.log"),
            kMark + W("(CONC): first\r\n") + W("(CONC): no break") + W("(CONC):  same line\r\n"));
  AddToDetailLogFile(File("detail.log"), u"d");
  EXPECT_EQ(ReadRaw("detail.log"), kMark + W("(CONC): d\r\n"));
}

TEST_F(Logging_utilities, NothingWithoutALevelOrAName) {
  global_log_level = 0;
  AddToLogFile(u"x");
  StartNewLogSection(u"1.0");
  EXPECT_FALSE(FileExists(File("shared.log")));
  global_log_level = 1;
  SetLogFilename(u"");
  AddToLogFile(u"x");
  AddToDetailLogFile(u"", u"x");
  EXPECT_EQ(GetLogFilename(), u"");
  EXPECT_EQ(global_log_level, 1);
}

TEST_F(Logging_utilities, ExistingFilesGetNoMarkAndOddOnesAreRealigned) {
  WriteRaw("shared.log", W("old"));
  AddToLogFile(u"a", false);
  EXPECT_EQ(ReadRaw("shared.log"), W("old") + W("(CONC): a"));
  WriteRaw("odd.log", "\xFF\xFE" "A");  // cut off in the middle of a character
  AddToDetailLogFile(File("odd.log"), u"b");
  EXPECT_EQ(ReadRaw("odd.log"), std::string("\xFF\xFE" "A", 3) + std::string(1, '\0') + W("(CONC): b\r\n"));
}

TEST_F(Logging_utilities, Tags) {
  struct Case {
    tool_type tool;
    const char16_t* tag;
  };
  const Case cases[] = {{tt_shell, u"(QM9): "},
                        {tt_no_tool_at_all, u"(?\?)"},
                        {tt_spare_QMconcgram, u"(?\?)"},
                        {tt_reserved_6, u"(?\?)"},
                        {static_cast<tool_type>(200), u"(?\?)"}};
  for (const Case& c : cases) EXPECT_EQ(LogToolTag(c.tool), c.tag);
  // Every tool of the suite has its own tag of one to four capitals.
  std::map<String, int> seen;
  for (int t = 0; t < tool_type_Count; ++t) {
    const String tag = LogToolTag(static_cast<tool_type>(t));
    if (tag == u"(?\?)" || t == tt_shell) continue;
    ASSERT_GE(tag.size(), 5u);
    ASSERT_LE(tag.size(), 8u);
    EXPECT_EQ(tag.substr(tag.size() - 3), u"): ");
    for (size_t i = 1; i + 3 < tag.size(); ++i) EXPECT_TRUE(tag[i] >= u'A' && tag[i] <= u'Z');
    EXPECT_EQ(++seen[tag], 1) << StringToUtf8(tag);
  }
  EXPECT_EQ(seen.size(), 14u);
  global_current_tool = tt_no_tool_at_all;
  AddToLogFile(u"x", false);
  EXPECT_EQ(ReadRaw("shared.log"), kMark + W("(?\?)x"));
}

TEST_F(Logging_utilities, SectionStart) {
  global_current_tool = tt_wordlist;
  StartNewLogSection();
  StartNewLogSection(u"9.1");
  const std::string log = ReadRaw("shared.log");
  const std::string stars = W("(WL): **********\r\n");
  ASSERT_EQ(log.compare(0, 2 + stars.size(), kMark + stars), 0);
  const size_t second = log.find(stars, 2 + stars.size());
  ASSERT_NE(second, std::string::npos);
  // Version and start on one line, each tagged.
  EXPECT_EQ(log.compare(second + stars.size(), W("(WL): version 9.1. (WL): LOG STARTED at ").size(),
                        W("(WL): version 9.1. (WL): LOG STARTED at ")),
            0);
  EXPECT_EQ(log.find(W("version")), log.rfind(W("version")));  // no version in the first section
  EXPECT_EQ(log.substr(log.size() - 4), W("\r\n"));
}

TEST_F(Logging_utilities, LinesArrivingDuringAWriteGoAheadOfTheNext) {
  busy_logging = true;  // as if a write were going on
  AddToLogFile(u"queued one");
  AddToDetailLogFile(File("other.log"), u"queued two");
  EXPECT_FALSE(FileExists(File("shared.log")));
  busy_logging = false;
  AddToDetailLogFile(File("other.log"), u"next");
  EXPECT_EQ(ReadRaw("other.log"), kMark + W("queued one\r\n\r\nqueued two\r\n\r\n\r\n(CONC): next\r\n"));
  AddToLogFile(u"after");
  EXPECT_EQ(ReadRaw("shared.log"), kMark + W("(CONC): after\r\n"));  // the queue was emptied
}

TEST_F(Logging_utilities, QueuedLinesAreWrittenAtTheStop) {
  busy_logging = true;
  AddToLogFile(u"late");
  busy_logging = false;
  Logging_utilities_Finalization();
  // The queued text carries its own CR LF; the block adds one per line and one more.
  EXPECT_EQ(ReadRaw("shared.log"), kMark + W("(CONC): late\r\n\r\n\r\n"));
  EXPECT_EQ(GetLogFilename(), u"");
  Logging_utilities_initialization();
}

TEST_F(Logging_utilities, AFailedWriteSwitchesLoggingOff) {
  SetLogFilename(File("no/such/folder/shared.log"));
  AddToLogFile(u"lost");
  EXPECT_EQ(global_log_level, 0);
  SetLogFilename(File("shared.log"));
  AddToLogFile(u"not written either");
  EXPECT_FALSE(FileExists(File("shared.log")));
  EXPECT_FALSE(busy_logging);
}

TEST_F(Logging_utilities, ClearingALog) {
  AddToLogFile(u"x");
  ASSERT_TRUE(FileExists(File("shared.log")));
  ClearLogFile();
  EXPECT_FALSE(FileExists(File("shared.log")));
  ClearLogFile();
  ClearLogFile(u"");
  ClearLogFile(File("nothing.log"));
  AddToLogFile(u"again");
  EXPECT_EQ(ReadRaw("shared.log"), kMark + W("(CONC): again\r\n"));
}

TEST_F(Logging_utilities, ManyProcessesAppendWholeLinesInTheirOrder) {
  constexpr int kProcesses = 8, kLines = 2000;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = ::fork();
    if (pid == 0) {
      for (int i = 0; i < kLines; ++i) {
        // Every 97th line is longer than 4 KiB.
        String text = u"P" + IntToStr(p) + u" L" + IntToStr(i) + u" ";
        text += String(i % 97 == 0 ? 2500 : 10 + (i % 13), static_cast<Char>(u'a' + p));
        AddToLogFile(text);
      }
      ::_exit(global_log_level == 1 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string bytes = ReadRaw("shared.log");
  ASSERT_EQ(bytes.size() % 2, 0u);
  ASSERT_EQ(bytes.compare(0, 2, kMark), 0);
  String text;
  for (size_t i = 2; i < bytes.size(); i += 2)
    text.push_back(static_cast<Char>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  EXPECT_EQ(text.find(u'\xFEFF'), String::npos);  // one mark only
  std::vector<int> next(kProcesses, 0);
  size_t start = 0, lines = 0;
  while (start < text.size()) {
    size_t end = text.find(u"\r\n", start);
    ASSERT_NE(end, String::npos);
    const String line = text.substr(start, end - start);
    start = end + 2;
    ++lines;
    ASSERT_EQ(line.compare(0, 9, u"(CONC): P"), 0) << StringToUtf8(line.substr(0, 40));
    const int p = line[9] - u'0';
    ASSERT_TRUE(p >= 0 && p < kProcesses);
    const size_t sp = line.find(u' ', 12);
    const int i = std::stoi(StringToUtf8(line.substr(12, sp - 12)));
    ASSERT_EQ(i, next[static_cast<size_t>(p)]++) << "process " << p;
    const String tail = line.substr(sp + 1);
    ASSERT_EQ(tail, String(i % 97 == 0 ? 2500 : 10 + (i % 13), static_cast<Char>(u'a' + p)));
  }
  EXPECT_EQ(lines, static_cast<size_t>(kProcesses * kLines));
}

}  // namespace
}  // namespace sk
