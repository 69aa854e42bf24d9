// The formula a user stored with a results list: its version, the column it
// is based on, and its lines as typed and as translated.
//
// Stream forms (little-endian):
//   normal:      Int32 Version (at least 1), Int32 BasedOnCol
//   with lines:  Int32 -2, Int32 Version, Int32 BasedOnCol, Int32 line count,
//                the translated lines, then the typed lines (stored strings)
// The form with lines is written when the translated lines are not empty and
// the typed lines are as many.
#pragma once

#include <memory>
#include <vector>

#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Streams.h"

namespace sk {

// The first Int32 of the form with lines.
inline constexpr Int32 FormulaWithLinesMark = -2;

class TParseFormulaHandler : public TObject {
 public:
  // DataIsFor grid_none, Version 0, BasedOnCol -1, no cumulative
  // frequencies, two empty lists.
  TParseFormulaHandler();
  TParseFormulaHandler(const TParseFormulaHandler&) = delete;
  TParseFormulaHandler& operator=(const TParseFormulaHandler&) = delete;
  ~TParseFormulaHandler() override;

  // Raises Version to at least 1 and writes the form that fits; true when
  // every byte was written.
  bool SaveToStream(TStream* stream);
  // Empties both lists and reads either form; true only when the whole form
  // was read (Version 0 in the normal form has no BasedOnCol). A stored
  // string that fails its checks raises its exception.
  bool ReadFromStream(TStream* stream);

  Int32 Version = 0;
  Int32 BasedOnCol = -1;
  bool Integer_Based = false;
  TGrid_alternatives DataIsFor{};
  std::vector<Int64> CumulativeFreqs;
  std::unique_ptr<TStringList> Original_Strings;
  std::unique_ptr<TStringList> Translated_Strings;
};

// Unit start and stop (the unit has no work of its own).
void Parser_initialization();
void Parser_Finalization();

}  // namespace sk
