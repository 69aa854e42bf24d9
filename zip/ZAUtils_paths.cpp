#include "zip/ZAUtils_paths.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

bool IsSep(Char c) { return c == u'/' || c == u'\\'; }

String Slashed(String s) {
  for (Char& c : s)
    if (c == u'\\') c = u'/';
  return s;
}

bool HasDrive(const String& s) {
  return s.size() >= 2 && s[1] == u':' && ((s[0] >= u'A' && s[0] <= u'Z') || (s[0] >= u'a' && s[0] <= u'z'));
}

bool IsNetworkPath(const String& s) { return s.size() >= 2 && IsSep(s[0]) && IsSep(s[1]); }

std::string U8(const String& s) { return StringToUtf8(s); }

// An absolute folder for the current directory argument.
String CurrentFolder(const String& curDir) {
  String cur = curDir.empty() ? GetCurrentDir() : Slashed(curDir);
  if (cur.empty() || cur[0] != u'/') cur = IncludeTrailingPathDelimiter(GetCurrentDir()) + cur;
  return cur;
}

}  // namespace

// ---------------------------------------------------------------------------
// Drives and folders

bool IsFloppyDrive(const String&) { return false; }

bool IsRemovableDrive(const String& path) {
  return IsFloppyDrive(path) || GetDriveTypeW(ExpandFileName(Slashed(path))) == DRIVE_REMOVABLE;
}

bool DelTreeIfNoFiles(const String& folder) {
  const String dir = ExcludeTrailingPathDelimiter(folder);
  TSearchRec rec;
  if (FindFirst(IncludeTrailingPathDelimiter(dir) + u"*", 503, rec) == 0) {
    do {
      if (rec.Name == u"." || rec.Name == u"..") continue;
      if ((rec.Attr & faDirectory) == 0) continue;
      const String sub = IncludeTrailingPathDelimiter(dir) + rec.Name;
      // A link to a folder is content of this folder, not a subfolder to walk.
      struct stat st;
      if (::lstat(U8(sub).c_str(), &st) == 0 && S_ISLNK(st.st_mode)) continue;
      if (!DelTreeIfNoFiles(sub)) {
        FindClose(rec);
        return false;
      }
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  if (RemoveDir(dir)) return true;
  return !DirectoryExists(dir);
}

// ---------------------------------------------------------------------------
// Stored names

String ZABaseFolder(const String& baseDir, const String& curDir) {
  const String cur = CurrentFolder(curDir);
  String base = baseDir.empty() ? cur : Slashed(baseDir);
  if (!HasDrive(base) && !IsNetworkPath(base)) {
    if (base[0] != u'/') base = IncludeTrailingPathDelimiter(cur) + base;
    base = ExpandFileName(base);
  }
  return IncludeTrailingPathDelimiter(base);
}

String ExpandToBaseDir(const String& name, const String& baseDir, const String& curDir) {
  if (name.empty()) return ZABaseFolder(baseDir, curDir);
  const String n = Slashed(name);
  if (HasDrive(n) || IsNetworkPath(n)) return n;
  if (n[0] == u'/') return ExpandFileName(n);
  return ExpandFileName(ZABaseFolder(baseDir, curDir) + n);
}

String GetStoredName(const String& fileName, const String& baseDir, TZAStorePathMode mode,
                     const String& curDir) {
  const String base = ZABaseFolder(baseDir, curDir);
  String name = ExpandToBaseDir(fileName, baseDir, curDir);
  // Only a name handed in with a drive letter has one to drop: on this
  // system a colon is an ordinary character of a name.
  const bool hadDrive = HasDrive(name);
  if (!name.empty() && IsSep(name.back())) name.pop_back();
  if (!name.empty() && name.back() == u'.') name.pop_back();

  switch (mode) {
    case spNoPath:
      name = ExtractFileName(name);
      break;
    case spRelativePath:
      if (name.size() > base.size() && name.compare(0, base.size(), base) == 0) name = name.substr(base.size());
      break;
    case spFullPath:
    case spFullPathWithDrive:
      break;
  }

  if (mode == spFullPathWithDrive) {
    size_t lead = 0;
    while (lead < name.size() && IsSep(name[lead])) ++lead;
    name.erase(0, lead);
  } else {
    if (hadDrive && HasDrive(name)) {
      name.erase(0, 2);
    } else if (IsNetworkPath(name)) {
      size_t p = 2;
      while (p < name.size() && !IsSep(name[p])) ++p;
      name.erase(0, p < name.size() ? p + 1 : name.size());
    }
    if (!name.empty() && IsSep(name[0])) name.erase(0, 1);
  }
  return Slashed(name);
}

// ---------------------------------------------------------------------------
// File-system wrappers

String ZAIncludeTrailingBackslash(const String& s) { return IncludeTrailingPathDelimiter(s); }
String ZAExcludeTrailingBackslash(const String& s) { return ExcludeTrailingPathDelimiter(s); }
bool ZADirectoryExists(const String& dir) { return DirectoryExists(dir); }
bool ZAFileExists(const String& fileName) { return FileExists(fileName); }
bool ZAForceDirectories(const String& dir) { return ForceDirectories(dir); }
String ZALowerCase(const String& s) { return AnsiLowerCase(s); }
String ZAUpperCase(const String& s) { return AnsiUpperCase(s); }

String ZAStringReplace(const String& s, const String& oldPattern, const String& newPattern) {
  if (oldPattern.empty()) return s;
  String r;
  size_t p = 0;
  for (;;) {
    const size_t q = s.find(oldPattern, p);
    if (q == String::npos) break;
    r.append(s, p, q - p);
    r += newPattern;
    p = q + oldPattern.size();
  }
  r.append(s, p, String::npos);
  return r;
}

Int64 ZAByteLength(const String& s) { return static_cast<Int64>(s.size()) * 2; }
bool ZADeleteFile(const String& fileName) { return DeleteFile(fileName); }
bool ZARenameFile(const String& oldName, const String& newName) { return RenameFile(oldName, newName); }
bool ZACopyFile(const String& source, const String& target, bool failIfExists) {
  return CopyFile(source, target, failIfExists);
}
Int32 ZAFindFirst(const String& pathWithMask, Int32 attr, TSearchRec& rec) {
  return FindFirst(pathWithMask, attr, rec);
}
Int32 ZAFindNext(TSearchRec& rec) { return FindNext(rec); }
void ZAFindClose(TSearchRec& rec) { FindClose(rec); }

Int32 ZAFileGetAttr(const String& fileName) {
  const std::string path = U8(fileName);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    struct stat lst;
    return ::lstat(path.c_str(), &lst) == 0 ? faSysFile : -1;
  }
  Int32 a = 0;
  if (S_ISDIR(st.st_mode))
    a |= faDirectory;
  else if (S_ISREG(st.st_mode))
    a |= faArchive;
  else
    a |= faSysFile;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) a |= faReadOnly;
  const String name = ExtractFileName(ExcludeTrailingPathDelimiter(fileName));
  if (!name.empty() && name[0] == u'.' && name != u"." && name != u"..") a |= faHidden;
  return a;
}

