// Export of a large grid to .xlsx: SaveDataToExcel beside a direct
// libxlsxwriter loop that writes the same cells and formats.
//
// Each export runs in a child process, so that its peak memory (the child's
// maximum resident set) is its own; the child reports its time, which the
// benchmark takes as the iteration's time.  Rows: SK_BENCH_XLSX_ROWS
// (default 1,000,000) of five columns (text, integer, single, percent,
// text); the files go to the system's temporary folder and are removed.
//
// BM_MergeCells times the workbook's merge bookkeeping alone: range(0)
// merges, one per row over three columns, beside the title block's range.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/runtime/Colors.h"
#include "platform/spreadsheet/XlsWorkbook.h"
#include "services/Excel_utils.h"

namespace {

using namespace sk;

Int32 Rows() {
  const char* env = std::getenv("SK_BENCH_XLSX_ROWS");
  return env != nullptr && std::atoi(env) > 0 ? std::atoi(env) : 1000000;
}

std::string OutputFile(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("sk_bench_") + name + ".xlsx")).string();
}

constexpr TExcelDataTypes kKinds[] = {ex_string, ex_integer, ex_single, ex_percent, ex_string};

std::string WordOf(Int32 r) { return "word" + std::to_string(r % 50000); }
const char* kNote = "a short note";
Int32 IntOf(Int32 r) { return r * 7; }
Single SingleOf(Int32 r) { return static_cast<Single>(r % 1000) * 0.5f; }
Single PercentOf(Int32 r) { return static_cast<Single>(r % 100) / 100.0f; }

TExcelShowRec Show(Int32 c) {
  TExcelShowRec s;
  s.fmt = kKinds[c];
  s.HAlign = 1;
  s.VAlign = 0;
  s.font_size = 10;
  s.font_colour = clNavy;
  s.background_colour = clNone;
  return s;
}

void ExportThroughTheLibrary(const std::string& file, Int32 rows) {
  auto cell = [](Int32 r, Int32 c) {
    TExcelDataRec d;
    d.cell_format = Show(c);
    switch (c) {
      case 0: d.s = Utf8ToString(WordOf(r)); break;
      case 1: d.i = IntOf(r); break;
      case 2: d.f = SingleOf(r); break;
      case 3: d.f = PercentOf(r); break;
      default: d.s = Utf8ToString(kNote); break;
    }
    return d;
  };
  SaveDataToExcel(Utf8ToString(file), u"Data", u"A million rows", u"benchmark", u"", Show, cell, rows, 5);
}

void ExportDirectly(const std::string& file, Int32 rows) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* wb = workbook_new_opt(file.c_str(), &options);
  lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
  const char* numberFormats[] = {"@", "#,##0", "#,##0.00", "0.00%", "@"};
  lxw_format* columnFormats[5];
  lxw_format* cellFormats[5];
  for (int c = 0; c < 5; ++c) {
    columnFormats[c] = workbook_add_format(wb);
    format_set_num_format(columnFormats[c], numberFormats[c]);
    if (kKinds[c] == ex_string) {
      format_set_align(columnFormats[c], LXW_ALIGN_LEFT);
      format_set_align(columnFormats[c], LXW_ALIGN_VERTICAL_CENTER);
    }
    cellFormats[c] = workbook_add_format(wb);
    format_set_num_format(cellFormats[c], numberFormats[c]);
    format_set_font_size(cellFormats[c], 10);
    format_set_font_color(cellFormats[c], 0x000080);
    if (kKinds[c] == ex_string) {
      format_set_align(cellFormats[c], LXW_ALIGN_LEFT);
      format_set_align(cellFormats[c], LXW_ALIGN_VERTICAL_TOP);
    }
    worksheet_set_column(ws, static_cast<lxw_col_t>(c + 2), static_cast<lxw_col_t>(c + 2),
                         kKinds[c] == ex_string ? 12 : LXW_DEF_COL_WIDTH, columnFormats[c]);
  }
  lxw_format* title = workbook_add_format(wb);
  format_set_num_format(title, "@");
  format_set_font_size(title, 15);
  format_set_bold(title);
  format_set_align(title, LXW_ALIGN_CENTER);
  format_set_align(title, LXW_ALIGN_VERTICAL_CENTER);
  worksheet_write_string(ws, 0, 1, "A million rows", title);
  for (int c = 2; c <= 7; ++c) worksheet_write_blank(ws, 0, c, title);
  worksheet_write_string(ws, 0, 9, "Data", nullptr);
  for (int c = 1; c <= 7; ++c) worksheet_write_blank(ws, 1, c, title);
  worksheet_write_string(ws, 1, 9, "07-Dec-2026", nullptr);
  for (int c = 1; c <= 7; ++c) worksheet_write_blank(ws, 2, c, title);
  worksheet_write_string(ws, 2, 9, "benchmark", nullptr);
  worksheet_merge_range(ws, 0, 1, 2, 7, nullptr, nullptr);
  for (Int32 r = 0; r < rows; ++r) {
    const lxw_row_t row = static_cast<lxw_row_t>(r + 4);
    worksheet_write_string(ws, row, 2, WordOf(r).c_str(), cellFormats[0]);
    worksheet_write_number(ws, row, 3, IntOf(r), cellFormats[1]);
    worksheet_write_number(ws, row, 4, SingleOf(r), cellFormats[2]);
    worksheet_write_number(ws, row, 5, PercentOf(r), cellFormats[3]);
    worksheet_write_string(ws, row, 6, kNote, cellFormats[4]);
  }
  if (workbook_close(wb) != LXW_NO_ERROR) std::_Exit(2);
}

