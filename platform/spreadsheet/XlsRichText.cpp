// HTML fragments to rich strings.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/spreadsheet/XlsWorkbook.h"

namespace sk {

namespace {

struct TNamedValue {
  const char* Name;
  Cardinal Value;
};

// Character entities taken besides numeric ones.
constexpr TNamedValue kEntities[] = {
    {"amp", '&'},     {"lt", '<'},       {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
    {"nbsp", 0xA0},   {"copy", 0xA9},    {"reg", 0xAE},     {"trade", 0x2122}, {"hellip", 0x2026},
    {"ndash", 0x2013}, {"mdash", 0x2014}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"ldquo", 0x201C},
    {"rdquo", 0x201D}, {"laquo", 0xAB},   {"raquo", 0xBB},   {"euro", 0x20AC},  {"pound", 0xA3},
    {"yen", 0xA5},    {"cent", 0xA2},    {"sect", 0xA7},    {"deg", 0xB0},     {"plusmn", 0xB1},
    {"times", 0xD7},  {"divide", 0xF7},  {"middot", 0xB7},  {"bull", 0x2022},  {"para", 0xB6},
};

// Colour names of HTML's basic palette, as 0xRRGGBB.
constexpr TNamedValue kColours[] = {
    {"black", 0x000000}, {"silver", 0xC0C0C0}, {"gray", 0x808080},   {"grey", 0x808080},
    {"white", 0xFFFFFF}, {"maroon", 0x800000}, {"red", 0xFF0000},    {"purple", 0x800080},
    {"fuchsia", 0xFF00FF}, {"green", 0x008000}, {"lime", 0x00FF00},  {"olive", 0x808000},
    {"yellow", 0xFFFF00}, {"navy", 0x000080},   {"blue", 0x0000FF},  {"teal", 0x008080},
    {"aqua", 0x00FFFF},
};

std::string LowerAscii(const String& s) {
  std::string r;
  for (Char c : s) r += c < 128 ? static_cast<char>(c >= u'A' && c <= u'Z' ? c + 32 : c) : '?';
  return r;
}

void AppendCodePoint(String& out, Cardinal cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<Char>(0xD800 + (cp >> 10));
    out += static_cast<Char>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<Char>(cp);
  }
}

// Decodes the entity at s[i] ('&'); gives false (nothing used) when there is
// none that we know.
bool DecodeEntity(const String& s, size_t i, String& out, size_t& next) {
  // Only a short stretch is looked at, so that a text of many '&' stays linear.
  const size_t limit = std::min(s.size(), i + 14);
  size_t semi = i + 1;
  while (semi < limit && s[semi] != u';') ++semi;
  if (semi >= limit || semi == i + 1) return false;
  const String body = s.substr(i + 1, semi - i - 1);
  if (body[0] == u'#') {
    const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
    const size_t from = hex ? 2 : 1;
    if (from >= body.size()) return false;
    Cardinal cp = 0;
    for (size_t k = from; k < body.size(); ++k) {
      const Char c = body[k];
      Cardinal d;
      if (c >= u'0' && c <= u'9') d = c - u'0';
      else if (hex && c >= u'a' && c <= u'f') d = c - u'a' + 10;
      else if (hex && c >= u'A' && c <= u'F') d = c - u'A' + 10;
      else return false;
      cp = cp * (hex ? 16 : 10) + d;
      if (cp > 0x10FFFF) cp = 0x110000;  // stays out of range, no overflow
    }
    AppendCodePoint(out, cp);
    next = semi + 1;
    return true;
  }
  // Entity names are case-sensitive.
  const std::string name = StringToUtf8(body);
  for (const TNamedValue& e : kEntities)
    if (name == e.Name) {
      AppendCodePoint(out, e.Value);
      next = semi + 1;
      return true;
    }
  return false;
}

// Decodes entities in an attribute value.
String DecodeText(const String& s) {
  String out;
  for (size_t i = 0; i < s.size();) {
    size_t next;
    if (s[i] == u'&' && DecodeEntity(s, i, out, next)) {
      i = next;
    } else {
      out += s[i++];
    }
  }
  return out;
}

// A colour given as "#RRGGBB", "#RGB" or a basic colour name.
bool ParseColour(const String& value, TExcelColor& colour) {
  std::string v = LowerAscii(value);
  v.erase(0, v.find_first_not_of(" \t\r\n"));
  v.erase(v.find_last_not_of(" \t\r\n") + 1);
  Cardinal rgb = 0;
  bool found = false;
  if (!v.empty() && v[0] == '#') {
    std::string hex = v.substr(1);
    if (hex.size() == 3) hex = {hex[0], hex[0], hex[1], hex[1], hex[2], hex[2]};
    if (hex.size() == 6 && hex.find_first_not_of("0123456789abcdef") == std::string::npos) {
      rgb = static_cast<Cardinal>(std::stoul(hex, nullptr, 16));
      found = true;
    }
  } else {
    for (const TNamedValue& c : kColours)
      if (v == c.Name) {
        rgb = c.Value;
        found = true;
      }
  }
  if (!found) return false;
  const Cardinal r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  colour = TExcelColor::FromColor(static_cast<TColor>(r | (g << 8) | (b << 16)));
  return true;
}

bool IsSpace(Char c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f'; }

// The value of the named attribute inside a tag's text (after its name).
bool FindAttribute(const String& tag, const char* wanted, String& value) {
  size_t i = 0;
  const size_t n = tag.size();
  while (i < n) {
    while (i < n && (IsSpace(tag[i]) || tag[i] == u'/')) ++i;
    const size_t nameStart = i;
    while (i < n && !IsSpace(tag[i]) && tag[i] != u'=' && tag[i] != u'/') ++i;
    const std::string name = LowerAscii(tag.substr(nameStart, i - nameStart));
    while (i < n && IsSpace(tag[i])) ++i;
    String v;
    if (i < n && tag[i] == u'=') {
      ++i;
      while (i < n && IsSpace(tag[i])) ++i;
      if (i < n && (tag[i] == u'"' || tag[i] == u'\'')) {
        const Char q = tag[i++];
        const size_t end = tag.find(q, i);
        v = tag.substr(i, end == String::npos ? String::npos : end - i);
        i = end == String::npos ? n : end + 1;
      } else {
        const size_t start = i;
        while (i < n && !IsSpace(tag[i])) ++i;
        v = tag.substr(start, i - start);
      }
    }
    if (name == wanted) {
      value = DecodeText(v);
      return true;
    }
    if (i == nameStart) ++i;  // nothing taken: step over it
  }
  return false;
}

}  // namespace

TRichString XlsRichStringFromHtml(const String& html, const TFlxFont& base) {
  struct TOpen {
    std::string Tag;
    TFlxFont Font;
  };
  std::vector<TOpen> open;
  TRichString rs;
  TFlxFont current = base, shown = base;
  auto append = [&](const String& text) {
    if (text.empty()) return;
    if (!(current == shown)) {
      // A run starting where an earlier one started replaces it.
      if (!rs.Runs.empty() && static_cast<size_t>(rs.Runs.back().FirstChar) == rs.Value.size()) rs.Runs.pop_back();
      rs.Runs.push_back(TRTFRun{static_cast<Int32>(rs.Value.size()), current});
      shown = current;
    }
    rs.Value += text;
  };

  String text;
  const size_t n = html.size();
  // Past the last '>' no '<' starts a tag; knowing where it is keeps a text
  // of many unclosed '<' linear.
  const size_t lastClose = html.rfind(u'>');
  for (size_t i = 0; i < n;) {
    const Char c = html[i];
    if (c == u'&') {
      size_t next;
      if (DecodeEntity(html, i, text, next)) {
        i = next;
        continue;
      }
      text += c;
      ++i;
      continue;
    }
    if (c != u'<') {
      text += c;
      ++i;
      continue;
    }
    const size_t close = lastClose == String::npos || lastClose <= i ? String::npos : html.find(u'>', i + 1);
    if (close == String::npos) {  // no tag after all
      text += c;
      ++i;
      continue;
    }
    const String inner = html.substr(i + 1, close - i - 1);
    i = close + 1;
    size_t k = 0;
    const bool closing = !inner.empty() && inner[0] == u'/';
    if (closing) ++k;
    const size_t nameStart = k;
    while (k < inner.size() && !IsSpace(inner[k]) && inner[k] != u'/') ++k;
    const std::string name = LowerAscii(inner.substr(nameStart, k - nameStart));
    const String attributes = inner.substr(k);

    if (name == "br" && !closing) {
      text += u'\n';
      continue;
    }
    const bool known = name == "b" || name == "i" || name == "u" || name == "s" || name == "font";
    if (!known) continue;  // other tags are dropped
    append(text);
    text.clear();
    if (closing) {
      for (size_t j = open.size(); j-- > 0;)
        if (open[j].Tag == name) {
          open.resize(j);
          break;
        }
      current = open.empty() ? base : open.back().Font;
      continue;
    }
    TFlxFont f = current;
    if (name == "b") f.Style |= flx_Bold;
    else if (name == "i") f.Style |= flx_Italic;
    else if (name == "u") f.Style |= flx_Underline;
    else if (name == "s") f.Style |= flx_StrikeOut;
    else {
      String value;
      TExcelColor colour;
      if (FindAttribute(attributes, "color", value) && ParseColour(value, colour)) f.Color = colour;
    }
    // A self-closing form such as <b/> opens nothing.
    if (!attributes.empty() && attributes.back() == u'/') continue;
    open.push_back(TOpen{name, f});
    current = f;
  }
  append(text);
  return rs;
}

}  // namespace sk
