#include "ui/Checkgroupu.h"

#include <algorithm>

#include "core/UnitCounter.h"

namespace sk {

TGroupCheckbx::TGroupCheckbx(TCustomCheckGroup* group) : TCheckBox(group) {
  SetVisible(false);
  SetParent(group);
  SetEnabled(group->Enabled());
  SetShowHint(false);
  OnClick = [group](TObject* sender) { group->ButtonClick(sender); };
}

TGroupCheckbx::~TGroupCheckbx() { Destroying(); }

TCustomCheckGroup* TGroupCheckbx::Group() const { return dynamic_cast<TCustomCheckGroup*>(Parent()); }

void TGroupCheckbx::Toggle() {
  TCustomCheckGroup* group = Group();
  if (FInClick || (group != nullptr && !group->CanModify())) return;
  FInClick = true;
  TCheckBox::Toggle();
  FInClick = false;
}

void TGroupCheckbx::KeyDown(Word& key, TShiftState shift) {
  TCustomCheckGroup* group = Group();
  if (group != nullptr) {
    group->BoxKeyDown(key, shift);
    if ((key == VK_BACK || key == VK_SPACE) && !group->CanModify()) key = 0;
  }
  if (key != 0) TCheckBox::KeyDown(key, shift);
}

void TGroupCheckbx::KeyPress(Char& key) {
  TCustomCheckGroup* group = Group();
  if (group != nullptr) {
    group->BoxKeyPress(key);
    if ((key == u'\b' || key == u' ') && !group->CanModify()) key = 0;
  }
  if (key != 0) TCheckBox::KeyPress(key);
}

// ---------------------------------------------------------------------------

TCustomCheckGroup::TCustomCheckGroup(TComponent* owner)
    : TCustomGroupBox(owner), FItems(std::make_unique<TStringList>()) {
  FItems->OnChange = [this](TObject* sender) { ItemsChange(sender); };
}

TCustomCheckGroup::~TCustomCheckGroup() {
  Destroying();
  FItems->OnChange = nullptr;
  SetButtonCount(0);
}

void TCustomCheckGroup::SetItems(const TStrings& items) { FItems->Assign(items); }

TGroupCheckbx* TCustomCheckGroup::Boxes(Int32 i) const {
  return i >= 0 && i < BoxCount() ? FBoxes[static_cast<size_t>(i)] : nullptr;
}

void TCustomCheckGroup::SetItemIndex(Int32 value) {
  if (FReading) {
    FItemIndex = value;
    return;
  }
  HandleNeeded();
  value = std::clamp(value, -1, BoxCount() - 1);
  if (value == FItemIndex) return;
  FUpdating = true;
  if (TGroupCheckbx* old = Boxes(FItemIndex)) old->SetChecked(false);
  FItemIndex = value;
  if (TGroupCheckbx* box = Boxes(FItemIndex)) box->SetChecked(true);
  FUpdating = false;
}

void TCustomCheckGroup::SetColumns(Int32 value) {
  value = std::clamp(value, 1, 16);
  if (value == FColumns) return;
  FColumns = value;
  ArrangeButtons();
  Invalidate();
}

void TCustomCheckGroup::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  UpdateButtons();
}

void TCustomCheckGroup::SetTopMarginButtons(Int32 value) {
  if (value == FTopMarginButtons) return;
  FTopMarginButtons = value;
  ArrangeButtons();
}

void TCustomCheckGroup::ButtonClick(TObject* Sender) {
  if (FUpdating) return;
  const auto it = std::find(FBoxes.begin(), FBoxes.end(), Sender);
  FItemIndex = it == FBoxes.end() ? -1 : static_cast<Int32>(it - FBoxes.begin());
  Changed();
  Click();
}

void TCustomCheckGroup::ItemsChange(TObject* Sender) {
  (void)Sender;
  if (FReading) return;
  if (FItemIndex >= FItems->Count()) FItemIndex = FItems->Count() - 1;
  UpdateButtons();
}

void TCustomCheckGroup::SetButtonCount(Int32 count) {
  while (BoxCount() < count) FBoxes.push_back(new TGroupCheckbx(this));
  while (BoxCount() > count) {
    TGroupCheckbx* box = FBoxes.back();
    FBoxes.pop_back();
    delete box;
  }
}

