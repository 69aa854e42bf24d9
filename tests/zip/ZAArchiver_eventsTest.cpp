// The archiver's event dispatchers: what a handler sees, and the default
// dialogs with their texts, buttons and answers (given through the dialog
// hooks).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "ArchiverTestSupport.h"
#include "TestSupport.h"

namespace sk {
namespace {

class ZAArchiver_events : public ScratchFolderTest {
 protected:
  ZAArchiver_events() : ScratchFolderTest("sk_archiver_events") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
    zip.FFileName = File("arc.zip");
  }
  TZipArchiver zip;
};

TEST_F(ZAArchiver_events, ProgressHandlersSeeBackslashes) {
  String seen;
  zip.OnFileProgress = [&](TObject*, const String& name, Double, TZAProcessOperation, TZAProgressPhase, bool&) {
    seen = name;
  };
  bool cancel = true;
  zip.DoOnFileProgress(u"dir/sub/file.txt", 50, poExtract, ppProcess, cancel);
  EXPECT_EQ(seen, u"dir\\sub\\file.txt");
  // Without handlers nothing cancels.
  TZipArchiver bare;
  cancel = true;
  bare.DoOnFileProgress(u"a", 1, poAdd, ppStart, cancel);
  EXPECT_FALSE(cancel);
  cancel = true;
  bare.DoOnOverallProgress(1, poAdd, ppStart, cancel);
  EXPECT_FALSE(cancel);
  cancel = true;
  bare.DoOnCopyTempFileProgress(1, ppStart, cancel);
  EXPECT_FALSE(cancel);
  bool confirm = false;
  bare.DoOnConfirmProcessFile(u"a", poAdd, confirm);
  EXPECT_TRUE(confirm);
}

TEST_F(ZAArchiver_events, OverwriteAnswers) {
  const struct {
    Int32 answer;
    bool confirm;
    TZAOverwriteMode mode;
  } cases[] = {
      {zdrYes, true, omPrompt},      {zdrNo, false, omPrompt},     {zdrNoToAll, false, omNever},
      {zdrYesToAll, true, omAlways}, {zdrCancel, false, omPrompt}, {zdrOK, false, omPrompt},
  };
  for (const auto& c : cases) {
    zip.FOptions.FOverwriteMode = omPrompt;
    ScopedDialogAnswers answers(c.answer);
    String dest = u"/out/a.txt";
    bool confirm = !c.confirm;
    zip.DoOnConfirmOverwrite(u"a.txt", dest, confirm);
    EXPECT_EQ(confirm, c.confirm) << c.answer;
    EXPECT_EQ(zip.FOptions.FOverwriteMode, c.mode) << c.answer;
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].text, u"Overwrite file \"/out/a.txt\" with \"a.txt\"");
    EXPECT_EQ(answers.asked[0].buttons, zdbYes | zdbNo | zdbNoToAll | zdbYesToAll);
  }
}

TEST_F(ZAArchiver_events, NoToAllOnceSkipsEveryLaterEntryWithoutADialog) {
  ScopedDialogAnswers answers(zdrNoToAll);
  zip.FOptions.FOverwriteMode = omPrompt;
  // What the adding and extracting loops do with the option for each entry.
  Int32 replaced = 0;
  for (int i = 0; i < 5; ++i) {
    bool confirm = false;
    if (zip.FOptions.FOverwriteMode == omPrompt) {
      String dest = u"x";
      zip.DoOnConfirmOverwrite(u"y", dest, confirm);
    } else {
      confirm = zip.FOptions.FOverwriteMode == omAlways;
    }
    replaced += confirm;
  }
  EXPECT_EQ(replaced, 0);
  EXPECT_EQ(answers.asked.size(), 1u);
}

TEST_F(ZAArchiver_events, AHandlerAnswersInsteadOfTheDialog) {
  ScopedDialogAnswers answers(zdrYes);
  zip.OnConfirmOverwrite = [](TObject*, const String&, String& dest, bool& confirm) {
    dest = u"elsewhere";
    confirm = true;
  };
  String dest = u"d";
  bool confirm = false;
  zip.DoOnConfirmOverwrite(u"s", dest, confirm);
  EXPECT_TRUE(confirm);
  EXPECT_EQ(dest, u"elsewhere");
  EXPECT_TRUE(answers.asked.empty());
}

