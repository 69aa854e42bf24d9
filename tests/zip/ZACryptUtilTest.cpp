// String formats and their registry, the protection chain's stream coding,
// and the bit, buffer and text helpers.
#include "tests/TestSupport.h"
#include "tests/zip/CipherTestSupport.h"
#include "zip/ZACryptUtil.h"

namespace sk {
namespace {

using ZACryptUtilFormats = CipherUnitsTest;

AnsiString Encode(const AnsiString& raw, Int32 format) {
  return StrToFormat(raw.data(), static_cast<Int32>(raw.size()), format);
}

AnsiString Decode(const AnsiString& text, Int32 format) {
  return FormatToStr(text.data(), static_cast<Int32>(text.size()), format);
}

bool Valid(const AnsiString& text, Int32 format) {
  return IsValidFormat(text.data(), static_cast<Int32>(text.size()), format);
}

TEST_F(ZACryptUtilFormats, KnownAnswers) {
  struct Row {
    Int32 format;
    AnsiString raw;
    AnsiString text;
  };
  const Row rows[] = {
      {fmtCOPY, AnsiString("any\0bytes", 9), AnsiString("any\0bytes", 9)},
      {fmtHEX, "\x01\xAB\xff", "01ABFF"},
      {fmtHEXL, "\x01\xAB\xff", "01abff"},
      // RFC 4648.
      {fmtMIME64, "f", "Zg=="},
      {fmtMIME64, "fo", "Zm8="},
      {fmtMIME64, "foo", "Zm9v"},
      {fmtMIME64, "foob", "Zm9vYg=="},
      {fmtMIME64, "fooba", "Zm9vYmE="},
      {fmtMIME64, "foobar", "Zm9vYmFy"},
      {fmtMIME64, "\xfb\xff", "+/8="},
      {fmtUU, "Cat", "#0V%T"},
      {fmtUU, AnsiString(1, '\0'), "!````"},
      {fmtXX, "Cat", "1Eq3o"},
      {fmtXX, AnsiString(1, '\0'), "-++++"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.format) + " " + r.text);
    EXPECT_EQ(Encode(r.raw, r.format), r.text);
    EXPECT_EQ(Decode(r.text, r.format), r.raw);
  }
}

TEST_F(ZACryptUtilFormats, UULinesHoldFortyFiveBytes) {
  const AnsiString raw(46, 'A');
  const AnsiString uu = Encode(raw, fmtUU);
  const auto lf = uu.find("\r\n");
  ASSERT_NE(lf, AnsiString::npos);
  EXPECT_EQ(lf, 61u);  // length character and 15 groups of four
  EXPECT_EQ(uu[0], 'M');
  EXPECT_EQ(uu[63], '!');  // second line: one byte
  EXPECT_EQ(Decode(uu, fmtUU), raw);
  EXPECT_EQ(Decode(Encode(raw, fmtXX), fmtXX), raw);
}

TEST_F(ZACryptUtilFormats, RoundTripsAtEveryLength) {
  for (Int32 format : {fmtCOPY, fmtHEX, fmtHEXL, fmtMIME64, fmtUU, fmtXX}) {
    for (size_t n = 0; n <= 140; ++n) {
      const TBytes b = Pattern(n, static_cast<unsigned>(n + 1));
      const AnsiString raw(b.begin(), b.end());
      const AnsiString text = Encode(raw, format);
      EXPECT_TRUE(Valid(text, format)) << format << " " << n;
      EXPECT_EQ(Decode(text, format), raw) << format << " " << n;
    }
  }
}

TEST_F(ZACryptUtilFormats, LineBreaksOfInsertCRAreRead) {
  const TBytes b = Pattern(100, 2);
  const AnsiString raw(b.begin(), b.end());
  for (Int32 format : {fmtHEX, fmtMIME64}) EXPECT_EQ(Decode(InsertCR(Encode(raw, format), 16), format), raw);
  EXPECT_EQ(Decode("01 AB\tcd\r\n", fmtHEX), "\x01\xAB\xCD");
  EXPECT_EQ(Decode("Zm9v\r\nYmFy\r\n", fmtMIME64), "foobar");
  EXPECT_EQ(Decode("#0V%T\r\n`\r\n", fmtUU), "Cat");  // an empty line closes uuencoded data
  EXPECT_EQ(Decode("#0V%T\n", fmtUU), "Cat");
  EXPECT_EQ(Decode("!    ", fmtUU), AnsiString(1, '\0'));  // blanks read as zero
}

TEST_F(ZACryptUtilFormats, CorruptTextIsRefused) {
  struct Row {
    Int32 format;
    AnsiString text;
  };
  const Row rows[] = {
      {fmtHEX, "ABC"},          // odd number of digits
      {fmtHEX, "0G"},           // not a digit
      {fmtHEXL, "1"},
      {fmtHEX, AnsiString("00\0" "0", 4)},
      {fmtMIME64, "Zg="},       // incomplete group
      {fmtMIME64, "Z==="},      // padding too early
      {fmtMIME64, "Zg==Zg=="},  // data after padding
      {fmtMIME64, "Zg=a"},
      {fmtMIME64, "Zm9v!"},
      {fmtMIME64, "Zm9"},
      {fmtMIME64, "===="},
      {fmtUU, "$0V%T"},         // length says 4 bytes, 4 characters given
      {fmtUU, "#0V%"},          // truncated group
      {fmtUU, "#0V%TX"},        // more than the length needs
      {fmtUU, "~0V%T"},         // length character outside the alphabet
      {fmtUU, "N" + AnsiString(64, '!')},  // more than 45 bytes in a line
      {fmtUU, "#0v%T"},         // lower case is not in the alphabet
      {fmtXX, "#0V%T"},
      {fmtXX, "1Eq3"},
      {fmtXX, "1Eq3o="},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.format) + " " + r.text);
    EXPECT_FALSE(Valid(r.text, r.format));
    EXPECT_THROW(Decode(r.text, r.format), EStringFormat);
    // Direct decoding through the class gives nothing rather than garbage.
    EXPECT_EQ(StringFormat(r.format)->ToStr(r.text.data(), static_cast<Int32>(r.text.size())), "");
  }
  try {
    Decode("xyz", fmtHEX);
    ADD_FAILURE();
  } catch (const EStringFormat& e) {
    EXPECT_EQ(e.Message(), u"Input is not an valid Hexadecimal Format.");
  }
}

