// Fuzz target: restoring a file from a chunk set. The input is the first
// chunk file of a set; its header is read from memory, then the whole set is
// restored from disk (later chunks named by the header are missing, and the
// prompt for them is answered Cancel). A header that reads must have a count
// within the limits, and a restored file is a plain file of its target folder.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "platform/runtime/Dialogs.h"
#include "platform/runtime/Streams.h"
#include "support/FuzzSupport.h"
#include "zip/File_chunker.h"

using namespace sk;

namespace {

// First chunks made by the chunker itself: one-chunk and many-chunk sets, an
// empty source, a source with a long name, and sources whose names hold a
// backslash byte (Shift-JIS ソース, and ASCII).
void WriteSeeds(fuzz::Seeds& seeds) {
  const auto& scratch = fuzz::ScratchFiles::Instance();
  std::filesystem::create_directories(scratch.Path("seedset"));
  struct Seed {
    const char* leaf;
    size_t bytes;
    Int32 chunkSize;
  } list[] = {{"a.txt", 10, 200}, {"b.bin", 700, 256}, {"empty", 0, 100},
              {"a_rather_longer_source_name.dat", 40, 400}, {"\x83\x5C\x81[\x83X.bin", 300, 200},
              {"a\\b.bin", 30, 200}};
  for (const Seed& s : list) {
    std::string data(s.bytes, '\0');
    for (size_t i = 0; i < s.bytes; ++i) data[i] = static_cast<char>(i * 7);
    scratch.Write(s.leaf, data.data(), data.size());
    const String source = SystemNameToString(scratch.Path(s.leaf));
    for (const auto& e : std::filesystem::directory_iterator(scratch.Path("seedset")))
      std::filesystem::remove(e.path());
    TFileChunker c;
    c.SetSourcename(source);
    c.SetDirCreating(Utf8ToString(scratch.Path("seedset")));
    c.SetChunkSize(s.chunkSize);
    if (c.MakeChunkFiles() < 1) continue;
    TFileStream first(c.FirstFileInSet(), fmOpenRead);
    TBytes b(static_cast<size_t>(first.Size()));
    first.ReadBuffer(b.data(), static_cast<Int64>(b.size()));
    seeds.Add(b);
  }
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream ms;
  ms.WriteBuffer(data, static_cast<Int64>(size));
  ms.SetPosition(0);
  TChunkSetHeader h;
  if (ReadChunkSetHeader(&ms, h)) SK_FUZZ_CHECK(h.Count >= 1 && h.Count <= TFileChunker::MaxChunks);

  static const bool quiet = [] {
    SetMessageBoxHandler([](const String&, const String&, Cardinal) { return IDCANCEL; });
    return true;
  }();
  (void)quiet;
  const auto& scratch = fuzz::ScratchFiles::Instance();
  const std::string setDir = scratch.Path("set");
  const std::string outDir = scratch.Path("out");
  std::filesystem::create_directories(setDir);
  std::filesystem::create_directories(outDir);
  const String first = scratch.Write("set/first.tmp", data, size);
  TFileChunker r;
  r.SetSourcename(first);
  r.SetDirRestoring(Utf8ToString(outDir));
  r.SetDirWorking(Utf8ToString(scratch.Path("")));
  try {
    r.RestoreAllChunks();
  } catch (const Exception&) {
  }
  // A restored file is a plain file in the target folder; it is removed for
  // the next input (so that no overwrite question is ever asked).
  for (const auto& e : std::filesystem::directory_iterator(outDir)) {
    SK_FUZZ_CHECK(e.is_regular_file());
    std::filesystem::remove_all(e.path());
  }
  return 0;
}