TEST_F(ZAArchiver_events, FileFailureDefaults) {
  const struct {
    Int32 native;
    Int32 answer;
    TZAAction action;
    bool asked;
    TZADialogButtons buttons;
    const char16_t* text;
  } cases[] = {
      {45, zdrRetry, fxaAbort, false, 0, u""},
      {61, zdrIgnore, fxaIgnore, true, zdbAbort | zdbIgnore, u"Too long"},
      {61, zdrAbort, fxaAbort, true, zdbAbort | zdbIgnore, u"Too long"},
      {33, zdrRetry, fxaRetry, true, zdbAbort | zdbRetry | zdbIgnore,
       u"Too long. File processing error, possibly disk is full"},
      {33, zdrIgnore, fxaIgnore, true, zdbAbort | zdbRetry | zdbIgnore,
       u"Too long. File processing error, possibly disk is full"},
      {33, zdrCancel, fxaAbort, true, zdbAbort | zdbRetry | zdbIgnore,
       u"Too long. File processing error, possibly disk is full"},
  };
  for (const auto& c : cases) {
    ScopedDialogAnswers answers(c.answer);
    TZAAction action = fxaRetry;
    zip.DoOnProcessFileFailure(u"f", poAdd, c.native, 0, u"Too long", action);
    EXPECT_EQ(action, c.action) << c.native << " " << c.answer;
    ASSERT_EQ(answers.asked.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(answers.asked[0].buttons, c.buttons);
      EXPECT_EQ(answers.asked[0].text, c.text);
    }
  }
  // A handler starts from Ignore.
  TZAAction seen = fxaAbort;
  zip.OnProcessFileFailure = [&](TObject*, const String&, TZAProcessOperation, Int32, Int32, const String&,
                                 TZAAction& action) { seen = action; };
  TZAAction action = fxaAbort;
  zip.DoOnProcessFileFailure(u"f", poAdd, 33, 0, u"m", action);
  EXPECT_EQ(seen, fxaIgnore);
}

