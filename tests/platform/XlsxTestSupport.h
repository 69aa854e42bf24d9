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

}  // namespace sk
