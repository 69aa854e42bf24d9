// The character-level matcher over a buffer and its class array, its
// comparing helpers and the class-array helpers of the same unit.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "TestSupport.h"
#include "analysis/Further_string_functions.h"
#include "analysis/Search_parsing.h"
#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"

namespace sk {
namespace {

const TMSSearchFlags kLR{msLeftBounded, msRightBounded};

// A buffer of wp_part with its class array (10 spare entries), put back
// empty afterwards.
class Further_string_functions : public ::testing::Test {
 protected:
  void TearDown() override {
    global_bufStr[wp_part].clear();
    global_Wchars[wp_part].clear();
  }

  void SetText(const String& text) {
    global_bufStr[wp_part] = text;
    global_Wchars[wp_part].assign(text.size() + 10, 0);
    ParseAString(text, global_Wchars[wp_part]);
  }
  // Marks text[start, start + length) as one tag.
  void Tag(Int32 start, Int32 length, Int32 number = 1) {
    bool nested = false;
    MarkWCharsTagged(global_bufStr[wp_part], start, length, global_Wchars[wp_part], number, nested);
  }

  struct Hit {
    Int32 start;  // 1-based
    Int32 length;
    bool operator==(const Hit&) const = default;
  };
  friend std::ostream& operator<<(std::ostream& os, const Hit& h) {
    return os << "(" << h.start << "," << h.length << ")";
  }

  const Char* Search(const Char* from, const String& pattern, TMSSearchFlags flags, TConcSearchRec& rec,
                     Byte initial = 0, Tcollocation_barrier barrier = coll_stop_none, bool inTags = false,
                     const String& within = String()) {
    return ConcSearch(from, wp_part, TTextStatsPositions_rec{}, pattern, within, flags, barrier, initial, inTags,
                      rec);
  }

