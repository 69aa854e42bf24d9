// The three-level sort engine of the results lists: choosing levels, the
// quicksort over the entry slots, the runs of the later levels, the pivot
// setters and comparison helpers, the ready and private comparers, random
// order and resorting.
//
// A comparer compares one entry with a pivot value that SetBase (or
// SetPrivateBase) captured beforehand, so every comparison reads one entry
// only. The engine works in place on the slot array and never reads outside
// the range it sorts, whatever the comparers answer: the scans are bounded by
// the range, each partition pass leaves two strictly smaller parts, and the
// smaller part is sorted by recursion, so the stack stays O(log n).
#include <algorithm>
#include <cmath>
#include <utility>

#include "analysis/Maths_routines.h"
#include "analysis/Work_qm_base_list.h"
#include "core/Basic_processes.h"
#include "core/Comparing_types.h"
#include "core/Generalruntime1const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_splitting.h"
#include "core/Useful_classes_base_compare.h"
#include "platform/runtime/Format.h"
#include "services/Qmbaseholderunit.h"

namespace sk {

namespace {

// The host gets control once per this many comparisons.
constexpr Int32 kComparisonsPerYield = 8192;
// Ranges longer than this show which level is being sorted.
constexpr Int32 kStatusTextAbove = 5000;
// Progress is reported when a partition boundary falls on a multiple of this.
constexpr Int32 kProgressStep = 1024;

// Raised at a yield point when the host cancelled or changed the list's entry
// count; SortThem catches it and ends the sort there.
struct TSortEnded {};

// Leaves the list idle when the sort ends, however it ends.
class TIdleWhenDone {
 public:
  explicit TIdleWhenDone(TQMAction& busy) : fBusy(busy) {}
  ~TIdleWhenDone() { fBusy = action_none; }
  TIdleWhenDone(const TIdleWhenDone&) = delete;
  TIdleWhenDone& operator=(const TIdleWhenDone&) = delete;

