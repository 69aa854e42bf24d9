#include "core/Useful_classes_base_words.h"

#include <array>

#include "core/Comparing_types.h"
#include "core/Useful_classes_base_compare.h"

namespace sk {

namespace {

template <class THolder>
const THolder* HolderOf(Pointer item) {
  return static_cast<const THolder*>(static_cast<TUsefulBaseListObject*>(item));
}

// A key slot that takes part in no comparison.
constexpr Int32 kNoKey = INT32_MAX;

Int32 CompareOnKey(Int32 key, const TWordAndFreq& a, const TWordAndFreq& b) {
  switch (key) {
    case wf_freq:
      return CompareInt64s(a.f, b.f);
    case wf_wordlen:
      return CompareLongints(static_cast<Int32>(a.w.size()), static_cast<Int32>(b.w.size()));
    default:
      return Compare2Strings(a.w, b.w);
  }
}

}  // namespace

// ---- TWordFreqAndSourceNumList --------------------------------------------------------------

TWordFreqAndSourceNumList::TWordFreqAndSourceNumList()
    : TUsefulBaseListSorts(&NewUsefulBaseListObject<TWordFreqAndSourceNumHolder>) {}

Int32 TWordFreqAndSourceNumList::AddOne(const TWordFreqAndSourceNum& rec) {
  return AddItem(std::make_unique<TWordFreqAndSourceNumHolder>(rec));
}

TWordFreqAndSourceNum TWordFreqAndSourceNumList::GetOne(Int32 i) const {
  const auto* h = static_cast<const TWordFreqAndSourceNumHolder*>(Items(i));
  return h != nullptr ? h->data : TWordFreqAndSourceNum{};
}

TWordFreqAndSourceNum TWordFreqAndSourceNumList::GetNext() {
  const TWordFreqAndSourceNum rec = GetOne(this_);
  if (this_ < INT32_MAX) ++this_;
  return rec;
}

Int64 TWordFreqAndSourceNumList::HighestFrequency() const {
  Int64 highest = 0;
  for (Int32 i = 0; i < Count(); ++i)
    if (IndexAssignedOK(i) && GetOne(i).f > highest) highest = GetOne(i).f;
  return highest;
}

void TWordFreqAndSourceNumList::SortOnFreqs() {
  Sort([](Pointer a, Pointer b) -> Int32 {
    const auto* x = HolderOf<TWordFreqAndSourceNumHolder>(a);
    const auto* y = HolderOf<TWordFreqAndSourceNumHolder>(b);
    return CompareInt64s(y != nullptr ? y->data.f : 0, x != nullptr ? x->data.f : 0);
  });
  sorted = false;
}

void TWordFreqAndSourceNumList::Clear() {
  TUsefulBaseListSorts::Clear();
  this_ = 0;
}

// ---- TWordFreqList ------------------------------------------------------------------------

TWordFreqList::TWordFreqList() : TUsefulBaseListSorts(&NewUsefulBaseListObject<TWordAndFreqHolder>) { Clear(); }

void TWordFreqList::SetFilter(Int64 minFreq, Int64 maxFreq, Int64 minWordLen, Int64 maxWordLen, Char startLetter) {
  MinFreq = minFreq;
  MaxFreq = maxFreq;
  MinWordLen = minWordLen;
  MaxWordLen = maxWordLen;
  StartLetter = startLetter;
  filtering = true;
}

bool TWordFreqList::Accepted(const TWordAndFreq& rec) const {
  const auto len = static_cast<Int64>(rec.w.size());
  if (StartLetter != 0 && !rec.w.empty() && rec.w[0] != StartLetter) return false;
  if (MinFreq >= 1 && rec.f < MinFreq) return false;
  if (MaxFreq != INT64_MAX && rec.f > MaxFreq) return false;
  if (MinWordLen > 0 && len < MinWordLen) return false;
  if (MaxWordLen < INT32_MAX && len > MaxWordLen) return false;
  return true;
}

Int32 TWordFreqList::AddOne(const TWordAndFreq& rec) {
  if (filtering && !Accepted(rec)) return -1;
  return AddItem(std::make_unique<TWordAndFreqHolder>(rec));
}

void TWordFreqList::MultiSort(const std::vector<TWordFreqSort>& keys) {
  std::array<Int32, 3> slot{kNoKey, kNoKey, kNoKey};
  for (size_t k = 0; k < slot.size() && k < keys.size(); ++k) slot[k] = keys[k];
  Sort([slot](Pointer a, Pointer b) -> Int32 {
    static const TWordAndFreq empty{};
    const auto* x = HolderOf<TWordAndFreqHolder>(a);
    const auto* y = HolderOf<TWordAndFreqHolder>(b);
    const TWordAndFreq& ra = x != nullptr ? x->data : empty;
    const TWordAndFreq& rb = y != nullptr ? y->data : empty;
    // The first slot always compares (on the words when it holds no key).
    Int32 c = CompareOnKey(slot[0], ra, rb);
    if (c == 0 && slot[1] != kNoKey) c = CompareOnKey(slot[1], ra, rb);
    if (c == 0 && slot[2] != kNoKey) c = CompareOnKey(slot[2], ra, rb);
    return c;
  });
  sorted = false;
}

TWordAndFreq TWordFreqList::GetOne(Int32 i) const {
  const auto* h = static_cast<const TWordAndFreqHolder*>(Items(i));
  return h != nullptr ? h->data : TWordAndFreq{};
}

void TWordFreqList::Clear() {
  StartLetter = 0;
  total_freq = 0;
  filtering = false;
  MinFreq = 0;
  MaxFreq = INT64_MAX;
  MinWordLen = 0;
  MaxWordLen = INT32_MAX;
  TUsefulBaseListSorts::Clear();
}

}  // namespace sk
