#include "core/Useful_classes_base_compare.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "core/Pointer_utils.h"
#include "platform/runtime/Locale.h"

namespace sk {

namespace {

Int32 DoubleOrder(Double a, Double b) {
  if (std::isnan(a) || std::isnan(b)) return -1;
  if (a == b) return 0;
  return b > a ? -1 : 1;
}

}  // namespace

// ---- strings and tagged words ---------------------------------------------------

Int32 Compare2Strings(const String& a, const String& b) {
  const int r = a.compare(b);
  return r == 0 ? 0 : (r < 0 ? -1 : 1);
}

Int32 Compare2StringsCaseInsensitively(const String& a, const String& b) {
  if (SameText(a, b)) return 0;
  // Case mapping never changes a text's length, so the upper-case forms compare
  // position by position with the originals.
  return Compare2Strings(AnsiUpperCase(a), AnsiUpperCase(b));
}

Int32 CrudeStringComparison(const String& a, const String& b) { return ComparePchar(a.c_str(), b.c_str()); }

Int32 LCIDStringComparison(const String& a, const String& b, Cardinal lcid) {
  return CompareLCID_Pchar(lcid, a.c_str(), b.c_str());
}

Int32 Compare2StringAndTags(const TStringTag& a, const TStringTag& b) {
  Int32 r = Compare2Strings(a.wrd, b.wrd);
  if (r != 0) return r;
  return CompareLongints(a.tagnum_2B, b.tagnum_2B);
}

Int32 Compare2StringAndTagsInsensitive(const TStringTag& a, const TStringTag& b) {
  Int32 r = Compare2StringsCaseInsensitively(a.wrd, b.wrd);
  if (r != 0) return r;
  return CompareLongints(a.tagnum_2B, b.tagnum_2B);
}

Int32 Compare2TagsAndStrings(const TStringTag& a, const TStringTag& b) {
  Int32 r = CompareLongints(a.tagnum_2B, b.tagnum_2B);
  if (r != 0) return r;
  return Compare2Strings(a.wrd, b.wrd);
}

Int32 Compare2StringAndTagsArray(const std::vector<TStringTag>& a, const std::vector<TStringTag>& b) {
  return CompareArrays(a, b, Compare2StringAndTags);
}

Int32 Compare2PcharAndTags(const TPcharTag& a, const TPcharTag& b) {
  Int32 r = ComparePchar(a.wrd.get(), b.wrd.get());
  if (r != 0) return r < 0 ? -1 : 1;
  return CompareLongints(a.tagnum_2B, b.tagnum_2B);
}

Int32 Compare2PcharAndTagsArray(const std::vector<TPcharTag>& a, const std::vector<TPcharTag>& b) {
  return CompareArrays(a, b, Compare2PcharAndTags);
}

Int32 CompareChars(Char a, Char b) { return a == b ? 0 : (a < b ? -1 : 1); }

// ---- records, dates and encodings -------------------------------------------------

Int32 Compare2LongintRecs(const T2_longint_rec& a, const T2_longint_rec& b, T2LongintSort which) {
  if (which == t2_long1) return CompareLongints(a.long1, b.long1);
  return CompareLongints(a.long0, b.long0);
}

Int32 Compare2CardinalsCard1(const Tdouble_cardinal_rec& a, const Tdouble_cardinal_rec& b) {
  return CompareCardinals(a.card1, b.card1);
}

Int32 Compare2CardinalsCard2(const Tdouble_cardinal_rec& a, const Tdouble_cardinal_rec& b) {
  return CompareCardinals(a.card2, b.card2);
}

Int32 CompareIntAnd3CardinalsCard1(const TIntegerAnd3CardinalsRec& a, const TIntegerAnd3CardinalsRec& b) {
  return CompareCardinals(a.value.card1, b.value.card1);
}

Int32 CompareIntAnd3CardinalsCard2(const TIntegerAnd3CardinalsRec& a, const TIntegerAnd3CardinalsRec& b) {
  return CompareCardinals(a.value.card2, b.value.card2);
}

Int32 CompareIntAnd3CardinalsCard3(const TIntegerAnd3CardinalsRec& a, const TIntegerAnd3CardinalsRec& b) {
  return CompareCardinals(a.value.card3, b.value.card3);
}

Int32 CompareIntAnd3CardinalsFreq(const TIntegerAnd3CardinalsRec& a, const TIntegerAnd3CardinalsRec& b) {
  return CompareCardinals(static_cast<Cardinal>(a.freq), static_cast<Cardinal>(b.freq));
}

Int32 CompareIntAnd2CardinalsCard1(const TIntegerAnd2CardinalsRec& a, const TIntegerAnd2CardinalsRec& b) {
  return CompareCardinals(a.value.card1, b.value.card1);
}

Int32 CompareIntAnd2CardinalsCard2(const TIntegerAnd2CardinalsRec& a, const TIntegerAnd2CardinalsRec& b) {
  return CompareCardinals(a.value.card2, b.value.card2);
}

Int32 CompareIntAnd2CardinalsFreq(const TIntegerAnd2CardinalsRec& a, const TIntegerAnd2CardinalsRec& b) {
  return CompareLongints(a.freq, b.freq);
}

Int32 CompareJulianDates(Double a, Double b) { return DoubleOrder(a, b); }

Int32 CompareDates(Double a, Double b) { return DoubleOrder(a, b); }

Int32 ValueOfEncoding(TEncoding* e) {
  if (e == nullptr) return -1;
  if (e == TEncoding::ASCII()) return 0;
  if (e == TEncoding::UTF7()) return 1;
  if (e == TEncoding::ANSI()) return 2;
  if (e == TEncoding::UTF8()) return 3;
  if (e == TEncoding::Unicode()) return 4;
  if (e == TEncoding::BigEndianUnicode()) return 5;
  return 6;
}

Int32 CompareEncodings(TEncoding* a, TEncoding* b) {
  if (a == b) return 0;
  return ValueOfEncoding(a) > ValueOfEncoding(b) ? 1 : -1;
}

Int32 ReversedComparisonInteger(Int32 v) {
  // The lowest value has no opposite in 32 bits; the highest stands for it.
  return v == INT32_MIN ? INT32_MAX : -v;
}

// ---- small helpers ------------------------------------------------------------------

void ExchangeTwoInt64s(Int64& a, Int64& b) { std::swap(a, b); }
void ExchangeTwoIntegers(Int32& a, Int32& b) { std::swap(a, b); }
void ExchangeTwoChars(Char& a, Char& b) { std::swap(a, b); }
void ExchangeTwoStrings(String& a, String& b) { a.swap(b); }
void ExchangeTwoPointers(Pointer& a, Pointer& b) { std::swap(a, b); }

void DoAStrCopy(const String& s, Char* buffer, Int32 sizeInBytes) {
  if (buffer == nullptr || sizeInBytes <= 0) return;
  std::memset(buffer, 0, static_cast<size_t>(sizeInBytes));
  const Int32 room = sizeInBytes / 2 - 1;
  if (room <= 0 || s.empty()) return;
  const size_t n = s.size() < static_cast<size_t>(room) ? s.size() : static_cast<size_t>(room);
  std::memcpy(buffer, s.data(), n * sizeof(Char));
}

TConcordance_span IntegerToConcSpan(Int32 n) {
  if (n >= 0 && n < 102) return static_cast<TConcordance_span>(n);
  return span_Centre;
}

Int32 ConcSpanToInteger(TConcordance_span span) { return static_cast<Int32>(span); }

}  // namespace sk
