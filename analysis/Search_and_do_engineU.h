// The search engine: runs one parsed search word over one text buffer and
// hands every hit to the tool's callback; a lighter engine that answers
// whether a word occurs in a short text; a list that keeps copies of hits.
//
// The text and its character-class array live in the process-wide
// global_bufStr and global_Wchars, one pair per TWholeOrPart; SetABuffer
// fills them and the matcher (Further_string_functions) reads them, so one
// search per TWholeOrPart runs at a time.
//
// Texts the engine cannot address: its positions are Int32s, so a text of
// more than 2,147,483,632 UTF-16 units (see Addresses) gets no class array
// and is not searched; SearchAndDo and QuickSearchFoundIgnoringTags answer
// false for it, never a search of its front part.
//
// When memory runs out: SetABuffer (and PrepareFirst with a buffer) and
// QuickSearchFoundIgnoringTags raise std::bad_alloc, leaving the buffer of
// which and its class array empty; the text given to SetABuffer(String&&)
// is handed back to the caller unchanged. SearchAndDo, which builds a
// missing class array again, raises its "problem searching" Exception with
// the std::bad_alloc nested in it.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Sortablelists.h"
#include "platform/runtime/RtlTypes.h"
#include "services/File_utils_jumplists.h"

namespace sk {

struct TStarPlacesMemo;

class TSearchAndDoEngine;

// The callback of every hit: true when the tool accepts it. Sender is the
// engine; the record may be changed (moving exact_hit_char_position_1B away
// from the start of hit_edge_1B makes the next search start one character
// after this hit's start instead of after the whole hit).
using TSearchFoundEvent = std::function<bool(TSearchAndDoEngine* Sender, TConcSearchRec& rec)>;

struct TSearchAndDoPrivateRec {
  String fsearch_text;  // the pattern of the quick search
  TMSSearchFlags flags;
  Int32 fComplete_file_bytes{};
  bool fBufferGotConverted{};
  TEnumArray<THitsFoundInfo, Int32, THitsFoundInfo_Count> fHitsFound{};
  Word fCodepage{};
  Byte fInitialWildcard{};  // always 0
  std::vector<Int32> fstart_bytes;  // byte positions at which to resume
  Cardinal fLCID{};
  String fFilename;
};

struct TSearchAndDoPublicRec {
  TSearchEngineKinds Kind{};
  String Replace_text;
  Int32 current_search_row{};
  Int32 current_search_number{};
  bool Stopped{};  // a callback sets it to end the search
  bool IsAdditionalEngine{};  // writes no log line
  Int32 BytesPerChar{};
  Int32 FileBytePos{};  // byte offset of the buffer in its file
  Tcollocation_barrier Collocate_barrier{};
  TTextStatsPositions_rec dummyTextSectionsArr;
};

class TSearchAndDoEngine : public TObject {
 public:
  // Everything cleared; the locale, kind and the locale's ANSI code page set.
  TSearchAndDoEngine(Cardinal lcid, TSearchEngineKinds kind);
  TSearchAndDoEngine(const TSearchAndDoEngine&) = delete;
  TSearchAndDoEngine& operator=(const TSearchAndDoEngine&) = delete;
  // Frees the resume positions and empties the wp_whole class array when
  // this engine built it (another engine's search may be using it).
  ~TSearchAndDoEngine() override;

  void SetLCID(Cardinal lcid);
  // Whether a text of this many UTF-16 units can be searched.
  static bool Addresses(size_t units) noexcept;
  // The buffer of which becomes text, and its class array is rebuilt: empty
  // for an empty text, else its length + 10 entries (the spare ones 0)
  // filled by ParseAString. The second form takes the text over without
  // copying it and hands the old buffer back in text, emptied but with its
  // room, so that a caller decoding text after text into it allocates once.
  void SetABuffer(const String& text, TWholeOrPart which);
  void SetABuffer(String&& text, TWholeOrPart which);
  // Appends the byte position of every entry of the jump list for that
  // 1-based file number to the resume positions, in list order.
  void GetThisFileStartBytesFrom(const TConcordJumpFileAndByteList& list, Int32 fileNumber_1B);
  void PrepareForConcordancing(const String& fileName, Int32 completeFileBytes, Int32 bytesPerChar,
                               Int32 fileBytePos, bool bufferConverted, Tcollocation_barrier barrier,
                               TSearchFoundEvent callback);
  void PrepareFirst(const String& text, bool setBuffer, TWholeOrPart which, Int32 completeFileBytes,
                    Int32 fileBytePos, TSearchFoundEvent callback);
  // Searches the buffer of which for the word and calls the callback on each
  // hit, yielding once per hit; searchNumber 0 sets both hit counters to 0.
  // False (nothing searched) without a callback, a buffer, a word or a
  // pattern, and for a buffer longer than the engine addresses. Resume
  // positions move the search forward (never back) to 100 characters before
  // each known position that lies more than 200 bytes after the one before. After an accepted hit the search goes on after the
  // pattern's length from where it was found, after one that is refused one
  // character after that place. A hit with the edges of the one handed over
  // before it (one word found again at a later place) is not handed over. An
  // exception inside the search becomes Exception "problem searching <file>
  // for "<typed word>"" with the original nested in it. A buffer found
  // without its class array gets it built again before it is searched.
  bool SearchAndDo(const TQMSearchWordRec* rec, TWholeOrPart which, Int32 searchNumber,
                   const TTextStatsPositions_rec& positions);

