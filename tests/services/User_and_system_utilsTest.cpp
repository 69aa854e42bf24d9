// User folders, the settings pointer file, removable drives, scaling, the
// user's name, library loading and the clipboard.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>

#include "ServicesTestSupport.h"
#include "VisualTestSupport.h"
#include <QtGui/QWindow>
#include "platform/runtime/FileUtils.h"
#include "platform/visual/Clipboard.h"
#include "platform/visual/Screen.h"
#include "services/Clipboard_utils.h"
#include "services/Dll_utils.h"
#include "services/Drive_utils.h"
#include "services/Monitor_functions.h"
#include "services/Registry_utils.h"
#include "services/User_and_system_utils.h"

namespace sk {
namespace {

class User_and_system_utils : public ScratchFolderTest {
 protected:
  User_and_system_utils() : ScratchFolderTest("sk_user") {}
  // A mount table in which the program's own folder is a mount of its own.
  void MountProgramFolder(const std::string& fsType, const std::string& source, bool removable) {
    const std::string exeDir = StringToUtf8(ExcludeTrailingPathDelimiter(ExtractFilePath(ProgramFileName())));
    ::mkdir(Path("sys").c_str(), 0755);
    ::mkdir(Path("sys/sdz").c_str(), 0755);
    ::mkdir(Path("sys/sdz/sdz1").c_str(), 0755);
    WriteRaw("sys/sdz/removable", removable ? "1\n" : "0\n");
    WriteRaw("sdz1", "");
    WriteRaw("mountinfo", "1 0 254:0 / / rw - ext4 /dev/vda rw\n2 1 8:1 / " + exeDir + " rw - " + fsType + " " +
                              (source.empty() ? Path("sdz1") : source) + " rw\n");
    SetMountTableSources(File("mountinfo"), File("sys"), File("nodisk"));
  }
  void TearDown() override {
    SetMountTableSources(u"", u"", u"");
    ScratchFolderTest::TearDown();
  }
};

TEST_F(User_and_system_utils, FoldersFollowTheXdgRules) {
  ScopedEnvVar home("HOME", fDir.c_str());
  ScopedEnvVar docs("XDG_DOCUMENTS_DIR", Path("Docs").c_str());
  ScopedEnvVar config("XDG_CONFIG_HOME", Path("cfg").c_str());
  ScopedEnvVar data("XDG_DATA_DIRS", "relative/share:/opt/share/:/usr/share");
  EXPECT_EQ(ProductFolderName(), u"Quillmark_64_9");
  EXPECT_EQ(GetMyDocumentsFolder(), File("Docs"));
  EXPECT_EQ(GetMyDocumentsQMarkFolder(), File("Docs/Quillmark_64_9"));
  EXPECT_EQ(GetLocalAppDataRoamingFolder(), File("cfg"));
  EXPECT_EQ(GetLocalAppRoamingQMarkFolder(), File("cfg/Quillmark_64_9"));
  EXPECT_EQ(GetProgramDataFolder(), u"/opt/share");  // the relative entry is ignored
  {
    ScopedEnvVar relDocs("XDG_DOCUMENTS_DIR", "Docs");
    ScopedEnvVar relConfig("XDG_CONFIG_HOME", "cfg");
    ScopedEnvVar noData("XDG_DATA_DIRS", nullptr);
    EXPECT_EQ(GetMyDocumentsFolder(), File("Documents"));
    EXPECT_EQ(GetLocalAppDataRoamingFolder(), File(".config"));
    EXPECT_EQ(GetProgramDataFolder(), u"/usr/local/share");
  }
}

TEST_F(User_and_system_utils, SettingsPointerFile) {
  ScopedEnvVar docs("XDG_DOCUMENTS_DIR", Path("Docs").c_str());
  const String pointer = File("Docs/Quillmark_64_9/settings_folder.txt");
  EXPECT_EQ(FilenameForSettingsFolderInfo(), pointer);
  EXPECT_EQ(Get_Ini_Folder(), u"");
  ASSERT_TRUE(ForceDirectories(File("Docs/Quillmark_64_9")));
  WriteRaw("Docs/Quillmark_64_9/settings_folder.txt", "[Settings]\nfolder=self\n");
  EXPECT_EQ(Get_Ini_Folder(), ExtractFilePath(ProgramFileName()));
  WriteRaw("Docs/Quillmark_64_9/settings_folder.txt", "[Settings]\nfolder=Self\n");
  EXPECT_EQ(Get_Ini_Folder(), u"Self");
  WriteRaw("Docs/Quillmark_64_9/settings_folder.txt", "[Settings]\nfolder=/data/qm\n");
  EXPECT_EQ(Get_Ini_Folder(), u"/data/qm");  // as written, no delimiter added
  WriteRaw("Docs/Quillmark_64_9/settings_folder.txt", "[Other]\nfolder=/x\n");
  EXPECT_EQ(Get_Ini_Folder(), u"");
}

TEST_F(User_and_system_utils, RemovableProgramDrivesButNeverNetworkOnes) {
  EXPECT_FALSE(RunningFromUSBStick());
  MountProgramFolder("vfat", "", true);
  EXPECT_TRUE(RunningFromUSBStick());
  EXPECT_EQ(FilenameForSettingsFolderInfo(), ExtractFilePath(ProgramFileName()) + u"settings_folder.txt");
  MountProgramFolder("nfs", "server:/share", true);
  EXPECT_FALSE(RunningFromUSBStick());
  MountProgramFolder("ext4", "", false);
  EXPECT_FALSE(RunningFromUSBStick());
}

TEST_F(User_and_system_utils, UsbDrivesAreAppended) {
  FakeMounts mounts(fDir);
  TStringList list;
  list.Add(u"earlier");
  GetUsbDrives(&list);
  EXPECT_EQ(list.Count(), 1);
  const String usb = Utf8ToString(mounts.Add("usb", "vfat", "sdb1", true));
  mounts.Add("fixed", "ext4", "sdc1", false);
  mounts.Add("net", "nfs", "server:/x", true);
  GetUsbDrives(&list);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"earlier", usb}));
  EXPECT_EQ(list.UpdateCount(), 0);
  EXPECT_EQ(GetDriveType(usb), DRIVE_REMOVABLE);
  GetUsbDrives(nullptr);
}

