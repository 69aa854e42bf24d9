// The heading list a results list owns: the standard set of a list kind, the
// user's customised set (one file per kind), the columns that collocate and
// detailed-consistency lists add at run time, repairs of older
// mutual-information sets, and helpers that list, compare and copy headings.
#pragma once

#include <memory>
#include <vector>

#include "analysis/grid_header_listU.h"
#include "core/Qm_specific_types.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

class TGridHeaderList : public TBaseGridHeaderList {
 public:
  explicit TGridHeaderList(TQuillmarkList kind) : TBaseGridHeaderList(kind) {}

  // Clears the list and takes the kind; then the customised set when its
  // file exists and reads, otherwise the standard set. Always true.
  bool LoadStandardSet(TQuillmarkList kind);
  // Reads CustomFilename(kind). True, with custom_list_read set, only when
  // the file holds a whole header-list stream of that kind (a collocate set
  // of at least its standard count); otherwise the list is cleared. A file
  // that cannot be opened or raises while being read is reported through
  // Warn ("<file> is faulty").
  bool ReadCustomised(TQuillmarkList kind);
  // Writes the header-list stream to the file through a whole-file replace,
  // so that a failed write leaves the old file; a failure is reported
  // through Warn and answers false. The run-time columns are left out:
  // ReloadAs adds those of the settings in force when the set is read.
  bool SaveAsCustomised(const String& fileName);
  // The header-list stream; a collocate set with fewer headings than the
  // kind's standard count is replaced by the standard set (from a
  // customised file, the file is not read again: it is not taken).
  bool ReadFromStream(TStream* stream) override;
  // Clear, LoadStandardSet (a customised set gives up any run-time columns
  // saved with it), the run-time columns, then timelinerounded on every
  // heading. A detailed consistency list gets a column per file only as far
  // as the list's stream can hold (MaxGridHeadings columns in all).
  void ReloadAs(TQuillmarkList kind, bool rounded);
  // A new list filled as ReloadAs fills one.
  static std::unique_ptr<TGridHeaderList> ACopyOfBaseHeadings(TQuillmarkList kind, bool rounded);
  // The standard count of the list's kind plus the run-time columns, the
  // collocate list's centre column not counted.
  Int32 StandardNumberOfColumns() const;
  // Older collocate sets: puts "Dice" ... "DeltaPB" at indexes 2 to 12 (and
  // drops a last "Relation") when "Dice" is missing.
  void EnsureMIHeadingsIncludeAllStats();
  // Puts a "With" column at index 2 when it is missing and "Dice" is there.
  void EnsureMIHeadingsIncludeWith();
  // "Total = ...; Max = ...; ..." for a numerical column, "non-numerical"
  // otherwise. An index outside the list raises EAssertionFailed
  // "aCol index %d (Count = %d)".
  String ColumnTotalData(Int32 col) const;

 private:
  void AddRunTimeColumns(TQuillmarkList kind);
  void AppendStandardSet(TQuillmarkList kind);

  bool fReadingCustomised = false;
  bool fCustomisedTooShort = false;
};

// A copy of rec whose heading is HStringFromN(localization_number) and whose
// hint is HStringFromN(localization_number + 32768); a numerical "%" heading
// gets percent_data.
TGrid_head AddHintAndHeader(const TGrid_head& rec);
// The kind's standard headings with their texts; the kinds without a table
// get their count of blank headings, the undefined kind none.
std::vector<TGrid_head> StandardGridHeaderArray(TQuillmarkList kind);
std::vector<String> AllDefaultHeadingsFor(TQuillmarkList kind);
// Text lines of a heading cell: 4 for statistics lists, else 2.
Int32 HeadingLinesForList(TQuillmarkList kind);
// Stores the collocate horizons that later heading sets show.
void SetupCollocHorizons(const Tdouble_colloc_span& spans);
// The kind's customised-headings file in the user's read-write folder.
String CustomFilename(TQuillmarkList kind);

// Fill strings with the visible headings from column 1 on, each with its
// column number as the line's number; index is the line of column chosen,
// -1 when it is not listed.
void FillStringsWithVisibleHeadings(TStringlistWithALongint* strings, const TBaseGridHeaderList* list, Int32 chosen,
                                    Int32& index);
void FillStringsWithVisibleHeadings(TStringlistWithALongint* strings, const std::vector<TGrid_head>& arr, Int32 chosen,
                                    Int32& index);
// arr := the headings whose version byte is not 0 or whose text is not
// empty; with minWidth > 0 the one of original column 1 is at least that wide.
void CopyGridHeaderListDataToArray(const TBaseGridHeaderList* list, std::vector<TGrid_head>& arr, Int32 minWidth);
// Same non-zero length and every pair equal: the stored raw bytes and both
// texts by content.
bool IdenticalGridHeadArrays(const std::vector<TGrid_head>& a, const std::vector<TGrid_head>& b);

// Unit start and stop (the unit has no work of its own).
void Headingsu_initialization();
void Headingsu_Finalization();

}  // namespace sk
