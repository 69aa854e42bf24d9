// The suite's messages and questions, third part: the choice between options
// (a task dialog with one button per option), clusters and sentences, the
// slow-network notice, and saved files, with the offer to view them.
#pragma once

#include <vector>

#include "platform/runtime/RtlTypes.h"
#include "platform/visual/Forms.h"

namespace sk {

// A task dialog owned by the asking form with one button per option, its
// caption the given one followed by "Choose 1 of <n>"; asked even in silent
// mode. The index (from 0) of the option pressed; -1 when the dialog was
// cancelled or cannot be shown.
Int32 ChosenBetweenOptions(TForm* owner, const String& caption, const std::vector<String>& options);
Int32 ChosenBetweenOptions(TForm* owner, const std::vector<String>& options);

// The modal result.
Word ClustersContainingStopListWordsExcluded(TForm* owner);
Word IncludeThisFilename(TForm* owner, const String& fileName);
Word SentenceInfoIsWrong(TForm* owner, const String& startMarker, const String& endMarker);
// True on Yes.
bool IgnorePunctuationInWordClusters(TForm* owner);
bool SavedOKViewNow(TForm* owner, const String& fileName, const String& detail);
// True on OK.
bool ReferenceTextTooShort(TForm* owner, const String& fileName);
// Nothing.
void BeAwareNetworkIsSlow(TForm* owner);
// SavedOKViewNow with the file's name; on Yes the file opens with the
// desktop's program for it.
void SavedOKOpenNow(TForm* owner, const String& fileName, const String& detail);

void Qmark_error_dlgs_3_initialization();
void Qmark_error_dlgs_3_Finalization();

}  // namespace sk
