// Search-word lists: an owning list of parsed search words, one class per
// role (search words, tag context words, exclusion words, the words one tool
// hands to the concordance tool), with their text files and streams.
//
// Search-word text file: UTF-16LE with its byte-order mark and CR LF after
// every line when written; any byte-order-marked or UTF-8 text when read; one
// typed search word (or several alternatives separated by "/") per line,
// lines beginning with ";" are comments, at most 1000 words are taken.
//
// Stream of a list (little-endian): Int32 count, then per word the 80 bytes
// of TQMSearchWordRec_fixed (pointer slot written as zeros) and, for version
// 3 (always written), the found variants (TStringTagFreqList stream), the
// context words (Int32 count, then per entry a stored string and the flags
// byte) and three stored strings: within_tag_section, typed_in_text and
// search_text. Older versions are read: 2 has an old tagged-word list in
// place of the variants; 1 an Int32 count of (Int32, stored string) pairs and
// one stored context word in place of both lists; 0 and below the one context
// word only.
#pragma once

#include <memory>
#include <vector>

#include "analysis/Search_and_do_engineU.h"
#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Stringtag_utils.h"
#include "core/Useful_classes_base_simplesearch.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

class TBaseSearchItems;

// The most words a search-word file gives.
inline constexpr Int32 MaxSearchWordsFromFile = 1000;
// The version a word's stream record is written with (at least).
inline constexpr Int32 SearchWordStreamVersion = 3;

// One search word of a list. Its record's lists (found variants) belong to
// the holder: made with the holder, freed with it.
class TSWHolder : public TObject {
 public:
  // An empty record with its lists.
  explicit TSWHolder(TBaseSearchItems* owner);
  // A copy of rec with a fresh, empty variants list of its own.
  TSWHolder(TBaseSearchItems* owner, const TQMSearchWordRec& rec);
  TSWHolder(const TSWHolder&) = delete;
  TSWHolder& operator=(const TSWHolder&) = delete;
  ~TSWHolder() override;

  // Takes rec's values but keeps its own variants list.
  void Assign(const TQMSearchWordRec& rec);
  // The record as stored; the version is raised to at least 3 first. True
  // when every byte was written.
  bool SaveToStream(TStream* stream);
  // Clears the record and reads one (any version). False when the stream
  // ends inside the record or a count is more than the bytes left can hold.
  // A stored string whose count is negative or over the string limit raises
  // the stored-string read error.
  bool ReadFromStream(TStream* stream);

  TBaseSearchItems* proprietario = nullptr;  // not owned
  TQMSearchWordRec data;
};

// The words, in order; owns its holders.
class TSWList : public TObject {
 public:
  TSWList() = default;
  TSWList(const TSWList&) = delete;
  TSWList& operator=(const TSWList&) = delete;
  ~TSWList() override = default;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  TSWHolder* Items(Int32 i) const { return fItems[static_cast<size_t>(i)].get(); }
  Int32 Add(std::unique_ptr<TSWHolder> holder);
  void Insert(Int32 index, std::unique_ptr<TSWHolder> holder);
  void Delete(Int32 index);
  void Move(Int32 from, Int32 to);
  // Frees every holder.
  void Clear() { fItems.clear(); }

 private:
  std::vector<std::unique_ptr<TSWHolder>> fItems;
};

class TBaseSearchItems : public TObject {
 public:
  // No engine, no markup delimiters, process-1 number -1.
  TBaseSearchItems();
  // The plain list, then an engine (kind se_searchword) on the locale.
  TBaseSearchItems(const TIgnore_tag& ignoreTags, Cardinal lcid, bool splitAtSlashes, TSearchEngineKinds kind);
  TBaseSearchItems(const TBaseSearchItems&) = delete;
  TBaseSearchItems& operator=(const TBaseSearchItems&) = delete;
  ~TBaseSearchItems() override;

