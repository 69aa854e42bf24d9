// The suite's zip glue: naming rules for archives and for members of archives.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The number that follows the zip extension in a file name's extension
// (".zip3" gives 3), or -1 when the extension is not longer than the zip
// extension or the rest is not an integer. The leading characters are not
// compared here.
Int32 ZipFilePlusNumber(const String& filename);

// True when the file name's extension is the zip extension in any case, or the
// zip extension followed by an integer of at least 0 (a numbered part). Only
// the name is examined: the file is not opened and need not exist.
bool IsAZipFile(const String& filename);

// Unit start and stop (the unit has no work of its own).
void Zip_utils_initialization();
void Zip_utils_Finalization();

}  // namespace sk
