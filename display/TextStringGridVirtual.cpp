#include "display/TextStringGridVirtual.h"

#include <algorithm>

#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "core/My_string_functions_words.h"
#include "display/Language_utils.h"
#include "display/Rtf_utils.h"
#include "display/Wordchunklistu.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/Clipboard.h"
#include "platform/visual/Forms.h"
#include "services/Monitor_functions.h"
#include "services/Wdef_definitions.h"
#include "ui/Graphics_utilities.h"
#include "ui/Tpcprogressbars.h"

namespace sk {

namespace {

// Busy with the hourglass for one scope: both undone on every way out.
class TBusyScope {
 public:
  explicit TBusyScope(bool& busy) : fBusy(busy), fCursor(Screen().Cursor()) {
    fBusy = true;
    Screen().SetCursor(crHourGlass);
  }
  ~TBusyScope() {
    fBusy = false;
    Screen().SetCursor(fCursor);
  }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

 private:
  bool& fBusy;
  TCursor fCursor;
};

String FontNameOf(const Tfixed_character_format_rec& f) {
  String r;
  for (Char c : f.fontname) {
    if (c == 0) break;
    r += c;
  }
  return r;
}

// Every match of word in line (upper-cased when ignoring case): a bounded
// whole word, or grown over the letters and digits around it.
void LineHits(const String& line, const String& word, bool wholeWords, std::vector<std::pair<Int32, Int32>>& out) {
  out.clear();
  if (word.empty()) return;
  size_t from = 0;
  while (from < line.size()) {
    const size_t p = line.find(word, from);
    if (p == String::npos) break;
    const Int32 s1 = static_cast<Int32>(p) + 1;
    const Int32 f1 = static_cast<Int32>(p + word.size());
    if (wholeWords) {
      if (BoundedWholeWord(line, s1, f1)) out.emplace_back(s1 - 1, f1);
      from = p + 1;
      continue;
    }
    Int32 s = s1, e = f1;
    while (s > 1 && !BoundedAtLeft(line, s, e)) --s;
    while (e < static_cast<Int32>(line.size()) && !BoundedAtRight(line, s, e)) ++e;
    out.emplace_back(s - 1, e);
    from = static_cast<size_t>(e);
  }
}

}  // namespace

TTextStringGridVirtual::TTextStringGridVirtual(TComponent* owner)
    : TCustomDrawGrid(owner), RTFEdit(std::make_unique<TRichEdit>()), MySelectedRows(std::make_unique<T1LongintList>()) {
  for (auto& d : Displayers) d = std::make_unique<TMyTextDrawer>();
  MySelectedRows->sorted = true;
  SetColCount(2);
  SetFixedRows(0);
  SetFixedCols(0);
  SetRowCount(0);
  SetScrollBars(ssVertical);
}

TTextStringGridVirtual::~TTextStringGridVirtual() = default;

void TTextStringGridVirtual::SetStringArrayHolder(TTextStringGridListHolder* const* holderVariable) {
  BaseStringArrayHolder = holderVariable;
  Repaint();
}

void TTextStringGridVirtual::SetStringArrayHolder(TTextStringGridListHolder* holder) {
  fHolderHeld = holder;
  SetStringArrayHolder(holder != nullptr ? &fHolderHeld : nullptr);
}

void TTextStringGridVirtual::SetStringArrayHolder(std::nullptr_t) {
  SetStringArrayHolder(static_cast<TTextStringGridListHolder* const*>(nullptr));
}

Int32 TTextStringGridVirtual::LanguagesInUse() const {
  return Holder() ? Holder()->LanguagesInUse() : 0;
}

THighlightUTF8Stringlist* TTextStringGridVirtual::ListOf(Int32 lang) const {
  return Holder() ? Holder()->List(lang) : nullptr;
}

Int32 TTextStringGridVirtual::LongestList() const {
  Int32 m = 0;
  for (Int32 i = 0; i < LanguagesInUse(); ++i) m = std::max(m, ListOf(i)->Count());
  return m;
}

// ---- rows ----

TLineAndLangnum TTextStringGridVirtual::RowNumberToLineAndLang(Int32 row) const {
  const Int32 n = LanguagesInUse();
  if (n == 0 || row < 0) return TLineAndLangnum{0, 0};
  return TLineAndLangnum{row / n, row % n};
}

Int32 TTextStringGridVirtual::RowNumberFromLineAndLang(TLineAndLangnum at) const {
  return at.linenum * LanguagesInUse() + at.langnum;
}

Int32 TTextStringGridVirtual::StringlistNumToRowNum(Int32 line, Int32 lang) const {
  return line * LanguagesInUse() + lang;
}

Int32 TTextStringGridVirtual::LineAndLangToGridRow(Int32 line, Int32 lang) const {
  const Int32 n = LanguagesInUse();
  if (lang > n - 1) return 0;
  return line * n + lang;
}

bool TTextStringGridVirtual::LineText(TLineAndLangnum at, String& text) const {
  if (at.langnum < 0 || at.langnum >= LanguagesInUse()) return false;
  const THighlightUTF8Stringlist* l = ListOf(at.langnum);
  if (l == nullptr || at.linenum < 0 || at.linenum >= l->Count()) return false;
  text = l->Get(at.linenum);
  return true;
}

TLineAndNumberStrs TTextStringGridVirtual::OneLineOfText(Int32 row, bool withNumbers) const {
  MyYieldProcess();
  TLineAndNumberStrs r;
  r.det = RowNumberToLineAndLang(row);
  String line;
  if (!LineText(r.det, line)) return r;
  const TStringlistLangAndColour_rec& s = Holder()->arr[static_cast<size_t>(r.det.langnum)];
  r.rec = TStringlistLangAndColourCopy{s.version, s.other_fixed, s.LangFnameColours};
  r.valid = true;
  r.line = line;
  if (withNumbers) {
    String name;
    for (Char c : s.LangFnameColours.lingua.main_nome) {
      if (c == 0) break;
      name += c;
    }
    r.num = Format(u"<%0.n><%s>", {static_cast<Double>(r.det.linenum + 1), LanguageNameAbbreviated(name)}) + u"\t";
  }
  return r;
}

bool TTextStringGridVirtual::SavedAsText(const String& fileName, bool withNumbers, TSave_as_format format) {
  if (LanguagesInUse() == 0 || fBusy) return false;
  TStringList lines;
  RTFEdit->Clear();
  // Every row that the holder's lines make now: the grid's RowCount is set
  // only when the sizes are computed (never while the grid is hidden), and
  // lines set or added since would be left out.
  const Int64 rows = std::min<Int64>(static_cast<Int64>(LongestList()) * LanguagesInUse(), INT32_MAX);
  for (Int32 row = 0; row < rows; ++row) {
    const TLineAndNumberStrs one = OneLineOfText(row, withNumbers);
    if (!one.valid) continue;
    const String text = one.num + one.line;
    lines.Add(text);
    if (format == as_RTF) {
      const Tfixed_character_format_rec& f = one.rec.LangFnameColours.lingua.new_win_font;
      TRichCharFormat cf;
      cf.Color = one.rec.LangFnameColours.cores.arr[tsc_windowtext];
      cf.BackColor = one.rec.LangFnameColours.cores.arr[tsc_window];
      RTFEdit->InsertLine(RTFEdit->LineCount(), text, cf);
      // The new line is the last one; its start counts the empty lines before it.
      RTFEdit->SetSel(RTFEdit->LineIndex(RTFEdit->LineCount() - 1), static_cast<Int32>(text.size()));
      RTFEdit->SetSelFont(FontNameOf(f), f.fontsize);
    }
  }
  switch (format) {
    case as_txt:
      try {
        lines.SetWriteBOM(true);
        lines.SaveToFile(fileName, TEncoding::Unicode());
      } catch (...) {
        return false;
      }
      return true;
    case as_Excel_spreadsheet:
      if (fOnExportStringlistToExcel) fOnExportStringlistToExcel(this, &lines, fileName);
      return true;
    case as_RTF:
      RTFEdit->SetFont(Font().Name(), Font().Size());
      return RTFEdit->SaveToRTF(fileName);
    default: return true;
  }
}

void TTextStringGridVirtual::FindLinesContaining(const String& text, bool ignoreCase, bool wholeWords) {
  const Int32 n = LanguagesInUse();
  if (text.empty() || n == 0) return;
  if (fPLotbar) fPLotbar->Clear();
  {
    TBusyScope busy(fBusy);
    for (Int32 i = 0; i < n; ++i) ClearAllSearches(i);
    std::vector<String> words;
    size_t at = 0;
    while (at <= text.size()) {
      size_t slash = text.find(u'/', at);
      if (slash == String::npos) slash = text.size();
      const String w = text.substr(at, slash - at);
      if (!w.empty()) words.push_back(ignoreCase ? AnsiUpperCase(w) : w);
      at = slash + 1;
    }
    const Int32 longest = LongestList();
    std::vector<std::pair<Int32, Int32>> hits;
    global_panic_state = panic_no_panic;
    for (Int32 lang = 0; lang < n && global_panic_state == panic_no_panic; ++lang) {
      THighlightUTF8Stringlist* l = ListOf(lang);
      std::vector<Int32> marks;
      Int32 running = 0;
      for (Int32 line = 0; line < l->Count() && global_panic_state == panic_no_panic; ++line) {
        const String original = l->Get(line);
        const String hay = ignoreCase ? AnsiUpperCase(original) : original;
        bool found = false;
        for (const String& w : words) {
          MyYieldProcess();
          LineHits(hay, w, wholeWords, hits);
          for (const auto& [s, e] : hits) {
            l->AddSearchHit(line, TSearchHits_rec{running + s + 1, s + 1, e + 1});
            found = true;
          }
        }
        if (found) marks.push_back(line);
        running += static_cast<Int32>(original.size()) + 2;
      }
      if (fPLotbar && !marks.empty()) fPLotbar->SetPlotData(lang, longest, -1, marks);
    }
    if (fPLotbar) fPLotbar->SetWidth(n * (CurrentPPI() / 4));
  }
  Repaint();
}

std::unique_ptr<T2LongintList> TTextStringGridVirtual::LinesEndingWithAbbreviation(const String& text) const {
  MyYieldProcess();
  auto r = std::make_unique<T2LongintList>();
  if (text.empty()) return r;
  const String a = AnsiUpperCase(text);
  const String b = (a.back() == u' ') ? a : a + u" ";
  for (Int32 lang = 0; lang < LanguagesInUse(); ++lang) {
    const THighlightUTF8Stringlist* l = ListOf(lang);
    for (Int32 line = 0; line < l->Count(); ++line) {
      const String s = AnsiUpperCase(l->Get(line));
      auto endsWith = [&](const String& e) { return s.size() >= e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0; };
      if (endsWith(a) || endsWith(b)) r->AddOne(T2_longint_rec{lang, line});
    }
  }
  return r;
}

// ---- editing ----

void TTextStringGridVirtual::CutARow(Int32 row) {
  if (fBusy) return;
  const TLineAndLangnum at = RowNumberToLineAndLang(row);
  String line;
  if (!LineText(at, line)) return;
  if (line.empty() || (fOnConfirmCutLine && fOnConfirmCutLine(this, line))) {
    ListOf(at.langnum)->RemoveOneLine(at.linenum);
    ComputeHeightsAndWidths(true);
    Repaint();
  }
}

void TTextStringGridVirtual::CutAllEmptyRows() {
  if (fBusy || !Holder()) return;
  for (Int32 i = 0; i < kAlignerSlots; ++i) ListOf(i)->RemoveBlankLines();
  ComputeHeightsAndWidths(true);
  Repaint();
}

void TTextStringGridVirtual::InsertARow() {
  if (fBusy) return;
  const TLineAndLangnum at = ArrayLIneFromRow();
  String line;
  if (!LineText(at, line)) return;
  ListOf(at.langnum)->Insert(at.linenum, String());
  ComputeHeightsAndWidths(true);
  Repaint();
}

void TTextStringGridVirtual::TrimAllRows() {
  for (Int32 lang = 0; lang < LanguagesInUse(); ++lang) {
    THighlightUTF8Stringlist* l = ListOf(lang);
    for (Int32 line = 0; line < l->Count(); ++line) {
      l->TrimOneLine(line);
      MyYieldProcess();
    }
  }
  ComputeHeightsAndWidths(true);
  Repaint();
}

bool TTextStringGridVirtual::ToggledRowAsHeadingRow(bool& isHeading) {
  const TLineAndLangnum at = ArrayLIneFromRow();
  String line;
  if (!LineText(at, line)) return false;
  String inner = line;
  const bool was = (FontStyleForHeadingLine(0, inner) >> fsBold) & 1u;
  isHeading = !was;
  ListOf(at.langnum)->Put(at.linenum, was ? inner : u"<B>" + line + u"</B>");
  Repaint();
  return true;
}

void TTextStringGridVirtual::SetCurrentRowText(const TRowStringRec& rec) {
  if (LanguagesInUse() == 0 || rec.details.langnum < 0 || rec.details.langnum >= kAlignerSlots) return;
  String old;
  if (!LineText(rec.details, old)) return;
  THighlightUTF8Stringlist* l = ListOf(rec.details.langnum);
  l->ClearOneLineHighlights(rec.details.linenum);
  l->Put(rec.details.linenum, rec.line);
  ComputeHeightsAndWidths(true);
  Repaint();
}

TRowStringRec TTextStringGridVirtual::GetCurrentRowText() const {
  TRowStringRec r;
  const TLineAndLangnum at = ArrayLIneFromRow();
  if (LineText(at, r.line)) r.details = at;
  return r;
}

bool TTextStringGridVirtual::GetTextOfRowForLanguage(Int32 row, Int32 lang, String& text) const {
  const TLineAndLangnum at = RowNumberToLineAndLang(row);
  return at.langnum == lang && LineText(at, text);
}

Int32 TTextStringGridVirtual::CharacterCountInRow(Int32 row) const {
  String line;
  return LineText(RowNumberToLineAndLang(row), line) ? static_cast<Int32>(line.size()) : 0;
}

String TTextStringGridVirtual::FilenameFromRow(Int32 row) const { return LangFilenameAndColoursFromRow(row).filename; }

Tfixed_lang_details TTextStringGridVirtual::LanguageFromRow(Int32 row) const {
  return LangFilenameAndColoursFromRow(row).lingua;
}

TLangFilenameAndColours TTextStringGridVirtual::LangFilenameAndColoursFromRow(Int32 row) const {
  if (LanguagesInUse() == 0) return TLangFilenameAndColours{};
  return Holder()->GetLangFilenameAndColours(RowNumberToLineAndLang(row).langnum);
}

Cardinal TTextStringGridVirtual::GetLCID_OfRow() const { return LanguageFromRow(Row()).lcid; }

Int32 TTextStringGridVirtual::GetLinesChecked(Int32 lang) const {
  if (!Holder() || lang < 0 || lang >= kAlignerSlots) return 0;
  return Holder()->arr[static_cast<size_t>(lang)].other_fixed.lines_this_lang_checked;
}

void TTextStringGridVirtual::AddALine(Int32 lang, const String& text) {
  if (THighlightUTF8Stringlist* l = ListOf(lang)) l->Add(text);
}

// ---- navigation ----

void TTextStringGridVirtual::SetRowTo(Int32 lang, Int32 line) {
  const Int32 row = StringlistNumToRowNum(line, lang);
  if (row < 0 || row >= RowCount()) return;
  SetRow(row);
  EnsureRowIsComfortablyVisible();
  Repaint();
}

void TTextStringGridVirtual::UpOneRow() {
  const TLineAndLangnum at = ArrayLIneFromRow();
  String line;
  if (LineText(TLineAndLangnum{at.linenum - 1, at.langnum}, line)) SetRowTo(at.langnum, at.linenum - 1);
}

void TTextStringGridVirtual::DownOneRow() {
  const TLineAndLangnum at = ArrayLIneFromRow();
  String line;
  if (LineText(TLineAndLangnum{at.linenum + 1, at.langnum}, line)) SetRowTo(at.langnum, at.linenum + 1);
}

void TTextStringGridVirtual::SetHighlightedRowTo(Int32 bytePos, Int32 lang) {
  const THighlightUTF8Stringlist* l = lang >= 0 && lang < LanguagesInUse() ? ListOf(lang) : nullptr;
  if (l == nullptr || l->Count() == 0) return;
  Int64 sum = 0;
  Int32 line = l->Count() - 1;  // past the end: the last line
  for (Int32 i = 0; i < l->Count(); ++i) {
    sum += (static_cast<Int64>(l->Get(i).size()) + 2) * 2;
    if (sum > bytePos) {
      line = i;
      break;
    }
  }
  const Int32 row = StringlistNumToRowNum(line, lang);
  if (row >= RowCount()) return;
  SetRow(row);
  SetTopRow(std::max(0, row - 10));
}

Int32 TTextStringGridVirtual::HighlightedRowMidCharacter(Int32 lang) const {
  const THighlightUTF8Stringlist* l = lang >= 0 && lang < LanguagesInUse() ? ListOf(lang) : nullptr;
  if (l == nullptr) return 0;
  const Int32 target = ArrayLIneFromRow().linenum;
  Int64 pos = 0;
  for (Int32 i = 0; i < l->Count() && i < target; ++i) pos += static_cast<Int64>(l->Get(i).size()) + 2;
  if (target < l->Count()) pos += static_cast<Int64>(l->Get(target).size()) / 2;
  return static_cast<Int32>(std::min<Int64>(pos, 2147483647));
}

void TTextStringGridVirtual::EnsureRowIsComfortablyVisible() {
  const Int32 v = VisibleRowCount();
  if (v > 2) SetTopRow(std::max(0, Row() - v / 2));
}

void TTextStringGridVirtual::SelectLine(Int32 line, Int32 lang) {
  const Int32 row = StringlistNumToRowNum(line, lang);
  if (MySelectedRows->IndexOf(row, tml_0) < 0) MySelectedRows->AddOne(row);
}

void TTextStringGridVirtual::SelectAndCopy(Int32 mode) {
  const TRowStringRec r = GetCurrentRowText();
  if (mode == 0)
    ClipboardSetText(r.line);
  else if (mode == 1 && fOnCopySingleWord)
    ClipboardSetText(fOnCopySingleWord(this, r.line));
}

// ---- colours, fonts, layout ----

void TTextStringGridVirtual::SetAllDefaultColours() {
  SetFixedColor(clBtnFace);
  if (!Holder()) return;
  for (Int32 i = 0; i < kAlignerSlots; ++i) {
    TMyCanvasColourRec c{};
    c.arr[tsc_window] = clWindow;
    c.arr[tsc_windowtext] = clWindowText;
    const TMyCanvasColourRecAndTypeface sf = SearchFoundColoursAndFontStyleFromNumber(i);
    c.arr[tsc_highlight] = sf.colourset.arr[tsc_highlight];
    c.arr[tsc_highlighttext] = sf.colourset.arr[tsc_highlighttext];
    Holder()->SetColours(i, c);
    Displayers[static_cast<size_t>(i)]->SearchExtraFontRec.typeface = sf.typeface;
    Displayers[static_cast<size_t>(i)]->SetCustomColours(c.arr[tsc_window], c.arr[tsc_windowtext]);
    Displayers[static_cast<size_t>(i)]->SetBaseTypeface(0);
  }
}

void TTextStringGridVirtual::SetupLangsAndVisibility(bool col0Visible) {
  for (Int32 i = 0; i < LanguagesInUse(); ++i) {
    const TMyCanvasColourRecAndTypeface sf = SearchFoundColoursAndFontStyleFromNumber(i);
    Holder()->SetHighlightWordColours(i, sf.colourset.arr[tsc_highlight],
                                                   sf.colourset.arr[tsc_highlighttext]);
    Displayers[static_cast<size_t>(i)]->SearchExtraFontRec.typeface = sf.typeface;
    TLangFilenameAndColours rec = Holder()->GetLangFilenameAndColours(i);
    if (rec.cores.arr[tsc_window] == rec.cores.arr[tsc_windowtext]) {
      Holder()->Slot(i).LangFnameColours.cores.arr[tsc_window] = clWindow;
      Holder()->Slot(i).LangFnameColours.cores.arr[tsc_windowtext] = clWindowText;
    }
  }
  Col0Visible = !col0Visible;  // so that the change below takes effect
  SetCol0Visible(col0Visible);
}

void TTextStringGridVirtual::ClearAllSearches(Int32 lang) {
  if (lang < 0 || lang >= kAlignerSlots) return;
  Displayers[static_cast<size_t>(lang)]->ClearAllSearches();
  if (THighlightUTF8Stringlist* l = ListOf(lang)) l->ClearHighlights();
  Repaint();
}

void TTextStringGridVirtual::ClearSearchDisplay(const TQMSearchWordRec& rec) {
  for (auto& d : Displayers) d->ClearOneSearch(rec);
  Repaint();
}

void TTextStringGridVirtual::MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  TCustomDrawGrid::MouseDown(button, shift, x, y);
  if (button != mbLeft || (shift & ShiftBit(ssDouble))) return;
  const TGridCoord cell = MouseCoord(x, y);
  if (cell.X < 0 || cell.Y < 0) return;
  drag_row = cell.Y;
  drag_col = cell.X;
  BeginDrag(false);
}

