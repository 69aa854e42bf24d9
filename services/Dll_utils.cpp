#include "services/Dll_utils.h"

#include <dlfcn.h>

#include "core/UnitCounter.h"

namespace sk {

Tlibrary_rec FindLibraryFunction(const String& libraryName, const String& functionName) {
  Tlibrary_rec rec{};
  if (libraryName.empty()) return rec;
  void* handle = ::dlopen(StringToSystemName(libraryName).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return rec;
  rec.Hinst = reinterpret_cast<NativeUInt>(handle);
  if (!functionName.empty()) rec.FPointer = ::dlsym(handle, StringToUtf8(functionName).c_str());
  return rec;
}

bool CloseLibraryFunction(Tlibrary_rec& rec) {
  const bool ok = rec.Hinst != 0 && ::dlclose(reinterpret_cast<void*>(rec.Hinst)) == 0;
  rec = Tlibrary_rec{};
  return ok;
}

SK_COUNTER_ONLY_UNIT(Dll_utils)

}  // namespace sk
