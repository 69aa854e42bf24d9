// One concordance line exported through word chunks: as text, into a rich
// edit, or into a workbook cell as HTML. The results lists reach it through
// ExportedConcLineHook, which Wordchunklistu's start work sets.
#pragma once

#include "analysis/Work_qm_base_list.h"

namespace sk {

// The line's left context (its last ConcCharactersToExport div 2
// characters), then the node and right context up to ConcCharactersToExport
// characters in all; the text is the result. For as_RTF each chunk is also
// appended to richEdit in its colours and style; for as_Excel_spreadsheet the
// chunks go as HTML into the cell at cellPlace, or, when the holder's export
// settings separate concordance columns, each into the column of its span.
String ExportedConcLineThroughWordChunks(TQMBaseDataClass& list, const TGrid_data_rec& rec, TCanvas* canvas,
                                         TRichEdit* richEdit, TXlsWorkbook* workbook,
                                         const TColRowAndSheet& cellPlace, TSave_as_format format);

// Unit start and stop: the start sets the results lists' export hook, the
// last stop clears it.
void Wordchunklistu_initialization();
void Wordchunklistu_Finalization();

}  // namespace sk
