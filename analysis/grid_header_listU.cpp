#include "analysis/grid_header_listU.h"

#include <cstring>

#include "core/Generalruntime2const.h"
#include "core/Qm_specific_consts.h"
#include "core/Stringtag_utils.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"
#include "services/Monitor_functions.h"

namespace sk {

namespace {

constexpr const char* kSource = "grid_header_listU";

// The padding bytes of the raw part (after output_case, escondido and
// previous_decimals): always written as zero.
constexpr size_t kPaddingOffsets[] = {3, 95, 103};

}  // namespace

std::array<Byte, GridHeadRawSize> GridHeadRawBytes(const TGrid_head_fixed& rec) {
  static_assert(sizeof(TGrid_head_fixed) == GridHeadRawSize);
  static_assert(std::endian::native == std::endian::little, "the raw part is stored as held");
  std::array<Byte, GridHeadRawSize> bytes{};
  std::memcpy(bytes.data(), &rec, GridHeadRawSize);
  for (size_t at : kPaddingOffsets) bytes[at] = 0;
  return bytes;
}

// ---- TGridHeaderHolder ---------------------------------------------------------

bool TGridHeaderHolder::SaveToStream(TStream* stream, const TBaseGridHeaderList*) const {
  const auto bytes = GridHeadRawBytes(data);
  const bool raw = stream->Write(bytes.data(), GridHeadRawSize) == GridHeadRawSize;
  const bool hint = WriteAString(stream, data.hint);
  const bool heading = WriteAString(stream, data.heading);
  return raw && hint && heading;
}

bool TGridHeaderHolder::ReadFromStream(TStream* stream, const TBaseGridHeaderList* list) {
  std::array<Byte, GridHeadRawSize> bytes{};
  const bool ok = stream->Read(bytes.data(), GridHeadRawSize) == GridHeadRawSize;
  if (ok) std::memcpy(static_cast<TGrid_head_fixed*>(&data), bytes.data(), GridHeadRawSize);
  data.hint = ReadAListString(stream);
  data.heading = ReadAListString(stream);
  if (ok && list != nullptr && list->gh_SentinelRec.gh_version < 2) {
    if (data.numerical != 0) {
      if (data.decimals != 0) data.columntype = ct_float;
      if (data.heading == u"%") data.percent_data = 1;
    } else if (data.columntype == ct_integer) {
      data.columntype = data.heading == u"Date" ? ct_date : ct_string;
    }
  }
  return ok;
}

// ---- TBaseGridHeaderList -------------------------------------------------------

TBaseGridHeaderList::TBaseGridHeaderList(TQuillmarkList kind) : flist_type(kind) {
  gh_SentinelRec.gh_version = 1;
  gh_SentinelRec.gh_sentinel = sentinel_const;
}

TBaseGridHeaderList::~TBaseGridHeaderList() = default;

TGridHeaderHolder* TBaseGridHeaderList::Items(Int32 i) const {
  if (!Valid(i)) RaiseListIndexError(i);
  return fItems[static_cast<size_t>(i)].get();
}

void TBaseGridHeaderList::SetListType(TQuillmarkList kind) {
  if (kind == flist_type) return;
  flist_type = kind;
  Clear();
}

TGrid_head TBaseGridHeaderList::GetDatum(Int32 i) const {
  if (!Valid(i)) return TGrid_head{};
  return fItems[static_cast<size_t>(i)]->data;
}

void TBaseGridHeaderList::SetDatum(Int32 i, const TGrid_head& rec) {
  if (Valid(i)) fItems[static_cast<size_t>(i)]->data = rec;
}

Int32 TBaseGridHeaderList::AddOne(const TGrid_head& rec) {
  fItems.push_back(std::make_unique<TGridHeaderHolder>(rec));
  return Count() - 1;
}

Int32 TBaseGridHeaderList::InsertOne(Int32 i, const TGrid_head& rec) {
  if (i < 0 || i > Count()) RaiseListIndexError(i);
  fItems.insert(fItems.begin() + i, std::make_unique<TGridHeaderHolder>(rec));
  return i;
}

void TBaseGridHeaderList::Delete(Int32 i) {
  if (!Valid(i)) RaiseListIndexError(i);
  fItems.erase(fItems.begin() + i);
}

void TBaseGridHeaderList::Clear() { fItems.clear(); }

void TBaseGridHeaderList::CopyFrom(const TBaseGridHeaderList& other) {
  if (&other == this) return;
  Clear();
  for (const auto& h : other.fItems) AddOne(h->data);
  flist_type = other.flist_type;
}

// Tolerant accessors.

String TBaseGridHeaderList::GetColumnName(Int32 i) const { return Valid(i) ? fItems[i]->data.heading : String(); }
void TBaseGridHeaderList::SetColumnName(Int32 i, const String& s) {
  if (Valid(i)) fItems[i]->data.heading = s;
}
bool TBaseGridHeaderList::GetDatumWordWrap(Int32 i) const { return Valid(i) && fItems[i]->data.wordwrap != 0; }
void TBaseGridHeaderList::SetDatumWordWrap(Int32 i, bool b) {
  if (Valid(i)) fItems[i]->data.wordwrap = b ? 1 : 0;
}
TColor TBaseGridHeaderList::GetDatumShowAsPercentColour(Int32 i) const {
  return Valid(i) ? fItems[i]->data.show_as_percent_colour : 0;
}
void TBaseGridHeaderList::SetDatumShowAsPercentColour(Int32 i, TColor c) {
  if (Valid(i)) fItems[i]->data.show_as_percent_colour = c;
}
TQMAlignment TBaseGridHeaderList::GetAlignment(Int32 i) const {
  return Valid(i) ? fItems[i]->data.alignment : aligned_right;
}
void TBaseGridHeaderList::SetAlignment(Int32 i, TQMAlignment a) {
  if (Valid(i)) fItems[i]->data.alignment = a;
}
bool TBaseGridHeaderList::GetANumerical(Int32 i) const { return Valid(i) && fItems[i]->data.numerical != 0; }
void TBaseGridHeaderList::SetANumerical(Int32 i, bool b) {
  if (Valid(i)) fItems[i]->data.numerical = b ? 1 : 0;
}
Int32 TBaseGridHeaderList::GetPixelSize(Int32 i) const {
  return Valid(i) ? fItems[i]->data.pixel_width96 : CurrentPPI();
}
void TBaseGridHeaderList::SetPixelSize(Int32 i, Int32 n) {
  if (Valid(i)) fItems[i]->data.pixel_width96 = static_cast<SmallInt>(n);
}
bool TBaseGridHeaderList::GetHidden(Int32 i) const { return Valid(i) && fItems[i]->data.escondido != 0; }
void TBaseGridHeaderList::SetHidden(Int32 i, bool b) {
  if (Valid(i)) fItems[i]->data.escondido = b ? 1 : 0;
}
Int32 TBaseGridHeaderList::OriginalColumnNumber(Int32 i) const {
  return Valid(i) ? fItems[i]->data.original_column : -1;
}

// Checked accessors.

void TBaseGridHeaderList::CheckIndex(Int32 i, Int32 line) const {
  if (!Valid(i)) RaiseAssertionFailed(Format(u"header index %d (Count = %d)", {i, Count()}), kSource, line);
}

String TBaseGridHeaderList::GetAHeading(Int32 i) const {
  CheckIndex(i, 541);
  return fItems[i]->data.heading;
}
void TBaseGridHeaderList::SetAHeading(Int32 i, const String& s) {
  CheckIndex(i, 548);
  fItems[i]->data.heading = s;
}
Byte TBaseGridHeaderList::GetPreviousDecimals(Int32 i) const {
  CheckIndex(i, 555);
  return fItems[i]->data.previous_decimals;
}
void TBaseGridHeaderList::SetPreviousDecimals(Int32 i, Byte n) {
  CheckIndex(i, 578);
  fItems[i]->data.previous_decimals = n;
}
Byte TBaseGridHeaderList::GetDecimals(Int32 i) const {
  CheckIndex(i, 585);
  return fItems[i]->data.decimals;
}
void TBaseGridHeaderList::SetDecimals(Int32 i, Byte n) {
  CheckIndex(i, 592);
  fItems[i]->data.decimals = n;
}
TEditable TBaseGridHeaderList::GetEditable(Int32 i) const {
  CheckIndex(i, 599);
  return fItems[i]->data.editable;
}
bool TBaseGridHeaderList::GetHasSortedThisRun(Int32 i) const {
  CheckIndex(i, 606);
  return fItems[i]->data.user_has_sorted_this_run != 0;
}
TOutput_results_case TBaseGridHeaderList::GetOutputCase(Int32 i) const {
  CheckIndex(i, 614);
  return fItems[i]->data.output_case;
}
void TBaseGridHeaderList::SetOutputCase(Int32 i, TOutput_results_case c) {
  CheckIndex(i, 622);
  fItems[i]->data.output_case = c;
}
void TBaseGridHeaderList::SetEditable(Int32 i, TEditable e) {
  CheckIndex(i, 630);
  fItems[i]->data.editable = e;
}
void TBaseGridHeaderList::SetHasSortedThisRun(Int32 i, bool b) {
  CheckIndex(i, 638);
  fItems[i]->data.user_has_sorted_this_run = b ? 1 : 0;
}
TGridColumnDataRec TBaseGridHeaderList::GetColumnData(Int32 i) const {
  CheckIndex(i, 645);
  return fItems[i]->data.column_data;
}
void TBaseGridHeaderList::SetColumnData(Int32 i, const TGridColumnDataRec& rec) {
  CheckIndex(i, 653);
  fItems[i]->data.column_data = rec;
}

// Whole-list operations.

Int32 TBaseGridHeaderList::IndexOfHeader(const String& text) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (AnsiSameText(fItems[i]->data.heading, text)) return i;
  return -1;
}

