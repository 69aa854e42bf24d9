// Standard controls, as far as the library's non-visual routines use them.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

// A combo box: its list of items and its edit text. The history routines of
// the suite definitions fill and read the items.
class TComboBox : public TObject {
 public:
  TComboBox() = default;
  TComboBox(const TComboBox&) = delete;
  TComboBox& operator=(const TComboBox&) = delete;

  TStringList& Items() { return fItems; }
  const TStringList& Items() const { return fItems; }
  const String& Text() const { return fText; }
  void SetText(const String& text) { fText = text; }

 private:
  TStringList fItems;
  String fText;
};

}  // namespace sk
