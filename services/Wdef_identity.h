// The identity of saved results files: the 316-byte header every saved file
// begins with, the tests that tell a current or older saved file and its list
// kind or tool, the maps between list kinds, tools and extensions, zipped
// results named after their list kind, turning a command-line parameter into
// the file a tool opens, and the sections file.
//
// The header (TCheckSignature, little-endian): Int32 signature at 0, Int32
// screen_res at 4, Int32 monitor at 8, four Int32 of save_Rect at 12, the list
// kind's name in 41 UTF-16 units at 28, two alignment bytes at 110 (always
// written as zero) and 204 spare bytes at 112. A file counts as a saved-results
// file only when it is longer than the header.
//
// The sections file: the header stamped for lt_sections_list, then Int32 N and
// N items of Int32 start_byte_position followed by the stored string w.
#pragma once

#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/My_file_extensionsu.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

inline constexpr Int32 CheckSignatureSize = 316;
// The lowest signature that any test accepts.
inline constexpr Int32 OldestAcceptedSignature = 35;

// ---- the header -----------------------------------------------------------------

// writing: stamps header with CurrentSignature[tool] and list_signature[list]
// (at most 40 units, the rest of the 41 zero) and writes its 316 bytes at the
// stream's position; true when all 316 were written. reading: reads 316 bytes
// into header; true only when all came, the signature is the tool's and the
// list kind's name equals list_signature[list] exactly.
bool DiskSignatureISOKForToolAndList(TCheckSignature& header, tool_type tool, TQuillmarkList list,
                                     TStream* stream, TWriteOrRead mode);
// The 316 bytes of a header as they are stored.
TBytes CheckSignatureBytes(const TCheckSignature& header);
// A header from its stored bytes (at least 316).
TCheckSignature CheckSignatureFromBytes(const Byte* bytes);
// The list kind's name stored in a header: up to its first zero unit.
String CheckSignatureTypeOfData(const TCheckSignature& header);

// The list kind of a saved file: lt_KW_database_list for the ".kdb"
// extension, else the kind whose list_signature equals the header's text
// (lt_undefined when none does).
TQuillmarkList DiskFileType(const String& filename, const TCheckSignature& header);
String ListSignature(TQuillmarkList list);

// ---- tests of a file on disk ---------------------------------------------------------
// Each sets rec.ListType to lt_undefined first, then reads the header of
// rec.filename when the file exists, can be opened and is longer than the
// header; otherwise the answer is negative.

bool IsAQuillmark64BitFileForTool(TQM_MainFile_rec& rec, tool_type tool);
bool IsAQuillmark64BitFile(TQM_MainFile_rec& rec);
// A file of an older version: 35 <= signature < the current tool's.
bool WasAQuillmark64BitFile(TQM_MainFile_rec& rec);
// As WasAQuillmark64BitFile for older files; a current file gets its kind
// recorded but the answer false.
bool WasAQuillmarkBitFile(TQM_MainFile_rec& rec);
// The first tool (tt_wordlist .. tt_shell) whose signature the header carries;
// tt_no_tool_at_all when none does or the file is no saved file.
tool_type WhichToolsQuillmark64BitFile(TQM_MainFile_rec& rec);
tool_type WhichToolsQuillmarkBitFile(TQM_MainFile_rec& rec);

// ---- extension maps (extensions carry their dot; case is ignored) ----------------------

TQuillmarkList FileExtToListType(const String& ext);
// s is an extension when it begins with ".", otherwise a file name.
tool_type FileExtToToolType(const String& s);
TQM_Extensions ListTypeToQMExtension(TQuillmarkList list);
String ListTypeToDefaultExt(TQuillmarkList list);
String DotlessDefaultExtFromListType(TQuillmarkList list);
TQM_Extensions ToolTypeToDefaultExt(tool_type tool);
TQMExtensionSet ToolTypeToAllDefaultExts(tool_type tool);
TQM_Extensions SaveAsFormatToDefaultExt(TSave_as_format fmt, TQuillmarkList list);
String SaveAsFormatToDefaultExtStr(TSave_as_format fmt, TQuillmarkList list);

// ---- zipped results ---------------------------------------------------------------------

// For ext ".zip": the list kind whose display name is the extension before
// ".zip" ("x.Concordance.zip"), with the tool that owns it; otherwise
// (tt_no_tool_at_all, lt_undefined).
TToolAndListRec BatchZipToolAndListRecFromFName(const String& filename, const String& ext);
// The same for rec.filename; when a tool is found the archive is opened and
// rec gets the kind and the number of members. A damaged archive gives
// ZipfileCount 0 and lt_undefined.
TToolAndListRec BatchZipToolAndListRec(TQM_MainFile_rec& rec);

// ---- command line ------------------------------------------------------------------

// The file a command-line parameter names: a folder (isAFolder), a file with
// the list kind of its extension (of its header for the tools that show
// texts, of its name for zipped results), or the empty record for a
// parameter shorter than 3 characters or naming nothing. Logged when
// global_log_level is above 0.
TQM_MainFile_rec ParameterToTQMStored_File_rec(const String& param);

// ---- sections --------------------------------------------------------------------------

struct TSectionTagRec {
  Int32 start_byte_position{};
  String w;
};

class TSectionStartHolder : public TObject {
 public:
  explicit TSectionStartHolder(const TSectionTagRec& rec) : data(rec) {}
  TSectionTagRec data;
};

// Three-way order of two holders by start_byte_position.
Int32 SortSectionTags(const TSectionStartHolder* item1, const TSectionStartHolder* item2);

// Owns its holders.
class TSectionStartsList : public TObject {
 public:
  TSectionStartsList() = default;
  TSectionStartsList(const TSectionStartsList&) = delete;
  TSectionStartsList& operator=(const TSectionStartsList&) = delete;
  ~TSectionStartsList() override = default;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // Appends a holder with a copy of rec; answers its index.
  Int32 Add(const TSectionTagRec& rec);
  // The holder at index; nullptr outside the list.
  TSectionStartHolder* Items(Int32 index) const;
  // Frees every holder and empties the list.
  virtual void Clear();
  // Sorts on start_byte_position with SortSectionTags.
  void Sort();

  // A copy of item index; (-1, "") outside 0..Count-1.
  TSectionTagRec GetASection(Int32 index) const;

  // Replaces the file whole with the header (global_current_tool,
  // lt_sections_list) and the list; true when everything was written.
  bool SaveToFile(const String& filename);
  // Int32 Count, then the items; stops at the first failed write (false).
  bool SaveToStream(TStream* stream);
  // True when the header test for (global_current_tool, lt_sections_list)
  // passes and the list reads.
  bool ReadFromFile(const String& filename);
  // Appends N items. A count that is negative or larger than the bytes left
  // can hold gives false without reading; the first failed item ends reading
  // with false, the items read before it staying.
  bool ReadFromStream(TStream* stream);

 private:
  std::vector<std::unique_ptr<TSectionStartHolder>> fItems;
};

}  // namespace sk
