// The folder-browse dialog: a caption text, a tree of folders from a root
// (the whole file system by default), a status line, OK and Cancel. A
// callback hears when the dialog is ready and whenever the selection moves,
// and steers the dialog with messages (select a folder, enable OK, set the
// status text), as the folder chooser of the suite expects.
#pragma once

#include <functional>

#include "platform/runtime/ResourceStrings.h"
#include "platform/visual/Forms.h"

namespace sk {

// The dialog's caption.
extern const TResStringRec _SKBrowseForFolderCaption;  // 60445 "Browse For Folder"

// Browse flags.
inline constexpr Cardinal BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr Cardinal BIF_DONTGOBELOWDOMAIN = 0x0002;
inline constexpr Cardinal BIF_STATUSTEXT = 0x0004;
inline constexpr Cardinal BIF_RETURNFSANCESTORS = 0x0008;
inline constexpr Cardinal BIF_BROWSEFORCOMPUTER = 0x1000;
inline constexpr Cardinal BIF_BROWSEFORPRINTER = 0x2000;

// What the callback hears: the dialog is ready (LParam 0); the selection
// moved (LParam points at the selected folder's path, a String).
inline constexpr Cardinal BFFM_INITIALIZED = 1;
inline constexpr Cardinal BFFM_SELCHANGED = 2;
// Messages to the dialog (SendMessage): OK enabled when LParam is not 0;
// the folder whose path LParam points at (a String) selected; the status
// line set to the String LParam points at.
inline constexpr Cardinal BFFM_ENABLEOK = WM_USER + 101;
inline constexpr Cardinal BFFM_SETSELECTIONW = WM_USER + 103;
inline constexpr Cardinal BFFM_SETSTATUSTEXTW = WM_USER + 104;

using BFFCALLBACK = std::function<Int32(TForm* Wnd, Cardinal Msg, Int64 LParam, Int64 Data)>;

struct TBrowseInfo {
  // The form the dialog is centred on; nullptr: the screen.
  TForm* hwndOwner = nullptr;
  // The root folder; empty for the whole file system.
  String pidlRoot;
  // Receives the chosen folder's name (its last part) when set.
  String* pszDisplayName = nullptr;
  // The text above the tree.
  String lpszTitle;
  Cardinal ulFlags = 0;
  BFFCALLBACK lpfn;
  // Passed to the callback as Data.
  Int64 lParam = 0;
  // Receives -1: folders carry no image index here.
  Int32 iImage = 0;
};

// Shows the dialog modally; true when the user chose a folder, with its
// path in chosen. Raises EInvalidOperation without an application.
bool SHBrowseForFolder(TBrowseInfo& info, String& chosen);

// Special folders by their numbers.
inline constexpr Int32 CSIDL_DESKTOP = 0;
inline constexpr Int32 CSIDL_PROGRAMS = 2;
inline constexpr Int32 CSIDL_CONTROLS = 3;
inline constexpr Int32 CSIDL_PRINTERS = 4;
inline constexpr Int32 CSIDL_PERSONAL = 5;
inline constexpr Int32 CSIDL_FAVORITES = 6;
inline constexpr Int32 CSIDL_STARTUP = 7;
inline constexpr Int32 CSIDL_RECENT = 8;
inline constexpr Int32 CSIDL_SENDTO = 9;
inline constexpr Int32 CSIDL_BITBUCKET = 10;
inline constexpr Int32 CSIDL_STARTMENU = 11;
inline constexpr Int32 CSIDL_DESKTOPDIRECTORY = 16;
inline constexpr Int32 CSIDL_DRIVES = 17;
inline constexpr Int32 CSIDL_NETWORK = 18;
inline constexpr Int32 CSIDL_NETHOOD = 19;
inline constexpr Int32 CSIDL_FONTS = 20;
inline constexpr Int32 CSIDL_TEMPLATES = 21;

// The folder of a special-folder number, from the XDG user folders: desktop
// (0 and 16), documents (5), fonts (20: $XDG_DATA_HOME/fonts), templates
// (21), trash (10: $XDG_DATA_HOME/Trash/files); "" for the others, which
// have no folder here.
String SHGetSpecialFolderPath(Int32 csidl);

// The dialog's form, for callbacks and modal hooks: the labels "Title" and
// "Status", the tree, and the buttons "OK" (mrOk) and "Cancel" (mrCancel).
class TBrowseFolderForm : public TForm {
 public:
  explicit TBrowseFolderForm(TComponent* owner);
  ~TBrowseFolderForm() override;

  // The folder selected in the tree; "" when none.
  String SelectedPath() const;
  // Selects the folder when it lies under the root and exists; false
  // otherwise.
  bool SelectPath(const String& path);
  String StatusText() const;
  bool OKEnabled() const;
  const String& RootPath() const { return fRoot; }

  void WndProc(TMessage& message) override;

  // For SHBrowseForFolder.
  void Prepare(const TBrowseInfo& info);
  void TreeSelectionChanged();

 private:
  struct TParts;
  std::unique_ptr<TParts> fParts;
  String fRoot;
  TBrowseInfo fInfo;
};

}  // namespace sk
