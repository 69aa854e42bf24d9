// Stored strings, tagged-word stream forms and the tagged-word lists.
#include <gtest/gtest.h>

#include <climits>
#include <algorithm>
#include <functional>

#include "TestSupport.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_occurrences.h"
#include "core/Stringtag_utils.h"
#include "core/Useful_classes_base_filelists.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_records.h"
#include "core/Useful_classes_base_streams.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

TBytes BytesOf(TMemoryStream& ms) { return ms.ToBytes(); }

TBytes CountBytes(Int32 n) {
  TBytes b(4);
  for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<Byte>((static_cast<uint32_t>(n) >> (8 * i)) & 0xFF);
  return b;
}

// A stream over a memory stream whose room runs out after `room` bytes: a
// write that does not fit is taken only in part, as a full disk would.
class TShortStream : public TMemoryStream {
 public:
  explicit TShortStream(Int64 room) : fRoom(room) {}
  Int64 Write(const void* buffer, Int64 count) override {
    const Int64 n = std::max<Int64>(0, std::min(count, fRoom - Position()));
    return n > 0 ? TMemoryStream::Write(buffer, n) : 0;
  }

 private:
  Int64 fRoom;
};

TStringTag Tag(const char16_t* w, const char16_t* t, Int32 n) {
  TStringTag r;
  r.wrd = w;
  r.tag = t;
  r.tagnum_2B = n;
  return r;
}

TStringTagFreq Freq(const char16_t* w, const char16_t* t, Int32 f) {
  TStringTagFreq r;
  r.st = Tag(w, t, 0);
  r.freq = f;
  return r;
}

String MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return u"<no exception>";
}

// ---- stored strings ----

TEST(Stringtag_utilsStoredString, GoldenBytes) {
  TMemoryStream ms;
  ASSERT_TRUE(WriteAString(&ms, u"AB"));
  EXPECT_EQ(BytesOf(ms), (TBytes{0x02, 0x00, 0x00, 0x00, 0x41, 0x00, 0x42, 0x00}));

  TMemoryStream empty;
  ASSERT_TRUE(WriteAString(&empty, u""));
  EXPECT_EQ(BytesOf(empty), (TBytes{0, 0, 0, 0}));
  empty.SetPosition(0);
  EXPECT_EQ(ReadAString(&empty), u"");
  EXPECT_EQ(empty.Position(), 4);
}

TEST(Stringtag_utilsStoredString, RoundTripKeepsEveryCodeUnit) {
  // An unpaired surrogate and a zero unit travel unchanged.
  const String odd = String(u"a") + Char(0xD800) + Char(0) + u"\u00E9z";
  TMemoryStream ms;
  ASSERT_TRUE(WriteAString(&ms, odd));
  ASSERT_TRUE(WriteAString(&ms, u"next"));
  ms.SetPosition(0);
  EXPECT_EQ(ReadAString(&ms), odd);
  EXPECT_EQ(ReadAString(&ms), u"next");
}

TEST(Stringtag_utilsStoredString, SafetyLimit) {
  ASSERT_EQ(global_string_safety_limit, 5000);
  TMemoryStream ms;
  ASSERT_TRUE(WriteAString(&ms, String(5000, u'x')));
  ms.SetPosition(0);
  EXPECT_EQ(ReadAString(&ms).size(), 5000u);

  TMemoryStream over;
  ASSERT_TRUE(WriteAString(&over, String(5001, u'x')));
  over.SetPosition(0);
  EXPECT_EQ(MessageOf([&] { ReadAString(&over); }), u"file read error (5001) : ReadAString");
  EXPECT_EQ(over.Position(), 4);  // just past the count

  TBytesStream negative(CountBytes(-1));
  EXPECT_EQ(MessageOf([&] { ReadAString(&negative); }), u"file read error (-1) : ReadAString");

  // The caller's limit replaces the global one.
  over.SetPosition(0);
  EXPECT_EQ(ReadAString(&over, INT32_MAX).size(), 5001u);
  over.SetPosition(0);
  EXPECT_EQ(MessageOf([&] { ReadAString(&over, 10); }), u"file read error (5001) : ReadAString");
}

