// Cell records, entry details and the concordance-line export of the
// results lists.
#include <algorithm>

#include "analysis/Base_heading_consts.h"
#include "analysis/Work_base_elements.h"
#include "analysis/Work_qm_base_cells.h"
#include "analysis/Work_qm_base_list.h"
#include "analysis/Work_qm_base_sister.h"
#include "core/Global_vars.h"
#include "core/Juliandateroutines.h"
#include "core/My_string_functions_notation.h"
#include "core/My_string_functions_numbers_in_text.h"
#include "core/My_string_functions_readable.h"
#include "core/My_string_functions_tabfields.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/RtlMath.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Strings.h"
#include "services/Qmbaseholderunit.h"

namespace sk {

namespace {

String& FirstTokenText(TGrid_data_rec& rec) {
  if (rec.cluster_tokens.empty()) rec.cluster_tokens.emplace_back();
  return rec.cluster_tokens.front().wrd;
}

String DateCellText(Double textualDate, TTimeLineDisplayBasis basis, bool abbreviated) {
  return textualDate == 0 ? String(u"??") : JulianToStringRemovingConst(textualDate, basis, abbreviated);
}

}  // namespace

TGrid_data_rec TQMBaseDataClass::DrawgridDataRec(Int32 column, Int32 gridRow, TGrid_alternatives gridKind) {
  TGrid_data_rec rec{};
  rec.cell_specific_colours[fb_foregound] = clNone;
  rec.cell_specific_colours[fb_background] = clNone;
  rec.cluster_tokens.resize(1);
  rec.GridRow = gridRow;
  rec.DataRow = ConvertedForFrequency(gridRow - 1, gridKind);
  rec.GridHeading = OneGridHeading(column, gridKind);
  if (rec.GridHeading.numerical) rec.data_type = ddt_number;
  rec.TrueColumn = rec.GridHeading.original_column;
  if (gridRow == 0 && rec.TrueColumn == 0) {
    rec.DataOK = true;
    rec.IsEdgeData = true;
    rec.GridHeading.alignment = aligned_right;
    rec.data_type = ddt_string;
    rec.cluster_tokens[0].wrd = LoadResString(&_QMH_W_hn_N_1_0);
  } else if (!(gridRow > 0 && rec.TrueColumn > 0)) {
    if (gridRow != 0 || rec.TrueColumn < 1)
      rec.n_and_disp.computed_value = gridRow;
    else
      GetTopRowDataRec(rec.TrueColumn, rec);
  }
  rec.IsMainWordColumn = rec.TrueColumn == MainWordColumn();
  // Heading cells stay valid; other cells are valid for rows of the list.
  const bool inRange = rec.DataRow >= 0 && rec.DataRow < fCount + OverallCount(BaseGridKind);
  rec.DataOK = rec.DataOK || inRange;
  if (inRange && rec.DataRow < fCount) AddSpecialFeaturesToDrawGridDataRec(rec.DataRow, rec);
  return rec;
}

void TQMBaseDataClass::GetTopRowDataRec(Int32 column, TGrid_data_rec& rec) {
  rec.DataOK = true;
  rec.IsEdgeData = true;
  rec.data_type = ddt_string;
  rec.cluster_tokens = StringToClusterStringAndTags(rec.GridHeading.numerical ? CheckedPPMFormatHeading(column, rec)
                                                                               : rec.GridHeading.heading);
}

void TQMBaseDataClass::AddSpecialFeaturesToDrawGridDataRec(Int32 dataRow, TGrid_data_rec& rec) {
  if (!InRange(dataRow)) return;
  const TSpecialFeaturesSet sf = GetSpecialFeatures(dataRow);
  if (sf.Empty()) return;
  if (sf.Contains(sf_Bookmarked)) rec.bookmark = GetBookMarkNumber(dataRow);
  if (sf.Contains(sf_category_coloured))
    rec.cell_specific_colours[fb_background] = GetACategoryColour(dataRow, rec.TrueColumn);
  rec.deleted = sf.Contains(sf_deleted);
  if (sf.Contains(sf_first_marked))
    rec.marcacao = marcado_boss;
  else if (sf.Contains(sf_marked))
    rec.marcacao = marcado_subordinate;
  rec.matched = sf.Contains(sf_matched);
  rec.hasjoined = sf.Contains(sf_hasJoined);
  rec.joined_elsewhere = sf.Contains(sf_joinedElsewhere);
}

void TQMBaseDataClass::LeftmostColumnDataRec(Int32 row, TGrid_data_rec& rec) {
  rec.IsEdgeData = true;
  rec.data_type = ddt_number;
  rec.n_and_disp.number_freedom = ndf_integer_only;
  rec.GridHeading.typefaces = 0;
  rec.GridHeading.alignment = aligned_right;
  rec.GridHeading.decimals = 0;
  rec.n_and_disp.computed_value = row;
}

bool TQMBaseDataClass::ColumnIsNumerical(Int32 column) { return fGridHeadings->GetANumerical(column); }

bool TQMBaseDataClass::ColumnIsFloatingPoint(Int32 column) {
  return ColumnIsNumerical(column) && fGridHeadings->GetDatum(column).decimals > 0;
}

TGridDataArrayRec TQMBaseDataClass::EntryDetailsAsGridDataRecs(Int32 row, bool all) {
  TGridDataArrayRec result;
  const Int32 n = fGridHeadings->Count();
  result.data_array.resize(static_cast<size_t>(n));
  for (Int32 col = 0; col < n; ++col) {
    TGrid_data_rec& slot = result.data_array[static_cast<size_t>(col)];
    const TGrid_head head = fGridHeadings->GetDatum(col);
    if (!all && (head.escondido || head.pixel_width96 < 3)) {
      slot.GridHeading = head;
      continue;
    }
    slot = DrawgridDataRec(col, row, BaseGridKind);
    if (slot.n_and_disp.number_preference != ndp_percent)
      slot.GridHeading.heading = NumberDisplayToHeading(slot.n_and_disp.number_preference);
    if (!slot.DataOK && !slot.IsEdgeData) return TGridDataArrayRec{};
  }
  for (const TGrid_data_rec& r : result.data_array) {
    if (r.deleted) result.is_deleted_line = true;
    if (r.joined_elsewhere) result.is_lemma_variant_line = true;
  }
  return result;
}

String TQMBaseDataClass::EntryDetailsAsString(Int32 row) {
  String result;
  const Int32 n = fGridHeadings->Count();
  for (Int32 col = 0; col < n; ++col) {
    const TGrid_head head = fGridHeadings->GetDatum(col);
    if (head.escondido || head.pixel_width96 < 3) continue;
    const TGrid_data_rec rec = DrawgridDataRec(col, row, BaseGridKind);
    String value;
    switch (rec.data_type) {
      case ddt_string:
        if (!rec.cluster_tokens.empty()) value = rec.cluster_tokens.front().wrd;
        break;
      case ddt_number: {
        // Thousands grouped; no decimal separator without decimals.
        String mask = u"###0,";
        if (rec.GridHeading.decimals > 0) mask += u"." + String(rec.GridHeading.decimals, u'0');
        value = FormatFloat(mask, rec.n_and_disp.computed_value, Global_StringToDateTimeFormat);
        break;
      }
      case ddt_julian_date: value = DateCellText(rec.textual_date, GetTimelineSettings().basis, false); break;
      default: break;
    }
    result = AddWithTab(result, rec.GridHeading.heading + u": " + value);
  }
  return result;
}

TStringListAndInteger TQMBaseDataClass::SelectedStatsFilenames(Int32 row) {
  TStringListAndInteger r;
  r.list = std::make_unique<TStringList>();
  r.list->Add(ListTypeAsString(fList_type));
  if (row < 0)
    r.list->Add(Format(u"line %.0n to %.0n", {1.0, static_cast<Double>(fCount)}));
  else
    r.list->Add(Format(u"Row %.0n", {static_cast<Double>(row) + 1}) + u": " + GetMainWordAsString(row));
  r.list->Add(String());
  return r;
}

std::unique_ptr<TStringList> TQMBaseDataClass::SearchWordsAsStringlist() { return std::make_unique<TStringList>(); }

TQMEntryDetailsRec TQMBaseDataClass::AnEntryDetails(TQMBaseListObject* entry) {
  TQMEntryDetailsRec r{};
  if (entry == nullptr) return r;
  r.main_word2_arr = entry->MainWord2StringTagArr();
  r.main_word_arr = entry->MainWordStringTagArr();
  r.main_n_texts = entry->MainNTexts();
  r.main_dispersion = entry->MainWordDispersion();
  r.main_freq = entry->MainWordFrequency();
  r.joint_freq = entry->JointFrequency();
  return r;
}

TQMEntryDetailsRec TQMBaseDataClass::AnEntryDetails(Int32 row) {
  TQMEntryDetailsRec r = AnEntryDetails(Get(row));
  r.main_JoinlistAndDetails = GetJoinListAndDetails(row);
  return r;
}

std::vector<TStringTag> TQMBaseDataClass::CopyOfClusterTokens(const std::vector<TStringTag>& tokens) {
  return std::vector<TStringTag>(tokens.begin(), tokens.end());
}

std::vector<TStringTag> TQMBaseDataClass::CopyOfClusterTokens(const std::vector<TPcharTag>& tokens) {
  std::vector<TStringTag> r;
  r.reserve(tokens.size());
  for (const TPcharTag& t : tokens) r.push_back(TStringTag{t.wrd.ToString(), t.tag.ToString(), t.tagnum_2B});
  return r;
}

String TQMBaseDataClass::ExportedConcLineToSaveAsformat(const TGrid_data_rec& rec, TCanvas* canvas,
                                                        TRichEdit* richEdit, TXlsWorkbook* workbook,
                                                        const TColRowAndSheet& cellPlace, TSave_as_format format) {
  if (ExportedConcLineHook == nullptr) return String();
  return ExportedConcLineHook(*this, rec, canvas, richEdit, workbook, cellPlace, format);
}

// ---------------------------------------------------------------------------

void TQMSister::FormatRelevantDataAsString(TGrid_data_rec& rec) {
  if (rec.data_type == ddt_number) {
    const bool thousands = Patroa != nullptr && Patroa->ExportRec.settings.separate_thousands;
    const TNumberDisplayAndSinglesRec& nd = rec.n_and_disp;
    switch (nd.number_freedom) {
      case ndf_integer_only: FirstTokenText(rec) = IntToStr(Round(nd.computed_value)); break;
      case ndf_raw_float_only:
        FirstTokenText(rec) = FormattedWithDecimals(nd, rec.GridHeading.decimals, thousands);
        break;
      case ndf_preference:
        if (nd.number_preference < 3)
          FirstTokenText(rec) = FormattedWithDecimals(nd, rec.GridHeading.decimals, thousands);
        break;
    }
    rec.data_type = ddt_string;
  } else if (rec.data_type == ddt_julian_date) {
    FirstTokenText(rec) = DateCellText(rec.textual_date, GetTimelineSettings().basis, true);
    rec.data_type = ddt_string;
  }
}

}  // namespace sk
