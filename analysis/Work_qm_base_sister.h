// TQMSister: the results list that a results grid holds and that every tool's
// list class derives from.
#pragma once

#include <memory>

#include "analysis/Base_search_itemsU.h"
#include "analysis/Work_qm_base_list.h"
#include "platform/runtime/StringList.h"

namespace sk {

class TQMSister : public TQMBaseDataClass {
 public:
  TQMSister(TQMBaseHolder* holder, TQMBaseListObjectClass entriesClass, TGetPreferredTagFormat onGetPreferredTagForm,
            TQMBaseListObjectCompare compareWordsFunct, TQMBaseListObjectFindWordPos compareWordPosFunct,
            TQMBaseListObjectFindWordPos findWordPosFunct, TGrid_alternatives gridKind, TQuillmarkList listKind,
            Int32 signature);
  // Runs Clear (entries taken out through the base RemoveAnEntry only: a tool
  // that owns its entries clears itself in its own destructor first).
  ~TQMSister() override;

  // Appends a new blank entry of the list's entry class (Parent this list,
  // Granny the holder) and counts it; nil without an entry class. The list
  // holds the entry as it holds every other.
  virtual TQMBaseListObject* AddedABlankEntry(Int32 n);
  // One line: the list kind's name upper-cased and "Settings" (the caller
  // owns the list).
  virtual std::unique_ptr<TStringList> DetailsOfCurrentSettings();
  // Room for both lists' entries; unless the kind is one that keeps its
  // order (key-word database, concordance, file-name and statistics lists)
  // or both lists are known to be in the same alphabetical order, both are
  // sorted alphabetically ascending. Always true.
  virtual bool DonePreMergeChecks(TQMSister* other);
  virtual Int32 GetLemmaColumn() { return -1; }
  // Moves every entry of other to the end of this list (nothing is copied);
  // other is left empty. The checks' result.
  virtual bool MergeWith(TQMSister* other);
  virtual String PlotContextStr(Int32 /*row*/, Int32 /*column*/, const TRect& /*rect*/) { return String(); }

  // The rows whose word in column holds one of the search words (deleted
  // entries only with id_include_deleted), found through a word-list search
  // engine on the locale; the caller owns the list.
  std::unique_ptr<T1LongintList> ItemsWhichMatch(TBaseSearchItems* searchWords, Cardinal lcid, Int32 column,
                                                 TIncludeDeleted includeDeleted);
  // The same over every entry except those whose word in breakdownColumn is
  // breakdownText.
  std::unique_ptr<T1LongintList> ItemsWhichMatchBreakdown(TBaseSearchItems* searchWords, Cardinal lcid,
                                                          Int32 column, Int32 breakdownColumn,
                                                          const String& breakdownText);

  // A number or date cell turned into a text cell (numbers as their
  // freedom says, with the holder's thousands setting; dates with the
  // timeline basis, "??" for none). Text cells are left alone.
  void FormatRelevantDataAsString(TGrid_data_rec& rec);

  // Whether text passes the position test (prefix, suffix or digit test,
  // else occurrence) against the sort pivot's word, under the holder's
  // locale; text is upper-cased first unless the list compares case-
  // sensitively. 0 when it passes.
  Int32 DoAComparePosOfWord(const String& text, bool prefix, bool suffix, bool digit);

  // The part of heading before "%" or "per " (whichever comes first)
  // followed by the heading of the number preference, title-cased.
  static String ConvertedHeading(const String& heading, TNumberDisplayPreference preference);
  // text is not empty and its first character is upper case.
  static bool FirstLetterIsCaps(const String& text);

  // ---- undo, redo, unjoining and cutting down (Work_qm_base_undo.cpp)
  // The newest undo record is undone and moves to the redo stack; both tops
  // are reported. Whether the action's work succeeded; false on an empty
  // stack.
  bool Undo();
  // The newest redo record is done again and moves to the undo stack. A zap
  // or an edit gives false; a record whose entries are gone does what it
  // still can.
  bool Redo();
  // Takes every entry out of index's join list: owned ones are freed, the
  // others are no longer joined elsewhere. False without joins.
  bool UnJoin(Int32 index);
  // Only when 1 <= n < Count: frees entries (the last ones, or random ones
  // that CanDeleteRandomly allows) until n are left or every entry left was
  // refused. Join-held entries are kept by their join list.
  void ReduceTo(bool random, Int32 n);

  String freverse_word;
  bool typed_search = false;
  TStoplistStatsRec stoplist_info{};
  TExcelFormatRec ExcelFormatRec{};
  Int32 ExcelHeaderRows = 0;
  Int32 grid_number = 0;
  Int32 parse_compute_sort_column = 0;
  Int32 current_entry_loading = 0;
  Int32 current_entry_saving = 0;
};

}  // namespace sk
