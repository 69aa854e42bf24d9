// Holders' item forms, the shared-record stream routines, the plain record
// lists, the small-integer list and the stand-alone helpers.
#include <gtest/gtest.h>

#include <limits>

#include "TestSupport.h"
#include "core/CoreTestSupport.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_multilong.h"
#include "core/Useful_classes_base_records.h"
#include "core/Useful_classes_base_streams.h"
#include "platform/runtime/Streams.h"

namespace sk {
namespace {

void PutInt32(TBytes& b, Int32 v) {
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<Byte>(static_cast<uint32_t>(v) >> (8 * k)));
}

// ---- holders ------------------------------------------------------------------------------

TEST(Useful_classes_base_holdersStream, ShortReadLeavesTheRecord) {
  TIntegerAndSingleHolder h(TIntegerAndSingleRec{5, 2.0f});
  TBytesStream ms(TBytes{1, 0, 0, 0, 0, 0, 0x80});
  EXPECT_FALSE(h.ReadFromStream(&ms));
  EXPECT_EQ(h.data.int_, 5);
  EXPECT_EQ(h.data.s, 2.0f);

  T2LongIntAndSingleHolder two;
  TBytesStream full(TBytes{1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0x40, 0x40});
  ASSERT_TRUE(two.ReadFromStream(&full));
  EXPECT_EQ(two.data.t2.long1, 2);
  EXPECT_EQ(two.data.s, 3.0f);
}

TEST(Useful_classes_base_holdersStream, FixedFormsByteForByte) {
  auto bytesOf = [](TUsefulBaseListObject& item) {
    TMemoryStream ms;
    EXPECT_TRUE(item.SaveToStream(&ms));
    return ms.ToBytes();
  };
  TInt64Holder i64(-2);
  EXPECT_EQ(bytesOf(i64), (TBytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  TLongIntHolder i32(0x01020304);
  EXPECT_EQ(bytesOf(i32), (TBytes{4, 3, 2, 1}));
  TIntegerAnd3CardinalsHolder i3c(TIntegerAnd3CardinalsRec{1, {2, 3, 0x80000000u}});
  EXPECT_EQ(bytesOf(i3c), (TBytes{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0x80}));
  T3LongIntAndSingleHolder t3(T3LongintAndSingleRec{{1, 2, 3}, -1.0f});
  EXPECT_EQ(bytesOf(t3), (TBytes{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0x80, 0xBF}));
  T2IntsAndSingleHolder t2(T2LongintAndSingleRec{{-1, 0}, 2.0f});
  EXPECT_EQ(bytesOf(t2), (TBytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x40}));
  // Holders that are not streamed write nothing and read nothing.
  TWordAndFreqHolder word(TWordAndFreq{u"w", 3});
  EXPECT_TRUE(bytesOf(word).empty());
}

TEST(Useful_classes_base_holdersStream, StringsHolderForm) {
  T2StringsAnd2IntegersHolder h(T2StringsAnd2IntegersRec{-1, 2, u"a", u""});
  TMemoryStream ms;
  ASSERT_TRUE(h.SaveToStream(&ms));
  TBytes expected;
  PutInt32(expected, -1);
  PutInt32(expected, 2);
  PutInt32(expected, 1);
  expected.insert(expected.end(), {'a', 0});
  PutInt32(expected, 0);
  EXPECT_EQ(ms.ToBytes(), expected);

  // A corrupt string count raises the stored-string error out of the read.
  TBytes corrupt;
  PutInt32(corrupt, 0);
  PutInt32(corrupt, 0);
  PutInt32(corrupt, -7);
  TBytesStream bad(corrupt);
  T2StringsAnd2IntegersHolder back;
  EXPECT_THROW(back.ReadFromStream(&bad), Exception);
}

TEST(Useful_classes_base_holdersStream, RowWidthComesFromTheReader) {
  ScopedHandOverVariables handOver;
  TMultiLongintHolder row;
  TBytesStream ms(TBytes{1, 0, 0, 0, 2, 0, 0, 0});
  global_temp_int = -4;
  EXPECT_TRUE(row.ReadFromStream(&ms));
  EXPECT_TRUE(row.data.dados.empty());
  global_temp_int = 3;
  EXPECT_FALSE(row.ReadFromStream(&ms));
}

TEST(Useful_classes_base_holdersStream, ObjectHoldersKeepTheirValue) {
  TSingleArrHolder arr(1.5f);
  ASSERT_EQ(arr.data.size(), 1u);
  EXPECT_EQ(arr.data[0], 1.5f);
  TDoubleHolder d(0.1f);
  EXPECT_EQ(d.data, static_cast<Double>(0.1f));
  TSmallIntHolder s(-3);
  EXPECT_EQ(s.int_, -3);
}

// ---- record stream routines ------------------------------------------------------------------

TEST(Useful_classes_base_streamsRecords, ArrayOfInt64) {
  TMemoryStream ms;
  ASSERT_TRUE(WriteArrayOfInt64(&ms, {1, -1}));
  EXPECT_EQ(ms.Size(), 4 + 16);
  ms.SetPosition(0);
  EXPECT_EQ(ReadArrayOfInt64(&ms), (std::vector<Int64>{1, -1}));

  TBytes huge;
  PutInt32(huge, std::numeric_limits<Int32>::max());
  TBytesStream h(huge);
  EXPECT_TRUE(ReadArrayOfInt64(&h).empty());
  TBytes cut;
  PutInt32(cut, 2);
  cut.resize(cut.size() + 12);
  TBytesStream c(cut);
  EXPECT_TRUE(ReadArrayOfInt64(&c).empty());
}

TEST(Useful_classes_base_streamsRecords, SearchRequestsAndFlags) {
  TSearchReqStringAndFlags a{u"cat", {}};
  a.flags.Include(msCaseIsSensitive).Include(msRightBounded);
  TSearchReqStringAndFlags b{u"", {}};
  TMemoryStream ms;
  ASSERT_TRUE(WriteArrayOfSearchReqStringAndFlags(&ms, {a, b}));
  EXPECT_EQ(ms.Size(), 4 + (4 + 6 + 1) + (4 + 1));
  ms.SetPosition(0);
  const auto back = ReadArrayOfSearchReqStringAndFlags(&ms);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].search_str, u"cat");
  EXPECT_EQ(back[0].flags.bits[0], a.flags.bits[0]);
  EXPECT_TRUE(back[1].search_str.empty());

