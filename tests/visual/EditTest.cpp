// The one-line edit box: text set by code and typed by the user, the password
// character, the length limit and the selection.
#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QLineEdit>

#include "VisualTestSupport.h"
#include "platform/visual/Edits.h"
#include "platform/visual/StandardControls.h"

namespace sk {
namespace {

TEST(TEditText, TypedTextPasswordCharacterAndLimit) {
  TestApplication();
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  EXPECT_EQ(edit->Width(), 121);
  EXPECT_EQ(edit->Height(), 21);
  edit->SetText(u"abc");
  EXPECT_EQ(edit->GetText(), u"abc");
  edit->SelectAll();
  EXPECT_EQ(edit->SelText(), u"abc");

  auto* line = static_cast<QLineEdit*>(edit->Widget());
  ASSERT_NE(line, nullptr);
  edit->SetMaxLength(4);
  edit->SetText(String());
  for (QChar c : QStringLiteral("p\u00e4sswort")) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(line, &press);
  }
  EXPECT_EQ(edit->GetText(), u"päss") << "at most MaxLength characters";
  edit->SetMaxLength(0);
  EXPECT_EQ(line->maxLength(), 32767) << "0 means no limit";

  EXPECT_EQ(line->echoMode(), QLineEdit::Normal);
  edit->SetPasswordChar(u'*');
  EXPECT_EQ(edit->PasswordChar(), u'*');
  EXPECT_EQ(line->echoMode(), QLineEdit::Password);
  edit->SetText(u"ab");
  EXPECT_EQ(line->displayText(), QStringLiteral("**")) << "every character shows as the password character";
  EXPECT_EQ(edit->GetText(), u"ab");
  edit->SetPasswordChar(0);
  EXPECT_EQ(line->echoMode(), QLineEdit::Normal);
}

}  // namespace
}  // namespace sk
