// Plain record lists (owning lists without a sorted mark), the list of
// small-integer holders, and the stand-alone helpers that go with the typed
// lists: record exchanges and conversions, byte divisions and column headers.
#pragma once

#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_lists.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

enum TWhichOf3 : uint8_t { on_intg1, on_intg2, on_intg3 };

// A column's true number, its background colour and its text. Stream form:
// true_column_number and background_colour as Int32, then s as a stored
// string. A default-made holder is blank (zeros and an empty string).
class TStringTrueColumnAndColourHolder : public TUsefulBaseListObject {
 public:
  TStringTrueColumnAndColourHolder() = default;
  explicit TStringTrueColumnAndColourHolder(const TStringTrueColumnAndColourRec& rec) : data(rec) {}
  static std::unique_ptr<TStringTrueColumnAndColourHolder> Create(const TStringTrueColumnAndColourRec& rec) {
    return std::make_unique<TStringTrueColumnAndColourHolder>(rec);
  }
  static std::unique_ptr<TStringTrueColumnAndColourHolder> CreateBlank() {
    return std::make_unique<TStringTrueColumnAndColourHolder>();
  }
  // False when the integers or the string's count cannot be read; a string
  // that fails the stored-string checks raises the stored-string exception.
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 12; }
  TStringTrueColumnAndColourRec data{};
};

class TNumberAndTotalHolder : public TObject {
 public:
  TNumberAndTotalHolder() = default;
  explicit TNumberAndTotalHolder(const TNumberAndTotalRec& rec) : data(rec) {}
  TNumberAndTotalRec data{};
};

// Invalid index: -1 for the column and the colour, an empty string, an
// all-zero record.
class TStringColumnAndColourList : public TUsefulBaseList {
 public:
  TStringColumnAndColourList();
  Int32 AddOne(const TStringTrueColumnAndColourRec& rec);
  Int32 GetATrueColumn(Int32 i) const;
  void SetATrueColumn(Int32 i, Int32 n);
  Int32 GetABackgroundColour(Int32 i) const;
  void SetABackgroundColour(Int32 i, Int32 colour);
  String GetAString(Int32 i) const;
  void SetAString(Int32 i, const String& s);
  TStringTrueColumnAndColourRec GetAStringColumnAndColour(Int32 i) const;
  void SetAStringColumnAndColour(Int32 i, const TStringTrueColumnAndColourRec& rec);
  // The first item with that true column number, or -1.
  Int32 IndexOfTrueColumn(Int32 n) const;
  // The list's stream form under the name its callers use.
  bool LoadFromStream(TStream* stream) { return ReadFromStream(stream); }
};

class T2StringsAnd2IntegersList : public TUsefulBaseList {
 public:
  T2StringsAnd2IntegersList();
  Int32 AddOne(const T2StringsAnd2IntegersRec& rec);
  // The item, or an all-zero record.
  T2StringsAnd2IntegersRec GetTwoStringsAndInt(Int32 i) const;
};

// The pointed-to objects are not owned.
class TDoublePointerList : public TUsefulBaseList {
 public:
  TDoublePointerList();
  Int32 AddOne(const T2_Pointer& rec);
  T2_Pointer GetADoublePointer(Int32 i) const;
  void SetADoublePointer(Int32 i, const T2_Pointer& rec);
};

class TIntegerAnd3CardinalsList : public TUsefulBaseList {
 public:
  TIntegerAnd3CardinalsList();
  Int32 AddOne(const TIntegerAnd3CardinalsRec& rec);
  TIntegerAnd3CardinalsRec GetAValue(Int32 i) const;
  void SetAFreq(Int32 i, Int32 n);
  // Ascending on freq read as an unsigned value.
  void SortAscendingDefault();
};

// A list of TSmallIntHolder objects that it owns.
class TSmallintList : public TObject {
 public:
  TSmallintList() = default;
  TSmallintList(const TSmallintList&) = delete;
  TSmallintList& operator=(const TSmallintList&) = delete;
  ~TSmallintList() override = default;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // The holder at i, or nil outside the list.
  TSmallIntHolder* Items(Int32 i) const;
  // Takes ownership; returns the index.
  Int32 Add(std::unique_ptr<TSmallIntHolder> item);
  // Frees every holder, yielding by time, then empties the list.
  void Clear();

  // Reads count SmallInts (2 bytes each, little-endian) and appends a holder
  // for each, yielding by time. False, with nothing added, when count is
  // larger than the stream holds; a negative count reads nothing.
  bool ReadFromStream(Int32 count, TStream* stream);
  // Writes each SmallInt as 2 bytes, no count, yielding by time; false at the
  // first short write (the items written before it stay written).
  bool SaveToStream(TStream* stream);

 private:
  std::vector<std::unique_ptr<TSmallIntHolder>> fItems;
};

// ---- stand-alone helpers -------------------------------------------------------------------

void ExchangeTwoDoubleCardinalRecs(Tdouble_cardinal_rec& a, Tdouble_cardinal_rec& b);
void ExchangeTwoDoubleLongintRecs(T2_longint_rec& a, T2_longint_rec& b);
void ExchangeTwoSmallAndLongRecs(TSmall_and_long_rec& a, TSmall_and_long_rec& b);
void ExchangeTwoPointerAnd2CardinalsRecs(TPointerAnd2CardinalsRec& a, TPointerAnd2CardinalsRec& b);
void ExchangeTwoIndexAndPointerRecs(TIndexAndPointerRec& a, TIndexAndPointerRec& b);

TIntegerAndSingleRec IntegerAndSingleForScoringRecToIntegerAndSingleRec(const TIntegerAndSingleForScoringRec& r);
TIntegerAndSingleForScoringRec IntegerAndSingleRecToIntegerAndSingleForScoringRec(const TIntegerAndSingleRec& r);

// n boundaries dividing total: with step = total / n held as a Single,
// element i is Round((i + 1) * step) (halves to even). The last element is
// total up to the precision of the Single step. An n below 1 gives none.
std::vector<Int64> ComputedByteDivisions(Int64 total, Int32 n);

// One element per heading: heading k, column type k and width k where those
// arrays reach k; then the last element's width becomes 100 - min(S, 99),
// S being the sum of the widths taken. Widths are percentages of the whole.
std::vector<TStringIntegerAndColumnTypeRec> HeadersOfN(const std::vector<String>& headings,
                                                       const std::vector<TColumnType>& columnTypes,
                                                       const std::vector<Int32>& widths);

}  // namespace sk
