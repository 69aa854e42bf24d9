// List boxes: a list of rows of which one may be chosen. A standard list
// shows its items; a virtual one has Count rows and no items; owner-drawn
// styles draw every row through DrawItem on the list's canvas.
#pragma once

#include <functional>
#include <memory>

#include "platform/runtime/StringList.h"
#include "platform/visual/ControlItems.h"
#include "platform/visual/Controls.h"
#include "platform/visual/OwnerDraw.h"

namespace sk {

enum TListBoxStyle : uint8_t { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };

// The text of row index of a virtual list.
using TLBGetDataEvent = std::function<void(TWinControl* Control, Int32 Index, String& Data)>;

// A list box (121 x 97). ItemIndex is -1 while no row is chosen; the user
// choosing a row raises OnClick. In a list of items the chosen item stays
// chosen while other items come and go, and none is chosen once it goes.
class TListBox : public TWinControl {
 public:
  explicit TListBox(TComponent* owner);
  ~TListBox() override;

  TStringList& Items() { return *fItems; }
  TListBoxStyle Style() const { return fStyle; }
  void SetStyle(TListBoxStyle s);
  bool Virtual() const { return fStyle == lbVirtual || fStyle == lbVirtualOwnerDraw; }
  bool OwnerDrawn() const { return fStyle != lbStandard && fStyle != lbVirtual; }
  // The rows: Count of a virtual list, the items' count otherwise.
  Int32 Count() const;
  // Sets the rows of a virtual list (negative: none); ignored otherwise.
  void SetCount(Int32 n);
  Int32 ItemIndex() const { return fItemIndex; }
  void SetItemIndex(Int32 index);
  bool Selected(Int32 index) const { return index >= 0 && index == fItemIndex; }
  Int32 ItemHeight() const { return fItemHeight; }
  void SetItemHeight(Int32 h);
  // The canvas owner-drawn rows are drawn on; it measures text outside a paint.
  TCanvas& Canvas() { return *fCanvas; }
  // Where row index lies on the list box (its visible part may be smaller);
  // empty for a row outside the list.
  TRect ItemRect(Int32 index) const;
  // The text of a row (the item, or OnData's for a virtual list).
  String RowText(Int32 index) const;

  TDrawItemEvent OnDrawItem;
  TLBGetDataEvent OnData;

  // For the visual layer's widgets: draws row index into rect of the
  // painter's surface, with the canvas's colours set for the state.
  void PaintItem(QPainter* painter, TSize extent, Int32 index, const TRect& rect, TOwnerDrawState state);
  // For the visual layer's widgets: the user chose row index.
  void WidgetChose(Int32 index);

 protected:
  // Draws one row: OnDrawItem when set; otherwise the row filled with the
  // brush and its text.
  virtual void DrawItem(Int32 index, const TRect& rect, TOwnerDrawState state);
  void RowsChanged();

 private:
  void ItemsEdited(TItemsEdit edit, Int32 a, Int32 b);
  void Choose(Int32 index);
  std::unique_ptr<TControlItems> fItems;
  std::unique_ptr<TCanvas> fCanvas;
  TListBoxStyle fStyle = lbStandard;
  Int32 fCount = 0;
  Int32 fItemIndex = -1;
  String fChosenText;
  Int32 fItemHeight = 16;
  bool fSetting = false;
};

}  // namespace sk