  // Every hit, each next search starting after the whole hit before.
  std::vector<Hit> All(const String& pattern, TMSSearchFlags flags, Byte initial = 0,
                       Tcollocation_barrier barrier = coll_stop_none, bool inTags = false) {
    std::vector<Hit> hits;
    TConcSearchRec rec{};
    const Char* from = global_bufStr[wp_part].data();
    const Char* end = from + global_bufStr[wp_part].size();
    while (from < end && Search(from, pattern, flags, rec, initial, barrier, inTags) != nullptr) {
      hits.push_back({rec.hit_edge_1B[sf_start2], rec.full_hit_len});
      EXPECT_EQ(rec.hit_edge_1B[sf_finish2] - rec.hit_edge_1B[sf_start2], rec.full_hit_len);
      from = rec.start_of_text + (rec.hit_edge_1B[sf_finish2] - 1);
      if (hits.size() > 1000) break;
    }
    return hits;
  }
};

TEST_F(Further_string_functions, WholeWordsAndWordEnds) {
  struct Case {
    String text;
    String pattern;
    TMSSearchFlags flags;
    std::vector<Hit> hits;
  } cases[] = {
      {u"the cat sat", u"cat", kLR, {{5, 3}}},
      {u"cats", u"cat", kLR, {}},
      // A following letter fails the hit also as the buffer's last character.
      {u"xx cats", u"cat", kLR, {}},
      {u"cat", u"cat", kLR, {{1, 3}}},
      {u"cat.", u"cat", kLR, {{1, 3}}},
      // Without the right bound the hit runs to the end of its word.
      {u"the cats sat", u"cat", {msLeftBounded}, {{5, 4}}},
      {u"scat cat", u"cat", kLR, {{6, 3}}},
      // Without the left bound the hit starts at its word's start, the
      // buffer's first character included.
      {u"a scat", u"cat", {msRightBounded}, {{3, 4}}},
      {u"scat", u"cat", {msRightBounded}, {{1, 4}}},
      {u"the CAT", u"cat", kLR, {{5, 3}}},
      {u"colour color colon", u"colo\x15r", kLR, {{1, 6}}},
      {u"a12z a.z", u"a\x15z", kLR, {{1, 4}}},
      {u"a b  a   b", u"a b", kLR, {{1, 3}, {6, 5}}},
      {u"a, b", u"a b", kLR, {}},
      {u"cat", u"catalogue", kLR, {}},
      {u"", u"cat", kLR, {}},
      {u"abc", u"", kLR, {}},
      // Without the initial wildcard a run of digits is the first character.
      {u"the 2nd 25th 3rd", u"\x1B" u"th", kLR, {{9, 4}}},
      {u"big bigness", u"big \x19ness", kLR, {{1, 11}}},
      {u"go home", u"go\x18 home", kLR, {}},
      {u"going home", u"go\x18 home", kLR, {{1, 10}}},
      {u"the big dog", u"the \x1A dog", kLR, {{1, 11}}},
      {u"a\x1D", u"a\x1D", kLR, {{1, 1}}},
      // A line end (LF, CR LF, CR) separates the words of a phrase as a
      // space does, also before a whole word or a word's start.
      {u"son of\nman son\r\nof man son\rof\r\n man", u"son of man", kLR, {{1, 10}, {12, 11}, {24, 12}}},
      {u"the\nbig dog", u"the \x1A dog", kLR, {{1, 11}}},
      {u"big\r\nbigness", u"big \x19ness", kLR, {{1, 12}}},
      // The line-break symbol: a word at a line's end, a word at a line's
      // start, with LF, CR LF and CR.
      {u"LORD\nAnd LORD\r\nthe LORD. LORD\rx", u"LORD\r", kLR, {{1, 5}, {10, 6}, {26, 5}}},
      {u"LORD\nAnd x\r\nAnd And\rAndy", u"\nAnd", kLR, {{5, 4}, {11, 5}}},
      // A star inside a word tries every place where the rest can follow.
      {u"repented remembered reed rested", u"re\x15" u"ed", kLR, {{1, 8}, {10, 10}, {26, 6}}},
      {u"banana bandana bana", u"b\x15" u"a", kLR, {{1, 6}, {8, 7}, {16, 4}}},
      {u"unlawfully unholy unly", u"un\x15ly", kLR, {{1, 10}, {12, 6}}},
      {u"sisters seas ss", u"s\x15s", kLR, {{1, 7}, {9, 4}}},
      {u"the baaaaaaaaaaaaaaaaaaaac abc", u"the b\x15" u"a\x15" u"a\x15" u"c", kLR, {{1, 26}}},
      // "?" after a star takes one letter or digit, "^" one letter, as
      // elsewhere; k stars in a row take k or more, also at the end.
      {u"God's goods go's goats", u"go\x15\x1Cs", kLR, {{7, 5}, {18, 5}}},
      {u"lord lo2 lov3 love", u"lo\x15\x1E", kLR, {{1, 4}, {15, 4}}},
      {u"ab aab aaab", u"a\x15\x15" u"b", kLR, {{8, 4}}},
      {u"ab abc abcd", u"ab\x15\x15", kLR, {{8, 4}}},
  };
  for (const Case& c : cases) {
    SetText(c.text);
    EXPECT_EQ(All(c.pattern, c.flags), c.hits) << StringToUtf8(c.text) << " / " << StringToUtf8(c.pattern);
  }
}

// Inside one long word the host runs again and again, and a Stop raised
// there ends the search; each star's places are tried once, so hits inside
// the word are those of a search without the memory of failed places.
TEST_F(Further_string_functions, ALongWordYieldsAndStops) {
  const String word(3000, u'e');
  Int32 yields = 0;
  Tpanic_mode raise = panic_no_panic;
  Global_YieldProcessProc = [&] {
    ++yields;
    global_panic_state = raise;
  };
  TTimedYield::SetYieldInterval(0);
  const String pattern = u"e\x15" u"e\x15" u"e\x15x";
  TConcSearchRec rec{};
  SetText(word + u" eeeeeex");
  EXPECT_NE(Search(global_bufStr[wp_part].data(), pattern, kLR, rec), nullptr);
  EXPECT_GT(yields, 1);
  raise = panic_stop;
  rec = TConcSearchRec{};
  EXPECT_EQ(Search(global_bufStr[wp_part].data(), pattern, kLR, rec), nullptr);
  Global_YieldProcessProc = nullptr;
  global_panic_state = panic_no_panic;
  TTimedYield::SetYieldInterval(TTimedYield::kYieldIntervalNs);

  // Hit after hit in one DNA word, with and without what earlier calls learnt.
  String dna;
  for (uint32_t k = 0, seed = 7; k < 2000; ++k) dna += u"acgt"[((seed = seed * 1103515245u + 12345u) >> 16) & 3];
  SetText(dna);
  for (const String p : {u"g\x15" u"c", u"ga\x15t\x15" u"c", u"a\x15\x1Ct", u"c\x15\x15g", u"t\x15\x1E" u"a\x15" u"cc"}) {
    std::vector<Int32> hits[2];
    TStarPlacesMemo memo;
    for (int remember = 0; remember < 2; ++remember) {
      TConcSearchRec r{};
      const Char* buf = global_bufStr[wp_part].data();
      for (const Char* at = buf; at < buf + dna.size(); at += p.size()) {
        at = ConcSearch(at, wp_part, {}, p, String(), {}, coll_stop_none, 0, false, r, nullptr,
                        remember ? &memo : nullptr);
        if (at == nullptr) break;
        hits[remember].push_back(r.exact_hit_char_position_1B);
      }
    }
    EXPECT_EQ(hits[1], hits[0]) << StringToUtf8(p);
    EXPECT_GT(hits[0].size(), 2u) << StringToUtf8(p);
  }

  // The same for a leading or inner "#" in one run of digits (as typed: *#1,
  // *#?, *##, *#, *1#, *1*#), each hit reported from where the search began.
  SetText(String(300, u'1') + u"2 " + String(200, u'1'));
  const struct {
    String pattern;
    Byte initial;
    TMSSearchFlags flags;
  } digitForms[] = {{u"\x1B" u"1", 27, {msRightBounded}}, {u"\x1B\x1C", 27, {msRightBounded}},
                    {u"\x1B\x1B", 27, {msRightBounded}}, {u"\x1B", 27, {msRightBounded}},
                    {u"1\x1B", 0, {msRightBounded}},      {u"1\x15\x1B", 0, {msRightBounded}}};
  for (const auto& f : digitForms) {
    std::vector<std::pair<Int32, Int32>> hits[2];
    TStarPlacesMemo memo;
    for (int remember = 0; remember < 2; ++remember) {
      TConcSearchRec r{};
      const Char* buf = global_bufStr[wp_part].data();
      for (const Char* at = buf; at < buf + global_bufStr[wp_part].size(); at += f.pattern.size()) {
        at = ConcSearch(at, wp_part, {}, f.pattern, String(), f.flags, coll_stop_none, f.initial, false, r, nullptr,
                        remember ? &memo : nullptr);
        if (at == nullptr) break;
        hits[remember].push_back({r.exact_hit_char_position_1B, r.full_hit_len});
      }
    }
    EXPECT_EQ(hits[1], hits[0]) << StringToUtf8(f.pattern);
    EXPECT_GE(hits[0].size(), 100u) << StringToUtf8(f.pattern);
  }
}

TEST_F(Further_string_functions, APatternOnlyOfAnythingAfterALiteralEndsAtOnce) {
  SetText(u"x abc");
  TConcSearchRec rec{};
  ASSERT_NE(Search(global_bufStr[wp_part].data(), u"b\x1D", {}, rec), nullptr);
  EXPECT_EQ(rec.exact_hit_char_position_1B, 4);
  // The word's start is taken in, nothing after the "b".
  EXPECT_EQ(rec.hit_edge_1B[sf_start2], 3);
  EXPECT_EQ(rec.full_hit_len, 2);
}

TEST_F(Further_string_functions, SpacesAndPunctuationWithASentenceBarrier) {
  SetText(u"a, b");
  EXPECT_TRUE(All(u"a b", kLR, 0, coll_stop_punctuation).empty());
  TConcSearchRec rec{};
  ASSERT_NE(Search(global_bufStr[wp_part].data(), u"a b", kLR, rec, 0, coll_stop_sentence), nullptr);
  EXPECT_EQ(rec.full_hit_len, 4);
  EXPECT_EQ(rec.puncts_in_hit, 1);
  // The same after a first word of wildcards; a hit reports only its own
  // punctuation, not that of a candidate that failed before it.
  rec = TConcSearchRec{};
  ASSERT_NE(Search(global_bufStr[wp_part].data(), u"\x1C b", kLR, rec, 28, coll_stop_sentence), nullptr);
  EXPECT_EQ(rec.puncts_in_hit, 1);
  SetText(u"a, bc a b");
  for (const String& p : {String(u"a b"), String(u"\x1C b")}) {
    rec = TConcSearchRec{};
    ASSERT_NE(Search(global_bufStr[wp_part].data(), p, kLR, rec, p[0] < 0x20 ? 28 : 0, coll_stop_sentence), nullptr);
    EXPECT_EQ(rec.exact_hit_char_position_1B, 7);
    EXPECT_EQ(rec.puncts_in_hit, 0) << StringToUtf8(p);
  }
}

TEST_F(Further_string_functions, LeadingWildcardsAreChecked) {
  struct Case {
    String text;
    String pattern;
    Byte initial;
    std::vector<Hit> hits;
    bool inTags = false;
  } cases[] = {
      // A leading "#" takes the whole run of digits.
      {u"the 25th day", u"\x1B" u"th", 27, {{5, 4}}},
      {u"a xth b", u"\x1B" u"th", 27, {}},
      {u"2th", u"\x1B" u"th", 27, {{1, 3}}},
      {u"the bat sat", u"\x1C" u"at", 28, {{5, 3}, {9, 3}}},
      {u"-at", u"\x1C" u"at", 28, {}},
      {u"1at bat", u"\x1E" u"at", 30, {{5, 3}}},
      {u"cat at", u"\x1C\x1C" u"t", 28, {{1, 3}}},
      // A star among them takes one or more letters, as elsewhere.
      {u"abcd abcdefg ab1de", u"\x1E\x1E\x15\x1E\x1E", 30, {{6, 7}, {14, 5}}},
      // Markup inside them or before the blank after them is passed over, as
      // in the same word typed out ("ab the"), unless tags are searched.
      {u"ab<i> the", u"\x1C\x1C the", 28, {{1, 9}}},
      {u"ab<i> the", u"\x1C\x1C the", 28, {}, true},
      {u"a<b>b</b>\r\nthe", u"\x1E\x1E the", 30, {{1, 14}}},
      {u"12<i> the", u"\x1B the", 27, {{1, 9}}},
      {u"<i> the", u"\x1C the", 28, {}},
  };
  for (const Case& c : cases) {
    SetText(c.text);
    for (size_t at = c.text.find(u'<'); at != String::npos; at = c.text.find(u'<', at + 1))
      Tag(static_cast<Int32>(at), static_cast<Int32>(c.text.find(u'>', at) + 1 - at));
    EXPECT_EQ(All(c.pattern, kLR, c.initial, coll_stop_none, c.inTags), c.hits) << StringToUtf8(c.text);
  }
}

// A first word of wildcards followed by a plain word is found from that
// word and taken back to the blank (?? lord); with a wildcard after the blank
// (?? ?ord) the blank itself is looked for. Both leave the same record: the
// markup met is that before the blank, also with tags in the gap.
TEST_F(Further_string_functions, AFirstWordOfWildcardsLeavesTheRecordOfTheBlank) {
  SetText(
      u"<p>ab <i>lord</b> xy\r\n\t<i>lord ab</i> <i></i>lord cd <a><b>LORD of <pb/> <i>lord. by <lb/>\r\n"
      u"<b>lord");
  const String& t = global_bufStr[wp_part];
  for (size_t at = t.find(u'<'); at != String::npos; at = t.find(u'<', at + 1))
    Tag(static_cast<Int32>(at), static_cast<Int32>(t.find(u'>', at) + 1 - at), static_cast<Int32>(at % 7 + 1));
  std::vector<std::vector<Int32>> records[2];
  for (int form = 0; form < 2; ++form) {
    const String pattern = form == 0 ? String(u"\x1C\x1C lord") : String(u"\x1C\x1C \x1Cord");
    TConcSearchRec r{};
    for (const Char* at = t.data(); at != nullptr && at < t.data() + t.size(); ++at) {
      at = Search(at, pattern, kLR, r, 28);
      if (at == nullptr) break;
      records[form].push_back({r.exact_hit_char_position_1B, r.full_hit_len, r.tag_edge_1B[sf_start2],
                               r.tag_edge_1B[sf_finish2], r.tag_number_1B, r.in_tagged_text});
    }
  }
  EXPECT_EQ(records[0], records[1]);
  EXPECT_EQ(records[0].size(), 6u);
}

TEST_F(Further_string_functions, TheAnyStringWildcardFollowsTheCaseFlag) {
  SetText(u"colour colouR");
  const TMSSearchFlags cs{msCaseIsSensitive, msLeftBounded, msRightBounded};
  EXPECT_EQ(All(u"colo\x15R", cs), (std::vector<Hit>{{8, 6}}));
  EXPECT_EQ(All(u"colo\x15R", kLR), (std::vector<Hit>{{1, 6}, {8, 6}}));
  EXPECT_TRUE(CharsMatch(u'7', 0x15, true));
  EXPECT_TRUE(CharsMatch(u'q', 0x15, true));
  EXPECT_FALSE(CharsMatch(u'-', 0x15, false));
}

TEST_F(Further_string_functions, ANulIsAnOrdinaryCharacter) {
  SetText(String(u"a\0cat", 5));
  EXPECT_EQ(All(u"cat", kLR), (std::vector<Hit>{{3, 3}}));
  SetText(String(u"x\0", 2));
  EXPECT_TRUE(All(u"y", kLR).empty());
}

TEST_F(Further_string_functions, MarkupIsSkippedAndBoundsWords) {
  // "<b>cat</b> cat": the tags are markup.
  SetText(u"<b>cat</b> cat");
  Tag(0, 3);
  Tag(6, 4, 2);
  TConcSearchRec rec{};
  ASSERT_NE(Search(global_bufStr[wp_part].data(), u"cat", kLR, rec), nullptr);
  EXPECT_EQ(rec.hit_edge_1B[sf_start2], 4);  // a hit right after a tag is bounded
  EXPECT_EQ(rec.tag_edge_1B[sf_start2], 1);
  EXPECT_EQ(rec.tag_edge_1B[sf_finish2], 4);
  EXPECT_EQ(rec.tag_number_1B, 1);
  EXPECT_FALSE(rec.in_tagged_text);

  // A word inside markup is found only when tags are searched.
  SetText(u"<cat> cat");
  Tag(0, 5);
  EXPECT_EQ(All(u"cat", kLR), (std::vector<Hit>{{7, 3}}));
  EXPECT_EQ(All(u"cat", {}), (std::vector<Hit>{{7, 3}}));
  EXPECT_EQ(All(u"cat", {}, 0, coll_stop_none, true), (std::vector<Hit>{{2, 3}, {7, 3}}));

  // The verification walks over markup inside a word.
  SetText(u"ca<i>ts");
  Tag(2, 3);
  EXPECT_EQ(All(u"cats", kLR), (std::vector<Hit>{{1, 7}}));
}

TEST_F(Further_string_functions, AMarkupSectionFindsTheTagHoldingItsText) {
  SetText(u"<p class=x>word <p>word");
  Tag(0, 11);
  Tag(16, 3);
  TConcSearchRec rec{};
  const Char* hit = Search(global_bufStr[wp_part].data(), u"\x14word", kLR, rec, 0, coll_stop_none, false, u"class");
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit - global_bufStr[wp_part].data(), 3);
  EXPECT_EQ(rec.tag_edge_1B[sf_finish2], 12);
  EXPECT_EQ(rec.hit_edge_1B[sf_finish2], 16);  // through "word"
  TConcSearchRec other{};
  EXPECT_EQ(Search(global_bufStr[wp_part].data(), u"\x14word", kLR, other, 0, coll_stop_none, false, u"zzz"), nullptr);
}

TEST_F(Further_string_functions, WordsAreCountedOnceEach) {
  SetText(u"tx tx two two, (three) two");
  TConcSearchRec rec{};
  const Char* from = global_bufStr[wp_part].data();
  std::vector<Int64> numbers;
  while (const Char* hit = Search(from, u"two", kLR, rec)) {
    numbers.push_back(rec.buffer_charStats.number[stats_word]);
    from = hit + 1;
  }
  // "tx" "tx" "two" "two," "(three)" "two": the failed "tw" candidates count nothing twice.
  EXPECT_EQ(numbers, (std::vector<Int64>{3, 4, 6}));
}

TEST_F(Further_string_functions, ALongRunGivesRightEdgesForEveryOverlappingHit) {
  const Int32 n = 20000;
  SetText(u"x " + String(static_cast<size_t>(n), u'a') + u" y");
  TConcSearchRec rec{};
  const Char* from = global_bufStr[wp_part].data();
  Int32 hits = 0;
  bool edgesRight = true;
  while (const Char* hit = Search(from, u"a", {}, rec)) {
    ++hits;
    edgesRight = edgesRight && rec.hit_edge_1B[sf_start2] == 3 && rec.full_hit_len == n;
    from = hit + 1;
  }
  EXPECT_EQ(hits, n);
  EXPECT_TRUE(edgesRight);
  // A run wildcard that fails at the word's end is not tried again for
  // every later candidate of the same word.
  SetText(String(static_cast<size_t>(n), u'a') + u"z");
  EXPECT_TRUE(All(u"a\x15q", {}).empty());
  SetText(String(static_cast<size_t>(n), u'a') + u"q");
  EXPECT_EQ(All(u"a\x15q", kLR), (std::vector<Hit>{{1, n + 1}}));
}

TEST_F(Further_string_functions, AgreesWithASimpleFinderOnRandomTexts) {
  // Whole words in any case or in one case, found by the matcher (whose
  // scan looks for the first one or two pattern characters many at a time)
  // and by a plain scan of every position.
  const String alphabet = u"aAbB <>.,1\n";
  const String patterns[] = {u"a", u"ab", u"Ab", u"ba", u"aa", u"a1", u"b.a"};
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  auto up = [](Char c) { return c >= u'a' && c <= u'z' ? static_cast<Char>(c - 32) : c; };
  for (int round = 0; round < 400; ++round) {
    String text;
    const size_t length = next() % 120;
    for (size_t k = 0; k < length; ++k) text += alphabet[next() % alphabet.size()];
    SetText(text);
    for (const String& pattern : patterns) {
      for (bool cs : {false, true}) {
        TMSSearchFlags flags = kLR;
        if (cs) flags.Include(msCaseIsSensitive);
        std::vector<Hit> expected;
        const size_t m = pattern.size();
        for (size_t p = 0; p + m <= text.size();) {
          bool same = true;
          for (size_t q = 0; q < m && same; ++q)
            same = cs ? text[p + q] == pattern[q] : up(text[p + q]) == up(pattern[q]);
          const bool left = p == 0 || PunctSpaceOrControlHere(CharClassOf(text[p - 1]));
          const bool right = p + m == text.size() || !LetterOrDigitHere(CharClassOf(text[p + m]));
          if (same && left && right) {
            expected.push_back({static_cast<Int32>(p + 1), static_cast<Int32>(m)});
            p += m;
          } else {
            ++p;
          }
        }
        ASSERT_EQ(All(pattern, flags), expected) << StringToUtf8(text) << " / " << StringToUtf8(pattern) << cs;
      }
    }
  }
}

// Every vector level the processor has gives the plain code's hits and
// record fields: random texts of ASCII, markup (marked in the class array),
// Latin-1, letters whose case partners are not ASCII, CJK, surrogate pairs
// and lone halves, every length up to a few blocks of the widest scan, and
// patterns whose first characters the scan looks for singly, in pairs and
// triples, ignoring case or not, with wildcards and in tags.
TEST_F(Further_string_functions, EveryVectorLevelFindsWhatThePlainCodeFinds) {
  struct LevelGuard {
    ~LevelGuard() { SetVectorLevel(BestVectorLevel()); }
  } guard;
  const String pieces[] = {u"l",          u"L",      u"o",      u"r",      u"d",      u"lord", u"LoRd", u"lo",
                           u"s",          u"\u017F", u"S",      u"i",      u"\u0131", u" ",    u"  ",   u",",
                           u"1",          u"\u00E9", u"\u00FF", u"\u0100", u"\u4E2D", u"\n",   u"<",    u">",
                           u"\U0001D400", u"\xD800", u"\xDC00", u"x",      u"<b>",    u"</b>"};
  struct Pattern {
    String text;
    Byte initial;
    bool inTags;
  };
  const Pattern patterns[] = {{u"l", 0, false},
                              {u"lo", 0, false},
                              {u"lord", 0, false},
                              {u"lor", 0, true},
                              {u"so", 0, false},
                              {u"s\u017F", 0, false},
                              {u"io", 0, false},
                              {u"\u00FF\u0100", 0, false},
                              {u"\u4E2Dx", 0, false},
                              {String{u'l', sw_code_any_in_word, u'd'}, 0, false},
                              {String{sw_code_one_char, u'o', u'r'}, 27, false},
                              {String{u'l', u'o', sw_code_anything}, 0, false},
                              {u"o d", 0, false},
                              {String{sw_code_one_char, u' ', u'l', u'o'}, 28, false},
                              {u"b>", 0, true},
                              {u"\U0001D400", 0, false},
                              {u"<", 0, true}};
  const TMSSearchFlags flagSets[] = {{}, kLR, {msCaseIsSensitive}, {msLeftBounded, msRightBounded, msCaseIsSensitive}};

  struct Found {
    ptrdiff_t where;
    Int32 exact, edgeStart, edgeEnd, len, puncts, tagStart, tagEnd, tagNumber;
    bool inTag;
    Int64 words;
    bool operator==(const Found&) const = default;
  };
  auto allHits = [&](const Pattern& p, TMSSearchFlags flags) {
    std::vector<Found> out;
    TConcSearchRec rec{};
    const Char* base = global_bufStr[wp_part].data();
    const Char* end = base + global_bufStr[wp_part].size();
    const Char* from = base;
    while (from < end) {
      const Char* hit = Search(from, p.text, flags, rec, p.initial, coll_stop_sentence, p.inTags);
      if (hit == nullptr) break;
      out.push_back({hit - base, rec.exact_hit_char_position_1B, rec.hit_edge_1B[sf_start2],
                     rec.hit_edge_1B[sf_finish2], rec.full_hit_len, rec.puncts_in_hit, rec.tag_edge_1B[sf_start2],
                     rec.tag_edge_1B[sf_finish2], rec.tag_number_1B, rec.in_tagged_text,
                     rec.buffer_charStats.number[stats_word]});
      from = hit + 1;
    }
    return out;
  };

  uint32_t seed = 2026;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int round = 0; round < 360; ++round) {
    // Every length near one, two and three blocks of 32, then longer ones.
    const size_t want = round < 160 ? static_cast<size_t>(round) : 160 + next() % 400;
    String text;
    while (text.size() < want) text += pieces[next() % std::size(pieces)];
    text.resize(want);
    SetText(text);
    // Some "<...>" spans become markup in the class array.
    for (size_t k = 0; k < text.size(); ++k)
      if (text[k] == u'<' && next() % 3 != 0) {
        const size_t close = text.find(u'>', k);
        const size_t stop = close == String::npos ? text.size() : close + 1;
        Tag(static_cast<Int32>(k), static_cast<Int32>(stop - k), static_cast<Int32>(1 + next() % 5));
        k = stop - 1;
      }
    for (const Pattern& p : patterns)
      for (const TMSSearchFlags& flags : flagSets) {
        SetVectorLevel(vl_plain);
        const std::vector<Found> plain = allHits(p, flags);
        for (int level = vl_sse2; level <= BestVectorLevel(); ++level) {
          SetVectorLevel(static_cast<TVectorLevel>(level));
          ASSERT_TRUE(allHits(p, flags) == plain)
              << "level " << level << ", length " << text.size() << ", pattern " << StringToUtf8(p.text);
        }
      }
  }
}

