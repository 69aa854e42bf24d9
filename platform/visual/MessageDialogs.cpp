#include "platform/visual/MessageDialogs.h"

#include <unicode/ubrk.h>
#include <QtCore/QMimeData>
#include <QtGui/QFontMetricsF>
#include <QtGui/QGuiApplication>
#include <QtGui/QIcon>
#include <QtGui/QKeyEvent>
#include <QtGui/QScreen>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>
#include <QtWidgets/QApplication>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QStyle>

#include <algorithm>

#include "platform/runtime/Dialogs.h"
#include "platform/visual/Graphics_shaping.h"
#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"
#include "platform/visual/StandardControls.h"
#include "platform/visual/VisualConsts.h"

namespace sk {

namespace {

const TResStringRec* const kButtonCaptions[MsgDlgBtnCount] = {
    &_SKButtonYes,   &_SKButtonNo,  &_SKButtonOK,      &_SKButtonCancel,   &_SKButtonAbort, &_SKButtonRetry,
    &_SKButtonIgnore, &_SKButtonAll, &_SKButtonNoToAll, &_SKButtonYesToAll, &_SKButtonHelp,  &_SKButtonClose,
};

const TModalResult kButtonResults[MsgDlgBtnCount] = {mrYes, mrNo,      mrOk,       mrCancel, mrAbort, mrRetry,
                                                     mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone,  mrClose};

Int32 MulDiv(Int32 a, Int32 b, Int32 c) { return c == 0 ? 0 : static_cast<Int32>((static_cast<long long>(a) * b + c / 2) / c); }

// A message dialog: Escape and the close box end it with mrCancel whatever
// its buttons.
class TMessageForm : public TForm {
 public:
  explicit TMessageForm(TComponent* owner) : TForm(owner) {}
  bool DialogKey(Word key, TShiftState shift) override {
    if (key == VK_ESCAPE) {
      SetModalResult(mrCancel);
      return true;
    }
    return TForm::DialogKey(key, shift);
  }