  TSearchAndDoPrivateRec fSearchAndDoPrivate;
  TSearchFoundEvent fSearchFoundEvent;
  TSearchAndDoPublicRec SearchAndDoPublic;

 protected:
  // The upper-case table of the engine's locale.
  const Char* UpperTable() const;

 private:
  bool PrivateSearchAndDo(const TQMSearchWordRec& rec, TWholeOrPart which, const TTextStatsPositions_rec& positions);
  // The last hit handed to the callback in one search: its edges as found,
  // and whether the search went on after the pattern's length.
  struct THandedOver {
    TStartOrFinishIntRec edges{};
    bool any = false;
    bool pastPattern = false;
  };
  // One hit and its callback; where becomes nil when nothing more is found.
  // stars: what the matcher learnt about the pattern's stars in this buffer
  // during this search.
  void OneSearchStep(const TQMSearchWordRec& rec, TWholeOrPart which, const TTextStatsPositions_rec& positions,
                     TConcSearchRec& hit, const Char*& where, TStarPlacesMemo& stars, THandedOver& last);
};

// The engine of word-list filtering: a quick test of one word in a short text.
class TWLSearchAndDo : public TSearchAndDoEngine {
 public:
  using TSearchAndDoEngine::TSearchAndDoEngine;
  // The flags, and the word upper-cased (engine's locale) unless they make
  // it case-sensitive, unit by unit as the matcher compares (the halves of a
  // surrogate pair stay as they are).
  void SetSearchWord(const String& word, TMSSearchFlags flags);
  // Whether the word occurs in the buffer of which (set with SetABuffer):
  // false when the buffer is shorter than the word or longer than the
  // engine addresses; otherwise the class array is built, the matcher runs
  // once from the start (sentence barrier, tags not searched) and the class
  // array is emptied again.
  bool QuickSearchFoundIgnoringTags(TWholeOrPart which);
};

// A copy of one hit.
class TSearchFoundHolder : public TObject {
 public:
  explicit TSearchFoundHolder(const TConcSearchRec& rec) : fData(rec) {}
  TConcSearchRec fData;
};

// Copies of hits in the order they were found (text order); the list owns
// them. Its sorts leave that order as it is.
class TSearchFoundList : public T3SortYieldingList {
 public:
  TSearchFoundList() = default;
  ~TSearchFoundList() override;
  // Frees every holder and empties the list.
  void Clear() override;
  // Appends a holder with a copy of rec; its index.
  Int32 AddOne(const TConcSearchRec& rec);
  TSearchFoundHolder* Holder(Int32 index) const { return static_cast<TSearchFoundHolder*>(Items(index)); }
  // Every pair is equal.
  Int32 Compare(TObject*) const { return 0; }

  void DoASingleSort(const TCompareFunctOfObject&, Int32, Int32, Int32) override { sorted = true; }
  void DoASingleSort(const TCompareFunctOfObject&, Int32) override { sorted = true; }
  void DoADoubleSort(const TCompareFunctOfObject&, Int32, Int32, Int32, Int32) override { sorted = true; }
  void DoADoubleSort(const TCompareFunctOfObject&, Int32, Int32) override { sorted = true; }
  void DoATrebleSort(const TCompareFunctOfObject&, Int32, Int32, Int32, Int32, Int32) override { sorted = true; }
  void DoATrebleSort(const TCompareFunctOfObject&, Int32, Int32, Int32) override { sorted = true; }

  Int32 base_int = 0;

 protected:
  void SetBase(TObject*, Int32) override {}
  // Every hit gives the same number as its key for every sort number, so a
  // sort through the base list runs on gathered keys, with no closure call.
  T3SortKeyKind SortKeyKind(Int32) const override { return sk_int64_key; }
  Int64 SortKeyInt64(const TObject*, Int32) const override { return 0; }
};

// Unit start and stop (the unit has no work of its own).
void Search_and_do_engineU_initialization();
void Search_and_do_engineU_Finalization();

}  // namespace sk
