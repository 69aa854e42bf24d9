// Join, match, delete and zap with undo and redo; removing duplicates and
// cutting a list down; the base operations that compute.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "AnalysisTestSupport.h"
#include "analysis/Work_qm_base.h"
#include "core/Stringtag_utils.h"
#include "platform/runtime/Random.h"

namespace sk {
namespace {

Int64 gLiveEntries = 0;

// An entry of the undo tool: a word (column 1) and an Int64 frequency.
class TUndoEntry : public TQMBaseListObject {
 public:
  TUndoEntry(TQMSister* parent, TQMBaseHolder* holder) : TQMBaseListObject(parent, holder) { ++gLiveEntries; }
  ~TUndoEntry() override { --gLiveEntries; }
  String GetAWordAsString(Int32 column) override { return column == 1 ? word : String(); }
  void SetAWordAsString(Int32 column, const String& text) override {
    if (column == 1) word = text;
  }
  Int64 MainWordFrequency() override { return freq; }
  bool IsDuplicateOf(TQMBaseListObject* other) override {
    return other != nullptr && static_cast<TUndoEntry*>(other)->word == word;
  }
  String word;
  Int64 freq = 0;
};

TUndoEntry* U(TObject* o) { return static_cast<TUndoEntry*>(o); }

// The undo tool's list: owns its entries; sorts alphabetically on the word
// through the engine; counts the sorts asked for.
class TUndoList_ : public TQMSister {
 public:
  TUndoList_() : TQMSister(nullptr, &NewQMBaseListObject<TUndoEntry>, {}, {}, {}, {}, grid_none, lt_word_list, 0) {
    SetSortAlphAscending();
    fOnReportUnOrRedoAction = [this](const String& text, bool isRedo, Integer n) {
      reports.push_back(Report{text, isRedo, n});
    };
  }
  ~TUndoList_() override { Clear(); }

  void RemoveAnEntry(Int32 index) override {
    TQMBaseListObject* e = (index >= 0 && index < Count()) ? At(index) : nullptr;
    TQMBaseDataClass::RemoveAnEntry(index);
    delete e;
  }
  void SetSortAlphAscending() override {
    TSortSaveable& sv = QMSortSettings.saveable;
    sv.SortLevelsAvailable = static_cast<TSortLevel>(0);
    sv.column_choices[static_cast<TSortLevel>(0)].ascending = true;
    sv.column_choices[static_cast<TSortLevel>(0)].column = 1;
    sv.SortBytes[static_cast<TSortLevel>(0)] = 1;
    sv.knows_whether_alph_ascending = true;
    sv.sort_is_alph_ascending = true;
    QMSortSettings.comparesorts[static_cast<TSortLevel>(0)] = [this](TObject* o) {
      return static_cast<Integer>(CompareStr(U(o)->word, pivot) < 0 ? -1 : CompareStr(U(o)->word, pivot) > 0 ? 1 : 0);
    };
  }
  void SetBase(TQMBaseListObject* entry, TSortLevel) override { pivot = U(entry)->word; }
  void DoASort(Int32, Int32 from, Int32 to) override {
    ++sortsAsked;
    if (fListBusy == action_none) ++sortsDone;
    SortThem(from, to);
  }
  bool CanDeleteRandomly(Int32 index) override { return refuse.count(U(Get(index))->word) == 0; }

  TUndoEntry* AddWord(const String& word, Int64 freq) {
    auto* e = static_cast<TUndoEntry*>(AddedABlankEntry(0));
    e->word = word;
    e->freq = freq;
    return e;
  }
  TUndoEntry* Entry(Int32 i) const { return U(Get(i)); }
  Int32 IndexOfWord(const String& w) const {
    for (Int32 i = 0; i < Count(); ++i)
      if (Entry(i)->word == w) return i;
    return -1;
  }
  String Words() const {
    String s;
    for (Int32 i = 0; i < Count(); ++i) s += (i ? u" " : u"") + Entry(i)->word;
    return s;
  }

