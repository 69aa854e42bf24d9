#include "core/Useful_classes_base_lists.h"

#include <algorithm>
#include <new>
#include <utility>

#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_raw.h"
#include "core/Useful_classes_stringlist_sorts.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/QuickSort.h"

namespace sk {

namespace {

// From this many items on, a list frees them in the order of their addresses.
constexpr Int32 kFreeByAddressFrom = 4096;

// The number of slots that hold an item: what SaveItems writes, so the count
// stored before them (a freed slot between freeing and packing writes
// nothing, and a reader would take the bytes after the list as its last item).
template <class TItems>
Int32 LiveItemCount(const TItems& items) {
  Int32 n = 0;
  for (const auto& p : items)
    if (p != nullptr) ++n;
  return n;
}

}  // namespace

// ---- TUsefulBaseListObject ------------------------------------------------------------

bool TUsefulBaseListObject::ReadFromStream(TStream*) { return true; }

bool TUsefulBaseListObject::SaveToStream(TStream*) { return true; }

// ---- TUsefulBaseList --------------------------------------------------------------------

TUsefulBaseList::TUsefulBaseList(TUsefulBaseListObjectClass entriesClass) : EntriesClass(entriesClass) {}

// The items are freed in the order of their addresses rather than the list's:
// a sorted list's order has nothing to do with where its items were made, and
// freeing a million of them at random places in memory takes several times as
// long (the host cannot be given a yield from a destructor).
TUsefulBaseList::~TUsefulBaseList() {
  std::vector<TUsefulBaseListObject*> items;
  try {
    items.reserve(fItems.size());
  } catch (const std::bad_alloc&) {
    return;  // without room for the order, the items go in the list's
  }
  for (auto& p : fItems) items.push_back(p.release());
  fItems.clear();
  std::sort(items.begin(), items.end(), std::less<>());
  for (TUsefulBaseListObject* p : items) delete p;
}

TUsefulBaseListObject* TUsefulBaseList::Items(Int32 i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return fItems[static_cast<size_t>(i)].get();
}

bool TUsefulBaseList::IndexAssignedOK(Int32 i) const { return Items(i) != nullptr; }

void TUsefulBaseList::CheckIndex(Int32 i) const {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
}

void TUsefulBaseList::Delete(Int32 i) {
  CheckIndex(i);
  if (AnInstance == fItems[static_cast<size_t>(i)].get()) AnInstance = nullptr;
  fItems.erase(static_cast<size_t>(i));
}

void TUsefulBaseList::Exchange(Int32 i, Int32 j) {
  CheckIndex(i);
  CheckIndex(j);
  std::swap(fItems[static_cast<size_t>(i)], fItems[static_cast<size_t>(j)]);
}

void TUsefulBaseList::Pack() {
  const auto kept = std::remove_if(fItems.begin(), fItems.end(),
                                   [](const std::unique_ptr<TUsefulBaseListObject>& p) { return p == nullptr; });
  fItems.erase(kept, fItems.end());
}

void TUsefulBaseList::ReduceTo(Int32 n) {
  if (n < 0) RaiseListIndexError(n);
  // Freeing a million items takes a while: the host is called by time. A
  // host that changes the list meanwhile finds every slot either holding
  // its item or empty until the pack.
  TTimedYield yield;
  // Many items are freed in the order of their addresses (see the
  // destructor), each still through FreeAndNilOne; without room for that
  // order, in the list's.
  std::vector<std::pair<TUsefulBaseListObject*, Int32>> byAddress;
  if (Count() - n > kFreeByAddressFrom) {
    try {
      byAddress.reserve(static_cast<size_t>(Count() - n));
    } catch (const std::bad_alloc&) {
    }
  }
  if (byAddress.capacity() == 0) {
    for (Int32 i = Count() - 1; i >= n; --i) {
      yield.Tick();
      if (IndexAssignedOK(i)) FreeAndNilOne(i);
    }
  } else {
    for (Int32 i = Count() - 1; i >= n; --i)
      if (TUsefulBaseListObject* item = Items(i)) byAddress.emplace_back(item, i);
    std::sort(byAddress.begin(), byAddress.end(),
              [](const auto& a, const auto& b) { return std::less<>()(a.first, b.first); });
    for (const auto& [item, i] : byAddress) {
      yield.Tick();
      // Only the item listed: a host may have moved others into its slot.
      if (Items(i) == item) FreeAndNilOne(i);
    }
  }
  Pack();
}

void TUsefulBaseList::Clear() {
  ReduceTo(0);
  fItems.clear();
  AnInstance = nullptr;
}

Int32 TUsefulBaseList::ComparedValues(Int32, Int32) { return -1; }

void TUsefulBaseList::FreeAndNilOne(Int32 i) {
  if (!IndexAssignedOK(i)) return;
  auto& slot = fItems[static_cast<size_t>(i)];
  if (AnInstance == slot.get()) AnInstance = nullptr;
  slot.reset();
}

Int32 TUsefulBaseList::AddItem(std::unique_ptr<TUsefulBaseListObject> item) {
  fItems.push_back(std::move(item));
  return Count() - 1;
}

Int32 TUsefulBaseList::InsertItem(Int32 i, std::unique_ptr<TUsefulBaseListObject> item) {
  if (i < 0 || i > Count()) RaiseListIndexError(i);
  fItems.insert(static_cast<size_t>(i), std::move(item));
  return i;
}

Int64 TUsefulBaseList::MinItemStreamSize() {
  if (EntriesClass == nullptr) return 0;
  const auto prototype = EntriesClass();
  return prototype != nullptr ? prototype->MinStreamSize() : 0;
}

bool TUsefulBaseList::CountIsPlausible(TStream* stream, Int32 count) {
  if (count <= 0) return true;
  if (EntriesClass == nullptr) return false;
  const Int64 itemSize = MinItemStreamSize();
  if (itemSize <= 0) return count <= UsefulBaseListMaxEmptyItems;
  return static_cast<Int64>(count) <= stream->Remaining() / itemSize;
}

bool TUsefulBaseList::ReadItems(TStream* stream, Int32 count) {
  bool ok = true;
  TTimedYield yield;
  for (Int32 i = 0; i < count; ++i) {
    yield.Tick();
    auto item = EntriesClass();
    AnInstance = item.get();
    fItems.push_back(std::move(item));
    // After a failure the remaining items are still made, but not read.
    if (ok) ok = AnInstance->ReadFromStream(stream);
  }
  return ok;
}

bool TUsefulBaseList::SaveItems(TStream* stream) {
  bool ok = true;
  TTimedYield yield;
  for (Int32 i = 0; i < Count() && ok; ++i) {
    yield.Tick();
    AnInstance = Items(i);
    // A freed slot (between freeing and packing) saves as nothing.
    if (AnInstance != nullptr) ok = AnInstance->SaveToStream(stream);
  }
  return ok;
}

bool TUsefulBaseList::ReadFromStream(TStream* stream) {
  Int32 count = 0;
  if (!raw_detail::ReadInt32(stream, count)) return false;
  if (!CountIsPlausible(stream, count)) return false;
  return ReadItems(stream, count);
}

bool TUsefulBaseList::SaveToStream(TStream* stream) {
  if (!raw_detail::WriteInt32(stream, LiveItemCount(fItems))) return false;
  return SaveItems(stream);
}

bool TUsefulBaseList::LoadFromFile(const String& fileName) {
  TFileStream fs(fileName, fmOpenRead | fmShareDenyNone);
  return ReadFromStream(&fs);
}

bool TUsefulBaseList::SaveToFile(const String& fileName) {
  // The list replaces the file whole: a failed save keeps the old one.
  return TryReplaceFileWith(fileName, [this](TStream& fs) { return SaveToStream(&fs); });
}

bool TUsefulBaseList::SortItems(const TUsefulListSortCompare& compare) {
  if (!compare) return false;
  if (Count() < 2) return global_panic_state == panic_no_panic;
  const Int32 count = Count();
  const TSortCheckPoint library = NewLibrarySortCheckPoint();
  return QuickSortIndexesChecked(
      0, count - 1,
      [&](Int32 a, Int32 b) -> Int32 {
        // A raised cancel flag makes every pair equal, so a pass in progress
        // ends at once.
        if (global_panic_state != panic_no_panic) return 0;
        return compare(fItems[static_cast<size_t>(a)].get(), fItems[static_cast<size_t>(b)].get());
      },
      [&](Int32 a, Int32 b) { std::swap(fItems[static_cast<size_t>(a)], fItems[static_cast<size_t>(b)]); },
      // The host must not add or remove items during a yield; should it do
      // so all the same, stop before the sort reads past the list.
      [&] { return library() || Count() != count; });
}

// ---- TUsefulBaseListSorts ---------------------------------------------------------------

TUsefulBaseListSorts::TUsefulBaseListSorts(TUsefulBaseListObjectClass entriesClass)
    : TUsefulBaseList(entriesClass) {}

void TUsefulBaseListSorts::Clear() {
  TUsefulBaseList::Clear();
  sorted = false;
}

// A comparer on another key than the lookups search by leaves the items out
// of lookup order: the mark is only set when that order holds, so that
// lookups then scan instead of missing items.
void TUsefulBaseListSorts::Sort(const TUsefulListSortCompare& compare) { sorted = SortItems(compare) && OrderHolds(); }

void TUsefulBaseListSorts::ReverseTheSort() {
  const Int32 n = Count();
  for (Int32 i = 0; i < n / 2; ++i) std::swap(fItems[static_cast<size_t>(i)], fItems[static_cast<size_t>(n - 1 - i)]);
  if (n >= 2) sorted = false;
}

void TUsefulBaseListSorts::RemoveDuplicates() {
  Int32 i = 0;
  while (i < Count()) {
    if (IndexAssignedOK(i)) {
      AnInstance = Items(i);
      Int32 m = i + 1;
      while (m < Count() && IndexAssignedOK(m) && ComparedValues(i, m) == 0) {
        FreeAndNilOne(m);
        ++m;
      }
      i = m;
    } else {
      ++i;
    }
  }
  Pack();
}

bool TUsefulBaseListSorts::ReadFromStream(TStream* stream) {
  Int32 count = 0;
  if (!raw_detail::ReadInt32(stream, count)) return false;
  Byte mark = 0;
  if (!raw_detail::ReadBytes(stream, &mark, 1)) return false;
  if (!CountIsPlausible(stream, count)) return false;
  sorted = mark != 0;
  const bool ok = ReadItems(stream, count);
  // The mark is only worth keeping while the items really ascend on the
  // lookup key (items appended to a list that held others, or a stream that
  // says more than it holds, may not).
  if (sorted && !OrderHolds()) sorted = false;
  return ok;
}

bool TUsefulBaseListSorts::OrderHolds() {
  // A freed slot reads as a zero value to a search by halving, so a list
  // that holds one is not searched that way.
  for (Int32 k = 0; k < Count(); ++k)
    if (!IndexAssignedOK(k)) return false;
  // A pass over a million items after their sort: it yields as the sort did.
  TTimedYield yield;
  for (Int32 k = 1; k < Count(); ++k) {
    yield.Tick();
    if (!InKeyOrder(k - 1, k)) return false;
  }
  return true;
}

bool TUsefulBaseListSorts::InKeyOrder(Int32 i, Int32 j) {
  // Both ways, so that a value that answers "less" to everything (a NaN)
  // counts as out of order: halving could not find items past it.
  return KeyOrder(i, j) <= 0 && KeyOrder(j, i) >= 0;
}

bool TUsefulBaseListSorts::SaveToStream(TStream* stream) {
  if (!raw_detail::WriteInt32(stream, LiveItemCount(fItems))) return false;
  const Byte mark = sorted ? 1 : 0;
  if (!raw_detail::WriteBytes(stream, &mark, 1)) return false;
  return SaveItems(stream);
}

Int32 TUsefulBaseListSorts::KeyOrder(Int32 i, Int32 j) { return ComparedValues(i, j); }

void TUsefulBaseListSorts::CheckOrderAround(Int32 i) {
  if (!sorted || !IndexAssignedOK(i)) return;
  if ((IndexAssignedOK(i - 1) && !InKeyOrder(i - 1, i)) || (IndexAssignedOK(i + 1) && !InKeyOrder(i, i + 1)))
    sorted = false;
}

}  // namespace sk
