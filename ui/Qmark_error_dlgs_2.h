// The suite's messages and questions, second part: the general-purpose
// questions whose text, buttons, help, seconds or check box the caller gives,
// and the messages of processing, conversion, search and results. Built as
// the first part's routines are (see Qmark_error_dlgs_1.h).
#pragma once

#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/visual/Forms.h"
#include "platform/visual/MessageDialogs.h"

namespace sk {

// Show-once flags: false at start; KeyWordsPlotIsOneTextFileOnly shows its
// message only while its flag is false.
inline constinit bool SourceTextIsOneTextFileOnly_Shown = false;
inline constinit bool KeyWordsPlotIsOneTextFileOnly_Shown = false;

// General-purpose questions.
// OK and Help, no seconds, no box: true on OK.
bool ReportedAFact(TForm* owner, const String& text, Int32 help);
// The caller's seconds, help, buttons and box; the default is the dialog's
// choice: the modal result.
Word ReportedAFact(TForm* owner, const String& text, Int32 seconds, Int32 help, TMsgDlgButtons buttons, bool box);
// "Warning: Checking: ..., OK?" under the caller's caption, closing after 20
// seconds, with the box: the modal result.
Word WarnAboutAndASKOK(TForm* owner, const String& caption, const String& what, Int32 help);
void WarnAboutAndRecommend(TForm* owner, const String& caption, const String& recommendation, const String& reason,
                           Int32 help);
// "OK to ...?" and the caller's detail on the next line: the modal result.
Word ConfirmOK(TForm* owner, const String& detail, const String& what, TMsgDlgButtons buttons, Int32 help);
Word TipWithDontRemind(TForm* owner, const String& text, Int32 seconds, Int32 help);
Word WouldYouLike(TForm* owner, const String& what, Int32 help);
Word DoYouWantToDoX(TForm* owner, const String& what, TMsgDlgButtons buttons, Int32 help);
// With Yes, No and Help: true on Yes.
bool DoYouWantToDoX(TForm* owner, const String& what, Int32 help);
Word OKToDoXWord(TForm* owner, const String& what, TMsgDlgButtons buttons, Int32 help);
Word OKToDoXWord(TForm* owner, const String& what, TMsgDlgButtons buttons, Int32 seconds, Int32 help);
// With Yes, No and Help: true on Yes.
bool OKToDoX(TForm* owner, const String& what, Int32 help);
bool OKToDoX(TForm* owner, const String& what, Int32 seconds, Int32 help);

// True on Yes.
bool TreatTagsAsPrefixInQ(TForm* owner, const String& listName);
bool WordListsMightNeedResortingQuitQ(TForm* owner, const String& first, const String& second);
bool OKToZapNow(TForm* owner, Double entries);
bool OKToZapRemainderNow(TForm* owner);
bool IsThisTheTalkLanguageQ(TForm* owner);
bool ClearTheSearch(TForm* owner);
bool FileIsInUnicodeShowInUnicode(TForm* owner, const String& fileName);
bool ConvertToTXTRegardlessOfExtension(TForm* owner);
bool DoQuickTextFormatCheck(TForm* owner);
bool EscapePressedStopASAPQ(TForm* owner);
bool FinishThisProcessFirst(TForm* owner);
bool FinishThisFolderFirst(TForm* owner);
bool ControlPlotmarksInfoUsing(TForm* owner, bool withMouse);
bool CopyResultsToExcelToo(TForm* owner, Int32 help);
bool OKToShowWdsForNFiles(TForm* owner, const String& what, Double files);
bool CopyCurrentLineOfData(TForm* owner);
// True on Yes; with none found (found 0), CancellingAsNoneOfTheSourceTextsFound.
bool CancelAsSomeSourceTextsNotFound(TForm* owner, Double found, Double total);

// True on OK.
bool UnsafeToConvertInPlace(TForm* owner);
bool PDF_RTF_ConversionNotReliable(TForm* owner);
bool FailedToImport(TForm* owner);
bool NotApplicableExplanation(TForm* owner);
bool PleaseCheckSettings(TForm* owner);
bool PleaseLoadTags(TForm* owner);
bool PleaseMakeAChoiceForXAction(TForm* owner, const String& what, Int32 help);
bool VideoLANPlayerVersionError(TForm* owner, const String& version);
bool PhraseFramesLookLikeJoined(TForm* owner);
bool AnyWordsNotPresentInXPercentOfTextFilesIgnored(TForm* owner, Int32 atLeast, Int32 files, Double percent);
bool KeyWordsFoundLessThanNPercentMatches(TForm* owner, Int32 percent);
bool YouMayNeedAdministratorRights(TForm* owner, const String& what);
bool YouMayNeedToAddLanguages(TForm* owner);
bool NFilesDeleted(TForm* owner, Double files);
bool NItemsMatched(TForm* owner, Double items);
bool NFilesCopiedOrMoved(TForm* owner, Double files, const String& destination, Int32 help, bool copied);
bool AllCopiedOrMoved(TForm* owner, const String& destination, Int32 help, bool copied);
bool CannotEncryptOriginals(TForm* owner);
bool CannotChooseSameColours(TForm* owner, Int32 help);
bool CannotEncryptWithoutEncryptStr(TForm* owner);
bool CannotReplaceLineFeedsWithoutDefinedParaStr(TForm* owner);
bool FileNamesMismatchCorrectQ(TForm* owner, const String& fileName);
bool NoMWUsFound(TForm* owner, const String& fileName);
bool SearchFailedToFindTryAsterisk(TForm* owner, const String& searchWord);
bool SearchFailedToFindX(TForm* owner, const String& searchWord);
bool SearchFoundX(TForm* owner, const String& searchWord);
bool OKToUseTempDirAsTempDrive(TForm* owner, const String& folder);
bool KeyWordsNotFullLemmaProcessing(TForm* owner);
// Shown once per process; true without a dialog afterwards.
bool KeyWordsPlotIsOneTextFileOnly(TForm* owner);

// The modal result.
Word CannotWriteToXFolder(TForm* owner, const String& folder);
Word YouChoseXbutLowestPossibleIsYQuitQ(TForm* owner, const String& what, Int32 chosen, Int32 lowest, Int32 help);
Word ProblemReport(TForm* owner, const String& problem, Int32 help);
Word ChooseACharacterNumber(TForm* owner);
Word MoreLikelyToBeXThanY(TForm* owner, const String& likely, const String& than);
Word SearchFailedToFindAnyMoreX(TForm* owner, const String& searchWord);
Word AllConversionsAreLandRBounded(TForm* owner);

// Nothing.
void FormNotFilled(TForm* owner, const String& what);
void RegistryAltered(TForm* owner, bool set, bool succeeded);

// Always true.
bool NTextFilesConverted(TForm* owner, Double files);
bool CantChooseZScoreForKWDBase(TForm* owner);
bool NotEnoughX(TForm* owner, const String& what, Int32 help);
bool NoXFoundInY(TForm* owner, const String& what, const String& where, Int32 help);
bool NoCollocates(TForm* owner);
bool NoKWDBEntries(TForm* owner);
bool NoKWDBRelatedClustersFound(TForm* owner);
bool NotAValidQMFile(TForm* owner, const String& fileName, tool_type tool);
bool NotEnoughAssociatesFor(TForm* owner, Int32 wanted, const String& word);
bool NoWordListWordsFoundIn(TForm* owner, const String& fileName);
// Announces that the run is cancelled: true whatever the answer, also in
// silent mode.
bool CancellingAsNoneOfTheSourceTextsFound(TForm* owner, Double total);

// No dialog: the progress text, with the thousands separator of
// Global_StringToDateTimeFormat.
String ProcessingNRelatedClusters(TForm* owner, Double clusters, Int32 sizeMin, Int32 sizeMax);

void Qmark_error_dlgs_2_initialization();
void Qmark_error_dlgs_2_Finalization();

}  // namespace sk
