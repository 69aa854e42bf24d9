#include "services/Logging_utilities.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

constinit TUnitCounter Logging_utilities_counter;
SK_CONSTINIT_TEXT String log_filename;
// Texts that arrived while a write was going on, in arrival order.
constinit std::vector<String> pending_lines;

constexpr char16_t kCRLF[] = u"\r\n";

// Opens the log for appending, creating it first (with its mark) when it is
// missing, and locks it.  -1 on failure.
int OpenLockedLog(const std::string& name, const String& filename) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    int fd = ::open(name.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
      if (errno != ENOENT) return -1;
      static const char mark[2] = {'\xFF', '\xFE'};
      const Int32 created = CreateFileWithContent(filename, mark, sizeof mark);
      if (created != 0 && created != EEXIST) return -1;
      continue;
    }
    int r;
    do {
      r = ::flock(fd, LOCK_EX);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
      ::close(fd);
      return -1;
    }
    // Another process may have deleted the log between the open and the lock.
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_nlink > 0) return fd;
    ::close(fd);
  }
  return -1;
}

// Appends the UTF-16LE units of text in one locked write; false on any failure.
bool AppendToLog(const String& filename, const String& text) {
  const std::string name = StringToSystemName(filename);
  int fd = OpenLockedLog(name, filename);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0;
  std::string bytes;
  if (ok) {
    bytes.reserve(text.size() * 2 + 1);
    if (st.st_size % 2 != 0) bytes.push_back('\0');  // realign a file cut off mid-character
    for (Char c : text) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
    if (!bytes.empty()) ok = WriteAllToFd(fd, bytes.data(), bytes.size());
  }
  if (::close(fd) != 0) ok = false;  // closing also releases the lock
  return ok;
}

void WriteLogText(const String& filename, const String& text, bool tagged) {
  if (global_log_level == 0 || filename.empty()) return;
  if (busy_logging) {
    pending_lines.push_back(text);
    return;
  }
  busy_logging = true;
  String out;
  if (!pending_lines.empty()) {
    for (const String& line : pending_lines) out += line + kCRLF;
    out += kCRLF;
    pending_lines.clear();
  }
  out += tagged ? LogToolTag(global_current_tool) + text : text;
  const bool ok = AppendToLog(filename, out);
  busy_logging = false;
  if (!ok) global_log_level = 0;
}

}  // namespace

String LogToolTag(tool_type tool) {
  switch (tool) {
    case tt_wordlist: return u"(WL): ";
    case tt_concord: return u"(CONC): ";
    case tt_keywords: return u"(KW): ";
    case tt_Chargrams: return u"(CHAR): ";
    case tt_aligner: return u"(ALIG): ";
    case tt_minimal_pairs: return u"(MINP): ";
    case tt_file_utilities: return u"(FU): ";
    case tt_character_profiler: return u"(CP): ";
    case tt_language_chooser: return u"(LANG): ";
    case tt_API_tool: return u"(API): ";
    case tt_file_viewer: return u"(FV): ";
    case tt_corpus_checker: return u"(CC): ";
    case tt_media_playing: return u"(MED): ";
    case tt_text_converter: return u"(TC): ";
    case tt_shell: return u"(QM" + IntToStr(9) + u"): ";
    default: return u"(?\?)";
  }
}

void SetLogFilename(const String& name) { log_filename = name; }

String GetLogFilename() { return log_filename; }

void AddToLogFile(const String& text, bool addCRLF) {
  WriteLogText(log_filename, addCRLF ? text + kCRLF : text, true);
}

void AddToLogFile(const String& text) { AddToLogFile(text, true); }

void AddToDetailLogFile(const String& filename, const String& text) { WriteLogText(filename, text + kCRLF, true); }

void StartNewLogSection(const String& version) {
  AddToLogFile(StringOfChar(u'*', 10), true);
  if (!version.empty()) AddToLogFile(Format(u"version %s. ", {version}), false);
  AddToLogFile(Format(u"LOG STARTED at %s", {DateTimeToStr(Now())}), true);
}

void StartNewLogSection() { StartNewLogSection(String()); }

void ClearLogFile(const String& filename) {
  try {
    if (!filename.empty() && FileExists(filename)) DeleteFile(filename);
  } catch (...) {
  }
}

void ClearLogFile() { ClearLogFile(log_filename); }

void Logging_utilities_initialization() {
  if (!Logging_utilities_counter.Initialization()) return;
  pending_lines.clear();
}

void Logging_utilities_Finalization() {
  if (!Logging_utilities_counter.Finalization()) return;
  if (!pending_lines.empty() && global_log_level != 0 && !log_filename.empty() && !busy_logging) {
    String block = LogToolTag(global_current_tool);
    for (const String& line : pending_lines) block += line + kCRLF;
    block += kCRLF;
    if (!AppendToLog(log_filename, block)) global_log_level = 0;
  }
  pending_lines.clear();
  pending_lines.shrink_to_fit();
  log_filename.clear();
}

}  // namespace sk
