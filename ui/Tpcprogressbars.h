// Three small self-drawn bars on one base: a progress bar drawn in blocks or
// smoothly, optionally coloured with a spectrum from violet to red and
// labelled with its position or a text; a plot bar that shows, for up to
// eight languages side by side, where marks fall along a text, with a ruler
// and one selectable mark per language; and a bookmark bar that shows up to
// ten numbered bookmarks at their lines.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/visual/Controls.h"
#include "platform/visual/Graphics.h"

namespace sk {

enum TPCOrientation : uint8_t { pbHorizontal, pbVertical };

// The base of the bars: a range and a position inside it, and an orientation.
class TPCBar : public TCustomControl {
 public:
  explicit TPCBar(TComponent* owner);
  ~TPCBar() override;

  Int32 LowRange() const { return fLowRange; }
  Int32 HighRange() const { return fHighRange; }
  Int32 Position() const { return fPosition; }
  // which 0: the low end becomes min(high end, value); 1: the high end
  // becomes max(value, low end); both then keep the position inside the
  // range. which 2: the position becomes value kept inside the range. Each
  // change repaints; other values of which do nothing.
  void SetRangePos(Int32 which, Int32 value);
  void SetLowRange(Int32 v) { SetRangePos(0, v); }
  void SetHighRange(Int32 v) { SetRangePos(1, v); }
  void SetPosition(Int32 v) { SetRangePos(2, v); }
  TPCOrientation Orientation() const { return fOrientation; }
  // A change of orientation exchanges width and height.
  void SetOrientation(TPCOrientation o);

 protected:
  // Pixels along the bar and across it, in the client area.
  Int32 AlongExtent() const;
  Int32 AcrossExtent() const;

  Int32 fLowRange = 0;
  Int32 fHighRange = 100;
  Int32 fPosition = 0;
  TPCOrientation fOrientation = pbHorizontal;
};

// A bitmap that takes another's size, filled with black.
class TBltBitmap : public TBitmap {
 public:
  void MakeLike(const TBitmap& source);
};

// The colour of light of a wavelength in nanometres (380 to 780 visible,
// black outside), at full brightness.
TColor SpectrumColour(Int32 wavelength);

class TPCProgressBar : public TPCBar {
 public:
  // Range 0 to 100, position 50, step 10, the highlight colour, horizontal,
  // 150 x 20, with percent, whole bars and smooth on, text off, spectrum on.
  explicit TPCProgressBar(TComponent* owner);
  ~TPCProgressBar() override;

  bool WholeBars() const { return fWholeBars; }
  void SetWholeBars(bool b);
  bool Smooth() const { return fSmooth; }
  void SetSmooth(bool b);
  TColor BarColour() const { return fBarColour; }
  void SetBarColour(TColor c);
  bool WithPercent() const { return fWithPercent; }
  void SetWithPercent(bool b);
  bool WithText() const { return fWithText; }
  void SetWithText(bool b);
  // The label's text (the control's caption).
  String GetText() const override { return fText; }
  void SetText(const String& s) override;
  Int32 Step() const { return fStep; }
  void SetStep(Int32 s) { fStep = s; }

  // The position becomes Round(done × 100 / max(total, 1)), in single
  // precision, kept inside the range.
  void SetPercent(Int64 done, Int64 total);
  // Whether the spectrum is on: its bitmap exists while it is.
  bool GetSpectrumBar() const { return fSpectrum != nullptr; }
  void SetSpectrumBar(bool on);
  // The position moved by the step, or by n, kept inside the range.
  void StepIt();
  void StepBy(Int32 n);

  // After the host has set the properties: a vertical bar exchanges width and
  // height, and the spectrum is made again.
  void Loaded() override;

  // The spectrum bitmap; nullptr while the spectrum is off.
  const TBitmap* Spectrum() const { return fSpectrum.get(); }
  // Makes the spectrum bitmap at the control's size: each column (each row
  // for a vertical bar) the colour of wavelength Round(x × 400 / width + 380).
  void InitBitmap();

 protected:
  void Paint() override;

 private:
  Int32 fStep = 10;
  TColor fBarColour;
  String fText;
  bool fWithPercent = true;
  bool fWithText = false;
  bool fWholeBars = true;
  bool fSmooth = true;
  std::unique_ptr<TBitmap> fSpectrum;
};

// The marks of up to eight languages along a text.
struct TPlotLangData {
  // The positions of each language's marks, ascending.
  std::array<std::vector<Int32>, 8> data;
  // The length that positions are measured against.
  Int32 total_across_langs = 0;
  // The selected mark of each language; -1 for none.
  std::array<Int32, 8> selected_mark{-1, -1, -1, -1, -1, -1, -1, -1};

