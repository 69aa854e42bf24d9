// The library's string lists.
//
// TUTF8Stringlist is the string list used everywhere for lines of text: its
// default encoding is UTF-8, and loading it from a stream finds the encoding
// from a byte-order mark (UTF-8, UTF-16LE, UTF-16BE; UTF-8 without one, ANSI
// for bytes that are not valid UTF-8). A loaded list keeps UTF-16LE as its
// encoding, so it saves as UTF-16LE with its mark; a list never loaded saves
// as UTF-8 with its mark.
//
// TIndexCheckStringlist owns one object per line: a line's object is freed
// exactly once, by FreeAndNilOne, when the line is deleted or the list is
// cleared or destroyed. Its stream form (little-endian) is
//   Int32 count N, then N items, each written by the class's SaveOneItem
// and read back by its LoadOneItem; reading appends to the lines held. The
// members with an item form are TStringlistWithALongint (stored string, then
// Int32), TStringListWith2IntsAndSingle (stored string, then long0, long1 as
// Int32 and s as a 32-bit float) and TSaveStringList (stored string); every
// other member writes the count alone and reads no lines back.
//
// Readers never trust the count: each item is checked against the bytes that
// remain, and a stream that ends inside the items raises the file-read-error
// exception, the lines read before it staying in the list.
//
// The lists' own sorts order them on another key than the one the platform
// list's lookups search by halving, so they clear the Sorted mark; lookups
// then scan instead of missing lines. Sorts set global_reversed_sort where
// they take a direction, so they are neither re-entrant nor concurrent.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_compare.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_longint.h"
#include "core/Useful_classes_base_records.h"
#include "core/Useful_classes_stringlist_sorts.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Streams.h"

namespace sk {

// ---- TUTF8Stringlist ---------------------------------------------------------

class TUTF8Stringlist : public TStringList {
 public:
  TUTF8Stringlist();

  using TStringList::LoadFromStream;
  // Replaces the lines with the text from the stream's position to its end,
  // decoded by its byte-order mark (without one as UTF-8, or in the ANSI
  // code page when the bytes are not UTF-8); the list's encoding becomes
  // UTF-16LE.
  void LoadFromStream(TStream* stream) override;
  // Without an encoding (LoadFromFile(name) comes here), the text is read
  // as above, so that a file loads as its stream does; with one, the bytes
  // are read in it.
  void LoadFromStream(TStream* stream, TEncoding* enc) override;

 protected:
  // The detecting load of LoadFromStream(stream), which descendants with a
  // stream format of their own still reach for text files.
  void LoadDetectedText(TStream* stream);

  // Every sort of the library's lists yields and stops as the library's
  // sorts do (NewLibrarySortCheckPoint), also before the library has started.
  TSortCheckPoint SortCheckPoint() const override { return NewLibrarySortCheckPoint(); }
};

// ---- TIndexCheckStringlist ---------------------------------------------------

class TIndexCheckStringlist : public TUTF8Stringlist {
 public:
  TIndexCheckStringlist() = default;
  ~TIndexCheckStringlist() override;

  // 0 <= index < Count.
  bool IndexAssignedOK(Int32 index) const { return index >= 0 && index < GetCount(); }

  // Unmarks the list as sorted, deletes every line through Delete (so each
  // object is freed), then clears.
  void Clear() override;
  // Frees the line's object through FreeAndNilOne, then deletes the line. An
  // invalid index raises the platform list's index error.
  void Delete(Int32 index) override;
  // Deletes the lines from the last down to index n; nothing when Count <= n.
  // A negative n counts as 0.
  void ReduceTo(Int32 n);
  // Exchanges lines i and Count-1-i below the middle.
  void ReverseTheSort();
  // For each i: j := a random index below Count; exchanges lines i and j when
  // they differ. The generator is the process's and is not seeded here.
  void PutInRandomOrder();

  // A list already marked sorted is in this order and is left alone.
  void Sort() override;
  // Sorts with the comparer (also on a list marked sorted) and unmarks it.
  void CustomSort(TStringListSortCompare compare) override;
  template <class F>
    requires(!std::is_convertible_v<F, TStringListSortCompare> &&
             std::is_invocable_r_v<Int32, F, TStringList*, Int32, Int32>)
  void CustomSort(F&& compare) {
    fSorted = false;
    CustomSortFunc(TStringListSortCompareFunc(std::forward<F>(compare)));
  }

