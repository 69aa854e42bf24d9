// The library's string lists: encoding detection on load, the count-plus-items
// stream form, ownership of line objects, and the lists' own sorts.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <type_traits>
#include <tuple>
#include <utility>

#include "LookupTestWords.h"
#include "TestSupport.h"
#include "core/Global_vars.h"
#include "core/Stringtag_utils.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Streams.h"
#include "CoreTestSupport.h"

namespace sk {
namespace {

TBytes Le32(Int32 n) {
  const auto u = static_cast<uint32_t>(n);
  return {static_cast<Byte>(u), static_cast<Byte>(u >> 8), static_cast<Byte>(u >> 16), static_cast<Byte>(u >> 24)};
}

TBytes Cat(std::initializer_list<TBytes> parts) {
  TBytes r;
  for (const TBytes& p : parts) r.insert(r.end(), p.begin(), p.end());
  return r;
}

TBytes Utf16(const String& s) {
  TBytes r;
  for (Char c : s) {
    r.push_back(static_cast<Byte>(c & 0xFF));
    r.push_back(static_cast<Byte>(c >> 8));
  }
  return r;
}

TBytes Stored(const String& s) { return Cat({Le32(static_cast<Int32>(s.size())), Utf16(s)}); }

// Objects that count how many of them are alive, to see each freed once.
struct TCounted : TObject {
  static inline int alive = 0;
  TCounted() { ++alive; }
  ~TCounted() override { --alive; }
};

// A list that owns TCounted objects and counts its FreeAndNilOne calls.
class TCountingList : public TIndexCheckStringlist {
 public:
  ~TCountingList() override { Clear(); }
  void FreeAndNilOne(Int32 index) override {
    ++freed;
    FreeLineObject(index);
  }
  void AddCounted(const String& s) { AddObject(s, new TCounted); }
  int freed = 0;
};

// ---- loading text by byte-order mark ------------------------------------------

TEST(Useful_classes_base_stringlistsUTF8StringlistLoad, DetectsTheMarkAndThenSavesAsUtf16LE) {
  const TBytes utf8{'a', 0xC3, 0xA9, '\r', '\n', 'b'};  // "aé", "b"
  const TBytes le = Cat({{0xFF, 0xFE}, Utf16(u"a\u00E9\r\nb")});
  TBytes be{0xFE, 0xFF};
  for (Char c : String(u"a\u00E9\r\nb")) be.insert(be.end(), {static_cast<Byte>(c >> 8), static_cast<Byte>(c)});
  const TBytes expectedSave = Cat({{0xFF, 0xFE}, Utf16(u"a\u00E9\r\nb\r\n")});
  for (const TBytes& bytes : {utf8, Cat({{0xEF, 0xBB, 0xBF}, utf8}), le, be}) {
    TUTF8Stringlist l;
    l.Add(u"replaced");
    TBytesStream in(bytes);
    l.LoadFromStream(&in);
    EXPECT_EQ(Lines(l), (std::vector<String>{u"a\u00E9", u"b"}));
    TMemoryStream out;
    l.SaveToStream(&out);
    EXPECT_EQ(out.ToBytes(), expectedSave);
  }
}

TEST(Useful_classes_base_stringlistsUTF8StringlistLoad, NeverLoadedSavesAsUtf8WithMark) {
  TUTF8Stringlist l;
  l.Add(u"\u00E9");
  TMemoryStream out;
  l.SaveToStream(&out);
  EXPECT_EQ(out.ToBytes(), (TBytes{0xEF, 0xBB, 0xBF, 0xC3, 0xA9, '\r', '\n'}));
}

TEST(Useful_classes_base_stringlistsUTF8StringlistLoad, InvalidBytesKeepTheRestOfTheText) {
  // Without a mark, bytes that are not UTF-8 are read in the ANSI code page.
  TUTF8Stringlist plain;
  TBytesStream a(TBytes{'x', 0xE9, '\n', 'y'});
  plain.LoadFromStream(&a);
  EXPECT_EQ(Lines(plain), (std::vector<String>{u"x\u00E9", u"y"}));
  // Behind a UTF-8 mark the bad byte alone is replaced.
  TUTF8Stringlist marked;
  TBytesStream b(TBytes{0xEF, 0xBB, 0xBF, 'x', 0xFF, 'z', '\n', 'y'});
  marked.LoadFromStream(&b);
  EXPECT_EQ(Lines(marked), (std::vector<String>{u"x\uFFFDz", u"y"}));
  // Loading starts at the stream's position; nothing left gives no lines.
  TUTF8Stringlist empty;
  empty.Add(u"old");
  TBytesStream c(TBytes{'q'});
  c.SetPosition(1);
  empty.LoadFromStream(&c);
  EXPECT_EQ(empty.Count(), 0);
}

TEST(Useful_classes_base_stringlistsUTF8StringlistLoad, CodePageFilesLoadAsTheirStreamsAndSaveTheirLetters) {
  // Files without a mark in the ANSI code page (bytes from python's codecs)
  // load from the file as from a stream, and save every letter.
  const std::tuple<Cardinal, std::string, String> cases[] = {
      {1250, "\x7A\x61\xBF\xF3\xB3\xE6", u"za\u017C\u00F3\u0142\u0107"},
      {1251, "\xEF\xF0\xE8\xE2\xE5\xF2", u"\u043F\u0440\u0438\u0432\u0435\u0442"},
      {1253, "\xEA\xE1\xEB\xE7\xEC\xDD\xF1\xE1", u"\u03BA\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1"}};
  const std::string dir = MakeScratchFolder("sk-cp-load"), file = dir + "/t.txt";
  for (const auto& [cp, bytes, text] : cases) {
    SetACP(cp);
    WriteFileBytes(file, bytes + "\r\nx");
    TUTF8Stringlist l;
    l.LoadFromFile(Utf8ToString(file));
    EXPECT_EQ(Lines(l), (std::vector<String>{text, u"x"})) << cp;
    l.SaveToFile(Utf8ToString(file));
    EXPECT_EQ(B(ReadFileBytes(file)), Cat({{0xFF, 0xFE}, Utf16(text + u"\r\nx\r\n")})) << cp;
  }
  SetACP(1252);
  RemoveScratchFolder(dir);
}

// ---- ownership of line objects -------------------------------------------------

TEST(Useful_classes_base_stringlistsIndexCheckStringlistOwnership, EveryObjectIsFreedExactlyOnce) {
  {
    TCountingList l;
    for (const char16_t* s : {u"a", u"b", u"c", u"d"}) l.AddCounted(s);
    l.Add(u"no object");
    l.ReduceTo(5);
    EXPECT_EQ(l.Count(), 5);
    l.ReduceTo(3);
    EXPECT_EQ(l.freed, 1);  // the line without an object frees nothing
    EXPECT_EQ(TCounted::alive, 3);
    l.SetSorted(true);      // deleting from a sorted list must work too
    l.Delete(0);
    EXPECT_EQ(TCounted::alive, 2);
    EXPECT_THROW(l.Delete(7), EStringListError);
    l.ReduceTo(-1);         // a negative bound empties the list
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(TCounted::alive, 0);
    l.AddCounted(u"left for the destructor");
  }
  EXPECT_EQ(TCounted::alive, 0);
}

// Lines and their objects leave by Clear, ReduceTo or a smaller SetText with
// their text: the list then holds about what a vector of its lines holds.
TEST(Useful_classes_base_stringlistsIndexCheckStringlistOwnership, LinesGoneGiveBackTheirMemory) {
  String text, small;
  for (int i = 0; i < 20000; ++i) text += Utf8ToString("line " + std::to_string(i) + std::string(90, 'x') + "\t7\r\n");
  for (int i = 0; i < 10; ++i) small += u"a few" + Utf8ToString(std::to_string(i) + std::string(90, 'y')) + u"\r\n";
  const std::vector<std::pair<const char*, std::function<void(TIndexCheckStringlist&)>>> cuts = {
      {"Clear", [](TIndexCheckStringlist& l) { l.Clear(); }},
      {"ReduceTo", [](TIndexCheckStringlist& l) { l.ReduceTo(10); }},
      {"a smaller SetText", [&](TIndexCheckStringlist& l) { l.SetText(small); }},
  };
  const std::vector<std::pair<const char*, std::function<std::unique_ptr<TIndexCheckStringlist>()>>> kinds = {
      {"TSaveStringList", [] { return std::make_unique<TSaveStringList>(); }},
      {"TStringlistWithALongint", [] { return std::make_unique<TStringlistWithALongint>(); }},
  };
  for (const auto& [kindName, make] : kinds)
    for (const auto& [cutName, cut] : cuts) {
      SCOPED_TRACE(testing::Message() << kindName << ", " << cutName);
      const size_t before = AllocatedBytes();
      std::unique_ptr<TIndexCheckStringlist> l = make();
      l->SetText(text);
      ASSERT_EQ(l->Count(), 20000);
      cut(*l);
      const size_t held = AllocatedBytes() - before;
      const size_t beforeVector = AllocatedBytes();
      const std::vector<String> kept = Lines(*l);
      const size_t vectorHeld = AllocatedBytes() - beforeVector;
      EXPECT_LE(held, vectorHeld + (size_t{64} << 10)) << kept.size() << " lines, a vector of them holds " << vectorHeld;
    }
}

TEST(Useful_classes_base_stringlistsIndexCheckStringlistOwnership, CopiedLinesNeverShareObjects) {
  TStringlistWithALongint a;
  a.AddOne(u"x", 7);
  TStringlistWithALongint b;
  b.Assign(a);
  b.AddStrings(a);
  EXPECT_EQ(b.Count(), 2);
  EXPECT_EQ(b.Objects(0), nullptr);
  EXPECT_EQ(b.GetOne(0), 0);
  // A sorted list that ignores a duplicate does not keep (or leak) its holder.
  a.SetSorted(true);
  EXPECT_EQ(a.AddOne(u"x", 9), 0);
  EXPECT_EQ(a.Count(), 1);
  EXPECT_EQ(a.GetOne(0), 7);
}

TEST(Useful_classes_base_stringlistsIndexCheckStringlistOrder, ReverseShuffleAndSortKeepObjectsWithLines) {
  TStringlistWithALongint l;
  l.ReverseTheSort();
  l.AddOne(u"only", 1);
  l.ReverseTheSort();
  EXPECT_EQ(l[0], u"only");
  l.Clear();
  for (Int32 i = 0; i < 4; ++i) l.AddOne(String(1, static_cast<Char>(u'a' + i)), i);
  l.ReverseTheSort();
  EXPECT_EQ(Lines(l), (std::vector<String>{u"d", u"c", u"b", u"a"}));
  EXPECT_EQ(l.GetOne(0), 3);
  l.SetSorted(true);
  l.PutInRandomOrder();
  EXPECT_FALSE(l.Sorted());
  for (Int32 i = 0; i < l.Count(); ++i) EXPECT_EQ(l.GetOne(i), l[i][0] - u'a');
  std::vector<String> seen = Lines(l);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<String>{u"a", u"b", u"c", u"d"}));
  // A comparer that calls every pair "less" in both directions: the sort
  // stays inside the list and loses nothing.
  l.CustomSort([](TStringList*, Int32, Int32) { return -1; });
  seen = Lines(l);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<String>{u"a", u"b", u"c", u"d"}));
}