 protected:
  // A dialog whose buttons hold no default opens with the focus on its first
  // button, where Return and Space answer it, and not in the box of a tall
  // message, a Tab stop that comes before the buttons but answers nothing.
  void DoShow() override {
    if (ActiveControl() == nullptr)
      for (Int32 i = 0; i < ComponentCount(); ++i)
        if (auto* b = dynamic_cast<TButton*>(Components(i)); b != nullptr && b->CanFocus()) {
          b->SetFocus();
          break;
        }
    TForm::DoShow();
  }
};

QIcon TypeIcon(TMsgDlgType type) {
  QStyle* style = QApplication::style();
  if (style == nullptr) return QIcon();
  switch (type) {
    case mtWarning: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case mtError: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case mtInformation: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case mtConfirmation: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    default: return QIcon();
  }
}

Int32 ScreenWidth() {
  if (QScreen* s = QGuiApplication::primaryScreen()) return s->geometry().width();
  return 800;
}

Int32 ScreenHeight() {
  if (QScreen* s = QGuiApplication::primaryScreen()) return s->geometry().height();
  return 600;
}

// The room a dialog's client area has on the screen, beside its frame.
constexpr Int32 kFrameRoom = 48;

// What the box of a text that scrolls needs beside its widest line: its
// lines are laid out to whole pixels, with room for a cursor after each.
constexpr Int32 kScrollingTextSlack = 2;

// The text a box that scrolls lays out for a message: its line ends made
// "\n", and a zero-width space at each place to break that follows no blank
// (between words of Thai or Khmer, after a hyphen; not after a soft hyphen,
// whose hyphen shows only at a line's end) and after each cluster of
// a run that has no place to break and is wider than a line (a key, a blob of
// encoded text), so that the box breaks every line at a cost near the line's
// length: where it finds no place to break, it seeks one up to the run's end
// again for every line it breaks off the run, and it knows the words of few
// scripts written without blanks. inserted marks the spaces added.
struct TLaidOutText {
  QString text;
  std::vector<bool> inserted;
};

TLaidOutText LaidOutText(const String& msg, const QFont& font, Int32 lineWidth) {
  QString plain;
  plain.reserve(static_cast<qsizetype>(msg.size()));
  for (size_t i = 0; i < msg.size(); ++i) {
    if (msg[i] == u'\r') {
      plain += QLatin1Char('\n');
      if (i + 1 < msg.size() && msg[i + 1] == u'\n') ++i;
    } else {
      plain += QChar(msg[i]);
    }
  }
  TLaidOutText out;
  out.text.reserve(plain.size());
  const QFontMetricsF metrics(font);
  // The places to break and the clusters are ICU's, which finds them (those
  // of Thai too) in a time near the text's length.
  auto open = [&plain](UBreakIteratorType kind) -> UBreakIterator* {
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator* it =
        ubrk_open(kind, "", reinterpret_cast<const UChar*>(plain.utf16()), static_cast<int32_t>(plain.size()), &status);
    return U_SUCCESS(status) ? it : nullptr;
  };
  // No space after a virama, which joins the consonants about it, nor after
  // a soft hyphen, which the box breaks after itself and draws as a hyphen
  // only at the end of a line, which an added space would take from it.
  auto spaceMayFollow = [](QChar c) { return c.combiningClass() != 9 && c != QChar::SoftHyphen; };
  UBreakIterator* lines = open(UBRK_LINE);
  UBreakIterator* clusters = open(UBRK_CHARACTER);
  qsizetype from = 0;
  while (from < plain.size()) {
    qsizetype to = lines != nullptr ? ubrk_following(lines, static_cast<int32_t>(from)) : plain.size();
    if (to <= from || to > plain.size()) to = plain.size();
    // Wider than a line (the head of a long run tells at once). A run of up
    // to 64 units costs the box little to seek through, and is left as it is.
    bool wide = false;
    if (to - from > 64) {
      const qsizetype head = std::min<qsizetype>(to - from, 4096);
      wide = metrics.horizontalAdvance(plain.mid(from, head)) > lineWidth;
      if (!wide && head < to - from) wide = metrics.horizontalAdvance(plain.mid(from, to - from)) > lineWidth;
    }
    if (from > 0 && !plain[from - 1].isSpace() && spaceMayFollow(plain[from - 1])) {
      out.text += QChar(0x200B);
      out.inserted.push_back(true);
    }
    qsizetype next = wide ? from : to;
    for (qsizetype i = from; i < to; ++i) {
      out.text += plain[i];
      out.inserted.push_back(false);
      if (!wide || i + 1 >= to) continue;
      if (next <= i) next = clusters != nullptr ? ubrk_following(clusters, static_cast<int32_t>(i)) : i + 1;
      if (next == i + 1 && spaceMayFollow(plain[i])) {
        out.text += QChar(0x200B);
        out.inserted.push_back(true);
      }
    }
    from = to;
  }
  if (lines != nullptr) ubrk_close(lines);
  if (clusters != nullptr) ubrk_close(clusters);
  return out;
}

// A text too tall for the screen, shown in a read-only box that scrolls
// vertically. The box wraps the message for its view: at blanks, where the
// script allows, and anywhere inside a run too long for a line, so that the
// whole of every line can be seen; what is selected in it and copied (Ctrl+C,
// a drag) is the message's own text, with "\n" for its line ends. It looks
// like the dialog's label: no frame, no margin, the dialog's background.
class TScrollingText : public TWinControl {
  class TBox : public TBridgedWidget<QPlainTextEdit> {
   public:
    using TBridgedWidget::TBridgedWidget;
    TLaidOutText shown;

