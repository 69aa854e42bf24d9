#include "core/Pointer_utils.h"

#include <cstring>

#include "core/Basic_consts.h"
#include "core/Comparing_types.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Locale.h"

namespace sk {

namespace {

// The text of p, or the empty text for nil, so that a record that never got a
// word compares as an empty word rather than failing.
const Char* OrEmpty(const Char* p) { return p != nullptr ? p : nowt; }

size_t PcharLength(const Char* p) {
  if (p == nullptr) return 0;
  size_t n = 0;
  while (p[n] != 0) ++n;
  return n;
}

Int32 Sign(Int32 v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

}  // namespace

TOwnedPWideChar MyNewPChar(const Char* p) { return TOwnedPWideChar(String(OrEmpty(p))); }

void DeletePChar(TOwnedPWideChar& p) { p.Reset(); }

TOwnedPWideChar CheckedNewLenPchar(const Char* p, Int32 len) {
  if (p == nullptr || len <= 0) return TOwnedPWideChar(String(nowt));
  String s;
  s.reserve(static_cast<size_t>(len));
  for (Int32 i = 0; i < len && p[i] != 0; ++i) s.push_back(p[i]);
  // The copy always holds len characters before its terminator; a source that
  // ends early leaves the rest zero.
  s.resize(static_cast<size_t>(len), 0);
  return TOwnedPWideChar(s);
}

bool PCharTagArrayContainsSymbol(const std::vector<TPcharTag>& arr, Char ch) {
  for (const TPcharTag& t : arr) {
    const Char* w = t.wrd.get();
    if (w == nullptr) continue;
    for (; *w != 0; ++w)
      if (*w == ch) return true;
  }
  return false;
}

Int32 ComparePchar(const Char* p1, const Char* p2) {
  p1 = OrEmpty(p1);
  p2 = OrEmpty(p2);
  while (*p1 != 0 && *p1 == *p2) {
    ++p1;
    ++p2;
  }
  return static_cast<Int32>(*p1) - static_cast<Int32>(*p2);
}

Int32 CompareLCID_Pchar(Cardinal lcid, const Char* p1, const Char* p2) {
  return CompareStringW(lcid, 0, OrEmpty(p1), -1, OrEmpty(p2), -1) - CSTR_EQUAL;
}

Int32 CompareLCID_PcharWithLength(Cardinal lcid, const Char* p1, const Char* p2, Int32 len1, Int32 len2) {
  if (p1 == nullptr) len1 = 0;
  if (p2 == nullptr) len2 = 0;
  return CompareStringW(lcid, 0, OrEmpty(p1), len1, OrEmpty(p2), len2) - CSTR_EQUAL;
}

Int32 CompareLCID_PcharTag(Cardinal lcid, const TPcharTag& a, const TPcharTag& b) {
  Int32 r = CompareLCID_Pchar(lcid, a.wrd.get(), b.wrd.get());
  if (r != 0) return r;
  return CompareLongints(a.tagnum_2B, b.tagnum_2B);
}

Int32 CompareLCID_TagPchar(Cardinal lcid, const TPcharTag& a, const TPcharTag& b) {
  Int32 r = CompareLongints(a.tagnum_2B, b.tagnum_2B);
  if (r != 0) return r;
  return CompareLCID_Pchar(lcid, a.wrd.get(), b.wrd.get());
}

Int32 CompareLCID_StringTag(Cardinal lcid, const TStringTag& a, const TStringTag& b) {
  Int32 r = CompareLCID_Pchar(lcid, a.wrd.c_str(), b.wrd.c_str());
  if (r != 0) return r;
  return CompareLongints(a.tagnum_2B, b.tagnum_2B);
}

Int32 CompareLCID_TagString(Cardinal lcid, const TStringTag& a, const TStringTag& b) {
  Int32 r = CompareLongints(a.tagnum_2B, b.tagnum_2B);
  if (r != 0) return r;
  return CompareLCID_Pchar(lcid, a.wrd.c_str(), b.wrd.c_str());
}

Int32 CompareLCID_PcharTagArray(Cardinal lcid, const std::vector<TPcharTag>& a, const std::vector<TPcharTag>& b) {
  return CompareArrays(a, b, [lcid](const TPcharTag& x, const TPcharTag& y) { return CompareLCID_PcharTag(lcid, x, y); });
}

Int32 CompareLCID_TagPcharArray(Cardinal lcid, const std::vector<TPcharTag>& a, const std::vector<TPcharTag>& b) {
  return CompareArrays(a, b, [lcid](const TPcharTag& x, const TPcharTag& y) { return CompareLCID_TagPchar(lcid, x, y); });
}

Int32 CompareLCID_StringTagArray(Cardinal lcid, const std::vector<TStringTag>& a, const std::vector<TStringTag>& b) {
  return CompareArrays(a, b,
                       [lcid](const TStringTag& x, const TStringTag& y) { return CompareLCID_StringTag(lcid, x, y); });
}

Int32 CompareLCID_TagStringArray(Cardinal lcid, const std::vector<TStringTag>& a, const std::vector<TStringTag>& b) {
  return CompareArrays(a, b,
                       [lcid](const TStringTag& x, const TStringTag& y) { return CompareLCID_TagString(lcid, x, y); });
}

Int32 CompareLCID_PcharTagArrayWordOnly(Cardinal lcid, const std::vector<TPcharTag>& a,
                                        const std::vector<TPcharTag>& b) {
  return CompareArrays(a, b, [lcid](const TPcharTag& x, const TPcharTag& y) {
    return CompareLCID_Pchar(lcid, x.wrd.get(), y.wrd.get());
  });
}

Int32 CompareLCID_PcharTagArrayTagOnly(Cardinal /*lcid*/, const std::vector<TPcharTag>& a,
                                       const std::vector<TPcharTag>& b) {
  return CompareArrays(a, b,
                       [](const TPcharTag& x, const TPcharTag& y) { return CompareLongints(x.tagnum_2B, y.tagnum_2B); });
}

Int32 CompareLCID_PosPchar(Cardinal /*lcid*/, const Char* text, const Char* pattern, bool prefixFlag, bool suffixFlag,
                           bool digitFlag) {
  if (text == nullptr || pattern == nullptr) return 1;
  const size_t textLen = PcharLength(text);
  if (digitFlag) {
    for (size_t i = 0; i < textLen; ++i)
      if (text[i] >= u'0' && text[i] <= u'9') return 0;
    return 1;
  }
  const size_t patLen = PcharLength(pattern);
  if (prefixFlag) {
    // Compares up to the pattern's length, stopping at the end of the shorter
    // text, as a bounded ordinal comparison does.
    for (size_t i = 0; i < patLen; ++i) {
      if (i >= textLen) return 1;
      if (pattern[i] != text[i]) return Sign(static_cast<Int32>(pattern[i]) - static_cast<Int32>(text[i]));
    }
    return 0;
  }
  if (suffixFlag) {
    if (textLen < patLen) return 1;
    const Char* tail = text + (textLen - patLen);
    for (size_t i = 0; i < patLen; ++i)
      if (tail[i] != pattern[i]) return Sign(static_cast<Int32>(tail[i]) - static_cast<Int32>(pattern[i]));
    return 0;
  }
  if (patLen == 0) return 0;
  const String t(text, textLen);
  return t.find(pattern, 0, patLen) != String::npos ? 0 : 1;
}

SK_COUNTER_ONLY_UNIT(Pointer_utils)

}  // namespace sk
