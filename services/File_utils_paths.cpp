#include "services/File_utils_paths.h"

#include <utility>

#include "services/File_utils_tests.h"
#include "services/Filename_functions.h"
#include "platform/runtime/DesktopApps.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

bool IsDelim(Char c) { return c == u'/' || c == u'\\'; }

// The file-kind to list-kind table of saved results files.
constexpr std::pair<TQM_Extensions, TQuillmarkList> kListTypeOfExt[] = {
    {ext_lst, lt_word_list},
    {ext_mut, lt_index_relationship_list},
    {ext_dcl, lt_detailed_consistency_list},
    {ext_vwr, lt_aligner_single_list},
    {ext_ali, lt_aligner_multiple_list},
    {ext_cnc, lt_concordance_list},
    {ext_kws, lt_keyword_list},
    {ext_kwdb, lt_KW_database_list},
    {ext_kwdb_timeline, lt_KWDB_timeline_list},
    {ext_chargr, lt_chargram_list},
    {ext_index_tokens, lt_wordlist_index_list},
};

}  // namespace

String FilenameFormattedForView(const String& name, TFilenameView view) {
  const std::vector<String> parts = SectionsOfAFilename(name);
  const String d(1, DelimiterOfAFilename(name));
  const size_t n = parts.size();
  switch (view) {
    case fnv_no_path:
      if (n >= 1) return d + parts[n - 1];
      break;
    case fnv_1_folder:
      if (n >= 2) return d + parts[n - 2] + d + parts[n - 1];
      break;
    case fnv_2_folders:
      if (n >= 3) return d + parts[n - 3] + d + parts[n - 2] + d + parts[n - 1];
      break;
    case fnv_full_path:
      break;
  }
  return name;
}

TQM_Extensions QMExtensionOfFile(const String& name) {
  const String ext = AnsiUpperCase(ExtractFileExt(name));
  for (int k = 0; k < TQM_Extensions_Count; ++k) {
    const auto e = static_cast<TQM_Extensions>(k);
    if (AnsiUpperCase(QMExts[e]) == ext) return e;
  }
  return ext_unknown;
}

TQuillmarkList ListTypeOfFileExt(const String& name) {
  const String ext = AnsiUpperCase(ExtractFileExt(name));
  TQuillmarkList result = lt_undefined;
  // Taken in file-kind order, so that when kinds share an extension the last wins.
  for (int k = 0; k < TQM_Extensions_Count; ++k)
    for (const auto& [kind, list] : kListTypeOfExt)
      if (kind == static_cast<TQM_Extensions>(k) && AnsiUpperCase(QMExts[kind]) == ext) result = list;
  return result;
}

TParsedSeveralPathStrings ParentFolderParsedPathOfChosenFolders(const TStrings* list) {
  if (list == nullptr || list->Count() == 0) return TParsedSeveralPathStrings{};
  const Int32 last = list->Count() - 1;
  return ParentFolderParsedPathOfChosenFolders(list->Strings(0), list->Strings(list->Count() / 2),
                                               list->Strings(last));
}

TParsedSeveralPathStrings ParentFolderParsedPathOfChosenFolders(const String& a, const String& b, const String& c) {
  TParsedSeveralPathStrings r;
  if (a.empty() || b.empty() || c.empty()) return r;
  // The first position where the three differ, or the last of the shortest.
  size_t p = 0;
  while (p + 1 < a.size() && p + 1 < b.size() && p + 1 < c.size() && AnsiUpperChar(a[p]) == AnsiUpperChar(b[p]) &&
         AnsiUpperChar(a[p]) == AnsiUpperChar(c[p]))
    ++p;
  // Back to the nearest delimiter of a at or before that position.
  size_t q = p;
  while (q > 0 && !IsDelim(a[q])) --q;
  if (!IsDelim(a[q])) return r;  // no delimiter there: nothing in common
  r.common_root_entire = a.substr(0, q);
  const std::vector<String> parts = SectionsOfAFilename(r.common_root_entire);
  if (!parts.empty()) r.common_root_last_section = parts.back();
  return r;
}

bool FileWouldOpenWith(const String& fileName, const String& program) {
  const String found = FindExecutableForFile(fileName);
  if (found.empty()) return false;
  return AnsiUpperCase(found).find(AnsiUpperCase(program)) != String::npos;
}

void CheckUserDirConstFolder(TStrings* list, bool toPlaceholder) {
  if (list == nullptr) return;
  for (Int32 i = 0; i < list->Count(); ++i) {
    const String s = list->Strings(i);
    const String converted = ConvertedAppFolderInFilename(s, toPlaceholder);
    if (converted != s) list->Put(i, converted);
  }
}

String FileFilterWithinFilterText(const String& s) {
  String r;
  const size_t open = s.find(u'(');
  const size_t close = s.find(u')');
  if (open != String::npos && close != String::npos && close > open)
    r = Trim(s.substr(open + 1, close - open - 1));
  else
    r = Trim(s);
  return r.empty() ? String(u"*.*") : r;
}

String FormattedFNAsParameter(const String& name) {
  return DriveAndFileExist(name, true) == fs_exists ? u"\"" + name + u"\"" : name;
}

}  // namespace sk
