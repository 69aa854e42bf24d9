// Process state: static initial values, the per-unit counter rule and the
// stop work of the two shared-variable units.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "core/UnitCounter.h"

namespace sk {
namespace {

// These read the values the variables have before any unit has started: CTest
// runs each test in its own process, and in a run of the whole program every
// test leaves these variables as it found them (the hand-over variables are
// checked after each test, see TestSupport.h).
TEST(Global_varsInit, StaticValuesHoldBeforeAnyUnitStarts) {
  EXPECT_EQ(global_string_safety_limit, 5000);
  EXPECT_TRUE(Global_ExcludeFilterAndMoveFolders);
  EXPECT_EQ(Global_Known_ZipIconNumber, -999999);
  EXPECT_EQ(Global_Known_FolderIconNumber, -999999);
  EXPECT_EQ(global_log_level, 0);
  EXPECT_FALSE(static_cast<bool>(Global_YieldProcessProc));
  EXPECT_FALSE(static_cast<bool>(Global_HelpProc));
  EXPECT_EQ(global_panic_state, panic_no_panic);
  EXPECT_EQ(Global_batch_mode, bm_not_batch);
  EXPECT_FALSE(Global_run_without_error_messages);
  EXPECT_FALSE(Global_Busy_Dont_Show_Data);
  EXPECT_FALSE(Global_ErrorMessageBusy);
  EXPECT_FALSE(global_reversed_sort);
  EXPECT_TRUE(Global_user_ReadWrite_folder.empty());
  EXPECT_TRUE(global_current_zip_ext_slash.empty());
  EXPECT_EQ(Global_StartTime, 0.0);
  EXPECT_EQ(global_temp_int, 0);
  EXPECT_EQ(Global_temp_stringlist, nullptr);
  EXPECT_TRUE(global_bufStr[wp_whole].empty());
  EXPECT_TRUE(global_Wchars[wp_part].empty());
  EXPECT_TRUE(Global_CRLFBreaks.empty());
}

TEST(Qm_global_varsInit, StaticValuesHoldBeforeAnyUnitStarts) {
  EXPECT_EQ(global_current_tool, tt_shell);
  EXPECT_EQ(static_cast<int>(global_current_tool), 16);
  EXPECT_EQ(Global_Stringlist, nullptr);
  EXPECT_TRUE(Global_TempMainFile.filename.empty());
  EXPECT_EQ(Global_TempMainFile.ListType, lt_undefined);
  for (TColor c : Global_Colour_highlights) EXPECT_EQ(c, 0);
  for (TColor c : Global_Colours.arr) EXPECT_EQ(c, 0);
  for (const auto& watch : Global_process_stopwatches) {
    EXPECT_FALSE(watch.IsRunning());
    EXPECT_EQ(watch.ElapsedTicks(), 0);
  }
  EXPECT_EQ(Global_process_stopwatches.size(), 34u);
  EXPECT_EQ(Global_LibraryRecs.size(), 18u);
}

TEST(UnitCounter, StartOnlyOnFirstInitialisationStopOnlyOnLastFinalisation) {
  TUnitCounter counter;
  EXPECT_TRUE(counter.Initialization());   // 0 -> -1: start work
  EXPECT_FALSE(counter.Initialization());  // -1 -> -2
  EXPECT_FALSE(counter.Finalization());    // -2 -> -1: stop work not yet
  EXPECT_TRUE(counter.Finalization());     // -1 -> 0: stop work
  EXPECT_EQ(counter.Count(), 0);
  // A new cycle starts the unit again.
  EXPECT_TRUE(counter.Initialization());
  EXPECT_TRUE(counter.Finalization());
}

TEST(UnitCounter, FinalisationWithoutInitialisationDoesNoStopWork) {
  TUnitCounter counter;
  EXPECT_FALSE(counter.Finalization());    // 0 -> 1
  EXPECT_FALSE(counter.Initialization());  // 1 -> 0: no start work either
  EXPECT_TRUE(counter.Initialization());   // 0 -> -1
  EXPECT_TRUE(counter.Finalization());
}

TEST(Global_varsFinalization, StopWorkWaitsForTheLastFinalisation) {
  int calls = 0;
  Global_vars_initialization();
  Global_vars_initialization();
  Global_YieldProcessProc = [&calls] { ++calls; };
  global_temp_str = u"scratch";

  Global_vars_Finalization();
  ASSERT_TRUE(static_cast<bool>(Global_YieldProcessProc));
  EXPECT_EQ(global_temp_str, u"scratch");

  Global_vars_Finalization();
  EXPECT_FALSE(static_cast<bool>(Global_YieldProcessProc));
  EXPECT_TRUE(global_temp_str.empty());
  EXPECT_EQ(calls, 0);
}

TEST(Global_varsFinalization, ReleasesStringsAndBuffersButKeepsSettings) {
  Global_vars_initialization();
  Global_StringToDateTimeFormat.ShortDateFormat = u"yyyy/mm/dd";
  Global_StringToDateTimeFormat.DateSeparator = u'-';
  Global_StringToDateTimeFormat.LongMonthNames[0] = u"January";
  global_bufStr[wp_whole] = u"some text";
  global_allowables[wp_part] = u"abc";
  global_Wchars[wp_part] = {1, 2, 3};
  Global_TextSectionsArr.stats_arr[stats_sentence].push_back({1, 5});
  Global_TextSectionsArr.bufferful_chars.push_back({3, stats_word});
  Global_CRLFBreaks.push_back({0, 9});
  Global_user_ReadWrite_folder = u"/home/user/rw";
  global_current_zip_ext_slash = u".zip/";
  global_string_safety_limit = 9000;
  global_log_level = 2;

  Global_vars_Finalization();

  EXPECT_TRUE(Global_StringToDateTimeFormat.ShortDateFormat.empty());
  EXPECT_TRUE(Global_StringToDateTimeFormat.LongMonthNames[0].empty());
  EXPECT_EQ(Global_StringToDateTimeFormat.DateSeparator, u'-');
  EXPECT_TRUE(global_bufStr[wp_whole].empty());
  EXPECT_TRUE(global_allowables[wp_part].empty());
  EXPECT_TRUE(global_Wchars[wp_part].empty());
  EXPECT_TRUE(Global_TextSectionsArr.stats_arr[stats_sentence].empty());
  EXPECT_TRUE(Global_TextSectionsArr.bufferful_chars.empty());
  EXPECT_TRUE(Global_CRLFBreaks.empty());
  EXPECT_TRUE(Global_user_ReadWrite_folder.empty());
  EXPECT_TRUE(global_current_zip_ext_slash.empty());
  // Plain settings are the host's: stopping does not reset them.
  EXPECT_EQ(global_string_safety_limit, 9000);
  EXPECT_EQ(global_log_level, 2);
  global_string_safety_limit = 5000;
  global_log_level = 0;
}

TEST(Qm_global_varsLifecycle, StringListLivesUntilTheLastFinalisation) {
  Qm_global_vars_initialization();
  ASSERT_NE(Global_Stringlist, nullptr);
  EXPECT_EQ(Global_Stringlist->Count(), 0);
  Global_Stringlist->Add(u"kept");
  TStringList* first = Global_Stringlist.get();

  Qm_global_vars_initialization();  // no second start: the same list stays
  EXPECT_EQ(Global_Stringlist.get(), first);
  EXPECT_EQ(Global_Stringlist->Count(), 1);

  Global_TempMainFile.filename = u"corpus.txt";
  Qm_global_vars_Finalization();
  ASSERT_NE(Global_Stringlist, nullptr);
  EXPECT_EQ(Global_TempMainFile.filename, u"corpus.txt");

  Qm_global_vars_Finalization();
  EXPECT_EQ(Global_Stringlist, nullptr);
  EXPECT_TRUE(Global_TempMainFile.filename.empty());
}

TEST(Qm_global_varsLifecycle, StartWorkZeroesTheProcessStopwatches) {
  Global_process_stopwatches[lt_concordance_list].Start();
  Qm_global_vars_initialization();
  EXPECT_FALSE(Global_process_stopwatches[lt_concordance_list].IsRunning());
  EXPECT_EQ(Global_process_stopwatches[lt_concordance_list].ElapsedTicks(), 0);
  Qm_global_vars_Finalization();
}

}  // namespace
}  // namespace sk
