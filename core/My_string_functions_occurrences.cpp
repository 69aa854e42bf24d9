#include "core/My_string_functions_occurrences.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "core/Comparing_types.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_markup.h"
#include "core/My_string_functions_splitting.h"
#include "core/Stringtag_utils.h"
#include "core/Useful_classes_base_compare.h"
#include "core/Useful_classes_base_raw.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

// The fewest bytes one word takes in the occurrence-list stream: an empty
// occurrence list (count and sorted byte) and an empty stored word.
constexpr Int64 kMinWordStreamSize = 4 + 1 + 4;

Int32 ClampedToInt32(Int64 v) {
  if (v > std::numeric_limits<Int32>::max()) return std::numeric_limits<Int32>::max();
  if (v < std::numeric_limits<Int32>::min()) return std::numeric_limits<Int32>::min();
  return static_cast<Int32>(v);
}

}  // namespace

// ---- TListOfOccurrences ------------------------------------------------------------------

Int32 TListOfOccurrences::GetFileNumber_OB(Int32 i) const { return GetAValue(i, tml_0); }

Int32 TListOfOccurrences::GetHits(Int32 i) const { return GetAValue(i, tml_1); }

Int32 TListOfOccurrences::GetTotalHits() const {
  Int64 total = 0;
  for (Int32 i = 0; i < Count(); ++i)
    if (WithinRange(i, tml_1)) total += GetAValue(i, tml_1);
  return ClampedToInt32(total);
}

Int32 TListOfOccurrences::GetValidHits(Int32 i, Int32 minHits) const {
  if (!WithinRange(i, tml_1)) return 0;
  const Int32 hits = GetAValue(i, tml_1);
  return hits < minHits ? 0 : hits;
}

Int32 TListOfOccurrences::GetTotalValidHits(Int32 minTotal, Int32 minHits) const {
  Int64 total = 0;
  for (Int32 i = 0; i < Count(); ++i) total += GetValidHits(i, minHits);
  return total < minTotal ? 0 : ClampedToInt32(total);
}

// ---- TStringlistWithListOfOccurrences ------------------------------------------------------

namespace {

TListOfOccurrences* OccurrencesOf(TObject* obj) { return dynamic_cast<TListOfOccurrences*>(obj); }

}  // namespace

TStringlistWithListOfOccurrences::~TStringlistWithListOfOccurrences() {
  TStringlistWithListOfOccurrences::Clear();
}

TObject* TStringlistWithListOfOccurrences::AdoptedObject(TObject*) const { return nullptr; }

void TStringlistWithListOfOccurrences::Changed() {
  fIndexValid = false;
  TUTF8Stringlist::Changed();
}

std::string TStringlistWithListOfOccurrences::LineKey(const String& s) const {
  // Two texts have the same key exactly when the list takes them for the same line.
  return LineCollationKey(s, CaseSensitive());
}

void TStringlistWithListOfOccurrences::RebuildWordIndex() {
  fWordIndex.clear();
  fExactIndex.clear();
  fWordIndex.reserve(fItems.size());
  for (size_t k = 0; k < fItems.size(); ++k) fWordIndex.emplace(LineKey(fItems[k].s), static_cast<Int32>(k));
  fIndexCaseSensitive = CaseSensitive();
  fIndexValid = true;
}

Int32 TStringlistWithListOfOccurrences::LineOfWord(const String& word) {
  if (Sorted()) return IndexOf(word);
  if (!fIndexValid || fIndexCaseSensitive != CaseSensitive()) RebuildWordIndex();
  // Spellings met before are found by their text; others by their key, as
  // IndexOf would find them.
  if (const auto hit = fExactIndex.find(word); hit != fExactIndex.end()) return hit->second;
  const auto it = fWordIndex.find(LineKey(word));
  if (it == fWordIndex.end()) return -1;
  fExactIndex.emplace(word, it->second);
  return it->second;
}

