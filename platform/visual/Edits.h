// One-line edits: the plain edit and the edit with a button on its right
// that shows an image of an image list.
#pragma once

#include "platform/runtime/TextLayout.h"
#include "platform/visual/Controls.h"

namespace sk {

class TImageList;

// An edit of one line (121 x 21). Its text is the control's Text; every
// change of it, by the user or by code, raises OnChange.
class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* owner);
  ~TCustomEdit() override;

  String GetText() const override;
  void SetText(const String& s) override;
  bool ReadOnly() const { return fReadOnly; }
  void SetReadOnly(bool r);
  // The text's place in the edit; with right-to-left alignment left and
  // right change places.
  TAlignment Alignment() const { return fAlignment; }
  void SetAlignment(TAlignment a);
  // The most characters the edit takes; 0 for no limit.
  Int32 MaxLength() const { return fMaxLength; }
  void SetMaxLength(Int32 n);
  void SelectAll();
  // The selected part of the text.
  String SelText() const;
  void Clear() { SetText(String()); }
  // With a password character every character shows as that one; 0 shows
  // the text itself.
  Char PasswordChar() const { return fPasswordChar; }
  void SetPasswordChar(Char c);

  TNotifyEvent OnChange;

 protected:
  TCustomEdit(TComponent* owner, TWidgetFactory factory);
  virtual void Change();
  void BiDiModeChanged() override;

 private:
  void ApplyAlignment();
  bool fReadOnly = false;
  TAlignment fAlignment = taLeftJustify;
  Int32 fMaxLength = 0;
  Char fPasswordChar = 0;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

class TButtonedEdit;

// A button inside an edit, at its right end: it shows image ImageIndex of the
// edit's image list and is as wide as the image and 4 pixels, as high as the
// edit's inside.
class TEditButton : public TObject {
 public:
  explicit TEditButton(TButtonedEdit& edit) : fEdit(edit) {}
  bool Visible() const { return fVisible; }
  void SetVisible(bool v);
  bool Enabled() const { return fEnabled; }
  void SetEnabled(bool e);
  Int32 ImageIndex() const { return fImageIndex; }
  void SetImageIndex(Int32 i);
  const String& Hint() const { return fHint; }
  void SetHint(const String& h);

 private:
  TButtonedEdit& fEdit;
  bool fVisible = false;
  bool fEnabled = true;
  Int32 fImageIndex = -1;
  String fHint;
};

class TButtonedEdit : public TCustomEdit {
 public:
  explicit TButtonedEdit(TComponent* owner);
  ~TButtonedEdit() override;

  TEditButton& RightButton() { return fRightButton; }
  // The image list the button draws from; the edit does not own it, and lets
  // go of it when it is freed.
  TImageList* Images() const { return fImages; }
  void SetImages(TImageList* images);
  // Where the right button lies on the edit; empty while it is hidden.
  TRect RightButtonRect() const;

  // Clicks the right button (as the user does).
  void ClickRightButton();
  TNotifyEvent OnRightButtonClick;

  // For the visual layer: places the button again after a change.
  void ButtonChanged();

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Resize() override;

 private:
  TEditButton fRightButton;
  TImageList* fImages = nullptr;
};

}  // namespace sk
