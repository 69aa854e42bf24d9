// The aligner's types: its pages, the unusual-line actions, a line and its
// language, a row as text, and the per-language slot of the aligner's list
// holder.
#pragma once

#include <array>
#include <memory>

#include "core/Basic_types.h"
#include "core/My_string_functions_occurrences.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

enum TAlignerTabsheetOrder : uint8_t {
  tso_AL_d1,
  tso_AL_d2,
  tso_AL_d3,
  tso_AL_d4,
  tso_AL_d5,
  tso_AL_d6,
  tso_AL_d7,
  tso_AL_d8,
  tso_AL_d9,
  tso_AL_10,
  tso_AL_paragraphs,
  tso_AL_sentences,
  tso_AL_Concordance,
  tso_AL_dud14,
  tso_AL_dud15,
  tso_AL_dud16,
  taso_AL_dud17,
  tso_AL_Filenames,
  tso_AL_notes
};

enum TAlignerUnusualAction : uint8_t {
  vua_join_above,
  vua_join_below,
  vua_remove_line,
  vua_trim,
  vua_set_as_heading,
  vua_split,
  vua_insert_blank,
  vua_edit,
  vua_skip,
  vua_quit
};

// A heading line is one bold run ("<B>" ... "</B>") that spans the line
// whole: the run opened at the start closes (counting the runs nested in it)
// only at the very end. For a heading line the text loses its outer tags and
// the styles gain bold; any other line (say "<B>a</B> and <B>b</B>") is left
// as it is and the styles lose bold.
TFontStyles FontStyleForHeadingLine(TFontStyles styles, String& text);

TAlignerTabsheetOrder AlignerTabToAlignerTabSheetOrder(TAlignerTab tab);
// Any page other than the three aligner pages gives tat_aligner_paras.
TAlignerTab AlignerTabsheetOrderToAlignerTab(TAlignerTabsheetOrder page);

// Settings of one language slot, stored raw (204 bytes).
struct TTextStringGridFixedSettingsRec {
  Byte short_line_chars{};
  uint8_t spare_show_numbers{};
  std::array<Byte, 2> spare_b{};
  Int32 lines_this_lang_checked{};
  std::array<Byte, 196> spare{};
};
static_assert(sizeof(TTextStringGridFixedSettingsRec) == 204);

inline constexpr Int32 kAlignerSlots = 8;

// One language slot: its lines with their search hits, its settings, its
// language, colours and file name.
struct TStringlistLangAndColour_rec {
  Int32 version{};
  TTextStringGridFixedSettingsRec other_fixed{};
  std::unique_ptr<THighlightUTF8Stringlist> Stringlist;
  TLangFilenameAndColours LangFnameColours{};
};

// A slot without its lines.
struct TStringlistLangAndColourCopy {
  Int32 version{};
  TTextStringGridFixedSettingsRec other_fixed{};
  TLangFilenameAndColours LangFnameColours{};
};

// A text with its language record (for filling a slot).
struct TStringLangFilenameAndColours {
  String text;
  TLangFilenameAndColours rec{};
};

struct TLineAndNumberStrs {
  TStringlistLangAndColourCopy rec{};
  bool valid{};
  TLineAndLangnum det{};
  String line;
  String num;
};

struct TRowStringRec {
  String line;
  TLineAndLangnum details{};
};

}  // namespace sk
