// Edits for a file name or a folder with a button on their right: the
// button opens the file dialog or the folder chooser and puts the choice in
// the edit.
#pragma once

#include <memory>
#include <vector>

#include "core/My_file_extensionsu.h"
#include "platform/runtime/StringList.h"
#include "platform/visual/Edits.h"
#include "platform/visual/FileDialogs.h"
#include "platform/visual/ImgList.h"

namespace sk {

class TBaseFileFoldernameEdit : public TButtonedEdit {
 public:
  // The edit, height pixels high (the default 21 takes the 16-pixel image;
  // 25 to 32 the 24-pixel one; 33 to 64 the 32-pixel one). Every file dialog
  // of the process is Qt's own from then on (UseLatestCommonDialogs false).
  // Raises EResNotFound when the library lacks the image.
  explicit TBaseFileFoldernameEdit(TComponent* owner, Int32 height = 21);
  ~TBaseFileFoldernameEdit() override;

  // The folder offered when the dialog has none, and where an empty folder
  // edit starts.
  const String& InitialDir() const { return fInitialDir; }
  void SetInitialDir(const String& folder) { fInitialDir = folder; }
  // The open dialog's options.
  TOpenOptions GetOptions() const { return fDialogue->Options(); }
  void SetOptions(TOpenOptions options) { fDialogue->SetOptions(options); }
  void SetAnOption(TOpenOption option, bool on);
  TOpenDialog& Dialogue() { return *fDialogue; }
  TImageList& ButtonImages() { return *fImages; }

  // Held for the tools, which may raise it from their own handlers.
  TNotifyEvent OnPaste;
  // Raised once after each use of the chooser, whether or not the user
  // picked something.
  TNotifyEvent OnChosen;

  // What the button does: SetupFiletypes, then GetFileOrFolder.
  virtual void DoRightButtonClick(TObject* Sender);
  // Runs the file dialog or the folder chooser, then AddFilenames and
  // OnChosen.
  void GetFileOrFolder();

 protected:
  virtual void AddFilenames() {}
  // The dialog's initial folder becomes InitialDir when it has none.
  virtual void SetupFiletypes();

 private:
  std::unique_ptr<TOpenDialog> fDialogue;
  TImageList* fImages = nullptr;  // owned (as a component)
  String fInitialDir;
};

// Picks a folder with the folder chooser.
class TFoldernameEdit : public TBaseFileFoldernameEdit {
 public:
  explicit TFoldernameEdit(TComponent* owner, Int32 height = 21) : TBaseFileFoldernameEdit(owner, height) {}
};

// Picks files with the open dialog; its file types start as text files,
// then all files.
class TFilenameEdit : public TBaseFileFoldernameEdit {
 public:
  explicit TFilenameEdit(TComponent* owner, Int32 height = 21);
  ~TFilenameEdit() override;

  // The dialog's filter and default extension from the file kinds.
  void SetFileTypes(const std::vector<TQM_Extensions>& kinds);
  const String& GetDefaultExt() { return Dialogue().DefaultExt(); }
  void SetDefaultExt(const String& e) { Dialogue().SetDefaultExt(e); }
  Int32 GetFilterIndex() { return Dialogue().FilterIndex(); }
  void SetFilterIndex(Int32 i) { Dialogue().SetFilterIndex(i); }
  bool GetIsSaveDlg() const { return fIsSaveDlg; }
  void SetIsSaveDlg(bool s) { fIsSaveDlg = s; }
  // The file names chosen last.
  TStringList& GetFilenames() { return *fFilenames; }
  // Adds the edit's text to Filenames when it names an existing file that is
  // not there yet.
  void CheckTextIsInFilenames();

  void DoRightButtonClick(TObject* Sender) override;

 protected:
  void AddFilenames() override;
  void SetupFiletypes() override;

 private:
  std::unique_ptr<TStringList> fFilenames;
  bool fIsSaveDlg = false;
};

// Adds name to the edit's Filenames when it is not empty and not there yet.
void EnsureAFilenameCountHasText(TFilenameEdit& edit, const String& name);

}  // namespace sk
