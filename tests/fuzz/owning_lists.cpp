// The owning lists, fed untrusted bytes: the numeric lists, the integer-row
// lists of every width, the record lists and the small-integer list. Whatever
// a reader accepts is written back, and reading and writing that again gives
// the same bytes. After reading (and after a sort) every value held is found
// again by the list's own lookup, so that a `sorted` mark taken from a file can
// never make a search by halving miss an item.
#include <cmath>
#include <functional>
#include <memory>

#include "core/Useful_classes_base_longint.h"
#include "core/Useful_classes_base_multilong.h"
#include "core/Useful_classes_base_numeric.h"
#include "core/Useful_classes_base_records.h"
#include "platform/runtime/Streams.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

enum Kind : uint8_t {
  kCardinals,
  kInt64s,
  kSingles,
  kDoubles,
  kIntegerAndSingles,
  k2LongintAndSingles,
  k3LongintAndSingles,
  kCardinalAndFreqs,
  kMultiLongints,
  kStringColumnAndColours,
  k2StringsAnd2Integers,
  kIntegerAnd3Cardinals,
  kSmallints,
  kKindCount
};

// Lookups are checked on this many items, so that a long list costs no more
// than reading it.
constexpr Int32 kLookups = 48;

// Reads, then writes, reads and writes again: both writes agree. Answers
// whether the first read succeeded.
template <class TList, class... Args>
bool ReadAndRoundTrip(TList& list, const TBytes& data, Args... args) {
  TBytesStream in(data);
  bool ok = false;
  try {
    ok = list.ReadFromStream(&in);
  } catch (const Exception&) {
    return false;  // a stored string that fails its checks raises
  }
  TMemoryStream once;
  if (!list.SaveToStream(&once)) return ok;
  TList back(args...);
  TBytesStream again(once.ToBytes());
  SK_FUZZ_CHECK(back.ReadFromStream(&again));
  SK_FUZZ_CHECK(back.Count() == list.Count());
  TMemoryStream twice;
  SK_FUZZ_CHECK(back.SaveToStream(&twice));
  SK_FUZZ_CHECK(twice.ToBytes() == once.ToBytes());
  return ok;
}

bool Usable(Double v) { return !std::isnan(v); }

// Every value of the first items is found again at an index holding an
// equal value.
template <class TList, class Get, class Find, class Same>
void LookupsFindEveryItem(TList& list, Get get, Find find, Same same) {
  for (Int32 i = 0; i < list.Count() && i < kLookups; ++i) {
    if (!list.IndexAssignedOK(i) || list.Items(i) == nullptr) continue;
    const auto v = get(i);
    if (!same(v, v)) continue;  // a NaN equals nothing
    const Int32 j = find(v);
    SK_FUZZ_CHECK(j >= 0 && j < list.Count());
    SK_FUZZ_CHECK(same(get(j), v));
  }
}

template <class TList>
void Reorder(TList& list, uint8_t how) {
  if (how & 1) list.SortAscendingDefault();
  if (how & 2) list.ReverseTheSort();
  if (how & 4) list.RemoveDuplicates();
}

void Cardinals(const TBytes& data, uint8_t how) {
  TCardinalList list;
  ReadAndRoundTrip(list, data);
  auto check = [&] {
    LookupsFindEveryItem(
        list, [&](Int32 i) { return list.GetAValue(i); }, [&](Cardinal v) { return list.IndexOF(v); },
        [](Cardinal a, Cardinal b) { return a == b; });
  };
  check();
  Reorder(list, how);
  check();
}

void Int64s(const TBytes& data, uint8_t how) {
  TQMInt64List list;
  ReadAndRoundTrip(list, data);
  auto check = [&] {
    LookupsFindEveryItem(
        list, [&](Int32 i) { return list.GetAValue(i); }, [&](Int64 v) { return list.IndexOF(v); },
        [](Int64 a, Int64 b) { return a == b; });
  };
  check();
  Reorder(list, how);
  check();
  if (list.sorted && list.Count() < 4096) {
    list.AddOne(static_cast<Int64>(how) - 100);
    check();
  }
}

void Singles(const TBytes& data, uint8_t how) {
  TSinglesList list;
  ReadAndRoundTrip(list, data);
  auto check = [&] {
    LookupsFindEveryItem(
        list, [&](Int32 i) { return list.GetAValue(i); }, [&](Single v) { return list.IndexOF(v); },
        [](Single a, Single b) { return a == b && Usable(a); });
  };
  check();
  Reorder(list, how);
  check();
}

void Doubles(const TBytes& data, uint8_t how) {
  TDoublesList list;
  ReadAndRoundTrip(list, data);
  auto check = [&] {
    LookupsFindEveryItem(
        list, [&](Int32 i) { return list.GetAValue(i); }, [&](Double v) { return list.IndexOF(v); },
        [](Double a, Double b) { return a == b && Usable(a); });
  };
  check();
  Reorder(list, how);
  check();
}