Int32 TBaseGridHeaderList::CurrentColumnNumber(Int32 orig) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (fItems[i]->data.original_column == orig) return i;
  return -1;
}

void TBaseGridHeaderList::ForceSequentialOriginalColumns() {
  for (Int32 i = 0; i < Count(); ++i) fItems[i]->data.original_column = static_cast<SmallInt>(i);
}

void TBaseGridHeaderList::SetDatesTimesRounded(bool rounded) {
  for (auto& h : fItems) h->data.timelinerounded = rounded ? 1 : 0;
}

void TBaseGridHeaderList::SetMainSortColumn(Int32 col, T3Bool state) {
  for (Int32 i = 0; i < Count(); ++i) fItems[i]->data.SortStateAscending = i == col ? state : b3_undefined;
}

Int32 TBaseGridHeaderList::LastVisibleColumn() const {
  for (Int32 i = Count() - 1; i >= 0; --i)
    if (fItems[i]->data.escondido == 0) return i;
  return 0;
}

Int32 TBaseGridHeaderList::VisibleColumnCount() const {
  Int32 n = 0;
  for (const auto& h : fItems)
    if (h->data.escondido == 0) ++n;
  return n;
}

void TBaseGridHeaderList::Warn(const String& text) {
  MessageBoxW(nullptr, LoadResString(&_QMWarning), text, MB_OK | MB_ICONEXCLAMATION);
}