  // One entry's state: word, frequency, private details, join-list words.
  static void WriteEntry(TQMBaseDataClass* list, TUndoEntry* e, TMemoryStream& s) {
    WriteAString(&s, e->word);
    s.Write(&e->freq, 8);
    TPrivateDetailsRec d = e->PrivateDetails();
    d.version = 0;
    d.sentinel = 0;
    s.Write(&d, sizeof d);
    const TJoinList* j = e->OwnJoinlist();
    const Int32 n = j != nullptr ? j->Count() : 0;
    s.Write(&n, 4);
    for (Int32 k = 0; k < n; ++k) {
      WriteAString(&s, j->Items(k) != nullptr ? U(j->Items(k))->word : String(u"(nil)"));
      const Byte owned = j->Owns(k) ? 1 : 0;
      s.Write(&owned, 1);
    }
    (void)list;
  }
  // Every entry in list order, then the stored flags and sort settings.
  TBytes Snapshot() {
    TMemoryStream s;
    for (Int32 i = 0; i < Count(); ++i) WriteEntry(this, Entry(i), s);
    const TStoredListInfo& info = StoredListInfo->fdata;
    s.Write(&info.lemmatised, 1);
    s.Write(&info.n_texts_checked, 1);
    s.Write(&info.lifetimezaps, 4);
    const TSortSaveable& sv = QMSortSettings.saveable;
    s.Write(&sv.SortLevelsAvailable, 1);
    const bool asc = sv.column_choices[static_cast<TSortLevel>(0)].ascending;
    s.Write(&asc, 1);
    return s.ToBytes();
  }
  // The same per entry, in no particular order.
  std::multiset<TBytes> EntryStates() {
    std::multiset<TBytes> out;
    for (Int32 i = 0; i < Count(); ++i) {
      TMemoryStream s;
      WriteEntry(this, Entry(i), s);
      out.insert(s.ToBytes());
    }
    return out;
  }

