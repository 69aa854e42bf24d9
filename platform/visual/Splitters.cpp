#include "platform/visual/Splitters.h"

#include <algorithm>

#include "platform/visual/MouseCapture.h"

namespace sk {

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 3, 100);
  SetAlign(alLeft);
  SetCursor(crHSplit);
}

TSplitter::~TSplitter() {
  Destroying();
  if (fDragging) StopDragging();
}

bool TSplitter::Horizontal() const { return Align() == alTop || Align() == alBottom; }

TControl* TSplitter::ResizedControl() const {
  TWinControl* parent = Parent();
  if (parent == nullptr) return nullptr;
  // A point just outside the splitter on its aligned side.
  TPoint p;
  switch (Align()) {
    case alLeft: p = Point(Left() - 1, Top()); break;
    case alRight: p = Point(Left() + Width(), Top()); break;
    case alTop: p = Point(Left(), Top() - 1); break;
    case alBottom: p = Point(Left(), Top() + Height()); break;
    default: return nullptr;
  }
  for (Int32 i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->Visible()) continue;
    const TRect r = c->BoundsRect();
    if (p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom) return c;
  }
  return nullptr;
}

void TSplitter::Paint() {
  TCanvas& c = Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.FillRect(ClientRect());
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || fDragging) return;
  fControl = ResizedControl();
  TWinControl* parent = Parent();
  if (fControl == nullptr || parent == nullptr) return;
  fDragging = true;
  FreeNotification(fControl);
  fDownAt = ClientToScreen(Point(x, y));
  fStartSize = Horizontal() ? fControl->Height() : fControl->Width();
  // What the control may grow to: everything up to the far side of the
  // parent (or the control's own far edge), less the splitter and MinSize.
  switch (Align()) {
    case alLeft: fMaxSize = parent->ClientWidth() - fControl->Left() - Width() - fMinSize; break;
    case alRight: fMaxSize = fControl->Left() + fControl->Width() - Width() - fMinSize; break;
    case alTop: fMaxSize = parent->ClientHeight() - fControl->Top() - Height() - fMinSize; break;
    default: fMaxSize = fControl->Top() + fControl->Height() - Height() - fMinSize; break;
  }
  SetCapture(this);
}

void TSplitter::MouseMove(TShiftState shift, Int32 x, Int32 y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!fDragging || fControl == nullptr) return;
  const TPoint at = ClientToScreen(Point(x, y));
  const Int32 delta = Horizontal() ? at.Y - fDownAt.Y : at.X - fDownAt.X;
  const bool grows = Align() == alLeft || Align() == alTop;
  Int32 size = fStartSize + (grows ? delta : -delta);
  size = std::max(std::min(size, fMaxSize), std::min(fMinSize, fStartSize));
  const Int32 current = Horizontal() ? fControl->Height() : fControl->Width();
  if (size == current) return;
  if (Horizontal()) {
    if (Align() == alBottom)
      fControl->SetBounds(fControl->Left(), fControl->Top() + fControl->Height() - size, fControl->Width(), size);
    else
      fControl->SetHeight(size);
  } else {
    if (Align() == alRight)
      fControl->SetBounds(fControl->Left() + fControl->Width() - size, fControl->Top(), size, fControl->Height());
    else
      fControl->SetWidth(size);
  }
  Moved();
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button == mbLeft && fDragging) StopDragging();
}

void TSplitter::StopDragging() {
  if (fControl != nullptr) RemoveFreeNotification(fControl);
  fDragging = false;
  fControl = nullptr;
  if (GetCapture() == this) ReleaseCapture();
}

void TSplitter::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == fControl) {
    fControl = nullptr;
    fDragging = false;
  }
}

void TSplitter::Moved() {
  if (OnMoved) OnMoved(this);
}

}  // namespace sk
