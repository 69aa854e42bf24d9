#include "core/Useful_classes_base_records.h"

#include <utility>

#include "core/Basic_processes.h"
#include "core/Stringtag_utils.h"
#include "core/Useful_classes_base_compare.h"
#include "core/Useful_classes_base_numeric.h"
#include "core/Useful_classes_base_raw.h"
#include "platform/runtime/RtlMath.h"

namespace sk {

using raw_detail::Get;
using raw_detail::Put;
using raw_detail::ReadBytes;
using raw_detail::WriteBytes;

// ---- TStringTrueColumnAndColourHolder ------------------------------------------------------

bool TStringTrueColumnAndColourHolder::ReadFromStream(TStream* stream) {
  Byte b[8];
  if (!ReadBytes(stream, b, 8)) return false;
  data.true_column_number = Get<Int32>(b);
  data.background_colour = Get<Int32>(b + 4);
  // Without a whole count the string would read as empty: a cut item.
  if (stream->Remaining() < 4) return false;
  data.s = ReadAListString(stream);
  return true;
}

bool TStringTrueColumnAndColourHolder::SaveToStream(TStream* stream) {
  Byte b[8];
  Put(b, data.true_column_number);
  Put(b + 4, data.background_colour);
  if (!WriteBytes(stream, b, 8)) return false;
  return WriteAString(stream, data.s);
}

// ---- TStringColumnAndColourList -------------------------------------------------------------

TStringColumnAndColourList::TStringColumnAndColourList()
    : TUsefulBaseList(&NewUsefulBaseListObject<TStringTrueColumnAndColourHolder>) {}

Int32 TStringColumnAndColourList::AddOne(const TStringTrueColumnAndColourRec& rec) {
  return AddItem(std::make_unique<TStringTrueColumnAndColourHolder>(rec));
}

Int32 TStringColumnAndColourList::GetATrueColumn(Int32 i) const {
  const auto* h = static_cast<const TStringTrueColumnAndColourHolder*>(Items(i));
  return h != nullptr ? h->data.true_column_number : -1;
}

void TStringColumnAndColourList::SetATrueColumn(Int32 i, Int32 n) {
  if (auto* h = static_cast<TStringTrueColumnAndColourHolder*>(Items(i))) h->data.true_column_number = n;
}

Int32 TStringColumnAndColourList::GetABackgroundColour(Int32 i) const {
  const auto* h = static_cast<const TStringTrueColumnAndColourHolder*>(Items(i));
  return h != nullptr ? h->data.background_colour : -1;
}

void TStringColumnAndColourList::SetABackgroundColour(Int32 i, Int32 colour) {
  if (auto* h = static_cast<TStringTrueColumnAndColourHolder*>(Items(i))) h->data.background_colour = colour;
}

String TStringColumnAndColourList::GetAString(Int32 i) const {
  const auto* h = static_cast<const TStringTrueColumnAndColourHolder*>(Items(i));
  return h != nullptr ? h->data.s : String();
}

void TStringColumnAndColourList::SetAString(Int32 i, const String& s) {
  if (auto* h = static_cast<TStringTrueColumnAndColourHolder*>(Items(i))) h->data.s = s;
}

TStringTrueColumnAndColourRec TStringColumnAndColourList::GetAStringColumnAndColour(Int32 i) const {
  const auto* h = static_cast<const TStringTrueColumnAndColourHolder*>(Items(i));
  return h != nullptr ? h->data : TStringTrueColumnAndColourRec{};
}

void TStringColumnAndColourList::SetAStringColumnAndColour(Int32 i, const TStringTrueColumnAndColourRec& rec) {
  if (auto* h = static_cast<TStringTrueColumnAndColourHolder*>(Items(i))) h->data = rec;
}

Int32 TStringColumnAndColourList::IndexOfTrueColumn(Int32 n) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (IndexAssignedOK(i) && GetATrueColumn(i) == n) return i;
  return -1;
}

// ---- T2StringsAnd2IntegersList --------------------------------------------------------------

T2StringsAnd2IntegersList::T2StringsAnd2IntegersList()
    : TUsefulBaseList(&NewUsefulBaseListObject<T2StringsAnd2IntegersHolder>) {}

Int32 T2StringsAnd2IntegersList::AddOne(const T2StringsAnd2IntegersRec& rec) {
  return AddItem(std::make_unique<T2StringsAnd2IntegersHolder>(rec));
}

T2StringsAnd2IntegersRec T2StringsAnd2IntegersList::GetTwoStringsAndInt(Int32 i) const {
  const auto* h = static_cast<const T2StringsAnd2IntegersHolder*>(Items(i));
  return h != nullptr ? h->data : T2StringsAnd2IntegersRec{};
}

// ---- TDoublePointerList ---------------------------------------------------------------------

TDoublePointerList::TDoublePointerList() : TUsefulBaseList(&NewUsefulBaseListObject<TDoublePointerHolder>) {}

Int32 TDoublePointerList::AddOne(const T2_Pointer& rec) {
  return AddItem(std::make_unique<TDoublePointerHolder>(rec));
}

T2_Pointer TDoublePointerList::GetADoublePointer(Int32 i) const {
  const auto* h = static_cast<const TDoublePointerHolder*>(Items(i));
  return h != nullptr ? h->data : T2_Pointer{};
}

void TDoublePointerList::SetADoublePointer(Int32 i, const T2_Pointer& rec) {
  if (auto* h = static_cast<TDoublePointerHolder*>(Items(i))) h->data = rec;
}

