// Metafiles recorded as SVG and played back, saved, loaded and put on the
// clipboard; icons read at a size from icon and cursor files made here,
// whole, cut short and not icons at all.
#include <gtest/gtest.h>

#include <QtCore/QByteArray>
#include <algorithm>
#include <filesystem>
#include <QtGui/QIcon>

#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Streams.h"
#include "platform/visual/Clipboard.h"
#include "platform/visual/IconFiles.h"
#include "platform/visual/Metafiles.h"
#include "platform/visual/RichEdit.h"

namespace sk {
namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kGreen = 0x00FF00;

std::string SvgText(const TMetafile& m) { return std::string(m.SvgData().begin(), m.SvgData().end()); }

// A metafile of 40 x 30: white, a red block and a blue line.
std::unique_ptr<TMetafile> Recorded() {
  auto m = std::make_unique<TMetafile>();
  m->SetSize(40, 30);
  TMetafileCanvas c(*m);
  c.Brush().SetColor(clWhite);
  c.FillRect(Rect(0, 0, 40, 30));
  c.Brush().SetColor(kRed);
  c.FillRect(Rect(5, 5, 15, 15));
  c.Pen().SetColor(kBlue);
  c.MoveTo(0, 25);
  c.LineTo(40, 25);
  return m;
}

TEST(TMetafile, RecordedAndPlayedBack) {
  TestApplication();
  TMetafile empty;
  EXPECT_TRUE(empty.Empty());
  {
    TMetafileCanvas nothing(empty);  // no size: nothing recorded
  }
  EXPECT_TRUE(empty.SvgData().empty());

  const auto m = Recorded();
  EXPECT_FALSE(m->Empty());
  EXPECT_EQ(m->Width(), 40);
  EXPECT_EQ(m->Height(), 30);
  const std::string svg = SvgText(*m);
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 40 30\""), std::string::npos);

  TBitmap b(40, 30);
  b.Canvas().Draw(0, 0, *m);
  EXPECT_EQ(b.Canvas().Pixel(10, 10), kRed);
  EXPECT_EQ(b.Canvas().Pixel(30, 10), clWhite);
  // Lines play back smoothed, as vector pictures are drawn: the row is blue
  // though not pure blue.
  const TColor line = b.Canvas().Pixel(20, 25);
  EXPECT_EQ(line >> 16, 0xFFu);
  EXPECT_LT(line & 0xFF, 0xC0u);
  // Stretched over twice the size.
  TBitmap big(80, 60);
  big.Canvas().StretchDraw(Rect(0, 0, 80, 60), *m);
  EXPECT_EQ(big.Canvas().Pixel(20, 20), kRed);
  EXPECT_EQ(big.Canvas().Pixel(60, 20), clWhite);

  // A second recording replaces the first; one with nothing drawn is an
  // empty picture of the size.
  {
    TMetafileCanvas again(*m);
  }
  EXPECT_FALSE(m->Empty());
  TBitmap blank(40, 30);
  blank.Canvas().Brush().SetColor(kGreen);
  blank.Canvas().FillRect(Rect(0, 0, 40, 30));
  blank.Canvas().Draw(0, 0, *m);
  EXPECT_EQ(blank.Canvas().Pixel(10, 10), kGreen);

  TMetafile copy(*Recorded());
  auto clone = copy.Clone();
  EXPECT_EQ(clone->Width(), 40);
  EXPECT_EQ(dynamic_cast<TMetafile&>(*clone).SvgData(), copy.SvgData());
  copy.Clear();
  EXPECT_TRUE(copy.Empty());
  EXPECT_EQ(copy.Width(), 0);
}

class TMetafileFiles : public ScratchFolderTest {
 protected:
  TMetafileFiles() : ScratchFolderTest("sk_metafile") {}
};

