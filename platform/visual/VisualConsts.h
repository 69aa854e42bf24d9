// The visual layer's own texts: the captions of the message dialogs and of
// their buttons. Resource strings like the library's message tables, with
// identifiers 60416 to 60431, loaded at each use.
#pragma once

#include "platform/runtime/ResourceStrings.h"

namespace sk {

extern const TResStringRec _SKCaptionWarning;      // 60416 "Warning"
extern const TResStringRec _SKCaptionError;        // 60417 "Error"
extern const TResStringRec _SKCaptionInformation;  // 60418 "Information"
extern const TResStringRec _SKCaptionConfirm;      // 60419 "Confirm"
extern const TResStringRec _SKButtonYes;           // 60420 "&Yes"
extern const TResStringRec _SKButtonNo;            // 60421 "&No"
extern const TResStringRec _SKButtonOK;            // 60422 "OK"
extern const TResStringRec _SKButtonCancel;        // 60423 "Cancel"
extern const TResStringRec _SKButtonAbort;         // 60424 "&Abort"
extern const TResStringRec _SKButtonRetry;         // 60425 "&Retry"
extern const TResStringRec _SKButtonIgnore;        // 60426 "&Ignore"
extern const TResStringRec _SKButtonAll;           // 60427 "&All"
extern const TResStringRec _SKButtonNoToAll;       // 60428 "N&o to All"
extern const TResStringRec _SKButtonYesToAll;      // 60429 "Yes to &All"
extern const TResStringRec _SKButtonHelp;          // 60430 "&Help"
extern const TResStringRec _SKButtonClose;         // 60431 "&Close"

inline constexpr Int32 VisualConsts_EntryCount = 16;
extern const TResStringRec* const VisualConsts_Entries[VisualConsts_EntryCount];

}  // namespace sk
