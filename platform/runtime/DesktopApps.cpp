#include "platform/runtime/DesktopApps.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Locale.h"

namespace sk {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? std::string(v) : std::string();
}

std::string Home() { return StringToSystemName(GetHomePath()); }

// The absolute entries of a colon-separated list, else the defaults.
std::vector<std::string> DirList(const char* var, const char* defaults) {
  std::vector<std::string> r;
  auto split = [&](const std::string& s) {
    size_t p = 0;
    while (p <= s.size()) {
      size_t q = s.find(':', p);
      if (q == std::string::npos) q = s.size();
      std::string part = s.substr(p, q - p);
      if (!part.empty() && part[0] == '/') r.push_back(part);
      p = q + 1;
    }
  };
  split(Env(var));
  if (r.empty()) split(defaults);
  return r;
}

std::string DataHome() {
  std::string v = Env("XDG_DATA_HOME");
  return !v.empty() && v[0] == '/' ? v : Home() + "/.local/share";
}

std::string ConfigHome() {
  std::string v = Env("XDG_CONFIG_HOME");
  return !v.empty() && v[0] == '/' ? v : Home() + "/.config";
}

std::vector<std::string> DataDirsWithHome() {
  std::vector<std::string> r{DataHome()};
  for (const std::string& d : DirList("XDG_DATA_DIRS", "/usr/local/share:/usr/share")) r.push_back(d);
  return r;
}

bool FileThere(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return std::string();
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

// The values of key in a group of an ini-style desktop file, split at ';'.
std::vector<std::string> GroupValues(const std::string& file, const std::string& group, const std::string& key) {
  std::vector<std::string> r;
  std::ifstream f(file);
  std::string line, current;
  while (std::getline(f, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      current = line;
      continue;
    }
    if (current != "[" + group + "]") continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos || Trim(line.substr(0, eq)) != key) continue;
    std::string v = line.substr(eq + 1);
    size_t p = 0;
    while (p <= v.size()) {
      size_t q = v.find(';', p);
      if (q == std::string::npos) q = v.size();
      std::string item = Trim(v.substr(p, q - p));
      if (!item.empty()) r.push_back(item);
      p = q + 1;
    }
  }
  return r;
}

Char FoldForGlob(Char c, bool caseSensitive) { return caseSensitive ? c : AnsiLowerChar(c); }

// One position of a "[...]" class at glob[g] against c; g moves past the class.
bool ClassMatches(const String& glob, size_t& g, Char c, bool caseSensitive) {
  size_t k = g + 1;
  bool negate = k < glob.size() && (glob[k] == u'!' || glob[k] == u'^');
  if (negate) ++k;
  bool matched = false;
  bool first = true;
  while (k < glob.size() && (first || glob[k] != u']')) {
    first = false;
    Char lo = FoldForGlob(glob[k], caseSensitive), hi = lo;
    if (k + 2 < glob.size() && glob[k + 1] == u'-' && glob[k + 2] != u']') {
      hi = FoldForGlob(glob[k + 2], caseSensitive);
      k += 2;
    }
    if (c >= lo && c <= hi) matched = true;
    ++k;
  }
  if (k >= glob.size()) return false;  // no closing bracket: never matches
  g = k + 1;
  return matched != negate;
}

// Shell-style match of the whole name: "*", "?" and "[...]".
bool GlobMatches(const String& name, const String& glob, bool caseSensitive) {
  size_t n = 0, g = 0, starG = String::npos, starN = 0;
  while (n < name.size()) {
    const Char c = FoldForGlob(name[n], caseSensitive);
    if (g < glob.size() && glob[g] == u'*') {
      starG = g++;
      starN = n;
      continue;
    }
    if (g < glob.size()) {
      size_t next = g;
      bool ok;
      if (glob[g] == u'?') {
        ok = true;
        next = g + 1;
      } else if (glob[g] == u'[') {
        ok = ClassMatches(glob, next, c, caseSensitive);
      } else {
        ok = FoldForGlob(glob[g], caseSensitive) == c;
        next = g + 1;
      }
      if (ok) {
        g = next;
        ++n;
        continue;
      }
    }
    if (starG == String::npos) return false;
    g = starG + 1;
    n = ++starN;
  }
  while (g < glob.size() && glob[g] == u'*') ++g;
  return g == glob.size();
}

