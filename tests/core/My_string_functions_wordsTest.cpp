// Words, sentences and whole-word rules, and the sentence-punctuation tables.
#include <gtest/gtest.h>

#include <unicode/uchar.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_notation.h"
#include "core/My_string_functions_numbers.h"
#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_words.h"
#include "core/Sentence_terminators.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Locale.h"
#include "core/CoreTestSupport.h"

namespace sk {
namespace {

// ---- tables ----------------------------------------------------------------------

TEST(Sentence_terminators, TerminatorsAndNonEndingMarksAreDisjoint) {
  for (Char c : basic_sent_terminators) EXPECT_TRUE(IsPotentialSentenceTerminator(c));
  for (Char c : other_sent_terminators) EXPECT_TRUE(IsPotentialSentenceTerminator(c)) << int(c);
  for (Char c : punct_not_ending_sent) EXPECT_FALSE(IsPotentialSentenceTerminator(c)) << int(c);
}

TEST(Sentence_terminators, ClassifiesTheListedExamples) {
  EXPECT_TRUE(IsPotentialSentenceTerminator(0x3002));   // ideographic full stop
  EXPECT_FALSE(IsPotentialSentenceTerminator(0x3001));  // ideographic comma
  EXPECT_FALSE(IsPotentialSentenceTerminator(u','));
  EXPECT_TRUE(IsPotentialSentenceTerminator(0x0964));   // danda
  EXPECT_TRUE(IsPotentialSentenceTerminator(0xFF61));   // last entry of the table
  EXPECT_FALSE(IsPotentialSentenceTerminator(0xFF62));
  EXPECT_FALSE(IsPotentialSentenceTerminator(0x0588));  // below the extended range
  EXPECT_FALSE(IsPotentialSentenceTerminator(0));
  // The tables are fixed: marks that newer Unicode versions made sentence
  // terminators are not among them.
  EXPECT_FALSE(IsPotentialSentenceTerminator(0x2E3C));  // stenographic full stop
  EXPECT_FALSE(IsPotentialSentenceTerminator(0x1B7D));  // Balinese panti lantang
  EXPECT_FALSE(IsPotentialSentenceTerminator(0xFF0C));  // fullwidth comma
}

// ---- bounds and predicates ----------------------------------------------------------

TEST(My_string_functions_wordsBounds, WholeWordAtBothEndsOfTheText) {
  EXPECT_TRUE(BoundedWholeWord(u"cat", 1, 3));
  EXPECT_FALSE(BoundedAtLeft(u"cat", 0, 3));
  EXPECT_FALSE(BoundedAtLeft(u"cat", -4, 3));
  EXPECT_FALSE(BoundedAtRight(u"cat", 1, 4));  // finish beyond the text
  EXPECT_FALSE(BoundedAtRight(u"cat", 1, -1));
  EXPECT_FALSE(BoundedAtLeft(u"cat", 6, 6));   // start far beyond the text
  EXPECT_TRUE(BoundedAtLeft(u"", 1, 0));
  EXPECT_TRUE(BoundedAtRight(u"", 1, 0));
}

TEST(My_string_functions_wordsBounds, NeighboursThatAreLettersOrDigitsBindTheWord) {
  EXPECT_FALSE(BoundedWholeWord(u"ab", 2, 2));
  EXPECT_TRUE(BoundedWholeWord(u"a b", 3, 3));
  EXPECT_FALSE(BoundedWholeWord(u"cat9", 1, 3));
  EXPECT_FALSE(BoundedWholeWord(u"\u00E9cat", 2, 4));  // accented letter before
  EXPECT_TRUE(BoundedWholeWord(u"(cat)", 2, 4));
  EXPECT_TRUE(BoundedWholeWord(u"-cat\u3002", 2, 4));
}

TEST(My_string_functions_wordsPredicates, AngleBracketsCountAsLettersOnlyInPairs) {
  EXPECT_FALSE(WordHasNonLetterChar(u"<x>"));
  EXPECT_TRUE(WordHasNonLetterChar(u"<x"));
  EXPECT_TRUE(WordHasNonLetterChar(u"x>"));
  EXPECT_FALSE(WordHasNonLetterChar(u""));
  EXPECT_TRUE(WordHasNonLetterChar(u"ab1"));
  EXPECT_FALSE(WordHasNonLetterChar(u"\u00FCber"));
  EXPECT_TRUE(StringHasUnMatchedAngleBrackets(u"a<b"));
  EXPECT_TRUE(StringHasUnMatchedAngleBrackets(u"a>b"));
  EXPECT_FALSE(StringHasUnMatchedAngleBrackets(u"<b>"));
  EXPECT_FALSE(StringHasUnMatchedAngleBrackets(u""));
}

TEST(My_string_functions_wordsPredicates, CaseDigitsAndCounts) {
  EXPECT_TRUE(IsAllUppercase(u""));
  EXPECT_TRUE(IsAllUppercase(u"ABC 1!"));
  EXPECT_FALSE(IsAllUppercase(u"ABc"));
  EXPECT_FALSE(IsAllUppercase(u"\u00DF"));  // sharp s is lower case
  EXPECT_TRUE(ContainsADigit(u"a\u0663"));  // Arabic-Indic digit three
  EXPECT_FALSE(ContainsADigit(u"abc"));
  EXPECT_TRUE(ContainsAPercent(u"50%"));
  EXPECT_EQ(NCharsInString(u"a,b,,c", u','), 3);
  EXPECT_EQ(NCharsBelowXInString(u"a\tb c", u' '), 1);
  EXPECT_TRUE(FirstLetterIsCapitalised(u"Abc"));
  EXPECT_FALSE(FirstLetterIsCapitalised(u""));
  EXPECT_FALSE(FirstLetterIsCapitalised(u" Abc"));
  EXPECT_TRUE(NextWordCapitalised(u"end. ...Next", 4));
  EXPECT_FALSE(NextWordCapitalised(u"end. next", 4));
  EXPECT_FALSE(NextWordCapitalised(u"end. ", 4));  // nothing after the mark
  EXPECT_FALSE(NextWordCapitalised(u"Abc", 9));
  EXPECT_EQ(FirstLetterOrDigitOfStr(u"  (7x"), 4);
  EXPECT_EQ(FirstLetterOrDigitOfStr(u" .,"), -1);
  EXPECT_EQ(FirstLetterOrDigitOfStr(u""), -1);
}

TEST(My_string_functions_wordsPredicates, CharacterNamesComeFromTheMessageTables) {
  EXPECT_EQ(CharacterName(9), u"<Tab>");
  EXPECT_EQ(CharacterName(10), u"<line-feed>");
  EXPECT_EQ(CharacterName(13), u"<carriage-return>");
  EXPECT_EQ(CharacterName(32), u"space");
  EXPECT_EQ(CharacterName(0), u"control");
  EXPECT_EQ(CharacterName(31), u"control");
  EXPECT_EQ(CharacterName(u'7'), u"number \"7\"");
  EXPECT_EQ(CharacterName(u'x'), u"character \"x\"");
  EXPECT_EQ(CharacterName(0x1F600), u"character \"\U0001F600\"");
}

// ---- sentence ends ---------------------------------------------------------------

TEST(My_string_functions_wordsSentenceEnd, NeedsALetterBeforeAnEnd) {
  EXPECT_EQ(EndOfSentence(1, u"..."), -1);
  EXPECT_EQ(EndOfSentence(1, u"Hi. Yo"), 3);
  EXPECT_EQ(EndOfSentence(4, u"Hi. Yo"), 6);  // the last position ends it
  EXPECT_EQ(EndOfSentence(7, u"Hi. Yo"), -1);
  EXPECT_EQ(EndOfSentence(0, u"Hi. Yo"), 3);
  EXPECT_EQ(EndOfSentence(1, u"Pi is 3.14 here. Yes"), 16);  // not inside the number
  EXPECT_EQ(EndOfSentence(1, u"Wait\u3002 Next"), 5);
  EXPECT_EQ(EndOfSentence(1, u"Wait\u3002Next"), 9);  // a letter right after the mark
  EXPECT_EQ(EndOfSentence(1, u""), -1);
}

TEST(My_string_functions_wordsSentenceEnd, FirstValidStartSkipsLowerCaseStarts) {
  EXPECT_EQ(FirstLetterOrDigitPosAfterSentenceEnd(u"a.  B", 2), 5);
  EXPECT_EQ(FirstLetterOrDigitPosAfterSentenceEnd(u"a...", 2), 4);  // stops at the last position
  EXPECT_TRUE(FirstCharAfterSentenceEndUpperCase(u"ab", 2));
  EXPECT_FALSE(FirstCharAfterSentenceEndUpperCase(u"ab", 0));
  EXPECT_EQ(FirstValidStartOfSentence(u"ok. A cat", 1), 5);
  EXPECT_EQ(FirstValidStartOfSentence(u"no end here", 1), 11);  // the last position ends a sentence
  EXPECT_EQ(FirstValidStartOfSentence(u"A cat", 1), 1);
}

TEST(My_string_functions_wordsSentenceEnd, ZeroTerminatedScan) {
  const Char* t1 = u"Hello. World";
  EXPECT_EQ(NextAutoFoundSentenceEnd(t1), t1 + 6);
  const Char* t2 = u"e.g. this. That";
  EXPECT_EQ(NextAutoFoundSentenceEnd(t2), t2 + 10);
  const Char* t3 = u"v1.2 and nothing";  // a digit right after the dot
  EXPECT_EQ(NextAutoFoundSentenceEnd(t3), t3 + 16);
  const Char* t4 = u"Apples. 5 more";  // a digit later on is a valid start
  EXPECT_EQ(NextAutoFoundSentenceEnd(t4), t4 + 7);
  const Char* empty = u"";
  EXPECT_EQ(NextAutoFoundSentenceEnd(empty), empty);
  EXPECT_EQ(NextAutoFoundSentenceEnd(nullptr), nullptr);
  String longText(400, u'a');
  EXPECT_EQ(NextAutoFoundSentenceEnd(longText.c_str()), longText.c_str() + 250);
  const Char* q = u"x. a";
  EXPECT_FALSE(NextValidNotLowercase(q + 1, q + 4));
  EXPECT_FALSE(NextValidNotLowercase(q + 1, q + 2));  // limit reached at once
}

// ---- sentences of a paragraph -------------------------------------------------------

TEST(My_string_functions_wordsSentences, LetterCountingSplitter) {
  auto list = SentencesExtractedFromParagraph(false, 5, u"The cat sat on the mat. A dog barked loudly. And more");
  EXPECT_EQ(Lines(*list), (std::vector<String>{u"The cat sat on the mat.", u"A dog barked loudly."}));
  list = SentencesExtractedFromParagraph(true, 5, u"The cat sat on the mat. A dog barked loudly. And more");
  EXPECT_EQ(Lines(*list),
            (std::vector<String>{u"The cat sat on the mat.", u"A dog barked loudly.", u"And more"}));
  list = SentencesExtractedFromParagraph(false, 5, u"It costs 3.50 now and then. Next");
  EXPECT_EQ(Lines(*list), (std::vector<String>{u"It costs 3.50 now and then."}));
  list = SentencesExtractedFromParagraph(true, 5, u"");
  EXPECT_EQ(list->Count(), 0);
}

TEST(My_string_functions_wordsSentences, LetterCountingSkipsToTheEndAfterALowerCaseStart) {
  auto list = SentencesExtractedFromParagraph(false, 1, u"Mr.smith went home today. Next one is here.");
  EXPECT_EQ(Lines(*list), (std::vector<String>{u"Mr.", u"Next one is here."}));
}

TEST(My_string_functions_wordsSentences, ShortFirstSentenceAndNumbersStayJoined) {
  auto list = SentencesFromParagraph(u"It costs 3.50 now. Then more text follows here.", u"", 0, 100);
  EXPECT_EQ(Lines(*list), (std::vector<String>{u"It costs 3.50 now. Then more text follows here."}));
}

TEST(My_string_functions_wordsSentences, ClassSplitterKeepsClosingQuotesWithTheSentence) {
  auto list = SentencesFromParagraph(
      u"He said \"this is the first sentence.\" Then he left the building.  ", u"", 0, 100);
  EXPECT_EQ(Lines(*list), (std::vector<String>{u"He said \"this is the first sentence.\"",
                                               u"Then he left the building."}));
}

TEST(My_string_functions_wordsSentences, ClassSplitterPassesOverAbbreviationsAndLowerCaseStarts) {
  auto list = SentencesFromParagraph(
      u"This is e.g. a test of abbreviations here. Another sentence is here?! Yes indeed it is so.", u"", 0,
      100);
  EXPECT_EQ(Lines(*list), (std::vector<String>{u"This is e.g. a test of abbreviations here.",
                                               u"Another sentence is here?!", u"Yes indeed it is so."}));
}

TEST(My_string_functions_wordsSentences, NonTerminatingPunctuationDoesNotCut) {
  // Commas and colons of other scripts never end a sentence, however long the
  // text before them; the ideographic full stop does.
  const String text =
      u"\u3042\u3044\u3046\u3048\u304A\u304B\u304D\u304F\u3051\u3053\u3055\u3057\u3059\u305B\u305D\u305F\u3061"
      u"\u3064\u3066\u3068\u306A\u3001\u306B\u306C\u306D\u306E\u306F\u3002\u307E\u307F\u3080\u3081\u3082";
  auto list = SentencesFromParagraph(text, u"", 0, 100);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Strings(0), text.substr(0, 28));
  EXPECT_EQ(list->Strings(1), text.substr(28));