TEST_F(ZACryptUtilFormats, RegistryAndDefaults) {
  EXPECT_EQ(DefaultStringFormat(), fmtMIME64);
  EXPECT_EQ(StringFormat(-1), &TStringFormat_MIME64::ClassRef());
  EXPECT_EQ(StringFormat(-2), &TStringFormat_MIME64::ClassRef());
  EXPECT_EQ(StringFormat(99), nullptr);
  SetDefaultStringFormat(fmtHEX);
  EXPECT_EQ(DefaultStringFormat(), fmtHEX);
  EXPECT_EQ(Encode("\x12", -1), "12");
  SetDefaultStringFormat(-1);
  EXPECT_EQ(DefaultStringFormat(), fmtMIME64);
  SetDefaultStringFormat(fmtHEX);
  SetDefaultStringFormat(12345);
  EXPECT_EQ(DefaultStringFormat(), fmtMIME64);

  TStringList names;
  GetStringFormats(&names);
  ASSERT_EQ(names.Count(), 6);
  EXPECT_EQ(Lines(names), (std::vector<String>{u"copy Input to Output", u"Hexadecimal", u"Hexadecimal lowercase",
                                               u"MIME Base 64", u"UU Coding", u"XX Coding"}));
  EXPECT_EQ(names.Objects(5), static_cast<const TObject*>(&TStringFormat_XX::ClassRef()));
  GetStringFormats(nullptr);

  // A class with an identifier already registered replaces it in place.
  struct Upper : TStringFormat_HEX {
    String Name() const override { return u"Other hex"; }
  };
  static const Upper other;
  const TStringFormatClass list[] = {nullptr, &other};
  RegisterStringFormats(list, 2);
  TStringList again;
  GetStringFormats(&again);
  EXPECT_EQ(again.Count(), 6);
  EXPECT_EQ(again.Strings(1), u"Other hex");
  const TStringFormatClass restore[] = {&TStringFormat_HEX::ClassRef()};
  RegisterStringFormats(restore, 1);
}

