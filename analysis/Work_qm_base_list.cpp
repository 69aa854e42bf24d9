#include "analysis/Work_qm_base_list.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "analysis/Base_heading_consts.h"
#include "analysis/Base_headingsu.h"
#include "core/Basic_processes.h"
#include "core/Qm_specific_consts.h"
#include "platform/runtime/Format.h"

namespace sk {

namespace {

constexpr const char* kSource = "work_QM_base";

// Loops over entries yield once per this many entries.
constexpr Int32 kYieldEvery = 1024;

void YieldEvery(Int32 i) {
  if ((i & (kYieldEvery - 1)) == 0) MyYieldProcess();
}

}  // namespace

Int32 NFilesCorrected(Int32 n, bool atLeastOne) {
  if (n != 0) return n;
  return atLeastOne ? 1 : NoValueNumber;
}

bool CategoryMeansClearCategory(Char ch) { return ch == u'0'; }

// ---- construction --------------------------------------------------------------

TQMBaseDataClass::TQMBaseDataClass(TQMBaseHolder* holder, TQMBaseListObjectClass entriesClass,
                                   TGetPreferredTagFormat onGetPreferredTagForm,
                                   TQMBaseListObjectCompare compareWordsFunct,
                                   TQMBaseListObjectFindWordPos compareWordPosFunct,
                                   TQMBaseListObjectFindWordPos findWordPosFunct, TGrid_alternatives gridKind,
                                   TQuillmarkList listKind, Int32 signature)
    : fSignature(signature),
      fOnGetPreferredTagForm(std::move(onGetPreferredTagForm)),
      fCompareWordsFunct(std::move(compareWordsFunct)),
      fCompareWordPosFunct(std::move(compareWordPosFunct)),
      fFindWordPosFunct(std::move(findWordPosFunct)),
      fList_type(listKind),
      Patroa(holder) {
  StoredListInfo = std::make_unique<TStoredListInfoHolder>();
  ParseFormulaHandler = std::make_unique<TParseFormulaHandler>();
  for (auto& list : fSelectedItems) list = std::make_unique<TQMActiveLongintList>();
  fColumnSetnums = std::make_unique<TQMActiveLongintList>();
  if (ListHasASetColumn(listKind)) fColumnSetnums->AddOneAndSetCountCurrent(PredefinedSetColumnNumber[listKind]);
  BaseGridKind = gridKind;
  fGridHeadings = std::make_unique<TGridHeaderList>(listKind);
  cloudData.lowest_frequency = 2147483647;
  cloudData.word_column = 1;
  decimal_places_string = u"00";
  last_match_index = -1;
  fEntriesClass = entriesClass;
  UndoList = std::make_unique<TUndoList>(entriesClass);
  UndoList->SetOwner(this);
  SetSortSettingsToDefault(true);
  SetSortAlphAscending();
  LastQMSortSettings = QMSortSettings;
}

TQMBaseDataClass::~TQMBaseDataClass() = default;

// ---- storage -------------------------------------------------------------------

void TQMBaseDataClass::Grow() {
  Int32 delta = 4;
  if (FCapacity > 64)
    delta = FCapacity / 4;
  else if (FCapacity > 8)
    delta = 16;
  SetCapacity(FCapacity + delta);
}

void TQMBaseDataClass::SetCapacity(Int32 n) {
  if (n < fCount || n >= MaxResultsListCapacity) throw Exception(Format(u"NewCapacity %d", {n}));
  if (n == FCapacity) return;
  if (n == 0) {
    fList.reset();
  } else {
    void* grown = std::realloc(fList.get(), sizeof(TQMBaseListObject*) * static_cast<size_t>(n));
    if (grown == nullptr) throw std::bad_alloc();
    (void)fList.release();
    fList.reset(static_cast<TQMBaseListObject**>(grown));
  }
  FCapacity = n;
}

Int32 TQMBaseDataClass::Add(TQMBaseListObject* entry) {
  if (fCount == FCapacity) Grow();
  fList[static_cast<size_t>(fCount)] = entry;
  return fCount++;
}

Int32 TQMBaseDataClass::Insert(Int32 index, TQMBaseListObject* entry) {
  if (index < 0 || index > fCount) throw Exception(Format(u"Inserting entry %d (Count=%d)", {index, fCount}));
  const Int32 result = Add(entry);
  if (index < fCount - 1) {
    TQMBaseListObject** p = fList.get();
    std::memmove(p + index + 1, p + index, sizeof(TQMBaseListObject*) * static_cast<size_t>(fCount - 1 - index));
    p[index] = entry;
  }
  return result;
}

TQMBaseListObject* TQMBaseDataClass::Checked(Int32 index, const char16_t* text, Int32 line) const {
  if (!fList || !InRange(index)) RaiseAssertionFailed(Format(text, {index, fCount}), kSource, line);
  return At(index);
}

TQMBaseListObject* TQMBaseDataClass::Get(Int32 index) const {
  return Checked(index, u"trying to get data index %d (Count = %d)", __LINE__);
}

void TQMBaseDataClass::Put(Int32 index, TQMBaseListObject* entry) {
  if (Checked(index, u"Putting entry %d (Count = %d)", __LINE__) != entry) fList[static_cast<size_t>(index)] = entry;
}

void TQMBaseDataClass::RemoveAnEntry(Int32 index) {
  if (index < 0 || index >= fCount) throw Exception(Format(u"Removing entry %d (Count=%d)", {index, fCount}));
  --fCount;
  if (index < fCount) {
    TQMBaseListObject** p = fList.get();
    std::memmove(p + index, p + index + 1, sizeof(TQMBaseListObject*) * static_cast<size_t>(fCount - index));
  }
  fList[static_cast<size_t>(fCount)] = nullptr;
}

void TQMBaseDataClass::Pack() {
  Int32 kept = 0;
  Int32 marks = 0;
  for (Int32 i = 0; i < fCount; ++i) {
    YieldEvery(i);
    TQMBaseListObject* e = fList[static_cast<size_t>(i)];
    if (e == nullptr) continue;
    fList[static_cast<size_t>(kept++)] = e;
    if (e->IsMarked() != marcado_clear) ++marks;
  }
  for (Int32 i = kept; i < fCount; ++i) fList[static_cast<size_t>(i)] = nullptr;
  fCount = kept;
  // The entries taken out take their marks with them.
  MarcacoesExistentes = marks;
}

void TQMBaseDataClass::RecountMarcacoes() {
  Int32 marks = 0;
  for (Int32 i = 0; i < fCount; ++i) {
    YieldEvery(i + 1);
    const TQMBaseListObject* e = At(i);
    if (e != nullptr && e->IsMarked() != marcado_clear) ++marks;
  }
  MarcacoesExistentes = marks;
}

Int32 TQMBaseDataClass::IndexOf(const TQMBaseListObject* entry) const {
  for (Int32 i = 0; i < fCount; ++i)
    if (At(i) == entry) return i;
  return -1;
}

void TQMBaseDataClass::ClearButNotGridHeadings() {
  cloudData.lowest_frequency = 2147483647;
  cloudData.highest_frequency = 0;
  for (Int32 n = 0; fCount >= 1; ++n) {
    RemoveAnEntry(fCount - 1);
    YieldEvery(n + 1);
  }
  MarcacoesExistentes = 0;
  SetCapacity(0);
}

void TQMBaseDataClass::Clear() {
  ClearButNotGridHeadings();
  fGridHeadings->Clear();
}

std::unique_ptr<TGridHeaderList> TQMBaseDataClass::SetGridHeadings(std::unique_ptr<TGridHeaderList> list) {
  std::swap(list, fGridHeadings);
  return list;
}

// ---- special features ----------------------------------------------------------

TSpecialFeaturesSet TQMBaseDataClass::GetSpecialFeatures(Int32 index) const {
  TSpecialFeaturesSet set{};
  const TQMBaseListObject* e = Get(index);
  if (e == nullptr || !e->privateobj) return set;
  const TPrivateObj& p = *e->privateobj;
  const TPrivateSetCols& a = *p.annotations;
  for (Int32 i = 0; i < a.Count(); ++i)
    if (a.GetABackgroundColour(i) != 0) {
      set.Include(sf_category_coloured);
      break;
    }
  if (p.fdetails.not_for_saving != 0) set.Include(sf_not_for_saving);
  if (p.fdetails.joined_elsewhere != 0) set.Include(sf_joinedElsewhere);
  if (p.fdetails.matched != 0) set.Include(sf_matched);
  if (p.fdetails.deleted != 0) set.Include(sf_deleted);
  if (p.joinlist && p.joinlist->Count() >= 1) set.Include(sf_hasJoined);
  if (p.fdetails.bookmark > 0) set.Include(sf_Bookmarked);
  if (p.fdetails.marcacao == marcado_boss) set.Include(sf_first_marked);
  if (p.fdetails.marcacao == marcado_subordinate) set.Include(sf_marked);
  return set;
}

bool TQMBaseDataClass::GetDeleted(Int32 index) const {
  const TQMBaseListObject* e = Get(index);
  return e != nullptr && e->IsDeleted();
}
bool TQMBaseDataClass::GetMatched(Int32 index) const {
  const TQMBaseListObject* e = Get(index);
  return e != nullptr && e->IsMatched();
}
bool TQMBaseDataClass::GetNotForSaving(Int32 index) const {
  const TQMBaseListObject* e = Get(index);
  return e != nullptr && e->privateobj && e->privateobj->fdetails.not_for_saving != 0;
}
bool TQMBaseDataClass::GetHasJoined(Int32 index) const {
  const TQMBaseListObject* e = Get(index);
  return e != nullptr && e->HasJoined();
}
Int32 TQMBaseDataClass::GetJoinCount(Int32 index) const {
  const TQMBaseListObject* e = Get(index);
  return e != nullptr ? e->JoinCount() : 0;
}
bool TQMBaseDataClass::GetJoinedElsewhere(Int32 index) const {
  const TQMBaseListObject* e = Get(index);
  return e != nullptr && e->JoinedElsewhere();
}
TMarkedF5Item TQMBaseDataClass::GetMarcacao(Int32 index) const {
  const TQMBaseListObject* e = Checked(index, u"trying to get marcacao index %d (Count = %d)", __LINE__);
  return e != nullptr ? e->IsMarked() : marcado_clear;
}
Int32 TQMBaseDataClass::GetBookMarkNumber(Int32 index) const {
  const TQMBaseListObject* e = Get(index);
  return e != nullptr && e->privateobj ? e->privateobj->fdetails.bookmark : 0;
}

bool TQMBaseDataClass::SetDeleted(Int32 index, bool flag) {
  ListModified.Include(mod_deleting);
  TQMBaseListObject* e = Get(index);
  if (e != nullptr) {
    e->EnsurePrivateObjExists();
    e->privateobj->fdetails.deleted = flag ? 1 : 0;
  }
  // The flag is set before the host gets control, so a repaint shows it.
  MyYieldProcess();
  return true;
}

void TQMBaseDataClass::SetMatched(Int32 index, bool flag) {
  ListModified.Include(mod_computation);
  TQMBaseListObject* e = Get(index);
  if (e == nullptr) return;
  e->EnsurePrivateObjExists();
  e->privateobj->fdetails.matched = flag ? 1 : 0;
}

void TQMBaseDataClass::SetMarcacao(Int32 index, TMarkedF5Item mark) {
  if (!InRange(index)) return;
  TQMBaseListObject* e = At(index);
  if (e == nullptr) return;
  ListModified.Include(mod_edited);
  // The count follows the entries that carry a mark: marking a marked entry
  // again, or clearing an unmarked one, leaves it as it is.
  const bool wasMarked = e->IsMarked() != marcado_clear;
  if (mark != marcado_clear) {
    e->EnsurePrivateObjExists();
    e->privateobj->fdetails.marcacao = mark;
    if (!wasMarked) ++MarcacoesExistentes;
  } else if (e->privateobj) {
    e->privateobj->fdetails.marcacao = marcado_clear;
    if (wasMarked && MarcacoesExistentes > 0) --MarcacoesExistentes;
  }
}

void TQMBaseDataClass::SetNotForSaving(Int32 index, bool flag) {
  if (!InRange(index) || At(index) == nullptr) return;
  At(index)->SetNotForSaving(flag);
}

Int32 TQMBaseDataClass::IndexOfBookMark(Int32 number) const {
  for (Int32 i = 0; i < fCount; ++i) {
    const TQMBaseListObject* e = At(i);
    if (e != nullptr && e->privateobj && e->privateobj->fdetails.bookmark == number) return i;
  }
  return -1;
}

void TQMBaseDataClass::SetABookmark(Int32 number, Int32 index) {
  TQMBaseListObject* target = Get(index);
  const Int32 other = IndexOfBookMark(number);
  if (other >= 0) At(other)->privateobj->fdetails.bookmark = 0;
  if (target != nullptr) target->SetABookMarknumber(number);
}

TJoinlistAndDetails TQMBaseDataClass::GetJoinListAndDetails(Int32 index) const {
  TJoinlistAndDetails rec{};
  const TQMBaseListObject* e = Get(index);
  if (e == nullptr || !e->privateobj) return rec;
  const TPrivateDetailsRec& d = e->privateobj->fdetails;
  rec.joinlist = e->privateobj->joinlist.get();
  rec.joined_elsewhere = d.joined_elsewhere != 0;
  rec.matched = d.matched != 0;
  rec.deleted = d.deleted != 0;
  rec.marcacao = d.marcacao;
  return rec;
}

void TQMBaseDataClass::SetJoinListAndDetails(Int32 index, const TJoinlistAndDetails& rec) {
  TQMBaseListObject* e = Get(index);
  if (e == nullptr || !e->privateobj) return;
  TPrivateObj& p = *e->privateobj;
  p.fdetails.joined_elsewhere = rec.joined_elsewhere ? 1 : 0;
  p.fdetails.matched = rec.matched ? 1 : 0;
  p.fdetails.deleted = rec.deleted ? 1 : 0;
  p.fdetails.marcacao = rec.marcacao;
  if (p.joinlist.get() != rec.joinlist) p.joinlist.reset(rec.joinlist);
}

Int32 TQMBaseDataClass::IndexOfMatchedItemFrom(Int32 start, bool forward) const {
  if (forward) {
    const Int32 from = start >= fCount ? 0 : std::max(0, start + 1);
    for (Int32 i = from; i < fCount; ++i)
      if (At(i) != nullptr && At(i)->IsMatched()) return i;
  } else {
    const Int32 from = start < 0 ? fCount - 1 : std::min(fCount - 1, start - 1);
    for (Int32 i = from; i >= 0; --i)
      if (At(i) != nullptr && At(i)->IsMatched()) return i;
  }
  return -1;
}

Int32 TQMBaseDataClass::GotoNext() {
  last_match_index = IndexOfMatchedItemFrom(last_match_index, true);
  return last_match_index;
}

Int32 TQMBaseDataClass::GotoPrevious() {
  last_match_index = IndexOfMatchedItemFrom(last_match_index, false);
  return last_match_index;
}

// ---- words of an entry ---------------------------------------------------------

String TQMBaseDataClass::GetMainWordAsString(Int32 index) const {
  TQMBaseListObject* e = Get(index);
  if (e == nullptr) return String();
  const Int32 n = e->ThisListsMainWordColumn();
  return n >= 0 ? e->GetAWordAsString(n) : String();
}

String TQMBaseDataClass::GetSomeWordAsString(Int32 index, Int32 column) const {
  TQMBaseListObject* e = Checked(index, u"trying to get row index %d (Count = %d)", __LINE__);
  return e != nullptr ? e->GetAWordAsString(column) : String();
}

void TQMBaseDataClass::SetMainWordAsString(Int32 index, const String& text) {
  if (!InRange(index) || At(index) == nullptr) return;
  const Int32 n = At(index)->ThisListsMainWordColumn();
  if (n >= 0) At(index)->SetAWordAsString(n, text);
}

void TQMBaseDataClass::SetSomeWordAsString(Int32 index, Int32 column, const String& text) {
  if (!InRange(index) || At(index) == nullptr) return;
  At(index)->SetAWordAsString(column, text);
}

Int64 TQMBaseDataClass::GetMainWordFrequency(Int32 index) const {
  TQMBaseListObject* e = Get(index);
  return e != nullptr ? e->MainWordFrequency() : 0;
}

Int64 TQMBaseDataClass::GetTotalFreqPLusJoinedFreq(Int32 index) const {
  TQMBaseListObject* e = Get(index);
  if (e == nullptr) return 0;
  Int64 total = e->MainWordFrequency();
  if (const TJoinList* j = e->OwnJoinlist())
    for (Int32 i = 0; i < j->Count(); ++i)
      if (j->Items(i) != nullptr) total += j->Items(i)->MainWordFrequency();
  return total;
}

Int32 TQMBaseDataClass::DataMainColumn() const {
  if (fCount < 1 || At(0) == nullptr) return -1;
  return At(0)->ThisListsMainWordColumn();
}

// ---- current grid row ----------------------------------------------------------

void TQMBaseDataClass::SetCurrentGridDataRow(Int32 row, bool set) {
  if (!set) {
    CurrentGridRowItem = nullptr;
    return;
  }
  if (row < 0) row = FindCurrentGridDataRow();
  if (InRange(row)) CurrentGridRowItem = At(row);
}

Int32 TQMBaseDataClass::FindCurrentGridDataRow() const {
  if (CurrentGridRowItem == nullptr) return 0;
  for (Int32 i = 0; i < fCount; ++i) {
    YieldEvery(i + 1);
    if (At(i) == CurrentGridRowItem) return i;
  }
  return 0;
}

Int32 TQMBaseDataClass::RestoredDefaultGridDataRow(bool find) {
  const Int32 row = find && CurrentGridRowItem != nullptr ? FindCurrentGridDataRow() : 0;
  CurrentGridRowItem = nullptr;
  return row;
}

// ---- headings ------------------------------------------------------------------

std::vector<String> TQMBaseDataClass::AllCurrentHeadings() const {
  std::vector<String> out;
  for (Int32 i = 0; i < fGridHeadings->Count(); ++i) out.push_back(fGridHeadings->GetColumnName(i));
  return out;
}

TGrid_head TQMBaseDataClass::OneGridHeading(Int32 column, TGrid_alternatives) {
  return fGridHeadings->GetDatum(column);
}

Int32 TQMBaseDataClass::Original_Column(Int32 column) const { return fGridHeadings->OriginalColumnNumber(column); }

TStringAndIntegerRec TQMBaseDataClass::GetCurrentSetColumnInfo() const {
  TStringAndIntegerRec rec{};
  const Int32 orig = fColumnSetnums->CurrentItemValue();
  if (orig < 0) return rec;
  const Int32 col = fGridHeadings->CurrentColumnNumber(orig);
  if (col < 0) return rec;
  rec.s = fGridHeadings->GetColumnName(col);
  rec.i = orig;
  return rec;
}

bool TQMBaseDataClass::GetAllowCaseChange() const {
  const Int32 c = cloudData.word_column;
  return c >= 0 && c < fGridHeadings->Count() && fGridHeadings->GetDatum(c).allow_case_change != 0;
}

TOutput_results_case TQMBaseDataClass::GetOutputCase() const {
  const Int32 c = cloudData.word_column;
  if (c < 0 || c >= fGridHeadings->Count()) return as_it_comes_output;
  return fGridHeadings->GetOutputCase(c);
}

T3Bool TQMBaseDataClass::GetColumnSortStateAscending(Int32 column) const {
  if (fListBusy != action_none) return b3_undefined;
  return fGridHeadings->GetDatum(column).SortStateAscending;
}

void TQMBaseDataClass::SetColumnSortStateAscending(Int32 column, T3Bool state) {
  if (column < 0 || column >= fGridHeadings->Count()) return;
  fGridHeadings->Items(column)->data.SortStateAscending = state;
}

TQMColumnType TQMBaseDataClass::ExtraColumnType(Int32 column) const {
  const TGrid_head h = fGridHeadings->GetDatum(column);
  return h.extra_computed != 0 ? h.extra_column_type : tnc_other;
}

bool TQMBaseDataClass::IsASetColumnColumn(Int32 column) const {
  for (Int32 i = 0; i < fColumnSetnums->Count(); ++i)
    if (fColumnSetnums->GetAValue(i) == column) return true;
  return false;
}

void TQMBaseDataClass::RecomputeColumnSetnums() {
  fColumnSetnums->Clear();
  const Int32 setColumn =
      static_cast<int>(fList_type) < TQuillmarkList_Count ? PredefinedSetColumnNumber[fList_type] : -1;
  for (Int32 i = 0; i < fGridHeadings->Count(); ++i) {
    const TGrid_head& h = fGridHeadings->Items(i)->data;
    if (h.original_column == setColumn || (h.extra_computed != 0 && h.extra_column_type == tnc_extra_set))
      fColumnSetnums->AddOneAndSetCountCurrent(h.original_column);
  }
}

String TQMBaseDataClass::NumberDisplayToHeading(TNumberDisplayPreference preference) {
  switch (preference) {
    case ndp_percent:
      return LoadResString(&_QMHeadingPercent);
    case ndp_per_thousand:
      return LoadResString(&_QMHeadingPerThousand);
    case ndp_per_million:
      return LoadResString(&_QMHeadingPerMillion);
    default:
      return String();
  }
}

// ---- stored-list shortcuts and undo state --------------------------------------

Int32 TQMBaseDataClass::GetVersionNumber() const { return StoredListInfo->fdata.stored_version_number; }
void TQMBaseDataClass::SetVersionNumber(Int32 n) { StoredListInfo->fdata.stored_version_number = n; }
void TQMBaseDataClass::SetIsAMWUlist(bool flag) { StoredListInfo->SetBasedOnClusters(flag); }
bool TQMBaseDataClass::GetISaMWUList() const { return StoredListInfo->GetBasedOnClusters(); }
bool TQMBaseDataClass::GetCanUnDo() const { return UndoList && UndoList->fUndoActions->Count() > 0; }
bool TQMBaseDataClass::GetCanReDo() const { return UndoList && UndoList->fRedoActions->Count() > 0; }

// ---- sorting -------------------------------------------------------------------

void TQMBaseDataClass::SetSortSettingsToDefault(bool clear) {
  if (clear) QMSortSettings = TSortSettings{};
}

void TQMBaseDataClass::DoAlphabeticalAscendingSort() {
  SetSortAlphAscending();
  DoASort(-1, 0, fCount - 1);
}

}  // namespace sk
