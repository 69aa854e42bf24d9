// The tools' program files and the suite's download addresses.
#pragma once

#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// The tool's program file name: its display name with blanks as "_", then
// "64_" and the version ("Minimal_Pairs64_9.exe"); ".dll" for tt_API_tool and
// ".exe" for every other tool. Stored names rely on the extensions. The empty
// string for a tool without a name.
String GetShortToolFilename(tool_type tool);
// The running program's folder, with its delimiter, and the tool's program
// file name.
String GetFullToolFilename(tool_type tool);
// Sets global_current_tool to the tool whose program file name is the
// running program's (ToolTypeOfProgramFilename); tt_no_tool_at_all when none.
void SetCurrentTool();
// The tool whose program file name is name (without its folder), ignoring
// case, with or without the program's extension; tt_no_tool_at_all when none.
tool_type ToolTypeOfProgramFilename(const String& name);

// "setup-<n>.exe".
String QMCurrentDownloadShortFilename(Int32 n);
// The address of the download folder of the current version, with a
// trailing "/".
String QMCurrentDownloadFolder();
// The download folder followed by "HTML/".
String QuillmarkHelpURL();

// Unit start and stop (the unit has no work of its own).
void Quillmark_filenamesu_initialization();
void Quillmark_filenamesu_Finalization();

}  // namespace sk
