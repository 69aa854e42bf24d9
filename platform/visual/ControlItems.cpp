#include "platform/visual/ControlItems.h"

namespace sk {

namespace {

// Holds fTelling up while an edit runs, however it ends.
struct TTelling {
  explicit TTelling(Int32& n) : fN(n) { ++fN; }
  ~TTelling() { --fN; }
  Int32& fN;
};

}  // namespace

void TControlItems::Tell(TItemsEdit edit, Int32 a, Int32 b) {
  if (OnEdited) OnEdited(edit, a, b);
}

Int32 TControlItems::AddObject(const String& s, TObject* obj) {
  const Int32 before = Count();
  Int32 r;
  {
    TTelling telling(fTelling);
    r = TStringList::AddObject(s, obj);
  }
  if (Count() > before) Tell(ieInserted, r, -1);
  return r;
}

void TControlItems::InsertObject(Int32 index, const String& s, TObject* obj) {
  {
    TTelling telling(fTelling);
    TStringList::InsertObject(index, s, obj);
  }
  Tell(ieInserted, index, -1);
}

void TControlItems::Delete(Int32 index) {
  {
    TTelling telling(fTelling);
    TStringList::Delete(index);
  }
  Tell(ieDeleted, index, -1);
}

void TControlItems::Put(Int32 index, const String& s) {
  {
    TTelling telling(fTelling);
    TStringList::Put(index, s);
  }
  Tell(iePut, index, -1);
}

void TControlItems::Move(Int32 curIndex, Int32 newIndex) {
  if (curIndex == newIndex) return;
  {
    TTelling telling(fTelling);
    TStringList::Move(curIndex, newIndex);
  }
  Tell(ieMoved, curIndex, newIndex);
}

void TControlItems::Exchange(Int32 index1, Int32 index2) {
  {
    TTelling telling(fTelling);
    TStringList::Exchange(index1, index2);
  }
  Tell(ieExchanged, index1, index2);
}

void TControlItems::Changed() {
  TStringList::Changed();
  if (fTelling == 0) Tell(ieReset, -1, -1);
}

void TControlItems::SetUpdateState(bool updating) {
  {
    TTelling telling(fTelling);
    TStringList::SetUpdateState(updating);
  }
  if (!updating) Tell(ieBatchEnded, -1, -1);
}

Int32 TControlItems::Follow(Int32 chosen, const String& chosenText, TItemsEdit edit, Int32 a, Int32 b) const {
  if (chosen < 0) return -1;
  switch (edit) {
    case ieInserted: return chosen >= a ? chosen + 1 : chosen;
    case ieDeleted: return chosen == a ? -1 : chosen > a ? chosen - 1 : chosen;
    case iePut:
    case ieBatchEnded: return chosen < Count() ? chosen : -1;
    case ieMoved:
      if (chosen == a) return b;
      if (chosen > a) --chosen;
      return chosen >= b ? chosen + 1 : chosen;
    case ieExchanged: return chosen == a ? b : chosen == b ? a : chosen;
    case ieReset:
      if (chosen < Count() && fItems[static_cast<size_t>(chosen)].s == chosenText) return chosen;
      for (Int32 i = 0; i < Count(); ++i)
        if (fItems[static_cast<size_t>(i)].s == chosenText) return i;
      return -1;
  }
  return -1;
}

}  // namespace sk
