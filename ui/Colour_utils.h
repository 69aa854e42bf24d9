// Colour arithmetic (mixing, a readable text colour, RGB to HSV, "$RRGGBB",
// the nearest colour of a map) and the process-wide list of named colours
// that the colour pickers offer, filled from the web colour table at start
// and freed at stop.
#pragma once

#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/visual/WebColors.h"

namespace sk {

struct THSV {
  Double Hue = 0;
  Double Sat = 0;
  Double Val = 0;
};

// A colour map: colours and their names.
using TColourMap = std::vector<TIdentMapEntry>;

// Per channel (channel1 x weight + (255 - weight) x channel2) shifted right by
// 8 bits: weight 255 gives almost all of c1, 0 almost all of c2. The channels
// are the low three bytes of each value.
TColor MixColours(TColor c1, TColor c2, Byte weight);
// White for black and every system colour (values below 1), black for white,
// otherwise black on light colours and white on dark ones.
TColor GetContrastingTextColour(TColor background);
// Sat and Val in percent; Hue in degrees, 300 for a grey.
THSV RGB2HSV(Byte r, Byte g, Byte b);
// "$" and the red, green and blue bytes as upper-case hexadecimal digits.
String ColourToHex(TColor c);
// The index of the first entry of colour c, else of the nearest one (the
// smallest sum of squared channel differences, the first of equals); -1 for
// an empty map.
Int32 NearestColourIndex(TColor c, const TColourMap& map);
// The name of the entry of colour c; "" when none.
String NameOfAMyColourArrayColour(TColor c, const TColourMap& map);
// The colour of the entry of that name (without regard to case); clNone
// when none.
TColor ColourOfAMyColourArrayName(const String& name, const TColourMap& map);
// The name of c in the web colour table without "clWeb"; "Black" when c is
// not there.
String WebColourToName(TColor c);
// The colour of "clWeb" + name in the web colour table; black when none.
TColor NameToWebColour(const String& name);

// One named colour of the shared list.
class TMyColourHolder : public TObject {
 public:
  explicit TMyColourHolder(const TColourNameAndIntRec& rec) : data(rec) {}
  TColourNameAndIntRec data;
};

// A list that owns its colour holders.
class TMySharedColourList : public TObject {
 public:
  TMySharedColourList() = default;
  ~TMySharedColourList() override;
  TMySharedColourList(const TMySharedColourList&) = delete;
  TMySharedColourList& operator=(const TMySharedColourList&) = delete;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  TMyColourHolder* Items(Int32 i) const;
  bool GetIsSorted() const { return fSorted; }

  // Appends a copy of rec; answers its index.
  Int32 AddAColour(const TColourNameAndIntRec& rec);
  // Frees every holder and clears the sorted flag.
  virtual void Clear();
  // A copy of item i's record; an empty record outside the list.
  TColourNameAndIntRec GetAColour(Int32 i) const;
  // The first item of that colour; -1 when none.
  Int32 IndexOfColour(TColor c) const;
  // The first item of exactly that name; -1 when none.
  Int32 IndexOfName(const String& name) const;
  // One byte per item: position k holds the index of the item that comes
  // k-th when the colours are sorted by sortType; the list keeps its order.
  std::vector<Byte> SortedColours(TColorArraySortType sortType, bool ascending) const;

 private:
  std::vector<std::unique_ptr<TMyColourHolder>> fItems;
  bool fSorted = false;
};

// The one list of named colours of the process: the web colours without
// $F0FAFF, one name per value (the first of the table), each with its
// position as original_num; nullptr before start and after stop.
inline TMySharedColourList* MySharedColourList = nullptr;

// Unit start (fills MySharedColourList) and stop (frees it).
void Colour_utils_initialization();
void Colour_utils_Finalization();

}  // namespace sk
