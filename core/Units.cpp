#include "core/Units.h"

extern "C" {

__attribute__((visibility("default"))) void Initialize() {}

__attribute__((visibility("default"))) void Finalize() {}

}
