// Lemma, match, stop and relation lists loaded from files in each encoding,
// and the tool-run holder that carries them.
#include <gtest/gtest.h>

#include "LookupTestWords.h"
#include "TestSupport.h"
#include "core/CoreTestSupport.h"
#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_splitting.h"
#include "core/Useful_classes_base_holders.h"
#include "services/Lem_match_stop_rel_lists.h"
#include "services/Qmbaseholderunit.h"

namespace sk {
namespace {

enum class Enc { utf8, utf8bom, utf16le, utf16be };

// The text in the encoding, with its byte-order mark (none for plain UTF-8).
std::string Encoded(const String& text, Enc enc) {
  std::string r;
  switch (enc) {
    case Enc::utf8: return StringToUtf8(text);
    case Enc::utf8bom: return "\xEF\xBB\xBF" + StringToUtf8(text);
    case Enc::utf16le:
      r = "\xFF\xFE";
      for (Char c : text) r += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
      return r;
    case Enc::utf16be:
      r = "\xFE\xFF";
      for (Char c : text) r += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
      return r;
  }
  return r;
}

class Lem_match_stop_rel_lists : public ScratchFolderTest, public ::testing::WithParamInterface<Enc> {
 protected:
  Lem_match_stop_rel_lists() : ScratchFolderTest("lemma_lists") {}
  String Write(const std::string& name, const String& text) {
    WriteRaw(name, Encoded(text, GetParam()));
    return File(name);
  }
  TLemMatchStopRelHolder h;
};

TEST_P(Lem_match_stop_rel_lists, LemmaFileEdgeCases) {
  const String file = Write("lemmas.txt",
                            u"; comment -> not a lemma\r\n"
                            u"WENT -> WENTS\r\n"
                            u"GO -> GOES, WENT\r\n"
                            u"BE -> AM,ARE,IS,A\r\n"
                            u"no separator here\r\n"
                            u"FLY ->\r\n"
                            u"RUN -> RAN,,RUNS,\r\n"
                            u"SEE -> SAW,GOES\n"
                            u"CAFÉ -> CAFÉS");
  ASSERT_TRUE(h.StartUpAndLoadList(file, as_lemma, true));
  // Sorted: BE, CAFÉ, FLY (no variants: dropped), GO, RUN, SEE, WENT (dropped: WENT is GO's).
  ASSERT_EQ(h.GetLemmaHeadWordCount(), 5);
  EXPECT_EQ(h.GetLemmalistHeadWord(0), u"BE");
  EXPECT_EQ(h.GetLemmalistHeadWord(1), u"CAFÉ");
  EXPECT_EQ(h.GetLemmalistHeadWord(2), u"GO");
  EXPECT_EQ(h.GetLemmalistVariantsOf(u"BE"), u"AM,ARE,IS,A");  // the one-letter A stays
  EXPECT_EQ(h.GetLemmalistVariantsOf(u"GO"), u"GOES,WENT");
  EXPECT_EQ(h.GetLemmalistVariantsOf(u"RUN"), u"RAN,RUNS");
  EXPECT_EQ(h.GetLemmalistVariantsOf(u"SEE"), u"SAW");
  EXPECT_EQ(h.GetLemmalistVariantsOf(u"WENT"), u"");
  EXPECT_EQ(h.GetLemmalistVariantsOf(nullptr), u"");
  EXPECT_EQ(h.IndexOfWordInList(u"WENT", as_lemma), -1);
  // GOES under SEE was GO's already: recorded as unwanted.
  ASSERT_EQ(h.GetLemmalistUnwantedVariantCount(), 1);
  EXPECT_EQ(h.GetLemmaListUnwantedVariant(0), u"GOES");
  const THeadword_and_Variant v = h.GetLemmalistVariantWithHeadword(h.IndexOfLemmaVariant(u"WENT"));
  EXPECT_EQ(v.headword, u"GO");
  EXPECT_EQ(v.variante, u"WENT");
  EXPECT_EQ(h.GetLemmalistVariantWithHeadword(99).headword, u"");
  EXPECT_FALSE(h.GetLemmaMatchRelationStoplistCheckAffixes(as_lemma));

  // Loading the same file again gives the same lists and answer.
  const Int32 variants = h.GetLemmaVariantCount();
  ASSERT_TRUE(h.StartUpAndLoadLemmaList(file, true));
  EXPECT_EQ(h.GetLemmaHeadWordCount(), 5);
  EXPECT_EQ(h.GetLemmaVariantCount(), variants);
}

TEST_P(Lem_match_stop_rel_lists, CaseInsensitiveLemmaLoad) {
  const String file = Write("lower.txt", u"go -> goes\r\nbé -> <x>\r\n");
  ASSERT_TRUE(h.StartUpAndLoadLemmaList(file, false));
  EXPECT_EQ(h.GetLemmalistHeadWord(1), u"GO");
  EXPECT_EQ(h.GetLemmalistVariantsOf(u"GO"), u"GOES");
  EXPECT_EQ(h.GetLemmalistHeadWord(0), u"BÉ");
  EXPECT_TRUE(h.GetLemmaMatchRelationStoplistCheckAffixes(as_lemma));
}

TEST_P(Lem_match_stop_rel_lists, WordListFiles) {
  const String stop = Write("stop.txt", u"the, a ,an\r\n;comment\r\n\r\nof\r\nÉTÉ");
  ASSERT_TRUE(h.StartUpAndLoadList(stop, as_stop, false));
  EXPECT_EQ(h.GetWordCount(as_stop), 5);
  EXPECT_GE(h.IndexOfWordInList(u"AN", as_stop), 0);
  EXPECT_GE(h.IndexOfWordInList(u"été", as_stop), 0);  // the list ignores case
  EXPECT_EQ(h.IndexOfWordInList(u"the,", as_stop), -1);
  EXPECT_FALSE(h.GetLemmaMatchRelationStoplistCheckAffixes(as_stop));
  EXPECT_EQ(h.GetStoplistWord(99), u"");
  EXPECT_EQ(h.GetStoplistWord(-1), u"");

  std::vector<TPcharTag> cluster(2);
  cluster[0].wrd = TOwnedPWideChar(String(u"big"));
  cluster[1].wrd = TOwnedPWideChar(String(u"OF"));
  EXPECT_TRUE(h.AnyStoplistWordsFoundinCluster(cluster));
  cluster.pop_back();
  EXPECT_FALSE(h.AnyStoplistWordsFoundinCluster(cluster));

  const String match = Write("match.txt", u"<un>*,dog,dog\r\ncat");
  ASSERT_TRUE(h.StartUpAndLoadList(match, as_match, true));
  EXPECT_EQ(h.GetWordCount(as_match), 4);  // duplicates stay
  EXPECT_TRUE(h.GetLemmaMatchRelationStoplistCheckAffixes(as_match));
  EXPECT_EQ(h.GetMatchlistWord(0), u"<un>*");

  const String comments = Write("comments.txt", u";one\r\n;two\r\n");
  EXPECT_TRUE(h.StartUpAndLoadList(comments, as_relation, false));
  EXPECT_EQ(h.GetWordCount(as_relation), 0);
  EXPECT_FALSE(h.StartUpAndLoadList(File("missing.txt"), as_relation, false));
  EXPECT_FALSE(h.StartUpAndLoadList(File("missing.txt"), as_lemma, false));
}

INSTANTIATE_TEST_SUITE_P(Encodings, Lem_match_stop_rel_lists,
                         ::testing::Values(Enc::utf8, Enc::utf8bom, Enc::utf16le, Enc::utf16be));

TEST(Lem_match_stop_rel_lists_free, AFreedListAnswersEmpty) {
  ScratchFolder dir("lemma_free");
  WriteFileBytes(dir.Path("stop.txt"), "the\r\n");
  WriteFileBytes(dir.Path("lemma.txt"), "GO -> WENT\r\n");
  TLemMatchStopRelHolder h;
  ASSERT_TRUE(h.StartUpAndLoadList(dir.File("stop.txt"), as_stop, false));
  ASSERT_TRUE(h.StartUpAndLoadLemmaList(dir.File("lemma.txt"), false));
  for (TLemmaMatchStopRelOptions which : {as_lemma, as_match, as_stop, as_relation}) {
    h.FreeUpList(which);
    EXPECT_EQ(h.GetWordCount(which), 0);
    EXPECT_EQ(h.IndexOfWordInList(u"THE", which), -1);
    EXPECT_FALSE(h.GetLemmaMatchRelationStoplistCheckAffixes(which));
    h.ClearAList(which);
  }
  EXPECT_EQ(h.GetStoplistWord(0), u"");
  EXPECT_EQ(h.GetLemmalistHeadWord(0), u"");
  EXPECT_EQ(h.GetLemmalistVariantsOf(u"GO"), u"");
  EXPECT_EQ(h.IndexOfLemmaVariant(u"WENT"), -1);
  EXPECT_FALSE(h.AnyStoplistWordsFoundinCluster(std::vector<TPcharTag>(1)));
  // Loading again makes new lists.
  EXPECT_TRUE(h.StartUpAndLoadList(dir.File("stop.txt"), as_stop, false));
  EXPECT_EQ(h.GetStoplistWord(0), u"THE");
  EXPECT_TRUE(h.StartUpAndLoadLemmaList(dir.File("lemma.txt"), false));
}

// The first index a scan finds under the case rule, or -1.
Int32 Scanned(Int32 count, const std::function<String(Int32)>& at, const String& s, bool caseSensitive) {
  for (Int32 i = 0; i < count; ++i)
    if ((caseSensitive ? AnsiCompareStr(at(i), s) : AnsiCompareText(at(i), s)) == 0) return i;
  return -1;
}

// The variants of head as a walk from the first variant collects them.
String ScannedVariantsOf(const TLemMatchStopRelHolder& h, const String& head, bool caseSensitive) {
  const Int32 index = Scanned(
      h.GetLemmaHeadWordCount(), [&h](Int32 i) { return h.GetLemmalistHeadWord(i); }, head, caseSensitive);
  String r;
  for (Int32 i = 0; index >= 0 && i < h.GetLemmaVariantCount(); ++i) {
    const Int32 number = h.LemmaList->HeadNumberOfVariant(i);
    if (number > index + 1) break;
    if (number == index + 1) r = AddToListWithSeparatorIfNeeded(r, h.LemmaList->variants[i], u',');
  }
  return r;
}

// Every lookup of the holder answers what a scan of its lists answers, on
// random lists of case variants, accents, repeats and empty words, loaded with
// and without case.
TEST(Lem_match_stop_rel_lists_lookups, SameAnswersAsScans) {
  ScratchFolder dir("lemma_lookups");
  TLookupTestDice dice(5);
  for (bool caseSensitive : {false, true}) {
    std::string lemmas, stops;
    for (int i = 0; i < 120; ++i) {
      lemmas += StringToUtf8(dice.Word() + IntToStr(dice.Next(3)) + u" -> " + dice.Word() + u"," + dice.Word() + u"," +
                             dice.Word() + IntToStr(dice.Next(4))) +
                "\r\n";
      stops += StringToUtf8(dice.Word() + u"," + dice.Word()) + "\n";
    }
    WriteFileBytes(dir.Path("lemmas.txt"), lemmas);
    WriteFileBytes(dir.Path("stops.txt"), stops);
    TLemMatchStopRelHolder h;
    ASSERT_TRUE(h.StartUpAndLoadLemmaList(dir.File("lemmas.txt"), caseSensitive));
    ASSERT_TRUE(h.StartUpAndLoadList(dir.File("stops.txt"), as_stop, caseSensitive));
    auto head = [&h](Int32 i) { return h.GetLemmalistHeadWord(i); };
    auto variant = [&h](Int32 i) { return h.GetLemmalistVariantWithHeadword(i).variante; };
    auto stop = [&h](Int32 i) { return h.GetStoplistWord(i); };
    for (int q = 0; q < 400; ++q) {
      const String word = dice.Word() + (q % 2 == 0 ? IntToStr(dice.Next(4)) : String());
      SCOPED_TRACE(testing::Message() << "case " << caseSensitive << " query " << q);
      EXPECT_EQ(h.IndexOfWordInList(word, as_lemma), Scanned(h.GetLemmaHeadWordCount(), head, word, caseSensitive));
      EXPECT_EQ(h.IndexOfLemmaVariant(word), Scanned(h.GetLemmaVariantCount(), variant, word, caseSensitive));
      // The word lists ignore case whatever the load asked.
      const Int32 s = Scanned(h.GetWordCount(as_stop), stop, word, false);
      EXPECT_EQ(h.IndexOfWordInList(word, as_stop), s);
      std::vector<TPcharTag> cluster(2);
      cluster[0].wrd = TOwnedPWideChar(String(u"\u2603"));
      cluster[1].wrd = TOwnedPWideChar(word);
      EXPECT_EQ(h.AnyStoplistWordsFoundinCluster(cluster), s >= 0);
      EXPECT_EQ(h.GetLemmalistVariantsOf(word.c_str()), ScannedVariantsOf(h, word, caseSensitive));
      if (q % 50 == 49) {  // variants added out of their head's group
        h.LemmaList->variants.AddObject(dice.Word(), new TLongIntHolder(static_cast<Int32>(dice.Next(5))));
      }
    }
  }
}

// Loading a long list yields to the host; a host that frees or reloads the
// list from inside a yield ends the load with false, and nothing is read from
// the list it took away.
TEST(Lem_match_stop_rel_lists_lookups, LoadsYield) {
  ScratchFolder dir("lemma_yields");
  std::string lemmas, stops;
  for (int i = 0; i < 3000; ++i) {
    lemmas += "W" + std::to_string(i) + " -> V" + std::to_string(i) + "\r\n";
    stops += "S" + std::to_string(i) + "\r\n";
  }
  WriteFileBytes(dir.Path("lemmas.txt"), lemmas);
  WriteFileBytes(dir.Path("stops.txt"), stops);
  TTimedYield::SetYieldInterval(0);
  TLemMatchStopRelHolder h;
  int yields = 0;
  Global_YieldProcessProc = [&yields] { ++yields; };
  ASSERT_TRUE(h.StartUpAndLoadLemmaList(dir.File("lemmas.txt"), false));
  EXPECT_EQ(h.GetLemmaHeadWordCount(), 3000);
  EXPECT_GT(yields, 2);
  yields = 0;
  ASSERT_TRUE(h.StartUpAndLoadList(dir.File("stops.txt"), as_stop, false));
  EXPECT_GT(yields, 2);

  for (TLemmaMatchStopRelOptions which : {as_lemma, as_stop}) {
    const String file = dir.File(which == as_lemma ? "lemmas.txt" : "stops.txt");
    Global_YieldProcessProc = [&h, which] { h.FreeUpList(which); };
    EXPECT_FALSE(h.StartUpAndLoadList(file, which, false));
    Global_YieldProcessProc = nullptr;
    EXPECT_EQ(h.GetWordCount(which), 0);
    EXPECT_TRUE(h.StartUpAndLoadList(file, which, false));
  }
  Global_YieldProcessProc = nullptr;
  TTimedYield::SetYieldInterval(TTimedYield::kYieldIntervalNs);
}

// A Stop raised from a yield, early or late in the load, ends it with false
// and leaves the list as the load before left it: never empty, never
// half-loaded, and no host change is overwritten.
TEST(Lem_match_stop_rel_lists_lookups, AStoppedLoadLeavesTheListAsItWas) {
  ScratchFolder dir("lemma_stops");
  std::string lemmas, stops;
  for (int i = 0; i < 3000; ++i) {
    lemmas += "W" + std::to_string(i) + " -> V" + std::to_string(i) + ",U" + std::to_string(i) + "\r\n";
    stops += "S" + std::to_string(i) + ",T" + std::to_string(i) + "\r\n";
  }
  WriteFileBytes(dir.Path("lemmas.txt"), lemmas);
  WriteFileBytes(dir.Path("stops.txt"), stops);
  WriteFileBytes(dir.Path("old_lemmas.txt"), "GO -> WENT,GONE\r\nBE -> WAS\r\n");
  WriteFileBytes(dir.Path("old_stops.txt"), "the,a\r\n");
  EveryCheckYields everyCheck;
  for (TLemmaMatchStopRelOptions which : {as_lemma, as_stop}) {
    const bool lemma = which == as_lemma;
    for (int stopAt : {1, 2, 6}) {
      SCOPED_TRACE(testing::Message() << "lemma " << lemma << " stop at yield " << stopAt);
      TLemMatchStopRelHolder h;
      ASSERT_TRUE(h.StartUpAndLoadList(dir.File(lemma ? "old_lemmas.txt" : "old_stops.txt"), which, false));
      int yields = 0;
      Global_YieldProcessProc = [&yields, stopAt] {
        if (++yields == stopAt) global_panic_state = panic_stop;
      };
      EXPECT_FALSE(h.StartUpAndLoadList(dir.File(lemma ? "lemmas.txt" : "stops.txt"), which, false));
      Global_YieldProcessProc = nullptr;
      global_panic_state = panic_no_panic;
      EXPECT_GE(yields, stopAt);
      if (lemma) {
        EXPECT_EQ(h.GetLemmaHeadWordCount(), 2);
        EXPECT_EQ(h.GetLemmaVariantCount(), 3);
        EXPECT_EQ(h.GetLemmalistVariantsOf(u"GO"), u"WENT,GONE");
        EXPECT_EQ(h.IndexOfWordInList(u"W1", as_lemma), -1);
        EXPECT_EQ(h.IndexOfLemmaVariant(u"V1"), -1);
      } else {
        EXPECT_EQ(h.GetWordCount(as_stop), 2);
        EXPECT_EQ(h.IndexOfWordInList(u"S0", as_stop), -1);
        EXPECT_EQ(h.GetStoplistWord(0), u"THE");
      }
      // Without a Stop the same load runs to its end.
      EXPECT_TRUE(h.StartUpAndLoadList(dir.File(lemma ? "lemmas.txt" : "stops.txt"), which, false));
      EXPECT_EQ(h.GetWordCount(which), lemma ? 3000 : 6000);
    }
  }
}

TEST(Qmbaseholderunit, HolderAndExportCells) {
  TQMBaseHolder holder;
  ASSERT_NE(holder.fLMSRHolder, nullptr);
  // Every event is set and does nothing until a user interface replaces it.
  holder.fOnProgressTimeRemaining(1, 2, 3);
  holder.fOnProgressPercentPanel(50, tusp_info);
  holder.fOnProgressNFloatEntries(1.5f);
  holder.fOnProgressMessage(tusp_message, u"x");
  holder.fOnProgressClear();
  holder.fOnProgressHide();
  holder.fOnProgressNOutOfandMessage(1, 2, u"y");
  EXPECT_EQ(holder.CurrentOuterSpans().leftmost, span_L05);
  EXPECT_EQ(holder.CurrentOuterSpans().rightmost, span_R05);
  EXPECT_EQ(holder.GetRelativeEntropyBasis(), 0);
  const TStringTagColourFontRec f = holder.GetTagFormatPreference(7, u"<N>");
  EXPECT_EQ(f.tag, u"<N>");
  EXPECT_EQ(f.c_rec.FontColour, 0);
  TQMBaseHolder other;
  other.SetLCID(0x0409);
  holder.GetLCID(other);
  EXPECT_EQ(holder.fLCID, 0x0409u);

  holder.ExportRec.Export_Rows_specified = {3};
  holder.CheckExportSettings();
  EXPECT_TRUE(holder.ExportRec.settings.export_all_columns);
  EXPECT_FALSE(holder.ExportRec.settings.export_all_rows);

  TQMExportRec rec;
  rec.settings.export_all_columns = true;
  rec.settings.export_all_rows = true;
  EXPECT_EQ(ExportSettingsGridRect(rec, 5, 10), (TRect{0, 0, 4, 9}));
  rec.settings.export_all_columns = false;
  rec.settings.export_all_rows = false;
  rec.settings.FirstCol = 1;
  rec.settings.LastCol = 20;
  rec.settings.FirstImageRow = 2;
  rec.settings.MaxImageRows = 4;
  EXPECT_EQ(ExportSettingsGridRect(rec, 5, 10), (TRect{1, 2, 4, 3}));
  rec.settings.MaxImageRows = 100;
  EXPECT_EQ(ExportSettingsGridRect(rec, 5, 10).Bottom, 9);
}

}  // namespace
}  // namespace sk
