#include "analysis/Headingsu.h"

#include <algorithm>

#include "analysis/Base_heading_consts.h"
#include "analysis/Base_headingsu.h"
#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions.h"
#include "core/Qm_global_vars.h"
#include "core/Qm_specific_consts.h"
#include "core/UnitCounter.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"
#include "services/Monitor_functions.h"

namespace sk {

namespace {

// The format number in the customised-headings file names.
constexpr Int32 kCustomisedFileFormat = 9;

void FaultyFile(const String& fileName) {
  TBaseGridHeaderList::Warn(fileName + u" " + LoadResString(&_QMIsFaulty));
}

// The columns that ReloadAs adds at run time (the collocate list's positions,
// one per file of a detailed consistency list) are numbered from the kind's
// standard count on; the standard (and customised) columns keep their table
// row below it.
bool IsRunTimeColumn(TQuillmarkList kind, const TGrid_head& h) {
  if (kind != lt_detailed_consistency_list && kind != lt_collocate_list) return false;
  return h.original_column >= OfficialStandardNOfHeaders[kind];
}

// Removes the run-time columns, so that only those of the present settings
// are added again.
void DeleteRunTimeColumns(TBaseGridHeaderList& list) {
  for (Int32 i = list.Count() - 1; i >= 0; --i)
    if (IsRunTimeColumn(list.flist_type, list.Items(i)->data)) list.Delete(i);
}

// The files of a detailed consistency list that get a column: as many as
// keep the list within the count its stream can hold.
Int32 ConsistencyFileColumns(Int32 standard) {
  return std::clamp(global_DetailedConsistency_files, 0, std::max(0, MaxGridHeadings - standard));
}

}  // namespace

// ---- unit routines -------------------------------------------------------------

TGrid_head AddHintAndHeader(const TGrid_head& rec) {
  TGrid_head r = rec;
  r.heading = HStringFromN(rec.localization_number);
  r.hint = HStringFromN(rec.localization_number + 32768);
  if (r.numerical != 0 && r.heading == u"%") r.percent_data = 1;
  return r;
}

std::vector<TGrid_head> StandardGridHeaderArray(TQuillmarkList kind) {
  std::vector<TGrid_head> arr;
  if (static_cast<int>(kind) >= TQuillmarkList_Count) return arr;
  const auto table = DefaultHeadingTable(kind);
  if (table.empty()) {
    arr.resize(static_cast<size_t>(std::max(0, OfficialStandardNOfHeaders[kind])));
    return arr;
  }
  arr.reserve(table.size());
  for (const TGrid_head_fixed& row : table) {
    TGrid_head h{};
    static_cast<TGrid_head_fixed&>(h) = row;
    arr.push_back(AddHintAndHeader(h));
  }
  return arr;
}

std::vector<String> AllDefaultHeadingsFor(TQuillmarkList kind) {
  std::vector<String> out;
  for (const TGrid_head& h : StandardGridHeaderArray(kind)) out.push_back(h.heading);
  return out;
}

Int32 HeadingLinesForList(TQuillmarkList kind) { return kind == lt_statistics_list ? 4 : 2; }

void SetupCollocHorizons(const Tdouble_colloc_span& spans) { global_heading_collocate_spans = spans; }

String CustomFilename(TQuillmarkList kind) {
  return IncludeTrailingPathDelimiter(Global_user_ReadWrite_folder) + ListTypeAsString(kind) + u"_" +
         Format(LoadResString(&_QMCustomisedHeadingsFile), {kCustomisedFileFormat});
}

void FillStringsWithVisibleHeadings(TStringlistWithALongint* strings, const TBaseGridHeaderList* list, Int32 chosen,
                                    Int32& index) {
  strings->Clear();
  index = -1;
  for (Int32 col = 1; col < list->Count(); ++col) {
    if (list->GetHidden(col)) continue;
    const Int32 line = strings->AddOne(list->GetColumnName(col), col);
    if (col == chosen) index = line;
  }
}

void FillStringsWithVisibleHeadings(TStringlistWithALongint* strings, const std::vector<TGrid_head>& arr, Int32 chosen,
                                    Int32& index) {
  strings->Clear();
  index = -1;
  for (size_t col = 1; col < arr.size(); ++col) {
    if (arr[col].escondido != 0) continue;
    const Int32 line = strings->AddOne(arr[col].heading, static_cast<Int32>(col));
    if (static_cast<Int32>(col) == chosen) index = line;
  }
}

void CopyGridHeaderListDataToArray(const TBaseGridHeaderList* list, std::vector<TGrid_head>& arr, Int32 minWidth) {
  arr.clear();
  for (Int32 i = 0; i < list->Count(); ++i) {
    TGrid_head h = list->GetDatum(i);
    if (h.version == 0 && h.heading.empty()) continue;
    if (minWidth > 0 && h.original_column == 1)
      h.pixel_width96 = static_cast<SmallInt>(std::max<Int32>(minWidth, h.pixel_width96));
    arr.push_back(std::move(h));
  }
}

bool IdenticalGridHeadArrays(const std::vector<TGrid_head>& a, const std::vector<TGrid_head>& b) {
  if (a.size() != b.size() || a.empty()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (GridHeadRawBytes(a[i]) != GridHeadRawBytes(b[i])) return false;
    if (a[i].hint != b[i].hint || a[i].heading != b[i].heading) return false;
  }
  return true;
}

// ---- TGridHeaderList -----------------------------------------------------------

void TGridHeaderList::AppendStandardSet(TQuillmarkList kind) {
  for (const TGrid_head& h : StandardGridHeaderArray(kind)) AddOne(h);
}

bool TGridHeaderList::LoadStandardSet(TQuillmarkList kind) {
  Clear();
  custom_list_read = false;
  flist_type = kind;
  if (!FileExists(CustomFilename(kind)) || !ReadCustomised(kind)) {
    Clear();
    flist_type = kind;
    AppendStandardSet(kind);
  }
  return true;
}

bool TGridHeaderList::ReadCustomised(TQuillmarkList kind) {
  const String fileName = CustomFilename(kind);
  bool ok = false;
  fReadingCustomised = true;
  fCustomisedTooShort = false;
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    ok = ReadFromStream(&stream);
  } catch (const std::exception&) {
    fReadingCustomised = false;
    FaultyFile(fileName);
    Clear();
    return false;
  }
  fReadingCustomised = false;
  // A set of another kind, or a collocate set too short to show, is not taken.
  if (ok && (flist_type != kind || fCustomisedTooShort)) ok = false;
  if (!ok) {
    Clear();
    return false;
  }
  custom_list_read = true;
  return true;
}

