#include "zip/ZADirArray.h"

#include <algorithm>
#include <utility>

#include "core/UnitCounter.h"
#include "platform/runtime/Locale.h"
#include "zip/ZAExcept.h"

namespace sk {

// ---------------------------------------------------------------------------
// TZAStringHash

TZAStringHash::TZAStringHash(Cardinal size) : Buckets(size == 0 ? 1 : size, nullptr), Size(size == 0 ? 1 : size) {}

TZAStringHash::~TZAStringHash() { Clear(); }

Cardinal TZAStringHash::HashOf(const String& key) const {
  Cardinal h = 0;
  for (Char c : key) h = ((h << 2) | (h >> 30)) ^ c;
  return h;
}

void TZAStringHash::Add(const String& key, Int32 value) {
  const Cardinal b = HashOf(key) % Size;
  auto* item = new THashItem;
  item->Key = key;
  item->Value = value;
  item->Next = Buckets[b];
  Buckets[b] = item;
}

THashItem** TZAStringHash::Find(const String& key) {
  THashItem** link = &Buckets[HashOf(key) % Size];
  while (*link != nullptr && (*link)->Key != key) link = &(*link)->Next;
  return link;
}

bool TZAStringHash::Modify(const String& key, Int32 value) {
  THashItem* item = *Find(key);
  if (item == nullptr) return false;
  item->Value = value;
  return true;
}

void TZAStringHash::Remove(const String& key) {
  THashItem** link = Find(key);
  if (THashItem* item = *link) {
    *link = item->Next;
    delete item;
  }
}

void TZAStringHash::Remove(const String& key, Int32 value) {
  THashItem** link = &Buckets[HashOf(key) % Size];
  while (*link != nullptr && ((*link)->Key != key || (*link)->Value != value)) link = &(*link)->Next;
  if (THashItem* item = *link) {
    *link = item->Next;
    delete item;
  }
}

Int32 TZAStringHash::ValueOf(const String& key) {
  THashItem* item = *Find(key);
  return item != nullptr ? item->Value : -1;
}

std::vector<Int32> TZAStringHash::ValuesOf(const String& key) {
  std::vector<Int32> r;
  for (THashItem* item = Buckets[HashOf(key) % Size]; item != nullptr; item = item->Next)
    if (item->Key == key) r.push_back(item->Value);
  return r;
}

void TZAStringHash::Clear() {
  for (THashItem*& head : Buckets) {
    while (head != nullptr) {
      THashItem* next = head->Next;
      delete head;
      head = next;
    }
  }
}

// ---------------------------------------------------------------------------
// TZAHashedStringList

String TZAHashedStringList::KeyOf(const String& s) const { return CaseSensitive() ? s : AnsiLowerCase(s); }

Int32 TZAHashedStringList::Add(const String& s) {
  ++FGeneration;
  const Int32 index = TStringList::Add(s);
  if (FValueHash && FValueHashValid) {
    FValueHash->Add(KeyOf(s), index);
    if (static_cast<UInt64>(GetCount()) > 5ull * FValueHash->Size) {
      FValueHash.reset();
      FValueHashValid = false;
    }
  }
  return index;
}

void TZAHashedStringList::Update(Int32 index, const String& s) {
  ++FGeneration;
  const String old = Get(index);
  if (FValueHash) FValueHash->Remove(KeyOf(old), index);
  Put(index, s);
  if (FValueHash) FValueHash->Add(KeyOf(s), index);
}

void TZAHashedStringList::Delete(Int32 index) {
  ++FGeneration;
  TStringList::Delete(index);
  FValueHashValid = false;
  FNameHashValid = false;
}

void TZAHashedStringList::Clear() {
  ++FGeneration;
  TStringList::Clear();
  if (FValueHash) FValueHash->Clear();
}

void TZAHashedStringList::UpdateValueHash() const {
  if (!FValueHash) {
    FValueHash = std::make_unique<TZAStringHash>(static_cast<Cardinal>(std::max(GetCount(), 1000)));
    FValueHashValid = false;
  }
  if (FValueHashValid) return;
  FValueHash->Clear();
  for (Int32 i = 0; i < GetCount(); ++i) FValueHash->Add(KeyOf(Get(i)), i);
  FValueHashValid = true;
}

void TZAHashedStringList::UpdateNameHash() const {
  if (FNameHashValid) return;
  if (!FNameHash)
    FNameHash = std::make_unique<TZAStringHash>(256);
  else
    FNameHash->Clear();
  for (Int32 i = 0; i < GetCount(); ++i) {
    const String s = Get(i);
    const size_t eq = s.find(NameValueSeparator());
    if (eq != String::npos) FNameHash->Add(KeyOf(s.substr(0, eq)), i);
  }
  FNameHashValid = true;
}

Int32 TZAHashedStringList::IndexOf(const String& s) const {
  UpdateValueHash();
  return FValueHash->ValueOf(KeyOf(s));
}

Int32 TZAHashedStringList::IndexOfName(const String& name) const {
  UpdateNameHash();
  return FNameHash->ValueOf(KeyOf(name));
}

std::vector<Int32> TZAHashedStringList::IndexesOf(const String& s) const {
  UpdateValueHash();
  return FValueHash->ValuesOf(KeyOf(s));
}

// ---------------------------------------------------------------------------
// TZANameMatchIndex

namespace {

// The two texts of a name that a mask is compared with: the name without one
// trailing separator, and the part after its last separator.
std::pair<String, String> MatchedTextsOf(const String& name) {
  String whole = name;
  if (!whole.empty() && (whole.back() == u'/' || whole.back() == u'\\')) whole.pop_back();
  const size_t cut = whole.find_last_of(u"/\\");
  String last = cut == String::npos ? whole : whole.substr(cut + 1);
  return {std::move(whole), std::move(last)};
}

}  // namespace

TZANameMatchIndex::TZANameMatchIndex(std::string locale) : Locale(std::move(locale)) {
  // Distinct printable ASCII characters are never equal to the matcher, so
  // each is a class of its own; any other unit joins one of them when it has
  // the same collation key.
  for (Char c = 0x20; c < 0x7F; ++c) {
    fClasses.emplace(c, c);
    if (std::string key = CollationKeyOf(c); !key.empty()) fByCollationKey.emplace(std::move(key), c);
  }
}

std::string TZANameMatchIndex::CollationKeyOf(Char c) {
  const Int32 need = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, &c, 1, nullptr, 0);
  if (need <= 0) return std::string();
  std::string key(static_cast<size_t>(need), '\0');
  if (LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, &c, 1, reinterpret_cast<Char*>(key.data()), need) != need)
    return std::string();
  return key;
}

