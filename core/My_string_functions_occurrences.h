// List classes of the text library: a word list that records in which files
// each word occurs and how often, a list of lines from which existing file
// names are picked, a list of text lines that each carry the search hits to
// highlight in them, a list of inserted-text positions, and the routines that
// release the texts of tagged-word arrays.
//
// Every list here owns the objects on its lines: deleting a line, clearing the
// list or destroying it frees them, and lines copied in from another list
// (AddStrings, Assign) come without objects, so that no object has two owners.
//
// Stream form of a TStringlistWithListOfOccurrences (little-endian):
//   Int32 count N of words, then per word
//     the word's TListOfOccurrences in its own form (Int32 row count, one
//     `sorted` byte, then per row the file number and the hits as Int32),
//     then the word as a stored string (Int32 count of UTF-16 units, units).
// The occurrence list comes before its word.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Useful_classes_base_longint.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

// ---- TListOfOccurrences ----------------------------------------------------------

// Rows of two Int32 columns: column 0 the file number (0-based), column 1 the
// number of hits in that file. Streams as its base.
class TListOfOccurrences : public T2LongintList {
 public:
  TListOfOccurrences() = default;

  // Column 0 / column 1 of row i; MultiLongintNoValue (-999999) for a row that
  // does not exist.
  Int32 GetFileNumber_OB(Int32 i) const;
  Int32 GetHits(Int32 i) const;
  // The sum of the hits over all rows (0 for no rows).
  Int32 GetTotalHits() const;
  // The hits of row i, or 0 when they are below minHits (or the row does not
  // exist).
  Int32 GetValidHits(Int32 i, Int32 minHits) const;
  // The sum of GetValidHits over all rows, or 0 when that sum is below
  // minTotal.
  Int32 GetTotalValidHits(Int32 minTotal, Int32 minHits) const;
};

// ---- TStringlistWithListOfOccurrences ----------------------------------------------

// One word per line; each line's object is the word's TListOfOccurrences.
class TStringlistWithListOfOccurrences : public TUTF8Stringlist {
 public:
  TStringlistWithListOfOccurrences() = default;
  ~TStringlistWithListOfOccurrences() override;

  // Finds the word's line, adding the word with a new empty occurrence list
  // when it is absent, and returns the line's index. Then adds hits to the row
  // of fileNumber in that list, or adds the row (fileNumber, hits) when there
  // is none.
  //
  // The word's line is the one IndexOf finds (the list's CompareStrings: case
  // is ignored unless CaseSensitive is set). A list marked Sorted finds it by
  // halving; an unsorted list through an index of the lines' collation keys
  // kept beside the list, so that building a list word by word does not scan
  // it once per word.
  Int32 AddOrIncOneByFreq(const String& word, Int32 fileNumber, Int32 hits);
  // Line i's occurrence list; nullptr when i is outside 0..Count-1 (or the line
  // has none).
  TListOfOccurrences* GetAListOfOccurrences(Int32 i) const;

  // Frees line i's occurrence list, then deletes the line (an invalid index
  // raises the platform list's index error).
  void Delete(Int32 index) override;
  // Deletes every line from the last to the first, freeing the lists.
  void Clear() override;

  // Writes the stream form above; true when every write succeeded.
  bool SavedToStream(TStream* stream);
  // Reads the stream form, appending the words with their lists. False when
  // the count cannot be read or is more than the bytes that remain can hold
  // (nothing is added), or when a word's occurrence list or the word itself
  // cannot be read whole (the words read before it stay). A stored word whose
  // count is negative or over the stored-string limit raises the stored-string
  // read error, as every stored-string reader does.
  bool LoadedFromStream(TStream* stream);

  // For each line from the last to the first: a line whose total hits are
  // below minTotal is deleted; otherwise its rows with fewer than minHits hits
  // are removed and the line is deleted when no row remains.
  void RemoveLowCounts(Int32 minTotal, Int32 minHits);
  // The number of words found in more than one file (lists of two rows or
  // more).
  Int32 CasesWithAtLeast1Repeat() const;
  // Over the lines whose list has at least minRows rows: the sum of their row
  // counts when addRows is true, else the number of such lines.
  Int32 TotalValidHitsOrClusters(Int32 minRows, bool addRows) const;

  // Each unmarks the list as sorted and sorts it with the library quicksort.
  // When global_reversed_sort is true the compared lines are exchanged first,
  // which reverses the whole order.
  //   ...AscendingChunks: by word, in descending ordinal order.
  //   ...FileAscending: by the file number of each word's first row,
  //     ascending; ties by word as above.
  //   ...IndividualFreqDescending, ...OverallFreqDescending: by total hits,
  //     descending; ties by word in ascending ordinal order.
  void SortAllOccurrencesAscendingChunks();
  void SortAllOccurrencesFileAscending();
  void SortAllOccurrencesIndividualFreqDescending();
  void SortAllOccurrencesOverallFreqDescending();

 protected:
  TObject* AdoptedObject(TObject* obj) const override;
  // Every change of the lines makes the word index stale.
  void Changed() override;