TEST(Stringtag_utilsStoredString, CutShortByTheEndOfTheStream) {
  // A count without its characters fails with the count, reading nothing more.
  TBytes bytes = CountBytes(3);
  bytes.insert(bytes.end(), {0x41, 0x00, 0x42, 0x00});  // two of three units
  TBytesStream cut(bytes);
  EXPECT_EQ(MessageOf([&] { ReadAString(&cut); }), u"file read error (3) : ReadAString");
  EXPECT_EQ(cut.Position(), 4);

  // A huge count in a tiny stream is refused before anything is allocated.
  TBytesStream huge(CountBytes(INT32_MAX));
  EXPECT_EQ(MessageOf([&] { ReadAString(&huge, INT32_MAX); }),
            u"file read error (2147483647) : ReadAString");

  // No whole count left: the empty string.
  TBytesStream partial(TBytes{0x05, 0x00});
  EXPECT_EQ(ReadAString(&partial), u"");
  TMemoryStream none;
  EXPECT_EQ(ReadAString(&none), u"");
  EXPECT_EQ(ReadAString(nullptr), u"");
}

TEST(Stringtag_utilsStoredString, ShortWriteIsReported) {
  TShortStream noRoom(2);
  EXPECT_FALSE(WriteAString(&noRoom, u""));
  TShortStream roomForCount(5);
  EXPECT_FALSE(WriteAString(&roomForCount, u"AB"));
  TShortStream enough(8);
  EXPECT_TRUE(WriteAString(&enough, u"AB"));
  EXPECT_FALSE(WriteAString(nullptr, u"AB"));
}

// ---- tagged words ----

TEST(Stringtag_utilsTaggedWords, StoredForms) {
  TMemoryStream ms;
  ASSERT_TRUE(WriteAStringTagFreq(&ms, TStringTagFreq{Tag(u"a", u"<t>", 7), 3}));
  TBytes expected = CountBytes(1);
  expected.insert(expected.end(), {0x61, 0x00});
  const TBytes tagCount = CountBytes(3);
  expected.insert(expected.end(), tagCount.begin(), tagCount.end());
  expected.insert(expected.end(), {0x3C, 0x00, 0x74, 0x00, 0x3E, 0x00});
  const TBytes num = CountBytes(7), freq = CountBytes(3);
  expected.insert(expected.end(), num.begin(), num.end());
  expected.insert(expected.end(), freq.begin(), freq.end());
  EXPECT_EQ(BytesOf(ms), expected);

  ms.SetPosition(0);
  const TStringTagFreq back = ReadAStringTagFreq(&ms);
  EXPECT_EQ(back.st.wrd, u"a");
  EXPECT_EQ(back.st.tag, u"<t>");
  EXPECT_EQ(back.st.tagnum_2B, 7);
  EXPECT_EQ(back.freq, 3);
}

TEST(Stringtag_utilsTaggedWords, PcharTagStoredLikeStringTag) {
  TPcharTag p;
  p.wrd = TOwnedPWideChar(String(u"dog"));
  // p.tag stays nil: stored as an empty string
  p.tagnum_2B = -2;
  TMemoryStream a, b;
  ASSERT_TRUE(WriteAPcharTag(&a, p));
  ASSERT_TRUE(WriteAStringTag(&b, Tag(u"dog", u"", -2)));
  EXPECT_EQ(BytesOf(a), BytesOf(b));

  a.SetPosition(0);
  const TPcharTag back = ReadAPcharTag(&a);
  EXPECT_EQ(back.wrd.ToString(), u"dog");
  EXPECT_FALSE(back.tag.IsNil());
  EXPECT_EQ(back.tag.ToString(), u"");
  EXPECT_EQ(back.tagnum_2B, -2);
}

TEST(Stringtag_utilsTaggedWords, RecordCutShortRaises) {
  TMemoryStream ms;
  ASSERT_TRUE(WriteAStringTag(&ms, Tag(u"w", u"t", 1)));
  ms.SetSize(ms.Size() - 2);  // half of tagnum_2B is missing
  ms.SetPosition(0);
  EXPECT_NE(MessageOf([&] { ReadAStringTag(&ms); }), u"<no exception>");
  TMemoryStream empty;
  EXPECT_NE(MessageOf([&] { ReadAStringTagFreq(&empty); }), u"<no exception>");
}

