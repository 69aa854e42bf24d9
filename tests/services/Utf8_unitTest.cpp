// Byte-order marks and UTF-8 well-formedness.
#include <gtest/gtest.h>

#include "core/CoreTestSupport.h"
#include "services/Utf8_unit.h"

namespace sk {
namespace {

RawByteString R(std::initializer_list<int> v) {
  RawByteString s;
  for (int b : v) s.push_back(static_cast<char>(b));
  return s;
}

TEST(Utf8_unit, Marks) {
  EXPECT_EQ(UTF8SignatureAsUTF8String(), R({0xEF, 0xBB, 0xBF}));
  EXPECT_TRUE(IsUTF8Signature(0xEF, 0xBB, 0xBF));
  EXPECT_FALSE(IsUTF8Signature(0xEF, 0xBB, 0xBE));
  const Byte sig[] = {0xEF, 0xBB, 0xBF, 0};
  const Byte shortSig[] = {0xEF, 0};  // stops at its terminator
  const Byte le[] = {0xFF, 0xFE, 0}, be[] = {0xFE, 0xFF, 0};
  EXPECT_TRUE(IsUTF8SignatureA(sig));
  EXPECT_FALSE(IsUTF8SignatureA(shortSig));
  EXPECT_FALSE(IsUTF8SignatureA(nullptr));
  EXPECT_TRUE(IsUTF16LESigned(le));
  EXPECT_FALSE(IsUTF16LESigned(be));
  EXPECT_TRUE(IsUTF16BESigned(be));
  EXPECT_FALSE(IsUTF16BESigned(nullptr));
  const Char wideSig[] = {0xBBEF, 0x41BF, 0};
  const Char oneChar[] = {0xBBEF, 0};
  EXPECT_TRUE(IsUTF8SignatureW(wideSig));
  EXPECT_FALSE(IsUTF8SignatureW(oneChar));
  EXPECT_FALSE(IsUTF8SignatureW(nullptr));
  EXPECT_FALSE(HasUTF_bytes(TBytes{}));
  EXPECT_FALSE(HasUTF_bytes(TBytes{0x41, 0xBF}));
  EXPECT_TRUE(HasUTF_bytes(TBytes{0x41, 0xC0}));
}

TEST(Utf8_unit, LengthInCharacters) {
  struct Case {
    RawByteString s;
    Int32 n;
  };
  const Case cases[] = {
      {R({}), 0},
      {R({0xC3, 0xA9, 0x41}), 2},
      {R({0xC3}), 1},         // cut short: the byte length
      {R({0x80, 0x41}), 2},   // a continuation where a lead is due
      {R({0x41, 0xFE}), 2},   // FE starts nothing
      {R({0xF0, 0x9F, 0x98, 0x80, 0x61}), 2},
      {R({0xFC, 0x80, 0x80, 0x80, 0x80, 0x80}), 1},  // six-byte form still counts one
      {R({0x61, 0xE2, 0x82}), 3},
  };
  for (const Case& c : cases) EXPECT_EQ(UTF8LengthInChars(c.s), c.n);
}

TEST(Utf8_unit, CheckedUtf) {
  struct Case {
    RawByteString s;
    bool ok;
    bool single;
  };
  const Case cases[] = {
      {R({'a', 'b', 'c'}), true, true},
      {R({}), true, true},
      {R({'a', 0xC3, 0xA9, 0xFF, 0xFF}), true, false},  // the rest after the first sequence is not looked at
      {R({0xC0, 0x80}), false, true},                    // overlong
      {R({0xED, 0xA0, 0x80}), true, false},              // held only to the general range
      {R({0xE0, 0x9F, 0x80}), false, true},
      {R({0xF0, 0x8F, 0x80, 0x80}), false, true},
      {R({0xF4, 0x90, 0x80, 0x80}), false, true},
      {R({0xF5, 0x80, 0x80, 0x80}), false, true},
      {R({'a', 0xE2, 0x82}), false, true},               // cut short
      {R({'a', 0x80}), false, true},
      {R({0xF8, 0x88, 0x80, 0x80, 0x80}), false, true},  // five bytes are never legal
  };
  for (const Case& c : cases) {
    bool single = !c.single;
    EXPECT_EQ(CheckedUTF(c.s, single), c.ok);
    EXPECT_EQ(single, c.single);
  }
  YieldCounter yields;
  bool single;
  CheckedUTF(R({'a', 'b', 'c', 'd'}), single);
  EXPECT_EQ(yields.calls, 4);
}

}  // namespace
}  // namespace sk
