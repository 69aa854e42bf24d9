// Lists whose items are rows of one to six Int32 columns, with column access,
// search by halving and sorts on up to three columns.
//
// Stream form: the sortable-list form (Int32 count, `sorted` byte) with each
// row as exactly `tamanho` little-endian Int32 and no per-row prefix. The row
// width is not stored: a stream must be read by a list of the width that wrote
// it.
#pragma once

#include <vector>

#include "core/Useful_classes_base_lists.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

// The number of integers in a row (tml_1 .. tml_6), and also a column number
// (tml_0 is column 0 .. tml_5 column 5).
enum TMultiLongintSize : uint8_t { tml_0, tml_1, tml_2, tml_3, tml_4, tml_5, tml_6 };

// The answer of the getters for a row or column that does not exist.
inline constexpr Int32 MultiLongintNoValue = -999999;

struct TMultiLongintRec {
  std::vector<Int32> dados;
};

class TMultiLongintHolder : public TUsefulBaseListObject {
 public:
  TMultiLongintHolder() = default;
  explicit TMultiLongintHolder(const TMultiLongintRec& row) : data(row) {}

  // True when the row is longer than the column number.
  bool LengthOK(TMultiLongintSize col) const;
  // Sets the row length to global_temp_int (a negative value counts as 0),
  // then reads that many Int32; false at the first short read.
  bool ReadFromStream(TStream* stream) override;
  // Writes every Int32 of the row; false at the first short write.
  bool SaveToStream(TStream* stream) override;

  TMultiLongintRec data;
};

class TMultiLongintList : public TUsefulBaseListSorts {
 public:
  explicit TMultiLongintList(TMultiLongintSize width);

  // Appends a row of `tamanho` integers: the first values given, the rest 0
  // (extra values are dropped); returns its index.
  Int32 AddOne(const std::vector<Int32>& values);
  // The same, inserted at i (0..Count); returns i.
  Int32 InsertOne(Int32 i, const std::vector<Int32>& values);

  bool WithinRange(Int32 i, TMultiLongintSize col) const;
  // The value, or MultiLongintNoValue when not WithinRange.
  Int32 GetAValue(Int32 i, TMultiLongintSize col) const;
  // These change the value only when WithinRange.
  void SetAValue(Int32 i, TMultiLongintSize col, Int32 v);
  void AddToOneFreq(Int32 i, Int32 delta, TMultiLongintSize col);
  void IncOne(Int32 i, TMultiLongintSize col);

  // -1 for an empty list or when row 0 is shorter than the column. On a list
  // sorted on that column: Find; otherwise the first match of a scan from 0
  // that yields by time.
  Int32 IndexOf(Int32 value, TMultiLongintSize col);
  // Search by halving on a list ascending on col: the index of a matching
  // row (the first one probed, not necessarily the lowest) or -1. Records
  // each probe in `nearest`; yields by time.
  Int32 Find(Int32 value, TMultiLongintSize col);

  // Ascending sorts on one to three columns, earlier columns first. They mark
  // the list sorted, with lookups by halving on col1.
  void SingleSort(TMultiLongintSize col1);
  void DoubleSort(TMultiLongintSize col1, TMultiLongintSize col2);
  void TripleSort(TMultiLongintSize col1, TMultiLongintSize col2, TMultiLongintSize col3);
  // The column that lookups by halving may use while the list is sorted.
  TMultiLongintSize SortedOn() const { return fSortedOn; }

  std::vector<Int32> ToArrayOfInteger(TMultiLongintSize col) const;
  // The column's sum as a 32-bit integer (wrapping on overflow); 0 for a
  // column beyond the width.
  Int32 TotalOf(TMultiLongintSize col) const;
  // True when the two arrays have the same length and elements.
  static bool SameValues(const std::vector<Int32>& a, const std::vector<Int32>& b);

  // Publishes tamanho in global_temp_int for the rows, then reads as a
  // sortable list. A stream read by a list of another width gives other rows.
  bool ReadFromStream(TStream* stream) override;

  TMultiLongintSize tamanho = tml_1;

 protected:
  // Items are always TMultiLongintHolder rows; descendants may name a class
  // derived from it.
  TMultiLongintList(TUsefulBaseListObjectClass entriesClass, TMultiLongintSize width);
  Int64 MinItemStreamSize() override { return 4 * static_cast<Int64>(tamanho); }
  // Orders on the column lookups use.
  Int32 KeyOrder(Int32 i, Int32 j) override;
  TMultiLongintHolder* Row(Int32 i) const;
  Int32* Cell(Int32 i, TMultiLongintSize col) const;
  // The row made from values as AddOne makes it.
  TMultiLongintRec RowOf(const std::vector<Int32>& values) const;
  // Sorts on the columns given (a sort on columns beyond the width reads
  // MultiLongintNoValue there).
  void SortOnColumns(const std::vector<TMultiLongintSize>& cols);

  TMultiLongintSize fSortedOn = tml_0;
};

}  // namespace sk
