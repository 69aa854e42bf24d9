// A results list for benchmarks that owns its entries, as a tool's list does.
#pragma once

#include "analysis/Work_qm_base.h"

namespace sk {

class TBenchList : public TQMSister {
 public:
  TBenchList()
      : TQMSister(nullptr, &NewQMBaseListObject<TQMBaseListObject>, {}, {}, {}, {}, grid_none, lt_word_list, 0) {}
  ~TBenchList() override { Clear(); }
  void RemoveAnEntry(Int32 index) override {
    TQMBaseListObject* e = At(index);
    TQMBaseDataClass::RemoveAnEntry(index);
    delete e;
  }
  // Frees entry i and leaves its slot empty until the next Pack.
  void Empty(Int32 i) {
    delete At(i);
    Put(i, nullptr);
  }
};

}  // namespace sk