TEST(Monitor_functions, ScalingAtTheScreensResolution) {
  if (HasGuiApplication()) GTEST_SKIP() << "a GUI application runs: the screen's resolution is its own";
  EXPECT_EQ(CurrentPPI(), 96);
  struct Case {
    Int32 n, design, scaled;
  };
  const Case cases[] = {{10, 64, 15}, {10, 80, 12}, {5, 192, 2}, {7, 192, 4}, {10, 96, 10}, {10, 0, 10}, {-5, 192, -2}};
  for (const Case& c : cases) EXPECT_EQ(DimensionScaledForDPI(c.n, c.design), c.scaled) << c.n << "/" << c.design;
  EXPECT_EQ(DimensionScaledForDPI(33), 33);
  EXPECT_EQ(GetCurrentMonitorInfo(nullptr).width_in_pixels, 0u);
}

TEST(Monitor_functions, FontAndSmallFontScaling) {
  EXPECT_FLOAT_EQ(SpecifiedFontScaled(9, 96, 1.5f), 13.0f);  // 13.5 cut to 13
  EXPECT_FLOAT_EQ(SpecifiedFontScaled(9, 96, 1.25f), 11.25f);
  EXPECT_FLOAT_EQ(SpecifiedFontScaled(10, 192, 1.0f), 5.0f);
  EXPECT_FLOAT_EQ(SpecifiedFontScaled(9, 0, 1.0f), 9.0f);   // no division by 0
  EXPECT_FLOAT_EQ(SpecifiedFontScaled(9, -3, 1.0f), 9.0f);
  EXPECT_FLOAT_EQ(DefaultFontScaled(144, 1.0f), 6.0f);
  EXPECT_FLOAT_EQ(CurrentDPIScale(144), 1.5f);
  EXPECT_FLOAT_EQ(ScreenScaled(10, 1.25f), 12.5f);
  EXPECT_EQ(ScaleFromSmallFontsDimension(10, 144), 15);
  EXPECT_EQ(ScaleFromSmallFontsDimension(1, 48), 1);    // 0.5 rounds away from zero
  EXPECT_EQ(ScaleFromSmallFontsDimension(-1, 48), -1);
}

