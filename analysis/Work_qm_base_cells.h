// The concordance-line export of the results lists works on word chunks,
// which the display layer builds: the display layer installs it here when it
// starts, and the lists call it through this hook.
#pragma once

#include "analysis/Work_qm_base_list.h"

namespace sk {

using TExportedConcLineProc = String (*)(TQMBaseDataClass& list, const TGrid_data_rec& rec, TCanvas* canvas,
                                         TRichEdit* richEdit, TXlsWorkbook* workbook,
                                         const TColRowAndSheet& cellPlace, TSave_as_format format);

// The installed export; nullptr until the display layer starts.
inline constinit TExportedConcLineProc ExportedConcLineHook = nullptr;

}  // namespace sk
