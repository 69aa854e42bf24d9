// Small routines on rectangles (Left, Top, Right, Bottom).
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The rectangle with the same left-top corner whose width is r's height and
// whose height is r's width.
TRect InvertedRect(const TRect& r);
// With flag true, r inverted when r.Right > r.Bottom; with flag false, r
// inverted when r.Right < r.Bottom; otherwise r unchanged. The test compares
// the Right and Bottom coordinates themselves (width and height for a
// rectangle whose corner is the origin).
TRect OrientedRect(const TRect& r, bool flag);
// The rectangle around p reaching 1.05 times the half-width w and half-height
// h on each side, each distance rounded to the nearest integer, halves to the
// even neighbour.
TRect RectCentredOnPoint(const TPoint& p, Single w, Single h);
// Moves Left and Right inwards by dx and Top and Bottom by dy, in place.
void ShrinkARect(TRect& r, Int32 dx, Int32 dy);
// A copy of r shrunk by n on all four sides.
TRect ShrinkRect(const TRect& r, Int32 n);

// Unit start and stop (the unit has no work of its own).
void Rectangle_utilities_initialization();
void Rectangle_utilities_Finalization();

}  // namespace sk