// ---- the count-plus-items stream form ------------------------------------------

TEST(Useful_classes_base_stringlistsStringlistWithALongintStream, GoldenBytesRoundTripAndAppend) {
  TStringlistWithALongint l;
  l.AddOne(u"ab", 5);
  l.AddOne(u"", -2);
  TMemoryStream ms;
  l.SaveToStream(&ms);
  const TBytes expected = Cat({Le32(2), Stored(u"ab"), Le32(5), Stored(u""), Le32(-2)});
  EXPECT_EQ(ms.ToBytes(), expected);
  TStringlistWithALongint back;
  back.AddOne(u"kept", 1);
  ms.SetPosition(0);
  back.LoadFromStream(&ms);
  EXPECT_EQ(Lines(back), (std::vector<String>{u"kept", u"ab", u""}));
  EXPECT_EQ(back.GetOne(1), 5);
  EXPECT_EQ(back.GetOne(2), -2);
}

TEST(Useful_classes_base_stringlistsStringlistWithALongintStream, CorruptCountsAndTruncatedItems) {
  {  // count 3, one whole item: the first line stays, then the read fails
    TStringlistWithALongint l;
    TBytesStream ms(Cat({Le32(3), Stored(u"a"), Le32(1)}));
    EXPECT_THROW(l.LoadFromStream(&ms), Exception);
    EXPECT_EQ(Lines(l), std::vector<String>{u"a"});
  }
  {  // a huge count over an empty rest: no lines, no huge allocation
    TStringlistWithALongint l;
    TBytesStream ms(Le32(INT32_MAX));
    EXPECT_THROW(l.LoadFromStream(&ms), Exception);
    EXPECT_EQ(l.Count(), 0);
  }
  {  // the item's integer cut short
    TStringlistWithALongint l;
    TBytesStream ms(Cat({Le32(1), Stored(u"abc"), TBytes{1, 0}}));
    EXPECT_THROW(l.LoadFromStream(&ms), Exception);
  }
  {  // a negative stored-string count
    TStringlistWithALongint l;
    TBytesStream ms(Cat({Le32(1), Le32(-5), Le32(0)}));
    EXPECT_THROW(l.LoadFromStream(&ms), Exception);
  }
  // Too short for the count, or a count of 0 or less: nothing, quietly.
  for (const TBytes& b : {TBytes{1, 0}, Le32(0), Le32(-4)}) {
    TStringlistWithALongint l;
    TBytesStream ms(b);
    EXPECT_NO_THROW(l.LoadFromStream(&ms));
    EXPECT_EQ(l.Count(), 0);
  }
}