bool TGridHeaderList::SaveAsCustomised(const String& fileName) {
  bool ok = false;
  // The run-time columns follow the settings of each run and are added by
  // ReloadAs; saved with the rest, they would come back twice.
  TGridHeaderList saved(flist_type);
  saved.CopyFrom(*this);
  saved.gh_SentinelRec = gh_SentinelRec;
  DeleteRunTimeColumns(saved);
  try {
    TFileReplaceStream stream(fileName);
    ok = stream.Ok() && saved.SaveToStream(&stream) && stream.Commit();
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) FaultyFile(fileName);
  return ok;
}

bool TGridHeaderList::ReadFromStream(TStream* stream) {
  const bool ok = TBaseGridHeaderList::ReadFromStream(stream);
  if (fStreamAccepted && flist_type == lt_collocate_list && Count() < OfficialStandardNOfHeaders[lt_collocate_list]) {
    if (fReadingCustomised)
      fCustomisedTooShort = true;  // the caller falls back to the standard set
    else
      LoadStandardSet(lt_collocate_list);
  }
  return ok;
}

void TGridHeaderList::AddRunTimeColumns(TQuillmarkList kind) {
  const Int32 n = OfficialStandardNOfHeaders[kind];
  if (n < 1) return;
  if (kind == lt_detailed_consistency_list) {
    TGrid_head tpl = GetDatum(n - 1);
    tpl.HelpContext = 2760;
    tpl.numerical = 1;
    tpl.pixel_width96 = static_cast<SmallInt>((CurrentPPI() / 4) * 3);
    const Int32 files = ConsistencyFileColumns(Count());
    for (Int32 f = 1; f <= files; ++f) {
      TGrid_head h = tpl;
      h.heading = IntToStr(f);
      AddOne(h);
    }
  } else if (kind == lt_collocate_list) {
    TGrid_head tpl = GetDatum(n - 1);
    tpl.HelpContext = 2150;
    tpl.hint = LoadResString(&_QMClickToSort);
    tpl.allow_case_change = 1;
    const Int32 left = global_heading_collocate_spans.leftmost;
    const Int32 right = global_heading_collocate_spans.rightmost;
    const Int32 at = std::min(n, Count());
    for (Int32 k = 1; k <= span_Centre - left; ++k) {
      TGrid_head h = tpl;
      h.span = static_cast<TConcordance_span>(span_Centre - k);
      h.heading = LoadResString(&_QML) + IntToStr(k);
      InsertOne(at, h);
    }
    TGrid_head centre = tpl;
    centre.span = span_Centre;
    centre.heading = LoadResString(&_QMCentre);
    AddOne(centre);
    for (Int32 k = 1; k <= right - span_Centre; ++k) {
      TGrid_head h = tpl;
      h.span = static_cast<TConcordance_span>(span_Centre + k);
      h.heading = LoadResString(&_QMR) + IntToStr(k);
      AddOne(h);
    }
  } else {
    return;
  }
  for (Int32 i = n - 1; i < Count(); ++i) Items(i)->data.original_column = static_cast<SmallInt>(i);
}

