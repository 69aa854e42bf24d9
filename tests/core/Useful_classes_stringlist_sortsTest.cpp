// The string-list comparers handed to CustomSort: keys, tie-breaks, the two
// kinds of reversal, and sorting with comparers that are not consistent; and
// the copy-marker test of file names.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_stringlist_sorts.h"

namespace sk {
namespace {

template <class T>
struct Held : TObject {
  explicit Held(T v) : data(std::move(v)) {}
  T data;
};

using IntSingleH = Held<TIntegerAndSingleRec>;
using IntsSingleH = Held<T2LongintAndSingleRec>;
using StrIntH = Held<TStringAndIntegerRec>;
using MeanH = Held<TStringAndMeanAndSD_rec>;
using TwoH = Held<T2_longint_rec>;
using LongH = Held<Int32>;
using SingleH = Held<Single>;
using DateH = Held<TDateTime>;

constexpr float kNaNf = std::numeric_limits<float>::quiet_NaN();

// Starts each test from cleared switches and puts the process-wide switches
// the comparers read back after it.
class StringListSortsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    global_reversed_sort = false;
    temp_Sort_which2 = t2_long0;
  }
  ScopedHandOverVariables handOver_;
  TStringList list_{true};  // owns the holders

  std::vector<String> Lines() const {
    std::vector<String> v;
    for (Int32 i = 0; i < list_.Count(); ++i) v.push_back(list_.Strings(i));
    return v;
  }
};

using Useful_classes_stringlist_sortsKeys = StringListSortsTest;
using Useful_classes_stringlist_sortsReversal = StringListSortsTest;
using Useful_classes_stringlist_sortsRobust = StringListSortsTest;

using V = std::vector<String>;

TEST_F(Useful_classes_stringlist_sortsKeys, StringAndIntegerOnIntThenRecordString) {
  list_.AddObject(u"L1", new StrIntH({u"b", 2}));
  list_.AddObject(u"L2", new StrIntH({u"a", 2}));
  list_.AddObject(u"L3", new StrIntH({u"z", 1}));
  list_.CustomSort(StringListWithStringAndInteger_Sort_Int<StrIntH>);
  EXPECT_EQ(Lines(), (V{u"L3", u"L2", u"L1"}));
  // Reversal by key: only i turns round, the string tie-break stays ascending.
  global_reversed_sort = true;
  list_.CustomSort(StringListWithStringAndInteger_Sort_Int<StrIntH>);
  EXPECT_EQ(Lines(), (V{u"L2", u"L1", u"L3"}));
}

TEST_F(Useful_classes_stringlist_sortsKeys, StringAndIntegerOnSubstringThenInt) {
  list_.AddObject(u"L1", new StrIntH({u"b", 1}));
  list_.AddObject(u"L2", new StrIntH({u"a", 5}));
  list_.AddObject(u"L3", new StrIntH({u"a", 3}));
  list_.CustomSort(StringListWithStringAndInteger_Sort_Substring<StrIntH>);
  EXPECT_EQ(Lines(), (V{u"L3", u"L2", u"L1"}));
  // Reversal by indexes: every key turns round.
  global_reversed_sort = true;
  list_.CustomSort(StringListWithStringAndInteger_Sort_Substring<StrIntH>);
  EXPECT_EQ(Lines(), (V{u"L1", u"L2", u"L3"}));
}

TEST_F(Useful_classes_stringlist_sortsKeys, MeanDescendingSdAscendingIgnoringTheFlag) {
  list_.AddObject(u"low", new MeanH({{1.0f, 0.5f}, u""}));
  list_.AddObject(u"high-wide", new MeanH({{9.0f, 3.0f}, u""}));
  list_.AddObject(u"high-narrow", new MeanH({{9.0f, 1.0f}, u""}));
  global_reversed_sort = true;  // this comparer has no reversal
  list_.CustomSort(StringListWithStringAndMeanAndSD_recDescending<MeanH>);
  EXPECT_EQ(Lines(), (V{u"high-narrow", u"high-wide", u"low"}));
}

