// TQMBaseDataClass, the data model behind every tool's results list: an
// ordered array of entries (objects of the tool's entry class, not owned by
// the base list), their special features, the list's column headings,
// stored-list information, stored formula, sort settings and undo stacks.
//
// Saved envelope, in stream order: the stored formula, the header-list
// stream, the stored-list information, the tool's data (its entries, each
// with its private-details stream), then Int32 6789.
#pragma once

#include <cstdlib>
#include <memory>
#include <unordered_set>
#include <vector>

#include "analysis/Headingsu.h"
#include "analysis/Parser.h"
#include "analysis/Work_base_elements.h"
#include "analysis/Work_qm_base_entries.h"
#include "analysis/Work_qm_base_storedinfo.h"
#include "analysis/Work_qm_base_undo.h"
#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Sets.h"
#include "core/Useful_classes_base.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

class TCanvas;
class TRichEdit;
class TXlsWorkbook;
class TStringList;

// The most slots the entry array may have.
inline constexpr Int32 MaxResultsListCapacity = 134217728;
// No value, in the numbers a results list or an entry answers.
inline constexpr Int32 NoValueNumber = -999999;

// NFilesCorrected(n, atLeastOne): n when n <> 0, else 1 when atLeastOne,
// else -999999.
Int32 NFilesCorrected(Int32 n, bool atLeastOne);
// True for the character "0".
bool CategoryMeansClearCategory(Char ch);

struct TCloudDataRec {
  Int32 word_column{};
  Int32 frequency_column{};
  Int32 nextWordCloudNum{};
  Int32 lowest_frequency{};
  Int32 highest_frequency{};
  bool is_patterns_data{};
};

// A new string list (the caller owns it) and a number.
struct TStringListAndInteger {
  std::unique_ptr<TStringList> list;
  Int32 n{};
};

using TQMBaseDataClassNotifyEvent = std::function<void(TQMBaseDataClass* Sender)>;
using TOnNumericalDataEvent =
    std::function<void(TQMBaseDataClass* Sender, Int32 column, Int32 row, TNumberDisplayAndSinglesRec& rec)>;

class TQMBaseDataClass : public TObject {
 public:
  // The list starts empty with its kind's headings list (empty until the tool
  // loads a set), a cleared stored-list information and formula, and the
  // base sort settings. A tool whose sort-setting operations differ from the
  // base calls them in its own constructor: a constructor reaches only the
  // base operations.
  TQMBaseDataClass(TQMBaseHolder* holder, TQMBaseListObjectClass entriesClass,
                   TGetPreferredTagFormat onGetPreferredTagForm, TQMBaseListObjectCompare compareWordsFunct,
                   TQMBaseListObjectFindWordPos compareWordPosFunct, TQMBaseListObjectFindWordPos findWordPosFunct,
                   TGrid_alternatives gridKind, TQuillmarkList listKind, Int32 signature);
  TQMBaseDataClass(const TQMBaseDataClass&) = delete;
  TQMBaseDataClass& operator=(const TQMBaseDataClass&) = delete;
  // Frees what the list owns; the entries are not touched (a tool's list
  // class that owns its entries clears itself in its own destructor).
  ~TQMBaseDataClass() override;

  // ---- storage
  Int32 Count() const { return fCount; }
  Int32 Capacity() const { return FCapacity; }
  // Appends; grows through Grow when full. Returns the new index.
  virtual Int32 Add(TQMBaseListObject* entry);
  // index 0..Count (else Exception "Inserting entry %d (Count=%d)").
  Int32 Insert(Int32 index, TQMBaseListObject* entry);
  // EAssertionFailed "trying to get data index %d (Count = %d)" outside.
  TQMBaseListObject* Get(Int32 index) const;
  // EAssertionFailed "Putting entry %d (Count = %d)" outside.
  void Put(Int32 index, TQMBaseListObject* entry);
  // Takes the entry out (not freed here); index 0..Count-1, else Exception
  // "Removing entry %d (Count=%d)".
  virtual void RemoveAnEntry(Int32 index);
  // Takes the empty (nil) slots out in one pass, keeping the order.
  void Pack();
  Int32 IndexOf(const TQMBaseListObject* entry) const;
  // Capacity steps: +4 up to 8, +16 up to 64, then a quarter more.
  virtual void Grow();
  // n below Count or at least MaxResultsListCapacity: Exception
  // "NewCapacity %d".
  void SetCapacity(Int32 n);
  // ClearButNotGridHeadings, then the headings are cleared.
  void Clear();
  // Removes every entry through RemoveAnEntry, capacity 0.
  virtual void ClearButNotGridHeadings();
  virtual void ChangeListType(TQuillmarkList kind) { fList_type = kind; }
  void SetListType(TQuillmarkList kind) { fList_type = kind; }
  void SetListBusy(TQMAction action) { fListBusy = action; }
  // Puts list in place of the headings and hands the previous ones back.
  std::unique_ptr<TGridHeaderList> SetGridHeadings(std::unique_ptr<TGridHeaderList> list);
  TGridHeaderList* GridHeadings() const { return fGridHeadings.get(); }
  virtual Int32 AdjustEntryCount() { return ++lemma_entries_added; }

