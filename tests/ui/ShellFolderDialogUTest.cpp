// The folder chooser: display paths, locale captions, the dialog answered
// through the modal hook, and New folder made through the input box.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "platform/visual/Edits.h"
#include "ui/ShellFolderDialogU.h"

namespace sk {
namespace {

TEST(ShellFolderDialogU, MakeDisplayPathKeepsTheFirstPartAndTheLastPartsThatFit) {
  const struct {
    String path;
    Int32 maximum;
    String shown;
  } cases[] = {
      {u"D:\\Users\\me\\Documents\\Corpora\\English\\texts", 30, u"D:\\...\\Corpora\\English\\texts"},
      {u"D:\\Users\\me\\Documents\\Corpora\\English\\texts", 10, u"D:\\...\\..."},
      {u"D:\\Users\\me\\Documents\\Corpora\\English\\texts", 50, u"D:\\Users\\me\\Documents\\Corpora\\English\\texts"},
      {u"\\\\server\\share\\a\\b\\c", 16, u"\\\\server\\...\\b\\c"},
      {u"\\\\server\\share\\a\\b\\c", 15, u"\\\\server\\...\\c"},
      {u"\\\\server\\share\\a\\b\\c", 20, u"\\\\server\\share\\a\\b\\c"},
      // Maximum 5 or less, no delimiter, or too few after the drive: the start.
      {u"D:\\a\\b\\c\\d", 5, u"D:\\a\\"},
      {u"D:\\a\\b\\c\\d", 0, u""},
      {u"D:\\a\\b\\c\\d", -3, u""},
      {u"abcdefghijkl", 8, u"abcdefgh"},
      {u"D:\\averyveryverylongname", 10, u"D:\\averyve"},
      // Linux paths: one leading "/" is a first part of its own.
      {u"/home/me/Documents/Corpora/English/texts", 30, u"/.../Corpora/English/texts"},
      {u"/home/me/Documents/Corpora/English/texts", 12, u"/.../texts"},
      {u"/home/me/Documents/Corpora/English/averylongname", 12, u"/.../aver..."},
      {u"//server/share/a/b/c", 16, u"//server/.../b/c"},
      {u"/a/verylongfoldername", 10, u"/a/verylon"},
      // A single leading "\" is no network path.
      {u"\\a\\b\\c\\d\\e\\f\\g", 10, u"\\...\\e\\f\\g"},
      {u"", 50, u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TShellFolderDialog::MakeDisplayPath(c.path, c.maximum), c.shown)
        << StringToUtf8(c.path) << " " << c.maximum;
  const String fifty(50, u'x');
  EXPECT_EQ(TShellFolderDialog::MakeDisplayPath(fifty, 50), fifty);
}

// Puts the process's locale back when it ends.
class ScopedLocale {
 public:
  explicit ScopedLocale(const std::string& name) : fSaved(GetUserDefaultLocaleName()) { SetUserDefaultLocale(name); }
  ~ScopedLocale() { SetUserDefaultLocale(fSaved); }

 private:
  std::string fSaved;
};

TEST(ShellFolderDialogU, CaptionsFollowTheUsersLocale) {
  {
    ScopedLocale german("de_DE");
    TShellFolderDialog dialog(nullptr);
    EXPECT_EQ(dialog.Locale(), u"0407");
    EXPECT_EQ(dialog.LocaleText(dialog.NewFolderCaptions()), u"Neuer Ordner");
    EXPECT_EQ(dialog.NewFolderCaption(), u"Neuer Ordner");
    EXPECT_EQ(dialog.LabelCaption(), u"Ausgewählter Ordner:");
  }
  {
    ScopedLocale english("en_GB");
    TShellFolderDialog dialog(nullptr);
    EXPECT_EQ(dialog.Locale(), u"0809");
    EXPECT_EQ(dialog.NewFolderCaption(), u"New folder");
    EXPECT_EQ(dialog.LabelCaption(), u"Current folder:");
  }
  ScopedLocale french("fr_FR");
  TShellFolderDialog dialog(nullptr);
  EXPECT_EQ(dialog.Locale(), u"040C");
  EXPECT_EQ(dialog.NewFolderCaption(), u"New folder");  // the Default line
  TStringList list;
  list.Add(u"0410=Nuova Cartella");
  list.Add(u"0413=Nieuwe map");
  EXPECT_EQ(dialog.LocaleText(list), u"Nuova Cartella");  // no Default: the first line
  dialog.SetLocale(u"0413");
  EXPECT_EQ(dialog.LocaleText(list), u"Nieuwe map");
  EXPECT_EQ(dialog.LocaleText(TStringList()), u"");
  // Changing a caption list applies it at once; Loaded applies both again.
  dialog.SetNewFolderCaptions(list);
  EXPECT_EQ(dialog.NewFolderCaption(), u"Nieuwe map");
  dialog.SetNewFolderCaption(u"changed");
  dialog.Loaded();
  EXPECT_EQ(dialog.NewFolderCaption(), u"Nieuwe map");
}

TEST(ShellFolderDialogU, DefaultsWidthsAndFlags) {
  TShellFolderDialog dialog(nullptr);
  EXPECT_EQ(dialog.Flags(), BrowseFlag(ShowPath));
  EXPECT_EQ(dialog.RootFolder(), foDesktopExpanded);
  EXPECT_TRUE(dialog.NewFolderVisible());
  EXPECT_TRUE(dialog.NewFolderEnabled());
  EXPECT_EQ(dialog.Version(), u"1.60.00.00");
  dialog.Dummy(u"2.0");
  EXPECT_EQ(dialog.Version(), u"1.60.00.00");
  const struct {
    Int32 in, out;
  } widths[] = {{0, 75}, {-5, 75}, {1, 1}, {90, 90}};
  for (const auto& w : widths) {
    dialog.SetNewFolderWidth(w.in);
    EXPECT_EQ(dialog.NewFolderWidth(), w.out) << w.in;
  }
  EXPECT_EQ(BrowseFlagsOf(0), 0u);
  EXPECT_EQ(BrowseFlagsOf(BrowseFlag(OnlyComputers)), 0x1000u);
  EXPECT_EQ(BrowseFlagsOf(BrowseFlag(OnlyPrinters)), 0x2000u);
  EXPECT_EQ(BrowseFlagsOf(BrowseFlag(OnlyDomains)), 0x2u);
  EXPECT_EQ(BrowseFlagsOf(BrowseFlag(OnlyAncestors)), 0x8u);
  EXPECT_EQ(BrowseFlagsOf(BrowseFlag(OnlyFileSystem) | BrowseFlag(ShowPath)), 0x5u);
  EXPECT_EQ(SpecialFolderNumber(foTemplates), 21);
  EXPECT_EQ(SpecialFolderNumber(foDesktopExpanded), -1);
  EXPECT_EQ(RootFolderPath(foDesktopExpanded), u"");
  EXPECT_EQ(RootFolderPath(foMyComputer), u"");
  EXPECT_EQ(RootFolderPath(foPrinters), u"");
}

class FolderChooser : public ScratchFolderTest {
 protected:
  FolderChooser() : ScratchFolderTest("sk_chooser") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    TestApplication();
    std::filesystem::create_directories(Path("sub/inner"));
    WriteRaw("blocker", "a file where a folder is asked for");
  }
};

TEST_F(FolderChooser, TheDialogStartsOnTheFolderShowsItsPathAndReturnsTheChoice) {
  TShellFolderDialog chooser(nullptr);
  chooser.SetFolder(File("sub"));
  int initialised = 0;
  std::vector<String> selections;
  chooser.OnInitialized = [&](TObject* sender, TForm* wnd) {
    EXPECT_EQ(sender, &chooser);
    EXPECT_EQ(wnd, chooser.DialogHandle());
    ++initialised;
  };
  chooser.OnSelectionChanged = [&](TObject*, TForm*, const String& items, const String& folder) {
    EXPECT_EQ(items, folder);
    selections.push_back(folder);
  };
  ScopedModalHook hook([&](TForm& form) {
    auto& dialog = dynamic_cast<TBrowseFolderForm&>(form);
    EXPECT_EQ(dialog.RootPath(), u"/");
    EXPECT_EQ(dialog.SelectedPath(), File("sub"));
    EXPECT_EQ(dialog.StatusText(), TShellFolderDialog::MakeDisplayPath(File("sub"), 50));
    EXPECT_EQ(dynamic_cast<TControl*>(FindNamedComponent(form, u"Title"))->Caption(), chooser.LabelCaption());
    TButton* newFolder = chooser.NewFolderButton();
    ASSERT_NE(newFolder, nullptr);
    EXPECT_EQ(newFolder->Caption(), chooser.NewFolderCaption());
    EXPECT_EQ(newFolder->Tag(), 255);
    EXPECT_EQ(newFolder->Left(), 12);
    EXPECT_EQ(newFolder->Top(), form.ClientHeight() - 36);
    EXPECT_EQ(newFolder->Width(), 75);
    EXPECT_TRUE(newFolder->Enabled());
    chooser.SetNewFolderEnabled(false);
    EXPECT_FALSE(newFolder->Enabled());
    chooser.SetNewFolderVisible(false);
    EXPECT_FALSE(newFolder->Visible());
    chooser.SetSelectedFolder(File("sub/inner"));
    EXPECT_EQ(chooser.SelectedFolder(), File("sub/inner"));
    PressButton(form, u"OK");
  });
  ASSERT_TRUE(chooser.Execute());
  EXPECT_EQ(initialised, 1);
  EXPECT_EQ(chooser.Folder(), File("sub/inner"));
  EXPECT_EQ(chooser.DisplayName(), u"inner");
  EXPECT_EQ(chooser.ImageIndex(), -1);
  EXPECT_EQ(selections, (std::vector<String>{File("sub"), File("sub/inner")}));
  EXPECT_EQ(chooser.DialogHandle(), nullptr);
  EXPECT_EQ(chooser.NewFolderButton(), nullptr);
}

TEST_F(FolderChooser, CancelChoosesNothingAndLeavesTheFolder) {
  TShellFolderDialog chooser(nullptr);
  chooser.SetFolder(File("sub"));
  ScopedModalHook hook([](TForm& form) { PressButton(form, u"Cancel"); });
  EXPECT_FALSE(chooser.Execute());
  EXPECT_EQ(chooser.Folder(), File("sub"));
}

// Answers the chooser's forms in turn: the browse dialog twice around the
// input box that New folder asks.
class NewFolderHook {
 public:
  NewFolderHook(String name, std::function<void(TBrowseFolderForm&)> reopened)
      : fName(std::move(name)), fReopened(std::move(reopened)), fScope([this](TForm& form) { Answer(form); }) {}
  int browsed = 0, asked = 0;

