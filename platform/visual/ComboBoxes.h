// Combo boxes: an edit or a closed list with a list that drops down, and the
// colour box whose rows show colours.
//
// The items are a string list the combo box owns; the list on the screen
// follows every change of it, row by row (a batch between BeginUpdate and
// EndUpdate, or a change of many rows at once, is taken in whole). ItemIndex
// is -1 while no item is chosen; the chosen item stays chosen while other
// items come and go, and none is chosen once it goes. Owner-
// drawn styles draw each row, and the chosen row in the closed box, through
// DrawItem on the box's canvas.
#pragma once

#include <memory>
#include <vector>

#include "platform/runtime/StringList.h"
#include "platform/visual/ControlItems.h"
#include "platform/visual/Controls.h"
#include "platform/visual/OwnerDraw.h"

namespace sk {

enum TComboBoxStyle : uint8_t { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// A combo box (145 x 23; csDropDown: its text can be typed).
class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* owner = nullptr);
  ~TComboBox() override;

  TStringList& Items() { return *fItems; }
  const TStringList& Items() const { return *fItems; }
  // The edit's text (csDropDown, csSimple), else the chosen item's text.
  // Setting it chooses the item of that text (compared without regard to
  // case), or none.
  String GetText() const override;
  void SetText(const String& s) override;
  Int32 ItemIndex() const { return fItemIndex; }
  // Chooses the item (-1 or an index outside the items: none).
  void SetItemIndex(Int32 index);
  TComboBoxStyle Style() const { return fStyle; }
  void SetStyle(TComboBoxStyle s);
  bool OwnerDrawn() const { return fStyle == csOwnerDrawFixed || fStyle == csOwnerDrawVariable; }
  // Height of a row of the dropped-down list (owner-drawn styles).
  Int32 ItemHeight() const { return fItemHeight; }
  void SetItemHeight(Int32 h);
  Int32 DropDownCount() const { return fDropDownCount; }
  void SetDropDownCount(Int32 n);
  // The canvas owner-drawn rows are drawn on; it measures text outside a paint.
  TCanvas& Canvas() { return *fCanvas; }

  // Raised when the user types in the edit, and when the user chooses an
  // item while OnSelect is not set; never for changes made by code.
  TNotifyEvent OnChange;
  // Raised when the user chooses an item of the list.
  TNotifyEvent OnSelect;
  TDrawItemEvent OnDrawItem;

  // For the visual layer's widgets: draws row index into rect of the
  // painter's surface, with the canvas's colours set for the state.
  void PaintItem(QPainter* painter, TSize extent, Int32 index, const TRect& rect, TOwnerDrawState state);
  // For the visual layer's widgets: the user chose item index / typed text.
  void WidgetChose(Int32 index);
  void WidgetTyped();

 protected:
  // Draws one row: OnDrawItem when set; otherwise the row filled with the
  // brush and the item's text.
  virtual void DrawItem(Int32 index, const TRect& rect, TOwnerDrawState state);
  virtual void Change();
  virtual void Select();
  // The items changed as edit says (TControlItems).
  void ItemsEdited(TItemsEdit edit, Int32 a, Int32 b);

 private:
  void ApplyStyle();
  void FillWidget();
  void Choose(Int32 index);
  std::unique_ptr<TControlItems> fItems;
  std::unique_ptr<TCanvas> fCanvas;
  TComboBoxStyle fStyle = csDropDown;
  Int32 fItemIndex = -1;
  String fChosenText;
  Int32 fItemHeight = 16;
  Int32 fDropDownCount = 8;
  bool fFilling = false;
  // The widget missed changes made inside a batch.
  bool fWidgetStale = false;
};

// ---------------------------------------------------------------------------

enum TColorBoxStyleFlag : uint8_t {
  cbStandardColors,
  cbExtendedColors,
  cbSystemColors,
  cbIncludeNone,
  cbIncludeDefault,
  cbCustomColor,
  cbPrettyNames,
  cbCustomColors
};
// Set of TColorBoxStyleFlag, bit k for the flag of ordinal k.
using TColorBoxStyle = Word;
inline constexpr TColorBoxStyle ColorBoxFlag(TColorBoxStyleFlag f) { return static_cast<TColorBoxStyle>(1u << f); }

// Fills the items of a colour box whose style holds cbCustomColors.
using TGetColorsEvent = std::function<void(TObject* Sender, TStrings& Items)>;

// A combo box of colours (owner-drawn, a closed list): each row a swatch of
// its colour and its name. The rows are made when the window is made and
// whenever the colour style changes: with cbCustomColors by OnGetColors,
// otherwise the named colours the style asks for ("cl" names, without "cl"
// with cbPrettyNames).
class TColorBox : public TComboBox {
 public:
  explicit TColorBox(TComponent* owner);
  ~TColorBox() override;

  TColorBoxStyle ColorStyle() const { return fColorStyle; }
  void SetColorStyle(TColorBoxStyle s);
  // The colour of row i; clNone outside the rows and for rows that custom
  // colours added without one.
  TColor Colors(Int32 i) const;
  // The chosen row's colour (clNone when none); choosing a colour chooses its
  // first row, or none.
  TColor Selected() const { return Colors(ItemIndex()); }
  void SetSelected(TColor c);

  TGetColorsEvent OnGetColors;

 protected:
  void CreateWnd() override;
  void DrawItem(Int32 index, const TRect& rect, TOwnerDrawState state) override;
  // Makes the rows again.
  virtual void PopulateList();

 private:
  TColorBoxStyle fColorStyle = ColorBoxFlag(cbStandardColors) | ColorBoxFlag(cbExtendedColors) |
                               ColorBoxFlag(cbSystemColors);
  std::vector<TColor> fColors;
};

}  // namespace sk
