#include "platform/visual/RichEdit.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QFile>
#include <QtGui/QAbstractTextDocumentLayout>
#include <QtGui/QFont>
#include <QtGui/QKeyEvent>
#include <QtGui/QTextBlock>
#include <QtGui/QTextCharFormat>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>
#include <QtGui/QTextFrame>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QTextEdit>
#include <algorithm>

#include "platform/visual/Controls.h"
#include "platform/visual/QtConvert.h"
#include "platform/visual/QtFiles.h"
#include "platform/visual/RtfWriter.h"

namespace sk {

namespace {

QTextCharFormat ToQtFormat(const TRichCharFormat& f) {
  QTextCharFormat q;
  if (f.BackColor != clNone && f.BackColor != clDefault) q.setBackground(ToQColor(f.BackColor));
  q.setForeground(ToQColor(f.Color));
  q.setFontWeight((f.Style >> fsBold) & 1u ? QFont::Bold : QFont::Normal);
  q.setFontItalic((f.Style >> fsItalic) & 1u);
  q.setFontUnderline((f.Style >> fsUnderline) & 1u);
  q.setFontStrikeOut((f.Style >> fsStrikeOut) & 1u);
  return q;
}

// Line breaks CR LF and CR as the document's LF.
QString PlainForDocument(const String& text) {
  String t;
  t.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      t += u'\n';
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      t += text[i];
    }
  }
  return ToQString(t);
}

Word KeyOf(const QKeyEvent* e) {
  const int k = e->key();
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<Word>('A' + (k - Qt::Key_A));
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<Word>('0' + (k - Qt::Key_0));
  switch (k) {
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    default: return 0;
  }
}

Word ShiftOfKey(const QKeyEvent* e) {
  Word s = 0;
  if (e->modifiers() & Qt::ShiftModifier) s |= ShiftBit(ssShift);
  if (e->modifiers() & Qt::ControlModifier) s |= ShiftBit(ssCtrl);
  if (e->modifiers() & Qt::AltModifier) s |= ShiftBit(ssAlt);
  return s;
}

}  // namespace

// The view: a read-only text edit on the rich edit's document that hands
// keys, wheel turns and scrolling to the rich edit's events.
class TRichEditView : public QTextEdit {
 public:
  explicit TRichEditView(TRichEdit* owner) : fOwner(owner) {
    setReadOnly(true);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, [this](int) {
      if (fOwner->OnVScroll) fOwner->OnVScroll(fOwner);
    });
  }

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    Word key = KeyOf(e);
    if (key != 0 && fOwner->OnKeyDown) {
      fOwner->OnKeyDown(fOwner, key, ShiftOfKey(e));
      if (key == 0) {
        e->accept();
        return;
      }
    }
    QTextEdit::keyPressEvent(e);
  }
  void wheelEvent(QWheelEvent* e) override {
    QTextEdit::wheelEvent(e);
    if (fOwner->OnMouseWheel) fOwner->OnMouseWheel(fOwner);
  }

 private:
  TRichEdit* fOwner;
};

struct TRichEdit::TEditBlock {
  QTextCursor cursor;
};

TRichEdit::TRichEdit() : fDocument(std::make_unique<QTextDocument>()) {
  fDocument->setUndoRedoEnabled(false);
  fDocument->setDefaultFont(QFont(ToQString(fFontName), fFontSize));
}

TRichEdit::~TRichEdit() {
  fEditBlock.reset();
  delete fWidget;
  fWidget = nullptr;
}

void TRichEdit::AppendText(const String& text, const TRichCharFormat& format) {
  if (text.empty()) return;
  QTextCursor cursor(fDocument.get());
  cursor.movePosition(QTextCursor::End);
  const QTextCharFormat q = ToQtFormat(format);
  // Paragraph breaks one by one, so that CR LF counts once.
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size();
    if (!end && text[i] != u'\r' && text[i] != u'\n') continue;
    if (i > start) cursor.insertText(ToQString(text.substr(start, i - start)), q);
    if (end) break;
    cursor.insertBlock(cursor.blockFormat(), q);
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
}

void TRichEdit::SetText(const String& text) {
  fDocument->setPlainText(PlainForDocument(text));
  fLineInserted = false;
  fDocument->setUndoRedoEnabled(false);
  fSelStart = 0;
  fSelLength = 0;
}

String TRichEdit::Text() const {
  String r;
  for (QTextBlock b = fDocument->begin(); b.isValid(); b = b.next()) {
    if (b != fDocument->begin()) r += u"\r\n";
    r += FromQString(b.text());
  }
  return r;
}

String TRichEdit::PlainText() const {
  String r;
  r.reserve(static_cast<size_t>(std::max(0, GetTextLen())));
  for (QTextBlock b = fDocument->begin(); b.isValid(); b = b.next()) {
    if (b != fDocument->begin()) r += u'\n';
    r += FromQString(b.text());
  }
  return r;
}

Int32 TRichEdit::GetTextLen() const { return static_cast<Int32>(fDocument->characterCount()) - 1; }

