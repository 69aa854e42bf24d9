// The items of a list control (combo box, list box): a string list that tells
// its control what each change did, so that the control follows it row by
// row (its widget and its chosen row) instead of taking the whole list in
// again at every change.
#pragma once

#include <functional>

#include "platform/runtime/StringList.h"

namespace sk {

enum TItemsEdit : uint8_t {
  ieInserted,   // a line came in at a
  ieDeleted,    // the line at a went
  iePut,        // the text of the line at a changed
  ieMoved,      // the line at a went to b
  ieExchanged,  // the lines at a and b changed places
  ieReset,      // anything else (cleared, sorted, taken in bulk): lines may be anywhere
  ieBatchEnded  // the last EndUpdate: the lines changed inside the batch are told above
};

class TControlItems : public TStringList {
 public:
  // Called after every change, inside a BeginUpdate batch too (the control
  // then keeps its chosen row and leaves its widget for the batch's end).
  std::function<void(TItemsEdit edit, Int32 a, Int32 b)> OnEdited;

  Int32 AddObject(const String& s, TObject* obj) override;
  void InsertObject(Int32 index, const String& s, TObject* obj) override;
  void Delete(Int32 index) override;
  void Put(Int32 index, const String& s) override;
  void Move(Int32 curIndex, Int32 newIndex) override;
  void Exchange(Int32 index1, Int32 index2) override;

  // The chosen row after an edit: kept on its line while other lines come
  // and go, -1 when its line goes. After ieReset, the line at chosen if its
  // text is still chosenText, else the first line of that text, else -1.
  Int32 Follow(Int32 chosen, const String& chosenText, TItemsEdit edit, Int32 a, Int32 b) const;

 protected:
  void Changed() override;
  void SetUpdateState(bool updating) override;

 private:
  void Tell(TItemsEdit edit, Int32 a, Int32 b);
  // Set while one of the edits above runs: its own Changed is told by it.
  Int32 fTelling = 0;
};

}  // namespace sk
