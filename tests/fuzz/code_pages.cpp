// Code pages and TEncoding, fed untrusted bytes and text. The size that a
// conversion asks for is enough: a buffer of exactly that size takes the
// whole result, and one unit less is refused without a write past its end.
// The counting and converting forms of TEncoding agree, the whole-string
// conversions and the decoding piece by piece give what the buffer forms
// give, and a default character is read only as far as the code page's
// characters go.
#include <unicode/utf16.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/runtime/CodePages.h"
#include "platform/runtime/Encoding.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

constexpr Cardinal kCodePages[] = {
    CP_ACP, CP_OEMCP, 437,   850,   866,   874,   932,   936,   949,   950,   1200,  1201,  1214,
    1250,   1251,     1252,  1253,  1255,  1256,  1258,  10000, 12000, 12001, 20127, 20866, 20932,
    28591,  28595,    28605, 50220, 50221, 50222, 51932, 51949, 54936, 65000, 65001};

Cardinal CodePageOf(Input& in) {
  const uint8_t b = in.Byte();
  if (b == 0xFF) return in.Word();  // now and then any number at all
  return kCodePages[b % (sizeof kCodePages / sizeof kCodePages[0])];
}

bool IsUnicode(Cardinal cp) {
  return cp == CP_UTF7 || cp == CP_UTF8 || cp == 1200 || cp == 1201 || cp == 12000 || cp == 12001;
}

bool HasLoneSurrogate(const String& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (U16_IS_LEAD(s[i]) && i + 1 < s.size() && U16_IS_TRAIL(s[i + 1])) {
      ++i;
      continue;
    }
    if (U16_IS_SURROGATE(s[i])) return true;
  }
  return false;
}

enum Mode : uint8_t { kToUnicode, kFromUnicode, kEncoding, kModeCount };

// Heap buffers of exactly the size given, so that AddressSanitizer sees a
// write or read one past the end.
void ToUnicode(Cardinal cp, Cardinal flags, size_t piece, const TBytes& bytes) {
  if (bytes.empty()) return;
  const std::unique_ptr<char[]> src(new char[bytes.size()]);
  std::memcpy(src.get(), bytes.data(), bytes.size());
  const Int32 n = static_cast<Int32>(bytes.size());
  const Int32 need = MultiByteToWideChar(cp, flags, src.get(), n, nullptr, 0);
  SK_FUZZ_CHECK(need >= 0);
  if (need == 0) return;
  const std::unique_ptr<Char[]> exact(new Char[static_cast<size_t>(need)]);
  const Int32 got = MultiByteToWideChar(cp, flags, src.get(), n, exact.get(), need);
  SK_FUZZ_CHECK(got == need);
  const std::unique_ptr<Char[]> shortBuf(new Char[static_cast<size_t>(need)]);
  if (need > 1) SK_FUZZ_CHECK(MultiByteToWideChar(cp, flags, src.get(), n, shortBuf.get(), need - 1) == 0);
  if (flags == 0) {
    // The whole-string conversion gives the same text, and so do the bytes
    // decoded piece by piece.
    const String whole(exact.get(), static_cast<size_t>(got));
    SK_FUZZ_CHECK(CodePageToUnicode(cp, src.get(), bytes.size()) == whole);
    String text;
    TCodePageDecoder decoder(text, cp, bytes.size());
    for (size_t at = 0; at < bytes.size(); at += piece)
      decoder.Add(src.get() + at, std::min(piece, bytes.size() - at));
    SK_FUZZ_CHECK(decoder.Finish() && text == whole);
  }
}

void FromUnicode(Cardinal cp, Cardinal flags, const String& text, const TBytes& defaultBytes, bool withUsed) {
  if (text.empty()) return;
  const std::unique_ptr<Char[]> src(new Char[text.size()]);
  std::memcpy(src.get(), text.data(), text.size() * sizeof(Char));
  const Int32 n = static_cast<Int32>(text.size());
  // A default character: one byte for a single-byte code page, two for
  // another (the second is read only after a lead byte); none for UTF-7 and
  // UTF-8, which refuse one.
  std::unique_ptr<char[]> def;
  const Cardinal real = ResolveCodePage(cp);
  if (!defaultBytes.empty() && defaultBytes[0] != 0 && real != CP_UTF7 && real != CP_UTF8) {
    const size_t len = CodePageMaxCharSize(real) >= 2 && defaultBytes.size() > 1 ? 2 : 1;
    def.reset(new char[len]);
    std::memcpy(def.get(), defaultBytes.data(), len);
  }
  bool used = false;
  bool* usedPtr = withUsed && real != CP_UTF7 && real != CP_UTF8 ? &used : nullptr;
  const Int32 need = WideCharToMultiByte(cp, flags, src.get(), n, nullptr, 0, def.get(), usedPtr);
  SK_FUZZ_CHECK(need >= 0);
  if (need == 0) return;
  const std::unique_ptr<char[]> exact(new char[static_cast<size_t>(need)]);
  const Int32 got = WideCharToMultiByte(cp, flags, src.get(), n, exact.get(), need, def.get(), usedPtr);
  SK_FUZZ_CHECK(got == need);
  const std::unique_ptr<char[]> shortBuf(new char[static_cast<size_t>(need)]);
  if (need > 1)
    SK_FUZZ_CHECK(WideCharToMultiByte(cp, flags, src.get(), n, shortBuf.get(), need - 1, def.get(), usedPtr) == 0);
}

