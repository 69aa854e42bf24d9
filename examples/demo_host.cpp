// A small host program that starts the library, uses it and stops it, as a tool does.
#include <cstdio>
#include <string>

#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "core/Timing_functions.h"
#include "core/Units.h"
#include "zip/Zip_utils.h"

namespace {

const char* YesNo(bool b) { return b ? "yes" : "no"; }

std::string Text(const sk::String& s) { return sk::StringToUtf8(s); }

}  // namespace

int main() {
  using namespace sk;

  std::puts("Process state before start-up (static initial values):");
  std::printf("  global_current_tool         %d (tt_shell)\n", static_cast<int>(global_current_tool));
  std::printf("  global_string_safety_limit  %d\n", global_string_safety_limit);
  std::printf("  global_log_level            %d\n", global_log_level);
  std::printf("  Global_Known_ZipIconNumber  %d\n", Global_Known_ZipIconNumber);
  std::printf("  Global_ExcludeFilterAndMoveFolders %s\n", YesNo(Global_ExcludeFilterAndMoveFolders));
  std::printf("  global_panic_state          %d\n", static_cast<int>(global_panic_state));
  std::printf("  yield hook installed        %s\n", YesNo(static_cast<bool>(Global_YieldProcessProc)));
  std::printf("  Global_Stringlist created   %s\n", YesNo(Global_Stringlist != nullptr));

  Initialize();
  std::puts("library started");
  std::printf("  Global_Stringlist created   %s\n", YesNo(Global_Stringlist != nullptr));

  // The host's yield hook: count the calls and, as a Stop button would during
  // a yield, drop the flag that the library is waiting on.
  int yields = 0;
  bool busy = true;
  Global_YieldProcessProc = [&] {
    ++yields;
    if (yields == 10) busy = false;
  };
  std::printf("  yield hook installed        %s\n", YesNo(static_cast<bool>(Global_YieldProcessProc)));

  const bool timedOut = WaitTillUntrue(busy, 5);
  std::printf("WaitTillUntrue: timed out %s after %d yields (four per pass)\n", YesNo(timedOut), yields);

  for (const Char* name : {u"results.zip", u"results.ZIP3", u"results.zipper"})
    std::printf("IsAZipFile(%s) = %s\n", Text(name).c_str(), YesNo(IsAZipFile(name)));

  const TColourFontRec plain = GetDefaultExtraFontRec();
  std::printf("default text colours: brush $%06X, font $%06X\n", static_cast<unsigned>(plain.BrushColour),
              static_cast<unsigned>(plain.FontColour));

  Finalize();
  std::puts("library stopped");
  std::printf("  yield hook installed        %s\n", YesNo(static_cast<bool>(Global_YieldProcessProc)));
  std::printf("  Global_Stringlist created   %s\n", YesNo(Global_Stringlist != nullptr));
  const int before = yields;
  MyYieldProcess();
  std::printf("  a late MyYieldProcess reached the host: %s\n", YesNo(yields != before));
  return 0;
}
