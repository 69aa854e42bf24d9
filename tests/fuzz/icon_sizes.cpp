// Fuzz target for the icon-file directory reader of the drawing helpers
// (IconsizesInAnIconfile reads untrusted files). The first input byte picks
// the bits per pixel asked for; the rest is the file.
//
// Build by hand with clang (from the repository root; -Dconstinit= because
// clang 14 cannot constant-initialise the runtime's std::u16string globals
// from GCC 12's library):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Dconstinit= -I. \
//     tests/fuzz/icon_sizes.cpp ui/Graphics_utilities_icons.cpp platform/runtime/*.cpp \
//     $(pkg-config --cflags --libs icu-uc icu-i18n libzip zlib) -o icon_sizes
//   ./icon_sizes -max_total_time=120 tests/fuzz/corpus/icon_sizes
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/Graphics_utilities_icons.h"

using namespace sk;

namespace {

// A file holding the bytes, named through /proc so that no folder is needed.
struct MemFile {
  explicit MemFile(const uint8_t* data, size_t size) {
    fd = ::memfd_create("fuzz", 0);
    if (fd < 0) std::abort();
    if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
    name = Utf8ToString("/proc/self/fd/" + std::to_string(fd));
  }
  ~MemFile() { ::close(fd); }
  int fd;
  String name;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const Int32 kBits[] = {1, 4, 8, 16, 24, 32};
  const Int32 bits = kBits[data[0] % 6];
  ++data;
  --size;
  const std::vector<Int32> wanted = {16, 20, 24, 32, 48, 64, 256, 0, -1};
  MemFile file(data, size);
  const std::vector<Int32> found = IconsizesInAnIconfile(file.name, bits, wanted);
  // At most one size per entry wholly present, each one asked for and valid.
  const size_t entries = size < 6 ? 0 : (size - 6) / 16;
  if (found.size() > entries) std::abort();
  for (Int32 s : found)
    if (s < 1 || std::find(wanted.begin(), wanted.end(), s) == wanted.end()) std::abort();
  if (size >= 4 && (data[2] | (data[3] << 8)) != 1 && !found.empty()) std::abort();
  return 0;
}
