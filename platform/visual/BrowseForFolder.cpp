#include "platform/visual/BrowseForFolder.h"

#include <QtCore/QAbstractItemModel>
#include <QtWidgets/QApplication>
#include <QtWidgets/QStyle>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTreeView>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"
#include "platform/visual/StandardControls.h"
#include "platform/visual/VisualConsts.h"

namespace sk {

constinit const TResStringRec _SKBrowseForFolderCaption{60445, u"Browse For Folder", "_SKBrowseForFolderCaption"};

namespace {

std::string U8(const String& s) { return StringToSystemName(s); }

String DataHome() {
  const char* v = std::getenv("XDG_DATA_HOME");
  if (v != nullptr && v[0] == '/') return ExcludeTrailingPathDelimiter(SystemNameToString(std::string(v)));
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
    if (v.compare(0, 5, "$HOME") == 0) return ExcludeTrailingPathDelimiter(home + SystemNameToString(v.substr(5)));
    if (!v.empty() && v[0] == '/') return ExcludeTrailingPathDelimiter(SystemNameToString(v));
  }
  return home + u"/" + fallback;
}

// The folders of the file system from the root down, the root the one item
// at the top. A folder's subfolders are read when the tree first asks for
// them, straight from the folder's entries: the names of the other entries
// are passed over without asking the file system more of them, so a folder
// beside many files costs about as much as reading their names once. Hidden
// folders (a name starting with ".") are left out. Names are kept as the
// system gave them (bytes that are not UTF-8 included), so that a folder is
// opened by the name it was listed under; only what is shown is decoded.
class TFolderModel : public QAbstractItemModel {
 public:
  explicit TFolderModel(QObject* parent) : QAbstractItemModel(parent) {}

  void SetRoot(const String& root) {
    beginResetModel();
    fTop = std::make_unique<TNode>();
    auto node = std::make_unique<TNode>();
    node->path = root;
    node->name = root == u"/" ? root : ExtractFileName(root);
    node->parent = fTop.get();
    fTop->children.push_back(std::move(node));
    fTop->listed = true;
    endResetModel();
  }

  // The item of a folder at or under the root; invalid when there is none.
  QModelIndex IndexOf(const String& path) {
    if (!fTop || fTop->children.empty()) return QModelIndex();
    TNode* node = fTop->children.front().get();
    const String& root = node->path;
    if (path != root && !StartsStr(root == u"/" ? root : root + u"/", path)) return QModelIndex();
    size_t at = root == u"/" ? 1 : root.size() + 1;
    while (at < path.size() + 1 && path != node->path) {
      size_t next = path.find(u'/', at);
      if (next == String::npos) next = path.size();
      const String name = path.substr(at, next - at);
      at = next + 1;
      if (name.empty()) continue;
      List(node);
      auto found = std::find_if(node->children.begin(), node->children.end(),
                                [&](const std::unique_ptr<TNode>& c) { return c->name == name; });
      if (found == node->children.end()) return QModelIndex();
      node = found->get();
    }
    return IndexOfNode(node);
  }

  String PathOf(const QModelIndex& index) const { return index.isValid() ? NodeOf(index)->path : String(); }

  QModelIndex index(int row, int column, const QModelIndex& parent) const override {
    const TNode* p = parent.isValid() ? NodeOf(parent) : fTop.get();
    if (p == nullptr || column != 0 || row < 0 || static_cast<size_t>(row) >= p->children.size()) return QModelIndex();
    return createIndex(row, column, p->children[static_cast<size_t>(row)].get());
  }
  QModelIndex parent(const QModelIndex& child) const override {
    if (!child.isValid()) return QModelIndex();
    return IndexOfNode(NodeOf(child)->parent);
  }
  int rowCount(const QModelIndex& parent) const override {
    const TNode* p = parent.isValid() ? NodeOf(parent) : fTop.get();
    return p != nullptr ? static_cast<int>(p->children.size()) : 0;
  }
  int columnCount(const QModelIndex&) const override { return 1; }
  bool hasChildren(const QModelIndex& parent) const override {
    const TNode* p = parent.isValid() ? NodeOf(parent) : fTop.get();
    return p != nullptr && (!p->listed || !p->children.empty());
  }
  bool canFetchMore(const QModelIndex& parent) const override {
    return parent.isValid() && !NodeOf(parent)->listed;
  }
  void fetchMore(const QModelIndex& parent) override {
    if (parent.isValid()) List(NodeOf(parent));
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return QVariant();
    if (role == Qt::DisplayRole) return ToQString(SystemNameForDisplay(NodeOf(index)->name));
    if (role == Qt::DecorationRole && QApplication::style() != nullptr)
      return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    return QVariant();
  }

