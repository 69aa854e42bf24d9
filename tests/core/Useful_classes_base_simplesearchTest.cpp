// The simple search list: the word notation, the line and field rules of a
// search-word file, hits and sorts.
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "core/Global_vars.h"
#include "core/Useful_classes_base_simplesearch.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Streams.h"

namespace sk {
namespace {

TMSSearchFlags Flags(std::initializer_list<TMSSearchFlag> f) { return TMSSearchFlags(f); }

bool SameFlags(TMSSearchFlags a, TMSSearchFlags b) {
  for (int k = 0; k < 6; ++k)
    if (a.Contains(static_cast<TMSSearchFlag>(k)) != b.Contains(static_cast<TMSSearchFlag>(k))) return false;
  return true;
}

std::unique_ptr<TSimpleSearchlist> Loaded(std::initializer_list<const char16_t*> lines,
                                          TSimpleSearchSettings settings = DefaultSimpleSearchSettings()) {
  auto list = std::make_unique<TSimpleSearchlist>(settings);
  TUTF8Stringlist text;
  for (const char16_t* l : lines) text.Add(l);
  list->LoadFromAStringlist(&text);
  return list;
}

// ---- notation --------------------------------------------------------------------------

TEST(Useful_classes_base_simplesearchNotation, ReadingMarks) {
  struct Case {
    String in, word;
    TMSSearchFlags flags;
  };
  const Case cases[] = {
      {u"dog", u"dog", Flags({msLeftBounded, msRightBounded})},
      {u"*dog*", u"dog", Flags({})},
      {u"*dog", u"dog", Flags({msRightBounded})},
      {u"~dog", u"dog", Flags({ms_Avoid, msLeftBounded, msRightBounded})},
      {u"==Dog==", u"Dog", Flags({msCaseIsSensitive, msLeftBounded, msRightBounded})},
      {u"==~*do*==", u"do", Flags({msCaseIsSensitive, ms_Avoid})},
      // Marks that are not whole stay as text.
      {u"==", u"==", Flags({msLeftBounded, msRightBounded})},
      {u"===", u"===", Flags({msLeftBounded, msRightBounded})},
      {u"*", u"", Flags({msRightBounded})},
      {u"", u"", Flags({msLeftBounded, msRightBounded})},
  };
  for (const Case& c : cases) {
    String s = c.in;
    const TMSSearchFlags f = SWFlags(s);
    EXPECT_EQ(s, c.word) << StringToUtf8(c.in);
    EXPECT_TRUE(SameFlags(f, c.flags)) << StringToUtf8(c.in);
  }
}

TEST(Useful_classes_base_simplesearchNotation, WritingBackRoundTrips) {
  for (const String& typed : {String(u"DOG"), String(u"*DOG*"), String(u"DOG*"), String(u"==*Dog==")}) {
    String s = typed;
    const TMSSearchFlags f = SWFlags(s);
    EXPECT_EQ(SWStringPlusFlags(s, f), typed);
  }
  EXPECT_EQ(SWStringPlusFlags(u"x", Flags({ms_Avoid, msLeftBounded, msRightBounded})), u"x");
}

TEST(Useful_classes_base_simplesearchNotation, KeyPlusValue) {
  EXPECT_EQ(KeyOfKeyPlusValue(u" cat = 2.5 "), u"cat");
  EXPECT_DOUBLE_EQ(ValueOfKeyPlusValue(u" cat = 2.5 "), 2.5);
  EXPECT_EQ(KeyOfKeyPlusValue(u"cat"), u"");
  EXPECT_DOUBLE_EQ(ValueOfKeyPlusValue(u"cat"), 0.0);
  EXPECT_DOUBLE_EQ(ValueOfKeyPlusValue(u"a=b=3"), 0.0);
  EXPECT_DOUBLE_EQ(ValueOfKeyPlusValue(u"a=x"), 0.0);
  EXPECT_EQ(KeyOfKeyPlusValue(u"=5"), u"");
}

// ---- parsing ----------------------------------------------------------------------------------

TEST(Useful_classes_base_simplesearchParse, LineRules) {
  auto list = Loaded({u"dog", u"  *dog*  ", u"cat=2.5\tblack", u"cat=2;5", u"go -> went, gone", u"red, green",
                      u";comment", u"//comment", u"", u"   ", u"==dog==", u"a, b -> c"});
  ASSERT_EQ(list->Count(), 7);

  TSearchContextRec r = list->GetASearchRec(0);
  EXPECT_EQ(r.mainwd.wd, u"DOG");
  EXPECT_TRUE(SameFlags(r.mainwd.flags, Flags({msLeftBounded, msRightBounded})));
  EXPECT_FLOAT_EQ(r.Value_if_found, 1.0f);
  EXPECT_EQ(r.n_found, -1);

  r = list->GetASearchRec(1);
  EXPECT_EQ(r.mainwd.wd, u"DOG");
  EXPECT_TRUE(r.mainwd.flags.Empty());
  EXPECT_EQ(list->GetATypedInSW(1), u"*DOG*");

  r = list->GetASearchRec(2);
  EXPECT_EQ(r.mainwd.wd, u"CAT");
  EXPECT_FLOAT_EQ(r.Value_if_found, 2.5f);
  EXPECT_EQ(r.context_words[0].wd, u"BLACK");
  EXPECT_TRUE(SameFlags(r.context_words[0].flags, Flags({msLeftBounded, msRightBounded})));
  EXPECT_EQ(r.context_words[1].wd, u"");

  r = list->GetASearchRec(3);  // the value is not a number
  EXPECT_EQ(r.mainwd.wd, u"CAT");
  EXPECT_FLOAT_EQ(r.Value_if_found, 1.0f);

  EXPECT_EQ(list->GetASearchRec(4).mainwd.wd, u"GO");
  EXPECT_EQ(list->GetASearchRec(5).mainwd.wd, u"RED");
  // The lemma rule takes the line, so its comma stays.
  EXPECT_EQ(list->GetASearchRec(6).mainwd.wd, u"A, B");
}

TEST(Useful_classes_base_simplesearchParse, Fields) {
  auto list = Loaded({u"w\tc1\t*c2\t12.5\t2.5\t3.5\textra", u"v\t\t\tnot\t\t", u"u\tx\ty\t1e12\t-3.5\t0"});
  ASSERT_EQ(list->Count(), 3);
  TSearchContextRec r = list->GetASearchRec(0);
  EXPECT_EQ(r.context_words[0].wd, u"C1");
  EXPECT_EQ(r.context_words[1].wd, u"C2");
  EXPECT_FALSE(r.context_words[1].flags.Contains(msLeftBounded));
  EXPECT_EQ(r.context_seek_span, 12);  // halves go to the even neighbour
  EXPECT_EQ(r.otherSWs_required, 2);
  EXPECT_FLOAT_EQ(r.Value_if_found, 3.5f);

  r = list->GetASearchRec(1);
  EXPECT_EQ(r.context_seek_span, 0);
  EXPECT_EQ(r.otherSWs_required, 0);
  EXPECT_FLOAT_EQ(r.Value_if_found, 1.0f);

  r = list->GetASearchRec(2);  // a span beyond 32 bits is ignored, not wrapped
  EXPECT_EQ(r.context_seek_span, 0);
  EXPECT_EQ(r.otherSWs_required, -4);
  EXPECT_FLOAT_EQ(r.Value_if_found, 1.0f);
}

TEST(Useful_classes_base_simplesearchParse, Settings) {
  TSimpleSearchSettings s = DefaultSimpleSearchSettings();
  EXPECT_TRUE(s.split_at_commas);
  EXPECT_TRUE(s.check_lemma_separators);
  EXPECT_FALSE(s.require_equals_sign);
  EXPECT_FALSE(s.force_case_sensitive);
  EXPECT_EQ(s.default_contextword_span, 60);
  EXPECT_EQ(s.markup_search_span, 200);

  s.split_at_commas = false;
  s.check_lemma_separators = false;
  s.force_case_sensitive = true;
  auto list = Loaded({u"Red, green", u"go -> went", u"key=2\tCtx"}, s);
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->GetASearchRec(0).mainwd.wd, u"Red, green");
  EXPECT_TRUE(list->GetASearchRec(0).mainwd.flags.Contains(msCaseIsSensitive));
  EXPECT_EQ(list->GetASearchRec(1).mainwd.wd, u"go -> went");
  // A key is upper-cased whatever the case setting.
  EXPECT_EQ(list->GetASearchRec(2).mainwd.wd, u"KEY");
  EXPECT_EQ(list->GetASearchRec(2).context_words[0].wd, u"Ctx");
  EXPECT_TRUE(list->GetASearchRec(2).context_words[0].flags.Contains(msCaseIsSensitive));
}

TEST(Useful_classes_base_simplesearchParse, LoadingEmptiesAndYieldsByTime) {
  int yields = 0;
  Global_YieldProcessProc = [&] { ++yields; };
  auto list = Loaded({u"a", u";x", u"b"});
  EXPECT_EQ(yields, 0);  // three lines: no call of the host per line
  TUTF8Stringlist many;
  for (int k = 0; k < 5000; ++k) many.Add(u"w");
  TSimpleSearchlist big(DefaultSimpleSearchSettings());
  big.LoadFromAStringlist(&many);
  EXPECT_EQ(big.Count(), 5000);
  EXPECT_GE(yields, 1);  // a long load yields at least once
  Global_YieldProcessProc = nullptr;
  TUTF8Stringlist text;
  text.Add(u"c");
  list->LoadFromAStringlist(&text);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->GetASearchRec(0).mainwd.wd, u"C");
  // The single-entry loaders append.
  list->LoadFromAString(u"d");
  list->AddOneAsString(u"*e");
  ASSERT_EQ(list->Count(), 3);
  TSearchContextRec e = list->GetASearchRec(2);
  EXPECT_EQ(e.mainwd.wd, u"E");
  EXPECT_TRUE(SameFlags(e.mainwd.flags, Flags({msRightBounded})));
  EXPECT_FLOAT_EQ(e.Value_if_found, 0.0f);
  EXPECT_EQ(e.n_found, -1);
  list->AddOneAsString(u"*");
  list->LoadFromAString(u"=3");
  EXPECT_EQ(list->Count(), 3);
}

