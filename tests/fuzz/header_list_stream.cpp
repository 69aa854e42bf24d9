// Fuzz target: a header-list stream read by the heading list; a stream that
// reads must save again.
#include <cstddef>
#include <cstdint>

#include "analysis/Headingsu.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sk;
  SetMessageBoxHandler([](const String&, const String&, Cardinal) { return IDOK; });
  TBytesStream stream(TBytes(data, data + size));
  TGridHeaderList list(lt_word_list);
  try {
    if (list.ReadFromStream(&stream)) {
      TMemoryStream out;
      if (!list.SaveToStream(&out)) __builtin_trap();
    }
  } catch (const Exception&) {
    // an over-limit stored string: refused by its exception
  }
  return 0;
}
