#include "demo_window_cells.h"

#include <QtCore/QCoreApplication>
#include <cstdio>

#include "core/Qm_global_vars.h"
#include "display/Rtl_and_ltr_painting.h"
#include "platform/runtime/Colors.h"
#include "platform/visual/Screenshots.h"
#include "platform/visual/StandardControls.h"
#include "ui/Graphics_utilities.h"

using namespace sk;

namespace {

constexpr Int32 kWidth = 560;
constexpr Int32 kRowHeight = 34;

TConcordDetailedRec Token(const String& word, TColloc_item_stat stat = cis_word) {
  TConcordDetailedRec r{};
  r.ConcStrTag.wordsections.wd_str = word;
  r.colloc_info.barr_rec.stat = stat;
  return r;
}

// One concordance line: the left words, the node, the right words.
void PaintConcLine(TMyTextDrawer& drawer, TCanvas& canvas, const TRect& cell, std::initializer_list<String> left,
                   const String& node, std::initializer_list<String> right, bool selected) {
  TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> tokens;
  TEnumArray<TLeftOrRight, std::vector<TCollocateColourRec>, 2> colours;
  for (const String& w : left) tokens[at_left].push_back(Token(w));
  tokens[at_left].front().colloc_info.barr_rec.stat = cis_sentence_start;
  tokens[at_right].push_back(Token(node));
  tokens[at_right][0].colloc_info.CustomColour = true;
  const TColourFontRec hit{0x66E0FF, clNavy, static_cast<TFontStyles>(1u << fsBold)};
  colours[at_right].push_back(TCollocateColourRec{hit, hit});
  for (const String& w : right) tokens[at_right].push_back(Token(w));
  tokens[at_right].back().colloc_info.barr_rec.stat = cis_sentence_end;
  TLeftOrRightIntegers limits{};
  limits[at_right] = -1;
  drawer.DrawConcText(u" ", {}, {}, tag_after_word, {}, tokens, colours, canvas, 0x0409, cell, 0, selected, false,
                      pra_screen, limits);
}

// The cell's background and its grid line.
void PrepareCell(TCanvas& canvas, const TRect& cell, TColor background) {
  canvas.Brush().SetColor(background);
  canvas.Brush().SetStyle(bsSolid);
  canvas.FillRect(cell);
  canvas.Pen().SetColor(clSilver);
  canvas.MoveTo(cell.Left, cell.Bottom - 1);
  canvas.LineTo(cell.Right, cell.Bottom - 1);
}

void PaintCells(TBitmap& bitmap) {
  TCanvas& canvas = bitmap.Canvas();
  canvas.Font().SetName(u"DejaVu Sans");
  canvas.Font().SetSize(9);
  Global_Colours.arr[tsc_highlight] = 0x6B3A1F;
  Global_Colours.arr[tsc_highlighttext] = clWhite;
  Global_Colour_highlights[hc_highlightBrush] = clYellow;
  Global_Colour_highlights[hc_highlightText] = clMaroon;
  TMyTextDrawer drawer;
  drawer.fOnGetPreferredTagForm = [](Integer, const String& tag) {
    return TStringTagColourFontRec{tag, TColourFontRec{clWhite, clTeal, static_cast<TFontStyles>(1u << fsItalic)}};
  };
  Int32 y = 0;
  auto nextCell = [&](TColor background) {
    const TRect cell = Rect(0, y, kWidth, y + kRowHeight);
    PrepareCell(canvas, cell, background);
    y += kRowHeight;
    return Rect(cell.Left, cell.Top + 8, cell.Right, cell.Bottom - 8);
  };

  // A cluster with its tags after the words, in the tags' own colours.
  std::vector<TStringTag> cluster{{u"the", u"<DT>", 2}, {u"black", u"<JJ>", 2}, {u"cat", u"<NN>", 2}};
  drawer.Alignamento = aligned_default;
  drawer.DrawClusterText({colour_tags}, tag_after_word, {}, cluster, canvas, 0x0409, nextCell(clWhite),
                         ClNoneColours(), 0, false, false, pra_screen);

  // Concordance lines, the second in a selected row, the third deleted.
  PaintConcLine(drawer, canvas, nextCell(clWhite), {u"it", u"was", u"the", u"best", u"of"}, u"times",
                {u"it", u"was", u"the", u"worst"}, false);
  PaintConcLine(drawer, canvas, nextCell(Global_Colours.arr[tsc_highlight]), {u"in", u"the", u"middle", u"of"},
                u"times", {u"of", u"trouble"}, true);
  drawer.SetMainFontFaceDeleted(true);
  PaintConcLine(drawer, canvas, nextCell(clWhite), {u"a", u"line", u"that", u"was", u"deleted", u"at"}, u"times",
                {u"by", u"the", u"user"}, false);
  drawer.SetMainFontFaceDeleted(false);

  // A Hebrew line with a Latin run and a hit.
  const String hebrew = u"\u05D4\u05E1\u05E4\u05E8 Word Smith \u05E0\u05DE\u05E6\u05D0 \u05DB\u05D0\u05DF";
  TQMInt64List hits;
  hits.AddOne(MakeHitInt64(11, 16));  // "Smith"
  TForegroundBackGroundColours colours;
  colours[fb_foregound] = clBlack;
  colours[fb_background] = clWhite;
  drawer.DrawAChunkofTextStringGrid(hebrew, canvas, nextCell(clWhite), 0x040D, aligned_default, colours,
                                    ClNoneColours(), false, false, &hits);
  Global_Colours = {};
  Global_Colour_highlights = {};
}

}  // namespace

std::unique_ptr<TForm> MakeCellsPage(TComponent* owner) {
  auto page = std::make_unique<TForm>(owner);
  TForm& form = *page;
  form.SetCaption(u"Sharedkit cells");
  form.SetPosition(poScreenCenter);
  form.SetClientWidth(kWidth + 16);
  form.SetClientHeight(5 * kRowHeight + 16);
  auto* image = new TImage(&form);
  image->SetParent(&form);
  image->SetBounds(8, 8, kWidth, 5 * kRowHeight);
  TBitmap& bitmap = image->Picture().Bitmap();
  bitmap.SetSize(kWidth, 5 * kRowHeight);
  PaintCells(bitmap);
  return page;
}

bool SaveCellsPagePicture(TComponent* owner) {
  const String file = Utf8ToString(QCoreApplication::applicationDirPath().toStdString() + "/sk_demo_cells.png");
  if (!SaveControlImage(*MakeCellsPage(owner), file)) {
    std::fprintf(stderr, "the page of cells could not be saved as %s\n", StringToUtf8(file).c_str());
    return false;
  }
  std::printf("the page of cells was drawn offscreen and saved as %s\n", StringToUtf8(file).c_str());
  return true;
}