void TCustomCheckGroup::UpdateButtons() {
  SetButtonCount(FItems->Count());
  for (Int32 i = 0; i < BoxCount(); ++i) {
    TGroupCheckbx* box = FBoxes[static_cast<size_t>(i)];
    box->SetCaption((*FItems)[i]);
    box->SetWordWrap(FWordWrap);
  }
  if (TGroupCheckbx* box = Boxes(FItemIndex)) {
    FUpdating = true;
    box->SetChecked(true);
    FUpdating = false;
  }
  ArrangeButtons();
  Invalidate();
}

void TCustomCheckGroup::ArrangeButtons() {
  if (FReading || FBoxes.empty()) return;
  TCanvas& canvas = Canvas();
  canvas.Font().Assign(Font());
  const Int32 h = canvas.TextHeight(u"0");
  const Int32 count = BoxCount();
  const Int32 rows = (count + FColumns - 1) / FColumns;
  // A group too small for its boxes gives them no room rather than negative
  // sizes.
  const Int32 columnWidth = std::max(0, (Width() - 10) / FColumns);
  const bool captioned = !Caption().empty();
  Int32 available = Height() - h - 5;
  if (captioned) available -= FTopMarginButtons;
  available = std::max(0, available);
  const Int32 rowHeight = available / rows;
  Int32 firstTop = h + (available % rows) / 2 + 1;
  if (captioned) firstTop += FTopMarginButtons;
  for (Int32 i = 0; i < count; ++i) {
    TGroupCheckbx* box = FBoxes[static_cast<size_t>(i)];
    Int32 left = (i / rows) * columnWidth + 8;
    if (box->UseRightToLeftAlignment()) left = ClientWidth() - left - columnWidth;
    const Int32 top = (i % rows) * rowHeight + firstTop;
    box->SetBounds(left, top, columnWidth, rowHeight);
    box->SetVisible(true);
  }
}

void TCustomCheckGroup::ReadState(const std::function<void()>& read) {
  FReading = true;
  if (read) read();
  FReading = false;
  if (HandleAllocated()) UpdateButtons();
}

void TCustomCheckGroup::Loaded() {
  TCustomGroupBox::Loaded();
  ArrangeButtons();
}

void TCustomCheckGroup::CreateWnd() {
  TCustomGroupBox::CreateWnd();
  UpdateButtons();
}

void TCustomCheckGroup::EnabledChanged() {
  TCustomGroupBox::EnabledChanged();
  for (TGroupCheckbx* box : FBoxes) box->SetEnabled(Enabled());
}

void TCustomCheckGroup::FontChanged() {
  TCustomGroupBox::FontChanged();
  ArrangeButtons();
}

void TCustomCheckGroup::Resize() {
  TCustomGroupBox::Resize();
  ArrangeButtons();
}

void TCustomCheckGroup::BiDiModeChanged() {
  TCustomGroupBox::BiDiModeChanged();
  ArrangeButtons();
}

// ---------------------------------------------------------------------------

TToggleButton::TToggleButton(TComponent* owner) : TButton(owner) {}

TToggleButton::~TToggleButton() { Destroying(); }

void TToggleButton::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  if (HandleAllocated()) Perform(BM_SETCHECK, GetChecked() ? BST_CHECKED : BST_UNCHECKED, 0);
  if (value) UpdateGroup();
  TButton::Click();
}

void TToggleButton::SetGroupIndex(Int32 value) {
  FGroupIndex = value;
  if (FChecked) UpdateGroup();
}

void TToggleButton::UpdateGroup() {
  TWinControl* parent = Parent();
  if (parent == nullptr || FGroupIndex == 0) return;
  for (Int32 i = 0; i < parent->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<TToggleButton*>(parent->Controls(i));
    if (sibling != nullptr && sibling != this && sibling->GroupIndex() == FGroupIndex) sibling->SetChecked(false);
  }
}

void TToggleButton::WndProc(TMessage& message) {
  if (message.Msg == CN_COMMAND && ((message.WParam >> 16) & 0xFFFF) == BN_CLICKED) {
    Toggle();
    return;
  }
  TButton::WndProc(message);
}

void TToggleButton::CreateWnd() {
  TButton::CreateWnd();
  SetPushLike(true);
  Perform(BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

SK_COUNTER_ONLY_UNIT(Checkgroupu)

}  // namespace sk
