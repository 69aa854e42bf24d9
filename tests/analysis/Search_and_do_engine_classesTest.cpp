// The engine's class arrays when several engines share the process-wide
// buffers: freeing an engine empties only what it built, a search never loses
// hits to an array emptied under it, and a large text classified in pieces
// gets the classes it gets whole. The quick word test with words outside the
// Basic Multilingual Plane.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "TestSupport.h"
#include "core/CoreTestSupport.h"
#include "analysis/Base_search_itemsU.h"
#include "analysis/Search_and_do_engineU.h"
#include "analysis/Search_parsing.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"

namespace sk {
namespace {

class Search_and_do_engineClasses : public ::testing::Test {
 protected:
  void TearDown() override {
    for (TWholeOrPart w : {wp_whole, wp_part}) {
      global_bufStr[w].clear();
      global_Wchars[w].clear();
    }
  }
};

// Something done between handing a text to the engine and searching it, from
// the callback of each hit, or from the host's yield hook.
struct SharingCase {
  const char* name;
  std::function<void()> between = nullptr;
  std::function<void()> perHit = nullptr;
  std::function<void()> inYield = nullptr;
};

TEST_F(Search_and_do_engineClasses, EveryHitIsFoundWhateverOtherEnginesDo) {
  const String text = u"the cat and the dog and the bird and the fish";  // "the" 4 times
  const TQMSearchWordRec word = SWFullParsed_SearchWord(TIgnore_tag{}, u"the");
  // A passing word-list check on the part buffer, with its own engine.
  const auto wordListCheck = [] {
    TWLSearchAndDo check(LOCALE_USER_DEFAULT, se_searchword);
    check.SetSearchWord(u"dog", {msLeftBounded, msRightBounded});
    check.SetABuffer(u"a dog     ", wp_part);
    EXPECT_TRUE(check.QuickSearchFoundIgnoringTags(wp_part));
  };
  const SharingCase cases[] = {
      {"nothing", nullptr, nullptr},
      {"a temporary search-word list made and freed",
       [] {
         TSearchWordItems temporary(Global_Blank_ignoreTags, LOCALE_USER_DEFAULT, true, se_searchword);
         temporary.AddSW(u"dog");
       },
       nullptr},
      {"an engine of kind context word made and freed",
       [] { TSearchAndDoEngine passing(LOCALE_USER_DEFAULT, se_contextword); }, nullptr},
      {"a word-list check before the search", wordListCheck, nullptr},
      {"a word-list check at every hit", nullptr, wordListCheck},
      {"the whole text's classes emptied at every hit", nullptr, [] { global_Wchars[wp_whole].clear(); }},
      {"the whole text's classes emptied before the search", [] { global_Wchars[wp_whole].clear(); }, nullptr},
      {"a word-list check from the host's yield", nullptr, nullptr, wordListCheck},
  };
  for (const SharingCase& c : cases) {
    TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
    std::vector<Int32> found;
    engine.PrepareFirst(text, true, wp_whole, static_cast<Int32>(text.size()), 0,
                        [&](TSearchAndDoEngine*, TConcSearchRec& rec) {
                          found.push_back(rec.exact_hit_char_position_1B);
                          if (c.perHit) c.perHit();
                          return true;
                        });
    if (c.between) c.between();
    const TYieldProcessProc previous = Global_YieldProcessProc;
    if (c.inYield) Global_YieldProcessProc = c.inYield;
    EXPECT_TRUE(engine.SearchAndDo(&word, wp_whole, 0, TTextStatsPositions_rec{})) << c.name;
    Global_YieldProcessProc = previous;
    EXPECT_EQ(found, (std::vector<Int32>{1, 13, 25, 38})) << c.name;
    EXPECT_EQ(engine.fSearchAndDoPrivate.fHitsFound[hf_total], 4) << c.name;
  }
}

TEST_F(Search_and_do_engineClasses, AnEngineFreedEmptiesOnlyTheArrayItBuilt) {
  auto first = std::make_unique<TSearchAndDoEngine>(LOCALE_USER_DEFAULT, se_searchword);
  first->SetABuffer(u"abc", wp_whole);
  auto second = std::make_unique<TSearchAndDoEngine>(LOCALE_USER_DEFAULT, se_searchword);
  second->SetABuffer(u"de", wp_part);
  second.reset();  // built only the part buffer's array, which stays
  EXPECT_EQ(global_Wchars[wp_whole].size(), 13u);
  EXPECT_EQ(global_Wchars[wp_part].size(), 12u);
  first.reset();  // built the whole text's
  EXPECT_TRUE(global_Wchars[wp_whole].empty());
  EXPECT_EQ(global_Wchars[wp_part].size(), 12u);

  // The last engine to build an array is the one that empties it.
  TSearchAndDoEngine keeper(LOCALE_USER_DEFAULT, se_searchword);
  {
    TSearchAndDoEngine builder(LOCALE_USER_DEFAULT, se_searchword);
    builder.SetABuffer(u"xyz", wp_whole);
    keeper.SetABuffer(u"uvw", wp_whole);
  }
  EXPECT_EQ(global_Wchars[wp_whole].size(), 13u);
}

TEST_F(Search_and_do_engineClasses, ALargeTextIsClassedAsItIsWhole) {
  // Every kind of unit, surrogate halves and markup-looking text among them,
  // at positions that fall on either side of the pieces' edges.
  const String sample = u"Ab 1.\u00E9\u05D0 $\u2028\U00010428\u0301\t<x>\u200C\uFFFF";
  String text;
  const size_t n = (size_t{5} << 20) + 13;
  text.reserve(n);
  while (text.size() < n) text += sample;
  text.resize(n);
  std::vector<Word> whole(text.size() + 10, 0);
  ParseAString(text, whole);
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  String moved = text;
  engine.SetABuffer(std::move(moved), wp_whole);
  EXPECT_TRUE(global_Wchars[wp_whole] == whole);
  engine.SetABuffer(text, wp_part);
  EXPECT_TRUE(global_Wchars[wp_part] == whole);
}

// Classing a long text yields to the host between pieces; a host that hands
// another text to the buffer, or empties its classes, during a yield has the
// last word: the classes are those of the text the buffer then holds, or
// are built again when the text is searched.
TEST_F(Search_and_do_engineClasses, ClassingALongTextYields) {
  String text;
  while (text.size() < (size_t{1} << 20)) text += u"Lord of hosts, <x> 12.5 \u05D0\u00E9 ";
  std::vector<Word> whole(text.size() + 10, 0);
  ParseAString(text, whole);
  const String other = u"another text";
  std::vector<Word> otherClasses(other.size() + 10, 0);
  ParseAString(other, otherClasses);
  TSearchAndDoEngine another(LOCALE_USER_DEFAULT, se_searchword);
  const struct {
    const char* name;
    std::function<void()> inYield;
    int yields;                        // at least
    const std::vector<Word>* classes;  // nullptr: emptied
  } cases[] = {
      {"nothing", [] {}, 3, &whole},
      {"another text handed over",
       [&] {
         if (global_bufStr[wp_whole] != other) another.SetABuffer(other, wp_whole);
       },
       1, &otherClasses},
      {"the classes emptied", [] { global_Wchars[wp_whole].clear(); }, 1, nullptr},
  };
  const TQMSearchWordRec word = SWFullParsed_SearchWord(TIgnore_tag{}, u"lord");
  for (const auto& c : cases) {
    EveryCheckYields everyCheck;
    TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
    int yields = 0;
    Global_YieldProcessProc = [&] {
      ++yields;
      c.inYield();
    };
    engine.SetABuffer(text, wp_whole);
    Global_YieldProcessProc = nullptr;
    EXPECT_GE(yields, c.yields) << c.name;
    if (c.classes != nullptr) {
      EXPECT_TRUE(global_Wchars[wp_whole] == *c.classes) << c.name;
      continue;
    }
    EXPECT_TRUE(global_Wchars[wp_whole].empty()) << c.name;
    Int32 hits = 0;
    engine.PrepareFirst(text, false, wp_whole, 0, 0, [&hits](TSearchAndDoEngine*, TConcSearchRec&) {
      ++hits;
      return true;
    });
    engine.SearchAndDo(&word, wp_whole, 0, TTextStatsPositions_rec{});
    EXPECT_EQ(global_Wchars[wp_whole], whole);
    EXPECT_EQ(static_cast<size_t>(hits), text.size() / 27) << c.name;
  }
}

TEST_F(Search_and_do_engineClasses, QuickSearchOutsideTheBasicPlane) {
  TWLSearchAndDo engine(LOCALE_USER_DEFAULT, se_searchword);
  const TMSSearchFlags whole = {msLeftBounded, msRightBounded};
  struct Case {
    String word;
    TMSSearchFlags flags;
    String text;
    bool found;
  } cases[] = {
      // Deseret and Adlam, lower and upper case, each finding itself.
      {u"\U00010428\U0001042F", whole, u"a \U00010428\U0001042F b     ", true},
      {u"\U00010400\U00010407", whole, u"a \U00010400\U00010407 b     ", true},
      {u"\U0001E922\U0001E924", whole, u"\U0001E922\U0001E924     ", true},
      {u"\U0001E900\U0001E902", whole, u"\U0001E900\U0001E902     ", true},
      {u"\U00010428\U0001042F", {msCaseIsSensitive, msLeftBounded, msRightBounded}, u"\U00010428\U0001042F ", true},
      // Mixed with letters of the basic plane, which still match in any case.
      {u"x\U00010428y", whole, u"X\U00010428Y     ", true},
      {u"\U00010428", whole, u"\U00010429     ", false},
  };
  for (const Case& c : cases) {
    engine.SetSearchWord(c.word, c.flags);
    engine.SetABuffer(c.text, wp_part);
    EXPECT_EQ(engine.QuickSearchFoundIgnoringTags(wp_part), c.found) << StringToUtf8(c.word);
  }
}

}  // namespace
}  // namespace sk
