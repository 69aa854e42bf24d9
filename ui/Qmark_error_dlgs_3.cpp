#include "ui/Qmark_error_dlgs_3.h"

#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/UnitCounter.h"
#include "platform/runtime/FileUtils.h"
#include "platform/visual/MessageDialogs.h"
#include "platform/visual/Shell.h"
#include "ui/Qmark_error_dlgs_1.h"
#include "ui/Qmark_error_dlgs_const.h"

namespace sk {

namespace {

using namespace message_building;

}  // namespace

Int32 ChosenBetweenOptions(TForm* owner, const String& caption, const std::vector<String>& options) {
  TTaskDialog dialog(owner);
  dialog.Flags = TaskDialogFlag(tfUseHiconMain) | TaskDialogFlag(tfAllowDialogCancellation);
  const String choose =
      F(_QMVerbNoun, {T(_QMChoose), F(_QMNOfN, {1.0, static_cast<Double>(options.size())})});
  dialog.Caption = caption.empty() ? choose : caption + u" " + choose;
  dialog.CustomMainIcon() = Application().Icon();
  dialog.CommonButtons = 0;
  for (const String& option : options) dialog.AddButton(option);
  if (!dialog.Execute()) return -1;
  return dialog.PressedButton();
}

Int32 ChosenBetweenOptions(TForm* owner, const std::vector<String>& options) {
  return ChosenBetweenOptions(owner, String(), options);
}

Word ClustersContainingStopListWordsExcluded(TForm* owner) {
  return Modal(Show(owner, F(_QMXContainingYWillBEExcludedQ, {T(_QMClusters), T(_QMStopListWords)}), mtConfirmation,
                    kYesNoHelp, mbYes, 5310));
}

bool IgnorePunctuationInWordClusters(TForm* owner) {
  return OnYes(
      Show(owner, F(_QMIgnorePunctuationInXQ, {T(_QMClusters)}), mtConfirmation, kYesNoHelp, mbYes, 2180));
}

Word IncludeThisFilename(TForm* owner, const String& fileName) {
  return Modal(Show(owner, F(_QMIncludeXQ, {fileName}), mtConfirmation, {mbYes, mbNo, mbCancel}, mbYes, 0));
}

Word SentenceInfoIsWrong(TForm* owner, const String& startMarker, const String& endMarker) {
  return Modal(Show(owner, T(_QMNoSentencesFound) + kCR + F(_QMSentenceMarkersNotFound, {startMarker, endMarker}),
                    mtInformation, kOKHelp, mbOK, 1860));
}

void BeAwareNetworkIsSlow(TForm* owner) {
  TMessageRequest r = Req(T(_QMBeAwareNetworkIsSlow), mtInformation, kOKHelp, mbOK, 1750);
  r.caption = T(_QMNetwork);
  r.box = true;
  ShowMessageRequest(owner, r);
}

bool ReferenceTextTooShort(TForm* owner, const String& fileName) {
  return OnOK(Show(owner, F(_QMREferenceTextTooShortOrProblematic, {fileName}), mtError, kOKHelp, mbOK, 0));
}

bool SavedOKViewNow(TForm* owner, const String& fileName, const String& detail) {
  return OnYes(Show(owner, fileName + detail + kCR + T(_QMSavedOK) + kCR + T(_QMViewFileNow), mtConfirmation, kYesNo,
                    mbYes, 0));
}

void SavedOKOpenNow(TForm* owner, const String& fileName, const String& detail) {
  if (SavedOKViewNow(owner, ExtractFileName(fileName), detail)) ShellOpenFile(fileName);
}

SK_COUNTER_ONLY_UNIT(Qmark_error_dlgs_3)

}  // namespace sk
