// String lists: an abstract list of strings with one object per line
// (TStrings) and the concrete, sortable TStringList.
//
// Text forms: Text joins the lines with LineBreak (CR LF by default), with a
// break after the last line unless TrailingLineBreak is false; setting Text
// with the default LineBreak splits at CR LF, LF and CR.  DelimitedText and
// CommaText quote items that need it with QuoteChar.  Loading from a stream or
// file detects UTF-8, UTF-16LE and UTF-16BE byte-order marks; without one the
// bytes are read in DefaultEncoding.
//
// Dispatch of the load and save operations (subclasses override the one they
// need and should bring the other overloads into scope with `using`):
//   LoadFromFile(name)            -> LoadFromFile(name, nullptr)
//   LoadFromFile(name, enc)       -> LoadFromStream(stream, enc)
//   LoadFromStream(stream)        -> LoadFromStream(stream, nullptr)
//   SaveToFile(name)              -> SaveToFile(name, Encoding())
//   SaveToFile(name, enc)         -> SaveToStream(stream, enc)
//   SaveToStream(stream)          -> SaveToStream(stream, Encoding())
// Encodings are shared objects that the list never frees.
#pragma once

#include <functional>
#include <type_traits>
#include <vector>

#include "platform/runtime/Encoding.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/TieredVector.h"

namespace sk {

enum TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

class TStringList;

class TStrings : public TObject {
 public:
  TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;
  ~TStrings() override;

