#include "display/Wordchunklistu_export.h"

#include "analysis/Work_qm_base_cells.h"
#include "core/UnitCounter.h"
#include "display/Wordchunklistu.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/RichEdit.h"
#include "services/Excel_utils2.h"
#include "services/Html_utils.h"
#include "services/Qmbaseholderunit.h"
#include "services/Wdef_definitions.h"

namespace sk {

namespace {

constinit TUnitCounter Wordchunklistu_counter;

// The colours and style the rich edit returns to after each chunk.
const TColourFontRec kDefaultExtraFont{clNone, clBlack, 0};

bool IsRichFormat(TSave_as_format format) { return format == as_RTF || format == as_Excel_spreadsheet; }

bool IsLowSurrogate(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }

struct TExportTarget {
  TSave_as_format format;
  TRichEdit* richEdit;
  TXlsWorkbook* workbook;
  TColRowAndSheet cellPlace;
  bool separated;
  TConcordance_span leftmost;
  TConcordance_span rightmost;
  String html;

  void Write(const TPaintWordChunk& chunk) {
    if (format == as_RTF) {
      if (richEdit == nullptr) return;
      richEdit->AppendText(chunk.w, TRichCharFormat{chunk.colourAndFont.BrushColour, chunk.colourAndFont.FontColour,
                                                    chunk.colourAndFont.typeface});
      richEdit->SelAttributes() =
          TRichCharFormat{kDefaultExtraFont.BrushColour, kDefaultExtraFont.FontColour, kDefaultExtraFont.typeface};
      return;
    }
    if (format != as_Excel_spreadsheet) return;
    if (separated) {
      if (Trim(chunk.w).empty() || workbook == nullptr) return;
      if (chunk.colloc_span < leftmost || chunk.colloc_span > rightmost) return;
      const Int32 col = cellPlace.Colnum + (static_cast<Int32>(chunk.colloc_span) - static_cast<Int32>(leftmost));
      SetACellBackgroundColour(workbook, cellPlace.RowNum, col, chunk.colourAndFont.BrushColour);
      const String existing = GetACellString(workbook, cellPlace.RowNum, col);
      SetACellHTMLString(workbook, cellPlace.RowNum, col, MyHTMLEscape(existing) + TPaintWordChunkToHTML(chunk));
    } else {
      html += TPaintWordChunkToHTML(chunk);
    }
  }
};

}  // namespace

String ExportedConcLineThroughWordChunks(TQMBaseDataClass& list, const TGrid_data_rec& rec, TCanvas* canvas,
                                         TRichEdit* richEdit, TXlsWorkbook* workbook,
                                         const TColRowAndSheet& cellPlace, TSave_as_format format) {
  TForegroundBackGroundColours none;
  none[fb_foregound] = clNone;
  none[fb_background] = clNone;
  TWordChunkList chunks(kDefaultExtraFont, none, wcl_concordance, list.fOnGetPreferredTagForm);
  const Cardinal lcid = list.Patroa != nullptr ? list.Patroa->fLCID : 0;
  const TBiDiMode direction = LCIDToBiDiMode(lcid) == bdRightToLeft ? bdRightToLeft : bdLeftToRight;
  const Int32 n = list.ConcCharactersToExport();
  const Int32 half = n / 2;
  TExportTarget target{format, richEdit, workbook, cellPlace, false, span_L05, span_R05, String()};
  if (list.Patroa != nullptr) {
    target.separated = list.Patroa->ExportRec.settings.export_conc_columns_separated;
    target.leftmost = list.Patroa->ExportRec.leftmost;
    target.rightmost = list.Patroa->ExportRec.rightmost;
  }
  auto load = [&](TLeftOrRight side, const String& padding) {
    chunks.LoadFromConcDetails(padding, rec.TagFileTagsShowArr, rec.conc_tokens, rec.conc_colour_info, side, canvas,
                               lcid, direction, rec.word_tag_display_options, rec.conc_display_options,
                               rec.word_tag_ordering, rec.conc_outside_limits, rec.GridHeading.typefaces,
                               side == at_right && rec.conc_display_options.Contains(conc_blank_out_sw), false,
                               false);
    if (chunks.has_odd_directions) TWordChunkList::ReorderAnyLTRSinRTLSequences(chunks, 0, chunks.Count() - 1);
  };

  String text;
  load(at_left, String());
  if (IsRichFormat(format)) {
    Int32 first = chunks.Count();
    Int32 length = 0;
    while (first > 0 && length + static_cast<Int32>(chunks.Chunk(first - 1).w.size()) <= half) {
      --first;
      length += static_cast<Int32>(chunks.Chunk(first).w.size());
    }
    for (Int32 i = first; i < chunks.Count(); ++i) {
      text += chunks.Chunk(i).w;
      target.Write(chunks.Chunk(i));
    }
  } else {
    for (Int32 i = 0; i < chunks.Count(); ++i) text += chunks.Chunk(i).w;
    if (static_cast<Int32>(text.size()) > half) {
      size_t cut = text.size() - static_cast<size_t>(half);
      // Never keep half of a surrogate pair.
      if (cut < text.size() && IsLowSurrogate(text[cut])) ++cut;
      text.erase(0, cut);
    }
  }

  chunks.Clear();
  const String padding(static_cast<size_t>(rec.concord_padding_chars > 0 ? rec.concord_padding_chars : 0), u' ');
  load(at_right, padding);
  for (Int32 i = 0; i < chunks.Count(); ++i) {
    const TPaintWordChunk& c = chunks.Chunk(i);
    if (static_cast<Int32>(text.size() + c.w.size()) > n) break;
    text += c.w;
    if (IsRichFormat(format)) target.Write(c);
  }
  if (format == as_Excel_spreadsheet && !target.separated && workbook != nullptr)
    SetACellHTMLString(workbook, cellPlace.RowNum, cellPlace.Colnum, target.html);
  return text;
}

void Wordchunklistu_initialization() {
  if (Wordchunklistu_counter.Initialization()) ExportedConcLineHook = &ExportedConcLineThroughWordChunks;
}

void Wordchunklistu_Finalization() {
  if (Wordchunklistu_counter.Finalization()) ExportedConcLineHook = nullptr;
}

}  // namespace sk
