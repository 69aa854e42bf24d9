#include "services/Lem_match_stop_rel_lists.h"

#include <algorithm>
#include <climits>

#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_tabfields.h"
#include "core/UnitCounter.h"
#include "core/Useful_classes_base_holders.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

const String kLemmaSeparator = u" -> ";

// The lines of a word-list file, upper-cased when the load ignores case, and
// sorted; false when the file cannot be read.
bool ReadSortedLines(const String& filename, bool caseSensitive, TUTF8Stringlist& lines) {
  try {
    lines.SetCaseSensitive(caseSensitive);
    TFileStream stream(filename, fmOpenRead | fmShareDenyNone);
    lines.LoadFromStream(&stream);
  } catch (const Exception&) {
    lines.Clear();
    return false;
  }
  if (!caseSensitive) lines.SetText(AnsiUpperCase(lines.Text()));
  lines.Sort();
  return true;
}

bool IsComment(const String& line) { return !line.empty() && line[0] == u';'; }

}  // namespace

// What a load watches while it runs: whether the host changed any list of
// the holder during a yield, and whether a Stop was asked for (at a yield of
// the load, or at the sort of its lines, which then ends early).
class TLemMatchStopRelHolder::TLoadWatch {
 public:
  explicit TLoadWatch(const TLemMatchStopRelHolder& holder)
      : fHolder(holder), fChanges(holder.fChanges), fPanicBefore(global_panic_state != panic_no_panic) {}
  bool Untouched() const { return fHolder.fChanges == fChanges; }
  bool Stopped(const TTimedYield& yield, const TUTF8Stringlist& lines) const {
    return yield.Stopped() || lines.SortEndedEarly() || (!fPanicBefore && global_panic_state != panic_no_panic);
  }

 private:
  const TLemMatchStopRelHolder& fHolder;
  UInt64 fChanges;
  bool fPanicBefore;
};

// ---------------------------------------------------------------------------
// TMyLemmalist.

TMyLemmalist::TMyLemmalist(bool caseSensitive) {
  unwanted_variants.SetSorted(true);
  unwanted_variants.SetDuplicates(dupIgnore);
  allwords.SetSorted(true);
  allwords.SetDuplicates(dupIgnore);
  variants.SetOwnsObjects(true);
  headwords.SetCaseSensitive(caseSensitive);
  variants.SetCaseSensitive(caseSensitive);
}

TMyLemmalist::~TMyLemmalist() = default;

bool TMyLemmalist::Taken(const String& word) {
  if (allwords.IndexOf(word) >= 0) return true;
  if (!fGathered) return false;
  const std::vector<String>& words = fGathered->allwords;
  return fGathered->keys.Find(
             word, static_cast<Int32>(words.size()), allwords.CaseSensitive(),
             [&words](Int32 i, String& text) {
               text = words[static_cast<size_t>(i)];
               return true;
             },
             [this](const String& a, const String& b) { return allwords.CompareStrings(a, b) == 0; }) >= 0;
}

void TMyLemmalist::Take(const String& word) {
  if (fGathered)
    fGathered->allwords.push_back(word);
  else
    allwords.Add(word);
}

void TMyLemmalist::Reject(const String& word) {
  if (fGathered)
    fGathered->unwanted.push_back(word);
  else
    unwanted_variants.Add(word);
}

void TMyLemmalist::BeginAddingLines() {
  EndAddingLines();
  fGathered = std::make_unique<TGathered>();
}

void TMyLemmalist::EndAddingLines() {
  if (!fGathered) return;
  const std::unique_ptr<TGathered> gathered = std::move(fGathered);
  allwords.AddStrings(gathered->allwords);
  unwanted_variants.AddStrings(gathered->unwanted);
}

void TMyLemmalist::AddALine(const String& head, const String& variantsText) {
  if (head.empty() || variantsText.empty()) return;
  if (Taken(head)) return;
  Take(head);
  const Int32 n = headwords.Add(head) + 1;
  size_t from = 0;
  for (;;) {
    const size_t comma = variantsText.find(u',', from);
    const String piece = Trim(variantsText.substr(from, comma == String::npos ? String::npos : comma - from));
    if (!piece.empty()) {
      if (Taken(piece)) {
        Reject(piece);
      } else {
        Take(piece);
        variants.AddObject(piece, new TLongIntHolder(n));
      }
    }
    if (comma == String::npos) break;
    from = comma + 1;
  }
}

void TMyLemmalist::Clear() {
  fGathered.reset();
  check_for_affixes = false;
  unwanted_variants.Clear();
  allwords.Clear();
  headwords.Clear();
  variants.Clear();
}

Int32 TMyLemmalist::HeadNumberOfVariant(Int32 i) const {
  if (i < 0 || i >= variants.Count()) return 0;
  const auto* holder = dynamic_cast<const TLongIntHolder*>(variants.Objects(i));
  return holder != nullptr ? holder->data : 0;
}

