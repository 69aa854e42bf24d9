#include "core/Useful_classes_base_stringlists.h"

#include <string>

#include "core/Basic_processes.h"
#include "core/Comparing_types.h"
#include "core/Generalruntime1const.h"
#include "core/Global_vars.h"
#include "core/Stringtag_utils.h"
#include "core/Unicode_string_conversion.h"
#include "platform/runtime/Random.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

constexpr Char kTab = u'\t';

// The fewest bytes one stored item takes: a stored string is at least its
// 4-byte count.
constexpr Int64 kMinStoredString = 4;
constexpr Int64 kMinStringAndLongint = kMinStoredString + 4;
constexpr Int64 kMinStringAnd2IntsAndSingle = kMinStoredString + 12;

[[noreturn]] void RaiseFileReadError(Int64 n, const char16_t* routine) {
  const String routineName(routine);
  throw Exception(Format(LoadResString(&_QMFileReadError), {n, routineName}));
}

[[noreturn]] void RaiseWriteError() { throw EWriteError(u"Stream write error"); }

// One item's stored string; the stream must still hold need bytes for the
// whole item, else the read fails with the item's number.
String ReadItemString(TStream* stream, Int64 need, Int32 index) {
  if (stream->Remaining() < need) RaiseFileReadError(index, u"LoadFromStream");
  return ReadAListString(stream);
}

template <class T>
T ReadItemValue(TStream* stream, Int32 index) {
  T v{};
  if (!stream->TryReadValue<T>(v)) RaiseFileReadError(index, u"LoadFromStream");
  return v;
}

void WriteItemString(TStream* stream, const String& s) {
  if (!WriteAString(stream, s)) RaiseWriteError();
}

// Cuts text into lines and hands each to addLine. With the line break CR LF a
// line ends at CR, LF or CR LF (one break); with another break the text is
// cut at each occurrence, the last piece running to the end. No text, no
// lines; a break at the very end starts no further line.
template <class AddLine>
void ForEachLine(const String& text, const String& lineBreak, AddLine addLine) {
  const size_t n = text.size();
  size_t p = 0;
  if (lineBreak == u"\r\n") {
    while (p < n) {
      const size_t start = p;
      while (p < n && text[p] != u'\r' && text[p] != u'\n') ++p;
      addLine(text.substr(start, p - start));
      if (p < n && text[p] == u'\r') ++p;
      if (p < n && text[p] == u'\n') ++p;
    }
  } else if (lineBreak.empty()) {
    if (n > 0) addLine(text);
  } else {
    while (p < n) {
      const size_t f = text.find(lineBreak, p);
      if (f == String::npos) {
        addLine(text.substr(p));
        break;
      }
      addLine(text.substr(p, f - p));
      p = f + lineBreak.size();
    }
  }
}


