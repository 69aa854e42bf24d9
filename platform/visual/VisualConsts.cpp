#include "platform/visual/VisualConsts.h"

namespace sk {

constinit const TResStringRec _SKCaptionWarning{60416, u"Warning", "_SKCaptionWarning"};
constinit const TResStringRec _SKCaptionError{60417, u"Error", "_SKCaptionError"};
constinit const TResStringRec _SKCaptionInformation{60418, u"Information", "_SKCaptionInformation"};
constinit const TResStringRec _SKCaptionConfirm{60419, u"Confirm", "_SKCaptionConfirm"};
constinit const TResStringRec _SKButtonYes{60420, u"&Yes", "_SKButtonYes"};
constinit const TResStringRec _SKButtonNo{60421, u"&No", "_SKButtonNo"};
constinit const TResStringRec _SKButtonOK{60422, u"OK", "_SKButtonOK"};
constinit const TResStringRec _SKButtonCancel{60423, u"Cancel", "_SKButtonCancel"};
constinit const TResStringRec _SKButtonAbort{60424, u"&Abort", "_SKButtonAbort"};
constinit const TResStringRec _SKButtonRetry{60425, u"&Retry", "_SKButtonRetry"};
constinit const TResStringRec _SKButtonIgnore{60426, u"&Ignore", "_SKButtonIgnore"};
constinit const TResStringRec _SKButtonAll{60427, u"&All", "_SKButtonAll"};
constinit const TResStringRec _SKButtonNoToAll{60428, u"N&o to All", "_SKButtonNoToAll"};
constinit const TResStringRec _SKButtonYesToAll{60429, u"Yes to &All", "_SKButtonYesToAll"};
constinit const TResStringRec _SKButtonHelp{60430, u"&Help", "_SKButtonHelp"};
constinit const TResStringRec _SKButtonClose{60431, u"&Close", "_SKButtonClose"};

const TResStringRec* const VisualConsts_Entries[VisualConsts_EntryCount] = {
    &_SKCaptionWarning, &_SKCaptionError, &_SKCaptionInformation, &_SKCaptionConfirm,
    &_SKButtonYes,      &_SKButtonNo,     &_SKButtonOK,           &_SKButtonCancel,
    &_SKButtonAbort,    &_SKButtonRetry,  &_SKButtonIgnore,       &_SKButtonAll,
    &_SKButtonNoToAll,  &_SKButtonYesToAll, &_SKButtonHelp,       &_SKButtonClose,
};

}  // namespace sk