void TRichEdit::Clear() {
  fDocument->clear();
  fLineInserted = false;
  fDocument->setUndoRedoEnabled(false);
  fSelStart = 0;
  fSelLength = 0;
}

TRichCharFormat TRichEdit::FormatAt(Int32 pos) const {
  TRichCharFormat r;
  if (pos < 0 || pos >= GetTextLen()) return r;
  QTextCursor cursor(fDocument.get());
  // The cursor's format is that of the character before it.
  cursor.setPosition(pos + 1);
  const QTextCharFormat q = cursor.charFormat();
  if (q.hasProperty(QTextFormat::BackgroundBrush) && q.background().style() != Qt::NoBrush)
    r.BackColor = FromQColor(q.background().color());
  if (q.hasProperty(QTextFormat::ForegroundBrush)) r.Color = FromQColor(q.foreground().color());
  TFontStyles s = 0;
  if (q.fontWeight() >= QFont::Bold) s |= 1u << fsBold;
  if (q.fontItalic()) s |= 1u << fsItalic;
  if (q.fontUnderline()) s |= 1u << fsUnderline;
  if (q.fontStrikeOut()) s |= 1u << fsStrikeOut;
  r.Style = s;
  return r;
}

void TRichEdit::FontAt(Int32 pos, String& name, Int32& size) const {
  name = fFontName;
  size = fFontSize;
  if (pos < 0 || pos >= GetTextLen()) return;
  QTextCursor cursor(fDocument.get());
  cursor.setPosition(pos + 1);
  const QTextCharFormat q = cursor.charFormat();
  const QStringList families = q.fontFamilies().toStringList();
  if (!families.isEmpty()) name = FromQString(families.front());
  if (q.fontPointSize() > 0) size = static_cast<Int32>(q.fontPointSize() + 0.5);
}

// ---- lines ----

Int32 TRichEdit::LineCount() const { return fDocument->blockCount(); }

String TRichEdit::Line(Int32 i) const {
  if (i < 0 || i >= LineCount()) return String();
  return FromQString(fDocument->findBlockByNumber(i).text());
}

void TRichEdit::InsertLine(Int32 i, const String& text, const TRichCharFormat& format) {
  const QTextCharFormat q = ToQtFormat(format);
  QTextCursor cursor(fDocument.get());
  // Only a document with no line yet has its first line filled rather than a
  // paragraph added: an empty line inserted before is a line like any other.
  const bool empty = fDocument->isEmpty() && !fLineInserted;
  fLineInserted = true;
  if (i >= LineCount() || i < 0) {
    cursor.movePosition(QTextCursor::End);
    if (!empty) cursor.insertBlock(cursor.blockFormat(), q);
    cursor.insertText(PlainForDocument(text), q);
    return;
  }
  cursor.setPosition(fDocument->findBlockByNumber(i).position());
  cursor.insertText(PlainForDocument(text), q);
  if (!empty) cursor.insertBlock(cursor.blockFormat(), q);
}

Int32 TRichEdit::LineFromChar(Int32 pos) const {
  pos = std::clamp(pos, 0, std::max(0, GetTextLen()));
  return fDocument->findBlock(pos).blockNumber();
}

Int32 TRichEdit::LineIndex(Int32 i) const {
  if (i < 0 || i >= LineCount()) return -1;
  return fDocument->findBlockByNumber(i).position();
}

// ---- selection ----

void TRichEdit::SetSel(Int32 start, Int32 length) {
  const Int32 len = std::max(0, GetTextLen());
  fSelStart = std::clamp(start, 0, len);
  fSelLength = std::clamp(length, 0, len - fSelStart);
}

void TRichEdit::MergeOnSelection(const void* qtFormat) {
  if (fSelLength <= 0) return;
  QTextCursor cursor(fDocument.get());
  cursor.setPosition(fSelStart);
  cursor.setPosition(fSelStart + fSelLength, QTextCursor::KeepAnchor);
  cursor.mergeCharFormat(*static_cast<const QTextCharFormat*>(qtFormat));
}

void TRichEdit::SetSelColor(TColor c) {
  QTextCharFormat q;
  q.setForeground(ToQColor(c));
  MergeOnSelection(&q);
}

void TRichEdit::SetSelBackColor(TColor c) {
  QTextCharFormat q;
  if (c == clNone || c == clDefault)
    q.setBackground(QBrush(Qt::NoBrush));
  else
    q.setBackground(ToQColor(c));
  MergeOnSelection(&q);
}

void TRichEdit::SetSelStyle(TFontStyles s) {
  QTextCharFormat q;
  q.setFontWeight((s >> fsBold) & 1u ? QFont::Bold : QFont::Normal);
  q.setFontItalic((s >> fsItalic) & 1u);
  q.setFontUnderline((s >> fsUnderline) & 1u);
  q.setFontStrikeOut((s >> fsStrikeOut) & 1u);
  MergeOnSelection(&q);
}

void TRichEdit::SetSelFont(const String& name, Int32 size) {
  QTextCharFormat q;
  if (!name.empty()) q.setFontFamilies(QStringList{ToQString(name)});
  if (size > 0) q.setFontPointSize(size);
  MergeOnSelection(&q);
}

