#include "core/Useful_classes_base_holders.h"

#include "core/Stringtag_utils.h"
#include "core/Useful_classes_base_raw.h"

namespace sk {

using raw_detail::Get;
using raw_detail::Put;
using raw_detail::ReadBytes;
using raw_detail::WriteBytes;

// ---- raw record forms -------------------------------------------------------------------------

namespace {

// Reads Size bytes and takes them apart with decode; false (data untouched)
// when the stream ends first.
template <size_t Size, class TRec, class F>
bool ReadWhole(TStream* stream, TRec& data, F decode) {
  Byte b[Size];
  if (!ReadBytes(stream, b, Size)) return false;
  decode(b, data);
  return true;
}

// Gathers the record into Size bytes with encode and writes them at once.
template <size_t Size, class TRec, class F>
bool SaveWhole(TStream* stream, const TRec& data, F encode) {
  Byte b[Size];
  encode(b, data);
  return WriteBytes(stream, b, Size);
}

template <class T>
bool ReadOne(TStream* stream, T& value) {
  return ReadWhole<sizeof(T)>(stream, value, [](const Byte* b, T& v) { v = Get<T>(b); });
}

template <class T>
bool SaveOne(TStream* stream, T value) {
  return SaveWhole<sizeof(T)>(stream, value, [](Byte* b, T v) { Put(b, v); });
}

}  // namespace

namespace holder_detail {

// long0, long1, s.
bool ReadRaw(TStream* stream, T2LongintAndSingleRec& data) {
  return ReadWhole<12>(stream, data, [](const Byte* b, T2LongintAndSingleRec& r) {
    r.t2.long0 = Get<Int32>(b);
    r.t2.long1 = Get<Int32>(b + 4);
    r.s = Get<Single>(b + 8);
  });
}

bool SaveRaw(TStream* stream, const T2LongintAndSingleRec& data) {
  return SaveWhole<12>(stream, data, [](Byte* b, const T2LongintAndSingleRec& r) {
    Put(b, r.t2.long0);
    Put(b + 4, r.t2.long1);
    Put(b + 8, r.s);
  });
}

// long0, long1, long2, s.
bool ReadRaw(TStream* stream, T3LongintAndSingleRec& data) {
  return ReadWhole<16>(stream, data, [](const Byte* b, T3LongintAndSingleRec& r) {
    r.t3.long0 = Get<Int32>(b);
    r.t3.long1 = Get<Int32>(b + 4);
    r.t3.long2 = Get<Int32>(b + 8);
    r.s = Get<Single>(b + 12);
  });
}

bool SaveRaw(TStream* stream, const T3LongintAndSingleRec& data) {
  return SaveWhole<16>(stream, data, [](Byte* b, const T3LongintAndSingleRec& r) {
    Put(b, r.t3.long0);
    Put(b + 4, r.t3.long1);
    Put(b + 8, r.t3.long2);
    Put(b + 12, r.s);
  });
}

// int, s.
bool ReadRaw(TStream* stream, TIntegerAndSingleRec& data) {
  return ReadWhole<8>(stream, data, [](const Byte* b, TIntegerAndSingleRec& r) {
    r.int_ = Get<Int32>(b);
    r.s = Get<Single>(b + 4);
  });
}

bool SaveRaw(TStream* stream, const TIntegerAndSingleRec& data) {
  return SaveWhole<8>(stream, data, [](Byte* b, const TIntegerAndSingleRec& r) {
    Put(b, r.int_);
    Put(b + 4, r.s);
  });
}

// freq, card1, card2, card3.
bool ReadRaw(TStream* stream, TIntegerAnd3CardinalsRec& data) {
  return ReadWhole<16>(stream, data, [](const Byte* b, TIntegerAnd3CardinalsRec& r) {
    r.freq = Get<Int32>(b);
    r.value.card1 = Get<Cardinal>(b + 4);
    r.value.card2 = Get<Cardinal>(b + 8);
    r.value.card3 = Get<Cardinal>(b + 12);
  });
}

bool SaveRaw(TStream* stream, const TIntegerAnd3CardinalsRec& data) {
  return SaveWhole<16>(stream, data, [](Byte* b, const TIntegerAnd3CardinalsRec& r) {
    Put(b, r.freq);
    Put(b + 4, r.value.card1);
    Put(b + 8, r.value.card2);
    Put(b + 12, r.value.card3);
  });
}

// c, f.
bool ReadRaw(TStream* stream, TCardinalAndFreq& data) {
  return ReadWhole<8>(stream, data, [](const Byte* b, TCardinalAndFreq& r) {
    r.c = Get<Cardinal>(b);
    r.f = Get<Int32>(b + 4);
  });
}

bool SaveRaw(TStream* stream, const TCardinalAndFreq& data) {
  return SaveWhole<8>(stream, data, [](Byte* b, const TCardinalAndFreq& r) {
    Put(b, r.c);
    Put(b + 4, r.f);
  });
}

bool ReadRaw(TStream* stream, Cardinal& data) { return ReadOne(stream, data); }
bool SaveRaw(TStream* stream, const Cardinal& data) { return SaveOne(stream, data); }
bool ReadRaw(TStream* stream, Int32& data) { return ReadOne(stream, data); }
bool SaveRaw(TStream* stream, const Int32& data) { return SaveOne(stream, data); }
bool ReadRaw(TStream* stream, Int64& data) { return ReadOne(stream, data); }
bool SaveRaw(TStream* stream, const Int64& data) { return SaveOne(stream, data); }
bool ReadRaw(TStream* stream, Single& data) { return ReadOne(stream, data); }
bool SaveRaw(TStream* stream, const Single& data) { return SaveOne(stream, data); }
bool ReadRaw(TStream* stream, Double& data) { return ReadOne(stream, data); }
bool SaveRaw(TStream* stream, const Double& data) { return SaveOne(stream, data); }

}  // namespace holder_detail

// ---- T2StringsAnd2IntegersHolder --------------------------------------------------------------

bool T2StringsAnd2IntegersHolder::ReadFromStream(TStream* stream) {
  Byte b[8];
  if (!ReadBytes(stream, b, 8)) return false;
  data.int1 = Get<Int32>(b);
  data.int2 = Get<Int32>(b + 4);
  // A stream that ends before a string's count would read as an empty string;
  // that is a cut item, not a whole one.
  if (stream->Remaining() < 4) return false;
  data.s1 = ReadAListString(stream);
  if (stream->Remaining() < 4) return false;
  data.s2 = ReadAListString(stream);
  return true;
}

bool T2StringsAnd2IntegersHolder::SaveToStream(TStream* stream) {
  Byte b[8];
  Put(b, data.int1);
  Put(b + 4, data.int2);
  if (!WriteBytes(stream, b, 8)) return false;
  if (!WriteAString(stream, data.s1)) return false;
  return WriteAString(stream, data.s2);
}

}  // namespace sk