  const String arabic = u"\u0647\u0630\u0627 \u0646\u0635 \u0637\u0648\u064A\u0644 \u062C\u062F\u0627 "
                        u"\u0644\u0644\u062A\u062C\u0631\u0628\u0629\u060C \u0648\u0647\u0630\u0627 "
                        u"\u062A\u0643\u0645\u0644\u0629";
  EXPECT_EQ(SentencesFromParagraph(arabic, u"", 0, 100)->Count(), 1);
}

TEST(My_string_functions_wordsSentences, TagsUpToTheMaximumReadAsPunctuation) {
  const String text = u"This sentence is long enough.<br>Another sentence follows it here.";
  auto masked = SentencesFromParagraph(text, u"", 0, 10);
  EXPECT_EQ(Lines(*masked),
            (std::vector<String>{u"This sentence is long enough.<br>", u"Another sentence follows it here."}));
  auto unmasked = SentencesFromParagraph(text, u"", 0, 1);  // the tag is too long to be one
  EXPECT_EQ(Lines(*unmasked), (std::vector<String>{text}));
  // A stray "<" with no ">" and a zero maximum neither hang nor lose text.
  auto stray = SentencesFromParagraph(u"a < b is true for these numbers. And < that is all here", u"", 0, 0);
  EXPECT_EQ(stray->Count(), 2);
}

TEST(My_string_functions_wordsSentences, CuttingAtASeparatorDropsTheFollowingCharacter) {
  EXPECT_EQ(Lines(*SentencesFromParagraph(u"a. b. c", u". ", 0, 0)), (std::vector<String>{u"a"}));
  EXPECT_EQ(Lines(*SentencesFromParagraph(u"First. Second. Third", u".", 0, 0)),
            (std::vector<String>{u"First", u"Second", u"Third"}));
  EXPECT_EQ(SentencesFromParagraph(u"", u".", 0, 0)->Count(), 0);
  EXPECT_EQ(SentencesFromParagraph(u"...", u".", 0, 0)->Count(), 0);
}

// ---- counting ---------------------------------------------------------------------

TEST(My_string_functions_wordsCounting, WordCountsAtBothEnds) {
  EXPECT_EQ(BasicWordCount(u""), 0);
  EXPECT_EQ(BasicWordCount(u"word"), 1);
  EXPECT_EQ(BasicWordCount(u"one, two;three"), 3);
  EXPECT_EQ(BasicWordCount(u"  x  "), 1);
  EXPECT_EQ(BasicWordCount(u"na\u00EFve caf\u00E9 2024"), 3);
  EXPECT_EQ(BasicWordCount(u"...!"), 0);
  // Marks stay inside their words: Hindi, Arabic, Thai, decomposed Latin.
  EXPECT_EQ(BasicWordCount(u"\u0928\u092e\u0938\u094d\u0924\u0947 \u0926\u0941\u0928\u093f\u092f\u093e"), 2);
  EXPECT_EQ(BasicWordCount(u"\u0643\u064e\u062a\u064e\u0628\u064e \u0627\u0644\u0648\u064e\u0644\u064e\u062f\u064f"), 2);
  EXPECT_EQ(BasicWordCount(u"\u0e17\u0e35\u0e48 cafe\u0301 ok"), 3);
  EXPECT_EQ(WordsInCluster(u""), 1);
  EXPECT_EQ(WordsInCluster(u"a b c"), 3);
}

TEST(My_string_functions_wordsCounting, BeginningOfSameLine) {
  EXPECT_EQ(BeginningOfSameLine(u"abc", 2), -1);
  EXPECT_EQ(BeginningOfSameLine(u"a\r\nb", 4), 3);
  EXPECT_EQ(BeginningOfSameLine(u"a\r\nb", 2), 2);
  EXPECT_EQ(BeginningOfSameLine(u"a\r\nb", 0), -1);
  EXPECT_EQ(BeginningOfSameLine(u"ab\n", 10), 3);  // a position past the end is clamped
}

// ---- word and n-gram lists ----------------------------------------------------------------

TEST(My_string_functions_wordsLists, SortedWordListMergesCaseVariants) {
  YieldCounter yields;
  auto list = SimpleWordListOfTxt(u"the cat The dog, the end", 3, false);
  ASSERT_EQ(list->Count(), 4);
  EXPECT_EQ(list->IndexOf(u"cat"), 0);
  const Int32 the = list->IndexOf(u"THE");
  ASSERT_GE(the, 0);
  EXPECT_EQ(list->GetOne(the), 3);
  EXPECT_LE(yields.calls, 1);  // a short text: by time, not once per character
  auto big = SimpleWordListOfTxt(LongWordText(200000), 1, false);
  ASSERT_EQ(big->Count(), 1);
  EXPECT_EQ(big->GetOne(0), 40000);
  EXPECT_GE(yields.calls, 1);
  EXPECT_LE(yields.calls, yields.AtMostByTime());
  auto byFreq = SimpleWordListOfTxt(u"b a b c b a", 1, true);
  EXPECT_EQ(byFreq->Strings(0), u"b");
  EXPECT_EQ(byFreq->GetOne(0), 3);
  EXPECT_EQ(SimpleWordListOfTxt(u"a bb ccc", 3, false)->Count(), 1);
  EXPECT_EQ(SimpleWordListOfTxt(u"", 1, false)->Count(), 0);
}

// Case variants merge; full-width and katakana spellings are other words.
TEST(My_string_functions_wordsLists, WidthAndKanaVariantsAreDistinctWords) {
  const String text = u"dog \uFF44\uFF4F\uFF47 DOG \u3072\u3089\u304C\u306A \u30D2\u30E9\u30AC\u30CA";
  auto list = SimpleWordListOfTxt(text, 1, false);
  ASSERT_EQ(list->Count(), 4);
  EXPECT_EQ(list->GetOne(list->IndexOf(u"dog")), 2);
  EXPECT_EQ(list->GetOne(list->IndexOf(u"\uFF44\uFF4F\uFF47")), 1);
  EXPECT_EQ(list->GetOne(list->IndexOf(u"\u3072\u3089\u304C\u306A")), 1);
  EXPECT_EQ(list->GetOne(list->IndexOf(u"\u30D2\u30E9\u30AC\u30CA")), 1);
}

// The frequency order of a word list is descending whatever the sort flag
// was, and building the list leaves the flag as it found it: a later sort that
// takes its direction from the flag must not turn round.
TEST(My_string_functions_wordsLists, FrequencyOrderLeavesTheSortFlagAsItWas) {
  ScopedHandOverVariables handOver;
  const String text = u"b a b c b a";
  const std::vector<std::function<std::unique_ptr<TStringlistWithALongint>()>> builders = {
      [&] { return SimpleWordListOfTxt(text, 1, true); },
      [&] { return SimpleWordListOfTxt(text, TAcceptWordFunc(), true); },
      [&] { return SimpleNGramListOfTxt(text, 1, 100, true, nullptr); },
  };
  for (bool before : {false, true}) {
    for (size_t k = 0; k < builders.size(); ++k) {
      SCOPED_TRACE(testing::Message() << "builder " << k << ", flag " << before);
      global_reversed_sort = before;
      auto list = builders[k]();
      EXPECT_EQ(global_reversed_sort, before);
      ASSERT_EQ(list->Count(), 3);
      EXPECT_EQ(list->Strings(0), u"b");
      EXPECT_EQ(list->GetOne(0), 3);
      EXPECT_EQ(list->GetOne(2), 1);
    }
  }
}

TEST(My_string_functions_wordsLists, AcceptedWordsInOrderOfAppearance) {
  auto list = SimpleWordListOfTxt(
      u"cow cat Cat dog cat", [](const String& w) { return !w.empty() && (w[0] == u'c' || w[0] == u'C'); },
      false);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Strings(0), u"cow");
  EXPECT_EQ(list->Strings(1), u"cat");
  EXPECT_EQ(list->GetOne(1), 3);
  auto all = SimpleWordListOfTxt(u"x y x", TAcceptWordFunc(), true);
  EXPECT_EQ(all->Strings(0), u"x");
  EXPECT_EQ(all->GetOne(0), 2);
}

