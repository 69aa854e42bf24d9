// Tagged-word arrays, search-word notation and the text scanners.
#include <gtest/gtest.h>

#include <vector>

#include "core/Global_vars.h"
#include "core/My_string_functions_notation.h"
#include "core/Stringtag_utils.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

std::vector<TStringTag> Words(std::initializer_list<const char16_t*> words) {
  std::vector<TStringTag> arr;
  for (const char16_t* w : words) AddAStringToStringTagArray(w, arr);
  return arr;
}

TEST(My_string_functions_notationArrays, SequenceSearchTriesOnlyTheFirstStart) {
  const auto whole = Words({u"a", u"x", u"a", u"b"});
  EXPECT_EQ(PosStringTagArrayInOther(whole, Words({u"a", u"b"}), false), -1);
  EXPECT_EQ(PosStringTagArrayInOther(whole, Words({u"x", u"a"}), false), 1);
  EXPECT_EQ(PosStringTagArrayInOther(whole, Words({u"A", u"X"}), false), 0);  // words ignore case
  EXPECT_EQ(PosStringTagArrayInOther(whole, {}, false), -1);
  EXPECT_EQ(PosStringTagArrayInOther(whole, Words({u"b", u"c"}), false), -1);  // runs past the end
  EXPECT_EQ(PosStringTagArrayInOther({}, Words({u"a"}), false), -1);
  EXPECT_EQ(PosStringTagArrayInOther(whole, Words({u"x", u"*"}), true), 1);
  EXPECT_EQ(PosStringTagArrayInOther(whole, Words({u"x", u"*"}), false), -1);
  // Tags must match exactly.
  std::vector<TStringTag> tagged{{u"a", u"<N>", 0}, {u"b", u"<V>", 0}};
  EXPECT_EQ(StringTagPos(TStringTag{u"b", u"<V>", 0}, tagged, false), 1);
  EXPECT_EQ(StringTagPos(TStringTag{u"b", u"<N>", 0}, tagged, false), -1);
  EXPECT_EQ(PosPcharTagArrayInOther(StringTagArrayToPcharTagArray(whole),
                                    StringTagArrayToPcharTagArray(Words({u"x", u"a", u"b"})), false),
            1);
}

TEST(My_string_functions_notationArrays, AsteriskRules) {
  const auto none = Words({u"a", u"b"});
  const auto one = Words({u"a", u"*"});
  const auto two = Words({u"*", u"b", u"*"});
  const auto pcNone = FirstAsteriskPosAndCount(none);
  const auto pcOne = FirstAsteriskPosAndCount(one);
  const auto pcTwo = FirstAsteriskPosAndCount(two);
  EXPECT_EQ(pcNone.position, -1);
  EXPECT_EQ(pcNone.count, 0);
  EXPECT_EQ(pcOne.position, 1);
  EXPECT_EQ(pcOne.count, 1);
  EXPECT_EQ(pcTwo.position, 0);
  EXPECT_EQ(pcTwo.count, 2);
  EXPECT_TRUE(StringTagArrayRuleCheck(two, pcTwo, stm_all_asterisks_allowed));
  EXPECT_FALSE(StringTagArrayRuleCheck(two, pcTwo, stm_one_asterisk_allowed));
  EXPECT_TRUE(StringTagArrayRuleCheck(one, pcOne, stm_one_asterisk_allowed));
  EXPECT_FALSE(StringTagArrayRuleCheck(one, pcOne, stm_no_asterisks_allowed));
  EXPECT_TRUE(StringTagArrayRuleCheck(none, pcNone, stm_no_asterisks_allowed));
  // Two arrays.
  const auto oneAt0 = Words({u"*", u"c"});
  const auto pcOneAt0 = FirstAsteriskPosAndCount(oneAt0);
  EXPECT_TRUE(StringTagArrayRuleCheck(two, two, pcTwo, pcTwo, stm_all_asterisks_allowed));
  EXPECT_TRUE(StringTagArrayRuleCheck(one, one, pcOne, pcOne, stm_one_asterisk_allowed));
  EXPECT_FALSE(StringTagArrayRuleCheck(one, oneAt0, pcOne, pcOneAt0, stm_one_asterisk_allowed));
  EXPECT_TRUE(StringTagArrayRuleCheck(one, none, pcOne, pcNone, stm_one_asterisk_allowed));
  EXPECT_FALSE(StringTagArrayRuleCheck(none, two, pcNone, pcTwo, stm_one_asterisk_allowed));
  EXPECT_FALSE(StringTagArrayRuleCheck(none, one, pcNone, pcOne, stm_no_asterisks_allowed));
  EXPECT_TRUE(StringTagArrayRuleCheck(none, none, pcNone, pcNone, stm_no_asterisks_allowed));
}

