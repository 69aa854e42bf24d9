#include "platform/visual/RtfWriter.h"

#include <QtGui/QFont>
#include <QtGui/QTextBlock>
#include <QtGui/QTextCharFormat>
#include <QtGui/QTextDocument>

#include <vector>

#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

// Text escaped for RTF: backslash and braces escaped, tab as \tab, every unit
// above 127 as \uN?.
void AppendEscaped(std::string& out, const QString& text) {
  for (const QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u == u'\\' || u == u'{' || u == u'}') {
      out += '\\';
      out += static_cast<char>(u);
    } else if (u == u'\t') {
      out += "\\tab ";
    } else if (u == 0x2028 || u == 0x2029) {
      out += "\\line ";
    } else if (u >= 32 && u < 128) {
      out += static_cast<char>(u);
    } else if (u < 32) {
      // Control characters have no place in RTF text.
      out += ' ';
    } else {
      out += "\\u";
      out += std::to_string(static_cast<int16_t>(u));
      out += '?';
    }
  }
}

class TTables {
 public:
  int Font(const QString& name) {
    for (size_t i = 0; i < fonts.size(); ++i)
      if (fonts[i] == name) return static_cast<int>(i);
    fonts.push_back(name);
    return static_cast<int>(fonts.size()) - 1;
  }
  // 1-based: index 0 of the colour table is the reader's automatic colour.
  int Colour(TColor rgb) {
    for (size_t i = 0; i < colours.size(); ++i)
      if (colours[i] == rgb) return static_cast<int>(i) + 1;
    colours.push_back(rgb);
    return static_cast<int>(colours.size());
  }
  std::vector<QString> fonts;
  std::vector<TColor> colours;
};

}  // namespace

std::string DocumentAsRtf(const QTextDocument& doc, const String& fontName, Int32 fontSize, TColor textColor) {
  TTables tables;
  const QString baseFont = ToQString(fontName);
  tables.Font(baseFont);
  const TColor baseColour = FromQColor(ToQColor(textColor));
  tables.Colour(baseColour);
  if (fontSize <= 0) fontSize = 10;

  std::string body;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (b != doc.begin()) body += "\\par\n";
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment frag = it.fragment();
      if (!frag.isValid() || frag.text().isEmpty()) continue;
      const QTextCharFormat f = frag.charFormat();
      QString family = baseFont;
      const QStringList families = f.fontFamilies().toStringList();
      if (!families.isEmpty() && !families.front().isEmpty()) family = families.front();
      double pt = f.fontPointSize();
      if (pt <= 0) pt = fontSize;
      TColor fg = baseColour;
      if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        fg = FromQColor(f.foreground().color());
      body += "{\\f" + std::to_string(tables.Font(family));
      body += "\\fs" + std::to_string(static_cast<int>(pt * 2 + 0.5));
      body += "\\cf" + std::to_string(tables.Colour(fg));
      if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush &&
          f.background().color().alpha() > 0)
        body += "\\highlight" + std::to_string(tables.Colour(FromQColor(f.background().color())));
      if (f.fontWeight() >= QFont::Bold) body += "\\b";
      if (f.fontItalic()) body += "\\i";
      if (f.fontUnderline()) body += "\\ul";
      if (f.fontStrikeOut()) body += "\\strike";
      body += ' ';
      AppendEscaped(body, frag.text());
      body += '}';
    }
  }

  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
  for (size_t i = 0; i < tables.fonts.size(); ++i) {
    out += "{\\f" + std::to_string(i) + "\\fnil ";
    AppendEscaped(out, tables.fonts[i]);
    out += ";}";
  }
  out += "}\n{\\colortbl ;";
  for (const TColor c : tables.colours)
    out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
           std::to_string((c >> 16) & 0xFF) + ";";
  out += "}\n\\pard\\plain\\f0\\fs" + std::to_string(fontSize * 2) + "\n";
  out += body;
  out += "\\par\n}\n";
  return out;
}

}  // namespace sk