 private:
  struct TNode {
    String name, path;
    TNode* parent = nullptr;
    std::vector<std::unique_ptr<TNode>> children;
    bool listed = false;
  };

  static TNode* NodeOf(const QModelIndex& index) { return static_cast<TNode*>(index.internalPointer()); }

  QModelIndex IndexOfNode(const TNode* node) const {
    if (node == nullptr || node == fTop.get() || node->parent == nullptr) return QModelIndex();
    const auto& siblings = node->parent->children;
    for (size_t i = 0; i < siblings.size(); ++i)
      if (siblings[i].get() == node) return createIndex(static_cast<int>(i), 0, const_cast<TNode*>(node));
    return QModelIndex();
  }

  // Reads the subfolders of node once, sorted by name without regard to case.
  void List(TNode* node) {
    if (node->listed) return;
    node->listed = true;
    std::vector<String> names;
    const std::string folder = U8(node->path);
    if (DIR* dir = ::opendir(folder.c_str())) {
      while (const dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        bool isFolder = e->d_type == DT_DIR;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
          struct stat st {};
          const std::string full = (folder == "/" ? folder : folder + "/") + e->d_name;
          isFolder = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (isFolder) names.push_back(SystemNameToString(std::string(e->d_name)));
      }
      ::closedir(dir);
    }
    if (names.empty()) return;
    std::vector<std::pair<QString, size_t>> keys;
    for (size_t i = 0; i < names.size(); ++i) keys.emplace_back(ToQString(SystemNameForDisplay(names[i])), i);
    // Names shown alike (a Latin-1 name beside its UTF-8 twin) keep the order
    // of their bytes.
    std::sort(keys.begin(), keys.end(), [&names](const auto& a, const auto& b) {
      const int c = a.first.compare(b.first, Qt::CaseInsensitive);
      if (c != 0) return c < 0;
      if (a.first != b.first) return a.first < b.first;
      return names[a.second] < names[b.second];
    });
    const QModelIndex at = IndexOfNode(node);
    beginInsertRows(at, 0, static_cast<int>(names.size()) - 1);
    for (const auto& k : keys) {
      auto child = std::make_unique<TNode>();
      child->name = names[k.second];
      child->path = (node->path == u"/" ? node->path : node->path + u"/") + child->name;
      child->parent = node;
      node->children.push_back(std::move(child));
    }
    endInsertRows();
  }

  std::unique_ptr<TNode> fTop;
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
  TFolderModel* model = nullptr;
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
  p.model = new TFolderModel(view);
  view->setModel(p.model);
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
  p.model->SetRoot(fRoot);
  p.tree->View()->expand(p.model->index(0, 0, QModelIndex()));
}

String TBrowseFolderForm::SelectedPath() const {
  return fParts->model->PathOf(fParts->tree->View()->currentIndex());
}

bool TBrowseFolderForm::SelectPath(const String& path) {
  if (path.empty()) return false;
  String full = NormalRoot(path);
  if (!DirectoryExists(full)) return false;
  if (fRoot != u"/" && full != fRoot && !StartsStr(fRoot + u"/", full)) return false;
  const QModelIndex at = fParts->model->IndexOf(full);
  if (!at.isValid()) return false;
  QTreeView* view = fParts->tree->View();
  view->setCurrentIndex(at);
  view->scrollTo(at);
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
      // A path with bytes that are not UTF-8 is shown with their letters.
      fParts->status->SetCaption(
          message.LParam != 0 ? SystemNameForDisplay(*reinterpret_cast<const String*>(message.LParam)) : String());
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
