// The folder-efficient file list (adding, names, the file form, damaged input,
// sorts, encoding checks) and the file-search record list (stream form, sorts
// and lookups).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "CoreTestSupport.h"
#include "TestSupport.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_filelists.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

template <class T>
void PutLE(TBytes& b, T v) {
  Byte raw[sizeof(T)];
  std::memcpy(raw, &v, sizeof(T));
  b.insert(b.end(), raw, raw + sizeof(T));  // the test machine is little-endian
}

void PutStored(TBytes& b, const String& s) {
  PutLE<Int32>(b, static_cast<Int32>(s.size()));
  for (Char c : s) PutLE<uint16_t>(b, c);
}

TBasicFileRec FileRec(const String& name, Int64 size, Double date = 0) {
  TBasicFileRec r{};
  r.ShortName = name;
  r.Size = size;
  r.TextualDateAndTime = date;
  return r;
}

String Names(const TFolderEfficientFileList& list) {
  String s;
  for (Int32 i = 0; i < list.FileCount(); ++i) s += (i ? u" " : u"") + list.GetFullFilename(i);
  return s;
}

// Restores the process switches a test changes.
class ProcessGuard {
 public:
  ~ProcessGuard() {
    global_panic_state = panic_no_panic;
    Global_DuplicateNames_Check = false;
  }

 private:
  ScopedHandOverVariables fHandOver;
};

// A temporary folder with files of known sizes.
class Useful_classes_base_filelistsDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = GetTempDirectory() + u"sk_fel_" + Utf8ToString(std::to_string(::getpid()));
    ASSERT_TRUE(ForceDirectories(root_ + u"/Sub"));
    ASSERT_TRUE(ForceDirectories(root_ + u"/sub"));
    Make(u"/Sub/a.txt", 3);
    Make(u"/Sub/b.txt", 5);
    Make(u"/sub/a.txt", 7);
  }
  void TearDown() override {
    for (const char16_t* f : {u"/Sub/a.txt", u"/Sub/b.txt", u"/sub/a.txt"}) DeleteFile(root_ + f);
    RemoveDir(root_ + u"/Sub");
    RemoveDir(root_ + u"/sub");
    RemoveDir(root_);
  }
  void Make(const String& rel, int bytes) {
    TFileStream fs(root_ + rel, fmCreate);
    for (int k = 0; k < bytes; ++k) fs.WriteBuffer("x", 1);
  }
  String root_;
};

// ---- adding files from disk -------------------------------------------------------------------

TEST_F(Useful_classes_base_filelistsDisk, AddingAndNames) {
  EXPECT_EQ(FileSize(root_ + u"/Sub/b.txt"), 5);
  EXPECT_EQ(FileSize(root_ + u"/Sub/none.txt"), -1);
  EXPECT_EQ(FileSize(root_ + u"/Sub"), 0);
  EXPECT_EQ(FileSize(u""), -1);

  TFolderEfficientFileList list;
  EXPECT_EQ(list.AddOne(root_ + u"/Sub/a.txt"), 0);
  EXPECT_EQ(list.AddOne(root_ + u"/Sub/b.txt"), 1);
  EXPECT_EQ(list.FolderCount(), 1);
  EXPECT_EQ(list.GetFoldername(0), root_ + u"/Sub");
  EXPECT_EQ(list.GetFullFilename(0), root_ + u"/Sub/a.txt");
  EXPECT_EQ(list.GetFullFilename(1), root_ + u"/Sub/b.txt");
  EXPECT_EQ(list.GetABasicFileFolderRec(1).bfr.Size, 5);
  EXPECT_EQ(list.GetABasicFileFolderRec(1).Parentlist, &list);

  // A missing file adds nothing, not even its folder.
  EXPECT_EQ(list.AddOne(root_ + u"/Other/none.txt"), -1);
  EXPECT_EQ(list.FolderCount(), 1);
  // The same file twice; Add answers the index it has.
  EXPECT_EQ(list.AddOne(root_ + u"/Sub/a.txt"), -1);
  EXPECT_EQ(list.Add(root_ + u"/Sub/b.txt"), 1);
  // Folders that differ only in case are two folders.
  EXPECT_EQ(list.AddOne(root_ + u"/sub/a.txt"), 2);
  EXPECT_EQ(list.FolderCount(), 2);
  EXPECT_EQ(list.GetFullFilename(2), root_ + u"/sub/a.txt");
  EXPECT_EQ(list.IndexOfLongName(root_ + u"/sub/a.txt"), 2);
  EXPECT_EQ(list.IndexOfShortName(u"B.TXT"), 1);
  EXPECT_EQ(list.GetTotalBytes(-1), 15);
  EXPECT_EQ(list.GetTotalBytes(1), 7);

  auto names = list.GetAsStringlist();
  ASSERT_EQ(names->Count(), 3);
  EXPECT_EQ((*names)[2], root_ + u"/sub/a.txt");

  // Another list adds only what is missing here.
  TFolderEfficientFileList other;
  other.AddOne(root_ + u"/sub/a.txt");
  other.AddOne(root_ + u"/Sub/b.txt");
  TFolderEfficientFileList merged;
  merged.AddOne(root_ + u"/Sub/b.txt");
  merged.AddAnotherList(other);
  EXPECT_EQ(Names(merged), root_ + u"/Sub/b.txt " + root_ + u"/sub/a.txt");

  TBasicFileRec rec = FileRec(u"a.txt", 0);
  EXPECT_EQ(merged.AddIfNotInAlready(rec, root_ + u"/sub"), -1);
  EXPECT_EQ(merged.AddIfNotInAlready(rec, root_ + u"/Sub"), 2);
  EXPECT_EQ(merged.GetABasicFileFolderRec(2).bfr.Size, 3);
}

