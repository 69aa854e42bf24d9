#include "ui/Labelledcomponents_messages.h"

namespace sk {

constinit const TResStringRec _SSAveFileTitle{60384, u"Save", "_SSAveFileTitle"};
constinit const TResStringRec _SChoose{60385, u"Choose %s", "_SChoose"};
constinit const TResStringRec _SChooseA{60386, u"Choose a %s", "_SChooseA"};
constinit const TResStringRec _SFiles{60387, u"Files", "_SFiles"};
constinit const TResStringRec _SFile{60388, u"File", "_SFile"};

const TResStringRec* const Labelledcomponents_Entries[Labelledcomponents_EntryCount] = {
    &_SSAveFileTitle, &_SChoose, &_SChooseA, &_SFiles, &_SFile,
};

}  // namespace sk