TEST_F(ZACryptUtilFormats, ConversionEdges) {
  EXPECT_EQ(Encode("\x01\x02", fmtCOPY), "\x01\x02");
  EXPECT_EQ(Encode("abc", fmtNONE), "");
  EXPECT_EQ(StrToFormat(nullptr, 5, fmtHEX), "");
  EXPECT_EQ(StrToFormat("abc", 0, fmtHEX), "");
  EXPECT_EQ(StrToFormat("ab\0cd", -1, fmtHEX), "6162");  // up to the first zero byte
  try {
    Encode("abc", 99);
    ADD_FAILURE();
  } catch (const EStringFormat& e) {
    EXPECT_EQ(e.Message(), u"String Format \"99\" not exists.");
  }
  EXPECT_THROW(Decode("abc", 99), EStringFormat);

  EXPECT_EQ(ConvertFormat("666f6f", 6, fmtHEX, fmtMIME64), "Zm9v");
  EXPECT_EQ(ConvertFormat("Zm9v", 4, fmtMIME64, fmtUU), "#9F]O");
  EXPECT_EQ(ConvertFormat("zz", 2, fmtHEX, fmtHEX), "zz");  // equal formats copy
  EXPECT_EQ(ConvertFormat("66", 2, fmtNONE, fmtHEX), "");
  EXPECT_EQ(ConvertFormat("66", 2, fmtHEX, fmtNONE), "");
  EXPECT_THROW(ConvertFormat("6", 1, fmtHEX, fmtMIME64), EStringFormat);

  EXPECT_TRUE(IsValidFormat(nullptr, 4, 99));
  EXPECT_TRUE(IsValidFormat("x", 0, fmtHEX));
  EXPECT_FALSE(IsValidFormat("00", 2, 99));
  EXPECT_TRUE(IsValidString("\xff\x00", 2, fmtUU));
  EXPECT_FALSE(IsValidString("a", 1, 99));
}

TEST(ZACryptUtilFormatStubs, CharacterTablesRaise) {
  auto raised = [](const std::function<void()>& f) -> std::string {
    try {
      f();
    } catch (const Exception& e) {
      return StringToUtf8(e.Message());
    }
    return "(nothing)";
  };
  EXPECT_EQ(raised([] { TableFind('a', "abc", 3); }), "Not implemented 1");
  EXPECT_EQ(raised([] { TStringFormat_HEX::ClassRef().CharTable(); }), "Not Implemented 2");
  EXPECT_EQ(raised([] { TStringFormat_HEXL::ClassRef().CharTable(); }), "Not implemented 3");
  EXPECT_EQ(raised([] { TStringFormat_MIME64::ClassRef().CharTable(); }), "Not Implemented 4");
  EXPECT_EQ(raised([] { TStringFormat_UU::ClassRef().CharTable(); }), "Not implemented 5");
  EXPECT_EQ(raised([] { TStringFormat_XX::ClassRef().CharTable(); }), "Not implemented 6");
  EXPECT_EQ(raised([] { SwapIntegerBuffer(nullptr, nullptr, 0); }), "Not implemented 8");
  EXPECT_EQ(raised([] { RndXORBuffer(0, nullptr, 0); }), "Not implemented 11");
  EXPECT_EQ(raised([] { RndTimeSeed(); }), "Not implemented 12");
  EXPECT_EQ(raised([] { CRC16(0, nullptr, 0); }), "Not implemented 13");
  EXPECT_EQ(raised([] { GetTestVector(); }), "Not implemented 14");
}

// ---------------------------------------------------------------------------
// Helpers

TEST(ZACryptUtilHelpers, InsertAndDeleteLineBreaks) {
  EXPECT_EQ(InsertCR("0123456789", 4), "0123\r\n4567\r\n89");
  EXPECT_EQ(InsertCR("01234567", 4), "0123\r\n4567\r\n");
  EXPECT_EQ(InsertCR("0123", 4), "0123");
  EXPECT_EQ(InsertCR("0123456789", 0), "0123456789");
  EXPECT_EQ(InsertCR("0123456789", -3), "0123456789");
  EXPECT_EQ(DeleteCR("01\r\n23\n\r4\r"), "01234");
}

