// Process-wide state of the suite shared by the library and the tools: the
// running tool, the file it shows, its colours and its scratch objects.
//
// Every variable holds its static initial value before any unit starts.
#pragma once

#include <memory>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/Stopwatch.h"
#include "platform/runtime/StringList.h"

namespace sk {

// The running tool, set by the tool at start.
inline constinit tool_type global_current_tool = tt_shell;
inline constinit T8Bytes global_Last_actions{};
// The file the tool shows; its file name is released at shut-down.
inline SK_CONSTINIT_TEXT TQM_MainFile_rec Global_TempMainFile{};
// Highlight brush, highlight text, picked-word brush and picked-word text.
inline constinit TEnumArray<THighlightingColours, TColor, THighlightingColours_Count>
    Global_Colour_highlights{};
// One colour per style colour: window, window text, highlight, highlight text,
// button face, button shadow, active and inactive gradients.
inline constinit TMyCanvasColourRec Global_Colours{};
// One stopwatch per kind of results list; zeroed at start-up.
inline constinit TEnumArray<TQuillmarkList, TStopwatch, TQuillmarkList_Count>
    Global_process_stopwatches{};
// Room for one library record per tool.
inline constinit TEnumArray<tool_type, Tlibrary_rec, tool_type_Count> Global_LibraryRecs{};
inline constinit bool global_fSort = false;
// The outermost collocate positions for which a collocate list's heading set
// shows one column each; both at the centre (no position columns) until a tool
// sets its horizons.
inline constinit Tdouble_colloc_span global_heading_collocate_spans{span_Centre, span_Centre};
// A process-wide scratch string list for the tools: created at start-up,
// freed at shut-down.
inline constinit std::unique_ptr<TStringList> Global_Stringlist;

// Unit start and stop. Start work: creates Global_Stringlist and zeroes the
// process stopwatches. Stop work: frees Global_Stringlist and releases the file
// name in Global_TempMainFile.
void Qm_global_vars_initialization();
void Qm_global_vars_Finalization();

}  // namespace sk
