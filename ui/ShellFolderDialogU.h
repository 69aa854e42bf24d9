// The folder chooser: a component around the folder-browse dialog that
// picks the root and the options, preselects a folder, shows the selected
// path shortened in the status line, enables OK only for usable folders and
// adds a "New folder" button, which asks for a name, makes the folder, and
// opens the dialog again with it selected. Captions follow the user's locale
// from small built-in tables.
#pragma once

#include <functional>
#include <memory>

#include "platform/runtime/StringList.h"
#include "platform/visual/BrowseForFolder.h"
#include "platform/visual/StandardControls.h"

namespace sk {

enum TBrowseInfoFlags : uint8_t { OnlyComputers, OnlyPrinters, OnlyDomains, OnlyAncestors, OnlyFileSystem, ShowPath };
// Set of TBrowseInfoFlags, bit k for the flag of ordinal k.
using TBrowseInfoFlagSet = Byte;
inline constexpr TBrowseInfoFlagSet BrowseFlag(TBrowseInfoFlags f) { return static_cast<TBrowseInfoFlagSet>(1u << f); }
// The browse flags of a set: computers $1000, printers $2000, domains $2,
// ancestors $8, file system $1, status text $4. Only the last two mean
// something here; the others are kept and ignored.
Cardinal BrowseFlagsOf(TBrowseInfoFlagSet flags);

enum TSHFolders : uint8_t {
  foDesktop,
  foDesktopExpanded,
  foPrograms,
  foControlPanel,
  foPrinters,
  foPersonal,
  foFavorites,
  foStartup,
  foRecent,
  foSendto,
  foRecycleBin,
  foStartMenu,
  foDesktopFolder,
  foMyComputer,
  foNetwork,
  foNetworkNeighborhood,
  foFonts,
  foTemplates
};
// The special-folder number of a root; -1 for foDesktopExpanded (no root).
Int32 SpecialFolderNumber(TSHFolders folder);
// The folder a root stands for; "" (the whole file system) for
// foDesktopExpanded, foMyComputer and roots without a folder here.
String RootFolderPath(TSHFolders folder);

using TBrowserInitializedEvent = std::function<void(TObject* Sender, TForm* DialogHandle)>;
using TSelectionChangedEvent =
    std::function<void(TObject* Sender, TForm* DialogHandle, const String& ItemIDList, const String& Folder)>;

class TShellFolderDialog : public TComponent {
 public:
  explicit TShellFolderDialog(TComponent* owner);
  ~TShellFolderDialog() override;

  // Shows the dialog (again after each New folder); true when the user chose
  // a folder, which Folder then holds.
  bool Execute();
  void Loaded() override;

  // The caption of the locale from a list of "locale=caption" lines: the
  // locale's line, else the "Default" line, else the first line; "" for an
  // empty list.
  String LocaleText(const TStrings& list) const;
  // The path shortened to at most maximum characters for display: its first
  // part, "...", and as many of its last parts as fit.
  static String MakeDisplayPath(const String& path, Int32 maximum);

  // Messages to the open dialog.
  static void SetSelectionPIDL(TForm* wnd, const String& itemList);
  static void SetSelectionPath(TForm* wnd, const String& path);
  static void EnableOK(TForm* wnd, bool on);
  static void SetStatusText(TForm* wnd, const String& text);

  const String& Folder() const { return FFolder; }
  void SetFolder(const String& f) { FFolder = f; }
  const String& SelectedFolder() const { return FSelectedFolder; }
  // Selects the path in the open dialog.
  void SetSelectedFolder(const String& path);
  const String& DisplayName() const { return FDisplayName; }
  Int32 ImageIndex() const { return FImageIndex; }
  TBrowseInfoFlagSet Flags() const { return FFlags; }
  void SetFlags(TBrowseInfoFlagSet f) { FFlags = f; }
  TSHFolders RootFolder() const { return FRootFolder; }
  void SetRootFolder(TSHFolders r) { FRootFolder = r; }
  TForm* ParentHandle() const { return FParentHandle; }
  void SetParentHandle(TForm* f) { FParentHandle = f; }
  const String& LabelCaption() const { return FLabelCaption; }
  void SetLabelCaption(const String& c) { FLabelCaption = c; }
  bool NewFolderVisible() const { return FNewFolderVisible; }
  void SetNewFolderVisible(bool v);
  bool NewFolderEnabled() const { return FNewFolderEnabled; }
  void SetNewFolderEnabled(bool e);
  const String& NewFolderCaption() const { return FNewFolderCaption; }
  void SetNewFolderCaption(const String& c);
  Int32 NewFolderWidth() const { return FNewFolderWidth; }
  // Values above 0; anything else gives 75.
  void SetNewFolderWidth(Int32 w);
  const String& Version() const { return FVersion; }
  // The version is read-only: setting it does nothing.
  void Dummy(const String& value) { (void)value; }
  const String& Locale() const { return FLocale; }
  // For tests and hosts that change the locale after creation.
  void SetLocale(const String& locale) { FLocale = locale; }
  TStringList& LabelCaptions() { return *FLabelCaptions; }
  TStringList& NewFolderCaptions() { return *FNewFolderCaptions; }
  // Copy the list in when its text differs.
  void SetLabelCaptions(const TStrings& list);
  void SetNewFolderCaptions(const TStrings& list);
  // The open dialog and its New folder button; nullptr while closed.
  TForm* DialogHandle() const { return FDialogHandle; }
  TButton* NewFolderButton() const { return FNewFolderHandle; }
  bool ValidPath() const { return FValidPath; }

  TBrowserInitializedEvent OnInitialized;
  TSelectionChangedEvent OnSelectionChanged;

  // The dialog's callback.
  Int32 BrowseCallback(TForm* wnd, Cardinal msg, Int64 lParam);

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void LabelCaptionsChange(TObject* Sender);
  void NewFolderCaptionsChange(TObject* Sender);
  void NewFolderClick(TObject* Sender);

 private:
  void CreateNewFolderButton(TForm* dialog);
  void UpdateNewFolderEnabled();

  TForm* FDialogHandle = nullptr;
  TButton* FNewFolderHandle = nullptr;
  String FLabelCaption;
  TForm* FParentHandle = nullptr;
  String FDisplayName;
  Int32 FImageIndex = -1;
  String FFolder;
  String FSelectedFolder;
  TBrowseInfoFlagSet FFlags = BrowseFlag(ShowPath);
  TSHFolders FRootFolder = foDesktopExpanded;
  bool FNewFolderVisible = true;
  bool FNewFolderEnabled = true;
  String FNewFolderCaption;
  Int32 FNewFolderWidth = 75;
  bool FRestart = false;
  bool FValidPath = true;
  String FVersion = u"1.60.00.00";
  String FLocale;
  std::unique_ptr<TStringList> FNewFolderCaptions;
  std::unique_ptr<TStringList> FLabelCaptions;
};

// Unit start and stop (the unit has no work of its own).
void ShellFolderDialogU_initialization();
void ShellFolderDialogU_Finalization();

}  // namespace sk
