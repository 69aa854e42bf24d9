// Fuzz target: in-place edits of source texts and the modification log, on
// files of untrusted bytes. The first byte picks the routine and its range;
// the rest is the file. An alteration changes nothing but blanks (a text in a
// UTF-16 or single-byte form keeps its size), keeps its backup byte for byte,
// and a log only ever grows after the bytes it held.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/runtime/Locale.h"
#include "services/Modify_source_texts_basics.h"

using namespace sk;

namespace {

std::string Folder() {
  static const std::string dir = [] {
    std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path().string();
    std::string tmpl = base + "/sk_fuzz_edits_XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    return tmpl;
  }();
  return dir;
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

void WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 << 16) return 0;
  const uint8_t mode = data[0];
  ++data;
  --size;
  const std::string file = Folder() + "/t.txt";
  const std::string backup = Folder() + "/t.original";
  std::remove(backup.c_str());
  WriteAll(file, data, size);
  const std::string before(reinterpret_cast<const char*>(data), size);

  if ((mode & 1) == 0) {
    const Int32 start = (mode >> 1) & 7;
    const Int32 len = (mode >> 4) * 8 - 20;
    const Cardinal saved = GetACP();
    for (const Cardinal cp : {Cardinal{1252}, Cardinal{932}}) {
      SetACP(cp);
      std::remove(backup.c_str());
      WriteAll(file, data, size);
      bool refused = false;
      try {
        if (mode & 0x08) AlterFileA(Utf8ToString(file), '#', start, len);
        else AlterFileW(Utf8ToString(file), u'#', start, len);
      } catch (const Exception&) {
        // The folder is writable: only a text that cannot keep its other
        // bytes in a multi-byte code page may be refused.
        if (cp != 932) std::abort();
        refused = true;
      }
      const std::string after = ReadAll(file);
      if (refused && after != before) std::abort();
      if (std::filesystem::exists(backup) && ReadAll(backup) != before) std::abort();
      if (after != before && !std::filesystem::exists(backup)) std::abort();
      // '#' takes one byte wherever a blank does: the size stays, and only
      // the blanks' own bytes differ.
      if (after.size() != before.size()) std::abort();
      for (size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i] && before[i] != ' ') std::abort();
    }
    SetACP(saved);
    // A marker before a byte: refused with the file as it was, or put in
    // whole (7 bytes, 14 in UTF-16) with every byte of the file around it.
    WriteAll(file, data, size);
    std::remove(backup.c_str());
    String marker = u"m";
    const Int32 n = InsertedIntoSourceText(Utf8ToString(file), marker, mode * 3, 0x0409, false);
    const std::string after = ReadAll(file);
    if (n == 0 && after != before) std::abort();
    if (n != 0) {
      const size_t len = after.size() - before.size();
      bool whole = false;
      for (const std::string& m : {std::string("<ut_m/>"), std::string("<\0u\0t\0_\0m\0/\0>\0", 14),
                                   std::string("\0<\0u\0t\0_\0m\0/\0>", 14)})
        for (size_t at = after.find(m); at != std::string::npos && !whole; at = after.find(m, at + 1))
          whole = m.size() == len && after.substr(0, at) + after.substr(at + len) == before;
      if (!whole) std::abort();
    }
  } else {
    modify_source_texts_logfullfilename = Utf8ToString(file);
    LogDateReference(u"one", u"two", (mode & 2) ? u"" : u"u", u"four", u"five", mode, static_cast<TModifySourceTexts>((mode >> 2) & 3));
    const std::string after = ReadAll(file);
    if (after.size() <= before.size() || after.compare(0, before.size(), before) != 0) std::abort();
    LogParameters(Utf8ToString(before), u"\t", mode >> 4);
    IntegerStrToDayAndTime(Utf8ToString(before));
    StringToModification(Utf8ToString(before));
  }
  return 0;
}
