// Listings: masks, hidden and system entries, links that point back up the
// tree, cancelling, folder order, statistics, sorting and file dates from a
// list file.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "LookupTestWords.h"
#include "ServicesTestSupport.h"
#include "core/Global_vars.h"
#include "core/Juliandateroutines.h"
#include "core/Useful_classes_base_filelists.h"
#include "core/Useful_classes_base_holders.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "services/File_utils.h"

namespace sk {
namespace {

class File_utils_listing : public ScratchFolderTest {
 protected:
  File_utils_listing() : ScratchFolderTest("sk_list") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    for (const char* d : {"t", "t/a", "t/a/deep", "t/b", "t/.hidden"}) ASSERT_EQ(::mkdir(Path(d).c_str(), 0755), 0);
    for (const char* f : {"t/1.txt", "t/2.TXT", "t/3.xml", "t/.dot.txt", "t/a/4.txt", "t/a/deep/5.txt",
                          "t/b/6.xml", "t/.hidden/7.txt"})
      WriteRaw(f, f);
    // A link back up the tree, a link to a file, and a socket (a system entry).
    EXPECT_EQ(::symlink(Path("t").c_str(), Path("t/a/loop").c_str()), 0);
    EXPECT_EQ(::symlink(Path("t/1.txt").c_str(), Path("t/b/link.txt").c_str()), 0);
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    struct sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    const std::string sock = Path("t/sock.txt");
    if (sock.size() < sizeof addr.sun_path) {
      std::memcpy(addr.sun_path, sock.c_str(), sock.size() + 1);
      ::bind(fd, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr);
    }
    ::close(fd);
  }
  void TearDown() override {
    global_panic_state = panic_no_panic;
    Global_YieldProcessProc = nullptr;
    global_reversed_sort = false;
    ScratchFolderTest::TearDown();
  }
  String T(const std::string& n) const { return File("t/" + n); }
};

TEST_F(File_utils_listing, FilesByMasks) {
  std::vector<TSearchRec> recs = ListOfAllFilesIn(File("t"), std::vector<String>{u"*.txt", u"*.xml"}, true);
  std::vector<String> names;
  for (const TSearchRec& r : recs) names.push_back(r.Name);
  EXPECT_EQ(names, (std::vector<String>{u"1.txt", u"2.TXT", u"3.xml"}));  // no dot names, no socket
  EXPECT_EQ(recs[0].Size, static_cast<Int64>(std::string("t/1.txt").size()));
  // Overlapping masks (they match without case) list each file once.
  names.clear();
  for (const TSearchRec& r : ListOfAllFilesIn(File("t"), std::vector<String>{u"*.txt", u"*.TXT", u"*.*"}, true))
    names.push_back(r.Name);
  EXPECT_EQ(names, (std::vector<String>{u"1.txt", u"2.TXT", u"3.xml"}));

  std::unique_ptr<TStringList> same = ListOfAllFilesMatchingExt(T("1.txt"), u".*", false, false);
  EXPECT_EQ(Lines(*same), (std::vector<String>{}));  // only "1.*", and that is the file itself
  same = ListOfAllFilesMatchingExt(T("1.txt"), u".*", true, false);
  EXPECT_EQ(Lines(*same), (std::vector<String>{T("1.txt")}));
  same = ListOfAllFilesMatchingExt(T("2.xml"), u".txt", false, false);
  EXPECT_EQ(Lines(*same), (std::vector<String>{T("2.TXT")}));
}

TEST_F(File_utils_listing, FilesWithTheirTimesSortedByDate) {
  ASSERT_TRUE(SetFileDate(T("1.txt"), 1, 1, 2010));
  ASSERT_TRUE(SetFileDate(T("2.TXT"), 1, 1, 2000));
  ASSERT_TRUE(SetFileDate(T("3.xml"), 1, 1, 2000));
  std::unique_ptr<TStringList> l = ListOfAllFilesIn(File("t"), u"*.*", false, true);
  EXPECT_EQ(Lines(*l), (std::vector<String>{T("2.TXT"), T("3.xml"), T("1.txt")}));  // equal times by name
  const auto* h = static_cast<const TDateTimeHolder*>(l->Objects(2));
  ASSERT_NE(h, nullptr);
  EXPECT_DOUBLE_EQ(h->data, GetFileAge(T("1.txt")));
  global_reversed_sort = true;
  l = ListOfAllFilesIn(File("t"), std::vector<String>{u"*.*"}, false, true);
  EXPECT_EQ(Lines(*l), (std::vector<String>{T("1.txt"), T("3.xml"), T("2.TXT")}));
  l = ListOfAllFilesIn(File("t"), u"*.xml", false, false);
  EXPECT_EQ(Lines(*l), (std::vector<String>{T("3.xml")}));
}

TEST_F(File_utils_listing, CancellingStopsSomeListingsOnly) {
  int yields = 0;
  Global_YieldProcessProc = [&] {
    if (++yields == 2) global_panic_state = panic_stop;
  };
  EXPECT_EQ(ListOfAllFilesIn(File("t"), std::vector<String>{u"*.*", u"*.txt"}, false).size(), 2u);
  yields = 0;
  global_panic_state = panic_no_panic;
  EXPECT_EQ(ListOfSubFolders(File("t"), nullptr, nullptr)->Count(), 2);  // stopped after the second
  yields = 0;
  global_panic_state = panic_no_panic;
  // The tree listing does not look at the flag.
  TFilesAndDirsRec all = ListOfFilesAndDirs(File("t"), u"*.txt", true, false);
  EXPECT_EQ(global_panic_state, panic_stop);
  EXPECT_EQ(all.files->Count(), 5);  // masks ignore case; the link to a file counts
}

TEST_F(File_utils_listing, SubFoldersWithExclusionsAndStatus) {
  std::vector<String> heard;
  TProgressPanelMessage status = [&](TMyStatusBarPanel panel, const String& msg) {
    EXPECT_EQ(panel, tusp_message);
    heard.push_back(msg);
  };
  std::unique_ptr<TStringList> l = ListOfSubFolders(File("t/"), nullptr, status);
  EXPECT_EQ(Lines(*l), (std::vector<String>{T("a"), T("a/deep"), T("b")}));  // never through "loop"
  EXPECT_EQ(heard, (std::vector<String>{u"a", u"deep", u"b"}));
  TStringList excluded;
  excluded.Add(u"");
  excluded.Add(u"*/A/");
  l = ListOfSubFolders(File("t"), &excluded, nullptr);
  EXPECT_EQ(Lines(*l), (std::vector<String>{T("b")}));
}

TEST_F(File_utils_listing, TreeOfFilesAndFolders) {
  TFilesAndDirsRec r = ListOfFilesAndDirs(File("t"), u" *.txt ; *.xml;", true, true);
  EXPECT_EQ(Lines(*r.dirs), (std::vector<String>{T(""), T("a/deep/"), T("a/"), T("b/")}));
  EXPECT_EQ(Lines(*r.files), (std::vector<String>{T("1.txt"), T("2.TXT"), T("3.xml"), T("a/deep/5.txt"),
                                                  T("a/4.txt"), T("b/link.txt"), T("b/6.xml")}));
  // Overlapping masks list each file once, where the first mask found it.
  r = ListOfFilesAndDirs(File("t"), u"*.txt;*.TXT;1*;\\a\\*.txt", true, false);
  EXPECT_EQ(Lines(*r.files), (std::vector<String>{T("1.txt"), T("2.TXT"), T("a/4.txt"), T("a/deep/5.txt"),
                                                  T("b/link.txt")}));
  r = ListOfFilesAndDirs(File("t"), u"\\a\\*.txt", false, false);
  EXPECT_EQ(Lines(*r.dirs), (std::vector<String>{T("")}));
  EXPECT_EQ(Lines(*r.files), (std::vector<String>{T("a/4.txt")}));
  r = ListOfFilesAndDirs(File("missing"), u"*.*", true, false);
  EXPECT_EQ(r.files->Count(), 0);
  EXPECT_EQ(r.dirs->Count(), 1);
}

TEST_F(File_utils_listing, NamesThatAreNotUtf8ReachTheirFiles) {
  // Latin-1 names as an archive made elsewhere leaves them: two that differ
  // in one byte, and a folder.
  const std::string deep = "t/b/d\xE9p";
  ASSERT_EQ(::mkdir(Path(deep).c_str(), 0755), 0);
  for (const std::string f : {"t/b/caf\xE9.txt", "t/b/caf\xE8.txt", "t/b/d\xE9p/x.txt"}) WriteRaw(f, f);
  TFilesAndDirsRec r = ListOfFilesAndDirs(File("t/b"), u"*.txt", true, false);
  std::vector<std::string> raw;
  for (const String& name : Lines(*r.files)) raw.push_back(StringToSystemName(name));
  EXPECT_EQ(raw, (std::vector<std::string>{Path("t/b/caf\xE8.txt"), Path("t/b/caf\xE9.txt"), Path("t/b/link.txt"),
                                           Path(deep + "/x.txt")}));
  EXPECT_EQ(ListOfAllFilesIn(File("t/b"), std::vector<String>{u"caf*"}, false).size(), 2u);
  EXPECT_TRUE(DirectoryExists(File("t/b/") + ListedEntriesOf(File("t/b"))[3].name));
  // The file list takes them and keeps them through its file form.
  TFolderEfficientFileList list, back;
  for (Int32 i = 0; i < r.files->Count(); ++i) EXPECT_GE(list.Add(r.files->Strings(i)), 0) << i;
  ASSERT_TRUE(list.DoWriteToFile(File("list.bin")));
  ASSERT_TRUE(back.DoReadFromFile(File("list.bin")));
  ASSERT_EQ(back.FileCount(), 4);
  for (Int32 i = 0; i < back.FileCount(); ++i)
    EXPECT_EQ(FileSize(back.GetFullFilename(i)), static_cast<Int64>(ReadFileBytes(raw[static_cast<size_t>(i)]).size()));
}

TEST(File_utils_listingStats, OneFolder) {
  TCorpusFolderStats s = OneFolderBasicStats(std::vector<TBasicFileRec>{});
  EXPECT_EQ(s.status, csf_empty);
  EXPECT_EQ(s.smallest, 2147483647);
  EXPECT_EQ(s.number_of_files, 0);
  EXPECT_NEAR(s.earliest, Date(), 1.0);
  std::vector<TSearchRec> recs(3);
  recs[0].Size = 10;
  recs[0].TimeStamp = 100;
  recs[1].Size = Int64(1) << 40;  // larger than the record holds
  recs[1].TimeStamp = 50000;
  recs[2].Size = 5;
  recs[2].TimeStamp = 300;
  s = OneFolderBasicStats(recs);
  EXPECT_EQ(s.status, csf_normal);
  EXPECT_EQ(s.number_of_files, 3);
  EXPECT_EQ(s.smallest, 5);
  EXPECT_EQ(s.largest, 2147483647);
  EXPECT_DOUBLE_EQ(s.earliest, 100);
  EXPECT_DOUBLE_EQ(s.latest, 50000);
  EXPECT_EQ(s.disk_order, 0);
  EXPECT_EQ(s.folder, u"");
}

TEST_F(File_utils_listing, SortingListsOfFiles) {
  ASSERT_TRUE(SetFileDate(T("a/4.txt"), 1, 1, 2001));
  ASSERT_TRUE(SetFileDate(T("1.txt"), 1, 1, 2003));
  ASSERT_TRUE(SetFileDate(T("b/6.xml"), 1, 1, 2002));
  TStringList l;
  for (const char* f : {"b/6.xml", "a/4.txt", "1.txt"}) l.Add(T(f));
  SortListOfFiles(&l, false, true);
  EXPECT_EQ(Lines(l), (std::vector<String>{T("1.txt"), T("a/4.txt"), T("b/6.xml")}));
  SortListOfFiles(&l, false, false);
  EXPECT_EQ(Lines(l), (std::vector<String>{T("b/6.xml"), T("a/4.txt"), T("1.txt")}));
  SortListOfFiles(&l, true, true);
  EXPECT_EQ(Lines(l), (std::vector<String>{T("a/4.txt"), T("b/6.xml"), T("1.txt")}));
  SortListOfFiles(&l, true, false);
  EXPECT_EQ(Lines(l), (std::vector<String>{T("1.txt"), T("b/6.xml"), T("a/4.txt")}));

  WriteRaw("big.txt", std::string(100, 'x'));
  TStringList sizes;
  sizes.Add(T("1.txt"));
  sizes.Add(File("missing"));
  sizes.Add(File("big.txt"));
  sizes.CustomSort(SortOnTextLengthDescending);
  EXPECT_EQ(Lines(sizes), (std::vector<String>{File("big.txt"), T("1.txt"), File("missing")}));
}

TEST_F(File_utils_listing, FileDatesFromAListFile) {
  WriteRaw("dates.txt", "zeta.txt\t2001/02/03\r\nalpha\t1999/12/31\r\n/full/name/beta.txt\t2010/01/01\r\n");
  const std::vector<String> files = {u"/x/zeta.txt", u"/y/alpha.doc", u"/full/name/beta.txt", u"/none.txt"};
  std::vector<std::pair<Int32, TDoubleAndBasis>> told;
  TFileDateUpdater u([&](TObject*) { return static_cast<Int32>(files.size()); },
                     [&](TObject*, Int32 i) { return files[static_cast<size_t>(i)]; },
                     [&](TObject*, Int32 i, TDoubleAndBasis d) { told.emplace_back(i, d); });
  u.HandleAFileList(File("dates.txt"));
  ASSERT_EQ(told.size(), 3u);
  EXPECT_EQ(told[0].first, 0);
  EXPECT_DOUBLE_EQ(told[0].second.d, UserStrDateAndTimeParsed(u"2001/02/03").d);
  EXPECT_EQ(told[1].first, 1);  // by the name without its extension
  EXPECT_EQ(told[2].first, 2);  // by the whole name
  told.clear();
  u.HandleAFileList(File("missing.txt"));
  u.fOnTellAFileDate = nullptr;
  u.HandleAFileList(File("dates.txt"));
  EXPECT_TRUE(told.empty());
}

// Dates from random list files go to the texts that IndexOfName's scan would
// give them: names in any case, repeated with other dates, with and without
// extensions and folders, lines without a tab and empty names.
TEST_F(File_utils_listing, FileDatesAsByIndexOfName) {
  TLookupTestDice dice(13);
  const String forms[] = {u".txt", u"", u".TXT", u".doc"};
  for (int round = 0; round < 6; ++round) {
    std::string text;
    for (int i = 0; i < 80; ++i) {
      const String name = (dice.Next(5) == 0 ? u"/f/" : u"") + dice.Word() + forms[dice.Next(4)];
      const String date = IntToStr(1900 + i) + u"/01/02";
      text += StringToUtf8(dice.Next(10) == 0 ? name + u" " + date : name + u"\t" + date) + "\r\n";
    }
    WriteRaw("list.txt", text);
    std::vector<String> files;
    for (int i = 0; i < 60; ++i)
      files.push_back((dice.Next(2) == 0 ? u"/f/" : u"/g/") + dice.Word() + forms[dice.Next(4)]);
    std::vector<std::pair<Int32, Double>> told, want;
    TFileDateUpdater u([&](TObject*) { return static_cast<Int32>(files.size()); },
                       [&](TObject*, Int32 i) { return files[static_cast<size_t>(i)]; },
                       [&](TObject*, Int32 i, TDoubleAndBasis d) { told.emplace_back(i, d.d); });
    u.HandleAFileList(File("list.txt"));
    TUTF8Stringlist list;
    TFileStream f(File("list.txt"), fmOpenRead);
    list.LoadFromStream(&f);
    list.Sort();
    list.SetNameValueSeparator(u'\t');
    for (Int32 i = 0; i < static_cast<Int32>(files.size()); ++i) {
      const String part = ExtractFileName(files[static_cast<size_t>(i)]);
      for (const String& key : {part, files[static_cast<size_t>(i)], ChangeFileExt(part, String())}) {
        const Int32 k = list.IndexOfName(key);
        if (k < 0) continue;
        want.emplace_back(i, UserStrDateAndTimeParsed(list.ValueFromIndex(k)).d);
        break;
      }
    }
    EXPECT_EQ(told, want) << "round " << round;
  }
}

}  // namespace
}  // namespace sk