TEST(My_string_functions_notationArrays, ConversionsAndText) {
  std::vector<TStringTag> arr{{u"cat", u"<N>", 4}, {u"sat", u"", 0}};
  EXPECT_EQ(StringTagArrayToString(arr, u" "), u"<N>cat sat");
  EXPECT_EQ(StringTagArrayToString({}, u" "), u"");
  const auto pchars = StringTagArrayToPcharTagArray(arr);
  ASSERT_EQ(pchars.size(), 2u);
  EXPECT_NE(pchars[0].wrd.get(), nullptr);
  EXPECT_EQ(PcharTagArrayToString(pchars, u"|"), u"<N>cat|sat");
  auto copy = CopiedPcharTagArrayToPcharTagArray(pchars);
  EXPECT_NE(copy[0].wrd.get(), pchars[0].wrd.get());  // fresh copies
  const auto back = PcharTagArrayToStringTagArray(copy);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].wrd, u"cat");
  EXPECT_EQ(back[0].tag, u"<N>");
  EXPECT_EQ(back[0].tagnum_2B, 4);
  const auto cluster = StringToClusterStringAndTags(u"a  b");
  ASSERT_EQ(cluster.size(), 3u);
  EXPECT_EQ(cluster[1].wrd, u"");
  EXPECT_EQ(cluster[2].wrd, u"b");
  EXPECT_TRUE(StringToClusterStringAndTags(u"").empty());
  const auto pcluster = StringToClusterPcharAndTags(u"x y");
  ASSERT_EQ(pcluster.size(), 2u);
  EXPECT_TRUE(pcluster[1].tag.IsNil());
  EXPECT_EQ(pcluster[1].wrd.ToString(), u"y");
  TConcStringTag conc{{u"(", u"word", u"),"}, u"<J>", 2};
  const TStringTag plain = StringAndTagStrRecToStringAndTag(conc);
  EXPECT_EQ(plain.wrd, u"word");
  EXPECT_EQ(plain.tag, u"<J>");
  EXPECT_EQ(plain.tagnum_2B, 2);
  std::vector<TStringTag> cased{{u"hELLO woRLD", u"<t>", 0}};
  SetCaseStringTagArray(cased, title_case_output);
  EXPECT_EQ(cased[0].wrd, u"Hello world");
  SetCaseStringTagArray(cased, upper_case_output);
  EXPECT_EQ(cased[0].wrd, u"HELLO WORLD");
  EXPECT_EQ(cased[0].tag, u"<t>");
}

TEST(My_string_functions_notationSearchWord, FixedField) {
  const String long85(85, u'q');
  const eightywidechar field = StringToSearch_word(long85);
  EXPECT_EQ(Search_wordToString(field), String(80, u'q'));
  EXPECT_EQ(field[80], 0);
  EXPECT_EQ(Search_wordToString(StringToSearch_word(u"")), u"");
  EXPECT_EQ(Search_wordToString(StringToSearch_word(u"déjà vu")), u"déjà vu");
  // A field filled to the last unit, with no terminator, is still read safely.
  eightywidechar full;
  full.fill(u'z');
  EXPECT_EQ(Search_wordToString(full), String(81, u'z'));
}

TEST(My_string_functions_notationSearchWord, ListsOfTheRecord) {
  TQMSearchWordRec rec;
  ManageAQMSearchWordRec(rec, list_creating);
  ASSERT_NE(rec.variants_found, nullptr);
  rec.variants_found->AddOne(TStringTagFreq{{u"cat", u"", 0}, 1});
  rec.sw_contexts_needed.push_back(TSearchReqStringAndFlags{u"dog", {}});
  TStringTagFreqList* held = rec.variants_found;
  ManageAQMSearchWordRec(rec, list_creating);  // creating again empties, never leaks
  EXPECT_EQ(rec.variants_found, held);
  EXPECT_EQ(rec.variants_found->Count(), 0);
  rec.variants_found->AddOne(TStringTagFreq{{u"cat", u"", 0}, 1});
  ManageAQMSearchWordRec(rec, list_clearing);
  EXPECT_EQ(rec.variants_found->Count(), 0);
  EXPECT_TRUE(rec.sw_contexts_needed.empty());
  ManageAQMSearchWordRec(rec, list_freeing);
  EXPECT_EQ(rec.variants_found, nullptr);
  ManageAQMSearchWordRec(rec, list_freeing);  // twice is harmless
  ManageAQMSearchWordRec(rec, list_clearing);
}

