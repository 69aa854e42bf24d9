// In-place edits of source texts: the backups, blank alterations that keep
// every other byte, markers inserted, the modification log shared by two
// processes, and edits cut short by a file-size limit or killed part-way.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Encoding.h"
#include "services/Modify_source_texts_basics.h"
#include "services/Registry_utils.h"

namespace sk {
namespace {

std::string Utf16le(const std::u16string& s) {
  std::string r;
  for (Char c : s) r += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return r;
}

std::string Utf16be(const std::u16string& s) {
  std::string r;
  for (Char c : s) r += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  return r;
}

class Modify_source_texts_basics : public ScratchFolderTest {
 protected:
  Modify_source_texts_basics() : ScratchFolderTest("modify_texts") {}
  void TearDown() override {
    modify_source_texts_logfullfilename.clear();
    ScratchFolderTest::TearDown();
  }
};

TEST_F(Modify_source_texts_basics, SmallConversions) {
  EXPECT_EQ(WithStartAndCloseMarkers(u"x7"), u"<ut_x7/>");
  EXPECT_EQ(WithStartAndCloseMarkers(u"<b>"), u"<b>");
  EXPECT_EQ(WithStartAndCloseMarkers(u"<b"), u"<b/>");
  EXPECT_EQ(WithStartAndCloseMarkers(u""), u"<ut_/>");
  for (int k = 0; k < TModifySourceTexts_Count; ++k) {
    const auto kind = static_cast<TModifySourceTexts>(k);
    EXPECT_EQ(StringToModification(modification_effected[kind]), kind);
  }
  EXPECT_EQ(StringToModification(u"SET"), mst_set);
  EXPECT_EQ(StringToModification(u"set"), mst_none);
  EXPECT_EQ(StringToModification(u"UNDO"), mst_undo);
  EXPECT_EQ(LogParameters(u"a\tb\t\tc", u"\t", 2), u"b");
  EXPECT_EQ(LogParameters(u"a\tb\t\tc", u"\t", 3), u"");
  EXPECT_EQ(LogParameters(u"a\tb\t\tc", u"\t", 4), u"c");
  EXPECT_EQ(LogParameters(u"a\tb", u"\t", 3), u"");
  EXPECT_EQ(LogParameters(u"a\tb", u"\t", 0), u"");

  const TDateTime t = EncodeDateTime(2025, 3, 4, 5, 6, 0, 0);
  EXPECT_EQ(ThenAsInteger(t), u"202503040506");
  EXPECT_DOUBLE_EQ(IntegerStrToDayAndTime(u"202503040506"), t);
  EXPECT_DOUBLE_EQ(IntegerStrToDayAndTime(u"xxxx03040506"), EncodeDateTime(2006, 3, 4, 5, 6, 0, 0));
  EXPECT_DOUBLE_EQ(IntegerStrToDayAndTime(u"2025xxxxxxxx"), EncodeDateTime(2025, 1, 1, 1, 1, 0, 0));
  EXPECT_EQ(NowAsInteger().size(), 12u);
  // Anything else, and parts that form no date or time, give the present moment.
  for (const char16_t* s : {u"2025030405 6", u"20250304050", u"202513040506", u"202502300506", u"202503042506",
                            u"202503040599", u"-00103040506"}) {
    const TDateTime before = Now();
    const TDateTime got = IntegerStrToDayAndTime(s);
    EXPECT_GE(got, before - 1.0 / 86400) << String(s).size();
    EXPECT_LE(got, Now() + 1.0 / 86400);
  }
}

TEST_F(Modify_source_texts_basics, BackupsAreMadeOnceAndNeverReplaced) {
  WriteRaw("a.txt", "first");
  TUTF8Stringlist done;
  EXPECT_TRUE(EnsureBackup(File("a.txt"), done));
  EXPECT_EQ(ReadRaw("a.original"), "first");
  WriteRaw("a.txt", "second");
  EXPECT_TRUE(EnsureBackup(File("a.txt"), done));
  TUTF8Stringlist fresh;
  EXPECT_TRUE(EnsureBackup(File("a.txt"), fresh));
  EXPECT_EQ(ReadRaw("a.original"), "first");
  EXPECT_EQ(done.Count(), 1);
  // A file that cannot be copied stays out of the done list.
  EXPECT_FALSE(EnsureBackup(File("missing.txt"), done));
  EXPECT_FALSE(EnsureBackup(u"", done));
  EXPECT_EQ(done.Count(), 1);
}

struct AlterCase {
  const char* name;
  std::string before;
  std::string after;
};

TEST_F(Modify_source_texts_basics, AlterFileKeepsEveryByteButTheBlanks) {
  ScopedACP acp(1252);
  const std::u16string text = u"Caf\u00E9 <a b> d\r\ne f";
  const std::u16string altered = u"Caf\u00E9_<a b>_d\r\ne_f";
  const AlterCase cases[] = {
      {"utf16le.txt", "\xFF\xFE" + Utf16le(text), "\xFF\xFE" + Utf16le(altered)},
      {"utf16be.txt", "\xFE\xFF" + Utf16be(text), "\xFE\xFF" + Utf16be(altered)},
      {"utf8bom.txt", "\xEF\xBB\xBF" "Caf\xC3\xA9 <a b> d\r\ne f", "\xEF\xBB\xBF" "Caf\xC3\xA9_<a b>_d\r\ne_f"},
      {"utf8.txt", "Caf\xC3\xA9 <a b> d\r\ne f", "Caf\xC3\xA9_<a b>_d\r\ne_f"},
      {"ansi.txt", "Caf\xE9 <a b> d\r\ne f", "Caf\xE9_<a b>_d\r\ne_f"},
      {"lf.txt", "Caf\xC3\xA9 <a b> d\ne f", "Caf\xC3\xA9_<a b>_d\ne_f"},
  };
  for (const AlterCase& c : cases) {
    WriteRaw(c.name, c.before);
    const bool lfOnly = std::string(c.name) == "lf.txt";
    // Positions count the file's own characters: the whole text.
    const Int32 len = static_cast<Int32>(text.size()) - (lfOnly ? 1 : 0);
    const String former = AlterFileW(File(c.name), u'_', 1, len);
    EXPECT_EQ(ReadRaw(c.name), c.after) << c.name;
    EXPECT_EQ(former.substr(0, 5), u"Caf\u00E9 ") << c.name;
    EXPECT_EQ(ReadRaw(std::string(c.name).substr(0, std::string(c.name).size() - 4) + ".original"), c.before);
  }
  for (const AlterCase& c : cases) {
    WriteRaw(c.name, c.before);
    AlterFileA(File(c.name), '_', 1, 100);
    EXPECT_EQ(ReadRaw(c.name), c.after) << c.name;
  }
  // A range: only the blanks inside it change; a non-ASCII character in UTF-8.
  WriteRaw("range.txt", "a b c d");
  EXPECT_EQ(AlterFileW(File("range.txt"), u'\u00B7', 3, 3), u"b c");
  EXPECT_EQ(ReadRaw("range.txt"), "a b\xC2\xB7" "c d");
  // Nothing to change, a range outside the text, a missing file.
  WriteRaw("none.txt", "abc");
  EXPECT_EQ(AlterFileW(File("none.txt"), u'_', 2, 5), u"bc");
  EXPECT_EQ(AlterFileW(File("none.txt"), u'_', 10, 5), u"");
  EXPECT_THROW(AlterFileW(File("missing.txt"), u'_', 1, 1), EFOpenError);
}

// Without a backup there is no edit: anything at the backup's name that is not
// a regular file of the user's own other than the source, reached without a
// link and with no other name (a folder, a link even to another file, a second
// name, another user's file), or a source that is named as its own backup,
// stops the edit and leaves the source byte for byte.
TEST_F(Modify_source_texts_basics, NoBackupNoEdit) {
  const std::string original = "one two three\r\n";
  struct Case {
    const char* what;
    const char* source;
    std::function<void()> block;
  };
  std::vector<Case> cases = {
      {"folder", "s.txt", [this] { ::mkdir(Path("s.original").c_str(), 0755); }},
      {"dangling link", "s.txt",
       [this] { (void)!::symlink("nowhere", Path("s.original").c_str()); }},
      {"link to the source", "s.txt",
       [this] { (void)!::symlink("s.txt", Path("s.original").c_str()); }},
      {"hard link to the source", "s.txt",
       [this] { (void)!::link(Path("s.txt").c_str(), Path("s.original").c_str()); }},
      {"link to another file", "s.txt", [this] { (void)!::symlink("kept.txt", Path("s.original").c_str()); }},
      {"hard link to another file", "s.txt",
       [this] { (void)!::link(Path("kept.txt").c_str(), Path("s.original").c_str()); }},
      {"source named as its backup", "s.original", [] {}},
  };
  if (::geteuid() == 0)
    cases.push_back({"another user's file", "s.txt", [this] {
                       WriteRaw("s.original", "planted");
                       (void)!::chown(Path("s.original").c_str(), 65534, 0);
                     }});
  WriteRaw("kept.txt", "kept");
  for (const Case& c : cases) {
    WriteRaw(c.source, original);
    c.block();
    EXPECT_THROW(AlterFileW(File(c.source), u'_', 1, 100), EFCreateError) << c.what;
    EXPECT_EQ(ReadRaw(c.source), original) << c.what;
    String marker = u"m";
    EXPECT_EQ(InsertedIntoSourceText(File(c.source), marker, 2, 0x0409, false), 0) << c.what;
    EXPECT_EQ(ReadRaw(c.source), original) << c.what;
    TUTF8Stringlist done;
    EXPECT_FALSE(EnsureBackup(File(c.source), done)) << c.what;
    EXPECT_EQ(done.Count(), 0) << c.what;
    std::filesystem::remove_all(Path("s.original"));
    std::filesystem::remove_all(Path("s.txt"));
  }
}

// A file in a code page whose characters take one or two bytes: only the
// blanks' bytes change, whatever the other bytes are (duplicate mappings, a
// lead byte left at the end); a character the code page cannot hold is refused.
TEST_F(Modify_source_texts_basics, AlterFileInAMultiByteCodePageChangesOnlyTheBlanks) {
  ScopedACP acp(932);
  ASSERT_EQ(GetACP(), 932u);
  struct Case {
    const char* what;
    std::string before;
    Char ch;
    std::string after;  // empty: refused, the file unchanged
  } cases[] = {
      {"duplicate mapping", "\xED\x40 \x82\xA0 a\x81\x40" "b", u'_', "\xED\x40_\x82\xA0_a\x81\x40" "b"},
      {"two-byte replacement", "\xED\x40 \x82\xA0 a", u'\u3000', "\xED\x40\x81\x40\x82\xA0\x81\x40" "a"},
      {"trailing lead byte", "a b <x y> c\x82", u'_', "a_b_<x y>_c\x82"},
      {"single-byte katakana", "\xB1 \xB2", u'_', "\xB1_\xB2"},
      {"not in the code page", "\xED\x40 a", u'\u00E9', ""},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(Path("j.original"));
    WriteRaw("j.txt", c.before);
    if (c.after.empty()) {
      EXPECT_THROW(AlterFileW(File("j.txt"), c.ch, 1, 100), EFCreateError) << c.what;
      EXPECT_EQ(ReadRaw("j.txt"), c.before) << c.what;
      continue;
    }
    AlterFileW(File("j.txt"), c.ch, 1, 100);
    EXPECT_EQ(ReadRaw("j.txt"), c.after) << c.what;
    EXPECT_EQ(ReadRaw("j.original"), c.before) << c.what;
  }
  // A range that ends before the last character: only its blanks change.
  WriteRaw("r.txt", "\x82\xA0 \x82\xA0 \x82\xA0");
  EXPECT_EQ(AlterFileW(File("r.txt"), u'_', 1, 3), u"\u3042 \u3042");
  EXPECT_EQ(ReadRaw("r.txt"), "\x82\xA0_\x82\xA0 \x82\xA0");
}

TEST_F(Modify_source_texts_basics, InsertedMarkers) {
  WriteRaw("u.txt", "\xFF\xFE" + Utf16le(u"one two"));
  String marker = u"m1";
  // Byte position 10 in a UTF-16 file with its mark: before the fifth character.
  EXPECT_EQ(InsertedIntoSourceText(File("u.txt"), marker, 10, 0x0409, true), 8);
  EXPECT_EQ(marker, u"<ut_m1/>");
  EXPECT_EQ(ReadRaw("u.txt"), "\xFF\xFE" + Utf16le(u"one <ut_m1/>two"));
  EXPECT_EQ(ReadRaw("u.original"), "\xFF\xFE" + Utf16le(u"one two"));

  WriteRaw("a.txt", "one two");
  marker = u"<x/>";
  EXPECT_EQ(InsertedIntoSourceText(File("a.txt"), marker, 5, 0x0409, false), 4);
  EXPECT_EQ(ReadRaw("a.txt"), "one <x/>two");
  marker = u"q";
  EXPECT_EQ(InsertedIntoSourceText(File("missing.txt"), marker, 0, 0x0409, false), 0);

  // An 8-bit position counts bytes: in UTF-8 the marker goes in before the
  // byte asked (or before the character holding it), as UTF-8.
  ScopedACP acp(1252);
  struct Case {
    const char* before;
    const char16_t* marker;
    Int32 bytePos;
    const char* after;  // empty: refused, the file as it was
  } cases[] = {
      {"caf\xC3\xA9 cr\xC3\xA8me. the cat", u"m1", 15, "caf\xC3\xA9 cr\xC3\xA8me. <ut_m1/>the cat"},
      {"\xE2\x80\x9Chi\xE2\x80\x9D \xE2\x80\x94 the cat", u"m1", 14,
       "\xE2\x80\x9Chi\xE2\x80\x9D \xE2\x80\x94 <ut_m1/>the cat"},
      {"\xEF\xBB\xBF\xCE\x95\xCE\xBB the", u"\u65E5\u672C", 6,
       "\xEF\xBB\xBF\xCE\x95\xCE\xBB <ut_\xE6\x97\xA5\xE6\x9C\xAC/>the"},
      // Inside a character: before it.
      {"a\xC3\xA9" "b", u"m", 3, "a<ut_m/>\xC3\xA9" "b"},
      // An 8-bit file in the code page of the locale; one it cannot hold.
      {"caf\xE9 the", u"m", 6, "caf\xE9 <ut_m/>the"},
      {"caf\xE9 the", u"\u65E5", 6, ""},
  };
  for (const Case& c : cases) {
    WriteRaw("e.txt", c.before);
    std::remove(StringToUtf8(File("e.original")).c_str());
    marker = c.marker;
    const std::string after = *c.after ? c.after : c.before;
    const Int32 inserted = InsertedIntoSourceText(File("e.txt"), marker, c.bytePos, 0x0409, false);
    EXPECT_EQ(inserted, *c.after ? static_cast<Int32>(marker.size()) : 0) << c.after;
    EXPECT_EQ(ReadRaw("e.txt"), after);
  }
}

TEST_F(Modify_source_texts_basics, LogLinesOfEachKind) {
  modify_source_texts_logfullfilename = File("mods.log");
  EXPECT_EQ(LogDateReference(u"s1", u"s2", u"ann", u"s4", u"s5", 3, mst_set), u"<ut_ann1/>");
  EXPECT_EQ(LogDateReference(u"sw", u"s2", u"ann", u"s4", u"ctx", 4, mst_search_word), u"<ut_ann2/>");
  EXPECT_EQ(LogDateReference(u"s1", u"s2", u"ann", u"s4", u"s5", 5, mst_undo), u"<ut_ann3/>");
  const String user = Registry_Current_User();
  EXPECT_EQ(LogDateReference(u"s1", u"s2", u"", u"s4", u"s5", 6, mst_none), u"<ut__4/>");
  const std::u16string expected =
      u"ann\ts4\ts2\t<ut_ann1/>\tSET\t3\t\t\t<ut_s1/>\t\r\n"
      u"ann\ts4\ts2\t<ut_ann2/>\tSEARCHWORD\t4\tsw\tctx\t\t\r\n"
      u"ann\ts4\ts2\t<ut_ann3/>\tUNDO\t5\t\t\r\n" +
      user + u"\ts4\ts2\t<ut__4/>\t\t6\t\t\r\n";
  // The mark only once, at the start of the new log.
  EXPECT_EQ(ReadRaw("mods.log"), "\xFF\xFE" + Utf16le(expected));

  // A log that does not end with a line break gets its own line.
  WriteRaw("other.log", "\xFF\xFE" + Utf16le(u"old line"));
  modify_source_texts_logfullfilename = File("other.log");
  EXPECT_EQ(LogDateReference(u"", u"", u"x", u"", u"", 0, mst_undo), u"<ut_x2/>");
  EXPECT_EQ(ReadRaw("other.log"), "\xFF\xFE" + Utf16le(u"old line\r\nx\t\t\t<ut_x2/>\tUNDO\t0\t\t\r\n"));
}

// A log that cannot be read whole gives no marker (a number already in it
// would be handed out again) and is left as it was; read, it goes on counting.
TEST_F(Modify_source_texts_basics, ALogThatCannotBeReadGivesNoMarker) {
  modify_source_texts_logfullfilename = File("mods.log");
  for (int i = 0; i < 50; ++i) LogDateReference(u"", u"", u"", u"", u"", i, mst_undo);
  const std::string before = ReadRaw("mods.log");
  {
    ScopedFileSeam seam;  // counts the calls; the read is the log's only one
    LogDateReference(u"", u"", u"", u"", u"", 0, mst_undo);
    ASSERT_EQ(std::count(seam.ops.begin(), seam.ops.end(), fsoRead), 1);
  }
  WriteRaw("mods.log", before);
  for (const Int32 error : {EIO, ESTALE}) {
    ScopedFileSeam seam(1, error);
    EXPECT_EQ(LogDateReference(u"", u"", u"", u"", u"", 0, mst_undo), u"") << error;
    EXPECT_EQ(seam.failedOp, fsoRead);
    EXPECT_EQ(ReadRaw("mods.log"), before);
  }
  EXPECT_EQ(LogDateReference(u"", u"", u"", u"", u"", 0, mst_undo), u"<ut__51/>");
}

// A backup is as private as its source: its mode and (as root) its group.
TEST_F(Modify_source_texts_basics, BackupsTakeTheirSourcesModeAndGroup) {
  const gid_t group = ::geteuid() == 0 ? 65534 : ::getegid();
  for (const mode_t mode : {0600, 0640, 0604}) {
    for (const bool insert : {false, true}) {
      std::filesystem::remove(Path("p.original"));
      WriteRaw("p.txt", "one two");
      ASSERT_EQ(::chmod(Path("p.txt").c_str(), mode), 0);
      ASSERT_EQ(::chown(Path("p.txt").c_str(), static_cast<uid_t>(-1), group), 0);
      String marker = u"m";
      if (insert) InsertedIntoSourceText(File("p.txt"), marker, 2, 0x0409, false);
      else AlterFileW(File("p.txt"), u'_', 1, 100);
      struct stat st;
      ASSERT_EQ(::stat(Path("p.original").c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, mode) << insert;
      EXPECT_EQ(st.st_gid, group);
    }
  }
}

TEST_F(Modify_source_texts_basics, TwoProcessesShareTheLog) {
  modify_source_texts_logfullfilename = File("shared.log");
  constexpr int kPerProcess = 500;
  pid_t children[2];
  for (pid_t& child : children) {
    child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0; i < kPerProcess; ++i) LogDateReference(u"", u"", u"p", u"", u"", i, mst_undo);
      ::_exit(0);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TUTF8Stringlist lines;
  lines.LoadFromFile(File("shared.log"));
  ASSERT_EQ(lines.Count(), 2 * kPerProcess);
  std::set<String> markers;
  for (Int32 i = 0; i < lines.Count(); ++i) markers.insert(LogParameters(lines[i], u"\t", 4));
  EXPECT_EQ(markers.size(), static_cast<size_t>(2 * kPerProcess));
  EXPECT_EQ(markers.count(u"<ut_p1000/>"), 1u);
}

// ---- edits cut short ---------------------------------------------------------------

// Runs edit in a child process whose files may not grow beyond limit bytes.
// With ignoreLimitSignal the writes past the limit fail; without it the
// child is killed by the signal at the first such write.
void RunLimited(const std::function<void()>& edit, rlim_t limit, bool ignoreLimitSignal) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, ignoreLimitSignal ? SIG_IGN : SIG_DFL);
    const rlimit rl{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    try {
      edit();
    } catch (...) {
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
}

class Modify_source_texts_faults : public Modify_source_texts_basics {
 protected:
  // Every cut makes the library flush a file to the disk several times; a
  // memory file system, where there is one, keeps the hundreds of cuts quick.
  void SetUp() override {
    std::string tmpl = "/dev/shm/modify_faults_XXXXXX";
    if (::access("/dev/shm", W_OK) == 0 && ::mkdtemp(tmpl.data()) != nullptr) fDir = tmpl;
    else Modify_source_texts_basics::SetUp();
  }

  // Cuts the edit at many points of its writes; after each cut the source is
  // either as it was or as the edit makes it, the backup (when there is one)
  // holds the original bytes, and a later edit succeeds.
  void CheckCuts(const std::string& original, const std::function<void()>& edit) {
    WriteRaw("t.txt", original);
    edit();
    const std::string changed = ReadRaw("t.txt");
    ASSERT_NE(changed, original);
    // Limits from 0 to a little beyond the larger file, both ends included.
    const size_t span = std::max(original.size(), changed.size()) + 64;
    struct Run {
      int points;
      bool backupFirst;
      bool ignoreSignal;
    } runs[] = {{160, true, false}, {40, false, false}, {10, true, true}, {10, false, true}};
    int cutShort = 0;
    int completed = 0;
    for (const Run& run : runs) {
      for (int k = 0; k < run.points; ++k) {
        const rlim_t limit = span * static_cast<size_t>(k) / static_cast<size_t>(run.points - 1);
        std::remove(Path("t.original").c_str());
        WriteRaw("t.txt", original);
        if (run.backupFirst) WriteRaw("t.original", original);
        RunLimited(edit, limit, run.ignoreSignal);
        const std::string now = ReadRaw("t.txt");
        ASSERT_TRUE(now == original || now == changed) << "cut at " << limit;
        ++(now == original ? cutShort : completed);
        const bool hasBackup = std::filesystem::exists(Path("t.original"));
        if (hasBackup) {
          ASSERT_EQ(ReadRaw("t.original"), original) << "cut at " << limit;
        }
        // The source never changes without its backup.
        if (now == changed) {
          ASSERT_TRUE(hasBackup);
        }
        if (now == original) {
          edit();
          ASSERT_EQ(ReadRaw("t.txt"), changed) << "cut at " << limit;
          ASSERT_EQ(ReadRaw("t.original"), original);
        }
      }
    }
    // The cuts fell both before and after the edit was complete.
    EXPECT_GT(cutShort, 100);  // of 220 cuts
    EXPECT_GT(completed, 0);
  }
};

std::string LongText() {
  std::string s;
  for (int i = 0; i < 60; ++i) s += "word " + std::to_string(i) + " <tag x> more text\r\n";
  return s;
}

TEST_F(Modify_source_texts_faults, AlterFileW) {
  const std::u16string u = Utf8ToString(LongText());
  CheckCuts("\xFF\xFE" + Utf16le(u), [this] { AlterFileW(File("t.txt"), u'_', 1, 100000); });
}

TEST_F(Modify_source_texts_faults, AlterFileA) {
  CheckCuts(LongText(), [this] { AlterFileA(File("t.txt"), '_', 1, 100000); });
}

TEST_F(Modify_source_texts_faults, InsertedIntoSourceText) {
  CheckCuts(LongText(), [this] {
    String marker = u"m";
    InsertedIntoSourceText(File("t.txt"), marker, 40, 0x0409, false);
  });
}

}  // namespace
}  // namespace sk