Int32 TStringlistWithListOfOccurrences::AddOrIncOneByFreq(const String& word, Int32 fileNumber, Int32 hits) {
  Int32 line = LineOfWord(word);
  TListOfOccurrences* occ = nullptr;
  if (line < 0) {
    const bool indexWasValid = fIndexValid && !Sorted();
    auto fresh = std::make_unique<TListOfOccurrences>();
    line = AddObject(word, fresh.get());
    if (line >= 0 && line < GetCount() && GetObject(line) == fresh.get()) {
      occ = fresh.release();
      // An unsorted list appends, so the index needs only the new word.
      if (indexWasValid && line == GetCount() - 1) {
        fWordIndex.emplace(LineKey(word), line);
        fExactIndex.emplace(word, line);
        fIndexValid = true;
      }
    }
  }
  if (line < 0 || line >= GetCount()) return line;
  if (occ == nullptr) {
    TObject* obj = GetObject(line);
    occ = OccurrencesOf(obj);
    if (occ == nullptr) {
      // A line added without its list gets one; a foreign object is freed, as
      // every object on this list's lines belongs to it.
      const bool indexWasValid = fIndexValid;
      auto fresh = std::make_unique<TListOfOccurrences>();
      PutObject(line, fresh.get());
      occ = fresh.release();
      delete obj;
      fIndexValid = indexWasValid;  // the texts did not change
    }
  }
  // Files are usually counted in order, so the last row is the likely one.
  const Int32 rows = occ->Count();
  Int32 row = -1;
  if (rows > 0 && occ->GetFileNumber_OB(rows - 1) == fileNumber)
    row = rows - 1;
  else
    row = occ->IndexOf(fileNumber, tml_0);
  if (row >= 0)
    occ->AddToOneFreq(row, hits, tml_1);
  else
    occ->AddOne(T2_longint_rec{fileNumber, hits});
  return line;
}

TListOfOccurrences* TStringlistWithListOfOccurrences::GetAListOfOccurrences(Int32 i) const {
  if (i < 0 || i >= GetCount()) return nullptr;
  return OccurrencesOf(fItems[static_cast<size_t>(i)].obj);
}

void TStringlistWithListOfOccurrences::Delete(Int32 index) {
  TObject* obj = GetObject(index);  // raises for an invalid index
  if (obj != nullptr) {
    PutObject(index, nullptr);
    delete obj;
  }
  TUTF8Stringlist::Delete(index);
}

void TStringlistWithListOfOccurrences::Clear() {
  for (Int32 i = GetCount() - 1; i >= 0; --i) Delete(i);
  TUTF8Stringlist::Clear();
  fWordIndex.clear();
  fExactIndex.clear();
  fIndexValid = false;
}

bool TStringlistWithListOfOccurrences::SavedToStream(TStream* stream) {
  if (stream == nullptr) return false;
  if (!raw_detail::WriteInt32(stream, GetCount())) return false;
  for (Int32 i = 0; i < GetCount(); ++i) {
    TListOfOccurrences* occ = GetAListOfOccurrences(i);
    bool ok;
    if (occ != nullptr) {
      ok = occ->SaveToStream(stream);
    } else {
      TListOfOccurrences empty;
      ok = empty.SaveToStream(stream);
    }
    if (!ok || !WriteAString(stream, fItems[static_cast<size_t>(i)].s)) return false;
  }
  return true;
}

bool TStringlistWithListOfOccurrences::LoadedFromStream(TStream* stream) {
  if (stream == nullptr) return false;
  Int32 n = 0;
  if (!stream->TryReadValue(n)) return false;
  if (n < 0) return false;
  if (static_cast<Int64>(n) * kMinWordStreamSize > stream->Remaining()) return false;
  for (Int32 k = 0; k < n; ++k) {
    auto occ = std::make_unique<TListOfOccurrences>();
    if (!occ->ReadFromStream(stream)) return false;
    // A word cut short is damage (false); a negative count raises the
    // stored-string error, as every stored-string reader does.
    String word;
    if (!ReadAListStringIfWhole(stream, word)) return false;
    const Int32 line = AddObject(word, occ.get());
    // A sorted list that ignores duplicates may take no new line; the list
    // read for it is then freed here.
    if (line >= 0 && line < GetCount() && GetObject(line) == occ.get()) occ.release();
  }
  return true;
}

