#include "platform/runtime/StringList.h"

#include "platform/runtime/FileReplace.h"

#include <algorithm>
#include <string>

#include "platform/runtime/Locale.h"
#include "platform/runtime/QuickSort.h"

namespace sk {

namespace {

constexpr const char16_t* kIndexError = u"List index out of bounds (%d)";
constexpr const char16_t* kSortedListError = u"Operation not allowed on sorted list";
constexpr const char16_t* kDuplicateError = u"String list does not allow duplicates";


bool NeedsQuoting(const String& s, Char delimiter, Char quote, bool strict) {
  for (Char c : s) {
    if (c == quote || c == delimiter) return true;
    if (!strict && c <= u' ') return true;
  }
  return false;
}

String Quoted(const String& s, Char quote) {
  String r;
  r.reserve(s.size() + 2);
  r += quote;
  for (Char c : s) {
    r += c;
    if (c == quote) r += quote;
  }
  r += quote;
  return r;
}

bool IsBlank(Char c) { return c <= u' '; }

// Points a list's sort collation at the one of a running sort, and back at
// nothing afterwards, also when a comparison raises.
template <class T>
class TSortCollationScope {
 public:
  TSortCollationScope(const T*& slot, const T* c) : fSlot(slot) { fSlot = c; }
  ~TSortCollationScope() { fSlot = nullptr; }
  TSortCollationScope(const TSortCollationScope&) = delete;
  TSortCollationScope& operator=(const TSortCollationScope&) = delete;

 private:
  const T*& fSlot;
};

// Lets the host run now and then through the steps of a long walk over a
// text or the lines (cutting a text, joining lines, the passes of a bulk load
// that are not comparisons of its sort): the check point is asked every
// kComparisonsPerCheck steps, and only lets the host run, since a load taken
// half-way would leave half a list.
class TYieldingSteps {
 public:
  explicit TYieldingSteps(TSortCheckPoint checkPoint) : fCheckPoint(std::move(checkPoint)) {}
  void Step() {
    if (--fCountdown > 0) return;
    fCountdown = kComparisonsPerCheck;
    if (fCheckPoint) fCheckPoint();
  }