TEST(Useful_classes_base_stringlistsStringListWith2IntsAndSingleStream, GoldenBytesAndRoundTrip) {
  TStringListWith2IntsAndSingle l;
  l.AddOne(u"w", T2LongintAndSingleRec{{1, -1}, 1.5f});
  TMemoryStream ms;
  l.SaveToStream(&ms);
  EXPECT_EQ(ms.ToBytes(), Cat({Le32(1), Stored(u"w"), Le32(1), Le32(-1), TBytes{0, 0, 0xC0, 0x3F}}));
  ms.SetPosition(0);
  TStringListWith2IntsAndSingle back;
  back.LoadFromStream(&ms);
  const TString2IntsAndSingleRec r = back.GetOneStrIntsSingle(0);
  EXPECT_EQ(r.str, u"w");
  EXPECT_EQ(r.ints_and_single.t2.long1, -1);
  EXPECT_EQ(r.ints_and_single.s, 1.5f);
  TBytesStream cut(Cat({Le32(1), Stored(u"w"), Le32(1), Le32(2)}));  // 4 bytes short
  EXPECT_THROW(back.LoadFromStream(&cut), Exception);
}

TEST(Useful_classes_base_stringlistsStringListWithDateStream, CountAloneAndNothingLoaded) {
  TStringListWithDate l;
  l.AddOne(u"d", 45000.5);
  TMemoryStream ms;
  l.SaveToStream(&ms);
  EXPECT_EQ(ms.ToBytes(), Le32(1));
  TStringListWithDate back;
  TBytesStream huge(Le32(INT32_MAX));
  back.LoadFromStream(&huge);
  EXPECT_EQ(back.Count(), 0);
}

TEST(Useful_classes_base_stringlistsSaveStringListStream, GoldenBytesAppendAndFailures) {
  TSaveStringList l;
  l.Add(u"x");
  l.Add(u"yz");
  TMemoryStream ms;
  EXPECT_TRUE(l.SavedToStream(&ms));
  EXPECT_EQ(ms.ToBytes(), Cat({Le32(2), Stored(u"x"), Stored(u"yz")}));
  ms.SetPosition(0);
  EXPECT_TRUE(l.ReadFromStream(&ms));
  EXPECT_EQ(Lines(l), (std::vector<String>{u"x", u"yz", u"x", u"yz"}));
  TSaveStringList bad;
  TBytesStream cut(Cat({Le32(1000000), Stored(u"a")}));
  EXPECT_THROW(bad.ReadFromStream(&cut), Exception);
  EXPECT_EQ(Lines(bad), std::vector<String>{u"a"});
  TBytesStream tooLong(Cat({Le32(1), Le32(global_string_safety_limit + 1)}));
  EXPECT_THROW(bad.ReadFromStream(&tooLong), Exception);
}

