#include "services/Filename_functions.h"

#include <dirent.h>
#include <sys/stat.h>

#include "core/UnitCounter.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

bool IsDelim(Char c) { return c == u'/' || c == u'\\'; }

bool IsDriveLetterName(const String& s) {
  return s.size() >= 2 && s[1] == u':' && ((s[0] >= u'a' && s[0] <= u'z') || (s[0] >= u'A' && s[0] <= u'Z'));
}

String ExcludeTrailingDelim(const String& s) {
  if (!s.empty() && IsDelim(s.back())) return s.substr(0, s.size() - 1);
  return s;
}

// s with a trailing delimiter, the one s uses.
String IncludeTrailingDelim(const String& s) {
  if (!s.empty() && IsDelim(s.back())) return s;
  return s + DelimiterOfAFilename(s);
}

// The folder part of s with its trailing delimiter; "" when s has no delimiter.
String FolderPathOf(const String& s) {
  for (size_t i = s.size(); i > 0; --i)
    if (IsDelim(s[i - 1])) return s.substr(0, i);
  return String();
}

bool SameIgnoringCase(const String& a, const String& b) { return AnsiUpperCase(a) == AnsiUpperCase(b); }

bool BeginsIgnoringCase(const String& s, const String& head) {
  return s.size() >= head.size() && AnsiUpperCase(s.substr(0, head.size())) == AnsiUpperCase(head);
}

// The length of the drive at the start of s, counted only when the drive is
// written there (a name with ".." may lie on a mount it does not spell out).
size_t DriveLengthIn(const String& s) {
  const String d = DriveOfAFilename(s);
  if (d.empty() || s.compare(0, d.size(), d) != 0) return 0;
  return d.size();
}

// s after its drive and the delimiter that follows it.
String AfterDriveAndDelimiter(const String& s) {
  size_t k = DriveLengthIn(s);
  if (k < s.size() && IsDelim(s[k])) ++k;
  return s.substr(k);
}

String BackslashesToSlashes(String s) {
  for (Char& c : s)
    if (c == u'\\') c = u'/';
  return s;
}

String ProgramFolder() {
  const String exe = ProgramFileName();
  return exe.empty() ? String() : IncludeTrailingDelim(FolderPathOf(exe));
}

String ProgramDrive() { return DriveOfAFilename(ProgramFileName()); }

}  // namespace

// ---- delimiters and drives --------------------------------------------------------

Char DelimiterOfAFilename(const String& s) {
  for (Char c : s)
    if (IsDelim(c)) return c;
  return PathDelim;
}

bool IsNetworkName(const String& s) {
  return s.size() >= 3 && IsDelim(s[0]) && s[1] == s[0] && !IsDelim(s[2]);
}

bool FilenameHasDrive(const String& s) {
  return IsDriveLetterName(s) || IsNetworkName(s) || (!s.empty() && s[0] == u'/');
}

String DriveOfAFilename(const String& s) {
  if (IsDriveLetterName(s)) return s.substr(0, 2);
  if (IsNetworkName(s)) {
    // "\\server\share": up to the delimiter after the share's name.
    size_t afterServer = 2;
    while (afterServer < s.size() && !IsDelim(s[afterServer])) ++afterServer;
    size_t afterShare = afterServer + 1;
    while (afterShare < s.size() && !IsDelim(s[afterShare])) ++afterShare;
    return s.substr(0, std::min(afterShare, s.size()));
  }
  if (!s.empty() && s[0] == u'/') {
    TMountInfo m;
    if (!GetMountOfName(s, m)) return String();
    return ExcludeTrailingDelim(m.MountPoint);
  }
  return String();
}

// ---- sections and parents --------------------------------------------------------

std::vector<String> SectionsOfAFilename(const String& s) {
  std::vector<String> parts;
  if (s.empty()) return parts;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i)
    if (i == s.size() || IsDelim(s[i])) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  return parts;
}

String ParentFolderOf(const String& s) {
  const String folder = ExcludeTrailingDelim(FolderPathOf(s));
  if (folder.empty()) return String();
  const String parent = FolderPathOf(folder);
  return folder.substr(parent.size());
}

String ParentFolderSectionsOf(const String& s) { return ExcludeTrailingDelim(FolderPathOf(ExcludeTrailingDelim(s))); }

bool IsASubFolderOf(const String& a, const String& b) { return a != b && BeginsIgnoringCase(b, a); }

