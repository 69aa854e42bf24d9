// The undo and redo stacks a results list owns. Here only the stacks
// themselves: what each recorded action holds and how it is undone belong to
// the list's editing operations.
#pragma once

#include <memory>
#include <vector>

#include "analysis/Work_qm_base_entries.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// One recorded action.
class TUnOrReDoActionHolder : public TObject {
 public:
  explicit TUnOrReDoActionHolder(TUnOrReDoActions action) : action(action) {}
  TUnOrReDoActions action;
};

// Recorded actions, newest at index 0; owns them.
class TMyActionList : public TObject {
 public:
  explicit TMyActionList(TQMBaseListObjectClass entriesClass) : fEntriesClass(entriesClass) {}
  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  void Clear() { fItems.clear(); }

  TQMBaseListObjectClass fEntriesClass;

 protected:
  std::vector<std::unique_ptr<TUnOrReDoActionHolder>> fItems;
};

class TUndoList : public TObject {
 public:
  explicit TUndoList(TQMBaseListObjectClass entriesClass)
      : fRedoActions(std::make_unique<TMyActionList>(entriesClass)),
        fUndoActions(std::make_unique<TMyActionList>(entriesClass)),
        fEntriesClass(entriesClass) {}

  std::unique_ptr<TMyActionList> fRedoActions;
  std::unique_ptr<TMyActionList> fUndoActions;
  TQMBaseListObjectClass fEntriesClass;
};

}  // namespace sk