std::unique_ptr<TVisibleHeaderInfoList> TBaseGridHeaderList::CurrentHeadersList() const {
  auto list = std::make_unique<TVisibleHeaderInfoList>();
  for (Int32 i = 1; i < Count(); ++i) {
    const TGrid_head& h = fItems[i]->data;
    if (h.escondido != 0) continue;
    TSearchHeaderInfoRec info{};
    info.concordance_data = h.alignment == aligned_conc;
    info.columntype = h.numerical != 0 ? ct_float : ct_string;
    info.original_Col_num = h.original_column;
    info.data_index = i;
    list->AddOne(h.heading, info);
  }
  return list;
}

// The stream.

bool TBaseGridHeaderList::SaveToStream(TStream* stream) {
  gh_SentinelRec.gh_sentinel = sentinel_const;
  if (gh_SentinelRec.gh_version < 2) gh_SentinelRec.gh_version = 2;
  const Int32 version = gh_SentinelRec.gh_version;
  const Int32 sentinel = gh_SentinelRec.gh_sentinel;
  const Byte kind = static_cast<Byte>(flist_type);
  const Int32 count = Count();
  bool ok = stream->Write(&version, 4) == 4 && stream->Write(&sentinel, 4) == 4 && stream->Write(&kind, 1) == 1 &&
            stream->Write(&count, 4) == 4;
  if (!ok) return false;
  for (const auto& h : fItems)
    if (!h->SaveToStream(stream, this)) ok = false;
  return ok;
}

bool TBaseGridHeaderList::ReadFromStream(TStream* stream) {
  Clear();
  fStreamAccepted = false;
  Int32 version = 0;
  Int32 sentinel = 0;
  Byte kind = 0;
  if (stream->Read(&version, 4) != 4 || stream->Read(&sentinel, 4) != 4 || stream->Read(&kind, 1) != 1) return false;
  if (sentinel != sentinel_const || kind >= TQuillmarkList_Count) return false;
  Int32 count = 0;
  if (stream->Read(&count, 4) != 4) return false;
  if (count < 0 || count > MaxGridHeadings) return false;
  fStreamAccepted = true;
  flist_type = static_cast<TQuillmarkList>(kind);
  gh_SentinelRec.gh_version = version;
  gh_SentinelRec.gh_sentinel = sentinel;
  bool ok = true;
  fItems.reserve(static_cast<size_t>(count));
  for (Int32 i = 0; i < count; ++i) {
    fItems.push_back(std::make_unique<TGridHeaderHolder>());
    if (ok) ok = fItems.back()->ReadFromStream(stream, this);
  }
  return ok;
}

// ---- TVisibleHeaderInfoList ----------------------------------------------------

TVisibleHeaderInfoList::~TVisibleHeaderInfoList() { Clear(); }

Int32 TVisibleHeaderInfoList::AddOne(const String& text, const TSearchHeaderInfoRec& info) {
  return AddHeld<THeaderInfoHolder>(text, info);
}

TSearchHeaderInfoRec TVisibleHeaderInfoList::GetAHeaderInfo(Int32 i) const {
  const THeaderInfoHolder* h = HeldAt<THeaderInfoHolder>(i);
  return h != nullptr ? h->data : TSearchHeaderInfoRec{};
}

void TVisibleHeaderInfoList::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

SK_COUNTER_ONLY_UNIT(grid_header_listU)

}  // namespace sk
