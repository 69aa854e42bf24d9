// Association, log-likelihood, keyness ratios, dispersion, entropy and the
// distribution helpers of Maths_routines.
#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/Maths_routines.h"
#include "services/Wdef_definitions.h"

namespace sk {

namespace {

Double D(Int64 v) { return static_cast<Double>(v); }

// The four contingency cells of node and collocate, floored as the MI3 family
// needs them: O11, O12 and O21 below 1 and O22 not above 0 become MinD.
struct TCells {
  Double o11, o12, o21, o22;
};

TCells FlooredCells(Int64 f1, Int64 f2, Int64 a, Int64 N) {
  TCells c{};
  c.o11 = a < 1 ? MinD : D(a);
  c.o12 = f1 - a < 1 ? MinD : D(f1 - a);
  c.o21 = f2 - a < 1 ? MinD : D(f2 - a);
  c.o22 = D(N) - c.o11 - c.o12 - c.o21;
  if (!(c.o22 > 0)) c.o22 = MinD;
  return c;
}

// f1 * f2 as a 64-bit integer where it fits, else as a double.
Double Product64(Int64 f1, Int64 f2) {
  Int64 p = 0;
  if (__builtin_mul_overflow(f1, f2, &p)) return D(f1) * D(f2);
  return D(p);
}

// f_i / t_i held as a single, floored at MinS when t_i is below 1 and, when
// floorZero, when the quotient is 0.
Single Proportion(Int64 f, Int64 t, bool floorZero) {
  if (t < 1) return MinS;
  const Single p = static_cast<Single>(D(f) / D(t));
  if (p == 0.0f && floorZero) return MinS;
  return p;
}

// Mean and sample standard deviation (n - 1) of values.
void MeanAndSampleSD(const std::vector<Double>& values, Double& mean, Double& sd) {
  const size_t n = values.size();
  Double sum = 0;
  for (Double v : values) sum += v;
  mean = sum / static_cast<Double>(n);
  Double ss = 0;
  for (Double v : values) ss += (v - mean) * (v - mean);
  sd = n > 1 ? std::sqrt(ss / static_cast<Double>(n - 1)) : 0.0;
}

template <class Seq, class Get>
Double DispersionOfAllButLast(const Seq& seq, Get get) {
  std::vector<Double> values;
  if (seq.size() > 1) {
    values.reserve(seq.size() - 1);
    for (size_t i = 0; i + 1 < seq.size(); ++i) values.push_back(get(seq[i]));
  }
  return DispersionValue(values);
}

// r ln r - r + 1 for r = 1 + x (x >= -1): never negative; a series near r = 1,
// where the direct form would cancel.
Double Phi(Double x) {
  if (x <= -1) return 1;  // an empty cell: 0 ln 0 - 0 + 1
  if (std::fabs(x) < 0.25) {
    Double sum = 0;
    Double power = x * x;
    for (int k = 2; k < 60; ++k) {
      const Double term = power / (static_cast<Double>(k) * (k - 1));
      sum += (k % 2 == 0) ? term : -term;
      if (std::fabs(term) <= 1e-17 * std::fabs(sum)) break;
      power *= x;
    }
    return sum;
  }
  return (1.0 + x) * std::log1p(x) - x;
}

// a*b - c*d with one rounding (Kahan's difference of products).
Double DifferenceOfProducts(Double a, Double b, Double c, Double d) {
  const Double w = c * d;
  const Double e = std::fma(-c, d, w);
  const Double f = std::fma(a, b, -w);
  return f + e;
}

// The G statistic of a 2 x 2 table of cells not below 0 with a positive sum:
// 2 sum O ln(O/E), written as 2 sum E phi(O/E) (the O - E sum to 0), with
// O - E = +-D/T, D = O11 O22 - O12 O21. Every term is non-negative, so
// small values keep their digits where the sums of x ln x cancel.
Double GStatistic(Double o11, Double o12, Double o21, Double o22) {
  const Double t = o11 + o12 + o21 + o22;
  const Double r[2] = {o11 + o12, o21 + o22};
  const Double c[2] = {o11 + o21, o12 + o22};
  const Double d = DifferenceOfProducts(o11, o22, o12, o21);
  Double g = 0;
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) {
      const Double rc = r[i] * c[j];
      if (rc == 0) continue;  // its cell is 0 too
      const Double x = (i == j ? d : -d) / rc;
      g += rc / t * Phi(x);
    }
  return 2.0 * g;
}

bool UsableTable(Double o11, Double o12, Double o21, Double o22) {
  return o11 >= 0 && o12 >= 0 && o21 >= 0 && o22 >= 0 && o11 + o12 + o21 + o22 > 0;
}

}  // namespace

