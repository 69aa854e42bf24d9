#include "platform/visual/RichEdit.h"

#include <QtGui/QFont>
#include <QtGui/QTextBlock>
#include <QtGui/QTextCharFormat>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>

#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

QTextCharFormat ToQtFormat(const TRichCharFormat& f) {
  QTextCharFormat q;
  if (f.BackColor != clNone) q.setBackground(ToQColor(f.BackColor));
  q.setForeground(ToQColor(f.Color));
  q.setFontWeight((f.Style >> fsBold) & 1u ? QFont::Bold : QFont::Normal);
  q.setFontItalic((f.Style >> fsItalic) & 1u);
  q.setFontUnderline((f.Style >> fsUnderline) & 1u);
  q.setFontStrikeOut((f.Style >> fsStrikeOut) & 1u);
  return q;
}

}  // namespace

TRichEdit::TRichEdit() : fDocument(std::make_unique<QTextDocument>()) {}

TRichEdit::~TRichEdit() = default;

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

String TRichEdit::Text() const {
  String r;
  for (QTextBlock b = fDocument->begin(); b.isValid(); b = b.next()) {
    if (b != fDocument->begin()) r += u"\r\n";
    r += FromQString(b.text());
  }
  return r;
}

Int32 TRichEdit::GetTextLen() const { return static_cast<Int32>(fDocument->characterCount()) - 1; }

void TRichEdit::Clear() { fDocument->clear(); }

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

}  // namespace sk
