// Search-word lists: adding and reading words, the text files and the
// streams (golden bytes, old versions, corrupt input), context words.
#include <gtest/gtest.h>

#include <climits>

#include "AnalysisTestSupport.h"
#include "TestSupport.h"
#include "analysis/Base_search_itemsU.h"
#include "analysis/Search_parsing.h"
#include "core/My_string_functions_notation.h"

namespace sk {
namespace {

const TMSSearchFlags kLR{msLeftBounded, msRightBounded};

std::vector<String> Typed(const TBaseSearchItems& list) { return list.TypedInWordsAsArrayOfString(); }

class Base_search_itemsU : public ScratchFolderTest {
 protected:
  Base_search_itemsU() : ScratchFolderTest("sk_swlists") {}
};

TEST_F(Base_search_itemsU, AddingWordsAndAlternatives) {
  TBaseSearchItems list(TIgnore_tag{}, LOCALE_USER_DEFAULT, true, se_searchword);
  EXPECT_EQ(list.AddSW(u"a/b/c"), 0);
  EXPECT_EQ(list.AddSW(u"colo*r"), 3);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.GetSWR(3).search_text, u"colo\x15r");
  // White space adds nothing, alone or as an alternative.
  EXPECT_EQ(list.AddSW(u"   "), -1);
  EXPECT_EQ(list.AddSW(u"x/  "), 4);
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(list.AddSW(TStringTag{u"tagged", u"<N>", 1}), 5);
  EXPECT_EQ(list.AddSW(TSearchReqStringAndFlags{u"raw*", {msCaseIsSensitive}}), 6);
  EXPECT_EQ(list.GetSWR(6).search_text, u"raw*");  // not parsed
  EXPECT_TRUE(list.GetAFlag(6) == TMSSearchFlags{msCaseIsSensitive});
  EXPECT_EQ(list.GetSWR(6).typed_in_text, u"");
  EXPECT_EQ(Typed(list), (std::vector<String>{u"a", u"b", u"c", u"colo*r", u"x", u"tagged", u""}));
  // Every word has a variants list of its own.
  EXPECT_NE(list.GetPtr(0)->variants_found, nullptr);
  EXPECT_NE(list.GetPtr(0)->variants_found, list.GetPtr(1)->variants_found);
}

TEST_F(Base_search_itemsU, InsertingAtTheTop) {
  TBaseSearchItems list(TIgnore_tag{}, LOCALE_USER_DEFAULT, true, se_searchword);
  list.AddSW(u"old");
  EXPECT_EQ(list.InsertSearchWordsAtTop(u"x/y/ /z"), (std::vector<Int32>{0, 1, 2}));
  EXPECT_EQ(Typed(list), (std::vector<String>{u"x", u"y", u"z", u"old"}));
  EXPECT_TRUE(list.InsertSearchWordsAtTop(u"").empty());
}

TEST_F(Base_search_itemsU, InvalidIndexesGiveTheirFallbacks) {
  TBaseSearchItems list;
  list.AddSW(u"word");
  for (Int32 i : {-1, 1, INT32_MAX}) {
    EXPECT_EQ(list.GetPtr(i), nullptr);
    EXPECT_EQ(list.GetSWR(i).typed_in_text, u"");
    EXPECT_TRUE(list.GetAFlag(i).Empty());
    EXPECT_EQ(list.GetHitsFound(i), 0);
    EXPECT_EQ(list.GetNWanted(i), 2147483647);
    EXPECT_EQ(list.GetSpacesInSW(i), 0);
    EXPECT_EQ(list.GetLanguage(i), 0);
    EXPECT_EQ(list.TypedInWord(i), u"");
    EXPECT_EQ(list.GetASWContext(i, 0).search_str, u"");
    list.SetHitsFound(i, 5);
    list.IncrementHits(i);
    list.SetNWanted(i, 5);
    list.SetAFlag(i, kLR);
    list.PutSWR(i, TQMSearchWordRec{});
    list.ClearOne(i);
    list.MoveToTop(i);
    EXPECT_THROW(list.SetLanguage(i, 3), EListError);
  }
  EXPECT_EQ(list.GetASWContext(0, 0).search_str, u"");
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.GetHitsFound(0), 0);
}