  void Clear();
  void ClearSelectedMarks();
};

class TPlotBar : public TPCBar {
 public:
  // Vertical, 20 x 150, ruled in 8 silver divisions, no data.
  explicit TPlotBar(TComponent* owner);
  ~TPlotBar() override;

  // Languages are 0 to 7; for any other the getters give their "none" answer
  // and the setters do nothing.
  void Clear();
  // Replaces the language's marks and the total; a selection of 0 or more
  // selects that mark. Repaints.
  void SetPlotData(Int32 lang, Int32 total, Int32 selected, const std::vector<Int32>& marks);
  Int32 PlotMarks(Int32 lang) const;
  // Mark i of the language; -1 when there is none.
  Int32 GetAPlotValue(Int32 lang, Int32 i) const;
  Int32 FirstPlotValue(Int32 lang) const;
  Int32 LastPlotValue(Int32 lang) const;
  Int32 GetSelectedPlotMark(Int32 lang) const;
  // The selected mark's position; -1 when none is selected.
  Int32 GetSelectedPlotValue(Int32 lang) const;
  // Selects mark i when the language has it, raises OnSelectedPlotmark and
  // repaints.
  void SetSelectedPlotMark(Int32 lang, Int32 i);
  // Selects the mark at value (none when no mark is there) without event or
  // repaint; true when one was there.
  bool FindAndSetPlotMarkTo(Int32 lang, Int32 value);
  void SetSelectedMarkFromCharPosition(Int32 lang, Int32 value);
  // (language, 0) of the language whose first mark is smallest (the first
  // language on ties); (-1, -1) when no language has marks.
  TLangMark LowestPlotValue() const;
  // The nearest mark before line (backwards) or after it, over all
  // languages; (-1, -1) when none.
  TLangMark NearestMarkTo(Int32 line, bool backwards) const;
  // Clears every selection, then picks the lowest mark when the language is
  // below 0, else the nearest mark to the line in that direction, selects it
  // (nothing when none was found) and repaints.
  void NextPlotValue(TLineAndLangnum lineAndLang, bool backwards);
  // The pixel along the bar where mark i is drawn; 0 when there is no such
  // mark or the total is 0.
  Int32 PixelYPosOfPlotDataPoint(Int32 lang, Int32 i) const;
  // The mark drawn nearest to the pixel (less than 100 pixels away);
  // (-1, -1) when none.
  TLangMark NearestMarkToPixelHeight(Int32 y) const;

  Int32 RulerDivisions() const { return fRulerDivisions; }
  void SetRulerDivisions(Int32 n);
  bool ShowRuler() const { return fShowRuler; }
  void SetShowRuler(bool b);
  TColor RulerColour() const { return fRuler_colour; }
  void SetRulerColour(TColor c);
  const TPlotLangData& PlotData() const { return fPlotData; }

  // After the host has set the properties: a control wider than high becomes
  // horizontal.
  void Loaded() override;

  TNotifyLangAndSelected fOnSelectedPlotmark;
  TFontColoursForLanguage fOnGetFontColourForLanguage;
  TLangMark PickedOutWord{-1, -1};

 protected:
  void Paint() override;
  // A left press selects the mark drawn nearest to it, when
  // fOnSelectedPlotmark is assigned.
  void MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) override;

 private:
  static bool ValidLang(Int32 lang) { return lang >= 0 && lang < 8; }
  TPlotLangData fPlotData;
  Int32 fRulerDivisions = 8;
  bool fShowRuler = true;
  TColor fRuler_colour = 0xC0C0C0;
};

class TBookmarkBar : public TPCBar {
 public:
  // Vertical, 20 wide, active, no bookmarks.
  explicit TBookmarkBar(TComponent* owner);
  ~TBookmarkBar() override;

  // Bookmarks are 0 to 9; any other index reads as an empty entry and is
  // never written. An entry is set when its first integer is above 0.
  void SetBookMark(Int32 i, Int32 a, Int32 b);
  TBookmarkRec GetBookMarkInfo(Int32 i) const;
  // Zeroes every entry whose first two integers are a and b.
  void TryToClear(Int32 a, Int32 b);
  void Clear();
  Int32 Bookmarks() const;
  bool Active() const { return active; }
  void ActivateWindow(bool on);

  // After the host has set the properties: a control wider than high becomes
  // horizontal.
  void Loaded() override;

  bool active = true;
  T2LongintFunct fOnGetTopAndBottomLineNumbers;
  TBookmarkGetLineFunct fOnGetLineNumber;

 protected:
  void Paint() override;

 private:
  TBookMarksArray fBookmarks{};
};

// Unit start and stop (the unit has no work of its own).
void Tpcprogressbars_initialization();
void Tpcprogressbars_Finalization();

}  // namespace sk
