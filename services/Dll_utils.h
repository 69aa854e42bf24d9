// Loading a function from a shared library.
#pragma once

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// Loads the library (by name, or by path when the name holds a "/") and looks
// up the function: Hinst holds the library's handle (0 when it would not
// load, and then FPointer is nil too), FPointer the function (nil when the
// library has no such export).
Tlibrary_rec FindLibraryFunction(const String& libraryName, const String& functionName);
// Releases the library and clears the record; true when releasing succeeded
// (false for a record that holds no library).
bool CloseLibraryFunction(Tlibrary_rec& rec);

void Dll_utils_initialization();
void Dll_utils_Finalization();

}  // namespace sk
