#include "services/Qm_essentials.h"

#include "core/UnitCounter.h"
#include "platform/runtime/Format.h"

namespace sk {

namespace {

constexpr TEnumArray<tool_type, const Char*, tool_type_Count> kToolNames = {{
    u"Word List",
    u"Concordance",
    u"Key Words",
    u"Chargrams",
    u"",
    u"Aligner",
    u"",
    u"Minimal Pairs",
    u"File Utilities",
    u"Character Profiler",
    u"Language Chooser",
    u"Quillmark API",
    u"File Viewer",
    u"Corpus Checker",
    u"Media Player",
    u"Text Converter",
    u"Quillmark",
    u"",
}};

}  // namespace

String Tool_Name(tool_type tool) {
  if (static_cast<int>(tool) >= tool_type_Count) return String();
  return kToolNames[tool];
}

String QuillmarkControllerCaption() {
  return u"Quillmark Tools" + Format(u"%4.1f", {static_cast<Double>(QuillmarkVersion)});
}

SK_COUNTER_ONLY_UNIT(Qm_essentials)

}  // namespace sk