void TTextStringGridVirtual::SetCol0Visible(bool visible) {
  if (visible == Col0Visible) return;
  Col0Visible = visible;
  SetFixedCols(0);
  if (!visible) SetColWidths(0, 0);
  ComputeHeightsAndWidths(true);
  Repaint();
}

void TTextStringGridVirtual::SetOneLanguage(Int32 lang, const Tfixed_lang_details& rec) {
  if (lang < 0 || lang >= LanguagesInUse()) return;
  Holder()->SetALanguage(lang, rec);
  Repaint();
}

void TTextStringGridVirtual::SetLangFontNameAndSize(Int32 lang, const String& name, Int32 size) {
  if (lang < 0 || lang >= kAlignerSlots || !Holder()) return;
  Holder()->SetFontRecNameAndSize(lang, name, size);
  ComputeHeightsAndWidths(true);
  Repaint();
}

bool TTextStringGridVirtual::LoadAFile(const String& fileName, const Tfixed_lang_details& lang, Int32 slot,
                                       bool col0Visible) {
  if (!Holder() || slot < 0 || slot >= kAlignerSlots || !FileExists(fileName)) return false;
  Holder()->ClearOneStringArray(slot);
  Holder()->SetALanguage(slot, lang);
  Holder()->CheckColoursAndFont(slot);
  Holder()->SetFilename(slot, fileName);
  const bool ok = Holder()->LoadFromTextFile(slot, Holder()->Language(slot), fileName);
  SetupLangsAndVisibility(col0Visible);
  ComputeHeightsAndWidths(true);
  return ok;
}

