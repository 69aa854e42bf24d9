// A growth sweep of the public routines a user's data reaches: texts, word
// lists and other string lists with their sorts, text-file readers and
// writers, encodings, lemma and stop lists, the search engine, file lists,
// results lists (sort, delete, join, match, zap, undo), archives and
// workbooks (rich cells written and read back). Each routine of the
// table runs once at n and once at 8n, where 8n is what a corpus holds (a text
// of 44 MB, a word list of 100,000 types, a results list of 1,000,000 lines,
// 200,000 files, an archive of 10,000 entries), with a yield hook installed
// that records the longest stretch between two of its calls (from the start
// of the work to its end). After the benchmarks a table gives, per routine,
// both times, their ratio and both longest stretches, and marks a routine
// whose ratio is well beyond n log n's or that kept the host waiting for
// more than half a second.
//
// SK_GROWTH_QUICK=1 (or --quick) divides every size by 8, so that the sweep
// runs in a few minutes; --benchmark_filter picks routines as usual. The
// texts are the King James Bible ten times over (SK_BENCH_CORPUS10, written
// by scripts/bench), repeated when a size asks for more.
#include <QtCore/QTimer>
#include <QtGui/QClipboard>
#include <QtGui/QKeyEvent>
#include <QtGui/QPixmap>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "BenchCorpus.h"
#include "BenchList.h"
#include "BenchThreeLevelList.h"
#include "analysis/Further_string_functions.h"
#include "analysis/Search_and_do_engineU.h"
#include "analysis/Search_parsing.h"
#include "analysis/Work_qm_base.h"
#include "analysis/Maths_routines.h"
#include "core/Global_vars.h"
#include "display/QMGridCellHandler.h"
#include "display/QM_Grid.h"
#include "core/My_string_functions.h"
#include "core/Unicode_string_conversion.h"
#include "core/Useful_classes_base.h"
#include "display/SourceTextRichEdit.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/ZipReader.h"
#include "platform/spreadsheet/XlsSheet.h"
#include "platform/visual/ComboBoxes.h"
#include "services/Excel_utils.h"
#include "services/File_utils_copying.h"
#include "services/File_utils_listing.h"
#include "services/File_utils_textfiles.h"
#include "services/Html_utils.h"
#include "services/Lem_match_stop_rel_lists.h"
#include "services/Modify_source_texts_basics.h"
#include "platform/visual/Forms.h"
#include "platform/visual/Graphics.h"
#include "platform/visual/MessageDialogs.h"
#include "ui/My_filtercombou.h"
#include "ui/ShellFolderDialogU.h"
#include "services/Wdef_records.h"
#include "zip/File_chunker.h"
#include "zip/ZAArchiver.h"
// The rows of series of files and chunk sets.
#include "zip/File_chunker.h"
#include "zip/Zip_utils.h"

namespace {

using namespace sk;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// ---- the sweep's machinery ------------------------------------------------------------

using TWork = std::function<void()>;

struct TRoutine {
  const char* family;
  const char* name;
  Int64 n;  // the smaller size at full scale; 8n is what a corpus holds
  // Builds the input of size n outside the timing and answers the work to time.
  std::function<TWork(Int64 n)> prepare;
};

struct TResult {
  double seconds = -1;
  double longestGap = -1;
};

// Results by routine, [0] at n and [1] at 8n.
std::map<const TRoutine*, TResult[2]>& Results() {
  static std::map<const TRoutine*, TResult[2]> r;
  return r;
}

bool gQuick = false;

Int64 Scaled(Int64 n) { return gQuick ? std::max<Int64>(n / 8, 1) : n; }

// Records the longest stretch without a call of the yield hook while it lives.
class TGapRecorder {
 public:
  TGapRecorder() : fLast(Clock::now()) {
    Global_YieldProcessProc = [this] {
      const Clock::time_point now = Clock::now();
      Note(now);
    };
  }
  ~TGapRecorder() { Global_YieldProcessProc = nullptr; }
  TGapRecorder(const TGapRecorder&) = delete;
  TGapRecorder& operator=(const TGapRecorder&) = delete;
  double Finish() {
    Note(Clock::now());
    return fLongest;
  }