  using TUTF8Stringlist::LoadFromStream;
  using TUTF8Stringlist::SaveToStream;
  // Int32 count, then LoadOneItem once per item (appending). A stream too
  // short for the count loads nothing; a count of 0 or less loads nothing.
  void LoadFromStream(TStream* stream) override;
  // Int32 Count, then SaveOneItem for each line in order.
  void SaveToStream(TStream* stream) override;

  // Free line index's object and set it to nil; read one item and append it;
  // write line index's item. All three do nothing here.
  virtual void FreeAndNilOne(Int32 index);
  virtual void LoadOneItem(TStream* stream, Int32 index);
  virtual void SaveOneItem(TStream* stream, Int32 index);

 protected:
  // Lines' objects belong to their list: lines copied in from another list
  // (AddStrings, Assign) come without objects, never sharing one.
  TObject* AdoptedObject(TObject* obj) const override;

  // Frees line index's object (whatever its class) after setting it to nil.
  void FreeLineObject(Int32 index);

  // Line index's object as a THolder; nullptr for an invalid index, a line
  // without an object or an object of another class.
  template <class THolder>
  THolder* HeldAt(Int32 index) const {
    if (!IndexAssignedOK(index)) return nullptr;
    return dynamic_cast<THolder*>(GetObject(index));
  }

  // Line index's holder, attaching a new one made from value when the line
  // has no object; nullptr for an invalid index or a foreign object.
  template <class THolder, class TValue>
  THolder* HeldOrNew(Int32 index, const TValue& value) {
    if (!IndexAssignedOK(index)) return nullptr;
    TObject* obj = GetObject(index);
    if (obj == nullptr) {
      auto holder = std::make_unique<THolder>(value);
      PutObject(index, holder.get());
      return holder.release();
    }
    return dynamic_cast<THolder*>(obj);
  }

  // Adds s with a new THolder made from value; returns the line's index. When
  // the list takes no new line (a sorted list that ignores duplicates), the
  // holder is freed at once.
  template <class THolder, class TValue>
  Int32 AddHeld(const String& s, const TValue& value) {
    auto holder = std::make_unique<THolder>(value);
    const Int32 r = AddObject(s, holder.get());
    if (IndexAssignedOK(r) && GetObject(r) == holder.get()) holder.release();
    return r;
  }

  // Sorts with one of the comparers over the line objects, unmarking the list.
  void SortWith(TStringListSortCompare compare) { CustomSort(compare); }

  // Frees the objects still held by gathered lines (those the list did not take).
  static void DeleteObjectsOf(std::vector<Item>& lines);
  // AddSortedLinesInBulk for lines whose objects belong to the list: the
  // objects of lines left out are freed, also when dupError raises.
  void AddOwnedLinesInBulk(std::vector<Item>& lines);
};

// ---- Lookups by collation key ------------------------------------------------

// The collation key of s under a string list's case rule (AnsiCompareText, or
// AnsiCompareStr when case-sensitive) in the locale of the moment: two texts
// have the same key exactly when the rule finds them equal.
std::string LineCollationKey(const String& s, bool caseSensitive);

// An index of the lines of an unsorted string list (or of a key text of each
// line, such as its name) by collation key, answering what a scan from the
// first line answers, the first line whose key text the case rule finds equal
// to the one asked, at the cost of a hash lookup. Its owner says when the
// lines change (Invalidate; lines appended at the end need nothing) and hands
// each lookup the list's size and a reader of line i's key text. The index
// remembers the rule and the locale it was built under and is rebuilt when
// either differs. After Invalidate the first lookup scans as the list would
// (so that a list changed between every two lookups costs what it did), and
// the next one builds the index.
class TLineKeyIndex {
 public:
  // Line i's key text into text; false for a line without one (skipped).
  using TKeyText = std::function<bool(Int32 i, String& text)>;
  // The list's own test of two key texts, used by the scan.
  using TSameText = std::function<bool(const String& a, const String& b)>;

  void Invalidate();
  // The first of lines 0..count-1 whose key text equals s by the rule; -1
  // when none does. Lines the index holds must be unchanged since it took
  // them, except that lines may have been added after them.
  Int32 Find(const String& s, Int32 count, bool caseSensitive, const TKeyText& keyText, const TSameText& same);

