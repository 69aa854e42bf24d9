// What the display tests share: white bitmaps in DejaVu Sans 9, tokens and
// concordance tokens made from plain words, and the locales of the three
// writing directions used.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "VisualTestSupport.h"
#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/Colors.h"
#include "platform/visual/Graphics.h"

namespace sk {

inline constexpr Cardinal kEnglishLcid = 0x0409;
inline constexpr Cardinal kHebrewLcid = 0x040D;
inline constexpr Cardinal kArabicLcid = 0x0401;

inline std::unique_ptr<TBitmap> WhiteCell(int w, int h) {
  TestApplication();
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas().Font().SetName(u"DejaVu Sans");
  b->Canvas().Font().SetSize(9);
  b->Canvas().Brush().SetColor(clWhite);
  b->Canvas().FillRect(Rect(0, 0, w, h));
  return b;
}

inline std::vector<TStringTag> Tokens(std::initializer_list<const char16_t*> words) {
  std::vector<TStringTag> r;
  for (const char16_t* w : words) r.push_back(TStringTag{w, String(), 0});
  return r;
}

inline TConcordDetailedRec ConcToken(const String& word, TColloc_item_stat stat = cis_word) {
  TConcordDetailedRec r{};
  r.ConcStrTag.wordsections.wd_str = word;
  r.colloc_info.barr_rec.stat = stat;
  return r;
}

inline int CountColourIn(TBitmap& b, const TRect& r, TColor c) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (b.Canvas().Pixel(x, y) == c) ++n;
  return n;
}

inline int CountNotColourIn(TBitmap& b, const TRect& r, TColor c) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (b.Canvas().Pixel(x, y) != c) ++n;
  return n;
}

}  // namespace sk
