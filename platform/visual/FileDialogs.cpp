#include "platform/visual/FileDialogs.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtGui/QGuiApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QVBoxLayout>

#include "platform/runtime/FileUtils.h"
#include "platform/visual/QtConvert.h"

namespace sk {

constinit const TResStringRec _SKOpenDialogTitle{60447, u"Open", "_SKOpenDialogTitle"};
constinit const TResStringRec _SKSaveDialogTitle{60446, u"Save As", "_SKSaveDialogTitle"};

namespace {

enum class TDialogKind : uint8_t { open, save, folder };

// What a dialog is asked to show, and what it answers.
struct TDialogRequest {
  TDialogKind kind = TDialogKind::open;
  String title;
  String directory;
  String fileName;
  std::vector<String> nameFilters;
  Int32 filterIndex = 0;  // from 0
  String defaultSuffix;
  bool multiSelect = false;
  bool mustExist = false;
  bool overwritePrompt = false;
  bool showHidden = false;
  bool showFiles = false;  // folder dialogs
  String fileNameLabel;
  String acceptLabel;
};

struct TDialogAnswer {
  bool chosen = false;
  std::vector<String> files;
  Int32 filterIndex = 0;  // from 0; -1 when unknown
};

// Platforms without a desktop have no native dialogs, and nobody to answer
// a dialog that the modal hook cannot see.
bool Headless() {
  const QString name = QGuiApplication::platformName();
  return name == QLatin1String("offscreen") || name == QLatin1String("minimal") ||
         name == QLatin1String("minimalegl");
}

void SetUp(QFileDialog& d, const TDialogRequest& r) {
  d.setWindowTitle(ToQString(r.title));
  switch (r.kind) {
    case TDialogKind::open:
      d.setAcceptMode(QFileDialog::AcceptOpen);
      d.setFileMode(r.multiSelect ? QFileDialog::ExistingFiles
                                  : r.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
      break;
    case TDialogKind::save:
      d.setAcceptMode(QFileDialog::AcceptSave);
      d.setFileMode(QFileDialog::AnyFile);
      d.setOption(QFileDialog::DontConfirmOverwrite, !r.overwritePrompt);
      break;
    case TDialogKind::folder:
      d.setAcceptMode(QFileDialog::AcceptOpen);
      d.setFileMode(QFileDialog::Directory);
      d.setOption(QFileDialog::ShowDirsOnly, !r.showFiles);
      break;
  }
  QStringList filters;
  for (const String& f : r.nameFilters) filters.append(ToQString(f));
  if (!filters.isEmpty()) {
    d.setNameFilters(filters);
    if (r.filterIndex >= 0 && r.filterIndex < filters.size()) d.selectNameFilter(filters[r.filterIndex]);
  }
  if (!r.defaultSuffix.empty()) d.setDefaultSuffix(ToQString(r.defaultSuffix));
  if (r.showHidden) d.setFilter(d.filter() | QDir::Hidden);
  if (!r.fileNameLabel.empty()) d.setLabelText(QFileDialog::FileName, ToQString(r.fileNameLabel));
  if (!r.acceptLabel.empty()) d.setLabelText(QFileDialog::Accept, ToQString(r.acceptLabel));
  String dir = r.directory;
  if (!r.fileName.empty() && r.fileName.find(PathDelim) != String::npos) {
    if (dir.empty()) dir = ExtractFileDir(r.fileName);
  }
  if (!dir.empty() && DirectoryExists(dir)) d.setDirectory(ToQString(dir));
  if (!r.fileName.empty() && r.kind != TDialogKind::folder) d.selectFile(ToQString(ExtractFileName(r.fileName)));
}

TDialogAnswer AnswerOf(const QFileDialog& d) {
  TDialogAnswer a;
  a.chosen = true;
  for (const QString& f : d.selectedFiles()) a.files.push_back(FromQString(f));
  a.filterIndex = static_cast<Int32>(d.nameFilters().indexOf(d.selectedNameFilter()));
  if (a.files.empty()) a.chosen = false;
  return a;
}

TDialogAnswer RunDialog(const TDialogRequest& request) {
  RequireApplication("A file dialog");
  if (UseLatestCommonDialogs && !Headless()) {
    QFileDialog d;
    SetUp(d, request);
    if (d.exec() != QDialog::Accepted) return {};
    return AnswerOf(d);
  }
  TFileDialogForm form(nullptr);
  SetUp(*form.FileDialog(), request);
  form.SetCaption(request.title);
  if (form.ShowModal() != mrOk) return {};
  return AnswerOf(*form.FileDialog());
}

String WithoutDot(const String& ext) { return !ext.empty() && ext[0] == u'.' ? ext.substr(1) : ext; }

}  // namespace

std::vector<String> QtNameFilters(const String& filter) {
  std::vector<String> parts;
  size_t at = 0;
  while (at < filter.size()) {
    const size_t bar = filter.find(u'|', at);
    parts.push_back(filter.substr(at, bar == String::npos ? String::npos : bar - at));
    if (bar == String::npos) break;
    at = bar + 1;
  }
  std::vector<String> result;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    String masks;
    size_t from = 0;
    const String& mask = parts[i + 1];
    while (from <= mask.size()) {
      size_t semi = mask.find(u';', from);
      if (semi == String::npos) semi = mask.size();
      String one = mask.substr(from, semi - from);
      while (!one.empty() && one.front() == u' ') one.erase(0, 1);
      while (!one.empty() && one.back() == u' ') one.pop_back();
      if (one == u"*.*") one = u"*";
      if (!one.empty()) masks += (masks.empty() ? u"" : u" ") + one;
      from = semi + 1;
    }
    if (masks.empty()) masks = u"*";
    result.push_back(parts[i] + u" (" + masks + u")");
  }
  return result;
}

// ---------------------------------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

TOpenDialog::~TOpenDialog() { Destroying(); }

bool TOpenDialog::Execute() {
  TDialogRequest r;
  r.kind = IsSave() ? TDialogKind::save : TDialogKind::open;
  r.title = !fTitle.empty() ? fTitle : LoadResString(IsSave() ? &_SKSaveDialogTitle : &_SKOpenDialogTitle);
  r.directory = fInitialDir;
  r.fileName = fFileName;
  r.nameFilters = QtNameFilters(fFilter);
  r.filterIndex = fFilterIndex - 1;
  r.defaultSuffix = WithoutDot(fDefaultExt);
  r.multiSelect = !IsSave() && HasOpenOption(fOptions, ofAllowMultiSelect);
  r.mustExist = HasOpenOption(fOptions, ofFileMustExist);
  r.overwritePrompt = HasOpenOption(fOptions, ofOverwritePrompt);
  r.showHidden = HasOpenOption(fOptions, ofForceShowHidden);
  // Files hold the files chosen last: none once a dialog is cancelled.
  fFiles.Clear();
  const TDialogAnswer a = RunDialog(r);
  if (!a.chosen) return false;
  for (const String& f : a.files) fFiles.Add(f);
  fFileName = a.files.front();
  if (a.filterIndex >= 0) fFilterIndex = a.filterIndex + 1;
  return true;
}

// ---------------------------------------------------------------------------

TCustomFileDialog::TCustomFileDialog(TComponent* owner) : TComponent(owner) {}

TCustomFileDialog::~TCustomFileDialog() { Destroying(); }

TFileTypeItem& TCustomFileDialog::AddFileType() {
  fFileTypes.emplace_back();
  return fFileTypes.back();
}

bool TCustomFileDialog::Execute() {
  TDialogRequest r;
  const bool folders = (fOptions & FileDialogOption(fdoPickFolders)) != 0;
  r.kind = folders ? TDialogKind::folder : IsSave() ? TDialogKind::save : TDialogKind::open;
  r.title = !fTitle.empty() ? fTitle : LoadResString(IsSave() ? &_SKSaveDialogTitle : &_SKOpenDialogTitle);
  r.directory = fDefaultFolder;
  r.fileName = fFileName;
  String filter;
  for (const TFileTypeItem& t : fFileTypes) filter += t.DisplayName + u"|" + t.FileMask + u"|";
  r.nameFilters = QtNameFilters(filter);
  r.filterIndex = fFileTypeIndex - 1;
  r.defaultSuffix = WithoutDot(fDefaultExtension);
  r.multiSelect = !IsSave() && (fOptions & FileDialogOption(fdoAllowMultiSelect)) != 0;
  r.mustExist = (fOptions & FileDialogOption(fdoFileMustExist)) != 0;
  r.overwritePrompt = (fOptions & FileDialogOption(fdoOverWritePrompt)) != 0;
  r.showHidden = (fOptions & FileDialogOption(fdoForceShowHidden)) != 0;
  // Files hold the files chosen last: none once a dialog is cancelled.
  fFiles.Clear();
  const TDialogAnswer a = RunDialog(r);
  if (!a.chosen) return false;
  for (const String& f : a.files) fFiles.Add(f);
  fFileName = a.files.front();
  if (a.filterIndex >= 0) fFileTypeIndex = a.filterIndex + 1;
  return true;
}

// ---------------------------------------------------------------------------

bool SelectDirectory(const String& startingFolder, std::vector<String>& directories, TSelectDirFileDlgOpts options,
                     const String& title, const String& folderNameLabel, const String& okButtonLabel) {
  TDialogRequest r;
  r.kind = TDialogKind::folder;
  r.title = title;
  r.directory = startingFolder;
  r.showHidden = (options & SelectDirOption(sdShowHidden)) != 0;
  r.showFiles = (options & SelectDirOption(sdShowFiles)) != 0;
  r.fileNameLabel = folderNameLabel;
  r.acceptLabel = okButtonLabel;
  const TDialogAnswer a = RunDialog(r);
  if (!a.chosen) return false;
  directories = a.files;
  return true;
}

// ---------------------------------------------------------------------------

TFileDialogForm::TFileDialogForm(TComponent* owner) : TForm(owner) {
  SetName(u"FileDialogForm");
  SetBorderStyle(bsSizeable);
  SetPosition(poScreenCenter);
  SetBounds(Left(), Top(), 600, 400);
  QWidget* host = Widget();
  fDialog = new QFileDialog(host, Qt::Widget);
  fDialog->setOption(QFileDialog::DontUseNativeDialog, true);
  fDialog->setWindowFlags(Qt::Widget);
  auto* layout = new QVBoxLayout(host);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(fDialog);
  QObject::connect(fDialog, &QDialog::finished, host, [this](int result) {
    if (Modal()) SetModalResult(result == QDialog::Accepted ? mrOk : mrCancel);
  });
}

TFileDialogForm::~TFileDialogForm() { Destroying(); }

QFileDialog* TFileDialogForm::FileDialog() const { return fDialog; }

bool TFileDialogForm::Saving() const { return fDialog->acceptMode() == QFileDialog::AcceptSave; }

bool TFileDialogForm::PickingFolders() const { return fDialog->fileMode() == QFileDialog::Directory; }

bool TFileDialogForm::MultiSelect() const { return fDialog->fileMode() == QFileDialog::ExistingFiles; }

String TFileDialogForm::Directory() const { return FromQString(fDialog->directory().absolutePath()); }

std::vector<String> TFileDialogForm::NameFilters() const {
  std::vector<String> r;
  for (const QString& f : fDialog->nameFilters()) r.push_back(FromQString(f));
  return r;
}

String TFileDialogForm::SelectedNameFilter() const { return FromQString(fDialog->selectedNameFilter()); }

void TFileDialogForm::ChooseNameFilter(Int32 index) {
  const QStringList filters = fDialog->nameFilters();
  if (index >= 0 && index < filters.size()) fDialog->selectNameFilter(filters[index]);
}

bool TFileDialogForm::ChooseFiles(const std::vector<String>& names) {
  if (names.empty() || PickingFolders()) return false;
  if (names.size() > 1 && !MultiSelect()) return false;
  const QDir dir = fDialog->directory();
  const QFileDialog::FileMode mode = fDialog->fileMode();
  for (const String& n : names) {
    const QFileInfo info(dir, ToQString(n));
    if (info.isDir()) return false;
    if ((mode == QFileDialog::ExistingFile || mode == QFileDialog::ExistingFiles) && !info.exists()) return false;
    if (Saving() && !fDialog->testOption(QFileDialog::DontConfirmOverwrite) && info.exists()) return false;
  }
  if (names.size() == 1) {
    fDialog->selectFile(ToQString(names.front()));
  } else {
    QString typed;
    for (const String& n : names) typed += QLatin1Char('"') + ToQString(n) + QLatin1String("\" ");
    if (auto* edit = fDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) edit->setText(typed.trimmed());
  }
  static_cast<QDialog*>(fDialog)->accept();  // QFileDialog checks the names first
  return ModalResult() == mrOk;
}

bool TFileDialogForm::ChooseFolder(const String& folder) {
  if (!PickingFolders() || !DirectoryExists(folder)) return false;
  fDialog->setDirectory(ToQString(folder));
  if (auto* edit = fDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) edit->clear();
  static_cast<QDialog*>(fDialog)->accept();  // QFileDialog checks the names first
  return ModalResult() == mrOk;
}

void TFileDialogForm::CancelDialog() { fDialog->reject(); }

}  // namespace sk
