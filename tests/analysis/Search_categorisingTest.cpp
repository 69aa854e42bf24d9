// Row conditions: the stored form, the tests and their linkage, the
// descriptions and the list's visit of its rows.
#include "analysis/Search_categorising.h"

#include <gtest/gtest.h>

#include "AnalysisTestSupport.h"
#include "core/My_string_functions_notation.h"
#include "platform/runtime/Colors.h"
#include "ui/Colour_utils.h"

namespace sk {
namespace {

TSearchRequirementRec FullRequirement() {
  TSearchRequirementRec r{};
  r.header_info = TSearchHeaderInfoRec{ct_float, true, 3, 4};
  r.colour = 0x123456;
  r.found = 7;
  r.word_span = 5;
  r.search_word_pos = 9;
  r.n_actual = 1.5f;
  r.found_percent = 12.5f;
  r.n_seek = {2.0f, 8.0f};
  r.how = ccp_Between;
  r.search_str_recs[0] = TSearchReqStringAndFlags{u"ab", TMSSearchFlags{msCaseIsSensitive, msLeftBounded}};
  r.search_str_recs[1] = TSearchReqStringAndFlags{u"zz", TMSSearchFlags{msRightBounded}};
  r.opposite = true;
  r.other_data_numerical = true;
  r.Compare_with_OtherDataColumn = false;
  r.activated = true;
  r.other_data_column = 6;
  r.n_other_data_column_actual = -3.0f;
  r.is_marked = marcado_subordinate;
  r.is_joined_head = true;
  r.is_joined_member = false;
  r.is_matched = true;
  r.is_deleted = true;  // not stored
  r.column_heading_main = u"not stored";
  return r;
}

TBytes GoldenRequirement(const TSearchRequirementRec& r) {
  ByteBuilder b;
  b.U8(static_cast<Byte>(r.header_info.columntype)).U8(r.header_info.concordance_data).Zeros(2);
  b.I32(r.header_info.original_Col_num).I32(r.header_info.data_index).I32(r.colour).I32(r.found);
  b.I32(r.word_span).I32(r.search_word_pos).F32(r.n_actual).F32(r.found_percent);
  b.F32(r.n_seek[0]).F32(r.n_seek[1]).U8(static_cast<Byte>(r.how)).Zeros(3);
  b.Zeros(8).Zeros(8).U8(r.search_str_recs[0].flags.bits[0]).Zeros(7);
  b.Zeros(8).U8(r.search_str_recs[1].flags.bits[0]).Zeros(7);
  b.U8(r.opposite).U8(r.other_data_numerical).U8(r.Compare_with_OtherDataColumn).U8(r.activated);
  b.I32(r.other_data_column).F32(r.n_other_data_column_actual);
  b.U8(static_cast<Byte>(r.is_marked)).U8(r.is_joined_head).U8(r.is_joined_member).U8(r.is_matched);
  return b.bytes;
}

TDoubleSearchCategoryRec FullCondition() {
  TDoubleSearchCategoryRec c{};
  c.requirement[0] = FullRequirement();
  c.requirement[1] = FullRequirement();
  c.requirement[1].how = ccp_is_matched;
  c.requirement[1].search_str_recs[0].search_str = u"\u00e9t\u00e9";
  c.actionTag = 85;
  c.linkage = ccl_or;
  return c;
}

TBytes SavedCondition(const TDoubleSearchCategoryRec& c) {
  TMemoryStream s;
  EXPECT_TRUE(TRequirementsArrayHolder(c).SaveToStream(&s));
  return s.ToBytes();
}

// ---- the stored form -----------------------------------------------------------

TEST(Search_categorising_stream, GoldenBytes) {
  const TDoubleSearchCategoryRec c = FullCondition();
  ByteBuilder want;
  want.I32(2);
  want.Append(GoldenRequirement(c.requirement[0])).Str(u"ab");
  want.Append(GoldenRequirement(c.requirement[1])).Str(u"\u00e9t\u00e9");
  EXPECT_EQ(SavedCondition(c), want.bytes);
  EXPECT_EQ(GoldenRequirement(c.requirement[0]).size(), 104u);
}

TEST(Search_categorising_stream, RoundTripKeepsTheStoredFields) {
  const TDoubleSearchCategoryRec c = FullCondition();
  TMemoryStream s;
  const TBytes bytes = SavedCondition(c);
  s.Write(bytes.data(), static_cast<Int64>(bytes.size()));
  s.SetPosition(0);
  TRequirementsArrayHolder back(TDoubleSearchCategoryRec{});
  ASSERT_TRUE(back.LoadFromStream(&s));
  for (int k = 0; k < 2; ++k) {
    const TSearchRequirementRec& a = c.requirement[static_cast<size_t>(k)];
    const TSearchRequirementRec& b = back.data.requirement[static_cast<size_t>(k)];
    EXPECT_EQ(StoredRequirementBytes(a), StoredRequirementBytes(b)) << k;
    EXPECT_EQ(b.search_str_recs[0].search_str, a.search_str_recs[0].search_str);
    EXPECT_TRUE(b.search_str_recs[1].search_str.empty());
    EXPECT_FALSE(b.is_deleted);
    EXPECT_TRUE(b.column_heading_main.empty());
  }
  EXPECT_EQ(back.data.actionTag, 0);
  EXPECT_EQ(back.data.linkage, ccl_and);
  EXPECT_EQ(SavedCondition(back.data).size(), bytes.size());
}

TEST(Search_categorising_stream, CutAtEveryLengthIsRefused) {
  const TBytes bytes = SavedCondition(FullCondition());
  for (size_t n = 0; n < bytes.size(); ++n) {
    TMemoryStream s;
    s.Write(bytes.data(), static_cast<Int64>(n));
    s.SetPosition(0);
    TRequirementsArrayHolder h(FullCondition());
    EXPECT_FALSE(h.LoadFromStream(&s)) << n;
  }
}

TEST(Search_categorising_stream, BadCountsAndBytesAreRefused) {
  struct Case {
    const char* what;
    size_t at;  // offset into the saved bytes; SIZE_MAX for the count
    Int32 value;
    size_t width;
    bool ok;
  };
  const size_t r0 = 4;
  const Case cases[] = {
      {"count -1", 0, -1, 4, false},        {"count 3", 0, 3, 4, false},
      {"count 1", 0, 1, 4, true},           {"count 0", 0, 0, 4, true},
      {"how 21", r0 + 44, 21, 1, false},    {"how 20", r0 + 44, 20, 1, true},
      {"column type 5", r0 + 0, 5, 1, false}, {"mark 3", r0 + 100, 3, 1, false},
      {"string -1", r0 + 104, -1, 4, false}, {"string too long", r0 + 104, 1000, 4, false},
      {"bool byte 7", r0 + 88, 7, 1, true},
  };
  for (const Case& c : cases) {
    TBytes bytes = SavedCondition(FullCondition());
    std::memcpy(bytes.data() + c.at, &c.value, c.width);
    TMemoryStream s;
    s.Write(bytes.data(), static_cast<Int64>(bytes.size()));
    s.SetPosition(0);
    TRequirementsArrayHolder h(FullCondition());
    EXPECT_EQ(h.LoadFromStream(&s), c.ok) << c.what;
    if (!c.ok && c.at == 0) {
      EXPECT_EQ(h.data.requirement[0].how, ccp_Equals) << c.what;  // cleared
    }
  }
}

TEST(Search_categorising_stream, IdenticalComparesTheStoredFormAndBothStrings) {
  TSearchRequirementRec a = FullRequirement();
  TSearchRequirementRec b = FullRequirement();
  EXPECT_TRUE(IdenticalSearchRequirements(a, b));
  b.column_heading_main = u"other";  // not stored
  EXPECT_TRUE(IdenticalSearchRequirements(a, b));
  b.found = 8;  // the counts are part of it
  EXPECT_FALSE(IdenticalSearchRequirements(a, b));
  b = a;
  b.search_str_recs[1].search_str = u"zy";
  EXPECT_FALSE(IdenticalSearchRequirements(a, b));
}

// ---- the tests ------------------------------------------------------------------

TSearchRequirementRec Numeric(TSearchMethodRequirement how, Single actual, Single seek0, Single seek1 = 0) {
  TSearchRequirementRec r{};
  r.header_info.columntype = ct_integer;
  r.activated = true;
  r.how = how;
  r.n_actual = actual;
  r.n_seek = {seek0, seek1};
  return r;
}

TSearchRequirementRec Text(TSearchMethodRequirement how, const String& actual, const String& s0,
                           const String& s1 = String()) {
  TSearchRequirementRec r{};
  r.header_info.columntype = ct_string;
  r.activated = true;
  r.how = how;
  r.string_actual = actual;
  r.search_str_recs[0].search_str = s0;
  r.search_str_recs[1].search_str = s1;
  return r;
}

bool Met(const TSearchRequirementRec& r) {
  TDoubleSearchCategoryRec c{};
  c.requirement[0] = r;
  return SearchConditionsMet(c);
}

TEST(Search_categorising_tests, EveryKindOnNumbersAndText) {
  struct Case {
    TSearchRequirementRec r;
    bool met;
  };
  TSearchRequirementRec other = Numeric(ccp_GreaterThan, 5, 100);
  other.Compare_with_OtherDataColumn = true;
  other.n_other_data_column_actual = 4;
  TSearchRequirementRec flags{};
  flags.activated = true;
  const Case cases[] = {
      {Numeric(ccp_Equals, 3, 3), true},
      {Numeric(ccp_Equals, 3, 4), false},
      {Numeric(ccp_Between, 3, 3, 5), true},
      {Numeric(ccp_Between, 5, 3, 5), true},
      {Numeric(ccp_Between, 6, 3, 5), false},
      {Numeric(ccp_GreaterThan, 4, 3), true},
      {Numeric(ccp_GreaterThan, 3, 3), false},
      {Numeric(ccp_LessThan, 2, 3), true},
      {Numeric(ccp_LessThan, 3, 3), false},
      {other, true},
      {Text(ccp_Equals, u"ABC", u"ABC"), true},
      {Text(ccp_Equals, u"ABC", u"AB"), false},
      {Text(ccp_StartsWith, u"ABC", u"AB"), true},
      {Text(ccp_StartsWith, u"AB", u"ABC"), false},
      {Text(ccp_EndsWith, u"ABC", u"BC"), true},
      {Text(ccp_EndsWith, u"ABC", u"AB"), false},
      {Text(ccp_Between, u"B", u"B", u"D"), true},
      {Text(ccp_Between, u"D", u"B", u"D"), true},
      {Text(ccp_Between, u"DA", u"B", u"D"), false},
      {Text(ccp_GreaterThan, u"B", u"A"), true},
      {Text(ccp_GreaterThan, u"A", u"A"), false},
      {Text(ccp_LessThan, u"A", u"B"), true},
      {Text(ccp_FoundAnywhereIn, u"THE CAT SAT", u"CAT"), true},
      {Text(ccp_FoundAnywhereIn, u"THE CAT SAT", u"DOG"), false},
      {Text(ccp_FoundWithinNWordsOf, u"THE CAT SAT", u"SAT"), true},
      {Text(ccp_WordLengthEquals, u"ABCD", u""), false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(Met(cases[i].r), cases[i].met) << i;

  TSearchRequirementRec len = Text(ccp_WordLengthEquals, u"ABCD", u"");
  len.n_seek[0] = 4;
  EXPECT_TRUE(Met(len));
  len.how = ccp_WordLengthGreaterThan;
  EXPECT_FALSE(Met(len));
  len.n_seek[0] = 3;
  EXPECT_TRUE(Met(len));
  len.how = ccp_WordLengthLessThan;
  EXPECT_FALSE(Met(len));

  struct FlagCase {
    TSearchMethodRequirement how;
    void (*set)(TSearchRequirementRec&);
  };
  const FlagCase flagCases[] = {
      {ccp_is_deleted, [](TSearchRequirementRec& r) { r.is_deleted = true; }},
      {ccp_is_joined_head, [](TSearchRequirementRec& r) { r.is_joined_head = true; }},
      {ccp_is_Joined_member, [](TSearchRequirementRec& r) { r.is_joined_member = true; }},
      {ccp_is_marked, [](TSearchRequirementRec& r) { r.is_marked = marcado_boss; }},
      {ccp_is_matched, [](TSearchRequirementRec& r) { r.is_matched = true; }},
  };
  for (const FlagCase& f : flagCases) {
    TSearchRequirementRec r = flags;
    r.how = f.how;
    EXPECT_FALSE(Met(r)) << f.how;
    f.set(r);
    EXPECT_TRUE(Met(r)) << f.how;
  }
}

TEST(Search_categorising_tests, Linkage) {
  struct Case {
    bool act0, met0, act1, met1;
    TSearchRequirementLinkType link;
    bool opposite1;
    bool want;
  };
  const Case cases[] = {
      {true, true, true, true, ccl_and, false, true},
      {true, true, true, false, ccl_and, false, false},
      {true, false, true, true, ccl_and, false, false},
      {false, false, true, true, ccl_and, false, false},  // first not activated
      {true, true, false, false, ccl_and, false, true},   // second not activated
      {true, true, true, false, ccl_or, false, true},     // second not needed
      {true, false, true, true, ccl_or, false, true},
      {true, false, true, false, ccl_or, false, false},
      {false, false, true, true, ccl_or, false, true},
      {true, true, true, true, ccl_but_not, false, false},
      {true, true, true, false, ccl_but_not, false, true},
      {true, false, true, false, ccl_but_not, false, false},
      {true, true, true, true, ccl_but_not, true, true},   // NOT on the second applies
      {true, true, true, false, ccl_and, true, true},
      {true, true, true, true, ccl_spare, false, true},
      {true, true, true, false, ccl_spare, false, false},
      {true, false, true, true, ccl_spare, false, false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& k = cases[i];
    TDoubleSearchCategoryRec c{};
    c.requirement[0] = Numeric(ccp_Equals, k.met0 ? 1 : 2, 1);
    c.requirement[0].activated = k.act0;
    c.requirement[1] = Numeric(ccp_Equals, k.met1 ? 1 : 2, 1);
    c.requirement[1].activated = k.act1;
    c.requirement[1].opposite = k.opposite1;
    c.linkage = k.link;
    EXPECT_EQ(SearchConditionsMet(c), k.want) << i;
  }
  TDoubleSearchCategoryRec c{};
  c.requirement[0] = Numeric(ccp_Equals, 1, 1);
  c.requirement[0].opposite = true;
  EXPECT_FALSE(SearchConditionsMet(c));
}

TEST(Search_categorising_tests, MeanColourOfMixesInTurn) {
  EXPECT_EQ(MeanColourOf({}), clWhite);
  EXPECT_EQ(MeanColourOf({{0x102030}}), 0x102030);
  const TColor two = MixColours(0x0000FF, 0x00FF00, 128);
  EXPECT_EQ(MeanColourOf({{0x0000FF}, {0x00FF00}}), two);
  EXPECT_EQ(MeanColourOf({{0x0000FF}, {0x00FF00}, {0xFF0000}}), MixColours(two, 0xFF0000, 128));
}

TEST(Search_categorising_tests, NearestContextToMidpoint) {
  const String text = u"a cat b c d e f cat g";
  EXPECT_TRUE(NearestContextToMidpoint(ccp_FoundWithinNWordsOf, text, u"dog", 1, 10, {}, {}).empty());
  const String nearFirst = NearestContextToMidpoint(ccp_FoundWithinNWordsOf, text, u"cat", 1, 1, {}, {});
  const String nearLast = NearestContextToMidpoint(ccp_FoundWithinNWordsOf, text, u"cat", 1, 18, {}, {});
  EXPECT_EQ(nearFirst, NManyWordsContext(ccp_FoundWithinNWordsOf, text, 3, 1));
  EXPECT_EQ(nearLast, NManyWordsContext(ccp_FoundWithinNWordsOf, text, 17, 1));
}

// ---- descriptions --------------------------------------------------------------

TEST(Search_categorising_text, ExactDescriptions) {
  struct Case {
    TDoubleSearchCategoryRec c;
    const char16_t* plain;
    const char16_t* html;
  };
  auto one = [](TSearchRequirementRec r, const String& heading) {
    TDoubleSearchCategoryRec c{};
    r.column_heading_main = heading;
    c.requirement[0] = r;
    return c;
  };
  TDoubleSearchCategoryRec both = one(Text(ccp_StartsWith, u"", u"ab"), u"Word");
  both.current_order = cct_SECOND;
  both.requirement[1] = Numeric(ccp_GreaterThan, 0, 12.6f);
  both.requirement[1].column_heading_main = u"Freq";
  both.linkage = ccl_but_not;
  TDoubleSearchCategoryRec other = one(Numeric(ccp_Equals, 0, 0), u"Freq");
  other.requirement[0].Compare_with_OtherDataColumn = true;
  other.requirement[0].column_heading_2 = u"Freq";
  other.requirement[0].header_info.data_index = 2;
  other.requirement[0].other_data_column = 3;
  TDoubleSearchCategoryRec twoCols = other;
  twoCols.requirement[0].column_heading_2 = u"Texts";
  TSearchRequirementRec fl = Numeric(ccp_Between, 0, 1.5f, -999999.0f);
  fl.header_info.columntype = ct_float;
  TSearchRequirementRec sw = Text(ccp_FoundWithinNWordsToLeftOfSearchword, u"", u"<y>");
  sw.word_span = 3;
  TSearchRequirementRec ow = Text(ccp_FoundWithinNWordsOf, u"", u"red", u"car");
  ow.word_span = 2;
  TSearchRequirementRec len = Text(ccp_WordLengthLessThan, u"", u"");
  len.n_seek[0] = 4;
  TSearchRequirementRec notDel{};
  notDel.activated = true;
  notDel.how = ccp_is_deleted;
  notDel.opposite = true;
  const Case cases[] = {
      {both, u"conditions: (Word column text starts with ab) but not (Freq column value is above 13)",
       u"conditions: (Word column text starts with <B>ab</B>) but not (Freq column value is above <B>13</B>)"},
      {other, u"condition: col 2 (Freq) value = col 3 (Freq) value", u"condition: col 2 (Freq) value = col 3 (Freq) value"},
      {twoCols, u"condition: value of column Freq = value of column Texts",
       u"condition: value of column Freq = value of column Texts"},
      {one(fl, u"Disp"), u"condition: Disp column value is between 1.5 and ??",
       u"condition: Disp column value is between <B>1.5</B> and <B>?\?</B>"},
      {one(sw, u"Line"), u"condition: <y> found in Line column text within 3 words left of search-word",
       u"condition: <B>&lt;y&gt;</B> found in Line column text within <B>3</B> words left of search-word"},
      {one(ow, u"Line"), u"condition: red found in Line column text within 2 words of car",
       u"condition: <B>red</B> found in Line column text within <B>2</B> words of <B>car</B>"},
      {one(len, u"Word"), u"condition: length of Word column text is below 4 characters",
       u"condition: length of Word column text is below <B>4</B> characters"},
      {one(notDel, u""), u"condition: NOT item is deleted", u"condition: NOT item is deleted"},
      {one(Text(ccp_GreaterThan, u"", u"m"), u"W"), u"condition: W column text follows m alphabetically",
       u"condition: W column text follows <B>m</B> alphabetically"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(TextVersionOfBothConditionChoices(cases[i].c, false), String(cases[i].plain)) << i;
    EXPECT_EQ(TextVersionOfBothConditionChoices(cases[i].c, true), String(cases[i].html)) << i;
  }
  both.current_order = cct_FIRST;
  EXPECT_EQ(TextVersionOfBothConditionChoices(both, false), u"condition: Word column text starts with ab");
}

// ---- on the list ------------------------------------------------------------------

// Entries with a word (column 1) and a value (column 2).
class TCondEntry : public TTestEntry {
 public:
  using TTestEntry::TTestEntry;
  TNumberDisplayAndSinglesRec GetAValueAsSingle(Int32, Int32 column) override {
    TNumberDisplayAndSinglesRec r{};
    r.computed_value = column == 2 ? static_cast<Double>(freq) : 0.0;
    return r;
  }
};

class TCondList : public TTestList {
 public:
  explicit TCondList(TQuillmarkList kind = lt_word_list) : TTestList(kind) { fEntriesClass = &NewQMBaseListObject<TCondEntry>; }
};

void FillCond(TCondList& list) {
  for (Int32 i = 0; i < 20; ++i) list.AddWord(i % 4 == 0 ? u"apple" : u"pear", i);
}

std::vector<TDoubleSearchCategoryRec> AboveAndApple() {
  TDoubleSearchCategoryRec c{};
  c.requirement[0] = Numeric(ccp_GreaterThan, 0, 10);
  c.requirement[0].header_info.data_index = 2;
  c.requirement[0].colour = 0x0000FF;
  c.requirement[1] = Text(ccp_Equals, u"", u"apple");
  c.requirement[1].header_info.data_index = 1;
  c.linkage = ccl_and;
  TDoubleSearchCategoryRec d{};
  d.requirement[0] = Text(ccp_StartsWith, u"", u"Pe");  // upper-cased with the row's text
  d.requirement[0].header_info.data_index = 1;
  d.requirement[0].colour = 0x00FF00;
  return {c, d};
}

TEST(Search_categorising_list, CountsRowsBothWays) {
  TCondList list;
  FillCond(list);
  auto conds = AboveAndApple();
  EXPECT_EQ(list.CheckAllForCondition(conds, 0, 0, false, false, false), 1);
  EXPECT_EQ(conds[0].requirement[0].found, 2);  // 12 and 16
  EXPECT_EQ(conds[1].requirement[0].found, 15);
  EXPECT_FLOAT_EQ(conds[0].requirement[0].found_percent, 10.0f);
  // From row 10 backwards, stopping at the first: the nearest at or above.
  list.FindFromRow = -5;
  EXPECT_EQ(list.CheckAllForCondition(conds, 11, 0, true, true, true), 11);
  EXPECT_EQ(list.FindFromRow, 11);
  conds.resize(1);
  EXPECT_EQ(list.CheckAllForCondition(conds, 14, 0, true, false, true), 12);
  EXPECT_EQ(list.CheckAllForCondition(conds, 99, 0, true, false, false), -1);  // clamped to the last row
  EXPECT_EQ(list.CheckAllForCondition(conds, -7, 0, true, false, false), 12);
}

TEST(Search_categorising_list, ActionsMarkDeleteAndColour) {
  {
    TCondList list;
    FillCond(list);
    auto conds = AboveAndApple();
    conds.resize(1);
    list.CheckAllForCondition(conds, 0, 18, false, false, false);
    EXPECT_EQ(list.GetMarcacao(12), marcado_boss);
    EXPECT_EQ(list.GetMarcacao(16), marcado_subordinate);
    EXPECT_EQ(list.MarcacoesExistentes, 2);
    list.CheckAllForCondition(conds, 0, 85, false, false, false);
    EXPECT_TRUE(list.GetDeleted(12));
    EXPECT_FALSE(list.GetDeleted(13));
  }
  {
    TCondList list;  // a word list: set column 8
    FillCond(list);
    list.Get(3)->SetCategoryColour(0x777777, 8);
    list.Get(3)->SetCategoryColour(0x555555, 2);
    auto conds = AboveAndApple();
    conds[0].requirement[1].activated = false;
    conds[0].linkage = ccl_or;
    list.CheckAllForCondition(conds, 0, 194, false, false, false);
    EXPECT_EQ(list.GetACategoryColour(3, 8), TColor{0x00FF00});
    EXPECT_EQ(list.GetACategoryColour(3, 2), TColor{0x555555});  // another column stays
    EXPECT_EQ(list.GetACategoryColour(13, 8), MixColours(0x0000FF, 0x00FF00, 128));
    EXPECT_TRUE(list.ListModified.Contains(mod_display));
  }
  {
    TCondList list(lt_undefined);  // no set column: no colour changes
    FillCond(list);
    list.Get(3)->SetCategoryColour(0x555555, 2);
    auto conds = AboveAndApple();
    list.CheckAllForCondition(conds, 0, 194, false, false, false);
    EXPECT_EQ(list.Get(3)->privateobj->annotations->Count(), 1);
    EXPECT_EQ(list.GetACategoryColour(3, 2), TColor{0x555555});
    EXPECT_FALSE(list.ListModified.Contains(mod_display));
  }
}

// A concordance-like line whose search word is "hit" (its position given with
// the line).
class TLineEntry : public TTestEntry {
 public:
  using TTestEntry::TTestEntry;
  String GetAWordAsString(Int32 column) override { return column == 3 ? word : TTestEntry::GetAWordAsString(column); }
  String GetAWordAsString(Int32 column, Int32& n) override {
    n = static_cast<Int32>(word.find(u"hit")) + 1;
    return GetAWordAsString(column);
  }
};

class TLineList : public TTestList {
 public:
  TLineList() { fEntriesClass = &NewQMBaseListObject<TLineEntry>; }
};

TEST(Search_categorising_list, WordsNearTheSearchWordOrAnotherWord) {
  TLineList list;
  list.AddWord(u"one two Red hit four five", 1);
  list.AddWord(u"red one two three hit four", 1);
  list.AddWord(u"hit one red", 1);
  auto near = [&](TSearchMethodRequirement how, Int32 span, const String& second = String()) {
    std::vector<TDoubleSearchCategoryRec> conds(1);
    conds[0].requirement[0] = Text(how, u"", u"red", second);
    conds[0].requirement[0].header_info.data_index = 3;
    conds[0].requirement[0].word_span = span;
    list.CheckAllForCondition(conds, 0, 0, false, false, false);
    return conds[0].requirement[0].found;
  };
  EXPECT_EQ(near(ccp_FoundWithinNWordsToLeftOfSearchword, 1), 1);  // case ignored
  EXPECT_EQ(near(ccp_FoundWithinNWordsToLeftOfSearchword, 4), 2);
  EXPECT_EQ(near(ccp_FoundWithinNWordsToRightOfSearchword, 2), 1);
  EXPECT_EQ(near(ccp_FoundWithinNWordsOfSearchword, 2), 2);
  EXPECT_EQ(near(ccp_FoundWithinNWordsOf, 1, u"four"), 0);
  EXPECT_EQ(near(ccp_FoundWithinNWordsOf, 2, u"hit"), 2);
  EXPECT_EQ(near(ccp_FoundAnywhereIn, 0), 3);
}

TEST(Search_categorising_list, EmptyListAndAStopRequest) {
  TCondList list;
  auto conds = AboveAndApple();
  conds[0].requirement[0].found = 9;
  conds[0].requirement[0].found_percent = 50;
  EXPECT_EQ(list.CheckAllForCondition(conds, 0, 0, false, false, false), -1);
  EXPECT_EQ(conds[0].requirement[0].found, 0);
  EXPECT_EQ(conds[0].requirement[0].found_percent, 0.0f);
  FillCond(list);
  global_panic_state = panic_stop;
  const Int32 r = list.CheckAllForCondition(conds, 0, 85, true, false, false);
  global_panic_state = panic_no_panic;
  EXPECT_EQ(r, -1);
  EXPECT_EQ(conds[1].requirement[0].found, 0);
  for (Int32 i = 0; i < list.Count(); ++i) EXPECT_FALSE(list.GetDeleted(i));
}

}  // namespace
}  // namespace sk