TEST(My_string_functions_wordsLists, NGramsSlideOverSpacesAndCommasOnly) {
  auto grams = SimpleNGramListOfTxt(u"a b c a b", 2, 100, false, nullptr);
  EXPECT_EQ(Lines(*grams), (std::vector<String>{u"a b", u"b c", u"c a"}));
  EXPECT_EQ(grams->GetOne(0), 2);  // the last word counts without a following space

  auto stopped = SimpleNGramListOfTxt(u"a b. c d", 2, 100, false, nullptr);
  EXPECT_EQ(Lines(*stopped), (std::vector<String>{u"a b", u"c d"}));
  auto comma = SimpleNGramListOfTxt(u"a b, c", 2, 100, false, nullptr);
  EXPECT_EQ(Lines(*comma), (std::vector<String>{u"a b", u"b c"}));
}

// Bigrams and trigrams are the runs of neighbouring words, a word's marks and
// modifier letters inside it: Hindi, Arabic with harakat, Thai, Vietnamese
// composed and decomposed, English.
TEST(My_string_functions_wordsLists, NGramsKeepAWordsMarksAndModifierLetters) {
  for (const String text : {
           u"\u0928\u092E\u0938\u094D\u0924\u0947 \u0926\u0941\u0928\u093F\u092F\u093E \u092F\u0939 \u090F\u0915 "
           u"\u0928\u092E\u0938\u094D\u0924\u0947 \u0926\u0941\u0928\u093F\u092F\u093E \u0939\u0948",
           u"\u0643\u064E\u062A\u064E\u0628\u064E \u0627\u0644\u0648\u064E\u0644\u064E\u062F\u064F \u0627\u0644\u062F"
           u"\u064E\u0651\u0631\u0652\u0633\u064E \u0627\u0644\u0648\u064E\u0644\u064E\u062F\u064F \u0646\u064E\u0627\u0645\u064E",
           u"\u0E40\u0E14\u0E47\u0E01\u0E46 \u0E01\u0E34\u0E19 \u0E02\u0E49\u0E32\u0E27 \u0E40\u0E14\u0E47\u0E01\u0E46 "
           u"\u0E01\u0E34\u0E19 \u0E19\u0E49\u0E33",
           u"Ti\u1EBFng Vi\u1EC7t c\u1EE7a t\u00F4i Ti\u1EBFng Vi\u1EC7t c\u1EE7a b\u1EA1n",
           u"Tie\u0302\u0301ng Vie\u0323\u0302t cu\u0309a to\u0302i Tie\u0302\u0301ng Vie\u0323\u0302t cu\u0309a ba\u0323n",
           u"the cat sat on the mat the cat ran"}) {
    std::vector<String> words;
    for (size_t a = 0, b; a <= text.size(); a = b + 1)
      words.push_back(text.substr(a, (b = std::min(text.find(u' ', a), text.size())) - a));
    for (size_t n : {2u, 3u}) {
      std::map<String, Int32> expected, got;
      for (size_t k = 0; k + n <= words.size(); ++k) {
        String gram = words[k];
        for (size_t j = 1; j < n; ++j) gram += u" " + words[k + j];
        ++expected[gram];
      }
      auto grams = SimpleNGramListOfTxt(text, static_cast<Int32>(n), 100, false, nullptr);
      for (Int32 k = 0; k < grams->Count(); ++k) got[grams->Strings(k)] = grams->GetOne(k);
      EXPECT_EQ(got, expected) << StringToUtf8(text) << " n=" << n;
    }
  }
}