// ---- text into lines -----------------------------------------------------------

TEST(Useful_classes_base_stringlistsStringlistWithALongintText, TabRuleAndLineBreaks) {
  TStringlistWithALongint l;
  l.AddOne(u"replaced", 0);
  l.SetText(u"word\t12\r\nplain\n\t5\rword\tabc\r\n");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"word", u"plain", u"\t5", u"word\tabc"}));
  EXPECT_EQ(l.GetOne(0), 12);
  EXPECT_EQ(l.GetOne(1), -1);
  EXPECT_EQ(l.GetOne(2), -1);
  EXPECT_EQ(l.GetOne(3), -1);
  l.SetLineBreak(u"|");
  l.SetText(u"a\t1|b\r\nc|");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b\r\nc"}));
  l.SetText(u"");
  EXPECT_EQ(l.Count(), 0);
}

class TNoCommentsList : public TBaseAcceptableCheckStringlist {
 public:
  ~TNoCommentsList() override { Clear(); }
  bool AcceptableString(String& s) override {
    if (!s.empty() && s[0] == u'#') return false;
    s = u"<" + s + u">";
    return true;
  }
};

TEST(Useful_classes_base_stringlistsBaseAcceptableCheckStringlistText, FilterMayDropOrRewriteLines) {
  TNoCommentsList l;
  l.Add(u"old");
  l.SetText(u"#skip\r\nkeep\r\n\r\n#x");
  EXPECT_EQ(Lines(l), (std::vector<String>{u"<keep>", u"<>"}));
  TBaseAcceptableCheckStringlist all;
  all.SetText(u"a\nb");
  EXPECT_EQ(all.Count(), 2);
}

// Clear unmarks an index-checking list, so a sorted one that loads text keeps
// every line in the text's order, whatever its duplicate rule; the same
// through the byte-order-mark load.
TEST(Useful_classes_base_stringlistsIndexCheckStringlistText, SortedListLoadsUnsortedInFileOrder) {
  struct Kind {
    const char* name;
    std::function<std::unique_ptr<TIndexCheckStringlist>()> make;
  };
  const Kind kinds[] = {
      {"index check", [] { return std::make_unique<TIndexCheckStringlist>(); }},
      {"with date", [] { return std::make_unique<TStringListWithDate>(); }},
      {"with string", [] { return std::make_unique<TStringListWithString>(); }},
  };
  for (const Kind& kind : kinds) {
    for (TDuplicates dup : {dupIgnore, dupAccept, dupError}) {
      for (int from : {0, 1, 2}) {  // text, stream, file
        SCOPED_TRACE(testing::Message() << kind.name << ", dup " << static_cast<int>(dup) << ", from " << from);
        auto l = kind.make();
        l->SetDuplicates(dup);
        l->SetSorted(true);
        l->Add(u"left over");
        const TBytes bytes{'b', '\r', '\n', 'a', '\r', '\n', 'b'};
        if (from == 1) {
          TBytesStream in(bytes);
          EXPECT_NO_THROW(l->TUTF8Stringlist::LoadFromStream(&in));
        } else if (from == 2) {
          const std::string name = testing::TempDir() + "sorted_index_check_load.txt";
          {
            std::ofstream f(name, std::ios::binary);
            f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
          }
          EXPECT_NO_THROW(l->LoadFromFile(Utf8ToString(name)));
          std::remove(name.c_str());
        } else {
          EXPECT_NO_THROW(l->SetText(u"b\r\na\r\nb"));
        }
        EXPECT_EQ(Lines(*l), (std::vector<String>{u"b", u"a", u"b"}));
        EXPECT_FALSE(l->Sorted());
      }
    }
  }
}

// Lists that split text themselves, in a descendant whose Clear keeps the
// Sorted mark: taking the lines at once gives the lines, values and
// refusals that adding them one by one gives.
template <class Base, bool Bulk>
class TKeepsSortedThroughClear : public Base {
 public:
  ~TKeepsSortedThroughClear() override { Base::Clear(); }
  void Clear() override {
    const bool wasSorted = this->Sorted();
    Base::Clear();
    if (wasSorted) this->SetSorted(true);
  }

 protected:
  bool LoadsSortedTextInBulk() const override { return Bulk; }
};

template <class List>
std::pair<std::vector<String>, bool> LoadKeepingSorted(List& l, TDuplicates dup, const String& text) {
  l.SetDuplicates(dup);
  l.SetSorted(true);
  bool raised = false;
  try {
    l.SetText(text);
  } catch (const EStringListError&) {
    raised = true;
  }
  EXPECT_TRUE(l.Sorted());
  std::vector<String> got = Lines(l);
  for (Int32 i = 0; i < l.Count(); ++i)
    if constexpr (std::is_base_of_v<TStringlistWithALongint, List>) got[static_cast<size_t>(i)] += IntToStr(l.GetOne(i));
  return {got, raised};
}

