// The suite's messages and questions, first part: one routine per situation,
// each showing its text from the message tables through the form-centred
// message dialog. The first parameter is the form that asks (nullptr gives
// the plain dialog); "number" parameters are shown with thousands separators.
//
// Results: a Boolean that is true on Yes or true on OK (false when refused,
// timed out or in silent mode), the modal result, a constant, or nothing; the
// comment of each group says which. Every routine fills one request that the
// shared ShowMessageRequest shows.
#pragma once

#include <optional>
#include <vector>

#include "core/Qm_specific_types.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"
#include "platform/visual/Forms.h"
#include "platform/visual/MessageDialogs.h"
#include "ui/Qmark_error_dlgs_1_building.h"

namespace sk {

// ---------------------------------------------------------------------------
// The request every message routine fills.

struct TMessageRequest {
  String text;
  String caption;  // "" for the dialog type's caption
  TMsgDlgType type = mtInformation;
  TMsgDlgButtons buttons{mbOK};
  // The default button; none leaves the choice to the dialog (OK, else Yes,
  // else Retry).
  std::optional<TMsgDlgBtn> defaultButton;
  Int32 help = 0;
  Int32 seconds = 0;  // closes itself after these seconds (0: never)
  bool box = false;   // with the "Never show this again" check box
  // A timed notice first waits up to these seconds for another message to
  // end (Global_ErrorMessageBusy) and holds the flag while it is shown.
  Int32 busyWait = 0;
  // Where the dialog says whether it timed out; nullptr for Global_TimedOut.
  bool* timedOut = nullptr;
};

// Shows the request through FormCentredMessageDlg with Global_HelpProc as the
// Help button's handler and answers the modal result. A busy wait sets
// Global_ErrorMessageBusy for the dialog's time and clears it on every exit.
Int32 ShowMessageRequest(TForm* owner, const TMessageRequest& request);
// A message-table text as the catalogue uses it: the two characters "\r"
// become a carriage return.
String CatalogueText(const TResStringRec& entry);

namespace message_building {

// The plain request: text, type, buttons, default and help.
inline TMessageRequest Req(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, TMsgDlgBtn def, Int32 help) {
  TMessageRequest r;
  r.text = text;
  r.type = type;
  r.buttons = buttons;
  r.defaultButton = def;
  r.help = help;
  return r;
}

inline Int32 Show(TForm* owner, const String& text, TMsgDlgType type, TMsgDlgButtons buttons, TMsgDlgBtn def,
                  Int32 help) {
  return ShowMessageRequest(owner, Req(text, type, buttons, def, help));
}

// A timed notice: a caption, seconds, the check box and a busy wait.
inline Int32 Notice(TForm* owner, TMessageRequest r, const String& caption, Int32 seconds, Int32 busyWait) {
  r.caption = caption;
  r.seconds = seconds;
  r.box = true;
  r.busyWait = busyWait;
  return ShowMessageRequest(owner, r);
}

}  // namespace message_building

// ---------------------------------------------------------------------------
// Overwriting with a backup: the platform's plain dialog, asked even in silent
// mode. On Yes the file is copied to the name with the extension ".bak"; the
// answer is true only when that copy was made, and false without a copy for
// a file whose replacement would be refused (ReplaceRefusal).
bool OKToOverwriteWithBackup(const String& fileName);
// True for a file that does not exist, else OKToOverwriteWithBackup.
bool CheckedForOverWrite(const String& fileName);

// Information with OK and Help; the modal result.
Word InformationMessage(TForm* owner, const String& text, Int32 help);

// True on Yes.
bool NoTextsChosenSoUseThese(TForm* owner, const String& basis, Double files);
bool AssumeTextFileXIsInUnicodeQ(TForm* owner, const String& fileName);
bool UseCustomSortForLanguage(TForm* owner, const String& language);
bool OKToHighlightCollocateInConcordance(TForm* owner, const String& collocate, const String& position,
                                         const String& node, bool& timedOut);
bool ModifySourceTextsForSet(TForm* owner);
bool ModifySourceTextsForSearchWord(TForm* owner);
bool CopyIniAndOtherFilesToo(TForm* owner, const String& from, const String& to);
bool OKtoSaveAgainAs(TForm* owner, const String& fileName);
bool ConvertMixedFormatsToUNicode(TForm* owner, bool withAnsi, const String& codePage);
bool IncludeZipsToo(TForm* owner);
bool CreateFolderYesNo(TForm* owner, const String& folder);
bool ChangeFontsColoursEtc(TForm* owner);
bool InsertBrackets(TForm* owner, const String& example);
bool AreYouSureYouWantTo(TForm* owner, const String& what, Int32 help);

// True on OK.
bool ModifySourceTexts(TForm* owner);
bool MediaLookupTableNotFound(TForm* owner);
bool MediaStartOfFilenameUndefined(TForm* owner);
bool TwoNumbersAndComma(TForm* owner, const String& text, const String& separator);
bool OKtoDelete(TForm* owner, const String& what);
bool OKtoDeleteDir(TForm* owner, const String& folder);
bool OKtoCreateDir(TForm* owner, const String& folder);
bool ChooseLanguage(TForm* owner);
bool ChooseMainLanguage(TForm* owner);
bool NFilesLoaded(TForm* owner, Double files);
bool NFilesSaved(TForm* owner, Double files);
bool NFilesPresentOnDisk(TForm* owner, Double present, Double total);

// True unless OK.
bool CantSortOnContextWord(TForm* owner);
bool CantPlayMedia(TForm* owner, const String& fileName);

// The modal result.
Word AskInstallerToSetUserReadWriteFolder(TForm* owner, const String& fileName);
Word TextFileStatisticsNeededForX(TForm* owner, const String& what);
// Sets chosen to true after the dialog.
Word ChoosingTextFilesForOK(TForm* owner, tool_type tool, bool& chosen);
Word FirstChooseTexts(TForm* owner);
Word LimitedRoomOnDProceed(TForm* owner, Int64 megabytes, const String& drive);
Word CouldntSaveFileInFolder(TForm* owner, const String& fileName);
Word FolderIsReadOnly(TForm* owner, const String& folder);
Word LimitOfKeywordLinksReached(TForm* owner, Int32 limit);
Word DoYouWantToOpenBatchFileToMergeLists(TForm* owner);
Word DoYouWantToOpenBatchFileToSeeIndividualLists(TForm* owner);
Word ReduceDataOK(TForm* owner, Double from, Double to);
Word CollocateRelationsNotComputed(TForm* owner);
Word RefCorpusAndKWMismatch(TForm* owner, const String& kind, Double found, Double total);
Word ConcordancingOnTagsQ(TForm* owner, const String& searchWord);
Word OpenFileInBrowserOrNotepad(TForm* owner, const String& fileName);
Word ChangeLanguageFromXToY(TForm* owner, const String& from, const String& to);
Word ChangeLanguageFrom(TForm* owner, const String& language, const String& detail);
Word ClearLogFile(TForm* owner, const String& fileName);
Word FileHasHolesSoSkipIt(TForm* owner, const String& fileName, Int32 percent, const String& context);
Word FileIsEmpty(TForm* owner, const String& fileName);
Word FNameChooseNewOrBatch(TForm* owner, const String& fileName);
Word MenuShortcutAlreadyInUse(TForm* owner, const String& shortcut, const String& action, const String& takenBy);
Word NoPrinterInstalled(TForm* owner);
Word JoinClusters(TForm* owner);
Word JoinXtoY(TForm* owner, const String& member, const String& head);
Word UnJoinAll(TForm* owner);
Word LimitOfConcordanceEntriesReached(TForm* owner, Int32 limit);
Word LimitOfKeywordEntriesReached(TForm* owner, Int32 found, Int32 limit);
Word NoCorruptFilesFound(TForm* owner);
Word NoMatchListAction(TForm* owner);
Word NoLemmaList(TForm* owner);
Word NoMatchList(TForm* owner);
Word NoMatchTemplate(TForm* owner);
Word NoStopList(TForm* owner);
Word NoWordsIn(TForm* owner, const String& fileName, Int32 help);
Word NoNeedToMaximize(TForm* owner);
Word NotImplemented(TForm* owner);
Word NotImplemented(TForm* owner, const String& detail);
Word UnderMaintenance(TForm* owner, const String& detail);
Word OKtoSaveXInUnicode(TForm* owner, const String& fileName);
Word OKtoReplaceWithNewVersion(TForm* owner, const String& fileName, bool withBackup, bool forAll);
Word StartNewToolInstance(TForm* owner);
// "Save ...?" for the modified list kinds (their names joined by ", ") or the
// given name; no dialog and No (7) when there is nothing to name; Yes (6) when
// nobody answered before the dialog closed itself.
Word DoYouWantToSave(TForm* owner, const String& name, const TQuillmarkList_set& kinds);
Word FileIsOpenPleaseCloseIt(TForm* owner, const String& fileName);
Word FailedToFindX(TForm* owner, const String& what, Int32 help);
Word FailedToFind(TForm* owner, const String& fileName);
Word FailedToFindIni(TForm* owner, const String& fileName);
Word SourceIndexDifferentFromMutualIndex(TForm* owner, const String& source, const String& byDefault);

// Nothing.
void SourceTextFileNotFound(TForm* owner);
void NoPreferredLanguageButSetTo(TForm* owner, const String& language);
void NoFontsAvailableForLanguage(TForm* owner, const String& language);
void WordlistTXTFilenameNeeded(TForm* owner);
void OutputFilenameNeeded(TForm* owner);
void ProblemWithXOrStopPressed(TForm* owner, const String& what);
void ResultsAddedToNotes(TForm* owner, const String& what);
void ResultsAreInTab(TForm* owner, const String& tab);
void SuggestYouUpdateYourVersion(TForm* owner, Int32 days);
void CantCompareWithSameFile(TForm* owner);
void N_DuplicatesFound(TForm* owner, Double found, bool perfect);
void DataPartlyObscured(TForm* owner);
void ClipboardHasPictureAndText(TForm* owner);
void ClipboardHasPicture(TForm* owner);
void ClipboardHasText(TForm* owner);
void ConvertedTextsSavedWithConvertedExt(TForm* owner, const String& extension);
void TextHasCharactersNeedingDifferentFont(TForm* owner, const String& example, const String& font);
void CantMergeWithSameFile(TForm* owner);
void MustMergeWithAligner(TForm* owner);
void ProvideAFilenameOrCancel(TForm* owner);
void NoXSelected(TForm* owner, const String& what);
void NoConcordClustersOfSize(TForm* owner, Int32 highest, Int32 sizeMin, Int32 sizeMax, Int32 minFrequency);
void NoClustersOfSizeIn(TForm* owner, Int32 highest, Int32 minFrequency, const TWordCluster_Settings& settings,
                        const String& fileName);
void NoRelationshipData(TForm* owner, Int32 items, const String& fileName);
void IndexFilenameNeeded(TForm* owner);
void FailedToSave(TForm* owner, const String& fileName);
void FailedToInstall(TForm* owner, Int32 code, bool placeOK);
void SavedOK(TForm* owner, const String& fileName);

// Always true.
bool CouldntDoDetailedConsistencyOn(TForm* owner, const TStrings& fileNames);
bool FailedToCreateFileOrFolder(TForm* owner, const String& name);
bool FailedToPrepareTextConversion(TForm* owner);
bool CantComputeKWSIfDifferentLanguages(TForm* owner);
bool NoReferenceCorpus(TForm* owner);
bool XNotFound(TForm* owner, const String& what, Int32 help);
bool NoXFoundAtCurrentSettings(TForm* owner, const String& what, Int32 help);
bool NoProblem(TForm* owner);
bool CantFindOneOfTheFiles(TForm* owner, const String& fileName, Int32 message, Int32 maximum);
bool CantDeleteThisColumnOfData(TForm* owner, Int32 column, const String& heading);
bool CantEditThisColumnOfData(TForm* owner, Int32 column, const String& editable);
bool CantFindAnyOfTheFiles(TForm* owner);
bool CantMakeXWithoutIndex(TForm* owner, const String& what);
bool CantComputeMIWithoutIndex(TForm* owner);
bool MustSelectUnjoinEntry(TForm* owner);
bool NModificationsMade(TForm* owner, Double modifications);
bool CantCommunicateWith(TForm* owner, tool_type tool);
bool IsntQmarkFile(TForm* owner, const String& fileName);
bool IsntACurrentQmarkFile(TForm* owner, const String& fileName);
bool WrongToolForFile(TForm* owner, const String& fileName, tool_type tool);
bool InvalidWordAndFrequency(TForm* owner, const String& word, Int32 frequency);
bool InvalidNumber(TForm* owner, const String& text);
bool UndefinedTimeLineBasis(TForm* owner);
bool UnMatchedBracketInX(TForm* owner, const String& text);
bool UseLayoutToMoveAnyColumns(TForm* owner);
bool UsingTempFile(TForm* owner, const String& fileName);

// Always false.
bool StoppedWhenProcessingX(TForm* owner, const String& what);
bool FailedToReadSourceText(TForm* owner, const String& fileName);
bool FailedToReadSAvedData(TForm* owner, const String& fileName);
bool FailedToRename(TForm* owner, const String& from, const String& to);


void Qmark_error_dlgs_1_initialization();
void Qmark_error_dlgs_1_Finalization();

}  // namespace sk