 private:
  TQMAction& fBusy;
};

// A private comparer: the list's comparer for one option. It carries the
// option so that the engine can tell the original-entry comparer apart.
struct TPrivateComparer {
  TQMBaseDataClass* list;
  TPrivateOptions option;
  Integer operator()(TObject* entry) const {
    switch (option) {
      case joined_elsewhere_sort:
        return list->PrivateSortJoinElsewhereUp(entry);
      case matched_sort:
        return list->PrivateSortMatchedUp(entry);
      case deleted_sort:
        return list->PrivateSortDeletedUp(entry);
      case original_entry_number_sort:
        return list->PrivateSortOriginalEntryUp(entry);
      case joinlist_sort:
        return list->PrivateSortJoinListUp(entry);
    }
    return 0;
  }
};

Int32 Sign(Int32 v) { return (v > 0) - (v < 0); }

Int32 FlagOrder(bool mine, bool pivots) {
  if (mine == pivots) return 0;
  return mine ? 1 : -1;
}

TQMBaseListObject* AsEntry(TObject* entry) { return static_cast<TQMBaseListObject*>(entry); }

String WithoutWildcards(const String& s) {
  String out;
  out.reserve(s.size());
  for (Char c : s)
    if (c != u'*' && c != u'?') out.push_back(c);
  return out;
}

// The pivot is the middle entry of the range; after a lopsided split, and
// always once the recursion has gone this deep, it is a random entry, so no
// input takes quadratic time.
Int32 DepthAllowance(Int32 l, Int32 r) {
  Int32 depth = 4;
  for (Int64 n = static_cast<Int64>(r) - l + 1; n > 1; n >>= 1) depth += 2;
  return depth;
}

}  // namespace

// ---- the engine's steps -------------------------------------------------------------

void TQMBaseDataClass::SortYieldPoint() {
  fSortYieldCountdown = kComparisonsPerYield;
  MyYieldProcess();
  if (global_panic_state != panic_no_panic || fCount != fSortEntryCount) throw TSortEnded{};
}

inline Int32 TQMBaseDataClass::SortCompare(Int32 k, const TQMBaseListObjectCompare& comparer) {
  if (--fSortYieldCountdown <= 0) SortYieldPoint();
  compare_ID_with = k;
  return Sign(comparer(fList[static_cast<size_t>(k)]));
}

void TQMBaseDataClass::SortSetPivot(Int32 k, TSortLevel level) {
  compare_ID_base = k;
  if (QMSortSettings.SortIsPrivate[level])
    SetPrivateBase(At(k), level);
  else
    SetBase(At(k), level);
}

// The comparer that sorts level: the private one on a private level. False
// when the level has none; endsSort when it is the original-entry comparer,
// after which the sort ends.
bool TQMBaseDataClass::SortLevelComparer(TSortLevel level, TQMBaseListObjectCompare& comparer,
                                         bool& endsSort) const {
  endsSort = false;
  if (!QMSortSettings.SortIsPrivate[level]) {
    comparer = QMSortSettings.comparesorts[level];
    return static_cast<bool>(comparer);
  }
  comparer = QMSortSettings.privatesorts[level];
  if (!comparer) return false;
  const TPrivateComparer* p = comparer.target<TPrivateComparer>();
  endsSort = p != nullptr && p->option == original_entry_number_sort;
  return true;
}

void TQMBaseDataClass::SortRangeAtLevel(Int32 l, Int32 r, TSortLevel level, bool& stopped) {
  TQMBaseListObjectCompare comparer;
  bool endsSort = false;
  if (!SortLevelComparer(level, comparer, endsSort)) {
    stopped = true;
    return;
  }
  FSortStage = level;
  // The original-entry comparer calls every entry smaller than the pivot:
  // sorting with it moves nothing, so the order is kept as it is and the
  // later levels are not applied.
  if (endsSort) {
    stopped = true;
    return;
  }
  QuickSortRange(l, r, comparer, DepthAllowance(l, r));
}

// Three-way partition around the pivot value: entries below it to the left,
// above it to the right, equal ones in the middle, which is never sorted
// again. Each entry is compared once per pass, and columns with many equal
// values (frequencies, file numbers, categories) need few passes. The pivot
// entry goes to the front and stays in the middle part without being
// compared, so both outer parts are strictly smaller than l..r whatever the
// comparer answers.
void TQMBaseDataClass::QuickSortRange(Int32 l, Int32 r, const TQMBaseListObjectCompare& comparer, Int32 depthLeft) {
  const TSortLevel level = FSortStage;
  const Int32 dir = QMSortSettings.saveable.column_choices[level].ascending ? 1 : -1;
  bool randomPivot = false;
  while (l < r) {
    Int32 p = l + (r - l) / 2;
    if (depthLeft > 0) --depthLeft;
    if (randomPivot || depthLeft == 0) {
      fSortPivotSeed = fSortPivotSeed * 6364136223846793005ULL + 1442695040888963407ULL;
      p = l + static_cast<Int32>((fSortPivotSeed >> 33) % static_cast<UInt64>(r - l + 1));
    }
    SortSetPivot(p, level);
    if (SortCompare(p, comparer) != 0) {
      // The pivot differs from its own key (a NaN, say) and would split off
      // one entry per pass; another entry of the range that equals itself is
      // taken instead. Without one the range has no order to find.
      bool found = false;
      for (Int32 k = l; k <= r && !found; ++k) {
        if (k == p) continue;
        SortSetPivot(k, level);
        found = SortCompare(k, comparer) == 0;
        if (found) p = k;
      }
      if (!found) return;
    }
    std::swap(fList[static_cast<size_t>(l)], fList[static_cast<size_t>(p)]);
    compare_ID_base = l;
    Int32 lt = l;  // l .. lt-1 below the pivot
    Int32 gt = r;  // gt+1 .. r above it
    Int32 i = l + 1;
    while (i <= gt) {
      const Int32 c = dir * SortCompare(i, comparer);
      // A yield inside the comparison may have moved the slot array.
      TQMBaseListObject** slots = fList.get();
      if (c < 0) {
        std::swap(slots[lt], slots[i]);
        ++lt;
        ++i;
      } else if (c > 0) {
        std::swap(slots[i], slots[gt]);
        --gt;
      } else {
        ++i;
      }
    }
    if (i % kProgressStep == 0 && fCount > 0)
      ReportProgressPercent(static_cast<Int32>(static_cast<Int64>(i) * 100 / fCount));
    // A lopsided split (an organ pipe, say) gets a random pivot next time.
    randomPivot = std::min(lt - l, r - gt) < (r - l + 1) / 16;
    // Here l <= lt <= gt <= r: both outer parts are smaller than l..r.
    if (lt - l < r - gt) {
      if (l < lt - 1) QuickSortRange(l, lt - 1, comparer, depthLeft);
      l = gt + 1;
    } else {
      if (gt + 1 < r) QuickSortRange(gt + 1, r, comparer, depthLeft);
      r = lt - 1;
    }
  }
}

// The last index, up to hi, of the run from start that level's comparer
// finds equal to the entry at start.
Int32 TQMBaseDataClass::SortRunEnd(Int32 start, Int32 hi, TSortLevel level, const TQMBaseListObjectCompare& comparer) {
  FSortStage = level;
  SortSetPivot(start, level);
  Int32 k = start;
  while (k < hi && SortCompare(k + 1, comparer) == 0) ++k;
  compare_ID_with = k;
  return k;
}

// Sorts at level each run of lo..hi that every level from before down to
// level - 1 finds equal: the runs of before are found first, and each run of
// two or more entries is split by the next level, or sorted at level.
void TQMBaseDataClass::SortRunsAtLevel(TSortLevel level, TSortLevel before, Int32 lo, Int32 hi, bool& stopped) {
  TQMBaseListObjectCompare comparer;
  bool endsSort = false;
  if (!SortLevelComparer(before, comparer, endsSort)) {
    stopped = true;
    return;
  }
  Int32 start = lo;
  while (start < hi && !stopped) {
    const Int32 end = SortRunEnd(start, hi, before, comparer);
    if (end > start) {
      if (static_cast<int>(before) + 1 < static_cast<int>(level)) {
        SortRunsAtLevel(level, static_cast<TSortLevel>(before + 1), start, end, stopped);
      } else {
        // At the last level a run that spans the whole list is left alone.
        if (level == third_sort && end - start >= fCount - 1) return;
        SortRangeAtLevel(start, end, level, stopped);
      }
    }
    start = end + 1;
    compare_ID_base = start;
  }
}

// ---- entry points ----------------------------------------------------------------------

void TQMBaseDataClass::SortThem(Int32 fromIndex, Int32 toIndex) {
  if (fListBusy != action_none) return;
  TIdleWhenDone idle(fListBusy);
  fListBusy = action_sorting;
  bool stopped = false;
  fSort_start = fromIndex;
  fSort_Finish = toIndex;
  const Int32 from = std::max(fromIndex, 0);
  const Int32 to = std::min(toIndex, fCount - 1);
  if (from >= to) return;
  ListModified.Include(mod_sorting);
  fSortEntryCount = fCount;
  fSortYieldCountdown = kComparisonsPerYield;
  const TSortSaveable& saved = QMSortSettings.saveable;
  try {
    for (int lv = 0; lv < 3; ++lv) {
      const TSortLevel level = static_cast<TSortLevel>(lv);
      compare_ID_base = from;
      FSortStage = level;
      if (stopped || static_cast<int>(saved.SortLevelsAvailable) < lv) break;
      SortYieldPoint();
      if (to - from > kStatusTextAbove)
        ReportProgressShortMessage(tusp_message, Format(u"%s : %d", {LoadResString(&_QMSort), lv + 1}));
      if (level == main_sort) {
        SortRangeAtLevel(from, to, main_sort, stopped);
      } else if (saved.SortBytes[level] != saved.SortBytes[static_cast<TSortLevel>(lv - 1)]) {
        TQMBaseListObjectCompare own;
        bool endsSort = false;
        if (!SortLevelComparer(level, own, endsSort)) {
          stopped = true;
          continue;
        }
        SortRunsAtLevel(level, main_sort, from, to, stopped);
        FSortStage = level;
      }
    }
  } catch (const TSortEnded&) {
    // Cancelled by the host or the list changed under the sort: every entry
    // is still in the list once, in the order reached so far.
  }
}

void TQMBaseDataClass::UserObjectQuickSort(Int32 l, Int32 r, const TQMBaseListObjectCompare& comparer) {
  if (!comparer) return;
  l = std::max(l, 0);
  r = std::min(r, fCount - 1);
  if (l >= r) return;
  fSortEntryCount = fCount;
  fSortYieldCountdown = kComparisonsPerYield;
  try {
    QuickSortRange(l, r, comparer, DepthAllowance(l, r));
  } catch (const TSortEnded&) {
  }
}

// ---- choosing levels -------------------------------------------------------------------

bool TQMBaseDataClass::DoSet1Sort(TSortLevel level, Int32 column, Byte sortByte) {
  TSortSaveable& sv = QMSortSettings.saveable;
  const bool changed = level == main_sort || sortByte != sv.SortBytes[static_cast<TSortLevel>(level - 1)];
  if (!changed) return false;
  sv.SortLevelsAvailable = level;
  sv.SortBytes[level] = sortByte;
  if (column > 0 && column < fGridHeadings->Count() && !fGridHeadings->GetHasSortedThisRun(column)) {
    // The first sort of a column in a run takes its default direction: text
    // ascends, numbers descend.
    fGridHeadings->SetHasSortedThisRun(column, true);
    sv.column_choices[level].ascending = !fGridHeadings->GetANumerical(column);
  }
  sv.column_choices[level].column = column;
  if (level == main_sort) {
    sv.main_sort_is_alphabetical = false;
    for (auto& c : QMSortSettings.comparesorts) c = nullptr;
  }
  return true;
}

bool TQMBaseDataClass::Set1Sort(TSortLevel level, Int32 column, TToggle toggle) {
  const Byte sortByte = static_cast<Byte>(HeaderColumnToSortNeeded(level, column));
  const bool result = DoSet1Sort(level, column, sortByte);
  if (toggle == toggle_do || (toggle == toggle_check && (level == main_sort || !SortColumnChanged(level, column))))
    ToggleASortAscends(level);
  return result;
}

void TQMBaseDataClass::Set3Sorts() {
  const int levels = static_cast<int>(QMSortSettings.saveable.SortLevelsAvailable);
  for (int lv = 0; lv <= levels && lv < 3; ++lv) {
    const TSortLevel level = static_cast<TSortLevel>(lv);
    Set1Sort(level, QMSortSettings.saveable.column_choices[level].column, toggle_dont);
  }
}

void TQMBaseDataClass::SetSortAsMainWordSort(TSortLevel level) { Set1Sort(level, MainWordColumn(), toggle_dont); }

void TQMBaseDataClass::SortOnCategory(bool /*flag*/, Int32 column) {
  Int32 target = -1;
  if (IsASetColumnColumn(column)) {
    target = column;
  } else {
    for (Int32 c = 1; c < fGridHeadings->Count(); ++c)
      if (IsASetColumnColumn(c)) {
        target = c;
        break;
      }
  }
  if (target < 0) return;
  Set1Sort(main_sort, target, toggle_dont);
  Set1Sort(second_sort, MainWordColumn(), toggle_dont);
  SetSortAscending(main_sort, false);
  SetSortAscending(second_sort, false);
  DoASort(target, 0, fCount - 1);
}

bool TQMBaseDataClass::GetSortAscending(TSortLevel level) const {
  return QMSortSettings.saveable.column_choices[level].ascending;
}

void TQMBaseDataClass::SetSortAscending(TSortLevel level, bool ascending) {
  QMSortSettings.saveable.column_choices[level].ascending = ascending;
}

void TQMBaseDataClass::ToggleASortAscends(TSortLevel level) { SetSortAscending(level, !GetSortAscending(level)); }

void TQMBaseDataClass::ToggleMainSortAscendsUntilAscending() {
  if (!GetSortAscending(main_sort)) ToggleASortAscends(main_sort);
}

TSortLevel TQMBaseDataClass::GetSortLevelsAvailable() const { return QMSortSettings.saveable.SortLevelsAvailable; }

void TQMBaseDataClass::SetSortLevelsAvailable(TSortLevel level) { QMSortSettings.saveable.SortLevelsAvailable = level; }

void TQMBaseDataClass::SetMainSortAlphabetical() {
  QMSortSettings.saveable.knows_whether_alph_ascending = true;
  QMSortSettings.saveable.main_sort_is_alphabetical = true;
}

bool TQMBaseDataClass::AllQMColumnChoicesEqual() const {
  const TSortSaveable& sv = QMSortSettings.saveable;
  for (int lv = 1; lv <= static_cast<int>(sv.SortLevelsAvailable) && lv < 3; ++lv)
    if (sv.column_choices[static_cast<TSortLevel>(lv)].column !=
        sv.column_choices[static_cast<TSortLevel>(lv - 1)].column)
      return false;
  return true;
}

bool TQMBaseDataClass::SortColumnChanged(TSortLevel level, Int32 column) {
  return column != QMSortSettings.saveable.column_choices[level].column;
}

void TQMBaseDataClass::UsePrivateSort(TSortSettings& settings, TSortLevel level, TPrivateOptions option) {
  settings.SortIsPrivate[level] = true;
  settings.privatesorts[level] = TPrivateComparer{this, option};
}

// ---- pivots ----------------------------------------------------------------------------

void TQMBaseDataClass::SetPrivateBase(TQMBaseListObject* entry, TSortLevel level) {
  fPrivateSortData[level] = entry != nullptr ? entry->privateobj.get() : nullptr;
}

void TQMBaseDataClass::SetBaseCompareStrAndTag(const TStringTag& tag) { base_compare_StringTag = tag; }

void TQMBaseDataClass::SetBaseCompareConcStrAndTag(const TConcStringTag& ctag) { base_compare_ConcStringTag = ctag; }

void TQMBaseDataClass::SetBaseCompareStrAndTagArray(const std::vector<TStringTag>& arr) {
  base_compare_StringTagArray = arr;
}

void TQMBaseDataClass::Clearbase_compare_PcharTagArray() { base_compare_PcharTagArray.clear(); }

// ---- comparison helpers ------------------------------------------------------------------

Int32 TQMBaseDataClass::BaseStringComparison(const String& s) const {
  return comparing_case_sensitively ? Compare2Strings(s, base_compare_StringTag.wrd)
                                    : Compare2StringsCaseInsensitively(s, base_compare_StringTag.wrd);
}

Int32 TQMBaseDataClass::BaseStringBackwardsComparison(const String& s) const {
  const String reversed = BackwardsStr(s);
  return comparing_case_sensitively ? Compare2Strings(reversed, base_compare_ReverseStringTag.wrd)
                                    : Compare2StringsCaseInsensitively(reversed, base_compare_ReverseStringTag.wrd);
}

Int32 TQMBaseDataClass::BaseStringAndTagComparison(const TStringTag& tag) const {
  if (comparing_on_Tags) return CompareLongints(base_compare_ConcStringTag.tagnum_2B, tag.tagnum_2B);
  return comparing_case_sensitively ? Compare2StringAndTags(tag, base_compare_StringTag)
                                    : Compare2StringAndTagsInsensitive(tag, base_compare_StringTag);
}

Int32 TQMBaseDataClass::BaseConcStringAndTagComparison(const TConcStringTag& ctag) const {
  if (comparing_on_Tags) return CompareLongints(base_compare_ConcStringTag.tagnum_2B, ctag.tagnum_2B);
  const String& pivot = base_compare_ConcStringTag.wordsections.wd_str;
  return comparing_case_sensitively ? Compare2Strings(ctag.wordsections.wd_str, pivot)
                                    : Compare2StringsCaseInsensitively(ctag.wordsections.wd_str, pivot);
}

Int32 TQMBaseDataClass::BaseStringAndTagArrayComparison(const std::vector<TStringTag>& arr) const {
  return Compare2StringAndTagsArray(base_compare_StringTagArray, arr);
}

Int32 TQMBaseDataClass::CategoriesComparison(const TStringTrueColumnAndColourRec& rec) const {
  const Int32 byText = Compare2Strings(WithoutWildcards(rec.s), base_compare_category.s);
  if (byText != 0) return byText;
  return CompareLongints(rec.background_colour, base_compare_category.background_colour);
}

Int32 TQMBaseDataClass::FloatComparison(Single x) const {
  if (x == base_compare_single) return 0;
  return x > base_compare_single ? 1 : -1;
}

Int32 TQMBaseDataClass::TextDateComparison(Double x) const {
  if (x == base_compare_textdate) return 0;
  return x > base_compare_textdate ? 1 : -1;
}

Int32 TQMBaseDataClass::Int64Comparison(Int64 x) const {
  if (x == base_compare_int64) return 0;
  return x > base_compare_int64 ? 1 : -1;
}

Int32 TQMBaseDataClass::BooleanComparison(bool b) const {
  if (b == base_compare_Boolean) return 0;
  return b ? 1 : -1;
}

Int32 TQMBaseDataClass::IntegerComparisonSwapped(Int32 v) { return -Sign(v); }

// ---- ready comparers ----------------------------------------------------------------------

Int32 TQMBaseDataClass::CompareDispersions(TObject* entry) {
  TQMBaseListObject* e = AsEntry(entry);
  return FloatComparison(e != nullptr ? e->GetDispersion() : 0.0f);
}

Int32 TQMBaseDataClass::CompareWordsByLength(TObject* entry) {
  TQMBaseListObject* e = AsEntry(entry);
  return Int64Comparison(e != nullptr ? e->MainWordLength() : 0);
}

Int32 TQMBaseDataClass::CompareLemmas(TObject* /*entry*/) { return Int64Comparison(GetJoinCount(compare_ID_with)); }

Int32 TQMBaseDataClass::CompareRelativeEntropies(TObject* /*entry*/) {
  const Int32 basis = Patroa != nullptr ? Patroa->GetRelativeEntropyBasis() : 0;
  return FloatComparison(static_cast<Single>(LemmasRelativeEntropy(compare_ID_with, basis)));
}

Int32 TQMBaseDataClass::CompareCategories(TObject* /*entry*/) {
  return CategoriesComparison(GetACategoryAndColour(compare_ID_with, true_current_sort_column, false));
}

// ---- private comparers ----------------------------------------------------------------------

Int32 TQMBaseDataClass::PrivateSortDeletedUp(TObject* entry) {
  const TPrivateObj* pivot = fPrivateSortData[FSortStage];
  const TQMBaseListObject* e = AsEntry(entry);
  return FlagOrder(e != nullptr && e->IsDeleted(), pivot != nullptr && pivot->fdetails.deleted != 0);
}

Int32 TQMBaseDataClass::PrivateSortJoinElsewhereUp(TObject* entry) {
  const TPrivateObj* pivot = fPrivateSortData[FSortStage];
  const TQMBaseListObject* e = AsEntry(entry);
  return FlagOrder(e != nullptr && e->JoinedElsewhere(), pivot != nullptr && pivot->fdetails.joined_elsewhere != 0);
}

Int32 TQMBaseDataClass::PrivateSortMatchedUp(TObject* entry) {
  const TPrivateObj* pivot = fPrivateSortData[FSortStage];
  const TQMBaseListObject* e = AsEntry(entry);
  return FlagOrder(e != nullptr && e->IsMatched(), pivot != nullptr && pivot->fdetails.matched != 0);
}

Int32 TQMBaseDataClass::PrivateSortJoinListUp(TObject* entry) {
  const TPrivateObj* pivot = fPrivateSortData[FSortStage];
  const TQMBaseListObject* e = AsEntry(entry);
  const Int32 mine = e != nullptr ? e->JoinCount() : 0;
  const Int32 pivots = pivot != nullptr && pivot->joinlist ? pivot->joinlist->Count() : 0;
  return CompareLongints(mine, pivots);
}

Int32 TQMBaseDataClass::PrivateSortOriginalEntryUp(TObject* /*entry*/) { return -1; }

// ---- slots, top run, random order, resorting ---------------------------------------------------

void TQMBaseDataClass::ExchangeOrder(Int32 i, Int32 j) {
  if (!InRange(i) || !InRange(j) || i == j) return;
  std::swap(fList[static_cast<size_t>(i)], fList[static_cast<size_t>(j)]);
}

Int32 TQMBaseDataClass::TopIdenticallySorted(TSortLevel level) {
  TQMBaseListObjectCompare comparer;
  bool endsSort = false;
  if (fCount < 1 || !SortLevelComparer(level, comparer, endsSort)) return -1;
  FSortStage = level;
  SortSetPivot(0, level);
  compare_ID_with = 1;
  while (compare_ID_with < fCount && Sign(comparer(At(compare_ID_with))) == 0) ++compare_ID_with;
  return compare_ID_with - 1;
}

void TQMBaseDataClass::DoRandomOrderSort() {
  if (fListBusy != action_none) return;
  const Int32 n = fCount;
  const TShuffledNumbers shuffler(n);
  // The shuffler yields: a list changed meanwhile keeps its order.
  if (fCount != n || n < 2) return;
  const std::vector<TQMBaseListObject*> before(fList.get(), fList.get() + n);
  for (Int32 i = 0; i < n; ++i) fList[static_cast<size_t>(i)] = before[static_cast<size_t>(shuffler.GetANumber(i))];
}

void TQMBaseDataClass::CompleteResort(Int32 column) {
  if (Patroa != nullptr)
    CompleteResort(Patroa->fLCID, column);
  else
    DoASort(column, 0, fCount - 1);
}

void TQMBaseDataClass::CompleteResort(Cardinal lcid, Int32 column) {
  if (Patroa != nullptr) Patroa->SetLCID(lcid);
  DoASort(column, 0, fCount - 1);
}

// ---- lemmas and categories ---------------------------------------------------------------------

Double TQMBaseDataClass::LemmasRelativeEntropy(Int32 index, Int32 basis) const {
  TQMBaseListObject* e = Get(index);
  if (e == nullptr || !e->HasJoined()) return 0;
  const auto* joins = dynamic_cast<const TDerivedJoinlist*>(e->OwnJoinlist());
  if (joins == nullptr) return 0;
  return RelativeEntropy(joins->AsArrayOfInt64s(e->MainWordFrequency(), basis));
}

TStringTrueColumnAndColourRec TQMBaseDataClass::GetACategoryAndColour(Int32 row, Int32 trueColumn, bool strip) const {
  TQMBaseListObject* e = Get(row);
  if (e == nullptr) return TStringTrueColumnAndColourRec{};
  TStringTrueColumnAndColourRec rec = e->GetCategory(trueColumn);
  if (strip) rec.s = WithoutWildcards(rec.s);
  return rec;
}

TColor TQMBaseDataClass::GetACategoryColour(Int32 row, Int32 trueColumn) const {
  return static_cast<TColor>(GetACategoryAndColour(row, trueColumn, false).background_colour);
}

String TQMBaseDataClass::GetACategoryString(Int32 row, Int32 trueColumn) const {
  return GetACategoryAndColour(row, trueColumn, false).s;
}

}  // namespace sk
