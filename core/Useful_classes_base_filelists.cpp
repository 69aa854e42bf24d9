#include "core/Useful_classes_base_filelists.h"

#include <cmath>

#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "core/Basic_processes.h"
#include "core/Comparing_types.h"
#include "core/Global_vars.h"
#include "core/Stringtag_utils.h"
#include "core/Useful_classes_base_raw.h"
#include "core/Useful_classes_stringlist_sorts.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

constexpr Int64 kInfoRecSize = 296;
// The raw part of a file record, and the fewest bytes a whole record takes
// (the raw part and an empty stored name).
constexpr Int64 kFileRecRawSize = 40;
constexpr Int64 kMinFileRecSize = kFileRecRawSize + 4;
// The raw part of a file-search record and the fewest bytes of a whole one.
constexpr Int64 kSearchRecRawSize = 16;
constexpr Int64 kMinSearchRecSize = kSearchRecRawSize + 4;

void EncodeInfoRec(const TFolderEfficientFileStringlistInfoRec& r, Byte* b) {
  std::memset(b, 0, kInfoRecSize);
  for (size_t k = 0; k < r.description.size(); ++k) raw_detail::Put<uint16_t>(b + 2 * k, static_cast<uint16_t>(r.description[k]));
  b[202] = r.case_insensitive;
  raw_detail::Put<Int32>(b + 204, r.fils);
  raw_detail::Put<Int32>(b + 208, r.foldrs);
  raw_detail::Put<Int64>(b + 216, r.total_bytes);
  std::memcpy(b + 224, r.spare.data(), r.spare.size());
}

void DecodeInfoRec(const Byte* b, TFolderEfficientFileStringlistInfoRec& r) {
  for (size_t k = 0; k < r.description.size(); ++k) r.description[k] = static_cast<Char>(raw_detail::Get<uint16_t>(b + 2 * k));
  r.case_insensitive = b[202];
  r.fils = raw_detail::Get<Int32>(b + 204);
  r.foldrs = raw_detail::Get<Int32>(b + 208);
  r.total_bytes = raw_detail::Get<Int64>(b + 216);
  std::memcpy(r.spare.data(), b + 224, r.spare.size());
}

// The folder list: a platform string list that also finds a folder by its
// exact text through an index, rebuilt after any change of the lines.
class TFolderTextList : public TStringList {
 public:
  Int32 IndexOfExact(const String& s) {
    if (!fValid) {
      fIndex.clear();
      fIndex.reserve(fItems.size());
      for (size_t k = 0; k < fItems.size(); ++k) fIndex.emplace(fItems[k].s, static_cast<Int32>(k));
      fValid = true;
    }
    const auto it = fIndex.find(s);
    return it == fIndex.end() ? -1 : it->second;
  }
  // Appends s, keeping the index when it was valid.
  Int32 Append(const String& s) {
    const bool wasValid = fValid && !Sorted();
    const Int32 r = Add(s);
    if (wasValid && r == GetCount() - 1) {
      fIndex.emplace(s, r);
      fValid = true;
    }
    return r;
  }

 protected:
  void Changed() override {
    fValid = false;
    TStringList::Changed();
  }

 private:
  std::unordered_map<String, Int32> fIndex;
  bool fValid = false;
};

// The lookup key of a file: its folder number and its short name.
String FileKey(Int32 folderNumber, const String& shortName) {
  const auto u = static_cast<uint32_t>(folderNumber);
  String k;
  k.reserve(shortName.size() + 2);
  k.push_back(static_cast<Char>(u & 0xFFFF));
  k.push_back(static_cast<Char>(u >> 16));
  k += shortName;
  return k;
}

Int32 CompareInt64(Int64 a, Int64 b) { return a < b ? -1 : (a > b ? 1 : 0); }

}  // namespace

// ---- FileSize -------------------------------------------------------------------------------

Int64 FileSize(const String& name) {
  if (name.empty()) return -1;
  const Int64 size = FileSizeByName(name);
  if (size >= 0) return size;
  return DirectoryExists(name) ? 0 : -1;
}

// ---- TBasicFileFolderHolder ---------------------------------------------------------------------