   protected:
    // Up and Down alone scroll the view by a line at once, as a reader's view
    // does, and the caret goes with it, keeping its place on the screen (and
    // so in view, where Shift and the arrows select from it).
    void keyPressEvent(QKeyEvent* e) override {
      const bool byLine = e->modifiers() == Qt::NoModifier && (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down);
      const int before = cursorRect().top();
      TBridgedWidget::keyPressEvent(e);
      if (!byLine) return;
      const int moved = cursorRect().top() - before;
      if (moved != 0)
        verticalScrollBar()->triggerAction(moved > 0 ? QAbstractSlider::SliderSingleStepAdd
                                                     : QAbstractSlider::SliderSingleStepSub);
    }
    // The selection as the message holds it: without the spaces added, and
    // with its no-break spaces, which the editor's own copy makes blanks.
    QMimeData* createMimeDataFromSelection() const override {
      const QTextCursor cursor = textCursor();
      QString text;
      const auto end = std::min<qsizetype>(cursor.selectionEnd(), shown.text.size());
      for (qsizetype i = std::max(0, cursor.selectionStart()); i < end; ++i)
        if (!shown.inserted[static_cast<size_t>(i)]) text += shown.text[i];
      auto* data = new QMimeData;
      data->setText(text);
      return data;
    }
  };

 public:
  TScrollingText(TComponent* owner, const String& text, const QFont& font, Int32 lineWidth)
      : TWinControl(owner, [](TControl* c) -> QWidget* { return new TBox(c); }) {
    auto* box = static_cast<TBox*>(Widget());
    box->setFont(font);
    box->setFrameShape(QFrame::NoFrame);
    box->document()->setDocumentMargin(0);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Tabs stop every eight blanks, as the dialog measured them.
    box->setTabStopDistance(8 * QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')));
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setReadOnly(true);
    box->setUndoRedoEnabled(false);
    // Tab and a click give it the keys, so that a reader without a mouse
    // scrolls it (the page keys, the arrows, Ctrl+Home and Ctrl+End) and
    // selects and copies in it; Tab goes on to the next control, and Return
    // and Escape, which it leaves unused, answer the dialog.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setFocusPolicy(Qt::StrongFocus);
    box->setTabChangesFocus(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
    box->shown = LaidOutText(text, font, lineWidth);
    box->setPlainText(box->shown.text);
  }
  ~TScrollingText() override { Destroying(); }
};

Int32 ScrollBarWidth() {
  QStyle* style = QApplication::style();
  return style != nullptr ? style->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
}

// Buttons of the given widths in rows no wider than room (a button wider
// than room has a row of its own): the buttons of each row, in order.
std::vector<std::vector<size_t>> ButtonRows(const std::vector<Int32>& widths, Int32 spacing, Int32 room) {
  std::vector<std::vector<size_t>> rows;
  Int32 used = 0;
  for (size_t i = 0; i < widths.size(); ++i) {
    if (rows.empty() || (used > 0 && used + spacing + widths[i] > room)) {
      rows.emplace_back();
      used = 0;
    }
    used += (used > 0 ? spacing : 0) + widths[i];
    rows.back().push_back(i);
  }
  return rows;
}

Int32 RowWidth(const std::vector<size_t>& row, const std::vector<Int32>& widths, Int32 spacing) {
  Int32 w = 0;
  for (size_t i : row) w += widths[i];
  return w + std::max<Int32>(0, static_cast<Int32>(row.size()) - 1) * spacing;
}

String WithoutAccelerators(const String& s) {
  String r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&' && i + 1 < s.size()) {
      ++i;
    }
    r += s[i];
  }
  return r;
}

// Dialog units of the form's font: the average character width and the
// character height.
struct TDialogUnits {
  Int32 x, y;
};

TDialogUnits UnitsOf(TCanvas& canvas) {
  static const String kAlphabet = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const TSize size = canvas.TextExtent(kAlphabet);
  return TDialogUnits{std::max(1, (size.cx / 26 + 1) / 2), std::max(1, size.cy)};
}

// The width of a row of buttons of one width.
Int32 ButtonRowWidth(Int32 count, Int32 width, Int32 spacing) { return count * width + std::max(0, count - 1) * spacing; }

TMsgDlgType TypeOfBoxFlags(Cardinal flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: return mtError;
    case MB_ICONQUESTION: return mtConfirmation;
    case MB_ICONWARNING: return mtWarning;
    case MB_ICONINFORMATION: return mtInformation;
    default: return mtCustom;
  }
}

}  // namespace