  TBytes cut = ms.ToBytes();
  cut.pop_back();
  TBytesStream c(cut);
  EXPECT_TRUE(ReadArrayOfSearchReqStringAndFlags(&c).empty());
}

TEST(Useful_classes_base_streamsRecords, EntryDetailsForConcord) {
  TQMEntryDetailsRec rec;
  rec.main_freq = 1;
  rec.joint_freq = 2;
  rec.main_dispersion = 0.5f;
  rec.main_n_texts = 3;
  rec.main_word_arr = {TStringTag{u"w", u"", 4}};
  TMemoryStream ms;
  ASSERT_TRUE(WriteAQMEntryDetailsRec_ForConcord(&ms, rec));
  const TBytes bytes = ms.ToBytes();
  ASSERT_GE(bytes.size(), 24u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[8], 2);
  EXPECT_EQ(bytes[19], 0x3F);
  EXPECT_EQ(bytes[20], 3);
  ms.SetPosition(0);
  const TQMEntryDetailsRec back = ReadAQMEntryDetailsRec_ForConcord(&ms);
  EXPECT_EQ(back.joint_freq, 2);
  EXPECT_EQ(back.main_n_texts, 3);
  ASSERT_EQ(back.main_word_arr.size(), 1u);
  EXPECT_EQ(back.main_word_arr[0].tagnum_2B, 4);
  EXPECT_TRUE(back.main_word2_arr.empty());

  TBytesStream cut(TBytes(10, 7));
  const TQMEntryDetailsRec none = ReadAQMEntryDetailsRec_ForConcord(&cut);
  EXPECT_EQ(none.main_freq, 0);
}