TEST_F(Useful_classes_base_filelistsDisk, SetFullFilenameMovesOrAdds) {
  TFolderEfficientFileList list;
  list.AddOne(root_ + u"/Sub/a.txt");
  // Present already: nothing happens.
  list.SetFullFilename(5, root_ + u"/Sub/a.txt");
  EXPECT_EQ(list.FileCount(), 1);
  // Same short name elsewhere: the file moves.
  list.SetFullFilename(0, root_ + u"/sub/a.txt");
  EXPECT_EQ(list.FileCount(), 1);
  EXPECT_EQ(list.GetFullFilename(0), root_ + u"/sub/a.txt");
  EXPECT_EQ(list.IndexOfLongName(root_ + u"/sub/a.txt"), 0);
  EXPECT_EQ(list.IndexOfLongName(root_ + u"/Sub/a.txt"), -1);
  // A new short name is added from disk.
  list.SetFullFilename(0, root_ + u"/Sub/b.txt");
  EXPECT_EQ(list.FileCount(), 2);
  EXPECT_EQ(list.GetABasicFileFolderRec(1).bfr.Size, 5);
}

// ---- records without the disk ----------------------------------------------------------------------

TEST(Useful_classes_base_filelistsNames, FoldersAndHolders) {
  TFolderEfficientFileList list;
  TBasicFileRec r1 = FileRec(u"one.txt", 1);
  TBasicFileRec r2 = FileRec(u"two.txt", 2);
  TBasicFileRec r3 = FileRec(u"three.txt", 3);
  EXPECT_EQ(list.AddOne(u"/data/x", r1), 0);
  EXPECT_EQ(list.AddOne(u"", r2), 1);  // a relative name has no folder
  EXPECT_EQ(list.AddOne(u"/", r3), 2);  // a file at the root
  EXPECT_EQ(r3.folder_num0B, 2);
  EXPECT_EQ(list.GetFullFilename(1), u"two.txt");
  EXPECT_EQ(list.GetFullFilename(2), u"/three.txt");
  EXPECT_EQ(list.GetFullFilename(3), u"");
  EXPECT_EQ(list.GetFolderForFilenum(0), u"/data/x");
  EXPECT_EQ(list.GetFolderForFilenum(-1), u"");

  // A holder names its own file, whatever its folder number says of others.
  auto* holder = list.files->Holder(2);
  ASSERT_NE(holder, nullptr);
  EXPECT_EQ(holder->GetFullFilename(), u"/three.txt");
  EXPECT_EQ(list.files->Holder(0)->GetFullFilename(), u"/data/x/one.txt");

  list.SetFoldername(0, u"/data/y");
  EXPECT_EQ(list.GetFullFilename(0), u"/data/y/one.txt");
  EXPECT_THROW(list.GetFoldername(7), Exception);
  EXPECT_THROW(list.GetAnEncoding(9), Exception);
  list.SetAnEncoding(0, TEncoding::UTF8());
  EXPECT_EQ(list.GetAnEncoding(0), TEncoding::UTF8());
  list.SetJulianDateWithConst(1, 2460000.5);
  list.SetJulianDateWithConst(8, 1.0);
  EXPECT_DOUBLE_EQ(list.GetJulianDateWithConst(1), 2460000.5);
  EXPECT_DOUBLE_EQ(list.GetJulianDateWithConst(8), 0.0);
  EXPECT_EQ(list.files->Get(5), u"");
  EXPECT_EQ(list.files->GetAFolderNumber(5), 0);

  list.Delete(1);
  list.Delete(40);
  EXPECT_EQ(list.FileCount(), 2);
  EXPECT_EQ(list.FolderCount(), 3);
  list.Clear();
  EXPECT_EQ(list.FileCount() + list.FolderCount(), 0);
}