void TStringlistWithListOfOccurrences::RemoveLowCounts(Int32 minTotal, Int32 minHits) {
  // Each line is judged on its own, so the lines to go are marked first and
  // then taken out in one compacting pass (deleting them one by one would
  // move the rest of the list each time). The list reports one change.
  const size_t n = fItems.size();
  std::vector<bool> drop(n, false);
  bool any = false;
  for (size_t i = n; i-- > 0;) {
    TListOfOccurrences* occ = OccurrencesOf(fItems[i].obj);
    const Int32 total = occ != nullptr ? occ->GetTotalHits() : 0;
    if (total < minTotal) {
      drop[i] = any = true;
      continue;
    }
    if (occ != nullptr) {
      bool freed = false;
      for (Int32 r = occ->Count() - 1; r >= 0; --r) {
        if (occ->GetHits(r) < minHits) {
          occ->FreeAndNilOne(r);
          freed = true;
        }
      }
      if (freed) occ->Pack();
    }
    if (occ == nullptr || occ->Count() == 0) drop[i] = any = true;
  }
  if (!any) return;
  Changing();
  size_t kept = 0;
  for (size_t i = 0; i < n; ++i) {
    if (drop[i]) {
      // Every object on this list's lines belongs to it.
      TObject* obj = fItems[i].obj;
      fItems[i].obj = nullptr;
      delete obj;
      continue;
    }
    if (kept != i) fItems[kept] = std::move(fItems[i]);
    ++kept;
  }
  fItems.resize(kept);
  Changed();
}

Int32 TStringlistWithListOfOccurrences::CasesWithAtLeast1Repeat() const {
  Int32 n = 0;
  for (Int32 i = 0; i < GetCount(); ++i) {
    const TListOfOccurrences* occ = GetAListOfOccurrences(i);
    if (occ != nullptr && occ->Count() > 1) ++n;
  }
  return n;
}

Int32 TStringlistWithListOfOccurrences::TotalValidHitsOrClusters(Int32 minRows, bool addRows) const {
  Int64 n = 0;
  for (Int32 i = 0; i < GetCount(); ++i) {
    const TListOfOccurrences* occ = GetAListOfOccurrences(i);
    const Int32 rows = occ != nullptr ? occ->Count() : 0;
    if (rows >= minRows) n += addRows ? rows : 1;
  }
  return ClampedToInt32(n);
}

namespace {

// The orders of the occurrence lists, each over two line indexes of the list.
// When global_reversed_sort is set the indexes are exchanged first.

Int32 FirstFileNumber(const TListOfOccurrences* occ) {
  return occ != nullptr ? occ->GetFileNumber_OB(0) : MultiLongintNoValue;
}

}  // namespace

void TStringlistWithListOfOccurrences::SortAllOccurrencesAscendingChunks() {
  SetSorted(false);
  CustomSort([this](TStringList*, Int32 i1, Int32 i2) -> Int32 {
    if (global_reversed_sort) std::swap(i1, i2);
    return Compare2Strings(fItems[static_cast<size_t>(i2)].s, fItems[static_cast<size_t>(i1)].s);
  });
}

void TStringlistWithListOfOccurrences::SortAllOccurrencesFileAscending() {
  SetSorted(false);
  CustomSort([this](TStringList*, Int32 i1, Int32 i2) -> Int32 {
    if (global_reversed_sort) std::swap(i1, i2);
    const Int32 r = CompareLongints(FirstFileNumber(GetAListOfOccurrences(i1)),
                                    FirstFileNumber(GetAListOfOccurrences(i2)));
    return r != 0 ? r : Compare2Strings(fItems[static_cast<size_t>(i2)].s, fItems[static_cast<size_t>(i1)].s);
  });
}

