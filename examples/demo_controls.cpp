// The example host's page of controls: labelled file and folder edits with
// their choosers, a filter combo box, a spin edit with decimals, a number
// box, the colour pickers over the shared colour list, a check group, toggle
// buttons, the status button and a button that opens the folder chooser.
#include <memory>

#include "core/My_file_extensionsu.h"
#include "platform/visual/Forms.h"
#include "ui/Checkgroupu.h"
#include "ui/Dialog_stuff_base.h"
#include "ui/Labelledcomponents.h"
#include "ui/My_filtercombou.h"
#include "ui/ShellFolderDialogU.h"

namespace {

using namespace sk;

template <class T>
T* Place(TForm& page, Int32 left, Int32 top, Int32 width, Int32 height) {
  auto* c = new T(&page);
  c->SetParent(&page);
  c->SetBounds(left, top, width, height);
  return c;
}

}  // namespace

std::unique_ptr<TForm> MakeControlsPage(TComponent* owner) {
  auto page = std::make_unique<TForm>(owner);
  page->SetName(u"ControlsForm");
  page->SetCaption(u"Sharedkit controls");
  page->SetPosition(poScreenCenter);
  page->SetClientWidth(560);
  page->SetClientHeight(430);

  auto* file = Place<TLabelledFileNameEdit>(*page, 16, 32, 250, 21);
  file->LabelRotulo()->SetCaption(u"Text file");
  auto* folder = Place<TLabelledFolderNameEdit>(*page, 16, 84, 250, 21);
  folder->LabelRotulo()->SetCaption(u"Folder");

  auto* filters = Place<TmyFilterCombo>(*page, 16, 136, 250, 23);
  TOpenDialog kinds(nullptr);
  SetFiltersToOpenDialog(kinds, {ext_txt, ext_xml, ext_any});
  filters->SetFilter(kinds.Filter() + u"|");
  filters->HandleNeeded();

  auto* ratio = Place<TLabelledSpinEdit>(*page, 16, 188, 110, 22);
  ratio->LabelRotulo()->SetCaption(u"Ratio");
  ratio->SetPrecision(2);
  ratio->SetMinFloat(0);
  ratio->SetMaxFloat(1);
  ratio->SetFloatIncrement(0.05);
  ratio->SetFloatValue(0.5);
  auto* count = Place<TLabelledNumberBox>(*page, 156, 188, 110, 23);
  count->LabelRotulo()->SetCaption(u"Count");
  count->SetValue(25);

  auto* colour = Place<TLabelledColourSharingCombo>(*page, 16, 240, 250, 23);
  colour->LabelRotulo()->SetCaption(u"Colour");
  colour->HandleNeeded();
  colour->SetSelected(0x0000FF);

  auto* toggleBold = Place<TToggleButton>(*page, 16, 280, 80, 25);
  toggleBold->SetCaption(u"Bold");
  toggleBold->SetGroupIndex(1);
  auto* toggleItalic = Place<TToggleButton>(*page, 100, 280, 80, 25);
  toggleItalic->SetCaption(u"Italic");
  toggleItalic->SetGroupIndex(1);
  toggleBold->HandleNeeded();
  toggleItalic->HandleNeeded();
  toggleBold->SetChecked(true);
  auto* status = Place<TMyStatusButton>(*page, 186, 280, 80, 25);
  status->SetCaption(u"Status");

  auto* chooser = Place<TLabelledButton>(*page, 16, 336, 250, 25);
  chooser->LabelRotulo()->SetCaption(u"The folder chooser");
  chooser->SetCaption(u"Choose a folder...");
  TForm* self = page.get();
  chooser->OnClick = [self, folder](TObject*) {
    TShellFolderDialog dialog(self);
    dialog.SetFolder(folder->GetText());
    if (dialog.Execute()) folder->SetText(dialog.Folder());
  };

  auto* list = Place<TColourSharingListbox>(*page, 290, 16, 254, 220);
  list->SetShowText(ShowTextBit(ts_index) | ShowTextBit(ts_hex) | ShowTextBit(ts_description));
  list->HandleNeeded();
  list->SortTheColours(csaHue, true);
  list->SetDefaultColour(0x0000FF);

  auto* group = Place<TCheckGroup>(*page, 290, 250, 254, 110);
  group->SetCaption(u"Columns shown");
  for (const char16_t* item : {u"Word", u"Freq.", u"%", u"Texts", u"Lemmas", u"Set"}) group->Items().Add(item);
  group->SetColumns(2);
  group->HandleNeeded();
  group->SetItemIndex(1);

  auto* close = Place<TButton>(*page, 469, 390, 75, 25);
  close->SetName(u"ClosePage");
  close->SetCaption(u"Close");
  close->SetModalResult(mrOk);
  return page;
}
