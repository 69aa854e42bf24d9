// Fuzz target: the bytes as a kind's customised-headings file. Whatever the
// file holds, loading the kind's set succeeds, and a set not taken from the
// file is the standard one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "analysis/Headingsu.h"
#include "core/Global_vars.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/FileReplace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sk;
  static const std::string folder = [] {
    char name[] = "/tmp/sk_fuzz_headings_XXXXXX";
    const char* made = mkdtemp(name);
    return std::string(made != nullptr ? made : "/tmp");
  }();
  SetMessageBoxHandler([](const String&, const String&, Cardinal) { return IDOK; });
  Global_user_ReadWrite_folder = Utf8ToString(folder);
  const TQuillmarkList kind = size > 0 && data[0] % 2 == 0 ? lt_collocate_list : lt_keyword_list;
  if (!ReplaceFileContent(CustomFilename(kind), data, size)) return 0;
  TGridHeaderList list(kind);
  if (!list.LoadStandardSet(kind)) __builtin_trap();
  if (list.flist_type != kind) __builtin_trap();
  if (!list.custom_list_read && list.Count() != static_cast<Int32>(StandardGridHeaderArray(kind).size()))
    __builtin_trap();
  return 0;
}
