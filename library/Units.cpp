#include "library/Units.h"

#include <iterator>

#include "analysis/Base_heading_consts.h"
#include "analysis/Base_search_itemsU.h"
#include "analysis/Base_headingsu.h"
#include "analysis/Headingsu.h"
#include "analysis/Further_string_functions.h"
#include "analysis/Maths_routines.h"
#include "analysis/Parser.h"
#include "analysis/Search_and_do_engineU.h"
#include "analysis/Search_parsing.h"
#include "analysis/Work_base_elements.h"
#include "analysis/Work_qm_base.h"
#include "analysis/grid_header_listU.h"
#include "core/Basic_consts.h"
#include "display/Grid_utilities.h"
#include "display/Language_utils.h"
#include "display/Rtl_and_ltr_painting.h"
#include "display/Wordchunklistu_export.h"
#include "core/Basic_processes.h"
#include "core/Basic_types.h"
#include "core/Basic_unicode_chars.h"
#include "core/Comparing_types.h"
#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Generalruntime3const.h"
#include "core/Global_vars.h"
#include "core/Juliandateroutines.h"
#include "core/Lcid_consts.h"
#include "core/My_file_extensionsu.h"
#include "core/My_filestuffconst.h"
#include "core/My_string_functions.h"
#include "core/Pointer_utils.h"
#include "core/Qm_general_api_types.h"
#include "core/Qm_global_vars.h"
#include "core/Qm_specific_consts.h"
#include "core/Qm_specific_types.h"
#include "core/Redodidu.h"
#include "core/Rectangle_utilities.h"
#include "core/Sentence_terminators.h"
#include "core/Simple_maths_routines.h"
#include "core/Sortablelists.h"
#include "core/Stringtag_utils.h"
#include "core/Timing_functions.h"
#include "core/Type_conversion.h"
#include "core/Unicode_string_conversion.h"
#include "core/Useful_classes_base.h"
#include "core/Useful_classes_stringlist_sorts.h"
#include "library/Display_hooks.h"
#include "library/Layer_hooks.h"
#include "display/Printer_organiser.h"
#include "display/QMGridCellHandler.h"
#include "display/QM_Grid.h"
#include "display/Simple_virtual_grid.h"
#include "platform/visual/Printer.h"
#include "platform/visual/VisualLayer.h"
#include "services/Clipboard_utils.h"
#include "services/Dll_utils.h"
#include "services/Excel_utils.h"
#include "services/Excel_utils2.h"
#include "services/Drive_utils.h"
#include "services/File_utils.h"
#include "services/Filename_functions.h"
#include "services/Html_utils.h"
#include "services/Modify_source_texts_basics.h"
#include "services/Lem_match_stop_rel_lists.h"
#include "services/Logging_utilities.h"
#include "services/Monitor_functions.h"
#include "services/My_filestreamu.h"
#include "services/Qm_essentials.h"
#include "services/Qmbaseholderunit.h"
#include "services/Quillmark_filenamesu.h"
#include "services/Registry_utils.h"
#include "services/User_and_system_utils.h"
#include "services/Utf8_unit.h"
#include "services/Wdef.h"
#include "ui/Buttonedsplitteru.h"
#include "ui/Buttonedstatusbaru.h"
#include "ui/Checkgroupu.h"
#include "ui/Colour_utils.h"
#include "ui/Dialog_stuff_base.h"
#include "ui/Dont_remind_me_dlg.h"
#include "ui/Graphics_utilities.h"
#include "ui/Help_file_includes.h"
#include "ui/Labelledcomponents.h"
#include "ui/My_filtercombou.h"
#include "ui/My_spinedit.h"
#include "ui/Qmark_error_dlgs_1.h"
#include "ui/Qmark_error_dlgs_2.h"
#include "ui/Qmark_error_dlgs_3.h"
#include "ui/Qmark_error_dlgs_const.h"
#include "ui/ShellFolderDialogU.h"
#include "ui/Tpcprogressbars.h"
#include "zip/ZAArchiver.h"
#include "zip/ZACipher.h"
#include "zip/ZAConst.h"
#include "zip/ZACryptConst.h"
#include "zip/ZACryptUtil.h"
#include "zip/ZACryptoTransform.h"
#include "zip/ZADirArray.h"
#include "zip/ZADirManager.h"
#include "zip/ZAExcept.h"
#include "zip/ZAHash.h"
#include "zip/ZAKeyDeriv.h"
#include "zip/ZAPBKDF_2.h"
#include "zip/ZARecords.h"
#include "zip/ZAStrUtils.h"
#include "zip/ZATypes.h"
#include "zip/ZAUtils.h"
#include "zip/ZAZLib.h"
#include "zip/ZAhmac.h"
#include "zip/ZApb_kdf.h"
#include "zip/ZAsha1.h"
#include "zip/File_chunker.h"
#include "zip/Zip_utils.h"

