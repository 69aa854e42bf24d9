// The library's side of scripts/bench-peers: each command does one piece of
// work on a text file from start to end (read, decode, work, print), so that
// hyperfine can time it beside other programs doing the same work.
//
//   sk_hotpaths count-word FILE WORD   the number of whole-word finds of WORD, in any case
//   sk_hotpaths word-freq FILE         the number of distinct words, and the most frequent one
//   sk_hotpaths search-word FILE WORD  the main road as a tool walks it: the library started, the file
//                                      read and decoded (GetTextOfAFile), WORD made a search-word list,
//                                      the text handed over to its engine (SetABuffer) and searched
//                                      (SearchAndDo); the number of hits
//   sk_hotpaths concordance FILE WORD  the same, each hit made a concordance line of the 40 characters
//                                      either side (line breaks as blanks); the number of lines and the
//                                      first one
//
// A text that cannot be read, one too long for the routine, or memory
// running out is reported on standard error with a non-zero exit code.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include <vector>

#include "analysis/Base_search_itemsU.h"
#include "analysis/Search_and_do_engineU.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_words.h"
#include "core/Unicode_string_conversion.h"
#include "core/Useful_classes_base_stringlists.h"
#include "library/Units.h"
#include "platform/runtime/Locale.h"
#include "services/File_utils_textfiles.h"

namespace {

using namespace sk;

bool ReadFileBytes(const char* path, TBytes& bytes) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  if (size > 0) {
    bytes.resize(static_cast<size_t>(size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  }
  std::fclose(f);
  return true;
}

// The file mapped and decoded in place (read into memory when it cannot be
// mapped).
bool ReadText(const char* path, String& text) {
  TEncoding* enc = nullptr;
  Int32 bom = 0;
  const int fd = ::open(path, O_RDONLY);
  struct stat st {};
  if (fd >= 0 && ::fstat(fd, &st) == 0 && st.st_size > 0) {
    void* map = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (map != MAP_FAILED) {
      ::madvise(map, static_cast<size_t>(st.st_size), MADV_SEQUENTIAL);
      text = EncodedStringFromBytes(static_cast<const Byte*>(map), static_cast<size_t>(st.st_size), enc, bom);
      ::munmap(map, static_cast<size_t>(st.st_size));
      ::close(fd);
      return true;
    }
  }
  if (fd >= 0) ::close(fd);
  TBytes bytes;
  if (!ReadFileBytes(path, bytes)) {
    std::fprintf(stderr, "cannot read %s\n", path);
    return false;
  }
  text = EncodedStringFromBytes(bytes, enc, bom);
  return true;
}

// A text whose positions do not fit the Int32s of the routines: said, and 1.
int TooLong(const char* path, size_t units) {
  std::fprintf(stderr, "%s is too long to search (%zu characters)\n", path, units);
  return 1;
}

int CountWord(const char* path, const char* word) {
  String text;
  if (!ReadText(path, text)) return 1;
  if (text.size() >= static_cast<size_t>(INT32_MAX)) return TooLong(path, text.size());
  const String upper = AnsiUpperCase(Utf8ToString(std::string(word)));
  if (upper.empty()) return 2;
  const Int32 len = static_cast<Int32>(upper.size());
  long long n = 0;
  for (Int32 p = CaseInsensitiveUpperedPosEx(upper, text, 1); p > 0; p = CaseInsensitiveUpperedPosEx(upper, text, p + 1))
    if (BoundedWholeWord(text, p, p + len - 1)) ++n;
  std::printf("%lld\n", n);
  return 0;
}

int WordFrequencies(const char* path) {
  String text;
  if (!ReadText(path, text)) return 1;
  auto list = SimpleWordListOfTxt(text, 1, false);
  Int32 best = -1;
  for (Int32 i = 0; i < list->Count(); ++i)
    if (best < 0 || list->GetOne(i) > list->GetOne(best)) best = i;
  std::printf("%d words; most frequent: %s %d\n", list->Count(),
              best < 0 ? "" : StringToUtf8(list->Strings(best)).c_str(), best < 0 ? 0 : list->GetOne(best));
  return 0;
}

// The 40 characters before and after a hit, line breaks and tabs as blanks.
String ConcordanceLine(const String& text, Int32 start, Int32 end) {
  constexpr Int32 kContext = 40;
  const Int32 from = start > kContext ? start - kContext : 0;
  const Int32 to = std::min<Int32>(static_cast<Int32>(text.size()), end + kContext);
  String line = text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
  for (Char& c : line)
    if (c < 0x20) c = u' ';
  return line;
}

int SearchWord(const char* path, const char* word, bool concordance) {
  Initialize();
  TEncoding* encoding = nullptr;
  Int32 bom = 0;
  const String fileName = Utf8ToString(std::string(path));
  String text = GetTextOfAFile(fileName, encoding, bom);
  if (text.empty()) {
    std::fprintf(stderr, "cannot read %s\n", path);
    return 1;
  }
  const auto fileBytes = static_cast<Int32>(std::min<size_t>(text.size(), INT32_MAX));
  TSearchWordItems words(Global_Blank_ignoreTags, LOCALE_USER_DEFAULT, true, se_searchword);
  words.AddSW(Utf8ToString(std::string(word)));
  TSearchAndDoEngine& engine = *words.fSearchEngine;
  std::vector<String> lines;
  engine.PrepareForConcordancing(fileName, fileBytes, 1, 0, false, coll_stop_none,
                                 [&](TSearchAndDoEngine*, TConcSearchRec& hit) {
                                   if (concordance)
                                     lines.push_back(ConcordanceLine(global_bufStr[wp_whole],
                                                                     hit.hit_edge_1B[sf_start2] - 1,
                                                                     hit.hit_edge_1B[sf_finish2] - 1));
                                   return true;
                                 });
  if (!TSearchAndDoEngine::Addresses(text.size())) {
    Finalize();
    return TooLong(path, text.size());
  }
  engine.SetABuffer(std::move(text), wp_whole);
  for (Int32 i = 0; i < words.Count(); ++i) engine.SearchAndDo(words.GetPtr(i), wp_whole, i, Global_TextSectionsArr);
  const Int32 hits = engine.fSearchAndDoPrivate.fHitsFound[hf_total];
  if (concordance)
    std::printf("%zu lines\n%s\n", lines.size(), lines.empty() ? "" : StringToUtf8(lines.front()).c_str());
  else
    std::printf("%d\n", hits);
  std::fflush(stdout);
  Finalize();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SetUserDefaultLocale("en_US");
  try {
    if (argc == 4 && std::strcmp(argv[1], "count-word") == 0) return CountWord(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "word-freq") == 0) return WordFrequencies(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "search-word") == 0) return SearchWord(argv[2], argv[3], false);
    if (argc == 4 && std::strcmp(argv[1], "concordance") == 0) return SearchWord(argv[2], argv[3], true);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "out of memory working on %s\n", argv[2]);
    return 3;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "failed on %s: %s\n", argv[2], e.what());
    return 3;
  }
  std::fprintf(stderr,
               "usage: sk_hotpaths count-word FILE WORD | word-freq FILE | search-word FILE WORD | "
               "concordance FILE WORD\n");
  return 2;
}
