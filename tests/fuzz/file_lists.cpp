// File lists and search records, fed untrusted bytes: the folder-efficient
// file list's file form and the search-record list's stream form. Whatever a
// reader accepts is written back, and reading and writing that again gives the
// same bytes. The sums, sorts and lookups then run over what was read: the
// total size never overflows, and after any sort every record is found again.
#include <cmath>

#include "core/Global_vars.h"
#include "core/Useful_classes_base_filelists.h"
#include "platform/runtime/Streams.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

enum Mode : uint8_t { kFolderEfficient, kSearchRecs, kModeCount };

void FolderEfficient(const TBytes& data, uint8_t how) {
  TFolderEfficientFileList list;
  TBytesStream in(data);
  bool ok = false;
  try {
    ok = list.DoReadFromStream(&in);
  } catch (const Exception&) {
    return;  // a stored string that fails its checks raises
  }
  // Whatever was read before any damage stays usable.
  (void)list.GetTotalBytes(-1);
  for (Int32 f = 0; f < list.FolderCount() && f < 64; ++f) (void)list.GetTotalBytes(f);
  for (Int32 i = 0; i < list.FileCount() && i < 32; ++i) {
    const TBasicFileFolderRec rec = list.GetABasicFileFolderRec(i);
    (void)list.GetFullFilename(i);
    (void)list.GetJulianDateWithConst(i);
    // A file is found again under its folder, unless a damaged file gave it
    // a folder that does not exist or another folder of the same name first.
    const String folder = list.GetFolderForFilenum(i);
    const Int32 j = list.IndexOfFolderAndShortname(folder, rec.bfr.ShortName);
    const Int32 n = rec.bfr.folder_num0B;
    if (ok && n >= 0 && n < list.FolderCount() && list.IndexOfFolder(folder) == n) SK_FUZZ_CHECK(j >= 0);
  }
  if (!ok) return;
  TMemoryStream once;
  SK_FUZZ_CHECK(list.DoWriteToStream(&once));
  TFolderEfficientFileList back;
  TBytesStream again(once.ToBytes());
  SK_FUZZ_CHECK(back.DoReadFromStream(&again));
  SK_FUZZ_CHECK(back.FileCount() == list.FileCount() && back.FolderCount() == list.FolderCount());
  TMemoryStream twice;
  SK_FUZZ_CHECK(back.DoWriteToStream(&twice));
  SK_FUZZ_CHECK(twice.ToBytes() == once.ToBytes());

  const auto sort1 = static_cast<TMySimpleSearchRecSort>(how % 6);  // ss_random is not repeatable
  const auto sort2 = static_cast<TMySimpleSearchRecSort>((how / 6) % 6);
  list.DoASort(sort1, sort2, (how & 0x80) != 0);
  SK_FUZZ_CHECK(list.FileCount() == back.FileCount());
  SK_FUZZ_CHECK(list.GetTotalBytes(-1) == back.GetTotalBytes(-1));
}

bool SameRecord(const TMySearchRec& a, const TMySearchRec& b) {
  const bool sameDate = a.DateTime == b.DateTime || (std::isnan(a.DateTime) && std::isnan(b.DateTime));
  return sameDate && a.Size == b.Size && a.ShortName == b.ShortName;
}

void SearchRecs(const TBytes& data, uint8_t how) {
  TMySearchRecList list;
  TBytesStream in(data);
  bool ok = false;
  try {
    ok = list.ReadFromStream(&in);
  } catch (const Exception&) {
    return;  // a count the stream cannot hold, or a record cut short
  }
  if (!ok) return;
  TMemoryStream once;
  SK_FUZZ_CHECK(list.SaveToStream(&once));
  SK_FUZZ_CHECK(once.ToBytes() == TBytes(data.begin(), data.begin() + in.Position()));
  TMySearchRecList back;
  TBytesStream again(once.ToBytes());
  SK_FUZZ_CHECK(back.ReadFromStream(&again));
  TMemoryStream twice;
  SK_FUZZ_CHECK(back.SaveToStream(&twice));
  SK_FUZZ_CHECK(twice.ToBytes() == once.ToBytes());

  // After a sort in either direction, every record is found again.
  global_reversed_sort = (how & 0x10) != 0;
  list.DoASort(static_cast<TMySearchRecSort>(how % 5));
  global_reversed_sort = false;
  for (Int32 i = 0; i < list.Count() && i < 48; ++i) {
    const TMySearchRec rec = list.GetAMySearchRec(i);
    const Int32 j = list.Find(rec);
    SK_FUZZ_CHECK(j >= 0);
    SK_FUZZ_CHECK(SameRecord(list.GetAMySearchRec(j), rec));
  }
}

// ---- seeds ----

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  auto add = [&](uint8_t mode, uint8_t how, const TBytes& b) {
    TBytes r{mode, how};
    r.insert(r.end(), b.begin(), b.end());
    seeds.Add(r);
  };
  {
    TFolderEfficientFileList list;
    TBasicFileRec a{};
    a.DateTime = 45000.5;
    a.TextualDateAndTime = 45000.25;
    a.Size = 1234;
    a.ShortName = u"chapter1.txt";
    list.AddOne(u"/corpus/novels", a);
    TBasicFileRec b = a;
    b.Size = 99;
    b.ShortName = u"notes.docx";
    list.AddOne(u"/corpus/notes", b);
    TBasicFileRec c = a;
    c.ShortName = u"chapter2.txt";
    list.AddOne(u"/corpus/novels", c);
    TMemoryStream ms;
    list.DoWriteToStream(&ms);
    add(kFolderEfficient, 0x19, ms.ToBytes());
  }
  {
    TMySearchRecList list;
    list.AddOne(TMySearchRec{45001.0, 10, 0, 0, u"b.txt"});
    list.AddOne(TMySearchRec{44000.0, 300, 1, 2, u"a.xml"});
    list.AddOne(TMySearchRec{0.0, 0, 0, 0, u"c"});
    TMemoryStream ms;
    list.SaveToStream(&ms);
    add(kSearchRecs, 2, ms.ToBytes());
    add(kSearchRecs, 0x12, ms.ToBytes());
  }
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  const uint8_t how = in.Byte();
  global_reversed_sort = false;
  switch (mode) {
    case kFolderEfficient: FolderEfficient(in.Rest(), how); break;
    case kSearchRecs: SearchRecs(in.Rest(), how); break;
    default: break;
  }
  return 0;
}
