// Text decoding and encoding detection, fed untrusted bytes: byte-order-mark
// detection, UTF-8 validation, decoding with a detected or given encoding,
// ANSI text in any code page, the line-end repair and the folding of accents.
// The forms agree with each other: a validated UTF-8 text decodes strictly, a
// text decoded in a code page is the same by every route, and the repairs are
// idempotent.
#include <algorithm>
#include <cstring>
#include <memory>

#include "core/My_string_functions_readable.h"
#include "core/Unicode_string_conversion.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Encoding.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

constexpr Cardinal kCodePages[] = {CP_ACP, 437,  850,   932,   936,   949,   950,   1214,  1250,  1251,
                                   1252,   1253, 12000, 20127, 28591, 50220, 50221, 50222, 54936, 65000,
                                   65001,  1200, 1201};

enum Mode : uint8_t { kDetect, kGivenEncoding, kAnsi, kLineEnds, kPrecomposed, kPieces, kModeCount };

void Detect(const TBytes& bytes) {
  TEncoding* enc = nullptr;
  Int32 bom = -1;
  const String text = EncodedStringFromBytes(bytes, enc, bom);
  SK_FUZZ_CHECK(bom == 0 || bom == 2 || bom == 3);
  SK_FUZZ_CHECK(static_cast<size_t>(bom) <= bytes.size());
  if (bytes.empty()) return;
  SK_FUZZ_CHECK(enc != nullptr);
  TEncoding* again = nullptr;
  SK_FUZZ_CHECK(ConvertedStringToUnicode(bytes, again) == text && again == enc);
  // Whatever a reader tells of where it met a byte that is not UTF-8, and
  // whatever room the text is given, the text is the same.
  String told(bytes.size() % 7 == 0 ? bytes.size() * 2 : 0, u'x');
  Int32 toldBom = -1;
  EncodedStringFromBytesInto(told, bytes.data(), bytes.size(), again, toldBom, bytes.size() / 3);
  SK_FUZZ_CHECK(told == text && again == enc && toldBom == bom);
  // Valid UTF-8 decodes strictly, and only valid UTF-8 does.
  const bool valid = IsUTF8Valid(bytes);
  const Int32 strict = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<Int32>(bytes.size()), nullptr, 0);
  SK_FUZZ_CHECK(valid == (strict > 0));
  if (bom == 0 && valid) SK_FUZZ_CHECK(enc == TEncoding::UTF8());
  // The word-processor form decodes all bytes as UTF-8, a mark included.
  const String xml = ConvertedWordXML_UTF8StringToUnicode(bytes);
  if (valid) SK_FUZZ_CHECK(xml == Utf8ToString(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  // A zero-terminated form reads up to the first zero byte.
  std::string z(bytes.begin(), bytes.end());
  TEncoding* zenc = nullptr;
  (void)ConvertedStringToUnicode(z.c_str(), zenc);
}

void GivenEncoding(Cardinal cp, const TBytes& bytes) {
  TEncoding* enc = cp == 0 ? nullptr : TEncoding::GetEncodingShared(cp);
  if (cp != 0 && enc == nullptr) return;
  TEncoding* used = enc;
  const String text = FurtherEncodedStringFromBytes(bytes, used);
  if (bytes.empty()) return;
  SK_FUZZ_CHECK(used != nullptr);
  if (enc == nullptr) SK_FUZZ_CHECK(used == TEncoding::UTF8());
  // A list with that encoding passes its text through it.
  TStringList list;
  list.SetEncoding(used);
  list.SetTextStr(text);
  SK_FUZZ_CHECK(ConvertedStringlistToUnicode(&list, cp) == (used->CodePage() != CP_UTF16LE));
}

// ANSI text in a code page: the size asked for is the size delivered, so the
// text is never lost, and it is what the whole-string conversion gives.
void Ansi(Cardinal cp, const TBytes& bytes) {
  if (bytes.empty()) return;
  const std::unique_ptr<char[]> p(new char[bytes.size() + 1]);
  std::memcpy(p.get(), bytes.data(), bytes.size());
  p[bytes.size()] = '\0';
  const String text = AnsiConvertedToString(cp, p.get(), static_cast<Int32>(bytes.size()));
  if (IsValidCodePage(cp)) SK_FUZZ_CHECK(text == CodePageToUnicode(cp, p.get(), bytes.size()));
  (void)AnsiConvertedToString(static_cast<Cardinal>(0x0409 + (cp & 0x3FF)), p.get());
  (void)AnsiConvertedToString(p.get());
}

void LineEnds(const String& text, const std::string& raw) {
  Int32 fixes = -1;
  const String fixed = UnixStringToWindowsStringW(fixes, text);
  SK_FUZZ_CHECK(fixes >= 0);
  Int32 again = -1;
  SK_FUZZ_CHECK(UnixStringToWindowsStringW(again, fixed) == fixed && again == 0);
  for (size_t i = 0; i < fixed.size(); ++i) {
    if (fixed[i] == u'\n') SK_FUZZ_CHECK(i > 0 && fixed[i - 1] == u'\r');
    if (fixed[i] == u'\r' && i + 1 < fixed.size()) SK_FUZZ_CHECK(fixed[i + 1] == u'\n');
  }
  Int32 afixes = -1;
  const AnsiString afixed = UnixStringToWindowsString(afixes, raw);
  Int32 aagain = -1;
  SK_FUZZ_CHECK(UnixStringToWindowsString(aagain, afixed) == afixed && aagain == 0);
}

void Precomposed(const String& text) {
  const String once = EnsurePrecomposed(text);
  SK_FUZZ_CHECK(EnsurePrecomposed(once) == once);
  SK_FUZZ_CHECK(once.size() <= text.size());
}

// UTF-8 decoded piece by piece as a file is read: each piece cut where
// Utf8WholeSequencesLength cuts, the rest carried into the next. The pieces
// are well-formed exactly when the whole is, and then decode to the whole.
void Pieces(size_t piece, const TBytes& bytes) {
  const char* p = reinterpret_cast<const char*>(bytes.data());
  bool wholeValid = false;
  const String whole = Utf8ToString(p, bytes.size(), &wholeValid);
  String text;
  bool valid = true;
  size_t from = 0;
  while (from < bytes.size()) {
    const size_t end = std::min(bytes.size(), from + piece);
    const size_t cut = end == bytes.size() ? end - from : Utf8WholeSequencesLength(p + from, end - from);
    SK_FUZZ_CHECK(cut <= end - from && end - from - cut <= 3);
    valid = AppendUtf8ToString(text, p + from, cut) && valid;
    // A piece shorter than a sequence leaves nothing to take: the next one
    // is longer by what was carried.
    from += cut;
    if (cut == 0) piece += 4;
  }
  SK_FUZZ_CHECK(valid == wholeValid);
  if (valid) SK_FUZZ_CHECK(text == whole);
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  const String sample = u"Caf\u00E9\r\nna\u00EFve\n\u65E5\u672C\u8A9E\r\u0416 \U0001F600 e\u0301";
  auto add = [&](uint8_t mode, const TBytes& extra, const TBytes& data) {
    TBytes b{mode};
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), data.begin(), data.end());
    seeds.Add(b);
  };
  for (TEncoding* e : {TEncoding::UTF8(), TEncoding::Unicode(), TEncoding::BigEndianUnicode()}) {
    TBytes b = e->GetPreamble();
    const TBytes body = e->GetBytes(sample);
    b.insert(b.end(), body.begin(), body.end());
    add(kDetect, {}, b);
  }
  const RawByteString ansi = UnicodeToCodePage(1252, sample);
  add(kDetect, {}, TBytes(ansi.begin(), ansi.end()));
  const size_t count = sizeof kCodePages / sizeof kCodePages[0];
  for (size_t k = 0; k < count; ++k) {
    const RawByteString bytes = UnicodeToCodePage(kCodePages[k], sample);
    add(kAnsi, {static_cast<Byte>(k)}, TBytes(bytes.begin(), bytes.end()));
  }
  const RawByteString sjis = UnicodeToCodePage(932, sample);
  add(kGivenEncoding, {3}, TBytes(sjis.begin(), sjis.end()));
  const std::string utf8 = StringToUtf8(sample);
  add(kLineEnds, {}, TBytes(utf8.begin(), utf8.end()));
  add(kPrecomposed, {}, TBytes(utf8.begin(), utf8.end()));
  for (Byte piece : {1, 3, 7, 16})
    add(kPieces, {piece}, TBytes(utf8.begin(), utf8.end()));
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  switch (mode) {
    case kDetect: Detect(in.Rest()); break;
    case kGivenEncoding: {
      const uint8_t k = in.Byte();
      const Cardinal cp = k == 0xFF ? 0 : kCodePages[k % (sizeof kCodePages / sizeof kCodePages[0])];
      GivenEncoding(cp, in.Rest());
      break;
    }
    case kAnsi: {
      const uint8_t k = in.Byte();
      Ansi(kCodePages[k % (sizeof kCodePages / sizeof kCodePages[0])], in.Rest());
      break;
    }
    case kLineEnds: {
      const TBytes rest = in.Rest();
      LineEnds(Input::Text(rest, false), std::string(rest.begin(), rest.end()));
      break;
    }
    case kPrecomposed: Precomposed(in.RestText(true)); break;
    case kPieces: {
      const size_t piece = 1 + in.Byte() % 64;
      Pieces(piece, in.Rest());
      break;
    }
    default: break;
  }
  return 0;
}
