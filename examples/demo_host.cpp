// A small host program that drives the library the way a tool does: it starts
// the library, installs its yield hook, reads a text, describes it with the
// text library, lists its most frequent words through a tagged-word frequency
// list, saves that list behind the saved-results header as the word-list tool
// does, recognises the saved file by its header, reads it back, exports it to
// a spreadsheet and reads that back as text, and stops the library.  It logs
// its run to the shared log file (sk_demo.log in the system's temporary
// folder) and shows the log at the end.
//
//   sk_demo [text-file [word]]   (default: the sample text beside this program's
//                                source, and the word "that")
//   sk_demo --window        a window whose buttons show the library's messages
//                           and a page of its controls
//                           (see demo_window.cpp)
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/My_string_functions.h"
#include "core/Qm_global_vars.h"
#include "core/Stringtag_utils.h"
#include "core/Unicode_string_conversion.h"
#include "library/Units.h"
#include "core/Useful_classes_base_stringlists.h"
#include "services/Excel_utils.h"
#include "services/File_utils.h"
#include "services/Logging_utilities.h"
#include "services/Qm_essentials.h"
#include "services/Registry_utils.h"
#include "services/User_and_system_utils.h"
#include "services/Wdef.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Streams.h"

#ifndef SK_SAMPLE_TEXT
#define SK_SAMPLE_TEXT "examples/sample.txt"
#endif

namespace {

using namespace sk;

const char* YesNo(bool b) { return b ? "yes" : "no"; }

std::string Text(const String& s) { return StringToUtf8(s); }

// The whole file as bytes; false when it cannot be read.
bool ReadBytes(const String& fileName, TBytes& bytes) {
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    bytes.resize(static_cast<size_t>(stream.Size()));
    if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    return true;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cannot read %s: %s\n", Text(fileName).c_str(), e.what());
    return false;
  }
}

bool SameLists(const TStringTagFreqList& a, const TStringTagFreqList& b) {
  if (a.Count() != b.Count()) return false;
  for (Int32 i = 0; i < a.Count(); ++i) {
    const TStringTagFreq x = a.GetAStringTagFreq(i), y = b.GetAStringTagFreq(i);
    if (x.st.wrd != y.st.wrd || x.st.tag != y.st.tag || x.st.tagnum_2B != y.st.tagnum_2B || x.freq != y.freq)
      return false;
  }
  return true;
}