// A descendant that rewrites the file's lines before parsing.
class TRewritingSearchlist : public TSimpleSearchlist {
 public:
  TRewritingSearchlist() : TSimpleSearchlist(DefaultSimpleSearchSettings()) {}
  void PreParseTheList(TUTF8Stringlist* list) override { list->Add(u"added"); }
  String PreParseAString(const String& s) override { return s == u"skip" ? String() : s + u"s"; }
};

TEST(Useful_classes_base_simplesearchParse, FileAndHooks) {
  const String name = GetTempDirectory() + u"sk_simple_" + Utf8ToString(std::to_string(::getpid())) + u".txt";
  {
    // UTF-16LE with its byte-order mark.
    TFileStream fs(name, fmCreate);
    const String text = u"cat\r\nskip\r\n\u00E9t\u00E9\r\n";
    fs.WriteBuffer("\xFF\xFE", 2);
    for (Char c : text) fs.WriteValue<uint16_t>(c);
  }
  TRewritingSearchlist list;
  list.AddOneAsString(u"old");
  ASSERT_TRUE(list.LoadFromFile(name));
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.GetASearchRec(0).mainwd.wd, u"CATS");
  EXPECT_EQ(list.GetASearchRec(1).mainwd.wd, u"\u00C9T\u00C9S");
  EXPECT_EQ(list.GetASearchRec(2).mainwd.wd, u"ADDEDS");
  DeleteFile(name);
  EXPECT_FALSE(list.LoadFromFile(name));
  EXPECT_EQ(list.Count(), 0);
}