std::unique_ptr<TBasicFileFolderHolder> TBasicFileFolderHolder::CreateBlank(TFolderEfficientFileList* parent) {
  TBasicFileFolderRec rec{};
  rec.Parentlist = parent;
  return std::make_unique<TBasicFileFolderHolder>(rec);
}

bool TBasicFileFolderHolder::ReadFromStream(TStream* stream) {
  if (stream == nullptr) return false;
  Byte raw[kFileRecRawSize];
  if (stream->Read(raw, kFileRecRawSize) != kFileRecRawSize) return false;
  TBasicFileRec& r = data.bfr;
  r.DateTime = raw_detail::Get<Double>(raw + 0);
  r.TextualDateAndTime = raw_detail::Get<Double>(raw + 8);
  r.Size = raw_detail::Get<Int64>(raw + 16);
  r.Zip_num1b = raw_detail::Get<Int32>(raw + 24);
  r.folder_num0B = raw_detail::Get<Int32>(raw + 28);
  // raw + 32: the encoding slot, which holds nothing portable.
  r.encodamento = nullptr;
  return ReadAListStringIfWhole(stream, r.ShortName);
}

bool TBasicFileFolderHolder::WriteToStream(TStream* stream) const {
  if (stream == nullptr) return false;
  Byte raw[kFileRecRawSize] = {};
  const TBasicFileRec& r = data.bfr;
  raw_detail::Put<Double>(raw + 0, r.DateTime);
  raw_detail::Put<Double>(raw + 8, r.TextualDateAndTime);
  raw_detail::Put<Int64>(raw + 16, r.Size);
  raw_detail::Put<Int32>(raw + 24, r.Zip_num1b);
  raw_detail::Put<Int32>(raw + 28, r.folder_num0B);
  if (stream->Write(raw, kFileRecRawSize) != kFileRecRawSize) return false;
  return WriteAString(stream, r.ShortName);
}

String TBasicFileFolderHolder::GetFullFilename() const {
  if (data.Parentlist == nullptr) return data.bfr.ShortName;
  return TFolderEfficientFileList::JoinedName(data.Parentlist->FolderText(data.bfr.folder_num0B), data.bfr.ShortName);
}

void TBasicFileFolderHolder::SetFullFilename(const String& name) {
  if (data.Parentlist != nullptr) data.Parentlist->SetFullFilename(0, name);
}

// ---- TBasicFileFolderHolderStringlist ----------------------------------------------------------

TBasicFileFolderHolderStringlist::~TBasicFileFolderHolderStringlist() { Clear(); }

String TBasicFileFolderHolderStringlist::Get(Int32 index) const {
  if (!IndexAssignedOK(index)) return String();
  if (const TBasicFileFolderHolder* h = Holder(index)) return h->data.bfr.ShortName;
  return fItems[static_cast<size_t>(index)].s;
}

void TBasicFileFolderHolderStringlist::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

TObject* TBasicFileFolderHolderStringlist::AdoptedObject(TObject*) const { return nullptr; }

void TBasicFileFolderHolderStringlist::Changed() {
  fIndexValid = false;
  TIndexCheckStringlist::Changed();
}

TBasicFileFolderHolder* TBasicFileFolderHolderStringlist::Holder(Int32 i) const {
  return HeldAt<TBasicFileFolderHolder>(i);
}

Int32 TBasicFileFolderHolderStringlist::GetAFolderNumber(Int32 i) const {
  const TBasicFileFolderHolder* h = Holder(i);
  return h != nullptr ? h->data.bfr.folder_num0B : 0;
}

TBasicFileFolderRec TBasicFileFolderHolderStringlist::GetABasicFileFolderRec(Int32 i) const {
  const TBasicFileFolderHolder* h = Holder(i);
  return h != nullptr ? h->data : TBasicFileFolderRec{};
}

Int32 TBasicFileFolderHolderStringlist::IndexOfFolderAndShortname(const String& shortName, Int32 folderNumber) {
  if (!fIndexValid) {
    fIndex.clear();
    fIndex.reserve(fItems.size());
    for (Int32 i = 0; i < GetCount(); ++i)
      if (const TBasicFileFolderHolder* h = Holder(i))
        fIndex.emplace(FileKey(h->data.bfr.folder_num0B, h->data.bfr.ShortName), i);
    fIndexValid = true;
  }
  const auto it = fIndex.find(FileKey(folderNumber, shortName));
  return it == fIndex.end() ? -1 : it->second;
}

