// A rich-text document in the manner of a rich edit control: text appended in
// a character format (background, colour, font styles), read back as plain
// text and format by format. It lives on Qt's QTextDocument and needs the
// host's QApplication only for measuring; appending and reading work without
// one.
#pragma once

#include <memory>

#include "platform/runtime/Colors.h"
#include "platform/runtime/RtlTypes.h"

class QTextDocument;

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
  TRichEdit();
  ~TRichEdit() override;
  TRichEdit(const TRichEdit&) = delete;
  TRichEdit& operator=(const TRichEdit&) = delete;

  // The format the next SelText assignment and AppendText take.
  TRichCharFormat& SelAttributes() { return fSelAttributes; }
  // Appends text at the end in format (line breaks CR LF, LF or CR become
  // paragraph breaks).
  void AppendText(const String& text, const TRichCharFormat& format);
  // Appends text in SelAttributes.
  void SetSelText(const String& text) { AppendText(text, fSelAttributes); }
  // The plain text, paragraphs separated by CR LF.
  String Text() const;
  // Characters held (each paragraph break counts one).
  Int32 GetTextLen() const;
  void Clear();
  // The format of the character at a 0-based position; the default format
  // outside the text.
  TRichCharFormat FormatAt(Int32 pos) const;
  QTextDocument& Document() { return *fDocument; }

 private:
  std::unique_ptr<QTextDocument> fDocument;
  TRichCharFormat fSelAttributes;
};

}  // namespace sk
