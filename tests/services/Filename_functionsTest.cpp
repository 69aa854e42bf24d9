// Names taken apart and put together, with both delimiters, drives as mount
// points, and the "$userdir" / "$user_drive" placeholders.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "ServicesTestSupport.h"
#include "platform/runtime/FileUtils.h"
#include "services/Filename_functions.h"

namespace sk {
namespace {

TEST(Filename_functions, SectionsAndParentsWithEitherDelimiter) {
  EXPECT_TRUE(SectionsOfAFilename(u"").empty());
  EXPECT_EQ(SectionsOfAFilename(u"c:\\a\\b.txt"), (std::vector<String>{u"c:", u"a", u"b.txt"}));
  EXPECT_EQ(SectionsOfAFilename(u"/a/b.txt"), (std::vector<String>{u"", u"a", u"b.txt"}));
  EXPECT_EQ(SectionsOfAFilename(u"/a\\b/"), (std::vector<String>{u"", u"a", u"b", u""}));
  struct Case {
    const char16_t* in;
    const char16_t* parent;
    const char16_t* parentSections;
  };
  const Case cases[] = {
      {u"c:\\a\\b\\c.txt", u"b", u"c:\\a\\b"},
      {u"/home/u/texts/x.txt", u"texts", u"/home/u/texts"},
      {u"/home/u/texts/", u"texts", u"/home/u"},
      {u"x.txt", u"", u""},
      {u"/x.txt", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParentFolderOf(c.in), c.parent) << StringToUtf8(c.in);
    EXPECT_EQ(ParentFolderSectionsOf(c.in), c.parentSections) << StringToUtf8(c.in);
  }
}

TEST(Filename_functions, SubFoldersAndCommonRoots) {
  EXPECT_TRUE(IsASubFolderOf(u"C:\\a", u"C:\\ab"));  // a prefix is enough
  EXPECT_TRUE(IsASubFolderOf(u"/Home/U", u"/home/u/x"));
  EXPECT_FALSE(IsASubFolderOf(u"/home/u", u"/home/u"));
  EXPECT_FALSE(IsASubFolderOf(u"/home/v", u"/home/u/x"));

  EXPECT_EQ(FilenameWithoutCommonRoot(u"/home/u/a.txt", u"/HOME/u/b/c.txt"), u"/b/c.txt");
  EXPECT_EQ(PathWithoutCommonRoot(u"x", u"y/z"), u"y/z");
  EXPECT_EQ(FilenameWithoutCommonRoot(u"", u"abc"), u"abc");

  EXPECT_EQ(CommonDrivePathElements(u"c:\\a\\b\\x.txt", u"C:\\A\\c\\"), u"c:\\a\\");
  EXPECT_EQ(CommonDrivePathElements(u"/srv/a/b", u"/srv/a/b"), u"/srv/a/");
  EXPECT_EQ(CommonDrivePathElements(u"/srv/a", u"/srv/ab"), u"/srv/");
  EXPECT_EQ(CommonDrivePathElements(u"abc", u"abd"), u"");
  EXPECT_EQ(CommonDrivePathElements(u"", u"/x"), u"");
}

TEST(Filename_functions, SuggestedNamesCleanedNamesAndSmallHelpers) {
  EXPECT_EQ(SuggestedFilenameForChosenTexts(3, 0, u"/t/a.txt"), u"3_files");
  EXPECT_EQ(SuggestedFilenameForChosenTexts(3, 1, u"/t/corpus/a.txt"), u"3_files_corpus");
  EXPECT_EQ(SuggestedFilenameForChosenTexts(3, 1, u"c:\\a.txt"), u"3_files");  // the drive is no folder name
  EXPECT_EQ(SuggestedFilenameForChosenTexts(3, 1, u"a.txt"), u"3_files");
  EXPECT_EQ(SuggestedFilenameForChosenTexts(7, 2, u"/t/a.txt"), u"7_files_2_folders");

  EXPECT_EQ(CleanedUpFilename(u"c:\\a\\b?c*.txt"), u" b c .txt");
  EXPECT_EQ(CleanedUpFilename(u"/x/y/name<1>|2\"\t.txt/"), u" name 1  2  .txt");
  EXPECT_EQ(CleanedUpFilename(u"plain"), u"plain");

  EXPECT_EQ(InsertBeforeExtofFilename(u"/a.b/c.txt", u"_1"), u"/a.b/c_1.txt");
  EXPECT_EQ(InsertBeforeExtension(u"/a.b/c", u"_1"), u"/a.b/c_1");
  EXPECT_EQ(NameUpToXPathDelimiters(u"/a/b\\c/d", 3), u"/a/b");
  EXPECT_EQ(NameUpToXPathDelimiters(u"/a/b", 3), u"");
  EXPECT_EQ(NameUpToXPathDelimiters(u"/a/b", 0), u"");
  EXPECT_EQ(PathDelimiterCount(u"c:\\a/b\\"), 3);
  EXPECT_EQ(RemoveDotsFromFilename(u"a.b.c"), u"abc");
}

class Filename_functionsDisk : public ScratchFolderTest {
 protected:
  Filename_functionsDisk() : ScratchFolderTest("sk_fnames") {}
};

TEST_F(Filename_functionsDisk, DrivesAreMountPoints) {
  FakeMounts mounts(fDir);
  const std::string usb = mounts.Add("usb", "vfat", "sdb1", true);
  EXPECT_EQ(DriveOfAFilename(Utf8ToString(usb + "/texts/a.txt")), Utf8ToString(usb));
  EXPECT_EQ(DriveOfAFilename(u"/not/under/any/mount"), u"");  // the root file system
  EXPECT_EQ(DriveOfAFilename(u"c:\\x"), u"c:");
  EXPECT_EQ(DriveOfAFilename(u"\\\\server\\share\\x\\y"), u"\\\\server\\share");
  EXPECT_EQ(DriveOfAFilename(u"relative/x"), u"");
  EXPECT_EQ(FullFilenameWithoutDrive(Utf8ToString(usb + "/texts/a.txt")), u"/texts/a.txt");
  EXPECT_EQ(FullFilenameWithoutDrive(u"c:\\a\\b"), u"\\a\\b");
  EXPECT_EQ(FullFilenameWithoutDrive(u"/home/x"), u"/home/x");
}

TEST_F(Filename_functionsDisk, PlaceholdersRoundTrip) {
  FakeMounts mounts(fDir);
  const String usb = Utf8ToString(mounts.Add("usb", "vfat", "sdb1", true));
  const String other = Utf8ToString(mounts.Add("other", "ext4", "sdc1"));
  const String user = usb + u"/Quillmark/";
  struct Case {
    String name;
    String stored;
  };
  const Case cases[] = {
      {usb + u"/Quillmark/texts/a.txt", u"$userdir/texts/a.txt"},
      {usb + u"/corpora/b.txt", u"$user_drive/corpora/b.txt"},
      {usb + u"/QuillmarkX/c.txt", u"$user_drive/QuillmarkX/c.txt"},  // only looks like the folder
      {other + u"/d.txt", other + u"/d.txt"},                          // another drive: unchanged
      {u"relative.txt", u"relative.txt"},
  };
  for (const Case& c : cases) {
    const String stored = ConvertedUserFolderInFilename(user, c.name, true);
    EXPECT_EQ(stored, c.stored) << StringToUtf8(c.name);
    EXPECT_EQ(ConvertedUserFolderInFilename(user, stored, false), c.name) << StringToUtf8(c.name);
  }
  // A user folder given without its trailing delimiter stores the same.
  EXPECT_EQ(ConvertedUserFolderInFilename(usb + u"/Quillmark", usb + u"/Quillmark/t/a.txt", true),
            u"$userdir/t/a.txt");
  // Stored on Windows: the backslashes after the placeholder become "/".
  EXPECT_EQ(ConvertedFilenameFromUserDirFName(user, u"$userdir\\texts\\a.txt"), usb + u"/Quillmark/texts/a.txt");
  EXPECT_EQ(ConvertedFilenameFromUserDirFName(user, u"$user_drive\\corpora\\b.txt"), usb + u"/corpora/b.txt");
  EXPECT_EQ(ConvertedFilenameFromUserDirFName(user, u"$user_drivecorpora"), usb + u"/corpora");
  EXPECT_EQ(ConvertedFilenameFromUserDirFName(user, u"c:\\plain.txt"), u"c:\\plain.txt");
  // On the root file system the drive is empty and names keep their "/".
  EXPECT_EQ(ConvertedUserFolderInFilename(u"/opt/qm/", u"/home/u/x.txt", true), u"$user_drive/home/u/x.txt");
  EXPECT_EQ(ConvertedFilenameFromUserDirFName(u"/opt/qm/", u"$user_drive/home/u/x.txt"), u"/home/u/x.txt");
}

TEST_F(Filename_functionsDisk, ProgramFolderAndDrivePlaceholders) {
  const String exeFolder = ExtractFilePath(ProgramFileName());
  ASSERT_FALSE(exeFolder.empty());
  const String inside = exeFolder + u"data/x.txt";
  const String stored = ConvertedAppFolderInFilename(inside, true);
  EXPECT_EQ(stored, u"$userdir/data/x.txt");
  EXPECT_EQ(ConvertedAppFolderInFilename(stored, false), inside);
  // The program is on the root file system here: its drive is "".
  const String onDrive = ConvertedFilenameIfUserDrive(u"/srv/t.txt", true);
  EXPECT_EQ(onDrive, DriveOfAFilename(ProgramFileName()).empty() ? String(u"$user_drive/srv/t.txt")
                                                                  : String(u"/srv/t.txt"));
  EXPECT_EQ(ConvertedFilenameIfUserDrive(onDrive, false), u"/srv/t.txt");
  EXPECT_EQ(ConvertedFilenameIfUserDrive(u"x.txt", true), u"x.txt");
  EXPECT_EQ(ConvertedFilenameIfUserDrive(u"a$user_drive", false), u"a$user_drive");  // only at the start
}

TEST_F(Filename_functionsDisk, LongNamesResolveCaseOnlyWhenUnique) {
  ASSERT_EQ(::mkdir(Path("Texts").c_str(), 0755), 0);
  WriteRaw("Texts/Alpha.TXT", "");
  WriteRaw("Texts/beta.txt", "");
  WriteRaw("Texts/BETA.txt", "");
  EXPECT_EQ(GetLongPathNameW(File("texts/alpha.txt")), File("Texts/Alpha.TXT"));
  EXPECT_EQ(GetLongPathNameW(File("Texts/beta.txt")), File("Texts/beta.txt"));  // exact wins
  // "Beta.txt" matches two entries ignoring case: the rest stays as given.
  EXPECT_EQ(GetLongPathNameW(File("TEXTS/Beta.txt")), File("Texts/Beta.txt"));
  EXPECT_EQ(GetLongPathNameW(File("texts/missing/deeper.txt")), File("Texts/missing/deeper.txt"));
  EXPECT_EQ(GetLongPathNameW(u""), u"");
  EXPECT_EQ(FileNameFromSuggestedOrExisting(File("Texts/beta.txt"), u"s"), File("Texts/beta.txt"));
  EXPECT_EQ(FileNameFromSuggestedOrExisting(File("nope"), u"s"), u"s");
}

TEST(Filename_functions, NewSubFoldersMirrorTheSourceLayout) {
  EXPECT_EQ(NewSubFolderFrom(u"c:\\texts\\a\\b.txt", u"c:\\texts"), u"a");
  EXPECT_EQ(NewSubFolderFrom(u"c:\\texts\\b.txt", u"c:\\texts\\"), u"");
  EXPECT_EQ(NewSubFolderFrom(u"c:\\texts\\a\\b.txt", u"d:\\out"), u"texts\\a");
  EXPECT_EQ(NewSubFolderFrom(u"/home/u/texts/a/b.txt", u"/srv/out"), u"home/u/texts/a");
  EXPECT_EQ(NewSubFolderFrom(u"/srv/out/x/y/z.txt", u"/srv/out"), u"x/y");
  EXPECT_EQ(NewSubFolderFrom(u"/srv/out/x/z.txt", u"/srv/out/"), u"x");  // a one-letter folder stays
  EXPECT_EQ(NewSubFolderFrom(u"/srv/out//z.txt", u"/srv/out/"), u"");    // a lone delimiter does not
  EXPECT_EQ(NewSubFolderFrom(u"a.txt", u"relative"), u"");
}

}  // namespace
}  // namespace sk
