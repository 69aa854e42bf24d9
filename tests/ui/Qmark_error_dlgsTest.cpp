// The message catalogue: every routine called through a hook at the dialog
// core's entry, its request (text with its carriage returns, caption, type,
// buttons, default, help, seconds, box) compared with its row, and its result
// when the answer is Yes, OK, Cancel and in silent mode. Then the routines
// that do more than show one message.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "core/Qm_global_vars.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/visual/Shell.h"
#include "platform/visual/StandardControls.h"
#include "ui/Qmark_error_dlgs_1.h"
#include "ui/Qmark_error_dlgs_2.h"
#include "ui/Qmark_error_dlgs_3.h"

namespace sk {
namespace {

enum TResultKind { onYes, onOK, unlessOK, modal, alwaysTrue, alwaysFalse, nothing };

constexpr TMsgDlgButtons OK_{mbOK};
constexpr TMsgDlgButtons OKH{mbOK, mbHelp};
constexpr TMsgDlgButtons OKC{mbOK, mbCancel};
constexpr TMsgDlgButtons OKCH{mbOK, mbCancel, mbHelp};
constexpr TMsgDlgButtons YN{mbYes, mbNo};
constexpr TMsgDlgButtons YNH{mbYes, mbNo, mbHelp};
constexpr TMsgDlgButtons YNC{mbYes, mbNo, mbCancel};
constexpr TMsgDlgButtons YNCH{mbYes, mbNo, mbCancel, mbHelp};
constexpr TMsgDlgButtons ALL6{mbYes, mbNo, mbCancel, mbNoToAll, mbYesToAll, mbHelp};
constexpr TMsgDlgButtons YN_ALL_H{mbYes, mbNo, mbNoToAll, mbYesToAll, mbHelp};

// One row of the catalogue: how to call the routine (answering its result as
// a number: 1 and 0 for Booleans, -1 for nothing) and what it must ask.
struct Row {
  const char* routine;
  std::function<Int32(TForm*)> call;
  String text;
  TMsgDlgType type;
  TMsgDlgButtons buttons;
  TMsgDlgBtn byDefault;
  Int32 help;
  TResultKind result;
  String caption;
  Int32 seconds = 0;
  bool box = false;

