// What the lower layers get from the visual layer once the library starts:
// message boxes answered with a dialog, typed-ahead keys dropped, plain-text
// colours from the desktop theme, text measured on a canvas.
#include <gtest/gtest.h>

#include <QtGui/QKeyEvent>
#include <QtGui/QPalette>

#include "VisualTestSupport.h"
#include "core/Basic_processes.h"
#include "core/My_string_functions_positions.h"
#include "core/Redodidu.h"
#include "library/Layer_hooks.h"
#include "platform/runtime/Dialogs.h"
#include "platform/visual/Screen.h"
#include "platform/visual/StandardControls.h"
#include "platform/visual/VisualLayer.h"

namespace sk {
namespace {

TEST(VisualLayer, MessageBoxesBecomeDialogsAndTheHandlerGoesAtTheStop) {
  TestApplication();
  TMessageBoxHandler saved = SetMessageBoxHandler(nullptr);
  VisualLayer_initialization();
  std::string caption;
  {
    ScopedModalHook hook([&](TForm& f) {
      caption = StringToUtf8(f.Caption());
      PressButton(f, u"Yes");
    });
    EXPECT_EQ(MessageBoxW(nullptr, u"Delete?", u"Files", MB_YESNO | MB_ICONQUESTION), IDYES);
  }
  EXPECT_EQ(caption, "Files");
  VisualLayer_Finalization();
  EXPECT_FALSE(static_cast<bool>(GetMessageBoxHandler()));
  // A handler the host installed in between stays.
  VisualLayer_initialization();
  SetMessageBoxHandler([](const String&, const String&, Cardinal) { return IDOK; });
  VisualLayer_Finalization();
  EXPECT_TRUE(static_cast<bool>(GetMessageBoxHandler()));
  SetMessageBoxHandler(saved);
}

TEST(Layer_hooks, ClearKeyboardBufferDropsTheWindowsTypedAheadKeys) {
  TestApplication();
  Layer_hooks_initialization();
  TForm form(nullptr);
  auto* button = new TButton(&form);
  button->SetParent(&form);
  int keys = 0;
  button->OnKeyDown = [&](TObject*, Word&, TShiftState) { ++keys; };
  for (int i = 0; i < 4; ++i)
    QCoreApplication::postEvent(button->Widget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier));
  Word key = VK_RETURN;
  ClearKeyboardBuffer(form.Handle(), key);
  QCoreApplication::processEvents();
  EXPECT_EQ(key, 0);
  EXPECT_EQ(keys, 0);
  Layer_hooks_Finalization();
}

TEST(Basic_processesStyleColours, PlainTextTakesTheThemesWindowColours) {
  TestApplication();
  const QPalette saved = QApplication::palette();
  QPalette p = saved;
  p.setColor(QPalette::Base, QColor(10, 20, 30));
  p.setColor(QPalette::Text, QColor(200, 210, 220));
  QApplication::setPalette(p);
  QCoreApplication::processEvents();
  EXPECT_EQ(StyleServices().GetSystemColor(clWindow), 0x1E140A);
  EXPECT_EQ(StyleServices().GetSystemColor(0x123456), 0x123456);
  EXPECT_TRUE(StyleServices().Enabled());
  const TColourFontRec rec = GetDefaultExtraFontRec();
  EXPECT_EQ(rec.BrushColour, 0x1E140A);
  EXPECT_EQ(rec.FontColour, 0xDCD2C8);
  QApplication::setPalette(saved);
  QCoreApplication::processEvents();
  ResetSysColors();
}

TEST(My_string_functions_positionsOnACanvas, TextIsMeasuredWithTheCanvasFont) {
  TestApplication();
  TCanvas canvas;
  canvas.Font().SetSize(20);
  const TTextMeasureProc measure = TextMeasureProcOf<TTextExtentRec>(canvas);
  EXPECT_EQ(TextWidthOfString(measure, u"concordance"), canvas.TextWidth(u"concordance"));
  EXPECT_EQ(TextSizeOfString(measure, u"x").cy, canvas.TextHeight(u"x"));
}

}  // namespace
}  // namespace sk
