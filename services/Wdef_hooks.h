// The three routines of higher layers that the suite definitions call: the
// tag-wildcard converter of the search syntax, the zip-file name test of the
// zip glue and the colour-set check of the drawing helpers. This layer cannot
// include or link them, so it calls them through these pointers, which the
// library's unit table sets when the library starts. Until then each call
// falls back to doing nothing: the text comes back unchanged, no name is a
// zip file and a colour set is left as it is.
#pragma once

#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

using TTagWildcardConverterProc = String (*)(const String& s);
using TIsAZipFileProc = bool (*)(const String& filename);
using TEnsureColoursOKProc = void (*)(TMyCanvasColourRec& colours);

inline constinit TTagWildcardConverterProc Wdef_TagWildcardConverted = nullptr;
inline constinit TIsAZipFileProc Wdef_IsAZipFile = nullptr;
inline constinit TEnsureColoursOKProc Wdef_EnsureColoursOK = nullptr;

// The calls through the pointers, with the fallbacks above.
String WdefTagWildcardConverted(const String& s);
bool WdefIsAZipFile(const String& filename);
void WdefEnsureColoursOK(TMyCanvasColourRec& colours);

}  // namespace sk
