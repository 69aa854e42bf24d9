#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cmath>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/runtime/Encoding.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/TieredVector.h"
#include "TestSupport.h"
#include "platform/EditPlaces.h"

namespace sk {

namespace {

class StringListTestBase : public ::testing::Test {
 protected:
  void SetUp() override { SetUserDefaultLocale("en_US"); }
};

void Fill(TStrings& l, std::initializer_list<const char16_t*> items) {
  for (const char16_t* s : items) l.Add(s);
}

// Counts how many of its kind are alive, so tests can see objects freed.
struct Counted : TObject {
  static inline int alive = 0;
  Counted() { ++alive; }
  ~Counted() override { --alive; }
};

}  // namespace

using StringListSort = StringListTestBase;
using StringListFind = StringListTestBase;
using StringListText = StringListTestBase;
using StringListDelimited = StringListTestBase;
using StringListNames = StringListTestBase;
using StringListObjects = StringListTestBase;
using StringListEdit = StringListTestBase;
using StringListEncoding = StringListTestBase;
using StringListHooks = StringListTestBase;

// ---- sorting --------------------------------------------------------------------

TEST_F(StringListSort, DefaultIgnoresCase) {
  TStringList l;
  Fill(l, {u"b", u"A", u"c", u"a", u"B"});
  l.Sort();
  auto v = Lines(l);
  ASSERT_EQ(v.size(), 5u);
  EXPECT_TRUE(AnsiSameText(v[0], u"a") && AnsiSameText(v[1], u"a"));
  EXPECT_TRUE(AnsiSameText(v[2], u"b") && AnsiSameText(v[3], u"b"));
  EXPECT_EQ(v[4], u"c");
}

TEST_F(StringListSort, CaseSensitivePutsLowerCaseFirst) {
  TStringList l;
  l.SetCaseSensitive(true);
  Fill(l, {u"B", u"a", u"b", u"A"});
  l.SetSorted(true);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"A", u"b", u"B"}));
}

TEST_F(StringListSort, SortedListRejectsInsertPutAndMove) {
  TStringList l;
  Fill(l, {u"b", u"a"});
  l.SetSorted(true);
  try {
    l.Insert(0, u"z");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"Operation not allowed on sorted list");
  }
  EXPECT_THROW(l.Put(0, u"z"), EStringListError);
  EXPECT_THROW(l.Move(0, 1), EStringListError);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b"}));
}

TEST_F(StringListSort, DuplicatesOnASortedList) {
  TStringList ignore;
  ignore.SetSorted(true);
  EXPECT_EQ(ignore.Add(u"m"), 0);
  EXPECT_EQ(ignore.Add(u"a"), 0);
  EXPECT_EQ(ignore.Add(u"M"), 1);  // equal ignoring case: the existing line's index
  EXPECT_EQ(ignore.Count(), 2);

  TStringList error;
  error.SetSorted(true);
  error.SetDuplicates(dupError);
  error.Add(u"x");
  try {
    error.Add(u"X");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"String list does not allow duplicates");
  }
  EXPECT_EQ(error.Count(), 1);

  TStringList accept;
  accept.SetSorted(true);
  accept.SetDuplicates(dupAccept);
  Fill(accept, {u"b", u"a", u"b", u"c", u"b"});
  EXPECT_EQ(Lines(accept), (std::vector<String>{u"a", u"b", u"b", u"b", u"c"}));
}

TEST_F(StringListSort, CustomSortWithPointerAndClosure) {
  TStringList l;
  Fill(l, {u"ccc", u"a", u"bb"});
  l.CustomSort([](TStringList* list, Int32 i, Int32 j) -> Int32 {
    return static_cast<Int32>(list->Get(j).size()) - static_cast<Int32>(list->Get(i).size());
  });
  EXPECT_EQ(Lines(l), (std::vector<String>{u"ccc", u"bb", u"a"}));
  int calls = 0;
  l.CustomSort([&calls](TStringList* list, Int32 i, Int32 j) -> Int32 {
    ++calls;
    return static_cast<Int32>(list->Get(i).size()) - static_cast<Int32>(list->Get(j).size());
  });
  EXPECT_GT(calls, 0);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"bb", u"ccc"}));
}

TEST_F(StringListSort, CustomSortLeavesASortedListAlone) {
  TStringList l;
  Fill(l, {u"b", u"a", u"c"});
  l.SetSorted(true);
  l.CustomSort([](TStringList*, Int32 i, Int32 j) -> Int32 { return j - i; });
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b", u"c"}));
}

TEST_F(StringListSort, InconsistentComparerKeepsEveryLine) {
  TStringList l;
  for (int i = 0; i < 500; ++i) l.Add(Utf8ToString(std::to_string(i)));
  l.CustomSort([](TStringList*, Int32, Int32) -> Int32 { return -1; });
  EXPECT_EQ(l.Count(), 500);
  l.SetSorted(true);
  for (int i = 0; i < 500; ++i) EXPECT_GE(l.IndexOf(Utf8ToString(std::to_string(i))), 0);
}

// Installs a check point for every sort while it lives: it counts its calls
// and, from call stopAt on (0: never), ends the sort.
class ScopedSortCheckPoints {
 public:
  // With onCall, the check point does what a host may do in a yield: onCall
  // runs at the call numbered atCall.
  explicit ScopedSortCheckPoints(int stopAt = 0, std::function<void()> onCall = {}, int atCall = 0)
      : fSaved(SetSortCheckPointMaker(&Make)), fOnCall(std::move(onCall)), fAtCall(atCall) {
    current = this;
    fStopAt = stopAt;
  }
  ~ScopedSortCheckPoints() {
    SetSortCheckPointMaker(fSaved);
    current = nullptr;
  }
  ScopedSortCheckPoints(const ScopedSortCheckPoints&) = delete;
  ScopedSortCheckPoints& operator=(const ScopedSortCheckPoints&) = delete;
  int calls = 0;

 private:
  static TSortCheckPoint Make() {
    return [] {
      ScopedSortCheckPoints* s = current;
      ++s->calls;
      if (s->fOnCall && s->calls == s->fAtCall) s->fOnCall();
      return s->fStopAt > 0 && s->calls >= s->fStopAt;
    };
  }
  static inline ScopedSortCheckPoints* current = nullptr;
  TSortCheckPointMaker fSaved;
  std::function<void()> fOnCall;
  int fAtCall = 0;
  int fStopAt = 0;
};

