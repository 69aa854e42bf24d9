#include "analysis/Work_qm_base_sister.h"

#include "analysis/Base_heading_consts.h"
#include "core/Basic_processes.h"
#include "core/My_string_functions.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"

namespace sk {

namespace {

// Both empty, or both the same plain routine. Closures of two lists are
// never the same comparer: each compares with its own list's pivot.
bool SameComparer(const TQMBaseListObjectCompare& a, const TQMBaseListObjectCompare& b) {
  if (!a && !b) return true;
  if (!a || !b) return false;
  using TPlain = Integer (*)(TObject*);
  const TPlain* pa = a.target<TPlain>();
  const TPlain* pb = b.target<TPlain>();
  return pa != nullptr && pb != nullptr && *pa == *pb;
}

}  // namespace

TQMSister::TQMSister(TQMBaseHolder* holder, TQMBaseListObjectClass entriesClass,
                     TGetPreferredTagFormat onGetPreferredTagForm, TQMBaseListObjectCompare compareWordsFunct,
                     TQMBaseListObjectFindWordPos compareWordPosFunct, TQMBaseListObjectFindWordPos findWordPosFunct,
                     TGrid_alternatives gridKind, TQuillmarkList listKind, Int32 signature)
    : TQMBaseDataClass(holder, entriesClass, std::move(onGetPreferredTagForm), std::move(compareWordsFunct),
                       std::move(compareWordPosFunct), std::move(findWordPosFunct), gridKind, listKind, signature) {}

TQMSister::~TQMSister() {
  freverse_word.clear();
  Clear();
  ExcelFormatRec = TExcelFormatRec{};
}

TQMBaseListObject* TQMSister::AddedABlankEntry(Int32) {
  if (fEntriesClass == nullptr) return nullptr;
  std::unique_ptr<TQMBaseListObject> entry = fEntriesClass(this, Patroa);
  if (!entry) return nullptr;
  Add(entry.get());
  TQMBaseListObject* held = entry.release();
  AdjustEntryCount();
  return held;
}

std::unique_ptr<TStringList> TQMSister::DetailsOfCurrentSettings() {
  auto list = std::make_unique<TStringList>();
  list->Add(Format(u"%s %s", {AnsiUpperCase(ListTypeAsString(fList_type)), LoadResString(&_QMSettingsWord)}));
  return list;
}

bool TQMSister::DonePreMergeChecks(TQMSister* other) {
  SetCapacity(fCount + other->fCount);
  switch (fList_type) {
    case lt_KW_database_list:
    case lt_concordance_list:
    case lt_filename_list:
    case lt_statistics_list:
      return true;
    default:
      break;
  }
  const TSortSettings& mine = QMSortSettings;
  const TSortSettings& theirs = other->QMSortSettings;
  const bool sameOrder = mine.saveable.knows_whether_alph_ascending &&
                         SameComparer(mine.comparesorts[main_sort], theirs.comparesorts[main_sort]) &&
                         mine.saveable.column_choices[main_sort].ascending ==
                             theirs.saveable.column_choices[main_sort].ascending;
  if (!sameOrder) {
    DoAlphabeticalAscendingSort();
    other->DoAlphabeticalAscendingSort();
  }
  return true;
}

bool TQMSister::MergeWith(TQMSister* other) {
  if (other == nullptr || other == this) return false;
  const bool ok = DonePreMergeChecks(other);
  for (Int32 i = 0; i < other->fCount; ++i) {
    if ((i & 1023) == 0) MyYieldProcess();
    TQMBaseListObject* e = other->At(i);
    if (e == nullptr) continue;
    e->SetParentAs(this);
    Add(e);
    other->fList[static_cast<size_t>(i)] = nullptr;
  }
  other->Pack();
  return ok;
}

String TQMSister::ConvertedHeading(const String& heading, TNumberDisplayPreference preference) {
  String result = heading;
  const Int32 at = PosExNearer(heading, u"%", u"per ", 1);
  if (at > 0) result = heading.substr(0, static_cast<size_t>(at - 1)) + NumberDisplayToHeading(preference);
  return TitleCasedString(result, true);
}

bool TQMSister::FirstLetterIsCaps(const String& text) {
  if (text.empty()) return false;
  const String first(1, text[0]);
  return AnsiUpperCase(first) == first && AnsiLowerCase(first) != first;
}

Int32 TQMSister::GetPlotOrTimelineColumnNumber() {
  const TGridHeaderList* heads = GridHeadings();
  if (heads == nullptr) return -1;
  for (Int32 i = heads->Count() - 1; i >= 1; --i)
    if (heads->GetDatum(i).alignment == aligned_plotting) return i;
  return -1;
}

}  // namespace sk