Char TZANameMatchIndex::ClassOf(Char c) {
  const Char upper = AnsiUpperChar(c);
  if (auto it = fClasses.find(upper); it != fClasses.end()) return it->second;
  // Without a collator the matcher takes only identical units for equal.
  const std::string key = CollationKeyOf(upper);
  // The first unit met with a key stands for every unit of that key.
  const Char cls = key.empty() ? upper : fByCollationKey.emplace(key, upper).first->second;
  fClasses.emplace(upper, cls);
  return cls;
}

String TZANameMatchIndex::KeyOf(const String& text) {
  String key = text;
  if (!key.empty() && key.back() == u'.') key.pop_back();
  for (Char& c : key) c = ClassOf(c == u'\\' ? u'/' : c);
  return key;
}

void TZANameMatchIndex::Add(Int32 position, const String& name) {
  const auto [whole, last] = MatchedTextsOf(name);
  const String wholeKey = KeyOf(whole);
  fPositions[wholeKey].insert(position);
  const String lastKey = KeyOf(last);
  if (lastKey != wholeKey) fPositions[lastKey].insert(position);
}

void TZANameMatchIndex::Remove(Int32 position, const String& name) {
  const auto [whole, last] = MatchedTextsOf(name);
  for (const String& key : {KeyOf(whole), KeyOf(last)}) {
    auto it = fPositions.find(key);
    if (it == fPositions.end()) continue;
    it->second.erase(position);
    if (it->second.empty()) fPositions.erase(it);
  }
}