Int32 ByLengthThenText(TStringList* list, Int32 i, Int32 j) {
  const String a = list->Get(i), b = list->Get(j);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

TEST_F(StringListSort, LongSortsAskTheirCheckPointAndStopWithEveryLine) {
  // The list's own order, a comparer function and a closure; random lines,
  // enough of them for many check points.
  const std::vector<std::pair<const char*, std::function<void(TStringList&)>>> sorts = {
      {"Sort", [](TStringList& l) { l.Sort(); }},
      {"CustomSort", [](TStringList& l) { l.CustomSort(&ByLengthThenText); }},
      {"closure", [](TStringList& l) { l.CustomSort([](TStringList* x, Int32 i, Int32 j) { return ByLengthThenText(x, j, i); }); }},
  };
  std::mt19937 rng(5);
  TStringList random;
  for (int i = 0; i < 3000; ++i) {
    String s;
    for (size_t k = 1 + rng() % 12; k > 0; --k) s += static_cast<Char>((rng() % 4 == 0 ? u'A' : u'a') + rng() % 26);
    random.Add(s);
  }
  auto sortedCopy = [](std::vector<String> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  for (const auto& [name, sort] : sorts) {
    SCOPED_TRACE(name);
    TStringList plain, checked;
    plain.Assign(random);
    checked.Assign(random);
    sort(plain);  // no check point: the order the sort has always given
    {
      ScopedSortCheckPoints points;
      sort(checked);
      EXPECT_GT(points.calls, 10);
    }
    EXPECT_EQ(Lines(checked), Lines(plain));
    EXPECT_FALSE(checked.SortEndedEarly());

    TStringList stopped;
    stopped.Assign(random);
    {
      ScopedSortCheckPoints points(3);
      sort(stopped);
      EXPECT_EQ(points.calls, 3);
    }
    EXPECT_TRUE(stopped.SortEndedEarly());
    EXPECT_EQ(sortedCopy(Lines(stopped)), sortedCopy(Lines(random)));
  }
  // Stopped, the list's own sort moves nothing, and a list set sorted stays
  // unsorted, so that Find never searches lines out of order.
  TStringList l;
  l.Assign(random);
  ScopedSortCheckPoints points(2);
  l.SetSorted(true);
  EXPECT_FALSE(l.Sorted());
  EXPECT_EQ(Lines(l), Lines(random));
}

// A host that changes the list in a yield of its sort (it must not) ends the
// sort: no crash, every line the host left is there once, and a list set
// sorted stays unsorted, its lines not being in order.
TEST_F(StringListSort, AHostChangingTheListInAYieldEndsTheSort) {
  std::mt19937 rng(8);
  std::vector<String> lines;
  for (int i = 0; i < 3000; ++i) lines.push_back(Utf8ToString(std::to_string(rng())));
  const std::vector<std::pair<const char*, std::function<void(TStringList&)>>> hosts = {
      {"clears", [](TStringList& l) { l.Clear(); }},
      {"deletes half", [](TStringList& l) { while (l.Count() > 1500) l.Delete(l.Count() / 2); }},
      {"adds a line", [](TStringList& l) { l.Add(u"0 added"); }},
      {"replaces a line", [](TStringList& l) { l.Put(7, u"0 put"); }},
  };
  const std::vector<std::pair<const char*, std::function<void(TStringList&)>>> sorts = {
      {"SetSorted", [](TStringList& l) { l.SetSorted(true); }},
      {"Sort", [](TStringList& l) { l.Sort(); }},
      {"closure", [](TStringList& l) { l.CustomSort([](TStringList* x, Int32 i, Int32 j) { return ByLengthThenText(x, i, j); }); }},
  };
  auto sortedCopy = [](std::vector<String> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  for (const auto& [hostName, hostAction] : hosts)
    for (const auto& [sortName, sort] : sorts)
      for (int atCall : {1, 5}) {
        SCOPED_TRACE(testing::Message() << hostName << ", " << sortName << ", at check point " << atCall);
        const std::function<void(TStringList&)>& host = hostAction;
        TStringList l, left;
        for (const String& s : lines) l.Add(s), left.Add(s);
        host(left);  // what the host leaves
        {
          ScopedSortCheckPoints points(0, [&] { host(l); }, atCall);
          sort(l);
          EXPECT_GE(points.calls, atCall);
        }
        EXPECT_TRUE(l.SortEndedEarly());
        EXPECT_FALSE(l.Sorted());
        // The lines the host removed depend on the order reached; the rest
        // are there once each.
        ASSERT_EQ(l.Count(), left.Count());
        std::vector<String> all = lines;
        all.insert(all.end(), {u"0 added", u"0 put"});
        all = sortedCopy(all);
        const std::vector<String> got = sortedCopy(Lines(l));
        EXPECT_EQ(std::adjacent_find(got.begin(), got.end()), got.end());
        EXPECT_TRUE(std::includes(all.begin(), all.end(), got.begin(), got.end()));
      }
}

TEST_F(StringListSort, ChangingCaseSensitivityResortsASortedList) {
  TStringList l;
  Fill(l, {u"B", u"a", u"A", u"b"});
  l.SetSorted(true);
  l.SetCaseSensitive(true);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"A", u"b", u"B"}));
}

// ---- find -------------------------------------------------------------------------

TEST_F(StringListFind, HalvingFindsFirstLastAndInsertionPoints) {
  TStringList l;
  Fill(l, {u"delta", u"alpha", u"echo", u"charlie", u"bravo"});
  l.SetSorted(true);
  Int32 i = -1;
  EXPECT_TRUE(l.Find(u"alpha", i));
  EXPECT_EQ(i, 0);
  EXPECT_TRUE(l.Find(u"ECHO", i));
  EXPECT_EQ(i, 4);
  EXPECT_TRUE(l.Find(u"Charlie", i));
  EXPECT_EQ(i, 2);
  EXPECT_FALSE(l.Find(u"aaa", i));
  EXPECT_EQ(i, 0);
  EXPECT_FALSE(l.Find(u"coffee", i));
  EXPECT_EQ(i, 3);
  EXPECT_FALSE(l.Find(u"zulu", i));
  EXPECT_EQ(i, 5);
  TStringList empty;
  EXPECT_FALSE(empty.Find(u"x", i));
  EXPECT_EQ(i, 0);
}