void TBasicFileFolderHolderStringlist::SetFolderAndShortName(Int32 i, Int32 folderNumber, const String& shortName) {
  TBasicFileFolderHolder* h = Holder(i);
  if (h == nullptr) return;
  h->data.bfr.folder_num0B = folderNumber;
  h->data.bfr.ShortName = shortName;
  // The text goes directly: Put is refused on a sorted list.
  fItems[static_cast<size_t>(i)].s = shortName;
  fIndexValid = false;
}

void TBasicFileFolderHolderStringlist::NoteAppended(Int32 i, bool indexWasValid) {
  if (!indexWasValid || i != GetCount() - 1) return;
  const TBasicFileFolderHolder* h = Holder(i);
  if (h == nullptr) return;
  fIndex.emplace(FileKey(h->data.bfr.folder_num0B, h->data.bfr.ShortName), i);
  fIndexValid = true;
}

// ---- TFolderEfficientFileList ------------------------------------------------------------------

TFolderEfficientFileList::TFolderEfficientFileList()
    : files(std::make_unique<TBasicFileFolderHolderStringlist>()), folders(std::make_unique<TFolderTextList>()) {}

TFolderEfficientFileList::~TFolderEfficientFileList() { Clear(); }

void TFolderEfficientFileList::Clear() {
  if (folders) folders->Clear();
  if (files) files->Clear();
}

Int32 TFolderEfficientFileList::FileCount() const { return files->Count(); }

Int32 TFolderEfficientFileList::FolderCount() const { return folders->Count(); }

String TFolderEfficientFileList::FolderOfName(const String& fullName) {
  const String path = ExtractFilePath(fullName);
  const String folder = ExcludeTrailingPathDelimiter(path);
  // A file at the root keeps the root's delimiter, so that its full name is
  // rebuilt with it.
  if (folder.empty() && !path.empty()) return path;
  return folder;
}

String TFolderEfficientFileList::JoinedName(const String& folder, const String& shortName) {
  if (folder.empty()) return shortName;
  return IncludeTrailingPathDelimiter(folder) + shortName;
}

String TFolderEfficientFileList::FolderText(Int32 n) const {
  if (n < 0 || n >= folders->Count()) return String();
  return folders->Get(n);
}

Int32 TFolderEfficientFileList::FolderNumberOf(const String& folder) {
  const Int32 n = IndexOfFolder(folder);
  return n >= 0 ? n : AddAFolder(folder);
}

Int32 TFolderEfficientFileList::AddOne(const String& fullName) {
  const Int64 size = FileSize(fullName);
  if (size < 0) return -1;
  const String folder = FolderOfName(fullName);
  TBasicFileFolderRec rec{};
  rec.bfr.ShortName = ExtractFileName(fullName);
  rec.bfr.Size = size;
  rec.Parentlist = this;
  rec.bfr.folder_num0B = FolderNumberOf(folder);
  return AddOneChecked(true, false, folder, rec);
}

Int32 TFolderEfficientFileList::AddOne(const String& folder, TBasicFileRec& bfr) {
  bfr.folder_num0B = FolderNumberOf(folder);
  TBasicFileFolderRec rec{};
  rec.bfr = bfr;
  return AddOneChecked(true, true, folder, rec);
}

Int32 TFolderEfficientFileList::AddOneChecked(bool folderNumberSet, bool allowDuplicate, const String& folder,
                                              TBasicFileFolderRec rec) {
  if (!allowDuplicate) {
    const Int32 existing = folderNumberSet ? files->IndexOfFolderAndShortname(rec.bfr.ShortName, rec.bfr.folder_num0B)
                                           : IndexOfFolderAndShortname(folder, rec.bfr.ShortName);
    if (existing >= 0) return -1;
  }
  if (!folderNumberSet) rec.bfr.folder_num0B = FolderNumberOf(folder);
  rec.Parentlist = this;
  const bool indexWasValid = files->IndexValid() && !files->Sorted();
  auto holder = std::make_unique<TBasicFileFolderHolder>(rec);
  const Int32 r = files->AddObject(rec.bfr.ShortName, holder.get());
  if (!files->IndexAssignedOK(r) || files->Objects(r) != holder.get()) return -1;  // refused by a sorted list
  holder.release();
  files->NoteAppended(r, indexWasValid);
  return r;
}