 private:
  // Lines 0..fIndexed-1 are in the index, each under its key (the first of
  // equal lines only), under the rule and locale named; fExact caches the
  // answers found for texts asked before.
  std::unordered_map<std::string, Int32> fFirst;
  std::unordered_map<String, Int32> fExact;
  Int32 fIndexed = 0;
  bool fValid = false;
  bool fScanNext = true;
  bool fCaseSensitive = false;
  std::string fLocale;
};

// A string list whose IndexOf, while the list is not marked sorted, answers
// from a TLineKeyIndex of its lines (the same line a scan finds, the first
// equal one). Every change of the lines other than Add at the end makes the
// index stale. Base must keep TStringList::CompareStrings.
template <class Base>
class TLineKeyIndexed : public Base {
 public:
  using Base::Base;

  Int32 IndexOf(const String& s) const override {
    if (this->Sorted()) return Base::IndexOf(s);
    return fKeys.Find(
        s, this->GetCount(), this->CaseSensitive(),
        [this](Int32 i, String& text) {
          text = this->fItems[static_cast<size_t>(i)].s;
          return true;
        },
        [this](const String& a, const String& b) { return this->CompareStrings(a, b) == 0; });
  }

  Int32 AddObject(const String& s, TObject* obj) override {
    Int32 r = -1;
    {
      TAppendScope scope(fAppending);
      r = Base::AddObject(s, obj);
    }
    // A line placed before others (a sorted list) moves the later lines.
    if (r != this->GetCount() - 1) fKeys.Invalidate();
    return r;
  }
  using Base::Add;

  // Goes up at every change of the lines or their objects, appends included,
  // for owners that keep facts about the lines beside them.
  UInt64 ChangeCount() const { return fChanges; }

 protected:
  void Changing() override {
    ++fChanges;
    if (!fAppending) fKeys.Invalidate();
    Base::Changing();
  }
  void Changed() override {
    if (!fAppending) fKeys.Invalidate();
    Base::Changed();
  }

 private:
  class TAppendScope {
   public:
    explicit TAppendScope(bool& flag) : fFlag(flag) { fFlag = true; }
    ~TAppendScope() { fFlag = false; }
    TAppendScope(const TAppendScope&) = delete;
    TAppendScope& operator=(const TAppendScope&) = delete;

   private:
    bool& fFlag;
  };
  mutable TLineKeyIndex fKeys;
  UInt64 fChanges = 0;
  bool fAppending = false;
};

// A TUTF8Stringlist whose lookups use a TLineKeyIndex.
using TKeyIndexedStringlist = TLineKeyIndexed<TUTF8Stringlist>;

// ---- TIndexCheckList ---------------------------------------------------------

// Comparer of two pointers of a TIndexCheckList: < 0 when item1 goes first.
using TListSortCompare = std::function<Int32(Pointer item1, Pointer item2)>;

// A list of pointers it does not own, with an index test and an in-place
// reversal. An invalid index raises EListError "List index out of bounds (%d)".
class TIndexCheckList : public TObject {
 public:
  TIndexCheckList() = default;
  TIndexCheckList(const TIndexCheckList&) = delete;
  TIndexCheckList& operator=(const TIndexCheckList&) = delete;
  ~TIndexCheckList() override = default;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  Pointer Items(Int32 index) const;
  void Put(Int32 index, Pointer item);
  Int32 Add(Pointer item);
  void Insert(Int32 index, Pointer item);
  virtual void Delete(Int32 index);
  virtual void Clear();
  void Exchange(Int32 index1, Int32 index2);
  Int32 IndexOf(Pointer item) const;
  // The library quicksort over the pointers; it yields and stops as the
  // library's sorts do (NewLibrarySortCheckPoint). False when a Stop ended it
  // early (the pointers then in a partly sorted order, each still there once).
  bool Sort(const TListSortCompare& compare);

  // 0 <= index < Count.
  bool IndexAssignedOK(Int32 index) const { return index >= 0 && index < Count(); }
  // Exchanges items i and Count-1-i below the middle.
  void ReverseTheSort();

 protected:
  void CheckIndex(Int32 index) const;
  std::vector<Pointer> fItems;
};

// ---- TBaseAcceptableCheckStringlist ------------------------------------------

// Setting its text keeps only the lines that AcceptableString accepts.
class TBaseAcceptableCheckStringlist : public TIndexCheckStringlist {
 public:
  TBaseAcceptableCheckStringlist() = default;
  ~TBaseAcceptableCheckStringlist() override;

