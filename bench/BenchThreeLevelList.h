// A results list of the benchmarks sorted on three levels, as a word list's
// tool sorts it: frequency descending, then the text count and the word
// ascending, each level's pivot its key. The list does not own its entries;
// a benchmark that wants it to derives and frees them.
#pragma once

#include "analysis/Work_qm_base.h"

namespace sk {

class TBenchWordEntry : public TQMBaseListObject {
 public:
  TBenchWordEntry(TQMSister* parent, TQMBaseHolder* holder) : TQMBaseListObject(parent, holder) {}
  Int64 FrequencyNum() override { return freq; }
  Int32 MainNTexts() override { return texts; }
  String GetAWordAsString(Int32 /*column*/) override { return word; }
  Int64 freq = 0;
  Int32 texts = 0;
  String word;
};

class TThreeLevelBenchList : public TQMSister {
 public:
  TThreeLevelBenchList()
      : TQMSister(nullptr, &NewQMBaseListObject<TBenchWordEntry>, {}, {}, {}, {}, grid_none, lt_word_list, 0) {
    comparing_case_sensitively = true;
    TSortSaveable& sv = QMSortSettings.saveable;
    sv.SortLevelsAvailable = third_sort;
    sv.SortBytes[main_sort] = 0;
    sv.SortBytes[second_sort] = 1;
    sv.SortBytes[third_sort] = 2;
    sv.column_choices[main_sort].ascending = false;
    sv.column_choices[second_sort].ascending = true;
    sv.column_choices[third_sort].ascending = true;
    QMSortSettings.comparesorts[main_sort] = [this](TObject* e) { return Int64Comparison(Of(e)->freq); };
    QMSortSettings.comparesorts[second_sort] = [this](TObject* e) { return CompareLongints(Of(e)->texts, fTexts); };
    QMSortSettings.comparesorts[third_sort] = [this](TObject* e) { return BaseStringComparison(Of(e)->word); };
  }
  void SetBase(TQMBaseListObject* entry, TSortLevel level) override {
    if (level == main_sort) base_compare_int64 = Of(entry)->freq;
    if (level == second_sort) fTexts = Of(entry)->texts;
    if (level == third_sort) base_compare_StringTag.wrd = Of(entry)->word;
  }

 private:
  static TBenchWordEntry* Of(TObject* e) { return static_cast<TBenchWordEntry*>(e); }
  Int32 fTexts = 0;
};

}  // namespace sk
