// Fuzz target: a concordance jump list read from untrusted bytes, then saved
// and read back.
#include <cstddef>
#include <cstdint>

#include "platform/runtime/Streams.h"
#include "services/File_utils_jumplists.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sk;
  TBytesStream in(TBytes(data, data + size));
  TConcordJumpFileAndByteList list;
  (void)list.ReadFromStream(&in);
  if (static_cast<size_t>(list.Count()) * 8 > size) __builtin_trap();
  (void)list.GetAJumpTo(-1);
  (void)list.GetAJumpTo(list.Count());
  (void)list.IndexOfFilenumber_1B(size > 4 ? data[4] : 0);
  TMemoryStream out;
  if (!list.SaveToStream(&out)) __builtin_trap();
  out.SetPosition(0);
  TConcordJumpFileAndByteList back;
  if (!back.ReadFromStream(&out) || back.Count() != list.Count()) __builtin_trap();
  for (Int32 i = 1; i < back.Count(); ++i)
    if (back.GetAJumpTo(i - 1).byte_position > back.GetAJumpTo(i).byte_position) __builtin_trap();
  return 0;
}
