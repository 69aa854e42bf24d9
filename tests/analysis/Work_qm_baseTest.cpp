#include <gtest/gtest.h>

#include "AnalysisTestSupport.h"
#include "analysis/Work_qm_base.h"
#include "core/My_string_functions.h"
#include "core/Qm_specific_consts.h"
#include "core/Useful_classes_base_streams.h"
#include "platform/runtime/Locale.h"
#include "ui/Graphics_utilities.h"

namespace sk {
namespace {

// Counts the yields while it lives.
class YieldCount {
 public:
  explicit YieldCount(std::function<void()> also = {}) : fAlso(std::move(also)) {
    Global_YieldProcessProc = [this] {
      ++calls;
      if (fAlso) fAlso();
    };
  }
  ~YieldCount() { Global_YieldProcessProc = nullptr; }
  int calls = 0;

 private:
  std::function<void()> fAlso;
};

// Standard heading sets without any customised file: the user's folder is a
// fresh scratch folder for the scope.
struct NoCustomisedSets {
  ScratchFolder dir{"sk_qmbase"};
  ScopedUserFolder user{dir.File("")};
};

// A list that only holds entries the test owns.
struct Holding {
  TQMSister list{nullptr, nullptr, {}, {}, {}, {}, grid_none, lt_word_list, 0};
  std::vector<std::unique_ptr<TTestEntry>> owned;
  TTestEntry* Add(Int64 freq = 0) {
    owned.push_back(std::make_unique<TTestEntry>(&list, nullptr));
    owned.back()->freq = freq;
    list.Add(owned.back().get());
    return owned.back().get();
  }
};

String MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return u"(nothing raised)";
}

TEST(Work_qm_baseStorage, CapacitySteps) {
  Holding h;
  const std::pair<int, Int32> steps[] = {{1, 4}, {4, 4}, {5, 8}, {8, 8}, {9, 12}, {12, 12}, {13, 28},
                                         {28, 28}, {29, 44}, {45, 60}, {61, 76}, {77, 95}};
  int n = 0;
  for (const auto& [count, capacity] : steps) {
    while (n < count) {
      h.Add();
      ++n;
    }
    SCOPED_TRACE(count);
    EXPECT_EQ(h.list.Capacity(), capacity);
  }
  EXPECT_EQ(MessageOf([&] { h.list.SetCapacity(h.list.Count() - 1); }), u"NewCapacity 76");
  EXPECT_EQ(MessageOf([&] { h.list.SetCapacity(134217728); }), u"NewCapacity 134217728");
  EXPECT_EQ(h.list.Capacity(), 95);
}

TEST(Work_qm_baseStorage, LargestCapacityIsAccepted) {
  TQMSister list(nullptr, nullptr, {}, {}, {}, {}, grid_none, lt_word_list, 0);
  list.SetCapacity(134217727);
  EXPECT_EQ(list.Capacity(), 134217727);
  list.SetCapacity(0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(Work_qm_baseStorage, InsertRemoveAndTheirTexts) {
  Holding h;
  TTestEntry* a = h.Add(1);
  TTestEntry* b = h.Add(2);
  TTestEntry* c = h.Add(3);
  TTestEntry* d = h.Add(4);  // full: capacity 4
  auto e = std::make_unique<TTestEntry>(&h.list, nullptr);
  EXPECT_EQ(h.list.Insert(0, e.get()), 4);
  EXPECT_EQ(h.list.Capacity(), 8);
  EXPECT_EQ(h.list.Get(0), e.get());
  EXPECT_EQ(h.list.Get(4), d);
  auto f = std::make_unique<TTestEntry>(&h.list, nullptr);
  h.list.Insert(h.list.Count(), f.get());
  EXPECT_EQ(h.list.Get(5), f.get());
  EXPECT_EQ(MessageOf([&] { h.list.Insert(7, f.get()); }), u"Inserting entry 7 (Count=6)");
  EXPECT_EQ(MessageOf([&] { h.list.RemoveAnEntry(6); }), u"Removing entry 6 (Count=6)");
  h.list.RemoveAnEntry(0);
  EXPECT_EQ(h.list.Get(0), a);
  EXPECT_EQ(h.list.IndexOf(c), 2);
  EXPECT_EQ(h.list.IndexOf(e.get()), -1);
  const String got = MessageOf([&] { (void)h.list.Get(5); });
  EXPECT_EQ(got.substr(0, 59), u"trying to get data index 5 (Count = 5) (work_QM_base, line ");
  EXPECT_THROW((void)h.list.Get(-1), EAssertionFailed);
  EXPECT_THROW(h.list.Put(5, b), EAssertionFailed);
  EXPECT_EQ(MessageOf([&] { (void)h.list.GetMarcacao(9); }).substr(0, 42), u"trying to get marcacao index 9 (Count = 5)");
  EXPECT_EQ(MessageOf([&] { (void)h.list.GetSomeWordAsString(5, 1); }).substr(0, 37),
            u"trying to get row index 5 (Count = 5)");
  h.list.Put(0, b);
  EXPECT_EQ(h.list.Get(0), b);
}

TEST(Work_qm_baseStorage, PackKeepsTheOrderAndYieldsPerThousandEntries) {
  Holding h;
  for (int i = 0; i < 3000; ++i) h.Add(i);
  for (int i = 0; i < 3000; i += 2) h.list.Put(i, nullptr);
  YieldCount yields;
  h.list.Pack();
  EXPECT_EQ(yields.calls, 3);
  ASSERT_EQ(h.list.Count(), 1500);
  for (int i = 0; i < 1500; ++i) ASSERT_EQ(h.list.GetMainWordFrequency(i), 2 * i + 1);
}

TEST(Work_qm_baseFeatures, EntryWithoutPrivatePart) {
  Holding h;
  h.Add();
  EXPECT_TRUE(h.list.GetSpecialFeatures(0).Empty());
  EXPECT_EQ(h.list.GetBookMarkNumber(0), 0);
  EXPECT_FALSE(h.list.GetDeleted(0));
  EXPECT_EQ(h.list.GetMarcacao(0), marcado_clear);
  const TJoinlistAndDetails rec = h.list.GetJoinListAndDetails(0);
  EXPECT_EQ(rec.joinlist, nullptr);
  EXPECT_FALSE(rec.deleted || rec.matched || rec.joined_elsewhere);
  TJoinlistAndDetails set{};
  set.deleted = true;
  h.list.SetJoinListAndDetails(0, set);
  EXPECT_FALSE(h.owned[0]->PrivateObjExists());
  h.list.SetMarcacao(0, marcado_clear);
  EXPECT_EQ(h.list.MarcacoesExistentes, 0);
  EXPECT_FALSE(h.owned[0]->PrivateObjExists());
}

TEST(Work_qm_baseFeatures, FeaturesOfAnEntry) {
  Holding h;
  TTestEntry* e = h.Add();
  TTestEntry* other = h.Add();
  e->SetCategoryColour(0x00FF00, 8);
  h.list.SetMarcacao(0, marcado_boss);
  h.list.SetABookmark(3, 0);
  h.list.SetMatched(0, true);
  h.list.SetNotForSaving(0, true);
  e->JoinFrom(other);
  const TSpecialFeaturesSet f = h.list.GetSpecialFeatures(0);
  for (auto sf : {sf_category_coloured, sf_first_marked, sf_Bookmarked, sf_matched, sf_not_for_saving, sf_hasJoined})
    EXPECT_TRUE(f.Contains(sf)) << int(sf);
  EXPECT_FALSE(f.Contains(sf_marked));
  EXPECT_FALSE(f.Contains(sf_deleted));
  EXPECT_TRUE(h.list.GetSpecialFeatures(1).Contains(sf_joinedElsewhere));
  EXPECT_EQ(h.list.GetJoinCount(0), 1);
  EXPECT_EQ(h.list.GetTotalFreqPLusJoinedFreq(0), 0);
  e->ClearCategoryColour(-1);
  EXPECT_FALSE(h.list.GetSpecialFeatures(0).Contains(sf_category_coloured));
}

TEST(Work_qm_baseFeatures, MarksCountAndNeverFallBelowZero) {
  Holding h;
  h.Add();
  h.Add();
  h.list.SetMarcacao(0, marcado_subordinate);
  h.list.SetMarcacao(0, marcado_subordinate);
  h.list.SetMarcacao(0, marcado_boss);
  EXPECT_EQ(h.list.MarcacoesExistentes, 1);  // one entry carries a mark
  h.list.SetMarcacao(1, marcado_subordinate);
  EXPECT_EQ(h.list.MarcacoesExistentes, 2);
  h.list.SetMarcacao(1, marcado_clear);
  h.list.SetMarcacao(1, marcado_clear);
  EXPECT_EQ(h.list.MarcacoesExistentes, 1);
  h.list.SetMarcacao(0, marcado_clear);
  h.list.SetMarcacao(0, marcado_clear);
  h.list.SetMarcacao(0, marcado_clear);
  EXPECT_EQ(h.list.MarcacoesExistentes, 0);
  h.list.SetMarcacao(5, marcado_boss);  // outside: nothing
  EXPECT_EQ(h.list.MarcacoesExistentes, 0);
  EXPECT_TRUE(h.list.ListModified.Contains(mod_edited));
}

TEST(Work_qm_baseFeatures, BookmarkMovesToTheNewEntry) {
  Holding h;
  for (int i = 0; i < 3; ++i) h.Add();
  h.list.SetABookmark(2, 0);
  h.list.SetABookmark(2, 2);
  EXPECT_EQ(h.list.GetBookMarkNumber(0), 0);
  EXPECT_EQ(h.list.GetBookMarkNumber(2), 2);
  EXPECT_EQ(h.list.IndexOfBookMark(2), 2);
  EXPECT_EQ(h.list.IndexOfBookMark(7), -1);
}

TEST(Work_qm_baseFeatures, MatchedScans) {
  Holding h;
  for (int i = 0; i < 5; ++i) h.Add();
  h.list.SetMatched(1, true);
  h.list.SetMatched(3, true);
  struct Case {
    Int32 start;
    bool forward;
    Int32 found;
  } cases[] = {{-1, false, 3}, {5, true, 1}, {1, true, 3}, {3, true, -1}, {3, false, 1}, {1, false, -1},
               {-5, true, 1},  {0, false, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    EXPECT_EQ(h.list.IndexOfMatchedItemFrom(c.start, c.forward), c.found);
  }
  EXPECT_EQ(h.list.GotoNext(), 1);
  EXPECT_EQ(h.list.GotoNext(), 3);
  EXPECT_EQ(h.list.GotoPrevious(), 1);
}

TEST(Work_qm_baseFeatures, SetDeletedMarksBeforeItYields) {
  Holding h;
  h.Add();
  bool seenDeleted = false;
  YieldCount yields([&] { seenDeleted = h.list.GetDeleted(0); });
  EXPECT_TRUE(h.list.SetDeleted(0, true));
  EXPECT_EQ(yields.calls, 1);
  EXPECT_TRUE(seenDeleted);
  EXPECT_TRUE(h.list.ListModified.Contains(mod_deleting));
}

TEST(Work_qm_baseEntries, JoinArrays) {
  Holding h;
  TTestEntry* head = h.Add(100);
  TTestEntry* a = h.Add(7);
  TTestEntry* b = h.Add(9);
  head->JoinFrom(a);
  head->JoinFrom(b);
  auto* joins = dynamic_cast<TDerivedJoinlist*>(head->OwnJoinlist());
  ASSERT_NE(joins, nullptr);
  EXPECT_EQ(joins->AsArrayOfInt64s(0, 5), (std::vector<Int64>{7, 9, 0, 0, 0}));
  EXPECT_EQ(joins->AsArrayOfInt64s(3, 0), (std::vector<Int64>{3, 7, 9}));
  EXPECT_EQ(h.list.GetTotalFreqPLusJoinedFreq(0), 116);
  for (Int64 f : {5, 50, 1, 30, 2, 40, 3, 20}) head->JoinFrom(h.Add(f));
  EXPECT_EQ(joins->AsArrayOfInt64s(0, 5), (std::vector<Int64>{50, 40, 30, 20, 9}));
  h.owned[3]->freq = (Int64{1} << 33) + 1;
  EXPECT_EQ(joins->AsArrayOfIntegers(0, 2), (std::vector<Int32>{2147483647, 50}));
}

TEST(Work_qm_baseEntries, JoinsMovedUnderTheHead) {
  Holding h;
  TTestEntry* head = h.Add();
  TTestEntry* mid = h.Add();
  TTestEntry* low = h.Add();
  mid->JoinFrom(low);
  head->JoinFrom(mid);
  EXPECT_EQ(head->JoinCount(), 2);
  EXPECT_EQ(mid->JoinCount(), 0);
  EXPECT_TRUE(mid->JoinedElsewhere());
  EXPECT_TRUE(low->JoinedElsewhere());
}

TEST(Work_qm_baseEntries, JoinListHandedToAnEntryIsTakenOver) {
  Holding h;
  TTestEntry* head = h.Add();
  head->EnsurePrivateObjExists();
  TJoinlistAndDetails rec = h.list.GetJoinListAndDetails(0);
  ASSERT_NE(rec.joinlist, nullptr);
  rec.matched = true;
  rec.marcacao = marcado_boss;
  h.list.SetJoinListAndDetails(0, rec);  // the same list: kept
  EXPECT_EQ(head->OwnJoinlist(), rec.joinlist);
  EXPECT_TRUE(h.list.GetMatched(0));
  EXPECT_EQ(h.list.GetMarcacao(0), marcado_boss);
  auto* fresh = new TDerivedJoinlist;
  fresh->Add(h.Add());
  rec.joinlist = fresh;
  h.list.SetJoinListAndDetails(0, rec);  // the old one is freed
  EXPECT_EQ(h.list.GetJoinCount(0), 1);
}

TEST(Work_qm_baseEntries, EntriesJoinedWhileLoadingBelongToTheJoin) {
  Holding h;
  TTestEntry* head = h.Add();
  head->AddPrivateJoinInstance(new TTestEntry(&h.list, nullptr));
  EXPECT_EQ(head->PrivateDetails().join_created_in_load, 1);
  EXPECT_EQ(head->JoinCount(), 1);
  // Freed with the head (the leak check of the sanitizer build sees to it).
}

TEST(Work_qm_baseSister, MergeMovesEveryEntry) {
  TTestList a(lt_concordance_list);
  TTestList b(lt_concordance_list);
  a.AddWord(u"a", 1);
  TTestEntry* x = b.AddWord(u"x", 2);
  TTestEntry* y = b.AddWord(u"y", 3);
  EXPECT_TRUE(a.MergeWith(&b));
  EXPECT_EQ(b.Count(), 0);
  ASSERT_EQ(a.Count(), 3);
  EXPECT_EQ(a.Get(1), x);
  EXPECT_EQ(a.Get(2), y);
  EXPECT_EQ(x->Parent, &a);
  EXPECT_EQ(y->Parent, &a);
}

TEST(Work_qm_baseSister, SmallOperations) {
  TTestList list(lt_word_list);
  TTestEntry* e = list.AddWord(u"cat", 4);
  EXPECT_EQ(list.lemma_entries_added, 1);
  EXPECT_EQ(list.GetMainWordAsString(0), u"cat");
  list.SetMainWordAsString(0, u"dog");
  list.SetMainWordAsString(3, u"none");
  EXPECT_EQ(e->word, u"dog");
  EXPECT_EQ(list.DataMainColumn(), 1);
  EXPECT_TRUE(e->MainWordCopiedToSetColumn());
  EXPECT_EQ(e->privateobj->annotations->GetAString(0), u"dog");
  EXPECT_EQ(e->privateobj->annotations->GetATrueColumn(0), 8);
  TTestList notes(lt_notes);
  EXPECT_FALSE(notes.AddWord(u"x", 1)->MainWordCopiedToSetColumn());
  const auto details = list.DetailsOfCurrentSettings();
  ASSERT_EQ(details->Count(), 1);
  EXPECT_EQ(details->Get(0), AnsiUpperCase(ListTypeAsString(lt_word_list)) + u" Settings");
  EXPECT_EQ(TQMSister::ConvertedHeading(u"freq. %", ndp_per_million), u"Freq. per million");
  EXPECT_EQ(TQMSister::ConvertedHeading(u"hits per 1,000", ndp_percent), u"Hits %");
  EXPECT_TRUE(TQMSister::FirstLetterIsCaps(u"Word"));
  EXPECT_FALSE(TQMSister::FirstLetterIsCaps(u"word"));
  EXPECT_FALSE(TQMSister::FirstLetterIsCaps(u""));
  EXPECT_EQ(NFilesCorrected(0, true), 1);
  EXPECT_EQ(NFilesCorrected(0, false), -999999);
  EXPECT_EQ(NFilesCorrected(-3, false), -3);
  EXPECT_TRUE(CategoryMeansClearCategory(u'0'));
  list.SetCurrentGridDataRow(0, true);
  EXPECT_EQ(list.FindCurrentGridDataRow(), 0);
  EXPECT_EQ(list.RestoredDefaultGridDataRow(true), 0);
  EXPECT_EQ(list.CurrentGridRowItem, nullptr);
}

TEST(Work_qm_baseSister, SetColumnsFollowTheHeadings) {
  NoCustomisedSets scope;
  TTestList list(lt_word_list);
  EXPECT_TRUE(list.IsASetColumnColumn(8));
  list.GridHeadings()->LoadStandardSet(lt_word_list);
  TGrid_head extra{};
  extra.extra_computed = 1;
  extra.extra_column_type = tnc_extra_set;
  extra.original_column = 9;
  extra.heading = u"Extra";
  list.GridHeadings()->AddOne(extra);
  list.RecomputeColumnSetnums();
  EXPECT_TRUE(list.IsASetColumnColumn(8));
  EXPECT_TRUE(list.IsASetColumnColumn(9));
  EXPECT_FALSE(list.IsASetColumnColumn(1));
  const TStringAndIntegerRec info = list.GetCurrentSetColumnInfo();
  EXPECT_EQ(info.s, u"Extra");
  EXPECT_EQ(info.i, 9);
  EXPECT_EQ(list.ExtraColumnType(9), tnc_extra_set);
  EXPECT_EQ(list.ExtraColumnType(1), tnc_other);
}

TEST(Work_qm_baseHolder, CategoriesColoursAndFileNames) {
  Holding h;
  TTestEntry* e = h.Add();
  const TStringTrueColumnAndColourRec none = e->GetCategory(8);
  EXPECT_EQ(none.s, u"");
  EXPECT_EQ(none.background_colour, BogStandardColours().arr[tsc_window]);
  e->SetCategoryString(u"noun", 8);
  const TColor saved = Global_Colours.arr[tsc_window];
  Global_Colours.arr[tsc_window] = 0x123456;
  EXPECT_EQ(e->GetCategory(8).background_colour, 0x123456);
  Global_Colours.arr[tsc_window] = saved;
  e->SetCategoryColour(0x0000FF, 8);
  EXPECT_EQ(e->GetCategory(8).background_colour, 0x0000FF);
  EXPECT_EQ(e->GetCategory(8).s, u"noun");
  TStringTrueColumnAndColourRec rec{};
  rec.true_column_number = 8;
  rec.s = u"verb";
  e->SetCategory(rec);
  EXPECT_EQ(e->privateobj->annotations->Count(), 1);
  EXPECT_EQ(e->GetCategory(8).s, u"verb");

  EXPECT_EQ(TQMBaseDataClass::ChangedFileNameForSaveASFormat(u"/data/words.lst", as_txt, lt_word_list),
            u"/data/words.txt");
  EXPECT_EQ(TQMBaseDataClass::ChangedFileNameForSaveASFormat(u"list", as_xml, lt_word_list), u"list.xml");
}

TEST(Work_qm_baseHolder, PositionTestAgainstThePivotWord) {
  TQMDummyBaseHolder holder;
  TQMSister list(&holder, nullptr, {}, {}, {}, {}, grid_none, lt_word_list, 0);
  list.base_compare_StringTag.wrd = u"UN";
  EXPECT_EQ(list.DoAComparePosOfWord(u"undo", true, false, false), 0);
  EXPECT_NE(list.DoAComparePosOfWord(u"redo", true, false, false), 0);
  list.comparing_case_sensitively = true;
  EXPECT_NE(list.DoAComparePosOfWord(u"undo", true, false, false), 0);
  EXPECT_EQ(list.DoAComparePosOfWord(u"RUN", false, true, false), 0);
}

// ---- stored records ---------------------------------------------------------------

TEST(Work_qm_baseStoredInfo, GoldenBytesAndRoundTrip) {
  TStoredListInfoHolder info;
  info.SetNodeSWCount(3);
  info.fdata.lifetimezaps = 2;
  info.SetExtraSavedDatatemp(1, 11);
  info.SetExtraSavedDatatemp(2, 22);
  info.SetExtraSavedDatatemp(3, 33);
  info.fdata.tag_info = {1, 2, 3};
  info.SetNTextsChecked(true);
  info.SetIsLemmatised(true);
  info.SetBasedOnClusters(true);
  info.fdata.info_derives_from_filename = u"a.txt";
  info.fdata.stoplist_filename = u"stop";
  const TBytes expected = ByteBuilder()
                              .I32(3)
                              .I32(1)
                              .I32(0)
                              .I32(0)
                              .I32(2)
                              .I32(11)
                              .I32(22)
                              .U8(1)
                              .U8(2)
                              .U8(3)
                              .U8(1)
                              .U8(1)
                              .U8(0)
                              .U8(0)
                              .U8(1)
                              .U8(1)
                              .Zeros(7 + 156)
                              .I32(6789)
                              .Zeros(4)
                              .Str(u"a.txt")
                              .Str(u"")
                              .Str(u"stop")
                              .bytes;
  TMemoryStream out;
  ASSERT_TRUE(info.SaveToStream(&out));
  EXPECT_EQ(out.ToBytes(), expected);
  TBytesStream in(expected);
  TStoredListInfoHolder back;
  ASSERT_TRUE(back.ReadFromStream(&in));
  EXPECT_EQ(back.fdata.stoplist_filename, u"stop");
  EXPECT_TRUE(back.NotLemmatisedOrNTextsChecked());
  TMemoryStream again;
  back.SaveToStream(&again);
  EXPECT_EQ(again.ToBytes(), expected);

  TBytes wrong = expected;
  wrong[200] = 0x84;  // sentinel 6788
  TBytesStream bad(wrong);
  EXPECT_FALSE(back.ReadFromStream(&bad));
  EXPECT_EQ(back.fdata.stored_version_number, 0);
  EXPECT_EQ(bad.Position(), 208);  // no string read
  TBytes cut(expected.begin(), expected.begin() + 210);
  TBytesStream shortNames(cut);
  EXPECT_FALSE(back.ReadFromStream(&shortNames));
  EXPECT_EQ(back.fdata.NodeSearchWordsCount, 0);
}

TEST(Work_qm_basePrivateDetails, GoldenBytesWithAnnotations) {
  TTestList list;
  TTestEntry* e = list.AddWord(u"w", 1);
  e->SetABookMarknumber(4);
  list.SetMarcacao(0, marcado_boss);
  list.SetMatched(0, true);
  e->SetCategoryColour(0x00FF00, 8);
  e->SetCategoryString(u"noun", 8);
  e->SetCategoryString(u"", 9);  // empty: nothing
  const TBytes expected = ByteBuilder()
                              .I32(1)
                              .I32(6789)
                              .I32(4)
                              .I32(0)
                              .U8(1)
                              .U8(0)
                              .U8(1)
                              .U8(0)
                              .U8(0)
                              .U8(0)
                              .Zeros(10)
                              .I32(1)
                              .I32(8)
                              .I32(0x00FF00)
                              .Str(u"noun")
                              .bytes;
  TMemoryStream out;
  ASSERT_TRUE(e->SavePrivateToStream(&list, &out, list.StoredListInfo->fdata));
  EXPECT_EQ(out.ToBytes(), expected);

  TTestList other;
  TTestEntry* back = other.AddWord(u"w", 1);
  TBytesStream in(expected);
  ASSERT_TRUE(back->ReadPrivateFromStream(&other, &in, other.StoredListInfo->fdata));
  EXPECT_EQ(other.MarcacoesExistentes, 1);
  EXPECT_EQ(other.GetBookMarkNumber(0), 4);
  EXPECT_EQ(back->privateobj->annotations->GetAString(0), u"noun");

  TBytes subordinate = expected;
  subordinate[16] = marcado_subordinate;
  TBytesStream in2(subordinate);
  ASSERT_TRUE(other.AddWord(u"v", 1)->ReadPrivateFromStream(&other, &in2, other.StoredListInfo->fdata));
  EXPECT_EQ(other.MarcacoesExistentes, 2);

  TBytes wrong = expected;
  wrong[4] = 0x84;  // sentinel 6788
  TBytesStream in3(wrong);
  TTestEntry* refused = other.AddWord(u"r", 1);
  EXPECT_FALSE(refused->ReadPrivateFromStream(&other, &in3, other.StoredListInfo->fdata));
  EXPECT_EQ(in3.Position(), 32);
  EXPECT_EQ(refused->privateobj->annotations->Count(), 0);
  TBytesStream cut(TBytes(expected.begin(), expected.begin() + 31));
  EXPECT_FALSE(other.AddWord(u"c", 1)->ReadPrivateFromStream(&other, &cut, other.StoredListInfo->fdata));
}

// ---- the envelope -----------------------------------------------------------------

TBytes Envelope(TQMBaseDataClass& list) {
  TMemoryStream out;
  EXPECT_TRUE(list.SaveToStream(&out));
  return out.ToBytes();
}

TBytes StoredInfoBytes(Int32 entries) {
  return ByteBuilder()
      .I32(0)
      .I32(1)
      .I32(0)
      .I32(entries)
      .Zeros(12 + 3 + 5)
      .U8(1)
      .Zeros(7 + 156)
      .I32(6789)
      .Zeros(4)
      .Str(u"")
      .Str(u"")
      .Str(u"")
      .bytes;
}

TEST(Work_qm_baseEnvelope, EmptyListGoldenBytes) {
  TQMSister list(nullptr, nullptr, {}, {}, {}, {}, grid_none, lt_kw_link_list, 0);
  const TBytes expected = ByteBuilder()
                              .I32(1)
                              .I32(-1)
                              .I32(2)
                              .I32(6789)
                              .U8(lt_kw_link_list)
                              .I32(0)
                              .Append(StoredInfoBytes(0))
                              .I32(6789)
                              .bytes;
  EXPECT_EQ(Envelope(list), expected);
  EXPECT_EQ(list.GetVersionNumber(), 1);
  TBytesStream in(expected);
  TQMSister back(nullptr, nullptr, {}, {}, {}, {}, grid_none, lt_word_list, 0);
  EXPECT_TRUE(back.ReadFromStream(&in));
  EXPECT_EQ(back.Count(), 0);
  EXPECT_EQ(Envelope(back), expected);
}

TEST(Work_qm_baseEnvelope, TwoEntriesWithPrivateDetailsGoldenBytes) {
  TTestList list(lt_word_list);
  list.AddWord(u"ab", 5);
  TTestEntry* second = list.AddWord(u"c", 7);
  list.SetDeleted(1, true);
  second->SetCategoryString(u"x", 8);
  const TBytes plainPrivate = ByteBuilder().I32(1).I32(6789).Zeros(24).I32(0).bytes;
  const TBytes expected = ByteBuilder()
                              .I32(1)
                              .I32(-1)
                              .I32(2)
                              .I32(6789)
                              .U8(lt_word_list)
                              .I32(0)
                              .Append(StoredInfoBytes(2))
                              .I32(2)
                              .Str(u"ab")
                              .Raw("\x05\0\0\0\0\0\0\0", 8)
                              .Append(plainPrivate)
                              .Str(u"c")
                              .Raw("\x07\0\0\0\0\0\0\0", 8)
                              .I32(1)
                              .I32(6789)
                              .Zeros(11)
                              .U8(1)  // deleted
                              .Zeros(12)
                              .I32(1)
                              .I32(8)
                              .I32(0)
                              .Str(u"x")
                              .I32(6789)
                              .bytes;
  EXPECT_EQ(Envelope(list), expected);

  TTestList back(lt_concordance_list);
  TBytesStream in(expected);
  ASSERT_TRUE(back.ReadFromStream(&in));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Entry(0)->word, u"ab");
  EXPECT_TRUE(back.GetDeleted(1));
  EXPECT_EQ(back.GridHeadings()->flist_type, lt_word_list);
  EXPECT_EQ(Envelope(back), expected);
}

TEST(Work_qm_baseEnvelope, FormulaInBothFormsRoundTrips) {
  NoCustomisedSets scope;
  for (bool withLines : {false, true}) {
    SCOPED_TRACE(withLines);
    TTestList list(lt_keyword_list);
    list.GridHeadings()->LoadStandardSet(lt_keyword_list);
    list.AddWord(u"w", 3);
    list.ParseFormulaHandler->BasedOnCol = 4;
    if (withLines) {
      list.ParseFormulaHandler->Translated_Strings->Add(u"c4*2");
      list.ParseFormulaHandler->Original_Strings->Add(u"Freq.*2");
    }
    const TBytes first = Envelope(list);
    const TBytes front = withLines ? ByteBuilder().I32(-2).I32(1).I32(4).I32(1).bytes : ByteBuilder().I32(1).I32(4).bytes;
    EXPECT_EQ(TBytes(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(front.size())), front);
    TTestList back(lt_word_list);
    TBytesStream in(first);
    ASSERT_TRUE(back.ReadFromStream(&in));
    EXPECT_EQ(back.ParseFormulaHandler->BasedOnCol, 4);
    EXPECT_EQ(back.ParseFormulaHandler->Original_Strings->Count(), withLines ? 1 : 0);
    EXPECT_EQ(back.GridHeadings()->Count(), 14);
    EXPECT_EQ(Envelope(back), first);
  }
}

// A tool's list whose entries go into the envelope as the tools store them:
// a word list as one list of tagged words with their frequencies, a
// concordance as each line's details (its hit among them); then each entry's
// private details.
class TStoredToolList : public TTestList {
 public:
  explicit TStoredToolList(TQuillmarkList kind) : TTestList(kind), fKind(kind) {}
  bool ListSettToSaveSavedToStream(TStream* stream) override {
    bool ok = true;
    if (ListType() == lt_word_list) {
      TStringTagFreqList words;
      for (Int32 i = 0; i < Count(); ++i)
        words.AddOne(TStringTagFreq{TStringTag{Entry(i)->word, u"", 0}, static_cast<Int32>(Entry(i)->freq)});
      ok = words.SaveToStream(stream);
    } else {
      const Int32 n = Count();
      ok = stream->Write(&n, 4) == 4;
      for (Int32 i = 0; ok && i < Count(); ++i) {
        TQMEntryDetailsRec details{};
        details.main_freq = Entry(i)->freq;
        details.main_word_arr = {TStringTag{Entry(i)->word, u"", 0}};
        ok = WriteAQMEntryDetailsRec_ForConcord(stream, details);
      }
    }
    for (Int32 i = 0; ok && i < Count(); ++i) ok = Get(i)->SavePrivateToStream(this, stream, StoredListInfo->fdata);
    return ok;
  }
  bool ListSettToSaveReadFromStream(TStream* stream) override {
    std::vector<std::pair<String, Int64>> read;
    if (ListType() == lt_word_list) {
      TStringTagFreqList words;
      if (!words.ReadFromStream(stream)) return false;
      for (Int32 i = 0; i < words.Count(); ++i)
        read.emplace_back(words.GetAStringTagFreq(i).st.wrd, words.GetAStringTagFreq(i).freq);
    } else {
      Int32 n = 0;
      if (!stream->TryReadValue(n) || n < 0 || n > stream->Remaining() / 32) return false;
      for (Int32 i = 0; i < n; ++i) {
        const TQMEntryDetailsRec details = ReadAQMEntryDetailsRec_ForConcord(stream);
        if (details.main_word_arr.size() != 1) return false;
        read.emplace_back(details.main_word_arr[0].wrd, details.main_freq);
      }
    }
    for (const auto& [word, freq] : read) {
      TTestEntry* e = AddWord(word, freq);
      if (!e->ReadPrivateFromStream(this, stream, StoredListInfo->fdata)) return false;
    }
    return true;
  }
  TQuillmarkList ListType() const { return fKind; }

 private:
  TQuillmarkList fKind;
};

// A saved word list or concordance reads back whole whatever the length of
// its words and of the texts of its envelope: a hit, an annotation, a
// heading, the names of the files it derives from and a formula's lines.
TEST(Work_qm_baseEnvelope, LongTextsReadBackWhole) {
  NoCustomisedSets scope;
  for (const TQuillmarkList kind : {lt_word_list, lt_concordance_list}) {
    for (const Int32 length : {4999, 5000, 5001, 100000}) {
      SCOPED_TRACE(std::to_string(kind) + " " + std::to_string(length));
      String text(static_cast<size_t>(length), u'g');
      for (Int32 i = 0; i < length; i += 4) text[static_cast<size_t>(i)] = u"ACGT"[i / 4 % 4];
      TStoredToolList list(kind);
      list.GridHeadings()->LoadStandardSet(kind);
      list.GridHeadings()->SetAHeading(1, text);
      list.ParseFormulaHandler->Translated_Strings->Add(text);
      list.ParseFormulaHandler->Original_Strings->Add(u"c1");
      list.StoredListInfo->fdata.info_derives_from_filename = text;
      for (Int32 i = 0; i < 300; ++i) list.AddWord(u"w" + IntToStr(i), i);
      list.AddWord(text, 9);
      list.Entry(120)->SetCategoryString(text, 8);
      TMemoryStream out;
      ASSERT_TRUE(list.SaveToStream(&out));
      TStoredToolList back(kind);
      out.SetPosition(0);
      bool read = false;
      try {
        read = back.ReadFromStream(&out);
      } catch (const Exception& e) {
        ADD_FAILURE() << StringToUtf8(e.Message());
      }
      ASSERT_TRUE(read);
      ASSERT_EQ(back.Count(), 301);
      EXPECT_TRUE(back.Entry(300)->word == text);
      EXPECT_EQ(back.Entry(300)->freq, 9);
      EXPECT_TRUE(back.Entry(120)->privateobj->annotations->GetAString(0) == text);
      EXPECT_TRUE(back.GridHeadings()->GetAHeading(1) == text);
      EXPECT_TRUE(back.ParseFormulaHandler->Translated_Strings->Get(0) == text);
      EXPECT_TRUE(back.StoredListInfo->fdata.info_derives_from_filename == text);
      EXPECT_EQ(Envelope(back), out.ToBytes());
    }
  }
}

// The envelope of a list with headings, a formula with lines and entries
// with private details, as corrupt input starts from it.
TBytes RichEnvelope() {
  NoCustomisedSets scope;
  TTestList list(lt_collocate_list);
  list.GridHeadings()->LoadStandardSet(lt_collocate_list);
  list.ParseFormulaHandler->Translated_Strings->Add(u"c3");
  list.ParseFormulaHandler->Original_Strings->Add(u"Dice");
  list.StoredListInfo->fdata.matchlist_filename = u"m";
  for (int i = 0; i < 3; ++i) {
    TTestEntry* e = list.AddWord(u"w" + IntToStr(i), i);
    list.SetMarcacao(i, marcado_subordinate);
    e->SetCategoryString(u"s", 14);
  }
  return Envelope(list);
}

// After a read: true, or false / an exception with the list empty.
void ExpectWholeOrEmpty(const TBytes& bytes) {
  TTestList list(lt_word_list);
  list.AddWord(u"old", 1);
  TBytesStream in(bytes);
  bool ok = false;
  try {
    ok = list.ReadFromStream(&in);
  } catch (const Exception&) {
    ok = false;
  }
  if (ok) return;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.GridHeadings()->Count(), 0);
  EXPECT_EQ(list.StoredListInfo->fdata.stored_version_number, 0);
  EXPECT_EQ(list.MarcacoesExistentes, 0);
}

TEST(Work_qm_baseEnvelope, CutAtEveryLength) {
  const TBytes whole = RichEnvelope();
  for (size_t n = 0; n < whole.size(); ++n) {
    SCOPED_TRACE(n);
    TTestList list(lt_word_list);
    TBytesStream in(TBytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)));
    bool ok = true;
    try {
      ok = list.ReadFromStream(&in);
    } catch (const Exception&) {
      ok = false;
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GridHeadings()->Count(), 0);
  }
  ExpectWholeOrEmpty(whole);
}