TEST(My_string_functions_wordsLists, NGramsTreatLineEndsAsSpacesAndSkipTags) {
  auto lines = SimpleNGramListOfTxt(u"a b\r\nc d", 2, 100, false, nullptr);
  EXPECT_EQ(Lines(*lines), (std::vector<String>{u"a b", u"b c", u"c d"}));
  auto tags = SimpleNGramListOfTxt(u"wo<i>rd x <b>y", 2, 100, false, nullptr);
  EXPECT_EQ(Lines(*tags), (std::vector<String>{u"word x", u"x y"}));
  // A stray "<" skips only up to the next space; with no tags at all it is a symbol.
  auto stray = SimpleNGramListOfTxt(u"x<y z", 2, 5, false, nullptr);
  EXPECT_EQ(Lines(*stray), (std::vector<String>{u"x z"}));
  auto noTags = SimpleNGramListOfTxt(u"x<y z", 2, 0, false, nullptr);
  EXPECT_EQ(Lines(*noTags), (std::vector<String>{u"x y", u"y z"}));
  auto unigrams = SimpleNGramListOfTxt(u"x y x", 1, 100, true, nullptr);
  EXPECT_EQ(unigrams->Strings(0), u"x");
  EXPECT_EQ(unigrams->GetOne(0), 2);
  EXPECT_EQ(SimpleNGramListOfTxt(u"a b c", 0, 100, false, nullptr)->Count(), 0);
  EXPECT_EQ(SimpleNGramListOfTxt(u"", 2, 100, false, nullptr)->Count(), 0);
  EXPECT_EQ(SimpleNGramListOfTxt(u"one", 2, 100, false, nullptr)->Count(), 0);
}