String MsgDlgButtonName(TMsgDlgBtn b) {
  static const char16_t* const names[MsgDlgBtnCount] = {u"Yes",     u"No",       u"OK",   u"Cancel",
                                                        u"Abort",   u"Retry",    u"Ignore", u"All",
                                                        u"NoToAll", u"YesToAll", u"Help", u"Close"};
  return b < MsgDlgBtnCount ? String(names[b]) : String();
}

TModalResult MsgDlgButtonResult(TMsgDlgBtn b) { return b < MsgDlgBtnCount ? kButtonResults[b] : mrNone; }

TMsgDlgBtn DefaultMsgDlgButton(TMsgDlgButtons buttons) {
  if (buttons.Contains(mbOK)) return mbOK;
  if (buttons.Contains(mbYes)) return mbYes;
  return mbRetry;
}

String MsgDlgCaption(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return LoadResString(&_SKCaptionWarning);
    case mtError: return LoadResString(&_SKCaptionError);
    case mtInformation: return LoadResString(&_SKCaptionInformation);
    case mtConfirmation: return LoadResString(&_SKCaptionConfirm);
    default: return Application().Title();
  }
}

std::unique_ptr<TForm> CreateMessageDialog(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
  return CreateMessageDialog(msg, type, buttons, DefaultMsgDlgButton(buttons));
}

