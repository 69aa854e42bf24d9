// A light list of search words that a user types or keeps in a plain text
// file, each with up to two context words, a context span, a count of other
// search words required, a value scored when found and a hit count.
//
// Notation of one word (SWFlags reads it, SWStringPlusFlags writes it back):
//   "==" at both ends   case-sensitive word          msCaseIsSensitive
//   "~" at the start    word to avoid                ms_Avoid
//   "*" at the start    any characters may precede   msLeftBounded absent
//   "*" at the end      any characters may follow    msRightBounded absent
//
// A search-word file holds one entry per line: lines are trimmed; empty lines
// and lines beginning with ";" or "//" are skipped; with check_lemma_separators
// a line holding " -> " keeps the text before it, otherwise with
// split_at_commas a line keeps the text before its first ","; the kept text is
// TAB-separated fields: main word (or key "=" value), first and second context
// word, context span, other search words required, value if found. Numbers are
// read with the locale's decimal separator and rounded half to even.
#pragma once

#include <memory>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

struct TSimpleSearchSettings {
  bool split_at_commas{};
  bool check_lemma_separators{};
  bool require_equals_sign{};
  bool force_case_sensitive{};
  Int32 default_contextword_span{};
  Int32 markup_search_span{};
};
static_assert(sizeof(TSimpleSearchSettings) == 12);

enum TSimpleSearchSorts : uint8_t { ss_typed, ss_hits };

// Split at commas and check lemma separators on, no equals sign required, case
// not forced, context-word span 60, markup search span 200.
TSimpleSearchSettings DefaultSimpleSearchSettings();

// Strips the marks of the notation from s and returns the flags, in this
// order: "==" at both ends (both pairs removed; msCaseIsSensitive), a leading
// "~" (removed; ms_Avoid), a leading "*" (removed; otherwise msLeftBounded), a
// trailing "*" (removed; otherwise msRightBounded).
TMSSearchFlags SWFlags(String& s);
// s with "*" in front when msLeftBounded is absent, "*" behind when
// msRightBounded is absent, then "==" on both sides when msCaseIsSensitive is
// present. ms_Avoid is not written.
String SWStringPlusFlags(const String& s, TMSSearchFlags flags);
// The trimmed text before the first "="; empty when there is none.
String KeyOfKeyPlusValue(const String& s);
// The trimmed text after the first "=" read as a number (the locale's decimal
// separator); 0 when there is no "=" or no number.
Double ValueOfKeyPlusValue(const String& s);

// Items are TSearchContextHolder objects owned by the list.
class TSimpleSearchlist : public TIndexCheckList {
 public:
  explicit TSimpleSearchlist(const TSimpleSearchSettings& settings);
  ~TSimpleSearchlist() override;

  // Rewrite a file's lines before they are parsed; nothing here.
  virtual void PreParseTheList(TUTF8Stringlist* list);
  virtual String PreParseAString(const String& s);

  // Frees every entry and empties the list.
  void Clear() override;
  // Frees and removes entry i; an invalid index raises EListError.
  void Delete(Int32 index) override;

  // Appends a copy of rec with n_found -1; returns its index.
  Int32 AddOne(const TSearchContextRec& rec);
  // Takes other's settings, then appends a copy of each of its entries.
  void AddAll(const TSimpleSearchlist& other);
  // An entry whose main word is s upper-cased and read through SWFlags, every
  // other field zero; appended when the word is not empty.
  void AddOneAsString(const String& s);
  // Parses one entry and appends it when its main word is not empty.
  void LoadFromAString(const String& s);
  // Clear, then parses each line as a search-word file line, yielding by
  // time.
  void LoadFromAStringlist(TUTF8Stringlist* list);
  // Clear; false when the file does not exist or cannot be read. Otherwise
  // reads it (byte-order mark: UTF-8, UTF-16LE or UTF-16BE; none: UTF-8, or
  // ANSI for bytes that are not UTF-8), hands the lines to PreParseTheList,
  // parses them and answers true.
  bool LoadFromFile(const String& name);

  // Frees and removes entry i; an invalid index raises EListError.
  void DeleteOne(Int32 i);
  // Every entry's n_found becomes -1.
  void ClearNFound();
  // Sets entry i's n_found; an invalid i is ignored.
  void SetHits(Int32 i, Int32 n);
  // A copy of entry i; all zero for an invalid i.
  TSearchContextRec GetASearchRec(Int32 i) const;
  // Entry i's main word in notation; empty for an invalid i.
  String GetATypedInSW(Int32 i) const;
  // The first entry whose main word equals s ignoring case; -1 when none.
  Int32 IndexOfSimpleSearchRecSeek(const String& s) const;
  // The main words joined with separator, in notation when typed is true.
  String AsText(const String& separator, bool typed) const;
  // A new list (the caller's) with one line per entry: the word in notation, a
  // TAB and n_found with thousands separators ("%.0n"); with onlyFound,
  // entries whose n_found is below 1 are left out.
  std::unique_ptr<TStringList> TypedAndHitsAsStringlist(bool onlyFound) const;
  // ss_typed: on the words in notation, ordinal; ss_hits: on n_found. Sorted
  // ascending with the library quicksort (not stable), then reversed when
  // ascending is false.
  void SortOn(TSimpleSearchSorts kind, bool ascending);

  TSimpleSearchSettings Settings{};

 protected:
  TSearchContextHolder* Holder(Int32 i) const;
  // The word rule: upper-cased unless the case is forced, marks read through
  // SWFlags, msCaseIsSensitive added when the case is forced.
  TWordAndSearchFlags ParsedWord(const String& text) const;
  // The kept text of one file line after trimming, skipping, PreParseAString
  // and the lemma and comma rules; false when the line is skipped.
  bool KeptLineText(const String& line, String& kept);
};

}  // namespace sk