  Row& Caption(const String& c) {
    caption = c;
    return *this;
  }
  Row& Seconds(Int32 s) {
    seconds = s;
    return *this;
  }
  Row& Box() {
    box = true;
    return *this;
  }
};

Row R(const char* routine, std::function<Int32(TForm*)> call, const String& text, TMsgDlgType type,
      TMsgDlgButtons buttons, TMsgDlgBtn byDefault, Int32 help, TResultKind result) {
  return Row{routine, std::move(call), text, type, buttons, byDefault, help, result, String()};
}

#define CALL(expr) [](TForm* o) -> Int32 { (void)o; return static_cast<Int32>(expr); }
#define CALLV(expr) [](TForm* o) -> Int32 { (void)o; expr; return -1; }

std::vector<Row> Catalogue() {
  std::vector<Row> rows;
  auto add = [&rows](Row r) { rows.push_back(std::move(r)); };
  // ---- Qmark_error_dlgs_1
  add(R("NoTextsChosenSoUseThese", CALL(NoTextsChosenSoUseThese(o, u"list.lst", 12345)),
        u"You have 0 text file(s) chosen\rso use the 12,345 that list.lst is based on?", mtConfirmation, YNH, mbYes, 1310, onYes));
  add(R("AssumeTextFileXIsInUnicodeQ", CALL(AssumeTextFileXIsInUnicodeQ(o, u"a.txt")), u"a.txt was in Unicode?",
        mtConfirmation, YN, mbYes, 0, onYes));
  add(R("SourceTextFileNotFound", CALLV(SourceTextFileNotFound(o)), u"source text not found", mtWarning, OKH, mbOK, 4580, nothing));
  add(R("UseCustomSortForLanguage", CALL(UseCustomSortForLanguage(o, u"Welsh")), u"use custom sort for Welsh?",
        mtConfirmation, YNH, mbYes, 5520, onYes));
  add(R("NoPreferredLanguageButSetTo", CALLV(NoPreferredLanguageButSetTo(o, u"Welsh")),
        u"preferred main language being set to Welsh", mtWarning, OKH, mbOK, 4290, nothing));
  add(R("NoFontsAvailableForLanguage", CALLV(NoFontsAvailableForLanguage(o, u"Welsh")), u"your system has no fonts for Welsh",
        mtWarning, OKH, mbOK, 5490, nothing));
  add(R("AskInstallerToSetUserReadWriteFolder", CALL(AskInstallerToSetUserReadWriteFolder(o, u"x.ini")),
        u"x.ini not found or its folder must allow writing", mtError, OKH, mbOK, 4540, modal));
  add(R("TextFileStatisticsNeededForX", CALL(TextFileStatisticsNeededForX(o, u"plots")), u"text file statistics needed for plots",
        mtError, OK_, mbOK, 0, modal));
  add(R("ChoosingTextFilesForOK", [](TForm* o) -> Int32 { bool chosen = false; return ChoosingTextFilesForOK(o, tt_concord, chosen); },
        u"Different texts can be chosen for the various Tools\rYou're choosing for Concordance", mtConfirmation, OKCH, mbOK, 1240, modal));
  add(R("FirstChooseTexts", CALL(FirstChooseTexts(o)), u"For this operation, you first need to choose text files.", mtError,
        OK_, mbOK, 0, modal));
  add(R("WordlistTXTFilenameNeeded", CALLV(WordlistTXTFilenameNeeded(o)), u"wordlist (.txt) filename needed", mtError, OK_,
        mbOK, 0, nothing));
  add(R("OutputFilenameNeeded", CALLV(OutputFilenameNeeded(o)), u"Output filename needed", mtError, OK_, mbOK, 0, nothing));
  add(R("ProblemWithXOrStopPressed", CALLV(ProblemWithXOrStopPressed(o, u"a.txt")), u"problem handling a.txt\ror stop pressed",
        mtError, OK_, mbOK, 0, nothing));
  add(R("LimitedRoomOnDProceed", CALL(LimitedRoomOnDProceed(o, Int64(5000000000), u"/mnt")),
        u"Only 5000000000Mb space left on /mnt -- Proceed?", mtWarning, {mbYes, mbCancel}, mbCancel, 0, modal));
  add(R("ResultsAddedToNotes", CALLV(ResultsAddedToNotes(o, u"plots")), u"Results of plots have been added to Notes",
        mtInformation, OKH, mbOK, 1120, nothing));
  add(R("ResultsAreInTab", CALLV(ResultsAreInTab(o, u"Tab 2")), u"Results are in the tab labelled Tab 2", mtInformation, OK_,
        mbOK, 0, nothing));
  add(R("OKToHighlightCollocateInConcordance",
        [](TForm* o) -> Int32 { bool t = false; return OKToHighlightCollocateInConcordance(o, u"cat", u"L1", u"dog", t); },
        u"Re cat in L1 context of dogDo you want to show in this concordance or compute a new concordance?", mtConfirmation,
        YNH, mbYes, 4930, onYes)
          .Caption(u"collocates").Seconds(5).Box());
  add(R("SuggestYouUpdateYourVersion", CALLV(SuggestYouUpdateYourVersion(o, 40)),
        u"Your version is 40 days old: suggest you run Version Update", mtInformation, OKH, mbOK, 4360, nothing));
  add(R("CouldntSaveFileInFolder", CALL(CouldntSaveFileInFolder(o, u"/tmp/out/list.lst")), u"couldn't save list.lst in /tmp/out/",
        mtWarning, OKH, mbOK, 6100, modal));
  add(R("FolderIsReadOnly", CALL(FolderIsReadOnly(o, u"/ro")), u"/ro is a read-only folder", mtWarning, OKH, mbOK, 4890, modal));
  add(R("CantCompareWithSameFile", CALLV(CantCompareWithSameFile(o)), u"Can't compare with the same file", mtInformation, OKH,
        mbOK, 4160, nothing));
  add(R("N_DuplicatesFound", CALLV(N_DuplicatesFound(o, 12345, true)), u"perfect duplicates: 12,345 found", mtInformation, OKH,
        mbOK, 4170, nothing));
  add(R("N_DuplicatesFound", CALLV(N_DuplicatesFound(o, 12345, false)), u"near duplicates: 12,345 found", mtInformation, OKH,
        mbOK, 6940, nothing));
  add(R("ModifySourceTexts", CALL(ModifySourceTexts(o)), u"Modify the source texts?", mtConfirmation, OKCH, mbCancel, 4920, onOK));
  add(R("ModifySourceTextsForSet", CALL(ModifySourceTextsForSet(o)), u"Modify the source texts to suit your Set choices?",
        mtConfirmation, YNH, mbNo, 4920, onYes));
  add(R("ModifySourceTextsForSearchWord", CALL(ModifySourceTextsForSearchWord(o)),
        u"Modify the source texts to suit your Search words?", mtConfirmation, YNH, mbNo, 4920, onYes));
  add(R("LimitOfKeywordLinksReached", CALL(LimitOfKeywordLinksReached(o, 50)), u"key word Links reached your pre-set limits (50)",
        mtInformation, OKH, mbOK, 2430, modal));
  add(R("DoYouWantToOpenBatchFileToMergeLists", CALL(DoYouWantToOpenBatchFileToMergeLists(o)),
        u"Open the .zip file to merge individual results?", mtConfirmation, YNCH, mbNo, 4660, modal));
  add(R("DoYouWantToOpenBatchFileToSeeIndividualLists", CALL(DoYouWantToOpenBatchFileToSeeIndividualLists(o)),
        u"Open the .zip file to see individual results?", mtConfirmation, YNCH, mbYes, 2730, modal));
  add(R("ReduceDataOK", CALL(ReduceDataOK(o, 12345, 100)), u"Zap data from 12,345 to 100 entries\r(it won't delete data on disk)",
        mtConfirmation, OKCH, mbOK, 4720, modal));
  add(R("CollocateRelationsNotComputed", CALL(CollocateRelationsNotComputed(o)),
        u"You haven't yet computed collocate association strength\rClick help for advice", mtWarning, OKH, mbOK, 4700, modal));
  add(R("RefCorpusAndKWMismatch", CALL(RefCorpusAndKWMismatch(o, u"BNC", 12, 12345)),
        u"Reference Corpus and BNC word-lists look incompatible as in it, 12 words were found out of 12,345 ... Quit?",
        mtWarning, YNH, mbYes, 3470, modal));
  add(R("ConcordancingOnTagsQ", CALL(ConcordancingOnTagsQ(o, u"<w>")),
        u"You have tag-symbols in <w>\rAre you concordancing on tags?", mtConfirmation, YNH, mbYes, 2080, modal));
  add(R("DataPartlyObscured", CALLV(DataPartlyObscured(o)),
        u"Where columns have purple lines the data is too wide for the column. To view it all, pull the header wider, or use "
        u"the Layout menu option.",
        mtInformation, OKH, mbOK, 1320, nothing)
          .Caption(u"Column layout").Seconds(10).Box());
  add(R("ClipboardHasPictureAndText", CALLV(ClipboardHasPictureAndText(o)),
        u"Data copied to the clipboard. It can be pasted as text, or (paste special) as \"Enhanced Metafile\" which will "
        u"look like an image.",
        mtInformation, OKH, mbOK, 1570, nothing)
          .Caption(u"Clipboard").Seconds(10).Box());
  add(R("ClipboardHasPicture", CALLV(ClipboardHasPicture(o)),
        u"data can now be pasted (paste special) as a picture; choose \"Enhanced Metafile\" format", mtInformation, OKH,
        mbOK, 1570, nothing)
          .Caption(u"Clipboard").Seconds(10).Box());
  add(R("ClipboardHasText", CALLV(ClipboardHasText(o)), u"data can now be pasted as text.", mtInformation, OKH, mbOK, 1570,
        nothing)
          .Caption(u"Clipboard").Seconds(10).Box());
  add(R("OpenFileInBrowserOrNotepad", CALL(OpenFileInBrowserOrNotepad(o, u"a.htm")),
        u"Open a.htm with your browser? (If not, we'll use Notepad)", mtConfirmation, YN, mbYes, 0, modal));
  add(R("ChangeLanguageFromXToY", CALL(ChangeLanguageFromXToY(o, u"English", u"Welsh")), u"Change language English to Welsh?",
        mtConfirmation, YNH, mbYes, 4900, modal));
  add(R("ChangeLanguageFrom", CALL(ChangeLanguageFrom(o, u"English", u"UK")), u"Change Language away from English (UK)?",
        mtConfirmation, YNH, mbYes, 1230, modal));
  add(R("ClearLogFile", CALL(ClearLogFile(o, u"a.log")), u"Clear\ra.log?", mtConfirmation, YNH, mbYes, 6205, modal));
  add(R("CopyIniAndOtherFilesToo", CALL(CopyIniAndOtherFilesToo(o, u"/a", u"/b")), u"Copy settings files from\r/a\rto /b\rtoo?",
        mtConfirmation, YNH, mbYes, 1600, onYes));
  add(R("FileHasHolesSoSkipIt", CALL(FileHasHolesSoSkipIt(o, u"a.txt", 30, u"the cat")),
        u"a.txt\rhas \"holes\" at about 30 %\rcontext: \"the cat\"...\rSkip it?", mtConfirmation, ALL6, mbYes, 3380, modal));
  add(R("FileIsEmpty", CALL(FileIsEmpty(o, u"a.txt")), u"a.txt is empty", mtWarning, OK_, mbOK, 0, modal));
  add(R("FNameChooseNewOrBatch", CALL(FNameChooseNewOrBatch(o, u"a.lst")),
        u"Press Yes to save in \ra.lst\ror No to choose to save as a new file\r... or Cancel", mtConfirmation, YNCH, mbYes,
        2730, modal));
  add(R("MediaLookupTableNotFound", CALL(MediaLookupTableNotFound(o)), u"lookup table not found", mtWarning, OKH, mbOK, 6470, onOK));
  add(R("MediaStartOfFilenameUndefined", CALL(MediaStartOfFilenameUndefined(o)), u"start of media filename undefined",
        mtWarning, OKH, mbOK, 6470, onOK));
  add(R("MenuShortcutAlreadyInUse", CALL(MenuShortcutAlreadyInUse(o, u"Ctrl+F", u"Find", u"Search")),
        u"Menu shortcut (Ctrl+F) for Find is already taken (by Search)", mtWarning, OKH, mbOK, 4440, modal));
  add(R("NoPrinterInstalled", CALL(NoPrinterInstalled(o)), u"no printer has been installed", mtWarning, OKH, mbOK, 4650, modal));
  add(R("JoinClusters", CALL(JoinClusters(o)), u"Join clusters?", mtConfirmation, {mbCancel, mbYesToAll, mbHelp}, mbYesToAll,
        5270, modal));
  add(R("JoinXtoY", CALL(JoinXtoY(o, u"cats", u"cat")), u"Join cats to cat?", mtConfirmation, ALL6, mbYes, 2720, modal));
  add(R("UnJoinAll", CALL(UnJoinAll(o)), u"Unjoin all entries?", mtConfirmation, {mbCancel, mbYesToAll, mbHelp}, mbYesToAll,
        2795, modal));
  add(R("LimitOfConcordanceEntriesReached", CALL(LimitOfConcordanceEntriesReached(o, 500)),
        u"entries reached your pre-set limits ((500 each))", mtInformation, OKH, mbOK, 2180, modal));
  add(R("LimitOfKeywordEntriesReached", CALL(LimitOfKeywordEntriesReached(o, 12345, 5000)),
        u"12,345 entries found\rentries reached your pre-set limits (5,000)", mtInformation, OKH, mbOK, 2430, modal));
  add(R("NoCorruptFilesFound", CALL(NoCorruptFilesFound(o)), u"No corrupt files detected", mtInformation, OKH, mbOK, 5140, modal));
  add(R("NoMatchListAction", CALL(NoMatchListAction(o)), u"Choose a match list action, please", mtInformation, OKH, mbOK,
        1330, modal));
  add(R("NoLemmaList", CALL(NoLemmaList(o)), u"Load a lemma list file first, please", mtInformation, OKH, mbOK, 2780, modal));
  add(R("NoMatchList", CALL(NoMatchList(o)), u"Load a Match list file first, please", mtInformation, OKH, mbOK, 1330, modal));
  add(R("NoMatchTemplate", CALL(NoMatchTemplate(o)), u"the match template is needed", mtInformation, OKH, mbOK, 1330, modal));
  add(R("InformationMessage", CALL(InformationMessage(o, u"Plain words", 777)), u"Plain words", mtInformation, OKH, mbOK, 777,
        modal));
  add(R("NoStopList", CALL(NoStopList(o)), u"Load a stop list file first, please", mtInformation, OKH, mbOK, 1460, modal));
  add(R("NoWordsIn", CALL(NoWordsIn(o, u"a.txt", 777)), u"0 valid words found in a.txt", mtWarning, OK_, mbOK, 0, modal));
  add(R("NoNeedToMaximize", CALL(NoNeedToMaximize(o)), u"No need to maximize this window", mtInformation, OKH, mbOK, 1480, modal));
  add(R("NotImplemented", CALL(NotImplemented(o)), u"Sorry, function not implemented yet.", mtInformation, OKH, mbOK, 3910, modal));
  add(R("NotImplemented", CALL(NotImplemented(o, u"plots")), u"Sorry, function not implemented yet.\rplots", mtInformation,
        OKH, mbOK, 3910, modal));
  add(R("UnderMaintenance", CALL(UnderMaintenance(o, u"plots")),
        u"This function is under maintenance,\rplots\rWe hope to have improvements in the next upload.\r(see Updates in "
        u"the main Controller).",
        mtInformation, OKH, mbOK, 3910, modal));
  add(R("CouldntDoDetailedConsistencyOn",
        [](TForm* o) -> Int32 {
          TStringList names;
          names.Add(u"/x/a.txt");
          names.Add(u"/y/b.txt");
          return CouldntDoDetailedConsistencyOn(o, names);
        },
        u"Couldn't process \ra.txt\rb.txt\r. (different languages)", mtInformation, OK_, mbOK, 2760, alwaysTrue));
  add(R("FailedToCreateFileOrFolder", CALL(FailedToCreateFileOrFolder(o, u"/x")),
        u"Failed to create /x (read-only folder, perhaps?)", mtInformation, OKH, mbOK, 3330, alwaysTrue));
  add(R("FailedToPrepareTextConversion", CALL(FailedToPrepareTextConversion(o)), u"Failed to prepare text conversion",
        mtInformation, OKH, mbOK, 2500, alwaysTrue));
  add(R("CantComputeKWSIfDifferentLanguages", CALL(CantComputeKWSIfDifferentLanguages(o)),
        u"Can't compute key words if languages differ", mtInformation, OKH, mbOK, 4480, alwaysTrue));
  add(R("NoReferenceCorpus", CALL(NoReferenceCorpus(o)), u"Choose a reference corpus please", mtError, OKH, mbOK, 2430, alwaysTrue));
  add(R("XNotFound", CALL(XNotFound(o, u"a.txt", 777)), u"a.txt not found", mtInformation, OKH, mbOK, 777, alwaysTrue));
  add(R("NoXFoundAtCurrentSettings", CALL(NoXFoundAtCurrentSettings(o, u"clusters", 777)),
        u"No clusters found at current settings", mtInformation, OKH, mbOK, 777, alwaysTrue));
  add(R("NoProblem", CALL(NoProblem(o)), u"no problem", mtInformation, OK_, mbOK, 0, alwaysTrue));
  add(R("AreYouSureYouWantTo", CALL(AreYouSureYouWantTo(o, u"quit", 777)), u"Are you sure you want to quit?", mtConfirmation,
        YNH, mbYes, 777, onYes));
  add(R("CantFindOneOfTheFiles", CALL(CantFindOneOfTheFiles(o, u"a.txt", 3, 10)),
        u"Couldn't find one of the text files, a.txt\rMessage 3 of a maximum of 10", mtInformation, OKH, mbOK, 3810, alwaysTrue));
  add(R("CantDeleteThisColumnOfData", CALL(CantDeleteThisColumnOfData(o, 4, u"Freq.")), u"Can't delete column 4 (Freq.)",
        mtInformation, OKH, mbOK, 1320, alwaysTrue));
  add(R("CantEditThisColumnOfData", CALL(CantEditThisColumnOfData(o, 4, u"2,3")), u"Can't edit column 4\r(only 2,3)",
        mtInformation, OKH, mbOK, 1300, alwaysTrue));
  add(R("CantFindAnyOfTheFiles", CALL(CantFindAnyOfTheFiles(o)), u"Couldn't find any of the text files.", mtInformation, OKH,
        mbOK, 3810, alwaysTrue));
  add(R("CantMakeXWithoutIndex", CALL(CantMakeXWithoutIndex(o, u"MI")),
        u"MI can only be computed from an index.\rMake or open an index first.", mtInformation, OKH, mbOK, 2910, alwaysTrue));
  add(R("CantComputeMIWithoutIndex", CALL(CantComputeMIWithoutIndex(o)),
        u"MI can only be computed from an index.\rMake or open an index first.", mtInformation, OKH, mbOK, 2820, alwaysTrue));
  add(R("MustSelectUnjoinEntry", CALL(MustSelectUnjoinEntry(o)),
        u"You must select one of the words to\rdefine where the top half ends.", mtInformation, OKH, mbOK, 2640, alwaysTrue));
  add(R("ConvertedTextsSavedWithConvertedExt", CALLV(ConvertedTextsSavedWithConvertedExt(o, u".conv")),
        u"converted texts have the same names plus .conv at the end", mtInformation, OKH, mbOK, 5430, nothing));
  add(R("TextHasCharactersNeedingDifferentFont", CALLV(TextHasCharactersNeedingDifferentFont(o, u"\u0175", u"Arial")),
        u"the text has symbols (e.g. \u0175) which Arial cannot show", mtInformation, OKH, mbOK, 5430, nothing));
  add(R("TwoNumbersAndComma", CALL(TwoNumbersAndComma(o, u"3;4", u",")), u"3;4 isn't two valid numbers separated by a ,",
        mtWarning, OKH, mbOK, 3790, onOK));
  add(R("OKtoDelete", CALL(OKtoDelete(o, u"a.txt")), u"OK to delete a.txt?", mtConfirmation, OKC, mbCancel, 0, onOK));
  add(R("OKtoDeleteDir", CALL(OKtoDeleteDir(o, u"/x")), u"OK to delete /x and all sub-folders of it?", mtConfirmation, OKC,
        mbCancel, 0, onOK));
  add(R("OKtoCreateDir", CALL(OKtoCreateDir(o, u"/x")), u"OK to create /x?", mtConfirmation, OKC, mbOK, 0, onOK));
  add(R("OKtoSaveAgainAs", CALL(OKtoSaveAgainAs(o, u"a.lst")), u"OK to save again as a.lst?", mtConfirmation, YNH, mbYes, 1420, onYes));
  add(R("OKtoSaveXInUnicode", CALL(OKtoSaveXInUnicode(o, u"a.txt")), u"OK to save a.txt in Unicode?", mtConfirmation,
        YN_ALL_H, mbYes, 4990, modal)
          .Seconds(6400));
  add(R("OKtoReplaceWithNewVersion", CALL(OKtoReplaceWithNewVersion(o, u"a.txt", true, true)),
        u"OK to replace a.txt with the new version (keeping a backup)", mtConfirmation, {mbYes, mbNo, mbNoToAll, mbYesToAll},
        mbYes, 0, modal));
  add(R("OKtoReplaceWithNewVersion", CALL(OKtoReplaceWithNewVersion(o, u"a.txt", false, false)),
        u"OK to replace a.txt with the new version?", mtConfirmation, YN, mbYes, 0, modal));
  add(R("CantMergeWithSameFile", CALLV(CantMergeWithSameFile(o)), u"Can't merge with same file", mtInformation, OK_, mbOK, 3200, nothing));
  add(R("MustMergeWithAligner", CALLV(MustMergeWithAligner(o)), u"Must merge with .vwr file", mtInformation, OK_, mbOK, 2590, nothing));
  add(R("CantSortOnContextWord", CALL(CantSortOnContextWord(o)), u"Can't sort on context word\r(no context word specified)",
        mtInformation, OKH, mbOK, 2140, unlessOK));
  add(R("ChooseLanguage", CALL(ChooseLanguage(o)), u"Choose the language to use as a basis", mtWarning, OK_, mbOK, 0, onOK));
  add(R("ChooseMainLanguage", CALL(ChooseMainLanguage(o)), u"Choose your #1 language", mtWarning, OK_, mbOK, 0, onOK));
  add(R("ConvertMixedFormatsToUNicode", CALL(ConvertMixedFormatsToUNicode(o, true, u"1252")),
        u"varied text formats\rANSI text will convert for 1252\rDo you want to convert into Unicode?", mtConfirmation, YNH,
        mbYes, 1240, onYes));
  add(R("ConvertMixedFormatsToUNicode", CALL(ConvertMixedFormatsToUNicode(o, false, u"1252")),
        u"varied text formats\rDo you want to convert into Unicode?", mtConfirmation, YNH, mbYes, 1240, onYes));
  add(R("CantPlayMedia", CALL(CantPlayMedia(o, u"a.mp3")), u"Failed to play\ra.mp3", mtInformation, OKH, mbOK, 5040, unlessOK));
  add(R("IncludeZipsToo", CALL(IncludeZipsToo(o)), u"Include zip files?", mtConfirmation, YNH, mbYes, 1780, onYes));
  add(R("NFilesLoaded", CALL(NFilesLoaded(o, 12345)), u"12,345 files loaded", mtInformation, OK_, mbOK, 0, onOK));
  add(R("NFilesSaved", CALL(NFilesSaved(o, 12345)), u"12,345 files saved", mtInformation, OK_, mbOK, 0, onOK));
  add(R("ProvideAFilenameOrCancel", CALLV(ProvideAFilenameOrCancel(o)), u"Provide a filename or Cancel", mtInformation, OK_,
        mbOK, 0, nothing));
  add(R("StartNewToolInstance", CALL(StartNewToolInstance(o)), u"Start another Concordance window?", mtConfirmation, YNCH,
        mbYes, 1480, modal));
  add(R("DoYouWantToSave", CALL(DoYouWantToSave(o, u"my.lst", TQuillmarkList_set{lt_concordance_list, lt_word_list})),
        u"Save Word list, Concordance list (modified)?", mtConfirmation, YNCH, mbYes, 1410, modal)
          .Caption(u"saving"));
  add(R("DoYouWantToSave", CALL(DoYouWantToSave(o, u"my.lst", TQuillmarkList_set{lt_undefined})), u"Save my.lst (modified)?",
        mtConfirmation, YNCH, mbYes, 1410, modal)
          .Caption(u"saving"));
  add(R("DoYouWantToSave", CALL(DoYouWantToSave(o, u"my.lst", TQuillmarkList_set{})), u"Save my.lst?", mtConfirmation, YNCH,
        mbYes, 1410, modal)
          .Caption(u"saving"));
  add(R("CreateFolderYesNo", CALL(CreateFolderYesNo(o, u"/x")), u"Create /x?", mtConfirmation, YN, mbYes, 0, onYes));
  add(R("NModificationsMade", CALL(NModificationsMade(o, 12345)), u"12,345 modifications made", mtInformation, OKH, mbOK, 4920,
        alwaysTrue));
  add(R("NFilesPresentOnDisk", CALL(NFilesPresentOnDisk(o, 3, 10)), u"Only 3 files (out of 10) present on disk", mtInformation,
        OK_, mbOK, 0, onOK));
  add(R("NFilesPresentOnDisk", CALL(NFilesPresentOnDisk(o, 10, 10)), u"All 10 files present on disk", mtInformation, OK_,
        mbOK, 0, onOK));
  add(R("NFilesPresentOnDisk", CALL(NFilesPresentOnDisk(o, 0, 10)), u"No files present on disk", mtInformation, OK_, mbOK, 0, onOK));
  add(R("NoXSelected", CALLV(NoXSelected(o, u"files")), u"No files selected", mtInformation, OK_, mbOK, 0, nothing));
  add(R("NoConcordClustersOfSize", CALLV(NoConcordClustersOfSize(o, 99, 2, 5, 3)),
        u"Too few clusters of size 2 - 5 with minimum frequency 3 found\r(Highest frequency was 99.)", mtInformation, OKH,
        mbOK, 2000, nothing));
  add(R("NoClustersOfSizeIn",
        [](TForm* o) -> Int32 {
          TWordCluster_Settings s;
          s.cluster_size_min = 2;
          s.cluster_size_max = 5;
          s.max_working_percent = 1.5f;
          NoClustersOfSizeIn(o, 99, 3, s, u"a.txt");
          return -1;
        },
        u"No clusters at settings 2 - 5;  frequency 3 using <= 1.500 % found in a.txt\r(Highest frequency was 99.)",
        mtInformation, OKH, mbOK, 2910, nothing));
  add(R("NoRelationshipData", CALLV(NoRelationshipData(o, 5, u"a.idx")),
        u"No joint freq. 5 items, with relationships as specified found in a.idx", mtInformation, OKH, mbOK, 2820, nothing));
  add(R("IndexFilenameNeeded", CALLV(IndexFilenameNeeded(o)), u"First I need an index filename", mtInformation, OKH, mbOK,
        2800, nothing));
  add(R("ChangeFontsColoursEtc", CALL(ChangeFontsColoursEtc(o)), u"Update Fonts, Colours etc. for this screen?",
        mtConfirmation, YN, mbYes, 0, onYes));
  add(R("CantCommunicateWith", CALL(CantCommunicateWith(o, tt_concord)), u"Cannot communicate with Concordance",
        mtInformation, OK_, mbOK, 0, alwaysTrue));
  add(R("IsntQmarkFile", CALL(IsntQmarkFile(o, u"a.txt")), u"a.txt\risn't a Quillmark Tools file", mtInformation, OKH, mbOK,
        4500, alwaysTrue));
  add(R("IsntACurrentQmarkFile", CALL(IsntACurrentQmarkFile(o, u"a.txt")), u"a.txt\ra no longer current Quillmark file",
        mtInformation, OKH, mbOK, 4590, alwaysTrue));
  add(R("WrongToolForFile", CALL(WrongToolForFile(o, u"a.lst", tt_keywords)), u"a.lst\rhas to be opened with\rKey Words",
        mtInformation, OK_, mbOK, 0, alwaysTrue));
  add(R("FailedToSave", CALLV(FailedToSave(o, u"a.lst")), u"Failed to save\r\"a.lst\"", mtInformation, OKH, mbOK, 3350, nothing));
  add(R("FailedToInstall", CALLV(FailedToInstall(o, 5, true)), u"Failed to install (code=5; reason: install place OK)",
        mtError, OKH, mbOK, 1110, nothing));
  add(R("FailedToInstall", CALLV(FailedToInstall(o, 5, false)), u"Failed to install (code=5; reason: install place not OK)",
        mtError, OKH, mbOK, 1110, nothing));
  add(R("SavedOK", CALLV(SavedOK(o, u"a.lst")), u"a.lst\rsaved OK", mtInformation, OK_, mbOK, 0, nothing).Seconds(8));
  add(R("FileIsOpenPleaseCloseIt", CALL(FileIsOpenPleaseCloseIt(o, u"a.xlsx")),
        u"a.xlsx is still open; please close it before proceeding.", mtError, OK_, mbOK, 0, modal));
  add(R("FailedToFindX", CALL(FailedToFindX(o, u"a.txt", 777)), u"Couldn't find a.txt", mtInformation, OKH, mbOK, 777, modal));
  add(R("FailedToFind", CALL(FailedToFind(o, u"a.txt")), u"Couldn't find file called a.txt", mtInformation, OKCH, mbCancel,
        3390, modal));
  add(R("FailedToFind", CALL(FailedToFind(o, u"  ")), u"No file specified, please choose one", mtInformation, OKCH, mbCancel,
        3390, modal));
  add(R("FailedToFindIni", CALL(FailedToFindIni(o, u"a.ini")), u"Couldn't find defaults file: a.ini", mtInformation, OKCH,
        mbCancel, 3390, modal));
  add(R("InsertBrackets", CALL(InsertBrackets(o, u"(a)")), u"Insert brackets like this: \r(a)", mtConfirmation, YN, mbYes, 1270, onYes));
  add(R("InvalidWordAndFrequency", CALL(InvalidWordAndFrequency(o, u"cat", -3)),
        u"cat has an unacceptable frequency (-3) for this procedure", mtError, OKH, mbOK, 3790, alwaysTrue));
  add(R("InvalidNumber", CALL(InvalidNumber(o, u"x1")), u"x1 isn't a valid number", mtWarning, OKH, mbOK, 3790, alwaysTrue));
  add(R("StoppedWhenProcessingX", CALL(StoppedWhenProcessingX(o, u"a.txt")), u"stopped when trying to process a.txt",
        mtInformation, OKH, mbOK, 3340, alwaysFalse));
  add(R("FailedToReadSourceText", CALL(FailedToReadSourceText(o, u"a.txt")), u"Failed to read a.txt", mtInformation, OKH,
        mbOK, 3340, alwaysFalse));
  add(R("FailedToReadSAvedData", CALL(FailedToReadSAvedData(o, u"a.txt")), u"Failed to read a.txt", mtInformation, OKH,
        mbOK, 3345, alwaysFalse));
  add(R("FailedToRename", CALL(FailedToRename(o, u"a", u"b")), u"Failed to rename a as b", mtInformation, OKH, mbOK, 3345, alwaysFalse));
  add(R("SourceIndexDifferentFromMutualIndex", CALL(SourceIndexDifferentFromMutualIndex(o, u"a.idx", u"b.idx")),
        u"Source Index file (a.idx)\ris not the default index file (b.idx)\rReset default to\ra.idx\r?", mtConfirmation,
        YNH, mbYes, 4690, modal));
  add(R("UndefinedTimeLineBasis", CALL(UndefinedTimeLineBasis(o)), u"time line basis is undefined", mtInformation, OKH, mbOK,
        1245, alwaysTrue));
  add(R("UnMatchedBracketInX", CALL(UnMatchedBracketInX(o, u"(a")), u"unmatched bracket in: (a", mtError, OKH, mbOK, 1270, alwaysTrue));
  add(R("UseLayoutToMoveAnyColumns", CALL(UseLayoutToMoveAnyColumns(o)), u"Use the Layout menu option to move columns",
        mtInformation, OKH, mbOK, 5850, alwaysTrue)
          .Seconds(10).Box());
  add(R("UsingTempFile", CALL(UsingTempFile(o, u"/tmp/x.tmp")), u"TEMP file created:\r\"/tmp/x.tmp\"", mtInformation, OKH,
        mbOK, 1780, alwaysTrue));

  // ---- Qmark_error_dlgs_2
  add(R("ReportedAFact", CALL(ReportedAFact(o, u"fact", 777)), u"fact", mtInformation, OKH, mbOK, 777, onOK));
  add(R("ReportedAFact", CALL(ReportedAFact(o, u"fact", 5, 777, OKC, true)), u"fact", mtInformation, OKC, mbOK, 777, modal)
          .Seconds(5).Box());
  add(R("ReportedAFact", CALL(ReportedAFact(o, u"fact", 0, 777, mbAbortRetryIgnore, false)), u"fact", mtInformation,
        mbAbortRetryIgnore, mbRetry, 777, modal));
  add(R("WarnAboutAndASKOK", CALL(WarnAboutAndASKOK(o, u"Cap", u"files", 777)), u"Warning: Checking: files, OK?",
        mtConfirmation, OKCH, mbOK, 777, modal)
          .Caption(u"Cap").Seconds(20).Box());
  add(R("WarnAboutAndRecommend", CALLV(WarnAboutAndRecommend(o, u"Cap", u"zip", u"size", 777)), u"Recommendation: zip (size)",
        mtWarning, OKH, mbOK, 777, nothing)
          .Caption(u"Cap").Seconds(10).Box());
  add(R("ConfirmOK", CALL(ConfirmOK(o, u"detail", u"go", YNC, 777)), u"OK to go?\rdetail", mtConfirmation, YNC, mbYes, 777, modal));
  add(R("ConfirmOK", CALL(ConfirmOK(o, u"", u"go", OKC, 777)), u"OK to go?", mtConfirmation, OKC, mbYes, 777, modal));
  add(R("CannotWriteToXFolder", CALL(CannotWriteToXFolder(o, u"/ro")), u"/ro is not available for saving", mtError,
        {mbCancel}, mbRetry, 0, modal));
  add(R("UnsafeToConvertInPlace", CALL(UnsafeToConvertInPlace(o)), u"conversion in place is not recommended", mtWarning, OKH,
        mbOK, 4850, onOK));
  add(R("PDF_RTF_ConversionNotReliable", CALL(PDF_RTF_ConversionNotReliable(o)), u"converting from PDF or RTF is not guaranteed",
        mtWarning, OKH, mbOK, 4850, onOK));
  add(R("FailedToImport", CALL(FailedToImport(o)), u"Failed to import", mtError, OKH, mbOK, 2860, onOK));
  add(R("NotApplicableExplanation", CALL(NotApplicableExplanation(o)), u"n/a = non applicable (insufficient or old data)",
        mtInformation, OKH, mbOK, 4563, onOK)
          .Caption(u"n/a").Seconds(10).Box());
  add(R("PleaseCheckSettings", CALL(PleaseCheckSettings(o)), u"Please check the settings", mtError, OK_, mbOK, 0, onOK));
  add(R("PleaseLoadTags", CALL(PleaseLoadTags(o)), u"no tags loaded, please choose your tag-file and load it", mtError, OKH,
        mbOK, 2120, onOK));
  add(R("PleaseMakeAChoiceForXAction", CALL(PleaseMakeAChoiceForXAction(o, u"matching", 777)),
        u"please make a choice for matching", mtError, OKH, mbOK, 777, onOK));
  add(R("TipWithDontRemind", CALL(TipWithDontRemind(o, u"tip", 7, 777)), u"tip", mtInformation, OKH, mbOK, 777, modal)
          .Seconds(7).Box());
  add(R("TreatTagsAsPrefixInQ", CALL(TreatTagsAsPrefixInQ(o, u"word list")), u"in word list, show <TAG>word?", mtConfirmation,
        YNH, mbYes, 6090, onYes));
  add(R("VideoLANPlayerVersionError", CALL(VideoLANPlayerVersionError(o, u"3.0")),
        u"VideoLAN version 3.0 or higher needed, please update your player.", mtError, OKH, mbOK, 5040, onOK));
  add(R("YouChoseXbutLowestPossibleIsYQuitQ", CALL(YouChoseXbutLowestPossibleIsYQuitQ(o, u"span", 0, 1, 777)),
        u"span: you chose 0 but the lowest possible value is 1. Cancel?", mtWarning, OKCH, mbCancel, 777, modal));
  add(R("PhraseFramesLookLikeJoined", CALL(PhraseFramesLookLikeJoined(o)),
        u"Phrase-Frames create joined entries. Edit | Unjoin will clear them.", mtInformation, OKH, mbOK, 2915, onOK)
          .Caption(u"Phrase-Frames").Seconds(10).Box());
  add(R("AnyWordsNotPresentInXPercentOfTextFilesIgnored", CALL(AnyWordsNotPresentInXPercentOfTextFilesIgnored(o, 3, 10, 12.5)),
        u"Your settings will ignore entries not in at least 3 of the 10 text files (12.5%)", mtInformation, OKH, mbOK, 2430,
        onOK)
          .Caption(u"key words").Seconds(10).Box());
  add(R("ProblemReport", CALL(ProblemReport(o, u"disk", 777)), u"problem = disk", mtError, OK_, mbYes, 777, modal)
          .Caption(u"Error"));
  add(R("KeyWordsFoundLessThanNPercentMatches", CALL(KeyWordsFoundLessThanNPercentMatches(o, 40)),
        u"only 40 % of the words found in ref. corpus;\rmaybe your wordlists need re-sorting", mtWarning, OKH, mbOK, 5480, onOK));
  add(R("WordListsMightNeedResortingQuitQ", CALL(WordListsMightNeedResortingQuitQ(o, u"a", u"b")),
        u"word list a or b probably needs re-sorting alphabetically -- quit?", mtWarning, YNH, mbYes, 2320, onYes));
  add(R("WouldYouLike", CALL(WouldYouLike(o, u"tea", 777)), u"Would you like tea?", mtConfirmation, YNH, mbYes, 777, modal));
  add(R("DoYouWantToDoX", CALL(DoYouWantToDoX(o, u"go", YNC, 777)), u"Do you want to go?", mtConfirmation, YNC, mbYes, 777, modal));
  add(R("DoYouWantToDoX", CALL(DoYouWantToDoX(o, u"go", 777)), u"Do you want to go?", mtConfirmation, YNH, mbYes, 777, onYes));
  add(R("OKToDoXWord", CALL(OKToDoXWord(o, u"go", YN, 777)), u"OK to go?", mtConfirmation, YN, mbYes, 777, modal));
  add(R("OKToDoXWord", CALL(OKToDoXWord(o, u"go", YN, 5, 777)), u"OK to go?", mtConfirmation, YN, mbYes, 777, modal).Seconds(5));
  add(R("OKToDoX", CALL(OKToDoX(o, u"go", 777)), u"OK to go?", mtConfirmation, YNH, mbYes, 777, onYes));
  add(R("OKToDoX", CALL(OKToDoX(o, u"go", 5, 777)), u"OK to go?", mtConfirmation, YNH, mbYes, 777, onYes).Seconds(5));
  add(R("OKToZapNow", CALL(OKToZapNow(o, 12345)), u"Ok to zap 12,345 entries now?", mtConfirmation, YN, mbYes, 1490, onYes));
  add(R("OKToZapRemainderNow", CALL(OKToZapRemainderNow(o)), u"Ok to zap the remaining entries now?", mtConfirmation, YN,
        mbYes, 1490, onYes));
  add(R("IsThisTheTalkLanguageQ", CALL(IsThisTheTalkLanguageQ(o)), u"Is this the Talk language?", mtConfirmation, YNH, mbYes,
        4859, onYes));
  add(R("YouMayNeedAdministratorRights", CALL(YouMayNeedAdministratorRights(o, u"install")),
        u"You need Administrator rights to install for this.", mtWarning, OKH, mbOK, 5570, onOK));
  add(R("YouMayNeedToAddLanguages", CALL(YouMayNeedToAddLanguages(o)), u"click help here if you need to install new languages",
        mtInformation, OKCH, mbOK, 1230, onOK)
          .Caption(u"language").Seconds(20).Box());
  add(R("NFilesDeleted", CALL(NFilesDeleted(o, 12345)), u"12,345 deleted", mtInformation, OK_, mbOK, 5720, onOK));
  add(R("NItemsMatched", CALL(NItemsMatched(o, 12345)), u"match list items: 12,345 found", mtInformation, OK_, mbOK, 1330, onOK));
  add(R("NFilesCopiedOrMoved", CALL(NFilesCopiedOrMoved(o, 12345, u"/b", 777, true)), u"12.345 copied to /b", mtInformation,
        OK_, mbOK, 777, onOK));
  add(R("NFilesCopiedOrMoved", CALL(NFilesCopiedOrMoved(o, 12345, u"/b", 777, false)), u"12.345 moved to /b", mtInformation,
        OK_, mbOK, 777, onOK));
  add(R("AllCopiedOrMoved", CALL(AllCopiedOrMoved(o, u"/b", 777, true)), u"all copied to /b", mtInformation, OK_, mbOK, 777, onOK));
  add(R("AllCopiedOrMoved", CALL(AllCopiedOrMoved(o, u"/b", 777, false)), u"all moved to /b", mtInformation, OK_, mbOK, 777, onOK));
  add(R("CannotEncryptOriginals", CALL(CannotEncryptOriginals(o)),
        u"cannot encrypt/decrypt the originals, only copies of your texts", mtError, OKH, mbOK, 4850, onOK));
  add(R("CannotChooseSameColours", CALL(CannotChooseSameColours(o, 777)), u"Same colours chosen for text and background",
        mtError, OKH, mbOK, 777, onOK)
          .Caption(u"colours for Concordance"));
  add(R("CannotEncryptWithoutEncryptStr", CALL(CannotEncryptWithoutEncryptStr(o)), u"please supply an encryption password",
        mtError, OKH, mbOK, 4850, onOK));
  add(R("CannotReplaceLineFeedsWithoutDefinedParaStr", CALL(CannotReplaceLineFeedsWithoutDefinedParaStr(o)),
        u"to remove line-breaks, paragraph breaks must be defined and must not be just <Enter>", mtError, OKH, mbOK, 4850, onOK));
  add(R("ChooseACharacterNumber", CALL(ChooseACharacterNumber(o)), u"Choose a character number", mtError, OK_, mbOK, 0, modal));
  add(R("ClearTheSearch", CALL(ClearTheSearch(o)), u"Do you want to clear the previous search?", mtConfirmation, YN, mbYes, 0, onYes));
  add(R("FileIsInUnicodeShowInUnicode", CALL(FileIsInUnicodeShowInUnicode(o, u"a.txt")),
        u"a.txt is in Unicode and may need a different font.\rShow in Unicode?", mtConfirmation, YN, mbYes, 0, onYes));
  add(R("FileNamesMismatchCorrectQ", CALL(FileNamesMismatchCorrectQ(o, u"a.lst")),
        u"File mismatch in a.lst. To fix, Compute | List of file-names", mtWarning, {mbOK, mbIgnore, mbHelp}, mbOK, 5920, onOK));
  add(R("NTextFilesConverted", CALL(NTextFilesConverted(o, 12345)), u"12,345 file(s) converted to Unicode", mtInformation,
        OKH, mbOK, 4990, alwaysTrue));
  add(R("ConvertToTXTRegardlessOfExtension", CALL(ConvertToTXTRegardlessOfExtension(o)),
        u"convert all files to .TXT regardless of extension?", mtInformation, YNH, mbYes, 4850, onYes));
  add(R("MoreLikelyToBeXThanY", CALL(MoreLikelyToBeXThanY(o, u"English", u"Welsh")),
        u"More likely to be\rEnglish\rthan\rWelsh\rChange?", mtConfirmation, YN_ALL_H, mbYes, 2550, modal));
  add(R("FormNotFilled", CALLV(FormNotFilled(o, u"name")), u"Form not completed:\rname", mtWarning, OK_, mbOK, 0, nothing));
  add(R("DoQuickTextFormatCheck", CALL(DoQuickTextFormatCheck(o)), u"quick check?", mtConfirmation, YN, mbNo, 1242, onYes)
          .Seconds(15));
  add(R("EscapePressedStopASAPQ", CALL(EscapePressedStopASAPQ(o)), u"Escape pressed: stop immediately?", mtConfirmation, YN,
        mbYes, 0, onYes));
  add(R("FinishThisProcessFirst", CALL(FinishThisProcessFirst(o)), u"Finish this process first?", mtConfirmation, YN, mbYes, 0, onYes));
  add(R("FinishThisFolderFirst", CALL(FinishThisFolderFirst(o)), u"Finish this folder first?", mtConfirmation, YN, mbYes, 0, onYes));
  add(R("NoMWUsFound", CALL(NoMWUsFound(o, u"a.txt")), u"no multi-word units found in a.txt", mtError, OK_, mbOK, 5260, onOK));
  add(R("SearchFailedToFindTryAsterisk", CALL(SearchFailedToFindTryAsterisk(o, u"cat")),
        u"Search failed to find cat\rYou might get it with an asterisk...", mtConfirmation, OKH, mbOK, 1440, onOK));
  add(R("SearchFailedToFindTryAsterisk", CALL(SearchFailedToFindTryAsterisk(o, u"cat*")), u"Search failed to find cat*",
        mtConfirmation, OKH, mbOK, 1440, onOK));
  add(R("SearchFailedToFindX", CALL(SearchFailedToFindX(o, u"cat")), u"Search failed to find cat", mtConfirmation, OKH, mbOK,
        1440, onOK));
  add(R("SearchFoundX", CALL(SearchFoundX(o, u"cat")), u"Search found cat", mtConfirmation, OKH, mbOK, 1440, onOK));
  add(R("SearchFailedToFindAnyMoreX", CALL(SearchFailedToFindAnyMoreX(o, u"cat")), u"No more cat found", mtConfirmation, OKCH,
        mbOK, 1440, modal));
  add(R("ControlPlotmarksInfoUsing", CALL(ControlPlotmarksInfoUsing(o, true)),
        u"Handle plot information using the mouse instead of buttons?", mtConfirmation, YNH, mbYes, 5870, onYes));
  add(R("ControlPlotmarksInfoUsing", CALL(ControlPlotmarksInfoUsing(o, false)),
        u"Handle plot information using buttons instead of the mouse?", mtConfirmation, YNH, mbYes, 5870, onYes));
  add(R("CopyResultsToExcelToo", CALL(CopyResultsToExcelToo(o, 777)), u"Copy results to an Excel file too?", mtConfirmation,
        YNH, mbYes, 777, onYes));
  add(R("OKToShowWdsForNFiles", CALL(OKToShowWdsForNFiles(o, u"cat", 12345)), u"OK to show cat for these 12,345 text files?",
        mtConfirmation, YNH, mbYes, 1310, onYes));
  add(R("OKToUseTempDirAsTempDrive", CALL(OKToUseTempDirAsTempDrive(o, u"/tmp")),
        u"Use /tmp as temporary working folder?\ror Cancel to choose a new one.", mtConfirmation, OKCH, mbOK, 2730, onOK));
  add(R("CantChooseZScoreForKWDBase", CALL(CantChooseZScoreForKWDBase(o)),
        u"Z score cannot be used for a KW database because it needs a span", mtInformation, OKH, mbOK, 2270, alwaysTrue));
  add(R("AllConversionsAreLandRBounded", CALL(AllConversionsAreLandRBounded(o)), u"all conversions are whole-word",
        mtConfirmation, OKCH, mbOK, 2560, modal));
  add(R("RegistryAltered", CALLV(RegistryAltered(o, true, true)), u"Set file-associations OK", mtInformation, OKH, mbOK, 4770, nothing));
  add(R("RegistryAltered", CALLV(RegistryAltered(o, false, false)), u"Unset file-associations Failed", mtInformation, OKH,
        mbOK, 4770, nothing));
  add(R("CopyCurrentLineOfData", CALL(CopyCurrentLineOfData(o)), u"Copy current line of data?", mtConfirmation, YNH, mbYes,
        1300, onYes));
  add(R("NotEnoughX", CALL(NotEnoughX(o, u"data", 777)), u"not enough data", mtError, OKH, mbOK, 777, alwaysTrue));
  add(R("NoXFoundInY", CALL(NoXFoundInY(o, u"cat", u"a.txt", 777)), u"No cat found anywhere in a.txt", mtError, OKH, mbOK,
        777, alwaysTrue));
  add(R("NoCollocates", CALL(NoCollocates(o)), u"No collocates at current settings -- alter them then re-compute collocates",
        mtInformation, OKH, mbOK, 1990, alwaysTrue));
  add(R("NoKWDBEntries", CALL(NoKWDBEntries(o)), u"No keyword database entries -- settings too rigorous?", mtInformation, OKH,
        mbOK, 2270, alwaysTrue));
  add(R("NoKWDBRelatedClustersFound", CALL(NoKWDBRelatedClustersFound(o)), u"No keyword database related clusters found",
        mtInformation, OKH, mbOK, 5300, alwaysTrue));
  add(R("NotAValidQMFile", CALL(NotAValidQMFile(o, u"a.lst", tt_wordlist)), u"a.lst doesn't seem to be a valid file for Word List",
        mtError, OKH, mbOK, 3490, alwaysTrue));
  add(R("NotAValidQMFile", CALL(NotAValidQMFile(o, u"a.lst", tt_concord)),
        u"a.lst doesn't seem to be a valid file for Concordance", mtError, OKH, mbOK, 3240, alwaysTrue));
  add(R("NotAValidQMFile", CALL(NotAValidQMFile(o, u"a.lst", tt_keywords)), u"a.lst doesn't seem to be a valid file for Key Words",
        mtError, OKH, mbOK, 3520, alwaysTrue));
  add(R("NotAValidQMFile", CALL(NotAValidQMFile(o, u"a.lst", tt_aligner)), u"a.lst doesn't seem to be a valid file for Aligner",
        mtError, OKH, mbOK, 3345, alwaysTrue));
  add(R("NotEnoughAssociatesFor", CALL(NotEnoughAssociatesFor(o, 5, u"cat")), u"fewer than 5 strong associates found for cat",
        mtInformation, OKH, mbOK, 2270, alwaysTrue));
  add(R("NoWordListWordsFoundIn", CALL(NoWordListWordsFoundIn(o, u"a.txt")), u"0 valid words + frequencies found in a.txt",
        mtInformation, OKH, mbOK, 2860, alwaysTrue));
  add(R("KeyWordsNotFullLemmaProcessing", CALL(KeyWordsNotFullLemmaProcessing(o)), u"joined words in the word list were skipped",
        mtInformation, OKH, mbOK, 2436, onOK));
  add(R("KeyWordsPlotIsOneTextFileOnly",
        [](TForm* o) -> Int32 {
          KeyWordsPlotIsOneTextFileOnly_Shown = false;
          return KeyWordsPlotIsOneTextFileOnly(o);
        },
        u" Sorry, cannot compute this if multiple source texts...", mtInformation, OKH, mbOK, 2390, onOK));
  add(R("CancellingAsNoneOfTheSourceTextsFound", CALL(CancellingAsNoneOfTheSourceTextsFound(o, 12345)),
        u"none of the 12,345 source texts found -- cancelling", mtWarning, OKH, mbOK, 3390, alwaysTrue));
  add(R("CancelAsSomeSourceTextsNotFound", CALL(CancelAsSomeSourceTextsNotFound(o, 3, 12345)),
        u"only 3 of the 12,345 source texts found -- cancel?", mtWarning, YNH, mbYes, 3390, onYes));
  add(R("CancelAsSomeSourceTextsNotFound", CALL(CancelAsSomeSourceTextsNotFound(o, 0, 12345)),
        u"none of the 12,345 source texts found -- cancelling", mtWarning, OKH, mbOK, 3390, alwaysTrue));

  // ---- Qmark_error_dlgs_3
  add(R("ClustersContainingStopListWordsExcluded", CALL(ClustersContainingStopListWordsExcluded(o)),
        u"exclude clusters containing stop list words?", mtConfirmation, YNH, mbYes, 5310, modal));
  add(R("IgnorePunctuationInWordClusters", CALL(IgnorePunctuationInWordClusters(o)), u"Ignore punctuation in clusters?",
        mtConfirmation, YNH, mbYes, 2180, onYes));
  add(R("IncludeThisFilename", CALL(IncludeThisFilename(o, u"a.txt")), u"include a.txt?", mtConfirmation, YNC, mbYes, 0, modal));
  add(R("SentenceInfoIsWrong", CALL(SentenceInfoIsWrong(o, u"<s>", u"</s>")),
        u"no sentences found\rsentence statistics wrong because markers <s> and </s> not found", mtInformation, OKH, mbOK,
        1860, modal));
  add(R("BeAwareNetworkIsSlow", CALLV(BeAwareNetworkIsSlow(o)),
        u"Quillmark will be much faster if you save results on a memory stick or local drive, not a network drive",
        mtInformation, OKH, mbOK, 1750, nothing)
          .Caption(u"network").Box());
  add(R("ReferenceTextTooShort", CALL(ReferenceTextTooShort(o, u"ref.txt")), u"reference file(s) ref.txt too short or imperfect",
        mtError, OKH, mbOK, 0, onOK));
  add(R("SavedOKViewNow", CALL(SavedOKViewNow(o, u"a.lst", u" (3)")), u"a.lst (3)\rsaved OK\rView it now?", mtConfirmation, YN,
        mbYes, 0, onYes));
  add(R("SavedOKOpenNow", CALLV(SavedOKOpenNow(o, u"/x/a.lst", u"")), u"a.lst\rsaved OK\rView it now?", mtConfirmation, YN,
        mbYes, 0, nothing));
  return rows;
}

#undef CALL
#undef CALLV

// The expected result of a kind for the answers Yes, OK, Cancel and silence.
Int32 Expected(TResultKind kind, int answer) {
  const Int32 r = answer == 3 ? 0 : answer == 0 ? mrYes : answer == 1 ? mrOk : mrCancel;
  switch (kind) {
    case onYes: return r == mrYes;
    case onOK: return r == mrOk;
    case unlessOK: return r != mrOk;
    case modal: return r;
    case alwaysTrue: return 1;
    case alwaysFalse: return 0;
    default: return -1;
  }
}

std::string Visible(const String& s) {
  std::string out;
  for (Char c : s) out += c == u'\r' ? std::string("\\r") : StringToUtf8(String(1, c));
  return out;
}

class Qmark_error_dlgs : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    fFormat = FormatSettings;
    fDateFormat = Global_StringToDateTimeFormat;
    fTool = global_current_tool;
    FormatSettings.ThousandSeparator = u',';
    FormatSettings.DecimalSeparator = u'.';
    Global_StringToDateTimeFormat.ThousandSeparator = u'.';
    Global_StringToDateTimeFormat.DecimalSeparator = u',';
    global_current_tool = tt_concord;
    Global_HelpProc = [](TObject*) {};
    fShell = SetShellOpenHandler([this](const String& f) {
      opened.push_back(f);
      return true;
    });
    fOwner = std::make_unique<TForm>(nullptr);
  }
  void TearDown() override {
    fOwner.reset();
    SetShellOpenHandler(fShell);
    FormatSettings = fFormat;
    Global_StringToDateTimeFormat = fDateFormat;
    global_current_tool = fTool;
    KeyWordsPlotIsOneTextFileOnly_Shown = false;
    MessageTest::TearDown();
  }

