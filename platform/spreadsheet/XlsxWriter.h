// Writes a workbook as .xlsx through libxlsxwriter.
#pragma once

#include <cstdio>
#include <functional>

#include "platform/runtime/RtlTypes.h"

namespace sk {

class TXlsWorkbook;

// Writes every sheet, row by row in libxlsxwriter's constant-memory mode, to
// a new file in the target's folder, and puts that file in the target's place
// once it is complete.  Raises EXlsError (the target untouched) when the
// workbook cannot be written: more distinct formats than a file holds, a
// folder that cannot take the file, a failed write.
//
// libxlsxwriter keeps each sheet's rows in a temporary file until it
// assembles the package, and neither checks its writes to it nor its reading
// back.  So the save also fails when that file reports an error, and when
// the package, read back before it takes the target's place, holds other
// rows, cells, values or merged ranges in a sheet than were handed over (a
// cell's text as the workbook holds it, whole).
//
// A long save reports its work as it goes through progress, when given:
// after each row handed to the library (work 1), and at coarse steps
// (kXlsxCoarseStep) every few milliseconds while the library assembles the
// package and for each piece of it read back.  A caller yields from it
// (counting work as it counts the ticks of any long loop); answering true
// stops the save, which then raises EXlsError with the target untouched
// and nothing of the new file left.
using TXlsSaveProgress = std::function<bool(size_t work)>;
inline constexpr size_t kXlsxCoarseStep = size_t{1} << 20;
void WriteXlsx(const TXlsWorkbook& workbook, const String& fileName, const TXlsSaveProgress& progress = {});

// For tests: called with a sheet's row file (the temporary stdio stream the
// library writes the sheet's rows to) after each row of the sheet (1-based
// sheet and row) is handed over, and with row 0 once every sheet is written,
// just before the package is assembled, so that a test can make the file's
// later writes or reads fail, or change its bytes, as a failing disk would.
// Nothing installs it but a test.
using TXlsxRowFileHook = std::function<void(Int32 sheet, Int32 row, std::FILE* rows)>;

// Installs the hook (an empty one removes it) and answers the previous one.
TXlsxRowFileHook SetXlsxRowFileHook(TXlsxRowFileHook hook);

}  // namespace sk