TEST_F(Further_string_functions, StartOutsideTheBufferFindsNothing) {
  SetText(u"cat");
  TConcSearchRec rec{};
  const String other = u"cat";
  EXPECT_EQ(Search(other.data(), u"cat", kLR, rec), nullptr);
  EXPECT_EQ(Search(global_bufStr[wp_part].data() + 3, u"cat", kLR, rec), nullptr);
  EXPECT_EQ(Search(nullptr, u"cat", kLR, rec), nullptr);
  // A class array shorter than the text finds nothing.
  global_Wchars[wp_part].resize(2);
  EXPECT_EQ(Search(global_bufStr[wp_part].data(), u"cat", kLR, rec), nullptr);
}

TEST_F(Further_string_functions, CharsMatch) {
  struct Case {
    Char t;
    Char p;
    bool cs;
    bool match;
  } cases[] = {
      {u'a', u'a', true, true},   {u'a', u'A', true, false},  {u'a', u'A', false, true},
      {u'é', u'É', false, true},  {u'5', 0x1B, true, true},   {u'x', 0x1B, true, false},
      {u'-', 0x1C, true, true},   {u' ', 0x1D, true, true},   {u'a', 0x1E, true, false},
      {0x1E, 0x1E, true, true},   {u'a', 0x15, true, true},   {u' ', 0x15, true, false},
  };
  for (const Case& c : cases) EXPECT_EQ(CharsMatch(c.t, c.p, c.cs), c.match) << int(c.t) << " " << int(c.p);
}

