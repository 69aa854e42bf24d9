// The texts of the file and folder edits: a small message table of
// resource strings (identifiers 60384 to 60388), loaded at each use.
#pragma once

#include "platform/runtime/ResourceStrings.h"

namespace sk {

extern const TResStringRec _SSAveFileTitle;  // 60384 "Save"
extern const TResStringRec _SChoose;         // 60385 "Choose %s"
extern const TResStringRec _SChooseA;        // 60386 "Choose a %s"
extern const TResStringRec _SFiles;          // 60387 "Files"
extern const TResStringRec _SFile;           // 60388 "File"

inline constexpr Int32 Labelledcomponents_EntryCount = 5;
extern const TResStringRec* const Labelledcomponents_Entries[Labelledcomponents_EntryCount];

}  // namespace sk
