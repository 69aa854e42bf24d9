#include "platform/runtime/RtlTypes.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace sk {

Exception::Exception(String msg) : fMessage(std::move(msg)), fWhat(StringToUtf8(fMessage)) {}

void Exception::SetMessage(String msg) {
  fMessage = std::move(msg);
  fWhat = StringToUtf8(fMessage);
}

void RaiseListIndexError(Int32 index) {
  throw EListError(u"List index out of bounds (" + Utf8ToString(std::to_string(index)) + u")");
}

String Utf8ToString(const char* p, size_t n) {
  String out;
  out.reserve(n);
  const auto* s = reinterpret_cast<const uint8_t*>(p);
  int32_t i = 0;
  const auto len = static_cast<int32_t>(n);
  while (i < len) {
    UChar32 c;
    U8_NEXT_OR_FFFD(s, i, len, c);
    if (c <= 0xFFFF) {
      out.push_back(static_cast<Char>(c));
    } else {
      out.push_back(static_cast<Char>(U16_LEAD(c)));
      out.push_back(static_cast<Char>(U16_TRAIL(c)));
    }
  }
  return out;
}

String Utf8ToString(const std::string& s) { return Utf8ToString(s.data(), s.size()); }

std::string StringToUtf8(const String& s) {
  std::string out;
  out.reserve(s.size());
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = s[i];
    if (U16_IS_LEAD(c) && i + 1 < n && U16_IS_TRAIL(s[i + 1])) {
      c = U16_GET_SUPPLEMENTARY(c, s[i + 1]);
      ++i;
    } else if (U16_IS_SURROGATE(c)) {
      c = 0xFFFD;  // a lone surrogate cannot be written as UTF-8
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

}  // namespace sk