 private:
  void Note(Clock::time_point now) {
    fLongest = std::max(fLongest, std::chrono::duration<double>(now - fLast).count());
    fLast = now;
  }
  Clock::time_point fLast;
  double fLongest = 0;
};

void RunRoutine(benchmark::State& state, const TRoutine* r, int which) {
  const Int64 n = Scaled(r->n) * (which == 0 ? 1 : 8);
  for (auto _ : state) {
    TWork work = r->prepare(n);
    const Clock::time_point start = Clock::now();
    double gap = 0;
    {
      TGapRecorder gaps;
      work();
      gap = gaps.Finish();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    state.counters["n"] = static_cast<double>(n);
    state.counters["gap_ms"] = gap * 1e3;
    Results()[r][which] = TResult{seconds, gap};
    work = nullptr;  // what the work kept is freed outside the timing
  }
}

// ---- inputs ------------------------------------------------------------------------------

// A text of n characters: the tenfold corpus, repeated as needed.
String TextOf(Int64 n) {
  const String& all = bench::Kjv10().text;
  if (all.empty()) return String(static_cast<size_t>(n), u'x');
  String t;
  t.reserve(static_cast<size_t>(n));
  while (static_cast<Int64>(t.size()) < n)
    t.append(all, 0, std::min(all.size(), static_cast<size_t>(n) - t.size()));
  return t;
}

// n distinct words of 3 to 10 letters, in random order.
std::vector<String> WordsOf(Int64 n, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::vector<String> words;
  words.reserve(static_cast<size_t>(n));
  for (Int64 i = 0; i < n; ++i) {
    String w;
    for (Int64 v = i;; v /= 26) {  // distinct: the number in letters, then a random tail
      w.push_back(static_cast<Char>(u'a' + v % 26));
      if (v < 26) break;
    }
    while (w.size() < 3 + rng() % 8) w.push_back(static_cast<Char>(u'a' + rng() % 26));
    words.push_back(std::move(w));
  }
  std::shuffle(words.begin(), words.end(), rng);
  return words;
}

// A scratch folder for the files of the sweep, removed at exit.
const std::string& Scratch() {
  static const std::string dir = [] {
    std::string tmpl = (fs::temp_directory_path() / "bench_growth_XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) return std::string("/tmp");
    static const std::string* const keep = new std::string(tmpl);
    std::atexit([] {
      std::error_code e;
      fs::remove_all(*keep, e);
    });
    return tmpl;
  }();
  return dir;
}

String ScratchName(const char* name) { return Utf8ToString(Scratch() + "/" + name); }

// The offscreen application the controls' rows need.
void Widgets() {
  static QApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_growth";
    static char* argv[] = {name, nullptr};
    return QApplication::instance() != nullptr ? nullptr : new QApplication(argc, argv);
  }();
  (void)app;
}

// A message's text of n characters: the letters and digits of encoded text,
// in one run or in words of seven letters.
String MessageOf(Int64 n, bool words) {
  static const String kDigits = u"QWxhZGRpbjpvcGVuIHNlc2FtZQ0123456789";
  String text;
  for (Int64 i = 0; i < n; ++i) text += words && i % 8 == 7 ? u' ' : kDigits[static_cast<size_t>(i) % kDigits.size()];
  return text;
}

// A message dialog of text, built and drawn offscreen.
void ShownMessage(const String& text) {
  std::unique_ptr<TForm> form = CreateMessageDialog(text, mtError, TMsgDlgButtons{mbOK});
  benchmark::DoNotOptimize(form->Widget()->grab());
}

// A message of n characters listing paths, one a line (the files a tool
// could not read).
String PathLines(Int64 n) {
  String text;
  for (Int64 i = 0; static_cast<Int64>(text.size()) < n; ++i)
    text += u"/home/researcher/corpora/BNC_XML_edition/Texts/A/A" + IntToStr(static_cast<Int32>(i % 10)) + u"/A" +
            IntToStr(static_cast<Int32>(i)) + u"_text.xml\r";
  return text;
}

// A results list whose entries carry a frequency, a text count and a word,
// sorted on three levels, that owns its entries.
using TGrowthEntry = TBenchWordEntry;

class TGrowthList : public TThreeLevelBenchList {
 public:
  ~TGrowthList() override { Clear(); }
  void RemoveAnEntry(Int32 index) override {
    TQMBaseListObject* e = At(index);
    TQMBaseDataClass::RemoveAnEntry(index);
    delete e;
  }
};

std::shared_ptr<TGrowthList> ResultsListOf(Int64 n) {
  auto list = std::make_shared<TGrowthList>();
  std::mt19937 rng(7);
  const std::vector<String> words = WordsOf(std::min<Int64>(n, 100000));
  list->SetCapacity(static_cast<Int32>(n));
  for (Int64 i = 0; i < n; ++i) {
    auto* e = new TGrowthEntry(list.get(), nullptr);
    e->freq = static_cast<Int64>(rng() % 100);
    e->texts = static_cast<Int32>(rng() % 1000);
    e->word = words[static_cast<size_t>(i) % words.size()];
    list->Add(e);
  }
  return list;
}

// Every step-th index of a list of n, from first.
// n numbers spread over the whole range, the same ones in every run.
std::shared_ptr<std::vector<Int32>> RandomNumbers(Int64 n) {
  auto values = std::make_shared<std::vector<Int32>>();
  std::mt19937 rng(13);
  for (Int64 i = 0; i < n; ++i) values->push_back(static_cast<Int32>(rng()));
  return values;
}

std::shared_ptr<T1LongintList> EveryNth(Int64 n, Int64 step, Int64 first = 0) {
  auto l = std::make_shared<T1LongintList>();
  for (Int64 i = first; i < n; i += step) l->AddOne(static_cast<Int32>(i));
  return l;
}

// A file list of n files in n / 100 folders, shuffled names and sizes.
std::shared_ptr<TFolderEfficientFileList> FileListOf(Int64 n) {
  auto list = std::make_shared<TFolderEfficientFileList>();
  const std::vector<String> names = WordsOf(n, 3);
  std::mt19937 rng(5);
  for (Int64 i = 0; i < n; ++i) {
    TBasicFileRec r{};
    r.ShortName = names[static_cast<size_t>(i)] + u".txt";
    r.Size = static_cast<Int64>(rng() % 1000000);
    r.TextualDateAndTime = 40000 + rng() % 5000;
    list->AddOne(u"/corpus/folder" + Utf8ToString(std::to_string(i % std::max<Int64>(n / 100, 1))), r);
  }
  return list;
}

// An archive of n small entries in n / 100 folders.
String ArchiveOf(Int64 n, const char* name, const std::string& folder = "folder") {
  const String path = ScratchName(name);
  fs::remove(StringToUtf8(path));
  TZipArchiver zip;
  zip.FFileName = path;
  zip.OpenArchive();
  zip.SetZip64Mode(zmAuto);
  zip.SetCompressionMode(6);
  zip.BeginUpdate();
  for (Int64 i = 0; i < n; ++i)
    zip.AddFromString(Utf8ToString(folder + std::to_string(i / 100) + "/file_" + std::to_string(i) + ".txt"),
                      u"In the beginning God created the heaven and the earth " + Utf8ToString(std::to_string(i)),
                      0x20, 45000);
  zip.EndUpdate();
  zip.CloseArchive();
  return path;
}

// A folder of n small files in n / 100 folders (made anew), for adding from
// disk; their text ends with the given mark. With shiftJis the folders are
// named 表 and the files ソース in Shift-JIS, a byte 0x5C in each.
String FilesOf(Int64 n, const char* name, const char* mark = "", bool shiftJis = false) {
  const std::string root = Scratch() + "/" + name;
  std::error_code e;
  fs::remove_all(root, e);
  const std::string folderName = shiftJis ? "\x95\x5c" : "folder";
  const std::string fileName = shiftJis ? "\x83\x5c\x81\x5b\x83\x58_" : "file_";
  for (Int64 i = 0; i < n; ++i) {
    const std::string folder = root + "/" + folderName + std::to_string(i / 100);
    if (i % 100 == 0) fs::create_directories(folder);
    if (FILE* f = std::fopen((folder + "/" + fileName + std::to_string(i) + ".txt").c_str(), "w")) {
      std::fprintf(f, "In the beginning %lld%s", static_cast<long long>(i), mark);
      std::fclose(f);
    }
  }
  return Utf8ToString(root);
}

// The i-th file of FilesOf (plain names) below root.
std::string NthFileOf(const String& root, Int64 i) {
  return StringToUtf8(root) + "/folder" + std::to_string(i / 100) + "/file_" + std::to_string(i) + ".txt";
}

// FilesOf, every second name another name (a hard link) of the file before it.
String TwoNamesOf(Int64 n, const char* name) {
  const String root = FilesOf(n, name);
  for (Int64 i = 1; i < n; i += 2) {
    std::error_code e;
    fs::remove(NthFileOf(root, i), e);
    fs::create_hard_link(NthFileOf(root, i - 1), NthFileOf(root, i), e);
  }
  return root;
}

// Every file below root zipped by its full path into the archive, the
// sources deleted.
TWork SeriesOf(const String& root, const char* archive) {
  auto files = std::make_shared<TStringList>();
  for (const auto& e : fs::recursive_directory_iterator(StringToSystemName(root)))
    if (e.is_regular_file()) files->Add(SystemNameToString(e.path().string()));
  return [files, archive] { ZipASeriesOfFilesTo(*files, ScratchName(archive), spFullPath, true); };
}

// A new archive made of n files from disk (added, or moved in).
TWork FromDisk(Int64 n, const std::string& name, bool move, bool shiftJis = false, bool twoNames = false) {
  auto files =
      std::make_shared<String>(twoNames ? TwoNamesOf(n, name.c_str()) : FilesOf(n, name.c_str(), "", shiftJis));
  const String path = Utf8ToString(Scratch() + "/" + name + ".zip");
  fs::remove(StringToUtf8(path));
  return [files, path, move] {
    TZipArchiver zip;
    zip.FFileName = path;
    zip.FBaseDir = *files;
    zip.FOptions.FRecurse = true;
    zip.OpenArchive();
    if (move)
      zip.MoveFiles(u"*.*", 0x28BF, String());
    else
      zip.AddFiles(u"*.*", 0x28BF, String());
    zip.CloseArchive();
  };
}

// A scratch folder emptied (or made) for a row.
void EmptyFolder(const std::string& folder) {
  std::error_code e;
  fs::remove_all(folder, e);
  fs::create_directories(folder);
}

// Descriptors a row's work keeps open (locks held) until the work is gone.
std::shared_ptr<std::vector<int>> HeldDescriptors() {
  return std::shared_ptr<std::vector<int>>(new std::vector<int>, [](std::vector<int>* v) {
    for (int fd : *v) ::close(fd);
    delete v;
  });
}

// An archive made of n files from disk, then opened and listed.
TWork OpenOfFilesFromDisk(Int64 n, const std::string& name, bool shiftJis) {
  FromDisk(n, name, false, shiftJis)();
  const String path = Utf8ToString(Scratch() + "/" + name + ".zip");
  return [path] {
    TZipArchiver zip;
    zip.FFileName = path;
    zip.OpenArchive();
    benchmark::DoNotOptimize(zip.GetFileCount());
  };
}

// An archive of n entries, opened, and the work done on it.
TWork OnArchive(Int64 n, const char* name, std::function<void(TZipArchiver&)> f) {
  auto path = std::make_shared<String>(ArchiveOf(n, name));
  return [path, f] {
    TZipArchiver zip;
    zip.FFileName = *path;
    zip.OpenArchive();
    f(zip);
    zip.CloseArchive();
  };
}

TExcelShowRec ShowOf(Int32 column) {
  TExcelShowRec s;
  s.fmt = column == 1 ? ex_integer : ex_string;
  s.HAlign = 1;
  s.font_size = 10;
  s.font_colour = clNavy;
  s.background_colour = clNone;
  return s;
}

// A workbook of n rows of three cells (a word, a number, a word) in the scratch folder.
void SaveRowsWorkbook(const char* name, Int64 n) {
  SaveDataToExcel(ScratchName(name), u"Data", u"Rows", u"growth", u"", ShowOf,
                  [](Int32 r, Int32 c) {
                    TExcelDataRec d;
                    d.cell_format = ShowOf(c);
                    if (c == 1)
                      d.i = r;
                    else
                      d.s = u"word" + Utf8ToString(std::to_string(r % 5000));
                    return d;
                  },
                  static_cast<Int32>(n), 3);
}

std::vector<String> Lines(const TStrings& l) {
  std::vector<String> v;
  for (Int32 i = 0; i < l.Count(); ++i) v.push_back(l[i]);
  return v;
}

// Extracts every entry of the archive at path into the scratch folder named.
TWork ExtractingAll(std::shared_ptr<String> path, const char* folder) {
  return [path, folder] {
    TZipArchiver zip;
    zip.FFileName = *path;
    zip.OpenArchive();
    zip.FBaseDir = ScratchName(folder);
    zip.ExtractFiles(u"*", 0x28BF, String());
  };
}

// Writes a split set of n entries of 2,000 characters at path, in volumes of 64 KiB.
void WriteSplitSet(const String& path, Int64 n) {
  TZipArchiver zip;
  zip.FFileName = path;
  zip.SetSpanningMode(smSplitting);
  zip.FSpanningOptions.FVolumeSize = vsCustom;
  zip.FSpanningOptions.SetCustomVolumeSize(65536);
  zip.OpenArchive(fmCreate);
  zip.BeginUpdate();
  for (Int64 i = 0; i < n; ++i)
    zip.AddFromString(Utf8ToString("file_" + std::to_string(i) + ".txt"),
                      String(2000, static_cast<Char>(u'a' + i % 26)), 0x20, 45000);
  zip.EndUpdate();
  zip.CloseArchive();
}

// A source of n * 4,000 bytes for a chunk set, written once per size.
std::string ChunkSourceOf(Int64 n) {
  const std::string path = Scratch() + "/chunk-source-" + std::to_string(n) + ".bin";
  if (!fs::exists(path)) {
    std::string bytes(static_cast<size_t>(n) * 4000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  return path;
}

// ---- the routines --------------------------------------------------------------------------

constexpr Int64 kText = 44'000'000 / 8;   // characters
constexpr Int64 kTypes = 100'000 / 8;     // words of a word list
constexpr Int64 kLines = 1'000'000 / 8;   // lines of a results list or a string list
constexpr Int64 kFiles = 200'000 / 8;     // files of a file list
constexpr Int64 kEntries = 10'000 / 8;    // entries of an archive

// Most routines take a text, a list of lines or a list built from words.
TWork OnText(Int64 n, std::function<void(const String&)> f) {
  auto text = std::make_shared<String>(TextOf(n));
  return [text, f] { f(*text); };
}

// The same for a routine that hands a new list to the caller: the list is
// kept until the work is freed, outside the timing, as a caller keeps it.
template <class F>
TWork OnTextKept(Int64 n, F f) {
  auto text = std::make_shared<String>(TextOf(n));
  auto kept = std::make_shared<decltype(f(*text))>();
  return [text, f, kept] { *kept = f(*text); };
}

// Decoding the UTF-8 bytes of a text of n characters; with ansiLate, the last
// byte is not UTF-8, so that the text turns out to be ANSI only at its end.
TWork DecodingOf(Int64 n, bool ansiLate) {
  auto bytes = std::make_shared<TBytes>(TEncoding::UTF8()->GetBytes(TextOf(n)));
  if (ansiLate) bytes->back() = 0xE9;
  return TWork([bytes] {
    TEncoding* e = nullptr;
    Int32 bom = 0;
    benchmark::DoNotOptimize(EncodedStringFromBytes(*bytes, e, bom).size());
  });
}

template <class L>
TWork OnList(std::shared_ptr<L> list, std::function<void(L&)> f) {
  return [list, f] { f(*list); };
}

std::shared_ptr<TStringList> LinesOf(Int64 n, bool utf8List = false) {
  std::shared_ptr<TStringList> l = utf8List ? std::make_shared<TUTF8Stringlist>() : std::make_shared<TStringList>();
  const std::vector<String> words = WordsOf(n);
  l->SetCapacity(static_cast<Int32>(n));
  for (const String& w : words) l->Add(w);
  return l;
}

std::shared_ptr<TStringlistWithALongint> FreqListOf(Int64 n) {
  auto l = std::make_shared<TStringlistWithALongint>();
  std::mt19937 rng(9);
  for (const String& w : WordsOf(n)) l->AddOne(w, static_cast<Int32>(rng() % 5000));
  return l;
}

// The text with its line ends turned into spaces and broken again at the
// last space before every width characters, with LF, as a book is wrapped.
String WrappedText(String t, size_t width = 72) {
  for (Char& c : t)
    if (c == u'\r' || c == u'\n') c = u' ';
  for (size_t from = 0; from + width < t.size();) {
    size_t p = t.rfind(u' ', from + width);
    if (p == String::npos || p <= from) p = from + width;
    t[p] = u'\n';
    from = p + 1;
  }
  return t;
}

void WriteUtf8(const String& file, const String& text) {
  const std::string bytes = StringToUtf8(text);
  std::ofstream(StringToUtf8(file), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The source view of text (written to the scratch file named) marking the
// search words given.
TWork MarkingIn(const String& text, const char* name, const String& searchWords) {
  const String file = ScratchName(name);
  WriteUtf8(file, text);
  auto edit = std::make_shared<TSourceTextRichEdit>();
  edit->LoadedASourceText(file, false);
  TSimpleSearchlist words(DefaultSimpleSearchSettings());
  words.LoadFromAString(searchWords);
  edit->SetSWs(words, {});
  return TWork([edit] { benchmark::DoNotOptimize(edit->FoundSWsAndMarkedSWPositions({}, nullptr)); });
}

// The text with a tab after each line end, as in poems and indented
// paragraphs.
String TabIndented(const String& t) {
  String out;
  out.reserve(t.size() + t.size() / 64);
  for (Char c : t) {
    out += c;
    if (c == u'\n') out += u'\t';
  }
  return out;
}

// The text with an opening tag before every seventh word.
String WithTagsBeforeWords(const String& t) {
  String out;
  out.reserve(t.size() + t.size() / 8);
  int words = 0;
  for (size_t k = 0; k < t.size(); ++k) {
    if ((k == 0 || t[k - 1] == u' ' || t[k - 1] == u'\n') && t[k] != u' ' && ++words % 7 == 0) out += u"<i>";
    out += t[k];
  }
  return out;
}

// The text with a closing tag before every third blank or line end, as where
// a word's markup ends before the space after it.
String WithTagsBeforeBlanks(const String& t) {
  String out;
  int blanks = 0;
  for (Char c : t) {
    if ((c == u' ' || c == u'\n') && ++blanks % 3 == 0) out += u"</i>";
    out += c;
  }
  return out;
}

// The text with a page marker between blanks after every fifth word.
String WithPageMarkers(const String& t) {
  String out;
  out.reserve(t.size() + t.size() / 3);
  int words = 0;
  for (size_t k = 0; k < t.size(); ++k) {
    out += t[k];
    if (t[k] != u' ' && t[k] != u'\n' && (k + 1 == t.size() || t[k + 1] == u' ' || t[k + 1] == u'\n') &&
        ++words % 5 == 0)
      out += u" <pb n=\"" + Utf8ToString(std::to_string(words / 5)) + u"\"/>";
  }
  return out;
}

// The text with a line-break tag after a blank before each line end.
String WithTagsBeforeLineEnds(const String& t) {
  String out;
  for (Char c : t) {
    if (c == u'\n') out += u" <lb/>";
    out += c;
  }
  return out;
}

// Every hit of a typed word in a text handed to the engine (with markup:
// each "<...>" in it marked as a tag).
TWork SearchingOf(String text, const String& typed, bool markup = false) {
  auto kept = std::make_shared<String>(std::move(text));
  return TWork([kept, typed, markup] {
    TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
    TQMSearchWordRec word = SWFullParsed_SearchWord(TIgnore_tag{}, typed);
    engine.SetABuffer(std::move(*kept), wp_whole);
    const String& buf = global_bufStr[wp_whole];
    Int64 tags = 0;
    for (size_t at = markup ? buf.find(u'<') : String::npos; at != String::npos; at = buf.find(u'<', at + 1)) {
      const size_t end = buf.find(u'>', at);
      if (end == String::npos) break;
      if (++tags % 65536 == 0) MyYieldProcess();  // the longest wait measured is the search's
      bool nested = false;
      MarkWCharsTagged(buf, static_cast<Int32>(at), static_cast<Int32>(end + 1 - at), global_Wchars[wp_whole], 1,
                       nested);
    }
    Int64 hits = 0;
    engine.PrepareForConcordancing(u"kjv", static_cast<Int32>(global_bufStr[wp_whole].size()), 1, 0, false,
                                   coll_stop_none, [&](TSearchAndDoEngine*, TConcSearchRec&) {
                                     ++hits;
                                     return true;
                                   });
    engine.SearchAndDo(&word, wp_whole, 0, TTextStatsPositions_rec{});
    benchmark::DoNotOptimize(hits);
    global_bufStr[wp_whole].clear();
    global_Wchars[wp_whole].clear();
  });
}

constexpr Int64 kRichCells = 64'000 / 8;  // cells of a workbook
constexpr Int64 kLongWord = 64'000 / 8;   // letters of one word (a sequence on one line)

// One word of n letters: one letter repeated, or (letters "acgt") a DNA
// sequence, the same in every run.
String OneLongWord(Int64 n, const std::u16string& letters) {
  std::mt19937 rng(11);
  String w;
  w.reserve(static_cast<size_t>(n));
  for (Int64 i = 0; i < n; ++i) w.push_back(letters[rng() % letters.size()]);
  return w;
}

// A pattern of k stars between two letters.
String StarRun(Char first, Int64 k, Char last) {
  return String(1, first) + String(static_cast<size_t>(k), u'*') + last;
}

// Lines of eight tab-separated cells, n cells in all, every other one bold.
std::shared_ptr<TStringList> RichLinesOf(Int64 n) {
  auto lines = std::make_shared<TStringList>();
  const std::vector<String> words = WordsOf(std::max<Int64>(n, 8), 12);
  for (Int64 row = 0; row * 8 < n; ++row) {
    String line;
    for (Int64 c = 0; c < 8; ++c) {
      const String& w = words[static_cast<size_t>(row * 8 + c) % words.size()];
      if (c > 0) line += u'\t';
      line += c % 2 == 0 ? u"<B>" + w + u"</B>" : w;
    }
    lines->Add(line);
  }
  return lines;
}


// An entity list of the four markup characters and 246 more, as entity files
// hold them, for the conversions of text to HTML and back.
void LoadManyEntities() {
  Html_utils_initialization();
  HTMLEntityList->Clear();
  for (const char16_t* line : {u"&amp;\t38", u"&quot;\t34", u"&lt;\t60", u"&gt;\t62"})
    HTMLEntityList->AddIfFormatOK(line);
  for (Int32 c = 160; c < 406; ++c)
    HTMLEntityList->AddIfFormatOK(u"&e" + Utf8ToString(std::to_string(c)) + u";\t" + Utf8ToString(std::to_string(c)));
}

// One timeline cell of n periods painted into a bitmap through the grid's
// cell handler, as a screen of a timeline list paints each of its cells.
TWork TimelineCell(Int64 n) {
  Widgets();
  auto grid = std::make_shared<TQM_Grid>(nullptr);
  auto handler = std::make_shared<TQMGridCellHandler>();
  handler->fCurrentGrid = grid.get();
  grid->SetPreferredLinesPerRow(3);
  auto rec = std::make_shared<TGrid_data_rec>();
  rec->data_type = ddt_dateplot;
  rec->timeline_data.periods = static_cast<Int32>(n);
  std::mt19937 rng(12);
  for (Int64 p = 0; p < n; ++p) {
    rec->timeline_data.wordcounts.push_back(static_cast<Int32>(1000 + rng() % 1000));
    rec->timeline_data.hits.push_back(static_cast<Int32>(rng() % 20));
    rec->timeline_datearr.push_back(TYearMonthDay{static_cast<Word>(1900 + p / 365), 1, 1});
  }
  rec->timeline_data.total_words = 1500 * n;
  rec->timeline_data.basis = tlpb_days;
  auto bmp = std::make_shared<TBitmap>(1200, 60);
  return [grid, handler, rec, bmp] { handler->DrawATimeline(bmp->Canvas(), TRect{0, 0, 1200, 60}, *rec); };
}

const std::vector<TRoutine>& Routines() {
  static const std::vector<TRoutine> table = {
      // Texts.
      {"texts", "SimpleWordListOfTxt", kText,
       [](Int64 n) { return OnTextKept(n, [](const String& t) { return SimpleWordListOfTxt(t, 1, true); }); }},
      {"texts", "SimpleNGramListOfTxt", kText / 8,
       [](Int64 n) {
         return OnTextKept(n, [](const String& t) { return SimpleNGramListOfTxt(t, 3, 100, true, nullptr); });
       }},
      {"texts", "SentencesFromParagraph", kText,
       [](Int64 n) { return OnTextKept(n, [](const String& t) { return SentencesFromParagraph(t, String(), 0, 100); }); }},
      {"texts", "BasicWordCount", kText,
       [](Int64 n) { return OnText(n, [](const String& t) { benchmark::DoNotOptimize(BasicWordCount(t)); }); }},
      {"texts", "WithoutMarkup", kText,
       [](Int64 n) { return OnText(n, [](const String& t) { WithoutMarkup(t, 100); }); }},
      {"texts", "Occurrences", kText,
       [](Int64 n) { return OnText(n, [](const String& t) { benchmark::DoNotOptimize(Occurrences(u"LORD", t)); }); }},
      {"texts", "StringToStringlist", kText,
       [](Int64 n) {
         return OnText(n, [](const String& t) {
           TStringList l;
           StringToStringlist(u'\n', t, &l);
         });
       }},
      {"texts", "SearchAndDo (whole word, any case)", kText,
       [](Int64 n) {
         auto text = std::make_shared<String>(TextOf(n));  // handed over whole, as a tool hands its text
         return TWork([text] {
           TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
           TQMSearchWordRec word = SWFullParsed_SearchWord(TIgnore_tag{}, u"lord");
           engine.SetABuffer(std::move(*text), wp_whole);
           Int64 hits = 0;
           engine.PrepareForConcordancing(u"kjv", static_cast<Int32>(global_bufStr[wp_whole].size()), 1, 0, false,
                                          coll_stop_none,
                                          [&](TSearchAndDoEngine*, TConcSearchRec&) {
                                            ++hits;
                                            return true;
                                          });
           engine.SearchAndDo(&word, wp_whole, 0, TTextStatsPositions_rec{});
           benchmark::DoNotOptimize(hits);
           global_bufStr[wp_whole].clear();
           global_Wchars[wp_whole].clear();
         });
       }},
      // Encodings.
      {"encodings", "EncodedStringFromBytes (UTF-8)", kText, [](Int64 n) { return DecodingOf(n, false); }},
      {"encodings", "UTF8 GetBytes", kText,
       [](Int64 n) {
         return OnText(n, [](const String& t) { benchmark::DoNotOptimize(TEncoding::UTF8()->GetBytes(t).size()); });
       }},
      {"encodings", "ANSI GetBytes", kText,
       [](Int64 n) {
         return OnText(n, [](const String& t) { benchmark::DoNotOptimize(TEncoding::ANSI()->GetBytes(t).size()); });
       }},
      // Text files.
      {"text files", "TStringList SaveToFile", kLines,
       [](Int64 n) {
         auto l = LinesOf(n);
         return TWork([l] { l->SaveToFile(ScratchName("lines.txt")); });
       }},
      {"text files", "TUTF8Stringlist LoadFromFile", kLines,
       [](Int64 n) {
         LinesOf(n)->SaveToFile(ScratchName("load.txt"));
         return TWork([] {
           TUTF8Stringlist l;
           l.LoadFromFile(ScratchName("load.txt"));
         });
       }},
      {"text files", "GetTextOfAFile", kText,
       [](Int64 n) {
         TStringList l;
         l.SetText(TextOf(n));
         l.SaveToFile(ScratchName("text.txt"));
         return TWork([] {
           TEncoding* e = nullptr;
           Int32 preamble = 0;
           benchmark::DoNotOptimize(GetTextOfAFile(ScratchName("text.txt"), e, preamble).size());
         });
       }},
      // String lists and their sorts.
      {"lists", "TStringList Sort", kLines,
       [](Int64 n) { return OnList<TStringList>(LinesOf(n), [](TStringList& l) { l.Sort(); }); }},
      {"lists", "TStringList sorted SetText", kLines,
       [](Int64 n) {
         auto text = std::make_shared<String>(LinesOf(n)->Text());
         return TWork([text] {
           TStringList l;
           l.SetSorted(true);
           l.SetText(*text);
         });
       }},
      {"lists", "TStringList sorted Add one by one", kTypes,
       [](Int64 n) {
         auto words = std::make_shared<std::vector<String>>(WordsOf(n));
         return TWork([words] {
           TStringList l;
           l.SetSorted(true);
           for (const String& w : *words) l.Add(w);
         });
       }},
      {"lists", "TStrings AddStrings (sorted)", kTypes,
       [](Int64 n) {
         auto source = LinesOf(n);
         return TWork([source] {
           TStringList l;
           l.SetSorted(true);
           l.AddStrings(*source);
         });
       }},
      {"lists", "TStringList Get(i) loop (10 passes)", kLines,
       [](Int64 n) {
         auto l = LinesOf(n);
         return OnList<TStringList>(l, [](TStringList& x) {
           size_t units = 0;
           for (int pass = 0; pass < 10; ++pass)
             for (Int32 i = 0, count = x.Count(); i < count; ++i) units += x.Get(i).size();
           benchmark::DoNotOptimize(units);
         });
       }},
      {"lists", "TStringList Insert and Delete in the middle", kTypes,
       [](Int64 n) {
         auto words = std::make_shared<std::vector<String>>(WordsOf(n));
         return TWork([words] {
           TStringList l;
           for (const String& w : *words) l.Insert(l.Count() / 2, w);
           while (l.Count() > 0) l.Delete(l.Count() / 3);
         });
       }},
      {"lists", "TStringList Move to the front", kTypes,
       [](Int64 n) {
         auto l = LinesOf(n);
         return OnList<TStringList>(l, [](TStringList& x) {
           for (Int32 i = 0, count = x.Count(); i < count; ++i) x.Move(count - 1, 0);
         });
       }},
      {"lists", "TIndexCheckStringlist Sort", kLines,
       [](Int64 n) {
         auto l = FreqListOf(n);
         return OnList<TStringlistWithALongint>(l, [](TStringlistWithALongint& x) { x.Sort(); });
       }},
      {"lists", "TStringlistWithALongint SortOnFreq", kLines,
       [](Int64 n) {
         return OnList<TStringlistWithALongint>(FreqListOf(n), [](TStringlistWithALongint& l) { l.SortOnFreq(); });
       }},
      {"lists", "TStringlistWithALongint AddOrIncByOne (sorted)", kTypes,
       [](Int64 n) {
         auto words = std::make_shared<std::vector<String>>(WordsOf(n));
         return TWork([words] {
           TStringlistWithALongint l;
           l.SetSorted(true);
           for (int pass = 0; pass < 2; ++pass)
             for (const String& w : *words) l.AddOrIncByOne(w);
         });
       }},
      {"lists", "TStringListWithString SortOnSubordinateStrings", kLines,
       [](Int64 n) {
         auto l = std::make_shared<TStringListWithString>();
         const std::vector<String> words = WordsOf(n);
         for (size_t i = 0; i < words.size(); ++i) l->AddOne(words[(i * 7919) % words.size()], words[i]);
         return OnList<TStringListWithString>(l, [](TStringListWithString& x) { x.SortOnSubordinateStrings(true); });
       }},
      // Eight numbers a word (kept small: its lookups scan, see the report).
      {"lists", "TStringListWithLongintList AddOneOrAddToList", kTypes / 8,
       [](Int64 n) {
         auto words = std::make_shared<std::vector<String>>(WordsOf(n / 8 + 1));
         return TWork([words, n] {
           TStringListWithLongintList l;
           for (Int64 i = 0; i < n * 8; ++i) l.AddOneOrAddToList((*words)[static_cast<size_t>(i) % words->size()],
                                                                 static_cast<Int32>(i / 100));
         });
       }},
      {"lists", "TWordFreqList MultiSort", kLines,
       [](Int64 n) {
         auto l = std::make_shared<TWordFreqList>();
         std::mt19937 rng(4);
         for (const String& w : WordsOf(n)) l->AddOne(TWordAndFreq{w, static_cast<Int64>(rng() % 1000)});
         return OnList<TWordFreqList>(l, [](TWordFreqList& x) { x.MultiSort({wf_freq, wf_alph}); });
       }},
      {"lists", "TCardinalList SortAscendingDefault", kLines,
       [](Int64 n) {
         auto l = std::make_shared<TCardinalList>();
         std::mt19937 rng(2);
         for (Int64 i = 0; i < n; ++i) l->AddOne(static_cast<Cardinal>(rng()));
         return OnList<TCardinalList>(l, [](TCardinalList& x) { x.SortAscendingDefault(); });
       }},
      // File lists.
      {"file lists", "TFolderEfficientFileList SortOnFilenamesAscending", kFiles,
       [](Int64 n) {
         return OnList<TFolderEfficientFileList>(
             FileListOf(n), [](TFolderEfficientFileList& l) { l.SortOnFilenamesAscending(true); });
       }},
      {"file lists", "TFolderEfficientFileList DoASort (size, date)", kFiles,
       [](Int64 n) {
         return OnList<TFolderEfficientFileList>(FileListOf(n),
                                                 [](TFolderEfficientFileList& l) { l.DoASort(ss_size, ss_date, false); });
       }},
      {"file lists", "TFolderEfficientFileList write and read", kFiles,
       [](Int64 n) {
         return OnList<TFolderEfficientFileList>(FileListOf(n), [](TFolderEfficientFileList& l) {
           l.DoWriteToFile(ScratchName("files.lst"));
           TFolderEfficientFileList back;
           back.DoReadFromFile(ScratchName("files.lst"));
         });
       }},
      {"file lists", "SortListOfFiles (by name)", kFiles,
       [](Int64 n) {
         auto l = std::make_shared<TStringList>();
         const std::vector<String> words = WordsOf(n, 6);
         for (size_t i = 0; i < words.size(); ++i)
           l->Add(u"/corpus/f" + Utf8ToString(std::to_string(i % 97)) + u"/" + words[i] + u".txt");
         return OnList<TStringList>(l, [](TStringList& x) { SortListOfFiles(&x, false, true); });
       }},
      {"file lists", "TMySearchRecList DoASort (name)", kFiles,
       [](Int64 n) {
         auto l = std::make_shared<TMySearchRecList>();
         std::mt19937 rng(8);
         for (const String& w : WordsOf(n, 8)) {
           TMySearchRec r;
           r.ShortName = w;
           r.Size = static_cast<Integer>(rng() % 100000);
           l->AddOne(r);
         }
         return OnList<TMySearchRecList>(l, [](TMySearchRecList& x) { x.DoASort(sr_sort_by_name); });
       }},
      // Results lists.
      {"results lists", "SortThem (three levels)", kLines,
       [](Int64 n) { return OnList<TGrowthList>(ResultsListOf(n), [](TGrowthList& l) { l.SortThem(0, l.Count() - 1); }); }},
      {"results lists", "DeleteARange every 2nd (undo)", kLines,
       [](Int64 n) {
         auto rows = EveryNth(n, 2);
         return OnList<TGrowthList>(ResultsListOf(n),
                                    [rows](TGrowthList& l) { l.DeleteARange(*rows, undoable_yes, true); });
       }},
      {"results lists", "Zap after delete (undo)", kLines,
       [](Int64 n) {
         auto list = ResultsListOf(n);
         list->PrivateDeleteARange(*EveryNth(n, 2), true);
         return OnList<TGrowthList>(list, [](TGrowthList& l) { l.Zap(undoable_yes); });
       }},
      {"results lists", "Undo of delete", kLines,
       [](Int64 n) {
         auto list = ResultsListOf(n);
         list->DeleteARange(*EveryNth(n, 2), undoable_yes, true);
         return OnList<TGrowthList>(list, [](TGrowthList& l) { l.Undo(); });
       }},
      {"results lists", "MatchARange every 3rd (undo)", kLines,
       [](Int64 n) {
         auto rows = EveryNth(n, 3);
         return OnList<TGrowthList>(ResultsListOf(n),
                                    [rows](TGrowthList& l) { l.MatchARange(*rows, undoable_yes, true); });
       }},
      {"results lists", "JoinARange groups of 10 (undo)", kLines,
       [](Int64 n) {
         return OnList<TGrowthList>(ResultsListOf(n), [n](TGrowthList& l) {
           for (Int64 head = 0; head + 10 <= n; head += 10) {
             T1LongintList group;
             for (Int32 k = 0; k < 10; ++k) group.AddOne(static_cast<Int32>(head + k));
             l.JoinARange(group, undoable_yes, true);
           }
         });
       }},
      {"results lists", "DoRandomOrderSort", kLines,
       [](Int64 n) { return OnList<TGrowthList>(ResultsListOf(n), [](TGrowthList& l) { l.DoRandomOrderSort(); }); }},
      // Workbooks.
      {"workbooks", "SaveDataToExcel", kLines,
       [](Int64 n) {
         return TWork([n] {
           SaveRowsWorkbook("rows.xlsx", n);
         });
       }},
      // Archives.
      {"archives", "TZipArchiver AddFromString", kEntries,
       [](Int64 n) { return TWork([n] { ArchiveOf(n, "add.zip"); }); }},
      {"archives", "TZipArchiver FindFirst/FindNext", kEntries,
       [](Int64 n) {
         auto path = std::make_shared<String>(ArchiveOf(n, "list.zip"));
         return TWork([path] {
           TZipArchiver zip;
           zip.FFileName = *path;
           zip.OpenArchive();
           TZAArchiveItem item;
           Int64 found = 0;
           for (bool ok = zip.FindFirst(u"*", item, 0x28BF, String()); ok; ok = zip.FindNext(item)) ++found;
           benchmark::DoNotOptimize(found);
         });
       }},
      {"archives", "TZipArchiver ExtractFiles", kEntries,
       [](Int64 n) {
         auto path = std::make_shared<String>(ArchiveOf(n, "extract.zip"));
         std::error_code e;
         fs::remove_all(Scratch() + "/out", e);
         fs::create_directories(Scratch() + "/out");
         return ExtractingAll(path, "out");
       }},
      {"archives", "TZipArchiver DeleteFiles (every 10th)", kEntries,
       [](Int64 n) {
         auto path = std::make_shared<String>(ArchiveOf(n, "delete.zip"));
         return TWork([path] {
           TZipArchiver zip;
           zip.FFileName = *path;
           zip.OpenArchive();
           zip.DeleteFiles(u"*5.txt", 0x28BF, String());
         });
       }},
      // More texts, encodings, word lists and workbooks a user's data reaches.
      {"texts", "SentencesFromParagraph (separator)", kText,
       [](Int64 n) { return OnTextKept(n, [](const String& t) { return SentencesFromParagraph(t, u".", 0, 100); }); }},
      {"encodings", "EncodedStringFromBytes (ANSI found late)", kText, [](Int64 n) { return DecodingOf(n, true); }},
      {"encodings", "UTF-16 GetBytes", kText,
       [](Int64 n) {
         return OnText(n, [](const String& t) { benchmark::DoNotOptimize(TEncoding::Unicode()->GetBytes(t).size()); });
       }},
      {"text files", "GetTextOfAFile (ANSI)", kText,
       [](Int64 n) {
         const String name = ScratchName("ansi.txt");
         const TBytes bytes = TEncoding::GetEncodingShared(1252)->GetBytes(TextOf(n) + u"\u00E9");
         std::ofstream(StringToUtf8(name), std::ios::binary)
             .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
         return TWork([name] {
           TEncoding* e = nullptr;
           Int32 preamble = 0;
           benchmark::DoNotOptimize(GetTextOfAFile(name, e, preamble).size());
         });
       }},
      {"lists", "StartUpAndLoadLemmaList", kTypes,
       [](Int64 n) {
         const std::vector<String> words = WordsOf(3 * n, 11);
         TStringList lines;
         for (Int64 i = 0; i < n; ++i)
           lines.Add(words[static_cast<size_t>(3 * i)] + u" -> " + words[static_cast<size_t>(3 * i + 1)] + u"," +
                     words[static_cast<size_t>(3 * i + 2)]);
         lines.SaveToFile(ScratchName("lemmas.txt"));
         auto holder = std::make_shared<TLemMatchStopRelHolder>();
         return TWork([holder] { holder->StartUpAndLoadLemmaList(ScratchName("lemmas.txt"), false); });
       }},
      {"lists", "StartUpAndLoadList (stop list)", kTypes,
       [](Int64 n) {
         LinesOf(n)->SaveToFile(ScratchName("stops.txt"));
         auto holder = std::make_shared<TLemMatchStopRelHolder>();
         return TWork([holder] { holder->StartUpAndLoadList(ScratchName("stops.txt"), as_stop, false); });
       }},
      // Rich cells: eight a row, every other one in bold; 64,000 at 8n.
      {"workbooks", "TXlsSheet rows written from the bottom up", kLines,
       [](Int64 n) {
         // The host's loop calls the yield hook by time, as the library's
         // writers do per row.
         return TWork([n] {
           TXlsSheet sheet;
           TTimedYield yield;
           for (Int64 r = n; r >= 1; --r) {
             yield.Tick();
             sheet.SetString(static_cast<Int32>(r), 0, u"x");
           }
         });
       }},
      {"workbooks", "SaveAStringlistToExcel (rich cells)", kRichCells,
       [](Int64 n) {
         auto lines = RichLinesOf(n);
         return TWork([lines] {
           SaveAStringlistToExcel(ScratchName("rich.xlsx"), u"growth", u"", u"", u"", nullptr, {lines.get()}, u'\t');
         });
       }},
      {"workbooks", "TextFromExcel (rich cells)", kRichCells,
       [](Int64 n) {
         SaveAStringlistToExcel(ScratchName("read.xlsx"), u"growth", u"", u"", u"", nullptr, {RichLinesOf(n).get()},
                                u'\t');
         return TWork([] { benchmark::DoNotOptimize(TextFromExcel(ScratchName("read.xlsx")).size()); });
       }},
      {"archives", "TZipArchiver AddFiles (from disk)", kEntries, [](Int64 n) { return FromDisk(n, "adding", false); }},
      {"archives", "TZipArchiver UpdateFiles (every entry newer)", kEntries,
       [](Int64 n) {
         auto files = std::make_shared<String>(FilesOf(n, "fresh", " again"));
         return OnArchive(n, "fresh.zip", [files](TZipArchiver& zip) {
           zip.FBaseDir = *files;
           zip.FOptions.FRecurse = true;
           zip.FOptions.FOverwriteMode = omAlways;
           zip.UpdateFiles(u"*.*", 0x28BF, String());
         });
       }},
      {"archives", "TZipArchiver MoveFiles", kEntries, [](Int64 n) { return FromDisk(n, "moving", true); }},
      {"archives", "TZipArchiver MoveFiles (two names per file)", kEntries,
       [](Int64 n) { return FromDisk(n, "moving-linked", true, false, true); }},
      {"archives", "TZipArchiver AddFiles (Shift-JIS names, a backslash byte in each)", kEntries,
       [](Int64 n) { return FromDisk(n, "adding-sjis", false, true); }},
      {"archives", "TZipArchiver OpenArchive", kEntries, [](Int64 n) { return OpenOfFilesFromDisk(n, "listing", false); }},
      {"archives", "TZipArchiver OpenArchive (Shift-JIS names, a backslash byte in each)", kEntries,
       [](Int64 n) { return OpenOfFilesFromDisk(n, "listing-sjis", true); }},
      {"archives", "TZipFile FileNames (Shift-JIS names, a backslash byte in each)", kEntries,
       [](Int64 n) {
         FromDisk(n, "reading-sjis", false, true)();
         return TWork([] {
           TZipFile zip;
           zip.Open(ScratchName("reading-sjis.zip"), zmRead);
           benchmark::DoNotOptimize(zip.FileNames().size());
           zip.Close();
         });
       }},
      {"archives", "TZipArchiver TestFiles", kEntries,
       [](Int64 n) { return OnArchive(n, "test.zip", [](TZipArchiver& zip) { zip.TestFiles(u"*", 0x28BF, String()); }); }},
      {"archives", "TZipArchiver MergeWith", kEntries,
       [](Int64 n) {
         // The other archive's names differ: every entry joins.
         auto other = std::make_shared<String>(ArchiveOf(n, "merge-other.zip", "other"));
         return OnArchive(n, "merge.zip", [other](TZipArchiver& zip) { zip.MergeWith(*other); });
       }},
      {"archives", "TZipArchiver RenameFile (every entry, Recurse on)", kEntries,
       [](Int64 n) {
         return OnArchive(n, "rename-recurse.zip", [n](TZipArchiver& zip) {
           // Names without wildcards in every folder, as the default options
           // search them: found through the index of names and last parts.
           zip.BeginUpdate();
           for (Int64 i = 0; i < n; ++i)
             zip.RenameFile(Utf8ToString("folder" + std::to_string(i / 100) + "/file_" + std::to_string(i) + ".txt"),
                            Utf8ToString("folder" + std::to_string(i / 100) + "/renamed_" + std::to_string(i) + ".txt"));
           zip.EndUpdate();
         });
       }},
      {"archives", "TZipArchiver RenameFile (every entry, one bracket)", kEntries,
       [](Int64 n) {
         return OnArchive(n, "rename.zip", [n](TZipArchiver& zip) {
           // Exact names: without Recurse each is found through the name index.
           zip.FOptions.FRecurse = false;
           zip.BeginUpdate();
           for (Int64 i = 0; i < n; ++i)
             zip.RenameFile(Utf8ToString("folder" + std::to_string(i / 100) + "/file_" + std::to_string(i) + ".txt"),
                            Utf8ToString("folder" + std::to_string(i / 100) + "/renamed_" + std::to_string(i) + ".txt"));
           zip.EndUpdate();
         });
       }},
      {"archives", "TZipArchiver ChangeFilesComment (every entry)", kEntries,
       [](Int64 n) {
         return OnArchive(n, "comment.zip", [](TZipArchiver& zip) { zip.ChangeFilesComment(u"*", "a comment"); });
       }},
      {"archives", "TZipArchiver ChangeFilesAttr (every entry)", kEntries,
       [](Int64 n) { return OnArchive(n, "attr.zip", [](TZipArchiver& zip) { zip.ChangeFilesAttr(u"*", 0x21); }); }},
      {"archives", "TZipArchiver SetFileComment", kEntries,
       [](Int64 n) {
         return OnArchive(n, "archive-comment.zip", [](TZipArchiver& zip) { zip.SetFileComment("an archive comment"); });
       }},
      {"archives", "TZipArchiver RepairArchive (to a new name)", kEntries,
       [](Int64 n) {
         auto path = std::make_shared<String>(ArchiveOf(n, "repair.zip"));
         return TWork([path] {
           TZipArchiver zip;
           zip.FFileName = *path;
           zip.RepairArchive(ScratchName("repaired.zip"));
         });
       }},
      // Search and the source view: phrases, inner stars, marking hits, edits.
      {"search", "SearchAndDo (phrase over line ends)", kText,
       [](Int64 n) { return SearchingOf(WrappedText(TextOf(n)), u"the lord"); }},
      {"search", "SearchAndDo (phrase of wildcards ?? the, over line ends)", kText,
       [](Int64 n) { return SearchingOf(WrappedText(TextOf(n)), u"?? the"); }},
      {"search", "SearchAndDo (phrase of wildcards ?? the, markup before blanks)", kText,
       [](Int64 n) { return SearchingOf(WithTagsBeforeBlanks(WrappedText(TextOf(n))), u"?? the", true); }},
      {"search", "SearchAndDo (inner star re*ed)", kText, [](Int64 n) { return SearchingOf(TextOf(n), u"re*ed"); }},
      // A star on each side, and a phrase whose first word begins with a star:
      // each word is one hit however often it holds the letters.
      {"search", "SearchAndDo (star on each side *ing*)", kText,
       [](Int64 n) { return SearchingOf(TextOf(n), u"*ing*"); }},
      {"search", "SearchAndDo (star-led first word *e* of)", kText,
       [](Int64 n) { return SearchingOf(WrappedText(TextOf(n)), u"*e* of"); }},
      // A later word that begins with a star after a tag or an indenting tab,
      // and a first word of wildcards found from the plain word after it
      // (over tab-indented lines and over markup).
      {"search", "SearchAndDo (star word after a tag the *d)", kText,
       [](Int64 n) { return SearchingOf(WithTagsBeforeWords(TextOf(n)), u"the *d", true); }},
      {"search", "SearchAndDo (star word after a tab the *)", kText,
       [](Int64 n) { return SearchingOf(TabIndented(WrappedText(TextOf(n))), u"the *"); }},
      {"search", "SearchAndDo (phrase of wildcards ^ lord, tab-indented lines)", kText,
       [](Int64 n) { return SearchingOf(TabIndented(WrappedText(TextOf(n))), u"^ lord"); }},
      {"search", "SearchAndDo (phrase of wildcards ??? lord, tags before words)", kText,
       [](Int64 n) { return SearchingOf(WithTagsBeforeWords(TextOf(n)), u"??? lord", true); }},
      // Phrases across a tag between blanks or after a blank before a line end.
      {"search", "SearchAndDo (the lord over page markers)", kText,
       [](Int64 n) { return SearchingOf(WithPageMarkers(TextOf(n)), u"the lord", true); }},
      {"search", "SearchAndDo (^ lord over tags before line ends)", kText,
       [](Int64 n) { return SearchingOf(WithTagsBeforeLineEnds(WrappedText(TextOf(n))), u"^ lord", true); }},
      {"source view", "FoundSWsAndMarkedSWPositions (a chapter a line)", kText / 8,
       [](Int64 n) { return MarkingIn(WrappedText(TextOf(n), 4000), "chapters.txt", u"the"); }},
      // A phrase over markup before its words (each tag taken as markup).
      {"source view", "FoundSWsAndMarkedSWPositions (phrase, tags before words)", kText / 8,
       [](Int64 n) {
         return MarkingIn(WithTagsBeforeWords(WrappedText(TextOf(n), 4000)), "tagged.txt", u"the lord");
       }},
      {"source view", "AlterFileW (12 characters)", kText,
       [](Int64 n) {
         const String file = ScratchName("alter.txt");
         WriteUtf8(file, TextOf(n));
         return TWork([file, n] { benchmark::DoNotOptimize(AlterFileW(file, u'_', static_cast<Int32>(n / 2), 12)); });
       }},
      // Results that equal the text and the counts: entities converted in one
      // pass, period scores, column totals, a cut after joins, a timeline cell.
      {"texts", "ReadableStringToHTMLString (250 entities)", kText / 8,
       [](Int64 n) {
         LoadManyEntities();
         return OnText(n, [](const String& t) { benchmark::DoNotOptimize(ReadableStringToHTMLString(t).size()); });
       }},
      {"texts", "HTMLStringToReadableString (250 entities)", kText / 8,
       [](Int64 n) {
         LoadManyEntities();
         auto html = std::make_shared<String>(ReadableStringToHTMLString(TextOf(n) + u"\u00e9&<>\""));
         return TWork([html] { benchmark::DoNotOptimize(HTMLStringToReadableString(*html).size()); });
       }},
      {"results lists", "PeriodHitWordCountScores (1,000 periods)", kLines,
       [](Int64 n) {
         auto records = std::make_shared<std::vector<THitAndWordCountRec>>();
         std::mt19937 rng(13);
         for (Int64 i = 0; i < n; ++i) records->push_back({static_cast<Cardinal>(rng() % 20), static_cast<Cardinal>(1000 + rng() % 1000)});
         return TWork([records] { benchmark::DoNotOptimize(PeriodHitWordCountScores(*records, 1000).size()); });
       }},
      {"results lists", "ComputeColumnTotals (12 segments)", kLines,
       [](Int64 n) {
         return OnList<TGrowthList>(ResultsListOf(n), [](TGrowthList& l) { l.ComputeColumnTotals(12, grid_none); });
       }},
      {"results lists", "ReduceTo half after joins of 10", kLines,
       [](Int64 n) {
         // Each head in the half that goes, its nine members in the half that stays.
         auto list = ResultsListOf(n);
         for (Int64 g = 0; g < n / 20; ++g) {
           T1LongintList group;
           group.AddOne(static_cast<Int32>(n / 2 + g));
           for (Int64 k = 0; k < 9; ++k) group.AddOne(static_cast<Int32>(g * 9 + k));
           list->PrivateJoinARange(group);
         }
         return OnList<TGrowthList>(list, [n](TGrowthList& l) { l.ReduceTo(false, static_cast<Int32>(n / 2)); });
       }},
      {"results lists", "DrawATimeline (one cell, periods)", 36500 / 8, [](Int64 n) { return TimelineCell(n); }},
      // Controls and dialogs: lists filled one item at a time.
      {"controls", "TComboBox Items().Add (one at a time)", 1000,
       [](Int64 n) {
         Widgets();
         return TWork([n] {
           TComboBox combo;
           for (Int64 i = 0; i < n; ++i) combo.Items().Add(Utf8ToString("item " + std::to_string(i)));
         });
       }},
      {"controls", "TmyFilterCombo InsertLastText (n/40 into n items)", 1000,
       [](Int64 n) {
         Widgets();
         auto combo = std::make_shared<TmyFilterCombo>(nullptr);
         for (Int64 i = 0; i < n; ++i) combo->Items().Add(Utf8ToString("Kind " + std::to_string(i) + " (*.k" + std::to_string(i) + ")"));
         return TWork([combo, n] {
           for (Int64 i = 0; i < n / 40; ++i) combo->InsertLastText(Utf8ToString("Mine (*.m" + std::to_string(i) + ")"));
         });
       }},
      {"controls", "TShellFolderDialog on a folder beside n files", 20000,
       [](Int64 n) {
         Widgets();
         // A folder of n files holding the folder the dialog opens on.
         const std::string beside = Scratch() + "/beside_" + std::to_string(n);
         fs::create_directories(beside + "/sub");
         for (Int64 i = 0; i < n; ++i) std::ofstream(beside + "/file_" + std::to_string(i) + ".txt");
         return TWork([beside] {
           // Every millisecond of the event loop calls the yield hook, so that
           // the sweep's longest stretch is the longest without events; the
           // dialog stays open for two seconds (what the folder holds may come in
           // after it shows), then is cancelled.
           QTimer ticks;
           QObject::connect(&ticks, &QTimer::timeout, [] { MyYieldProcess(); });
           ticks.start(1);
           const TModalHook previous = SetModalHook([](TForm& form) {
             QTimer::singleShot(2000, [&form] { form.SetModalResult(mrCancel); });
           });
           TShellFolderDialog dialog(nullptr);
           dialog.SetFolder(Utf8ToString(beside + "/sub"));
           dialog.Execute();
           SetModalHook(previous);
         });
       }},
      // The zip engine's renames by what the search finds, swept extraction folders and split sets.
      {"archives", "TZipArchiver RenameFile (bare last parts, Recurse on)", kEntries,
       [](Int64 n) {
         return OnArchive(n, "rename-bare.zip", [n](TZipArchiver& zip) {
           // A bare name finds its entry in any folder; the occurrence of it
           // in the whole name is replaced.
           zip.BeginUpdate();
           for (Int64 i = 0; i < n; ++i)
             zip.RenameFile(Utf8ToString("FILE_" + std::to_string(i) + ".txt"),
                            Utf8ToString("renamed_" + std::to_string(i) + ".txt"));
           zip.EndUpdate();
         });
       }},
      {"archives", "TZipArchiver ExtractFiles (over n / 2 stale temporaries)", kEntries,
       [](Int64 n) {
         auto path = std::make_shared<String>(ArchiveOf(n, "extract-swept.zip"));
         std::error_code e;
         fs::remove_all(Scratch() + "/swept", e);
         // What killed runs left: hidden marked temporaries beside half the targets.
         for (Int64 i = 0; i < n; i += 2) {
           const std::string folder = Scratch() + "/swept/folder" + std::to_string(i / 100);
           fs::create_directories(folder);
           std::ofstream(folder + "/" + MarkedTemporarySiblingName("file_" + std::to_string(i) + ".txt")) << "left";
         }
         // On the disk before the timing, as a killed run's files would be.
         if (const int fd = ::open((Scratch() + "/swept").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
           ::syncfs(fd);
           ::close(fd);
         }
         return ExtractingAll(path, "swept");
       }},
      {"archives", "TZipArchiver split set made anew (64 KiB volumes)", kEntries,
       [](Int64 n) {
         const String path = ScratchName("split/s.zip");
         std::error_code e;
         fs::remove_all(Scratch() + "/split", e);
         fs::create_directories(Scratch() + "/split");
         return TWork([path, n] {
           // Each round writes the set aside, lists its moves and moves it in.
           WriteSplitSet(path, n);
           TZipArchiver reader;
           reader.FFileName = path;
           reader.OpenArchive();
           reader.CloseArchive();
         });
       }},
      // Readers of split and chunk sets, which hold the set's anchor through the read, and
      // the chunk set's make, whose move-in waits for them.
      {"archives", "TFileChunker MakeChunkFiles (4 KB chunks)", kEntries,
       [](Int64 n) {
         const std::string source = ChunkSourceOf(n);
         EmptyFolder(Scratch() + "/chunks-made");
         return TWork([source] {
           TFileChunker c;
           c.SetSourcename(Utf8ToString(source));
           c.SetDirCreating(ScratchName("chunks-made"));
           c.SetChunkSize(4096);
           c.MakeChunkFiles();
         });
       }},
      {"archives", "TFileChunker RestoreAllChunks (4 KB chunks)", kEntries,
       [](Int64 n) {
         const std::string source = ChunkSourceOf(n);
         EmptyFolder(Scratch() + "/chunks-read");
         EmptyFolder(Scratch() + "/chunks-restored");
         TFileChunker c;
         c.SetSourcename(Utf8ToString(source));
         c.SetDirCreating(ScratchName("chunks-read"));
         c.SetChunkSize(4096);
         const Int32 count = c.MakeChunkFiles();
         return TWork([count] {
           TFileChunker r;
           r.SetSourcename(TFileChunker::ChunkFileName(ScratchName("chunks-read"), 1, count));
           r.SetDirRestoring(ScratchName("chunks-restored"));
           benchmark::DoNotOptimize(r.RestoreAllChunks());
         });
       }},
      {"archives", "TZipArchiver ExtractFiles (split set, 64 KiB volumes)", kEntries,
       [](Int64 n) {
         const String path = ScratchName("split-read/s.zip");
         EmptyFolder(Scratch() + "/split-read");
         EmptyFolder(Scratch() + "/split-out");
         WriteSplitSet(path, n);
         return ExtractingAll(std::make_shared<String>(path), "split-out");
       }},
      // Files, encodings, settings and workbooks as users have them.
      {"text files", "TUTF8Stringlist LoadFromFile (ANSI, no mark)", kLines,
       [](Int64 n) {
         const TBytes bytes = TEncoding::GetEncodingShared(1252)->GetBytes(LinesOf(n)->Text() + u"caf\u00E9");
         std::ofstream(Scratch() + "/ansi-lines.txt", std::ios::binary)
             .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
         return TWork([] {
           TUTF8Stringlist l;
           l.LoadFromFile(ScratchName("ansi-lines.txt"));
         });
       }},
      {"file lists", "ListOfFilesAndDirs (overlapping masks)", kFiles,
       [](Int64 n) {
         auto root = std::make_shared<String>(FilesOf(n, "masks"));
         return TWork([root] {
           benchmark::DoNotOptimize(ListOfFilesAndDirs(*root, u"*.txt;*.TXT;file*", true, false).files->Count());
         });
       }},
      {"workbooks", "TextFromExcel (rows of 3 cells)", kLines,
       [](Int64 n) {
         SaveRowsWorkbook("rows-read.xlsx", n);
         return TWork([] { benchmark::DoNotOptimize(TextFromExcel(ScratchName("rows-read.xlsx")).size()); });
       }},
      // Lists that give their memory back, and the routines that grew too fast or held the host.
      {"lists", "TStringList Delete from the end down to 10 lines", kLines,
       [](Int64 n) {
         return OnList<TStringList>(LinesOf(n), [](TStringList& l) {
           while (l.Count() > 10) l.Delete(l.Count() - 1);
         });
       }},
      {"lists", "TSaveStringList SetText, then Clear", kLines,
       [](Int64 n) {
         auto text = std::make_shared<String>(LinesOf(n)->Text());
         return TWork([text] {
           TSaveStringList l;
           l.SetText(*text);
           l.Clear();
         });
       }},
      {"texts", "RepeatedXCharChunks (chunks of 200)", kText,
       [](Int64 n) {
         return OnTextKept(n, [](const String& t) { return RepeatedXCharChunks(200, 2, 1 << 30, t, {}); });
       }},
      {"texts", "RepeatedXCharChunks (shuffled lines)", kText,
       [](Int64 n) {
         TStringList lines;
         lines.SetText(TextOf(n));
         std::vector<String> v = Lines(lines);
         std::shuffle(v.begin(), v.end(), std::mt19937(4));
         auto text = std::make_shared<String>();
         for (const String& line : v) *text += line + u"\r\n";
         auto kept = std::make_shared<std::unique_ptr<TStringListWith2LongintRec>>();
         return TWork([text, kept] { *kept = RepeatedXCharChunks(200, 2, 1 << 30, *text, {}); });
       }},
      {"texts", "StringToStringlist (text, space, trimmed)", kText,
       [](Int64 n) { return OnTextKept(n, [](const String& t) { return StringToStringlist(t, u" ", true); }); }},
      {"texts", "StringToStringArray", kText,
       [](Int64 n) { return OnTextKept(n, [](const String& t) { return StringToStringArray(u" ", t, true); }); }},
      {"texts", "StringToStringListDoubleQuotesEqualsOneChunk", kText,
       [](Int64 n) {
         return OnText(n, [](const String& t) {
           TUTF8Stringlist l;
           StringToStringListDoubleQuotesEqualsOneChunk(u' ', t, &l);
         });
       }},
      {"texts", "HTMLTagsGreyedOut (a tag every 40 characters)", kText,
       [](Int64 n) {
         auto text = std::make_shared<String>(TextOf(n));
         for (size_t i = 0; i + 10 < text->size(); i += 40) {
           (*text)[i] = u'<';
           (*text)[i + 9] = u'>';
         }
         return TWork([text] { benchmark::DoNotOptimize(HTMLTagsGreyedOut(*text, clGray).size()); });
       }},
      {"texts", "TStrings SetCommaText", kText,
       [](Int64 n) {
         return OnText(n, [](const String& t) {
           TUTF8Stringlist l;
           l.SetCommaText(t);
         });
       }},
      {"texts", "TStrings SetDelimitedText (lines, strict)", kText,
       [](Int64 n) {
         return OnText(n, [](const String& t) {
           TUTF8Stringlist l;
           l.SetDelimiter(u'\n');
           l.SetStrictDelimiter(true);
           l.SetDelimitedText(t);
         });
       }},
      {"lists", "TStrings CommaText", kLines,
       [](Int64 n) {
         return OnList<TStringList>(LinesOf(n), [](TStringList& l) { benchmark::DoNotOptimize(l.CommaText().size()); });
       }},
      {"lists", "ArrayOfStringlists", kLines,
       [](Int64 n) {
         auto l = std::make_shared<TStringList>();
         const std::vector<String> words = WordsOf(n);
         for (size_t i = 0; i < words.size(); ++i) l->Add(words[i] + u"," + words[(i * 7) % words.size()]);
         return OnList<TStringList>(l, [](TStringList& x) { benchmark::DoNotOptimize(ArrayOfStringlists(&x, u',').size()); });
       }},
      {"lists", "CustomLinesSorted", kLines,
       [](Int64 n) {
         auto keys = std::shared_ptr<TStringlistWithALongint>(CustomSortPreparedStringlist(u"th,e,a,o"));
         return OnList<TStringList>(LinesOf(n), [keys](TStringList& l) {
           benchmark::DoNotOptimize(CustomLinesSorted(&l, keys.get())->Count());
         });
       }},
      {"lists", "T1LongintList sorted, added descending", kTypes,
       [](Int64 n) {
         return TWork([n] {
           T1LongintList l;
           l.sorted = true;
           for (Int64 i = n; i > 0; --i) l.AddOne(static_cast<Int32>(i));
         });
       }},
      {"lists", "T1LongintList sorted, added in random order", kLines,
       [](Int64 n) {
         auto values = RandomNumbers(n);
         return TWork([values] {
           T1LongintList l;
           l.sorted = true;
           for (const Int32 v : *values) l.AddOne(v);
         });
       }},
      // The same numbers into the standard library's balanced tree: how an
      // n log n structure grows on this machine once the items no longer fit
      // its caches.
      {"lists", "peer: std::multiset insert, random order", kLines,
       [](Int64 n) {
         auto values = RandomNumbers(n);
         return TWork([values] {
           std::multiset<Int32> s;
           for (const Int32 v : *values) s.insert(v);
         });
       }},
      {"lists", "T1LongintList Clear (sorted from random order)", kLines,
       [](Int64 n) {
         auto l = std::make_shared<T1LongintList>();
         l->sorted = true;
         for (const Int32 v : *RandomNumbers(n)) l->AddOne(v);
         return TWork([l] { l->Clear(); });
       }},
      {"lists", "T3LongintList SingleSort", kLines,
       [](Int64 n) {
         auto l = std::make_shared<T3LongintList>();
         std::mt19937 rng(13);
         for (Int64 i = 0; i < n; ++i) l->AddOne(T3_longint_rec{static_cast<Int32>(rng()), static_cast<Int32>(i), 0});
         return TWork([l] { l->SingleSort(tml_0); });
       }},
      {"text files", "LoadOrSaveComboItems (load)", 2500,
       [](Int64 n) {
         Widgets();
         LinesOf(n)->SaveToFile(ScratchName("history.txt"));
         return TWork([] {
           TComboBox box;
           LoadOrSaveComboItems(box, ls_loading, ScratchName("history.txt"));
         });
       }},
      {"text files", "LoadOrSaveComboItems (save, one new search)", 1000,
       [](Int64 n) {
         Widgets();
         LinesOf(n)->SaveToFile(ScratchName("history-save.txt"));
         return TWork([] {
           TComboBox box;
           LoadOrSaveComboItems(box, ls_loading, ScratchName("history-save.txt"));
           box.Items().Insert(0, u"a new search");
           LoadOrSaveComboItems(box, ls_saving, ScratchName("history-save.txt"));
         });
       }},
      // Inner stars over one long word, no hit: each form's places are tried
      // once; the host runs inside the word.
      {"inner stars", "SearchAndDo (one star e*x, a word of e's)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"e"), u"e*x"); }},
      {"inner stars", "SearchAndDo (several stars e*e*e*x)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"e"), u"e*e*e*x"); }},
      {"inner stars", "SearchAndDo (? after a star e*?e*?x)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"e"), u"e*?e*?x"); }},
      {"inner stars", "SearchAndDo (^ after a star e*^e*^x)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"e"), u"e*^e*^x"); }},
      {"inner stars", "SearchAndDo (a run of ten stars a**********b)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"a"), StarRun(u'a', 10, u'b')); }},
      {"inner stars", "SearchAndDo (a thousand stars between a and b)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"a"), StarRun(u'a', 1000, u'b')); }},
      {"inner stars", "SearchAndDo (stars between letters a*b*a*b*a*b*x)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"ab"), u"a*b*a*b*a*b*x"); }},
      // With hits: a DNA sequence on one line.
      {"inner stars", "SearchAndDo (DNA *gatt*aca*tttaaat*, one line)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"acgt"), u"*gatt*aca*tttaaat*"); }},
      {"inner stars", "SearchAndDo (DNA g*?c, every g a hit)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"acgt"), u"*g*?c*"); }},
      // Runs of digits taken again from many places of one word.
      {"inner stars", "SearchAndDo (a leading # before a digit #5)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"5"), u"#5"); }},
      {"inner stars", "SearchAndDo (# after a star 1*#x)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"1"), u"1*#x"); }},
      // A run of digits taken back to where each search began, a hit every
      // character or two: each search takes up what the one before learnt.
      {"inner stars", "SearchAndDo (*#1 over one run of digits)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"1"), u"*#1"); }},
      {"inner stars", "SearchAndDo (*#? over one run of digits)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"0123456789"), u"*#?"); }},
      {"inner stars", "SearchAndDo (*# over one run of digits)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"0123456789"), u"*#"); }},
      {"inner stars", "SearchAndDo (*1*# over one run of digits)", kLongWord,
       [](Int64 n) { return SearchingOf(OneLongWord(n, u"1"), u"*1*#"); }},
      {"archives", "RemoveStaleSetMembers (n waiting members of n / 10 live sets)", kEntries,
       [](Int64 n) {
         const std::string folder = Scratch() + "/members";
         EmptyFolder(folder);
         // Sets being made beside s.zip: every lock held, so that each run
         // lists, sorts and looks at every set and removes nothing.
         auto locks = HeldDescriptors();
         const int dir = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
         for (Int64 i = 0; dir >= 0 && i < n; ++i) {
           static std::string lock;
           if (i % 10 == 0) {
             lock = MarkedTemporarySiblingName("s.zip");
             locks->push_back(CreateLockedFile(dir, lock, 0600));
           }
           std::ofstream(folder + "/" + MarkedSetMemberName("s.zip", lock, static_cast<Cardinal>(i))) << "volume";
         }
         if (dir >= 0) ::close(dir);
         return TWork([folder, locks] { RemoveStaleSetMembers(folder + "/s.zip"); });
       }},
      // An open lists the archive's folder for what killed makers of sets left.
      {"archives", "TZipArchiver OpenArchive (in a folder of n other files)", kEntries,
       [](Int64 n) {
         const std::string folder = Scratch() + "/open-folder";
         EmptyFolder(folder);
         for (Int64 i = 0; i < n; ++i) std::ofstream(folder + "/file_" + std::to_string(i) + ".txt") << "text";
         const String path = Utf8ToString(folder + "/a.zip");
         TZipArchiver made;
         made.FFileName = path;
         made.OpenArchive();
         made.AddFromString(u"a.txt", u"In the beginning", 0x20, 45000);
         made.CloseArchive();
         return TWork([path] {
           TZipArchiver zip;
           zip.FFileName = path;
           zip.OpenArchive(fmOpenRead);
           zip.CloseArchive();
         });
       }},
      {"archives", "RemoveStaleTemporariesIn (n members: of live sets, and of dead sets a list keeps)", kEntries,
       [](Int64 n) {
         const std::string folder = Scratch() + "/folder-members";
         EmptyFolder(folder);
         // Half the members wait in sets being made (their locks held), half
         // in sets of killed makers whose lists of moves keep them: each run
         // lists the folder, finds the dead sets, lists it again for the
         // lists, and removes nothing.
         auto locks = HeldDescriptors();
         const int dir = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
         if (dir >= 0) locks->push_back(dir);
         for (Int64 set = 0; dir >= 0 && set * 10 < n; ++set) {
           const std::string anchor = "s" + std::to_string(set) + ".zip";
           const std::string lock = MarkedTemporarySiblingName(anchor);
           if (set % 2 == 0)
             locks->push_back(CreateLockedFile(dir, lock, 0600));
           else
             std::ofstream(folder + "/" + FixedMarkedTemporarySiblingName(anchor, "moves0")) << "list";
           for (Cardinal i = 0; i < 10; ++i)
             std::ofstream(folder + "/" + MarkedSetMemberName(anchor, lock, i)) << "volume";
         }
         return TWork([dir, locks] { RemoveStaleTemporariesIn(dir); });
       }},
      // A message's text broken inside its words: a path of n characters.
      {"controls", "DrawText breaking within words (a path)", 5000,
       [](Int64 n) {
         Widgets();
         String path;
         for (Int64 i = 0; static_cast<Int64>(path.size()) < n; ++i) path += u"/section_" + IntToStr(i) + u"_texts";
         return TWork([path] {
           TBitmap b(10, 10);
           TRect r{0, 0, 400, 0};
           b.Canvas().DrawText(path, r, DT_WORDBREAK | DT_BREAKWITHINWORDS | DT_CALCRECT);
         });
       }},
      // A message of one run with no place to break (a key, a blob of
      // encoded text in an error) beside one of the same length in words of
      // seven letters: the run is broken between its characters.
      {"controls", "DrawText breaking within words (one unbroken run)", 5000,
       [](Int64 n) {
         Widgets();
         return TWork([text = MessageOf(n, false)] {
           TBitmap b(10, 10);
           TRect r{0, 0, 400, 0};
           b.Canvas().DrawText(text, r, DT_WORDBREAK | DT_BREAKWITHINWORDS | DT_CALCRECT);
         });
       }},
      {"controls", "CreateMessageDialog (one unbroken run)", 5000,
       [](Int64 n) {
         Widgets();
         return TWork([text = MessageOf(n, false)] { ShownMessage(text); });
       }},
      {"controls", "CreateMessageDialog (words of seven letters)", 5000,
       [](Int64 n) {
         Widgets();
         return TWork([text = MessageOf(n, true)] { ShownMessage(text); });
       }},
      // ---- The box of a message taller than the screen, which holds the
      // message's own text and wraps it for its view: a list of paths (the
      // files a tool could not read) shown, selected whole and copied.
      {"controls", "CreateMessageDialog (lines of paths, copied)", 20000,
       [](Int64 n) {
         Widgets();
         return TWork([text = PathLines(n)] {
           std::unique_ptr<TForm> form = CreateMessageDialog(text, mtWarning, TMsgDlgButtons{mbOK});
           benchmark::DoNotOptimize(form->Widget()->grab());
           auto* box = dynamic_cast<TWinControl*>(form->FindComponent(u"MessageText"));
           if (box == nullptr) return;
           for (const Qt::Key key : {Qt::Key_A, Qt::Key_C}) {
             QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
             QApplication::sendEvent(box->Widget(), &press);
           }
           benchmark::DoNotOptimize(QGuiApplication::clipboard()->text());
         });
       }},
      // The same list shown modally without a default button (Abort and
      // Ignore) and answered by Return where the focus opens.
      {"controls", "MessageDlg (lines of paths, no default, Return)", 20000,
       [](Int64 n) {
         Widgets();
         return TWork([text = PathLines(n)] {
           const TModalHook previous = SetModalHook([](TForm& form) {
             form.Widget()->activateWindow();
             for (int i = 0; i < 100 && !form.Widget()->isActiveWindow(); ++i) QApplication::processEvents();
             QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
             QWidget* at = QApplication::focusWidget();
             QApplication::sendEvent(at != nullptr ? at : form.Widget(), &press);
             if (form.ModalResult() == mrNone) form.SetModalResult(mrCancel);
           });
           benchmark::DoNotOptimize(MessageDlg(text, mtWarning, mbAbortIgnore, 0));
           SetModalHook(previous);
         });
       }},
      // Thai written without blanks: its words are places to break that the
      // box is told of.
      {"controls", "CreateMessageDialog (Thai without blanks)", 5000,
       [](Int64 n) {
         Widgets();
         static const String kThai = u"ภาษาศาสตร์คลังข้อมูลศึกษาภาษาจากข้อความจริงจำนวนมาก";
         String text;
         while (static_cast<Int64>(text.size()) < n) text += kThai;
         return TWork([text] { ShownMessage(text); });
       }},
      // Long words with soft hyphens, which the box breaks at by itself.
      {"controls", "CreateMessageDialog (words with soft hyphens)", 5000,
       [](Int64 n) {
         Widgets();
         String text;
         while (static_cast<Int64>(text.size()) < n)
           text += u"Word lis\u00ADten\u00ADsor\u00ADtie\u00ADrung\u00ADlis\u00ADten\u00ADsor\u00ADtie\u00ADrun\u00ADgen. ";
         return TWork([text] { ShownMessage(text); });
       }},
      // ---- series of files and chunk sets of names with a backslash byte ----
      // A series of n files (Shift-JIS names with a byte 0x5C, in n / 100
      // folders) zipped with their full paths, the sources then deleted.
      {"archives", "ZipASeriesOfFilesTo (full paths, sources deleted)", kEntries,
       [](Int64 n) { return SeriesOf(FilesOf(n, "series-sjis", "", true), "series-sjis.zip"); }},
      // The same, each file under two names, both listed.
      {"archives", "ZipASeriesOfFilesTo (two names per file, deleted)", kEntries,
       [](Int64 n) { return SeriesOf(TwoNamesOf(n, "series-linked"), "series-linked.zip"); }},
      // n files in n / 100 folders moved to a RAM disk, every tenth a link to
      // a file beside the folder (each move waits for its folders to reach
      // the disk: fewer files).
      {"files", "MovedFolderFulInto (another file system, links)", kEntries / 10,
       [](Int64 n) {
         const String root = FilesOf(n, "moved-folder");
         const std::string aside = Scratch() + "/moved-folder-target.txt";
         std::ofstream(aside) << "pointed to";
         for (Int64 i = 0; i < n; i += 10) {
           std::error_code e;
           fs::remove(NthFileOf(root, i), e);
           fs::create_symlink(aside, NthFileOf(root, i), e);
         }
         static const std::string ram = [] {
           std::atexit([] {
             std::error_code gone;
             fs::remove_all(ram, gone);
           });
           return "/dev/shm/sk_growth_" + std::to_string(::getpid());
         }();
         std::error_code e;
         fs::remove_all(ram, e);
         return TWork([root] { MovedFolderFulInto(root, Utf8ToString(ram), true); });
       }},
      // A file of n KiB named ソース in Shift-JIS (a byte 0x5C) cut into chunks
      // of 64 KiB, and the file restored from them.
      {"archives", "TFileChunker make and restore (a Shift-JIS name)", 1024,
       [](Int64 n) {
         const std::string folder = Scratch() + "/chunks";
         EmptyFolder(folder);
         fs::create_directories(folder + "/set");
         fs::create_directories(folder + "/out");
         std::ofstream(folder + "/\x83\x5c\x81\x5b\x83\x58.bin") << std::string(static_cast<size_t>(n) * 1024, 'k');
         return TWork([folder] {
           TFileChunker maker;
           maker.SetSourcename(SystemNameToString(folder + "/\x83\x5c\x81\x5b\x83\x58.bin"));
           maker.SetDirCreating(Utf8ToString(folder + "/set"));
           maker.SetChunkSize(1 << 16);
           const Int32 chunks = maker.MakeChunkFiles();
           TFileChunker restorer;
           restorer.SetSourcename(TFileChunker::ChunkFileName(Utf8ToString(folder + "/set"), 1, chunks));
           restorer.SetDirRestoring(Utf8ToString(folder + "/out"));
           if (!restorer.RestoreAllChunks()) std::fprintf(stderr, "the chunk set did not restore\n");
         });
       }},
  };
  return table;
}

// The ratio n log n grows by from n to 8n.
double NLogNRatio(Int64 n) {
  const double a = static_cast<double>(n);
  return 8 * std::log(8 * a) / std::log(std::max(a, 2.0));
}

void PrintSummary() {
  std::printf("\n%-13s %-50s %10s %10s %9s %9s %7s %9s %9s  %s\n", "family", "routine", "n", "8n", "t(n) ms",
              "t(8n) ms", "ratio", "gap(n)", "gap(8n)", "");
  for (const TRoutine& r : Routines()) {
    auto it = Results().find(&r);
    if (it == Results().end()) continue;
    const TResult& a = it->second[0];
    const TResult& b = it->second[1];
    if (a.seconds < 0 || b.seconds < 0) continue;
    const Int64 n = Scaled(r.n);
    const double ratio = b.seconds / std::max(a.seconds, 1e-9);
    std::string mark;
    // Short times are mostly noise: a ratio counts once the larger run is long enough to see.
    if (b.seconds >= 0.05 && ratio > 1.5 * NLogNRatio(n)) mark += " GROWS";
    if (std::max(a.longestGap, b.longestGap) > 0.5) mark += " FREEZES";
    std::printf("%-13s %-50s %10lld %10lld %9.1f %9.1f %7.1f %9.1f %9.1f %s\n", r.family, r.name,
                static_cast<long long>(n), static_cast<long long>(8 * n), a.seconds * 1e3, b.seconds * 1e3, ratio,
                a.longestGap * 1e3, b.longestGap * 1e3, mark.c_str());
  }
  std::printf("ratio: t(8n) / t(n), n log n gives about %.1f; gap: the longest stretch in ms without a call of the "
              "yield hook\n",
              NLogNRatio(Scaled(kLines)));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0)
      gQuick = true;
    else
      args.push_back(argv[i]);
  }
  const char* quick = std::getenv("SK_GROWTH_QUICK");
  if (quick != nullptr && *quick != '\0' && *quick != '0') gQuick = true;
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  sk::SetUserDefaultLocale("en_US");
  sk::ZAArchiver_initialization();
  // As a host's start would: the platform's sorts yield through the library's hook.
  sk::Useful_classes_stringlist_sorts_initialization();
  for (const TRoutine& r : Routines())
    for (int which = 0; which < 2; ++which) {
      const std::string name = std::string(r.family) + "/" + r.name + (which == 0 ? "/n" : "/8n");
      benchmark::RegisterBenchmark(name.c_str(), RunRoutine, &r, which)
          ->Iterations(1)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    }
  benchmark::RunSpecifiedBenchmarks();
  PrintSummary();
  benchmark::Shutdown();
  return 0;
}
