// The folder-browse dialog: its callback, the messages that steer it, its
// root, and the special folders from the XDG user folders.
#include <gtest/gtest.h>

#include <QtWidgets/QTreeView>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "platform/visual/BrowseForFolder.h"

namespace sk {
namespace {

class BrowseForFolder : public ScratchFolderTest {
 protected:
  BrowseForFolder() : ScratchFolderTest("sk_browse") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    TestApplication();
    std::filesystem::create_directories(Path("root/one/deep"));
    std::filesystem::create_directories(Path("root/two"));
    std::filesystem::create_directories(Path("beside"));
  }
};

TEST_F(BrowseForFolder, CallbackHearsTheStartAndEverySelectionAndSteersTheDialog) {
  std::vector<std::string> heard;
  TBrowseInfo info;
  String display;
  info.pidlRoot = File("root");
  info.lpszTitle = u"Pick a folder";
  info.ulFlags = BIF_STATUSTEXT;
  info.pszDisplayName = &display;
  info.lParam = 42;
  info.lpfn = [&](TForm* wnd, Cardinal msg, Int64 lParam, Int64 data) -> Int32 {
    EXPECT_EQ(data, 42);
    if (msg == BFFM_INITIALIZED) {
      heard.push_back("init");
      const String start = File("root/one/deep");
      EXPECT_EQ(SendMessage(wnd, BFFM_SETSELECTIONW, 1, reinterpret_cast<Int64>(&start)), 1);
      // Folders outside the root, or missing, are not selected.
      const String outside = File("beside"), missing = File("root/none");
      EXPECT_EQ(SendMessage(wnd, BFFM_SETSELECTIONW, 1, reinterpret_cast<Int64>(&outside)), 0);
      EXPECT_EQ(SendMessage(wnd, BFFM_SETSELECTIONW, 1, reinterpret_cast<Int64>(&missing)), 0);
    } else if (msg == BFFM_SELCHANGED) {
      const String path = *reinterpret_cast<const String*>(lParam);
      heard.push_back("sel " + StringToUtf8(path.substr(path.rfind(u'/') + 1)));
      const String status = u"at " + path.substr(path.rfind(u'/') + 1);
      SendMessage(wnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<Int64>(&status));
      SendMessage(wnd, BFFM_ENABLEOK, 0, path.find(u"two") == String::npos ? 1 : 0);
    }
    return 0;
  };
  ScopedModalHook hook([&](TForm& form) {
    auto* dialog = dynamic_cast<TBrowseFolderForm*>(&form);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Caption(), u"Browse For Folder");
    EXPECT_EQ(dynamic_cast<TControl*>(FindNamedComponent(form, u"Title"))->Caption(), u"Pick a folder");
    EXPECT_EQ(dialog->SelectedPath(), File("root/one/deep"));
    EXPECT_EQ(dialog->StatusText(), u"at deep");
    EXPECT_TRUE(dialog->SelectPath(File("root/two")));
    EXPECT_FALSE(dialog->OKEnabled());
    EXPECT_TRUE(dialog->SelectPath(File("root")));  // the root itself may be chosen
    EXPECT_TRUE(dialog->OKEnabled());
    EXPECT_TRUE(dialog->SelectPath(File("root/one")));
    PressButton(form, u"OK");
  });
  String chosen;
  ASSERT_TRUE(SHBrowseForFolder(info, chosen));
  EXPECT_EQ(chosen, File("root/one"));
  EXPECT_EQ(display, u"one");
  EXPECT_EQ(info.iImage, -1);
  EXPECT_EQ(heard, (std::vector<std::string>{"init", "sel deep", "sel two", "sel root", "sel one"}));
}

TEST_F(BrowseForFolder, WithoutASelectionTheRootIsSelectedAndCancelChoosesNothing) {
  TBrowseInfo info;
  info.pidlRoot = File("root");
  String selected;
  ScopedModalHook hook([&](TForm& form) {
    selected = dynamic_cast<TBrowseFolderForm&>(form).SelectedPath();
    // The status line shows only with BIF_STATUSTEXT.
    EXPECT_FALSE(dynamic_cast<TControl*>(FindNamedComponent(form, u"Status"))->Visible());
    PressButton(form, u"Cancel");
  });
  String chosen = u"kept";
  EXPECT_FALSE(SHBrowseForFolder(info, chosen));
  EXPECT_EQ(chosen, u"kept");
  EXPECT_EQ(selected, File("root"));
}

