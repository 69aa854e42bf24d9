#include "ui/ShellFolderDialogU.h"

#include "core/UnitCounter.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/InputBoxes.h"

namespace sk {

namespace {

// The built-in captions: locale code (or "Default") = caption.
constexpr const Char* kLabelCaptions[] = {
    u"Default=Current folder:", u"0009=Current folder:", u"0409=Current folder:", u"0809=Current folder:",
    u"0C09=Current folder:",    u"1009=Current folder:", u"1409=Current folder:", u"1809=Current folder:",
    u"1C09=Current folder:",    u"2009=Current folder:", u"2809=Current folder:", u"2C09=Current folder:",
    u"0406=Valgt mappe:",       u"0407=Ausgewählter Ordner:", u"0807=Ausgewählter Ordner:",
    u"0C07=Ausgewählter Ordner:", u"1007=Ausgewählter Ordner:", u"1407=Ausgewählter Ordner:",
    u"0410=Cartella selezionata:", u"0810=Cartella selezionata:", u"0413=Huidige map", u"0416=Pasta Atual:",
};
constexpr const Char* kNewFolderCaptions[] = {
    u"Default=New folder", u"0009=New folder", u"0409=New folder", u"0809=New folder", u"0C09=New folder",
    u"1009=New folder",    u"1409=New folder", u"1809=New folder", u"1C09=New folder", u"2009=New folder",
    u"2809=New folder",    u"2C09=New folder", u"0406=Ny mappe",   u"0407=Neuer Ordner", u"0807=Neuer Ordner",
    u"0C07=Neuer Ordner",  u"1007=Neuer Ordner", u"1407=Neuer Ordner", u"0410=Nuova Cartella",
    u"0810=Nuova Cartella", u"0413=Nieuwe map", u"0416=Nova Pasta",
};

constexpr Int32 kNewFolderId = 255;

bool IsDelimiter(Char c) { return c == u'/' || c == u'\\'; }

size_t FindDelimiter(const String& s, size_t from = 0) {
  for (size_t i = from; i < s.size(); ++i)
    if (IsDelimiter(s[i])) return i;
  return String::npos;
}

String Head(const String& s, Int32 n) { return s.substr(0, static_cast<size_t>(n < 0 ? 0 : n)); }

}  // namespace

Cardinal BrowseFlagsOf(TBrowseInfoFlagSet flags) {
  Cardinal r = 0;
  if (flags & BrowseFlag(OnlyComputers)) r |= BIF_BROWSEFORCOMPUTER;
  if (flags & BrowseFlag(OnlyPrinters)) r |= BIF_BROWSEFORPRINTER;
  if (flags & BrowseFlag(OnlyDomains)) r |= BIF_DONTGOBELOWDOMAIN;
  if (flags & BrowseFlag(OnlyAncestors)) r |= BIF_RETURNFSANCESTORS;
  if (flags & BrowseFlag(OnlyFileSystem)) r |= BIF_RETURNONLYFSDIRS;
  if (flags & BrowseFlag(ShowPath)) r |= BIF_STATUSTEXT;
  return r;
}

Int32 SpecialFolderNumber(TSHFolders folder) {
  switch (folder) {
    case foDesktop: return CSIDL_DESKTOP;
    case foDesktopExpanded: return -1;
    case foPrograms: return CSIDL_PROGRAMS;
    case foControlPanel: return CSIDL_CONTROLS;
    case foPrinters: return CSIDL_PRINTERS;
    case foPersonal: return CSIDL_PERSONAL;
    case foFavorites: return CSIDL_FAVORITES;
    case foStartup: return CSIDL_STARTUP;
    case foRecent: return CSIDL_RECENT;
    case foSendto: return CSIDL_SENDTO;
    case foRecycleBin: return CSIDL_BITBUCKET;
    case foStartMenu: return CSIDL_STARTMENU;
    case foDesktopFolder: return CSIDL_DESKTOPDIRECTORY;
    case foMyComputer: return CSIDL_DRIVES;
    case foNetwork: return CSIDL_NETWORK;
    case foNetworkNeighborhood: return CSIDL_NETHOOD;
    case foFonts: return CSIDL_FONTS;
    case foTemplates: return CSIDL_TEMPLATES;
  }
  return -1;
}

String RootFolderPath(TSHFolders folder) {
  const Int32 csidl = SpecialFolderNumber(folder);
  if (csidl < 0) return String();
  const String path = SHGetSpecialFolderPath(csidl);
  return DirectoryExists(path) ? path : String();
}

// ---------------------------------------------------------------------------

TShellFolderDialog::TShellFolderDialog(TComponent* owner)
    : TComponent(owner), FNewFolderCaptions(std::make_unique<TStringList>()),
      FLabelCaptions(std::make_unique<TStringList>()) {
  const String code = Format(u"%.4x", {static_cast<Int64>(GetUserDefaultLCID())});
  FLocale = code.substr(code.size() - 4);
  FLabelCaptions->OnChange = [this](TObject* sender) { LabelCaptionsChange(sender); };
  FNewFolderCaptions->OnChange = [this](TObject* sender) { NewFolderCaptionsChange(sender); };
  {
    TUpdateScope update(*FLabelCaptions);
    for (const Char* line : kLabelCaptions) FLabelCaptions->Add(line);
  }
  {
    TUpdateScope update(*FNewFolderCaptions);
    for (const Char* line : kNewFolderCaptions) FNewFolderCaptions->Add(line);
  }
}

TShellFolderDialog::~TShellFolderDialog() {
  Destroying();
  FLabelCaptions->OnChange = nullptr;
  FNewFolderCaptions->OnChange = nullptr;
  if (FNewFolderHandle != nullptr) RemoveFreeNotification(FNewFolderHandle);
}

void TShellFolderDialog::Loaded() {
  TComponent::Loaded();
  SetNewFolderCaption(LocaleText(*FNewFolderCaptions));
  FLabelCaption = LocaleText(*FLabelCaptions);
}

String TShellFolderDialog::LocaleText(const TStrings& list) const {
  if (list.Count() == 0) return String();
  Int32 i = list.IndexOfName(FLocale);
  if (i < 0) i = list.IndexOfName(u"Default");
  if (i < 0) i = 0;
  return list.ValueFromIndex(i);
}

String TShellFolderDialog::MakeDisplayPath(const String& path, Int32 maximum) {
  const Int32 length = static_cast<Int32>(path.size());
  if (length <= maximum || maximum <= 5 || FindDelimiter(path) == String::npos) return Head(path, maximum);
  Int32 delimiters = 0;
  for (size_t i = 2; i < path.size(); ++i)
    if (IsDelimiter(path[i])) ++delimiters;
  if (delimiters < 2) return Head(path, maximum);
  String result;
  String rest = path;
  // A network path keeps its two leading delimiters before its first part.
  if (path.size() >= 2 && IsDelimiter(path[0]) && IsDelimiter(path[1])) {
    result = path.substr(0, 2);
    rest = path.substr(2);
  }
  const size_t first = FindDelimiter(rest);
  if (first == String::npos) return Head(path, maximum);
  const Char delimiter = rest[first];
  result += rest.substr(0, first + 1) + u"...";
  rest = rest.substr(first + 1);
  while (static_cast<Int32>(result.size() + 1 + rest.size()) > maximum) {
    const size_t next = FindDelimiter(rest);
    if (next == String::npos) break;
    rest = rest.substr(next + 1);
  }
  const String joined = result + delimiter + rest;
  if (static_cast<Int32>(joined.size()) > maximum) return Head(joined, maximum - 3) + u"...";
  return joined;
}

void TShellFolderDialog::SetSelectionPIDL(TForm* wnd, const String& itemList) {
  SendMessage(wnd, BFFM_SETSELECTIONW, 1, reinterpret_cast<Int64>(&itemList));
}

void TShellFolderDialog::SetSelectionPath(TForm* wnd, const String& path) {
  // The item list of a path: the path itself, when the folder exists.
  if (DirectoryExists(path)) SetSelectionPIDL(wnd, path);
}

void TShellFolderDialog::EnableOK(TForm* wnd, bool on) { SendMessage(wnd, BFFM_ENABLEOK, 0, on ? 1 : 0); }

void TShellFolderDialog::SetStatusText(TForm* wnd, const String& text) {
  SendMessage(wnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<Int64>(&text));
}

void TShellFolderDialog::SetSelectedFolder(const String& path) {
  if (FDialogHandle != nullptr) SetSelectionPath(FDialogHandle, path);
}

void TShellFolderDialog::SetNewFolderVisible(bool v) {
  FNewFolderVisible = v;
  if (FNewFolderHandle != nullptr) FNewFolderHandle->SetVisible(v);
}

void TShellFolderDialog::SetNewFolderEnabled(bool e) {
  FNewFolderEnabled = e;
  UpdateNewFolderEnabled();
}

void TShellFolderDialog::UpdateNewFolderEnabled() {
  if (FNewFolderHandle != nullptr) FNewFolderHandle->SetEnabled(FNewFolderEnabled && FValidPath);
}

void TShellFolderDialog::SetNewFolderCaption(const String& c) {
  FNewFolderCaption = c;
  if (FNewFolderHandle != nullptr) FNewFolderHandle->SetCaption(c);
}

void TShellFolderDialog::SetNewFolderWidth(Int32 w) { FNewFolderWidth = w > 0 ? w : 75; }

void TShellFolderDialog::SetLabelCaptions(const TStrings& list) {
  if (list.GetTextStr() != FLabelCaptions->GetTextStr()) FLabelCaptions->Assign(list);
}

void TShellFolderDialog::SetNewFolderCaptions(const TStrings& list) {
  if (list.GetTextStr() != FNewFolderCaptions->GetTextStr()) FNewFolderCaptions->Assign(list);
}

void TShellFolderDialog::LabelCaptionsChange(TObject* Sender) {
  (void)Sender;
  FLabelCaption = LocaleText(*FLabelCaptions);
}

void TShellFolderDialog::NewFolderCaptionsChange(TObject* Sender) {
  (void)Sender;
  SetNewFolderCaption(LocaleText(*FNewFolderCaptions));
}

void TShellFolderDialog::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FNewFolderHandle) FNewFolderHandle = nullptr;
}