// ---- association ---------------------------------------------------------------

Int32 CollocSpanWidth(const Tdouble_colloc_span& span) {
  return static_cast<Int32>(span.rightmost) - static_cast<Int32>(span.leftmost);
}

Double RelationshipComputation(TRelationshipStats stat, Int64 a, Int64 f1, Int64 f2, Int64 N,
                               const Tdouble_colloc_span& span) {
  switch (stat) {
    case RelatStat_Dice:
      return Dice_Coefficient(a, f1, f2);
    case RelatStat_MI:
      return SpecificMutualInformation(f1, f2, a, N);
    case RelatStat_MI3:
      return MI3(f1, f2, a, N);
    case RelatStat_Z:
      return Z_Score(f1, f2, a, CollocSpanWidth(span), N);
    case RelatStat_log_likelihood:
      return Log_Likelihood_SameCorpus_Everts(f1, f2, a, CollocSpanWidth(span), N);
    case RelatStat_T_Score:
      return T_Score(f1, f2, a, N);
    case RelatStat_Log_Ratio:
      return Collocation_Log_Ratio(f1, f2, a, CollocSpanWidth(span), N);
    case RelatStat_ConditionalProbA:
      return ConditionalProbability(f1, a);
    case RelatStat_ConditionalProbB:
      return ConditionalProbability(f2, a);
    case RelatStat_DeltaPA:
      return DeltaP_Gries(a, f1, f2, N);
    case RelatStat_DeltaPB:
      return DeltaP_Gries(a, f2, f1, N);
  }
  return 0;
}

Double Dice_Coefficient(Int64 a, Int64 x, Int64 y) {
  const Double sum = D(x) + D(y);
  return sum == 0 ? 0.0 : 2.0 * D(a) / sum;
}

Double Dice_Coefficient(const std::vector<Cardinal>& s1, const std::vector<Cardinal>& s2) {
  if (s1.empty() || s2.empty()) return 0;
  std::vector<bool> used(s2.size(), false);
  Int64 matches = 0;
  for (Cardinal v : s1)
    for (size_t k = 0; k < s2.size(); ++k)
      if (!used[k] && s2[k] == v) {
        used[k] = true;
        ++matches;
        break;
      }
  return Dice_Coefficient(matches, static_cast<Int64>(s1.size()), static_cast<Int64>(s2.size()));
}

Double Overlap_Coefficient(Int64 a, Int64 x, Int64 y) {
  const Int64 m = std::min(x, y);
  return m == 0 ? 0.0 : D(a) / D(m);
}

Double Overlap_Coefficient(const std::vector<Cardinal>& s1, const std::vector<Cardinal>& s2) {
  if (s1.empty() || s2.empty()) return 0;
  std::vector<bool> used1(s1.size(), false);
  std::vector<bool> used2(s2.size(), false);
  Int64 longest = 0;
  for (size_t i = 0; i < s1.size(); ++i) {
    if (used1[i]) continue;
    size_t k = 0;
    while (k < s2.size() && (used2[k] || s2[k] != s1[i])) ++k;
    if (k == s2.size()) continue;
    Int64 run = 0;
    size_t p = i;
    size_t q = k;
    while (p < s1.size() && q < s2.size() && !used1[p] && !used2[q] && s1[p] == s2[q]) {
      used1[p] = true;
      used2[q] = true;
      ++run;
      ++p;
      ++q;
    }
    longest = std::max(longest, run);
  }
  return Overlap_Coefficient(longest, static_cast<Int64>(s1.size()), static_cast<Int64>(s2.size()));
}

