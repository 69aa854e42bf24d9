#include "core/Unicode_string_conversion.h"

#include <algorithm>
#include <cstring>

#include "core/Basic_processes.h"
#include "core/UnitCounter.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Locale.h"

namespace sk {

namespace {

bool IsUtf16(Cardinal cp) { return cp == CP_UTF16LE || cp == CP_UTF16BE; }

// True when every byte decodes in the code page (no invalid or undefined bytes).
bool DecodesStrictly(Cardinal cp, const Byte* p, size_t n) {
  if (n == 0) return true;
  if (ResolveCodePage(cp) == CP_UTF8) return IsUTF8Valid(p, n);
  if (n > static_cast<size_t>(INT32_MAX)) return false;
  return MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(p), static_cast<Int32>(n),
                             nullptr, 0) > 0;
}

// Bytes from this many on are decoded in pieces, with a yield to the host
// between pieces when one is due.
constexpr size_t kDecodePiece = size_t{256} << 10;

// UTF-8 bytes decoded into out piece by piece (cut between whole sequences,
// so that the text is the one the bytes give whole); false, and out then
// partly written, as soon as a piece holds bytes that are not UTF-8.
bool Utf8InPiecesInto(String& out, const char* p, size_t n) {
  out.clear();
  out.reserve(n);
  TTimedYield yield;
  for (size_t at = 0; at < n;) {
    size_t take = std::min(kDecodePiece, n - at);
    if (at + take < n) {
      const size_t whole = Utf8WholeSequencesLength(p + at, take);
      if (whole > 0) take = whole;
    }
    if (!AppendUtf8ToString(out, p + at, take)) return false;
    at += take;
    yield.Tick(take);
  }
  return true;
}

// Bytes of a code page decoded into out as CodePageToUnicodeInto decodes
// them, in pieces when there are many.
void CodePageInPiecesInto(String& out, Cardinal cp, const char* p, size_t n) {
  if (n <= kDecodePiece) {
    CodePageToUnicodeInto(out, cp, p, n);
    return;
  }
  TCodePageDecoder decoder(out, cp, n);
  if (!decoder.Ok()) {
    out.clear();
    return;
  }
  TTimedYield yield;
  for (size_t at = 0; at < n; at += kDecodePiece) {
    const size_t take = std::min(kDecodePiece, n - at);
    decoder.Add(p + at, take);
    yield.Tick(take);
  }
  if (!decoder.Finish()) out.clear();
}

TBytes BytesOf(const AnsiChar* p, size_t n) {
  const auto* b = reinterpret_cast<const Byte*>(p);
  return TBytes(b, b + n);
}

}  // namespace

String EncodedStringFromBytes(const TBytes& bytes, TEncoding*& encoding, Int32& bomLength) {
  return EncodedStringFromBytes(bytes.data(), bytes.size(), encoding, bomLength);
}

String EncodedStringFromBytes(const Byte* bytes, size_t count, TEncoding*& encoding, Int32& bomLength) {
  String text;
  EncodedStringFromBytesInto(text, bytes, count, encoding, bomLength);
  return text;
}

void EncodedStringFromBytesInto(String& out, const Byte* bytes, size_t count, TEncoding*& encoding,
                                Int32& bomLength) {
  EncodedStringFromBytesInto(out, bytes, count, encoding, bomLength, kUtf8LookAhead);
}

void EncodedStringFromBytesInto(String& out, const Byte* bytes, size_t count, TEncoding*& encoding, Int32& bomLength,
                                size_t notUtf8Within) {
  encoding = nullptr;
  bomLength = 0;
  if (bytes == nullptr || count == 0) {
    out.clear();
    return;
  }
  TEncoding* found = nullptr;
  bomLength = TEncoding::GetBufferEncoding(bytes, count, found, TEncoding::UTF8());
  encoding = found;
  const Byte* p = bytes + bomLength;
  const size_t n = count - static_cast<size_t>(bomLength);
  const char* chars = reinterpret_cast<const char*>(p);
  if (found->CodePage() != CP_UTF8) {
    // Behind a mark the encoding is certain; undecodable bytes become U+FFFD
    // rather than losing the whole text.
    CodePageInPiecesInto(out, found->CodePage(), chars, n);
    return;
  }
  if (bomLength == 0) {
    // Without a mark, bytes that are not UTF-8 are a text in the ANSI code
    // page. Such a text nearly always shows it in its first lines: those are
    // looked at before any room is taken for a UTF-8 text, so that the text
    // is decoded once, in its code page, into room of its own size.
    const size_t head = notUtf8Within >= n ? n : Utf8WholeSequencesLength(chars, notUtf8Within);
    bool valid = IsUTF8Valid(p, head);
    if (valid) {
      // Decoded and validated in one pass.
      if (n > kDecodePiece) {
        valid = Utf8InPiecesInto(out, chars, n);
      } else {
        Utf8ToStringInto(out, chars, n, &valid);
      }
      if (valid) return;
    }
    encoding = TEncoding::ANSI();
    CodePageInPiecesInto(out, encoding->CodePage(), chars, n);
    return;
  }
  // Behind a UTF-8 mark a byte that is not UTF-8 becomes U+FFFD (such text,
  // rare, is decoded again whole).
  if (n <= kDecodePiece || !Utf8InPiecesInto(out, chars, n)) Utf8ToStringInto(out, chars, n);
}