TEST_F(Useful_classes_stringlist_sortsKeys, TwoLongintsDescThenOtherAscThenLine) {
  list_.AddObject(u"b", new TwoH({5, 1}));
  list_.AddObject(u"a", new TwoH({5, 1}));
  list_.AddObject(u"c", new TwoH({5, 0}));
  list_.AddObject(u"d", new TwoH({7, 9}));
  list_.CustomSort(StringListWithDoubleLongintListSortOn_Long0<TwoH>);
  EXPECT_EQ(Lines(), (V{u"d", u"c", u"a", u"b"}));
  list_.CustomSort(StringListWithDoubleLongintListSortOn_Long1<TwoH>);
  EXPECT_EQ(Lines(), (V{u"d", u"a", u"b", u"c"}));
}

TEST_F(Useful_classes_stringlist_sortsKeys, IntAndSingleFourOrders) {
  list_.AddObject(u"x", new IntSingleH({2, 0.5f}));
  list_.AddObject(u"y", new IntSingleH({1, 0.5f}));
  list_.AddObject(u"w", new IntSingleH({1, 0.9f}));
  list_.CustomSort(SListWIntAndSingleSortOn_Int<IntSingleH>);  // int asc, s desc
  EXPECT_EQ(Lines(), (V{u"w", u"y", u"x"}));
  list_.CustomSort(SListWIntAndSingleSortOn_Single_Sort2_Int<IntSingleH>);  // s asc, int asc
  EXPECT_EQ(Lines(), (V{u"y", u"x", u"w"}));
  list_.CustomSort(SListWIntAndSingleSortOn_Single_Sort2_String<IntSingleH>);  // s asc, line asc
  EXPECT_EQ(Lines(), (V{u"x", u"y", u"w"}));
  list_.CustomSort(SListWIntAndSingleSortOn_Strings<IntSingleH>);  // line asc
  EXPECT_EQ(Lines(), (V{u"w", u"x", u"y"}));
}

TEST_F(Useful_classes_stringlist_sortsReversal, StringsThenSingleReversesOnlyTheSingle) {
  list_.AddObject(u"b", new IntSingleH({0, 1.0f}));
  list_.AddObject(u"a", new IntSingleH({0, 1.0f}));
  list_.AddObject(u"a", new IntSingleH({0, 3.0f}));
  list_.AddObject(u"a", new IntSingleH({0, 2.0f}));
  global_reversed_sort = true;
  list_.CustomSort(SListWIntAndSingleSortOn_Strings<IntSingleH>);
  ASSERT_EQ(Lines(), (V{u"a", u"a", u"a", u"b"}));
  EXPECT_EQ(static_cast<IntSingleH*>(list_.Objects(0))->data.s, 3.0f);
  EXPECT_EQ(static_cast<IntSingleH*>(list_.Objects(1))->data.s, 2.0f);
  EXPECT_EQ(static_cast<IntSingleH*>(list_.Objects(2))->data.s, 1.0f);
}

TEST_F(Useful_classes_stringlist_sortsReversal, ByIndexesReversesTieBreaksToo) {
  list_.AddObject(u"p", new IntSingleH({1, 0.5f}));
  list_.AddObject(u"q", new IntSingleH({1, 0.9f}));
  list_.AddObject(u"r", new IntSingleH({0, 0.1f}));
  global_reversed_sort = true;
  list_.CustomSort(SListWIntAndSingleSortOn_Int<IntSingleH>);  // int desc, s asc
  EXPECT_EQ(Lines(), (V{u"p", u"q", u"r"}));
  list_.CustomSort(SListSortOn_Strings);
  EXPECT_EQ(Lines(), (V{u"r", u"q", u"p"}));
}

