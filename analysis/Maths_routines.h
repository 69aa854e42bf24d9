// The suite's statistics and number helpers: association measures between a
// node word and a collocate, keyness of a word in a study corpus against a
// reference corpus, dispersion and relative entropy, timeline period scores
// and peaks, overlap of two sequences, proportions and number display, bit
// masks, the index arithmetic of a triangular table of pairs, sorts of number
// arrays and a random permutation.
//
// Notation: a = joint frequency of node and collocate, f1 = frequency of the
// node, f2 = of the collocate, N = total tokens, span = collocation window
// width. Every routine is a pure function of its arguments unless its comment
// mentions the yield hook or the random generator. None answers a NaN or an
// infinity for counts that are not negative: where a division would be open
// the routine floors its operand or answers 0, as each comment says.
#pragma once

#include <array>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

struct TKeyword_entry_rec;

// The smallest positive normal double and single: the floors of the measures.
inline constexpr Double MinD = 2.2250738585072014e-308;
inline constexpr Single MinS = 1.1754944e-38f;

// ---- association (node and collocate) ------------------------------------------

// The width of a collocation window: ord(rightmost) - ord(leftmost).
Int32 CollocSpanWidth(const Tdouble_colloc_span& span);

// Dispatches stat to its measure (Dice, MI, MI3, Z, log-likelihood, T score,
// log ratio, conditional probabilities, Delta P); any other value gives 0.
Double RelationshipComputation(TRelationshipStats stat, Int64 a, Int64 f1, Int64 f2, Int64 N,
                               const Tdouble_colloc_span& span);

// 2a / (x + y); 0 when x + y = 0.
Double Dice_Coefficient(Int64 a, Int64 x, Int64 y);
// Each element of s1 is matched with the first not yet matched equal element
// of s2; the Dice coefficient of (matches, len s1, len s2). 0 when either is
// empty.
Double Dice_Coefficient(const std::vector<Cardinal>& s1, const std::vector<Cardinal>& s2);
// a / min(x, y); 0 when the minimum is 0.
Double Overlap_Coefficient(Int64 a, Int64 x, Int64 y);
// The longest run of equal consecutive elements shared by s1 and s2 (each
// element used by one run at most), as an overlap coefficient. 0 when either
// is empty.
Double Overlap_Coefficient(const std::vector<Cardinal>& s1, const std::vector<Cardinal>& s2);

// log2((a/N) / ((f1/N)(f2/N))); a below 1 counts as MinD; 0 when f1, f2 or N
// is below 1.
Double SpecificMutualInformation(Int64 f1, Int64 f2, Int64 a, Int64 N);
// log2(a / (f1 f2 / N)), with a below 1 counted as MinD; 0 when f1, f2 or N
// is below 1.
Double MI_Durrant(Int64 f1, Int64 f2, Int64 a, Int64 N);
// Over the contingency cells O11 = a, O12 = f1 - a, O21 = f2 - a, O22 = the
// rest, each floored at MinD (O22 when not above 0, the others below 1):
// MI3 = log2(O11^3 S / ((O11 + O12)(O11 + O21))) with S the sum of the cells;
// MI_Oakes171 the same with O11 in place of O11^3. Worked out in logarithms,
// so a floored joint cell gives a large negative value, not an infinity.
Double MI3(Int64 f1, Int64 f2, Int64 a, Int64 N);
Double MI_Oakes171(Int64 f1, Int64 f2, Int64 a, Int64 N);
// (O11 - f1 f2 / N) / sqrt(O11) over the floored cells; 0 when N is below 1.
Double T_Score(Int64 f1, Int64 f2, Int64 a, Int64 N);
// p = f2 / (N - f1) (MinD when 0), E = p f1 span, V = E (1 - p):
// (a - E) / sqrt(V); 0 when V is not above 0 or N - f1 is not above 0.
Double Z_Score(Int64 f1, Int64 f2, Int64 a, Int32 span, Int64 N);
// 100 y / max(1, x).
Double ConditionalProbability(Int64 x, Int64 y);
// 100 (a/f1 - (f2 - a)/(N - f1 - f2 + a)); a term over 0 counts as 0.
Double DeltaP_Gries(Int64 a, Int64 f1, Int64 f2, Int64 N);
// The proportion log ratio of (f1, f2) over (N, N).
Double Log_Ratio(Int64 f1, Int64 f2, Int64 N);
// The log ratio of a collocate (frequency f2) with a node (frequency f1, a
// joint occurrences in windows of span words, N words in all):
// log2((a / W) / ((f2 - a) / (N - W))) with W = f1 span, a zero count taken
// as 0.5 and W or N - W below 1 as 1. With f1, f2 and N fixed it rises with a.
Double Collocation_Log_Ratio(Int64 f1, Int64 f2, Int64 a, Int32 span, Int64 N);

