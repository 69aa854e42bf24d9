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

// ---- the shapes the holders share ---------------------------------------------------

// A list item holding one record in `data`; it streams nothing (the base forms:
// true, nothing moved).
template <class TRec>
class TRecordHolder : public TUsefulBaseListObject {
 public:
  TRecordHolder() = default;
  explicit TRecordHolder(const TRec& rec) : data(rec) {}
  TRec data{};
};

namespace holder_detail {

// The raw stream forms of the records that fixed-size holders stream: each
// field little-endian, in declared order. A short read leaves the record as it
// was and answers false; a short write answers false.
bool ReadRaw(TStream* stream, T2LongintAndSingleRec& data);
bool SaveRaw(TStream* stream, const T2LongintAndSingleRec& data);
bool ReadRaw(TStream* stream, T3LongintAndSingleRec& data);
bool SaveRaw(TStream* stream, const T3LongintAndSingleRec& data);
bool ReadRaw(TStream* stream, TIntegerAndSingleRec& data);
bool SaveRaw(TStream* stream, const TIntegerAndSingleRec& data);
bool ReadRaw(TStream* stream, TIntegerAnd3CardinalsRec& data);
bool SaveRaw(TStream* stream, const TIntegerAnd3CardinalsRec& data);
bool ReadRaw(TStream* stream, TCardinalAndFreq& data);
bool SaveRaw(TStream* stream, const TCardinalAndFreq& data);
bool ReadRaw(TStream* stream, Cardinal& data);
bool SaveRaw(TStream* stream, const Cardinal& data);
bool ReadRaw(TStream* stream, Int32& data);
bool SaveRaw(TStream* stream, const Int32& data);
bool ReadRaw(TStream* stream, Int64& data);
bool SaveRaw(TStream* stream, const Int64& data);
bool ReadRaw(TStream* stream, Single& data);
bool SaveRaw(TStream* stream, const Single& data);
bool ReadRaw(TStream* stream, Double& data);
bool SaveRaw(TStream* stream, const Double& data);

}  // namespace holder_detail

// A list item holding one fixed-size record in `data` and streaming it raw in
// Size bytes.
template <class TRec, Int64 Size>
class TRawRecordHolder : public TUsefulBaseListObject {
 public:
  TRawRecordHolder() = default;
  explicit TRawRecordHolder(const TRec& rec) : data(rec) {}
  bool ReadFromStream(TStream* stream) override { return holder_detail::ReadRaw(stream, data); }
  bool SaveToStream(TStream* stream) override { return holder_detail::SaveRaw(stream, data); }
  Int64 MinStreamSize() const override { return Size; }
  TRec data{};
};

// An object of a string-list line or of a plain pointer list holding one
// record in `data` (never streamed).
template <class TRec>
class TObjectRecordHolder : public TObject {
 public:
  TObjectRecordHolder() = default;
  explicit TObjectRecordHolder(const TRec& rec) : data(rec) {}
  TRec data{};
};

// ---- list items that are not streamed ------------------------------------------------------
// Each holder is a class of its own (lists and comparers tell them apart).

class TTwoLongIntHolder : public TRecordHolder<T2_longint_rec> {
 public:
  using TRecordHolder::TRecordHolder;
};

// The two pointers are not owned.
class TDoublePointerHolder : public TRecordHolder<T2_Pointer> {
 public:
  using TRecordHolder::TRecordHolder;
};

class TWordFreqAndSourceNumHolder : public TRecordHolder<TWordFreqAndSourceNum> {
 public:
  using TRecordHolder::TRecordHolder;
};

class TWordAndFreqHolder : public TRecordHolder<TWordAndFreq> {
 public:
  using TRecordHolder::TRecordHolder;
};

class TDateTimeHolder : public TRecordHolder<TDateTime> {
 public:
  using TRecordHolder::TRecordHolder;
};

// ---- fixed-size streamed list items ----------------------------------------------------

// 12 bytes: long0, long1, s.
class T2LongIntAndSingleHolder : public TRawRecordHolder<T2LongintAndSingleRec, 12> {
 public:
  using TRawRecordHolder::TRawRecordHolder;
};

// 16 bytes: long0, long1, long2, s.
class T3LongIntAndSingleHolder : public TRawRecordHolder<T3LongintAndSingleRec, 16> {
 public:
  using TRawRecordHolder::TRawRecordHolder;
};

// 8 bytes: int, s.
class TIntegerAndSingleHolder : public TRawRecordHolder<TIntegerAndSingleRec, 8> {
 public:
  using TRawRecordHolder::TRawRecordHolder;
};

// 12 bytes: long0, long1, s.
class T2IntsAndSingleHolder : public TRawRecordHolder<T2LongintAndSingleRec, 12> {
 public:
  using TRawRecordHolder::TRawRecordHolder;
};

// 16 bytes: freq, card1, card2, card3.
class TIntegerAnd3CardinalsHolder : public TRawRecordHolder<TIntegerAnd3CardinalsRec, 16> {
 public:
  using TRawRecordHolder::TRawRecordHolder;
};

class TCardinalHolder : public TRawRecordHolder<Cardinal, 4> {
 public:
  using TRawRecordHolder::TRawRecordHolder;
};

class TInt64Holder : public TRawRecordHolder<Int64, 8> {
 public:
  using TRawRecordHolder::TRawRecordHolder;
};

// 8 bytes: c, f.
class TCardinalAndFreqHolder : public TRawRecordHolder<TCardinalAndFreq, 8> {
 public:
  using TRawRecordHolder::TRawRecordHolder;
};

class TLongIntHolder : public TRawRecordHolder<Int32, 4> {
 public:
  using TRawRecordHolder::TRawRecordHolder;
};

class TSingleHolder : public TRawRecordHolder<Single, 4> {
 public:
  using TRawRecordHolder::TRawRecordHolder;
};

// Holds a Double made from a Single: the value given is rounded to single
// precision and then widened.
class TDoubleHolder : public TRawRecordHolder<Double, 8> {
 public:
  TDoubleHolder() = default;
  explicit TDoubleHolder(Single value) : TRawRecordHolder(static_cast<Double>(value)) {}
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

class TStringAndMeanAndSD_recHolder : public TObjectRecordHolder<TStringAndMeanAndSD_rec> {
 public:
  using TObjectRecordHolder::TObjectRecordHolder;
};

class TStringAndIntegerHolder : public TObjectRecordHolder<TStringAndIntegerRec> {
 public:
  using TObjectRecordHolder::TObjectRecordHolder;
};

class TStringHolder : public TObjectRecordHolder<String> {
 public:
  using TObjectRecordHolder::TObjectRecordHolder;
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

class TPublicIntegerHolder : public TObjectRecordHolder<Int32> {
 public:
  using TObjectRecordHolder::TObjectRecordHolder;
};

class TSearchContextHolder : public TObjectRecordHolder<TSearchContextRec> {
 public:
  using TObjectRecordHolder::TObjectRecordHolder;
};

class TMySearchRecHolder : public TObjectRecordHolder<TMySearchRec> {
 public:
  using TObjectRecordHolder::TObjectRecordHolder;
};

}  // namespace sk
