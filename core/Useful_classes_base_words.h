// Lists of words with frequencies: one that also records each word's source
// number and hands its items out one by one, and one that can filter the words
// it is given and sort on up to three keys.
//
// Neither holder streams its record, so these lists store their count and
// `sorted` byte only; reading such a stream back gives that many empty items.
#pragma once

#include <climits>
#include <vector>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_lists.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

enum TWordFreqSort : uint8_t { wf_alph, wf_freq, wf_wordlen };

class TWordFreqAndSourceNumList : public TUsefulBaseListSorts {
 public:
  TWordFreqAndSourceNumList();

  Int32 AddOne(const TWordFreqAndSourceNum& rec);
  // The item, or an empty word with zeros for an invalid index.
  TWordFreqAndSourceNum GetOne(Int32 i) const;
  // The item at the cursor (an empty record when the cursor is at or past the
  // end); the cursor advances in both cases.
  TWordFreqAndSourceNum GetNext();
  // The largest f, starting from 0.
  Int64 HighestFrequency() const;
  // Descending on f, no tie-break. The list is then not marked sorted.
  void SortOnFreqs();
  // Also puts the cursor back to 0.
  void Clear() override;

  // The read cursor of GetNext (the record's own name for it is `this`).
  Int32 this_ = 0;
};

class TWordFreqList : public TUsefulBaseListSorts {
 public:
  TWordFreqList();

  // Stores the five values and turns filtering on.
  void SetFilter(Int64 minFreq, Int64 maxFreq, Int64 minWordLen, Int64 maxWordLen, Char startLetter);
  // Appends the word and returns its index; with filtering on, a word that
  // the filter rejects is not added and the answer is -1.
  Int32 AddOne(const TWordAndFreq& rec);
  // Sorts ascending on the keys in order (an empty array sorts on the words):
  // wf_alph on the words ordinally, wf_freq on f, wf_wordlen on the words'
  // lengths. The list is then not marked sorted.
  void MultiSort(const std::vector<TWordFreqSort>& keys);
  // The item, or an empty word with 0 for an invalid index.
  TWordAndFreq GetOne(Int32 i) const;
  // Empties the list and puts the filter back to its defaults (off, no limits).
  void Clear() override;

  Int64 MinFreq = 0;
  Int64 MaxFreq = INT64_MAX;
  Int64 MinWordLen = 0;
  Int64 MaxWordLen = INT32_MAX;
  Char StartLetter = 0;
  bool filtering = false;
  Int64 total_freq = 0;

 private:
  bool Accepted(const TWordAndFreq& rec) const;
};

}  // namespace sk