TEST_F(Further_string_functions, StrPosLen) {
  const String text = u"one Two three";
  EXPECT_EQ(StrPosLen(text.data(), u"two", 13, 3, false), text.data() + 4);
  EXPECT_EQ(StrPosLen(text.data(), u"two", 13, 3, true), nullptr);
  EXPECT_EQ(StrPosLen(text.data(), u"three", 12, 5, false), nullptr);  // only the first textLen characters
  EXPECT_EQ(StrPosLen(text.data(), u"", 13, 0, false), nullptr);
  EXPECT_EQ(StrPosLen(text.data(), u"o", 0, 1, false), nullptr);
  const String nul(u"a\0b", 3);
  EXPECT_EQ(StrPosLen(nul.data(), String(u"\0", 1).data(), 3, 1, false), nullptr);
  EXPECT_EQ(StrPosLen(nul.data(), u"b", 3, 1, false), nul.data() + 2);
}

TEST_F(Further_string_functions, ClassTests) {
  struct Case {
    Word k;
    bool digit, letter, letterOrDigit, punct, space, control, tagged, marker;
  } cases[] = {
      {1, false, true, true, false, false, false, false, false},
      {2, false, true, true, false, false, false, false, false},
      {3, true, false, true, false, false, false, false, false},
      {4, false, false, false, true, false, false, false, false},
      {6, false, false, false, false, true, false, false, false},
      {7, false, false, false, false, false, true, false, false},
      {0x801, false, false, false, false, false, false, true, false},
      {0x1003, false, false, false, false, false, false, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DigitHere(c.k), c.digit) << c.k;
    EXPECT_EQ(LetterHere(c.k), c.letter) << c.k;
    EXPECT_EQ(LetterOrDigitHere(c.k), c.letterOrDigit) << c.k;
    EXPECT_EQ(PunctHere(c.k), c.punct) << c.k;
    EXPECT_EQ(SpaceHere(c.k), c.space) << c.k;
    EXPECT_EQ(ControlHere(c.k), c.control) << c.k;
    EXPECT_EQ(TaggedCharHere(c.k), c.tagged) << c.k;
    EXPECT_EQ(TextMarkerHere(c.k), c.marker) << c.k;
  }
  EXPECT_TRUE(IgnoreTagHere(0x800));
  EXPECT_FALSE(IgnoreTagHere(0x801));
  EXPECT_TRUE(IsTagBoundary(0x801, 1));
  EXPECT_FALSE(IsTagBoundary(0x801, 0x802));
  EXPECT_TRUE(SpaceOrPunctHere(4) && SpaceOrPunctHere(6) && !SpaceOrPunctHere(7));
  EXPECT_TRUE(PunctSpaceOrControlHere(7) && !PunctSpaceOrControlHere(5));
  EXPECT_TRUE(LetterOrDigitOrPunctHere(4) && !LetterOrDigitOrPunctHere(5));
}

