// libFuzzer target: the .xlsx reader of the workbook layer, then the sheets it
// gives turned to text.
//
// An input that starts with "PK" is the file itself.  Any other input is a
// list of members, each "@@@ <name>\n" followed by its content, which the
// target packs into a zip first: the zip's checksums would otherwise stop
// nearly every change to the XML before the reader sees it.
//
// Build and run by hand (from the repository root):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Dconstinit= -I. \
//     tests/fuzz/xlsx_reader.cpp platform/spreadsheet/*.cpp platform/runtime/*.cpp \
//     $(pkg-config --cflags --libs icu-uc icu-i18n libzip xlsxwriter expat zlib) -o /tmp/fuzz_xlsx_reader
//   /tmp/fuzz_xlsx_reader -max_len=65536 -rss_limit_mb=2048 /tmp/xlsx_corpus tests/fuzz/corpus/xlsx_reader
// (-Dconstinit= because clang 14 cannot evaluate the standard library's constant
// string constructors that GCC takes.)  The seeds are workbooks written by the
// layer itself, as files and as member lists.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/runtime/Encoding.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/ZipReader.h"
#include "platform/spreadsheet/XlsWorkbook.h"

namespace {

const std::string& InputPath() {
  static const std::string path = "/dev/shm/sk_fuzz_xlsx_" + std::to_string(::getpid()) + ".xlsx";
  return path;
}

bool WriteInput(std::string_view input) {
  const std::string& path = InputPath();
  if (input.substr(0, 2) == "PK" || input.substr(0, 4) != "@@@ ") {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(input.data(), static_cast<std::streamsize>(input.size()));
    return static_cast<bool>(f);
  }
  try {
    sk::TZipFile z;
    z.Open(sk::Utf8ToString(path), sk::zmWrite);
    size_t pos = 0;
    while (pos < input.size()) {
      const size_t nameStart = pos + 4;
      const size_t nameEnd = input.find('\n', nameStart);
      if (nameEnd == std::string_view::npos) break;
      size_t next = input.find("\n@@@ ", nameEnd);
      const size_t contentEnd = next == std::string_view::npos ? input.size() : next;
      const std::string_view name = input.substr(nameStart, nameEnd - nameStart);
      const std::string_view content = input.substr(nameEnd + 1, contentEnd - nameEnd - 1);
      if (!name.empty() && z.IndexOf(sk::Utf8ToString(std::string(name))) < 0)
        z.Add(sk::TBytes(content.begin(), content.end()), sk::Utf8ToString(std::string(name)), sk::zcStored);
      pos = next == std::string_view::npos ? input.size() : next + 1;
    }
    z.Close();
  } catch (const sk::Exception&) {
    return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!WriteInput(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  sk::TXlsWorkbook wb;
  const bool opened = wb.Open(sk::Utf8ToString(InputPath()));
  ::unlink(InputPath().c_str());  // nothing is left behind in /dev/shm
  if (!opened) return 0;
  for (sk::Int32 s = 1; s <= wb.SheetCount(); ++s) {
    wb.SetActiveSheet(s);
    sk::TMemoryStream text;
    wb.SaveAsText(&text, u'\t', sk::TEncoding::Unicode());
    (void)wb.GetCellValue(1, 1).AsString();
  }
  return 0;
}