TEST_F(BrowseForFolder, AMissingOrEmptyRootShowsTheWholeFileSystem) {
  TBrowseInfo info;
  info.pidlRoot = File("gone");
  ScopedModalHook hook([&](TForm& form) {
    auto& dialog = dynamic_cast<TBrowseFolderForm&>(form);
    EXPECT_EQ(dialog.RootPath(), u"/");
    EXPECT_TRUE(dialog.SelectPath(File("beside")));
    PressButton(form, u"OK");
  });
  String chosen;
  ASSERT_TRUE(SHBrowseForFolder(info, chosen));
  EXPECT_EQ(chosen, File("beside"));
}

// Folders whose names are not UTF-8 (Latin-1, Shift-JIS, bytes of no code
// page) show their letters in the ANSI code page, in the tree and the status
// line, open, list what is under them, and are chosen by their own bytes.
TEST_F(BrowseForFolder, FoldersWhoseNamesAreNotUtf8OpenAndAreChosen) {
  const std::pair<std::string, std::string> folders[] = {{"\xE9t\xE9", "été"}, {"\x93\xFA\x96\x7B", "“ú–{"}, {"x\xFF\xC0", "xÿÀ"}};
  for (const auto& f : folders) std::filesystem::create_directories(Path("root/" + f.first + "/inner"));
  TBrowseInfo info;
  info.pidlRoot = File("root");
  info.ulFlags = BIF_STATUSTEXT;
  info.lpfn = [&](TForm* wnd, Cardinal msg, Int64 lParam, Int64) -> Int32 {
    if (msg == BFFM_SELCHANGED) SendMessage(wnd, BFFM_SETSTATUSTEXTW, 0, lParam);
    return 0;
  };
  std::vector<std::string> shown;
  ScopedModalHook hook([&](TForm& form) {
    auto& dialog = dynamic_cast<TBrowseFolderForm&>(form);
    QAbstractItemModel* model = qobject_cast<QTreeView*>(dynamic_cast<TWinControl*>(FindNamedComponent(form, u"Tree"))->Widget())->model();
    const QModelIndex top = model->index(0, 0, QModelIndex());
    for (int i = 0; i < model->rowCount(top); ++i) {
      const QModelIndex at = model->index(i, 0, top);
      model->fetchMore(at);
      shown.push_back(model->data(at, Qt::DisplayRole).toString().toStdString() + "+" + std::to_string(model->rowCount(at)));
    }
    for (const auto& f : folders) {
      EXPECT_TRUE(dialog.SelectPath(File("root/") + SystemNameToString(f.first) + u"/inner")) << f.second;
      EXPECT_EQ(StringToUtf8(dialog.StatusText()), Path("root/" + f.second + "/inner"));
    }
    EXPECT_TRUE(dialog.SelectPath(File("root/") + SystemNameToString(folders[0].first)));
    PressButton(form, u"OK");
  });
  String chosen;
  ASSERT_TRUE(SHBrowseForFolder(info, chosen));
  EXPECT_EQ(StringToSystemName(chosen), Path("root/" + folders[0].first));
  // Sorted by what they show, without regard to case.
  EXPECT_EQ(shown, (std::vector<std::string>{"one+1", "two+0", "xÿÀ+1", "été+1", "“ú–{+1"}));
}

TEST_F(BrowseForFolder, SpecialFoldersComeFromTheUserFolders) {
  WriteRaw("user-dirs.dirs",
           "# written by a test\n"
           "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
           "XDG_TEMPLATES_DIR=\"/srv/templates/\"\n");
  ScopedEnvVar config("XDG_CONFIG_HOME", fDir.c_str());
  ScopedEnvVar data("XDG_DATA_HOME", Path("data").c_str());
  ScopedEnvVar home("HOME", "/home/someone");
  EXPECT_EQ(SHGetSpecialFolderPath(CSIDL_DESKTOP), u"/home/someone/Schreibtisch");
  EXPECT_EQ(SHGetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY), u"/home/someone/Schreibtisch");
  EXPECT_EQ(SHGetSpecialFolderPath(CSIDL_TEMPLATES), u"/srv/templates");
  EXPECT_EQ(SHGetSpecialFolderPath(CSIDL_FONTS), File("data/fonts"));
  EXPECT_EQ(SHGetSpecialFolderPath(CSIDL_BITBUCKET), File("data/Trash/files"));
  EXPECT_EQ(SHGetSpecialFolderPath(CSIDL_PERSONAL), u"/home/someone/Documents");
  for (Int32 none : {CSIDL_PROGRAMS, CSIDL_PRINTERS, CSIDL_DRIVES, CSIDL_NETWORK, 99})
    EXPECT_EQ(SHGetSpecialFolderPath(none), u"") << none;
  ScopedEnvVar noConfig("XDG_CONFIG_HOME", Path("nothing").c_str());
  EXPECT_EQ(SHGetSpecialFolderPath(CSIDL_TEMPLATES), u"/home/someone/Templates");
}

}  // namespace
}  // namespace sk