Int32 TZANameMatchIndex::Next(const String& key, Int32 from) const {
  auto it = fPositions.find(key);
  if (it == fPositions.end()) return -1;
  auto p = it->second.lower_bound(from);
  return p == it->second.end() ? -1 : *p;
}

// ---------------------------------------------------------------------------
// TZADirArray

TZADirArray::TZADirArray() : FItemNamesList(std::make_unique<TZAHashedStringList>()) {}

TZADirArray::~TZADirArray() { Clear(); }

void TZADirArray::SetCount(Int32 n) {
  if (n < 0) throw EZAException(1);
  if (n > AllocItemCount) {
    AllocBy = std::min(2 * AllocBy, MaxAllocBy);
    if (static_cast<Int64>(AllocItemCount) + AllocBy > n)
      AllocItemCount += AllocBy;
    else
      AllocItemCount = n;
    FItems.resize(static_cast<size_t>(AllocItemCount));
  } else if (n == 0) {
    std::vector<TDirItem>().swap(FItems);
    AllocItemCount = 0;
  }
  ItemCount = n;
}

TDirItem TZADirArray::GetItem(Int32 index) const {
  if (index < 0 || index >= ItemCount) throw EZAException(2);
  return FItems[static_cast<size_t>(index)];
}

TDirItem* TZADirArray::GetItemPtr(Int32 index) {
  if (index < 0 || index >= ItemCount) throw EZAException(3);
  return &FItems[static_cast<size_t>(index)];
}

void TZADirArray::SetItem(Int32 index, const TDirItem& item) {
  if (index < 0 || index >= ItemCount) throw EZAException(1);
  const String key = AnsiLowerCase(item.Name);
  const Int32 listCount = FItemNamesList->GetCount();
  if (index < listCount)
    FItemNamesList->Update(index, key);
  else if (index == listCount)
    FItemNamesList->Add(key);
  else
    throw EZAException(58);
  TDirItem& slot = FItems[static_cast<size_t>(index)];
  if (&slot != &item) slot = item;
}

void TZADirArray::SetItemName(Int32 index, String name) {
  // The list keeps to positions: entry i's name is at position i whatever
  // names other entries carry (two empty names, or names that differ only in
  // case, must not move each other's places).
  const Int32 listCount = FItemNamesList->GetCount();
  if (index < 0 || index >= ItemCount || index > listCount) throw EZAException(59);
  const String key = AnsiLowerCase(name);
  const bool indexCurrent = MatchIndexCurrent();
  if (index < listCount)
    FItemNamesList->Update(index, key);
  else
    FItemNamesList->Add(key);
  String& stored = FItems[static_cast<size_t>(index)].Name;
  if (indexCurrent && index < listCount) {
    // A rename in place: the index follows it instead of being built again.
    fMatchIndex->Remove(index, stored);
    fMatchIndex->Add(index, name);
    fMatchIndex->Generation = FItemNamesList->FGeneration;
  }
  stored = std::move(name);
}

bool TZADirArray::FileExists(const String& name, Int32& index) const {
  index = -1;
  for (Int32 p : FItemNamesList->IndexesOf(AnsiLowerCase(name))) {
    if (p < 0 || p >= ItemCount) continue;  // a name left from entries cut off by SetCount
    if (index < 0) index = p;
    if (FItems[static_cast<size_t>(p)].Name == name) {
      index = p;
      break;
    }
  }
  return index >= 0;
}

