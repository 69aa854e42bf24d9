#include "services/User_and_system_utils.h"

#include <cstdlib>

#include "core/UnitCounter.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/IniFiles.h"

namespace sk {

namespace {

constexpr char16_t kSettingsPointerFile[] = u"settings_folder.txt";

String ProgramFolderWithDelimiter() {
  const String exe = ProgramFileName();
  return exe.empty() ? String() : IncludeTrailingPathDelimiter(ExtractFilePath(exe));
}

}  // namespace

String ProductFolderName() { return Format(u"%s_%s_%d", {u"Quillmark", u"64", 9}); }

String GetMyDocumentsFolder() {
  const char* v = std::getenv("XDG_DOCUMENTS_DIR");
  if (v != nullptr && v[0] == '/') return ExcludeTrailingPathDelimiter(SystemNameToString(std::string(v)));
  return GetDocumentsPath();
}

String GetMyDocumentsQMarkFolder() { return IncludeTrailingPathDelimiter(GetMyDocumentsFolder()) + ProductFolderName(); }

String GetLocalAppDataRoamingFolder() { return GetAppDataPath(); }

String GetLocalAppRoamingQMarkFolder() {
  return IncludeTrailingPathDelimiter(GetLocalAppDataRoamingFolder()) + ProductFolderName();
}

String GetProgramDataFolder() {
  const char* v = std::getenv("XDG_DATA_DIRS");
  if (v != nullptr) {
    const std::string dirs(v);
    size_t p = 0;
    while (p <= dirs.size()) {
      size_t q = dirs.find(':', p);
      if (q == std::string::npos) q = dirs.size();
      const std::string entry = dirs.substr(p, q - p);
      if (!entry.empty() && entry[0] == '/') return ExcludeTrailingPathDelimiter(SystemNameToString(entry));
      p = q + 1;
    }
  }
  return u"/usr/local/share";
}

bool RunningFromUSBStick() {
  const String exe = ProgramFileName();
  if (exe.empty()) return false;
  TMountInfo m;
  if (GetMountOfName(exe, m) && m.Network) return false;
  return GetDriveTypeW(exe) == DRIVE_REMOVABLE;
}

String FilenameForSettingsFolderInfo() {
  if (RunningFromUSBStick()) return ProgramFolderWithDelimiter() + kSettingsPointerFile;
  return IncludeTrailingPathDelimiter(GetMyDocumentsQMarkFolder()) + kSettingsPointerFile;
}

String Get_Ini_Folder() {
  String result;
  const String name = FilenameForSettingsFolderInfo();
  if (FileExists(name)) {
    try {
      TMemIniFile ini(name);
      result = ini.ReadString(u"Settings", u"folder", u"");
    } catch (const std::exception&) {
      result.clear();  // an unreadable pointer file is no pointer
    }
  }
  if (result == u"self") result = ProgramFolderWithDelimiter();
  return result;
}

SK_COUNTER_ONLY_UNIT(User_and_system_utils)

}  // namespace sk
