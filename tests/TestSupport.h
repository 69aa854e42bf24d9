// Helpers shared by the test programs: a scratch folder per test, byte
// strings, the lines of a list, and scopes that put a process setting back.
// Every test program that includes this file also checks, after each test,
// that the test left the library's hand-over variables as it found them.
#pragma once

// SK_UNDER_ASAN is 1 in a build under AddressSanitizer (GCC or Clang), where
// stack frames and address-space limits are not what a normal build has.
#if defined(__SANITIZE_ADDRESS__)
#define SK_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SK_UNDER_ASAN 1
#endif
#endif

#include <gtest/gtest.h>
#include <malloc.h>
#ifdef SK_UNDER_ASAN
#include <sanitizer/allocator_interface.h>
#endif
#include <stdlib.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/Global_vars.h"
#include "core/Useful_classes_stringlist_sorts.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

// Bytes given as numbers (0-255) or as the bytes of a std::string.
inline TBytes B(std::initializer_list<int> values) {
  TBytes r;
  for (int v : values) r.push_back(static_cast<Byte>(v));
  return r;
}

inline TBytes B(const std::string& s) { return TBytes(s.begin(), s.end()); }

// The whole content of a file as bytes; empty when it cannot be opened.
inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

// The lines of a list, in order.
inline std::vector<String> Lines(const TStrings& list) {
  std::vector<String> r;
  for (Int32 i = 0; i < list.Count(); ++i) r.push_back(list.Strings(i));
  return r;
}

// Sets the process ANSI code page for one scope and puts the old one back.
class ScopedACP {
 public:
  explicit ScopedACP(Cardinal cp) : fSaved(GetACP()) { SetACP(cp); }
  ~ScopedACP() { SetACP(fSaved); }
  ScopedACP(const ScopedACP&) = delete;
  ScopedACP& operator=(const ScopedACP&) = delete;

 private:
  Cardinal fSaved;
};

// A fresh folder under the system's temporary folder, named after prefix;
// empty when none could be made.
inline std::string MakeScratchFolder(const std::string& prefix) {
  std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
  return ::mkdtemp(tmpl.data()) != nullptr ? tmpl : std::string();
}

// Removes a scratch folder with all it holds, even when a test took away its
// permissions.
inline void RemoveScratchFolder(const std::string& dir) {
  if (dir.empty()) return;
  std::error_code ec;
  std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(dir, ec);
}

// A scratch folder for one scope.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& prefix) : fDir(MakeScratchFolder(prefix)) {}
  ~ScratchFolder() { RemoveScratchFolder(fDir); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string Path(const std::string& n) const { return fDir + "/" + n; }
  String File(const std::string& n) const { return Utf8ToString(Path(n)); }

 private:
  std::string fDir;
};

// Sets (or, with nullptr, removes) an environment variable for one scope and
// puts the old value back.
class ScopedEnvVar {
 public:
  ScopedEnvVar(const char* name, const char* value) : fName(name) {
    if (const char* old = std::getenv(name)) {
      fHadOld = true;
      fOld = old;
    }
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnvVar() {
    if (fHadOld)
      ::setenv(fName.c_str(), fOld.c_str(), 1);
    else
      ::unsetenv(fName.c_str());
  }
  ScopedEnvVar(const ScopedEnvVar&) = delete;
  ScopedEnvVar& operator=(const ScopedEnvVar&) = delete;

 private:
  std::string fName;
  std::string fOld;
  bool fHadOld = false;
};

// A fixture with a fresh scratch folder for each test, removed after it.
class ScratchFolderTest : public ::testing::Test {
 protected:
  explicit ScratchFolderTest(const char* prefix) : fPrefix(prefix) {}
  void SetUp() override {
    fDir = MakeScratchFolder(fPrefix);
    ASSERT_FALSE(fDir.empty());
  }
  void TearDown() override { RemoveScratchFolder(fDir); }
  std::string Path(const std::string& n) const { return fDir + "/" + n; }
  String File(const std::string& n) const { return Utf8ToString(Path(n)); }
  void WriteRaw(const std::string& n, const std::string& bytes) const { WriteFileBytes(Path(n), bytes); }
  std::string ReadRaw(const std::string& n) const { return ReadFileBytes(Path(n)); }

