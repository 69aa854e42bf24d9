// Fuzz target: the sections file and its list stream. Whatever reads as a
// whole list is written back, and must give the bytes it was read from.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Qm_global_vars.h"
#include "platform/runtime/Streams.h"
#include "services/Wdef.h"

using namespace sk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  global_current_tool = tt_concord;
  // The bytes as a list stream.
  {
    TBytesStream stream(TBytes(data, data + size));
    TSectionStartsList list;
    const bool ok = list.ReadFromStream(&stream);
    for (Int32 i = 0; i < list.Count(); ++i) (void)list.GetASection(i);
    if (ok) {
      TMemoryStream again;
      if (!list.SaveToStream(&again)) std::abort();
      const TBytes back = again.ToBytes();
      if (back != TBytes(data, data + static_cast<size_t>(stream.Position()))) std::abort();
    }
    list.Sort();
    for (Int32 i = 1; i < list.Count(); ++i)
      if (list.GetASection(i - 1).start_byte_position > list.GetASection(i).start_byte_position) std::abort();
  }
  // The bytes as a sections file.
  const int fd = ::memfd_create("fuzz", 0);
  if (fd < 0) std::abort();
  if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
  TSectionStartsList list;
  list.ReadFromFile(Utf8ToString("/proc/self/fd/" + std::to_string(fd)));
  ::close(fd);
  return 0;
}