TEST(Useful_classes_base_simplesearchParse, FileEncodingsWithoutAMark) {
  const String name = GetTempDirectory() + u"sk_simple_enc_" + Utf8ToString(std::to_string(::getpid())) + u".txt";
  TSimpleSearchlist list(DefaultSimpleSearchSettings());
  {  // UTF-8 without a mark
    TFileStream fs(name, fmCreate);
    fs.WriteBuffer("caf\xC3\xA9\r\n\xC3\xBC" "ber\n", 13);
  }
  ASSERT_TRUE(list.LoadFromFile(name));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetASearchRec(0).mainwd.wd, u"CAF\u00C9");
  EXPECT_EQ(list.GetASearchRec(1).mainwd.wd, u"\u00DCBER");
  {  // bytes that are not UTF-8 are read in the ANSI code page (1252 here)
    TFileStream fs(name, fmCreate);
    fs.WriteBuffer("caf\xE9\r\nna\xEFve\r\n", 13);
  }
  ASSERT_TRUE(list.LoadFromFile(name));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetASearchRec(0).mainwd.wd, u"CAF\u00C9");
  EXPECT_EQ(list.GetASearchRec(1).mainwd.wd, u"NA\u00CFVE");
  DeleteFile(name);
}

// ---- hits, lookups and sorts -------------------------------------------------------------------