std::unique_ptr<TForm> CreateMessageDialog(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                                           TMsgDlgBtn defaultButton) {
  RequireApplication("A message dialog");
  auto form = std::make_unique<TMessageForm>(nullptr);
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poScreenCenter);
  form->SetText(MsgDlgCaption(type));
  TCanvas& canvas = form->Canvas();
  canvas.Font().Assign(form->Font());
  const TDialogUnits du = UnitsOf(canvas);
  const Int32 horzMargin = MulDiv(8, du.x, 4), vertMargin = MulDiv(8, du.y, 8);
  const Int32 horzSpacing = MulDiv(10, du.x, 4), vertSpacing = MulDiv(10, du.y, 8);
  const Int32 buttonSpacing = MulDiv(4, du.x, 4), buttonHeight = MulDiv(14, du.y, 8);
  Int32 buttonWidth = MulDiv(50, du.x, 4);
  Int32 buttonCount = 0;
  for (Int32 b = 0; b < MsgDlgBtnCount; ++b) {
    if (!buttons.Contains(static_cast<TMsgDlgBtn>(b))) continue;
    ++buttonCount;
    const Int32 w = canvas.TextWidth(WithoutAccelerators(LoadResString(kButtonCaptions[b]))) + 2 * horzMargin;
    buttonWidth = std::max(buttonWidth, w);
  }
  // The buttons go in rows as wide as the screen allows.
  const std::vector<std::vector<size_t>> rows = ButtonRows(
      std::vector<Int32>(static_cast<size_t>(buttonCount), buttonWidth), buttonSpacing,
      std::max(buttonWidth, ScreenWidth() - kFrameRoom - 2 * horzMargin));
  const auto rowCount = static_cast<Int32>(std::max<size_t>(rows.size(), 1));
  const Int32 buttonsHeight = rowCount * buttonHeight + (rowCount - 1) * buttonSpacing;
  // The text wraps at half the screen's width, in the lines the label draws
  // (DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX | DT_BREAKWITHINWORDS):
  // lines break inside words too, so that a text without blanks (Chinese,
  // Japanese, Thai, a long path) keeps to that width. A text taller than the
  // screen leaves room for scrolls; its box wraps the text as widely.
  const QFont& font = canvas.Font().QtFont();
  Int32 linesWidth = 0;  // the widest line
  const std::vector<String> lines = WordWrapped(font, ExpandTabs(msg.empty() ? String(u" ") : msg),
                                                std::max(ScreenWidth() / 2, 200), SIZE_MAX, true, &linesWidth);
  TRect textRect{0, 0, linesWidth, canvas.TextHeight(msg) * static_cast<Int32>(lines.size())};
  const Int32 textRoom = std::max(3 * du.y, ScreenHeight() - kFrameRoom - 2 * vertMargin - vertSpacing - buttonsHeight);
  const bool scrolls = textRect.Bottom > textRoom;
  if (scrolls) textRect = TRect{0, 0, linesWidth + kScrollingTextSlack + ScrollBarWidth(), textRoom};
  const Int32 iconSize = type == mtCustom ? 0 : 32;
  const Int32 textLeft = horzMargin + (iconSize > 0 ? iconSize + horzSpacing : 0);
  const Int32 contentWidth = textLeft - horzMargin + textRect.Right;
  Int32 rowWidth = 0;
  for (const auto& row : rows) rowWidth = std::max(rowWidth, ButtonRowWidth(static_cast<Int32>(row.size()), buttonWidth, buttonSpacing));
  const Int32 clientWidth = std::max(contentWidth, rowWidth) + 2 * horzMargin;
  const Int32 contentHeight = std::max(iconSize, textRect.Bottom);
  const Int32 clientHeight = vertMargin + contentHeight + vertSpacing + buttonsHeight + vertMargin;
  form->SetClientWidth(clientWidth);
  form->SetClientHeight(clientHeight);

  if (iconSize > 0) {
    auto* image = new TImage(form.get());
    image->SetName(u"Image");
    image->SetParent(form.get());
    image->Picture().Icon().SetQtIcon(TypeIcon(type));
    image->SetStretch(true);
    image->SetBounds(horzMargin, vertMargin, iconSize, iconSize);
  }
  auto* label = new TLabel(form.get());
  label->SetName(u"Message");
  label->SetParent(form.get());
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  label->SetBreakWithinWords(true);
  label->SetShowAccelChar(false);
  label->SetCaption(msg);
  label->SetBiDiMode(form->BiDiMode());
  label->SetBounds(textLeft, vertMargin, textRect.Right, textRect.Bottom);
  if (scrolls) {
    // The label keeps the text for whoever reads it; the box shows it.
    label->SetVisible(false);
    auto* box = new TScrollingText(form.get(), msg, font, linesWidth);
    box->SetName(u"MessageText");
    box->SetParent(form.get());
    box->SetBounds(textLeft, vertMargin, textRect.Right, textRect.Bottom);
  }

  const TMsgDlgBtn cancelButton = buttons.Contains(mbCancel) ? mbCancel : buttons.Contains(mbNo) ? mbNo : mbOK;
  Int32 x = 0, y = vertMargin + contentHeight + vertSpacing;
  size_t row = 0, inRow = 0;
  for (Int32 k = 0; k < MsgDlgBtnCount; ++k) {
    const auto b = static_cast<TMsgDlgBtn>(k);
    if (!buttons.Contains(b)) continue;
    if (inRow == 0)
      x = (clientWidth - ButtonRowWidth(static_cast<Int32>(rows[row].size()), buttonWidth, buttonSpacing)) / 2;
    auto* button = new TButton(form.get());
    button->SetName(MsgDlgButtonName(b));
    button->SetParent(form.get());
    button->SetCaption(LoadResString(kButtonCaptions[k]));
    button->SetModalResult(kButtonResults[k]);
    if (b == defaultButton) {
      button->SetDefault(true);
      form->SetActiveControl(button);
    }
    if (b == cancelButton) button->SetCancel(true);
    button->SetBounds(x, y, buttonWidth, buttonHeight);
    x += buttonWidth + buttonSpacing;
    if (++inRow == rows[row].size() && row + 1 < rows.size()) {
      ++row;
      inRow = 0;
      y += buttonHeight + buttonSpacing;
    }
  }
  return form;
}

