// File and folder dialogs: the open and save dialogs with their "|" filters,
// the newer file dialogs with their list of file types, and the folder
// chooser SelectDirectory.
//
// With UseLatestCommonDialogs false, or on a platform without a desktop (the
// offscreen and minimal platforms), a dialog is Qt's own file dialog inside a
// modal TFileDialogForm, so the modal hook sees it and may answer it. With
// the switch true on a desktop, the desktop's native dialog is used where
// the platform theme offers one.
#pragma once

#include <vector>

#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/StringList.h"
#include "platform/visual/Forms.h"

class QFileDialog;

namespace sk {

// The process-wide choice between the desktop's native dialogs (true, the
// start value) and Qt's own.
inline constinit bool UseLatestCommonDialogs = true;

// The dialogs' default titles.
extern const TResStringRec _SKOpenDialogTitle;  // 60447 "Open"
extern const TResStringRec _SKSaveDialogTitle;  // 60446 "Save As"

// A filter "description|mask|description|mask" as Qt's name filters: one
// "description (masks)" per pair, with ";" between masks made a blank and
// "*.*" made "*" so that names without a dot show. A description without a
// mask is left out.
std::vector<String> QtNameFilters(const String& filter);

enum TOpenOption : uint8_t {
  ofReadOnly,
  ofOverwritePrompt,
  ofHideReadOnly,
  ofNoChangeDir,
  ofShowHelp,
  ofNoValidate,
  ofAllowMultiSelect,
  ofExtensionDifferent,
  ofPathMustExist,
  ofFileMustExist,
  ofCreatePrompt,
  ofShareAware,
  ofNoReadOnlyReturn,
  ofNoTestFileCreate,
  ofNoNetworkButton,
  ofNoLongNames,
  ofOldStyleDialog,
  ofNoDereferenceLinks,
  ofEnableIncludeNotify,
  ofEnableSizing,
  ofDontAddToRecent,
  ofForceShowHidden
};
// Set of TOpenOption, bit k for the option of ordinal k.
using TOpenOptions = Cardinal;
inline constexpr TOpenOptions OpenOption(TOpenOption o) { return TOpenOptions(1) << o; }
inline constexpr bool HasOpenOption(TOpenOptions s, TOpenOption o) { return (s >> o) & 1u; }

// The open dialog. It accepts a name that does not exist yet unless
// ofFileMustExist is set; with ofAllowMultiSelect only existing files.
class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;

  const String& Filter() const { return fFilter; }
  void SetFilter(const String& f) { fFilter = f; }
  // The filter shown, from 1.
  Int32 FilterIndex() const { return fFilterIndex; }
  void SetFilterIndex(Int32 i) { fFilterIndex = i; }
  // Put after a name typed without an extension (without its dot).
  const String& DefaultExt() const { return fDefaultExt; }
  void SetDefaultExt(const String& e) { fDefaultExt = e; }
  const String& FileName() const { return fFileName; }
  void SetFileName(const String& f) { fFileName = f; }
  // The files chosen last (none after a cancelled dialog).
  TStringList& Files() { return fFiles; }
  const String& InitialDir() const { return fInitialDir; }
  void SetInitialDir(const String& d) { fInitialDir = d; }
  // The caption; empty for the standard one ("Open", "Save As").
  const String& Title() const { return fTitle; }
  void SetTitle(const String& t) { fTitle = t; }
  TOpenOptions Options() const { return fOptions; }
  void SetOptions(TOpenOptions o) { fOptions = o; }

  // Shows the dialog; true when the user chose, with FileName, Files and
  // FilterIndex set to the choice.
  virtual bool Execute();

 protected:
  virtual bool IsSave() const { return false; }

 private:
  String fFilter;
  Int32 fFilterIndex = 1;
  String fDefaultExt;
  String fFileName;
  TStringList fFiles;
  String fInitialDir;
  String fTitle;
  TOpenOptions fOptions = OpenOption(ofHideReadOnly) | OpenOption(ofEnableSizing);
};

// The save dialog: asks before overwriting only with ofOverwritePrompt.
class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

 protected:
  bool IsSave() const override { return true; }
};

// ---------------------------------------------------------------------------
// The newer file dialogs: a list of file types instead of a "|" filter.

struct TFileTypeItem {
  String DisplayName;
  String FileMask;
};

