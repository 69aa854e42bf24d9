// Helpers shared by the fuzz targets (tests/fuzz/<target>.cpp).
//
// A target defines LLVMFuzzerTestOneInput and names its seed writer with
// SK_FUZZ_SEEDS(writer), which also starts the library once. The same target
// runs under libFuzzer (Clang) and under the replay driver (GCC).
//
// Seeds: when the environment variable SK_FUZZ_WRITE_SEEDS names a folder, the
// target writes the inputs its writer makes there and ends; scripts/fuzz
// --seeds turns them into the committed corpus.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "library/Units.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/RtlTypes.h"

namespace sk::fuzz {

// Stops the run when an expectation fails: libFuzzer (and the replay driver)
// report the input as a crash.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
  std::fflush(stderr);
  std::abort();
}

#define SK_FUZZ_CHECK(cond) \
  do {                      \
    if (!(cond)) ::sk::fuzz::Fail(#cond, __FILE__, __LINE__); \
  } while (0)

// Reads choices and data from the front of the input. Reading past the end
// gives zeros and empty data, so a target never needs to test the size first.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : fData(data), fSize(size) {}

  size_t Remaining() const { return fSize - fPos; }
  bool Empty() const { return fPos >= fSize; }

  uint8_t Byte() { return fPos < fSize ? fData[fPos++] : 0; }
  bool Bool() { return (Byte() & 1) != 0; }
  uint16_t Word() {
    const uint16_t lo = Byte();
    return static_cast<uint16_t>(lo | (Byte() << 8));
  }
  uint32_t Cardinal() {
    const uint32_t lo = Word();
    return lo | (static_cast<uint32_t>(Word()) << 16);
  }
  // Up to n bytes.
  TBytes Bytes(size_t n) {
    const size_t k = n < Remaining() ? n : Remaining();
    TBytes r(fData + fPos, fData + fPos + k);
    fPos += k;
    return r;
  }
  TBytes Rest() { return Bytes(Remaining()); }

  // The rest as text: UTF-16LE code units when wide (an odd last byte is
  // dropped), else UTF-8 (invalid bytes become U+FFFD).
  String RestText(bool wide) { return Text(Rest(), wide); }

  static String Text(const TBytes& b, bool wide) {
    if (!wide) return Utf8ToString(reinterpret_cast<const char*>(b.data()), b.size());
    String s(b.size() / 2, Char(0));
    for (size_t i = 0; i < s.size(); ++i)
      s[i] = static_cast<Char>(b[2 * i] | (b[2 * i + 1] << 8));
    return s;
  }

 private:
  const uint8_t* fData;
  size_t fSize;
  size_t fPos = 0;
};

// Cuts text into fields at each U+0000 (at most maxFields; the last field
// keeps the rest, separators included).
inline std::vector<String> Fields(const String& text, size_t maxFields) {
  std::vector<String> r;
  size_t start = 0;
  while (r.size() + 1 < maxFields) {
    const size_t z = text.find(Char(0), start);
    if (z == String::npos) break;
    r.push_back(text.substr(start, z - start));
    start = z + 1;
  }
  r.push_back(text.substr(start));
  while (r.size() < maxFields) r.emplace_back();
  return r;
}

// A scratch folder for the files a target must read from disk, made once per
// process and removed when the process ends.
class ScratchFiles {
 public:
  static ScratchFiles& Instance() {
    static ScratchFiles s;
    return s;
  }
  // The full name of a scratch file (the same name for the same leaf).
  std::string Path(const char* leaf) const { return fDir + "/" + leaf; }
  // Writes bytes to the scratch file and answers its name as a String.
  String Write(const char* leaf, const void* data, size_t size) const {
    const std::string path = Path(leaf);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) Fail("cannot write a scratch file", __FILE__, __LINE__);
    if (size > 0 && std::fwrite(data, 1, size, f) != size) Fail("short scratch write", __FILE__, __LINE__);
    std::fclose(f);
    return Utf8ToString(path);
  }
  String Write(const char* leaf, const TBytes& b) const { return Write(leaf, b.data(), b.size()); }
  TBytes Read(const char* leaf) const {
    TBytes r;
    FILE* f = std::fopen(Path(leaf).c_str(), "rb");
    if (f == nullptr) return r;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) r.insert(r.end(), buf, buf + n);
    std::fclose(f);
    return r;
  }

 private:
  ScratchFiles() {
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/sk_fuzz_XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr) Fail("cannot make a scratch folder", __FILE__, __LINE__);
    fDir = tmpl;
  }
  ~ScratchFiles() {
    std::error_code ec;
    std::filesystem::remove_all(fDir, ec);
  }
  std::string fDir;
};

// Collects a target's seeds and writes them into the seed folder.
class Seeds {
 public:
  explicit Seeds(std::string dir) : fDir(std::move(dir)) {}
  void Add(const void* data, size_t size) {
    char name[32];
    std::snprintf(name, sizeof name, "/seed-%03d", fCount++);
    FILE* f = std::fopen((fDir + name).c_str(), "wb");
    if (f == nullptr) Fail("cannot write a seed", __FILE__, __LINE__);
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  void Add(const TBytes& b) { Add(b.data(), b.size()); }
  void Add(const std::string& s) { Add(s.data(), s.size()); }
  // A choice byte followed by data.
  void Add(uint8_t choice, const TBytes& b) {
    TBytes r{choice};
    r.insert(r.end(), b.begin(), b.end());
    Add(r);
  }
  void Add(uint8_t choice, const std::string& s) { Add(choice, TBytes(s.begin(), s.end())); }

 private:
  std::string fDir;
  int fCount = 0;
};

// Starts the library once and pins the process settings that readers consult,
// so that an input behaves the same in every run.
inline void Start() {
  static bool started = false;
  if (started) return;
  started = true;
  Initialize();
  SetUserDefaultLocale("en_US");
}

inline void WriteSeedsIfAsked(void (*writer)(Seeds&)) {
  const char* dir = std::getenv("SK_FUZZ_WRITE_SEEDS");
  if (dir == nullptr || *dir == '\0') return;
  ::mkdir(dir, 0755);
  Seeds seeds(dir);
  writer(seeds);
  std::exit(0);
}

}  // namespace sk::fuzz

// Names the target's seed writer and starts the library before the first input.
#define SK_FUZZ_SEEDS(writer)                                     \
  extern "C" int LLVMFuzzerInitialize(int*, char***) {            \
    ::sk::fuzz::Start();                                          \
    ::sk::fuzz::WriteSeedsIfAsked(writer);                        \
    return 0;                                                     \
  }
