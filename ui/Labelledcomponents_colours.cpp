#include "ui/Labelledcomponents_colours.h"

#include <algorithm>

#include "platform/runtime/Colors.h"
#include "platform/runtime/Format.h"

namespace sk {

namespace {

std::vector<Byte> IdentityOrder() {
  std::vector<Byte> order;
  const Int32 n = MySharedColourList != nullptr ? MySharedColourList->Count() : 0;
  for (Int32 i = 0; i < n; ++i) order.push_back(static_cast<Byte>(i));
  return order;
}

const TMyColourHolder* EntryOfRow(const std::vector<Byte>& order, Int32 row) {
  if (row < 0 || row >= static_cast<Int32>(order.size()) || MySharedColourList == nullptr) return nullptr;
  const Int32 i = order[static_cast<size_t>(row)];
  return i < MySharedColourList->Count() ? MySharedColourList->Items(i) : nullptr;
}

Int32 RowOfColour(const std::vector<Byte>& order, TColor c) {
  if (MySharedColourList == nullptr) return -1;
  const Int32 i = MySharedColourList->IndexOfColour(c);
  if (i < 0) return -1;
  const auto it = std::find(order.begin(), order.end(), static_cast<Byte>(i));
  return it == order.end() ? -1 : static_cast<Int32>(it - order.begin());
}

Int32 SharedCount() { return MySharedColourList != nullptr ? MySharedColourList->Count() : 0; }

}  // namespace

// ---------------------------------------------------------------------------

TColourSharingListbox::TColourSharingListbox(TComponent* owner) : TListBox(owner), fNDX(IdentityOrder()) {
  SetBounds(Left(), Top(), 80, 70);
}

TColourSharingListbox::~TColourSharingListbox() { Destroying(); }

TColor TColourSharingListbox::GetAColour(Int32 row) const {
  const TMyColourHolder* h = EntryOfRow(fNDX, row);
  return h != nullptr ? h->data.c : clNone;
}

void TColourSharingListbox::SetASelected(TColor c) { SetItemIndex(RowOfColour(fNDX, c)); }

String TColourSharingListbox::SelectedColourName() const {
  const TMyColourHolder* h = EntryOfRow(fNDX, ItemIndex());
  return h != nullptr ? h->data.name : String();
}

void TColourSharingListbox::SetDefaultColour(TColor c) {
  fDefaultColour = c;
  Invalidate();
}

void TColourSharingListbox::SetShowText(TShowHexOrDescriptionSet s) {
  if (s == fShowText) return;
  fShowText = s;
  Invalidate();
}

void TColourSharingListbox::SortTheColours(TColorArraySortType sortType, bool ascending) {
  if (MySharedColourList != nullptr) fNDX = MySharedColourList->SortedColours(sortType, ascending);
  Invalidate();
  if (Widget() != nullptr) RowsChanged();
}

void TColourSharingListbox::CreateWnd() {
  TListBox::CreateWnd();
  SetStyle(lbVirtualOwnerDraw);
  SetCount(SharedCount());
  SetParentFont(true);
}

void TColourSharingListbox::DrawItem(Int32 index, const TRect& rect, TOwnerDrawState state) {
  MyDrawItem(index, rect, state);
}

void TColourSharingListbox::MyDrawItem(Int32 row, TRect rect, TOwnerDrawState state) {
  if (row < 0 || row >= Count()) return;
  TCanvas& c = Canvas();
  const Int32 w = c.TextWidth(u"M");
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(clWindow);
  c.Font().SetColor(clWindowText);
  c.FillRect(rect);
  if (HasOwnerDrawFlag(state, odSelected) || HasOwnerDrawFlag(state, odFocused)) {
    c.Brush().SetColor(clHighlight);
    c.Font().SetColor(clHighlightText);
    c.FillRect(rect);
  }
  const Int32 middle = rect.Top + (rect.Bottom - rect.Top) / 2;
  const TRect marker{rect.Left, middle - w / 2, w, rect.Top + w};
  rect.Left += w;
  const TColor colour = GetAColour(row);
  if (colour == fDefaultColour) {
    const TColor brush = c.Brush().Color();
    c.Brush().SetColor(clHighlight);
    c.Pen().SetColor(clHighlight);
    c.Ellipse(marker);
    c.Brush().SetColor(brush);
  }
  TRect swatch{rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
  swatch.Right = swatch.Left + std::min(c.TextWidth(u"99999999"), ClientWidth() / 4);
  const TColor brush = c.Brush().Color();
  c.Brush().SetColor(colour);
  c.FillRect(swatch);
  c.Brush().SetColor(brush);
  const String text = RowCaption(row);
  if (!text.empty()) {
    c.Brush().SetStyle(bsClear);
    c.TextOut(swatch.Right + w, swatch.Top + 1, text);
    c.Brush().SetStyle(bsSolid);
  }
}

String TColourSharingListbox::RowCaption(Int32 row) const {
  String text;
  if (fShowText & ShowTextBit(ts_index)) text = Format(u"%.3d", {row + 1});
  if (fShowText & ShowTextBit(ts_hex)) text += (text.empty() ? u"" : u" ") + Format(u"%.8x", {GetAColour(row)});
  if (fShowText & ShowTextBit(ts_description)) {
    const TMyColourHolder* h = EntryOfRow(fNDX, row);
    text += (text.empty() ? u"" : u" ") + (h != nullptr ? h->data.name : String());
  }
  return text;
}

// ---------------------------------------------------------------------------

TLabelledColourSharingCombo::TLabelledColourSharingCombo(TComponent* owner) : TLabelledControl(owner) {
  if (MySharedColourList != nullptr) fNDX = MySharedColourList->SortedColours(csaHue, false);
}

TLabelledColourSharingCombo::~TLabelledColourSharingCombo() { Destroying(); }

TColor TLabelledColourSharingCombo::GetAColour(Int32 row) const {
  const TMyColourHolder* h = EntryOfRow(fNDX, row);
  return h != nullptr ? h->data.c : clNone;
}

void TLabelledColourSharingCombo::SetSelected(TColor c) { SetItemIndex(RowOfColour(fNDX, c)); }

String TLabelledColourSharingCombo::SelectedColourName() const {
  const TMyColourHolder* h = EntryOfRow(fNDX, ItemIndex());
  return h != nullptr ? h->data.name : String();
}

void TLabelledColourSharingCombo::SortTheColours(TColorArraySortType sortType, bool ascending) {
  if (MySharedColourList != nullptr) fNDX = MySharedColourList->SortedColours(sortType, ascending);
  Invalidate();
}

void TLabelledColourSharingCombo::CreateWnd() {
  SetParentFont(true);
  OnGetColors = [this](TObject* sender, TStrings& items) { GetColours(sender, items); };
  SetColorStyle(ColorBoxFlag(cbCustomColors));
  TLabelledControl::CreateWnd();
}

void TLabelledColourSharingCombo::GetColours(TObject* Sender, TStrings& items) {
  (void)Sender;
  items.Clear();
  for (Int32 i = 0; i < SharedCount(); ++i) items.Add(u" ");
}

void TLabelledColourSharingCombo::DrawItem(Int32 index, const TRect& rect, TOwnerDrawState state) {
  if (index < 0 || index >= SharedCount()) return;
  TCanvas& c = Canvas();
  c.FillRect(rect);
  const TColor brush = c.Brush().Color();
  const Int32 h = rect.Bottom - rect.Top;
  const TRect swatch{rect.Left + 1, rect.Top + 1, rect.Left + h - 1, rect.Bottom - 1};
  const TColor colour = GetAColour(index);
  c.Brush().SetColor(colour);
  c.FillRect(swatch);
  const TColor rgb = ColorToRGB(colour);
  const bool light = (rgb & 0xFF) > 192 || ((rgb >> 8) & 0xFF) > 192 || ((rgb >> 16) & 0xFF) > 192;
  c.Brush().SetColor(light ? clBlack : HasOwnerDrawFlag(state, odSelected) ? clWhite : colour);
  c.FrameRect(swatch);
  c.Brush().SetColor(brush);
  const TMyColourHolder* entry = EntryOfRow(fNDX, index);
  const String name = entry != nullptr ? entry->data.name : String();
  c.TextOut(swatch.Right + 5, rect.Top + (h - c.TextHeight(name)) / 2, name);
}

}  // namespace sk