TEST(My_string_functions_notationSearchWord, SmallNotations) {
  EXPECT_EQ(TagWordPrecedenceToStr(tag_before_word), u"<TAG>word");
  EXPECT_EQ(TagWordPrecedenceToStr(tag_after_word), u"word<TAG>");
  EXPECT_EQ(StringToTagWordPrecedence(u"<TAG>word"), tag_before_word);
  EXPECT_EQ(StringToTagWordPrecedence(u"<tag>word"), tag_after_word);
  EXPECT_EQ(StringToTagWordPrecedence(u""), tag_after_word);
  String s = u"a\uF8FFb\uF8FF\uF8FE";
  RemoveAnyPrivateUse(s);
  EXPECT_EQ(s, u"ab\uF8FE");
  const twowidechar two = TwoWideCharFrom(u"abc", 1);
  EXPECT_EQ(two[0], u'b');
  EXPECT_EQ(two[1], u'c');
  EXPECT_EQ(two[2], 0);
  EXPECT_EQ(TwoWideCharFrom(u"abc", 2)[0], 0);
  EXPECT_EQ(TwoWideCharFrom(nullptr, 0)[0], 0);
  EXPECT_EQ(TwoWideCharFrom(u"abc", -1)[0], 0);
}

TEST(My_string_functions_notationSearchWord, IgnoreTagsRoundTrip) {
  const TIgnore_tag a = StringToIgnoreTag(u"<*>,[*]");
  const TIgnore_tag b = StringToIgnoreTag(u"<>, []");
  EXPECT_EQ(a, b);
  EXPECT_EQ(a[tag_on][0], u'<');
  EXPECT_EQ(a[tag_off][0], u'>');
  EXPECT_EQ(a[tag_on][1], u'[');
  EXPECT_EQ(a[tag_off][1], u']');
  EXPECT_EQ(a[tag_on][2], 0);
  EXPECT_EQ(IgnoreTagToString(a), u"<*>,[*]");
  EXPECT_EQ(StringToIgnoreTag(IgnoreTagToString(a)), a);
  const TIgnore_tag zero{};
  EXPECT_EQ(StringToIgnoreTag(u""), zero);
  EXPECT_EQ(StringToIgnoreTag(u"***"), zero);
  EXPECT_EQ(StringToIgnoreTag(u" \t\r\n"), zero);
  EXPECT_EQ(IgnoreTagToString(zero), u"");
  // Seven items: the first five and the last.
  const TIgnore_tag seven = StringToIgnoreTag(u"aA,bB,cC,dD,eE,fF,gG");
  EXPECT_EQ(IgnoreTagToString(seven), u"a*A,b*B,c*C,d*D,e*E,g*G");
  // A comma may itself be a bracket character.
  const TIgnore_tag commas = StringToIgnoreTag(u",*,");
  EXPECT_EQ(commas[tag_on][0], u',');
  EXPECT_EQ(commas[tag_off][0], u',');
  EXPECT_EQ(StringToIgnoreTag(u"x")[tag_off][0], u'x');
  // Six pairs of any printable characters but "*" and "," read back as written.
  TIgnore_tag six{};
  const String opens = u"([{<\u00AB|";
  const String closes = u")]}>\u00BB|";
  for (size_t k = 0; k < 6; ++k) {
    six[tag_on][k] = opens[k];
    six[tag_off][k] = closes[k];
  }
  EXPECT_EQ(IgnoreTagToString(six), u"(*),[*],{*},<*>,\u00AB*\u00BB,|*|");
  EXPECT_EQ(StringToIgnoreTag(IgnoreTagToString(six)), six);
  EXPECT_EQ(StringToTagWordPrecedence(TagWordPrecedenceToStr(tag_before_word)), tag_before_word);
  EXPECT_EQ(StringToTagWordPrecedence(TagWordPrecedenceToStr(tag_after_word)), tag_after_word);
}

