// Colour pickers over the shared list of named colours: a list box of
// swatches and a labelled colour box. Each row shows the shared entry that
// its index array (row to shared-list index) names.
#pragma once

#include <vector>

#include "platform/visual/ListBoxes.h"
#include "ui/Colour_utils.h"
#include "ui/Labelledcomponents_labelled.h"

namespace sk {

enum TShowHexOrDescription : uint8_t { ts_index, ts_hex, ts_description };
// Set of TShowHexOrDescription, bit k for the value of ordinal k.
using TShowHexOrDescriptionSet = Byte;
inline constexpr TShowHexOrDescriptionSet ShowTextBit(TShowHexOrDescription v) {
  return static_cast<TShowHexOrDescriptionSet>(1u << v);
}

// A list of the shared colours (80 x 70): one owner-drawn row per entry, a
// marker for the default colour, a swatch, and the row number, hexadecimal
// value or name as ShowText asks.
class TColourSharingListbox : public TListBox {
 public:
  explicit TColourSharingListbox(TComponent* owner);
  ~TColourSharingListbox() override;

  // The colour of row's entry; clNone for a row outside the list.
  TColor GetAColour(Int32 row) const;
  TColor GetASelected() const { return GetAColour(ItemIndex()); }
  // Selects the row of that colour; none when no row holds it.
  void SetASelected(TColor c);
  // The selected entry's name; "" when none is selected.
  String SelectedColourName() const;
  TColor DefaultColour() const { return fDefaultColour; }
  void SetDefaultColour(TColor c);
  TShowHexOrDescriptionSet ShowText() const { return fShowText; }
  void SetShowText(TShowHexOrDescriptionSet s);
  // The rows in the shared list's sorted order.
  void SortTheColours(TColorArraySortType sortType, bool ascending);
  const std::vector<Byte>& NDX() const { return fNDX; }
  // The text a row shows: the row number from 1 ("%.3d"), the colour value
  // ("%.8x") and the name, as ShowText asks, with blanks between.
  String RowCaption(Int32 row) const;

 protected:
  void CreateWnd() override;
  void DrawItem(Int32 index, const TRect& rect, TOwnerDrawState state) override;
  void MyDrawItem(Int32 row, TRect rect, TOwnerDrawState state);

 private:
  TColor fDefaultColour = clNone;
  std::vector<Byte> fNDX;
  TShowHexOrDescriptionSet fShowText = ShowTextBit(ts_description);
};

// A labelled colour box of the shared colours: each row a framed swatch and
// the colour's name, in the order of the shared list's first sort,
// descending.
class TLabelledColourSharingCombo : public TLabelledControl<TColorBox, lpr_plain, false> {
 public:
  explicit TLabelledColourSharingCombo(TComponent* owner);
  ~TLabelledColourSharingCombo() override;

  TColor GetAColour(Int32 row) const;
  TColor GetSelected() const { return GetAColour(ItemIndex()); }
  void SetSelected(TColor c);
  String SelectedColourName() const;
  void SortTheColours(TColorArraySortType sortType, bool ascending);
  const std::vector<Byte>& NDX() const { return fNDX; }

 protected:
  void CreateWnd() override;
  // One placeholder item per shared entry.
  void GetColours(TObject* Sender, TStrings& items);
  void DrawItem(Int32 index, const TRect& rect, TOwnerDrawState state) override;

 private:
  std::vector<Byte> fNDX;
};

}  // namespace sk