 private:
  TSortCheckPoint fCheckPoint;
  Int32 fCountdown = kComparisonsPerCheck;
};

}  // namespace

// ---- TStrings -----------------------------------------------------------------

TStrings::~TStrings() = default;

void TStrings::Error(const char16_t* msg, Int32 data) {
  String text(msg);
  size_t p = text.find(u"%d");
  if (p != String::npos) text.replace(p, 2, Utf8ToString(std::to_string(data)));
  throw EStringListError(text);
}

TEncoding* TStrings::SharedEncoding(TEncoding* enc) {
  if (enc == nullptr || TEncoding::IsStandardEncoding(enc)) return enc;
  if (TEncoding* shared = TEncoding::GetEncodingShared(enc->CodePage())) return shared;
  return enc;
}

void TStrings::Put(Int32 index, const String& s) {
  TObject* obj = GetObject(index);
  PutObject(index, nullptr);  // so that an owning list does not free it
  Delete(index);
  InsertObject(index, s, obj);
}

void TStrings::Insert(Int32 index, const String& s) { InsertObject(index, s, nullptr); }

Int32 TStrings::Add(const String& s) {
  Int32 r = GetCount();
  Insert(r, s);
  return r;
}

Int32 TStrings::AddObject(const String& s, TObject* obj) {
  Int32 r = Add(s);
  PutObject(r, obj);
  return r;
}

void TStrings::Exchange(Int32 index1, Int32 index2) {
  TUpdateScope scope(*this);
  String s1 = Get(index1);
  TObject* o1 = GetObject(index1);
  String s2 = Get(index2);
  TObject* o2 = GetObject(index2);
  Put(index1, s2);
  PutObject(index1, o2);
  Put(index2, s1);
  PutObject(index2, o1);
}

void TStrings::Move(Int32 curIndex, Int32 newIndex) {
  if (curIndex == newIndex) return;
  TUpdateScope scope(*this);
  String s = Get(curIndex);
  TObject* obj = GetObject(curIndex);
  PutObject(curIndex, nullptr);
  Delete(curIndex);
  InsertObject(newIndex, s, obj);
}

Int32 TStrings::IndexOf(const String& s) const {
  const Int32 n = GetCount();
  for (Int32 i = 0; i < n; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

Int32 TStrings::IndexOfName(const String& name) const {
  const Int32 n = GetCount();
  for (Int32 i = 0; i < n; ++i) {
    String s = Get(i);
    size_t p = s.find(fNameValueSeparator);
    if (p != String::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
  }
  return -1;
}

Int32 TStrings::IndexOfObject(const TObject* obj) const {
  const Int32 n = GetCount();
  for (Int32 i = 0; i < n; ++i)
    if (GetObject(i) == obj) return i;
  return -1;
}

Int32 TStrings::CompareStrings(const String& a, const String& b) const { return AnsiCompareText(a, b); }

TObject* TStrings::AdoptedObject(TObject* obj) const { return obj; }

void TStrings::AddStrings(const TStrings& source) {
  TUpdateScope scope(*this);
  if (&source == this || TakesAddedLinesAtOnce()) {
    std::vector<std::pair<String, TObject*>> copy;
    const Int32 n = source.GetCount();
    copy.reserve(static_cast<size_t>(n));
    for (Int32 i = 0; i < n; ++i) copy.emplace_back(source.Get(i), AdoptedObject(source.GetObject(i)));
    AddLinesAtOnce(copy);
    return;
  }
  const Int32 n = source.GetCount();
  for (Int32 i = 0; i < n; ++i) AddObject(source.Get(i), AdoptedObject(source.GetObject(i)));
}

void TStrings::AddStrings(const std::vector<String>& lines) {
  TUpdateScope scope(*this);
  if (TakesAddedLinesAtOnce()) {
    std::vector<std::pair<String, TObject*>> copy;
    copy.reserve(lines.size());
    for (const String& s : lines) copy.emplace_back(s, nullptr);
    AddLinesAtOnce(copy);
    return;
  }
  for (const String& s : lines) Add(s);
}

void TStrings::AddLinesAtOnce(std::vector<std::pair<String, TObject*>>& lines) {
  for (auto& [s, obj] : lines) AddObject(s, obj);
}

void TStrings::Assign(const TStrings& source) {
  if (&source == this) return;
  TUpdateScope scope(*this);
  Clear();
  fDefaultEncoding = source.fDefaultEncoding;
  fEncoding = source.fEncoding;
  fLineBreak = source.fLineBreak;
  fDelimiter = source.fDelimiter;
  fQuoteChar = source.fQuoteChar;
  fNameValueSeparator = source.fNameValueSeparator;
  fStrictDelimiter = source.fStrictDelimiter;
  fTrailingLineBreak = source.fTrailingLineBreak;
  fWriteBOM = source.fWriteBOM;
  AddStrings(source);
}

bool TStrings::Equals(const TStrings& other) const {
  const Int32 n = GetCount();
  if (n != other.GetCount()) return false;
  for (Int32 i = 0; i < n; ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

String TStrings::GetTextStr() const {
  const Int32 n = GetCount();
  String r;
  TYieldingSteps steps(NewSortCheckPoint());
  for (Int32 i = 0; i < n && i < GetCount(); ++i) {
    steps.Step();
    r += Get(i);
    if (i < n - 1 || fTrailingLineBreak) r += fLineBreak;
  }
  return r;
}

void TStrings::SplitText(const String& text, const std::function<void(String&&)>& onLine) const {
  const size_t n = text.size();
  size_t p = 0;
  if (fLineBreak == u"\r\n") {
    // The default break also accepts a lone CR or LF; CR LF is one break.
    while (p < n) {
      size_t start = p;
      while (p < n && text[p] != u'\r' && text[p] != u'\n') ++p;
      onLine(text.substr(start, p - start));
      if (p < n && text[p] == u'\r') ++p;
      if (p < n && text[p] == u'\n') ++p;
    }
  } else if (fLineBreak.empty()) {
    if (n > 0) onLine(String(text));
  } else {
    while (p < n) {
      size_t f = text.find(fLineBreak, p);
      if (f == String::npos) {
        onLine(text.substr(p));
        break;
      }
      onLine(text.substr(p, f - p));
      p = f + fLineBreak.size();
    }
  }
}

void TStrings::SetTextStr(const String& text) {
  TUpdateScope scope(*this);
  Clear();
  TYieldingSteps steps(NewSortCheckPoint());
  SplitText(text, [this, &steps](String&& line) {
    steps.Step();
    Add(line);
  });
}

String TStrings::DelimitedText() const { return DelimitedTextWith(fDelimiter, fQuoteChar); }

String TStrings::DelimitedTextWith(Char delimiter, Char quote) const {
  const Int32 n = GetCount();
  const bool canQuote = quote != 0;
  if (n == 1 && Get(0).empty()) return canQuote ? String(2, quote) : String();
  String r;
  TYieldingSteps steps(NewSortCheckPoint());
  for (Int32 i = 0; i < n && i < GetCount(); ++i) {
    steps.Step();
    String s = Get(i);
    if (canQuote && NeedsQuoting(s, delimiter, quote, fStrictDelimiter)) s = Quoted(s, quote);
    if (i > 0) r += delimiter;
    r += s;
  }
  return r;
}

void TStrings::SetDelimitedText(const String& text) { SetDelimitedTextWith(text, fDelimiter, fQuoteChar); }

void TStrings::SetDelimitedTextWith(const String& text, Char delimiter, Char quote) {
  TUpdateScope scope(*this);
  Clear();
  const size_t n = text.size();
  const bool strict = fStrictDelimiter;
  size_t p = 0;
  auto skipBlanks = [&] {
    if (!strict)
      while (p < n && IsBlank(text[p])) ++p;
  };
  skipBlanks();
  TYieldingSteps steps(NewSortCheckPoint());
  while (p < n) {
    steps.Step();
    String item;
    if (quote != 0 && text[p] == quote) {
      // Quoted item: doubled quotes stand for one; an unclosed quote runs to
      // the end of the text.
      ++p;
      while (p < n) {
        if (text[p] == quote) {
          if (p + 1 < n && text[p + 1] == quote) {
            item += quote;
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      size_t start = p;
      while (p < n && text[p] != delimiter && (strict || !IsBlank(text[p]))) ++p;
      item = text.substr(start, p - start);
    }
    Add(item);
    skipBlanks();
    if (p < n && text[p] == delimiter) {
      if (p + 1 == n) Add(String());  // a delimiter at the very end stands before an empty item
      ++p;
      skipBlanks();
    }
  }
}

// Same as the delimited text with ',' and '"', whatever the list's own settings.
String TStrings::CommaText() const { return DelimitedTextWith(u',', u'"'); }

void TStrings::SetCommaText(const String& text) { SetDelimitedTextWith(text, u',', u'"'); }

String TStrings::Names(Int32 index) const {
  String s = Get(index);
  size_t p = s.find(fNameValueSeparator);
  return p == String::npos ? String() : s.substr(0, p);
}

String TStrings::Values(const String& name) const {
  Int32 i = IndexOfName(name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValue(const String& name, const String& value) {
  Int32 i = IndexOfName(name);
  if (!value.empty()) {
    // A new line is added whole, so that a sorted list puts it in its place
    // and a refused change leaves no empty line behind.
    if (i < 0)
      Add(name + fNameValueSeparator + value);
    else
      Put(i, name + fNameValueSeparator + value);
  } else if (i >= 0) {
    Delete(i);
  }
}

String TStrings::ValueFromIndex(Int32 index) const {
  if (index < 0) return String();
  String s = Get(index);
  size_t p = s.find(fNameValueSeparator);
  return p == String::npos ? String() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(Int32 index, const String& value) {
  if (!value.empty()) {
    if (index < 0) index = Add(String());
    Put(index, Names(index) + fNameValueSeparator + value);
  } else if (index >= 0) {
    Delete(index);
  }
}

void TStrings::BeginUpdate() {
  if (fUpdateCount == 0) SetUpdateState(true);
  ++fUpdateCount;
}

void TStrings::EndUpdate() {
  if (fUpdateCount <= 0) return;
  --fUpdateCount;
  if (fUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::SetEncoding(TEncoding* enc) { fEncoding = SharedEncoding(enc); }

TEncoding* TStrings::DefaultEncoding() const {
  return fDefaultEncoding != nullptr ? fDefaultEncoding : TEncoding::Default();
}

void TStrings::SetDefaultEncoding(TEncoding* enc) { fDefaultEncoding = SharedEncoding(enc); }

void TStrings::LoadFromFile(const String& fileName) { LoadFromFile(fileName, nullptr); }

void TStrings::LoadFromFile(const String& fileName, TEncoding* enc) {
  // Read whole first: a read that fails raises and leaves the list as it was,
  // rather than loading the part before the failure.
  TMemoryStream m;
  m.LoadFromFile(fileName);
  LoadFromStream(&m, enc);
}

void TStrings::LoadFromStream(TStream* stream) { LoadFromStream(stream, nullptr); }

void TStrings::LoadFromStream(TStream* stream, TEncoding* enc) {
  if (stream == nullptr) return;
  TUpdateScope scope(*this);
  const TBytes buf = stream->ReadRest();
  TEncoding* e = SharedEncoding(enc);
  Int32 skip = TEncoding::GetBufferEncoding(buf, e, DefaultEncoding());
  if (e == nullptr) e = DefaultEncoding();
  if (skip < 0 || static_cast<size_t>(skip) > buf.size()) skip = 0;
  SetEncoding(e);
  SetTextStr(e->GetString(buf.data() + skip, buf.size() - static_cast<size_t>(skip)));
}

void TStrings::SaveToFile(const String& fileName) { SaveToFile(fileName, fEncoding); }

void TStrings::SaveToFile(const String& fileName, TEncoding* enc) {
  ReplaceFileWith(fileName, [this, enc](TStream& f) { SaveToStream(&f, enc); });
}

void TStrings::SaveToStream(TStream* stream) { SaveToStream(stream, fEncoding); }

void TStrings::SaveToStream(TStream* stream, TEncoding* enc) {
  if (stream == nullptr) return;
  if (enc == nullptr) enc = DefaultEncoding();
  if (fWriteBOM) stream->WriteBuffer(enc->GetPreamble());
  stream->WriteBuffer(enc->GetBytes(GetTextStr()));
}

// ---- TStringList --------------------------------------------------------------

TStringList::TStringList(bool ownsObjects) : fOwnsObjects(ownsObjects) {}

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (fOwnsObjects) {
    TItems items;
    items.swap(fItems);
    for (Item& it : items) delete it.obj;
  }
}

void TStringList::CheckIndex(Int32 index) const {
  if (index < 0 || index >= GetCount()) Error(kIndexError, index);
}

String TStringList::Get(Int32 index) const {
  CheckIndex(index);
  return fItems[static_cast<size_t>(index)].s;
}

void TStringList::Put(Int32 index, const String& s) {
  if (fSorted) Error(kSortedListError, 0);
  CheckIndex(index);
  Changing();
  ++fEdits;
  fItems[static_cast<size_t>(index)].s = s;
  Changed();
}

TObject* TStringList::GetObject(Int32 index) const {
  CheckIndex(index);
  return fItems[static_cast<size_t>(index)].obj;
}

void TStringList::PutObject(Int32 index, TObject* obj) {
  CheckIndex(index);
  Changing();
  fItems[static_cast<size_t>(index)].obj = obj;
  Changed();
}

Int32 TStringList::Add(const String& s) { return AddObject(s, nullptr); }

Int32 TStringList::AddObject(const String& s, TObject* obj) {
  Int32 r = GetCount();
  if (fSorted && Find(s, r)) {
    switch (fDuplicates) {
      case dupIgnore: return r;
      case dupError: Error(kDuplicateError, 0);
      case dupAccept: break;
    }
  }
  InsertItem(r, s, obj);
  return r;
}

void TStringList::Insert(Int32 index, const String& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(Int32 index, const String& s, TObject* obj) {
  if (fSorted) Error(kSortedListError, 0);
  if (index < 0 || index > GetCount()) Error(kIndexError, index);
  InsertItem(index, s, obj);
}

void TStringList::InsertItem(Int32 index, const String& s, TObject* obj) {
  Changing();
  ++fEdits;
  fItems.insert(static_cast<size_t>(index), Item{s, obj});
  Changed();
}

void TStringList::Delete(Int32 index) {
  CheckIndex(index);
  Changing();
  ++fEdits;
  TObject* obj = fItems[static_cast<size_t>(index)].obj;
  fItems.erase(static_cast<size_t>(index));
  if (fOwnsObjects) delete obj;
  Changed();
}

void TStringList::Clear() {
  if (fItems.empty()) return;
  Changing();
  ++fEdits;
  // Take the lines out first, so that the list is already empty while the
  // objects are destroyed.
  TItems items;
  items.swap(fItems);
  if (fOwnsObjects)
    for (Item& it : items) delete it.obj;
  Changed();
}

void TStringList::ExchangeItems(Int32 index1, Int32 index2) {
  const Int32 n = GetCount();
  if (index1 < 0 || index2 < 0 || index1 >= n || index2 >= n) return;
  std::swap(fItems[static_cast<size_t>(index1)], fItems[static_cast<size_t>(index2)]);
}

void TStringList::Exchange(Int32 index1, Int32 index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  ++fEdits;
  ExchangeItems(index1, index2);
  Changed();
}

void TStringList::Move(Int32 curIndex, Int32 newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  if (fSorted) Error(kSortedListError, 0);
  Changing();
  ++fEdits;
  // Out and in again: both cost about sqrt(n) moves, not the lines between.
  Item moving = std::move(fItems[static_cast<size_t>(curIndex)]);
  fItems.erase(static_cast<size_t>(curIndex));
  fItems.insert(static_cast<size_t>(newIndex), std::move(moving));
  Changed();
}

Int32 TStringList::IndexOf(const String& s) const {
  if (!fSorted) return TStrings::IndexOf(s);
  Int32 r = -1;
  if (!Find(s, r)) return -1;
  return r;
}

bool TStringList::Find(const String& s, Int32& index) const {
  bool found = false;
  Int32 lo = 0;
  Int32 hi = GetCount() - 1;
  while (lo <= hi) {
    Int32 mid = lo + (hi - lo) / 2;
    Int32 c = CompareStrings(fItems[static_cast<size_t>(mid)].s, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (fDuplicates != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

Int32 TStringList::CompareStrings(const String& a, const String& b) const {
  if (fSortCollation != nullptr) {
    const TSortCollation& c = *fSortCollation;
    // The two lines the sort is comparing go by their prepared texts; any
    // other text (a caller's) is prepared by the collation as it comes.
    if (&a == c.lineA && &b == c.lineB) return c.collation->ComparePrepared(*c.preparedA, *c.preparedB);
    if (&a == c.lineB && &b == c.lineA) return c.collation->ComparePrepared(*c.preparedB, *c.preparedA);
    return c.collation->Compare(a, b);
  }
  return fCaseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::SetCapacity(Int32 capacity) {
  if (capacity > GetCount()) fItems.reserve(static_cast<size_t>(capacity));
}

Int32 TStringList::CompareLines(TStringList* list, Int32 index1, Int32 index2) {
  return list->CompareStrings(list->fItems[static_cast<size_t>(index1)].s,
                              list->fItems[static_cast<size_t>(index2)].s);
}

void TStringList::Sort() { CustomSort(&TStringList::CompareLines); }

TSortCheckPoint TStringList::GuardedSortCheckPoint(TSortCheckPoint checkPoint) {
  if (!checkPoint) return checkPoint;
  // Asked again after each check point: a host that changes the list while
  // it runs (it must not) ends the sort rather than have it read lines that
  // are gone or put lines in a stale order.
  return [this, checkPoint = std::move(checkPoint), count = GetCount(), edits = fEdits] {
    return checkPoint() || GetCount() != count || fEdits != edits;
  };
}

void TStringList::DoSort(const std::function<Int32(Int32, Int32)>& cmp) {
  Changing();
  const Int32 count = GetCount();
  const TSortCheckPoint guarded = GuardedSortCheckPoint(SortCheckPoint());
  fSortEndedEarly = !QuickSortIndexesChecked(
      0, count - 1, [&](Int32 i, Int32 j) { return cmp(i, j); }, [&](Int32 i, Int32 j) { ExchangeItems(i, j); },
      guarded);
  Changed();
}

void TStringList::CustomSort(TStringListSortCompare compare) {
  fSortEndedEarly = false;
  if (fSorted || GetCount() < 2 || compare == nullptr) return;
  if (compare == &TStringList::CompareLines) {
    // The list's own order: each line's collation text is prepared once and
    // the lines stay where they are while their order is found (a stable
    // sort), then take it at once, without a check point between. Ended
    // early (also by a host that changed the list), nothing has moved.
    bool endedEarly = false;
    const std::vector<Int32> order = SortedOrderOf(fItems, nullptr, &endedEarly);
    fSortEndedEarly = endedEarly;
    if (endedEarly || order.size() != fItems.size()) return;
    Changing();
    fItems.Reorder(order);
    Changed();
    return;
  }
  DoSort([&](Int32 i, Int32 j) { return compare(this, i, j); });
}

void TStringList::CustomSortFunc(const TStringListSortCompareFunc& compare) {
  fSortEndedEarly = false;
  if (fSorted || GetCount() < 2 || !compare) return;
  DoSort([&](Int32 i, Int32 j) { return compare(this, i, j); });
}

void TStringList::SetSorted(bool value) {
  if (fSorted == value) return;
  if (value) {
    Sort();
    // A sort ended early leaves lines out of order: Find must not trust them.
    if (fSortEndedEarly) return;
  }
  fSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (fCaseSensitive == value) return;
  fCaseSensitive = value;
  if (fSorted) {
    fSorted = false;
    SetSorted(true);
  }
}

void TStringList::Assign(const TStrings& source) {
  if (&source == this) return;
  if (const auto* src = dynamic_cast<const TStringList*>(&source)) {
    // Take the source's rules first and add unsorted, so that no line of the
    // source is dropped by this list's duplicate rule; the source's order is
    // already the one its settings give.
    fCaseSensitive = src->fCaseSensitive;
    fDuplicates = src->fDuplicates;
    fSorted = false;
    TStrings::Assign(source);
    fSorted = src->fSorted;
    return;
  }
  TStrings::Assign(source);
}

namespace {

// Stable merge sort of v by cmp (< 0: the first goes first); any answers
// keep every element exactly once. The elements themselves move from pass to
// pass, so that each pass reads and writes memory in order. checked is told
// of each comparison (and may end the sort by raising).
template <class T, class Cmp>
void MergeSortStable(std::vector<T>& v, Cmp cmp, quicksort_detail::TCheckedSort& checked) {
  const size_t n = v.size();
  std::vector<T> tmp(n);
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n);
      const size_t hi = std::min(lo + 2 * width, n);
      size_t a = lo, b = mid, o = lo;
      while (a < mid && b < hi) {
        checked.Compared();
        tmp[o++] = cmp(v[b], v[a]) < 0 ? std::move(v[b++]) : std::move(v[a++]);
      }
      while (a < mid) tmp[o++] = std::move(v[a++]);
      while (b < hi) tmp[o++] = std::move(v[b++]);
    }
    v.swap(tmp);
  }
}

}  // namespace

template <class TLines>
std::vector<Int32> TStringList::SortedOrderOf(const TLines& items, std::vector<std::pair<size_t, size_t>>* runs,
                                              bool* endedEarly) {
  if (endedEarly != nullptr) *endedEarly = false;
  // Sorting its own lines, the sort ends when the host changes them.
  const TSortCheckPoint checkPoint =
      static_cast<const void*>(&items) == &fItems ? GuardedSortCheckPoint(SortCheckPoint()) : SortCheckPoint();
  // Without endedEarly the sort must finish: the check point only yields.
  const TSortCheckPoint yieldOnly =
      checkPoint && endedEarly == nullptr ? TSortCheckPoint([&] {
        checkPoint();
        return false;
      }) : checkPoint;
  quicksort_detail::TCheckedSort checked(yieldOnly);
  const TUserCollation collation(!fCaseSensitive);
  // Each line's prepared text travels with its index and the line itself
  // through the sort, so that a comparison reads no storage of the list. (A
  // host that changes the lines ends the sort at the check point where it
  // ran, before any comparison could read a line that has gone.)
  struct TKeyed {
    String prepared;
    const String* line = nullptr;
    Int32 index = 0;
  };
  std::vector<TKeyed> keyed;
  keyed.reserve(items.size());
  auto endEarly = [&] {
    *endedEarly = true;
    return std::vector<Int32>();
  };
  try {
    for (const Item& it : items) {
      checked.Compared();
      keyed.push_back(TKeyed{collation.Prepared(it.s), &it.s, static_cast<Int32>(keyed.size())});
    }
  } catch (const quicksort_detail::TSortEndedEarly&) {
    return endEarly();
  }
  TSortCollation sortCollation;
  sortCollation.collation = &collation;
  TSortCollationScope<TSortCollation> scope(fSortCollation, &sortCollation);
  auto compare = [&](const TKeyed& a, const TKeyed& b) {
    sortCollation.preparedA = &a.prepared;
    sortCollation.preparedB = &b.prepared;
    sortCollation.lineA = a.line;
    sortCollation.lineB = b.line;
    return CompareStrings(*sortCollation.lineA, *sortCollation.lineB);
  };
  try {
    MergeSortStable(keyed, compare, checked);
    if (runs != nullptr)
      for (size_t i = 0; i < keyed.size();) {
        size_t j = i + 1;
        while (j < keyed.size() && (checked.Compared(), compare(keyed[j - 1], keyed[j]) == 0)) ++j;
        runs->emplace_back(i, j);
        i = j;
      }
  } catch (const quicksort_detail::TSortEndedEarly&) {
    return endEarly();
  }
  std::vector<Int32> order;
  order.reserve(keyed.size());
  for (const TKeyed& k : keyed) order.push_back(k.index);
  return order;
}

void TStringList::AddSortedLinesInBulk(std::vector<Item>& lines) {
  if (!fSorted) {
    for (Item& line : lines) {
      const Int32 r = AddObject(line.s, line.obj);
      if (r >= 0 && r < GetCount() && fItems[static_cast<size_t>(r)].obj == line.obj) line.obj = nullptr;
    }
    return;
  }
  if (lines.empty()) return;
  // Runs of equal lines, [first, last) in order; each run is in order of
  // arrival (the sort is stable).
  std::vector<std::pair<size_t, size_t>> runs;
  const std::vector<Int32> order = SortedOrderOf(lines, &runs);
  auto lineAt = [&](size_t k) -> Item& { return lines[static_cast<size_t>(order[k])]; };
  // Where each run goes among the lines already there (before the first that
  // is not below it, as Find puts it), and whether one of those equals it.
  // The host may run at this pass's check points; when it changes the list
  // there (it must not), the pass starts again on the lines as they are.
  TYieldingSteps steps(SortCheckPoint());
  std::vector<size_t> at(runs.size());
  std::vector<bool> clash(runs.size());
  size_t held = 0;
  for (bool placed = false; !placed;) {
    held = fItems.size();
    const UInt64 edits = fEdits;
    auto unchanged = [&] {
      steps.Step();
      return fEdits == edits && fItems.size() == held;
    };
    placed = true;
    size_t p = 0;
    for (size_t r = 0; placed && r < runs.size(); ++r) {
      const String& text = lineAt(runs[r].first).s;
      Int32 c = -1;
      while ((placed = unchanged()) && p < held && (c = CompareStrings(fItems[p].s, text)) < 0) ++p;
      at[r] = p;
      clash[r] = p < held && c == 0;
    }
  }
  // Line by line, dupError raises at the first line (in arrival order) equal
  // to a line already there or to an earlier new line.
  Int32 firstRepeat = static_cast<Int32>(lines.size());
  if (fDuplicates == dupError)
    for (size_t r = 0; r < runs.size(); ++r) {
      const auto [first, last] = runs[r];
      if (clash[r])
        firstRepeat = std::min(firstRepeat, order[first]);
      else if (last - first > 1)
        firstRepeat = std::min(firstRepeat, order[first + 1]);
    }
  // Room for the lines the list keeps: a text of many equal lines under
  // dupIgnore keeps one of each.
  size_t kept = 0;
  for (size_t r = 0; r < runs.size(); ++r) {
    const auto [first, last] = runs[r];
    switch (fDuplicates) {
      case dupIgnore: kept += clash[r] ? 0 : 1; break;
      case dupAccept: kept += last - first; break;
      case dupError:
        for (size_t k = first; k < last; ++k) kept += order[k] < firstRepeat ? 1 : 0;
        break;
    }
  }
  // The merge only moves lines (no comparisons): it runs without a check
  // point, so that the host never sees the lines half moved.
  Changing();
  ++fEdits;
  TItems merged;
  merged.reserve(held + kept);
  auto take = [&merged](Item& line) {
    merged.push_back(Item{std::move(line.s), line.obj});
    line.obj = nullptr;
  };
  size_t p = 0;
  for (size_t r = 0; r < runs.size(); ++r) {
    for (; p < at[r]; ++p) merged.push_back(std::move(fItems[p]));
    const auto [first, last] = runs[r];
    switch (fDuplicates) {
      case dupIgnore:
        if (!clash[r]) take(lineAt(first));
        break;
      case dupAccept:
        // Each later line went in front of the equal ones before it.
        for (size_t k = last; k > first; --k) take(lineAt(k - 1));
        break;
      case dupError:
        for (size_t k = first; k < last; ++k)
          if (order[k] < firstRepeat) take(lineAt(k));
        break;
    }
  }
  for (; p < held; ++p) merged.push_back(std::move(fItems[p]));
  fItems.swap(merged);
  Changed();
  if (firstRepeat < static_cast<Int32>(lines.size())) Error(kDuplicateError, 0);
}

void TStringList::AddLinesAtOnce(std::vector<std::pair<String, TObject*>>& lines) {
  if (!TakesAddedLinesAtOnce()) {
    TStrings::AddLinesAtOnce(lines);
    return;
  }
  std::vector<Item> items;
  items.reserve(lines.size());
  for (auto& [s, obj] : lines) items.push_back(Item{std::move(s), obj});
  AddSortedLinesInBulk(items);
}

void TStringList::SetTextStr(const String& text) {
  TUpdateScope scope(*this);
  Clear();
  // Decided after Clear: a descendant's Clear may leave the list unsorted,
  // and then every line stays, in the text's order.
  TYieldingSteps steps(SortCheckPoint());
  if (!TakesLinesInBulk()) {
    SplitText(text, [this, &steps](String&& line) {
      steps.Step();
      Add(line);
    });
    return;
  }
  std::vector<Item> lines;
  SplitText(text, [&lines, &steps](String&& line) {
    steps.Step();
    lines.push_back(Item{std::move(line), nullptr});
  });
  AddSortedLinesInBulk(lines);
}

TObject* TStringList::AdoptedObject(TObject* obj) const { return fOwnsObjects ? nullptr : obj; }

void TStringList::Changed() {
  if (fUpdateCount == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (fUpdateCount == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

}  // namespace sk
