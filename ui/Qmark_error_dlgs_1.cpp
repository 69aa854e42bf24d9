#include "ui/Qmark_error_dlgs_1.h"

#include <exception>

#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions.h"
#include "core/Qm_global_vars.h"
#include "core/Timing_functions.h"
#include "core/UnitCounter.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"
#include "services/Qm_essentials.h"
#include "ui/Dont_remind_me_dlg.h"
#include "ui/Qmark_error_dlgs_const.h"

namespace sk {

namespace {

using namespace message_building;

// Clears the busy flag when the notice ends, however it ends.
class TBusyHold {
 public:
  explicit TBusyHold(bool active) : fActive(active) {
    if (fActive) Global_ErrorMessageBusy = true;
  }
  ~TBusyHold() {
    if (fActive) Global_ErrorMessageBusy = false;
  }
  TBusyHold(const TBusyHold&) = delete;
  TBusyHold& operator=(const TBusyHold&) = delete;

 private:
  bool fActive;
};

}  // namespace

String CatalogueText(const TResStringRec& entry) {
  String s = LoadResString(&entry);
  for (size_t at = s.find(u"\\r"); at != String::npos; at = s.find(u"\\r", at + 1)) s.replace(at, 2, kCR);
  return s;
}

Int32 ShowMessageRequest(TForm* owner, const TMessageRequest& r) {
  if (r.busyWait > 0) WaitTillUntrue(Global_ErrorMessageBusy, r.busyWait);
  TBusyHold hold(r.busyWait > 0);
  bool& timedOut = r.timedOut != nullptr ? *r.timedOut : Global_TimedOut;
  if (r.defaultButton)
    return FormCentredMessageDlg(owner, timedOut, r.caption, r.text, r.type, r.buttons, r.help, Global_HelpProc,
                                 *r.defaultButton, r.seconds, r.box);
  return FormCentredMessageDlg(owner, timedOut, r.caption, r.text, r.type, r.buttons, r.help, Global_HelpProc,
                               r.seconds, r.box);
}

// ---------------------------------------------------------------------------

bool OKToOverwriteWithBackup(const String& fileName) {
  if (MessageDlg(F(_QMOverwriteXWithBackupQ, {fileName}), mtConfirmation, kYesNo, 0, mbYes) != mrYes) return false;
  // A file whose overwrite would be refused gets no backup: an earlier
  // backup of that name stays.
  if (ReplaceRefusal(fileName) != 0) return false;
  // The answer stands only when the backup exists: without it the caller
  // would overwrite the one copy there is.
  return CopyFile(fileName, ChangeFileExt(fileName, u".bak"), false);
}

bool CheckedForOverWrite(const String& fileName) { return !FileExists(fileName) || OKToOverwriteWithBackup(fileName); }

Word InformationMessage(TForm* owner, const String& text, Int32 help) {
  return Modal(Show(owner, text, mtInformation, kOKHelp, mbOK, help));
}

// ---------------------------------------------------------------------------
// True on Yes.

bool NoTextsChosenSoUseThese(TForm* owner, const String& basis, Double files) {
  return OnYes(Show(owner, F(_QMYouHaveNTextsChosen, {0.0}) + kCR + F(_QMSoUsetheNFileXIsBasedOn, {files, basis}),
                    mtConfirmation, kYesNoHelp, mbYes, 1310));
}

bool AssumeTextFileXIsInUnicodeQ(TForm* owner, const String& fileName) {
  return OnYes(Show(owner, F(_QMXBEInY, {fileName, T(_QMwas), T(_QMUnicode)}) + T(_QMQ), mtConfirmation, kYesNo, mbYes, 0));
}

bool UseCustomSortForLanguage(TForm* owner, const String& language) {
  return OnYes(Show(owner, F(_QMUseCustomSortForLanguageL, {language}), mtConfirmation, kYesNoHelp, mbYes, 5520));
}

bool OKToHighlightCollocateInConcordance(TForm* owner, const String& collocate, const String& position,
                                         const String& node, bool& timedOut) {
  TMessageRequest r = Req(F(_QMNodeXAsPCollocateOfY, {collocate, position, node}) +
                              F(_QMDoYouWantToXorY, {T(_QMShowInExistingConcordance), T(_QMComputeNewConcordance)}),
                          mtConfirmation, kYesNoHelp, mbYes, 4930);
  r.timedOut = &timedOut;
  return OnYes(Notice(owner, r, T(_QMCollocates), 5, 5));
}

bool ModifySourceTextsForSet(TForm* owner) {
  return OnYes(Show(owner, T(_QMModifySourceTextsForSetsQ), mtConfirmation, kYesNoHelp, mbNo, 4920));
}

bool ModifySourceTextsForSearchWord(TForm* owner) {
  return OnYes(Show(owner, T(_QMModifySourceTextsForSearchWordQ), mtConfirmation, kYesNoHelp, mbNo, 4920));
}

bool CopyIniAndOtherFilesToo(TForm* owner, const String& from, const String& to) {
  return OnYes(Show(owner, T(_QMCopySettingsFiles) + kCR + from + kCR + T(_QMTo) + u" " + to + kCR + T(_QMToo),
                    mtConfirmation, kYesNoHelp, mbYes, 1600));
}

bool OKtoSaveAgainAs(TForm* owner, const String& fileName) {
  return OnYes(Show(owner, F(_QMOKToSaveAgainAs, {fileName}), mtConfirmation, kYesNoHelp, mbYes, 1420));
}

bool ConvertMixedFormatsToUNicode(TForm* owner, bool withAnsi, const String& codePage) {
  String text = T(_QMMixedTextFormats) + kCR;
  if (withAnsi) text += F(_QMAnsiWillConvertUsing, {codePage}) + kCR;
  text += F(_QMDoYouWantToX, {T(_QMConvertIntoUnicode)});
  return OnYes(Show(owner, text, mtConfirmation, kYesNoHelp, mbYes, 1240));
}

bool IncludeZipsToo(TForm* owner) {
  return OnYes(Show(owner, T(_QMIncludeZipFiles), mtConfirmation, kYesNoHelp, mbYes, 1780));
}

bool CreateFolderYesNo(TForm* owner, const String& folder) {
  return OnYes(Show(owner, T(_QMCreate) + folder + T(_QMQ), mtConfirmation, kYesNo, mbYes, 0));
}

bool ChangeFontsColoursEtc(TForm* owner) {
  return OnYes(Show(owner, T(_QMUpdateFontsColour), mtConfirmation, kYesNo, mbYes, 0));
}

bool InsertBrackets(TForm* owner, const String& example) {
  return OnYes(Show(owner, F(_QMInsertBracket, {example}), mtConfirmation, kYesNo, mbYes, 1270));
}

bool AreYouSureYouWantTo(TForm* owner, const String& what, Int32 help) {
  return OnYes(Show(owner, F(_QMAreYouSureYouWantTo, {what}), mtConfirmation, kYesNoHelp, mbYes, help));
}

// ---------------------------------------------------------------------------
// True on OK.

bool ModifySourceTexts(TForm* owner) {
  return OnOK(Show(owner, T(_QMModifySourceTextsQ), mtConfirmation, kOKCancelHelp, mbCancel, 4920));
}

bool MediaLookupTableNotFound(TForm* owner) {
  return OnOK(Show(owner, T(_QMLookupTableNotFound), mtWarning, kOKHelp, mbOK, 6470));
}

bool MediaStartOfFilenameUndefined(TForm* owner) {
  return OnOK(Show(owner, T(_QMMediaStartOfFilenameUndefined), mtWarning, kOKHelp, mbOK, 6470));
}

bool TwoNumbersAndComma(TForm* owner, const String& text, const String& separator) {
  return OnOK(Show(owner, F(_QMIsnTTwoValidNum, {text, separator}), mtWarning, kOKHelp, mbOK, 3790));
}

bool OKtoDelete(TForm* owner, const String& what) {
  return OnOK(Show(owner, F(_QMOKToDeleteXQ, {what}), mtConfirmation, kOKCancel, mbCancel, 0));
}

bool OKtoDeleteDir(TForm* owner, const String& folder) { return OKtoDelete(owner, folder + T(_QMAndAllSubFolders)); }

bool OKtoCreateDir(TForm* owner, const String& folder) {
  return OnOK(Show(owner, F(_QMOKToCreateXQ, {folder}), mtConfirmation, kOKCancel, mbOK, 0));
}

bool ChooseLanguage(TForm* owner) { return OnOK(Show(owner, T(_QMChooseTheLanguage), mtWarning, kOK, mbOK, 0)); }

bool ChooseMainLanguage(TForm* owner) { return OnOK(Show(owner, T(_QMChooseMainLanguage), mtWarning, kOK, mbOK, 0)); }

bool NFilesLoaded(TForm* owner, Double files) {
  return OnOK(Show(owner, F(_QMNFilesLoaded, {files}), mtInformation, kOK, mbOK, 0));
}

bool NFilesSaved(TForm* owner, Double files) {
  return OnOK(Show(owner, F(_QMNFilesSaved, {files}), mtInformation, kOK, mbOK, 0));
}

bool NFilesPresentOnDisk(TForm* owner, Double present, Double total) {
  String text;
  if (present > 0 && present != total)
    text = F(_QMOnlyXPresentOnDisk, {present, total});
  else if (present > 0)
    text = F(_QMAllXPresentOnDisk, {present});
  else
    text = T(_QMNoFilesPresentOnDisk);
  return OnOK(Show(owner, text, mtInformation, kOK, mbOK, 0));
}

// ---------------------------------------------------------------------------
// True unless OK.

bool CantSortOnContextWord(TForm* owner) {
  return !OnOK(Show(owner, T(_QMCantSortOnContex) + kCR + T(_QMNoContextWordSpe), mtInformation, kOKHelp, mbOK, 2140));
}

bool CantPlayMedia(TForm* owner, const String& fileName) {
  return !OnOK(Show(owner, T(_QMFailedToPlay) + kCR + fileName, mtInformation, kOKHelp, mbOK, 5040));
}

// ---------------------------------------------------------------------------
// The modal result.

Word AskInstallerToSetUserReadWriteFolder(TForm* owner, const String& fileName) {
  return Modal(Show(owner, F(_QMUserReadWriteFolderIsWrong, {fileName}), mtError, kOKHelp, mbOK, 4540));
}

Word TextFileStatisticsNeededForX(TForm* owner, const String& what) {
  return Modal(Show(owner, F(_QMTextFileStatisticsNeededForX, {what}), mtError, kOK, mbOK, 0));
}

Word ChoosingTextFilesForOK(TForm* owner, tool_type tool, bool& chosen) {
  const Int32 r = Show(owner, T(_QMDifferentTextsCanBeChosenForTools) + kCR + F(_QMYoureChoosingForXTool, {Tool_Name(tool)}),
                       mtConfirmation, kOKCancelHelp, mbOK, 1240);
  chosen = true;
  return Modal(r);
}

Word FirstChooseTexts(TForm* owner) { return Modal(Show(owner, T(_QMForThisChooseTextsStr), mtError, kOK, mbOK, 0)); }

Word LimitedRoomOnDProceed(TForm* owner, Int64 megabytes, const String& drive) {
  return Modal(Show(owner, F(_QMOnlyMbSpaceOnDriveDProceed, {megabytes, drive}), mtWarning, {mbYes, mbCancel},
                    mbCancel, 0));
}

Word CouldntSaveFileInFolder(TForm* owner, const String& fileName) {
  return Modal(Show(owner, F(_QMCouldNtSaveFileInFolder, {ExtractFileName(fileName), ExtractFilePath(fileName)}),
                    mtWarning, kOKHelp, mbOK, 6100));
}

Word FolderIsReadOnly(TForm* owner, const String& folder) {
  return Modal(Show(owner, F(_QMFolderIsReadOnly, {folder}), mtWarning, kOKHelp, mbOK, 4890));
}

Word LimitOfKeywordLinksReached(TForm* owner, Int32 limit) {
  return Modal(Show(owner,
                    F(_QMXReachedYourPresetLimitsY, {F(_QMVerbNoun, {T(_QMKeyword), T(_QMLinks)}), IntToStr(limit)}),
                    mtInformation, kOKHelp, mbOK, 2430));
}

Word DoYouWantToOpenBatchFileToMergeLists(TForm* owner) {
  return Modal(Show(owner, T(_QMOpenTheZipFile) + F(_QMToMergeXResults, {T(_QMIndividual)}), mtConfirmation,
                    kYesNoCancelHelp, mbNo, 4660));
}

Word DoYouWantToOpenBatchFileToSeeIndividualLists(TForm* owner) {
  return Modal(Show(owner, T(_QMOpenTheZipFile) + F(_QMToSeeXResults, {T(_QMIndividual)}), mtConfirmation,
                    kYesNoCancelHelp, mbYes, 2730));
}

Word ReduceDataOK(TForm* owner, Double from, Double to) {
  return Modal(Show(owner, F(_QMZapDataFromXtoY, {from, to, T(_QMEntries)}) + kCR + T(_QMWontDeleteDataOnDisk),
                    mtConfirmation, kOKCancelHelp, mbOK, 4720));
}

Word CollocateRelationsNotComputed(TForm* owner) {
  return Modal(
      Show(owner, T(_QMYouHavenTYetComp) + kCR + T(_QMClickHelpForAdvic), mtWarning, kOKHelp, mbOK, 4700));
}

Word RefCorpusAndKWMismatch(TForm* owner, const String& kind, Double found, Double total) {
  return Modal(Show(owner, F(_QMRefCorpWLincompat, {kind, found, total}), mtWarning, kYesNoHelp, mbYes, 3470));
}

Word ConcordancingOnTagsQ(TForm* owner, const String& searchWord) {
  return Modal(Show(owner, F(_QMYouHaveTagSymbolsInX, {searchWord}) + kCR + T(_QMAreYouConcordancin), mtConfirmation,
                    kYesNoHelp, mbYes, 2080));
}

Word OpenFileInBrowserOrNotepad(TForm* owner, const String& fileName) {
  return Modal(Show(owner, F(_QMOpenInBrowserOrNotepadQ, {fileName}), mtConfirmation, kYesNo, mbYes, 0));
}

Word ChangeLanguageFromXToY(TForm* owner, const String& from, const String& to) {
  return Modal(
      Show(owner, F(_QMChangeTopicXtoY, {T(_QMLanguage), from, to}), mtConfirmation, kYesNoHelp, mbYes, 4900));
}

Word ChangeLanguageFrom(TForm* owner, const String& language, const String& detail) {
  return Modal(Show(owner, F(_QMChangeLanguageAway, {language, detail}), mtConfirmation, kYesNoHelp, mbYes, 1230));
}

Word ClearLogFile(TForm* owner, const String& fileName) {
  return Modal(Show(owner, T(_QMClear) + kCR + fileName + T(_QMQ), mtConfirmation, kYesNoHelp, mbYes, 6205));
}

Word FileHasHolesSoSkipIt(TForm* owner, const String& fileName, Int32 percent, const String& context) {
  const String text = fileName + kCR + F(_QMHasHolesAtAbout, {percent}) + kCR +
                      Format(u"%s: " + kQuote, {T(_QMContext)}) + context + kQuote + u"..." + kCR + T(_QMSkipIt);
  return Modal(
      Show(owner, text, mtConfirmation, {mbYes, mbNo, mbCancel, mbNoToAll, mbYesToAll, mbHelp}, mbYes, 3380));
}

Word FileIsEmpty(TForm* owner, const String& fileName) {
  return Modal(Show(owner, F(_QMEmptyFile, {fileName}), mtWarning, kOK, mbOK, 0));
}

Word FNameChooseNewOrBatch(TForm* owner, const String& fileName) {
  const String text = F(_QMVerbNounPrepNoun, {T(_QMPress), T(_QMYes), T(_QMTo), T(_QMSaveIn)}) + kCR + fileName +
                      kCR + T(_QMOrNoToChooseToS) + kCR + T(_QMOrCancel);
  return Modal(Show(owner, text, mtConfirmation, kYesNoCancelHelp, mbYes, 2730));
}

Word MenuShortcutAlreadyInUse(TForm* owner, const String& shortcut, const String& action, const String& takenBy) {
  return Modal(Show(owner, F(_QMMenuShortcutInUse, {shortcut, action, takenBy}), mtWarning, kOKHelp, mbOK, 4440));
}

Word NoPrinterInstalled(TForm* owner) {
  return Modal(Show(owner, T(_QMNoPrinterInstalled), mtWarning, kOKHelp, mbOK, 4650));
}

Word JoinClusters(TForm* owner) {
  return Modal(Show(owner, F(_QMJoinXQ, {T(_QMClusters)}), mtConfirmation, {mbCancel, mbYesToAll, mbHelp}, mbYesToAll,
                    5270));
}

Word JoinXtoY(TForm* owner, const String& member, const String& head) {
  return Modal(Show(owner, F(_QMJoinXtoYQ, {member, head}), mtConfirmation,
                    {mbYes, mbNo, mbCancel, mbNoToAll, mbYesToAll, mbHelp}, mbYes, 2720));
}

Word UnJoinAll(TForm* owner) {
  return Modal(Show(owner, F(_QMUnJoinAllXQ, {T(_QMEntries)}), mtConfirmation, {mbCancel, mbYesToAll, mbHelp},
                    mbYesToAll, 2795));
}

Word LimitOfConcordanceEntriesReached(TForm* owner, Int32 limit) {
  const String each = u"(" + F(_QMXeach, {IntToStr(limit)}) + u")";
  return Modal(
      Show(owner, F(_QMXReachedYourPresetLimitsY, {T(_QMEntries), each}), mtInformation, kOKHelp, mbOK, 2180));
}

Word LimitOfKeywordEntriesReached(TForm* owner, Int32 found, Int32 limit) {
  const String text = F(_QMNmanyEntriesFound, {static_cast<Double>(found)}) + kCR +
                      F(_QMXReachedYourPresetLimitsY, {T(_QMEntries), Format(u"%.0n", {static_cast<Double>(limit)})});
  return Modal(Show(owner, text, mtInformation, kOKHelp, mbOK, 2430));
}

Word NoCorruptFilesFound(TForm* owner) {
  return Modal(Show(owner, T(_QMNoCorruptFilesFound), mtInformation, kOKHelp, mbOK, 5140));
}

Word NoMatchListAction(TForm* owner) { return InformationMessage(owner, T(_QMChooseAMatchListAction), 1330); }

Word NoLemmaList(TForm* owner) { return InformationMessage(owner, F(_QMLoadAXListFi, {T(_QMLemma)}), 2780); }

Word NoMatchList(TForm* owner) { return InformationMessage(owner, F(_QMLoadAXListFi, {T(_QMMatch)}), 1330); }

Word NoMatchTemplate(TForm* owner) { return InformationMessage(owner, T(_QMMatchTemplateEmpty), 1330); }

Word NoStopList(TForm* owner) { return InformationMessage(owner, T(_QMLoadAStopListFil), 1460); }

Word NoWordsIn(TForm* owner, const String& fileName, Int32 help) {
  (void)help;  // the message has no help topic of its own
  return Modal(Show(owner, F(_QMXFoundInY, {F(_QMNValidWords, {0}), fileName}), mtWarning, kOK, mbOK, 0));
}

Word NoNeedToMaximize(TForm* owner) { return InformationMessage(owner, T(_QMNoNeedToMaximize), 1480); }

Word NotImplemented(TForm* owner) { return NotImplemented(owner, String()); }

Word NotImplemented(TForm* owner, const String& detail) {
  const String sorry = T(_QMSorryFunctionNot);
  return InformationMessage(owner, detail.empty() ? sorry : sorry + kCR + detail, 3910);
}

Word UnderMaintenance(TForm* owner, const String& detail) {
  return InformationMessage(owner, F(_QMSorryUnderMaintenance, {detail}), 3910);
}

Word OKtoSaveXInUnicode(TForm* owner, const String& fileName) {
  TMessageRequest r = Req(F(_QMOKToSaveXInUnicode, {fileName}), mtConfirmation,
                          {mbYes, mbNo, mbNoToAll, mbYesToAll, mbHelp}, mbYes, 4990);
  r.seconds = 6400;
  return Modal(ShowMessageRequest(owner, r));
}

Word OKtoReplaceWithNewVersion(TForm* owner, const String& fileName, bool withBackup, bool forAll) {
  const String text = withBackup ? F(_QMReplaceXWithNewVersionWithBackupQ, {fileName})
                                 : F(_QMReplaceXWithNewVersionQ, {fileName});
  const TMsgDlgButtons buttons = forAll ? TMsgDlgButtons{mbYes, mbNo, mbNoToAll, mbYesToAll} : kYesNo;
  return Modal(Show(owner, text, mtConfirmation, buttons, mbYes, 0));
}

Word StartNewToolInstance(TForm* owner) {
  return Modal(Show(owner, T(_QMStartAnother) + Tool_Name(global_current_tool) + T(_QMWindow), mtConfirmation,
                    kYesNoCancelHelp, mbYes, 1480));
}

Word DoYouWantToSave(TForm* owner, const String& name, const TQuillmarkList_set& kinds) {
  String names;
  for (int k = 0; k < TQuillmarkList_Count; ++k) {
    const auto kind = static_cast<TQuillmarkList>(k);
    if (!kinds.Contains(kind)) continue;
    const String listName = ListTypeAsString(kind);
    if (listName.empty()) continue;
    if (!names.empty()) names += u", ";
    names += listName;
  }
  String what;
  if (!names.empty())
    what = F(_QMXModified, {names});
  else if (!kinds.Empty())
    what = name.empty() ? String() : F(_QMXModified, {name});
  else
    what = name;
  if (what.empty()) return mrNo;
  // A time-out left over from an earlier dialog must not count as this one's.
  Global_TimedOut = false;
  TMessageRequest r = Req(F(_QMSaveXQ, {what}), mtConfirmation, kYesNoCancelHelp, mbYes, 1410);
  r.caption = T(_QMSaving);
  const Int32 result = ShowMessageRequest(owner, r);
  return Modal(Global_TimedOut ? mrYes : result);
}

Word FileIsOpenPleaseCloseIt(TForm* owner, const String& fileName) {
  return Modal(Show(owner, F(_QMFileIsOpenPleaseCloseIt, {fileName}), mtError, kOK, mbOK, 0));
}

Word FailedToFindX(TForm* owner, const String& what, Int32 help) {
  return Modal(Show(owner, F(_QMCouldnTFindS, {what}), mtInformation, kOKHelp, mbOK, help));
}

Word FailedToFind(TForm* owner, const String& fileName) {
  const String text = Trim(fileName).empty() ? T(_QMNoFileSpecifiedPleaseChooseOne) : F(_QMCouldnTFindFileS, {fileName});
  return Modal(Show(owner, text, mtInformation, kOKCancelHelp, mbCancel, 3390));
}

Word FailedToFindIni(TForm* owner, const String& fileName) {
  return Modal(Show(owner, F(_QMCouldnTFindS, {F(_QMDefaultsFileX, {fileName})}), mtInformation, kOKCancelHelp,
                    mbCancel, 3390));
}

Word SourceIndexDifferentFromMutualIndex(TForm* owner, const String& source, const String& byDefault) {
  const String text = T(_QMSourceIndexFile) + source + u")" + kCR + T(_QMIsNotTheDefaultI) + byDefault + u")" + kCR +
                      T(_QMResetDefaultTo) + kCR + source + kCR + T(_QMQ);
  return Modal(Show(owner, text, mtConfirmation, kYesNoHelp, mbYes, 4690));
}

// ---------------------------------------------------------------------------
// Nothing.

void SourceTextFileNotFound(TForm* owner) { Show(owner, T(_QMSourceTextNotFound), mtWarning, kOKHelp, mbOK, 4580); }

void NoPreferredLanguageButSetTo(TForm* owner, const String& language) {
  Show(owner, F(_QMNoPreferredLanguageButSetToL, {language}), mtWarning, kOKHelp, mbOK, 4290);
}

void NoFontsAvailableForLanguage(TForm* owner, const String& language) {
  Show(owner, F(_QMNoFontsAvailableForLanguageL, {language}), mtWarning, kOKHelp, mbOK, 5490);
}

void WordlistTXTFilenameNeeded(TForm* owner) { Show(owner, T(_QMWordlistTXTFilenameNeeded), mtError, kOK, mbOK, 0); }

void OutputFilenameNeeded(TForm* owner) { Show(owner, T(_QMOutputFilenameNeeded), mtError, kOK, mbOK, 0); }

void ProblemWithXOrStopPressed(TForm* owner, const String& what) {
  Show(owner, F(_QMProblemHandling, {what}) + kCR + T(_QMOrStopPressed), mtError, kOK, mbOK, 0);
}

void ResultsAddedToNotes(TForm* owner, const String& what) {
  Show(owner, F(_QMResultsOfSHaveBeenAddedToNotes, {what}), mtInformation, kOKHelp, mbOK, 1120);
}

void ResultsAreInTab(TForm* owner, const String& tab) {
  Show(owner, F(_QMResultsAreVisibleInTabX, {tab}), mtInformation, kOK, mbOK, 0);
}

void SuggestYouUpdateYourVersion(TForm* owner, Int32 days) {
  Show(owner, F(_QMVersionIsXDaysOldRunVersionUpdate, {days}), mtInformation, kOKHelp, mbOK, 4360);
}

void CantCompareWithSameFile(TForm* owner) { Show(owner, T(_QMCanTCompareWithT), mtInformation, kOKHelp, mbOK, 4160); }

void N_DuplicatesFound(TForm* owner, Double found, bool perfect) {
  if (perfect)
    Show(owner, F(_QMFunctionNFound, {T(_QMPerfectDuplicates), found}), mtInformation, kOKHelp, mbOK, 4170);
  else
    Show(owner, F(_QMFunctionNFound, {T(_QMNearDuplicates), found}), mtInformation, kOKHelp, mbOK, 6940);
}

void DataPartlyObscured(TForm* owner) {
  Notice(owner,
         Req(T(_QMWhereColumnsHaveP) + F(_QMToViewItAllPull, {T(_QMLayoutMenuOption)}), mtInformation, kOKHelp, mbOK,
             1320),
         T(_QMColumnLayout), 10, 10);
}

void ClipboardHasPictureAndText(TForm* owner) {
  Notice(owner, Req(T(_QMDataCopiedToTheClipboard), mtInformation, kOKHelp, mbOK, 1570), T(_QMClipboard), 10, 10);
}

void ClipboardHasPicture(TForm* owner) {
  Notice(owner, Req(T(_QMClipboardPasteAsPicture), mtInformation, kOKHelp, mbOK, 1570), T(_QMClipboard), 10, 10);
}

void ClipboardHasText(TForm* owner) {
  Notice(owner, Req(T(_QMClipboardPasteAsText), mtInformation, kOKHelp, mbOK, 1570), T(_QMClipboard), 10, 10);
}

void ConvertedTextsSavedWithConvertedExt(TForm* owner, const String& extension) {
  Show(owner, F(_QMConvertedTextsHaveConversionExt, {extension}), mtInformation, kOKHelp, mbOK, 5430);
}

void TextHasCharactersNeedingDifferentFont(TForm* owner, const String& example, const String& font) {
  Show(owner, F(_QMFontHasHighCharacters, {example, font}), mtInformation, kOKHelp, mbOK, 5430);
}

void CantMergeWithSameFile(TForm* owner) { Show(owner, T(_QMCanTMergeWithSam), mtInformation, kOK, mbOK, 3200); }

void MustMergeWithAligner(TForm* owner) { Show(owner, T(_QMMustMergeWithAligner), mtInformation, kOK, mbOK, 2590); }

void ProvideAFilenameOrCancel(TForm* owner) { Show(owner, T(_QMProvideAFilenameO), mtInformation, kOK, mbOK, 0); }

void NoXSelected(TForm* owner, const String& what) {
  Show(owner, F(_QMNoXSelected, {what}), mtInformation, kOK, mbOK, 0);
}

void NoConcordClustersOfSize(TForm* owner, Int32 highest, Int32 sizeMin, Int32 sizeMax, Int32 minFrequency) {
  Show(owner, F(_QMTooFewConcordClustersOf, {sizeMin, sizeMax, minFrequency}) + kCR + F(_QMMostFrequentWas, {highest}),
       mtInformation, kOKHelp, mbOK, 2000);
}

void NoClustersOfSizeIn(TForm* owner, Int32 highest, Int32 minFrequency, const TWordCluster_Settings& settings,
                        const String& fileName) {
  const String text = F(_QMNoClustersThoseSettings, {settings.cluster_size_min, settings.cluster_size_max, minFrequency,
                                                     static_cast<Double>(settings.max_working_percent), fileName}) +
                      kCR + F(_QMMostFrequentWas, {highest});
  Show(owner, text, mtInformation, kOKHelp, mbOK, 2910);
}

void NoRelationshipData(TForm* owner, Int32 items, const String& fileName) {
  Show(owner, F(_QMNoJointFreqRelations, {items, fileName}), mtInformation, kOKHelp, mbOK, 2820);
}

void IndexFilenameNeeded(TForm* owner) { Show(owner, T(_QMFirstINeedAnInde), mtInformation, kOKHelp, mbOK, 2800); }

void FailedToSave(TForm* owner, const String& fileName) {
  Show(owner, T(_QMFailedToSave) + kCR + kQuote + fileName + kQuote, mtInformation, kOKHelp, mbOK, 3350);
}

void FailedToInstall(TForm* owner, Int32 code, bool placeOK) {
  Show(owner, F(_QMFailedToInstall, {code, placeOK ? T(_QMFoundTheRightPlace) : T(_QMNotFoundTheRightPlace)}), mtError,
       kOKHelp, mbOK, 1110);
}

void SavedOK(TForm* owner, const String& fileName) {
  TMessageRequest r = Req(fileName + kCR + T(_QMSavedOK), mtInformation, kOK, mbOK, 0);
  r.seconds = 8;
  ShowMessageRequest(owner, r);
}

// ---------------------------------------------------------------------------
// Always true.

bool CouldntDoDetailedConsistencyOn(TForm* owner, const TStrings& fileNames) {
  String text = T(_QMCouldnTProcess) + kCR;
  for (Int32 i = 0; i < fileNames.Count(); ++i) text += ExtractFileName(fileNames.Strings(i)) + kCR;
  text += Format(u". (%s)", {T(_QMDifferentLanguages)});
  Show(owner, text, mtInformation, kOK, mbOK, 2760);
  return true;
}

bool FailedToCreateFileOrFolder(TForm* owner, const String& name) {
  Show(owner, F(_QMFailedToCreate, {name}), mtInformation, kOKHelp, mbOK, 3330);
  return true;
}

bool FailedToPrepareTextConversion(TForm* owner) {
  Show(owner, T(_QMFailedToPrepareTe), mtInformation, kOKHelp, mbOK, 2500);
  return true;
}

bool CantComputeKWSIfDifferentLanguages(TForm* owner) {
  Show(owner, F(_QMCannotComputeXIfLangsDiffer, {T(_QMKeywords)}), mtInformation, kOKHelp, mbOK, 4480);
  return true;
}

bool NoReferenceCorpus(TForm* owner) {
  Show(owner, T(_QMReferenceCorpusNeeded), mtError, kOKHelp, mbOK, 2430);
  return true;
}

bool XNotFound(TForm* owner, const String& what, Int32 help) {
  Show(owner, F(_QMXNotFound, {what}), mtInformation, kOKHelp, mbOK, help);
  return true;
}

bool NoXFoundAtCurrentSettings(TForm* owner, const String& what, Int32 help) {
  Show(owner, F(_QMNoXFoundAtCurrentSettings, {what}), mtInformation, kOKHelp, mbOK, help);
  return true;
}

bool NoProblem(TForm* owner) {
  Show(owner, T(_QMNoProblem), mtInformation, kOK, mbOK, 0);
  return true;
}

bool CantFindOneOfTheFiles(TForm* owner, const String& fileName, Int32 message, Int32 maximum) {
  Show(owner, F(_QMCouldnTFindOneOf, {fileName}) + kCR + F(_QMMessageNOfAMaxOfN, {message, maximum}), mtInformation,
       kOKHelp, mbOK, 3810);
  return true;
}

bool CantDeleteThisColumnOfData(TForm* owner, Int32 column, const String& heading) {
  Show(owner, F(_QMCanTDeleteColumn, {column, heading}), mtInformation, kOKHelp, mbOK, 1320);
  return true;
}

bool CantEditThisColumnOfData(TForm* owner, Int32 column, const String& editable) {
  Show(owner, F(_QMCanTEditColumn, {column}) + kCR + T(_QMOnlyOpenBracket) + editable + u")", mtInformation, kOKHelp,
       mbOK, 1300);
  return true;
}

bool CantFindAnyOfTheFiles(TForm* owner) {
  Show(owner, T(_QMCouldnTFindAnyOf), mtInformation, kOKHelp, mbOK, 3810);
  return true;
}

bool CantMakeXWithoutIndex(TForm* owner, const String& what) {
  Show(owner, F(_QMXCanOnlyBeComputedFromIndex, {what}) + kCR + T(_QMMakeOrOpenAnInde), mtInformation, kOKHelp, mbOK,
       2910);
  return true;
}

bool CantComputeMIWithoutIndex(TForm* owner) {
  Show(owner, T(_QMMICanOnlyBeCompu) + kCR + T(_QMMakeOrOpenAnInde), mtInformation, kOKHelp, mbOK, 2820);
  return true;
}

bool MustSelectUnjoinEntry(TForm* owner) {
  Show(owner, T(_QMYouMustSelectOne) + kCR + T(_QMDefineWhereTheTop), mtInformation, kOKHelp, mbOK, 2640);
  return true;
}

bool NModificationsMade(TForm* owner, Double modifications) {
  Show(owner, F(_QMNmanyModificationsMade, {modifications}), mtInformation, kOKHelp, mbOK, 4920);
  return true;
}

bool CantCommunicateWith(TForm* owner, tool_type tool) {
  Show(owner, T(_QMCannotCommunicateW) + Tool_Name(tool), mtInformation, kOK, mbOK, 0);
  return true;
}

bool IsntQmarkFile(TForm* owner, const String& fileName) {
  Show(owner, fileName + kCR + T(_QMIsnTAQuillmarkTo), mtInformation, kOKHelp, mbOK, 4500);
  return true;
}

bool IsntACurrentQmarkFile(TForm* owner, const String& fileName) {
  Show(owner, fileName + kCR + T(_QMANoLongerCurre), mtInformation, kOKHelp, mbOK, 4590);
  return true;
}

bool WrongToolForFile(TForm* owner, const String& fileName, tool_type tool) {
  Show(owner, fileName + kCR + T(_QMHasToBeOpenedWit) + kCR + Tool_Name(tool), mtInformation, kOK, mbOK, 0);
  return true;
}

bool InvalidWordAndFrequency(TForm* owner, const String& word, Int32 frequency) {
  Show(owner, F(_QMSUnacceptableNFrequency, {word, frequency}), mtError, kOKHelp, mbOK, 3790);
  return true;
}

bool InvalidNumber(TForm* owner, const String& text) {
  Show(owner, F(_QMIsnTAValidNumbe, {text}), mtWarning, kOKHelp, mbOK, 3790);
  return true;
}

bool UndefinedTimeLineBasis(TForm* owner) {
  Show(owner, T(_QMUndefinedTimeLineBasis), mtInformation, kOKHelp, mbOK, 1245);
  return true;
}

bool UnMatchedBracketInX(TForm* owner, const String& text) {
  Show(owner, F(_QMunmatched_bracket, {text}), mtError, kOKHelp, mbOK, 1270);
  return true;
}

bool UseLayoutToMoveAnyColumns(TForm* owner) {
  TMessageRequest r = Req(F(_QMUseXOptionToDoY, {T(_QMLayoutMenuOption), T(_QMMoveColumns)}), mtInformation, kOKHelp,
                          mbOK, 5850);
  r.seconds = 10;
  r.box = true;
  ShowMessageRequest(owner, r);
  return true;
}

bool UsingTempFile(TForm* owner, const String& fileName) {
  Show(owner, F(_QMXFileCreated, {T(_QMTemp)}) + kCR + kQuote + ExpandFileName(fileName) + kQuote, mtInformation,
       kOKHelp, mbOK, 1780);
  return true;
}

// ---------------------------------------------------------------------------
// Always false.

bool StoppedWhenProcessingX(TForm* owner, const String& what) {
  Show(owner, F(_QMStoppedWhenTryingToProcessX, {what}), mtInformation, kOKHelp, mbOK, 3340);
  return false;
}

bool FailedToReadSourceText(TForm* owner, const String& fileName) {
  Show(owner, F(_QMFailedToReadX, {fileName}), mtInformation, kOKHelp, mbOK, 3340);
  return false;
}

bool FailedToReadSAvedData(TForm* owner, const String& fileName) {
  Show(owner, F(_QMFailedToReadX, {fileName}), mtInformation, kOKHelp, mbOK, 3345);
  return false;
}

bool FailedToRename(TForm* owner, const String& from, const String& to) {
  Show(owner, F(_QMFailedToRenameXasY, {from, to}), mtInformation, kOKHelp, mbOK, 3345);
  return false;
}

SK_COUNTER_ONLY_UNIT(Qmark_error_dlgs_1)

}  // namespace sk
