#include "ui/Labelledcomponents_edits.h"

#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/visual/Resources.h"
#include "ui/Dialog_stuff_base.h"
#include "ui/Labelledcomponents_messages.h"

namespace sk {

namespace {

// The button image's size for an edit of that height.
Int32 ImageSizeFor(Int32 height) {
  if (height >= 25 && height <= 32) return 24;
  if (height >= 33 && height <= 64) return 32;
  return 16;
}

}  // namespace

TBaseFileFoldernameEdit::TBaseFileFoldernameEdit(TComponent* owner, Int32 height) : TButtonedEdit(owner) {
  SetHeight(height);
  UseLatestCommonDialogs = false;
  fDialogue = std::make_unique<TOpenDialog>(nullptr);
  const Int32 size = ImageSizeFor(Height());
  fImages = new TImageList(this, size, size);
  fImages->SetColorDepth(cd32Bit);
  TBitmap image;
  LoadBitmapFromResourceName(image, Format(u"QMMYPNG%d", {size}));
  fImages->Add(image, nullptr);
  const Int32 last = fImages->AddMasked(image, clWhite);
  SetImages(fImages);
  RightButton().SetImageIndex(last);
  RightButton().SetVisible(true);
  OnRightButtonClick = [this](TObject* sender) { DoRightButtonClick(sender); };
}

TBaseFileFoldernameEdit::~TBaseFileFoldernameEdit() {
  Destroying();
  SetImages(nullptr);
  delete fImages;
  fImages = nullptr;
}

void TBaseFileFoldernameEdit::SetAnOption(TOpenOption option, bool on) {
  TOpenOptions o = fDialogue->Options();
  o = on ? (o | OpenOption(option)) : (o & ~OpenOption(option));
  fDialogue->SetOptions(o);
}

void TBaseFileFoldernameEdit::SetupFiletypes() {
  if (fDialogue->InitialDir().empty()) fDialogue->SetInitialDir(fInitialDir);
}

void TBaseFileFoldernameEdit::DoRightButtonClick(TObject* Sender) {
  (void)Sender;
  SetupFiletypes();
  GetFileOrFolder();
}

void TBaseFileFoldernameEdit::GetFileOrFolder() {
  if (dynamic_cast<TFilenameEdit*>(this) != nullptr) {
    if (fDialogue->Execute()) SetText(fDialogue->FileName());
  } else if (dynamic_cast<TFoldernameEdit*>(this) != nullptr) {
    if (GetText().empty()) SetText(fInitialDir);
    std::vector<String> folders;
    if (SelectDirectory(GetText(), folders, 0, LoadResString(&_QMFolder), LoadResString(&_QMChoose),
                        LoadResString(&_QMOK)) &&
        !folders.empty())
      SetText(folders.front());
  }
  AddFilenames();
  if (OnChosen) OnChosen(this);
}

// ---------------------------------------------------------------------------

TFilenameEdit::TFilenameEdit(TComponent* owner, Int32 height)
    : TBaseFileFoldernameEdit(owner, height), fFilenames(std::make_unique<TStringList>()) {
  // File names differ by case on this system.
  fFilenames->SetCaseSensitive(true);
  SetFileTypes({ext_txt, ext_any});
}

TFilenameEdit::~TFilenameEdit() {
  Destroying();
  fFilenames->Clear();
}

void TFilenameEdit::SetFileTypes(const std::vector<TQM_Extensions>& kinds) { SetFiltersToOpenDialog(Dialogue(), kinds); }

void TFilenameEdit::SetupFiletypes() {
  TBaseFileFoldernameEdit::SetupFiletypes();
  fFilenames->Clear();
  Dialogue().SetTitle(LoadResString(fIsSaveDlg ? &_SSAveFileTitle : &_SKOpenDialogTitle));
}

void TFilenameEdit::DoRightButtonClick(TObject* Sender) {
  (void)Sender;
  SetupFiletypes();
  if (HasOpenOption(GetOptions(), ofAllowMultiSelect))
    Dialogue().SetTitle(Format(LoadResString(&_SChoose), {LoadResString(&_SFiles)}));
  else
    Dialogue().SetTitle(Format(LoadResString(&_SChooseA), {LoadResString(&_SFile)}));
  fFilenames->Clear();
  GetFileOrFolder();
}

void TFilenameEdit::AddFilenames() {
  TStringList& files = Dialogue().Files();
  for (Int32 i = 0; i < files.Count(); ++i) fFilenames->Add(files[i]);
}

void TFilenameEdit::CheckTextIsInFilenames() {
  const String text = GetText();
  if (!text.empty() && FileExists(text) && fFilenames->IndexOf(text) < 0) fFilenames->Add(text);
}

void EnsureAFilenameCountHasText(TFilenameEdit& edit, const String& name) {
  if (!name.empty() && edit.GetFilenames().IndexOf(name) < 0) edit.GetFilenames().Add(name);
}

}  // namespace sk
