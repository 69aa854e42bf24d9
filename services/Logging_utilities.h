// The shared log file of the suite's tools, and detail log files.
//
// A log file is UTF-16 little-endian: a file the writer creates begins with
// FF FE, and every write appends the tag of the running tool and the text,
// with no line break of its own.  Nothing is written while global_log_level
// is 0 or the file name is empty; a failed write sets global_log_level to 0
// (logging stays off until the host sets a level again) and never troubles the
// caller.
//
// Several tools may append to one log at once: each append holds an exclusive
// lock on the file for one write, so lines never interleave; a new log comes
// into being already holding its byte-order mark, so no process adds a second
// one; and a file of odd length (cut off in the middle of a character) first
// gets one zero byte, so that what follows stays aligned.
#pragma once

#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// True while the writer has a log file open; a text that arrives then is
// queued (without its tag) and written ahead of the next write.
inline constinit bool busy_logging = false;

void SetLogFilename(const String& name);
String GetLogFilename();

// The text (with CR LF when addCRLF) appended to the shared log, tagged.
void AddToLogFile(const String& text, bool addCRLF);
void AddToLogFile(const String& text);
// The text and CR LF appended, tagged, to the named file.
void AddToDetailLogFile(const String& filename, const String& text);
// Ten asterisks, then "version %s. " when a version is given, then
// "LOG STARTED at " and the present date and time.
void StartNewLogSection(const String& version);
void StartNewLogSection();
// Deletes the log file if it exists; every failure is ignored.
void ClearLogFile(const String& filename);
void ClearLogFile();

// The tag that begins each write for a tool: "(XX): " for each tool of the
// suite, "(QM9): " for the shell, "(??)" for anything else.
String LogToolTag(tool_type tool);

// Unit start: the queue of pending lines begins empty.  Stop: queued lines
// are written to the shared log as one block; the log name is cleared.
void Logging_utilities_initialization();
void Logging_utilities_Finalization();

}  // namespace sk
