#include "zip/ZAArchiver_prompts.h"

#include <algorithm>
#include <memory>

#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/visual/MessageDialogs.h"
#include "platform/visual/Edits.h"
#include "platform/visual/StandardControls.h"
#include "zip/ZAConst.h"

namespace sk {

namespace {

TZAMessageDialogHook& MessageHook() {
  static TZAMessageDialogHook hook;
  return hook;
}

TZAPasswordDialogHook& PasswordHook() {
  static TZAPasswordDialogHook hook;
  return hook;
}

bool Offers(TZADialogButtons buttons, Int32 answer) {
  switch (answer) {
    case zdrOK: return (buttons & zdbOK) != 0;
    case zdrCancel: return (buttons & zdbCancel) != 0;
    case zdrAbort: return (buttons & zdbAbort) != 0;
    case zdrRetry: return (buttons & zdbRetry) != 0;
    case zdrIgnore: return (buttons & zdbIgnore) != 0;
    case zdrYes: return (buttons & zdbYes) != 0;
    case zdrNo: return (buttons & zdbNo) != 0;
    case zdrNoToAll: return (buttons & zdbNoToAll) != 0;
    case zdrYesToAll: return (buttons & zdbYesToAll) != 0;
    default: return false;
  }
}

}  // namespace

TZAMessageDialogHook SetZAMessageDialogHook(TZAMessageDialogHook hook) {
  TZAMessageDialogHook previous = std::move(MessageHook());
  MessageHook() = std::move(hook);
  return previous;
}

TZAPasswordDialogHook SetZAPasswordDialogHook(TZAPasswordDialogHook hook) {
  TZAPasswordDialogHook previous = std::move(PasswordHook());
  PasswordHook() = std::move(hook);
  return previous;
}

Int32 ZAMessageDialog(const String& text, TZADialogButtons buttons) {
  const Int32 answer = MessageHook() ? MessageHook()(text, buttons) : ZADefaultMessageDialog(text, buttons);
  return Offers(buttons, answer) ? answer : zdrCancel;
}

bool ZAPasswordDialog(const String& fileName, String& password) {
  return PasswordHook() ? PasswordHook()(fileName, password) : ZADefaultPasswordDialog(fileName, password);
}

Int32 ZADefaultMessageDialog(const String& text, TZADialogButtons buttons) {
  static const struct {
    TZADialogButtons bit;
    TMsgDlgBtn button;
  } kButtons[] = {{zdbYes, mbYes},       {zdbNo, mbNo},           {zdbOK, mbOK},
                  {zdbCancel, mbCancel}, {zdbAbort, mbAbort},     {zdbRetry, mbRetry},
                  {zdbIgnore, mbIgnore}, {zdbNoToAll, mbNoToAll}, {zdbYesToAll, mbYesToAll}};
  TMsgDlgButtons set;
  for (const auto& b : kButtons)
    if ((buttons & b.bit) != 0) set.Include(b.button);
  // The dialog's answers are the modal results the zdr values name.
  return MessageDlg(text, mtConfirmation, set, 0);
}

namespace {

Int32 MulDiv(Int32 a, Int32 b, Int32 c) {
  return c == 0 ? 0 : static_cast<Int32>((static_cast<long long>(a) * b + c / 2) / c);
}

}  // namespace

bool ZADefaultPasswordDialog(const String& fileName, String& password) {
  if (!ApplicationExists()) return false;
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poScreenCenter);
  form->SetText(Format(LoadResString(&_SPasswordTitle), {fileName}));

  // Dialog units of the form's font: a quarter of the average character
  // width across, an eighth of the character height down.
  TCanvas& canvas = form->Canvas();
  canvas.Font().Assign(form->Font());
  const TSize alphabet = canvas.TextExtent(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const Int32 charWidth = std::max(1, alphabet.cx / 52);
  const Int32 charHeight = std::max(1, alphabet.cy);
  auto x = [&](Int32 units) { return MulDiv(units, charWidth, 4); };
  auto y = [&](Int32 units) { return MulDiv(units, charHeight, 8); };
  form->SetClientWidth(x(180));
  form->SetClientHeight(y(63));

  auto* prompt = new TLabel(form.get());
  prompt->SetName(u"Prompt");
  prompt->SetParent(form.get());
  prompt->SetCaption(LoadResString(&_SPasswordPrompt));
  prompt->SetLeft(x(8));
  prompt->SetTop(y(8));

  auto* edit = new TEdit(form.get());
  edit->SetName(u"Password");
  edit->SetParent(form.get());
  edit->SetBounds(prompt->Left(), y(19), x(164), edit->Height());
  edit->SetMaxLength(255);
  edit->SetPasswordChar(u'*');
  edit->SetText(String());
  edit->SelectAll();

  auto button = [&](const char16_t* name, Int32 left, TModalResult result) {
    auto* b = new TButton(form.get());
    b->SetName(name);
    b->SetParent(form.get());
    b->SetCaption(name);
    b->SetModalResult(result);
    b->SetBounds(x(left), y(41), x(50), y(14));
    return b;
  };
  button(u"OK", 38, mrOk)->SetDefault(true);
  button(u"Cancel", 92, mrCancel)->SetCancel(true);
  form->SetActiveControl(edit);

  if (form->ShowModal() != mrOk) return false;
  password = edit->GetText();
  return true;
}

}  // namespace sk
