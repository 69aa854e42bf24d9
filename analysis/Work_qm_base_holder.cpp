// The operations of the results-list classes that read the tool's data holder,
// the suite's colours or its file definitions.
#include "analysis/Work_qm_base_holder.h"

#include "analysis/Work_qm_base_sister.h"
#include "core/Pointer_utils.h"
#include "core/Qm_global_vars.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Locale.h"
#include "services/Wdef.h"
#include "ui/Graphics_utilities.h"

namespace sk {

TStringTrueColumnAndColourRec TQMBaseListObject::GetCategory(Int32 trueColumn) {
  if (privateobj) {
    const Int32 i = privateobj->annotations->IndexOfTrueColumn(trueColumn);
    if (i >= 0) {
      TStringTrueColumnAndColourRec rec = privateobj->annotations->GetAStringColumnAndColour(i);
      if (rec.background_colour == 0) rec.background_colour = Global_Colours.arr[tsc_window];
      return rec;
    }
  }
  TStringTrueColumnAndColourRec rec{};
  rec.background_colour = BogStandardColours().arr[tsc_window];
  return rec;
}

String TQMBaseDataClass::ChangedFileNameForSaveASFormat(const String& name, TSave_as_format format,
                                                        TQuillmarkList list) {
  return ChangeFileExt(name, SaveAsFormatToDefaultExtStr(format, list));
}

Int32 TQMSister::DoAComparePosOfWord(const String& text, bool a, bool b, bool c) {
  const Cardinal lcid = Patroa != nullptr ? Patroa->fLCID : 0;
  const String word = comparing_case_sensitively ? text : UpperCaseForLCID(lcid, text);
  return CompareLCID_PosPchar(lcid, word.c_str(), base_compare_StringTag.wrd.c_str(), a, b, c);
}

}  // namespace sk