TEST(My_string_functions_wordsLists, NGramTagsLongerThanTheMaximumSkipToTheNextSpace) {
  // Within the maximum the tag is passed over and the word after it counts.
  auto shortTag = SimpleNGramListOfTxt(u"x <ab>c y", 2, 100, false, nullptr);
  EXPECT_EQ(Lines(*shortTag), (std::vector<String>{u"c y", u"x c"}));
  // Beyond it, everything up to the next space goes.
  auto longTag = SimpleNGramListOfTxt(u"x <ab>c y", 2, 2, false, nullptr);
  EXPECT_EQ(Lines(*longTag), (std::vector<String>{u"x y"}));
  // The ">" of a later tag does not close an earlier "<" that lies too far back.
  auto mixed = SimpleNGramListOfTxt(u"a <bbbbbbbb c <d> e", 2, 3, false, nullptr);
  EXPECT_EQ(Lines(*mixed), (std::vector<String>{u"a c", u"c e"}));
  // Many "<" without any ">" and an unlimited maximum.
  String stray;
  for (int i = 0; i < 2000; ++i) stray += u"<w w ";
  auto many = SimpleNGramListOfTxt(stray, 2, 0x7FFFFFFF, false, nullptr);
  ASSERT_EQ(many->Count(), 1);
  EXPECT_EQ(many->Strings(0), u"w w");
  EXPECT_EQ(many->GetOne(0), 1999);
}