TEST_F(Useful_classes_stringlist_sortsKeys, TwoIntsAndSingleReadTheChosenInteger) {
  list_.AddObject(u"a", new IntsSingleH({{1, 30}, 0.5f}));
  list_.AddObject(u"b", new IntsSingleH({{2, 10}, 0.5f}));
  list_.AddObject(u"c", new IntsSingleH({{3, 20}, 0.1f}));
  temp_Sort_which2 = t2_long1;
  list_.CustomSort(SListWIntsAndSingleSortOn_Int<IntsSingleH>);
  EXPECT_EQ(Lines(), (V{u"b", u"c", u"a"}));
  temp_Sort_which2 = t2_long0;
  list_.CustomSort(SListWIntsAndSingleSortOn_Int<IntsSingleH>);
  EXPECT_EQ(Lines(), (V{u"a", u"b", u"c"}));
  temp_Sort_which2 = t2_long1;
  list_.CustomSort(SListWIntsAndSingleSortOn_Single_Sort2Int<IntsSingleH>);  // s asc, long1 asc
  EXPECT_EQ(Lines(), (V{u"c", u"b", u"a"}));
  list_.CustomSort(SListWIntsAndSingleSortOn_Single_Sort2_String<IntsSingleH>);  // s asc, line asc
  EXPECT_EQ(Lines(), (V{u"c", u"a", u"b"}));
}

TEST_F(Useful_classes_stringlist_sortsKeys, TwoIntsAndSingleStringsThenSingleDescending) {
  list_.AddObject(u"k", new IntsSingleH({{0, 0}, 1.0f}));
  list_.AddObject(u"k", new IntsSingleH({{0, 0}, 4.0f}));
  list_.AddObject(u"j", new IntsSingleH({{0, 0}, 2.0f}));
  list_.CustomSort(SListWIntsAndSingleSortOn_Strings<IntsSingleH>);
  ASSERT_EQ(Lines(), (V{u"j", u"k", u"k"}));
  EXPECT_EQ(static_cast<IntsSingleH*>(list_.Objects(1))->data.s, 4.0f);
  global_reversed_sort = true;  // by indexes: lines descending, s ascending
  list_.CustomSort(SListWIntsAndSingleSortOn_Strings<IntsSingleH>);
  ASSERT_EQ(Lines(), (V{u"k", u"k", u"j"}));
  EXPECT_EQ(static_cast<IntsSingleH*>(list_.Objects(0))->data.s, 1.0f);
}

TEST_F(Useful_classes_stringlist_sortsKeys, FrequencyDescendingLinesBreakTies) {
  list_.AddObject(u"the", new LongH(10));
  list_.AddObject(u"and", new LongH(10));
  list_.AddObject(u"rare", new LongH(1));
  list_.AddObject(u"most", new LongH(INT32_MAX));
  list_.AddObject(u"neg", new LongH(INT32_MIN));
  global_reversed_sort = true;  // no reversal here
  list_.CustomSort(StringListWithALongintSortOn_Freq<LongH>);
  EXPECT_EQ(Lines(), (V{u"most", u"and", u"the", u"rare", u"neg"}));

  TStringList singles(true);
  singles.AddObject(u"a", new SingleH(0.5f));
  singles.AddObject(u"b", new SingleH(2.5f));
  singles.CustomSort(StringListWithSingleSortOn_Freq<SingleH>);
  EXPECT_EQ(singles.Strings(0), u"b");
}

TEST_F(Useful_classes_stringlist_sortsKeys, DatesThenLinesAndMissingObjects) {
  list_.AddObject(u"late", new DateH(45000.5));
  list_.AddObject(u"b-early", new DateH(100.0));
  list_.AddObject(u"a-early", new DateH(100.0));
  list_.AddObject(u"none", nullptr);  // reads as date 0
  list_.CustomSort(SListSortOn_Date<DateH>);
  EXPECT_EQ(Lines(), (V{u"none", u"a-early", u"b-early", u"late"}));
  global_reversed_sort = true;
  list_.CustomSort(SListSortOn_Date<DateH>);
  EXPECT_EQ(Lines(), (V{u"late", u"b-early", u"a-early", u"none"}));
}

