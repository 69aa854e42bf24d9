// Opening a zip archive of 100,000 entries made by `zip` and reading every
// name, size and CRC of its directory, beside `unzip -l` listing the same
// archive in the same run; and listing it as a host does (the archiver
// opened, then FindFirst and FindNext over every entry), bare and with the
// library started, with its ratio to `unzip -l` printed at the end.
//
// The archive is made once per run in a scratch folder under the system's
// temporary folder (100 folders of 1,000 empty files), and removed at exit.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "library/Units.h"
#include "platform/runtime/Streams.h"
#include "zip/ZAArchiver.h"
#include "zip/ZADirManager.h"

namespace {

namespace fs = std::filesystem;

struct TArchive {
  std::string dir;
  std::string path;
  std::string error;
};

const TArchive& Archive() {
  static const TArchive archive = [] {
    TArchive a;
    if (::access("/usr/bin/zip", X_OK) != 0) {
      a.error = "/usr/bin/zip is not installed";
      return a;
    }
    std::string tmpl = (fs::temp_directory_path() / "bench_zipdir_XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) {
      a.error = "no scratch folder";
      return a;
    }
    a.dir = tmpl;
    for (int folder = 0; folder < 100; ++folder) {
      const fs::path sub = fs::path(a.dir) / "files" / ("folder" + std::to_string(folder));
      fs::create_directories(sub);
      for (int i = 0; i < 1000; ++i) std::ofstream(sub / ("file_" + std::to_string(folder * 1000 + i) + ".txt"));
    }
    a.path = a.dir + "/many.zip";
    const std::string cmd = "cd '" + a.dir + "' && /usr/bin/zip -q -r -D many.zip files";
    if (std::system(cmd.c_str()) != 0) a.error = "zip failed";
    std::error_code ec;
    fs::remove_all(fs::path(a.dir) / "files", ec);
    // The folder's name outlives the static archive record, which may be
    // gone when the exit handlers run.
    static const std::string* const scratch = new std::string(a.dir);
    std::atexit([] {
      std::error_code e;
      fs::remove_all(*scratch, e);
    });
    return a;
  }();
  return archive;
}

// The archive's name, or false with the benchmark skipped when it could not
// be made.
bool ArchiveName(benchmark::State& state, sk::String& name) {
  const TArchive& a = Archive();
  if (!a.error.empty()) {
    state.SkipWithError(a.error.c_str());
    return false;
  }
  name = sk::Utf8ToString(a.path);
  return true;
}

void BM_LoadDirectory100k(benchmark::State& state) {
  sk::String name;
  if (!ArchiveName(state, name)) return;
  int64_t entries = 0;
  for (auto _ : state) {
    sk::TZASingleVolumeArchiver link(name, sk::fmOpenRead | sk::fmShareDenyNone);
    sk::TZAVolumeNumberInfo first;
    first.SetFirstVolume(true);
    link.OpenVolume(first);
    sk::TZADirManager dm(link.FCompressedStream, false, &link);
    dm.LoadDir();
    uint64_t sum = 0;
    for (int32_t i = 0; i < dm.CDir->Count(); ++i) {
      const sk::TDirItem& item = dm.CDir->FItems[static_cast<size_t>(i)];
      sum += item.Name.size() + item.CentralDir.unCompSize + item.CentralDir.crc32;
    }
    benchmark::DoNotOptimize(sum);
    entries = dm.CDir->Count();
  }
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_LoadDirectory100k)->Unit(benchmark::kMillisecond)->UseRealTime();

// Seconds per run of each kind, for the ratios printed after the run.
double gListedBare = 0;
double gListedStarted = 0;
double gUnzipListed = 0;

double SecondsPerRun(const benchmark::State& state, std::chrono::steady_clock::duration spent) {
  return state.iterations() == 0 ? 0 : std::chrono::duration<double>(spent).count() / state.iterations();
}

// Opens the archive and walks every entry with FindFirst and FindNext, as a
// host lists an archive.
void ListEntries(benchmark::State& state, double& seconds) {
  sk::String name;
  if (!ArchiveName(state, name)) return;
  int64_t entries = 0;
  std::chrono::steady_clock::duration spent{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    sk::TZipArchiver zip;
    zip.FFileName = name;
    zip.FOptions.FRecurse = true;
    zip.OpenArchive(sk::fmOpenRead | sk::fmShareDenyNone);
    sk::TZAArchiveItem item;
    int64_t n = 0;
    uint64_t sum = 0;
    for (bool ok = zip.FindFirst(u"*.*", item, 0x3F, sk::String()); ok; ok = zip.FindNext(item)) {
      sum += item.FileName.size() + static_cast<uint64_t>(item.UncompressedSize);
      ++n;
    }
    benchmark::DoNotOptimize(sum);
    zip.CloseArchive();
    spent += std::chrono::steady_clock::now() - start;
    entries = n;
  }
  seconds = SecondsPerRun(state, spent);
  state.counters["entries"] = static_cast<double>(entries);
}

void BM_ListEntries100k(benchmark::State& state) {
  sk::ZAArchiver_initialization();
  ListEntries(state, gListedBare);
  sk::ZAArchiver_Finalization();
}
BENCHMARK(BM_ListEntries100k)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with every unit of the library started, as inside a tool.
void BM_ListEntries100kStarted(benchmark::State& state) {
  Initialize();
  ListEntries(state, gListedStarted);
  Finalize();
}
BENCHMARK(BM_ListEntries100kStarted)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UnzipList100k(benchmark::State& state) {
  const TArchive& a = Archive();
  if (!a.error.empty() || ::access("/usr/bin/unzip", X_OK) != 0) {
    state.SkipWithError(a.error.empty() ? "/usr/bin/unzip is not installed" : a.error.c_str());
    return;
  }
  const std::string cmd = "/usr/bin/unzip -l '" + a.path + "' > /dev/null";
  std::chrono::steady_clock::duration spent{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("unzip failed");
    spent += std::chrono::steady_clock::now() - start;
  }
  gUnzipListed = SecondsPerRun(state, spent);
}
BENCHMARK(BM_UnzipList100k)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (gUnzipListed > 0) {
    if (gListedBare > 0) std::printf("listing 100,000 entries / unzip -l: %.2f (bare)\n", gListedBare / gUnzipListed);
    if (gListedStarted > 0)
      std::printf("listing 100,000 entries / unzip -l: %.2f (library started)\n", gListedStarted / gUnzipListed);
  }
  return 0;
}