TEST(Useful_classes_base_stringlistsSortedText, BulkLoadWithLineChecksMatchesLineByLine) {
  const String text = u"b\t3\r\n#x\r\na\t7\r\nB\r\nc\t-2\n\ta\r\n#y\rb\t9\r\nA\t1\r\nd";
  for (TDuplicates dup : {dupIgnore, dupAccept, dupError}) {
    SCOPED_TRACE(testing::Message() << "dup " << static_cast<int>(dup));
    TKeepsSortedThroughClear<TNoCommentsList, true> filterBulk;
    TKeepsSortedThroughClear<TNoCommentsList, false> filterOneByOne;
    const auto a = LoadKeepingSorted(filterBulk, dup, text);
    const auto b = LoadKeepingSorted(filterOneByOne, dup, text);
    EXPECT_EQ(a, b);
    EXPECT_FALSE(a.first.empty());
    TKeepsSortedThroughClear<TStringlistWithALongint, true> valuesBulk;
    TKeepsSortedThroughClear<TStringlistWithALongint, false> valuesOneByOne;
    const auto c = LoadKeepingSorted(valuesBulk, dup, text);
    const auto d = LoadKeepingSorted(valuesOneByOne, dup, text);
    EXPECT_EQ(c, d);
    EXPECT_EQ(c.second, dup == dupError);
  }
}

// ---- values per line and their sorts -------------------------------------------

TEST(Useful_classes_base_stringlistsStringlistWithALongintValues, CountsGettersAndFrequencySort) {
  TStringlistWithALongint l;
  l.SetSorted(true);
  l.SetCaseSensitive(true);
  for (const char16_t* w : {u"b", u"a", u"c", u"b", u"a", u"d"}) l.AddOrIncByOne(w);
  EXPECT_EQ(l.AddOrIncFreq(u"d", 4), 3);
  EXPECT_EQ(l.HighestFrequency(), 5);
  EXPECT_EQ(l.GetOne(99), 0);
  EXPECT_EQ(l.GetDataAsTabbedString(3), u"d\t5");
  EXPECT_EQ(l.GetDataAsTabbedString(-1), u"");
  EXPECT_EQ(l.GetAStringAndIntRec(4).s, u"");
  l.SortOnFreq();  // on a list marked sorted: it sorts, and drops the mark
  EXPECT_FALSE(l.Sorted());
  EXPECT_EQ(Lines(l), (std::vector<String>{u"d", u"a", u"b", u"c"}));  // ties by line
  EXPECT_EQ(l.IndexOf(u"c"), 3);  // lookups now scan
  TStringlistWithALongint neg;
  neg.AddOne(u"x", -3);
  EXPECT_EQ(neg.HighestFrequency(), 0);
}

TEST(Useful_classes_base_stringlistsStringListWith2LongintRecValues, IndexChecksRepeatsAndSort) {
  TStringListWith2LongintRec l;
  l.AddOne(u"b", {2, 1});
  l.AddOne(u"a", {2, 1});
  l.AddOne(u"c", {1, 3});
  l.AddToOneFreq(9, 5, t2_long0);
  l.Delete(9);
  l.IncOne(0, t2_long1);
  EXPECT_EQ(l.Repeateds(t2_long0), 2);
  EXPECT_EQ(l.Repeateds(t2_long1), 2);
  l.SortOnFreq(t2_long0);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b", u"c"}));  // b's long1 is 2 now
  l.SortOnFreq(t2_long1);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"c", u"b", u"a"}));
}

TEST(Useful_classes_base_stringlistsStringListWithIntAndSingleSorts, DirectionAndTies) {
  TStringListWithIntAndSingle l;
  l.AddOne(u"y", {1, 0.5f});
  l.AddOne(u"x", {2, 0.5f});
  l.AddOne(u"x", {3, 0.9f});
  l.SortOnStrings(false);  // the direction turns only the single, not the lines
  EXPECT_EQ(Lines(l), (std::vector<String>{u"x", u"x", u"y"}));
  EXPECT_EQ(l.GetOne(0).int_, 3);
  l.SortOnInt(false);
  EXPECT_EQ(l.GetOneStrIntSingle(0).int_and_single.int_, 3);
  EXPECT_EQ(l.GetOneStrIntSingle(2).str, u"y");
  l.SortOnSingleSort2String(true);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"x", u"y", u"x"}));
}

TEST(Useful_classes_base_stringlistsStringListWith2IntsAndSingleSorts, WhichIntegerAndDirection) {
  ScopedHandOverVariables handOver;  // the reads and sorts leave their hand-over values set
  TStringListWith2IntsAndSingle l;
  l.AddOne(u"a", {{5, 1}, 0.1f});
  l.AddOne(u"b", {{1, 5}, 0.1f});
  l.AddOne(u"c", {{1, 2}, 0.7f});
  l.SortOn_Int(t2_long1, true);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"c", u"b"}));
  l.SortOn_Int(t2_long0, true);  // tie on 1: s descending
  EXPECT_EQ(Lines(l), (std::vector<String>{u"c", u"b", u"a"}));
  l.SortOnSingle_Sort2Int(t2_long0, false);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"c", u"a", u"b"}));
}

TEST(Useful_classes_base_stringlistsStringListWithStringValues, IndexErrorsAndSecondStringSort) {
  ScopedHandOverVariables handOver;  // the reads and sorts leave their hand-over values set
  TStringListWithString l;
  l.AddOne(u"1", u"beta");
  l.AddOne(u"2", u"Alpha");
  l.AddOne(u"3", u"gamma");
  EXPECT_THROW(l.GetOne(3), EStringListError);
  l.SetOne(2, {u"three", u"ALPHA2"});
  EXPECT_EQ(l.GetOne(2).s1, u"ALPHA2");
  l.SortOnSubordinateStrings(true);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"2", u"three", u"1"}));
  l.SortOnSubordinateStrings(false);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"1", u"three", u"2"}));
}

