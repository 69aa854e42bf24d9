#include "platform/visual/InputBoxes.h"

#include <algorithm>
#include <memory>

#include "platform/visual/Edits.h"
#include "platform/visual/Forms.h"
#include "platform/visual/StandardControls.h"
#include "platform/visual/VisualConsts.h"

namespace sk {

bool InputQuery(const String& caption, const String& prompt, String& value) {
  RequireApplication("An input box");
  auto form = std::make_unique<TForm>(nullptr);
  form->SetName(u"InputBoxForm");
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poScreenCenter);
  form->SetCaption(caption);
  constexpr Int32 margin = 8, width = 300;

  auto* label = new TLabel(form.get());
  label->SetName(u"Prompt");
  label->SetParent(form.get());
  label->SetCaption(prompt);
  label->SetLeft(margin);
  label->SetTop(margin);

  auto* edit = new TEdit(form.get());
  edit->SetName(u"Value");
  edit->SetParent(form.get());
  const Int32 editTop = label->Top() + label->Height() + 4;
  edit->SetBounds(margin, editTop, width - 2 * margin, edit->Height());
  edit->SetText(value);
  edit->SelectAll();
  label->SetFocusControl(edit);

  const Int32 buttonTop = editTop + edit->Height() + 12;
  auto* ok = new TButton(form.get());
  ok->SetName(u"OK");
  ok->SetParent(form.get());
  ok->SetCaption(LoadResString(&_SKButtonOK));
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  auto* cancel = new TButton(form.get());
  cancel->SetName(u"Cancel");
  cancel->SetParent(form.get());
  cancel->SetCaption(LoadResString(&_SKButtonCancel));
  cancel->SetModalResult(mrCancel);
  cancel->SetCancel(true);
  cancel->SetBounds(width - margin - cancel->Width(), buttonTop, cancel->Width(), cancel->Height());
  ok->SetBounds(cancel->Left() - 6 - ok->Width(), buttonTop, ok->Width(), ok->Height());

  form->SetClientWidth(std::max(width, label->Left() + label->Width() + margin));
  form->SetClientHeight(buttonTop + ok->Height() + margin);
  form->SetActiveControl(edit);
  if (form->ShowModal() != mrOk) return false;
  value = edit->GetText();
  return true;
}

String InputBox(const String& caption, const String& prompt, const String& defaultValue) {
  String value = defaultValue;
  return InputQuery(caption, prompt, value) ? value : defaultValue;
}

}  // namespace sk