TEST(ZACryptUtilHelpers, InsertAndRemoveBlocks) {
  EXPECT_EQ(InsertBlocks("abcdefg", "<", ">", 3), "<abc><def><g>");
  EXPECT_EQ(InsertBlocks("abc", "<", ">", 3), "abc");  // no longer than the width: unwrapped
  EXPECT_EQ(InsertBlocks("abcdef", "<", ">", 0), "abcdef");
  EXPECT_EQ(RemoveBlocks("<abc><def><g>", "<", ">"), "abcdefg");
  EXPECT_EQ(RemoveBlocks("x<abc>y<de", "<", ">"), "abcde");     // no end: to the text's end
  EXPECT_EQ(RemoveBlocks("abc", "<", ">"), "");                 // no start
  EXPECT_EQ(RemoveBlocks("a|b|c", "", "|"), "abc");             // empty start: from where it is
  EXPECT_EQ(RemoveBlocks("<a<b", "<", ""), "a<b");              // empty end: to the text's end
  EXPECT_EQ(RemoveBlocks("abc", "", ""), "abc");                // ends, empty texts and all
  EXPECT_EQ(RemoveBlocks("||", "", "|"), "");
  EXPECT_EQ(RemoveBlocks("", "", ""), "");
  const AnsiString wrapped = InsertBlocks(AnsiString(50, 'z'), "-----", "=====", 7);
  EXPECT_EQ(RemoveBlocks(wrapped, "-----", "====="), AnsiString(50, 'z'));
}

TEST(ZACryptUtilHelpers, BuffersAndBits) {
  const Byte a[4] = {1, 2, 3, 4};
  const Byte b[4] = {1, 2, 9, 0};
  EXPECT_EQ(MemCompare(a, a, 4), 0);
  EXPECT_EQ(MemCompare(a, b, 4), 3 - 9);
  EXPECT_EQ(MemCompare(a, b, 2), 0);
  Byte x[4];
  XORBuffers(a, b, 4, x);
  EXPECT_EQ(HexOf(x, 4), "00000A04");

  EXPECT_EQ(OneBit(8), 3);
  EXPECT_EQ(OneBit(12), 0);
  EXPECT_EQ(OneBit(0), 0);
  EXPECT_EQ(OneBit(0x80000000u), 31);
  EXPECT_EQ(LSBit(12), 2);
  EXPECT_EQ(MSBit(12), 3);
  EXPECT_EQ(LSBit(0), 0);
  EXPECT_EQ(MSBit(0), 0);
  EXPECT_EQ(SwapBits(1), 0x80000000u);
  EXPECT_EQ(SwapBits(0x0000000Fu), 0xF0000000u);
  EXPECT_EQ(SwapInteger(0x11223344u), 0x44332211u);
  EXPECT_EQ(ROL(0x80000001u, 1), 3u);
  EXPECT_EQ(ROL(0x80000001u, 33), 3u);  // counts modulo 32
  EXPECT_EQ(ROR(3u, 1), 0x80000001u);
  EXPECT_EQ(ROL(5u, 0), 5u);
  EXPECT_EQ(ROLADD(1u, 10u, 4), 26u);
  EXPECT_EQ(ROLSUB(1u, 10u, 4), 6u);
  EXPECT_EQ(RORADD(16u, 1u, 4), 2u);
  EXPECT_EQ(RORSUB(16u, 1u, 4), 0u);
  EXPECT_EQ(CPUType(), 4);
  EXPECT_EQ(PerfFreq(), 1000000000);
  const Int64 t0 = PerfCounter();
  EXPECT_GE(PerfCounter(), t0);
}

TEST(ZACryptUtilHelpers, ProgressHook) {
  DoProgress(nullptr, 1, 2);  // unset: nothing happens
  int calls = 0;
  Progress = [&](TObject*, Int64 c, Int64 m) {
    ++calls;
    EXPECT_EQ(c, 5);
    EXPECT_EQ(m, 9);
  };
  DoProgress(nullptr, 5, 9);
  Progress = nullptr;
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace sk