TEST_F(StringListFind, DupAcceptFindsTheFirstOfEqualLines) {
  TStringList l;
  l.SetDuplicates(dupAccept);
  l.SetSorted(true);
  Fill(l, {u"a", u"b", u"b", u"b", u"b", u"c"});
  Int32 i = -1;
  EXPECT_TRUE(l.Find(u"b", i));
  EXPECT_EQ(i, 1);
}

TEST_F(StringListFind, IndexOfHonoursSortedAndCase) {
  TStringList l;
  Fill(l, {u"One", u"two", u"Three"});
  EXPECT_EQ(l.IndexOf(u"three"), 2);
  EXPECT_EQ(l.IndexOf(u"four"), -1);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf(u"three"), -1);
  EXPECT_EQ(l.IndexOf(u"Three"), 2);
  l.SetSorted(true);
  EXPECT_EQ(l.IndexOf(u"two"), 2);
  EXPECT_EQ(l.IndexOf(u"Two"), -1);
}

// ---- index checks and editing -------------------------------------------------------

TEST_F(StringListEdit, IndexErrorsNameTheIndex) {
  TStringList l;
  Fill(l, {u"a", u"b"});
  try {
    l.Get(5);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (5)");
  }
  EXPECT_THROW(l.Get(-1), EStringListError);
  EXPECT_THROW(l.Delete(2), EStringListError);
  EXPECT_THROW(l.Objects(2), EStringListError);
  EXPECT_THROW(l.Insert(3, u"x"), EStringListError);
  EXPECT_THROW(l.Exchange(0, 2), EStringListError);
  l.Insert(2, u"c");  // inserting at Count appends
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b", u"c"}));
}

TEST_F(StringListEdit, ExchangeAndMoveCarryTheirObjects) {
  TStringList l;
  TObject o1, o2;
  l.AddObject(u"a", &o1);
  l.Add(u"b");
  l.AddObject(u"c", &o2);
  l.Exchange(0, 2);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"c", u"b", u"a"}));
  EXPECT_EQ(l.Objects(0), &o2);
  l.Move(0, 2);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"b", u"a", u"c"}));
  EXPECT_EQ(l.Objects(2), &o2);
  l.Move(2, 0);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"c", u"b", u"a"}));
  EXPECT_EQ(l.IndexOfObject(&o1), 2);
}

TEST_F(StringListEdit, ChangeEventsComeOncePerUpdateBatch) {
  TStringList l;
  int changing = 0, changed = 0;
  l.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &l);
    ++changing;
  };
  l.OnChange = [&](TObject*) { ++changed; };
  l.Add(u"x");
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);
  l.BeginUpdate();
  l.Add(u"y");
  l.Add(u"z");
  l.Delete(0);
  EXPECT_EQ(changed, 1);
  l.EndUpdate();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  l.SetText(u"a\nb");  // a batch of its own
  EXPECT_EQ(changed, 3);
}

TEST_F(StringListEdit, AssignKeepsEveryLineOfTheSource) {
  TStringList src;
  Fill(src, {u"b", u"a", u"b"});
  TStringList dst;
  dst.SetSorted(true);  // would drop the second "b" if its rule applied while copying
  dst.Add(u"old");
  dst.Assign(src);
  EXPECT_EQ(Lines(dst), Lines(src));
  EXPECT_FALSE(dst.Sorted());
  EXPECT_TRUE(dst.Equals(src));
  src.Put(0, u"B");
  EXPECT_FALSE(dst.Equals(src));  // exact comparison
}

TEST_F(StringListEdit, AddStringsOfItselfDoublesTheLines) {
  TStringList l;
  Fill(l, {u"a", u"b"});
  l.AddStrings(l);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b", u"a", u"b"}));
}

// ---- objects ---------------------------------------------------------------------------

TEST_F(StringListObjects, OwningListFreesOnDeleteClearAndDestruction) {
  Counted::alive = 0;
  {
    TStringList l(true);
    for (int i = 0; i < 5; ++i) l.AddObject(u"x", new Counted);
    EXPECT_EQ(Counted::alive, 5);
    l.Delete(1);
    EXPECT_EQ(Counted::alive, 4);
    l.Clear();
    EXPECT_EQ(Counted::alive, 0);
    l.AddObject(u"y", new Counted);
    l.AddObject(u"z", new Counted);
  }
  EXPECT_EQ(Counted::alive, 0);
}

TEST_F(StringListObjects, NonOwningListAndPutObjectFreeNothing) {
  Counted::alive = 0;
  Counted a, b;
  {
    TStringList l;
    l.AddObject(u"a", &a);
    l.Delete(0);
    l.AddObject(u"b", &b);
    l.Clear();
    l.AddObject(u"b", &b);
  }
  EXPECT_EQ(Counted::alive, 2);
  TStringList owning(true);
  auto* c = new Counted;
  owning.AddObject(u"c", c);
  owning.PutObject(0, nullptr);  // the caller takes it back
  EXPECT_EQ(Counted::alive, 3);
  delete c;
}

TEST_F(StringListObjects, OwningDestinationNeverSharesObjects) {
  Counted::alive = 0;
  TStringList src(true);
  src.AddObject(u"a", new Counted);
  {
    TStringList dst(true);
    dst.Assign(src);
    dst.AddStrings(src);
    EXPECT_EQ(dst.Count(), 2);
    EXPECT_EQ(dst.Objects(0), nullptr);
    TStringList view;  // a non-owning list does take them
    view.AddStrings(src);
    EXPECT_EQ(view.Objects(0), src.Objects(0));
  }
  EXPECT_EQ(Counted::alive, 1);
}

// ---- text ------------------------------------------------------------------------------

TEST_F(StringListText, TextEndsWithABreakUnlessTrailingBreakIsOff) {
  TStringList l;
  EXPECT_EQ(l.Text(), u"");
  Fill(l, {u"a", u"", u"c"});
  EXPECT_EQ(l.Text(), u"a\r\n\r\nc\r\n");
  l.SetTrailingLineBreak(false);
  EXPECT_EQ(l.Text(), u"a\r\n\r\nc");
  l.SetLineBreak(u"|");
  EXPECT_EQ(l.Text(), u"a||c");
}

