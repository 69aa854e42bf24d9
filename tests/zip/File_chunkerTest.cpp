// The file chunker: the bytes of a chunk, the number of chunks at the
// boundaries, restoring with faults, and the prompts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <filesystem>

#include "ArchiverTestSupport.h"
#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "ZipTestSupport.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "zip/File_chunker.h"

namespace sk {
namespace {

// Answers the system message boxes for one scope and records them.
class ScopedMessageBoxes {
 public:
  struct Asked {
    String text;
    String caption;
    Cardinal flags;
  };
  explicit ScopedMessageBoxes(Int32 answer) {
    fPrevious = SetMessageBoxHandler([this, answer](const String& t, const String& c, Cardinal f) {
      asked.push_back({t, c, f});
      return answer;
    });
  }
  ~ScopedMessageBoxes() { SetMessageBoxHandler(fPrevious); }
  std::vector<Asked> asked;

 private:
  TMessageBoxHandler fPrevious;
};

std::string LE32s(Int32 v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 37 + 11) & 0xFF);
  return s;
}

class File_chunker : public ScratchFolderTest {
 protected:
  File_chunker() : ScratchFolderTest("chunker") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
    std::filesystem::create_directory(Path("set"));
    std::filesystem::create_directory(Path("out"));
    std::filesystem::create_directory(Path("work"));
  }
  // A chunker over source "src/<name>" that writes into "set".
  void Configure(TFileChunker& c, const std::string& name, Int32 chunkSize) {
    c.SetSourcename(File(name));
    c.SetDirCreating(File("set/"));
    c.SetDirRestoring(File("out"));
    c.SetDirWorking(File("work"));
    c.SetChunkSize(chunkSize);
  }
  Int64 FirstCapacity(const std::string& name, Int32 chunkSize) {
    return chunkSize - TFileChunker::ChunkOverhead(0, static_cast<Int64>(File(name).size()));
  }
  size_t ChunkFilesLeft() {
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(Path("set"))) n += e.is_regular_file();
    return n;
  }
};

TEST_F(File_chunker, TheBytesOfAFirstChunk) {
  WriteRaw("s.bin", "\x01\x02\xFF");
  TFileChunker c;
  Configure(c, "s.bin", 200);
  ASSERT_EQ(c.MakeChunkFiles(), 1);
  const String name = File("s.bin");
  std::string expected = LE32s(static_cast<Int32>(name.size()));
  expected.append(reinterpret_cast<const char*>(name.data()), name.size() * 2);
  expected += '\0';                       // zip flag
  expected += std::string("\x09\x00", 2);  // pack level
  expected += LE32s(200);
  const std::string chunk = ReadRaw("set/chunk 1 of 1.tmp");
  ASSERT_EQ(chunk.size(), expected.size() + 4 + 8 + 4 + 4 + 3 + 4);
  EXPECT_EQ(chunk.substr(0, expected.size()), expected);
  size_t p = expected.size() + 4 + 8;  // attributes and date
  EXPECT_EQ(chunk.substr(p, 4), LE32s(1));  // count
  EXPECT_EQ(chunk.substr(p + 4, 4), LE32s(0));  // chunk number
  EXPECT_EQ(chunk.substr(p + 8, 3), "\x01\x02\xFF");
  EXPECT_EQ(chunk.substr(p + 11, 4), LE32s(1 + 2 + 255));
  EXPECT_EQ(c.FirstFileInSet(), File("set/chunk 1 of 1.tmp"));
}

TEST_F(File_chunker, ChunkCountAtTheBoundary) {
  const Int32 size = 300;
  const Int64 cap = FirstCapacity("b.bin", size);
  struct Case {
    Int64 bytes;
    Int32 chunks;
  } cases[] = {{0, 1}, {cap, 1}, {cap + 1, 2}, {cap + (size - 8), 2}, {cap + (size - 8) + 1, 3}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.bytes);
    std::filesystem::remove_all(Path("set"));
    std::filesystem::create_directory(Path("set"));
    WriteRaw("b.bin", Pattern(static_cast<size_t>(k.bytes)));
    TFileChunker c;
    Configure(c, "b.bin", size);
    EXPECT_EQ(c.MakeChunkFiles(), k.chunks);
    EXPECT_EQ(ChunkFilesLeft(), static_cast<size_t>(k.chunks));
    if (k.bytes == cap) {
      EXPECT_EQ(std::filesystem::file_size(Path("set/chunk 1 of 1.tmp")), static_cast<size_t>(size));
    }
  }
}