TEST_F(TMetafileFiles, SavedLoadedAndOnTheClipboard) {
  TestApplication();
  const auto m = Recorded();
  m->SaveToFile(File("m.svg"));
  EXPECT_EQ(ReadRaw("m.svg"), SvgText(*m));
  TMetafile loaded;
  loaded.LoadFromFile(File("m.svg"));
  EXPECT_EQ(loaded.Width(), 40);
  EXPECT_EQ(loaded.Height(), 30);
  EXPECT_EQ(loaded.SvgData(), m->SvgData());

  TMemoryStream stream;
  m->SaveToStream(stream);
  stream.SetPosition(0);
  TMetafile fromStream;
  fromStream.LoadFromStream(stream);
  EXPECT_EQ(fromStream.SvgData(), m->SvgData());

  // What is not an SVG document is refused, and the metafile keeps what it had.
  WriteRaw("bad.svg", "this is not a picture");
  EXPECT_THROW(loaded.LoadFromFile(File("bad.svg")), EInvalidGraphic);
  EXPECT_THROW(loaded.LoadFromFile(File("missing.svg")), EInvalidGraphic);
  EXPECT_EQ(loaded.SvgData(), m->SvgData());
  TMemoryStream nothing;
  EXPECT_THROW(fromStream.LoadFromStream(nothing), EInvalidGraphic);
  TMetafile empty;
  EXPECT_THROW(empty.SaveToFile(File("empty.svg")), EInvalidGraphic);
  EXPECT_THROW(empty.SaveToStream(nothing), EInvalidGraphic);
  EXPECT_THROW(m->SaveToFile(File("no/such/folder/m.svg")), EInvalidGraphic);

  EXPECT_FALSE(empty.CopyToClipboard());
  ASSERT_TRUE(m->CopyToClipboard());
  EXPECT_TRUE(ClipboardHasFormat("image/svg+xml"));
  EXPECT_EQ(ClipboardData("image/svg+xml"), m->SvgData());
}

// ---------------------------------------------------------------------------

void PutLe16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}

void PutLe32(std::string& s, unsigned v) {
  PutLe16(s, v & 0xFFFF);
  PutLe16(s, v >> 16);
}

// An icon (type 1) or cursor (type 2) file of 32-bit images, one solid
// colour each.
std::string IconFile(const std::vector<std::pair<int, TColor>>& images, unsigned type = 1) {
  std::vector<std::string> data;
  for (const auto& [size, colour] : images) {
    std::string d;
    PutLe32(d, 40);
    PutLe32(d, static_cast<unsigned>(size));
    PutLe32(d, static_cast<unsigned>(size * 2));
    PutLe16(d, 1);
    PutLe16(d, 32);
    for (int k = 0; k < 6; ++k) PutLe32(d, 0);
    for (int p = 0; p < size * size; ++p) {
      d += static_cast<char>((colour >> 16) & 0xFF);
      d += static_cast<char>((colour >> 8) & 0xFF);
      d += static_cast<char>(colour & 0xFF);
      d += static_cast<char>(0xFF);
    }
    d.append(static_cast<size_t>((size + 31) / 32 * 4 * size), '\0');
    data.push_back(d);
  }
  std::string f;
  PutLe16(f, 0);
  PutLe16(f, type);
  PutLe16(f, static_cast<unsigned>(images.size()));
  unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const int s = images[i].first;
    f += static_cast<char>(s >= 256 ? 0 : s);
    f += static_cast<char>(s >= 256 ? 0 : s);
    f += std::string(2, '\0');
    PutLe16(f, type == 2 ? 0 : 1);
    PutLe16(f, type == 2 ? 0 : 32);
    PutLe32(f, static_cast<unsigned>(data[i].size()));
    PutLe32(f, offset);
    offset += static_cast<unsigned>(data[i].size());
  }
  for (const std::string& d : data) f += d;
  return f;
}

class TIconFiles : public ScratchFolderTest {
 protected:
  TIconFiles() : ScratchFolderTest("sk_icons") {}
};

TColor CentreOf(const TIcon& icon, int size) {
  const QImage img = icon.ImageAt(size);
  return FromQColor(QColor::fromRgb(img.pixel(img.width() / 2, img.height() / 2)));
}

