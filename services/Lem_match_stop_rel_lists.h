// The four auxiliary word lists of a tool run: a lemma list (head words with
// their variant forms) and three plain word lists used as match, stop and
// relation lists, loaded from text files the user prepares.
//
// Lemma list file (UTF-8, UTF-16LE or UTF-16BE by its byte-order mark, UTF-8
// without one): one entry per line, the head word, " -> ", then the variants
// separated by ","; a line beginning with ";" is a comment and a line without
// " -> " is ignored. Match, stop and relation list files: each non-empty line
// not beginning with ";" holds words separated by ",". The lines are sorted
// before they are used, so a word claimed by two lemma entries belongs to the
// first in sorted order.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

struct THeadword_and_Variant {
  String headword;
  String variante;
};

class TMyLemmalist : public TObject {
 public:
  explicit TMyLemmalist(bool caseSensitive);
  TMyLemmalist(const TMyLemmalist&) = delete;
  TMyLemmalist& operator=(const TMyLemmalist&) = delete;
  ~TMyLemmalist() override;

  // Drops the whole line when either text is empty or head is already taken;
  // otherwise appends head and each new variant (numbered with head's 1-based
  // index), and records variants already taken as unwanted.
  void AddALine(const String& head, const String& variantsText);
  // Empties the four lists and check_for_affixes.
  void Clear();
  // Between these two, AddALine gathers the words it takes into allwords and
  // unwanted_variants and adds them to those sorted lists at once at the end,
  // with the same result (a sorted list takes words one at a time at the cost
  // of moving every later word). A load brackets its lines with them.
  void BeginAddingLines();
  void EndAddingLines();
  // The 1-based head-word number of variant i; 0 outside the list.
  Int32 HeadNumberOfVariant(Int32 i) const;
  // The indexes of the variants numbered n that a walk from the first variant
  // meets before it meets a greater number, in order. The numbers are read
  // once after each change of variants, not at every call.
  std::vector<Int32> VariantsOfHead(Int32 n) const;

  bool check_for_affixes = false;
  TUTF8Stringlist unwanted_variants;  // sorted, duplicates ignored
  TUTF8Stringlist allwords;           // sorted, duplicates ignored
  // In load order, looked up through an index of their collation keys.
  TKeyIndexedStringlist headwords;
  TKeyIndexedStringlist variants;  // each line's object is a TLongIntHolder

 private:
  // The variants' numbers as last read: at each index the greatest number up
  // to it, and the indexes of each number in order.
  struct TVariantNumbers {
    UInt64 changes = ~UInt64{0};
    std::vector<Int32> highest;
    std::unordered_map<Int32, std::vector<Int32>> at;
  };
  mutable TVariantNumbers fNumbers;
  // The words gathered between BeginAddingLines and EndAddingLines, with an
  // index of those for allwords (looked up by allwords' case rule).
  struct TGathered {
    std::vector<String> allwords;
    std::vector<String> unwanted;
    TLineKeyIndex keys;
  };
  std::unique_ptr<TGathered> fGathered;
  bool Taken(const String& word);
  void Take(const String& word);
  void Reject(const String& word);
};

class TMyMSRList : public TObject {
 public:
  explicit TMyMSRList(bool caseSensitive);
  void Clear();
  // Word i; empty outside 0..Count-1.
  String GetAWord(Int32 i) const;

  bool check_for_affixes = false;
  // In load order, looked up through an index of their collation keys.
  TKeyIndexedStringlist words;
};

class TLemMatchStopRelHolder : public TObject {
 public:
  // Creates the four lists, each case-insensitive.
  TLemMatchStopRelHolder();
  TLemMatchStopRelHolder(const TLemMatchStopRelHolder&) = delete;
  TLemMatchStopRelHolder& operator=(const TLemMatchStopRelHolder&) = delete;
  ~TLemMatchStopRelHolder() override;

  // as_lemma: StartUpAndLoadLemmaList; otherwise loads a match, stop or
  // relation list. False when the file is missing or cannot be read (the
  // list is then emptied). The loads yield to the host by time and build the
  // new list aside, putting it in place only once whole: a Stop raised during
  // a yield, or a host that frees, empties or loads any list of the holder
  // during one, ends the load with false and leaves the lists as they were.
  //
  // Lookups (IndexOfWordInList, IndexOfLemmaVariant, GetLemmalistVariantsOf,
  // AnyStoplistWordsFoundinCluster) find the first equal word by the list's
  // case rule through a hash of collation keys, not by a scan.
  bool StartUpAndLoadList(const String& filename, TLemmaMatchStopRelOptions which, bool caseSensitive);
  bool StartUpAndLoadLemmaList(const String& filename, bool caseSensitive);
  void ClearAList(TLemmaMatchStopRelOptions which);
  // Empties and frees the list: afterwards its accessors answer empty or -1,
  // and loading it again makes a new one.
  void FreeUpList(TLemmaMatchStopRelOptions which);

  Int32 GetWordCount(TLemmaMatchStopRelOptions which) const;
  Int32 IndexOfWordInList(const String& word, TLemmaMatchStopRelOptions which) const;
  bool GetLemmaMatchRelationStoplistCheckAffixes(TLemmaMatchStopRelOptions which) const;
  String GetMatchlistWord(Int32 i) const;
  String GetStoplistWord(Int32 i) const;
  String GetRelationlistWord(Int32 i) const;
  Int32 GetLemmaHeadWordCount() const;
  Int32 GetLemmaVariantCount() const;
  Int32 GetLemmalistUnwantedVariantCount() const;
  String GetLemmalistHeadWord(Int32 i) const;
  String GetLemmaListUnwantedVariant(Int32 i) const;
  Int32 IndexOfLemmaVariant(const String& word) const;
  // The variants of head in load order joined with ","; empty when head is
  // no head word (or nil).
  String GetLemmalistVariantsOf(const Char* head) const;
  THeadword_and_Variant GetLemmalistVariantWithHeadword(Int32 i) const;
  bool AnyStoplistWordsFoundinCluster(const std::vector<TPcharTag>& words) const;

  std::unique_ptr<TMyMSRList> Matchlist;
  std::unique_ptr<TMyLemmalist> LemmaList;
  std::unique_ptr<TMyMSRList> RelationList;
  std::unique_ptr<TMyMSRList> StopList;

 private:
  class TLoadWatch;
  // Counts the changes of the lists (loads, emptying, freeing), so that a
  // load can tell whether the host made one during its yields.
  UInt64 fChanges = 0;
  TMyMSRList* MSR(TLemmaMatchStopRelOptions which) const;
  std::unique_ptr<TMyMSRList>& MSRSlot(TLemmaMatchStopRelOptions which);
};

// Unit start and stop (the unit has no work of its own).
void Lem_match_stop_rel_lists_initialization();
void Lem_match_stop_rel_lists_Finalization();

}  // namespace sk