void TRichEdit::SetSelFormat(const TRichCharFormat& f) {
  QTextCharFormat q = ToQtFormat(f);
  if (f.BackColor == clNone || f.BackColor == clDefault) q.setBackground(QBrush(Qt::NoBrush));
  MergeOnSelection(&q);
}

// ---- font and colours ----

void TRichEdit::ApplyFontAndColours() {
  fDocument->setDefaultFont(QFont(ToQString(fFontName), fFontSize));
  if (fWidget == nullptr) return;
  QPalette p = fWidget->palette();
  p.setColor(QPalette::Base, ToQColor(fColor));
  p.setColor(QPalette::Text, ToQColor(fFontColor));
  fWidget->setPalette(p);
  fWidget->setLineWrapMode(fWordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

void TRichEdit::SetFont(const String& name, Int32 size) {
  if (!name.empty()) fFontName = name;
  if (size > 0) fFontSize = size;
  ApplyFontAndColours();
}

void TRichEdit::SetColor(TColor c) {
  fColor = c;
  ApplyFontAndColours();
}

void TRichEdit::SetWordWrap(bool on) {
  fWordWrap = on;
  ApplyFontAndColours();
}

void TRichEdit::SetMargins(Int32 left, Int32 right) {
  QTextFrameFormat f = fDocument->rootFrame()->frameFormat();
  f.setLeftMargin(std::max(0, left));
  f.setRightMargin(std::max(0, right));
  fDocument->rootFrame()->setFrameFormat(f);
}

// ---- view ----

QTextEdit* TRichEdit::Widget() {
  if (fWidget == nullptr) {
    fWidget = new TRichEditView(this);
    fWidget->setDocument(fDocument.get());
    ApplyFontAndColours();
    if (fUpdateCount > 0) fWidget->setUpdatesEnabled(false);
  }
  return fWidget;
}

void TRichEdit::SetBounds(Int32 left, Int32 top, Int32 width, Int32 height) {
  Widget()->setGeometry(left, top, std::max(1, width), std::max(1, height));
}

namespace {

// The view lays a long document out in steps; what is in view needs it whole.
void EnsureLaidOut(QTextEdit* w) {
  w->document()->documentLayout()->documentSize();
  QCoreApplication::sendPostedEvents(w);
  QCoreApplication::sendPostedEvents(w->viewport());
}

}  // namespace

Int32 TRichEdit::FirstVisibleLine() {
  if (fWidget == nullptr) return 0;
  EnsureLaidOut(fWidget);
  return fWidget->cursorForPosition(QPoint(1, 1)).blockNumber();
}

Int32 TRichEdit::LastVisibleLine() {
  if (fWidget == nullptr) return 0;
  EnsureLaidOut(fWidget);
  const int h = std::max(1, fWidget->viewport()->height());
  return fWidget->cursorForPosition(QPoint(1, h - 1)).blockNumber();
}

Int32 TRichEdit::ScrollThumbPos() const {
  if (fWidget == nullptr) return -1;
  return fWidget->verticalScrollBar()->value();
}

void TRichEdit::ScrollLineToTop(Int32 i) {
  QTextEdit* w = Widget();
  i = std::clamp(i, 0, std::max(0, LineCount() - 1));
  EnsureLaidOut(w);
  const QTextBlock b = fDocument->findBlockByNumber(i);
  const QRectF r = fDocument->documentLayout()->blockBoundingRect(b);
  w->verticalScrollBar()->setValue(static_cast<int>(r.top()));
}

void TRichEdit::ScrollToPosition(Int32 pos) {
  QTextEdit* w = Widget();
  QTextCursor c(fDocument.get());
  c.setPosition(std::clamp(pos, 0, std::max(0, GetTextLen())));
  w->setTextCursor(c);
  w->ensureCursorVisible();
}

void TRichEdit::FlushPendingKeys() {
  if (fWidget != nullptr) FlushPendingInput(static_cast<QWidget*>(fWidget), 256, 265);
}

// ---- painting suspended ----

void TRichEdit::BeginUpdate() {
  if (fUpdateCount++ > 0) return;
  if (fWidget != nullptr) fWidget->setUpdatesEnabled(false);
  fEditBlock = std::make_unique<TEditBlock>(TEditBlock{QTextCursor(fDocument.get())});
  fEditBlock->cursor.beginEditBlock();
}

void TRichEdit::EndUpdate() {
  if (fUpdateCount == 0 || --fUpdateCount > 0) return;
  if (fEditBlock) fEditBlock->cursor.endEditBlock();
  fEditBlock.reset();
  if (fWidget != nullptr) {
    fWidget->setUpdatesEnabled(true);
    fWidget->viewport()->update();
  }
}

// ---- RTF ----

std::string TRichEdit::RtfText() const { return DocumentAsRtf(*fDocument, fFontName, fFontSize, fFontColor); }

bool TRichEdit::SaveToRTF(const String& fileName) const {
  // Through the library's files, which reach a name that is not UTF-8.
  return SaveFileForQt(fileName, QByteArray::fromStdString(RtfText()));
}

}  // namespace sk