std::array<TMyCanvasColourRec, kAlignerSlots> TTextStringGridVirtual::DefaultDisplayColours() {
  std::array<TMyCanvasColourRec, kAlignerSlots> r{};
  for (auto& c : r) {
    c.arr[tsc_window] = clWindow;
    c.arr[tsc_windowtext] = clWindowText;
  }
  return r;
}

void TTextStringGridVirtual::SetDisplayColours(const std::array<TMyCanvasColourRec, kAlignerSlots>& colours) {
  if (!Holder()) return;
  for (Int32 i = 0; i < kAlignerSlots; ++i) Holder()->SetColours(i, colours[static_cast<size_t>(i)]);
  Repaint();
}

std::array<TMyCanvasColourRec, kAlignerSlots> TTextStringGridVirtual::GetDisplayColoursFixedArr() const {
  std::array<TMyCanvasColourRec, kAlignerSlots> r{};
  if (!Holder()) return DefaultDisplayColours();
  for (Int32 i = 0; i < kAlignerSlots; ++i)
    r[static_cast<size_t>(i)] = Holder()->GetLangFilenameAndColours(i).cores;
  return r;
}

void TTextStringGridVirtual::SetSearchRecColoursAndStyle(Int32 lang, TColor brush, TColor text, TFontStyles style) {
  if (lang < 0 || lang >= kAlignerSlots) return;
  if (Holder()) Holder()->SetHighlightWordColours(lang, brush, text);
  Displayers[static_cast<size_t>(lang)]->SearchExtraFontRec.BrushColour = brush;
  Displayers[static_cast<size_t>(lang)]->SearchExtraFontRec.FontColour = text;
  Displayers[static_cast<size_t>(lang)]->SearchExtraFontRec.typeface = style;
  Repaint();
}

