// TQMBaseDataClass: the entries' categories, the marked and selected rows,
// and finding an entry by its word.
#include <algorithm>

#include "analysis/Base_headingsu.h"
#include "analysis/Work_qm_base_list.h"
#include "core/Basic_processes.h"
#include "core/My_string_functions_notation.h"
#include "core/Pointer_utils.h"
#include "core/Stringtag_utils.h"
#include "platform/runtime/Locale.h"
#include "services/Qmbaseholderunit.h"

namespace sk {

// ---- categories ---------------------------------------------------------------------

void TQMBaseDataClass::SetACategoryAndColour(Int32 row, const TStringTrueColumnAndColourRec& rec) {
  TQMBaseListObject* e = Get(row);
  ListModified.Include(mod_computation);
  if (e != nullptr) e->SetCategory(rec);
}

void TQMBaseDataClass::SetACategoryString(Int32 row, Int32 trueColumn, const String& text) {
  TQMBaseListObject* e = Get(row);
  ListModified.Include(mod_edited);
  if (e != nullptr) e->SetCategoryString(text, trueColumn);
}

void TQMBaseDataClass::ClearACategory(Int32 row, Int32 trueColumn) {
  TQMBaseListObject* e = Get(row);
  // Only a category the entry holds is cleared: an entry without one is
  // left without a private part.
  if (e == nullptr || !e->privateobj || !e->privateobj->annotations) return;
  const TPrivateSetCols& cols = *e->privateobj->annotations;
  const Int32 k = cols.IndexOfTrueColumn(trueColumn);
  if (k < 0) return;
  if (cols.GetABackgroundColour(k) < 1 && cols.GetAString(k).empty()) return;
  TStringTrueColumnAndColourRec cleared{};
  cleared.true_column_number = trueColumn;
  SetACategoryAndColour(row, cleared);
}

void TQMBaseDataClass::ClearCategories(Int32 trueColumn) {
  for (Int32 i = 0; i < fCount; ++i) {
    ClearACategory(i, trueColumn);
    MyYieldProcess();
  }
}

bool TQMBaseDataClass::ClearColourCategoryColours() {
  for (Int32 i = 0; i < fCount; ++i) {
    if (TQMBaseListObject* e = At(i)) e->ClearCategoryColour(-1);
    MyYieldProcess();
  }
  return false;
}

void TQMBaseDataClass::ClearMarcacao() {
  for (Int32 i = 0; i < fCount; ++i) {
    TQMBaseListObject* e = At(i);
    if (e != nullptr && e->privateobj) e->privateobj->fdetails.marcacao = marcado_clear;
    MyYieldProcess();
  }
  MarcacoesExistentes = 0;
}

Int32 TQMBaseDataClass::CheckedTrueColumnNumber(Int32 n) const {
  if (n != 0) return n;
  return static_cast<int>(fList_type) < TQuillmarkList_Count ? PredefinedSetColumnNumber[fList_type] : 0;
}

bool TQMBaseDataClass::SetColumnIsEmptyInItem(Int32 row, bool alsoColour) {
  TQMBaseListObject* e = Get(row);
  if (e == nullptr || !e->privateobj || !e->privateobj->annotations) return true;
  const TPrivateSetCols& cols = *e->privateobj->annotations;
  for (Int32 k = 0; k < cols.Count(); ++k) {
    if (!cols.GetAString(k).empty()) return false;
    if (alsoColour && cols.GetABackgroundColour(k) >= 0) return false;
  }
  return true;
}

Int32 TQMBaseDataClass::EmptySetColumnCount(bool alsoColour) {
  Int32 n = 0;
  for (Int32 i = 0; i < fCount; ++i)
    if (SetColumnIsEmptyInItem(i, alsoColour)) ++n;
  return n;
}

bool TQMBaseDataClass::IsAnExportableGridRow(Int32 gridRow) {
  if (Patroa == nullptr) return true;
  const TQMExportRec& ex = Patroa->ExportRec;
  if (ex.settings.only_if_has_SET_col_data && ListHasASetColumn(fList_type)) {
    if (gridRow == 0) return true;
    if (gridRow < 0 || gridRow > fCount) return false;
    return !SetColumnIsEmptyInItem(gridRow - 1, false);
  }
  if (ex.settings.export_all_rows) return true;
  return IsAChosenExportRow(ex.Export_Rows_specified, gridRow);
}

bool TQMBaseDataClass::IsAChosenExportRow(const std::vector<Integer>& chosen, Int32 gridRow) {
  TChosenRowsSeen& seen = fChosenRows;
  const bool newPass = !seen.valid || gridRow <= seen.lastAsked;
  if (!seen.valid || seen.holder != Patroa || seen.data != chosen.data() || seen.rows.size() != chosen.size() ||
      (newPass && seen.rows != chosen)) {
    seen.holder = Patroa;
    seen.data = chosen.data();
    seen.rows = chosen;
    seen.set.clear();
    seen.set.insert(chosen.begin(), chosen.end());
    seen.valid = true;
  }
  seen.lastAsked = gridRow;
  return seen.set.count(gridRow) > 0;
}

// ---- marked and selected rows -----------------------------------------------------------

std::unique_ptr<T1LongintList> TQMBaseDataClass::CopyOfMarkedDataRows() {
  auto rows = std::make_unique<T1LongintList>();
  for (TMarkedF5Item wanted : {marcado_boss, marcado_subordinate})
    for (Int32 i = 0; i < fCount; ++i)
      if (At(i) != nullptr && At(i)->IsMarked() == wanted) rows->AddOne(i);
  return rows;
}

std::unique_ptr<T1LongintList> TQMBaseDataClass::CopyOfMarkedGridRows() {
  std::unique_ptr<T1LongintList> rows = CopyOfMarkedDataRows();
  for (Int32 i = 0; i < rows->Count(); ++i) rows->SetAValue(i, ConvertedForFrequency(rows->GetAValue(i), BaseGridKind));
  return rows;
}

std::unique_ptr<T1LongintList> TQMBaseDataClass::CopyOfSelDataRows(const TRect& rect, bool convert) {
  auto rows = std::make_unique<T1LongintList>();
  for (Int32 r = rect.Top; r <= rect.Bottom; ++r) rows->AddOne(convert ? ConvertedForFrequency(r, BaseGridKind) : r);
  return rows;
}

std::unique_ptr<T1LongintList> TQMBaseDataClass::CopyOfSelGridRows(const TRect& rect) {
  auto rows = std::make_unique<T1LongintList>();
  for (Int32 r = rect.Top; r <= rect.Bottom; ++r) rows->AddOne(r);
  return rows;
}

Int32 TQMBaseDataClass::CountSelectedItems(TSpecialFeatures feature) {
  TQMActiveLongintList* list = fSelectedItems[feature].get();
  if (list == nullptr) return 0;
  if (list->Count() > 0) {
    list->Clear();
    for (Int32 i = 0; i < fCount; ++i) {
      if (GetSpecialFeatures(i).Contains(feature)) list->AddOneAndSetCountCurrent(i);
      MyYieldProcess();
    }
  }
  return list->Count();
}

Int32 TQMBaseDataClass::CopiedMatchesToSetColumn(const T1LongintList& rows) {
  Int32 n = 0;
  for (Int32 k = 0; k < rows.Count(); ++k) {
    MyYieldProcess();
    const Int32 row = rows.GetAValue(k);
    if (InRange(row) && At(row) != nullptr && At(row)->MainWordCopiedToSetColumn()) ++n;
  }
  return n;
}

// ---- finding ------------------------------------------------------------------------------

Int32 TQMBaseDataClass::Find_BaseItem(TFindItems kind, Int32 count) {
  SetFindCompareFunct(kind);
  linguistic_match_found = false;
  count = std::min(count, fCount);
  if (count < 1 || !fCompareWordsFunct) return -1;
  if (QMSortSettings.saveable.sort_is_alph_ascending) {
    // The range is halved from the side the pivot is not on until the entry
    // is found or nothing is left to halve.
    Int32 lo = 0;
    Int32 hi = count;
    Int32 mid = 0;
    Int32 r = 0;
    Int32 half = 0;
    do {
      mid = (lo + hi) / 2;
      r = fCompareWordsFunct(At(mid));
      half = (hi - lo) / 2;
      if (r < 0)
        lo += half;
      else
        hi -= half;
    } while (r != 0 && half >= 1);
    fnearest_word_num = mid;
    if (r != 0) return -1;
    linguistic_match_found = true;
    return mid;
  }
  for (Int32 i = 0; i < count; ++i)
    if (fCompareWordsFunct(At(i)) == 0) {
      linguistic_match_found = true;
      return i;
    }
  return -1;
}

Int32 TQMBaseDataClass::Find_WordStr(const String& word) {
  base_compare_StringTag = TStringTag{word, String(), 0};
  return Find_BaseItem(fi_string, fCount);
}

Int32 TQMBaseDataClass::Find_WordStr(const TStringTag& tag) {
  base_compare_StringTag = tag;
  return Find_BaseItem(fi_StringTag, fCount);
}

Int32 TQMBaseDataClass::Find_WordStr(const TPcharTag& tag) {
  base_compare_StringTag = PCharTagToStringTag(tag);
  return Find_BaseItem(fi_StringTag, fCount);
}

Int32 TQMBaseDataClass::Find_WordStr(const std::vector<TStringTag>& tags) {
  base_compare_StringTagArray = tags;
  return Find_BaseItem(fi_StringTagArray, fCount);
}

Int32 TQMBaseDataClass::Find_WordStr(const std::vector<TPcharTag>& tags) {
  base_compare_PcharTagArray = CopiedPcharTagArrayToPcharTagArray(tags);
  return Find_BaseItem(fi_PcharTagArray, fCount);
}

Int32 TQMBaseDataClass::Find_WordStrNoHigherThan(const TStringTag& tag, Int32 limit) {
  base_compare_StringTag = tag;
  linguistic_match_found = false;
  // Never past the last entry.
  limit = std::min(limit, fCount - 1);
  if (limit < 1 || !fCompareWordsFunct) return -1;
  if (QMSortSettings.saveable.sort_is_alph_ascending) {
    Int32 lo = 0;
    Int32 hi = limit;
    while (lo <= hi) {
      const Int32 mid = (lo + hi) / 2;
      fnearest_word_num = mid;
      const Int32 r = fCompareWordsFunct(At(mid));
      if (r == 0) {
        linguistic_match_found = true;
        return mid;
      }
      if (r < 0)
        lo = mid + 1;
      else
        hi = mid - 1;
    }
    return -1;
  }
  for (Int32 i = 0; i < fCount; ++i)
    if (fCompareWordsFunct(At(i)) == 0) {
      linguistic_match_found = true;
      return i;
    }
  return -1;
}

Int32 TQMBaseDataClass::Find_PosWordStr(const String& text, bool prefix, bool suffix, bool digit, Int32 from) {
  const Cardinal lcid = Patroa != nullptr ? Patroa->fLCID : LOCALE_USER_DEFAULT;
  for (Int32 i = std::max(0, from); i < fCount; ++i) {
    MyYieldProcess();
    const String word = GetMainWordAsString(i);
    if (CompareLCID_PosPchar(lcid, word.c_str(), text.c_str(), prefix, suffix, digit) == 0) return i;
  }
  return -1;
}

TQMBaseListObject* TQMBaseDataClass::Find_an_Entry(TQMBaseListObject* entry) const {
  return entry != nullptr && IndexOf(entry) >= 0 ? entry : nullptr;
}

void TQMBaseDataClass::SetFindCompareTypeAndFunct(TFindItems haveKind, TFindItems wantKind,
                                                  TQMBaseListObjectCompare comparer) {
  fCompareWordsFunct = std::move(comparer);
  switch (wantKind) {
    case fi_string:
    case fi_StringTag:
      if (haveKind == fi_StringTagArray && !base_compare_StringTagArray.empty())
        base_compare_StringTag = base_compare_StringTagArray.front();
      else if (haveKind == fi_PcharTagArray && !base_compare_PcharTagArray.empty())
        base_compare_StringTag = PCharTagToStringTag(base_compare_PcharTagArray.front());
      break;
    case fi_PcharTagArray:
      if (haveKind == fi_string || haveKind == fi_StringTag)
        base_compare_PcharTagArray = StringTagArrayToPcharTagArray({base_compare_StringTag});
      else if (haveKind == fi_StringTagArray)
        base_compare_PcharTagArray = StringTagArrayToPcharTagArray(base_compare_StringTagArray);
      break;
    case fi_StringTagArray:
      if (haveKind == fi_string || haveKind == fi_StringTag)
        base_compare_StringTagArray = {base_compare_StringTag};
      else if (haveKind == fi_PcharTagArray)
        base_compare_StringTagArray = PcharTagArrayToStringTagArray(base_compare_PcharTagArray);
      break;
  }
}

}  // namespace sk
