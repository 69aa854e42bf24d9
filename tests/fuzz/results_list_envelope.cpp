// Fuzz target: a saved results list's envelope read by a small tool list
// whose entries carry a word and a frequency. A read either succeeds or
// leaves the list empty; nothing may leak.
#include <cstddef>
#include <cstdint>

#include "analysis/Work_qm_base.h"
#include "core/Stringtag_utils.h"
#include "platform/runtime/Streams.h"

namespace {

using namespace sk;

class TFuzzEntry : public TQMBaseListObject {
 public:
  TFuzzEntry(TQMSister* parent, TQMBaseHolder* holder) : TQMBaseListObject(parent, holder) {}
  bool ReadFromStream(TStream* stream) override {
    if (stream->Remaining() < 4) return false;
    word = ReadAString(stream);
    return stream->Read(&freq, 8) == 8;
  }
  String word;
  Int64 freq = 0;
};

class TFuzzList : public TQMSister {
 public:
  TFuzzList() : TQMSister(nullptr, &NewQMBaseListObject<TFuzzEntry>, {}, {}, {}, {}, grid_none, lt_word_list, 0) {}
  ~TFuzzList() override { Clear(); }
  void RemoveAnEntry(Int32 index) override {
    TQMBaseListObject* e = (index >= 0 && index < Count()) ? At(index) : nullptr;
    TQMBaseDataClass::RemoveAnEntry(index);
    delete e;
  }
  bool ListSettToSaveReadFromStream(TStream* stream) override {
    Int32 n = 0;
    if (!stream->TryReadValue(n) || n < 0 || n > stream->Remaining() / 48) return false;
    for (Int32 i = 0; i < n; ++i) {
      TQMBaseListObject* e = AddedABlankEntry(i);
      if (!e->ReadFromStream(stream) || !e->ReadPrivateFromStream(this, stream, StoredListInfo->fdata)) return false;
    }
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBytesStream stream(TBytes(data, data + size));
  TFuzzList list;
  bool ok = false;
  try {
    ok = list.ReadFromStream(&stream);
  } catch (const Exception&) {
    ok = false;
  }
  if (!ok && (list.Count() != 0 || list.GridHeadings()->Count() != 0 || list.MarcacoesExistentes != 0))
    __builtin_trap();
  return 0;
}
