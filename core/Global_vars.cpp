#include "core/Global_vars.h"

#include "core/UnitCounter.h"

namespace sk {

namespace {

constinit TUnitCounter Global_vars_counter;

// Empties the texts of a format settings record; its separators stay.
void ReleaseFormatSettingsStrings(TFormatSettings& fs) {
  fs.CurrencyString.clear();
  fs.ShortDateFormat.clear();
  fs.LongDateFormat.clear();
  fs.TimeAMString.clear();
  fs.TimePMString.clear();
  fs.ShortTimeFormat.clear();
  fs.LongTimeFormat.clear();
  for (auto& s : fs.ShortMonthNames) s.clear();
  for (auto& s : fs.LongMonthNames) s.clear();
  for (auto& s : fs.ShortDayNames) s.clear();
  for (auto& s : fs.LongDayNames) s.clear();
}

template <class T>
void Release(T& value) {
  T().swap(value);
}

}  // namespace

void Global_vars_initialization() {
  // No start work: every variable already holds its static initial value.
  Global_vars_counter.Initialization();
}

void Global_vars_Finalization() {
  if (!Global_vars_counter.Finalization()) return;
  // Nothing may yield into the host once the library is stopping.
  Global_YieldProcessProc = nullptr;
  ReleaseFormatSettingsStrings(Global_StringToDateTimeFormat);
  for (auto& s : global_allowables) Release(s);
  for (auto& s : global_bufStr) Release(s);
  for (auto& w : global_Wchars) Release(w);
  for (auto& spans : Global_TextSectionsArr.stats_arr) Release(spans);
  Release(Global_TextSectionsArr.bufferful_chars);
  Release(Global_CRLFBreaks);
  Release(Global_latest_output_str);
  Release(Global_user_ReadWrite_folder);
  Release(Global_FailureMessage);
  Release(global_detail_log_filename);
  Release(global_temp_str);
  Release(global_current_zip_ext_slash);
}

}  // namespace sk