// ---------------------------------------------------------------------------

bool TShellFolderDialog::Execute() {
  FSelectedFolder = FFolder;
  TForm* owner = FParentHandle;
  if (owner == nullptr)
    if (auto* control = dynamic_cast<TWinControl*>(Owner())) owner = GetParentForm(control);
  if (owner == nullptr) owner = Application().MainForm();

  TBrowseInfo info;
  info.hwndOwner = owner;
  info.pidlRoot = RootFolderPath(FRootFolder);
  info.pszDisplayName = &FDisplayName;
  info.lpszTitle = FLabelCaption;
  info.ulFlags = BrowseFlagsOf(FFlags);
  info.lpfn = [this](TForm* wnd, Cardinal msg, Int64 lParam, Int64) { return BrowseCallback(wnd, msg, lParam); };
  info.lParam = reinterpret_cast<Int64>(this);

  String chosen;
  bool ok;
  do {
    FRestart = false;
    FFolder = FSelectedFolder;
    ok = SHBrowseForFolder(info, chosen);
    FDialogHandle = nullptr;
  } while (FRestart);
  if (ok) {
    FFolder = chosen;
    FSelectedFolder = FFolder;
    FImageIndex = info.iImage;
  }
  return ok;
}

Int32 TShellFolderDialog::BrowseCallback(TForm* wnd, Cardinal msg, Int64 lParam) {
  switch (msg) {
    case BFFM_INITIALIZED:
      FDialogHandle = wnd;
      wnd->SetPosition(poScreenCenter);
      wnd->PlaceByPosition();
      wnd->SetTag(reinterpret_cast<NativeInt>(this));
      CreateNewFolderButton(wnd);
      if (DirectoryExists(FFolder)) SetSelectionPath(wnd, FFolder);
      if (OnInitialized) OnInitialized(this, wnd);
      break;
    case BFFM_SELCHANGED: {
      const String path = lParam != 0 ? *reinterpret_cast<const String*>(lParam) : String();
      FSelectedFolder = path;
      if (FFlags & BrowseFlag(ShowPath)) SetStatusText(wnd, MakeDisplayPath(path, 50));
      FValidPath = !path.empty();
      EnableOK(wnd, (FFlags & BrowseFlag(OnlyFileSystem)) ? FValidPath : true);
      UpdateNewFolderEnabled();
      if (OnSelectionChanged) OnSelectionChanged(this, wnd, path, path);
      break;
    }
    default: break;
  }
  return 0;
}

