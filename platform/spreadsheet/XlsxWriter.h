// Writes a workbook as .xlsx through libxlsxwriter.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

class TXlsWorkbook;

// Writes every sheet, row by row in libxlsxwriter's constant-memory mode, to
// a new file in the target's folder, and puts that file in the target's place
// once it is complete.  Raises EXlsError (the target untouched) when the
// workbook cannot be written: more distinct formats than a file holds, a
// folder that cannot take the file, a failed write.
void WriteXlsx(const TXlsWorkbook& workbook, const String& fileName);

}  // namespace sk