TEST(Useful_classes_base_filelistsNames, ManyFilesInFewFolders) {
  TFolderEfficientFileList list;
  const Int32 n = 30000;
  for (Int32 i = 0; i < n; ++i) {
    TBasicFileFolderRec rec{};
    rec.bfr = FileRec(u"f" + Utf8ToString(std::to_string(i)) + u".txt", i);
    const String folder = u"/corpus/part" + Utf8ToString(std::to_string(i % 3));
    ASSERT_EQ(list.AddOneChecked(false, false, folder, rec), i);
  }
  EXPECT_EQ(list.FolderCount(), 3);
  // Every one of them is found, and none can be added twice.
  for (Int32 i = 0; i < n; i += 997) {
    const String folder = u"/corpus/part" + Utf8ToString(std::to_string(i % 3));
    const String name = u"f" + Utf8ToString(std::to_string(i)) + u".txt";
    EXPECT_EQ(list.IndexOfFolderAndShortname(folder, name), i);
    EXPECT_EQ(list.IndexOfLongName(folder + u"/" + name), i);
    TBasicFileFolderRec again{};
    again.bfr = FileRec(name, 0);
    EXPECT_EQ(list.AddOneChecked(false, false, folder, again), -1);
  }
  EXPECT_EQ(list.IndexOfFolderAndShortname(u"/corpus/part1", u"f0.txt"), -1);
  // Lookups stay right after deletions move the files up.
  list.Delete(0);
  EXPECT_EQ(list.IndexOfFolderAndShortname(u"/corpus/part2", u"f2.txt"), 1);
  EXPECT_EQ(list.GetTotalBytes(-1), static_cast<Int64>(n) * (n - 1) / 2);
}

// ---- the file form -----------------------------------------------------------------------------------

TFolderEfficientFileList& Sample(TFolderEfficientFileList& list) {
  const String d = u"abc";
  for (size_t k = 0; k < d.size(); ++k) list.info_rec.description[k] = d[k];
  list.info_rec.case_insensitive = 1;
  list.info_rec.total_bytes = 77;
  list.info_rec.spare[0] = 9;
  TBasicFileRec r = FileRec(u"a.txt", 5000000000LL, 2.5);
  r.DateTime = 1.5;
  r.Zip_num1b = 3;
  r.encodamento = TEncoding::UTF8();
  list.AddOne(u"/f", r);
  return list;
}

TBytes SampleBytes() {
  TBytes b;
  PutLE<uint16_t>(b, u'a');
  PutLE<uint16_t>(b, u'b');
  PutLE<uint16_t>(b, u'c');
  b.resize(202, 0);
  b.push_back(1);  // case_insensitive
  b.push_back(0);
  PutLE<Int32>(b, 1);  // fils
  PutLE<Int32>(b, 1);  // foldrs
  PutLE<Int32>(b, 0);
  PutLE<Int64>(b, 77);
  b.push_back(9);
  b.resize(296, 0);
  PutStored(b, u"/f\r\n");
  PutLE<Double>(b, 1.5);
  PutLE<Double>(b, 2.5);
  PutLE<Int64>(b, 5000000000LL);
  PutLE<Int32>(b, 3);
  PutLE<Int32>(b, 0);
  PutLE<Int64>(b, 0);  // the encoding slot
  PutStored(b, u"a.txt");
  return b;
}

