#include "analysis/Base_search_itemsU.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "analysis/Search_parsing.h"
#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_notation.h"
#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_tabfields.h"
#include "core/UnitCounter.h"
#include "core/Useful_classes_base_raw.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/Locale.h"

namespace sk {

namespace {

using raw_detail::Get;
using raw_detail::Put;
using raw_detail::ReadBytes;
using raw_detail::ReadInt32;
using raw_detail::WriteBytes;
using raw_detail::WriteInt32;

constexpr Int32 kFixedBytes = 80;
// The fewest bytes a word's record can take: the fixed part, then (version 0
// and below) one stored string and three more.
constexpr Int64 kMinWordBytes = kFixedBytes + 4 + 3 * 4;
// An (Int32, stored string) pair of a version-1 record: at least 8 bytes.
constexpr Int64 kMinPairBytes = 8;
// A context word: a stored string and the flags byte.
constexpr Int64 kMinContextBytes = 5;
constexpr Byte kFlagBits = 0x3F;

void PutFixed(Byte* out, const TQMSearchWordRec_fixed& r) {
  std::memset(out, 0, kFixedBytes);
  out[0] = static_cast<Byte>(r.flags.bits[0] & kFlagBits);
  out[1] = r.typed_unlike_search;
  out[2] = r.allow_punct_in_sw;
  out[3] = r.copies_converted;
  out[4] = r.has_file_based_context_word;
  out[5] = r.is_context_searchword;
  out[6] = r.sw_contains_a_tag;
  Put(out + 8, r.Language_num);
  Put(out + 12, r.index_num);
  Put(out + 16, r.n_wanted);
  Put(out + 20, r.hits_found);
  Put(out + 24, r.spaces_in_sw);
  Put(out + 28, r.SearchColumn);
  out[32] = static_cast<Byte>(r.sw_context_spans.leftmost);
  out[33] = static_cast<Byte>(r.sw_context_spans.rightmost);
  Put(out + 36, r.version);
  out[40] = r.initial_wildcard;
  out[41] = r.spare_byte;
  std::memcpy(out + 42, r.spareB.data(), r.spareB.size());
  std::memcpy(out + 48, r.extras.data(), r.extras.size());
}

void GetFixed(const Byte* in, TQMSearchWordRec_fixed& r) {
  r.flags.bits[0] = static_cast<Byte>(in[0] & kFlagBits);
  r.typed_unlike_search = in[1];
  r.allow_punct_in_sw = in[2];
  r.copies_converted = in[3];
  r.has_file_based_context_word = in[4];
  r.is_context_searchword = in[5];
  r.sw_contains_a_tag = in[6];
  r.Language_num = Get<SmallInt>(in + 8);
  r.index_num = Get<Int32>(in + 12);
  r.n_wanted = Get<Int32>(in + 16);
  r.hits_found = Get<Int32>(in + 20);
  r.spaces_in_sw = Get<Int32>(in + 24);
  r.SearchColumn = Get<Int32>(in + 28);
  r.sw_context_spans.leftmost = static_cast<TConcordance_span>(in[32]);
  r.sw_context_spans.rightmost = static_cast<TConcordance_span>(in[33]);
  r.version = Get<Int32>(in + 36);
  r.initial_wildcard = in[40];
  r.spare_byte = in[41];
  std::memcpy(r.spareB.data(), in + 42, r.spareB.size());
  std::memcpy(r.extras.data(), in + 48, r.extras.size());
  r.to_May2024_variants = nullptr;
}

bool ReadContextWords(TStream* stream, std::vector<TSearchReqStringAndFlags>& out) {
  out.clear();
  Int32 n = 0;
  if (!ReadInt32(stream, n) || n < 0 || static_cast<Int64>(n) > stream->Remaining() / kMinContextBytes) return false;
  out.reserve(static_cast<size_t>(n));
  for (Int32 i = 0; i < n; ++i) {
    TSearchReqStringAndFlags rec;
    Byte flags = 0;
    if (!ReadAListStringIfWhole(stream, rec.search_str) || !ReadBytes(stream, &flags, 1)) return false;
    rec.flags.bits[0] = static_cast<Byte>(flags & kFlagBits);
    out.push_back(std::move(rec));
  }
  return true;
}

bool WriteContextWords(TStream* stream, const std::vector<TSearchReqStringAndFlags>& words) {
  if (words.size() > static_cast<size_t>(INT32_MAX) || !WriteInt32(stream, static_cast<Int32>(words.size())))
    return false;
  for (const TSearchReqStringAndFlags& w : words) {
    const Byte flags = static_cast<Byte>(w.flags.bits[0] & kFlagBits);
    if (!WriteAString(stream, w.search_str) || !WriteBytes(stream, &flags, 1)) return false;
  }
  return true;
}

// The one context word of versions 1 and below.
bool ReadOldContextWord(TStream* stream, TQMSearchWordRec& rec) {
  String word;
  if (!ReadAListStringIfWhole(stream, word)) return false;
  if (!word.empty()) rec.sw_contexts_needed.push_back({word, TMSSearchFlags{msLeftBounded, msRightBounded}});
  return true;
}

}  // namespace

// ---- TSWHolder --------------------------------------------------------------------

TSWHolder::TSWHolder(TBaseSearchItems* owner) : proprietario(owner) { ManageAQMSearchWordRec(data, list_creating); }

TSWHolder::TSWHolder(TBaseSearchItems* owner, const TQMSearchWordRec& rec) : proprietario(owner), data(rec) {
  // The copy must not share the original's lists.
  data.variants_found = nullptr;
  data.to_May2024_variants = nullptr;
  ManageAQMSearchWordRec(data, list_creating);
}

TSWHolder::~TSWHolder() { ManageAQMSearchWordRec(data, list_freeing); }

void TSWHolder::Assign(const TQMSearchWordRec& rec) {
  TStringTagFreqList* own = data.variants_found;
  data = rec;
  data.variants_found = own;
  data.to_May2024_variants = nullptr;
}

bool TSWHolder::SaveToStream(TStream* stream) {
  if (data.version < SearchWordStreamVersion) data.version = SearchWordStreamVersion;
  Byte fixed[kFixedBytes];
  PutFixed(fixed, data);
  if (!WriteBytes(stream, fixed, kFixedBytes)) return false;
  if (data.variants_found != nullptr) {
    if (!data.variants_found->SaveToStream(stream)) return false;
  } else if (!WriteInt32(stream, 0)) {
    return false;
  }
  return WriteContextWords(stream, data.sw_contexts_needed) && WriteAString(stream, data.within_tag_section) &&
         WriteAString(stream, data.typed_in_text) && WriteAString(stream, data.search_text);
}

bool TSWHolder::ReadFromStream(TStream* stream) {
  ManageAQMSearchWordRec(data, list_freeing);
  data = TQMSearchWordRec{};
  Byte fixed[kFixedBytes];
  const bool gotFixed = ReadBytes(stream, fixed, kFixedBytes);
  if (gotFixed) GetFixed(fixed, data);
  ManageAQMSearchWordRec(data, list_creating);
  if (!gotFixed) return false;

  bool ok = true;
  if (data.version >= 3) {
    ok = data.variants_found->ReadFromStream(stream) && ReadContextWords(stream, data.sw_contexts_needed);
  } else if (data.version == 2) {
    TStringTagList old;
    ok = old.ReadFromStream(stream);
    for (Int32 i = 0; ok && i < old.Count(); ++i)
      data.variants_found->AddOneOrIncFreq(TStringTagFreq{old.GetAStringTag(i), 99});
    ok = ok && ReadContextWords(stream, data.sw_contexts_needed);
  } else {
    if (data.version == 1) {
      Int32 pairs = 0;
      ok = ReadInt32(stream, pairs) && pairs >= 0 && static_cast<Int64>(pairs) <= stream->Remaining() / kMinPairBytes;
      Int32 number = 0;
      String text;
      for (Int32 i = 0; ok && i < pairs; ++i) ok = ReadInt32(stream, number) && ReadAListStringIfWhole(stream, text);
    }
    ok = ok && ReadOldContextWord(stream, data);
  }
  return ok && ReadAListStringIfWhole(stream, data.within_tag_section) && ReadAListStringIfWhole(stream, data.typed_in_text) &&
         ReadAListStringIfWhole(stream, data.search_text);
}

// ---- TSWList ----------------------------------------------------------------------

Int32 TSWList::Add(std::unique_ptr<TSWHolder> holder) {
  fItems.push_back(std::move(holder));
  return Count() - 1;
}

void TSWList::Insert(Int32 index, std::unique_ptr<TSWHolder> holder) {
  index = std::clamp(index, 0, Count());
  fItems.insert(fItems.begin() + index, std::move(holder));
}

void TSWList::Delete(Int32 index) {
  if (index < 0 || index >= Count()) throw EListError(u"List index out of bounds (" + IntToStr(index) + u")");
  fItems.erase(fItems.begin() + index);
}

void TSWList::Move(Int32 from, Int32 to) {
  if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
  std::unique_ptr<TSWHolder> h = std::move(fItems[static_cast<size_t>(from)]);
  fItems.erase(fItems.begin() + from);
  fItems.insert(fItems.begin() + to, std::move(h));
}

// ---- TBaseSearchItems -------------------------------------------------------------

TBaseSearchItems::TBaseSearchItems()
    : fPlainWords(std::make_unique<TSimpleSearchlist>(DefaultSimpleSearchSettings())),
      fSearchWordList(std::make_unique<TSWList>()) {}

TBaseSearchItems::TBaseSearchItems(const TIgnore_tag& ignoreTags, Cardinal lcid, bool splitAtSlashes,
                                   TSearchEngineKinds kind)
    : TBaseSearchItems() {
  fSearchEngine = std::make_unique<TSearchAndDoEngine>(lcid, se_searchword);
  fSearchkind = kind;
  ignore_tags = ignoreTags;
  fSplitting_at_slashes = splitAtSlashes;
  fLCID = lcid;
}

TBaseSearchItems::~TBaseSearchItems() = default;

void TBaseSearchItems::Clear() {
  fPlainWords->Clear();
  fSearchWordList->Clear();
  fFrom_a_file = false;
}

void TBaseSearchItems::CopyFrom(const TBaseSearchItems& other) {
  if (&other == this) return;
  Clear();
  fFrom_a_file = other.fFrom_a_file;
  AddSWs(other);
}

std::unique_ptr<TUTF8Stringlist> TBaseSearchItems::TidiedLinesOf(const String& name) {
  auto lines = std::make_unique<TUTF8Stringlist>();
  lines->LoadFromFile(name);
  TrimAStringlist(lines.get());
  return lines;
}

bool TBaseSearchItems::LoadFromTextFile(const String& name) {
  std::unique_ptr<TUTF8Stringlist> lines = TidiedLinesOf(name);
  Clear();
  for (Int32 i = 0; i < lines->Count() && Count() < MaxSearchWordsFromFile; ++i) {
    const String line = lines->Strings(i);
    if (line.empty() || line[0] == u';') continue;
    AddSW(line);
  }
  fFrom_a_file = Count() > 0;
  return fFrom_a_file;
}

std::unique_ptr<TUTF8Stringlist> TBaseSearchItems::ListOfSWs(const String& text) const { return SplitSWList(text, true); }

std::vector<TQMSearchWordRec> TBaseSearchItems::ParsedAlternatives(const String& text) const {
  std::vector<TQMSearchWordRec> out;
  std::unique_ptr<TUTF8Stringlist> parts = ListOfSWs(text);
  for (Int32 i = 0; i < parts->Count(); ++i) {
    const String part = parts->Strings(i);
    if (WideTrimSpaceOnly(part).empty()) continue;
    out.push_back(SWFullParsed_SearchWord(ignore_tags, part));
  }
  return out;
}

Int32 TBaseSearchItems::AddSW(const String& text) {
  Int32 first = -1;
  for (const TQMSearchWordRec& rec : ParsedAlternatives(text)) {
    const Int32 k = AddSW(rec);
    if (first < 0) first = k;
  }
  return first;
}

Int32 TBaseSearchItems::AddSW(const TStringTag& tag) { return AddSW(tag.wrd); }

Int32 TBaseSearchItems::AddSW(const TSearchReqStringAndFlags& rec) {
  TQMSearchWordRec r;
  r.flags = rec.flags;
  r.search_text = rec.search_str;
  return AddSW(r);
}

Int32 TBaseSearchItems::AddSW(const TQMSearchWordRec& rec) {
  return fSearchWordList->Add(std::make_unique<TSWHolder>(this, rec));
}

Int32 TBaseSearchItems::EnsureContains(const TQMSearchWordRec& rec) {
  const Int32 k = IndexOf(rec);
  return k >= 0 ? k : AddSW(rec);
}

Int32 TBaseSearchItems::AddSWs(const TBaseSearchItems& other) {
  Int32 first = -1;
  // Counted first, so that a list added to itself stops at its old end.
  const Int32 n = other.Count();
  for (Int32 i = 0; i < n; ++i) {
    const TQMSearchWordRec copy = other.fSearchWordList->Items(i)->data;
    const Int32 k = AddSW(copy);
    if (first < 0) first = k;
  }
  return first;
}

std::vector<Int32> TBaseSearchItems::InsertSearchWordsAtTop(const String& text) {
  std::vector<Int32> indexes;
  Int32 at = 0;
  for (const TQMSearchWordRec& rec : ParsedAlternatives(text)) {
    fSearchWordList->Insert(at, std::make_unique<TSWHolder>(this, rec));
    indexes.push_back(at++);
  }
  return indexes;
}

TQMSearchWordRec* TBaseSearchItems::GetPtr(Int32 i) {
  TSWHolder* h = Holder(i);
  return h != nullptr ? &h->data : nullptr;
}

TQMSearchWordRec TBaseSearchItems::GetSWR(Int32 i) const {
  const TSWHolder* h = Holder(i);
  return h != nullptr ? h->data : TQMSearchWordRec{};
}

void TBaseSearchItems::PutSWR(Int32 i, const TQMSearchWordRec& rec) {
  if (TSWHolder* h = Holder(i)) h->Assign(rec);
}

TMSSearchFlags TBaseSearchItems::GetAFlag(Int32 i) const {
  const TSWHolder* h = Holder(i);
  return h != nullptr ? h->data.flags : TMSSearchFlags{};
}

void TBaseSearchItems::SetAFlag(Int32 i, TMSSearchFlags flags) {
  if (TSWHolder* h = Holder(i)) h->data.flags = flags;
}

Int32 TBaseSearchItems::GetHitsFound(Int32 i) const {
  const TSWHolder* h = Holder(i);
  return h != nullptr ? h->data.hits_found : 0;
}

void TBaseSearchItems::SetHitsFound(Int32 i, Int32 n) {
  if (TSWHolder* h = Holder(i)) h->data.hits_found = n;
}

void TBaseSearchItems::IncrementHits(Int32 i) {
  if (TSWHolder* h = Holder(i)) ++h->data.hits_found;
}

Int32 TBaseSearchItems::GetNWanted(Int32 i) const {
  const TSWHolder* h = Holder(i);
  return h != nullptr ? h->data.n_wanted : INT32_MAX;
}

void TBaseSearchItems::SetNWanted(Int32 i, Int32 n) {
  if (TSWHolder* h = Holder(i)) h->data.n_wanted = n;
}

Int32 TBaseSearchItems::GetSpacesInSW(Int32 i) const {
  const TSWHolder* h = Holder(i);
  return h != nullptr ? h->data.spaces_in_sw : 0;
}

SmallInt TBaseSearchItems::GetLanguage(Int32 i) const {
  const TSWHolder* h = Holder(i);
  return h != nullptr ? h->data.Language_num : SmallInt(0);
}

void TBaseSearchItems::SetLanguage(Int32 i, SmallInt language) {
  if (!InRange(i)) throw EListError(u"List index out of bounds (" + IntToStr(i) + u")");
  fSearchWordList->Items(i)->data.Language_num = language;
}

String TBaseSearchItems::TypedInWord(Int32 i) const {
  const TSWHolder* h = Holder(i);
  return h != nullptr ? h->data.typed_in_text : String();
}

TSearchReqStringAndFlags TBaseSearchItems::GetASWContext(Int32 i, Int32 j) const {
  const TSWHolder* h = Holder(i);
  if (h == nullptr || j < 0 || static_cast<size_t>(j) >= h->data.sw_contexts_needed.size()) return {};
  return h->data.sw_contexts_needed[static_cast<size_t>(j)];
}

void TBaseSearchItems::ClearOne(Int32 i) {
  if (InRange(i)) fSearchWordList->Delete(i);
}

void TBaseSearchItems::MoveToTop(Int32 i) {
  if (i > 0 && i < Count()) fSearchWordList->Move(i, 0);
}

void TBaseSearchItems::ClearHits() {
  for (Int32 i = 0; i < Count(); ++i) fSearchWordList->Items(i)->data.hits_found = 0;
}

void TBaseSearchItems::SetHits(const std::vector<Int32>& hits) {
  const Int32 n = std::min<Int64>(Count(), static_cast<Int64>(hits.size()));
  for (Int32 i = 0; i < n; ++i) fSearchWordList->Items(i)->data.hits_found = hits[static_cast<size_t>(i)];
}

Int64 TBaseSearchItems::TotalHits() const {
  Int64 total = 0;
  for (Int32 i = 0; i < Count(); ++i) total += fSearchWordList->Items(i)->data.hits_found;
  return total;
}

Int32 TBaseSearchItems::IndexOf(const TQMSearchWordRec& rec) const {
  for (Int32 i = 0; i < Count(); ++i) {
    const TQMSearchWordRec& d = fSearchWordList->Items(i)->data;
    if (d.typed_in_text == rec.typed_in_text && d.Language_num == rec.Language_num) return i;
  }
  return -1;
}

Int32 TBaseSearchItems::TypeInIndexOf(const String& text, bool exact) const {
  const String upper = exact ? String() : AnsiUpperCase(text);
  for (Int32 i = 0; i < Count(); ++i) {
    MyYieldProcess();
    const String& typed = fSearchWordList->Items(i)->data.typed_in_text;
    if (exact ? typed == text : AnsiUpperCase(typed) == upper) return i;
  }
  return -1;
}

std::vector<String> TBaseSearchItems::TypedInWordsAsArrayOfString() const {
  std::vector<String> out;
  out.reserve(static_cast<size_t>(Count()));
  for (Int32 i = 0; i < Count(); ++i) out.push_back(fSearchWordList->Items(i)->data.typed_in_text);
  return out;
}

std::unique_ptr<TUTF8Stringlist> TBaseSearchItems::TypedInWordsAsStringlist() const {
  auto list = std::make_unique<TUTF8Stringlist>();
  for (Int32 i = 0; i < Count(); ++i) list->Add(fSearchWordList->Items(i)->data.typed_in_text);
  return list;
}

std::vector<TQMSearchWordRec> TBaseSearchItems::CopyOfArrayOFSWItems(const std::vector<Int32>& indexes) const {
  std::vector<TQMSearchWordRec> out;
  out.reserve(indexes.size());
  for (Int32 i : indexes) out.push_back(i < 0 ? TQMSearchWordRec{} : GetSWR(i));
  return out;
}

String TBaseSearchItems::AllTypedSearchWordsAsOne(bool limit) const {
  String out;
  const Int32 n = limit ? std::min<Int32>(Count(), 10) : Count();
  for (Int32 i = 0; i < n; ++i) {
    String typed = fSearchWordList->Items(i)->data.typed_in_text;
    for (size_t p = typed.find(u"=="); p != String::npos; p = typed.find(u"==", p)) typed.erase(p, 2);
    out = AddToListWithSeparatorIfNeeded(out, typed, u'/');
  }
  if (limit && Count() > 10) out += u" " + LoadResString(&_QMEtc);
  return out;
}

std::unique_ptr<TUTF8Stringlist> TBaseSearchItems::TypeInParts(const String& text) const {
  return SplitSWList(StrippedMultipleSpaces(text), fSplitting_at_slashes);
}

Int32 TBaseSearchItems::SearchesPlannedCount() const { return TypeInParts(AllTypedSearchWordsAsOne(false))->Count(); }

TSimpleSearchlist* TBaseSearchItems::ComputePlainSearchWords() {
  fPlainWords->Clear();
  for (Int32 i = 0; i < Count(); ++i) {
    TSearchContextRec rec{};
    rec.mainwd = WordAndFlagsFromString(fSearchWordList->Items(i)->data.typed_in_text);
    rec.Value_if_found = 1.0f;
    fPlainWords->AddOne(rec);
  }
  return fPlainWords.get();
}

bool TBaseSearchItems::SaveToTextFile(const String& name) const {
  TBytes bytes{0xFF, 0xFE};
  auto put = [&bytes](Char c) {
    bytes.push_back(static_cast<Byte>(c & 0xFF));
    bytes.push_back(static_cast<Byte>(c >> 8));
  };
  for (Int32 i = 0; i < Count(); ++i) {
    for (Char c : fSearchWordList->Items(i)->data.typed_in_text) put(c);
    put(u'\r');
    put(u'\n');
  }
  return ReplaceFileContent(name, bytes);
}

bool TBaseSearchItems::SaveToStream(TStream* stream) {
  if (stream == nullptr || !WriteInt32(stream, Count())) return false;
  for (Int32 i = 0; i < Count(); ++i)
    if (!fSearchWordList->Items(i)->SaveToStream(stream)) return false;
  return true;
}

bool TBaseSearchItems::ReadFromStream(TStream* stream) {
  Int32 n = 0;
  if (stream == nullptr || !ReadInt32(stream, n)) return false;
  if (n < 0 || static_cast<Int64>(n) > stream->Remaining() / kMinWordBytes) return false;
  bool ok = true;
  for (Int32 i = 0; i < n; ++i) {
    const Int32 k = fSearchWordList->Add(std::make_unique<TSWHolder>(this));
    if (ok) ok = fSearchWordList->Items(k)->ReadFromStream(stream);
  }
  return ok;
}

// ---- TSearchWordItems -------------------------------------------------------------

TSearchWordItems::TSearchWordItems(const TIgnore_tag& ignoreTags, Cardinal lcid, bool splitAtSlashes,
                                   TSearchEngineKinds kind)
    : TBaseSearchItems(ignoreTags, lcid, splitAtSlashes, kind) {
  fContextCWItems = std::make_unique<TBaseSearchItems>(ignoreTags, lcid, splitAtSlashes, se_contextword);
  ContextEngine = fContextCWItems->fSearchEngine.get();
}

TSearchWordItems::~TSearchWordItems() {
  fContextEngine.reset();
  ContextEngine = nullptr;
  fContextCWItems.reset();
}

void TSearchWordItems::CopyFrom(const TBaseSearchItems& other) { TBaseSearchItems::CopyFrom(other); }

bool TSearchWordItems::LoadFromTextFile(const String& name) { return TBaseSearchItems::LoadFromTextFile(name); }

void TSearchWordItems::AddASWContextWord(Int32 i, const TSearchReqStringAndFlags& rec) {
  if (TSWHolder* h = Holder(i)) h->data.sw_contexts_needed.push_back(rec);
}

void TSearchWordItems::AddASWContextWord(Int32 i, const String& text) {
  if (!InRange(i)) return;
  TSearchReqStringAndFlags rec;
  rec.search_str = text;
  bool containsTag = false;
  String within;
  Byte initial = 0;
  FullSWParse_SWChunk(ignore_tags, containsTag, within, rec.search_str, rec.flags, initial);
  AddASWContextWord(i, rec);
}

void TSearchWordItems::AddASWContextWord(Int32 i, const TStringTag& tag) { AddASWContextWord(i, tag.wrd); }

void TSearchWordItems::AddContextWords(const TBaseSearchItems& other) {
  const Int32 n = std::min(Count(), other.Count());
  for (Int32 i = 0; i < n; ++i) {
    // Copied first: other may be this list.
    const std::vector<TSearchReqStringAndFlags> words = other.fSearchWordList->Items(i)->data.sw_contexts_needed;
    for (const TSearchReqStringAndFlags& w : words) AddASWContextWord(i, w);
  }
}

bool TSearchWordItems::GetHasContextWord(Int32 i) const {
  const TSWHolder* h = Holder(i);
  return h != nullptr && h->data.has_file_based_context_word != 0;
}

bool TSearchWordItems::HasAnyContextWords() const {
  for (Int32 i = 0; i < Count(); ++i)
    if (!fSearchWordList->Items(i)->data.sw_contexts_needed.empty()) return true;
  return false;
}

bool TSearchWordItems::GetHasLongTypedIns() const {
  for (Int32 i = 0; i < Count(); ++i)
    if (fSearchWordList->Items(i)->data.typed_in_text.size() > 60) return true;
  return false;
}

void TSearchWordItems::LoadContextCWItemsFromContextWords(Int32 i) {
  if (!fContextCWItems) fContextCWItems = std::make_unique<TBaseSearchItems>();
  fContextCWItems->Clear();
  const TSWHolder* h = Holder(i);
  if (h == nullptr) return;
  for (const TSearchReqStringAndFlags& w : h->data.sw_contexts_needed) fContextCWItems->AddSW(w);
}

SK_COUNTER_ONLY_UNIT(Base_search_itemsU)

}  // namespace sk