TEST_F(Useful_classes_stringlist_sortsKeys, EqualIndexesAnswerZero) {
  list_.AddObject(u"x", new IntSingleH({1, kNaNf}));
  // A NaN compared with itself would be -1; the same line is still equal.
  EXPECT_EQ(SListWIntAndSingleSortOn_Single_Sort2_Int<IntSingleH>(&list_, 0, 0), 0);
  EXPECT_EQ(SListSortOn_Strings(&list_, 0, 0), 0);
}

// Comparers that answer -1 in both orders (NaN values) must still leave every
// item in the list exactly once; under ASan this also proves no read outside.
TEST_F(Useful_classes_stringlist_sortsRobust, NaNValuesKeepEveryLine) {
  const Int32 n = 2000;
  for (Int32 i = 0; i < n; ++i) {
    const float v = (i % 3 == 0) ? kNaNf : static_cast<float>((i * 7919) % 101);
    list_.AddObject(String(u"line") + Utf8ToString(std::to_string(i)), new SingleH(v));
  }
  list_.CustomSort(StringListWithSingleSortOn_Freq<SingleH>);
  ASSERT_EQ(list_.Count(), n);
  std::vector<bool> seen(n, false);
  for (Int32 i = 0; i < n; ++i) {
    const std::string s = StringToUtf8(list_.Strings(i));
    const int k = std::stoi(s.substr(4));
    ASSERT_FALSE(seen[k]);
    seen[k] = true;
  }
}

// The comparers' default holder arguments are the library's own holders.
TEST_F(Useful_classes_stringlist_sortsKeys, DefaultsReadTheLibraryHolders) {
  list_.AddObject(u"rare", new TLongIntHolder(2));
  list_.AddObject(u"common", new TLongIntHolder(90));
  list_.CustomSort(StringListWithALongintSortOn_Freq);
  EXPECT_EQ(Lines(), (V{u"common", u"rare"}));

  TMySearchRecHolder small(TMySearchRec{0, 10, 0, 0, u"s"}), big(TMySearchRec{0, 99, 0, 0, u"b"});
  const std::function<Int32(Pointer, Pointer)> bySize = MySearchRecSizeSort<>;
  EXPECT_EQ(bySize(&small, &big), -1);
}

TEST(Useful_classes_stringlist_sortsNames, CopyMarkers) {
  EXPECT_TRUE(FilenamesMatchingApartFromNumber(u"file.txt", u"file (2).txt"));
  EXPECT_TRUE(FilenamesMatchingApartFromNumber(u"file (2).txt", u"file.txt"));
  EXPECT_FALSE(FilenamesMatchingApartFromNumber(u"file.txt", u"file (x).txt"));
  EXPECT_TRUE(FilenamesMatchingApartFromNumber(u"doc.txt", u"doc - COPY.txt"));
  EXPECT_FALSE(FilenamesMatchingApartFromNumber(u"doc.txt", u"doc - Copy.txt"));
  EXPECT_FALSE(FilenamesMatchingApartFromNumber(u"same.txt", u"same.txt"));
  EXPECT_FALSE(FilenamesMatchingApartFromNumber(u"", u"file (2).txt"));
  EXPECT_FALSE(FilenamesMatchingApartFromNumber(u"file.txt", u""));
  // The marker must come first in the differing rest.
  EXPECT_FALSE(FilenamesMatchingApartFromNumber(u"a.txt", u"a x - COPY.txt"));
  // No closing bracket, or nothing numeric inside.
  EXPECT_FALSE(FilenamesMatchingApartFromNumber(u"f.txt", u"f (3.txt"));
  EXPECT_FALSE(FilenamesMatchingApartFromNumber(u"f.txt", u"f ().txt"));
  // One name a prefix of the other: the rest is the longer name's tail.
  EXPECT_TRUE(FilenamesMatchingApartFromNumber(u"report", u"report (12)"));
  EXPECT_TRUE(FilenamesMatchingApartFromNumber(u"report", u"report - COPY"));
}

}  // namespace
}  // namespace sk