  // Clears the list (freeing objects), cuts the text into lines (see
  // TStringlistWithALongint::SetTextStr for the breaks) and adds each line
  // that AcceptableString accepts, as it may have rewritten it.
  void SetTextStr(const String& text) override;
  // May rewrite s; true when the line is to be kept. True here.
  virtual bool AcceptableString(String& s);
};

// ---- TSaveStringList ---------------------------------------------------------

// Streamed as Int32 Count, then each line as a stored string; lines carry no
// objects.
class TSaveStringList : public TIndexCheckStringlist {
 public:
  TSaveStringList() = default;
  ~TSaveStringList() override;

  using TIndexCheckStringlist::LoadFromStream;
  using TIndexCheckStringlist::SaveToStream;
  // Reads N, then N stored strings, each appended with Add. A stored string
  // that fails its checks, or a stream that ends before N strings, raises the
  // file-read-error exception (the lines read before it stay).
  void LoadFromStream(TStream* stream) override;
  // A write that fails raises EWriteError.
  void SaveToStream(TStream* stream) override;
  // True when LoadFromStream / SaveToStream return; their exceptions pass on.
  bool ReadFromStream(TStream* stream);
  bool SavedToStream(TStream* stream);
};

// ---- The string lists with a value per line ----------------------------------
//
// Each line owns one holder made by AddOne. GetOne and the record getters
// answer a zero value for an invalid index or a line without a holder; SetOne
// ignores an invalid index (a line without a holder gets one). The lists that
// find a word's line before adding to it (AddOrIncFreq and the like) look
// lines up through a TLineKeyIndex while they are not marked sorted.

class TStringlistWithALongint;

// A handler given a row number and such a list.
using TRowAndStringlistProc = std::function<void(Int32 Arow, TStringlistWithALongint* aList)>;

class TStringlistWithALongint : public TLineKeyIndexed<TIndexCheckStringlist> {
 public:
  TStringlistWithALongint() = default;
  ~TStringlistWithALongint() override;

  Int32 AddOne(const String& s, Int32 value);
  // AddOne for lines that mostly arrive in the list's order: on a sorted list
  // a line that sorts after the last one is appended after one comparison
  // instead of a search by halving; any other line goes through AddOne.
  Int32 AddOneInOrder(const String& s, Int32 value);
  Int32 GetOne(Int32 index) const;
  void SetOne(Int32 index, Int32 value);
  // Adds n to the value of the line equal to s (IndexOf, so the list's sorted
  // and case rules apply), or adds s with n; returns the line's index.
  Int32 AddOrIncFreq(const String& s, Int32 n);
  Int32 AddOrIncByOne(const String& s);
  // The largest value, starting from 0 (so 0 for an empty list or when every
  // value is negative).
  Int32 HighestFrequency() const;
  TStringAndIntegerRec GetAStringAndIntRec(Int32 index) const;
  // The line, a TAB and the value in decimal; empty for an invalid index.
  String GetDataAsTabbedString(Int32 index) const;

  // Clears the list and adds the text's lines. With LineBreak CR LF a line
  // ends at CR, LF or CR LF; otherwise the text is cut at each LineBreak.
  // A line "text TAB number" (text not empty) is added as text with number;
  // any other line is added whole with -1.
  void SetTextStr(const String& text) override;

  // Value descending, then line ascending.
  void SortOnFreq();

  void FreeAndNilOne(Int32 index) override;
  // The line as a stored string, then the value as Int32.
  void LoadOneItem(TStream* stream, Int32 index) override;
  void SaveOneItem(TStream* stream, Int32 index) override;
};

class TStringListWithASingle : public TLineKeyIndexed<TIndexCheckStringlist> {
 public:
  TStringListWithASingle() = default;
  ~TStringListWithASingle() override;

  Int32 AddOne(const String& s, Single value);
  Single GetOne(Int32 index) const;
  void SetOne(Int32 index, Single value);
  // The line equal to s gets 1.0 added to its value (in double precision,
  // stored as Single); otherwise s is added with value. Returns the index.
  Int32 AddOrIncByOne(const String& s, Single value);
  // Value descending; equal values in no particular order.
  void SortOnFreq();

  void FreeAndNilOne(Int32 index) override;
};

class TStringListWith2LongintRec : public TIndexCheckStringlist {
 public:
  TStringListWith2LongintRec() = default;
  ~TStringListWith2LongintRec() override;

