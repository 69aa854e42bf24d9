// Reads the sheets of an .xlsx file: their names and cell values (numbers,
// shared, inline and rich-text strings with their runs, booleans, errors, the
// cached values of formulas).
//
// Nothing in the file is trusted: the members come through the zip reader,
// which checks every size against the data; each part goes through expat as
// it is inflated, a piece at a time, with any document type declaration
// refused; every count, index and cell reference is checked before it is
// used.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "platform/runtime/RtlTypes.h"
#include "platform/spreadsheet/XlsSheet.h"

namespace sk {

// Largest member (uncompressed) the reader takes.
inline constexpr Int64 xls_MaxMemberBytes = Int64{1} << 30;

// What one read of a package may inflate, over all the members it reads: at
// most TotalBytes, and past FreeBytes no more than Ratio bytes per byte of
// the file. A small file of many members, each within its own bounds, would
// otherwise take as long as its members' total. Tests lower the bounds to
// reach them with small files.
struct TXlsInflateBounds {
  Int64 TotalBytes = Int64{4} << 30;
  Int64 Ratio = 100;
  Int64 FreeBytes = Int64{64} << 20;
};
inline TXlsInflateBounds xls_InflateBounds;

// Counts what a package's members inflate to as they are read; Spend raises
// EXlsError once the bounds are passed.
class TXlsInflateBudget {
 public:
  explicit TXlsInflateBudget(Int64 fileSize) : fFileSize(fileSize) {}
  void Spend(size_t bytes);
  Int64 Spent() const { return fSpent; }

 private:
  Int64 fFileSize;
  Int64 fSpent = 0;
};

// Bytes the XML parser has been given to scan, a token it had to scan again
// counted each time (for tests: the parser's work grows with the input
// alone).
inline std::atomic<Int64> xls_XmlScanBytes{0};

// The file's sheets in order; false (sheets left empty) when the file is
// missing, not an .xlsx file, damaged or hostile.
bool ReadXlsx(const String& fileName, std::vector<std::unique_ptr<TXlsSheet>>& sheets);

}  // namespace sk
