#pragma once
// Screen rectangles that limit a pass to where it can change pixels. Drawing
// a large mesh once per rectangle costs its vertices each time but spares the
// rasteriser every pixel outside; merging rectangles that overlap or nearly
// touch keeps the count of draws small without adding much area.

#include <cstddef>
#include <vector>

#include "device/Types.h"

namespace lib3d {

// Pixels inside a rectangle (0 when it is empty or inverted).
long RectArea(const device::Rect &r);

// The smallest rectangle holding both.
device::Rect RectUnion(const device::Rect &a, const device::Rect &b);

// Drops empty rectangles, then merges two rectangles whenever their union
// adds at most `slack` pixels to the area they cover apart, and finally,
// while more than `most` remain, the pair whose union adds the least. Every
// pixel of the input stays covered.
void MergeRects(std::vector<device::Rect> *rects, long slack, std::size_t most);

}  // namespace lib3d