TEST(My_string_functions_wordsLists, ListsOfManyDistinctWordsStaySortedAndFindable) {
  // Words in an order far from the sorted one, with case variants of some.
  std::vector<String> words;
  String text;
  for (int i = 0; i < 3000; ++i) {
    String w = u"w";
    for (int v = (i * 7919) % 3000;; v /= 26) {
      w.push_back(static_cast<Char>(u'a' + v % 26));
      if (v < 26) break;
    }
    words.push_back(w);
    text += w + u" ";
    if (i % 3 == 0) text += AnsiUpperCase(w) + u" ";
  }
  auto list = SimpleWordListOfTxt(text, 1, false);
  ASSERT_EQ(list->Count(), 3000);
  EXPECT_TRUE(list->Sorted());
  for (Int32 k = 1; k < list->Count(); ++k)
    ASSERT_LT(list->CompareStrings(list->Strings(k - 1), list->Strings(k)), 0) << k;
  for (int i = 0; i < 3000; ++i) {
    Int32 index = -1;
    ASSERT_TRUE(list->Find(words[static_cast<size_t>(i)], index)) << i;
    EXPECT_EQ(list->Strings(index), words[static_cast<size_t>(i)]);  // the first spelling met
    EXPECT_EQ(list->GetOne(index), i % 3 == 0 ? 2 : 1);
  }
  // The list goes on counting as a sorted list does.
  list->AddOrIncByOne(AnsiUpperCase(words[1]));
  EXPECT_EQ(list->Count(), 3000);
}

