#include "platform/runtime/ResourceStrings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace sk {

namespace {

using TTranslationTable = std::unordered_map<Int32, String>;

// The installed translation. Replaced as a whole by each successful load, so a
// reader under the lock always sees one complete file's texts. A plain pointer
// keeps the variable constant-initialised with nothing to run at start or exit.
constinit std::mutex gTranslationLock;
constinit TTranslationTable* gTranslations = nullptr;
// Lets LoadResString skip the lock while no translation is installed.
constinit std::atomic<bool> gHaveTranslations{false};

constexpr off_t kMaxTranslationFileBytes = 16 * 1024 * 1024;
constexpr Int32 kMaxIdentifier = 65535;

// Reads a whole regular file; false when it cannot be opened or read, or is
// larger than the limit.
bool ReadWholeFile(const String& fileName, std::string& bytes) {
  if (fileName.empty()) return false;
  const std::string path = StringToSystemName(fileName);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
            st.st_size <= kMaxTranslationFileBytes;
  if (ok) {
    bytes.assign(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      if (n == 0) break;  // the file shrank while being read: keep what is there
      done += static_cast<size_t>(n);
    }
    bytes.resize(done);
  }
  ::close(fd);
  return ok;
}

// UTF-16 code units from two-byte groups; an odd last byte is dropped.
String DecodeUtf16(const std::string& bytes, size_t start, bool bigEndian) {
  String out;
  out.reserve((bytes.size() - start) / 2);
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    out.push_back(bigEndian ? static_cast<Char>((b0 << 8) | b1) : static_cast<Char>((b1 << 8) | b0));
  }
  return out;
}

String DecodeTranslationFile(const std::string& bytes) {
  const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) return DecodeUtf16(bytes, 2, false);
  if (bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) return DecodeUtf16(bytes, 2, true);
  size_t start = 0;
  if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) start = 3;
  return Utf8ToString(bytes.data() + start, bytes.size() - start);
}

bool IsBlank(Char c) { return c == u' ' || c == u'\t'; }

// A decimal identifier from 0 to 65535 with blanks around it; -1 otherwise.
Int32 ParseIdentifier(const String& line, size_t begin, size_t end) {
  while (begin < end && IsBlank(line[begin])) ++begin;
  while (end > begin && IsBlank(line[end - 1])) --end;
  if (begin == end) return -1;
  Int32 value = 0;
  for (size_t i = begin; i < end; ++i) {
    const Char c = line[i];
    if (c < u'0' || c > u'9') return -1;
    value = value * 10 + (c - u'0');
    if (value > kMaxIdentifier) return -1;
  }
  return value;
}

// The text after '=': "\n" line feed, "\t" tab, "\\" backslash; any other
// backslash stays as written.
String UnescapeText(const String& line, size_t begin) {
  String out;
  out.reserve(line.size() - begin);
  for (size_t i = begin; i < line.size(); ++i) {
    const Char c = line[i];
    if (c == u'\\' && i + 1 < line.size()) {
      const Char next = line[i + 1];
      if (next == u'n') { out.push_back(u'\n'); ++i; continue; }
      if (next == u't') { out.push_back(u'\t'); ++i; continue; }
      if (next == u'\\') { out.push_back(u'\\'); ++i; continue; }
    }
    out.push_back(c);
  }
  return out;
}

void ParseLine(const String& line, TTranslationTable& table) {
  size_t first = 0;
  while (first < line.size() && IsBlank(line[first])) ++first;
  if (first == line.size()) return;                        // blank line
  if (line[first] == u';' || line[first] == u'#') return;  // comment
  const size_t eq = line.find(u'=', first);
  if (eq == String::npos) return;
  const Int32 id = ParseIdentifier(line, first, eq);
  if (id < 0) return;
  table[id] = UnescapeText(line, eq + 1);
}

// Splits at CR LF, LF or CR; a text can hold a line break only as "\n".
void ParseTranslations(const String& text, TTranslationTable& table) {
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u'\n' && text[i] != u'\r') continue;
    ParseLine(text.substr(start, i - start), table);
    if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
}

}  // namespace

String LoadResString(const TResStringRec* rec) {
  if (rec == nullptr) return String();
  if (gHaveTranslations.load(std::memory_order_acquire)) {
    std::lock_guard<std::mutex> guard(gTranslationLock);
    if (gTranslations) {
      const auto it = gTranslations->find(rec->Identifier);
      if (it != gTranslations->end() && !it->second.empty()) return it->second;
    }
  }
  return rec->Text != nullptr ? String(rec->Text) : String();
}

String LoadResString(const TResStringRec& rec) { return LoadResString(&rec); }

String ResStringTranslation(Int32 identifier) {
  if (!gHaveTranslations.load(std::memory_order_acquire)) return String();
  std::lock_guard<std::mutex> guard(gTranslationLock);
  if (!gTranslations) return String();
  const auto it = gTranslations->find(identifier);
  return it != gTranslations->end() ? it->second : String();
}

bool LoadResStringTranslations(const String& fileName) {
  std::string bytes;
  if (!ReadWholeFile(fileName, bytes)) return false;
  auto table = std::make_unique<TTranslationTable>();
  ParseTranslations(DecodeTranslationFile(bytes), *table);
  std::unique_ptr<TTranslationTable> old;
  {
    std::lock_guard<std::mutex> guard(gTranslationLock);
    old.reset(gTranslations);
    gTranslations = table.release();
    gHaveTranslations.store(true, std::memory_order_release);
  }
  return true;  // the old table is freed outside the lock
}

void ClearResStringTranslations() {
  std::unique_ptr<TTranslationTable> old;
  {
    std::lock_guard<std::mutex> guard(gTranslationLock);
    old.reset(gTranslations);
    gTranslations = nullptr;
    gHaveTranslations.store(false, std::memory_order_release);
  }
}

Int32 ResStringTranslationCount() {
  std::lock_guard<std::mutex> guard(gTranslationLock);
  if (!gTranslations) return 0;
  Int32 n = 0;
  for (const auto& entry : *gTranslations)
    if (!entry.second.empty()) ++n;
  return n;
}

}  // namespace sk