  std::unique_ptr<TForm> fOwner;
  std::vector<String> opened;

 private:
  TFormatSettings fFormat, fDateFormat;
  tool_type fTool = tt_shell;
  TShellOpenHandler fShell;
};

TEST_F(Qmark_error_dlgs, EveryRoutineAsksItsRowAndAnswersByItsResultKind) {
  const std::vector<Row> rows = Catalogue();
  EXPECT_EQ(rows.size(), 242u);
  for (const Row& row : rows) {
    for (int answer = 0; answer < 4; ++answer) {
      SCOPED_TRACE(std::string(row.routine) + " answered " + (answer == 0 ? "Yes" : answer == 1 ? "OK" : answer == 2 ? "Cancel" : "in silence"));
      std::vector<TFormCentredRequest> seen;
      TFormCentredHook previous = SetFormCentredMessageDlgHook(
          [&](const TFormCentredRequest& r) -> std::optional<Int32> {
            seen.push_back(r);
            if (answer == 3) return std::nullopt;
            return answer == 0 ? mrYes : answer == 1 ? mrOk : mrCancel;
          });
      Global_run_without_error_messages = answer == 3;
      const Int32 result = row.call(fOwner.get());
      Global_run_without_error_messages = false;
      SetFormCentredMessageDlgHook(previous);
      ASSERT_EQ(seen.size(), 1u);
      const TFormCentredRequest& r = seen[0];
      EXPECT_EQ(Visible(r.text), Visible(row.text));
      EXPECT_EQ(r.caption, row.caption);
      EXPECT_EQ(r.type, row.type);
      EXPECT_EQ(r.buttons.bits, row.buttons.bits);
      EXPECT_EQ(r.defaultButton, row.byDefault);
      EXPECT_EQ(r.helpCtx, row.help);
      EXPECT_EQ(r.seconds, row.seconds);
      EXPECT_EQ(r.withDontShow, row.box);
      EXPECT_EQ(r.owner, fOwner.get());
      EXPECT_TRUE(r.withHelpHandler);
      EXPECT_EQ(result, Expected(row.result, answer));
    }
  }
}