void Encoding(Cardinal cp, const TBytes& bytes, bool asText) {
  std::unique_ptr<TEncoding> owned;
  try {
    owned = TEncoding::GetEncoding(cp);
  } catch (const EEncodingError&) {
    return;  // not a code page this machine knows
  }
  TEncoding* enc = owned.get();
  if (asText) {
    const String text = Input::Text(bytes, true);
    const TBytes out = enc->GetBytes(text);
    SK_FUZZ_CHECK(enc->GetByteCount(text) == static_cast<Int32>(out.size()));
    if (IsUnicode(ResolveCodePage(cp)) && !HasLoneSurrogate(text)) SK_FUZZ_CHECK(enc->GetString(out) == text);
    SK_FUZZ_CHECK(TEncoding::GetEncodingShared(cp) != nullptr);
  } else {
    const String text = enc->GetString(bytes);
    SK_FUZZ_CHECK(enc->GetCharCount(bytes) == static_cast<Int32>(text.size()));
    // Part of the bytes, clamped to what is there.
    const String part = enc->GetString(bytes, bytes.size() / 3, bytes.size());
    (void)part;
    TEncoding* found = nullptr;
    const Int32 bom = TEncoding::GetBufferEncoding(bytes, found, enc);
    SK_FUZZ_CHECK(bom >= 0 && static_cast<size_t>(bom) <= bytes.size() && found != nullptr);
    const TBytes converted = TEncoding::Convert(enc, TEncoding::UTF8(), bytes);
    SK_FUZZ_CHECK(TEncoding::UTF8()->GetString(converted) == text || HasLoneSurrogate(text));
  }
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  const String sample = u"Caf\u00E9 na\u00EFve \u65E5\u672C\u8A9E \u0416\u0443\u043A \U0001F600 +-";
  auto add = [&](uint8_t mode, uint8_t cpIndex, const TBytes& extra, const TBytes& data) {
    TBytes b{mode, cpIndex};
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), data.begin(), data.end());
    seeds.Add(b);
  };
  const size_t count = sizeof kCodePages / sizeof kCodePages[0];
  for (size_t k = 0; k < count; ++k) {
    const Cardinal cp = kCodePages[k];
    const RawByteString bytes = UnicodeToCodePage(cp, sample);
    if (bytes.empty()) continue;
    add(kToUnicode, static_cast<uint8_t>(k), {0}, TBytes(bytes.begin(), bytes.end()));
  }
  TBytes wide;
  for (Char c : sample) {
    wide.push_back(static_cast<Byte>(c & 0xFF));
    wide.push_back(static_cast<Byte>(c >> 8));
  }
  add(kFromUnicode, 15, {0, '?', 0, 1}, wide);   // 1252
  add(kFromUnicode, 7, {0, 0xA1, 0xA1, 1}, wide);  // 936
  add(kEncoding, 29, {1}, wide);                   // 50220
  const std::string utf8 = StringToUtf8(sample);
  add(kEncoding, 36, {0}, TBytes(utf8.begin(), utf8.end()));
  const RawByteString utf7 = UnicodeToCodePage(CP_UTF7, sample);
  add(kEncoding, 35, {0}, TBytes(utf7.begin(), utf7.end()));
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  const Cardinal cp = CodePageOf(in);
  switch (mode) {
    case kToUnicode: {
      const uint8_t f = in.Byte();
      const Cardinal flags = (f & 1 ? MB_ERR_INVALID_CHARS : 0) | (f & 2 ? MB_COMPOSITE : 0) |
                             (f & 4 ? MB_PRECOMPOSED : 0);
      ToUnicode(cp, flags, 1 + (f >> 3), in.Rest());  // pieces of 1 to 32 bytes
      break;
    }
    case kFromUnicode: {
      const uint8_t f = in.Byte();
      const Cardinal flags = (f & 1 ? WC_NO_BEST_FIT_CHARS : 0) | (f & 2 ? WC_COMPOSITECHECK : 0) |
                             (f & 4 ? WC_ERR_INVALID_CHARS : 0);
      const TBytes def = in.Bytes(2);
      const bool withUsed = in.Bool();
      FromUnicode(cp, flags, Input::Text(in.Rest(), true), def, withUsed);
      break;
    }
    case kEncoding: {
      const bool asText = in.Bool();
      Encoding(cp, in.Rest(), asText);
      break;
    }
    default: break;
  }
  return 0;
}
