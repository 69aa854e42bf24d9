#include "platform/visual/BrowseForFolder.h"

#include <QtCore/QSortFilterProxyModel>
#include <QtGui/QFileSystemModel>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTreeView>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"
#include "platform/visual/StandardControls.h"
#include "platform/visual/VisualConsts.h"

namespace sk {

constinit const TResStringRec _SKBrowseForFolderCaption{60445, u"Browse For Folder", "_SKBrowseForFolderCaption"};

namespace {

std::string U8(const String& s) { return StringToUtf8(s); }

String DataHome() {
  const char* v = std::getenv("XDG_DATA_HOME");
  if (v != nullptr && v[0] == '/') return ExcludeTrailingPathDelimiter(Utf8ToString(std::string(v)));
  return GetHomePath() + u"/.local/share";
}

// A folder of the XDG user-dirs file ($XDG_CONFIG_HOME/user-dirs.dirs), else
// the fallback under the home folder.
String XdgUserDir(const std::string& key, const String& fallback) {
  const String home = GetHomePath();
  std::ifstream f(U8(GetAppDataPath() + u"/user-dirs.dirs"));
  const std::string prefix = key + "=";
  std::string line;
  while (std::getline(f, line)) {
    const size_t p = line.find_first_not_of(" \t");
    if (p == std::string::npos || line.compare(p, prefix.size(), prefix) != 0) continue;
    std::string v = line.substr(p + prefix.size());
    while (!v.empty() && (v.back() == '\r' || v.back() == ' ' || v.back() == '\t')) v.pop_back();
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    if (v.compare(0, 5, "$HOME") == 0) return ExcludeTrailingPathDelimiter(home + Utf8ToString(v.substr(5)));
    if (!v.empty() && v[0] == '/') return ExcludeTrailingPathDelimiter(Utf8ToString(v));
  }
  return home + u"/" + fallback;
}

// The file system's folders from the root down: the root itself is the one
// item at the top, its siblings are left out.
class TRootProxy : public QSortFilterProxyModel {
 public:
  explicit TRootProxy(QObject* parent) : QSortFilterProxyModel(parent) {}
  void SetRoot(const QString& root) {
    fRoot = root;
    invalidateFilter();
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    if (fRoot == QLatin1String("/")) return true;
    auto* fs = static_cast<QFileSystemModel*>(sourceModel());
    const QString path = fs->filePath(fs->index(row, 0, parent));
    if (path == fRoot || path.startsWith(fRoot + QLatin1Char('/'))) return true;
    const QString ancestor = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    return fRoot.startsWith(ancestor);
  }

 private:
  QString fRoot = QStringLiteral("/");
};

// The tree control of the dialog.
class TFolderTree : public TWinControl {
 public:
  explicit TFolderTree(TComponent* owner) : TWinControl(owner, &MakeBridged<QTreeView>) { SetTabStop(true); }
  ~TFolderTree() override { Destroying(); }
  QTreeView* View() const { return static_cast<QTreeView*>(Widget()); }
};

String NormalRoot(const String& root) {
  if (root.empty()) return u"/";
  String r = ExpandFileName(root);
  while (r.size() > 1 && r.back() == u'/') r.pop_back();
  return r;
}

}  // namespace

String SHGetSpecialFolderPath(Int32 csidl) {
  switch (csidl) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY: return XdgUserDir("XDG_DESKTOP_DIR", u"Desktop");
    case CSIDL_PERSONAL: return GetDocumentsPath();
    case CSIDL_TEMPLATES: return XdgUserDir("XDG_TEMPLATES_DIR", u"Templates");
    case CSIDL_FONTS: return DataHome() + u"/fonts";
    case CSIDL_BITBUCKET: return DataHome() + u"/Trash/files";
    default: return String();
  }
}

// ---------------------------------------------------------------------------

struct TBrowseFolderForm::TParts {
  TLabel* title = nullptr;
  TLabel* status = nullptr;
  TFolderTree* tree = nullptr;
  TButton* ok = nullptr;
  TButton* cancel = nullptr;
  QFileSystemModel* model = nullptr;
  TRootProxy* proxy = nullptr;
};