void TStringlistWithListOfOccurrences::SortAllOccurrencesIndividualFreqDescending() {
  SetSorted(false);
  // Totals are summed once, not once per comparison; they travel with their
  // lines as the sort exchanges them.
  const Int32 n = GetCount();
  if (n < 2) return;
  std::vector<Int32> totals(static_cast<size_t>(n));
  for (Int32 i = 0; i < n; ++i) {
    const TListOfOccurrences* occ = GetAListOfOccurrences(i);
    totals[static_cast<size_t>(i)] = occ != nullptr ? occ->GetTotalHits() : 0;
  }
  Changing();
  QuickSortIndexes(
      0, n - 1,
      [&](Int32 i1, Int32 i2) -> Int32 {
        if (global_reversed_sort) std::swap(i1, i2);
        const Int32 r = CompareLongints(totals[static_cast<size_t>(i2)], totals[static_cast<size_t>(i1)]);
        return r != 0 ? r : Compare2Strings(fItems[static_cast<size_t>(i1)].s, fItems[static_cast<size_t>(i2)].s);
      },
      [&](Int32 i1, Int32 i2) {
        ExchangeItems(i1, i2);
        std::swap(totals[static_cast<size_t>(i1)], totals[static_cast<size_t>(i2)]);
      });
  Changed();
}

void TStringlistWithListOfOccurrences::SortAllOccurrencesOverallFreqDescending() {
  SortAllOccurrencesIndividualFreqDescending();
}

// ---- TFilenamesStringlist ---------------------------------------------------------------------

bool TFilenamesStringlist::IsAnExistingFilename(const String& text) const {
  return !text.empty() && FileExists(text);
}

String TFilenamesStringlist::FilenameInLine(const String& line) const {
  size_t start = 0;
  while (start <= line.size()) {
    size_t tab = line.find(u'\t', start);
    if (tab == String::npos) tab = line.size();
    String field = line.substr(start, tab - start);
    if (IsAnExistingFilename(field)) return field;
    start = tab + 1;
  }
  return String();
}

void TFilenamesStringlist::ReduceToExistingFilenames() {
  SetSorted(false);
  const Int32 n = GetCount();
  if (n == 0) return;
  // Each line is looked at once, from the last to the first; the kept lines
  // are then closed up in one pass instead of one deletion per line.
  std::vector<String> names(static_cast<size_t>(n));
  for (Int32 i = n - 1; i >= 0; --i) names[static_cast<size_t>(i)] = FilenameInLine(fItems[static_cast<size_t>(i)].s);
  Changing();
  std::vector<Item> kept;
  kept.reserve(fItems.size());
  std::vector<TObject*> dropped;
  for (size_t k = 0; k < fItems.size(); ++k) {
    if (names[k].empty()) {
      if (fOwnsObjects && fItems[k].obj != nullptr) dropped.push_back(fItems[k].obj);
    } else {
      kept.push_back(Item{std::move(names[k]), fItems[k].obj});
    }
  }
  fItems.swap(kept);
  for (TObject* obj : dropped) delete obj;
  Changed();
}

// ---- THighlightUTF8Stringlist ---------------------------------------------------------------

THighlightUTF8Stringlist::~THighlightUTF8Stringlist() {
  ClearHighlights();
  TUTF8Stringlist::Clear();
}

TObject* THighlightUTF8Stringlist::AdoptedObject(TObject*) const { return nullptr; }

TSearchHighlightWordsList* THighlightUTF8Stringlist::GetHighlights(Int32 i) const {
  if (i < 0 || i >= GetCount()) return nullptr;
  return dynamic_cast<TSearchHighlightWordsList*>(fItems[static_cast<size_t>(i)].obj);
}

void THighlightUTF8Stringlist::EnsureHWListAssigned(Int32 i) {
  if (i < 0 || i >= GetCount()) return;
  if (fItems[static_cast<size_t>(i)].obj != nullptr) return;
  auto fresh = std::make_unique<TSearchHighlightWordsList>();
  PutObject(i, fresh.get());
  fresh.release();
}

void THighlightUTF8Stringlist::AddSearchHit(Int32 i, const TSearchHits_rec& hit) {
  EnsureHWListAssigned(i);
  if (TSearchHighlightWordsList* hl = GetHighlights(i)) hl->AddSearchHitRec(hit);
}

void THighlightUTF8Stringlist::ClearOneLineHighlights(Int32 i) {
  if (i < 0 || i >= GetCount()) return;
  TObject* obj = fItems[static_cast<size_t>(i)].obj;
  if (obj == nullptr) return;
  PutObject(i, nullptr);
  delete obj;
}

void THighlightUTF8Stringlist::ClearHighlights() {
  for (Int32 i = 0; i < GetCount(); ++i) ClearOneLineHighlights(i);
}

