#include "services/File_utils_tests.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "services/Filename_functions.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

// A name on the network: a Windows network name, or on a network mount by the
// mount table (the name is not touched, so no server is woken).
bool IsOnNetwork(const String& name) {
  if (IsNetworkName(name)) return true;
  if (name.empty() || name[0] != u'/') return false;
  TMountInfo m;
  return GetMountOfName(name, m) && m.Network;
}

bool StatOf(const String& name, struct stat& st) { return ::stat(StringToSystemName(name).c_str(), &st) == 0; }

}  // namespace

bool IsDirectoryWriteable(const String& folder) {
  if (folder.empty()) return false;
  String f = ExcludeTrailingPathDelimiter(folder);
  if (f.empty()) f = folder;  // the root
  const std::string dir = StringToSystemName(f);
  int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
  // No unnamed files here: a fresh name of our own, removed at once.
  std::string tmpl = dir + "/.sk_writeable_XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  fd = ::mkostemp(buf.data(), O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(buf.data());
  return true;
}

TQMFilestatus DriveAndFolderExist(const String& name, bool allowNetwork) {
  if (name.empty()) return fs_not_found;
  if (!allowNetwork && IsOnNetwork(name)) return fs_unknown;
  struct stat st;
  if (!StatOf(name, st)) return fs_not_found;
  return S_ISDIR(st.st_mode) ? fs_exists : fs_unknown;
}

bool DriveAndFolderExist(const String& name) { return DriveAndFolderExist(name, true) == fs_exists; }

TQMFilestatus DriveAndFileExist(const String& name, bool allowNetwork) {
  if (name.empty()) return fs_not_found;
  if (!allowNetwork && IsOnNetwork(name)) return fs_unknown;
  struct stat st;
  if (!StatOf(name, st)) return fs_not_found;
  return S_ISDIR(st.st_mode) ? fs_unknown : fs_exists;
}

bool DriveAndFileExist(const String& name) { return DriveAndFileExist(name, true) == fs_exists; }

TQMFilestatus GetFileStatusOfAFile(const String& name, bool allowNetwork) {
  if (!allowNetwork && IsOnNetwork(ExtractFilePath(name).empty() ? name : ExtractFilePath(name))) return fs_unknown;
  return DriveAndFileExist(name, allowNetwork) == fs_exists ? fs_exists : fs_not_found;
}

bool IsReadOnlyFile(const String& name) {
  TSearchRec rec;
  if (FindFirst(name, faAnyFile, rec) != 0) return false;
  const bool readOnly = (rec.Attr & faReadOnly) != 0;
  FindClose(rec);
  return readOnly;
}

bool IsReadOnlyFolder(const String& name) {
  TSearchRec rec;
  if (FindFirst(ExcludeTrailingPathDelimiter(name), faAnyFile, rec) != 0) return false;
  const bool readOnly = (rec.Attr & faReadOnly) != 0 && (rec.Attr & faDirectory) != 0;
  FindClose(rec);
  return readOnly;
}

Int64 File_utils::FileSize(const String& name) { return FileSizeByName(name); }

String FileSizetoString(Int64 n) {
  if (n > 2097152) return IntToStr(n / 1048576) + u"Mb";
  if (n >= 2049) return IntToStr(n / 1024) + u"Kb";
  return IntToStr(n);
}

}  // namespace sk
