// Reads the sheets of an .xlsx file: their names and cell values (numbers,
// shared, inline and rich-text strings with their runs, booleans, errors, the
// cached values of formulas), and which number cells show a date or time
// (from the number formats of the styles part), held as date-times whichever
// date system the workbook uses.
//
// Nothing in the file is trusted: the members come through the zip reader,
// which checks every size against the data; each part goes through expat as
// it is inflated, a piece at a time, with any document type declaration
// refused and each byte scanned a bounded number of times; what the parts
// inflate to in all is held to the zip reader's bounds of one read
// (TZipInflateBounds); every count, index and cell reference is checked
// before it is used.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "platform/runtime/RtlTypes.h"
#include "platform/spreadsheet/XlsSheet.h"

namespace sk {

// Largest member (uncompressed) the reader takes.
inline constexpr Int64 xls_MaxMemberBytes = Int64{1} << 30;

// Bytes the XML parser has been given to scan, a token it had to scan again
// counted each time (for tests: the parser's work grows with the input
// alone).
inline std::atomic<Int64> xls_XmlScanBytes{0};

// The file's sheets in order; false (sheets left empty) when the file is
// missing, not an .xlsx file, damaged or hostile.
// Reports the work done while a workbook is read (bytes of XML, cells);
// true stops the read, which then fails.
using TXlsReadProgress = std::function<bool(size_t work)>;

bool ReadXlsx(const String& fileName, std::vector<std::unique_ptr<TXlsSheet>>& sheets,
              const TXlsReadProgress& progress = {});

}  // namespace sk
