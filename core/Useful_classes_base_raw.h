// Little-endian raw fields for the stream forms of list items: a record is
// gathered into a byte buffer and written at once, or read whole and then
// taken apart, so that a short read leaves the record untouched.
#pragma once

#include <bit>
#include <cstring>
#include <type_traits>

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk::raw_detail {

template <class T>
void Put(Byte* at, T value) {
  static_assert(std::is_arithmetic_v<T>);
  using U = std::conditional_t<sizeof(T) == 1, uint8_t,
                               std::conditional_t<sizeof(T) == 2, uint16_t,
                                                  std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
  U u;
  std::memcpy(&u, &value, sizeof(T));
  for (size_t k = 0; k < sizeof(T); ++k) at[k] = static_cast<Byte>(u >> (8 * k));
}

template <class T>
T Get(const Byte* at) {
  static_assert(std::is_arithmetic_v<T>);
  using U = std::conditional_t<sizeof(T) == 1, uint8_t,
                               std::conditional_t<sizeof(T) == 2, uint16_t,
                                                  std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
  U u = 0;
  for (size_t k = 0; k < sizeof(T); ++k) u = static_cast<U>(u | (static_cast<U>(at[k]) << (8 * k)));
  T value;
  std::memcpy(&value, &u, sizeof(T));
  return value;
}

// True when all n bytes were read.
inline bool ReadBytes(TStream* stream, Byte* buffer, Int64 n) {
  return stream != nullptr && stream->Read(buffer, n) == n;
}

// True when all n bytes were written.
inline bool WriteBytes(TStream* stream, const Byte* buffer, Int64 n) {
  return stream != nullptr && stream->Write(buffer, n) == n;
}

// False when the stream takes fewer than 4 bytes.
inline bool WriteInt32(TStream* stream, Int32 v) {
  Byte b[4];
  Put(b, v);
  return WriteBytes(stream, b, 4);
}

// False (v untouched) when the stream ends first.
inline bool ReadInt32(TStream* stream, Int32& v) { return stream != nullptr && stream->TryReadValue(v); }

}  // namespace sk::raw_detail