  // ---- storage (implemented by the concrete list) ----
  virtual Int32 GetCount() const = 0;
  virtual String Get(Int32 index) const = 0;
  virtual void Put(Int32 index, const String& s);
  virtual TObject* GetObject(Int32 index) const = 0;
  virtual void PutObject(Int32 index, TObject* obj) = 0;
  virtual void InsertObject(Int32 index, const String& s, TObject* obj) = 0;
  virtual void Insert(Int32 index, const String& s);
  virtual Int32 Add(const String& s);
  virtual Int32 AddObject(const String& s, TObject* obj);
  virtual void Delete(Int32 index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(Int32 index1, Int32 index2);
  virtual void Move(Int32 curIndex, Int32 newIndex);
  virtual Int32 IndexOf(const String& s) const;
  virtual Int32 IndexOfName(const String& name) const;
  virtual Int32 IndexOfObject(const TObject* obj) const;
  // Default comparison of lines: locale collation ignoring case.
  virtual Int32 CompareStrings(const String& a, const String& b) const;
  virtual Int32 GetCapacity() const { return GetCount(); }
  virtual void SetCapacity(Int32) {}

  Int32 Count() const { return GetCount(); }
  String operator[](Int32 index) const { return Get(index); }
  String Strings(Int32 index) const { return Get(index); }
  TObject* Objects(Int32 index) const { return GetObject(index); }
  Int32 Capacity() const { return GetCapacity(); }
  Int32 Append(const String& s) { return Add(s); }
  // Add the lines (with source's objects, as AdoptedObject hands them on) as
  // Add/AddObject would one by one; a list that takes lines at once (a sorted
  // TStringList) sorts them in with one sort, to the same result.
  void AddStrings(const TStrings& source);
  void AddStrings(const std::vector<String>& lines);
  // Copies lines, objects and the text settings of source.  A list that owns
  // its objects takes the lines only (objects nil), so that no object ever
  // has two owners.
  virtual void Assign(const TStrings& source);
  // Same number of lines and the same lines, compared exactly.
  bool Equals(const TStrings& other) const;

  // ---- text forms ----
  virtual String GetTextStr() const;
  virtual void SetTextStr(const String& text);
  String Text() const { return GetTextStr(); }
  void SetText(const String& text) { SetTextStr(text); }
  String DelimitedText() const;
  void SetDelimitedText(const String& text);
  String CommaText() const;
  void SetCommaText(const String& text);

  const String& LineBreak() const { return fLineBreak; }
  void SetLineBreak(const String& lb) { fLineBreak = lb; }
  Char Delimiter() const { return fDelimiter; }
  void SetDelimiter(Char c) { fDelimiter = c; }
  Char QuoteChar() const { return fQuoteChar; }
  void SetQuoteChar(Char c) { fQuoteChar = c; }
  bool StrictDelimiter() const { return fStrictDelimiter; }
  void SetStrictDelimiter(bool v) { fStrictDelimiter = v; }
  Char NameValueSeparator() const { return fNameValueSeparator; }
  void SetNameValueSeparator(Char c) { fNameValueSeparator = c; }
  bool TrailingLineBreak() const { return fTrailingLineBreak; }
  void SetTrailingLineBreak(bool v) { fTrailingLineBreak = v; }

  // ---- name=value lines ----
  // The part before the first separator; empty for a line without one.
  String Names(Int32 index) const;
  // The part after the first separator of the line named name; empty if none.
  String Values(const String& name) const;
  // A non-empty value replaces (or adds) the line; an empty one deletes it.
  // On a sorted list a new line goes to its sorted place, while replacing
  // raises as Put does, leaving the list unchanged.
  void SetValue(const String& name, const String& value);
  String ValueFromIndex(Int32 index) const;
  void SetValueFromIndex(Int32 index, const String& value);

  // ---- updates ----
  void BeginUpdate();
  void EndUpdate();
  Int32 UpdateCount() const { return fUpdateCount; }

  // ---- encodings and files ----
  // The encoding found by the last load (or set with SetEncoding); nullptr
  // before any load.
  TEncoding* Encoding() const { return fEncoding; }
  virtual void SetEncoding(TEncoding* enc);
  // The encoding for bytes without a byte-order mark and for saving a list
  // that was never loaded; TEncoding::Default() unless set.
  TEncoding* DefaultEncoding() const;
  void SetDefaultEncoding(TEncoding* enc);
  bool WriteBOM() const { return fWriteBOM; }
  void SetWriteBOM(bool v) { fWriteBOM = v; }

  virtual void LoadFromFile(const String& fileName);
  virtual void LoadFromFile(const String& fileName, TEncoding* enc);
  virtual void LoadFromStream(TStream* stream);
  virtual void LoadFromStream(TStream* stream, TEncoding* enc);
  virtual void SaveToFile(const String& fileName);
  virtual void SaveToFile(const String& fileName, TEncoding* enc);
  virtual void SaveToStream(TStream* stream);
  virtual void SaveToStream(TStream* stream, TEncoding* enc);

 protected:
  // Called with true when the first BeginUpdate starts a batch and with false
  // when the last EndUpdate ends it.
  virtual void SetUpdateState(bool updating);
  // Raises EStringListError with the message (a %d in it is replaced by data).
  [[noreturn]] static void Error(const char16_t* msg, Int32 data);
  // A shared encoding with the same meaning as enc (nullptr stays nullptr).
  static TEncoding* SharedEncoding(TEncoding* enc);
  String DelimitedTextWith(Char delimiter, Char quote) const;
  void SetDelimitedTextWith(const String& text, Char delimiter, Char quote);
  // The object that AddStrings / Assign attach to a copied line.
  virtual TObject* AdoptedObject(TObject* obj) const;
  // Calls onLine with each line of text as SetTextStr cuts it (LineBreak).
  void SplitText(const String& text, const std::function<void(String&&)>& onLine) const;
  // Whether AddStrings hands this list its lines at once (AddLinesAtOnce)
  // rather than one by one through AddObject.
  virtual bool TakesAddedLinesAtOnce() const { return false; }
  // Adds the lines, each with its object, as AddObject one by one would.
  virtual void AddLinesAtOnce(std::vector<std::pair<String, TObject*>>& lines);

  String fLineBreak = u"\r\n";
  Char fDelimiter = u',';
  Char fQuoteChar = u'"';
  Char fNameValueSeparator = u'=';
  bool fStrictDelimiter = false;
  bool fTrailingLineBreak = true;
  bool fWriteBOM = true;
  Int32 fUpdateCount = 0;
  TEncoding* fEncoding = nullptr;
  TEncoding* fDefaultEncoding = nullptr;
};

// Ends a BeginUpdate batch however the scope is left.
class TUpdateScope {
 public:
  explicit TUpdateScope(TStrings& s) : fStrings(s) { fStrings.BeginUpdate(); }
  ~TUpdateScope() { fStrings.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  TStrings& fStrings;
};

// Comparer for CustomSort: < 0 when line index1 goes before line index2.
using TStringListSortCompare = Int32 (*)(TStringList* list, Int32 index1, Int32 index2);
using TStringListSortCompareFunc = std::function<Int32(TStringList* list, Int32 index1, Int32 index2)>;

class TStringList : public TStrings {
 public:
  explicit TStringList(bool ownsObjects = false);
  ~TStringList() override;

