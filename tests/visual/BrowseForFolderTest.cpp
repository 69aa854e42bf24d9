// The folder-browse dialog: its callback, the messages that steer it, its
// root, and the special folders from the XDG user folders.
#include <gtest/gtest.h>

#include <QtWidgets/QTreeView>
#include <filesystem>
#include <iterator>
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
// page) show their letters in the ANSI code page, open, list what is under
// them, and are chosen by the bytes they were listed under.
TEST_F(BrowseForFolder, FoldersWhoseNamesAreNotUtf8OpenAndAreChosen) {
  struct Named {
    std::string raw, shown;
  };
  const Named folders[] = {{"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},                       // "été" in Latin-1
                           {"\x93\xFA\x96\x7B", "\xE2\x80\x9C\xC3\xBA\xE2\x80\x93{"},  // Shift-JIS, shown in 1252
                           {"x\xFF\xC0", "x\xC3\xBF\xC3\x80"}};
  for (const Named& f : folders) std::filesystem::create_directories(Path("root/" + f.raw + "/inner"));
  TBrowseInfo info;
  info.pidlRoot = File("root");
  info.ulFlags = BIF_STATUSTEXT;
  info.lpfn = [&](TForm* wnd, Cardinal msg, Int64 lParam, Int64) -> Int32 {
    if (msg == BFFM_SELCHANGED) SendMessage(wnd, BFFM_SETSTATUSTEXTW, 0, lParam);
    return 0;
  };
  std::vector<std::string> shown, inner, status;
  ScopedModalHook hook([&](TForm& form) {
    auto& dialog = dynamic_cast<TBrowseFolderForm&>(form);
    auto* view = qobject_cast<QTreeView*>(dynamic_cast<TWinControl*>(FindNamedComponent(form, u"Tree"))->Widget());
    ASSERT_NE(view, nullptr);
    QAbstractItemModel* model = view->model();
    const QModelIndex top = model->index(0, 0, QModelIndex());
    for (int i = 0; i < model->rowCount(top); ++i) {
      const QModelIndex at = model->index(i, 0, top);
      shown.push_back(model->data(at, Qt::DisplayRole).toString().toStdString());
      if (model->canFetchMore(at)) model->fetchMore(at);
      inner.push_back(model->rowCount(at) == 1 ? model->data(model->index(0, 0, at), Qt::DisplayRole).toString().toStdString()
                                               : "(" + std::to_string(model->rowCount(at)) + " rows)");
    }
    for (const Named& f : folders) {
      EXPECT_TRUE(dialog.SelectPath(File("root") + u"/" + SystemNameToString(f.raw) + u"/inner")) << f.shown;
      status.push_back(StringToUtf8(dialog.StatusText()));
    }
    EXPECT_TRUE(dialog.SelectPath(File("root") + u"/" + SystemNameToString(folders[0].raw)));
    PressButton(form, u"OK");
  });
  String chosen;
  ASSERT_TRUE(SHBrowseForFolder(info, chosen));
  EXPECT_EQ(StringToSystemName(chosen), Path("root/" + folders[0].raw));
  // Sorted by what they show, without regard to case.
  EXPECT_EQ(shown, (std::vector<std::string>{"one", "two", folders[2].shown, folders[0].shown, folders[1].shown}));
  EXPECT_EQ(inner, (std::vector<std::string>{"deep", "(0 rows)", "inner", "inner", "inner"}));
  for (size_t i = 0; i < std::size(folders); ++i)
    EXPECT_NE(status[i].find(folders[i].shown + "/inner"), std::string::npos) << status[i];
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
