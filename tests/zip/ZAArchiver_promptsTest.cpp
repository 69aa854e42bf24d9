// The archiver's default prompts as the user meets them: the platform's
// confirmation dialog with the engine's texts and buttons, and the password
// form laid out in dialog units, each answered through the visual layer's
// modal hook.
#include <gtest/gtest.h>

#include "ArchiverTestSupport.h"
#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "platform/visual/MessageDialogs.h"
#include "platform/visual/Edits.h"
#include "platform/visual/StandardControls.h"

namespace sk {
namespace {

class ZAArchiver_prompts : public ScratchFolderTest {
 protected:
  ZAArchiver_prompts() : ScratchFolderTest("sk_archiver_prompts") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
    TestApplication();
    zip.FFileName = File("arc.zip");
  }
  TZipArchiver zip;
};

// What a message dialog showed: its caption, text and buttons.
struct TShownDialog {
  String caption;
  String text;
  std::vector<String> buttons;
};

// Presses the named button of each dialog and records what it showed.
class AnsweringHook {
 public:
  explicit AnsweringHook(String press)
      : fHook([this, press](TForm& form) {
          TShownDialog d;
          d.caption = form.Caption();
          if (auto* label = dynamic_cast<TControl*>(FindNamedComponent(form, u"Message"))) d.text = label->Caption();
          for (TMsgDlgBtn b :
               {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose})
            if (FindNamedComponent(form, MsgDlgButtonName(b)) != nullptr) d.buttons.push_back(MsgDlgButtonName(b));
          shown.push_back(d);
          if (!PressButton(form, press)) {
            ADD_FAILURE() << "no button " << StringToUtf8(press);
            form.SetModalResult(mrCancel);
          }
        }) {}
  std::vector<TShownDialog> shown;

