// File and folder dialogs answered through the modal hook, the filters as Qt
// takes them, and the input box.
#include <gtest/gtest.h>

#include <QtWidgets/QFileDialog>
#include <filesystem>

#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "platform/visual/Edits.h"
#include "platform/visual/FileDialogs.h"
#include "platform/visual/InputBoxes.h"

namespace sk {
namespace {

TEST(QtNameFiltersOf, PairsBecomeDescriptionsWithTheirMasks) {
  const struct {
    String filter;
    std::vector<String> expected;
  } cases[] = {
      {u"Text files|*.txt|All files|*.*", {u"Text files (*.txt)", u"All files (*)"}},
      {u"Text files|*.txt|All files|*.*|", {u"Text files (*.txt)", u"All files (*)"}},
      {u"Pictures|*.png;*.jpg; *.*|", {u"Pictures (*.png *.jpg *)"}},
      {u"Empty mask||Next|*.x|", {u"Empty mask (*)", u"Next (*.x)"}},
      {u"Lonely description", {}},
      {u"Lonely description|", {}},
      {u"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(QtNameFilters(c.filter), c.expected) << StringToUtf8(c.filter);
}

// Answers every file dialog with the callback, failing the test for any
// other form.
class FileDialogHook {
 public:
  explicit FileDialogHook(std::function<void(TFileDialogForm&)> answer)
      : fScope([this, answer](TForm& form) {
          ++shown;
          auto* dialog = dynamic_cast<TFileDialogForm*>(&form);
          if (dialog == nullptr) {
            ADD_FAILURE() << "not a file dialog: " << DescribeForm(form);
            form.SetModalResult(mrCancel);
            return;
          }
          answer(*dialog);
          if (form.Modal() && form.ModalResult() == mrNone) {
            ADD_FAILURE() << "the dialog was left open";
            dialog->CancelDialog();
          }
        }) {}
  int shown = 0;

 private:
  ScopedModalHook fScope;
};

class FileDialogs : public ScratchFolderTest {
 protected:
  FileDialogs() : ScratchFolderTest("sk_file_dialogs") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    TestApplication();
    WriteRaw("a.txt", "a");
    WriteRaw("b.txt", "b");
    std::filesystem::create_directory(Path("sub"));
  }
};

TEST_F(FileDialogs, OpenDialogShowsItsFiltersAndFolderAndReturnsTheChoice) {
  TOpenDialog dialog(nullptr);
  dialog.SetFilter(u"Text files|*.txt|All files|*.*");
  dialog.SetFilterIndex(2);
  dialog.SetInitialDir(Utf8ToString(fDir));
  FileDialogHook hook([&](TFileDialogForm& f) {
    EXPECT_EQ(f.Caption(), u"Open");
    EXPECT_FALSE(f.Saving());
    EXPECT_EQ(f.Directory(), Utf8ToString(fDir));
    EXPECT_EQ(f.NameFilters(), (std::vector<String>{u"Text files (*.txt)", u"All files (*)"}));
    EXPECT_EQ(f.SelectedNameFilter(), u"All files (*)");
    f.ChooseNameFilter(0);
    EXPECT_TRUE(f.ChooseFiles({u"a.txt"}));
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(hook.shown, 1);
  EXPECT_EQ(dialog.FileName(), File("a.txt"));
  EXPECT_EQ(Lines(dialog.Files()), std::vector<String>{File("a.txt")});
  EXPECT_EQ(dialog.FilterIndex(), 1);
}

TEST_F(FileDialogs, CancellingChoosesNothingAndEmptiesTheFiles) {
  TOpenDialog dialog(nullptr);
  dialog.SetInitialDir(Utf8ToString(fDir));
  dialog.SetFileName(u"old.txt");
  dialog.Files().Add(u"old.txt");
  FileDialogHook hook([](TFileDialogForm& f) { f.CancelDialog(); });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), u"old.txt");
  EXPECT_EQ(dialog.Files().Count(), 0);
}

TEST_F(FileDialogs, ANewNameIsTakenUnlessFilesMustExistAndGetsTheDefaultExtension) {
  TOpenDialog dialog(nullptr);
  dialog.SetInitialDir(Utf8ToString(fDir));
  dialog.SetDefaultExt(u"txt");
  {
    FileDialogHook hook([](TFileDialogForm& f) { EXPECT_TRUE(f.ChooseFiles({u"fresh"})); });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), File("fresh.txt"));
  }
  dialog.SetOptions(dialog.Options() | OpenOption(ofFileMustExist));
  FileDialogHook hook([](TFileDialogForm& f) {
    EXPECT_FALSE(f.ChooseFiles({u"missing.txt"}));
    EXPECT_FALSE(f.ChooseFiles({u"a.txt", u"b.txt"}));  // one file only
    EXPECT_FALSE(f.ChooseFiles({u"sub"}));              // a folder is no file
    EXPECT_TRUE(f.ChooseFiles({u"b.txt"}));
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), File("b.txt"));
}

TEST_F(FileDialogs, MultiSelectReturnsEveryFile) {
  TOpenDialog dialog(nullptr);
  dialog.SetInitialDir(Utf8ToString(fDir));
  dialog.SetOptions(OpenOption(ofAllowMultiSelect));
  FileDialogHook hook([&](TFileDialogForm& f) {
    EXPECT_TRUE(f.MultiSelect());
    EXPECT_TRUE(f.ChooseFiles({u"a.txt", File("b.txt")}));
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(Lines(dialog.Files()), (std::vector<String>{File("a.txt"), File("b.txt")}));
}

TEST_F(FileDialogs, SaveDialogRefusesToOverwriteWithoutAsking) {
  TSaveDialog dialog(nullptr);
  dialog.SetInitialDir(Utf8ToString(fDir));
  dialog.SetOptions(OpenOption(ofOverwritePrompt));
  FileDialogHook hook([](TFileDialogForm& f) {
    EXPECT_TRUE(f.Saving());
    EXPECT_EQ(f.Caption(), u"Save As");
    EXPECT_FALSE(f.ChooseFiles({u"a.txt"}));  // would ask first
    EXPECT_TRUE(f.ChooseFiles({u"c.txt"}));
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), File("c.txt"));
}

TEST_F(FileDialogs, NewerDialogTakesItsFileTypes) {
  TFileOpenDialog dialog(nullptr);
  dialog.AddFileType() = TFileTypeItem{u"Text files", u"*.txt"};
  dialog.AddFileType() = TFileTypeItem{u"All files", u"*.*"};
  dialog.SetDefaultFolder(Utf8ToString(fDir));
  dialog.SetTitle(u"Pick one");
  FileDialogHook hook([](TFileDialogForm& f) {
    EXPECT_EQ(f.Caption(), u"Pick one");
    EXPECT_EQ(f.NameFilters(), (std::vector<String>{u"Text files (*.txt)", u"All files (*)"}));
    f.ChooseNameFilter(1);
    EXPECT_TRUE(f.ChooseFiles({u"b.txt"}));
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), File("b.txt"));
  EXPECT_EQ(dialog.FileTypeIndex(), 2);
}

TEST_F(FileDialogs, SelectDirectoryStartsAtTheFolderAndReturnsTheChosenOne) {
  // Even with the native dialogs asked for, a platform without a desktop
  // shows the form the hook can answer.
  const bool saved = UseLatestCommonDialogs;
  UseLatestCommonDialogs = true;
  std::vector<String> folders{u"untouched"};
  {
    FileDialogHook hook([&](TFileDialogForm& f) {
      EXPECT_TRUE(f.PickingFolders());
      EXPECT_EQ(f.Caption(), u"Folder");
      EXPECT_EQ(f.Directory(), Utf8ToString(fDir));
      EXPECT_EQ(f.FileDialog()->labelText(QFileDialog::FileName), QStringLiteral("Choose"));
      EXPECT_EQ(f.FileDialog()->labelText(QFileDialog::Accept), QStringLiteral("OK"));
      EXPECT_FALSE(f.ChooseFiles({u"a.txt"}));
      EXPECT_FALSE(f.ChooseFolder(File("nowhere")));
      EXPECT_TRUE(f.ChooseFolder(File("sub")));
    });
    ASSERT_TRUE(SelectDirectory(Utf8ToString(fDir), folders, 0, u"Folder", u"Choose", u"OK"));
  }
  EXPECT_EQ(folders, std::vector<String>{File("sub")});
  {
    FileDialogHook hook([](TFileDialogForm& f) { f.CancelDialog(); });
    EXPECT_FALSE(SelectDirectory(Utf8ToString(fDir), folders, 0, u"Folder", u"Choose", u"OK"));
  }
  EXPECT_EQ(folders, std::vector<String>{File("sub")});
  UseLatestCommonDialogs = saved;
}

TEST(InputBoxQuestion, OkGivesTheTypedTextAndCancelTheDefault) {
  TestApplication();
  String prompt;
  ScopedModalHook hook([&](TForm& form) {
    prompt = dynamic_cast<TControl*>(FindNamedComponent(form, u"Prompt"))->Caption();
    auto* edit = dynamic_cast<TEdit*>(FindNamedComponent(form, u"Value"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetText(), u"start");
    edit->SetText(u"typed");
    PressButton(form, u"OK");
  });
  EXPECT_EQ(InputBox(u"Caption", u"Name:", u"start"), u"typed");
  EXPECT_EQ(prompt, u"Name:");
  ScopedModalHook cancel([](TForm& form) { PressButton(form, u"Cancel"); });
  EXPECT_EQ(InputBox(u"Caption", u"Name:", u"start"), u"start");
  String value = u"kept";
  EXPECT_FALSE(InputQuery(u"Caption", u"", value));
  EXPECT_EQ(value, u"kept");
}

}  // namespace
}  // namespace sk
