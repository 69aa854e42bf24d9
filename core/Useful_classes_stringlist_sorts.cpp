#include "core/Useful_classes_stringlist_sorts.h"

#include <memory>

#include "core/Basic_processes.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Strings.h"

namespace sk {

Int32 SListSortOn_Strings(TStringList* list, Int32 index1, Int32 index2) {
  if (global_reversed_sort) std::swap(index1, index2);
  return stringlist_sorts_detail::Lines(list, index1, index2);
}

bool FilenamesMatchingApartFromNumber(const String& a, const String& b) {
  String rest;
  if (!a.empty() && !b.empty()) {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    const String& longer = a.size() > b.size() ? a : b;  // the second when equal
    size_t k = 0;
    while (k < common && a[k] == b[k]) ++k;
    // k is the first differing position, or the common length when none
    // differs; either way the rest is the longer name from there on.
    rest = Trim(longer.substr(k));
  }
  if (rest.empty()) return false;

  static const String copyMarker = u"- COPY";
  const size_t copyAt = rest.find(copyMarker);
  if (copyAt == 0) return true;
  if (copyAt != String::npos) return false;

  if (rest[0] != u'(') return false;
  const size_t close = rest.find(u')');
  if (close == String::npos) return false;
  Int32 n = 0;
  return TryStrToInt(rest.substr(1, close - 1), n);
}

TSortCheckPoint NewLibrarySortCheckPoint() {
  // Each sort has its own clock of ticks (a sort's check points come every
  // few hundred comparisons, so a tick is never costly).
  auto yield = std::make_shared<TTimedYield>();
  return [yield] {
    yield->Tick();
    return global_panic_state != panic_no_panic;
  };
}

namespace {

constinit TUnitCounter Useful_classes_stringlist_sorts_counter;

}  // namespace

void Useful_classes_stringlist_sorts_initialization() {
  if (!Useful_classes_stringlist_sorts_counter.Initialization()) return;
  SetSortCheckPointMaker(&NewLibrarySortCheckPoint);
}

void Useful_classes_stringlist_sorts_Finalization() {
  if (!Useful_classes_stringlist_sorts_counter.Finalization()) return;
  SetSortCheckPointMaker(nullptr);
}

}  // namespace sk
