// The search engine: hits handed to the callback, where each next search
// starts, resume positions, hit records, failures; the quick word test and
// the list of hits.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <vector>

#include "TestSupport.h"
#include "analysis/Further_string_functions.h"
#include "analysis/Search_and_do_engineU.h"
#include "analysis/Search_parsing.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_notation.h"
#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_words.h"
#include "core/Useful_classes_base_stringlists.h"
#include "core/Qm_global_vars.h"
#include "services/Logging_utilities.h"

namespace sk {
namespace {

class Search_and_do_engineU : public ::testing::Test {
 protected:
  void TearDown() override {
    for (TWholeOrPart w : {wp_whole, wp_part}) {
      global_bufStr[w].clear();
      global_Wchars[w].clear();
    }
  }

  static TQMSearchWordRec Parsed(const String& typed) { return SWFullParsed_SearchWord(TIgnore_tag{}, typed); }

  struct Found {
    Int32 position;  // exact_hit_char_position_1B
    Int32 length;
    bool operator==(const Found&) const = default;
  };
  friend std::ostream& operator<<(std::ostream& os, const Found& f) {
    return os << "(" << f.position << "," << f.length << ")";
  }

  // Runs the word over text (wp_whole) with a callback that answers accept;
  // with hideMarkup each "<...>" of the text is marked as a tag.
  std::vector<Found> Run(TSearchAndDoEngine& engine, const String& text, const String& typed, bool accept,
                         bool hideMarkup = false) {
    std::vector<Found> found;
    engine.PrepareFirst(text, true, wp_whole, static_cast<Int32>(text.size() * 2), 0,
                        [&](TSearchAndDoEngine*, TConcSearchRec& rec) {
                          found.push_back({rec.exact_hit_char_position_1B, rec.full_hit_len});
                          return accept;
                        });
    for (size_t at = text.find(u'<'); hideMarkup && at != String::npos; at = text.find(u'<', at + 1)) {
      bool nested = false;
      const Int32 length = static_cast<Int32>(text.find(u'>', at) + 1 - at);
      MarkWCharsTagged(text, static_cast<Int32>(at), length, global_Wchars[wp_whole], 1, nested);
    }
    const TQMSearchWordRec w = Parsed(typed);
    EXPECT_TRUE(engine.SearchAndDo(&w, wp_whole, 0, TTextStatsPositions_rec{}));
    return found;
  }
};

TEST_F(Search_and_do_engineU, AcceptedHitsAreCountedAndTheNextSearchStartsAfterThePattern) {
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  EXPECT_EQ(Run(engine, u"the cat sat on the mat", u"the", true), (std::vector<Found>{{1, 3}, {16, 3}}));
  EXPECT_EQ(engine.fSearchAndDoPrivate.fHitsFound[hf_total], 2);
  EXPECT_EQ(engine.fSearchAndDoPrivate.fHitsFound[hf_this_try], 2);
  // An unbounded hit takes its whole word, and the next search starts after it.
  EXPECT_EQ(Run(engine, u"abab ab", u"ab*", true), (std::vector<Found>{{1, 4}, {6, 2}}));
  EXPECT_EQ(Run(engine, u"colour colour", u"colo*r", true), (std::vector<Found>{{1, 6}, {8, 6}}));
  // In text without spaces a word runs from one punctuation mark to the
  // next: it is one hit, however often it holds the letters.
  EXPECT_EQ(Run(engine, u"\u6211\u7684\u4E66\uFF0C\u4F60\u7684\u7684\u3002", u"*\u7684*", true),
            (std::vector<Found>{{1, 3}, {5, 3}}));
  EXPECT_EQ(Run(engine, u"\u4E2D\u56FD\u4EBA\u4E2D\u56FD", u"*\u4E2D\u56FD*", true).size(), 1u);
}

// A blank or a line end (LF, CR LF, CR) separates the words of a phrase,
// whatever each word is made of; the same text with spaces for its line ends
// gives the same hits. The starts are python's (re, words as runs of letters
// and digits, any case; "?" one of them, "^" a letter, "#" a run of digits,
// an inner star one or more; the words separated by [ \r\n]+), moved to the
// word's start without the left bound.
TEST_F(Search_and_do_engineU, APhraseIsFoundOverALineEndWhateverItsWordsAreMadeOf) {
  const String numbers = u"In chapter 12\nyears ago and 12 years later";
  const String writing = u"give a\nwriting, give a\nwriting, give a writing.";
  const String lord = u"so of the\nLORD, and of the\nland; it is\nthe Lord's to\ngive. Go to\nthe lord";
  const struct {
    const String& text;
    String typed;
    std::vector<Int32> starts;  // in the text with LF
  } cases[] = {
      {numbers, u"# years", {12, 29}},   {numbers, u"*# years", {12, 29}},
      {numbers, u"and # years", {25}},  {writing, u"? writing", {6, 22, 38}},
      {writing, u"^ writing", {6, 22, 38}}, {writing, u"give ?", {1, 17, 33}},
      {writing, u"give ? writing", {1, 17, 33}}, {lord, u"?? the", {4, 21, 37, 63}},
      {lord, u"^^ ^^^", {4, 21, 37, 63}},  {lord, u"is ^^^", {37}},
      {lord, u"t?e lord", {7, 40, 66}},    {lord, u"*e lord", {7, 40, 66}},
      {lord, u"?* the", {4, 21, 37, 63}},  {lord, u"*? the", {4, 21, 37, 63}},
  };
  for (const auto& c : cases) {
    for (const String& end : {String(u"\n"), String(u"\r\n"), String(u"\r"), String(u" ")}) {
      String text;
      std::vector<Int32> starts = c.starts;
      for (Char ch : c.text) {
        if (ch != u'\n') {
          text += ch;
          continue;
        }
        for (Int32& s : starts)
          if (s > static_cast<Int32>(text.size()) + 1) s += static_cast<Int32>(end.size()) - 1;
        text += end;
      }
      TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
      std::vector<Int32> found;
      for (const Found& f : Run(engine, text, c.typed, true)) found.push_back(f.position);
      EXPECT_EQ(found, starts) << StringToUtf8(c.typed) << " / " << StringToUtf8(text);
    }
  }
}

// A tag, an indenting tab after a line end (LF, CR LF, CR) or several blanks
// before a phrase's later word join it to the words before as they do for a
// plain word, whatever the word begins with (a star, "?", a letter, "#"), and
// so does punctuation with a sentence barrier. The starts are python's (re on
// the matcher's definitions: a blank is a space, CR or LF, or punctuation
// with the barrier, followed by any spaces and controls; with markup hidden a
// tag may stand before each pattern character; with it shown "<" and ">" are
// controls).
TEST_F(Search_and_do_engineU, ALaterWordIsFoundAfterATagATabOrBlanksWhateverItBeginsWith) {
  String text;
  for (const String gap : {u" <i>", u"\n\t", u"\r\n\t", u"\r\t", u"   ", u","})
    text += u"of the" + gap + u"LORD and the" + (gap == u" <i>" ? String(u" <b>") : gap) + u"4 days. ";
  // Markup hidden, shown, and hidden with a sentence barrier.
  const std::vector<Int32> L = {4, 38, 68, 100, 130}, Ls = {38, 68, 100, 130}, Lb = {4, 38, 68, 100, 130, 162};
  const std::vector<Int32> D = {20, 52, 83, 114, 145}, Ds = {52, 83, 114, 145}, Db = {20, 52, 83, 114, 145, 175};
  const std::vector<Int32> A = {4, 20, 38, 52, 68, 83, 100, 114, 130, 145}, O = {1, 35, 65, 97, 127};
  std::vector<Int32> Ab = A, Ob = O;
  Ab.insert(Ab.end(), {162, 175});
  Ob.push_back(159);
  const struct {
    String typed;
    std::vector<Int32> hidden, shown, barrier;
  } cases[] = {
      {u"the *d", L, Ls, Lb},   {u"the *", A, A, Ab},     {u"of the *", O, O, Ob}, {u"the *4", D, Ds, Db},
      {u"??? *d", L, Ls, Lb},   {u"the ?ord", L, Ls, Lb}, {u"the lord", L, Ls, Lb}, {u"the lo*", L, Ls, Lb},
      {u"??? lord", L, Ls, Lb}, {u"the #", D, Ds, Db},    {u"^^^ #", D, Ds, Db},
  };
  for (const auto& c : cases)
    for (int form = 0; form < 3; ++form) {
      TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
      std::vector<Int32> found;
      engine.PrepareFirst(text, true, wp_whole, 400, 0, [&](TSearchAndDoEngine*, TConcSearchRec& rec) {
        found.push_back(rec.exact_hit_char_position_1B);
        return true;
      });
      for (size_t at = text.find(u'<'); form != 1 && at != String::npos; at = text.find(u'<', at + 1)) {
        bool nested = false;
        MarkWCharsTagged(text, static_cast<Int32>(at), 3, global_Wchars[wp_whole], 1, nested);
      }
      engine.SearchAndDoPublic.Collocate_barrier = form == 2 ? coll_stop_sentence : coll_stop_none;
      const TQMSearchWordRec w = Parsed(c.typed);
      engine.SearchAndDo(&w, wp_whole, 0, TTextStatsPositions_rec{});
      EXPECT_EQ(found, form == 0 ? c.hidden : form == 1 ? c.shown : c.barrier) << StringToUtf8(c.typed) << " " << form;
    }
}

// Every routine that decides where a word ends gives the word list's answer:
// each listed word (and no piece of one) is found by the whole-word search (at
// its word's number), the whole-word tests and replacement, the unigrams and
// the context words as often as the list counts it. Persian words hold the
// zero-width non-joiner, Japanese and Thai words modifier letters, Hindi marks.
TEST_F(Search_and_do_engineU, EveryRoutineEndsAWordWhereTheWordListDoes) {
  const std::pair<String, std::vector<String>> cases[] = {
      {u"\u06A9\u062A\u0627\u0628\u200C\u0647\u0627 \u0622\u0646\u200C\u0647\u0627 \u0645\u06CC\u200C\u062E\u0648"
       u"\u0627\u0647\u0645 \u062E\u0648\u0627\u0647\u0645 \u06A9\u062A\u0627\u0628\u200C\u0647\u0627",
       {u"\u0647\u0627", u"\u06A9\u062A\u0627\u0628", u"\u0645\u06CC"}},
      {u"\u30B3\u30FC\u30D2\u30FC \u6642\u3005 \u30B3\u30FC\u30D2\u30FC \u30B3 \u4EBA\u3005", {u"\u6642", u"\u30D2"}},
      {u"\u0E40\u0E14\u0E47\u0E01\u0E46 \u0E40\u0E25\u0E48\u0E19 \u0E40\u0E14\u0E47\u0E01\u0E46", {u"\u0E40\u0E14\u0E47\u0E01"}},
      {u"\u0928\u092E\u0938\u094D\u0924\u0947 \u0926\u0941\u0928\u093F\u092F\u093E \u0928\u092E\u0938\u094D\u0924\u0947 "
       u"\u0928\u092E\u0938",
       {u"\u0928\u092E\u0938\u094D\u0924", u"\u0926\u0941\u0928"}},
  };
  for (const auto& c : cases) {
    const String& text = c.first;
    SCOPED_TRACE(StringToUtf8(text));
    auto list = SimpleWordListOfTxt(text, 1, false);
    auto unigrams = SimpleNGramListOfTxt(text, 1, 100, false, nullptr);
    std::vector<String> words = c.second;
    for (Int32 k = 0; k < list->Count(); ++k) words.push_back(list->Strings(k));
    Int32 total = 0;
    for (const String& w : words) {
      const Int32 at = list->IndexOf(w);
      const Int32 counted = at >= 0 ? list->GetOne(at) : 0;
      total += counted;
      TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
      Int32 hits = 0, tests = 0, replaced = 0, context = 0;
      engine.PrepareFirst(text, true, wp_whole, 0, 0, [&](TSearchAndDoEngine*, TConcSearchRec& rec) {
        const size_t through = static_cast<size_t>(rec.hit_edge_1B[sf_start2]);
        EXPECT_EQ(rec.buffer_charStats.number[stats_word], BasicWordCount(text.substr(0, through)));
        return ++hits > 0;
      });
      const TQMSearchWordRec sw = Parsed(w);
      engine.SearchAndDo(&sw, wp_whole, 0, TTextStatsPositions_rec{});
      for (size_t p = text.find(w); p != String::npos; p = text.find(w, p + 1))
        tests += BoundedWholeWord(text, static_cast<Int32>(p + 1), static_cast<Int32>(p + w.size())) ? 1 : 0;
      ReplaceWholeWord(text, w, u"#", true, replaced);
      for (size_t a = 0, b; a <= text.size(); a = b + 1) {
        b = std::min(text.find(u' ', a), text.size());
        context += StringToConcWordSections(text.substr(a, b - a)).wd_str == w ? 1 : 0;
      }
      const Int32 u = unigrams->IndexOf(w);
      EXPECT_EQ((std::vector<Int32>{hits, tests, replaced, context, u >= 0 ? unigrams->GetOne(u) : 0}),
                std::vector<Int32>(5, counted))
          << StringToUtf8(w);
    }
    EXPECT_EQ(BasicWordCount(text), total);
  }
}

TEST_F(Search_and_do_engineU, RefusedHitsLetTheNextSearchStartOneCharacterLater) {
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  // Overlapping hits are reported; a word found again from a later place in
  // it is not.
  EXPECT_EQ(Run(engine, u"a a a", u"a a", false), (std::vector<Found>{{1, 3}, {3, 3}}));
  EXPECT_EQ(Run(engine, u"abab ab", u"*ab*", false), (std::vector<Found>{{1, 4}, {6, 2}}));
  EXPECT_EQ(engine.fSearchAndDoPrivate.fHitsFound[hf_total], 0);
  EXPECT_EQ(engine.fSearchAndDoPrivate.fHitsFound[hf_this_try], 0);
}

// A star before a pattern's letters: each word that holds them is one hit,
// however often it holds them, with the edges the word typed out gets; as
// the text's first word, after a tag and later, alone or in a phrase, with
// markup hidden and shown.
TEST_F(Search_and_do_engineU, AWordFoundByAStarPatternIsOneHitSpanningTheWord) {
  const struct {
    String typed, text;
    std::vector<String> words;  // typed out, they find the hits
  } cases[] = {
      {u"*ing*", u"singing loud, <b>singing</b> thing ingot sing", {u"singing", u"thing", u"ingot", u"sing"}},
      {u"*ss*", u"messes <i>ss</i> possessions, class", {u"messes", u"ss", u"possessions", u"class"}},
      {u"*e*", u"seventeen eyes <b>tree</b> the bee e", {u"seventeen", u"eyes", u"tree", u"the", u"bee", u"e"}},
      {u"*an*", u"banana and <b>an</b> ant, fan cat", {u"banana", u"and", u"an", u"ant", u"fan"}},
      {u"*e", u"the cat <b>he</b> tree eye seventeen", {u"the", u"he", u"tree", u"eye"}},
      {u"*ing", u"singing loud <b>ing</b> thing ingot", {u"singing", u"ing", u"thing"}},
      {u"*e* of", u"seventeenth of <b>seventeenth</b> of, eye of cats", {u"seventeenth of", u"eye of"}},
      {u"*e* *ing*", u"seventeen singing the <b>tree</b> thing, eye sings",
       {u"seventeen singing", u"tree thing", u"eye sings"}},
  };
  for (const auto& c : cases)
    for (const String& text : {c.text, u"<p>" + c.text})
      for (bool hidden : {true, false}) {
        TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
        std::vector<Found> typedOut;
        for (const String& w : c.words)
          for (const Found& f : Run(engine, text, w, true, hidden)) typedOut.push_back(f);
        std::sort(typedOut.begin(), typedOut.end(), [](Found a, Found b) { return a.position < b.position; });
        EXPECT_EQ(Run(engine, text, c.typed, true, hidden), typedOut) << StringToUtf8(c.typed + u" / " + text);
      }
}

TEST_F(Search_and_do_engineU, ACallbackThatMovesTheHitGoesOnOneCharacterLater) {
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  std::vector<Int32> starts;
  engine.PrepareFirst(u"a a a a", true, wp_whole, 14, 0, [&](TSearchAndDoEngine*, TConcSearchRec& rec) {
    starts.push_back(rec.exact_hit_char_position_1B);
    rec.exact_hit_char_position_1B = 0;
    return true;
  });
  const TQMSearchWordRec w = Parsed(u"a a");
  engine.SearchAndDo(&w, wp_whole, 0, TTextStatsPositions_rec{});
  EXPECT_EQ(starts.size(), 3u);
  EXPECT_EQ(engine.fSearchAndDoPrivate.fHitsFound[hf_total], 3);
}

TEST_F(Search_and_do_engineU, ResumePositions) {
  // Hits at characters 10, 450 and 600 of a buffer of 1000.
  String text(1000, u'x');
  for (Int32 at : {10, 450, 600}) text.replace(static_cast<size_t>(at), 3, u" a ");
  struct Case {
    std::vector<Int32> bytes;
    std::vector<Int32> hits;
  } cases[] = {
      {{}, {12, 452, 602}},
      // At most 201 bytes: the buffer's start.
      {{201}, {12, 452, 602}},
      // 100 characters before byte 1000.
      {{1000}, {452, 602}},
      // Closer than 200 bytes: no second jump.
      {{1000, 1150}, {452, 602}},
      // A jump that would go back is not taken.
      {{600, 850}, {452, 602}},
      // One far enough ahead is.
      {{1000, 1500}, {452}},
      // Past the buffer: nothing more.
      {{1000, 100000}, {452}},
      {{-500}, {12, 452, 602}},
  };
  for (const Case& c : cases) {
    TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
    engine.fSearchAndDoPrivate.fstart_bytes = c.bytes;
    std::vector<Int32> hits;
    for (const auto& f : Run(engine, text, u"a", true)) hits.push_back(f.position);
    EXPECT_EQ(hits, c.hits) << ::testing::PrintToString(c.bytes);
  }
  // In UTF-8 a character takes up to three bytes: the hit at character 450
  // (byte 1350 when every character before it takes three) is not jumped
  // over.
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  engine.SearchAndDoPublic.BytesPerChar = 1;
  engine.fSearchAndDoPrivate.fstart_bytes = {1350};
  EXPECT_EQ(Run(engine, text, u"a", true), (std::vector<Found>{{452, 1}, {602, 1}}));
}

TEST_F(Search_and_do_engineU, StartBytesFromAJumpList) {
  TConcordJumpFileAndByteList list;
  list.AddOne({2, 500});
  list.AddOne({1, 40});
  list.AddOne({2, 900});
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  engine.GetThisFileStartBytesFrom(list, 2);
  EXPECT_EQ(engine.fSearchAndDoPrivate.fstart_bytes, (std::vector<Int32>{500, 900}));
  engine.GetThisFileStartBytesFrom(list, 3);
  EXPECT_EQ(engine.fSearchAndDoPrivate.fstart_bytes.size(), 2u);
}

TEST_F(Search_and_do_engineU, HitRecords) {
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  TTextStatsPositions_rec positions;
  positions.stats_arr[stats_sentence] = {{0, 9}, {10, 21}};
  std::vector<TConcSearchRec> recs;
  engine.PrepareForConcordancing(u"f.txt", 1000, 2, 100, false, coll_stop_none,
                                 [&](TSearchAndDoEngine* sender, TConcSearchRec& rec) {
                                   EXPECT_EQ(sender, &engine);
                                   recs.push_back(rec);
                                   return true;
                                 });
  engine.SetABuffer(u"One cat.  Two cats here", wp_part);
  const TQMSearchWordRec w = Parsed(u"cat*");
  ASSERT_TRUE(engine.SearchAndDo(&w, wp_part, 7, positions));
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[1].exact_hit_char_position_1B, 15);
  EXPECT_EQ(recs[1].full_hit_len, 4);
  EXPECT_EQ(recs[1].hit_edge_1B[sf_finish2], 19);
  EXPECT_EQ(recs[1].search_number, 7);
  EXPECT_EQ(recs[1].bytes_per_char, 2);
  EXPECT_FLOAT_EQ(recs[1].percent_of_file, (15.0f * 2 + 100) / 1000);
  EXPECT_EQ(recs[1].buffer_charStats.number[stats_sentence], 2);
  EXPECT_EQ(recs[1].buffer_charStats.charposition[stats_sentence], 4);
  EXPECT_EQ(recs[1].buffer_charStats.total_chars[stats_sentence], 12);
  EXPECT_EQ(recs[1].buffer_charStats.number[stats_paragraph], 1);  // no paragraphs known
  EXPECT_EQ(recs[1].buffer_charStats.number[stats_word], 4);
  EXPECT_EQ(recs[0].buffer_charStats.number[stats_word], 2);