String FilenameWithoutCommonRoot(const String& a, const String& b) {
  const size_t m = std::min(a.size(), b.size());
  size_t n = 0;
  while (n < m && AnsiUpperChar(a[n]) == AnsiUpperChar(b[n])) ++n;
  if (n == 0) return b;
  return b.substr(n - 1);
}

String PathWithoutCommonRoot(const String& a, const String& b) { return FilenameWithoutCommonRoot(a, b); }

String CommonDrivePathElements(const String& a, const String& b) {
  const size_t m = std::min(a.size(), b.size());
  size_t last = 0;  // 1-based position of the last delimiter seen; 0 for none
  for (size_t i = 0; i < m; ++i) {
    if (IsDelim(a[i])) last = i + 1;
    if (AnsiUpperChar(a[i]) != AnsiUpperChar(b[i])) break;
  }
  return a.substr(0, last);
}

String SuggestedFilenameForChosenTexts(Int32 files, Int32 folders, const String& firstName) {
  if (folders == 0) return Format(u"%d_files", {files});
  if (folders == 1) {
    const std::vector<String> parts = SectionsOfAFilename(firstName);
    if (parts.size() >= 2 && parts[parts.size() - 2].find(u':') == String::npos)
      return Format(u"%d_files_%s", {files, parts[parts.size() - 2]});
    return Format(u"%d_files", {files});
  }
  return Format(u"%d_files_%d_folders", {files, folders});
}

String CleanedUpFilename(const String& s) {
  const String name = ExcludeTrailingDelim(s);
  size_t start = 0;
  for (size_t i = name.size(); i > 0; --i)
    if (IsDelim(name[i - 1])) {
      start = i - 1;
      break;
    }
  String r = name.substr(start);
  static const String invalid = u"<>:\"/\\|?*";
  for (Char& c : r)
    if (c < 32 || invalid.find(c) != String::npos) c = u' ';
  return r;
}

String FileNameFromSuggestedOrExisting(const String& existing, const String& suggested) {
  return FileExists(existing) ? existing : suggested;
}

String FullFilenameWithoutDrive(const String& s) { return s.substr(DriveLengthIn(s)); }

String GetLongPathNameW(const String& s) {
  if (s.empty()) return String();
  const String full = ExpandFileName(s);
  std::vector<String> elements;
  for (const String& part : SectionsOfAFilename(full))
    if (!part.empty() && part != u"/") elements.push_back(part);
  String result = u"/";
  for (size_t i = 0; i < elements.size(); ++i) {
    const String& e = elements[i];
    String found;
    struct stat st;
    if (::lstat(StringToSystemName(result + e).c_str(), &st) == 0) {
      found = e;
    } else {
      // The one entry of the folder that matches ignoring case.
      Int32 matches = 0;
      const String upper = AnsiUpperCase(e);
      if (DIR* d = ::opendir(StringToSystemName(result).c_str())) {
        while (struct dirent* de = ::readdir(d)) {
          String name = SystemNameToString(std::string(de->d_name));
          if (name == u"." || name == u"..") continue;
          if (AnsiUpperCase(name) == upper) {
            found = name;
            ++matches;
          }
        }
        ::closedir(d);
      }
      if (matches != 1) found.clear();
    }
    if (found.empty()) {
      // The rest stays as it was given.
      for (size_t k = i; k < elements.size(); ++k) {
        result += elements[k];
        if (k + 1 < elements.size()) result += u'/';
      }
      if (full.back() == u'/') result += u'/';
      return result;
    }
    result += found;
    if (i + 1 < elements.size()) result += u'/';
  }
  if (full.size() > 1 && full.back() == u'/' && result.back() != u'/') result += u'/';
  return result;
}

String InsertBeforeExtofFilename(const String& name, const String& text) {
  return ChangeFileExt(name, String()) + text + ExtractFileExt(name);
}

String InsertBeforeExtension(const String& name, const String& text) { return InsertBeforeExtofFilename(name, text); }

String NameUpToXPathDelimiters(const String& s, Int32 x) {
  if (x < 1) return String();
  Int32 seen = 0;
  for (size_t i = 0; i < s.size(); ++i)
    if (IsDelim(s[i]) && ++seen == x) return s.substr(0, i);
  return String();
}

Int32 PathDelimiterCount(const String& s) {
  Int32 n = 0;
  for (Char c : s)
    if (IsDelim(c)) ++n;
  return n;
}