TEST(Useful_classes_base_filelistsStream, GoldenBytesAndRoundTrip) {
  TFolderEfficientFileList list;
  TMemoryStream ms;
  ASSERT_TRUE(Sample(list).DoWriteToStream(&ms));
  EXPECT_EQ(ms.ToBytes(), SampleBytes());

  TFolderEfficientFileList back;
  TBasicFileRec old = FileRec(u"old.txt", 1);
  back.AddOne(u"/old", old);
  ms.SetPosition(0);
  ASSERT_TRUE(back.DoReadFromStream(&ms));
  // Reading replaces what the list held.
  ASSERT_EQ(back.FileCount(), 1);
  ASSERT_EQ(back.FolderCount(), 1);
  EXPECT_EQ(back.GetFullFilename(0), u"/f/a.txt");
  const TBasicFileFolderRec r = back.GetABasicFileFolderRec(0);
  EXPECT_EQ(r.bfr.Size, 5000000000LL);
  EXPECT_DOUBLE_EQ(r.bfr.DateTime, 1.5);
  EXPECT_DOUBLE_EQ(r.bfr.TextualDateAndTime, 2.5);
  EXPECT_EQ(r.bfr.Zip_num1b, 3);
  EXPECT_EQ(r.bfr.encodamento, nullptr);
  EXPECT_EQ(r.Parentlist, &back);
  EXPECT_EQ(back.info_rec.description[2], u'c');
  EXPECT_EQ(back.info_rec.case_insensitive, 1);
  EXPECT_EQ(back.info_rec.total_bytes, 77);
  EXPECT_EQ(back.info_rec.spare[0], 9);
  EXPECT_EQ(back.IndexOfLongName(u"/f/a.txt"), 0);
}

// Sizes read from a damaged file may add up beyond the Int64 range: the total
// is held to the range instead of overflowing.
TEST(Useful_classes_base_filelists, TotalBytesOfSizesFromAStreamStaysInRange) {
  struct Case {
    std::vector<Int64> sizes;
    Int64 total;
  } const cases[] = {
      {{INT64_MAX, INT64_MAX}, INT64_MAX},
      {{INT64_MIN, INT64_MIN, 5}, INT64_MIN},
      {{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN}, -2},
      {{INT64_MAX, 1, -10}, INT64_MAX - 9},
  };
  for (const Case& c : cases) {
    TFolderEfficientFileList source;
    Int32 n = 0;
    for (Int64 size : c.sizes) {
      TBasicFileRec rec = FileRec(u"f" + IntToStr(n++) + u".txt", 0);
      rec.Size = size;
      source.AddOne(u"/big", rec);
    }
    TMemoryStream ms;
    ASSERT_TRUE(source.DoWriteToStream(&ms));
    ms.SetPosition(0);
    TFolderEfficientFileList list;
    ASSERT_TRUE(list.DoReadFromStream(&ms));
    EXPECT_EQ(list.GetTotalBytes(-1), c.total);
    EXPECT_EQ(list.GetTotalBytes(0), c.total);
  }
}

TEST(Useful_classes_base_filelistsStream, FileRoundTrip) {
  const String name = GetTempDirectory() + u"sk_fel_" + Utf8ToString(std::to_string(::getpid())) + u".lst";
  TFolderEfficientFileList list;
  ASSERT_TRUE(Sample(list).DoWriteToFile(name));
  TFolderEfficientFileList back;
  ASSERT_TRUE(back.DoReadFromFile(name));
  EXPECT_EQ(Names(back), u"/f/a.txt");
  DeleteFile(name);
  EXPECT_THROW(back.DoReadFromFile(name), EFOpenError);
}

// A folder name holding a line break cannot be stored: the save refuses the
// list and writes nothing, and a file already there keeps its bytes.
TEST(Useful_classes_base_filelistsStream, FolderWithALineBreakIsRefusedBeforeWriting) {
  const String name = GetTempDirectory() + u"sk_felb_" + Utf8ToString(std::to_string(::getpid())) + u".lst";
  TFolderEfficientFileList good;
  ASSERT_TRUE(Sample(good).DoWriteToFile(name));
  TMemoryStream before;
  before.LoadFromFile(name);
  for (const char16_t* folder : {u"/a\nb", u"/a\rb", u"/a\r\n"}) {
    TFolderEfficientFileList list;
    TBasicFileRec rec = FileRec(u"x.txt", 1);
    list.AddOne(folder, rec);
    TMemoryStream ms;
    EXPECT_FALSE(list.DoWriteToStream(&ms));
    EXPECT_EQ(ms.Size(), 0);
    EXPECT_FALSE(list.DoWriteToFile(name));
    TMemoryStream after;
    after.LoadFromFile(name);
    EXPECT_EQ(after.ToBytes(), before.ToBytes());
  }
  DeleteFile(name);
}