 private:
  void Answer(TForm& form) {
    if (auto* dialog = dynamic_cast<TBrowseFolderForm*>(&form)) {
      if (++browsed == 1) {
        ASSERT_TRUE(PressButton(form, u"NewFolder"));
        EXPECT_EQ(form.ModalResult(), mrCancel);  // closed to be opened again
      } else {
        fReopened(*dialog);
        PressButton(form, u"OK");
      }
      return;
    }
    ++asked;
    EXPECT_EQ(form.Name(), u"InputBoxForm");
    EXPECT_EQ(dynamic_cast<TControl*>(FindNamedComponent(form, u"Prompt"))->Caption(), u"");
    dynamic_cast<TEdit*>(FindNamedComponent(form, u"Value"))->SetText(fName);
    PressButton(form, u"OK");
  }
  String fName;
  std::function<void(TBrowseFolderForm&)> fReopened;
  ScopedModalHook fScope;
};

TEST_F(FolderChooser, NewFolderIsMadeThroughTheInputBoxAndSelectedOnReopening) {
  TShellFolderDialog chooser(nullptr);
  chooser.SetFolder(File("sub"));
  NewFolderHook hook(u"made", [&](TBrowseFolderForm& dialog) {
    EXPECT_EQ(dialog.Caption(), u"Browse For Folder");
    EXPECT_EQ(dialog.SelectedPath(), File("sub/made"));
  });
  ASSERT_TRUE(chooser.Execute());
  EXPECT_EQ(hook.browsed, 2);
  EXPECT_EQ(hook.asked, 1);
  EXPECT_TRUE(std::filesystem::is_directory(Path("sub/made")));
  EXPECT_EQ(chooser.Folder(), File("sub/made"));
}

TEST_F(FolderChooser, ANameStartingWithTheDelimiterIsAppendedAsItIs) {
  TShellFolderDialog chooser(nullptr);
  chooser.SetFolder(File("sub"));
  NewFolderHook hook(u"/lead/deeper", [&](TBrowseFolderForm& dialog) {
    EXPECT_EQ(dialog.SelectedPath(), File("sub/lead/deeper"));
  });
  ASSERT_TRUE(chooser.Execute());
  EXPECT_EQ(chooser.Folder(), File("sub/lead/deeper"));
}

TEST_F(FolderChooser, AFolderThatCannotBeMadeReopensOnTheFolderThatWasSelected) {
  TShellFolderDialog chooser(nullptr);
  chooser.SetFolder(Utf8ToString(fDir));
  NewFolderHook hook(u"blocker/new", [&](TBrowseFolderForm& dialog) {
    EXPECT_EQ(dialog.SelectedPath(), Utf8ToString(fDir));
  });
  ASSERT_TRUE(chooser.Execute());
  EXPECT_EQ(hook.browsed, 2);
  EXPECT_EQ(chooser.Folder(), Utf8ToString(fDir));
  EXPECT_FALSE(std::filesystem::exists(Path("blocker/new")));
}

TEST_F(FolderChooser, AnEmptyNameKeepsTheDialogOpen) {
  TShellFolderDialog chooser(nullptr);
  chooser.SetFolder(File("sub"));
  int browsed = 0;
  ScopedModalHook hook([&](TForm& form) {
    if (dynamic_cast<TBrowseFolderForm*>(&form) != nullptr) {
      ++browsed;
      PressButton(form, u"NewFolder");
      EXPECT_EQ(form.ModalResult(), mrNone);
      PressButton(form, u"Cancel");
    } else {
      PressButton(form, u"OK");  // the input box with nothing typed
    }
  });
  EXPECT_FALSE(chooser.Execute());
  EXPECT_EQ(browsed, 1);
}

TEST_F(FolderChooser, RootsComeFromTheUserFolders) {
  std::filesystem::create_directories(Path("docs/inner"));
  WriteRaw("user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + Path("docs") + "\"\n");
  ScopedEnvVar config("XDG_CONFIG_HOME", fDir.c_str());
  EXPECT_EQ(RootFolderPath(foPersonal), File("docs"));
  TShellFolderDialog chooser(nullptr);
  chooser.SetRootFolder(foPersonal);
  ScopedModalHook hook([&](TForm& form) {
    auto& dialog = dynamic_cast<TBrowseFolderForm&>(form);
    EXPECT_EQ(dialog.RootPath(), File("docs"));
    EXPECT_EQ(dialog.SelectedPath(), File("docs"));
    EXPECT_FALSE(dialog.SelectPath(File("sub")));
    EXPECT_TRUE(dialog.SelectPath(File("docs/inner")));
    PressButton(form, u"OK");
  });
  ASSERT_TRUE(chooser.Execute());
  EXPECT_EQ(chooser.Folder(), File("docs/inner"));
}

}  // namespace
}  // namespace sk