  Int32 AddOne(const String& s, const T2_longint_rec& value);
  T2_longint_rec GetOne(Int32 index) const;
  void SetOne(Int32 index, const T2_longint_rec& value);
  // Adds n to long1 when which is t2_long1, else to long0; an invalid index
  // is ignored.
  void AddToOneFreq(Int32 index, Int32 n, T2LongintSort which);
  void IncOne(Int32 index, T2LongintSort which);
  // The number of lines whose chosen field is above 1.
  Int32 Repeateds(T2LongintSort which) const;
  // An invalid index is ignored.
  void Delete(Int32 index) override;
  // The chosen field descending, the other ascending, then the line.
  void SortOnFreq(T2LongintSort which);

  void FreeAndNilOne(Int32 index) override;
};

class TStringListWithIntAndSingle : public TIndexCheckStringlist {
 public:
  TStringListWithIntAndSingle() = default;
  ~TStringListWithIntAndSingle() override;

  Int32 AddOne(const String& s, const TIntegerAndSingleRec& value);
  TIntegerAndSingleRec GetOne(Int32 index) const;
  void SetOne(Int32 index, const TIntegerAndSingleRec& value);
  TStringIntegerAndSingleRec GetOneStrIntSingle(Int32 index) const;

  void SortOnInt(bool ascending);
  void SortOnSingleSort2Int(bool ascending);
  void SortOnSingleSort2String(bool ascending);
  void SortOnStrings(bool ascending);

  void FreeAndNilOne(Int32 index) override;
};

class TStringListWith2IntsAndSingle : public TIndexCheckStringlist {
 public:
  TStringListWith2IntsAndSingle() = default;
  ~TStringListWith2IntsAndSingle() override;

  Int32 AddOne(const String& s, const T2LongintAndSingleRec& value);
  T2LongintAndSingleRec GetOne(Int32 index) const;
  void SetOne(Int32 index, const T2LongintAndSingleRec& value);
  TString2IntsAndSingleRec GetOneStrIntsSingle(Int32 index) const;

  // The integer sorts store which integer the comparer reads.
  void SortOn_Int(T2LongintSort which, bool ascending);
  void SortOnSingle_Sort2Int(T2LongintSort which, bool ascending);
  void SortOnSingle_Sort2String(bool ascending);
  void SortOnStrings(bool ascending);

  void FreeAndNilOne(Int32 index) override;
  // The line as a stored string, then long0, long1 (Int32) and s (32-bit
  // float), 12 bytes.
  void LoadOneItem(TStream* stream, Int32 index) override;
  void SaveOneItem(TStream* stream, Int32 index) override;
};

class TStringListWithStringAndMeanAndSD_rec : public TIndexCheckStringlist {
 public:
  TStringListWithStringAndMeanAndSD_rec() = default;
  ~TStringListWithStringAndMeanAndSD_rec() override;

  Int32 AddOne(const String& s, const TStringAndMeanAndSD_rec& value);
  TStringAndMeanAndSD_rec GetOne(Int32 index) const;
  void SetOne(Int32 index, const TStringAndMeanAndSD_rec& value);
  // Mean descending, then SD ascending.
  void SortOnMeans();

  void FreeAndNilOne(Int32 index) override;
};

class TStringListWithStringAndIntList : public TIndexCheckStringlist {
 public:
  TStringListWithStringAndIntList() = default;
  ~TStringListWithStringAndIntList() override;

  Int32 AddOne(const String& s, const TStringAndIntegerRec& value);
  TStringAndIntegerRec GetOne(Int32 index) const;
  void SetOne(Int32 index, const TStringAndIntegerRec& value);
  // On the record's integer, then its string.
  void SortOnInts();
  // On the record's string, then its integer.
  void SortOnSubStrings();

  void FreeAndNilOne(Int32 index) override;
};

class TStringListWithDate : public TIndexCheckStringlist {
 public:
  TStringListWithDate() = default;
  ~TStringListWithDate() override;

  Int32 AddOne(const String& s, TDateTime value);
  TDateTime GetOne(Int32 index) const;
  void SetOne(Int32 index, TDateTime value);
  // Date, then line.
  void SortOnDates(bool ascending);

  void FreeAndNilOne(Int32 index) override;
};

class TStringListWithString : public TIndexCheckStringlist {
 public:
  TStringListWithString() = default;
  ~TStringListWithString() override;

  Int32 AddOne(const String& s, const String& second);
  // The line (s0) and its second string (s1). An invalid index raises the
  // platform list's index error.
  T2_Strings GetOne(Int32 index) const;
  // Sets the line to s0 and its second string to s1. An invalid index raises
  // the platform list's index error.
  void SetOne(Int32 index, const T2_Strings& value);
  // On the lower-cased second strings (ordinal).
  void SortOnSubordinateStrings(bool ascending);

