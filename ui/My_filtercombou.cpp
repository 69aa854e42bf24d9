#include "ui/My_filtercombou.h"

#include "core/UnitCounter.h"

namespace sk {

TmyFilterCombo::TmyFilterCombo(TComponent* owner) : TComboBox(owner) { SetStyle(csDropDown); }

TmyFilterCombo::~TmyFilterCombo() { Destroying(); }

void TmyFilterCombo::SetFilter(const String& filter) {
  FFilter = filter;
  if (HandleAllocated()) BuildList();
}

void TmyFilterCombo::CreateWnd() {
  TComboBox::CreateWnd();
  BuildList();
}

void TmyFilterCombo::BuildList() {
  TStringList& items = Items();
  {
    TUpdateScope update(items);
    items.Clear();
    size_t position = 0;
    bool maskEnded = true;
    while (maskEnded) {
      const size_t bar = FFilter.find(u'|', position);
      if (bar == String::npos) break;
      const String description = FFilter.substr(position, bar - position);
      position = bar + 1;
      const size_t maskEnd = FFilter.find(u'|', position);
      maskEnded = maskEnd != String::npos;
      if (maskEnded) position = maskEnd + 1;
      if (!description.empty()) items.Add(description);
    }
  }
  if (items.Count() > 0) SetItemIndex(0);
}

String TmyFilterCombo::FilterFromFullString(const String& s) {
  const size_t open = s.find(u'(');
  if (open == String::npos) return s;
  const size_t close = s.find(u')', open + 1);
  if (close == String::npos) return s;
  return s.substr(open + 1, close - open - 1);
}

String TmyFilterCombo::GetAFileMask(Int32 i) const {
  if (i < 0 || i >= Items().Count()) return String();
  return FilterFromFullString(Items()[i]);
}

String TmyFilterCombo::GetCurrentFileMask() const {
  const String mask = GetAFileMask(ItemIndex());
  return mask.empty() ? FilterFromFullString(GetText()) : mask;
}

void TmyFilterCombo::InsertLastText(const String& s) {
  if (s.empty()) return;
  SetItemIndex(Items().Add(s));
}

void TmyFilterCombo::SetACurrentFilemask(const String& s) { SetText(s); }

SK_COUNTER_ONLY_UNIT(My_filtercombou)

}  // namespace sk