Double SpecificMutualInformation(Int64 f1, Int64 f2, Int64 a, Int64 N) {
  if (f1 < 1 || f2 < 1 || N < 1) return 0;
  const Double n = D(N);
  const Double joint = a < 1 ? MinD : D(a);
  // log2((a/N) / ((f1/N)(f2/N))) taken apart, so a floored joint count does
  // not underflow on the way.
  return std::log2(joint) - std::log2(n) - (std::log2(D(f1) / n) + std::log2(D(f2) / n));
}

Double MI_Durrant(Int64 f1, Int64 f2, Int64 a, Int64 N) {
  if (f1 < 1 || f2 < 1 || N < 1) return 0;
  const Double joint = a < 1 ? MinD : D(a);
  return std::log2(joint) - std::log2(Product64(f1, f2) / D(N));
}

Double MI3(Int64 f1, Int64 f2, Int64 a, Int64 N) {
  const TCells c = FlooredCells(f1, f2, a, N);
  const Double s = c.o11 + c.o12 + c.o21 + c.o22;
  return 3.0 * std::log2(c.o11) + std::log2(s) - std::log2(c.o11 + c.o12) - std::log2(c.o11 + c.o21);
}

Double MI_Oakes171(Int64 f1, Int64 f2, Int64 a, Int64 N) {
  const TCells c = FlooredCells(f1, f2, a, N);
  const Double s = c.o11 + c.o12 + c.o21 + c.o22;
  return std::log2(c.o11) + std::log2(s) - std::log2(c.o11 + c.o12) - std::log2(c.o11 + c.o21);
}

Double T_Score(Int64 f1, Int64 f2, Int64 a, Int64 N) {
  if (N < 1) return 0;
  const TCells c = FlooredCells(f1, f2, a, N);
  return (c.o11 - Product64(f1, f2) / D(N)) / std::sqrt(c.o11);
}

Double Z_Score(Int64 f1, Int64 f2, Int64 a, Int32 span, Int64 N) {
  if (N - f1 <= 0) return 0;
  Double p = D(f2) / D(N - f1);
  if (p == 0) p = MinD;
  const Double e = p * D(f1) * static_cast<Double>(span);
  const Double v = e * (1.0 - p);
  if (!(v > 0)) return 0;
  return (D(a) - e) / std::sqrt(v);
}

Double ConditionalProbability(Int64 x, Int64 y) { return 100.0 * D(y) / D(std::max<Int64>(1, x)); }

Double DeltaP_Gries(Int64 a, Int64 f1, Int64 f2, Int64 N) {
  const Double first = f1 == 0 ? 0.0 : D(a) / D(f1);
  const Int64 rest = N - f1 - f2 + a;
  const Double second = rest == 0 ? 0.0 : D(f2 - a) / D(rest);
  return 100.0 * (first - second);
}

Double Collocation_Log_Ratio(Int64 f1, Int64 f2, Int64 a, Int32 span, Int64 N) {
  // The collocate's relative frequency in the node's windows (f1 windows of
  // span words) over its relative frequency in the rest of the text; a zero
  // count is taken as 0.5, and a window size or rest below 1 as 1.
  const Double window = std::max(1.0, D(f1) * std::max<Int32>(span, 1));
  const Double rest = std::max(1.0, D(N) - window);
  const Double near = a > 0 ? D(a) : 0.5;
  const Double elsewhere = f2 - a > 0 ? D(f2 - a) : 0.5;
  return std::log2((near / window) / (elsewhere / rest));
}

Double Log_Ratio(Int64 f1, Int64 f2, Int64 N) {
  Ttwo_KWInt64s f{};
  Ttwo_KWInt64s t{};
  f[little_text] = f1;
  f[reference_corpus] = f2;
  t[little_text] = N;
  t[reference_corpus] = N;
  return ProportionLogRatio(f, t);
}

// ---- log-likelihood ------------------------------------------------------------

