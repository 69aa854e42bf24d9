// Message dialogs: their components, names, order and results, the default
// and the Help button, the keys that cancel, the layout; the message-box
// handler built on them; the task dialog.
#include <gtest/gtest.h>

#include <QtGui/QClipboard>
#include <QtGui/QCloseEvent>
#include <QtGui/QFontMetrics>
#include <QtGui/QKeyEvent>
#include <QtGui/QTextBlock>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>
#include <QtGui/QTextLayout>
#include <QtTest/QTest>
#include <QtWidgets/QPlainTextEdit>
#include <utility>
#include <vector>

#include "VisualTestSupport.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/MessageDialogs.h"
#include "platform/visual/StandardControls.h"

namespace sk {
namespace {

const TMsgDlgBtn kAll[] = {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose};

std::vector<std::string> ComponentNames(TComponent& c) {
  std::vector<std::string> names;
  for (Int32 i = 0; i < c.ComponentCount(); ++i) names.push_back(StringToUtf8(c.Components(i)->Name()));
  return names;
}

TEST(CreateMessageDialogParts, ComponentsComeInThePlatformsOrderWithTheirNames) {
  TestApplication();
  TMsgDlgButtons every;
  for (TMsgDlgBtn b : kAll) every.Include(b);
  auto dlg = CreateMessageDialog(u"Everything?", mtConfirmation, every);
  EXPECT_EQ(ComponentNames(*dlg), (std::vector<std::string>{"Image", "Message", "Yes", "No", "OK", "Cancel", "Abort",
                                                            "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help",
                                                            "Close"}));
  EXPECT_EQ(dlg->Caption(), u"Confirm");
  const TModalResult results[] = {6, 7, 1, 2, 3, 4, 5, 12, 13, 14, 0, 8};
  for (size_t i = 0; i < std::size(kAll); ++i) {
    auto* b = dynamic_cast<TButton*>(dlg->FindComponent(MsgDlgButtonName(kAll[i])));
    ASSERT_NE(b, nullptr) << i;
    EXPECT_EQ(b->ModalResult(), results[i]) << StringToUtf8(b->Name());
    EXPECT_EQ(MsgDlgButtonResult(kAll[i]), results[i]);
    // OK is the default when no other is named.
    EXPECT_EQ(b->Default(), kAll[i] == mbOK) << StringToUtf8(b->Name());
  }
  EXPECT_EQ(dlg->ActiveControl(), dlg->FindComponent(u"OK"));
  struct {
    TMsgDlgType type;
    const char16_t* caption;
    bool image;
  } types[] = {{mtWarning, u"Warning", true},
               {mtError, u"Error", true},
               {mtInformation, u"Information", true},
               {mtCustom, nullptr, false}};
  for (const auto& t : types) {
    auto d = CreateMessageDialog(u"x", t.type, {mbOK});
    if (t.caption) {
      EXPECT_EQ(d->Caption(), t.caption);
    }
    EXPECT_EQ(d->FindComponent(u"Image") != nullptr, t.image);
  }
}

TEST(CreateMessageDialogParts, DefaultsAndTheirAbsence) {
  TestApplication();
  EXPECT_EQ(DefaultMsgDlgButton({mbOK, mbCancel}), mbOK);
  EXPECT_EQ(DefaultMsgDlgButton({mbYes, mbNo}), mbYes);
  EXPECT_EQ(DefaultMsgDlgButton({mbAbort, mbRetry, mbIgnore}), mbRetry);
  EXPECT_EQ(DefaultMsgDlgButton({mbCancel}), mbRetry);
  auto no = CreateMessageDialog(u"x", mtConfirmation, {mbYes, mbNo}, mbNo);
  EXPECT_TRUE(static_cast<TButton*>(no->FindComponent(u"No"))->Default());
  EXPECT_FALSE(static_cast<TButton*>(no->FindComponent(u"Yes"))->Default());
  // A default that is not one of the buttons: none is the default.
  auto none = CreateMessageDialog(u"x", mtError, {mbCancel}, mbRetry);
  EXPECT_FALSE(static_cast<TButton*>(none->FindComponent(u"Cancel"))->Default());
  EXPECT_EQ(none->ActiveControl(), nullptr);
}

TEST(CreateMessageDialogParts, TheTextKeepsItsCarriageReturnsAndBreaksThere) {
  TestApplication();
  auto one = CreateMessageDialog(u"line", mtInformation, {mbOK});
  auto two = CreateMessageDialog(u"line\rline", mtInformation, {mbOK});
  auto* label1 = static_cast<TLabel*>(one->FindComponent(u"Message"));
  auto* label2 = static_cast<TLabel*>(two->FindComponent(u"Message"));
  EXPECT_EQ(label2->Caption(), u"line\rline");
  EXPECT_EQ(label2->Height(), 2 * label1->Height());
  // "&" is shown as it is.
  auto amp = CreateMessageDialog(u"Find && Replace", mtInformation, {mbOK});
  EXPECT_FALSE(static_cast<TLabel*>(amp->FindComponent(u"Message"))->ShowAccelChar());
}

TEST(CreateMessageDialogParts, ControlsSitInsideTheClientAreaWithoutOverlapping) {
  TestApplication();
  auto dlg = CreateMessageDialog(u"A question with a longer text than the buttons are wide, to see it wrap?",
                                 mtConfirmation, {mbYes, mbNo, mbCancel, mbHelp});
  const TRect client = dlg->ClientRect();
  std::vector<TRect> buttons;
  for (Int32 i = 0; i < dlg->ControlCount(); ++i) {
    const TRect r = dlg->Controls(i)->BoundsRect();
    EXPECT_GE(r.Left, 0);
    EXPECT_GE(r.Top, 0);
    EXPECT_LE(r.Right, client.Right);
    EXPECT_LE(r.Bottom, client.Bottom);
    if (dynamic_cast<TButton*>(dlg->Controls(i))) buttons.push_back(r);
  }
  ASSERT_EQ(buttons.size(), 4u);
  for (size_t i = 1; i < buttons.size(); ++i) {
    EXPECT_GT(buttons[i].Left, buttons[i - 1].Right - 1);
    EXPECT_EQ(buttons[i].Top, buttons[0].Top);
  }
  // The row is centred.
  EXPECT_NEAR(buttons.front().Left, client.Right - buttons.back().Right, 1);
  const TRect image = dlg->FindComponent(u"Image") ? static_cast<TControl*>(dlg->FindComponent(u"Image"))->BoundsRect() : TRect{};
  const TRect text = static_cast<TControl*>(dlg->FindComponent(u"Message"))->BoundsRect();
  EXPECT_GT(text.Left, image.Right);
  EXPECT_LT(text.Bottom, buttons[0].Top);
}

// A text taller than the screen (800 pixels wide) scrolls in a box. Selected
// whole and copied with Ctrl+C, the box gives the message (line ends aside),
// and either half of it that half; every line it shows lies within its view;
// Return and Escape in it answer the dialog. Lists of paths and addresses that
// the dialog's measure breaks elsewhere, a tip with a key, runs with no place
// to break (letters, Arabic, Chinese, emoji, a path) first, between and last.
TEST(CreateMessageDialogParts, ATallTextCopiesAsItIsAndShowsEveryLineWithinTheView) {
  TestApplication();
  auto run = [](const String& unit, size_t n) {
    String s;
    while (s.size() < n) s += unit;
    return s.substr(0, n);
  };
  String lines, paths, addresses;
  for (int i = 0; i < 300; ++i) {
    lines += u"Line " + IntToStr(i) + u" of a long tip\r";
    paths +=
        u"\r/home/researcher/corpora/BNC_XML_edition/Texts/A/A" + IntToStr(i % 10) + u"/A" + IntToStr(i) + u"_text.xml";
    addresses += u"\r\nsite\thttps://corpora.example.org/collections/english/fiction?id=" + IntToStr(i) + u"&form=full";
  }
  const String key = run(u"QWxhZGRpbjpvcGVuIHNlc2FtZQ0123456789", 2000);
  const std::pair<TMsgDlgType, String> cases[] = {
      {mtWarning, u"Could not read these files:" + paths},
      {mtError, u"Could not reach:" + addresses},
      {mtInformation, lines + key + u"\r" + lines},
      {mtInformation, key + u"\r" + lines},
      {mtInformation, lines + run(u"\u0627\u0644\u0643\u0644\u0645\u0627\u062A", 2000)},
      {mtInformation, lines + run(u"/section_of_the_collected_texts", 2000) + u"\r" + lines},
      {mtInformation, lines + run(u"语料库语言学研究大量真实文本中的语言现象", 2000)},
      {mtInformation,
       lines + run(u"\U0001F469\u200D\U0001F4BB\U0001F1EC\U0001F1E7", 2000) + u"\r1\u00A0234\u00A0567\u200B8"},
      // Scripts mixed: Japanese with its punctuation, Chinese with English
      // words, Hindi (its viramas joining consonants) run on and in words, a flag.
      {mtInformation, lines + run(u"日本語のコーパス、「用例」。"
                                  u"语料库corpus语言 हिन्दी 🇯🇵",
                                  3000) + run(u"हिन्दीक्ष", 2000)},
  };
  for (size_t row = 0; row < std::size(cases); ++row) {
    const auto& [type, message] = cases[row];
    auto dlg = CreateMessageDialog(message, type, {mbOK, mbCancel, mbHelp});
    auto* box = dynamic_cast<TWinControl*>(dlg->FindComponent(u"MessageText"));
    ASSERT_NE(box, nullptr) << row;
    Rendered(*dlg);
    // What a click in the box makes the keys go to.
    QWidget* at = box->Widget()->childAt(box->Widget()->rect().center());
    while (at != box->Widget() && at->focusPolicy() == Qt::NoFocus) at = at->parentWidget();
    QTest::keyClick(at, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(at, Qt::Key_C, Qt::ControlModifier);
    const String text = StringReplace(StringReplace(message, u"\r\n", u"\n", rfReplaceAll), u"\r", u"\n", rfReplaceAll);
    EXPECT_TRUE(FromQString(QGuiApplication::clipboard()->text()) == text) << row;
    auto* edit = qobject_cast<QPlainTextEdit*>(box->Widget());
    if (edit == nullptr) continue;
    QTextCursor half(edit->document());
    half.setPosition(edit->document()->characterCount() / 2, QTextCursor::KeepAnchor);
    edit->setTextCursor(half);
    edit->copy();
    const String head = FromQString(QGuiApplication::clipboard()->text());
    half.setPosition(half.position());
    half.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    edit->setTextCursor(half);
    edit->copy();
    EXPECT_EQ(head + FromQString(QGuiApplication::clipboard()->text()), text) << row;
    int outside = 0;
    for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) {
      edit->document()->documentLayout()->blockBoundingRect(b);  // lays the block out
      for (int i = 0; i < b.layout()->lineCount(); ++i)
        outside += b.layout()->lineAt(i).x() < 0 ||
                   b.layout()->lineAt(i).x() + b.layout()->lineAt(i).naturalTextWidth() > edit->viewport()->width();
    }
    EXPECT_EQ(outside, 0) << row;
    for (const auto& [k, result] : {std::pair{Qt::Key_Return, mrOk}, std::pair{Qt::Key_Escape, mrCancel}}) {
      dlg->SetModalResult(mrNone);
      QTest::keyClick(at, k);
      EXPECT_EQ(dlg->ModalResult(), result) << row;
    }
  }
}

// A tall message of words with soft hyphens: lines of its box break at them,
// and the first such line ends with the hyphen drawn, as in the label.
TEST(CreateMessageDialogParts, ATallTextBrokenAtASoftHyphenDrawsTheHyphen) {
  TestApplication();
  String text;  // lines of words too long for a line of the box
  for (int i = 0; i < 150; ++i) text += u"Word " + DupeString(u"lis\u00ADten\u00ADsor\u00ADtie\u00ADrung\u00AD", 8) + u"en.\r";
  auto dlg = CreateMessageDialog(text, mtInformation, {mbOK});
  auto* edit = static_cast<QPlainTextEdit*>(static_cast<TControl*>(dlg->FindComponent(u"MessageText"))->Widget());
  Rendered(*dlg);
  std::vector<QTextCursor> atHyphen;
  for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) {
    edit->document()->documentLayout()->blockBoundingRect(b);  // lays the block out
    for (int i = 0; i < b.layout()->lineCount(); ++i) {
      const int last = b.layout()->lineAt(i).textStart() + b.layout()->lineAt(i).textLength() - 1;
      if (last >= 0 && b.text().at(last) == QChar::SoftHyphen) atHyphen.emplace_back(b).setPosition(b.position() + last);
    }
  }
  ASSERT_GE(atHyphen.size(), 150u);
  // Ink where the hyphen goes.
  const QImage shown = edit->viewport()->grab().toImage();
  const QRect spot = edit->cursorRect(atHyphen[0]).adjusted(1, 0, QFontMetrics(edit->font()).horizontalAdvance(u'-'), 0);
  int ink = 0;
  for (int y = spot.top(); y <= spot.bottom(); ++y)
    for (int x = spot.left(); x <= spot.right(); ++x) ink += qGray(shown.pixel(x, y)) < 128;
  EXPECT_GT(ink, 0);
}

TEST(MessageDlgAnswers, EveryButtonGivesItsResultAndHelpLeavesTheDialogOpen) {
  TestApplication();
  for (TMsgDlgBtn b : kAll) {
    if (b == mbHelp) continue;
    PressingHook pressing(MsgDlgButtonName(b));
    ScopedModalHook hook(pressing.Hook());
    TMsgDlgButtons buttons{b, mbHelp};
    EXPECT_EQ(MessageDlg(u"?", mtConfirmation, buttons, 0), MsgDlgButtonResult(b)) << StringToUtf8(MsgDlgButtonName(b));
  }
  int helped = 0;
  ScopedModalHook hook([&](TForm& f) {
    auto* help = static_cast<TButton*>(f.FindComponent(u"Help"));
    help->OnClick = [&](TObject* sender) {
      EXPECT_EQ(sender, help);
      ++helped;
    };
    PressButton(f, u"Help");
    EXPECT_TRUE(f.Modal());
    PressButton(f, u"Help");
    PressButton(f, u"OK");
  });
  EXPECT_EQ(MessageDlg(u"?", mtInformation, {mbOK, mbHelp}, 1234), mrOk);
  EXPECT_EQ(helped, 2);
}

TEST(MessageDlgAnswers, EscapeAndTheCloseBoxGiveCancelWhateverTheButtons) {
  TestApplication();
  {
    ScopedModalHook hook([](TForm& f) {
      QKeyEvent k(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(f.FindComponent(u"Yes") ? static_cast<TControl*>(f.FindComponent(u"Yes"))->Widget()
                                                      : f.Widget(),
                              &k);
    });
    EXPECT_EQ(MessageDlg(u"?", mtConfirmation, mbYesNo, 0), mrCancel);
  }
  {
    ScopedModalHook hook([](TForm& f) {
      QCloseEvent e;
      QApplication::sendEvent(f.Widget(), &e);
    });
    EXPECT_EQ(MessageDlg(u"?", mtConfirmation, mbYesNo, 0), mrCancel);
  }
  {
    // Return presses the default button.
    ScopedModalHook hook([](TForm& f) {
      QKeyEvent k(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
      QApplication::sendEvent(f.Widget(), &k);
    });
    EXPECT_EQ(MessageDlg(u"?", mtConfirmation, mbYesNo, 0, mbNo), mrNo);
  }
}

TEST(VisualMessageBoxAnswers, TheBoxFlagsBecomeADialogAndItsAnswersBoxAnswers) {
  TestApplication();
  struct Case {
    Cardinal flags;
    const char16_t* press;  // nullptr: the close box
    Int32 answer;
    std::vector<std::string> buttons;
    const char16_t* byDefault;
  } cases[] = {
      {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, u"Yes", IDYES, {"Yes", "No"}, u"No"},
      {MB_OKCANCEL | MB_ICONWARNING, u"Cancel", IDCANCEL, {"OK", "Cancel"}, u"OK"},
      {MB_ABORTRETRYIGNORE | MB_ICONERROR | MB_DEFBUTTON3, u"Ignore", IDIGNORE, {"Abort", "Retry", "Ignore"}, u"Ignore"},
      {MB_OK, nullptr, IDOK, {"OK"}, u"OK"},
      {MB_YESNO, nullptr, IDCANCEL, {"Yes", "No"}, u"Yes"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> seen;
    String defaultName;
    String caption;
    ScopedModalHook hook([&](TForm& f) {
      caption = f.Caption();
      for (Int32 i = 0; i < f.ComponentCount(); ++i)
        if (auto* b = dynamic_cast<TButton*>(f.Components(i))) {
          seen.push_back(StringToUtf8(b->Name()));
          if (b->Default()) defaultName = b->Name();
        }
      if (c.press != nullptr) {
        PressButton(f, c.press);
      } else {
        QCloseEvent e;
        QApplication::sendEvent(f.Widget(), &e);
      }
    });
    EXPECT_EQ(VisualMessageBox(u"text", u"Title", c.flags), c.answer) << c.flags;
    EXPECT_EQ(seen, c.buttons);
    EXPECT_EQ(defaultName, c.byDefault);
    EXPECT_EQ(caption, u"Title");
  }
}

TEST(TTaskDialogChoices, OneButtonPerOptionAndCancellingPressesNone) {
  TestApplication();
  TForm owner(nullptr);
  owner.SetBounds(0, 0, 600, 400);
  TTaskDialog task(&owner);
  task.Caption = u"Choose 1 of 3";
  task.Flags = TaskDialogFlag(tfUseHiconMain) | TaskDialogFlag(tfAllowDialogCancellation);
  EXPECT_EQ(task.Flags, 10u);
  task.CommonButtons = 0;
  for (const char16_t* o : {u"first", u"second", u"third"}) task.AddButton(o);
  EXPECT_EQ(task.Buttons(2).ModalResult, 102);
  std::vector<std::string> captions;
  ScopedModalHook hook([&](TForm& f) {
    EXPECT_EQ(f.Caption(), u"Choose 1 of 3");
    for (int i = 1; i <= 3; ++i)
      captions.push_back(StringToUtf8(
          static_cast<TButton*>(f.FindComponent(u"Button" + Utf8ToString(std::to_string(i))))->Caption()));
    EXPECT_EQ(f.FindComponent(u"OK"), nullptr);
    PressButton(f, u"Button2");
  });
  ASSERT_TRUE(task.Execute());
  EXPECT_EQ(task.PressedButton(), 1);
  EXPECT_EQ(captions, (std::vector<std::string>{"first", "second", "third"}));
  ScopedModalHook cancel([](TForm& f) {
    QKeyEvent k(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(f.Widget(), &k);
  });
  ASSERT_TRUE(task.Execute());
  EXPECT_EQ(task.ModalResult(), mrCancel);
  EXPECT_EQ(task.PressedButton(), -1);
  EXPECT_THROW(task.Buttons(3), EListError);
}

}  // namespace
}  // namespace sk