  // ---- virtual operations
  // Empties the plain list and the words; not from a file.
  virtual void Clear();
  // Clear, the other's from-a-file flag, then a copy of each of its words.
  virtual void CopyFrom(const TBaseSearchItems& other);
  // Reads the file (see above): Clear, then AddSW of every line that is not
  // empty and not a comment while fewer than 1000 words are held. True when
  // words were taken. A file that cannot be read raises EFOpenError.
  virtual bool LoadFromTextFile(const String& name);

  // ---- adding (each gives the index of the first word added, -1 for none)
  // Each alternative of the text (split at "/"), parsed; an alternative of
  // white space only adds nothing.
  Int32 AddSW(const String& text);
  Int32 AddSW(const TStringTag& tag);
  // A cleared record with the flags and the pattern, not parsed.
  Int32 AddSW(const TSearchReqStringAndFlags& rec);
  // A copy of the record.
  Int32 AddSW(const TQMSearchWordRec& rec);
  // The index of the word with the same typed text and language, else AddSW.
  Int32 EnsureContains(const TQMSearchWordRec& rec);
  // A copy of every word of other.
  Int32 AddSWs(const TBaseSearchItems& other);
  // The alternatives of the text, parsed and put at the top in their typed
  // order; the index of each word inserted (0, 1, ...).
  std::vector<Int32> InsertSearchWordsAtTop(const String& text);
  // The alternatives of the text (split at "/"); the caller owns the list.
  std::unique_ptr<TUTF8Stringlist> ListOfSWs(const String& text) const;

  // ---- one word (an index outside the list gives the fallback shown)
  TQMSearchWordRec* GetPtr(Int32 i);                  // nil
  // A copy that shares the word's lists (all zero outside the list).
  TQMSearchWordRec GetSWR(Int32 i) const;
  void PutSWR(Int32 i, const TQMSearchWordRec& rec);
  TMSSearchFlags GetAFlag(Int32 i) const;  // empty
  void SetAFlag(Int32 i, TMSSearchFlags flags);
  Int32 GetHitsFound(Int32 i) const;  // 0
  void SetHitsFound(Int32 i, Int32 n);
  void IncrementHits(Int32 i);
  Int32 GetNWanted(Int32 i) const;  // 2147483647
  void SetNWanted(Int32 i, Int32 n);
  Int32 GetSpacesInSW(Int32 i) const;  // 0
  SmallInt GetLanguage(Int32 i) const;  // 0
  // Raises EListError for an index outside the list.
  void SetLanguage(Int32 i, SmallInt language);
  String TypedInWord(Int32 i) const;  // empty
  // Context word j of word i; all empty when either is outside.
  TSearchReqStringAndFlags GetASWContext(Int32 i, Int32 j) const;
  // Frees and removes word i.
  void ClearOne(Int32 i);
  // Word i to the top, for 0 < i < Count.
  void MoveToTop(Int32 i);

  // ---- the whole list
  Int32 Count() const { return fSearchWordList->Count(); }
  void ClearHits();
  // The first min(Count, length) words take the values as hits found.
  void SetHits(const std::vector<Int32>& hits);
  Int64 TotalHits() const;
  void SetProcess1SpecificNumber(Int32 n) { fProcess_1_SpecificNumber = n; }
  // The word with the same typed text (exactly) and language; -1 when none.
  Int32 IndexOf(const TQMSearchWordRec& rec) const;
  // The first word typed as text (exactly, or ignoring case); -1 when none.
  // Yields once per word.
  Int32 TypeInIndexOf(const String& text, bool exact) const;
  Int32 TypeInIndexOf(const String& text) const { return TypeInIndexOf(text, true); }
  std::vector<String> TypedInWordsAsArrayOfString() const;
  std::unique_ptr<TUTF8Stringlist> TypedInWordsAsStringlist() const;
  // Copies of the words at the indexes (a negative index: an empty record);
  // the copies share the words' lists.
  std::vector<TQMSearchWordRec> CopyOfArrayOFSWItems(const std::vector<Int32>& indexes) const;
  // The typed words without "==", joined by "/"; with limit the first 10,
  // then " etc." when there are more.
  String AllTypedSearchWordsAsOne(bool limit) const;
  // The alternatives of the text with its runs of spaces collapsed, split as
  // the list splits; the caller owns the list.
  std::unique_ptr<TUTF8Stringlist> TypeInParts(const String& text) const;
  Int32 SearchesPlannedCount() const;
  // The plain list rebuilt: per word its typed text without markers, the
  // markers as flags, value if found 1.0. The list stays this list's.
  TSimpleSearchlist* ComputePlainSearchWords();