TEST_F(StringListText, SetTextAcceptsCrLfLfAndCr) {
  TStringList l;
  l.SetText(u"a\r\nb\nc\rd");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b", u"c", u"d"}));
  l.SetText(u"a\r\n");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a"}));
  l.SetText(u"\r\n");
  EXPECT_EQ(Lines(l), (std::vector<String>{u""}));
  l.SetText(u"a\n\nb");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"", u"b"}));
  l.SetText(u"a\n\rb");  // LF then CR are two breaks
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"", u"b"}));
  l.SetText(u"");
  EXPECT_EQ(l.Count(), 0);
}

TEST_F(StringListText, NulCharactersStayInTheirLine) {
  TStringList l;
  String text = u"a";
  text += Char(0);
  text += u"b\r\nc";
  l.SetText(text);
  ASSERT_EQ(l.Count(), 2);
  EXPECT_EQ(l[0].size(), 3u);
}

TEST_F(StringListText, OtherLineBreaksSplitOnlyAtThemselves) {
  TStringList l;
  l.SetLineBreak(u"||");
  l.SetText(u"a||b\r\nc||");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b\r\nc"}));
  l.SetText(u"a||||");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u""}));
  l.SetLineBreak(u"");
  l.SetText(u"whole");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"whole"}));
}

TEST_F(StringListText, TextRoundTrips) {
  TStringList a, b;
  Fill(a, {u"x", u"", u"  y ", u"\u00E9\u4E2D"});
  b.SetText(a.Text());
  EXPECT_TRUE(a.Equals(b));
}

// ---- delimited text ----------------------------------------------------------------------

TEST_F(StringListDelimited, QuotesItemsThatNeedIt) {
  TStringList l;
  Fill(l, {u"a b", u"c\"d", u"", u"e,f", u"g"});
  EXPECT_EQ(l.DelimitedText(), u"\"a b\",\"c\"\"d\",,\"e,f\",g");
  TStringList back;
  back.SetDelimitedText(l.DelimitedText());
  EXPECT_EQ(Lines(back), Lines(l));
}

TEST_F(StringListDelimited, SingleEmptyItemIsTwoQuotes) {
  TStringList l;
  l.Add(u"");
  EXPECT_EQ(l.CommaText(), u"\"\"");
  TStringList back;
  back.SetCommaText(u"\"\"");
  EXPECT_EQ(Lines(back), (std::vector<String>{u""}));
  back.SetCommaText(u"");
  EXPECT_EQ(back.Count(), 0);
}

TEST_F(StringListDelimited, BlanksSeparateUnlessStrict) {
  TStringList l;
  l.SetDelimitedText(u"  a b ,c,");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b", u"c", u""}));
  l.SetStrictDelimiter(true);
  l.SetDelimitedText(u" a b ,c,,d");
  EXPECT_EQ(Lines(l), (std::vector<String>{u" a b ", u"c", u"", u"d"}));
  EXPECT_EQ(l.DelimitedText(), u" a b ,c,,d");  // blanks need no quotes when strict
}

TEST_F(StringListDelimited, QuotedItemsAndUnclosedQuotes) {
  TStringList l;
  l.SetDelimitedText(u"\"a,b\" , \"say \"\"hi\"\"\",\"open");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a,b", u"say \"hi\"", u"open"}));
  l.SetDelimitedText(u"\"a\"b,c");  // text right after a closing quote starts a new item
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b", u"c"}));
}

TEST_F(StringListDelimited, OwnDelimiterAndQuoteWhileCommaTextKeepsItsOwn) {
  TStringList l;
  l.SetDelimiter(u';');
  l.SetQuoteChar(u'\'');
  Fill(l, {u"a;b", u"c,d", u"it's"});
  EXPECT_EQ(l.DelimitedText(), u"'a;b';c,d;'it''s'");
  EXPECT_EQ(l.CommaText(), u"a;b,\"c,d\",it's");
  EXPECT_EQ(l.Delimiter(), u';');
  EXPECT_EQ(l.QuoteChar(), u'\'');
}

// ---- names and values -------------------------------------------------------------------

TEST_F(StringListNames, NamesValuesAndLinesWithoutSeparator) {
  TStringList l;
  Fill(l, {u"Key=v1", u"plain", u"K2=a=b", u"=nameless"});
  EXPECT_EQ(l.Names(0), u"Key");
  EXPECT_EQ(l.Names(1), u"");
  EXPECT_EQ(l.Values(u"key"), u"v1");
  EXPECT_EQ(l.Values(u"k2"), u"a=b");
  EXPECT_EQ(l.Values(u"plain"), u"");
  EXPECT_EQ(l.ValueFromIndex(1), u"");  // not the line minus a character
  EXPECT_EQ(l.ValueFromIndex(3), u"nameless");
  EXPECT_EQ(l.IndexOfName(u"KEY"), 0);
  EXPECT_EQ(l.IndexOfName(u"plain"), -1);
}

TEST_F(StringListNames, SetValueReplacesAddsAndDeletes) {
  TStringList l;
  Fill(l, {u"a=1", u"b=2"});
  l.SetValue(u"A", u"9");
  EXPECT_EQ(l[0], u"A=9");
  l.SetValue(u"c", u"3");
  EXPECT_EQ(l[2], u"c=3");
  l.SetValue(u"b", u"");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"A=9", u"c=3"}));
  l.SetNameValueSeparator(u':');
  l.SetValue(u"d", u"4");
  EXPECT_EQ(l[2], u"d:4");
  EXPECT_EQ(l.Values(u"d"), u"4");
}

TEST_F(StringListNames, SetValueOnASortedListAddsInPlaceAndRefusesReplacing) {
  TStringList l;
  l.SetSorted(true);
  Fill(l, {u"m=1", u"x=2"});
  l.SetValue(u"b", u"3");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"b=3", u"m=1", u"x=2"}));
  EXPECT_THROW(l.SetValue(u"m", u"9"), EStringListError);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"b=3", u"m=1", u"x=2"}));  // no stray empty line
  l.SetValue(u"x", u"");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"b=3", u"m=1"}));
}

// ---- encodings, streams and files ----------------------------------------------------------