TEST(Stringtag_utilsTaggedWords, ArraysRoundTripAndRefuseBadCounts) {
  const std::vector<TStringTag> arr = {Tag(u"one", u"<a>", 1), Tag(u"two", u"", 2)};
  TMemoryStream ms;
  ASSERT_TRUE(WriteAStringTagArray(&ms, arr));
  ms.SetPosition(0);
  const auto back = ReadAStringTagArray(&ms);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[1].wrd, u"two");
  EXPECT_EQ(back[0].tag, u"<a>");

  ms.SetPosition(0);
  const auto asPchar = ReadAPcharTagArray(&ms);
  ASSERT_EQ(asPchar.size(), 2u);
  EXPECT_EQ(asPchar[0].wrd.ToString(), u"one");

  // Cut inside the last item: nothing, not a partly filled array.
  ms.SetSize(ms.Size() - 1);
  ms.SetPosition(0);
  EXPECT_TRUE(ReadAStringTagArray(&ms).empty());
  ms.SetPosition(0);
  EXPECT_TRUE(ReadAPcharTagArray(&ms).empty());

  TBytesStream huge(CountBytes(INT32_MAX));
  EXPECT_TRUE(ReadAStringTagArray(&huge).empty());
  TBytesStream negative(CountBytes(-3));
  EXPECT_TRUE(ReadAStringTagArray(&negative).empty());
}

TEST(Stringtag_utilsTaggedWords, ArrayWriterStopsAtFirstShortWrite) {
  const std::vector<TStringTag> arr = {Tag(u"abc", u"", 0), Tag(u"def", u"", 0)};
  TShortStream s(10);  // count plus part of the first item
  EXPECT_FALSE(WriteAStringTagArray(&s, arr));
  EXPECT_LE(s.Size(), 10);
}

// ---- lists ----

TEST(Stringtag_utilsTagList, LookupsAndIndexChecks) {
  TStringTagList list;
  EXPECT_EQ(list.AddOne(Tag(u"the", u"", 0)), 0);
  EXPECT_EQ(list.AddOne(Tag(u"dog", u"<N>", 5)), 1);

  const TStringTag none = list.GetAStringTag(-1);
  EXPECT_EQ(none.wrd, u"");
  EXPECT_EQ(none.tag, u"");
  EXPECT_EQ(none.tagnum_2B, 0);
  list.SetAStringTag(2, Tag(u"x", u"", 0));  // outside: nothing happens
  EXPECT_EQ(list.Count(), 2);

  EXPECT_EQ(list.IndexOfString(u"THE"), -1);  // exact
  EXPECT_EQ(list.IndexOfString(u"dog"), 1);   // tag ignored
  EXPECT_EQ(list.IndexOfStringTag(Tag(u"THE", u"", 0)), 0);
  EXPECT_EQ(list.IndexOfStringTag(Tag(u"dog", u"<V>", 0)), -1);
  EXPECT_EQ(list.IndexOfStringTag(Tag(u"*", u"<V>", 0)), 0);  // a lone asterisk matches anything
}

TEST(Stringtag_utilsTagList, ReadingAppends) {
  TStringTagList source;
  source.AddOne(Tag(u"d", u"", 4));
  source.AddOne(Tag(u"e", u"<x>", 5));
  TMemoryStream ms;
  ASSERT_TRUE(source.SaveToStream(&ms));

  TStringTagList list;
  for (const char16_t* w : {u"a", u"b", u"c"}) list.AddOne(Tag(w, u"", 0));
  ms.SetPosition(0);
  ASSERT_TRUE(list.ReadFromStream(&ms));
  ASSERT_EQ(list.Count(), 5);
  EXPECT_EQ(list.GetAStringTag(3).wrd, u"d");
  EXPECT_EQ(list.GetAStringTag(4).tag, u"<x>");
}

