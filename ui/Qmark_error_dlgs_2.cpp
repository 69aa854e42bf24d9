#include "ui/Qmark_error_dlgs_2.h"

#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"
#include "services/Qm_essentials.h"
#include "ui/Qmark_error_dlgs_1.h"

namespace sk {

namespace {

using namespace message_building;

constinit TUnitCounter Qmark_error_dlgs_2_counter;

}  // namespace

// ---------------------------------------------------------------------------
// General-purpose questions.

bool ReportedAFact(TForm* owner, const String& text, Int32 help) {
  return OnOK(ReportedAFact(owner, text, 0, help, kOKHelp, false));
}

Word ReportedAFact(TForm* owner, const String& text, Int32 seconds, Int32 help, TMsgDlgButtons buttons, bool box) {
  TMessageRequest r;
  r.text = text;
  r.type = mtInformation;
  r.buttons = buttons;
  r.help = help;
  r.seconds = seconds;
  r.box = box;
  return Modal(ShowMessageRequest(owner, r));
}

Word WarnAboutAndASKOK(TForm* owner, const String& caption, const String& what, Int32 help) {
  return Modal(Notice(owner, Req(T(_QMWarning) + u": " + F(_QMCheckingXOK, {what}), mtConfirmation, kOKCancelHelp, mbOK, help),
                      caption, 20, 5));
}

void WarnAboutAndRecommend(TForm* owner, const String& caption, const String& recommendation, const String& reason,
                           Int32 help) {
  Notice(owner, Req(Trim(F(_QMRecommendXReasonY, {recommendation, reason})), mtWarning, kOKHelp, mbOK, help), caption,
         10, 5);
}

Word ConfirmOK(TForm* owner, const String& detail, const String& what, TMsgDlgButtons buttons, Int32 help) {
  const String question = F(_QMOKToDoXQ, {what});
  return Modal(Show(owner, detail.empty() ? question : question + kCR + detail, mtConfirmation, buttons, mbYes, help));
}

Word TipWithDontRemind(TForm* owner, const String& text, Int32 seconds, Int32 help) {
  TMessageRequest r = Req(text, mtInformation, kOKHelp, mbOK, help);
  r.seconds = seconds;
  r.box = true;
  return Modal(ShowMessageRequest(owner, r));
}

Word WouldYouLike(TForm* owner, const String& what, Int32 help) {
  return Modal(Show(owner, F(_QMWouldYouLikeX, {what}), mtConfirmation, kYesNoHelp, mbYes, help));
}

Word DoYouWantToDoX(TForm* owner, const String& what, TMsgDlgButtons buttons, Int32 help) {
  return Modal(Show(owner, F(_QMDoYouWantToX, {what}), mtConfirmation, buttons, mbYes, help));
}

bool DoYouWantToDoX(TForm* owner, const String& what, Int32 help) {
  return OnYes(DoYouWantToDoX(owner, what, kYesNoHelp, help));
}

Word OKToDoXWord(TForm* owner, const String& what, TMsgDlgButtons buttons, Int32 help) {
  return OKToDoXWord(owner, what, buttons, 0, help);
}

Word OKToDoXWord(TForm* owner, const String& what, TMsgDlgButtons buttons, Int32 seconds, Int32 help) {
  TMessageRequest r = Req(F(_QMOKToDoXQ, {what}), mtConfirmation, buttons, mbYes, help);
  r.seconds = seconds;
  return Modal(ShowMessageRequest(owner, r));
}

bool OKToDoX(TForm* owner, const String& what, Int32 help) { return OnYes(OKToDoXWord(owner, what, kYesNoHelp, help)); }

bool OKToDoX(TForm* owner, const String& what, Int32 seconds, Int32 help) {
  return OnYes(OKToDoXWord(owner, what, kYesNoHelp, seconds, help));
}

// ---------------------------------------------------------------------------
// True on Yes.

bool TreatTagsAsPrefixInQ(TForm* owner, const String& listName) {
  return OnYes(Show(owner, F(_QMInXListShowYQ, {listName, T(_QMTagThenWord)}), mtConfirmation, kYesNoHelp, mbYes, 6090));
}

bool WordListsMightNeedResortingQuitQ(TForm* owner, const String& first, const String& second) {
  return OnYes(Show(owner, F(_QMWordlistFilesMightNeedResortingQuitQ, {first, second}), mtWarning, kYesNoHelp, mbYes,
                    2320));
}

bool OKToZapNow(TForm* owner, Double entries) {
  return OnYes(Show(owner, F(_QMOKToZapNmanyEntriesQuery, {entries}), mtConfirmation, kYesNo, mbYes, 1490));
}

bool OKToZapRemainderNow(TForm* owner) {
  return OnYes(Show(owner, T(_QMOKToZapRemainingEntriesQuery), mtConfirmation, kYesNo, mbYes, 1490));
}

bool IsThisTheTalkLanguageQ(TForm* owner) {
  return OnYes(Show(owner, T(_QMIsThisTheTalkLanguageQ), mtConfirmation, kYesNoHelp, mbYes, 4859));
}

bool ClearTheSearch(TForm* owner) {
  return OnYes(Show(owner, F(_QMDoYouWantToX, {T(_QMClearPreviousSearch)}), mtConfirmation, kYesNo, mbYes, 0));
}

bool FileIsInUnicodeShowInUnicode(TForm* owner, const String& fileName) {
  return OnYes(Show(owner, F(_QMFileInUnicodeShowInUnicode, {fileName}), mtConfirmation, kYesNo, mbYes, 0));
}

bool ConvertToTXTRegardlessOfExtension(TForm* owner) {
  return OnYes(Show(owner, T(_QMConvertToTXTRegardlessOfExtension), mtInformation, kYesNoHelp, mbYes, 4850));
}

bool DoQuickTextFormatCheck(TForm* owner) {
  TMessageRequest r = Req(T(_QMQuickCheckQ), mtConfirmation, kYesNo, mbNo, 1242);
  r.seconds = 15;
  return OnYes(ShowMessageRequest(owner, r));
}

bool EscapePressedStopASAPQ(TForm* owner) {
  return OnYes(Show(owner, T(_QMEscapePressedStopASAP), mtConfirmation, kYesNo, mbYes, 0));
}

bool FinishThisProcessFirst(TForm* owner) {
  return OnYes(Show(owner, T(_QMFinishThisProcessFirst), mtConfirmation, kYesNo, mbYes, 0));
}

bool FinishThisFolderFirst(TForm* owner) {
  return OnYes(Show(owner, T(_QMFinishThisFolderFirst), mtConfirmation, kYesNo, mbYes, 0));
}

bool ControlPlotmarksInfoUsing(TForm* owner, bool withMouse) {
  const String mouse = T(_QMMouse), buttons = T(_QMButtons);
  const String text = withMouse ? F(_QMControlPlotmarksWithXNotY, {mouse, buttons})
                                : F(_QMControlPlotmarksWithXNotY, {buttons, mouse});
  return OnYes(Show(owner, text, mtConfirmation, kYesNoHelp, mbYes, 5870));
}

bool CopyResultsToExcelToo(TForm* owner, Int32 help) {
  return OnYes(Show(owner, T(_QMCopyResultsToExcelToo), mtConfirmation, kYesNoHelp, mbYes, help));
}

bool OKToShowWdsForNFiles(TForm* owner, const String& what, Double files) {
  return OKToDoX(owner, F(_QMShowSelectedWdsForTheseFilenames, {what, files}), 1310);
}

bool CopyCurrentLineOfData(TForm* owner) {
  return OnYes(Show(owner, T(_QMCopyCurrentLine), mtConfirmation, kYesNoHelp, mbYes, 1300));
}

bool CancelAsSomeSourceTextsNotFound(TForm* owner, Double found, Double total) {
  if (found == 0) return CancellingAsNoneOfTheSourceTextsFound(owner, total);
  return OnYes(Show(owner, F(_QMOnlyNmanyOfNSourceTextsFound, {found, total}), mtWarning, kYesNoHelp, mbYes, 3390));
}

// ---------------------------------------------------------------------------
// True on OK.

bool UnsafeToConvertInPlace(TForm* owner) {
  return OnOK(Show(owner, F(_QMXIsntRecommended, {T(_QMConversionInPLace)}), mtWarning, kOKHelp, mbOK, 4850));
}

bool PDF_RTF_ConversionNotReliable(TForm* owner) {
  return OnOK(Show(owner, T(_QMPDF_RTF_ConversionTricky), mtWarning, kOKHelp, mbOK, 4850));
}

bool FailedToImport(TForm* owner) { return OnOK(Show(owner, T(_QMFailedToImport), mtError, kOKHelp, mbOK, 2860)); }

bool NotApplicableExplanation(TForm* owner) {
  return OnOK(Notice(owner, Req(T(_QMNonApplicableExplanation), mtInformation, kOKHelp, mbOK, 4563),
                     T(_QMNonApplicable), 10, 5));
}

bool PleaseCheckSettings(TForm* owner) { return OnOK(Show(owner, T(_QMPleaseCheckSettings), mtError, kOK, mbOK, 0)); }

bool PleaseLoadTags(TForm* owner) { return OnOK(Show(owner, T(_QMPleaseLoadTagFile), mtError, kOKHelp, mbOK, 2120)); }

bool PleaseMakeAChoiceForXAction(TForm* owner, const String& what, Int32 help) {
  return OnOK(Show(owner, F(_QMPleaseMakeAChoiceForX, {what}), mtError, kOKHelp, mbOK, help));
}

bool VideoLANPlayerVersionError(TForm* owner, const String& version) {
  return OnOK(Show(owner, F(_QMVideoLANPlayerVersionError, {version}), mtError, kOKHelp, mbOK, 5040));
}

bool PhraseFramesLookLikeJoined(TForm* owner) {
  const String frames = T(_QMPhraseFrames);
  return OnOK(Notice(owner, Req(F(_QMPhraseFramesCreateJoinedEntries, {frames}), mtInformation, kOKHelp, mbOK, 2915),
                     frames, 10, 5));
}

bool AnyWordsNotPresentInXPercentOfTextFilesIgnored(TForm* owner, Int32 atLeast, Int32 files, Double percent) {
  return OnOK(Notice(owner,
                     Req(F(_QMWillIgnoreEntriesNotInXYPercentOfTexts, {atLeast, files, percent}), mtInformation,
                         kOKHelp, mbOK, 2430),
                     T(_QMKeywords), 10, 5));
}

bool KeyWordsFoundLessThanNPercentMatches(TForm* owner, Int32 percent) {
  // The dialog offers OK: OK is the answer that agrees.
  return OnOK(Show(owner, F(_QMKeyWordsFoundLessThanNPercentMatches, {percent}), mtWarning, kOKHelp, mbOK, 5480));
}

bool YouMayNeedAdministratorRights(TForm* owner, const String& what) {
  return OnOK(Show(owner, F(_QMAdministratorRightsNeeded, {what}), mtWarning, kOKHelp, mbOK, 5570));
}

bool YouMayNeedToAddLanguages(TForm* owner) {
  return OnOK(Notice(owner, Req(T(_QMYouMayNeedToINstallLanguages), mtInformation, kOKCancelHelp, mbOK, 1230),
                     T(_QMLanguage), 20, 10));
}

bool NFilesDeleted(TForm* owner, Double files) {
  return OnOK(Show(owner, F(_QMNmanyDeleted, {files}), mtInformation, kOK, mbOK, 5720));
}

bool NItemsMatched(TForm* owner, Double items) {
  return OnOK(Show(owner, F(_QMFunctionNFound, {F(_QMAdjNoun, {T(_QMMatchList), T(_QMItems)}), items}), mtInformation,
                   kOK, mbOK, 1330));
}

bool NFilesCopiedOrMoved(TForm* owner, Double files, const String& destination, Int32 help, bool copied) {
  const String text = Format(copied ? T(_QMNmanyCopiedToX) : T(_QMNmanyMovedToX), {files, destination},
                             Global_StringToDateTimeFormat);
  return OnOK(Show(owner, text, mtInformation, kOK, mbOK, help));
}

bool AllCopiedOrMoved(TForm* owner, const String& destination, Int32 help, bool copied) {
  return OnOK(Show(owner, F(_QMAllYedToX, {copied ? T(_QMCopied) : T(_QMMoved), destination}), mtInformation, kOK,
                   mbOK, help));
}

bool CannotEncryptOriginals(TForm* owner) {
  return OnOK(Show(owner, T(_QMEncryptCopiesOnly), mtError, kOKHelp, mbOK, 4850));
}

bool CannotChooseSameColours(TForm* owner, Int32 help) {
  TMessageRequest r = Req(F(_QMSameColoursChosen, {T(_QMText), T(_QMBackground)}), mtError, kOKHelp, mbOK, help);
  r.caption = F(_QMColoursForX, {Tool_Name(global_current_tool)});
  return OnOK(ShowMessageRequest(owner, r));
}

bool CannotEncryptWithoutEncryptStr(TForm* owner) {
  return OnOK(Show(owner, T(_QMCannotEncryptWithoutEncryptStr), mtError, kOKHelp, mbOK, 4850));
}

bool CannotReplaceLineFeedsWithoutDefinedParaStr(TForm* owner) {
  return OnOK(Show(owner, T(_QMToRemoveLineBreaksParaMustBeDefined), mtError, kOKHelp, mbOK, 4850));
}

bool FileNamesMismatchCorrectQ(TForm* owner, const String& fileName) {
  return OnOK(Show(owner, F(_QMFilenamesMismatchInX, {fileName}), mtWarning, {mbOK, mbIgnore, mbHelp}, mbOK, 5920));
}

bool NoMWUsFound(TForm* owner, const String& fileName) {
  return OnOK(Show(owner, F(_QMNoMWUsFoundInX, {fileName}), mtError, kOK, mbOK, 5260));
}

bool SearchFailedToFindTryAsterisk(TForm* owner, const String& searchWord) {
  String text = F(_QMSearchFailedToFindS, {searchWord});
  if (searchWord.find(u'*') == String::npos) text += kCR + T(_QMTryAnAsterisk);
  return OnOK(Show(owner, text, mtConfirmation, kOKHelp, mbOK, 1440));
}

bool SearchFailedToFindX(TForm* owner, const String& searchWord) {
  return OnOK(Show(owner, F(_QMSearchFailedToFindS, {searchWord}), mtConfirmation, kOKHelp, mbOK, 1440));
}

bool SearchFoundX(TForm* owner, const String& searchWord) {
  return OnOK(Show(owner, F(_QMSearchFoundX, {searchWord}), mtConfirmation, kOKHelp, mbOK, 1440));
}

bool OKToUseTempDirAsTempDrive(TForm* owner, const String& folder) {
  return OnOK(Show(owner, F(_QMUseTempDir, {folder}) + kCR + T(_QMOrCancelToChooseNewOne), mtConfirmation,
                   kOKCancelHelp, mbOK, 2730));
}

bool KeyWordsNotFullLemmaProcessing(TForm* owner) {
  return OnOK(Show(owner, T(_QMNotLemmaProcessingButLemmasFound), mtInformation, kOKHelp, mbOK, 2436));
}

bool KeyWordsPlotIsOneTextFileOnly(TForm* owner) {
  if (KeyWordsPlotIsOneTextFileOnly_Shown) return true;
  const Int32 r = Show(owner, T(_QMCannotComputeBecauseMultipleSourceTexts), mtInformation, kOKHelp, mbOK, 2390);
  KeyWordsPlotIsOneTextFileOnly_Shown = true;
  return OnOK(r);
}

// ---------------------------------------------------------------------------
// The modal result.

Word CannotWriteToXFolder(TForm* owner, const String& folder) {
  return Modal(Show(owner, F(_QMCannotWriteToX, {folder}), mtError, {mbCancel}, mbRetry, 0));
}

Word YouChoseXbutLowestPossibleIsYQuitQ(TForm* owner, const String& what, Int32 chosen, Int32 lowest, Int32 help) {
  return Modal(Show(owner, F(_QMYouChoseXbutLowestPossibleIsYQuitQ, {what, chosen, lowest}), mtWarning, kOKCancelHelp,
                    mbCancel, help));
}

Word ProblemReport(TForm* owner, const String& problem, Int32 help) {
  TMessageRequest r = Req(F(_QMProblemIs, {problem}), mtError, kOK, mbYes, help);
  r.caption = T(_QMError);
  return Modal(ShowMessageRequest(owner, r));
}

Word ChooseACharacterNumber(TForm* owner) {
  return Modal(Show(owner, T(_QMChooseACharacterNumber), mtError, kOK, mbOK, 0));
}

Word MoreLikelyToBeXThanY(TForm* owner, const String& likely, const String& than) {
  const String text =
      T(_QMMoreLikelyToBe) + kCR + likely + kCR + T(_QMThan) + kCR + than + kCR + T(_QMChangeQ);
  return Modal(Show(owner, text, mtConfirmation, {mbYes, mbNo, mbNoToAll, mbYesToAll, mbHelp}, mbYes, 2550));
}

Word SearchFailedToFindAnyMoreX(TForm* owner, const String& searchWord) {
  return Modal(Show(owner, F(_QMNoMoreSFound, {searchWord}), mtConfirmation, kOKCancelHelp, mbOK, 1440));
}

Word AllConversionsAreLandRBounded(TForm* owner) {
  return Modal(Show(owner, T(_QMAllConversionsAreLandRBounded), mtConfirmation, kOKCancelHelp, mbOK, 2560));
}

// ---------------------------------------------------------------------------
// Nothing.

void FormNotFilled(TForm* owner, const String& what) {
  Show(owner, T(_QMFormNotFilledInRight) + kCR + what, mtWarning, kOK, mbOK, 0);
}

void RegistryAltered(TForm* owner, bool set, bool succeeded) {
  const String text = F(set ? _QMSetX : _QMUnSetX, {T(_QMFileAssociations)}) + u" " + (succeeded ? T(_QMOK) : T(_QMFailed));
  Show(owner, text, mtInformation, kOKHelp, mbOK, 4770);
}

// ---------------------------------------------------------------------------
// Always true.

bool NTextFilesConverted(TForm* owner, Double files) {
  Show(owner, F(_QMNmanyFilesConvertedTo, {files, T(_QMUnicode)}), mtInformation, kOKHelp, mbOK, 4990);
  return true;
}

bool CantChooseZScoreForKWDBase(TForm* owner) {
  Show(owner, T(_QMCantChooseZScoreForKWDBase), mtInformation, kOKHelp, mbOK, 2270);
  return true;
}

bool NotEnoughX(TForm* owner, const String& what, Int32 help) {
  Show(owner, F(_QMNotEnoughX, {what}), mtError, kOKHelp, mbOK, help);
  return true;
}

bool NoXFoundInY(TForm* owner, const String& what, const String& where, Int32 help) {
  Show(owner, T(_QMNo) + u" " + F(_QMXFoundAnywhereIn, {what, where}), mtError, kOKHelp, mbOK, help);
  return true;
}

bool NoCollocates(TForm* owner) {
  Show(owner, T(_QMNoCollocatesHere), mtInformation, kOKHelp, mbOK, 1990);
  return true;
}

bool NoKWDBEntries(TForm* owner) {
  Show(owner, T(_QMKWDBSettingsWrongForKWDB), mtInformation, kOKHelp, mbOK, 2270);
  return true;
}

bool NoKWDBRelatedClustersFound(TForm* owner) {
  Show(owner, T(_QMNoKWDBRelatedClusters), mtInformation, kOKHelp, mbOK, 5300);
  return true;
}

bool NotAValidQMFile(TForm* owner, const String& fileName, tool_type tool) {
  const Int32 help = tool == tt_wordlist ? 3490 : tool == tt_concord ? 3240 : tool == tt_keywords ? 3520 : 3345;
  Show(owner, F(_QMInvalidFileForTool, {fileName, Tool_Name(tool)}), mtError, kOKHelp, mbOK, help);
  return true;
}

bool NotEnoughAssociatesFor(TForm* owner, Int32 wanted, const String& word) {
  Show(owner, F(_QMNoAssociatesFoundForS, {wanted, word}), mtInformation, kOKHelp, mbOK, 2270);
  return true;
}

bool NoWordListWordsFoundIn(TForm* owner, const String& fileName) {
  Show(owner, F(_QMXFoundInY, {F(_QMNValidWordsAndFreqs, {0}), fileName}), mtInformation, kOKHelp, mbOK, 2860);
  return true;
}

bool CancellingAsNoneOfTheSourceTextsFound(TForm* owner, Double total) {
  Show(owner, F(_QMNoneOfNSourceTextsFound, {total}), mtWarning, kOKHelp, mbOK, 3390);
  return true;
}

// ---------------------------------------------------------------------------

String ProcessingNRelatedClusters(TForm* owner, Double clusters, Int32 sizeMin, Int32 sizeMax) {
  (void)owner;
  return Format(T(_QMProcessingNRelatedClusters), {clusters, sizeMin, sizeMax}, Global_StringToDateTimeFormat);
}

// ---------------------------------------------------------------------------

void Qmark_error_dlgs_2_initialization() {
  if (!Qmark_error_dlgs_2_counter.Initialization()) return;
  SourceTextIsOneTextFileOnly_Shown = false;
  KeyWordsPlotIsOneTextFileOnly_Shown = false;
}

void Qmark_error_dlgs_2_Finalization() { Qmark_error_dlgs_2_counter.Finalization(); }

}  // namespace sk