TEST_F(Base_search_itemsU, OneWordAccessors) {
  TBaseSearchItems list;
  list.AddSW(u"a b");
  list.AddSW(u"second");
  list.SetHitsFound(0, 4);
  list.IncrementHits(0);
  list.SetNWanted(1, 7);
  list.SetLanguage(1, 3);
  EXPECT_EQ(list.GetHitsFound(0), 5);
  EXPECT_EQ(list.GetNWanted(1), 7);
  EXPECT_EQ(list.GetLanguage(1), 3);
  EXPECT_EQ(list.GetSpacesInSW(0), 1);
  list.SetHits({9});
  EXPECT_EQ(list.GetHitsFound(0), 9);
  EXPECT_EQ(list.GetHitsFound(1), 0);
  list.SetHits({1, 2, 3});
  EXPECT_EQ(list.TotalHits(), 3);
  list.ClearHits();
  EXPECT_EQ(list.TotalHits(), 0);

  // PutSWR keeps the word's own variants list.
  TStringTagFreqList* own = list.GetPtr(0)->variants_found;
  TQMSearchWordRec other;
  other.typed_in_text = u"replaced";
  list.PutSWR(0, other);
  EXPECT_EQ(list.TypedInWord(0), u"replaced");
  EXPECT_EQ(list.GetPtr(0)->variants_found, own);

  list.MoveToTop(1);
  EXPECT_EQ(Typed(list), (std::vector<String>{u"second", u"replaced"}));
  list.ClearOne(0);
  EXPECT_EQ(Typed(list), (std::vector<String>{u"replaced"}));
}

TEST_F(Base_search_itemsU, LookingWordsUp) {
  TBaseSearchItems list;
  list.AddSW(u"Cat/dog");
  TQMSearchWordRec probe;
  probe.typed_in_text = u"dog";
  EXPECT_EQ(list.IndexOf(probe), 1);
  probe.Language_num = 2;
  EXPECT_EQ(list.IndexOf(probe), -1);
  EXPECT_EQ(list.EnsureContains(probe), 2);
  EXPECT_EQ(list.EnsureContains(probe), 2);
  EXPECT_EQ(list.TypeInIndexOf(u"cat"), -1);
  EXPECT_EQ(list.TypeInIndexOf(u"cat", false), 0);
  EXPECT_EQ(list.TypeInIndexOf(u"Cat"), 0);
  const std::vector<TQMSearchWordRec> copies = list.CopyOfArrayOFSWItems({1, -1, 0});
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_EQ(copies[0].typed_in_text, u"dog");
  EXPECT_EQ(copies[1].typed_in_text, u"");
  EXPECT_EQ(copies[2].typed_in_text, u"Cat");
  EXPECT_EQ(Lines(*list.TypedInWordsAsStringlist()), (std::vector<String>{u"Cat", u"dog", u"dog"}));
}

TEST_F(Base_search_itemsU, AllTypedWordsAsOne) {
  TBaseSearchItems list(TIgnore_tag{}, LOCALE_USER_DEFAULT, true, se_searchword);
  for (int i = 0; i < 12; ++i) list.AddSW(u"==w" + IntToStr(i) + u"==");
  EXPECT_EQ(list.AllTypedSearchWordsAsOne(true), u"w0/w1/w2/w3/w4/w5/w6/w7/w8/w9 etc.");
  EXPECT_EQ(list.AllTypedSearchWordsAsOne(false), u"w0/w1/w2/w3/w4/w5/w6/w7/w8/w9/w10/w11");
  EXPECT_EQ(list.SearchesPlannedCount(), 12);
  TBaseSearchItems few(TIgnore_tag{}, LOCALE_USER_DEFAULT, false, se_searchword);
  few.AddSW(u"a/b");
  EXPECT_EQ(few.AllTypedSearchWordsAsOne(true), u"a/b");
  EXPECT_EQ(few.SearchesPlannedCount(), 1);  // this list does not split
  EXPECT_EQ(Lines(*few.TypeInParts(u"a   b/c")), (std::vector<String>{u"a b/c"}));
  EXPECT_EQ(Lines(*list.TypeInParts(u"a   b/c")), (std::vector<String>{u"a b", u"c"}));
}