 private:
  ScopedModalHook fHook;
};

TEST_F(ZAArchiver_prompts, NoToAllSetsNeverAndYesToAllAlways) {
  for (const char16_t* press : {u"NoToAll", u"YesToAll", u"Yes", u"No"}) {
    zip.FOptions.FOverwriteMode = omPrompt;
    AnsweringHook hook(press);
    String dest = u"/out/a.txt";
    bool confirm = false;
    zip.DoOnConfirmOverwrite(u"a.txt", dest, confirm);
    ASSERT_EQ(hook.shown.size(), 1u);
    EXPECT_EQ(hook.shown[0].caption, u"Confirm");
    EXPECT_EQ(hook.shown[0].text, u"Overwrite file \"/out/a.txt\" with \"a.txt\"");
    EXPECT_EQ(hook.shown[0].buttons, (std::vector<String>{u"Yes", u"No", u"NoToAll", u"YesToAll"}));
    const String p = press;
    EXPECT_EQ(confirm, p == u"YesToAll" || p == u"Yes") << StringToUtf8(p);
    EXPECT_EQ(zip.FOptions.FOverwriteMode, p == u"NoToAll" ? omNever : p == u"YesToAll" ? omAlways : omPrompt);
  }
}

TEST_F(ZAArchiver_prompts, VolumeZeroIsShownAsDiskOne) {
  zip.SetSpanningMode(smSpanning);
  for (const char16_t* press : {u"OK", u"Cancel"}) {
    AnsweringHook hook(press);
    String name = zip.FFileName;
    bool cancel = false;
    zip.DoOnRequestBlankVolume(0, name, cancel);
    ASSERT_EQ(hook.shown.size(), 1u);
    EXPECT_EQ(hook.shown[0].text, u"Please insert a blank disk #1");
    EXPECT_EQ(hook.shown[0].buttons, (std::vector<String>{u"OK", u"Cancel"}));
    EXPECT_EQ(cancel, String(press) == u"Cancel");
  }
  AnsweringHook hook(u"OK");
  String name = zip.FFileName;
  bool cancel = true;
  zip.DoOnRequestMiddleVolume(1, name, cancel);
  EXPECT_EQ(hook.shown.at(0).text, u"Please insert disk #2");
  EXPECT_FALSE(cancel);
}

TEST_F(ZAArchiver_prompts, AProgressHandlerSeesBackslashesWithoutADialog) {
  String seen;
  zip.FProgressEnabled = true;
  zip.OnFileProgress = [&](TObject*, const String& name, Double, TZAProcessOperation, TZAProgressPhase, bool&) {
    seen = name;
  };
  TDirItem item;
  item.CompressionMethod = 8;
  item.CompressionMode = 6;
  item.SrcFileName = u"/src/dir/a.txt";
  TBytesStream source(B("some text"));
  TMemoryStream dest;
  EXPECT_TRUE(zip.InternalCompressFile(&source, &dest, item, 9));
  EXPECT_EQ(seen, u"\\src\\dir\\a.txt");
}

TEST_F(ZAArchiver_prompts, FileFailureButtonsAndAnswers) {
  {
    AnsweringHook hook(u"Retry");
    TZAAction action = fxaAbort;
    zip.DoOnProcessFileFailure(u"f", poAdd, 33, 12, u"Cannot open file", action);
    EXPECT_EQ(action, fxaRetry);
    ASSERT_EQ(hook.shown.size(), 1u);
    EXPECT_EQ(hook.shown[0].text, u"Cannot open file. File processing error, possibly disk is full");
    EXPECT_EQ(hook.shown[0].buttons, (std::vector<String>{u"Abort", u"Retry", u"Ignore"}));
  }
  {
    AnsweringHook hook(u"Ignore");
    TZAAction action = fxaAbort;
    zip.DoOnProcessFileFailure(u"f", poAdd, 61, 36, u"File name is too long", action);
    EXPECT_EQ(action, fxaIgnore);
    EXPECT_EQ(hook.shown.at(0).text, u"File name is too long");
    EXPECT_EQ(hook.shown.at(0).buttons, (std::vector<String>{u"Abort", u"Ignore"}));
  }
}

TEST_F(ZAArchiver_prompts, DiskFullDialogOfASpannedVolume) {
  zip.SetSpanningMode(smSpanning);
  zip.FSpanningOptions.FVolumeSize = vs1_44MB;
  ScopedDisks disks(1000);
  AnsweringHook hook(u"Cancel");
  bool cancel = false;
  zip.DoOnDiskFull(0, zip.FFileName, cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(hook.shown.at(0).text,
            u"Disk is full. Required free space: 1457664 bytes, but available only: 1000 bytes. Clean the disk or "
            u"find another blank disk");
}

Int32 MulDiv(Int32 a, Int32 b, Int32 c) { return static_cast<Int32>((static_cast<long long>(a) * b + c / 2) / c); }

TEST_F(ZAArchiver_prompts, ThePasswordFormInDialogUnits) {
  struct TSeen {
    String caption, prompt, text, selected;
    Char passwordChar = 0;
    Int32 maxLength = 0;
    TRect client, edit, ok, cancel;
    bool okDefault = false, cancelCancel = false;
    Int32 unitX = 0, unitY = 0;
  } seen;
  ScopedModalHook hook([&](TForm& form) {
    seen.caption = form.Caption();
    seen.client = form.ClientRect();
    auto* edit = dynamic_cast<TEdit*>(FindNamedComponent(form, u"Password"));
    auto* prompt = dynamic_cast<TLabel*>(FindNamedComponent(form, u"Prompt"));
    auto* ok = dynamic_cast<TButton*>(FindNamedComponent(form, u"OK"));
    auto* cancel = dynamic_cast<TButton*>(FindNamedComponent(form, u"Cancel"));
    if (edit == nullptr || prompt == nullptr || ok == nullptr || cancel == nullptr) {
      ADD_FAILURE() << "a control is missing";
      form.SetModalResult(mrCancel);
      return;
    }
    seen.prompt = prompt->Caption();
    seen.text = edit->GetText();
    seen.passwordChar = edit->PasswordChar();
    seen.maxLength = edit->MaxLength();
    seen.edit = edit->BoundsRect();
    seen.ok = ok->BoundsRect();
    seen.cancel = cancel->BoundsRect();
    seen.okDefault = ok->Default();
    seen.cancelCancel = cancel->Cancel();
    TCanvas& canvas = form.Canvas();
    canvas.Font().Assign(form.Font());
    const TSize size = canvas.TextExtent(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    seen.unitX = size.cx / 52;
    seen.unitY = size.cy;
    edit->SetText(u"pässwort");
    PressButton(form, u"OK");
  });
  AnsiString password = "old";
  bool skip = true;
  zip.DoOnPassword(u"dir/e.txt", password, skip);
  EXPECT_FALSE(skip);
  EXPECT_EQ(password, "p\xC3\xA4sswort") << "typed text becomes UTF-8";
  EXPECT_EQ(seen.caption, u"Password for \"dir/e.txt\"");
  EXPECT_EQ(seen.prompt, u"Enter password: ");
  EXPECT_EQ(seen.text, u"");
  EXPECT_EQ(seen.passwordChar, u'*');
  EXPECT_EQ(seen.maxLength, 255);
  auto x = [&](Int32 u) { return MulDiv(u, seen.unitX, 4); };
  auto y = [&](Int32 u) { return MulDiv(u, seen.unitY, 8); };
  EXPECT_EQ(seen.client.Right, x(180));
  EXPECT_EQ(seen.client.Bottom, y(63));
  EXPECT_EQ(seen.edit.Left, x(8));
  EXPECT_EQ(seen.edit.Top, y(19));
  EXPECT_EQ(seen.edit.Width(), x(164));
  EXPECT_EQ(seen.ok, Rect(x(38), y(41), x(38) + x(50), y(41) + y(14)));
  EXPECT_EQ(seen.cancel, Rect(x(92), y(41), x(92) + x(50), y(41) + y(14)));
  EXPECT_TRUE(seen.okDefault);
  EXPECT_TRUE(seen.cancelCancel);

  // Cancel skips the entry and keeps the password.
  PressingHook cancelling(u"Cancel");
  ScopedModalHook second(cancelling.Hook());
  password = "old";
  zip.DoOnPassword(u"e", password, skip);
  EXPECT_TRUE(skip);
  EXPECT_EQ(password, "old");
  EXPECT_EQ(cancelling.Shown(), 1);
}

TEST_F(ZAArchiver_prompts, AnEntryIsExtractedWithThePasswordTyped) {
  TDirItem item;
  item.Name = u"e.txt";
  item.CompressionMethod = 8;
  item.CompressionMode = 6;
  item.Password = "right";
  item.CentralDir.versionMadeBy = item.CentralDir.extractVersion = 20;
  item.CentralDir.genPurposeFlag = ZAFlagEncrypted;
  item.CentralDir.compMethod = 8;
  const std::string plain(5000, 'q');
  TBytesStream source(B(plain));
  TMemoryStream data;
  ASSERT_TRUE(zip.InternalCompressFile(&source, &data, item, 5000));
  TZAZipFileHeader lh;
  lh.signature = ZipLocalFileHeaderSignature;
  lh.genPurposeFlag = ZAFlagEncrypted;
  lh.compMethod = 8;
  lh.crc32 = item.CentralDir.crc32;
  TMemoryStream record;
  record.WriteBuffer(lh.ToBytes());
  record.CopyFrom(&data, 0);
  record.Seek(0, soBeginning);

  Int32 forms = 0;
  ScopedModalHook hook([&](TForm& form) {
    ++forms;
    if (auto* edit = dynamic_cast<TEdit*>(FindNamedComponent(form, u"Password"))) edit->SetText(u"right");
    PressButton(form, u"OK");
  });
  zip.SetPassword("");
  TMemoryStream out;
  EXPECT_TRUE(zip.InternalDecompressFile(&record, &out, item, 0, 0));
  EXPECT_EQ(forms, 1);
  EXPECT_EQ(out.Size(), 5000);
  EXPECT_EQ(zip.Password(), "right");
}

}  // namespace
}  // namespace sk