TEST_F(File_chunker, AChunkSizeThatCannotHoldTheHeaderIsRefused) {
  WriteRaw("r.bin", "abc");
  const Int64 overhead = TFileChunker::ChunkOverhead(0, static_cast<Int64>(File("r.bin").size()));
  for (Int64 size : {Int64(0), Int64(8), overhead}) {
    TFileChunker c;
    Configure(c, "r.bin", static_cast<Int32>(size));
    EXPECT_EQ(c.MakeChunkFiles(), 0);
    EXPECT_EQ(ChunkFilesLeft(), 0u);
  }
  TFileChunker c;
  Configure(c, "r.bin", static_cast<Int32>(overhead + 1));
  EXPECT_EQ(c.MakeChunkFiles(), 2);  // one data byte in the first chunk, the rest in the second
}

TEST_F(File_chunker, RoundTripWithDeleteAfterRestoreAndEvents) {
  const std::string data = Pattern(5000);
  WriteRaw("d.bin", data);
  TFileChunker c;
  Configure(c, "d.bin", 1200);
  std::vector<Int32> made;
  c.OnChunkMade = [&](const String&, Int32 n, Int32 count) {
    made.push_back(n);
    EXPECT_EQ(count, 5);
  };
  ASSERT_EQ(c.MakeChunkFiles(), 5);
  EXPECT_EQ(made, (std::vector<Int32>{1, 2, 3, 4, 5}));

  TFileChunker r, failing;
  for (TFileChunker* each : {&r, &failing}) {
    each->SetSourcename(File("set/chunk 1 of 5.tmp"));
    each->SetDirRestoring(File("out/"));
    each->SetDeleteAfterRestore(true);
  }
  // A restored file that cannot be put in place costs no chunk.
  WriteRaw("out/d.bin", "old");
  const TFileSeamHook previous = SetFileSeamHook(
      [](TFileSeamOp op, const std::string& path) { return op == fsoRename && path.ends_with("/d.bin") ? ENOSPC : 0; });
  {
    PressingHook yes(u"Yes");
    ScopedModalHook hook(yes.Hook());
    EXPECT_FALSE(failing.RestoreAllChunks());
  }
  SetFileSeamHook(previous);
  EXPECT_EQ(ChunkFilesLeft(), 5u);
  std::filesystem::remove(Path("out/d.bin"));
  // A chunk another program writes to after it was read is not deleted.
  Int32 restored = 0, writer = -1;
  r.OnRestoreOne = [&](const String& name, Int32 n, Int32) {
    restored = n;
    if (n == 2) writer = WriteFromAnotherProcess(StringToUtf8(name), true);
  };
  ASSERT_TRUE(r.RestoreAllChunks());
  EXPECT_EQ(restored, 5);
  EXPECT_EQ(r.RestoredName(), File("out/d.bin"));
  EXPECT_EQ(ReadRaw("out/d.bin"), data);
  EXPECT_EQ(writer, 0);
  EXPECT_EQ(ChunkFilesLeft(), 1u);
  EXPECT_TRUE(ReadRaw("set/chunk 2 of 5.tmp").ends_with("CHANGED"));
}

