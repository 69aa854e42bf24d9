// Small process helpers: the yield routine, the diagnostics hook, the default
// colours of plain text and the report of a shell request's result.
#pragma once

#include "core/Basic_types.h"

namespace sk {

// Calls the host's yield hook (Global_YieldProcessProc) when one is installed;
// otherwise returns at once. It never pumps messages itself.
void MyYieldProcess();

// Called where an unexpected case was met; they do nothing and must not
// change behaviour there (a place to hang diagnostics).
void Yikes();
void Yikes(Int32 value);

// The default colours of plain text: the window background as brush, the
// window text as font colour, no font styles.
TColourFontRec GetDefaultExtraFontRec();

// Shows a message box (empty caption, OK only, no owner) describing the result
// `code` of a shell request to run or open `name`; codes of 32 and above mean
// success and show nothing. Returns code unchanged.
UInt64 CheckExec(UInt64 code, const String& name);

// Unit start and stop (the unit has no work of its own).
void Basic_processes_initialization();
void Basic_processes_Finalization();

}  // namespace sk
