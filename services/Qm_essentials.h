// The suite's tools by name: the display name of each tool and the caption of
// the suite's controller.
#pragma once

#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// The suite's version number, as program file names and captions show it.
inline constexpr Int32 QuillmarkVersion = 9;

// The display name of each tool; tt_shell is named by the product name. The
// slots without a tool (tt_spare_QMconcgram, tt_reserved_6,
// tt_no_tool_at_all) have the empty name. The names are part of the tools'
// program file names and of the request files between tools, so they never
// change with the language of the messages.
String Tool_Name(tool_type tool);
// "Quillmark Tools" followed by the version formatted with "%4.1f".
String QuillmarkControllerCaption();

// Unit start and stop (the unit has no work of its own).
void Qm_essentials_initialization();
void Qm_essentials_Finalization();

}  // namespace sk