TEST(My_string_functions_wordsLists, NGramProgressRisesToAHundred) {
  std::vector<Int32> seen;
  auto grams = SimpleNGramListOfTxt(u"a b c d e f", 2, 100, false, [&](Int32 p) { seen.push_back(p); });
  ASSERT_EQ(static_cast<Int32>(seen.size()), grams->Count());
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i - 1], seen[i]);
  EXPECT_GE(seen.front(), 0);
  EXPECT_LE(seen.back(), 100);
}

TEST(My_string_functions_wordsLists, BagOfWordsFindsTheFirstDifferingWord) {
  auto same = BagOfWordsSimilar(u"the cat sat", u"The Cat sat", 0, 1, 1);
  EXPECT_TRUE(same.s.empty());
  auto diff = BagOfWordsSimilar(u"cat cat cat dog bird", u"cat dog", 1, 1, 1);
  EXPECT_EQ(diff.s, u"CAT");
  EXPECT_EQ(diff.int1, 3);
  EXPECT_EQ(diff.int2, 1);
  // When textB has more distinct words it is walked; frequencies stay in text order.
  auto fromB = BagOfWordsSimilar(u"dog", u"cat cat cat dog bird", 2, 1, 1);
  EXPECT_EQ(fromB.s, u"CAT");
  EXPECT_EQ(fromB.int1, 0);
  EXPECT_EQ(fromB.int2, 3);
  EXPECT_TRUE(BagOfWordsSimilar(u"a a a", u"b", 5, 1, 1).s.empty());
}

