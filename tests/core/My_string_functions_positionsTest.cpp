// Finding under boundary and context rules, rich-edit positions, replacing at
// hits, random samples, wide buffers and the file of characters.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

#include "core/Global_vars.h"
#include "core/My_string_functions_occurrences.h"
#include "core/My_string_functions_positions.h"
#include "core/Useful_classes_base_longint.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

std::vector<Int32> Values(const T1LongintList& list) {
  std::vector<Int32> v;
  for (Int32 i = 0; i < list.Count(); ++i) v.push_back(list.GetAValue(i));
  return v;
}

std::unique_ptr<TInsertedTextPositionList> Hits(std::initializer_list<Int32> starts) {
  auto list = std::make_unique<TInsertedTextPositionList>();
  for (const Int32 s : starts) {
    TInsertedTextRec rec{};
    rec.hit_place_in_chars = s;
    list->Add(std::make_unique<TInsertedTextHolder>(rec));
  }
  return list;
}

TBytes FileBytes(const String& name) {
  std::ifstream in(StringToUtf8(name), std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A name in the temporary folder where no file exists yet.
String FreshFileName() {
  const String name = GetTempFileName(String(), u"skpos");
  DeleteFile(name);
  return name;
}

const TMSSearchFlags kNoFlags{};
const TMSSearchFlags kLeft{msLeftBounded};
const TMSSearchFlags kBoth{msLeftBounded, msRightBounded};

TEST(My_string_functions_positionsFind, BoundedFindsSkipFindsInsideWords) {
  EXPECT_EQ(PosStrFoundIn(u"cat", u"concat cat", kNoFlags, 1), 4);
  EXPECT_EQ(PosStrFoundIn(u"cat", u"concat cat", kLeft, 1), 8);
  EXPECT_EQ(PosStrFoundIn(u"cat", u"cats cat", TMSSearchFlags{msRightBounded}, 1), 6);
  EXPECT_EQ(PosStrFoundIn(u"cat", u"cat", kBoth, 1), 1);
  EXPECT_EQ(PosStrFoundIn(u"cat", u"cat cat", kBoth, 2), 5);
  EXPECT_EQ(PosStrFoundIn(u"cat", u"cat cat", kBoth, 0), 1);
  EXPECT_EQ(PosStrFoundIn(u"cat", u"cat", kBoth, 9), -1);
  EXPECT_EQ(PosStrFoundIn(u"", u"cat", kNoFlags, 1), -1);
  EXPECT_EQ(PosStrFoundIn(u"cat", u"", kNoFlags, 1), -1);
  EXPECT_EQ(PosStrFoundIn(u"cat", u"concatenate", kLeft, 1), -1);
}

TEST(My_string_functions_positionsFind, EveryContextThatIsSetMustBeFound) {
  //                     1234567890123456789012345678
  const String text = u"big cat sat. cat ran. my cat";
  EXPECT_EQ(Values(*CharacterPositionsWordFoundIn(u"cat", u"", u"", text, 5, kNoFlags, kNoFlags)),
            (std::vector<Int32>{5, 14, 26}));
  // Right context alone: "sat" within span characters after the find.
  EXPECT_EQ(Values(*CharacterPositionsWordFoundIn(u"cat", u"", u"sat", text, 5, kNoFlags, kNoFlags)),
            (std::vector<Int32>{5}));
  // Left context alone: "my" from span characters before the find.
  EXPECT_EQ(Values(*CharacterPositionsWordFoundIn(u"cat", u"my", u"", text, 5, kNoFlags, kNoFlags)),
            (std::vector<Int32>{26}));
  // Both set: a find with only one of them is not kept.
  EXPECT_TRUE(Values(*CharacterPositionsWordFoundIn(u"cat", u"big", u"ran", text, 5, kNoFlags, kNoFlags)).empty());
  EXPECT_EQ(Values(*CharacterPositionsWordFoundIn(u"cat", u"big", u"sat", text, 5, kNoFlags, kNoFlags)),
            (std::vector<Int32>{5}));
}

// The positions a find-by-find search gives: every context word that is set
// is searched from each find.
std::vector<Int32> ContextPositionsOneByOne(const String& word, const String& left, const String& right,
                                            const String& text, Int32 span, TMSSearchFlags flags) {
  std::vector<Int32> kept;
  for (Int32 p = PosStrFoundIn(word, text, kNoFlags, 1); p > 0; p = PosStrFoundIn(word, text, kNoFlags, p + 1)) {
    const Int32 r = right.empty() ? 0 : PosStrFoundIn(right, text, flags, p + 1);
    const bool rightOK = right.empty() || (r != -1 && r <= p + 1 + span);
    const Int32 l = left.empty() ? 0 : PosStrFoundIn(left, text, flags, std::max(1, p - span));
    const bool leftOK = left.empty() || (l != -1 && l < p);
    if (rightOK && leftOK) kept.push_back(p);
  }
  return kept;
}

TEST(My_string_functions_positionsFind, ContextWordsAgreeWithSearchingFromEachFind) {
  // Texts of a few short words, so that words and contexts recur close
  // together and far apart.
  uint32_t seed = 7;
  auto next = [&seed](uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  const char16_t* words[] = {u"a", u"ab", u"b", u"ba", u"cab", u"c"};
  for (Int32 round = 0; round < 300; ++round) {
    String text;
    const Int32 n = static_cast<Int32>(next(60));
    for (Int32 k = 0; k < n; ++k) text += String(words[next(6)]) + (next(3) == 0 ? u"" : u" ");
    const String word = words[next(6)];
    const String left = next(3) == 0 ? String() : String(words[next(6)]);
    const String right = next(3) == 0 ? String() : String(words[next(6)]);
    const Int32 span = static_cast<Int32>(next(12));
    const TMSSearchFlags flags = next(2) == 0 ? kNoFlags : kBoth;
    const std::vector<Int32> want = ContextPositionsOneByOne(word, left, right, text, span, flags);
    EXPECT_EQ(Values(*CharacterPositionsWordFoundIn(word, left, right, text, span, kNoFlags, flags)), want) << round;
    // The plain integer list holds the same positions (what it held before is dropped).
    std::vector<Int32> plain{-1, -2};
    CharacterPositionsWordFoundIn(word, left, right, text, span, kNoFlags, flags, plain);
    EXPECT_EQ(plain, want) << round;
  }
}

TEST(My_string_functions_positionsFind, ContextSpanAndBoundaryFlags) {
  const String text = u"cat xxxxxx sat cat sat";
  // The first "sat" lies 11 characters on, the second one 4.
  EXPECT_EQ(Values(*CharacterPositionsWordFoundIn(u"cat", u"", u"sat", text, 3, kNoFlags, kNoFlags)),
            (std::vector<Int32>{16}));
  EXPECT_EQ(Values(*CharacterPositionsWordFoundIn(u"cat", u"", u"sat", text, 10, kNoFlags, kNoFlags)),
            (std::vector<Int32>{1, 16}));
  // The context flags apply to the context word, the word flags to the word.
  EXPECT_TRUE(Values(*CharacterPositionsWordFoundIn(u"cat", u"", u"at", u"cat at", 9, kNoFlags, kLeft)).size() == 1);
  EXPECT_TRUE(Values(*CharacterPositionsWordFoundIn(u"cat", u"", u"at", u"cat xat", 9, kNoFlags, kLeft)).empty());
  EXPECT_EQ(Values(*CharacterPositionsWordFoundIn(u"cat", u"", u"", u"bobcat cat", 0, kBoth, kNoFlags)),
            (std::vector<Int32>{8}));
  EXPECT_EQ(CharacterPositionsWordFoundIn(u"", u"", u"", u"abc", 1, kNoFlags, kNoFlags)->Count(), 0);
  EXPECT_EQ(CharacterPositionsWordFoundIn(u"a", u"", u"", u"", 1, kNoFlags, kNoFlags)->Count(), 0);
}

TEST(My_string_functions_positionsFind, WholeWordsNearerAndScans) {
  EXPECT_EQ(WholeWordPositionOfXinText(1, u"in", u"inside in tin in"), 8);
  EXPECT_EQ(WholeWordPositionOfXinText(9, u"in", u"inside in tin in"), 15);
  EXPECT_EQ(WholeWordPositionOfXinText(1, u"in", u"tin"), 0);
  EXPECT_EQ(WholeWordPositionOfXinText(1, u"", u"a b"), 0);

  EXPECT_EQ(NearerOfTwo(0, 0), 0);
  EXPECT_EQ(NearerOfTwo(5, 0), 5);
  EXPECT_EQ(NearerOfTwo(0, 5), 5);
  EXPECT_EQ(NearerOfTwo(7, 3), 3);
  EXPECT_EQ(NearerOfTwo(-1, 4), 0);
  EXPECT_EQ(PosExNearer(u"a.b!c.", u".", u"!", 3), 4);
  EXPECT_EQ(PosExNearer(u"a.b!c.", u"?", u".", 3), 6);
  EXPECT_EQ(PosExNearer(u"abc", u"?", u"!", 1), 0);

  const Char text[] = u"one. two! three";
  EXPECT_EQ(StrPosNearerW(text, u"!", u"."), text + 3);
  EXPECT_EQ(StrPosNearerW(text, u"!", u"?"), text + 8);
  EXPECT_EQ(StrPosNearerW(text, u"?", u"#"), nullptr);
  EXPECT_EQ(StrPosNearerW(text, nullptr, u""), nullptr);
  EXPECT_EQ(StrPosNearerW(nullptr, u"a", u"b"), nullptr);
  EXPECT_EQ(StrPosNearerW(text, u"three!", u"three"), text + 10);  // a find cannot run past the end

  EXPECT_EQ(StrScanIndex(u"a,b,c", u',', 1), 2);
  EXPECT_EQ(StrScanIndex(u"a,b,c", u',', 3), 4);
  EXPECT_EQ(StrScanIndex(u"a,b,c", u',', 5), 0);
  EXPECT_EQ(StrScanIndex(u"a,b,c", u',', 6), 0);
  EXPECT_EQ(StrScanIndex(u"a,b,c", u',', -3), 2);
}

TEST(My_string_functions_positionsRiched, LineBreaksCountAsOneCharacter) {
  bool hasCR = false;
  const String text = u"ab\r\ncd\r\nef";
  const std::vector<Int32> starts = ComputedRichedParaStarts(hasCR, text);
  EXPECT_TRUE(hasCR);
  EXPECT_EQ(starts, (std::vector<Int32>{3, 7}));
  EXPECT_EQ(RichedCharPosWindowsConverted(9, hasCR, starts), 7);  // after both CRs
  EXPECT_EQ(RichedCharPosWindowsConverted(7, hasCR, starts), 5);  // on the second CR
  EXPECT_EQ(RichedCharPosWindowsConverted(2, hasCR, starts), 2);
  EXPECT_EQ(RichedCharPosWindowsConverted(9, false, starts), 9);
  const TRichedformat_rec format{starts, true};
  EXPECT_EQ(RichedCharPosWindowsConverted(5, format), 4);
  EXPECT_TRUE(ComputedRichedParaStarts(hasCR, u"plain").empty());
  EXPECT_FALSE(hasCR);
}

TEST(My_string_functions_positionsReplace, HitsAtTheLeftOrTheRightOfEachOccurrence) {
  //                   123456789012345
  const String text = u"a cat, the cat.";
  EXPECT_EQ(CopyStringsReplacing(text, u"cat", u"dog", Hits({3, 12}).get(), at_left), u"a dog, the dog.");
  EXPECT_EQ(CopyStringsReplacing(text, u"cat", u"tiger", Hits({6, 15}).get(), at_right), u"a tiger, the tiger.");
  EXPECT_EQ(CopyStringsReplacing(text, u"cat", u"", Hits({12}).get(), at_left), u"a cat, the .");
  EXPECT_EQ(CopyStringsReplacing(u"cat", u"cat", u"x", Hits({1}).get(), at_left), u"x");
  // An empty old text inserts at each position.
  EXPECT_EQ(CopyStringsReplacing(u"ab", u"", u"-", Hits({1, 2, 3}).get(), at_left), u"-a-b-");
  EXPECT_EQ(CopyStringsReplacing(text, u"cat", u"dog", Hits({}).get(), at_left), text);
  EXPECT_EQ(CopyStringsReplacing(text, u"cat", u"dog", nullptr, at_left), text);
}

TEST(My_string_functions_positionsReplace, HitsOutOfOrderOverlappingOrOutsideChangeNothing) {
  const String text = u"a cat, the cat.";
  EXPECT_EQ(CopyStringsReplacing(text, u"cat", u"dog", Hits({12, 3}).get(), at_left), text);
  EXPECT_EQ(CopyStringsReplacing(u"aaaa", u"aa", u"b", Hits({1, 2}).get(), at_left), u"aaaa");
  EXPECT_EQ(CopyStringsReplacing(u"aaaa", u"aa", u"b", Hits({1, 3}).get(), at_left), u"bb");
  EXPECT_EQ(CopyStringsReplacing(text, u"cat", u"dog", Hits({14}).get(), at_left), text);
  EXPECT_EQ(CopyStringsReplacing(text, u"cat", u"dog", Hits({0}).get(), at_left), text);
  EXPECT_EQ(CopyStringsReplacing(text, u"cat", u"dog", Hits({2}).get(), at_right), text);
  EXPECT_EQ(CopyStringsReplacing(text, u"cat", u"dog", Hits({3, 3}).get(), at_left), text);
}

TEST(My_string_functions_positionsSample, DistinctLinesFromTheRegionSorted) {
  TUTF8Stringlist source;
  for (Int32 i = 0; i < 100; ++i) source.Add(Format(u"line %.3d", {i}));
  TUTF8Stringlist target;
  target.Add(u"old");
  CopyRandomSampleFromStringlistAtoB(&source, &target, 100, ts_anywhere);
  EXPECT_EQ(target.Count(), 0);

  CopyRandomSampleFromStringlistAtoB(&source, &target, 10, ts_top_quarter);
  ASSERT_EQ(target.Count(), 10);
  std::set<String> seen;
  for (Int32 i = 0; i < target.Count(); ++i) {
    seen.insert(target[i]);
    EXPECT_LE(target[i], u"line 025");
    if (i > 0) {
      EXPECT_LT(target[i - 1], target[i]);
    }
  }
  EXPECT_EQ(seen.size(), 10u);

  CopyRandomSampleFromStringlistAtoB(&source, &target, 5, ts_bottom_quarter);
  ASSERT_EQ(target.Count(), 5);
  for (Int32 i = 0; i < target.Count(); ++i) EXPECT_GE(target[i], u"line 075");
  CopyRandomSampleFromStringlistAtoB(&source, &target, 5, ts_middle_quarter);
  for (Int32 i = 0; i < target.Count(); ++i) {
    EXPECT_GE(target[i], u"line 038");
    EXPECT_LE(target[i], u"line 062");
  }
}

TEST(My_string_functions_positionsSample, TooFewDistinctLinesStillEnds) {
  // The middle quarter of 8 lines holds 3 lines, of which 2 differ.
  TUTF8Stringlist source;
  for (const char16_t* s : {u"a", u"b", u"c", u"m", u"m", u"n", u"y", u"z"}) source.Add(s);
  TUTF8Stringlist target;
  CopyRandomSampleFromStringlistAtoB(&source, &target, 6, ts_middle_quarter);
  EXPECT_LE(target.Count(), 2);
  TUTF8Stringlist same;
  for (Int32 i = 0; i < 50; ++i) same.Add(u"same");
  CopyRandomSampleFromStringlistAtoB(&same, &target, 10, ts_anywhere);
  EXPECT_EQ(target.Count(), 1);
  CopyRandomSampleFromStringlistAtoB(nullptr, &target, 1, ts_anywhere);
  EXPECT_EQ(target.Count(), 0);
}

TEST(My_string_functions_positionsSmall, MeasuringAndSmallTexts) {
  const TTextMeasureProc measure = [](const String& s, TTextExtentRec& e) {
    if (s == u"fail") return false;
    e.cx = 7 * static_cast<Int32>(s.size());
    e.cy = 12;
    return true;
  };
  EXPECT_EQ(TextSizeOfString(measure, u"abc").cx, 21);
  EXPECT_EQ(TextSizeOfString(measure, u"abc").cy, 12);
  EXPECT_EQ(TextWidthOfString(measure, u"fail"), 0);
  EXPECT_EQ(TextSizeOfString(measure, u"fail").cy, 0);
  EXPECT_EQ(TextWidthOfString(TTextMeasureProc(), u"abc"), 0);

  EXPECT_EQ(StrSeparatedWithChar({u"a", u"b", u"c"}, u','), u"a,b,c");
  EXPECT_EQ(StrSeparatedWithChar({}, u','), u"");
  // Empty items in front add no separator; later ones do.
  EXPECT_EQ(StrSeparatedWithChar({u"", u"", u"a", u"", u"b"}, u','), u"a,,b");
  EXPECT_EQ(StrSeparatedWithChar({u"", u""}, u','), u"");
  EXPECT_EQ(InterspersedWithSpaces(u"ab"), u"a b ");
  EXPECT_EQ(InterspersedWithSpaces(u""), u"");
  EXPECT_EQ(AscendingSymbol(true), String(1, Char(0x2191)));
  EXPECT_EQ(AscendingSymbol(false), String(1, Char(0x2193)));
  EXPECT_EQ(YesorNo(true), u"Yes");
  EXPECT_EQ(YesorNo(false), u"No");
  const String now = NowForFilename();
  ASSERT_EQ(now.size(), 16u);
  for (const size_t k : {4u, 7u, 10u, 13u}) EXPECT_EQ(now[k], u'_');
  EXPECT_EQ(WideCharFromCardinal(0xFFFF), Char(0xFFFF));
  EXPECT_EQ(WideCharFromCardinal(0x10000), u'?');
  EXPECT_EQ(WideStringFromCardinal(65), u"A");
}

TEST(My_string_functions_positionsBuffers, CountsReplacementsAndSwaps) {
  const Char crs[] = u"a\rb\r\rc";
  EXPECT_EQ(Chr13sInPChar(crs, 3), 1);
  EXPECT_EQ(Chr13sInPChar(crs, 6), 3);
  EXPECT_EQ(Chr13sInPChar(crs, 100), 3);  // stops at the terminating zero
  EXPECT_EQ(Chr13sInPChar(nullptr, 5), 0);

  Char text[] = u"a-b-c";
  ReplaceChar1ByChar2(text, u'-', u'+', 0);
  EXPECT_EQ(String(text), u"a+b+c");
  ReplaceChar1ByChar2(text, u'+', u'+', 0);  // would never end if it rescanned
  EXPECT_EQ(String(text), u"a+b+c");
  ReplaceChar1ByChar2(text, 0, u'x', 0);
  EXPECT_EQ(String(text), u"a+b+c");
  ReplaceChar1ByChar2(nullptr, u'a', u'b', 0);

  Char swap[] = {0x0041, 0x1234, 0x00FF, 0};
  StrSwapByteOrder(swap);
  EXPECT_EQ(swap[0], 0x4100);
  EXPECT_EQ(swap[1], 0x3412);
  EXPECT_EQ(swap[2], 0xFF00);
  EXPECT_EQ(swap[3], 0);
  StrSwapByteOrder(nullptr);

  const Char big[] = {0xFFFF, 0xFFFF, 0x0002, 0};
  EXPECT_EQ(My4Checksum(big), 0x20000u);
  EXPECT_EQ(My4Checksum(static_cast<const Char*>(nullptr)), 0u);
  EXPECT_EQ(My4Checksum(TBytes{0xFF, 0xFF, 1}), 0x1FFu);
  EXPECT_EQ(My4Checksum(TBytes{}), 0u);

  // The bytes FE FF read as a little-endian unit are U+FFFE.
  const Byte bomBytes[] = {0xFE, 0xFF, 0x41, 0x00, 0, 0};
  Char fromBytes[3];
  std::memcpy(fromBytes, bomBytes, sizeof(bomBytes));
  EXPECT_TRUE(UnicodeSigned(fromBytes));
  EXPECT_TRUE(UnicodeSigned(u"\uFEFFtext"));
  EXPECT_FALSE(UnicodeSigned(u"text"));
  EXPECT_FALSE(UnicodeSigned(nullptr));

  EXPECT_EQ(HowFarEqualContentsA(TBytes{1, 2, 3, 4}, TBytes{1, 2, 9}, 0), 2);
  EXPECT_EQ(HowFarEqualContentsA(TBytes{1, 2}, TBytes{1, 2, 3}, 0), 2);
  EXPECT_EQ(HowFarEqualContentsA(TBytes{}, TBytes{1}, 0), 0);
}

TEST(My_string_functions_positionsFileOfChar, AppendsRawUnitsAfterOneMark) {
  const String name = FreshFileName();
  AddToFileOfChar(name, u"Ab");
  AddToFileOfChar(name, u"\u00E9\u20AC");
  AddToFileOfChar(name, u"");
  EXPECT_EQ(FileBytes(name), (TBytes{0xFF, 0xFE, 'A', 0, 'b', 0, 0xE9, 0x00, 0xAC, 0x20}));
  DeleteFile(name);

  AddToFileOfChar(name, u"");
  EXPECT_EQ(FileBytes(name), (TBytes{0xFF, 0xFE}));
  DeleteFile(name);

  // A stray odd byte at the end is overwritten so that units stay aligned.
  {
    std::ofstream out(StringToUtf8(name), std::ios::binary);
    out.write("\xFF\xFE" "A\0" "\x7F", 5);
  }
  AddToFileOfChar(name, u"B");
  EXPECT_EQ(FileBytes(name), (TBytes{0xFF, 0xFE, 'A', 0, 'B', 0}));
  DeleteFile(name);

  AddToFileOfChar(u"", u"ignored");
  EXPECT_THROW(AddToFileOfChar(GetTempDirectory() + u"no-such-folder-sk/x.txt", u"a"), EStreamError);
}

}  // namespace
}  // namespace sk