std::string DesktopFilePath(const std::string& id) {
  for (const std::string& d : DataDirsWithHome()) {
    std::string p = d + "/applications/" + id;
    if (FileThere(p)) return p;
  }
  return std::string();
}

}  // namespace

String MimeTypeOfFilename(const String& fileName) {
  const String name = ExtractFileName(fileName);
  if (name.empty()) return String();
  int bestWeight = -1;
  size_t bestLength = 0;
  String best;
  for (const std::string& dir : DataDirsWithHome()) {
    std::ifstream f(dir + "/mime/globs2");
    std::string line;
    while (std::getline(f, line)) {
      if (line.empty() || line[0] == '#') continue;
      // weight:type:glob[:flags]
      size_t a = line.find(':');
      if (a == std::string::npos) continue;
      size_t b = line.find(':', a + 1);
      if (b == std::string::npos) continue;
      size_t c = line.find(':', b + 1);
      int weight = std::atoi(line.substr(0, a).c_str());
      std::string type = line.substr(a + 1, b - a - 1);
      std::string glob = line.substr(b + 1, c == std::string::npos ? std::string::npos : c - b - 1);
      bool cs = c != std::string::npos && line.find("cs", c) != std::string::npos;
      String g = Utf8ToString(glob);
      if (g.empty() || !GlobMatches(name, g, cs)) continue;
      // The heaviest pattern wins, then the longest.
      if (weight > bestWeight || (weight == bestWeight && g.size() > bestLength)) {
        bestWeight = weight;
        bestLength = g.size();
        best = Utf8ToString(type);
      }
    }
  }
  return best;
}

String DefaultDesktopFileForMimeType(const String& mimeType) {
  if (mimeType.empty()) return String();
  const std::string type = StringToUtf8(mimeType);
  std::vector<std::string> lists{ConfigHome() + "/mimeapps.list"};
  for (const std::string& d : DirList("XDG_CONFIG_DIRS", "/etc/xdg")) lists.push_back(d + "/mimeapps.list");
  for (const std::string& d : DataDirsWithHome()) lists.push_back(d + "/applications/mimeapps.list");
  for (const char* group : {"Default Applications", "Added Associations"})
    for (const std::string& list : lists)
      for (const std::string& id : GroupValues(list, group, type))
        if (!DesktopFilePath(id).empty()) return Utf8ToString(id);
  for (const std::string& d : DataDirsWithHome())
    for (const std::string& id : GroupValues(d + "/applications/mimeinfo.cache", "MIME Cache", type))
      if (!DesktopFilePath(id).empty()) return Utf8ToString(id);
  return String();
}

String FindExecutableForFile(const String& fileName) {
  if (!FileExists(fileName)) return String();
  const String id = DefaultDesktopFileForMimeType(MimeTypeOfFilename(fileName));
  if (id.empty()) return String();
  std::vector<std::string> exec = GroupValues(DesktopFilePath(StringToUtf8(id)), "Desktop Entry", "Exec");
  if (exec.empty()) return String();
  std::string cmd = exec[0];
  std::string program;
  if (!cmd.empty() && cmd[0] == '"') {
    size_t q = cmd.find('"', 1);
    program = cmd.substr(1, q == std::string::npos ? std::string::npos : q - 1);
  } else {
    program = cmd.substr(0, cmd.find_first_of(" \t"));
  }
  if (program.empty()) return String();
  if (program.find('/') == std::string::npos) {
    for (const std::string& d : DirList("PATH", "/usr/local/bin:/usr/bin:/bin")) {
      std::string p = d + "/" + program;
      if (::access(p.c_str(), X_OK) == 0) return Utf8ToString(p);
    }
  }
  return Utf8ToString(program);
}

}  // namespace sk