// A comma pair among others reads back as written: the reader takes a comma
// that begins an item as the whole item and passes over the separator after it.
TEST(My_string_functions_notation, IgnoreTagsWithACommaPairRoundTrip) {
  const TIgnore_tag read = StringToIgnoreTag(u",[]");
  ASSERT_EQ(read[tag_on][0], u',');
  ASSERT_EQ(read[tag_on][1], u']');
  const String written = IgnoreTagToString(read);
  EXPECT_EQ(StringToIgnoreTag(written), read);
  EXPECT_EQ(IgnoreTagToString(StringToIgnoreTag(written)), written);
  TIgnore_tag pairs{};
  pairs[tag_on] = {u'<', u',', u'['};
  pairs[tag_off] = {u'>', u',', u']'};
  EXPECT_EQ(IgnoreTagToString(pairs), u"<*>,,,[*]");
  EXPECT_EQ(StringToIgnoreTag(IgnoreTagToString(pairs)), pairs);
}

TEST(My_string_functions_notationSearchWord, TokenSections) {
  auto r = StringToConcWordSections(u"(word),");
  EXPECT_EQ(r.pre_str_punct, u"(");
  EXPECT_EQ(r.wd_str, u"word");
  EXPECT_EQ(r.post_str_punct, u"),");
  EXPECT_EQ(ConcWordSectionsToString(r), u"(word),");
  r = StringToConcWordSections(u"...");
  EXPECT_EQ(r.pre_str_punct, u"...");
  EXPECT_EQ(r.wd_str, u"");
  EXPECT_EQ(r.post_str_punct, u"...");
  r = StringToConcWordSections(u"don't");
  EXPECT_EQ(r.pre_str_punct, u"");
  EXPECT_EQ(r.wd_str, u"don't");
  EXPECT_EQ(r.post_str_punct, u"");
  r = StringToConcWordSections(u"");
  EXPECT_TRUE(r.pre_str_punct.empty() && r.wd_str.empty() && r.post_str_punct.empty());
  r = StringToConcWordSections(u"«été»");
  EXPECT_EQ(r.wd_str, u"été");
  EXPECT_EQ(ConcWordSectionsToString(r), u"«été»");
  // Any token with a letter or digit splits and joins back to itself.
  for (const char16_t* token : {u"a", u"'tis", u"--x--", u"3.5%", u"\"Why?!\"", u"(1)", u"x-ray,"})
    EXPECT_EQ(ConcWordSectionsToString(StringToConcWordSections(token)), token);
  r = StringToConcWordSections(u"\"Why?!\"");
  EXPECT_EQ(r.pre_str_punct, u"\"");
  EXPECT_EQ(r.wd_str, u"Why");
  EXPECT_EQ(r.post_str_punct, u"?!\"");
  // Marks (vowel signs, harakat, tone marks, a combining accent) stay with
  // their word: Hindi, Arabic, Thai and a decomposed Latin letter.
  struct Marked {
    const char16_t *token, *pre, *word, *post;
  } marked[] = {
      {u"\u0928\u092e\u0938\u094d\u0924\u0947,", u"", u"\u0928\u092e\u0938\u094d\u0924\u0947", u","},
      {u"\u0915\u093f\u0924\u093e\u092c\u0964", u"", u"\u0915\u093f\u0924\u093e\u092c", u"\u0964"},
      {u"\u00ab\u0643\u064e\u062a\u064e\u0628\u064e\u00bb", u"\u00ab", u"\u0643\u064e\u062a\u064e\u0628\u064e", u"\u00bb"},
      {u"\"\u0e17\u0e35\u0e48\"", u"\"", u"\u0e17\u0e35\u0e48", u"\""},
      {u"cafe\u0301!", u"", u"cafe\u0301", u"!"},
      {u"(\u0301)", u"(", u"\u0301", u")"},
  };
  for (const Marked& m : marked) {
    r = StringToConcWordSections(m.token);
    EXPECT_EQ(r.pre_str_punct, m.pre) << String(m.token).size();
    EXPECT_EQ(r.wd_str, m.word) << String(m.token).size();
    EXPECT_EQ(r.post_str_punct, m.post) << String(m.token).size();
  }
}