  void FreeAndNilOne(Int32 index) override;
};

// Each line owns a T1LongintList. Lines are looked up through a
// TLineKeyIndex while the list is not marked sorted.
class TStringListWithLongintList : public TLineKeyIndexed<TIndexCheckStringlist> {
 public:
  TStringListWithLongintList() = default;
  ~TStringListWithLongintList() override;

  // The line equal to s gets n in its list unless the list holds it already;
  // a new s gets a new list holding n. Returns the size of the line's list.
  Int32 AddOneOrAddToList(const String& s, Int32 n);
  // The same: n is appended to an existing line's list when the list lacks
  // it, and a value already held stays as it is.
  Int32 AddOrIncByOne(const String& s, Int32 n);
  // Line index's list (nullptr for a line without one). An invalid index
  // raises the platform list's index error.
  T1LongintList* GetOne(Int32 index) const;

  void FreeAndNilOne(Int32 index) override;

 private:
  // What the list last saw of a line's numbers, so that telling whether n is
  // there does not read them all: their count and last value (a list whose
  // count or last value has changed since, through GetOne, is read again),
  // whether they ascend (then n is found by halving, and a number above the
  // last is new at once) and, when they do not, the set of them.
  struct TNumbersSeen {
    Int32 count = -1;
    Int32 last = 0;
    bool ascending = true;
    std::unordered_set<Int32> values;
  };
  Int32 AddToLineList(const String& s, Int32 n);
  bool HoldsNumber(const T1LongintList& list, Int32 n);
  void NumberAppended(const T1LongintList& list, Int32 n);
  std::unordered_map<const T1LongintList*, TNumbersSeen> fSeen;
};

// Orders a TStringListWithLongintList by the size of each line's list, the
// longest first; no tie-break.
Int32 StringListWithLongintListSortOn_ListCounts(TStringList* list, Int32 index1, Int32 index2);

// Each line owns a T2LongintList of pairs.
class TStringListWith2LongintList : public TLineKeyIndexed<TIndexCheckStringlist> {
 public:
  TStringListWith2LongintList() = default;
  ~TStringListWith2LongintList() override;

  // Appends pair to the list of the line equal to s, making the line and its
  // list when s is new. Returns the size of the line's list.
  Int32 AddOrAddPair(const String& s, const T2_longint_rec& pair);
  // Line index's list; nullptr for an invalid index or a line without one.
  T2LongintList* GetOne(Int32 index) const;
  // Sorts each line's own list (the lines stay where they are): on long1 then
  // long0 for t2_long1, else on long0 then long1.
  void SortListOn(T2LongintSort which);

  void FreeAndNilOne(Int32 index) override;
};

// ---- Lists that derive directly from the platform list -----------------------

// Each line owns a string list.
class TStringListWithStringLists : public TStringList {
 public:
  TStringListWithStringLists();
  ~TStringListWithStringLists() override;

  // Adds line s with a new list (Sorted as asked) that holds first unless it
  // is empty; returns the new line's index.
  Int32 AddOne(const String& s, const String& first, bool sorted);
  // Adds s to line index's list (a line without one gets one). An invalid
  // index raises the platform list's index error.
  void AddToList(Int32 index, const String& s);
  // Line index's list (nullptr for a line without one). An invalid index
  // raises the platform list's index error.
  TStringList* GetAList(Int32 index) const;
  // Frees the line's list, then deletes the line.
  void Delete(Int32 index) override;
  // Frees every line's list, then clears.
  void Clear() override;

 protected:
  // Lines copied in from another list come without lists.
  TObject* AdoptedObject(TObject* obj) const override;
};

// Lines may carry a TNumberAndTotalHolder, owned by the list; other objects
// are the caller's.
class TNumberAndTotalStringlist : public TStringList {
 public:
  TNumberAndTotalStringlist() = default;
  ~TNumberAndTotalStringlist() override;

  // Frees the line's object when it is a TNumberAndTotalHolder, then deletes
  // the line.
  void Delete(Int32 index) override;
  // Frees every TNumberAndTotalHolder of the lines, then clears.
  void Clear() override;

 protected:
  // Lines copied in from another list come without its holders.
  TObject* AdoptedObject(TObject* obj) const override;
};

}  // namespace sk