int Run(const String& fileName) {
  TBytes bytes;
  if (!ReadBytes(fileName, bytes)) return 1;

  TEncoding* encoding = nullptr;
  Int32 bomLength = 0;
  const String text = EncodedStringFromBytes(bytes, encoding, bomLength);
  std::printf("text: %s\n", Text(fileName).c_str());
  AddToLogFile(Format(u"read %s: %d bytes", {fileName, static_cast<Int32>(bytes.size())}));
  std::printf("  %zu bytes, encoding %s, byte-order mark %d bytes, %zu UTF-16 units\n", bytes.size(),
              encoding != nullptr ? Text(encoding->EncodingName()).c_str() : "none", bomLength, text.size());

  // The character-class array, sized as the search buffers size theirs.
  std::vector<Word> classes(text.size() + 10, 0);
  ParseAString(text, classes);
  Int64 perClass[8] = {};
  for (size_t i = 0; i < text.size(); ++i) ++perClass[classes[i] & wchar_class_mask];
  std::printf("  character classes: lower-case %lld, other letters and marks %lld, numbers %lld, "
              "punctuation %lld, currency %lld, separators %lld, other %lld\n",
              static_cast<long long>(perClass[1]), static_cast<long long>(perClass[2]),
              static_cast<long long>(perClass[3]), static_cast<long long>(perClass[4]),
              static_cast<long long>(perClass[5]), static_cast<long long>(perClass[6]),
              static_cast<long long>(perClass[7]));

  const Int32 words = BasicWordCount(text);
  const auto sentences = SentencesFromParagraph(text, String(), 0, 0);
  std::printf("  %s words, %s sentences\n", Text(Format(u"%.0n", {words})).c_str(),
              Text(Format(u"%.0n", {sentences->Count()})).c_str());
  AddToLogFile(Format(u"%d words, %d sentences", {words, sentences->Count()}));

  // Word frequencies into the tagged-word frequency list, most frequent first.
  const auto wordList = SimpleWordListOfTxt(text, 1, false);
  TStringTagFreqList frequencies;
  for (Int32 i = 0; i < wordList->Count(); ++i) {
    TStringTagFreq item;
    item.st.wrd = AnsiLowerCase(wordList->Strings(i));
    item.freq = wordList->GetOne(i);
    frequencies.AddOne(item);
  }
  frequencies.SortOnFreq();
  std::printf("  %d different words; the twenty most frequent:\n", frequencies.Count());
  for (Int32 i = 0; i < frequencies.Count() && i < 20; ++i) {
    const TStringTagFreq item = frequencies.GetAStringTagFreq(i);
    std::printf("    %2d. %-20s %8s\n", i + 1, Text(item.st.wrd).c_str(),
                Text(Format(u"%.0n", {item.freq})).c_str());
  }

  // The list saved as the word-list tool saves its results: the saved-results
  // header, then the list in its stream form. The file is then recognised by
  // its header, and read back behind it.
  global_current_tool = tt_wordlist;
  const String stored = IncludeTrailingPathDelimiter(GetTempDirectory()) + u"sk_demo_word_frequencies" +
                        ListTypeToDefaultExt(lt_word_list);
  bool saved = false;
  {
    TFileStream out(stored, fmCreate);
    TCheckSignature header{};
    saved = DiskSignatureISOKForToolAndList(header, tt_wordlist, lt_word_list, &out, writing) &&
            frequencies.SaveToStream(&out);
  }
  TQM_MainFile_rec rec;
  rec.filename = stored;
  const bool recognised = IsAQuillmark64BitFile(rec) && rec.ListType == lt_word_list;
  const tool_type maker = WhichToolsQuillmark64BitFile(rec);
  std::printf("saved the list behind the saved-results header in %s: recognised as a saved file %s, "
              "kind \"%s\", signature of %s, extension of %s\n",
              Text(stored).c_str(), YesNo(recognised), Text(ListSignature(rec.ListType)).c_str(),
              Text(Tool_Name(maker)).c_str(), Text(Tool_Name(FileExtToToolType(stored))).c_str());
  TStringTagFreqList readBack;
  bool loaded = false;
  {
    TFileStream in(stored, fmOpenRead);
    TCheckSignature header{};
    loaded = DiskSignatureISOKForToolAndList(header, tt_wordlist, lt_word_list, &in, reading) &&
             readBack.ReadFromStream(&in);
    std::printf("stored the list in %s (%lld bytes): saved %s, read back %s\n", Text(stored).c_str(),
                static_cast<long long>(in.Size()), YesNo(saved), YesNo(loaded));
  }
  DeleteFile(stored);
  const bool agree = saved && recognised && loaded && SameLists(frequencies, readBack);
  std::printf("the list read back %s the list written (%d items)\n", agree ? "agrees with" : "DIFFERS from",
              readBack.Count());
  AddToLogFile(Format(u"word list of %d items stored and read back: %s", {readBack.Count(),
                                                                          agree ? u"the same" : u"DIFFERENT"}));

  // The list as a spreadsheet: one line per word, word and frequency cut at
  // the tab; then the workbook read back as text, title block first.
  const String sheetFile = IncludeTrailingPathDelimiter(GetTempDirectory()) + u"sk_demo_word_frequencies.xlsx";
  TUTF8Stringlist lines, sheetNames;
  lines.Add(u"word\tfrequency");
  for (Int32 i = 0; i < frequencies.Count(); ++i) {
    const TStringTagFreq item = frequencies.GetAStringTagFreq(i);
    lines.Add(item.st.wrd + u"\t" + IntToStr(item.freq));
  }
  sheetNames.Add(u"Word frequencies");
  SaveAStringlistToExcel(sheetFile, u"Word frequencies", ExtractFileName(fileName),
                         Format(u"%d different words", {frequencies.Count()}), u"", &sheetNames, {&lines}, u'\t');
  const String sheetText = TextFromExcel(sheetFile);
  String expected;
  for (Int32 i = 0; i < lines.Count(); ++i) expected += lines.Strings(i) + u"\r\n";
  const bool sheetAgrees = EndsStr(expected, sheetText);
  std::printf("exported the list to %s (%lld bytes); read back as text it %s the list (%zu characters)\n",
              Text(sheetFile).c_str(), static_cast<long long>(FileSizeByName(sheetFile)),
              sheetAgrees ? "ends with" : "DIFFERS from", sheetText.size());
  AddToLogFile(Format(u"word list exported to a spreadsheet and read back: %s",
                      {sheetAgrees ? u"the same" : u"DIFFERENT"}));
  DeleteFile(sheetFile);
  return agree && sheetAgrees ? 0 : 1;
}

}  // namespace

int RunWindowDemo(int argc, char** argv);
int RunConcordanceDemo(const sk::String& fileName, const sk::String& word);

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--window") return RunWindowDemo(argc, argv);
  std::printf("before start-up: global_current_tool %d (tt_shell), global_string_safety_limit %d, "
              "yield hook installed %s\n",
              static_cast<int>(global_current_tool), global_string_safety_limit,
              YesNo(static_cast<bool>(Global_YieldProcessProc)));

  Initialize();
  std::puts("library started");

  // The host's yield hook: a real tool processes its pending window events
  // here (and its Stop button may raise global_panic_state).
  long long yields = 0;
  Global_YieldProcessProc = [&yields] { ++yields; };

  // The host names the shared log and raises the log level; a fresh log for
  // this run.
  const String logName = IncludeTrailingPathDelimiter(GetTempDirectory()) + u"sk_demo.log";
  ClearLogFile(logName);
  SetLogFilename(logName);
  global_log_level = 1;
  StartNewLogSection(u"0.1.0");
  AddToLogFile(Format(u"user %s, documents folder %s", {Registry_Current_User(), GetMyDocumentsQMarkFolder()}));

  const String fileName = Utf8ToString(argc > 1 ? argv[1] : SK_SAMPLE_TEXT);
  const String word = Utf8ToString(argc > 2 ? argv[2] : "that");
  int rc = 1;
  try {
    // The main road first: a concordance, sorted, saved and read back; then
    // the word list of the same text.
    rc = RunConcordanceDemo(fileName, word);
    rc = Run(fileName) != 0 ? 1 : rc;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "failed: out of memory\n");
    rc = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "failed: %s\n", e.what());
    rc = 1;
  }
  std::printf("the library yielded to the host %lld times\n", yields);
  AddToLogFile(Format(u"finished with exit code %d after %d yields", {rc, static_cast<Int32>(yields)}));
  std::printf("the log of this run, %s:\n%s", Text(logName).c_str(), Text(TextFileContents(logName)).c_str());

  Finalize();
  std::printf("library stopped; yield hook installed %s\n", YesNo(static_cast<bool>(Global_YieldProcessProc)));
  return rc;
}