  // A file of 0 bytes gives 0 per cent.
  engine.fSearchAndDoPrivate.fComplete_file_bytes = 0;
  recs.clear();
  engine.SearchAndDo(&w, wp_part, 0, positions);
  ASSERT_FALSE(recs.empty());
  EXPECT_EQ(recs[0].percent_of_file, 0.0f);
}

TEST_F(Search_and_do_engineU, NothingIsSearchedWithoutACallbackBufferOrPattern) {
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  const TQMSearchWordRec w = Parsed(u"cat");
  engine.SetABuffer(u"cat", wp_whole);
  EXPECT_FALSE(engine.SearchAndDo(&w, wp_whole, 0, TTextStatsPositions_rec{}));  // no callback
  engine.fSearchFoundEvent = [](TSearchAndDoEngine*, TConcSearchRec&) { return true; };
  EXPECT_FALSE(engine.SearchAndDo(nullptr, wp_whole, 0, TTextStatsPositions_rec{}));
  const TQMSearchWordRec empty = Parsed(u"");
  EXPECT_FALSE(engine.SearchAndDo(&empty, wp_whole, 0, TTextStatsPositions_rec{}));
  engine.SetABuffer(u"", wp_whole);
  EXPECT_TRUE(global_Wchars[wp_whole].empty());
  EXPECT_FALSE(engine.SearchAndDo(&w, wp_whole, 0, TTextStatsPositions_rec{}));
}

TEST_F(Search_and_do_engineU, SetABufferBuildsTheClassArrayWithSpares) {
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  engine.SetABuffer(u"a 1.", wp_part);
  EXPECT_EQ(global_Wchars[wp_part], (std::vector<Word>{1, 6, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  String moved = u"xy";
  engine.SetABuffer(std::move(moved), wp_part);
  EXPECT_EQ(global_bufStr[wp_part], u"xy");
  EXPECT_EQ(global_Wchars[wp_part].size(), 12u);
  {
    TSearchAndDoEngine other(LOCALE_USER_DEFAULT, se_contextword);
    other.SetABuffer(u"abc", wp_whole);
  }
  EXPECT_TRUE(global_Wchars[wp_whole].empty());  // freed with the engine
}

TEST_F(Search_and_do_engineU, TheCallbackCanStopTheSearch) {
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  Int32 calls = 0;
  engine.PrepareFirst(u"a a a a", true, wp_whole, 14, 0, [&](TSearchAndDoEngine* sender, TConcSearchRec&) {
    if (++calls == 2) sender->SearchAndDoPublic.Stopped = true;
    return true;
  });
  const TQMSearchWordRec w = Parsed(u"a");
  EXPECT_TRUE(engine.SearchAndDo(&w, wp_whole, 0, TTextStatsPositions_rec{}));
  EXPECT_EQ(calls, 2);
}

TEST_F(Search_and_do_engineU, AFailureInsideTheSearchKeepsItsCause) {
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  engine.PrepareForConcordancing(u"book.txt", 10, 2, 0, false, coll_stop_none,
                                 [](TSearchAndDoEngine*, TConcSearchRec&) -> bool {
                                   throw std::runtime_error("callback broke");
                                 });
  engine.SetABuffer(u"a cat", wp_whole);
  const TQMSearchWordRec w = Parsed(u"cat");
  try {
    engine.SearchAndDo(&w, wp_whole, 0, TTextStatsPositions_rec{});
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"problem searching book.txt for \"cat\"");
    try {
      std::rethrow_if_nested(e);
      FAIL() << "no nested cause";
    } catch (const std::runtime_error& cause) {
      EXPECT_STREQ(cause.what(), "callback broke");
    }
  }
}

// Hit positions are 1-based Int32s up to one past the text: a longer text is
// refused whole (a length that wraps to a small Int32 included), never
// searched up to where the positions end.
TEST_F(Search_and_do_engineU, TextsPastTheInt32PositionsAreRefused) {
  const size_t most = size_t{INT32_MAX} - 15;
  const struct {
    size_t units;
    bool addressed;
  } cases[] = {{0, true},          {1, true},           {most, true},        {most + 1, false},
               {INT32_MAX, false}, {size_t{1} << 31, false}, {(size_t{1} << 32) + 5, false}, {SIZE_MAX, false}};
  for (const auto& c : cases) EXPECT_EQ(TSearchAndDoEngine::Addresses(c.units), c.addressed) << c.units;
}

#if !defined(SK_UNDER_ASAN)
// Out of memory (the address space capped in a child just above what it
// holds), SetABuffer raises std::bad_alloc with the buffer and its classes
// left empty, never a buffer without classes that later searches as empty;
// a moved-in text goes back to the caller whole. The rooms earlier tests left
// are freed, and the text (80 MB) is larger than any room the allocator holds
// in reserve (a thread's heap is 64 MB), so that it needs fresh address space.
TEST_F(Search_and_do_engineU, RunningOutOfMemoryRaisesBadAllocAndLeavesTheBufferEmpty) {
  constexpr size_t kUnits = size_t{40} << 20;
  for (const bool moved : {true, false}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      String().swap(global_bufStr[wp_whole]);
      std::vector<Word>().swap(global_Wchars[wp_whole]);
      TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
      engine.SetABuffer(u"an old text", wp_whole);
      String text(kUnits, u'a');
      unsigned long pages = 0;
      std::FILE* statm = std::fopen("/proc/self/statm", "r");
      if (statm == nullptr || std::fscanf(statm, "%lu", &pages) != 1) ::_exit(9);
      std::fclose(statm);
      const rlim_t cap = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t{4} << 20);
      const struct rlimit lim = {cap, cap};
      if (::setrlimit(RLIMIT_AS, &lim) != 0) ::_exit(9);
      try {
        if (moved)
          engine.SetABuffer(std::move(text), wp_whole);
        else
          engine.SetABuffer(text, wp_whole);
        ::_exit(1);
      } catch (const std::bad_alloc&) {
      }
      if (!global_bufStr[wp_whole].empty() || !global_Wchars[wp_whole].empty()) ::_exit(2);
      if (text.size() != kUnits || text.back() != u'a') ::_exit(3);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << (moved ? "moved" : "copied");
  }
}
#endif

TEST_F(Search_and_do_engineU, WhatIsSoughtIsLoggedAboveLevelOne) {
  ScratchFolder folder("sk_seek_log");
  Logging_utilities_initialization();
  const tool_type savedTool = global_current_tool;
  global_current_tool = tt_concord;
  SetLogFilename(folder.File("shared.log"));
  auto utf16 = [](const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
      out += c;
      out += '\0';
    }
    return out;
  };
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  engine.PrepareFirst(u"the cat sat on the mat, the cat sat on the mat, the end", true, wp_whole, 100, 0,
                      [](TSearchAndDoEngine*, TConcSearchRec&) { return true; });
  const TQMSearchWordRec w = Parsed(u"cat");
  for (Int32 level : {1, 2}) {
    for (bool additional : {true, false}) {
      global_log_level = level;
      engine.SearchAndDoPublic.IsAdditionalEngine = additional;
      engine.SearchAndDo(&w, wp_whole, 0, TTextStatsPositions_rec{});
    }
  }
  global_log_level = 0;
  const std::string log = ReadFileBytes(folder.Path("shared.log"));
  const std::string line = utf16("seeking \r\n\"cat\"\r\nand file begins \"the cat sat on the mat, the cat sat on the mat, th...\"");
  const size_t at = log.find(line);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(log.find(line, at + 1), std::string::npos);  // once: level 2, not the additional engine
  busy_logging = false;
  Logging_utilities_Finalization();
  SetLogFilename(u"");
  global_current_tool = savedTool;
}

TEST_F(Search_and_do_engineU, QuickSearch) {
  TWLSearchAndDo engine(LOCALE_USER_DEFAULT, se_searchword);
  struct Case {
    String word;
    TMSSearchFlags flags;
    String text;
    bool found;
  } cases[] = {
      {u"Cat", {msLeftBounded, msRightBounded}, u"the cat     ", true},
      {u"Cat", {msLeftBounded, msRightBounded}, u"category     ", false},
      {u"Cat", {msLeftBounded}, u"category     ", true},
      {u"Cat", {msCaseIsSensitive, msLeftBounded, msRightBounded}, u"the cat     ", false},
      {u"catalogue", {msLeftBounded, msRightBounded}, u"cat", false},
      // A leading wildcard is a letter or digit, not any character.
      {u"\x1C" u"at", {msLeftBounded, msRightBounded}, u" at     ", false},
      {u"\x1C" u"at", {msLeftBounded, msRightBounded}, u"bat     ", true},
      {u"\x1E" u"at", {msLeftBounded, msRightBounded}, u"bat     ", true},
  };
  for (const Case& c : cases) {
    engine.SetSearchWord(c.word, c.flags);
    engine.SetABuffer(c.text, wp_part);
    EXPECT_EQ(engine.QuickSearchFoundIgnoringTags(wp_part), c.found) << StringToUtf8(c.word) << " in "
                                                                      << StringToUtf8(c.text);
    // The class array is emptied after a run (a buffer shorter than the word is not run).
    if (c.text.size() >= c.word.size()) {
      EXPECT_TRUE(global_Wchars[wp_part].empty());
    }
  }
  engine.SetSearchWord(u"abc", {msCaseIsSensitive});
  EXPECT_EQ(engine.fSearchAndDoPrivate.fsearch_text, u"abc");
  engine.SetSearchWord(u"abc", {});
  EXPECT_EQ(engine.fSearchAndDoPrivate.fsearch_text, u"ABC");
}

TEST_F(Search_and_do_engineU, TheListOfHitsKeepsItsOrder) {
  TSearchFoundList list;
  for (Int32 i = 0; i < 5; ++i) {
    TConcSearchRec rec{};
    rec.exact_hit_char_position_1B = 10 - i;
    list.AddOne(rec);
  }
  list.DoASingleSort([](TObject*) { return 1; }, 0);
  list.DoATrebleSort([](TObject*) { return -1; }, 0, 1, 2);
  for (Int32 i = 0; i < 5; ++i) EXPECT_EQ(list.Holder(i)->fData.exact_hit_char_position_1B, 10 - i);
  EXPECT_EQ(list.Compare(list.Items(0)), 0);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace sk
