// The named colours of the web (the CSS colour keywords) as "clWeb" names,
// identifier maps of colours and names, and their sort.
//
// The table lists each CSS colour once under its CamelCase name with the
// prefix "clWeb", the greys spelt "Gray" only, in alphabetical order; two
// names may share a value ("clWebAqua" and "clWebCyan"), and the earlier one
// is that value's name.
#pragma once

#include <vector>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// One entry of an identifier map: a value and its name.
struct TIdentMapEntry {
  Int32 Value = 0;
  String Name;
};

// A colour and its "clWeb" name; Name points at a zero-terminated constant.
struct TWebColorEntry {
  TColor Value;
  const Char* Name;
};

inline constexpr Int32 WebNamedColorsCount = 141;
extern const TWebColorEntry WebNamedColors[WebNamedColorsCount];

// The web colour table as an identifier map, in the table's order.
std::vector<TIdentMapEntry> WebColorsMap();

// The value of the map's entry of that name, compared without regard to case;
// false when there is none.
bool IdentToInt(const String& ident, Int32& value, const std::vector<TIdentMapEntry>& map);
// The name of the map's first entry of that value; false when there is none.
bool IntToIdent(Int32 value, String& ident, const std::vector<TIdentMapEntry>& map);

// Orders of SortColorArray. Hue runs from red through yellow, green and blue
// to magenta, with the greys (no hue) first; luminance is 0.299 red + 0.587
// green + 0.114 blue; value is the colour's number. Entries that tie are
// ordered by name (without regard to case), then by value.
enum TColorArraySortType : uint8_t { csaHue, csaName, csaLuminance, csaValue };

// Sorts the entries (their values are colours) by the order, ascending or
// descending; descending is the exact reverse of ascending.
void SortColorArray(std::vector<TIdentMapEntry>& colors, TColorArraySortType sortType, bool ascending);

}  // namespace sk
