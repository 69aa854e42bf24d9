#include "platform/visual/GroupBoxes.h"

#include <QtWidgets/QGroupBox>

#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"

namespace sk {

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner, &MakeBridged<QGroupBox>) {
  if (QWidget* w = Widget()) w->setAttribute(Qt::WA_OpaquePaintEvent, false);
  SetBounds(0, 0, 185, 105);
}

TCustomGroupBox::~TCustomGroupBox() { Destroying(); }

void TCustomGroupBox::SetText(const String& s) {
  TCustomControl::SetText(s);
  if (auto* g = static_cast<QGroupBox*>(Widget())) g->setTitle(ToQString(s));
}

}  // namespace sk