  Int32 GetCount() const override { return static_cast<Int32>(fItems.size()); }
  String Get(Int32 index) const override;
  // Raises "Operation not allowed on sorted list" on a sorted list.
  void Put(Int32 index, const String& s) override;
  TObject* GetObject(Int32 index) const override;
  // Replaces the object without freeing the one it held.
  void PutObject(Int32 index, TObject* obj) override;
  Int32 Add(const String& s) override;
  // On a sorted list the line goes to its place: dupIgnore answers the index of
  // an equal line and adds nothing, dupError raises "String list does not
  // allow duplicates".  A line not added does not take obj, even on a list
  // that owns its objects: the caller still owns it (compare GetObject of the
  // answer with obj to tell).
  Int32 AddObject(const String& s, TObject* obj) override;
  // Raises "Operation not allowed on sorted list" on a sorted list.
  void Insert(Int32 index, const String& s) override;
  void InsertObject(Int32 index, const String& s, TObject* obj) override;
  // Frees the line's object when the list owns its objects.
  void Delete(Int32 index) override;
  void Clear() override;
  void Exchange(Int32 index1, Int32 index2) override;
  void Move(Int32 curIndex, Int32 newIndex) override;
  Int32 IndexOf(const String& s) const override;
  // Search by halving; assumes the list is sorted by CompareStrings.  Answers
  // whether an equal line exists and, in index, its position (the first of
  // equal lines under dupAccept) or the position where s would be inserted.
  virtual bool Find(const String& s, Int32& index) const;
  // CaseSensitive: locale collation (AnsiCompareStr); otherwise locale
  // collation ignoring case (AnsiCompareText).
  Int32 CompareStrings(const String& a, const String& b) const override;
  Int32 GetCapacity() const override { return static_cast<Int32>(fItems.capacity()); }
  void SetCapacity(Int32 capacity) override;

  // Sorts by CompareStrings, through CustomSort; equal lines keep their order.
  // A sort asks the list's check point (SortCheckPoint) as it goes; when that
  // ends it early, the lines keep the order they had and SortEndedEarly is
  // true until the next sort.
  virtual void Sort();
  // Sorts with the comparer; does nothing on a list marked Sorted (its order
  // belongs to CompareStrings) or with fewer than two lines. Ended early by
  // the check point, the lines are left in a partly sorted order (each line
  // still there once).
  virtual void CustomSort(TStringListSortCompare compare);
  void CustomSortFunc(const TStringListSortCompareFunc& compare);
  template <class F>
    requires(!std::is_convertible_v<F, TStringListSortCompare> &&
             std::is_invocable_r_v<Int32, F, TStringList*, Int32, Int32>)
  void CustomSort(F&& compare) {
    CustomSortFunc(TStringListSortCompareFunc(std::forward<F>(compare)));
  }

  bool Sorted() const { return fSorted; }
  // Whether the last sort was ended early by its check point.
  bool SortEndedEarly() const { return fSortEndedEarly; }
  // Setting it sorts the list; a sort ended early leaves it unsorted.
  virtual void SetSorted(bool value);
  TDuplicates Duplicates() const { return fDuplicates; }
  void SetDuplicates(TDuplicates d) { fDuplicates = d; }
  bool CaseSensitive() const { return fCaseSensitive; }
  // Re-sorts a sorted list.
  void SetCaseSensitive(bool value);
  bool OwnsObjects() const { return fOwnsObjects; }
  void SetOwnsObjects(bool value) { fOwnsObjects = value; }