void TTextStringGridVirtual::SetSearchRecColoursAndStyles(
    const std::array<TMyCanvasColourRecAndTypeface, kAlignerSlots>& recs) {
  for (Int32 i = 0; i < kAlignerSlots; ++i) {
    const TMyCanvasColourRecAndTypeface& r = recs[static_cast<size_t>(i)];
    SetSearchRecColoursAndStyle(i, r.colourset.arr[tsc_highlight], r.colourset.arr[tsc_highlighttext], r.typeface);
  }
}

std::array<TMyCanvasColourRecAndTypeface, kAlignerSlots> TTextStringGridVirtual::GetSearchColoursAndStylesFixedArr()
    const {
  std::array<TMyCanvasColourRecAndTypeface, kAlignerSlots> r{};
  for (Int32 i = 0; i < kAlignerSlots; ++i) {
    TMyCanvasColourRecAndTypeface& x = r[static_cast<size_t>(i)];
    const TColourFontRec& f = Displayers[static_cast<size_t>(i)]->SearchExtraFontRec;
    x.colourset.arr[tsc_highlight] = f.BrushColour;
    x.colourset.arr[tsc_highlighttext] = f.FontColour;
    x.typeface = f.typeface;
  }
  return r;
}

void TTextStringGridVirtual::SetCanvasFontNameAndSize(const String& name, Int32 size) {
  if (!name.empty()) Font().SetName(name);
  if (size > 0) Font().SetSize(size);
  ComputeHeightsAndWidths(true);
  Repaint();
}