TEST_F(Qmark_error_dlgs, RoutinesWriteTheFlagsTheyAreGiven) {
  TFormCentredHook previous = SetFormCentredMessageDlgHook([](const TFormCentredRequest& r) -> std::optional<Int32> {
    *r.timedOut = true;
    return mrCancel;
  });
  bool chosen = false;
  ChoosingTextFilesForOK(fOwner.get(), tt_concord, chosen);
  EXPECT_TRUE(chosen);
  // The collocate question reports its time-out in its own flag.
  Global_TimedOut = false;
  bool own = false;
  EXPECT_FALSE(OKToHighlightCollocateInConcordance(fOwner.get(), u"a", u"b", u"c", own));
  EXPECT_TRUE(own);
  EXPECT_FALSE(Global_TimedOut);
  SetFormCentredMessageDlgHook(previous);
}

TEST_F(Qmark_error_dlgs, DoYouWantToSaveNamesNothingAsNoAndTimeOutsAsYes) {
  int asked = 0;
  bool timeOut = false;
  TFormCentredHook previous = SetFormCentredMessageDlgHook([&](const TFormCentredRequest& r) -> std::optional<Int32> {
    ++asked;
    if (timeOut) *r.timedOut = true;
    return timeOut ? mrCancel : std::optional<Int32>();
  });
  EXPECT_EQ(DoYouWantToSave(fOwner.get(), u"", TQuillmarkList_set{}), mrNo);
  EXPECT_EQ(DoYouWantToSave(fOwner.get(), u"", TQuillmarkList_set{lt_undefined}), mrNo);
  EXPECT_EQ(asked, 0);
  // A time-out left by an earlier dialog does not turn a silent refusal into Yes.
  Global_TimedOut = true;
  Global_run_without_error_messages = true;
  EXPECT_EQ(DoYouWantToSave(fOwner.get(), u"my.lst", TQuillmarkList_set{}), 0);
  Global_run_without_error_messages = false;
  // Nobody answered: the dialog closed itself, and the list is saved.
  timeOut = true;
  EXPECT_EQ(DoYouWantToSave(fOwner.get(), u"my.lst", TQuillmarkList_set{}), mrYes);
  SetFormCentredMessageDlgHook(previous);
}

