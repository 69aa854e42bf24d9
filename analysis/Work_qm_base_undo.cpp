// Joining, matching, deleting and zapping entries of a results list, with the
// undo and redo stacks; removing duplicates and cutting a list down.
//
// Ownership: every entry object lives in exactly one place: the list (whose
// tool frees it), a zap record, or a join-list place that owns it. Entries
// taken out for good are never freed while a join list still holds them: the
// join list takes them over (FreeTakenOutEntries), so a head's joined
// frequencies never reach a freed entry.
#include "analysis/Work_qm_base_undo.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "analysis/Work_qm_base_holder.h"
#include "analysis/Work_qm_base_list.h"
#include "analysis/Work_qm_base_messages.h"
#include "analysis/Work_qm_base_sister.h"
#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Random.h"
#include "platform/runtime/ResourceStrings.h"

namespace sk {

namespace {

constexpr Int64 kYieldEvery = 1024;

void YieldEvery(Int64 i) {
  if ((i & (kYieldEvery - 1)) == 0) MyYieldProcess();
}

// Sets the list busy for one operation and idle when it ends, also when it
// raises.
class TBusyWhile {
 public:
  TBusyWhile(TQMAction& busy, TQMAction action) : fBusy(busy) { fBusy = action; }
  ~TBusyWhile() { fBusy = action_none; }
  TBusyWhile(const TBusyWhile&) = delete;
  TBusyWhile& operator=(const TBusyWhile&) = delete;

 private:
  TQMAction& fBusy;
};

// The places in the list of the entries a record names, found in one pass
// over the list: -1 for an entry that is no longer there. Identities are
// handed out in order, so a record's usually lie close together: they are
// then looked up in a table indexed by identity, else by halving a sorted
// copy.
class TIdentityPlaces {
 public:
  TIdentityPlaces(const TQMBaseDataClass& list, const std::vector<TUndoEntryRec>& recs) {
    if (recs.empty()) return;
    UInt64 lo = recs[0].identity, hi = lo;
    for (const TUndoEntryRec& r : recs) {
      lo = std::min(lo, r.identity);
      hi = std::max(hi, r.identity);
    }
    fLow = lo;
    fDense = hi - lo < 4 * static_cast<UInt64>(recs.size()) + 4096;
    if (fDense) {
      fTable.assign(static_cast<size_t>(hi - lo + 1), kAbsent);
      for (const TUndoEntryRec& r : recs) fTable[static_cast<size_t>(r.identity - lo)] = -1;
    } else {
      for (const TUndoEntryRec& r : recs) fSorted.emplace_back(r.identity, -1);
      std::sort(fSorted.begin(), fSorted.end());
    }
    for (Int32 i = 0; i < list.Count(); ++i) {
      const TQMBaseListObject* e = list.Get(i);
      if (e == nullptr) continue;
      Int32* place = Slot(e->Identity());
      if (place != nullptr && *place < 0) *place = i;
    }
  }
  Int32 IndexOf(UInt64 identity) const {
    const Int32* place = const_cast<TIdentityPlaces*>(this)->Slot(identity);
    return place == nullptr || *place == kAbsent ? -1 : *place;
  }

