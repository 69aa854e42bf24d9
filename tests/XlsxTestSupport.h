// Helpers of the .xlsx tests: running the openpyxl checker and looking for
// lines in what it prints.
#pragma once

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>
#include <vector>

namespace sk {

// Runs tests/platform/xlsx_check.py with the system's own python3 (a python3
// earlier in PATH may lack openpyxl); gives its output lines, and fails the
// test when the script fails.
inline std::vector<std::string> RunXlsxCheck(const std::string& mode, const std::string& path) {
  const std::string cmd = "/usr/bin/python3 '" SK_SOURCE_DIR "/tests/platform/xlsx_check.py' " + mode + " '" +
                          path + "' 2>&1";
  std::vector<std::string> lines;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) {
    ADD_FAILURE() << "cannot run " << cmd;
    return lines;
  }
  std::string all;
  char buf[4096];
  size_t n;
  while ((n = ::fread(buf, 1, sizeof buf, p)) > 0) all.append(buf, n);
  const int status = ::pclose(p);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cmd << "\n" << all;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    lines.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The line that starts with prefix; empty when there is none.
inline std::string LineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& l : lines)
    if (l.compare(0, prefix.size(), prefix) == 0) return l;
  return {};
}

inline size_t CountStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.compare(0, prefix.size(), prefix) == 0;
  }));
}

// An icon file of one 16 x 16 image and one 32 x 32 image, both 32-bit
// bitmaps with their transparency masks.
inline std::string IconFile() {
  auto le16 = [](std::string& s, unsigned v) { s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8); };
  auto le32 = [&](std::string& s, unsigned v) { le16(s, v & 0xFFFF), le16(s, v >> 16); };
  auto bitmap = [&](unsigned side) {
    std::string b;
    le32(b, 40), le32(b, side), le32(b, side * 2), le16(b, 1), le16(b, 32);
    for (int i = 0; i < 6; ++i) le32(b, 0);
    for (unsigned i = 0; i < side * side; ++i) b += std::string("\x10\x20\xF0\xFF", 4);
    b += std::string(((side + 31) / 32) * 4 * side, '\0');
    return b;
  };
  const std::string small = bitmap(16), large = bitmap(32);
  std::string ico;
  le16(ico, 0), le16(ico, 1), le16(ico, 2);
  unsigned offset = 6 + 2 * 16;
  for (const std::string* img : {&small, &large}) {
    const unsigned side = img == &small ? 16 : 32;
    ico += static_cast<char>(side), ico += static_cast<char>(side), ico += '\0', ico += '\0';
    le16(ico, 1), le16(ico, 32), le32(ico, static_cast<unsigned>(img->size())), le32(ico, offset);
    offset += static_cast<unsigned>(img->size());
  }
  return ico + small + large;
}

}  // namespace sk