String ConvertedStringToUnicode(const TBytes& bytes, TEncoding*& encoding) {
  Int32 bomLength = 0;
  return EncodedStringFromBytes(bytes, encoding, bomLength);
}

String ConvertedStringToUnicode(const RawByteString& utf8, TEncoding*& encoding) {
  return ConvertedStringToUnicode(BytesOf(utf8.data(), utf8.size()), encoding);
}

String ConvertedStringToUnicode(const AnsiChar* p, TEncoding*& encoding) {
  if (p == nullptr) {
    encoding = nullptr;
    return String();
  }
  return ConvertedStringToUnicode(BytesOf(p, std::strlen(p)), encoding);
}

String FurtherEncodedStringFromBytes(const TBytes& bytes, TEncoding*& encoding) {
  if (encoding == nullptr) encoding = TEncoding::UTF8();
  if (bytes.empty()) return String();
  const Cardinal cp = encoding->CodePage();
  if (ResolveCodePage(cp) == CP_UTF8 || IsUtf16(cp) || DecodesStrictly(cp, bytes.data(), bytes.size()))
    return encoding->GetString(bytes);
  encoding = TEncoding::ANSI();
  return encoding->GetString(bytes);
}

String ConvertedWordXML_UTF8StringToUnicode(const TBytes& bytes) {
  if (bytes.empty()) return String();
  return Utf8ToString(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

String ConvertedWordXML_UTF8StringToUnicode(const RawByteString& bytes) {
  return Utf8ToString(bytes.data(), bytes.size());
}

String AnsiConvertedToString(Cardinal codePage, const AnsiChar* p, Int32 length) {
  if (p == nullptr || length < 1) return String();
  // Ask for the size first: a multi-byte code page may need fewer units than
  // bytes, and nothing may be cut off.
  const Int32 need = MultiByteToWideChar(codePage, 0, p, length, nullptr, 0);
  if (need <= 0) return String();
  String r(static_cast<size_t>(need), Char(0));
  const Int32 got = MultiByteToWideChar(codePage, 0, p, length, r.data(), need);
  r.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return r;
}

String AnsiConvertedToString(Cardinal lcid, const AnsiChar* p) {
  if (p == nullptr) return String();
  const size_t n = std::strlen(p);
  if (n > static_cast<size_t>(INT32_MAX)) return String();
  return AnsiConvertedToString(LCIDToCodePage(lcid), p, static_cast<Int32>(n));
}

String AnsiConvertedToString(const AnsiChar* p) {
  if (p == nullptr) return String();
  const size_t n = std::strlen(p);
  if (n > static_cast<size_t>(INT32_MAX)) return String();
  return AnsiConvertedToString(GetACP(), p, static_cast<Int32>(n));
}

bool ConvertedStringlistToUnicode(TStrings* list, Cardinal codePage) {
  (void)codePage;
  if (list == nullptr) return false;
  TEncoding* enc = list->Encoding();
  if (enc == nullptr || enc->CodePage() == CP_UTF16LE) return false;
  const TBytes bytes = enc->GetBytes(list->Text());
  const TBytes wide = TEncoding::Convert(enc, TEncoding::Unicode(), bytes);
  list->SetText(TEncoding::Unicode()->GetString(wide));
  return true;
}

String EnsurePrecomposed(const String& s) {
  if (s.empty()) return s;
  String folded;
  if (FoldStringW(MAP_PRECOMPOSED, s, folded)) return folded;
  return s;
}

SK_COUNTER_ONLY_UNIT(Unicode_string_conversion)

}  // namespace sk