void TShellFolderDialog::CreateNewFolderButton(TForm* dialog) {
  auto* button = new TButton(dialog);
  button->SetName(u"NewFolder");
  button->SetTag(kNewFolderId);
  button->SetParent(dialog);
  button->SetCaption(FNewFolderCaption);
  const Int32 dpi = Screen().PixelsPerInch();
  const Int32 h = dialog->ClientHeight();
  Int32 left, top, width, height;
  switch (dpi) {
    case 72:
    case 96: left = 12, top = h - 36, width = FNewFolderWidth, height = 23; break;
    case 120: left = 15, top = h - 45, width = FNewFolderWidth * 5 / 4, height = 28; break;
    case 144: left = 17, top = h - 56, width = FNewFolderWidth * 3 / 2, height = 35; break;
    case 192: left = 20, top = h - 66, width = FNewFolderWidth * dpi / 96, height = 41; break;
    default: {
      const Int32 captionHeight = dpi * 23 / 96;
      left = dpi * 4 * 3 / 96, top = h - captionHeight - 17, width = FNewFolderWidth * dpi / 96, height = dpi * 23 / 96;
    }
  }
  button->SetBounds(left, top, width, height);
  button->Font().Assign(TFont());
  button->SetVisible(FNewFolderVisible);
  button->SetEnabled(FValidPath && FNewFolderEnabled);
  button->OnClick = [this](TObject* sender) { NewFolderClick(sender); };
  FNewFolderHandle = button;
  FreeNotification(button);
}

void TShellFolderDialog::NewFolderClick(TObject* Sender) {
  (void)Sender;
  const String name = InputBox(FNewFolderCaption, String(), String());
  if (name.empty()) return;
  FRestart = true;
  const String previous = FSelectedFolder;
  String folder = FSelectedFolder;
  if (!(StartsStr(u"/", name) || EndsStr(u"/", folder))) folder += PathDelim;
  folder += name;
  // A folder that cannot be made is not offered on reopening: the one that
  // was selected is.
  FSelectedFolder = ForceDirectories(folder) && DirectoryExists(folder) ? folder : previous;
  if (FDialogHandle != nullptr) FDialogHandle->Close();
}

SK_COUNTER_ONLY_UNIT(ShellFolderDialogU)

}  // namespace sk