// The long sorts of the lists: each gives the order its key states (random
// lines with distinct keys, so there is one right order), gives the host a
// yield on a list big enough to need one, and ends at a Stop with every line
// still there with its value.
TEST(Useful_classes_base_stringlistsLongSorts, OrderYieldsAndStopKeepEveryLine) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<TIndexCheckStringlist>(std::mt19937&, int n)> make;
    std::function<void(TIndexCheckStringlist&)> sort;
    // Line i with its value; ordinal order of the keys is the sort's order.
    std::function<String(TIndexCheckStringlist&, Int32 i)> item, key;
  };
  auto word = [](std::mt19937& rng, size_t len) {
    String w;
    while (w.size() < len) w += static_cast<Char>(u'a' + rng() % 26);
    return w;
  };
  auto padded = [](Int64 v) {  // ordinal order of the texts is numeric order
    String d = Utf8ToString(std::to_string(v));
    return String(12 - d.size(), u'0') + d;
  };
  auto asLongint = [](TIndexCheckStringlist& l) -> TStringlistWithALongint& {
    return static_cast<TStringlistWithALongint&>(l);
  };
  auto asSecond = [](TIndexCheckStringlist& l) -> TStringListWithString& {
    return static_cast<TStringListWithString&>(l);
  };
  const Case cases[] = {
      {"SortOnFreq",
       [&](std::mt19937& rng, int n) {
         auto l = std::make_unique<TStringlistWithALongint>();
         for (int i = 0; i < n; ++i) l->AddOne(word(rng, 10), static_cast<Int32>(rng() % 50));
         return l;
       },
       [&](TIndexCheckStringlist& l) { asLongint(l).SortOnFreq(); },
       [&](TIndexCheckStringlist& l, Int32 i) { return l.Get(i) + u"\t" + padded(asLongint(l).GetOne(i)); },
       // descending on the value, then the line
       [&](TIndexCheckStringlist& l, Int32 i) { return padded(100 - asLongint(l).GetOne(i)) + l.Get(i); }},
      {"Sort",
       [&](std::mt19937& rng, int n) {
         auto l = std::make_unique<TStringlistWithALongint>();
         for (int i = 0; i < n; ++i) l->AddOne(word(rng, 10), i);
         return l;
       },
       [](TIndexCheckStringlist& l) { l.Sort(); },
       [&](TIndexCheckStringlist& l, Int32 i) { return l.Get(i) + u"\t" + padded(asLongint(l).GetOne(i)); },
       [](TIndexCheckStringlist& l, Int32 i) { return l.Get(i); }},
      {"SortOnSubordinateStrings",
       [&](std::mt19937& rng, int n) {
         auto l = std::make_unique<TStringListWithString>();
         for (int i = 0; i < n; ++i) l->AddOne(padded(i), AnsiUpperCase(word(rng, 3)) + word(rng, 8));
         return l;
       },
       [&](TIndexCheckStringlist& l) { asSecond(l).SortOnSubordinateStrings(true); },
       [&](TIndexCheckStringlist& l, Int32 i) { return l.Get(i) + u"\t" + asSecond(l).GetOne(i).s1; },
       [&](TIndexCheckStringlist& l, Int32 i) { return AnsiLowerCase(asSecond(l).GetOne(i).s1); }},
  };
  ScopedHandOverVariables handOver;  // the sorts leave the direction flag set
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::mt19937 rng(21);
    auto list = c.make(rng, 3000);
    auto items = [&](TIndexCheckStringlist& l) {
      std::vector<String> v;
      for (Int32 i = 0; i < l.Count(); ++i) v.push_back(c.item(l, i));
      std::sort(v.begin(), v.end());
      return v;
    };
    const std::vector<String> before = items(*list);
    {
      EveryCheckYields everyCheck;
      YieldCounter yields;
      c.sort(*list);
      EXPECT_GE(yields.calls, 1);
    }
    EXPECT_EQ(items(*list), before);
    for (Int32 i = 1; i < list->Count(); ++i) ASSERT_LT(c.key(*list, i - 1), c.key(*list, i)) << i;

    // Stopped by the host at its second yield: the sort ends there.
    auto stopped = c.make(rng, 3000);
    const std::vector<String> unsorted = items(*stopped);
    {
      EveryCheckYields everyCheck;
      int calls = 0;
      Global_YieldProcessProc = [&] {
        if (++calls == 2) global_panic_state = panic_stop;
      };
      c.sort(*stopped);
      Global_YieldProcessProc = nullptr;
      global_panic_state = panic_no_panic;
      EXPECT_EQ(calls, 2);
    }
    EXPECT_EQ(items(*stopped), unsorted);
  }
}