Int32 TFolderEfficientFileList::Add(const String& fullName) {
  const Int32 r = IndexOfLongName(fullName);
  return r >= 0 ? r : AddOne(fullName);
}

Int32 TFolderEfficientFileList::AddAFolder(const String& folder) {
  if (auto* f = dynamic_cast<TFolderTextList*>(folders.get())) return f->Append(folder);
  return folders->Add(folder);
}

void TFolderEfficientFileList::AddAnotherList(const TFolderEfficientFileList& other) {
  if (&other == this) return;
  for (Int32 i = 0; i < other.FileCount(); ++i) {
    const String name = other.GetFullFilename(i);
    if (IndexOfLongName(name) < 0) AddOne(name);
  }
}

Int32 TFolderEfficientFileList::AddIfNotInAlready(const TBasicFileRec& rec, const String& folder) {
  if (IndexOfFolderAndShortname(folder, rec.ShortName) >= 0) return -1;
  return AddOne(JoinedName(folder, rec.ShortName));
}

void TFolderEfficientFileList::Delete(Int32 i) {
  if (files->IndexAssignedOK(i)) files->Delete(i);
}

Int32 TFolderEfficientFileList::IndexOfFolder(const String& folder) const {
  if (auto* f = dynamic_cast<TFolderTextList*>(folders.get())) return f->IndexOfExact(folder);
  for (Int32 i = 0; i < folders->Count(); ++i)
    if (folders->Get(i) == folder) return i;
  return -1;
}

Int32 TFolderEfficientFileList::IndexOfShortName(const String& shortName) const { return files->IndexOf(shortName); }

Int32 TFolderEfficientFileList::IndexOfFolderAndShortname(const String& folder, const String& shortName) {
  const Int32 n = IndexOfFolder(folder);
  if (n < 0) return -1;
  return files->IndexOfFolderAndShortname(shortName, n);
}

Int32 TFolderEfficientFileList::IndexOfLongName(const String& fullName) {
  return IndexOfFolderAndShortname(FolderOfName(fullName), ExtractFileName(fullName));
}

String TFolderEfficientFileList::GetFoldername(Int32 i) const { return folders->Get(i); }

void TFolderEfficientFileList::SetFoldername(Int32 i, const String& s) { folders->Put(i, s); }

String TFolderEfficientFileList::GetFolderForFilenum(Int32 i) const {
  const TBasicFileFolderHolder* h = files->Holder(i);
  return h != nullptr ? FolderText(h->data.bfr.folder_num0B) : String();
}

String TFolderEfficientFileList::GetFullFilename(Int32 i) const {
  const TBasicFileFolderHolder* h = files->Holder(i);
  if (h == nullptr) return String();
  return JoinedName(FolderText(h->data.bfr.folder_num0B), h->data.bfr.ShortName);
}

void TFolderEfficientFileList::SetFullFilename(Int32, const String& fullName) {
  if (IndexOfLongName(fullName) >= 0) return;
  const String shortName = ExtractFileName(fullName);
  const Int32 j = IndexOfShortName(shortName);
  if (j >= 0)
    files->SetFolderAndShortName(j, FolderNumberOf(FolderOfName(fullName)), shortName);
  else
    AddOne(fullName);
}

TBasicFileFolderRec TFolderEfficientFileList::GetABasicFileFolderRec(Int32 i) const {
  return files->GetABasicFileFolderRec(i);
}

TEncoding* TFolderEfficientFileList::GetAnEncoding(Int32 i) const {
  const auto* h = dynamic_cast<const TBasicFileFolderHolder*>(files->GetObject(i));  // raises for an invalid i
  return h != nullptr ? h->data.bfr.encodamento : nullptr;
}

