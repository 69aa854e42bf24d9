// What the drawing and control tests share: white bitmaps to draw on, the
// colour of a pixel, pictures saved as PNG under the build folder for a look
// by eye, and icon files made byte by byte.
#pragma once

#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtGui/QImage>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "platform/runtime/Colors.h"
#include "platform/visual/Graphics.h"

namespace sk {

// A base that makes the test application before the members that need it.
struct WithTestApplication {
  WithTestApplication() { TestApplication(); }
};

inline std::unique_ptr<TBitmap> WhiteBitmap(int w, int h) {
  TestApplication();
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas().Brush().SetColor(clWhite);
  b->Canvas().FillRect(Rect(0, 0, w, h));
  return b;
}

inline TColor PixelAt(TBitmap& b, int x, int y) { return b.Canvas().Pixel(x, y); }

// Saves the picture as screenshots/<name>.png beside the test program (which
// lives in the build folder), so that a failing picture can be looked at.
inline void SaveShot(const QImage& image, const std::string& name) {
  const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
  QDir().mkpath(dir);
  image.save(dir + QString::fromStdString("/" + name + ".png"));
}

inline void SaveShot(TBitmap& b, const std::string& name) { SaveShot(b.Image(), name); }

// The pixels that differ from colour inside r (for "nothing drawn here").
inline int CountNot(const QImage& img, const TRect& r, TColor colour) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (PixelOf(img, x, y) != colour) ++n;
  return n;
}

inline int CountOf(const QImage& img, const TRect& r, TColor colour) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (PixelOf(img, x, y) == colour) ++n;
  return n;
}

// One image of an icon file: its size (256 is written as width byte 0), its
// colour, and the bits per pixel its directory entry states.
struct TestIconImage {
  int size;
  TColor colour;
  int bitCount = 32;
};

inline void PutLe16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}

inline void PutLe32(std::string& s, unsigned v) {
  PutLe16(s, v & 0xFFFF);
  PutLe16(s, v >> 16);
}

// An icon file (type 1) or cursor file (type 2): the directory, then each
// image as a 32-bit bitmap, bottom row first, with an all-clear mask.
inline std::string MakeIconFile(const std::vector<TestIconImage>& images, unsigned type = 1) {
  std::vector<std::string> data;
  for (const TestIconImage& im : images) {
    std::string d;
    PutLe32(d, 40);
    PutLe32(d, static_cast<unsigned>(im.size));
    PutLe32(d, static_cast<unsigned>(im.size * 2));
    PutLe16(d, 1);
    PutLe16(d, 32);
    for (int k = 0; k < 6; ++k) PutLe32(d, 0);
    const TColor rgb = ColorToRGB(im.colour);
    for (int p = 0; p < im.size * im.size; ++p) {
      d += static_cast<char>((rgb >> 16) & 0xFF);  // blue
      d += static_cast<char>((rgb >> 8) & 0xFF);   // green
      d += static_cast<char>(rgb & 0xFF);          // red
      d += static_cast<char>(0xFF);                // alpha
    }
    const int maskRow = (im.size + 31) / 32 * 4;
    d.append(static_cast<size_t>(maskRow * im.size), '\0');
    data.push_back(d);
  }
  std::string f;
  PutLe16(f, 0);
  PutLe16(f, type);
  PutLe16(f, static_cast<unsigned>(images.size()));
  unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const int s = images[i].size;
    f += static_cast<char>(s >= 256 ? 0 : s);
    f += static_cast<char>(s >= 256 ? 0 : s);
    f += '\0';
    f += '\0';
    PutLe16(f, type == 2 ? 0 : 1);                                         // planes (hot spot x)
    PutLe16(f, type == 2 ? 0 : static_cast<unsigned>(images[i].bitCount));  // bits (hot spot y)
    PutLe32(f, static_cast<unsigned>(data[i].size()));
    PutLe32(f, offset);
    offset += static_cast<unsigned>(data[i].size());
  }
  for (const std::string& d : data) f += d;
  return f;
}

}  // namespace sk