TEST_F(Qmark_error_dlgs, TheKeyWordsPlotMessageShowsOncePerProcess) {
  int asked = 0;
  TFormCentredHook previous = SetFormCentredMessageDlgHook([&](const TFormCentredRequest&) -> std::optional<Int32> {
    ++asked;
    return mrCancel;
  });
  KeyWordsPlotIsOneTextFileOnly_Shown = false;
  EXPECT_FALSE(KeyWordsPlotIsOneTextFileOnly(fOwner.get()));
  EXPECT_TRUE(KeyWordsPlotIsOneTextFileOnly_Shown);
  EXPECT_TRUE(KeyWordsPlotIsOneTextFileOnly(fOwner.get()));
  EXPECT_EQ(asked, 1);
  SetFormCentredMessageDlgHook(previous);
  // The unit's start clears both flags.
  KeyWordsPlotIsOneTextFileOnly_Shown = SourceTextIsOneTextFileOnly_Shown = true;
  Qmark_error_dlgs_2_initialization();
  EXPECT_FALSE(KeyWordsPlotIsOneTextFileOnly_Shown);
  EXPECT_FALSE(SourceTextIsOneTextFileOnly_Shown);
  Qmark_error_dlgs_2_Finalization();
}

TEST_F(Qmark_error_dlgs, ATimedNoticeWaitsWhileAnotherMessageIsBusyAndHoldsTheFlag) {
  Global_ErrorMessageBusy = true;
  int yields = 0;
  const TYieldProcessProc savedYield = Global_YieldProcessProc;
  Global_YieldProcessProc = [&] {
    if (++yields == 6) Global_ErrorMessageBusy = false;
  };
  bool busyWhileShown = false;
  int yieldsBeforeShown = 0;
  TFormCentredHook previous = SetFormCentredMessageDlgHook([&](const TFormCentredRequest&) -> std::optional<Int32> {
    busyWhileShown = Global_ErrorMessageBusy;
    yieldsBeforeShown = yields;
    return mrOk;
  });
  DataPartlyObscured(fOwner.get());
  EXPECT_GE(yieldsBeforeShown, 6);
  EXPECT_TRUE(busyWhileShown);
  EXPECT_FALSE(Global_ErrorMessageBusy);
  // Plain messages neither wait nor hold the flag.
  Global_ErrorMessageBusy = true;
  yields = 100;
  EXPECT_TRUE(NoProblem(fOwner.get()));
  EXPECT_TRUE(Global_ErrorMessageBusy);
  EXPECT_EQ(yields, 100);
  Global_ErrorMessageBusy = false;
  // The flag is cleared however the notice ends.
  SetFormCentredMessageDlgHook([](const TFormCentredRequest&) -> std::optional<Int32> { throw Exception(u"broken"); });
  EXPECT_THROW(ClipboardHasText(fOwner.get()), Exception);
  EXPECT_FALSE(Global_ErrorMessageBusy);
  SetFormCentredMessageDlgHook(previous);
  Global_YieldProcessProc = savedYield;
}

