// File-dialog filters built from the suite's file kinds.
#include <gtest/gtest.h>

#include "VisualTestSupport.h"
#include "platform/visual/FileDialogs.h"
#include "ui/Dialog_stuff_base.h"

namespace sk {
namespace {

TEST(Dialog_stuff_base, TextAndAllFilesGiveTwoEntriesAndTheTextExtension) {
  TOpenDialog dialog(nullptr);
  SetFiltersToOpenDialog(dialog, {ext_txt, ext_any});
  EXPECT_EQ(dialog.Filter(), u"Text files|*.txt|All files|*.*");
  EXPECT_EQ(dialog.DefaultExt(), u"txt");
  EXPECT_EQ(QtNameFilters(dialog.Filter()), (std::vector<String>{u"Text files (*.txt)", u"All files (*)"}));
}

TEST(Dialog_stuff_base, EntriesFollowTheKindsNamesAndMasks) {
  const struct {
    TQM_Extensions kind;
    String entry;
  } cases[] = {
      {ext_txt, u"Text files|*.txt"},
      {ext_any, u"All files|*.*"},
      // The file-information name holds a second "%s" of its own.
      {ext_FileInfoSaveFileName, u"%s_FileInfo.txt files|*%s_FileInfo.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(FilterEntryOfKind(c.kind), c.entry);
  // A name without " %s" stays as it is; a mask that starts with "*" gets no
  // second one; every other mask gets one.
  for (int k = 0; k < TQM_Extensions_Count; ++k) {
    const auto kind = static_cast<TQM_Extensions>(k);
    const String entry = FilterEntryOfKind(kind);
    const size_t bar = entry.find(u'|');
    ASSERT_NE(bar, String::npos);
    const String name = MyFTDisplayNames[kind];
    if (name.find(u" %s") == String::npos) {
      EXPECT_EQ(entry.substr(0, bar), name);
    } else {
      EXPECT_EQ(entry.find(u" files"), name.rfind(u" %s")) << StringToUtf8(entry);
    }
    const String ext = QMExts[kind];
    EXPECT_EQ(entry.substr(bar + 1), !ext.empty() && ext[0] == u'*' ? ext : u"*" + ext);
  }
}

TEST(Dialog_stuff_base, SaveDialogsAndNewerDialogsTakeTheSameEntries) {
  TSaveDialog save(nullptr);
  SetFiltersToSaveDialog(save, {ext_xml, ext_txt});
  EXPECT_EQ(save.DefaultExt(), u"xml");
  EXPECT_EQ(save.Filter(), FilterEntryOfKind(ext_xml) + u"|" + FilterEntryOfKind(ext_txt));
  TFileSaveDialog newer(nullptr);
  AddFiltersToCustomFileDialog(newer, {ext_txt, ext_any});
  ASSERT_EQ(newer.FileTypes().size(), 2u);
  EXPECT_EQ(newer.FileTypes()[0].DisplayName, u"Text files");
  EXPECT_EQ(newer.FileTypes()[0].FileMask, u"*.txt");
  EXPECT_EQ(newer.FileTypes()[1].FileMask, u"*.*");
  EXPECT_EQ(newer.DefaultExtension(), u"txt");
  TOpenDialog none(nullptr);
  none.SetFilter(u"old");
  SetFiltersToOpenDialog(none, {});
  EXPECT_EQ(none.Filter(), u"");
  EXPECT_EQ(none.DefaultExt(), u"");
}

}  // namespace
}  // namespace sk