TEST(Useful_classes_base_simplesearchHits, HitsListAndLookups) {
  auto list = Loaded({u"alpha", u"*beta", u"gamma", u"delta"});
  list->SetHits(0, 16777217);
  list->SetHits(1, 0);
  list->SetHits(3, 1234);
  list->SetHits(9, 5);  // ignored
  auto all = list->TypedAndHitsAsStringlist(false);
  ASSERT_EQ(all->Count(), 4);
  EXPECT_EQ((*all)[0], u"ALPHA\t16,777,217");
  EXPECT_EQ((*all)[1], u"*BETA\t0");
  EXPECT_EQ((*all)[2], u"GAMMA\t-1");
  auto found = list->TypedAndHitsAsStringlist(true);
  ASSERT_EQ(found->Count(), 2);
  EXPECT_EQ((*found)[1], u"DELTA\t1,234");

  EXPECT_EQ(list->IndexOfSimpleSearchRecSeek(u"gamma"), 2);
  EXPECT_EQ(list->IndexOfSimpleSearchRecSeek(u"*beta"), -1);
  EXPECT_EQ(list->AsText(u", ", true), u"ALPHA, *BETA, GAMMA, DELTA");
  EXPECT_EQ(list->AsText(u"|", false), u"ALPHA|BETA|GAMMA|DELTA");
  EXPECT_EQ(list->GetATypedInSW(4), u"");
  EXPECT_EQ(list->GetASearchRec(-1).mainwd.wd, u"");

  list->ClearNFound();
  EXPECT_EQ(list->GetASearchRec(0).n_found, -1);
  list->DeleteOne(0);
  EXPECT_EQ(list->Count(), 3);
  EXPECT_THROW(list->DeleteOne(3), EListError);
}

TEST(Useful_classes_base_simplesearchHits, SortsAndCopies) {
  auto list = Loaded({u"b", u"*a", u"c", u"a"});
  list->SetHits(0, 5);
  list->SetHits(1, 50);
  list->SetHits(2, 7);
  list->SetHits(3, -1);
  list->SortOn(ss_hits, false);
  EXPECT_EQ(list->AsText(u" ", true), u"*A C B A");
  list->SortOn(ss_hits, true);
  EXPECT_EQ(list->AsText(u" ", true), u"A B C *A");
  list->SortOn(ss_typed, true);  // '*' sorts before letters
  EXPECT_EQ(list->AsText(u" ", true), u"*A A B C");
  list->SortOn(ss_typed, false);
  EXPECT_EQ(list->AsText(u" ", true), u"C B A *A");

  TSimpleSearchSettings other = DefaultSimpleSearchSettings();
  other.default_contextword_span = 9;
  TSimpleSearchlist copy(other);
  copy.AddAll(*list);
  EXPECT_EQ(copy.Settings.default_contextword_span, 60);
  ASSERT_EQ(copy.Count(), 4);
  EXPECT_EQ(copy.GetASearchRec(0).n_found, -1);  // copies start unsearched
  copy.AddAll(copy);
  EXPECT_EQ(copy.Count(), 8);
}

}  // namespace
}  // namespace sk