Int32 MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons, Int32 helpCtx) {
  return MessageDlg(msg, type, buttons, helpCtx, DefaultMsgDlgButton(buttons));
}

Int32 MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons, Int32 helpCtx, TMsgDlgBtn defaultButton) {
  (void)helpCtx;
  if (!ApplicationExists()) {
    // The nearest plain message box; its answers are the same numbers.
    Cardinal flags = MB_OK;
    std::vector<TMsgDlgBtn> order;
    if (buttons.Contains(mbYes) && buttons.Contains(mbNo) && buttons.Contains(mbCancel)) {
      flags = MB_YESNOCANCEL;
      order = {mbYes, mbNo, mbCancel};
    } else if (buttons.Contains(mbYes) && buttons.Contains(mbNo)) {
      flags = MB_YESNO;
      order = {mbYes, mbNo};
    } else if (buttons.Contains(mbAbort) && buttons.Contains(mbRetry) && buttons.Contains(mbIgnore)) {
      flags = MB_ABORTRETRYIGNORE;
      order = {mbAbort, mbRetry, mbIgnore};
    } else if (buttons.Contains(mbRetry) && buttons.Contains(mbCancel)) {
      flags = MB_RETRYCANCEL;
      order = {mbRetry, mbCancel};
    } else if (buttons.Contains(mbCancel)) {
      flags = MB_OKCANCEL;
      order = {mbOK, mbCancel};
    } else {
      order = {mbOK};
    }
    for (size_t i = 0; i < order.size() && i < 3; ++i)
      if (order[i] == defaultButton) flags |= static_cast<Cardinal>(i) << 8;
    switch (type) {
      case mtWarning: flags |= MB_ICONWARNING; break;
      case mtError: flags |= MB_ICONERROR; break;
      case mtInformation: flags |= MB_ICONINFORMATION; break;
      case mtConfirmation: flags |= MB_ICONQUESTION; break;
      default: break;
    }
    return MessageBoxW(nullptr, msg, MsgDlgCaption(type), flags);
  }
  std::unique_ptr<TForm> dlg = CreateMessageDialog(msg, type, buttons, defaultButton);
  return dlg->ShowModal();
}

Int32 VisualMessageBox(const String& text, const String& caption, Cardinal flags) {
  if (!ApplicationExists()) return UnattendedMessageBox(text, caption, flags);
  TMsgDlgButtons buttons;
  std::vector<TMsgDlgBtn> order;
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: order = {mbOK, mbCancel}; break;
    case MB_ABORTRETRYIGNORE: order = {mbAbort, mbRetry, mbIgnore}; break;
    case MB_YESNOCANCEL: order = {mbYes, mbNo, mbCancel}; break;
    case MB_YESNO: order = {mbYes, mbNo}; break;
    case MB_RETRYCANCEL: order = {mbRetry, mbCancel}; break;
    default: order = {mbOK}; break;
  }
  for (TMsgDlgBtn b : order) buttons.Include(b);
  const size_t defaultIndex = (flags >> 8) & 0x3;
  const TMsgDlgBtn defaultButton = defaultIndex < order.size() ? order[defaultIndex] : order.front();
  std::unique_ptr<TForm> dlg = CreateMessageDialog(text, TypeOfBoxFlags(flags), buttons, defaultButton);
  dlg->SetText(caption.empty() ? LoadResString(&_SKCaptionError) : caption);
  const TModalResult r = dlg->ShowModal();
  // The box's answers carry the same numbers as the modal results; a box
  // closed without a button is cancelled, or confirmed when OK is all it has.
  if (r == mrCancel && !buttons.Contains(mbCancel)) return order.size() == 1 ? IDOK : IDCANCEL;
  return r;
}

