// Fuzz target: the fixed records of a saved results list. The first byte
// picks the reader: stored-list information, the stored formula, or one
// entry's private details.
#include <cstddef>
#include <cstdint>

#include "analysis/Work_qm_base.h"
#include "platform/runtime/Streams.h"

namespace {

class TFuzzList : public sk::TQMSister {
 public:
  TFuzzList()
      : TQMSister(nullptr, &sk::NewQMBaseListObject<sk::TQMBaseListObject>, {}, {}, {}, {}, sk::grid_none,
                  sk::lt_word_list, 0) {}
  ~TFuzzList() override { Clear(); }
  void RemoveAnEntry(sk::Int32 index) override {
    sk::TQMBaseListObject* e = (index >= 0 && index < Count()) ? At(index) : nullptr;
    TQMBaseDataClass::RemoveAnEntry(index);
    delete e;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sk;
  if (size == 0) return 0;
  TBytesStream stream(TBytes(data + 1, data + size));
  try {
    switch (data[0] % 3) {
      case 0: {
        TStoredListInfoHolder info;
        if (!info.ReadFromStream(&stream) && info.fdata.stored_version_number != 0) __builtin_trap();
        break;
      }
      case 1: {
        TParseFormulaHandler formula;
        (void)formula.ReadFromStream(&stream);
        break;
      }
      default: {
        TFuzzList list;
        TQMBaseListObject* e = list.AddedABlankEntry(0);
        const bool ok = e->ReadPrivateFromStream(&list, &stream, list.StoredListInfo->fdata);
        if (ok) {
          TMemoryStream out;
          if (!e->SavePrivateToStream(&list, &out, list.StoredListInfo->fdata)) __builtin_trap();
        }
        break;
      }
    }
  } catch (const Exception&) {
    // an over-limit stored string: refused by its exception
  }
  return 0;
}