std::vector<Int32> TMyLemmalist::VariantsOfHead(Int32 n) const {
  TVariantNumbers& numbers = fNumbers;
  if (numbers.changes != variants.ChangeCount()) {
    numbers = TVariantNumbers{};
    numbers.changes = variants.ChangeCount();
    Int32 highest = INT32_MIN;
    for (Int32 i = 0; i < variants.Count(); ++i) {
      const Int32 number = HeadNumberOfVariant(i);
      highest = std::max(highest, number);
      numbers.highest.push_back(highest);
      numbers.at[number].push_back(i);
    }
  }
  // The walk stops at the first variant whose number is above n.
  const Int32 stop =
      static_cast<Int32>(std::upper_bound(numbers.highest.begin(), numbers.highest.end(), n) - numbers.highest.begin());
  std::vector<Int32> r;
  if (const auto it = numbers.at.find(n); it != numbers.at.end())
    for (Int32 i : it->second) {
      if (i >= stop) break;
      r.push_back(i);
    }
  return r;
}

// ---------------------------------------------------------------------------
// TMyMSRList.

TMyMSRList::TMyMSRList(bool caseSensitive) { words.SetCaseSensitive(caseSensitive); }

void TMyMSRList::Clear() {
  check_for_affixes = false;
  words.Clear();
}

String TMyMSRList::GetAWord(Int32 i) const {
  if (i < 0 || i >= words.Count()) return String();
  return words[i];
}

// ---------------------------------------------------------------------------
// TLemMatchStopRelHolder.

TLemMatchStopRelHolder::TLemMatchStopRelHolder()
    : Matchlist(std::make_unique<TMyMSRList>(false)),
      LemmaList(std::make_unique<TMyLemmalist>(false)),
      RelationList(std::make_unique<TMyMSRList>(false)),
      StopList(std::make_unique<TMyMSRList>(false)) {}

TLemMatchStopRelHolder::~TLemMatchStopRelHolder() {
  for (TLemmaMatchStopRelOptions which : {as_lemma, as_match, as_stop, as_relation}) FreeUpList(which);
}

TMyMSRList* TLemMatchStopRelHolder::MSR(TLemmaMatchStopRelOptions which) const {
  switch (which) {
    case as_match: return Matchlist.get();
    case as_stop: return StopList.get();
    case as_relation: return RelationList.get();
    default: return nullptr;
  }
}

std::unique_ptr<TMyMSRList>& TLemMatchStopRelHolder::MSRSlot(TLemmaMatchStopRelOptions which) {
  if (which == as_stop) return StopList;
  if (which == as_relation) return RelationList;
  return Matchlist;
}

bool TLemMatchStopRelHolder::StartUpAndLoadList(const String& filename, TLemmaMatchStopRelOptions which,
                                                bool caseSensitive) {
  if (which == as_lemma) return StartUpAndLoadLemmaList(filename, caseSensitive);
  std::unique_ptr<TMyMSRList>& slot = MSRSlot(which);
  if (!slot) slot = std::make_unique<TMyMSRList>(false);
  // The words are gathered into a list of their own and put in place once
  // all are in: a Stop leaves the list as it was before the load.
  auto fresh = std::make_unique<TMyMSRList>(slot->words.CaseSensitive());
  TMyMSRList& list = *fresh;
  const TLoadWatch watch(*this);
  TUTF8Stringlist lines;
  if (!FileExists(filename) || !ReadSortedLines(filename, caseSensitive, lines)) {
    if (watch.Untouched()) ClearAList(which);
    return false;
  }
  bool answer = true;
  bool affixes = false;
  TTimedYield yield;
  for (Int32 i = 0; i < lines.Count(); ++i) {
    if (yield.Tick()) break;
    const String line = lines[i];
    if (line.empty() || IsComment(line)) continue;
    if (line.find(u'<') != String::npos) affixes = true;
    for (const String& piece : StringToStringArray(u",", line, true)) list.words.Add(piece);
    list.check_for_affixes = affixes;
    answer = list.words.Count() > 0;
  }
  // The host freed, emptied or loaded the list during a yield, or asked to stop.
  if (!watch.Untouched() || watch.Stopped(yield, lines)) return false;
  slot = std::move(fresh);
  ++fChanges;
  return answer;
}

bool TLemMatchStopRelHolder::StartUpAndLoadLemmaList(const String& filename, bool caseSensitive) {
  // As the word lists: built aside, put in place whole.
  auto fresh = std::make_unique<TMyLemmalist>(caseSensitive);
  TMyLemmalist& lemmas = *fresh;
  const TLoadWatch watch(*this);
  TUTF8Stringlist lines;
  if (!FileExists(filename) || !ReadSortedLines(filename, caseSensitive, lines)) {
    if (watch.Untouched()) {
      LemmaList = std::move(fresh);  // empty, with the case rule asked for
      ++fChanges;
    }
    return false;
  }
  lemmas.check_for_affixes = lines.Text().find(u'<') != String::npos;
  TTimedYield yield;
  lemmas.BeginAddingLines();
  for (Int32 i = 0; i < lines.Count(); ++i) {
    if (yield.Tick()) break;
    const String line = lines[i];
    const size_t sep = line.find(kLemmaSeparator);
    if (sep == String::npos || IsComment(line)) continue;
    lemmas.AddALine(Trim(line.substr(0, sep)), Trim(line.substr(sep + kLemmaSeparator.size())));
  }
  if (!yield.Stopped()) lemmas.EndAddingLines();
  if (!watch.Untouched() || watch.Stopped(yield, lines)) return false;
  LemmaList = std::move(fresh);
  ++fChanges;
  return LemmaList->headwords.Count() > 0;
}

