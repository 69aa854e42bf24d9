#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "XlsxTestSupport.h"
#include "platform/spreadsheet/XlsSheet.h"
#include "platform/visual/IconImage.h"

namespace sk {

TEST(IconImage, TheLargestImageBecomesAPng) {
  const TBytes ico = B(IconFile());
  ASSERT_TRUE(IsIconImage(ico));
  TBytes png;
  ASSERT_TRUE(IconToPng(ico, png));
  const TXlsImageInfo info = XlsProbeImage(png.data(), png.size());
  EXPECT_EQ(info.Type, TXlsImageInfo::Png);
  EXPECT_EQ(info.Width, 32);
  EXPECT_EQ(info.Height, 32);
}

TEST(IconImage, WhatIsNotAnIconGivesNothing) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  const std::string good = IconFile();
  const Case cases[] = {
      {"empty", ""},
      {"cursor type", std::string("\0\0\2\0\1\0", 6) + good.substr(6)},
      {"no images", std::string("\0\0\1\0\0\0", 6)},
      {"entries past the end", std::string("\0\0\1\0\1\0", 6) + std::string(16, '\xFF')},
      {"cut in the first image", good.substr(0, 60)},
      {"PNG", std::string("\x89PNG\r\n\x1A\n", 8)},
  };
  for (const Case& c : cases) {
    TBytes png = B("left over");
    EXPECT_FALSE(IconToPng(B(c.bytes), png)) << c.what;
    EXPECT_TRUE(png.empty()) << c.what;
  }
  EXPECT_FALSE(IsIconImage(B(std::string("\0\0\1\0\0\0", 6))));
  EXPECT_FALSE(IsIconImage(B(std::string("\0\0\1\0", 4))));
}

}  // namespace sk
