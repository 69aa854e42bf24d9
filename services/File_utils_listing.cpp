#include "services/File_utils_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/Juliandateroutines.h"
#include "core/Useful_classes_base_compare.h"
#include "core/Useful_classes_base_holders.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"
#include "services/File_utils_tests.h"

namespace sk {

namespace {

// Direction of the last SortListOfFiles, read by its comparers.
constinit bool sort_files_ascending = true;

bool Panicking() { return global_panic_state != panic_no_panic; }

struct FolderEntry {
  String name;
  bool isFolder = false;  // a real folder (never one reached through a link)
  bool isFile = false;    // a regular file, or a link to one
};

// The entries of a folder that listings take: no names beginning with ".",
// no devices, sockets or pipes, and no links to folders.  Ordered by name.
std::vector<FolderEntry> ReadFolder(const String& folder) {
  std::vector<FolderEntry> r;
  const std::string dir = StringToSystemName(folder.empty() ? String(u".") : folder);
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return r;
  const int dfd = ::dirfd(d);
  while (struct dirent* de = ::readdir(d)) {
    if (de->d_name[0] == '.') continue;
    FolderEntry e;
    unsigned char type = de->d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
      struct stat st;
      if (::fstatat(dfd, de->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (S_ISLNK(st.st_mode)) {
        // A link counts as what it points to, except that a folder is never
        // entered through one.
        if (::fstatat(dfd, de->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        type = DT_REG;
      } else {
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
      }
    }
    if (type == DT_DIR)
      e.isFolder = true;
    else if (type == DT_REG)
      e.isFile = true;
    else
      continue;
    e.name = SystemNameToString(std::string(de->d_name));
    r.push_back(std::move(e));
  }
  ::closedir(d);
  std::sort(r.begin(), r.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return r;
}

// Files of one folder matching a mask, as search records (FindFirst's data).
void AddMatchingFiles(const String& folder, const String& mask, std::vector<TSearchRec>& out, bool& stopped) {
  TSearchRec rec;
  const String pattern = IncludeTrailingPathDelimiter(folder) + mask;
  for (Int32 r = FindFirst(pattern, 0, rec); r == 0 && !stopped; r = FindNext(rec)) {
    if (rec.Name.empty() || rec.Name[0] == u'.' || (rec.Attr & (faDirectory | faSysFile)) != 0) continue;
    TSearchRec copy = rec;
    copy.FindHandle.reset();
    out.push_back(std::move(copy));
    MyYieldProcess();
    if (Panicking()) stopped = true;
  }
  FindClose(rec);
}

std::vector<String> SplitMasks(const String& masks) {
  std::vector<String> r;
  size_t p = 0;
  while (p <= masks.size()) {
    size_t q = masks.find(u';', p);
    if (q == String::npos) q = masks.size();
    const String m = Trim(masks.substr(p, q - p));
    if (!m.empty()) r.push_back(m);
    p = q + 1;
  }
  return r;
}

bool IsDelim(Char c) { return c == u'/' || c == u'\\'; }

// Adds every folder below folder (with trailing delimiters), sub-folders
// before their parent, and remembers each folder's files.
void CollectFoldersPostOrder(const String& folder, TStringList& dirs,
                             std::unordered_map<String, std::vector<String>>& filesOf) {
  std::vector<String>& files = filesOf[folder];
  for (const FolderEntry& e : ReadFolder(folder)) {
    if (e.isFile) {
      files.push_back(e.name);
    } else if (e.isFolder) {
      const String sub = folder + e.name + PathDelim;
      CollectFoldersPostOrder(sub, dirs, filesOf);
      dirs.Add(sub);
    }
  }
}

Int32 ThreeWay(Int64 a, Int64 b) { return a < b ? -1 : (a > b ? 1 : 0); }

}  // namespace

std::vector<TListedEntry> ListedEntriesOf(const String& folder) {
  std::vector<TListedEntry> r;
  for (FolderEntry& e : ReadFolder(folder)) r.push_back(TListedEntry{std::move(e.name), e.isFolder});
  return r;
}

std::unique_ptr<TStringList> ListOfAllFilesMatchingExt(const String& fileName, const String& extension,
                                                       bool includeItself, bool /*includeHidden*/) {
  auto list = std::make_unique<TStringList>();
  const String folder = ExtractFilePath(fileName);
  const String mask = ExtractFileName(ChangeFileExt(fileName, extension));
  std::vector<TSearchRec> found;
  bool stopped = false;
  AddMatchingFiles(folder, mask, found, stopped);
  for (const TSearchRec& r : found) {
    const String full = IncludeTrailingPathDelimiter(folder) + r.Name;
    if (!includeItself && r.Name == ExtractFileName(fileName)) continue;
    list->Add(full);
  }
  return list;
}

std::vector<TSearchRec> ListOfAllFilesIn(const String& folder, const std::vector<String>& masks,
                                         bool /*includeHidden*/) {
  std::vector<TSearchRec> found;
  bool stopped = false;
  for (const String& m : masks) {
    if (stopped) break;
    AddMatchingFiles(folder, m, found, stopped);
  }
  if (masks.size() > 1) {
    // Masks match without case and may overlap ("*.txt;*.TXT", "*.txt;*.*"):
    // each file is listed once, where its first mask found it.
    std::unordered_set<String> seen;
    std::erase_if(found, [&seen](const TSearchRec& r) { return !seen.insert(r.Name).second; });
  }
  return found;
}

std::unique_ptr<TStringList> ListOfAllFilesIn(const String& folder, const std::vector<String>& masks,
                                              bool includeHidden, bool sortByDate) {
  auto list = std::make_unique<TStringList>(true);
  const String head = IncludeTrailingPathDelimiter(folder);
  for (const TSearchRec& r : ListOfAllFilesIn(folder, masks, includeHidden))
    list->AddObject(head + r.Name, new TDateTimeHolder(r.TimeStamp));
  if (sortByDate && list->Count() > 1) {
    const bool reversed = global_reversed_sort;
    list->CustomSort([reversed](TStringList* l, Int32 i, Int32 j) -> Int32 {
      if (i == j) return 0;
      const auto* a = static_cast<const TDateTimeHolder*>(l->Objects(i));
      const auto* b = static_cast<const TDateTimeHolder*>(l->Objects(j));
      Int32 c = CompareDates(a->data, b->data);
      if (c == 0) c = Compare2Strings(l->Strings(i), l->Strings(j));
      return reversed ? -c : c;
    });
  }
  return list;
}

std::unique_ptr<TStringList> ListOfAllFilesIn(const String& folder, const String& mask, bool includeHidden,
                                              bool sortByDate) {
  return ListOfAllFilesIn(folder, std::vector<String>{mask}, includeHidden, sortByDate);
}

namespace {

void AddSubFolders(const String& folder, const TStrings* excluded, const TProgressPanelMessage& statusProc,
                   TStringList& out, bool& stopped) {
  for (const FolderEntry& e : ReadFolder(folder)) {
    if (stopped) return;
    if (!e.isFolder) continue;
    const String full = IncludeTrailingPathDelimiter(folder) + e.name;
    bool skip = false;
    if (excluded != nullptr)
      for (Int32 k = 0; k < excluded->Count() && !skip; ++k) {
        const String spec = excluded->Strings(k);
        if (!spec.empty() && MatchesMask(full + PathDelim, spec)) skip = true;
      }
    if (skip) continue;
    MyYieldProcess();
    if (statusProc) statusProc(tusp_message, e.name);
    out.Add(full);
    if (Panicking()) {
      stopped = true;
      return;
    }
    AddSubFolders(full, excluded, statusProc, out, stopped);
  }
}

}  // namespace

std::unique_ptr<TStringList> ListOfSubFolders(const String& folder, const TStrings* excludedSpecs,
                                              const TProgressPanelMessage& statusProc) {
  auto list = std::make_unique<TStringList>();
  bool stopped = false;
  String start = folder;
  while (start.size() > 1 && IsDelim(start.back())) start.pop_back();
  AddSubFolders(start, excludedSpecs, statusProc, *list, stopped);
  return list;
}

TFilesAndDirsRec ListOfFilesAndDirs(const String& folder, const String& masks, bool includeSubFolders,
                                    bool /*includeHidden*/) {
  TFilesAndDirsRec rec{std::make_unique<TStringList>(), std::make_unique<TStringList>()};
  const String top = IncludeTrailingPathDelimiter(folder);
  rec.dirs->Add(top);
  std::unordered_map<String, std::vector<String>> filesOf;
  if (includeSubFolders) {
    CollectFoldersPostOrder(top, *rec.dirs, filesOf);
  } else {
    std::vector<String>& files = filesOf[top];
    for (const FolderEntry& e : ReadFolder(top))
      if (e.isFile) files.push_back(e.name);
  }
  const std::vector<String> maskList = SplitMasks(masks);
  // Masks match without case and may overlap: each file is listed once,
  // under the first mask that matches it.
  std::unordered_set<String> listedOnce;
  const auto addFile = [&](const String& full) {
    if (maskList.size() > 1 && !listedOnce.insert(full).second) return;
    rec.files->Add(full);
    MyYieldProcess();
  };
  for (Int32 d = 0; d < rec.dirs->Count(); ++d) {
    const String dir = rec.dirs->Strings(d);
    for (const String& mask : maskList) {
      if (IsDelim(mask[0])) {
        // A path below the folder: list the folder it names.
        String joined = ExcludeTrailingPathDelimiter(dir) + mask;
        for (Char& c : joined)
          if (c == u'\\') c = u'/';
        const String listed = ExtractFilePath(joined);
        const String pattern = ExtractFileName(joined);
        for (const FolderEntry& e : ReadFolder(listed))
          if (e.isFile && MatchesMask(e.name, pattern)) addFile(listed + e.name);
        continue;
      }
      for (const String& name : filesOf[dir])
        if (MatchesMask(name, mask)) addFile(dir + name);
    }
  }
  return rec;
}

namespace {

template <class SizeFn, class DateFn>
TCorpusFolderStats StatsOf(size_t n, SizeFn sizeOf, DateFn dateOf) {
  TCorpusFolderStats s{};
  s.earliest = Date();
  s.smallest = 2147483647;
  s.number_of_files = static_cast<Int32>(std::min<size_t>(n, INT32_MAX));
  if (n == 0) {
    s.status = csf_empty;
    return s;
  }
  for (size_t i = 0; i < n; ++i) {
    // Sizes beyond what the record holds count as its largest value.
    const Int64 size = std::clamp<Int64>(sizeOf(i), 0, INT32_MAX);
    s.smallest = std::min<Int32>(s.smallest, static_cast<Int32>(size));
    s.largest = std::max<Int32>(s.largest, static_cast<Int32>(size));
    const TDateTime d = dateOf(i);
    if (d < s.earliest) s.earliest = d;
    if (d > s.latest) s.latest = d;
  }
  return s;
}

}  // namespace

TCorpusFolderStats OneFolderBasicStats(const std::vector<TBasicFileRec>& files) {
  return StatsOf(
      files.size(), [&](size_t i) { return files[i].Size; }, [&](size_t i) { return files[i].DateTime; });
}

TCorpusFolderStats OneFolderBasicStats(const std::vector<TSearchRec>& files) {
  return StatsOf(
      files.size(), [&](size_t i) { return files[i].Size; }, [&](size_t i) { return files[i].TimeStamp; });
}

void SortListOfFiles(TStringList* list, bool byDate, bool ascending) {
  sort_files_ascending = ascending;
  if (list == nullptr || list->Count() < 2) return;
  if (byDate) {
    std::unordered_map<String, TDateTime> times;
    for (Int32 i = 0; i < list->Count(); ++i) {
      TDateTime t = 0;
      FileAge(list->Strings(i), t);
      times[list->Strings(i)] = t;
    }
    list->CustomSort([&times](TStringList* l, Int32 i, Int32 j) -> Int32 {
      const Int32 c = CompareDates(times[l->Strings(i)], times[l->Strings(j)]);
      return sort_files_ascending ? c : -c;
    });
    return;
  }
  list->CustomSort([](TStringList* l, Int32 i, Int32 j) -> Int32 {
    const String a = l->Strings(i), b = l->Strings(j);
    Int32 c = Compare2StringsCaseInsensitively(ExtractFileName(a), ExtractFileName(b));
    if (c == 0) c = Compare2StringsCaseInsensitively(a, b);
    return sort_files_ascending ? c : -c;
  });
}

Int32 SortOnTextLengthDescending(TStringList* list, Int32 i, Int32 j) {
  const Int64 a = std::max<Int64>(File_utils::FileSize(list->Strings(i)), 0);
  const Int64 b = std::max<Int64>(File_utils::FileSize(list->Strings(j)), 0);
  return ThreeWay(b, a);
}

TFileDateUpdater::TFileDateUpdater(TGetFilesCount onGetFilesCount, TGetFilename onGetAFile,
                                   TTellFilenameDate onTellAFileDate)
    : fOnGetFilesCount(std::move(onGetFilesCount)),
      fOnGetAFile(std::move(onGetAFile)),
      fOnTellAFileDate(std::move(onTellAFileDate)) {}

void TFileDateUpdater::HandleAFileList(const String& listFile) {
  if (!FileExists(listFile) || !fOnGetFilesCount || !fOnGetAFile || !fOnTellAFileDate) return;
  TUTF8Stringlist list;
  {
    TFileStream f(listFile, fmOpenRead | fmShareDenyNone);
    list.LoadFromStream(&f);
  }
  list.Sort();
  list.SetNameValueSeparator(u'\t');
  // The line IndexOfName finds (the first whose name the list's case rule
  // finds equal), through an index of the names' collation keys.
  TLineKeyIndex names;
  auto nameOf = [&list](Int32 k, String& text) {
    const String line = list[k];
    const size_t p = line.find(list.NameValueSeparator());
    if (p == String::npos) return false;
    text = line.substr(0, p);
    return true;
  };
  auto same = [&list](const String& a, const String& b) { return list.CompareStrings(a, b) == 0; };
  const Int32 n = fOnGetFilesCount(this);
  for (Int32 i = 0; i < n; ++i) {
    MyYieldProcess();
    const String name = fOnGetAFile(this, i);
    const String part = ExtractFileName(name);
    for (const String& key : {part, name, ChangeFileExt(part, String())}) {
      const Int32 k = names.Find(key, list.Count(), list.CaseSensitive(), nameOf, same);
      if (k < 0) continue;
      fOnTellAFileDate(this, i, UserStrDateAndTimeParsed(list.ValueFromIndex(k)));
      break;
    }
  }
}

}  // namespace sk
