// Listing a tree of 100,000 files: ListOfFilesAndDirs beside a plain
// std::filesystem::recursive_directory_iterator walk of the same tree.
//
// The tree (100 folders of 1,000 empty files, under the system's temporary
// folder) is made on first use and removed when the program ends.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "services/File_utils_listing.h"

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;

class TTree {
 public:
  TTree() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "sk_bench_list_XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) return;
    root = tmpl;
    for (int d = 0; d < kFolders; ++d) {
      const std::string folder = root + "/folder" + std::to_string(d);
      std::filesystem::create_directory(folder);
      for (int f = 0; f < kFilesPerFolder; ++f)
        if (FILE* fp = std::fopen((folder + "/text" + std::to_string(f) + ".txt").c_str(), "w")) std::fclose(fp);
    }
  }
  ~TTree() {
    std::error_code ec;
    if (!root.empty()) std::filesystem::remove_all(root, ec);
  }
  std::string root;
};

const TTree& Tree() {
  static const TTree tree;
  return tree;
}

void BM_ListOfFilesAndDirs(benchmark::State& state) {
  const sk::String root = sk::Utf8ToString(Tree().root);
  int64_t files = 0;
  for (auto _ : state) {
    sk::TFilesAndDirsRec r = sk::ListOfFilesAndDirs(root, u"*.*", true, false);
    files = r.files->Count();
    benchmark::DoNotOptimize(files);
  }
  state.counters["files"] = static_cast<double>(files);
  state.SetItemsProcessed(state.iterations() * files);
}

void BM_RecursiveDirectoryIterator(benchmark::State& state) {
  const std::string root = Tree().root;
  int64_t files = 0;
  for (auto _ : state) {
    files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
      if (e.is_regular_file()) ++files;
    benchmark::DoNotOptimize(files);
  }
  state.counters["files"] = static_cast<double>(files);
  state.SetItemsProcessed(state.iterations() * files);
}

BENCHMARK(BM_ListOfFilesAndDirs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecursiveDirectoryIterator)->Unit(benchmark::kMillisecond);

}  // namespace
