// The aligner grid: up to eight parallel texts shown line by line,
// interleaved. Row r is line r div n of language r mod n (n languages in use).
// The grid holds no text: it reads every line from the tool's list holder and
// paints it through that language's text drawer, with its search hits.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_longint.h"
#include "display/Aligner_types.h"
#include "display/Rtl_and_ltr_painting.h"
#include "display/TextStringGridListHolder.h"
#include "platform/visual/DrawGrid.h"
#include "platform/visual/RichEdit.h"

namespace sk {

class TPlotBar;

class TTextStringGridVirtual : public TCustomDrawGrid {
 public:
  using TConfirmCutLine = std::function<bool(TObject* sender, const String& line)>;
  using TLineAndLangText = std::function<String(TObject* sender, TLineAndLangnum at)>;
  using TLineAndLangFlag = std::function<bool(TObject* sender, TLineAndLangnum at)>;
  using TExportLines = std::function<void(TObject* sender, TStrings* lines, const String& fileName)>;
  using TCopySingleWord = std::function<String(TObject* sender, const String& line)>;
  using TLoadProgress = std::function<void(TObject* sender, Int32 percent)>;

  explicit TTextStringGridVirtual(TComponent* owner);
  ~TTextStringGridVirtual() override;

  // ---- the holder ----
  // The holder the tool's variable points to now (nullptr once the tool has
  // freed it and cleared the variable).
  TTextStringGridListHolder* GetStringArrayHolder() const { return Holder(); }
  // Refers to the tool's holder variable, which must outlive the grid's use;
  // the grid reads the variable each time, so a holder replaced or freed
  // (and the variable cleared) by the tool is seen at once.
  void SetStringArrayHolder(TTextStringGridListHolder* const* holderVariable);
  // A holder the caller keeps alive until it sets another or none.
  void SetStringArrayHolder(TTextStringGridListHolder* holder);
  void SetStringArrayHolder(std::nullptr_t);
  bool BaseStringArrayHolderOK() const { return Holder() != nullptr; }
  Int32 LanguagesInUse() const;

  // ---- rows ----
  TLineAndLangnum RowNumberToLineAndLang(Int32 row) const;
  Int32 RowNumberFromLineAndLang(TLineAndLangnum at) const;
  Int32 StringlistNumToRowNum(Int32 line, Int32 lang) const;
  // 0 for a language number of n or more.
  Int32 LineAndLangToGridRow(Int32 line, Int32 lang) const;
  TLineAndLangnum ArrayDetails(Int32 row) const { return RowNumberToLineAndLang(row); }
  TLineAndLangnum ArrayLIneFromRow() const { return RowNumberToLineAndLang(Row()); }
  // The line's text; false when the line does not exist.
  bool LineText(TLineAndLangnum at, String& text) const;

  TLineAndNumberStrs OneLineOfText(Int32 row, bool withNumbers) const;
  // as_txt: UTF-16LE with byte-order mark; as_RTF through the hidden rich
  // edit; as_Excel_spreadsheet through fOnExportStringlistToExcel. False
  // without a language in use, while busy, or when the file cannot be written.
  bool SavedAsText(const String& fileName, bool withNumbers, TSave_as_format format);
  void FindLinesContaining(const String& text, bool ignoreCase, bool wholeWords);
  // (language, line) pairs of lines ending with text (or text and a space).
  std::unique_ptr<T2LongintList> LinesEndingWithAbbreviation(const String& text) const;

  // ---- editing ----
  void CutARow(Int32 row);
  void CutAllEmptyRows();
  void InsertARow();
  void TrimAllRows();
  bool ToggledRowAsHeadingRow(bool& isHeading);
  void SetCurrentRowText(const TRowStringRec& rec);
  TRowStringRec GetCurrentRowText() const;
  bool GetTextOfRowForLanguage(Int32 row, Int32 lang, String& text) const;
  Int32 CharacterCountInRow(Int32 row) const;
  String FilenameFromRow(Int32 row) const;
  Tfixed_lang_details LanguageFromRow(Int32 row) const;
  TLangFilenameAndColours LangFilenameAndColoursFromRow(Int32 row) const;
  Cardinal GetLCID_OfRow() const;
  Int32 GetLinesChecked(Int32 lang) const;
  void AddALine(Int32 lang, const String& text);

  // ---- navigation ----
  void SetRowTo(Int32 lang, Int32 line);
  void UpOneRow();
  void DownOneRow();
  // Walks the language's rows summing (length + 2) x 2 until the sum passes
  // bytePos; past the last line the last line is taken.
  void SetHighlightedRowTo(Int32 bytePos, Int32 lang);
  Int32 HighlightedRowMidCharacter(Int32 lang) const;
  void EnsureRowIsComfortablyVisible();
  void SelectLine(Int32 line, Int32 lang);
  void SelectAndCopy(Int32 mode);