void IntegerAndSingles(const TBytes& data, uint8_t how) {
  TIntegerAndSingleList list;
  ReadAndRoundTrip(list, data);
  Reorder(list, how);
  LookupsFindEveryItem(
      list, [&](Int32 i) { return list.GetOne(i).int_; }, [&](Int32 v) { return list.IndexOfInteger(v); },
      [](Int32 a, Int32 b) { return a == b; });
}

void TwoLongintAndSingles(const TBytes& data, uint8_t how) {
  T2LongintAndSingleList list;
  ReadAndRoundTrip(list, data);
  Reorder(list, how);
  LookupsFindEveryItem(
      list, [&](Int32 i) { return list.GetOne(i).t2.long1; }, [&](Int32 v) { return list.IndexOfInteger1(v); },
      [](Int32 a, Int32 b) { return a == b; });
}

void ThreeLongintAndSingles(const TBytes& data, uint8_t how) {
  T3LongintAndSingleList list;
  ReadAndRoundTrip(list, data);
  Reorder(list, how);
  LookupsFindEveryItem(
      list, [&](Int32 i) { return list.GetOne(i).t3.long2; }, [&](Int32 v) { return list.IndexOfInteger2(v); },
      [](Int32 a, Int32 b) { return a == b; });
}

void CardinalAndFreqs(const TBytes& data, uint8_t how) {
  TCardinalAndFreqList list;
  ReadAndRoundTrip(list, data);
  auto check = [&] {
    LookupsFindEveryItem(
        list, [&](Int32 i) { return list.GetACardAndFreq(i).c; }, [&](Cardinal v) { return list.IndexOF(v); },
        [](Cardinal a, Cardinal b) { return a == b; });
  };
  check();
  if (how & 1) list.SortOnCardinals();
  if (how & 2) list.SortOnFrequencies((how & 4) != 0);
  check();
  for (Int32 i = 0; i < list.Count() && i < 8; ++i) {
    const TCardinalAndFreq rec = list.GetACardAndFreq(i);
    const Int32 at = list.AddOneOrIncFreq(rec);
    SK_FUZZ_CHECK(list.GetACardAndFreq(at).c == rec.c);
  }
  check();
}

void MultiLongints(const TBytes& data, uint8_t how) {
  const auto width = static_cast<TMultiLongintSize>(1 + how % 6);
  const auto col = static_cast<TMultiLongintSize>((how / 6) % width);
  TMultiLongintList list(width);
  ReadAndRoundTrip(list, data, width);
  auto check = [&](TMultiLongintSize c) {
    for (Int32 i = 0; i < list.Count() && i < kLookups; ++i) {
      if (!list.WithinRange(i, c)) continue;
      const Int32 v = list.GetAValue(i, c);
      const Int32 j = list.IndexOf(v, c);
      SK_FUZZ_CHECK(j >= 0 && list.GetAValue(j, c) == v);
    }
  };
  check(list.SortedOn());
  check(col);
  switch ((how / 36) % 4) {
    case 0: list.SingleSort(col); break;
    case 1: list.DoubleSort(col, static_cast<TMultiLongintSize>((col + 1) % width)); break;
    case 2: list.TripleSort(col, tml_0, static_cast<TMultiLongintSize>(width - 1)); break;
    default: list.ReverseTheSort(); break;
  }
  check(list.SortedOn());
  check(col);
  (void)list.TotalOf(col);
  (void)list.ToArrayOfInteger(col);
}

void StringColumnAndColours(const TBytes& data) {
  TStringColumnAndColourList list;
  ReadAndRoundTrip(list, data);
  for (Int32 i = 0; i < list.Count() && i < kLookups; ++i) {
    const Int32 n = list.GetATrueColumn(i);
    const Int32 j = list.IndexOfTrueColumn(n);
    SK_FUZZ_CHECK(j >= 0 && j <= i);
  }
}

void TwoStringsAnd2Integers(const TBytes& data) {
  T2StringsAnd2IntegersList list;
  ReadAndRoundTrip(list, data);
  for (Int32 i = 0; i < list.Count() && i < kLookups; ++i) (void)list.GetTwoStringsAndInt(i);
}

void IntegerAnd3Cardinals(const TBytes& data) {
  TIntegerAnd3CardinalsList list;
  ReadAndRoundTrip(list, data);
  list.SortAscendingDefault();
  for (Int32 i = 0; i + 1 < list.Count(); ++i)
    SK_FUZZ_CHECK(static_cast<Cardinal>(list.GetAValue(i).freq) <= static_cast<Cardinal>(list.GetAValue(i + 1).freq));
}

void Smallints(const TBytes& data, Int32 count) {
  TSmallintList list;
  TBytesStream in(data);
  const bool ok = list.ReadFromStream(count, &in);
  if (!ok) SK_FUZZ_CHECK(list.Count() == 0);
  TMemoryStream out;
  SK_FUZZ_CHECK(list.SaveToStream(&out));
  SK_FUZZ_CHECK(out.Size() == 2 * static_cast<Int64>(list.Count()));
  if (ok && count > 0) SK_FUZZ_CHECK(TBytes(data.begin(), data.begin() + out.Size()) == out.ToBytes());
}