 private:
  static constexpr Int32 kAbsent = -2;  // not named by the record
  Int32* Slot(UInt64 identity) {
    if (fDense) {
      if (identity < fLow || identity - fLow >= fTable.size()) return nullptr;
      Int32* p = &fTable[static_cast<size_t>(identity - fLow)];
      return *p == kAbsent ? nullptr : p;
    }
    auto it = std::lower_bound(fSorted.begin(), fSorted.end(), std::make_pair(identity, std::numeric_limits<Int32>::min()));
    return it != fSorted.end() && it->first == identity ? &it->second : nullptr;
  }
  bool fDense = true;
  UInt64 fLow = 0;
  std::vector<Int32> fTable;
  std::vector<std::pair<UInt64, Int32>> fSorted;
};

bool FlagOf(const TQMBaseListObject* e, TUnOrReDoActions action) {
  return action == a_deleting ? e->IsDeleted() : e->IsMatched();
}

void SetJoinedElsewhere(TQMBaseListObject* e, bool flag) {
  if (e == nullptr) return;
  if (!flag && !e->privateobj) return;
  e->EnsurePrivateObjExists();
  e->privateobj->fdetails.joined_elsewhere = flag ? 1 : 0;
}

// Calls f on every entry the list or one of its zap records holds.
template <class F>
void ForEachLivingEntry(const TQMBaseDataClass& list, F&& f) {
  for (Int32 i = 0; i < list.Count(); ++i)
    if (TQMBaseListObject* e = list.Get(i)) f(e);
  if (!list.UndoList) return;
  for (const TMyActionList* stack : {list.UndoList->fUndoActions.get(), list.UndoList->fRedoActions.get()})
    for (Int32 h = 0; h < stack->Count(); ++h)
      if (const TZapHolderList* z = stack->Items(h)->zapped.get())
        for (Int32 k = 0; k < z->Count(); ++k)
          if (TQMBaseListObject* e = z->Items(k)) f(e);
}

}  // namespace

// ---- the records -----------------------------------------------------------------

TZapHolderList::~TZapHolderList() {
  if (!fOwns) return;
  for (size_t i = 0; i < fItems.size(); ++i) {
    YieldEvery(static_cast<Int64>(i) + 1);
    delete fItems[i];
  }
}

TQMBaseListObject* TZapHolderList::Items(Int32 i) const {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  return fItems[static_cast<size_t>(i)];
}

std::unique_ptr<TZapHolderList> TZapHolderList::CopyOfList() const {
  auto copy = std::make_unique<TZapHolderList>();
  copy->fItems = fItems;
  copy->fOwns = false;
  return copy;
}

std::vector<TQMBaseListObject*> TZapHolderList::Release() {
  std::vector<TQMBaseListObject*> out;
  out.swap(fItems);
  return out;
}

String TUnOrReDoActionHolder::GetName() const {
  switch (action) {
    case a_zapping:
      return LoadResString(&_QMZap);
    case a_joining:
      return LoadResString(&_QMJoin);
    case a_matching:
      return LoadResString(&_QMMatch);
    case a_deleting:
      return LoadResString(&_QMDelete);
    case a_editing:
      return LoadResString(&_QMEdit);
  }
  return String();
}

size_t TUnOrReDoActionHolder::HeldBytes() const {
  size_t n = entries.capacity() * sizeof(TUndoEntryRec) + old_text.capacity() * sizeof(Char);
  if (zapped) n += sizeof(TZapHolderList) + static_cast<size_t>(zapped->Count()) * sizeof(TQMBaseListObject*);
  return n;
}

TMyActionList::~TMyActionList() = default;

TUnOrReDoActionHolder* TMyActionList::Items(Int32 i) const {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  return fItems[fItems.size() - 1 - static_cast<size_t>(i)].get();
}

void TMyActionList::Clear() {
  std::vector<TQMBaseListObject*> taken;
  for (auto& h : fItems)
    if (h->zapped && h->zapped->OwnsEntries()) {
      std::vector<TQMBaseListObject*> v = h->zapped->Release();
      taken.insert(taken.end(), v.begin(), v.end());
    }
  fItems.clear();
  if (fOwner != nullptr) {
    fOwner->FreeTakenOutEntries(taken);
  } else {
    for (TQMBaseListObject* e : taken) delete e;
  }
}

String TMyActionList::GetTopActionName() const { return fItems.empty() ? String() : fItems.back()->GetName(); }

std::unique_ptr<TUnOrReDoActionHolder> TMyActionList::TakeTop() {
  if (fItems.empty()) return nullptr;
  std::unique_ptr<TUnOrReDoActionHolder> h = std::move(fItems.back());
  fItems.pop_back();
  return h;
}

size_t TMyActionList::HeldBytes() const {
  size_t n = fItems.capacity() * sizeof(void*);
  for (const auto& h : fItems) n += sizeof(TUnOrReDoActionHolder) + h->HeldBytes();
  return n;
}

void TUndoList::InsertOneEditString(TUnOrReDoActions action, const TEntryAndColumn& entrycol, UInt64 identity,
                                    const String& oldText) {
  auto h = std::make_unique<TUnOrReDoActionHolder>(action, entrycol, fEntriesClass);
  h->entries.push_back(TUndoEntryRec{identity, 0, 0, {}});
  h->old_text = oldText;
  fUndoActions->InsertAtTop(std::move(h));
}

void TUndoList::InsertAHolder(std::unique_ptr<TUnOrReDoActionHolder> holder) {
  holder->is_a_class = holder->action != a_editing;
  fUndoActions->InsertAtTop(std::move(holder));
}

void TUndoList::InsertAZapHolderList(TUnOrReDoActions action, std::unique_ptr<TZapHolderList> holderList) {
  auto h = std::make_unique<TUnOrReDoActionHolder>(action, TEntryAndColumn{}, fEntriesClass);
  h->zapped = std::move(holderList);
  h->is_a_class = true;
  fUndoActions->InsertAtTop(std::move(h));
}

void TUndoList::MoveTopUndoToRedo() {
  if (auto h = fUndoActions->TakeTop()) fRedoActions->InsertAtTop(std::move(h));
}

void TUndoList::MoveTopRedoToUndo() {
  if (auto h = fRedoActions->TakeTop()) fUndoActions->InsertAtTop(std::move(h));
}

// ---- capturing what an action changes ---------------------------------------------

namespace {

// Records each listed entry in the list with its flag as it is now.
void CaptureFlags(const TQMBaseDataClass& list, const std::vector<Int32>& indexes, TUnOrReDoActions action,
                  std::vector<TUndoEntryRec>& out) {
  out.reserve(out.size() + indexes.size());
  for (const Int32 i : indexes) {
    if (i < 0 || i >= list.Count()) continue;
    const TQMBaseListObject* e = list.Get(i);
    out.push_back(TUndoEntryRec{e->Identity(), 0, static_cast<uint8_t>(FlagOf(e, action) ? 1 : 0), {}});
  }
}

// Records the head, then each member with the entries of its own join list
// (which the join moves under the head).
void CaptureJoin(const TQMBaseDataClass& list, const std::vector<Int32>& indexes, std::vector<TUndoEntryRec>& out) {
  for (size_t k = 0; k < indexes.size(); ++k) {
    const Int32 i = indexes[k];
    if (i < 0 || i >= list.Count()) continue;
    const TQMBaseListObject* e = list.Get(i);
    const TJoinList* j = k == 0 ? nullptr : e->OwnJoinlist();
    const Int32 brought = j != nullptr ? j->Count() : 0;
    out.push_back(TUndoEntryRec{e->Identity(), brought, static_cast<uint8_t>(e->JoinedElsewhere() ? 1 : 0), {}});
    for (Int32 b = 0; b < brought; ++b) {
      const TQMBaseListObject* x = j->Items(b);
      out.push_back(TUndoEntryRec{x != nullptr ? x->Identity() : 0, 0, static_cast<uint8_t>(j->Owns(b) ? 1 : 0), {}});
    }
  }
}

// Whether a join of these indexes may go ahead: at least two, every one in
// the list, none repeated, none joined under a head.
bool JoinIsValid(const TQMBaseDataClass& list, const std::vector<Int32>& indexes) {
  if (indexes.size() < 2) return false;
  std::unordered_set<Int32> seen;
  for (const Int32 i : indexes) {
    if (i < 0 || i >= list.Count() || !seen.insert(i).second) return false;
    if (list.Get(i)->JoinedElsewhere()) return false;
  }
  return true;
}

std::vector<Int32> ToVector(const T1LongintList& l) {
  std::vector<Int32> v(static_cast<size_t>(l.Count()));
  for (Int32 k = 0; k < l.Count(); ++k) v[static_cast<size_t>(k)] = l.GetAValue(k);
  return v;
}

// The work of the private ranges, on plain index arrays.
bool DeleteIndexes(TQMBaseDataClass& list, const std::vector<Int32>& indexes, bool flag) {
  if (indexes.empty()) return false;
  bool any = false;
  for (const Int32 i : indexes) {
    if (i < 0 || i >= list.Count()) continue;
    list.DeleteOne(i, flag);  // yields
    any = true;
  }
  return any;
}

bool MatchIndexes(TQMBaseDataClass& list, const std::vector<Int32>& indexes, bool flag) {
  if (indexes.empty()) return false;
  for (const Int32 i : indexes) {
    MyYieldProcess();
    if (i >= 0 && i < list.Count()) list.SetMatched(i, flag);
  }
  return true;
}

bool JoinIndexes(TQMBaseDataClass& list, const std::vector<Int32>& indexes) {
  if (indexes.size() < 2) return false;
  bool ok = true;
  for (size_t k = 1; ok && k < indexes.size(); ++k) {
    MyYieldProcess();
    ok = list.JoinOne(indexes[0], indexes[k]);
  }
  return ok;
}

}  // namespace

// ---- deleting, matching, joining --------------------------------------------------

bool TQMBaseDataClass::PrivateDeleteARange(const T1LongintList& indexes, bool flag) {
  return DeleteIndexes(*this, ToVector(indexes), flag);
}

bool TQMBaseDataClass::DeleteARange(const T1LongintList& indexes, TUndoable undoable, bool flag) {
  const std::vector<Int32> v = ToVector(indexes);
  std::unique_ptr<TUnOrReDoActionHolder> h;
  if (undoable == undoable_yes) {
    h = std::make_unique<TUnOrReDoActionHolder>(a_deleting, TEntryAndColumn{}, fEntriesClass);
    h->flag = flag;
    CaptureFlags(*this, v, a_deleting, h->entries);
  }
  const bool ok = DeleteIndexes(*this, v, flag);
  if (h) {
    UndoList->InsertAHolder(std::move(h));
    ReportUnOrRedoAction(UndoList->fUndoActions->GetTopActionName(), false, UndoList->fUndoActions->Count());
  }
  return ok;
}

bool TQMBaseDataClass::PrivateMatchARange(const T1LongintList* indexes, bool flag) {
  return indexes != nullptr && MatchIndexes(*this, ToVector(*indexes), flag);
}

bool TQMBaseDataClass::MatchARange(const T1LongintList& indexes, TUndoable undoable, bool flag) {
  const std::vector<Int32> v = ToVector(indexes);
  std::unique_ptr<TUnOrReDoActionHolder> h;
  if (undoable == undoable_yes) {
    h = std::make_unique<TUnOrReDoActionHolder>(a_matching, TEntryAndColumn{}, fEntriesClass);
    h->flag = flag;
    CaptureFlags(*this, v, a_matching, h->entries);
  }
  const bool ok = MatchIndexes(*this, v, flag);
  if (ok && h) {
    UndoList->InsertAHolder(std::move(h));
    ReportUnOrRedoAction(UndoList->fUndoActions->GetTopActionName(), false, UndoList->fUndoActions->Count());
  }
  return ok;
}

bool TQMBaseDataClass::JoinOne(Int32 head, Int32 other) {
  if (head < 0 || other < 0 || head == other) return false;
  TQMBaseListObject* h = Get(head);
  TQMBaseListObject* o = Get(other);
  StoredListInfo->SetIsLemmatised(true);
  StoredListInfo->SetNTextsChecked(BasedOnOneTextFile());
  ListModified.Include(mod_lemmatising);
  h->JoinFrom(o);
  return true;
}

bool TQMBaseDataClass::PrivateJoinARange(const T1LongintList& indexes) { return JoinIndexes(*this, ToVector(indexes)); }

bool TQMBaseDataClass::JoinARange(const T1LongintList& indexes, TUndoable undoable, bool /*flag*/) {
  const std::vector<Int32> v = ToVector(indexes);
  if (!JoinIsValid(*this, v)) return false;
  std::unique_ptr<TUnOrReDoActionHolder> h;
  if (undoable == undoable_yes) {
    h = std::make_unique<TUnOrReDoActionHolder>(a_joining, TEntryAndColumn{}, fEntriesClass);
    h->lemmatised_before = StoredListInfo->fdata.lemmatised;
    h->n_texts_checked_before = StoredListInfo->fdata.n_texts_checked;
    CaptureJoin(*this, v, h->entries);
  }
  const bool ok = JoinIndexes(*this, v);
  if (ok && h) {
    UndoList->InsertAHolder(std::move(h));
    ReportUnOrRedoAction(UndoList->fUndoActions->GetTopActionName(), false, UndoList->fUndoActions->Count());
  }
  return ok;
}

bool TQMBaseDataClass::UnMatch(const T1LongintList& indexes) {
  for (Int32 k = 0; k < indexes.Count(); ++k) {
    const Int32 i = indexes.GetAValue(k);
    MyYieldProcess();
    if (InRange(i)) SetMatched(i, false);
  }
  DoASort(-1, 0, fCount - 1);
  return true;
}

void TQMBaseDataClass::UnmatchAll() {
  for (Int32 i = 0; i < fCount; ++i) {
    YieldEvery(i + 1);
    if (At(i)->IsMatched()) SetMatched(i, false);
  }
}

void TQMBaseDataClass::UnJoinAll() {
  Int64 n = 0;
  ForEachLivingEntry(*this, [&n](TQMBaseListObject* e) {
    YieldEvery(++n);
    if (!e->privateobj) return;
    e->privateobj->fdetails.joined_elsewhere = 0;
    if (TJoinList* j = e->privateobj->joinlist.get()) {
      for (Int32 k = 0; k < j->Count(); ++k)
        if (j->Owns(k)) delete j->Items(k);
    }
    e->privateobj->ClearJoinList();
  });
}

bool TQMSister::UnJoin(Int32 index) {
  TQMBaseListObject* head = Get(index);
  TJoinList* j = head->OwnJoinlist();
  if (j == nullptr || j->Count() == 0) return false;
  // Owned places are freed; the other members, wherever they live now (the
  // list or a zap record), are no longer joined elsewhere.
  std::unordered_set<TQMBaseListObject*> members;
  for (Int32 k = 0; k < j->Count(); ++k) {
    if (j->Owns(k))
      delete j->Items(k);
    else if (j->Items(k) != nullptr)
      members.insert(j->Items(k));
  }
  j->Clear();
  head->privateobj->ClearJoinList();
  if (!members.empty())
    ForEachLivingEntry(*this, [&members](TQMBaseListObject* e) {
      if (members.erase(e) != 0) SetJoinedElsewhere(e, false);
    });
  ListModified.Include(mod_lemmatising);
  return true;
}

// ---- zapping ------------------------------------------------------------------------

void TQMBaseDataClass::FreeTakenOutEntries(std::vector<TQMBaseListObject*>& entries) {
  if (entries.empty()) return;
  // The places of the join lists of the living entries (the taken ones are
  // no longer among them) that hold an entry without owning it.
  struct TPlace {
    TJoinList* joins;
    Int32 k;
  };
  std::unordered_map<TQMBaseListObject*, TPlace> held;
  ForEachLivingEntry(*this, [&held](TQMBaseListObject* e) {
    TJoinList* j = e->OwnJoinlist();
    if (j == nullptr) return;
    for (Int32 k = 0; k < j->Count(); ++k)
      if (!j->Owns(k) && j->Items(k) != nullptr) held.emplace(j->Items(k), TPlace{j, k});
  });
  // Entries that a head about to be freed holds without owning them: those
  // still living are joined to nothing once it goes, so they are released
  // (their frequencies count again on their own) rather than left to the
  // next zap as joined elsewhere.
  std::unordered_set<TQMBaseListObject*> orphans;
  Int64 n = 0;
  for (TQMBaseListObject* e : entries) {
    YieldEvery(++n);
    if (held.count(e) != 0) continue;
    if (TJoinList* j = e->OwnJoinlist())
      for (Int32 k = 0; k < j->Count(); ++k)
        if (!j->Owns(k) && j->Items(k) != nullptr) orphans.insert(j->Items(k));
  }
  if (!orphans.empty())
    ForEachLivingEntry(*this, [&orphans](TQMBaseListObject* e) {
      if (orphans.erase(e) != 0) SetJoinedElsewhere(e, false);
    });
  n = 0;
  for (TQMBaseListObject* e : entries) {
    YieldEvery(++n);
    auto it = held.empty() ? held.end() : held.find(e);
    if (it != held.end()) {
      it->second.joins->SetOwns(it->second.k, true);
      held.erase(it);
    } else {
      delete e;
    }
  }
  entries.clear();
}

bool TQMBaseDataClass::Zap(TUndoable undoable) {
  bool result = false;
  {
    TBusyWhile busy(fListBusy, action_editing);
    const Int32 before = StoredListInfo->fdata.lifetimezaps;
    auto held = std::make_unique<TZapHolderList>();
    std::vector<TQMBaseListObject*> taken;
    for (Int32 i = 0; i < fCount; ++i) {
      YieldEvery(i + 1);
      TQMBaseListObject* e = At(i);
      if (e == nullptr || !e->privateobj) continue;
      if (e->privateobj->fdetails.deleted == 0 && e->privateobj->fdetails.joined_elsewhere == 0) continue;
      ++StoredListInfo->fdata.lifetimezaps;
      if (undoable == undoable_yes)
        held->Add(e);
      else
        taken.push_back(e);
      fList[static_cast<size_t>(i)] = nullptr;
    }
    Pack();
    FreeTakenOutEntries(taken);
    if (StoredListInfo->fdata.lifetimezaps > before) {
      ListModified.Include(mod_edited);
      result = true;
      if (undoable == undoable_yes) {
        UndoList->InsertAZapHolderList(a_zapping, std::move(held));
        ReportUnOrRedoAction(UndoList->fUndoActions->GetTopActionName(), false, UndoList->fUndoActions->Count());
      }
      // Asked for while the list is busy, so the engine refuses it: taking
      // entries out keeps a sorted list sorted.
      DoASort(-1, 0, fCount - 1);
    }
    fSelectedItems[sf_deleted]->Clear();
  }
  return result;
}

bool TQMBaseDataClass::ZapItems(const std::vector<Int32>& indexes) {
  {
    TBusyWhile busy(fListBusy, action_editing);
    std::vector<TQMBaseListObject*> taken;
    for (size_t k = 0; k < indexes.size(); ++k) {
      YieldEvery(static_cast<Int64>(k) + 1);
      const Int32 i = indexes[k];
      if (!InRange(i) || At(i) == nullptr) continue;  // outside or repeated
      taken.push_back(At(i));
      fList[static_cast<size_t>(i)] = nullptr;
    }
    Pack();
    FreeTakenOutEntries(taken);
    DoASort(-1, 0, fCount - 1);  // refused while busy, as in Zap
  }
  ListModified.Include(mod_edited);
  return !indexes.empty();
}

bool TQMBaseDataClass::UnZap(TZapHolderList* holderList) {
  if (holderList == nullptr) return false;
  {
    TBusyWhile busy(fListBusy, action_editing);
    const std::vector<TQMBaseListObject*> back = holderList->Release();
    Int64 n = 0;
    for (TQMBaseListObject* e : back) {
      YieldEvery(++n);
      if (e == nullptr) continue;
      Add(e);
      --StoredListInfo->fdata.lifetimezaps;
    }
    RecountMarcacoes();
  }
  // Once idle, so that the sort is not refused.
  DoAlphabeticalAscendingSort();
  return true;
}

bool TQMBaseDataClass::PrivateZap(TZapHolderList* holderList) {
  const Int32 before = StoredListInfo->fdata.lifetimezaps;
  {
    TBusyWhile busy(fListBusy, action_editing);
    if (holderList != nullptr && holderList->Count() > 0) {
      std::unordered_set<const TQMBaseListObject*> held;
      for (Int32 k = 0; k < holderList->Count(); ++k) held.insert(holderList->Items(k));
      for (Int32 i = 0; i < fCount; ++i) {
        YieldEvery(i + 1);
        if (held.count(At(i)) == 0) continue;
        ++StoredListInfo->fdata.lifetimezaps;
        fList[static_cast<size_t>(i)] = nullptr;
      }
      Pack();
    }
  }
  DoASort(-1, 0, fCount - 1);
  return StoredListInfo->fdata.lifetimezaps > before;
}

void TQMSister::ReduceTo(bool random, Int32 n) {
  if (n < 1 || n >= fCount) return;
  {
    TBusyWhile busy(fListBusy, action_editing);
    if (random) Randomize();
    ListModified.Include(mod_deleting);
    const size_t toRemove = static_cast<size_t>(fCount - n);
    std::vector<TQMBaseListObject*> taken;
    taken.reserve(toRemove);
    if (random) {
      // Each entry is asked at most once; the places stay as they are until
      // the one pack at the end, so every index asked about is current.
      std::vector<Int32> candidates(static_cast<size_t>(fCount));
      for (Int32 i = 0; i < fCount; ++i) candidates[static_cast<size_t>(i)] = i;
      while (taken.size() < toRemove && !candidates.empty()) {
        YieldEvery(static_cast<Int64>(candidates.size()));
        const size_t p = static_cast<size_t>(Random(static_cast<Int32>(candidates.size())));
        const Int32 i = candidates[p];
        candidates[p] = candidates.back();
        candidates.pop_back();
        if (!CanDeleteRandomly(i)) continue;
        taken.push_back(At(i));
        fList[static_cast<size_t>(i)] = nullptr;
      }
    } else {
      for (Int32 i = fCount - 1; i >= n; --i) {
        YieldEvery(i);
        taken.push_back(At(i));
        fList[static_cast<size_t>(i)] = nullptr;
      }
    }
    Pack();
    FreeTakenOutEntries(taken);
    DoASort(-1, 0, fCount - 1);  // refused while busy, as in Zap
  }
}

// ---- removing duplicates ----------------------------------------------------------

void TQMBaseDataClass::RemoveDuplicates() {
  TQMActiveLongintList* deleted = fSelectedItems[sf_deleted].get();
  deleted->Clear();
  fListBusy = action_none;
  DoAlphabeticalAscendingSort();
  {
    TBusyWhile busy(fListBusy, action_editing);
    const Int32 count = fCount;
    const Int32 step = count / 100;
    const TProgressPercentPanel* progress =
        Patroa != nullptr && Patroa->fOnProgressPercentPanel ? &Patroa->fOnProgressPercentPanel : nullptr;
    Int32 i = 0;
    while (i < count - 1 && i < fCount - 1) {
      MyYieldProcess();
      TQMBaseListObject* e = At(i);
      if (e->IsDeleted() || global_panic_state != panic_no_panic) {
        ++i;
        continue;
      }
      if (step > 0 && i % step == 0 && progress != nullptr)
        (*progress)(static_cast<Int32>(static_cast<Int64>(i) * 100 / count), tusp_Progress_overall);
      Int32 last = i;
      for (Int32 k = i + 1; k < fCount && At(k)->IsDuplicateOf(e); ++k) {
        deleted->AddOneAndSetCountCurrent(k);
        SetDeleted(k, true);
        last = k;
      }
      i = last > i ? last : i + 1;
    }
    if (progress != nullptr) (*progress)(0, tusp_Progress_overall);
  }
}

// ---- edits --------------------------------------------------------------------------

void TQMBaseDataClass::AddStringToUndolist(const TEntryAndColumn& entrycol, const String& oldText) {
  UInt64 identity = 0;
  if (InRange(entrycol.entry)) {
    TQMBaseListObject* e = At(entrycol.entry);
    identity = e->Identity();
    e->EnsurePrivateObjExists();
    e->privateobj->last_edit = oldText;
  }
  UndoList->InsertOneEditString(a_editing, entrycol, identity, oldText);
}

bool TQMBaseDataClass::UnEdit(const TEntryAndColumn& entrycol) {
  if (!InRange(entrycol.entry)) return false;
  TQMBaseListObject* e = At(entrycol.entry);
  if (!e->privateobj) return false;
  SetSomeWordAsString(entrycol.entry, entrycol.column, e->privateobj->last_edit);
  return true;
}

void TQMBaseDataClass::AddItemsToUndoList(TUnOrReDoActions action, const T1LongintList& indexes) {
  auto h = std::make_unique<TUnOrReDoActionHolder>(action, TEntryAndColumn{}, fEntriesClass);
  switch (action) {
    case a_deleting:
    case a_matching:
      CaptureFlags(*this, ToVector(indexes), action, h->entries);
      break;
    case a_joining:
      h->lemmatised_before = StoredListInfo->fdata.lemmatised;
      h->n_texts_checked_before = StoredListInfo->fdata.n_texts_checked;
      CaptureJoin(*this, ToVector(indexes), h->entries);
      break;
    case a_zapping:
      h->zapped = std::make_unique<TZapHolderList>();
      break;
    case a_editing:
      break;
  }
  UndoList->InsertAHolder(std::move(h));
  ReportUnOrRedoAction(UndoList->fUndoActions->GetTopActionName(), false, UndoList->fUndoActions->Count());
}

void TQMBaseDataClass::ReportUnOrRedoAction(const String& name, bool isRedo, Int32 count) {
  if (!fOnReportUnOrRedoAction) return;
  const String text =
      Format(LoadResString(isRedo ? &_QMReX : &_QMUnX), {name.empty() ? LoadResString(&_QMdo) : name});
  fOnReportUnOrRedoAction(text, isRedo, count);
}

// ---- undo and redo ------------------------------------------------------------------

namespace {

// Undoes a join: each member still in the list leaves the head's join list
// with the entries it brought, which go back to its own join list; the
// head's other joins stay. Members no longer in the list are left as they
// are.
bool UndoJoin(TQMBaseDataClass& list, TUnOrReDoActionHolder& h) {
  const std::vector<TUndoEntryRec>& recs = h.entries;
  if (recs.empty()) return false;
  list.StoredListInfo->fdata.lemmatised = h.lemmatised_before;
  list.StoredListInfo->fdata.n_texts_checked = h.n_texts_checked_before;
  const TIdentityPlaces places(list, recs);
  const Int32 headIndex = places.IndexOf(recs[0].identity);
  if (headIndex < 0) return false;
  TQMBaseListObject* head = list.Get(headIndex);
  TJoinList* j = head->OwnJoinlist();
  if (j == nullptr || j->Count() == 0) return false;
  std::unordered_map<UInt64, Int32> placeInJoin;
  for (Int32 k = 0; k < j->Count(); ++k)
    if (const TQMBaseListObject* x = j->Items(k)) placeInJoin.emplace(x->Identity(), k);
  std::vector<uint8_t> goes(static_cast<size_t>(j->Count()), 0);
  bool any = false;
  size_t r = 1;
  while (r < recs.size()) {
    const TUndoEntryRec& m = recs[r];
    const size_t brought = static_cast<size_t>(std::max(m.n, 0));
    const size_t next = std::min(recs.size(), r + 1 + brought);
    MyYieldProcess();
    const Int32 mi = places.IndexOf(m.identity);
    auto mp = placeInJoin.find(m.identity);
    if (mi >= 0 && mp != placeInJoin.end() && goes[static_cast<size_t>(mp->second)] == 0) {
      TQMBaseListObject* member = list.Get(mi);
      goes[static_cast<size_t>(mp->second)] = 1;
      member->EnsurePrivateObjExists();
      if (!member->privateobj->joinlist) member->privateobj->joinlist = std::make_unique<TDerivedJoinlist>();
      TJoinList* own = member->privateobj->joinlist.get();
      for (size_t b = r + 1; b < next; ++b) {
        auto bp = placeInJoin.find(recs[b].identity);
        if (bp == placeInJoin.end() || goes[static_cast<size_t>(bp->second)] != 0) continue;
        goes[static_cast<size_t>(bp->second)] = 1;
        if (j->Owns(bp->second))
          own->AddOwned(j->Items(bp->second));
        else
          own->Add(j->Items(bp->second));
      }
      SetJoinedElsewhere(member, m.before != 0);
      any = true;
    }
    r = next;
  }
  if (any) {
    // Rebuild the head's join list without the places that went back.
    std::vector<std::pair<TQMBaseListObject*, bool>> kept;
    for (Int32 k = 0; k < j->Count(); ++k)
      if (goes[static_cast<size_t>(k)] == 0) kept.emplace_back(j->Items(k), j->Owns(k));
    j->Clear();
    for (const auto& [x, owned] : kept) owned ? j->AddOwned(x) : j->Add(x);
    list.ListModified.Include(mod_lemmatising);
  }
  return any;
}

// The indexes now of the entries a record names that are still in the list
// (for a join: only when the head is, skipping members joined elsewhere).
std::vector<Int32> CurrentIndexes(const TQMBaseDataClass& list, const TUnOrReDoActionHolder& h) {
  std::vector<Int32> out;
  const TIdentityPlaces places(list, h.entries);
  if (h.action != a_joining) {
    for (const TUndoEntryRec& r : h.entries) {
      const Int32 i = places.IndexOf(r.identity);
      if (i >= 0) out.push_back(i);
    }
    return out;
  }
  if (h.entries.empty()) return out;
  const Int32 head = places.IndexOf(h.entries[0].identity);
  if (head < 0 || list.Get(head)->JoinedElsewhere()) return out;
  out.push_back(head);
  std::unordered_set<Int32> seen{head};
  size_t r = 1;
  while (r < h.entries.size()) {
    const TUndoEntryRec& m = h.entries[r];
    const Int32 i = places.IndexOf(m.identity);
    if (i >= 0 && !list.Get(i)->JoinedElsewhere() && seen.insert(i).second) out.push_back(i);
    r += 1 + static_cast<size_t>(std::max(m.n, 0));
  }
  return out;
}

}  // namespace

bool TQMSister::Undo() {
  if (!UndoList || UndoList->fUndoActions->Count() == 0) return false;
  TUnOrReDoActionHolder& h = *UndoList->fUndoActions->Items(0);
  bool ok = false;
  switch (h.action) {
    case a_editing: {
      const TIdentityPlaces places(*this, h.entries);
      const Int32 i = h.entries.empty() ? -1 : places.IndexOf(h.entries[0].identity);
      if (i >= 0) {
        SetSomeWordAsString(i, h.entrycol.column, h.old_text);
        ok = true;
      }
      break;
    }
    case a_deleting:
    case a_matching: {
      const TIdentityPlaces places(*this, h.entries);
      // Newest first, so that an entry named twice ends as it was before.
      for (auto r = h.entries.rbegin(); r != h.entries.rend(); ++r) {
        const Int32 i = places.IndexOf(r->identity);
        if (i < 0) continue;
        if (h.action == a_deleting)
          SetDeleted(i, r->before != 0);
        else
          SetMatched(i, r->before != 0);
        ok = true;
      }
      if (h.action == a_matching) {
        DoASort(-1, 0, fCount - 1);
        ok = true;
      }
      break;
    }
    case a_zapping:
      ok = UnZap(h.zapped.get());
      break;
    case a_joining:
      ok = UndoJoin(*this, h);
      break;
  }
  UndoList->MoveTopUndoToRedo();
  ReportUnOrRedoAction(UndoList->fUndoActions->GetTopActionName(), false, UndoList->fUndoActions->Count());
  ReportUnOrRedoAction(UndoList->fRedoActions->GetTopActionName(), true, UndoList->fRedoActions->Count());
  return ok;
}

bool TQMSister::Redo() {
  if (!UndoList || UndoList->fRedoActions->Count() == 0) return false;
  TUnOrReDoActionHolder& h = *UndoList->fRedoActions->Items(0);
  bool ok = false;
  switch (h.action) {
    case a_zapping:
      ok = PrivateZap(h.zapped.get());
      break;
    case a_editing:
      break;
    case a_deleting:
    case a_matching:
    case a_joining: {
      // Done again on the entries still in the list, their state taken
      // afresh so that a later undo returns to it.
      const std::vector<Int32> now = CurrentIndexes(*this, h);
      std::vector<TUndoEntryRec> fresh;
      if (h.action == a_joining) {
        if (now.size() >= 2) {
          h.lemmatised_before = StoredListInfo->fdata.lemmatised;
          h.n_texts_checked_before = StoredListInfo->fdata.n_texts_checked;
          CaptureJoin(*this, now, fresh);
          ok = JoinIndexes(*this, now);
        }
      } else {
        CaptureFlags(*this, now, h.action, fresh);
        ok = h.action == a_deleting ? DeleteIndexes(*this, now, h.flag) : MatchIndexes(*this, now, h.flag);
      }
      h.entries.swap(fresh);
      break;
    }
  }
  UndoList->MoveTopRedoToUndo();
  ReportUnOrRedoAction(UndoList->fRedoActions->GetTopActionName(), true, UndoList->fRedoActions->Count());
  ReportUnOrRedoAction(UndoList->fUndoActions->GetTopActionName(), false, UndoList->fUndoActions->Count());
  return ok;
}

// ---- lemma information --------------------------------------------------------------

std::vector<TWord_entry_String_rec> TQMBaseDataClass::JoinedWordData(Int32 index) {
  std::vector<TWord_entry_String_rec> out;
  const TJoinList* j = Get(index)->OwnJoinlist();
  if (j == nullptr) return out;
  for (Int32 k = 0; k < j->Count(); ++k)
    if (TQMBaseListObject* x = j->Items(k)) out.push_back(x->JoinedWordDatum());
  return out;
}

void TQMBaseDataClass::PopulateAStringlistWithLemmaInfo(TStringlistWithALongint* list, Int32 index, bool add,
                                                        const TRowAndStringlistProc& callback) {
  if (add && list != nullptr) {
    const Int64 f = GetMainWordFrequency(index);
    list->AddOne(GetSomeWordAsString(index, MainWordColumn()),
                 static_cast<Int32>(std::clamp<Int64>(f, std::numeric_limits<Int32>::min(),
                                                      std::numeric_limits<Int32>::max())));
  }
  if (callback) callback(index, list);
}

std::unique_ptr<TStringList> TQMBaseDataClass::LemmaListFromThisList() { return std::make_unique<TStringList>(); }

bool TQMBaseDataClass::CanEdit(Int32 column) {
  const bool editable =
      fGridHeadings && column >= 0 && column < fGridHeadings->Count() && fGridHeadings->GetEditable(column) != ed_nao_pode;
  fColumnBeingEdited = editable ? column : -1;
  return editable;
}

}  // namespace sk
