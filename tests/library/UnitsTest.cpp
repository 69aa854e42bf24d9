// Library start and stop through the unit table.
#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "TestSupport.h"
#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "display/QM_Grid.h"
#include "library/Units.h"
#include "ui/Colour_utils.h"
#include "zip/ZAConst.h"
#include "zip/ZAHash.h"
#include "zip/ZAStrUtils.h"
#include "zip/ZAsha1.h"
#include "zip/Zip_utils.h"

namespace sk {
namespace {

int IndexOfUnit(const char* name) {
  for (std::size_t i = 0; i < UnitTableCount(); ++i)
    if (std::strcmp(UnitTable()[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

TEST(UnitsTable, EveryUnitOnceWithBothRoutines) {
  std::set<std::string> names;
  for (std::size_t i = 0; i < UnitTableCount(); ++i) {
    const auto& unit = UnitTable()[i];
    ASSERT_NE(unit.name, nullptr);
    EXPECT_NE(unit.initialization, nullptr) << unit.name;
    EXPECT_NE(unit.finalization, nullptr) << unit.name;
    EXPECT_TRUE(names.insert(unit.name).second) << "listed twice: " << unit.name;
  }
}

TEST(UnitsTable, SharedVariablesComeAfterCounterOnlyUnitsAndBeforeUnitsWithWork) {
  const int globalVars = IndexOfUnit("Global_vars");
  ASSERT_GE(globalVars, 0);
  for (const char* early : {"Basic_consts", "Basic_types", "Basic_unicode_chars", "Rectangle_utilities"}) {
    const int i = IndexOfUnit(early);
    ASSERT_GE(i, 0) << early;
    EXPECT_LT(i, globalVars) << early;
  }
  for (const char* later : {"Basic_processes", "Qm_global_vars", "Timing_functions"}) {
    const int i = IndexOfUnit(later);
    ASSERT_GE(i, 0) << later;
    EXPECT_GT(i, globalVars) << later;
  }
}

TEST(UnitsInitialize, StartsTheUnitsAndFinalizeStopsThem) {
  Initialize();
  ASSERT_NE(Global_Stringlist, nullptr);
  int calls = 0;
  Global_YieldProcessProc = [&calls] { ++calls; };
  MyYieldProcess();
  EXPECT_EQ(calls, 1);

  Finalize();
  EXPECT_EQ(Global_Stringlist, nullptr);
  EXPECT_FALSE(static_cast<bool>(Global_YieldProcessProc));
  // A late yield after shut-down does nothing.
  MyYieldProcess();
  EXPECT_EQ(calls, 1);
}

TEST(UnitsInitialize, TheResultsGridZipsItsImagesThroughTheZipGlue) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("sk_units_zip_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::vector<String> files;
  for (const char* name : {"a.bmp", "b.bmp"}) {
    std::ofstream(dir / name) << "image " << name;
    files.push_back(Utf8ToString((dir / name).string()));
  }
  const String archive = Utf8ToString((dir / "images.zip").string());
  Initialize();
  ASSERT_TRUE(static_cast<bool>(ZipASeriesOfFilesToHook));
  EXPECT_TRUE(ZipASeriesOfFilesToHook(files, archive, 0, false));
  EXPECT_TRUE(IsAZipFile(archive));
  EXPECT_TRUE(fs::exists(dir / "a.bmp")) << "sources are kept unless asked";
  Finalize();
  EXPECT_FALSE(static_cast<bool>(ZipASeriesOfFilesToHook));
  fs::remove_all(dir);
}

TEST(UnitsInitialize, ATwiceStartedLibraryStopsAtTheSecondFinalize) {
  Initialize();
  Initialize();
  Global_YieldProcessProc = [] {};
  Finalize();
  EXPECT_NE(Global_Stringlist, nullptr);
  EXPECT_TRUE(static_cast<bool>(Global_YieldProcessProc));
  Finalize();
  EXPECT_EQ(Global_Stringlist, nullptr);
  EXPECT_FALSE(static_cast<bool>(Global_YieldProcessProc));
}

TEST(UnitsInitialize, AUnitStartedByATool) {
  // A tool that starts a unit itself keeps it alive past the library's Finalize.
  Qm_global_vars_initialization();
  Initialize();
  Finalize();
  EXPECT_NE(Global_Stringlist, nullptr);
  Qm_global_vars_Finalization();
  EXPECT_EQ(Global_Stringlist, nullptr);
}

TEST(UnitsInitialize, HashRegistryIsClearedThenSHA1RegistersBeforeKeyDerivation) {
  const int registry = IndexOfUnit("ZAHash");
  const int sha1 = IndexOfUnit("ZAsha1");
  ASSERT_GE(registry, 0);
  EXPECT_LT(registry, sha1);
  for (const char* user : {"ZAhmac", "ZApb_kdf", "ZAKeyDeriv", "ZAPBKDF_2"}) EXPECT_GT(IndexOfUnit(user), sha1) << user;
  EXPECT_GE(IndexOfUnit("ZAZLib"), 0);
  Initialize();
  EXPECT_EQ(FindHash_by_Name("SHA1"), SHA1_Descriptor());
  EXPECT_EQ(FindHash_by_ID(_SHA1), SHA1_Descriptor());
  Finalize();
}

TEST(UnitsTable, ZipEngineUnitsInDependencyOrder) {
  // After the cipher library (its registrations come first at start).
  const char* order[] = {"ZACipher",  "ZATypes",    "ZAConst",      "ZAExcept",  "ZARecords",
                         "ZAUtils",   "ZAStrUtils", "ZADirArray", "ZADirManager", "Zip_utils"};
  int previous = IndexOfUnit("Global_vars");
  for (const char* unit : order) {
    const int i = IndexOfUnit(unit);
    ASSERT_GE(i, 0) << unit;
    EXPECT_GT(i, previous) << unit;
    previous = i;
  }
}

TEST(UnitsInitialize, ZipEngineTablesAndVersionText) {
  ToUpperChars.fill(0);
  Initialize();
  EXPECT_EQ(ToUpperChars['a'], 'A');  // built from the user's locale at start
  internalCurrentVersionText = u"host text";
  Finalize();
  EXPECT_TRUE(internalCurrentVersionText.empty());
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST(UnitsTable, SuiteDefinitionsStartInTheirOrder) {
  // The log's queue before the suite definitions, and the entity list after
  // them; the hooks once the units on both sides of them have started.
  const char* order[] = {"Logging_utilities", "Zip_utils", "Graphics_utilities", "Search_parsing", "Wdef",
                         "Layer_hooks", "Colour_utils", "Html_utils", "Modify_source_texts_basics"};
  int last = -1;
  for (const char* name : order) {
    const int i = IndexOfUnit(name);
    ASSERT_GE(i, 0) << name;
    EXPECT_GT(i, last) << name;
    last = i;
  }
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST(UnitsInitialize, TheSharedColourListLivesFromStartToStop) {
  EXPECT_EQ(MySharedColourList, nullptr);
  Initialize();
  ASSERT_NE(MySharedColourList, nullptr);
  EXPECT_EQ(MySharedColourList->GetAColour(0).name, u"AliceBlue");
  Finalize();
  EXPECT_EQ(MySharedColourList, nullptr);
}

}  // namespace
}  // namespace sk
