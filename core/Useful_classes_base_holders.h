// Holders: small objects that each wrap one shared record in their field
// `data`. Those based on TUsefulBaseListObject are items of the owning lists;
// those based on TObject are attached to string-list lines or kept in plain
// pointer lists and are never streamed.
//
// Fixed-size holders stream their record raw, little-endian, field by field in
// declared order; a short read leaves the record as it was and answers false,
// a short write answers false. Holders of strings or arrays release them when
// destroyed.
#pragma once

#include <array>
#include <vector>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_lists.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

// A search word with its flags.
struct TWordAndSearchFlags {
  String wd;
  TMSSearchFlags flags;
};

// One entry of a simple search list: the main word, the value a find counts
// for, the number found (-1 = not yet searched), two context words, the span
// in which they are sought and how many other search words are required.
struct TSearchContextRec {
  TWordAndSearchFlags mainwd;
  Single Value_if_found{};
  Int32 n_found{};
  std::array<TWordAndSearchFlags, 2> context_words{};
  Int32 context_seek_span{};
  Int32 otherSWs_required{};
};

// ---- list items that are not streamed (the base forms: true, nothing moved) ----

class TTwoLongIntHolder : public TUsefulBaseListObject {
 public:
  TTwoLongIntHolder() = default;
  explicit TTwoLongIntHolder(const T2_longint_rec& rec) : data(rec) {}
  T2_longint_rec data{};
};

// The two pointers are not owned.
class TDoublePointerHolder : public TUsefulBaseListObject {
 public:
  TDoublePointerHolder() = default;
  explicit TDoublePointerHolder(const T2_Pointer& rec) : data(rec) {}
  T2_Pointer data{};
};

class TWordFreqAndSourceNumHolder : public TUsefulBaseListObject {
 public:
  TWordFreqAndSourceNumHolder() = default;
  explicit TWordFreqAndSourceNumHolder(const TWordFreqAndSourceNum& rec) : data(rec) {}
  TWordFreqAndSourceNum data{};
};

class TWordAndFreqHolder : public TUsefulBaseListObject {
 public:
  TWordAndFreqHolder() = default;
  explicit TWordAndFreqHolder(const TWordAndFreq& rec) : data(rec) {}
  TWordAndFreq data{};
};

class TDateTimeHolder : public TUsefulBaseListObject {
 public:
  TDateTimeHolder() = default;
  explicit TDateTimeHolder(TDateTime value) : data(value) {}
  TDateTime data{};
};

// ---- fixed-size streamed list items ----------------------------------------------------

// 12 bytes: long0, long1, s.
class T2LongIntAndSingleHolder : public TUsefulBaseListObject {
 public:
  T2LongIntAndSingleHolder() = default;
  explicit T2LongIntAndSingleHolder(const T2LongintAndSingleRec& rec) : data(rec) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 12; }
  T2LongintAndSingleRec data{};
};

// 16 bytes: long0, long1, long2, s.
class T3LongIntAndSingleHolder : public TUsefulBaseListObject {
 public:
  T3LongIntAndSingleHolder() = default;
  explicit T3LongIntAndSingleHolder(const T3LongintAndSingleRec& rec) : data(rec) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 16; }
  T3LongintAndSingleRec data{};
};

// 8 bytes: int, s.
class TIntegerAndSingleHolder : public TUsefulBaseListObject {
 public:
  TIntegerAndSingleHolder() = default;
  explicit TIntegerAndSingleHolder(const TIntegerAndSingleRec& rec) : data(rec) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 8; }
  TIntegerAndSingleRec data{};
};

// 12 bytes: long0, long1, s.
class T2IntsAndSingleHolder : public TUsefulBaseListObject {
 public:
  T2IntsAndSingleHolder() = default;
  explicit T2IntsAndSingleHolder(const T2LongintAndSingleRec& rec) : data(rec) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 12; }
  T2LongintAndSingleRec data{};
};

// 16 bytes: freq, card1, card2, card3.
class TIntegerAnd3CardinalsHolder : public TUsefulBaseListObject {
 public:
  TIntegerAnd3CardinalsHolder() = default;
  explicit TIntegerAnd3CardinalsHolder(const TIntegerAnd3CardinalsRec& rec) : data(rec) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 16; }
  TIntegerAnd3CardinalsRec data{};
};

