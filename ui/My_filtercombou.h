// A combo box that offers the entries of a file-dialog filter and yields the
// file mask of the chosen one.
#pragma once

#include "platform/visual/ComboBoxes.h"

namespace sk {

class TmyFilterCombo : public TComboBox {
 public:
  // An editable drop-down combo box.
  explicit TmyFilterCombo(TComponent* owner);
  ~TmyFilterCombo() override;

  // A filter in the dialogs' form: descriptions and masks alternating, each
  // followed by "|". The items are made from it when the window is made (and
  // again when it changes later).
  const String& Filter() const { return FFilter; }
  void SetFilter(const String& filter);

  // Empties the items and adds each description that a "|" follows; the
  // masks never become items. Selects the first item when there is one.
  void BuildList();
  // The text between the first "(" and the first ")" after it; s itself when
  // either is missing.
  static String FilterFromFullString(const String& s);
  // The mask of item i (from its description's parentheses); "" outside the
  // items.
  String GetAFileMask(Int32 i) const;
  // The chosen item's mask; with none chosen, the mask in the edit text.
  String GetCurrentFileMask() const;
  // Appends s as an item and chooses it (nothing for an empty s).
  void InsertLastText(const String& s);
  // Sets the edit text.
  void SetACurrentFilemask(const String& s);

 protected:
  void CreateWnd() override;

 private:
  String FFilter;
};

// Unit start and stop (the unit has no work of its own).
void My_filtercombou_initialization();
void My_filtercombou_Finalization();

}  // namespace sk