TEST_F(StringListEncoding, ByteOrderMarksAreDetected) {
  struct Case {
    std::string bytes;
    TEncoding* expected;
  };
  std::vector<Case> cases = {
      {"\xEF\xBB\xBF" "a\xC3\xA9\r\nb", TEncoding::UTF8()},
      {std::string("\xFF\xFE" "a\0\xE9\0\r\0\n\0b\0", 12), TEncoding::Unicode()},
      {std::string("\xFE\xFF\0a\0\xE9\0\r\0\n\0b", 12), TEncoding::BigEndianUnicode()},
  };
  for (const Case& c : cases) {
    TBytesStream s(B(c.bytes));
    TStringList l;
    l.LoadFromStream(&s);
    EXPECT_EQ(Lines(l), (std::vector<String>{u"a\u00E9", u"b"}));
    EXPECT_EQ(l.Encoding(), c.expected);
  }
}

TEST_F(StringListEncoding, WithoutMarkTheDefaultEncodingDecides) {
  const std::string text = "caf\xC3\xA9";
  TStringList utf8;
  utf8.SetDefaultEncoding(TEncoding::UTF8());
  TBytesStream s1(B(text));
  utf8.LoadFromStream(&s1);
  EXPECT_EQ(utf8[0], u"caf\u00E9");
  EXPECT_EQ(utf8.Encoding(), TEncoding::UTF8());
  TStringList ansi;  // the default: the ANSI code page (1252 unless set)
  TBytesStream s2(B(text));
  ansi.LoadFromStream(&s2);
  EXPECT_EQ(ansi[0], u"caf\u00C3\u00A9");
}

TEST_F(StringListEncoding, InvalidUtf8BecomesReplacementCharacters) {
  TStringList l;
  l.SetDefaultEncoding(TEncoding::UTF8());
  TBytesStream s(B("ok\xFFmore\r\nnext"));
  l.LoadFromStream(&s);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"ok\uFFFDmore", u"next"}));
}

TEST_F(StringListEncoding, LoadReadsFromThePositionAndReplacesTheLines) {
  TStringList l;
  l.Add(u"old");
  l.SetDefaultEncoding(TEncoding::UTF8());
  TBytesStream s(B("skip\xEF\xBB\xBFnew"));
  s.SetPosition(4);
  l.LoadFromStream(&s);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"new"}));
}

TEST_F(StringListEncoding, SaveWritesThePreambleOnlyWhenAsked) {
  TStringList l;
  l.SetDefaultEncoding(TEncoding::UTF8());
  Fill(l, {u"\u00E9"});
  TMemoryStream with;
  l.SaveToStream(&with);
  EXPECT_EQ(with.ToBytes(), B("\xEF\xBB\xBF\xC3\xA9\r\n"));
  l.SetWriteBOM(false);
  TMemoryStream without;
  l.SaveToStream(&without);
  EXPECT_EQ(without.ToBytes(), B("\xC3\xA9\r\n"));
  TMemoryStream utf16;
  l.SetWriteBOM(true);
  l.SaveToStream(&utf16, TEncoding::Unicode());
  EXPECT_EQ(utf16.ToBytes(), B(std::string("\xFF\xFE\xE9\0\r\0\n\0", 8)));
}

TEST_F(StringListEncoding, ALoadedListSavesInTheEncodingItFound) {
  TStringList l;
  TBytesStream in(B(std::string("\xFE\xFF\0x", 4)));
  l.LoadFromStream(&in);
  TMemoryStream out;
  l.SaveToStream(&out);
  EXPECT_EQ(out.ToBytes(), B(std::string("\xFE\xFF\0x\0\r\0\n", 8)));
}

TEST_F(StringListEncoding, FilesRoundTrip) {
  std::string tmpl = (std::filesystem::temp_directory_path() / "sk_sl_XXXXXX").string();
  ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
  const String name = Utf8ToString(tmpl + "/list \xC3\xA9.txt");
  TStringList a;
  Fill(a, {u"one", u"\u4E2D\u6587", u""});
  a.SaveToFile(name, TEncoding::UTF8());
  TStringList b;
  b.LoadFromFile(name);
  EXPECT_TRUE(a.Equals(b));
  EXPECT_EQ(b.Encoding(), TEncoding::UTF8());
  EXPECT_THROW(b.LoadFromFile(Utf8ToString(tmpl + "/missing.txt")), EFOpenError);
  std::filesystem::remove_all(tmpl);
}

// ---- virtual hooks a subclass relies on --------------------------------------------------

namespace {

class ReversedList : public TStringList {
 public:
  Int32 CompareStrings(const String& a, const String& b) const override { return -TStringList::CompareStrings(a, b); }
};

class CountingList : public TStringList {
 public:
  using TStringList::CustomSort;
  using TStringList::LoadFromStream;
  int customSorts = 0;
  int textSets = 0;
  void CustomSort(TStringListSortCompare compare) override {
    ++customSorts;
    TStringList::CustomSort(compare);
  }
  void SetTextStr(const String& text) override {
    ++textSets;
    TStringList::SetTextStr(text);
  }
};

}  // namespace

TEST_F(StringListHooks, SortFindAndAddUseTheOverriddenComparison) {
  ReversedList l;
  Fill(l, {u"a", u"c", u"b"});
  l.SetSorted(true);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"c", u"b", u"a"}));
  EXPECT_EQ(l.IndexOf(u"a"), 2);
  l.Add(u"d");
  EXPECT_EQ(l[0], u"d");
}

TEST_F(StringListHooks, SortGoesThroughCustomSortAndLoadThroughSetTextStr) {
  CountingList l;
  Fill(l, {u"b", u"a"});
  l.Sort();
  EXPECT_EQ(l.customSorts, 1);
  TBytesStream s(B("x\r\ny"));
  l.LoadFromStream(&s);
  EXPECT_EQ(l.textSets, 1);
  EXPECT_EQ(l.Count(), 2);
}

// ---- a whole text into a sorted list ----------------------------------------------------

namespace {

// The same list taking its lines one by one, as Add does.
class OneByOneList : public TStringList {
 protected:
  bool LoadsSortedTextInBulk() const override { return false; }
};

struct LoadOutcome {
  std::vector<String> lines;
  bool raised = false;
  bool objectsNil = true;
};

LoadOutcome LoadSorted(TStringList& l, const String& text, TDuplicates dup, bool caseSensitive) {
  l.SetCaseSensitive(caseSensitive);
  l.SetDuplicates(dup);
  l.SetSorted(true);
  l.Add(u"left over");  // SetText replaces what was there
  LoadOutcome r;
  try {
    l.SetText(text);
  } catch (const EStringListError&) {
    r.raised = true;
  }
  r.lines = Lines(l);
  for (Int32 i = 0; i < l.Count(); ++i) r.objectsNil = r.objectsNil && l.Objects(i) == nullptr;
  return r;
}

}  // namespace