  // ---- special features (entries without a private part have none)
  TSpecialFeaturesSet GetSpecialFeatures(Int32 index) const;
  bool GetDeleted(Int32 index) const;
  bool GetMatched(Int32 index) const;
  bool GetNotForSaving(Int32 index) const;
  bool GetHasJoined(Int32 index) const;
  Int32 GetJoinCount(Int32 index) const;
  bool GetJoinedElsewhere(Int32 index) const;
  TMarkedF5Item GetMarcacao(Int32 index) const;
  Int32 GetBookMarkNumber(Int32 index) const;
  bool SetDeleted(Int32 index, bool flag);
  void SetMatched(Int32 index, bool flag);
  // Only for an index in the list; MarcacoesExistentes counts the entries
  // that carry a mark and never falls below 0.
  void SetMarcacao(Int32 index, TMarkedF5Item mark);
  // Sets MarcacoesExistentes to the number of entries that carry a mark (after
  // entries come back or go by other roads than Pack).
  void RecountMarcacoes();
  void SetNotForSaving(Int32 index, bool flag);
  // Moves the bookmark number to the entry.
  virtual void SetABookmark(Int32 number, Int32 index);
  // The first entry with a private part carrying that bookmark, or -1.
  Int32 IndexOfBookMark(Int32 number) const;
  // The join list (nil without a private part) and the entry's flags.
  TJoinlistAndDetails GetJoinListAndDetails(Int32 index) const;
  // With a private part only: the flags are taken, and the private part
  // takes over rec.joinlist (freeing the one it had, unless it is the same).
  void SetJoinListAndDetails(Int32 index, const TJoinlistAndDetails& rec);
  // The next (previous) matched entry after (before) start, or -1.
  Int32 IndexOfMatchedItemFrom(Int32 start, bool forward) const;
  virtual Int32 GotoNext();
  virtual Int32 GotoPrevious();

  // ---- words of an entry
  String GetMainWordAsString(Int32 index) const;
  // EAssertionFailed "trying to get row index %d (Count = %d)" outside.
  String GetSomeWordAsString(Int32 index, Int32 column) const;
  void SetMainWordAsString(Int32 index, const String& text);
  void SetSomeWordAsString(Int32 index, Int32 column, const String& text);
  Int64 GetMainWordFrequency(Int32 index) const;
  Int64 GetTotalFreqPLusJoinedFreq(Int32 index) const;
  // The first entry's main-word column; -1 for an empty list.
  Int32 DataMainColumn() const;

  // ---- current grid row
  void SetCurrentGridDataRow(Int32 row, bool set);
  // The index of CurrentGridRowItem; 0 when nil or not found.
  Int32 FindCurrentGridDataRow() const;
  Int32 RestoredDefaultGridDataRow(bool find);

  // ---- headings
  std::vector<String> AllCurrentHeadings() const;
  virtual TGrid_head OneGridHeading(Int32 column, TGrid_alternatives gridKind);
  Int32 Original_Column(Int32 column) const;
  // The current set column's heading and original column, or empty and 0.
  TStringAndIntegerRec GetCurrentSetColumnInfo() const;
  bool GetAllowCaseChange() const;
  TOutput_results_case GetOutputCase() const;
  T3Bool GetColumnSortStateAscending(Int32 column) const;
  void SetColumnSortStateAscending(Int32 column, T3Bool state);
  TQMColumnType ExtraColumnType(Int32 column) const;
  bool IsASetColumnColumn(Int32 column) const;
  void RecomputeColumnSetnums();
  static String NumberDisplayToHeading(TNumberDisplayPreference preference);
  // name with the default extension of the save format for the list kind.
  static String ChangedFileNameForSaveASFormat(const String& name, TSave_as_format format, TQuillmarkList list);

  // ---- stored-list shortcuts and undo state
  Int32 GetVersionNumber() const;
  void SetVersionNumber(Int32 n);
  void SetIsAMWUlist(bool flag);
  bool GetISaMWUList() const;
  bool GetCanUnDo() const;
  bool GetCanReDo() const;

  // ---- sorting: what the base offers; the tools sort in DoASort
  virtual void SetSortSettingsToDefault(bool clear);
  virtual void SetSortAlphAscending() {}
  virtual void DoASort(Int32 /*column*/, Int32 /*from*/, Int32 /*to*/) {}
  // SetSortAlphAscending, then DoASort(-1, 0, Count-1).
  void DoAlphabeticalAscendingSort();

