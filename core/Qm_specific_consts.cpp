#include "core/Qm_specific_consts.h"

#include <array>

#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/UnitCounter.h"
#include "platform/runtime/ResourceStrings.h"

namespace sk {

namespace {

constinit TUnitCounter Qm_specific_consts_counter;

// Loads each element of a table from its message entry, in index order.
template <class Table, std::size_t N>
void FillTable(Table& table, const std::array<const TResStringRec*, N>& entries) {
  static_assert(N == Table::size(), "one message entry per element");
  std::size_t i = 0;
  for (String& s : table) s = LoadResString(entries[i++]);
}

template <class Table>
void EmptyTable(Table& table) {
  for (String& s : table) String().swap(s);  // release the storage, not only the text
}

void FillAllTables() {
  FillTable(TimeLinePlotbaseStr,
            std::array<const TResStringRec*, 12>{&_QMUnknown, &_QMMillennia, &_QMCenturies, &_QMDecades,
                                                 &_QMYears, &_QMMonths, &_QMWeeks, &_QMDays, &_QMHours,
                                                 &_QMDataField, &_QMCustom, &_QMSpare});
  FillTable(PlotSortSystemStr,
            std::array<const TResStringRec*, 4>{&_QMSegmentScore, &_QMBurstiness, &_QMFirstPosition,
                                                &_QMLastPosition});
  FillTable(TimeLineSortSystemStr,
            std::array<const TResStringRec*, 6>{&_QMPeriodScore, &_QMPeriodPer1000, &_QMPeakiness, &_QMFirstPeak,
                                                &_QMLastPeak, &_QMNumberOfPeaks});
  // Every segment row shares the one "%d/%d" entry.
  FillTable(TBaseDescriptiveStrings,
            std::array<const TResStringRec*, 17>{&_QMTotal, &_QMMax, &_QMMin, &_QMMean, &_QMSd, &_QMSegmentN,
                                                 &_QMSegmentN, &_QMSegmentN, &_QMSegmentN, &_QMSegmentN,
                                                 &_QMSegmentN, &_QMSegmentN, &_QMSegmentN, &_QMSegmentN,
                                                 &_QMSegmentN, &_QMSegmentN, &_QMSegmentN});
  FillTable(TextStatsStrings,
            std::array<const TResStringRec*, 5>{&_QMWord, &_QMSentence, &_QMParagraph, &_QMHeading, &_QMSection});
  FillTable(conc_sort_str_arr,
            std::array<const TResStringRec*, 30>{
                &_QML5, &_QML4, &_QML3, &_QML2, &_QML1, &_QMCentre, &_QMR1, &_QMR2, &_QMR3, &_QMR4, &_QMR5,
                &_QMContextWords, &_QMSetOrder, &_QMFilename, &_QMDate, &_QMTagOrder, &_QMFilePercent,
                &_QMSentenceNumber, &_QMSentencePosition, &_QMParagraphNumber, &_QMParagraphPosition,
                &_QMHeadingNumber, &_QMHeadingPosition, &_QMSectionNumber, &_QMSectionPosition,
                &_QMContextualFrequency, &_QMHighlightedCollocate, &_QMHighlightedCluster, &_QMBytePosition,
                &_QMRandomOrder});
}

}  // namespace

void Qm_specific_consts_initialization() {
  if (Qm_specific_consts_counter.Initialization()) FillAllTables();
}

void Qm_specific_consts_Finalization() {
  if (!Qm_specific_consts_counter.Finalization()) return;
  EmptyTable(TimeLinePlotbaseStr);
  EmptyTable(PlotSortSystemStr);
  EmptyTable(TimeLineSortSystemStr);
  EmptyTable(TBaseDescriptiveStrings);
  EmptyTable(TextStatsStrings);
  EmptyTable(conc_sort_str_arr);
}

}  // namespace sk
