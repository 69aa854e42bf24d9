// Whole text files read and decoded (GetTextOfAFile) beside the bare decode of
// the same bytes already in memory: a 100 MB file in the ANSI code page
// without a mark (Western European text, about one letter in twelve
// accented), and the same text as UTF-16LE behind its mark. The file is
// written once into the temporary folder and removed at the end.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/Unicode_string_conversion.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Locale.h"
#include "services/File_utils_textfiles.h"

namespace {

constexpr size_t kSize = size_t{100} << 20;

// Words of Western European text in code page 1252, lines of about 70 bytes.
std::string LegacyText(size_t size) {
  static const char* const words[] = {"le",          "caf\xE9",     "na\xEFve", "et",     "der",  "M\xFCller",
                                      "gar\xE7on",   "the",         "of",      "and",    "para", "se\xF1or",
                                      "\xE9t\xE9",   "Stra\xDF" "e", "for",     "which",  "\xE0", "d\xE9j\xE0"};
  std::string s;
  s.reserve(size + 80);
  uint32_t seed = 12345;
  size_t line = 0;
  while (s.size() < size) {
    seed = seed * 1103515245u + 12345u;
    const char* w = words[(seed >> 16) % (sizeof words / sizeof words[0])];
    s += w;
    line += std::char_traits<char>::length(w) + 1;
    if (line > 70) {
      s += "\r\n";
      line = 0;
    } else {
      s += ' ';
    }
  }
  s.resize(size);
  return s;
}

struct TFiles {
  std::string legacy;      // the bytes of the legacy file
  std::string legacyPath;
  std::string utf16;       // the UTF-16LE file's bytes, mark included
  std::string utf16Path;
  TFiles() {
    sk::SetACP(1252);
    legacy = LegacyText(kSize);
    const std::string folder = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp";
    const std::string stem = folder + "/sk_bench_text_" + std::to_string(::getpid());
    legacyPath = stem + "_1252.txt";
    utf16Path = stem + "_utf16.txt";
    std::ofstream(legacyPath, std::ios::binary).write(legacy.data(), static_cast<std::streamsize>(legacy.size()));
    const sk::String text = sk::CodePageToUnicode(1252, legacy.data(), legacy.size());
    utf16 = "\xFF\xFE";
    utf16.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(sk::Char));
    std::ofstream(utf16Path, std::ios::binary).write(utf16.data(), static_cast<std::streamsize>(utf16.size()));
  }
  ~TFiles() {
    std::remove(legacyPath.c_str());
    std::remove(utf16Path.c_str());
  }
};

TFiles& Files() {
  static TFiles f;
  return f;
}

void Decode(benchmark::State& state, const std::string& bytes) {
  for (auto _ : state) {
    sk::TEncoding* encoding = nullptr;
    sk::Int32 mark = 0;
    const sk::String text =
        sk::EncodedStringFromBytes(reinterpret_cast<const sk::Byte*>(bytes.data()), bytes.size(), encoding, mark);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void Read(benchmark::State& state, const std::string& path, size_t size) {
  const sk::String name = sk::Utf8ToString(path);
  for (auto _ : state) {
    sk::TEncoding* encoding = nullptr;
    sk::Int32 mark = 0;
    const sk::String text = sk::GetTextOfAFile(name, encoding, mark);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// The code-page decode alone, the text's room taken by the decode.
void BM_DecodeLegacyCodePage(benchmark::State& state) {
  const std::string& b = Files().legacy;
  for (auto _ : state) {
    const sk::String text = sk::CodePageToUnicode(1252, b.data(), b.size());
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * b.size()));
}
void BM_DecodeLegacyBytes(benchmark::State& state) { Decode(state, Files().legacy); }
void BM_GetTextOfALegacyFile(benchmark::State& state) { Read(state, Files().legacyPath, Files().legacy.size()); }
void BM_DecodeUtf16Bytes(benchmark::State& state) { Decode(state, Files().utf16); }
void BM_GetTextOfAUtf16File(benchmark::State& state) { Read(state, Files().utf16Path, Files().utf16.size()); }

BENCHMARK(BM_DecodeLegacyCodePage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodeLegacyBytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GetTextOfALegacyFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodeUtf16Bytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GetTextOfAUtf16File)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