  struct Report {
    String text;
    bool isRedo;
    Integer count;
    bool operator==(const Report&) const = default;
  };
  std::vector<Report> reports;
  String pivot;
  Int32 sortsAsked = 0;
  Int32 sortsDone = 0;
  std::set<String> refuse;
};

std::unique_ptr<T1LongintList> L(std::initializer_list<Int32> v) {
  auto l = std::make_unique<T1LongintList>();
  for (Int32 i : v) l->AddOne(i);
  return l;
}

String W(Int32 i) {
  String s = u"w000";
  s[1] = static_cast<Char>(u'0' + (i / 100) % 10);
  s[2] = static_cast<Char>(u'0' + (i / 10) % 10);
  s[3] = static_cast<Char>(u'0' + i % 10);
  return s;
}

void Fill(TUndoList_& list, Int32 n) {
  for (Int32 i = 0; i < n; ++i) list.AddWord(W(i), 100 - i);
}

// Identities of the entries in the list and in the zap records.
std::vector<UInt64> AllIdentities(TUndoList_& list) {
  std::vector<UInt64> ids;
  for (Int32 i = 0; i < list.Count(); ++i) ids.push_back(list.Get(i)->Identity());
  for (TMyActionList* st : {list.UndoList->fUndoActions.get(), list.UndoList->fRedoActions.get()})
    for (Int32 h = 0; h < st->Count(); ++h)
      if (TZapHolderList* z = st->Items(h)->zapped.get())
        for (Int32 k = 0; k < z->Count(); ++k) ids.push_back(z->Items(k)->Identity());
  std::sort(ids.begin(), ids.end());
  return ids;
}

// ---- the reported captions ----------------------------------------------------------

TEST(Work_qm_base_undo, DeleteThenUndoReportsBothStacks) {
  TUndoList_ list;
  Fill(list, 5);
  ASSERT_TRUE(list.DeleteARange(*L({1, 3}), undoable_yes, true));
  ASSERT_TRUE(list.MatchARange(*L({2}), undoable_yes, true));
  EXPECT_TRUE(list.GetDeleted(1));
  list.reports.clear();
  ASSERT_TRUE(list.Undo());  // the match
  ASSERT_TRUE(list.Undo());  // the delete
  EXPECT_FALSE(list.GetDeleted(1));
  EXPECT_FALSE(list.GetDeleted(3));
  EXPECT_FALSE(list.GetMatched(2));
  const std::vector<TUndoList_::Report> want = {
      {u"UnDelete", false, 1}, {u"ReMatch", true, 1}, {u"Undo", false, 0}, {u"ReDelete", true, 2}};
  EXPECT_EQ(list.reports, want);
  EXPECT_FALSE(list.GetCanUnDo());
  EXPECT_TRUE(list.GetCanReDo());
}

TEST(Work_qm_base_undo, ReportingAnEmptyNameSaysDo) {
  TUndoList_ list;
  list.ReportUnOrRedoAction(String(), true, 0);
  list.ReportUnOrRedoAction(u"Zap", false, 3);
  const std::vector<TUndoList_::Report> want = {{u"Redo", true, 0}, {u"UnZap", false, 3}};
  EXPECT_EQ(list.reports, want);
  EXPECT_FALSE(list.Undo());
  EXPECT_FALSE(list.Redo());
}

TEST(Work_qm_base_undo, ANewActionLeavesTheRedoStack) {
  TUndoList_ list;
  Fill(list, 4);
  list.DeleteARange(*L({0}), undoable_yes, true);
  list.Undo();
  list.MatchARange(*L({1}), undoable_yes, true);
  EXPECT_EQ(list.UndoList->fRedoActions->Count(), 1);
  EXPECT_EQ(list.UndoList->fUndoActions->GetTopActionName(), u"Match");
  EXPECT_EQ(list.UndoList->fRedoActions->GetTopActionName(), u"Delete");
}

// ---- deleting and matching -----------------------------------------------------

TEST(Work_qm_base_undo, UndoRestoresEachEntrysPreviousFlag) {
  TUndoList_ list;
  Fill(list, 6);
  list.SetDeleted(2, true);  // deleted before the action
  list.SetMatched(4, true);
  list.DeleteARange(*L({1, 2, 2, 9}), undoable_yes, true);  // 9 is outside: skipped
  list.MatchARange(*L({3, 4}), undoable_yes, true);
  list.Undo();
  list.Undo();
  EXPECT_FALSE(list.GetDeleted(1));
  EXPECT_TRUE(list.GetDeleted(2));
  EXPECT_FALSE(list.GetMatched(3));
  EXPECT_TRUE(list.GetMatched(4));
  // Redo sets the flag the action set: an undelete is redone as one.
  list.DeleteARange(*L({2}), undoable_yes, false);
  EXPECT_FALSE(list.GetDeleted(2));
  list.Undo();
  EXPECT_TRUE(list.GetDeleted(2));
  list.Redo();
  EXPECT_FALSE(list.GetDeleted(2));
}

TEST(Work_qm_base_undo, RecordsFollowTheirEntriesThroughASort) {
  TUndoList_ list;
  Fill(list, 20);
  list.DeleteARange(*L({3, 7}), undoable_yes, true);
  RandSeed = 42;
  list.DoRandomOrderSort();
  list.Undo();
  for (Int32 i = 0; i < list.Count(); ++i) EXPECT_FALSE(list.GetDeleted(i)) << i;
  list.Redo();
  EXPECT_TRUE(list.GetDeleted(list.IndexOfWord(W(3))));
  EXPECT_TRUE(list.GetDeleted(list.IndexOfWord(W(7))));
  Int32 deleted = 0;
  for (Int32 i = 0; i < list.Count(); ++i) deleted += list.GetDeleted(i) ? 1 : 0;
  EXPECT_EQ(deleted, 2);
}

TEST(Work_qm_base_undo, EmptyIndexListsGiveFalse) {
  TUndoList_ list;
  Fill(list, 3);
  T1LongintList none;
  EXPECT_FALSE(list.PrivateDeleteARange(none, true));
  EXPECT_FALSE(list.PrivateMatchARange(nullptr, true));
  EXPECT_FALSE(list.MatchARange(none, undoable_yes, true));
  EXPECT_FALSE(list.GetCanUnDo());  // a failed match records nothing
  EXPECT_FALSE(list.DeleteARange(none, undoable_yes, true));
  EXPECT_TRUE(list.GetCanUnDo());  // a delete records whatever its result
}

TEST(Work_qm_base_undo, UnmatchSortsOnceIdle) {
  TUndoList_ list;
  Fill(list, 5);
  list.MatchARange(*L({0, 1}), undoable_yes, true);
  list.sortsDone = 0;
  list.Undo();
  EXPECT_EQ(list.sortsDone, 1);
  EXPECT_FALSE(list.GetMatched(0));
}

// ---- joining ---------------------------------------------------------------------

TEST(Work_qm_base_undo, JoinOneRefusesTheSameOrNegativeIndex) {
  TUndoList_ list;
  Fill(list, 5);
  EXPECT_FALSE(list.JoinOne(3, 3));
  EXPECT_FALSE(list.JoinOne(-1, 2));
  EXPECT_FALSE(list.StoredListInfo->GetIsLemmatised());
}

TEST(Work_qm_base_undo, JoinARangeJoinsAllOrNone) {
  struct Case {
    std::vector<Int32> indexes;
    bool ok;
  };
  const Case cases[] = {
      {{0, 1, 2}, true}, {{0}, false},    {{0, 1, 1}, false}, {{0, 1, 9}, false},
      {{0, -1}, false},  {{4, 3}, true},  {{2, 0}, true},
  };
  for (const Case& c : cases) {
    TUndoList_ list;
    Fill(list, 5);
    T1LongintList l;
    for (Int32 i : c.indexes) l.AddOne(i);
    EXPECT_EQ(list.JoinARange(l, undoable_yes, false), c.ok);
    EXPECT_EQ(list.GetCanUnDo(), c.ok);
    Int32 joined = 0;
    for (Int32 i = 0; i < list.Count(); ++i) joined += list.GetJoinedElsewhere(i) ? 1 : 0;
    EXPECT_EQ(joined, c.ok ? static_cast<Int32>(c.indexes.size()) - 1 : 0);
  }
  // A member joined under another head may not be joined again.
  TUndoList_ list;
  Fill(list, 5);
  ASSERT_TRUE(list.JoinARange(*L({0, 1}), undoable_yes, false));
  EXPECT_FALSE(list.JoinARange(*L({2, 1}), undoable_yes, false));
  EXPECT_FALSE(list.JoinARange(*L({1, 2}), undoable_yes, false));
  EXPECT_EQ(list.GetJoinCount(2), 0);
}

TEST(Work_qm_base_undo, UndoingAJoinTakesOutOnlyItsMembers) {
  TUndoList_ list;
  Fill(list, 8);
  // The head's earlier join, not recorded; a member with joins of its own,
  // one of them made while loading.
  ASSERT_TRUE(list.PrivateJoinARange(*L({0, 1})));
  ASSERT_TRUE(list.PrivateJoinARange(*L({3, 4})));
  auto* loaded = new TUndoEntry(&list, nullptr);
  loaded->word = u"loaded";
  list.Get(3)->AddPrivateJoinInstance(loaded);
  list.StoredListInfo->fdata.lemmatised = 0;
  list.StoredListInfo->fdata.n_texts_checked = 1;
  const TBytes before = list.Snapshot();
  ASSERT_TRUE(list.JoinARange(*L({0, 2, 3}), undoable_yes, false));
  EXPECT_EQ(list.GetJoinCount(0), 5);  // w001, w002, w003, w004, loaded
  EXPECT_EQ(list.GetTotalFreqPLusJoinedFreq(0), 100 + 99 + 98 + 97 + 96 + 0);
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(list.Snapshot(), before);
  EXPECT_EQ(list.GetJoinCount(0), 1);
  EXPECT_EQ(list.GetJoinCount(3), 2);
  EXPECT_TRUE(list.Get(3)->OwnJoinlist()->Owns(1));
  EXPECT_FALSE(list.GetJoinedElsewhere(2));
  EXPECT_TRUE(list.GetJoinedElsewhere(1));
  ASSERT_TRUE(list.Redo());
  EXPECT_EQ(list.GetJoinCount(0), 5);
}

TEST(Work_qm_base_undo, UnJoinFreesOwnedPlacesAndFreesTheMembers) {
  TUndoList_ list;
  Fill(list, 4);
  const Int64 live = gLiveEntries;
  list.PrivateJoinARange(*L({0, 1, 2}));
  auto* loaded = new TUndoEntry(&list, nullptr);
  list.Get(0)->AddPrivateJoinInstance(loaded);
  EXPECT_EQ(gLiveEntries, live + 1);
  EXPECT_TRUE(list.UnJoin(0));
  EXPECT_EQ(gLiveEntries, live);
  EXPECT_FALSE(list.GetJoinedElsewhere(1));
  EXPECT_FALSE(list.GetJoinedElsewhere(2));
  EXPECT_FALSE(list.UnJoin(0));
  EXPECT_THROW(list.UnJoin(4), EAssertionFailed);
}

TEST(Work_qm_base_undo, UnJoinAllAndUnmatchAll) {
  TUndoList_ list;
  Fill(list, 6);
  list.PrivateJoinARange(*L({0, 1}));
  list.PrivateJoinARange(*L({2, 3}));
  list.Get(2)->AddPrivateJoinInstance(new TUndoEntry(&list, nullptr));
  list.SetMatched(4, true);
  list.SetMatched(5, true);
  list.UnJoinAll();
  list.UnmatchAll();
  for (Int32 i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list.GetJoinCount(i), 0);
    EXPECT_FALSE(list.GetJoinedElsewhere(i));
    EXPECT_FALSE(list.GetMatched(i));
  }
}

// ---- zapping ------------------------------------------------------------------------

TEST(Work_qm_base_undo, AZapWithNothingToTakeRecordsNothing) {
  TUndoList_ list;
  Fill(list, 5);
  list.sortsAsked = 0;
  EXPECT_FALSE(list.Zap(undoable_yes));
  EXPECT_FALSE(list.GetCanUnDo());
  EXPECT_EQ(list.sortsAsked, 0);
  EXPECT_TRUE(list.reports.empty());
}

TEST(Work_qm_base_undo, AZapWithoutUndoFreesAtOnce) {
  TUndoList_ list;
  Fill(list, 5);
  const Int64 live = gLiveEntries;
  list.SetDeleted(1, true);
  list.SetDeleted(3, true);
  list.fSelectedItems[sf_deleted]->AddOne(1);
  EXPECT_TRUE(list.Zap(undoable_no));
  EXPECT_EQ(gLiveEntries, live - 2);
  EXPECT_EQ(list.Words(), u"w000 w002 w004");
  EXPECT_EQ(list.StoredListInfo->fdata.lifetimezaps, 2);
  EXPECT_EQ(list.fSelectedItems[sf_deleted]->Count(), 0);
  EXPECT_FALSE(list.GetCanUnDo());
  EXPECT_TRUE(list.ListModified.Contains(mod_edited));
}

TEST(Work_qm_base_undo, UndoingAZapAppendsAndSortsRedoGivesFalse) {
  TUndoList_ list;
  Fill(list, 6);
  list.SetDeleted(0, true);
  list.SetDeleted(4, true);
  list.sortsDone = 0;
  ASSERT_TRUE(list.Zap(undoable_yes));
  EXPECT_EQ(list.sortsDone, 0);  // asked for while busy: refused
  EXPECT_EQ(list.Words(), u"w001 w002 w003 w005");
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(list.Words(), u"w000 w001 w002 w003 w004 w005");
  EXPECT_EQ(list.sortsDone, 1);
  EXPECT_TRUE(list.GetDeleted(0));
  EXPECT_EQ(list.StoredListInfo->fdata.lifetimezaps, 0);
  EXPECT_FALSE(list.Redo());
  EXPECT_EQ(list.Count(), 6);
  EXPECT_EQ(list.fListBusy, action_none);
}

TEST(Work_qm_base_undo, JoinHeldEntriesOutliveAZapWithoutUndo) {
  // The head's joined frequency reads its members after they went.
  for (int way = 0; way < 3; ++way) {
    TUndoList_ list;
    Fill(list, 12);
    list.PrivateJoinARange(*L({0, 10, 11}));
    const Int64 total = list.GetTotalFreqPLusJoinedFreq(0);
    if (way == 0) {
      EXPECT_TRUE(list.Zap(undoable_no));
    } else if (way == 1) {
      EXPECT_TRUE(list.ZapItems({10, 11, 11, 40, -1}));
    } else {
      list.ReduceTo(false, 10);
    }
    EXPECT_EQ(list.Count(), 10) << way;
    EXPECT_EQ(list.GetTotalFreqPLusJoinedFreq(0), total) << way;
    EXPECT_TRUE(list.Get(0)->OwnJoinlist()->Owns(0));
    EXPECT_TRUE(list.UnJoin(0));  // frees them now
  }
}

TEST(Work_qm_base_undo, ACutReleasesWhatItsHeadsHeldAndTakesTheirMarks) {
  // Head w011 holds w002 and w003; the cut takes w010 and w011 with their
  // marks. The kept entries count on their own and no later zap takes them.
  for (int way = 0; way < 2; ++way) {
    TUndoList_ list;
    Fill(list, 12);
    ASSERT_TRUE(list.PrivateJoinARange(*L({11, 2, 3})));
    list.SetMarcacao(10, marcado_boss);
    list.SetMarcacao(11, marcado_subordinate);
    list.SetMarcacao(11, marcado_subordinate);  // one entry, one mark
    EXPECT_EQ(list.MarcacoesExistentes, 2);
    if (way == 0)
      list.ReduceTo(false, 10);
    else
      EXPECT_TRUE(list.ZapItems({10, 11}));
    ASSERT_EQ(list.Count(), 10) << way;
    EXPECT_EQ(list.MarcacoesExistentes, 0) << way;
    Int64 total = 0;
    for (Int32 i = 0; i < list.Count(); ++i) {
      EXPECT_FALSE(list.GetJoinedElsewhere(i)) << way << " " << i;
      total += list.GetTotalFreqPLusJoinedFreq(i);
    }
    EXPECT_EQ(total, 955) << way;  // 100 + 99 + ... + 91
    EXPECT_FALSE(list.Zap(undoable_no)) << way;
    EXPECT_EQ(list.Count(), 10) << way;
  }
}

TEST(Work_qm_base_undo, ZapRecordsFreedWhileAJoinListHoldsTheirEntries) {
  TUndoList_ list;
  Fill(list, 5);
  list.PrivateJoinARange(*L({0, 3}));
  ASSERT_TRUE(list.Zap(undoable_yes));  // w003 is joined elsewhere
  EXPECT_EQ(list.Count(), 4);
  list.UndoList->fUndoActions->Clear();
  EXPECT_EQ(list.GetTotalFreqPLusJoinedFreq(0), 100 + 97);
  EXPECT_TRUE(list.Get(0)->OwnJoinlist()->Owns(0));
}

TEST(Work_qm_base_undo, ARedoAfterAnotherZapTookItsEntries) {
  TUndoList_ list;
  Fill(list, 5);
  list.MatchARange(*L({1, 2}), undoable_yes, true);
  list.Undo();
  list.SetDeleted(1, true);
  list.SetDeleted(2, true);
  ASSERT_TRUE(list.Zap(undoable_yes));
  list.UndoList->fUndoActions->Clear();  // the zapped entries are freed
  EXPECT_FALSE(list.Redo());              // its entries are gone
  EXPECT_EQ(list.Words(), u"w000 w003 w004");
  for (Int32 i = 0; i < list.Count(); ++i) EXPECT_FALSE(list.GetMatched(i));
  EXPECT_TRUE(list.Undo());  // an undo of the same record finds nothing either
}

TEST(Work_qm_base_undo, ZapItemsSkipsRepeatedAndOutsideIndexes) {
  TUndoList_ list;
  Fill(list, 6);
  const Int64 live = gLiveEntries;
  EXPECT_TRUE(list.ZapItems({4, 1, 4, 6, -3}));
  EXPECT_EQ(list.Words(), u"w000 w002 w003 w005");
  EXPECT_EQ(gLiveEntries, live - 2);
  EXPECT_FALSE(list.ZapItems({}));
  EXPECT_EQ(list.StoredListInfo->fdata.lifetimezaps, 0);
}

// ---- reducing and duplicates --------------------------------------------------------

TEST(Work_qm_base_undo, ReduceToKeepsTheFirstOrStopsWhenRefused) {
  TUndoList_ list;
  Fill(list, 100);
  list.ReduceTo(false, 0);
  list.ReduceTo(false, 100);
  EXPECT_EQ(list.Count(), 100);
  list.ReduceTo(false, 10);
  EXPECT_EQ(list.Count(), 10);
  EXPECT_EQ(list.Entry(9)->word, W(9));

  TUndoList_ r;
  Fill(r, 30);
  for (Int32 i = 0; i < 30; ++i)
    if (i % 3 != 0) r.refuse.insert(W(i));
  r.ReduceTo(true, 5);  // only ten may go
  EXPECT_EQ(r.Count(), 20);
  for (Int32 i = 0; i < r.Count(); ++i) EXPECT_TRUE(r.refuse.count(r.Entry(i)->word)) << i;
  r.refuse.clear();
  r.ReduceTo(true, 7);
  EXPECT_EQ(r.Count(), 7);
  EXPECT_EQ(r.fListBusy, action_none);
}

TEST(Work_qm_base_undo, RemoveDuplicatesMarksTheRepeats) {
  TUndoList_ list;
  for (const char16_t* w : {u"b", u"a", u"c", u"a", u"b", u"a"}) list.AddWord(w, 1);
  list.RemoveDuplicates();
  EXPECT_EQ(list.Words(), u"a a a b b c");
  const bool want[] = {false, true, true, false, true, false};
  for (Int32 i = 0; i < 6; ++i) EXPECT_EQ(list.GetDeleted(i), want[i]) << i;
  EXPECT_EQ(list.fSelectedItems[sf_deleted]->Count(), 3);

  TUndoList_ plain;
  for (const char16_t* w : {u"q", u"p", u"r"}) plain.AddWord(w, 1);
  plain.RemoveDuplicates();
  EXPECT_EQ(plain.Words(), u"p q r");
  for (Int32 i = 0; i < 3; ++i) EXPECT_FALSE(plain.GetDeleted(i));
}

// ---- edits --------------------------------------------------------------------------

TEST(Work_qm_base_undo, EachEditUndoesToItsOwnText) {
  TUndoList_ list;
  Fill(list, 3);
  auto edit = [&](Int32 row, const String& text) {
    const String old = list.GetSomeWordAsString(row, 1);
    list.SetSomeWordAsString(row, 1, text);
    list.AddStringToUndolist(TEntryAndColumn{row, 1}, old);
  };
  edit(1, u"first");
  edit(1, u"second");
  edit(2, u"third");
  EXPECT_EQ(list.Get(1)->privateobj->last_edit, u"first");
  EXPECT_TRUE(list.reports.empty());  // an edit is recorded without a report
  list.Undo();
  EXPECT_EQ(list.Entry(2)->word, W(2));
  list.Undo();
  EXPECT_EQ(list.Entry(1)->word, u"first");
  list.Undo();
  EXPECT_EQ(list.Entry(1)->word, W(1));
  // Redo of an edit does nothing, gives false and moves the record back.
  EXPECT_FALSE(list.Redo());
  EXPECT_EQ(list.UndoList->fUndoActions->Count(), 1);
  EXPECT_EQ(list.Entry(1)->word, W(1));
  EXPECT_TRUE(list.UnEdit(TEntryAndColumn{1, 1}));
  EXPECT_FALSE(list.UnEdit(TEntryAndColumn{7, 1}));
}

TEST(Work_qm_base_undo, AddItemsToUndoListRecordsTheStateBeforeTheAction) {
  TUndoList_ list;
  Fill(list, 4);
  list.AddItemsToUndoList(a_deleting, *L({1, 2}));
  EXPECT_EQ(list.reports.back(), (TUndoList_::Report{u"UnDelete", false, 1}));
  list.PrivateDeleteARange(*L({1, 2}), true);
  list.Undo();
  EXPECT_FALSE(list.GetDeleted(1));
  EXPECT_FALSE(list.GetDeleted(2));
  list.Redo();  // sets the flag again
  EXPECT_TRUE(list.GetDeleted(1));
}

// ---- lemma information ----------------------------------------------------------

TEST(Work_qm_base_undo, LemmaInformation) {
  TUndoList_ list;
  Fill(list, 4);
  EXPECT_TRUE(list.JoinedWordData(0).empty());
  list.PrivateJoinARange(*L({0, 2, 3}));
  const std::vector<TWord_entry_String_rec> data = list.JoinedWordData(0);
  ASSERT_EQ(data.size(), 2u);
  EXPECT_EQ(data[0].freq, 98);
  EXPECT_EQ(data[1].wds.size(), 0u);
  TStringlistWithALongint lines;
  Int32 calledWith = -1;
  list.PopulateAStringlistWithLemmaInfo(&lines, 0, true, [&](Int32 row, TStringlistWithALongint* l) {
    calledWith = row;
    EXPECT_EQ(l, &lines);
  });
  ASSERT_EQ(lines.Count(), 1);
  EXPECT_EQ(lines.Strings(0), W(0));
  EXPECT_EQ(lines.GetOne(0), 100);
  EXPECT_EQ(calledWith, 0);
  list.PopulateAStringlistWithLemmaInfo(&lines, 1, false, nullptr);
  EXPECT_EQ(lines.Count(), 1);
  EXPECT_GT(list.LemmasRelativeEntropy(0, 3), 0.0);
  EXPECT_EQ(list.LemmasRelativeEntropy(1, 3), 0.0);
}

// ---- many random sequences ---------------------------------------------------------

bool JoinIsFine(TUndoList_& list, Int32 a, Int32 b) {
  return a != b && !list.GetJoinedElsewhere(a) && !list.GetJoinedElsewhere(b);
}

// Runs a seeded sequence of actions, undos and redos; undoing everything must
// give back the list as it was.
void RunSequence(uint32_t seed, bool unrecordedSorts) {
  std::mt19937 rng(seed);
  auto pick = [&](Int32 n) { return static_cast<Int32>(rng() % static_cast<uint32_t>(n)); };
  TUndoList_ list;
  const Int32 n = 1 + pick(60);
  Fill(list, n);
  for (Int32 i = 0; i < n; ++i) {
    if (pick(10) == 0) list.SetDeleted(i, true);
    if (pick(10) == 0) list.SetMatched(i, true);
    if (pick(20) == 0) list.SetMarcacao(i, marcado_boss);
  }
  for (Int32 k = pick(3); k > 0 && n >= 2; --k) {
    const Int32 a = pick(n), b = pick(n);
    if (JoinIsFine(list, a, b)) list.PrivateJoinARange(*L({a, b}));
  }
  if (n >= 1 && pick(2) == 0) {
    auto* loaded = new TUndoEntry(&list, nullptr);
    loaded->word = u"loaded";
    loaded->freq = 7;
    list.Get(pick(n))->AddPrivateJoinInstance(loaded);
  }
  const TBytes before = list.Snapshot();
  const std::multiset<TBytes> statesBefore = list.EntryStates();
  const std::vector<UInt64> idsBefore = AllIdentities(list);

  const Int32 steps = 1 + pick(30);
  for (Int32 s = 0; s < steps; ++s) {
    const Int32 c = list.Count();
    T1LongintList idx;
    for (Int32 k = 1 + pick(4); k > 0 && c > 0; --k) idx.AddOne(pick(c + 1) - (pick(8) == 0 ? 1 : 0));
    switch (pick(9)) {
      case 0:
        list.DeleteARange(idx, undoable_yes, pick(4) != 0);
        break;
      case 1:
        list.MatchARange(idx, undoable_yes, pick(4) != 0);
        break;
      case 2:
        list.JoinARange(idx, undoable_yes, false);
        break;
      case 3:
        list.Zap(undoable_yes);
        break;
      case 4:
        if (c > 0) {
          const Int32 row = pick(c);
          const String old = list.GetSomeWordAsString(row, 1);
          list.SetSomeWordAsString(row, 1, old + u"x");  // keeps the alphabetical order
          list.AddStringToUndolist(TEntryAndColumn{row, 1}, old);
        }
        break;
      case 5:
      case 6:
        list.Undo();
        break;
      default:
        list.Redo();
        break;
    }
    if (unrecordedSorts && pick(3) == 0) {
      RandSeed = rng();
      list.DoRandomOrderSort();
    }
    ASSERT_EQ(AllIdentities(list), idsBefore) << "seed " << seed << " step " << s;
  }
  while (list.GetCanUnDo()) list.Undo();
  ASSERT_EQ(AllIdentities(list), idsBefore) << "seed " << seed;
  if (unrecordedSorts)
    ASSERT_EQ(list.EntryStates(), statesBefore) << "seed " << seed;
  else
    ASSERT_EQ(list.Snapshot(), before) << "seed " << seed;
}

TEST(Work_qm_base_undo, SeededSequencesUndoToTheStart) {
  for (uint32_t seed = 1; seed <= 2500; ++seed) {
    RunSequence(seed, false);
    if (HasFatalFailure()) return;
  }
}

TEST(Work_qm_base_undo, SeededSequencesWithUnrecordedSorts) {
  for (uint32_t seed = 1; seed <= 1500; ++seed) {
    RunSequence(seed, true);
    if (HasFatalFailure()) return;
  }
}

// ---- base operations that compute -----------------------------------------------

class TOverallList : public TUndoList_ {
 public:
  Int32 ConvertedForFrequency(Int32 row, TGrid_alternatives) override { return row + 2; }
  Int32 OverallCount(TGrid_alternatives gridKind) override { return gridKind == grid_none ? 3 : 5; }
};

TEST(Work_qm_base_virtuals, ConversionsFollowOverallCount) {
  TOverallList list;
  EXPECT_EQ(list.ConvertedForFrequencyAndOverallCount(10, grid_none), 9);
  EXPECT_EQ(list.PositionInFreqNums(10, grid_none), 10);
  TUndoList_ plain;
  EXPECT_EQ(plain.ConvertedForFrequencyAndOverallCount(4, grid_none), 4);
  EXPECT_EQ(plain.Cumulative_distinguisher(), 1);
  EXPECT_EQ(plain.LemmaWordColumn(), -1);
  EXPECT_TRUE(plain.LemmaListFromThisList()->Count() == 0);
}

TEST(Work_qm_base_virtuals, CanEditFollowsTheHeading) {
  TUndoList_ list;
  auto headings = std::make_unique<TGridHeaderList>(lt_word_list);
  TGrid_head h{};
  h.heading = u"N";
  headings->AddOne(h);
  h.heading = u"Word";
  headings->AddOne(h);
  headings->SetEditable(1, ed_tanto_faz);
  list.SetGridHeadings(std::move(headings));
  EXPECT_TRUE(list.CanEdit(1));
  EXPECT_EQ(list.fColumnBeingEdited, 1);
  EXPECT_FALSE(list.CanEdit(0));
  EXPECT_EQ(list.fColumnBeingEdited, -1);
  EXPECT_FALSE(list.CanEdit(2));
  EXPECT_FALSE(list.CanEdit(-1));
  EXPECT_EQ(list.fColumnBeingEdited, -1);
}

}  // namespace
}  // namespace sk