TEST(My_string_functions_notationSearchWord, RelationshipNames) {
  EXPECT_EQ(RelationshipAsString(RelatStat_Dice), u"Dice coefficient");
  EXPECT_EQ(RelationshipAsString(RelatStat_MI), u"Specific Mutual Information");
  EXPECT_EQ(RelationshipAsString(RelatStat_MI3), u"MI3");
  EXPECT_EQ(RelationshipAsString(RelatStat_ConditionalProbA), u"Conditional Probability A");
  EXPECT_EQ(RelationshipAsString(RelatStat_DeltaPB), u"DeltaP B");
  const TFormatSettings saved = Global_StringToDateTimeFormat;
  Global_StringToDateTimeFormat = TFormatSettings::Invariant();
  TConcgramChecks checks{};
  EXPECT_EQ(RelationshipRequirements(checks), u"");
  checks.stat_relation_settings[RelatStat_MI] = {true, 3.0f};
  checks.stat_relation_settings[RelatStat_T_Score] = {true, 1234.5f};
  EXPECT_EQ(RelationshipRequirements(checks), u"Specific Mutual Information 3.000,T Score 1,234.500");
  Global_StringToDateTimeFormat = saved;
}

TEST(My_string_functions_notationSearchWord, CapitalisedRequirement) {
  TSearchRequirementRec rec;
  rec.search_str_recs[0].search_str = u"abc";
  rec.search_str_recs[1].search_str = u"ßé";
  rec.string_actual = u"x";
  CapitaliseASearchRequirementRec(rec);
  EXPECT_EQ(rec.search_str_recs[0].search_str, u"ABC");
  EXPECT_EQ(rec.search_str_recs[1].search_str, u"ßÉ");
  EXPECT_EQ(rec.string_actual, u"X");
}

TEST(My_string_functions_notationContext, WordCountingContext) {
  const String text = u"one two, three four five";
  const Int32 pos = 10;  // "three"
  // The left edge stops on the character before the farthest word.
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsOf, text, pos, 1), u" two, three four ");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsOfSearchword, text, pos, 0), u" three ");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsToLeftOf, text, pos, 1), u" two, ");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsToLeftOfSearchword, text, pos, 5), u"one two, ");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsToRightOfSearchword, text, pos, 1), u"three four ");
  // Reaching the end of the text keeps its last character.
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsToRightOf, text, pos, 9), u"three four five");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsToRightOf, u"a bc", 1, 5), u"a bc");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsToRightOf, u"a b.", 1, 1), u"a b.");
  // A word that starts on the text's last character lies beyond n words and
  // stays outside, as any farther word does.
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsToRightOf, u"a b c", 1, 1), u"a b ");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsOf, u"a b c", 3, 0), u" b ");
  // A vowel sign inside or at the end of a word does not end it.
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsToRightOf,
                              u"\u0928\u092e\u0938\u094d\u0924\u0947 \u0926\u0941\u0928\u093f\u092f\u093e \u0914\u0930", 1, 1),
            u"\u0928\u092e\u0938\u094d\u0924\u0947 \u0926\u0941\u0928\u093f\u092f\u093e ");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsOf, u"a b c", 3, 1), u"a b c");
  EXPECT_EQ(NManyWordsContext(ccp_Equals, text, pos, 1), u"");
  EXPECT_EQ(NManyWordsContext(ccp_is_matched, text, pos, 1), u"");
  // Positions and counts out of range give a part of the text, never a fault.
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsOf, text, 1, 0), u"one ");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsOf, u"", 1, 3), u"");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsToRightOf, text, 500, 3), u"");
  EXPECT_EQ(NManyWordsContext(ccp_FoundWithinNWordsToLeftOf, text, -5, 3), u"");
}