// ---- seeds ----

template <class TList>
TBytes Saved(TList& list) {
  TMemoryStream ms;
  list.SaveToStream(&ms);
  return ms.ToBytes();
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  auto add = [&](uint8_t kind, uint8_t how, const TBytes& b) {
    TBytes r{kind, how};
    r.insert(r.end(), b.begin(), b.end());
    seeds.Add(r);
  };
  {
    TCardinalList l;
    for (Cardinal v : {5u, 1u, 9u, 1u, 4000000000u}) l.AddOne(v);
    add(kCardinals, 0, Saved(l));
    l.SortAscendingDefault();
    add(kCardinals, 4, Saved(l));
  }
  {
    TQMInt64List l;
    for (Int64 v : {Int64(7), Int64(-3), Int64(1) << 40}) l.AddOne(v);
    l.SortAscendingDefault();
    add(kInt64s, 0, Saved(l));
  }
  {
    TSinglesList l;
    for (Single v : {2.5f, -1.0f, 0.0f, 1e30f}) l.AddOne(v);
    add(kSingles, 1, Saved(l));
  }
  {
    TDoublesList l;
    for (Double v : {0.1, 3.0, -7.25}) l.AddOne(v);
    l.SortAscendingDefault();
    add(kDoubles, 0, Saved(l));
  }
  {
    TIntegerAndSingleList l;
    l.AddOne(TIntegerAndSingleRec{3, 0.5f});
    l.AddOne(TIntegerAndSingleRec{-1, 2.0f});
    add(kIntegerAndSingles, 1, Saved(l));
  }
  {
    T2LongintAndSingleList l;
    l.AddOne(T2LongintAndSingleRec{T2_longint_rec{1, 2}, 3.0f});
    add(k2LongintAndSingles, 0, Saved(l));
  }
  {
    T3LongintAndSingleList l;
    l.AddOne(T3LongintAndSingleRec{T3_longint_rec{1, 2, 3}, 4.0f});
    add(k3LongintAndSingles, 0, Saved(l));
  }
  {
    TCardinalAndFreqList l;
    for (Cardinal c : {4u, 2u, 9u}) l.AddOne(TCardinalAndFreq{c, static_cast<Int32>(c * 10)});
    l.SortOnCardinals();
    add(kCardinalAndFreqs, 3, Saved(l));
  }
  for (uint8_t width = 1; width <= 6; width += 2) {
    TMultiLongintList l(static_cast<TMultiLongintSize>(width));
    l.AddOne({3, 1, 4, 1, 5, 9});
    l.AddOne({2, 7, 1, 8, 2, 8});
    l.SingleSort(tml_0);
    add(kMultiLongints, static_cast<uint8_t>(width - 1), Saved(l));
  }
  {
    TStringColumnAndColourList l;
    l.AddOne(TStringTrueColumnAndColourRec{2, 0xFF00, u"Word"});
    l.AddOne(TStringTrueColumnAndColourRec{5, 0x00FF, u"Freq."});
    add(kStringColumnAndColours, 0, Saved(l));
  }
  {
    T2StringsAnd2IntegersList l;
    l.AddOne(T2StringsAnd2IntegersRec{1, 2, u"one", u"two"});
    add(k2StringsAnd2Integers, 0, Saved(l));
  }
  {
    TIntegerAnd3CardinalsList l;
    l.AddOne(TIntegerAnd3CardinalsRec{3, {1, 2, 3}});
    l.AddOne(TIntegerAnd3CardinalsRec{-1, {4, 5, 6}});
    add(kIntegerAnd3Cardinals, 0, Saved(l));
  }
  {
    TSmallintList l;
    for (SmallInt v : {1, -2, 300}) l.Add(std::make_unique<TSmallIntHolder>(v));
    add(kSmallints, 3, Saved(l));
  }
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t kind = in.Byte() % kKindCount;
  const uint8_t how = in.Byte();
  switch (kind) {
    case kCardinals: Cardinals(in.Rest(), how); break;
    case kInt64s: Int64s(in.Rest(), how); break;
    case kSingles: Singles(in.Rest(), how); break;
    case kDoubles: Doubles(in.Rest(), how); break;
    case kIntegerAndSingles: IntegerAndSingles(in.Rest(), how); break;
    case k2LongintAndSingles: TwoLongintAndSingles(in.Rest(), how); break;
    case k3LongintAndSingles: ThreeLongintAndSingles(in.Rest(), how); break;
    case kCardinalAndFreqs: CardinalAndFreqs(in.Rest(), how); break;
    case kMultiLongints: MultiLongints(in.Rest(), how); break;
    case kStringColumnAndColours: StringColumnAndColours(in.Rest()); break;
    case k2StringsAnd2Integers: TwoStringsAnd2Integers(in.Rest()); break;
    case kIntegerAnd3Cardinals: IntegerAnd3Cardinals(in.Rest()); break;
    case kSmallints: Smallints(in.Rest(), static_cast<int8_t>(how)); break;
    default: break;
  }
  return 0;
}