TEST(Useful_classes_base_filelistsStream, DamagedInput) {
  const TBytes good = SampleBytes();
  auto read = [](const TBytes& bytes, TFolderEfficientFileList& into) {
    TBytesStream s(bytes);
    return into.DoReadFromStream(&s);
  };
  {  // folder count that does not match the folder text
    TBytes b = good;
    b[208] = 2;
    TFolderEfficientFileList l;
    EXPECT_FALSE(read(b, l));
    EXPECT_EQ(l.FileCount(), 0);
  }
  {  // more file records announced than the stream holds
    TBytes b = good;
    b[204] = 2;
    TFolderEfficientFileList l;
    EXPECT_FALSE(read(b, l));
  }
  {  // cut inside the only record's name
    TBytes b(good.begin(), good.end() - 3);
    TFolderEfficientFileList l;
    EXPECT_FALSE(read(b, l));
    EXPECT_EQ(l.FolderCount(), 1);
  }
  {  // cut inside the info record
    TBytes b(good.begin(), good.begin() + 100);
    TFolderEfficientFileList l;
    EXPECT_FALSE(read(b, l));
  }
  {  // a folder text longer than the stream: refused without allocating it
    TBytes b(good.begin(), good.begin() + 296);
    PutLE<Int32>(b, 0x7FFFFFF0);
    TFolderEfficientFileList l;
    EXPECT_FALSE(read(b, l));
  }
  {  // a negative file count
    TBytes b = good;
    b[204] = 0xFF;
    b[205] = 0xFF;
    b[206] = 0xFF;
    b[207] = 0xFF;
    TFolderEfficientFileList l;
    EXPECT_FALSE(read(b, l));
  }
  {  // a negative folder-text count raises the stored-string error
    TBytes b(good.begin(), good.begin() + 296);
    PutLE<Int32>(b, -2);
    TFolderEfficientFileList l;
    EXPECT_THROW(read(b, l), Exception);
  }
  {  // nothing at all
    TFolderEfficientFileList l;
    EXPECT_FALSE(read(TBytes{}, l));
  }
}

// ---- sorts and encoding checks ---------------------------------------------------------------------------

TEST(Useful_classes_base_filelistsSort, KeysDirectionsAndTies) {
  ProcessGuard guard;
  TFolderEfficientFileList list;
  TBasicFileRec a = FileRec(u"a", 3LL << 32, 10);
  TBasicFileRec b = FileRec(u"b", 1LL << 32, 20);
  TBasicFileRec c = FileRec(u"c", 2LL << 32, 10);
  TBasicFileRec d = FileRec(u"D", 5, 10);
  list.AddOne(u"/x", b);
  list.AddOne(u"/y", a);
  list.AddOne(u"/x", d);
  list.AddOne(u"/y", c);
  auto order = [&] {
    String s;
    for (Int32 i = 0; i < list.FileCount(); ++i) s += list.files->Get(i);
    return s;
  };
  list.DoASort(ss_size, ss_size, false);  // sizes beyond 32 bits count whole
  EXPECT_EQ(order(), u"acbD");
  list.DoASort(ss_none, ss_size, false);
  EXPECT_EQ(order(), u"acbD");
  EXPECT_EQ(list.sort_1, ss_none);
  list.DoASort(ss_date, ss_size, true);  // ties on the date by size
  EXPECT_EQ(order(), u"Dcab");
  list.DoASort(ss_folder, ss_shortname, true);  // folder x: b, D -> D b ordinally
  EXPECT_EQ(order(), u"Dbac");
  list.info_rec.case_insensitive = 1;
  list.DoASort(ss_folder, ss_shortname, true);
  EXPECT_EQ(order(), u"bDac");
  list.SortOnFilenamesAscending(false);
  EXPECT_EQ(order(), u"Dabc");
  EXPECT_EQ(list.info_rec.case_insensitive, 0);
  list.SortOnFilenamesAscending(true);
  EXPECT_EQ(order(), u"abcD");
  // The lookup index follows the sorted lines.
  EXPECT_EQ(list.IndexOfFolderAndShortname(u"/x", u"D"), 3);

  list.DoASort(ss_random, ss_none, true);
  EXPECT_EQ(list.FileCount(), 4);
  EXPECT_EQ(list.IndexOfFolderAndShortname(u"/y", u"c") >= 0, true);

  // A cancelled sort ends with every file still there.
  global_panic_state = panic_stop;
  list.DoASort(ss_size, ss_date, true);
  EXPECT_EQ(list.FileCount(), 4);
}

