// The base of every tool's data holder: the run's locale, its export options,
// progress events that do nothing until a user interface sets them, and the
// run's lemma, match, stop and relation lists.
#pragma once

#include <memory>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "services/Lem_match_stop_rel_lists.h"

namespace sk {

class TQMBaseHolder : public TObject {
 public:
  TQMBaseHolder();
  TQMBaseHolder(const TQMBaseHolder&) = delete;
  TQMBaseHolder& operator=(const TQMBaseHolder&) = delete;
  ~TQMBaseHolder() override;

  // Span_L05 to span_R05.
  virtual Tdouble_colloc_span CurrentOuterSpans();
  virtual Int32 GetRelativeEntropyBasis();
  // The tag text with every colour and style zero.
  virtual TStringTagColourFontRec GetTagFormatPreference(Int32 tagnum, const String& tag);

  void SetLCID(Cardinal lcid);
  // Takes over the other holder's locale.
  void GetLCID(const TQMBaseHolder& other);
  // With no columns (rows) picked by hand, export them all.
  void CheckExportSettings();

  // The handlers the events start with: they do nothing.
  void DummyProgressTimeRemaining(Int64 handled, Int64 total, Int64 skipped);
  void DummyProgress(Int32 percent, TMyStatusBarPanel panel);
  void DummyProgNFloat(Single n);
  void DummyProgressMessage(TMyStatusBarPanel panel, const String& msg);
  void DummyProgressHide();
  void DummyProgN(Int64 n, Int64 outOf, const String& msg);

  Cardinal fLCID = 0;
  std::unique_ptr<TLemMatchStopRelHolder> fLMSRHolder;
  TTimeRemainingEvent fOnProgressTimeRemaining;
  TProgressPercentPanel fOnProgressPercentPanel;
  TProgressNFloat fOnProgressNFloatEntries;
  TProgressPanelMessage fOnProgressMessage;
  TProgressHide fOnProgressClear;
  TProgressHide fOnProgressHide;
  TProgressNOutOfandMessageProc fOnProgressNOutOfandMessage;
  TQMExportRec ExportRec;
  bool ColoursHaveChanged = false;
};

// The cells to export: all columns (rows), or those from the first chosen to
// the last chosen within the grid; the bottom row is
// MaxImageRows - FirstImageRow + 1, held within the grid.
TRect ExportSettingsGridRect(const TQMExportRec& rec, Int32 colCount, Int32 rowCount);

// Unit start and stop (the unit has no work of its own).
void Qmbaseholderunit_initialization();
void Qmbaseholderunit_Finalization();

}  // namespace sk