TEST(Useful_classes_base_streamsRecords, StringAndInteger) {
  TMemoryStream ms;
  ASSERT_TRUE(WriteAStringAndInteger(&ms, {u"xy", 9}));
  EXPECT_EQ(ms.ToBytes(), (TBytes{9, 0, 0, 0, 2, 0, 0, 0, 'x', 0, 'y', 0}));
  ms.SetPosition(0);
  TStringAndIntegerRec rec{u"old", 1};
  ASSERT_TRUE(ReadAStringAndInteger(&ms, rec));
  EXPECT_EQ(rec.s, u"xy");
  EXPECT_EQ(rec.i, 9);

  TBytesStream noString(TBytes{5, 0, 0, 0, 1});
  EXPECT_FALSE(ReadAStringAndInteger(&noString, rec));
  TBytesStream noInt(TBytes{5, 0});
  EXPECT_FALSE(ReadAStringAndInteger(&noInt, rec));
  EXPECT_EQ(rec.i, 0);
  EXPECT_TRUE(rec.s.empty());
}

// ---- plain record lists ------------------------------------------------------------------------

TEST(Useful_classes_base_recordsLists, StringColumnAndColour) {
  TStringColumnAndColourList list;
  list.AddOne({4, 0xFF, u"four"});
  list.AddOne({7, 0x00, u"seven"});
  EXPECT_EQ(list.IndexOfTrueColumn(7), 1);
  EXPECT_EQ(list.IndexOfTrueColumn(5), -1);
  EXPECT_EQ(list.GetATrueColumn(2), -1);
  EXPECT_EQ(list.GetABackgroundColour(-1), -1);
  EXPECT_EQ(list.GetAString(2), u"");
  EXPECT_EQ(list.GetAStringColumnAndColour(9).true_column_number, 0);
  list.SetAString(1, u"7");
  list.SetABackgroundColour(5, 1);

  TMemoryStream ms;
  ASSERT_TRUE(list.SaveToStream(&ms));
  EXPECT_EQ(ms.Size(), 4 + (8 + 4 + 8) + (8 + 4 + 2));
  TStringColumnAndColourList back;
  ms.SetPosition(0);
  ASSERT_TRUE(back.LoadFromStream(&ms));
  EXPECT_EQ(back.GetAString(1), u"7");
  EXPECT_EQ(back.GetABackgroundColour(0), 0xFF);
}

TEST(Useful_classes_base_recordsLists, IntegerAnd3CardinalsSortOnUnsignedFreq) {
  TIntegerAnd3CardinalsList list;
  list.AddOne({-1, {1, 1, 1}});
  list.AddOne({5, {2, 2, 2}});
  list.AddOne({0, {3, 3, 3}});
  list.SortAscendingDefault();
  EXPECT_EQ(list.GetAValue(0).freq, 0);
  EXPECT_EQ(list.GetAValue(2).freq, -1);  // largest as an unsigned value
  list.SetAFreq(0, 8);
  EXPECT_EQ(list.GetAValue(0).freq, 8);
}

TEST(Useful_classes_base_recordsLists, SmallintStream) {
  TSmallintList list;
  list.Add(std::make_unique<TSmallIntHolder>(-2));
  list.Add(std::make_unique<TSmallIntHolder>(0x0102));
  TMemoryStream ms;
  ASSERT_TRUE(list.SaveToStream(&ms));
  EXPECT_EQ(ms.ToBytes(), (TBytes{0xFE, 0xFF, 0x02, 0x01}));
  ms.SetPosition(0);
  TSmallintList back;
  EXPECT_FALSE(back.ReadFromStream(3, &ms));
  EXPECT_EQ(back.Count(), 0);
  EXPECT_TRUE(back.ReadFromStream(2, &ms));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Items(0)->int_, -2);
  EXPECT_EQ(back.Items(5), nullptr);
  back.Clear();
  EXPECT_EQ(back.Count(), 0);
}

