#include "analysis/Work_qm_base_entries.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

#include "analysis/Base_headingsu.h"
#include "analysis/Maths_routines.h"
#include "analysis/Work_qm_base_list.h"
#include "analysis/Work_qm_base_sister.h"
#include "core/Qm_specific_consts.h"

namespace sk {

// ---- TJoinList -----------------------------------------------------------------

TQMBaseListObject* TJoinList::Items(Int32 i) const {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  return fItems[static_cast<size_t>(i)];
}

TJoinList::~TJoinList() {
  for (size_t i = 0; i < fItems.size(); ++i)
    if (fOwned[i] != 0) delete fItems[i];
}

void TJoinList::Put(Int32 i, TQMBaseListObject* entry) {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  if (fItems[static_cast<size_t>(i)] != entry) fOwned[static_cast<size_t>(i)] = 0;
  fItems[static_cast<size_t>(i)] = entry;
}

Int32 TJoinList::Add(TQMBaseListObject* entry) {
  fItems.push_back(entry);
  fOwned.push_back(0);
  return Count() - 1;
}

Int32 TJoinList::AddOwned(TQMBaseListObject* entry) {
  fItems.push_back(entry);
  fOwned.push_back(1);
  return Count() - 1;
}

bool TJoinList::Owns(Int32 i) const {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  return fOwned[static_cast<size_t>(i)] != 0;
}

void TJoinList::SetOwns(Int32 i, bool owns) {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  fOwned[static_cast<size_t>(i)] = owns ? 1 : 0;
}

void TJoinList::Delete(Int32 i) {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  fItems.erase(fItems.begin() + i);
  fOwned.erase(fOwned.begin() + i);
}

std::vector<Int64> TDerivedJoinlist::AsArrayOfInt64s(Int64 first, Int32 limit) const {
  std::vector<Int64> arr;
  if (first != 0) arr.push_back(first);
  for (TQMBaseListObject* e : fItems) arr.push_back(e != nullptr ? e->MainWordFrequency() : 0);
  if (limit > 0 && arr.size() < static_cast<size_t>(limit)) arr.resize(static_cast<size_t>(limit), 0);
  if (limit >= 1 && arr.size() > static_cast<size_t>(limit)) {
    SortAnArrayOfInt64s(arr, true);
    arr.resize(static_cast<size_t>(limit));
  }
  return arr;
}

std::vector<Int32> TDerivedJoinlist::AsArrayOfIntegers(Int32 first, Int32 limit) const {
  std::vector<Int32> arr;
  if (first != 0) arr.push_back(first);
  for (TQMBaseListObject* e : fItems) {
    const Int64 f = e != nullptr ? e->MainWordFrequency() : 0;
    arr.push_back(static_cast<Int32>(
        std::clamp<Int64>(f, std::numeric_limits<Int32>::min(), std::numeric_limits<Int32>::max())));
  }
  if (limit > 0 && arr.size() < static_cast<size_t>(limit)) arr.resize(static_cast<size_t>(limit), 0);
  if (limit >= 1 && arr.size() > static_cast<size_t>(limit)) {
    SortAnArrayOfIntegers(arr, true);
    arr.resize(static_cast<size_t>(limit));
  }
  return arr;
}

// ---- TPrivateObj ---------------------------------------------------------------

TPrivateObj::TPrivateObj()
    : annotations(std::make_unique<TPrivateSetCols>()), joinlist(std::make_unique<TDerivedJoinlist>()) {}

TPrivateObj::~TPrivateObj() = default;

void TPrivateObj::ClearJoinList() {
  if (joinlist) joinlist->Clear();
  fdetails.join_created_in_load = 0;
}

// ---- TQMBaseListObject ---------------------------------------------------------

// The join list frees the entries it owns.
TQMBaseListObject::~TQMBaseListObject() = default;

UInt64 TQMBaseListObject::NewEntryIdentity() {
  static std::atomic<UInt64> last{0};
  return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

void TQMBaseListObject::EnsurePrivateObjExists() {
  if (!privateobj) privateobj = std::make_unique<TPrivateObj>();
}

TPrivateDetailsRec TQMBaseListObject::PrivateDetails() const {
  return privateobj ? privateobj->fdetails : TPrivateDetailsRec{};
}

bool TQMBaseListObject::IsDeleted() const { return privateobj && privateobj->fdetails.deleted != 0; }
bool TQMBaseListObject::IsMatched() const { return privateobj && privateobj->fdetails.matched != 0; }
bool TQMBaseListObject::JoinedElsewhere() const { return privateobj && privateobj->fdetails.joined_elsewhere != 0; }

Int32 TQMBaseListObject::JoinCount() const {
  return privateobj && privateobj->joinlist ? privateobj->joinlist->Count() : 0;
}

TMarkedF5Item TQMBaseListObject::IsMarked() const {
  return privateobj ? privateobj->fdetails.marcacao : marcado_clear;
}

TJoinList* TQMBaseListObject::OwnJoinlist() const { return privateobj ? privateobj->joinlist.get() : nullptr; }

void TQMBaseListObject::JoinFrom(TQMBaseListObject* other) {
  if (other == nullptr || other == this) return;
  EnsurePrivateObjExists();
  if (!privateobj->joinlist) privateobj->joinlist = std::make_unique<TDerivedJoinlist>();
  privateobj->joinlist->Add(other);
  if (other->privateobj && other->privateobj->joinlist) {
    TJoinList* theirs = other->privateobj->joinlist.get();
    for (Int32 i = 0; i < theirs->Count(); ++i) {
      if (theirs->Owns(i))
        privateobj->joinlist->AddOwned(theirs->Items(i));
      else
        privateobj->joinlist->Add(theirs->Items(i));
    }
    theirs->Clear();
  }
  other->EnsurePrivateObjExists();
  other->privateobj->fdetails.joined_elsewhere = 1;
}

void TQMBaseListObject::AddPrivateJoinInstance(TQMBaseListObject* entry) {
  EnsurePrivateObjExists();
  if (!privateobj->joinlist) privateobj->joinlist = std::make_unique<TDerivedJoinlist>();
  privateobj->joinlist->AddOwned(entry);
  privateobj->fdetails.join_created_in_load = 1;
}

void TQMBaseListObject::SetABookMarknumber(Int32 n) {
  EnsurePrivateObjExists();
  privateobj->fdetails.bookmark = n;
}

void TQMBaseListObject::SetNotForSaving(bool flag) {
  EnsurePrivateObjExists();
  privateobj->fdetails.not_for_saving = flag ? 1 : 0;
}

void TQMBaseListObject::SetCategory(const TStringTrueColumnAndColourRec& rec) {
  EnsurePrivateObjExists();
  const Int32 i = privateobj->annotations->IndexOfTrueColumn(rec.true_column_number);
  if (i >= 0)
    privateobj->annotations->SetAStringColumnAndColour(i, rec);
  else
    privateobj->annotations->AddOne(rec);
}

void TQMBaseListObject::SetCategoryColour(TColor colour, Int32 trueColumn) {
  EnsurePrivateObjExists();
  const Int32 i = privateobj->annotations->IndexOfTrueColumn(trueColumn);
  if (i >= 0) {
    privateobj->annotations->SetABackgroundColour(i, colour);
  } else {
    TStringTrueColumnAndColourRec rec{};
    rec.true_column_number = trueColumn;
    rec.background_colour = colour;
    privateobj->annotations->AddOne(rec);
  }
}

void TQMBaseListObject::SetCategoryString(const String& text, Int32 trueColumn) {
  if (text.empty()) return;
  EnsurePrivateObjExists();
  const Int32 i = privateobj->annotations->IndexOfTrueColumn(trueColumn);
  if (i >= 0) {
    privateobj->annotations->SetAString(i, text);
  } else {
    TStringTrueColumnAndColourRec rec{};
    rec.true_column_number = trueColumn;
    rec.s = text;
    privateobj->annotations->AddOne(rec);
  }
}

void TQMBaseListObject::ClearCategoryColour(Int32 trueColumn) {
  if (!privateobj) return;
  TPrivateSetCols* a = privateobj->annotations.get();
  if (trueColumn < 0) {
    for (Int32 i = 0; i < a->Count(); ++i) a->SetABackgroundColour(i, 0);
    return;
  }
  const Int32 i = a->IndexOfTrueColumn(trueColumn);
  if (i >= 0) a->SetABackgroundColour(i, 0);
}

bool TQMBaseListObject::ReadPrivateFromStream(TQMBaseDataClass* list, TStream* stream, const TStoredListInfo&) {
  EnsurePrivateObjExists();
  TPrivateDetailsRec rec{};
  if (stream->Read(&rec, sizeof rec) != static_cast<Int64>(sizeof rec)) return false;
  if (rec.sentinel != sentinel_const) return false;
  privateobj->fdetails = rec;
  privateobj->annotations->Clear();
  const bool ok = privateobj->annotations->LoadFromStream(stream);
  if (ok && rec.marcacao != marcado_clear && list != nullptr) ++list->MarcacoesExistentes;
  return ok;
}

bool TQMBaseListObject::SavePrivateToStream(TQMBaseDataClass*, TStream* stream, const TStoredListInfo&) {
  EnsurePrivateObjExists();
  TPrivateDetailsRec& rec = privateobj->fdetails;
  rec.sentinel = sentinel_const;
  if (rec.version < 1) rec.version = 1;
  static_assert(sizeof(TPrivateDetailsRec) == 32, "no padding: the record is written as held");
  const bool raw = stream->Write(&rec, sizeof rec) == static_cast<Int64>(sizeof rec);
  return raw && privateobj->annotations->SaveToStream(stream);
}

TWord_entry_String_rec TQMBaseListObject::JoinedWordDatum() {
  TWord_entry_String_rec rec{};
  rec.n_files = MainNTexts();
  rec.freq = MainWordFrequency();
  rec.dispersion = GetDispersion();
  rec.wds = MainWordStringTagArr();
  return rec;
}

bool TQMBaseListObject::MainWordCopiedToSetColumn() {
  if (Parent == nullptr) return false;
  const TQuillmarkList kind = Parent->fList_type;
  if (!ListHasASetColumn(kind)) return false;
  String words;
  for (const TStringTag& t : MainWordStringTagArr()) {
    if (!words.empty()) words += u" ";
    words += t.wrd;
  }
  SetCategoryString(words, PredefinedSetColumnNumber[kind]);
  return true;
}

std::unique_ptr<TStringlistWithALongint> TQMBaseListObject::GetSomeDataAsStringlistEachWithALongint(Int32) {
  return std::make_unique<TStringlistWithALongint>();
}

}  // namespace sk