TEST(Work_qm_baseEnvelope, CutTrailerRaisesTheReadError) {
  const TBytes whole = RichEnvelope();
  TTestList list(lt_word_list);
  TBytesStream in(TBytes(whole.begin(), whole.end() - 4));
  EXPECT_THROW(list.ReadFromStream(&in), EReadError);
  EXPECT_EQ(list.Count(), 0);
}

TEST(Work_qm_baseEnvelope, FlippedBytesAndInflatedCounts) {
  const TBytes whole = RichEnvelope();
  for (size_t i = 0; i < whole.size(); ++i) {
    SCOPED_TRACE(i);
    for (Byte x : {Byte{0xFF}, Byte{0x01}, Byte{0x80}}) {
      TBytes bytes = whole;
      bytes[i] ^= x;
      ExpectWholeOrEmpty(bytes);
    }
  }
  // Every 32-bit field set to the largest count, one at a time.
  for (size_t i = 0; i + 4 <= whole.size(); i += 4) {
    TBytes bytes = whole;
    bytes[i] = 0xFF;
    bytes[i + 1] = 0xFF;
    bytes[i + 2] = 0xFF;
    bytes[i + 3] = 0x7F;
    ExpectWholeOrEmpty(bytes);
  }
}

TEST(Work_qm_baseEnvelope, WrongSentinelsAndKindFail) {
  const TBytes whole = RichEnvelope();
  // The formula with one line: 16 bytes, then "c3" and "Dice" stored.
  const size_t headings = 16 + 8 + 12;
  NoCustomisedSets scope;
  TGridHeaderList standard(lt_collocate_list);
  standard.LoadStandardSet(lt_collocate_list);
  TMemoryStream h;
  standard.SaveToStream(&h);
  const size_t info = headings + static_cast<size_t>(h.Size());
  ASSERT_EQ(whole[headings + 4], 0x85);  // the headings' sentinel, low byte
  ASSERT_EQ(whole[info + 200], 0x85);    // the stored-list sentinel, low byte
  struct Case {
    const char* what;
    size_t at;
    Byte value;
  } cases[] = {
      {"headings' sentinel", headings + 4, 0x84},
      {"headings' kind", headings + 8, 200},
      {"stored-list sentinel", info + 200, 0x84},
      {"trailer", whole.size() - 4, 0x84},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TBytes bytes = whole;
    bytes[c.at] = c.value;
    TTestList list(lt_word_list);
    list.AddWord(u"old", 1);
    TBytesStream in(bytes);
    EXPECT_FALSE(list.ReadFromStream(&in));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GridHeadings()->Count(), 0);
    EXPECT_EQ(list.StoredListInfo->fdata.stored_version_number, 0);
  }
}

}  // namespace
}  // namespace sk