  // ---- the three-level sort engine (Work_qm_base_sort.cpp)
  // Sorts fromIndex..toIndex (clamped to the list) on the levels in use:
  // level 0 over the range, then levels 1 and 2 over the runs of entries
  // that every level before finds equal. Refused while the list is busy.
  // Yields once at the start of each level and once every 8,192
  // comparisons; a raised global_panic_state or a change of Count during a
  // yield ends the sort there. The list is idle afterwards, also when a
  // comparer or SetBase raises.
  void SortThem(Int32 fromIndex, Int32 toIndex);
  // The quicksort of l..r at level FSortStage with comparer, in the
  // direction of that level's column choice; the pivot is set through
  // SetBase (SetPrivateBase on a private level).
  void UserObjectQuickSort(Int32 l, Int32 r, const TQMBaseListObjectCompare& comparer);
  // Chooses one level's key: the level's sort byte is
  // HeaderColumnToSortNeeded(level, column); toggle_check turns the
  // direction round when SortColumnChanged is false, toggle_do always.
  // Whether the level changed.
  virtual bool Set1Sort(TSortLevel level, Int32 column, TToggle toggle);
  bool DoSet1Sort(TSortLevel level, Int32 column, Byte sortByte);
  // Set1Sort(level, stored column, toggle_dont) for every level in use.
  virtual void Set3Sorts();
  virtual void SetSortAsMainWordSort(TSortLevel level);
  // Level 0 on the set column (column, or the first set column), level 1 on
  // the main word, both descending; then DoASort over the list.
  virtual void SortOnCategory(bool flag, Int32 column);
  bool GetSortAscending(TSortLevel level) const;
  void SetSortAscending(TSortLevel level, bool ascending);
  void ToggleASortAscends(TSortLevel level);
  void ToggleMainSortAscendsUntilAscending();
  TSortLevel GetSortLevelsAvailable() const;
  void SetSortLevelsAvailable(TSortLevel level);
  void SetMainSortAlphabetical();
  bool AllQMColumnChoicesEqual() const;
  // Whether column differs from the level's stored column.
  virtual bool SortColumnChanged(TSortLevel level, Int32 column);
  virtual Int32 HeaderColumnToSortNeeded(TSortLevel /*level*/, Int32 column) { return column; }
  // Makes level of settings private with this list's comparer for option.
  void UsePrivateSort(TSortSettings& settings, TSortLevel level, TPrivateOptions option);
  // The pivot: the tool stores the key of entry for level (base: nothing);
  // SetPrivateBase keeps the entry's private part for the private comparers.
  virtual void SetBase(TQMBaseListObject* /*entry*/, TSortLevel /*level*/) {}
  void SetPrivateBase(TQMBaseListObject* entry, TSortLevel level);
  void SetBaseCompareStrAndTag(const TStringTag& tag);
  void SetBaseCompareConcStrAndTag(const TConcStringTag& ctag);
  void SetBaseCompareStrAndTagArray(const std::vector<TStringTag>& arr);
  void Clearbase_compare_PcharTagArray();
  // Exchanges two slots (nothing outside the list).
  void ExchangeOrder(Int32 i, Int32 j);
  // The last index of the run at the top that the level's comparer finds
  // equal to entry 0; -1 when the level has no comparer or the list is empty.
  Int32 TopIdenticallySorted(TSortLevel level);
  // Puts the entries in a random order (each one once). Refused while busy.
  void DoRandomOrderSort();
  virtual void CompleteResort(Int32 column);
  virtual void CompleteResort(Cardinal lcid, Int32 column);
  virtual bool CloudDataNeedsSorting() { return false; }
  virtual void DoAnyFreqSorting() {}
  virtual bool DoASimpleSort() { return false; }
  virtual Int32 DefaultMainSortColumn() { return MainWordColumn(); }
  virtual Int32 MainWordColumn() { return 1; }
  virtual void SortImportedDataAlph(TStringList* /*list*/) {}

  // ---- comparison helpers: the argument against the pivot value, -1, 0 or 1
  Int32 BaseStringComparison(const String& s) const;
  Int32 BaseStringBackwardsComparison(const String& s) const;
  Int32 BaseStringAndTagComparison(const TStringTag& tag) const;
  Int32 BaseConcStringAndTagComparison(const TConcStringTag& ctag) const;
  Int32 BaseStringAndTagArrayComparison(const std::vector<TStringTag>& arr) const;
  Int32 CategoriesComparison(const TStringTrueColumnAndColourRec& rec) const;
  Int32 FloatComparison(Single x) const;
  Int32 TextDateComparison(Double x) const;
  Int32 Int64Comparison(Int64 x) const;
  Int32 BooleanComparison(bool b) const;
  static Int32 IntegerComparisonSwapped(Int32 v);
  // Ready comparers of one entry (a TQMBaseListObject) against the pivot.
  virtual Int32 CompareDispersions(TObject* entry);
  virtual Int32 CompareWordsByLength(TObject* entry);
  Int32 CompareLemmas(TObject* entry);
  Int32 CompareRelativeEntropies(TObject* entry);
  Int32 CompareCategories(TObject* entry);
  // Private comparers: the entry's flag against the pivot's private part.
  Int32 PrivateSortDeletedUp(TObject* entry);
  Int32 PrivateSortJoinElsewhereUp(TObject* entry);
  Int32 PrivateSortJoinListUp(TObject* entry);
  Int32 PrivateSortMatchedUp(TObject* entry);
  Int32 PrivateSortOriginalEntryUp(TObject* entry);