using StringListBulkLoad = StringListTestBase;

// Texts of many equal lines in any case and with accents: the bulk load gives
// exactly the list that adding the lines one by one gives, under each
// duplicate rule, with and without case.
TEST_F(StringListBulkLoad, SameListAsAddingLineByLine) {
  std::vector<String> words = {u"apple", u"Apple", u"APPLE", u"\u00e9t\u00e9", u"\u00c9t\u00e9", u"ete",
                               u"Ete", u"", u" apple", u"b", u"B", u"r\u00e9sum\u00e9", u"resume",
                               u"R\u00c9SUM\u00c9", u"zebra", u"Zebra", u"a-b", u"ab", u"\u0130stanbul"};
  String many;
  Cardinal seed = 17;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1103515245u + 12345u;
    many += words[(seed >> 16) % words.size()];
    many += (seed & 3) == 0 ? u"\n" : u"\r\n";
  }
  const String texts[] = {
      many,
      u"b\r\na\r\nB\r\nA\r\nb",
      u"x\r\ny\r\nz",  // no repeat: dupError raises nothing
      u"same\r\nsame\r\nSAME\r\nSame",
      u"",
      u"only",
      u"\r\n\r\n\r\n",  // empty lines are equal lines too
  };
  for (const String& text : texts) {
    for (TDuplicates dup : {dupIgnore, dupAccept, dupError}) {
      for (bool caseSensitive : {false, true}) {
        SCOPED_TRACE(testing::Message() << "dup " << static_cast<int>(dup) << " case " << caseSensitive
                                        << " text of " << text.size());
        TStringList bulk;
        OneByOneList oneByOne;
        const LoadOutcome a = LoadSorted(bulk, text, dup, caseSensitive);
        const LoadOutcome b = LoadSorted(oneByOne, text, dup, caseSensitive);
        EXPECT_EQ(a.raised, b.raised);
        EXPECT_EQ(a.lines, b.lines);
        EXPECT_TRUE(a.objectsNil);
        EXPECT_TRUE(bulk.Sorted());
      }
    }
  }
}

TEST_F(StringListBulkLoad, EqualLinesUnderEachRule) {
  struct Case {
    TDuplicates dup;
    std::vector<String> want;
    bool raised;
  };
  const Case cases[] = {
      {dupIgnore, {u"a", u"b"}, false},            // the first of equal lines stays
      {dupAccept, {u"a", u"B", u"b", u"b"}, false},  // each later one goes in front
      {dupError, {u"a", u"b"}, true},              // the lines before the first repeat
  };
  for (const Case& c : cases) {
    TStringList l;
    LoadOutcome r = LoadSorted(l, u"b\r\na\r\nb\r\nB", c.dup, false);
    EXPECT_EQ(r.lines, c.want) << static_cast<int>(c.dup);
    EXPECT_EQ(r.raised, c.raised);
  }
}

TEST_F(StringListBulkLoad, LoadFromStreamAndTurkishCollation) {
  SetUserDefaultLocale("tr_TR");
  const TBytes bytes = B("\xC4\xB1rmak\r\nIrmak\r\nirmak\r\n\xC4\xB0nce\r\nince\r\n");
  TStringList bulk;
  OneByOneList oneByOne;
  for (TStringList* l : {static_cast<TStringList*>(&bulk), static_cast<TStringList*>(&oneByOne)}) {
    l->SetDuplicates(dupAccept);
    l->SetSorted(true);
    TBytesStream s(bytes);
    l->LoadFromStream(&s);
  }
  EXPECT_EQ(Lines(bulk), Lines(oneByOne));
  EXPECT_EQ(bulk.Count(), 5);
  SetUserDefaultLocale("en_US");
}

}  // namespace sk

namespace sk {

// Lines added at once to a sorted list that may already hold lines give the
// list, objects and error that adding them one by one gives, under each rule,
// with and without case, through both forms of AddStrings.
TEST_F(StringListBulkLoad, AddStringsSameAsAddingLineByLine) {
  const std::vector<String> words = {
      u"apple", u"Apple",         u"\u00e9t\u00e9", u"\u00c9T\u00c9", u"e\u0301te\u0301", u"",  u"b",
      u"B",     u"\u0130stanbul", u"istanbul",      u"zebra",         u"a\u200bb",        u"ab"};
  std::vector<std::unique_ptr<TObject>> markers;
  Cardinal seed = 29;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 24; ++round) {
    const TDuplicates dup = static_cast<TDuplicates>(round % 3);
    const bool caseSensitive = (round / 3) % 2 == 1;
    const bool asVector = round >= 12;
    TStringList source;
    std::vector<String> plain;
    for (Cardinal i = 0, n = next() % 40; i < n; ++i) {
      markers.push_back(std::make_unique<TObject>());
      source.AddObject(words[next() % words.size()], markers.back().get());
      plain.push_back(source[source.Count() - 1]);
    }
    TStringList bulk;
    OneByOneList oneByOne;
    std::vector<String> lines[2];
    std::vector<TObject*> objects[2];
    bool raised[2] = {false, false};
    const Cardinal held = next() % 6;
    std::vector<String> start;
    for (Cardinal i = 0; i < held; ++i) start.push_back(words[next() % words.size()]);
    int k = 0;
    for (TStringList* l : {static_cast<TStringList*>(&bulk), static_cast<TStringList*>(&oneByOne)}) {
      l->SetCaseSensitive(caseSensitive);
      l->SetDuplicates(dupAccept);
      l->SetSorted(true);
      for (const String& s : start) l->Add(s);
      l->SetDuplicates(dup);
      try {
        if (asVector)
          l->AddStrings(plain);
        else
          l->AddStrings(source);
      } catch (const EStringListError&) {
        raised[k] = true;
      }
      lines[k] = Lines(*l);
      for (Int32 i = 0; i < l->Count(); ++i) objects[k].push_back(l->Objects(i));
      ++k;
    }
    SCOPED_TRACE(testing::Message() << "round " << round << " held " << held << " added " << plain.size());
    EXPECT_EQ(raised[0], raised[1]);
    EXPECT_EQ(lines[0], lines[1]);
    EXPECT_EQ(objects[0], objects[1]);  // the same duplicate survives
  }
}

}  // namespace sk

