// Fuzz target: a stream of stored strings read back by the stream-string
// readers; each reader must refuse bad counts without huge allocations.
#include <cstddef>
#include <cstdint>

#include "platform/runtime/Streams.h"
#include "services/My_filestreamu.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sk;
  if (size == 0) return 0;
  // The first byte chooses the readers in turn (two bits each).
  const uint8_t plan = data[0];
  TBytesStream stream(TBytes(data + 1, data + size));
  for (int step = 0; step < 4 && stream.Remaining() > 0; ++step) {
    try {
      switch ((plan >> (2 * step)) & 3) {
        case 0:
          (void)ReadUnknownLengthPointer(&stream);
          break;
        case 1:
          (void)ReadUnknownLengthPointerMaxSize(&stream, 0x7FFFFFFF);
          break;
        case 2:
          (void)StreamReadPchar(&stream);
          break;
        default:
          (void)StreamReadPAnsichar(&stream);
          break;
      }
    } catch (const Exception&) {
      // Refused: the reader raised instead of reading past the end.
    }
  }
  return 0;
}