void TFolderEfficientFileList::SetAnEncoding(Int32 i, TEncoding* encoding) {
  if (auto* h = dynamic_cast<TBasicFileFolderHolder*>(files->GetObject(i))) h->data.bfr.encodamento = encoding;
}

Double TFolderEfficientFileList::GetJulianDateWithConst(Int32 i) const {
  const TBasicFileFolderHolder* h = files->Holder(i);
  return h != nullptr ? h->data.bfr.TextualDateAndTime : 0.0;
}

void TFolderEfficientFileList::SetJulianDateWithConst(Int32 i, Double d) {
  if (TBasicFileFolderHolder* h = files->Holder(i)) h->data.bfr.TextualDateAndTime = d;
}

Int64 TFolderEfficientFileList::GetTotalBytes(Int32 folderNumber) const {
  // Sizes read from a damaged file may be anything: the sum is taken in 128
  // bits (enough for any 2^31 sizes) and then held to the Int64 range.
  __int128 total = 0;
  for (Int32 i = 0; i < files->Count(); ++i) {
    const TBasicFileFolderHolder* h = files->Holder(i);
    if (h == nullptr) continue;
    if (folderNumber < 0 || h->data.bfr.folder_num0B == folderNumber) total += h->data.bfr.Size;
  }
  if (total > std::numeric_limits<Int64>::max()) return std::numeric_limits<Int64>::max();
  if (total < std::numeric_limits<Int64>::min()) return std::numeric_limits<Int64>::min();
  return static_cast<Int64>(total);
}

std::unique_ptr<TUTF8Stringlist> TFolderEfficientFileList::GetAsStringlist() const {
  auto list = std::make_unique<TUTF8Stringlist>();
  list->SetCapacity(FileCount());
  for (Int32 i = 0; i < FileCount(); ++i) list->Add(GetFullFilename(i));
  return list;
}

bool TFolderEfficientFileList::CheckFileFormatsVaried() {
  if (!fOnCheckingFileFormat) return false;
  const Int32 count = FileCount();
  TEncoding* const utf16le = TEncoding::Unicode();
  bool varied = false;
  for (Int32 i = 0; i < count && global_panic_state == panic_no_panic; ++i) {
    if (i % 16 == 0 && fProgressPercentDoneTotal)
      fProgressPercentDoneTotal(static_cast<Int32>(static_cast<Int64>(i) * 100 / count), static_cast<Int64>(i) + 1,
                                count);
    TEncoding* e = fOnCheckingFileFormat(this, GetFullFilename(i));
    if (i < FileCount()) SetAnEncoding(i, e);
    if (e != utf16le && (e == nullptr || e->CodePage() != utf16le->CodePage())) varied = true;
  }
  return varied;
}

void TFolderEfficientFileList::DoASort(TMySimpleSearchRecSort sort1, TMySimpleSearchRecSort sort2, bool ascending) {
  sort_1 = sort1;
  sort_2 = sort2;
  const TMySimpleSearchRecSort second = sort2 == sort1 ? ss_none : sort2;
  if (sort1 == ss_none) return;
  if (sort1 == ss_random) {
    files->PutInRandomOrder();
  } else {
    const bool caseInsensitive = info_rec.case_insensitive != 0;
    const bool secondIgnoresCase = caseInsensitive && (sort1 == ss_folder || sort1 == ss_shortname);
    const bool duplicateNames = Global_DuplicateNames_Check;
    static const TBasicFileRec blank{};
    auto recOf = [this](Int32 i) -> const TBasicFileRec& {
      const TBasicFileFolderHolder* h = files->Holder(i);
      return h != nullptr ? h->data.bfr : blank;
    };
    auto onKey = [&](TMySimpleSearchRecSort key, const TBasicFileRec& a, const TBasicFileRec& b) -> Int32 {
      switch (key) {
        case ss_date: return CompareDates(a.TextualDateAndTime, b.TextualDateAndTime);
        case ss_size: return CompareInt64(a.Size, b.Size);
        case ss_folder: return CompareLongints(a.folder_num0B, b.folder_num0B);
        default: return 0;
      }
    };
    files->CustomSort([&](TStringList*, Int32 i1, Int32 i2) -> Int32 {
      if (global_panic_state != panic_no_panic) return 0;
      const TBasicFileRec& a = recOf(i1);
      const TBasicFileRec& b = recOf(i2);
      Int32 r = 0;
      switch (sort1) {
        case ss_shortname:
          if (duplicateNames && a.ShortName.size() != b.ShortName.size() &&
              FilenamesMatchingApartFromNumber(a.ShortName, b.ShortName))
            r = a.ShortName.size() < b.ShortName.size() ? -1 : 1;
          else
            r = caseInsensitive ? Compare2StringsCaseInsensitively(a.ShortName, b.ShortName)
                                : Compare2Strings(a.ShortName, b.ShortName);
          break;
        case ss_fileformat: r = CompareEncodings(a.encodamento, b.encodamento); break;
        default: r = onKey(sort1, a, b); break;
      }
      if (r != 0) return r;
      if (second == ss_shortname)
        return secondIgnoresCase ? Compare2StringsCaseInsensitively(a.ShortName, b.ShortName)
                                 : Compare2Strings(a.ShortName, b.ShortName);
      return onKey(second, a, b);
    });
  }
  if (!ascending) files->ReverseTheSort();
}