Double XLnX(Double x) { return x > 0 ? x * std::log(x) : 0.0; }

Double LogLikelihoodRatio(const std::array<std::array<Double, 2>, 2>& table) {
  const Double t = table[0][0] + table[0][1] + table[1][0] + table[1][1];
  if (!(t > 0)) return 0;
  if (UsableTable(table[0][0], table[0][1], table[1][0], table[1][1]))
    return GStatistic(table[0][0], table[0][1], table[1][0], table[1][1]);
  // Negative cells (counts that do not fit together): the entropy form as it
  // stands, over the proportions above 0.
  auto h = [t](std::initializer_list<Double> list) {
    Double sum = 0;
    for (Double x : list) {
      const Double p = x / t;
      if (p > 0) sum += p * std::log(p);
    }
    return sum;
  };
  const Double cells = h({table[0][0], table[0][1], table[1][0], table[1][1]});
  const Double rows = h({table[0][0] + table[0][1], table[1][0] + table[1][1]});
  const Double cols = h({table[0][0] + table[1][0], table[0][1] + table[1][1]});
  return 2.0 * t * (cells - rows - cols);
}

Double Log_Likelihood_SameCorpus_Everts(Int64 f1, Int64 f2, Int64 a, Int32 span, Int64 N) {
  Int64 window = 0;
  const Double windowCell = __builtin_mul_overflow(f1, static_cast<Int64>(span), &window)
                                ? D(f1) * static_cast<Double>(span) - D(a)
                                : D(window - a);
  const std::array<std::array<Double, 2>, 2> table{{{D(a), D(f2 - a)}, {windowCell, D(N - f1 - f2 + a)}}};
  return LogLikelihoodRatio(table);
}

namespace {

struct TDunningParts {
  Double cells, rows, cols;
};

TDunningParts DunningParts(Int64 f1, Int64 f2, Int64 a, Int64 N) {
  const Double o11 = D(a);
  const Double o12 = D(f1 - a);
  const Double o21 = D(f2 - a);
  const Double o22 = D(N - f1 - f2 + a);
  TDunningParts p{};
  p.cells = XLnX(o11 + o12 + o21 + o22) - XLnX(o11) - XLnX(o12) - XLnX(o21) - XLnX(o22);
  const Double r1 = o11 + o12;
  const Double r2 = o21 + o22;
  p.rows = XLnX(r1 + r2) - XLnX(r1) - XLnX(r2);
  const Double c1 = o11 + o21;
  const Double c2 = o12 + o22;
  p.cols = XLnX(c1 + c2) - XLnX(c1) - XLnX(c2);
  return p;
}

// The four cells of node and collocate without floors, when they fit together.
bool CountsTable(Int64 f1, Int64 f2, Int64 a, Int64 N, Double cells[4]) {
  cells[0] = D(a);
  cells[1] = D(f1 - a);
  cells[2] = D(f2 - a);
  cells[3] = D(N - f1 - f2 + a);
  return UsableTable(cells[0], cells[1], cells[2], cells[3]);
}

}  // namespace

Double Log_Likelihood_SameCorpus_Dunning(Int64 f1, Int64 f2, Int64 a, Int64 N) {
  Double cells[4];
  if (CountsTable(f1, f2, a, N, cells)) return GStatistic(cells[0], cells[1], cells[2], cells[3]);
  const TDunningParts p = DunningParts(f1, f2, a, N);
  return 2.0 * (p.rows + p.cols - p.cells);
}

Double Log_likelihood_from_Java(Int64 f1, Int64 f2, Int64 a, Int64 N) {
  Double cells[4];
  if (CountsTable(f1, f2, a, N, cells)) return GStatistic(cells[0], cells[1], cells[2], cells[3]);
  const TDunningParts p = DunningParts(f1, f2, a, N);
  return p.cells <= p.rows + p.cols ? 2.0 * (p.rows + p.cols - p.cells) : 0.0;
}

