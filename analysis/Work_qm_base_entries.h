// The entries of a results list: the entry base class that every tool derives
// its entries from, the private part an entry creates when it first carries a
// special feature, and the join lists.
//
// Private-details stream of one entry: the 32 raw bytes of TPrivateDetailsRec
// (sentinel 6789, version at least 1), then the entry's annotations in the
// TStringColumnAndColourList form. Join lists are not stored.
#pragma once

#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Useful_classes_base.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

class TQMBaseHolder;
class TQMBaseDataClass;
class TQMSister;
class TQMBaseListObject;

// The entries joined under one entry, in the order joined. A place owns its
// entry when the entry lives nowhere else: one added while loading (see
// TQMBaseListObject::AddPrivateJoinInstance) or one the results list took
// out for good while joined here. Owned entries are freed with the list.
class TJoinList : public TObject {
 public:
  TJoinList() = default;
  TJoinList(const TJoinList&) = delete;
  TJoinList& operator=(const TJoinList&) = delete;
  ~TJoinList() override;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // The entry at i (nil for an emptied place); EListError outside the list.
  TQMBaseListObject* Items(Int32 i) const;
  // A new entry in place i is not owned.
  void Put(Int32 i, TQMBaseListObject* entry);
  Int32 Add(TQMBaseListObject* entry);
  Int32 AddOwned(TQMBaseListObject* entry);
  // Whether place i owns its entry; EListError outside the list.
  bool Owns(Int32 i) const;
  void SetOwns(Int32 i, bool owns);
  // Takes place i out; its entry is not freed.
  void Delete(Int32 i);
  // Empties the list; no entry is freed (free the owned ones first).
  void Clear() {
    fItems.clear();
    fOwned.clear();
  }

 protected:
  std::vector<TQMBaseListObject*> fItems;
  std::vector<uint8_t> fOwned;  // one per place
};

// A join list with its frequencies as arrays.
class TDerivedJoinlist : public TJoinList {
 public:
  // The MainWordFrequency of each joined entry, with first in front when it
  // is not 0; at least limit values (missing ones 0). With limit >= 1 and
  // more values than that, sorted descending and cut to limit values.
  std::vector<Int64> AsArrayOfInt64s(Int64 first, Int32 limit) const;
  // The same as 32-bit values (a frequency beyond the 32-bit range is held at
  // the range's limit).
  std::vector<Int32> AsArrayOfIntegers(Int32 first, Int32 limit) const;
};

// An edited cell's text (no behaviour of its own).
class TEditHolder : public TStringHolder {
 public:
  using TStringHolder::TStringHolder;
};

// An entry's category strings and colours, one per true column.
using TPrivateSetCols = TStringColumnAndColourList;

// The private part of an entry.
class TPrivateObj : public TObject {
 public:
  TPrivateObj();
  TPrivateObj(const TPrivateObj&) = delete;
  TPrivateObj& operator=(const TPrivateObj&) = delete;
  // Frees the annotations and the join list object (not the joined entries).
  ~TPrivateObj() override;

  // Empties the join list (no entry is freed: free the owned ones first)
  // and clears join_created_in_load.
  void ClearJoinList();

  TPrivateDetailsRec fdetails{};
  String last_edit;  // the text of the last edited cell before the edit
  std::unique_ptr<TPrivateSetCols> annotations;
  std::unique_ptr<TJoinList> joinlist;  // may be nil after SetJoinListAndDetails
};

// The class of a list's entries: makes a blank entry of the tool's class.
using TQMBaseListObjectClass = std::unique_ptr<TQMBaseListObject> (*)(TQMSister* parent, TQMBaseHolder* holder);

template <class T>
std::unique_ptr<TQMBaseListObject> NewQMBaseListObject(TQMSister* parent, TQMBaseHolder* holder) {
  return std::make_unique<T>(parent, holder);
}

// One entry of a results list. Without a private part it answers every
// special-feature question with false, 0 or nil.
class TQMBaseListObject : public TObject {
 public:
  TQMBaseListObject(TQMSister* parent, TQMBaseHolder* holder)
      : Granny(holder), Parent(parent), fIdentity(NewEntryIdentity()) {}
  TQMBaseListObject(const TQMBaseListObject&) = delete;
  TQMBaseListObject& operator=(const TQMBaseListObject&) = delete;
  ~TQMBaseListObject() override;

  void EnsurePrivateObjExists();
  bool PrivateObjExists() const { return privateobj != nullptr; }
  // A copy of the private details; all zero without a private part.
  TPrivateDetailsRec PrivateDetails() const;
  bool IsDeleted() const;
  bool IsMatched() const;
  bool JoinedElsewhere() const;
  bool HasJoined() const { return JoinCount() >= 1; }
  Int32 JoinCount() const;
  TMarkedF5Item IsMarked() const;
  TJoinList* OwnJoinlist() const;

