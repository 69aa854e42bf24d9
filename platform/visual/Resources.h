// Images compiled into the library with Qt's resource system, found by name.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

class TBitmap;

// Raised for a resource the library does not hold.
class EResNotFound : public Exception {
  using Exception::Exception;
};

// Whether the library holds an image of that name (names are compared
// exactly).
bool ResourceExists(const String& name);
// Loads the image of that name into the bitmap (32 bits with its alpha
// channel). Raises EResNotFound "Resource %s not found" when there is none.
void LoadBitmapFromResourceName(TBitmap& bitmap, const String& name);

}  // namespace sk
