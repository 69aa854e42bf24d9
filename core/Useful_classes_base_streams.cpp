#include "core/Useful_classes_base_streams.h"

#include "core/Stringtag_utils.h"
#include "core/Useful_classes_base_raw.h"

namespace sk {

using raw_detail::Get;
using raw_detail::Put;
using raw_detail::ReadBytes;
using raw_detail::ReadInt32;
using raw_detail::WriteBytes;
using raw_detail::WriteInt32;

namespace {

// The bits a stored flag byte may carry (one per search flag).
constexpr Byte kSearchFlagBits = 0x3F;

// A stored search request takes at least its string's count and its flag byte.
constexpr Int64 kMinStoredSearchReq = 5;

bool ReadSearchReq(TStream* stream, TSearchReqStringAndFlags& rec) {
  rec = TSearchReqStringAndFlags{};
  if (stream == nullptr || stream->Remaining() < kMinStoredSearchReq) return false;
  rec.search_str = ReadAListString(stream);
  Byte b = 0;
  if (!ReadBytes(stream, &b, 1)) return false;
  rec.flags.bits[0] = static_cast<Byte>(b & kSearchFlagBits);
  return true;
}

}  // namespace

std::vector<Int64> ReadArrayOfInt64(TStream* stream) {
  std::vector<Int64> out;
  Int32 n = 0;
  if (!ReadInt32(stream, n) || n <= 0) return out;
  if (static_cast<Int64>(n) > stream->Remaining() / 8) return out;
  out.resize(static_cast<size_t>(n));
  for (Int64& v : out) {
    Byte b[8];
    if (!ReadBytes(stream, b, 8)) return {};
    v = Get<Int64>(b);
  }
  return out;
}

bool WriteArrayOfInt64(TStream* stream, const std::vector<Int64>& arr) {
  if (!WriteInt32(stream, static_cast<Int32>(arr.size()))) return false;
  for (Int64 v : arr) {
    Byte b[8];
    Put(b, v);
    if (!WriteBytes(stream, b, 8)) return false;
  }
  return true;
}

TSearchReqStringAndFlags ReadASearchReqStringAndFlags(TStream* stream) {
  TSearchReqStringAndFlags rec;
  if (stream == nullptr) return rec;
  if (stream->Remaining() < 4) return rec;
  rec.search_str = ReadAString(stream);
  Byte b = 0;
  if (ReadBytes(stream, &b, 1)) rec.flags.bits[0] = static_cast<Byte>(b & kSearchFlagBits);
  return rec;
}

bool WriteASearchReqStringAndFlags(TStream* stream, const TSearchReqStringAndFlags& rec) {
  if (!WriteAString(stream, rec.search_str)) return false;
  return WriteBytes(stream, &rec.flags.bits[0], 1);
}

std::vector<TSearchReqStringAndFlags> ReadArrayOfSearchReqStringAndFlags(TStream* stream) {
  std::vector<TSearchReqStringAndFlags> out;
  Int32 n = 0;
  if (!ReadInt32(stream, n) || n <= 0) return out;
  if (static_cast<Int64>(n) > stream->Remaining() / kMinStoredSearchReq) return out;
  out.resize(static_cast<size_t>(n));
  for (auto& rec : out)
    if (!ReadSearchReq(stream, rec)) return {};
  return out;
}

bool WriteArrayOfSearchReqStringAndFlags(TStream* stream, const std::vector<TSearchReqStringAndFlags>& arr) {
  if (!WriteInt32(stream, static_cast<Int32>(arr.size()))) return false;
  for (const auto& rec : arr)
    if (!WriteASearchReqStringAndFlags(stream, rec)) return false;
  return true;
}

TQMEntryDetailsRec ReadAQMEntryDetailsRec_ForConcord(TStream* stream) {
  TQMEntryDetailsRec rec{};
  Byte b[24];
  if (!ReadBytes(stream, b, 24)) return rec;
  rec.main_freq = Get<Int64>(b);
  rec.joint_freq = Get<Int64>(b + 8);
  rec.main_dispersion = Get<Single>(b + 16);
  rec.main_n_texts = Get<Int32>(b + 20);
  rec.main_word_arr = ReadAStringTagArray(stream);
  rec.main_word2_arr = ReadAStringTagArray(stream);
  return rec;
}

bool WriteAQMEntryDetailsRec_ForConcord(TStream* stream, const TQMEntryDetailsRec& rec) {
  Byte b[24];
  Put(b, rec.main_freq);
  Put(b + 8, rec.joint_freq);
  Put(b + 16, rec.main_dispersion);
  Put(b + 20, rec.main_n_texts);
  if (!WriteBytes(stream, b, 24)) return false;
  if (!WriteAStringTagArray(stream, rec.main_word_arr)) return false;
  return WriteAStringTagArray(stream, rec.main_word2_arr);
}

bool ReadAStringAndInteger(TStream* stream, TStringAndIntegerRec& rec) {
  rec = TStringAndIntegerRec{};
  if (!ReadInt32(stream, rec.i)) return false;
  // Without a whole count the string would read as empty: a cut record.
  if (stream->Remaining() < 4) return false;
  rec.s = ReadAString(stream);
  return true;
}

bool WriteAStringAndInteger(TStream* stream, const TStringAndIntegerRec& rec) {
  if (!WriteInt32(stream, rec.i)) return false;
  return WriteAString(stream, rec.s);
}

}  // namespace sk