String RemoveDotsFromFilename(const String& s) {
  String r;
  r.reserve(s.size());
  for (Char c : s)
    if (c != u'.') r.push_back(c);
  return r;
}

String NewSubFolderFrom(const String& fileName, const String& baseFolder) {
  const String base = IncludeTrailingDelim(baseFolder);
  String root = CommonDrivePathElements(fileName, base);
  if (root.empty()) {
    const String drive = DriveOfAFilename(baseFolder);
    if (drive.empty()) return String();
    root = IncludeTrailingDelim(drive) +
           CommonDrivePathElements(AfterDriveAndDelimiter(fileName), AfterDriveAndDelimiter(base));
  }
  const size_t skip = IncludeTrailingDelim(root).size();
  const String folder = FolderPathOf(fileName);
  if (folder.size() <= skip) return String();
  String r = ExcludeTrailingDelim(folder.substr(skip));
  // A lone delimiter left over means no sub-folder; a one-letter folder name
  // is a sub-folder like any other.
  if (r.size() == 1 && IsDelim(r[0])) return String();
  return r;
}

// ---- placeholders ------------------------------------------------------------------

String ConvertedUserFolderInFilename(const String& userFolder, const String& fileName, bool toPlaceholder) {
  if (!toPlaceholder) return ConvertedFilenameFromUserDirFName(userFolder, fileName);
  if (!FilenameHasDrive(fileName) || !FilenameHasDrive(userFolder)) return fileName;
  if (!SameIgnoringCase(DriveOfAFilename(fileName), DriveOfAFilename(userFolder))) return fileName;
  // The folder is compared with its trailing delimiter, so that a file in a
  // folder whose name merely begins like the user folder is not taken as
  // inside it, and the delimiter after the placeholder is always there.
  const String folder = IncludeTrailingDelim(userFolder);
  if (!SameIgnoringCase(fileName, folder) && !SameIgnoringCase(fileName, userFolder) &&
      BeginsIgnoringCase(fileName, folder))
    return String(user_dir_const) + fileName.substr(folder.size() - 1);
  const String rest = FullFilenameWithoutDrive(fileName);
  if (!rest.empty() && IsDelim(rest[0])) return String(user_drive_const) + rest;
  return String(user_drive_const) + DelimiterOfAFilename(fileName) + rest;
}

String ConvertedFilenameFromUserDirFName(const String& userFolder, const String& fileName) {
  const String dirConst = user_dir_const;
  const String driveConst = user_drive_const;
  size_t p = fileName.find(dirConst);
  if (p != String::npos) {
    size_t from = p + dirConst.size();
    // The delimiter after the placeholder is dropped (the folder brings one).
    if (from < fileName.size() && IsDelim(fileName[from])) ++from;
    return IncludeTrailingDelim(userFolder) + BackslashesToSlashes(fileName.substr(from));
  }
  p = fileName.find(driveConst);
  if (p != String::npos) {
    const String rest = BackslashesToSlashes(fileName.substr(p + driveConst.size()));
    const String drive = DriveOfAFilename(userFolder);
    if (!rest.empty() && IsDelim(rest[0])) return drive + rest;
    return drive + PathDelim + rest;
  }
  return fileName;
}

String ConvertedAppFolderInFilename(const String& fileName, bool toPlaceholder) {
  return ConvertedUserFolderInFilename(ProgramFolder(), fileName, toPlaceholder);
}

String ConvertedFilenameIfUserDrive(const String& fileName, bool toPlaceholder) {
  const String driveConst = user_drive_const;
  if (toPlaceholder) {
    if (!FilenameHasDrive(fileName)) return fileName;
    const String drive = DriveOfAFilename(fileName);
    if (SameIgnoringCase(drive, ProgramDrive()) && fileName.compare(0, drive.size(), drive) == 0)
      return driveConst + fileName.substr(drive.size());
    return fileName;
  }
  if (fileName.compare(0, driveConst.size(), driveConst) == 0) {
    const String rest = BackslashesToSlashes(fileName.substr(driveConst.size()));
    if (!rest.empty() && IsDelim(rest[0])) return ProgramDrive() + rest;
    return ProgramDrive() + PathDelim + rest;
  }
  return fileName;
}

SK_COUNTER_ONLY_UNIT(Filename_functions)

}  // namespace sk
