// Stream forms of a few shared records. All integers are little-endian;
// strings are stored strings (a 32-bit count of UTF-16 units, then the units).
#pragma once

#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

// Int32 count, then count Int64. The reader gives an empty array for a count
// that is negative or larger than the stream holds; the writer is true when
// everything was written.
std::vector<Int64> ReadArrayOfInt64(TStream* stream);
bool WriteArrayOfInt64(TStream* stream, const std::vector<Int64>& arr);

// search_str as a stored string, then flags as one byte. The reader leaves
// flags empty when the stream ends before them.
TSearchReqStringAndFlags ReadASearchReqStringAndFlags(TStream* stream);
bool WriteASearchReqStringAndFlags(TStream* stream, const TSearchReqStringAndFlags& rec);

// Int32 count, then each record as above. The reader gives an empty array
// for an implausible count or a stream that ends inside a record.
std::vector<TSearchReqStringAndFlags> ReadArrayOfSearchReqStringAndFlags(TStream* stream);
bool WriteArrayOfSearchReqStringAndFlags(TStream* stream, const std::vector<TSearchReqStringAndFlags>& arr);

// The first 24 bytes of the record raw (main_freq, joint_freq,
// main_dispersion, main_n_texts), then main_word_arr and main_word2_arr as
// stored tagged-word arrays; main_JoinlistAndDetails is not stored. The reader
// starts from a cleared record; the writer is false at the first failed part.
TQMEntryDetailsRec ReadAQMEntryDetailsRec_ForConcord(TStream* stream);
bool WriteAQMEntryDetailsRec_ForConcord(TStream* stream, const TQMEntryDetailsRec& rec);

// i as Int32, then s as a stored string. The reader clears rec first and is
// false when the integer, or the string's count, cannot be read.
bool ReadAStringAndInteger(TStream* stream, TStringAndIntegerRec& rec);
bool WriteAStringAndInteger(TStream* stream, const TStringAndIntegerRec& rec);

}  // namespace sk