TEST(Useful_classes_base_stringlistsStringListWithOtherValues, SinglesDatesMeansAndRecords) {
  TStringListWithASingle s;
  s.AddOne(u"a", 2.0f);
  EXPECT_EQ(s.AddOrIncByOne(u"a", 7.0f), 0);
  EXPECT_EQ(s.GetOne(0), 3.0f);
  s.AddOrIncByOne(u"b", 7.0f);
  s.SortOnFreq();
  EXPECT_EQ(s[0], u"b");
  TStringListWithDate d;
  d.AddOne(u"y", 2.0);
  d.AddOne(u"x", 2.0);
  d.AddOne(u"z", 1.0);
  d.SortOnDates(true);
  EXPECT_EQ(Lines(d), (std::vector<String>{u"z", u"x", u"y"}));
  d.SortOnDates(false);
  EXPECT_EQ(Lines(d), (std::vector<String>{u"y", u"x", u"z"}));
  TStringListWithStringAndMeanAndSD_rec m;
  m.AddOne(u"low", {{1.0f, 0.1f}, u""});
  m.AddOne(u"wide", {{3.0f, 0.9f}, u""});
  m.AddOne(u"tight", {{3.0f, 0.2f}, u""});
  m.SortOnMeans();
  EXPECT_EQ(Lines(m), (std::vector<String>{u"tight", u"wide", u"low"}));
  TStringListWithStringAndIntList r;
  global_reversed_sort = false;  // these two sorts take no direction of their own
  r.AddOne(u"1", {u"b", 2});
  r.AddOne(u"2", {u"a", 2});
  r.AddOne(u"3", {u"c", 1});
  r.SortOnInts();
  EXPECT_EQ(Lines(r), (std::vector<String>{u"3", u"2", u"1"}));
  r.SortOnSubStrings();
  EXPECT_EQ(Lines(r), (std::vector<String>{u"2", u"1", u"3"}));
}

TEST(Useful_classes_base_stringlistsStringListWithLongintListValues, ListsPerLineAndCountSort) {
  TStringListWithLongintList l;
  EXPECT_EQ(l.AddOneOrAddToList(u"a", 4), 1);
  EXPECT_EQ(l.AddOneOrAddToList(u"a", 4), 1);
  EXPECT_EQ(l.AddOrIncByOne(u"a", 4), 1);
  EXPECT_EQ(l.GetOne(0)->GetAValue(0), 4);  // a value held stays what it was
  EXPECT_EQ(l.AddOrIncByOne(u"a", 6), 2);
  l.AddOneOrAddToList(u"b", 1);
  l.CustomSort(StringListWithLongintListSortOn_ListCounts);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"a", u"b"}));
  EXPECT_THROW(l.GetOne(5), EStringListError);
  TStringListWith2LongintList p;
  p.AddOrAddPair(u"k", {2, 1});
  EXPECT_EQ(p.AddOrAddPair(u"k", {1, 9}), 2);
  p.SortListOn(t2_long1);
  EXPECT_EQ(p.GetOne(0)->GetAValue(0).long1, 1);
  p.SortListOn(t2_long0);
  EXPECT_EQ(p.GetOne(0)->GetAValue(0).long0, 1);
  EXPECT_EQ(p.GetOne(1), nullptr);
}

TEST(Useful_classes_base_stringlistsStringListWithStringListsOwnership, ListsPerLineFreedWithTheirLines) {
  TStringListWithStringLists l;
  EXPECT_EQ(l.AddOne(u"k", u"", true), 0);
  EXPECT_EQ(l.GetAList(0)->Count(), 0);
  EXPECT_TRUE(l.GetAList(0)->Sorted());
  l.AddToList(0, u"z");
  l.AddToList(0, u"a");
  EXPECT_EQ(l.GetAList(0)->Strings(0), u"a");
  l.AddOne(u"j", u"first", false);
  EXPECT_THROW(l.AddToList(2, u"x"), EStringListError);
  TStringListWithStringLists copy;
  copy.AddStrings(l);
  EXPECT_EQ(copy.GetAList(1), nullptr);
  l.Delete(0);
  EXPECT_EQ(l.GetAList(0)->Strings(0), u"first");
  TNumberAndTotalStringlist n;
  n.AddObject(u"held", new TNumberAndTotalHolder({1, 2}));
  TCounted foreign;
  n.AddObject(u"foreign", &foreign);
  n.Delete(0);
  n.Clear();  // the foreign object is the caller's and stays alive
  EXPECT_EQ(TCounted::alive, 1);
}

