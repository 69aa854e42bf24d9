// The cell handler's decorations and plots: the number column's marks, the
// heading row's period marks and sort triangles, timeline date labels, and
// the concordance plot and timeline painters.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "analysis/Maths_routines.h"
#include "analysis/Work_qm_base_sister.h"
#include "core/Basic_processes.h"
#include "core/Juliandateroutines.h"
#include "display/QM_Grid.h"
#include "display/QMGridCellHandler.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"
#include "services/Monitor_functions.h"

namespace sk {

namespace {

Int32 RoundHalfEven(Double x) { return static_cast<Int32>(std::nearbyint(x)); }

void VLine(TCanvas& c, Int32 x, Int32 top, Int32 bottom) {
  c.MoveTo(x, top);
  c.LineTo(x, bottom);
}

// A bar from the cell's top + 1 to its bottom - 1, filled and outlined in one colour.
void Bar(TCanvas& c, Int32 left, Int32 right, const TRect& cell, TColor colour) {
  c.Brush().SetColor(colour);
  c.Pen().SetColor(colour);
  c.Rectangle(left, cell.Top + 1, right, cell.Bottom - 1);
}

}  // namespace

void TQMGridCellHandler::DrawNumberColumnMarks(TCanvas& canvas, const TRect& rect, const TGrid_data_rec& rec) {
  if (!rec.matched && !rec.hasjoined && rec.marcacao == marcado_clear && rec.bookmark <= 0) return;
  const TColor savedBrush = canvas.Brush().Color();
  const TColor savedPen = canvas.Pen().Color();
  const Int32 w = canvas.TextWidth(u"i");
  const auto& ruler = fRulerPlotWordCloudFeatures.colours;
  if (rec.bookmark > 0) {
    const Int32 savedSize = canvas.Font().Size();
    const Int32 side = rect.Bottom - rect.Top;
    DrawABookmark(canvas, TRect{rect.Left, rect.Top + 1, rect.Left + side, rect.Bottom - 1}, rec.bookmark);
    canvas.Font().SetSize(savedSize);
  }
  if (rec.matched) Bar(canvas, rect.Left, rect.Left + w, rect, ruler[rpc_matched]);
  if (rec.hasjoined) Bar(canvas, rect.Left + w, rect.Left + 2 * w, rect, ruler[rpc_joined]);
  if (rec.marcacao == marcado_boss)
    Bar(canvas, rect.Left + 2 * w, rect.Left + 4 * w, rect, ruler[rpc_marked_head]);
  else if (rec.marcacao == marcado_subordinate)
    Bar(canvas, rect.Left + 2 * w, rect.Left + 4 * w, rect, ruler[rpc_marked_member]);
  canvas.Brush().SetColor(savedBrush);
  canvas.Pen().SetColor(savedPen);
}

void TQMGridCellHandler::DrawHeadingDecorations(TCanvas& canvas, const TRect& rect, Int32 col) {
  TQM_Grid* g = fCurrentGrid;
  TQMSister* list = g->fCurrentQMList;
  const TColor mark = fWordHandling1ColourDetails[10];
  const TQuillmarkList kind = g->fCurrentListType;
  if ((kind == lt_KWDB_timeline_list || kind == lt_KW_plot_list || kind == lt_concordance_plot_list ||
       kind == lt_conc_timeline_list) &&
      col == list->GetPlotOrTimelineColumnNumber()) {
    TGrid_data_rec top = fthis_cell_data;
    list->GetTopRowDataRec(col, top);
    fthis_cell_data = top;
    const Int32 periods = top.timeline_data.periods;
    const bool twoLines = g->fPreferredLinesPerRow >= 2;
    const TColor savedFont = canvas.Font().Color();
    if (periods > 0) {
      const Double slotW = PeriodPxWidth(rect, periods);
      const Int32 h = (rect.Bottom - rect.Top) / std::max(1, g->fPreferredLinesPerRow);
      for (Int32 p = 0; p < periods; ++p) {
        const TOneTimePeriodRec slot = PeriodRec(p, slotW);
        bool chosen = false;
        if (top.segment_sorted)
          for (const auto v : top.PlotOrTimeline_division_sorts)
            if (static_cast<Int32>(v) == p) chosen = true;
        if (twoLines) {
          canvas.Font().SetColor(chosen ? mark : savedFont);
          Int32 size = canvas.Font().Size();
          PaintDateAtRectTop(canvas, top, rect, size, h, rect.Left + slot.Right, slot.Width - 2, p);
        } else if (chosen) {
          ComputeCircleAndDrawit(canvas, mark, p, periods, rect);
        }
      }
    }
    canvas.Font().SetColor(savedFont);
  }
  if (g->fKindOfDisplay == grid_freq_order) return;
  const Int32 trueColumn = list->Original_Column(col);
  switch (list->GetColumnSortStateAscending(trueColumn)) {
    case b3_verdadeiro: ComputeTriangleAndDrawit(canvas, mark, rect, t4d_up_top); break;
    case b3_falso: ComputeTriangleAndDrawit(canvas, mark, rect, t4d_down_bottom); break;
    default: break;
  }
}

void TQMGridCellHandler::PaintDateAtRectTop(TCanvas& canvas, const TGrid_data_rec& rec, const TRect& rect,
                                            Int32& size, Int32 height, Int32 x, Int32 availableWidth,
                                            Int32 period) {
  (void)size;
  const TTimeLineDisplayBasis basis = rec.timeline_data.basis;
  String label = TimelineDataToJulianDateStr(period, rec.timeline_datearr, basis, false);
  if (canvas.TextWidth(label) >= availableWidth) {
    const String shortForm = TimelineDataToJulianDateStr(period, rec.timeline_datearr, basis, true);
    label = shortForm;
    if (availableWidth < canvas.TextWidth(u"MMM")) {
      if (basis == tlpb_years)
        label = shortForm;
      else if (basis == tlpb_months)
        label = shortForm.substr(0, 1);
      else
        label = IntToStr(period + 1);
    } else if (availableWidth < canvas.TextWidth(u"MMMMM") && basis > tlpb_months) {
      label = Format(u"%s %d", {shortForm, period});
    }
  }
  // Cut from the left until the label fits within 5 pixels more than the room.
  while (label.size() > 1 && canvas.TextWidth(label) >= availableWidth + 5) label.erase(0, 1);
  const Int32 lh = canvas.TextHeight(label);
  const Int32 y = period % 2 == 0 ? std::min(rect.Top + height - lh, rect.Top + lh / 2) : rect.Top;
  canvas.Brush().SetStyle(bsClear);
  canvas.SetBkMode(TRANSPARENT);
  canvas.TextOut(x - canvas.TextWidth(label), y, label);
  canvas.Brush().SetStyle(bsSolid);
}

void TQMGridCellHandler::DrawAPlot(TCanvas& canvas, const TRect& rect, const TGrid_data_rec& rec) {
  const TGeneralPlotArray& plot = rec.plot_data;
  const Int32 n = std::abs(plot.charcount);
  if (plot.positions.empty() || n == 0) return;
  TQM_Grid* g = fCurrentGrid;
  const auto& ruler = fRulerPlotWordCloudFeatures.colours;
  const Int32 cellH = rect.Bottom - rect.Top;
  const Int32 lines = std::max(1, g->fPreferredLinesPerRow);
  Int32 bandTop = rect.Top, bandBottom = rect.Bottom;
  if (lines > 1) {
    const Int32 h = RoundHalfEven(static_cast<Double>(cellH) / lines);
    const Int32 rest = cellH - h;
    bandTop = rect.Top + rest / 2;
    bandBottom = bandTop + h;
  }
  Int32 w = rect.Right - rect.Left;
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetColor(ruler[rpc_margins]);
  VLine(canvas, rect.Left, bandTop, bandBottom + 1);
  if (g->Uniform_plot && largest_charcount > n) {
    w = RoundHalfEven(static_cast<Double>(n) * w / largest_charcount);
    VLine(canvas, rect.Left + w, bandTop, bandBottom + 1);
  } else {
    VLine(canvas, rect.Right - 1, bandTop, bandBottom + 1);
  }
  const Int32 divisions = fRulerPlotWordCloudFeatures.plot_divisions;
  if (g->HasOption(goVertLine) && divisions > 0) {
    canvas.Pen().SetStyle(psDot);
    canvas.Pen().SetColor(ruler[rpc_rulermarks]);
    for (Int32 i = 1; i < divisions; ++i) {
      const Int32 x = rect.Left + RoundHalfEven(static_cast<Double>(i) * w / divisions);
      VLine(canvas, x, bandTop, bandBottom + 1);
    }
    canvas.Pen().SetStyle(psSolid);
  }
  Int32 lastX = -1;
  bool overspill = false;
  // A hit in the last half pixel's worth of text would round onto the plot's
  // far edge (the cell's grid line, or past the end of a uniform plot): it is
  // drawn in the last pixel column of the plot instead, so that every hit
  // leaves a mark inside its cell.
  const Int32 lastColumn = rect.Left + std::max(0, w - 1);
  for (const Int32 pos : plot.positions) {
    const Int32 x =
        std::min(lastColumn, rect.Left + RoundHalfEven(static_cast<Double>(std::abs(static_cast<Int64>(pos))) * w / n));
    if (x == lastX) {
      overspill = true;
      continue;
    }
    if (overspill) {
      canvas.Pen().SetWidth(2);
      canvas.Pen().SetColor(DefaultOrBelowThresholdColour(ruler[rpc_plot_overspill], rec.BelowSortThreshold));
      overspill = false;
    } else {
      canvas.Pen().SetWidth(1);
      canvas.Pen().SetColor(DefaultOrBelowThresholdColour(ruler[rpc_plotmarks], rec.BelowSortThreshold));
    }
    VLine(canvas, x, bandTop + 2, bandBottom - 2);
    lastX = x;
  }
  canvas.Pen().SetWidth(1);
}

void TQMGridCellHandler::DrawATimeline(TCanvas& canvas, const TRect& rect, const TGrid_data_rec& rec) {
  const TTimeLineDataRec& t = rec.timeline_data;
  const Int32 periods = t.periods;
  if (t.wordcounts.empty() || t.total_words == 0 || periods <= 0) return;
  TQM_Grid* g = fCurrentGrid;
  const auto& ruler = fRulerPlotWordCloudFeatures.colours;
  const auto& word = fWordHandling1ColourDetails;
  const Int32 lines = std::max(1, g->fPreferredLinesPerRow);
  const Int32 cellH = rect.Bottom - rect.Top;
  const Int32 h = RoundHalfEven(static_cast<Double>(cellH) / lines);
  const Double slotW = PeriodPxWidth(rect, periods);
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetColor(ruler[rpc_margins]);
  VLine(canvas, rect.Left, rect.Top, rect.Bottom + 1);
  VLine(canvas, rect.Right - 1, rect.Top, rect.Bottom + 1);
  const Int32 savedSize = canvas.Font().Size();
  canvas.Font().SetSize(FixedFontSize());
  for (Int32 i = 0; i < lines; ++i) {
    const Int32 y = rect.Bottom - 1 - i * h;
    canvas.Pen().SetStyle(i == 0 ? psSolid : psDashDotDot);
    canvas.Pen().SetColor(i == 0 ? clBlack : word[8]);
    canvas.MoveTo(rect.Left, y);
    canvas.LineTo(rect.Right, y);
  }
  canvas.Pen().SetStyle(psSolid);
  MyYieldProcess();
  Int32 peak = -1;
  Single best = -1;
  for (const TTimelinePeakRec& p : t.peaks)
    if (p.score > best) {
      best = p.score;
      peak = RoundHalfEven(p.period - 1);
    }
  const Int32 n = std::min<Int32>(periods, static_cast<Int32>(t.wordcounts.size()));
  // The hits of all periods, added up once: each period's point is its share.
  Int64 hitTotal = 0;
  for (const Int32 v : t.hits) hitTotal += v;
  hitTotal = std::max<Int64>(1, hitTotal);
  std::vector<TPoint> hitsLine, scoreLine;
  hitsLine.reserve(static_cast<size_t>(std::max(n, 0)));
  scoreLine.reserve(static_cast<size_t>(std::max(n, 0)));
  for (Int32 p = 0; p < n; ++p) {
    MyYieldProcess();
    const TOneTimePeriodRec slot = PeriodRec(p, slotW);
    const Int32 right = rect.Left + slot.Right;
    if (lines > 2) {
      Int32 size = canvas.Font().Size();
      PaintDateAtRectTop(canvas, rec, rect, size, h, right, slot.Width - 2, p);
    }
    const bool december = t.basis == tlpb_months && p < static_cast<Int32>(rec.timeline_datearr.size()) &&
                          rec.timeline_datearr[static_cast<size_t>(p)].month == 12;
    canvas.Pen().SetColor(december ? word[7] : ruler[rpc_rulermarks]);
    VLine(canvas, right, rect.Top, rect.Bottom + 1);
    const Double share = ProportionOfTotal(t.wordcounts[static_cast<size_t>(p)], t.total_words);
    const Int32 barH = std::min(2 * h, std::max(1, RoundHalfEven(share * 2 * h * periods / 15.0)));
    canvas.Pen().SetColor(DefaultOrBelowThresholdColour(word[4], rec.BelowSortThreshold));
    canvas.Brush().SetColor(DefaultOrBelowThresholdColour(p == peak ? word[6] : word[5], rec.BelowSortThreshold));
    canvas.Rectangle(rect.Left + slot.Left, rect.Bottom - barH, right, rect.Bottom);
    const Int32 mid = rect.Left + (slot.Left + slot.Right) / 2;
    const Int64 hits = p < static_cast<Int32>(t.hits.size()) ? t.hits[static_cast<size_t>(p)] : 0;
    const Double hitShare = ProportionOfTotal(hits, hitTotal);
    hitsLine.push_back(TPoint{mid, rect.Bottom - RoundHalfEven(hitShare * 2 * h)});
    const Single score = p < static_cast<Int32>(rec.timeline_data_scores.size())
                             ? rec.timeline_data_scores[static_cast<size_t>(p)]
                             : 0.0f;
    scoreLine.push_back(TPoint{mid, rect.Bottom - RoundHalfEven(std::clamp<Double>(score, 0, 1) * 2 * h)});
  }
  const auto drawLine = [&](const std::vector<TPoint>& pts, TColor lineColour, TColor dotColour) {
    canvas.Pen().SetColor(DefaultOrBelowThresholdColour(lineColour, rec.BelowSortThreshold));
    if (pts.size() > 1) canvas.Polyline(pts);
    canvas.Brush().SetColor(DefaultOrBelowThresholdColour(dotColour, rec.BelowSortThreshold));
    for (size_t i = 0; i < pts.size(); ++i) {
      if (i % 64 == 63) MyYieldProcess();
      const bool big = static_cast<Int32>(i) == peak || pts.size() < 3;
      const Int32 d = DimensionScaledForDPI(big ? 10 : 5) / 2;
      canvas.Ellipse(pts[i].X - d, pts[i].Y - d, pts[i].X + d, pts[i].Y + d);
    }
  };
  drawLine(hitsLine, word[0], word[1]);
  drawLine(scoreLine, word[2], word[3]);
  canvas.Font().SetSize(savedSize);
}

}  // namespace sk
