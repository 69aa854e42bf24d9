#include "core/Basic_processes.h"

#include "core/Global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/FileUtils.h"

namespace sk {

namespace {

// The text that describes a failed shell request; empty for success (32 and above).
String CheckExecText(UInt64 code, const String& name) {
  switch (code) {
    case 0:
    case 8:
      return u"Not enough memory to run " + name;
    case 2:
    case 3:
    case 5:
      return u"Can't access " + name;
    case 16:
      return name + u" already running";
    case 26:
      return u"Sharing problem: " + name;
    case 27:
    case 31:
      return u"Can't handle files ending \"" + ExtractFileExt(name) + u"\"";
    default:
      if (code < 32) return u"Can't communicate with " + name;
      return String();
  }
}

}  // namespace

void MyYieldProcess() {
  if (Global_YieldProcessProc) Global_YieldProcessProc();
}

void Yikes() {}

void Yikes(Int32 /*value*/) {}

TColourFontRec GetDefaultExtraFontRec() {
  // The style's window and window-text colours, which the visual layer reads
  // from the desktop theme (white and black until it does).
  TColourFontRec result;
  result.BrushColour = ColorToRGB(clWindow);
  result.FontColour = ColorToRGB(clWindowText);
  result.typeface = 0;
  return result;
}

UInt64 CheckExec(UInt64 code, const String& name) {
  if (code < 32) MessageBoxW(nullptr, CheckExecText(code, name), String(), MB_OK);
  return code;
}

SK_COUNTER_ONLY_UNIT(Basic_processes)

}  // namespace sk
