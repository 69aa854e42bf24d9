// The saved envelope of a results list.
#include "analysis/Work_qm_base_list.h"
#include "core/Qm_specific_consts.h"

namespace sk {

bool TQMBaseDataClass::SaveToStream(TStream* stream) {
  const bool formula = ParseFormulaHandler->SaveToStream(stream);
  const bool headings = fGridHeadings->SaveToStream(stream);
  StoredListInfo->fdata.can_save_deleted = 1;
  StoredListInfo->fdata.entries = fCount;
  const bool info = StoredListInfo->SaveToStream(stream);
  const bool data = ListSettToSaveSavedToStream(stream);
  const Int32 trailer = sentinel_const;
  const bool end = stream->Write(&trailer, 4) == 4;
  return formula && headings && info && data && end;
}

void TQMBaseDataClass::EmptyAfterFailedRead() {
  Clear();
  StoredListInfo->Clear();
  ParseFormulaHandler = std::make_unique<TParseFormulaHandler>();
  RecomputeColumnSetnums();
  MarcacoesExistentes = 0;
}

bool TQMBaseDataClass::ReadFromStream(TStream* stream) {
  Clear();
  UndoList = std::make_unique<TUndoList>(fEntriesClass);
  UndoList->SetOwner(this);
  MarcacoesExistentes = 0;
  bool ok = false;
  try {
    ok = ParseFormulaHandler->ReadFromStream(stream) && fGridHeadings->ReadFromStream(stream);
    RecomputeColumnSetnums();
    if (ok) {
      StoredListInfo = std::make_unique<TStoredListInfoHolder>();
      ok = StoredListInfo->ReadFromStream(stream);
    }
    if (ok) ok = ListSettToSaveReadFromStream(stream);
    // A record of a version before the trailer existed ends here.
    if (ok && StoredListInfo->fdata.stored_version_number >= 1) ok = stream->ReadValue<Int32>() == sentinel_const;
  } catch (...) {
    EmptyAfterFailedRead();
    throw;
  }
  if (!ok) EmptyAfterFailedRead();
  return ok;
}

}  // namespace sk