enum TFileDialogOption : uint8_t {
  fdoOverWritePrompt,
  fdoStrictFileTypes,
  fdoNoChangeDir,
  fdoPickFolders,
  fdoForceFileSystem,
  fdoAllNonStorageItems,
  fdoNoValidate,
  fdoAllowMultiSelect,
  fdoPathMustExist,
  fdoFileMustExist,
  fdoCreatePrompt,
  fdoShareAware,
  fdoNoReadOnlyReturn,
  fdoNoTestFileCreate,
  fdoHideMRUPlaces,
  fdoHidePinnedPlaces,
  fdoNoDereferenceLinks,
  fdoDontAddToRecent,
  fdoForceShowHidden,
  fdoDefaultNoMiniMode,
  fdoForcePreviewPaneOn
};
using TFileDialogOptions = Cardinal;
inline constexpr TFileDialogOptions FileDialogOption(TFileDialogOption o) { return TFileDialogOptions(1) << o; }

class TCustomFileDialog : public TComponent {
 public:
  explicit TCustomFileDialog(TComponent* owner);
  ~TCustomFileDialog() override;

  std::vector<TFileTypeItem>& FileTypes() { return fFileTypes; }
  // Appends an empty file type and answers it.
  TFileTypeItem& AddFileType();
  // The file type shown, from 1.
  Int32 FileTypeIndex() const { return fFileTypeIndex; }
  void SetFileTypeIndex(Int32 i) { fFileTypeIndex = i; }
  const String& DefaultExtension() const { return fDefaultExtension; }
  void SetDefaultExtension(const String& e) { fDefaultExtension = e; }
  const String& DefaultFolder() const { return fDefaultFolder; }
  void SetDefaultFolder(const String& d) { fDefaultFolder = d; }
  const String& FileName() const { return fFileName; }
  void SetFileName(const String& f) { fFileName = f; }
  TStringList& Files() { return fFiles; }
  const String& Title() const { return fTitle; }
  void SetTitle(const String& t) { fTitle = t; }
  TFileDialogOptions Options() const { return fOptions; }
  void SetOptions(TFileDialogOptions o) { fOptions = o; }

  virtual bool Execute();

 protected:
  virtual bool IsSave() const { return false; }

 private:
  std::vector<TFileTypeItem> fFileTypes;
  Int32 fFileTypeIndex = 1;
  String fDefaultExtension;
  String fDefaultFolder;
  String fFileName;
  TStringList fFiles;
  String fTitle;
  TFileDialogOptions fOptions = 0;
};

class TFileOpenDialog : public TCustomFileDialog {
 public:
  explicit TFileOpenDialog(TComponent* owner) : TCustomFileDialog(owner) {}
};

class TFileSaveDialog : public TCustomFileDialog {
 public:
  explicit TFileSaveDialog(TComponent* owner) : TCustomFileDialog(owner) {}

 protected:
  bool IsSave() const override { return true; }
};

// ---------------------------------------------------------------------------

enum TSelectDirFileDlgOpt : uint8_t { sdNoDereferenceLinks, sdAllowMultiSelect, sdShowHidden, sdShowFiles };
using TSelectDirFileDlgOpts = Byte;
inline constexpr TSelectDirFileDlgOpts SelectDirOption(TSelectDirFileDlgOpt o) {
  return static_cast<TSelectDirFileDlgOpts>(1u << o);
}

// The folder chooser: starts at startingFolder (the current folder when it
// is empty or missing); title is the caption, folderNameLabel the label of
// the name field, okButtonLabel the confirm button's text (each empty for
// the standard one). True when the user chose, with the chosen folders in
// directories (otherwise it is left alone).
bool SelectDirectory(const String& startingFolder, std::vector<String>& directories, TSelectDirFileDlgOpts options,
                     const String& title, const String& folderNameLabel, const String& okButtonLabel);

// ---------------------------------------------------------------------------

// The modal form that holds Qt's file dialog. A modal hook answers it with
// ChooseFiles, ChooseFolder or CancelDialog.
class TFileDialogForm : public TForm {
 public:
  explicit TFileDialogForm(TComponent* owner);
  ~TFileDialogForm() override;

  QFileDialog* FileDialog() const;
  // Whether the dialog saves, picks folders, or takes several files.
  bool Saving() const;
  bool PickingFolders() const;
  bool MultiSelect() const;
  // The folder shown, and the name filters offered with the one shown.
  String Directory() const;
  std::vector<String> NameFilters() const;
  String SelectedNameFilter() const;

  // Chooses the files (names relative to the folder shown, or full paths)
  // and confirms, as the user does. False, leaving the dialog open, when the
  // dialog would refuse them or ask first: a missing file where files must
  // exist, several names where one is asked for, a file to be overwritten
  // after a question.
  bool ChooseFiles(const std::vector<String>& names);
  // Chooses the folder and confirms; false, leaving the dialog open, when it
  // does not exist or the dialog picks files.
  bool ChooseFolder(const String& folder);
  // Chooses the name filter of that index (from 0).
  void ChooseNameFilter(Int32 index);
  // Closes the dialog as Cancel does.
  void CancelDialog();

 private:
  QFileDialog* fDialog = nullptr;
};

}  // namespace sk
