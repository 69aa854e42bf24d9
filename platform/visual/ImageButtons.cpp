#include "platform/visual/ImageButtons.h"

#include <QtGui/QIcon>
#include <QtGui/QPixmap>
#include <QtWidgets/QPushButton>

namespace sk {

TImageButton::TImageButton(TComponent* owner) : TButton(owner) {}

TImageButton::~TImageButton() {
  Destroying();
  if (fImages != nullptr) RemoveFreeNotification(fImages);
}

void TImageButton::SetImages(TImageList* images) {
  if (images == fImages) return;
  if (fImages != nullptr) RemoveFreeNotification(fImages);
  fImages = images;
  if (fImages != nullptr) FreeNotification(fImages);
  UpdateImage();
}

void TImageButton::SetImageIndex(Int32 index) {
  if (index == fImageIndex) return;
  fImageIndex = index;
  UpdateImage();
}

void TImageButton::UpdateImage() {
  auto* b = dynamic_cast<QPushButton*>(Widget());
  if (b == nullptr) return;
  if (fImages == nullptr || fImageIndex < 0 || fImageIndex >= fImages->Count()) {
    b->setIcon(QIcon());
    return;
  }
  TBitmap image;
  image.SetPixelFormat(pf32bit);
  image.SetSize(fImages->Width(), fImages->Height());
  fImages->Draw(image.Canvas(), 0, 0, fImageIndex, Enabled());
  b->setIconSize(QSize(fImages->Width(), fImages->Height()));
  b->setIcon(QIcon(QPixmap::fromImage(image.Image())));
}

void TImageButton::Notification(TComponent* component, TOperation operation) {
  TButton::Notification(component, operation);
  if (operation == opRemove && component == fImages) {
    fImages = nullptr;
    UpdateImage();
  }
}

}  // namespace sk