// Nothing put at a chunk's or the restored name gets the content: a link is
// not followed, and over another user's file root restores one of its own.
TEST_F(File_chunker, WhatOthersPutAtAChunkOrTheRestoredNameGetsNothing) {
  WriteRaw("p.bin", "the secret");
  TFileChunker c;
  Configure(c, "p.bin", 1200);
  for (const char* name : {"set/chunk 1 of 1.tmp", "out/p.bin"})
    ASSERT_EQ(::symlink(Path("work/aimed.bin").c_str(), Path(name).c_str()), 0);
  EXPECT_THROW(c.MakeChunkFiles(), Exception);
  std::filesystem::remove(Path("set/chunk 1 of 1.tmp"));
  ASSERT_EQ(c.MakeChunkFiles(), 1);
  ASSERT_EQ(::chmod(Path("set/chunk 1 of 1.tmp").c_str(), 0600), 0);
  auto restore = [&] {
    TFileChunker r;
    r.SetSourcename(File("set/chunk 1 of 1.tmp"));
    r.SetDirRestoring(File("out"));
    return r.RestoreAllChunks();
  };
  EXPECT_FALSE(restore());
  EXPECT_FALSE(std::filesystem::exists(Path("work/aimed.bin")));

  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  PressingHook yes(u"Yes");
  ScopedModalHook hook(yes.Hook());
  WriteRaw("work/aimed.bin", "planted");
  ASSERT_EQ(::lchown(Path("out/p.bin").c_str(), 65534, 65534), 0);
  EXPECT_FALSE(restore());
  std::filesystem::remove(Path("out/p.bin"));
  ASSERT_EQ(::link(Path("work/aimed.bin").c_str(), Path("out/p.bin").c_str()), 0);
  ASSERT_EQ(::chown(Path("out/p.bin").c_str(), 65534, 65534) | ::chmod(Path("out/p.bin").c_str(), 0666), 0);
  EXPECT_TRUE(restore());
  struct stat st {};
  ASSERT_EQ(::stat(Path("out/p.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_mode & 077, 0u);
  EXPECT_EQ(ReadRaw("work/aimed.bin"), "planted");
}

// What stands at the first chunk's name when no set does: the reader's hold
// on the set neither waits on it nor reads it, and the make leaves it as it is.
TEST_F(File_chunker, AFifoOrAFolderAtTheFirstChunksNameIsNoSet) {
  WriteRaw("q.bin", Pattern(500));
  for (const bool fifo : {true, false}) {
    SCOPED_TRACE(fifo ? "FIFO" : "folder");
    const std::string first = Path("set/chunk 1 of 1.tmp");
    ASSERT_EQ(fifo ? ::mkfifo(first.c_str(), 0600) : ::mkdir(first.c_str(), 0700), 0);
    TFileChunker r;
    r.SetSourcename(File("set/chunk 1 of 1.tmp"));
    r.SetDirRestoring(File("out"));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(r.RestoreAllChunks());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(std::filesystem::is_empty(Path("out")));
    TFileChunker c;
    Configure(c, "q.bin", 1200);
    EXPECT_ANY_THROW(c.MakeChunkFiles());
    EXPECT_EQ(std::filesystem::status(first).type(),
              fifo ? std::filesystem::file_type::fifo : std::filesystem::file_type::directory);
    std::filesystem::remove_all(first);
  }
}

TEST_F(File_chunker, AChangedByteInChunkTwoFailsThere) {
  const std::string data = Pattern(3000);
  WriteRaw("e.bin", data);
  TFileChunker c;
  Configure(c, "e.bin", 1200);
  ASSERT_EQ(c.MakeChunkFiles(), 3);
  std::string second = ReadRaw("set/chunk 2 of 3.tmp");
  second[10] = static_cast<char>(second[10] ^ 0x40);
  WriteRaw("set/chunk 2 of 3.tmp", second);

  TFileChunker r;
  r.SetSourcename(File("set/chunk 1 of 3.tmp"));
  r.SetDirRestoring(File("out"));
  r.SetDeleteAfterRestore(true);
  std::vector<Int32> restored;
  r.OnRestoreOne = [&](const String&, Int32 n, Int32) { restored.push_back(n); };
  EXPECT_FALSE(r.RestoreAllChunks());
  EXPECT_EQ(restored, (std::vector<Int32>{1}));
  // A new file keeps what came before the fault; no chunk is deleted.
  const size_t first = static_cast<size_t>(FirstCapacity("e.bin", 1200));
  EXPECT_EQ(ReadRaw("out/e.bin"), data.substr(0, first));
  EXPECT_EQ(ChunkFilesLeft(), 3u);

  // Over an existing file (the user agreed), a failed restore leaves it as it was.
  WriteRaw("out/e.bin", "the old file");
  PressingHook yes(u"Yes");
  ScopedModalHook hook(yes.Hook());
  TFileChunker again;
  again.SetSourcename(File("set/chunk 1 of 3.tmp"));
  again.SetDirRestoring(File("out"));
  EXPECT_FALSE(again.RestoreAllChunks());
  EXPECT_EQ(yes.Shown(), 1);
  EXPECT_EQ(ReadRaw("out/e.bin"), "the old file");
}

TEST_F(File_chunker, CorruptHeadersFailBeforeAnyNameIsBuilt) {
  auto header = [&](const std::u16string& name, Int32 count) {
    std::string s = LE32s(static_cast<Int32>(name.size()));
    s.append(reinterpret_cast<const char*>(name.data()), name.size() * 2);
    s += std::string(1 + 2, '\0') + LE32s(100) + LE32s(0) + std::string(8, '\0') + LE32s(count);
    return s + LE32s(0) + LE32s(0);
  };
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"count 0", header(u"a.bin", 0)},
      {"count above a million", header(u"a.bin", 1000001)},
      {"name ..", header(u"x/..", 1)},
      {"name .", header(u".", 1)},
      {"empty name", header(u"dir/", 1)},
      {"name longer than the file", LE32s(0x10000000) + "ab"},
      {"negative name", LE32s(-5) + std::string(40, '\0')},
      {"cut short", header(u"a.bin", 1).substr(0, 20)},
      {"empty", ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    WriteRaw("set/chunk 1 of 1.tmp", k.bytes);
    TFileChunker r;
    r.SetSourcename(File("set/chunk 1 of 1.tmp"));
    r.SetDirRestoring(File("out"));
    EXPECT_FALSE(r.RestoreAllChunks());
    EXPECT_EQ(r.ChunkerFilenames().Count(), 0);
  }
  EXPECT_TRUE(std::filesystem::is_empty(Path("out")));
  // A stored path is cut to its last element: nothing lands outside the target.
  WriteRaw("set/chunk 1 of 1.tmp", header(u"../../evil.bin", 1));
  TFileChunker r;
  r.SetSourcename(File("set/chunk 1 of 1.tmp"));
  r.SetDirRestoring(File("out"));
  EXPECT_TRUE(r.RestoreAllChunks());
  EXPECT_EQ(r.RestoredName(), File("out/evil.bin"));
}

TEST_F(File_chunker, AMissingChunkIsAskedForThroughTheMessageBox) {
  WriteRaw("m.bin", Pattern(2000));
  TFileChunker c;
  Configure(c, "m.bin", 1200);
  ASSERT_EQ(c.MakeChunkFiles(), 2);
  std::filesystem::remove(Path("set/chunk 2 of 2.tmp"));
  ScopedMessageBoxes boxes(IDCANCEL);
  TFileChunker r;
  r.SetSourcename(File("set/chunk 1 of 2.tmp"));
  r.SetDirRestoring(File("out"));
  EXPECT_FALSE(r.RestoreAllChunks());
  ASSERT_EQ(boxes.asked.size(), 1u);
  EXPECT_EQ(boxes.asked[0].text, u"Insert disk 2 in " + MountPointOf(File("set")));
  EXPECT_EQ(boxes.asked[0].caption, u"Change Disk");
  EXPECT_EQ(boxes.asked[0].flags, MB_OKCANCEL | MB_ICONEXCLAMATION);
}

TEST_F(File_chunker, TheHostIsAskedForDisksWhenItWaits) {
  WriteRaw("h.bin", Pattern(2000));
  TFileChunker c;
  Configure(c, "h.bin", 1200);
  c.SetWaitForNewDisk(true);
  std::vector<Int32> disks;
  c.OnNewDiskNeeded = [&](Int32 n) { disks.push_back(n); };
  ASSERT_EQ(c.MakeChunkFiles(), 2);
  EXPECT_EQ(disks, (std::vector<Int32>{1, 2}));
  // Stopped after the first chunk: "Copy failure".
  TFileChunker s;
  Configure(s, "h.bin", 1200);
  s.OnChunkMade = [&](const String&, Int32, Int32) { s.Stop(); };
  EXPECT_THROW(s.MakeChunkFiles(), Exception);
}

TEST_F(File_chunker, ZipTooRoundTrip) {
  const std::string data(20000, 'z');
  // The source's name, kept in the archive and the first chunk, also when
  // it holds a byte that is not UTF-8.
  for (const std::string name : {"zz.txt", "z\xe9.txt"}) {
    WriteRaw(name, data);
    TFileChunker c;
    Configure(c, name, 200);
    c.SetSourcename(SystemNameToString(Path(name)));
    c.SetZipToo(true);
    const Int32 n = c.MakeChunkFiles();
    EXPECT_GE(n, 1);
    EXPECT_LT(n, 10);  // compressed first
    EXPECT_TRUE(std::filesystem::is_empty(Path("work")));
    TFileChunker r;
    r.SetSourcename(File("set/chunk 1 of " + std::to_string(n) + ".tmp"));
    r.SetDirRestoring(File("out"));
    r.SetDirWorking(File("work"));
    ASSERT_TRUE(r.RestoreAllChunks());
    EXPECT_EQ(ReadRaw("out/" + name), data);
  }
}

// A set made again under the same names: a full disk or a stop part-way
// fails the run and leaves the old set whole, nothing of the new one beside
// it; with room, the new set takes the names.
TEST_F(File_chunker, ASetMadeAgainTakesTheNamesOnlyWhenWhole) {
  const std::string old = Pattern(5000);
  std::string changed = old;
  for (char& ch : changed) ch = static_cast<char>(ch ^ 0x5A);
  auto make = [&](const std::string& data, const std::function<void(TFileChunker&)>& run) {
    WriteRaw("d.bin", data);
    TFileChunker c;
    Configure(c, "d.bin", 1200);
    run(c);
  };
  auto restored = [&] {
    std::filesystem::remove(Path("out/d.bin"));
    TFileChunker r;
    r.SetSourcename(File("set/chunk 1 of 5.tmp"));
    r.SetDirRestoring(File("out"));
    return r.RestoreAllChunks() ? ReadRaw("out/d.bin") : std::string("<failed>");
  };
  make(old, [](TFileChunker& c) { ASSERT_EQ(c.MakeChunkFiles(), 5); });
  make(changed, [&](TFileChunker& c) {
    ScopedSmallDisk disk(Path("set"), 9000);
    EXPECT_THROW(c.MakeChunkFiles(), Exception);
    EXPECT_TRUE(disk.refused);
  });
  EXPECT_EQ(ChunkFilesLeft(), 5u);
  EXPECT_TRUE(restored() == old);
  make(changed, [](TFileChunker& c) {
    c.OnChunkMade = [&c](const String&, Int32 n, Int32) {
      if (n == 3) c.Stop();
    };
    EXPECT_THROW(c.MakeChunkFiles(), Exception);
  });
  EXPECT_EQ(ChunkFilesLeft(), 5u);
  EXPECT_TRUE(restored() == old);
  // A file of the user's at the name the list of moves once had is neither
  // read as a list nor removed.
  const std::string notes = "notes on the chunks of d.bin, not a list";
  WriteRaw("set/chunk 1 of 5.tmp-chunks", notes);
  make(changed, [](TFileChunker& c) { ASSERT_EQ(c.MakeChunkFiles(), 5); });
  EXPECT_EQ(ChunkFilesLeft(), 6u);
  EXPECT_TRUE(restored() == changed);
  EXPECT_EQ(ReadRaw("set/chunk 1 of 5.tmp-chunks"), notes);
}

TEST(File_chunkerMyCopyFrom, TheSumCoversEveryPiece) {
  TMemoryStream src;
  const std::string bytes = "\xFF\x01\x02\x03\x04\x05\x06\x07\x08\x09";
  src.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  Int32 sum = 0;
  for (Int32 buffer : {1, 3, 10, 100}) {
    SCOPED_TRACE(buffer);
    TMemoryStream dest;
    EXPECT_EQ(ChecksumCopy(&dest, &src, 0, buffer, sum), 10);
    EXPECT_EQ(sum, 255 + 45);
    EXPECT_EQ(dest.Size(), 10);
  }
  TMemoryStream dest;
  EXPECT_THROW(ChecksumCopy(&dest, &src, 0, 0, sum), ERangeError);
}

}  // namespace
}  // namespace sk