// The counter hashes views of the text: its list must be the one that adding
// each word in turn to a sorted frequency list gives (the first spelling of
// each line kept, case and accent variants that the list takes for one line
// counted together), for every minimum length.
TEST(MyStringFunctionsWordsLists, WordListAsAddingEachWordInTurn) {
  SetUserDefaultLocale("en_US");
  const String words[] = {u"the", u"The", u"THE", u"\u00e9t\u00e9", u"\u00c9T\u00c9", u"ete", u"a", u"A",
                          u"lord", u"Lord", u"LORD", u"lordship", u"x1", u"X1", u"r\u00e9sum\u00e9",
                          u"resume", u"\U00010428", u"\U00010400", u"abcdefghijklmnopq", u"ABCDEFGHIJKLMNOPQ"};
  const String gaps[] = {u" ", u", ", u"\r\n", u"-", u"  ", u"."};
  Cardinal seed = 99;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  String text;
  for (int k = 0; k < 3000; ++k) {
    text += words[next() % (sizeof words / sizeof words[0])];
    text += gaps[next() % (sizeof gaps / sizeof gaps[0])];
  }
  for (Int32 minLength : {1, 3, 5}) {
    TStringlistWithALongint want;
    want.SetSorted(true);
    size_t i = 0;
    while (i < text.size()) {
      size_t start = i;
      while (i < text.size() && (u_isalnum(static_cast<UChar32>(CodePointOfUnitAt(text, i))) != 0)) ++i;
      if (i > start && static_cast<Int32>(i - start) >= minLength) {
        const String w = text.substr(start, i - start);
        const Int32 at = want.IndexOf(w);
        if (at >= 0)
          want.SetOne(at, want.GetOne(at) + 1);
        else
          want.AddOne(w, 1);
      }
      if (i == start) ++i;
    }
    auto got = SimpleWordListOfTxt(text, minLength, false);
    ASSERT_EQ(got->Count(), want.Count()) << minLength;
    for (Int32 k = 0; k < want.Count(); ++k) {
      EXPECT_EQ(got->Strings(k), want.Strings(k)) << minLength << " line " << k;
      EXPECT_EQ(got->GetOne(k), want.GetOne(k)) << minLength << " line " << k;
    }
  }
}

}  // namespace
}  // namespace sk

// ---- characters outside the Basic Multilingual Plane ------------------------------

namespace sk {
namespace {

// The list's lines in code-unit order, joined by "|".
String Joined(const TStringlistWithALongint& list) {
  std::vector<String> lines;
  for (Int32 i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  std::sort(lines.begin(), lines.end());
  String out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? u"|" : u"") + lines[i];
  return out;
}

// A CJK ideograph, a mathematical letter, Gothic letters and a Deseret letter
// are letters: a surrogate pair is one character, never a word break, and
// positions stay in UTF-16 units.
TEST(My_string_functions_words, LettersOutsideTheBmpAreLetters) {
  const String text = u"𠮷野家 𝐀bc x𐌰𐌱y";
  EXPECT_EQ(BasicWordCount(text), 3);
  EXPECT_EQ(BasicWordCount(u"𐐨 𞤢"), 2);  // Deseret and Adlam small letters
  auto words = SimpleWordListOfTxt(text, 1, false);
  EXPECT_EQ(Joined(*words), u"x𐌰𐌱y|𝐀bc|𠮷野家");
  auto grams = SimpleNGramListOfTxt(text, 1, 100, false, nullptr);
  EXPECT_EQ(Joined(*grams), Joined(*words));
  auto pairs = SimpleNGramListOfTxt(text, 2, 100, false, nullptr);
  EXPECT_EQ(Joined(*pairs), u"𝐀bc x𐌰𐌱y|𠮷野家 𝐀bc");

  // Whole-word tests and the class array see the pair as its letter.
  std::vector<Word> classes(text.size());
  ParseAString(text, classes);
  EXPECT_EQ(classes[0], wchar_class_letter);
  EXPECT_EQ(classes[1], wchar_class_letter);
  EXPECT_EQ(classes[12], wchar_class_letter);  // the first Gothic letter's low half
  EXPECT_FALSE(IsBoundedOnLeft(text, 2));
  EXPECT_FALSE(IsBoundedOnRight(text, 13));
  EXPECT_TRUE(ContainsAlphanumCharacter(u"𝐀"));
  const String lone = u"a\xD800 b\xDC00";
  ParseAString(lone, classes);
  EXPECT_EQ(classes[1], wchar_class_other);
  EXPECT_EQ(classes[4], wchar_class_other);

  EXPECT_FALSE(IsAllUppercase(u"ABC𐐨"));  // a Deseret small letter
  EXPECT_TRUE(ContainsADigit(u"x𝟘"));       // mathematical digit zero
  EXPECT_EQ(FirstLetterOrDigitOfStr(u"..𐌰"), 3);
  EXPECT_FALSE(WordHasNonLetterChar(u"x𐌰𐌱y"));
  const TConcWordSectionsRec sections = StringToConcWordSections(u"(𐌰𐌱)");
  EXPECT_EQ(sections.wd_str, u"𐌰𐌱");
  EXPECT_EQ(sections.pre_str_punct, u"(");
  Int32 count = 0;
  EXPECT_EQ(ReplaceWholeWord(u"ab𐌰 ab", u"ab", u"X", true, count), u"ab𐌰 X");
  EXPECT_EQ(count, 1);
}

}  // namespace
}  // namespace sk
