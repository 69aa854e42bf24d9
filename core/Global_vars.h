// Process-wide state shared by the library and the tools that load it.
//
// Every variable holds its static initial value before any unit starts; none
// is set by code at load time (for the texts, see SK_CONSTINIT_TEXT). All
// state is used from the tool's user-interface thread only: nothing here is
// locked or atomic.
#pragma once

#include <array>
#include <tuple>
#include <vector>

#include "core/Basic_types.h"
#include "platform/runtime/FormatSettings.h"
#include "platform/runtime/Stopwatch.h"

namespace sk {

// ---------------------------------------------------------------------------
// Variables with a static initial value or a managed type (declaration order).

// Read by the file-name comparers: when true, two names of different lengths
// that match apart from a number are ordered by length.
inline constinit bool Global_DuplicateNames_Check = false;
inline constinit bool Global_closing_this_data = false;
inline constinit bool Global_needs_wake_up_from_shell = false;
inline SK_CONSTINIT_TEXT String Global_latest_output_str;
// The user's read-write folder, set by the tool.
inline SK_CONSTINIT_TEXT String Global_user_ReadWrite_folder;
inline SK_CONSTINIT_TEXT String Global_FailureMessage;
// Silent mode: every message dialog answers 0 without showing.
inline constinit bool Global_run_without_error_messages = false;
inline constinit bool Global_ExcludeFilterAndMoveFolders = true;
inline constinit bool Global_ExcelOverloadNotified = false;
// While true, grids fetch no cell data and paint empty cells.
inline constinit bool Global_Busy_Dont_Show_Data = false;
inline constinit bool Global_DoingScript = false;
inline constinit bool Global_NoProgress = false;
inline constinit bool Global_BusySetting_Components = false;
inline constinit bool Global_ShellCloseDown = false;
inline constinit bool Global_TimedOut = false;
inline constinit bool Global_tempFalse = false;
inline constinit bool Global_in_heading = false;
// Set when a date beyond the largest representable date is split into year,
// month and day; never reset by the library.
inline constinit bool global_dates_Untrustworthy = false;
// True while a message dialog is showing.
inline constinit bool Global_ErrorMessageBusy = false;
// The yield hook: long loops call it through MyYieldProcess; empty = unset.
// (Empty std::function objects hold no code; this one is zero-initialised.)
inline TYieldProcessProc Global_YieldProcessProc;
inline SK_CONSTINIT_TEXT String global_detail_log_filename;
inline constinit Int32 global_log_detail = 0;
inline constinit Int32 global_column_to_search = 0;
inline SK_CONSTINIT_TEXT String global_temp_str;
// The largest character count the one-argument stored-string reader accepts.
inline constinit Int32 global_string_safety_limit = 5000;
// -999999 means not yet known.
inline constinit Int32 Global_Known_ZipIconNumber = -999999;
inline constinit Int32 Global_Known_FolderIconNumber = -999999;
inline constinit bool global_params_dealt_with = false;
// The separator text between an archive's name and a member's path.
inline SK_CONSTINIT_TEXT String global_current_zip_ext_slash;
inline constinit TBatchMode Global_batch_mode = bm_not_batch;

// ---------------------------------------------------------------------------
// Variables that start zero.

inline constinit Byte global_Failreason = 0;
// Format settings for every date text that the library writes or parses.
inline SK_CONSTINIT_TEXT TFormatSettings Global_StringToDateTimeFormat{};
inline constinit std::array<Byte, 16> global_bytes_per_char_2000{};
inline SK_CONSTINIT_TEXT TEnumArray<TWholeOrPart, String, 2> global_allowables{};
// The text buffers of a search (whole text and part) and their character-class arrays.
inline SK_CONSTINIT_TEXT TEnumArray<TWholeOrPart, String, 2> global_bufStr{};
inline constinit TEnumArray<TWholeOrPart, std::vector<Word>, 2> global_Wchars{};
inline constinit Ttext_select_ONLY_IF_TEXTS global_texts_select_at_all{};
// The paragraph, heading and sentence spans found in the current text.
inline constinit TTextStatsPositions_rec Global_TextSectionsArr{};
// The line-break spans found in the current text.
inline constinit std::vector<TStartFinishIntegerRec> Global_CRLFBreaks{};
inline constinit TIgnore_tag Global_Blank_ignoreTags{};
inline constinit TColor Global_TextBreakColour = 0;
// 0 = no logging; above 1 = detail lines.
inline constinit Int32 global_log_level = 0;
inline constinit Int32 global_DetailedConsistency_files = 0;
inline constinit TStopwatch Global_stopwatch{};
inline constinit TDateTime Global_StartTime = 0;
// Help topic of the message dialog last shown.
inline constinit Int32 Global_MessageHelpCtx = 0;
// The host's help handler, handed to every message dialog.
inline TNotifyEvent Global_HelpProc;
// The cancel flag: only the host raises it.
inline constinit Tpanic_mode global_panic_state = panic_no_panic;
inline constinit std::array<AnsiChar, 256> Global_arrchar255{};
inline constinit twohundred55char Global_arrchar255W{};
inline constinit bool Global_Running_under_Wine = false;
// The library neither creates nor frees this list.
inline constinit TStringList* Global_temp_stringlist = nullptr;

// ---------------------------------------------------------------------------
// Hand-over variables: a routine that calls a plain sort callback, or makes an
// item whose constructor takes no parameter for a value, passes that value
// through one of these, and the value stays where it was put. They are not
// re-entrant: no such sort or read may start from inside a yield.
// The other hand-over variable is temp_Sort_which2
// (core/Useful_classes_stringlist_sorts.h). Code that must leave the process as
// it found it (the test programs) saves and restores them all through the
// <Unit>_HandOverVariables() lists, so a variable added here joins that list.

// Direction flag read by the sort comparers: the sorts that take a direction
// set it before they sort; those that take none run as it stands.
inline constinit bool global_reversed_sort = false;
// A caller stores a value here just before a constructor or routine that takes
// no parameter for it reads it (the row width of a multi-integer list's items).
inline constinit Int32 global_temp_int = 0;

// This unit's hand-over variables, as references.
inline std::tuple<bool&, Int32&> Global_vars_HandOverVariables() {
  return std::tie(global_reversed_sort, global_temp_int);
}

// ---------------------------------------------------------------------------
// Unit start and stop. Start work: none. Stop work: unsets the yield hook and
// releases the unit's strings and buffers.
void Global_vars_initialization();
void Global_vars_Finalization();

}  // namespace sk