TEST(Stringtag_utilsTagList, TruncatedStreamAppendsNothing) {
  TStringTagList source;
  source.AddOne(Tag(u"one", u"", 1));
  source.AddOne(Tag(u"two", u"", 2));
  TMemoryStream ms;
  ASSERT_TRUE(source.SaveToStream(&ms));
  const TBytes whole = ms.ToBytes();

  for (size_t cut : {size_t(0), size_t(2), size_t(4), size_t(10), whole.size() - 1}) {
    TBytesStream part(TBytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
    TStringTagList list;
    list.AddOne(Tag(u"kept", u"", 0));
    EXPECT_FALSE(list.ReadFromStream(&part)) << "cut at " << cut;
    EXPECT_EQ(list.Count(), 1) << "cut at " << cut;
  }

  TBytesStream huge(CountBytes(INT32_MAX));
  TStringTagList list;
  EXPECT_FALSE(list.ReadFromStream(&huge));
  TBytesStream negative(CountBytes(-1));
  EXPECT_FALSE(list.ReadFromStream(&negative));
  EXPECT_EQ(list.Count(), 0);
}

TEST(Stringtag_utilsTagList, SaveStopsAtFirstShortWrite) {
  TStringTagList list;
  list.AddOne(Tag(u"abc", u"", 0));
  TShortStream s(6);
  EXPECT_FALSE(list.SaveToStream(&s));
  TStringTagFreqList freqs;
  freqs.AddOne(Freq(u"abc", u"", 1));
  TShortStream s2(17);
  EXPECT_FALSE(freqs.SaveToStream(&s2));
}

TEST(Stringtag_utilsFreqList, AddOneOrIncFreqCountsByOne) {
  TStringTagFreqList list;
  EXPECT_EQ(list.AddOneOrIncFreq(Freq(u"cat", u"", 10)), 0);
  EXPECT_EQ(list.GetAStringTagFreq(0).freq, 10);  // a new item keeps its frequency
  EXPECT_EQ(list.AddOneOrIncFreq(Freq(u"CAT", u"", 10)), 0);
  EXPECT_EQ(list.GetAStringTagFreq(0).freq, 11);
  EXPECT_EQ(list.AddOneOrIncFreq(Freq(u"cat", u"<N>", 1)), 1);  // another tag
  EXPECT_EQ(list.Count(), 2);
}

// A frequency read from a file may already be the largest Int32: counting
// the item again keeps it there instead of overflowing.
TEST(Stringtag_utils, AddOneOrIncFreqSaturatesAStoredMaximum) {
  TStringTagFreqList source;
  source.AddOne(Freq(u"the", u"<DT>", INT32_MAX));
  TMemoryStream ms;
  ASSERT_TRUE(source.SaveToStream(&ms));
  ms.SetPosition(0);
  TStringTagFreqList list;
  ASSERT_TRUE(list.ReadFromStream(&ms));
  EXPECT_EQ(list.AddOneOrIncFreq(Freq(u"the", u"<DT>", 1)), 0);
  EXPECT_EQ(list.GetAStringTagFreq(0).freq, INT32_MAX);
  EXPECT_EQ(list.AddOneOrIncFreq(Freq(u"the", u"<DT>", 1)), 0);
  EXPECT_EQ(list.GetAStringTagFreq(0).freq, INT32_MAX);
}

TEST(Stringtag_utilsFreqList, SortOnFreqOrder) {
  TStringTagFreqList list;
  list.AddOne(Freq(u"b", u"", 2));
  list.AddOne(Freq(u"z", u"", 9));
  list.AddOne(Freq(u"a", u"<x>", 2));
  list.AddOne(Freq(u"B", u"", 2));
  list.AddOne(Freq(u"m", u"", -1));
  list.SortOnFreq();
  std::vector<String> order;
  for (Int32 i = 0; i < list.Count(); ++i) order.push_back(list.GetAStringTagFreq(i).st.wrd);
  // Highest frequency first; ties by code unit, so "B" before "a" before "b".
  EXPECT_EQ(order, (std::vector<String>{u"z", u"B", u"a", u"b", u"m"}));
}

TEST(Stringtag_utilsFreqList, StreamRoundTripAppends) {
  TStringTagFreqList source;
  source.AddOne(Freq(u"x", u"<t>", 3));
  TMemoryStream ms;
  ASSERT_TRUE(source.SaveToStream(&ms));
  EXPECT_EQ(ms.Size(), 4 + 4 + 2 + 4 + 6 + 4 + 4);
  TStringTagFreqList list;
  list.AddOne(Freq(u"y", u"", 1));
  ms.SetPosition(0);
  ASSERT_TRUE(list.ReadFromStream(&ms));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetAStringTagFreq(1).freq, 3);
  EXPECT_EQ(list.GetAStringTagFreq(1).st.tag, u"<t>");

  ms.SetSize(ms.Size() - 1);
  ms.SetPosition(0);
  EXPECT_FALSE(list.ReadFromStream(&ms));
  EXPECT_EQ(list.Count(), 2);
}