  std::string fPrefix;
  std::string fDir;
};

// An access ACL as the kernel stores it in an attribute: user::rw-
// user:65534:rw- group::--- mask::rw- other::--- (the mode reads 0660).
inline const std::string kTestAcl(
    "\2\0\0\0\1\0\6\0\377\377\377\377\2\0\6\0\376\377\0\0\4\0\0\0\377\377\377\377\20\0\6\0"
    "\377\377\377\377\40\0\0\0\377\377\377\377",
    44);

// An extended attribute of a file; empty when it has none.
inline std::string Attribute(const std::string& path, const char* name) {
  char value[256];
  const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
  return n < 0 ? std::string() : std::string(value, static_cast<size_t>(n));
}

// What work answered, and how far the resident size grew at its peak over
// the size before it; measured is false where the peak cannot be reset.
template <class T>
struct TPeakOf {
  bool measured = false;
  size_t peak = 0;
  T value{};
};

// Runs work in a child process, so that nothing else lives beside it, and
// measures its peak memory. T crosses a pipe: it must be trivially copyable.
template <class T, class F>
TPeakOf<T> PeakMemoryInChild(F work) {
  auto kib = [](const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind(field, 0) == 0) return static_cast<size_t>(std::stoull(line.substr(field.size())));
    return size_t{0};
  };
  TPeakOf<T> r;
  int link[2];
  if (::pipe(link) != 0) return r;
  const pid_t child = ::fork();
  if (child == 0) {
    // Fixed thresholds: large rooms come from the system and go back to it
    // when freed, whatever the process did before.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 20);
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5" << std::flush;  // the peak starts again from the present size
    if (reset) {
      const size_t before = kib("VmRSS:");
      r.value = work();
      const size_t peak = kib("VmHWM:");
      r.measured = true;
      r.peak = (peak > before ? peak - before : 0) << 10;
    }
    ::_exit(::write(link[1], &r, sizeof r) == sizeof r ? 0 : 1);
  }
  ::close(link[1]);
  const bool got = child > 0 && ::read(link[0], &r, sizeof r) == sizeof r;
  ::close(link[0]);
  if (child > 0) ::waitpid(child, nullptr, 0);
  return got ? r : TPeakOf<T>{};
}

// The bytes handed out by the allocator and not yet freed (the sanitizer's
// own count in a sanitizer build): the difference across some work is what
// it keeps, free of what the process happens to have resident.
inline size_t AllocatedBytes() {
#ifdef SK_UNDER_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
#endif
}

// References to every hand-over variable of the library, in one tuple: the
// lists the units export next to the variables.
inline auto HandOverVariables() {
  return std::tuple_cat(Global_vars_HandOverVariables(), Useful_classes_stringlist_sorts_HandOverVariables());
}

// Saves every hand-over variable (global_reversed_sort, global_temp_int,
// temp_Sort_which2) and puts them back when the scope ends. A test that sets
// one of them, or calls a routine that leaves one set, holds one of these.
class ScopedHandOverVariables {
 public:
  ScopedHandOverVariables() : fSaved(HandOverVariables()) {}
  ~ScopedHandOverVariables() { Restore(); }
  ScopedHandOverVariables(const ScopedHandOverVariables&) = delete;
  ScopedHandOverVariables& operator=(const ScopedHandOverVariables&) = delete;

  void Restore() { HandOverVariables() = fSaved; }
  bool Changed() const { return Values() != fSaved; }
  // The saved and the present values, for a failure message.
  std::string Describe() const { return "saved " + Text(fSaved) + ", now " + Text(Values()); }

 private:
  template <class... T>
  static std::tuple<T...> Copy(const std::tuple<T&...>& refs) {
    return refs;
  }
  using TValues = decltype(Copy(HandOverVariables()));
  static TValues Values() { return Copy(HandOverVariables()); }
  static std::string Text(const TValues& values) {
    std::string out;
    std::apply([&out](const auto&... v) { ((out += (out.empty() ? "(" : ", ") + ::testing::PrintToString(+v)), ...); },
               values);
    return out + ")";
  }

  TValues fSaved;
};

namespace test_support_detail {

// Fails a test that ends with a hand-over variable changed, and puts the
// variable back so that the tests after it start from the same values in any
// order (--gtest_shuffle).
class HandOverVariablesCheck : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override { fGuard = std::make_unique<ScopedHandOverVariables>(); }
  void OnTestEnd(const ::testing::TestInfo&) override {
    if (fGuard && fGuard->Changed())
      ADD_FAILURE() << "the test left a hand-over variable changed (" << fGuard->Describe()
                    << "); hold a ScopedHandOverVariables while it runs";
    fGuard.reset();
  }

 private:
  std::unique_ptr<ScopedHandOverVariables> fGuard;
};

inline const bool kHandOverVariablesChecked = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new HandOverVariablesCheck);
  return true;
}();

}  // namespace test_support_detail

}  // namespace sk
