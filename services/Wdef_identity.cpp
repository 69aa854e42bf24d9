#include "services/Wdef_identity.h"

#include <algorithm>
#include <cstring>

#include "core/My_string_functions_readable.h"
#include "core/My_string_functions_splitting.h"
#include "core/Qm_global_vars.h"
#include "core/Qm_specific_consts.h"
#include "core/Stringtag_utils.h"
#include "core/Type_conversion.h"
#include "core/Global_vars.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/Strings.h"
#include "platform/runtime/ZipReader.h"
#include "services/Logging_utilities.h"
#include "services/Qm_essentials.h"
#include "services/Wdef_hooks.h"

namespace sk {

namespace {

constexpr size_t kTypeOfDataOffset = 28;
constexpr size_t kTypeOfDataUnits = 41;
constexpr size_t kSpareOffset = 112;
constexpr size_t kSpareSize = 204;
static_assert(kSpareOffset + kSpareSize == static_cast<size_t>(CheckSignatureSize));

void PutInt32(Byte* p, Int32 v) {
  const auto u = static_cast<uint32_t>(v);
  p[0] = static_cast<Byte>(u);
  p[1] = static_cast<Byte>(u >> 8);
  p[2] = static_cast<Byte>(u >> 16);
  p[3] = static_cast<Byte>(u >> 24);
}

Int32 GetInt32(const Byte* p) {
  return static_cast<Int32>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                            static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

bool SameExt(const String& ext, TQM_Extensions kind) { return SameText(ext, QMExts[kind]); }

// The header of a saved file: false when the file does not exist, cannot be
// opened or read, or is not longer than the header.
bool ReadHeaderOfFile(const String& filename, TCheckSignature& header) {
  if (!FileExists(filename)) return false;
  try {
    TFileStream stream(filename, fmOpenRead | fmShareDenyNone);
    if (stream.Size() <= CheckSignatureSize) return false;
    Byte bytes[CheckSignatureSize];
    if (stream.Read(bytes, CheckSignatureSize) != CheckSignatureSize) return false;
    header = CheckSignatureFromBytes(bytes);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// The header.

TBytes CheckSignatureBytes(const TCheckSignature& header) {
  TBytes b(CheckSignatureSize, 0);
  PutInt32(&b[0], header.signature);
  PutInt32(&b[4], header.screen_res);
  PutInt32(&b[8], header.monitor);
  PutInt32(&b[12], header.save_Rect.Left);
  PutInt32(&b[16], header.save_Rect.Top);
  PutInt32(&b[20], header.save_Rect.Right);
  PutInt32(&b[24], header.save_Rect.Bottom);
  for (size_t i = 0; i < kTypeOfDataUnits; ++i) {
    const auto u = static_cast<uint16_t>(header.type_of_data[i]);
    b[kTypeOfDataOffset + 2 * i] = static_cast<Byte>(u);
    b[kTypeOfDataOffset + 2 * i + 1] = static_cast<Byte>(u >> 8);
  }
  // Bytes 110 and 111 stay zero.
  std::memcpy(&b[kSpareOffset], header.spare.data(), kSpareSize);
  return b;
}

TCheckSignature CheckSignatureFromBytes(const Byte* bytes) {
  TCheckSignature h{};
  h.signature = GetInt32(bytes);
  h.screen_res = GetInt32(bytes + 4);
  h.monitor = GetInt32(bytes + 8);
  h.save_Rect.Left = GetInt32(bytes + 12);
  h.save_Rect.Top = GetInt32(bytes + 16);
  h.save_Rect.Right = GetInt32(bytes + 20);
  h.save_Rect.Bottom = GetInt32(bytes + 24);
  for (size_t i = 0; i < kTypeOfDataUnits; ++i)
    h.type_of_data[i] = static_cast<Char>(bytes[kTypeOfDataOffset + 2 * i] |
                                          bytes[kTypeOfDataOffset + 2 * i + 1] << 8);
  std::memcpy(h.spare.data(), bytes + kSpareOffset, kSpareSize);
  return h;
}

String CheckSignatureTypeOfData(const TCheckSignature& header) {
  const auto end = std::find(header.type_of_data.begin(), header.type_of_data.end(), u'\0');
  return String(header.type_of_data.begin(), end);
}

bool DiskSignatureISOKForToolAndList(TCheckSignature& header, tool_type tool, TQuillmarkList list,
                                     TStream* stream, TWriteOrRead mode) {
  if (stream == nullptr) return false;
  if (mode == writing) {
    header.signature = CurrentSignature[tool];
    header.type_of_data.fill(u'\0');
    const String name = list_signature[list];
    std::copy_n(name.begin(), std::min<size_t>(name.size(), kTypeOfDataUnits - 1), header.type_of_data.begin());
    const TBytes bytes = CheckSignatureBytes(header);
    return stream->Write(bytes.data(), CheckSignatureSize) == CheckSignatureSize;
  }
  Byte bytes[CheckSignatureSize];
  if (stream->Read(bytes, CheckSignatureSize) != CheckSignatureSize) return false;
  header = CheckSignatureFromBytes(bytes);
  return header.signature == CurrentSignature[tool] && CheckSignatureTypeOfData(header) == list_signature[list];
}

TQuillmarkList DiskFileType(const String& filename, const TCheckSignature& header) {
  if (SameExt(ExtractFileExt(filename), ext_kwdb)) return lt_KW_database_list;
  const String text = CheckSignatureTypeOfData(header);
  for (int k = lt_undefined; k <= lt_sorting; ++k)
    if (text == list_signature[static_cast<TQuillmarkList>(k)]) return static_cast<TQuillmarkList>(k);
  return lt_undefined;
}

String ListSignature(TQuillmarkList list) { return list_signature[list]; }

// ---------------------------------------------------------------------------
// Tests of a file on disk.

bool IsAQuillmark64BitFileForTool(TQM_MainFile_rec& rec, tool_type tool) {
  rec.ListType = lt_undefined;
  TCheckSignature header{};
  if (!ReadHeaderOfFile(rec.filename, header)) return false;
  if (header.signature != CurrentSignature[tool]) return false;
  rec.ListType = DiskFileType(rec.filename, header);
  return true;
}

bool IsAQuillmark64BitFile(TQM_MainFile_rec& rec) { return IsAQuillmark64BitFileForTool(rec, global_current_tool); }

bool WasAQuillmark64BitFile(TQM_MainFile_rec& rec) {
  rec.ListType = lt_undefined;
  TCheckSignature header{};
  if (!ReadHeaderOfFile(rec.filename, header)) return false;
  if (header.signature < OldestAcceptedSignature || header.signature >= CurrentSignature[global_current_tool])
    return false;
  rec.ListType = DiskFileType(rec.filename, header);
  return true;
}

bool WasAQuillmarkBitFile(TQM_MainFile_rec& rec) {
  rec.ListType = lt_undefined;
  TCheckSignature header{};
  if (!ReadHeaderOfFile(rec.filename, header)) return false;
  const Int32 current = CurrentSignature[global_current_tool];
  if (header.signature < OldestAcceptedSignature || header.signature > current) return false;
  rec.ListType = DiskFileType(rec.filename, header);
  // A current file has its kind recorded, but only older files answer true.
  return header.signature < current;
}

tool_type WhichToolsQuillmark64BitFile(TQM_MainFile_rec& rec) {
  rec.ListType = lt_undefined;
  TCheckSignature header{};
  if (!ReadHeaderOfFile(rec.filename, header)) return tt_no_tool_at_all;
  for (int t = tt_wordlist; t <= tt_shell; ++t) {
    if (CurrentSignature[static_cast<tool_type>(t)] == header.signature) {
      rec.ListType = DiskFileType(rec.filename, header);
      return static_cast<tool_type>(t);
    }
  }
  return tt_no_tool_at_all;
}

tool_type WhichToolsQuillmarkBitFile(TQM_MainFile_rec& rec) { return WhichToolsQuillmark64BitFile(rec); }

// ---------------------------------------------------------------------------
// Extension maps.

TQuillmarkList FileExtToListType(const String& ext) {
  if (ext.empty()) return lt_undefined;
  if (SameExt(ext, ext_dcl)) return lt_detailed_consistency_list;
  if (SameExt(ext, ext_srt)) return lt_plaintext_list;
  if (SameExt(ext, ext_mut)) return lt_index_relationship_list;
  if (SameExt(ext, ext_lst)) return lt_word_list;
  const String indexExts =
      String(QMExts[ext_index_types]) + QMExts[ext_index_tokens] + QMExts[ext_index_stats];
  if (indexExts.find(LowerCase(ext)) != String::npos) return lt_wordlist_index_list;
  if (SameExt(ext, ext_cnc)) return lt_concordance_list;
  if (SameExt(ext, ext_chargr)) return lt_chargram_list;
  if (SameExt(ext, ext_kws)) return lt_keyword_list;
  if (SameExt(ext, ext_kwdb)) return lt_KW_database_list;
  if (SameExt(ext, ext_vwr)) return lt_aligner_single_list;
  if (SameExt(ext, ext_txt)) return lt_plaintext_list;
  if (SameExt(ext, ext_ali)) return lt_aligner_multiple_list;
  return lt_undefined;
}

tool_type FileExtToToolType(const String& s) {
  const String ext = !s.empty() && s[0] == u'.' ? s : ExtractFileExt(s);
  if (SameExt(ext, ext_cnc)) return tt_concord;
  if (SameExt(ext, ext_kws) || SameExt(ext, ext_kwdb)) return tt_keywords;
  if (SameExt(ext, ext_lst) || SameExt(ext, ext_index_tokens) || SameExt(ext, ext_index_types) ||
      SameExt(ext, ext_dcl) || SameExt(ext, ext_mut))
    return tt_wordlist;
  if (SameExt(ext, ext_ali) || SameExt(ext, ext_txt) || SameExt(ext, ext_vwr)) return tt_aligner;
  if (SameExt(ext, ext_chargr)) return tt_Chargrams;
  return tt_no_tool_at_all;
}

TQM_Extensions ListTypeToQMExtension(TQuillmarkList list) {
  switch (list) {
    case lt_word_list:
    case lt_detailed_consistency_relations_list:
    case lt_detailed_consistency_list:
    case lt_statistics_list: return ext_lst;
    case lt_keyword_list: return ext_kws;
    case lt_KW_database_list: return ext_kwdb;
    case lt_KWDB_timeline_list: return ext_kwdb_timeline;
    case lt_concordance_list: return ext_cnc;
    case lt_aligner_multiple_list: return ext_ali;
    case lt_plaintext_list: return ext_txt;
    case lt_wordlist_index_list: return ext_index_tokens;
    case lt_index_relationship_list: return ext_mut;
    case lt_aligner_single_list: return ext_vwr;
    case lt_chargram_list: return ext_chargr;
    default: return ext_any;
  }
}

String ListTypeToDefaultExt(TQuillmarkList list) {
  const TQM_Extensions e = ListTypeToQMExtension(list);
  if (e != ext_any) return QMExts[e];
  switch (list) {
    case lt_collocate_list: return u".col";
    case lt_KW_plot_list: return u".kpl";
    case lt_concordance_plot_list: return u".cpl";
    case lt_concordance_cluster_list: return u".ccl";
    case lt_concordance_pattern_list: return u".cpt";
    case lt_kw_associate_list: return u".ass";
    case lt_kw_clump_list: return u".clp";
    case lt_filename_list: return u".fil";
    case lt_kw_link_list: return u".klk";
    case lt_conc_timeline_list: return u".tml";
    default: return String();
  }
}

String DotlessDefaultExtFromListType(TQuillmarkList list) { return WithoutDotDefaultExt(ListTypeToDefaultExt(list)); }

TQM_Extensions ToolTypeToDefaultExt(tool_type tool) {
  switch (tool) {
    case tt_wordlist: return ext_lst;
    case tt_concord: return ext_cnc;
    case tt_keywords: return ext_kws;
    case tt_Chargrams: return ext_chargr;
    case tt_aligner: return ext_vwr;
    case tt_minimal_pairs:
    case tt_file_utilities: return ext_txt;
    default: return ext_dat;
  }
}

TQMExtensionSet ToolTypeToAllDefaultExts(tool_type tool) {
  switch (tool) {
    case tt_wordlist: return TQMExtensionSet{ext_lst, ext_mut, ext_dcl, ext_index_tokens};
    case tt_concord: return TQMExtensionSet{ext_cnc};
    case tt_keywords: return TQMExtensionSet{ext_kws, ext_kwdb, ext_kwdb_timeline};
    case tt_Chargrams: return TQMExtensionSet{ext_chargr};
    case tt_aligner: return TQMExtensionSet{ext_vwr, ext_ali};
    case tt_minimal_pairs:
    case tt_file_utilities: return TQMExtensionSet{ext_txt};
    default: return TQMExtensionSet{};
  }
}

TQM_Extensions SaveAsFormatToDefaultExt(TSave_as_format fmt, TQuillmarkList list) {
  switch (fmt) {
    case as_txt: return ext_txt;
    case as_xml: return ext_xml;
    case as_Excel_spreadsheet: return ext_xlsx;
    case as_RTF: return ext_rtf;
    case as_images: return ext_bmp;
    case as_default_for_list: return ListTypeToQMExtension(list);
  }
  return ext_any;
}

String SaveAsFormatToDefaultExtStr(TSave_as_format fmt, TQuillmarkList list) {
  if (fmt == as_default_for_list) return ListTypeToDefaultExt(list);
  return QMExts[SaveAsFormatToDefaultExt(fmt, list)];
}

// ---------------------------------------------------------------------------
// Zipped results.

TToolAndListRec BatchZipToolAndListRecFromFName(const String& filename, const String& ext) {
  TToolAndListRec r{tt_no_tool_at_all, lt_undefined};
  if (!SameExt(ext, ext_zip)) return r;
  String inner = ExtractFileExt(ChangeFileExt(filename, String()));
  if (!inner.empty() && inner[0] == u'.') inner.erase(0, 1);
  for (int k = lt_undefined; k <= lt_debug_only; ++k) {
    const auto list = static_cast<TQuillmarkList>(k);
    if (ListTypeAsString(list) == inner) {
      r.list = list;
      r.t = ToolTypeFromListType(list);
      break;
    }
  }
  return r;
}

TToolAndListRec BatchZipToolAndListRec(TQM_MainFile_rec& rec) {
  rec.ZipfileCount = 0;
  rec.ListType = lt_undefined;
  TToolAndListRec r = BatchZipToolAndListRecFromFName(ExtractFileName(rec.filename), ExtractFileExt(rec.filename));
  if (r.t == tt_no_tool_at_all) return r;
  try {
    TZipFile zip;
    zip.Open(rec.filename, zmRead);
    const Int32 count = zip.FileCount();
    zip.Close();
    rec.ListType = r.list;
    rec.ZipfileCount = count;
  } catch (const Exception&) {
    // A missing or damaged archive is no zipped results file.
    rec.ZipfileCount = 0;
    rec.ListType = lt_undefined;
    return TToolAndListRec{tt_no_tool_at_all, lt_undefined};
  }
  return r;
}

// ---------------------------------------------------------------------------
// Command line.

TQM_MainFile_rec ParameterToTQMStored_File_rec(const String& param) {
  if (global_log_level > 0) AddToLogFile(Format(u"parameter: \"%s\"", {param}), true);
  TQM_MainFile_rec rec{};
  if (param.size() < 3) return rec;
  if (DirectoryExists(param)) {
    rec.isAFolder = true;
    rec.filename = Trim(param);
    return rec;
  }
  if (!FileExists(param)) {
    if (global_log_level > 0) AddToLogFile(Format(u"cannot find: %s", {param}), true);
    return rec;
  }
  rec.filename = Trim(param);
  rec.ListType = FileExtToListType(ExtractFileExt(rec.filename));
  if (global_log_level > 0)
    AddToLogFile(u"file found: " + rec.filename + u"\r\n\ttype = " + list_signature[rec.ListType] +
                     u"\r\n\ttool = " + Tool_Name(FileExtToToolType(rec.filename)) + u"\r\n\tcurrent tool = " +
                     Tool_Name(global_current_tool),
                 true);
  if (global_current_tool == tt_aligner || global_current_tool == tt_character_profiler ||
      global_current_tool == tt_file_viewer) {
    // A saved file shows as its header's kind, any other file as plain text.
    if (!IsAQuillmark64BitFile(rec)) rec.ListType = lt_plaintext_list;
  }
  if (WdefIsAZipFile(rec.filename)) rec.ListType = BatchZipToolAndListRec(rec).list;
  if (global_log_level > 0)
    AddToLogFile(u"file to open: " + rec.filename + u"\r\n\ttype = " + list_signature[rec.ListType] +
                     u"\r\n\ttool = " + Tool_Name(FileExtToToolType(Trim(param))),
                 true);
  return rec;
}

// ---------------------------------------------------------------------------
// Sections.

Int32 SortSectionTags(const TSectionStartHolder* item1, const TSectionStartHolder* item2) {
  const Int32 a = item1->data.start_byte_position;
  const Int32 b = item2->data.start_byte_position;
  return a < b ? -1 : (a > b ? 1 : 0);
}

Int32 TSectionStartsList::Add(const TSectionTagRec& rec) {
  fItems.push_back(std::make_unique<TSectionStartHolder>(rec));
  return Count() - 1;
}

TSectionStartHolder* TSectionStartsList::Items(Int32 index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return fItems[static_cast<size_t>(index)].get();
}

void TSectionStartsList::Clear() {
  fItems.clear();
  fItems.shrink_to_fit();
}

void TSectionStartsList::Sort() {
  QuickSortVector(fItems, [](const std::unique_ptr<TSectionStartHolder>& a,
                             const std::unique_ptr<TSectionStartHolder>& b) { return SortSectionTags(a.get(), b.get()); });
}

TSectionTagRec TSectionStartsList::GetASection(Int32 index) const {
  if (index < 0 || index >= Count()) return TSectionTagRec{-1, String()};
  return fItems[static_cast<size_t>(index)]->data;
}

bool TSectionStartsList::SaveToStream(TStream* stream) {
  if (stream == nullptr) return false;
  const Int32 n = Count();
  if (stream->Write(&n, 4) != 4) return false;
  for (const auto& item : fItems) {
    const Int32 pos = item->data.start_byte_position;
    if (stream->Write(&pos, 4) != 4) return false;
    if (!WriteAString(stream, item->data.w)) return false;
  }
  return true;
}

bool TSectionStartsList::ReadFromStream(TStream* stream) {
  if (stream == nullptr) return false;
  Int32 n = 0;
  if (!stream->TryReadValue(n)) return false;
  // Each item takes at least its position and its string's count.
  if (n < 0 || static_cast<Int64>(n) * 8 > stream->Remaining()) return false;
  for (Int32 i = 0; i < n; ++i) {
    TSectionTagRec rec;
    if (!stream->TryReadValue(rec.start_byte_position)) return false;
    try {
      if (stream->Remaining() < 4) return false;
      rec.w = ReadAListString(stream);
    } catch (const Exception&) {
      return false;
    }
    Add(rec);
  }
  return true;
}

bool TSectionStartsList::SaveToFile(const String& filename) {
  TMemoryStream content;
  TCheckSignature header{};
  if (!DiskSignatureISOKForToolAndList(header, global_current_tool, lt_sections_list, &content, writing)) return false;
  if (!SaveToStream(&content)) return false;
  return ReplaceFileContent(filename, content.Memory(), static_cast<size_t>(content.Size()));
}

bool TSectionStartsList::ReadFromFile(const String& filename) {
  try {
    TFileStream stream(filename, fmOpenRead | fmShareDenyNone);
    TCheckSignature header{};
    if (!DiskSignatureISOKForToolAndList(header, global_current_tool, lt_sections_list, &stream, reading))
      return false;
    return ReadFromStream(&stream);
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace sk