void TTextStringGridVirtual::GoToNextPlotPoint(Int32 direction) {
  if (!fPLotbar) return;
  fPLotbar->NextPlotValue(ArrayLIneFromRow(), direction < 0);
  SynchronizeRowToPlot();
}

void TTextStringGridVirtual::SynchronizeRowToPlot() {
  if (!fPLotbar) return;
  for (Int32 lang = 0; lang < LanguagesInUse(); ++lang) {
    const Int32 line = fPLotbar->GetSelectedPlotValue(lang);
    if (line < 0) continue;
    const Int32 row = StringlistNumToRowNum(line, lang);
    if (row < 0 || row >= RowCount()) return;
    SetRow(row);
    if (row > TopRow()) SetTopRow(std::max(0, row - 2));
    Repaint();
    return;
  }
}

bool TTextStringGridVirtual::PlotMarkMatchesLineAndLang(TLineAndLangnum at) const {
  return fPLotbar != nullptr && at.langnum >= 0 && at.langnum < kAlignerSlots &&
         fPLotbar->GetSelectedPlotValue(at.langnum) == at.linenum && at.linenum >= 0;
}

void TTextStringGridVirtual::SetPickedOutWordPos(Int32 lang, Int32 mark) {
  if (fPLotbar) fPLotbar->PickedOutWord = TLangMark{lang, mark};
}