// Long sorts of both lists give the host yields, and a Stop ends them with
// every file still there; a search-record list stopped part-way no longer
// claims an order, so Find still finds every record.
TEST(Useful_classes_base_filelistsSort, LongSortsYieldAndStopKeepingEveryFile) {
  ProcessGuard guard;
  EveryCheckYields everyCheck;
  std::mt19937 rng(13);
  auto name = [&] {
    String s;
    for (int k = 0; k < 10; ++k) s += static_cast<Char>(u'a' + rng() % 26);
    return s;
  };
  for (int stopAt : {0, 2}) {
    SCOPED_TRACE(stopAt);
    TFolderEfficientFileList files;
    TMySearchRecList recs;
    for (int i = 0; i < 3000; ++i) {
      TBasicFileRec r = FileRec(name(), i);
      files.AddOne(u"/f" + Utf8ToString(std::to_string(i % 7)), r);
      TMySearchRec sr;
      sr.ShortName = name();
      sr.Size = i;
      recs.AddOne(sr);
    }
    int calls = 0;
    Global_YieldProcessProc = [&] {
      if (++calls == stopAt) global_panic_state = panic_stop;
    };
    files.SortOnFilenamesAscending(false);
    EXPECT_GE(calls, 1);
    if (stopAt != 0) {
      EXPECT_EQ(calls, stopAt);
    }
    global_panic_state = panic_no_panic;
    calls = 0;
    recs.DoASort(sr_sort_by_name);
    EXPECT_GE(calls, 1);
    if (stopAt != 0) {
      EXPECT_EQ(calls, stopAt);
    }
    global_panic_state = panic_no_panic;
    Global_YieldProcessProc = nullptr;
    EXPECT_EQ(files.FileCount(), 3000);
    ASSERT_EQ(recs.Count(), 3000);
    if (stopAt == 0) {
      for (Int32 i = 1; i < files.FileCount(); ++i) ASSERT_LT(files.files->Get(i - 1), files.files->Get(i));
      for (Int32 i = 1; i < recs.Count(); ++i)
        ASSERT_LE(CompareText(recs.GetAMySearchRec(i - 1).ShortName, recs.GetAMySearchRec(i).ShortName), 0);
    }
    EXPECT_EQ(recs.fSort, stopAt == 0 ? sr_sort_by_name : sr_sort_none);
    std::vector<Int32> sizes;
    for (Int32 i = 0; i < recs.Count(); ++i) {
      const TMySearchRec r = recs.GetAMySearchRec(i);
      ASSERT_EQ(recs.Find(r), i);
      sizes.push_back(r.Size);
    }
    std::sort(sizes.begin(), sizes.end());
    for (Int32 i = 0; i < 3000; ++i) ASSERT_EQ(sizes[static_cast<size_t>(i)], i);
  }
}

TEST(Useful_classes_base_filelistsSort, CopyNumbersSortAfterTheirName) {
  ProcessGuard guard;
  TFolderEfficientFileList list;
  for (const char16_t* n : {u"b (2).txt", u"b.txt", u"a.txt"}) {
    TBasicFileRec r = FileRec(n, 1);
    list.AddOne(u"/x", r);
  }
  list.DoASort(ss_shortname, ss_none, true);
  EXPECT_EQ(list.files->Get(0), u"a.txt");
  EXPECT_EQ(list.files->Get(1), u"b (2).txt");
  Global_DuplicateNames_Check = true;
  list.DoASort(ss_shortname, ss_none, true);
  EXPECT_EQ(list.files->Get(1), u"b.txt");
  EXPECT_EQ(list.files->Get(2), u"b (2).txt");
}