void TFolderEfficientFileList::SortOnFilenamesAscending(bool caseInsensitive) {
  info_rec.case_insensitive = caseInsensitive ? 1 : 0;
  DoASort(ss_shortname, ss_folder, true);
}

bool TFolderEfficientFileList::DoReadFromFile(const String& name) {
  TFileStream fs(name, fmOpenRead | fmShareDenyNone);
  return DoReadFromStream(&fs);
}

bool TFolderEfficientFileList::DoReadFromStream(TStream* stream) {
  if (stream == nullptr) return false;
  // A list read in replaces what was held: its folder numbers refer to its own
  // folders only.
  Clear();
  Byte raw[kInfoRecSize];
  if (stream->Read(raw, kInfoRecSize) != kInfoRecSize) return false;
  DecodeInfoRec(raw, info_rec);

  String folderText;
  if (!ReadAListStringIfWhole(stream, folderText)) return false;
  folders->SetTextStr(folderText);

  bool ok = info_rec.foldrs == folders->Count();
  if (ok && (info_rec.fils < 0 || static_cast<Int64>(info_rec.fils) * kMinFileRecSize > stream->Remaining()))
    ok = false;
  TTimedYield yield;
  for (Int32 k = 0; ok && k < info_rec.fils; ++k) {
    yield.Tick();
    auto holder = TBasicFileFolderHolder::CreateBlank(this);
    ok = holder->ReadFromStream(stream);
    if (!ok) break;
    const Int32 r = files->AddObject(holder->data.bfr.ShortName, holder.get());
    if (files->IndexAssignedOK(r) && files->Objects(r) == holder.get()) holder.release();
  }
  return ok && FileCount() == info_rec.fils;
}

namespace {

// The folders are stored as one text of lines, so a folder name holding a
// line break would come back as two folders and every file after it would be
// lost on reading.
bool FolderNamesFitTheStoredForm(const TStringList& folders) {
  for (Int32 i = 0; i < folders.Count(); ++i)
    if (folders.Get(i).find_first_of(u"\r\n") != String::npos) return false;
  return true;
}

}  // namespace

bool TFolderEfficientFileList::DoWriteToFile(const String& name) {
  // Refused before the file is touched; the old file stays whole until the
  // new form is complete.
  if (!FolderNamesFitTheStoredForm(*folders)) return false;
  return TryReplaceFileWith(name, [this](TStream& fs) { return DoWriteToStream(&fs); });
}

bool TFolderEfficientFileList::DoWriteToStream(TStream* stream) {
  if (stream == nullptr) return false;
  if (!FolderNamesFitTheStoredForm(*folders)) return false;
  info_rec.fils = FileCount();
  info_rec.foldrs = FolderCount();
  Byte raw[kInfoRecSize];
  EncodeInfoRec(info_rec, raw);
  if (stream->Write(raw, kInfoRecSize) != kInfoRecSize) return false;
  if (!WriteAString(stream, folders->GetTextStr())) return false;
  TTimedYield yield;
  for (Int32 i = 0; i < FileCount(); ++i) {
    yield.Tick();
    const TBasicFileFolderHolder* h = files->Holder(i);
    if (h != nullptr) {
      if (!h->WriteToStream(stream)) return false;
    } else {
      // A line without its record still takes its place in the count.
      TBasicFileFolderRec blank{};
      blank.bfr.ShortName = files->Get(i);
      if (!TBasicFileFolderHolder(blank).WriteToStream(stream)) return false;
    }
  }
  return true;
}

