#include "services/Quillmark_filenamesu.h"

#include "core/My_file_extensionsu.h"
#include "core/My_string_functions_splitting.h"
#include "core/Qm_global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"
#include "services/Qm_essentials.h"

namespace sk {

String GetShortToolFilename(tool_type tool) {
  const String name = Tool_Name(tool);
  if (name.empty()) return String();
  const String ext = tool == tt_API_tool ? QMExts[ext_dll] : QMExts[ext_exe];
  return Format(u"%s%d_%d%s", {ReplacedCharWithChar(u' ', u'_', name), 64, QuillmarkVersion, ext});
}

String GetFullToolFilename(tool_type tool) {
  return IncludeTrailingPathDelimiter(ExtractFilePath(ProgramFileName())) + GetShortToolFilename(tool);
}

void SetCurrentTool() { global_current_tool = ToolTypeOfProgramFilename(ProgramFileName()); }

tool_type ToolTypeOfProgramFilename(const String& name) {
  const String bare = ExtractFileName(name);
  if (bare.empty()) return tt_no_tool_at_all;
  for (int t = 0; t < tool_type_Count; ++t) {
    const String short_name = GetShortToolFilename(static_cast<tool_type>(t));
    if (short_name.empty()) continue;
    // A program on this system has no ".exe": its name matches the tool's
    // without the extension.
    if (SameText(bare, short_name) || SameText(bare, ChangeFileExt(short_name, String())))
      return static_cast<tool_type>(t);
  }
  return tt_no_tool_at_all;
}

String QMCurrentDownloadShortFilename(Int32 n) { return Format(u"setup-%d.exe", {n}); }

String QMCurrentDownloadFolder() { return Format(u"https://downloads.example.org/quillmark/v%d/", {QuillmarkVersion}); }

String QuillmarkHelpURL() { return QMCurrentDownloadFolder() + u"HTML/"; }

SK_COUNTER_ONLY_UNIT(Quillmark_filenamesu)

}  // namespace sk