TEST_F(Further_string_functions, NeighbourTests) {
  const String text = u"a-b";
  std::vector<Word> classes(text.size() + 10, 0);
  ParseAString(text, classes);
  EXPECT_FALSE(NonTagAlphNumPrecedesChar(text, 0, classes));
  EXPECT_TRUE(NonTagAlphNumPrecedesChar(text, 1, classes));
  EXPECT_FALSE(NonTagAlphNumPrecedesChar(text, 2, classes));
  EXPECT_TRUE(NonTagAlphNumFollowsChar(text, 1, classes));
  EXPECT_FALSE(NonTagAlphNumFollowsChar(text, 0, classes));
  EXPECT_FALSE(NonTagAlphNumFollowsChar(text, 2, classes));
  EXPECT_FALSE(NonTagAlphNumFollowsChar(text, 50, classes));
}

TEST_F(Further_string_functions, WordCount) {
  auto count = [](const String& text) {
    std::vector<Word> classes(text.size(), 0);
    ParseAString(text, classes);
    return WordCount(classes);
  };
  EXPECT_EQ(count(u""), 0);
  EXPECT_EQ(count(u"one"), 0);
  EXPECT_EQ(count(u"one two three\n"), 3);
  EXPECT_EQ(count(u"one ,. two\r\n"), 2);
}

