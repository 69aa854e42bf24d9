// Jump targets of concordance results: the text (numbered from 1) and the
// byte position where each hit lies, stored with the results.
//
// Stream form: Int32 count, then count records of 8 bytes (file_number_1B,
// byte_position), little-endian.  A list is saved sorted by byte position.
#pragma once

#include <memory>
#include <vector>

#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

class TConcordJumpToHolder : public TObject {
 public:
  explicit TConcordJumpToHolder(const TConcordJumpTo& x) : data(x) {}
  // All zero.
  static std::unique_ptr<TConcordJumpToHolder> CreateBlank();
  // The 8 raw bytes; true when all 8 moved.
  bool ReadFromStream(TStream* stream);
  bool SaveToStream(TStream* stream) const;

  TConcordJumpTo data{};
};

class TConcordJumpFileAndByteList : public TObject {
 public:
  TConcordJumpFileAndByteList() = default;
  TConcordJumpFileAndByteList(const TConcordJumpFileAndByteList&) = delete;
  TConcordJumpFileAndByteList& operator=(const TConcordJumpFileAndByteList&) = delete;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // Appends a holder with a copy of the record.
  void AddOne(const TConcordJumpTo& x);
  void Clear();
  // The file number / record of entry i; 0 / all zero for an index outside
  // the list.
  Int32 GetAFilenumber_1B(Int32 i) const;
  TConcordJumpTo GetAJumpTo(Int32 i) const;
  // The first entry with that file number; -1 when none.
  Int32 IndexOfFilenumber_1B(Int32 n) const;
  // Sorts a list of more than one entry by byte position, then writes the
  // count and every record; stops at the first failed write and answers false.
  bool SaveToStream(TStream* stream);
  // Appends the records read; false, reading no further, at a negative count
  // or the first short read.
  bool ReadFromStream(TStream* stream);

 private:
  std::vector<std::unique_ptr<TConcordJumpToHolder>> fItems;
};

}  // namespace sk