  // ---- lemmas and categories read by the comparers
  // 0 without joins; else the relative entropy of the entry's frequency and
  // those of its joined entries (at least basis values).
  Double LemmasRelativeEntropy(Int32 index, Int32 basis) const;
  // The entry's category of trueColumn; with strip, without "*" and "?".
  // EAssertionFailed "trying to get data index %d (Count = %d)" outside.
  TStringTrueColumnAndColourRec GetACategoryAndColour(Int32 row, Int32 trueColumn, bool strip) const;
  TColor GetACategoryColour(Int32 row, Int32 trueColumn) const;
  String GetACategoryString(Int32 row, Int32 trueColumn) const;

  // ---- progress (the tools show it)
  virtual void ReportProgressPercent(Int32 /*percent*/) {}
  virtual void ReportProgressShortMessage(TMyStatusBarPanel /*panel*/, const String& /*text*/) {}

  // ---- saving and loading
  // The envelope; true only when every part was written whole.
  virtual bool SaveToStream(TStream* stream);
  // True only when every part was read whole. A short stream where the
  // trailer should be raises the stream's read error and an over-limit
  // stored string its exception; after any failed read, raised or not, the
  // list is empty (entries taken out through RemoveAnEntry, headings and
  // stored information cleared).
  virtual bool ReadFromStream(TStream* stream);
  // The tool's data in the envelope; the base reads and writes nothing.
  virtual bool ListSettToSaveReadFromStream(TStream*) { return true; }
  virtual bool ListSettToSaveSavedToStream(TStream*) { return true; }

  // ---- cell values seen by the totals (Work_qm_base_totals.cpp)
  // The data row shown at a row of a grid kind (base: row itself).
  virtual Int32 ConvertedForFrequency(Int32 row, TGrid_alternatives /*gridKind*/) { return row; }
  // Rows of overall data shown after the entries (base: none).
  virtual Int32 OverallCount(TGrid_alternatives /*gridKind*/) { return 0; }
  // The number of a cell; base: all zero with computed_value 1.0 for a
  // column other than 0, else flagRow.
  virtual TNumberDisplayAndSinglesRec NumericalData(Int32 column, Int32 dataRow, Int32 flagRow);

  // ---- cell records and entry details (Work_qm_base_cells.cpp)
  // The record of a cell for the grid: cleared (no custom colours, one empty
  // token), its heading, grid and data rows; the top-left cell "N", the
  // leftmost column the row number, heading cells through GetTopRowDataRec;
  // an entry's special features when its row is in the list. Tools fill the
  // cells of their entries in their override.
  virtual TGrid_data_rec DrawgridDataRec(Int32 column, Int32 gridRow, TGrid_alternatives gridKind);
  // A heading cell: edge data, text, the heading's tokens (a numerical
  // heading through CheckedPPMFormatHeading).
  virtual void GetTopRowDataRec(Int32 column, TGrid_data_rec& rec);
  virtual String CheckedPPMFormatHeading(Int32 /*column*/, const TGrid_data_rec& rec) { return rec.GridHeading.heading; }
  // The heading's numerical flag; false outside the headings.
  virtual bool ColumnIsNumerical(Int32 column);
  virtual Int32 ConcCharactersToExport() { return 100; }
  // "heading: value" of each shown column of a grid row, joined by tabs.
  virtual String EntryDetailsAsString(Int32 row);
  // The list kind's name, the row ("Row n: main word", or the lines of the
  // whole list for a negative row) and an empty line; the caller owns the list.
  virtual TStringListAndInteger SelectedStatsFilenames(Int32 row);
  virtual TWordFreqAndSourceNum GetOneCloudDatum(Int32 /*n*/) { return TWordFreqAndSourceNum{}; }
  virtual TWordFreqAndSourceNum GetNextCloudDatum() { return TWordFreqAndSourceNum{}; }
  // A new empty list (the caller owns it).
  virtual std::unique_ptr<TStringList> SearchWordsAsStringlist();
  virtual TTimelineSettings GetTimelineSettings() { return TTimelineSettings{}; }
  Int32 ConvertedForOverallCount(Int32 row, TGrid_alternatives gridKind) { return row - OverallCount(gridKind); }
  bool GetColumnBeingEditedIsNumerical() { return ColumnIsNumerical(fColumnBeingEdited); }
  void AddSpecialFeaturesToDrawGridDataRec(Int32 dataRow, TGrid_data_rec& rec);
  void LeftmostColumnDataRec(Int32 row, TGrid_data_rec& rec);
  // One record per heading column of a grid row (hidden and narrow columns
  // keep only their heading unless all); empty when a cell is neither data
  // nor edge data.
  TGridDataArrayRec EntryDetailsAsGridDataRecs(Int32 row) { return EntryDetailsAsGridDataRecs(row, false); }
  TGridDataArrayRec EntryDetailsAsGridDataRecs(Int32 row, bool all);
  TQMEntryDetailsRec AnEntryDetails(TQMBaseListObject* entry);
  // EAssertionFailed outside the list.
  TQMEntryDetailsRec AnEntryDetails(Int32 row);
  static std::vector<TStringTag> CopyOfClusterTokens(const std::vector<TStringTag>& tokens);
  static std::vector<TStringTag> CopyOfClusterTokens(const std::vector<TPcharTag>& tokens);
  bool ColumnIsFloatingPoint(Int32 column);
  // One concordance line as text, and written into a rich edit or a
  // workbook cell for those formats, through the export the display layer
  // installs; '' without it.
  String ExportedConcLineToSaveAsformat(const TGrid_data_rec& rec, TCanvas* canvas, TRichEdit* richEdit,
                                        TXlsWorkbook* workbook, const TColRowAndSheet& cellPlace,
                                        TSave_as_format format);