TEST_F(Qmark_error_dlgs, OverwritingAsksEvenInSilenceAndKeepsAnAnswerOnlyWithItsBackup) {
  const String file = File("list.lst");
  WriteRaw("list.lst", "data");
  Global_run_without_error_messages = true;
  {
    PressingHook no(u"No");
    ScopedModalHook hook(no.Hook());
    EXPECT_FALSE(OKToOverwriteWithBackup(file));
    EXPECT_EQ(no.Shown(), 1);
    EXPECT_FALSE(FileExists(File("list.bak")));
  }
  {
    PressingHook yes(u"Yes");
    ScopedModalHook hook(yes.Hook());
    WriteRaw("list.bak", "old backup");
    EXPECT_TRUE(CheckedForOverWrite(file));
    EXPECT_EQ(ReadRaw("list.bak"), "data");
    // A backup that cannot be made: the answer does not stand.
    std::filesystem::remove(Path("list.bak"));
    std::filesystem::create_directory(Path("list.bak"));
    EXPECT_FALSE(OKToOverwriteWithBackup(file));
    EXPECT_FALSE(OKToOverwriteWithBackup(File("missing.lst")));
    EXPECT_EQ(yes.Shown(), 3);
  }
  // A file that does not exist needs no question (the guard fails any dialog).
  EXPECT_TRUE(CheckedForOverWrite(File("absent.lst")));
}