Double Log_Likelihood_Lancaster(Int64 a, Int64 b, Double c, Double d) {
  const Double fa = a > 0 ? D(a) : MinD;
  const Double fb = b > 0 ? D(b) : MinD;
  const Double sc = c > 0 ? c : MinD;
  const Double sd = d > 0 ? d : MinD;
  Double e1 = sc * (fa + fb) / (sc + sd);
  Double e2 = sd * (fa + fb) / (sc + sd);
  if (e1 == 0) e1 = MinD;
  if (e2 == 0) e2 = MinD;
  // ln(a/E) taken as ln a - ln E: a floored corpus size can make E so small
  // that the quotient would overflow.
  return 2.0 * (fa * (std::log(fa) - std::log(e1)) + fb * (std::log(fb) - std::log(e2)));
}

// ---- keyness ratios ------------------------------------------------------------

Double ProportionLogRatio(const Ttwo_KWInt64s& f, const Ttwo_KWInt64s& t) {
  const Single p0 = Proportion(f[little_text], t[little_text], true);
  const Single p1 = Proportion(f[reference_corpus], t[reference_corpus], true);
  return std::log2(static_cast<Double>(p0) / static_cast<Double>(p1));
}

Double PercentDiff(const Ttwo_KWInt64s& f, const Ttwo_KWInt64s& t) {
  const Single p0 = Proportion(f[little_text], t[little_text], false);
  const Single p1 = Proportion(f[reference_corpus], t[reference_corpus], true);
  return (static_cast<Double>(p0) - static_cast<Double>(p1)) / static_cast<Double>(p1) * 100.0;
}

TKeyword_entry_rec KWStatsCalculated(const Ttwo_KWInt64s& f, const Ttwo_KWInt64s& t) {
  TKeyword_entry_rec rec{};
  const Int64 f0 = f[little_text] < 0 ? -f[little_text] : f[little_text];
  const Int64 f1 = f[reference_corpus] < 0 ? -f[reference_corpus] : f[reference_corpus];
  rec.f[little_text] = f0;
  rec.f[reference_corpus] = f1;
  rec.LogRatio = static_cast<Single>(ProportionLogRatio(rec.f, t));
  const Double total = D(t[little_text]) + D(t[reference_corpus]);
  const Double expected = total == 0 ? 0.0 : D(t[little_text]) * (D(f0) + D(f1)) / total;
  rec.LL = static_cast<Single>(Log_Likelihood_Lancaster(f0, f1, D(t[little_text]), D(t[reference_corpus])));
  rec.BIC_Score = static_cast<Single>(static_cast<Double>(rec.LL) - (total > 0 ? std::log(total) : 0.0));
  if (D(f0) < expected) {
    rec.LL = -rec.LL;
    rec.negative_score = true;
  }
  return rec;
}

// ---- dispersion, entropy, distributions ------------------------------------------

Double DispersionValue(const std::vector<Double>& values) {
  if (values.size() < 3) return 0;
  Double mean = 0;
  Double sd = 0;
  MeanAndSampleSD(values, mean, sd);
  if (mean == 0) return 0;
  return std::max(0.0, 1.0 - (sd / mean) / std::sqrt(static_cast<Double>(values.size())));
}

Double DispersionValue(const std::vector<T2_Int64_Filenumber_BytePos>& values) {
  return DispersionOfAllButLast(values, [](const T2_Int64_Filenumber_BytePos& v) { return D(v.bytepos); });
}

Double DispersionValue(const std::vector<Int32>& values) {
  return DispersionOfAllButLast(values, [](Int32 v) { return static_cast<Double>(v); });
}

Double DispersionValue(const std::array<Int32, 21>& values) {
  return DispersionOfAllButLast(values, [](Int32 v) { return static_cast<Double>(v); });
}

Double RelativeEntropy(const std::vector<Int64>& counts) {
  if (counts.empty()) return 0;
  Double sum = 0;
  for (Int64 c : counts) sum += D(c);
  if (sum == 0) return 0;
  Double h = 0;
  for (Int64 c : counts)
    if (c != 0) {
      const Double p = D(c) / sum;
      h += p * std::log2(p);
    }
  h = std::fabs(h);
  const Double maxH = static_cast<Double>(std::log2(static_cast<Single>(counts.size())));
  if (h == 0 || maxH == 0) return 0;
  return h / maxH;
}