  // ---- colours, fonts, layout ----
  void SetAllDefaultColours();
  void SetupLangsAndVisibility(bool col0Visible);
  void ClearAllSearches(Int32 lang);
  // Takes one search word out of every language's drawer.
  void ClearSearchDisplay(const TQMSearchWordRec& rec);
  void SetCol0Visible(bool visible);
  void SetOneLanguage(Int32 lang, const Tfixed_lang_details& rec);
  void SetLangFontNameAndSize(Int32 lang, const String& name, Int32 size);
  bool LoadAFile(const String& fileName, const Tfixed_lang_details& lang, Int32 slot, bool col0Visible);
  void ComputeHeightsAndWidths(bool force);
  bool RecomputedLines();
  // Paints (or measures) one line in rect; the height used.
  Int32 DrawOneLine(TLineAndLangnum at, bool painting, const TRect& rect);
  void SetAllDisplayersJustMeasuring(bool flag);
  TMyTextDrawer& Displayer(Int32 lang) { return *Displayers[static_cast<size_t>(lang)]; }

  void SetAlignerTab(TAlignerTab tab) { fAlignerTab = tab; }
  // Every slot's colours; the default sets hold the window and window-text
  // colours and 0 elsewhere.
  void SetDisplayColours(const std::array<TMyCanvasColourRec, kAlignerSlots>& colours);
  std::array<TMyCanvasColourRec, kAlignerSlots> GetDisplayColoursFixedArr() const;
  static std::array<TMyCanvasColourRec, kAlignerSlots> DefaultDisplayColours();
  // A language's search-hit brush and text colours and font style.
  void SetSearchRecColoursAndStyle(Int32 lang, TColor brush, TColor text, TFontStyles style);
  void SetSearchRecColoursAndStyles(const std::array<TMyCanvasColourRecAndTypeface, kAlignerSlots>& recs);
  std::array<TMyCanvasColourRecAndTypeface, kAlignerSlots> GetSearchColoursAndStylesFixedArr() const;
  void SetCanvasFontNameAndSize(const String& name, Int32 size);

  // ---- the plot bar ----
  void GoToNextPlotPoint(Int32 direction);
  void SynchronizeRowToPlot();
  bool PlotMarkMatchesLineAndLang(TLineAndLangnum at) const;
  void SetPickedOutWordPos(Int32 lang, Int32 mark);

  bool Busy() const { return fBusy; }

  TTextStringGridListHolder* const* BaseStringArrayHolder = nullptr;  // the tool's holder variable; not owned
  std::array<std::unique_ptr<TMyTextDrawer>, kAlignerSlots> Displayers;
  std::unique_ptr<TRichEdit> RTFEdit;
  std::unique_ptr<T1LongintList> MySelectedRows;
  TPlotBar* fPLotbar = nullptr;  // not owned
  TGrid_alternatives fKindOfDisplay{};
  TAlignerTab fAlignerTab = tat_aligner_paras;
  bool fBusy = false;
  bool fHandling_Message = false;
  bool Col0Visible = true;
  Int32 unusualrow = -1;
  Int32 TopRowComputed = 2147483647;
  Int32 ScreenFulOfRows = 2147483647;
  Int32 MinLineHeight = 8;
  Int32 drag_row = -1;
  Int32 drag_col = -1;
  Int32 search_language = 0;
  Int32 fComputedClientWidth = -1;
  Int32 fComputedFontSize = -1;
  TLoadProgress fOnLoadProgress;
  TConfirmCutLine fOnConfirmCutLine;
  TLineAndLangText fOnDrawNumberCell;
  TCopySingleWord fOnCopySingleWord;
  TExportLines fOnExportStringlistToExcel;
  TLineAndLangFlag fOnNumberIsCheckMarked;

 protected:
  void DrawCell(Int32 ACol, Int32 ARow, const TRect& ARect, TGridDrawState AState) override;
  // A left press on a cell remembers it in drag_row and drag_col and starts
  // a drag once the mouse has moved the drag distance; a double click has
  // already run the grid's double-click handling.
  void MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) override;
  void TopLeftChanged() override;

 private:
  // Gives every row on the screen, from the top row down, the height its
  // text needs: rows measured since the heights were last cleared keep
  // theirs, the others are measured now.
  void MeasureRowsOnScreen();
  // Rows measured since the heights were last cleared, one flag a row.
  std::vector<uint8_t> fMeasured;
  bool fMeasuringScreen = false;
  TTextStringGridListHolder* Holder() const { return BaseStringArrayHolder != nullptr ? *BaseStringArrayHolder : nullptr; }
  THighlightUTF8Stringlist* ListOf(Int32 lang) const;
  Int32 LongestList() const;
  void Repaint() { InvalidateGrid(); }
  TTextStringGridListHolder* fHolderHeld = nullptr;  // the variable for a holder set directly
};

}  // namespace sk
