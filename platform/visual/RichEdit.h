// A rich edit: a rich-text document shown in a read-only text view. Text is
// appended or set in a character format (background, colour, font styles),
// read back as plain text and format by format, selected and recoloured, and
// saved as RTF. It lives on Qt's QTextDocument; the view (a QTextEdit on the
// same document) is made on first use of a routine that needs the screen, so
// appending, reading, colouring and saving work without a QApplication.
//
// Positions count characters from 0, one per line break (a paragraph break of
// the document), as the document's blocks do. Lines are the document's
// paragraphs.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/runtime/Colors.h"
#include "platform/runtime/RtlTypes.h"

class QTextDocument;
class QTextEdit;

namespace sk {

// One character format: clNone as the background means none.
struct TRichCharFormat {
  TColor BackColor = clNone;
  TColor Color = clWindowText;
  TFontStyles Style = 0;
  bool operator==(const TRichCharFormat&) const = default;
};

class TRichEdit : public TObject {
 public:
  // Key, shift state (the bits of the controls' TShiftState): setting key to 0
  // swallows it.
  using TRichKeyEvent = std::function<void(TObject* sender, Word& key, Word shift)>;
  using TRichNotifyEvent = std::function<void(TObject* sender)>;

  TRichEdit();
  ~TRichEdit() override;
  TRichEdit(const TRichEdit&) = delete;
  TRichEdit& operator=(const TRichEdit&) = delete;

  // ---- text ----
  // The format the next SelText assignment and AppendText take.
  TRichCharFormat& SelAttributes() { return fSelAttributes; }
  // Appends text at the end in format (line breaks CR LF, LF or CR become
  // paragraph breaks).
  void AppendText(const String& text, const TRichCharFormat& format);
  // Appends text in SelAttributes.
  void SetSelText(const String& text) { AppendText(text, fSelAttributes); }
  // Replaces the whole text by text in the default format (the edit's font
  // colour, no background, no styles).
  void SetText(const String& text);
  // The plain text, paragraphs separated by CR LF.
  String Text() const;
  // The plain text with one LF per paragraph break: the same positions as
  // the edit's.
  String PlainText() const;
  // Characters held (each paragraph break counts one).
  Int32 GetTextLen() const;
  void Clear();
  // The format of the character at a 0-based position; the default format
  // outside the text.
  TRichCharFormat FormatAt(Int32 pos) const;
  // The font family and point size of the character at pos (the edit's font
  // outside the text).
  void FontAt(Int32 pos, String& name, Int32& size) const;
  QTextDocument& Document() { return *fDocument; }

  // ---- lines ----
  Int32 LineCount() const;
  // Line i's text; empty outside the lines.
  String Line(Int32 i) const;
  // Inserts text as a new line before line i (at the end when i is the line
  // count or beyond) in format.
  void InsertLine(Int32 i, const String& text, const TRichCharFormat& format);
  // The line that holds position pos (clamped to the text).
  Int32 LineFromChar(Int32 pos) const;
  // The first position of line i; -1 outside the lines.
  Int32 LineIndex(Int32 i) const;

  // ---- selection ----
  Int32 SelStart() const { return fSelStart; }
  Int32 SelLength() const { return fSelLength; }
  // Both clamped to the text.
  void SetSel(Int32 start, Int32 length);
  // Set on the selection's characters: text colour, background (clNone or
  // clDefault: none), styles, font.
  void SetSelColor(TColor c);
  void SetSelBackColor(TColor c);
  void SetSelStyle(TFontStyles s);
  void SetSelFont(const String& name, Int32 size);
  // Colour, background and styles at once.
  void SetSelFormat(const TRichCharFormat& f);

  // ---- the edit's font and colours ----
  void SetFont(const String& name, Int32 size);
  String FontName() const { return fFontName; }
  Int32 FontSize() const { return fFontSize; }
  // The colour of text set without a format of its own, and the window's.
  void SetFontColor(TColor c) { fFontColor = c; }
  TColor FontColor() const { return fFontColor; }
  void SetColor(TColor c);
  TColor Color() const { return fColor; }
  void SetWordWrap(bool on);
  // Left and right margins in pixels.
  void SetMargins(Int32 left, Int32 right);

  // ---- view (these make the view) ----
  QTextEdit* Widget();
  bool HasWidget() const { return fWidget != nullptr; }
  void SetBounds(Int32 left, Int32 top, Int32 width, Int32 height);
  // The first and last lines with a pixel in view (0 without a view).
  Int32 FirstVisibleLine();
  Int32 LastVisibleLine();
  // The vertical scroll bar's value; -1 when there is no view.
  Int32 ScrollThumbPos() const;
  // Scrolls so that line i is the first visible line (as far as it can).
  void ScrollLineToTop(Int32 i);
  // Puts the caret at pos (no selection) and scrolls it into view.
  void ScrollToPosition(Int32 pos);

  // ---- painting suspended ----
  // Nested: the first call turns the view's updates off and opens one edit
  // block of the document; the last EndUpdate closes it and repaints.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return fUpdateCount > 0; }

  // ---- events (of the view) ----
  TRichKeyEvent OnKeyDown;
  TRichNotifyEvent OnMouseWheel;
  TRichNotifyEvent OnVScroll;
  // Drops the key presses still waiting for the view.
  void FlushPendingKeys();

  // ---- RTF ----
  // The document as RTF (ASCII bytes only).
  std::string RtfText() const;
  // Writes RtfText to the file; false when it cannot be written.
  bool SaveToRTF(const String& fileName) const;

 private:
  friend class TRichEditView;
  void MergeOnSelection(const void* qtFormat);
  void ApplyFontAndColours();

  std::unique_ptr<QTextDocument> fDocument;
  QTextEdit* fWidget = nullptr;  // owned; deleted before the document
  TRichCharFormat fSelAttributes;
  Int32 fSelStart = 0;
  Int32 fSelLength = 0;
  String fFontName = u"DejaVu Sans";
  Int32 fFontSize = 10;
  TColor fFontColor = clWindowText;
  TColor fColor = clWindow;
  bool fWordWrap = true;
  Int32 fUpdateCount = 0;
  // Whether InsertLine has put a line in the document since it was last
  // cleared or set: an empty document then holds one empty line, where
  // otherwise it holds none (the document keeps one empty paragraph either way).
  bool fLineInserted = false;
  struct TEditBlock;
  std::unique_ptr<TEditBlock> fEditBlock;
};

}  // namespace sk