void TZADirArray::DeleteItem(Int32 index) {
  if (index < 0 || index >= ItemCount) throw EZAException(4);
  TDirItem& item = FItems[static_cast<size_t>(index)];
  if (item.Stream && item.bDestroyStream) item.Stream.reset();
  if (index < FItemNamesList->GetCount()) FItemNamesList->Delete(index);
  std::move(FItems.begin() + index + 1, FItems.begin() + ItemCount, FItems.begin() + index);
  FItems[static_cast<size_t>(ItemCount - 1)] = TDirItem();
  SetCount(ItemCount - 1);
}

void TZADirArray::DeleteItems(const std::vector<bool>& doomed) {
  const Int32 listCount = FItemNamesList->GetCount();
  std::vector<String> names;
  names.reserve(static_cast<size_t>(listCount));
  Int32 kept = 0;
  for (Int32 i = 0; i < ItemCount; ++i) {
    TDirItem& item = FItems[static_cast<size_t>(i)];
    if (static_cast<size_t>(i) < doomed.size() && doomed[static_cast<size_t>(i)]) {
      item = TDirItem();
      continue;
    }
    if (i < listCount) names.push_back(FItemNamesList->Get(i));
    if (kept != i) FItems[static_cast<size_t>(kept)] = std::move(item);
    ++kept;
  }
  if (kept == ItemCount) return;
  for (Int32 i = kept; i < ItemCount; ++i) FItems[static_cast<size_t>(i)] = TDirItem();
  // The name list is laid down anew; its index is rebuilt at the next lookup.
  FItemNamesList->Clear();
  FItemNamesList->FValueHashValid = false;
  FItemNamesList->FNameHashValid = false;
  for (String& n : names) FItemNamesList->Add(n);
  SetCount(kept);
}

void TZADirArray::Clear() {
  for (Int32 i = 0; i < ItemCount; ++i) FItems[static_cast<size_t>(i)] = TDirItem();
  ItemCount = 0;
  FItemNamesList->Clear();
}

void TZADirArray::Assign(const TZADirArray& other) {
  if (&other == this) return;
  Clear();
  SetCount(other.ItemCount);
  for (Int32 i = 0; i < other.ItemCount; ++i) SetItem(i, other.FItems[static_cast<size_t>(i)]);
}

void TZADirArray::Append(const TZADirArray& other) {
  if (&other == this) {
    std::vector<TDirItem> copy(FItems.begin(), FItems.begin() + ItemCount);
    const Int32 old = ItemCount;
    SetCount(old + old);
    for (Int32 j = 0; j < old; ++j) SetItem(old + j, copy[static_cast<size_t>(j)]);
    return;
  }
  const Int32 old = ItemCount;
  SetCount(old + other.ItemCount);
  for (Int32 j = 0; j < other.ItemCount; ++j) SetItem(old + j, other.FItems[static_cast<size_t>(j)]);
}

void TZADirArray::ClearTags() {
  for (Int32 i = 0; i < ItemCount; ++i) FItems[static_cast<size_t>(i)].Tagged = false;
}

bool TZADirArray::MatchIndexCurrent() const {
  return fMatchIndex && fMatchIndex->Generation == FItemNamesList->FGeneration && fMatchIndex->Count == ItemCount &&
         fMatchIndex->Locale == GetUserDefaultLocaleName();
}

TZANameMatchIndex& TZADirArray::CurrentMatchIndex() const {
  if (!MatchIndexCurrent()) {
    fMatchIndex = std::make_unique<TZANameMatchIndex>(GetUserDefaultLocaleName());
    for (Int32 i = 0; i < ItemCount; ++i) fMatchIndex->Add(i, FItems[static_cast<size_t>(i)].Name);
    fMatchIndex->Generation = FItemNamesList->FGeneration;
    fMatchIndex->Count = ItemCount;
    ++MatchIndexBuilds;
  }
  return *fMatchIndex;
}

String TZADirArray::MatchKey(const String& mask) const { return CurrentMatchIndex().KeyOf(mask); }

Int32 TZADirArray::NextMatchCandidate(const String& key, Int32 from) const {
  return CurrentMatchIndex().Next(key, from);
}

SK_COUNTER_ONLY_UNIT(ZADirArray)

}  // namespace sk
