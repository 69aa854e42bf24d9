// How the message routines are written: short names for loading and
// formatting message-table texts, the usual button sets, and the request
// forms the routines fill.
#pragma once

#include <initializer_list>

#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/visual/Forms.h"
#include "platform/visual/MessageDialogs.h"

namespace sk {

struct TMessageRequest;
Int32 ShowMessageRequest(TForm* owner, const TMessageRequest& request);
String CatalogueText(const TResStringRec& entry);

namespace message_building {

// The line break between the parts of a message.
inline const String kCR(1, u'\r');
inline const String kQuote(1, u'"');

// A table text, and a table text formatted with arguments.
inline String T(const TResStringRec& entry) { return CatalogueText(entry); }
inline String F(const TResStringRec& entry, std::initializer_list<TVarRec> args) { return Format(T(entry), args); }

inline constexpr TMsgDlgButtons kOK{mbOK};
inline constexpr TMsgDlgButtons kOKHelp{mbOK, mbHelp};
inline constexpr TMsgDlgButtons kOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons kOKCancelHelp{mbOK, mbCancel, mbHelp};
inline constexpr TMsgDlgButtons kYesNo{mbYes, mbNo};
inline constexpr TMsgDlgButtons kYesNoHelp{mbYes, mbNo, mbHelp};
inline constexpr TMsgDlgButtons kYesNoCancelHelp{mbYes, mbNo, mbCancel, mbHelp};

inline bool OnYes(Int32 r) { return r == mrYes; }
inline bool OnOK(Int32 r) { return r == mrOk; }
inline Word Modal(Int32 r) { return static_cast<Word>(r); }

}  // namespace message_building
}  // namespace sk