// ---- TMySearchRecList ----------------------------------------------------------------------------

TMySearchRecList::~TMySearchRecList() { TMySearchRecList::Clear(); }

TMySearchRecHolder* TMySearchRecList::Holder(Int32 i) const {
  return IndexAssignedOK(i) ? static_cast<TMySearchRecHolder*>(fItems[static_cast<size_t>(i)]) : nullptr;
}

void TMySearchRecList::Clear() {
  std::vector<Pointer> items;
  items.swap(fItems);
  for (Pointer p : items) delete static_cast<TMySearchRecHolder*>(p);
  TIndexCheckList::Clear();
  fSort = sr_sort_none;
}

void TMySearchRecList::Delete(Int32 index) {
  CheckIndex(index);
  TMySearchRecHolder* h = Holder(index);
  TIndexCheckList::Delete(index);
  delete h;
}

Int32 TMySearchRecList::Add(std::unique_ptr<TMySearchRecHolder> holder) {
  if (!holder) return -1;
  if (fSort != sr_sort_none && Count() > 0 && KeyOrder(Holder(Count() - 1)->data, holder->data) > 0)
    fSort = sr_sort_none;
  const Int32 r = TIndexCheckList::Add(holder.get());
  holder.release();
  return r;
}

Int32 TMySearchRecList::AddOne(const TMySearchRec& rec) { return Add(std::make_unique<TMySearchRecHolder>(rec)); }

namespace {

// Dates in order, a date that is not a number (NaN, from a damaged file) after
// every other and equal to another such: an order that halving can rely on.
Int32 DateKeyOrder(Double a, Double b) {
  const bool nanA = std::isnan(a);
  const bool nanB = std::isnan(b);
  if (nanA || nanB) return nanA == nanB ? 0 : (nanA ? 1 : -1);
  return CompareDates(a, b);
}

}  // namespace

void TMySearchRecList::DoASort(TMySearchRecSort kind) {
  if (kind == fSort) return;
  fSort = kind;
  fSortReversed = global_reversed_sort;
  bool whole = true;
  switch (kind) {
    case sr_sort_by_name: whole = Sort(MySearchRecNameSort<TMySearchRecHolder>); break;
    case sr_sort_by_date:
      // Sorted on the key that Find halves on: CompareDates answers "earlier"
      // for a NaN date both ways, and halving over such an order misses records.
      whole = Sort([this](Pointer a, Pointer b) {
        return KeyOrder(static_cast<TMySearchRecHolder*>(a)->data, static_cast<TMySearchRecHolder*>(b)->data);
      });
      break;
    case sr_sort_by_size: whole = Sort(MySearchRecSizeSort<TMySearchRecHolder>); break;
    case sr_sort_by_extension: whole = Sort(MySearchRecExtensionSort<TMySearchRecHolder>); break;
    default: break;
  }
  // A sort stopped part-way leaves no order that Find could halve over.
  if (!whole) fSort = sr_sort_none;
}

Int32 TMySearchRecList::KeyOrder(const TMySearchRec& a, const TMySearchRec& b) const {
  Int32 r = 0;
  switch (fSort) {
    case sr_sort_by_name: r = CompareText(a.ShortName, b.ShortName); break;
    case sr_sort_by_date: r = DateKeyOrder(a.DateTime, b.DateTime); break;
    case sr_sort_by_size: r = CompareLongints(a.Size, b.Size); break;
    case sr_sort_by_extension: r = CompareText(ExtractFileExt(a.ShortName), ExtractFileExt(b.ShortName)); break;
    default: return 0;
  }
  r = r < 0 ? -1 : (r > 0 ? 1 : 0);
  return fSortReversed ? -r : r;
}