TEST(Useful_classes_base_filelistsSort, CheckFileFormats) {
  ProcessGuard guard;
  TFolderEfficientFileList list;
  for (int i = 0; i < 40; ++i) {
    TBasicFileRec r = FileRec(u"t" + Utf8ToString(std::to_string(i)), 1);
    list.AddOne(u"/c", r);
  }
  EXPECT_FALSE(list.CheckFileFormatsVaried());

  std::vector<Int32> percents;
  std::vector<Int64> dones;
  list.SetOnProgressPercentDoneTotal([&](Int32 p, Int64 done, Int64 total) {
    percents.push_back(p);
    dones.push_back(done);
    EXPECT_EQ(total, 40);
  });
  list.fOnCheckingFileFormat = [](TObject*, const String& name) -> TEncoding* {
    return name == u"/c/t33" ? TEncoding::UTF8() : TEncoding::Unicode();
  };
  EXPECT_TRUE(list.CheckFileFormatsVaried());
  EXPECT_EQ(percents, (std::vector<Int32>{0, 40, 80}));
  EXPECT_EQ(dones, (std::vector<Int64>{1, 17, 33}));
  EXPECT_EQ(list.GetAnEncoding(33), TEncoding::UTF8());
  EXPECT_EQ(list.GetAnEncoding(32), TEncoding::Unicode());

  // Stopped by the host after the first file: only that file counts.
  int calls = 0;
  list.fOnCheckingFileFormat = [&](TObject*, const String&) -> TEncoding* {
    if (++calls == 1) global_panic_state = panic_stop_asap;
    return TEncoding::Unicode();
  };
  EXPECT_FALSE(list.CheckFileFormatsVaried());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(list.GetAnEncoding(33), TEncoding::UTF8());
  global_panic_state = panic_no_panic;

  // A handler that fails passes its exception on; later files keep theirs.
  list.fOnCheckingFileFormat = [](TObject*, const String& name) -> TEncoding* {
    if (name == u"/c/t2") throw std::runtime_error("unreadable");
    return TEncoding::ANSI();
  };
  EXPECT_THROW(list.CheckFileFormatsVaried(), std::runtime_error);
  EXPECT_EQ(list.GetAnEncoding(1), TEncoding::ANSI());
  EXPECT_EQ(list.GetAnEncoding(2), TEncoding::Unicode());
}

// ---- the file-search record list --------------------------------------------------------------------------

TMySearchRec SearchRec(const String& name, Int32 size, Double date) {
  TMySearchRec r;
  r.ShortName = name;
  r.Size = size;
  r.DateTime = date;
  return r;
}

TEST(Useful_classes_base_filelistsSearchRecs, StreamForm) {
  TMySearchRecList list;
  TMySearchRec r = SearchRec(u"ab", 70000, 2.25);
  r.ZipfileNum1B = 2;
  r.Within_ZipNum1B = 0xFFFF;
  list.AddOne(r);
  TMemoryStream ms;
  ASSERT_TRUE(list.SaveToStream(&ms));
  TBytes want;
  PutLE<Int32>(want, 1);
  PutLE<Double>(want, 2.25);
  PutLE<Int32>(want, 70000);
  PutLE<uint16_t>(want, 2);
  PutLE<uint16_t>(want, 0xFFFF);
  PutStored(want, u"ab");
  EXPECT_EQ(ms.ToBytes(), want);

  TMySearchRecList back;
  back.AddOne(SearchRec(u"first", 1, 0));
  ms.SetPosition(0);
  ASSERT_TRUE(back.ReadFromStream(&ms));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.GetAMySearchRec(1).Within_ZipNum1B, 0xFFFF);
  EXPECT_EQ(back.GetAMySearchRec(1).ShortName, u"ab");
  EXPECT_EQ(back.GetAMySearchRec(5).ShortName, u"");
  EXPECT_EQ((*back.GetAsStringlist())[0], u"first");

  // A count the stream cannot hold, a cut item and a negative count.
  TBytes big;
  PutLE<Int32>(big, 1 << 30);
  TBytesStream s1(big);
  EXPECT_THROW(back.ReadFromStream(&s1), EReadError);
  TBytes cut(want.begin(), want.end() - 5);
  TBytesStream s2(cut);
  EXPECT_THROW(back.ReadFromStream(&s2), EReadError);
  TBytes neg;
  PutLE<Int32>(neg, -1);
  TBytesStream s3(neg);
  EXPECT_FALSE(back.ReadFromStream(&s3));
  EXPECT_EQ(back.Count(), 2);
}