void TTextStringGridVirtual::SetAllDisplayersJustMeasuring(bool flag) {
  for (Int32 i = 0; i < LanguagesInUse(); ++i) Displayers[static_cast<size_t>(i)]->JustMeasuring = flag;
}

Int32 TTextStringGridVirtual::DrawOneLine(TLineAndLangnum at, bool painting, const TRect& rect) {
  String text;
  if (!LineText(at, text) || text.empty()) return 0;
  const TStringlistLangAndColour_rec& slot = Holder()->arr[static_cast<size_t>(at.langnum)];
  const TFontStyles style = FontStyleForHeadingLine(0, text);
  if (text.empty()) return 0;
  TBitmap measure(1, 1);
  TCanvas& canvas = painting ? Canvas() : measure.Canvas();
  const Tfixed_character_format_rec& f = slot.LangFnameColours.lingua.new_win_font;
  const String name = FontNameOf(f);
  canvas.Font().SetName(name.empty() ? Font().Name() : name);
  canvas.Font().SetSize(f.fontsize > 0 ? f.fontsize : Font().Size());
  canvas.Font().SetStyle(style);
  TRect r = rect;
  if (!painting) r = TRect{ColWidths(0), 0, ClientWidth(), ClientHeight()};
  TMyTextDrawer& d = Displayer(at.langnum);
  d.SetBaseTypeface(style);
  TMyCanvasColourRec c = slot.LangFnameColours.cores;
  EnsureColoursOK(c);
  TForegroundBackGroundColours colours{};
  colours[fb_foregound] = c.arr[tsc_windowtext];
  colours[fb_background] = c.arr[tsc_window];
  // No cell colour of its own: the line takes the slot's colours.
  TForegroundBackGroundColours other{};
  other[fb_foregound] = clNone;
  other[fb_background] = clNone;
  std::unique_ptr<TQMInt64List> hits;
  if (const TSearchHighlightWordsList* h = ListOf(at.langnum)->GetHighlights(at.linenum)) {
    hits = std::make_unique<TQMInt64List>();
    for (Int32 i = 0; i < h->Count(); ++i) hits->AddOne(MakeHitInt64(h->LinePos(i), h->LinePosEnd(i)));
  }
  const bool wasMeasuring = d.JustMeasuring;
  if (!painting) d.JustMeasuring = true;
  // The drawer paints hits in the process's highlight colours: for this line
  // they are the language's search-hit colours.
  const TColor oldBrush = Global_Colour_highlights[hc_highlightBrush];
  const TColor oldText = Global_Colour_highlights[hc_highlightText];
  Global_Colour_highlights[hc_highlightBrush] = c.arr[tsc_highlight];
  Global_Colour_highlights[hc_highlightText] = c.arr[tsc_highlighttext];
  const Int32 height = d.DrawAChunkofTextStringGrid(text, canvas, r, slot.LangFnameColours.lingua.lcid, colours,
                                                    other, PlotMarkMatchesLineAndLang(at), hits.get());
  Global_Colour_highlights[hc_highlightBrush] = oldBrush;
  Global_Colour_highlights[hc_highlightText] = oldText;
  d.JustMeasuring = wasMeasuring;
  return height;
}

