// TQMBaseDataClass: column totals and statistics rows, cumulative
// frequencies and sums over the entries.
#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/Maths_routines.h"
#include "analysis/Work_qm_base_list.h"
#include "core/Basic_processes.h"
#include "core/My_string_functions_numbers.h"
#include "core/My_string_functions_numbers_in_text.h"
#include "core/Qm_specific_consts.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/RtlMath.h"

namespace sk {

namespace {

// The no-value numbers of a cell: kept out of every sum.
bool IsNoValue(Double v) { return v == -999999.0 || v == -999998.0; }

// The starting extreme of the minimum, the largest single; the maximum starts
// at its negative, so that any value read replaces it.
constexpr Double kStartMin = 3.4028234663852886e+38;

constexpr Int32 kFirstSegment = 5;  // descriptive index of the first segment share
constexpr Int32 kMostSegments = 12;

}  // namespace

TNumberDisplayAndSinglesRec TQMBaseDataClass::NumericalData(Int32 column, Int32 /*dataRow*/, Int32 flagRow) {
  TNumberDisplayAndSinglesRec rec{};
  rec.computed_value = column != 0 ? 1.0 : static_cast<Double>(flagRow);
  return rec;
}

void TQMBaseDataClass::ComputeColumnTotals(Int32 segments, TGrid_alternatives gridKind) {
  fColumnTotalsComputed = segments > 0;
  if (segments < 1) return;
  segments = std::min(segments, kMostSegments);
  ColumnTotalRowsToShow = segments + 5;
  const Int32 columns = fGridHeadings->Count();
  const size_t cols = static_cast<size_t>(std::max(columns, 0));
  std::vector<bool> numerical(cols, false);
  for (Int32 c = 1; c < columns; ++c) numerical[static_cast<size_t>(c)] = fGridHeadings->GetANumerical(c);

  std::vector<Double> total(cols, 0.0), mean(cols, 0.0), m2(cols, 0.0);
  std::vector<Double> maximum(cols, -kStartMin), minimum(cols, kStartMin);
  std::vector<Int64> n(cols, 0);
  std::vector<std::vector<Double>> segmentSums(static_cast<size_t>(segments), std::vector<Double>(cols, 0.0));
  const Double rowsPerSegment = static_cast<Double>(fCount) / segments;

  for (Int32 r = 0; r < fCount; ++r) {
    const Int32 dataRow = ConvertedForFrequency(r, gridKind);
    const Int32 seg = std::clamp(static_cast<Int32>(std::trunc(r / rowsPerSegment)), 0, segments - 1);
    for (Int32 c = 1; c < columns; ++c) {
      const size_t k = static_cast<size_t>(c);
      if (!numerical[k]) continue;
      const Double value = NumericalData(c, dataRow, dataRow).computed_value;
      if (IsNoValue(value) || std::isnan(value)) continue;
      maximum[k] = std::max(maximum[k], value);
      minimum[k] = std::min(minimum[k], value);
      total[k] += value;
      segmentSums[static_cast<size_t>(seg)][k] += value;
      // Running mean and sum of squared deviations (one pass).
      const Int64 count = ++n[k];
      const Double d = value - mean[k];
      m2[k] += d * d * static_cast<Double>(count - 1) / static_cast<Double>(count);
      mean[k] = (static_cast<Double>(count - 1) * mean[k] + value) / static_cast<Double>(count);
    }
    MyYieldProcess();
  }

  for (Int32 c = 1; c < columns; ++c) {
    const size_t k = static_cast<size_t>(c);
    TGridColumnDataRec rec{};
    if (numerical[k] && n[k] > 0) {
      rec.descriptives[gc_total] = static_cast<Single>(total[k]);
      // At least one value was read: the largest is the maximum, whatever its
      // sign (a column of negative scores has a negative maximum).
      rec.descriptives[gc_max] = static_cast<Single>(n[k] > 0 ? maximum[k] : 0.0);
      rec.descriptives[gc_min] = static_cast<Single>(minimum[k]);
      rec.descriptives[gc_mean] = static_cast<Single>(mean[k]);
      rec.descriptives[gc_sd] = n[k] > 1 ? static_cast<Single>(std::sqrt(m2[k] / static_cast<Double>(n[k] - 1))) : 0.0f;
      for (Int32 s = 0; s < segments; ++s) {
        const Double sum = segmentSums[static_cast<size_t>(s)][k];
        rec.descriptives[static_cast<TBaseDescriptive>(kFirstSegment + s)] =
            static_cast<Single>(total[k] > 0 ? sum * 100.0 / total[k] : sum);
      }
    }
    fGridHeadings->SetColumnData(c, rec);
  }
}

TGrid_data_rec TQMBaseDataClass::GetColumnTotalDataForGrid(Int32 column, Int32 row) {
  TGrid_data_rec rec{};
  rec.cluster_tokens.resize(1);
  const Int32 r = std::abs(row);
  if (r < 1 || r > ColumnTotalRowsToShow || r > TBaseDescriptive_Count || column < 0 ||
      column >= fGridHeadings->Count())
    return rec;
  rec.GridHeading = fGridHeadings->GetDatum(column);
  const auto i = static_cast<TBaseDescriptive>(r - 1);
  if (column == 0) {
    rec.data_type = ddt_string;
    String label = TBaseDescriptiveStrings[i];
    if (label == u"%d/%d") {
      const Int32 k = r - 5;
      const Int32 of = ColumnTotalRowsToShow - 5;
      label = Format(OrdinalFormatOf(k) + u" " + OrdinalFormatOf(of), {k, of});
    }
    rec.cluster_tokens[0].wrd = label;
    return rec;
  }
  if (rec.GridHeading.numerical == 0) return rec;
  rec.n_and_disp.computed_value = rec.GridHeading.column_data.descriptives[i];
  rec.data_type = ddt_number;
  rec.n_and_disp.number_freedom = ndf_raw_float_only;
  rec.GridHeading.minimum = -99999.0f;
  rec.GridHeading.decimals = std::max<Byte>(rec.GridHeading.decimals, 1);
  if (static_cast<Int32>(i) >= kFirstSegment) {
    rec.data_type = ddt_string;
    rec.cluster_tokens[0].wrd = FormattedWithDecimals(rec.n_and_disp, 2, false) + u"%";
  }
  return rec;
}

Int32 TQMBaseDataClass::TotalRowCount(TGrid_alternatives gridKind) {
  return fCount + ColumnTotalRowsToShow + OverallCount(gridKind);
}

void TQMBaseDataClass::ComputeCumulativeFreqs(Int32 column, bool integerBased) {
  TParseFormulaHandler& f = *ParseFormulaHandler;
  f.CumulativeFreqs.clear();
  f.DataIsFor = BaseGridKind;
  f.BasedOnCol = column;
  f.Integer_Based = integerBased;
  f.CumulativeFreqs.assign(static_cast<size_t>(fCount), 0);
  Int64 running = 0;
  for (Int32 i = 0; i < fCount; ++i) {
    MyYieldProcess();
    const Int32 r = ConvertedForFrequency(i, BaseGridKind);
    const Double value = NumericalData(column, r, r + 1).computed_value;
    if (!IsNoValue(value) && std::isfinite(value)) running += Round(value);
    if (r >= 0 && r < fCount) f.CumulativeFreqs[static_cast<size_t>(r)] = running;
  }
}

Int64 TQMBaseDataClass::GetCumulativeFreq(Int32 row, Int32 /*column*/) {
  TParseFormulaHandler& f = *ParseFormulaHandler;
  if (f.BasedOnCol < 1) return NoValueNumber;
  const size_t count = static_cast<size_t>(fCount);
  if (f.DataIsFor != BaseGridKind || f.CumulativeFreqs.size() != count)
    ComputeCumulativeFreqs(f.BasedOnCol, f.Integer_Based);
  if (f.CumulativeFreqs.size() != count || row < 0 || static_cast<size_t>(row) >= count) return NoValueNumber;
  return f.CumulativeFreqs[static_cast<size_t>(row)];
}

Single TQMBaseDataClass::ComputeRelativeEntropyOfValues(Int32 n) {
  std::vector<Int64> values;
  values.reserve(static_cast<size_t>(fCount));
  for (Int32 i = 0; i < fCount; ++i)
    if (At(i) != nullptr) values.push_back(At(i)->MainWordFrequency());
  if (n < fCount) {
    SortAnArrayOfInt64s(values, true);
    values.resize(static_cast<size_t>(std::clamp<Int64>(n, 0, static_cast<Int64>(values.size()))));
  }
  return static_cast<Single>(RelativeEntropy(values));
}

Double TQMBaseDataClass::GetMeanDipersionOfTotal(Double total, Int32 index) {
  Double sum = total;
  Int32 n = 1;
  if (InRange(index) && At(index) != nullptr)
    if (TJoinList* joins = At(index)->OwnJoinlist())
      for (Int32 j = 0; j < joins->Count(); ++j)
        if (TQMBaseListObject* e = joins->Items(j)) {
          sum += e->MainWordDispersion();
          ++n;
        }
  return sum / n;
}

Double TQMBaseDataClass::TotalOfAllItems(Int32 column) {
  Double sum = 0;
  for (Int32 i = 0; i < fCount; ++i) {
    if (At(i) == nullptr) continue;
    const Double v = At(i)->ColumnValue(column);
    if (!IsNoValue(v)) sum += v;
  }
  return sum;
}

}  // namespace sk
