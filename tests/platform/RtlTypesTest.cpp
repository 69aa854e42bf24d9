#include <gtest/gtest.h>

#include "platform/runtime/RtlTypes.h"

namespace sk {

TEST(RtlTypesUtf8Conversion, RoundTripsBmpAndSupplementary) {
  const String s = u"a\u00DF\u4E2D\U0001F600";
  EXPECT_EQ(Utf8ToString(StringToUtf8(s)), s);
}

TEST(RtlTypesUtf8Conversion, InvalidBytesBecomeReplacementCharacters) {
  const std::string bad = "a\xFF" "b";
  EXPECT_EQ(Utf8ToString(bad), String(u"a\uFFFDb"));
}

TEST(RtlTypesUtf8Conversion, LoneSurrogateIsWrittenAsReplacement) {
  String s;
  s.push_back(0xD800);
  EXPECT_EQ(StringToUtf8(s), "\xEF\xBF\xBD");
}

}  // namespace sk