  // This entry's join list gains other and every entry joined under other
  // (whose own join list is emptied; the places it owned are owned here);
  // other is then joined elsewhere.
  void JoinFrom(TQMBaseListObject* other);
  // Appends while loading joins: the join list owns the entry added.
  void AddPrivateJoinInstance(TQMBaseListObject* entry);
  void SetABookMarknumber(Int32 n);
  void SetNotForSaving(bool flag);
  void SetParentAs(TQMSister* sister) { Parent = sister; }

  // The annotation of that true column, a 0 background colour replaced by
  // the first colour of Global_Colours; without one, a record holding only
  // the first colour of the standard colours.
  TStringTrueColumnAndColourRec GetCategory(Int32 trueColumn);
  // Adds or replaces the annotation of rec's true column.
  void SetCategory(const TStringTrueColumnAndColourRec& rec);
  void SetCategoryColour(TColor colour, Int32 trueColumn);
  // Nothing for an empty text.
  void SetCategoryString(const String& text, Int32 trueColumn);
  // That column's colour := 0, or every annotation's when trueColumn < 0.
  void ClearCategoryColour(Int32 trueColumn);

  // The private-details stream (the private part is created first when it is
  // absent). Reading: false for fewer than 32 bytes or a sentinel other than
  // 6789 (the annotations are then not read); a marked entry read whole
  // raises the list's MarcacoesExistentes by one.
  bool ReadPrivateFromStream(TQMBaseDataClass* list, TStream* stream, const TStoredListInfo& storedInfo);
  bool SavePrivateToStream(TQMBaseDataClass* list, TStream* stream, const TStoredListInfo& storedInfo);

  // The entry's data, overridden by the tools; the base answers these.
  virtual bool IsCurrentGridRow() { return false; }
  virtual Int32 ClusterLength() { return 1; }
  virtual bool IsDuplicateOf(TQMBaseListObject*) { return false; }
  virtual Int64 FrequencyNum() { return 0; }
  virtual TNumberDisplayAndSinglesRec GetAValueAsSingle(Int32, Int32) { return {}; }
  virtual void SetAValueAsDouble(Int32, Int32, Double) {}
  virtual Single GetDispersion() { return 0.0f; }
  virtual TWord_entry_String_rec JoinedWordDatum();
  // With a set column in the list's kind: the main words joined by blanks
  // become that column's category string. Whether the kind has one.
  virtual bool MainWordCopiedToSetColumn();
  virtual Int32 MainNTexts() { return -999999; }
  virtual Single MainWordDispersion() { return 0.0f; }
  virtual Int64 JointFrequency() { return -999999; }
  virtual Int64 MainWordFrequency() { return -999999; }
  virtual Int32 MainWordLength() { return -999999; }
  virtual std::vector<TPcharTag> MainWordPcharTagArr() { return {}; }
  virtual std::vector<TStringTag> MainWordStringTagArr() { return {}; }
  virtual std::vector<TPcharTag> MainWord2PcharTagArr() { return {}; }
  virtual std::vector<TStringTag> MainWord2StringTagArr() { return {}; }
  virtual Double ColumnValue(Int32) { return 0.0; }
  virtual String GetAWordAsString(Int32) { return String(); }
  virtual String GetAWordAsString(Int32, Int32& n) {
    n = 0;
    return String();
  }
  virtual void SetAWordAsString(Int32, const String&) {}
  virtual String GetAPrefixAsString(Int32) { return String(); }
  virtual String GetASuffixAsString(Int32) { return String(); }
  virtual std::unique_ptr<TStringlistWithALongint> GetSomeDataAsStringlistEachWithALongint(Int32);
  virtual bool ReadFromStream(TStream*) { return true; }
  virtual bool SaveToStream(TStream*) { return true; }
  virtual void SetMainWordFreq(Int64) {}
  virtual Int32 ThisListsMainWordColumn() { return 1; }

  // A number no other entry of the process carries, now or later (a freed
  // entry's address may be reused; its identity is not): the undo records
  // keep entries by it.
  UInt64 Identity() const { return fIdentity; }
  static UInt64 NewEntryIdentity();

  TQMBaseHolder* Granny = nullptr;  // not owned
  std::unique_ptr<TPrivateObj> privateobj;
  TQMSister* Parent = nullptr;  // not owned

 private:
  UInt64 fIdentity;
};

}  // namespace sk
