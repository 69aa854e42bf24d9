// Rectangle helpers and integer-array scans.
#include <gtest/gtest.h>

#include "core/Rectangle_utilities.h"
#include "core/Simple_maths_routines.h"

namespace sk {
namespace {

TEST(Rectangle_utilities, InvertedRectKeepsTheCornerAndSwapsTheSides) {
  EXPECT_EQ(InvertedRect(Rect(10, 20, 110, 70)), Rect(10, 20, 60, 120));
  EXPECT_EQ(InvertedRect(Rect(0, 0, 0, 0)), Rect(0, 0, 0, 0));
}

TEST(Rectangle_utilities, OrientedRectAtTheOrigin) {
  EXPECT_EQ(OrientedRect(Rect(0, 0, 100, 50), true), Rect(0, 0, 50, 100));
  EXPECT_EQ(OrientedRect(Rect(0, 0, 100, 50), false), Rect(0, 0, 100, 50));
  EXPECT_EQ(OrientedRect(Rect(0, 0, 50, 100), false), Rect(0, 0, 100, 50));
  // A square is never turned.
  EXPECT_EQ(OrientedRect(Rect(0, 0, 60, 60), true), Rect(0, 0, 60, 60));
  EXPECT_EQ(OrientedRect(Rect(0, 0, 60, 60), false), Rect(0, 0, 60, 60));
}

TEST(Rectangle_utilities, OrientedRectComparesCoordinatesNotSides) {
  // Width 50 and height 80, yet Right (100) > Bottom (80): turned.
  EXPECT_EQ(OrientedRect(Rect(50, 0, 100, 80), true), Rect(50, 0, 130, 50));
}

TEST(Rectangle_utilities, RectCentredOnPointRoundsHalvesToEven) {
  EXPECT_EQ(RectCentredOnPoint(Point(100, 100), 20, 40), Rect(79, 58, 121, 142));
  // 10 x 1.05 = 10.5 rounds to 10; 30 x 1.05 = 31.5 rounds to 32.
  EXPECT_EQ(RectCentredOnPoint(Point(100, 100), 10, 30), Rect(90, 68, 110, 132));
  EXPECT_EQ(RectCentredOnPoint(Point(-5, 0), 0, 0), Rect(-5, 0, -5, 0));
}

TEST(Rectangle_utilities, ShrinkingInPlaceAndByCopy) {
  TRect r = Rect(0, 0, 100, 50);
  ShrinkARect(r, 10, 5);
  EXPECT_EQ(r, Rect(10, 5, 90, 45));
  EXPECT_EQ(ShrinkRect(Rect(0, 0, 100, 50), 3), Rect(3, 3, 97, 47));
  EXPECT_EQ(ShrinkRect(Rect(0, 0, 10, 10), -2), Rect(-2, -2, 12, 12));
}

TEST(Simple_maths_routines, LargestPositiveElement) {
  EXPECT_EQ(ScanForLargestIntPosition({3, 7, 7}), 1);
  EXPECT_EQ(ScanForLargestIntPosition({0, -2}), -1);
  EXPECT_EQ(ScanForLargestIntPosition({}), -1);
  EXPECT_EQ(ScanForLargestIntPosition({-5, 0, 1}), 2);
}

TEST(Simple_maths_routines, FirstBiggerElement) {
  EXPECT_EQ(ScanForIntBigger(5, {1, 5, 6, 9}), 2);
  EXPECT_EQ(ScanForIntBigger(9, {1, 5, 6, 9}), -1);
  EXPECT_EQ(ScanForIntBigger(-10, {-3, 0}), 0);
  EXPECT_EQ(ScanForIntBigger(0, {}), -1);
}

TEST(Simple_maths_routines, FirstEqualElement) {
  EXPECT_EQ(PositionInArrayOfInteger({4, 2, 4}, 4), 0);
  EXPECT_EQ(PositionInArrayOfInteger({4, 2, 4}, 3), -1);
  EXPECT_EQ(PositionInArrayOfInteger({}, 0), -1);
  EXPECT_EQ(PositionInArrayOfByte({0, 255, 7}, 255), 1);
  // Values a byte cannot hold are never found (no wrap-around).
  EXPECT_EQ(PositionInArrayOfByte({0, 255, 7}, -1), -1);
  EXPECT_EQ(PositionInArrayOfByte({0, 255, 7}, 256), -1);
}

}  // namespace
}  // namespace sk
