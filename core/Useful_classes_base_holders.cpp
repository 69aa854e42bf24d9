#include "core/Useful_classes_base_holders.h"

#include "core/Stringtag_utils.h"
#include "core/Useful_classes_base_raw.h"

namespace sk {

using raw_detail::Get;
using raw_detail::Put;
using raw_detail::ReadBytes;
using raw_detail::WriteBytes;

// ---- T2LongIntAndSingleHolder / T2IntsAndSingleHolder ------------------------------------

namespace {

void Encode(Byte* b, const T2LongintAndSingleRec& r) {
  Put(b, r.t2.long0);
  Put(b + 4, r.t2.long1);
  Put(b + 8, r.s);
}

T2LongintAndSingleRec Decode2LongintAndSingle(const Byte* b) {
  T2LongintAndSingleRec r;
  r.t2.long0 = Get<Int32>(b);
  r.t2.long1 = Get<Int32>(b + 4);
  r.s = Get<Single>(b + 8);
  return r;
}

bool Read2LongintAndSingle(TStream* stream, T2LongintAndSingleRec& data) {
  Byte b[12];
  if (!ReadBytes(stream, b, 12)) return false;
  data = Decode2LongintAndSingle(b);
  return true;
}

bool Save2LongintAndSingle(TStream* stream, const T2LongintAndSingleRec& data) {
  Byte b[12];
  Encode(b, data);
  return WriteBytes(stream, b, 12);
}

}  // namespace

bool T2LongIntAndSingleHolder::ReadFromStream(TStream* stream) { return Read2LongintAndSingle(stream, data); }
bool T2LongIntAndSingleHolder::SaveToStream(TStream* stream) { return Save2LongintAndSingle(stream, data); }
bool T2IntsAndSingleHolder::ReadFromStream(TStream* stream) { return Read2LongintAndSingle(stream, data); }
bool T2IntsAndSingleHolder::SaveToStream(TStream* stream) { return Save2LongintAndSingle(stream, data); }

// ---- T3LongIntAndSingleHolder ---------------------------------------------------------------

bool T3LongIntAndSingleHolder::ReadFromStream(TStream* stream) {
  Byte b[16];
  if (!ReadBytes(stream, b, 16)) return false;
  data.t3.long0 = Get<Int32>(b);
  data.t3.long1 = Get<Int32>(b + 4);
  data.t3.long2 = Get<Int32>(b + 8);
  data.s = Get<Single>(b + 12);
  return true;
}

bool T3LongIntAndSingleHolder::SaveToStream(TStream* stream) {
  Byte b[16];
  Put(b, data.t3.long0);
  Put(b + 4, data.t3.long1);
  Put(b + 8, data.t3.long2);
  Put(b + 12, data.s);
  return WriteBytes(stream, b, 16);
}

// ---- TIntegerAndSingleHolder -----------------------------------------------------------------

bool TIntegerAndSingleHolder::ReadFromStream(TStream* stream) {
  Byte b[8];
  if (!ReadBytes(stream, b, 8)) return false;
  data.int_ = Get<Int32>(b);
  data.s = Get<Single>(b + 4);
  return true;
}

bool TIntegerAndSingleHolder::SaveToStream(TStream* stream) {
  Byte b[8];
  Put(b, data.int_);
  Put(b + 4, data.s);
  return WriteBytes(stream, b, 8);
}

// ---- TIntegerAnd3CardinalsHolder -------------------------------------------------------------

bool TIntegerAnd3CardinalsHolder::ReadFromStream(TStream* stream) {
  Byte b[16];
  if (!ReadBytes(stream, b, 16)) return false;
  data.freq = Get<Int32>(b);
  data.value.card1 = Get<Cardinal>(b + 4);
  data.value.card2 = Get<Cardinal>(b + 8);
  data.value.card3 = Get<Cardinal>(b + 12);
  return true;
}

bool TIntegerAnd3CardinalsHolder::SaveToStream(TStream* stream) {
  Byte b[16];
  Put(b, data.freq);
  Put(b + 4, data.value.card1);
  Put(b + 8, data.value.card2);
  Put(b + 12, data.value.card3);
  return WriteBytes(stream, b, 16);
}

// ---- single values ----------------------------------------------------------------------------

namespace {

template <class T>
bool ReadOne(TStream* stream, T& value) {
  Byte b[sizeof(T)];
  if (!ReadBytes(stream, b, sizeof(T))) return false;
  value = Get<T>(b);
  return true;
}

template <class T>
bool SaveOne(TStream* stream, T value) {
  Byte b[sizeof(T)];
  Put(b, value);
  return WriteBytes(stream, b, sizeof(T));
}

}  // namespace

bool TCardinalHolder::ReadFromStream(TStream* stream) { return ReadOne(stream, data); }
bool TCardinalHolder::SaveToStream(TStream* stream) { return SaveOne(stream, data); }
bool TInt64Holder::ReadFromStream(TStream* stream) { return ReadOne(stream, data); }
bool TInt64Holder::SaveToStream(TStream* stream) { return SaveOne(stream, data); }
bool TLongIntHolder::ReadFromStream(TStream* stream) { return ReadOne(stream, data); }
bool TLongIntHolder::SaveToStream(TStream* stream) { return SaveOne(stream, data); }
bool TSingleHolder::ReadFromStream(TStream* stream) { return ReadOne(stream, data); }
bool TSingleHolder::SaveToStream(TStream* stream) { return SaveOne(stream, data); }
bool TDoubleHolder::ReadFromStream(TStream* stream) { return ReadOne(stream, data); }
bool TDoubleHolder::SaveToStream(TStream* stream) { return SaveOne(stream, data); }

// ---- TCardinalAndFreqHolder -------------------------------------------------------------------

bool TCardinalAndFreqHolder::ReadFromStream(TStream* stream) {
  Byte b[8];
  if (!ReadBytes(stream, b, 8)) return false;
  data.c = Get<Cardinal>(b);
  data.f = Get<Int32>(b + 4);
  return true;
}

bool TCardinalAndFreqHolder::SaveToStream(TStream* stream) {
  Byte b[8];
  Put(b, data.c);
  Put(b + 4, data.f);
  return WriteBytes(stream, b, 8);
}

// ---- T2StringsAnd2IntegersHolder --------------------------------------------------------------

bool T2StringsAnd2IntegersHolder::ReadFromStream(TStream* stream) {
  Byte b[8];
  if (!ReadBytes(stream, b, 8)) return false;
  data.int1 = Get<Int32>(b);
  data.int2 = Get<Int32>(b + 4);
  // A stream that ends before a string's count would read as an empty string;
  // that is a cut item, not a whole one.
  if (stream->Remaining() < 4) return false;
  data.s1 = ReadAString(stream);
  if (stream->Remaining() < 4) return false;
  data.s2 = ReadAString(stream);
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
