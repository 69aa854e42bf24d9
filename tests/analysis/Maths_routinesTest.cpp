#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "analysis/Maths_routines.h"
#include "platform/runtime/Random.h"
#include "services/Wdef_definitions.h"

#include <array>
#include <map>
#include <vector>

namespace sk {
namespace {

TEST(Maths_routines, ArraySortsCompareExactly) {
  // Values closer than 0.5 and 64-bit values whose low 32 bits order the
  // other way round.
  std::vector<Double> d{0.3, 0.1, 0.2, -0.05, 0.25};
  SortAnArrayOfSingles(d, false);
  EXPECT_EQ(d, (std::vector<Double>{-0.05, 0.1, 0.2, 0.25, 0.3}));
  SortAnArrayOfExtendeds(d, true);
  EXPECT_EQ(d, (std::vector<Double>{0.3, 0.25, 0.2, 0.1, -0.05}));

  const Int64 big = Int64{1} << 32;
  std::vector<Int64> i64{big + 1, 5, big, -big, 0};
  SortAnArrayOfInt64s(i64, true);
  EXPECT_EQ(i64, (std::vector<Int64>{big + 1, big, 5, 0, -big}));

  std::vector<Int32> i32{std::numeric_limits<Int32>::min(), 7, std::numeric_limits<Int32>::max(), -7};
  SortAnArrayOfIntegers(i32, false);
  EXPECT_EQ(i32, (std::vector<Int32>{std::numeric_limits<Int32>::min(), -7, 7, std::numeric_limits<Int32>::max()}));

  std::vector<Int32> one{3};
  SortAnArrayOfIntegers(one, true);
  EXPECT_EQ(one, std::vector<Int32>{3});
  std::vector<Double> nan{1.0, std::nan(""), 0.0};
  SortAnArrayOfSingles(nan, false);  // stays whole whatever a NaN answers
  EXPECT_EQ(nan.size(), 3u);
}

// NaNs go after every number in both directions, and the numbers between
// them stay in order.
TEST(Maths_routines, ArraySortsPutNaNAfterTheNumbers) {
  const Double q = std::nan("");
  for (const bool descending : {false, true}) {
    std::vector<Double> d{3, q, 1, 2, q, 0, 5, 4};
    SortAnArrayOfSingles(d, descending);
    std::vector<Double> e{3, q, 1, 2, q, 0, 5, 4};
    SortAnArrayOfExtendeds(e, descending);
    for (const auto* v : {&d, &e}) {
      ASSERT_EQ(v->size(), 8u);
      for (size_t i = 0; i < 6; ++i) EXPECT_EQ((*v)[i], descending ? 5.0 - i : Double(i)) << i << " " << descending;
      EXPECT_TRUE(std::isnan((*v)[6]) && std::isnan((*v)[7])) << descending;
    }
  }
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST(Maths_routines, AssociationDispatchAndStatedValues) {
  const Tdouble_colloc_span span{span_L05, span_R05};
  EXPECT_EQ(CollocSpanWidth(span), 10);
  EXPECT_DOUBLE_EQ(RelationshipComputation(RelatStat_Dice, 10, 30, 20, 1000, span), 0.4);
  EXPECT_DOUBLE_EQ(RelationshipComputation(RelatStat_ConditionalProbA, 7, 0, 20, 1000, span), 700.0);
  EXPECT_DOUBLE_EQ(RelationshipComputation(RelatStat_ConditionalProbB, 7, 0, 20, 1000, span), 35.0);
  struct Case {
    TRelationshipStats stat;
    Double want;
  };
  const Int64 a = 12, f1 = 40, f2 = 90, N = 50000;
  const Case cases[] = {
      {RelatStat_MI, SpecificMutualInformation(f1, f2, a, N)},
      {RelatStat_MI3, MI3(f1, f2, a, N)},
      {RelatStat_Z, Z_Score(f1, f2, a, 10, N)},
      {RelatStat_log_likelihood, Log_Likelihood_SameCorpus_Everts(f1, f2, a, 10, N)},
      {RelatStat_T_Score, T_Score(f1, f2, a, N)},
      {RelatStat_Log_Ratio, 4.253756592245783},
      {RelatStat_DeltaPA, DeltaP_Gries(a, f1, f2, N)},
      {RelatStat_DeltaPB, DeltaP_Gries(a, f2, f1, N)},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(RelationshipComputation(c.stat, a, f1, f2, N, span), c.want, 1e-12 * std::abs(c.want))
        << static_cast<int>(c.stat);
    EXPECT_TRUE(std::isfinite(c.want)) << static_cast<int>(c.stat);
  }
  EXPECT_EQ(RelationshipComputation(static_cast<TRelationshipStats>(40), a, f1, f2, N, span), 0.0);
  // Log Ratio reads the joint frequency: collocates of one frequency (45)
  // rank by how often they come near the node (4,472 in 790,000 words), a
  // zero count taken as 0.5.
  const std::pair<Int64, Double> byJoint[] = {
      {0, -2.4330626449619985}, {1, -1.400641167269621}, {15, 3.058790451367676}, {45, 10.550643547697351}};
  for (const auto& [joint, want] : byJoint)
    EXPECT_NEAR(RelationshipComputation(RelatStat_Log_Ratio, joint, 4472, 45, 790000, span), want, 1e-12) << joint;
  EXPECT_NEAR(SpecificMutualInformation(f1, f2, a, N), std::log2(12.0 * 50000 / (40.0 * 90)), 1e-12);
}

TEST(Maths_routines, OpenDivisionsGiveNumbers) {
  // A zero joint count is floored, not a -infinity.
  for (Double v : {MI3(30, 20, 0, 1000), MI_Oakes171(30, 20, 0, 1000), MI_Durrant(30, 20, 0, 1000),
                   SpecificMutualInformation(30, 20, 0, 1000), MI3(1, 1, 0, 2)}) {
    EXPECT_TRUE(std::isfinite(v));
    EXPECT_LT(v, -500);
  }
  EXPECT_EQ(MI_Oakes171(0, 0, 0, 0), 0.0);  // every cell floored alike
  EXPECT_EQ(MI_Durrant(0, 20, 0, 1000), 0.0);
  EXPECT_EQ(Z_Score(30, 20, 5, 0, 1000), 0.0);    // V = 0
  EXPECT_EQ(Z_Score(30, 20, 5, 10, 30), 0.0);     // N - f1 = 0
  EXPECT_TRUE(std::isfinite(Z_Score(30, 0, 0, 10, 1000)));
  EXPECT_EQ(T_Score(3, 4, 1, 0), 0.0);
  EXPECT_DOUBLE_EQ(DeltaP_Gries(0, 0, 5, 5), 0.0);  // both terms over 0
  EXPECT_DOUBLE_EQ(DeltaP_Gries(2, 4, 3, 100), 100.0 * (0.5 - 1.0 / 95));
  Ttwo_KWInt64s f{};
  Ttwo_KWInt64s t{};
  f[little_text] = 5;
  t[little_text] = 100;
  t[reference_corpus] = 1000;
  EXPECT_TRUE(std::isfinite(PercentDiff(f, t)));
  EXPECT_GT(PercentDiff(f, t), 1e30);
  f[little_text] = 0;
  EXPECT_DOUBLE_EQ(PercentDiff(f, t), -100.0);  // a zero study proportion is not floored
  TNumberDisplayAndSinglesRec rec = AsPercent(false, 5, 0, u"x");
  EXPECT_EQ(rec.number_freedom, ndf_integer_only);
  rec.number_freedom = ndf_preference;
  EXPECT_EQ(AsPercentOrPPMOfTotal(rec), 0.0);
  const std::vector<Single> scores = PeriodHitWordCountScores({{1, 4}, {3, 4}}, 4);
  EXPECT_EQ(scores, (std::vector<Single>{0.25f, 0.0f, 0.75f, 0.0f}));  // periods 1 and 3 get no record
  EXPECT_EQ(PeriodHitWordCountScores({}, 3), (std::vector<Single>{0, 0, 0}));
  // Record i of r falls in period i * periods div r, exactly: scored with its
  // period's number + 1, each period averages to that (98 in 2: 1 and 2).
  for (Int32 periods = 1; periods <= 60; ++periods)
    for (Int32 r = 1; r < 200; ++r) {
      std::vector<THitAndWordCountRec> records;
      for (Int32 i = 0; i < r; ++i) records.push_back({static_cast<Cardinal>(static_cast<Int64>(i) * periods / r + 1), 1});
      const std::vector<Single> got = PeriodHitWordCountScores(records, periods);
      for (Int32 p = 0; p < periods; ++p)
        ASSERT_TRUE(got[static_cast<size_t>(p)] == 0.0f || got[static_cast<size_t>(p)] == p + 1.0f) << periods << " " << r;
    }
  EXPECT_TRUE(PeriodHitWordCountScores({{1, 1}}, 0).empty());
  EXPECT_EQ(ProportionOfTotal(Int64{3}, Int64{0}), 0.0);
  EXPECT_EQ(ProportionOfTotal(3.0, -1.0), 0.0);
  EXPECT_EQ(ProportionOfTotal(Cardinal{3}, Cardinal{0}), 0.0);
  EXPECT_DOUBLE_EQ(PercentageOfTotal(Int64{1}, Int64{8}), 12.5);
}

TEST(Maths_routines, LogLikelihoodForms) {
  // Dunning's form keeps its sign; the Java form never goes below 0.
  for (Int64 a : {0, 3, 9, 25}) {
    for (Int64 f1 : {5, 20}) {
      for (Int64 f2 : {5, 40}) {
        const Double dunning = Log_Likelihood_SameCorpus_Dunning(f1, f2, a, 1000);
        const Double java = Log_likelihood_from_Java(f1, f2, a, 1000);
        EXPECT_GE(java, 0.0);
        EXPECT_DOUBLE_EQ(java, std::max(0.0, dunning));
      }
    }
  }
  // A total below the frequencies makes Dunning's value negative.
  EXPECT_LT(Log_Likelihood_SameCorpus_Dunning(5, 5, 5, 0), 0.0);
  EXPECT_EQ(Log_likelihood_from_Java(5, 5, 5, 0), 0.0);
  EXPECT_EQ(XLnX(0), 0.0);
  EXPECT_EQ(XLnX(-2), 0.0);
  EXPECT_EQ(LogLikelihoodRatio({{{0, 0}, {0, 0}}}), 0.0);
  // f1 * span beyond 2^31 is formed in 64 bits.
  const Int64 f1 = 100000000;
  const Double want = LogLikelihoodRatio({{{50, 150}, {3000000000.0 - 50, 4000000000.0 - f1 - 200 + 50}}});
  EXPECT_DOUBLE_EQ(Log_Likelihood_SameCorpus_Everts(f1, 200, 50, 30, 4000000000), want);
  // Lancaster: zero frequencies and sizes are floored.
  EXPECT_TRUE(std::isfinite(Log_Likelihood_Lancaster(0, 0, 0, 0)));
  EXPECT_TRUE(std::isfinite(Log_Likelihood_Lancaster(5, 0, 1000, 0)));
}

TEST(Maths_routines, KeyWordStatistics) {
  Ttwo_KWInt64s f{};
  Ttwo_KWInt64s t{};
  f[little_text] = 5;
  f[reference_corpus] = 500;
  t[little_text] = 1000;
  t[reference_corpus] = 1000;
  const TKeyword_entry_rec neg = KWStatsCalculated(f, t);
  const Single ll = static_cast<Single>(Log_Likelihood_Lancaster(5, 500, 1000, 1000));
  EXPECT_TRUE(neg.negative_score);
  EXPECT_EQ(neg.LL, -ll);
  EXPECT_FLOAT_EQ(neg.BIC_Score, static_cast<Single>(ll - std::log(2000.0)));
  EXPECT_GT(neg.BIC_Score, 0);
  EXPECT_FLOAT_EQ(neg.LogRatio, static_cast<Single>(std::log2(0.005 / 0.5)));
  EXPECT_EQ(neg.f[little_text], 5);
  EXPECT_EQ(neg.f[reference_corpus], 500);
  EXPECT_EQ(neg.n_texts, 0);
  f[little_text] = -500;  // frequencies are taken as their absolute value
  f[reference_corpus] = -5;
  const TKeyword_entry_rec pos = KWStatsCalculated(f, t);
  EXPECT_FALSE(pos.negative_score);
  EXPECT_EQ(pos.LL, ll);
  EXPECT_EQ(pos.f[little_text], 500);
  EXPECT_FLOAT_EQ(pos.LogRatio, static_cast<Single>(std::log2(100.0)));
}

TEST(Maths_routines, DispersionEntropyChiSquareLogGamma) {
  EXPECT_EQ(DispersionValue(std::vector<Double>{1, 9}), 0.0);
  EXPECT_EQ(DispersionValue(std::vector<Double>{4, 4, 4, 4}), 1.0);
  EXPECT_EQ(DispersionValue(std::vector<Double>{-1, 0, 1}), 0.0);
  EXPECT_EQ(DispersionValue(std::vector<Double>{0, 0, 100}), 0.0);  // floored at 0
  // The integer forms leave out the last element.
  EXPECT_EQ(DispersionValue(std::vector<Int32>{4, 4, 4, 1000}), 1.0);
  std::array<Int32, 21> fixed{};
  fixed.fill(2);
  fixed[20] = 99;
  EXPECT_EQ(DispersionValue(fixed), 1.0);
  EXPECT_EQ(DispersionValue(std::vector<T2_Int64_Filenumber_BytePos>{{1, 7}, {2, 7}, {3, 7}, {4, 0}}), 1.0);

  EXPECT_EQ(RelativeEntropy({}), 0.0);
  EXPECT_EQ(RelativeEntropy({0, 0}), 0.0);
  EXPECT_EQ(RelativeEntropy({42}), 0.0);
  EXPECT_DOUBLE_EQ(RelativeEntropy({7, 7, 7, 7}), 1.0);
  EXPECT_NEAR(RelativeEntropy({7, 7, 7, 7, 7}), 1.0, 1e-6);  // log2 5 taken as a single
  EXPECT_EQ(RelativeEntropy({9, 0, 0}), 0.0);

  EXPECT_NEAR(ChiSquarePValue(3.84), 0.05, 0.0005);
  EXPECT_EQ(ChiSquarePValue(-3.84), ChiSquarePValue(3.84));
  // The true tail below 1 and above 35 (no fixed 0.99, no made-up tail).
  EXPECT_NEAR(ChiSquarePValue(0.5), 0.4795001221869535, 1e-12);
  EXPECT_EQ(ChiSquarePValue(0), 1.0);
  EXPECT_NEAR(ChiSquarePValue(40) / 2.5396285894708e-10, 1.0, 1e-9);
  EXPECT_GT(ChiSquarePValue(100), 0.0);

  // ln Gamma for every x > 0, not only whole and half-whole x.
  EXPECT_NEAR(Log_Gamma(0.5), std::log(std::sqrt(M_PI)), 1e-14);
  EXPECT_EQ(Log_Gamma(1), 0.0);
  EXPECT_NEAR(Log_Gamma(5), std::log(24.0), 1e-13);
  EXPECT_NEAR(Log_Gamma(2.7), 0.4348205536551, 1e-12);
  EXPECT_NEAR(Log_Gamma(0.1), 2.252712651734206, 1e-12);
  EXPECT_EQ(Log_Gamma(0), 0.0);
  EXPECT_EQ(Log_Gamma(-3), 0.0);
}

TEST(Maths_routines, MergedTextStatsIsTheSampleDeviationOfBothGroups) {
  const std::vector<Double> x{3, 5, 8, 13};
  const std::vector<Double> y{2, 7, 7, 1, 9, 4};
  auto stats = [](const std::vector<Double>& v) {
    TText_n_mean_sd_rec r{};
    r.n = static_cast<Int64>(v.size());
    Double m = 0;
    for (Double d : v) m += d;
    m /= static_cast<Double>(v.size());
    Double ss = 0;
    for (Double d : v) ss += (d - m) * (d - m);
    r.mean = static_cast<Single>(m);
    r.std_dev = v.size() > 1 ? static_cast<Single>(std::sqrt(ss / static_cast<Double>(v.size() - 1))) : 0.0f;
    return r;
  };
  std::vector<Double> both = x;
  both.insert(both.end(), y.begin(), y.end());
  const TText_n_mean_sd_rec m = MergedTextStats(stats(x), stats(y));
  const TText_n_mean_sd_rec want = stats(both);
  EXPECT_EQ(m.n, 10);
  EXPECT_FLOAT_EQ(m.mean, want.mean);
  EXPECT_FLOAT_EQ(m.std_dev, want.std_dev);
  // An empty first group: the second's own figures.
  const TText_n_mean_sd_rec second = MergedTextStats(TText_n_mean_sd_rec{}, stats(y));
  EXPECT_FLOAT_EQ(second.mean, stats(y).mean);
  EXPECT_FLOAT_EQ(second.std_dev, stats(y).std_dev);
  EXPECT_EQ(MergedTextStats(TText_n_mean_sd_rec{}, TText_n_mean_sd_rec{}).std_dev, 0.0f);
  EXPECT_EQ(MergedTextStats(stats({4}), TText_n_mean_sd_rec{}).std_dev, 0.0f);
}

TEST(Maths_routines, SequencesPeaksAndNumbers) {
  EXPECT_EQ(Dice_Coefficient(std::vector<Cardinal>{1, 2, 2, 3}, std::vector<Cardinal>{2, 3, 4}), 2.0 * 2 / 7);
  EXPECT_EQ(Dice_Coefficient(std::vector<Cardinal>{}, std::vector<Cardinal>{1}), 0.0);
  EXPECT_EQ(Dice_Coefficient(0, 0, 0), 0.0);
  // Longest shared run: 7 8 9.
  EXPECT_EQ(Overlap_Coefficient(std::vector<Cardinal>{1, 7, 8, 9, 2}, std::vector<Cardinal>{7, 8, 9, 1}), 3.0 / 4);
  EXPECT_EQ(Overlap_Coefficient(std::vector<Cardinal>{5}, std::vector<Cardinal>{}), 0.0);
  EXPECT_EQ(Overlap_Coefficient(3, 0, 9), 0.0);

  // Windows start at 0 to 2; the last ones are cut at the end of the array.
  const TArrayStatsRec peak = MainPeakBreakdown({1, 5, 5, 0, 9}, 3);
  EXPECT_EQ(peak.arr[0].highest_member_1Based, 2.0f);  // the first of the two 5s
  EXPECT_EQ(peak.arr[0].highest_score, 5.0f);
  EXPECT_EQ(peak.arr[1].highest_member_1Based, 2.0f);
  EXPECT_EQ(peak.arr[1].highest_score, 5.0f);
  EXPECT_EQ(peak.arr[2].highest_member_1Based, 3.0f);
  EXPECT_FLOAT_EQ(peak.arr[2].highest_score, 14.0f / 3);
  EXPECT_EQ(peak.arr[3].highest_member_1Based, 2.0f);  // 5 5 0 9 beats the cut 5 0 9
  EXPECT_FLOAT_EQ(peak.arr[3].highest_score, 4.75f);
  EXPECT_EQ(MainPeakBreakdown({1, 5, 5, 0, 9}, 9).arr[3].highest_score, 9.0f);  // the lone 9 at the end
  const TArrayStatsRec none = MainPeakBreakdown({}, 3);
  EXPECT_EQ(none.arr[2].highest_score, -1.0f);
  EXPECT_EQ(none.arr[2].highest_member_1Based, 0.0f);

  const TNumberDisplayAndSinglesRec pc = AsPercent(false, 5, 200, u"words");
  EXPECT_EQ(pc.number_freedom, ndf_preference);
  EXPECT_EQ(pc.number_preference, ndp_percent);
  EXPECT_DOUBLE_EQ(pc.computed_value, 2.5);
  EXPECT_EQ(pc.basis_str, u"words");
  EXPECT_EQ(AsPercent(true, 5, 200, u"").number_freedom, ndf_integer_only);
  TNumberDisplayAndSinglesRec r{};
  r.source_value = 2.5;
  EXPECT_EQ(AsPercentOrPPMOfTotal(r), 2.0);  // halves to even
  r.number_freedom = ndf_raw_float_only;
  EXPECT_EQ(AsPercentOrPPMOfTotal(r), 2.5);
  r.number_freedom = ndf_preference;
  r.basis = 1000;
  r.number_preference = ndp_per_million;
  EXPECT_DOUBLE_EQ(AsPercentOrPPMOfTotal(r), 2500.0);
  r.number_preference = ndp_per_thousand;
  EXPECT_DOUBLE_EQ(AsPercentOrPPMOfTotal(r), 2.5);

  EXPECT_EQ(NegativeIfOdd(7), -7);
  EXPECT_EQ(NegativeIfOdd(-3), 3);
  EXPECT_EQ(NegativeIfOdd(8), 8);
  EXPECT_EQ(FloatCorrectedIfBelowZero(true, 2.5), -2.5);
  EXPECT_EQ(ConditionalProbability(0, 3), 300.0);
  Ttwo_KWInt64s pair{};
  pair[little_text] = 1;
  pair[reference_corpus] = 2;
  SwapAround(pair);
  EXPECT_EQ(pair[little_text], 2);
  TtwoTextTokenTypes tt{};
  tt[little_text].tokens = 9;
  SwapAround(tt);
  EXPECT_EQ(tt[reference_corpus].tokens, 9);
}

TEST(Maths_routines, Bits) {
  for (Int32 i = 0; i < 32; ++i) {
    Cardinal v = 0;
    SetBit32(i, v);
    EXPECT_EQ(v, Cardinal{1} << i);
    EXPECT_TRUE(IsBitSet32(i, v));
    EXPECT_FALSE(IsBitSet32(i, ~v));
  }
  Word w = 0;
  SetBit16(15, w);
  SetBit16(16, w);  // outside: nothing
  SetBit16(-1, w);
  EXPECT_EQ(w, 0x8000);
  EXPECT_TRUE(IsBitSet16(15, w));
  EXPECT_FALSE(IsBitSet16(16, 0xFFFF));
  Cardinal v = 0;
  SetBit32(32, v);
  EXPECT_EQ(v, 0u);
  EXPECT_FALSE(IsBitSet32(-1, 0xFFFFFFFF));
}

TEST(Maths_routines, PairIndexesMatchTheStepwiseWalk) {
  EXPECT_EQ(SingleArrayLengthForXInterRelationships(4), 10);
  EXPECT_EQ(SingleArrayLengthForXInterRelationships(3), 6);
  for (Int32 n = 0; n <= 40; ++n) {
    Int32 x = 1;
    Int32 y = 0;
    const Int32 pairs = n > 1 ? n * (n - 1) / 2 : 0;
    for (Int32 pos = 0; pos < pairs + 6; ++pos) {
      const TXYPair got = XYFromSingleArrayPosPos(pos, n);
      ASSERT_EQ(got.x, x) << "n " << n << " pos " << pos;
      ASSERT_EQ(got.y, y) << "n " << n << " pos " << pos;
      if (pos < pairs) {
        EXPECT_EQ(SingleArrayPosForXYValue(x, y, n), pos);
        EXPECT_EQ(SingleArrayPosForXYValue(y, x, n), pos);
        EXPECT_EQ(SingleArrayPosForXYValue1Based(x + 1, y + 1, n), pos + 1);
      }
      ++x;
      if (x > n - 1) {
        ++y;
        x = y + 1;
      }
    }
  }
  EXPECT_EQ(XYFromSingleArrayPosPos(0, 9).x, 1);
  EXPECT_EQ(XYFromSingleArrayPosPos(-4, 9).y, 0);
  // Positions past the answer's 32 bits fail instead of wrapping round.
  EXPECT_EQ(SingleArrayPosForXYValue1Based(70000, 69999, 70000), -1);
  EXPECT_EQ(SingleArrayPosForXYValue1Based(100000, 99999, 100000), -1);
  EXPECT_EQ(SingleArrayPosForXYValue(69999, 69998, 70000), -1);
  EXPECT_GT(SingleArrayPosForXYValue1Based(2, 1, 70000), 0);
  const TXYPair far = XYFromSingleArrayPosPos(2000000000, 65536);
  constexpr Int64 n = 65536;
  auto rowStart = [](Int64 y) { return y * (2 * n - 1 - y) / 2; };
  EXPECT_LE(rowStart(far.y), 2000000000);
  EXPECT_GT(rowStart(far.y + 1), 2000000000);
  EXPECT_EQ(SingleArrayPosForXYValue(far.x, far.y, 65536), 2000000000);
  // Items beyond n, equal items and negative items have no place.
  EXPECT_EQ(SingleArrayPosForXYValue1Based(5, 2, 4), -1);
  EXPECT_EQ(SingleArrayPosForXYValue1Based(2, 9, 4), -1);
  EXPECT_EQ(SingleArrayPosForXYValue1Based(3, 3, 4), -1);
  EXPECT_EQ(SingleArrayPosForXYValue1Based(0, 2, 4), -1);
  EXPECT_EQ(SingleArrayPosForXYValue(4, 1, 4), -1);
  EXPECT_EQ(SingleArrayPosForXYValue(-1, 1, 4), -1);
  EXPECT_EQ(SingleArrayPosForXYValue1Based(4, 3, 4), 6);
}

TEST(Maths_routines, ShuffledNumbersAreUniformPermutations) {
  const UInt64 seed = RandSeed;
  EXPECT_TRUE(TShuffledNumbers(0).temp_int.empty());
  EXPECT_TRUE(TShuffledNumbers(-5).temp_int.empty());
  EXPECT_EQ(TShuffledNumbers(1).temp_int, std::vector<Int32>{0});
  EXPECT_EQ(TShuffledNumbers(2).temp_int, (std::vector<Int32>{1, 0}));
  const TShuffledNumbers three(3);
  EXPECT_EQ(three.GetANumber(3), -1);
  EXPECT_EQ(three.GetANumber(-1), -1);
  std::map<std::vector<Int32>, int> seen;
  for (int i = 0; i < 6000; ++i) ++seen[TShuffledNumbers(3).temp_int];
  ASSERT_EQ(seen.size(), 6u);
  for (const auto& [order, times] : seen) EXPECT_NEAR(times, 1000, 150);
  // Position counts of a larger draw: every number lands everywhere.
  std::vector<std::vector<int>> where(8, std::vector<int>(8, 0));
  for (int i = 0; i < 8000; ++i) {
    const TShuffledNumbers s(8);
    std::vector<Int32> sorted = s.temp_int;
    std::sort(sorted.begin(), sorted.end());
    ASSERT_EQ(sorted, (std::vector<Int32>{0, 1, 2, 3, 4, 5, 6, 7}));
    for (Int32 k = 0; k < 8; ++k) ++where[static_cast<size_t>(k)][static_cast<size_t>(s.GetANumber(k))];
  }
  for (const auto& row : where)
    for (int c : row) EXPECT_NEAR(c, 1000, 200);
  RandSeed = seed;
}

TEST(Maths_routines, ComparerClassesCompareExactly) {
  const TIntSingleComparer up(false);
  const TIntSingleComparer down(true);
  EXPECT_EQ(up.Compare(0.1, 0.2), -1);
  EXPECT_EQ(down.Compare(0.1, 0.2), 1);
  EXPECT_EQ(up.Compare(0.2, 0.2), 0);
  EXPECT_EQ(up.Compare(std::nan(""), 1.0), 1);  // NaN after every number
  EXPECT_EQ(down.Compare(1.0, std::nan("")), -1);
  const TIntExtendedComparer ext(true);
  EXPECT_EQ(ext.Compare(3.0, 2.9), -1);
}

}  // namespace
}  // namespace sk