TEST(Useful_classes_base_recordsLists, SmallintListSurvivesAHostThatEmptiesItDuringAYield) {
  // Clear and SaveToStream yield as they go; a host that empties the list
  // from its hook must not leave them walking freed storage.
  struct HookGuard {
    ~HookGuard() { Global_YieldProcessProc = nullptr; }
  } guard;
  EveryCheckYields everyCheck;
  TSmallintList list;
  const SmallInt n = 1000;
  for (SmallInt v = 0; v < n; ++v) list.Add(std::make_unique<TSmallIntHolder>(v));
  int yields = 0;
  Global_YieldProcessProc = [&] {
    if (++yields == 3) list.Clear();
  };
  TMemoryStream ms;
  EXPECT_TRUE(list.SaveToStream(&ms));
  EXPECT_GE(yields, 3);  // Clear yields too, from inside the hook
  EXPECT_EQ(list.Count(), 0);
  // The items written before the host emptied the list, and no more.
  EXPECT_GT(ms.Size(), 0);
  EXPECT_LT(ms.Size(), 2 * n);
  EXPECT_EQ(ms.Size() % 2, 0);

  for (SmallInt v = 0; v < n; ++v) list.Add(std::make_unique<TSmallIntHolder>(v));
  yields = 0;
  Global_YieldProcessProc = [&] {
    if (++yields == 3) list.Add(std::make_unique<TSmallIntHolder>(SmallInt{99}));
  };
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

// ---- stand-alone helpers ----------------------------------------------------------------------

TEST(Useful_classes_base_recordsHelpers, ComputedByteDivisions) {
  EXPECT_EQ(ComputedByteDivisions(100, 3), (std::vector<Int64>{33, 67, 100}));
  EXPECT_EQ(ComputedByteDivisions(10, 4), (std::vector<Int64>{2, 5, 8, 10}));  // 2.5 and 7.5 to even
  EXPECT_EQ(ComputedByteDivisions(7, 1), (std::vector<Int64>{7}));
  EXPECT_TRUE(ComputedByteDivisions(7, 0).empty());
}

TEST(Useful_classes_base_recordsHelpers, HeadersOfN) {
  const auto h = HeadersOfN({u"a", u"b", u"c"}, {ct_string}, {30, 25});
  ASSERT_EQ(h.size(), 3u);
  EXPECT_EQ(h[0].ColumnType, ct_string);
  EXPECT_EQ(h[1].ColumnType, ct_integer);
  EXPECT_EQ(h[1].i, 25);
  EXPECT_EQ(h[2].i, 45);
  // Widths over 99 leave the last column 1.
  EXPECT_EQ(HeadersOfN({u"a", u"b"}, {}, {120}).back().i, 1);
  // Widths beyond the headings are ignored.
  EXPECT_EQ(HeadersOfN({u"a"}, {}, {10, 80}).back().i, 90);
  EXPECT_TRUE(HeadersOfN({}, {}, {10}).empty());
}

TEST(Useful_classes_base_recordsHelpers, ExchangesAndConversions) {
  T2_longint_rec a{1, 2}, b{3, 4};
  ExchangeTwoDoubleLongintRecs(a, b);
  EXPECT_EQ(a.long0, 3);
  EXPECT_EQ(b.long1, 2);
  TIndexAndPointerRec p{1, nullptr}, q{2, &a};
  ExchangeTwoIndexAndPointerRecs(p, q);
  EXPECT_EQ(p.p, &a);
  const auto r = IntegerAndSingleForScoringRecToIntegerAndSingleRec({6, 0.75f});
  EXPECT_EQ(r.int_, 6);
  EXPECT_EQ(IntegerAndSingleRecToIntegerAndSingleForScoringRec(r).score, 0.75f);
}

}  // namespace
}  // namespace sk