  // ---- column totals and statistics (Work_qm_base_totals.cpp)
  // Per numerical column from 1: total, maximum, minimum, mean, standard
  // deviation, and the share of each of segments (1 to 12) equal parts of
  // the list in per cent of the total, stored in the heading's column data.
  // The no-value numbers -999999 and -999998 are left out. The maximum stays
  // 0 when no value is above 0; a column without values gets zeros.
  // Segments below 1 only clear fColumnTotalsComputed.
  virtual void ComputeColumnTotals(Int32 segments, TGrid_alternatives gridKind);
  // The cell of a total row (1 = total ... 5 = deviation, then a segment
  // row each): column 0 its label, a numerical column its value (segment
  // shares as text with "%").
  TGrid_data_rec GetColumnTotalDataForGrid(Int32 column, Int32 row);
  Int32 TotalRowCount(TGrid_alternatives gridKind);
  // The running sum of the rounded values of column down the rows, kept in
  // the stored formula by data row.
  void ComputeCumulativeFreqs(Int32 column, bool integerBased);
  // -999999 without a formula column or for a row outside the list; the sums
  // are first recomputed when the list or the grid kind has changed.
  Int64 GetCumulativeFreq(Int32 row, Int32 column);
  // The relative entropy of the entries' main-word frequencies (of the n
  // highest when n is below the count).
  Single ComputeRelativeEntropyOfValues(Int32 n);
  // The mean of total and the dispersions of the entries joined under entry
  // index (total alone for an index outside the list).
  Double GetMeanDipersionOfTotal(Double total, Int32 index);
  // The sum of every entry's ColumnValue(column), no-value numbers left out.
  Double TotalOfAllItems(Int32 column);

  // ---- categories (Work_qm_base_finding.cpp)
  void SetACategoryAndColour(Int32 row, const TStringTrueColumnAndColourRec& rec);
  void SetACategoryString(Int32 row, Int32 trueColumn, const String& text);
  // Stores colour 0 and no text for that column when the entry has a
  // category there with a colour or a text.
  void ClearACategory(Int32 row, Int32 trueColumn);
  void ClearCategories(Int32 trueColumn);
  bool ClearColourCategoryColours();
  void ClearMarcacao();
  // n when not 0, else the kind's set column.
  Int32 CheckedTrueColumnNumber(Int32 n) const;
  // True without categories; false when one has a text, or (alsoColour) a
  // colour of 0 or more.
  virtual bool SetColumnIsEmptyInItem(Int32 row, bool alsoColour);
  Int32 EmptySetColumnCount(bool alsoColour);
  // Whether a grid row is exported, by the holder's export settings (every
  // row without a holder).
  bool IsAnExportableGridRow(Int32 gridRow);

  // ---- marked and selected rows (Work_qm_base_finding.cpp; the caller owns the lists)
  // The marked entries: the head of the marks first, the others in order.
  std::unique_ptr<T1LongintList> CopyOfMarkedDataRows();
  std::unique_ptr<T1LongintList> CopyOfMarkedGridRows();
  std::unique_ptr<T1LongintList> CopyOfSelDataRows(const TRect& rect, bool convert);
  std::unique_ptr<T1LongintList> CopyOfSelGridRows(const TRect& rect);
  // A feature's index list, when it has any, refilled with every entry that
  // has the feature; its count.
  Int32 CountSelectedItems(TSpecialFeatures feature);
  // How many of the rows copied their main word to the set column.
  Int32 CopiedMatchesToSetColumn(const T1LongintList& rows);

