#include "analysis/Search_and_do_engineU.h"

#include <algorithm>
#include <exception>
#include <new>
#include <thread>

#include "analysis/Further_string_functions.h"
#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/UnitCounter.h"
#include "platform/runtime/LargeBuffers.h"
#include "platform/runtime/Locale.h"
#include "services/Logging_utilities.h"
#include "services/Wdef_records.h"

namespace sk {

namespace {

constexpr Int32 kSpareClasses = 10;

// The engine that built each buffer's class array (nil when none did, or when
// it has emptied the array again). An engine freed empties only an array it
// built itself, so freeing a passing engine (a word-list check run from the
// host's yield, a temporary search-word list) leaves a search of the whole
// text under way with its classes.
TEnumArray<TWholeOrPart, const TSearchAndDoEngine*, 2> gClassArrayBuilder{};

// Texts from this many characters on are classified in pieces side by side.
constexpr size_t kPieceForThreads = size_t{1} << 20;
constexpr unsigned kMostThreads = 4;

// The classes of text[from, to) into classes[from, to). A large range is cut
// into pieces (a UTF-16 unit's class depends on that unit alone, so any cut
// gives the classes the whole text gives) classified by up to four threads.
void ClassifyRange(const String& text, size_t from, size_t to, Word* classes) {
  const size_t n = text.size();
  const size_t count = to - from;
  const unsigned threads =
      std::min<unsigned>({kMostThreads, std::max(1u, std::thread::hardware_concurrency()),
                          static_cast<unsigned>(std::min<size_t>(count / kPieceForThreads, kMostThreads))});
  if (threads < 2) {
    ParseAString(text.data(), n, from, to, classes);
    return;
  }
  const size_t piece = (count + threads - 1) / threads;
  auto part = [&](size_t t) { return std::make_pair(std::min(to, from + t * piece), std::min(to, from + (t + 1) * piece)); };
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  try {
    for (unsigned t = 1; t < threads; ++t) {
      const std::pair<size_t, size_t> ab = part(t);
      helpers.emplace_back([&text, classes, n, ab] { ParseAString(text.data(), n, ab.first, ab.second, classes); });
    }
  } catch (const std::exception&) {
    // No thread to be had: what the helpers started on stays theirs, the rest
    // is done here.
    for (size_t t = helpers.size() + 1; t < threads; ++t) {
      const auto [a, b] = part(t);
      ParseAString(text.data(), n, a, b, classes);
    }
  }
  const auto [a, b] = part(0);
  ParseAString(text.data(), n, a, b, classes);
  for (std::thread& h : helpers) h.join();
}

// The classes of the buffer's text into its class array, in rounds (four
// pieces side by side for a large text) with a yield between rounds when one
// is due, so that a text of many megabytes does not keep the host waiting.
// No thread runs during a yield. False when the host changed the buffer or
// its array during one: the array is then left to whoever changed it.
bool ClassifyText(TWholeOrPart which) {
  const String& text = global_bufStr[which];
  std::vector<Word>& classes = global_Wchars[which];
  const Char* const textData = text.data();
  const size_t n = text.size();
  Word* const classData = classes.data();
  const size_t classCount = classes.size();
  const size_t round = n >= 2 * kPieceForThreads ? kMostThreads * kPieceForThreads : kPieceForThreads / 4;
  TTimedYield yield;
  for (size_t from = 0; from < n; from += round) {
    const size_t to = std::min(n, from + round);
    ClassifyRange(text, from, to, classData);
    if (to == n) break;
    yield.Tick(to - from);
    if (text.data() != textData || text.size() != n || classes.data() != classData || classes.size() != classCount)
      return false;
  }
  return true;
}

// The class array of the buffer: its length + 10 entries, the spare ones 0.
// The array's room is reused: only entries it never had are zero-filled
// before they are written.
void BuildClassArray(TWholeOrPart which, const TSearchAndDoEngine* builder) {
  const String& text = global_bufStr[which];
  std::vector<Word>& classes = global_Wchars[which];
  gClassArrayBuilder[which] = builder;
  if (text.empty()) {
    classes.clear();
    return;
  }
  if (!TSearchAndDoEngine::Addresses(text.size())) {
    // Never searched: no room is spent on its classes.
    std::vector<Word>().swap(classes);
    return;
  }
  const size_t wanted = text.size() + kSpareClasses;
  if (classes.capacity() < wanted) {
    // Fresh room: reserved, and made ready while the entries are filled in.
    std::vector<Word>().swap(classes);
    classes.reserve(wanted);
    TLargeBufferPreparation ready(classes.data(), wanted * sizeof(Word));
    classes.resize(wanted);
  } else {
    classes.resize(wanted);
  }
  if (ClassifyText(which)) std::fill(classes.end() - kSpareClasses, classes.end(), Word(0));
}

// Whether the buffer has a class for each of its characters: an array
// emptied under a search (by code that freed its own) is built again rather
// than letting the search end early as if the text had no more hits.
void EnsureClassArray(TWholeOrPart which, const TSearchAndDoEngine* builder) {
  if (global_Wchars[which].size() < global_bufStr[which].size()) BuildClassArray(which, builder);
}

// The buffer of which and its class array emptied and their room freed, as
// SetABuffer leaves them when memory runs out.
void ReleaseBuffer(TWholeOrPart which) {
  String().swap(global_bufStr[which]);
  std::vector<Word>().swap(global_Wchars[which]);
  gClassArrayBuilder[which] = nullptr;
}

}  // namespace

TSearchAndDoEngine::TSearchAndDoEngine(Cardinal lcid, TSearchEngineKinds kind) {
  fSearchAndDoPrivate.fLCID = lcid;
  fSearchAndDoPrivate.fCodepage = static_cast<Word>(LCIDToCodePage(lcid));
  SearchAndDoPublic.Kind = kind;
}

TSearchAndDoEngine::~TSearchAndDoEngine() {
  fSearchAndDoPrivate.fstart_bytes.clear();
  for (TWholeOrPart which : {wp_whole, wp_part}) {
    if (gClassArrayBuilder[which] != this) continue;
    gClassArrayBuilder[which] = nullptr;
    if (which == wp_whole) global_Wchars[wp_whole].clear();
  }
}

void TSearchAndDoEngine::SetLCID(Cardinal lcid) {
  if (lcid == fSearchAndDoPrivate.fLCID) return;
  fSearchAndDoPrivate.fCodepage = static_cast<Word>(LCIDToCodePage(lcid));
  fSearchAndDoPrivate.fLCID = lcid;
}

const Char* TSearchAndDoEngine::UpperTable() const {
  return UpperCaseUnitTable(IsTurkicLocale(fSearchAndDoPrivate.fLCID));
}

bool TSearchAndDoEngine::Addresses(size_t units) noexcept { return units <= kMostMatchedUnits; }

void TSearchAndDoEngine::SetABuffer(const String& text, TWholeOrPart which) {
  try {
    global_bufStr[which] = text;
    BuildClassArray(which, this);
  } catch (const std::bad_alloc&) {
    ReleaseBuffer(which);
    throw;
  }
}

void TSearchAndDoEngine::SetABuffer(String&& text, TWholeOrPart which) {
  // The text is taken over; the caller gets the old buffer's room back.
  global_bufStr[which].swap(text);
  text.clear();
  try {
    BuildClassArray(which, this);
  } catch (const std::bad_alloc&) {
    // The caller gets its text back as it gave it.
    global_bufStr[which].swap(text);
    ReleaseBuffer(which);
    throw;
  }
}

void TSearchAndDoEngine::GetThisFileStartBytesFrom(const TConcordJumpFileAndByteList& list, Int32 fileNumber_1B) {
  if (list.IndexOfFilenumber_1B(fileNumber_1B) < 0) return;
  for (Int32 i = 0; i < list.Count(); ++i)
    if (list.GetAFilenumber_1B(i) == fileNumber_1B)
      fSearchAndDoPrivate.fstart_bytes.push_back(list.GetAJumpTo(i).byte_position);
}

void TSearchAndDoEngine::PrepareForConcordancing(const String& fileName, Int32 completeFileBytes, Int32 bytesPerChar,
                                                 Int32 fileBytePos, bool bufferConverted,
                                                 Tcollocation_barrier barrier, TSearchFoundEvent callback) {
  fSearchAndDoPrivate.fFilename = fileName;
  fSearchAndDoPrivate.fComplete_file_bytes = completeFileBytes;
  SearchAndDoPublic.BytesPerChar = bytesPerChar;
  SearchAndDoPublic.FileBytePos = fileBytePos;
  fSearchAndDoPrivate.fBufferGotConverted = bufferConverted;
  SearchAndDoPublic.Collocate_barrier = barrier;
  fSearchFoundEvent = std::move(callback);
}

void TSearchAndDoEngine::PrepareFirst(const String& text, bool setBuffer, TWholeOrPart which, Int32 completeFileBytes,
                                      Int32 fileBytePos, TSearchFoundEvent callback) {
  fSearchFoundEvent = std::move(callback);
  SearchAndDoPublic.FileBytePos = fileBytePos;
  if (setBuffer) SetABuffer(text, which);
  fSearchAndDoPrivate.fComplete_file_bytes = completeFileBytes;
}

bool TSearchAndDoEngine::SearchAndDo(const TQMSearchWordRec* rec, TWholeOrPart which, Int32 searchNumber,
                                     const TTextStatsPositions_rec& positions) {
  SearchAndDoPublic.current_search_number = searchNumber;
  if (searchNumber == 0) fSearchAndDoPrivate.fHitsFound = {};
  if (rec == nullptr) return false;
  return PrivateSearchAndDo(*rec, which, positions);
}

void TSearchAndDoEngine::OneSearchStep(const TQMSearchWordRec& rec, TWholeOrPart which,
                                       const TTextStatsPositions_rec& positions, TConcSearchRec& hit,
                                       const Char*& where, TStarPlacesMemo& stars, THandedOver& last) {
  const Char* found = ConcSearch(where, which, positions, rec.search_text, rec.within_tag_section, rec.flags,
                                 SearchAndDoPublic.Collocate_barrier, rec.initial_wildcard, rec.sw_contains_a_tag != 0,
                                 hit, UpperTable(), &stars);
  hit.where_hit_started = found;
  if (found == nullptr) {
    where = nullptr;
    return;
  }
  // A word that a pattern without a left bound fits in more than one place
  // (its letters after a star occurring twice) is found from each of them,
  // each time with the same edges: it is handed over once. The search goes on
  // as it did after that word.
  if (last.any && hit.hit_edge_1B == last.edges) {
    where = last.pastPattern ? std::max(found + 1, found + rec.search_text.size()) : found + 1;
    hit.where_hit_started = where;
    return;
  }
  last.any = true;
  last.edges = hit.hit_edge_1B;
  // The matcher's edges span the text matched, its word's start included
  // unless the word is bounded on the left.
  const Int32 h = hit.hit_edge_1B[sf_start2];
  hit.exact_hit_char_position_1B = h;
  const Int32 fileBytes = fSearchAndDoPrivate.fComplete_file_bytes;
  hit.percent_of_file =
      fileBytes > 0 ? static_cast<Single>((static_cast<Double>(h) * hit.bytes_per_char + hit.FileBytePos) /
                                          static_cast<Double>(fileBytes))
                    : 0.0f;
  // Sentence, paragraph, heading and section of the hit (0-based spans); the
  // word count is the matcher's.
  const TCharacterSectionStats stats = StatsOfACharacter(h - 1, positions);
  for (Ttext_stats s : {stats_sentence, stats_paragraph, stats_heading, stats_section})
    if (stats.index[s] >= 0) {
      hit.buffer_charStats.number[s] = stats.index[s] + 1;
      hit.buffer_charStats.charposition[s] = stats.offset[s];
      hit.buffer_charStats.total_chars[s] = stats.length[s];
    }
  fSearchAndDoPrivate.fHitsFound[hf_this_try] += 1;
  const bool accepted = fSearchFoundEvent(this, hit);
  const Char* next = found + 1;
  last.pastPattern = accepted && hit.exact_hit_char_position_1B == hit.hit_edge_1B[sf_start2];
  if (accepted) {
    fSearchAndDoPrivate.fHitsFound[hf_total] += 1;
    // The next search starts after the pattern's length from where the
    // pattern was found, not after the whole hit: a phrase's later words may
    // begin another hit.
    if (last.pastPattern) next = std::max(next, found + rec.search_text.size());
  } else {
    fSearchAndDoPrivate.fHitsFound[hf_this_try] = 0;
  }
  where = next;
  hit.where_hit_started = next;
}

bool TSearchAndDoEngine::PrivateSearchAndDo(const TQMSearchWordRec& rec, TWholeOrPart which,
                                            const TTextStatsPositions_rec& positions) {
  const String& buffer = global_bufStr[which];
  if (!fSearchFoundEvent || buffer.empty() || rec.search_text.empty() || !Addresses(buffer.size())) return false;
  TConcSearchRec hit{};
  for (Ttext_stats s : {stats_sentence, stats_paragraph, stats_heading, stats_section})
    hit.buffer_charStats.number[s] = 1;
  SearchAndDoPublic.Stopped = false;
  fSearchAndDoPrivate.fHitsFound[hf_this_try] = 0;
  if (global_log_level > 1 && !SearchAndDoPublic.IsAdditionalEngine)
    AddToLogFile(u"seeking \r\n\"" + rec.search_text + u"\"\r\nand file begins \"" + buffer.substr(0, 50) + u"...\"",
                 true);
  hit.FileBytePos = SearchAndDoPublic.FileBytePos;
  hit.bytes_per_char = SearchAndDoPublic.BytesPerChar;
  hit.search_number = SearchAndDoPublic.current_search_number;
  const Char* start = buffer.data();
  const Char* end = start + buffer.size();
  hit.start_of_text = start;
  const Char* where = start;
  hit.where_hit_started = where;
  // What failed at the pattern's stars holds for the whole search: the hits
  // inside one long word do not walk the word again each time.
  TStarPlacesMemo stars;
  THandedOver last;
  const std::vector<Int32>& jumps = fSearchAndDoPrivate.fstart_bytes;
  size_t j = 0;
  try {
    do {
      MyYieldProcess();
      if (j < jumps.size()) {
        if (j == 0 || static_cast<Int64>(jumps[j]) - jumps[j - 1] > 200) {
          // 100 characters before the known position, clamped to the buffer;
          // never back. A byte position of UTF-16 text holds two bytes a
          // character; one of 8-bit or UTF-8 text (one byte a character, as
          // the caller counts them) up to three: the jump goes no further than
          // the character that byte can belong to, so that no hit is skipped.
          const Int64 perChar = SearchAndDoPublic.BytesPerChar == 1 ? 3 : 2;
          const Int64 pos = std::max<Int64>(0, jumps[j] / perChar - 100);
          const Char* target = pos >= static_cast<Int64>(buffer.size()) ? end : start + pos;
          if (target > where) where = target;
        }
        ++j;
      }
      if (where >= end) break;
      EnsureClassArray(which, this);
      OneSearchStep(rec, which, positions, hit, where, stars, last);
    } while (where != nullptr && where < end && !SearchAndDoPublic.Stopped);
  } catch (...) {
    std::throw_with_nested(
        Exception(u"problem searching " + fSearchAndDoPrivate.fFilename + u" for \"" + rec.typed_in_text + u"\""));
  }
  return true;
}

void TWLSearchAndDo::SetSearchWord(const String& word, TMSSearchFlags flags) {
  fSearchAndDoPrivate.flags = flags;
  // Folded unit by unit with the table the matcher compares by, so that a
  // word finds itself: a character outside the Basic Multilingual Plane
  // stays as it is, as the matcher leaves the halves of a pair.
  String folded = word;
  if (!flags.Contains(msCaseIsSensitive)) {
    const Char* upper = UpperTable();
    for (Char& c : folded) c = upper[c];
  }
  fSearchAndDoPrivate.fsearch_text = std::move(folded);
}

bool TWLSearchAndDo::QuickSearchFoundIgnoringTags(TWholeOrPart which) {
  const String& buffer = global_bufStr[which];
  const String& pattern = fSearchAndDoPrivate.fsearch_text;
  if (buffer.size() < pattern.size() || pattern.empty() || !Addresses(buffer.size())) return false;
  try {
    BuildClassArray(which, this);
  } catch (const std::bad_alloc&) {
    ReleaseBuffer(which);
    throw;
  }
  TConcSearchRec local{};
  const TTextStatsPositions_rec none;
  const Char* found = ConcSearch(buffer.data(), which, none, pattern, String(), fSearchAndDoPrivate.flags,
                                 coll_stop_sentence, fSearchAndDoPrivate.fInitialWildcard, false, local, UpperTable());
  global_Wchars[which].clear();
  gClassArrayBuilder[which] = nullptr;
  return found != nullptr;
}

TSearchFoundList::~TSearchFoundList() { TSearchFoundList::Clear(); }

void TSearchFoundList::Clear() {
  for (Int32 i = 0; i < Count(); ++i) delete Items(i);
  T3SortYieldingList::Clear();
}

Int32 TSearchFoundList::AddOne(const TConcSearchRec& rec) { return Add(new TSearchFoundHolder(rec)); }

SK_COUNTER_ONLY_UNIT(Search_and_do_engineU)

}  // namespace sk