Int32 WrappingAdd(Int32 a, Int32 b) {
  return static_cast<Int32>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace

// ---- TUTF8Stringlist ---------------------------------------------------------

TUTF8Stringlist::TUTF8Stringlist() { SetDefaultEncoding(TEncoding::UTF8()); }

void TUTF8Stringlist::LoadFromStream(TStream* stream) { LoadDetectedText(stream); }

void TUTF8Stringlist::LoadFromStream(TStream* stream, TEncoding* enc) {
  if (enc == nullptr) {
    LoadDetectedText(stream);
    return;
  }
  TStringList::LoadFromStream(stream, enc);
}

void TUTF8Stringlist::LoadDetectedText(TStream* stream) {
  if (stream == nullptr) return;
  TUpdateScope scope(*this);
  const TBytes bytes = stream->ReadRest();
  SetEncoding(TEncoding::Unicode());
  TEncoding* found = nullptr;
  Int32 markLength = 0;
  SetTextStr(EncodedStringFromBytes(bytes, found, markLength));
}

// ---- TIndexCheckStringlist ---------------------------------------------------

TIndexCheckStringlist::~TIndexCheckStringlist() { Clear(); }

void TIndexCheckStringlist::Clear() {
  fSorted = false;
  ReduceTo(0);
  TUTF8Stringlist::Clear();
}

void TIndexCheckStringlist::Delete(Int32 index) {
  CheckIndex(index);
  // The text goes directly: Put is refused on a sorted list.
  fItems[static_cast<size_t>(index)].s.clear();
  if (GetObject(index) != nullptr) {
    FreeAndNilOne(index);
    if (IndexAssignedOK(index) && GetObject(index) != nullptr) PutObject(index, nullptr);
  }
  TUTF8Stringlist::Delete(index);
}

void TIndexCheckStringlist::ReduceTo(Int32 n) {
  if (n < 0) n = 0;
  for (Int32 i = GetCount() - 1; i >= n; --i) Delete(i);
}

void TIndexCheckStringlist::ReverseTheSort() {
  Int32 i = 0;
  Int32 j = GetCount() - 1;
  if (i >= j) return;
  // Reversed lines no longer ascend on the lookup key.
  fSorted = false;
  while (i < j) Exchange(i++, j--);
}

void TIndexCheckStringlist::PutInRandomOrder() {
  const Int32 n = GetCount();
  if (n < 2) return;
  fSorted = false;
  for (Int32 i = 0; i < n; ++i) {
    const Int32 j = Random(n);
    if (j != i) Exchange(i, j);
  }
}

void TIndexCheckStringlist::Sort() {
  if (Sorted()) return;
  TUTF8Stringlist::Sort();
}

void TIndexCheckStringlist::CustomSort(TStringListSortCompare compare) {
  fSorted = false;
  TUTF8Stringlist::CustomSort(compare);
}

void TIndexCheckStringlist::LoadFromStream(TStream* stream) {
  if (stream == nullptr) return;
  Int32 n = 0;
  if (!stream->TryReadValue<Int32>(n)) return;
  TUpdateScope scope(*this);
  for (Int32 i = 0; i < n; ++i) {
    const Int64 before = stream->Position();
    LoadOneItem(stream, i);
    // An item form that takes no bytes reads the same nothing for every item
    // left: stop, so that a huge count costs nothing.
    if (stream->Position() == before) break;
  }
}

void TIndexCheckStringlist::SaveToStream(TStream* stream) {
  if (stream == nullptr) return;
  const Int32 n = GetCount();
  stream->WriteValue<Int32>(n);
  for (Int32 i = 0; i < n; ++i) SaveOneItem(stream, i);
}

void TIndexCheckStringlist::FreeAndNilOne(Int32) {}

void TIndexCheckStringlist::DeleteObjectsOf(std::vector<Item>& lines) {
  for (Item& line : lines) {
    delete line.obj;
    line.obj = nullptr;
  }
}

void TIndexCheckStringlist::AddOwnedLinesInBulk(std::vector<Item>& lines) {
  try {
    AddSortedLinesInBulk(lines);
  } catch (...) {
    DeleteObjectsOf(lines);
    throw;
  }
  DeleteObjectsOf(lines);
}

void TIndexCheckStringlist::LoadOneItem(TStream*, Int32) {}

void TIndexCheckStringlist::SaveOneItem(TStream*, Int32) {}

TObject* TIndexCheckStringlist::AdoptedObject(TObject*) const { return nullptr; }

void TIndexCheckStringlist::FreeLineObject(Int32 index) {
  if (!IndexAssignedOK(index)) return;
  TObject* obj = GetObject(index);
  if (obj == nullptr) return;
  PutObject(index, nullptr);
  delete obj;
}

// ---- Lookups by collation key ------------------------------------------------

std::string LineCollationKey(const String& s, bool caseSensitive) {
  const Cardinal flags = LCMAP_SORTKEY | (caseSensitive ? 0 : NORM_IGNORECASE);
  // An empty text is passed as a terminated one (a length of 0 is refused).
  const Int32 len = s.empty() ? -1 : static_cast<Int32>(s.size());
  const Char* src = s.empty() ? u"" : s.data();
  const Int32 n = LCMapStringW(LOCALE_USER_DEFAULT, flags, src, len, nullptr, 0);
  if (n > 0) {
    std::string key(static_cast<size_t>(n), '\0');
    if (LCMapStringW(LOCALE_USER_DEFAULT, flags, src, len, reinterpret_cast<Char*>(key.data()), n) == n) return key;
  }
  return "\x01" + StringToUtf8(s);  // no collator: the exact text (never a key's first byte)
}

void TLineKeyIndex::Invalidate() {
  fScanNext = true;
  if (!fValid) return;
  fValid = false;
  fFirst.clear();
  fExact.clear();
  fIndexed = 0;
}

Int32 TLineKeyIndex::Find(const String& s, Int32 count, bool caseSensitive, const TKeyText& keyText,
                          const TSameText& same) {
  if (count <= 0) return -1;
  std::string locale = GetUserDefaultLocaleName();
  if (fValid && (fCaseSensitive != caseSensitive || fLocale != locale || fIndexed > count)) Invalidate();
  String text;
  if (!fValid && fScanNext) {
    fScanNext = false;
    for (Int32 i = 0; i < count; ++i)
      if (keyText(i, text) && same(text, s)) return i;
    return -1;
  }
  if (!fValid) {
    fValid = true;
    fCaseSensitive = caseSensitive;
    fLocale = std::move(locale);
  }
  if (fIndexed < count) {
    // Lines added since are taken in order, so each key keeps its first line.
    if (fIndexed == 0) fFirst.reserve(static_cast<size_t>(count));
    for (Int32 i = fIndexed; i < count; ++i)
      if (keyText(i, text)) fFirst.emplace(LineCollationKey(text, caseSensitive), i);
    fIndexed = count;
  }
  // A text asked before is found by its spelling; lines added later cannot
  // come before the line it found.
  if (const auto hit = fExact.find(s); hit != fExact.end()) return hit->second;
  const auto it = fFirst.find(LineCollationKey(s, caseSensitive));
  if (it == fFirst.end()) return -1;
  fExact.emplace(s, it->second);
  return it->second;
}

// ---- TIndexCheckList ---------------------------------------------------------

void TIndexCheckList::CheckIndex(Int32 index) const {
  if (!IndexAssignedOK(index)) RaiseListIndexError(index);
}

Pointer TIndexCheckList::Items(Int32 index) const {
  CheckIndex(index);
  return fItems[static_cast<size_t>(index)];
}

void TIndexCheckList::Put(Int32 index, Pointer item) {
  CheckIndex(index);
  fItems[static_cast<size_t>(index)] = item;
}

Int32 TIndexCheckList::Add(Pointer item) {
  fItems.push_back(item);
  return Count() - 1;
}

void TIndexCheckList::Insert(Int32 index, Pointer item) {
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  fItems.insert(fItems.begin() + index, item);
}

void TIndexCheckList::Delete(Int32 index) {
  CheckIndex(index);
  fItems.erase(fItems.begin() + index);
}

void TIndexCheckList::Clear() { fItems.clear(); }

void TIndexCheckList::Exchange(Int32 index1, Int32 index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(fItems[static_cast<size_t>(index1)], fItems[static_cast<size_t>(index2)]);
}

Int32 TIndexCheckList::IndexOf(Pointer item) const {
  for (size_t i = 0; i < fItems.size(); ++i)
    if (fItems[i] == item) return static_cast<Int32>(i);
  return -1;
}

bool TIndexCheckList::Sort(const TListSortCompare& compare) {
  if (!compare || Count() < 2) return true;
  const Int32 count = Count();
  const TSortCheckPoint library = NewLibrarySortCheckPoint();
  return QuickSortIndexesChecked(
      0, count - 1,
      [&](Int32 a, Int32 b) { return compare(fItems[static_cast<size_t>(a)], fItems[static_cast<size_t>(b)]); },
      [&](Int32 a, Int32 b) { std::swap(fItems[static_cast<size_t>(a)], fItems[static_cast<size_t>(b)]); },
      // A host that changes the list during a yield (it must not) ends the sort.
      [&] { return library() || Count() != count; });
}

void TIndexCheckList::ReverseTheSort() {
  Int32 i = 0;
  Int32 j = Count() - 1;
  while (i < j) std::swap(fItems[static_cast<size_t>(i++)], fItems[static_cast<size_t>(j--)]);
}

// ---- TBaseAcceptableCheckStringlist ------------------------------------------

TBaseAcceptableCheckStringlist::~TBaseAcceptableCheckStringlist() { Clear(); }

void TBaseAcceptableCheckStringlist::SetTextStr(const String& text) {
  TUpdateScope scope(*this);
  Clear();
  // Clear leaves this list unsorted, so the lines stay in the text's order;
  // a descendant whose Clear keeps it sorted takes them at once.
  if (!TakesLinesInBulk()) {
    ForEachLine(text, LineBreak(), [this](String line) {
      if (AcceptableString(line)) Add(line);
    });
    return;
  }
  std::vector<Item> lines;
  ForEachLine(text, LineBreak(), [&](String line) {
    if (AcceptableString(line)) lines.push_back(Item{std::move(line), nullptr});
  });
  AddOwnedLinesInBulk(lines);
}

bool TBaseAcceptableCheckStringlist::AcceptableString(String&) { return true; }

// ---- TSaveStringList ---------------------------------------------------------

TSaveStringList::~TSaveStringList() { Clear(); }

void TSaveStringList::LoadFromStream(TStream* stream) {
  if (stream == nullptr) return;
  Int32 n = 0;
  if (!stream->TryReadValue<Int32>(n)) return;
  TUpdateScope scope(*this);
  for (Int32 i = 0; i < n; ++i) Add(ReadItemString(stream, kMinStoredString, i));
}

void TSaveStringList::SaveToStream(TStream* stream) {
  if (stream == nullptr) return;
  const Int32 n = GetCount();
  stream->WriteValue<Int32>(n);
  for (Int32 i = 0; i < n; ++i) WriteItemString(stream, Get(i));
}

bool TSaveStringList::ReadFromStream(TStream* stream) {
  LoadFromStream(stream);
  return true;
}

bool TSaveStringList::SavedToStream(TStream* stream) {
  SaveToStream(stream);
  return true;
}

// ---- TStringlistWithALongint -------------------------------------------------

TStringlistWithALongint::~TStringlistWithALongint() { Clear(); }

Int32 TStringlistWithALongint::AddOne(const String& s, Int32 value) { return AddHeld<TLongIntHolder>(s, value); }

Int32 TStringlistWithALongint::AddOneInOrder(const String& s, Int32 value) {
  const Int32 n = GetCount();
  if (!Sorted() || (n > 0 && CompareStrings(fItems.back().s, s) >= 0)) return AddOne(s, value);
  InsertItem(n, s, new TLongIntHolder(value));
  return n;
}

Int32 TStringlistWithALongint::GetOne(Int32 index) const {
  const TLongIntHolder* h = HeldAt<TLongIntHolder>(index);
  return h != nullptr ? h->data : 0;
}

void TStringlistWithALongint::SetOne(Int32 index, Int32 value) {
  if (TLongIntHolder* h = HeldOrNew<TLongIntHolder>(index, value)) h->data = value;
}

Int32 TStringlistWithALongint::AddOrIncFreq(const String& s, Int32 n) {
  const Int32 i = IndexOf(s);
  if (i < 0) return AddOne(s, n);
  if (TLongIntHolder* h = HeldOrNew<TLongIntHolder>(i, 0)) h->data = WrappingAdd(h->data, n);
  return i;
}

Int32 TStringlistWithALongint::AddOrIncByOne(const String& s) { return AddOrIncFreq(s, 1); }

Int32 TStringlistWithALongint::HighestFrequency() const {
  Int32 r = 0;
  for (Int32 i = 0; i < GetCount(); ++i) r = std::max(r, GetOne(i));
  return r;
}

TStringAndIntegerRec TStringlistWithALongint::GetAStringAndIntRec(Int32 index) const {
  if (!IndexAssignedOK(index)) return {};
  return {Get(index), GetOne(index)};
}

String TStringlistWithALongint::GetDataAsTabbedString(Int32 index) const {
  if (!IndexAssignedOK(index)) return {};
  return Get(index) + kTab + IntToStr(GetOne(index));
}

void TStringlistWithALongint::SetTextStr(const String& text) {
  TUpdateScope scope(*this);
  Clear();
  // Clear leaves this list unsorted, so the lines stay in the text's order;
  // a descendant whose Clear keeps it sorted takes them at once.
  const bool bulk = TakesLinesInBulk();
  std::vector<Item> lines;
  struct TFreeLeftOver {
    std::vector<Item>& lines;
    ~TFreeLeftOver() { DeleteObjectsOf(lines); }
  } freeLeftOver{lines};
  ForEachLine(text, LineBreak(), [&](const String& line) {
    const size_t tab = line.find(kTab);
    Int32 value = 0;
    const bool tabbed = tab != String::npos && tab > 0 && TryStrToInt(line.substr(tab + 1), value);
    String s = tabbed ? line.substr(0, tab) : line;
    if (!tabbed) value = -1;
    if (!bulk) {
      AddOne(s, value);
      return;
    }
    lines.push_back(Item{std::move(s), nullptr});
    lines.back().obj = new TLongIntHolder(value);
  });
  if (bulk) AddSortedLinesInBulk(lines);
}

void TStringlistWithALongint::SortOnFreq() { SortWith(&StringListWithALongintSortOn_Freq<>); }

void TStringlistWithALongint::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

void TStringlistWithALongint::LoadOneItem(TStream* stream, Int32 index) {
  const String s = ReadItemString(stream, kMinStringAndLongint, index);
  const Int32 value = ReadItemValue<Int32>(stream, index);
  AddOne(s, value);
}

void TStringlistWithALongint::SaveOneItem(TStream* stream, Int32 index) {
  WriteItemString(stream, Get(index));
  stream->WriteValue<Int32>(GetOne(index));
}

// ---- TStringListWithASingle --------------------------------------------------

TStringListWithASingle::~TStringListWithASingle() { Clear(); }

Int32 TStringListWithASingle::AddOne(const String& s, Single value) { return AddHeld<TSingleHolder>(s, value); }

Single TStringListWithASingle::GetOne(Int32 index) const {
  const TSingleHolder* h = HeldAt<TSingleHolder>(index);
  return h != nullptr ? h->data : 0.0f;
}

void TStringListWithASingle::SetOne(Int32 index, Single value) {
  if (TSingleHolder* h = HeldOrNew<TSingleHolder>(index, value)) h->data = value;
}

Int32 TStringListWithASingle::AddOrIncByOne(const String& s, Single value) {
  const Int32 i = IndexOf(s);
  if (i < 0) return AddOne(s, value);
  if (TSingleHolder* h = HeldOrNew<TSingleHolder>(i, 0.0f))
    h->data = static_cast<Single>(static_cast<Double>(h->data) + 1.0);
  return i;
}

void TStringListWithASingle::SortOnFreq() { SortWith(&StringListWithSingleSortOn_Freq<>); }

void TStringListWithASingle::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

// ---- TStringListWith2LongintRec ----------------------------------------------

TStringListWith2LongintRec::~TStringListWith2LongintRec() { Clear(); }

Int32 TStringListWith2LongintRec::AddOne(const String& s, const T2_longint_rec& value) {
  return AddHeld<TTwoLongIntHolder>(s, value);
}

T2_longint_rec TStringListWith2LongintRec::GetOne(Int32 index) const {
  const TTwoLongIntHolder* h = HeldAt<TTwoLongIntHolder>(index);
  return h != nullptr ? h->data : T2_longint_rec{};
}

void TStringListWith2LongintRec::SetOne(Int32 index, const T2_longint_rec& value) {
  if (TTwoLongIntHolder* h = HeldOrNew<TTwoLongIntHolder>(index, value)) h->data = value;
}

void TStringListWith2LongintRec::AddToOneFreq(Int32 index, Int32 n, T2LongintSort which) {
  TTwoLongIntHolder* h = HeldOrNew<TTwoLongIntHolder>(index, T2_longint_rec{});
  if (h == nullptr) return;
  Int32& field = which == t2_long1 ? h->data.long1 : h->data.long0;
  field = WrappingAdd(field, n);
}

void TStringListWith2LongintRec::IncOne(Int32 index, T2LongintSort which) { AddToOneFreq(index, 1, which); }

Int32 TStringListWith2LongintRec::Repeateds(T2LongintSort which) const {
  Int32 r = 0;
  for (Int32 i = 0; i < GetCount(); ++i) {
    const T2_longint_rec v = GetOne(i);
    if ((which == t2_long1 ? v.long1 : v.long0) > 1) ++r;
  }
  return r;
}

void TStringListWith2LongintRec::Delete(Int32 index) {
  if (!IndexAssignedOK(index)) return;
  TIndexCheckStringlist::Delete(index);
}

void TStringListWith2LongintRec::SortOnFreq(T2LongintSort which) {
  if (which == t2_long1)
    SortWith(&StringListWithDoubleLongintListSortOn_Long1<>);
  else
    SortWith(&StringListWithDoubleLongintListSortOn_Long0<>);
}

void TStringListWith2LongintRec::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

// ---- TStringListWithIntAndSingle ---------------------------------------------

TStringListWithIntAndSingle::~TStringListWithIntAndSingle() { Clear(); }

Int32 TStringListWithIntAndSingle::AddOne(const String& s, const TIntegerAndSingleRec& value) {
  return AddHeld<TIntegerAndSingleHolder>(s, value);
}

TIntegerAndSingleRec TStringListWithIntAndSingle::GetOne(Int32 index) const {
  const TIntegerAndSingleHolder* h = HeldAt<TIntegerAndSingleHolder>(index);
  return h != nullptr ? h->data : TIntegerAndSingleRec{};
}

void TStringListWithIntAndSingle::SetOne(Int32 index, const TIntegerAndSingleRec& value) {
  if (TIntegerAndSingleHolder* h = HeldOrNew<TIntegerAndSingleHolder>(index, value)) h->data = value;
}

TStringIntegerAndSingleRec TStringListWithIntAndSingle::GetOneStrIntSingle(Int32 index) const {
  if (!IndexAssignedOK(index)) return {};
  return {GetOne(index), Get(index)};
}

void TStringListWithIntAndSingle::SortOnInt(bool ascending) {
  global_reversed_sort = !ascending;
  SortWith(&SListWIntAndSingleSortOn_Int<>);
}

void TStringListWithIntAndSingle::SortOnSingleSort2Int(bool ascending) {
  global_reversed_sort = !ascending;
  SortWith(&SListWIntAndSingleSortOn_Single_Sort2_Int<>);
}

void TStringListWithIntAndSingle::SortOnSingleSort2String(bool ascending) {
  global_reversed_sort = !ascending;
  SortWith(&SListWIntAndSingleSortOn_Single_Sort2_String<>);
}

void TStringListWithIntAndSingle::SortOnStrings(bool ascending) {
  global_reversed_sort = !ascending;
  SortWith(&SListWIntAndSingleSortOn_Strings<>);
}

void TStringListWithIntAndSingle::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

// ---- TStringListWith2IntsAndSingle -------------------------------------------

TStringListWith2IntsAndSingle::~TStringListWith2IntsAndSingle() { Clear(); }

Int32 TStringListWith2IntsAndSingle::AddOne(const String& s, const T2LongintAndSingleRec& value) {
  return AddHeld<T2IntsAndSingleHolder>(s, value);
}

T2LongintAndSingleRec TStringListWith2IntsAndSingle::GetOne(Int32 index) const {
  const T2IntsAndSingleHolder* h = HeldAt<T2IntsAndSingleHolder>(index);
  return h != nullptr ? h->data : T2LongintAndSingleRec{};
}

void TStringListWith2IntsAndSingle::SetOne(Int32 index, const T2LongintAndSingleRec& value) {
  if (T2IntsAndSingleHolder* h = HeldOrNew<T2IntsAndSingleHolder>(index, value)) h->data = value;
}

TString2IntsAndSingleRec TStringListWith2IntsAndSingle::GetOneStrIntsSingle(Int32 index) const {
  if (!IndexAssignedOK(index)) return {};
  return {GetOne(index), Get(index)};
}

void TStringListWith2IntsAndSingle::SortOn_Int(T2LongintSort which, bool ascending) {
  temp_Sort_which2 = which;
  global_reversed_sort = !ascending;
  SortWith(&SListWIntsAndSingleSortOn_Int<>);
}

void TStringListWith2IntsAndSingle::SortOnSingle_Sort2Int(T2LongintSort which, bool ascending) {
  temp_Sort_which2 = which;
  global_reversed_sort = !ascending;
  SortWith(&SListWIntsAndSingleSortOn_Single_Sort2Int<>);
}

void TStringListWith2IntsAndSingle::SortOnSingle_Sort2String(bool ascending) {
  global_reversed_sort = !ascending;
  SortWith(&SListWIntsAndSingleSortOn_Single_Sort2_String<>);
}

void TStringListWith2IntsAndSingle::SortOnStrings(bool ascending) {
  global_reversed_sort = !ascending;
  SortWith(&SListWIntsAndSingleSortOn_Strings<>);
}

void TStringListWith2IntsAndSingle::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

void TStringListWith2IntsAndSingle::LoadOneItem(TStream* stream, Int32 index) {
  const String s = ReadItemString(stream, kMinStringAnd2IntsAndSingle, index);
  T2LongintAndSingleRec rec;
  rec.t2.long0 = ReadItemValue<Int32>(stream, index);
  rec.t2.long1 = ReadItemValue<Int32>(stream, index);
  rec.s = ReadItemValue<Single>(stream, index);
  AddOne(s, rec);
}

void TStringListWith2IntsAndSingle::SaveOneItem(TStream* stream, Int32 index) {
  const T2LongintAndSingleRec rec = GetOne(index);
  WriteItemString(stream, Get(index));
  stream->WriteValue<Int32>(rec.t2.long0);
  stream->WriteValue<Int32>(rec.t2.long1);
  stream->WriteValue<Single>(rec.s);
}

// ---- TStringListWithStringAndMeanAndSD_rec -----------------------------------

TStringListWithStringAndMeanAndSD_rec::~TStringListWithStringAndMeanAndSD_rec() { Clear(); }

Int32 TStringListWithStringAndMeanAndSD_rec::AddOne(const String& s, const TStringAndMeanAndSD_rec& value) {
  return AddHeld<TStringAndMeanAndSD_recHolder>(s, value);
}

TStringAndMeanAndSD_rec TStringListWithStringAndMeanAndSD_rec::GetOne(Int32 index) const {
  const TStringAndMeanAndSD_recHolder* h = HeldAt<TStringAndMeanAndSD_recHolder>(index);
  return h != nullptr ? h->data : TStringAndMeanAndSD_rec{};
}

void TStringListWithStringAndMeanAndSD_rec::SetOne(Int32 index, const TStringAndMeanAndSD_rec& value) {
  if (TStringAndMeanAndSD_recHolder* h = HeldOrNew<TStringAndMeanAndSD_recHolder>(index, value)) h->data = value;
}

void TStringListWithStringAndMeanAndSD_rec::SortOnMeans() {
  SortWith(&StringListWithStringAndMeanAndSD_recDescending<>);
}

void TStringListWithStringAndMeanAndSD_rec::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

// ---- TStringListWithStringAndIntList -----------------------------------------

TStringListWithStringAndIntList::~TStringListWithStringAndIntList() { Clear(); }

Int32 TStringListWithStringAndIntList::AddOne(const String& s, const TStringAndIntegerRec& value) {
  return AddHeld<TStringAndIntegerHolder>(s, value);
}

TStringAndIntegerRec TStringListWithStringAndIntList::GetOne(Int32 index) const {
  const TStringAndIntegerHolder* h = HeldAt<TStringAndIntegerHolder>(index);
  return h != nullptr ? h->data : TStringAndIntegerRec{};
}

void TStringListWithStringAndIntList::SetOne(Int32 index, const TStringAndIntegerRec& value) {
  if (TStringAndIntegerHolder* h = HeldOrNew<TStringAndIntegerHolder>(index, value)) h->data = value;
}

void TStringListWithStringAndIntList::SortOnInts() { SortWith(&StringListWithStringAndInteger_Sort_Int<>); }

void TStringListWithStringAndIntList::SortOnSubStrings() {
  SortWith(&StringListWithStringAndInteger_Sort_Substring<>);
}

void TStringListWithStringAndIntList::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

// ---- TStringListWithDate -----------------------------------------------------

TStringListWithDate::~TStringListWithDate() { Clear(); }

Int32 TStringListWithDate::AddOne(const String& s, TDateTime value) { return AddHeld<TDateTimeHolder>(s, value); }

TDateTime TStringListWithDate::GetOne(Int32 index) const {
  const TDateTimeHolder* h = HeldAt<TDateTimeHolder>(index);
  return h != nullptr ? h->data : 0.0;
}

void TStringListWithDate::SetOne(Int32 index, TDateTime value) {
  if (TDateTimeHolder* h = HeldOrNew<TDateTimeHolder>(index, value)) h->data = value;
}

void TStringListWithDate::SortOnDates(bool ascending) {
  global_reversed_sort = !ascending;
  SortWith(&SListSortOn_Date<>);
}

void TStringListWithDate::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

// ---- TStringListWithString ---------------------------------------------------

TStringListWithString::~TStringListWithString() { Clear(); }

Int32 TStringListWithString::AddOne(const String& s, const String& second) {
  return AddHeld<TStringHolder>(s, second);
}

T2_Strings TStringListWithString::GetOne(Int32 index) const {
  T2_Strings r;
  r.s0 = Get(index);  // raises the list's index error for an invalid index
  if (const TStringHolder* h = HeldAt<TStringHolder>(index)) r.s1 = h->data;
  return r;
}

void TStringListWithString::SetOne(Int32 index, const T2_Strings& value) {
  Put(index, value.s0);  // raises the list's index error for an invalid index
  if (TStringHolder* h = HeldOrNew<TStringHolder>(index, value.s1)) h->data = value.s1;
}

void TStringListWithString::SortOnSubordinateStrings(bool ascending) {
  // The flag is set for callers, as every direction-taking sort of these
  // lists does; the comparer keeps its own copy of the direction.
  const bool reversed = !ascending;
  global_reversed_sort = reversed;
  // The order is not the one lookups search by halving.
  fSorted = false;
  fSortEndedEarly = false;
  const Int32 n = GetCount();
  if (n < 2) return;
  // Each line's second string is lower-cased once, not at every comparison.
  // The sort moves the keys with the lines' first places, and the lines then
  // move once, each to the place an exchange of lines would have taken it.
  std::vector<String> keys(static_cast<size_t>(n));
  std::vector<Int32> from(static_cast<size_t>(n));
  TTimedYield yield;
  for (Int32 i = 0; i < n; ++i) {
    if (yield.Tick()) {  // stopped before anything moved
      fSortEndedEarly = true;
      return;
    }
    const auto* h = dynamic_cast<const TStringHolder*>(GetObject(i));
    if (h != nullptr) keys[static_cast<size_t>(i)] = AnsiLowerCase(h->data);
    from[static_cast<size_t>(i)] = i;
  }
  fSortEndedEarly = !QuickSortIndexesChecked(
      0, n - 1,
      [&](Int32 a, Int32 b) {
        if (reversed) std::swap(a, b);
        return Compare2Strings(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]);
      },
      [&](Int32 a, Int32 b) {
        std::swap(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]);
        std::swap(from[static_cast<size_t>(a)], from[static_cast<size_t>(b)]);
      },
      SortCheckPoint());
  Changing();
  TItems moved;
  moved.reserve(fItems.size());
  for (Int32 k : from) moved.push_back(std::move(fItems[static_cast<size_t>(k)]));
  fItems.swap(moved);
  Changed();
}