long ResidentKiB() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.compare(0, 6, "VmRSS:") == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// Runs export in a child; gives its seconds and peak resident set (KiB).
bool RunInChild(void (*exportFn)(const std::string&, Int32), const std::string& file, Int32 rows, double& seconds,
                long& peakKiB) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return false;
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    ::close(pipeFds[0]);
    const auto start = std::chrono::steady_clock::now();
    try {
      exportFn(file, rows);
    } catch (...) {
      std::_Exit(3);
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (::write(pipeFds[1], &s, sizeof s) != static_cast<ssize_t>(sizeof s)) std::_Exit(4);
    std::_Exit(0);
  }
  ::close(pipeFds[1]);
  const bool got = ::read(pipeFds[0], &seconds, sizeof seconds) == static_cast<ssize_t>(sizeof seconds);
  ::close(pipeFds[0]);
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  peakKiB = usage.ru_maxrss;
  return got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Run(benchmark::State& state, void (*exportFn)(const std::string&, Int32), const char* name) {
  const Int32 rows = Rows();
  const std::string file = OutputFile(name);
  long peak = 0;
  for (auto _ : state) {
    double seconds = 0;
    if (!RunInChild(exportFn, file, rows, seconds, peak)) {
      state.SkipWithError("the export failed");
      break;
    }
    state.SetIterationTime(seconds);
  }
  std::error_code ec;
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file, ec)) / 1e6;
  std::filesystem::remove(file, ec);
  state.counters["peak_rss_MB"] = static_cast<double>(peak) / 1024.0;
  state.counters["parent_rss_MB"] = static_cast<double>(ResidentKiB()) / 1024.0;
  state.counters["rows"] = rows;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * rows);
}

void BM_SaveDataToExcel(benchmark::State& state) { Run(state, ExportThroughTheLibrary, "library"); }
void BM_DirectLibxlsxwriterLoop(benchmark::State& state) { Run(state, ExportDirectly, "direct"); }

BENCHMARK(BM_SaveDataToExcel)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectLibxlsxwriterLoop)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_MergeCells(benchmark::State& state) {
  const Int32 merges = static_cast<Int32>(state.range(0));
  for (auto _ : state) {
    TXlsWorkbook wb;
    wb.MergeCells(1, 2, 3, 8);
    for (Int32 r = 0; r < merges; ++r) wb.MergeCells(r + 5, 3, r + 5, 5);
    benchmark::DoNotOptimize(wb.MergedCells().size());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * merges);
}

BENCHMARK(BM_MergeCells)->Arg(80000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