namespace sk {

namespace {

#define SK_UNIT(Unit) TUnitTableEntry{#Unit, &Unit##_initialization, &Unit##_Finalization}

// Units are added in dependency order, one line per unit: a unit comes after
// every unit it uses. Only units whose work is the counter alone come before
// Global_vars; every unit with start or stop work comes after it, so that
// Global_vars' stop work (unsetting the yield hook) runs last.
constexpr TUnitTableEntry kUnitTable[] = {
    SK_UNIT(Basic_consts),
    SK_UNIT(Basic_types),
    SK_UNIT(Basic_unicode_chars),
    SK_UNIT(Rectangle_utilities),
    SK_UNIT(Simple_maths_routines),
    SK_UNIT(Sentence_terminators),
    SK_UNIT(Global_vars),
    // The visual layer: message boxes asked for from here on are answered
    // with a dialog when the host has its QApplication.
    SK_UNIT(VisualLayer),
    SK_UNIT(Printer),
    SK_UNIT(Basic_processes),
    // Message tables.
    SK_UNIT(Generalruntime1const),
    SK_UNIT(Generalruntime2const),
    SK_UNIT(Generalruntime3const),
    SK_UNIT(Lcid_consts),
    SK_UNIT(My_filestuffconst),
    // Vocabulary.
    SK_UNIT(Qm_general_api_types),
    SK_UNIT(Qm_specific_types),
    SK_UNIT(My_file_extensionsu),
    SK_UNIT(Qm_specific_consts),
    SK_UNIT(Qm_global_vars),
    // Locale helpers and encoding conversion.
    SK_UNIT(Redodidu),
    SK_UNIT(Unicode_string_conversion),
    // Comparers, dates and timing, tagged strings, conversions.
    SK_UNIT(Comparing_types),
    SK_UNIT(Pointer_utils),
    SK_UNIT(Juliandateroutines),
    SK_UNIT(Timing_functions),
    SK_UNIT(Stringtag_utils),
    SK_UNIT(Useful_classes_stringlist_sorts),
    SK_UNIT(Useful_classes_base),
    SK_UNIT(Type_conversion),
    SK_UNIT(My_string_functions),
    SK_UNIT(Sortablelists),
    // Files, logging and system services.
    SK_UNIT(Filename_functions),
    SK_UNIT(File_utils),
    SK_UNIT(Logging_utilities),
    SK_UNIT(User_and_system_utils),
    SK_UNIT(Drive_utils),
    SK_UNIT(Monitor_functions),
    SK_UNIT(Registry_utils),
    SK_UNIT(Dll_utils),
    SK_UNIT(Clipboard_utils),
    SK_UNIT(Utf8_unit),
    SK_UNIT(My_filestreamu),
    SK_UNIT(Excel_utils2),
    SK_UNIT(Excel_utils),
    // Zip engine: the zlib binding, then the hash registry (cleared first,
    // then SHA-1 registers) and what derives keys over it.
    SK_UNIT(ZAZLib),
    SK_UNIT(ZAHash),
    SK_UNIT(ZAsha1),
    SK_UNIT(ZAhmac),
    SK_UNIT(ZApb_kdf),
    SK_UNIT(ZAKeyDeriv),
    SK_UNIT(ZAPBKDF_2),
    // Cipher library, after the hash units: its messages, the six string
    // formats, then the AES cipher class.
    SK_UNIT(ZACryptConst),
    SK_UNIT(ZACryptUtil),
    SK_UNIT(ZACipher),
    // Zip engine base: types and texts, errors, records, helpers, the string
    // tables built from the user's locale, the entry table and the directory.
    SK_UNIT(ZATypes),
    SK_UNIT(ZAConst),
    SK_UNIT(ZAExcept),
    SK_UNIT(ZARecords),
    SK_UNIT(ZAUtils),
    SK_UNIT(ZAStrUtils),
    SK_UNIT(ZADirArray),
    SK_UNIT(ZADirManager),
    // The archiver: AES entry encryption, then the component (which makes
    // the engine's lock when it starts).
    SK_UNIT(ZACryptoTransform),
    SK_UNIT(ZAArchiver),
    // Zip glue.
    SK_UNIT(Zip_utils),
    // Drawing helpers and search syntax.
    SK_UNIT(Graphics_utilities),
    SK_UNIT(Search_parsing),
    // Suite definitions, then the hooks through which they call up the layers.
    SK_UNIT(Qm_essentials),
    SK_UNIT(Quillmark_filenamesu),
    SK_UNIT(Wdef),
    SK_UNIT(Layer_hooks),
    // The shared list of named colours.
    SK_UNIT(Colour_utils),
    SK_UNIT(Lem_match_stop_rel_lists),
    SK_UNIT(Qmbaseholderunit),
    SK_UNIT(Html_utils),
    SK_UNIT(Modify_source_texts_basics),
    // Messages: the dialog core and help topics.
    SK_UNIT(Dont_remind_me_dlg),
    SK_UNIT(Help_file_includes),
    // The message catalogue: its own texts, then its three parts.
    SK_UNIT(Qmark_error_dlgs_const),
    SK_UNIT(Qmark_error_dlgs_1),
    SK_UNIT(Qmark_error_dlgs_2),
    SK_UNIT(Qmark_error_dlgs_3),
    // The file chunker asks its questions through the catalogue.
    SK_UNIT(File_chunker),
    // Controls: the bars, the status bar with buttons and the splitter.
    SK_UNIT(Tpcprogressbars),
    SK_UNIT(Buttonedstatusbaru),
    SK_UNIT(Buttonedsplitteru),
    // Controls: filters, the filter combo, the spin edit, the labelled
    // controls and colour pickers, the folder chooser, the check group.
    SK_UNIT(Dialog_stuff_base),
    SK_UNIT(My_filtercombou),
    SK_UNIT(My_spinedit),
    SK_UNIT(Labelledcomponents),
    SK_UNIT(ShellFolderDialogU),
    SK_UNIT(Checkgroupu),
    // Search and results lists: statistics, the column headings.
    SK_UNIT(Maths_routines),
    // Search and results lists: the matcher, the engine and the search-word lists.
    SK_UNIT(Further_string_functions),
    SK_UNIT(Search_and_do_engineU),
    SK_UNIT(Base_search_itemsU),
    SK_UNIT(Base_heading_consts),
    SK_UNIT(Base_headingsu),
    SK_UNIT(grid_header_listU),
    SK_UNIT(Headingsu),
    // Search and results lists: the results-list classes.
    SK_UNIT(Parser),
    SK_UNIT(Work_base_elements),
    SK_UNIT(Work_qm_base),
    // Results display: word chunks (whose start sets the lists' export of
    // concordance lines), the text drawer, cell text, printer settings and
    // the simple virtual grid, the results grid's cell handler and the grid.
    SK_UNIT(Wordchunklistu),
    SK_UNIT(Language_utils),
    SK_UNIT(Rtl_and_ltr_painting),
    SK_UNIT(Grid_utilities),
    SK_UNIT(Printer_organiser),
    SK_UNIT(Simple_virtual_grid),
    SK_UNIT(QMGridCellHandler),
    SK_UNIT(QM_Grid),
    // The results grid's call of the zip glue.
    SK_UNIT(Display_hooks),
};

#undef SK_UNIT

}  // namespace

const TUnitTableEntry* UnitTable() { return kUnitTable; }

std::size_t UnitTableCount() { return std::size(kUnitTable); }

}  // namespace sk

extern "C" {

__attribute__((visibility("default"))) void Initialize() {
  for (const auto& unit : sk::kUnitTable) unit.initialization();
}

__attribute__((visibility("default"))) void Finalize() {
  for (auto it = std::rbegin(sk::kUnitTable); it != std::rend(sk::kUnitTable); ++it)
    it->finalization();
}

}
