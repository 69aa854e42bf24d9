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

TEST(RtlTypesUtf8Conversion, RunsOfAsciiAroundOtherCharacters) {
  // ASCII is taken sixteen bytes at a time: other characters at every place
  // of a run decode as they do one by one.
  const std::string ascii = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (size_t at = 0; at <= ascii.size(); ++at) {
    for (const std::string other : {"\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xFF"}) {
      std::string bytes = ascii;
      bytes.insert(at, other);
      bool valid = true;
      const String s = Utf8ToString(bytes.data(), bytes.size(), &valid);
      String expected = Utf8ToString(ascii.substr(0, at));
      expected += other == "\xFF" ? String(u"\uFFFD") : Utf8ToString(other);
      expected += Utf8ToString(ascii.substr(at));
      EXPECT_EQ(s, expected) << at;
      EXPECT_EQ(valid, other != "\xFF");
    }
  }
}

TEST(RtlTypesUtf8Conversion, DecodingIntoAStringReusesItsRoom) {
  String out(100, u'x');
  const Char* room = out.data();
  Utf8ToStringInto(out, "caf\xC3\xA9 and more", 14);
  EXPECT_EQ(out, u"caf\u00E9 and more");
  EXPECT_EQ(out.data(), room);  // written in place
  bool valid = true;
  Utf8ToStringInto(out, "a\xFF", 2, &valid);
  EXPECT_EQ(out, u"a\uFFFD");
  EXPECT_FALSE(valid);
  // Longer than what the string holds: appended afresh.
  const std::string longer(300, 'z');
  Utf8ToStringInto(out, longer.data(), longer.size());
  EXPECT_EQ(out, String(300, u'z'));
  Utf8ToStringInto(out, nullptr, 5);
  EXPECT_EQ(out, u"");
}

}  // namespace sk
