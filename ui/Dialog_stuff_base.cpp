#include "ui/Dialog_stuff_base.h"

#include "core/Generalruntime2const.h"
#include "core/My_string_functions.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Format.h"

namespace sk {

namespace {

// The kind's display name with the word "files" in the place of its " %s".
// Only that place is filled: a name whose pattern holds another "%s" (the
// file-information name) keeps it, where formatting the whole name would
// fail for want of a second argument.
String DescriptionOf(TQM_Extensions kind) {
  const String text = MyFTDisplayNames[kind];
  const size_t at = text.rfind(u" %s");
  if (at == String::npos) return text;
  return text.substr(0, at) + u" " + LoadResString(&_QMFiles) + text.substr(at + 3);
}

String MaskOf(TQM_Extensions kind) { return FirstCharGuaranteedAs(QMExts[kind], u'*', true, false); }

String FilterOf(const std::vector<TQM_Extensions>& kinds) {
  String filter;
  for (TQM_Extensions k : kinds) filter = AddToListWithSeparatorIfNeeded(filter, FilterEntryOfKind(k), u'|');
  return filter;
}

String DefaultExtOf(const std::vector<TQM_Extensions>& kinds) {
  return kinds.empty() ? String() : WithoutDotDefaultExt(QMExts[kinds.front()]);
}

}  // namespace

String FilterEntryOfKind(TQM_Extensions kind) { return Format(u"%s|%s", {DescriptionOf(kind), MaskOf(kind)}); }

void SetFiltersToSaveDialog(TSaveDialog& dialog, const std::vector<TQM_Extensions>& kinds) {
  SetFiltersToOpenDialog(dialog, kinds);
}

void SetFiltersToOpenDialog(TOpenDialog& dialog, const std::vector<TQM_Extensions>& kinds) {
  dialog.SetDefaultExt(DefaultExtOf(kinds));
  dialog.SetFilter(FilterOf(kinds));
}

void AddFiltersToCustomFileDialog(TCustomFileDialog& dialog, const std::vector<TQM_Extensions>& kinds) {
  for (TQM_Extensions k : kinds) {
    TFileTypeItem& item = dialog.AddFileType();
    item.DisplayName = DescriptionOf(k);
    item.FileMask = MaskOf(k);
  }
  dialog.SetDefaultExtension(DefaultExtOf(kinds));
}

SK_COUNTER_ONLY_UNIT(Dialog_stuff_base)

}  // namespace sk