  // ---- finding (Work_qm_base_finding.cpp)
  // The comparer of the entries with the pivot for a pivot kind (base:
  // nothing).
  virtual void SetFindCompareFunct(TFindItems /*kind*/) {}
  // The entry equal to the pivot among the first count: by halving on a
  // list sorted alphabetically ascending, else the first in order; -1 when
  // none. linguistic_match_found tells whether one was found.
  virtual Int32 Find_BaseItem(TFindItems kind, Int32 count);
  virtual Int32 Find_WordStr(const String& word);
  virtual Int32 Find_WordStr(const TStringTag& tag);
  virtual Int32 Find_WordStr(const TPcharTag& tag);
  virtual Int32 Find_WordStr(const std::vector<TStringTag>& tags);
  virtual Int32 Find_WordStr(const std::vector<TPcharTag>& tags);
  // Among entries 0 to limit (never past the last).
  virtual Int32 Find_WordStrNoHigherThan(const TStringTag& tag, Int32 limit);
  // The first entry from from on whose main word matches text by the
  // position test (prefix, suffix, digit) under the holder's locale.
  virtual Int32 Find_PosWordStr(const String& text, bool prefix, bool suffix, bool digit, Int32 from);
  TQMBaseListObject* Find_an_Entry(TQMBaseListObject* entry) const;
  // The comparer, and the pivot held in the form haveKind put in the form
  // wantKind.
  void SetFindCompareTypeAndFunct(TFindItems haveKind, TFindItems wantKind, TQMBaseListObjectCompare comparer);
  void SetCompareWordsFunct(TQMBaseListObjectCompare f) { fCompareWordsFunct = std::move(f); }
  void SetCompareWordPosFunct(TQMBaseListObjectFindWordPos f) { fCompareWordPosFunct = std::move(f); }
  void SetFindWordPosFunct(TQMBaseListObjectFindWordPos f) { fFindWordPosFunct = std::move(f); }

  // ---- join, match, delete and zap, with undo and redo (Work_qm_base_undo.cpp)
  // Index lists name positions now; the records keep the entries by
  // identity. undoable_yes records the action on the undo stack (the redo
  // stack is left as it is) and reports the new undo top.
  // Sets each listed entry's deleted flag (indexes outside the list are
  // skipped); records only the entries it set, whatever the result. False
  // for an empty list or when no index was in the list.
  bool DeleteARange(const T1LongintList& indexes, TUndoable undoable, bool flag);
  // The first index is the head. Every index is checked first (in the list,
  // not repeated, not joined under a head): all are joined or none. Records
  // only a join that happened. flag is not used by the join.
  bool JoinARange(const T1LongintList& indexes, TUndoable undoable, bool flag);
  // Records only on success; false for an empty list.
  bool MatchARange(const T1LongintList& indexes, TUndoable undoable, bool flag);
  bool PrivateDeleteARange(const T1LongintList& indexes, bool flag);
  bool PrivateJoinARange(const T1LongintList& indexes);
  bool PrivateMatchARange(const T1LongintList* indexes, bool flag);
  bool DeleteOne(Int32 index, bool flag) { return SetDeleted(index, flag); }
  // False unless both are >= 0 and differ; marks the list lemmatised.
  bool JoinOne(Int32 head, Int32 other);
  // Takes out every entry that is deleted or joined elsewhere. With
  // undoable_no they are freed, except those a join list holds: the join
  // list keeps them. True when any went.
  bool Zap(TUndoable undoable);
  // Frees the listed entries (repeated or outside indexes skipped; join-held
  // ones kept by their join list). Whether the array was not empty.
  bool ZapItems(const std::vector<Int32>& indexes);
  // Appends the held entries (the holder list is left empty), then sorts
  // alphabetically once the list is idle.
  bool UnZap(TZapHolderList* holderList);
  // Takes out the held entries still in the list; nothing after an un-zap.
  bool PrivateZap(TZapHolderList* holderList);
  // Unmatches the listed entries, then re-sorts (DoASort) once idle.
  bool UnMatch(const T1LongintList& indexes);
  void UnmatchAll();
  void UnJoinAll();
  // Puts the text of the last recorded edit of that cell back.
  bool UnEdit(const TEntryAndColumn& entrycol);
  // Records action for the entries at indexes as they are now (undo returns
  // them to this state): call it before doing the action. Reports.
  void AddItemsToUndoList(TUnOrReDoActions action, const T1LongintList& indexes);
  // Records an edit with the text it replaced (kept also as the entry's
  // last_edit); no report.
  void AddStringToUndolist(const TEntryAndColumn& entrycol, const String& oldText);
  // fOnReportUnOrRedoAction gets "Un<name>" or "Re<name>" ("do" for no name).
  void ReportUnOrRedoAction(const String& name, bool isRedo, Int32 count);
  // Marks as deleted every entry that IsDuplicateOf an entry before it in
  // alphabetical order.
  virtual void RemoveDuplicates();
  // Frees entries taken out of the list for good; one that a join list of an
  // entry in the list, or of an entry a zap record holds, still holds goes
  // to that join list instead. The vector is emptied.
  void FreeTakenOutEntries(std::vector<TQMBaseListObject*>& entries);
  // The JoinedWordDatum of each entry joined under index.
  std::vector<TWord_entry_String_rec> JoinedWordData(Int32 index);
  // With add, list gains the entry's main word with its frequency; then
  // callback (index, list) when assigned.
  void PopulateAStringlistWithLemmaInfo(TStringlistWithALongint* list, Int32 index, bool add,
                                        const TRowAndStringlistProc& callback);

