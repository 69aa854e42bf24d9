// Reading RTF back through unrtf's HTML output: the lines of text (tags
// stripped, character references decoded, surrogate pairs joined) and the raw
// HTML for checking colours and bold.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/runtime/RtlTypes.h"

namespace sk {

inline bool UnrtfAvailable() { return std::system("command -v unrtf >/dev/null 2>&1") == 0; }

inline std::string UnrtfHtml(const std::string& path) {
  std::string out;
  FILE* p = ::popen(("unrtf --html '" + path + "' 2>/dev/null").c_str(), "r");
  if (p == nullptr) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  const size_t body = out.find("<body>");
  return body == std::string::npos ? out : out.substr(body);
}

// The body's lines: <br> ends a line, tags go, &#N; and the named entities
// become their characters.
inline std::vector<String> HtmlLines(const std::string& html) {
  std::vector<String> lines;
  String cur;
  for (size_t i = 0; i < html.size();) {
    if (html.compare(i, 4, "<br>") == 0) {
      lines.push_back(cur);
      cur.clear();
      i += 4;
    } else if (html[i] == '<') {
      const size_t e = html.find('>', i);
      i = e == std::string::npos ? html.size() : e + 1;
    } else if (html[i] == '&') {
      const size_t e = html.find(';', i);
      const std::string ent = html.substr(i + 1, e - i - 1);
      if (!ent.empty() && ent[0] == '#')
        cur += static_cast<Char>(std::stoul(ent.substr(1)));
      else if (ent == "amp")
        cur += u'&';
      else if (ent == "lt")
        cur += u'<';
      else if (ent == "gt")
        cur += u'>';
      else if (ent == "nbsp")
        cur += u' ';
      i = e + 1;
    } else if (html[i] == '\n') {
      ++i;
    } else {
      // unrtf writes bytes above 127 only as references; keep ASCII.
      cur += static_cast<Char>(static_cast<unsigned char>(html[i]));
      ++i;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

}  // namespace sk