// A file whose overwrite would be refused (append-only) gets no backup, so an
// earlier backup stays.
TEST_F(Qmark_error_dlgs, OverwritingARefusedFileKeepsAnEarlierBackup) {
  WriteRaw("list.lst", "data");
  WriteRaw("list.bak", "old backup");
  const int fd = ::open(Path("list.lst").c_str(), O_RDONLY | O_CLOEXEC);
  int flags = 0;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0 || (flags ^= FS_APPEND_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags)) != 0) {
    ::close(fd);
    GTEST_SKIP() << "append-only files cannot be made here";
  }
  Global_run_without_error_messages = true;
  PressingHook yes(u"Yes");
  ScopedModalHook hook(yes.Hook());
  EXPECT_FALSE(OKToOverwriteWithBackup(File("list.lst")));
  flags ^= FS_APPEND_FL;
  ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
  ::close(fd);
  EXPECT_EQ(ReadRaw("list.bak"), "old backup");
}

TEST_F(Qmark_error_dlgs, ChosenBetweenOptionsGivesThePressedIndexOrMinusOne) {
  std::string caption;
  String press = u"Button3";
  ScopedModalHook hook([&](TForm& f) {
    caption = StringToUtf8(f.Caption());
    EXPECT_EQ(f.Owner(), fOwner.get());
    if (press.empty()) {
      f.SetModalResult(mrCancel);
    } else {
      PressButton(f, press);
    }
  });
  Global_run_without_error_messages = true;  // the choice is asked even so
  EXPECT_EQ(ChosenBetweenOptions(fOwner.get(), u"Sort", {u"a", u"b", u"c"}), 2);
  EXPECT_EQ(caption, "Sort Choose 1 of 3");
  press = u"Button1";
  EXPECT_EQ(ChosenBetweenOptions(fOwner.get(), {u"a", u"b"}), 0);
  EXPECT_EQ(caption, "Choose 1 of 2");
  press.clear();
  EXPECT_EQ(ChosenBetweenOptions(fOwner.get(), {u"a", u"b"}), -1);
  EXPECT_EQ(fOwner->ComponentCount(), 0);
}

