// Fuzz target: the saved-results header, read from a stream and tested on a
// file. The first byte picks the tool and list kind the header is tested for;
// the rest is the file. A header that reads as valid is written again: the
// bytes must come back, apart from the two alignment bytes (always zero) and
// the units after the list kind's name (zero-filled).
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Qm_global_vars.h"
#include "core/Qm_specific_consts.h"
#include "platform/runtime/Streams.h"
#include "services/Wdef.h"

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
  const auto tool = static_cast<tool_type>(data[0] % tool_type_Count);
  const auto list = static_cast<TQuillmarkList>((data[0] / tool_type_Count) % TQuillmarkList_Count);
  ++data;
  --size;

  TBytesStream stream(TBytes(data, data + size));
  TCheckSignature header{};
  if (DiskSignatureISOKForToolAndList(header, tool, list, &stream, reading)) {
    if (size < 316 || stream.Position() != 316) std::abort();
    TMemoryStream again;
    TCheckSignature copy = header;
    if (!DiskSignatureISOKForToolAndList(copy, tool, list, &again, writing)) std::abort();
    TBytes expected(data, data + 316);
    expected[110] = expected[111] = 0;
    const size_t nameEnd = 28 + 2 * String(list_signature[list]).size();
    for (size_t i = nameEnd; i < 110; ++i) expected[i] = 0;
    if (again.ToBytes() != expected) std::abort();
  }

  global_current_tool = tool;
  MemFile file(data, size);
  TQM_MainFile_rec rec;
  rec.filename = file.name;
  const bool current = IsAQuillmark64BitFile(rec);
  if (current && size <= 316) std::abort();
  if (!current && rec.ListType != lt_undefined) std::abort();
  WasAQuillmark64BitFile(rec);
  WasAQuillmarkBitFile(rec);
  const tool_type which = WhichToolsQuillmark64BitFile(rec);
  if (current && which == tt_no_tool_at_all && tool != tt_no_tool_at_all) std::abort();
  global_current_tool = tt_shell;
  return 0;
}