// Every list reads back the texts its writer wrote, whatever their length:
// each kind saves a list holding the text among shorter ones and reads it back
// into a new list.  The one-argument stored-string reader keeps its limit.
TEST(Stringtag_utilsLists, EveryListReadsBackTheLongTextsItsWriterWrote) {
  ASSERT_EQ(global_string_safety_limit, 5000);
  const ScopedHandOverVariables keep;  // the lists' readers hand values over in them
  // Saves a list holding text, reads the stream into a new list; the text read
  // back at the same place.
  using TRoundTrip = std::function<String(const String& text, TMemoryStream& ms)>;
  const struct {
    const char* kind;
    TRoundTrip trip;
  } kinds[] = {
      {"tagged words",
       [](const String& text, TMemoryStream& ms) {
         TStringTagList l, back;
         l.AddOne(Tag(u"a", u"", 1)), l.AddOne(TStringTag{u"b", text, 2}), l.AddOne(Tag(u"c", u"", 3));
         EXPECT_TRUE(l.SaveToStream(&ms));
         ms.SetPosition(0);
         EXPECT_TRUE(back.ReadFromStream(&ms));
         return back.GetAStringTag(1).tag;
       }},
      {"tagged words with frequencies",
       [](const String& text, TMemoryStream& ms) {
         TStringTagFreqList l, back;
         for (Int32 i = 0; i < 50; ++i) l.AddOne(Freq(u"w", u"", i));
         l.AddOne(TStringTagFreq{TStringTag{text, u"", 0}, 7});
         EXPECT_TRUE(l.SaveToStream(&ms));
         ms.SetPosition(0);
         EXPECT_TRUE(back.ReadFromStream(&ms));
         return back.GetAStringTagFreq(50).st.wrd;
       }},
      {"tagged-word array in a concordance entry",
       [](const String& text, TMemoryStream& ms) {
         TQMEntryDetailsRec rec{};
         rec.main_word_arr = {TStringTag{text, u"", 0}};
         rec.main_word2_arr = {Tag(u"next", u"", 0)};
         EXPECT_TRUE(WriteAQMEntryDetailsRec_ForConcord(&ms, rec));
         ms.SetPosition(0);
         const TQMEntryDetailsRec back = ReadAQMEntryDetailsRec_ForConcord(&ms);
         EXPECT_EQ(back.main_word2_arr.size(), 1u);
         return back.main_word_arr.empty() ? String(u"<none>") : back.main_word_arr[0].wrd;
       }},
      {"search requests",
       [](const String& text, TMemoryStream& ms) {
         EXPECT_TRUE(WriteArrayOfSearchReqStringAndFlags(&ms, {TSearchReqStringAndFlags{u"a", {}},
                                                                TSearchReqStringAndFlags{text, {}}}));
         ms.SetPosition(0);
         const auto back = ReadArrayOfSearchReqStringAndFlags(&ms);
         return back.size() == 2 ? back[1].search_str : String(u"<none>");
       }},
      {"annotations",
       [](const String& text, TMemoryStream& ms) {
         TStringColumnAndColourList l, back;
         l.AddOne(TStringTrueColumnAndColourRec{1, 2, u"x"}), l.AddOne(TStringTrueColumnAndColourRec{3, 4, text});
         EXPECT_TRUE(l.SaveToStream(&ms));
         ms.SetPosition(0);
         EXPECT_TRUE(back.ReadFromStream(&ms));
         return back.GetAString(1);
       }},
      {"two strings and two integers",
       [](const String& text, TMemoryStream& ms) {
         T2StringsAnd2IntegersList l, back;
         l.AddOne(T2StringsAnd2IntegersRec{1, 2, text, u"s2"});
         EXPECT_TRUE(l.SaveToStream(&ms));
         ms.SetPosition(0);
         EXPECT_TRUE(back.ReadFromStream(&ms));
         EXPECT_EQ(back.GetTwoStringsAndInt(0).s2, u"s2");
         return back.GetTwoStringsAndInt(0).s1;
       }},
      {"lines with an integer",
       [](const String& text, TMemoryStream& ms) {
         TStringlistWithALongint l, back;
         l.AddOne(u"a", 1), l.AddOne(text, 2);
         l.SaveToStream(&ms);
         ms.SetPosition(0);
         back.LoadFromStream(&ms);
         EXPECT_EQ(back.GetOne(1), 2);
         return back.Get(1);
       }},
      {"lines with two integers and a single",
       [](const String& text, TMemoryStream& ms) {
         TStringListWith2IntsAndSingle l, back;
         l.AddOne(text, T2LongintAndSingleRec{});
         l.SaveToStream(&ms);
         ms.SetPosition(0);
         back.LoadFromStream(&ms);
         return back.Get(0);
       }},
      {"saved lines",
       [](const String& text, TMemoryStream& ms) {
         TSaveStringList l, back;
         l.Add(u"a"), l.Add(text), l.Add(u"c");
         EXPECT_TRUE(l.SavedToStream(&ms));
         ms.SetPosition(0);
         EXPECT_TRUE(back.ReadFromStream(&ms));
         return back.Get(1);
       }},
      {"words with their occurrences",
       [](const String& text, TMemoryStream& ms) {
         TStringlistWithListOfOccurrences l, back;
         l.AddOrIncOneByFreq(text, 1, 3);
         EXPECT_TRUE(l.SavedToStream(&ms));
         ms.SetPosition(0);
         EXPECT_TRUE(back.LoadedFromStream(&ms));
         return back.Get(0);
       }},
      {"search records",
       [](const String& text, TMemoryStream& ms) {
         TMySearchRecList l, back;
         l.AddOne(TMySearchRec{45001.0, 10, 0, 0, text});
         EXPECT_TRUE(l.SaveToStream(&ms));
         ms.SetPosition(0);
         EXPECT_TRUE(back.ReadFromStream(&ms));
         return back.GetAMySearchRec(0).ShortName;
       }},
      {"files by folder",
       [](const String& text, TMemoryStream& ms) {
         TFolderEfficientFileList l, back;
         TBasicFileRec longName{}, inLongFolder{};
         longName.ShortName = text;
         inLongFolder.ShortName = u"short.txt";
         l.AddOne(u"/folder", longName);
         l.AddOne(u"/" + text, inLongFolder);
         EXPECT_TRUE(l.DoWriteToStream(&ms));
         ms.SetPosition(0);
         EXPECT_TRUE(back.DoReadFromStream(&ms));
         EXPECT_EQ(back.GetFullFilename(1), u"/" + text + u"/short.txt");
         return back.GetFullFilename(0).substr(std::min<size_t>(8, back.GetFullFilename(0).size()));
       }},
  };
  for (const Int32 length : {4999, 5000, 5001, 100000}) {
    // Every code unit, a lone surrogate too.
    String text(static_cast<size_t>(length), u'x');
    for (Int32 i = 0; i < length; ++i) text[static_cast<size_t>(i)] = static_cast<Char>(u'a' + i % 26);
    text[static_cast<size_t>(length / 2)] = 0xD800;
    for (const auto& k : kinds) {
      TMemoryStream ms;
      String back;
      try {
        back = k.trip(text, ms);
      } catch (const Exception& e) {
        ADD_FAILURE() << k.kind << " at " << length << ": " << StringToUtf8(e.Message());
        continue;
      }
      EXPECT_TRUE(back == text) << k.kind << " at " << length << " read back " << back.size() << " units";
    }
    // A lone stored string keeps its limit.
    TMemoryStream ms;
    ASSERT_TRUE(WriteAString(&ms, text));
    ms.SetPosition(0);
    if (length <= 5000) {
      EXPECT_EQ(ReadAString(&ms), text);
    } else {
      EXPECT_EQ(MessageOf([&] { ReadAString(&ms); }), u"file read error (" + IntToStr(length) + u") : ReadAString");
    }
  }
  // Within the list readers a count is still believed only as far as the
  // stream holds its characters, and never when negative.
  TBytes cut = CountBytes(100000);
  cut.insert(cut.end(), 20, 0x41);
  TBytesStream cutShort(cut);
  EXPECT_EQ(MessageOf([&] { ReadAListString(&cutShort); }), u"file read error (100000) : ReadAString");
  String whole = u"kept";
  cutShort.SetPosition(0);
  EXPECT_FALSE(ReadAListStringIfWhole(&cutShort, whole));
  EXPECT_EQ(whole, u"");
  TBytesStream negative(CountBytes(-1));
  EXPECT_EQ(MessageOf([&] { ReadAListString(&negative); }), u"file read error (-1) : ReadAString");
  negative.SetPosition(0);
  EXPECT_THROW(ReadAListStringIfWhole(&negative, whole), Exception);
}

}  // namespace
}  // namespace sk
