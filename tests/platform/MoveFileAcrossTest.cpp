// A move to another file system copies the file and then deletes it: a file
// another program writes to before the delete is not deleted.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"

namespace sk {
namespace {

TEST(MoveFileAcross, ASourceWrittenToAfterItsCopyStays) {
  const ScratchFolder here("sk_move_from");
  const ScratchFolder other = [] {
    ScopedEnvVar onShm("TMPDIR", "/dev/shm");
    return ScratchFolder("sk_move_to");
  }();
  struct stat a, b;
  if (::stat(here.Path("").c_str(), &a) != 0 || ::stat(other.Path("").c_str(), &b) != 0 || a.st_dev == b.st_dev)
    GTEST_SKIP() << "needs a second file system";
  const std::string src = here.Path("data.txt"), dst = other.Path("data.txt");
  WriteFileBytes(src, "moved");
  // Another program appends to the source once it is copied.
  TFileSeamHook previous = SetFileSeamHook([&](TFileSeamOp op, const std::string& path) -> Int32 {
    if (op != fsoDelete || path != src) return 0;
    const pid_t child = ::fork();
    if (child == 0) {
      const int fd = ::open(src.c_str(), O_WRONLY | O_APPEND);
      ::_exit(fd >= 0 && ::write(fd, " and more", 9) == 9 ? 0 : 1);
    }
    int status = 1;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    return 0;
  });
  const bool moved = MoveFile(Utf8ToString(src), Utf8ToString(dst), true);
  SetFileSeamHook(std::move(previous));
  EXPECT_FALSE(moved);
  EXPECT_EQ(ReadFileBytes(src), "moved and more");
  EXPECT_FALSE(std::filesystem::exists(dst));
}

}  // namespace
}  // namespace sk
