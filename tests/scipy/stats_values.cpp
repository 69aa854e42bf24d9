// Prints the library's statistics for the queries on standard input, one
// query per line ("<routine> <numbers...>"), one answer line per query with
// the values separated by blanks. The SciPy check (check_stats.py) feeds it
// a grid of counts and compares the answers with its own.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/Maths_routines.h"
#include "services/Wdef_definitions.h"

namespace {

using namespace sk;

void Print(std::initializer_list<double> values) {
  bool first = true;
  for (double v : values) {
    std::printf(first ? "%.17g" : " %.17g", v);
    first = false;
  }
  std::printf("\n");
}

Ttwo_KWInt64s Two(Int64 a, Int64 b) {
  Ttwo_KWInt64s t{};
  t[little_text] = a;
  t[reference_corpus] = b;
  return t;
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string name;
    in >> name;
    std::vector<double> x;
    for (double v; in >> v;) x.push_back(v);
    auto i = [&x](size_t k) { return static_cast<Int64>(x.at(k)); };
    if (name == "chisq") {
      Print({ChiSquarePValue(x.at(0))});
    } else if (name == "lgamma") {
      Print({Log_Gamma(x.at(0))});
    } else if (name == "llr") {
      Print({LogLikelihoodRatio({{{x.at(0), x.at(1)}, {x.at(2), x.at(3)}}})});
    } else if (name == "dunning") {
      Print({Log_Likelihood_SameCorpus_Dunning(i(0), i(1), i(2), i(3)), Log_likelihood_from_Java(i(0), i(1), i(2), i(3))});
    } else if (name == "everts") {
      Print({Log_Likelihood_SameCorpus_Everts(i(0), i(1), i(2), static_cast<Int32>(i(3)), i(4))});
    } else if (name == "lancaster") {
      Print({Log_Likelihood_Lancaster(i(0), i(1), x.at(2), x.at(3))});
    } else if (name == "assoc") {  // f1 f2 a N span
      const Int64 f1 = i(0), f2 = i(1), a = i(2), N = i(3);
      const Int32 span = static_cast<Int32>(i(4));
      Print({SpecificMutualInformation(f1, f2, a, N), MI3(f1, f2, a, N), MI_Oakes171(f1, f2, a, N),
             MI_Durrant(f1, f2, a, N), T_Score(f1, f2, a, N), Z_Score(f1, f2, a, span, N), Dice_Coefficient(a, f1, f2),
             DeltaP_Gries(a, f1, f2, N), DeltaP_Gries(a, f2, f1, N), ConditionalProbability(f1, a),
             Log_Ratio(f1, f2, N)});
    } else if (name == "keyness") {  // f0 f1 t0 t1
      const Ttwo_KWInt64s f = Two(i(0), i(1));
      const Ttwo_KWInt64s t = Two(i(2), i(3));
      const TKeyword_entry_rec rec = KWStatsCalculated(f, t);
      Print({ProportionLogRatio(f, t), PercentDiff(f, t), rec.LL, rec.BIC_Score, rec.LogRatio,
             rec.negative_score ? 1.0 : 0.0});
    } else if (name == "dispersion") {
      Print({DispersionValue(x)});
    } else if (name == "entropy") {
      std::vector<Int64> counts;
      for (double v : x) counts.push_back(static_cast<Int64>(v));
      Print({RelativeEntropy(counts)});
    } else if (name == "merged") {  // nx mx sx ny my sy
      const TText_n_mean_sd_rec a{i(0), static_cast<Single>(x.at(1)), static_cast<Single>(x.at(2))};
      const TText_n_mean_sd_rec b{i(3), static_cast<Single>(x.at(4)), static_cast<Single>(x.at(5))};
      const TText_n_mean_sd_rec m = MergedTextStats(a, b);
      Print({static_cast<double>(m.n), m.mean, m.std_dev});
    } else if (name == "periods") {  // periods hits wordcount hits wordcount ...
      std::vector<THitAndWordCountRec> recs;
      for (size_t k = 1; k + 1 < x.size(); k += 2)
        recs.push_back({static_cast<Cardinal>(x[k]), static_cast<Cardinal>(x[k + 1])});
      const std::vector<Single> r = PeriodHitWordCountScores(recs, static_cast<Int32>(i(0)));
      for (size_t k = 0; k < r.size(); ++k) std::printf(k == 0 ? "%.17g" : " %.17g", static_cast<double>(r[k]));
      std::printf("\n");
    } else if (name == "peak") {  // starts values...
      const std::vector<Single> values(x.begin() + 1, x.end());
      const TArrayStatsRec r = MainPeakBreakdown(values, static_cast<Int32>(i(0)));
      Print({r.arr[0].highest_member_1Based, r.arr[0].highest_score, r.arr[1].highest_member_1Based,
             r.arr[1].highest_score, r.arr[2].highest_member_1Based, r.arr[2].highest_score,
             r.arr[3].highest_member_1Based, r.arr[3].highest_score});
    } else {
      std::printf("unknown\n");
    }
  }
  return 0;
}
