// The archiver's public operations beside the zip tools in the same run:
// adding the King James Bible ten times over (about 44 MB) at mode 6 beside
// `zip -6`, extracting it into a sink stream beside `unzip -p` into
// /dev/null, and listing 100,000 entries through OpenArchive, FindFirst and
// FindNext beside `unzip -l`; deleting the first entry of a 100 MB archive
// (every other entry moves: the new archive is written beside the old one
// and takes its place) and its second entry (the rest moves, through the
// update's journal) beside `zip -d`, and renaming its second entry, with the
// reads of the archive file that the open and the change make; one small add beside many other files;
// one small entry read again and again from an archive of 100,000
// entries that nothing changes meanwhile; and the repair of 1,000 and of
// 8,000 small entries side by side, beside `zip -FF`.
// A missing corpus or tool skips its benchmark.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "BenchCorpus.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/ZipReader.h"
#include "zip/ZAArchiver.h"

namespace {

namespace fs = std::filesystem;

struct TScratch {
  std::string dir;
  std::string error;
};

const TScratch& Scratch() {
  static const TScratch s = [] {
    TScratch t;
    std::string tmpl = (fs::temp_directory_path() / "bench_archiver_XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) {
      t.error = "no scratch folder";
      return t;
    }
    t.dir = tmpl;
    sk::ZAArchiver_initialization();
    static const std::string* const scratch = new std::string(t.dir);
    std::atexit([] {
      std::error_code e;
      fs::remove_all(*scratch, e);
    });
    return t;
  }();
  return s;
}

std::string CorpusPath() {
  const char* env = std::getenv("SK_BENCH_CORPUS10");
  return env != nullptr && *env != '\0' ? env : "/tmp/kjv10.txt";
}

bool Need(benchmark::State& state, const char* program) {
  if (!Scratch().error.empty()) {
    state.SkipWithError(Scratch().error.c_str());
    return false;
  }
  if (program != nullptr && ::access(program, X_OK) != 0) {
    state.SkipWithError((std::string(program) + " is not installed").c_str());
    return false;
  }
  if (!fs::exists(CorpusPath())) {
    state.SkipWithError(("corpus not found: " + CorpusPath()).c_str());
    return false;
  }
  return true;
}

// Our archive of the corpus, made once.
const std::string& OurArchive() {
  static const std::string path = [] {
    const std::string p = Scratch().dir + "/ours.zip";
    sk::TZipArchiver zip;
    zip.FFileName = sk::Utf8ToString(p);
    zip.OpenArchive();
    zip.SetCompressionMode(6);
    zip.FOptions.FStorePath = sk::spNoPath;
    zip.AddFiles(sk::Utf8ToString(CorpusPath()), 0x28BF, sk::String());
    return p;
  }();
  return path;
}

void BM_Archiver_AddKjv10Mode6(benchmark::State& state) {
  if (!Need(state, nullptr)) return;
  const std::string target = Scratch().dir + "/add.zip";
  for (auto _ : state) {
    fs::remove(target);
    sk::TZipArchiver zip;
    zip.FFileName = sk::Utf8ToString(target);
    zip.OpenArchive();
    zip.SetCompressionMode(6);
    zip.FOptions.FStorePath = sk::spNoPath;
    zip.AddFiles(sk::Utf8ToString(CorpusPath()), 0x28BF, sk::String());
    zip.CloseArchive();
  }
}
BENCHMARK(BM_Archiver_AddKjv10Mode6)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Peer_Zip6(benchmark::State& state) {
  if (!Need(state, "/usr/bin/zip")) return;
  const std::string target = Scratch().dir + "/peer.zip";
  const std::string cmd = "/usr/bin/zip -q -j -6 '" + target + "' '" + CorpusPath() + "'";
  for (auto _ : state) {
    fs::remove(target);
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("zip failed");
  }
}
BENCHMARK(BM_Peer_Zip6)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Archiver_ExtractKjv10ToNull(benchmark::State& state) {
  if (!Need(state, nullptr)) return;
  sk::TZipArchiver zip;
  zip.FFileName = sk::Utf8ToString(OurArchive());
  zip.OpenArchive();
  const sk::String name = sk::Utf8ToString(fs::path(CorpusPath()).filename().string());
  for (auto _ : state) {
    sk::TNullStream sink;
    zip.ExtractToStream(name, &sink);
  }
}
BENCHMARK(BM_Archiver_ExtractKjv10ToNull)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Peer_UnzipP(benchmark::State& state) {
  if (!Need(state, "/usr/bin/unzip")) return;
  const std::string cmd = "/usr/bin/unzip -p '" + OurArchive() + "' > /dev/null";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("unzip failed");
}
BENCHMARK(BM_Peer_UnzipP)->Unit(benchmark::kMillisecond)->UseRealTime();

// 100,000 empty entries in 100 folders, made by our archiver once.
const std::string& ManyArchive() {
  static const std::string path = [] {
    const std::string p = Scratch().dir + "/many.zip";
    sk::TZipArchiver zip;
    zip.FFileName = sk::Utf8ToString(p);
    zip.OpenArchive();
    zip.SetZip64Mode(sk::zmAuto);
    zip.SetCompressionMode(0);
    zip.BeginUpdate();
    for (int i = 0; i < 100000; ++i)
      zip.AddFromString(sk::Utf8ToString("folder" + std::to_string(i / 1000) + "/file_" + std::to_string(i) + ".txt"),
                        sk::String(), 0x20, 45000);
    zip.EndUpdate();
    return p;
  }();
  return path;
}

void BM_Archiver_List100k(benchmark::State& state) {
  if (!Scratch().error.empty()) return;
  const sk::String name = sk::Utf8ToString(ManyArchive());
  int64_t found = 0;
  for (auto _ : state) {
    sk::TZipArchiver zip;
    zip.FFileName = name;
    zip.OpenArchive();
    sk::TZAArchiveItem item;
    found = 0;
    uint64_t sum = 0;
    for (bool ok = zip.FindFirst(u"*", item, 0x28BF, sk::String()); ok; ok = zip.FindNext(item)) {
      ++found;
      sum += item.FileName.size() + static_cast<uint64_t>(item.UncompressedSize);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["entries"] = static_cast<double>(found);
}
BENCHMARK(BM_Archiver_List100k)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Peer_UnzipList100kOurs(benchmark::State& state) {
  if (::access("/usr/bin/unzip", X_OK) != 0) {
    state.SkipWithError("/usr/bin/unzip is not installed");
    return;
  }
  const std::string cmd = "/usr/bin/unzip -l '" + ManyArchive() + "' > /dev/null";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("unzip failed");
}
BENCHMARK(BM_Peer_UnzipList100kOurs)->Unit(benchmark::kMillisecond)->UseRealTime();

// 100 stored entries of 1 MB that do not compress, made once, and a copy of
// it put back before each timed delete.
constexpr int kBigEntries = 100;
constexpr size_t kBigEntrySize = 1 << 20;

const std::string& BigArchive() {
  static const std::string path = [] {
    const std::string p = Scratch().dir + "/big.zip";
    sk::TZipArchiver zip;
    zip.FFileName = sk::Utf8ToString(p);
    zip.OpenArchive();
    zip.SetCompressionMode(0);
    zip.BeginUpdate();
    uint64_t x = 88172645463325252ull;
    std::string data(kBigEntrySize, '\0');
    for (int i = 0; i < kBigEntries; ++i) {
      for (char& c : data) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        c = static_cast<char>(x);
      }
      zip.AddFromBuffer(sk::Utf8ToString("entry" + std::to_string(1000 + i) + ".bin"), data.data(),
                        static_cast<sk::Int64>(data.size()), 0x20, 45000);
    }
    zip.EndUpdate();
    return p;
  }();
  return path;
}

// A fresh copy of the big archive at target, outside the timing.
void CopyBig(benchmark::State& state, const std::string& target) {
  state.PauseTiming();
  fs::copy_file(BigArchive(), target, fs::copy_options::overwrite_existing);
  state.ResumeTiming();
}

void BM_Archiver_DeleteFirstOf100MB(benchmark::State& state) {
  if (!Scratch().error.empty()) return;
  const std::string target = Scratch().dir + "/delete.zip";
  for (auto _ : state) {
    CopyBig(state, target);
    sk::TZipArchiver zip;
    zip.FFileName = sk::Utf8ToString(target);
    zip.OpenArchive();
    zip.DeleteFiles(u"entry1000.bin", 0x28BF, sk::String());
    zip.CloseArchive();
  }
}
BENCHMARK(BM_Archiver_DeleteFirstOf100MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

// The file layer's reads made by opening a fresh copy of the big archive and
// by one change of it (which finds its entries under the archive's lock), as
// the benchmark's counters open_reads and update_reads.
template <typename Change>
void MeasureChangeOfBig(benchmark::State& state, const std::string& target, Change change) {
  int64_t openReads = 0, updateReads = 0;
  for (auto _ : state) {
    CopyBig(state, target);
    int64_t* counter = &openReads;
    openReads = updateReads = 0;
    const sk::TFileSeamHook previous = sk::SetFileSeamHook([&counter](sk::TFileSeamOp op, const std::string&) {
      if (op == sk::fsoRead) ++*counter;
      return 0;
    });
    sk::TZipArchiver zip;
    zip.FFileName = sk::Utf8ToString(target);
    zip.OpenArchive();
    counter = &updateReads;
    change(zip);
    zip.CloseArchive();
    sk::SetFileSeamHook(previous);
  }
  state.counters["open_reads"] = static_cast<double>(openReads);
  state.counters["update_reads"] = static_cast<double>(updateReads);
}

// Deleting the second entry: the commit keeps the old tail in the journal.
// The journal's checks add no reads while no journal is there.
void BM_Archiver_DeleteSecondOf100MB(benchmark::State& state) {
  if (!Scratch().error.empty()) return;
  MeasureChangeOfBig(state, Scratch().dir + "/delete2.zip",
                     [](sk::TZipArchiver& zip) { zip.DeleteFiles(u"entry1001.bin", 0x28BF, sk::String()); });
}
BENCHMARK(BM_Archiver_DeleteSecondOf100MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

// Renaming the second entry: only the directory is written anew.
void BM_Archiver_RenameSecondOf100MB(benchmark::State& state) {
  if (!Scratch().error.empty()) return;
  MeasureChangeOfBig(state, Scratch().dir + "/rename2.zip",
                     [](sk::TZipArchiver& zip) { zip.RenameFile(u"entry1001.bin", u"renamed1001.bin"); });
}
BENCHMARK(BM_Archiver_RenameSecondOf100MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

// The same with the flushes not waited for: what the journal costs besides
// them (its copy of the tail and its checksum).
void BM_Archiver_DeleteFirstOf100MB_FlushesSkipped(benchmark::State& state) {
  const bool was = sk::SetFileFlushesSkipped(true);
  BM_Archiver_DeleteFirstOf100MB(state);
  sk::SetFileFlushesSkipped(was);
}
BENCHMARK(BM_Archiver_DeleteFirstOf100MB_FlushesSkipped)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

void BM_Peer_ZipDeleteFirstOf100MB(benchmark::State& state) {
  if (::access("/usr/bin/zip", X_OK) != 0) {
    state.SkipWithError("/usr/bin/zip is not installed");
    return;
  }
  const std::string target = Scratch().dir + "/peer-delete.zip";
  const std::string cmd = "/usr/bin/zip -q -d '" + target + "' entry1000.bin";
  for (auto _ : state) {
    CopyBig(state, target);
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("zip -d failed");
  }
}
BENCHMARK(BM_Peer_ZipDeleteFirstOf100MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

// Opening an archive whose folder holds state.range(0) other files, adding
// one small entry and closing it: what the first update's look for hidden
// copies that killed writers left costs (a listing of the folder), with the
// flushes not waited for.
void BM_Archiver_AddOneBesideFiles(benchmark::State& state) {
  if (!Scratch().error.empty()) return;
  const std::string folder = Scratch().dir + "/beside" + std::to_string(state.range(0));
  fs::create_directories(folder);
  for (int64_t i = 0; i < state.range(0); ++i) std::ofstream(folder + "/text" + std::to_string(i) + ".txt") << "x";
  const bool was = sk::SetFileFlushesSkipped(true);
  int64_t n = 0;
  for (auto _ : state) {
    sk::TZipArchiver zip;
    zip.FFileName = sk::Utf8ToString(folder + "/a.zip");
    zip.OpenArchive();
    zip.AddFromString(sk::Utf8ToString("e" + std::to_string(n++) + ".txt"), u"text", 0x20, 40000);
    zip.CloseArchive();
  }
  sk::SetFileFlushesSkipped(was);
}
BENCHMARK(BM_Archiver_AddOneBesideFiles)->Arg(0)->Arg(10000)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(300);

// One small entry read again and again from the archive of 100,000 entries
// (a directory of several megabytes), which nothing changes meanwhile: each
// read checks under the shared lock that no other process changed the
// archive, by the archiver and by the platform's zip reader.
void BM_Archiver_ReadOneOf100k(benchmark::State& state) {
  if (!Scratch().error.empty()) return;
  sk::TZipArchiver zip;
  zip.FFileName = sk::Utf8ToString(ManyArchive());
  zip.OpenArchive(sk::fmOpenRead);
  sk::String text;
  for (auto _ : state) {
    zip.ExtractToString(u"folder50/file_50000.txt", text);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_Archiver_ReadOneOf100k)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ZipFile_ReadOneOf100k(benchmark::State& state) {
  if (!Scratch().error.empty()) return;
  sk::TZipFile zip;
  zip.Open(sk::Utf8ToString(ManyArchive()), sk::zmRead);
  const sk::Int32 index = zip.IndexOf(u"folder50/file_50000.txt");
  sk::TBytes bytes;
  for (auto _ : state) {
    zip.Read(index, bytes);
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_ZipFile_ReadOneOf100k)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Repairing archives of 1,000 and 8,000 small deflated entries whose
// directory was cut away, into a new file, both in each iteration: their
// times and the ratio of the two (8 when the repair grows linearly), with
// `zip -FF` on the same files beside as a peer.
const std::string& RepairSource(int entries) {
  static std::map<int, std::string> made;
  std::string& path = made[entries];
  if (!path.empty()) return path;
  path = Scratch().dir + "/repair" + std::to_string(entries) + ".zip";
  sk::Int64 directory = 0;
  {
    sk::TZipArchiver zip;
    zip.FFileName = sk::Utf8ToString(path);
    zip.OpenArchive();
    zip.SetCompressionMode(6);
    zip.BeginUpdate();
    for (int i = 0; i < entries; ++i)
      zip.AddFromString(sk::Utf8ToString("folder" + std::to_string(i / 100) + "/entry" + std::to_string(i) + ".txt"),
                        sk::Utf8ToString("In the beginning " + std::string(static_cast<size_t>(200 + i % 100), 'w') +
                                         std::to_string(i)),
                        0x20, 45000);
    zip.EndUpdate();
    directory = zip.DMHandle->CentralDirOffset;
    zip.CloseArchive();
  }
  fs::resize_file(path, static_cast<uintmax_t>(directory));
  return path;
}

template <class Repair>
void MeasureRepairGrowth(benchmark::State& state, Repair repair) {
  double seconds[2] = {0, 0};
  const int sizes[2] = {1000, 8000};
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      const std::string target = Scratch().dir + "/repaired" + std::to_string(sizes[k]) + ".zip";
      fs::remove(target);
      const auto start = std::chrono::steady_clock::now();
      if (!repair(RepairSource(sizes[k]), target)) state.SkipWithError("the repair failed");
      seconds[k] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ms_1000"] = seconds[0] * 1000 / n;
  state.counters["ms_8000"] = seconds[1] * 1000 / n;
  state.counters["ratio_8x"] = seconds[0] > 0 ? seconds[1] / seconds[0] : 0;
}

void BM_Archiver_RepairGrowth(benchmark::State& state) {
  if (!Scratch().error.empty()) return;
  MeasureRepairGrowth(state, [](const std::string& source, const std::string& target) {
    sk::TZipArchiver zip;
    zip.FFileName = sk::Utf8ToString(source);
    zip.SetCompressionMode(6);
    zip.RepairArchive(sk::Utf8ToString(target));
    return true;
  });
}
BENCHMARK(BM_Archiver_RepairGrowth)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Peer_ZipFFRepairGrowth(benchmark::State& state) {
  if (!Scratch().error.empty()) return;
  if (::access("/usr/bin/zip", X_OK) != 0) {
    state.SkipWithError("/usr/bin/zip is not installed");
    return;
  }
  MeasureRepairGrowth(state, [](const std::string& source, const std::string& target) {
    // It asks whether the archive is on one disk.
    const std::string cmd = "printf 'y\\n' | /usr/bin/zip -FF '" + source + "' --out '" + target + "' >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0 && fs::file_size(target) > 1000;
  });
}
BENCHMARK(BM_Peer_ZipFFRepairGrowth)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