 private:
  // Line index of each collation key (the first line with that key), and of
  // each spelling already looked up; valid while fIndexValid is set.
  std::unordered_map<std::string, Int32> fWordIndex;
  std::unordered_map<String, Int32> fExactIndex;
  bool fIndexValid = false;
  bool fIndexCaseSensitive = false;  // the rule the index was built with
  std::string LineKey(const String& s) const;
  void RebuildWordIndex();
  Int32 LineOfWord(const String& word);
};

// ---- TFilenamesStringlist ------------------------------------------------------------

// Lines of tab-separated fields of which one may name a file.
class TFilenamesStringlist : public TUTF8Stringlist {
 public:
  TFilenamesStringlist() = default;

  // True when text is not empty and names an existing file (links followed).
  bool IsAnExistingFilename(const String& text) const;
  // The first tab-separated field of line, from the left, that names an
  // existing file; empty when none does.
  String FilenameInLine(const String& line) const;
  // Visits each line once, from the last to the first: a line holding a file
  // name is replaced by that name, a line without one is deleted. The list is
  // no longer marked sorted afterwards.
  void ReduceToExistingFilenames();
};

// ---- THighlightUTF8Stringlist -----------------------------------------------------------

// Text lines; each line's object is nil or the line's search hits to
// highlight, a TSearchHighlightWordsList owned by the list. The operations
// that take a line index ignore an index outside the list.
class THighlightUTF8Stringlist : public TUTF8Stringlist {
 public:
  THighlightUTF8Stringlist() = default;
  // Frees every highlight list, then the lines.
  ~THighlightUTF8Stringlist() override;

  // Gives line i an empty highlight list when it has none.
  void EnsureHWListAssigned(Int32 i);
  // Appends hit to line i's highlights (making the list when needed).
  void AddSearchHit(Int32 i, const TSearchHits_rec& hit);
  // Line i's highlights; nullptr when it has none or i is invalid.
  TSearchHighlightWordsList* GetHighlights(Int32 i) const;
  // Frees line i's highlight list and sets its object to nil.
  void ClearOneLineHighlights(Int32 i);
  // The same for every line.
  void ClearHighlights();
  // ClearHighlights, then clears the lines.
  void Clear() override;
  // Frees the line's highlights, then deletes the line (an invalid index
  // raises the platform list's index error).
  void Delete(Int32 index) override;
  // Clears line i's highlights and deletes the line.
  void RemoveOneLine(Int32 i);
  // From the last line to the first, removes each empty line that way.
  void RemoveBlankLines();
  // Clears line i's highlights; its text gets runs of spaces collapsed into
  // one and blanks trimmed at both ends.
  void TrimOneLine(Int32 i);
  // Joins lines i and j (both valid, i different from j; otherwise nothing
  // happens): the highlights of both go; the texts, with "<B>" and "</B>"
  // taken off a text that is bold at both ends, are joined with one space,
  // the line with the lower index first; line j gets the joined text, wrapped
  // in "<B>" and "</B>" when either text was bold at its ends; line i is
  // deleted.
  void JoinLines(Int32 i, Int32 j);

 protected:
  TObject* AdoptedObject(TObject* obj) const override;
};

// ---- Inserted-text positions ---------------------------------------------------------------

struct TInsertedTextRec {
  Int32 text_convert_num{};
  Int32 hit_number{};
  Int32 hit_place_in_chars{};
  Int32 full_hit_len{};
};
static_assert(sizeof(TInsertedTextRec) == 16);

class TInsertedTextHolder : public TObject {
 public:
  explicit TInsertedTextHolder(const TInsertedTextRec& rec) : data(rec) {}
  TInsertedTextRec data{};
};

// An owning list of TInsertedTextHolder objects.
class TInsertedTextPositionList : public TObject {
 public:
  TInsertedTextPositionList() = default;
  TInsertedTextPositionList(const TInsertedTextPositionList&) = delete;
  TInsertedTextPositionList& operator=(const TInsertedTextPositionList&) = delete;
  ~TInsertedTextPositionList() override;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  bool IndexAssignedOK(Int32 i) const { return i >= 0 && i < Count(); }
  // Takes the holder (a nil one is not added: -1); returns its index.
  Int32 Add(std::unique_ptr<TInsertedTextHolder> holder);
  // Holder i; nullptr for an invalid index.
  TInsertedTextHolder* Items(Int32 i) const;
  // Frees holder i and removes it; an invalid index is ignored.
  void Delete(Int32 i);
  // Frees every holder and empties the list.
  virtual void Clear();

  // A copy of holder i's record; all zero for an invalid index.
  TInsertedTextRec GetOne(Int32 i) const;
  // Holder i's hit_place_in_chars; 0 for an invalid index.
  Int32 GetAHitStart(Int32 i) const;

 private:
  std::vector<std::unique_ptr<TInsertedTextHolder>> fItems;
};

// ---- Tagged-word texts -----------------------------------------------------------------------

// Frees the word, the tag or both, as option says, leaving them nil; a nil
// text is left alone.
void ClearAPCharAndTag(TPcharTag& item, TWordTagFreeOption option);
// ClearAPCharAndTag on every element.
void ClearAPCharAndTagArray(std::vector<TPcharTag>& items, TWordTagFreeOption option);
// Frees the word and the tag of every element that has them. They are left
// nil, so that nothing can free or read them a second time.
void FreeUpAPCharAndTagArray(std::vector<TPcharTag>& items);

}  // namespace sk