TEST_F(TIconFiles, IconAtASize) {
  TestApplication();
  const std::string several = IconFile({{16, kRed}, {32, kBlue}, {48, kGreen}});
  WriteRaw("several.ico", several);
  struct {
    int size;
    TColor colour;
  } cases[] = {{16, kRed}, {32, kBlue}, {48, kGreen}, {24, kBlue}, {20, kBlue}, {64, kGreen}, {8, kRed}};
  for (const auto& k : cases) {
    TIcon icon;
    ASSERT_TRUE(LoadIconFromFileAtSize(icon, File("several.ico"), k.size)) << k.size;
    EXPECT_EQ(icon.Width(), k.size);
    EXPECT_EQ(icon.Height(), k.size);
    EXPECT_EQ(CentreOf(icon, k.size), k.colour) << k.size;
  }

  WriteRaw("cursor.cur", IconFile({{32, kRed}}, 2));
  TIcon cursor;
  ASSERT_TRUE(LoadIconFromFileAtSize(cursor, File("cursor.cur"), 32));
  EXPECT_EQ(CentreOf(cursor, 32), kRed);

  // Cut short, or not an icon: no crash, and a failure leaves the icon as it was.
  TIcon kept;
  ASSERT_TRUE(LoadIconFromFileAtSize(kept, File("several.ico"), 16));
  for (size_t cut : {size_t(3), size_t(6 + 20), size_t(6 + 48 + 40), several.size() - 100}) {
    WriteRaw("short.ico", several.substr(0, cut));
    TIcon icon;
    LoadIconFromFileAtSize(icon, File("short.ico"), 32);
    if (!LoadIconFromFileAtSize(kept, File("short.ico"), 32)) {
      EXPECT_EQ(CentreOf(kept, 16), kRed) << cut;
    }
    ASSERT_TRUE(LoadIconFromFileAtSize(kept, File("several.ico"), 16));
  }
  WriteRaw("text.ico", "plain text, not an icon");
  EXPECT_FALSE(LoadIconFromFileAtSize(kept, File("text.ico"), 16));
  EXPECT_FALSE(LoadIconFromFileAtSize(kept, File("missing.ico"), 16));
  EXPECT_FALSE(LoadIconFromFileAtSize(kept, File("several.ico"), 0));
  EXPECT_EQ(CentreOf(kept, 16), kRed);
}

// Pictures, icons and rich text reach a file whose name is not UTF-8
// (Latin-1, Shift-JIS, bytes of no code page) by its own bytes: each is
// written at that name and no other, and read back from it.
TEST_F(TIconFiles, NamesThatAreNotUtf8ReachTheirFiles) {
  TestApplication();
  TBitmap red(4, 4);
  red.Canvas().Brush().SetColor(kRed);
  red.Canvas().FillRect(Rect(0, 0, 4, 4));
  for (const std::string stem : {"caf\xE9", "\x93\xFA\x96\x7B", "x\xFF\xC0"}) {
    std::filesystem::remove_all(fDir);
    std::filesystem::create_directories(fDir);
    const String name = File("") + SystemNameToString(stem);
    for (const String ext : {u".png", u".bmp", u""}) {
      red.SaveToFile(name + ext);
      TBitmap back;
      back.LoadFromFile(name + ext);
      EXPECT_EQ(PixelOf(back.Image(), 2, 2), kRed);
    }
    EXPECT_EQ(ReadRaw(stem).substr(0, 2), "BM");  // no extension: a bitmap file
    WriteRaw(stem + ".jpg", ReadRaw(stem + ".png"));  // read by what it holds, not by its name
    TBitmap png;
    png.LoadFromFile(name + u".jpg");
    EXPECT_EQ(PixelOf(png.Image(), 2, 2), kRed);
    std::filesystem::remove(Path(stem + ".jpg"));
    WriteRaw(stem + ".ico", IconFile({{16, kRed}, {32, kBlue}}));
    TIcon icon;
    ASSERT_TRUE(LoadIconFromFileAtSize(icon, name + u".ico", 32));
    EXPECT_EQ(CentreOf(icon, 32), kBlue);
    TPicture picture;
    picture.LoadFromFile(name + u".ico");
    EXPECT_EQ(CentreOf(dynamic_cast<TIcon&>(*picture.Graphic()), 16), kRed);
    picture.Graphic()->SaveToFile(name + u"_copy.png");  // the largest image
    icon.LoadFromFile(name + u"_copy.png");
    EXPECT_EQ(CentreOf(icon, 16), kBlue);
    TRichEdit rich;
    rich.SetText(u"rich text");
    ASSERT_TRUE(rich.SaveToRTF(name + u".rtf"));
    EXPECT_EQ(ReadRaw(stem + ".rtf").substr(0, 5), "{\\rtf");
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(fDir)) files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{stem, stem + ".bmp", stem + ".ico", stem + ".png", stem + ".rtf", stem + "_copy.png"}));
  }
}

}  // namespace
}  // namespace sk