  // ---- row conditions (Search_categorising.cpp)
  // Visits rows from startRow (clamped) down or up; a row that meets one of
  // the conditions counts for it and, by action, is marked (18), deleted
  // (85) or coloured (194). The first such row (-1 when none).
  Int32 CheckAllForCondition(std::vector<TDoubleSearchCategoryRec>& conditions, Int32 startRow, Int32 action,
                             bool stopAtFirst, bool rememberRow, bool backwards);

  // ---- operations the tools override, with the base behaviour
  // (CanEdit in Work_qm_base_undo.cpp)
  virtual void AdjustStopListWordLengths(TQMBaseListObject* /*entry*/) {}
  virtual bool CanDeleteRandomly(Int32 /*index*/) { return true; }
  virtual bool GetAFileStatus(Int32 /*index*/, Int32 /*flag*/) { return false; }
  virtual void SetAFileStatus(Int32 /*index*/, Int32 /*flag*/, bool /*status*/) {}
  virtual void AddJoinedWordDataToStringlist(Int32 /*index*/, TStringList* /*list*/) {}
  virtual bool BasedOnOneTextFile() { return false; }
  // True when the column exists and its heading is editable;
  // fColumnBeingEdited := the column, or -1 when not editable.
  virtual bool CanEdit(Int32 column);
  virtual Int32 ConvertedForFrequencyAndOverallCount(Int32 row, TGrid_alternatives gridKind) {
    return ConvertedForFrequency(row, gridKind) - OverallCount(gridKind);
  }
  virtual Int32 PositionInFreqNums(Int32 row, TGrid_alternatives /*gridKind*/) { return row; }
  virtual Int32 Cumulative_distinguisher() { return 1; }
  virtual bool DataHasAssociatedIndexData() { return false; }
  virtual TTextHighLightingRec DataRowToFileAndHit(Int32 /*row*/) { return TTextHighLightingRec{}; }
  virtual void DoPostJoinOrUnjoiningOperation() {}
  virtual bool DoAFilenameSearchAndReplace(const String& /*oldText*/, const String& /*newText*/, bool /*flag*/) {
    return false;
  }
  virtual TQMBaseListObject* GetEntryWhoseMainWordIs(const String& /*text*/) { return nullptr; }
  virtual Int32 GetPlotOrTimelineColumnNumber() { return -1; }
  virtual bool GetStatsColumnsHidden() { return false; }
  virtual String GetStatusbarDataAsString(Int32 /*a*/, Int32 /*b*/) { return String(); }
  virtual bool IsEmptyDataColumn(Int32 /*column*/) { return false; }
  virtual bool ImportDataFromStringList(TStringList* /*list*/, Int32 /*n*/) { return false; }
  // A new empty list (the caller owns it).
  virtual std::unique_ptr<TStringList> LemmaListFromThisList();
  virtual Int32 ModifySourceTexts(Int32 /*kind*/, const String& /*oldText*/, const String& /*newText*/,
                                  bool /*flag*/) {
    return -1;
  }
  virtual void RecomputeTokens() {}
  virtual Int32 LemmaWordColumn() { return -1; }
  virtual bool OKtoAddTimelineEntry(Int32 /*n*/) { return true; }
  virtual void RecomputeAfterAddingData() {}
  virtual void SetAFirstLineOfImportData(Int32 /*n*/, const String& /*text*/) {}
  virtual void SetTimelineFocussedSegment(Int32 /*n*/) {}
  virtual void ShowOrHideStatsColumns(bool /*flag*/) {}
  virtual void SetFindCompareClear(TFindItems /*kind*/) {}
  virtual void TellLemmasNoLongerJoined(Int32 /*index*/) {}
  virtual Int32 TimelineDataNumber(Int32 /*n*/) { return 0; }
  virtual Int32 TimelineWordCount(Int32 /*n*/) { return 0; }
  virtual Double TextualDateAndTime(Int32 /*n*/) { return 0.0; }
  virtual std::vector<String> TimeLineDataDateHeaders(const TTimelineSettings& /*rec*/) { return {}; }
  virtual String TimelineSearchword(Int32 /*n*/) { return String(); }

