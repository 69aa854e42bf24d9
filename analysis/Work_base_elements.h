// Elements shared by the results-list classes: the three-level sort settings.
#pragma once

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Sets.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// Per sort level a comparer of one entry with the level's pivot value
// (-1, 0 or 1); an empty one means the level has none.
using TMainSorts = TEnumArray<TSortLevel, TQMBaseListObjectCompare, 3>;
using TPrivateSorts = TEnumArray<TSortLevel, TQMBaseListObjectCompare, 3>;

// A list's sort settings: the saveable choices, then per level the
// comparer, the private comparer and whether the private one is used.
struct TSortSettings {
  TSortSaveable saveable;
  TMainSorts comparesorts;
  TPrivateSorts privatesorts;
  TSortIsPrivate SortIsPrivate{};
};

// For a number cell: a no-value number (-999999 or -999998) makes it the
// not-applicable text; otherwise integers get 0 decimals and other numbers at
// least 1.
void CheckForDontShowConstAndDecimals(TGrid_data_rec& rec);

// Unit start and stop (the unit has no work of its own).
void Work_base_elements_initialization();
void Work_base_elements_Finalization();

}  // namespace sk
