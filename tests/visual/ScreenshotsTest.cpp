// Rendered forms saved as PNG under the build folder and checked at named
// points: a form painting itself, and a message dialog.
#include <gtest/gtest.h>

#include "VisualTestSupport.h"
#include "platform/visual/MessageDialogs.h"
#include "platform/visual/Screenshots.h"
#include "platform/visual/StandardControls.h"

namespace sk {
namespace {

class Board : public TForm {
 public:
  using TForm::TForm;

 protected:
  void Paint() override {
    Canvas().Brush().SetColor(0x0000FF);
    Canvas().FillRect(Rect(10, 10, 30, 20));
    Canvas().Pen().SetColor(0);
    Canvas().Brush().SetStyle(bsClear);
    Canvas().Rectangle(40, 10, 60, 20);
  }
};

TEST(ScreenshotsOfForms, APaintedFormShowsItsShapesWhereTheyWereDrawn) {
  TestApplication();
  Board board(nullptr);
  board.SetBounds(0, 0, 80, 40);
  board.SetColor(0xFFFFFF);
  const auto failed = ScreenshotChecked(board, "painted_form",
                                        {{"filled red block", Rect(10, 10, 30, 20), AllOf(0x0000FF)},
                                         {"right of the block", Rect(30, 10, 31, 20), AllOf(0xFFFFFF)},
                                         {"outline's left edge", Rect(40, 10, 41, 20), AllOf(0)},
                                         {"outline's inside", Rect(41, 11, 59, 19), AllOf(0xFFFFFF)},
                                         {"outline's right edge", Rect(59, 10, 60, 20), AllOf(0)},
                                         {"past the outline", Rect(60, 10, 61, 20), AllOf(0xFFFFFF)}});
  EXPECT_TRUE(failed.empty()) << ::testing::PrintToString(failed);
  EXPECT_TRUE(std::filesystem::exists(QCoreApplication::applicationDirPath().toStdString() +
                                      "/screenshots/painted_form.png"));
  TBitmap picture;
  ASSERT_TRUE(RenderControl(board, picture));
  EXPECT_EQ(picture.Width(), 80);
  EXPECT_EQ(picture.Height(), 40);
}

TEST(ScreenshotsOfForms, AMessageDialogShowsItsIconTextAndButtons) {
  TestApplication();
  auto dlg = CreateMessageDialog(u"Save the list?\rIt has changed.", mtConfirmation, {mbYes, mbNo, mbCancel});
  auto bounds = [&](const char16_t* name) { return static_cast<TControl*>(dlg->FindComponent(name))->BoundsRect(); };
  const TRect yes = bounds(u"Yes"), cancel = bounds(u"Cancel"), text = bounds(u"Message"), icon = bounds(u"Image");
  const TRect client = dlg->ClientRect();
  const auto failed =
      ScreenshotChecked(*dlg, "message_dialog",
                        {{"icon", icon, InkOn(clBtnFace, 20)},
                         {"first line of the text", Rect(text.Left, text.Top, text.Right, text.Top + text.Height() / 2),
                          InkOn(clBtnFace, 20)},
                         {"second line of the text", Rect(text.Left, text.Top + text.Height() / 2, text.Right, text.Bottom),
                          InkOn(clBtnFace, 20)},
                         {"caption of Yes", yes, InkOn(clBtnFace, 10)},
                         {"caption of Cancel", cancel, InkOn(clBtnFace, 10)},
                         {"margin left of the icon", Rect(0, icon.Top, icon.Left - 1, icon.Bottom), AllOf(clBtnFace)},
                         {"below the buttons", Rect(0, yes.Bottom + 1, client.Right, client.Bottom), AllOf(clBtnFace)}});
  EXPECT_TRUE(failed.empty()) << ::testing::PrintToString(failed);
}

TEST(ScreenshotsOfForms, NothingToPictureWithoutASize) {
  TestApplication();
  TForm empty(nullptr);
  empty.SetBounds(0, 0, 0, 0);
  TBitmap picture;
  EXPECT_FALSE(RenderControl(empty, picture));
  EXPECT_FALSE(SaveControlImage(empty, Utf8ToString(QCoreApplication::applicationDirPath().toStdString() +
                                                    "/screenshots/none.png")));
  TForm some(nullptr);
  some.SetBounds(0, 0, 10, 10);
  EXPECT_FALSE(SaveControlImage(some, u"/nonexistent-folder/x.png"));
}

}  // namespace
}  // namespace sk