  Int32 fcodepage = 0;
  Int32 FCapacity = 0;
  TSortLevel FSortStage{};
  bool fEntries_converted_to_Unicode = false;
  Int32 fSignature = 0;
  Int32 fColumnBeingEdited = 0;
  Int32 fSort_start = 0;
  Int32 fSort_Finish = 0;
  Int32 fnearest_word_num = 0;
  TQMAction fListBusy = action_none;
  TEnumArray<TSpecialFeatures, std::unique_ptr<TQMActiveLongintList>, TSpecialFeatures_Count> fSelectedItems;
  std::unique_ptr<TQMActiveLongintList> fColumnSetnums;
  TEnumArray<TSortLevel, TPrivateObj*, 3> fPrivateSortData{};
  TQMBaseListObjectClass fEntriesClass = nullptr;
  TQMBaseDataClassNotifyEvent fOnTimelineBasisChange;
  TGetPreferredTagFormat fOnGetPreferredTagForm;
  TOnNumericalDataEvent fOnNumericalData;
  TStringBooleanAndIntProc fOnReportUnOrRedoAction;
  std::unique_ptr<TUndoList> UndoList;
  TQMBaseListObjectCompare fCompareWordsFunct;
  TQMBaseListObjectFindWordPos fCompareWordPosFunct;
  TQMBaseListObjectFindWordPos fFindWordPosFunct;
  TQuillmarkList fList_type{};
  bool fColumnTotalsComputed = false;
  TQMBaseHolder* Patroa = nullptr;  // not owned
  TListModifications_Set ListModified{};
  TSortSettings QMSortSettings;
  TSortSettings LastQMSortSettings;
  TCloudDataRec cloudData{};
  TStringTrueColumnAndColourRec base_compare_category{};
  Int64 base_compare_int64 = 0;
  Double base_compare_textdate = 0;
  Single base_compare_single = 0;
  std::vector<TPcharTag> base_compare_PcharTagArray;
  std::vector<TStringTag> base_compare_StringTagArray;
  TStringTag base_compare_ReverseStringTag{};
  TStringTag base_compare_StringTag{};
  TConcStringTag base_compare_ConcStringTag{};
  bool base_compare_Boolean = false;
  TQMBaseListObject* CurrentGridRowItem = nullptr;
  Int32 last_match_index = -1;
  Int32 true_current_sort_column = 0;
  Int32 lemma_entries_added = 0;
  Int32 compare_ID_with = 0;
  Int32 compare_ID_base = 0;
  Int32 MarcacoesExistentes = 0;
  Int32 ColumnTotalRowsToShow = 0;
  Int32 FindFromRow = 0;
  Int32 entries_with_set_column_used = 0;
  Int32 selected_compare_datarow = 0;
  Talphabetical_sort AlphabeticalSubSort{};
  TGrid_alternatives BaseGridKind{};
  bool HeaderClickSort = false;
  bool include_custom_strings_saving = false;
  bool DataIsForStatusbar = false;
  bool ExportingReducedTextChars = false;
  bool ShowNormalisedNumbers = false;
  bool AddingData = false;
  bool linguistic_match_found = false;
  bool DoingClipboardOperation = false;
  bool comparing_case_sensitively = false;
  bool comparing_on_Tags = false;
  std::vector<TQMAlignment> Alignments;
  std::unique_ptr<TParseFormulaHandler> ParseFormulaHandler;
  String statusbar_extra_str;
  String decimal_places_string;
  std::unique_ptr<TStoredListInfoHolder> StoredListInfo;

 protected:
  // The entry at index, without a check.
  TQMBaseListObject* At(Int32 index) const { return fList[static_cast<size_t>(index)]; }
  bool InRange(Int32 index) const { return index >= 0 && index < fCount; }
  // Get with its own assertion text.
  TQMBaseListObject* Checked(Int32 index, const char16_t* text, Int32 line) const;
  // After a failed read: nothing half-loaded stays.
  void EmptyAfterFailedRead();

  std::unique_ptr<TGridHeaderList> fGridHeadings;
  // The entry array: FCapacity slots, the first fCount are entries. Held by
  // malloc so that growing can extend the block in place (realloc).
  struct TFreeSlots {
    void operator()(TQMBaseListObject** p) const { std::free(p); }
  };
  std::unique_ptr<TQMBaseListObject*[], TFreeSlots> fList;
  Int32 fCount = 0;

 private:
  // The sort engine's state and steps (Work_qm_base_sort.cpp).
  Int32 SortCompare(Int32 k, const TQMBaseListObjectCompare& comparer);
  void SortYieldPoint();
  void SortSetPivot(Int32 k, TSortLevel level);
  bool SortLevelComparer(TSortLevel level, TQMBaseListObjectCompare& comparer, bool& endsSort) const;
  void SortRangeAtLevel(Int32 l, Int32 r, TSortLevel level, bool& stopped);
  void SortRunsAtLevel(TSortLevel level, TSortLevel before, Int32 lo, Int32 hi, bool& stopped);
  Int32 SortRunEnd(Int32 start, Int32 hi, TSortLevel level, const TQMBaseListObjectCompare& comparer);
  void QuickSortRange(Int32 l, Int32 r, const TQMBaseListObjectCompare& comparer, Int32 depthLeft);
  Int32 fSortYieldCountdown = 0;
  Int32 fSortEntryCount = 0;
  UInt64 fSortPivotSeed = 0;

  // The holder's chosen export rows as IsAnExportableGridRow last read them:
  // the holder, the rows' storage and a copy of them, with a set to answer
  // from. They are read again when the holder, the storage or the number of
  // rows differs, and compared with the copy whenever a row is asked that is
  // not below the row asked before (a new pass over the rows).
  struct TChosenRowsSeen {
    const TQMBaseHolder* holder = nullptr;
    const Integer* data = nullptr;
    std::vector<Integer> rows;
    std::unordered_set<Integer> set;
    Int32 lastAsked = 0;
    bool valid = false;
  };
  bool IsAChosenExportRow(const std::vector<Integer>& chosen, Int32 gridRow);
  TChosenRowsSeen fChosenRows;
};

}  // namespace sk