// ---- log-likelihood family (natural logarithms) ---------------------------------

// x ln x; 0 for x not above 0.
Double XLnX(Double x);
// The G statistic of a 2 x 2 table: 2 T (H(cells) - H(row sums) - H(column
// sums)), H(list) = sum over the proportions above 0 of p ln p, T the sum of
// the cells; 0 when T is not above 0.
Double LogLikelihoodRatio(const std::array<std::array<Double, 2>, 2>& table);
// LogLikelihoodRatio of [[a, f2 - a], [f1 span - a, N - f1 - f2 + a]].
Double Log_Likelihood_SameCorpus_Everts(Int64 f1, Int64 f2, Int64 a, Int32 span, Int64 N);
// 2 (Rows + Cols - Cells) over the unfloored cells, whatever its sign.
Double Log_Likelihood_SameCorpus_Dunning(Int64 f1, Int64 f2, Int64 a, Int64 N);
// The same, but 0 when Cells exceeds Rows + Cols: never negative.
Double Log_likelihood_from_Java(Int64 f1, Int64 f2, Int64 a, Int64 N);
// Frequencies a, b in two corpora of sizes c, d: 2 (a ln(a/E1) + b ln(b/E2)),
// E1 = c (a + b)/(c + d), E2 = d (a + b)/(c + d); every operand not above 0
// and every expected value of 0 counts as MinD.
Double Log_Likelihood_Lancaster(Int64 a, Int64 b, Double c, Double d);

// ---- keyness -------------------------------------------------------------------

// log2(p0 / p1) with p_i = f_i / t_i held as a single, MinS when t_i is below
// 1 or the quotient is 0.
Double ProportionLogRatio(const Ttwo_KWInt64s& f, const Ttwo_KWInt64s& t);
// %DIFF: (p0 - p1) / p1 x 100 with p_i as above; only the reference
// proportion p1 is floored at MinS when it is 0.
Double PercentDiff(const Ttwo_KWInt64s& f, const Ttwo_KWInt64s& t);
// The key-word record of a word with frequencies f (study, reference) in
// corpora of sizes t: f, LL, BIC_Score, LogRatio and negative_score set,
// everything else zero or empty. A word less frequent in the study corpus
// than expected gets a negative LL and negative_score; its BIC_Score is the
// positive LL less ln(t0 + t1).
TKeyword_entry_rec KWStatsCalculated(const Ttwo_KWInt64s& f, const Ttwo_KWInt64s& t);

// ---- dispersion, entropy and distributions --------------------------------------

// 0 for fewer than 3 values or a mean of 0; else max(0, 1 - (s/m)/sqrt(n))
// with m the mean and s the sample standard deviation.
Double DispersionValue(const std::vector<Double>& values);
// These three use every element but the last one.
Double DispersionValue(const std::vector<T2_Int64_Filenumber_BytePos>& values);
Double DispersionValue(const std::vector<Int32>& values);
Double DispersionValue(const std::array<Int32, 21>& values);
// |sum p log2 p| over the non-zero counts divided by log2(number of counts);
// 0 for an empty array, a zero sum, or when either value is 0.
Double RelativeEntropy(const std::vector<Int64>& counts);
// The upper-tail probability of a chi-square statistic |x| with one degree of
// freedom (1 for 0).
Double ChiSquarePValue(Double x);
// ln Gamma(x) for x > 0; 0 for x not above 0.
Double Log_Gamma(Double x);
// Both groups taken together: n, the mean, and the sample standard deviation
// (n - 1), each group's std_dev being its own sample standard deviation.
TText_n_mean_sd_rec MergedTextStats(const TText_n_mean_sd_rec& x, const TText_n_mean_sd_rec& y);
// Record i belongs to period trunc(i periods / records); each period's result
// is the mean of hits/wordcount over its records (0 where either is 0), and 0
// for a period without records.
std::vector<Single> PeriodHitWordCountScores(const std::vector<THitAndWordCountRec>& records, Int32 periods);

// The best window of 1 to 4 values: entry k holds the highest mean of values
// i..i+k (those inside the array) over the starts i below starts, and that
// start plus 1; the first of equal means wins; a window with no value inside
// the array is skipped.
struct TArrayStatsRec {
  std::array<TArray1StatRec, 4> arr{};
};
TArrayStatsRec MainPeakBreakdown(const std::vector<Single>& values, Int32 starts);

// ---- proportions and number display ---------------------------------------------