TEST(Useful_classes_base_stringlistsIndexCheckListOrder, ReverseIndexChecksAndBoundedSort) {
  int v[5] = {3, 1, 4, 1, 5};
  TIndexCheckList l;
  for (int& x : v) l.Add(&x);
  EXPECT_TRUE(l.IndexAssignedOK(4));
  EXPECT_FALSE(l.IndexAssignedOK(5));
  EXPECT_THROW(l.Items(5), EListError);
  l.ReverseTheSort();
  EXPECT_EQ(l.Items(0), &v[4]);
  EXPECT_EQ(l.Items(2), &v[2]);
  l.Sort([](Pointer, Pointer) { return -1; });
  for (int& x : v) EXPECT_GE(l.IndexOf(&x), 0);
  l.Sort([](Pointer a, Pointer b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  EXPECT_EQ(*static_cast<int*>(l.Items(4)), 5);
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

// The first line a scan finds, by the list's rule.
Int32 ScannedIndexOf(const TStringList& l, const String& s) {
  for (Int32 i = 0; i < l.Count(); ++i)
    if ((l.CaseSensitive() ? AnsiCompareStr(l[i], s) : AnsiCompareText(l[i], s)) == 0) return i;
  return -1;
}

// Counts the comparisons its lookups make.
class CountingKeyedList : public TKeyIndexedStringlist {
 public:
  Int32 CompareStrings(const String& a, const String& b) const override {
    ++compares;
    return TKeyIndexedStringlist::CompareStrings(a, b);
  }
  mutable Int32 compares = 0;
};

}  // namespace

// Lookups through the index answer what a scan answers, the first equal line,
// while the list changes between them in every way a caller may change it,
// under both case rules and in the Turkish locale.
TEST(Useful_classes_base_stringlistsKeyIndex, SameAnswersAsAScan) {
  TLookupTestDice dice(7);
  for (int round = 0; round < 8; ++round) {
    SetUserDefaultLocale(round % 4 == 3 ? "tr_TR" : "en_US");
    TKeyIndexedStringlist l;
    l.SetCaseSensitive(round % 2 == 1);
    for (int step = 0; step < 300; ++step) {
      SCOPED_TRACE(testing::Message() << "round " << round << " step " << step);
      switch (dice.Next(12)) {
        case 0: l.Insert(static_cast<Int32>(dice.Next(static_cast<Cardinal>(l.Count()) + 1)), dice.Word()); break;
        case 1:
          if (l.Count() > 0) l.Delete(static_cast<Int32>(dice.Next(static_cast<Cardinal>(l.Count()))));
          break;
        case 2:
          if (l.Count() > 1) l.Exchange(0, l.Count() - 1);
          break;
        case 3: l.SetCaseSensitive(!l.CaseSensitive()); break;
        case 4:
          if (dice.Next(4) == 0) l.Sort();
          break;
        default: l.Add(dice.Word()); break;
      }
      const String& word = dice.Word();
      ASSERT_EQ(l.IndexOf(word), ScannedIndexOf(l, word)) << l.Count();
    }
    // The locale the index was built in no longer holds.
    SetUserDefaultLocale("tr_TR");
    for (const String& word : LookupTestWords()) EXPECT_EQ(l.IndexOf(word), ScannedIndexOf(l, word));
  }
  SetUserDefaultLocale("en_US");
}

// After one scan, lookups in an unchanged list (or one only added to) make no
// comparison of lines at all.
TEST(Useful_classes_base_stringlistsKeyIndex, LookupsDoNotScan) {
  CountingKeyedList l;
  for (int i = 0; i < 500; ++i) l.Add(u"w" + IntToStr(i));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(l.IndexOf(u"W" + IntToStr(i * 3)), i * 3);
  l.Add(u"last");
  EXPECT_EQ(l.IndexOf(u"LAST"), 500);
  EXPECT_LE(l.compares, 501);  // the first lookup's scan
  l.Delete(0);                 // a change: one scan, then the index again
  l.compares = 0;
  for (int i = 1; i < 100; ++i) EXPECT_EQ(l.IndexOf(u"w" + IntToStr(i)), i - 1);
  EXPECT_LE(l.compares, 500);
}

// Numbers added to the lines' lists give the sizes and lists the one-by-one
// membership test gives: numbers in order, out of order, repeated, and lists
// changed or sorted through GetOne between adds.
TEST(Useful_classes_base_stringlistsStringListWithLongintListValues, NumberListsAsByScanning) {
  TLookupTestDice dice(11);
  TStringListWithLongintList l;
  std::vector<std::pair<String, std::vector<Int32>>> model;  // the old way: scans
  auto lineOf = [&model](const String& s) {
    for (size_t i = 0; i < model.size(); ++i)
      if (AnsiCompareText(model[i].first, s) == 0) return static_cast<Int32>(i);
    return -1;
  };
  Int32 next = 0;
  for (int step = 0; step < 3000; ++step) {
    SCOPED_TRACE(step);
    const String& word = dice.Word();
    const Cardinal how = dice.Next(20);
    Int32 n = how < 12 ? (next += static_cast<Int32>(dice.Next(3))) : static_cast<Int32>(dice.Next(40));
    Int32 line = lineOf(word);
    if (how == 19 && line >= 0) {  // the caller changes a line's list
      T1LongintList* list = l.GetOne(line);
      std::vector<Int32>& numbers = model[static_cast<size_t>(line)].second;
      if (dice.Next(2) == 0 && list->Count() > 1) {
        list->Delete(0);
        numbers.erase(numbers.begin());
      } else {
        list->SingleSort(tml_0);
        std::vector<Int32> sorted = numbers;
        std::sort(sorted.begin(), sorted.end());
        numbers = sorted;
      }
      continue;
    }
    const Int32 size = dice.Next(2) == 0 ? l.AddOneOrAddToList(word, n) : l.AddOrIncByOne(word, n);
    if (line < 0) {
      model.push_back({word, {}});
      line = static_cast<Int32>(model.size()) - 1;
    }
    std::vector<Int32>& numbers = model[static_cast<size_t>(line)].second;
    if (std::find(numbers.begin(), numbers.end(), n) == numbers.end()) {
      const T1LongintList* list = l.GetOne(line);
      if (list->sorted)  // a sorted list takes it in order
        numbers.insert(std::lower_bound(numbers.begin(), numbers.end(), n), n);
      else
        numbers.push_back(n);
    }
    ASSERT_EQ(size, static_cast<Int32>(numbers.size()));
  }
  ASSERT_EQ(l.Count(), static_cast<Int32>(model.size()));
  for (Int32 i = 0; i < l.Count(); ++i) {
    EXPECT_EQ(l[i], model[static_cast<size_t>(i)].first);
    EXPECT_EQ(l.GetOne(i)->ToArrayOfInteger(tml_0), model[static_cast<size_t>(i)].second);
  }
}

}  // namespace sk