// A date that is not a number (from a damaged file) sorts to one end in both
// directions, so that halving on the date still finds every record.
TEST(Useful_classes_base_filelists, FindAfterADateSortWithANaNDate) {
  ProcessGuard guard;
  const Double nan = std::numeric_limits<Double>::quiet_NaN();
  for (const bool reversed : {false, true}) {
    TMySearchRecList list;
    list.AddOne(SearchRec(u"undated", 1, nan));
    list.AddOne(SearchRec(u"zero", 2, 0.0));
    list.AddOne(SearchRec(u"later", 3, 45000.0));
    list.AddOne(SearchRec(u"also undated", 4, nan));
    global_reversed_sort = reversed;
    list.DoASort(sr_sort_by_date);
    global_reversed_sort = false;
    for (Int32 i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Find(list.GetAMySearchRec(i)), i) << reversed;
    EXPECT_GE(list.Find(SearchRec(u"zero", 2, 0.0)), 0);
    const Int32 last = reversed ? 0 : 3;
    EXPECT_TRUE(std::isnan(list.GetAMySearchRec(last).DateTime));
  }
}

TEST(Useful_classes_base_filelistsSearchRecs, SortsAndFind) {
  ProcessGuard guard;
  TMySearchRecList list;
  list.AddOne(SearchRec(u"Beta.txt", 30, 3));
  list.AddOne(SearchRec(u"alpha.doc", 10, 1));
  list.AddOne(SearchRec(u"BETA.txt", 20, 2));
  list.AddOne(SearchRec(u"gamma.rtf", 40, 4));
  EXPECT_EQ(list.Find(SearchRec(u"BETA.txt", 20, 2)), 2);

  list.DoASort(sr_sort_by_name);
  EXPECT_EQ(list.GetAMySearchRec(0).ShortName, u"alpha.doc");
  EXPECT_EQ(list.Find(SearchRec(u"gamma.rtf", 40, 4)), 3);
  // Two names equal but for case: found through the scan from the start.
  const TMySearchRec beta1 = SearchRec(u"Beta.txt", 30, 3);
  const TMySearchRec beta2 = SearchRec(u"BETA.txt", 20, 2);
  EXPECT_EQ(list.GetAMySearchRec(list.Find(beta1)).Size, 30);
  EXPECT_EQ(list.GetAMySearchRec(list.IndexOF(beta2)).Size, 20);
  EXPECT_EQ(list.Find(SearchRec(u"beta.txt", 30, 3)), -1);
  EXPECT_EQ(list.Find(SearchRec(u"zeta", 1, 1)), -1);

  // A list sorted while global_reversed_sort was set descends; it is still
  // searched the right way round.
  global_reversed_sort = true;
  list.DoASort(sr_sort_by_size);
  global_reversed_sort = false;
  EXPECT_EQ(list.GetAMySearchRec(0).Size, 40);
  for (Int32 i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Find(list.GetAMySearchRec(i)), i);

  // A list sorted by extension is searched on the extension.
  list.DoASort(sr_sort_by_extension);
  EXPECT_EQ(list.GetAMySearchRec(0).ShortName, u"alpha.doc");
  for (Int32 i = 0; i < list.Count(); ++i)
    EXPECT_EQ(list.GetAMySearchRec(list.Find(list.GetAMySearchRec(i))).Size, list.GetAMySearchRec(i).Size);

  // An item that breaks the known order makes it unknown, so it is still found.
  list.DoASort(sr_sort_by_date);
  list.AddOne(SearchRec(u"early", 1, 0.5));
  EXPECT_EQ(list.fSort, sr_sort_none);
  EXPECT_EQ(list.Find(SearchRec(u"early", 1, 0.5)), 4);
  // A read that appends out of order does the same.
  list.DoASort(sr_sort_by_date);
  TMySearchRecList extra;
  extra.AddOne(SearchRec(u"earlier", 1, 0.1));
  TMemoryStream ms;
  extra.SaveToStream(&ms);
  ms.SetPosition(0);
  list.ReadFromStream(&ms);
  EXPECT_EQ(list.fSort, sr_sort_none);
  EXPECT_EQ(list.Find(SearchRec(u"earlier", 1, 0.1)), 5);

  list.Delete(0);
  EXPECT_EQ(list.Count(), 5);
  list.Clear();
  EXPECT_EQ(list.fSort, sr_sort_none);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace sk