TEST_F(Further_string_functions, MarkingAndBlanking) {
  String text = u"a<b>c<d";
  std::vector<Word> classes(text.size() + 10, 0);
  ParseAString(text, classes);
  bool nested = false;
  MarkWCharsTagged(text, 1, 6, classes, 5, nested);
  EXPECT_EQ(classes[0], 1);
  EXPECT_EQ(classes[1], 0x805);
  EXPECT_EQ(classes[2], 0x801);
  EXPECT_EQ(classes[5], 0x800);  // a nested "<"
  EXPECT_TRUE(nested);
  MarkWCharsTagged(text, 6, 50, classes, 1, nested);  // clipped to the text
  BlankedOutSomeChars(text, 1, 3, classes, 2);
  EXPECT_EQ(text, u"a   c<d");
  EXPECT_EQ(classes[1], 0x802);
  EXPECT_EQ(classes[2], 0x801);
  BlankedOutSomeChars(text, -1, 3, classes, 2);
  BlankedOutSomeChars(text, 6, 100, classes, 2);
  EXPECT_EQ(text, u"a   c< ");
}

TEST_F(Further_string_functions, MiddleCharacters) {
  struct Case {
    String text;
    bool right, left;
    std::vector<Word> expected;
  } cases[] = {
      {u"don't", false, false, {1, 1, 1, 1, 1}},
      {u"'tis", false, false, {4, 1, 1, 1}},
      {u"'tis", false, true, {1, 1, 1, 1}},
      {u"dogs'", false, false, {1, 1, 1, 1, 4}},
      {u"dogs'", true, false, {1, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    std::vector<Word> classes(c.text.size(), 0);
    ParseAString(c.text, classes);
    HandleMiddleChars(c.text, u"'", classes, c.right, c.left);
    EXPECT_EQ(classes, c.expected) << StringToUtf8(c.text);
  }
}

TEST_F(Further_string_functions, MiddleCharactersInNumbers) {
  struct Case {
    String text;
    bool spaces;
    std::vector<Word> expected;
  } cases[] = {
      {u"1,000", false, {3, 3, 3, 3, 3}},
      {u"1 000", false, {3, 6, 3, 3, 3}},
      {u"1 000", true, {3, 3, 3, 3, 3}},
      {u"3(4) x", false, {3, 3, 3, 3, 6, 1}},
      {u"a,1", false, {1, 4, 3}},
  };
  for (const Case& c : cases) {
    std::vector<Word> classes(c.text.size() + 10, 0);
    ParseAString(c.text, classes);
    HandleMiddleCharsInNumbers(c.text, c.spaces, classes);
    classes.resize(c.text.size());
    EXPECT_EQ(classes, c.expected) << StringToUtf8(c.text);
  }
  // Triples within the class array's last three entries are left alone.
  const String tight = u"1,2";
  std::vector<Word> classes(tight.size(), 0);
  ParseAString(tight, classes);
  HandleMiddleCharsInNumbers(tight, false, classes);
  EXPECT_EQ(classes[1], 4);
}

TEST_F(Further_string_functions, TextHelpers) {
  Tfixed_lang_details lang{};
  lang.allowable_middle_letters[0] = u'\'';
  EXPECT_EQ(StringWithoutInitialAndFinalPunct(u"word", lang), u"word");
  EXPECT_EQ(StringWithoutInitialAndFinalPunct(u"(don't)", lang), u"don't");
  EXPECT_EQ(StringWithoutInitialAndFinalPunct(u"'tis!", lang), u"tis");
  lang.allow_middles_at_left = 1;
  EXPECT_EQ(StringWithoutInitialAndFinalPunct(u"'tis!", lang), u"'tis");
  EXPECT_EQ(StringWithoutInitialAndFinalPunct(u"--", lang), u"");

  EXPECT_EQ(CollocateNumberCheckedStr(u"ab3", true), u"#");
  EXPECT_EQ(CollocateNumberCheckedStr(u"ab3", false), u"ab3");
  EXPECT_EQ(CollocateNumberCheckedStr(u"abc", true), u"abc");

  String s = u"it's";
  CheckForCurlyApostrophes(s);
  EXPECT_EQ(s, u"it's\u2018\u2019\u275B\u275C");
  String t = u"its";
  CheckForCurlyApostrophes(t);
  EXPECT_EQ(t, u"its");
}

}  // namespace
}  // namespace sk
