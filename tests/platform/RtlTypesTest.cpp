#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/runtime/LargeBuffers.h"
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
  // ASCII is taken sixty-four and sixteen bytes at a time: other characters
  // at every place of a run decode as they do one by one.
  const std::string ascii = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.,;:!?()[]{}"
                            "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.,;:!?()[]{}";
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

TEST(RtlTypesUtf8Conversion, PiecesCutAtWholeSequencesDecodeAsTheWhole) {
  // A text read piece by piece is cut where Utf8WholeSequencesLength says,
  // wherever the piece happens to end: the pieces decode to the whole text
  // and are well-formed exactly when the whole is.
  const std::string run(70, 'r');
  const std::string texts[] = {
      run + "\xC3\xA9" + run + "\xE4\xB8\xAD" + run + "\xF0\x9F\x98\x80" + run,
      "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xC3\xA9",
      run + "\xFF" + run,
      run + "\xE4\xB8" + run,        // a sequence cut short
      run + "\x80\x80\x80\x80" + run,  // continuation bytes with no lead
      run + "\xF8\x88\x80\x80\x80",   // no lead byte this long exists
      run + "\xF0\x9F\x98",           // cut short at the very end
  };
  for (const std::string& t : texts) {
    bool wholeValid = false;
    const String whole = Utf8ToString(t.data(), t.size(), &wholeValid);
    for (size_t end = 0; end <= t.size(); ++end) {
      const size_t cut = Utf8WholeSequencesLength(t.data(), end);
      ASSERT_LE(cut, end);
      ASSERT_LE(end - cut, 3u) << end;
      String pieces;
      const bool first = AppendUtf8ToString(pieces, t.data(), cut);
      const bool second = AppendUtf8ToString(pieces, t.data() + cut, t.size() - cut);
      ASSERT_EQ(first && second, wholeValid) << end;
      if (wholeValid) {
        ASSERT_EQ(pieces, whole) << end;
      }
    }
  }
}

TEST(RtlTypesLargeBuffers, PreparedRoomKeepsWhatItHolds) {
  // Only advice: what the room holds is the same before and after.
  std::vector<Word> room;
  room.reserve(size_t{24} << 20);
  room.assign(size_t{10} << 20, Word(7));
  room.back() = 9;
  PrepareLargeBuffer(room.data(), room.capacity() * sizeof(Word));
  EXPECT_EQ(std::count(room.begin(), room.end(), Word(7)), (size_t{10} << 20) - 1);
  EXPECT_EQ(room.back(), 9);
  PrepareLargeBuffer(nullptr, size_t{64} << 20);
  PrepareLargeBuffer(room.data(), 1);
}

}  // namespace sk