void TGridHeaderList::ReloadAs(TQuillmarkList kind, bool rounded) {
  Clear();
  LoadStandardSet(kind);
  // A customised set saved with its run-time columns (as earlier saves did)
  // gives them up for those of the present settings.
  if (custom_list_read) DeleteRunTimeColumns(*this);
  AddRunTimeColumns(kind);
  SetDatesTimesRounded(rounded);
}

std::unique_ptr<TGridHeaderList> TGridHeaderList::ACopyOfBaseHeadings(TQuillmarkList kind, bool rounded) {
  auto list = std::make_unique<TGridHeaderList>(kind);
  list->ReloadAs(kind, rounded);
  return list;
}

Int32 TGridHeaderList::StandardNumberOfColumns() const {
  if (static_cast<int>(flist_type) >= TQuillmarkList_Count) return 0;
  Int32 n = OfficialStandardNOfHeaders[flist_type];
  if (flist_type == lt_detailed_consistency_list) n += ConsistencyFileColumns(n);
  if (flist_type == lt_collocate_list) {
    const Int32 left = global_heading_collocate_spans.leftmost;
    const Int32 right = global_heading_collocate_spans.rightmost;
    if (left < span_Centre) n += span_Centre - left;
    if (right > span_Centre) n += right - span_Centre;
  }
  return n;
}

void TGridHeaderList::EnsureMIHeadingsIncludeAllStats() {
  const String dice = LoadResString(&_QMDice);
  for (Int32 i = 0; i < Count(); ++i)
    if (Items(i)->data.heading == dice) return;
  const String relation = LoadResString(&_QMH_DCR_hn_Relation_4_6);
  for (Int32 i = Count() - 1; i >= 0; --i)
    if (Items(i)->data.heading == relation) {
      Delete(i);
      break;
    }
  const auto base = ACopyOfBaseHeadings(lt_collocate_list, false);
  const Int32 at = std::min(2, Count());
  for (Int32 k = C_hn_Dice_6_3; k <= C_hn_DeltaPB_6_13; ++k) InsertOne(at + (k - C_hn_Dice_6_3), base->GetDatum(k));
  ForceSequentialOriginalColumns();
}

void TGridHeaderList::EnsureMIHeadingsIncludeWith() {
  const String with = LoadResString(&_QMH_C_hn_With_6_2);
  const String dice = LoadResString(&_QMDice);
  Int32 lastDice = -1;
  for (Int32 i = 0; i < Count(); ++i) {
    if (Items(i)->data.heading == with) return;
    if (Items(i)->data.heading == dice) lastDice = i;
  }
  if (Count() <= 3 || lastDice < 0) return;
  TGrid_head h = GetDatum(lastDice);
  h.numerical = 0;
  h.heading = with;
  h.hint = LoadResString(&Generalruntime2const::_QMSearchWord);
  h.decimals = 0;
  h.minimum = 0;
  InsertOne(2, h);
  ForceSequentialOriginalColumns();
}

String TGridHeaderList::ColumnTotalData(Int32 col) const {
  if (!Valid(col)) RaiseAssertionFailed(Format(u"aCol index %d (Count = %d)", {col, Count()}), "headingsU", 435);
  const TGrid_head& h = Items(col)->data;
  if (h.numerical == 0) return LoadResString(&_QMNonNumerical);
  String out;
  for (int d = 0; d < TBaseDescriptive_Count; ++d) {
    const auto which = static_cast<TBaseDescriptive>(d);
    if (!out.empty()) out += u"; ";
    // The twelve segment names are "%d/%d" patterns: segment k of 12.
    String name = TBaseDescriptiveStrings[which];
    if (d >= gc_1) name = Format(name, {d - gc_1 + 1, TBaseDescriptive_Count - gc_1});
    out += name + u" = " + FloatToStrF(h.column_data.descriptives[which], ffFixed, 7, 2);
  }
  return out;
}

SK_COUNTER_ONLY_UNIT(Headingsu)

}  // namespace sk
