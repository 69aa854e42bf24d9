// The stored-list information of a results list and its stream: the 208 raw
// bytes of TStoredListInfo (sentinel 6789 at offset 200), then the three file
// names as stored strings (info_derives_from_filename, matchlist_filename,
// stoplist_filename).
#pragma once

#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

class TStoredListInfoHolder : public TObject {
 public:
  // Cleared.
  TStoredListInfoHolder();
  // A copy of the record.
  explicit TStoredListInfoHolder(const TStoredListInfo& rec) : fdata(rec) {}

  // Every field zero or empty, sentinel 6789.
  void Clear();
  // Sets can_save_deleted and raises stored_version_number to at least 1;
  // true when the 208 bytes and the three strings were written whole.
  bool SaveToStream(TStream* stream);
  // Clears, then reads; true only when all 208 bytes arrived, the sentinel is
  // 6789 and the three strings were read. A record that fails leaves the
  // holder cleared and no string is read. A stored string that fails its
  // checks raises its exception (the holder is then cleared).
  bool ReadFromStream(TStream* stream);

  Int32 GetNodeSWCount() const { return fdata.NodeSearchWordsCount; }
  void SetNodeSWCount(Int32 n) { fdata.NodeSearchWordsCount = n; }
  bool GetNTextsChecked() const { return fdata.n_texts_checked != 0; }
  void SetNTextsChecked(bool b) { fdata.n_texts_checked = b ? 1 : 0; }
  bool GetIsLemmatised() const { return fdata.lemmatised != 0; }
  void SetIsLemmatised(bool b) { fdata.lemmatised = b ? 1 : 0; }
  bool GetSomeDataFieldsMissing() const { return fdata.SomeDataMissing != 0; }
  void SetSomeDataFieldsMissing(bool b) { fdata.SomeDataMissing = b ? 1 : 0; }
  bool GetHasDispersionData() const { return fdata.has_dispersion_data != 0; }
  void SetHasDispersionData(bool b) { fdata.has_dispersion_data = b ? 1 : 0; }
  bool GetBasedOnClusters() const { return fdata.based_on_clusters != 0; }
  void SetBasedOnClusters(bool b) { fdata.based_on_clusters = b ? 1 : 0; }
  // Not lemmatised, or the texts were checked.
  bool NotLemmatisedOrNTextsChecked() const { return fdata.lemmatised == 0 || fdata.n_texts_checked != 0; }
  // which 1 sets temp1, 2 sets temp2, anything else nothing.
  void SetExtraSavedDatatemp(Int32 which, Int32 value);

  TStoredListInfo fdata;
};

}  // namespace sk