// ---- many lines edited in the middle ---------------------------------------------------

namespace sk {

namespace {

struct ModelLine {
  String s;
  TObject* obj = nullptr;
};

// A value that counts its moves and copies, to see what an edit costs.
struct MoveCounted {
  static inline size_t moves = 0;
  int v = 0;
  MoveCounted() = default;
  explicit MoveCounted(int x) : v(x) {}
  MoveCounted(const MoveCounted& o) : v(o.v) { ++moves; }
  MoveCounted(MoveCounted&& o) noexcept : v(o.v) { ++moves; }
  MoveCounted& operator=(const MoveCounted& o) {
    v = o.v;
    ++moves;
    return *this;
  }
  MoveCounted& operator=(MoveCounted&& o) noexcept {
    v = o.v;
    ++moves;
    return *this;
  }
};

// A list that tells how many lines its inserts and deletes have moved.
class MoveCountingList : public TStringList {
 public:
  size_t Moved() const { return fItems.MovedItems(); }
};

}  // namespace

// Random edits (Add, AddObject, Insert, Delete, Find, IndexOf, Exchange, Move,
// Put) on lists whose sizes cross block boundaries, against a plain vector:
// the same lines and objects after every step, the same answers, one change
// event per edit, and an owning list frees exactly the lines it loses.
TEST_F(StringListEdit, RandomEditsMatchAPlainVector) {
  struct Case {
    const char* name;
    int start;  // lines before the edits
    int edits;
    int growPercent;  // share of edits that add a line (the rest mostly delete)
    bool sorted;
    TDuplicates dup;
    bool owns;
  };
  const Case cases[] = {
      {"empty, grows", 0, 700, 70, false, dupAccept, false},
      {"one block less one", 63, 400, 50, false, dupAccept, true},
      {"one block", 64, 400, 50, false, dupAccept, false},
      {"one block and one", 65, 400, 40, false, dupAccept, true},
      {"shrinks to nothing and back", 130, 600, 30, false, dupAccept, true},
      {"larger blocks come at 4096", 4090, 900, 60, false, dupAccept, false},
      {"larger blocks, shrinking", 4100, 900, 25, false, dupAccept, true},
      {"sorted, duplicates accepted", 120, 700, 60, true, dupAccept, true},
      {"sorted, duplicates ignored", 60, 700, 60, true, dupIgnore, true},
      {"sorted across 4096", 4080, 700, 70, true, dupAccept, false},
  };
  std::mt19937 rng(41);
  auto word = [&] {
    String s;
    for (size_t k = 1 + rng() % 3; k > 0; --k) s += static_cast<Char>((rng() % 3 == 0 ? u'A' : u'a') + rng() % 5);
    return s;
  };
  const auto less = [](const ModelLine& m, const String& s) { return AnsiCompareText(m.s, s) < 0; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Counted::alive = 0;
    {
      TStringList l(c.owns);
      std::vector<ModelLine> model;
      auto newObject = [&]() -> TObject* { return c.owns ? new Counted : nullptr; };
      auto compareAll = [&] {
        ASSERT_EQ(l.Count(), static_cast<Int32>(model.size()));
        for (size_t i = 0; i < model.size(); ++i) {
          ASSERT_EQ(l[static_cast<Int32>(i)], model[i].s) << i;
          ASSERT_EQ(l.Objects(static_cast<Int32>(i)), model[i].obj) << i;
        }
      };
      // A sorted Add as a plain vector does it: before the first line not
      // below s; with dupIgnore an equal line there is the answer.
      auto add = [&](const String& s, TObject* obj) -> Int32 {
        if (!c.sorted) {
          EXPECT_EQ(l.AddObject(s, obj), static_cast<Int32>(model.size()));
          model.push_back(ModelLine{s, obj});
          return 0;
        }
        const auto at = std::lower_bound(model.begin(), model.end(), s, less);
        const Int32 want = static_cast<Int32>(at - model.begin());
        if (c.dup == dupIgnore && at != model.end() && AnsiCompareText(at->s, s) == 0) {
          EXPECT_EQ(l.AddObject(s, obj), want);
          delete obj;  // not taken: still the caller's
          return -1;
        }
        EXPECT_EQ(l.AddObject(s, obj), want);
        model.insert(at, ModelLine{s, obj});
        return 0;
      };
      l.SetDuplicates(c.dup);
      l.SetSorted(c.sorted);
      for (int i = 0; i < c.start; ++i) add(word(), newObject());
      int changes = 0;
      l.OnChange = [&](TObject*) { ++changes; };
      for (int e = 0; e < c.edits; ++e) {
        const int before = changes;
        int wantChanges = 1;
        const Int32 n = static_cast<Int32>(model.size());
        const int roll = static_cast<int>(rng() % 100);
        if (n == 0 || roll < c.growPercent) {
          const String s = word();
          if (c.sorted || rng() % 3 == 0) {
            if (add(s, newObject()) < 0) wantChanges = 0;
          } else {
            const Int32 at = static_cast<Int32>(rng() % static_cast<Cardinal>(n + 1));
            TObject* obj = newObject();
            l.InsertObject(at, s, obj);
            model.insert(model.begin() + at, ModelLine{s, obj});
          }
        } else if (c.sorted || roll % 4 == 0) {
          const Int32 at = static_cast<Int32>(rng() % static_cast<Cardinal>(n));
          l.Delete(at);  // an owning list frees the line's object
          model.erase(model.begin() + at);
          if (c.sorted && rng() % 2 == 0) {
            // Find and IndexOf on the sorted lines.
            const String s = word();
            const auto first = std::lower_bound(model.begin(), model.end(), s, less);
            const bool there = first != model.end() && AnsiCompareText(first->s, s) == 0;
            Int32 found = -1;
            EXPECT_EQ(l.Find(s, found), there);
            EXPECT_EQ(found, static_cast<Int32>(first - model.begin()));
            EXPECT_EQ(l.IndexOf(s), there ? found : -1);
          }
        } else {
          const Int32 i = static_cast<Int32>(rng() % static_cast<Cardinal>(n));
          const Int32 j = static_cast<Int32>(rng() % static_cast<Cardinal>(n));
          switch (roll % 4) {
            case 1:
              l.Exchange(i, j);
              std::swap(model[static_cast<size_t>(i)], model[static_cast<size_t>(j)]);
              break;
            case 2: {
              l.Move(i, j);
              const ModelLine m = model[static_cast<size_t>(i)];
              model.erase(model.begin() + i);
              model.insert(model.begin() + j, m);
              if (i == j) wantChanges = 0;
              break;
            }
            default: {
              const String s = word();
              l.Put(i, s);
              model[static_cast<size_t>(i)].s = s;
              const auto it = std::find_if(model.begin(), model.end(),
                                           [&](const ModelLine& m) { return AnsiCompareText(m.s, s) == 0; });
              EXPECT_EQ(l.IndexOf(s), static_cast<Int32>(it - model.begin()));
            }
          }
        }
        EXPECT_EQ(changes - before, wantChanges) << "edit " << e;
        if (model.size() < 200 || e % 97 == 0) compareAll();
        if (HasFatalFailure()) return;
      }
      compareAll();
      if (c.owns) {
        EXPECT_EQ(Counted::alive, static_cast<int>(model.size()));
      }
    }
    EXPECT_EQ(Counted::alive, 0);
  }
}

// A list holds about what a plain vector of the lines it keeps holds, after
// it lost lines by Delete, Clear or a smaller SetText, and a sorted list that
// ignores duplicates after taking many equal lines at once.
TEST_F(StringListEdit, HoldsAboutWhatAVectorOfItsLinesHolds) {
  std::mt19937 rng(12);
  auto line = [&](size_t letters) {
    String s;
    for (size_t k = letters; k > 0; --k) s += static_cast<Char>(u'a' + rng() % 26);
    return s;
  };
  std::vector<String> many, few, repeated;
  for (int i = 0; i < 20000; ++i) many.push_back(line(60 + rng() % 60));
  for (int i = 0; i < 10; ++i) few.push_back(line(80));
  for (int i = 0; i < 500; ++i) repeated.push_back(line(20));
  String manyText, fewText, repeatedText;
  for (const String& s : many) manyText += s + u"\r\n";
  for (const String& s : few) fewText += s + u"\r\n";
  for (int i = 0; i < 100000; ++i) repeatedText += repeated[rng() % repeated.size()] + u"\r\n";
  const struct {
    const char* name;
    std::function<void(TStringList&)> work;
  } cases[] = {
      {"Delete down to 10 lines", [&](TStringList& l) { l.SetText(manyText); while (l.Count() > 10) l.Delete(l.Count() / 2); }},
      {"Delete every line", [&](TStringList& l) { l.SetText(manyText); while (l.Count() > 0) l.Delete(l.Count() - 1); }},
      {"Clear", [&](TStringList& l) { l.SetText(manyText); l.Clear(); }},
      {"a smaller SetText", [&](TStringList& l) { l.SetText(manyText); l.SetText(fewText); }},
      {"sorted, duplicates ignored", [&](TStringList& l) { l.SetSorted(true); l.SetText(repeatedText); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t before = AllocatedBytes();
    auto l = std::make_unique<TStringList>();
    c.work(*l);
    const size_t held = AllocatedBytes() - before;
    const size_t beforeVector = AllocatedBytes();
    const std::vector<String> kept = Lines(*l);
    const size_t vectorHeld = AllocatedBytes() - beforeVector;
    EXPECT_LE(held, vectorHeld + (size_t{64} << 10)) << kept.size() << " lines, a vector of them holds " << vectorHeld;
  }
}

// Inserting n items one at a time and deleting them again, at the front, in
// the middle, at random places and at the back: an item is moved a few times
// at most, whatever n (not n / 2 times an edit as in one contiguous array),
// each edit moves about sqrt(n) of the pointers to them, and the items stay
// in the order a plain vector gives.
TEST(TieredVector, EditsMoveAboutSquareRootOfTheItems) {
  for (TEditPlace where : {front, middle, random, back}) {
    for (size_t n : {1000u, 8000u, 64000u}) {
      SCOPED_TRACE(testing::Message() << "where " << where << " n " << n);
      std::mt19937 rng(static_cast<unsigned>(n) + where);
      auto place = [&](size_t size) { return EditIndex(where, size, rng); };
      const double bound = 3 * std::sqrt(static_cast<double>(n)) + 8;
      TTieredVector<MoveCounted> v;
      std::vector<int> model;
      auto perEdit = [n](size_t count) { return static_cast<double>(count) / static_cast<double>(n); };
      MoveCounted::moves = 0;
      for (size_t i = 0; i < n; ++i) {
        const size_t at = place(v.size());
        v.insert(at, MoveCounted(static_cast<int>(i)));
        if (n <= 8000) model.insert(model.begin() + static_cast<ptrdiff_t>(at), static_cast<int>(i));
      }
      EXPECT_LE(perEdit(MoveCounted::moves), 4);
      EXPECT_LE(perEdit(v.MovedItems()), bound);
      if (n <= 8000) {
        ASSERT_EQ(v.size(), model.size());
        for (size_t i = 0; i < n; ++i) ASSERT_EQ(v[i].v, model[i]) << i;
      }
      MoveCounted::moves = 0;
      const size_t movedBefore = v.MovedItems();
      while (!v.empty()) {
        const size_t at = std::min(place(v.size() - 1), v.size() - 1);
        if (n <= 8000) {
          ASSERT_EQ(v[at].v, model[at]);
          model.erase(model.begin() + static_cast<ptrdiff_t>(at));
        }
        v.erase(at);
      }
      EXPECT_LE(perEdit(MoveCounted::moves), 4);
      EXPECT_LE(perEdit(v.MovedItems() - movedBefore), bound);
    }
  }
}

// A word list built by adding each word to a sorted list as it comes: each
// add moves about sqrt(n) lines.
TEST_F(StringListEdit, SortedAddsMoveAboutSquareRootOfTheLines) {
  MoveCountingList l;
  l.SetSorted(true);
  std::mt19937 rng(3);
  const size_t n = 20000;
  for (size_t i = 0; i < n; ++i) l.Add(Utf8ToString(std::to_string(rng())));
  EXPECT_LE(static_cast<double>(l.Moved()) / static_cast<double>(n), 3 * std::sqrt(static_cast<double>(n)) + 8);
  for (Int32 i = 1; i < l.Count(); ++i) ASSERT_LE(AnsiCompareText(l[i - 1], l[i]), 0);
}

}  // namespace sk
