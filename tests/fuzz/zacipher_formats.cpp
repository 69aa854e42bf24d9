// Fuzz target for the string formats of the cipher library (hexadecimal,
// Base64, UU and XX decoders read untrusted text) and the line and block
// helpers.
//
// The first input byte picks the format and the helper texts; the rest is
// taken both as raw bytes (encode, decode, compare) and as format text
// (validate, decode; what decodes must encode and decode to the same bytes).
//
// Build by hand with clang (from the repository root; -Dconstinit= because
// clang 14 cannot constant-initialise the runtime's std::u16string globals
// from GCC 12's library, so they are initialised at load time instead):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Dconstinit= -I. \
//     tests/fuzz/zacipher_formats.cpp zip/ZACryptUtil.cpp zip/ZACryptUtil_formats.cpp \
//     zip/ZACryptConst.cpp platform/runtime/*.cpp \
//     $(pkg-config --cflags --libs icu-uc icu-i18n libzip zlib libcrypto) -o zacipher_formats
//   ./zacipher_formats -max_total_time=120 tests/fuzz/corpus/zacipher_formats
// The seeds come from the encoders: build the same sources without
// -fsanitize=fuzzer and with -DSK_FUZZ_WRITE_SEEDS, and run the program with
// the corpus folder as its argument.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "zip/ZACryptUtil.h"

namespace {

using namespace sk;

const TStringFormat* const kFormats[] = {
    &TStringFormat::ClassRef(),        &TStringFormat_HEX::ClassRef(), &TStringFormat_HEXL::ClassRef(),
    &TStringFormat_MIME64::ClassRef(), &TStringFormat_UU::ClassRef(),  &TStringFormat_XX::ClassRef(),
};
constexpr size_t kFormatCount = sizeof(kFormats) / sizeof(kFormats[0]);

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "zacipher_formats: %s\n", what);
  std::abort();
}

Int32 Len(const AnsiString& s) { return static_cast<Int32>(s.size()); }

void CheckFormat(const TStringFormat& format, const AnsiString& data) {
  // Raw bytes: every format can hold them and gives them back.
  if (!format.IsValid(data.data(), Len(data), false)) Fail("raw bytes refused");
  const AnsiString text = format.StrTo(data.data(), Len(data));
  if (!format.IsValid(text.data(), Len(text), true)) Fail("encoder output not valid");
  if (format.ToStr(text.data(), Len(text)) != data) Fail("decode(encode(x)) != x");
  // Line breaks as InsertCR puts them in are read by the decoders that
  // skip them (UU and XX lines carry their own breaks).
  if (format.Format() == fmtHEX || format.Format() == fmtHEXL || format.Format() == fmtMIME64) {
    const AnsiString wrapped = InsertCR(text, 1 + static_cast<Int32>(data.size() % 70));
    if (format.ToStr(wrapped.data(), Len(wrapped)) != data) Fail("wrapped text decodes differently");
  }

  // The same bytes as untrusted text.
  const bool valid = format.IsValid(data.data(), Len(data), true);
  const AnsiString decoded = format.ToStr(data.data(), Len(data));
  if (!valid) {
    if (!decoded.empty() && format.Format() != fmtCOPY) Fail("invalid text decoded to bytes");
    return;
  }
  const AnsiString again = format.StrTo(decoded.data(), Len(decoded));
  if (format.ToStr(again.data(), Len(again)) != decoded) Fail("re-encoded text decodes differently");
}

void CheckHelpers(const AnsiString& data, uint8_t selector) {
  const size_t cut1 = data.size() / 3;
  const size_t cut2 = 2 * data.size() / 3;
  const AnsiString start = data.substr(0, std::min<size_t>(cut1, selector & 3));
  const AnsiString end = data.substr(cut1, std::min<size_t>(cut2 - cut1, (selector >> 2) & 3));
  const AnsiString text = data.substr(cut2);
  const AnsiString removed = RemoveBlocks(text, start, end);
  if (removed.size() > text.size()) Fail("RemoveBlocks grew the text");
  const Int32 width = 1 + (selector >> 4);
  // Wrapping undoes when no byte of the start and end texts occurs in the text.
  if (!start.empty() && !end.empty() && text.find_first_of(start + end) == AnsiString::npos) {
    const AnsiString blocks = InsertBlocks(text, start, end, width);
    if (text.size() > static_cast<size_t>(width) && RemoveBlocks(blocks, start, end) != text)
      Fail("RemoveBlocks(InsertBlocks(x)) != x");
  }
  const AnsiString lines = InsertCR(text, width);
  if (DeleteCR(lines) != DeleteCR(text)) Fail("DeleteCR(InsertCR(x)) != DeleteCR(x)");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  const AnsiString rest(reinterpret_cast<const char*>(data + 1), size - 1);
  CheckFormat(*kFormats[selector % kFormatCount], rest);
  CheckHelpers(rest, selector);
  return 0;
}

#ifdef SK_FUZZ_WRITE_SEEDS
// Writes the seed corpus: for each format, sample bytes and their encoded
// text, each behind the selector byte of the format.
int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const AnsiString samples[] = {
      "", "f", "fo", "foo", "foobar", "Cat", AnsiString(1, '\0'), AnsiString("\x00\xff\x80\x7f\x01", 5),
      AnsiString(45, 'A'), AnsiString(46, 'B'), AnsiString(100, '\xAA'), "The quick brown fox jumps over the lazy dog",
  };
  int n = 0;
  for (size_t f = 0; f < kFormatCount; ++f) {
    for (const AnsiString& raw : samples) {
      const AnsiString text = kFormats[f]->StrTo(raw.data(), Len(raw));
      for (const AnsiString* body : {&raw, &text}) {
        const std::string path = folder + "/seed_" + std::to_string(n++);
        FILE* out = std::fopen(path.c_str(), "wb");
        if (!out) return 1;
        std::fputc(static_cast<int>(f), out);
        std::fwrite(body->data(), 1, body->size(), out);
        std::fclose(out);
      }
    }
  }
  return 0;
}
#endif