class TCardinalHolder : public TUsefulBaseListObject {
 public:
  TCardinalHolder() = default;
  explicit TCardinalHolder(Cardinal value) : data(value) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 4; }
  Cardinal data{};
};

class TInt64Holder : public TUsefulBaseListObject {
 public:
  TInt64Holder() = default;
  explicit TInt64Holder(Int64 value) : data(value) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 8; }
  Int64 data{};
};

// 8 bytes: c, f.
class TCardinalAndFreqHolder : public TUsefulBaseListObject {
 public:
  TCardinalAndFreqHolder() = default;
  explicit TCardinalAndFreqHolder(const TCardinalAndFreq& rec) : data(rec) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 8; }
  TCardinalAndFreq data{};
};

class TLongIntHolder : public TUsefulBaseListObject {
 public:
  TLongIntHolder() = default;
  explicit TLongIntHolder(Int32 value) : data(value) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 4; }
  Int32 data{};
};

class TSingleHolder : public TUsefulBaseListObject {
 public:
  TSingleHolder() = default;
  explicit TSingleHolder(Single value) : data(value) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 4; }
  Single data{};
};

// Holds a Double made from a Single: the value given is rounded to single
// precision and then widened.
class TDoubleHolder : public TUsefulBaseListObject {
 public:
  TDoubleHolder() = default;
  explicit TDoubleHolder(Single value) : data(static_cast<Double>(value)) {}
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 8; }
  Double data{};
};

// int1 and int2 (8 bytes), then s1 and s2 as stored strings.
class T2StringsAnd2IntegersHolder : public TUsefulBaseListObject {
 public:
  T2StringsAnd2IntegersHolder() = default;
  explicit T2StringsAnd2IntegersHolder(const T2StringsAnd2IntegersRec& rec) : data(rec) {}
  // False when the integers or either string's count cannot be read; a string
  // that fails the stored-string checks raises the stored-string exception.
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;
  Int64 MinStreamSize() const override { return 16; }
  T2StringsAnd2IntegersRec data{};
};

// ---- objects of string-list lines and plain pointer lists (never streamed) ----

class TStringAndMeanAndSD_recHolder : public TObject {
 public:
  TStringAndMeanAndSD_recHolder() = default;
  explicit TStringAndMeanAndSD_recHolder(const TStringAndMeanAndSD_rec& rec) : data(rec) {}
  TStringAndMeanAndSD_rec data{};
};

class TStringAndIntegerHolder : public TObject {
 public:
  TStringAndIntegerHolder() = default;
  explicit TStringAndIntegerHolder(const TStringAndIntegerRec& rec) : data(rec) {}
  TStringAndIntegerRec data{};
};

class TStringHolder : public TObject {
 public:
  TStringHolder() = default;
  explicit TStringHolder(const String& s) : data(s) {}
  String data;
};

// Created with one element holding the value given.
class TSingleArrHolder : public TObject {
 public:
  TSingleArrHolder() = default;
  explicit TSingleArrHolder(Single value) : data{value} {}
  std::vector<Single> data;
};

// The field is `int` in the record's own naming; int_ here, int being a
// keyword.
class TSmallIntHolder : public TObject {
 public:
  TSmallIntHolder() = default;
  explicit TSmallIntHolder(SmallInt value) : int_(value) {}
  SmallInt int_{};
};

class TPublicIntegerHolder : public TObject {
 public:
  TPublicIntegerHolder() = default;
  explicit TPublicIntegerHolder(Int32 value) : data(value) {}
  Int32 data{};
};

class TSearchContextHolder : public TObject {
 public:
  TSearchContextHolder() = default;
  explicit TSearchContextHolder(const TSearchContextRec& rec) : data(rec) {}
  TSearchContextRec data{};
};

class TMySearchRecHolder : public TObject {
 public:
  TMySearchRecHolder() = default;
  explicit TMySearchRecHolder(const TMySearchRec& rec) : data(rec) {}
  TMySearchRec data{};
};

}  // namespace sk