// ---------------------------------------------------------------------------

TTaskDialog::TTaskDialog(TComponent* owner)
    : TComponent(owner),
      Flags(TaskDialogFlag(tfAllowDialogCancellation)),
      CommonButtons(static_cast<TTaskDialogCommonButtons>(TaskDialogCommonButton(tcbOk) | TaskDialogCommonButton(tcbCancel))) {}

TTaskDialog::~TTaskDialog() { Destroying(); }

TIcon& TTaskDialog::CustomMainIcon() {
  if (!fIcon) fIcon = std::make_unique<TIcon>();
  return *fIcon;
}

TTaskDialogButtonItem& TTaskDialog::AddButton(const String& caption) {
  fButtons.push_back(TTaskDialogButtonItem{caption, 100 + static_cast<TModalResult>(fButtons.size())});
  return fButtons.back();
}

const TTaskDialogButtonItem& TTaskDialog::Buttons(Int32 index) const {
  if (index < 0 || index >= ButtonCount()) RaiseListIndexError(index);
  return fButtons[static_cast<size_t>(index)];
}

Int32 TTaskDialog::PressedButton() const {
  const Int32 k = fModalResult - 100;
  return k >= 0 && k < ButtonCount() ? k : -1;
}

bool TTaskDialog::Execute() {
  fModalResult = mrNone;
  if (!ApplicationExists()) return false;
  auto* ownerForm = dynamic_cast<TForm*>(Owner());
  std::unique_ptr<TForm> form(new TMessageForm(ownerForm));
  form->SetBorderStyle(bsDialog);
  form->SetPosition(ownerForm != nullptr ? poOwnerFormCenter : poScreenCenter);
  form->SetText(Caption.empty() ? Application().Title() : Caption);
  TCanvas& canvas = form->Canvas();
  canvas.Font().Assign(form->Font());
  const TDialogUnits du = UnitsOf(canvas);
  const Int32 margin = MulDiv(8, du.x, 4), spacing = MulDiv(6, du.y, 8);
  const Int32 buttonHeight = MulDiv(14, du.y, 8), buttonSpacing = MulDiv(4, du.x, 4);

  struct TPlannedButton {
    String name, caption;
    TModalResult result;
    Int32 width;
  };
  std::vector<TPlannedButton> planned;
  for (size_t i = 0; i < fButtons.size(); ++i)
    planned.push_back({u"Button" + Utf8ToString(std::to_string(i + 1)), fButtons[i].Caption, fButtons[i].ModalResult, 0});
  const struct {
    TTaskDialogCommonButton b;
    const char16_t* name;
    const TResStringRec* caption;
    TModalResult result;
  } common[] = {{tcbOk, u"OK", &_SKButtonOK, mrOk},         {tcbYes, u"Yes", &_SKButtonYes, mrYes},
                {tcbNo, u"No", &_SKButtonNo, mrNo},         {tcbCancel, u"Cancel", &_SKButtonCancel, mrCancel},
                {tcbRetry, u"Retry", &_SKButtonRetry, mrRetry}, {tcbClose, u"Close", &_SKButtonClose, mrClose}};
  if (fButtons.empty())
    for (const auto& c : common)
      if (CommonButtons & TaskDialogCommonButton(c.b)) planned.push_back({c.name, LoadResString(c.caption), c.result, 0});
  // The buttons go in rows as wide as the screen allows, each no wider than
  // a row; when the rows would be taller than the screen, every button
  // takes the least width, so that more go in a row.
  const Int32 room = std::max(MulDiv(50, du.x, 4), ScreenWidth() - kFrameRoom - 2 * margin);
  std::vector<Int32> widths;
  for (TPlannedButton& p : planned) {
    p.width = std::min(room, std::max(MulDiv(50, du.x, 4), canvas.TextWidth(WithoutAccelerators(p.caption)) + 2 * margin));
    widths.push_back(p.width);
  }
  std::vector<std::vector<size_t>> rows = ButtonRows(widths, buttonSpacing, room);
  auto rowsHeight = [&] {
    const auto n = static_cast<Int32>(rows.size());
    return n * buttonHeight + std::max(0, n - 1) * buttonSpacing;
  };
  if (rowsHeight() > ScreenHeight() - kFrameRoom - 2 * margin - 6 * du.y) {
    for (TPlannedButton& p : planned) p.width = MulDiv(50, du.x, 4);
    std::fill(widths.begin(), widths.end(), MulDiv(50, du.x, 4));
    rows = ButtonRows(widths, buttonSpacing, room);
  }
  Int32 rowWidth = 0;
  for (const auto& row : rows) rowWidth = std::max(rowWidth, RowWidth(row, widths, buttonSpacing));

  const bool withIcon = (Flags & TaskDialogFlag(tfUseHiconMain)) && fIcon && !fIcon->QtIcon().isNull();
  const Int32 iconSize = withIcon ? 32 : 0;
  const Int32 textLeft = margin + (withIcon ? iconSize + margin : 0);
  const Int32 textWidthLimit = std::max(ScreenWidth() / 2, 200);
  Int32 y = margin;
  Int32 textRight = textLeft;
  auto addLabel = [&](const String& name, const String& text, bool bold) {
    if (text.empty()) return;
    auto* label = new TLabel(form.get());
    label->SetName(name);
    label->SetParent(form.get());
    if (bold) label->Font().SetStyle(static_cast<TFontStyles>(1u << fsBold));
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetBreakWithinWords(true);
    label->SetShowAccelChar(false);
    canvas.Font().Assign(label->Font());
    TRect r{0, 0, textWidthLimit, 0};
    canvas.DrawText(text, r, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT | DT_BREAKWITHINWORDS);
    label->SetCaption(text);
    label->SetBounds(textLeft, y, r.Right, r.Bottom);
    y += r.Bottom + spacing;
    textRight = std::max(textRight, textLeft + r.Right);
  };
  addLabel(u"Title", Title, true);
  addLabel(u"Text", Text, false);
  if (withIcon) {
    auto* image = new TImage(form.get());
    image->SetName(u"Image");
    image->SetParent(form.get());
    image->Picture().Icon().SetQtIcon(fIcon->QtIcon());
    image->SetStretch(true);
    image->SetBounds(margin, margin, iconSize, iconSize);
    y = std::max(y, margin + iconSize + spacing);
  }
  const Int32 clientWidth = std::max(textRight, rowWidth + margin) + margin;
  // Each row ends at the right margin.
  std::vector<Int32> left(planned.size()), top(planned.size());
  for (const auto& row : rows) {
    Int32 x = clientWidth - margin - RowWidth(row, widths, buttonSpacing);
    for (size_t i : row) {
      left[i] = x;
      top[i] = y;
      x += widths[i] + buttonSpacing;
    }
    if (&row != &rows.back()) y += buttonHeight + buttonSpacing;
  }
  for (const TPlannedButton& p : planned) {
    const auto i = static_cast<size_t>(&p - planned.data());
    auto* button = new TButton(form.get());
    button->SetName(p.name);
    button->SetParent(form.get());
    button->SetCaption(p.caption);
    button->SetModalResult(p.result);
    button->SetBounds(left[i], top[i], p.width, buttonHeight);
    if (&p == &planned.front()) {
      button->SetDefault(true);
      form->SetActiveControl(button);
    }
  }
  form->SetClientWidth(clientWidth);
  form->SetClientHeight(y + buttonHeight + margin);
  fModalResult = form->ShowModal();
  return true;
}

}  // namespace sk