// x / total; 0 when total < 1 (64-bit), total <= 0 (doubles), total = 0
// (unsigned).
Double ProportionOfTotal(Int64 x, Int64 total);
Double ProportionOfTotal(Double x, Double total);
Double ProportionOfTotal(Cardinal x, Cardinal total);
Double PercentageOfTotal(Int64 x, Int64 total);
Double PercentageOfTotal(Double x, Double total);
// A zeroed record with basis_str, source_value = value, basis = total; shown
// as a percentage (computed_value = value 100 / total) when not asIs and
// total > 0, else as the integer value.
TNumberDisplayAndSinglesRec AsPercent(bool asIs, Int64 value, Int64 total, const String& basisText);
// The value to show: the rounded source value, the source value, or the
// source value per hundred, thousand or million of basis (0 when basis is 0).
Double AsPercentOrPPMOfTotal(const TNumberDisplayAndSinglesRec& rec);
Int64 NegativeIfOdd(Int64 x);
Double FloatCorrectedIfBelowZero(bool flag, Double x);
void SwapAround(Ttwo_KWInt64s& pair);
void SwapAround(Ttwo_KWdoubles& pair);
void SwapAround(TtwoTextTokenTypes& pair);

// ---- bits and pair indexes -------------------------------------------------------

inline constexpr std::array<Cardinal, 32> bit_array32 = [] {
  std::array<Cardinal, 32> a{};
  for (int i = 0; i < 32; ++i) a[static_cast<size_t>(i)] = Cardinal{1} << i;
  return a;
}();
inline constexpr std::array<Word, 16> bit_array16 = [] {
  std::array<Word, 16> a{};
  for (int i = 0; i < 16; ++i) a[static_cast<size_t>(i)] = static_cast<Word>(1u << i);
  return a;
}();

// Index i must be 0 to 31 (0 to 15): outside, the test is false and the set
// changes nothing.
bool IsBitSet32(Int32 i, Cardinal v);
bool IsBitSet16(Int32 i, Word v);
void SetBit32(Int32 i, Cardinal& v);
void SetBit16(Int32 i, Word& v);

// The pairs (x, y), x > y, of n items laid out in one array:
// (1,0), (2,0) ... (n-1,0), (2,1) ... (n-1,n-2).
struct TXYPair {
  Int32 x{};
  Int32 y{};
};
// n/2 (n + 1), rounded.
Int64 SingleArrayLengthForXInterRelationships(Int64 n);
// The pair at array position pos (constant time). Positions beyond the last
// pair go on as (n + k, n - 1 + k), k = pos - number of pairs; a negative pos
// gives (1, 0).
TXYPair XYFromSingleArrayPosPos(Int32 pos, Int32 n);
// The 1-based position of the pair of 1-based items x and y (either order);
// -1 when x = y, either is below 1 or above n.
Int32 SingleArrayPosForXYValue1Based(Int32 x, Int32 y, Int32 n);
// The 0-based position of the pair of 0-based items x and y; -1 when x = y,
// either is below 0 or not below n.
Int32 SingleArrayPosForXYValue(Int32 x, Int32 y, Int32 n);

// ---- sorting and random order ---------------------------------------------------

// Comparers of the number-array sorts: exact three-way comparison, reversed
// when descending. A NaN compares equal to everything.
class TIntSingleComparer {
 public:
  explicit TIntSingleComparer(bool descending) : fDescending(descending) {}
  Int32 Compare(const Double& left, const Double& right) const;

 private:
  bool fDescending;
};
class TIntExtendedComparer {
 public:
  explicit TIntExtendedComparer(bool descending) : fDescending(descending) {}
  Int32 Compare(const Extended& left, const Extended& right) const;

 private:
  bool fDescending;
};

// Sort the array in place, ascending or (descending true) descending. Values
// are compared exactly: doubles by their value (a NaN counts as equal to
// everything and so ends up somewhere in the array), integers over their whole
// width. Arrays of fewer than 2 elements are left alone.
void SortAnArrayOfSingles(std::vector<Double>& arr, bool descending);
void SortAnArrayOfExtendeds(std::vector<Extended>& arr, bool descending);
void SortAnArrayOfInt64s(std::vector<Int64>& arr, bool descending);
void SortAnArrayOfIntegers(std::vector<Int32>& arr, bool descending);

// A random order of 0 .. n-1, drawn from the process-wide generator (Random)
// when it is made: uniform over every order for n >= 3; 1 number gives 0 and
// 2 numbers give 1, 0. Yields once per 1,024 numbers while drawing.
class TShuffledNumbers : public TObject {
 public:
  explicit TShuffledNumbers(Int32 n);
  // temp_int[i]; -1 outside 0 .. upper_limit-1.
  Int32 GetANumber(Int32 i) const;

  Int32 upper_limit = 0;
  std::vector<Int32> temp_int;

 private:
  void ComputeShuffledNonRepeatedNumbers();
};

// Unit start and stop (the unit has no work of its own).
void Maths_routines_initialization();
void Maths_routines_Finalization();

}  // namespace sk