void TStringListWithString::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

// ---- TStringListWithLongintList ----------------------------------------------

TStringListWithLongintList::~TStringListWithLongintList() { Clear(); }

Int32 TStringListWithLongintList::AddToLineList(const String& s, Int32 n) {
  const Int32 i = IndexOf(s);
  if (i < 0) {
    auto list = std::make_unique<T1LongintList>();
    list->AddOne(n);
    const Int32 size = list->Count();
    const Int32 r = AddObject(s, list.get());
    if (!IndexAssignedOK(r) || GetObject(r) != list.get()) return 0;
    list.release();
    return size;
  }
  T1LongintList* list = HeldAt<T1LongintList>(i);
  if (list == nullptr) {
    if (GetObject(i) != nullptr) return 0;  // a foreign object: not ours to replace
    auto fresh = std::make_unique<T1LongintList>();
    PutObject(i, fresh.get());
    list = fresh.release();
  }
  if (!HoldsNumber(*list, n)) {
    list->AddOne(n);
    NumberAppended(*list, n);
  }
  return list->Count();
}

bool TStringListWithLongintList::HoldsNumber(const T1LongintList& list, Int32 n) {
  // A list sorted by its owner finds n by halving itself.
  if (list.sorted && list.SortedOn() == tml_0) return const_cast<T1LongintList&>(list).IndexOf(n, tml_0) >= 0;
  TNumbersSeen& seen = fSeen[&list];
  const Int32 count = list.Count();
  if (seen.count != count || (count > 0 && list.GetAValue(count - 1) != seen.last)) {
    seen = TNumbersSeen{};
    seen.count = count;
    for (Int32 i = 0; i < count; ++i) {
      const Int32 v = list.GetAValue(i);
      if (i > 0 && v < seen.last) seen.ascending = false;
      seen.last = v;
    }
    if (!seen.ascending)
      for (Int32 i = 0; i < count; ++i) seen.values.insert(list.GetAValue(i));
  }
  if (!seen.ascending) return seen.values.count(n) > 0;
  if (count == 0 || n > seen.last) return false;
  Int32 lo = 0;
  Int32 hi = count - 1;
  while (lo <= hi) {
    const Int32 mid = lo + (hi - lo) / 2;
    const Int32 v = list.GetAValue(mid);
    if (v == n) return true;
    if (v < n)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return false;
}

void TStringListWithLongintList::NumberAppended(const T1LongintList& list, Int32 n) {
  const auto it = fSeen.find(&list);
  if (it == fSeen.end()) return;
  TNumbersSeen& seen = it->second;
  const Int32 count = list.Count();
  // Not appended (the list went sorted in between): read it again next time.
  if (seen.count < 0 || count != seen.count + 1 || list.GetAValue(count - 1) != n) {
    fSeen.erase(it);
    return;
  }
  seen.count = count;
  if (seen.ascending && count > 1 && n < seen.last) {
    seen.ascending = false;
    for (Int32 i = 0; i < count; ++i) seen.values.insert(list.GetAValue(i));
  } else if (!seen.ascending) {
    seen.values.insert(n);
  }
  seen.last = n;
}

Int32 TStringListWithLongintList::AddOneOrAddToList(const String& s, Int32 n) { return AddToLineList(s, n); }

Int32 TStringListWithLongintList::AddOrIncByOne(const String& s, Int32 n) { return AddToLineList(s, n); }

T1LongintList* TStringListWithLongintList::GetOne(Int32 index) const {
  return dynamic_cast<T1LongintList*>(GetObject(index));  // raises for an invalid index
}

void TStringListWithLongintList::FreeAndNilOne(Int32 index) {
  if (IndexAssignedOK(index)) fSeen.erase(dynamic_cast<const T1LongintList*>(GetObject(index)));
  FreeLineObject(index);
}

Int32 StringListWithLongintListSortOn_ListCounts(TStringList* list, Int32 index1, Int32 index2) {
  if (index1 == index2) return 0;
  auto count = [list](Int32 i) {
    const auto* held = dynamic_cast<const T1LongintList*>(list->Objects(i));
    return held != nullptr ? held->Count() : 0;
  };
  return CompareLongints(count(index2), count(index1));
}

// ---- TStringListWith2LongintList ---------------------------------------------

TStringListWith2LongintList::~TStringListWith2LongintList() { Clear(); }

Int32 TStringListWith2LongintList::AddOrAddPair(const String& s, const T2_longint_rec& pair) {
  const Int32 i = IndexOf(s);
  T2LongintList* list = i >= 0 ? HeldAt<T2LongintList>(i) : nullptr;
  if (list == nullptr) {
    if (i >= 0 && GetObject(i) != nullptr) return 0;  // a foreign object: not ours to replace
    auto fresh = std::make_unique<T2LongintList>();
    list = fresh.get();
    if (i >= 0) {
      PutObject(i, list);
      fresh.release();
    } else {
      const Int32 r = AddObject(s, list);
      if (!IndexAssignedOK(r) || GetObject(r) != list) return 0;
      fresh.release();
    }
  }
  list->AddOne(pair);
  return list->Count();
}

T2LongintList* TStringListWith2LongintList::GetOne(Int32 index) const { return HeldAt<T2LongintList>(index); }

void TStringListWith2LongintList::SortListOn(T2LongintSort which) {
  for (Int32 i = 0; i < GetCount(); ++i) {
    T2LongintList* list = HeldAt<T2LongintList>(i);
    if (list == nullptr) continue;
    if (which == t2_long1)
      list->DoubleSort(tml_1, tml_0);
    else
      list->DoubleSort(tml_0, tml_1);
  }
}

void TStringListWith2LongintList::FreeAndNilOne(Int32 index) { FreeLineObject(index); }

// ---- TStringListWithStringLists ----------------------------------------------

TStringListWithStringLists::TStringListWithStringLists() = default;

TStringListWithStringLists::~TStringListWithStringLists() { Clear(); }

Int32 TStringListWithStringLists::AddOne(const String& s, const String& first, bool sorted) {
  auto list = std::make_unique<TStringList>();
  list->SetSorted(sorted);
  if (!first.empty()) list->Add(first);
  const Int32 r = AddObject(s, list.get());
  if (r >= 0 && r < GetCount() && GetObject(r) == list.get()) list.release();
  return r;
}

void TStringListWithStringLists::AddToList(Int32 index, const String& s) {
  TObject* obj = GetObject(index);  // raises the list's index error for an invalid index
  auto* list = dynamic_cast<TStringList*>(obj);
  if (list == nullptr) {
    if (obj != nullptr) return;  // a foreign object: not ours to replace
    auto fresh = std::make_unique<TStringList>();
    PutObject(index, fresh.get());
    list = fresh.release();
  }
  list->Add(s);
}

TStringList* TStringListWithStringLists::GetAList(Int32 index) const {
  return dynamic_cast<TStringList*>(GetObject(index));
}

void TStringListWithStringLists::Delete(Int32 index) {
  TObject* obj = GetObject(index);  // raises the list's index error for an invalid index
  PutObject(index, nullptr);
  delete obj;
  TStringList::Delete(index);
}

void TStringListWithStringLists::Clear() {
  for (Int32 i = 0; i < GetCount(); ++i) {
    TObject* obj = GetObject(i);
    if (obj == nullptr) continue;
    PutObject(i, nullptr);
    delete obj;
  }
  TStringList::Clear();
}

TObject* TStringListWithStringLists::AdoptedObject(TObject*) const { return nullptr; }

// ---- TNumberAndTotalStringlist -----------------------------------------------

TNumberAndTotalStringlist::~TNumberAndTotalStringlist() { Clear(); }

void TNumberAndTotalStringlist::Delete(Int32 index) {
  TObject* obj = GetObject(index);  // raises the list's index error for an invalid index
  if (dynamic_cast<TNumberAndTotalHolder*>(obj) != nullptr) {
    PutObject(index, nullptr);
    delete obj;
  }
  TStringList::Delete(index);
}

void TNumberAndTotalStringlist::Clear() {
  for (Int32 i = 0; i < GetCount(); ++i) {
    TObject* obj = GetObject(i);
    if (dynamic_cast<TNumberAndTotalHolder*>(obj) == nullptr) continue;
    PutObject(i, nullptr);
    delete obj;
  }
  TStringList::Clear();
}

TObject* TNumberAndTotalStringlist::AdoptedObject(TObject* obj) const {
  return dynamic_cast<TNumberAndTotalHolder*>(obj) != nullptr ? nullptr : TStringList::AdoptedObject(obj);
}

}  // namespace sk
