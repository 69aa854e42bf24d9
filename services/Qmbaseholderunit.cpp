#include "services/Qmbaseholderunit.h"

#include <algorithm>

#include "core/UnitCounter.h"

namespace sk {

TQMBaseHolder::TQMBaseHolder() : fLMSRHolder(std::make_unique<TLemMatchStopRelHolder>()) {
  fOnProgressTimeRemaining = [this](Int64 a, Int64 b, Int64 c) { DummyProgressTimeRemaining(a, b, c); };
  fOnProgressPercentPanel = [this](Int32 p, TMyStatusBarPanel panel) { DummyProgress(p, panel); };
  fOnProgressNFloatEntries = [this](Single n) { DummyProgNFloat(n); };
  fOnProgressMessage = [this](TMyStatusBarPanel panel, const String& msg) { DummyProgressMessage(panel, msg); };
  fOnProgressClear = [this] { DummyProgressHide(); };
  fOnProgressHide = [this] { DummyProgressHide(); };
  fOnProgressNOutOfandMessage = [this](Int64 n, Int64 outOf, const String& msg) { DummyProgN(n, outOf, msg); };
}

TQMBaseHolder::~TQMBaseHolder() = default;

Tdouble_colloc_span TQMBaseHolder::CurrentOuterSpans() { return Tdouble_colloc_span{span_L05, span_R05}; }

Int32 TQMBaseHolder::GetRelativeEntropyBasis() { return 0; }

TStringTagColourFontRec TQMBaseHolder::GetTagFormatPreference(Int32 /*tagnum*/, const String& tag) {
  return TStringTagColourFontRec{tag, TColourFontRec{}};
}

void TQMBaseHolder::SetLCID(Cardinal lcid) { fLCID = lcid; }

void TQMBaseHolder::GetLCID(const TQMBaseHolder& other) { SetLCID(other.fLCID); }

void TQMBaseHolder::CheckExportSettings() {
  if (ExportRec.Export_Cols_specified.empty() && !ExportRec.settings.export_all_columns)
    ExportRec.settings.export_all_columns = true;
  if (ExportRec.Export_Rows_specified.empty() && !ExportRec.settings.export_all_rows)
    ExportRec.settings.export_all_rows = true;
}

void TQMBaseHolder::DummyProgressTimeRemaining(Int64, Int64, Int64) {}
void TQMBaseHolder::DummyProgress(Int32, TMyStatusBarPanel) {}
void TQMBaseHolder::DummyProgNFloat(Single) {}
void TQMBaseHolder::DummyProgressMessage(TMyStatusBarPanel, const String&) {}
void TQMBaseHolder::DummyProgressHide() {}
void TQMBaseHolder::DummyProgN(Int64, Int64, const String&) {}

TRect ExportSettingsGridRect(const TQMExportRec& rec, Int32 colCount, Int32 rowCount) {
  const TQMExportSettings& s = rec.settings;
  TRect r;
  if (s.export_all_columns) {
    r.Left = 0;
    r.Right = colCount - 1;
  } else {
    r.Left = s.FirstCol;
    r.Right = std::min(colCount - 1, s.LastCol);
  }
  if (s.export_all_rows) {
    r.Top = 0;
    r.Bottom = rowCount - 1;
  } else {
    r.Top = s.FirstImageRow;
    const Int64 bottom = static_cast<Int64>(s.MaxImageRows) - s.FirstImageRow + 1;
    r.Bottom = static_cast<Int32>(std::min<Int64>(rowCount - 1, bottom));
  }
  return r;
}

SK_COUNTER_ONLY_UNIT(Qmbaseholderunit)

}  // namespace sk