Double ChiSquarePValue(Double x) {
  // With one degree of freedom the statistic is the square of a standard
  // normal variate: P(X > x) = erfc(sqrt(x / 2)).
  return std::erfc(std::sqrt(std::fabs(x) / 2.0));
}

Double Log_Gamma(Double x) {
  if (!(x > 0)) return 0;
  int sign = 0;
  return lgamma_r(x, &sign);
}

TText_n_mean_sd_rec MergedTextStats(const TText_n_mean_sd_rec& x, const TText_n_mean_sd_rec& y) {
  TText_n_mean_sd_rec r{};
  r.n = x.n + y.n;
  if (r.n < 1) return r;
  const Double nx = D(x.n);
  const Double ny = D(y.n);
  const Double n = D(r.n);
  const Double mean = (nx * x.mean + ny * y.mean) / n;
  r.mean = static_cast<Single>(mean);
  if (r.n < 2) return r;
  // Sum of squares about the joint mean: each group's own part plus the part
  // that its mean's distance from the other's adds.
  const Double sx = x.std_dev;
  const Double sy = y.std_dev;
  const Double dm = static_cast<Double>(x.mean) - static_cast<Double>(y.mean);
  Double ss = (x.n > 1 ? (nx - 1) * sx * sx : 0.0) + (y.n > 1 ? (ny - 1) * sy * sy : 0.0);
  if (x.n > 0 && y.n > 0) ss += nx * ny / n * dm * dm;
  r.std_dev = ss > 0 ? static_cast<Single>(std::sqrt(ss / (n - 1))) : 0.0f;
  return r;
}

std::vector<Single> PeriodHitWordCountScores(const std::vector<THitAndWordCountRec>& records, Int32 periods) {
  if (periods <= 0) return {};
  std::vector<Single> result(static_cast<size_t>(periods), 0.0f);
  if (records.empty()) return result;
  std::vector<Double> sums(static_cast<size_t>(periods), 0.0);
  std::vector<Int64> counts(static_cast<size_t>(periods), 0);
  // Record i falls in period i * periods div records, worked out in whole
  // numbers: in floating point a record on a period's boundary (49 of 98 in 2
  // periods) can fall a hair short and join the period before.
  const auto total = static_cast<UInt64>(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    const auto p = static_cast<size_t>(static_cast<UInt64>(i) * static_cast<UInt64>(periods) / total);
    const THitAndWordCountRec& rec = records[i];
    const Double score =
        rec.hits != 0 && rec.wordcount != 0 ? static_cast<Double>(rec.hits) / static_cast<Double>(rec.wordcount) : 0.0;
    sums[p] += score;
    ++counts[p];
  }
  for (size_t p = 0; p < result.size(); ++p)
    if (counts[p] > 0) result[p] = static_cast<Single>(sums[p] / D(counts[p]));
  return result;
}

TArrayStatsRec MainPeakBreakdown(const std::vector<Single>& values, Int32 starts) {
  TArrayStatsRec r{};
  for (TArray1StatRec& e : r.arr) {
    e.highest_member_1Based = 0;
    e.highest_score = -1.0f;
  }
  const Int64 size = static_cast<Int64>(values.size());
  for (Int32 k = 0; k < 4; ++k) {
    TArray1StatRec& e = r.arr[static_cast<size_t>(k)];
    for (Int32 i = 0; i < starts && i < size; ++i) {
      Double sum = 0;
      Int32 n = 0;
      for (Int64 m = i; m <= static_cast<Int64>(i) + k && m < size; ++m) {
        sum += values[static_cast<size_t>(m)];
        ++n;
      }
      const Single mean = static_cast<Single>(sum / n);
      if (mean > e.highest_score) {
        e.highest_score = mean;
        e.highest_member_1Based = static_cast<Single>(i + 1);
      }
    }
  }
  return r;
}

}  // namespace sk