TEST(Registry_utils, UserNameAndInitials) {
  EXPECT_FALSE(Registry_Current_User().empty());
  EXPECT_EQ(Registry_Current_User_Initials(), InitialsOfName(Registry_Current_User()));
  struct Case {
    const char16_t* name;
    const char16_t* initials;
  };
  const Case cases[] = {{u"lower only", u""},   {u"aBcDeF", u"BD"}, {u"Ann", u"A"},
                        {u"\u00C9mile Zola", u"\u00C9Z"}, {u"", u""}, {u"x\U0001D400y\U0001D401Z", u"\U0001D400\U0001D401"}};
  for (const Case& c : cases) EXPECT_EQ(InitialsOfName(c.name), c.initials);
}

TEST(Dll_utils, LoadingAndClosing) {
  Tlibrary_rec rec = FindLibraryFunction(u"libz.so.1", u"zlibVersion");
  ASSERT_NE(rec.Hinst, 0u);
  ASSERT_NE(rec.FPointer, nullptr);
  auto version = reinterpret_cast<const char* (*)()>(rec.FPointer);
  EXPECT_EQ(version()[0], '1');
  EXPECT_TRUE(CloseLibraryFunction(rec));
  EXPECT_EQ(rec.Hinst, 0u);
  EXPECT_EQ(rec.FPointer, nullptr);

  rec = FindLibraryFunction(u"libz.so.1", u"no_such_function");
  EXPECT_NE(rec.Hinst, 0u);
  EXPECT_EQ(rec.FPointer, nullptr);
  EXPECT_TRUE(CloseLibraryFunction(rec));

  rec = FindLibraryFunction(u"libno-such-library.so", u"f");
  EXPECT_EQ(rec.Hinst, 0u);
  EXPECT_EQ(rec.FPointer, nullptr);
  EXPECT_FALSE(CloseLibraryFunction(rec));
}

TEST(Clipboard_utils, WithoutAGuiApplicationTheThirdAttemptRaises) {
  if (HasGuiApplication()) GTEST_SKIP() << "a GUI application already runs in this process";
  const auto start = std::chrono::steady_clock::now();
  try {
    CopyToClipboard(u"x");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Cannot set clipboard");
  }
  // It waited 100 and 200 milliseconds between the attempts.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_FALSE(CopyClipBoardMetafileToFile(u"/tmp/never-written.svg"));
}

class Clipboard_utilsGui : public ScratchFolderTest {
 protected:
  Clipboard_utilsGui() : ScratchFolderTest("sk_clip") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    TestGuiApplication();
  }
};

TEST_F(Clipboard_utilsGui, TextAndPictures) {
  EXPECT_TRUE(CopyToClipboard(u"copied \u00E9"));
  EXPECT_EQ(ClipboardText(), u"copied \u00E9");
  EXPECT_FALSE(CopyClipBoardMetafileToFile(File("pic.svg")));  // text only
  EXPECT_FALSE(FileExists(File("pic.svg")));
  const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\"/>";
  ASSERT_TRUE(ClipboardSetData("image/svg+xml", B(svg)));
  EXPECT_TRUE(CopyClipBoardMetafileToFile(File("pic.svg")));
  EXPECT_EQ(ReadRaw("pic.svg"), svg);
  EXPECT_FALSE(CopyClipBoardMetafileToFile(u""));
}

TEST(Monitor_functionsGui, MonitorOfAWindow) {
  TestGuiApplication();
  QWindow window;
  const TMyMonitorInfoRec info = GetCurrentMonitorInfo(&window);
  EXPECT_GT(info.width_in_pixels, 0u);
  EXPECT_GT(info.height_in_pixels, 0u);
  EXPECT_GE(CurrentPPI(), 1);
}

}  // namespace
}  // namespace sk
