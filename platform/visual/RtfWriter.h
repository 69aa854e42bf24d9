// An RTF writer for rich-text documents: a font table and a colour table of
// what the text uses, then each run of characters in one format as a group
// with \f, \fs, \cf, \highlight, \b, \i, \ul and \strike, paragraphs ended by
// \par. Every UTF-16 unit above 127 is written as \uN? (N signed, as RTF reads
// it), so the output is ASCII bytes only.
#pragma once

#include <string>

#include "platform/runtime/Colors.h"
#include "platform/runtime/RtlTypes.h"

class QTextDocument;

namespace sk {

// doc as RTF; text without a font, size or colour of its own takes fontName,
// fontSize (points) and textColor.
std::string DocumentAsRtf(const QTextDocument& doc, const String& fontName, Int32 fontSize, TColor textColor);

}  // namespace sk