  // Also takes CaseSensitive, Duplicates and Sorted from another TStringList.
  void Assign(const TStrings& source) override;
  // Clears the list, then adds the text's lines. When the list is still
  // sorted after the (virtual) Clear, the whole text is taken in bulk
  // (AddSortedLinesInBulk); a Clear that leaves the list unsorted keeps every
  // line in the text's order.
  void SetTextStr(const String& text) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  struct Item {
    String s;
    TObject* obj = nullptr;
  };
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool updating) override;
  void CheckIndex(Int32 index) const;
  void ExchangeItems(Int32 index1, Int32 index2);
  void InsertItem(Int32 index, const String& s, TObject* obj);
  void DoSort(const std::function<Int32(Int32, Int32)>& cmp);
  // checkPoint, also answering true (end the sort) once the list has been
  // changed since: a line added, deleted, replaced or moved, or the list cleared.
  TSortCheckPoint GuardedSortCheckPoint(TSortCheckPoint checkPoint);
  // The check point of one sort of this list: the one the layer above
  // installed for every sort (NewSortCheckPoint), unless a descendant has its own.
  virtual TSortCheckPoint SortCheckPoint() const { return NewSortCheckPoint(); }
  TObject* AdoptedObject(TObject* obj) const override;
  static Int32 CompareLines(TStringList* list, Int32 index1, Int32 index2);
  // Whether a sorted list may take a whole text in bulk (see SetTextStr). A
  // descendant that overrides Add or AddObject answers false, so that its
  // lines go through them one by one. (An overridden CompareStrings is used
  // by the bulk sort as by Find.)
  virtual bool LoadsSortedTextInBulk() const { return true; }
  // True when lines arriving now may go through AddSortedLinesInBulk: the
  // list is sorted, empty and takes text in bulk.
  bool TakesLinesInBulk() const { return fSorted && fItems.empty() && LoadsSortedTextInBulk(); }
  // Puts lines (each with its object) into this sorted list at once, giving
  // the list that adding them one by one in this order gives: the lines are
  // sorted once (stable) with each line's collation text prepared once, then
  // merged with the lines already there. A new line goes before the lines
  // already there that equal it (where Find puts it); dupIgnore keeps the
  // first new line of each text unless the list holds it already, dupAccept
  // puts the new equal lines in the reverse of their order, and dupError
  // raises at the first new line equal to one already there or to an earlier
  // new line, the lines before it staying in the list. Each line taken leaves
  // its entry in lines with a nil object; a line left out keeps its object
  // there, for the caller to free (also when dupError raises). On a list not
  // marked sorted the lines are added one by one.
  void AddSortedLinesInBulk(std::vector<Item>& lines);
  // AddStrings on a sorted list that takes text in bulk: the lines go
  // through AddSortedLinesInBulk.
  bool TakesAddedLinesAtOnce() const override { return fSorted && LoadsSortedTextInBulk(); }
  void AddLinesAtOnce(std::vector<std::pair<String, TObject*>>& lines) override;
  // The collation of this list's own CompareStrings while a sort of many
  // comparisons runs, so that the collator is fetched once per sort. Each
  // line being sorted is prepared once: the sort names the two lines it is
  // about to compare (lineA, lineB) with their prepared texts; CompareStrings
  // handed those very lines compares the prepared texts, and any other text
  // as it comes.
  struct TSortCollation {
    const TUserCollation* collation = nullptr;
    const String* lineA = nullptr;
    const String* lineB = nullptr;
    const String* preparedA = nullptr;
    const String* preparedB = nullptr;
  };
  // Sorts the lines of items (a std::vector<Item> or TItems) by
  // CompareStrings with their collation texts prepared once: the indexes of
  // items in order, equal lines in the order they have in items. With runs,
  // also the runs of equal lines as [first, last) positions in that order.
  // The sort asks the list's check point as it goes: with endedEarly it may
  // end there (*endedEarly true, the answer empty); without, the check point
  // only lets the host run.
  template <class TLines>
  std::vector<Int32> SortedOrderOf(const TLines& items, std::vector<std::pair<size_t, size_t>>* runs = nullptr,
                                   bool* endedEarly = nullptr);
  const TSortCollation* fSortCollation = nullptr;

  // The lines; inserting or deleting one in the middle moves about sqrt(n)
  // others, so that lines added one at a time to a sorted list cost
  // O(sqrt(n)) each rather than O(n).
  using TItems = TTieredVector<Item>;
  TItems fItems;
  // Goes up at every change of the lines that a running sort must notice.
  UInt64 fEdits = 0;
  bool fSorted = false;
  bool fSortEndedEarly = false;
  bool fCaseSensitive = false;
  bool fOwnsObjects = false;
  TDuplicates fDuplicates = dupIgnore;
};

}  // namespace sk