void TTextStringGridVirtual::ComputeHeightsAndWidths(bool force) {
  const Int32 n = LanguagesInUse();
  if (n == 0 || fBusy) return;
  fComputedClientWidth = ClientWidth();
  TBusyScope busy(fBusy);
  const Int32 m = LongestList();
  SetRowCount(m * n + 1);
  TBitmap measure(1, 1);
  TCanvas& canvas = measure.Canvas();
  canvas.Font().Assign(Font());
  if (Col0Visible) {
    const String text = fOnDrawNumberCell ? fOnDrawNumberCell(this, TLineAndLangnum{m, 0}) + u"  "
                                          : Format(u" %0.n ", {static_cast<Double>(m)});
    canvas.Font().SetStyle(1u << fsBold);
    SetColWidths(0, canvas.TextWidth(text));
  } else {
    SetColWidths(0, 0);
  }
  SetColWidths(1, std::max(1, ClientWidth() - ColWidths(0)));
  TopRowComputed = TopRow();
  const Tfixed_character_format_rec& f = Holder()->Language(0).new_win_font;
  const String name = FontNameOf(f);
  canvas.Font().SetStyle(0);
  canvas.Font().SetName(name.empty() ? Font().Name() : name);
  canvas.Font().SetSize(f.fontsize > 0 ? f.fontsize : Font().Size());
  const Int32 defaultHeight = std::max(MinLineHeight, canvas.TextHeight(u"one"));
  SetDefaultRowHeight(defaultHeight);  // every row's height is cleared
  fMeasured.assign(static_cast<size_t>(RowCount()), 0);
  const bool fontChanged = f.fontsize != fComputedFontSize;
  fComputedFontSize = f.fontsize;
  if (force || fontChanged) {
    SetAllDisplayersJustMeasuring(true);
    ScreenFulOfRows = ClientHeight() / std::max(1, MinLineHeight);
    global_panic_state = panic_no_panic;
    for (Int32 row = TopRowComputed; row < RowCount() && row < TopRowComputed + ScreenFulOfRows &&
                                     global_panic_state == panic_no_panic;
         ++row) {
      const Int32 h = DrawOneLine(RowNumberToLineAndLang(row), false, TRect{});
      SetRowHeights(row, std::max(defaultHeight, h));
      fMeasured[static_cast<size_t>(row)] = 1;
      if (row % 16 == 0 && fOnLoadProgress) fOnLoadProgress(this, row * 100 / std::max(1, RowCount()));
    }
    SetAllDisplayersJustMeasuring(false);
  }
}

