#include "demo_window_bars.h"

#include <QtCore/QCoreApplication>
#include <array>
#include <cstdio>

#include "platform/runtime/Colors.h"
#include "platform/visual/ImgList.h"
#include "platform/visual/Panels.h"
#include "platform/visual/Screenshots.h"
#include "platform/visual/StandardControls.h"
#include "ui/Buttonedsplitteru.h"
#include "ui/Buttonedstatusbaru.h"
#include "ui/Tpcprogressbars.h"

using namespace sk;

namespace {

// An image list of four coloured squares for the status bar's buttons.
TImageList* ButtonImages(TComponent* owner) {
  auto* images = new TImageList(owner, 16, 16);
  for (TColor c : {clGreen, clBlue, clRed, clNavy}) {
    TBitmap b(16, 16);
    b.Canvas().Brush().SetColor(clWhite);
    b.Canvas().FillRect(Rect(0, 0, 16, 16));
    b.Canvas().Brush().SetColor(c);
    b.Canvas().FillRect(Rect(3, 3, 13, 13));
    images->Add(b, nullptr);
  }
  return images;
}

TLabel* Caption(TForm& form, TWinControl* parent, const String& text, Int32 x, Int32 y) {
  auto* l = new TLabel(&form);
  l->SetParent(parent);
  l->SetCaption(text);
  l->SetLeft(x);
  l->SetTop(y);
  return l;
}

}  // namespace

std::unique_ptr<TForm> MakeBarsPage(TComponent* owner) {
  auto page = std::make_unique<TForm>(owner);
  TForm& form = *page;
  form.SetCaption(u"Sharedkit bars");
  form.SetPosition(poScreenCenter);
  form.SetClientWidth(560);
  form.SetClientHeight(260);

  // Progress bars: the spectrum with its label, and plain blocks.
  Caption(form, &form, u"Progress", 8, 6);
  auto* spectrum = new TPCProgressBar(&form);
  spectrum->SetParent(&form);
  spectrum->SetBounds(8, 24, 200, 20);
  spectrum->SetPosition(70);
  auto* blocks = new TPCProgressBar(&form);
  blocks->SetParent(&form);
  blocks->SetBounds(8, 52, 200, 20);
  blocks->SetSpectrumBar(false);
  blocks->SetSmooth(false);
  blocks->SetPosition(45);

  // A plot bar of three languages and a bookmark bar beside it.
  Caption(form, &form, u"Plot", 224, 6);
  auto* plot = new TPlotBar(&form);
  plot->SetParent(&form);
  plot->SetBounds(224, 24, 36, 150);
  plot->SetPlotData(0, 1000, 2, {50, 180, 420, 610, 900});
  plot->SetPlotData(1, 1000, -1, {120, 300, 650});
  plot->SetPlotData(2, 1000, 0, {700, 760});
  plot->fOnGetFontColourForLanguage = [](TObject*, Int32 lang) {
    static const std::array<TColor, 3> colours = {clNavy, clGreen, clPurple};
    return TMainAndContrastColours{colours[static_cast<size_t>(lang) % 3], clRed};
  };
  Caption(form, &form, u"Marks", 270, 6);
  auto* bookmarks = new TBookmarkBar(&form);
  bookmarks->SetParent(&form);
  bookmarks->SetBounds(270, 24, 20, 150);
  bookmarks->SetBookMark(1, 20, 1);
  bookmarks->SetBookMark(4, 75, 1);
  bookmarks->SetBookMark(7, 140, 1);
  bookmarks->fOnGetTopAndBottomLineNumbers = [](TObject*) { return T2_longint_rec{1, 150}; };
  bookmarks->fOnGetLineNumber = [](TObject*, TBookmarkRec b) { return b.seg_charpos_WFC; };

  // A list beside a splitter with its button, then the margins panel on a page.
  auto* area = new TPanel(&form);
  area->SetParent(&form);
  area->SetBevelOuter(bvNone);
  area->SetBounds(300, 6, form.ClientWidth() - 308, 200);
  auto* list = new TPanel(&form);
  list->SetParent(area);
  list->SetColor(clWindow);
  list->SetCaption(u"List");
  list->SetWidth(70);
  list->SetAlign(alLeft);
  auto* splitter = new TButtonedSplitter(&form);
  splitter->SetParent(area);
  splitter->SetLeft(70);
  splitter->SetWidth(8);
  splitter->SetAlign(alLeft);
  auto* sheet = new TPanel(&form);
  sheet->SetParent(area);
  sheet->SetBevelOuter(bvNone);
  sheet->SetColor(clGray);
  sheet->SetAlign(alClient);
  auto* margins = new TNotepadGrabPanel(&form);
  margins->SetParent(sheet);
  margins->SetParentControl(sheet);
  margins->SetShowMarginMarkers(true);
  margins->SetHandleColour(clRed);
  margins->SetToMargins({1.0f, 1.0f, 0.75f, 1.25f}, 210, 297);
  splitter->fOnButtonClick = [list](TObject*) { list->SetWidth(list->Width() > 40 ? 30 : 70); };
  splitter->OnMoved = [margins](TObject*) { margins->SetToMargins({1.0f, 1.0f, 0.75f, 1.25f}, 210, 297); };

  // The status bar along the page's foot.
  auto* status = new TButtonedStatusBar(&form);
  status->SetParent(&form);
  status->SetHeight(24);
  TImageList* images = ButtonImages(&form);
  for (Int32 p = tusp_keypressmode; p <= tusp_help_button; ++p)
    status->SetButtonImageIndex(static_cast<TMyStatusBarPanel>(p), images, p == tusp_stop_button ? 2 : p % 2);
  status->SetPanelWidth(tusp_entries, 70);
  status->SetPanelWidth(tusp_info, 50);
  status->SetProgressNumbers(12345, 42);
  status->SetProgressPercent(60, tusp_Progress_overall);
  status->SetProgressPercent(25, tusp_progress_this);
  status->SetAPanelMessage(tusp_message, u"<B>Bold</B>, <I>italic</I> and <X>literal</X>");
  status->fOnSBButtonClick = [status](TObject*, TMyStatusBarPanel panel) {
    status->SetButtonActive(panel, !status->GetButtonActive(panel));
  };
  return page;
}

bool SaveBarsPagePicture(TComponent* owner) {
  const String file = Utf8ToString(QCoreApplication::applicationDirPath().toStdString() + "/sk_demo_bars.png");
  if (!SaveControlImage(*MakeBarsPage(owner), file)) {
    std::fprintf(stderr, "the page of bars could not be saved as %s\n", StringToUtf8(file).c_str());
    return false;
  }
  std::printf("the page of bars was drawn offscreen and saved as %s\n", StringToUtf8(file).c_str());
  return true;
}