namespace {

bool SameDate(Double a, Double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool SameSearchRec(const TMySearchRec& a, const TMySearchRec& b) {
  return a.Size == b.Size && SameDate(a.DateTime, b.DateTime) && a.ShortName == b.ShortName;
}

}  // namespace

Int32 TMySearchRecList::Find(const TMySearchRec& rec) {
  auto scan = [&]() -> Int32 {
    for (Int32 i = 0; i < Count(); ++i)
      if (SameSearchRec(Holder(i)->data, rec)) return i;
    return -1;
  };
  if (fSort == sr_sort_none) return scan();
  Int32 lo = 0;
  Int32 hi = Count() - 1;
  TTimedYield yield;
  while (lo <= hi) {
    yield.Tick();
    const Int32 mid = lo + (hi - lo) / 2;
    const TMySearchRec& item = Holder(mid)->data;
    const Int32 c = KeyOrder(item, rec);
    if (c == 0) return SameSearchRec(item, rec) ? mid : scan();
    if (c > 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return -1;
}

Int32 TMySearchRecList::IndexOF(const TMySearchRec& rec) { return Find(rec); }

TMySearchRec TMySearchRecList::GetAMySearchRec(Int32 i) const {
  const TMySearchRecHolder* h = Holder(i);
  return h != nullptr ? h->data : TMySearchRec{};
}

std::unique_ptr<TStringList> TMySearchRecList::GetAsStringlist() const {
  auto list = std::make_unique<TStringList>();
  for (Int32 i = 0; i < Count(); ++i) list->Add(Holder(i)->data.ShortName);
  return list;
}

bool TMySearchRecList::ReadFromStream(TStream* stream) {
  if (stream == nullptr) return false;
  const Int32 n = stream->ReadValue<Int32>();
  if (n < 0) return false;
  if (static_cast<Int64>(n) * kMinSearchRecSize > stream->Remaining()) throw EReadError(u"Stream read error");
  const Int32 first = Count();
  const TMySearchRecSort sortBefore = fSort;
  // Items are appended without the per-item order test; the order is checked
  // once at the end.
  fSort = sr_sort_none;
  for (Int32 k = 0; k < n; ++k) {
    Byte raw[kSearchRecRawSize];
    stream->ReadBuffer(raw, kSearchRecRawSize);
    TMySearchRec rec;
    rec.DateTime = raw_detail::Get<Double>(raw + 0);
    rec.Size = raw_detail::Get<Int32>(raw + 8);
    rec.ZipfileNum1B = raw_detail::Get<uint16_t>(raw + 12);
    rec.Within_ZipNum1B = raw_detail::Get<uint16_t>(raw + 14);
    if (stream->Remaining() < 4) throw EReadError(u"Stream read error");
    rec.ShortName = ReadAListString(stream);
    AddOne(rec);
  }
  fSort = sortBefore;
  if (fSort != sr_sort_none && Count() > first) {
    for (Int32 i = first > 0 ? first - 1 : 0; i + 1 < Count(); ++i)
      if (KeyOrder(Holder(i)->data, Holder(i + 1)->data) > 0) {
        fSort = sr_sort_none;
        break;
      }
  }
  return true;
}

bool TMySearchRecList::SaveToStream(TStream* stream) {
  if (stream == nullptr) return false;
  Byte countBytes[4];
  raw_detail::Put<Int32>(countBytes, Count());
  if (stream->Write(countBytes, 4) != 4) return false;
  for (Int32 i = 0; i < Count(); ++i) {
    const TMySearchRec& rec = Holder(i)->data;
    Byte raw[kSearchRecRawSize];
    raw_detail::Put<Double>(raw + 0, rec.DateTime);
    raw_detail::Put<Int32>(raw + 8, rec.Size);
    raw_detail::Put<uint16_t>(raw + 12, rec.ZipfileNum1B);
    raw_detail::Put<uint16_t>(raw + 14, rec.Within_ZipNum1B);
    if (stream->Write(raw, kSearchRecRawSize) != kSearchRecRawSize) return false;
    if (!WriteAString(stream, rec.ShortName)) return false;
  }
  return true;
}

}  // namespace sk