bool TTextStringGridVirtual::RecomputedLines() {
  const Int32 size = Holder() ? Holder()->Language(0).new_win_font.fontsize : -1;
  if (std::abs(ClientWidth() - fComputedClientWidth) > 10 || size != fComputedFontSize || fComputedFontSize < 0) {
    ComputeHeightsAndWidths(true);
    return true;
  }
  return false;
}

void TTextStringGridVirtual::TopLeftChanged() {
  TCustomDrawGrid::TopLeftChanged();
  ScreenFulOfRows = ClientHeight() / std::max(1, MinLineHeight);
  // Rows reached by scrolling are measured as the first screen was: the
  // sizes are recomputed, rows included, once the top row leaves the rows
  // measured last.
  if (TopRow() < TopRowComputed || static_cast<Int64>(TopRow()) >= static_cast<Int64>(TopRowComputed) + ScreenFulOfRows)
    ComputeHeightsAndWidths(true);
  // The range measured last may end above the screen's last row (a top row
  // near its end, a row of one line where the range counted on many): the
  // rows on the screen are measured from the top row at each scroll.
  MeasureRowsOnScreen();
}

void TTextStringGridVirtual::MeasureRowsOnScreen() {
  if (fMeasuringScreen || fBusy || !Holder() || LanguagesInUse() == 0 || fMeasured.empty()) return;
  // Heights not set since the last sizing (rows added since) count as not measured.
  if (fMeasured.size() != static_cast<size_t>(RowCount())) fMeasured.resize(static_cast<size_t>(RowCount()), 0);
  struct TFlag {
    bool& f;
    explicit TFlag(bool& flag) : f(flag) { f = true; }
    ~TFlag() { f = false; }
  } measuring(fMeasuringScreen);
  const Int32 defaultHeight = DefaultRowHeight();
  // A row made taller may move the last possible top row, and so the top
  // row: the screen is measured again from where the top row is then.
  for (int pass = 0; pass < 4; ++pass) {
    const Int32 top = TopRow();
    Int64 used = 0;
    for (Int32 row = top; row < RowCount() && used < ClientHeight(); ++row) {
      if (!fMeasured[static_cast<size_t>(row)]) {
        fMeasured[static_cast<size_t>(row)] = 1;
        const Int32 h = DrawOneLine(RowNumberToLineAndLang(row), false, TRect{});
        SetRowHeights(row, std::max(defaultHeight, h));
      }
      used += RowHeights(row);
    }
    if (TopRow() == top) break;
  }
}

void TTextStringGridVirtual::DrawCell(Int32 ACol, Int32 ARow, const TRect& ARect, TGridDrawState AState) {
  (void)AState;
  if (!Holder() || LanguagesInUse() == 0 || Global_Busy_Dont_Show_Data || fBusy) return;
  TCanvas& canvas = Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(clWindow);
  canvas.FillRect(ARect);
  const TLineAndLangnum at = RowNumberToLineAndLang(ARow);
  String line;
  if (!LineText(at, line)) return;
  TStringlistLangAndColour_rec& slot = Holder()->Slot(at.langnum);
  if (slot.LangFnameColours.lingua.new_win_font.fontsize == 0) return;
  TMyCanvasColourRec c = slot.LangFnameColours.cores;
  EnsureColoursOK(c);
  TMyTextDrawer& d = Displayer(at.langnum);
  d.SetCustomColours(c.arr[tsc_window], c.arr[tsc_windowtext]);
  d.SetBaseTypeface(0);
  if (ACol == 0) {
    const String text = fOnDrawNumberCell ? fOnDrawNumberCell(this, at)
                                          : Format(u"%.0n", {static_cast<Double>(at.linenum + 1)});
    TRect r = ARect;
    r.Left -= 2;
    r.Right -= 2;
    canvas.Font().Assign(Font());
    canvas.Font().SetStyle(1u << fsBold);
    canvas.Font().SetColor(c.arr[tsc_windowtext]);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(r.Right - canvas.TextWidth(text), r.Top, text);
    if (fOnNumberIsCheckMarked && fOnNumberIsCheckMarked(this, at)) canvas.TextOut(ARect.Left, r.Top, u"\u2713");
    canvas.Brush().SetStyle(bsSolid);
    return;
  }
  TRect r = ARect;
  if (ARow == unusualrow) {
    canvas.Brush().SetColor(clHighlight);
    canvas.FrameRect(ARect);
    r.Left += 1;
  }
  if (MySelectedRows->IndexOf(ARow, tml_0) >= 0) {
    canvas.Font().Assign(Font());
    canvas.Brush().SetColor(clHighlight);
    canvas.FillRect(TRect{r.Left, r.Top, r.Left + canvas.TextWidth(u"x"), r.Bottom});
  }
  DrawOneLine(at, true, r);
}

}  // namespace sk