bool ZAFileSetAttr(const String& fileName, Int32 attr) {
  const std::string path = U8(fileName);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  if (attr & faReadOnly)
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else
    mode |= S_IWUSR;
  return ::chmod(path.c_str(), mode) == 0;
}

String ZAExtractRelativePath(const String& baseName, const String& destName) {
  auto split = [](const String& s) {
    std::vector<String> parts;
    size_t p = 0;
    while (p <= s.size()) {
      size_t q = p;
      while (q < s.size() && !IsSep(s[q])) ++q;
      if (q > p) parts.push_back(s.substr(p, q - p));
      p = q + 1;
    }
    return parts;
  };
  const std::vector<String> base = split(ExtractFilePath(baseName));
  const String destPath = ExtractFilePath(destName);
  const std::vector<String> dest = split(destPath);
  size_t common = 0;
  while (common < base.size() && common < dest.size() && base[common] == dest[common]) ++common;
  String r;
  for (size_t i = common; i < base.size(); ++i) r += u"../";
  for (size_t i = common; i < dest.size(); ++i) r += dest[i] + u"/";
  return r + ExtractFileName(destName);
}

String ZAExtractFileName(const String& fileName) { return ExtractFileName(fileName); }
String ZAExpandFileName(const String& fileName) { return ExpandFileName(Slashed(fileName)); }
String ZAExtractFilePath(const String& fileName) { return ExtractFilePath(fileName); }
String ZAExtractFileExt(const String& fileName) { return ExtractFileExt(fileName); }
String ZAGetCurrentDir() { return GetCurrentDir(); }
bool ZAFileAge(const String& fileName, TDateTime& age) { return FileAge(fileName, age); }

}  // namespace sk