void TLemMatchStopRelHolder::ClearAList(TLemmaMatchStopRelOptions which) {
  ++fChanges;
  if (which == as_lemma) {
    if (LemmaList) LemmaList->Clear();
  } else if (TMyMSRList* list = MSR(which)) {
    list->Clear();
  }
}

void TLemMatchStopRelHolder::FreeUpList(TLemmaMatchStopRelOptions which) {
  ClearAList(which);  // counts as a change
  if (which == as_lemma) LemmaList.reset();
  else MSRSlot(which).reset();
}

Int32 TLemMatchStopRelHolder::GetWordCount(TLemmaMatchStopRelOptions which) const {
  if (which == as_lemma) return LemmaList ? LemmaList->headwords.Count() : 0;
  const TMyMSRList* list = MSR(which);
  return list != nullptr ? list->words.Count() : 0;
}

Int32 TLemMatchStopRelHolder::IndexOfWordInList(const String& word, TLemmaMatchStopRelOptions which) const {
  if (which == as_lemma) return LemmaList ? LemmaList->headwords.IndexOf(word) : -1;
  const TMyMSRList* list = MSR(which);
  return list != nullptr ? list->words.IndexOf(word) : -1;
}

bool TLemMatchStopRelHolder::GetLemmaMatchRelationStoplistCheckAffixes(TLemmaMatchStopRelOptions which) const {
  if (which == as_lemma) return LemmaList && LemmaList->check_for_affixes;
  const TMyMSRList* list = MSR(which);
  return list != nullptr && list->check_for_affixes;
}

String TLemMatchStopRelHolder::GetMatchlistWord(Int32 i) const { return Matchlist ? Matchlist->GetAWord(i) : String(); }
String TLemMatchStopRelHolder::GetStoplistWord(Int32 i) const { return StopList ? StopList->GetAWord(i) : String(); }
String TLemMatchStopRelHolder::GetRelationlistWord(Int32 i) const {
  return RelationList ? RelationList->GetAWord(i) : String();
}

Int32 TLemMatchStopRelHolder::GetLemmaHeadWordCount() const { return LemmaList ? LemmaList->headwords.Count() : 0; }
Int32 TLemMatchStopRelHolder::GetLemmaVariantCount() const { return LemmaList ? LemmaList->variants.Count() : 0; }
Int32 TLemMatchStopRelHolder::GetLemmalistUnwantedVariantCount() const {
  return LemmaList ? LemmaList->unwanted_variants.Count() : 0;
}

String TLemMatchStopRelHolder::GetLemmalistHeadWord(Int32 i) const {
  if (!LemmaList || i < 0 || i >= LemmaList->headwords.Count()) return String();
  return LemmaList->headwords[i];
}

String TLemMatchStopRelHolder::GetLemmaListUnwantedVariant(Int32 i) const {
  if (!LemmaList || i < 0 || i >= LemmaList->unwanted_variants.Count()) return String();
  return LemmaList->unwanted_variants[i];
}

Int32 TLemMatchStopRelHolder::IndexOfLemmaVariant(const String& word) const {
  return LemmaList ? LemmaList->variants.IndexOf(word) : -1;
}

String TLemMatchStopRelHolder::GetLemmalistVariantsOf(const Char* head) const {
  if (!LemmaList || head == nullptr) return String();
  const Int32 index = LemmaList->headwords.IndexOf(String(head));
  if (index < 0) return String();
  String r;
  // Variants come grouped in head-word order.
  for (Int32 i : LemmaList->VariantsOfHead(index + 1))
    r = AddToListWithSeparatorIfNeeded(r, LemmaList->variants[i], u',');
  return r;
}

THeadword_and_Variant TLemMatchStopRelHolder::GetLemmalistVariantWithHeadword(Int32 i) const {
  if (!LemmaList || i < 0 || i >= LemmaList->variants.Count()) return THeadword_and_Variant{};
  return THeadword_and_Variant{GetLemmalistHeadWord(LemmaList->HeadNumberOfVariant(i) - 1), LemmaList->variants[i]};
}

bool TLemMatchStopRelHolder::AnyStoplistWordsFoundinCluster(const std::vector<TPcharTag>& words) const {
  if (!StopList) return false;
  for (const TPcharTag& w : words)
    if (StopList->words.IndexOf(w.wrd.ToString()) >= 0) return true;
  return false;
}

SK_COUNTER_ONLY_UNIT(Lem_match_stop_rel_lists)

}  // namespace sk