void THighlightUTF8Stringlist::Clear() {
  ClearHighlights();
  TUTF8Stringlist::Clear();
}

void THighlightUTF8Stringlist::Delete(Int32 index) {
  CheckIndex(index);
  ClearOneLineHighlights(index);
  TUTF8Stringlist::Delete(index);
}

void THighlightUTF8Stringlist::RemoveOneLine(Int32 i) {
  if (i < 0 || i >= GetCount()) return;
  Delete(i);
}

void THighlightUTF8Stringlist::RemoveBlankLines() {
  bool any = false;
  for (const Item& it : fItems)
    if (it.s.empty()) {
      any = true;
      break;
    }
  if (!any) return;
  // The empty lines' highlights are freed and the other lines closed up in one
  // pass, so that many blank lines cost no more than one walk over the list.
  for (Int32 i = GetCount() - 1; i >= 0; --i)
    if (fItems[static_cast<size_t>(i)].s.empty()) ClearOneLineHighlights(i);
  Changing();
  fItems.erase(std::remove_if(fItems.begin(), fItems.end(), [](const Item& it) { return it.s.empty(); }),
               fItems.end());
  Changed();
}

void THighlightUTF8Stringlist::TrimOneLine(Int32 i) {
  if (i < 0 || i >= GetCount()) return;
  ClearOneLineHighlights(i);
  Put(i, Trim(StrippedMultipleSpaces(Get(i))));
}

void THighlightUTF8Stringlist::JoinLines(Int32 i, Int32 j) {
  const Int32 n = GetCount();
  if (i < 0 || i >= n || j < 0 || j >= n || i == j) return;
  ClearOneLineHighlights(i);
  ClearOneLineHighlights(j);
  String si = Get(i);
  String sj = Get(j);
  const bool boldI = IsHTMLBoldAtEnds(si);
  const bool boldJ = IsHTMLBoldAtEnds(sj);
  if (boldI) si = StrippedHTMLBoldAtEnds(si);
  if (boldJ) sj = StrippedHTMLBoldAtEnds(sj);
  String joined = i < j ? si + u" " + sj : sj + u" " + si;
  if (boldI || boldJ) joined = u"<B>" + joined + u"</B>";
  Put(i, String());
  Put(j, joined);
  Delete(i);
}

// ---- TInsertedTextPositionList ------------------------------------------------------------------

TInsertedTextPositionList::~TInsertedTextPositionList() { fItems.clear(); }

Int32 TInsertedTextPositionList::Add(std::unique_ptr<TInsertedTextHolder> holder) {
  if (!holder) return -1;
  fItems.push_back(std::move(holder));
  return Count() - 1;
}

TInsertedTextHolder* TInsertedTextPositionList::Items(Int32 i) const {
  return IndexAssignedOK(i) ? fItems[static_cast<size_t>(i)].get() : nullptr;
}

void TInsertedTextPositionList::Delete(Int32 i) {
  if (!IndexAssignedOK(i)) return;
  fItems.erase(fItems.begin() + i);
}

void TInsertedTextPositionList::Clear() {
  std::vector<std::unique_ptr<TInsertedTextHolder>> items;
  items.swap(fItems);
}

TInsertedTextRec TInsertedTextPositionList::GetOne(Int32 i) const {
  const TInsertedTextHolder* h = Items(i);
  return h != nullptr ? h->data : TInsertedTextRec{};
}

Int32 TInsertedTextPositionList::GetAHitStart(Int32 i) const { return GetOne(i).hit_place_in_chars; }

// ---- Tagged-word texts ------------------------------------------------------------------------------

void ClearAPCharAndTag(TPcharTag& item, TWordTagFreeOption option) {
  if (option != wtf_only_tags && !item.wrd.IsNil()) item.wrd.Reset();
  if (option != wtf_only_words && !item.tag.IsNil()) item.tag.Reset();
}

void ClearAPCharAndTagArray(std::vector<TPcharTag>& items, TWordTagFreeOption option) {
  for (TPcharTag& item : items) ClearAPCharAndTag(item, option);
}

void FreeUpAPCharAndTagArray(std::vector<TPcharTag>& items) {
  ClearAPCharAndTagArray(items, wtf_both_words_and_tags);
}

}  // namespace sk