TEST_F(Base_search_itemsU, PlainSearchWords) {
  TBaseSearchItems list;
  list.AddSW(u"==Cat==/*ing");
  TSimpleSearchlist* plain = list.ComputePlainSearchWords();
  ASSERT_EQ(plain->Count(), 2);
  EXPECT_EQ(plain->GetASearchRec(0).mainwd.wd, u"Cat");
  EXPECT_TRUE(plain->GetASearchRec(0).mainwd.flags == (TMSSearchFlags{msCaseIsSensitive, msLeftBounded, msRightBounded}));
  EXPECT_EQ(plain->GetASearchRec(1).mainwd.wd, u"ing");
  EXPECT_FLOAT_EQ(plain->GetASearchRec(1).Value_if_found, 1.0f);
  list.Clear();
  EXPECT_EQ(list.ComputePlainSearchWords()->Count(), 0);
}

TEST_F(Base_search_itemsU, CopyingLists) {
  TBaseSearchItems a;
  a.AddSW(u"one/two");
  a.fFrom_a_file = true;
  a.GetPtr(0)->variants_found->AddOne({TStringTag{u"ONE", u"", 0}, 3});
  TBaseSearchItems b;
  b.AddSW(u"old");
  b.CopyFrom(a);
  EXPECT_EQ(Typed(b), (std::vector<String>{u"one", u"two"}));
  EXPECT_TRUE(b.fFrom_a_file);
  EXPECT_EQ(b.GetPtr(0)->variants_found->Count(), 0);  // found variants are not copied
  EXPECT_EQ(a.GetPtr(0)->variants_found->Count(), 1);
  EXPECT_EQ(a.AddSWs(a), 2);
  EXPECT_EQ(Typed(a), (std::vector<String>{u"one", u"two", u"one", u"two"}));
}

