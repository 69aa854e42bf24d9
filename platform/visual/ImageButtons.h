// A push button that shows an image of an image list, centred, beside its
// caption if it has one. A negative image index shows no image.
#pragma once

#include "platform/visual/ImgList.h"
#include "platform/visual/StandardControls.h"

namespace sk {

class TImageButton : public TButton {
 public:
  explicit TImageButton(TComponent* owner);
  ~TImageButton() override;

  TImageList* Images() const { return fImages; }
  void SetImages(TImageList* images);
  Int32 ImageIndex() const { return fImageIndex; }
  void SetImageIndex(Int32 index);
  // Shows the image list's image again (after the list changed).
  void UpdateImage();

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TImageList* fImages = nullptr;
  Int32 fImageIndex = -1;
};

}  // namespace sk