// ---- TIntegerAnd3CardinalsList --------------------------------------------------------------

TIntegerAnd3CardinalsList::TIntegerAnd3CardinalsList()
    : TUsefulBaseList(&NewUsefulBaseListObject<TIntegerAnd3CardinalsHolder>) {}

Int32 TIntegerAnd3CardinalsList::AddOne(const TIntegerAnd3CardinalsRec& rec) {
  return AddItem(std::make_unique<TIntegerAnd3CardinalsHolder>(rec));
}

TIntegerAnd3CardinalsRec TIntegerAnd3CardinalsList::GetAValue(Int32 i) const {
  const auto* h = static_cast<const TIntegerAnd3CardinalsHolder*>(Items(i));
  return h != nullptr ? h->data : TIntegerAnd3CardinalsRec{};
}

void TIntegerAnd3CardinalsList::SetAFreq(Int32 i, Int32 n) {
  if (auto* h = static_cast<TIntegerAnd3CardinalsHolder*>(Items(i))) h->data.freq = n;
}

void TIntegerAnd3CardinalsList::SortAscendingDefault() { SortItems(SortIntegerAnd3CardinalsFreq); }

// ---- TSmallintList --------------------------------------------------------------------------

TSmallIntHolder* TSmallintList::Items(Int32 i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return fItems[static_cast<size_t>(i)].get();
}

Int32 TSmallintList::Add(std::unique_ptr<TSmallIntHolder> item) {
  fItems.push_back(std::move(item));
  return Count() - 1;
}

void TSmallintList::Clear() {
  // By index, rechecked after each yield: a host that changes the list from
  // its yield hook must not leave this loop holding a stale iterator.
  TTimedYield yield;
  for (size_t k = 0; k < fItems.size(); ++k) {
    yield.Tick();
    if (k < fItems.size()) fItems[k].reset();
  }
  fItems.clear();
}

bool TSmallintList::ReadFromStream(Int32 count, TStream* stream) {
  if (count <= 0) return true;
  if (stream == nullptr || static_cast<Int64>(count) > stream->Remaining() / 2) return false;
  TTimedYield yield;
  for (Int32 k = 0; k < count; ++k) {
    yield.Tick();
    Byte b[2];
    if (!ReadBytes(stream, b, 2)) return false;
    fItems.push_back(std::make_unique<TSmallIntHolder>(Get<SmallInt>(b)));
  }
  return true;
}

bool TSmallintList::SaveToStream(TStream* stream) {
  TTimedYield yield;
  for (size_t k = 0; k < fItems.size(); ++k) {
    yield.Tick();
    if (k >= fItems.size()) break;  // the host emptied the list meanwhile
    const TSmallIntHolder* item = fItems[k].get();
    Byte b[2];
    Put(b, item != nullptr ? item->int_ : SmallInt{0});
    if (!WriteBytes(stream, b, 2)) return false;
  }
  return true;
}

// ---- stand-alone helpers -------------------------------------------------------------------

void ExchangeTwoDoubleCardinalRecs(Tdouble_cardinal_rec& a, Tdouble_cardinal_rec& b) { std::swap(a, b); }
void ExchangeTwoDoubleLongintRecs(T2_longint_rec& a, T2_longint_rec& b) { std::swap(a, b); }
void ExchangeTwoSmallAndLongRecs(TSmall_and_long_rec& a, TSmall_and_long_rec& b) { std::swap(a, b); }
void ExchangeTwoPointerAnd2CardinalsRecs(TPointerAnd2CardinalsRec& a, TPointerAnd2CardinalsRec& b) {
  std::swap(a, b);
}
void ExchangeTwoIndexAndPointerRecs(TIndexAndPointerRec& a, TIndexAndPointerRec& b) { std::swap(a, b); }

TIntegerAndSingleRec IntegerAndSingleForScoringRecToIntegerAndSingleRec(const TIntegerAndSingleForScoringRec& r) {
  return TIntegerAndSingleRec{r.n, r.score};
}

TIntegerAndSingleForScoringRec IntegerAndSingleRecToIntegerAndSingleForScoringRec(const TIntegerAndSingleRec& r) {
  return TIntegerAndSingleForScoringRec{r.int_, r.s};
}

std::vector<Int64> ComputedByteDivisions(Int64 total, Int32 n) {
  std::vector<Int64> out;
  if (n < 1) return out;
  const auto step = static_cast<Single>(static_cast<Double>(total) / static_cast<Double>(n));
  out.reserve(static_cast<size_t>(n));
  for (Int32 i = 0; i < n; ++i) out.push_back(Round(static_cast<Double>(i + 1) * static_cast<Double>(step)));
  return out;
}

std::vector<TStringIntegerAndColumnTypeRec> HeadersOfN(const std::vector<String>& headings,
                                                       const std::vector<TColumnType>& columnTypes,
                                                       const std::vector<Int32>& widths) {
  std::vector<TStringIntegerAndColumnTypeRec> out(headings.size());
  Int64 sum = 0;
  for (size_t k = 0; k < headings.size(); ++k) {
    out[k].s = headings[k];
    if (k < columnTypes.size()) out[k].ColumnType = columnTypes[k];
    if (k < widths.size()) {
      out[k].i = widths[k];
      sum += widths[k];
    }
  }
  if (!out.empty()) out.back().i = static_cast<Int32>(100 - (sum < 99 ? sum : 99));
  return out;
}

}  // namespace sk
