// A group box of check boxes, one per line of its items, laid out in
// columns; and a push button that stays down when clicked and releases the
// other toggle buttons of its group on the same parent.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/runtime/StringList.h"
#include "platform/visual/GroupBoxes.h"
#include "platform/visual/StandardControls.h"

namespace sk {

class TCustomCheckGroup;

// One box of a check group: its parent is the group; it passes its keys to
// the group, and a click changes it only while the group can be modified.
class TGroupCheckbx : public TCheckBox {
 public:
  explicit TGroupCheckbx(TCustomCheckGroup* group);
  ~TGroupCheckbx() override;
  void Toggle() override;

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;

 private:
  TCustomCheckGroup* Group() const;
  bool FInClick = false;
};

class TCustomCheckGroup : public TCustomGroupBox {
 public:
  explicit TCustomCheckGroup(TComponent* owner);
  ~TCustomCheckGroup() override;

  TStringList& Items() { return *FItems; }
  // Copies the strings into the items.
  void SetItems(const TStrings& items);
  // The box set last; -1 for none.
  Int32 ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Int32 value);
  Int32 Columns() const { return FColumns; }
  // Kept within 1 to 16.
  void SetColumns(Int32 value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  // Extra space above the boxes when the group has a caption.
  Int32 TopMarginButtons() const { return FTopMarginButtons; }
  void SetTopMarginButtons(Int32 value);
  Int32 BoxCount() const { return static_cast<Int32>(FBoxes.size()); }
  // Box i; nullptr outside the boxes.
  TGroupCheckbx* Boxes(Int32 i) const;

  // A box was clicked: unless the group set it itself, ItemIndex becomes its
  // index, then the group's change notification and OnClick follow.
  void ButtonClick(TObject* Sender);
  // Whether the user may change the boxes; true here.
  virtual bool CanModify() const { return true; }
  // Runs read while the group is being read (as a form loads it): item
  // changes wait, and the boxes are updated once at the end.
  void ReadState(const std::function<void()>& read);
  void Loaded() override;
  // Nothing: the boxes are not the group's children to flip or stream.
  void FlipChildren(bool allLevels) { (void)allLevels; }
  void GetChildren() {}

  // For the boxes: the group's keyboard handling.
  void BoxKeyDown(Word& key, TShiftState shift) { KeyDown(key, shift); }
  void BoxKeyPress(Char& key) { KeyPress(key); }

 protected:
  virtual void ArrangeButtons();
  // The change notification after a user's click; nothing here.
  virtual void Changed() {}
  void ItemsChange(TObject* Sender);
  void UpdateButtons();
  void CreateWnd() override;
  void EnabledChanged() override;
  void FontChanged() override;
  void Resize() override;
  void BiDiModeChanged() override;

 private:
  void SetButtonCount(Int32 count);

  std::vector<TGroupCheckbx*> FBoxes;  // children of the group, freed by it
  std::unique_ptr<TStringList> FItems;
  Int32 FItemIndex = -1;
  Int32 FColumns = 1;
  bool FReading = false;
  bool FUpdating = false;
  bool FWordWrap = false;
  Int32 FTopMarginButtons = 0;
};

class TCheckGroup : public TCustomCheckGroup {
 public:
  explicit TCheckGroup(TComponent* owner) : TCustomCheckGroup(owner) {}
};

// ---------------------------------------------------------------------------

// A push button that stays down while checked. Checking one releases the
// other toggle buttons of the same GroupIndex (not 0) on the same parent.
class TToggleButton : public TButton {
 public:
  explicit TToggleButton(TComponent* owner);
  ~TToggleButton() override;

  bool Checked() const { return GetChecked(); }
  // Only a change does anything: the button shows it, a checked one
  // releases its siblings, and OnClick follows.
  virtual void SetChecked(bool value);
  virtual bool GetChecked() const { return FChecked; }
  Int32 GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Int32 value);
  void Toggle() { SetChecked(!FChecked); }
  // The user's click command (BN_CLICKED) toggles; other messages go on.
  void WndProc(TMessage& message) override;
  // Nothing.
  virtual void SetButtonStyle(bool isDefault) { (void)isDefault; }

 protected:
  void CreateWnd() override;

 private:
  void UpdateGroup();
  bool FChecked = false;
  Int32 FGroupIndex = 0;
};

// Unit start and stop (the unit has no work of its own).
void Checkgroupu_initialization();
void Checkgroupu_Finalization();

}  // namespace sk
