#include "ui/Colour_utils.h"

#include <algorithm>

#include "core/UnitCounter.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

constinit TUnitCounter Colour_utils_counter;

constexpr Int32 Channel(TColor c, int shift) { return static_cast<Int32>((static_cast<uint32_t>(c) >> shift) & 0xFF); }

constexpr const Char* kWebPrefix = u"clWeb";
constexpr size_t kWebPrefixLength = 5;

}  // namespace

TColor MixColours(TColor c1, TColor c2, Byte weight) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t mixed = (static_cast<uint32_t>(Channel(c1, shift)) * weight +
                            static_cast<uint32_t>(255 - weight) * static_cast<uint32_t>(Channel(c2, shift))) >>
                           8;
    result |= (mixed & 0xFF) << shift;
  }
  return static_cast<TColor>(result);
}

TColor GetContrastingTextColour(TColor background) {
  if (background < 1) return clWhite;
  if (background == clWhite) return clBlack;
  const double luminance =
      1.0 - (0.299 * Channel(background, 0) + 0.587 * Channel(background, 8) + 0.114 * Channel(background, 16)) / 255.0;
  return luminance < 0.5 ? clBlack : clWhite;
}

THSV RGB2HSV(Byte r, Byte g, Byte b) {
  THSV hsv;
  const double mx = std::max({r, g, b});
  const double mn = std::min({r, g, b});
  hsv.Val = mx * 100.0 / 255.0;
  hsv.Sat = mx == 0 ? 0 : (mx - mn) * 255.0 / mx;
  double hue;
  if (hsv.Sat == 0) {
    hue = -1;
  } else {
    const double d = mx - mn;
    if (r == mx)
      hue = (g - b) / d;
    else if (g == mx)
      hue = (b - r) / d + 2;
    else
      hue = (r - g) / d + 4;
  }
  hsv.Sat = hsv.Sat * 100.0 / 255.0;
  hue *= 60;
  if (hue < 0) hue += 360;
  hsv.Hue = hue;
  return hsv;
}

String ColourToHex(TColor c) {
  return Format(u"$%.2x%.2x%.2x", {Channel(c, 0), Channel(c, 8), Channel(c, 16)});
}

Int32 NearestColourIndex(TColor c, const TColourMap& map) {
  for (size_t i = 0; i < map.size(); ++i)
    if (map[i].Value == c) return static_cast<Int32>(i);
  Int32 best = -1;
  Int64 bestDistance = 0;
  for (size_t i = 0; i < map.size(); ++i) {
    Int64 d = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const Int64 diff = Channel(map[i].Value, shift) - Channel(c, shift);
      d += diff * diff;
    }
    if (best < 0 || d < bestDistance) {
      best = static_cast<Int32>(i);
      bestDistance = d;
    }
  }
  return best;
}

String NameOfAMyColourArrayColour(TColor c, const TColourMap& map) {
  String name;
  return IntToIdent(c, name, map) ? name : String();
}

TColor ColourOfAMyColourArrayName(const String& name, const TColourMap& map) {
  Int32 value = 0;
  return IdentToInt(name, value, map) ? value : clNone;
}

String WebColourToName(TColor c) {
  for (const TWebColorEntry& e : WebNamedColors)
    if (e.Value == c) return String(e.Name).substr(kWebPrefixLength);
  return u"Black";
}

TColor NameToWebColour(const String& name) {
  const String wanted = String(kWebPrefix) + name;
  for (const TWebColorEntry& e : WebNamedColors)
    if (SameText(wanted, e.Name)) return e.Value;
  return clBlack;
}

// ---------------------------------------------------------------------------

TMySharedColourList::~TMySharedColourList() { TMySharedColourList::Clear(); }

TMyColourHolder* TMySharedColourList::Items(Int32 i) const {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  return fItems[static_cast<size_t>(i)].get();
}

Int32 TMySharedColourList::AddAColour(const TColourNameAndIntRec& rec) {
  fItems.push_back(std::make_unique<TMyColourHolder>(rec));
  return Count() - 1;
}

void TMySharedColourList::Clear() {
  fItems.clear();
  fSorted = false;
}

TColourNameAndIntRec TMySharedColourList::GetAColour(Int32 i) const {
  if (i < 0 || i >= Count()) return TColourNameAndIntRec{};
  return fItems[static_cast<size_t>(i)]->data;
}

Int32 TMySharedColourList::IndexOfColour(TColor c) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (fItems[static_cast<size_t>(i)]->data.c == c) return i;
  return -1;
}

Int32 TMySharedColourList::IndexOfName(const String& name) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (fItems[static_cast<size_t>(i)]->data.name == name) return i;
  return -1;
}

std::vector<Byte> TMySharedColourList::SortedColours(TColorArraySortType sortType, bool ascending) const {
  // The sorted entries are matched back to the list by value and name, each
  // list index used once, so that equal entries keep distinct positions.
  TColourMap entries;
  entries.reserve(fItems.size());
  for (const auto& h : fItems) entries.push_back(TIdentMapEntry{h->data.c, h->data.name});
  SortColorArray(entries, sortType, ascending);
  std::vector<bool> used(fItems.size(), false);
  std::vector<Byte> order;
  order.reserve(entries.size());
  for (const TIdentMapEntry& e : entries)
    for (size_t i = 0; i < fItems.size(); ++i)
      if (!used[i] && fItems[i]->data.c == e.Value && fItems[i]->data.name == e.Name) {
        used[i] = true;
        order.push_back(static_cast<Byte>(i));
        break;
      }
  return order;
}

// ---------------------------------------------------------------------------

void Colour_utils_initialization() {
  if (!Colour_utils_counter.Initialization()) return;
  auto* list = new TMySharedColourList();
  for (const TWebColorEntry& e : WebNamedColors) {
    if (e.Value == static_cast<TColor>(0xF0FAFF) || list->IndexOfColour(e.Value) >= 0) continue;
    String name(e.Name);
    if (StartsStr(kWebPrefix, name)) name = name.substr(kWebPrefixLength);
    list->AddAColour(TColourNameAndIntRec{e.Value, name, list->Count()});
  }
  MySharedColourList = list;
}

void Colour_utils_Finalization() {
  if (!Colour_utils_counter.Finalization()) return;
  delete MySharedColourList;
  MySharedColourList = nullptr;
}

}  // namespace sk