TBrowseFolderForm::TBrowseFolderForm(TComponent* owner) : TForm(owner), fParts(std::make_unique<TParts>()) {
  SetName(u"BrowseForFolderForm");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetCaption(LoadResString(&_SKBrowseForFolderCaption));
  SetClientWidth(360);
  SetClientHeight(420);
  const Int32 w = ClientWidth(), h = ClientHeight();

  TParts& p = *fParts;
  p.title = new TLabel(this);
  p.title->SetName(u"Title");
  p.title->SetParent(this);
  p.title->SetWordWrap(true);
  p.title->SetBounds(12, 8, w - 24, 17);

  p.status = new TLabel(this);
  p.status->SetName(u"Status");
  p.status->SetParent(this);
  p.status->SetAutoSize(false);
  p.status->SetShowAccelChar(false);
  p.status->SetBounds(12, 30, w - 24, 17);
  p.status->SetCaption(String());

  p.tree = new TFolderTree(this);
  p.tree->SetName(u"Tree");
  p.tree->SetParent(this);
  p.tree->SetBounds(12, 52, w - 24, h - 52 - 48);

  p.ok = new TButton(this);
  p.ok->SetName(u"OK");
  p.ok->SetParent(this);
  p.ok->SetCaption(LoadResString(&_SKButtonOK));
  p.ok->SetModalResult(mrOk);
  p.ok->SetDefault(true);
  p.ok->SetBounds(w - 12 - 75 - 8 - 75, h - 36, 75, 23);

  p.cancel = new TButton(this);
  p.cancel->SetName(u"Cancel");
  p.cancel->SetParent(this);
  p.cancel->SetCaption(LoadResString(&_SKButtonCancel));
  p.cancel->SetModalResult(mrCancel);
  p.cancel->SetCancel(true);
  p.cancel->SetBounds(w - 12 - 75, h - 36, 75, 23);

  QTreeView* view = p.tree->View();
  p.model = new QFileSystemModel(view);
  p.model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  p.model->setReadOnly(true);
  p.proxy = new TRootProxy(view);
  p.proxy->setSourceModel(p.model);
  view->setModel(p.proxy);
  for (int c = 1; c < p.model->columnCount(); ++c) view->hideColumn(c);
  view->header()->hide();
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, view,
                   [this, view](const QModelIndex&, const QModelIndex&) {
                     TWidgetBridge* b = TWidgetBridge::Of(view);
                     if (b != nullptr && b->Control() == fParts->tree) TreeSelectionChanged();
                   });
  SetActiveControl(p.tree);
}

TBrowseFolderForm::~TBrowseFolderForm() { Destroying(); }

void TBrowseFolderForm::Prepare(const TBrowseInfo& info) {
  fInfo = info;
  fRoot = NormalRoot(info.pidlRoot);
  if (!DirectoryExists(fRoot)) fRoot = u"/";
  TParts& p = *fParts;
  p.title->SetCaption(info.lpszTitle);
  p.status->SetVisible((info.ulFlags & BIF_STATUSTEXT) != 0);
  const QString root = ToQString(fRoot);
  p.model->setRootPath(root);
  p.proxy->SetRoot(root);
  const QModelIndex top = p.proxy->mapFromSource(p.model->index(root));
  p.tree->View()->setRootIndex(top.parent());
  p.tree->View()->expand(top);
}

String TBrowseFolderForm::SelectedPath() const {
  const QModelIndex i = fParts->tree->View()->currentIndex();
  if (!i.isValid()) return String();
  return FromQString(fParts->model->filePath(fParts->proxy->mapToSource(i)));
}

bool TBrowseFolderForm::SelectPath(const String& path) {
  if (path.empty()) return false;
  String full = NormalRoot(path);
  if (!DirectoryExists(full)) return false;
  if (fRoot != u"/" && full != fRoot && !StartsStr(fRoot + u"/", full)) return false;
  TParts& p = *fParts;
  const QModelIndex source = p.model->index(ToQString(full));
  const QModelIndex proxied = p.proxy->mapFromSource(source);
  if (!proxied.isValid()) return false;
  QTreeView* view = p.tree->View();
  view->setCurrentIndex(proxied);
  view->scrollTo(proxied);
  return true;
}

String TBrowseFolderForm::StatusText() const { return fParts->status->Caption(); }

bool TBrowseFolderForm::OKEnabled() const { return fParts->ok->Enabled(); }

void TBrowseFolderForm::TreeSelectionChanged() {
  String path = SelectedPath();
  if (fInfo.lpfn) fInfo.lpfn(this, BFFM_SELCHANGED, reinterpret_cast<Int64>(&path), fInfo.lParam);
}

void TBrowseFolderForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case BFFM_ENABLEOK: fParts->ok->SetEnabled(message.LParam != 0); return;
    case BFFM_SETSELECTIONW:
      message.Result = message.LParam != 0 && SelectPath(*reinterpret_cast<const String*>(message.LParam)) ? 1 : 0;
      return;
    case BFFM_SETSTATUSTEXTW:
      fParts->status->SetCaption(message.LParam != 0 ? *reinterpret_cast<const String*>(message.LParam) : String());
      return;
    default: TForm::WndProc(message);
  }
}

// ---------------------------------------------------------------------------

bool SHBrowseForFolder(TBrowseInfo& info, String& chosen) {
  RequireApplication("The folder-browse dialog");
  auto form = std::make_unique<TBrowseFolderForm>(nullptr);
  form->Prepare(info);
  if (TForm* owner = info.hwndOwner) {
    form->SetPosition(poDesigned);
    form->SetLeft(owner->Left() + (owner->Width() - form->Width()) / 2);
    form->SetTop(owner->Top() + (owner->Height() - form->Height()) / 2);
  }
  if (info.lpfn) info.lpfn(form.get(), BFFM_INITIALIZED, 0, info.lParam);
  if (form->SelectedPath().empty()) form->SelectPath(form->RootPath());
  const TModalResult result = form->ShowModal();
  info.iImage = -1;
  if (result != mrOk) return false;
  const String path = form->SelectedPath();
  if (path.empty()) return false;
  chosen = path;
  if (info.pszDisplayName != nullptr) {
    const String name = ExtractFileName(path);
    *info.pszDisplayName = name.empty() ? path : name;
  }
  return true;
}

}  // namespace sk