// Runs the test named again in a child on a screen of each size; false in
// that child, which goes on with the test.
bool RanOnScreens(const char* test, std::initializer_list<std::pair<int, int>> sizes) {
  if (std::getenv("SK_TEST_SCREEN") != nullptr) return false;
  const std::string dir = MakeScratchFolder("sk_screen");
  for (const auto& [w, h] : sizes) {
    const std::string config = dir + "/" + std::to_string(w) + ".json";
    WriteFileBytes(config, "{\"screens\": [{\"name\": \"s\", \"x\": 0, \"y\": 0, \"width\": " + std::to_string(w) +
                               ", \"height\": " + std::to_string(h) + ", \"logicalDpi\": 96, \"dpr\": 1}]}");
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
      ::setenv("SK_TEST_SCREEN", "1", 1);
      ::execl("/proc/self/exe", "sk_tests_ui", (std::string("--gtest_filter=") + test).c_str(), nullptr);
      ::_exit(127);
    }
    int status = 0;
    EXPECT_TRUE(pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "on a screen of " << w << " x " << h;
  }
  RemoveScratchFolder(dir);
  return true;
}

// Dialogs built from a caller's list or a long text fit the screen: the
// dialog and every button and check box on it lie within the screen, and a
// mouse press answers. The owner sits near the screen's bottom right. So do
// messages, tips and errors whose text has no blanks (Chinese, Japanese and
// Thai paragraphs, a 340-character path), on screens of 800 x 600 and
// 1920 x 1080.
TEST_F(Qmark_error_dlgs, DialogsOfLongListsAndTextsFitTheScreen) {
  if (RanOnScreens("Qmark_error_dlgs.DialogsOfLongListsAndTextsFitTheScreen", {{800, 600}, {1920, 1080}})) return;
  fOwner->SetBounds(Screen().Width() - 200, Screen().Height() - 150, 300, 200);
  TStringList files;
  for (int i = 0; i < 300; ++i) files.Add(u"/corpus/texts/file_number_" + IntToStr(i) + u".txt");
  String tip;
  for (int i = 0; i < 300; ++i) tip += u"Line " + IntToStr(i) + u" of a long tip\r";
  std::vector<String> names;
  for (int i = 0; i < 12; ++i) names.push_back(u"/home/someone/corpora/english/a_rather_long_file_name_" + IntToStr(i) + u".txt");
  const TRect screen{0, 0, Screen().Width(), Screen().Height()};
  std::vector<std::string> outside;
  int shown = 0;
  String press;
  ScopedModalHook hook([&](TForm& f) {
    ++shown;
    const TRect form = f.BoundsRect();
    auto within = [&](const TRect& r) {
      return r.Left >= screen.Left && r.Top >= screen.Top && r.Right <= screen.Right && r.Bottom <= screen.Bottom;
    };
    if (!within(form)) outside.push_back(StringToUtf8(f.Caption()));
    for (Int32 i = 0; i < f.ControlCount(); ++i) {
      TControl* c = f.Controls(i);
      if (dynamic_cast<TButton*>(c) == nullptr && dynamic_cast<TCheckBox*>(c) == nullptr) continue;
      TRect r = c->BoundsRect();
      r.Left += form.Left, r.Right += form.Left, r.Top += form.Top, r.Bottom += form.Top;
      if (!within(r) || !within(form)) outside.push_back(StringToUtf8(c->Name()));
    }
    PressButton(f, press);
  });
  press = u"OK";
  CouldntDoDetailedConsistencyOn(fOwner.get(), files);
  TipWithDontRemind(fOwner.get(), tip, 0, 0);
  press = u"Button12";
  EXPECT_EQ(ChosenBetweenOptions(fOwner.get(), u"Open", names), 11);
  String path = u"/home/researcher/corpora";
  while (path.size() < 340) path += u"/section_of_the_collected_texts";
  press = u"OK";
  for (const String& unit : {String(u"语料库语言学研究大量真实文本中的语言现象，揭示词语在不同语境中的用法与意义。"),
                             String(u"コーパス言語学は実際に使われた大量のテキストを分析し、語の使われ方を明らかにする。"),
                             String(u"ภาษาศาสตร์คลังข้อมูลศึกษาภาษาจากข้อความจริงจำนวนมากที่รวบรวมไว้อย่างเป็นระบบ"),
                             path.substr(0, 340)}) {
    const String text = unit.size() < 100 ? unit + unit + unit + unit : unit;
    ReportedAFact(fOwner.get(), text, 0);
    TipWithDontRemind(fOwner.get(), text, 0, 0);
    MessageDlg(u"Could not read " + text, mtError, TMsgDlgButtons{mbOK}, 0);
    TTaskDialog task(fOwner.get());
    task.Text = text;
    task.Execute();
  }
  EXPECT_EQ(shown, 19);
  EXPECT_TRUE(outside.empty()) << ::testing::PrintToString(outside);
}

TEST_F(Qmark_error_dlgs, SavedOKOpenNowOpensTheFileOnlyOnYes) {
  int answer = mrYes;
  TFormCentredHook previous =
      SetFormCentredMessageDlgHook([&](const TFormCentredRequest&) -> std::optional<Int32> { return answer; });
  SavedOKOpenNow(fOwner.get(), u"/x/a.lst", u"");
  answer = mrNo;
  SavedOKOpenNow(fOwner.get(), u"/x/b.lst", u"");
  SetFormCentredMessageDlgHook(previous);
  EXPECT_EQ(opened, (std::vector<String>{u"/x/a.lst"}));
}

TEST_F(Qmark_error_dlgs, ProcessingNRelatedClustersIsATextInTheDateFormatsNumbers) {
  EXPECT_EQ(ProcessingNRelatedClusters(fOwner.get(), 1234567, 2, 4),
            u"processing 1.234.567 2-4-word clusters, checking links between them");
}

TEST_F(Qmark_error_dlgs, ARoutineThroughTheRealDialog) {
  std::string text;
  ScopedModalHook hook([&](TForm& f) {
    text = StringToUtf8(static_cast<TLabel*>(f.FindComponent(u"Message"))->Caption());
    EXPECT_EQ(f.Caption(), u"Information");
    EXPECT_EQ(f.Owner(), fOwner.get());
    PressButton(f, u"OK");
  });
  EXPECT_TRUE(NFilesLoaded(fOwner.get(), 3));
  EXPECT_EQ(text, "3 files loaded");
  // A timed notice that nobody answers closes itself, with its box and caption.
  int shown = 0;
  ScopedModalHook waiting(WaitingHook(5000, &shown));
  Global_TimedOut = false;
  ClipboardHasText(fOwner.get());
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(Global_TimedOut);
}

}  // namespace
}  // namespace sk
