// The canvas's end, word and path ellipses, checked against the plain loops
// that take one character at a time off and measure again, on random texts
// of words, long tokens, CJK and surrogate pairs; no result holds half of a
// pair.
#include <gtest/gtest.h>

#include <algorithm>

#include "RandomTexts.h"
#include "VisualTestSupport.h"
#include "platform/visual/Graphics.h"

namespace sk {
namespace {

const String kDots = u"...";

bool Splits(const String& s, size_t i) {
  return i > 0 && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF && s[i - 1] >= 0xD800 && s[i - 1] <= 0xDBFF;
}

// Takes the last character (a whole pair) off the head.
void PopChar(String& head) { head.erase(Splits(head, head.size() - 1) ? head.size() - 2 : head.size() - 1); }

String EndByOnes(TCanvas& c, const String& s, Int32 width) {
  if (c.TextWidth(s) <= width) return s;
  String head = s;
  while (!head.empty() && c.TextWidth(head + kDots) > width) PopChar(head);
  return head + kDots;
}

String WordByOnes(TCanvas& c, const String& s, Int32 width) {
  if (c.TextWidth(s) <= width) return s;
  String head = s;
  while (!head.empty()) {
    const size_t blank = head.find_last_of(u' ');
    head = blank == String::npos ? String() : head.substr(0, blank);
    if (c.TextWidth(head + kDots) <= width) break;
  }
  return head.empty() ? EndByOnes(c, s, width) : head + kDots;
}

String PathByOnes(TCanvas& c, const String& s, Int32 width) {
  if (c.TextWidth(s) <= width) return s;
  const size_t delim = s.find_last_of(u"\\/");
  if (delim == String::npos) {
    size_t mid = s.size() / 2;
    if (Splits(s, mid)) --mid;
    String head = s.substr(0, mid), tail = s.substr(mid);
    while (!head.empty() || !tail.empty()) {
      if (c.TextWidth(head + kDots + tail) <= width) break;
      if (head.size() >= tail.size() && !head.empty())
        PopChar(head);
      else
        tail.erase(0, Splits(tail, 1) ? 2 : 1);
    }
    return head + kDots + tail;
  }
  String head = s.substr(0, delim);
  const String tail = s.substr(delim);
  while (!head.empty() && c.TextWidth(head + kDots + tail) > width) PopChar(head);
  if (c.TextWidth(head + kDots + tail) <= width) return head + kDots + tail;
  return EndByOnes(c, kDots + tail, width);
}

String Elided(TCanvas& c, const String& s, Int32 width, TTextFormat how) {
  TRect r{0, 0, width, 20};
  String shown = s;
  c.TextRect(r, shown, how | tfModifyString | tfCalcRect);
  return shown;
}

TEST(TCanvasEliding, EllipsesGiveWhatTakingOneCharacterAtATimeGives) {
  TestApplication();
  TBitmap b(8, 8);
  TCanvas& c = b.Canvas();
  TRandomTexts texts(4021);
  struct Kind {
    const char* name;
    TTextFormat format;
    String (*byOnes)(TCanvas&, const String&, Int32);
  } kinds[] = {{"end", tfEndEllipsis, EndByOnes}, {"word", tfWordEllipsis, WordByOnes}, {"path", tfPathEllipsis, PathByOnes}};
  for (int n = 0; n < 200; ++n) {
    String s = texts.Next(600);
    // Some texts are paths: folders before a name.
    if (n % 4 == 1) s = texts.Next(300) + u"/" + texts.Next(40) + (n % 8 == 1 ? u"\\" + texts.Next(30) : String());
    const Int32 full = c.TextWidth(s);
    for (const Int32 w : {texts.Width(full + 4), texts.Width(std::min(full, 300)), full - 1, full, 0}) {
      for (const Kind& k : kinds) {
        const String got = Elided(c, s, w, k.format);
        ASSERT_EQ(got, k.byOnes(c, s, w)) << k.name << " text " << n << " of " << s.size() << ", width " << w;
        EXPECT_FALSE(HasHalfAPair(got) && !HasHalfAPair(s)) << k.name << " text " << n << ", width " << w;
      }
    }
  }
}

// A bare name of characters outside the Basic Multilingual Plane keeps its
// pairs whole at every width, in all three ellipses and through DrawText.
TEST(TCanvasEliding, PairsStayWhole) {
  TestApplication();
  TBitmap b(8, 8);
  TCanvas& c = b.Canvas();
  String name;
  for (int k = 0; k < 9; ++k) name += k % 4 == 3 ? String(u"a") : String(u"\U0001D400");
  for (Int32 w = 0; w <= c.TextWidth(name) + 2; ++w) {
    for (TTextFormat how : {tfEndEllipsis, tfWordEllipsis, tfPathEllipsis})
      EXPECT_FALSE(HasHalfAPair(Elided(c, name, w, how))) << how << " width " << w;
  }
  EXPECT_EQ(Elided(c, u"\U0001D400\U0001D400", 0, tfPathEllipsis), kDots);
  EXPECT_EQ(Elided(c, u"\U0001D400\U0001D400", 0, tfEndEllipsis), kDots);
}

}  // namespace
}  // namespace sk
