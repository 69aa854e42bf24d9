// Names for display, file kinds, common roots of chosen folders, filters,
// the desktop's program for a file and stored-name placeholders in lists.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "ServicesTestSupport.h"
#include "platform/runtime/FileUtils.h"
#include "services/File_utils.h"

namespace sk {
namespace {

TEST(File_utils_paths, NamesForDisplay) {
  struct Case {
    const char16_t* name;
    TFilenameView view;
    const char16_t* shown;
  };
  const Case cases[] = {
      {u"c:\\a\\b\\c.txt", fnv_1_folder, u"\\b\\c.txt"},
      {u"c:\\a\\b\\c.txt", fnv_2_folders, u"\\a\\b\\c.txt"},
      {u"c:\\a\\b\\c.txt", fnv_no_path, u"\\c.txt"},
      {u"c:\\a\\b\\c.txt", fnv_full_path, u"c:\\a\\b\\c.txt"},
      {u"/home/u/b/c.txt", fnv_1_folder, u"/b/c.txt"},
      {u"/home/u/b/c.txt", fnv_no_path, u"/c.txt"},
      {u"c.txt", fnv_1_folder, u"c.txt"},  // too few parts
      {u"b/c.txt", fnv_2_folders, u"b/c.txt"},
      {u"", fnv_no_path, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(FilenameFormattedForView(c.name, c.view), c.shown) << StringToUtf8(c.name);
}

TEST(File_utils_paths, FileKindsAndListKinds) {
  EXPECT_EQ(QMExtensionOfFile(u"/x/a.TXT"), ext_txt);
  EXPECT_EQ(QMExtensionOfFile(u"/x/a.bak"), ext_bak);
  EXPECT_EQ(QMExtensionOfFile(u"/x/a.nothing"), ext_unknown);
  EXPECT_EQ(QMExtensionOfFile(u"/x.txt/noext"), ext_unknown);
  struct Case {
    TQM_Extensions ext;
    TQuillmarkList kind;
  };
  const Case cases[] = {{ext_lst, lt_word_list},          {ext_cnc, lt_concordance_list},
                        {ext_kws, lt_keyword_list},       {ext_kwdb_timeline, lt_KWDB_timeline_list},
                        {ext_index_tokens, lt_wordlist_index_list}, {ext_txt, lt_undefined}};
  for (const Case& c : cases)
    EXPECT_EQ(ListTypeOfFileExt(String(u"/r/saved") + QMExts[c.ext]), c.kind) << StringToUtf8(QMExts[c.ext]);
  EXPECT_EQ(ListTypeOfFileExt(u"noext"), lt_undefined);
}

TEST(File_utils_paths, CommonRootOfChosenFolders) {
  TParsedSeveralPathStrings p =
      ParentFolderParsedPathOfChosenFolders(u"c:\\corpus\\a", u"C:\\Corpus\\b", u"c:\\corpus\\c\\d");
  EXPECT_EQ(p.common_root_entire, u"c:\\corpus");
  EXPECT_EQ(p.common_root_last_section, u"corpus");
  p = ParentFolderParsedPathOfChosenFolders(u"/srv/t/x", u"/srv/t/y", u"/srv/u");
  EXPECT_EQ(p.common_root_entire, u"/srv");
  EXPECT_EQ(p.common_root_last_section, u"srv");
  p = ParentFolderParsedPathOfChosenFolders(u"abc", u"abd", u"abe");  // no delimiter: nothing common
  EXPECT_EQ(p.common_root_entire, u"");
  p = ParentFolderParsedPathOfChosenFolders(u"", u"/a", u"/b");
  EXPECT_EQ(p.common_root_entire, u"");

  TStringList list;
  EXPECT_EQ(ParentFolderParsedPathOfChosenFolders(&list).common_root_entire, u"");
  for (const char16_t* f : {u"/d/q/1", u"/d/q/2", u"/d/q/3", u"/d/r/4"}) list.Add(f);
  EXPECT_EQ(ParentFolderParsedPathOfChosenFolders(&list).common_root_entire, u"/d");  // first, [2] and last
}

TEST(File_utils_paths, FilterTextsAndParameters) {
  EXPECT_EQ(FileFilterWithinFilterText(u"Text files ( *.txt;*.TXT )"), u"*.txt;*.TXT");
  EXPECT_EQ(FileFilterWithinFilterText(u"  *.xml  "), u"*.xml");
  EXPECT_EQ(FileFilterWithinFilterText(u"odd ) order ("), u"odd ) order (");
  EXPECT_EQ(FileFilterWithinFilterText(u"empty ()"), u"*.*");
  EXPECT_EQ(FileFilterWithinFilterText(u""), u"*.*");
  EXPECT_EQ(FormattedFNAsParameter(u"/no/such/file name.txt"), u"/no/such/file name.txt");
  EXPECT_EQ(FormattedFNAsParameter(ProgramFileName()), u"\"" + ProgramFileName() + u"\"");
}

class File_utils_pathsDisk : public ScratchFolderTest {
 protected:
  File_utils_pathsDisk() : ScratchFolderTest("sk_paths") {}
};

TEST_F(File_utils_pathsDisk, ProgramThatOpensAFileComesFromTheDesktopDatabase) {
  for (const char* d : {"data", "data/mime", "data/applications", "config", "bin"})
    ASSERT_EQ(::mkdir(Path(d).c_str(), 0755), 0);
  WriteRaw("data/mime/globs2", "# comment\n50:text/x-qmtest:*.qmt\n60:text/x-qmexact:exact.qmt:cs\n");
  WriteRaw("config/mimeapps.list", "[Default Applications]\ntext/x-qmtest=missing.desktop;qmviewer.desktop;\n");
  WriteRaw("data/applications/qmviewer.desktop", "[Desktop Entry]\nName=Viewer\nExec=\"" + Path("bin") +
                                                     "/QM Viewer\" %f\n");
  WriteRaw("data/applications/mimeinfo.cache", "[MIME Cache]\ntext/x-qmexact=other.desktop;\n");
  WriteRaw("data/applications/other.desktop", "[Desktop Entry]\nExec=otherprog %u\n");
  WriteRaw("a.qmt", "x");
  WriteRaw("exact.qmt", "x");
  WriteRaw("a.unknown", "x");
  ScopedEnvVar dataHome("XDG_DATA_HOME", Path("data").c_str());
  ScopedEnvVar dataDirs("XDG_DATA_DIRS", Path("nothing").c_str());
  ScopedEnvVar configHome("XDG_CONFIG_HOME", Path("config").c_str());
  ScopedEnvVar configDirs("XDG_CONFIG_DIRS", Path("nothing").c_str());
  EXPECT_TRUE(FileWouldOpenWith(File("a.qmt"), u"qm viewer"));
  EXPECT_FALSE(FileWouldOpenWith(File("a.qmt"), u"otherprog"));
  EXPECT_TRUE(FileWouldOpenWith(File("exact.qmt"), u"OTHERPROG"));  // the heavier pattern, from the cache
  EXPECT_FALSE(FileWouldOpenWith(File("a.unknown"), u""));
  EXPECT_FALSE(FileWouldOpenWith(File("missing.qmt"), u""));  // no such file
}

TEST(File_utils_paths, ListLinesTakePlaceholders) {
  const String folder = ExtractFilePath(ProgramFileName());
  TStringList list;
  list.Add(folder + u"a.txt");
  list.Add(u"relative.txt");
  CheckUserDirConstFolder(&list, true);
  EXPECT_EQ(list[0], u"$userdir/a.txt");
  EXPECT_EQ(list[1], u"relative.txt");
  CheckUserDirConstFolder(&list, false);
  EXPECT_EQ(list[0], folder + u"a.txt");
  CheckUserDirConstFolder(nullptr, true);
}

}  // namespace
}  // namespace sk
