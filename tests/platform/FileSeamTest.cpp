// The file layer's test seam: every kind of call is asked, and a failure the
// hook asks for reaches the caller as the system's failure would.
#include <gtest/gtest.h>

#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Streams.h"

namespace sk {
namespace {

class FileSeam : public ScratchFolderTest {
 protected:
  FileSeam() : ScratchFolderTest("sk_seam") {}
};

TEST_F(FileSeam, EveryKindOfCallIsAskedInOrder) {
  ScopedFileSeam seam;
  {
    TFileStream f(File("a"), fmCreate);
    Byte b[4] = {1, 2, 3, 4};
    f.WriteBuffer(b, 4);
    f.Seek(0, soBeginning);
    f.Position();  // asks nothing: it moves nothing
    f.ReadBuffer(b, 4);
    f.SetSize(2);
  }
  ASSERT_TRUE(ReplaceFileContent(File("a"), TBytes{9}));
  ASSERT_TRUE(RenameFile(File("a"), File("b")));
  ASSERT_TRUE(DeleteFile(File("b")));
  // Shrinking below the position also moves the position back.
  // A replacement looks at its target, and flushes its folder after the rename.
  const std::vector<TFileSeamOp> want = {fsoCreate, fsoWrite, fsoSeek,  fsoRead,   fsoSetSize, fsoSeek,  fsoStat,
                                         fsoTempFile, fsoWrite, fsoFlush, fsoRename, fsoFlush,   fsoRename, fsoDelete};
  std::vector<int> got(seam.ops.begin(), seam.ops.end()), expected(want.begin(), want.end());
  EXPECT_EQ(got, expected);
}

TEST_F(FileSeam, EachFailureReachesTheCaller) {
  WriteRaw("old", "old bytes");
  struct Case {
    Int64 failAt;
    Int32 answer;
  };
  // Create, write, seek, read, set size of a file stream; a short transfer
  // is not a failure: the exact forms go on with the rest.
  for (const Case c : {Case{1, ENOSPC}, Case{2, ENOSPC}, Case{3, EIO}, Case{4, EIO}, Case{5, EIO}}) {
    SCOPED_TRACE(c.failAt);
    ScopedFileSeam seam(c.failAt, c.answer);
    bool thrown = false;
    try {
      TFileStream f(File("s"), fmCreate);
      Byte b[4] = {1, 2, 3, 4};
      f.WriteBuffer(b, 4);
      f.Seek(0, soBeginning);
      f.ReadBuffer(b, 4);
      f.SetSize(2);
    } catch (const Exception&) {
      thrown = true;
    }
    EXPECT_TRUE(thrown);
  }
  // Every call of a whole-file replace: the old content stays.
  for (Int64 n = 1; n <= 4; ++n) {
    ScopedFileSeam seam(n, ENOSPC);
    EXPECT_FALSE(ReplaceFileContent(File("old"), TBytes{1, 2}));
    EXPECT_EQ(ReadRaw("old"), "old bytes");
  }
  {
    ScopedFileSeam seam(1, EIO);
    EXPECT_FALSE(DeleteFile(File("old")));
  }
  {
    ScopedFileSeam seam(1, EIO);
    EXPECT_TRUE(GetTempFileName(Utf8ToString(fDir), u"FC").empty());
  }
  {
    ScopedFileSeam seam(2, FileSeamShortTransfer);
    TFileStream f(File("short"), fmCreate);
    f.WriteBuffer("abcdef", 6);
  }
  EXPECT_EQ(ReadRaw("old"), "old bytes");
}

}  // namespace
}  // namespace sk
