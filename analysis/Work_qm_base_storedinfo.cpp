#include "analysis/Work_qm_base_storedinfo.h"

#include <cstring>

#include "core/Qm_specific_consts.h"
#include "core/Stringtag_utils.h"

namespace sk {

namespace {

// A stored string, of any length its writer wrote; false when the stream
// ends before its count.
bool ReadName(TStream* stream, String& s) {
  if (stream->Remaining() < 4) return false;
  s = ReadAListString(stream);
  return true;
}

}  // namespace

TStoredListInfoHolder::TStoredListInfoHolder() { Clear(); }

void TStoredListInfoHolder::Clear() {
  fdata = TStoredListInfo{};
  fdata.sentinel = sentinel_const;
}

bool TStoredListInfoHolder::SaveToStream(TStream* stream) {
  fdata.can_save_deleted = 1;
  if (fdata.stored_version_number < 1) fdata.stored_version_number = 1;
  TStoredListInfo_fixed raw = fdata;
  raw.alignment_gap = {};
  const bool ok = stream->Write(&raw, sizeof raw) == static_cast<Int64>(sizeof raw);
  const bool a = WriteAString(stream, fdata.info_derives_from_filename);
  const bool b = WriteAString(stream, fdata.matchlist_filename);
  const bool c = WriteAString(stream, fdata.stoplist_filename);
  return ok && a && b && c;
}

bool TStoredListInfoHolder::ReadFromStream(TStream* stream) {
  Clear();
  TStoredListInfo_fixed raw{};
  if (stream->Read(&raw, sizeof raw) != static_cast<Int64>(sizeof raw) || raw.sentinel != sentinel_const) return false;
  TStoredListInfo rec{};
  static_cast<TStoredListInfo_fixed&>(rec) = raw;
  try {
    if (!ReadName(stream, rec.info_derives_from_filename) || !ReadName(stream, rec.matchlist_filename) ||
        !ReadName(stream, rec.stoplist_filename))
      return false;
  } catch (...) {
    Clear();
    throw;
  }
  fdata = std::move(rec);
  return true;
}

void TStoredListInfoHolder::SetExtraSavedDatatemp(Int32 which, Int32 value) {
  if (which == 1)
    fdata.temp1 = value;
  else if (which == 2)
    fdata.temp2 = value;
}

}  // namespace sk