// Long texts pair in one pass: each character of the first pairs with a
// distinct equal one of the second while one is left, in any order.
TEST(My_string_functions_notation, LetterMatchesCountsPairsInAnyOrder) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    Int32 pairs;
  } const cases[] = {
      {u"aab", u"baa", 3}, {u"aaa", u"aa", 2},   {u"abcabc", u"cccx", 2},
      {u"xyz", u"abc", 0}, {u"\U0001F600", u"\xDE00", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(LetterMatches(c.a, c.b), c.pairs) << StringToUtf8(c.a);
  const String xs(40000, u'x');
  const String mixed = String(20000, u'y') + String(10000, u'x');
  EXPECT_EQ(LetterMatches(xs, mixed), 10000);
  EXPECT_EQ(LetterMatches(mixed, xs), 10000);
}

TEST(My_string_functions_notationScanners, LetterPairing) {
  EXPECT_EQ(LetterMatches(u"abc", u""), 0);
  EXPECT_EQ(LetterMatches(u"", u"abc"), 0);
  EXPECT_EQ(LetterMatches(u"aa", u"a"), 1);
  EXPECT_EQ(LetterMatches(u"abc", u"cba"), 3);
  EXPECT_EQ(LetterMatches(u"Ab", u"ab"), 1);
  EXPECT_EQ(LetterMatches(u"banana", u"ban"), 3);
}

TEST(My_string_functions_notationScanners, OccurrencesWithContext) {
  EXPECT_EQ(PrecedingContext(u"abcdef", 2, 5), u"cd");
  EXPECT_EQ(PrecedingContext(u"abcdef", 10, 3), u"ab");
  EXPECT_EQ(PrecedingContext(u"abcdef", 0, 3), u"");
  EXPECT_EQ(PrecedingContext(u"abcdef", 3, 1), u"");
  EXPECT_EQ(PrecedingContext(u"abc", 2, 99), u"");
  struct Find {
    String before, sub, after;
    Int32 percent, pos;
  };
  std::vector<Find> finds;
  const String text = u"xcat and a cat";
  const Int32 n = FindAndStudyStringInText(
      text, u"cat",
      [&](const String& b, const String& s, const String& a, Integer pc, Integer p) {
        finds.push_back({b, s, a, pc, p});
        return false;
      },
      4);
  EXPECT_EQ(n, 2);
  ASSERT_EQ(finds.size(), 2u);
  // Near the start the text before stops short of the hit.
  EXPECT_EQ(finds[0].before, u"x");
  EXPECT_EQ(finds[0].after, u" and");
  EXPECT_EQ(finds[0].pos, 2);
  EXPECT_EQ(finds[0].percent, 2 * 100 / 14);
  EXPECT_EQ(finds[1].before, u"d a ");
  EXPECT_EQ(finds[1].after, u"");
  EXPECT_EQ(finds[1].pos, 12);
  // Overlapping occurrences are all found; true stops.
  Int32 calls = 0;
  FindAndStudyStringInText(u"aaaa", u"aa",
                           [&](const String&, const String&, const String&, Integer, Integer) { return ++calls == 2; },
                           1);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(FindAndStudyStringInText(u"", u"a", nullptr, 1), 0);
  EXPECT_EQ(FindAndStudyStringInText(u"abc", u"", nullptr, 1), 0);
}

TEST(My_string_functions_notationScanners, Stretches) {
  std::vector<String> stretches;
  std::vector<String> befores;
  const String text = u"ab<x>cd<yy>e<z";
  FindAndStudyStringInText(
      text, u"<", u">",
      [&](const String& before, const String& stretch, Integer, Integer) {
        befores.push_back(before);
        stretches.push_back(stretch);
        return false;
      },
      2);
  EXPECT_EQ(stretches, (std::vector<String>{u"<x>", u"<yy>"}));
  EXPECT_EQ(befores, (std::vector<String>{u"ab", u"cd"}));
  EXPECT_EQ(NumberOfTagsWithinChunk(u"<a>b<c>d<e>", 1), 2);
  EXPECT_EQ(NumberOfTagsWithinChunk(u"<a>b<c>d<e>", 10), 3);
  EXPECT_EQ(NumberOfTagsWithinChunk(u"no tags < here", 10), 0);
  EXPECT_EQ(NumberOfTagsWithinChunk(u"", 10), 0);
  EXPECT_EQ(FindAndStudyStringInText(u"[a][b", u"[", u"]", 5, nullptr), 1);
}

TEST(My_string_functions_notationScanners, UnclosedTags) {
  const String text = u"<p>one</p><b>two<i>three</i><% x %>";
  EXPECT_EQ(OpenWithoutCloseTagInText(u"", u"", text, false, false, 5, nullptr), u"<b>");
  EXPECT_EQ(OpenWithoutCloseTagInText(u"", u"", u"<p>a</p>", false, false, 5, nullptr), u"");
  EXPECT_EQ(OpenWithoutCloseTagInText(u"", u"", u"<H1>a<br>", false, true, 5, nullptr), u"<H1>");
  EXPECT_EQ(OpenWithoutCloseTagInText(u"", u"", u"<br><H1>a", false, true, 5, nullptr), u"<H1>");
  EXPECT_EQ(OpenWithoutCloseTagInText(u"", u"", u"<%x><q>", true, false, 5, nullptr), u"<q>");
  EXPECT_EQ(OpenWithoutCloseTagInText(u"", u"", u"<%x><q>", false, false, 5, nullptr), u"<%x>");
  // The callback decides; it sees the position and the text before.
  std::vector<Int32> seen;
  const String r = OpenWithoutCloseTagInText(u"", u"", u"ab<x>cd<y>", false, false, 2,
                                             [&](Int32 p, const String& tag, const String& context) {
                                               seen.push_back(p);
                                               return tag == u"<y>" && context == u"cd";
                                             });
  EXPECT_EQ(r, u"<y>");
  EXPECT_EQ(seen, (std::vector<Int32>{3, 8}));
  EXPECT_EQ(OpenWithoutCloseTagInText(u"", u"", u"a < b", false, false, 2, nullptr), u"");
  EXPECT_EQ(OpenWithoutCloseTagInText(u"", u"", u"", false, false, 2, nullptr), u"");
  EXPECT_TRUE(AngleBracketedSubstringInString(u"x<y>"));
  EXPECT_FALSE(AngleBracketedSubstringInString(u"x>y<"));
  EXPECT_FALSE(AngleBracketedSubstringInString(u""));
}

TEST(My_string_functions_notationScanners, UnclosedTagsInALongText) {
  // Many tags, each closed somewhere, and one that is not: found without
  // searching the whole text for every tag.
  String text;
  for (int i = 0; i < 20000; ++i) text += u"<w" + IntToStr(i % 50) + u">x</w" + IntToStr(i % 50) + u">";
  text += u"<lost>";
  EXPECT_EQ(OpenWithoutCloseTagInText(u"", u"", text, false, false, 3, nullptr), u"<lost>");
}

TEST(My_string_functions_notationScanners, SharedPassages) {
  const String common = u"the quick brown fox jumps over the lazy dog";
  const std::vector<String> texts{u"AAA" + common + u"ZZ", u"B" + common + u"YYYY", common + u"X"};
  const auto r = ComputedOverlaps(texts);
  ASSERT_EQ(r.size(), 3u);
  ASSERT_EQ(r[0].size(), 1u);
  ASSERT_EQ(r[1].size(), 1u);
  ASSERT_EQ(r[2].size(), 1u);
  EXPECT_EQ(r[0][0].start, 4);
  EXPECT_EQ(r[1][0].start, 2);
  EXPECT_EQ(r[2][0].start, 1);
  const Int32 len = static_cast<Int32>(common.size());
  EXPECT_EQ(r[0][0].finish, 4 + len);
  EXPECT_EQ(r[1][0].finish, 2 + len);
  EXPECT_EQ(r[2][0].finish, 1 + len);
  // Nothing shared, no texts, or one text only.
  EXPECT_TRUE(ComputedOverlaps({u"abcdefghijklmnopqrstuvwxyz", u"zyxwvutsrqponmlkjihgfedcba"})[0].empty());
  EXPECT_TRUE(ComputedOverlaps({}).empty());
  // A passage that a text holds twice is taken at its first place.
  const String abc = u"abcdefghijklmnopqrstuvwxy";
  const auto twice = ComputedOverlaps({u"--" + abc + u"!", abc + u"##" + abc});
  ASSERT_EQ(twice[0].size(), 1u);
  ASSERT_EQ(twice[1].size(), 1u);
  EXPECT_EQ(twice[0][0].start, 3);
  EXPECT_EQ(twice[0][0].finish, 28);
  EXPECT_EQ(twice[1][0].start, 1);
  EXPECT_EQ(twice[1][0].finish, 26);
  const auto alone = ComputedOverlaps({String(45, u'a')});
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_FALSE(alone[0].empty());
}

}  // namespace
}  // namespace sk