  // ---- files and streams
  // One line per word (its typed text): UTF-16LE with its mark, CR LF after
  // each line, the file replaced whole. False when it could not be written.
  bool SaveToTextFile(const String& name) const;
  bool SaveToStream(TStream* stream);
  // Appends the words read. False, with nothing added, when the count cannot
  // be read, is negative or more than the bytes left can hold; false when a
  // word fails (the words before it stay, the rest are added empty).
  bool ReadFromStream(TStream* stream);

  TSearchEngineKinds fSearchkind{};
  std::unique_ptr<TSimpleSearchlist> fPlainWords;
  Int32 fCurrentSearch = 0;
  Int32 fProcess_1_SpecificNumber = -1;
  std::unique_ptr<TSWList> fSearchWordList;
  std::unique_ptr<TSearchAndDoEngine> fSearchEngine;
  Cardinal fLCID = 0;
  bool fSplitting_at_slashes = false;
  bool fFormatPreChecked = false;
  bool fFrom_a_file = false;
  TIgnore_tag ignore_tags{};
  bool allow_multi_space_search = false;

 protected:
  bool InRange(Int32 i) const { return i >= 0 && i < Count(); }
  TSWHolder* Holder(Int32 i) const { return InRange(i) ? fSearchWordList->Items(i) : nullptr; }
  // The parsed words of the text's alternatives (white-space alternatives
  // left out).
  std::vector<TQMSearchWordRec> ParsedAlternatives(const String& text) const;
  // Reads the file's lines, tidied.
  static std::unique_ptr<TUTF8Stringlist> TidiedLinesOf(const String& name);
};

// Search words with their context words.
class TSearchWordItems : public TBaseSearchItems {
 public:
  TSearchWordItems() = default;
  // Also the context-word list (kind se_contextword) and its engine.
  TSearchWordItems(const TIgnore_tag& ignoreTags, Cardinal lcid, bool splitAtSlashes, TSearchEngineKinds kind);
  ~TSearchWordItems() override;

  void CopyFrom(const TBaseSearchItems& other) override;
  bool LoadFromTextFile(const String& name) override;

  // Appends a context word to word i (a text or a tag's word is parsed as a
  // chunk first); nothing for an i outside the list.
  void AddASWContextWord(Int32 i, const TSearchReqStringAndFlags& rec);
  void AddASWContextWord(Int32 i, const String& text);
  void AddASWContextWord(Int32 i, const TStringTag& tag);
  // Each context word of other's word i is appended to word i here.
  void AddContextWords(const TBaseSearchItems& other);
  bool GetHasContextWord(Int32 i) const;
  bool HasAnyContextWords() const;
  // Some typed word is longer than 60 characters.
  bool GetHasLongTypedIns() const;
  // The context-word list emptied and given each context word of word i.
  void LoadContextCWItemsFromContextWords(Int32 i);

  std::unique_ptr<TSearchAndDoEngine> fContextEngine;
  std::unique_ptr<TBaseSearchItems> fContextCWItems;
  TSearchAndDoEngine* ContextEngine = nullptr;  // fContextCWItems' engine, not owned
  Int32 ColunaPraProcura = 0;
};

class TTagContextWordItems : public TBaseSearchItems {
 public:
  using TBaseSearchItems::TBaseSearchItems;
};

class TExclusionWordItems : public TBaseSearchItems {
 public:
  using TBaseSearchItems::TBaseSearchItems;
};

class TCommunicateWithConcordItems : public TSearchWordItems {
 public:
  using TSearchWordItems::TSearchWordItems;
};

// Unit start and stop (the unit has no work of its own).
void Base_search_itemsU_initialization();
void Base_search_itemsU_Finalization();

}  // namespace sk