TEST_F(ZAArchiver_events, BlankVolumeCountsFromOne) {
  zip.SetSpanningMode(smSpanning);
  {
    ScopedDialogAnswers answers(zdrOK);
    String name = zip.FFileName;
    bool cancel = true;
    zip.DoOnRequestBlankVolume(0, name, cancel);
    EXPECT_FALSE(cancel);
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].text, u"Please insert a blank disk #1");
    EXPECT_EQ(answers.asked[0].buttons, zdbOK | zdbCancel);
  }
  {
    ScopedDialogAnswers answers(zdrCancel);
    String name = zip.FFileName;
    bool cancel = false;
    zip.DoOnRequestBlankVolume(-3, name, cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(answers.asked[0].text, u"Please insert a blank disk #1") << "below 0 counts as the first";
  }
  Int32 number = -1;
  String handed;
  zip.OnRequestBlankVolume = [&](TObject*, Int32 n, String& name, bool&) {
    number = n;
    handed = name;
  };
  String name = zip.FFileName;
  bool cancel = true;
  zip.DoOnRequestBlankVolume(2, name, cancel);
  EXPECT_EQ(number, 3);
  EXPECT_EQ(handed, File("arc.zip")) << "spanned volumes keep the archive's name";
  EXPECT_FALSE(cancel);

  TZipArchiver split;
  split.FFileName = File("arc.zip");
  split.SetSpanningMode(smSplitting);
  ScopedDialogAnswers none(zdrCancel);
  name = split.FFileName;
  cancel = true;
  split.DoOnRequestBlankVolume(1, name, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(name, File("arc.Z02"));
  EXPECT_TRUE(none.asked.empty());
}

TEST_F(ZAArchiver_events, FirstAndMiddleVolumeDialogs) {
  zip.SetSpanningMode(smSpanning);
  ScopedDialogAnswers answers(
      [](const TAskedQuestion& q) { return q.text.find(u"#3") != String::npos ? zdrCancel : zdrOK; });
  String name = zip.FFileName;
  bool cancel = true;
  zip.DoOnRequestFirstVolume(name, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(name, File("arc.zip"));
  name = zip.FFileName;
  zip.DoOnRequestMiddleVolume(1, name, cancel);
  EXPECT_FALSE(cancel);
  zip.DoOnRequestMiddleVolume(2, name, cancel);
  EXPECT_TRUE(cancel);
  ASSERT_EQ(answers.asked.size(), 3u);
  EXPECT_EQ(answers.asked[0].text, u"Please insert the first disk");
  EXPECT_EQ(answers.asked[1].text, u"Please insert disk #2");
  EXPECT_EQ(answers.asked[2].text, u"Please insert disk #3");

  // Not spanned: no dialog; the file must exist, unless the archive is new.
  TZipArchiver split;
  split.FFileName = File("arc.zip");
  split.SetSpanningMode(smSplitting);
  name = split.FFileName;
  split.DoOnRequestMiddleVolume(0, name, cancel);
  EXPECT_TRUE(cancel);
  WriteRaw("arc.Z01", "x");
  name = split.FFileName;
  split.DoOnRequestMiddleVolume(0, name, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(name, File("arc.Z01"));
  name = split.FFileName;
  split.DoOnRequestFirstVolume(name, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(answers.asked.size(), 3u);
}

TEST_F(ZAArchiver_events, LastDiskIsAskedForUntilItIsThereOrCancelled) {
  zip.SetSpanningMode(smSpanning);
  {
    // OK twice on the wrong disk, then cancel.
    Int32 passes = 0;
    ScopedDialogAnswers counted([&](const TAskedQuestion&) { return ++passes < 3 ? zdrOK : zdrCancel; });
    String name = zip.FFileName;
    bool cancel = false;
    zip.DoOnRequestLastVolume(name, cancel);
    EXPECT_TRUE(cancel);
    ASSERT_EQ(counted.asked.size(), 3u);
    EXPECT_EQ(counted.asked[0].text, u"Please insert the last disk");
    EXPECT_EQ(counted.asked[1].text, u"File '" + File("arc.zip") +
                                         u"' not found on inserted disk. Please insert last disk with required file");
  }
  {
    // A user who keeps answering OK without the disk is not asked for ever.
    ScopedDialogAnswers answers(zdrOK);
    String name = zip.FFileName;
    bool cancel = false;
    zip.DoOnRequestLastVolume(name, cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(answers.asked.size(), static_cast<size_t>(ZAMaxVolumeRequests));
  }
  {
    WriteRaw("arc.zip", "present");
    ScopedDialogAnswers answers(zdrOK);
    String name = zip.FFileName;
    bool cancel = true;
    zip.DoOnRequestLastVolume(name, cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(answers.asked.size(), 1u);
  }
}

TEST_F(ZAArchiver_events, DiskFullRaisesWithoutSpanningAndAsksWhenSpanned) {
  bool cancel = false;
  EXPECT_EQ(EngineErrorOf([&] { zip.DoOnDiskFull(0, zip.FFileName, cancel); }), 65);
  zip.SetSpanningMode(smSpanning);
  zip.FSpanningOptions.FVolumeSize = vs1_44MB;
  ScopedDisks disks(70000);
  ScopedDialogAnswers answers(zdrCancel);
  zip.DoOnDiskFull(1, zip.FFileName, cancel);
  EXPECT_TRUE(cancel);
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(answers.asked[0].text,
            u"Disk is full. Required free space: 1457664 bytes, but available only: 70000 bytes. Clean the disk or "
            u"find another blank disk");
  Int32 number = -5;
  zip.OnDiskFull = [&](TObject*, Int32 n, const String&, bool& c) {
    number = n;
    c = false;
  };
  zip.DoOnDiskFull(0, zip.FFileName, cancel);
  EXPECT_EQ(number, 1);
  EXPECT_FALSE(cancel);
}

TEST_F(ZAArchiver_events, StoreAndExtractNames) {
  String name = u"a/b/c.txt";
  Int32 attr = 0x20;
  AnsiString comment;
  zip.DoOnStoreFile(name, attr, comment, u"/src/a/b/c.txt");
  EXPECT_EQ(name, u"a/b/c.txt") << "no handler, no change";
  String seen;
  zip.OnStoreFile = [&](TObject*, String& n, Int32& a, AnsiString& c, const String&) {
    seen = n;
    n = u"x\\y.txt";
    a = 0x21;
    c = "note";
  };
  zip.DoOnStoreFile(name, attr, comment, u"/src/a/b/c.txt");
  EXPECT_EQ(seen, u"a\\b\\c.txt");
  EXPECT_EQ(name, u"x/y.txt");
  EXPECT_EQ(attr, 0x21);
  EXPECT_EQ(comment, "note");

  String target = u"a/b.txt";
  Cardinal fileAttr = 0;
  zip.DoOnExtractFile(target, fileAttr, "");
  EXPECT_EQ(target, u"a\\b.txt") << "handler or not";
}

TEST_F(ZAArchiver_events, VolumeFailureReachesOnlyAHandler) {
  bool cancel = true;
  zip.DoOnProcessVolumeFailure(poAdd, 0, u"v", cancel);
  EXPECT_TRUE(cancel);
  Int32 number = 0;
  zip.FOnProcessVolumeFailure = [&](TObject*, TZAProcessOperation, Int32 n, const String&, bool& c) {
    number = n;
    c = false;
  };
  zip.DoOnProcessVolumeFailure(poAdd, 0, u"v", cancel);
  EXPECT_EQ(number, 1);
  EXPECT_FALSE(cancel);
}

TEST_F(ZAArchiver_events, PasswordDialogOkCancelAndUtf8) {
  {
    ScopedPasswordAnswer answer(true, u"pässwort");
    AnsiString password = "old";
    bool skip = true;
    zip.DoOnPassword(u"dir/e.txt", password, skip);
    EXPECT_FALSE(skip);
    EXPECT_EQ(password, "p\xC3\xA4sswort");
    ASSERT_EQ(answer.asked.size(), 1u);
    EXPECT_EQ(answer.asked[0], u"dir/e.txt");
  }
  {
    ScopedPasswordAnswer answer(false, u"");
    AnsiString password = "old";
    bool skip = false;
    zip.DoOnPassword(u"e", password, skip);
    EXPECT_TRUE(skip);
    EXPECT_EQ(password, "old");
  }
}

TEST_F(ZAArchiver_events, AnswersOutsideTheButtonsCountAsCancel) {
  ScopedDialogAnswers answers(zdrRetry);
  EXPECT_EQ(ZAMessageDialog(u"q", zdbOK | zdbCancel), zdrCancel);
  EXPECT_EQ(ZAMessageDialog(u"q", zdbAbort | zdbRetry | zdbIgnore), zdrRetry);
  EXPECT_EQ(ZAMessageDialog(u"q", zdbYes | zdbNo | zdbNoToAll | zdbYesToAll), zdrCancel);
  zip.SetSpanningMode(smSpanning);
  String name = zip.FFileName;
  bool cancel = false;
  zip.DoOnRequestBlankVolume(0, name, cancel);
  EXPECT_TRUE(cancel);
  String dest = u"d";
  bool confirm = true;
  zip.DoOnConfirmOverwrite(u"s", dest, confirm);
  EXPECT_FALSE(confirm);
}

// ---- questions asked with no lock held -------------------------------------

// What a question's handler finds while it is open: whether another
// description of the archive file gets the exclusive lock at once, whether
// another thread gets the engine's lock, and whether another program's
// change of the archive (an entry deleted, so that the others move, and one
// added) goes through.
class TWhileAsked {
 public:
  TWhileAsked(std::string lockPath, String archive, bool change)
      : fLockPath(std::move(lockPath)), fArchive(std::move(archive)), fChange(change) {}
  ~TWhileAsked() {
    for (std::thread& t : fThreads) t.join();
  }
  TWhileAsked(const TWhileAsked&) = delete;
  TWhileAsked& operator=(const TWhileAsked&) = delete;

  void Look() {
    ++asked;
    const int fd = ::open(fLockPath.c_str(), O_RDONLY | O_CLOEXEC);
    fileFree = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) ::close(fd);
    auto got = std::make_shared<std::atomic<bool>>(false);
    fThreads.emplace_back([got] {
      TZipArchiver other;
      other.Lock();
      *got = true;
      other.Unlock();
    });
    for (int wait = 0; wait < 200 && !*got; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    engineFree = *got;
    if (!fChange || asked > 1) return;
    TZipArchiver other;
    other.FFileName = fArchive;
    other.FLockWait = 100;
    otherError = EngineErrorOf([&] {
      other.OpenArchive();
      other.DeleteFiles(u"plain1.txt", 0x3F, String());
      other.AddFromString(u"other.txt", u"theirs", 0x20, 40000);
      other.CloseArchive();
    });
  }

  Int32 asked = 0;
  bool fileFree = false;
  bool engineFree = false;
  Int32 otherError = -2;

 private:
  std::string fLockPath;
  String fArchive;
  bool fChange;
  std::vector<std::thread> fThreads;
};

class ZAArchiver_eventsUnlocked : public ScratchFolderTest {
 protected:
  ZAArchiver_eventsUnlocked() : ScratchFolderTest("sk_archiver_unlocked") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
  }
  // plain1.txt, secret.txt (password "pw"), plain2.txt and bad.txt, whose
  // stored data are damaged.
  void MakeArchive() {
    ::unlink(Path("a.zip").c_str());
    TZipArchiver z;
    z.FFileName = File("a.zip");
    z.OpenArchive(fmCreate);
    z.SetCompressionMode(0);
    z.BeginUpdate();
    z.AddFromString(u"plain1.txt", u"one", 0x20, 40000);
    z.SetPassword("pw");
    z.AddFromString(u"secret.txt", u"the secret", 0x20, 40000);
    z.SetPassword("");
    z.AddFromString(u"plain2.txt", u"two", 0x20, 40000);
    z.AddFromString(u"bad.txt", u"damaged entry data", 0x20, 40000);
    z.EndUpdate();
    z.CloseArchive();
    std::string bytes = ReadRaw("a.zip");
    const size_t at = bytes.find("damaged entry data");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'D';
    WriteRaw("a.zip", bytes);
  }
  std::vector<String> Names(const String& file) {
    TZipArchiver z;
    z.FFileName = file;
    z.OpenArchive();
    std::vector<String> names;
    for (Int32 i = 0; i < z.DMHandle->CDir->Count(); ++i) names.push_back(z.DMHandle->CDir->FItems[static_cast<size_t>(i)].Name);
    return names;
  }
};

TEST_F(ZAArchiver_eventsUnlocked, NoLockIsHeldWhileAPersonIsAsked) {
  // Each question kind as the operations raise it: while the handler (or
  // the dialog) is open, another program may take the archive's lock and
  // change the archive, and another thread the engine's lock. A read then
  // goes on in the archive as the other left it; an update fails with 71,
  // changing nothing of its own.
  // Both overwrite rows answer the same question: a newer plain2.txt in src/.
  const auto overwriteAsked = [this](TZipArchiver& z, TWhileAsked& w) {
    WriteRaw("src/plain2.txt", "newer");
    z.FBaseDir = File("src");
    z.FOptions.FOverwriteMode = omPrompt;
    z.OnConfirmOverwrite = [&w](TObject*, const String&, String&, bool& confirm) {
      w.Look();
      confirm = true;
    };
  };
  const struct Case {
    const char* what;
    bool update;
    bool engineLocked;      // the operation holds the engine's lock
    const char* extracted;  // the file the entry of that name is extracted to ("" none)
    std::function<void(TZipArchiver&, TWhileAsked&)> arm;
    std::function<void(TZipArchiver&)> run;
  } cases[] = {
      {"password handler", false, true, "secret.txt",
       [](TZipArchiver& z, TWhileAsked& w) {
         z.OnPassword = [&w](TObject*, const String&, AnsiString& password, bool& skip) {
           w.Look();
           password = "pw";
           skip = false;
         };
       },
       [](TZipArchiver& z) { z.ExtractFiles(u"secret.txt", 0x3F, String()); }},
      {"password dialog", false, false, "", [](TZipArchiver&, TWhileAsked&) {},
       [](TZipArchiver& z) {
         String text;
         z.ExtractToString(u"secret.txt", text);
         EXPECT_EQ(text, u"the secret");
       }},
      {"overwrite when extracting", false, true, "plain2.txt",
       [this](TZipArchiver& z, TWhileAsked& w) {
         WriteRaw("out/plain2.txt", "old");
         z.FOptions.FOverwriteMode = omPrompt;
         z.OnConfirmOverwrite = [&w](TObject*, const String&, String&, bool& confirm) {
           w.Look();
           confirm = true;
         };
       },
       [](TZipArchiver& z) { z.ExtractFiles(u"plain2.txt", 0x3F, String()); }},
      {"confirming an entry", false, true, "",
       [](TZipArchiver& z, TWhileAsked& w) {
         z.SetPassword("pw");
         z.OnConfirmProcessFile = [&w](TObject*, const String& name, TZAProcessOperation, bool& confirm) {
           if (name == u"plain2.txt") w.Look();
           confirm = name != u"bad.txt";
         };
       },
       [](TZipArchiver& z) { z.TestFiles(u"*.*", 0x3F, String()); }},
      {"a damaged entry", false, true, "",
       [](TZipArchiver& z, TWhileAsked& w) {
         z.SetPassword("pw");
         z.OnProcessFileFailure = [&w](TObject*, const String&, TZAProcessOperation, Int32 native, Int32,
                                       const String&, TZAAction& action) {
           EXPECT_EQ(native, 8);
           w.Look();
           action = fxaIgnore;
         };
       },
       [](TZipArchiver& z) { z.TestFiles(u"*.*", 0x3F, String()); }},
      {"overwrite when updating", true, true, "",
       overwriteAsked,
       [](TZipArchiver& z) { z.UpdateFiles(u"plain2.txt", 0x3F, String()); }},
      {"overwrite when adding", true, true, "",
       overwriteAsked,
       [](TZipArchiver& z) { z.AddFiles(u"plain2.txt", 0x3F, String()); }},
  };
  ::mkdir(Path("out").c_str(), 0777);
  ::mkdir(Path("src").c_str(), 0777);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeArchive();
    TWhileAsked w(Path("a.zip"), File("a.zip"), true);
    TZAPasswordDialogHook previous = SetZAPasswordDialogHook([&w](const String&, String& typed) {
      w.Look();
      typed = u"pw";
      return true;
    });
    Int32 error = -2;
    {
      TZipArchiver zip;
      zip.FFileName = File("a.zip");
      zip.FBaseDir = File("out");
      zip.FLockWait = 100;
      zip.OpenArchive();
      c.arm(zip, w);
      error = EngineErrorOf([&] { c.run(zip); });
    }
    SetZAPasswordDialogHook(std::move(previous));
    EXPECT_EQ(w.asked, 1);
    EXPECT_TRUE(w.fileFree);
    EXPECT_TRUE(w.engineFree || !c.engineLocked);
    EXPECT_EQ(w.otherError, -1);
    EXPECT_EQ(error, c.update ? 71 : -1);
    // The other program's change stays; an update's own does not.
    EXPECT_EQ(Names(File("a.zip")),
              (std::vector<String>{u"secret.txt", u"plain2.txt", u"bad.txt", u"other.txt"}));
    if (c.extracted[0] != '\0') {
      const std::string text = std::string(c.extracted) == "secret.txt" ? "the secret" : "two";
      EXPECT_EQ(ReadRaw(std::string("out/") + c.extracted), text);
    }
    if (c.update) {
      String text;
      TZipArchiver z;
      z.FFileName = File("a.zip");
      z.OpenArchive();
      z.ExtractToString(u"plain2.txt", text);
      EXPECT_EQ(text, u"two");
    }
  }
}

TEST_F(ZAArchiver_eventsUnlocked, AVolumeAskedForLeavesTheSetUnlocked) {
  const std::string text = SplitPartText();
  WriteFivePartSplitArchive(File("split.zip"), text);
  TWhileAsked w(Path("split.zip"), File("split.zip"), false);
  TZipArchiver zip;
  zip.FFileName = File("split.zip");
  zip.FBaseDir = File("out");
  zip.OpenArchive();
  zip.OnRequestMiddleVolume = [&w](TObject*, Int32, String&, bool& cancel) {
    if (w.asked == 0) w.Look();
    cancel = false;
  };
  EXPECT_EQ(EngineErrorOf([&] { zip.ExtractFiles(u"*.*", 0x3F, String()); }), -1);
  EXPECT_EQ(w.asked, 1);
  EXPECT_TRUE(w.fileFree);
  EXPECT_TRUE(w.engineFree);
  EXPECT_EQ(ReadRaw("out/part4"), text);
}

TEST_F(ZAArchiver_eventsUnlocked, AWaitInVainSaysWhetherTheOtherReadsOrChanges) {
  MakeArchive();
  const std::string before = ReadRaw("a.zip");
  const struct {
    int lock;
    Int32 native;
    const char* says;
  } cases[] = {{LOCK_SH, 81, "is being read by another process"}, {LOCK_EX, 71, "is being changed by another process"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    TZipArchiver zip;
    zip.FFileName = File("a.zip");
    zip.FLockWait = 50;
    zip.OpenArchive();
    const int other = ::open(Path("a.zip").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, c.lock), 0);
    try {
      zip.AddFromString(u"new.txt", u"new", 0x20, 40000);
      ADD_FAILURE() << "added";
    } catch (const EZAException& e) {
      EXPECT_EQ(e.NativeError, c.native);
      EXPECT_NE(StringToUtf8(e.Message()).find(c.says), std::string::npos) << StringToUtf8(e.Message());
    }
    ::close(other);
    EXPECT_TRUE(ReadRaw("a.zip") == before);
  }
}

}  // namespace
}  // namespace sk