TEST_F(Base_search_itemsU, TextFiles) {
  // 1,500 lines of single words, with comments and empty lines.
  std::string content = "; a comment\r\n\r\n";
  for (int i = 0; i < 1500; ++i) content += "w" + std::to_string(i) + "\r\n";
  WriteRaw("many.txt", content);
  TSearchWordItems list(TIgnore_tag{}, LOCALE_USER_DEFAULT, true, se_searchword);
  EXPECT_TRUE(list.LoadFromTextFile(File("many.txt")));
  EXPECT_EQ(list.Count(), 1000);
  EXPECT_EQ(list.TypedInWord(0), u"w0");
  EXPECT_EQ(list.TypedInWord(999), u"w999");
  EXPECT_TRUE(list.fFrom_a_file);

  struct Case {
    std::string bytes;
    std::vector<String> words;
  } cases[] = {
      {"cat\ndog/hen\n;skip\n  \n", {u"cat", u"dog", u"hen"}},
      {"\xEF\xBB\xBF" "caf\xC3\xA9\r\n", {u"café"}},
      {std::string("\xFF\xFE" "a\0/\0b\0\r\0\n\0", 12), {u"a", u"b"}},
      {std::string("\xFE\xFF\0x", 4), {u"x"}},
      // The last line is not trimmed by the tidying: white space still adds nothing.
      {"a\n   ", {u"a"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    WriteRaw("one.txt", c.bytes);
    TBaseSearchItems plain(TIgnore_tag{}, LOCALE_USER_DEFAULT, true, se_searchword);
    EXPECT_EQ(plain.LoadFromTextFile(File("one.txt")), !c.words.empty());
    EXPECT_EQ(Typed(plain), c.words);
    EXPECT_EQ(plain.fFrom_a_file, !c.words.empty());
  }
  EXPECT_THROW(list.LoadFromTextFile(File("missing.txt")), EFOpenError);
  EXPECT_EQ(list.Count(), 1000);  // nothing lost before the file was read
}

TEST_F(Base_search_itemsU, SavedTextFileGoldenBytes) {
  TBaseSearchItems list;
  list.AddSW(u"==Cat==");
  list.AddSW(u"é *");
  ASSERT_TRUE(list.SaveToTextFile(File("out.txt")));
  const std::string expected("\xFF\xFE"
                             "=\0=\0C\0a\0t\0=\0=\0\r\0\n\0"
                             "\xE9\0 \0*\0\r\0\n\0",
                             30);
  EXPECT_EQ(ReadRaw("out.txt"), expected);
  TBaseSearchItems back;
  EXPECT_TRUE(back.LoadFromTextFile(File("out.txt")));
  EXPECT_EQ(Typed(back), Typed(list));
  // A file that cannot be written is reported, and an old file stays whole.
  EXPECT_FALSE(list.SaveToTextFile(File("no/such/folder/out.txt")));
  TBaseSearchItems empty;
  ASSERT_TRUE(empty.SaveToTextFile(File("empty.txt")));
  EXPECT_EQ(ReadRaw("empty.txt"), "\xFF\xFE");
}

// The stream of one word as the writer lays it out.
ByteBuilder WordBytes(const TQMSearchWordRec& r, const std::vector<TStringTagFreq>& variants) {
  ByteBuilder b;
  b.U8(r.flags.bits[0]).U8(r.typed_unlike_search).U8(r.allow_punct_in_sw).U8(r.copies_converted);
  b.U8(r.has_file_based_context_word).U8(r.is_context_searchword).U8(r.sw_contains_a_tag).Zeros(1);
  b.I16(r.Language_num).Zeros(2).I32(r.index_num).I32(r.n_wanted).I32(r.hits_found).I32(r.spaces_in_sw);
  b.I32(r.SearchColumn).U8(r.sw_context_spans.leftmost).U8(r.sw_context_spans.rightmost).Zeros(2);
  b.I32(3).U8(r.initial_wildcard).U8(0).Zeros(6).Zeros(24).Zeros(8);
  b.I32(static_cast<Int32>(variants.size()));
  for (const TStringTagFreq& v : variants) b.Str(v.st.wrd).Str(v.st.tag).I32(v.st.tagnum_2B).I32(v.freq);
  b.I32(static_cast<Int32>(r.sw_contexts_needed.size()));
  for (const TSearchReqStringAndFlags& c : r.sw_contexts_needed) b.Str(c.search_str).U8(c.flags.bits[0]);
  b.Str(r.within_tag_section).Str(r.typed_in_text).Str(r.search_text);
  return b;
}

TEST_F(Base_search_itemsU, StreamGoldenBytes) {
  TSearchWordItems list(StringToIgnoreTag(u"<*>"), LOCALE_USER_DEFAULT, true, se_searchword);
  list.AddSW(u"?at context:=hat [[3,4]]");
  TQMSearchWordRec* w = list.GetPtr(0);
  w->Language_num = -2;
  w->n_wanted = 50;
  w->hits_found = 7;
  w->index_num = 9;
  w->SearchColumn = 4;
  w->variants_found->AddOne({TStringTag{u"CAT", u"<N>", 2}, 5});
  ASSERT_EQ(w->version, 0);

  TMemoryStream stream;
  ASSERT_TRUE(list.SaveToStream(&stream));
  EXPECT_EQ(list.GetPtr(0)->version, 3);  // raised to the version written
  ByteBuilder expected;
  expected.I32(1).Append(WordBytes(*list.GetPtr(0), {{TStringTag{u"CAT", u"<N>", 2}, 5}}).bytes);
  const TBytes bytes = StreamBytes(stream);
  EXPECT_EQ(bytes, expected.bytes);
  // The fixed part's first bytes: flags L R, typed unlike search, context word.
  EXPECT_EQ(bytes[4], 0x30);
  EXPECT_EQ(bytes[5], 1);
  EXPECT_EQ(bytes[8], 1);

  stream.SetPosition(0);
  TSearchWordItems back;
  ASSERT_TRUE(back.ReadFromStream(&stream));
  ASSERT_EQ(back.Count(), 1);
  const TQMSearchWordRec* r = back.GetPtr(0);
  EXPECT_EQ(r->search_text, u"\x1C" u"at");
  EXPECT_EQ(r->typed_in_text, u"?at context:=hat [[3,4]]");
  EXPECT_EQ(r->initial_wildcard, 28);
  EXPECT_EQ(r->Language_num, -2);
  EXPECT_EQ(r->n_wanted, 50);
  EXPECT_EQ(r->sw_context_spans.leftmost, w->sw_context_spans.leftmost);
  ASSERT_EQ(r->sw_contexts_needed.size(), 1u);
  EXPECT_EQ(r->sw_contexts_needed[0].search_str, u"hat");
  ASSERT_EQ(r->variants_found->Count(), 1);
  EXPECT_EQ(r->variants_found->GetAStringTagFreq(0).freq, 5);
  EXPECT_EQ(r->to_May2024_variants, nullptr);
  EXPECT_TRUE(back.GetHasContextWord(0));
}

TEST_F(Base_search_itemsU, OlderStreamVersions) {
  auto fixed = [](Int32 version) {
    ByteBuilder b;
    b.U8(0x30).Zeros(7).I16(0).Zeros(2).I32(0).I32(10).I32(0).I32(0).I32(0).U8(0).U8(0).Zeros(2);
    b.I32(version).Zeros(40);
    return b;
  };
  // Version 2: the old variants become found variants with frequency 99.
  ByteBuilder v2 = fixed(2);
  v2.I32(3).Str(u"A").Str(u"").I32(0).Str(u"B").Str(u"").I32(0).Str(u"A").Str(u"").I32(0);
  v2.I32(1).Str(u"ctx").U8(0x30).Str(u"").Str(u"typed").Str(u"TYPED");
  // Version 1: dropped pairs, then one context word.
  ByteBuilder v1 = fixed(1);
  v1.I32(2).I32(1).Str(u"x").I32(2).Str(u"yy").Str(u"near").Str(u"").Str(u"one").Str(u"ONE");
  // Version 0: the context word only (empty: none).
  ByteBuilder v0 = fixed(0);
  v0.Str(u"").Str(u"").Str(u"zero").Str(u"ZERO");
  ByteBuilder all;
  all.I32(3).Append(v2.bytes).Append(v1.bytes).Append(v0.bytes);

  TBytesStream stream(all.bytes);
  TBaseSearchItems list;
  ASSERT_TRUE(list.ReadFromStream(&stream));
  ASSERT_EQ(list.Count(), 3);
  const TStringTagFreqList* variants = list.GetPtr(0)->variants_found;
  ASSERT_EQ(variants->Count(), 2);
  EXPECT_EQ(variants->GetAStringTagFreq(0).st.wrd, u"A");
  EXPECT_EQ(variants->GetAStringTagFreq(0).freq, 100);  // added twice
  EXPECT_EQ(variants->GetAStringTagFreq(1).freq, 99);
  EXPECT_EQ(list.GetASWContext(0, 0).search_str, u"ctx");
  EXPECT_EQ(list.TypedInWord(0), u"typed");
  EXPECT_EQ(list.GetASWContext(1, 0).search_str, u"near");
  EXPECT_TRUE(list.GetASWContext(1, 0).flags == kLR);
  EXPECT_EQ(list.GetSWR(1).search_text, u"ONE");
  EXPECT_EQ(list.GetSWR(2).sw_contexts_needed.size(), 0u);
  EXPECT_EQ(list.GetSWR(2).search_text, u"ZERO");
  EXPECT_EQ(list.GetNWanted(2), 10);

  // Written back, every word is version 3.
  TMemoryStream out;
  ASSERT_TRUE(list.SaveToStream(&out));
  out.SetPosition(0);
  TBaseSearchItems again;
  ASSERT_TRUE(again.ReadFromStream(&out));
  EXPECT_EQ(again.GetSWR(0).version, 3);
  EXPECT_EQ(again.GetPtr(0)->variants_found->Count(), 2);
  EXPECT_EQ(again.TypedInWord(1), u"one");
}

TEST_F(Base_search_itemsU, CorruptStreams) {
  TBaseSearchItems source;
  source.AddSW(u"first context:=ctx");
  source.AddSW(u"second");
  TMemoryStream stream;
  ASSERT_TRUE(source.SaveToStream(&stream));
  const TBytes whole = StreamBytes(stream);

  // Every cut: a count that the bytes left cannot hold adds nothing; a cut
  // inside a word keeps the words before it and adds the rest empty.
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    TBytesStream s(TBytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
    TBaseSearchItems list;
    bool ok = true;
    try {
      ok = list.ReadFromStream(&s);
    } catch (const Exception&) {
      ok = false;
    }
    EXPECT_FALSE(ok) << cut;
    EXPECT_TRUE(list.Count() == 0 || list.Count() == 2) << cut;
  }

  // Counts beyond the bytes.
  for (Int32 count : {-1, 3, INT32_MAX}) {
    TBytes b = whole;
    std::memcpy(b.data(), &count, 4);
    TBytesStream s(b);
    TBaseSearchItems list;
    EXPECT_FALSE(list.ReadFromStream(&s));
    EXPECT_EQ(list.Count(), 0);
  }

  // A version-1 word whose pair count cannot fit.
  ByteBuilder v1;
  v1.I32(1).U8(0x30).Zeros(35).I32(1).Zeros(40).I32(1000000).Zeros(40);
  TBytesStream s1(v1.bytes);
  TBaseSearchItems list1;
  EXPECT_FALSE(list1.ReadFromStream(&s1));
  EXPECT_EQ(list1.Count(), 1);

  // A context-word count that cannot fit.
  ByteBuilder v3;
  v3.I32(1).U8(0x30).Zeros(35).I32(3).Zeros(40).I32(0).I32(50000).Zeros(20);
  TBytesStream s3(v3.bytes);
  TBaseSearchItems list3;
  EXPECT_FALSE(list3.ReadFromStream(&s3));

  // A stored string longer than the bytes left is damage, whatever the string
  // limit (a list reads back any length its writer wrote); a negative count
  // raises the stored-string error.
  for (const Int32 count : {999999, -1}) {
    ByteBuilder big;
    big.I32(1).U8(0x30).Zeros(35).I32(3).Zeros(40).I32(0).I32(0).I32(0).I32(count).Zeros(40);
    TBytesStream s4(big.bytes);
    TBaseSearchItems list4;
    if (count < 0) {
      EXPECT_THROW(list4.ReadFromStream(&s4), Exception);
    } else {
      EXPECT_FALSE(list4.ReadFromStream(&s4));
    }
  }
}

TEST_F(Base_search_itemsU, ContextWords) {
  TSearchWordItems list(TIgnore_tag{}, LOCALE_USER_DEFAULT, true, se_searchword);
  ASSERT_NE(list.fContextCWItems, nullptr);
  EXPECT_EQ(list.ContextEngine, list.fContextCWItems->fSearchEngine.get());
  EXPECT_EQ(list.fContextCWItems->fSearchkind, se_contextword);
  EXPECT_EQ(list.fSearchEngine->SearchAndDoPublic.Kind, se_searchword);
  list.AddSW(u"house/home");
  EXPECT_FALSE(list.HasAnyContextWords());
  list.AddASWContextWord(0, u"garden*");
  list.AddASWContextWord(0, TStringTag{u"==Yard==", u"", 0});
  list.AddASWContextWord(1, TSearchReqStringAndFlags{u"raw", {}});
  list.AddASWContextWord(5, u"ignored");
  EXPECT_TRUE(list.HasAnyContextWords());
  EXPECT_FALSE(list.GetHasContextWord(0));  // only a file-based context word counts here
  EXPECT_EQ(list.GetASWContext(0, 0).search_str, u"garden");
  EXPECT_TRUE(list.GetASWContext(0, 0).flags == TMSSearchFlags{msLeftBounded});
  EXPECT_EQ(list.GetASWContext(0, 1).search_str, u"Yard");
  EXPECT_TRUE(list.GetASWContext(0, 1).flags.Contains(msCaseIsSensitive));
  list.LoadContextCWItemsFromContextWords(0);
  EXPECT_EQ(list.fContextCWItems->Count(), 2);
  EXPECT_EQ(list.fContextCWItems->GetSWR(1).search_text, u"Yard");

  TSearchWordItems other;
  other.AddSW(u"a/b");
  other.AddContextWords(list);
  EXPECT_EQ(other.GetASWContext(0, 1).search_str, u"Yard");
  EXPECT_EQ(other.GetASWContext(1, 0).search_str, u"raw");
  EXPECT_FALSE(other.GetHasLongTypedIns());
  other.AddSW(String(61, u'x'));
  EXPECT_TRUE(other.GetHasLongTypedIns());
}

}  // namespace
}  // namespace sk
